#include "app/shell/AddOnHooks.h"

namespace vellumora {

void AddOnMenuMake() {}
void AddOnFileMenuMake() {}
void AddOnToolMenuMake() {}
void AddOnRelease() {}
std::vector<AddOnMenuRecord> AddOnMenuList(const QString&) { return {}; }
QString AddOnMenuAction(const QString&, std::int16_t) { return {}; }

} // namespace vellumora
