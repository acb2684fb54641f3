#pragma once

// The drawing primitives of a canvas: texts spaced over their measured height, frames, note
// frames and the figures (lines, circles, arcs) of boxes and sub lines. Each draws relative to an
// origin in the font and colours selected on the target: texts in its fore colour, frames and
// figures in the drawColor of its FontColorState.

#include "app/core/DiagramRecords.h"

#include <cstdint>

namespace vellumora {

// A canvas of 1 or more draws on its window (nothing when it has none); 0 or less on the printer.
void DrawBoxText(std::int16_t canvas, const Point& origin, const InternalCode& text);
void DrawBoxFrame(std::int16_t canvas, const Point& origin, const Point& topLeft, const Point& bottomRight);
// The frame in the dash-dot-dot style; the solid style is back afterwards.
void DrawNoteFrame(std::int16_t canvas, const Point& origin, const Point& topLeft, const Point& bottomRight);
// One figure; kinds outside 1 to 10 draw nothing.
void DrawLineSegment(std::int16_t canvas, const Point& origin, const FigureData& figure);

} // namespace vellumora
