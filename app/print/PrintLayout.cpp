#include "app/print/PrintLayout.h"

#include "app/diagram/BoxList.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/ListPreparation.h"
#include "app/print/BlockPlacement.h"
#include "app/print/BlockSkyline.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/LayoutRecords.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "platform/system/System.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Format.h"

#include <algorithm>
#include <cmath>

namespace vellumora {

namespace {

PrintProgressHooks& Hooks()
{
    static PrintProgressHooks hooks;
    return hooks;
}

// The page estimate only sizes the mark label; a 16-bit count is plenty.
constexpr std::int64_t kEstimateLimit = 32767;

std::int64_t IntOf(double value) { return static_cast<std::int64_t>(std::floor(value)); }

} // namespace

const QString ReportAreaTooSmallMessage =
    QStringLiteral("印刷範囲がありません。") + QStringLiteral("\r\n") +
    QStringLiteral("用紙ｻｲｽﾞ、余白、ﾍｯﾀﾞｰとﾌｯﾀｰの高さを見直して下さい。");

void PrintProgressSet(PrintProgressHooks hooks) { Hooks() = std::move(hooks); }

void ProgressCaption(const QString& caption)
{
    if (Hooks().caption)
        Hooks().caption(caption);
}

bool BoxProgress(std::int16_t no) { return Hooks().box ? Hooks().box(no) : false; }

bool OtherBoxProgress(std::int16_t step) { return Hooks().step ? Hooks().step(step) : false; }

bool AfterProgress() { return Hooks().after ? Hooks().after() : false; }

bool ProgressYield() { return Hooks().yield ? Hooks().yield() : false; }

bool ReportAreaUsable() { return RS.reportWidth >= 1 && RS.reportHeight >= 1; }

void PrintLayoutInitialize(const std::vector<std::int16_t>& canvasList)
{
    if (!ReportAreaUsable())
        platform::vbrt::Raise(QStringLiteral("PrintLayoutInitialize"), ReportAreaTooSmallMessage);
    RW = PrintWorkRecord::Default;

    std::int64_t estimate = 0;
    for (std::int16_t canvas : canvasList) {
        const CanvasHeader header = CanvasDataGet(canvas);
        const double columns = std::floor((double(header.width) + RS.reportWidth) / RS.reportWidth);
        const double rows = std::floor((double(header.height) + RS.reportHeight) / RS.reportHeight);
        // 1.3 held in single precision is a little less than 1.3, so 10 pages count 12, not 13.
        const float pages = static_cast<float>(std::min(columns * rows, double(kEstimateLimit)));
        estimate = std::min<std::int64_t>(estimate + IntOf(double(pages) * double(1.3f)), kEstimateLimit);
    }
    RW.pageEstimate = static_cast<std::int16_t>(estimate);

    FontSelect(0, 0);
    const double digits = estimate >= 1 ? -std::floor(-(std::log(double(estimate) * 8) / std::log(10.0))) : 1;
    RW.labelDigits = static_cast<std::int16_t>(std::max(1.0, digits));
    const QString nines(RW.labelDigits, QLatin1Char('9'));
    RW.labelSize = {TextWidthGet(nines, 0), TextHeightGet(nines, 0, true)};

    const std::int32_t w = RW.labelSize.xw;
    const std::int32_t h = RW.labelSize.yh;
    const std::int32_t jH = LO.jointHorizontal;
    const std::int32_t jV = LO.jointVertical;

    const std::int32_t h2 = h + 2 * jV;
    const std::int32_t a = static_cast<std::int32_t>(IntOf(h2 / 2.0));
    ConnectorRecord& right = RW.joint[0];
    right.draw[0] = LineFigureMake(0, 0, w + jH, 0);
    right.draw[1] = LineFigureMake(0, 0, 0, h2);
    right.draw[2] = LineFigureMake(0, h2, w + jH, h2);
    right.draw[3] = LineFigureMake(w + jH, 0, w + jH + a, a);
    right.draw[4] = LineFigureMake(w + jH, h2, w + jH + a, a);
    right.sizeP = {w + jH + a, h2};

    const std::int32_t w2 = w + 2 * jH;
    const std::int32_t b = static_cast<std::int32_t>(IntOf(w2 / 2.0));
    ConnectorRecord& down = RW.joint[1];
    down.draw[0] = LineFigureMake(0, 0, w2, 0);
    down.draw[1] = LineFigureMake(0, 0, 0, h + jV);
    down.draw[2] = LineFigureMake(w2, 0, w2, h + jV);
    down.draw[3] = LineFigureMake(0, h + jV, b, h + jV + b);
    down.draw[4] = LineFigureMake(w2, h + jV, b, h + jV + b);
    down.sizeP = {w2, h + jV + b};

    RW.PageList.assign(1, PageRecord{});

    const QString path = DocumentPathPart(CurrentDocument);
    RW.fileDate = path.isEmpty() || !CommonServices ? QString() : CommonServices->GetFileDateTime(path);
    RW.printTime = platform::vbrt::FormatTimeStamp(platform::system::Now());
}

void PrintCanvasCopy(std::int16_t canvas)
{
    const CanvasRecord& source = CanvasAt(canvas, "PrintCanvasCopy");
    CanvasRecord& work = CanvasAt(0, "PrintCanvasCopy");
    work.header = source.header;
    ProgressCaption(source.header.name + QLatin1Char(':') + QString::number(source.header.number));
    work.BoxList = source.BoxList;
    work.SubList = source.SubList;
    // The work copy has no editors: deleting one of its boxes must never close a real editor.
    constexpr std::int16_t editorFlags =
        BoxFlag::ModifyEditorOpen | BoxFlag::BeforeEditorOpen | BoxFlag::AfterEditorOpen;
    for (BoxRecord& box : work.BoxList) {
        box.flags = static_cast<std::int16_t>(box.flags & ~editorFlags);
        box.modifyEditor = box.beforeEditor = box.afterEditor = nullptr;
    }
    for (SubRecord& sub : work.SubList) {
        sub.flags = static_cast<std::int16_t>(sub.flags & ~(SubFlag::LowerEditorOpen | SubFlag::UpperEditorOpen));
        sub.upperEditor = sub.lowerEditor = nullptr;
    }
    PR.yAdjust.assign(static_cast<std::size_t>(std::max<std::int32_t>(0, source.header.maxLevel) + 2),
                      YAdjustRecord::Default);
}

bool PrintLayoutBlocks(std::int16_t canvas)
{
    RW.canvas = canvas;
    BoxListClear(0);
    PrintCanvasCopy(canvas);
    BoxListPrepare(0, -1, true);
    std::int16_t root = BlockListAdd(0);
    std::int16_t first = -1;
    if (BlockMakeXYPosition(first, 0, 0, root, 0).errFlag)
        return true;
    return OtherBoxProgress(1);
}

void PrintWorkClear()
{
    RW = PrintWorkRecord::Default;
}

} // namespace vellumora
