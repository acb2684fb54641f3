#pragma once

// The program's own clipboard for parts of a chart: a per-process copy buffer, and an
// exchange file published to other running copies through the per-user store. Parts travel as
// tagged text and are pasted only into a canvas of the chart kind they were copied from.

#include <QString>

#include <cstdint>

namespace vellumora {

struct CopyAndPasteState {
    bool ClipboardExistFlag = false;        // a local copy waits in the copy buffer
    std::int32_t ClipboardCanvasFlags = 0;  // kindFlags of the canvas the local copy came from
    QString ClipboardTaskFile;              // the exchange file this instance published
    QString ClipboardPasteFile;             // the local copy of another instance's exchange file
    // The copy being written: whether it goes to the exchange file, and the kindFlags of its
    // parts. The local copy's kind changes only when a local copy is closed, so a copy for
    // another instance never changes what the local copy may be pasted into.
    bool ClipboardCopyToTask = false;
    std::int32_t ClipboardCopyFlags = 0;
};
inline CopyAndPasteState CopyAndPaste;

// Start routine: ClipboardReset.
void ClipboardInitialize();
// Forgets the local copy and deletes the copy buffer and the exchange files of this process;
// the per-user store keeps its values.
void ClipboardReset();
bool ClipboardExist();
// The chart-kind name ("Obstinate1" ...) of the local copy; "" when none.
QString ClipboardObstinateName();

// A copy: open, one ClipboardCopyPart per selected part, close. A box part is (canvas, box, -1),
// a line part (canvas, -1, sub); sub 0 or less stands for the canvas's top chain.
void ClipboardCopyOpen();
void ClipboardTaskCopyOpen();
void ClipboardCopyPart(std::int16_t canvas, std::int16_t box, std::int16_t sub);
void ClipboardCopyClose();
// Closes the exchange file and publishes its name and chart kind in the per-user store.
void ClipboardTaskCopyClose();

// Whether the local copy may be pasted into the canvas; says so when it may not. A copy buffer that
// is gone (its run folder was removed) leaves nothing to paste, and the local copy is forgotten.
bool ClipboardObstinateCheck(std::int16_t canvas);
// Whether the local copy (or the fetched one, fromTask) holds a box to paste; says there is
// nothing to paste when it does not, and a local copy of nothing is forgotten.
bool ClipboardPasteHoldsBox(bool fromTask);
// Fetches the copy another instance published, for pasting into the canvas; says why when it
// cannot.
bool ClipboardTaskPasteFetch(std::int16_t canvas);
// Another instance has published a copy that is still there.
bool ClipboardTaskExist();
// Pastes the local copy (or the fetched one, fromTask) as a chain: before or after the box (box
// 1 or more), else as the chain of the empty sub line sub.
void ClipboardPaste(std::int16_t canvas, std::int16_t box, std::int16_t sub, bool before, bool fromTask);

} // namespace vellumora
