#pragma once

// What the benchmark programs share: a folder of their own for the files they write, the
// documents they write into it, the process's peak memory, and the run of the benchmarks named
// on the command line.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include "app/shell/AppMain.h"
#include "app/shell/ShellProgramLink.h"
#include "platform/codepage/CodePage.h"
#include "support/PrivateFolders.h"

namespace benchsupport {

// Before main: the program's folders point into a temporary folder of its own, like a test's,
// and the lower floors reach the upper ones through the program's own link, as after start-up.
struct ProgramEnvironment {
    QTemporaryDir root{QDir::tempPath() + QStringLiteral("/vellumora-bench-XXXXXX")};
    ProgramEnvironment()
    {
        testsupport::UsePrivateFolders(root.path());
        vellumora::SetProgramLink(&vellumora::ShellProgramLink());
    }
};
inline ProgramEnvironment Environment;

// Created on first use and removed when the program ends.
inline QTemporaryDir* Folder()
{
    static QTemporaryDir folder;
    return &folder;
}

inline QString PathOf(const QString& name) { return QDir(Folder()->path()).filePath(name); }
inline QString PathOf(const char* name) { return PathOf(QString::fromLatin1(name)); }

// Writes a tagged-text document, one line of lines a line, into the folder as name; returns its path.
inline QString DocumentWrite(const QString& name, const QStringList& lines)
{
    const QString path = PathOf(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(platform::codepage::ToShiftJis(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    return path;
}

// The peak resident memory of the process so far, in megabytes.
inline double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

inline void BenchmarksRun(int& argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

// The main of a benchmark that needs no more of the program than an offscreen application.
inline int OffscreenBenchmarksRun(int& argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchmarksRun(argc, argv);
    return 0;
}

} // namespace benchsupport
