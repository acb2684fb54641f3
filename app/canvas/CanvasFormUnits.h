#pragma once

// Pixels and twips of the canvas window, shared by its source files only.

#include "platform/graphics/DrawingTarget.h"

#include <cmath>
#include <cstdint>

namespace vellumora::canvasform {

inline int ToPixels(std::int32_t twips)
{
    return static_cast<int>(std::floor(static_cast<double>(twips) / platform::graphics::TwipsPerPixel));
}

inline std::int32_t ToTwips(int pixels)
{
    return static_cast<std::int32_t>(pixels) * platform::graphics::TwipsPerPixel;
}

} // namespace vellumora::canvasform
