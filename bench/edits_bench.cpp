// Undo and the copy buffer on large charts: the snapshot of a 10,000-box canvas and its restore
// (an undo or a redo, with the redraw of the canvas), and copying and pasting a subtree of 1,000
// boxes.
// Target, a bound set from the figures measured now (20 ms, 50 ms, 11 ms): the snapshot under
// 50 ms, the restore under 120 ms, the copy and paste under 30 ms.

#include "app/canvas/CopyAndPaste.h"
#include "app/canvas/HistoryControl.h"
#include "app/canvas/PageSetting.h"
#include "app/canvas/StructuralEdits.h"
#include "app/core/ApplicationGlobals.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/PadDraw.h"

#include <QCoreApplication>
#include <QStringList>

#include <benchmark/benchmark.h>

#include "ProgramSupport.h"

using namespace vellumora;

namespace {

constexpr int kBoxes = 10000;
constexpr int kSubtree = 1000;

// One routine: a loop "SUBTREE" holding kSubtree - 1 boxes (blocks and loops around a block),
// then blocks, loops and branches until the canvas holds kBoxes boxes.
QString DocumentMake()
{
    QStringList lines = {QStringLiteral("&&document"), QStringLiteral("&&routine"), QStringLiteral("&&obstinate"),
                         QStringLiteral("Obstinate1"), QStringLiteral("&&text"), QStringLiteral("受注処理"),
                         QStringLiteral("&&loop"), QStringLiteral("&&text"), QStringLiteral("SUBTREE")};
    int boxes = 2;
    for (int i = 0; boxes < 1 + kSubtree; ++i) {
        lines << QStringLiteral("&&block") << QStringLiteral("&&text") << QStringLiteral("明細%1を読む").arg(i)
              << QStringLiteral("&&loop") << QStringLiteral("&&text") << QStringLiteral("残りがある間")
              << QStringLiteral("&&block") << QStringLiteral("&&text") << QStringLiteral("1件加える")
              << QStringLiteral("&&end-loop");
        boxes += 3;
    }
    lines << QStringLiteral("&&end-loop");
    for (int i = 0; boxes < kBoxes; ++i) {
        lines << QStringLiteral("&&block") << QStringLiteral("&&text") << QStringLiteral("件数%1を数える").arg(i)
              << QStringLiteral("&&branch") << QStringLiteral("&&text") << QStringLiteral("区分%1").arg(i)
              << QStringLiteral("&&case") << QStringLiteral("&&text") << QStringLiteral("通常")
              << QStringLiteral("&&block") << QStringLiteral("&&text") << QStringLiteral("金額を加える")
              << QStringLiteral("&&case") << QStringLiteral("&&text") << QStringLiteral("返品")
              << QStringLiteral("&&output") << QStringLiteral("&&text") << QStringLiteral("返品票を印刷する")
              << QStringLiteral("&&end-branch");
        boxes += 4;
    }
    lines << QStringLiteral("&&end-routine") << QStringLiteral("&&end-document");
    return benchsupport::DocumentWrite(QStringLiteral("large.txt"), lines);
}

void DocumentOpen()
{
    static const QString path = DocumentMake();
    CanvasesRelease(1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    HistoryClear();
    ClipboardReset();
    ApplicationGlobals.DocumentName = path;
    CanvasSizeLoad();
    PadDrawGetData(QString());
    CanvasWindowsCreate();
    PadDrawRefresh(-1);
}

void BM_UndoSnapshotOf10000Boxes(benchmark::State& state)
{
    DocumentOpen();
    for (auto _ : state)
        HistoryAdd(QStringLiteral("編集"), 1);
    state.counters["boxes"] = B[1].header.boxCount;
}
BENCHMARK(BM_UndoSnapshotOf10000Boxes)->Unit(benchmark::kMillisecond)->Iterations(20);

// Each iteration restores the canvas once, undoing and redoing in turn.
void BM_UndoRestoreOf10000Boxes(benchmark::State& state)
{
    DocumentOpen();
    SetModifyFlag(true);
    HistoryAdd(QStringLiteral("編集"), 1);
    BoxUnlink(1, benchsupport::BoxWithText(QStringLiteral("SUBTREE")));
    PadDrawRefresh(1);
    bool undo = true;
    for (auto _ : state) {
        HistoryRestore(undo);
        undo = !undo;
        state.PauseTiming();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["boxes"] = B[1].header.boxCount;
}
BENCHMARK(BM_UndoRestoreOf10000Boxes)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_CopyAndPasteA1000BoxSubtree(benchmark::State& state)
{
    DocumentOpen();
    const std::int16_t subtree = benchsupport::BoxWithText(QStringLiteral("SUBTREE"));
    for (auto _ : state) {
        ClipboardCopyOpen();
        ClipboardCopyPart(1, subtree, -1);
        ClipboardCopyClose();
        ClipboardPaste(1, subtree, -1, false, false);
        state.PauseTiming();
        BoxUnlink(1, B[1].BoxList[static_cast<std::size_t>(subtree)].after);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CopyAndPasteA1000BoxSubtree)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::ProgramBenchmarksRun(argc, argv);
}
