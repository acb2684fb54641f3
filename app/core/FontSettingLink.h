#pragma once

// How the canvas edits reach the font dialog, which lives in a folder beside them: the dialog's
// side registers a function that shows it modally on a tray of its public members. While none is
// registered the dialog counts as cancelled, so no font changes.

#include <QString>

#include <functional>
#include <utility>

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

using FontSettingShow = std::function<void(FontSettingTray& tray)>;

inline FontSettingShow& FontSettingShowHandler()
{
    static FontSettingShow handler;
    return handler;
}

inline void SetFontSettingShow(FontSettingShow show)
{
    FontSettingShowHandler() = std::move(show);
}

// Shows the dialog on the tray; without a registered dialog the tray comes back cancelled.
inline void FontSettingShowModal(FontSettingTray& tray)
{
    tray.TrayCancel = true;
    if (const FontSettingShow& show = FontSettingShowHandler())
        show(tray);
}

} // namespace vellumora
