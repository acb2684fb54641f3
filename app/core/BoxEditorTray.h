#pragma once

// What a box-editor session of a canvas hands the box editor window, which stands beside the
// canvas windows: the two reach each other through the program link.

#include <QString>

#include <cstdint>

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

} // namespace vellumora
