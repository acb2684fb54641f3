#include "app/dialogs/FrameSetting.h"

#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "platform/vbrt/Value.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vellumora {

FrameSetting::FrameSetting(QWidget* parent) : TrayDialog(parent)
{
    setObjectName(QStringLiteral("FrameSetting"));
    lblFrameSameText = new QLabel(QStringLiteral("枠の色(&F)"), this);
    frmFrameSameText = new QGroupBox(this);
    frmFrameSameText->setObjectName(QStringLiteral("frmFrameSameText"));
    optFrameSameText[0] = new QRadioButton(QStringLiteral("ﾌｫﾝﾄと同じ色"), frmFrameSameText);
    optFrameSameText[1] = new QRadioButton(QStringLiteral("指定"), frmFrameSameText);
    auto* options = new QVBoxLayout(frmFrameSameText);
    for (int i = 0; i < 2; ++i) {
        optFrameSameText[i]->setObjectName(QStringLiteral("optFrameSameText%1").arg(i));
        options->addWidget(optFrameSameText[i]);
        connect(optFrameSameText[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optFrameSameText_Click(i);
        });
    }
    lblFrameSameText->setBuddy(optFrameSameText[0]);
    frmColor = new QGroupBox(this);
    frmColor->setObjectName(QStringLiteral("frmColor"));
    lblColor = new QLabel(QStringLiteral("色(&C)"), frmColor);
    cmbColor = new QComboBox(frmColor);
    cmbColor->setObjectName(QStringLiteral("cmbColor"));
    cmbColor->setEditable(false);
    lblColor->setBuddy(cmbColor);
    auto* colorRow = new QHBoxLayout(frmColor);
    colorRow->addWidget(lblColor);
    colorRow->addWidget(cmbColor, 1);
    UpdateCancelButtonsMake();
    auto* layout = new QGridLayout(this);
    layout->addWidget(lblFrameSameText, 0, 0);
    layout->addWidget(frmFrameSameText, 1, 0);
    layout->addWidget(frmColor, 1, 1);
    layout->addLayout(UpdateCancelBox(Qt::Horizontal), 2, 0, 1, 2);
}

FrameSetting::~FrameSetting() = default;

void FrameSetting::Form_Load()
{
    FormControlsClear(this, true);
    ColorComboSet(cmbColor, true, TrayFrameColor);
    OwnColorShow(cmbColor, TrayFrameColor);
    setWindowTitle(MenuCaptionClean(TrayCaption));
    ModalWindowShow(windowTitle());
}

void FrameSetting::showEvent(QShowEvent* event)
{
    // The option buttons take the caller's choice as the dialog comes up; each runs its click.
    optFrameSameText[TrayFrameSameText ? 0 : 1]->setChecked(true);
    optFrameSameText_Click(TrayFrameSameText ? 0 : 1);
    TrayDialog::showEvent(event);
}

void FrameSetting::optFrameSameText_Click(int Index)
{
    ProcessingStart(this);
    frmColor->setEnabled(Index == 1);
    cmbColor->setEnabled(Index == 1);
    ProcessingEnd(this, false, false);
}

void FrameSetting::cmdUpdate_Click()
{
    cmdUpdate->setFocus();
    ProcessingStart(this);
    // Frames in the font colour need no colour of their own: the one the document has stays.
    const bool sameText = optFrameSameText[0]->isChecked();
    const bool chosen = !platform::vbrt::Trim(cmbColor->currentText()).isEmpty();
    if (!sameText && !chosen) {
        ErrorMessageBox(QStringLiteral("色の指定がありません。"), QString());
        ProcessingEnd(this, false, false);
        return;
    }
    TrayFrameSameText = sameText;
    if (chosen)
        TrayFrameColor = cmbColor->currentText();
    Confirm();
}

void FrameSetting::Form_Unload()
{
    TrayDialog::Form_Unload();
    ProcessingEnd(this, false, false);
}

bool FrameSettingShow(const QString& caption, bool& sameText, QString& frameColor)
{
    FrameSetting dialog(MainWindow() ? MainWindow()->window() : nullptr);
    dialog.TrayCaption = caption;
    dialog.TrayFrameSameText = sameText;
    dialog.TrayFrameColor = frameColor;
    dialog.exec();
    if (dialog.TrayCancel)
        return false;
    sameText = dialog.TrayFrameSameText;
    frameColor = dialog.TrayFrameColor;
    return true;
}

} // namespace vellumora
