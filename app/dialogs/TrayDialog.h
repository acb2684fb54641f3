#pragma once

// The frame every dialog shares that a caller fills through its Tray members: exec loads the
// dialog from them, shows it modally and unloads it; the caller then reads TrayCancel first.
// Only the confirm button leaves TrayCancel false: 取消, the close box, Esc and Ctrl+F4 all
// cancel.

#include <QDialog>
#include <QRect>

#include <functional>

class QBoxLayout;
class QPushButton;

namespace vellumora {

class TrayDialog : public QDialog {
    Q_OBJECT
public:
    explicit TrayDialog(QWidget* parent = nullptr);
    ~TrayDialog() override;

    // True unless the dialog was left through its confirm button.
    bool TrayCancel = false;

    // Shows the dialog modally; returns when it has closed.
    int exec() override;
    // Every way out but the confirm button goes through the cancel button.
    void reject() override;

protected:
    // Fills the controls from the Tray members; the caption is shown as the modal window's text.
    virtual void Form_Load() = 0;
    virtual void cmdCancel_Click() = 0;
    // Closes the dialog; ProcessingEnd is the caller's, as it is when the dialog was cancelled.
    virtual void Form_Unload();

    // The confirm and the cancel button's last step.
    void Confirm();
    void Cancel(QPushButton* cancelButton);

    // Makes the 更新 and 取消 buttons where the tab order wants them: 更新 is the default button
    // and runs updateClick as an event boundary; 取消 is never pressed by Enter and runs
    // cmdCancel_Click. Placing them is the caller's.
    void UpdateCancelButtonsMake(QPushButton*& update, QPushButton*& cancel, std::function<void()> updateClick);
    // A row (or column) of its own for the two buttons, pushed to its end; for the caller's layout.
    static QBoxLayout* UpdateCancelBox(Qt::Orientation orientation, QPushButton* update, QPushButton* cancel);
    // A place laid out in twips, as the screen shows it in pixels.
    static QRect Twips(int x, int y, int width, int height);

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool activated_ = false;
};

} // namespace vellumora
