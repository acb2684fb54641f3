#include "app/print/BlockPlacement.h"

#include "app/diagram/BoxList.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/HorizontalPass.h"
#include "app/diagram/TagTable.h"
#include "app/print/BlockSkyline.h"
#include "app/print/BoxFitting.h"
#include "app/print/PrintLayout.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/DebugLog.h"
#include "app/core/LayoutRecords.h"
#include "app/core/PrintRecords.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>
#include <vector>

namespace vellumora {

const QString BoxTooLargeMessage = QStringLiteral("大きすぎるBOXがあります。") + QStringLiteral("\r\n") +
                                   QStringLiteral("1ﾍﾟｰｼﾞに収まりません。") + QStringLiteral("\r\n") +
                                   QStringLiteral("対象のBOXを小さくして下さい。");

namespace {

constexpr std::int16_t kWork = 0;
// A box is divided only when the part that stays holds at least this share of its height.
constexpr double kSuspendRatio = 0.02;
// Fewer text lines than this are never divided.
constexpr std::int16_t kDivideLines = 5;
// More retries than this in one call mean the placement goes round in circles.
constexpr int kRetryCap = 10000;
constexpr std::int16_t kMarkRight = 0;
constexpr std::int16_t kMarkDown = 1;

// Block flags given when a block is made.
namespace BlockFlag {
constexpr std::int16_t FromAbove = 0x1;
constexpr std::int16_t FromLeft = 0x2;
constexpr std::int16_t FromLeftDouble = 0x4;
constexpr std::int16_t Entry = FromAbove | FromLeft | FromLeftDouble;
constexpr std::int16_t OwnPage = 0x80;
} // namespace BlockFlag

std::int32_t Half(std::int64_t value) { return static_cast<std::int32_t>(std::floor(value / 2.0)); }

CanvasRecord& Work() { return CanvasAt(kWork, "BlockMakeXYPosition"); }
BoxRecord& Bx(std::int16_t n) { return BoxAt(Work(), n, "BlockMakeXYPosition"); }
SubRecord& Sx(std::int16_t n) { return SubAt(Work(), n, "BlockMakeXYPosition"); }
BlockRecord& Blk(std::int16_t n) { return ElementAt(RW.BlockList, n, "BlockMakeXYPosition"); }

YAdjustRecord& Level(std::int16_t level)
{
    if (level < 0)
        RaiseSubscript("BlockMakeXYPosition");
    if (PR.yAdjust.size() <= static_cast<std::size_t>(level))
        PR.yAdjust.resize(static_cast<std::size_t>(level) + 1, YAdjustRecord::Default);
    return PR.yAdjust[static_cast<std::size_t>(level)];
}

void SetFlag(std::int16_t& flags, std::int16_t bit) { flags = static_cast<std::int16_t>(flags | bit); }
void ClearFlag(std::int16_t& flags, std::int16_t bit) { flags = static_cast<std::int16_t>(flags & ~bit); }

bool IsChink(std::int16_t box) { return box >= 1 && Bx(box).tagType == TagId::Chink; }

void Trace(const char* label, const QString& text)
{
    if (!DebugClassSkip(8))
        DebugLogWrite(QString::fromUtf8(label), text, 0, 8);
}

std::int16_t NextConnectorNumber()
{
    RW.connectorCount = Short(std::int64_t(RW.connectorCount) + 1, "BlockMakeXYPosition");
    return RW.connectorCount;
}

ConnectorRecord MarkMake(std::int16_t kind, std::int16_t number)
{
    ConnectorRecord mark = RW.joint[static_cast<std::size_t>(kind)];
    mark.connectorNo = number;
    mark.label = ConnectorLabelMake(number);
    return mark;
}

// What the retries of one box or case line put back.
struct Snapshot {
    std::int16_t connectorCount = 0;
    std::size_t connectors = 0;
    std::size_t draws = 0;
    std::int16_t editBoxCount = 0;
    std::vector<std::int32_t> peakSet;
    std::int16_t subExecuteCount = 0;
};

Snapshot SnapshotTake(std::int16_t block)
{
    const BlockRecord& b = Blk(block);
    return {RW.connectorCount, b.connector.size(), b.draw.size(), b.editBoxCount, b.peakSet, 0};
}

void SnapshotPut(std::int16_t block, const Snapshot& snapshot)
{
    BlockRecord& b = Blk(block);
    RW.connectorCount = snapshot.connectorCount;
    b.connector.resize(std::min(b.connector.size(), snapshot.connectors));
    b.draw.resize(std::min(b.draw.size(), snapshot.draws));
    b.peakSet = snapshot.peakSet;
}

// One call of the placement: one chain on one level, in one block.
class ChainPlacement {
public:
    ChainPlacement(std::int16_t first, std::int32_t xa, std::int16_t levelNo, std::int16_t block, std::int32_t downShift,
                   bool continuation)
        : first_(first), xa_(xa), levelNo_(levelNo), block_(block), downShift_(downShift), continuation_(continuation)
    {
    }

