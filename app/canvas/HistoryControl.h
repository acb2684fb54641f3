#pragma once

// Undo and redo: restoring a snapshot of the undo ring re-creates the canvases and their windows
// as the snapshot had them. The ring and the snapshot files themselves belong to the document.

#include "app/diagram/HistorySnapshots.h"

#include <cstdint>

namespace vellumora {

// Undoes (true) or redoes (false) one step and marks the document modified; with none left it
// says so and changes nothing.
void HistoryRestore(bool undo);
// Loads the open input as the document header (canvas 0 or less) or as canvas c, which keeps the
// display number and the stacking stamp it has.
void HistoryCanvasLoad(std::int16_t canvas);

} // namespace vellumora
