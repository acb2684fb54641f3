#pragma once

// Makes a box of the print work copy (slot 0) fit the report body: narrower by re-wrapping its
// texts, or cut at the page bottom into the lines that fit and a continuation box; and undoes all
// of that for a part of the chart before the placement tries it again. Measures on the printer
// in its current font.
//
// Wrapping never breaks a line into separate lines: it puts a TAB at each break, which measuring
// and drawing show as a new line indented by four spaces, and which TextLineCount removes again.

#include "app/core/DiagramRecords.h"

#include <QStringList>

#include <cstdint>

namespace vellumora {

// want below 0: re-measures the box's texts (taking back earlier wraps) and returns false.
// Otherwise re-wraps the texts so that the box is at most want wide and returns false, or returns
// true when that is not possible (no room for the narrowest texts unless forced, nothing to give).
bool BoxShrinkWidth(std::int16_t box, std::int32_t want, bool force);
// Wraps each line of the text that is wider than width (at least one reference character wide);
// every piece keeps at least one character.
void TextWrapToWidth(InternalCode& text, std::int32_t width);
// Keeps in the box the lines of its text that fit in fit (with its frame) and moves the rest into
// a continuation box of the same kind after it, marking the box 0x2000. Returns true when not even
// one line fits, false when it divided or when there was nothing to divide.
bool BoxTextDivide(std::int16_t box, std::int32_t fit);
// The printed height of the first n lines, joined without the empty lines that lead them.
std::int32_t TextLinesHeight(const QStringList& lines, std::int32_t n);
// Removes the wrap TABs and counts the lines again.
void TextLineCount(InternalCode& text);
// Adds a box made by a division to the work copy. The copy keeps the canvas's boxes in their own
// slots, so a canvas close to the limit of 32,767 boxes may leave none for it: the job is then
// refused, naming the division and not the canvas's own boxes as the reason.
std::int16_t DivisionBoxAdd(const PadInfoRecord& record, std::int16_t before, std::int16_t upper);
// Joins divided boxes again and clears the layout marks: a chain of boxes from box (sub below 1),
// or a chain of sub lines from sub (box below 1), with everything below them.
void BoxDivideRestore(std::int16_t box, std::int16_t sub);
// The same for one box and everything below it, not the boxes after it.
void BoxDivideRestoreBox(std::int16_t box);

} // namespace vellumora
