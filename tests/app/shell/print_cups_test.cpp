// Printing through a real CUPS queue: a CUPS daemon of the test's own with a cups-pdf queue as the
// default printer, the print dialog's Print button, and the PDF that the queue wrote read back.
//
// A program of its own: the CUPS library reads CUPS_SERVER once per process, so it must be set
// before anything in the process asks CUPS about printers.
#include "../canvas/canvas_windows.h"

#include "app/print/PrintCanvas.h"
#include "support/CupsPdfQueue.h"
#include "support/PdfTools.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

namespace paddraw_test {
namespace {

using testsupport::CupsPdfQueue;

class CupsPrintTest : public PadDrawTest {
protected:
    void SetUp() override
    {
        PadDrawTest::SetUp();
        open(document(QStringLiteral("chart.txt"),
                      DocumentLines(RoutineLines(QStringLiteral("First routine"), QStringLiteral("alpha text")) +
                                    RoutineLines(QStringLiteral("Second routine"), QStringLiteral("beta text")))));
        PadDrawRefresh(-1);
    }
};

TEST_F(CupsPrintTest, PrintSendsEveryCanvasToTheDefaultPrinter)
{
    CupsPdfQueue cups;
    const QString skip = cups.Start();
    if (!skip.isEmpty())
        GTEST_SKIP() << skip.toStdString();
    ASSERT_TRUE(cups.Ready()) << cups.Failure().toStdString();

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
    ASSERT_TRUE(QTest::qWaitFor([&] { return !cups.OutputFiles().isEmpty() && cups.Idle(); }, 60000))
        << cups.Log().toStdString();
    const QStringList files = cups.OutputFiles();
    ASSERT_EQ(files.size(), 1) << files.join(QLatin1Char(' ')).toStdString();
    const QString text = testsupport::PdfText(files.front());
    for (const char* expected : {"First routine", "alpha text", "Second routine", "beta text"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << " in\n" << text.toStdString();
    EXPECT_EQ(testsupport::PdfInfoRead(files.front()).pages, 2);
}

} // namespace
} // namespace paddraw_test
