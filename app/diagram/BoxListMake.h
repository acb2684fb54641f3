#pragma once

// Builds the boxes and sub lines of a canvas from the records of the open tagged-text input:
// one chain per list, one sub line per routine, loop or tree body and per branch case.

#include <cstdint>

namespace vellumora {

// The deepest nesting of sub lines a chart may have (a routine body is level 1, a loop inside
// it level 2, ...). The parser refuses deeper documents with an error: every walk over the
// box tree descends one level per sub line, and a bound keeps them all far from the end of
// the stack.
constexpr int MaxNestingLevel = 1000;

// Reads one box list and returns its first box (-1 when the list is empty). Owner -1 is the
// canvas's top level (the first box also becomes the canvas's firstBox), a sub line of 1 or
// more the list below that sub line, 0 a free-standing list (paste), which also ends quietly
// at the end of the input or at a record that is no box. Every box of the list gets upper =
// owner. The record that ends a list (an end tag or a case) is put back for the caller.
// Parse errors raise -2147220991 with the procedure that met them as source; the boxes made
// before stay in the canvas's lists.
std::int16_t BoxListMake(std::int16_t canvas, std::int16_t owner);

// Sub-line modes of SubListMake.
namespace SubListMode {
constexpr std::int16_t Body = 1;  // one sub line: the body of a routine, loop or tree
constexpr std::int16_t Cases = 2; // one sub line per case record of a branch
} // namespace SubListMode

// Makes the sub lines of a box and the lists below them; returns the first sub line.
// rightPage (the owner record's page break) marks each sub line that is not a case.
std::int16_t SubListMake(std::int16_t canvas, std::int16_t box, std::int16_t mode, bool rightPage);

} // namespace vellumora
