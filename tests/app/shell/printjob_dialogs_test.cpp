// The print job through its dialogs: progress and cancel, the print dialog's ranges and outputs,
// and the print-settings dialog's fields, checks and Update.
#include "../canvas/canvas_windows.h"

#include "app/canvas/CopyAndPaste.h"
#include "app/canvas/HistoryControl.h"
#include "app/core/CanvasSurface.h"
#include "app/core/EditState.h"
#include "app/core/PrintRecords.h"
#include "app/core/Processing.h"
#include "app/core/Utilities.h"
#include "app/diagram/PadUtilities.h"
#include "app/print/PrintCanvas.h"
#include "app/print/PrintJob.h"
#include "app/print/PrintLayout.h"
#include "app/print/PrintSetting.h"
#include "app/diagram/ReportSetting.h"
#include "app/print/WaitScreen.h"
#include "platform/commondialog/CommonDialog.h"
#include "platform/report/Report.h"
#include "support/ModalDialog.h"
#include "support/PdfTools.h"
#include "support/ShellFakeServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace paddraw_test {
namespace {

QStringList Prompts()
{
    QStringList prompts;
    for (const auto& box : platform::msgbox::ShownBoxes())
        prompts << box.prompt;
    return prompts;
}

// Files of this process's work folder whose names carry the draw work files' part.
QStringList DrawWorkFiles()
{
    const QFileInfo prefix(TemporaryFilePrefix());
    QStringList found;
    for (const QString& name : prefix.dir().entryList(QDir::Files))
        if (name.startsWith(prefix.fileName()) && name.contains(QStringLiteral("draw")))
            found << name;
    return found;
}

TEST(WaitScreenProgress, PositionsRunOverTheCanvasesAndLongJobsAreScaledIntoTheBar)
{
    B.assign(4, CanvasRecord{});
    B[1].header.boxCount = 10;
    B[2].header.boxCount = 0;
    B[3].header.boxCount = 7;
    WaitScreen wait;
    wait.ProgressPrepare({1, 2, 3});
    EXPECT_EQ(wait.ProgressStarts(), (std::vector<std::int32_t>{0, 15, 20}));
    EXPECT_EQ(wait.ProgressMaximum(), 33);

    RW.canvas = 2;
    for (std::int16_t step = 1; step <= 5; ++step) {
        EXPECT_FALSE(wait.OtherBoxProgress(step));
        EXPECT_EQ(wait.ProgressPosition(), 15 + step);
    }
    RW.canvas = 3;
    wait.BoxProgress(4);
    EXPECT_EQ(wait.ProgressMessage(), QStringLiteral("24 / 33"));
    wait.BoxProgress(2);
    EXPECT_EQ(wait.ProgressPosition(), 24) << "the bar never moves back";
    EXPECT_EQ(wait.ProgressMessage(), QStringLiteral("22 / 33")) << "but the text shows the number reported";
    RW.canvas = 9;
    wait.BoxProgress(1);
    EXPECT_EQ(wait.ProgressPosition(), 24) << "a canvas not in the job moves nothing";
    wait.AfterProgress();
    EXPECT_EQ(wait.ProgressPosition(), 33);
    EXPECT_TRUE(wait.ProgressMessage().isEmpty());

    B[1].header.boxCount = 30000;
    B[3].header.boxCount = 9984;
    wait.ProgressPrepare({1, 2, 3});
    EXPECT_EQ(wait.ProgressMaximum(), 40000);
    RW.canvas = 1;
    wait.BoxProgress(10000);
    EXPECT_EQ(wait.prbWaitScreen->value(), 8192) << "32767 / 40000 x 10000, halves to even";
    B.assign(1, CanvasRecord{});
}

class PrintJobTest : public PadDrawTest {
protected:
    void SetUp() override
    {
        PadDrawTest::SetUp();
        savedRS_ = RS;
        platform::commondialog::ClearQueue();
        open(document(QStringLiteral("chart.txt"),
                      DocumentLines(RoutineLines(QStringLiteral("First routine"), QStringLiteral("alpha text")) +
                                    RoutineLines(QStringLiteral("Second routine"), QStringLiteral("beta text")))));
        PadDrawRefresh(-1);
        platform::report::SetDeliveryRecorder([this](platform::report::Delivery d, const platform::report::Report& book) {
            delivered_.push_back({d, book.Pages().size()});
        });
    }
    void TearDown() override
    {
        platform::report::SetDeliveryRecorder(nullptr);
        RS = savedRS_;
        PadDrawTest::TearDown();
    }

