#include "app/shell/DebugLog.h"

namespace vellumora {

void DebugInitialize() {}
void DebugLogWrite(const QString&, const QVariant&, std::int16_t, std::int16_t) {}
bool DebugClassSkip(std::int16_t) { return true; }
void DebugLogClose() {}

} // namespace vellumora
