#include "app/diagram/BoxShapes.h"

#include "app/diagram/ShapeSupport.h"
#include "platform/vbrt/Value.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <vector>

namespace vellumora {

namespace {

using namespace layout;

// The stub from the middle of the box to the chain below its first sub line, when there is one.
void MiddleStub(CanvasRecord& c, const BoxRecord& box, const char* source)
{
    if (box.subIndex <= 0)
        return;
    SubRecord& sub = SubAt(c, box.subIndex, source);
    if (sub.boxIndex <= 0)
        return;
    const std::int32_t m = box.sizeS.yh / 2;
    FiguresSet(sub.draw, {LineFigureMake(0, m, LO.horizontalGap, m)});
}

enum class Corner { Off, Cut, Curve };

// One inner line of a free-style box: its whole length and the stubs at its two ends (the upper
// end of a side line, the left end of a top or bottom line, first).
struct InnerLine {
    bool full = false;
    bool stub1 = false;
    bool stub2 = false;

    void SwitchOn() { full = stub1 = stub2 = true; }
    bool Any() const { return full || stub1 || stub2; }
};

// The frame a free-style box's style values ask for.
struct FrameStyle {
    Corner LU = Corner::Off, RU = Corner::Off, LL = Corner::Off, RL = Corner::Off;
    InnerLine left, right, upper, lower;
    bool overlapH = false, overlapV = false;
};

FrameStyle FrameStyleRead(const std::vector<std::uint8_t>& style)
{
    FrameStyle f;
    // States only accumulate: a later row never switches off what an earlier one set.
    const auto& rows = PR.StyleAttributeTable;
    const std::size_t rowCount = std::min(rows.size(), style.size());
    for (std::size_t i = 0; i < rowCount; ++i) {
        const std::uint8_t k = style[i];
        const StyleAttributeRecord& row = rows[i];
        // Byte 0 is "off"; a byte past the row's values chooses nothing.
        if (k == 0 || k >= row.values.size())
            continue;
        const QString& v = row.values[k];
        if (row.isCorner && (v == QLatin1String("cut") || v == QLatin1String("curve"))) {
            const Corner state = v == QLatin1String("cut") ? Corner::Cut : Corner::Curve;
            Corner* corner = nullptr;
            if (row.isLeft && row.isUpper)
                corner = &f.LU;
            else if (row.isRight && row.isUpper)
                corner = &f.RU;
            else if (row.isLeft && row.isLower)
                corner = &f.LL;
            else if (row.isRight && row.isLower)
                corner = &f.RL;
            if (corner)
                *corner = state;
        } else if (row.isLine && v == QLatin1String("on")) {
            if (row.isLeft)
                f.left.SwitchOn();
            else if (row.isRight)
                f.right.SwitchOn();
            else if (row.isUpper)
                f.upper.SwitchOn();
            else if (row.isLower)
                f.lower.SwitchOn();
        } else if (row.isOverlap) {
            if (v == QLatin1String("horizontal"))
                f.overlapH = true;
            else if (v == QLatin1String("vertical"))
                f.overlapV = true;
        }
    }

    // Overlap: where the outlines of neighbouring boxes overlap, the inner lines that would run
    // along the shared side are dropped, and their stubs stay only where they meet a line.
    if (f.overlapH) {
        f.left.full = f.right.full = false;
        f.left.stub1 = f.left.stub1 && f.upper.full;
        f.right.stub1 = f.right.stub1 && f.upper.full;
        f.left.stub2 = f.left.stub2 && f.lower.full;
        f.right.stub2 = f.right.stub2 && f.lower.full;
    } else if (f.overlapV) {
        f.upper.full = f.lower.full = false;
        f.upper.stub1 = f.upper.stub1 && f.left.full;
        f.lower.stub1 = f.lower.stub1 && f.left.full;
        f.upper.stub2 = f.upper.stub2 && f.right.full;
        f.lower.stub2 = f.lower.stub2 && f.right.full;
    }
    return f;
}

// The curve radius g and the distances of the inner lines from the left (a), right (b), top
// (cTop) and bottom (d) edges.
struct FrameMargins {
    std::int64_t g = 0, a = 0, b = 0, cTop = 0, d = 0;
};

FrameMargins FrameMarginsMake(const FrameStyle& f)
{
    const std::int64_t fsH = LO.freeStyleHorizontal, fsV = LO.freeStyleVertical;
    std::int64_t g = 0;
    const std::array<std::tuple<Corner, bool, bool>, 4> corners{{{f.LU, f.left.full, f.upper.full},
                                                                 {f.RU, f.right.full, f.upper.full},
                                                                 {f.LL, f.left.full, f.lower.full},
                                                                 {f.RL, f.right.full, f.lower.full}}};
    for (const auto& [state, side, rule] : corners) {
        if (state != Corner::Curve)
            continue;
        if (side && rule)
            g = std::max({g, fsH, fsV});
        else if (side)
            g = std::max(g, fsH);
        else if (rule)
            g = std::max(g, fsV);
    }
    if (g == 0)
        g = std::max(fsH, fsV);

    FrameMargins m;
    m.g = g;
    m.a = (f.LU == Corner::Curve || f.LL == Corner::Curve) ? std::max(g, fsH) : fsH;
    m.b = (f.RU == Corner::Curve || f.RL == Corner::Curve) ? std::max(g, fsH) : fsH;
    m.cTop = ((f.LU == Corner::Curve || f.RU == Corner::Curve) && f.upper.full) ? std::max(g, fsV) : fsV;
    m.d = ((f.LL == Corner::Curve || f.RL == Corner::Curve) && f.lower.full) ? std::max(g, fsV) : fsV;
    return m;
}

// The figures of a free-style box W by H: corners, outer edges, then the inner lines.
std::vector<FigureData> FrameFigures(const FrameStyle& f, const FrameMargins& m, std::int32_t W, std::int32_t H)
{
    // Plain names, not a structured binding: the lambdas below capture them, which clang before
    // version 16 refuses for bindings.
    const std::int64_t g = m.g, a = m.a, b = m.b, cTop = m.cTop, d = m.d;
    const auto T = [](std::int64_t v) { return Twips(v, "FreeStyleXPosition"); };
    std::vector<FigureData> figures;
    if (f.LU == Corner::Cut)
        figures.push_back(LineFigureMake(T(a), 0, 0, T(cTop)));
    else if (f.LU == Corner::Curve)
        figures.push_back(ArcFigureMake(FigureKind::UpperLeft, T(g), T(g), T(g)));
    if (f.RU == Corner::Cut)
        figures.push_back(LineFigureMake(T(W - b), 0, W, T(cTop)));
    else if (f.RU == Corner::Curve)
        figures.push_back(ArcFigureMake(FigureKind::UpperRight, T(W - g), T(g), T(g)));
    if (f.LL == Corner::Cut)
        figures.push_back(LineFigureMake(T(a), H, 0, T(H - d)));
    else if (f.LL == Corner::Curve)
        figures.push_back(ArcFigureMake(FigureKind::LowerLeft, T(g), T(H - g), T(g)));
    if (f.RL == Corner::Cut)
        figures.push_back(LineFigureMake(T(W - b), H, W, T(H - d)));
    else if (f.RL == Corner::Curve)
        figures.push_back(ArcFigureMake(FigureKind::LowerRight, T(W - g), T(H - g), T(g)));

    // The outer edges end where their corners begin.
    const auto extent = [g](Corner state, std::int64_t cut) -> std::int64_t {
        return state == Corner::Cut ? cut : state == Corner::Curve ? g : 0;
    };
    figures.push_back(LineFigureMake(T(extent(f.LU, a)), 0, T(W - extent(f.RU, b)), 0));
    figures.push_back(LineFigureMake(T(extent(f.LL, a)), H, T(W - extent(f.RL, b)), H));
    figures.push_back(LineFigureMake(0, T(extent(f.LU, cTop)), 0, T(H - extent(f.LL, d))));
    figures.push_back(LineFigureMake(W, T(extent(f.RU, cTop)), W, T(H - extent(f.RL, d))));

    const auto sideLine = [&](const InnerLine& line, std::int64_t x) {
        if (!line.Any())
            return;
        if (line.full) {
            figures.push_back(LineFigureMake(T(x), T(line.stub1 ? cTop : 0), T(x), T(H - (line.stub2 ? d : 0))));
            return;
        }
        if (line.stub1)
            figures.push_back(LineFigureMake(T(x), 0, T(x), T(cTop)));
        if (line.stub2)
            figures.push_back(LineFigureMake(T(x), T(H - d), T(x), H));
    };
    const auto ruleLine = [&](const InnerLine& line, std::int64_t y) {
        if (!line.Any())
            return;
        if (line.full) {
            figures.push_back(LineFigureMake(T(line.stub1 ? a : 0), T(y), T(W - (line.stub2 ? b : 0)), T(y)));
            return;
        }
        if (line.stub1)
            figures.push_back(LineFigureMake(0, T(y), T(a), T(y)));
        if (line.stub2)
            figures.push_back(LineFigureMake(T(W - b), T(y), W, T(y)));
    };
    sideLine(f.left, a);
    sideLine(f.right, W - b);
    ruleLine(f.upper, cTop);
    ruleLine(f.lower, H - d);
    return figures;
}

} // namespace

void BranchXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    static const char* const kSource = "BranchXPosition";
    auto [c, box, t] = ShapeStart(canvas, n, level, kSource);

