#pragma once

// The benchmarks that run the program's own code: its start-up on its own ini file and its
// shutdown, around the run of the benchmarks named on the command line; and the boxes they find.

#include "app/core/ApplicationGlobals.h"
#include "app/diagram/BoxList.h"
#include "app/shell/AppMain.h"

#include <QApplication>
#include <QFile>

#include "BenchSupport.h"

namespace benchsupport {

// The box of canvas 1 in use that says text, or -1.
inline std::int16_t BoxWithText(const QString& text)
{
    const vellumora::CanvasRecord& c = vellumora::B[1];
    for (std::size_t n = 1; n < c.BoxList.size(); ++n)
        if (c.BoxList[n].garbage == -1 && c.BoxList[n].text.text == text)
            return static_cast<std::int16_t>(n);
    return -1;
}

// Starts the program offscreen, runs the benchmarks, drops every canvas and ends the program.
// Returns the exit code of the benchmark program.
inline int ProgramBenchmarksRun(int& argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!QFile::copy(QStringLiteral(VELLUMORA_SOURCE_DIR "/config/Vellumora.ini"), PathOf(QStringLiteral("vellumora.ini"))))
        return 1;
    vellumora::SetApplicationObject(Folder()->path(), QStringLiteral("vellumora"));
    vellumora::AppInitialize();

    BenchmarksRun(argc, argv);

    vellumora::CanvasesRelease(1);
    vellumora::AppTerminate();
    return 0;
}

} // namespace benchsupport
