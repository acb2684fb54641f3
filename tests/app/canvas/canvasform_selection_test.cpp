// Selecting parts of a small canvas through the window's own mouse entry points: which parts
// end up selected and framed, what the commands may do with them, and range selection.
#include "app/canvas/CanvasForm.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/DiagramRecords.h"

#include <QAction>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace vellumora;

namespace {

// Kinds of parts.
constexpr std::int32_t Box = 1, Line = 2, EndLine = 3, SubLine = 4;
constexpr int Left = 1, Right = 2;
constexpr int NoKey = 0, ShiftKey = 1, CtrlKey = 2;

// What the selection allows, and the part single-part commands work on.
struct Allowed {
    bool copy, editor, font, chink, connect, newPage;
    std::int16_t target;
    friend bool operator==(const Allowed&, const Allowed&) = default;
};

struct Click {
    std::int32_t kind;
    std::int16_t index;
    int button = Left;
    int shift = NoKey;
};

// A canvas of five boxes: the top chain 1, 2 (a chink box: the line into 3 is cut), 3; box 3
// owns sub lines 1 and 2 with boxes 4 and 5 below them, and the empty sub line 3. Box 1 is no
// routine, so the line above the top chain may get a routine above it.
class SelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        B.assign(2, CanvasRecord{});
        B[1].header.state = 2;
        B[1].form = &form;
        form.SetCanvasIndex(1);
        form.timRefresh->stop();
        CanvasForm::SetCanvasPainter([](std::int16_t) {});
        CanvasForm::SetPopupRunner([this](QMenu* menu, const QPoint&) { shownMenus.push_back(menu); });

        auto& boxes = B[1].BoxList;
        boxes.assign(6, BoxRecord{});
        const auto box = [&](std::int16_t i, std::int32_t tag, std::int16_t upper, std::int16_t before) {
            boxes[i].tagType = tag;
            boxes[i].upper = upper;
            boxes[i].before = before;
            boxes[i].fontCode = 100 + i;
            boxes[i].colorCode = 200 + i;
        };
        box(1, 5, 0, -1);
        box(2, 21, 0, 1);
        box(3, 10, 0, 2);
        box(4, 5, 1, -1);
        box(5, 5, 2, -1);
        auto& subs = B[1].SubList;
        subs.assign(4, SubRecord{});
        subs[0].flags = SubFlag::PlacementMark8;
        subs[0].last = 3;
        subs[1].upper = 3, subs[1].last = 4, subs[1].flags = 0;
        subs[2].upper = 3, subs[2].last = 5, subs[2].flags = 0;
        subs[3].upper = 3, subs[3].last = -1, subs[3].flags = SubFlag::EmptyLine;

        for (std::int16_t i = 1; i <= 5; ++i) {
            for (CanvasLabelArray* labels : {&form.lblBox, &form.lblLine})
                labels->Load(i);
            for (CanvasLineArray* lines : {&form.linBoxLeft, &form.linBoxRight, &form.linBoxUpper, &form.linBoxLower})
                lines->Load(i);
            place(form.lblBox[i], 1500 * i, 1500, 900, 450);
            place(form.lblLine[i], 1500 * i + 400, 1000, 100, 450);
        }
        for (std::int16_t s = 0; s <= 3; ++s) {
            if (s > 0) {
                for (CanvasLabelArray* labels : {&form.lblSubLine1, &form.lblSubLine2})
                    labels->Load(s);
                for (CanvasLineArray* lines : {&form.linSubLeft, &form.linSubRight, &form.linSubUpper, &form.linSubLower})
                    lines->Load(s);
            }
            place(form.lblSubLine1[s], 1500 * s + 400, 3000, 100, 300);
            place(form.lblSubLine2[s], 1500 * s + 100, 4000, 800, 100);
        }
    }
    void TearDown() override
    {
        CanvasForm::SetCanvasPainter({});
        CanvasForm::SetPopupRunner({});
        B.clear();
    }

    static void place(CanvasLabel& label, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
    {
        label.Left = left, label.Top = top, label.Width = width, label.Height = height, label.Visible = true;
    }

    // A click on a part as the window delivers it: press, release inside, click.
    void click(const Click& c)
    {
        form.Parts_MouseDown(c.kind, c.index, c.button, c.shift, 10, 10);
        form.Parts_MouseUp(c.kind, c.index, c.button, c.shift, 10, 10);
        form.Parts_Click(c.kind, c.index);
    }

    bool framed(std::int32_t kind, std::int16_t index) const
    {
        const CanvasLineArray& line = kind <= 2 ? form.linBoxLeft : form.linSubLeft;
        return std::as_const(line)[index].Visible;
    }

    CanvasForm form;
    std::vector<QMenu*> shownMenus;
};

