// Layouts with the installed fonts: exact twips depend on the fonts, so these check what must
// hold for any font: shown boxes never overlap, the boxes below a sub line stand right of
// their owner, a chain runs from top to bottom, everything lies inside the canvas, and shown
// boxes are numbered once each.

#include "layout_support.h"

#include <QDir>

#include <map>
#include <random>

using namespace layout_test;

namespace {

// A chart of every kind of box, nested branches and loops, notes, chinks and page breaks,
// the same for every run.
class ChartWriter {
public:
    explicit ChartWriter(unsigned seed) : random_(seed) {}

    QStringList Routine(int boxes)
    {
        lines_ = {"&&routine", "&&text", "Routine"};
        List(boxes, 0, false);
        lines_ << "&&end-routine";
        return lines_;
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    QString Text()
    {
        static const char* const words[] = {"count", "合計を求める", "i = 0", "ファイルを開く", "x", "処理"};
        QStringList lines;
        for (int i = 0, n = 1 + Pick(3); i < n; ++i)
            lines << QString::fromUtf8(words[Pick(6)]);
        return lines.join(QStringLiteral("\r\n"));
    }

    void Simple(const char* tag)
    {
        lines_ << tag;
        if (Pick(8) == 0)
            lines_ << "&&lowerPage";
        lines_ << "&&text" << Text().split(QStringLiteral("\r\n"));
    }

    void List(int boxes, int depth, bool inLoop)
    {
        for (int i = 0; i < boxes; ++i) {
            const int kind = depth < 4 ? Pick(14) : Pick(9);
            switch (kind) {
            case 0: Simple("&&block"); break;
            case 1: Simple("&&declare"); break;
            case 2: Simple("&&input"); break;
            case 3: Simple("&&output"); break;
            case 4: Simple("&&external"); break;
            case 5: Simple("&&note"); break;
            case 6: Simple("&&label"); break;
            case 7:
                if (inLoop)
                    lines_ << (Pick(2) ? "&&break" : "&&continue");
                else
                    Simple("&&jump");
                break;
            case 8:
                lines_ << "&&freeStyle" << "&&style" << "leftuppercorner:curve" << "rightlowercorner:cut"
                       << (Pick(2) ? "upperline:on" : "leftline:on") << (Pick(2) ? "overlap:horizontal" : "overlap:off")
                       << "&&text" << "free";
                break;
            case 9:
            case 10:
                lines_ << "&&loop" << (Pick(2) ? "&&before" : "&&after");
                if (Pick(6) == 0)
                    lines_ << "&&rightPage";
                lines_ << "&&text" << Text().split(QStringLiteral("\r\n"));
                List(1 + Pick(3), depth + 1, true);
                lines_ << "&&end-loop";
                break;
            default:
                lines_ << "&&branch" << "&&text" << Text().split(QStringLiteral("\r\n"));
                for (int c = 0, n = 1 + Pick(3); c < n; ++c) {
                    lines_ << "&&case";
                    if (Pick(6) == 0)
                        lines_ << "&&rightPage";
                    lines_ << "&&text" << QStringLiteral("case %1").arg(c);
                    if (Pick(5) != 0)
                        List(1 + Pick(3), depth + 1, inLoop);
                }
                lines_ << "&&end-branch";
                break;
            }
            if (i + 1 < boxes && Pick(10) == 0)
                lines_ << "&&chink";
        }
    }

    std::mt19937 random_;
    QStringList lines_;
};

struct Rect {
    std::int16_t box;
    std::int64_t x1, y1, x2, y2;
};

::testing::AssertionResult LayoutSound(std::int16_t canvas)
{
    const CanvasRecord& c = Canvas(canvas);
    std::vector<Rect> rects;
    std::map<std::int16_t, int> numbers;
    std::string fault;

    auto chain = [&](auto&& self, std::int16_t first, const BoxRecord* owner) -> void {
        const BoxRecord* previous = nullptr;
        for (std::int16_t n = first; n >= 0 && fault.empty(); n = c.BoxList[n].after) {
            const BoxRecord& b = c.BoxList[n];
            if (!(b.flags & BoxFlag::Shown))
                continue;
            rects.push_back({n, b.xy.xw, b.xy.yh, std::int64_t(b.xy.xw) + b.sizeP.xw, std::int64_t(b.xy.yh) + b.sizeP.yh});
            ++numbers[b.no];
            if (owner && b.xy.xw < std::int64_t(owner->xy.xw) + owner->sizeS.xw)
                fault = "box " + std::to_string(n) + " stands left of its owner's right edge";
            if (previous && b.xy.yh < std::int64_t(previous->xy.yh) + previous->sizeP.yh)
                fault = "box " + std::to_string(n) + " starts above the bottom of the box before it";
            if (b.xy.xw + b.sizeP.xw > c.header.width || b.xy.yh + b.sizeP.yh > c.header.height)
                fault = "box " + std::to_string(n) + " leaves the canvas";
            for (std::int16_t s = b.subIndex; s >= 0 && fault.empty(); s = c.SubList[s].after)
                if (c.SubList[s].boxIndex > 0)
                    self(self, c.SubList[s].boxIndex, &b);
            previous = &b;
        }
    };
    chain(chain, c.header.firstBox, nullptr);
    if (!fault.empty())
        return ::testing::AssertionFailure() << fault;

    for (std::size_t i = 0; i < rects.size(); ++i)
        for (std::size_t j = i + 1; j < rects.size(); ++j) {
            const Rect& a = rects[i];
            const Rect& b = rects[j];
            if (a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2)
                return ::testing::AssertionFailure() << "boxes " << a.box << " and " << b.box << " overlap";
        }
    const bool numbered = numbers.empty() ? c.header.boxCount == 0
                                          : static_cast<int>(numbers.size()) == c.header.boxCount &&
                                                numbers.begin()->first == 1 && numbers.rbegin()->first == c.header.boxCount;
    if (!numbered)
        return ::testing::AssertionFailure() << "shown boxes are not numbered 1 to " << c.header.boxCount << " once each";
    return ::testing::AssertionSuccess();
}

// Position and painted size of every box in tree order: slots of generated labels may change
// between runs, the diagram may not.
std::vector<Point> Placement(std::int16_t canvas)
{
    const CanvasRecord& c = Canvas(canvas);
    std::vector<Point> points;
    auto chain = [&](auto&& self, std::int16_t first) -> void {
        for (std::int16_t n = first; n >= 0; n = c.BoxList[n].after) {
            const BoxRecord& b = c.BoxList[n];
            points.push_back(b.xy);
            points.push_back(b.sizeP);
            for (std::int16_t s = b.subIndex; s >= 0; s = c.SubList[s].after) {
                points.push_back(c.SubList[s].xy[0]);
                if (c.SubList[s].boxIndex > 0)
                    self(self, c.SubList[s].boxIndex);
            }
        }
    };
    chain(chain, c.header.firstBox);
    return points;
}

class LayoutInvariants : public LayoutTest {
protected:
    LayoutInvariants() : LayoutTest(false, CanvasSizeRecord{0, 0, 283, 283, 283, 283}) {}
};

TEST_F(LayoutInvariants, SampleDocumentsWithNotesShownAndHidden)
{
    const QDir samples(QStringLiteral(VELLUMORA_SOURCE_DIR "/samples"));
    for (const QString& name : samples.entryList({QStringLiteral("*.txt")})) {
        for (const bool hidden : {false, true}) {
            SCOPED_TRACE(name.toStdString() + (hidden ? " with notes hidden" : " with notes shown"));
            DocumentLoad(samples.filePath(name));
            ApplicationGlobals.NoteNotShow = hidden;
            ApplicationGlobals.ReplaceJump = hidden;
            DocumentFontApply();
            for (std::int16_t canvas = 1; canvas < static_cast<std::int16_t>(B.size()); ++canvas) {
                LayoutRun(canvas);
                EXPECT_TRUE(LayoutSound(canvas)) << "canvas " << canvas;
            }
        }
    }
}

TEST_F(LayoutInvariants, GeneratedChartsOfEveryKind)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        for (const bool replaceJump : {false, true}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + (replaceJump ? " with jumps to labels" : ""));
            ApplicationGlobals.ReplaceJump = replaceJump;
            ApplicationGlobals.NoteNotShow = seed % 3 == 0;
            DocumentParse(ChartWriter(seed).Routine(12));
            LayoutRun();
            EXPECT_TRUE(LayoutSound(kCanvas));
            // A second redraw of the same chart gives the same layout.
            const std::vector<Point> first = Placement(kCanvas);
            const CanvasHeader header = Canvas().header;
            LayoutRun();
            EXPECT_TRUE(Placement(kCanvas) == first);
            EXPECT_EQ(Canvas().header.height, header.height);
            EXPECT_EQ(Canvas().header.width, header.width);
        }
    }
}

} // namespace
