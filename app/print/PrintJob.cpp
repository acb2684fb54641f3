#include "app/print/PrintJob.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/CanvasSurface.h"
#include "app/core/FirstFailure.h"
#include "app/core/PrintRecords.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/RecordDump.h"
#include "app/print/BlockSkyline.h"
#include "app/print/DrawWorkFile.h"
#include "app/print/ImagePrint.h"
#include "app/print/PagePacking.h"
#include "app/print/PrintLayout.h"

#include <QWidget>

namespace vellumora {

namespace {

// The page half of a canvas's layout: pages from firstPage on for the blocks of its tree.
bool CanvasPagesMake(std::int16_t top)
{
    const std::int16_t firstPage = static_cast<std::int16_t>(RW.pageCount + 1);
    PageGroupMake(top);
    if (OtherBoxProgress(2))
        return true;
    PageMapReset(firstPage);
    PagePackBlocks(top);
    if (OtherBoxProgress(3))
        return true;
    PageMapMark(top);
    if (OtherBoxProgress(4))
        return true;

    PageMapCloseUp();
    const CanvasHeader header = CanvasDataGet(RW.canvas);
    for (int page = firstPage; page <= RW.pageCount; ++page) {
        PageRecord& entry = RW.PageList[static_cast<std::size_t>(page)];
        entry.canvas = RW.canvas;
        entry.canvasName = header.name;
        entry.canvasNumber = header.number;
        entry.blocks.clear();
    }
    PageNumberAssign(top);
    return OtherBoxProgress(5);
}

} // namespace

bool PrintLayoutCanvas(std::int16_t canvas)
{
    // The progress dialog, when there is one, takes a press of Cancel before the canvas begins;
    // without one the job runs straight through.
    if (ProgressYield())
        return true;
    if (PrintLayoutBlocks(canvas))
        return true;
    const std::int16_t top = BlockDrawFileWrite(-1);
    if (ProgressYield())
        return true;
    for (std::size_t b = 1; b < RW.BlockList.size(); ++b) {
        BlockRecord& block = RW.BlockList[b];
        if (block.fileNo > 0) {
            DrawFileClose(block.fileNo);
            block.fileNo = -1;
        }
        // Every block is a file of its own: a press of Cancel is seen between two of them.
        if (ProgressYield())
            return true;
    }
    PrinterDocEnd();
    if (CanvasPagesMake(top))
        return true;
    DebugBoxList(0, 5, -1, 0);
    return false;
}

bool PadPrintRun(const std::vector<std::int16_t>& canvasList)
{
    ModalWindowShow(QStringLiteral("[印刷] 処理中"));
    CanvasAt(0, "PadPrintRun").form = nullptr;
    PrintLayoutInitialize(canvasList);
    for (const std::int16_t canvas : canvasList) {
        if (PrintLayoutCanvas(canvas)) {
            ModalWindowShow(QString());
            return true;
        }
    }
    if (AfterProgress()) {
        ModalWindowShow(QString());
        return true;
    }
    PageFilesWrite();
    // Cancel pressed while the page files were written stops the job as well.
    if (ProgressYield()) {
        ModalWindowShow(QString());
        return true;
    }
    DebugReportList(7);
    return false;
}

void PrintPagesRender(std::int32_t mode)
{
    ImageBookStart();
    ImageBookStream(mode);
    for (int page = 1; page <= RW.pageCount; ++page) {
        ImageOriginX = 0;
        ImageOriginY = 0;
        ImagePageStart(page);
        ImageFileDraw(RW.commonFileName);
        const PageRecord& entry = RW.PageList.at(static_cast<std::size_t>(page));
        ImageFileDraw(entry.fileName);
        for (const std::int16_t block : entry.blocks) {
            const BlockRecord& b = RW.BlockList.at(static_cast<std::size_t>(block));
            ImageOriginX = RS.space[0] + b.pagePos.xw;
            ImageOriginY = RS.headerHeight + RS.space[2] + b.pagePos.yh;
            ImageFileDraw(b.fileName);
        }
        ImagePageAppend();
    }
}

void PrintPagesOutput(std::int32_t mode, QWidget* printDialog)
{
    PrintPagesRender(mode);
    // The preview window stands alone.
    if (printDialog)
        printDialog->hide();
    ImageBookOutput(mode);
}

void PrintJobAbandon()
{
    FirstFailure failure;
    failure.Run([] { DrawFilesAbandon(); });
    failure.Run([] { PrintWorkClear(); });
    failure.Run([] { TemporaryFileDelete(QStringLiteral("draw"), QStringLiteral("*"), QStringLiteral("*"), QStringLiteral("*")); });
    failure.Run([] { ModalWindowShow(QString()); });
    ImageBook.reset();
    ImagePage.reset();
    failure.Rethrow();
}

std::int16_t PrintOutputExecute(std::int32_t mode, QWidget* printDialog)
{
    // The work goes whether the output succeeded or not; the output's own error comes first.
    FirstFailure failure;
    failure.Run([&] { PrintPagesOutput(mode, printDialog); });
    failure.Run([] { PrintJobAbandon(); });
    failure.Rethrow();
    return 0;
}

} // namespace vellumora
