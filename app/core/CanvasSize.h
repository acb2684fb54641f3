#pragma once

// The canvas size from the ini file and the gap members of the layout constants, which the
// layout passes and the canvas slots both use.

#include "app/core/LayoutRecords.h"

#include <cstdint>

namespace vellumora {

// The canvas size read from the ini [CanvasSize] section, twips.
struct CanvasSizeRecord {
    std::int32_t Width = 0;        // kept; the layout does not use it
    std::int32_t Height = 0;       // kept; the layout does not use it
    std::int32_t LeftSpace = 0;    // x of the first box of a canvas
    std::int32_t RightSpace = 0;   // margin right of the rightmost box
    std::int32_t TopSpace = 0;     // y of the first box
    std::int32_t BottomSpace = 0;  // margin below the lowest box

    friend bool operator==(const CanvasSizeRecord&, const CanvasSizeRecord&) = default;

    static const CanvasSizeRecord Default;
};
inline const CanvasSizeRecord CanvasSizeRecord::Default{};

inline CanvasSizeRecord CanvasSize;

// CanvasSize := its default, then the six [CanvasSize] values (centimetres) in twips. A value
// that is missing or no usable number leaves its member 0.
void CanvasSizeLoad();

// The gap members of LO from the measured character width and height.
void LayoutGapsSet(LayoutConstants& lo);

} // namespace vellumora
