#include "app/core/MainWindowLink.h"

namespace vellumora {

namespace {
MainWindowLink* mainWindowLink = nullptr;
}

void SetMainWindowLink(MainWindowLink* link) { mainWindowLink = link; }
MainWindowLink* MainWindow() { return mainWindowLink; }

} // namespace vellumora
