// The canvas window driven offscreen: control arrays, drawing in twips, retained drawing and
// the paint deferral, hit testing and the selection frames.
#include "support/Workspace.h"
#include "app/canvas/CanvasForm.h"

#include "app/core/ApplicationGlobals.h"
#include "platform/richtext/RichTextBox.h"
#include "support/RaisedError.h"

#include <QImage>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace vellumora;

namespace {

constexpr std::int32_t Red = 0x0000FF; // red + 256 x green + 65536 x blue
constexpr std::int32_t White = 0xFFFFFF;

class CanvasFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        B.clear();
        form.timRefresh->stop();
        form.resize(200, 100);
        form.SetBackColor(White);
        CanvasForm::SetCanvasPainter([this](std::int16_t) {
            ++paints;
            if (draw)
                draw(form);
        });
    }
    void TearDown() override { CanvasForm::SetCanvasPainter({}); }

    QColor pixel(int x, int y) { return form.grab().toImage().pixelColor(x, y); }

    CanvasForm form;
    int paints = 0;
    std::function<void(CanvasForm&)> draw;
};

TEST_F(CanvasFormTest, ControlArraysLoadAndUnloadWithErrorsForMisuse)
{
    form.lblBox[0].Width = 300;
    form.lblBox[0].Visible = true;
    form.lblBox.Load(3);
    EXPECT_TRUE(form.lblBox.IsLoaded(3));
    EXPECT_FALSE(form.lblBox.IsLoaded(2));
    EXPECT_EQ(form.lblBox[3].Width, 300) << "a loaded element copies element 0";
    EXPECT_FALSE(form.lblBox[3].Visible) << "but starts hidden";

    struct Row {
        const char* why;
        std::function<void()> call;
        std::int32_t number;
    };
    const Row rows[] = {
        {"loading a loaded element", [&] { form.lblBox.Load(3); }, CanvasControlError::AlreadyLoaded},
        {"loading element 0", [&] { form.linBoxLeft.Load(0); }, CanvasControlError::AlreadyLoaded},
        {"loading below 0", [&] { form.lblLine.Load(-1); }, CanvasControlError::ElementMissing},
        {"unloading an absent element", [&] { form.lblBox.Unload(2); }, CanvasControlError::ElementMissing},
        {"unloading beyond the array", [&] { form.linSubUpper.Unload(40); }, CanvasControlError::ElementMissing},
        {"unloading element 0", [&] { form.lblSubLine1.Unload(0); }, CanvasControlError::DesignElement},
        {"reading an absent element", [&] { (void)form.lblBox[2].Left; }, CanvasControlError::ElementMissing},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_RAISES(row.call(), row.number);
    }

    form.lblBox.Unload(3);
    EXPECT_FALSE(form.lblBox.IsLoaded(3));
    EXPECT_EQ(form.lblBox.UBound(), 0);
    form.lblBox.Load(3);
    EXPECT_TRUE(form.lblBox.IsLoaded(3)) << "an unloaded element loads again";
}

TEST_F(CanvasFormTest, TwipsDrawnByThePainterShowAtTheirPixels)
{
    draw = [](CanvasForm& f) {
        f.Line(150, 300, 1500, 300, Red);     // pixels (10, 20) to (100, 20)
        f.Rectangle(1650, 150, 2250, 750, 0); // pixels (110, 10) to (150, 50)
    };
    form.PaintEventRelease(true);
    EXPECT_EQ(paints, 1);
    const QImage image = form.grab().toImage();
    EXPECT_EQ(image.pixelColor(50, 20), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(50, 25), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(110, 30), QColor(Qt::black)) << "left edge of the rectangle";
    EXPECT_EQ(image.pixelColor(130, 30), QColor(Qt::white)) << "an outline is not filled";
}

TEST_F(CanvasFormTest, LabelsLetThePaintingShowThroughAndLinesDrawOverIt)
{
    draw = [](CanvasForm& f) { f.Line(0, 300, 3000, 300, Red); };
    form.PaintEventRelease(true);

    form.lblBox.Load(1);
    CanvasLabel& label = form.lblBox[1];
    label.Left = 300, label.Top = 150, label.Width = 900, label.Height = 450; // pixels 20..80 x 10..40
    label.BackColor = label.ForeColor = White;
    label.Visible = true;
    EXPECT_EQ(pixel(50, 20), QColor(Qt::red)) << "a label without a border hides nothing";

    form.lblBox[1].BorderStyle = 1;
    EXPECT_EQ(pixel(20, 30), QColor(Qt::black)) << "a single border is drawn";
    EXPECT_EQ(pixel(50, 20), QColor(Qt::red));

    form.linBoxLeft.Load(1);
    CanvasLine& line = form.linBoxLeft[1];
    line.X1 = line.X2 = 1500, line.Y1 = 0, line.Y2 = 1200; // pixel column 100
    line.Visible = true;
    EXPECT_EQ(pixel(100, 60), QColor(Qt::red)) << "the selection lines are red";
    form.linBoxLeft[1].Visible = false;
    EXPECT_EQ(pixel(100, 60), QColor(Qt::white));
}