TEST_F(SelectionTest, ClicksSelectAddToggleAndReplaceByFamily)
{
    struct Row {
        const char* why;
        std::vector<Click> clicks;
        std::vector<LockPartsRecord> listed;
        std::int32_t kind;
    };
    const Row rows[] = {
        {"a plain click selects", {{Box, 1}}, {{Box, 1}}, Box},
        {"a plain click replaces", {{Box, 1}, {Box, 3}}, {{Box, 3}}, Box},
        {"a plain click on the only selected part keeps it", {{Box, 1}, {Box, 1}}, {{Box, 1}}, Box},
        {"Shift adds within a family", {{Box, 1}, {Box, 4, Left, ShiftKey}}, {{Box, 1}, {Box, 4}}, Box},
        {"Shift on a selected part takes it off", {{Box, 1}, {Box, 4, Left, ShiftKey}, {Box, 4, Left, ShiftKey}},
         {{Box, 1}}, Box},
        {"Shift on the last selected part clears", {{Box, 1}, {Box, 1, Left, ShiftKey}}, {}, 0},
        {"another family replaces", {{Box, 1}, {Line, 3, Left, ShiftKey}}, {{Line, 3}}, Line},
        {"an end line joins vertical lines", {{Line, 3}, {EndLine, 1, Left, ShiftKey}}, {{Line, 3}, {EndLine, 1}},
         Line},
        {"sub lines add to sub lines", {{SubLine, 1}, {SubLine, 2, Left, ShiftKey}}, {{SubLine, 1}, {SubLine, 2}},
         SubLine},
        {"Shift+right changes nothing", {{Box, 1}, {Box, 3, Right, ShiftKey}}, {{Box, 1}}, Box},
        {"Ctrl+Shift changes nothing", {{Box, 1}, {Box, 3, Left, CtrlKey | ShiftKey}}, {{Box, 1}}, Box},
        {"on, off and on again lists a part once",
         {{Box, 1}, {Box, 4, Left, ShiftKey}, {Box, 4, Left, ShiftKey}, {Box, 4, Left, ShiftKey}},
         {{Box, 1}, {Box, 4}}, Box},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        form.PartsLock();
        for (const Click& c : row.clicks)
            click(c);
        EXPECT_EQ(form.LockPartsList(), row.listed);
        EXPECT_EQ(form.LockPartsKind, row.kind);
        EXPECT_EQ(B[1].header.partsLock != 0, !row.listed.empty());
        for (const LockPartsRecord& part : row.listed)
            EXPECT_TRUE(framed(part.partsKind, part.partsIndex)) << part.partsKind << ":" << part.partsIndex;
        EXPECT_TRUE(shownMenus.empty());
    }
    form.PartsLock();
    EXPECT_TRUE(form.LockPartsList().empty());
    EXPECT_FALSE(framed(Box, 1));
    EXPECT_EQ(B[1].header.partsLock, 0);
}

TEST_F(SelectionTest, APartFoundTwiceIsListedOnce)
{
    // The search frames a found box with visibleForce; framing it again must not list it twice,
    // or a command that frees the listed parts would free it twice.
    form.PartsLock(Box, 3, 0, true);
    form.PartsLock(Box, 3, 1, true);
    form.PartsLockMenuSet(0, -1);
    EXPECT_EQ(form.LockPartsList(), (std::vector<LockPartsRecord>{{Box, 3}}));
    EXPECT_TRUE(framed(Box, 3));
}

