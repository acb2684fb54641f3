#include "app/diagram/TagTable.h"

namespace vellumora {

void TagTableDefine() {}
void TagAttributeAdd(const QString&, std::int32_t) {}
void TagTableAdd(std::int32_t, const QString&) {}
void StyleAttributeTableAdd(const QString&, const QString&) {}
void PadTablesClear() {}
TagTableRecord TagTableGet(std::int32_t) { return {}; }
PadInfoRecord PadInfoMake(std::int32_t, const QString&) { return {}; }
void FreeStyleParse(std::int16_t, std::int16_t, const PadInfoRecord&) {}
std::vector<std::uint8_t> FreeStyleValues(const QString&) { return {}; }

} // namespace vellumora
