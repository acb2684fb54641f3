// Canvas windows of an opened sample in the main window: an open cascades them, closing one
// (Ctrl+F4, not Ctrl+W) hides it and keeps its canvas, a click on a box frames it on screen, the
// focus names the current canvas, a window brings its menus and keys when it first comes in
// front, a window taken in comes in front, the window in front takes clicks and keys after a
// command hid or brought back a window, and it is the active one, named in the status bar, after
// the stacking order is restored.
#include "baseform_support.h"

#include "app/canvas/HistoryControl.h"
#include "app/core/EditState.h"
#include "app/dialogs/CanvasColor.h"
#include "app/dialogs/CanvasNameSetting.h"
#include "app/dialogs/FontSetting.h"
#include "app/dialogs/SearchReplace.h"
#include "app/shell/WorkspaceScroll.h"
#include "../diagram/search_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace {

using namespace baseform_test;

// Runs the action on the dialog of that kind once it is shown modally.
template <class Dialog>
void WhenShown(QObject* owner, std::function<void(Dialog&)> action)
{
    auto* poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            action(*dialog);
        }
    });
    poll->start(0);
}

class CanvasWindows : public BaseFormTest {
protected:
    void openSample()
    {
        showActive();
        cd::QueueFileName(SamplePath(QStringLiteral("order-summary.txt")));
        form().Menu_FileOpen_Click();
        ASSERT_GT(B.size(), 2u);
        ASSERT_EQ(shownCanvases().size(), B.size() - 1);
    }
    void saveAs(const QString& path)
    {
        cd::QueueFileName(path);
        form().Menu_FileSaveNamed_Click();
    }
    // The Close item of a canvas window's frame menu.
    static QAction* frameClose(CanvasForm* canvas)
    {
        const QList<QAction*> items = qobject_cast<QMdiSubWindow*>(canvas->parentWidget())->systemMenu()->actions();
        return items.isEmpty() ? nullptr : items.back();
    }
    // The first shown box of a canvas window.
    static std::int16_t firstBox(CanvasForm& canvas)
    {
        const CanvasLabelArray& boxes = canvas.lblBox;
        for (std::int16_t i = 1; i <= boxes.UBound(); ++i)
            if (boxes.IsLoaded(i) && boxes[i].Visible && boxes[i].Width > 300 && boxes[i].Height > 150)
                return i;
        return -1;
    }
};

TEST_F(CanvasWindows, ClosingACanvasWindowHidesItAndSaveStillWritesItsCanvas)
{
    openSample();
    const QString before = files_.filePath(QStringLiteral("before.txt"));
    const QString after = files_.filePath(QStringLiteral("after.txt"));
    saveAs(before);

    CanvasForm* first = shownCanvases()[0];
    const std::int16_t canvas = first->GetCanvasIndex();
    struct Row {
        const char* why;
        std::function<void()> close;
    };
    const Row rows[] = {
        {"the frame's close box", [&] { first->parentWidget()->close(); }},
        {"Ctrl+F4 on the window", [&] { QTest::keyClick(first, Qt::Key_F4, Qt::ControlModifier); }},
        {"the canvas popup's hide item", [&] { first->Menus().Menu_CanvasNonIndication->trigger(); }},
        {"the frame's own Close item", [&] { frameClose(first)->trigger(); }},
        {"Ctrl+F4 on the minimised frame in front",
         [&] {
             auto* frame = qobject_cast<QMdiSubWindow*>(first->parentWidget());
             frame->showMinimized();
             form().workspace->setActiveSubWindow(frame);
             ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == frame; }, 30000));
             QTest::keyClick(frame, Qt::Key_F4, Qt::ControlModifier);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        first->Show();
        first->SetWindowState(0);
        ASSERT_TRUE(first->Visible());
        row.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_FALSE(CanvasWindowOf(B[static_cast<std::size_t>(canvas)]) == nullptr) << "the window stays loaded";
        EXPECT_FALSE(first->Visible());
        EXPECT_EQ(B[static_cast<std::size_t>(canvas)].header.state, 2) << "the canvas stays open";
        EXPECT_TRUE(form().StatusPanelText(QStringLiteral("UnVisibleCanvas")).contains(first->Caption().section(':', 0, 0)));
        EXPECT_TRUE(FormEnabled(first)) << "a hidden window takes input again once shown";
    }

    saveAs(after);
    EXPECT_EQ(ReadAll(after), ReadAll(before)) << "the hidden canvas is saved with the others";
}