    // Presses Cancel on the progress dialog as soon as it runs and, when given, the condition holds.
    static void CancelWhenRunning(QTimer& poll, std::function<bool()> when = {})
    {
        poll.setInterval(0);
        QObject::connect(&poll, &QTimer::timeout, [&poll, when] {
            auto* wait = qobject_cast<WaitScreen*>(QApplication::activeModalWidget());
            if (wait && (!when || when())) {
                poll.stop();
                wait->cmdCancel->click();
            }
        });
        poll.start();
    }

    ReportSettingRecord savedRS_;
    std::vector<std::pair<platform::report::Delivery, std::size_t>> delivered_;
};

using testsupport::RunDialog;

TEST_F(PrintJobTest, APdfOfEveryCanvasHoldsTheirTextsAndLeavesNoWorkFiles)
{
    const QString pdf = path(QStringLiteral("chart.pdf"));
    platform::commondialog::QueueFileName(pdf);
    PrintCanvas dialog;
    dialog.TrayCaption = QStringLiteral("印刷(&P)...");
    EXPECT_TRUE(RunDialog(dialog, [&] { dialog.cmdPDF->click(); })) << Prompts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(Prompts().isEmpty()) << Prompts().join(QLatin1Char('|')).toStdString();
    ASSERT_TRUE(QFileInfo::exists(pdf));
    const QString text = testsupport::PdfText(pdf);
    for (const char* expected : {"First routine", "alpha text", "Second routine", "beta text"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected;
    EXPECT_EQ(CommonServices->GetRegistry(QStringLiteral("File"), QStringLiteral("PDFPath")), pdf);
    EXPECT_TRUE(DrawWorkFiles().isEmpty()) << DrawWorkFiles().join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(RW.BlockList.empty());

    // The next PDF starts where the last one went.
    platform::commondialog::ShownDialogs().clear();
    platform::commondialog::QueueCancel();
    PrintCanvas again;
    EXPECT_FALSE(RunDialog(again, [&] { again.cmdPDF->click(); })) << "a cancelled file dialog keeps the dialog open";
    ASSERT_EQ(platform::commondialog::ShownDialogs().size(), 1u);
    EXPECT_EQ(platform::commondialog::ShownDialogs()[0].fileName, QStringLiteral("chart"));
    EXPECT_EQ(QDir(platform::commondialog::ShownDialogs()[0].initDir), QDir(path(QString())));
}

TEST_F(PrintJobTest, RangesChooseTheCanvasesAndAPreviewDeliversTheirPages)
{
    struct Row {
        const char* why;
        int option;
        std::int16_t current;
        bool secondHidden;
        std::size_t pages;   // 0: nothing chosen
    };
    const std::vector<Row> rows = {
        {"all canvases", 0, 1, false, 2},
        {"all but the hidden one", 1, 1, true, 1},
        {"the front-most", 2, 2, false, 1},
        {"the front-most is not open", 2, 7, false, 0},
        {"the front-most was closed since", 2, 2, true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        delivered_.clear();
        platform::msgbox::ShownBoxes().clear();
        B[2].form->SetVisible(!row.secondHidden);
        ApplicationGlobals.CurrentCanvasIndex = row.current;
        PrintCanvas dialog;
        const bool closed = RunDialog(dialog, [&] {
            dialog.optPrintRange[std::size_t(row.option)]->click();
            dialog.cmdPreview->click();
        });
        if (row.pages == 0) {
            EXPECT_FALSE(closed);
            EXPECT_TRUE(delivered_.empty());
            EXPECT_EQ(Prompts(), QStringList{QStringLiteral("ｷｬﾝﾊﾞｽが選択されていません。\r\n一つ以上のｷｬﾝﾊﾞｽを選択して下さい。")});
        } else {
            EXPECT_TRUE(closed);
            ASSERT_EQ(delivered_.size(), 1u);
            EXPECT_EQ(delivered_[0].first, platform::report::Delivery::Preview);
            EXPECT_EQ(delivered_[0].second, row.pages);
        }
    }
    B[2].form->SetVisible(true);
}

TEST_F(PrintJobTest, TabLeavesTheCanvasListAndTheSettingsCaptionIsOneLine)
{
    QString settingsTitle;
    HistoryClear();
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* settings = qobject_cast<PrintSetting*>(QApplication::activeModalWidget())) {
            poll.stop();
            settingsTitle = settings->windowTitle();
            settings->cmdUpdate->click();
        }
    });

    PrintCanvas dialog;
    RunDialog(dialog, [&] {
        dialog.optPrintRange[3]->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.sprCaption->hasFocus(); }, 30000));
        QTest::keyClick(dialog.sprCaption, Qt::Key_Tab);
        EXPECT_TRUE(dialog.cmdPrintSetting->hasFocus()) << "forward: the settings button";
        dialog.sprCaption->setFocus();
        QTest::keyClick(dialog.sprCaption, Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_TRUE(dialog.cmdAllRelease->hasFocus()) << "backward: the button before it";

        poll.start();
        dialog.cmdPrintSetting->click();
    });
    ASSERT_TRUE(HistoryCanUndo());
    const QString undoCaption = HistorySlotOf(History.HistoryIndex).caption;
    EXPECT_EQ(settingsTitle, QStringLiteral("印刷設定"));
    EXPECT_FALSE(undoCaption.contains(QLatin1Char('\n'))) << undoCaption.toStdString();
    EXPECT_EQ(MenuCaptionClean(undoCaption), QStringLiteral("印刷設定"));
}

