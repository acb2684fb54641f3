// Peak memory of the whole print of a 100,000-box chart (four routines of 25,000 boxes) to PDF
// through the print dialog, in a program of its own so that nothing else raises the peak.
// "opened_MB" is the peak with the chart open in its windows, before the print; "print_MB" what
// the print adds to it. Target: print_MB under 200.

#include <benchmark/benchmark.h>

#include "ProgramSupport.h"
#include "WholePrint.h"

namespace {

void BM_PeakMemoryOfA100000BoxPrint(benchmark::State& state)
{
    benchsupport::ChartOpen(4, 25000);
    const double opened = benchsupport::PeakMegabytes();
    for (auto _ : state) {
        const double ms = benchsupport::PrintThroughDialog(benchsupport::PathOf("peak.pdf"));
        if (ms < 0) {
            state.SkipWithError("the print dialog did not run");
            return;
        }
        state.SetIterationTime(ms / 1000.0);
    }
    state.counters["boxes"] = double(benchsupport::ChartBoxCount(4));
    state.counters["opened_MB"] = opened;
    state.counters["peak_MB"] = benchsupport::PeakMegabytes();
    state.counters["print_MB"] = benchsupport::PeakMegabytes() - opened;
}
BENCHMARK(BM_PeakMemoryOfA100000BoxPrint)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::ProgramBenchmarksRun(argc, argv);
}
