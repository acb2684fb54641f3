// Structural edits without the box editor: deleting, cutting and joining, the guards against open
// editors and the question before a delete, fonts and colours of boxes, and page breaks.
#include "edits_support.h"

#include "app/diagram/FontAndColor.h"
#include "platform/msgbox/MsgBox.h"
#include "support/TestProgramLink.h"

#include <functional>
#include <memory>

namespace edits_test {
namespace {

namespace msgbox = platform::msgbox;

class StructuralEditsTest : public EditsTest {};

const QString kAbc = QStringLiteral("&&routine R &&block A &&block B &&block C &&end-routine");
const QString kLoop = QStringLiteral("&&routine R &&block A &&loop L &&block B &&end-loop &&block C &&end-routine");

TEST_F(StructuralEditsTest, EditsLeaveTheChartAsExpectedWithEveryLinkInPlace)
{
    struct Row {
        const char* why;
        QString chart;
        std::function<void()> edit;
        QString expected;
    };
    const auto box = [](const char* text) { return BoxOf(1, QString::fromUtf8(text)); };
    const std::vector<Row> rows = {
        {"a branch's cases A1-A2, (empty), C1 take its place in order",
         "&&routine R &&block P &&branch BR &&case X &&block A1 &&block A2 &&case Y &&case Z &&block C1 "
         "&&end-branch &&block Q &&end-routine",
         [&] { BoxDeleteSingle(1, box("BR")); },
         "&&routine R &&block P &&block A1 &&block A2 &&block C1 &&block Q &&end-routine"},
        {"a plain box in the middle: its neighbours join", kAbc, [&] { BoxDeleteSingle(1, box("B")); },
         "&&routine R &&block A &&block C &&end-routine"},
        {"the first box of a chain: the next one leads it", kAbc, [&] { BoxDeleteSingle(1, box("A")); },
         "&&routine R &&block B &&block C &&end-routine"},
        {"the only box of a sub line leaves it empty", "&&routine R &&loop L &&block B &&end-loop &&end-routine",
         [&] { BoxDeleteSingle(1, box("B")); }, "&&routine R &&loop L &&end-loop &&end-routine"},
        {"the canvas's first box: its body becomes the top chain", kAbc, [&] { BoxDeleteSingle(1, box("R")); },
         "&&routine &&block A &&block B &&block C &&end-routine"},
        {"a loop deleted alone: its body takes its place", kLoop, [&] { BoxDeleteSingle(1, box("L")); },
         "&&routine R &&block A &&block B &&block C &&end-routine"},
        {"a loop unlinked goes with its body", kLoop, [&] { BoxUnlink(1, box("L")); },
         "&&routine R &&block A &&block C &&end-routine"},
        {"the first box of a chain unlinked", kLoop, [&] { BoxUnlink(1, box("A")); },
         "&&routine R &&loop L &&block B &&end-loop &&block C &&end-routine"},
        {"a sub line's chain X, Y, Z is freed and the sub line stays",
         "&&routine R &&block X &&loop Y &&block W &&end-loop &&block Z &&end-routine",
         [&] { SubUnlink(1, SubOf(1, box("R"), 1)); }, "&&routine R &&end-routine"},
        {"the top line frees the whole top chain", kLoop, [&] { SubUnlink(1, 0); }, "&&routine &&end-routine"},
        {"cutting twice above a box makes one chink", kAbc,
         [&] {
             VLineChink(1, box("B"));
             VLineChink(1, box("B"));
         },
         "&&routine R &&block A &&chink &&block B &&block C &&end-routine"},
        {"cutting above the first box of a chain does nothing", kAbc, [&] { VLineChink(1, box("A")); }, kAbc},
        {"connecting after a cut restores the chain", kAbc,
         [&] {
             VLineChink(1, box("C"));
             VLineConnect(1, box("C"));
         },
         kAbc},
        {"connecting where no chink lies changes nothing", kAbc, [&] { VLineConnect(1, box("B")); }, kAbc},
        {"a chink left first in a sub line's chain by a delete: the box becomes its first",
         "&&routine R &&block A &&chink &&block B &&block C &&end-routine",
         [&] {
             BoxDeleteSingle(1, box("A"));
             VLineConnect(1, box("B"));
         },
         "&&routine R &&block B &&block C &&end-routine"},
        {"a chink left first in the top chain: the box becomes the canvas's first",
         "&&routine &&block A &&chink &&block B &&block C &&end-routine",
         [&] {
             BoxDeleteSingle(1, box("A"));
             VLineConnect(1, box("B"));
         },
         "&&routine &&block B &&block C &&end-routine"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        openCharts({row.chart});
        ASSERT_EQ(ChartText(1), row.chart) << "the fixture reads back as written";
        row.edit();
        EXPECT_EQ(ChartText(1), row.expected);
        EXPECT_EQ(LinkFault(1), QString());
        EXPECT_NO_THROW(PadDrawRefresh(1)) << "the edited chart lays out";
    }
}

TEST_F(StructuralEditsTest, OpenEditorsRefuseOnlyTheDeletesThatReachThem)
{
    const QString refusal = QStringLiteral("編集中のBOXがあります。\r\n削除できません。");
    struct Row {
        const char* why;
        const char* sessionBox;
        std::int16_t session;
        const char* target;  // the box to delete; "" with sub 0 for the top line
        int subOfTarget;     // >0: the target's sub line k instead of the box
        bool lump;
        bool refused;
    };
    const std::vector<Row> rows = {
        {"lump delete of a loop whose body has an after-session", "B", BoxFlag::AfterEditorOpen, "L", 0, true, true},
        {"plain delete of the same loop", "B", BoxFlag::AfterEditorOpen, "L", 0, false, false},
        {"plain delete of a box with a before-session", "A", BoxFlag::BeforeEditorOpen, "A", 0, false, false},
        {"plain delete of a box being modified", "A", BoxFlag::ModifyEditorOpen, "A", 0, false, true},
        {"lump delete of a box below the one being modified", "B", BoxFlag::ModifyEditorOpen, "L", 0, true, true},
        {"lump delete of a line whose chain has a box being modified", "B", BoxFlag::ModifyEditorOpen, "L", 1, true,
         true},
        {"lump delete of another box's line", "B", BoxFlag::ModifyEditorOpen, "C", 0, true, false},
        {"the top line with any session on its chain", "R", BoxFlag::BeforeEditorOpen, "", 0, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        openCharts({kLoop});
        msgbox::ShownBoxes().clear();
        B[1].BoxList[static_cast<std::size_t>(BoxOf(1, QString::fromUtf8(row.sessionBox)))].flags |= row.session;
        const std::int16_t target = *row.target ? BoxOf(1, QString::fromUtf8(row.target)) : std::int16_t(-1);
        const bool refused = row.subOfTarget > 0 ? BoxEditingCheck(1, -1, SubOf(1, target, row.subOfTarget), row.lump)
                                                 : BoxEditingCheck(1, target, -1, row.lump);
        EXPECT_EQ(refused, row.refused);
        EXPECT_EQ(Prompts(), row.refused ? QStringList{refusal} : QStringList{});
    }
}

TEST_F(StructuralEditsTest, TheDeleteGoesOnOnlyWhenTheUserAnswersYes)
{
    struct Row {
        bool lump;
        std::int16_t answer;
        bool declined;
        const char* prompt;
    };
    const std::vector<Row> rows = {
        {false, msgbox::Answer::Yes, false, "BOXを削除します。\r\n宜しいですか。"},
        {false, msgbox::Answer::No, true, "BOXを削除します。\r\n宜しいですか。"},
        {true, msgbox::Answer::Yes, false, "BOXを一括削除します。\r\n宜しいですか。"},
        {true, msgbox::Answer::No, true, "BOXを一括削除します。\r\n宜しいですか。"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.prompt);
        msgbox::ShownBoxes().clear();
        msgbox::QueueAnswer(row.answer);
        EXPECT_EQ(BoxDeleteConfirm(row.lump), row.declined);
        ASSERT_EQ(msgbox::ShownBoxes().size(), 1u);
        EXPECT_EQ(msgbox::ShownBoxes()[0].prompt, QString::fromUtf8(row.prompt));
        EXPECT_EQ(msgbox::ShownBoxes()[0].buttons & msgbox::Style::DefaultButton2, msgbox::Style::DefaultButton2)
            << "No is the default";
    }
}

TEST_F(StructuralEditsTest, AFontChangeReachesTheChainAndWithLumpEverythingBelow)
{
    ToolbarFontState = {};
    ToolbarFontState.ToolbarFontName = ApplicationGlobals.FontNameList.value(1);
    ToolbarFontState.ToolbarFontSize = QStringLiteral("12");
    ToolbarFontState.ToolbarFontBold = true;
    ToolbarFontState.ToolbarColorName = ApplicationGlobals.ColorTable.at(1).caption;
    struct Row {
        const char* why;
        bool onLine;  // the routine's body line, else box L alone
        bool lump;
        QStringList changed;
    };
    const std::vector<Row> rows = {
        {"a line: every box of its chain, not the boxes below them", true, false, {"A", "L", "C"}},
        {"a line, lump: the boxes below them too", true, true, {"A", "L", "B", "C"}},
        {"a box alone", false, false, {"L"}},
        {"a box, lump: with its body", false, true, {"L", "B"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        openCharts({kLoop});
        const std::int16_t routine = BoxOf(1, QStringLiteral("R"));
        if (row.onLine)
            BoxFontApply(1, -1, SubOf(1, routine, 1), row.lump);
        else
            BoxFontApply(1, BoxOf(1, QStringLiteral("L")), -1, row.lump);
        const std::int32_t font = FontModifyChech(
            QStringLiteral("fontname:%1\r\nfontsize:12\r\nfontbold:on").arg(ApplicationGlobals.FontNameList.value(1)));
        const std::int32_t color = ColorModify(ApplicationGlobals.ColorTable.at(1).caption);
        for (const char* text : {"R", "A", "L", "B", "C"}) {
            const BoxRecord& b = B[1].BoxList[static_cast<std::size_t>(BoxOf(1, QString::fromUtf8(text)))];
            const bool changed = row.changed.contains(QString::fromUtf8(text));
            EXPECT_EQ(b.fontCode == font && b.colorCode == color, changed) << text;
        }
    }
}

TEST_F(StructuralEditsTest, AFontChangeWithoutAChosenColourLeavesTheDefaultColour)
{
    openCharts({kAbc});
    DefaultColorSet(ApplicationGlobals.ColorTable.at(2).caption); // the colour in hand is not the default
    ToolbarFontState = {};
    ToolbarFontState.ToolbarFontName = QStringLiteral("標準");
    ToolbarFontState.ToolbarFontSize = QStringLiteral("標準");
    ToolbarFontState.ToolbarFontBold = true;
    const std::int16_t a = BoxOf(1, QStringLiteral("A"));
    BoxFontApply(1, a, -1, false);
    EXPECT_EQ(B[1].BoxList[static_cast<std::size_t>(a)].colorCode, -1);
    EXPECT_TRUE(FontBoldFlag(B[1].BoxList[static_cast<std::size_t>(a)].fontCode));
}

TEST_F(StructuralEditsTest, TheFontDialogIsPresetFromTheFirstShownBoxAndKeepsWhatIsAccepted)
{
    openCharts({kAbc});
    const std::int16_t a = BoxOf(1, QStringLiteral("A"));
    const std::int16_t b = BoxOf(1, QStringLiteral("B"));
    B[1].BoxList[static_cast<std::size_t>(a)].flags &= ~BoxFlag::Shown;
    B[1].BoxList[static_cast<std::size_t>(b)].fontCode = FontModifyChech(QStringLiteral("fontitalic:on"));
    B[1].BoxList[static_cast<std::size_t>(b)].colorCode = ColorModify(ApplicationGlobals.ColorTable.at(2).caption);

    FontSettingTray seen;
    bool accept = true;
    auto link = std::make_unique<testsupport::TestProgramLink>();
    link->fontSetting = [&](FontSettingTray& tray) {
        seen = tray;
        tray.TrayFontBold = true;
        tray.TrayCancel = !accept;
    };
    ToolbarFontState = {};
    EXPECT_FALSE(BoxFontDialog(1, -1, SubOf(1, BoxOf(1, QStringLiteral("R")), 1), QStringLiteral("ﾌｫﾝﾄ")));
    EXPECT_TRUE(seen.TrayFontSettingMode);
    EXPECT_TRUE(seen.TrayFontItalic) << "preset from B: A is not shown";
    EXPECT_FALSE(seen.TrayFontBold);
    EXPECT_EQ(seen.TrayFontName, QString()) << "the standard name is shown empty";
    EXPECT_EQ(seen.TrayFontSize, QString());
    EXPECT_EQ(seen.TrayColor, ApplicationGlobals.ColorTable.at(2).caption);
    EXPECT_EQ(seen.TrayCaption, QStringLiteral("ﾌｫﾝﾄ"));
    EXPECT_TRUE(ToolbarFontState.ToolbarFontBold && ToolbarFontState.ToolbarFontItalic);

    accept = false;
    ToolbarFontState = {};
    EXPECT_TRUE(BoxFontDialog(1, a, -1, QString()));
    EXPECT_EQ(ToolbarFontState, ToolbarFontStateRecord{}) << "a cancel keeps nothing";

    link.reset();
    EXPECT_TRUE(BoxFontDialog(1, a, -1, QString())) << "without a dialog nothing can be chosen";
}

TEST_F(StructuralEditsTest, PageBreaksGoFromOpenCanvasesOnly)
{
    openCharts({kLoop, kAbc});
    for (std::int16_t c : {1, 2}) {
        B[c].BoxList[static_cast<std::size_t>(BoxOf(c, QStringLiteral("B")))].flags |= BoxFlag::LowerPage;
        B[c].SubList[1].flags |= SubFlag::RightPage;
    }
    CanvasStateSet(2, CanvasState::Closed);
    NewPageResetAll();
    for (const BoxRecord& b : B[1].BoxList)
        EXPECT_EQ(b.flags & BoxFlag::LowerPage, 0);
    for (const SubRecord& s : B[1].SubList)
        EXPECT_EQ(s.flags & SubFlag::RightPage, 0);
    EXPECT_NE(B[2].BoxList[static_cast<std::size_t>(BoxOf(2, QStringLiteral("B")))].flags & BoxFlag::LowerPage, 0);
    EXPECT_NE(B[2].SubList[1].flags & SubFlag::RightPage, 0);
}

} // namespace
} // namespace edits_test
