// Layouts of damaged or extreme charts end with a clear error instead of hanging, overflowing
// the stack or writing outside the skyline.

#include "layout_support.h"

#include "support/RaisedError.h"

#include <functional>

using namespace layout_test;
namespace ErrorNumber = platform::vbrt::ErrorNumber;

namespace {

class LayoutFaults : public LayoutTest {
protected:
    LayoutFaults() : LayoutTest(true, CanvasSizeRecord{0, 0, 300, 300, 200, 200}) {}

    static std::int16_t Add(std::int32_t tagId, const QString& text, std::int16_t before, std::int16_t upper)
    {
        const std::int16_t n = BoxAdd(kCanvas, PadInfoMake(tagId, text), before, upper);
        if (before >= 1)
            Box(before).after = n;
        else if (upper < 1)
            Canvas().header.firstBox = n;
        else
            Sub(upper).boxIndex = n;
        return n;
    }

    // A body line below the box.
    static std::int16_t Body(std::int16_t box)
    {
        const std::int16_t s = SubLineAdd(kCanvas, -1, box, 1);
        Box(box).subIndex = s;
        Box(box).subCount = 1;
        return s;
    }

    // Loops nested depth deep, the innermost holding one block.
    static void NestedLoops(int depth)
    {
        std::int16_t upper = -1;
        for (int level = 0; level < depth; ++level) {
            const std::int16_t loop = Add(TagId::Loop, QStringLiteral("L"), -1, upper);
            upper = Body(loop);
        }
        Add(TagId::Block, QStringLiteral("B"), -1, upper);
    }
};

TEST_F(LayoutFaults, DamagedOrExtremeChartsRaiseInsteadOfHanging)
{
    struct Row {
        const char* why;
        std::function<void()> make;
        std::int32_t number;
    };
    const Row rows[] = {
        {"nesting deeper than any document may have",
         [] { NestedLoops(MaxNestingLevel + 5); },
         ErrorNumber::Application},
        {"a chain whose last box leads back to its first",
         [] {
             const std::int16_t a = Add(TagId::Block, QStringLiteral("A"), -1, -1);
             const std::int16_t b = Add(TagId::Block, QStringLiteral("B"), a, -1);
             Box(b).after = a;
         },
         ErrorNumber::Application},
        {"a body line that leads back to its own box",
         [] {
             const std::int16_t loop = Add(TagId::Loop, QStringLiteral("L"), -1, -1);
             Sub(Body(loop)).boxIndex = loop;
         },
         ErrorNumber::Application},
        {"sub lines of a box that run in a circle",
         [] {
             const std::int16_t loop = Add(TagId::Loop, QStringLiteral("L"), -1, -1);
             const std::int16_t s = Body(loop);
             Sub(s).after = s;
         },
         ErrorNumber::Application},
        {"a position past the 32-bit range", [] {
             Add(TagId::Block, QStringLiteral("A"), -1, -1);
             CanvasSize.LeftSpace = 2147483000;
         },
         ErrorNumber::Overflow},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        CanvasesReset();
        CanvasSize.LeftSpace = 300;
        row.make();
        EXPECT_RAISES(BoxTreeXPosition(kCanvas, -1, 0, 0), row.number);
    }
}

TEST_F(LayoutFaults, BoxOfAKindWithoutAShapeIsRefusedByName)
{
    const std::int16_t n = Add(TagId::Block, QStringLiteral("A"), -1, -1);
    Box(n).tagType = TagId::Case;
    try {
        BoxListXPosition(kCanvas, n, 0);
        ADD_FAILURE() << "accepted";
    } catch (const platform::vbrt::Error& e) {
        EXPECT_EQ(e.number(), ErrorNumber::Application);
        EXPECT_EQ(e.source(), "BoxListXPosition");
        EXPECT_EQ(e.description(), "不当なﾀｸﾞが出現しています。");
    }
}

TEST_F(LayoutFaults, NestingAsDeepAsDocumentsMayHaveIsLaidOut)
{
    NestedLoops(MaxNestingLevel);
    LayoutRun();
    const BoxRecord& inner = Box(Find("B"));
    EXPECT_EQ(inner.levelNo, MaxNestingLevel);
    EXPECT_EQ(Canvas().header.maxLevel, MaxNestingLevel);
    EXPECT_GT(inner.xy.xw, Box(Canvas().header.firstBox).xy.xw);
}

TEST_F(LayoutFaults, ListWhoseFirstBoxIsHiddenStartsItsColumnsAtItsFirstShownBox)
{
    // The hidden note keeps whatever x an earlier layout left; the list must not take its
    // columns from there.
    ApplicationGlobals.NoteNotShow = true;
    DocumentParse({"&&routine", "&&text", "R", "&&loop", "&&before", "&&text", "L\r\nL", "&&note", "&&text", "N",
                   "&&block", "&&text", "B", "&&end-loop", "&&end-routine"});
    for (std::int32_t stale : {2000000000, -2000000000, 0}) {
        SCOPED_TRACE(stale);
        Box(Find("N")).xy.xw = stale;
        LayoutRun();
        EXPECT_EQ(Str(Box(Find("B")).xy), "1500,325") << "centred on the loop's line as without the note";
    }
}

} // namespace
