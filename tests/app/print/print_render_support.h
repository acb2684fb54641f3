#pragma once

// Shared by the tests of draw work files, page packing and rendering: the fake services with the
// test's own temporary folder, the document font on the printer (fake measurer unless a test asks
// for real fonts), A4 report settings, and a small builder of hand-made blocks in the print work
// slot 0, so that these parts are tested without the page layout engine.

#include "app/diagram/FontAndColor.h"
#include "app/diagram/TagTable.h"
#include "app/print/DrawWorkFile.h"
#include "app/print/ImagePrint.h"
#include "app/print/PagePacking.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/LayoutRecords.h"
#include "app/core/PrintRecords.h"
#include "app/core/Utilities.h"
#include "platform/printer/Printer.h"
#include "platform/textmeasure/TextMeasure.h"
#include "support/PrintJobSteps.h"
#include "support/ShellFakeServices.h"

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

namespace printrender_test {

using namespace vellumora;

class PrintRenderTest : public shell_test::ServicesFolder {
protected:
    explicit PrintRenderTest(bool realFonts = false) : realFonts_(realFonts) {}

    void SetUp() override
    {
        ServicesFolder::SetUp();
        platform::textmeasure::UseFakeTextMeasurer(!realFonts_);
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        ApplicationGlobals.ColorTable = {{QString(), QStringLiteral("標準"), 0, 0, 0, -1},
                                         {QStringLiteral("Red"), QStringLiteral("赤"), 255, 0, 0, 255}};
        ApplicationGlobals.FontNameList = {QStringLiteral("標準"), QStringLiteral("ＭＳ ゴシック"),
                                           QStringLiteral("ＭＳ 明朝")};
        ApplicationGlobals.DocumentFontName = QStringLiteral("ＭＳ ゴシック");
        ApplicationGlobals.DocumentFontSize = QStringLiteral("10");
        ApplicationGlobals.DocumentColorName = QStringLiteral("標準");
        ApplicationGlobals.DocumentName = path(QStringLiteral("chart.pad"));
        ApplicationGlobals.FrameSameText = true;
        LO = LayoutConstants::Default;
        LO.blockHorizontalGap = 200;
        LO.blockVerticalGap = 200;
        CurrentFontColorState = FontColorState::Default;
        DrawStateReset(0);
        FontSelect(0, 0);
        platform::printer::SystemPrinter().SetDrawStyle(0);
        platform::printer::SystemPrinter().SetDrawWidth(1);
        UtilitiesInitialize();
        ReportSettingsA4();
        B.assign(1, CanvasRecord{});
        B[0].BoxList.resize(1);
        B[0].SubList.resize(1);
        RW = PrintWorkRecord::Default;
        RW.BlockList.resize(1);
        RW.PageList.resize(1);
    }

    void TearDown() override
    {
        DrawFilesAbandon();
        ImageBook.reset();
        ImagePage.reset();
        TemporaryFileDelete();
        B.clear();
        RW = PrintWorkRecord::Default;
        platform::textmeasure::UseFakeTextMeasurer(false);
        ServicesFolder::TearDown();
    }

    // A block of the given size on canvas 1.
    std::int16_t Block(std::int32_t width, std::int32_t height, std::int16_t flags = 0)
    {
        BlockRecord block;
        block.canvas = 1;
        block.size = Point{width, height};
        block.flags = flags;
        RW.BlockList.push_back(block);
        return std::int16_t(RW.BlockList.size() - 1);
    }

    // A box of slot 0 in a block, chained after `before` (0 for a chain's first box).
    std::int16_t Box(std::int16_t block, const QString& text, Point xy, Point size, std::int16_t before = 0,
                     std::int32_t attributes = TagAttribute::Frame, std::int32_t tag = TagId::Block)
    {
        BoxRecord box;
        box.tagType = tag;
        box.tagAttr = attributes;
        box.text.text = text;
        box.xy = xy;
        box.sizeP = size;
        box.colorCode = -1;
        box.blockIndex = block;
        B[0].BoxList.push_back(box);
        const auto index = std::int16_t(B[0].BoxList.size() - 1);
        if (before >= 1) {
            B[0].BoxList[std::size_t(before)].after = index;
            B[0].BoxList[std::size_t(index)].before = before;
        } else if (B[0].header.firstBox < 1) {
            B[0].header.firstBox = index;
        }
        return index;
    }

    static QStringList Lines(const QString& file)
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "cannot read " << file.toStdString();
            return {};
        }
        QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
        return lines;
    }

    // Writes lines through a draw work file and reads them back.
    QStringList Written(const std::function<void(std::int16_t)>& write)
    {
        const QString file = path(QStringLiteral("written.txt"));
        const std::int16_t fileNo = DrawFileCreate(file);
        write(fileNo);
        DrawFileClose(fileNo);
        return Lines(file);
    }

private:
    bool realFonts_;
};

} // namespace printrender_test
