// The main window's workspace scrolling: strips that appear while windows reach past the visible
// area, scroll steps that move every counted window by the same amount, and the drag handles.
#include "baseform_support.h"

#include "app/shell/WorkspaceScroll.h"

#include <QPushButton>
#include <QScrollBar>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace {

using namespace baseform_test;

constexpr int Twips = 15; // per pixel

class WorkspaceScrollTest : public BaseFormTest {
protected:
    WorkspaceScroll& ws() { return *form().workspaceScroll; }
    QSize visible() { return ws().viewport()->size(); }

    // The two canvas windows of a new document, their frames placed at the given rectangles
    // (pixels in the workspace) and the strips arranged for them.
    std::vector<QWidget*> twoWindows(const QRect& first, const QRect& second)
    {
        showActive();
        form().Menu_FileNewFileObstinate_Click(0);
        form().Menu_EditCanvasInsertObstinate_Click(0);
        std::vector<QWidget*> frames;
        for (CanvasForm* canvas : shownCanvases())
            frames.push_back(canvas->parentWidget());
        if (frames.size() != 2) {
            ADD_FAILURE() << "a document with two canvases shows two windows, not " << frames.size();
            return {};
        }
        frames[0]->setGeometry(first);
        frames[1]->setGeometry(second);
        form().ScrollBarArrange();
        return frames;
    }

    static std::vector<QPoint> positions(const std::vector<QWidget*>& frames)
    {
        std::vector<QPoint> out;
        for (QWidget* f : frames)
            out.push_back(f->pos());
        return out;
    }

    // Presses the handle at a point of its strip, moves the pointer along the track by the
    // distance in steps of at most ten pixels, and releases it there; the events reach the
    // handle as the pointer's do. Returns whether the drag held all the way.
    bool drag(QPushButton* handle, QPoint& onStrip, int distance)
    {
        const bool across = handle == ws().cmdHScrollBar;
        QWindow* window = form().windowHandle();
        const auto at = [&] { return handle->parentWidget()->mapTo(&form(), onStrip); };
        QTest::mousePress(window, Qt::LeftButton, {}, at());
        bool held = ws().HandleDragging;
        for (int left = distance; left != 0;) {
            const int step = std::clamp(left, -10, 10);
            left -= step;
            onStrip += across ? QPoint(step, 0) : QPoint(0, step);
            QTest::mouseMove(window, at());
            held = held && ws().HandleDragging;
        }
        QTest::mouseRelease(window, Qt::LeftButton, {}, at());
        EXPECT_FALSE(ws().HandleDragging);
        return held;
    }
};

