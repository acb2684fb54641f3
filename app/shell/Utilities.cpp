#include "app/shell/Utilities.h"

namespace vellumora {

namespace {
std::vector<TemporaryFileEntry> temporaryFiles;
}

void UtilitiesInitialize() {}
void UtilitiesTerminate() {}
QString TemporaryFileName(const FilePart&, const FilePart&, const FilePart&, const FilePart&, const FilePart&,
                          const FilePart&)
{
    return {};
}
void TemporaryFileDelete(const FilePart&, const FilePart&, const FilePart&, const FilePart&, const FilePart&,
                         const FilePart&)
{
}
QString TemporaryFilePrefix() { return {}; }
const std::vector<TemporaryFileEntry>& TemporaryFiles() { return temporaryFiles; }
void RandomSeed() {}
void ErrorMessageBox(const QString&, const QString&) {}
std::int16_t YesNoMessageBox(const QString&, std::int16_t, const QString&) { return 7; }
std::int16_t YesNoCancelMessageBox(const QString&, std::int16_t, const QString&) { return 2; }
void InformationMessageBox(const QString&) {}
std::int32_t CentimeterToTwip(float) { return 0; }
float TwipToCentimeter(std::int32_t) { return 0; }
std::uint8_t BoolToByte(bool value) { return value ? 1 : 0; }
bool ByteToBool(std::uint8_t value) { return value != 0; }
std::int32_t MaxValue(std::int32_t a, std::int32_t b) { return a > b ? a : b; }
std::int32_t MinValue(std::int32_t a, std::int32_t b) { return a < b ? a : b; }
QString StringDefault(const QString& text, const QString& defaultText) { return text.isEmpty() ? defaultText : text; }
Point PointMake(std::int32_t x, std::int32_t y) { return Point{x, y}; }
Point PointAdd(const Point& a, const Point& b) { return Point{a.xw + b.xw, a.yh + b.yh}; }
Point PointMax(const Point& a, const Point& b) { return Point{MaxValue(a.xw, b.xw), MaxValue(a.yh, b.yh)}; }

} // namespace vellumora
