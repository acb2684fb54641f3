// The canvas window's menu commands on a laid-out chart: what each leaves of the chart, the one
// undo step it records, the undo that gives the chart back, the enabling rules that also hold
// for shortcuts, and the error boundary around every command.
#include "edits_support.h"

#include "app/canvas/CanvasForm.h"
#include "app/diagram/TagTable.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/vbrt/Error.h"
#include "support/TestProgramLink.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

namespace edits_test {
namespace {

namespace msgbox = platform::msgbox;

constexpr std::int16_t Yes = 6;
const QString kLoop = QStringLiteral("&&routine R &&block A &&loop L &&block B &&end-loop &&block C &&end-routine");

// A part of the chart: a box (kind 1), the line into a box (2), the end line of a box's k-th sub
// line (3), or that sub line itself (4).
struct Part {
    std::int32_t kind;
    const char* box;
    int sub = 0;
};

class CanvasMenuTest : public EditsTest {
protected:
    void SetUp() override
    {
        EditsTest::SetUp();
        CanvasForm::SetPopupRunner([](QMenu*, const QPoint&) {});
    }
    void TearDown() override
    {
        CanvasForm::SetPopupRunner({});
        EditsTest::TearDown();
    }
    CanvasForm* form() { return CanvasWindowOf(B[1]); }

    std::int16_t index(const Part& part)
    {
        const std::int16_t box = BoxOf(1, QString::fromUtf8(part.box));
        return part.kind <= 2 ? box : SubOf(1, box, part.sub);
    }

