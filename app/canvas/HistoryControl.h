#pragma once

// Undo and redo over a ring of 20 snapshots kept in per-process work files. A snapshot holds the
// document header, the list of canvas slots ("ci") and the box trees of the canvases that the step
// and the step before it change (every open canvas for a step that changes them all).

#include "app/core/Utilities.h"

#include <QString>

#include <array>
#include <cstdint>

namespace vellumora {

struct HistoryRecord {
    QString caption;
    std::int32_t sequence = -1;        // -1 empty or discarded
    std::int16_t canvas = 0;           // -1 every canvas
    std::int16_t previousCanvas = 0;
    // The edit mode is no part of the document text: the step keeps it beside the snapshot.
    bool editMode = false;

    friend bool operator==(const HistoryRecord&, const HistoryRecord&) = default;
};

inline constexpr int HistorySlots = 20;

struct HistoryState {
    HistoryRecord Empty;                              // the empty slot record
    std::array<HistoryRecord, HistorySlots> HistoryList{};
    std::int32_t HistoryIndex = -1;                   // newest snapshot before the current state
};
inline HistoryState History;

// Start routine and reset on a document change: sets up the empty slot record, then HistoryReset.
void HistoryClear();
// Empties every slot and deletes every snapshot file.
void HistoryReset();
// Takes the snapshot before a change: the document header, the canvas list and the canvas (every
// open canvas for -1, none for 0) together with the canvas of the step before.
void HistoryAdd(const QString& caption, std::int16_t canvas);
// Undoes (true) or redoes (false) one step and marks the document modified; with none left it
// says so and changes nothing.
void HistoryRestore(bool undo);
bool HistoryCanUndo();
bool HistoryCanRedo();
// The snapshot file of a slot: part 0 the document header, "ci" the canvas list, n canvas n.
QString HistoryFileName(std::int16_t slot, const FilePart& part);
// The canvas list: one line per slot of B, "index TAB number TAB state TAB stamp TAB kindFlags".
void HistoryCanvasInfoWrite();
void HistoryCanvasInfoRead();
// Loads the open input as the document header (canvas 0 or less) or as canvas c, which keeps the
// display number and the stacking stamp it has.
void HistoryCanvasLoad(std::int16_t canvas);

} // namespace vellumora
