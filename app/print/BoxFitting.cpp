#include "app/print/BoxFitting.h"

#include "app/diagram/BoxList.h"
#include "app/diagram/FontAndColor.h"
#include "app/diagram/HorizontalPass.h"
#include "app/diagram/TagTable.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/LayoutRecords.h"
#include "app/core/PrintRecords.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vellumora {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kIndent = QStringLiteral("    ");
constexpr std::int16_t kWork = 0;

CanvasRecord& Work() { return CanvasAt(kWork, "BoxFitting"); }
BoxRecord& BoxOf(std::int16_t n) { return BoxAt(Work(), n, "BoxFitting"); }
SubRecord& SubOf(std::int16_t n) { return SubAt(Work(), n, "BoxFitting"); }

std::int64_t IntOf(double value) { return static_cast<std::int64_t>(std::floor(value)); }

std::int32_t Width(const QString& text) { return TextWidthGet(text, kWork); }

// Re-measures a text as it reads without wraps; an empty text becomes the default record.
void Remeasure(InternalCode& text)
{
    if (text.text.isEmpty()) {
        text = InternalCode::Default;
        return;
    }
    TextLineCount(text);
    TextSizeMeasure(text, kWork);
}

// The sub lines of a box whose case text is shown.
template <class Visit>
void ForShownSubs(std::int16_t box, Visit visit)
{
    const std::size_t limit = Work().SubList.size();
    std::size_t steps = 0;
    for (std::int16_t s = BoxOf(box).subIndex; s >= 1 && steps++ < limit; s = SubOf(s).after)
        if (SubOf(s).flags & SubFlag::CaseTextShown)
            visit(s);
}

std::int32_t ShownCaseWidth(std::int16_t box)
{
    std::int32_t widest = 0;
    ForShownSubs(box, [&](std::int16_t s) {
        widest = std::max({widest, SubOf(s).text.size.xw, SubOf(s).text2.size.xw});
    });
    return widest;
}

// Lines joined with CR LF, the empty lines before the first one with text dropped.
QString JoinLines(const QStringList& lines, qsizetype from, qsizetype to)
{
    QString joined;
    for (qsizetype i = from; i < to; ++i) {
        if (!joined.isEmpty())
            joined += kCrLf;
        joined += lines[i];
    }
    return joined;
}

// Why a canvas cannot be printed when its divisions find no slot.
QString DivisionRoomMessage(std::int16_t canvas)
{
    return QStringLiteral("ｷｬﾝﾊﾞｽ %1 は印刷できません。\r\n"
                          "頁に収まらないBOXを分割して印刷するには、1つのｷｬﾝﾊﾞｽに置けるBOXの数 (%2 個) "
                          "より多くのBOXが要ります。\r\n"
                          "BOXの数を減らすか、長いBOXを分けて下さい。")
        .arg(CanvasCaptionMake(canvas, QStringLiteral("\t")))
        .arg(std::numeric_limits<std::int16_t>::max());
}

} // namespace

std::int16_t DivisionBoxAdd(const PadInfoRecord& record, std::int16_t before, std::int16_t upper)
{
    try {
        return BoxAdd(kWork, record, before, upper);
    } catch (const platform::vbrt::Error& error) {
        // The box list's overflow means it has no slot left.
        if (error.number() != platform::vbrt::ErrorNumber::Overflow)
            throw;
    }
    platform::vbrt::Raise(QStringLiteral("DivisionBoxAdd"), DivisionRoomMessage(RW.canvas));
}

void TextLineCount(InternalCode& text)
{
    text.text.remove(QLatin1Char('\t'));
    text.lineCount = text.text.isEmpty()
                         ? 0
                         : Short(std::int64_t(text.text.count(kCrLf)) + 1, "TextLineCount");
}

std::int32_t TextLinesHeight(const QStringList& lines, std::int32_t n)
{
    return TextHeightGet(JoinLines(lines, 0, std::clamp<qsizetype>(n, 0, lines.size())), kWork, true);
}

