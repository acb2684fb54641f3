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

using namespace vellumora;

namespace {

using benchsupport::PathOf;

// One group: a block, a loop before its body around a block and a branch whose first case
// holds a loop after its body around an input and a block, whose second case holds an output
// and whose third is empty; then a note. Nine boxes.
void Group(QStringList& lines, int i)
{
    lines << "&&block" << "&&text" << QStringLiteral("件数%1を数える").arg(i)                         //
          << "&&loop" << "&&before" << "&&text" << "ファイルの終わりまで"                             //
          << "&&block" << "&&text" << "1件読む" << "合計に加える" << "&&end-loop"                     //
          << "&&branch" << "&&text" << QStringLiteral("区分%1").arg(i)                               //
          << "&&case" << "&&text" << "通常"                                                           //
          << "&&loop" << "&&after" << "&&text" << "3回まで" << "&&input" << "&&text" << "再入力"      //
          << "&&block" << "&&text" << "金額を加える" << "&&end-loop"                                  //
          << "&&case" << "&&text" << "返品" << "&&output" << "&&text" << "返品票を印刷する"           //
          << "&&case" << "&&text" << "その他"                                                         //
          << "&&end-branch"                                                                           //
          << "&&note" << "&&text" << "注記";
}

// A document of routines of about boxesPerCanvas boxes each; returns its path.
QString DocumentMake(int canvases, int boxesPerCanvas)
{
    QStringList lines;
    for (int c = 0; c < canvases; ++c) {
        lines << "&&routine" << "&&text" << QStringLiteral("受注処理%1").arg(c);
        for (int i = 0, boxes = 1; boxes + 9 <= boxesPerCanvas; ++i, boxes += 9)
            Group(lines, i);
        lines << "&&end-routine";
    }
    const QString path = PathOf(QStringLiteral("chart%1.txt").arg(canvases));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(platform::codepage::ToShiftJis(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    return path;
}

// Reads every routine of the chart into its own canvas.
void ChartRead(const QString& path, int canvases)
{
    B.assign(static_cast<std::size_t>(canvases) + 1, CanvasRecord{});
    for (std::int16_t c = 0; c <= canvases; ++c)
        BoxListClear(c);
    PadFileOpen(path);
    for (std::int16_t c = 1; c <= canvases; ++c) {
        BoxListMake(c, -1);
        GetPadInfo(); // the routine's end
    }
    PadFileClose();
}

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
    const QString ini = QDir(home.path()).filePath(QStringLiteral("vellumora.ini"));
    QFile::copy(QStringLiteral(VELLUMORA_SOURCE_DIR "/config/Vellumora.ini"), ini);
    SetApplicationObject(home.path(), QStringLiteral("vellumora"));
    BasicDefineInitialize();
    FontAndColorLoad();
    TagTableDefine();
    // The document font and the gaps a canvas slot derives from it.
    ApplicationGlobals.DocumentFontName = QStringLiteral("ＭＳ ゴシック");
    ApplicationGlobals.DocumentFontSize = QStringLiteral("10");
    DrawStateReset(0);
    FontSelect(0, 0);
    LO.yAdjustAllow = static_cast<std::int32_t>(platform::vbrt::Int(LO.charHeight / 3.0));
    LayoutGapsSet(LO);
    CanvasSize = CanvasSizeRecord{0, 0, 283, 283, 283, 283};

    benchsupport::BenchmarksRun(argc, argv);
    BasicDefineTerminate();
    return 0;
}
