#include "app/diagram/HorizontalPass.h"

#include "app/core/CanvasSurface.h"
#include "app/core/CanvasSize.h"
#include "app/diagram/BoxListMake.h"
#include "app/diagram/BoxShapes.h"
#include "app/diagram/ShapeSupport.h"
#include "app/diagram/TagTable.h"

#include <algorithm>
#include <array>

namespace vellumora {

namespace {

using namespace layout;

struct XRun {
    std::int16_t canvas;
    WalkGuard boxes;
};

void ChainXPosition(XRun& run, std::int16_t start, std::int32_t x, std::int16_t level)
{
    static const char* const kSource = "BoxTreeXPosition";
    if (level > MaxNestingLevel)
        RaiseTooDeep(kSource);
    CanvasRecord& c = CanvasAt(run.canvas, kSource);
    c.header.maxLevel = std::max(c.header.maxLevel, level);

    for (std::int16_t n = start; n >= 0;) {
        run.boxes.Step();
        BoxListXPosition(run.canvas, n, level);
        BoxRecord& box = BoxAt(c, n, kSource);
        if (box.flags & BoxFlag::Shown) {
            box.xy.xw = x;
            const std::int64_t right =
                static_cast<std::int64_t>(x) + std::max(box.sizeE.xw, box.sizeS.xw) + LO.horizontalGap;
            c.header.extentX = std::max(c.header.extentX, Twips(right, kSource));
            c.header.boxCount = Short(c.header.boxCount + 1, kSource);
            box.no = c.header.boxCount;

            const std::int32_t subX = Twips(static_cast<std::int64_t>(x) + box.sizeS.xw, kSource);
            WalkGuard subs(c.SubList.size(), kSource);
            for (std::int16_t s = box.subIndex; s >= 0;) {
                subs.Step();
                SubRecord& sub = SubAt(c, s, kSource);
                sub.xy[0].xw = subX;
                if (sub.boxIndex > 0) {
                    const std::int32_t chainX =
                        Twips(static_cast<std::int64_t>(subX) + sub.sizeS.xw + LO.horizontalGap, kSource);
                    ChainXPosition(run, sub.boxIndex, chainX, Short(level + 1, kSource));
                }
                s = SubAt(c, s, kSource).after;
            }
        }

        BoxRecord& current = BoxAt(c, n, kSource);
        if (current.after < 0) {
            // The mark goes back over hidden boxes to the last shown one, which ends the list
            // for the vertical pass.
            WalkGuard back(c.BoxList.size(), kSource);
            for (std::int16_t k = n; k >= 0;) {
                back.Step();
                BoxRecord& marked = BoxAt(c, k, kSource);
                marked.flags |= BoxFlag::ChainEnd;
                if (marked.flags & BoxFlag::Shown)
                    break;
                k = marked.before;
            }
        }
        n = current.after;
    }

    c.header.width = std::max(Twips(static_cast<std::int64_t>(c.header.extentX) + CanvasSize.RightSpace, kSource), 5000);
}

// The frame of a jump: "goto" and the target text in a capsule. Breaks and continues that were
// turned into jumps to generated labels take it too.
void JumpShape(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    static const char* const kSource = "JumpXPosition";
    auto [c, box, t] = ShapeStart(canvas, n, level, kSource);
    box.text2 = TextInfoMake(QStringLiteral("goto"));
    TextSizeMeasure(box.text2, canvas);
    const std::int64_t t2w = box.text2.size.xw;
    const std::int64_t iL = LO.innerLeft, iR = LO.innerRight, iT = LO.innerTop, iB = LO.innerBottom;
    const std::int64_t R = FloorDiv(t.h, 2) + LO.labelRadiusMargin;
    const std::int64_t j = LO.jumpGap;

    box.text2.xy = {Twips(iL, kSource), Twips(iT, kSource)};
    box.text.xy = {Twips(iL + t2w + j + R, kSource), Twips(iT, kSource)};
    const std::int32_t W = Twips(std::max(iL + t2w + j + 2 * R + t.w + iR, MinWidth()), kSource);
    const std::int32_t H = Twips(t.h + iT + iB, kSource);
    box.sizeS = {W, H};
    const std::int32_t yc = Twips(FloorDiv(t.h, 2) + iT, kSource);
    const std::int32_t r = Twips(R, kSource);
    const std::int32_t c1 = Twips(iL + t2w + j + R, kSource);
    const std::int32_t c2 = Twips(W - iR - R, kSource);
    FiguresSet(box.draw, {ArcFigureMake(FigureKind::LeftHalf, c1, yc, r), ArcFigureMake(FigureKind::RightHalf, c2, yc, r),
                          LineFigureMake(c1, Twips(yc - R, kSource), c2, Twips(yc - R, kSource)),
                          LineFigureMake(c1, Twips(yc + R, kSource), c2, Twips(yc + R, kSource))});
}

// The square of a break or continue that is not a jump: its side follows the character height
// and the gap, not the text, which these kinds do not need.
std::int32_t ArrowSquare(std::int16_t canvas, BoxRecord& box, std::int16_t level)
{
    FontSelect(box.fontCode, canvas);
    box.levelNo = level;
    const std::int64_t S = std::max(FloorDiv(4 * static_cast<std::int64_t>(LO.charHeight), 3),
                                    FloorDiv(4 * static_cast<std::int64_t>(LO.horizontalGap), 3));
    const std::int32_t side = Twips(S, "BreakXPosition");
    box.sizeS = {side, side};
    return side;
}

// Width and height of the plain framed text that most kinds share.
void PlainSize(BoxRecord& box, const TextSize& t, std::int64_t extraWidth, const char* source)
{
    box.sizeS = {Twips(std::max(t.w + static_cast<std::int64_t>(LO.innerLeft) + LO.innerRight + extraWidth, MinWidth()), source),
                 Twips(static_cast<std::int64_t>(t.h) + LO.innerTop + LO.innerBottom, source)};
}

// Input cuts off the upper right corner, output the lower right one.
void CutCornerShape(std::int16_t canvas, std::int16_t n, std::int16_t level, bool upper, const char* source)
{
    auto [c, box, t] = ShapeStart(canvas, n, level, source);
    const std::int32_t k = std::min(LO.ioSideGap, upper ? LO.innerTop : LO.innerBottom);
    box.text.xy = {LO.innerLeft, LO.innerTop};
    PlainSize(box, t, k, source);
    const std::int32_t W = box.sizeS.xw, H = box.sizeS.yh;
    if (upper)
        FiguresSet(box.draw, {LineFigureMake(0, 0, W - k, 0), LineFigureMake(0, H, W, H), LineFigureMake(0, 0, 0, H),
                              LineFigureMake(W, k, W, H), LineFigureMake(W - k, 0, W, k)});
    else
        FiguresSet(box.draw, {LineFigureMake(0, 0, W, 0), LineFigureMake(0, H, W - k, H), LineFigureMake(0, 0, 0, H),
                              LineFigureMake(W, 0, W, H - k), LineFigureMake(W - k, H, W, H - k)});
}

// Break and continue boxes: a jump's shape once a label has replaced the box, else an arrowhead,
// the two lines arrowhead makes for a square of side S.
template <typename Arrowhead>
void ArrowShape(std::int16_t canvas, std::int16_t n, std::int16_t level, const char* source, Arrowhead arrowhead)
{
    BoxRecord& box = BoxAt(CanvasAt(canvas, source), n, source);
    if (box.flags & BoxFlag::LabelReplaced) {
        JumpShape(canvas, n, level);
        return;
    }
    const std::array<FigureData, 2> lines = arrowhead(ArrowSquare(canvas, box, level));
    FiguresSet(box.draw, {lines[0], lines[1]});
}

} // namespace

void layout::RuledShape(std::int16_t canvas, std::int16_t n, std::int16_t level, const char* source)
{
    auto [c, box, t] = ShapeStart(canvas, n, level, source);
    const std::int64_t g = LO.externalSideGap;
    box.text.xy = {LO.innerLeft, Twips(LO.innerTop + g, source)};
    const std::int32_t W = Twips(std::max<std::int64_t>(static_cast<std::int64_t>(t.w) + LO.innerLeft + LO.innerRight, MinWidth()), source);
    const std::int32_t H = Twips(LO.innerTop + g + t.h + LO.innerBottom + g, source);
    box.sizeS = {W, H};
    FiguresSet(box.draw, {LineFigureMake(0, Twips(g, source), W, Twips(g, source)),
                          LineFigureMake(0, Twips(H - g, source), W, Twips(H - g, source))});
}

void BoxTreeXPosition(std::int16_t canvas, std::int16_t start, std::int32_t x, std::int16_t level)
{
    static const char* const kSource = "BoxTreeXPosition";
    CanvasRecord& c = CanvasAt(canvas, kSource);
    if (start < 0) {
        c.header.maxLevel = 0;
        c.header.extentX = 0;
        c.header.boxCount = 0;
        if (CanvasSurface* form = c.form.data())
            form->SetAutoRedraw(false);
        DrawStateReset(canvas);
        start = c.header.firstBox;
        x = CanvasSize.LeftSpace;
        level = 0;
    }
    XRun run{canvas, WalkGuard(c.BoxList.size(), kSource)};
    ChainXPosition(run, start, x, level);
}

void BoxListXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    static const char* const kSource = "BoxListXPosition";
    CanvasRecord& c = CanvasAt(canvas, kSource);
    BoxRecord& box = BoxAt(c, n, kSource);
    box.sizeS = box.sizeE = box.sizeP = Point{};
    box.draw.assign(1, FigureData{});
    WalkGuard subs(c.SubList.size(), kSource);
    for (std::int16_t s = box.subIndex; s >= 0;) {
        subs.Step();
        SubRecord& sub = SubAt(c, s, kSource);
        sub.sizeS = sub.sizeP = Point{};
        sub.draw.assign(1, FigureData{});
        s = sub.after;
    }

