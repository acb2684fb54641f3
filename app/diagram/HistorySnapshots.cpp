#include "app/diagram/HistorySnapshots.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/EditState.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "app/diagram/FileInterface.h"
#include "platform/filesystem/FileSystem.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <vector>

namespace vellumora {

namespace {

namespace fs = platform::filesystem;

// One file of a snapshot: its part and what writes it.
struct SnapshotPart {
    FilePart part;
    std::function<void()> write;
};

// The files of a step's snapshot: the document header (part 0), the canvas list ("ci"), and the
// open canvases that the step and the step before it change (every open one when either is -1),
// which the record lists.
std::vector<SnapshotPart> SnapshotParts(HistoryRecord& record)
{
    record.canvases.clear();
    std::vector<SnapshotPart> parts = {{0, [] { PadDocumentWrite(false, false); }}, {"ci", HistoryCanvasInfoWrite}};
    const bool every = record.canvas < 0 || record.previousCanvas < 0;
    if (!every && record.canvas <= 0 && record.previousCanvas <= 0)
        return parts;
    for (std::size_t i = 1; i < B.size(); ++i) {
        const auto canvas = static_cast<std::int16_t>(i);
        if (B[i].header.state != CanvasState::Open)
            continue;
        if (!every && canvas != record.canvas && canvas != record.previousCanvas)
            continue;
        parts.push_back({canvas, [canvas] { BoxListWrite(canvas, -1, true, true, true, true); }});
        record.canvases.push_back(canvas);
    }
    return parts;
}

// Writes the files under the names given, in the order of the parts; a file that cannot be
// written leaves none of them behind.
std::vector<QString> SnapshotWrite(const std::vector<SnapshotPart>& parts,
                                   const std::function<QString(const FilePart&)>& nameOf)
{
    std::vector<QString> written;
    try {
        for (const SnapshotPart& part : parts) {
            written.push_back(nameOf(part.part));
            PadFileCreate(written.back());
            try {
                part.write();
                PadFileFinish();
            } catch (...) {
                PadFileAbandon();
                throw;
            }
        }
    } catch (...) {
        for (const QString& path : written)
            TemporaryFileDelete(path);
        throw;
    }
    return written;
}

// A snapshot written beside the ring, not yet a step of it: a step enters the ring only once its
// files are whole, and the steps it would displace stay until then.
struct StagedSnapshot {
    HistoryRecord record;
    std::vector<SnapshotPart> parts;
    std::vector<QString> files;
};

StagedSnapshot SnapshotStage(const QString& caption, std::int16_t canvas)
{
    StagedSnapshot staged;
    staged.record.caption = MenuCaptionClean(caption);
    staged.record.canvas = canvas;
    staged.record.editMode = ApplicationGlobals.EditModeFlag;
    if (History.HistoryIndex >= 0)
        staged.record.previousCanvas = HistorySlotOf(History.HistoryIndex).canvas;
    staged.parts = SnapshotParts(staged.record);
    staged.files = SnapshotWrite(staged.parts, [](const FilePart& part) {
        return TemporaryFileName(QStringLiteral("staged"), part, QStringLiteral("history"));
    });
    return staged;
}

void SnapshotDrop(const StagedSnapshot& staged)
{
    for (const QString& path : staged.files)
        TemporaryFileDelete(path);
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Whether the document is still what the staged snapshot holds.
bool SnapshotCurrent(const StagedSnapshot& staged)
{
    const std::vector<QString> now = SnapshotWrite(staged.parts, [](const FilePart& part) {
        return TemporaryFileName(QStringLiteral("check"), part, QStringLiteral("history"));
    });
    bool same = true;
    for (std::size_t i = 0; i < now.size() && same; ++i)
        same = FileBytes(now[i]) == FileBytes(staged.files[i]);
    for (const QString& path : now)
        TemporaryFileDelete(path);
    return same;
}

// Makes the staged snapshot the newest step: the steps to redo are discarded and the slot it
// takes is emptied of the step it held.
void SnapshotCommit(const StagedSnapshot& staged)
{
    const HistoryState before = History;
    HistoryRecord record = staged.record;
    History.HistoryIndex = History.HistoryIndex < 0 ? 1 : History.HistoryIndex + 1;
    record.sequence = History.HistoryIndex;

    // The redo steps beyond this point are discarded.
    for (HistoryRecord& slot : History.HistoryList)
        if (slot.sequence > History.HistoryIndex)
            slot.sequence = -1;

    const std::int16_t slot = HistorySlotNumber(History.HistoryIndex);
    TemporaryFileDelete(slot, QStringLiteral("*"), QStringLiteral("history"));
    HistorySlotOf(History.HistoryIndex) = record;
    try {
        for (std::size_t i = 0; i < staged.files.size(); ++i)
            fs::RenameWorkFile(staged.files[i], HistoryFileName(slot, staged.parts[i].part));
        // The staged names are free again.
        SnapshotDrop(staged);
    } catch (...) {
        // A snapshot that is not whole must never be restored: an undo would empty the canvases
        // whose files are missing.
        TemporaryFileDelete(slot, QStringLiteral("*"), QStringLiteral("history"));
        SnapshotDrop(staged);
        History = before;
        History.HistoryList[static_cast<std::size_t>(slot)] = History.Empty;
        throw;
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
    SnapshotCommit(SnapshotStage(caption, canvas));
}

void HistoryEdit(const QString& caption, std::int16_t canvas, const std::function<void()>& edit)
{
    const bool wasModified = GetModifyFlag();
    SetModifyFlag(true);
    StagedSnapshot staged;
    try {
        staged = SnapshotStage(caption, canvas);
    } catch (...) {
        SetModifyFlag(wasModified);
        throw;
    }
    try {
        edit();
    } catch (...) {
        // Refused: the document is as it was, and so are the flag and the ring. An edit that
        // changed something before it failed keeps its step, so that undo can take it back.
        bool refused = false;
        try {
            refused = SnapshotCurrent(staged);
        } catch (...) {
            // Not known to be unchanged: the step stays.
        }
        if (refused) {
            SnapshotDrop(staged);
            SetModifyFlag(wasModified);
        } else {
            SnapshotCommit(staged);
        }
        throw;
    }
    SnapshotCommit(staged);
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

bool HistorySnapshotWhole(std::int32_t sequence)
{
    const HistoryRecord& record = HistorySlotOf(sequence);
    const std::int16_t slot = HistorySlotNumber(sequence);
    return fs::FileExists(HistoryFileName(slot, 0)) && fs::FileExists(HistoryFileName(slot, "ci")) &&
           std::all_of(record.canvases.begin(), record.canvases.end(),
                       [slot](std::int16_t canvas) { return fs::FileExists(HistoryFileName(slot, canvas)); });
}

void HistoryStepsDrop(std::int32_t sequence, bool undo)
{
    for (HistoryRecord& step : History.HistoryList) {
        if (step.sequence < 0 || (undo ? step.sequence > sequence : step.sequence < sequence))
            continue;
        TemporaryFileDelete(HistorySlotNumber(step.sequence), QStringLiteral("*"), QStringLiteral("history"));
        step = History.Empty;
    }
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
