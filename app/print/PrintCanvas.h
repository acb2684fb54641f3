#pragma once

// The print dialog: which canvases to print, and printing, preview or PDF output of them.

#include <QDialog>
#include <QString>

namespace vellumora {

class PrintCanvas : public QDialog {
    Q_OBJECT
public:
    explicit PrintCanvas(QWidget* parent = nullptr);

    // The caption of the menu entry that opened the dialog.
    QString TrayCaption;
    // "/P" prints and "/V" previews at once when the dialog first shows; empty lets the user choose.
    QString TrayCommandOperation;

    // Shows the dialog modal; returns when it has closed.
    void ShowModal();
};

} // namespace vellumora