void TextWrapToWidth(InternalCode& text, std::int32_t width)
{
    if (text.text.isEmpty())
        return;
    // Narrower than one character no piece could be: every piece would take one character anyway.
    width = std::max<std::int32_t>(width, std::max<std::int32_t>(1, LO.charWidth));
    QStringList lines = text.text.split(kCrLf);
    std::int64_t count = 0;
    for (QString& line : lines) {
        ++count;
        if (Width(line) <= width)
            continue;
        QStringList pieces{line};
        QString indent;
        std::int32_t e = Width(pieces[0]);
        qsizetype k = 0;
        while (width < e) {
            const QString piece = pieces[k];
            const qsizetype len = piece.size();
            // A single character stays whole, however wide it shows.
            if (len <= 1)
                break;
            auto W = [&](qsizetype n) { return Width(indent + piece.left(n)); };
            const qsizetype m = IntOf(double(len) * width / e);
            qsizetype lo = m;
            qsizetype hi = m;
            if (W(m) > width) {
                do
                    lo = IntOf(lo * 0.9);
                while (lo > 0 && W(lo) >= width);
            } else {
                do
                    hi = std::min<qsizetype>(std::max<qsizetype>(-IntOf(-(hi / 0.9)), hi + 1), len);
                while (hi < len && W(hi) <= width);
            }
            while (hi - lo >= 2) {
                const qsizetype mid = IntOf((lo + hi) / 2.0);
                if (W(mid) < width)
                    lo = mid;
                else
                    hi = mid;
            }
            // Every piece keeps at least one character and leaves at least one for the next.
            lo = std::clamp<qsizetype>(lo, 1, len - 1);
            pieces[k] = piece.left(lo);
            pieces.append(piece.mid(lo));
            indent = kIndent;
            e = Width(indent + pieces[k + 1]);
            ++count;
            ++k;
        }
        line = pieces.join(QLatin1Char('\t'));
    }
    text.text = lines.join(kCrLf);
    TextSizeMeasure(text, kWork);
    text.lineCount = Short(count, "TextWrapToWidth");
}

bool BoxShrinkWidth(std::int16_t box, std::int32_t want, bool force)
{
    FontSelect(BoxOf(box).fontCode, kWork);

    const std::int64_t textW = BoxOf(box).text.size.xw;
    const std::int64_t text2W = BoxOf(box).text2.size.xw;
    const std::int64_t caseW = ShownCaseWidth(box);
    const std::int64_t boxW = std::max(BoxOf(box).sizeS.xw, BoxOf(box).sizeE.xw);
    const std::int64_t frameW = boxW - (textW + text2W + caseW);

    Remeasure(BoxOf(box).text);
    Remeasure(BoxOf(box).text2);
    ForShownSubs(box, [](std::int16_t s) {
        Remeasure(SubOf(s).text);
        Remeasure(SubOf(s).text2);
    });

    if (want < 0)
        return false;

    const std::int64_t floor = 20 * std::int64_t(LO.charWidth);
    const std::int64_t mark = std::int64_t(RW.joint[0].sizeP.xw) + LO.horizontalGap;
    const std::int64_t maxText = RS.reportWidth - 2 * mark - frameW;
    const std::int64_t markRoom = (BoxOf(box).tagAttr & TagAttribute::SubLevel) ? mark : 0;

    const std::int64_t w[3] = {BoxOf(box).text.size.xw, BoxOf(box).text2.size.xw, ShownCaseWidth(box)};
    std::int64_t m[3];
    for (int i = 0; i < 3; ++i)
        m[i] = w[i] < floor ? w[i] : std::max<std::int64_t>(IntOf(w[i] * 0.6666666666666666), floor);
    const std::int64_t minSum = m[0] + m[1] + m[2];

    if (!(want - (minSum + frameW) >= 0 || force))
        return true;
    const std::int64_t extra = std::min<std::int64_t>(want - frameW, maxText - markRoom) - minSum;
    const std::int64_t give = (w[0] - m[0]) + (w[1] - m[1]) + (w[2] - m[2]);
    if (give == 0)
        return true;

    std::int32_t t[3];
    for (int i = 0; i < 3; ++i)
        t[i] = Twips(IntOf(double(w[i] - m[i]) * double(extra) / double(give)) + m[i], "BoxShrinkWidth");

    TextWrapToWidth(BoxOf(box).text, t[0]);
    TextWrapToWidth(BoxOf(box).text2, t[1]);
    ForShownSubs(box, [&](std::int16_t s) {
        TextWrapToWidth(SubOf(s).text, t[2]);
        TextWrapToWidth(SubOf(s).text2, t[2]);
    });

    if (BoxOf(box).subCount >= 2) {
        std::int16_t last = BoxOf(box).subIndex;
        std::size_t steps = 0;
        while (last >= 1 && SubOf(last).after >= 1 && steps++ < Work().SubList.size())
            last = SubOf(last).after;
        const std::int16_t previous = SubOf(last).before;
        if (!(SubOf(last).flags & SubFlag::CaseTextShown) && previous >= 1)
            SubOf(last).text = SubOf(previous).text2;
    }
    return false;
}

