// The list preparation pass: removals and the relinking around them, page-break and layout marks,
// generated labels of break and continue boxes, the placeholder of an empty canvas, nested
// routines, the print copy, repeated runs and very deep charts.

#include "app/diagram/ListPreparation.h"

#include "parser_support.h"

#include "platform/msgbox/MsgBox.h"

#include <vector>

using namespace vellumora;
using namespace parser_test;

namespace {

class Preparation : public ::testing::Test {
protected:
    void SetUp() override
    {
        CanvasesReset();
        ApplicationGlobals.ReplaceJump = false;
        platform::msgbox::ShownBoxes().clear();
    }
    void TearDown() override
    {
        PadFileClose();
        ApplicationGlobals.ReplaceJump = false;
        B.clear();
    }

    void Parse(const QStringList& lines)
    {
        InputOpen(folder_, lines);
        BoxListMake(kCanvas, -1);
        PadFileClose();
    }

    QTemporaryDir folder_;
};

TEST_F(Preparation, RemovalsRelinkTheChains)
{
    struct Row {
        const char* why;
        QStringList lines;
        std::string picture;
    };
    const Row rows[] = {
        {"a chink between two boxes stays",
         {"&&routine", "&&block", "&&text", "A", "&&chink", "&&block", "&&text", "B", "&&end-routine"},
         "block(A) chink() block(B)"},
        {"chinks at both ends of a chain go",
         {"&&routine", "&&chink", "&&block", "&&text", "A", "&&chink", "&&end-routine"}, "block(A)"},
        {"a run of chinks at the end goes whole",
         {"&&routine", "&&block", "&&text", "A", "&&chink", "&&chink", "&&chink", "&&end-routine"}, "block(A)"},
        {"a chink at the end of a loop body goes",
         {"&&routine", "&&text", "R", "&&loop", "&&text", "L", "&&block", "&&text", "A", "&&chink", "&&end-loop",
          "&&end-routine"},
         "routine(R)[loop(L)[block(A)]]"},
        {"an egg in a chain goes",
         {"&&routine", "&&block", "&&text", "A", "&&egg", "&&block", "&&text", "B", "&&end-routine"},
         "block(A) block(B)"},
        {"a routine below another box is replaced by its body",
         {"&&routine", "&&text", "R", "&&block", "&&text", "A", "&&routine", "&&text", "S", "&&block", "&&text",
          "B", "&&output", "&&text", "C", "&&end-routine", "&&end-routine"},
         "routine(R)[block(A) block(B) output(C)]"},
        {"a nested routine with an empty body just goes",
         {"&&routine", "&&text", "R", "&&block", "&&text", "A", "&&routine", "&&text", "S", "&&end-routine",
          "&&end-routine"},
         "routine(R)[block(A)]"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        CanvasesReset();
        Parse(row.lines);
        BoxListPrepare(kCanvas, -1, false);
        EXPECT_EQ(CanvasPicture(), row.picture);
        EXPECT_TRUE(TreeSound());
    }
}

TEST_F(Preparation, RoutineFirstInALoopBodyHandsTheBodyToItsOwnBody)
{
    // Documents cannot hold this (a routine right after a loop is refused); edits can make it.
    for (const bool withBody : {true, false}) {
        SCOPED_TRACE(withBody ? "with a body" : "with an empty body");
        CanvasesReset();
        Parse({"&&routine", "&&text", "R", "&&loop", "&&text", "L", "&&block", "&&text", "X", "&&end-loop",
               "&&end-routine"});
        const std::int16_t loopBody = Box(Find(QStringLiteral("L"))).subIndex;
        const std::int16_t x = Sub(loopBody).boxIndex;
        const std::int16_t routine = BoxAdd(kCanvas, PadInfoMake(TagId::Routine, QStringLiteral("S")), -1, loopBody);
        const std::int16_t routineBody = SubLineAdd(kCanvas, -1, routine, 1);
        Box(routine).subIndex = routineBody;
        Box(routine).subCount = 1;
        if (withBody) {
            const std::int16_t b = BoxAdd(kCanvas, PadInfoMake(TagId::Block, QStringLiteral("B")), -1, routineBody);
            Sub(routineBody).boxIndex = b;
        }
        Sub(loopBody).boxIndex = routine;
        Box(routine).after = x;
        Box(x).before = routine;

        BoxListPrepare(kCanvas, -1, false);
        EXPECT_EQ(CanvasPicture(), withBody ? "routine(R)[loop(L)[block(B) block(X)]]" : "routine(R)[loop(L)[block(X)]]");
        EXPECT_TRUE(TreeSound());
    }
}

TEST_F(Preparation, NestedRoutineIsReportedOnce)
{
    // One end record closes all three routines.
    Parse({"&&routine", "&&text", "R", "&&block", "&&routine", "&&text", "S", "&&block", "&&routine", "&&text",
           "T", "&&end-routine"});
    ASSERT_EQ(CanvasPicture(), "routine(R)[block() routine(S)[block() routine(T)[]]]");
    BoxListPrepare(kCanvas, -1, false);
    EXPECT_EQ(CanvasPicture(), "routine(R)[block() block()]");
    const auto& shown = platform::msgbox::ShownBoxes();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].prompt, QStringLiteral("定義Boxが先頭でない場所に出現しましたので、削除されました。"));

