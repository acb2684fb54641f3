// Canvas slots, the canvas size from the ini file, the stacking order of canvas windows and
// closing the box editors open on canvases.
#include "support/Workspace.h"
#include "app/canvas/PageSetting.h"

#include "app/canvas/CanvasForm.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/FontAndColor.h"
#include "app/core/ApplicationGlobals.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/textmeasure/TextMeasure.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vellumora;
namespace msgbox = platform::msgbox;

namespace {

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class PageSettingTest : public testsupport::TempFolder {
protected:
    void SetUp() override
    {
        // The program's own ini file gives the colours and fonts a canvas is set up with.
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        startServices(read(QStringLiteral(VELLUMORA_SOURCE_DIR "/config/Vellumora.ini")));
        platform::textmeasure::UseFakeTextMeasurer(true);
        FontAndColorLoad();
        B.assign(1, CanvasRecord{});
        msgbox::ClearQueue();
        msgbox::ShownBoxes().clear();
    }
    void TearDown() override
    {
        for (CanvasRecord& c : B)
            delete c.form.data();
        FlushDeletes();
        BasicDefineTerminate();
        platform::textmeasure::UseFakeTextMeasurer(false);
    }

    void startServices(const QByteArray& ini)
    {
        write(QStringLiteral("vellumora.ini"), ini);
        SetApplicationObject(path(), QStringLiteral("vellumora"));
        BasicDefineInitialize();
    }

    // A canvas slot with a window, as the document loader makes it.
    std::int16_t addCanvas(std::int32_t kind = 0) { return CanvasSlotSetup(-1, kind); }

    // An editor window open on box 1 (or sub line 1) of the canvas.
    QPointer<QWidget> openBoxEditor(std::int16_t canvas, std::int16_t bit)
    {
        auto& boxes = B[canvas].BoxList;
        if (boxes.size() < 2)
            boxes.resize(2);
        boxes[1].flags |= bit;
        QPointer<QWidget>& slot = bit == BoxFlag::ModifyEditorOpen ? boxes[1].modifyEditor
                                  : bit == BoxFlag::BeforeEditorOpen ? boxes[1].beforeEditor
                                                                     : boxes[1].afterEditor;
        slot = new QWidget;
        return slot;
    }
    QPointer<QWidget> openSubEditor(std::int16_t canvas)
    {
        auto& subs = B[canvas].SubList;
        if (subs.size() < 2)
            subs.resize(2);
        subs[1].flags |= SubFlag::UpperEditorOpen;
        subs[1].upperEditor = new QWidget;
        return subs[1].upperEditor;
    }
};

TEST(LayoutGaps, FollowTheMeasuredCharacter)
{
    struct Row {
        const char* why;
        std::int32_t w, h;
        std::array<std::int32_t, 7> gaps; // horizontal, vertical, label height, sub label width, mark, block h, block v
    };
    const Row rows[] = {
        {"a small font keeps the 50-twip minimum", 20, 40, {50, 50, 30, 33, 40, 50, 50}},
        {"fractions round down", 30, 61, {60, 61, 36, 40, 48, 60, 61}},
        {"a wide character", 100, 20, {200, 50, 30, 133, 40, 200, 50}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        LayoutConstants lo;
        lo.charWidth = row.w;
        lo.charHeight = row.h;
        LayoutGapsSet(lo);
        EXPECT_EQ((std::array{lo.horizontalGap, lo.verticalGap, lo.lineLabelHeight, lo.subLineLabelWidth,
                              lo.newPageMark, lo.blockHorizontalGap, lo.blockVerticalGap}),
                  row.gaps);
    }
}

TEST_F(PageSettingTest, CanvasSizeComesFromTheIniFileAndBadValuesGiveZero)
{
    struct Row {
        const char* why;
        const char* section;
        CanvasSizeRecord expected;
    };
    const Row rows[] = {
        {"one centimetre", "LeftSpace=1\n", {0, 0, 566, 0, 0, 0}},
        {"every key; a broken one gives 0, the rest are read",
         "Width=21\nHeight=29.7\nLeftSpace=abc\nRightSpace=0.5\nTopSpace=2.54\nBottomSpace= 3 \n",
         {11905, 16837, 0, 283, 1439, 1700}},
        {"a value too large for twips gives 0", "Width=1e30\nHeight=\n", {0, 0, 0, 0, 0, 0}},
        {"no section at all", "", {0, 0, 0, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        QByteArray ini = "[Equipment]\nRegistryName=VellumoraTest\n";
        if (*row.section)
            ini += QByteArray("[CanvasSize]\n") + row.section;
        startServices(ini);
        CanvasSize = CanvasSizeRecord{1, 1, 1, 1, 1, 1};
        CanvasSizeLoad();
        EXPECT_EQ(CanvasSize, row.expected);
    }
}

TEST_F(PageSettingTest, ANewSlotGetsItsWindowNumberStampAndKind)
{
    for (int i = 0; i < 3; ++i)
        addCanvas();
    const std::int16_t n = CanvasSlotSetup(-1, 0x7FFFFF);
    ASSERT_EQ(n, 4);
    ASSERT_EQ(B.size(), 5u);
    const CanvasHeader& header = B[4].header;
    EXPECT_EQ(header.number, 4);
    EXPECT_EQ(header.activateStamp, -4);
    EXPECT_EQ(header.kindFlags, 0x7C000);
    EXPECT_EQ(header.firstBox, -1);
    EXPECT_EQ(header.windowState, -1);
    ASSERT_TRUE(B[4].form);
    EXPECT_EQ(B[4].form->GetCanvasIndex(), 4);
    EXPECT_FALSE(B[4].form->timRefresh->isActive()) << "a loaded window is active at once, without hold-off";
    EXPECT_FALSE(B[0].form) << "the print work copy gets no window";
}

TEST_F(PageSettingTest, SettingUpAnExistingSlotKeepsItsWindowAndNameAndClosesEditorsSilently)
{
    for (int i = 0; i < 3; ++i)
        addCanvas(0x4000);
    CanvasForm* window = CanvasWindowOf(B[2]);
    B[2].header.name = QStringLiteral("二番目");
    const QPointer<QWidget> editor = openBoxEditor(2, BoxFlag::ModifyEditorOpen);
    const QPointer<QWidget> other = openBoxEditor(3, BoxFlag::ModifyEditorOpen);

    EXPECT_EQ(CanvasSlotSetup(2, 0), 2);
    FlushDeletes();
    EXPECT_EQ(B[2].form.data(), window);
    EXPECT_EQ(B[2].header.name, QStringLiteral("二番目"));
    EXPECT_EQ(B[2].header.number, 2);
    EXPECT_EQ(B[2].header.activateStamp, -2);
    EXPECT_EQ(B[2].header.kindFlags, 0);
    EXPECT_LE(B[2].BoxList.size(), 1u) << "the box list is cleared";
    EXPECT_FALSE(editor) << "the editor on the canvas was closed";
    EXPECT_TRUE(other) << "editors of other canvases stay open";
    EXPECT_TRUE(msgbox::ShownBoxes().empty()) << "without asking";
    delete other.data();
}

TEST_F(PageSettingTest, UnloadingControlsKeepsElementZeroAndUnloadingTheWindowForgetsIt)
{
    const std::int16_t c = addCanvas();
    CanvasForm* form = CanvasWindowOf(B[c]);
    form->lblBox.Load(1);
    form->lblBox.Load(5);
    form->linSubUpper.Load(2);
    CanvasControlsUnload(c, false);
    EXPECT_FALSE(form->lblBox.IsLoaded(1));
    EXPECT_FALSE(form->lblBox.IsLoaded(5));
    EXPECT_FALSE(form->linSubUpper.IsLoaded(2));
    EXPECT_TRUE(form->lblBox.IsLoaded(0));
    EXPECT_TRUE(form->AutoRedraw()) << "the window keeps its drawing until painting is released";

    const QPointer<CanvasForm> watch = form;
    CanvasControlsUnload(c, true);
    EXPECT_FALSE(B[c].form);
    FlushDeletes();
    EXPECT_FALSE(watch) << "the window is gone";

    CanvasControlsUnload(c, true); // no window: nothing happens
}

TEST_F(PageSettingTest, RestoringTheOrderStacksByStampAndRenumbers)
{
    testsupport::Workspace main;
    QMdiArea* workspace = main.workspace;
    main.show();
    for (int i = 0; i < 4; ++i) {
        addCanvas();
        B.back().form->Show();
    }
    B[4].form->SetVisible(false);
    const std::int16_t stamps[] = {0, 3, -1, 2, 5};
    for (std::int16_t c = 1; c <= 4; ++c)
        B[c].header.activateStamp = stamps[c];

    CanvasOrderInitialize();
    CanvasOrderSave();
    CanvasOrderRestore();

    EXPECT_EQ(B[1].header.activateStamp, 3);
    EXPECT_EQ(B[2].header.activateStamp, 1);
    EXPECT_EQ(B[3].header.activateStamp, 2);
    EXPECT_EQ(B[4].header.activateStamp, 4) << "a hidden window is not raised but still stamped";
    EXPECT_EQ(CanvasActivateCount, 4);

    std::vector<QWidget*> expected;
    for (std::int16_t c : {2, 3, 1})
        expected.push_back(B[c].form->parentWidget());
    std::vector<QWidget*> stacked;
    for (QMdiSubWindow* sub : workspace->subWindowList(QMdiArea::StackingOrder))
        if (sub->isVisible())
            stacked.push_back(sub);
    EXPECT_EQ(stacked, expected) << "canvas 1, with the highest stamp, ends on top";
    CanvasOrderReset();
    EXPECT_TRUE(CanvasOrder.empty());
}

TEST_F(PageSettingTest, StampsThatWouldOverflowAreRenumberedInOrder)
{
    for (int i = 0; i < 3; ++i)
        addCanvas();
    B[1].header.activateStamp = 32767;
    B[2].header.activateStamp = 5;
    B[3].header.activateStamp = 100;
    CanvasActivateCount = 32767;
    CanvasActivateStamp(2);
    EXPECT_EQ(B[2].header.activateStamp, 4);
    EXPECT_EQ(B[3].header.activateStamp, 2);
    EXPECT_EQ(B[1].header.activateStamp, 3) << "the order among the others is kept";
    EXPECT_EQ(CanvasActivateCount, 4);
}

TEST_F(PageSettingTest, OpenEditorsCloseAfterOneQuestion)
{
    for (int i = 0; i < 2; ++i)
        addCanvas();
    struct Row {
        const char* why;
        bool ask;
        std::int16_t canvas;
        std::vector<std::int16_t> answers;
        bool refused;
        std::size_t questions;
        bool firstOpen, secondOpen, thirdOpen; // canvas 1 box, canvas 1 sub line, canvas 2 box
    };
    const Row rows[] = {
        {"Yes closes every editor", true, -1, {msgbox::Answer::Yes}, false, 1, false, false, false},
        {"No closes none", true, -1, {msgbox::Answer::No}, true, 1, true, true, true},
        {"silently on one canvas", false, 1, {}, false, 0, false, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        msgbox::ShownBoxes().clear();
        const QPointer<QWidget> first = openBoxEditor(1, BoxFlag::AfterEditorOpen);
        const QPointer<QWidget> second = openSubEditor(1);
        const QPointer<QWidget> third = openBoxEditor(2, BoxFlag::ModifyEditorOpen);
        for (std::int16_t answer : row.answers)
            msgbox::QueueAnswer(answer);

        EXPECT_EQ(BoxEditorCloseCheck(row.ask, row.canvas), row.refused);
        FlushDeletes();
        EXPECT_EQ(msgbox::ShownBoxes().size(), row.questions);
        EXPECT_EQ(bool(first), row.firstOpen);
        EXPECT_EQ(bool(second), row.secondOpen);
        EXPECT_EQ(bool(third), row.thirdOpen);
        EXPECT_EQ((B[1].BoxList[1].flags & BoxFlag::AfterEditorOpen) != 0, row.firstOpen);
        EXPECT_EQ((B[1].SubList[1].flags & SubFlag::UpperEditorOpen) != 0, row.secondOpen);
        for (const QPointer<QWidget>& editor : {first, second, third})
            delete editor.data();
        B[1].BoxList[1] = BoxRecord{};
        B[1].SubList[1] = SubRecord{};
        B[2].BoxList[1] = BoxRecord{};
    }
    msgbox::ShownBoxes().clear();
    EXPECT_FALSE(BoxEditorCloseCheck(true, -1)) << "no editor open";
    EXPECT_TRUE(msgbox::ShownBoxes().empty());
}

} // namespace
