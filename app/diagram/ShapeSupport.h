#pragma once

// Helpers shared by the layout passes and the shape builders, besides the checked access to a
// canvas's records and values: rounding down, walks that stop on broken links or too deep a
// nesting, and the first steps every shape builder takes.

#include "app/diagram/BoxList.h"
#include "app/diagram/FontAndColor.h"
#include "app/core/ApplicationGlobals.h"
#include "app/core/RecordAccess.h"
#include "platform/vbrt/Error.h"

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace vellumora::layout {

// Int(a / b): the exact quotient rounded down, also for a negative a.
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// Most shapes are at least two horizontal gaps wide.
inline std::int64_t MinWidth()
{
    return 2 * static_cast<std::int64_t>(LO.horizontalGap);
}

// Links that come back to a slot already passed would walk for ever; a walk never takes more
// steps than the list has slots.
[[noreturn]] inline void RaiseBrokenLinks(const char* source)
{
    platform::vbrt::Raise(QString::fromLatin1(source), QStringLiteral("ボックスのつながりが壊れています。"));
}

class WalkGuard {
public:
    WalkGuard(std::size_t steps, const char* source) : left_(steps), source_(source) {}
    void Step()
    {
        if (left_ == 0)
            RaiseBrokenLinks(source_);
        --left_;
    }

private:
    std::size_t left_;
    const char* source_;
};

[[noreturn]] inline void RaiseTooDeep(const char* source)
{
    platform::vbrt::Raise(QString::fromLatin1(source), QStringLiteral("入れ子が深すぎるため、レイアウトできません。"));
}

inline void FiguresSet(std::vector<FigureData>& draw, std::initializer_list<FigureData> figures)
{
    draw.assign(figures);
}

// The measured text of a box.
struct TextSize {
    std::int32_t w = 0;
    std::int32_t h = 0;
};

// A box whose shape is being built, with its canvas and its measured text.
struct ShapeFrame {
    CanvasRecord& c;
    BoxRecord& box;
    TextSize t;
};

// What every shape builder does first: the box's own font (so LO describes it), its text
// measured (an empty text as one blank), its level.
inline ShapeFrame ShapeStart(std::int16_t canvas, std::int16_t box, std::int16_t level, const char* source)
{
    CanvasRecord& c = CanvasAt(canvas, source);
    BoxRecord& b = BoxAt(c, box, source);
    FontSelect(b.fontCode, canvas);
    TextSizeMeasure(b.text, canvas);
    b.levelNo = level;
    return {c, b, {b.text.size.xw, b.text.size.yh}};
}

// The text between two rules: the box of an external reference, a routine and a tree.
void RuledShape(std::int16_t canvas, std::int16_t box, std::int16_t level, const char* source);

} // namespace vellumora::layout