    BoxListPrepare(kCanvas, -1, false);
    EXPECT_EQ(shown.size(), 1u) << "nothing more to remove";
}

TEST_F(Preparation, ChinkLeftAtAnEndByALaterRemovalGoesToo)
{
    // The box after the chink, in a higher slot, is removed only after the chink was looked at.
    Parse({"&&routine", "&&block", "&&text", "A", "&&chink", "&&block", "&&text", "B", "&&end-routine"});
    const std::int16_t cut = Box(Canvas().header.firstBox).after;
    const std::int16_t b = Box(cut).after;
    Box(b).flags |= BoxFlag::Temporary;
    BoxListPrepare(kCanvas, -1, false);
    EXPECT_EQ(CanvasPicture(), "block(A)");
    EXPECT_TRUE(TreeSound());
}

TEST_F(Preparation, FirstBoxOfAChainCarriesNoPageBreak)
{
    // The removed predecessor sits once below and once above the box in the list.
    for (const bool predecessorFirst : {true, false}) {
        SCOPED_TRACE(predecessorFirst ? "predecessor in a lower slot" : "predecessor in a higher slot");
        CanvasesReset();
        PadInfoRecord paged = PadInfoMake(TagId::Block, QStringLiteral("B"));
        paged.lowerPage = true;
        const PadInfoRecord temporary = PadInfoMake(TagId::Label, QStringLiteral("T"));
        std::int16_t first;
        std::int16_t second;
        if (predecessorFirst) {
            first = BoxAdd(kCanvas, temporary, -1, -1);
            second = BoxAdd(kCanvas, paged, first, -1);
        } else {
            second = BoxAdd(kCanvas, paged, -1, -1);
            first = BoxAdd(kCanvas, temporary, -1, -1);
            Box(second).before = first;
        }
        Box(first).after = second;
        Box(first).flags |= BoxFlag::Temporary;
        Canvas().header.firstBox = first;

        BoxListPrepare(kCanvas, -1, false);
        EXPECT_EQ(Canvas().header.firstBox, second);
        EXPECT_EQ(Box(second).flags, BoxFlag::Shown);
    }

    // A box that keeps its predecessor keeps its page break.
    CanvasesReset();
    Parse({"&&routine", "&&block", "&&block", "&&lowerPage", "&&text", "B", "&&end-routine"});
    BoxListPrepare(kCanvas, -1, false);
    EXPECT_EQ(Box(Find(QStringLiteral("B"))).flags, BoxFlag::Shown | BoxFlag::LowerPage);
}

TEST_F(Preparation, MarksOfTheLastLayoutAreCleared)
{
    Parse({"&&routine", "&&text", "R", "&&branch", "&&case", "&&rightPage", "&&block", "&&text", "A", "&&case",
           "&&rightPage", "&&end-branch", "&&end-routine"});
    for (BoxRecord& b : Canvas().BoxList)
        if (b.garbage < 0)
            b.flags |= 0x4000 | 0x400 | 0x200 | 0x100 | 0x2 | 0x1 | 0x1000;
    for (SubRecord& s : Canvas().SubList) {
        s.flags |= 0x8 | 0x10 | 0x20 | 0x80;
        s.base.push_back(SubBase{});
        s.last = 5;
    }
    BoxListPrepare(kCanvas, -1, false);

    for (std::size_t n = 1; n < Canvas().BoxList.size(); ++n)
        EXPECT_EQ(Canvas().BoxList[n].flags, BoxFlag::Shown | 0x1000) << "box " << n << ": page-layout marks stay";
    const std::int16_t branch = Sub(Box(Canvas().header.firstBox).subIndex).boxIndex;
    const std::int16_t full = Box(branch).subIndex;
    const std::int16_t empty = Sub(full).after;
    EXPECT_EQ(Sub(full).flags, SubFlag::CaseTextShown | SubFlag::RightPage | 0x80);
    EXPECT_EQ(Sub(empty).flags, SubFlag::CaseTextShown | 0x80) << "a case line without boxes loses its page break";
    EXPECT_TRUE(Sub(full).base.empty());
    EXPECT_EQ(Sub(full).last, Find(QStringLiteral("A")));
    EXPECT_EQ(Sub(empty).last, -1);
    EXPECT_EQ(Sub(0).last, Canvas().header.firstBox) << "slot 0 names the top chain's last box";
}

