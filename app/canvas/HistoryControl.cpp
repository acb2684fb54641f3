#include "app/canvas/HistoryControl.h"

#include "app/core/Utilities.h"

namespace vellumora {

void HistoryClear()
{
    History.Empty = HistoryRecord{};
    History.Empty.caption.clear();
    History.Empty.sequence = -1;
    HistoryReset();
}

void HistoryReset()
{
    History.HistoryList.fill(History.Empty);
    History.HistoryIndex = -1;
    TemporaryFileDelete(QStringLiteral("history"));
}

// Snapshots are not taken yet: the ring stays empty, so there is never a step to undo or redo.
void HistoryAdd(const QString& caption, std::int16_t canvas) {}

void HistoryRestore(bool undo)
{
    if (undo ? !HistoryCanUndo() : !HistoryCanRedo())
        InformationMessageBox(undo ? QStringLiteral("これ以上元に戻すことは出来ません。")
                                   : QStringLiteral("これ以上やり直すことは出来ません。"));
}

bool HistoryCanUndo()
{
    const std::int32_t index = History.HistoryIndex;
    return index >= 0 && History.HistoryList[static_cast<std::size_t>(index % HistorySlots)].sequence == index;
}

bool HistoryCanRedo()
{
    const std::int32_t index = History.HistoryIndex;
    return index >= 0 &&
           History.HistoryList[static_cast<std::size_t>((index + 2) % HistorySlots)].sequence == index + 2;
}

QString HistoryFileName(std::int16_t slot, const FilePart& part)
{
    return TemporaryFileName(slot, part, QStringLiteral("history"));
}

} // namespace vellumora
