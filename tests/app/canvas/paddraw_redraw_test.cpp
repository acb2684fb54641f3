// Redrawing canvases (layout and arrangement, minimised and hidden windows), the display order,
// showing and hiding, captions, the default font of a new canvas, and every sample document.
#include "support/Workspace.h"
#include "canvas_windows.h"

#include "app/canvas/CanvasForm.h"
#include "app/canvas/PageSetting.h"
#include "app/diagram/FontAndColor.h"
#include "app/core/Processing.h"
#include "platform/vbrt/Value.h"
#include "support/SampleDocuments.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <optional>
#include <vector>

namespace paddraw_test {
namespace {

using Numbers = std::vector<std::int16_t>;

class PadDrawRedrawTest : public PadDrawTest {
protected:
    // A document of n routine canvases "C1", "C2", ...
    void openCanvases(int n)
    {
        QStringList body;
        for (int i = 1; i <= n; ++i)
            body << RoutineLines(QStringLiteral("C%1").arg(i), QStringLiteral("block %1").arg(i));
        open(document(QStringLiteral("canvases.txt"), DocumentLines(body)));
    }
    static CanvasForm& Form(std::int16_t c) { return *CanvasWindowOf(Canvas(c)); }
    // Whether the canvas window was arranged: its first box has its hit area.
    static bool Arranged(std::int16_t c)
    {
        const CanvasLabelArray& labels = Form(c).lblBox;
        const std::int16_t first = Canvas(c).header.firstBox;
        return labels.IsLoaded(first) && labels[first].Visible;
    }
};

TEST_F(PadDrawRedrawTest, TheDisplayOrderListsEveryOpenCanvasOnceByItsNumber)
{
    struct Row {
        const char* why;
        Numbers numbers;  // of canvases 1..n
        Numbers states;
        Numbers expected;
    };
    const std::vector<Row> rows = {
        {"numbers 3, 1, 2", {3, 1, 2}, {2, 2, 2}, {-1, 2, 3, 1}},
        {"a closed canvas leaves a gap that closes", {1, 3, 2}, {2, 2, 3}, {-1, 1, 2}},
        {"new canvases are not listed", {1, 2, 3}, {1, 2, 1}, {-1, 2}},
        {"two canvases with one number are both listed, in slot order", {2, 1, 1}, {2, 2, 2}, {-1, 2, 3, 1}},
        {"numbers outside 1..n still list the canvas", {9, 0, 2}, {2, 2, 2}, {-1, 2, 3, 1}},
        {"no canvas", {}, {}, {-1}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        B.assign(row.numbers.size() + 1, CanvasRecord{});
        for (std::size_t i = 0; i < row.numbers.size(); ++i) {
            B[i + 1].header.number = row.numbers[i];
            B[i + 1].header.state = row.states[i];
        }
        EXPECT_EQ(CanvasSequenceList(), row.expected);

        CanvasSequenceRenumber();
        for (std::size_t k = 1; k < row.expected.size(); ++k)
            EXPECT_EQ(B[static_cast<std::size_t>(row.expected[k])].header.number, static_cast<std::int16_t>(k));
        EXPECT_EQ(CanvasSequenceList(), row.expected) << "renumbering keeps the order";
    }
    B.resize(1);
}

TEST_F(PadDrawRedrawTest, ARefreshLaysOutEveryOpenCanvasAndArrangesItsWindow)
{
    openCanvases(2);
    EXPECT_FALSE(Arranged(1));
    PadDrawRefresh(-1);
    for (std::int16_t c = 1; c <= 2; ++c) {
        SCOPED_TRACE(c);
        EXPECT_TRUE(Arranged(c));
        EXPECT_TRUE(Form(c).Visible());
        EXPECT_GT(Canvas(c).header.width, 0) << "laid out";
    }
}

TEST_F(PadDrawRedrawTest, MinimisedAndHiddenWindowsAreLaidOutButArrangedOnlyWhenShownAgain)
{
    openCanvases(3);
    PadDrawRefresh(-1);
    // A fresh layout of every canvas: each gets its hit areas again only when arranged.
    auto unarrange = [](std::int16_t c) {
        Form(c).lblBox[Canvas(c).header.firstBox].Visible = false;
        Canvas(c).header.width = 0;
    };
    Canvas(2).header.windowState = 1;      // minimised
    Form(3).SetVisible(false);             // hidden by the user
    Canvas(3).header.windowState = 0;
    for (std::int16_t c = 1; c <= 3; ++c)
        unarrange(c);

    PadDrawRefresh(-1);
    EXPECT_TRUE(Arranged(1));
    EXPECT_FALSE(Arranged(2));
    EXPECT_FALSE(Arranged(3));
    EXPECT_GT(Canvas(2).header.width, 0) << "the minimised canvas is laid out";
    EXPECT_GT(Canvas(3).header.width, 0) << "the hidden canvas is laid out";
    EXPECT_FALSE(Form(3).Visible()) << "and stays hidden";

    PadDrawRepaint(2);
    EXPECT_TRUE(Arranged(2)) << "restoring arranges without a new layout";

    CanvasVisibleSet(3, true);
    EXPECT_EQ(Canvas(3).header.windowState, -1);
    PadDrawRefresh(3);
    EXPECT_TRUE(Arranged(3));
}

// Laid out again while minimised (a longer text here, another standard font size for the user),
// the window comes back sized to its canvas: the workspace's own restore of the size it had
// before does not undo the arrangement.
TEST_F(PadDrawRedrawTest, AWindowRestoredFromMinimisedIsArrangedAgain)
{
    for (const bool inWorkspace : {false, true}) {
        SCOPED_TRACE(inWorkspace ? "a window of the workspace" : "a window of its own");
        std::optional<testsupport::Workspace> main;
        if (inWorkspace)
            main.emplace().show();
        openCanvases(1);
        PadDrawRefresh(-1);
        ASSERT_EQ(qobject_cast<QMdiSubWindow*>(Form(1).parentWidget()) != nullptr, inWorkspace);
        Form(1).SetWindowState(1);
        ASSERT_EQ(Canvas(1).header.windowState, 1);
        Form(1).lblBox[Canvas(1).header.firstBox].Visible = false;
        const std::int32_t width = Canvas(1).header.width;
        for (BoxRecord& box : Canvas(1).BoxList)
            if (box.text.text == QLatin1String("block 1"))
                box.text = TextInfoMake(QString(60, u'W'));
        PadDrawRefresh(-1);
        ASSERT_FALSE(Arranged(1));
        ASSERT_GT(Canvas(1).header.width, width + 300);

        Form(1).SetWindowState(0);
        EXPECT_EQ(Canvas(1).header.windowState, 0);
        EXPECT_TRUE(Arranged(1));
        constexpr std::int32_t pixel = platform::vbrt::TwipsPerPixel;
        const auto whole = [](std::int32_t twips) { return twips / pixel * pixel; };
        EXPECT_EQ(Form(1).Width(), whole(Canvas(1).header.width));
        EXPECT_EQ(Form(1).Height(), whole(Canvas(1).header.height));
        CanvasesRelease(1);
    }
}

TEST_F(PadDrawRedrawTest, ARefreshOfACanvasThatIsNotOpenOnlyHidesItsWindow)
{
    openCanvases(3);
    PadDrawRefresh(-1);
    Canvas(3).header.state = CanvasState::Closed;
    Form(3).lblBox[Canvas(3).header.firstBox].Visible = false;
    PadDrawRefresh(3);
    EXPECT_FALSE(Form(3).Visible());
    EXPECT_FALSE(Arranged(3));
    EXPECT_TRUE(Form(1).Visible()) << "other canvases are left alone";
}

TEST_F(PadDrawRedrawTest, ShowingAndHidingTouchesOnlyOpenCanvases)
{
    openCanvases(3);
    PadDrawRefresh(-1);
    Canvas(3).header.state = CanvasState::Closed;
    Canvas(1).header.windowState = 0;
    CanvasVisibleSet(-1, false);
    EXPECT_FALSE(Form(1).Visible());
    EXPECT_FALSE(Form(2).Visible());
    EXPECT_TRUE(Form(3).Visible()) << "a closed canvas is left alone";
    EXPECT_EQ(Canvas(1).header.windowState, -1);
    CanvasVisibleSet(-1, true);
    EXPECT_TRUE(Form(1).Visible());
}

TEST_F(PadDrawRedrawTest, CaptionsNameEachOpenCanvasWithItsNumber)
{
    openCanvases(2);
    Canvas(1).header.name = QStringLiteral("Main");
    Canvas(1).header.number = 2;
    Canvas(2).header.number = 1;
    CanvasCaptionRefresh();
    EXPECT_EQ(Form(1).Caption(), CanvasCaptionMake(1, QStringLiteral("\t")));
    EXPECT_TRUE(Form(1).Caption().contains(QStringLiteral("Main")));
    EXPECT_TRUE(Form(2).Caption().contains(QStringLiteral("(名前無し)")));
    EXPECT_NE(Form(1).Caption(), Form(2).Caption());
}

TEST_F(PadDrawRedrawTest, TheFirstCanvasInDisplayOrderEndsOnTop)
{
    testsupport::Workspace main;
    QMdiArea* workspace = main.workspace;
    main.show();
    openCanvases(3);
    PadDrawRefresh(-1);
    Canvas(1).header.number = 3;
    Canvas(2).header.number = 1;
    Canvas(3).header.number = 2;
    FormEnable(&Form(2), false);

    CanvasZOrderArrange();
    EXPECT_TRUE(FormEnabled(&Form(2))) << "every open window is enabled";
    std::vector<QWidget*> stacking;  // bottom to top
    for (QMdiSubWindow* sub : workspace->subWindowList(QMdiArea::StackingOrder))
        stacking.push_back(sub->widget());
    EXPECT_EQ(stacking, (std::vector<QWidget*>{&Form(1), &Form(3), &Form(2)}));
    ASSERT_TRUE(workspace->currentSubWindow());
    EXPECT_EQ(workspace->currentSubWindow()->widget(), &Form(2));
}

// Each activation touches every window of the workspace: a refresh that shows many windows
// activates only the one that ends in front, whether it shows them or shows them again.
TEST_F(PadDrawRedrawTest, ShowingEveryWindowActivatesOnlyTheLastShown)
{
    testsupport::Workspace main;
    QMdiArea* workspace = main.workspace;
    main.show();
    openCanvases(3);
    int activations = 0;
    QObject::connect(workspace, &QMdiArea::subWindowActivated, [&](QMdiSubWindow* sub) { activations += sub ? 1 : 0; });

    PadDrawRefresh(-1);
    EXPECT_EQ(workspace->subWindowList().size(), 3);
    EXPECT_EQ(activations, 1);
    ASSERT_TRUE(workspace->currentSubWindow());
    EXPECT_EQ(workspace->currentSubWindow()->widget(), &Form(1)) << "the last window shown is in front";

    CanvasVisibleSet(-1, false);
    activations = 0;
    CanvasVisibleSet(-1, true);
    EXPECT_EQ(activations, 1);
    ASSERT_TRUE(workspace->currentSubWindow());
    EXPECT_EQ(workspace->currentSubWindow()->widget(), &Form(3));
    for (int c = 1; c <= 3; ++c)
        EXPECT_TRUE(Form(c).Visible() && Form(c).parentWidget()->isEnabled()) << "canvas " << c;
}

TEST_F(PadDrawRedrawTest, TheLabelWidthAndToleranceFollowTheStandardSizeWhateverSizeIsApplied)
{
    const QString standard = QStringLiteral("標準");
    DrawStateReset(0);
    DefaultFontApply(standard, standard, standard);
    const LayoutConstants atStandard = LO;
    EXPECT_EQ(LO.yAdjustAllow, static_cast<std::int32_t>(platform::vbrt::Int(LO.charHeight / 3.0)));
    EXPECT_EQ(LO.lineLabelWidth, static_cast<std::int32_t>(platform::vbrt::Int(LO.charWidth / 2.0)));

    DrawStateReset(0);
    DefaultFontApply(standard, QStringLiteral("20"), standard);
    EXPECT_EQ(FontSizeIndex(CurrentFontColorState.fontCode), 200) << "the size asked for is the printer's font";
    EXPECT_EQ(LO.yAdjustAllow, atStandard.yAdjustAllow);
    EXPECT_EQ(LO.lineLabelWidth, atStandard.lineLabelWidth);
    DrawStateReset(0);
    DefaultFontApply(standard, standard, standard);
}

TEST_F(PadDrawRedrawTest, CascadingUsesTheMainWindowsArrangementWhenOneIsInstalled)
{
    openCanvases(2);
    PadDrawRefresh(-1);
    CanvasWindowsCascade();
    EXPECT_LT(Form(1).Left(), Form(2).Left()) << "each window one step right of the one before";
    EXPECT_LT(Form(1).Top(), Form(2).Top());

    int cascades = 0;
    SetCanvasCascadeHandler([&] { ++cascades; });
    CanvasWindowsCascade();
    SetCanvasCascadeHandler({});
    EXPECT_EQ(cascades, 1);
}

TEST_F(PadDrawRedrawTest, EverySampleOpensIntoItsCanvasesAndPaints)
{
    int count = 0;
    for (const QString& sample : testsupport::SampleDocuments()) {
        SCOPED_TRACE(sample.toStdString());
        ++count;
        CanvasSizeLoad();
        open(sample);
        ASSERT_GT(B.size(), 1u);
        PadDrawRefresh(-1);
        for (std::int16_t c = 1; c < static_cast<std::int16_t>(B.size()); ++c) {
            SCOPED_TRACE(c);
            EXPECT_EQ(Canvas(c).header.state, CanvasState::Open);
            EXPECT_TRUE(Arranged(c));
            CanvasForm& form = Form(c);
            form.Form_Activate();  // ends the hold-off
            form.PaintEventRelease(true);
            EXPECT_GT(PaintedPixels(form), 20) << "the chart is drawn";
        }
    }
    EXPECT_GE(count, 2);
}

} // namespace
} // namespace paddraw_test
