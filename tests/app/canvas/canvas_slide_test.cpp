// The eased slide path, and a canvas window sliding in its workspace until a box is in view.
#include "app/diagram/CanvasSlide.h"

#include "app/canvas/CanvasForm.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Utilities.h"

#include "../diagram/slide_steps.h"
#include "support/Workspace.h"

#include <QMdiSubWindow>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vellumora;

namespace {

std::vector<std::int32_t> Offsets(const std::vector<SlideStep>& steps, std::int32_t start, bool x)
{
    std::vector<std::int32_t> offsets;
    for (const SlideStep& step : steps)
        offsets.push_back((x ? step.X : step.Y) - start);
    return offsets;
}

TEST(SlidePathMake, RampsStridesAndTheTarget)
{
    struct Row {
        const char* why;
        std::int32_t distance;
        std::vector<std::int32_t> offsets;
    };
    const Row rows[] = {
        {"1000 twips", 1000, {11, 22, 33, 44, 55, 66, 77, 88, 100, 300, 500, 700, 900, 912, 923, 934, 945, 956,
                              967, 978, 989, 1000}},
        {"150 twips", 150, {11, 22, 128, 139, 150}},
        {"below 122 twips goes in one step", 121, {121}},
        {"no distance: one step at the target", 0, {0}},
        {"backwards", -150, {-11, -22, -128, -139, -150}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const std::vector<SlideStep> steps = SlidePathMake(PointMake(500, 40), PointMake(500 + row.distance, 40));
        EXPECT_EQ(Offsets(steps, 500, true), row.offsets);
        for (const SlideStep& step : steps) {
            EXPECT_EQ(step.Y, 40) << "the axis that does not move stays at its target";
            EXPECT_EQ(step.Delay, 10);
        }
    }
}

TEST(SlidePathMake, TheShorterAxisWaitsAtItsTarget)
{
    const std::vector<SlideStep> steps = SlidePathMake(PointMake(0, 0), PointMake(150, 1000));
    ASSERT_EQ(steps.size(), 22u);
    EXPECT_EQ(Offsets(steps, 0, true), (std::vector<std::int32_t>{11, 22, 128, 139, 150, 150, 150, 150, 150, 150, 150,
                                                                   150, 150, 150, 150, 150, 150, 150, 150, 150, 150,
                                                                   150}));
    EXPECT_EQ(steps.back(), (SlideStep{150, 1000, 10}));
}

// A main window with a canvas window much larger than its workspace, at the workspace's corner.
class CanvasSlideTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        B.assign(2, CanvasRecord{});
        main.resize(800, 600);
        main.show();
        form = new CanvasForm;
        form->SetCanvasIndex(1);
        B[1].form = form;
        form->timRefresh->stop();
        form->SetWidth(90000);
        form->SetHeight(60000);
        form->Show();
        form->SetLeft(0);
        form->SetTop(0);
        form->lblBox.Load(1);
        CanvasLabel& box = form->lblBox[1];
        box.Left = 3000, box.Top = 1500, box.Width = 1500, box.Height = 600, box.Visible = true;
    }
    void TearDown() override { B.clear(); }

    // Where the box is on the screen now, in twips.
    QPoint boxOnScreen() const
    {
        const CanvasLabel& box = std::as_const(form->lblBox)[1];
        return form->mapToGlobal(QPoint(box.Left / 15, box.Top / 15)) * 15;
    }
    QRect workspaceOnScreen() const
    {
        QWidget* viewport = form->parentWidget()->parentWidget();
        return QRect(viewport->mapToGlobal(QPoint(0, 0)) * 15, viewport->size() * 15);
    }

    slide_test::StepsByHand byHand;
    testsupport::Workspace main;
    CanvasForm* form = nullptr;
};

TEST_F(CanvasSlideTest, ABoxInViewMovesNothing)
{
    bool arrived = false;
    CanvasSlideToBox(1, 1, [&] { arrived = true; });
    EXPECT_TRUE(arrived);
    EXPECT_EQ(form->Left(), 0);
    EXPECT_EQ(form->Top(), 0);
    EXPECT_EQ(FoundBoxRect, (ScreenRect{boxOnScreen().x(), boxOnScreen().y(), 1500, 840}))
        << "the full width and 1.4 times the height";
}

TEST_F(CanvasSlideTest, ABoxOutOfViewSidewaysSlidesOnlySidewaysUntilItIsIn)
{
    form->lblBox[1].Left = 60000;
    int arrivals = 0;
    CanvasSlideToBox(1, 1, [&] { ++arrivals; });
    EXPECT_EQ(arrivals, 0) << "the follow-up waits for the slide";
    EXPECT_TRUE(SlideRunning(form->parentWidget()));
    const std::int32_t target = FoundBoxRect.Left - boxOnScreen().x();
    const std::vector<SlideStep> path = SlidePathMake(PointMake(0, 0), PointMake(target, 0));
    EXPECT_EQ(slide_test::StepsUntilStill(form->parentWidget()), static_cast<int>(path.size()))
        << "one step for each advance";
    EXPECT_EQ(arrivals, 1);
    EXPECT_EQ(form->Top(), 0);
    const QRect visible = workspaceOnScreen();
    const QPoint box = boxOnScreen();
    EXPECT_GE(box.x(), visible.left());
    EXPECT_LE(box.x() + 1500, visible.left() + visible.width());
    EXPECT_EQ(FoundBoxRect.Left, box.x());
    EXPECT_EQ(FoundBoxRect.Top, box.y());
    EXPECT_EQ(FoundBoxRect.Width, 1500);
}

TEST_F(CanvasSlideTest, ABoxThatCannotBeShownLeavesNoFoundPlace)
{
    CanvasSlideToBox(1, 1, {});
    ASSERT_GT(FoundBoxRect.Width, 0);
    for (const auto& [canvas, box] : {std::pair<std::int16_t, std::int16_t>{1, 99}, {7, 1}, {0, 1}}) {
        SCOPED_TRACE(testing::Message() << "canvas " << canvas << " box " << box);
        CanvasSlideToBox(1, 1, {});
        bool arrived = false;
        CanvasSlideToBox(canvas, box, [&] { arrived = true; });
        EXPECT_FALSE(arrived);
        EXPECT_EQ(FoundBoxRect, ScreenRect{});
    }
}

TEST_F(CanvasSlideTest, AClosedWindowEndsItsSlideQuietly)
{
    form->lblBox[1].Top = 50000;
    bool arrived = false;
    CanvasSlideToBox(1, 1, [&] { arrived = true; });
    QWidget* frame = form->parentWidget();
    ASSERT_TRUE(SlideRunning(frame));
    delete frame;
    EXPECT_FALSE(arrived);
    EXPECT_TRUE(B[1].form.isNull());
}

} // namespace
