#pragma once

// The few steps a floor takes in a window of a floor above it or beside it (the canvas windows,
// the dialogs and the print windows stand side by side; the shell sits on top). The program
// installs the shell's implementation at start-up. While none is installed the accessor gives
// one whose dialogs count as cancelled and whose other steps do nothing.

#include "app/core/BoxEditorTray.h"
#include "app/core/FontSettingTray.h"

#include <QString>

#include <cstdint>

class QWidget;

namespace vellumora {

class ProgramLink {
public:
    virtual ~ProgramLink() = default;

    // The font dialog on a tray of its public members (canvas edits and print settings ask; the
    // dialog lives beside them). A cancelled dialog leaves the tray's fields as they were.
    virtual void FontSettingShow(FontSettingTray& tray) = 0;
    // The zoom editor for a text with its limits (characters a line, lines), asked by the print
    // settings beside it: the text goes in and comes back; false when it was cancelled.
    virtual bool ZoomEditDialog(const QString& caption, QString& text, std::int32_t tagType, std::int32_t maxWidth,
                                std::int32_t maxHeight) = 0;
    // The canvas dialogs of the canvas window's Format menu, which live beside the window. Each
    // shows its dialog modally with the values passed in and returns false when it was
    // cancelled; only a confirmed dialog writes the values back.
    // Box frames take the font colour (sameText) or one named colour.
    virtual bool FrameSettingDialog(const QString& caption, bool& sameText, QString& frameColor) = 0;
    // The background colour of every canvas.
    virtual bool CanvasColorDialog(const QString& caption, QString& canvasColor) = 0;
    // The name of one canvas.
    virtual bool CanvasNameDialog(QString& canvasName) = 0;
    // The display order of the open canvases; a confirmed dialog has stored the order itself.
    virtual bool CanvasSequenceDialog(const QString& caption) = 0;
    // The box editor window and the canvas's editing sessions stand side by side. A new editor
    // window for a session, given the tray and shown modeless; none when it did not open.
    // Closing the window hands its session back as cancelled unless it was handed back already.
    virtual QWidget* BoxEditorShow(const BoxEditorTray& tray) = 0;
    // Ends a session; unless cancelled the result in its get file is applied to the canvas.
    virtual void BoxEditorReturn(const BoxEditorTray& tray, bool cancel) = 0;
    // The search dialog closes the box editors of the canvases (-1 every canvas) before it
    // replaces, asking first with ask; true when the user kept one open.
    virtual bool BoxEditorCloseCheck(bool ask, std::int16_t canvas) = 0;
    // The debug key of any window opens the shell's debug-class dialog.
    virtual void DebugClassSetShow() = 0;
};

// Installs the program's implementation; none puts the default back.
void SetProgramLink(ProgramLink* link);
// The installed implementation, or the default.
ProgramLink& Program();

} // namespace vellumora