bool BoxTextDivide(std::int16_t box, std::int32_t fit)
{
    const std::int32_t colorCode = BoxOf(box).colorCode;
    const std::int32_t fontCode = BoxOf(box).fontCode;
    const std::int16_t flags = BoxOf(box).flags;
    const std::int16_t level = BoxOf(box).levelNo;

    BoxListXPosition(kWork, box, level);
    const std::int64_t boxH = std::max(BoxOf(box).sizeS.yh, BoxOf(box).sizeE.yh);
    const std::int64_t textH = BoxOf(box).text.size.yh;
    const std::int64_t avail = fit - (boxH - textH);

    const QStringList lines = BoxOf(box).text.text.split(kCrLf);
    const qsizetype n = lines.size();
    if (textH <= 0)
        return true;
    const qsizetype u = IntOf(double(n) * double(avail) / double(textH));
    if (u >= n)
        return false;
    if (u <= 0)
        return true;
    auto H = [&](qsizetype count) { return std::int64_t(TextLinesHeight(lines, static_cast<std::int32_t>(count))); };
    if (H(1) > avail)
        return true;

    qsizetype lo = u;
    qsizetype hi = u;
    if (H(u) > avail) {
        do
            lo = IntOf(lo * 0.9);
        while (lo > 1 && H(lo) >= avail);
    } else {
        do
            hi = std::min<qsizetype>(n, std::max<qsizetype>(IntOf(hi / 0.9), hi + 1));
        while (hi < n && H(hi) <= avail);
        // Every line fits once the empty lines that lead the text are dropped: nothing to divide.
        if (H(hi) <= avail)
            return false;
    }
    while (hi - lo >= 2) {
        const qsizetype mid = IntOf((hi + lo) / 2.0);
        if (H(mid) >= avail)
            hi = mid;
        else
            lo = mid;
    }
    lo = std::max<qsizetype>(lo, 1);
    if (lo >= n)
        return false;

    const QString head = JoinLines(lines, 0, lo);
    const QString tail = JoinLines(lines, lo, n);
    // The divided box keeps its kind, owner and neighbours; the rest goes into a new box after it.
    // The new box is taken first: a copy with no slot left for it keeps the box whole.
    const std::int16_t added =
        tail.isEmpty() ? std::int16_t(-1)
                       : DivisionBoxAdd(PadInfoMake(BoxOf(box).tagType, tail), box, BoxOf(box).upper);
    BoxOf(box).text.text = head;
    BoxOf(box).text.lineCount = Short(head.isEmpty() ? 0 : head.count(kCrLf) + 1, "BoxTextDivide");
    BoxListXPosition(kWork, box, level);
    if (added < 1)
        return false;  // only empty lines were cut off: nothing continues, so no mark either

    const std::int16_t after = BoxOf(box).after;
    BoxOf(added).style = BoxOf(box).style;
    BoxOf(added).levelNo = level;
    BoxOf(box).flags = static_cast<std::int16_t>(BoxOf(box).flags | BoxFlag::PageMark2);
    BoxOf(box).after = added;
    BoxOf(added).after = after;
    BoxOf(added).colorCode = colorCode;
    BoxOf(added).fontCode = fontCode;
    BoxOf(added).flags = flags;
    return false;
}

