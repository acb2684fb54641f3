#pragma once

// The modal dialog in which the library's debug level and flash mode are set.

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tavelin {

class TavelinDebugLevel : public QDialog {
    Q_OBJECT

public:
    explicit TavelinDebugLevel(QWidget* parent = nullptr);

    // The values carried in and out: set before showing, read after closing.
    std::int16_t TrayDebugLevel = 0;
    bool TrayDebugFileFlash = false;

    QLabel* Label1 = nullptr;
    QLineEdit* txtDebugLevel = nullptr;
    QCheckBox* chkFlash = nullptr;
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Lays the controls out as designed, in twips, with room for the captions' texts.
    void CaptionsRoomGive();
    bool HandleDialogKey(QKeyEvent* event);
    void cmdUpdate_Click();
    void cmdCancel_Click();
};

} // namespace tavelin