    XYPositionState Run();

    // Set when a page break cut the chain: the rest goes on from nextFirst in nextBlock.
    bool continues = false;
    std::int16_t nextFirst = -1;
    std::int16_t nextBlock = -1;

private:
    YAdjustRecord& L() { return Level(levelNo_); }
    BoxRecord& b() { return Bx(boxIndex_); }
    BlockRecord& block() { return Blk(block_); }

    void Entry();
    void PlaceBox();
    void WidthCheck();
    void HeightCheck();
    void PageBreakAction();
    void Accept();
    void CaseLoop();
    void RightMark(std::int16_t s, std::int16_t& subBlockIndex);
    void BranchChecks(std::int16_t s);
    void BranchDivide();
    void LineRetry(const Snapshot& snapshot);
    void Complete();
    void LevelCheckAfterBox();
    void LevelCheckOnRetry();
    void BoxRetry(const Snapshot& snapshot);
    void Register();
    bool RunHasMembers() const
    {
        return runTopXY_.yh != runLastXY_.yh || runTopSize_.yh != runLastSize_.yh;
    }
    void RunLineAppend();
    XYPositionState End();
    void TooLarge();
    void Progress(std::set<std::vector<std::int32_t>>& seen, std::vector<std::int32_t> key);

    // Arguments.
    std::int16_t first_;
    std::int32_t xa_;
    std::int16_t levelNo_;
    std::int16_t block_;
    std::int32_t downShift_;
    // The rest of a chain cut by a page break: the call that began the chain restored all of it,
    // and only the box at the cut has been placed since.
    bool continuation_;

