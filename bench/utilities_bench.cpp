// Work-file names as a print of 100,000 boxes hands them out: one name per block and per page,
// each deleted by its whole name again, the list growing to 100,000 entries. Most of what is left
// is the file system's (the absolute path, the deletion). Target: under 3 s for the 100,000, a
// bound set from the 0.8-1.4 s measured once naming no longer searched the list (23 s before).

#include "app/core/Utilities.h"

#include <benchmark/benchmark.h>

#include "ProgramSupport.h"

using namespace vellumora;

namespace {

constexpr int kNames = 100000;

void BM_IssueAndDelete100000WorkFileNames(benchmark::State& state)
{
    for (auto _ : state) {
        UtilitiesTerminate();
        UtilitiesInitialize();
        for (int n = 1; n <= kNames; ++n)
            TemporaryFileDelete(TemporaryFileName(QStringLiteral("draw"), QStringLiteral("block"), 1, n));
        benchmark::DoNotOptimize(TemporaryFiles().size());
    }
    state.SetItemsProcessed(state.iterations() * kNames);
}
BENCHMARK(BM_IssueAndDelete100000WorkFileNames)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::ProgramBenchmarksRun(argc, argv);
}
