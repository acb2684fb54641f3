// Opening a document of 3,000 routines: through the main window's Open command, one cascaded
// canvas window per routine ("with windows"), and read and laid out with no main window, so that
// no window is shown ("windowless"). Target: the open with windows within twice the windowless
// time (the windowless open takes about 0.21 s).
//
// The floor row is Qt alone framing 3,000 plain widgets of the same titles and sizes in a
// workspace of the same size, the cheapest way Qt allows: about 1.0 s, five times the windowless
// open. Qt's frames by themselves thus stand between the open with windows and its target; the
// open with windows is best read against windowless + floor (about 1.2 s). Pinned to one core on
// a quiet machine: with windows 3.45 s before the frames lost their own keys and placement and
// took their titles once shown, 2.0 s after (instructions 27.8 G -> 15.0 G; windowless 1.7 G,
// floor 6.5 G). Of the instructions the open with windows spends beyond windowless + floor,
// most go to Qt's paint of the workspace, which joins the rectangles of every frame one at a
// time (so in time that grows with the square of the frames) each time it is painted after a
// frame changed.

#include "app/canvas/PageSetting.h"
#include "app/core/CanvasSize.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/CanvasSurface.h"
#include "app/diagram/PadDraw.h"
#include "app/shell/BaseForm.h"
#include "platform/commondialog/CommonDialog.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStyle>

#include <memory>
#include <vector>

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

// The timed parts are functions of their own, so that an instruction count can take them alone
// (valgrind --tool=callgrind --collect-atstart=no --toggle-collect=<name>).
[[gnu::noinline]] void OpenWithWindows(BaseForm& main, const QString& path)
{
    platform::commondialog::QueueFileName(path);
    main.Menu_FileOpen_Click();
    QCoreApplication::processEvents();
}

[[gnu::noinline]] void OpenWindowless(const QString& path)
{
    ApplicationGlobals.DocumentName = path;
    CanvasSizeLoad();
    PadDrawGetData(QString());
    CanvasWindowsCreate();
    PadDrawRefresh(-1);
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
        OpenWithWindows(main, path);
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
        OpenWindowless(path);
        state.PauseTiming();
        state.counters["canvases"] = double(B.size() - 1);
        ApplicationGlobals.DocumentName.clear();
        Drop();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWindowless)->Unit(benchmark::kMillisecond)->Iterations(1);

// A window as the open frames it: its title and the size of its drawing area.
struct Framed {
    QString title;
    QSize size;
};

// Qt alone, framing plain widgets the cheapest way it allows, with the program's own tricks: each
// frame arrives kept on top (Qt raises any other by looking up every window), its Close item
// loses its keys (each change of an item searches every key of the program), it is placed at its
// cascade position before any frame is shown (Qt places a frame among the shown ones by trying
// positions against each of them), shown disabled (so that it does not take the activation, which
// touches every window) and takes its title once shown; the last one is activated, and the
// workspace is painted.
[[gnu::noinline]] void FramesFloor(QMdiArea& area, const std::vector<Framed>& windows)
{
    QList<QMdiSubWindow*> frames;
    frames.reserve(static_cast<qsizetype>(windows.size()));
    const int step = area.style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    for (const Framed& window : windows) {
        auto* widget = new QWidget;
        widget->resize(window.size);
        QMdiSubWindow* frame = area.addSubWindow(widget, Qt::SubWindow | Qt::WindowStaysOnTopHint);
        frame->setWindowFlag(Qt::WindowStaysOnTopHint, false);
        for (QAction* item : frame->systemMenu()->actions())
            item->setShortcuts({});
        const int n = static_cast<int>(frames.size());
        frame->setGeometry(QRect(QPoint(n * step, n * step), frame->sizeHint()));
        frames.append(frame);
    }
    for (std::size_t n = 0; n < windows.size(); ++n) {
        QMdiSubWindow* frame = frames[static_cast<qsizetype>(n)];
        frame->setEnabled(false);
        frame->show();
        frame->setEnabled(true);
        frame->widget()->setWindowTitle(windows[n].title);
    }
    area.setActiveSubWindow(frames.back());
    QCoreApplication::processEvents();
}

void BM_FramesFloor(benchmark::State& state)
{
    // The titles and sizes of the windows of the open, and the size of the main window's workspace.
    std::vector<Framed> windows;
    OpenWindowless(Document());
    for (std::size_t c = 1; c < B.size(); ++c)
        if (const CanvasSurface* form = B[c].form.data())
            windows.push_back({form->Caption(), form->sizeHint()});
    ApplicationGlobals.DocumentName.clear();
    Drop();
    QSize workspace;
    {
        BaseForm main;
        main.resize(1024, 768);
        main.show();
        QCoreApplication::processEvents();
        workspace = main.workspace->size();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    for (auto _ : state) {
        state.PauseTiming();
        auto area = std::make_unique<QMdiArea>();
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->resize(workspace);
        area->show();
        QApplication::setActiveWindow(area.get());
        QCoreApplication::processEvents();
        state.ResumeTiming();
        FramesFloor(*area, windows);
        state.PauseTiming();
        state.counters["windows"] = double(area->subWindowList().size());
        area.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FramesFloor)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::ProgramBenchmarksRun(argc, argv);
}
