#pragma once

// The frame of a print job's layout: the job's work record RW reset once per job (page estimate,
// mark label size and the two continuation-mark templates), the per-canvas work copy in slot 0 of
// B, laying one canvas out into blocks, and clearing the job again. Progress goes to hooks that
// the job sets; each progress call answers whether the user asked to cancel.

#include "app/core/PrintRecords.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace vellumora {

// Where the layout reports its progress. Unset hooks report nothing and never cancel.
struct PrintProgressHooks {
    std::function<void(const QString&)> caption = {};  // the canvas being laid out, "name:number"
    std::function<bool(std::int16_t)> box = {};        // a box is being placed (its running number)
    std::function<bool(std::int16_t)> step = {};       // a stage of the canvas has finished (1 to 5)
    std::function<bool()> after = {};                  // every canvas has been laid out
    // Between two progress calls, a long stage of the job (writing the draw work files) lets the
    // progress dialog take a press of Cancel.
    std::function<bool()> yield = {};
};
void PrintProgressSet(PrintProgressHooks hooks);
void ProgressCaption(const QString& caption);
bool BoxProgress(std::int16_t no);
bool OtherBoxProgress(std::int16_t step);
bool AfterProgress();
bool ProgressYield();

// The message when the report body has no room: margins, spaces and bands take the whole paper,
// or the paper is unknown.
extern const QString ReportAreaTooSmallMessage;
// Whether the report body of RS has room for a chart (width and height of at least one twip).
bool ReportAreaUsable();

// Resets RW for a new job over the chosen canvases. Raises the report-area message (source
// "PrintLayoutInitialize") without touching RW when the report body has no room.
void PrintLayoutInitialize(const std::vector<std::int16_t>& canvasList);
// Copies canvas c into slot 0 of B and prepares PR's level records for it.
void PrintCanvasCopy(std::int16_t canvas);
// The layout half of one canvas up to its blocks: the work copy, its preparation, the root block,
// the placement and progress step 1. True when the job is to stop (cancelled, or a box too large
// for a page, whose message has been shown).
bool PrintLayoutBlocks(std::int16_t canvas);
// Erases the block and page lists and resets RW.
void PrintWorkClear();

} // namespace vellumora
