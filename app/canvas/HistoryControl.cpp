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

HistoryRecord& SlotOf(std::int32_t sequence)
{
    return History.HistoryList[static_cast<std::size_t>(sequence % HistorySlots)];
}

std::int16_t SlotNumber(std::int32_t sequence)
{
    return static_cast<std::int16_t>(sequence % HistorySlots);
}

// Writes one snapshot file; a writer that fails leaves no half-written output open.
template <class Body>
void SnapshotWrite(const QString& path, Body body)
{
    PadFileCreate(path);
    try {
        body();
        PadFileFinish();
    } catch (...) {
        PadFileAbandon();
        throw;
    }
}

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
// would lose the display order and the window order of the snapshot.
void CanvasSlotRenew(std::int16_t canvas)
{
    const CanvasHeader kept = CanvasAt(canvas, "HistoryCanvasLoad").header;
    CanvasControlsUnload(canvas, false);
    CanvasSlotSetup(canvas, kept.kindFlags);
    BoxListClear(canvas);
    CanvasHeader& header = B[static_cast<std::size_t>(canvas)].header;
    header.number = kept.number;
    header.activateStamp = kept.activateStamp;
}

void SnapshotFilesWrite(std::int16_t slot, const HistoryRecord& record)
{
    SnapshotWrite(HistoryFileName(slot, 0), [] { PadDocumentWrite(false, false); });
    SnapshotWrite(HistoryFileName(slot, "ci"), HistoryCanvasInfoWrite);

    const bool every = record.canvas < 0 || record.previousCanvas < 0;
    if (!every && record.canvas <= 0 && record.previousCanvas <= 0)
        return;
    for (std::size_t i = 1; i < B.size(); ++i) {
        const auto canvas = static_cast<std::int16_t>(i);
        if (B[i].header.state != CanvasState::Open)
            continue;
        if (!every && canvas != record.canvas && canvas != record.previousCanvas)
            continue;
        SnapshotWrite(HistoryFileName(slot, canvas), [canvas] { BoxListWrite(canvas, -1, true, true, true, true); });
    }
}

} // namespace

void HistoryClear()
{
    History.Empty = HistoryRecord{};
    HistoryReset();
}

void HistoryReset()
{
    History.HistoryList.fill(History.Empty);
    History.HistoryIndex = -1;
    TemporaryFileDelete(QStringLiteral("history"));
}

void HistoryAdd(const QString& caption, std::int16_t canvas)
{
    const HistoryState before = History;
    HistoryRecord record;
    record.caption = MenuCaptionClean(caption);
    record.canvas = canvas;
    record.previousCanvas = 0;
    record.editMode = ApplicationGlobals.EditModeFlag;
    if (History.HistoryIndex < 0) {
        History.HistoryIndex = 1;
    } else {
        record.previousCanvas = SlotOf(History.HistoryIndex).canvas;
        ++History.HistoryIndex;
    }
    record.sequence = History.HistoryIndex;

    // The redo steps beyond this point are discarded.
    for (HistoryRecord& slot : History.HistoryList)
        if (slot.sequence > History.HistoryIndex)
            slot.sequence = -1;

    const std::int16_t slot = SlotNumber(History.HistoryIndex);
    TemporaryFileDelete(slot, QStringLiteral("*"), QStringLiteral("history"));
    SlotOf(History.HistoryIndex) = record;
    try {
        SnapshotFilesWrite(slot, record);
    } catch (...) {
        // A snapshot that could not be written whole must never be restored: an undo would empty
        // the canvases whose files are missing.
        TemporaryFileDelete(slot, QStringLiteral("*"), QStringLiteral("history"));
        History = before;
        History.HistoryList[static_cast<std::size_t>(slot)] = History.Empty;
        throw;
    }
}

void HistoryRestore(bool undo)
{
    if (undo ? !HistoryCanUndo() : !HistoryCanRedo()) {
        ErrorMessageBox(undo ? QStringLiteral("これ以上元に戻すことは出来ません。")
                             : QStringLiteral("これ以上やり直すことは出来ません。"));
        return;
    }

    std::int32_t target = 0;
    if (undo) {
        target = History.HistoryIndex;
        // The first undo after an edit keeps the state after it, for the redo.
        if (SlotOf(target + 1).sequence != target + 1) {
            HistoryAdd(QString(), SlotOf(target).canvas);
            History.HistoryIndex = target;
        }
    } else {
        target = History.HistoryIndex + 2;
    }
    const HistoryRecord record = SlotOf(target);
    const std::int16_t slot = SlotNumber(target);
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

bool HistoryCanUndo()
{
    const std::int32_t index = History.HistoryIndex;
    return index >= 0 && SlotOf(index).sequence == index;
}

bool HistoryCanRedo()
{
    const std::int32_t index = History.HistoryIndex;
    return index >= 0 && SlotOf(index + 2).sequence == index + 2;
}

QString HistoryFileName(std::int16_t slot, const FilePart& part)
{
    return TemporaryFileName(slot, part, QStringLiteral("history"));
}

void HistoryCanvasInfoWrite()
{
    for (std::size_t i = 0; i < B.size(); ++i) {
        const CanvasHeader& h = B[i].header;
        PadLineWrite(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                         .arg(i)
                         .arg(h.number)
                         .arg(h.state)
                         .arg(h.activateStamp)
                         .arg(h.kindFlags));
    }
}

void HistoryCanvasInfoRead()
{
    QString line;
    while (PadLineRead(line)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.size() < 5)
            continue;
        bool ok = false;
        const int index = fields[0].toInt(&ok);
        // A slot the document no longer has (or never had) has nothing to take the values.
        if (!ok || index < 0 || static_cast<std::size_t>(index) >= B.size())
            continue;
        const auto canvas = static_cast<std::int16_t>(index);
        CanvasHeader& header = B[static_cast<std::size_t>(index)].header;
        header.number = Short(fields[1].toLongLong(), "HistoryCanvasInfoRead");
        CanvasStateSet(canvas, fields[2].toInt());
        B[static_cast<std::size_t>(index)].header.activateStamp =
            Short(fields[3].toLongLong(), "HistoryCanvasInfoRead");
        B[static_cast<std::size_t>(index)].header.kindFlags = fields[4].toInt();
    }
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
