// The search engine on a document of two canvases: which texts are found in which order, where
// the overlay highlights each match, replacing, and how a search ends.
#include "search_support.h"

#include "app/diagram/TagTable.h"
#include "support/ShellFakeServices.h"
#include "platform/richtext/RichTextBox.h"

#include <QTextEdit>

namespace search_test {
namespace {

// "canvas:box:sub:which first:length" of one match.
QString Where(const SearchMatchRecord& m)
{
    return QStringLiteral("%1:%2:%3:%4 %5:%6").arg(m.Canvas).arg(m.Box).arg(m.Sub).arg(m.Which).arg(m.FirstIndex).arg(m.Length);
}

// The characters the overlay shows in blue and bold, as "first:length" in the box text's offsets
// (a line break counts as CR and LF); "none" when nothing is highlighted.
QString Highlighted(platform::richtext::RichTextBox& overlay)
{
    const QString text = overlay.Text();
    int first = -1;
    int last = -1;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\r' || text.at(i) == u'\n')
            continue;
        overlay.SetSelStart(i);
        overlay.SetSelLength(1);
        if (overlay.SelColor() == 0xFF0000 && overlay.SelBold()) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    overlay.SetSelStart(0);
    return first < 0 ? QStringLiteral("none") : QStringLiteral("%1:%2").arg(first).arg(last - first + 1);
}

struct Conditions {
    QString text;
    bool letterCase = false;
    bool matchWord = false;
    bool pattern = false;
    std::int32_t boxKind = 0;
    std::int16_t range = 0;
};

void Apply(const Conditions& conditions)
{
    SearchSettingsRecord& settings = ApplicationGlobals.SearchSettings;
    settings.SearchText = conditions.text;
    settings.SearchLetterCase = conditions.letterCase;
    settings.SearchMatchWord = conditions.matchWord;
    settings.SearchPatternMatching = conditions.pattern;
    settings.SearchBoxKind = conditions.boxKind;
    settings.SearchRange = conditions.range;
}

class SearchEngineTest : public SearchTest {
protected:
    // Every match the search shows, each with the range its overlay highlights.
    QStringList searchAll()
    {
        QStringList shown;
        if (!SearchExecute())
            return shown;
        for (int guard = 0; guard < 100; ++guard) {
            SearchNextShow();
            if (!SearchFound())
                break;
            const SearchMatchRecord& m = Search.SearchCurrentMatch;
            shown << Where(m) + QStringLiteral(" hl ") + Highlighted(Form(m.Canvas).rtxBox);
        }
        return shown;
    }
};

TEST_F(SearchEngineTest, FindsTheMatchesOfEveryCandidateBoxInDisplayOrder)
{
    struct Row {
        const char* why;
        Conditions conditions;
        QStringList shown;
    };
    const Row rows[] = {
        {"literal, any case: box texts and case texts, canvas by canvas",
         {"apple"},
         {"1:1:-1:1 6:5 hl 6:5", "1:2:-1:1 4:5 hl 4:5", "1:2:-1:1 15:5 hl 15:5", "1:3:-1:1 5:5 hl 5:5",
          "1:-1:3:1 4:5 hl 4:5", "2:3:-1:1 4:5 hl 4:5", "2:3:-1:1 10:5 hl 10:5"}},
        {"letter case kept; a match on the second line of a box", {"Apple", true}, {"1:2:-1:1 15:5 hl 15:5"}},
        {"whole words only", {"apple", false, true},
         {"1:1:-1:1 6:5 hl 6:5", "1:2:-1:1 4:5 hl 4:5", "1:2:-1:1 15:5 hl 15:5", "1:-1:3:1 4:5 hl 4:5",
          "2:3:-1:1 10:5 hl 10:5"}},
        {"a literal dot is no wildcard", {"e.a"}, {}},
        {"a pattern dot is", {"e.a", false, false, true},
         {"1:2:-1:1 2:3 hl 2:3", "2:1:-1:1 1:3 hl 1:3", "2:3:-1:1 8:3 hl 8:3"}},
        {"pattern with groups", {"(one|two) (a)pple", false, false, true}, {"1:2:-1:1 0:9 hl 0:9", "1:2:-1:1 11:9 hl 11:9"}},
        {"whole words around an alternation", {"red|green", false, true, true},
         {"1:-1:3:1 0:3 hl 0:3", "1:-1:3:2 0:5 hl 0:5"}},
        {"a lookahead leaves its text outside the match", {"appl(?=et)", false, false, true}, {"1:3:-1:1 5:4 hl 5:4"}},
        {"an empty match, one box kind only", {"^", false, false, true, TagId::Label}, {"1:7:-1:1 0:0 hl none"}},
        {"full-width letters in any case; kanji", {QStringLiteral("ＡＰＰＬＥは林"), false}, {"2:2:-1:1 0:7 hl 0:7"}},
        {"the front canvas only", {"apple", false, false, false, 0, 2}, {"2:3:-1:1 4:5 hl 4:5", "2:3:-1:1 10:5 hl 10:5"}},
        {"no match", {"plum"}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ApplicationGlobals.CurrentCanvasIndex = 2;
        Apply(row.conditions);
        EXPECT_EQ(searchAll().join(QStringLiteral(", ")).toStdString(), row.shown.join(QStringLiteral(", ")).toStdString());
        EXPECT_FALSE(SearchFound());
    }
}

TEST_F(SearchEngineTest, AnUnusablePatternFindsNothingAndEndsTheSearch)
{
    Apply({"(apple", false, false, true});
    EXPECT_TRUE(SearchExecute()) << "the boxes to search are there";
    SearchNextShow();
    EXPECT_FALSE(SearchFound());
    EXPECT_EQ(Search.SearchCurrentMatch, SearchMatchRecord::Default);
}

TEST_F(SearchEngineTest, ShowingAMatchSelectsTheBoxOnceAndHidesItsTextUnderTheOverlay)
{
    Apply({"apple"});
    ASSERT_TRUE(SearchExecute());
    SearchNextShow(); // 1:1
    SearchNextShow(); // 1:2, first match
    const SearchMatchRecord first = Search.SearchCurrentMatch;
    ASSERT_EQ(first.Box, 2);
    EXPECT_EQ(Box(1, 1).text.flags & 1, 1) << "the text shown before is drawn again";
    EXPECT_EQ(Box(1, 2).text.flags & 1, 0) << "the overlay alone shows this text";
    platform::richtext::RichTextBox& overlay = Form(1).rtxBox;
    EXPECT_TRUE(overlay.Visible());
    EXPECT_TRUE(overlay.Locked());
    EXPECT_EQ(overlay.Text(), Box(1, 2).text.text);
    EXPECT_EQ((std::array{overlay.Left(), overlay.Top(), overlay.Width(), overlay.Height()}),
              (std::array{first.BoxXY.xw + first.TextXY.xw - 50, first.BoxXY.yh + first.TextXY.yh - 50,
                          first.TextSize.xw + 200, first.TextSize.yh + 100 * 2 + 150}));
    EXPECT_EQ(Form(1).LockPartsList(), (std::vector<LockPartsRecord>{{1, 1}, {1, 2}}))
        << "each found box is added to the selection";

    Form(1).PartsLock(); // the user clears the selection: the highlight goes, the search stays
    SearchHighlightHide(false);
    EXPECT_FALSE(overlay.Visible());
    EXPECT_TRUE(SearchFound());
    SearchNextShow(); // the second match of the same box
    EXPECT_EQ(Where(Search.SearchCurrentMatch), "1:2:-1:1 15:5");
    EXPECT_TRUE(Form(1).LockPartsList().empty()) << "a box is selected at its first match only";
    EXPECT_TRUE(overlay.Visible());

    for (int guard = 0; guard < 20 && SearchFound(); ++guard)
        SearchNextShow();
    EXPECT_FALSE(SearchFound());
    EXPECT_FALSE(Form(2).rtxBox.Visible()) << "the overlay of the last canvas is parked";
    EXPECT_EQ(Box(2, 3).text.flags & 1, 1) << "and the last text drawn again";
}

TEST_F(SearchEngineTest, ShowingAHiddenCanvasRedrawsItWithoutEndingTheSearch)
{
    shell_test::FakeMainWindow main;
    SetMainWindowLink(&main);
    Form(2).SetVisible(false);
    Apply({"apple", false, false, false, TagId::Block});
    ASSERT_TRUE(SearchExecute());
    SearchNextShow(); // 1:2 twice
    SearchNextShow();
    SearchNextShow(); // canvas 2, hidden until now
    EXPECT_EQ(Where(Search.SearchCurrentMatch), "2:3:-1:1 4:5");
    EXPECT_TRUE(Form(2).Visible());
    EXPECT_TRUE(Form(2).rtxBox.Visible());
    EXPECT_TRUE(SearchFound());
    EXPECT_EQ(main.panels.value("SearchState"), QStringLiteral("apple 検索中"));
    SearchNextShow();
    EXPECT_EQ(Where(Search.SearchCurrentMatch), "2:3:-1:1 10:5") << "the search goes on after it";

    PadDrawRefresh(-1); // any other redraw ends it
    EXPECT_FALSE(SearchFound());
    EXPECT_FALSE(Form(2).rtxBox.Visible());
    EXPECT_EQ(main.panels.value("SearchState"), QString());
    SetMainWindowLink(nullptr);
}

TEST_F(SearchEngineTest, ReplacingLeavesEachTextAsTheShownMatchesSay)
{
    struct Row {
        const char* why;
        Conditions conditions;
        QString replacement;
        QString document;
    };
    const QString untouched = DocumentText();
    const Row rows[] = {
        {"literal, a longer text: the second match of a text moves with the first",
         {"apple", false, false, false, TagId::Block}, "orange",
         "Alpha apple|one orange\r\ntwo orange|each applet|kind|eat|pear redo|red apple|green|Beta|ａｐｐｌｅは林檎|"
         "pineorange orange"},
        {"$& in the replacement", {"pear"}, "[$&]",
         "Alpha apple|one apple\r\ntwo Apple|each applet|kind|eat|[pear] redo|red apple|green|Beta|ａｐｐｌｅは林檎|"
         "pineapple apple"},
        {"groups swapped", {"(\\w+) (\\w+)", false, false, true, TagId::Label}, "$2 $1",
         "Alpha apple|one apple\r\ntwo Apple|each applet|kind|eat|redo pear|red apple|green|Beta|ａｐｐｌｅは林檎|"
         "pineapple apple"},
        {"$` and $' stand for the text around the match within the match alone: nothing",
         {"e(a)r", false, false, true, TagId::Label}, "<$`|$1|$'>",
         "Alpha apple|one apple\r\ntwo Apple|each applet|kind|eat|p<|a|> redo|red apple|green|Beta|ａｐｐｌｅは林檎|"
         "pineapple apple"},
        {"a lookahead replaces what was shown", {"appl(?=et)", false, false, true}, "tabl",
         "Alpha apple|one apple\r\ntwo Apple|each tablet|kind|eat|pear redo|red apple|green|Beta|ａｐｐｌｅは林檎|"
         "pineapple apple"},
        {"a case text", {"green"}, "blue",
         "Alpha apple|one apple\r\ntwo Apple|each applet|kind|eat|pear redo|red apple|blue|Beta|ａｐｐｌｅは林檎|"
         "pineapple apple"},
        {"an empty match inserts", {"^", false, false, true, TagId::Label}, "* ",
         "Alpha apple|one apple\r\ntwo Apple|each applet|kind|eat|* pear redo|red apple|green|Beta|ａｐｐｌｅは林檎|"
         "pineapple apple"},
        {"\\B inside a word", {"p\\B", false, false, true, TagId::Label}, "P",
         "Alpha apple|one apple\r\ntwo Apple|each applet|kind|eat|Pear redo|red apple|green|Beta|ａｐｐｌｅは林檎|"
         "pineapple apple"},
        {"a routine left without text keeps one blank", {"Beta", true, true}, "",
         "Alpha apple|one apple\r\ntwo Apple|each applet|kind|eat|pear redo|red apple|green| |ａｐｐｌｅは林檎|"
         "pineapple apple"},
        {"an unusable pattern changes nothing", {"(apple", false, false, true}, "x", untouched},
        {"a match of half a line break leaves the other half a line break", {"\\n", false, false, true}, "+",
         "Alpha apple|one apple\r\n+two Apple|each applet|kind|eat|pear redo|red apple|green|Beta|ａｐｐｌｅは林檎|"
         "pineapple apple"},
        {"blanks left at the end of a line go, as a save would drop them", {"apple", true, true}, "",
         "Alpha|one\r\ntwo Apple|each applet|kind|eat|pear redo|red|green|Beta|ａｐｐｌｅは林檎|pineapple"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        open(write(QStringLiteral("two.txt"), paddraw_test::DocumentBytes(TwoCanvasLines())));
        PadDrawRefresh(-1);
        Apply(row.conditions);
        ApplicationGlobals.SearchSettings.ReplaceText = row.replacement;
        SearchExecute();
        for (int guard = 0; guard < 50; ++guard) {
            SearchNextShow();
            if (!SearchFound())
                break;
            ReplaceCurrent();
        }
        EXPECT_EQ(DocumentText().toStdString(), row.document.toStdString());
    }
}

TEST_F(SearchEngineTest, AReplacedTextIsMeasuredAgainAndKeepsItsPlace)
{
    Apply({"pear"});
    ApplicationGlobals.SearchSettings.ReplaceText = QStringLiteral("pear\r\npear");
    const InternalCode before = Box(1, 7).text;
    ASSERT_TRUE(SearchExecute());
    SearchNextShow();
    ReplaceCurrent();
    const InternalCode& after = Box(1, 7).text;
    EXPECT_EQ(after.lineCount, 2);
    EXPECT_EQ(after.xy, before.xy);
    EXPECT_GT(after.size.yh, before.size.yh);
    EXPECT_EQ(after.flags & 1, 1);
}

} // namespace
} // namespace search_test
