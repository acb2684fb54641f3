#include "app/dialogs/CanvasColor.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "platform/vbrt/Value.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace vellumora {

namespace {

// The configured default canvas colour ([FontAndColor] CanvasColorDefault); empty when none.
QString CanvasColorDefault()
{
    return CommonServices ? CommonServices->GetInitFile(QStringLiteral("FontAndColor"), QStringLiteral("CanvasColorDefault"))
                          : QString();
}

} // namespace

CanvasColor::CanvasColor(QWidget* parent) : TrayDialog(parent)
{
    setObjectName(QStringLiteral("CanvasColor"));
    lblColor = new QLabel(QStringLiteral("ｷｬﾝﾊﾞｽの色(&C)"), this);
    cmbColor = new QComboBox(this);
    cmbColor->setObjectName(QStringLiteral("cmbColor"));
    cmbColor->setEditable(false);
    lblColor->setBuddy(cmbColor);
    UpdateCancelButtonsMake();
    auto* layout = new QGridLayout(this);
    layout->addWidget(lblColor, 0, 0);
    layout->addWidget(cmbColor, 0, 1);
    layout->addLayout(UpdateCancelBox(Qt::Horizontal), 1, 0, 1, 2);
}

CanvasColor::~CanvasColor() = default;

void CanvasColor::Form_Load()
{
    FormControlsClear(this, true);
    defaultListed_ = !CanvasColorDefault().isEmpty();
    ColorComboSet(cmbColor, defaultListed_, TrayCanvasColor);
    OwnColorShow(cmbColor, TrayCanvasColor);
    setWindowTitle(MenuCaptionClean(TrayCaption));
    ModalWindowShow(windowTitle());
}

void CanvasColor::cmdUpdate_Click()
{
    cmdUpdate->setFocus();
    ProcessingStart(this);
    if (platform::vbrt::Trim(cmbColor->currentText()).isEmpty()) {
        ErrorMessageBox(QStringLiteral("色の指定がありません。"), QString());
        ProcessingEnd(this, false, false);
        return;
    }
    // The default entry stands for the configured colour itself, not for its caption.
    if (defaultListed_ && cmbColor->currentIndex() == 0)
        TrayCanvasColor = CanvasColorDefault();
    else
        TrayCanvasColor = cmbColor->currentText();
    Confirm();
}

void CanvasColor::Form_Unload()
{
    TrayDialog::Form_Unload();
    ProcessingEnd(this, false, false);
}

bool CanvasColorShow(const QString& caption, QString& canvasColor)
{
    CanvasColor dialog(MainWindow() ? MainWindow()->window() : nullptr);
    dialog.TrayCaption = caption;
    dialog.TrayCanvasColor = canvasColor;
    dialog.exec();
    if (dialog.TrayCancel)
        return false;
    canvasColor = dialog.TrayCanvasColor;
    return true;
}

} // namespace vellumora
