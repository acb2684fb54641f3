#include "app/dialogs/TrayDialog.h"

#include "app/core/DebugLog.h"
#include "app/core/Processing.h"

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

void TrayDialog::Cancel(QPushButton* cancelButton)
{
    cancelButton->setFocus();
    ProcessingStart(this);
    TrayCancel = true;
    done(QDialog::Rejected);
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
