// The per-user store: one write to a store of 1,000 values, and eight running copies writing
// 500 values each at once (every value must be there afterwards).
// Target, a bound set from the figures measured now (0.09 ms, 3.0 s): one write under 1 ms, the
// eight copies under 6 s, and "lost" always 0.

#include "platform/registry/Registry.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "BenchSupport.h"
#include "support/PrivateFolders.h"

namespace reg = platform::registry;

namespace {

const QString kKey = QStringLiteral("Software\\Tavelin\\Bench");

reg::Handle OpenBenchKey()
{
    reg::Handle key = -1;
    reg::CreateKey(reg::CurrentUser, kKey, false, key);
    return key;
}

void SingleWriteToAThousandValueStore(benchmark::State& state)
{
    QTemporaryDir folder(benchsupport::PathOf("single-XXXXXX"));
    testsupport::UsePrivateFolders(folder.path());
    const reg::Handle key = OpenBenchKey();
    for (int i = 0; i < 1000; ++i)
        reg::SetValue(key, QStringLiteral("Value%1").arg(i), QStringLiteral("text of value %1").arg(i));
    int n = 0;
    for (auto _ : state) {
        if (reg::SetValue(key, QStringLiteral("Value%1").arg(n % 1000), QString::number(n)) != reg::Status::Success)
            state.SkipWithError("the write failed");
        ++n;
    }
    reg::CloseKey(key);
}
BENCHMARK(SingleWriteToAThousandValueStore)->Unit(benchmark::kMillisecond);

constexpr int kCopies = 8;
constexpr int kValuesEach = 500;

void EightCopiesWritingAtOnce(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir folder(benchsupport::PathOf("eight-XXXXXX"));
        testsupport::UsePrivateFolders(folder.path());
        std::vector<std::unique_ptr<QProcess>> copies;
        for (int c = 0; c < kCopies; ++c) {
            auto copy = std::make_unique<QProcess>();
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("REGISTRY_BENCH_COPY"), QString::number(c));
            env.insert(QStringLiteral("REGISTRY_BENCH_STORE"), folder.path());
            copy->setProcessEnvironment(env);
            copy->start(QCoreApplication::applicationFilePath(), {});
            copies.push_back(std::move(copy));
        }
        for (auto& copy : copies) {
            if (!copy->waitForFinished(600000) || copy->exitCode() != 0)
                state.SkipWithError("a copy failed");
        }
        state.PauseTiming();
        const reg::Handle key = OpenBenchKey();
        int lost = 0;
        for (int c = 0; c < kCopies; ++c) {
            for (int i = 0; i < kValuesEach; ++i) {
                std::int32_t type = 0;
                QString data;
                if (reg::QueryValue(key, QStringLiteral("C%1V%2").arg(c).arg(i), type, data) != reg::Status::Success
                    || data != QString::number(i))
                    ++lost;
            }
        }
        reg::CloseKey(key);
        state.counters["lost"] = lost;
        if (lost != 0)
            state.SkipWithError("values were lost");
        state.ResumeTiming();
    }
}
BENCHMARK(EightCopiesWritingAtOnce)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// One of the eight copies: writes its values into the store folders it inherited.
int RunCopy(int copy)
{
    const reg::Handle key = OpenBenchKey();
    for (int i = 0; i < kValuesEach; ++i) {
        if (reg::SetValue(key, QStringLiteral("C%1V%2").arg(copy).arg(i), QString::number(i)) != reg::Status::Success)
            return 1;
    }
    reg::CloseKey(key);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("REGISTRY_BENCH_COPY")) {
        testsupport::UsePrivateFolders(qEnvironmentVariable("REGISTRY_BENCH_STORE"));
        return RunCopy(qEnvironmentVariableIntValue("REGISTRY_BENCH_COPY"));
    }
    benchsupport::BenchmarksRun(argc, argv);
    return 0;
}
