#pragma once

// The font dialog's public members as the canvas edits and the print settings hand them to the
// dialog, which lives beside them (through the program link) and back.

#include <QString>

namespace vellumora {

// The font dialog's public members: preset by the caller, read back unless it was cancelled. The
// dialog itself carries them too.
struct FontSettingFields {
    // False: the document's default font; true: the font of boxes (with "標準" entries and the
    // four styles).
    bool TrayFontSettingMode = false;
    QString TrayFontName;
    QString TrayFontSize;
    bool TrayFontBold = false;
    bool TrayFontItalic = false;
    bool TrayFontStrikethru = false;
    bool TrayFontUnderLine = false;
    QString TrayColor;
    QString TrayCaption;
};

// The fields as the link carries them to the dialog and back.
struct FontSettingTray : FontSettingFields {
    bool TrayCancel = true;
};

} // namespace vellumora
