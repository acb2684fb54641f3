#include "app/canvas/HistoryControl.h"

#include "app/canvas/CopyAndPaste.h"
#include "app/canvas/PageSetting.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/EditState.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/BoxListMake.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/PadDraw.h"
#include "app/diagram/PadUtilities.h"
#include "app/diagram/TagTable.h"

#include <QStringList>

namespace vellumora {

namespace {

// Reads one snapshot file; the input is closed on every path.
template <class Body>
void SnapshotRead(const QString& path, Body body)
{
    PadFileOpen(path);
    try {
        body();
    } catch (...) {
        PadFileClose();
        throw;
    }
    PadFileClose();
}

// Sets a canvas slot up again as CanvasSlotSetup does, keeping the display number and the stacking
// stamp (and the chart kind) that the canvas list gave it: the set-up hands out fresh ones, which
// would lose the display order and the window order of the snapshot. The name goes, as from a new
// slot: the snapshot's routine record names the canvas again when it has a name, and a canvas
// without one comes back without one.
void CanvasSlotRenew(std::int16_t canvas)
{
    const CanvasHeader kept = CanvasAt(canvas, "HistoryCanvasLoad").header;
    CanvasControlsUnload(canvas, false);
    CanvasSlotSetup(canvas, kept.kindFlags);
    BoxListClear(canvas);
    CanvasHeader& header = B[static_cast<std::size_t>(canvas)].header;
    header.number = kept.number;
    header.activateStamp = kept.activateStamp;
    header.name.clear();
}

// The step an undo restores (the newest one taken) or a redo restores (the one after it).
std::int32_t RestoreTarget(bool undo)
{
    return undo ? History.HistoryIndex : History.HistoryIndex + 2;
}

} // namespace

bool HistoryRestoreRefused(bool undo)
{
    if (undo ? !HistoryCanUndo() : !HistoryCanRedo()) {
        ErrorMessageBox(undo ? QStringLiteral("これ以上元に戻すことは出来ません。")
                             : QStringLiteral("これ以上やり直すことは出来ません。"));
        return true;
    }
    // Checked before anything changes: a canvas is never restored from files that are gone. Such a
    // step is offered no more, and the document stays exactly as it is.
    const std::int32_t target = RestoreTarget(undo);
    if (!HistorySnapshotWhole(target)) {
        HistoryStepsDrop(target, undo);
        ErrorMessageBox(undo ? QStringLiteral("作業ファイルが見つからないため、これ以上元に戻すことは出来ません。")
                             : QStringLiteral("作業ファイルが見つからないため、これ以上やり直すことは出来ません。"));
        return true;
    }
    return false;
}

bool HistoryStepHeld(bool undo)
{
    // A step that will be refused is refused before the open box editors are asked to close, so
    // that they and what is typed in them stay.
    return HistoryRestoreRefused(undo) || BoxEditorCloseCheck(true, -1);
}

void HistoryRestore(bool undo)
{
    // Asked again: the files may have gone while the question about the box editors was open.
    if (HistoryRestoreRefused(undo))
        return;

    const std::int32_t target = RestoreTarget(undo);
    if (undo) {
        // The first undo after an edit keeps the state after it, for the redo.
        if (HistorySlotOf(target + 1).sequence != target + 1) {
            HistoryAdd(QString(), HistorySlotOf(target).canvas);
            History.HistoryIndex = target;
        }
    }
    const HistoryRecord record = HistorySlotOf(target);
    const std::int16_t slot = HistorySlotNumber(target);
    const std::int16_t c = undo ? record.canvas : record.previousCanvas;

    SnapshotRead(HistoryFileName(slot, "ci"), HistoryCanvasInfoRead);

    if (c < 0) {
        for (std::size_t i = 1; i < B.size(); ++i) {
            const auto canvas = static_cast<std::int16_t>(i);
            const QString file = HistoryFileName(slot, canvas);
            if (CommonServices->FileExists(file)) {
                SnapshotRead(file, [canvas] { HistoryCanvasLoad(canvas); });
            } else {
                // Not open when the snapshot was taken: emptied as a new canvas.
                CanvasSlotRenew(canvas);
                CanvasStateSet(canvas, CanvasState::New);
            }
        }
    } else if (c > 0 && static_cast<std::size_t>(c) < B.size() &&
               B[static_cast<std::size_t>(c)].header.state == CanvasState::Open) {
        const QString file = HistoryFileName(slot, c);
        if (CommonServices->FileExists(file))
            SnapshotRead(file, [c] { HistoryCanvasLoad(c); });
        CanvasActivateStamp(c);
    }

    SnapshotRead(HistoryFileName(slot, 0), [] { HistoryCanvasLoad(0); });
    ApplicationGlobals.EditModeFlag = record.editMode;
    EditModeShow();

    if (c > 0) {
        PadDrawRefresh(c);
    } else {
        CanvasesRefreshInOrder();
    }

    History.HistoryIndex = target - 1;
    ClipboardReset();
    // The document now differs from what was saved, whichever way the step went.
    SetModifyFlag(true);
}

void HistoryCanvasLoad(std::int16_t canvas)
{
    if (canvas > 0) {
        CanvasSlotRenew(canvas);
        BoxListMake(canvas, -1);
        return;
    }

    const PadInfoRecord header = GetPadInfo();
    for (PadInfoRecord record = header; record.tagId != 0 && record.tagId != TagId::EndDocument;)
        record = GetPadInfo();
    if (header.tagId != TagId::Document)
        return;
    const FontCode code = FontModifyChech(header.font);
    ApplicationGlobals.DocumentFontName = FontNameText(FontNameIndex(code));
    ApplicationGlobals.DocumentFontSize = FontSizeText(FontSizeValue(FontSizeIndex(code)));
    if (!header.color.isEmpty())
        ApplicationGlobals.DocumentColorName = ColorName(ColorModify(header.color));
    FontAndSizeShow();
    DocumentSettingsText(false, header.text);
}

} // namespace vellumora
