#pragma once

// Fonts and colours of the diagram: the named colours and font lists of the ini file, colour specs
// and font attribute texts both ways, the font and colours selected on each canvas window and on the
// printer (applied only when they change), text measuring, and the layout constants LO that follow
// the printer's font.

#include "app/core/LayoutRecords.h"

#include <QString>

#include <cstdint>

namespace vellumora {

// A font choice packed in 32 bits: bits 0-15 the index into FontNameList (0 the document font name),
// bits 16-25 the size in tenths of a point (0 the document size), bits 26-29 bold, italic,
// strikethrough, underline.
using FontCode = std::int32_t;

// Start-up: colour table, font lists, ini defaults, document defaults, printer-side code 0.
void FontAndColorLoad();
// Shutdown: empties FontNameList, FontSizeList and ColorTable.
void FontAndColorClear();

// The default-font command; true when the document font or colour changed.
bool DefaultFontSetting(const QString& caption);

// A colour spec (blank, a ColorTable name or caption, or "r..,g..,b.." in any order) to a colour value;
// a blank spec gives the printer-side fore colour. Raises -2147220991 from "ColorModify" on a bad spec.
std::int32_t ColorModify(const QString& spec);
// A colour value to the colour spec written into documents: "" for -1, a caption, or "rR,gG,bB".
QString ColorName(std::int32_t value);
// A box's colour both ways. A box without a colour of its own has the default colour, which the
// colour lists name "標準": a blank spec gives -1 here, never the colour in hand that ColorModify
// gives, and -1 gives "標準".
std::int32_t BoxColorModify(const QString& spec);
QString BoxColorName(std::int32_t value);
void DefaultColorSet(const QString& spec);

// A canvas of 1 or more names that canvas's window; 0 or less names the printer alone. Every call
// also brings the printer up to date.
void DrawStateReset(std::int16_t canvas);
void ForeColorSet(std::int32_t color, std::int16_t canvas);
void DrawColorSet(std::int32_t color, std::int16_t canvas);
void PrinterColorApply();

void DefaultFontSet(const QString& text);
// A font attribute text to a FontCode; a blank text gives the printer-side code, "標準" gives 0.
// Raises -2147220991 from "FontModifyChech" on a bad line.
FontCode FontModifyChech(const QString& text);
// A FontCode to its attribute text, listing only what differs from code 0.
QString FontModifyText(FontCode code);
// Selects a font on a canvas window and on the printer; a new printer font recomputes LO.
void FontSelect(FontCode code, std::int16_t canvas);

std::int16_t FontNameIndex(FontCode code);
QString FontNameText(std::int16_t nameIndex);
std::int16_t FontSizeIndex(FontCode code);
double FontSizeValue(std::int16_t tenths);
QString FontSizeText(double points);
bool FontBoldFlag(FontCode code);
bool FontItalicFlag(FontCode code);
bool FontStrikethruFlag(FontCode code);
bool FontUnderlineFlag(FontCode code);

// Twips of a multi-line text in the font selected on the target: the widest line; the height of
// all lines (split: very many lines are measured in groups).
std::int32_t TextWidthGet(const QString& text, std::int16_t canvas);
std::int32_t TextHeightGet(const QString& text, std::int16_t canvas, bool split);
// Every TAB becomes CR LF and four blanks.
QString TabToNewLine(const QString& text);

// Ends the printer's document after text was measured on it, so no job stays open.
void PrinterDocEnd();

} // namespace vellumora
