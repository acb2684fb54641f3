#include "platform/vbrt/Format.h"

#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace platform::vbrt {

namespace {

// ---- numbers ----

struct NumberToken {
    enum Kind { Literal, Digit, Point } kind;
    QString text; // Literal: the text; Digit: "0" or "#"
};

struct NumberSection {
    std::vector<NumberToken> tokens;
    bool grouping = false;
    bool percent = false;
};

// Splits a pattern at the section separators ";" that stand outside quotes and escapes.
QStringList SplitSections(const QString& pattern)
{
    QStringList sections;
    QString current;
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            current += c;
            current += pattern[++i];
            continue;
        }
        if (!quoted && c == QLatin1Char(';')) {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

NumberSection ParseNumberSection(const QString& pattern)
{
    NumberSection section;
    bool afterPoint = false;
    auto literal = [&section](const QString& text) {
        if (!section.tokens.empty() && section.tokens.back().kind == NumberToken::Literal)
            section.tokens.back().text += text;
        else
            section.tokens.push_back({NumberToken::Literal, text});
    };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            section.tokens.push_back({NumberToken::Digit, QString(c)});
        } else if (c == QLatin1Char('.') && !afterPoint) {
            afterPoint = true;
            section.tokens.push_back({NumberToken::Point, QString()});
        } else if (c == QLatin1Char(',') && !afterPoint) {
            // A comma among the integer placeholders groups thousands; elsewhere it is dropped.
            section.grouping = true;
        } else if (c == QLatin1Char('%')) {
            section.percent = true;
            literal(QStringLiteral("%"));
        } else if (c == QLatin1Char('\\') && i + 1 < pattern.size()) {
            literal(QString(pattern[++i]));
        } else if (c == QLatin1Char('"')) {
            const qsizetype end = pattern.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype stop = end < 0 ? pattern.size() : end;
            literal(pattern.mid(i + 1, stop - i - 1));
            i = stop;
        } else {
            literal(QString(c));
        }
    }
    return section;
}

// The decimal digits of |value| rounded half away from zero to `decimals` places, taken from the
// value's 15 significant digits: integer digits without leading zeros (empty for zero), and
// exactly `decimals` fraction digits.
void DecimalDigits(double value, int decimals, QString& integerDigits, QString& fractionDigits)
{
    // d.dddddddddddddde+XX
    const QString scientific = QString::number(std::fabs(value), 'e', 14);
    const qsizetype ePos = scientific.indexOf(QLatin1Char('e'));
    QString mantissa = scientific.left(ePos).remove(QLatin1Char('.'));
    const int exponent = scientific.mid(ePos + 1).toInt();
    // Digits as a plain string with the point after `pointAt` digits.
    int pointAt = exponent + 1;
    if (pointAt < 0) {
        mantissa.prepend(QString(-pointAt, QLatin1Char('0')));
        pointAt = 0;
    }
    if (mantissa.size() < pointAt + decimals)
        mantissa.append(QString(pointAt + decimals - mantissa.size(), QLatin1Char('0')));
    QString kept = mantissa.left(pointAt + decimals);
    const bool roundUp = mantissa.size() > kept.size() && mantissa[kept.size()] >= QLatin1Char('5');
    if (roundUp) {
        qsizetype i = kept.size() - 1;
        for (; i >= 0; --i) {
            if (kept[i] == QLatin1Char('9')) {
                kept[i] = QLatin1Char('0');
            } else {
                kept[i] = QChar(kept[i].unicode() + 1);
                break;
            }
        }
        if (i < 0) {
            kept.prepend(QLatin1Char('1'));
            ++pointAt;
        }
    }
    integerDigits = kept.left(pointAt);
    fractionDigits = kept.mid(pointAt);
    while (!integerDigits.isEmpty() && integerDigits[0] == QLatin1Char('0'))
        integerDigits.remove(0, 1);
}

QString GroupThousands(const QString& digits)
{
    QString grouped;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += QLatin1Char(',');
        grouped += digits[i];
    }
    return grouped;
}

