// Writing and reading a document of 10,000 boxes as tagged text, plain and as a ".pad".
// Target, a bound set from the figures measured now (writing 34 ms as text and 42 ms as a
// ".pad", reading 17 ms each): writing under 100 ms, reading under 50 ms.
// And opening a small document from a ".pad" that also holds 200,000 empty members, which the
// open must look past. Measured 8.1 s while the archive was read twice and every name decoded,
// 2.2 to 3.0 s now, nearly all of it libzip reading the archive's directory (for each entry it
// converts the time with mktime, which looks at /etc/localtime each time when TZ is unset):
// under 4 s.

#include "app/diagram/FileInterface.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/Utilities.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <vector>

#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "support/ZipBytes.h"

using namespace vellumora;

namespace {

using benchsupport::Folder;
using benchsupport::PathOf;

constexpr int kBoxes = 10000;

std::int16_t AddBox(std::int32_t kind, const QString& text, std::int16_t upper, std::int16_t before)
{
    auto& boxes = B[1].BoxList;
    BoxRecord box;
    box.tagType = kind;
    box.text.text = text;
    box.colorCode = -1;
    box.upper = upper;
    box.before = before;
    boxes.push_back(box);
    const auto n = static_cast<std::int16_t>(boxes.size() - 1);
    if (before > 0)
        boxes[before].after = n;
    return n;
}

std::int16_t AddSub(std::int16_t owner, std::int16_t number, const QString& caseText, std::int16_t previous)
{
    auto& subs = B[1].SubList;
    SubRecord sub;
    sub.upper = owner;
    sub.no = number;
    sub.text.text = caseText;
    subs.push_back(sub);
    const auto n = static_cast<std::int16_t>(subs.size() - 1);
    if (previous > 0)
        subs[previous].after = n;
    else
        B[1].BoxList[owner].subIndex = n;
    return n;
}

// One canvas: a routine whose body repeats a block, a loop holding a block, and a branch of two
// cases holding a block and an output, until the canvas holds kBoxes boxes.
void CanvasMake()
{
    B.assign(2, CanvasRecord{});
    CanvasHeader& header = B[1].header;
    header.kindFlags = TagAttribute::Obstinate1;
    header.name = QStringLiteral("大きな図");
    header.number = 1;
    header.state = CanvasState::Open;
    B[1].BoxList.resize(1);
    B[1].SubList.resize(1);

    const std::int16_t routine = AddBox(TagId::Routine, QStringLiteral("受注処理"), -1, -1);
    header.firstBox = routine;
    const std::int16_t body = AddSub(routine, 1, QString(), -1);
    std::int16_t last = -1;
    auto inBody = [&](std::int32_t kind, const QString& text) {
        last = AddBox(kind, text, body, last);
        if (B[1].SubList[body].boxIndex < 0)
            B[1].SubList[body].boxIndex = last;
        return last;
    };
    int i = 0;
    while (static_cast<int>(B[1].BoxList.size()) - 1 + 6 <= kBoxes) {
        ++i;
        inBody(TagId::Block, QStringLiteral("処理 %1\r\n合計に金額を加える").arg(i));
        const std::int16_t loop = inBody(TagId::Loop, QStringLiteral("i = 1 から %1").arg(i));
        B[1].BoxList[loop].flags |= BoxFlag::TestBefore;
        const std::int16_t loopBody = AddSub(loop, 1, QString(), -1);
        B[1].SubList[loopBody].boxIndex = AddBox(TagId::Block, QStringLiteral("&&で始まる行\r\n #字下げ"), loopBody, -1);
        const std::int16_t branch = inBody(TagId::Branch, QStringLiteral("区分 %1").arg(i));
        const std::int16_t yes = AddSub(branch, 1, QStringLiteral("はい"), -1);
        B[1].SubList[yes].boxIndex = AddBox(TagId::Block, QStringLiteral("件数を数える"), yes, -1);
        const std::int16_t no = AddSub(branch, 2, QStringLiteral("いいえ"), yes);
        B[1].SubList[no].boxIndex = AddBox(TagId::Output, QStringLiteral("帳票に書く"), no, -1);
    }
    while (static_cast<int>(B[1].BoxList.size()) - 1 < kBoxes)
        inBody(TagId::Block, QStringLiteral("後始末"));
}

void Write(const QString& path)
{
    PadFileCreate(path);
    PadDocumentWrite(true, false);
    PadFileFinish();
}

std::size_t Read(const QString& path)
{
    PadFileOpen(path);
    std::size_t records = 0;
    while (GetPadInfo().tagId != 0)
        ++records;
    PadFileClose();
    return records;
}

void BM_Write10000Boxes(benchmark::State& state, const char* name)
{
    CanvasMake();
    const QString path = PathOf(name);
    for (auto _ : state)
        Write(path);
    state.SetItemsProcessed(state.iterations() * kBoxes);
    state.counters["bytes"] = static_cast<double>(QFile(path).size());
}
BENCHMARK_CAPTURE(BM_Write10000Boxes, text, "big.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Write10000Boxes, pad, "big.pad")->Unit(benchmark::kMillisecond);

void BM_Read10000Boxes(benchmark::State& state, const char* name)
{
    CanvasMake();
    const QString path = PathOf(name);
    Write(path);
    std::size_t records = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(records = Read(path));
    state.SetItemsProcessed(state.iterations() * kBoxes);
    state.counters["records"] = static_cast<double>(records);
}
BENCHMARK_CAPTURE(BM_Read10000Boxes, text, "big.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read10000Boxes, pad, "big.pad")->Unit(benchmark::kMillisecond);

void BM_OpenPadWithManyMembers(benchmark::State& state)
{
    const int extras = static_cast<int>(state.range(0));
    std::vector<testsupport::zipbytes::Entry> entries;
    entries.reserve(static_cast<std::size_t>(extras) + 1);
    for (int i = 0; i < extras; ++i)
        entries.push_back({QStringLiteral("extra/%1.txt").arg(i, 6, 10, QLatin1Char('0')).toLatin1(), QByteArray()});
    entries.push_back({"Vellumora.txt", "&&document\r\n&&routine\r\n&&text\r\nMain\r\n&&end-routine\r\n&&end-document\r\n"});
    const QString path = PathOf("members.pad");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(testsupport::zipbytes::MakeZip(entries)) < 0)
        state.SkipWithError("the archive could not be written");
    file.close();
    std::size_t records = 0;
    for (auto _ : state) {
        PadDocumentOpen(path);
        records = 0;
        while (GetPadInfo().tagId != 0)
            ++records;
        PadFileClose();
    }
    state.counters["records"] = static_cast<double>(records);
}
BENCHMARK(BM_OpenPadWithManyMembers)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The services object reads this ini file: the settings text needs its margins and spaces.
    QFile ini(PathOf("vellumora.ini"));
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[Default]\r\nPrinterLeftMargin=1\r\nPrinterRightMargin=1\r\nPrinterTopMargin=1\r\n"
              "PrinterBottomMargin=1\r\nPrinterLeftSpace=0\r\nPrinterRightSpace=0\r\nPrinterTopSpace=0\r\n"
              "PrinterBottomSpace=0\r\n");
    ini.close();
    SetApplicationObject(Folder()->path(), QStringLiteral("vellumora"));
    BasicDefineInitialize();
    UtilitiesInitialize();
    TagTableDefine();
    FileInterfaceInit();

    benchsupport::BenchmarksRun(argc, argv);

    FileInterfaceTerm();
    UtilitiesTerminate();
    BasicDefineTerminate();
    return 0;
}
