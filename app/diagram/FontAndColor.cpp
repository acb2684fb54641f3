#include "app/diagram/FontAndColor.h"

namespace vellumora {

void FontAndColorLoad() {}
void FontAndColorClear() {}
bool DefaultFontSetting(const QString&) { return false; }
std::int32_t ColorModify(const QString&) { return -1; }
QString ColorName(std::int32_t) { return {}; }
void DefaultColorSet(const QString&) {}
void DrawStateReset(std::int16_t) {}
void ForeColorSet(std::int32_t, std::int16_t) {}
void DrawColorSet(std::int32_t, std::int16_t) {}
void PrinterColorApply() {}
void DefaultFontSet(const QString&) {}
FontCode FontModifyChech(const QString&) { return 0; }
QString FontModifyText(FontCode) { return {}; }
void FontSelect(FontCode, std::int16_t) {}
std::int16_t FontNameIndex(FontCode code) { return static_cast<std::int16_t>(code & 0xFFFF); }
QString FontNameText(std::int16_t) { return {}; }
std::int16_t FontSizeIndex(FontCode code) { return static_cast<std::int16_t>((code >> 16) & 0x3FF); }
double FontSizeValue(std::int16_t tenths) { return tenths / 10.0; }
QString FontSizeText(double) { return {}; }
bool FontBoldFlag(FontCode code) { return (code >> 26) & 1; }
bool FontItalicFlag(FontCode code) { return (code >> 27) & 1; }
bool FontStrikethruFlag(FontCode code) { return (code >> 28) & 1; }
bool FontUnderlineFlag(FontCode code) { return (code >> 29) & 1; }
std::int32_t TextWidthGet(const QString&, std::int16_t) { return 0; }
std::int32_t TextHeightGet(const QString&, std::int16_t, bool) { return 0; }
QString TabToNewLine(const QString& text) { return text; }

} // namespace vellumora
