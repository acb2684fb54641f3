// The box editor window offscreen: loading a box, the kinds offered, Update and Cancel with their
// work files, the warning before sub levels are dropped, the case grid and the free-style frame.
#include "app/dialogs/BoxEditor.h"

#include "app/canvas/boxediting_support.h"
#include "app/diagram/HistorySnapshots.h"
#include "platform/grid/Grid.h"
#include "support/SampleDocuments.h"
#include "support/ShellProgram.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QComboBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace boxediting_test;
using paddraw_test::DocumentLines;
using platform::grid::GridModel;
namespace msgbox = platform::msgbox;

namespace {

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The editor window and the canvas's sessions reach each other through the program's own link.
class BoxEditorTest : public paddraw_test::PadDrawTest {
protected:
    void SetUp() override
    {
        PadDrawTest::SetUp();
        testsupport::ShellProgramInstall();
    }
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* editor = qobject_cast<BoxEditor*>(w))
                editor->Unload();
        FlushDeletes();
        PadDrawTest::TearDown();
    }

    void openChart() { open(document(QStringLiteral("chart.txt"), DocumentLines(ChartLines()))); }

    static BoxEditor* ModifyEditor(std::int16_t box)
    {
        BoxEditModify(1, box);
        return qobject_cast<BoxEditor*>(Chart().BoxList[box].modifyEditor.data());
    }

    static QStringList Kinds(const BoxEditor* editor)
    {
        QStringList kinds;
        for (int i = 0; i < editor->cmbBoxType->count(); ++i)
            kinds << editor->cmbBoxType->itemText(i);
        return kinds;
    }

    static void KindChoose(BoxEditor* editor, std::int32_t tagId)
    {
        editor->cmbBoxType->setCurrentIndex(editor->cmbBoxType->findData(tagId));
        editor->cmbBoxType_Click();
    }

    static bool Exists(const QString& path) { return QFileInfo::exists(path); }
};

TEST_F(BoxEditorTest, OpensWithTheBoxsKindTextFontAndColour)
{
    const QStringList samples = testsupport::SampleDocuments().filter(QStringLiteral("order-summary.txt"));
    ASSERT_EQ(samples.size(), 1);
    open(samples.first());

    BoxEditor* red = ModifyEditor(BoxOf(QStringLiteral("合計から金額を引く")));
    ASSERT_NE(red, nullptr);
    EXPECT_EQ(red->Caption(), QStringLiteral("Box編集"));
    EXPECT_EQ(red->cmbBoxType->currentText(), QStringLiteral("処理Box"));
    EXPECT_EQ(red->BoxText(), QStringLiteral("合計から金額を引く"));
    EXPECT_EQ(red->cmbColor->currentText(), QStringLiteral("赤"));
    EXPECT_EQ(red->cmbFontSize->currentIndex(), 0);

    BoxEditor* large = ModifyEditor(BoxOf(QStringLiteral("集計表を印刷する")));
    ASSERT_NE(large, nullptr);
    EXPECT_EQ(large->cmbBoxType->currentText(), QStringLiteral("出力Box"));
    EXPECT_EQ(large->cmbFontSize->currentText(), QStringLiteral("12"));
    EXPECT_TRUE(large->chkFontBold->isChecked());
    EXPECT_FALSE(large->chkFontItalic->isChecked());
    EXPECT_EQ(large->cmbColor->currentIndex(), 0);
}

