#pragma once

// A print job in its two halves: the layout half lays every chosen canvas out into blocks, draw
// work files and pages (inside the progress dialog); the output half renders the pages and
// previews, prints or writes them as PDF, then clears the job's work record and files.

#include <QString>

#include <cstdint>
#include <vector>

class QWidget;

namespace vellumora {

// Lays one canvas out and appends its blocks and pages to RW; true when the job is to stop (the
// user cancelled, or a box is too large for a page and its message has been shown).
bool PrintLayoutCanvas(std::int16_t canvas);

// The layout half over the chosen canvases; true when it stopped.
bool PadPrintRun(const std::vector<std::int16_t>& canvasList);

// The output half (1 preview, 2 print, 3 PDF to RS.pdfPath); the dialog that started the job is
// hidden before the output is delivered. The job's work is cleared also when the output fails.
std::int16_t PrintOutputExecute(std::int32_t mode, QWidget* printDialog = nullptr);
// Renders every page of the job from its draw work files into a new book, which keeps them (mode
// 0 or preview) or paints each on the printer or into the PDF file as it is made.
void PrintPagesRender(std::int32_t mode = 0);
// Renders every page of the job into the book and delivers it.
void PrintPagesOutput(std::int32_t mode, QWidget* printDialog = nullptr);

// Drops everything a job made: the block and page lists, RW, the draw work files and the
// modal-window text. Runs after the output and after any failure of either half.
void PrintJobAbandon();

} // namespace vellumora
