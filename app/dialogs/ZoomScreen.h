#pragma once

// The zoom dialog: edits one text in a large, resizable window and refuses a text that breaks
// its line or character limit.

#include "app/dialogs/TrayDialog.h"

#include <QPointer>
#include <QString>

#include <cstdint>

class QLabel;
class QPlainTextEdit;
class QTimer;

namespace vellumora {

class ZoomScreen : public TrayDialog {
    Q_OBJECT
public:
    explicit ZoomScreen(QWidget* parent = nullptr);
    ~ZoomScreen() override;

    // The text, lines joined by CR LF; written back only by 更新.
    QString TrayEditText;
    // What is being edited; shown in the caption after "ｽﾞｰﾑ".
    QString TrayModifyCaption;
    // The box kind whose limits apply when a limit below is not positive.
    std::int32_t TrayTagType = 0;
    // Most characters per line and most lines; -1 takes both from TrayTagType.
    std::int32_t TrayMaxTextWidth = -1;
    std::int32_t TrayMaxTextHeight = -1;

    QLabel* lblText = nullptr;
    QPlainTextEdit* txtZoomEditor = nullptr;

    void cmdUpdate_Click() override;

protected:
    void Form_Load() override;
    void Form_Unload() override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Resize();
    // Minimising the zoom minimises the main window too; either coming back brings both back,
    // the main window in the state it had before.
    void MinimisedFollow();
    void MainWindowBack();

    // Sizes as designed, in twips.
    std::int32_t designWidth_ = 0;
    std::int32_t designHeight_ = 0;
    std::int32_t textWidth_ = 0;
    std::int32_t textHeight_ = 0;
    std::int32_t updateLeft_ = 0;
    std::int32_t updateTop_ = 0;
    std::int32_t cancelLeft_ = 0;
    std::int32_t cancelTop_ = 0;
    // The main window's state before the zoom minimised it; never minimised itself.
    Qt::WindowStates mainWindowState_ = Qt::WindowNoState;
    // The main window while the zoom watches its state, and whether the zoom is minimised.
    QPointer<QWidget> main_;
    bool minimised_ = false;
    QTimer* mainWindowBack_ = nullptr;
};

// Edits text in the zoom dialog over parent, the limits as the Tray members take them; false when
// the dialog was cancelled, text then being as it was.
bool ZoomTextEdit(QWidget* parent, const QString& caption, QString& text, std::int32_t tagType,
                  std::int32_t maxWidth = -1, std::int32_t maxHeight = -1);

} // namespace vellumora
