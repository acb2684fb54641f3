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
    const std::int64_t fsH = LO.freeStyleHorizontal, fsV = LO.freeStyleVertical;

    Corner LU = Corner::Off, RU = Corner::Off, LL = Corner::Off, RL = Corner::Off;
    InnerLine left, right, upper, lower;
    bool overlapH = false, overlapV = false;

    // States only accumulate: a later row never switches off what an earlier one set.
    const auto& rows = PR.StyleAttributeTable;
    const std::size_t rowCount = std::min(rows.size(), box.style.size());
    for (std::size_t i = 0; i < rowCount; ++i) {
        const std::uint8_t k = box.style[i];
        const StyleAttributeRecord& row = rows[i];
        // Byte 0 is "off"; a byte past the row's values chooses nothing.
        if (k == 0 || k >= row.values.size())
            continue;
        const QString& v = row.values[k];
        if (row.isCorner && (v == QLatin1String("cut") || v == QLatin1String("curve"))) {
            const Corner state = v == QLatin1String("cut") ? Corner::Cut : Corner::Curve;
            Corner* corner = nullptr;
            if (row.isLeft && row.isUpper)
                corner = &LU;
            else if (row.isRight && row.isUpper)
                corner = &RU;
            else if (row.isLeft && row.isLower)
                corner = &LL;
            else if (row.isRight && row.isLower)
                corner = &RL;
            if (corner)
                *corner = state;
        } else if (row.isLine && v == QLatin1String("on")) {
            if (row.isLeft)
                left.SwitchOn();
            else if (row.isRight)
                right.SwitchOn();
            else if (row.isUpper)
                upper.SwitchOn();
            else if (row.isLower)
                lower.SwitchOn();
        } else if (row.isOverlap) {
            if (v == QLatin1String("horizontal"))
                overlapH = true;
            else if (v == QLatin1String("vertical"))
                overlapV = true;
        }
    }

    // Overlap: where the outlines of neighbouring boxes overlap, the inner lines that would run
    // along the shared side are dropped, and their stubs stay only where they meet a line.
    if (overlapH) {
        left.full = right.full = false;
        left.stub1 = left.stub1 && upper.full;
        right.stub1 = right.stub1 && upper.full;
        left.stub2 = left.stub2 && lower.full;
        right.stub2 = right.stub2 && lower.full;
    } else if (overlapV) {
        upper.full = lower.full = false;
        upper.stub1 = upper.stub1 && left.full;
        lower.stub1 = lower.stub1 && left.full;
        upper.stub2 = upper.stub2 && right.full;
        lower.stub2 = lower.stub2 && right.full;
    }

    std::int64_t g = 0;
    const std::array<std::tuple<Corner, bool, bool>, 4> corners{{{LU, left.full, upper.full},
                                                                 {RU, right.full, upper.full},
                                                                 {LL, left.full, lower.full},
                                                                 {RL, right.full, lower.full}}};
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

    const std::int64_t a = (LU == Corner::Curve || LL == Corner::Curve) ? std::max(g, fsH) : fsH;
    const std::int64_t b = (RU == Corner::Curve || RL == Corner::Curve) ? std::max(g, fsH) : fsH;
    const std::int64_t cTop = ((LU == Corner::Curve || RU == Corner::Curve) && upper.full) ? std::max(g, fsV) : fsV;
    const std::int64_t d = ((LL == Corner::Curve || RL == Corner::Curve) && lower.full) ? std::max(g, fsV) : fsV;

    box.text.xy = {Twips(a + LO.innerLeft, kSource), Twips(cTop + LO.innerTop, kSource)};
    const std::int32_t W = Twips(std::max(a + LO.innerLeft + t.w + LO.innerRight + b, MinWidth()), kSource);
    const std::int32_t H = Twips(cTop + LO.innerTop + t.h + LO.innerBottom + d, kSource);
    box.sizeS = {W, H};
    g = std::min<std::int64_t>(g, static_cast<std::int64_t>(platform::vbrt::RoundHalfEven(4.0 * std::min(W, H) / 13.0)));

    const auto T = [](std::int64_t v) { return Twips(v, "FreeStyleXPosition"); };
    std::vector<FigureData> figures;
    if (LU == Corner::Cut)
        figures.push_back(LineFigureMake(T(a), 0, 0, T(cTop)));
    else if (LU == Corner::Curve)
        figures.push_back(ArcFigureMake(FigureKind::UpperLeft, T(g), T(g), T(g)));
    if (RU == Corner::Cut)
        figures.push_back(LineFigureMake(T(W - b), 0, W, T(cTop)));
    else if (RU == Corner::Curve)
        figures.push_back(ArcFigureMake(FigureKind::UpperRight, T(W - g), T(g), T(g)));
    if (LL == Corner::Cut)
        figures.push_back(LineFigureMake(T(a), H, 0, T(H - d)));
    else if (LL == Corner::Curve)
        figures.push_back(ArcFigureMake(FigureKind::LowerLeft, T(g), T(H - g), T(g)));
    if (RL == Corner::Cut)
        figures.push_back(LineFigureMake(T(W - b), H, W, T(H - d)));
    else if (RL == Corner::Curve)
        figures.push_back(ArcFigureMake(FigureKind::LowerRight, T(W - g), T(H - g), T(g)));

    // The outer edges end where their corners begin.
    const auto extent = [g](Corner state, std::int64_t cut) -> std::int64_t {
        return state == Corner::Cut ? cut : state == Corner::Curve ? g : 0;
    };
    figures.push_back(LineFigureMake(T(extent(LU, a)), 0, T(W - extent(RU, b)), 0));
    figures.push_back(LineFigureMake(T(extent(LL, a)), H, T(W - extent(RL, b)), H));
    figures.push_back(LineFigureMake(0, T(extent(LU, cTop)), 0, T(H - extent(LL, d))));
    figures.push_back(LineFigureMake(W, T(extent(RU, cTop)), W, T(H - extent(RL, d))));

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
    sideLine(left, a);
    sideLine(right, W - b);
    ruleLine(upper, cTop);
    ruleLine(lower, H - d);
    box.draw = std::move(figures);
}

} // namespace vellumora