TEST_F(CanvasFormTest, ExposingKeepsTheDrawingWithoutPaintingTheChartAgain)
{
    draw = [](CanvasForm& f) { f.Line(0, 300, 3000, 300, Red); };
    form.PaintEventRelease(true);
    ASSERT_EQ(paints, 1);

    EXPECT_EQ(form.grab(QRect(0, 0, 40, 40)).toImage().pixelColor(10, 20), QColor(Qt::red));
    EXPECT_EQ(paints, 1) << "an exposed area is repainted from what was kept";

    form.Cls();
    EXPECT_EQ(pixel(10, 20), QColor(Qt::red));
    EXPECT_EQ(paints, 2) << "a cleared window asks for the chart when exposed";

    form.SetAutoRedraw(true);
    form.Cls();
    EXPECT_EQ(pixel(10, 20), QColor(Qt::white));
    EXPECT_EQ(paints, 2) << "a window that keeps its drawing raises no chart paint";
}

TEST_F(CanvasFormTest, PaintsAreDeferredWhileSuspendedHeldOffOrKept)
{
    B.resize(2);
    form.SetCanvasIndex(1);

    ApplicationGlobals.PaintSuspended = true;
    form.PaintEventRelease(true);
    EXPECT_EQ(paints, 0);
    EXPECT_TRUE(form.PaintPending()) << "a paint during a command is only recorded";

    ApplicationGlobals.PaintSuspended = false;
    form.PaintEventRelease(false);
    EXPECT_EQ(paints, 1) << "the recorded paint is carried out on release";
    EXPECT_FALSE(form.PaintPending());

    form.PaintEventRelease(false);
    EXPECT_EQ(paints, 1) << "nothing pending, nothing forced: no paint";

    form.RefreshTimerRestart();
    form.PaintEventRelease(true);
    EXPECT_EQ(paints, 1) << "held off after a click";
    EXPECT_FALSE(form.PaintPending()) << "and not even recorded";
    form.timRefresh_Timer();
    EXPECT_FALSE(form.timRefresh->isActive());

    form.SetAutoRedraw(true);
    form.PaintEventRelease(false);
    EXPECT_EQ(paints, 2) << "a window that kept its drawing repaints in full on release";
    EXPECT_FALSE(form.AutoRedraw());
    EXPECT_EQ(B[1].header.busyCount, 0);
}

TEST_F(CanvasFormTest, AFailedPaintReachesTheCallerAndLeavesTheCanvasNotBusy)
{
    B.resize(2);
    form.SetCanvasIndex(1);
    draw = [](CanvasForm&) { platform::vbrt::Raise(QStringLiteral("BoxListDraw"), QStringLiteral("broken")); };
    EXPECT_RAISES(form.PaintEventRelease(true), platform::vbrt::ErrorNumber::Application);
    EXPECT_EQ(B[1].header.busyCount, 0);
    EXPECT_EQ(form.Painting(), 0);

    draw = nullptr;
    form.PaintEventRelease(true);
    EXPECT_EQ(paints, 2) << "the next release paints again";
}

TEST_F(CanvasFormTest, MinimisingKeepsThePictureAndRestoringRepaintsTheWholeCanvas)
{
    testsupport::Workspace main;
    main.show();
    B.resize(2);
    auto* window = new CanvasForm; // owned by the workspace
    window->timRefresh->stop();
    window->SetCanvasIndex(1);
    B[1].form = window;
    window->SetWidth(3000);
    window->SetHeight(1500);
    window->Show();
    ASSERT_TRUE(qobject_cast<QMdiSubWindow*>(window->parentWidget())) << "shown in the workspace";
    EXPECT_EQ(window->size(), QSize(200, 100)) << "the workspace frame keeps the size given before";
    window->SetWidth(4500);
    EXPECT_EQ(window->size(), QSize(300, 100)) << "and follows later sizes";
    window->PaintEventRelease(true);
    const int before = paints;

    window->SetWindowState(1);
    EXPECT_EQ(window->WindowState(), 1);
    EXPECT_EQ(B[1].header.windowState, 1);
    EXPECT_TRUE(window->AutoRedraw());

    window->SetWindowState(0);
    EXPECT_EQ(B[1].header.windowState, 0);
    EXPECT_FALSE(window->AutoRedraw());
    EXPECT_EQ(paints, before + 1) << "restoring repaints the whole canvas";
}