QString FormatSection(double magnitude, const NumberSection& section, bool minus)
{
    int integerSlots = 0, fractionSlots = 0;
    int minimumDigits = 0; // from the leftmost "0" before the point to the point
    bool seenPoint = false;
    std::vector<QChar> fractionKinds;
    for (const NumberToken& t : section.tokens) {
        if (t.kind == NumberToken::Point) {
            seenPoint = true;
        } else if (t.kind == NumberToken::Digit && !seenPoint) {
            ++integerSlots;
            if (t.text == QLatin1String("0") && minimumDigits == 0)
                minimumDigits = 1;
            else if (minimumDigits > 0)
                ++minimumDigits;
        } else if (t.kind == NumberToken::Digit) {
            ++fractionSlots;
            fractionKinds.push_back(t.text[0]);
        }
    }
    if (integerSlots == 0 && fractionSlots == 0 && !seenPoint) {
        // A pattern with no placeholder is shown as written.
        QString text;
        for (const NumberToken& t : section.tokens)
            text += t.text;
        return text;
    }
    if (section.percent)
        magnitude *= 100;

    QString integerDigits, fractionDigits;
    DecimalDigits(magnitude, fractionSlots, integerDigits, fractionDigits);
    // Optional trailing fraction places drop their zeros.
    qsizetype fractionShown = fractionSlots;
    while (fractionShown > 0 && fractionKinds[fractionShown - 1] == QLatin1Char('#')
           && fractionDigits[fractionShown - 1] == QLatin1Char('0'))
        --fractionShown;
    fractionDigits.truncate(fractionShown);
    const bool isZero = integerDigits.isEmpty()
        && std::all_of(fractionDigits.cbegin(), fractionDigits.cend(), [](QChar d) { return d == QLatin1Char('0'); });

    QString integerText = integerDigits;
    if (integerText.size() < minimumDigits)
        integerText.prepend(QString(minimumDigits - integerText.size(), QLatin1Char('0')));
    if (section.grouping)
        integerText = GroupThousands(integerText);

    // Integer digits fill the placeholders from the right, literals between them stay in place;
    // digits beyond the placeholders go to the first one. Grouped digits stand together.
    QString text;
    if (minus && !isZero)
        text += QLatin1Char('-');
    const qsizetype excess = integerText.size() - integerSlots;
    int slot = 0;
    int fractionIndex = 0;
    seenPoint = false;
    for (const NumberToken& t : section.tokens) {
        if (t.kind == NumberToken::Literal) {
            text += t.text;
        } else if (t.kind == NumberToken::Point) {
            if (integerSlots == 0)
                text += integerText;
            seenPoint = true;
            text += QLatin1Char('.');
        } else if (!seenPoint) {
            if (section.grouping) {
                if (slot == 0)
                    text += integerText;
            } else {
                if (slot == 0 && excess > 0)
                    text += integerText.left(excess);
                if (excess + slot >= 0)
                    text += integerText[excess + slot];
            }
            ++slot;
        } else {
            if (fractionIndex < fractionDigits.size())
                text += fractionDigits[fractionIndex];
            ++fractionIndex;
        }
    }
    return text;
}

// ---- dates ----

const char* const kWeekdayShort[] = {"日", "月", "火", "水", "木", "金", "土"};
const char* const kWeekdayLong[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};

QString TwoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// 1 for Sunday to 7 for Saturday.
int WeekdayFromSunday(const QDate& date)
{
    return date.dayOfWeek() % 7 + 1;
}

// Weeks start on Sunday; week 1 holds 1 January.
int WeekOfYear(const QDate& date)
{
    const int firstWeekday = WeekdayFromSunday(QDate(date.year(), 1, 1)) - 1;
    return (date.dayOfYear() - 1 + firstWeekday) / 7 + 1;
}

bool StartsWithAt(const QString& text, qsizetype at, const char* what)
{
    return QStringView(text).mid(at).startsWith(QLatin1String(what));
}

bool HasTwelveHourMarker(const QString& pattern)
{
    return pattern.contains(QLatin1String("AM/PM"), Qt::CaseInsensitive)
        || pattern.contains(QLatin1String("A/P"), Qt::CaseInsensitive)
        || pattern.contains(QLatin1String("AMPM"), Qt::CaseInsensitive);
}

} // namespace

QString Format(double value, const QString& pattern)
{
    if (!std::isfinite(value))
        RaiseNumber(ErrorNumber::Overflow, QStringLiteral("Format"));
    if (pattern.isEmpty())
        return CStr(QVariant(value));
    const QStringList sections = SplitSections(pattern);
    if (value < 0 && sections.size() >= 2 && !sections[1].isEmpty())
        return FormatSection(-value, ParseNumberSection(sections[1]), false);
    if (value == 0 && sections.size() >= 3 && !sections[2].isEmpty())
        return FormatSection(0, ParseNumberSection(sections[2]), false);
    return FormatSection(std::fabs(value), ParseNumberSection(sections[0]), value < 0);
}

