// The canvas window's paint handler on a loaded canvas: it draws the chart by itself, counts
// itself busy only while drawing, and draws what the hold-off after a click swallowed.
#include "canvas_windows.h"

#include "app/canvas/CanvasForm.h"
#include "app/core/Utilities.h"
#include "platform/msgbox/MsgBox.h"

#include <QImage>
#include <QTest>
#include <QTimer>

namespace paddraw_test {
namespace {

class CanvasPaintTest : public PadDrawTest {
protected:
    void SetUp() override
    {
        PadDrawTest::SetUp();
        ApplicationGlobals.PaintSuspended = false;
        open(document(QStringLiteral("chart.txt"),
                      DocumentLines(RoutineLines(QStringLiteral("Routine"), QStringLiteral("a block of text")))));
        PadDrawRefresh(-1);
        form().Form_Activate();  // ends the hold-off a new window starts with
    }
    void TearDown() override
    {
        CanvasForm::SetCanvasPainter({});
        PadDrawTest::TearDown();
    }

    static CanvasForm& form() { return *CanvasWindowOf(Canvas(1)); }

    static int PaintedPixels() { return paddraw_test::PaintedPixels(form()); }
};

TEST_F(CanvasPaintTest, TheChartIsDrawnWithoutAPainterAndAnEmptyPainterRestoresIt)
{
    form().PaintEventRelease(true);
    const int chart = PaintedPixels();
    EXPECT_GT(chart, 20);

    int calls = 0;
    CanvasForm::SetCanvasPainter([&](std::int16_t canvas) {
        ++calls;
        EXPECT_EQ(canvas, 1);
    });
    form().PaintEventRelease(true);
    EXPECT_EQ(calls, 1);
    EXPECT_LT(PaintedPixels(), chart) << "the painter set takes the chart's place";

    CanvasForm::SetCanvasPainter({});
    form().PaintEventRelease(true);
    EXPECT_EQ(PaintedPixels(), chart);
}

TEST_F(CanvasPaintTest, TheCanvasCountsAsBusyOnlyWhileItDraws)
{
    std::vector<std::int16_t> seen;
    CanvasForm::SetCanvasPainter([&](std::int16_t canvas) { seen.push_back(Canvas(canvas).header.busyCount); });
    form().PaintEventRelease(true);
    EXPECT_EQ(seen, std::vector<std::int16_t>{1});
    EXPECT_EQ(Canvas(1).header.busyCount, 0);

    ApplicationGlobals.PaintSuspended = true;
    form().Refresh();
    ApplicationGlobals.PaintSuspended = false;
    EXPECT_EQ(seen.size(), 1u) << "a paint during a command is only noted";
    EXPECT_TRUE(form().PaintPending());
    EXPECT_EQ(Canvas(1).header.busyCount, 0);
}

TEST_F(CanvasPaintTest, APaintSwallowedByTheHoldOffIsDrawnWhenTheHoldOffEnds)
{
    int calls = 0;
    CanvasForm::SetCanvasPainter([&](std::int16_t) { ++calls; });
    form().RefreshTimerRestart();
    EXPECT_TRUE(form().timRefresh->isActive());
    form().PaintEventRelease(true);
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(form().PaintPending()) << "nothing is remembered during the hold-off";

    form().timRefresh_Timer();
    EXPECT_FALSE(form().timRefresh->isActive());
    PaintedPixels();  // the window system paints the exposed window
    EXPECT_EQ(calls, 1);
}

// A message box stops the hold-off early; the paint it had swallowed still comes.
TEST_F(CanvasPaintTest, AMessageBoxDuringTheHoldOffLosesNoPaint)
{
    int calls = 0;
    CanvasForm::SetCanvasPainter([&](std::int16_t) { ++calls; });
    form().RefreshTimerRestart();
    form().PaintEventRelease(true);
    QCoreApplication::processEvents(); // the window system's paint comes during the hold-off
    ASSERT_EQ(calls, 0) << "swallowed by the hold-off";

    platform::msgbox::QueueAnswer(platform::msgbox::Answer::OK);
    InformationMessageBox(QStringLiteral("終了しました。"));
    EXPECT_FALSE(form().timRefresh->isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 2000)) << "the swallowed paint is drawn";
}

} // namespace
} // namespace paddraw_test
