#include "app/print/PrintSetting.h"

namespace vellumora {

PrintSetting::PrintSetting(QWidget* parent) : QDialog(parent) {}

void PrintSetting::ShowModal()
{
    // The settings pages are not built yet: the dialog closes at once as if cancelled.
    TrayCancel = true;
}

} // namespace vellumora
