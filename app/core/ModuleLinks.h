#pragma once

// Steps that the model and the busy protocol take in modules that sit above them (canvas slots,
// the copy buffer, the search, the report settings, the debug-class dialog). The program
// registers every step once at start-up; calling a step nobody registered raises
// std::bad_function_call, which the command's error boundary reports.

#include <cstdint>
#include <functional>

namespace vellumora {

struct ModuleLinks {
    // Gives canvas n (a new slot when n < 0) a cleared box list and its window; the slot index.
    std::function<std::int16_t(std::int16_t n, std::int32_t kindFlags)> CanvasSlotSetup;
    // Unloads the loaded controls of the canvas's window, with unloadForm the window too.
    std::function<void(std::int16_t canvas, bool unloadForm)> CanvasControlsUnload;
    // Drops the local copy buffer and the exchange files.
    std::function<void()> ClipboardReset;
    // Hides the search highlight (clear: also forgets the shown match) and ends the search.
    std::function<void(bool clear)> SearchHighlightHide;
    std::function<void()> SearchReset;
    // Derives the printable sizes from the report settings.
    std::function<void()> ReportSettingApply;
    // Opens the debug-class dialog.
    std::function<void()> DebugClassSetShow;
};

ModuleLinks& Links();

} // namespace vellumora
