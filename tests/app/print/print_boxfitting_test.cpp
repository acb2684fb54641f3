// Wrapping, narrowing, dividing and restoring boxes of the print work copy with the fake
// measurer: at 10 points an ASCII character is 100 twips wide, a full-width one 200, a line 250
// high; four spaces of indent take 400.

#include "print_layout_support.h"

using namespace print_test;

namespace {

class BoxFitting : public PrintLayoutTest {
protected:
    // A chart of one processing box with the text, copied into the work slot; returns the box.
    std::int16_t OneBox(const QString& text)
    {
        JobStart(Routine({"&&block", "&&text", text}), 10206, 13428);
        WorkCopy();
        const std::int16_t box = WorkFind(text.left(2));
        BoxListXPosition(0, box, 1);
        return box;
    }
};

TEST_F(BoxFitting, LinesWiderThanTheWidthAreWrappedWithTabs)
{
    struct Row {
        const char* why;
        QString text;
        std::int32_t width;
        QString wrapped;
        std::int16_t lineCount;
    };
    const Row rows[] = {
        {"a line that fits stays", "ABCDE", 500, "ABCDE", 1},
        {"an empty text stays empty", "", 100, "", 0},
        {"one wrap, the rest indented by four spaces", "ABCDEFGHIJ", 650, "ABCDEF\tGH\tIJ", 3},
        {"only the lines that are too wide", "AB\r\nABCDEFGHIJ", 650, "AB\r\nABCDEF\tGH\tIJ", 4},
        {"a single long word is cut where the width ends", "ABCDEFGHIJKLMNOPQRST", 1000,
         "ABCDEFGHIJ\tKLMNO\tPQRST", 3},
        {"where the indent leaves no room each piece keeps one character", "あいうえお", 500,
         "あい\tう\tえ\tお", 4},
        {"a width below one character counts as one character", "ABC", 50, "A\tB\tC", 3},
    };
    FontSelect(0, 0);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        InternalCode text = TextInfoMake(row.text);
        TextWrapToWidth(text, row.width);
        EXPECT_EQ(text.text, row.wrapped);
        EXPECT_EQ(text.lineCount, row.lineCount);
        if (!row.text.isEmpty()) {
            EXPECT_EQ(text.size.yh, 250 * row.lineCount) << "each piece measures as a line of its own";
            TextLineCount(text);
            EXPECT_EQ(text.text, row.text) << "removing the tabs gives the text back";
        }
    }
}

TEST_F(BoxFitting, ABoxIsNarrowedDownToTwoThirdsOrTwentyCharacters)
{
    // 30 characters: 3000 wide, at most down to 2000; the block's frame takes 200.
    const std::int16_t wide = OneBox(QString(30, QLatin1Char('W')));
    EXPECT_FALSE(BoxShrinkWidth(wide, 2200, false)) << "want exactly the narrowest texts plus the frame";
    EXPECT_EQ(WorkBox(wide).text.text, QString(20, QLatin1Char('W')) + QLatin1Char('\t') + QString(10, QLatin1Char('W')));
    EXPECT_FALSE(BoxShrinkWidth(wide, -1, false)) << "re-measuring takes the wrap back";
    EXPECT_EQ(WorkBox(wide).text.text, QString(30, QLatin1Char('W')));
    EXPECT_TRUE(BoxShrinkWidth(wide, 2199, false)) << "one twip less has no room";
    EXPECT_FALSE(BoxShrinkWidth(wide, 2199, true)) << "unless forced";

    const std::int16_t narrow = OneBox(QString(15, QLatin1Char('N')));
    EXPECT_TRUE(BoxShrinkWidth(narrow, 1000, true)) << "a text below twenty characters has nothing to give";
    EXPECT_EQ(WorkBox(narrow).text.text, QString(15, QLatin1Char('N')));
}

