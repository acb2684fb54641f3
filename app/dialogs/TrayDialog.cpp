#include "app/dialogs/TrayDialog.h"

#include "app/core/DebugLog.h"
#include "app/core/Processing.h"
#include "platform/vbrt/Value.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

#include <utility>

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

void TrayDialog::Cancel(QPushButton* cancelButton)
{
    cancelButton->setFocus();
    ProcessingStart(this);
    TrayCancel = true;
    done(QDialog::Rejected);
}

void TrayDialog::UpdateCancelButtonsMake(QPushButton*& update, QPushButton*& cancel, std::function<void()> updateClick)
{
    update = new QPushButton(QStringLiteral("更新"), this);
    update->setObjectName(QStringLiteral("cmdUpdate"));
    update->setDefault(true);
    cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    cancel->setAutoDefault(false);
    connect(update, &QPushButton::clicked, this, [click = std::move(updateClick)] { EventBoundary(click); });
    connect(cancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

QBoxLayout* TrayDialog::UpdateCancelBox(Qt::Orientation orientation, QPushButton* update, QPushButton* cancel)
{
    auto* box = new QBoxLayout(orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    box->addStretch();
    box->addWidget(update);
    box->addWidget(cancel);
    return box;
}

QRect TrayDialog::Twips(int x, int y, int width, int height)
{
    constexpr int pixel = platform::vbrt::TwipsPerPixel;
    return QRect(x / pixel, y / pixel, width / pixel, height / pixel);
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