    // Selects the parts as clicks with Shift would, and settles the selection.
    void select(const std::vector<Part>& parts)
    {
        form()->PartsLock();
        for (const Part& part : parts)
            form()->PartsLock(part.kind, index(part), 1, false);
        form()->PartsLockMenuSet(0, -1);
    }
};

TEST_F(CanvasMenuTest, EachCommandChangesTheChartInOneUndoStepThatGivesItBack)
{
    struct Row {
        const char* why;
        std::vector<Part> selection;
        std::function<void(CanvasForm&)> command;
        // The chart after the command; empty: the chart is unchanged and no step recorded.
        QString expected;
        QString caption = {};
        // What happens before: a copy to paste, a chart to paste into.
        std::function<void(CanvasForm&)> prepare = {};
    };
    const auto copyA = [this] {
        select({{1, "A"}});
        form()->Menu_EditCopy_Click();
    };
    const std::vector<Row> rows = {
        {"cut of a box", {{1, "A"}}, [](CanvasForm& f) { f.Menu_EditCut_Click(); },
         "&&routine R &&loop L &&block B &&end-loop &&block C &&end-routine", "切り取り"},
        {"cut of two boxes", {{1, "A"}, {1, "C"}}, [](CanvasForm& f) { f.Menu_BoxCut_Click(); },
         "&&routine R &&loop L &&block B &&end-loop &&end-routine", "切り取り"},
        {"delete of a loop alone: its body takes its place", {{1, "L"}},
         [](CanvasForm& f) {
             msgbox::QueueAnswer(Yes);
             f.Menu_EditDelete_Click();
         },
         "&&routine R &&block A &&block B &&block C &&end-routine", "削除"},
        {"delete of a loop with its body", {{1, "L"}},
         [](CanvasForm& f) {
             msgbox::QueueAnswer(Yes);
             f.Menu_EditDeleteLump_Click();
         },
         "&&routine R &&block A &&block C &&end-routine", "一括削除"},
        {"delete of a sub line's chain", {{4, "L", 1}},
         [](CanvasForm& f) {
             msgbox::QueueAnswer(Yes);
             f.Menu_EditDeleteLump_Click();
         },
         "&&routine R &&block A &&loop L &&end-loop &&block C &&end-routine", "一括削除"},
        {"cut of a sub line's chain", {{4, "L", 1}}, [](CanvasForm& f) { f.Menu_HLineCut_Click(); },
         "&&routine R &&block A &&loop L &&end-loop &&block C &&end-routine", "切り取り"},
        {"chink above a box", {{2, "C"}}, [](CanvasForm& f) { f.Menu_EditChink_Click(); },
         "&&routine R &&block A &&loop L &&block B &&end-loop &&chink &&block C &&end-routine", "切断"},
        {"paste on the line into a box goes before it", {{2, "C"}}, [](CanvasForm& f) { f.Menu_EditPaste_Click(); },
         "&&routine R &&block A &&loop L &&block B &&end-loop &&block A &&block C &&end-routine", "貼り付け",
         [&](CanvasForm&) { copyA(); }},
        {"paste on a chain's end line goes after its last box, whatever a popup left before", {{3, "R", 1}},
         [](CanvasForm& f) { f.Menu_EditPaste_Click(); },
         "&&routine R &&block A &&loop L &&block B &&end-loop &&block C &&block A &&end-routine", "貼り付け",
         [&](CanvasForm& f) {
             copyA();
             // A popup on a line into a box chose "before" for itself.
             f.Parts_MouseDown(2, index({2, "C"}), 2, 0, 10, 10);
             f.Parts_Click(2, index({2, "C"}));
         }},
        {"paste onto an empty sub line", {{4, "L", 1}}, [](CanvasForm& f) { f.Menu_EditPaste_Click(); },
         "&&routine R &&block A &&loop L &&block A &&end-loop &&block C &&end-routine", "貼り付け",
         [&](CanvasForm& f) {
             copyA();
             select({{4, "L", 1}});
             msgbox::QueueAnswer(Yes);
             f.Menu_HLineDeleteLump_Click();
         }},
        {"copy changes nothing", {{1, "A"}}, [](CanvasForm& f) { f.Menu_EditCopy_Click(); }, {}},
        {"select all changes nothing", {}, [](CanvasForm& f) { f.Menu_EditALL_Click(); }, {}},
        {"declined delete changes nothing", {{1, "A"}},
         [](CanvasForm& f) {
             msgbox::QueueAnswer(7);
             f.Menu_EditDelete_Click();
         },
         {}},
        {"cut is disabled for a line: its shortcut does nothing", {{2, "C"}},
         [](CanvasForm& f) { f.EditShortcutRun(f.Menus().Menu_EditCut); }, {}},
        {"paste is disabled for a box: the tool bar's paste does nothing", {{1, "C"}},
         [](CanvasForm& f) { f.Menu_EditPaste_Click(); }, {}, {}, [&](CanvasForm&) { copyA(); }},
        {"page break on a chain's end line is disabled", {{3, "R", 1}},
         [](CanvasForm& f) { f.EditShortcutRun(f.Menus().Menu_EditNewPage); }, {}},
        {"the editor on a line opens nothing", {{4, "L", 1}}, [](CanvasForm& f) { f.Menu_EditEditor_Click(); }, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        openCharts({kLoop});
        ClipboardReset();
        msgbox::ClearQueue();
        CanvasForm& f = *form();
        if (row.prepare)
            row.prepare(f);
        const QString before = ChartText(1);
        HistoryClear();
        SetModifyFlag(false);
        select(row.selection);
        row.command(f);
        const bool changes = !row.expected.isEmpty();
        EXPECT_EQ(ChartText(1), changes ? row.expected : before);
        EXPECT_EQ(LinkFault(1), QString());
        EXPECT_EQ(GetModifyFlag(), changes);
        EXPECT_EQ(History.HistoryIndex, changes ? 1 : -1) << "one undo step per command";
        EXPECT_TRUE(FormEnabled(&f)) << "the window takes input again";
        EXPECT_FALSE(ApplicationGlobals.PaintSuspended);
        if (!changes)
            continue;
        EXPECT_EQ(History.HistoryList[1].caption, row.caption);
        EXPECT_TRUE(f.LockPartsList().empty()) << "the selection is cleared";
        f.Menu_EditUndo_Click();
        EXPECT_EQ(ChartText(1), before) << "undo gives the chart back";
        EXPECT_EQ(LinkFault(1), QString());
        EXPECT_FALSE(HistoryCanUndo());
    }
}

// An empty canvas shows a mark where its routine starts (its egg); the mark is no box of the
// chart. Select all there selects nothing, and a copy of the mark alone (as select all made one,
// here or in another running copy) pastes nothing: no undo step, the modified flag as it was.
TEST_F(CanvasMenuTest, TheStartMarkOfAnEmptyCanvasIsNoBox)
{
    openCharts({kLoop});
    const std::int16_t empty = CanvasSlotSetup(-1, 0);
    CanvasStateSet(empty, CanvasState::Open);
    BoxListClear(empty);
    CanvasSequenceRenumber();
    PadDrawRefresh(empty);
    const std::int16_t egg = B[static_cast<std::size_t>(empty)].header.firstBox;
    ASSERT_GT(egg, 0);
    ASSERT_EQ(B[static_cast<std::size_t>(empty)].BoxList[static_cast<std::size_t>(egg)].tagType, TagId::Egg);

    CanvasForm& window = *CanvasWindowOf(B[static_cast<std::size_t>(empty)]);
    window.Menu_EditALL_Click();
    EXPECT_TRUE(window.LockPartsList().empty());
    EXPECT_EQ(window.LockPartsKind, 0);
    window.Menu_Edit_Click();
    const CanvasForm::MenuItems& items = window.Menus();
    for (QAction* item : {items.Menu_EditCut, items.Menu_EditCopy, items.Menu_EditCopyTask, items.Menu_EditDelete,
                          items.Menu_EditDeleteLump, items.Menu_EditEditor, items.Menu_EditFontChange})
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();

    struct Row {
        const char* why;
        bool fromTask;
        bool modified;
    };
    const Row rows[] = {
        {"the local copy into an unmodified document", false, false},
        {"the local copy into a modified document", false, true},
        {"another running copy's copy", true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        msgbox::ShownBoxes().clear();
        row.fromTask ? ClipboardTaskCopyOpen() : ClipboardCopyOpen();
        ClipboardCopyPart(empty, egg, -1);
        row.fromTask ? ClipboardTaskCopyClose() : ClipboardCopyClose();
        HistoryClear();
        SetModifyFlag(row.modified);
        const QString before = ChartText(1);
        select({{2, "C"}});
        row.fromTask ? form()->Menu_EditPasteTask_Click() : form()->Menu_EditPaste_Click();
        EXPECT_EQ(Prompts(), QStringList{QStringLiteral("貼り付ける情報がありません。")});
        EXPECT_EQ(ChartText(1), before);
        EXPECT_EQ(LinkFault(1), QString());
        EXPECT_EQ(History.HistoryIndex, -1) << "no undo step";
        EXPECT_EQ(GetModifyFlag(), row.modified);
        if (!row.fromTask)
            EXPECT_FALSE(ClipboardExist()) << "a copy of nothing is forgotten";
    }
}

TEST_F(CanvasMenuTest, PageBreakTogglesTheMarkOfTheLineInOneStep)
{
    struct Row {
        const char* why;
        Part part;
        std::function<void(CanvasForm&)> command;
        std::function<bool()> marked;
    };
    const std::vector<Row> rows = {
        {"the line into a box", {2, "C"}, [](CanvasForm& f) { f.Menu_EditNewPage_Click(); },
         [] { return (B[1].BoxList[static_cast<std::size_t>(BoxOf(1, QStringLiteral("C")))].flags & BoxFlag::LowerPage) != 0; }},
        {"a sub line", {4, "R", 1}, [](CanvasForm& f) { f.Menu_EditNewPage_Click(); },
         [] { return (B[1].SubList[static_cast<std::size_t>(SubOf(1, BoxOf(1, QStringLiteral("R")), 1))].flags & SubFlag::RightPage) != 0; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        openCharts({kLoop});
        HistoryClear();
        SetModifyFlag(false);
        select({row.part});
        ASSERT_TRUE(form()->LockPartsNewPageEnabled);
        row.command(*form());
        EXPECT_TRUE(row.marked());
        EXPECT_TRUE(GetModifyFlag());
        EXPECT_EQ(History.HistoryIndex, 1);
        form()->Menu_EditUndo_Click();
        EXPECT_FALSE(row.marked()) << "undo takes the break away";
    }
}

TEST_F(CanvasMenuTest, AFontChangeFromTheToolBarAppliesItsFontWithoutADialogInOneStep)
{
    openCharts({kLoop});
    HistoryClear();
    select({{1, "A"}, {1, "C"}});
    ToolbarFontState.ToolbarFontName = QStringLiteral("標準");
    ToolbarFontState.ToolbarFontSize = QStringLiteral("標準");
    ToolbarFontState.ToolbarFontBold = true;
    form()->FontSettingMenuSkip = true;
    form()->Menu_BoxFontChange_Click();
    EXPECT_FALSE(form()->FontSettingMenuSkip);
    EXPECT_EQ(History.HistoryIndex, 1);
    EXPECT_EQ(History.HistoryList[1].caption, QStringLiteral("ﾌｫﾝﾄ変更"));
    for (const char* text : {"A", "C"}) {
        SCOPED_TRACE(text);
        EXPECT_NE(B[1].BoxList[static_cast<std::size_t>(BoxOf(1, QString::fromUtf8(text)))].fontCode & (1 << 26), 0);
    }
    EXPECT_EQ(B[1].BoxList[static_cast<std::size_t>(BoxOf(1, QStringLiteral("B")))].fontCode & (1 << 26), 0);
    ToolbarFontState = ToolbarFontStateRecord{};
}

TEST_F(CanvasMenuTest, FormatTogglesFollowTheSettingFromEveryWindowAndUndo)
{
    openCharts({kLoop, kLoop});
    CanvasForm& first = *CanvasWindowOf(B[1]);
    CanvasForm& second = *CanvasWindowOf(B[2]);
    HistoryClear();
    SetModifyFlag(false);

    first.Menu_FormatNoteNotShow_Click();
    EXPECT_TRUE(ApplicationGlobals.NoteNotShow);
    EXPECT_TRUE(GetModifyFlag());
    EXPECT_EQ(History.HistoryList[1].canvas, 0) << "the step names no canvas";

    // The second window's mark was never touched: its toggle still takes the setting back.
    second.Menu_FormatNoteNotShow_Click();
    EXPECT_FALSE(ApplicationGlobals.NoteNotShow);
    second.Menu_Format_Click();
    EXPECT_FALSE(second.Menus().Menu_FormatNoteNotShow->isChecked());

    second.Menu_EditUndo_Click();
    EXPECT_TRUE(ApplicationGlobals.NoteNotShow);
    first.Menu_Format_Click();
    EXPECT_TRUE(first.Menus().Menu_FormatNoteNotShow->isChecked()) << "the mark follows the undone setting";
    EXPECT_FALSE(first.Menus().Menu_FormatNoteNotFrame->isEnabled());
}

TEST_F(CanvasMenuTest, EditModeIsRestoredByUndoWithoutMarkingTheDocument)
{
    openCharts({kLoop});
    HistoryClear();
    SetModifyFlag(false);
    const bool before = ApplicationGlobals.EditModeFlag;
    form()->Menu_FormatEditMode_Click();
    EXPECT_EQ(ApplicationGlobals.EditModeFlag, !before);
    EXPECT_FALSE(GetModifyFlag());
    EXPECT_EQ(History.HistoryIndex, 1);
    form()->Menu_EditUndo_Click();
    EXPECT_EQ(ApplicationGlobals.EditModeFlag, before);
    form()->Menu_EditRedo_Click();
    EXPECT_EQ(ApplicationGlobals.EditModeFlag, !before);
    ApplicationGlobals.EditModeFlag = before;
}

TEST_F(CanvasMenuTest, CanvasDeleteClosesTheCanvasAndUndoBringsItBackWithEveryCaptionRenumbered)
{
    openCharts({kLoop, kLoop});
    HistoryClear();
    CanvasForm& second = *CanvasWindowOf(B[2]);
    CanvasWindowOf(B[1])->Menu_EditCanvasDelete_Click();
    EXPECT_EQ(B[1].header.state, CanvasState::Closed);
    EXPECT_EQ(B[2].header.number, 1);
    EXPECT_TRUE(second.Caption().endsWith(QStringLiteral(":1"))) << second.Caption().toStdString();
    second.Menu_EditUndo_Click();
    EXPECT_EQ(B[1].header.state, CanvasState::Open);
    EXPECT_EQ(ChartText(1), kLoop);
    EXPECT_TRUE(second.Caption().endsWith(QStringLiteral(":2"))) << second.Caption().toStdString();
}

TEST_F(CanvasMenuTest, FormatDialogsApplyTheirValuesOnlyWhenConfirmed)
{
    openCharts({kLoop});
    testsupport::TestProgramLink link;
    struct Row {
        const char* why;
        bool confirm;
    };
    for (const Row& row : std::vector<Row>{{"cancelled", false}, {"confirmed", true}}) {
        SCOPED_TRACE(row.why);
        HistoryClear();
        SetModifyFlag(false);
        ApplicationGlobals.FrameSameText = true;
        ApplicationGlobals.FrameColor = QStringLiteral("黒");
        ApplicationGlobals.CanvasColorName = QStringLiteral("白");
        B[1].header.name = QStringLiteral("old");
        link.frameSetting = [&](const QString&, bool& same, QString& color) {
            same = false;
            color = QStringLiteral("赤");
            return row.confirm;
        };
        link.canvasColor = [&](const QString&, QString& color) {
            color = QStringLiteral("青");
            return row.confirm;
        };
        link.canvasName = [&](QString& name) {
            name = QStringLiteral("new");
            return row.confirm;
        };
        form()->Menu_FormatFrameColor_Click();
        form()->Menu_FormatCanvasColor_Click();
        form()->Menu_FormatCanvasName_Click();
        EXPECT_EQ(ApplicationGlobals.FrameSameText, !row.confirm);
        EXPECT_EQ(ApplicationGlobals.FrameColor, row.confirm ? QStringLiteral("赤") : QStringLiteral("黒"));
        EXPECT_EQ(ApplicationGlobals.CanvasColorName, row.confirm ? QStringLiteral("青") : QStringLiteral("白"));
        EXPECT_EQ(B[1].header.name, row.confirm ? QStringLiteral("new") : QStringLiteral("old"));
        EXPECT_EQ(GetModifyFlag(), row.confirm);
        EXPECT_EQ(History.HistoryIndex, row.confirm ? 3 : -1);
        EXPECT_TRUE(FormEnabled(form()));
    }
}

TEST_F(CanvasMenuTest, ARefusedEditLeavesTheDocumentUnmodifiedAndTheUndoHistoryAsItWas)
{
    // A chart that fills every box slot of its canvas (32,767), so that no box can be added.
    QString chart = QStringLiteral("&&routine R &&block A &&block B");
    for (int i = 4; i <= 32767; ++i)
        chart += QStringLiteral(" &&block f");
    openCharts({chart + QStringLiteral(" &&end-routine")});
    ASSERT_EQ(B[1].BoxList.size(), 32768u);
    HistoryClear();
    // A step to redo: a page break set and undone.
    select({{2, "B"}});
    form()->Menu_EditNewPage_Click();
    form()->Menu_EditUndo_Click();
    ASSERT_TRUE(HistoryCanRedo());
    const HistoryState history = History;
    const auto historyFiles = [] {
        const QFileInfo prefix(TemporaryFilePrefix());
        return prefix.absoluteDir()
            .entryList({prefix.fileName() + QStringLiteral(".*")}, QDir::Files, QDir::Name)
            .filter(QStringLiteral(".history."));
    };
    const QStringList files = historyFiles();
    const QString before = ChartText(1);

    struct Row {
        const char* why;
        std::vector<Part> selection;
        std::function<void(CanvasForm&)> command;
        QString message;
    };
    const QString full = QStringLiteral("ｷｬﾝﾊﾞｽ (名前無し):1 のBOXの数が上限 (32767 個) を超えます。");
    const std::vector<Row> rows = {
        {"paste past the box limit", {{2, "B"}}, [](CanvasForm& f) { f.Menu_EditPaste_Click(); }, full},
        {"chink above a box past the box limit", {{2, "B"}}, [](CanvasForm& f) { f.Menu_EditChink_Click(); },
         full},
        {"a font from the tool bar whose size does not parse", {{1, "A"}},
         [](CanvasForm& f) {
             ToolbarFontState.ToolbarFontName = QStringLiteral("標準");
             ToolbarFontState.ToolbarFontSize = QStringLiteral("大");
             f.FontSettingMenuSkip = true;
             f.Menu_BoxFontChange_Click();
         },
         QStringLiteral("ﾌｫﾝﾄｻｲｽﾞ指定が不良です。")},
        {"paste whose copy buffer is gone with the run folder", {{2, "B"}},
         [](CanvasForm& f) {
             ASSERT_TRUE(QFile::remove(TemporaryFileName(QStringLiteral("copy"))));
             f.Menu_EditPaste_Click();
             EXPECT_FALSE(ClipboardExist()) << "the copy is forgotten: paste is no longer offered";
         },
         QStringLiteral("貼り付ける情報がありません。")},
        {"cut whose copy cannot be written", {{1, "A"}},
         [](CanvasForm& f) {
             // A folder where the copy buffer goes: no one can write the file there.
             ClipboardReset();
             ASSERT_TRUE(QDir().mkpath(TemporaryFileName(QStringLiteral("copy"))));
             f.Menu_EditCut_Click();
             QDir().rmdir(TemporaryFileName(QStringLiteral("copy")));
         },
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        select({{1, "A"}});
        form()->Menu_EditCopy_Click();
        ToolbarFontState = ToolbarFontStateRecord{};
        SetModifyFlag(false);
        msgbox::ShownBoxes().clear();
        select(row.selection);
        row.command(*form());
        const QStringList shown = Prompts();
        ASSERT_EQ(shown.size(), 1) << "the refusal is shown";
        if (!row.message.isEmpty()) {
            EXPECT_TRUE(shown[0].startsWith(row.message)) << shown[0].toStdString();
        }
        EXPECT_EQ(ChartText(1), before);
        EXPECT_FALSE(GetModifyFlag()) << "nothing to save";
        EXPECT_EQ(History.HistoryIndex, history.HistoryIndex);
        EXPECT_TRUE(History.HistoryList == history.HistoryList) << "no step recorded, the step to redo kept";
        EXPECT_EQ(historyFiles(), files) << "no snapshot file left behind or lost";
        EXPECT_TRUE(FormEnabled(form()));
    }
    form()->Menu_EditRedo_Click();
    EXPECT_TRUE(B[1].BoxList[static_cast<std::size_t>(BoxOf(1, QStringLiteral("B")))].flags & BoxFlag::LowerPage)
        << "the step to redo still redoes";
    ToolbarFontState = ToolbarFontStateRecord{};
}

TEST_F(CanvasMenuTest, AnErrorInACommandIsShownAndTheWindowTakesInputAgain)
{
    openCharts({kLoop});
    testsupport::TestProgramLink link;
    link.frameSetting = [](const QString&, bool&, QString&) -> bool {
        throw platform::vbrt::Error(53, QStringLiteral("test"), QStringLiteral("ﾌｧｲﾙが見つかりません。"));
    };
    msgbox::ShownBoxes().clear();
    form()->Menu_FormatFrameColor_Click();
    ASSERT_EQ(msgbox::ShownBoxes().size(), 1u);
    EXPECT_TRUE(msgbox::ShownBoxes()[0].prompt.contains(QStringLiteral("ﾌｧｲﾙが見つかりません。")));
    EXPECT_TRUE(FormEnabled(form()));
    EXPECT_FALSE(ApplicationGlobals.PaintSuspended);
}

} // namespace
} // namespace edits_test