    std::int64_t count = 0;
    std::int16_t last = -1, secondLast = -1;
    {
        WalkGuard guard(c.SubList.size(), kSource);
        for (std::int16_t s = box.subIndex; s >= 0;) {
            guard.Step();
            SubRecord& sub = SubAt(c, s, kSource);
            sub.text2 = InternalCode::Default;
            sub.flags |= SubFlag::CaseTextShown;
            ++count;
            if (sub.after >= 0)
                secondLast = s;
            last = s;
            s = sub.after;
        }
    }
    box.subCount = Short(count, kSource);
    // With two cases or more, the last case's label stands under the second-to-last one's, just
    // above the last line, and the last line shows none of its own.
    if (count >= 2 && secondLast >= 0) {
        SubRecord& lastSub = SubAt(c, last, kSource);
        SubAt(c, secondLast, kSource).text2 = lastSub.text;
        lastSub.flags = static_cast<std::int16_t>(lastSub.flags & ~SubFlag::CaseTextShown);
    }

    const std::int32_t notch = LO.branchNotchDepth, top = LO.branchTop, bottom = LO.branchBottom;
    std::int32_t maxW = 0;
    std::int64_t sumH = 0;
    for (std::int16_t s = box.subIndex; s >= 0;) {
        SubRecord& sub = SubAt(c, s, kSource);
        if (sub.flags & SubFlag::CaseTextShown) {
            TextSizeMeasure(sub.text, canvas);
            TextSizeMeasure(sub.text2, canvas);
            sub.sizeS.xw = Twips(static_cast<std::int64_t>(sub.text.size.xw) + notch, kSource);
            sub.sizeS.yh = Twips(static_cast<std::int64_t>(sub.text.size.yh) + top + bottom, kSource);
            sub.text.xy = {0, top};
            sub.branchDepth = notch;
            if (!sub.text2.text.isEmpty()) {
                sub.sizeS.xw = std::max(sub.sizeS.xw, Twips(static_cast<std::int64_t>(sub.text2.size.xw) + notch, kSource));
                sub.sizeS.yh = Twips(static_cast<std::int64_t>(sub.sizeS.yh) + sub.text2.size.yh + top + bottom, kSource);
                // Relative to the lower end of the case line, which control placement sets.
                sub.text2.xy = {0, Twips(-(static_cast<std::int64_t>(sub.text2.size.yh) + top), kSource)};
            }
            maxW = std::max(maxW, sub.sizeS.xw);
            sumH += sub.sizeS.yh;
        }
        s = sub.after;
    }
    const std::int32_t stubEnd = Twips(static_cast<std::int64_t>(maxW) + LO.horizontalGap, kSource);
    for (std::int16_t s = box.subIndex; s >= 0;) {
        SubRecord& sub = SubAt(c, s, kSource);
        sub.sizeS.xw = maxW;
        if (sub.boxIndex > 0)
            FiguresSet(sub.draw, {LineFigureMake(maxW, 0, stubEnd, 0)});
        sub.sizeP = sub.sizeS;
        s = sub.after;
    }

