#pragma once

// What the canvas side needs of the box editor window, which lives above it: a new editor for a
// session, shown modeless. The editor side registers itself with SetBoxEditorLink at start-up;
// while none is registered no session can be opened.

#include <QString>

#include <cstdint>

class QWidget;

namespace vellumora {

// The public members an editor is given before it is shown.
struct BoxEditorTray {
    QString TrayPutFileName;
    QString TrayGetFileName;
    std::int16_t TrayBaseIndex = 0;
    std::int16_t TrayBoxSubIndex = 0;
    std::int32_t TrayEditMode = 0;
};

class BoxEditorLink {
public:
    virtual ~BoxEditorLink() = default;

    // Creates an editor window, gives it the tray members and shows it modeless. Closing the
    // window (close()) ends its session as cancelled unless it was handed back already.
    virtual QWidget* EditorShow(const BoxEditorTray& tray) = 0;
};

void SetBoxEditorLink(BoxEditorLink* link);
BoxEditorLink* BoxEditorWindows();

} // namespace vellumora
