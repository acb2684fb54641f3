#pragma once

// Canvas slots, the canvas size from the ini file and the stacking order of the canvas windows.

#include <cstdint>

namespace vellumora {

// The canvas size read from the ini [CanvasSize] section, twips.
struct CanvasSizeRecord {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t LeftSpace = 0;
    std::int32_t RightSpace = 0;
    std::int32_t TopSpace = 0;
    std::int32_t BottomSpace = 0;

    static const CanvasSizeRecord Default;
};

extern CanvasSizeRecord CanvasSize;

// Appends (n < 0) or resets canvas slot n, creates its window and sets the gap constants; returns n.
std::int16_t CanvasSlotSetup(std::int16_t n, std::int32_t kindFlags);
// Unloads the loaded controls above 0 of a canvas window; with unloadForm the window too.
void CanvasControlsUnload(std::int16_t canvas, bool unloadForm);
// CanvasSize := default, then the six [CanvasSize] values in twips.
void CanvasSizeLoad();

void CanvasOrderInitialize();
void CanvasOrderReset();
void CanvasOrderSave();
void CanvasOrderRestore();

} // namespace vellumora