TEST_F(Preparation, LastBoxOfEveryChain)
{
    Parse({"&&routine", "&&text", "R", "&&block", "&&text", "A", "&&loop", "&&text", "L", "&&block", "&&text", "B",
           "&&output", "&&text", "C", "&&end-loop", "&&end-routine"});
    const std::int16_t routine = Canvas().header.firstBox;
    EXPECT_EQ(BoxListPrepare(kCanvas, -1, false), routine);
    EXPECT_EQ(Sub(Box(routine).subIndex).last, Find(QStringLiteral("L")));
    EXPECT_EQ(Sub(Box(Find(QStringLiteral("L"))).subIndex).last, Find(QStringLiteral("C")));

    // A walk from inside a chain returns that chain's last box.
    EXPECT_EQ(BoxListPrepare(kCanvas, Find(QStringLiteral("B")), false), Find(QStringLiteral("C")));
}

TEST_F(Preparation, EmptyCanvasGetsAnEggInTheSlotItsLastEggLeft)
{
    EXPECT_EQ(BoxListPrepare(kCanvas, -1, false), -1);
    ASSERT_EQ(CanvasPicture(), "egg()");
    const std::int16_t egg = Canvas().header.firstBox;
    EXPECT_EQ(Box(egg).upper, -1);

    EXPECT_EQ(BoxListPrepare(kCanvas, -1, false), -1) << "the walk finds no box";
    EXPECT_EQ(CanvasPicture(), "egg()");
    EXPECT_EQ(Canvas().header.firstBox, egg) << "made again in the slot just freed";
    EXPECT_EQ(Canvas().BoxList.size(), static_cast<std::size_t>(egg) + 1);
}

// A loop whose body holds a break inside a branch, and a continue as its last box.
const QStringList kJumps{"&&routine", "&&text", "R", "&&loop", "&&text", "L", "&&branch", "&&text", "X",
                         "&&case", "&&break", "&&color", "赤", "&&font", "fontbold:on", "&&text", "ignored",
                         "&&case", "&&block", "&&text", "A", "&&end-branch", "&&continue", "&&color", "青",
                         "&&end-loop", "&&block", "&&text", "after", "&&end-routine"};

TEST_F(Preparation, BreakAndContinueBecomeJumpsToGeneratedLabels)
{
    ApplicationGlobals.ReplaceJump = true;
    Parse(kJumps);
    const std::int16_t loop = Find(QStringLiteral("L"));
    const QString breakLabel = QStringLiteral("Label%1:-break").arg(loop);
    const QString continueLabel = QStringLiteral("Label%1:-continue").arg(loop);
    BoxListPrepare(kCanvas, -1, false);

    const std::string expected = QStringLiteral("routine(R)[loop(L)[branch(X)[break(%1)][block(A)] continue(%2) label(%2)] "
                                                "label(%1) block(after)]")
                                     .arg(breakLabel, continueLabel)
                                     .toStdString();
    EXPECT_EQ(CanvasPicture(), expected);
    EXPECT_TRUE(TreeSound());

    EXPECT_EQ(Box(loop).flags, BoxFlag::Shown | BoxFlag::BreakTarget | BoxFlag::ContinueTarget);
    const std::int16_t brk = Find(breakLabel);
    EXPECT_EQ(Box(brk).tagType, TagId::Break);
    EXPECT_EQ(Box(brk).flags, 0x108);

    const std::int16_t afterLabel = Box(loop).after;
    EXPECT_EQ(Box(afterLabel).flags, 0x88);
    EXPECT_EQ(Box(afterLabel).upper, Box(loop).upper);
    // A generated label looks like the boxes that jump to it.
    EXPECT_EQ(Box(afterLabel).colorCode, ColorModify(QStringLiteral("赤")));
    EXPECT_EQ(Box(afterLabel).fontCode, FontModifyChech(QStringLiteral("fontbold:on")));
    const std::int16_t cont = Box(Sub(Box(loop).subIndex).boxIndex).after;
    const std::int16_t bodyLabel = Box(cont).after;
    EXPECT_EQ(Box(bodyLabel).text.text, continueLabel);
    EXPECT_EQ(Box(bodyLabel).colorCode, ColorModify(QStringLiteral("青")));
    EXPECT_EQ(Sub(Box(loop).subIndex).last, cont) << "new boxes of the body go before the label";
}

TEST_F(Preparation, WithoutReplacementBreakAndContinueShowNoText)
{
    Parse(kJumps);
    BoxListPrepare(kCanvas, -1, false);
    EXPECT_EQ(CanvasPicture(), "routine(R)[loop(L)[branch(X)[break()][block(A)] continue()] block(after)]");
    EXPECT_EQ(Box(Find(QStringLiteral("L"))).flags, BoxFlag::Shown);
}

