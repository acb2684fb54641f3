#include "app/dialogs/CanvasNameSetting.h"

#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/TagTable.h"
#include "app/dialogs/OneLineField.h"
#include "app/dialogs/ZoomScreen.h"
#include "platform/vbrt/Value.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace vellumora {

namespace {

constexpr std::int32_t NameMaxChars = 50;
constexpr std::int32_t NameMaxLines = 1;

} // namespace

CanvasNameSetting::CanvasNameSetting(QWidget* parent) : TrayDialog(parent)
{
    setObjectName(QStringLiteral("CanvasNameSetting"));
    setWindowTitle(QStringLiteral("ｷｬﾝﾊﾞｽ名称"));
    lblType = new QLabel(QStringLiteral("名称(&N)"), this);
    txtCanvasName = new QLineEdit(this);
    txtCanvasName->setObjectName(QStringLiteral("txtCanvasName"));
    OneLineFieldSet(txtCanvasName);
    lblType->setBuddy(txtCanvasName);
    txtCanvasName->installEventFilter(this);
    cmdZoom = new QPushButton(QStringLiteral("ｽﾞｰﾑ(&Z)"), this);
    cmdZoom->setObjectName(QStringLiteral("cmdZoom"));
    cmdZoom->setAutoDefault(false);
    UpdateCancelButtonsMake();
    auto* layout = new QGridLayout(this);
    layout->addWidget(lblType, 0, 0);
    layout->addWidget(txtCanvasName, 0, 1);
    layout->addWidget(cmdZoom, 0, 2);
    layout->addLayout(UpdateCancelBox(Qt::Horizontal), 1, 0, 1, 3);
    connect(cmdZoom, &QPushButton::clicked, this, [this] { EventBoundary([this] { cmdZoom_Click(); }); });
}

CanvasNameSetting::~CanvasNameSetting() = default;

void CanvasNameSetting::Form_Load()
{
    FormControlsClear(this, true);
    txtCanvasName->setText(platform::vbrt::Trim(TrayCanvasName));
    ModalWindowShow(windowTitle());
}

bool CanvasNameSetting::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtCanvasName && FieldEntered(event))
        // After the focus change has settled: a click would otherwise place the cursor again.
        QTimer::singleShot(0, txtCanvasName, [edit = txtCanvasName] { edit->selectAll(); });
    return TrayDialog::eventFilter(watched, event);
}

void CanvasNameSetting::cmdUpdate_Click()
{
    cmdUpdate->setFocus();
    ProcessingStart(this);
    // A name a document gave on lines of its own is shown on one, and taken so.
    const QString name = platform::vbrt::Trim(OneLineText(txtCanvasName->text()));
    if (InputTextCheck(name, 0, NameMaxChars, NameMaxLines)) {
        ProcessingEnd(this, false, false);
        txtCanvasName->setFocus();
        return;
    }
    TrayCanvasName = name;
    Confirm();
}

void CanvasNameSetting::cmdZoom_Click()
{
    ProcessingStart(this);
    QString name = txtCanvasName->text();
    if (ZoomTextEdit(this, windowTitle(), name, 0, NameMaxChars, NameMaxLines))
        txtCanvasName->setText(platform::vbrt::Trim(name));
    ProcessingEnd(this, false, false);
}

void CanvasNameSetting::Form_Unload()
{
    TrayDialog::Form_Unload();
    ProcessingEnd(this, false, false);
}

bool CanvasNameSettingShow(QString& canvasName)
{
    CanvasNameSetting dialog(MainWindow() ? MainWindow()->window() : nullptr);
    dialog.TrayCanvasName = canvasName;
    dialog.exec();
    if (dialog.TrayCancel)
        return false;
    canvasName = dialog.TrayCanvasName;
    return true;
}

} // namespace vellumora
