#pragma once

// Undo and redo: restoring a snapshot of the undo ring re-creates the canvases and their windows
// as the snapshot had them. The ring and the snapshot files themselves belong to the document.

#include "app/diagram/HistorySnapshots.h"

#include <cstdint>

namespace vellumora {

// Undoes (true) or redoes (false) one step and marks the document modified; with none left it
// says so and changes nothing.
void HistoryRestore(bool undo);
// Whether an undo (true) or redo (false) is refused: no step is left that way, or its snapshot
// files are gone (then that step and the ones beyond it are dropped). Says why when it is.
bool HistoryRestoreRefused(bool undo);
// Whether the undo or redo command stops before it restores anything: the step is refused, or
// the user keeps an open box editor.
bool HistoryStepHeld(bool undo);
// Loads the open input as the document header (canvas 0 or less) or as canvas c, which keeps the
// display number and the stacking stamp it has.
void HistoryCanvasLoad(std::int16_t canvas);

} // namespace vellumora
