#pragma once

// The search and replace dialog: modeless over the main window, which stays disabled until the
// dialog closes and hands control back.

#include <QDialog>

namespace vellumora {

class SearchReplace : public QDialog {
    Q_OBJECT
public:
    explicit SearchReplace(QWidget* parent = nullptr);

    // False searches, true replaces.
    bool TrayReplace = false;

    // Shows the dialog modeless and returns at once.
    void ShowModeless();
};

} // namespace vellumora
