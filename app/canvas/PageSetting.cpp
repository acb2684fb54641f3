#include "app/canvas/PageSetting.h"

namespace vellumora {

const CanvasSizeRecord CanvasSizeRecord::Default{};
CanvasSizeRecord CanvasSize;

std::int16_t CanvasSlotSetup(std::int16_t n, std::int32_t) { return n; }
void CanvasControlsUnload(std::int16_t, bool) {}
void CanvasSizeLoad() { CanvasSize = CanvasSizeRecord::Default; }
void CanvasOrderInitialize() {}
void CanvasOrderReset() {}
void CanvasOrderSave() {}
void CanvasOrderRestore() {}

} // namespace vellumora
