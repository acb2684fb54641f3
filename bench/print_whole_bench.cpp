// The whole print of a 10,000-box chart to PDF as the print dialog's PDF button runs it (the
// layout half under the progress dialog, the draw work files, the pages and the file), and beside
// it, in the same run, QPdfWriter alone writing the same number of pages, boxes, lines and texts.
// Target: "ratio" (whole print / writer alone) at most 2.0.

#include "app/core/PrintRecords.h"
#include "app/print/PrintJob.h"
#include "app/print/WaitScreen.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>

#include <benchmark/benchmark.h>

#include <algorithm>

#include "ProgramSupport.h"
#include "WholePrint.h"

using namespace vellumora;

namespace {

// What the job's pages show, counted in its draw work files.
struct Shapes {
    int pages = 0;
    int boxes = 0;
    int lines = 0;
    int texts = 0;
};

void Count(const QString& path, Shapes& shapes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& line : file.readAll().split('\n')) {
        shapes.boxes += line.startsWith("BOX,") ? 1 : 0;
        shapes.lines += line.startsWith("LINE,") ? 1 : 0;
        shapes.texts += line.startsWith("TEXT,") ? 1 : 0;
    }
}

// The layout half alone, its files counted and the job dropped.
Shapes JobShapes()
{
    Shapes shapes;
    WaitScreen wait;
    if (wait.WaitScreenStart({1}))
        return shapes;
    shapes.pages = RW.pageCount;
    Count(RW.commonFileName, shapes);
    for (std::size_t p = 1; p < RW.PageList.size(); ++p)
        Count(RW.PageList[p].fileName, shapes);
    for (std::size_t b = 1; b < RW.BlockList.size(); ++b)
        Count(RW.BlockList[b].fileName, shapes);
    PrintJobAbandon();
    return shapes;
}

// The floor: the same pages, boxes, lines and texts written by QPdfWriter, in milliseconds.
double WriterAlone(const Shapes& shapes, const QString& pdf)
{
    QElapsedTimer clock;
    clock.start();
    QPdfWriter writer(pdf);
    writer.setResolution(1440);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QFont font(QStringLiteral("ＭＳ ゴシック"));
    font.setPixelSize(210);
    painter.setFont(font);
    const int pages = std::max(1, shapes.pages);
    const auto share = [pages](int all, int page) { return all / pages + (page < all % pages ? 1 : 0); };
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        const int boxes = share(shapes.boxes, page);
        const int lines = share(shapes.lines, page);
        const int texts = share(shapes.texts, page);
        for (int i = 0; i < boxes; ++i)
            painter.drawRect(QRectF(600 + (i % 4) * 3000, 600 + (i / 4 % 40) * 400, 2500, 300));
        for (int i = 0; i < lines; ++i)
            painter.drawLine(QPointF(600 + (i % 4) * 3000, 900 + (i / 4 % 40) * 400),
                             QPointF(600 + (i % 4) * 3000, 1000 + (i / 4 % 40) * 400));
        for (int i = 0; i < texts; ++i)
            painter.drawText(QRectF(700 + (i % 4) * 3000, 650 + (i / 4 % 40) * 400, 2400, 250), Qt::AlignLeft,
                             QStringLiteral("件数%1を数える").arg(i));
    }
    painter.end();
    return double(clock.nsecsElapsed()) / 1e6;
}

void BM_WholePrintOf10000BoxesAgainstPdfWriterAlone(benchmark::State& state)
{
    benchsupport::ChartOpen(1, 10000);
    const Shapes shapes = JobShapes();
    if (shapes.pages == 0) {
        state.SkipWithError("the layout gave no page");
        return;
    }
    double whole = 0;
    double alone = 0;
    for (auto _ : state) {
        const double ms = benchsupport::PrintThroughDialog(benchsupport::PathOf("whole.pdf"));
        if (ms < 0) {
            state.SkipWithError("the print dialog did not run");
            return;
        }
        whole += ms;
        alone += WriterAlone(shapes, benchsupport::PathOf("alone.pdf"));
        state.SetIterationTime(ms / 1000.0);
    }
    const double runs = double(state.iterations());
    state.counters["whole_ms"] = whole / runs;
    state.counters["alone_ms"] = alone / runs;
    state.counters["ratio"] = whole / alone;
    state.counters["pages"] = shapes.pages;
    state.counters["boxes"] = shapes.boxes;
    state.counters["lines"] = shapes.lines;
    state.counters["texts"] = shapes.texts;
}
BENCHMARK(BM_WholePrintOf10000BoxesAgainstPdfWriterAlone)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::ProgramBenchmarksRun(argc, argv);
}