TEST_F(BoxEditorTest, UpdateChangesTheChartAndCancelChangesNothing)
{
    openChart();
    const std::int16_t z = BoxOf(QStringLiteral("z"));
    struct Row {
        const char* why;
        bool update;
        QString expected;
        bool runFolderGone = false;  // removed while the editor is open (a temporary-folder cleaner)
    };
    const Row rows[] = {{"Cancel", false, QStringLiteral("z")},
                        {"Update", true, QStringLiteral("line 1\r\nline 2")},
                        {"Update after the run folder was removed", true, QStringLiteral("again"), true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ApplicationGlobals.ModifyFlag = false;
        QPointer<BoxEditor> editor = ModifyEditor(z);
        ASSERT_TRUE(editor);
        const QString put = editor->TrayPutFileName;
        const QString get = editor->TrayGetFileName;
        ASSERT_TRUE(Exists(put));
        if (row.runFolderGone)
            ASSERT_TRUE(QDir(QFileInfo(put).absolutePath()).removeRecursively());
        editor->SetBoxText(row.update ? row.expected : QStringLiteral("line 1\r\nline 2"));
        (row.update ? editor->cmdUpdate : editor->cmdCancel)->click();
        FlushDeletes();
        EXPECT_TRUE(editor.isNull());
        EXPECT_EQ(Chart().BoxList[z].text.text, row.expected);
        EXPECT_EQ(GetModifyFlag(), row.update);
        EXPECT_FALSE(Exists(put));
        EXPECT_FALSE(Exists(get));
        EXPECT_FALSE(Exists(TemporaryFileNameCurrent(get))) << "nor in the run folder made again";
        EXPECT_FALSE(Chart().BoxList[z].flags & BoxFlag::ModifyEditorOpen);
        EXPECT_TRUE(msgbox::ShownBoxes().empty());
    }
}

TEST_F(BoxEditorTest, AnUnchangedUpdateKeepsTheBoxsOwnColourAndFont)
{
    const QString listed = ApplicationGlobals.FontNameList.value(2);
    ASSERT_FALSE(listed.isEmpty());
    ASSERT_FALSE(ApplicationGlobals.FontSizeList.contains(QStringLiteral("13")));
    open(document(QStringLiteral("fonts.txt"),
                  DocumentLines(QStringLiteral("&&routine|&&obstinate|Obstinate1|&&text|R|"
                                               "&&block|&&color|r0,g100,b160|&&text|rgb|"
                                               "&&block|&&font|fontsize:13|&&text|unlisted size|"
                                               "&&block|&&color|赤|&&font|fontname:%1|fontsize:12|&&text|listed|"
                                               "&&end-routine")
                                    .arg(listed)
                                    .split(QLatin1Char('|')))));
    struct Row {
        const char* why;
        const char* text;
        bool standardColour; // 標準 picked in the colour list
    };
    const Row rows[] = {
        {"a colour as r,g,b", "rgb", false},
        {"a size the list does not hold", "unlisted size", false},
        {"a listed name and size", "listed", false},
        {"標準 picked for the r,g,b colour", "rgb", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const std::int16_t b = BoxOf(QString::fromUtf8(row.text));
        ASSERT_GE(b, 1);
        const BoxRecord before = Chart().BoxList[b];
        BoxEditor* editor = ModifyEditor(b);
        ASSERT_TRUE(editor);
        if (row.standardColour) {
            ASSERT_NE(before.colorCode, -1);
            editor->cmbColor->setCurrentIndex(0);
        }
        editor->cmdUpdate->click();
        FlushDeletes();
        ASSERT_TRUE(msgbox::ShownBoxes().empty()) << msgbox::ShownBoxes().front().prompt.toStdString();
        const BoxRecord& after = Chart().BoxList[b];
        EXPECT_EQ(after.fontCode, before.fontCode);
        EXPECT_EQ(after.colorCode, row.standardColour ? -1 : before.colorCode);
    }
}

TEST_F(BoxEditorTest, AnInsertRefusedByAFullCanvasLeavesTheDocumentUnmodifiedWithoutAnUndoStep)
{
    // Every box slot of the canvas (32,767) in use: the box the editor would insert has no room.
    QStringList lines = {QStringLiteral("&&routine"), QStringLiteral("&&obstinate"), QStringLiteral("Obstinate1"),
                         QStringLiteral("&&text"), QStringLiteral("R")};
    for (int i = 2; i <= 32767; ++i)
        lines << QStringLiteral("&&block") << QStringLiteral("&&text") << QStringLiteral("b%1").arg(i);
    lines << QStringLiteral("&&end-routine");
    open(document(QStringLiteral("full.txt"), DocumentLines(lines)));
    ASSERT_EQ(Chart().BoxList.size(), 32768u);
    HistoryClear();
    ApplicationGlobals.ModifyFlag = false;

    const std::int16_t box = BoxOf(QStringLiteral("b2"));
    BoxEditAfter(1, box);
    auto* editor = qobject_cast<BoxEditor*>(Chart().BoxList[box].afterEditor.data());
    ASSERT_NE(editor, nullptr);
    KindChoose(editor, editor->cmbBoxType->itemData(0).toInt());
    editor->SetBoxText(QStringLiteral("new"));
    editor->cmdUpdate->click();
    FlushDeletes();
    ASSERT_EQ(msgbox::ShownBoxes().size(), 1u);
    const QString refusal = msgbox::ShownBoxes()[0].prompt;
    EXPECT_TRUE(refusal.contains(QStringLiteral("上限"))) << refusal.toStdString();
    EXPECT_EQ(BoxOf(QStringLiteral("new")), -1);
    EXPECT_FALSE(GetModifyFlag());
    EXPECT_FALSE(HistoryCanUndo());
}

TEST_F(BoxEditorTest, InsertSessionsOfferTheirKinds)
{
    openChart();
    BoxEditUpper(1, 0);
    auto* upper = qobject_cast<BoxEditor*>(Chart().SubList[0].upperEditor.data());
    ASSERT_NE(upper, nullptr);
    EXPECT_EQ(upper->Caption(), QStringLiteral("Box編集(追加)"));
    EXPECT_EQ(Kinds(upper), (QStringList{QStringLiteral("定義Box"), QStringLiteral("選択Box"), QStringLiteral("反復Box")}));
    EXPECT_EQ(upper->BoxText(), QString());

    const std::int16_t line = Chart().BoxList[BoxOf(QStringLiteral("L"))].subIndex;
    BoxEditLower(1, line);
    auto* lower = qobject_cast<BoxEditor*>(Chart().SubList[line].lowerEditor.data());
    ASSERT_NE(lower, nullptr);
    EXPECT_FALSE(Kinds(lower).contains(QStringLiteral("定義Box")));
    EXPECT_TRUE(Kinds(lower).contains(QStringLiteral("注釈Box")));
    EXPECT_EQ(lower->cmbBoxType->currentIndex(), 0);
    lower->SetBoxText(QStringLiteral("first"));
    lower->cmdUpdate->click();
    EXPECT_EQ(ChainText(Chart().SubList[line].boxIndex), QStringLiteral("first,l1"));
}

// A canvas read without its chart kind (a routine without its obstinate section, as people write
// documents by hand) offers the kinds of the chart its boxes make, as a canvas of that kind does,
// and its boxes can be edited; the document keeps the canvas without a kind.
TEST_F(BoxEditorTest, ACanvasWithoutItsChartKindIsEditedAsTheChartItsBoxesMake)
{
    struct Row {
        const char* why;
        QString chart;       // "|" between the lines, {kind} where the kind's section may stand
        QString kind;        // the chart kind that the same document names
        QString edited;      // the text of the box edited
        QStringList offered; // the first kinds offered
    };
    const std::vector<Row> rows = {
        {"PAD boxes", QStringLiteral("&&routine|{kind}&&text|R|&&block|&&text|b|&&loop|&&text|L|&&end-loop|&&end-routine"),
         QStringLiteral("Obstinate1"), QStringLiteral("b"), {QStringLiteral("処理Box"), QStringLiteral("宣言Box")}},
        {"module-structure boxes",
         QStringLiteral("&&routine|{kind}&&tree|&&text|T|&&tree|&&text|t|&&end-tree|&&end-tree|&&end-routine"),
         QStringLiteral("Obstinate2"), QStringLiteral("t"), {QStringLiteral("ﾂﾘｰBox"), QStringLiteral("注釈Box")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const auto offered = [&](const QString& kind) {
            QString chart = row.chart;
            chart.replace(QStringLiteral("{kind}"), kind.isEmpty() ? QString() : "&&obstinate|" + kind + "|");
            open(document(QStringLiteral("chart.txt"), DocumentLines(chart.split(QLatin1Char('|')))));
            BoxEditor* editor = ModifyEditor(BoxOf(row.edited));
            return editor ? Kinds(editor) : QStringList();
        };
        const QStringList named = offered(row.kind);
        ASSERT_EQ(named.mid(0, 2), row.offered);
        EXPECT_EQ(offered(QString()), named);
        EXPECT_EQ(Chart().header.kindFlags, 0);

        const std::int16_t box = BoxOf(row.edited);
        const std::int32_t kind = Chart().BoxList[box].tagType;
        BoxEditor* editor = qobject_cast<BoxEditor*>(Chart().BoxList[box].modifyEditor.data());
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->cmbBoxType->currentText(), row.offered[0]);
        msgbox::ShownBoxes().clear();
        editor->SetBoxText(QStringLiteral("edited"));
        editor->cmdUpdate->click();
        FlushDeletes();
        EXPECT_TRUE(msgbox::ShownBoxes().empty()) << msgbox::ShownBoxes()[0].prompt.toStdString();
        EXPECT_EQ(Chart().BoxList[box].text.text, QStringLiteral("edited"));
        EXPECT_EQ(Chart().BoxList[box].tagType, kind);
        EXPECT_EQ(Chart().header.kindFlags, 0);
    }
}

// A routine that is no longer alone in its chain cannot be chosen again; the kind offered in its
// place has no body, so Update asks before the body goes, and No keeps everything.
TEST_F(BoxEditorTest, KindWithFewerSubLevelsWarnsFromTheOriginalKind)
{
    openChart();
    const std::int16_t routine = BoxOf(QStringLiteral("R"));
    const std::int16_t sibling = BoxAdd(1, PadInfoMake(TagId::Block, QStringLiteral("S")), routine, -1);
    Chart().BoxList[routine].after = sibling;
    QPointer<BoxEditor> editor = ModifyEditor(routine);
    ASSERT_TRUE(editor);
    EXPECT_FALSE(Kinds(editor).contains(QStringLiteral("定義Box")));
    EXPECT_EQ(editor->InitialKindRow().id, TagId::Routine);
    const QString put = editor->TrayPutFileName;

    const int boxes = BoxesInUse();
    msgbox::QueueAnswer(msgbox::Answer::No);
    editor->cmdUpdate->click();
    ASSERT_EQ(msgbox::ShownBoxes().size(), 1u);
    EXPECT_EQ(msgbox::ShownBoxes()[0].prompt, QStringLiteral("下位の処理が全て削除されます。\r\n宜しいですか？"));
    ASSERT_TRUE(editor);
    EXPECT_EQ(Chart().BoxList[routine].tagType, TagId::Routine);
    EXPECT_EQ(BoxesInUse(), boxes);

    // Closed with Ctrl+F4 after the refused Update: handed back once, as cancelled.
    QTest::keyClick(editor->txtText, Qt::Key_F4, Qt::ControlModifier);
    FlushDeletes();
    EXPECT_TRUE(editor.isNull());
    EXPECT_FALSE(Exists(put));
    EXPECT_FALSE(Chart().BoxList[routine].flags & BoxFlag::ModifyEditorOpen);
    EXPECT_EQ(BoxesInUse(), boxes);
}

TEST_F(BoxEditorTest, BranchEditedInTheGridMergesIntoTheChart)
{
    openChart();
    const std::int16_t branch = BoxOf(QStringLiteral("B"));
    BoxEditor* editor = ModifyEditor(branch);
    ASSERT_NE(editor, nullptr);
    GridModel& grid = editor->sprCase->model();
    ASSERT_EQ(grid.MaxRows(), 3);
    EXPECT_TRUE(editor->sprCase->isEnabled());
    editor->cmdInsert->click();
    ASSERT_EQ(grid.MaxRows(), 4);
    grid.SetText(CaseColumn::Text, 4, QStringLiteral("new"));
    grid.SetComboCurSel(CaseColumn::Operation, 2, 1); // 削除
    editor->sprCase_ComboSelChange(CaseColumn::Operation, 2);
    grid.SetComboCurSel(CaseColumn::Operation, 3, 2); // 上へ
    editor->sprCase_ComboSelChange(CaseColumn::Operation, 3);
    EXPECT_EQ(grid.Text(CaseColumn::Text, 2), QStringLiteral("c3"));
    EXPECT_EQ(grid.Text(CaseColumn::Operation, 3), QStringLiteral("削除"));

    // A case cell holds one line: a pasted text's line break comes in as a blank.
    editor->sprCase->editItem(editor->sprCase->item(0, CaseColumn::Text - 1));
    auto* cell = editor->sprCase->findChild<QLineEdit*>();
    ASSERT_NE(cell, nullptr);
    QGuiApplication::clipboard()->setText(QStringLiteral("c1\n#more"));
    cell->selectAll();
    cell->paste();
    EXPECT_EQ(cell->text(), QStringLiteral("c1 #more"));
    QTest::keyClick(cell, Qt::Key_Tab);
    EXPECT_EQ(grid.Text(CaseColumn::Text, 1), QStringLiteral("c1 #more"));

    const int boxes = BoxesInUse();
    msgbox::QueueAnswer(msgbox::Answer::Yes);
    editor->cmdUpdate->click();
    ASSERT_EQ(msgbox::ShownBoxes().size(), 1u);
    EXPECT_EQ(msgbox::ShownBoxes()[0].prompt, QStringLiteral("下位の一部が削除されます。\r\n宜しいですか？"));
    EXPECT_EQ(CasesText(branch), QStringLiteral("1:c1 #more[b1] 2:c3[b3]! 3:new[]"));
    EXPECT_EQ(BoxesInUse(), boxes - 1);
}

TEST_F(BoxEditorTest, LoopOptionsKeepExactlyOneSet)
{
    openChart();
    BoxEditor* editor = ModifyEditor(BoxOf(QStringLiteral("L")));
    ASSERT_NE(editor, nullptr);
    editor->show();
    const auto set = [&] { return QString::number(editor->optLoop[0]->isChecked()) + QString::number(editor->optLoop[1]->isChecked()); };
    ASSERT_EQ(set(), QStringLiteral("10")) << "the loop tests before its body";
    struct Row {
        const char* why;
        int option;
        bool keyboard;
        const char* expected;
    };
    const Row rows[] = {
        {"choosing the set option again keeps it", 0, false, "10"},
        {"the other option takes over", 1, false, "01"},
        {"by the keyboard as well", 1, true, "01"},
        {"and back", 0, true, "10"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        QRadioButton* option = editor->optLoop[static_cast<std::size_t>(row.option)];
        if (row.keyboard) {
            option->setFocus();
            QTest::keyClick(option, Qt::Key_Space);
        } else {
            QTest::mouseClick(option, Qt::LeftButton);
        }
        EXPECT_EQ(set(), QString::fromLatin1(row.expected));
    }
    editor->cmdUpdate_Click();
    const BoxRecord& loop = Chart().BoxList[static_cast<std::size_t>(BoxOf(QStringLiteral("L")))];
    EXPECT_NE(loop.flags & BoxFlag::TestBefore, 0) << "saved as the options last said";
}

TEST_F(BoxEditorTest, CaptionsShowTheirAccessKeysAndTheCaseNumbersStandInView)
{
    openChart();
    BoxEditor* editor = ModifyEditor(BoxOf(QStringLiteral("B")));
    ASSERT_NE(editor, nullptr);
    editor->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor, 30000));
    // A label shows its "&" as a mark under the key only when the key leads somewhere.
    for (QLabel* label : editor->findChildren<QLabel*>()) {
        if (label->text().contains(QLatin1Char('&')))
            EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
    }

    platform::grid::Grid* grid = editor->sprCase;
    ASSERT_EQ(grid->model().MaxRows(), 3);
    editor->cmdInsert_Click();
    EXPECT_EQ(grid->model().Text(CaseColumn::Shown, 4), QStringLiteral("追"));
    const int shown = CaseColumn::Shown - 1;
    EXPECT_FALSE(grid->isColumnHidden(shown));
    EXPECT_GE(grid->columnViewportPosition(shown), 0);
    EXPECT_LE(grid->columnViewportPosition(shown) + grid->columnWidth(shown), grid->viewport()->width());
    EXPECT_GE(grid->columnWidth(shown), grid->fontMetrics().horizontalAdvance(QStringLiteral("追")));
}

TEST_F(BoxEditorTest, CaseGridRules)
{
    GridModel grid;
    CaseGridSetup(grid);
    for (int i = 1; i <= 3; ++i) {
        grid.SetMaxRows(i);
        grid.SetText(CaseColumn::Text, i, QStringLiteral("c%1").arg(i));
        for (int col : {CaseColumn::Shown, CaseColumn::Number})
            grid.SetText(col, i, QString::number(i));
        grid.SetText(CaseColumn::Deleted, i, QStringLiteral("0"));
        grid.SetText(CaseColumn::Added, i, QStringLiteral("0"));
    }
    CaseRowAdd(grid, 0);
    CaseRowAdd(grid, 0);
    EXPECT_EQ(grid.Text(CaseColumn::Shown, 5), QStringLiteral("追"));
    EXPECT_EQ(grid.Text(CaseColumn::Number, 5), QStringLiteral("5"));

    auto choose = [&](int row, int index) {
        grid.SetComboCurSel(CaseColumn::Operation, row, index);
        return CaseRowOperation(grid, row);
    };
    choose(2, 1);          // 削除
    choose(2, 0);          // 更新 again: kept
    EXPECT_EQ(choose(2, 2), 1); // 上へ: rows 1 and 2 change places
    EXPECT_EQ(grid.Text(CaseColumn::Text, 1), QStringLiteral("c2"));
    EXPECT_EQ(grid.Text(CaseColumn::Number, 1), QStringLiteral("2"));
    EXPECT_EQ(grid.Text(CaseColumn::Shown, 2), QStringLiteral("1"));
    EXPECT_EQ(choose(1, 2), 1); // 上へ on the first row moves nothing
    EXPECT_EQ(grid.ComboCurSel(CaseColumn::Operation, 1), 0);
    EXPECT_EQ(choose(5, 3), 5); // 下へ on the last row moves nothing
    choose(5, 1);          // a new row deleted again

    std::vector<PadInfoRecord> records(1);
    CaseRecordsMake(grid, records);
    ASSERT_EQ(records.size(), 6u);
    const std::pair<const char*, int> expected[] = {{"update", 2}, {"update", 1}, {"update", 3}, {"insert", 4}, {"delete", 5}};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(records[i + 1].tagId, TagId::Case);
        EXPECT_EQ(records[i + 1].name, QString::fromLatin1(expected[i].first));
        EXPECT_EQ(records[i + 1].number, expected[i].second);
    }

    GridModel empty;
    CaseGridSetup(empty);
    std::vector<PadInfoRecord> one(1);
    CaseRecordsMake(empty, one);
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[1].name, QStringLiteral("insert"));
    EXPECT_EQ(one[1].number, 1);
    EXPECT_EQ(one[1].text, QString());
}

