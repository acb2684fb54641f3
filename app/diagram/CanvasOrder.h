#pragma once

// The stacking order of the canvas windows: each canvas carries the stamp of its last activation,
// and a full redraw keeps the windows in the order the stamps say.

#include <array>
#include <cstdint>
#include <vector>

namespace vellumora {

class CanvasSurface;

// The last activation stamp handed out.
inline std::int16_t CanvasActivateCount = 0;
// Rows 0..UBound(B): {canvas index, its activation stamp when saved}; row 0 unused.
inline std::vector<std::array<std::int16_t, 2>> CanvasOrder;

// Start routine: counter 0, the order table a single row {0, 0}.
void CanvasOrderInitialize();
// End routine: counter 0, the order table empty.
void CanvasOrderReset();

// The next stamp for the canvas.
void CanvasActivateStamp(std::int16_t canvas);
// Remembers every slot's stamp; CanvasOrderRestore brings the windows to the front in that
// order (the highest stamp on top) and renumbers the stamps 1, 2, ... in stacking order.
void CanvasOrderSave();
void CanvasOrderRestore();
// Brings a shown canvas window to the front as the active window, with the focus.
void CanvasWindowActivate(CanvasSurface* form);
// Lays out and arranges every canvas again; the windows keep their stacking order.
void CanvasesRefreshInOrder();

} // namespace vellumora
