#include "app/diagram/BoxList.h"

namespace vellumora {

std::int16_t BoxAdd(std::int16_t, const PadInfoRecord&, std::int16_t, std::int16_t) { return -1; }
std::int16_t SubLineAdd(std::int16_t, std::int16_t, std::int16_t, std::int16_t) { return -1; }
void BoxDelete(std::int16_t, std::int16_t, bool) {}
void SubLineDelete(std::int16_t, std::int16_t, bool) {}
void BoxListClear(std::int16_t) {}
void CanvasRelease(std::int16_t) {}
InternalCode TextInfoMake(const QString&) { return {}; }
void TextSizeMeasure(InternalCode&, std::int16_t) {}
FigureData LineFigureMake(std::int32_t, std::int32_t, std::int32_t, std::int32_t) { return {}; }
FigureData ArcFigureMake(std::int32_t, std::int32_t, std::int32_t, std::int32_t) { return {}; }

} // namespace vellumora
