#pragma once

// How the canvas edits reach the font dialog, which lives in a folder beside them: the dialog's
// side registers a function that shows it modally on a tray of its public members. While none is
// registered the dialog counts as cancelled, so no font changes.

#include <QString>

#include <functional>
#include <utility>

namespace vellumora {

// The font dialog's public members: preset by the caller, read back unless TrayCancel.
struct FontSettingTray {
    bool TrayFontSettingMode = false;
    QString TrayFontName;
    QString TrayFontSize;
    bool TrayFontBold = false;
    bool TrayFontItalic = false;
    bool TrayFontStrikethru = false;
    bool TrayFontUnderLine = false;
    QString TrayColor;
    QString TrayCaption;
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
