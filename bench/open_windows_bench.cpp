// Opening a document of 3,000 routines: through the main window's Open command, one cascaded
// canvas window per routine ("with windows"), and read and laid out with no main window, so that
// no window is shown ("windowless"). Target: the open with windows within twice the windowless
// time (the windowless open takes about 0.3 s).

#include "app/canvas/PageSetting.h"
#include "app/core/CanvasSize.h"
#include "app/core/ApplicationGlobals.h"
#include "app/diagram/PadDraw.h"
#include "app/shell/BaseForm.h"
#include "platform/commondialog/CommonDialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <benchmark/benchmark.h>

#include "GeneratedChart.h"
#include "ProgramSupport.h"

using namespace vellumora;

namespace {

constexpr int kRoutines = 3000;

// 3,000 routines of one nine-box group each.
const QString& Document()
{
    static const QString path = [] {
        QStringList lines = {QStringLiteral("&&document")};
        for (int c = 0; c < kRoutines; ++c) {
            lines << QStringLiteral("&&routine") << QStringLiteral("&&text") << QStringLiteral("受注処理%1").arg(c);
            benchsupport::Group(lines, c);
            lines << QStringLiteral("&&end-routine");
        }
        lines << QStringLiteral("&&end-document");
        return benchsupport::DocumentWrite(QStringLiteral("routines.txt"), lines);
    }();
    return path;
}

void Drop()
{
    CanvasesRelease(1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_OpenWithWindows(benchmark::State& state)
{
    BaseForm main;
    main.resize(1024, 768);
    main.show();
    QApplication::setActiveWindow(&main);
    QCoreApplication::processEvents();
    const QString& path = Document();
    for (auto _ : state) {
        platform::commondialog::QueueFileName(path);
        main.Menu_FileOpen_Click();
        QCoreApplication::processEvents();
        state.PauseTiming();
        state.counters["windows"] = double(main.workspace->subWindowList().size());
        ApplicationGlobals.DocumentName.clear();
        Drop();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWithWindows)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_OpenWindowless(benchmark::State& state)
{
    const QString& path = Document();
    for (auto _ : state) {
        ApplicationGlobals.DocumentName = path;
        CanvasSizeLoad();
        PadDrawGetData(QString());
        CanvasWindowsCreate();
        PadDrawRefresh(-1);
        state.PauseTiming();
        state.counters["canvases"] = double(B.size() - 1);
        ApplicationGlobals.DocumentName.clear();
        Drop();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWindowless)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::ProgramBenchmarksRun(argc, argv);
}
