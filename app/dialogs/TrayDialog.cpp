#include "app/dialogs/TrayDialog.h"

#include "app/core/DebugLog.h"
#include "app/core/Processing.h"
#include "app/diagram/FontAndColor.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>

namespace vellumora {

TrayDialog::TrayDialog(QWidget* parent) : QDialog(parent) {}

TrayDialog::~TrayDialog() = default;

int TrayDialog::exec()
{
    activated_ = false;
    Form_Load();
    TrayCancel = false;
    const int result = QDialog::exec();
    Form_Unload();
    return result;
}

void TrayDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!activated_) {
        // The caller's command stays busy until its dialog is up.
        activated_ = true;
        ProcessingEnd(this, false, false);
    }
}

void TrayDialog::Form_Unload()
{
    ProcessingStart(this);
    ModalWindowShow(QString());
}

void TrayDialog::Confirm()
{
    TrayCancel = false;
    done(QDialog::Accepted);
}

void TrayDialog::cmdCancel_Click()
{
    cmdCancel->setFocus();
    ProcessingStart(this);
    TrayCancel = true;
    done(QDialog::Rejected);
}

void TrayDialog::UpdateCancelButtonsMake()
{
    cmdUpdate = new QPushButton(QStringLiteral("更新"), this);
    cmdUpdate->setObjectName(QStringLiteral("cmdUpdate"));
    cmdUpdate->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    connect(cmdUpdate, &QPushButton::clicked, this, [this] { EventBoundary([this] { cmdUpdate_Click(); }); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

QBoxLayout* TrayDialog::UpdateCancelBox(Qt::Orientation orientation) const
{
    auto* box = new QBoxLayout(orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    box->addStretch();
    box->addWidget(cmdUpdate);
    box->addWidget(cmdCancel);
    return box;
}

QRect TrayDialog::Twips(int x, int y, int width, int height)
{
    constexpr int pixel = platform::vbrt::TwipsPerPixel;
    return QRect(x / pixel, y / pixel, width / pixel, height / pixel);
}

void TrayDialog::OwnColorShow(QComboBox* combo, const QString& spec)
{
    if (platform::vbrt::Trim(spec).isEmpty())
        return;
    try {
        ColorModify(spec);
    } catch (const platform::vbrt::Error&) {
        return;
    }
    OwnValueShow(combo, spec);
}

void TrayDialog::reject()
{
    cmdCancel_Click();
}

void TrayDialog::keyPressEvent(QKeyEvent* event)
{
    if (DialogKeyTaken(event, this))
        event->accept();
    else
        QDialog::keyPressEvent(event);
}

} // namespace vellumora