    box.text.xy = {LO.innerLeft, LO.innerTop};
    const std::int32_t W = Twips(std::max(static_cast<std::int64_t>(t.w) + LO.innerLeft + LO.branchGap, MinWidth()), kSource);
    const std::int32_t H = Twips(std::max(static_cast<std::int64_t>(t.h) + LO.innerTop + LO.innerBottom, sumH), kSource);
    box.sizeS = {W, H};
    box.sizeP.yh = H;
    box.sizeE.xw = Twips(static_cast<std::int64_t>(W) + maxW, kSource);
    // No figures yet: the vertical pass draws the outline once the case lines are spaced.
}

void LoopXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    static const char* const kSource = "LoopXPosition";
    auto [c, box, t] = ShapeStart(canvas, n, level, kSource);
    const bool testFirst = box.flags & BoxFlag::TestBefore;
    const std::int32_t b = LO.loopBarGap;
    box.text.xy = {Twips(static_cast<std::int64_t>(LO.innerLeft) + (testFirst ? b : 0), kSource), LO.innerTop};
    const std::int32_t W =
        Twips(std::max(static_cast<std::int64_t>(t.w) + LO.innerLeft + LO.innerRight + b, MinWidth()), kSource);
    const std::int32_t H = Twips(static_cast<std::int64_t>(t.h) + LO.innerTop + LO.innerBottom, kSource);
    box.sizeS = {W, H};
    // The test bar stands on the side where the test is made.
    const std::int32_t X = testFirst ? b : W - b;
    FiguresSet(box.draw, {LineFigureMake(X, 0, X, H)});
    MiddleStub(c, box, kSource);
}

void TreeXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    static const char* const kSource = "TreeXPosition";
    RuledShape(canvas, n, level, kSource);
    CanvasRecord& c = CanvasAt(canvas, kSource);
    MiddleStub(c, BoxAt(c, n, kSource), kSource);
}

void FreeStyleXPosition(std::int16_t canvas, std::int16_t n, std::int16_t level)
{
    static const char* const kSource = "FreeStyleXPosition";
    auto [c, box, t] = ShapeStart(canvas, n, level, kSource);
    const FrameStyle frame = FrameStyleRead(box.style);
    FrameMargins m = FrameMarginsMake(frame);

    box.text.xy = {Twips(m.a + LO.innerLeft, kSource), Twips(m.cTop + LO.innerTop, kSource)};
    const std::int32_t W = Twips(std::max(m.a + LO.innerLeft + t.w + LO.innerRight + m.b, MinWidth()), kSource);
    const std::int32_t H = Twips(m.cTop + LO.innerTop + t.h + LO.innerBottom + m.d, kSource);
    box.sizeS = {W, H};
    m.g = std::min<std::int64_t>(m.g, static_cast<std::int64_t>(platform::vbrt::RoundHalfEven(4.0 * std::min(W, H) / 13.0)));
    box.draw = FrameFigures(frame, m, W, H);
}

} // namespace vellumora
