#pragma once

// Loading a document into canvases and bringing the canvas windows up to date: one canvas with
// its window per top-level routine or note, the layout passes and control placement of one or
// every canvas, and the small services on the set of canvases (display order, stacking,
// showing and hiding, captions, the default font of a new canvas, cascading the windows).

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace vellumora {

// Loads a document. An empty path reloads the current document (DocumentName) and replaces
// every canvas; a path appends that file's canvases (its header is read and ignored).
// A document without a file only takes the settings from the ini defaults.
// A load that fails raises, and leaves no half-read document behind: the canvases it made are
// released; a failed reload also forgets the document name (nothing is left that a save could
// write over the file) and restores the document font, colour and settings. A file that does
// not begin with the document header is refused with an error. The canvases read have no window
// yet: the caller that shows them has their windows made (CanvasWindowsCreate).
void PadDrawGetData(const QString& path);

// Lays out and arranges one canvas, or every canvas when canvas is negative. A minimised or
// hidden window is laid out but arranged only when it is shown again; a canvas that is not
// open only has its window hidden. Errors of the passes reach the caller.
void PadDrawRefresh(std::int16_t canvas);

// Arranges a canvas again without a new layout (a minimised window being restored).
void PadDrawRepaint(std::int16_t canvas);

// Element 0 holds -1; elements 1 to n the open canvases in ascending display number (equal
// numbers in slot order). Every open canvas is listed exactly once, whatever its number.
std::vector<std::int16_t> CanvasSequenceList();
// The open canvases get the display numbers 1 to n in their present order.
void CanvasSequenceRenumber();
// Stacks the open canvas windows so that the first in display order ends on top.
void CanvasZOrderArrange();
// Shows or hides the window of an open canvas (negative: every canvas) and unsets its stored
// window state, so that the next redraw arranges it.
void CanvasVisibleSet(std::int16_t canvas, bool visible);
// Sets the caption of every open canvas window again.
void CanvasCaptionRefresh();

// Selects the document font at its standard size on the printer, fixes the members of LO that
// follow the standard size (yAdjustAllow, lineLabelWidth), then applies the size and colour.
void DefaultFontApply(const QString& fontName, const QString& fontSize, const QString& colorName);

// Cascades the shown canvas windows. The main window installs the arrangement of its workspace
// here; without one (no main window), the shown canvas windows are laid from the top-left
// corner, each one step right of and below the one before, in display order.
using CanvasCascadeHandler = std::function<void()>;
void SetCanvasCascadeHandler(CanvasCascadeHandler handler);
void CanvasWindowsCascade();

// Records a canvas window's state; a window back from being minimised is arranged again.
void CanvasWindowStateSet(std::int16_t canvas, std::int16_t windowState);

} // namespace vellumora
