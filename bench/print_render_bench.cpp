// Printing a chart of 10,000 boxes with real fonts: from the laid-out blocks of the print work slot
// (draw work files, page packing, page files) to a finished PDF; and the preview of a 100-page job
// until its first page can be shown. Peak memory is reported as the counter "peak_MB".
// Target, a bound set from the figures measured now (0.86 s with a peak of 51 MB; 0.91 s): the
// PDF under 1.5 s with a peak under 100 MB, the preview's first page under 1.5 s.

#include "app/diagram/FontAndColor.h"
#include "app/diagram/TagTable.h"
#include "app/print/DrawWorkFile.h"
#include "app/print/ImagePrint.h"
#include "app/print/PagePacking.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/LayoutRecords.h"
#include "app/core/PrintRecords.h"
#include "app/core/Utilities.h"
#include "platform/printer/Printer.h"
#include "support/FakeServices.h"
#include "support/PrintJobSteps.h"

#include <QCoreApplication>
#include <QDialog>
#include <QPrintPreviewWidget>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

using namespace vellumora;

namespace {

constexpr int kBoxes = 10000;
constexpr int kBoxesPerBlock = 25;
constexpr std::int32_t kBoxWidth = 2000;
constexpr std::int32_t kBoxHeight = 400;
constexpr std::int32_t kPitchY = 500;

void ProgramState()
{
    static std::shared_ptr<testsupport::FakeServices> services = [] {
        auto made = std::make_shared<testsupport::FakeServices>();
        made->temporaryFolder = benchsupport::Folder()->path();
        return made;
    }();
    CommonServices = services;
    SetApplicationObject(benchsupport::Folder()->path(), QStringLiteral("vellumora"));
    UtilitiesInitialize();
    ApplicationGlobals.ColorTable = {{QString(), QStringLiteral("標準"), 0, 0, 0, -1}};
    ApplicationGlobals.FontNameList = {QStringLiteral("標準"), QStringLiteral("ＭＳ ゴシック")};
    ApplicationGlobals.DocumentFontName = QStringLiteral("ＭＳ ゴシック");
    ApplicationGlobals.DocumentFontSize = QStringLiteral("10.5");
    ApplicationGlobals.DocumentColorName = QStringLiteral("標準");
    ApplicationGlobals.DocumentName = benchsupport::PathOf("chart.pad");
    DrawStateReset(0);
    FontSelect(0, 0);
    LO.blockHorizontalGap = 200;
    LO.blockVerticalGap = 200;
    printrender_test::ReportSettingsA4();
    RS.frameShow = {true, false, false};
    RS.explain[2] = QStringLiteral("ﾍﾟｰｼﾞ番号/総ﾍﾟｰｼﾞ数");
}

// Slot 0 as the layout leaves it: one chain of framed boxes cut into blocks of 25, each block
// continuing the one before.
void LaidOutChart()
{
    B.assign(1, CanvasRecord{});
    RW = PrintWorkRecord::Default;
    RW.BlockList.resize(1);
    RW.PageList.resize(1);
    B[0].BoxList.resize(1);
    B[0].SubList.resize(1);
    for (int n = 0; n < kBoxes; ++n) {
        if (n % kBoxesPerBlock == 0) {
            BlockRecord block;
            block.canvas = 1;
            block.size = Point{kBoxWidth + 200, kBoxesPerBlock * kPitchY};
            RW.BlockList.push_back(block);
        }
        BoxRecord box;
        box.tagType = TagId::Block;
        box.tagAttr = TagAttribute::Frame;
        box.text.text = QStringLiteral("処理ボックス %1").arg(n + 1);
        box.text.xy = Point{200, 80};
        box.xy = Point{100, (n % kBoxesPerBlock) * kPitchY};
        box.sizeP = Point{kBoxWidth, kBoxHeight};
        box.colorCode = -1;
        box.blockIndex = std::int16_t(RW.BlockList.size() - 1);
        box.before = std::int16_t(n);
        B[0].BoxList.push_back(box);
        if (n > 0)
            B[0].BoxList[std::size_t(n)].after = std::int16_t(n + 1);
    }
    B[0].BoxList[1].before = -1;
    B[0].header.firstBox = 1;
}

// Work files written, pages packed and rendered: the whole job but its delivery.
void JobToBook()
{
    LaidOutChart();
    const std::int16_t top = BlockDrawFileWrite(-1);
    printrender_test::BlockFilesClose();
    printrender_test::PagesAssign(top);
    PageFilesWrite();
    printrender_test::PagesRender();
}

void BM_PrintA10000BoxChartToPdf(benchmark::State& state)
{
    ProgramState();
    RS.pdfPath = benchsupport::PathOf("chart.pdf");
    for (auto _ : state) {
        JobToBook();
        state.counters["pages"] = double(ImageBook->Pages().size());
        ImageBookOutput(ImageOutput::Pdf);
        TemporaryFileDelete(QStringLiteral("draw"), QStringLiteral("*"), QStringLiteral("*"), QStringLiteral("*"));
    }
    state.counters["peak_MB"] = benchsupport::PeakMegabytes();
}
BENCHMARK(BM_PrintA10000BoxChartToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PreviewFirstPageOfA100PageJob(benchmark::State& state)
{
    ProgramState();
    JobToBook();
    // Keep the first 100 pages.
    ImageBook->Pages().resize(std::min<std::size_t>(100, ImageBook->Pages().size()));
    state.counters["pages"] = double(ImageBook->Pages().size());
    for (auto _ : state) {
        std::unique_ptr<QDialog> dialog = platform::report::CreatePreviewDialog(*ImageBook);
        dialog->show();
        auto* view = dialog->findChild<QPrintPreviewWidget*>();
        while (view->pageCount() == 0)
            QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(dialog->grab());
    }
    ImageBook.reset();
    TemporaryFileDelete(QStringLiteral("draw"), QStringLiteral("*"), QStringLiteral("*"), QStringLiteral("*"));
}
BENCHMARK(BM_PreviewFirstPageOfA100PageJob)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::OffscreenBenchmarksRun(argc, argv);
}