TEST_F(CanvasWindows, CtrlWLeavesACanvasWindowShownAndTheFrameMenuShowsCtrlF4)
{
    openSample();
    CanvasForm* front = shownCanvases()[0];
    form().workspace->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(front->parentWidget()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return front->hasFocus(); }, 30000));
    QTest::keyClick(front, Qt::Key_W, Qt::ControlModifier);
    EXPECT_TRUE(front->Visible());
    EXPECT_TRUE(frameClose(front)->text().endsWith(QStringLiteral("\tCtrl+F4")));
}

TEST_F(CanvasWindows, OpenCascadesTheWindowsInStackingOrderAndCountsThemPlaced)
{
    openSample();
    const int step = form().style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    const QList<QMdiSubWindow*> stacking = form().workspace->subWindowList(QMdiArea::StackingOrder);
    ASSERT_EQ(stacking.size(), static_cast<qsizetype>(shownCanvases().size()));
    for (int n = 0; n < stacking.size(); ++n) {
        EXPECT_EQ(stacking[n]->pos(), QPoint(n * step, n * step));
        // Qt places a window taken in later away from the placed ones.
        EXPECT_TRUE(stacking[n]->testAttribute(Qt::WA_Moved));
    }
}

TEST_F(CanvasWindows, AClickOnABoxFramesItInRed)
{
    openSample();
    // The second window, so that the click moves the focus to it.
    CanvasForm& canvas = *shownCanvases()[1];
    const std::int16_t box = firstBox(canvas);
    ASSERT_GT(box, 0);
    const CanvasLabel label = std::as_const(canvas.lblBox)[box];
    const QPoint centre((label.Left + label.Width / 2) / 15, (label.Top + label.Height / 2) / 15);

    ApplicationGlobals.CurrentCanvasIndex = 0;
    QTest::mouseClick(&canvas, Qt::LeftButton, Qt::NoModifier, centre);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !canvas.LockPartsList().empty(); }, 30000));
    EXPECT_EQ(canvas.LockPartsList(), (std::vector<LockPartsRecord>{{1, box}}));
    EXPECT_TRUE(canvas.LockPartsEditorEnabled);
    EXPECT_EQ(ApplicationGlobals.CurrentCanvasIndex, canvas.GetCanvasIndex()) << "the focus names the current canvas";

    // The frame lies 30 twips outside the box: look for red on each of its four sides.
    const QImage image = canvas.grab().toImage();
    const int left = (label.Left - 30) / 15, right = (label.Left + label.Width + 30) / 15;
    const int top = (label.Top - 30) / 15, bottom = (label.Top + label.Height + 30) / 15;
    const auto red = [&](int x, int y) {
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) {
                const QColor c = image.pixelColor(x + dx, y + dy);
                if (c.red() > 200 && c.green() < 80 && c.blue() < 80)
                    return true;
            }
        return false;
    };
    EXPECT_TRUE(red(left, (top + bottom) / 2));
    EXPECT_TRUE(red(right, (top + bottom) / 2));
    EXPECT_TRUE(red((left + right) / 2, top));
    EXPECT_TRUE(red((left + right) / 2, bottom));
    EXPECT_FALSE(red((left + right) / 2, (top + bottom) / 2)) << "only the outline is red";

    // Esc on the window clears it again.
    QTest::keyClick(&canvas, Qt::Key_Escape);
    EXPECT_TRUE(canvas.LockPartsList().empty());
}

