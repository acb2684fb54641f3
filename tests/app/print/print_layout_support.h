#pragma once

// Shared by the page layout tests: a chart parsed and laid out in canvas 1 with the fake measurer
// (the document font at 10 points: "A" is 100 x 250 twips, horizontal gap 200, vertical gap 250),
// a report body of a given size, and the print work copy in slot 0.

#include "../diagram/layout_support.h"

#include "app/diagram/HorizontalPass.h"
#include "app/print/BlockPlacement.h"
#include "app/print/BlockSkyline.h"
#include "app/print/BoxFitting.h"
#include "app/print/PrintLayout.h"
#include "app/core/PrintRecords.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/vbrt/Error.h"

namespace print_test {

using namespace layout_test;

// A chart of one routine "R" around the body.
inline QStringList Routine(const QStringList& body)
{
    return QStringList{"&&routine", "&&text", "R"} + body + QStringList{"&&end-routine"};
}

inline QString Lines(int from, int to, const char* prefix = "L")
{
    QStringList lines;
    for (int i = from; i <= to; ++i)
        lines << QString::fromLatin1(prefix) + QString::number(i);
    return lines.join(QStringLiteral("\r\n"));
}

inline BoxRecord& WorkBox(std::int16_t n) { return B[0].BoxList[static_cast<std::size_t>(n)]; }
inline SubRecord& WorkSub(std::int16_t n) { return B[0].SubList[static_cast<std::size_t>(n)]; }

// The first box in use of the work copy whose text begins with the given text.
inline std::int16_t WorkFind(const QString& text)
{
    const auto& list = B[0].BoxList;
    for (std::size_t n = 1; n < list.size(); ++n)
        if (list[n].garbage < 0 && list[n].text.text.startsWith(text))
            return static_cast<std::int16_t>(n);
    ADD_FAILURE() << "no box " << text.toStdString();
    return 0;
}

class PrintLayoutTest : public LayoutTest {
protected:
    PrintLayoutTest() : LayoutTest(true, CanvasSizeRecord{0, 0, 300, 4000, 200, 3000}) {}

    void SetUp() override
    {
        LayoutTest::SetUp();
        RS = ReportSettingRecord::Default;
        RW = PrintWorkRecord::Default;
        platform::msgbox::ClearQueue();
        platform::msgbox::ShownBoxes().clear();
        PrintProgressSet({});
    }
    void TearDown() override
    {
        PrintProgressSet({});
        PrintWorkClear();
        RS = ReportSettingRecord::Default;
        LayoutTest::TearDown();
    }

    // Parses the chart into canvas 1, lays it out as the screen does, and starts a job on it
    // with a report body of width x height.
    void JobStart(const QStringList& chart, std::int32_t width, std::int32_t height)
    {
        DocumentParse(chart);
        LayoutRun();
        RS.reportWidth = width;
        RS.reportHeight = height;
        PrintLayoutInitialize({kCanvas});
    }

    // The work copy of canvas 1 in slot 0, prepared as the print job prepares it.
    void WorkCopy()
    {
        RW.canvas = kCanvas;
        BoxListClear(0);
        PrintCanvasCopy(kCanvas);
        BoxListPrepare(0, -1, true);
    }
};

} // namespace print_test

namespace print_test {

// The blocks of the job as text, one per line: "#n f<flags> c<connectorNo> base<level>
// n<boxes> <size>", its marks "m<no>@x,y" and lines; then every box of the work copy in chain
// order, "text@block:x,y wxh" (text up to its first line break), indented by level, and for
// each case line with a chain "-line@block:x,y c<no> f<flags>".
inline std::string BlockPicture()
{
    std::string out;
    for (std::size_t n = 1; n < RW.BlockList.size(); ++n) {
        const BlockRecord& b = RW.BlockList[n];
        out += "#" + std::to_string(n) + " f" + std::to_string(b.flags) + " c" + std::to_string(b.connectorNo) +
               " base" + std::to_string(b.baseLevel) + " n" + std::to_string(b.editBoxCount) + " " + Str(b.size);
        for (const ConnectorRecord& m : b.connector)
            out += " m" + std::to_string(m.connectorNo) + "@" + Str(m.xy);
        if (!b.draw.empty())
            out += " " + Str(b.draw);
        out += "\n";
    }
    auto chain = [&](auto&& self, std::int16_t first, int depth) -> void {
        for (std::int16_t n = first; n >= 1; n = WorkBox(n).after) {
            const BoxRecord& box = WorkBox(n);
            out += std::string(std::size_t(depth) * 2, ' ') + box.text.text.section(QStringLiteral("\r\n"), 0, 0).toStdString() +
                   "@" + std::to_string(box.blockIndex) + ":" + Str(box.xy) + " " + std::to_string(box.sizeP.xw) + "x" +
                   std::to_string(box.sizeP.yh);
            if (box.flags & (BoxFlag::PageMark1 | BoxFlag::PageMark2))
                out += " f" + std::to_string((box.flags & 0x3000) >> 12);
            out += "\n";
            for (std::int16_t s = box.subIndex; s >= 1; s = WorkSub(s).after) {
                const SubRecord& line = WorkSub(s);
                if (line.boxIndex < 1)
                    continue;
                out += std::string(std::size_t(depth) * 2 + 1, ' ') + "-line@" + std::to_string(line.blockIndex) + ":" +
                       Str(line.xy[0]) + " c" + std::to_string(line.connectorNo) + " f" +
                       std::to_string(line.flags & 0x3C0) + "\n";
                self(self, line.boxIndex, depth + 1);
            }
        }
    };
    chain(chain, B[0].header.firstBox, 0);
    return out;
}

} // namespace print_test
