#pragma once

// The frame every dialog shares that a caller fills through its Tray members: exec loads the
// dialog from them, shows it modally and unloads it; the caller then reads TrayCancel first.
// Only the confirm button leaves TrayCancel false: 取消, the close box, Esc and Ctrl+F4 all
// cancel.

#include <QDialog>
#include <QRect>

class QBoxLayout;
class QComboBox;
class QPushButton;

namespace vellumora {

class TrayDialog : public QDialog {
    Q_OBJECT
public:
    explicit TrayDialog(QWidget* parent = nullptr);
    ~TrayDialog() override;

    // True unless the dialog was left through its confirm button.
    bool TrayCancel = false;

    // 更新 and 取消, made by UpdateCancelButtonsMake.
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdCancel = nullptr;

    // 更新: checks the controls, stores them in the Tray members and confirms; a refused check
    // keeps the dialog open.
    virtual void cmdUpdate_Click() = 0;
    // 取消: the dialog closes cancelled.
    virtual void cmdCancel_Click();

    // Shows the dialog modally; returns when it has closed.
    int exec() override;
    // Every way out but the confirm button goes through the cancel button.
    void reject() override;

protected:
    // Fills the controls from the Tray members; the caption is shown as the modal window's text.
    virtual void Form_Load() = 0;
    // Closes the dialog; ProcessingEnd is the caller's, as it is when the dialog was cancelled.
    virtual void Form_Unload();

    // The confirm button's last step.
    void Confirm();

    // Makes the 更新 and 取消 buttons where the tab order wants them: 更新 is the default button
    // and runs cmdUpdate_Click as an event boundary; 取消 is never pressed by Enter and runs
    // cmdCancel_Click. Placing them is the caller's.
    void UpdateCancelButtonsMake();
    // A row (or column) of its own for the two buttons, pushed to its end; for the caller's layout.
    QBoxLayout* UpdateCancelBox(Qt::Orientation orientation) const;
    // A place laid out in twips, as the screen shows it in pixels.
    static QRect Twips(int x, int y, int width, int height);
    // A document's colour that the filled colour list lacks (red, green and blue, a colour's name
    // where the list shows captions) is shown and chosen as an entry of its own, so that an Update
    // that changes nothing keeps it. A text that reads as no colour selects nothing.
    static void OwnColorShow(QComboBox* combo, const QString& spec);

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool activated_ = false;
};

} // namespace vellumora
