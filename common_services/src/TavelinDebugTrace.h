#pragma once

// The library's own debug log: "<temporary folder>/<EXEName>.log", appended in Shift_JIS, lines
// ended by CR LF, a banner once per object before its first line, a level that gates the lines
// and a flash mode that closes the file after every line.

#include "TavelinComObject.h"

#include <QString>
#include <QVariant>

#include <cstdint>

namespace tavelin {

// True when the line was written. A text with no text form (a list, an object) raises 13.
bool DebugLineWrite(TavelinComObject& self, const QVariant& text, std::int16_t levelNo);
void DebugSnapShot(TavelinComObject& self, const QVariant& text);
void DebugFileClose(TavelinComState& state);
std::int16_t DebugLevelRaise(TavelinComState& state, std::int16_t setLevel);
void DebugFlashStore(TavelinComState& state, bool flag);
void DebugLevelDialog(TavelinComState& state);

} // namespace tavelin