TEST_F(WorkspaceScrollTest, StripsShowWhileWindowsReachPastTheVisibleArea)
{
    auto frames = twoWindows({10, 10, 300, 200}, {320, 10, 300, 200});
    ASSERT_EQ(frames.size(), 2u);
    const QSize area = ws().size();
    struct Row {
        const char* why;
        QRect second;
        bool minimised;
        bool across;
        bool down;
    };
    const Row rows[] = {
        {"every window inside", {320, 10, 300, 200}, false, false, false},
        {"past the right edge", {area.width() - 100, 10, 300, 200}, false, true, false},
        {"left of the left edge", {-50, 10, 300, 200}, false, true, false},
        {"past the bottom edge", {320, area.height() - 100, 300, 200}, false, false, true},
        {"above the top edge", {320, -30, 300, 200}, false, false, true},
        {"past both edges", {area.width() - 100, area.height() - 100, 300, 200}, false, true, true},
        {"a minimised window does not count", {area.width() + 100, 10, 300, 200}, true, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        auto* canvas = frames[1]->findChild<CanvasForm*>();
        ASSERT_TRUE(canvas);
        canvas->SetWindowState(0);
        frames[1]->setGeometry(row.second);
        if (row.minimised)
            canvas->SetWindowState(1);
        form().ScrollBarArrange();
        EXPECT_EQ(!ws().pbxHorizontal->isHidden(), row.across);
        EXPECT_EQ(!ws().pbxVertical->isHidden(), row.down);

        const ApplicationGlobalsRecord& G = ApplicationGlobals;
        // The visible size is the area the windows are shown in, clear of the strips.
        EXPECT_EQ(G.WorkspaceSize, (Point{visible().width() * Twips, visible().height() * Twips}));
        QRect span = frames[0]->geometry();
        if (!row.minimised)
            span = span.united(frames[1]->geometry());
        EXPECT_EQ(G.WindowsStart, (Point{span.left() * Twips, span.top() * Twips}));
        EXPECT_EQ(G.WindowsEnd, (Point{(span.right() + 1) * Twips, (span.bottom() + 1) * Twips}));
        EXPECT_EQ(G.WorkspaceExtent.xw, G.WorkspaceEnd.xw - G.WorkspaceStart.xw);

        // A shown handle lies on its bar's track, between the arrow buttons.
        if (row.across) {
            const QRect handle = ws().cmdHScrollBar->geometry();
            EXPECT_GE(handle.left(), 255 / Twips);
            EXPECT_LE(handle.right() + 1, (255 + G.ScrollTrackLength.xw) / Twips);
            EXPECT_GE(handle.width(), 120 / Twips);
        }
    }
}

TEST_F(WorkspaceScrollTest, AWindowDraggedPastTheEdgeBringsTheStripBetweenCommands)
{
    auto frames = twoWindows({10, 10, 300, 200}, {320, 10, 300, 200});
    ASSERT_EQ(frames.size(), 2u);
    ASSERT_TRUE(ws().pbxHorizontal->isHidden());
    ASSERT_TRUE(form().timBaseForm->isActive());
    frames[1]->move(visible().width() - 50, 10);
    const std::vector<QPoint> placed = positions(frames);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ws().pbxHorizontal->isHidden(); }, 30000));
    // Setting the bar to describe the new layout scrolls nothing.
    EXPECT_EQ(positions(frames), placed);
    EXPECT_FALSE(ApplicationGlobals.PaintSuspended);
}

TEST_F(WorkspaceScrollTest, DraggingTheHandleShowsTheFarWindowAndDraggingBackReturns)
{
    struct Row {
        const char* why;
        bool across;
        QRect far;
    };
    const Row rows[] = {
        {"horizontal", true, {960 + 300, 40, 300, 200}},
        {"vertical", false, {40, 560 + 300, 300, 200}},
    };
    auto frames = twoWindows({0, 0, 300, 200}, {320, 0, 300, 200});
    ASSERT_EQ(frames.size(), 2u);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        frames[0]->setGeometry(0, 0, 300, 200);
        frames[1]->setGeometry(row.far);
        form().ScrollBarArrange();
        QPushButton* handle = row.across ? ws().cmdHScrollBar : ws().cmdVScrollBar;
        ASSERT_FALSE(handle->parentWidget()->isHidden());
        const std::vector<QPoint> before = positions(frames);
        const auto along = [&](const QRect& r) { return row.across ? r.right() + 1 : r.bottom() + 1; };
        const int edge = along(ws().viewport()->rect());
        ASSERT_GT(along(frames[1]->geometry()), edge);

        // Bringing the handle's end to the track's end brings the far window in: the handle
        // follows the pointer, so the drag holds all the way.
        const ApplicationGlobalsRecord& G = ApplicationGlobals;
        const int trackEnd = (255 + (row.across ? G.ScrollTrackLength.xw : G.ScrollTrackLength.yh)) / Twips;
        const int distance = trackEnd - along(handle->geometry());
        QPoint pointer = handle->geometry().center();
        EXPECT_TRUE(drag(handle, pointer, distance));
        EXPECT_NEAR(along(frames[1]->geometry()), edge, 1);
        EXPECT_EQ(frames[0]->pos() - before[0], frames[1]->pos() - before[1]) << "every window moves alike";

        // The same way back returns every window to its place.
        EXPECT_TRUE(drag(handle, pointer, -distance));
        EXPECT_EQ(positions(frames), before);
        ASSERT_TRUE(QTest::qWaitFor([] { return !ApplicationGlobals.PaintSuspended; }, 30000));
    }
}

