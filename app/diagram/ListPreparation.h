#pragma once

// The first layout pass: brings a canvas's boxes and sub lines into the shape the layout
// expects. It clears the marks of the last layout, drops what must not be laid out
// (temporary boxes, placeholders, cuts at the ends of a chain, hidden boxes of the print
// copy, routine boxes below another box), records the last box of every chain, turns break
// and continue boxes into jumps to generated labels when the document asks for it, and gives
// an empty canvas a placeholder. Everything it adds is temporary, so running it again gives
// the same diagram.

#include <QString>

#include <cstdint>

namespace vellumora {

// Prepares the whole canvas (start below 0) or walks the chain from start only; returns the
// last box of the chain walked (-1 when it is empty). onlyShown also drops every box that is
// not shown (the print copy).
std::int16_t BoxListPrepare(std::int16_t canvas, std::int16_t start, bool onlyShown);

// Kinds of BreakLabelText.
namespace BreakLabelKind {
constexpr std::int16_t Break = 1;
constexpr std::int16_t Continue = 2;
} // namespace BreakLabelKind

// "Label12:-break" for kind 1 and box 12, "Label12:-continue" for kind 2; "" for any other kind.
QString BreakLabelText(std::int16_t kind, std::int16_t box);

// Puts a temporary label box with the text, colour and font right after the box.
void BreakLabelInsert(std::int16_t canvas, std::int16_t box, const QString& text, std::int32_t colorCode,
                      std::int32_t fontCode);

} // namespace vellumora