TEST_F(CanvasWindows, AWindowOfTheOpenTakesTheEditKeysAndMenusOnceInFront)
{
    openSample();
    // Not the window in front: its menus and keys are made when it first comes forward.
    CanvasForm& canvas = *shownCanvases()[1];
    ASSERT_NE(form().ActiveForm(), &canvas);
    form().workspace->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(canvas.parentWidget()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return canvas.hasFocus(); }, 30000));

    QTest::keyClick(&canvas, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(canvas.LockPartsList().empty()) << "Ctrl+A selects every box";
    EXPECT_TRUE(form().Menu_Edit->actions().contains(canvas.Menus().Menu_EditALL)) << "the bar shows its Edit items";
    EXPECT_TRUE(form().menuBar()->actions().contains(canvas.Menus().Menu_Format->menuAction()));
}

TEST_F(CanvasWindows, AWindowTakenInComesInFrontUnderAWindowKeptOnTop)
{
    openSample();
    QMdiArea& workspace = *form().workspace;
    const auto frameOf = [](QWidget* window) { return qobject_cast<QMdiSubWindow*>(window->parentWidget()); };
    const auto stayOnTopItem = [](QMdiSubWindow* frame) {
        for (QAction* item : frame->systemMenu()->actions())
            if (item->isCheckable())
                return item;
        return static_cast<QAction*>(nullptr);
    };
    for (CanvasForm* canvas : shownCanvases()) {
        EXPECT_FALSE(frameOf(canvas)->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_FALSE(stayOnTopItem(frameOf(canvas))->isChecked());
    }

    auto* first = new QWidget;
    form().workspaceScroll->WindowAdd(first)->show();
    EXPECT_EQ(workspace.subWindowList(QMdiArea::StackingOrder).back(), frameOf(first)) << "the new window is in front";

    QMdiSubWindow* kept = frameOf(shownCanvases()[1]);
    stayOnTopItem(kept)->trigger();
    ASSERT_TRUE(kept->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    auto* second = new QWidget;
    form().workspaceScroll->WindowAdd(second)->show();
    const QList<QMdiSubWindow*> stacking = workspace.subWindowList(QMdiArea::StackingOrder);
    EXPECT_EQ(stacking.back(), kept) << "the window kept on top stays above";
    EXPECT_EQ(stacking[stacking.size() - 2], frameOf(second));
}

TEST_F(CanvasWindows, AfterACommandHidOrBroughtBackACanvasWindowTheWindowInFrontTakesClicksAndKeys)
{
    // Each row: a command that adds or closes a canvas, then undo and redo keys, each given to
    // the window that holds the focus; the command's own window is hidden by one of them.
    struct Row {
        const char* why;
        std::function<void()> command;
    };
    const Row rows[] = {
        {"canvas delete from the window's Edit menu",
         [&] { qobject_cast<CanvasForm*>(form().ActiveForm())->Menus().Menu_EditCanvasDelete->trigger(); }},
        {"canvas insert", [&] { form().Menu_EditCanvasInsertObstinate_Click(0); }},
        {"read in",
         [&] {
             cd::QueueFileName(SamplePath(QStringLiteral("module-structure.txt")));
             form().Menu_FileAddInput_Click();
         }},
    };
    QMenu* popup = nullptr;
    CanvasForm::SetPopupRunner([&](QMenu* menu, const QPoint&) { popup = menu; });
    // The window in front holds the focus and opens its popup for a right click.
    const auto frontTakesInput = [&] {
        CanvasForm* front = nullptr;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                front = qobject_cast<CanvasForm*>(form().ActiveForm());
                return front && QApplication::focusWidget() == front;
            },
            30000))
            << "the focus is in the window in front";
        for (CanvasForm* canvas : shownCanvases())
            EXPECT_TRUE(FormEnabled(canvas)) << canvas->Caption().toStdString();
        popup = nullptr;
        QTest::mouseClick(front, Qt::RightButton, Qt::NoModifier, QPoint(front->width() - 3, front->height() - 3));
        EXPECT_EQ(popup, front->Menus().Menu_Canvas) << "a right click opens the window's popup";
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SetModifyFlag(false);
        openSample();
        HistoryClear();
        row.command();
        ASSERT_EQ(History.HistoryIndex, 1);
        frontTakesInput();
        for (const bool undo : {true, false, true}) {
            SCOPED_TRACE(undo ? "undo" : "redo");
            QTest::keyClick(QApplication::focusWidget(), undo ? Qt::Key_Z : Qt::Key_Y, Qt::ControlModifier);
            ASSERT_EQ(History.HistoryIndex, undo ? 0 : 1) << "the key was taken";
            frontTakesInput();
        }
    }
    CanvasForm::SetPopupRunner({});
}

