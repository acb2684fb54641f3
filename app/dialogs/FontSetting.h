#pragma once

// The font dialog: a font name, a size, a text colour and, for box fonts, the four font styles.
// The default-font command asks it for the document's font, the box-font command for the font
// of the selected parts.

#include "app/core/FontSettingTray.h"
#include "app/dialogs/TrayDialog.h"

#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;

namespace vellumora {

class FontSetting : public TrayDialog, public FontSettingFields {
    Q_OBJECT
public:
    explicit FontSetting(QWidget* parent = nullptr);
    ~FontSetting() override;

    QLabel* lblFontName = nullptr;
    QComboBox* cmbFontName = nullptr;
    QLabel* lblFontSize = nullptr;
    QComboBox* cmbFontSize = nullptr;
    QLabel* lblColor = nullptr;
    QComboBox* cmbColor = nullptr;
    QCheckBox* chkFontBold = nullptr;
    QCheckBox* chkFontItalic = nullptr;
    QCheckBox* chkFontStrikethru = nullptr;
    QCheckBox* chkFontUnderLine = nullptr;

    void cmdUpdate_Click() override;

protected:
    void Form_Load() override;
};

// Opens the font dialog on the tray's fields; the fields come back unless the tray comes back
// cancelled. The dialog for the document's default font belongs to the main window.
void FontSettingTrayShow(FontSettingTray& tray);

} // namespace vellumora