TEST_F(SelectionTest, WhatTheSelectionAllows)
{
    struct Row {
        const char* why;
        std::vector<Click> clicks;
        std::function<void()> prepare;
        Allowed allowed;
    };
    auto& boxes = B[1].BoxList;
    auto& subs = B[1].SubList;
    const Row rows[] = {
        {"one box", {{Box, 1}}, {}, {true, true, true, false, false, false, 1}},
        {"two boxes of one chain", {{Box, 1}, {Box, 3, Left, ShiftKey}}, {}, {true, false, true, false, false, false, 3}},
        {"two boxes of different chains", {{Box, 1}, {Box, 4, Left, ShiftKey}}, {},
         {false, false, true, false, false, false, 4}},
        {"the line into the first box of a chain", {{Line, 1}}, {}, {false, true, false, true, false, false, 1}},
        {"the line below a chink box", {{Line, 3}}, {}, {false, true, false, true, true, true, 3}},
        {"the line into a chink box", {{Line, 2}}, {}, {false, true, false, false, false, true, 2}},
        {"a line marked uncuttable and unjoinable", {{Line, 3}},
         [&] { boxes[3].flags |= BoxFlag::FollowsChink | BoxFlag::ChainHead; },
         {false, true, false, false, false, true, 3}},
        {"the line into a deleted box", {{Line, 3}}, [&] { boxes[3].flags |= BoxFlag::Temporary; },
         {false, false, false, false, false, false, 3}},
        {"two lines", {{Line, 3}, {Line, 1, Left, ShiftKey}}, {}, {false, false, false, false, false, false, 1}},
        {"the end line of a sub chain works on its last box", {{EndLine, 2}}, {},
         {false, true, false, false, false, false, 5}},
        {"a sub line with boxes below", {{SubLine, 1}}, {}, {true, false, true, false, false, true, 1}},
        {"two sub lines of one box", {{SubLine, 1}, {SubLine, 2, Left, ShiftKey}}, {},
         {true, false, true, false, false, false, 2}},
        {"sub lines of different boxes", {{SubLine, 1}, {SubLine, 2, Left, ShiftKey}}, [&] { subs[2].upper = 4; },
         {false, false, true, false, false, false, 2}},
        {"an empty sub line", {{SubLine, 3}}, {}, {false, true, false, false, false, false, 3}},
        {"the line above the top chain", {{SubLine, 0}}, {}, {true, false, true, false, false, false, 0}},
    };
    const auto savedBoxes = boxes;
    const auto savedSubs = subs;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        boxes = savedBoxes;
        subs = savedSubs;
        if (row.prepare)
            row.prepare();
        form.PartsLock();
        for (const Click& c : row.clicks)
            click(c);
        const Allowed got{form.LockPartsCopyEnabled,    form.LockPartsEditorEnabled,  form.LockPartsFontEnabled,
                          form.LockPartsChinkEnabled,   form.LockPartsConnectEnabled, form.LockPartsNewPageEnabled,
                          form.LockPartsTargetIndex()};
        EXPECT_EQ(got, row.allowed) << "copy " << got.copy << " editor " << got.editor << " font " << got.font
                                    << " chink " << got.chink << " connect " << got.connect << " page " << got.newPage
                                    << " target " << got.target;
    }
    form.PartsLock();
    click({Box, 3});
    EXPECT_EQ(form.LockPartsFontCode, 103);
    EXPECT_EQ(form.LockPartsColorCode, 203);
}