QString Format(const QDateTime& value, const QString& pattern)
{
    if (!value.isValid())
        return QString();
    const QDate date = value.date();
    const QTime time = value.time();
    const bool twelveHour = HasTwelveHourMarker(pattern);
    QString out;
    bool afterHour = false; // an "m" right after an hour token means minutes
    const qsizetype n = pattern.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('"')) {
            const qsizetype end = pattern.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype stop = end < 0 ? n : end;
            out += pattern.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        if (c == QLatin1Char('\\') && i + 1 < n) {
            out += pattern[i + 1];
            i += 2;
            continue;
        }
        // "AM/PM" and "A/P", all upper or all lower case: the half of the day in that case.
        const auto halfOfDay = [&](const char* upper, const char* lower, const QString& am, const QString& pm) {
            if (!StartsWithAt(pattern, i, upper) && !StartsWithAt(pattern, i, lower))
                return false;
            const QString marker = time.hour() < 12 ? am : pm;
            out += pattern[i] == QLatin1Char('A') ? marker : marker.toLower();
            i += qsizetype(qstrlen(upper));
            return true;
        };
        if (halfOfDay("AM/PM", "am/pm", QStringLiteral("AM"), QStringLiteral("PM")) ||
            halfOfDay("A/P", "a/p", QStringLiteral("A"), QStringLiteral("P")))
            continue;
        if (QStringView(pattern).mid(i).startsWith(QLatin1String("AMPM"), Qt::CaseInsensitive)) {
            out += time.hour() < 12 ? QStringLiteral("午前") : QStringLiteral("午後");
            i += 4;
            continue;
        }
        const QChar lower = c.toLower();
        qsizetype run = 1;
        while (i + run < n && pattern[i + run].toLower() == lower)
            ++run;
        qsizetype used = run; // characters of the run this token takes
        switch (lower.unicode()) {
        case 'd':
            used = std::min<qsizetype>(run, 6);
            if (used == 1)
                out += QString::number(date.day());
            else if (used == 2)
                out += TwoDigits(date.day());
            else if (used == 3)
                out += QString::fromUtf8(kWeekdayShort[date.dayOfWeek() % 7]);
            else if (used == 4)
                out += QString::fromUtf8(kWeekdayLong[date.dayOfWeek() % 7]);
            else if (used == 5)
                out += QStringLiteral("%1/%2/%3").arg(date.year(), 4, 10, QLatin1Char('0')).arg(TwoDigits(date.month()), TwoDigits(date.day()));
            else
                out += QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
            afterHour = false;
            break;
        case 'a': // Japanese weekday names
            if (run >= 3) {
                used = std::min<qsizetype>(run, 4);
                out += QString::fromUtf8(used == 3 ? kWeekdayShort[date.dayOfWeek() % 7] : kWeekdayLong[date.dayOfWeek() % 7]);
            } else {
                out += pattern.mid(i, run);
            }
            break;
        case 'm':
            if (afterHour && run <= 2) {
                out += run == 1 ? QString::number(time.minute()) : TwoDigits(time.minute());
            } else {
                used = std::min<qsizetype>(run, 4);
                if (used == 1)
                    out += QString::number(date.month());
                else if (used == 2)
                    out += TwoDigits(date.month());
                else if (used == 3)
                    out += QString::number(date.month());
                else
                    out += QStringLiteral("%1月").arg(date.month());
            }
            afterHour = false;
            break;
        case 'y':
            if (run >= 4) {
                used = 4;
                out += QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
            } else if (run >= 2) {
                used = 2;
                out += TwoDigits(date.year() % 100);
            } else {
                out += QString::number(date.dayOfYear());
            }
            afterHour = false;
            break;
        case 'h': {
            used = std::min<qsizetype>(run, 2);
            int hour = time.hour();
            if (twelveHour) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            out += used == 1 ? QString::number(hour) : TwoDigits(hour);
            afterHour = true;
            break;
        }
        case 'n':
            used = std::min<qsizetype>(run, 2);
            out += used == 1 ? QString::number(time.minute()) : TwoDigits(time.minute());
            afterHour = false;
            break;
        case 's':
            used = std::min<qsizetype>(run, 2);
            out += used == 1 ? QString::number(time.second()) : TwoDigits(time.second());
            afterHour = false;
            break;
        case 'w':
            used = std::min<qsizetype>(run, 2);
            out += QString::number(used == 1 ? WeekdayFromSunday(date) : WeekOfYear(date));
            afterHour = false;
            break;
        case 'q':
            used = 1;
            out += QString::number((date.month() - 1) / 3 + 1);
            afterHour = false;
            break;
        case 'c':
            used = 1;
            out += QStringLiteral("%1/%2/%3 %4:%5:%6")
                       .arg(date.year(), 4, 10, QLatin1Char('0'))
                       .arg(TwoDigits(date.month()), TwoDigits(date.day()))
                       .arg(time.hour())
                       .arg(TwoDigits(time.minute()), TwoDigits(time.second()));
            afterHour = false;
            break;
        default:
            // Separators and any other character are copied; they do not end the hour's reach.
            used = 1;
            out += c;
            break;
        }
        i += used;
    }
    return out;
}

} // namespace platform::vbrt
