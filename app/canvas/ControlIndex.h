#pragma once

// The visible label and line controls of a canvas window by where they lie, so that a paint and
// a hit test visit only the controls near the area or point asked for, not every control loaded.

#include "app/core/CanvasSurface.h"

#include <QRect>

#include <cstdint>
#include <vector>

namespace vellumora {

// A control of the window: its array (0 to 3 the label arrays, 4 to 15 the line arrays, both in
// the window's own order) and its index in that array.
struct IndexedControl {
    int array = 0;
    int index = 0;

    friend bool operator==(const IndexedControl&, const IndexedControl&) = default;
    friend auto operator<=>(const IndexedControl&, const IndexedControl&) = default;
};

class ControlIndex {
public:
    static constexpr int LabelArrays = 4;

    // Indexes the visible controls of the window as they are now.
    void Build(const CanvasSurface& surface);
    // The indexed controls whose area may meet the rectangle in twips, in array order and within
    // an array by index: the order of a walk over every control.
    std::vector<IndexedControl> Near(const QRect& twips) const;

private:
    struct Entry {
        QRect area;
        IndexedControl control;
    };
    void Add(const QRect& area, IndexedControl control);
    // The cells the rectangle meets, as column and row ranges; false when it meets none.
    bool Cells(const QRect& twips, int& c0, int& c1, int& r0, int& r1) const;

    std::vector<Entry> entries_;
    QRect bounds_;
    int cell_ = 1;
    int columns_ = 0;
    int rows_ = 0;
    // Per cell, the entries that meet it.
    std::vector<std::vector<int>> cells_;
};

} // namespace vellumora