// The canvas list makes its first cell active when it takes the focus, whichever way it comes;
// only a click on a row (its check box too) makes that row active, without passing the first row on
// the way.
TEST_F(PrintJobTest, TheCanvasListTakingTheFocusMakesItsFirstCellActiveButAClickedRowStays)
{
    const auto accessKey = [](PrintCanvas& d, Qt::Key key) { QTest::keyClick(&d, key, Qt::AltModifier); };
    const auto tabAway = [](PrintCanvas& d) { QTest::keyClick(d.sprCaption, Qt::Key_Tab); };
    const auto clickAt = [](PrintCanvas& d, const QPoint& at) {
        QTest::mouseClick(d.sprCaption->viewport(), Qt::LeftButton, {}, at);
    };
    struct Row {
        const char* why;
        std::function<void(PrintCanvas&)> away;   // takes the focus from the list
        std::function<void(PrintCanvas&)> back;   // the list takes it back
        std::optional<bool> marked;               // every row's mark afterwards, the opposite before
        int activeRow;                            // the active cell afterwards
        int activeColumn = 0;
        int toggled = -1;                         // the row whose mark the click turned; Space turns it back
    };
    // Where the view draws the check box of a cell.
    const auto checkBoxAt = [](PrintCanvas& d, int r) {
        QStyleOptionViewItem option;
        option.initFrom(d.sprCaption);
        option.rect = d.sprCaption->visualItemRect(d.sprCaption->item(r, 0));
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        return d.sprCaption->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, d.sprCaption).center();
    };
    const std::vector<Row> rows = {
        {"Tab to 印刷設定, then 全選択 by its access key", tabAway, [&](PrintCanvas& d) { accessKey(d, Qt::Key_S); }, true,
         0},
        {"全解除 clicked", [](PrintCanvas&) {}, [](PrintCanvas& d) { QTest::mouseClick(d.cmdAllRelease, Qt::LeftButton); },
         false, 0},
        {"Shift+Tab from 全選択", [](PrintCanvas& d) { d.cmdAllSelect->setFocus(); },
         [](PrintCanvas& d) { QTest::keyClick(d.cmdAllSelect, Qt::Key_Backtab, Qt::ShiftModifier); }, {}, 0},
        {"a click on the list below its rows", tabAway,
         [&](PrintCanvas& d) {
             QWidget* area = d.sprCaption->viewport();
             clickAt(d, QPoint(area->width() / 2, area->height() - 3));
         },
         {}, 0},
        {"a click on the second row's caption", tabAway,
         [&](PrintCanvas& d) { clickAt(d, d.sprCaption->visualItemRect(d.sprCaption->item(1, 1)).center()); }, {}, 1, 1},
        {"a click on the first row's check box while the second is active", tabAway,
         [&](PrintCanvas& d) { clickAt(d, checkBoxAt(d, 0)); }, {}, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        PrintCanvas dialog;
        RunDialog(dialog, [&] {
            // Access keys reach the active window only, and press their button a moment later.
            QApplication::setActiveWindow(&dialog);
            ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog, 30000));
            accessKey(dialog, Qt::Key_C);
            ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.sprCaption->hasFocus(); }, 30000));
            EXPECT_EQ(dialog.sprCaption->currentRow(), 0) << "the choice of the list puts the focus there";
            EXPECT_EQ(dialog.sprCaption->currentColumn(), 0);
            QTest::keyClick(dialog.sprCaption, Qt::Key_Down);
            ASSERT_EQ(dialog.sprCaption->currentRow(), 1);
            const int rowCount = dialog.sprCaption->rowCount();
            const bool marked = row.marked.value_or(true);
            for (int r = 0; r < rowCount; ++r)
                dialog.RowMarkSet(r, !row.marked.value_or(false));

            row.away(dialog);
            std::vector<int> passed;
            const QMetaObject::Connection watch = QObject::connect(
                dialog.sprCaption, &QTableWidget::currentCellChanged, [&](int r, int, int, int) { passed.push_back(r); });
            row.back(dialog);
            const auto done = [&] {
                for (int r = 0; r < rowCount; ++r)
                    if (dialog.RowMarked(r) != (r == row.toggled ? !marked : marked))
                        return false;
                return dialog.sprCaption->hasFocus() && dialog.sprCaption->currentRow() == row.activeRow;
            };
            // A click elsewhere than on a row makes the first cell active once the click is done.
            ASSERT_TRUE(QTest::qWaitFor(done, 30000)) << dialog.sprCaption->currentRow();
            QCoreApplication::processEvents();
            QObject::disconnect(watch);
            EXPECT_EQ(dialog.sprCaption->currentRow(), row.activeRow);
            EXPECT_EQ(dialog.sprCaption->currentColumn(), row.activeColumn);
            if (row.activeRow != 0) {
                EXPECT_EQ(std::count(passed.begin(), passed.end(), 0), 0) << "the first row was active on the way";
            }
            if (row.toggled >= 0) {
                QTest::keyClick(dialog.sprCaption, Qt::Key_Space);
                for (int r = 0; r < rowCount; ++r)
                    EXPECT_EQ(dialog.RowMarked(r), marked) << "row " << r << " after Space";
            }
        });
    }
}

