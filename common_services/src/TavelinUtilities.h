#pragma once

// Process id, the library's three message boxes (titled with the client's caption) and the trim
// of blanks and control characters.

#include "TavelinComObject.h"

#include <QString>

#include <cstdint>

namespace tavelin {

std::int32_t ProcessIdGet();
void CriticalMessageShow(const TavelinComState& state, const QString& message);
// Raises 6 when Button + 36 leaves the 32-bit range.
std::int16_t QuestionMessageShow(const TavelinComState& state, const QString& message, std::int32_t button);
void InformationMessageShow(const TavelinComState& state, const QString& message);
QString TextSmartTrim(const TavelinComState& state, const QString& inText);

} // namespace tavelin
