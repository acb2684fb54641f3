#pragma once

// The font choice shared by the font dialog, the canvas window's font command and the main
// window's tool bar, and the document-modified flag.

#include <QString>

namespace vellumora {

// The current font choice: written by the tool bar's font controls (and the font dialog), read by
// the canvas window's font command when it is told to skip its dialog. "標準" stands for the
// document's default font name or size.
struct ToolbarFontStateRecord {
    QString ToolbarFontName;
    QString ToolbarFontSize;
    bool ToolbarFontBold = false;
    bool ToolbarFontItalic = false;
    bool ToolbarFontStrikethru = false;
    bool ToolbarFontUnderline = false;
    QString ToolbarColorName;

    friend bool operator==(const ToolbarFontStateRecord&, const ToolbarFontStateRecord&) = default;
};
inline ToolbarFontStateRecord ToolbarFontState;

// The document-modified flag (ApplicationGlobals.ModifyFlag).
void SetModifyFlag(bool value);
bool GetModifyFlag();

} // namespace vellumora
