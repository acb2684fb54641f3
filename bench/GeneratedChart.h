#pragma once

// A generated chart for the benchmarks: routines of nine-box groups of every common kind, written
// as a tagged-text document and read into one canvas per routine.

#include "app/canvas/PageSetting.h"
#include "app/core/CanvasSize.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/BoxListMake.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/HorizontalPass.h"
#include "app/diagram/ListPreparation.h"
#include "app/diagram/PadDraw.h"
#include "app/diagram/TagTable.h"
#include "app/diagram/VerticalPass.h"
#include "app/core/ApplicationGlobals.h"
#include "platform/vbrt/Value.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>

#include "BenchSupport.h"

namespace benchsupport {

using namespace vellumora;

// One group: a block, a loop before its body around a block and a branch whose first case
// holds a loop after its body around an input and a block, whose second case holds an output
// and whose third is empty; then a note. Nine boxes.
inline void Group(QStringList& lines, int i)
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
inline QString DocumentMake(int canvases, int boxesPerCanvas)
{
    QStringList lines;
    for (int c = 0; c < canvases; ++c) {
        lines << "&&routine" << "&&text" << QStringLiteral("受注処理%1").arg(c);
        for (int i = 0, boxes = 1; boxes + 9 <= boxesPerCanvas; ++i, boxes += 9)
            Group(lines, i);
        lines << "&&end-routine";
    }
    return DocumentWrite(QStringLiteral("chart%1.txt").arg(canvases), lines);
}

// One routine of loops nested depth deep: each loop body holds boxesAround blocks, the next loop
// and boxesAround blocks more, the innermost one block. Returns the path.
inline QString NestedDocumentMake(int depth, int boxesAround)
{
    QStringList lines = {QStringLiteral("&&routine"), QStringLiteral("&&text"), QStringLiteral("入れ子")};
    auto blocks = [&](int level, const QString& side) {
        for (int k = 0; k < boxesAround; ++k)
            lines << QStringLiteral("&&block") << QStringLiteral("&&text") << QStringLiteral("%1%2-%3").arg(side).arg(level).arg(k);
    };
    for (int level = 0; level < depth; ++level) {
        blocks(level, QStringLiteral("前"));
        lines << QStringLiteral("&&loop") << QStringLiteral("&&before") << QStringLiteral("&&text")
              << QStringLiteral("条件%1").arg(level);
    }
    lines << QStringLiteral("&&block") << QStringLiteral("&&text") << QStringLiteral("中心");
    for (int level = depth; level-- > 0;) {
        lines << QStringLiteral("&&end-loop");
        blocks(level, QStringLiteral("後"));
    }
    lines << QStringLiteral("&&end-routine");
    return DocumentWrite(QStringLiteral("nested%1x%2.txt").arg(depth).arg(boxesAround), lines);
}

// A whole document of canvases routines of about boxesPerCanvas boxes each; returns its path.
inline QString ChartDocumentWrite(int canvases, int boxesPerCanvas)
{
    QStringList lines = {QStringLiteral("&&document")};
    for (int c = 0; c < canvases; ++c) {
        lines << QStringLiteral("&&routine") << QStringLiteral("&&text") << QStringLiteral("受注処理%1").arg(c);
        for (int i = 0, boxes = 1; boxes + 9 <= boxesPerCanvas; ++i, boxes += 9)
            Group(lines, i);
        lines << QStringLiteral("&&end-routine");
    }
    lines << QStringLiteral("&&end-document");
    return DocumentWrite(QStringLiteral("chart-%1x%2.txt").arg(canvases).arg(boxesPerCanvas), lines);
}

// Opens a chart of canvases routines of about boxesPerCanvas boxes each, drawn in their windows.
inline void ChartOpen(int canvases, int boxesPerCanvas)
{
    if (B.size() > 1)
        return;
    ApplicationGlobals.DocumentName = ChartDocumentWrite(canvases, boxesPerCanvas);
    PadDrawGetData(QString());
    CanvasWindowsCreate();
    PadDrawRefresh(-1);
    QCoreApplication::processEvents();
}

// Reads every routine of the chart into its own canvas.
inline void ChartRead(const QString& path, int canvases)
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

// The three layout passes over canvases 1 to canvases, as every redraw runs them.
inline void ChartLayOut(int canvases)
{
    for (std::int16_t c = 1; c <= canvases; ++c) {
        BoxListPrepare(c, -1, false);
        BoxTreeXPosition(c, -1, 0, 0);
        BoxTreeYPosition(c, -1);
    }
}

// The boxes read into canvases 1 to canvases.
inline std::int64_t ChartBoxCount(int canvases)
{
    std::int64_t boxes = 0;
    for (std::int16_t c = 1; c <= canvases; ++c)
        boxes += B[static_cast<std::size_t>(c)].header.boxCount;
    return boxes;
}

// Start-up as far as the diagram needs it, on a copy of the program's ini file in home: services,
// colours and fonts, tag tables, the document font at 10 points and the gaps a canvas slot derives.
inline void DiagramStart(const QString& home)
{
    const QString ini = QDir(home).filePath(QStringLiteral("vellumora.ini"));
    QFile::copy(QStringLiteral(VELLUMORA_SOURCE_DIR "/config/Vellumora.ini"), ini);
    SetApplicationObject(home, QStringLiteral("vellumora"));
    BasicDefineInitialize();
    FontAndColorLoad();
    TagTableDefine();
    ApplicationGlobals.DocumentFontName = QStringLiteral("ＭＳ ゴシック");
    ApplicationGlobals.DocumentFontSize = QStringLiteral("10");
    DrawStateReset(0);
    FontSelect(0, 0);
    LO.yAdjustAllow = static_cast<std::int32_t>(platform::vbrt::Int(LO.charHeight / 3.0));
    LayoutGapsSet(LO);
    CanvasSize = CanvasSizeRecord{0, 0, 283, 283, 283, 283};
}

// The main of a benchmark on the generated chart: an offscreen application, the diagram started
// on the benchmark's own folder, the benchmarks named on the command line, and the services let go.
inline int DiagramBenchmarksRun(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DiagramStart(Folder()->path());

    BenchmarksRun(argc, argv);
    BasicDefineTerminate();
    return 0;
}

} // namespace benchsupport