TEST_F(BoxEditorTest, FreeStyleButtonsCycleTrimAndRoundTripThroughTheDocument)
{
    openChart();
    const std::int16_t z = BoxOf(QStringLiteral("z"));
    BoxEditor* editor = ModifyEditor(z);
    ASSERT_NE(editor, nullptr);
    KindChoose(editor, TagId::FreeStyle);
    EXPECT_TRUE(editor->frmFree->isEnabled());

    editor->cmdFreeStyle[8]->click(); // overlap without side lines stays off
    EXPECT_EQ(editor->StyleValues()[8], 0);
    EXPECT_EQ(editor->cmdFreeStyle[8]->text(), QString());
    for (int i : {5, 6, 7, 8}) // right, upper and lower lines, overlap horizontal
        editor->cmdFreeStyle[static_cast<std::size_t>(i)]->click();
    EXPECT_EQ(editor->cmdFreeStyle[8]->text(), QStringLiteral("←　→"));
    const FreeStylePreview& p = *editor->preview;
    EXPECT_FALSE(p.IsVisible(QStringLiteral("linFreeRightVertical")));
    EXPECT_TRUE(p.IsVisible(QStringLiteral("linFreeRightUpperVertical")));
    EXPECT_TRUE(p.IsVisible(QStringLiteral("linFreeRightLowerVertical")));
    for (const char* left : {"linFreeLeftUpperVertical", "linFreeLeftVertical", "linFreeLeftLowerVertical"})
        EXPECT_FALSE(p.IsVisible(QString::fromLatin1(left))) << left;
    EXPECT_TRUE(p.IsVisible(QStringLiteral("linFreeUpperHorizontal")));

    editor->cmdFreeStyle[0]->click();
    editor->cmdFreeStyle[0]->click(); // left upper corner: off, cut, curve
    EXPECT_TRUE(p.IsVisible(QStringLiteral("shpFreeLeftUpperCurve")));
    EXPECT_FALSE(p.IsVisible(QStringLiteral("shpFreeLeftUpperOff")));
    editor->cmdFreeStyle[6]->click(); // upper line off: the lower line still holds overlap
    EXPECT_EQ(editor->StyleValues()[8], 1);
    editor->cmdFreeStyle[7]->click(); // lower line off too: overlap goes off with the last one
    EXPECT_EQ(editor->StyleValues()[8], 0);
    EXPECT_EQ(editor->cmdFreeStyle[8]->text(), QString());
    editor->cmdFreeStyle[6]->click();
    editor->cmdFreeStyle[8]->click();
    editor->cmdFreeStyle[8]->click(); // vertical
    EXPECT_EQ(editor->cmdFreeStyle[8]->text(), QStringLiteral("↑　↓"));
    const std::vector<std::uint8_t> chosen = editor->StyleValues();

    editor->cmdUpdate->click();
    EXPECT_EQ(Chart().BoxList[z].tagType, TagId::FreeStyle);
    EXPECT_EQ(Chart().BoxList[z].style, chosen);

    // The document text carries the style, and reading it back gives the same frame.
    const QString saved = path(QStringLiteral("saved.txt"));
    PadFileCreate(saved);
    PadDocumentWrite(true, false);
    PadFileFinish();
    const QString text = platform::codepage::FromShiftJis(read(saved), QStringLiteral("test"));
    EXPECT_TRUE(text.contains(QStringLiteral("leftuppercorner:curve\r\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("overlap:vertical\r\n"))) << text.toStdString();
    open(saved);
    const std::int16_t again = BoxOf(QStringLiteral("z"));
    ASSERT_GE(again, 1);
    EXPECT_EQ(Chart().BoxList[again].tagType, TagId::FreeStyle);
    EXPECT_EQ(Chart().BoxList[again].style, chosen);

    // And an editor opened on it shows the same values.
    BoxEditor* reopened = ModifyEditor(again);
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->StyleValues(), chosen);
}

TEST_F(BoxEditorTest, KeyboardPathRunsThroughTheCaseGrid)
{
    openChart();
    BoxEditor* editor = ModifyEditor(BoxOf(QStringLiteral("B")));
    ASSERT_NE(editor, nullptr);
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor, 30000));
    const GridModel& grid = editor->sprCase->model();

    // Tab from the add button enters the grid at the first row's text.
    editor->cmdInsert->setFocus();
    QTest::keyClick(editor->cmdInsert, Qt::Key_Tab);
    EXPECT_EQ(grid.ActiveCol(), CaseColumn::Text);
    EXPECT_EQ(grid.ActiveRow(), 1);

    // Past a row's drop-down to the next row's text; column 4 is never entered.
    editor->sprCase->SetActiveCell(CaseColumn::Operation, 1);
    editor->sprCase->KeyboardMove(true);
    EXPECT_EQ(grid.ActiveCol(), CaseColumn::Text);
    EXPECT_EQ(grid.ActiveRow(), 2);
    editor->sprCase->KeyboardMove(false);
    EXPECT_EQ(grid.ActiveCol(), CaseColumn::Operation);
    EXPECT_EQ(grid.ActiveRow(), 1);

    // From the last row's drop-down Tab leaves for Update; Shift+Tab comes back to it.
    editor->sprCase->SetActiveCell(CaseColumn::Operation, 3);
    editor->sprCase->KeyboardMove(true);
    EXPECT_TRUE(editor->cmdUpdate->hasFocus());
    editor->sprCase->SetActiveCell(CaseColumn::Text, 1);
    QTest::keyClick(editor->cmdUpdate, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid.ActiveCol(), CaseColumn::Operation);
    EXPECT_EQ(grid.ActiveRow(), 3);

    // Enter in the grid does not press Update; nor in the text box reached from the grid by a
    // click, where it starts a new line; Esc cancels.
    QTest::keyClick(editor->sprCase, Qt::Key_Return);
    EXPECT_FALSE(editor->EditFinished());
    QTest::mouseClick(editor->txtText->viewport(), Qt::LeftButton);
    ASSERT_TRUE(editor->txtText->hasFocus());
    QTest::keyClick(editor->txtText, Qt::Key_Return);
    EXPECT_FALSE(editor->EditFinished());
    EXPECT_TRUE(editor->BoxText().contains(QStringLiteral("\r\n"))) << editor->BoxText().toStdString();
    QPointer<BoxEditor> alive = editor;
    QTest::keyClick(editor->sprCase, Qt::Key_Escape);
    FlushDeletes();
    EXPECT_TRUE(alive.isNull());
}

} // namespace

