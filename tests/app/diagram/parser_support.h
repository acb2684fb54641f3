#pragma once

// Shared by the parser and list preparation tests: the services object on the program's own ini
// file (colours, fonts, defaults), the tag tables, documents parsed from text, a one-line picture
// of a canvas's box tree and a check that every link of the tree agrees with its neighbours.

#include "app/diagram/BoxList.h"
#include "app/diagram/BoxListMake.h"
#include "app/diagram/FileInterface.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "platform/codepage/CodePage.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace parser_test {

using namespace vellumora;

// Starts the services object once per test program on a copy of the program's ini file, then
// loads the colour and font lists and the tag tables as start-up does.
class Services : public ::testing::Environment {
public:
    void SetUp() override
    {
        const QString ini = QDir(folder_.path()).filePath(QStringLiteral("vellumora.ini"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELLUMORA_SOURCE_DIR "/config/Vellumora.ini"), ini));
        SetApplicationObject(folder_.path(), QStringLiteral("vellumora"));
        BasicDefineInitialize();
        FontAndColorLoad();
        TagTableDefine();
    }
    void TearDown() override { BasicDefineTerminate(); }

private:
    QTemporaryDir folder_;
};

inline ::testing::Environment* const kServices = ::testing::AddGlobalTestEnvironment(new Services);

constexpr std::int16_t kCanvas = 1;

inline CanvasRecord& Canvas(std::int16_t canvas = kCanvas) { return B[static_cast<std::size_t>(canvas)]; }
inline BoxRecord& Box(std::int16_t n, std::int16_t canvas = kCanvas) { return Canvas(canvas).BoxList[n]; }
inline SubRecord& Sub(std::int16_t n, std::int16_t canvas = kCanvas) { return Canvas(canvas).SubList[n]; }

// Canvas slots 0 and 1 with empty lists and no window.
inline void CanvasesReset()
{
    B.assign(2, CanvasRecord{});
    BoxListClear(0);
    BoxListClear(kCanvas);
}

// Opens tagged text (lines joined with CR LF, stored as Shift_JIS) as the input.
inline void InputOpen(const QTemporaryDir& folder, const QStringList& lines)
{
    const QString path = QDir(folder.path()).filePath(QStringLiteral("input.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(platform::codepage::ToShiftJis(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    file.close();
    PadFileOpen(path);
}

// Loads a whole document as the program's loader does: one canvas per top-level routine or note.
inline void DocumentLoad(const QString& path)
{
    B.assign(1, CanvasRecord{});
    BoxListClear(0);
    PadDocumentOpen(path);
    ASSERT_EQ(GetPadInfo().tagId, TagId::Document);
    for (;;) {
        const PadInfoRecord record = GetPadInfo();
        if (record.tagId == TagId::Routine || record.tagId == TagId::Note) {
            UngetPadInfo();
            B.emplace_back();
            const auto canvas = static_cast<std::int16_t>(B.size() - 1);
            BoxListClear(canvas);
            B[canvas].header.number = canvas;
            BoxListMake(canvas, -1);
            B[canvas].header.state = CanvasState::Open;
        } else if (record.tagId == TagId::EndRoutine) {
            continue;
        } else {
            ASSERT_EQ(record.tagId, TagId::EndDocument);
            break;
        }
    }
    PadFileClose();
}

// The box in use whose text is the given one (the first slot that has it); the spare slot 0
// when there is none, so that the test goes on reading a record that exists.
inline std::int16_t Find(const QString& text, std::int16_t canvas = kCanvas)
{
    const auto& list = Canvas(canvas).BoxList;
    for (std::size_t n = 1; n < list.size(); ++n)
        if (list[n].garbage < 0 && list[n].text.text == text)
            return static_cast<std::int16_t>(n);
    ADD_FAILURE() << "no box " << text.toStdString();
    return 0;
}

inline QString Mnemonic(std::int32_t tagId) { return TagTableGet(tagId).mnemonic.mid(2); }

inline QString OneLine(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("|")); }

// A chain as text: each box its kind and text, e.g. "block(A)"; a box with sub lines is followed
// by one bracket per sub line holding the case text (with ":") and the chain below it.
inline QString Picture(std::int16_t first, std::int16_t canvas = kCanvas)
{
    QStringList boxes;
    for (std::int16_t n = first; n >= 1; n = Box(n, canvas).after) {
        const BoxRecord& b = Box(n, canvas);
        QString item = Mnemonic(b.tagType) + QLatin1Char('(') + OneLine(b.text.text) + QLatin1Char(')');
        for (std::int16_t s = b.subIndex; s >= 1; s = Sub(s, canvas).after) {
            const SubRecord& line = Sub(s, canvas);
            item += QLatin1Char('[');
            if (!line.text.text.isEmpty())
                item += OneLine(line.text.text) + QLatin1Char(':');
            item += Picture(line.boxIndex, canvas) + QLatin1Char(']');
        }
        boxes << item;
    }
    return boxes.join(QLatin1Char(' '));
}

inline std::string CanvasPicture(std::int16_t canvas = kCanvas)
{
    return Picture(Canvas(canvas).header.firstBox, canvas).toStdString();
}

// Every box of the tree names its owner and predecessor, every sub line its box, predecessor
// and number; each body box has exactly one sub line; and every slot in use is reached once.
inline ::testing::AssertionResult TreeSound(std::int16_t canvas = kCanvas)
{
    std::set<std::int16_t> boxes;
    std::set<std::int16_t> subs;
    std::string fault;
    auto chain = [&](auto&& self, std::int16_t first, std::int16_t owner) -> void {
        std::int16_t previous = -1;
        for (std::int16_t n = first; n >= 1 && fault.empty(); n = Box(n, canvas).after) {
            const BoxRecord& b = Box(n, canvas);
            if (!boxes.insert(n).second || b.garbage >= 0 || b.upper != owner || b.before != previous) {
                fault = "box " + std::to_string(n) + " is free, seen twice or mislinked";
                return;
            }
            std::int16_t previousSub = -1;
            std::int16_t count = 0;
            for (std::int16_t s = b.subIndex; s >= 1 && fault.empty(); s = Sub(s, canvas).after) {
                const SubRecord& line = Sub(s, canvas);
                ++count;
                if (!subs.insert(s).second || line.garbage >= 0 || line.upper != n || line.before != previousSub ||
                    line.no != count) {
                    fault = "sub line " + std::to_string(s) + " is free, seen twice or mislinked";
                    return;
                }
                self(self, line.boxIndex, s);
                previousSub = s;
            }
            const bool body = b.tagType == TagId::Routine || b.tagType == TagId::Loop || b.tagType == TagId::Tree;
            if (body && (count != 1 || b.subCount != 1))
                fault = "box " + std::to_string(n) + " has " + std::to_string(count) + " body lines";
            previous = n;
        }
    };
    chain(chain, Canvas(canvas).header.firstBox, -1);
    if (!fault.empty())
        return ::testing::AssertionFailure() << fault;
    for (std::size_t n = 1; n < Canvas(canvas).BoxList.size(); ++n)
        if (Canvas(canvas).BoxList[n].garbage < 0 && !boxes.count(static_cast<std::int16_t>(n)))
            return ::testing::AssertionFailure() << "box " << n << " is in use but not in the tree";
    for (std::size_t n = 1; n < Canvas(canvas).SubList.size(); ++n)
        if (Canvas(canvas).SubList[n].garbage < 0 && !subs.count(static_cast<std::int16_t>(n)))
            return ::testing::AssertionFailure() << "sub line " << n << " is in use but not in the tree";
    return ::testing::AssertionSuccess();
}

} // namespace parser_test
