#pragma once

// Range-checked access to the canvas slots and to a canvas's box and sub-line lists, and the range
// checks of the 32-bit lengths and 16-bit numbers kept in them. An index outside a list raises
// "subscript out of range", a value outside its width "overflow", from the procedure named; the
// program never reads past a list nor lets a value wrap.

#include "app/core/ApplicationGlobals.h"
#include "platform/vbrt/Error.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <limits>

namespace vellumora {

[[noreturn]] inline void RaiseOverflow(const char* source)
{
    platform::vbrt::RaiseNumber(platform::vbrt::ErrorNumber::Overflow, QString::fromLatin1(source));
}

[[noreturn]] inline void RaiseSubscript(const char* source)
{
    platform::vbrt::RaiseNumber(platform::vbrt::ErrorNumber::SubscriptOutOfRange, QString::fromLatin1(source));
}

// Lengths are summed wide and must come back into the signed 32-bit range.
inline std::int32_t Twips(std::int64_t value, const char* source)
{
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        RaiseOverflow(source);
    return static_cast<std::int32_t>(value);
}

inline std::int16_t Short(std::int64_t value, const char* source)
{
    if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
        RaiseOverflow(source);
    return static_cast<std::int16_t>(value);
}

// The element of a list whose slots are numbered from 0.
template <class List>
auto& ElementAt(List& list, std::int16_t index, const char* source)
{
    if (index < 0 || static_cast<std::size_t>(index) >= list.size())
        RaiseSubscript(source);
    return list[static_cast<std::size_t>(index)];
}

inline CanvasRecord& CanvasAt(std::int16_t canvas, const char* source) { return ElementAt(B, canvas, source); }

inline BoxRecord& BoxAt(CanvasRecord& c, std::int16_t box, const char* source)
{
    return ElementAt(c.BoxList, box, source);
}

inline SubRecord& SubAt(CanvasRecord& c, std::int16_t sub, const char* source)
{
    return ElementAt(c.SubList, sub, source);
}

// The records of one canvas for a walk along its links. A link is checked once with boxExists or
// subExists (slot 0, the spare, is never part of a chain); the records are then read unchecked,
// by index every time, so that a list that grows during the walk is still read right.
class CanvasLinks {
protected:
    explicit CanvasLinks(CanvasRecord& record) : record_(record) {}

    BoxRecord& box(std::int16_t n) { return record_.BoxList[static_cast<std::size_t>(n)]; }
    SubRecord& sub(std::int16_t n) { return record_.SubList[static_cast<std::size_t>(n)]; }
    bool boxExists(std::int16_t n) const { return n >= 1 && static_cast<std::size_t>(n) < record_.BoxList.size(); }
    bool subExists(std::int16_t n) const { return n >= 1 && static_cast<std::size_t>(n) < record_.SubList.size(); }

    CanvasRecord& record_;
};

} // namespace vellumora
