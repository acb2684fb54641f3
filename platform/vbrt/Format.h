#pragma once

// Number and date formats of the old language runtime's Format function.

#include <QDateTime>
#include <QString>

namespace platform::vbrt {

// Formats a number with a pattern of digit placeholders: "0" shows a digit always (leading and
// trailing zeros), "#" only when significant, "." the decimal point, "," between integer
// placeholders groups thousands; other characters are copied, and a text in double quotes or a
// character after a backslash is literal. Halves round away from zero on the decimal digits of
// the value (15 significant digits, as the runtime shows them): Format(0.25, "#0.0") = "0.3".
// Examples: Format(3.14159, "#0.0") = "3.1", Format(7, "00") = "07", Format(0.04, "#0") = "0".
// An infinite or undefined value raises 6 (overflow).
QString Format(double value, const QString& pattern);

// Formats a date and time with the runtime's date tokens, letter case ignored: "yyyy", "yy", "y"
// (day of year), "q", "m", "mm" (month, or minutes after an hour token), "d", "dd", "h", "hh", "n",
// "nn", "s", "ss", "w" (weekday, 1 = Sunday), "ww" (week of year: weeks start on Sunday, week 1
// holds 1 January), "AM/PM", "am/pm", "A/P", "a/p". Names come as a Japanese system shows them:
// "ddd" and "aaa" "土", "dddd" and "aaaa" "土曜日", "mmm" "4", "mmmm" "4月", "AMPM" "午前"/"午後",
// "ddddd" "2004/04/03", "dddddd" "2004年4月3日", "c" "2004/04/03 7:04:09". Other characters are
// copied; quoted text and "\x" are literal. An invalid date gives the empty string.
// Format(t, "yyyy/mm/dd hh:mm:ss") = "2004/04/03 07:04:09".
QString Format(const QDateTime& value, const QString& pattern);

// The one date and time form the program writes in logs and file dates.
inline QString FormatTimeStamp(const QDateTime& value)
{
    return Format(value, QStringLiteral("yyyy/mm/dd hh:mm:ss"));
}

} // namespace platform::vbrt
