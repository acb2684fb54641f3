#pragma once

// The undo ring: 20 snapshots of the document kept in per-process work files. A snapshot holds the
// document header, the list of canvas slots ("ci") and the box trees of the canvases that the step
// and the step before it change (every open canvas for a step that changes them all). Taking a
// snapshot touches no window; restoring one (HistoryRestore) re-creates window state and lives with
// the canvas windows.

#include "app/core/Utilities.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace vellumora {

struct HistoryRecord {
    QString caption;
    std::int32_t sequence = -1;        // -1 empty or discarded
    std::int16_t canvas = 0;           // -1 every canvas
    std::int16_t previousCanvas = 0;
    // The edit mode is no part of the document text: the step keeps it beside the snapshot.
    bool editMode = false;
    // The canvases whose box trees the snapshot holds, each in a file of its own.
    std::vector<std::int16_t> canvases;

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
// Runs an edit as its undo step: marks the document modified, takes the snapshot, then makes the
// change. An edit that raises and leaves the document as the snapshot holds it was refused: the
// modified flag and the ring stay as they were before (no step, no snapshot files, the steps to
// redo still there) and the error goes on to the caller.
void HistoryEdit(const QString& caption, std::int16_t canvas, const std::function<void()>& edit);
bool HistoryCanUndo();
bool HistoryCanRedo();
// Whether every file of the snapshot of the sequence number is there: the run folder holding them
// may have been removed while the program runs.
bool HistorySnapshotWhole(std::int32_t sequence);
// Drops a step that can never be restored together with every step beyond it the way the user
// goes (undo: the older ones, redo: the newer ones): their files went with it, and a restore
// never skips a step. The steps the other way stay.
void HistoryStepsDrop(std::int32_t sequence, bool undo);
// The ring slot of a step's sequence number, and its record.
std::int16_t HistorySlotNumber(std::int32_t sequence);
HistoryRecord& HistorySlotOf(std::int32_t sequence);
// The snapshot file of a slot: part 0 the document header, "ci" the canvas list, n canvas n.
QString HistoryFileName(std::int16_t slot, const FilePart& part);
// The canvas list: one line per slot of B, "index TAB number TAB state TAB stamp TAB kindFlags".
void HistoryCanvasInfoWrite();
void HistoryCanvasInfoRead();

} // namespace vellumora
