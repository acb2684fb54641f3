#pragma once

// The version dialog: the product, its version and the copyright line, opened from the Help menu.

#include <QDialog>

class QKeyEvent;
class QLabel;
class QPushButton;

namespace vellumora {

class VersionInfo : public QDialog {
    Q_OBJECT
public:
    explicit VersionInfo(QWidget* parent = nullptr);

    QLabel* imgIcon = nullptr;
    QLabel* lblPackageTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCopyright = nullptr;
    QPushButton* cmdOK = nullptr;

    void cmdOK_Click();
    // The debug key hook first; then Esc closes the dialog as OK does. keyCode is a Qt key,
    // shift the Qt keyboard modifiers; a consumed key comes back as 0.
    void Form_KeyDown(int& keyCode, int shift);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Shows the version dialog modal over the owner; returns when it has closed.
void VersionInfoShow(QWidget* owner);

} // namespace vellumora