TEST_F(WorkspaceScrollTest, ArrowClicksMoveTheWindowsAndPaintingWaitsForTheLast)
{
    auto frames = twoWindows({0, 0, 300, 200}, {800, 40, 300, 200});
    ASSERT_EQ(frames.size(), 2u);
    frames[0]->findChild<CanvasForm*>()->SetWindowState(1);
    form().ScrollBarArrange();
    const QPoint kept = frames[0]->pos();
    const QPoint start = frames[1]->pos();
    QScrollBar* bar = ws().hsbHorizontal;
    ASSERT_FALSE(ws().pbxHorizontal->isHidden());
    const QPoint rightArrow(bar->width() - 5, bar->height() / 2);
    const QPoint leftArrow(5, bar->height() / 2);

    for (int i = 0; i < 10; ++i)
        QTest::mouseClick(bar, Qt::LeftButton, {}, rightArrow);
    EXPECT_LT(frames[1]->x(), start.x());
    EXPECT_EQ(frames[1]->y(), start.y());
    EXPECT_EQ(frames[0]->pos(), kept) << "a minimised window stays";
    // Painting waits until the clicks are over, then comes back by itself.
    EXPECT_TRUE(ApplicationGlobals.PaintSuspended);
    EXPECT_FALSE(form().timBaseForm->isActive());
    ASSERT_TRUE(QTest::qWaitFor([] { return !ApplicationGlobals.PaintSuspended; }, 30000));
    EXPECT_TRUE(form().timBaseForm->isActive());
    EXPECT_FALSE(ws().ScrollInProgress);

    for (int i = 0; i < 10; ++i)
        QTest::mouseClick(bar, Qt::LeftButton, {}, leftArrow);
    EXPECT_NEAR(frames[1]->x(), start.x(), 1);
    EXPECT_EQ(frames[1]->y(), start.y());
}

TEST_F(WorkspaceScrollTest, TheEndsOfTheBarKeepTheWindowsNextToTheVisibleArea)
{
    auto frames = twoWindows({0, 0, 300, 200}, {960 + 300, 40, 300, 200});
    ASSERT_EQ(frames.size(), 2u);
    const ApplicationGlobalsRecord& G = ApplicationGlobals;
    QScrollBar* bar = ws().hsbHorizontal;

    bar->setValue(bar->maximum());
    EXPECT_GE(G.WindowsEnd.xw, -1) << "the windows' right end stays at -1 twip or more";
    EXPECT_LE(G.WindowsEnd.xw, 0);

    bar->setValue(0);
    EXPECT_LE(G.WindowsStart.xw, G.WorkspaceSize.xw + 1) << "their left end stays at the visible width + 1 or less";
    EXPECT_GE(G.WindowsStart.xw, G.WorkspaceSize.xw);
}

TEST_F(WorkspaceScrollTest, WindowsWhollyBeyondAnEdgeDoNotMoveFurtherAway)
{
    struct Row {
        const char* why;
        int x;
        bool rightArrow;
    };
    const Row rows[] = {
        {"all left of the area, scrolling right", -(960 + 400), true},
        {"all right of the area, scrolling left", 960 + 400, false},
    };
    auto frames = twoWindows({0, 0, 300, 200}, {320, 0, 300, 200});
    ASSERT_EQ(frames.size(), 2u);
    QScrollBar* bar = ws().hsbHorizontal;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        frames[0]->setGeometry(row.x, 0, 300, 200);
        frames[1]->setGeometry(row.x + 10, 40, 300, 200);
        form().ScrollBarArrange();
        ASSERT_FALSE(ws().pbxHorizontal->isHidden());
        const std::vector<QPoint> before = positions(frames);
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(row.rightArrow ? bar->width() - 5 : 5, bar->height() / 2));
        EXPECT_EQ(positions(frames), before);
    }
}

TEST_F(WorkspaceScrollTest, TheCornerShowsWhileTheStatusBarIsHiddenAndTheWindowIsNotMaximised)
{
    showActive();
    struct Row {
        const char* why;
        bool statusBar;
        bool maximised;
        bool corner;
    };
    const Row rows[] = {
        {"status bar shown", true, false, false},
        {"status bar hidden", false, false, true},
        {"status bar hidden, maximised", false, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        form().stbBaseForm->setVisible(row.statusBar);
        form().setWindowState(row.maximised ? Qt::WindowMaximized : Qt::WindowNoState);
        form().ScrollBarArrange();
        EXPECT_EQ(!ws().imgScrollCorner->isHidden(), row.corner);
    }
}

} // namespace
