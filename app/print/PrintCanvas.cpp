#include "app/print/PrintCanvas.h"

namespace vellumora {

PrintCanvas::PrintCanvas(QWidget* parent) : QDialog(parent) {}

void PrintCanvas::ShowModal()
{
    // The print job is not built yet: the dialog closes at once without printing.
    TrayCommandOperation.clear();
}

} // namespace vellumora
