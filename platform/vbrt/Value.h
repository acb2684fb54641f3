#pragma once

// The value rules of the old language runtime, written once for the whole program: what counts
// as a number, how a number becomes a 16-bit or 32-bit integer, Int, and trimming of blanks.

#include <QByteArrayView>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <optional>

namespace platform::vbrt {

// True when the text is a number: optional blanks around, an optional sign, digits with at most
// one decimal point (".5" and "5." count), an optional exponent ("1e5", "2.5E-3"). The empty text,
// a lone sign or point, and a number too large for a double are not numbers.
bool IsNumeric(const QString& text);

// The number a numeric text stands for; raises 13 (type mismatch) for any other text.
double CDbl(const QString& text);
// The number of a numeric text, nothing for any other: IsNumeric and CDbl in one reading.
std::optional<double> Numeric(const QString& text);
// The same rule on UTF-8 text, read where it lies (the fields of a work-file line).
std::optional<double> Numeric(QByteArrayView utf8);

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double value);

// Conversions to the 16-bit Integer and the 32-bit Long: rounded halves to even, raising 6
// (overflow) when the rounded value does not fit or the value is not a number.
std::int16_t CInt(double value);
std::int32_t CLng(double value);

// The largest whole number not above the value (Int(-2.5) = -3).
double Int(double value);

// Trimming removes blanks (U+0020) only: tabs, line ends and other spaces stay.
QString LTrim(const QString& text);
QString RTrim(const QString& text);
QString Trim(const QString& text);
// Blanks and TABs at both ends removed: the white space around an ini file's names and values, and
// at the ends of a document's trimmed sections, where its reader takes a TAB for a blank.
QString TrimBlanksAndTabs(const QString& text);

// Conversions of a loosely typed value, as the runtime coerces an argument: an empty value is
// 0, "" or False; a text converts when it is numeric (or, for Boolean, "True" or "False" in any
// letter case); anything else raises 13. Numbers narrow with CInt/CLng rules (overflow raises 6).
// A Boolean is -1 when True as a number and "True"/"False" as text.
QString CStr(const QVariant& value);
double CDbl(const QVariant& value);
std::int16_t CInt(const QVariant& value);
std::int32_t CLng(const QVariant& value);
bool CBool(const QVariant& value);

// Lengths: twips are 1440 an inch; on screen 15 twips make one pixel.
constexpr std::int32_t TwipsPerInch = 1440;
constexpr std::int32_t TwipsPerPixel = 15;

// Centimetres to twips: the largest whole number not above cm x 14400 / 25.4, the centimetres
// used exactly as the single-precision value holds them (2.54f gives 1439), the arithmetic in
// double precision; raises 6 when the result does not fit 32 bits.
std::int32_t TwipsFromCentimeters(float centimeters);
// Twips to centimetres: t x 25.4 / 14400 in double precision, rounded to the nearest float.
// Shown with Format(value, "#0.0").
float CentimetersFromTwips(std::int32_t twips);

} // namespace platform::vbrt
