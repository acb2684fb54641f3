#pragma once

// Steps that the model, the busy protocol and the dialogs take in modules that sit above or
// beside them (canvas slots, the undo history, box editors, the copy buffer, the search, the
// report settings, the debug-class dialog). The program
// registers every step once at start-up; calling a step nobody registered raises
// std::bad_function_call, which the command's error boundary reports.

#include <QString>

#include <cstdint>
#include <functional>

namespace vellumora {

struct ModuleLinks {
    // Gives canvas n (a new slot when n < 0) a cleared box list and its window; the slot index.
    std::function<std::int16_t(std::int16_t n, std::int32_t kindFlags)> CanvasSlotSetup;
    // Unloads the loaded controls of the canvas's window, with unloadForm the window too.
    std::function<void(std::int16_t canvas, bool unloadForm)> CanvasControlsUnload;
    // Takes the undo snapshot before a change of the canvas (-1 every canvas, 0 the document
    // settings alone).
    std::function<void(const QString& caption, std::int16_t canvas)> HistoryAdd;
    // Closes the box editors open on the canvas (-1 every canvas), asking first with ask; true
    // when the user kept one open.
    std::function<bool(bool ask, std::int16_t canvas)> BoxEditorCloseCheck;
    // Drops the local copy buffer and the exchange files.
    std::function<void()> ClipboardReset;
    // Hides the search highlight (clear: also forgets the shown match) and ends the search.
    std::function<void(bool clear)> SearchHighlightHide;
    std::function<void()> SearchReset;
    // Whether a search match is shown.
    std::function<bool()> SearchFound;
    // Derives the printable sizes from the report settings.
    std::function<void()> ReportSettingApply;
    // Opens the debug-class dialog.
    std::function<void()> DebugClassSetShow;
    // The zoom editor for a text with its limits (characters a line, lines): the text goes in and
    // comes back; false when it was cancelled.
    std::function<bool(const QString& caption, QString& text, std::int32_t tagType, std::int32_t maxWidth,
                       std::int32_t maxHeight)>
        ZoomEditDialog;
    // The font dialog for the document's default font: the texts go in as the current choice and
    // come back as the new one; false when it was cancelled.
    std::function<bool(const QString& caption, QString& fontName, QString& fontSize, QString& colorName)>
        DefaultFontDialog;
    // Remember and restore the stacking order of the canvas windows around a full redraw.
    std::function<void()> CanvasOrderSave;
    std::function<void()> CanvasOrderRestore;
    // The canvas dialogs of the Format menu. Each shows its dialog modally with the values passed
    // in and returns false when it was cancelled; only a confirmed dialog writes the values back.
    // Box frames take the font colour (sameText) or one named colour.
    std::function<bool(const QString& caption, bool& sameText, QString& frameColor)> FrameSettingDialog;
    // The background colour of every canvas.
    std::function<bool(const QString& caption, QString& canvasColor)> CanvasColorDialog;
    // The name of one canvas.
    std::function<bool(QString& canvasName)> CanvasNameDialog;
    // The display order of the open canvases; a confirmed dialog has stored the order itself.
    std::function<bool(const QString& caption)> CanvasSequenceDialog;
};

ModuleLinks& Links();

} // namespace vellumora
