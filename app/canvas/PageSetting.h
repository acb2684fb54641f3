#pragma once

// Canvas slots and their windows, the canvas size from the ini file, the stacking order of the
// canvas windows across full redraws, and closing the box editors open on canvases.

#include "app/core/CanvasSize.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vellumora {

// The last activation stamp handed out.
inline std::int16_t CanvasActivateCount = 0;
// Rows 0..UBound(B): {canvas index, its activation stamp when saved}; row 0 unused.
inline std::vector<std::array<std::int16_t, 2>> CanvasOrder;

// Start routine: counter 0, the order table a single row {0, 0}.
void CanvasOrderInitialize();
// End routine: counter 0, the order table empty.
void CanvasOrderReset();

// Gives canvas n (a new slot appended to B when n < 0) a cleared box list and, for n > 0, its
// window; selects the document font and sets the gap members of LO. The box editors open on an
// existing canvas are closed first. Returns the slot index.
std::int16_t CanvasSlotSetup(std::int16_t n, std::int32_t kindFlags);
// Gives canvas n its window (made and loaded when it has none) in the canvas colour.
void CanvasWindowSetup(std::int16_t canvas);
// Makes the windows of the canvases a document read has added: every slot above 0 without one.
void CanvasWindowsCreate();

// The next stamp for the canvas.
void CanvasActivateStamp(std::int16_t canvas);
// Remembers every slot's stamp; CanvasOrderRestore brings the windows to the front in that
// order (the highest stamp on top) and renumbers the stamps 1, 2, ... in stacking order.
void CanvasOrderSave();
void CanvasOrderRestore();
// Lays out and arranges every canvas again; the windows keep their stacking order.
void CanvasesRefreshInOrder();

// Closes the box editors open on the canvas (every canvas when canvas < 0). While ask is true
// the user is asked once; true when the user refused, and the caller abandons its command.
bool BoxEditorCloseCheck(bool ask, std::int16_t canvas);
// Asks once whether open editors may be discarded; Yes sets ask to false. True when refused.
bool BoxEditorQuitConfirm(bool& ask);

} // namespace vellumora
