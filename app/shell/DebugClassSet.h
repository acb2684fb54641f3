#pragma once

// The debug-class dialog: switches the nine debug classes and the flash mode of the debug log
// for the rest of the run.

#include <QDialog>

#include <array>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QPushButton;

namespace vellumora {

class DebugClassSet : public QDialog {
    Q_OBJECT
public:
    explicit DebugClassSet(QWidget* parent = nullptr);

    QLabel* lblDebugClass = nullptr;
    std::array<QCheckBox*, 10> chkDebugClass{};  // classes 1 to 9; element 0 unused
    QCheckBox* chkDebugFlash = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdCancel = nullptr;

    void cmdReset_Click();
    void cmdUpdate_Click();
    void cmdCancel_Click();

    // Esc and the window's close box act as the Cancel button.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Opens the dialog modal, without an owner window; returns when it has closed. While one is
// open a second is not opened.
void DebugClassSetShow();

} // namespace vellumora
