#pragma once

// The report settings of the tests, and the steps of a print job around the parts under test as
// the layout engine and the job driver run them: closing a canvas's block files, assigning its
// pages from the root block, and rendering every page from its draw work files into the book.
// Shared by tests and benchmarks.

#include "app/print/DrawWorkFile.h"
#include "app/print/ImagePrint.h"
#include "app/print/PagePacking.h"
#include "app/print/PrintJob.h"
#include "app/core/PrintRecords.h"

#include <tuple>

namespace printrender_test {

using namespace vellumora;

// A4 portrait, 1 cm margins, half-centimetre spaces, 850-twip bands (as the ini file's defaults).
inline void ReportSettingsA4()
{
    RS = ReportSettingRecord::Default;
    RS.paperSize = 9;
    RS.orientation = 1;
    RS.margin = {567, 567, 567, 567};
    RS.space = {283, 283, 283, 283};
    RS.headerHeight = 850;
    RS.footerHeight = 850;
    RS.pageWidth = 11906;
    RS.pageHeight = 16838;
    RS.printWidth = 10772;
    RS.printHeight = 15694;
    RS.reportWidth = 10206;
    RS.reportHeight = 13428;
    for (const auto& [text, c1, c2, perPage] :
         {std::tuple{"ｷｬﾝﾊﾞｽ名", 1, 1, true}, {"ｷｬﾝﾊﾞｽ名+No", 1, 2, true}, {"ﾌｧｲﾙ名", 1, 3, false},
          {"ﾌｧｲﾙ名(ﾊﾟｽ付)", 1, 4, false}, {"更新日付", 2, 1, false}, {"現在日付", 2, 2, false},
          {"ﾃｷｽﾄ1", 3, 1, false}, {"ﾃｷｽﾄ2", 3, 2, false}, {"ﾃｷｽﾄ3", 3, 3, false}, {"ﾃｷｽﾄ4", 3, 4, false},
          {"ﾃｷｽﾄ5", 3, 5, false}, {"ﾍﾟｰｼﾞ番号", 4, 1, true}, {"ﾍﾟｰｼﾞ番号/総ﾍﾟｰｼﾞ数", 4, 2, true}})
        RS.descriptionList.push_back({QString::fromUtf8(text), std::int16_t(c1), std::int16_t(c2), perPage});
}

inline void BlockFilesClose()
{
    for (BlockRecord& block : RW.BlockList) {
        if (block.fileNo > 0) {
            DrawFileClose(block.fileNo);
            block.fileNo = -1;
        }
    }
}

// The page half of a canvas's layout from its root block: groups, packing and numbering.
inline void PagesAssign(std::int16_t root)
{
    const std::int16_t firstPage = std::int16_t(RW.pageCount + 1);
    PageGroupMake(root);
    PageMapReset(firstPage);
    PagePackBlocks(root);
    PageMapMark(root);
    PageMapCloseUp();
    for (std::int16_t page = firstPage; page <= RW.pageCount; ++page) {
        RW.PageList[std::size_t(page)].canvas = 1;
        RW.PageList[std::size_t(page)].canvasName = QStringLiteral("main");
        RW.PageList[std::size_t(page)].canvasNumber = 1;
    }
    PageNumberAssign(root);
}

// The job's output half: every page from its work files into the book.
inline void PagesRender() { PrintPagesRender(); }

} // namespace printrender_test
