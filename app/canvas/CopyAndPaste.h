#pragma once

// The program's own clipboard for parts of a chart: a per-process copy buffer, and an
// exchange file published to other running copies through the per-user store.

#include <QString>

#include <cstdint>

namespace vellumora {

struct CopyAndPasteState {
    bool ClipboardExistFlag = false;        // a local copy waits in the copy buffer
    std::int32_t ClipboardCanvasFlags = 0;  // kindFlags of the canvas copied last
    QString ClipboardTaskFile;              // the exchange file this instance published
    QString ClipboardPasteFile;             // the local copy of another instance's exchange file
};
inline CopyAndPasteState CopyAndPaste;

// Start routine: ClipboardReset.
void ClipboardInitialize();
// Forgets the local copy and deletes the copy buffer and the exchange files of this process;
// the per-user store keeps its values.
void ClipboardReset();
bool ClipboardExist();
// Another instance has published a copy that is still there.
bool ClipboardTaskExist();

} // namespace vellumora
