// A canvas window minimised and restored is arranged again without a new layout: its base lines,
// branch notches and flags stay as the redraw left them.
#include "canvas_windows.h"

#include "app/canvas/CanvasForm.h"
#include "app/canvas/PageSetting.h"
#include "app/diagram/TagTable.h"

#include <vector>

namespace paddraw_test {
namespace {

class CanvasPartsRestoreTest : public PadDrawTest {};

TEST_F(CanvasPartsRestoreTest, RestoringAMinimisedWindowPilesNothingUp)
{
    CanvasSizeLoad();
    open(QStringLiteral(VELLUMORA_SOURCE_DIR "/samples/order-summary.txt"));
    PadDrawRefresh(-1);
    bool branchCase = false;
    for (std::int16_t c = 1; c < static_cast<std::int16_t>(B.size()); ++c) {
        SCOPED_TRACE(c);
        CanvasRecord& canvas = Canvas(c);
        const std::vector<BoxRecord> boxes = canvas.BoxList;
        const std::vector<SubRecord> subs = canvas.SubList;
        CanvasForm& form = *CanvasWindowOf(canvas);
        for (int round = 0; round < 2; ++round) {
            form.SetWindowState(1);
            form.SetWindowState(0);
        }
        ASSERT_EQ(canvas.SubList.size(), subs.size());
        for (std::size_t n = 0; n < subs.size(); ++n) {
            SCOPED_TRACE(n);
            EXPECT_EQ(canvas.SubList[n].base, subs[n].base);
            EXPECT_EQ(canvas.SubList[n].draw, subs[n].draw);
            EXPECT_EQ(canvas.SubList[n].flags, subs[n].flags);
            const std::int16_t owner = subs[n].upper;
            branchCase = branchCase || (n > 0 && owner > 0 && boxes[owner].tagType == TagId::Branch &&
                                        (subs[n].flags & SubFlag::CaseTextShown));
        }
        for (std::size_t n = 1; n < boxes.size(); ++n)
            EXPECT_EQ(canvas.BoxList[n].flags, boxes[n].flags);
    }
    EXPECT_TRUE(branchCase) << "the sample has a branch case with its notch";
}

} // namespace
} // namespace paddraw_test
