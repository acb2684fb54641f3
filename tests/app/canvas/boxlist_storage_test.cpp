#include "app/diagram/BoxList.h"

#include "app/canvas/CanvasForm.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "support/RaisedError.h"

#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace vellumora;
namespace ErrorNumber = platform::vbrt::ErrorNumber;

namespace {

constexpr std::int16_t kCanvas = 1;

PadInfoRecord Record(std::int32_t tagId, const QString& text)
{
    PadInfoRecord record;
    record.tagId = tagId;
    record.text = text;
    return record;
}

std::int16_t AddBlock(const QString& text, std::int16_t before = -1, std::int16_t upper = -1)
{
    return BoxAdd(kCanvas, Record(TagId::Block, text), before, upper);
}

// The free chain of a list reaches only free slots, each once, and every other slot
// above 0 is in use.
template <class Record>
::testing::AssertionResult ListSound(const std::vector<Record>& list, std::int16_t freeHead)
{
    std::set<std::int16_t> onChain;
    for (std::int16_t n = freeHead; n >= 1; n = list[n].garbage) {
        if (static_cast<std::size_t>(n) >= list.size())
            return ::testing::AssertionFailure() << "chain leaves the list at " << n;
        if (!onChain.insert(n).second)
            return ::testing::AssertionFailure() << "slot " << n << " is twice on the free chain";
        if (list[n].garbage < 0)
            return ::testing::AssertionFailure() << "slot " << n << " is on the chain but marked in use";
    }
    for (std::size_t n = 1; n < list.size(); ++n) {
        const bool free = list[n].garbage >= 0;
        if (free != (onChain.count(static_cast<std::int16_t>(n)) == 1))
            return ::testing::AssertionFailure() << "slot " << n << (free ? " is free but off the chain" : " is in use but on the chain");
    }
    return ::testing::AssertionSuccess();
}

class BoxListStorage : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The colour and font lists hold their fixed entry 0, "標準", as after start-up.
        ApplicationGlobals.ColorTable.assign(1, ColorTableRecord{QString(), QStringLiteral("標準"), 0, 0, 0, -1});
        ApplicationGlobals.FontNameList = QStringList{QStringLiteral("標準")};
        ApplicationGlobals.FontSizeList = QStringList{QStringLiteral("標準")};
        B.assign(2, CanvasRecord{});
        BoxListClear(kCanvas);
    }
    void TearDown() override { B.clear(); }

    CanvasRecord& canvas() { return B[kCanvas]; }
    BoxRecord& box(std::int16_t n) { return canvas().BoxList[n]; }
    SubRecord& sub(std::int16_t n) { return canvas().SubList[n]; }
};

TEST_F(BoxListStorage, FirstBoxOnAClearedCanvasTakesSlotOneBehindADefaultSpare)
{
    ASSERT_EQ(canvas().BoxList.size(), 1u);
    EXPECT_EQ(canvas().BoxList[0].garbage, 0) << "a cleared list holds one all-zero slot";
    EXPECT_EQ(canvas().BoxList[0].flags, 0);

    PadInfoRecord record = Record(TagId::Loop, QStringLiteral("i < 10\r\n"));
    record.flags = 0x40A1;
    record.lowerPage = true;
    const std::int16_t n = BoxAdd(kCanvas, record, 4, 2);

    EXPECT_EQ(n, 1);
    ASSERT_EQ(canvas().BoxList.size(), 2u);
    EXPECT_EQ(box(0).flags, BoxRecord::Default.flags) << "slot 0 becomes the default box record";
    EXPECT_EQ(box(0).garbage, -1);
    EXPECT_EQ(box(n).tagType, TagId::Loop);
    EXPECT_EQ(box(n).tagAttr, 0x40A1);
    EXPECT_EQ(box(n).before, 4);
    EXPECT_EQ(box(n).upper, 2);
    EXPECT_EQ(box(n).after, -1);
    EXPECT_EQ(box(n).subIndex, -1);
    EXPECT_EQ(box(n).flags, 0x808) << "lowerPage adds the page-break bit to the shown bit";
    EXPECT_EQ(box(n).text.lineCount, 2);
    EXPECT_EQ(box(n).text.flags, 1);
}

