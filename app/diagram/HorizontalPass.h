#pragma once

// The horizontal layout pass: nesting levels, running numbers and x positions of the boxes of a
// canvas, and the shape (sizes, text places, lines and arcs) of every box. Sizes are twips;
// a box's shape is relative to its top-left corner, a sub line's to its start point.

#include <cstdint>

namespace vellumora {

// Lays out the chain from start at x on the given level; start below 0 lays out the whole
// canvas from its first box at the canvas's left space on level 0 and sets its deepest level,
// extent, shown-box count and width. Hidden boxes get their shape and level only.
// Raises 6 (overflow) when a position leaves the 32-bit range or a count the 16-bit range, and
// -2147220991 for a chart nested deeper than the parser accepts or box links that run in a circle.
void BoxTreeXPosition(std::int16_t canvas, std::int16_t start, std::int32_t x, std::int16_t level);

// Rebuilds the shape of one box and resets its sub lines' shapes; the page layout calls it on the
// print copy after cutting a box's text. A tag with no shape raises "不当なﾀｸﾞが出現しています。".
void BoxListXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);

// The shape builders of the simple kinds (arguments as BoxListXPosition).
void RoutineXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void BlockXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void DeclareXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void InputXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void OutputXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void ExternalXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void LabelXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void BreakXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void ContinueXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void JumpXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void NoteXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void ChinkXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);
void EggXPosition(std::int16_t canvas, std::int16_t box, std::int16_t level);

} // namespace vellumora
