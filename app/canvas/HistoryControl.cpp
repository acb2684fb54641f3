#include "app/canvas/HistoryControl.h"

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
