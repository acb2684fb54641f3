#pragma once

// Undo and redo over a ring of 20 snapshots kept in per-process work files.

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
// Takes the snapshot before a change: the document record and the canvas (every open canvas for -1).
void HistoryAdd(const QString& caption, std::int16_t canvas);
// Undoes (true) or redoes (false) one step; with none left it says so and changes nothing.
void HistoryRestore(bool undo);
bool HistoryCanUndo();
bool HistoryCanRedo();
// The snapshot file of a slot: part 0 the document header, "ci" the canvas list, n canvas n.
QString HistoryFileName(std::int16_t slot, const FilePart& part);

} // namespace vellumora
