#pragma once

// The tag vocabulary: record kinds of the tagged-text format and box kinds of a
// diagram, with their attribute bits. The tables live in PR and are built once at
// start-up; they are read-only afterwards.

#include "app/core/DiagramRecords.h"

#include <QString>

#include <cstdint>

namespace vellumora {

// Attribute bits of a tag row (TagAttributeTable, rows 0 to 18 in this order).
namespace TagAttribute {
constexpr std::int32_t BlockTag = 0x1;
constexpr std::int32_t BlockEndTag = 0x2;
constexpr std::int32_t DerivedTag = 0x4;
constexpr std::int32_t SpecialTag = 0x8;
constexpr std::int32_t OtherTag = 0x10;
constexpr std::int32_t Frame = 0x20;
constexpr std::int32_t TextUnnecessary = 0x40;
constexpr std::int32_t SubLevel = 0x80;
constexpr std::int32_t MultiSub = 0x100;
constexpr std::int32_t LargeText = 0x200;
constexpr std::int32_t SmallText = 0x400;
constexpr std::int32_t CanDivide = 0x800;
constexpr std::int32_t NoVerticalGap = 0x1000;
constexpr std::int32_t NullTextSuppress = 0x2000;
constexpr std::int32_t Obstinate1 = 0x4000;   // PAD chart
constexpr std::int32_t Obstinate2 = 0x8000;   // module-structure chart
constexpr std::int32_t Obstinate3 = 0x10000;
constexpr std::int32_t Obstinate4 = 0x20000;
constexpr std::int32_t Obstinate5 = 0x40000;
constexpr std::int32_t ObstinateMask = 0x7C000; // the chart-kind bits
} // namespace TagAttribute

// Tag ids: the row with id n stands at index n - 1 of TagTable.
namespace TagId {
constexpr std::int32_t Document = 1;
constexpr std::int32_t EndDocument = 2;
constexpr std::int32_t Routine = 3;
constexpr std::int32_t EndRoutine = 4;
constexpr std::int32_t Block = 5;
constexpr std::int32_t Declare = 6;
constexpr std::int32_t Input = 7;
constexpr std::int32_t Output = 8;
constexpr std::int32_t External = 9;
constexpr std::int32_t Branch = 10;
constexpr std::int32_t EndBranch = 11;
constexpr std::int32_t Loop = 12;
constexpr std::int32_t EndLoop = 13;
constexpr std::int32_t Label = 14;
constexpr std::int32_t Break = 15;
constexpr std::int32_t Continue = 16;
constexpr std::int32_t Jump = 17;
constexpr std::int32_t Tree = 18;
constexpr std::int32_t EndTree = 19;
constexpr std::int32_t Note = 20;
constexpr std::int32_t Chink = 21;
constexpr std::int32_t FreeStyle = 22;
constexpr std::int32_t Egg = 23;
constexpr std::int32_t Case = 24;
constexpr std::int32_t Color = 25;
constexpr std::int32_t Font = 26;
constexpr std::int32_t Name = 27;
constexpr std::int32_t Before = 28;
constexpr std::int32_t After = 29;
constexpr std::int32_t Style = 30;
constexpr std::int32_t Text = 31;
constexpr std::int32_t LowerPage = 32;
constexpr std::int32_t RightPage = 33;
constexpr std::int32_t Obstinate = 34;
constexpr std::int32_t Last = 34;
} // namespace TagId

// Builds the four tag tables, then resets RS and reads the ini [Default] settings.
void TagTableDefine();
// Appends one row to the attribute table (name trimmed).
void TagAttributeAdd(const QString& name, std::int32_t value);
// Appends one tag row from "box name, mnemonic, attribute+attribute".
void TagTableAdd(std::int32_t id, const QString& rowText);
// Appends one free-style attribute with its values separated by ":".
void StyleAttributeTableAdd(const QString& name, const QString& valueList);
// Erases the attribute, tag and style tables (the chart-kind table stays).
void PadTablesClear();

// A copy of the tag row with this id; the empty row when there is none.
TagTableRecord TagTableGet(std::int32_t tagId);
// The chart kinds a canvas is edited as, in the box editor and by copy and paste: its own kind, or
// for a canvas read without one (a hand-written document may leave the routine's kind out) the
// chart its boxes make: the first chart kind that all of them belong to (a PAD chart while it
// holds none), or, when they share no kind, every kind one of them belongs to. The canvas itself
// stays without a kind, and is written so.
std::int32_t CanvasChartKinds(const CanvasRecord& canvas);
// A fresh record for a tag id: number -1, the row's flags, the given text.
PadInfoRecord PadInfoMake(std::int32_t tagId, const QString& text);
// Fills the style bytes of a box from the record's style text; raises on a bad item.
void FreeStyleParse(std::int16_t canvas, std::int16_t box, const PadInfoRecord& record);

// Shows the message and returns true when the text is too long; with a maximum of 0 or less the
// box kind of tagId decides both limits.
bool InputTextCheck(const QString& text, std::int32_t tagId, std::int32_t maxChars = 0, std::int32_t maxLines = 0);

} // namespace vellumora
