// Box-editor sessions: opening one per box and mode, the work files, the splice of new boxes in
// each mode, the case merge of a branch, kind changes that drop sub levels, closing sessions.
#include "app/canvas/PageSetting.h"
#include "app/canvas/StructuralEdits.h"
#include "app/core/BoxEditorTray.h"
#include "support/TestProgramLink.h"
#include "boxediting_support.h"

#include "app/canvas/StructuralEdits.h"

#include <QCloseEvent>
#include <QPointer>

using namespace boxediting_test;
using paddraw_test::DocumentLines;
namespace msgbox = platform::msgbox;

namespace {

// An editor that hands its session back (cancelled) when it closes or is destroyed, once.
class FakeEditor : public QWidget {
public:
    BoxEditorTray tray;
    bool returned = false;

    ~FakeEditor() override { handBack(true); }
    void handBack(bool cancel)
    {
        if (returned)
            return;
        returned = true;
        setProperty("unloading", true);
        BoxEditReturn(tray.TrayPutFileName, tray.TrayGetFileName, tray.TrayBaseIndex, tray.TrayBoxSubIndex,
                      tray.TrayEditMode, cancel);
    }
    // The update: the get file written, then the session handed back with its result.
    void update(const std::vector<PadInfoRecord>& records)
    {
        GetFileWrite(tray.TrayGetFileName, records);
        handBack(false);
    }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        handBack(true);
        deleteLater();
        event->accept();
    }
};

class FakeEditors {
public:
    std::vector<QPointer<FakeEditor>> opened;
    QWidget* EditorShow(const BoxEditorTray& tray)
    {
        auto* editor = new FakeEditor;
        editor->tray = tray;
        editor->show();
        opened.push_back(editor);
        return editor;
    }
};

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class BoxEditingTest : public paddraw_test::PadDrawTest {
protected:
    void SetUp() override
    {
        PadDrawTest::SetUp();
        link.boxEditorShow = [this](const BoxEditorTray& tray) { return editors.EditorShow(tray); };
        open(document(QStringLiteral("chart.txt"), DocumentLines(ChartLines())));
        ASSERT_EQ(B.size(), 2u);
    }
    void TearDown() override
    {
        for (auto& e : editors.opened)
            delete e.data();
        editors.opened.clear();
        FlushDeletes();
        PadDrawTest::TearDown();
    }

    FakeEditor* last() { return editors.opened.empty() ? nullptr : editors.opened.back().data(); }

    static bool Exists(const QString& path) { return QFileInfo::exists(path); }

    FakeEditors editors;
    testsupport::TestProgramLink link;
};

TEST_F(BoxEditingTest, ModifySessionWritesTheBoxWithNumberedCasesAndOpensOneEditor)
{
    const std::int16_t branch = BoxOf(QStringLiteral("B"));
    BoxEditModify(1, branch);
    BoxEditModify(1, branch);
    ASSERT_EQ(editors.opened.size(), 1u);
    FakeEditor* editor = last();
    EXPECT_TRUE(Chart().BoxList[branch].flags & BoxFlag::ModifyEditorOpen);
    EXPECT_EQ(Chart().BoxList[branch].modifyEditor.data(), editor);
    EXPECT_EQ(editor->tray.TrayEditMode, BoxEditMode::Modify);
    EXPECT_EQ(editor->tray.TrayPutFileName, TemporaryFileName(1, branch, "modify", "put"));
    EXPECT_EQ(editor->tray.TrayGetFileName, TemporaryFileName(1, branch, "modify", "get"));

    PadFileOpen(editor->tray.TrayPutFileName);
    std::vector<PadInfoRecord> records;
    for (PadInfoRecord r = GetPadInfo(); r.tagId != 0; r = GetPadInfo())
        records.push_back(r);
    PadFileClose();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].tagId, TagId::Branch);
    EXPECT_EQ(records[0].text, QStringLiteral("B"));
    for (std::int16_t i = 1; i <= 3; ++i) {
        EXPECT_EQ(records[i].tagId, TagId::Case);
        EXPECT_EQ(records[i].number, i);
        EXPECT_EQ(records[i].text, QStringLiteral("c%1").arg(i));
    }
    EXPECT_TRUE(records[3].rightPage);
    EXPECT_TRUE(Exists(editor->tray.TrayGetFileName));
    EXPECT_EQ(QFileInfo(editor->tray.TrayGetFileName).size(), 0);
}

TEST_F(BoxEditingTest, WithoutAnEditorWindowTheSessionNeverOpensAndLeavesNoWorkFile)
{
    link.boxEditorShow = nullptr; // as with no program installed: no editor window
    const std::int16_t branch = BoxOf(QStringLiteral("B"));
    BoxEditModify(1, branch);
    EXPECT_FALSE(Chart().BoxList[branch].flags & BoxFlag::ModifyEditorOpen);
    EXPECT_FALSE(Exists(TemporaryFileName(1, branch, "modify", "put")));
    EXPECT_FALSE(Exists(TemporaryFileName(1, branch, "modify", "get")));
}

