// The print command "/P" of a 10,000-box chart as a whole process, from start to exit, against a
// CUPS queue of the benchmark's own, and beside it, in the same run, a program that only writes
// the same number of pages, boxes, lines and texts with QPdfWriter (pdfwriter_floor), start to
// exit too. Both run one after the other in each round; the queue's own conversion of a job runs
// after the program has ended and is waited for between rounds, outside the times. Rows: the
// work files ("folder") in the benchmark's own temporary folder (0, on disk), on tmpfs (1) or in
// the temporary folder the benchmark was started with (2, on disk; see WorkFolderUse); and both
// programs with glibc's malloc as it comes or told not to give memory back ("untrimmed"). A fresh
// QPdfWriter process spends most of its time growing and trimming its heap for every page's
// buffer, where a process with a larger heap (the program, or the in-process floor of
// print_whole_bench) does not: the untrimmed row shows the floor without that.
// Target: "ratio" (print command / writer alone) at most 2.0 in every row.
//
// Needs CUPS and cups-pdf (scripts/setup) and the right to start a CUPS daemon (root, or sudo
// without a password). Build: scripts/build print_process_bench vellumora pdfwriter_floor
// Run: build/bin/print_process_bench

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <benchmark/benchmark.h>

#include "ProgramSupport.h"
#include "WholePrint.h"
#include "support/CupsPdfQueue.h"
#include "support/PdfTools.h"

namespace {

using benchsupport::PrintShapes;

constexpr int kRounds = 3;

// Runs a program to its exit with the given temporary folder; its time in milliseconds, or -1
// when it failed or did not end within two minutes.
double RunToExit(const QString& program, const QStringList& arguments, const QString& temporaryFolder,
                 bool untrimmed)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TMPDIR"), temporaryFolder);
    if (untrimmed)
        environment.insert(QStringLiteral("GLIBC_TUNABLES"),
                           QStringLiteral("glibc.malloc.trim_threshold=1000000000:glibc.malloc.mmap_threshold=1000000000"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 ? ms : -1;
}

void BM_PrintCommandOf10000BoxesAgainstPdfWriterAlone(benchmark::State& state)
{
    const auto folder = static_cast<benchsupport::WorkFolder>(state.range(0));
    const bool untrimmed = state.range(1) == 1;
    // The shapes are counted in this process, with its work files where the row puts them.
    if (!benchsupport::WorkFolderUse(folder)) {
        state.SkipWithError("no tmpfs at /dev/shm");
        return;
    }
    const QString temporaryFolder = qEnvironmentVariable("TMPDIR");
    benchsupport::ChartOpen(1, 10000);
    const QString document = benchsupport::PathOf(QStringLiteral("chart-1x10000.txt"));
    const PrintShapes shapes = benchsupport::JobShapes();
    if (shapes.pages == 0) {
        state.SkipWithError("the layout gave no page");
        return;
    }
    testsupport::CupsPdfQueue cups;
    const QString skip = cups.Start();
    if (!skip.isEmpty() || !cups.Ready()) {
        const std::string why = (skip.isEmpty() ? cups.Failure() : skip).toStdString();
        state.SkipWithError(why.c_str());
        return;
    }
    const QString bin = QCoreApplication::applicationDirPath();
    const QStringList floorArguments = {benchsupport::PathOf(QStringLiteral("floor.pdf")), QString::number(shapes.pages),
                                        QString::number(shapes.boxes), QString::number(shapes.lines),
                                        QString::number(shapes.texts)};
    double whole = 0;
    double alone = 0;
    int printedPages = 0;
    for (auto _ : state) {
        const qsizetype before = cups.OutputFiles().size();
        const double ms = RunToExit(bin + QStringLiteral("/vellumora"), {QStringLiteral("/P"), document}, temporaryFolder,
                                    untrimmed);
        if (ms < 0) {
            state.SkipWithError("the print command failed");
            return;
        }
        // The job leaves the queue and its PDF is written before the next round starts.
        if (!QTest::qWaitFor([&] { return cups.OutputFiles().size() > before && cups.Idle(); }, 300000)) {
            const std::string why = ("the queue did not print the job\n" + cups.Log()).toStdString();
            state.SkipWithError(why.c_str());
            return;
        }
        const double floorMs = RunToExit(bin + QStringLiteral("/pdfwriter_floor"), floorArguments, temporaryFolder, untrimmed);
        if (floorMs < 0) {
            state.SkipWithError("pdfwriter_floor failed: build it with scripts/build pdfwriter_floor");
            return;
        }
        whole += ms;
        alone += floorMs;
        state.SetIterationTime(ms / 1000.0);
    }
    for (const QString& file : cups.OutputFiles())
        printedPages = std::max(printedPages, testsupport::PdfInfoRead(file).pages);
    const double runs = double(state.iterations());
    state.counters["whole_ms"] = whole / runs;
    state.counters["alone_ms"] = alone / runs;
    state.counters["ratio"] = whole / alone;
    state.counters["pages"] = shapes.pages;
    state.counters["printed_pages"] = printedPages;
}
BENCHMARK(BM_PrintCommandOf10000BoxesAgainstPdfWriterAlone)
    ->ArgNames({"folder", "untrimmed"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 0})
    ->UseManualTime()
    ->Iterations(kRounds)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return benchsupport::ProgramBenchmarksRun(argc, argv);
}
