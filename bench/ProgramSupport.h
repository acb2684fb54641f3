#pragma once

// The benchmarks that run the program's own code: its start-up on its own ini file, with the
// per-user store and the work files inside the benchmark's folder, and its shutdown.

#include "app/diagram/BoxList.h"
#include "app/shell/AppMain.h"
#include "app/shell/ApplicationGlobals.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include "BenchSupport.h"

namespace benchsupport {

// Starts the program, runs the benchmarks named on the command line, drops every canvas and
// ends the program. Returns the exit code of the benchmark program.
inline int ProgramBenchmarksRun(int& argc, char** argv)
{
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
        const QString folder = PathOf(QString::fromLatin1(name));
        QDir().mkpath(folder);
        qputenv(name, QFile::encodeName(folder));
    }
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
