#include "app/diagram/SearchEngine.h"

#include "app/diagram/CanvasSlide.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/CanvasSurface.h"
#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/PadDraw.h"
#include "app/diagram/TagTable.h"
#include "platform/regexp/RegExp.h"
#include "platform/richtext/RichTextBox.h"

namespace vellumora {

namespace {

// The overlay: 50 twips outside the text on the left and top, room for the control's margins
// on the right and bottom.
constexpr std::int32_t OverlayInset = 50;
constexpr std::int32_t OverlayExtraWidth = 200;
constexpr std::int32_t OverlayLineExtra = 100;
constexpr std::int32_t OverlayExtraHeight = 150;
constexpr std::int32_t MatchColor = 0xFF0000; // blue: red + 256 x green + 65536 x blue
constexpr std::int32_t White = 0xFFFFFF;

const QString StateSuffix = QStringLiteral(" 検索中");

bool ValidCanvas(std::int16_t canvas)
{
    return canvas >= 1 && static_cast<std::size_t>(canvas) < B.size();
}

CanvasSurface* WindowOf(std::int16_t canvas)
{
    return ValidCanvas(canvas) ? B[static_cast<std::size_t>(canvas)].form.data() : nullptr;
}

BoxRecord* BoxAt(std::int16_t canvas, std::int16_t box)
{
    if (!ValidCanvas(canvas))
        return nullptr;
    std::vector<BoxRecord>& list = B[static_cast<std::size_t>(canvas)].BoxList;
    return box >= 0 && static_cast<std::size_t>(box) < list.size() ? &list[static_cast<std::size_t>(box)] : nullptr;
}

SubRecord* SubAt(std::int16_t canvas, std::int16_t sub)
{
    if (!ValidCanvas(canvas))
        return nullptr;
    std::vector<SubRecord>& list = B[static_cast<std::size_t>(canvas)].SubList;
    return sub >= 0 && static_cast<std::size_t>(sub) < list.size() ? &list[static_cast<std::size_t>(sub)] : nullptr;
}

// The text a match record names: the box's or sub line's first or second text.
InternalCode* TextOf(const SearchMatchRecord& record)
{
    if (record.Canvas <= 0)
        return nullptr;
    if (record.Box > 0) {
        BoxRecord* box = BoxAt(record.Canvas, record.Box);
        return box ? (record.Which == 2 ? &box->text2 : &box->text) : nullptr;
    }
    if (record.Sub > 0) {
        SubRecord* sub = SubAt(record.Canvas, record.Sub);
        return sub ? (record.Which == 2 ? &sub->text2 : &sub->text) : nullptr;
    }
    return nullptr;
}

// The canvas window keeps what it drew: a text shown, hidden or replaced here leaves that stale.
void ChartChangedOn(std::int16_t canvas)
{
    if (CanvasSurface* form = WindowOf(canvas))
        form->ChartChanged();
}

// Sets or clears the shown bit of the text the record names; the canvas paints a text only when
// it is set, so the overlay alone shows the text of the match on display.
void SearchMarkSet(const SearchMatchRecord& record, bool shown)
{
    InternalCode* text = TextOf(record);
    if (!text)
        return;
    const auto flags = static_cast<std::int16_t>(shown ? (text->flags | 1) : (text->flags & ~1));
    if (flags == text->flags)
        return;
    text->flags = flags;
    ChartChangedOn(record.Canvas);
}

void OverlayPark(platform::richtext::RichTextBox& overlay)
{
    overlay.Move(0, 0, 30, 30);
    overlay.SetEnabled(false);
    overlay.SetVisible(false);
    overlay.SetLocked(true);
    overlay.SetText(QString());
}

// The search text as a pattern: a literal text gets a backslash before every character the
// pattern syntax gives a meaning; whole words wrap the whole pattern, alternatives included.
QString SearchPatternMake(const SearchSettingsRecord& settings)
{
    QString pattern;
    if (settings.SearchPatternMatching) {
        pattern = settings.SearchText;
    } else {
        static const QString special = QStringLiteral("\\^$*+?.()|{},[]-");
        for (const QChar c : settings.SearchText) {
            if (special.contains(c))
                pattern += u'\\';
            pattern += c;
        }
    }
    if (settings.SearchMatchWord)
        pattern = QStringLiteral("\\b(?:") + pattern + QStringLiteral(")\\b");
    return pattern;
}

bool IsCandidate(const BoxRecord& box, std::int32_t boxKind)
{
    const std::int32_t flags = TagTableGet(box.tagType).flags;
    if (!(flags & TagAttribute::BlockTag) || (flags & TagAttribute::TextUnnecessary))
        return false;
    return boxKind < 1 || box.tagType == boxKind;
}

// Appends the candidate boxes of a chain and of everything below it, in walk order: a box, then
// the chains below its sub lines in order, then its successor.
void SearchBoxCollect(std::int16_t canvas, std::int16_t first, std::vector<std::int16_t>& boxes)
{
    const std::int32_t kind = ApplicationGlobals.SearchSettings.SearchBoxKind;
    for (std::int16_t b = first; b >= 0;) {
        const BoxRecord* box = BoxAt(canvas, b);
        if (!box)
            return;
        if (IsCandidate(*box, kind))
            boxes.push_back(b);
        for (std::int16_t s = box->subIndex; s > 0;) {
            const SubRecord* sub = SubAt(canvas, s);
            if (!sub)
                break;
            if (sub->boxIndex > 0)
                SearchBoxCollect(canvas, sub->boxIndex, boxes);
            s = sub->after;
        }
        b = box->after;
    }
}

// Appends one record per match of the text. A pattern the engine cannot use yields no match.
void SearchTextMatch(const Point& base, std::int32_t fontCode, const InternalCode& text, std::int16_t canvas,
                     std::int16_t box, std::int16_t sub, std::int16_t which)
{
    std::vector<platform::regexp::Match> matches;
    try {
        matches = Search.SearchRegExp->Execute(text.text);
    } catch (const std::exception&) {
        return;
    }
    for (platform::regexp::Match& match : matches) {
        SearchMatchRecord record;
        record.BoxXY = base;
        record.TextXY = text.xy;
        record.TextSize = text.size;
        record.LineCount = text.lineCount;
        record.FontCode = fontCode;
        record.Text = text.text;
        record.FirstIndex = match.FirstIndex;
        record.Length = match.Length;
        record.Canvas = canvas;
        record.Box = box;
        record.Sub = sub;
        record.Which = which;
        record.SubMatches = std::move(match.SubMatches);
        Search.SearchMatchList.push_back(std::move(record));
    }
}

// The matches of one box: its first text, then the case texts of its sub lines that are shown.
void SearchBoxMatch(std::int16_t canvas, std::int16_t b)
{
    Search.SearchMatchList.clear();
    const BoxRecord* box = BoxAt(canvas, b);
    if (!box)
        return;
    if (!box->text.text.isEmpty())
        SearchTextMatch(box->xy, box->fontCode, box->text, canvas, b, -1, 1);
    for (std::int16_t s = box->subIndex; s > 0;) {
        const SubRecord* sub = SubAt(canvas, s);
        if (!sub)
            break;
        if (sub->flags & SubFlag::CaseTextShown) {
            if (!sub->text.text.isEmpty())
                SearchTextMatch(sub->xy[0], box->fontCode, sub->text, canvas, -1, s, 1);
            if (!sub->text2.text.isEmpty())
                SearchTextMatch(sub->xy[1], box->fontCode, sub->text2, canvas, -1, s, 2);
        }
        s = sub->after;
    }
}

// Makes a hidden or minimised canvas window visible and lays it out. This redraw belongs to the
// running search, which it must not end as every other redraw does.
void CanvasShowForSearch(std::int16_t canvas)
{
    CanvasVisibleSet(canvas, true);
    const SearchState running = Search;
    PadDrawRefresh(canvas);
    Search = running;
    SearchStateShow(ApplicationGlobals.SearchSettings.SearchText + StateSuffix);
}

void OverlayShow(CanvasSurface& form, const SearchMatchRecord& record)
{
    platform::richtext::RichTextBox& overlay = form.rtxBox;
    overlay.BeginUpdate();
    overlay.Move(record.BoxXY.xw + record.TextXY.xw - OverlayInset, record.BoxXY.yh + record.TextXY.yh - OverlayInset,
                 record.TextSize.xw + OverlayExtraWidth,
                 record.TextSize.yh + OverlayLineExtra * record.LineCount + OverlayExtraHeight);
    overlay.SetEnabled(true);
    overlay.SetVisible(true);
    overlay.SetLocked(true);
    overlay.SetBackColor(White);
    overlay.SetText(record.Text);

    overlay.SetSelStart(0);
    overlay.SetSelLength(static_cast<std::int32_t>(record.Text.size()));
    overlay.SetSelColor(0);
    overlay.SetSelFontName(FontNameText(FontNameIndex(record.FontCode)));
    overlay.SetSelFontSize(FontSizeValue(FontSizeIndex(record.FontCode)));
    overlay.SetSelBold(false);
    overlay.SetSelItalic(false);
    overlay.SetSelStrikeThru(false);
    overlay.SetSelUnderline(false);

    overlay.SetSelStart(record.FirstIndex);
    overlay.SetSelLength(record.Length);
    overlay.SetSelColor(MatchColor);
    overlay.SetSelBold(true);
    overlay.SetSelStart(0);
    overlay.SetSelLength(0);
    overlay.EndUpdate();
}

void MatchShow(std::int16_t canvas, std::int16_t box, const SearchMatchRecord& record, bool overlay)
{
    CanvasSurface* form = WindowOf(canvas);
    if (form && (!form->Visible() || form->WindowState() == 1)) {
        CanvasShowForSearch(canvas);
        form = WindowOf(canvas);
    }
    if (form) {
        CanvasSlideToBox(canvas, box);
        if (Search.SearchMatchCursor == 0)
            form->PartsLock(1, box, 1, true);
    }
    SearchMarkSet(Search.SearchCurrentMatch, true);
    Search.SearchCurrentMatch = record;
    SearchMarkSet(record, false);
    if (form && overlay)
        OverlayShow(*form, record);
}

} // namespace

void SearchClear()
{
    Search.SearchRegExp.reset();
    Search.SearchCanvasList.clear();
    Search.SearchMatchList.clear();
    Search.SearchCanvasCursor = -1;
    Search.SearchBoxCursor = -1;
    Search.SearchMatchCursor = -1;
    Search.SearchFoundFlag = false;
    Search.SearchCurrentMatch = SearchMatchRecord::Default;
}

void SearchTerminate()
{
    SearchClear();
    Search.SearchCanvasList.shrink_to_fit();
    Search.SearchMatchList.shrink_to_fit();
}

void SearchReset()
{
    SearchClear();
    SearchStateShow(QString());
}

bool SearchFound()
{
    return Search.SearchFoundFlag;
}

std::int16_t SearchCurrentCanvas()
{
    const std::int16_t cursor = Search.SearchCanvasCursor;
    if (cursor < 0 || static_cast<std::size_t>(cursor) >= Search.SearchCanvasList.size())
        return 0;
    return Search.SearchCanvasList[static_cast<std::size_t>(cursor)].CanvasIndex;
}

void SearchHighlightHide(bool clear)
{
    SearchMarkSet(Search.SearchCurrentMatch, true);
    if (CanvasSurface* form = WindowOf(SearchCurrentCanvas()))
        OverlayPark(form->rtxBox);
    if (clear)
        SearchClear();
}

bool SearchExecute()
{
    SearchReset();
    const SearchSettingsRecord& settings = ApplicationGlobals.SearchSettings;
    if (MainWindow())
        MainWindow()->CaptionSet(settings.SearchText + QStringLiteral(" [検索] 処理中"));
    SearchStateShow(settings.SearchText + StateSuffix);

    auto expression = std::make_shared<platform::regexp::RegExp>();
    expression->SetPattern(SearchPatternMake(settings));
    expression->SetIgnoreCase(!settings.SearchLetterCase);
    expression->SetGlobal(true);
    Search.SearchRegExp = std::move(expression);

    const std::vector<std::int16_t> order = CanvasSequenceList();
    for (std::size_t i = 1; i < order.size(); ++i) {
        const std::int16_t c = order[i];
        if (!ValidCanvas(c))
            continue;
        const CanvasSurface* form = WindowOf(c);
        const bool visible = form && form->Visible();
        if (settings.SearchRange == 1 && !visible)
            continue;
        if (settings.SearchRange == 2 && (!visible || c != ApplicationGlobals.CurrentCanvasIndex))
            continue;
        SearchCanvasEntry entry;
        entry.CanvasIndex = c;
        SearchBoxCollect(c, B[static_cast<std::size_t>(c)].header.firstBox, entry.BoxIndexes);
        if (!entry.BoxIndexes.empty())
            Search.SearchCanvasList.push_back(std::move(entry));
    }

    Search.SearchFoundFlag = !Search.SearchCanvasList.empty();
    Search.SearchCanvasCursor = Search.SearchFoundFlag ? 0 : -1;
    Search.SearchBoxCursor = Search.SearchFoundFlag ? 0 : -1;
    Search.SearchMatchCursor = -1;
    return Search.SearchFoundFlag;
}

void SearchNextShow(bool overlay)
{
    for (;;) {
        const std::int16_t canvasCursor = Search.SearchCanvasCursor;
        if (canvasCursor < 0 || static_cast<std::size_t>(canvasCursor) >= Search.SearchCanvasList.size()) {
            SearchClear();
            return;
        }
        const SearchCanvasEntry& entry = Search.SearchCanvasList[static_cast<std::size_t>(canvasCursor)];
        if (static_cast<std::size_t>(Search.SearchBoxCursor) >= entry.BoxIndexes.size()) {
            SearchHighlightHide(false);
            Search.SearchBoxCursor = 0;
            Search.SearchMatchCursor = -1;
            ++Search.SearchCanvasCursor;
            continue;
        }
        const std::int16_t canvas = entry.CanvasIndex;
        const std::int16_t box = entry.BoxIndexes[static_cast<std::size_t>(Search.SearchBoxCursor)];
        if (Search.SearchMatchCursor < 0) {
            SearchBoxMatch(canvas, box);
            Search.SearchMatchCursor = 0;
            continue;
        }
        if (static_cast<std::size_t>(Search.SearchMatchCursor) >= Search.SearchMatchList.size()) {
            Search.SearchMatchCursor = -1;
            ++Search.SearchBoxCursor;
            continue;
        }
        const SearchMatchRecord record = Search.SearchMatchList[static_cast<std::size_t>(Search.SearchMatchCursor)];
        MatchShow(canvas, box, record, overlay);
        ++Search.SearchMatchCursor;
        return;
    }
}

void ReplaceCurrent()
{
    try {
        const std::int16_t at = static_cast<std::int16_t>(Search.SearchMatchCursor - 1);
        if (at < 0 || static_cast<std::size_t>(at) >= Search.SearchMatchList.size() || !Search.SearchRegExp)
            return;
        const SearchMatchRecord record = Search.SearchMatchList[static_cast<std::size_t>(at)];

        // The replacement is made on the matched text alone, so the texts before and after the
        // match are empty; the groups are those of the match shown, which a lookaround of the
        // pattern would lose if the matched text were searched again.
        platform::regexp::Match match;
        match.FirstIndex = 0;
        match.Length = record.Length;
        match.Value = record.Text.mid(record.FirstIndex, record.Length);
        match.SubMatches = record.SubMatches;
        const QString replacement =
            platform::regexp::ExpandReplacement(ApplicationGlobals.SearchSettings.ReplaceText, match, match.Value);
        // The text enters the chart as a document keeps it: a match that took half of a line break
        // leaves the other half a line break of its own, and what the next save would drop (blanks
        // at a line's end, an emptied line) is gone now, so that undo, redo and reopening give back
        // what the canvas shows. Only the neighbourhood of the match can change, so the matches
        // after it move by the whole difference.
        QString text = PadTextForm(record.Text.left(record.FirstIndex) + replacement +
                                   record.Text.mid(record.FirstIndex + record.Length));
        const std::int32_t delta = static_cast<std::int32_t>(text.size() - record.Text.size());

        // A box whose kind is dropped without text (a routine) keeps one blank, as the box editor
        // stores it, so the box survives the next save and reload.
        if (text.isEmpty() && record.Box > 0 && record.Which == 1) {
            const BoxRecord* box = BoxAt(record.Canvas, record.Box);
            if (box && (TagTableGet(box->tagType).flags & TagAttribute::NullTextSuppress))
                text = QStringLiteral(" ");
        }

        for (std::size_t k = static_cast<std::size_t>(at) + 1; k < Search.SearchMatchList.size(); ++k) {
            SearchMatchRecord& later = Search.SearchMatchList[k];
            if (later.Canvas == record.Canvas && later.Box == record.Box && later.Sub == record.Sub &&
                later.Which == record.Which) {
                later.Text = text;
                later.FirstIndex += delta;
            }
        }

        InternalCode code = TextInfoMake(text);
        code.xy = record.TextXY;
        FontSelect(record.FontCode, record.Canvas);
        TextSizeMeasure(code, record.Canvas);

        if (InternalCode* stored = TextOf(record)) {
            *stored = code;
            // A sub line's second text is the first text of the sub line after it as well.
            if (record.Box < 1 && record.Which == 2) {
                const SubRecord* sub = SubAt(record.Canvas, record.Sub);
                if (sub->after > 0)
                    if (SubRecord* next = SubAt(record.Canvas, sub->after))
                        next->text = code;
            }
            ChartChangedOn(record.Canvas);
        }
    } catch (const std::exception&) {
        // What was stored before the failure stays; the search goes on.
    }
}

} // namespace vellumora