void BoxDivideRestoreBox(std::int16_t b)
{
    while ((BoxOf(b).flags & BoxFlag::PageMark2) && BoxOf(b).after >= 1) {
        const std::int16_t c = BoxOf(b).after;
        if (BoxOf(c).tagType != BoxOf(b).tagType)
            break;
        const std::int16_t cSub = BoxOf(c).subIndex;
        const std::int16_t cCount = BoxOf(c).subCount;
        const std::int16_t cAfter = BoxOf(c).after;
        const QString cText = BoxOf(c).text.text;
        const QString cText2 = BoxOf(c).text2.text;
        const bool cDivided = BoxOf(c).flags & BoxFlag::PageMark2;
        BoxOf(c).subIndex = -1;
        BoxOf(c).subCount = 0;
        BoxDelete(kWork, c, false);
        BoxOf(b).after = cAfter;
        if (cSub >= 1) {
            if (BoxOf(b).subIndex >= 1) {
                std::int16_t last = BoxOf(b).subIndex;
                std::size_t subSteps = 0;
                while (SubOf(last).after >= 1 && subSteps++ < Work().SubList.size())
                    last = SubOf(last).after;
                SubOf(last).after = cSub;
                SubOf(cSub).before = last;
            } else {
                BoxOf(b).subIndex = cSub;
            }
            std::size_t subSteps = 0;
            for (std::int16_t s = cSub; s >= 1 && subSteps++ < Work().SubList.size(); s = SubOf(s).after)
                SubOf(s).upper = b;
        }
        BoxOf(b).subCount = Short(std::int64_t(BoxOf(b).subCount) + cCount, "BoxDivideRestore");
        if (BoxOf(b).tagType != TagId::Branch) {
            BoxOf(b).text.text += kCrLf + cText;
            BoxOf(b).text2.text += kCrLf + cText2;
        }
        if (cDivided)
            BoxOf(b).flags = static_cast<std::int16_t>(BoxOf(b).flags | BoxFlag::PageMark2);
        else
            BoxOf(b).flags = static_cast<std::int16_t>(BoxOf(b).flags & ~BoxFlag::PageMark2);
    }
    BoxOf(b).flags = static_cast<std::int16_t>(BoxOf(b).flags & ~BoxFlag::PageMark1);
    std::size_t subSteps = 0;
    for (std::int16_t s = BoxOf(b).subIndex; s >= 1 && subSteps++ < Work().SubList.size(); s = SubOf(s).after)
        SubOf(s).flags = static_cast<std::int16_t>(SubOf(s).flags & ~(SubFlag::PageMark100 | SubFlag::PageMark200));
    BoxDivideRestore(-1, BoxOf(b).subIndex);
}

void BoxDivideRestore(std::int16_t box, std::int16_t sub)
{
    if (box < 1) {
        const std::size_t limit = Work().SubList.size();
        std::size_t steps = 0;
        for (std::int16_t s = sub; s >= 1 && steps++ < limit; s = SubOf(s).after) {
            SubOf(s).flags = static_cast<std::int16_t>(SubOf(s).flags & ~SubFlag::PageMark80);
            BoxDivideRestore(SubOf(s).boxIndex, -1);
        }
        return;
    }
    const std::size_t limit = Work().BoxList.size();
    std::size_t steps = 0;
    for (std::int16_t b = box; b >= 1 && steps++ < limit; b = BoxOf(b).after)
        BoxDivideRestoreBox(b);
}

} // namespace vellumora