    switch (box.tagType) {
    case TagId::Routine: RoutineXPosition(canvas, n, level); break;
    case TagId::Block: BlockXPosition(canvas, n, level); break;
    case TagId::Declare: DeclareXPosition(canvas, n, level); break;
    case TagId::Input: InputXPosition(canvas, n, level); break;
    case TagId::Output: OutputXPosition(canvas, n, level); break;
    case TagId::External: ExternalXPosition(canvas, n, level); break;
    case TagId::Branch: BranchXPosition(canvas, n, level); break;
    case TagId::Loop: LoopXPosition(canvas, n, level); break;
    case TagId::Label: LabelXPosition(canvas, n, level); break;
    case TagId::Break: BreakXPosition(canvas, n, level); break;
    case TagId::Continue: ContinueXPosition(canvas, n, level); break;
    case TagId::Jump: JumpXPosition(canvas, n, level); break;
    case TagId::Tree: TreeXPosition(canvas, n, level); break;
    case TagId::Note: NoteXPosition(canvas, n, level); break;
    case TagId::Chink: ChinkXPosition(canvas, n, level); break;
    case TagId::FreeStyle: FreeStyleXPosition(canvas, n, level); break;
    case TagId::Egg: EggXPosition(canvas, n, level); break;
    default: platform::vbrt::Raise(QString::fromLatin1(kSource), QStringLiteral("不当なﾀｸﾞが出現しています。"));
    }
}

void BlockXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    static const char* const kSource = "BlockXPosition";
    auto [c, box, t] = ShapeStart(canvas, n, level, kSource);
    box.text.xy = {LO.innerLeft, LO.innerTop};
    PlainSize(box, t, 0, kSource);
    // No figures: the block has a frame, which painting draws around its painted size.
}

void DeclareXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    static const char* const kSource = "DeclareXPosition";
    auto [c, box, t] = ShapeStart(canvas, n, level, kSource);
    const std::int64_t d = LO.declareBarGap;
    box.text.xy = {Twips(d + LO.innerLeft, kSource), LO.innerTop};
    PlainSize(box, t, 2 * d, kSource);
    const std::int32_t W = box.sizeS.xw, H = box.sizeS.yh;
    const std::int32_t right = Twips(W - d, kSource);
    FiguresSet(box.draw, {LineFigureMake(Twips(d, kSource), 0, Twips(d, kSource), H), LineFigureMake(right, 0, right, H)});
}

void InputXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    CutCornerShape(canvas, n, level, true, "InputXPosition");
}

void OutputXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    CutCornerShape(canvas, n, level, false, "OutputXPosition");
}

void ExternalXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    RuledShape(canvas, n, level, "ExternalXPosition");
}

void RoutineXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    static const char* const kSource = "RoutineXPosition";
    RuledShape(canvas, n, level, kSource);
    CanvasRecord& c = CanvasAt(canvas, kSource);
    BoxRecord& box = BoxAt(c, n, kSource);
    if (box.subIndex <= 0)
        return;
    SubRecord& sub = SubAt(c, box.subIndex, kSource);
    if (sub.boxIndex <= 0)
        return;
    // The body hangs from a double line.
    const std::int64_t H = box.sizeS.yh, r = LO.routineLineGap;
    const std::int32_t m = Twips(FloorDiv(H - r, 2), kSource);
    const std::int32_t k = Twips(FloorDiv(H + r, 2), kSource);
    FiguresSet(sub.draw, {LineFigureMake(0, m, LO.horizontalGap, m), LineFigureMake(0, k, LO.horizontalGap, k)});
}

void LabelXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    static const char* const kSource = "LabelXPosition";
    auto [c, box, t] = ShapeStart(canvas, n, level, kSource);
    const std::int32_t R = Twips(FloorDiv(t.h, 2) + LO.labelRadiusMargin, kSource);
    box.text.xy = {R, LO.labelRadiusMargin};
    const std::int32_t W = Twips(std::max(t.w + 2 * static_cast<std::int64_t>(R), MinWidth()), kSource);
    const std::int32_t H = Twips(2 * static_cast<std::int64_t>(R), kSource);
    box.sizeS = {W, H};
    FiguresSet(box.draw, {ArcFigureMake(FigureKind::LeftHalf, R, R, R), ArcFigureMake(FigureKind::RightHalf, W - R, R, R),
                          LineFigureMake(R, 0, W - R, 0), LineFigureMake(R, H, W - R, H)});
}

void BreakXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    // An arrowhead pointing left.
    ArrowShape(canvas, n, level, "BreakXPosition", [](std::int32_t S) {
        return std::array{LineFigureMake(S, 0, 0, S / 2), LineFigureMake(S, S, 0, S / 2)};
    });
}

void ContinueXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    // An arrowhead pointing down.
    ArrowShape(canvas, n, level, "ContinueXPosition", [](std::int32_t S) {
        return std::array{LineFigureMake(0, 0, S / 2, S), LineFigureMake(S, 0, S / 2, S)};
    });
}

void JumpXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    JumpShape(canvas, n, level);
}

void NoteXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    static const char* const kSource = "NoteXPosition";
    auto [c, box, t] = ShapeStart(canvas, n, level, kSource);
    box.text.xy = {LO.innerLeft, LO.innerTop};
    if (ApplicationGlobals.NoteNotShow)
        box.flags = static_cast<std::int16_t>(box.flags & ~BoxFlag::Shown);
    else
        box.flags |= BoxFlag::Shown;
    PlainSize(box, t, 0, kSource);
    FiguresSet(box.draw, {LineFigureMake(0, 0, 0, box.sizeS.yh)});
}

void ChinkXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    // A chink takes no room; its text is measured all the same.
    ShapeStart(canvas, n, level, "ChinkXPosition");
}

void EggXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    static const char* const kSource = "EggXPosition";
    BoxRecord& box = BoxAt(CanvasAt(canvas, kSource), n, kSource);
    FontSelect(box.fontCode, canvas);
    box.levelNo = level;
    box.sizeS = {LO.innerLeft, LO.innerTop};
}

} // namespace vellumora
