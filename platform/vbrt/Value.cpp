#include "platform/vbrt/Value.h"

#include "platform/vbrt/Error.h"

#include <QStringList>

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace platform::vbrt {

namespace {

[[noreturn]] void RaiseTypeMismatch(const QString& source)
{
    RaiseNumber(ErrorNumber::TypeMismatch, source);
}

[[noreturn]] void RaiseOverflow(const QString& source)
{
    RaiseNumber(ErrorNumber::Overflow, source);
}

// A character of a text or a byte of UTF-8 text; a byte of a multi-byte character is never a
// digit, a sign, a point, an "e" or a blank, as the character it belongs to is none of them.
char16_t At(QStringView text, qsizetype i)
{
    return text[i].unicode();
}

char16_t At(QByteArrayView text, qsizetype i)
{
    return static_cast<unsigned char>(text[i]);
}

bool IsAsciiDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// The number of a numeric text, or nothing. Parsed by hand and converted with from_chars so that
// the process locale (a decimal comma) never changes what counts as a number.
template <class View>
std::optional<double> ParseNumber(View text)
{
    // Most numbers read back are plain whole numbers: those need none of the copies below.
    if (const qsizetype n = text.size(); n > 0 && n <= 16) {
        const qsizetype sign = At(text, 0) == u'-' ? 1 : 0;
        std::int64_t whole = 0;
        qsizetype i = sign;
        while (i < n && IsAsciiDigit(At(text, i)))
            whole = whole * 10 + (At(text, i++) - u'0');
        if (i == n && n > sign)
            return sign ? -double(whole) : double(whole);
    }
    // Blanks around the number, and only blanks, are allowed.
    qsizetype i = 0;
    qsizetype n = text.size();
    while (i < n && At(text, i) == u' ')
        ++i;
    while (n > i && At(text, n - 1) == u' ')
        --n;
    std::string normal;
    if (i < n && (At(text, i) == u'+' || At(text, i) == u'-')) {
        if (At(text, i) == u'-')
            normal += '-';
        ++i;
    }
    std::string intDigits, fracDigits;
    while (i < n && IsAsciiDigit(At(text, i)))
        intDigits += char(At(text, i++));
    if (i < n && At(text, i) == u'.') {
        ++i;
        while (i < n && IsAsciiDigit(At(text, i)))
            fracDigits += char(At(text, i++));
    }
    if (intDigits.empty() && fracDigits.empty())
        return std::nullopt;
    std::string exponent;
    if (i < n && (At(text, i) == u'e' || At(text, i) == u'E')) {
        ++i;
        if (i < n && (At(text, i) == u'+' || At(text, i) == u'-')) {
            if (At(text, i) == u'-')
                exponent += '-';
            ++i;
        }
        const std::size_t signLength = exponent.size();
        while (i < n && IsAsciiDigit(At(text, i)))
            exponent += char(At(text, i++));
        if (exponent.size() == signLength)
            return std::nullopt;
    }
    if (i != n)
        return std::nullopt;

    normal += intDigits.empty() ? std::string("0") : intDigits;
    if (!fracDigits.empty())
        normal += '.' + fracDigits;
    if (!exponent.empty())
        normal += 'e' + exponent;
    double value = 0;
    const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too small for a double reads as zero; too large is no number.
        const std::size_t firstSignificant = intDigits.find_first_not_of('0');
        long magnitude = firstSignificant == std::string::npos ? -1 : long(intDigits.size() - firstSignificant);
        if (firstSignificant == std::string::npos) {
            const std::size_t f = fracDigits.find_first_not_of('0');
            magnitude = f == std::string::npos ? -1 : -long(f);
        }
        const long exp = exponent.empty() ? 0 : std::strtol(exponent.c_str(), nullptr, 10);
        if (magnitude + exp < 0)
            return normal[0] == '-' ? -0.0 : 0.0;
        return std::nullopt;
    }
    if (ec != std::errc() || end != normal.data() + normal.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

template <class T>
T NarrowRounded(double value, const QString& source)
{
    if (std::isnan(value))
        RaiseOverflow(source);
    const double rounded = RoundHalfEven(value);
    if (rounded < double(std::numeric_limits<T>::min()) || rounded > double(std::numeric_limits<T>::max()))
        RaiseOverflow(source);
    return static_cast<T>(rounded);
}

bool IsWholeNumberType(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool IsFloatType(const QVariant& value)
{
    return value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float;
}

bool IsTextType(const QVariant& value)
{
    return value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray
        || value.typeId() == QMetaType::QChar;
}

// A whole-number value narrowed to T with the overflow check; unsigned values beyond LongLong
// are overflow too.
template <class T>
T NarrowWhole(const QVariant& value, const QString& source)
{
    if (value.typeId() == QMetaType::ULongLong || value.typeId() == QMetaType::ULong) {
        const qulonglong u = value.toULongLong();
        if (u > qulonglong(std::numeric_limits<T>::max()))
            RaiseOverflow(source);
        return static_cast<T>(u);
    }
    const qlonglong v = value.toLongLong();
    if (v < qlonglong(std::numeric_limits<T>::min()) || v > qlonglong(std::numeric_limits<T>::max()))
        RaiseOverflow(source);
    return static_cast<T>(v);
}

} // namespace

bool IsNumeric(const QString& text)
{
    return ParseNumber(QStringView(text)).has_value();
}

std::optional<double> Numeric(const QString& text)
{
    return ParseNumber(QStringView(text));
}

std::optional<double> Numeric(QByteArrayView utf8)
{
    return ParseNumber(utf8);
}

double CDbl(const QString& text)
{
    const std::optional<double> value = ParseNumber(QStringView(text));
    if (!value)
        RaiseTypeMismatch(QStringLiteral("CDbl"));
    return *value;
}

double RoundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

std::int16_t CInt(double value)
{
    return NarrowRounded<std::int16_t>(value, QStringLiteral("CInt"));
}

std::int32_t CLng(double value)
{
    return NarrowRounded<std::int32_t>(value, QStringLiteral("CLng"));
}

double Int(double value)
{
    return std::floor(value);
}

QString LTrim(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == QLatin1Char(' '))
        ++start;
    return text.mid(start);
}

QString RTrim(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.left(end);
}

QString Trim(const QString& text)
{
    return LTrim(RTrim(text));
}

QString TrimBlanksAndTabs(const QString& text)
{
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && blank(text.at(start)))
        ++start;
    while (end > start && blank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

QString CStr(const QVariant& value)
{
    if (!value.isValid())
        return QString();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (IsFloatType(value)) {
        const double d = value.toDouble();
        if (d == 0)
            return QStringLiteral("0");
        // Fifteen significant digits, an exponent written "E+20" / "E-07" as the runtime shows it.
        return QString::number(d, 'g', 15).replace(QLatin1Char('e'), QLatin1Char('E'));
    }
    if (IsWholeNumberType(value) || IsTextType(value))
        return value.toString();
    RaiseTypeMismatch(QStringLiteral("CStr"));
}

double CDbl(const QVariant& value)
{
    if (!value.isValid())
        return 0;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? -1 : 0;
    if (IsFloatType(value) || IsWholeNumberType(value))
        return value.toDouble();
    if (IsTextType(value))
        return CDbl(value.toString());
    RaiseTypeMismatch(QStringLiteral("CDbl"));
}

std::int16_t CInt(const QVariant& value)
{
    if (IsWholeNumberType(value))
        return NarrowWhole<std::int16_t>(value, QStringLiteral("CInt"));
    return CInt(CDbl(value));
}

std::int32_t CLng(const QVariant& value)
{
    if (IsWholeNumberType(value))
        return NarrowWhole<std::int32_t>(value, QStringLiteral("CLng"));
    return CLng(CDbl(value));
}

bool CBool(const QVariant& value)
{
    if (!value.isValid())
        return false;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (IsTextType(value)) {
        const QString text = Trim(value.toString());
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        const std::optional<double> number = ParseNumber(QStringView(text));
        if (!number)
            RaiseTypeMismatch(QStringLiteral("CBool"));
        return *number != 0;
    }
    if (IsFloatType(value) || IsWholeNumberType(value))
        return value.toDouble() != 0;
    RaiseTypeMismatch(QStringLiteral("CBool"));
}

std::int32_t TwipsFromCentimeters(float centimeters)
{
    const double twips = std::floor(double(centimeters) * 14400.0 / 25.4);
    if (!(twips >= double(std::numeric_limits<std::int32_t>::min()) && twips <= double(std::numeric_limits<std::int32_t>::max())))
        RaiseOverflow(QStringLiteral("CentimeterToTwip"));
    return static_cast<std::int32_t>(twips);
}

float CentimetersFromTwips(std::int32_t twips)
{
    return static_cast<float>(double(twips) * 25.4 / 14400.0);
}

} // namespace platform::vbrt