TEST_F(BoxListStorage, FreedSlotsAreReusedLastFreedFirstAndLiveIndexesNeverMove)
{
    struct Row {
        const char* why;
        std::vector<std::int16_t> deletes;
        std::vector<std::int16_t> adds; // indexes the following adds return
    };
    const Row rows[] = {
        {"one freed slot is taken again", {5}, {5, 9}},
        {"the slot freed last comes first", {5, 7}, {7, 5, 9}},
        {"a second delete of the only free slot changes nothing", {3, 3}, {3, 9}},
        {"a second delete of the chain's last slot behind another changes nothing", {3, 4, 3}, {4, 3, 9}},
        {"a second delete of the chain's head changes nothing", {3, 4, 4}, {4, 3, 9}},
        {"the spare slot 0 is never freed", {0}, {9}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        BoxListClear(kCanvas);
        for (int i = 1; i <= 8; ++i)
            ASSERT_EQ(AddBlock(QStringLiteral("box %1").arg(i)), i);
        std::set<std::int16_t> freed(row.deletes.begin(), row.deletes.end());
        freed.erase(0);
        for (std::int16_t n : row.deletes)
            BoxDelete(kCanvas, n, true);
        EXPECT_TRUE(ListSound(canvas().BoxList, canvas().header.freeBox));

        for (std::int16_t expected : row.adds)
            EXPECT_EQ(AddBlock(QStringLiteral("new %1").arg(expected)), expected);
        EXPECT_TRUE(ListSound(canvas().BoxList, canvas().header.freeBox));
        for (std::int16_t n = 1; n <= 8; ++n) {
            if (!freed.count(n)) {
                EXPECT_EQ(box(n).text.text, QStringLiteral("box %1").arg(n)) << "live box " << n << " moved";
            }
        }
    }
}

TEST_F(BoxListStorage, DeletingABranchFreesItsCaseLinesAndWithBoxesEverythingBelow)
{
    // branch(1) owns case lines s1, s2; s1 holds boxes 2, 3; box 3 is a loop whose line s3 holds box 4;
    // s2 holds box 5. Box 6 follows the branch and must survive.
    auto build = [&] {
        BoxListClear(kCanvas);
        const std::int16_t branch = BoxAdd(kCanvas, Record(TagId::Branch, QStringLiteral("x")), -1, -1);
        const std::int16_t s1 = SubLineAdd(kCanvas, -1, branch, 1);
        const std::int16_t s2 = SubLineAdd(kCanvas, s1, branch, 2);
        box(branch).subIndex = s1;
        sub(s1).after = s2;
        const std::int16_t b2 = AddBlock(QStringLiteral("a"), -1, s1);
        const std::int16_t b3 = BoxAdd(kCanvas, Record(TagId::Loop, QStringLiteral("l")), b2, s1);
        sub(s1).boxIndex = b2;
        box(b2).after = b3;
        const std::int16_t s3 = SubLineAdd(kCanvas, -1, b3, 1);
        box(b3).subIndex = s3;
        const std::int16_t b4 = AddBlock(QStringLiteral("inner"), -1, s3);
        sub(s3).boxIndex = b4;
        const std::int16_t b5 = AddBlock(QStringLiteral("b"), -1, s2);
        sub(s2).boxIndex = b5;
        const std::int16_t b6 = AddBlock(QStringLiteral("after"), branch, -1);
        box(branch).after = b6;
        ASSERT_EQ(b6, 6);
        ASSERT_EQ(s3, 3);
    };

    struct Row {
        const char* why;
        bool withBoxes;
        std::vector<std::int16_t> freeBoxes;
        std::vector<std::int16_t> liveBoxes;
    };
    const Row rows[] = {
        {"with boxes: the whole tree under the branch goes", true, {1, 2, 3, 4, 5}, {6}},
        {"without boxes: the chains below stay for the caller to relink", false, {1}, {2, 3, 4, 5, 6}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        build();
        BoxDelete(kCanvas, 1, row.withBoxes);
        for (std::int16_t n : row.freeBoxes)
            EXPECT_GE(box(n).garbage, 0) << "box " << n << " should be free";
        for (std::int16_t n : row.liveBoxes)
            EXPECT_EQ(box(n).garbage, -1) << "box " << n << " should be in use";
        EXPECT_GE(sub(1).garbage, 0);
        EXPECT_GE(sub(2).garbage, 0);
        EXPECT_EQ(sub(3).garbage >= 0, row.withBoxes) << "the loop's line goes with its loop";
        EXPECT_TRUE(ListSound(canvas().BoxList, canvas().header.freeBox));
        EXPECT_TRUE(ListSound(canvas().SubList, canvas().header.freeSub));
    }
}

TEST_F(BoxListStorage, ABadColourOrFontIsRefusedBeforeASlotIsTaken)
{
    AddBlock(QStringLiteral("one"));
    AddBlock(QStringLiteral("two"));
    BoxDelete(kCanvas, 1, true);
    const std::vector<BoxRecord>::size_type size = canvas().BoxList.size();

    struct Row {
        const char* why;
        const char* color;
        const char* font;
    };
    const Row rows[] = {
        {"a colour that is neither a name nor r,g,b", "no such colour", ""},
        {"a font name the list lacks", "", "fontname:NoSuchFont"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        PadInfoRecord record = Record(TagId::Block, QStringLiteral("x"));
        record.color = QString::fromUtf8(row.color);
        record.font = QString::fromUtf8(row.font);
        EXPECT_RAISES(BoxAdd(kCanvas, record, -1, -1), ErrorNumber::Application);
        EXPECT_EQ(canvas().BoxList.size(), size) << "the list did not grow";
        EXPECT_EQ(canvas().header.freeBox, 1) << "the free slot is still free";
        EXPECT_TRUE(ListSound(canvas().BoxList, canvas().header.freeBox));
    }
}

TEST_F(BoxListStorage, A16BitListRaisesOverflowInsteadOfWrappingItsLinks)
{
    for (int i = 1; i <= 32767; ++i)
        ASSERT_EQ(AddBlock(QString()), i);
    EXPECT_RAISES(AddBlock(QString()), ErrorNumber::Overflow);
    EXPECT_EQ(canvas().BoxList.size(), 32768u);

    BoxDelete(kCanvas, 100, true);
    EXPECT_EQ(AddBlock(QString()), 100) << "a freed slot is still usable at the limit";
}

TEST_F(BoxListStorage, ReleaseEmptiesBothListsAndTheNextAddStartsAgainAtOne)
{
    AddBlock(QStringLiteral("a"));
    SubLineAdd(kCanvas, -1, 1, 1);
    PR.peakSet.assign(3, 7);
    PR.yAdjust.resize(2);

    CanvasRelease(kCanvas);
    EXPECT_TRUE(canvas().BoxList.empty());
    EXPECT_TRUE(canvas().SubList.empty());
    EXPECT_EQ(canvas().header.freeBox, -1);
    EXPECT_TRUE(PR.peakSet.empty());
    EXPECT_TRUE(PR.yAdjust.empty());

    EXPECT_EQ(AddBlock(QStringLiteral("b")), 1);
    EXPECT_EQ(SubLineAdd(kCanvas, -1, 1, 1), 1);
    EXPECT_EQ(canvas().SubList.size(), 2u);
}

TEST_F(BoxListStorage, ReleasingTheCanvasesFromASlotDropsThemAndGivesTheClosingFlagBack)
{
    struct Row {
        const char* why;
        bool closing;
    };
    const Row rows[] = {{"while the program runs", false}, {"while the program closes", true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        B.assign(4, CanvasRecord{});
        for (std::int16_t c = 0; c < 4; ++c)
            BoxListClear(c);
        ApplicationGlobals.ApplicationClosing = row.closing;

        CanvasesRelease(2);
        EXPECT_EQ(B.size(), 2u);
        EXPECT_EQ(ApplicationGlobals.ApplicationClosing, row.closing);
        EXPECT_FALSE(B[1].BoxList.empty()) << "the slots below stay as they were";

        CanvasesRelease(5);
        EXPECT_EQ(B.size(), 2u) << "no slot at or above first: nothing to release";
        EXPECT_EQ(ApplicationGlobals.ApplicationClosing, row.closing);
    }
    ApplicationGlobals.ApplicationClosing = false;
}

TEST_F(BoxListStorage, EachSlotHasItsWindowControlsExactlyWhileInUse)
{
    QPointer<CanvasForm> form = new CanvasForm;
    canvas().form = form;
    const std::int16_t b1 = AddBlock(QStringLiteral("a"));
    const std::int16_t b2 = AddBlock(QStringLiteral("b"));
    const std::int16_t s1 = SubLineAdd(kCanvas, -1, b1, 1);
    box(b1).subIndex = s1;

    EXPECT_TRUE(form->lblBox.IsLoaded(b2));
    EXPECT_TRUE(form->linLowerPage2.IsLoaded(b2));
    EXPECT_FALSE(form->lblBox[b2].Visible) << "loaded controls start hidden";
    EXPECT_TRUE(form->lblSubLine1.IsLoaded(s1));
    EXPECT_TRUE(form->linRightPage2.IsLoaded(s1));

    form->lblBox[b2].Visible = true;
    BoxDelete(kCanvas, b2, true);
    EXPECT_FALSE(form->lblBox.IsLoaded(b2));
    EXPECT_FALSE(form->linBoxUpper.IsLoaded(b2));
    BoxDelete(kCanvas, b2, true); // already free: nothing to unload, nothing raised
    EXPECT_EQ(AddBlock(QStringLiteral("c")), b2);
    EXPECT_FALSE(form->lblBox[b2].Visible) << "a reused slot gets fresh hidden controls";

    BoxDelete(kCanvas, b1, true);
    EXPECT_FALSE(form->lblSubLine2.IsLoaded(s1)) << "the box's sub line went with it";
    EXPECT_TRUE(form->lblBox.IsLoaded(0)) << "element 0 belongs to the window";

    CanvasRelease(kCanvas);
    EXPECT_TRUE(canvas().form.isNull()) << "a released canvas has no window";
    EXPECT_TRUE(canvas().BoxList.empty());
    delete form.data();
}

TEST_F(BoxListStorage, DeletingCarriesOffTheEditorWindowsOpenOnTheRecord)
{
    const std::int16_t b = AddBlock(QStringLiteral("a"));
    const std::int16_t s = SubLineAdd(kCanvas, -1, b, 1);
    box(b).subIndex = s;
    QPointer<QWidget> modify = new QWidget;
    QPointer<QWidget> lower = new QWidget;
    box(b).modifyEditor = modify.data();
    box(b).flags |= BoxFlag::ModifyEditorOpen;
    sub(s).lowerEditor = lower.data();
    sub(s).flags |= SubFlag::LowerEditorOpen;

    BoxDelete(kCanvas, b, true);
    EXPECT_TRUE(modify.isNull());
    EXPECT_TRUE(lower.isNull());
    EXPECT_TRUE(box(b).modifyEditor.isNull());
}

TEST_F(BoxListStorage, IndexesOutsideTheListsRaiseSubscriptOutOfRange)
{
    AddBlock(QStringLiteral("a"));
    EXPECT_RAISES(BoxDelete(kCanvas, 2, true), ErrorNumber::SubscriptOutOfRange);
    EXPECT_RAISES(SubLineDelete(kCanvas, 1, true), ErrorNumber::SubscriptOutOfRange);
    EXPECT_RAISES(BoxAdd(5, Record(TagId::Block, QString()), -1, -1), ErrorNumber::SubscriptOutOfRange);
}

TEST(BoxListText, LineCountCountsTheLinesBetweenLineBreaks)
{
    struct Row {
        const char* why;
        const char* text;
        std::int16_t lineCount;
    };
    const Row rows[] = {
        {"empty text has no lines", "", 0},
        {"one line", "abc", 1},
        {"two words on two lines", "a\r\nb", 2},
        {"a trailing break adds an empty line", "a\r\n", 2},
        {"a lone line feed stays inside the line", "a\nb", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const InternalCode code = TextInfoMake(QString::fromLatin1(row.text));
        EXPECT_EQ(code.lineCount, row.lineCount);
        EXPECT_EQ(code.flags, 1);
        EXPECT_EQ(code.text, QString::fromLatin1(row.text));
    }
}

} // namespace
