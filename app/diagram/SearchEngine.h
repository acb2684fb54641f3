#pragma once

// The search over the box texts of the open canvases: one search at a time, held here. A match
// is shown in the canvas window's rich-text overlay laid over the box text, the match in blue
// and bold; the match shown last can be replaced.

#include "app/core/DiagramRecords.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::regexp {
class RegExp;
}

namespace vellumora {

// One match, in the canvas window's twips.
struct SearchMatchRecord {
    Point BoxXY;                 // base position of the text
    Point TextXY;                // position of the text relative to BoxXY
    Point TextSize;
    std::int16_t LineCount = 0;
    std::int32_t FontCode = 0;
    QString Text;                // the whole text, lines joined by CR LF
    std::int32_t FirstIndex = 0; // offset of the match in Text, from 0
    std::int32_t Length = 0;
    std::int16_t Canvas = 0;
    std::int16_t Box = 0;        // -1 for a sub-line text
    std::int16_t Sub = 0;        // -1 for a box text
    std::int16_t Which = 0;      // 1 the first text, 2 the second
    // What the groups of the pattern held when the match was found; a replacement refers to
    // these, so lookaheads and empty matches replace what the search showed.
    QStringList SubMatches;

    friend bool operator==(const SearchMatchRecord&, const SearchMatchRecord&) = default;

    static const SearchMatchRecord Default;
};
inline const SearchMatchRecord SearchMatchRecord::Default{};

struct SearchCanvasEntry {
    std::int16_t CanvasIndex = 0;
    std::vector<std::int16_t> BoxIndexes;
};

struct SearchState {
    std::shared_ptr<platform::regexp::RegExp> SearchRegExp;
    std::vector<SearchCanvasEntry> SearchCanvasList;
    std::vector<SearchMatchRecord> SearchMatchList;
    std::int16_t SearchCanvasCursor = -1;
    std::int16_t SearchBoxCursor = -1;
    std::int16_t SearchMatchCursor = -1; // the next match to show; -1: the box is not matched yet
    bool SearchFoundFlag = false;
    SearchMatchRecord SearchCurrentMatch;
};
inline SearchState Search;

// Ends the search: no expression, empty lists, cursors -1, not found, no current match.
void SearchClear();
// Shutdown: SearchClear, then the lists' storage is released.
void SearchTerminate();
// SearchClear and an empty search-state panel.
void SearchReset();
bool SearchFound();
// The canvas of the running search's cursor; only while SearchFound.
std::int16_t SearchCurrentCanvas();
// Shows the text of the box of the current match again and parks the overlay; with clear, the
// search ends too.
void SearchHighlightHide(bool clear);
// Starts a search with the current settings over the canvases; true when a box to search exists.
bool SearchExecute();
// Shows the next match: its canvas to the front and in view, the box selected and the match
// highlighted; ends the search when no match is left. Without overlay the match is not laid in
// the overlay: Replace All replaces each match before anything is painted, and parks the overlay
// when the matches run out, so laying it would show nothing.
void SearchNextShow(bool overlay = true);
// Replaces the match shown last in its text; later matches of that text move with it. Nothing is
// laid out again: the canvas paints the new text where the old one stood.
void ReplaceCurrent();

} // namespace vellumora
