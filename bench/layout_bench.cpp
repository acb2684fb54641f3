// Parsing a generated chart and running the three layout passes on it with the installed fonts:
// 10,000 boxes on one canvas, and 100,000 boxes spread over four canvases of 25,000 (16-bit
// links cap one canvas at 32767 boxes).

#include "app/canvas/PageSetting.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/BoxListMake.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/HorizontalPass.h"
#include "app/diagram/ListPreparation.h"
#include "app/diagram/TagTable.h"
#include "app/diagram/VerticalPass.h"
#include "app/core/ApplicationGlobals.h"
#include "platform/codepage/CodePage.h"
#include "platform/vbrt/Value.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "GeneratedChart.h"

using namespace vellumora;

namespace {

using benchsupport::ChartRead;
using benchsupport::DocumentMake;

// The three passes, as every redraw runs them.
void PassesRun(int canvases)
{
    for (std::int16_t c = 1; c <= canvases; ++c) {
        BoxListPrepare(c, -1, false);
        BoxTreeXPosition(c, -1, 0, 0);
        BoxTreeYPosition(c, -1);
    }
}

void ParseAndLayOut(benchmark::State& state, int canvases, int boxesPerCanvas)
{
    const QString path = DocumentMake(canvases, boxesPerCanvas);
    for (auto _ : state) {
        ChartRead(path, canvases);
        PassesRun(canvases);
        benchmark::DoNotOptimize(B.data());
    }
    std::int64_t boxes = 0;
    for (std::int16_t c = 1; c <= canvases; ++c)
        boxes += B[c].header.boxCount;
    state.counters["boxes"] = static_cast<double>(boxes);
    B.clear();
}

// The passes alone on a chart already read.
void LayOut(benchmark::State& state, int canvases, int boxesPerCanvas)
{
    ChartRead(DocumentMake(canvases, boxesPerCanvas), canvases);
    for (auto _ : state) {
        PassesRun(canvases);
        benchmark::DoNotOptimize(B.data());
    }
    B.clear();
}

void BM_LayOut10000Boxes(benchmark::State& state)
{
    LayOut(state, 1, 10000);
}
BENCHMARK(BM_LayOut10000Boxes)->Unit(benchmark::kMillisecond);

void BM_LayOut100000Boxes(benchmark::State& state)
{
    LayOut(state, 4, 25000);
}
BENCHMARK(BM_LayOut100000Boxes)->Unit(benchmark::kMillisecond);

void BM_ParseAndLayOut10000Boxes(benchmark::State& state)
{
    ParseAndLayOut(state, 1, 10000);
}
BENCHMARK(BM_ParseAndLayOut10000Boxes)->Unit(benchmark::kMillisecond);

void BM_ParseAndLayOut100000Boxes(benchmark::State& state)
{
    ParseAndLayOut(state, 4, 25000);
}
BENCHMARK(BM_ParseAndLayOut100000Boxes)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    benchsupport::DiagramStart(home.path());

    benchsupport::BenchmarksRun(argc, argv);
    BasicDefineTerminate();
    return 0;
}
