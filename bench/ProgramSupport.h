#pragma once

// The benchmarks that run the program's own code: its start-up on its own ini file and its
// shutdown, around the run of the benchmarks named on the command line.

#include "app/core/ApplicationGlobals.h"
#include "app/diagram/BoxList.h"
#include "app/shell/AppMain.h"

#include <QApplication>
#include <QFile>

#include "BenchSupport.h"

namespace benchsupport {

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
