#pragma once

// The steps of a print job around the parts under test, as the layout engine and the job driver
// run them: closing a canvas's block files, assigning its pages from the root block, and rendering
// every page of the job from its draw work files into the book. Shared by tests and benchmarks.

#include "app/print/DrawWorkFile.h"
#include "app/print/ImagePrint.h"
#include "app/print/PagePacking.h"
#include "app/core/PrintRecords.h"

namespace printrender_test {

using namespace vellumora;

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
    std::int16_t k = firstPage;
    for (std::int16_t& entry : pageMap.entries)
        if (entry > 0)
            entry = k++;
    RW.pageCount = std::int16_t(k - 1);
    RW.PageList.resize(std::size_t(RW.pageCount) + 1);
    for (std::int16_t page = firstPage; page <= RW.pageCount; ++page) {
        RW.PageList[std::size_t(page)].canvas = 1;
        RW.PageList[std::size_t(page)].canvasName = QStringLiteral("main");
        RW.PageList[std::size_t(page)].canvasNumber = 1;
    }
    PageNumberAssign(root);
}

// The job's output half: every page from its work files into the book.
inline void PagesRender()
{
    ImageBookStart();
    for (std::int16_t page = 1; page <= RW.pageCount; ++page) {
        ImageOriginX = 0;
        ImageOriginY = 0;
        ImagePageStart(page);
        ImageFileDraw(RW.commonFileName);
        ImageFileDraw(RW.PageList[std::size_t(page)].fileName);
        for (const std::int16_t block : RW.PageList[std::size_t(page)].blocks) {
            const BlockRecord& b = RW.BlockList[std::size_t(block)];
            ImageOriginX = RS.space[0] + b.pagePos.xw;
            ImageOriginY = RS.headerHeight + RS.space[2] + b.pagePos.yh;
            ImageFileDraw(b.fileName);
        }
        ImagePageAppend();
    }
}

} // namespace printrender_test