TEST_F(SelectionTest, PopupsOpenOnTheirPartsWithTheirItemsEnabled)
{
    B[1].BoxList[3].flags |= BoxFlag::LowerPage;
    click({Box, 1});
    // A popup on a part outside the selection works on that part alone, without a frame.
    click({Line, 3, Right});
    ASSERT_EQ(shownMenus.size(), 1u);
    EXPECT_EQ(shownMenus[0], form.Menus().Menu_VLine);
    EXPECT_EQ(form.LockPartsList(), (std::vector<LockPartsRecord>{{Line, 3}}));
    EXPECT_EQ(form.LockPartsKind, Line);
    EXPECT_FALSE(framed(Line, 3));
    EXPECT_FALSE(framed(Box, 1));
    EXPECT_EQ(form.LockPartsInsertSideText(), QStringLiteral("Before"));
    EXPECT_TRUE(form.Menus().Menu_VLineAdd->isEnabled());
    EXPECT_TRUE(form.Menus().Menu_VLineChink->isEnabled());
    EXPECT_TRUE(form.Menus().Menu_VLineConnect->isEnabled());
    EXPECT_TRUE(form.Menus().Menu_VLineNewPage->isEnabled());
    EXPECT_TRUE(form.Menus().Menu_VLineNewPage->isChecked()) << "the box below has a page break";
    EXPECT_FALSE(form.Menus().Menu_VLinePaste->isEnabled()) << "nothing was copied";

    // Ctrl+left opens the popup too; on a selected part the selection stays.
    click({Box, 1});
    click({Box, 4, Left, ShiftKey});
    click({Box, 4, Left, CtrlKey});
    ASSERT_EQ(shownMenus.size(), 2u);
    EXPECT_EQ(shownMenus[1], form.Menus().Menu_Box);
    EXPECT_EQ(form.LockPartsList(), (std::vector<LockPartsRecord>{{Box, 1}, {Box, 4}}));
    EXPECT_FALSE(form.Menus().Menu_BoxCut->isEnabled()) << "boxes of two chains";
    EXPECT_FALSE(form.Menus().Menu_BoxEditor->isEnabled());
    EXPECT_TRUE(form.Menus().Menu_BoxFontChange->isEnabled());

    click({EndLine, 2, Right});
    EXPECT_EQ(shownMenus.back(), form.Menus().Menu_VLine);
    EXPECT_EQ(form.LockPartsInsertSideText(), QStringLiteral("After"));

    click({SubLine, 3, Right});
    EXPECT_EQ(shownMenus.back(), form.Menus().Menu_HLine);
    EXPECT_TRUE(form.Menus().Menu_HLineAdd->isEnabled());
    EXPECT_FALSE(form.Menus().Menu_HLineCopy->isEnabled());
    EXPECT_FALSE(form.Menus().Menu_HLineNewPage->isChecked());

    // A right click on the background opens the canvas popup and keeps the selection.
    click({Box, 1});
    form.Form_MouseDown(Right, NoKey, 100, 100);
    form.Form_MouseUp(Right, NoKey, 100, 100);
    EXPECT_EQ(shownMenus.back(), form.Menus().Menu_Canvas);
    EXPECT_EQ(form.LockPartsList(), (std::vector<LockPartsRecord>{{Box, 1}}));
}

