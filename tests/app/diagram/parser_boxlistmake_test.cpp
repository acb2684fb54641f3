// The parser: documents into box chains and sub lines, every parse error by its source and
// text, free-standing lists, deep nesting refused, and the sample documents.

#include "parser_support.h"

#include "platform/vbrt/Error.h"
#include "support/RaisedError.h"

#include <vector>

using namespace vellumora;
using namespace parser_test;

namespace {

class Parser : public ::testing::Test {
protected:
    void SetUp() override { CanvasesReset(); }
    void TearDown() override
    {
        PadFileClose();
        B.clear();
    }

    std::int16_t Parse(const QStringList& lines, std::int16_t owner = -1)
    {
        InputOpen(folder_, lines);
        return BoxListMake(kCanvas, owner);
    }

    QTemporaryDir folder_;
};

TEST_F(Parser, BuildsChainsAndSubLines)
{
    struct Row {
        const char* why;
        QStringList lines;
        std::string picture;
    };
    const Row rows[] = {
        {"a routine with an empty body still has its sub line",
         {"&&routine", "&&text", "R", "&&end-routine"},
         "routine(R)[]"},
        {"a routine without text makes no box: its body is the top chain",
         {"&&routine", "&&block", "&&text", "A", "&&output", "&&text", "B", "&&end-routine"},
         "block(A) output(B)"},
        {"a routine holds a sequence",
         {"&&routine", "&&text", "R", "&&declare", "&&text", "D", "&&input", "&&text", "I", "&&end-routine"},
         "routine(R)[declare(D) input(I)]"},
        {"branch cases in order, an empty case between two",
         {"&&routine", "&&branch", "&&text", "X", "&&case", "&&text", "a", "&&block", "&&text", "A",
          "&&case", "&&text", "b", "&&case", "&&text", "c", "&&jump", "&&text", "J", "&&end-branch",
          "&&end-routine"},
         "branch(X)[a:block(A)][b:][c:jump(J)]"},
        {"a branch without cases has no sub line",
         {"&&routine", "&&branch", "&&text", "X", "&&end-branch", "&&block", "&&text", "A", "&&end-routine"},
         "branch(X) block(A)"},
        {"loops nest; an empty loop has its sub line",
         {"&&routine", "&&loop", "&&text", "L", "&&loop", "&&text", "M", "&&end-loop", "&&label", "&&text", "E",
          "&&end-loop", "&&end-routine"},
         "loop(L)[loop(M)[] label(E)]"},
        {"trees nest like loops",
         {"&&routine", "&&text", "T", "&&tree", "&&text", "a", "&&tree", "&&text", "b", "&&end-tree", "&&tree",
          "&&text", "c", "&&end-tree", "&&end-tree", "&&end-routine"},
         "routine(T)[tree(a)[tree(b)[] tree(c)[]]]"},
        {"every plain kind is one box",
         {"&&routine", "&&block", "&&declare", "&&input", "&&output", "&&external", "&&label", "&&break",
          "&&continue", "&&jump", "&&note", "&&chink", "&&egg", "&&freeStyle", "&&end-routine"},
         "block() declare() input() output() external() label() break() continue() jump() note() chink() egg() "
         "freeStyle()"},
        {"a routine with a text as the last item of another routine's body",
         {"&&routine", "&&text", "R", "&&block", "&&text", "A", "&&routine", "&&text", "S", "&&block", "&&text",
          "B", "&&end-routine", "&&end-routine"},
         "routine(R)[block(A) routine(S)[block(B)]]"},
        {"a nested routine ends its list at its own end record, the boxes after it are left",
         {"&&routine", "&&text", "R", "&&block", "&&text", "A", "&&routine", "&&text", "S", "&&end-routine",
          "&&block", "&&text", "B", "&&end-routine"},
         "routine(R)[block(A) routine(S)[]]"},
        {"a top-level note takes the records after it until an end tag",
         {"&&note", "&&text", "N", "&&block", "&&text", "A", "&&end-routine"},
         "note(N) block(A)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        CanvasesReset();
        const std::int16_t first = Parse(row.lines);
        EXPECT_EQ(CanvasPicture(), row.picture);
        EXPECT_EQ(Canvas().header.firstBox, first);
        EXPECT_TRUE(TreeSound());
        PadFileClose();
    }
}

TEST_F(Parser, ListEndsAtTheEndRecordAndLeavesItForTheCaller)
{
    Parse({"&&routine", "&&text", "R", "&&block", "&&end-routine", "&&end-document"});
    EXPECT_EQ(GetPadInfo().tagId, TagId::EndRoutine);
    EXPECT_EQ(GetPadInfo().tagId, TagId::EndDocument);
}

TEST_F(Parser, EmptyBodiesAndTheSubLinesOfBodies)
{
    Parse({"&&routine", "&&text", "R", "&&end-routine"});
    const BoxRecord& routine = Box(1);
    ASSERT_GE(routine.subIndex, 1);
    EXPECT_EQ(routine.subCount, 1);
    EXPECT_EQ(Sub(routine.subIndex).boxIndex, -1);
    EXPECT_EQ(Sub(routine.subIndex).no, 1);

    CanvasesReset();
    PadFileClose();
    Parse({"&&routine", "&&branch", "&&text", "X", "&&case", "&&case", "&&case", "&&end-branch", "&&end-routine"});
    const BoxRecord& branch = Box(Canvas().header.firstBox);
    EXPECT_EQ(branch.subCount, 0) << "the branch shape counts the cases";
    std::vector<std::int16_t> numbers;
    for (std::int16_t s = branch.subIndex; s >= 1; s = Sub(s).after)
        numbers.push_back(Sub(s).no);
    EXPECT_EQ(numbers, (std::vector<std::int16_t>{1, 2, 3}));
}

TEST_F(Parser, RecordSectionsReachBoxesSubLinesAndCanvas)
{
    Parse({"&&routine", "&&obstinate", "Obstinate2", "&&name", "  構成図 ", "&&rightPage", "&&text", "R",
           "&&loop", "&&before", "&&text", "L", "&&end-loop",
           "&&loop", "&&lowerPage", "&&rightPage", "&&text", "M", "&&block", "&&end-loop",
           "&&branch", "&&case", "&&rightPage", "&&text", "x", "&&block", "&&case", "&&rightPage", "&&end-branch",
           "&&freeStyle", "&&color", "赤", "&&style", "leftline", "overlap:vertical", "&&end-routine"});
    EXPECT_EQ(Canvas().header.name, QStringLiteral("構成図"));
    EXPECT_EQ(Canvas().header.kindFlags, TagAttribute::Obstinate2);

    const BoxRecord& routine = Box(1);
    EXPECT_EQ(Sub(routine.subIndex).flags & SubFlag::RightPage, SubFlag::RightPage) << "the routine's body";
    const std::int16_t before = Sub(routine.subIndex).boxIndex;
    EXPECT_EQ(Box(before).flags, 0x0C) << "test first";
    const std::int16_t after = Box(before).after;
    EXPECT_EQ(Box(after).flags, 0x808) << "test after, page break above";
    EXPECT_EQ(Sub(Box(after).subIndex).flags & SubFlag::RightPage, SubFlag::RightPage);

    const std::int16_t branch = Box(after).after;
    const std::int16_t case1 = Box(branch).subIndex;
    const std::int16_t case2 = Sub(case1).after;
    EXPECT_EQ(Sub(case1).text.text, QStringLiteral("x"));
    EXPECT_EQ(Sub(case1).flags & SubFlag::RightPage, SubFlag::RightPage);
    EXPECT_EQ(Sub(case2).flags & SubFlag::RightPage, SubFlag::RightPage) << "an empty case keeps its mark here";

    const BoxRecord& free = Box(Box(branch).after);
    EXPECT_EQ(free.colorCode, ColorModify(QStringLiteral("赤")));
    EXPECT_EQ(free.style, (std::vector<std::uint8_t>{0, 0, 0, 0, 1, 0, 0, 0, 2}));
}

TEST_F(Parser, RoutineWithoutSectionsLeavesNoChartKindAndKeepsTheName)
{
    Canvas().header.name = QStringLiteral("keep");
    Canvas().header.kindFlags = TagAttribute::Obstinate2;
    Parse({"&&routine", "&&text", "R", "&&end-routine"});
    EXPECT_EQ(Canvas().header.kindFlags, 0);
    EXPECT_EQ(Canvas().header.name, QStringLiteral("keep"));
}

TEST_F(Parser, BrokenDocumentsAreRefusedByTheirSourceAndText)
{
    const QString unexpected = QStringLiteral("不当なﾀｸﾞが出現しています。");
    const QString routineMisplaced = QStringLiteral("Routineﾀｸﾞが所定の位置にありません。");
    const QString badSequence = QStringLiteral("ﾀｸﾞのｼｰｹﾝｽが不良です。");
    const QString endMisplaced = QStringLiteral("endﾀｸﾞが所定の位置にありません。");
    const QString caseOutside = QStringLiteral("Branchﾀｸﾞ以外でCaseﾀｸﾞが使用されています。");
    struct Row {
        const char* why;
        QStringList lines;
        const char* source;
        QString description;
    };
    const Row rows[] = {
        {"the input ends in the top-level list", {"&&routine", "&&block"}, "BoxListMake", unexpected},
        {"an end-document record inside a list", {"&&note", "&&end-document"}, "BoxListMake", unexpected},
        {"a section tag opening a record", {"&&text", "A"}, "BoxListMake", unexpected},
        {"a document record inside a loop", {"&&loop", "&&block", "&&document"}, "BoxListMake", unexpected},
        {"a routine right after a routine", {"&&routine", "&&text", "R", "&&routine"}, "RoutineBox",
         routineMisplaced},
        {"a routine's body begins with a case", {"&&routine", "&&text", "R", "&&case"}, "RoutineBox", badSequence},
        {"a routine's body begins with a chink", {"&&routine", "&&text", "R", "&&chink"}, "RoutineBox",
         badSequence},
        {"a routine ends at the end of the input", {"&&routine", "&&text", "R"}, "RoutineBox", badSequence},
        {"a routine closed by another end tag", {"&&routine", "&&text", "R", "&&block", "&&end-loop"},
         "RoutineBox", endMisplaced},
        {"a routine whose end is missing after an empty body", {"&&routine", "&&text", "R", "&&end-tree"},
         "RoutineBox", endMisplaced},
        {"a routine right after a branch", {"&&branch", "&&routine"}, "BranchBox", routineMisplaced},
        {"a branch whose first record is a box", {"&&branch", "&&block"}, "BranchBox", badSequence},
        {"a branch closed by another end tag", {"&&branch", "&&end-loop"}, "BranchBox", endMisplaced},
        {"a branch whose last case ends with another end tag", {"&&branch", "&&case", "&&block", "&&end-tree"},
         "BranchBox", endMisplaced},
        {"a branch at the end of the input", {"&&branch", "&&case"}, "BoxListMake", unexpected},
        {"a routine right after a loop", {"&&loop", "&&routine"}, "LoopBox", routineMisplaced},
        {"a loop closed by another end tag", {"&&loop", "&&end-branch"}, "LoopBox", endMisplaced},
        {"a loop whose body begins with a case", {"&&loop", "&&case", "&&end-loop"}, "LoopBox", endMisplaced},
        {"a loop at the end of the input", {"&&loop"}, "LoopBox", endMisplaced},
        {"a case in a loop body after a box", {"&&loop", "&&block", "&&case", "&&end-loop"}, "LoopBox",
         endMisplaced},
        {"a routine with a text inside a loop takes the loop's end",
         {"&&loop", "&&block", "&&routine", "&&text", "R", "&&end-routine", "&&end-loop"}, "LoopBox", endMisplaced},
        {"a routine right after a tree", {"&&tree", "&&routine"}, "TreeBox", routineMisplaced},
        {"a tree whose body begins with a case", {"&&tree", "&&case"}, "TreeBox", badSequence},
        {"a tree closed by another end tag", {"&&tree", "&&block", "&&end-routine"}, "TreeBox", endMisplaced},
        {"a tree right before the end of an empty loop", {"&&loop", "&&tree", "&&end-loop"}, "TreeBox",
         endMisplaced},
        {"a bad free-style item", {"&&routine", "&&freeStyle", "&&style", "left:on", "&&end-routine"},
         "FreeStyleBox", QStringLiteral("ﾌﾘｰｽﾀｲﾙの指定に間違いがあります。")},
        {"a bad colour of a box", {"&&routine", "&&block", "&&color", "no such colour", "&&end-routine"},
         "ColorModify", QStringLiteral("ｶﾗｰｺｰﾄﾞ指定が不良です。")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        CanvasesReset();
        InputOpen(folder_, row.lines);
        try {
            BoxListMake(kCanvas, -1);
            ADD_FAILURE() << "no error";
        } catch (const platform::vbrt::Error& e) {
            EXPECT_EQ(e.number(), platform::vbrt::ErrorNumber::Application);
            EXPECT_EQ(e.source(), QString::fromLatin1(row.source));
            EXPECT_EQ(e.description(), row.description);
        }
        PadFileClose();
    }
}

TEST_F(Parser, CaseForABodyIsRefused)
{
    // Routines, loops and trees meet a case before they ask for a body; a direct call still checks.
    InputOpen(folder_, {"&&case", "&&block"});
    const std::int16_t loop = BoxAdd(kCanvas, PadInfoMake(TagId::Loop, QStringLiteral("L")), -1, -1);
    try {
        SubListMake(kCanvas, loop, SubListMode::Body, false);
        ADD_FAILURE() << "no error";
    } catch (const platform::vbrt::Error& e) {
        EXPECT_EQ(e.source(), QStringLiteral("SubListMake"));
        EXPECT_EQ(e.description(), QStringLiteral("Branchﾀｸﾞ以外でCaseﾀｸﾞが使用されています。"));
    }
}

TEST_F(Parser, StrayEndAndCaseRecordsEndTheTopListAndWaitForTheLoader)
{
    struct Row {
        const char* why;
        QStringList lines;
        std::string picture;
        std::int32_t next;
    };
    const Row rows[] = {
        {"a stray end-loop", {"&&note", "&&end-loop"}, "note()", TagId::EndLoop},
        {"a stray case", {"&&note", "&&block", "&&case"}, "note() block()", TagId::Case},
        {"an end record first", {"&&end-branch"}, "", TagId::EndBranch},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        CanvasesReset();
        Canvas().header.firstBox = 7;
        const std::int16_t first = Parse(row.lines);
        EXPECT_EQ(CanvasPicture(), row.picture);
        EXPECT_EQ(Canvas().header.firstBox, first);
        EXPECT_EQ(GetPadInfo().tagId, row.next);
        PadFileClose();
    }
}

TEST_F(Parser, FreeStandingListEndsQuietly)
{
    struct Row {
        const char* why;
        QStringList lines;
        std::string picture;
        std::int32_t next; // the record read after the list
    };
    const Row rows[] = {
        {"at the end of the input", {"&&block", "&&text", "A", "&&loop", "&&block", "&&end-loop"},
         "block(A) loop()[block()]", 0},
        {"at a document record, which is not put back", {"&&block", "&&end-document", "&&output"}, "block()",
         TagId::Output},
        {"at a case, which is put back", {"&&block", "&&case"}, "block()", TagId::Case},
        {"an empty input", {"# nothing"}, "", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        CanvasesReset();
        Canvas().header.firstBox = 7;
        const std::int16_t first = Parse(row.lines, 0);
        EXPECT_EQ(Picture(first).toStdString(), row.picture);
        EXPECT_EQ(Canvas().header.firstBox, 7) << "a free-standing list leaves the canvas's first box";
        for (std::int16_t n = first; n >= 1; n = Box(n).after)
            EXPECT_EQ(Box(n).upper, 0);
        EXPECT_EQ(GetPadInfo().tagId, row.next);
        PadFileClose();
    }
}

// Loops nested in one another around a block.
QStringList DeepLoops(int loops)
{
    QStringList lines;
    for (int i = 0; i < loops; ++i)
        lines << QStringLiteral("&&loop");
    lines << QStringLiteral("&&block");
    for (int i = 0; i < loops; ++i)
        lines << QStringLiteral("&&end-loop");
    return lines;
}

// A routine whose body holds the lists one after the other.
QStringList DeepDocument(const QStringList& body)
{
    return QStringList{QStringLiteral("&&routine"), QStringLiteral("&&text"), QStringLiteral("R")} + body +
           QStringList{QStringLiteral("&&end-routine")};
}

TEST_F(Parser, NestingDeeperThanTheBoundIsRefused)
{
    InputOpen(folder_, DeepDocument(DeepLoops(100000)));
    try {
        BoxListMake(kCanvas, -1);
        ADD_FAILURE() << "no error";
    } catch (const platform::vbrt::Error& e) {
        EXPECT_EQ(e.number(), platform::vbrt::ErrorNumber::Application);
        EXPECT_EQ(e.source(), QStringLiteral("SubListMake"));
        EXPECT_EQ(e.description(), QStringLiteral("入れ子の深さが上限の1000段を超えています。"));
    }
    EXPECT_LE(Canvas().BoxList.size(), static_cast<std::size_t>(MaxNestingLevel) + 2) << "stopped at the bound";
}

TEST_F(Parser, NestingUpToTheBoundParses)
{
    // The routine's body is level 1, so MaxNestingLevel - 1 loops reach the bound exactly.
    InputOpen(folder_, DeepDocument(DeepLoops(MaxNestingLevel - 1)));
    ASSERT_NO_THROW(BoxListMake(kCanvas, -1));
    EXPECT_TRUE(TreeSound());
    std::int16_t box = Canvas().header.firstBox;
    int levels = 0;
    while (Box(box).subIndex >= 1) {
        box = Sub(Box(box).subIndex).boxIndex;
        ++levels;
    }
    EXPECT_EQ(levels, MaxNestingLevel);
    EXPECT_EQ(Mnemonic(Box(box).tagType), QStringLiteral("block"));

    // The bound counts the levels open at once, not every level ever opened.
    PadFileClose();
    CanvasesReset();
    InputOpen(folder_, DeepDocument(DeepLoops(MaxNestingLevel - 1) + DeepLoops(MaxNestingLevel - 1)));
    EXPECT_NO_THROW(BoxListMake(kCanvas, -1));
    EXPECT_TRUE(TreeSound());
}

class Samples : public Parser {};

TEST_F(Samples, DocumentsBuildTheirCharts)
{
    struct Row {
        const char* name;
        std::vector<std::string> pictures; // one per canvas
    };
    const Row rows[] = {
        {"module-structure.txt",
         {"tree(受注システム)[tree(受付)[tree(入力チェック)[] tree(得意先照会)[]] "
          "tree(集計)[note(夜間に一括で動く)] tree(帳票出力)[]]",
          "note(この図は受注システムの|モジュール構成を示す)"}},
        {"order-summary.txt",
         {"routine(受注データ集計)[declare(件数 = 0|合計 = 0) input(受注ファイルを開く) "
          "loop(受注ファイルの終わりまで)[input(1件読む) branch(区分)[通常:block(合計に金額を加える|件数に1を加える)]"
          "[返品:block(合計から金額を引く)][その他:]] block(平均 = 合計 / 件数) output(集計表を印刷する) "
          "external(後始末) note(金額の単位は円)]",
          "routine(再試行つき送信)[label(再試行) loop(3回まで)[block(送信する) branch(結果)[成功:break()]"
          "[一時的な失敗:continue()][致命的な失敗:jump(異常終了)]] chink() freeStyle(ログに記録) label(異常終了)]"}},
        {"text-escapes.txt",
         {"block(&&で始まる行| 字下げした行|#1 番号で始まる行|&amp;はそのまま|途中の & と # はそのまま) "
          "routine(下位の定義)[declare(作業領域)]",
          "routine(深い入れ子)[loop(i = 1 から 10)[loop(j = 1 から 10)[branch(i = j)[はい:loop(k < 3)"
          "[block(k = k + 1)]][いいえ:continue()]]]]"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DocumentLoad(QStringLiteral(VELLUMORA_SOURCE_DIR "/samples/") + QString::fromLatin1(row.name));
        ASSERT_EQ(B.size(), row.pictures.size() + 1);
        for (std::size_t c = 1; c < B.size(); ++c) {
            SCOPED_TRACE(c);
            EXPECT_EQ(CanvasPicture(static_cast<std::int16_t>(c)), row.pictures[c - 1]);
            EXPECT_TRUE(TreeSound(static_cast<std::int16_t>(c)));
        }
    }
}

TEST_F(Samples, SectionsOfTheSamplesReachTheRecords)
{
    DocumentLoad(QStringLiteral(VELLUMORA_SOURCE_DIR "/samples/module-structure.txt"));
    EXPECT_EQ(Canvas(1).header.name, QStringLiteral("構成図"));
    EXPECT_EQ(Canvas(1).header.kindFlags, TagAttribute::Obstinate2);
    EXPECT_EQ(Canvas(2).header.name, QStringLiteral("メモ"));
    // The chart is framed in a routine without text: its first box is the top tree.
    const BoxRecord& top = Box(Canvas(1).header.firstBox, 1);
    EXPECT_EQ(top.tagType, TagId::Tree);
    EXPECT_EQ(top.upper, -1);

    DocumentLoad(QStringLiteral(VELLUMORA_SOURCE_DIR "/samples/order-summary.txt"));
    EXPECT_EQ(Canvas(1).header.name, QStringLiteral("メイン処理"));
    EXPECT_EQ(Canvas(1).header.kindFlags, TagAttribute::Obstinate1);
    EXPECT_EQ(Canvas(2).header.name, QStringLiteral("エラー処理"));
    // The second routine's loop tests after its body and breaks to the right of it.
    const BoxRecord& routine = Box(Canvas(2).header.firstBox, 2);
    EXPECT_EQ(routine.colorCode, ColorModify(QStringLiteral("r0,g100,b160")));
    EXPECT_EQ(routine.fontCode, FontModifyChech(QStringLiteral("fontname:ＭＳ 明朝\r\nfontitalic:on")));
    const std::int16_t loop = Box(Sub(routine.subIndex, 2).boxIndex, 2).after;
    EXPECT_EQ(Box(loop, 2).tagType, TagId::Loop);
    EXPECT_EQ(Box(loop, 2).flags, BoxFlag::Shown);
    EXPECT_EQ(Sub(Box(loop, 2).subIndex, 2).flags & SubFlag::RightPage, SubFlag::RightPage);
}

} // namespace
