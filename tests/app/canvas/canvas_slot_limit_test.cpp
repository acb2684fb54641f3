// A canvas at its last box slot (32,767): it opens, paints and takes clicks, and a document or a
// paste that would need one slot more is refused with the canvas and the limit named, leaving
// the canvas and its window as they were.
#include "edits_support.h"

#include "app/canvas/CanvasForm.h"
#include "support/RaisedError.h"

namespace edits_test {
namespace {

using testsupport::RaisedText;

constexpr int kTopSlot = 32767;

class SlotLimitTest : public EditsTest {
protected:
    // A document whose first canvas holds `blocks` blocks in slots 1 upwards (the routine that
    // frames a canvas takes no slot), and whose second canvas holds the chain a paste copies.
    void openFull(int blocks, int toCopy)
    {
        QStringList body = {QStringLiteral("&&routine"), QStringLiteral("&&name"), QStringLiteral("Full")};
        for (int i = 1; i <= blocks; ++i)
            body << QStringLiteral("&&block") << QStringLiteral("&&text") << QStringLiteral("b%1").arg(i);
        body << QStringLiteral("&&end-routine") << QStringLiteral("&&routine") << QStringLiteral("&&text")
             << QStringLiteral("Source");
        for (int i = 1; i <= toCopy; ++i)
            body << QStringLiteral("&&block") << QStringLiteral("&&text") << QStringLiteral("c%1").arg(i);
        body << QStringLiteral("&&end-routine");
        open(document(QStringLiteral("full.txt"), paddraw_test::DocumentLines(body)));
        PadDrawRefresh(-1);
    }

    static CanvasForm& Form(std::int16_t canvas) { return *CanvasWindowOf(Canvas(canvas)); }

    // Paints the window as it does when it comes to the front.
    static int Painted(std::int16_t canvas)
    {
        CanvasForm& form = Form(canvas);
        form.Form_Activate();
        form.PaintEventRelease(true);
        return paddraw_test::PaintedPixels(form);
    }

    // Copies the chain of the second canvas's routine and pastes it after the first canvas's
    // first block, as the canvas window's paste does.
    static void PasteChain()
    {
        ClipboardCopyOpen();
        ClipboardCopyPart(2, -1, SubOf(2, Canvas(2).header.firstBox, 1));
        ClipboardCopyClose();
        ClipboardPaste(1, BoxOf(1, QStringLiteral("b1")), -1, false, false);
    }
};

TEST_F(SlotLimitTest, ACanvasHoldingTheTopSlotOpensPaintsAndTakesClicks)
{
    openFull(kTopSlot, 0);
    ASSERT_EQ(Canvas(1).BoxList.size(), std::size_t(kTopSlot) + 1);
    CanvasForm& form = Form(1);
    ASSERT_EQ(form.lblBox.UBound(), kTopSlot);
    const CanvasLabel last = form.lblBox[kTopSlot];
    EXPECT_TRUE(last.Visible) << "the last box has its label";

    EXPECT_GT(Painted(1), 20);
    const CanvasHit hit = form.HitTest(last.Left + last.Width / 2, last.Top + last.Height / 2);
    EXPECT_EQ(hit, (CanvasHit{1, std::int16_t(kTopSlot)}));
}

TEST_F(SlotLimitTest, APastePastTheLastSlotLeavesTheCanvasAndItsWindowAsTheyWere)
{
    struct Row {
        const char* why;
        int copied;
        bool refused;
    };
    const int inUse = kTopSlot - 10;  // boxes of the first canvas
    const Row rows[] = {
        {"a chain that fills the last slot", 10, false},
        {"a chain one box too long", 11, true},
        {"a chain far too long", 200, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        openFull(inUse, row.copied);
        CanvasForm& form = Form(1);
        const QString chart = ChartText(1);
        const std::size_t boxSlots = Canvas(1).BoxList.size();
        const std::int16_t labels = form.lblBox.UBound();
        const std::int16_t freeBox = Canvas(1).header.freeBox;

        const QString refusal = RaisedText([] { PasteChain(); });
        if (row.refused) {
            EXPECT_EQ(refusal, QStringLiteral("ｷｬﾝﾊﾞｽ Full:1 のBOXの数が上限 (32767 個) を超えます。"));
            EXPECT_TRUE(ChartText(1) == chart) << "the chart is as it was";
            EXPECT_EQ(Canvas(1).BoxList.size(), boxSlots);
            EXPECT_EQ(form.lblBox.UBound(), labels) << "the window's control arrays are back at their length";
            EXPECT_EQ(form.lblLine.UBound(), labels);
            EXPECT_EQ(Canvas(1).header.freeBox, freeBox);
        } else {
            EXPECT_EQ(refusal, QString());
            EXPECT_EQ(form.lblBox.UBound(), kTopSlot);
        }
        EXPECT_EQ(LinkFault(1), QString());
        PadDrawRefresh(1);
        EXPECT_GT(Painted(1), 20) << "the canvas paints after the paste";
    }
}

TEST_F(SlotLimitTest, ADocumentPastTheLastSlotIsRefusedNamingTheCanvasAndTheLimit)
{
    struct Row {
        const char* why;
        QStringList head;
    };
    const Row rows[] = {
        {"a routine with a name only", {QStringLiteral("&&routine"), QStringLiteral("&&name"), QStringLiteral("Huge")}},
        {"a routine box with a text and a name",
         {QStringLiteral("&&routine"), QStringLiteral("&&name"), QStringLiteral("Huge"), QStringLiteral("&&text"),
          QStringLiteral("受注処理")}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        openFull(1, 0);
        const QString open = ApplicationGlobals.DocumentName;

        QStringList body = row.head;
        for (int i = 0; i <= kTopSlot; ++i)
            body << QStringLiteral("&&block") << QStringLiteral("&&text") << QStringLiteral("b");
        body << QStringLiteral("&&end-routine");
        const QString huge = document(QStringLiteral("huge.txt"), paddraw_test::DocumentLines(body));

        const QString refusal = RaisedText([&] { PadDrawGetData(huge); });
        EXPECT_TRUE(refusal.startsWith(QStringLiteral("ｷｬﾝﾊﾞｽ Huge:3 のBOXの数が上限 (32767 個) を超えます。")))
            << refusal.toStdString();
        EXPECT_TRUE(refusal.contains(QStringLiteral("huge.txt"))) << refusal.toStdString();
        EXPECT_EQ(B.size(), 3u) << "the open canvases stay, and no other";
        EXPECT_EQ(ApplicationGlobals.DocumentName, open);
    }
}

} // namespace
} // namespace edits_test