TEST_F(PrintJobTest, ACancelledOrRefusedJobOutputsNothingAndKeepsTheDialogOpen)
{
    const QString pdf = path(QStringLiteral("cancelled.pdf"));
    {
        platform::commondialog::QueueFileName(pdf);
        QTimer poll;
        CancelWhenRunning(poll);
        PrintCanvas dialog;
        EXPECT_FALSE(RunDialog(dialog, [&] { dialog.cmdPDF->click(); }));
        EXPECT_TRUE(Prompts().contains(QStringLiteral("印刷処理を取消ました。")));
    }
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_TRUE(delivered_.empty());

    // Margins that leave no room: the job refuses with its message and leaves nothing behind.
    platform::msgbox::ShownBoxes().clear();
    RS.reportWidth = 0;
    PrintCanvas dialog;
    EXPECT_FALSE(RunDialog(dialog, [&] { dialog.cmdPreview->click(); }));
    EXPECT_TRUE(Prompts().contains(ReportAreaTooSmallMessage)) << Prompts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(delivered_.empty());
    EXPECT_TRUE(DrawWorkFiles().isEmpty());
    EXPECT_TRUE(RW.BlockList.empty());
}

TEST_F(PrintJobTest, CancelWhileTheSecondCanvasIsLaidOutLeavesNoWorkBehind)
{
    const QString pdf = path(QStringLiteral("late.pdf"));
    platform::commondialog::QueueFileName(pdf);
    QStringList writtenBeforeCancel;
    QTimer poll;
    CancelWhenRunning(poll, [&] {
        if (RW.canvas != 2)
            return false;
        writtenBeforeCancel = DrawWorkFiles();
        return true;
    });
    PrintCanvas dialog;
    EXPECT_FALSE(RunDialog(dialog, [&] { dialog.cmdPDF->click(); }));
    EXPECT_FALSE(writtenBeforeCancel.isEmpty()) << "the first canvas's block files were on disk";
    EXPECT_TRUE(DrawWorkFiles().isEmpty()) << DrawWorkFiles().join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(RW.BlockList.empty());
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_TRUE(delivered_.empty());
}