TEST_F(Preparation, BreakOutsideAnyLoopKeepsAnEmptyText)
{
    ApplicationGlobals.ReplaceJump = true;
    Parse({"&&routine", "&&text", "R", "&&break", "&&branch", "&&case", "&&continue", "&&text", "x",
           "&&end-branch", "&&end-routine"});
    BoxListPrepare(kCanvas, -1, false);
    EXPECT_EQ(CanvasPicture(), "routine(R)[break() branch()[continue()]]");

    // Top-level boxes of a canvas without any sub line.
    CanvasesReset();
    Parse({"&&note", "&&break", "&&end-routine"});
    BoxListPrepare(kCanvas, -1, false);
    EXPECT_EQ(CanvasPicture(), "note() break()");
}

TEST_F(Preparation, RunningTwiceGivesTheSameDiagram)
{
    ApplicationGlobals.ReplaceJump = true;
    DocumentLoad(QStringLiteral(VELLUMORA_SOURCE_DIR "/samples/order-summary.txt"));
    for (std::int16_t c = 1; c < static_cast<std::int16_t>(B.size()); ++c) {
        SCOPED_TRACE(c);
        BoxListPrepare(c, -1, false);
        const std::string once = CanvasPicture(c);
        const std::size_t slotCount = Canvas(c).BoxList.size();
        BoxListPrepare(c, -1, false);
        EXPECT_EQ(CanvasPicture(c), once);
        EXPECT_EQ(Canvas(c).BoxList.size(), slotCount) << "labels reuse the slots they left";
        EXPECT_TRUE(TreeSound(c));
    }
    EXPECT_NE(CanvasPicture(2).find("-break"), std::string::npos) << CanvasPicture(2);
    EXPECT_NE(CanvasPicture(2).find("-continue"), std::string::npos) << CanvasPicture(2);
}

TEST_F(Preparation, PrintCopyDropsHiddenBoxes)
{
    Parse({"&&routine", "&&text", "R", "&&note", "&&text", "N", "&&loop", "&&text", "L", "&&note", "&&text", "M",
           "&&end-loop", "&&end-routine"});
    for (const char* text : {"N", "M"})
        Box(Find(QString::fromLatin1(text))).flags &= ~BoxFlag::Shown;

    BoxListPrepare(kCanvas, -1, false);
    EXPECT_EQ(CanvasPicture(), "routine(R)[note(N) loop(L)[note(M)]]") << "on the canvas itself they stay";

    BoxListPrepare(kCanvas, -1, true);
    EXPECT_EQ(CanvasPicture(), "routine(R)[loop(L)[]]");
    EXPECT_TRUE(TreeSound());
}

TEST_F(Preparation, ChartsOfAnyDepthAreWalkedWithoutDeepRecursion)
{
    // Built straight into the lists, deeper than any document may be.
    constexpr int kLevels = 30000;
    ApplicationGlobals.ReplaceJump = true;
    std::int16_t owner = -1;
    std::int16_t innermost = -1;
    for (int level = 0; level < kLevels; ++level) {
        const std::int16_t loop = BoxAdd(kCanvas, PadInfoMake(TagId::Loop, QStringLiteral("L")), -1, owner);
        if (owner < 0)
            Canvas().header.firstBox = loop;
        else
            Sub(owner).boxIndex = loop;
        const std::int16_t sub = SubLineAdd(kCanvas, -1, loop, 1);
        Box(loop).subIndex = sub;
        Box(loop).subCount = 1;
        owner = sub;
        innermost = loop;
    }
    const std::int16_t brk = BoxAdd(kCanvas, PadInfoMake(TagId::Break, QString()), -1, owner);
    Sub(owner).boxIndex = brk;

    EXPECT_EQ(BoxListPrepare(kCanvas, -1, false), Canvas().header.firstBox);
    EXPECT_EQ(Box(brk).text.text, QStringLiteral("Label%1:-break").arg(innermost));
    EXPECT_EQ(Sub(owner).last, brk);
    EXPECT_EQ(Box(Box(innermost).after).tagType, TagId::Label);
}

TEST(BreakLabelText, NamesTheLoopAndTheKind)
{
    struct Row {
        const char* why;
        std::int16_t kind;
        std::int16_t box;
        const char* text;
    };
    const Row rows[] = {
        {"break", 1, 12, "Label12:-break"},
        {"continue", 2, 7, "Label7:-continue"},
        {"no other kind", 3, 12, ""},
        {"nor kind 0", 0, 12, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(BreakLabelText(row.kind, row.box), QString::fromLatin1(row.text));
    }
}

} // namespace
