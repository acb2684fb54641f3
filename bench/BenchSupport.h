#pragma once

// What the benchmark programs share: a folder of their own for the files they write, and the run
// of the benchmarks named on the command line.

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace benchsupport {

// Created on first use and removed when the program ends.
inline QTemporaryDir* Folder()
{
    static QTemporaryDir folder;
    return &folder;
}

inline QString PathOf(const QString& name) { return QDir(Folder()->path()).filePath(name); }
inline QString PathOf(const char* name) { return PathOf(QString::fromLatin1(name)); }

inline void BenchmarksRun(int& argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}

} // namespace benchsupport