TEST_F(BoxEditingTest, CaseMergeTable)
{
    struct Row {
        const char* why;
        std::vector<PadInfoRecord> cases;
        QString expected;
        int boxesFreed;
    };
    const Row rows[] = {
        {"the order 3, 1, new: case 2 goes with its box, the new case takes over its sub line",
         {CaseRecordMake("update", 3, "C3"), CaseRecordMake("delete", 2, "c2"), CaseRecordMake("update", 1, "C1"),
          CaseRecordMake("insert", 4, "new")},
         "1:C3[b3]! 2:C1[b1] 3:new[]", 1},
        {"every case kept, reordered",
         {CaseRecordMake("update", 2, "c2"), CaseRecordMake("update", 1, "c1"), CaseRecordMake("update", 3, "c3")},
         "1:c2[b2] 2:c1[b1] 3:c3[b3]!", 0},
        {"a case added and deleted again changes nothing",
         {CaseRecordMake("update", 1, "c1"), CaseRecordMake("update", 2, "c2"), CaseRecordMake("update", 3, "c3"),
          CaseRecordMake("delete", 4, "")},
         "1:c1[b1] 2:c2[b2] 3:c3[b3]!", 0},
        {"two new cases after a deleted first one",
         {CaseRecordMake("delete", 1, "c1"), CaseRecordMake("update", 2, "c2"), CaseRecordMake("update", 3, "c3"),
          CaseRecordMake("insert", 4, "n4"), CaseRecordMake("insert", 5, "n5")},
         "1:c2[b2] 2:c3[b3]! 3:n4[] 4:n5[]", 1},
        {"every case deleted but a new one",
         {CaseRecordMake("delete", 1, ""), CaseRecordMake("delete", 2, ""), CaseRecordMake("delete", 3, ""),
          CaseRecordMake("insert", 4, "only")},
         "1:only[]", 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SetUp();
        const std::int16_t branch = BoxOf(QStringLiteral("B"));
        const int boxes = BoxesInUse();
        BoxEditModify(1, branch);
        FakeEditor* editor = last();
        std::vector<PadInfoRecord> records{BoxRecordMake(TagId::Branch, QStringLiteral("B2"))};
        records.insert(records.end(), row.cases.begin(), row.cases.end());
        const QString put = editor->tray.TrayPutFileName;
        const QString get = editor->tray.TrayGetFileName;
        editor->update(records);

        EXPECT_EQ(Chart().BoxList[branch].text.text, QStringLiteral("B2"));
        EXPECT_EQ(CasesText(branch), row.expected);
        EXPECT_EQ(BoxesInUse(), boxes - row.boxesFreed);
        EXPECT_EQ(Reachable(Chart().header.firstBox), BoxesInUse() + SubsInUse());
        EXPECT_FALSE(Chart().BoxList[branch].flags & BoxFlag::ModifyEditorOpen);
        EXPECT_FALSE(Exists(put));
        EXPECT_FALSE(Exists(get));
        TearDown();
    }
}

TEST_F(BoxEditingTest, KindChangesKeepOrDropSubLevels)
{
    struct Row {
        const char* why;
        const char* box;
        std::int32_t tagId;
        const char* expectedBody; // the chain below the first sub line; "-" for no sub line
        int boxesFreed;
    };
    const Row rows[] = {
        {"a branch made a process block loses its cases and their boxes", "B", TagId::Block, "-", 3},
        {"a loop made a routine keeps its body", "L", TagId::Routine, "l1", 0},
        {"a loop made a branch keeps its body as case 1", "L", TagId::Branch, "l1", 0},
        {"a branch made a loop keeps case 1 only", "B", TagId::Loop, "b1", 2},
        {"a block made a loop gets an empty body", "z", TagId::Loop, "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SetUp();
        const std::int16_t box = BoxOf(QString::fromLatin1(row.box));
        const int boxes = BoxesInUse();
        BoxEditModify(1, box);
        std::vector<PadInfoRecord> records{BoxRecordMake(row.tagId, QStringLiteral("X"))};
        if (row.tagId == TagId::Branch)
            records.push_back(CaseRecordMake("insert", 1, ""));
        last()->update(records);
        const BoxRecord& b = Chart().BoxList[box];
        EXPECT_EQ(b.tagType, row.tagId);
        EXPECT_EQ(b.subIndex >= 1 ? ChainText(Chart().SubList[b.subIndex].boxIndex) : QStringLiteral("-"),
                  QString::fromLatin1(row.expectedBody));
        if (b.subIndex >= 1) {
            EXPECT_EQ(Chart().SubList[b.subIndex].after, -1);
        }
        EXPECT_EQ(BoxesInUse(), boxes - row.boxesFreed);
        EXPECT_EQ(Reachable(Chart().header.firstBox), BoxesInUse() + SubsInUse());
        TearDown();
    }
}

TEST_F(BoxEditingTest, InsertModesSpliceTheNewBox)
{
    const std::int16_t routine = BoxOf(QStringLiteral("R"));
    const std::int16_t body = Chart().BoxList[routine].subIndex;
    struct Row {
        const char* why;
        std::function<void()> open;
        std::function<QString()> chain;
        QString expected;
    };
    auto bodyChain = [&] { return ChainText(Chart().SubList[body].boxIndex); };
    const Row rows[] = {
        {"before the first box of a sub line's chain", [] { BoxEditBefore(1, BoxOf(QStringLiteral("B"))); }, bodyChain,
         "N,B,L,z"},
        {"after the last box of a chain", [] { BoxEditAfter(1, BoxOf(QStringLiteral("z"))); }, bodyChain, "B,L,z,N"},
        {"after a middle box", [] { BoxEditAfter(1, BoxOf(QStringLiteral("B"))); }, bodyChain, "B,N,L,z"},
        {"before the canvas's first box", [] { BoxEditBefore(1, BoxOf(QStringLiteral("R"))); },
         [] { return ChainText(Chart().header.firstBox); }, "N,R"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SetUp();
        row.open();
        last()->update({BoxRecordMake(TagId::Block, QStringLiteral("N"))});
        EXPECT_EQ(row.chain(), row.expected);
        const std::int16_t n = BoxOf(QStringLiteral("N"));
        ASSERT_GE(n, 1);
        const BoxRecord& box = Chart().BoxList[n];
        EXPECT_EQ(box.before >= 1 ? Chart().BoxList[box.before].after : n, n);
        EXPECT_EQ(box.after >= 1 ? Chart().BoxList[box.after].before : n, n);
        EXPECT_EQ(Reachable(Chart().header.firstBox), BoxesInUse() + SubsInUse());
        TearDown();
    }
}

TEST_F(BoxEditingTest, UpperSessionPutsARoutineAboveTheWholeTopChain)
{
    const std::int16_t old = Chart().header.firstBox;
    BoxEditUpper(1, 0);
    EXPECT_TRUE(Chart().SubList[0].flags & SubFlag::UpperEditorOpen);
    last()->update({BoxRecordMake(TagId::Routine, QStringLiteral("TOP"))});
    const std::int16_t top = Chart().header.firstBox;
    ASSERT_NE(top, old);
    EXPECT_EQ(Chart().BoxList[top].text.text, QStringLiteral("TOP"));
    const std::int16_t sub = Chart().BoxList[top].subIndex;
    ASSERT_GE(sub, 1);
    EXPECT_EQ(Chart().SubList[sub].no, 1);
    EXPECT_EQ(Chart().SubList[sub].boxIndex, old);
    EXPECT_EQ(Chart().BoxList[old].upper, sub);
    EXPECT_FALSE(Chart().SubList[0].flags & SubFlag::UpperEditorOpen);
}

TEST_F(BoxEditingTest, LowerSessionLinksInFrontOfBoxesPutThereMeanwhile)
{
    // The loop's body is emptied to give an empty sub line.
    const std::int16_t loop = BoxOf(QStringLiteral("L"));
    const std::int16_t line = Chart().BoxList[loop].subIndex;
    BoxDelete(1, BoxOf(QStringLiteral("l1")), true);
    Chart().SubList[line].boxIndex = -1;
    BoxEditLower(1, line);
    EXPECT_TRUE(Chart().SubList[line].flags & SubFlag::LowerEditorOpen);

    // While the editor is open a box is put below the line (as a paste would).
    const std::int16_t pasted = BoxAdd(1, PadInfoMake(TagId::Block, QStringLiteral("P")), -1, line);
    Chart().SubList[line].boxIndex = pasted;

    last()->update({BoxRecordMake(TagId::Block, QStringLiteral("N"))});
    EXPECT_EQ(ChainText(Chart().SubList[line].boxIndex), QStringLiteral("N,P"));
    EXPECT_EQ(Chart().BoxList[pasted].before, BoxOf(QStringLiteral("N")));
    EXPECT_EQ(Chart().BoxList[BoxOf(QStringLiteral("N"))].upper, line);
    EXPECT_EQ(Reachable(Chart().header.firstBox), BoxesInUse() + SubsInUse());
}

TEST_F(BoxEditingTest, CancelChangesNothingAndDeletesBothFiles)
{
    const QString before = ChainText(Chart().SubList[Chart().BoxList[BoxOf(QStringLiteral("R"))].subIndex].boxIndex);
    BoxEditAfter(1, BoxOf(QStringLiteral("B")));
    const BoxEditorTray tray = last()->tray;
    EXPECT_TRUE(Exists(tray.TrayPutFileName));
    EXPECT_TRUE(Exists(tray.TrayGetFileName));
    last()->close();
    FlushDeletes();
    EXPECT_FALSE(Exists(tray.TrayPutFileName));
    EXPECT_FALSE(Exists(tray.TrayGetFileName));
    EXPECT_EQ(ChainText(Chart().SubList[Chart().BoxList[BoxOf(QStringLiteral("R"))].subIndex].boxIndex), before);
    EXPECT_FALSE(Chart().BoxList[BoxOf(QStringLiteral("B"))].flags & BoxFlag::AfterEditorOpen);
}

TEST_F(BoxEditingTest, ThreeSessionsOnABoxAndFreeingItClosesThemAsCancelled)
{
    const std::int16_t box = BoxOf(QStringLiteral("l1"));
    BoxEditModify(1, box);
    BoxEditBefore(1, box);
    BoxEditAfter(1, box);
    ASSERT_EQ(editors.opened.size(), 3u);
    std::vector<BoxEditorTray> trays;
    for (auto& e : editors.opened)
        trays.push_back(e->tray);
    const int boxes = BoxesInUse();
    BoxDelete(1, box, true);
    FlushDeletes();
    for (const auto& e : editors.opened)
        EXPECT_TRUE(e.isNull());
    for (const BoxEditorTray& tray : trays) {
        EXPECT_FALSE(Exists(tray.TrayPutFileName));
        EXPECT_FALSE(Exists(tray.TrayGetFileName));
    }
    EXPECT_EQ(BoxesInUse(), boxes - 1);
}

TEST_F(BoxEditingTest, CloseAllClosesBoxAndTopLineSessionsSilently)
{
    BoxEditModify(1, BoxOf(QStringLiteral("z")));
    BoxEditUpper(1, 0);
    BoxEditorCloseAll(1);
    FlushDeletes();
    EXPECT_TRUE(msgbox::ShownBoxes().empty());
    for (const auto& e : editors.opened)
        EXPECT_TRUE(e.isNull());
    EXPECT_FALSE(Chart().SubList[0].flags & SubFlag::UpperEditorOpen);
    EXPECT_FALSE(Chart().BoxList[BoxOf(QStringLiteral("z"))].flags & BoxFlag::ModifyEditorOpen);
}

TEST_F(BoxEditingTest, CloseCheckReachesTheTopLineAndStopsAtTheFirstNo)
{
    struct Row {
        const char* why;
        bool boxSession;
        std::int16_t answer;
        bool refused;
        bool closed;
    };
    const Row rows[] = {
        {"an upper session alone is found and closed after Yes", false, msgbox::Answer::Yes, false, true},
        {"No closes none of two and asks once", true, msgbox::Answer::No, true, false},
        {"Yes closes both and asks once", true, msgbox::Answer::Yes, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SetUp();
        if (row.boxSession)
            BoxEditModify(1, BoxOf(QStringLiteral("z")));
        BoxEditUpper(1, 0);
        msgbox::QueueAnswer(row.answer);
        EXPECT_EQ(BoxEditorCloseCheck(true, -1), row.refused);
        FlushDeletes();
        EXPECT_EQ(msgbox::ShownBoxes().size(), 1u);
        for (const auto& e : editors.opened)
            EXPECT_EQ(e.isNull(), row.closed);
        EXPECT_EQ((Chart().SubList[0].flags & SubFlag::UpperEditorOpen) == 0, row.closed);
        TearDown();
    }
}

TEST_F(BoxEditingTest, EditingCheckRefusesAnOpenEditorOnThePartOrBelowIt)
{
    BoxEditModify(1, BoxOf(QStringLiteral("l1")));
    const std::int16_t loop = BoxOf(QStringLiteral("L"));
    EXPECT_FALSE(BoxEditingCheck(1, loop, -1, false));
    EXPECT_TRUE(msgbox::ShownBoxes().empty());
    EXPECT_TRUE(BoxEditingCheck(1, loop, -1, true));
    ASSERT_EQ(msgbox::ShownBoxes().size(), 1u);
    EXPECT_EQ(msgbox::ShownBoxes()[0].prompt, QStringLiteral("編集中のBOXがあります。\r\n削除できません。"));
    EXPECT_TRUE(BoxEditingCheck(1, BoxOf(QStringLiteral("l1")), -1, false));
    EXPECT_TRUE(BoxEditingCheck(1, -1, -1, true));
}

} // namespace
