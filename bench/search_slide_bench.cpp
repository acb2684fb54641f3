// A far slide of a search: the canvas window of a 10,000-box chart slides from its first box to
// its lowest, as "find next" brings a far match into view. The CPU time of the process during the
// slide is the figure ("cpu_s"); the slide's own pacing (its step delays) is not. Target: cpu_s
// under 0.5.

#include "app/core/ApplicationGlobals.h"
#include "app/core/CanvasSurface.h"
#include "app/diagram/PadDraw.h"
#include "app/diagram/CanvasSlide.h"

#include <QCoreApplication>
#include <QTest>

#include <benchmark/benchmark.h>

#include <ctime>

#include "GeneratedChart.h"
#include "ProgramSupport.h"
#include "support/Workspace.h"

using namespace vellumora;

namespace {

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The box of canvas 1 that lies lowest on its canvas.
std::int16_t LowestBox()
{
    const CanvasSurface& form = *B[1].form;
    std::int16_t lowest = B[1].header.firstBox;
    for (int n = 1; n < int(B[1].BoxList.size()); ++n) {
        const auto box = std::int16_t(n);
        if (form.lblBox.IsLoaded(box) && form.lblBox[box].Top > form.lblBox[lowest].Top)
            lowest = box;
    }
    return lowest;
}

// Slides the window to the box; false when the slide did not end within a minute.
bool SlideTo(std::int16_t box)
{
    bool arrived = false;
    CanvasSlideToBox(1, box, [&] { arrived = true; });
    return QTest::qWaitFor([&] { return arrived; }, 60000);
}

void BM_FarSearchSlideOver10000Boxes(benchmark::State& state)
{
    testsupport::Workspace main;
    main.resize(1024, 768);
    main.show();
    benchsupport::ChartOpen(1, 10000);
    const std::int16_t first = B[1].header.firstBox;
    const std::int16_t last = LowestBox();
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (!SlideTo(first)) {
            state.SkipWithError("the slide back did not end");
            return;
        }
        state.ResumeTiming();
        const double before = CpuSeconds();
        if (!SlideTo(last)) {
            state.SkipWithError("the slide did not end");
            return;
        }
        cpu += CpuSeconds() - before;
    }
    state.counters["cpu_s"] = cpu / double(state.iterations());
    state.counters["boxes"] = B[1].header.boxCount;
}
BENCHMARK(BM_FarSearchSlideOver10000Boxes)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::ProgramBenchmarksRun(argc, argv);
}