TEST_F(BoxFitting, ATallBoxKeepsTheLinesThatFit)
{
    // A processing box is its text plus 250 of inner margins; 7 lines of text take 1750.
    struct Row {
        const char* why;
        QString text;
        std::int32_t fit;
        bool refused;
        QString kept;
        QString continued;  // empty: no continuation box
    };
    const QString empty5 = QStringLiteral("\r\n\r\n\r\n\r\n");
    const Row rows[] = {
        {"seven of twelve lines fit", Lines(1, 12), 2000, false, Lines(1, 7), Lines(8, 12)},
        {"one twip less keeps six", Lines(1, 12), 1999, false, Lines(1, 6), Lines(7, 12)},
        {"all lines fit: nothing is divided", Lines(1, 12), 5000, false, Lines(1, 12), {}},
        {"not even one line fits", Lines(1, 12), 300, true, Lines(1, 12), {}},
        {"empty lines at the cut are dropped from the continuation",
         Lines(1, 7) + QStringLiteral("\r\n\r\n") + Lines(9, 12), 2000, false, Lines(1, 7), Lines(9, 12)},
        {"only empty lines below the cut: they are dropped and nothing continues", Lines(1, 7) + empty5 + QStringLiteral("\r\n"),
         2000, false, Lines(1, 7), {}},
        {"leading empty lines: everything fits once they are dropped", empty5 + QStringLiteral("L5"), 1250, false,
         empty5 + QStringLiteral("L5"), {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const std::int16_t box = OneBox(QStringLiteral("X"));
        WorkBox(box).text = TextInfoMake(row.text);
        BoxListXPosition(0, box, 1);
        WorkBox(box).colorCode = 255;
        WorkBox(box).fontCode = 0;
        WorkBox(box).flags |= BoxFlag::LowerPage;
        const std::int16_t after = WorkBox(box).after;
        const std::size_t slotCount = B[0].BoxList.size();

        EXPECT_EQ(BoxTextDivide(box, row.fit), row.refused);
        EXPECT_EQ(WorkBox(box).text.text, row.kept);
        if (row.continued.isEmpty()) {
            EXPECT_FALSE(WorkBox(box).flags & BoxFlag::PageMark2) << "no mark without its continuation";
            EXPECT_EQ(WorkBox(box).after, after);
            EXPECT_EQ(B[0].BoxList.size(), slotCount);
            continue;
        }
        EXPECT_TRUE(WorkBox(box).flags & BoxFlag::PageMark2);
        const std::int16_t c = WorkBox(box).after;
        ASSERT_GE(c, 1);
        EXPECT_EQ(WorkBox(c).text.text, row.continued);
        EXPECT_EQ(WorkBox(c).tagType, TagId::Block);
        EXPECT_EQ(WorkBox(c).after, after);
        EXPECT_EQ(WorkBox(c).colorCode, 255);
        EXPECT_EQ(WorkBox(c).flags & ~BoxFlag::PageMark2, WorkBox(box).flags & ~BoxFlag::PageMark2)
            << "the continuation has the flags the box had before";
        EXPECT_FALSE(WorkBox(c).flags & BoxFlag::PageMark2);
    }
}

TEST_F(BoxFitting, RestoringGivesTheUndividedBoxBack)
{
    const std::int16_t box = OneBox(Lines(1, 12));
    const std::int16_t after = WorkBox(box).after;
    WorkBox(box).flags |= BoxFlag::PageMark1;
    ASSERT_FALSE(BoxTextDivide(box, 2000));
    const std::int16_t c = WorkBox(box).after;
    ASSERT_FALSE(BoxTextDivide(c, 750)) << "the continuation is divided again";
    const std::int16_t c2 = WorkBox(c).after;
    ASSERT_NE(c2, after);

    BoxDivideRestore(box, -1);
    EXPECT_EQ(WorkBox(box).text.text, Lines(1, 12));
    EXPECT_EQ(WorkBox(box).text2.text, QStringLiteral("\r\n\r\n")) << "one CR LF per joined box";
    EXPECT_EQ(WorkBox(box).after, after);
    EXPECT_FALSE(WorkBox(box).flags & (BoxFlag::PageMark1 | BoxFlag::PageMark2));
    EXPECT_GE(WorkBox(c).garbage, 0) << "the continuations are freed";
    EXPECT_GE(WorkBox(c2).garbage, 0);
}

TEST_F(BoxFitting, RestoringStopsAtABoxOfAnotherKind)
{
    JobStart(Routine({"&&block", "&&text", Lines(1, 12), "&&note", "&&text", "N"}), 10206, 13428);
    WorkCopy();
    const std::int16_t box = WorkFind(QStringLiteral("L1"));
    const std::int16_t note = WorkFind(QStringLiteral("N"));
    WorkBox(box).flags |= BoxFlag::PageMark2;  // a mark left without its continuation
    BoxDivideRestore(box, -1);
    EXPECT_EQ(WorkBox(box).text.text, Lines(1, 12));
    EXPECT_EQ(WorkBox(box).after, note);
    EXPECT_LT(WorkBox(note).garbage, 0) << "the following box of another kind stays";
}

} // namespace
