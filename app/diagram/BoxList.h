#pragma once

// Keeps a canvas's boxes and sub lines in growable lists with free chains. Slot 0 of
// each list is a spare; freed slots are reused before a list grows, and the index of a
// slot in use never changes while the canvas lives, so records link by index.

#include "app/core/DiagramRecords.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace vellumora {

// Takes a box slot on the canvas and fills it from the record; returns its index.
// The neighbours are not linked: the caller sets the previous box's after and the owner's links.
std::int16_t BoxAdd(std::int16_t canvas, const PadInfoRecord& record, std::int16_t before, std::int16_t upper);
// Takes a sub-line slot owned by box upper; returns its index. The neighbours are not linked.
std::int16_t SubLineAdd(std::int16_t canvas, std::int16_t before, std::int16_t upper, std::int16_t number);
// Frees a box and its sub lines; withBoxes also frees every box below them.
void BoxDelete(std::int16_t canvas, std::int16_t box, bool withBoxes);
// Frees a sub line; withBoxes also frees the chain below it.
void SubLineDelete(std::int16_t canvas, std::int16_t sub, bool withBoxes);
// Both lists back to one spare slot, both free chains empty; PR's layout lists erased.
void BoxListClear(std::int16_t canvas);
// Gives canvas n (a new slot appended to B when n < 0) cleared box lists and, for n > 0, its
// display number, a stacking stamp of its own and the chart kind; selects the document font and
// sets the gap members of LO. The slot gets no window: the canvas windows are made by their own
// floor once the records are there. Returns the slot index.
std::int16_t CanvasSlotPrepare(std::int16_t n, std::int32_t kindFlags);
// Loads the controls of every box and sub line in use into the canvas's window: a window made
// after its canvas was read starts with none. Nothing happens when the canvas has no window.
void CanvasControlsLoad(std::int16_t canvas);
// Unloads every loaded control above element 0 of the canvas's window; with unloadForm the
// window too, and the slot forgets it. Nothing happens when the canvas has no window.
void CanvasControlsUnload(std::int16_t canvas, bool unloadForm);
// Both lists emptied; the canvas window and its controls unloaded.
void CanvasRelease(std::int16_t canvas);
// Releases the canvases from slot first upwards, the last first, and drops their slots. The
// closing flag is held meanwhile, so that each window really unloads instead of only hiding,
// and is given back as it was, also when a release fails.
void CanvasesRelease(std::size_t first);

// A text record for a text: default flags, its line count.
InternalCode TextInfoMake(const QString& text);
// Measures the text on the canvas (a blank when empty) and marks it drawn.
void TextSizeMeasure(InternalCode& code, std::int16_t canvas);
FigureData LineFigureMake(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
FigureData ArcFigureMake(std::int32_t kind, std::int32_t x, std::int32_t y, std::int32_t radius);

} // namespace vellumora
