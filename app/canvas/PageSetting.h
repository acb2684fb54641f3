#pragma once

// Canvas slots and their windows, the canvas size from the ini file, and closing the box editors
// open on canvases.

#include "app/core/CanvasSize.h"
#include "app/diagram/CanvasOrder.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vellumora {

// Gives canvas n (a new slot appended to B when n < 0) a cleared box list and, for n > 0, its
// window; selects the document font and sets the gap members of LO. The box editors open on an
// existing canvas are closed first. Returns the slot index.
std::int16_t CanvasSlotSetup(std::int16_t n, std::int32_t kindFlags);
// Gives canvas n its window (made and loaded when it has none) in the canvas colour.
void CanvasWindowSetup(std::int16_t canvas);
// Makes the windows of the canvases a document read has added: every slot above 0 without one.
void CanvasWindowsCreate();

// Closes the box editors open on the canvas (every canvas when canvas < 0). While ask is true
// the user is asked once; true when the user refused, and the caller abandons its command.
bool BoxEditorCloseCheck(bool ask, std::int16_t canvas);
// Asks once whether open editors may be discarded; Yes sets ask to false. True when refused.
bool BoxEditorQuitConfirm(bool& ask);

} // namespace vellumora
