#pragma once

// Draw work files: everything a printed page shows, written as lines of LINE, BOX, CIRCLE and TEXT
// records for the renderer to read back. One file per layout block (with the tree of blocks that
// continue one another), one per page for the header and footer items that change from page to
// page, and one common file for the items and frames every page shares.

#include "app/core/DiagramRecords.h"

#include <QString>

#include <cstdint>

namespace vellumora {

// Writes the block of a box of the print work slot 0 (-1: the canvas's first box) and every block
// that continues from it; returns the block of the box, -1 for a canvas without boxes. Block files
// stay open until DrawFileClose. When the user stops the job, the blocks not written yet are left.
std::int16_t BlockDrawFileWrite(std::int16_t box);

// The writers of single records on an open draw work file, positions relative to the origin.
void DrawRecordBox(std::int16_t fileNo, const Point& origin, const Point& topLeft, const Point& bottomRight);
void DrawRecordFigure(std::int16_t fileNo, const Point& origin, const FigureData& figure);
// One TEXT record per displayed line, in the font and colour selected on the printer.
void DrawRecordText(std::int16_t fileNo, const Point& origin, const InternalCode& text);
void DrawRecordPut(std::int16_t fileNo, const QString& line);

// Opens a draw work file for output under a free file number (an existing file is replaced at
// close). Closing puts what was written on disk and frees the number; raises the file error when
// the file cannot be written.
std::int16_t DrawFileCreate(const QString& path);
void DrawFileClose(std::int16_t fileNo);
// Drops every open draw work file without writing it (after a failed job).
void DrawFilesAbandon();

// The common file and every page file of the job (after the last canvas). Stops between two pages
// when the user stopped the job.
void PageFilesWrite();
// The header and footer items of one page (0: the common file with the frames).
void PageHeaderFooterWrite(std::int16_t fileNo, std::int16_t page);
// The text of one header or footer item, measured in the font and colour of its slot, which are
// left selected on the printer; an empty text record when the item shows nothing.
void HeaderFooterItemText(std::int16_t slot, std::size_t item, std::int16_t page, InternalCode& text);
// A date "yyyy/mm/dd hh:mm:ss" in the given format; empty for no date or a blank format.
QString DateFormatText(const QString& date, const QString& format);

} // namespace vellumora