TEST_F(CanvasFormTest, SizesAreTwipsAndCutAtTheLargestWindow)
{
    form.SetWidth(3000);
    form.SetHeight(1501);
    EXPECT_EQ(form.size(), QSize(200, 100));
    EXPECT_EQ(form.Width(), 3000);
    EXPECT_EQ(form.Height(), 1500) << "whole pixels";
    form.SetWidth(600000);
    EXPECT_LT(form.Width(), 600000) << "read back smaller than asked";
    EXPECT_EQ(form.Width(), CanvasForm::MaximumPixels * 15);
}

TEST_F(CanvasFormTest, HitTestFindsTheTopmostVisibleEnabledLabel)
{
    auto place = [&](CanvasLabelArray& labels, std::int16_t n, std::int32_t left, std::int32_t top) {
        labels.Load(n);
        CanvasLabel& label = labels[n];
        label.Left = left, label.Top = top, label.Width = 600, label.Height = 300;
        label.Visible = true;
    };
    place(form.lblBox, 1, 0, 0);
    place(form.lblLine, 2, 300, 150); // loaded later: lies on top where they overlap
    place(form.lblSubLine2, 4, 2000, 2000);
    form.lblSubLine2[4].Enabled = false;

    struct Row {
        const char* why;
        std::int32_t x, y;
        CanvasHit hit;
    };
    const Row rows[] = {
        {"inside the box label only", 100, 100, {1, 1}},
        {"where both overlap", 400, 200, {2, 2}},
        {"the right edge lies outside", 600, 100, {0, -1}},
        {"bare canvas", 5000, 5000, {0, -1}},
        {"disabled label", 2100, 2100, {0, -1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(form.HitTest(row.x, row.y), row.hit);
    }
    form.lblBox.ZOrder(1);
    EXPECT_EQ(form.HitTest(400, 200), (CanvasHit{1, 1})) << "brought to the front";
    form.lblBox[1].Visible = false;
    EXPECT_EQ(form.HitTest(100, 100), (CanvasHit{0, -1}));
}

TEST_F(CanvasFormTest, HitTestFindsLabelsAcrossALargeCanvasAndWhereverTheyMove)
{
    // Box labels 1 to 2000 on a grid far larger than a screen, 3000 twips apart.
    constexpr int Columns = 40;
    const auto at = [](int n) { return QPoint((n - 1) % Columns * 3000, (n - 1) / Columns * 3000); };
    for (int n = 1; n <= 2000; ++n) {
        const auto i = static_cast<std::int16_t>(n);
        form.lblBox.Load(i);
        CanvasLabel& label = form.lblBox[i];
        label.Left = at(n).x(), label.Top = at(n).y(), label.Width = 2000, label.Height = 1000;
        label.Visible = true;
    }
    struct Row {
        const char* why;
        QPoint point;
        CanvasHit hit;
    };
    const Row rows[] = {
        {"the first label", at(1) + QPoint(10, 10), {1, 1}},
        {"a label in the middle", at(1041) + QPoint(1999, 999), {1, 1041}},
        {"the last label", at(2000) + QPoint(500, 500), {1, 2000}},
        {"between two labels", at(1041) + QPoint(2500, 500), {0, -1}},
        {"beyond every label", QPoint(500000, 500000), {0, -1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(form.HitTest(row.point.x(), row.point.y()), row.hit);
    }

    form.lblBox[7].Left = 400000;
    EXPECT_EQ(form.HitTest(400010, at(7).y() + 10), (CanvasHit{1, 7})) << "found where it went";
    EXPECT_EQ(form.HitTest(at(7).x() + 10, at(7).y() + 10), (CanvasHit{0, -1})) << "and no longer where it was";
    form.lblBox.Unload(8);
    EXPECT_EQ(form.HitTest(at(8).x() + 10, at(8).y() + 10), (CanvasHit{0, -1})) << "unloaded";
    form.lblLine.Load(1);
    CanvasLabel& line = form.lblLine[1];
    line.Left = at(9).x(), line.Top = at(9).y(), line.Width = 100, line.Height = 100, line.Visible = true;
    EXPECT_EQ(form.HitTest(at(9).x() + 10, at(9).y() + 10), (CanvasHit{2, 1})) << "loaded later, on top";
}

TEST_F(CanvasFormTest, PartsLockFramesTogglesAndClears)
{
    for (std::int16_t n : {1, 2}) {
        form.lblBox.Load(n);
        form.lblLine.Load(n);
        for (CanvasLineArray* lines : {&form.linBoxLeft, &form.linBoxRight, &form.linBoxUpper, &form.linBoxLower})
            lines->Load(n);
        CanvasLabel& label = form.lblBox[n];
        label.Left = 100 * n, label.Top = 200, label.Width = 500, label.Height = 400;
    }
    form.lblSubLine2[0].Left = 10;

    form.PartsLock(1, 1);
    EXPECT_EQ(form.LockPartsKind, 1);
    const CanvasLine& left = std::as_const(form.linBoxLeft)[1];
    EXPECT_TRUE(left.Visible);
    EXPECT_EQ((std::array{left.X1, left.Y1, left.X2, left.Y2}), (std::array{70, 170, 70, 630}))
        << "the frame lies 30 twips outside the label";
    EXPECT_EQ(std::as_const(form.linBoxLower)[1].Y1, 630);

    form.PartsLock(1, 1);
    EXPECT_TRUE(std::as_const(form.linBoxLeft)[1].Visible) << "a plain click on the selected part keeps it";
    EXPECT_EQ(form.LockPartsList().size(), 1u);

    form.PartsLock(1, 2, 1);
    EXPECT_EQ(form.LockPartsList().size(), 2u) << "Shift adds a part of the same family";

    form.PartsLock(4, 0, 1);
    EXPECT_FALSE(std::as_const(form.linBoxLeft)[1].Visible) << "another family replaces the selection";
    EXPECT_FALSE(std::as_const(form.linBoxLeft)[2].Visible);
    EXPECT_TRUE(std::as_const(form.linSubLeft)[0].Visible) << "sub frame 0 stands for the line above the top chain";
    EXPECT_EQ(form.LockPartsKind, 4);

    form.PartsLock();
    EXPECT_TRUE(form.LockPartsList().empty());
    EXPECT_EQ(form.LockPartsKind, 0);
    EXPECT_FALSE(std::as_const(form.linSubLeft)[0].Visible);
}

TEST_F(CanvasFormTest, TheRichTextBoxStartsParkedAndFormatsItsSelection)
{
    platform::richtext::RichTextBox& rtx = form.rtxBox;
    EXPECT_EQ((std::array{rtx.Left(), rtx.Top(), rtx.Width(), rtx.Height()}), (std::array{0, 0, 30, 30}));
    EXPECT_FALSE(rtx.Visible());
    EXPECT_FALSE(rtx.Enabled());
    EXPECT_TRUE(rtx.Locked());

    rtx.Move(1500, 750, 3000, 600);
    EXPECT_EQ(rtx.widget()->geometry(), QRect(100, 50, 200, 40));
    rtx.SetText(QStringLiteral("検索する文字列"));
    rtx.SetSelStart(2);
    rtx.SetSelLength(2);
    rtx.SetSelColor(0xFF0000);
    rtx.SetSelBold(true);
    rtx.SetSelStart(0);
    EXPECT_EQ(rtx.SelLength(), 0) << "setting the start collapses the selection";

    struct Row {
        const char* why;
        std::int32_t start;
        std::int32_t color;
        bool bold;
    };
    const Row rows[] = {{"before the match", 1, 0, false}, {"in the match", 3, 0xFF0000, true}, {"after it", 4, 0, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        rtx.SetSelStart(row.start);
        rtx.SetSelLength(1);
        EXPECT_EQ(rtx.SelColor(), row.color);
        EXPECT_EQ(rtx.SelBold(), row.bold);
    }
    rtx.SetSelStart(100);
    EXPECT_EQ(rtx.SelStart(), 7) << "a start beyond the text is cut to its end";
}

} // namespace

TEST_F(CanvasFormTest, TheRichTextBoxCountsALineBreakAsCarriageReturnAndLineFeed)
{
    platform::richtext::RichTextBox& rtx = form.rtxBox;
    rtx.SetText(QStringLiteral("ab\r\ncd\r\nef"));
    EXPECT_EQ(rtx.Text(), QStringLiteral("ab\r\ncd\r\nef"));

    struct Row {
        const char* why;
        std::int32_t start;
        std::int32_t length;
        QString selected;
    };
    const Row rows[] = {
        {"first line", 1, 1, "b"},
        {"second line", 4, 2, "cd"},
        {"third line", 9, 1, "f"},
        {"across a line break", 5, 4, QStringLiteral("d\u2029e")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        rtx.SetSelStart(row.start);
        rtx.SetSelLength(row.length);
        EXPECT_EQ(rtx.widget()->textCursor().selectedText(), row.selected);
        EXPECT_EQ(rtx.SelStart(), row.start);
        EXPECT_EQ(rtx.SelLength(), row.length);
    }
}