TEST_F(SelectionTest, RangeCrossTouchesEdgesButNotTheInside)
{
    CanvasLabel box;
    place(box, 1000, 1000, 600, 300);
    struct Row {
        const char* why;
        std::int32_t x1, y1, x2, y2;
        bool crosses;
    };
    const Row rows[] = {
        {"touching the left edge", 500, 900, 1000, 1400, true},
        {"touching the bottom edge, drawn upwards", 1200, 1500, 1300, 1300, true},
        {"covering the box", 0, 0, 3000, 3000, true},
        {"a band through the middle", 900, 1100, 1700, 1150, true},
        {"a band across, top to bottom", 1100, 900, 1150, 1400, true},
        {"wholly inside", 1100, 1050, 1200, 1100, false},
        {"beside it", 1601, 900, 2000, 1400, false},
        {"above it, drawn leftwards", 2000, 500, 500, 999, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const RangeEdges horizontal = {RangeEdge{row.x1, row.y1, row.x2, row.y1}, RangeEdge{row.x1, row.y2, row.x2, row.y2}};
        const RangeEdges vertical = {RangeEdge{row.x1, row.y1, row.x1, row.y2}, RangeEdge{row.x2, row.y1, row.x2, row.y2}};
        EXPECT_EQ(CanvasForm::RangeCross(horizontal, vertical, box), row.crosses);
    }
}

TEST_F(SelectionTest, RangeDragsOnTheBackground)
{
    const auto drag = [this](std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, bool move = true) {
        form.Form_MouseDown(Left, NoKey, x1, y1);
        if (move)
            form.Form_MouseMove(Left, NoKey, x2, y2);
        form.Form_MouseUp(Left, NoKey, x2, y2);
    };
    click({Line, 3});
    drag(100, 100, 100, 100, false);
    EXPECT_EQ(form.LockPartsList(), (std::vector<LockPartsRecord>{{Line, 3}})) << "a drag that does not move selects nothing";

    drag(1400, 1400, 4600, 1600);
    EXPECT_EQ(form.LockPartsList(), (std::vector<LockPartsRecord>{{Box, 1}, {Box, 2}, {Box, 3}}));
    EXPECT_TRUE(form.LockPartsCopyEnabled);
    EXPECT_FALSE(std::as_const(form.shpRange)[0].Visible) << "the rectangle goes with the release";

    drag(100, 100, 200, 200);
    EXPECT_TRUE(form.LockPartsList().empty()) << "a range crossing nothing clears";
    EXPECT_FALSE(ApplicationGlobals.PaintSuspended) << "painting is released after the drag";
}

TEST_F(SelectionTest, ADragFromAPartSelectsByRangeOnlyWhenReleasedOutsideIt)
{
    // Released inside the part it started on: a click on that part.
    form.Parts_MouseDown(Box, 1, Left, NoKey, 10, 10);
    form.Parts_MouseMove(Box, 1, Left, NoKey, 50, 20);
    form.Parts_MouseUp(Box, 1, Left, NoKey, 50, 20);
    form.Parts_Click(Box, 1);
    EXPECT_EQ(form.LockPartsList(), (std::vector<LockPartsRecord>{{Box, 1}}));

    // Dragged out to box 2: both are crossed.
    form.Parts_MouseDown(Box, 1, Left, NoKey, 10, 10);
    form.Parts_MouseMove(Box, 1, Left, NoKey, 1600, 200);
    EXPECT_TRUE(std::as_const(form.shpRange)[0].Visible);
    form.Parts_MouseUp(Box, 1, Left, NoKey, 1600, 200);
    EXPECT_EQ(form.LockPartsList(), (std::vector<LockPartsRecord>{{Box, 1}, {Box, 2}}));
}

TEST_F(SelectionTest, APaintDuringARangeDragLeavesTheDragAlone)
{
    form.Form_MouseDown(Left, NoKey, 1400, 1400);
    form.RefreshTimerRestart(); // the hold-off after a click is running
    form.Form_Paint();
    form.Form_MouseMove(Left, NoKey, 3000, 1600);
    const CanvasShape& range = std::as_const(form.shpRange)[0];
    EXPECT_TRUE(range.Visible);
    EXPECT_EQ(range.Width, 1600) << "the rectangle keeps following the pointer";
    form.Form_MouseUp(Left, NoKey, 3000, 1600);
    EXPECT_EQ(form.LockPartsList(), (std::vector<LockPartsRecord>{{Box, 1}, {Box, 2}}));
}

TEST_F(SelectionTest, AShiftDragOnTheBackgroundMovesTheWindow)
{
    click({Box, 1});
    const std::int32_t left = form.Left(), top = form.Top();
    form.Form_MouseDown(Left, ShiftKey, 100, 100);
    form.Form_MouseMove(Left, ShiftKey, 400, 250);
    form.Form_MouseUp(Left, ShiftKey, 400, 250);
    EXPECT_EQ(form.Left(), left + 300);
    EXPECT_EQ(form.Top(), top + 150);
    EXPECT_EQ(form.LockPartsList(), (std::vector<LockPartsRecord>{{Box, 1}})) << "no range drag with Shift";
    EXPECT_FALSE(std::as_const(form.shpRange)[0].Visible);
    EXPECT_FALSE(ApplicationGlobals.PaintSuspended);
}

TEST_F(SelectionTest, EscClearsTheSelectionAndEndsASlide)
{
    click({Box, 1});
    form.CanvasSlideStart(1);
    EXPECT_TRUE(form.timCanvasForm->isActive());
    int key = Qt::Key_Escape;
    form.Form_KeyDown(key, 0);
    EXPECT_TRUE(form.LockPartsList().empty());
    EXPECT_FALSE(framed(Box, 1));
    EXPECT_FALSE(form.timCanvasForm->isActive()) << "any key ends a slide";
}

TEST_F(SelectionTest, APaintInsideAPaintKeepsTheCanvasBusy)
{
    std::int16_t busyAfterInner = -1;
    CanvasForm::SetCanvasPainter([&](std::int16_t) {
        form.Form_Paint();
        busyAfterInner = B[1].header.busyCount;
    });
    form.Form_Paint();
    EXPECT_EQ(busyAfterInner, 1) << "the inner paint must not clear the outer one's busy mark";
    EXPECT_EQ(B[1].header.busyCount, 0);
    EXPECT_TRUE(form.PaintPending()) << "the inner paint waits for the outer one";
}

TEST_F(SelectionTest, SlidesStepUntilTheirCountRunsOut)
{
    form.CanvasSlideStart(2);
    EXPECT_EQ(form.SlideStepsLeft(), 0) << "no main window: no steps";
    const std::int32_t left = form.Left();
    form.timCanvasForm_Timer();
    EXPECT_GT(form.Left(), left) << "one step is made all the same";
    EXPECT_FALSE(form.timCanvasForm->isActive());
}

} // namespace
