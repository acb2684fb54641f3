// Printing through a real CUPS queue: a CUPS daemon of the test's own with a cups-pdf queue as the
// default printer, the print dialog's Print button, and the PDF that the queue wrote read back.
//
// A program of its own: the CUPS library reads CUPS_SERVER once per process, so it must be set
// before anything in the process asks CUPS about printers; the tests of the program share one
// daemon.
#include "../canvas/canvas_windows.h"

#include "app/core/Utilities.h"
#include "app/print/ImagePrint.h"
#include "app/print/PrintCanvas.h"
#include "platform/filesystem/FileSystem.h"
#include "support/CupsPdfQueue.h"
#include "support/PdfTools.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <memory>

namespace paddraw_test {
namespace {

using testsupport::CupsPdfQueue;

class CupsPrintTest : public PadDrawTest {
protected:
    static void SetUpTestSuite()
    {
        cups_ = std::make_unique<CupsPdfQueue>();
        skip_ = cups_->Start();
    }
    static void TearDownTestSuite() { cups_.reset(); }

    void SetUp() override
    {
        if (!skip_.isEmpty())
            GTEST_SKIP() << skip_.toStdString();
        ASSERT_TRUE(cups_->Ready()) << cups_->Failure().toStdString();
        PadDrawTest::SetUp();
        open(document(QStringLiteral("chart.txt"),
                      DocumentLines(RoutineLines(QStringLiteral("First routine"), QStringLiteral("alpha text")) +
                                    RoutineLines(QStringLiteral("Second routine"), QStringLiteral("beta text")))));
        PadDrawRefresh(-1);
    }

    // The PDF file the queue writes for the next job, once the job has left it; "" when none came.
    static QString NextPrinted(const QStringList& before)
    {
        QString printed;
        const bool done = QTest::qWaitFor([&] {
            for (const QString& file : cups_->OutputFiles())
                if (!before.contains(file))
                    printed = file;
            return !printed.isEmpty() && cups_->Idle();
        }, 60000);
        return done ? printed : QString();
    }

    static inline std::unique_ptr<CupsPdfQueue> cups_;
    static inline QString skip_;
};

TEST_F(CupsPrintTest, PrintSendsEveryCanvasToTheDefaultPrinter)
{
    const QStringList before = cups_->OutputFiles();
    // The print button's handler, run by the dialog as it opens.
    PrintCanvas dialog;
    dialog.TrayCaption = QStringLiteral("印刷(&P)...");
    dialog.TrayCommandOperation = QStringLiteral("/P");
    // A failed print leaves the dialog open: it is closed once the error has been shown.
    QTimer failed;
    failed.setInterval(0);
    QObject::connect(&failed, &QTimer::timeout, [&] {
        if (!platform::msgbox::ShownBoxes().empty() && QApplication::activeModalWidget() == &dialog)
            dialog.close();
    });
    failed.start();
    dialog.ShowModal();
    failed.stop();
    QStringList prompts;
    for (const auto& box : platform::msgbox::ShownBoxes())
        prompts << box.prompt;
    ASSERT_TRUE(prompts.isEmpty()) << prompts.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(dialog.isVisible()) << "a completed print closes the dialog";

    // The job is done when the queue holds none and cups-pdf has put its file down.
    const QString printed = NextPrinted(before);
    ASSERT_FALSE(printed.isEmpty()) << cups_->Log().toStdString();
    const QString text = testsupport::PdfText(printed);
    for (const char* expected : {"First routine", "alpha text", "Second routine", "beta text"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << " in\n" << text.toStdString();
    EXPECT_EQ(testsupport::PdfInfoRead(printed).pages, 2);
}

// The printing library keeps a job in a file of its own until the print system has taken it.
// While the job is open that file lies in the run folder, which the end of the program removes
// whatever the job is doing, and not in the temporary folder itself, where a job cut off would
// leave it for good; a finished job leaves nothing.
TEST_F(CupsPrintTest, AJobIsSpooledInTheRunFolder)
{
    const QStringList printedBefore = cups_->OutputFiles();
    const auto entries = [](const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    };
    const auto listed = [](const QStringList& names) { return names.join(QLatin1Char(' ')).toStdString(); };
    const QString temporary = platform::filesystem::TemporaryFolder();
    const QString runFolder = QFileInfo(TemporaryFilePrefix()).path();
    const QStringList temporaryBefore = entries(temporary);
    const QStringList runFolderBefore = entries(runFolder);
    ImageBookStart();
    ImageBookStream(ImageOutput::Print);
    ImagePageStart(1);
    ImagePageAppend();

    EXPECT_EQ(listed(entries(temporary)), listed(temporaryBefore));
    const QStringList added =
        entries(runFolder).filter(QRegularExpression(QStringLiteral("^vellumora\\.\\d+\\.print\\.spool\\.tmp$")));
    ASSERT_EQ(added.size(), 1) << listed(entries(runFolder));
    EXPECT_EQ(entries(runFolder + QLatin1Char('/') + added.front()).size(), 1) << "the job's file";

    ImageBookOutput(ImageOutput::Print);
    ASSERT_FALSE(NextPrinted(printedBefore).isEmpty()) << cups_->Log().toStdString();
    EXPECT_EQ(listed(entries(temporary)), listed(temporaryBefore));
    EXPECT_EQ(listed(entries(runFolder)), listed(runFolderBefore));
}

} // namespace
} // namespace paddraw_test