TEST_F(PrintJobTest, AFailedOutputShowsItsErrorLeavesNoWorkAndKeepsTheDialogOpen)
{
    const QString pdf = path(QStringLiteral("no such folder/chart.pdf"));
    platform::commondialog::QueueFileName(pdf);
    PrintCanvas dialog;
    bool shownAfterError = false;
    EXPECT_FALSE(RunDialog(dialog, [&] {
        dialog.cmdPDF->click();
        shownAfterError = dialog.isVisible();
    }));
    EXPECT_TRUE(shownAfterError);
    ASSERT_EQ(Prompts().size(), 1) << Prompts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(Prompts().front().contains(pdf)) << Prompts().front().toStdString();
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_TRUE(DrawWorkFiles().isEmpty()) << DrawWorkFiles().join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(RW.BlockList.empty());
}

// A run folder removed while the program runs (a temporary-folder cleaner, a user) takes the undo
// snapshots and the copy with it; everything else goes on in a new one: an edit and its undo, a
// PDF, a save as ".pad" that opens again with the edit. An undo of a step taken before the removal
// is refused and leaves the document as it is, and a paste says there is nothing to paste.
TEST_F(PrintJobTest, AfterTheRunFolderWasRemovedEditsUndoPdfAndSaveAsPadGoOn)
{
    const auto edit = [](const QString& text) {
        SetModifyFlag(true);
        HistoryAdd(QStringLiteral("編集(&E)"), 1);
        Canvas(1).BoxList[static_cast<std::size_t>(Canvas(1).header.firstBox)].text = TextInfoMake(text);
        PadDrawRefresh(1);
    };
    HistoryClear();
    ClipboardReset();
    edit(QStringLiteral("Renamed once"));
    ClipboardCopyOpen();
    ClipboardCopyPart(1, Canvas(1).header.firstBox, -1);
    ClipboardCopyClose();
    ASSERT_TRUE(QDir(QFileInfo(TemporaryFilePrefix()).absolutePath()).removeRecursively());

    EXPECT_FALSE(ClipboardObstinateCheck(1));
    EXPECT_EQ(Prompts(), QStringList{QStringLiteral("貼り付ける情報がありません。")});
    EXPECT_FALSE(ClipboardExist()) << "paste is no longer offered";
    platform::msgbox::ShownBoxes().clear();

    edit(QStringLiteral("Renamed twice"));
    HistoryRestore(true);
    EXPECT_EQ(FirstText(1), QStringLiteral("Renamed once"));
    HistoryRestore(false);
    EXPECT_EQ(FirstText(1), QStringLiteral("Renamed twice"));

    const QString pdf = path(QStringLiteral("after.pdf"));
    platform::commondialog::QueueFileName(pdf);
    PrintCanvas dialog;
    EXPECT_TRUE(RunDialog(dialog, [&] { dialog.cmdPDF->click(); })) << Prompts().join(QLatin1Char('|')).toStdString();
    const QString text = testsupport::PdfText(pdf);
    for (const char* expected : {"Renamed twice", "alpha text", "Second routine", "beta text"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected;
    EXPECT_TRUE(DrawWorkFiles().isEmpty()) << DrawWorkFiles().join(QLatin1Char(' ')).toStdString();
    ASSERT_EQ(Prompts(), QStringList{});

    // The step taken before the removal: refused, the document as it is.
    HistoryRestore(true);
    ApplicationGlobals.ModifyFlag = false;
    HistoryRestore(true);
    EXPECT_EQ(Prompts(), QStringList{QStringLiteral("作業ファイルが見つからないため、これ以上元に戻すことは出来ません。")});
    EXPECT_EQ(FirstText(1), QStringLiteral("Renamed once"));
    EXPECT_EQ(FirstText(2), QStringLiteral("Second routine"));
    EXPECT_FALSE(GetModifyFlag());
    EXPECT_FALSE(HistoryCanUndo());
    HistoryRestore(false);
    EXPECT_EQ(FirstText(1), QStringLiteral("Renamed twice")) << "the step taken after the removal redoes";
    platform::msgbox::ShownBoxes().clear();

    const QString pad = path(QStringLiteral("after.pad"));
    ApplicationGlobals.DocumentName = pad;
    PadFileSave();
    open(pad);
    EXPECT_EQ(FirstText(1), QStringLiteral("Renamed twice"));
    EXPECT_EQ(FirstText(2), QStringLiteral("Second routine"));
    EXPECT_EQ(Prompts(), QStringList{});
    HistoryClear();
}

// The main window's caption and its dialog panel name the dialogs that are open: a job that
// ends with the print dialog still open leaves them naming the print dialog.
TEST_F(PrintJobTest, TheCaptionNamesThePrintDialogAsLongAsItIsOpen)
{
    shell_test::FakeMainWindow window;
    SetMainWindowLink(&window);
    QTimer poll;
    const QString unwritable = path(QStringLiteral("no such folder/chart.pdf"));
    struct Row {
        const char* why;
        std::function<void(PrintCanvas&)> press;
        bool closes;
    };
    const std::vector<Row> rows = {
        {"the job is cancelled", [&](PrintCanvas& d) {
             CancelWhenRunning(poll);
             d.cmdPreview->click();
         }, false},
        {"the layout refuses the job", [&](PrintCanvas& d) {
             RS.reportWidth = 0;
             d.cmdPreview->click();
             RS = savedRS_;
         }, false},
        {"the output fails", [&](PrintCanvas& d) {
             platform::commondialog::QueueFileName(unwritable);
             d.cmdPDF->click();
         }, false},
        {"the preview is delivered", [&](PrintCanvas& d) { d.cmdPreview->click(); }, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        PrintCanvas dialog;
        dialog.TrayCaption = QStringLiteral("印刷(&P)");
        QString caption;
        QString panel;
        const bool closed = RunDialog(dialog, [&] {
            row.press(dialog);
            caption = window.caption;
            panel = window.panels.value(QStringLiteral("ModalWindow"));
        });
        EXPECT_EQ(closed, row.closes);
        const QString named = row.closes ? QString() : QStringLiteral("印刷");
        EXPECT_EQ(caption, named);
        EXPECT_EQ(panel, named);
        EXPECT_EQ(window.caption, QString()) << "once the dialog has closed";
        EXPECT_EQ(window.panels.value(QStringLiteral("ModalWindow")), QString());
    }
    SetMainWindowLink(nullptr);
}

// Printing divides a box too tall for a page into boxes of the print copy, which keeps the
// canvas's boxes in their own slots: a canvas close to the limit leaves too few slots for the
// pieces. The job is refused for that reason, and nothing is output.
TEST_F(PrintJobTest, ACanvasWhoseDivisionNeedsMoreBoxesThanACanvasHoldsIsRefusedForThatReason)
{
    const auto text = [](const QString& first, int lines) {
        QStringList out{QStringLiteral("&&text"), first};
        for (int line = 2; line <= lines; ++line)
            out << QStringLiteral("line %1").arg(line);
        return out;
    };
    QStringList branch{QStringLiteral("&&branch")};
    branch += text(QStringLiteral("which"), 1);
    for (int c = 1; c <= 40; ++c)
        branch << QStringLiteral("&&case") << QStringLiteral("&&text") << QString::number(c) << QStringLiteral("&&block")
               << text(QStringLiteral("case"), 4);
    branch << QStringLiteral("&&end-branch");
    struct Row {
        const char* why;
        QStringList tallPart;  // the first part of the routine
        int partBoxes;
        int boxes;             // boxes of the canvas
    };
    const std::vector<Row> rows = {
        {"a block of 299 lines, three slots left", QStringList{QStringLiteral("&&block")} + text(QStringLiteral("tall"), 299), 1,
         32764},
        {"a branch whose cases run past the page, no slot left", branch, 41, 32767},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        platform::msgbox::ShownBoxes().clear();
        QStringList body{QStringLiteral("&&routine"), QStringLiteral("&&name"), QStringLiteral("Big"),
                         QStringLiteral("&&text"), QStringLiteral("Big")};
        body += row.tallPart;
        for (int box = 1 + row.partBoxes + 1; box <= row.boxes; ++box)
            body << QStringLiteral("&&block") << QStringLiteral("&&text") << QStringLiteral("b");
        body << QStringLiteral("&&end-routine");
        open(document(QStringLiteral("big.txt"), DocumentLines(body)));
        PadDrawRefresh(-1);
        ASSERT_EQ(B.size(), 2u);
        ASSERT_EQ(B[1].BoxList.size(), std::size_t(row.boxes) + 1);
        // The open's own note, that the chart is too large for its window, belongs to the open.
        ApplicationGlobals.DeferredError.clear();
        ApplicationGlobals.DeferredInformation.clear();

        const QString pdf = path(QStringLiteral("big.pdf"));
        platform::commondialog::QueueFileName(pdf);
        PrintCanvas dialog;
        EXPECT_FALSE(RunDialog(dialog, [&] { dialog.cmdPDF->click(); }));
        EXPECT_EQ(Prompts(), QStringList{QStringLiteral(
                                 "ｷｬﾝﾊﾞｽ Big:1 は印刷できません。\r\n"
                                 "頁に収まらないBOXを分割して印刷するには、1つのｷｬﾝﾊﾞｽに置けるBOXの数 (32767 個) "
                                 "より多くのBOXが要ります。\r\n"
                                 "BOXの数を減らすか、長いBOXを分けて下さい。")})
            << Prompts().join(QLatin1Char('|')).toStdString();
        EXPECT_FALSE(QFileInfo::exists(pdf));
        EXPECT_TRUE(delivered_.empty());
        EXPECT_TRUE(DrawWorkFiles().isEmpty()) << DrawWorkFiles().join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(RW.BlockList.empty());
        EXPECT_EQ(B[1].BoxList.size(), std::size_t(row.boxes) + 1) << "the canvas itself is left as it was";
    }
}

// Between its progress calls the job writes its draw work files; a stop it is told of there, at
// any of those moments, ends the job like a stop at a progress call.
TEST_F(PrintJobTest, AStopWhileTheWorkFilesAreWrittenEndsTheJob)
{
    int chances = 0;
    PrintProgressSet({.yield = [&] {
        ++chances;
        return false;
    }});
    ASSERT_FALSE(PadPrintRun({1, 2}));
    PrintJobAbandon();
    ASSERT_GT(chances, 3);
    for (int stopAt = 1; stopAt <= chances; ++stopAt) {
        SCOPED_TRACE(stopAt);
        int calls = 0;
        // Once asked to stop, every later answer says so too.
        PrintProgressSet({.yield = [&] { return ++calls >= stopAt; }});
        EXPECT_TRUE(PadPrintRun({1, 2}));
        // The stage that was told passes the stop on to the job at its next check, and no work
        // follows.
        EXPECT_LE(calls, stopAt + 1);
        PrintJobAbandon();
    }
    PrintProgressSet({});
}

TEST_F(PrintJobTest, PrintSettingsShowCentimetresAndUpdateStoresTwipsAsOneUndoableChange)
{
    EXPECT_EQ(PrintSetting::TwipsText(567), QStringLiteral("1.0"));
    EXPECT_EQ(PrintSetting::CentimetreTwips(2.5), 1417);

    HistoryClear();
    // Each snapshot takes the next step of the ring, the first one step 1.
    const auto snapshots = [] { return std::max(History.HistoryIndex, 0); };
    RS.margin = {567, 567, 567, 567};
    ApplicationGlobals.ModifyFlag = false;

    // Leaving by Esc is a cancel: nothing changes.
    {
        PrintSetting dialog;
        dialog.TrayCaption = QStringLiteral("印刷設定(&T)");
        RunDialog(dialog, [&] {
            EXPECT_EQ(dialog.txtMarginSpace[0]->text(), QStringLiteral("1.0"));
            dialog.txtMarginSpace[0]->setText(QStringLiteral("2.5"));
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        EXPECT_TRUE(dialog.TrayCancel);
        EXPECT_EQ(RS.margin[0], 567);
        EXPECT_EQ(snapshots(), 0);
    }
    // A field that fails its check stops Update; nothing is stored.
    {
        platform::msgbox::ShownBoxes().clear();
        PrintSetting dialog;
        dialog.TrayCaption = QStringLiteral("印刷設定(&T)");
        const bool closed = RunDialog(dialog, [&] {
            dialog.txtMarginSpace[1]->setText(QStringLiteral("3.5"));
            dialog.cmdUpdate->click();
        });
        EXPECT_FALSE(closed);
        EXPECT_TRUE(Prompts().contains(QStringLiteral("数値が大きすぎます。")));
        EXPECT_EQ(RS.margin[1], 567);
        EXPECT_EQ(snapshots(), 0);
    }
    // Update: arrows and spin buttons step the field, the value is stored in twips.
    {
        PrintSetting dialog;
        dialog.TrayCaption = QStringLiteral("印刷設定(&T)");
        const bool closed = RunDialog(dialog, [&] {
            dialog.txtMarginSpace[0]->setText(QStringLiteral("2.9"));
            dialog.txtMarginSpace_Step(0, true);
            EXPECT_EQ(dialog.txtMarginSpace[0]->text(), QStringLiteral("3.0"));
            dialog.txtMarginSpace_Step(0, true);
            EXPECT_EQ(dialog.txtMarginSpace[0]->text(), QStringLiteral("3.0"));
            dialog.txtMarginSpace[2]->setText(QStringLiteral("0.1"));
            dialog.updMarginSpace_Click(2, false);
            EXPECT_EQ(dialog.txtMarginSpace[2]->text(), QStringLiteral("0.0"));
            dialog.txtMarginSpace[3]->setText(QStringLiteral("2.5"));
            dialog.cmdUpdate->click();
        });
        EXPECT_TRUE(closed);
        EXPECT_FALSE(dialog.TrayCancel);
        EXPECT_EQ(RS.margin[0], PrintSetting::CentimetreTwips(3.0));
        EXPECT_EQ(RS.margin[2], 0);
        EXPECT_EQ(RS.margin[3], 1417);
        EXPECT_EQ(snapshots(), 1);
        EXPECT_EQ(HistorySlotOf(1).caption, MenuCaptionClean(QStringLiteral("印刷設定(&T)")));
        EXPECT_EQ(HistorySlotOf(1).canvas, 0);
        EXPECT_TRUE(ApplicationGlobals.ModifyFlag);
    }
}

TEST_F(PrintJobTest, PrintSettingsUndoneAndRedoneBringTheDocumentBackAndForth)
{
    HistoryClear();
    const QString textBefore = DocumentSettingsText(true, QString());
    const ReportSettingRecord before = RS;
    {
        PrintSetting dialog;
        dialog.TrayCaption = QStringLiteral("印刷設定(&T)");
        const bool closed = RunDialog(dialog, [&] {
            for (int i = 0; i < dialog.cmbPageStyle->count(); ++i)
                if (dialog.cmbPageStyle->itemText(i) == QStringLiteral("A3横"))
                    dialog.cmbPageStyle->setCurrentIndex(i);
            dialog.txtMarginSpace[0]->setText(QStringLiteral("2.5"));
            dialog.txtMarginSpace[8]->setText(QStringLiteral("1.2"));
            dialog.chkFrame[0]->setChecked(!dialog.chkFrame[0]->isChecked());
            // A TAB is what the document keeps of it, a blank, already before a save or a redo.
            dialog.txtText[2]->setPlainText(QStringLiteral("third\ttext"));
            dialog.cmdUpdate->click();
        });
        ASSERT_TRUE(closed);
    }
    // As the dialog's callers do after Update.
    ReportSettingApply();
    const QString textChanged = DocumentSettingsText(true, QString());
    const ReportSettingRecord changed = RS;
    ASSERT_NE(textChanged, textBefore);
    EXPECT_EQ(changed.paperStyle, QStringLiteral("A3横"));
    EXPECT_EQ(changed.margin[0], 1417);
    EXPECT_EQ(changed.extraText[2], QStringLiteral("third text"));
    EXPECT_NE(changed.reportWidth, before.reportWidth) << "the report area follows the paper";

    HistoryRestore(true);
    EXPECT_EQ(DocumentSettingsText(true, QString()), textBefore);
    EXPECT_TRUE(RS == before) << "undone";
    EXPECT_EQ(RS.reportWidth, before.reportWidth);
    HistoryRestore(false);
    EXPECT_EQ(DocumentSettingsText(true, QString()), textChanged);
    EXPECT_TRUE(RS == changed) << "redone";
    EXPECT_TRUE(Prompts().isEmpty()) << Prompts().join(QLatin1Char('|')).toStdString();
}

} // namespace
} // namespace paddraw_test