namespace {

// The text box selects its whole text when the focus comes into it from another control; when it
// comes back with the window (after a message box, a menu, another window) what was being typed
// stays unselected, so that the next key does not replace it.
TEST_F(BoxEditorTest, TheTextIsSelectedWhenEnteredNotWhenItsWindowComesBack)
{
    openChart();
    BoxEditor* editor = ModifyEditor(BoxOf(QStringLiteral("B")));
    ASSERT_NE(editor, nullptr);
    const struct {
        const char* why;
        Qt::FocusReason reason;
        bool selected;
    } rows[] = {
        {"Tab", Qt::TabFocusReason, true},
        {"Shift+Tab back from the zoom button", Qt::BacktabFocusReason, true},
        {"a mnemonic", Qt::ShortcutFocusReason, true},
        {"back after a message box or another window", Qt::ActiveWindowFocusReason, false},
        {"back after a menu", Qt::PopupFocusReason, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        editor->txtText->setPlainText(QStringLiteral("typed so far"));
        editor->txtText->moveCursor(QTextCursor::End);
        QFocusEvent focusIn(QEvent::FocusIn, row.reason);
        QCoreApplication::sendEvent(editor->txtText, &focusIn);
        EXPECT_EQ(editor->txtText->textCursor().selectedText(),
                  row.selected ? QStringLiteral("typed so far") : QString());
    }
}

} // namespace
