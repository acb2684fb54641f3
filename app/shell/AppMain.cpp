#include "app/shell/AppMain.h"

namespace vellumora {

std::vector<LifecycleStep> StartupSequence() { return {}; }
std::vector<LifecycleStep> ShutdownSequence() { return {}; }
void AppInitialize() {}
void AppTerminate() {}
int Main() { return 0; }
void SetMainWindowRunner(MainWindowRunner) {}
void RegistryRenewal() {}
void CommandLineSplit(const QString&) {}
void CommandLineSplit(const QStringList&) {}

} // namespace vellumora
