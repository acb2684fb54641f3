#pragma once

// Fits a canvas window to its laid-out diagram and places the label controls that take the
// clicks on its parts (boxes, the lines into them, sub-line ends, chain ends, the stub left of
// the top chain), the page-break markers, the vertical base line of every chain segment and the
// notches of branch cases.

#include "app/core/CanvasSurface.h"
#include "app/core/DiagramRecords.h"

#include <cstdint>

namespace vellumora {

// A sub line whose boxIndex is below 0 (as in SubRecord::Default) arranges the whole canvas:
// the window is sized, cleared into retained drawing and shown. Otherwise only the chain below
// that sub line is arranged. Arranging again without a new layout changes nothing.
void CanvasPartsArrange(std::int16_t canvas, const SubRecord& sub);

// Appends the base line of one chain segment (P0, P1 the position and size of its first box,
// P2, P3 of its last) to sub line Max(sub, 0), unless that list holds it already.
void SubBaseAdd(std::int16_t canvas, const Point& p0, const Point& p1, const Point& p2, const Point& p3,
                std::int16_t sub);

// Shows and places one label; it has a border when asked or in the edit mode.
void BoxControlSet(CanvasLabel& label, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                   std::int32_t color, bool border);

// Shows the page-break marker of the box (box 1 or more: on its line label) or else of the sub
// line (sub 1 or more: on its sub-line label) when its flag is set, else hides it.
void PageBreakMarkShow(std::int16_t canvas, const CanvasLabel& label, std::int16_t box, std::int16_t sub);

} // namespace vellumora
