#include "app/canvas/ControlIndex.h"

#include <algorithm>

namespace vellumora {

namespace {

// A cell of about a box's height: a screen meets a few hundred of them at most.
constexpr int CellTwips = 2400;
// A chart far wider or taller than usual gets larger cells rather than millions of them.
constexpr std::int64_t MaxCells = 1 << 20;

} // namespace

void ControlIndex::Add(const QRect& area, IndexedControl control)
{
    entries_.push_back({area, control});
}

void ControlIndex::Build(const CanvasSurface& surface)
{
    entries_.clear();
    cells_.clear();
    bounds_ = QRect();
    const auto addVisible = [this](const auto& array, int number) {
        for (int i = 0; i <= int(array.UBound()); ++i) {
            const auto index = std::int16_t(i);
            if (array.IsLoaded(index) && array[index].Visible)
                Add(ControlArea(array[index]), {number, i});
        }
    };
    const auto labels = surface.LabelArrays();
    for (int a = 0; a < int(labels.size()); ++a)
        addVisible(*labels[std::size_t(a)], a);
    const auto lines = surface.LineArrays();
    for (int a = 0; a < int(lines.size()); ++a)
        addVisible(*lines[std::size_t(a)], LabelArrays + a);
    for (const Entry& entry : entries_)
        bounds_ |= entry.area;
    if (entries_.empty())
        return;
    std::int64_t cell = CellTwips;
    while ((std::int64_t(bounds_.width()) / cell + 1) * (std::int64_t(bounds_.height()) / cell + 1) > MaxCells)
        cell *= 2;
    cell_ = int(cell);
    columns_ = bounds_.width() / cell_ + 1;
    rows_ = bounds_.height() / cell_ + 1;
    cells_.assign(std::size_t(columns_) * std::size_t(rows_), {});
    for (int e = 0; e < int(entries_.size()); ++e) {
        int c0 = 0, c1 = 0, r0 = 0, r1 = 0;
        Cells(entries_[std::size_t(e)].area, c0, c1, r0, r1);
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                cells_[std::size_t(r) * std::size_t(columns_) + std::size_t(c)].push_back(e);
    }
}

bool ControlIndex::Cells(const QRect& twips, int& c0, int& c1, int& r0, int& r1) const
{
    const QRect area = twips & bounds_;
    if (area.isEmpty())
        return false;
    c0 = (area.left() - bounds_.left()) / cell_;
    c1 = (area.right() - bounds_.left()) / cell_;
    r0 = (area.top() - bounds_.top()) / cell_;
    r1 = (area.bottom() - bounds_.top()) / cell_;
    return true;
}

std::vector<IndexedControl> ControlIndex::Near(const QRect& twips) const
{
    std::vector<IndexedControl> near;
    int c0 = 0, c1 = 0, r0 = 0, r1 = 0;
    if (cells_.empty() || !Cells(twips, c0, c1, r0, r1))
        return near;
    std::vector<int> found;
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            for (const int e : cells_[std::size_t(r) * std::size_t(columns_) + std::size_t(c)])
                if (entries_[std::size_t(e)].area.intersects(twips))
                    found.push_back(e);
        }
    }
    // Entries were added in walk order: their numbers sort them back into it.
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    near.reserve(found.size());
    for (const int e : found)
        near.push_back(entries_[std::size_t(e)].control);
    return near;
}

} // namespace vellumora
