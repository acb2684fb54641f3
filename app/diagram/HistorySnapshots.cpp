#include "app/diagram/HistorySnapshots.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "app/diagram/FileInterface.h"

#include <QStringList>

namespace vellumora {

namespace {

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
        record.previousCanvas = HistorySlotOf(History.HistoryIndex).canvas;
        ++History.HistoryIndex;
    }
    record.sequence = History.HistoryIndex;

    // The redo steps beyond this point are discarded.
    for (HistoryRecord& slot : History.HistoryList)
        if (slot.sequence > History.HistoryIndex)
            slot.sequence = -1;

    const std::int16_t slot = HistorySlotNumber(History.HistoryIndex);
    TemporaryFileDelete(slot, QStringLiteral("*"), QStringLiteral("history"));
    HistorySlotOf(History.HistoryIndex) = record;
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

bool HistoryCanUndo()
{
    const std::int32_t index = History.HistoryIndex;
    return index >= 0 && HistorySlotOf(index).sequence == index;
}

bool HistoryCanRedo()
{
    const std::int32_t index = History.HistoryIndex;
    return index >= 0 && HistorySlotOf(index + 2).sequence == index + 2;
}

std::int16_t HistorySlotNumber(std::int32_t sequence)
{
    return static_cast<std::int16_t>(sequence % HistorySlots);
}

HistoryRecord& HistorySlotOf(std::int32_t sequence)
{
    return History.HistoryList[static_cast<std::size_t>(sequence % HistorySlots)];
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

} // namespace vellumora
