// Painting a canvas of 10,000 boxes: exposing a 1,000 x 800 pixel area of its window once the
// chart is drawn, drawing the whole chart, and placing its controls.
// Target, a bound set from the figures measured now (3.7 ms, 16 ms, 1.7 ms): the exposed area
// under 10 ms, the whole chart under 40 ms, the controls under 5 ms.

#include "app/canvas/CanvasForm.h"
#include "app/canvas/PageSetting.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/BoxMake.h"
#include "app/diagram/CanvasPartsArrange.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "support/PaintChart.h"

#include <QPixmap>
#include <QTimer>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

using namespace vellumora;

namespace {

constexpr int kRows = 100;           // loops in the top chain
constexpr int kPerRow = 99;          // blocks on the body of each loop
constexpr std::int32_t kWidth = 1500;
constexpr std::int32_t kHeight = 600;
constexpr std::int32_t kPitchX = 2100;
constexpr std::int32_t kPitchY = 900;

std::int16_t Add(std::int16_t canvas, std::int32_t tag, std::int32_t attr, const QString& text, std::int32_t x,
                 std::int32_t y, std::int16_t before, std::int16_t upper)
{
    const std::int16_t n = painttest::ChainBoxAdd(canvas, tag, attr, text, before, upper);
    BoxRecord& b = B[canvas].BoxList[n];
    b.xy = {x, y};
    b.sizeP = {kWidth, kHeight};
    b.text.xy = {150, 100};
    return n;
}

// A chart as the layout leaves it: a top chain of loops, each with a body of blocks, one row
// of the window per loop; then arranged as after a redraw and drawn once.
std::int16_t ChartMake()
{
    painttest::PlainDocumentGlobalsSet();
    B.assign(1, CanvasRecord{});
    BoxListClear(0);
    const std::int16_t canvas = CanvasSlotSetup(-1, 0);
    CanvasForm* form = CanvasWindowOf(B[canvas]);
    form->timRefresh->stop();
    std::int16_t loop = -1;
    for (int row = 0; row < kRows; ++row) {
        const std::int32_t y = 300 + row * kPitchY;
        loop = Add(canvas, TagId::Loop, TagAttribute::SubLevel, QStringLiteral("繰返し %1").arg(row), 300, y, loop, -1);
        B[canvas].BoxList[loop].draw = {LineFigureMake(kWidth - 100, 0, kWidth - 100, kHeight)};
        const std::int16_t body = SubLineAdd(canvas, -1, loop, 1);
        B[canvas].BoxList[loop].subIndex = body;
        B[canvas].SubList[body].xy[0] = {300 + kWidth, y};
        B[canvas].SubList[body].draw = {LineFigureMake(0, kHeight / 2, kPitchX - kWidth, kHeight / 2)};
        std::int16_t block = -1;
        for (int k = 1; k <= kPerRow; ++k)
            block = Add(canvas, TagId::Block, TagAttribute::Frame, QStringLiteral("処理 %1\r\nline two").arg(k),
                        300 + k * kPitchX, y, block, block > 0 ? -1 : body);
    }
    B[canvas].header.width = 300 + (kPerRow + 1) * kPitchX;
    B[canvas].header.height = 300 + kRows * kPitchY + 300;
    CanvasPartsArrange(canvas, SubRecord::Default);
    BoxListDraw(canvas, SubRecord::Default);
    return canvas;
}

void ChartRelease()
{
    for (CanvasRecord& record : B)
        delete record.form.data();
    B.clear();
}

void BM_Expose1000x800PixelsOfA10000BoxCanvas(benchmark::State& state)
{
    const std::int16_t canvas = ChartMake();
    CanvasForm* form = CanvasWindowOf(B[canvas]);
    const QRect exposed(4000, 1500, 1000, 800); // pixels, in the middle of the chart
    for (auto _ : state)
        benchmark::DoNotOptimize(form->grab(exposed));
    state.counters["records"] = static_cast<double>(form->Records().size());
    ChartRelease();
}
BENCHMARK(BM_Expose1000x800PixelsOfA10000BoxCanvas)->Unit(benchmark::kMillisecond);

void BM_DrawTheWhole10000BoxCanvas(benchmark::State& state)
{
    const std::int16_t canvas = ChartMake();
    CanvasForm* form = CanvasWindowOf(B[canvas]);
    for (auto _ : state) {
        form->Cls();
        BoxListDraw(canvas, SubRecord::Default);
    }
    ChartRelease();
}
BENCHMARK(BM_DrawTheWhole10000BoxCanvas)->Unit(benchmark::kMillisecond);

void BM_ArrangeThe10000BoxCanvas(benchmark::State& state)
{
    const std::int16_t canvas = ChartMake();
    for (auto _ : state)
        CanvasPartsArrange(canvas, SubRecord::Default);
    ChartRelease();
}
BENCHMARK(BM_ArrangeThe10000BoxCanvas)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::OffscreenBenchmarksRun(argc, argv);
}
