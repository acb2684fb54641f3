#pragma once

// The print settings dialog: paper, margins, frames, header and footer of the report.

#include <QDialog>
#include <QString>

namespace vellumora {

class PrintSetting : public QDialog {
    Q_OBJECT
public:
    explicit PrintSetting(QWidget* parent = nullptr);

    // The caption of the menu entry that opened the dialog.
    QString TrayCaption;
    // True after the dialog was closed without accepting new settings.
    bool TrayCancel = true;

    // Shows the dialog modal; returns when it has closed.
    void ShowModal();
};

} // namespace vellumora