TEST_F(CanvasWindows, AfterTheStackingOrderIsRestoredTheWindowInFrontIsTheActiveOneAndNamed)
{
    const auto otherEntry = [](QComboBox* list) { list->setCurrentIndex(list->currentIndex() == 1 ? 2 : 1); };
    const auto noteToggle = [this] { qobject_cast<CanvasForm*>(form().ActiveForm())->Menu_FormatNoteNotShow_Click(); };
    struct Row {
        const char* why;
        std::function<void()> prepare;
        std::function<void(CanvasForm&)> command;
        // A click brings the window at the back forward first; else the front one stays active.
        bool backForward = true;
    };
    const Row rows[] = {
        {"default font", {},
         [&](CanvasForm& window) {
             WhenShown<FontSetting>(&form(), [&](FontSetting& d) {
                 otherEntry(d.cmbColor);
                 d.cmdUpdate_Click();
             });
             window.Menus().Menu_FormatFont->trigger();
         }},
        {"canvas colour", {},
         [&](CanvasForm& window) {
             WhenShown<CanvasColor>(&form(), [&](CanvasColor& d) {
                 otherEntry(d.cmbColor);
                 d.cmdUpdate_Click();
             });
             window.Menus().Menu_FormatCanvasColor->trigger();
         }},
        {"undo", noteToggle, [](CanvasForm& window) { window.Menu_EditUndo_Click(); }},
        {"undo, the second canvas in front and active before and after",
         [&] {
             B[2].header.activateStamp = 100;
             form().workspace->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(CanvasWindowOf(B[2])->parentWidget()));
             noteToggle();
         },
         [](CanvasForm& window) { window.Menu_EditUndo_Click(); }, false},
        {"undo of a step of the canvas behind the window in front",
         [] {
             SetModifyFlag(true);
             HistoryAdd(QStringLiteral("編集(&E)"), 2);
         },
         [](CanvasForm& window) { window.Menu_EditUndo_Click(); }, false},
        {"redo",
         [&] {
             noteToggle();
             qobject_cast<CanvasForm*>(form().ActiveForm())->Menu_EditUndo_Click();
         },
         [](CanvasForm& window) { window.Menu_EditRedo_Click(); }},
        {"read in", {},
         [&](CanvasForm&) {
             cd::QueueFileName(SamplePath(QStringLiteral("module-structure.txt")));
             form().Menu_FileAddInput_Click();
         }},
        {"replace all, the dialog still open", {},
         [&](CanvasForm&) {
             form().Menu_EditReplace_Click();
             auto* dialog = form().findChild<SearchReplace*>();
             ASSERT_TRUE(dialog);
             dialog->cmbSearchText->setEditText(QStringLiteral("合計"));
             dialog->cmbReplaceText->setEditText(QStringLiteral("総計"));
             QTest::mouseClick(dialog->cmdReplaceAll, Qt::LeftButton);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        SetModifyFlag(false);
        openSample();
        HistoryClear();
        if (row.prepare)
            row.prepare();
        // A click brings the window at the back forward: in front and active, yet its stamp is
        // the oldest, so a restore puts it behind the others again. Or the window in front is
        // the active one and stays in front, while the redraw arranged another canvas last.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QList<QMdiSubWindow*> stacked = form().workspace->subWindowList(QMdiArea::StackingOrder);
        QMdiSubWindow* const frame = row.backForward ? stacked.front() : stacked.back();
        auto* window = qobject_cast<CanvasForm*>(frame->widget());
        form().workspace->setActiveSubWindow(frame);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->hasFocus(); }, 30000));

        row.command(*window);
        QWidget* top = nullptr;
        for (QMdiSubWindow* sub : form().workspace->subWindowList(QMdiArea::StackingOrder))
            if (!sub->isHidden() && !sub->isMinimized())
                top = sub->widget();
        ASSERT_TRUE(top);
        EXPECT_EQ(form().ActiveForm(), top) << top->windowTitle().toStdString();
        EXPECT_EQ(form().focusWidget(), top) << "the window in front holds the focus";
        EXPECT_EQ(form().StatusPanelText(QStringLiteral("FocusCanvas")).toStdString(), top->windowTitle().toStdString())
            << "the status bar names the window in front";

        if (auto* dialog = form().findChild<SearchReplace*>())
            dialog->cmdCancel_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(CanvasWindows, ANameWithAPastedLineBreakSurvivesUndoRedoSaveAndReopen)
{
    openSample();
    const QString saved = files_.filePath(QStringLiteral("renamed.txt"));
    saveAs(saved);
    CanvasForm& canvas = *shownCanvases()[0];
    const std::size_t c = static_cast<std::size_t>(canvas.GetCanvasIndex());
    const QString boxes = search_test::DocumentText();
    const QString old = B[c].header.name;

    // Pasted as a text editor gives it, its second and third lines a tag and a comment.
    WhenShown<CanvasNameSetting>(&form(), [](CanvasNameSetting& dialog) {
        QGuiApplication::clipboard()->setText(QStringLiteral("main\n&&end-routine\n#1"));
        dialog.txtCanvasName->selectAll();
        dialog.txtCanvasName->paste();
        dialog.cmdUpdate->click();
        if (dialog.isVisible())
            dialog.cmdCancel->click();
    });
    canvas.Menus().Menu_FormatCanvasName->trigger();
    const QString name = QStringLiteral("main &&end-routine #1");
    EXPECT_EQ(B[c].header.name, name);

    form().Menu_EditUndo_Click();
    EXPECT_EQ(B[c].header.name, old);
    EXPECT_EQ(search_test::DocumentText(), boxes);
    form().Menu_EditRedo_Click();
    EXPECT_EQ(B[c].header.name, name);
    EXPECT_EQ(search_test::DocumentText(), boxes) << "the redone rename gives every box back";

    form().Menu_FileSaveOverWrite_Click();
    EXPECT_FALSE(GetModifyFlag());
    cd::QueueFileName(saved);
    form().Menu_FileOpen_Click();
    EXPECT_TRUE(prompts().empty()) << prompts().front().toStdString();
    ASSERT_GT(B.size(), c);
    EXPECT_EQ(B[c].header.name, name);
    EXPECT_EQ(search_test::DocumentText(), boxes) << "the saved document opens with every box";
}

TEST_F(CanvasWindows, SlidesStepByTheMainWindowsSize)
{
    openSample();
    form().resize(800, 600); // 12000 by 9000 twips
    CanvasForm& canvas = *shownCanvases()[0];
    canvas.Menus().Menu_CanvasLeft->trigger();
    EXPECT_EQ(canvas.SlideStepsLeft(), 120);
    EXPECT_TRUE(canvas.timCanvasForm->isActive());
    const std::int32_t left = canvas.Left();
    canvas.timCanvasForm_Timer();
    EXPECT_LT(canvas.Left(), left);
    EXPECT_EQ(canvas.SlideStepsLeft(), 119);
    canvas.Menus().Menu_CanvasDown3->trigger();
    EXPECT_EQ(canvas.SlideStepsLeft(), 30) << "a new slide replaces the count";
    QTest::keyClick(&canvas, Qt::Key_Shift);
    EXPECT_FALSE(canvas.timCanvasForm->isActive()) << "any key stops a slide";
}

} // namespace
