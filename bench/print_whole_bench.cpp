// The whole print of a 10,000-box chart to PDF as the print dialog's PDF button runs it (the
// layout half under the progress dialog, the draw work files, the pages and the file), and beside
// it, in the same run, QPdfWriter alone writing the same number of pages, boxes, lines and texts.
// Rows ("folder"): the print's work files in the benchmark's own temporary folder (0, on disk), on
// tmpfs (1), and in the temporary folder the benchmark was started with (2, on disk, where a
// user's print puts them); see WorkFolderUse. Target: "ratio" (whole print / writer alone) at most 2.0.

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include "ProgramSupport.h"
#include "WholePrint.h"

using namespace vellumora;

namespace {

using benchsupport::PrintShapes;

// The floor, in milliseconds.
double WriterAlone(const PrintShapes& shapes, const QString& pdf)
{
    QElapsedTimer clock;
    clock.start();
    benchsupport::PdfWriterFloorWrite(shapes, pdf);
    return double(clock.nsecsElapsed()) / 1e6;
}

void BM_WholePrintOf10000BoxesAgainstPdfWriterAlone(benchmark::State& state)
{
    if (!benchsupport::WorkFolderUse(static_cast<benchsupport::WorkFolder>(state.range(0)))) {
        state.SkipWithError("no tmpfs at /dev/shm");
        return;
    }
    benchsupport::ChartOpen(1, 10000);
    const PrintShapes shapes = benchsupport::JobShapes();
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
BENCHMARK(BM_WholePrintOf10000BoxesAgainstPdfWriterAlone)
    ->ArgName("folder")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::ProgramBenchmarksRun(argc, argv);
}
