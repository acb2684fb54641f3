#include "app/dialogs/SearchEngine.h"

namespace vellumora {

void SearchClear() {}
void SearchTerminate() {}
void SearchReset() {}
bool SearchFound() { return Search.SearchFoundFlag; }

} // namespace vellumora
