#pragma once

// Dumps of whole records to the debug log, one labelled entry per member: the box tree of a
// canvas, and the layout constants, report settings and pages of a print job.

#include "app/core/DiagramRecords.h"

#include <QString>

#include <cstdint>

namespace vellumora {

// The boxes and sub lines of canvas `canvas` of B as a tree, written when class `debugClass` is
// on. A negative start box starts at the canvas's first box and makes this the outermost call,
// which alone tests the class and ends the forced class again. Slot 0 is never dumped, and a
// box or sub line reached a second time (a damaged chain) ends that walk.
void DebugBoxList(std::int16_t canvas, std::int16_t debugClass, std::int16_t startBox, std::int16_t indent);
// LO, RS and the pages of RW with the blocks they list, written when class `debugClass` is on.
void DebugReportList(std::int16_t debugClass);

// The four entries of a text record (none when its text is empty); a number of 0 or more is
// appended to each label, the prefix put in front.
void DebugInternalCode(const InternalCode& code, std::int16_t number, std::int16_t indent, const QString& prefix);
// The four entries of a figure (none for kind 0 or below), labels as for DebugInternalCode.
void DebugFigureData(const FigureData& figure, std::int16_t number, std::int16_t indent, const QString& prefix);
// "x, y".
QString DebugPoint(const Point& point);

} // namespace vellumora