    XYPositionState result_;
    XYPositionState state_;
    std::int16_t boxIndex_ = -1;
    std::int16_t subIndex_ = -1;
    std::int16_t subIndexLast_ = -1;
    std::int16_t subExecuteCount_ = 0;
    bool boxLoopFlag_ = true;
    bool subLoopFlag_ = true;
    bool pageBreakFlag_ = false;
    bool boxDivideFlag_ = false;
    bool subDivide_ = false;
    bool exitFlag_ = false;
    std::int32_t boxYPeakAdjust_ = 0;
    std::int32_t subYPeakAdjust_ = 0;
    std::int32_t subYDownShiftAdjust_ = 0;
    std::int32_t saveDownShift_ = 0;
    std::int32_t fitHeight_ = 0;
    Point savedSubXY_;
    Point topXY_;
    Point runTopXY_, runTopSize_, runLastXY_, runLastSize_;
    bool runPending_ = false;
    Point continuedBottomXY_, continuedBottomSize_;
    bool chinkMet_ = false;
    bool onlySimpleBoxs_ = true;
    std::int16_t lastBoxIndex_ = -1;
    std::int16_t entryFlags_ = 0;
    // The box as its placement began, for the continuation of a divided branch box.
    std::int16_t startAfter_ = -1;
    std::int32_t startColor_ = 0;
    std::int32_t startFont_ = 0;
    std::int16_t startFlags_ = 0;
    // Retry states already tried for the current box and case line, and retries so far.
    std::set<std::vector<std::int32_t>> boxTried_;
    std::set<std::vector<std::int32_t>> lineTried_;
    int retries_ = 0;
};

void ChainPlacement::Entry()
{
    result_ = XYPositionState::Default;
    saveDownShift_ = downShift_;
    L() = YAdjustRecord::Default;
    L().boxFirst = true;
    const std::int32_t downMarkHalf = Half(RW.joint[kMarkDown].sizeP.xw);

    if (first_ < 0) {
        DrawStateReset(0);
        boxIndex_ = Work().header.firstBox;
        levelNo_ = 0;
        xa_ = boxIndex_ >= 1 && b().tagType == TagId::Routine ? 0 : downMarkHalf;
        topXY_ = {xa_, 0};
        block().baseLevel = 0;
    } else if (block().flags & BlockFlag::Entry) {
        boxIndex_ = first_;
        block().baseLevel = levelNo_;
        if (block().connectorNo < 1) {
            xa_ = downMarkHalf;
            topXY_ = {0, 0};
        } else {
            const std::int16_t flags = block().flags;
            ConnectorRecord mark = MarkMake(flags & BlockFlag::FromAbove ? kMarkDown : kMarkRight, block().connectorNo);
            mark.xy = {0, 0};
            const std::int32_t w = mark.sizeP.xw;
            const std::int32_t h = mark.sizeP.yh;
            const std::int32_t gap = LO.horizontalGap;
            Point start;
            if (flags & BlockFlag::FromAbove) {
                start = {Half(w), h};
            } else if (flags & BlockFlag::FromLeft) {
                mark.draw[5] = LineFigureMake(w, Half(h), w + gap, Half(h));
                start = {w + gap, Half(h)};
            } else {
                const std::int32_t h1 = Half(std::int64_t(h) - LO.routineLineGap);
                const std::int32_t h2 = Half(std::int64_t(LO.routineLineGap) + h);
                mark.draw[5] = LineFigureMake(w, h1, w + gap, h1);
                mark.draw[6] = LineFigureMake(w, h2, w + gap, h2);
                start = {w + gap, h1};
            }
            xa_ = start.xw;
            topXY_ = start;
            L().boxFirst = false;
            block().connector.assign(1, mark);
            SkylineRegister(block_, mark.xy, mark.sizeP, true);
        }
    } else {
        boxIndex_ = first_;
        topXY_ = {0, 0};
    }
    entryFlags_ = block().flags;
    ClearFlag(block().flags, BlockFlag::Entry);

    if (continuation_) {
        if (boxIndex_ >= 1)
            BoxDivideRestoreBox(boxIndex_);
    } else {
        BoxDivideRestore(boxIndex_, -1);
    }

    runTopXY_ = topXY_;
    runTopSize_ = {};
    runPending_ = L().boxFirst;
}

void ChainPlacement::PlaceBox()
{
    BoxListXPosition(kWork, boxIndex_, levelNo_);
    b().xy.xw = xa_;
    const std::int32_t w = std::max(b().sizeS.xw, b().sizeE.xw);
    b().xy.yh = Twips(std::int64_t(SkylineGetY(block_, xa_, w, boxYPeakAdjust_)) + downShift_, "BlockMakeXYPosition");
    if (L().boxFirst)
        topXY_ = b().xy;
}

void ChainPlacement::WidthCheck()
{
    const std::int64_t w = std::max(b().sizeS.xw, b().sizeE.xw);
    std::int64_t right = xa_ + w;
    if (b().tagAttr & TagAttribute::SubLevel)
        right += std::int64_t(RW.joint[kMarkRight].sizeP.xw) + LO.horizontalGap;
    if (right <= RS.reportWidth)
        return;
    const std::int64_t want = w - (right - RS.reportWidth);
    if (want >= 2 * std::int64_t(LO.horizontalGap)) {
        if (!BoxShrinkWidth(boxIndex_, static_cast<std::int32_t>(want), block().baseLevel == levelNo_)) {
            PlaceBox();
            return;
        }
        Trace("XYPosition.divide②", QStringLiteral("箱縮小不可により縦改頁"));
    } else {
        Trace("XYPosition.divide①", QStringLiteral("箱縮小候補幅<(水平刻み*2)により縦改頁"));
    }
    SetFlag(b().flags, BoxFlag::PageMark1);
    pageBreakFlag_ = true;
}

void ChainPlacement::HeightCheck()
{
    const std::int64_t fullH = std::max(b().sizeS.yh, b().sizeE.yh);
    std::int64_t h = fullH;
    if (b().tagType == TagId::Branch) {
        // A branch box only needs its first two cases on the page; later ones may be split off.
        const std::int64_t inner = std::int64_t(LO.branchTop) + LO.branchBottom;
        std::int64_t c1 = inner;
        std::int64_t c2 = 0;
        const std::int16_t s1 = b().subIndex;
        if (s1 >= 1) {
            c1 = Sx(s1).text.size.yh + inner;
            const std::int16_t s2 = Sx(s1).after;
            c2 = s2 >= 1 ? Sx(s2).text.size.yh + inner : inner;
        }
        h = std::max<std::int64_t>(std::int64_t(b().text.size.yh) + LO.innerTop + LO.innerBottom, c1 + c2);
    }
    const std::int64_t requiredBottom =
        std::int64_t(b().xy.yh) + h + RW.joint[kMarkDown].sizeP.yh + LO.verticalGap;
    if (requiredBottom <= RS.reportHeight)
        return;
    if ((b().tagAttr & TagAttribute::CanDivide) && b().text.lineCount >= kDivideLines) {
        fitHeight_ = static_cast<std::int32_t>(fullH - (requiredBottom - RS.reportHeight));
        if (std::floor(fullH * kSuspendRatio) <= fitHeight_) {
            Trace("XYPosition.divide④", QStringLiteral("箱分割"));
            boxDivideFlag_ = true;
            return;
        }
        Trace("XYPosition.divide③", QStringLiteral("5") + QStringLiteral("行以上縦分割可能分割不可により縦改頁"));
    } else {
        Trace("XYPosition.divide⑤", QStringLiteral("5") + QStringLiteral("行未満分割不可により縦改頁"));
    }
    SetFlag(b().flags, BoxFlag::PageMark1);
    pageBreakFlag_ = true;
}

void ChainPlacement::PageBreakAction()
{
    if (b().before < 0 && b().upper >= 1 && !(entryFlags_ & (BlockFlag::FromLeft | BlockFlag::FromLeftDouble))) {
        Trace("XYPosition.retry①", QStringLiteral("ライン先頭で上から進入の場合にSUBに右新頁付加して再トライ"));
        SetFlag(Sx(b().upper).flags, SubFlag::PageMark80);
        result_.subReLoopFlag = true;
        exitFlag_ = true;
    }
}

void ChainPlacement::Accept()
{
    block().editBoxCount = Short(std::int64_t(block().editBoxCount) + 1, "BlockMakeXYPosition");
    YAdjustRecord& l = L();
    l.boxXY = b().xy;
    l.boxSize = PointMax(b().sizeS, b().sizeE);
    l.subXY = {0, 0};
    l.subFirst = true;
    l.subSize = {0, 0};
    l.subIndex = b().subIndex;
    l.subCount = b().subCount;
    subIndex_ = b().subIndex;
    subIndexLast_ = -1;
    subExecuteCount_ = 0;
    subYPeakAdjust_ = 0;
    subYDownShiftAdjust_ = 0;
    lineTried_.clear();
}

void ChainPlacement::RightMark(std::int16_t s, std::int16_t& subBlockIndex)
{
    const std::int16_t number = NextConnectorNumber();
    Sx(s).connectorNo = number;
    std::int16_t flags = b().tagType == TagId::Routine ? BlockFlag::FromLeftDouble : BlockFlag::FromLeft;
    if (Sx(s).flags & SubFlag::RightPage)
        SetFlag(flags, BlockFlag::OwnPage);
    const std::int16_t added = BlockListAdd(flags);
    Blk(added).connectorNo = number;

    ConnectorRecord mark = MarkMake(kMarkRight, number);
    const Point connect = L().connectXY;
    mark.xy.xw = connect.xw;
    mark.xy.yh = SkylineGetY(block_, mark.xy.xw, mark.sizeP.xw, 0);
    if (mark.xy.yh <= connect.yh) {
        // The line meets the mark's middle where the skyline allows.
        mark.xy.yh = std::max(mark.xy.yh, connect.yh - Half(mark.sizeP.yh));
    } else {
        const std::int32_t lineY = Sx(s).draw.empty() ? 0 : Sx(s).draw[0].e.yh;
        state_.yPeak = Half(mark.sizeP.yh) + mark.xy.yh - lineY;
        const bool box = L().subFirst;
        Trace("XYPosition.retry②", QStringLiteral("右接続配置位置が接続線より下になる場合に") +
                                        (box ? QStringLiteral("左箱") : QStringLiteral("左線")) +
                                        QStringLiteral("を下げて再トライ"));
        if (box)
            boxLoopFlag_ = false;
        else
            subLoopFlag_ = false;
    }
    block().connector.push_back(mark);
    if (subLoopFlag_ && boxLoopFlag_)
        SkylineRegister(block_, mark.xy, mark.sizeP, true);
    subBlockIndex = added;
}

void ChainPlacement::BranchChecks(std::int16_t s)
{
    const std::int64_t limit =
        std::int64_t(RS.reportHeight) - (std::int64_t(LO.verticalGap) + RW.joint[kMarkDown].sizeP.yh);
    const YAdjustRecord& l = L();
    if (Sx(s).flags & SubFlag::CaseTextShown) {
        if (std::int64_t(l.subXY.yh) + l.subSize.yh <= limit)
            return;
        const bool firstCase = l.subFirst;
        Trace("XYPosition.retry③", QStringLiteral("分岐箱の分岐が頁に収まらない場合に") +
                                        (firstCase ? QStringLiteral("次頁") : QStringLiteral("分割")) +
                                        QStringLiteral("で再トライ"));
        if (firstCase) {
            SetFlag(b().flags, BoxFlag::PageMark1);
            boxLoopFlag_ = false;
        } else {
            subLoopFlag_ = false;
            subDivide_ = true;
        }
        return;
    }
    if (l.subXY.yh <= limit || subIndexLast_ < 1)
        return;
    SubRecord& previous = Sx(subIndexLast_);
    const bool spareTried = previous.flags & SubFlag::PageMark200;
    Trace("XYPosition.retry④", QStringLiteral("分岐箱の最終分岐が頁に収まらない場合に") +
                                    (spareTried ? QStringLiteral("次頁") : QStringLiteral("余裕枝")) +
                                    QStringLiteral("で再トライ"));
    if (spareTried) {
        ClearFlag(previous.flags, SubFlag::PageMark200);
        SetFlag(b().flags, BoxFlag::PageMark1);
    } else {
        SetFlag(previous.flags, SubFlag::PageMark200);
    }
    boxLoopFlag_ = false;
}

void ChainPlacement::BranchDivide()
{
    Trace("XYPosition.divide⑥", QStringLiteral("分岐箱分割"));
    const std::int16_t owner = boxIndex_;
    const std::int16_t added =
        DivisionBoxAdd(PadInfoMake(TagId::Branch, QStringLiteral("前ﾍﾟｰｼﾞより続く")), owner, Bx(owner).upper);
    Bx(owner).after = added;
    Bx(owner).subCount = Short(std::int64_t(subExecuteCount_) - 1, "BlockMakeXYPosition");
    SetFlag(Bx(owner).flags, BoxFlag::PageMark2);
    if (subIndexLast_ >= 1)
        Sx(subIndexLast_).after = -1;

    BoxRecord& continuation = Bx(added);
    continuation.subIndex = subIndex_;
    continuation.subCount = Short(std::int64_t(L().subCount) - (subExecuteCount_ - 1), "BlockMakeXYPosition");
    continuation.after = startAfter_;
    continuation.colorCode = startColor_;
    continuation.fontCode = startFont_;
    continuation.flags = startFlags_;
    continuation.levelNo = levelNo_;

    SetFlag(Sx(subIndex_).flags, SubFlag::PageMark100);
    Sx(subIndex_).before = -1;
    std::size_t steps = 0;
    for (std::int16_t s = subIndex_; s >= 1 && steps++ < Work().SubList.size(); s = Sx(s).after)
        Sx(s).upper = added;
    boxLoopFlag_ = false;
    state_ = XYPositionState::Default;
}

void ChainPlacement::LineRetry(const Snapshot& snapshot)
{
    Trace("XYPosition.subRetry", QString::number(subIndex_));
    L().subXY = savedSubXY_;
    SnapshotPut(block_, snapshot);
    subExecuteCount_ = snapshot.subExecuteCount;
    Sx(subIndex_).connectorNo = 0;
    subYPeakAdjust_ = std::max(subYPeakAdjust_, state_.yPeak);
    subYDownShiftAdjust_ = state_.yDownShift;
    state_ = XYPositionState::Default;
    Progress(lineTried_, {subIndex_, Sx(subIndex_).flags, subYPeakAdjust_, subYDownShiftAdjust_});
}

void ChainPlacement::CaseLoop()
{
    while (subIndex_ >= 1) {
        Snapshot snapshot = SnapshotTake(block_);
        snapshot.subExecuteCount = subExecuteCount_;
        subLoopFlag_ = true;
        subDivide_ = false;
        subExecuteCount_ = Short(std::int64_t(subExecuteCount_) + 1, "BlockMakeXYPosition");

        const std::int16_t s = subIndex_;
        if (L().subFirst) {
            L().subXY = {Twips(std::int64_t(L().boxXY.xw) + b().sizeS.xw, "BlockMakeXYPosition"), L().boxXY.yh};
        } else {
            savedSubXY_ = L().subXY;
            L().subXY.yh = Twips(std::int64_t(L().subXY.yh) + Sx(subIndexLast_).sizeS.yh, "BlockMakeXYPosition");
        }
        L().subSize = Sx(s).sizeS;
        std::int16_t subBlockIndex = block_;

        if (Sx(s).boxIndex >= 1) {
            if (!L().subFirst)
                L().subXY.yh = std::max(SkylineGetY(block_, L().subXY.xw, 0, subYPeakAdjust_), L().subXY.yh);
            const bool rightPage = Sx(s).flags & (SubFlag::RightPage | SubFlag::PageMark80);
            const std::int32_t gap = LO.horizontalGap;
            for (FigureData& figure : Sx(s).draw) {
                std::int64_t length;
                if (rightPage)
                    length = gap;
                else if (Sx(s).flags & SubFlag::PageMark200)
                    length = 2 * std::int64_t(gap) + RW.joint[kMarkRight].sizeP.xw + Half(RW.joint[kMarkDown].sizeP.xw);
                else
                    length = std::max<std::int64_t>(gap, static_cast<std::int64_t>(
                                                             std::floor(3.0 * RW.joint[kMarkDown].sizeP.xw / 4.0)));
                figure.e.xw = Twips(figure.s.xw + length, "BlockMakeXYPosition");
            }
            const Point end = Sx(s).draw.empty() ? Point{} : Sx(s).draw[0].e;
            L().connectXY = PointAdd(L().subXY, end);

            if (rightPage) {
                RightMark(s, subBlockIndex);
            } else {
                Sx(s).connectorNo = 0;
            }
            if (subLoopFlag_ && boxLoopFlag_)
                BranchChecks(s);
            if (subLoopFlag_ && boxLoopFlag_) {
                std::int16_t childFirst = Sx(s).boxIndex;
                std::int16_t childBlock = subBlockIndex;
                state_ = BlockMakeXYPosition(childFirst, L().connectXY.xw, static_cast<std::int16_t>(levelNo_ + 1),
                                             childBlock, subYDownShiftAdjust_);
                if (state_.errFlag) {
                    result_.errFlag = true;
                    exitFlag_ = true;
                } else if (state_.boxReLoopFlag) {
                    boxLoopFlag_ = false;
                } else if (state_.subReLoopFlag) {
                    subLoopFlag_ = false;
                } else {
                    state_ = XYPositionState::Default;
                }
            }
        }

        if (!exitFlag_ && boxLoopFlag_) {
            if (subLoopFlag_) {
                Sx(s).xy[0] = L().subXY;
                if (subIndexLast_ >= 1) {
                    SubRecord& last = Sx(subIndexLast_);
                    last.sizeP = {last.sizeS.xw, L().subXY.yh - savedSubXY_.yh};
                }
                Sx(s).blockIndex = subBlockIndex;
                subIndexLast_ = s;
                subIndex_ = Sx(s).after;
                L().subFirst = false;
                state_ = XYPositionState::Default;
                subYPeakAdjust_ = 0;
                subYDownShiftAdjust_ = 0;
                lineTried_.clear();
            } else if (subDivide_) {
                BranchDivide();
            } else {
                LineRetry(snapshot);
            }
        }
        if (exitFlag_ || !boxLoopFlag_)
            break;
    }
}

void ChainPlacement::Complete()
{
    YAdjustRecord& l = L();
    if (subIndexLast_ >= 1) {
        std::int64_t sum = 0;
        std::int16_t counted = -1;
        std::size_t steps = 0;
        for (std::int16_t s = b().subIndex; s >= 1 && steps++ < Work().SubList.size(); s = Sx(s).after) {
            if (Sx(s).flags & SubFlag::CaseTextShown) {
                sum += Sx(s).sizeP.yh;
                counted = s;
            }
        }
        const std::int32_t height = Twips(std::max<std::int64_t>(l.boxSize.yh, sum), "BlockMakeXYPosition");
        if (sum < height && counted >= 1)
            Sx(counted).sizeP.yh = Twips(Sx(counted).sizeP.yh + (height - sum), "BlockMakeXYPosition");
        l.boxSize.yh = height;
    }
    b().xy = l.boxXY;
    b().sizeP = l.boxSize;
    if (b().tagType == TagId::Branch) {
        const std::int32_t w = b().sizeP.xw;
        const std::int32_t h = b().sizeP.yh;
        b().draw = {LineFigureMake(0, 0, w, 0), LineFigureMake(0, h, w, h), LineFigureMake(0, 0, 0, h)};
    }
}

void ChainPlacement::LevelCheckAfterBox()
{
    if (!(block().baseLevel < levelNo_ && L().boxFirst))
        return;
    const YAdjustRecord& parent = Level(static_cast<std::int16_t>(levelNo_ - 1));
    if (parent.connectXY.yh >= L().boxXY.yh)
        return;
    Trace("XYPosition.retry⑤", QStringLiteral("左箱が右箱より上に配置、") +
                                    (parent.subFirst ? QStringLiteral("左箱下げ") : QStringLiteral("左線下げ")) +
                                    QStringLiteral("て再トライ"));
    if (parent.subFirst)
        result_.boxReLoopFlag = true;
    else
        result_.subReLoopFlag = true;
    result_.yPeak = L().boxXY.yh;
    exitFlag_ = true;
}

void ChainPlacement::LevelCheckOnRetry()
{
    const std::int32_t m = std::max(boxYPeakAdjust_, state_.yPeak);
    if (!(m >= 1 && block().baseLevel < levelNo_ && onlySimpleBoxs_))
        return;
    const YAdjustRecord& parent = Level(static_cast<std::int16_t>(levelNo_ - 1));
    if (!(topXY_.yh < parent.subXY.yh))
        return;
    QString how;
    if (parent.subXY.yh < m) {
        if (parent.subFirst) {
            result_.boxReLoopFlag = true;
            how = QStringLiteral("左箱下げ");
        } else {
            result_.subReLoopFlag = true;
            how = QStringLiteral("左線下げ");
        }
        result_.yPeak = m;
    } else {
        result_.subReLoopFlag = true;
        result_.yDownShift = Twips(std::int64_t(std::min(parent.subXY.yh - topXY_.yh, m - topXY_.yh)) + saveDownShift_,
                                   "BlockMakeXYPosition");
        how = QStringLiteral("右箱下げ");
    }
    Trace("XYPosition.retry⑥",
          QStringLiteral("左箱が右箱より下に配置、かつ右箱に下げ指定ありかつ単純並び、") + how + QStringLiteral("で再トライ"));
    exitFlag_ = true;
}

void ChainPlacement::BoxRetry(const Snapshot& snapshot)
{
    Trace("XYPosition.boxRetry", QString::number(boxIndex_));
    SnapshotPut(block_, snapshot);
    block().editBoxCount = snapshot.editBoxCount;
    // One walk from the first line covers every line of the box.
    BoxDivideRestore(-1, b().subIndex);
    boxYPeakAdjust_ = std::max(boxYPeakAdjust_, state_.yPeak);
    state_ = XYPositionState::Default;
    lineTried_.clear();
    std::vector<std::int32_t> key{boxIndex_, b().flags, boxYPeakAdjust_};
    std::size_t steps = 0;
    for (std::int16_t s = b().subIndex; s >= 1 && steps++ < Work().SubList.size(); s = Sx(s).after)
        key.push_back(Sx(s).flags);
    Progress(boxTried_, std::move(key));
}

// A retry that comes back to a state already tried would go round for ever: the box cannot be
// placed, as when it is too large for a page.
void ChainPlacement::Progress(std::set<std::vector<std::int32_t>>& seen, std::vector<std::int32_t> key)
{
    if (++retries_ > kRetryCap || !seen.insert(std::move(key)).second)
        TooLarge();
}

void ChainPlacement::TooLarge()
{
    ErrorMessageBox(BoxTooLargeMessage);
    result_.errFlag = true;
    exitFlag_ = true;
}

void ChainPlacement::Register()
{
    const bool withGap = !((b().tagAttr & TagAttribute::NoVerticalGap) && b().after >= 0);
    SkylineRegister(block_, b().xy, b().sizeP, withGap);
    if (!IsChink(boxIndex_)) {
        runLastXY_ = b().xy;
        runLastSize_ = b().sizeP;
        if (runPending_) {
            runTopXY_ = b().xy;
            runTopSize_ = b().sizeP;
            runPending_ = false;
        }
        if (!chinkMet_) {
            continuedBottomXY_ = b().xy;
            continuedBottomSize_ = b().sizeP;
        }
    } else {
        chinkMet_ = true;
        // The run so far ends at the chink; its line is drawn now and not again at the end.
        if (!runPending_ && RunHasMembers())
            RunLineAppend();
        runPending_ = true;
    }
    b().blockIndex = block_;
    if ((b().flags & BoxFlag::PageMark2) && b().after >= 1)
        SetFlag(Bx(b().after).flags, BoxFlag::PageMark1);
    if (b().subIndex >= 1)
        onlySimpleBoxs_ = false;
    lastBoxIndex_ = boxIndex_;
}

void ChainPlacement::RunLineAppend()
{
    block().draw.push_back(LineFigureMake(runTopXY_.xw, runTopXY_.yh + Half(runTopSize_.yh), runLastXY_.xw,
                                          runLastXY_.yh + Half(runLastSize_.yh)));
}

XYPositionState ChainPlacement::Run()
{
    Entry();
    while (boxIndex_ >= 1) {
        if (BoxProgress(b().no)) {
            result_.errFlag = true;
            exitFlag_ = true;
            break;
        }
        const Snapshot snapshot = SnapshotTake(block_);
        pageBreakFlag_ = false;
        boxDivideFlag_ = false;
        boxLoopFlag_ = true;
        startAfter_ = b().after;
        startColor_ = b().colorCode;
        startFont_ = b().fontCode;
        startFlags_ = b().flags;

        if ((b().flags & (BoxFlag::LowerPage | BoxFlag::PageMark1)) && block().editBoxCount >= 1) {
            pageBreakFlag_ = true;
        } else {
            BoxShrinkWidth(boxIndex_, -1, false);
            PlaceBox();
            WidthCheck();
            if (!pageBreakFlag_)
                HeightCheck();
            if (!pageBreakFlag_ && boxDivideFlag_ && BoxTextDivide(boxIndex_, fitHeight_)) {
                Trace("XYPosition.AdjustTextHeight.After", QStringLiteral("縦分割不可により縦改行"));
                SetFlag(b().flags, BoxFlag::PageMark1);
                pageBreakFlag_ = true;
            }
        }
        if (pageBreakFlag_) {
            PageBreakAction();
            break;
        }

        Accept();
        CaseLoop();
        if (exitFlag_)
            break;
        if (boxLoopFlag_) {
            Complete();
            LevelCheckAfterBox();
            if (!exitFlag_ && L().boxFirst) {
                topXY_ = b().xy;
                L().boxFirst = false;
            }
        } else {
            LevelCheckOnRetry();
        }
        if (exitFlag_)
            break;
        if (boxLoopFlag_) {
            Register();
            boxIndex_ = b().after;
            downShift_ = 0;
            state_ = XYPositionState::Default;
            boxYPeakAdjust_ = 0;
            boxTried_.clear();
        } else {
            BoxRetry(snapshot);
            if (exitFlag_)
                break;
        }
    }
    return End();
}

XYPositionState ChainPlacement::End()
{
    if (exitFlag_)
        return result_;
    if (block().editBoxCount == 0) {
        TooLarge();
        return result_;
    }
    if (block().baseLevel < levelNo_) {
        const YAdjustRecord& parent = Level(static_cast<std::int16_t>(levelNo_ - 1));
        std::int64_t target = -1;
        if (parent.subCount == 1)
            target = topXY_.yh + Half(std::int64_t(continuedBottomXY_.yh) + continuedBottomSize_.yh - topXY_.yh);
        else if (parent.subCount >= 2)
            target = continuedBottomXY_.yh + Half(continuedBottomSize_.yh);
        const std::int64_t d = parent.connectXY.yh - target;
        if (target >= 1 && d > LO.yAdjustAllow) {
            Trace("XYPosition.retry⑦", QStringLiteral("左箱に対し右箱が上に配置。右箱を下げて再トライ"));
            result_.yDownShift = Twips(d + saveDownShift_, "BlockMakeXYPosition");
            result_.subReLoopFlag = true;
            return result_;
        }
    }
    if (boxIndex_ >= 1) {
        std::int16_t flags = BlockFlag::FromAbove;
        if (b().flags & BoxFlag::LowerPage)
            SetFlag(flags, BlockFlag::OwnPage);
        const std::int16_t added = BlockListAdd(flags);
        // Across a chink there is no sequence line to continue, so no mark is made.
        if (!IsChink(lastBoxIndex_) && !IsChink(boxIndex_))
            Blk(added).connectorNo = NextConnectorNumber();
        if (Blk(added).connectorNo >= 1) {
            ConnectorRecord mark = MarkMake(kMarkDown, Blk(added).connectorNo);
            mark.xy.xw = xa_ - Half(mark.sizeP.xw);
            // A branch box checks only its first two cases against the page bottom, so the rest
            // of it may reach lower than the room kept for this mark: the mark stays on the page.
            mark.xy.yh = std::max(0, std::min(SkylineGetY(block_, mark.xy.xw, mark.sizeP.xw, 0),
                                               RS.reportHeight - mark.sizeP.yh));
            SkylineRegister(block_, mark.xy, mark.sizeP, true);
            block().connector.push_back(mark);
            runLastXY_ = {xa_, mark.xy.yh};
            runLastSize_ = {0, 0};
        }
        continues = true;
        nextFirst = boxIndex_;
        nextBlock = added;
    }
    if (!runPending_ && RunHasMembers())
        RunLineAppend();
    return result_;
}

} // namespace

XYPositionState BlockMakeXYPosition(std::int16_t& first, std::int32_t xa, std::int16_t levelNo,
                                    std::int16_t& blockIndex, std::int32_t downShift)
{
    if (!DebugClassSkip(6))
        DebugLogWrite(QStringLiteral("XYPosition.entry"),
                      QStringLiteral("%1,%2,%3,%4,%5").arg(first).arg(xa).arg(levelNo).arg(blockIndex).arg(downShift),
                      0, 6);
    // A chain cut by a page break goes on in a new block on the same level; the rest is placed by
    // the same loop, not by a deeper call, so a chain of any length needs no deeper stack.
    ChainPlacement call(first, xa, levelNo, blockIndex, downShift, false);
    XYPositionState result = call.Run();
    while (call.continues && !result.errFlag) {
        call = ChainPlacement(call.nextFirst, 0, levelNo, call.nextBlock, 0, true);
        result = XYPositionState{call.Run().errFlag, false, false, 0, 0};
    }
    return result;
}

} // namespace vellumora
