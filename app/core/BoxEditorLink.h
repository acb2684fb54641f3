#pragma once

// The box-editor sessions of the canvases and the box editor window stand side by side: each
// reaches the other through these steps, which the program registers at start-up. Calling a step
// nobody registered raises std::bad_function_call, which the command's error boundary reports.

#include <QString>

#include <cstdint>
#include <functional>

class QWidget;

namespace vellumora {

// Session modes: the value the editor receives as TrayEditMode.
namespace BoxEditMode {
constexpr std::int32_t Modify = 1; // the box itself is changed
constexpr std::int32_t Before = 2; // a new box before the box
constexpr std::int32_t After = 3;  // a new box after the box
constexpr std::int32_t Upper = 4;  // a new routine above the canvas's whole top chain (on sub line 0)
constexpr std::int32_t Lower = 5;  // a new first box below an empty sub line
} // namespace BoxEditMode

// The public members an editor is given before it is shown.
struct BoxEditorTray {
    QString TrayPutFileName;
    QString TrayGetFileName;
    std::int16_t TrayBaseIndex = 0;
    std::int16_t TrayBoxSubIndex = 0;
    std::int32_t TrayEditMode = 0;
};

struct BoxEditorLinks {
    // A new editor window for a session, given the tray and shown modeless. Closing the window
    // (close()) hands its session back as cancelled unless it was handed back already.
    std::function<QWidget*(const BoxEditorTray& tray)> EditorShow;
    // Ends a session; unless cancelled the result in its get file is applied to the canvas.
    std::function<void(const BoxEditorTray& tray, bool cancel)> EditorReturn;
};

BoxEditorLinks& BoxEditorLink();

} // namespace vellumora
