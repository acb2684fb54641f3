#pragma once

// The vertical layout pass: y positions of the shown boxes against a skyline of columns one
// horizontal gap wide (PR.peakSet), painted sizes, start points of the sub lines, the spacing
// and outline of branch boxes, and the canvas height. A nested list can push its parent's sub
// line and box down, or ask to be laid out again lower so that it hangs centred on the line
// that leads to it (PR.yAdjust holds the state of each level).

#include <cstdint>

namespace vellumora {

// Lays out the whole canvas (start below 0) or the chain from start. The result asks the caller
// to lay the same sub line out again (never for the whole canvas). Raises 6 (overflow) when a
// position leaves the 32-bit range, and -2147220991 when the chart is nested deeper than the
// parser accepts, its links run in a circle, or its lists keep asking to be laid out again.
bool BoxTreeYPosition(std::int16_t canvas, std::int16_t start);

// The lowest free y over the columns that x1..x2 touches, at least floor.
std::int32_t CanvasSkylineGetY(std::int32_t x1, std::int32_t x2, std::int32_t floor);
// Raises the columns that x1..x2 covers to at least value.
void CanvasSkylineRaise(std::int32_t x1, std::int32_t x2, std::int32_t value);

// How often one nested list may ask to be laid out again before its last layout is kept, and
// how many box placements one whole-canvas run may make before it stops with an error.
struct VerticalPassLimits {
    int redoPerList = 64;
    std::int64_t placementsPerRun = 20'000'000;
};
inline VerticalPassLimits VerticalLimits;

} // namespace vellumora
