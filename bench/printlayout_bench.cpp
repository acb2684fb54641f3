// The page layout with the installed fonts on a generated chart: preparing a canvas of 10,000
// boxes for printing (the work copy and every box fitted and shaped on the printer), and laying
// out canvases into blocks: 10,000 boxes on one canvas, 100,000 over four canvases of 25,000.
// Target, a bound set from the figures measured now (7.3 ms, 23 ms, 234 ms): preparing under
// 20 ms, the blocks of 10,000 boxes under 60 ms and of 100,000 under 600 ms.

#include "app/print/BoxFitting.h"
#include "app/print/PrintLayout.h"
#include "app/core/PrintRecords.h"

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "GeneratedChart.h"

using namespace vellumora;

namespace {

// Canvases read and laid out as on screen, with an A4 report body (10206 x 13428).
std::vector<std::int16_t> ChartOnScreen(int canvases, int boxesPerCanvas)
{
    benchsupport::ChartRead(benchsupport::DocumentMake(canvases, boxesPerCanvas), canvases);
    benchsupport::ChartLayOut(canvases);
    std::vector<std::int16_t> list;
    for (std::int16_t c = 1; c <= canvases; ++c)
        list.push_back(c);
    RS.reportWidth = 10206;
    RS.reportHeight = 13428;
    return list;
}

void BM_PrintPrepare10000Boxes(benchmark::State& state)
{
    const std::vector<std::int16_t> list = ChartOnScreen(1, 10000);
    PrintLayoutInitialize(list);
    for (auto _ : state) {
        RW.canvas = 1;
        BoxListClear(0);
        PrintCanvasCopy(1);
        BoxListPrepare(0, -1, true);
        for (std::size_t n = 1; n < B[0].BoxList.size(); ++n) {
            const auto box = static_cast<std::int16_t>(n);
            if (B[0].BoxList[n].garbage >= 0)
                continue;
            BoxShrinkWidth(box, -1, false);
            BoxListXPosition(0, box, B[0].BoxList[n].levelNo);
        }
        benchmark::DoNotOptimize(B[0].BoxList.data());
    }
    state.counters["boxes"] = B[1].header.boxCount;
    PrintWorkClear();
    B.clear();
}
BENCHMARK(BM_PrintPrepare10000Boxes)->Unit(benchmark::kMillisecond);

void LayOutIntoBlocks(benchmark::State& state, int canvases, int boxesPerCanvas)
{
    const std::vector<std::int16_t> list = ChartOnScreen(canvases, boxesPerCanvas);
    const std::int64_t boxes = benchsupport::ChartBoxCount(canvases);
    for (auto _ : state) {
        PrintLayoutInitialize(list);
        for (std::int16_t c : list)
            if (PrintLayoutBlocks(c))
                state.SkipWithError("the layout stopped");
        benchmark::DoNotOptimize(RW.BlockList.data());
    }
    state.counters["boxes"] = static_cast<double>(boxes);
    state.counters["blocks"] = static_cast<double>(RW.BlockList.size() - 1);
    PrintWorkClear();
    B.clear();
}

void BM_PrintBlocks10000Boxes(benchmark::State& state)
{
    LayOutIntoBlocks(state, 1, 10000);
}
BENCHMARK(BM_PrintBlocks10000Boxes)->Unit(benchmark::kMillisecond);

void BM_PrintBlocks100000Boxes(benchmark::State& state)
{
    LayOutIntoBlocks(state, 4, 25000);
}
BENCHMARK(BM_PrintBlocks100000Boxes)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::DiagramBenchmarksRun(argc, argv);
}
