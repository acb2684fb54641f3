#include "app/canvas/HistoryControl.h"

namespace vellumora {

void HistoryClear() {}
void HistoryReset() {}
bool HistoryCanUndo() { return false; }
bool HistoryCanRedo() { return false; }
QString HistoryFileName(std::int16_t, const QString&) { return {}; }

} // namespace vellumora
