#include "platform/regexp/RegExp.h"

#include "platform/vbrt/Error.h"

#include <QRegularExpression>

namespace platform::regexp {

namespace {

bool IsHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// True when count hexadecimal digits follow position at.
bool HexFollows(const QString& text, qsizetype at, int count)
{
    if (at + count > text.size())
        return false;
    for (int k = 0; k < count; ++k)
        if (!IsHex(text.at(at + k)))
            return false;
    return true;
}

// One escape (the backslash at i) in the engine's syntax; i moves past it. Inside a class "\b"
// is the backspace character.
QString TranslateEscape(const QString& pattern, qsizetype& i, bool inClass)
{
    if (i + 1 >= pattern.size()) {
        ++i;
        return QStringLiteral("\\"); // a trailing backslash: the engine refuses it
    }
    const QChar c = pattern.at(i + 1);
    i += 2;
    if (c == u'u' || c == u'x') {
        const int digits = c == u'u' ? 4 : 2;
        if (!HexFollows(pattern, i, digits))
            return QString(c); // without its digits the escape is the letter itself
        const QString code = pattern.mid(i, digits);
        i += digits;
        return QStringLiteral("\\x{%1}").arg(code);
    }
    if (c == u'v')
        return QStringLiteral("\\x{0B}");
    if (c == u'b' && inClass)
        return QStringLiteral("\\x{08}");
    if (c == u'c') {
        if (i < pattern.size() && IsAsciiLetter(pattern.at(i))) {
            const QChar letter = pattern.at(i++);
            return QStringLiteral("\\c") + letter;
        }
        return QStringLiteral("\\\\c");
    }
    if (IsAsciiDigit(c) || QStringLiteral("dDwWsSfnrt").contains(c) || (!inClass && (c == u'b' || c == u'B')))
        return QStringLiteral("\\") + c;
    if (IsAsciiLetter(c))
        return QString(c); // the engine gives many letters a meaning of their own; here they are plain
    return QStringLiteral("\\") + c;
}

} // namespace

QString TranslatePattern(const QString& pattern)
{
    QString out;
    out.reserve(pattern.size() + 8);
    qsizetype i = 0;
    while (i < pattern.size()) {
        const QChar c = pattern.at(i);
        if (c == u'\\') {
            out += TranslateEscape(pattern, i, false);
        } else if (c == u'$') {
            out += QStringLiteral("\\z");
            ++i;
        } else if (c == u'[') {
            ++i;
            if (pattern.mid(i, 1) == QStringLiteral("]")) {
                out += QStringLiteral("(?!)");
                ++i;
                continue;
            }
            if (pattern.mid(i, 2) == QStringLiteral("^]")) {
                out += QStringLiteral("[\\s\\S]");
                i += 2;
                continue;
            }
            out += u'[';
            if (i < pattern.size() && pattern.at(i) == u'^')
                out += pattern.at(i++);
            while (i < pattern.size() && pattern.at(i) != u']') {
                const QChar k = pattern.at(i);
                if (k == u'\\') {
                    out += TranslateEscape(pattern, i, true);
                } else if (k == u'[') {
                    out += QStringLiteral("\\["); // never the start of a named class
                    ++i;
                } else {
                    out += k;
                    ++i;
                }
            }
            if (i < pattern.size()) {
                out += u']';
                ++i;
            }
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

struct RegExp::Compiled {
    QRegularExpression expression;
};

RegExp::RegExp() = default;
RegExp::~RegExp() = default;

void RegExp::SetPattern(const QString& pattern)
{
    pattern_ = pattern;
    compiled_.reset();
}

void RegExp::SetIgnoreCase(bool on)
{
    ignoreCase_ = on;
    compiled_.reset();
}

void RegExp::SetGlobal(bool on)
{
    global_ = on;
}

const RegExp::Compiled& RegExp::compiled() const
{
    if (!compiled_) {
        auto made = std::make_unique<Compiled>();
        // Lines end at LF alone, whatever the engine was built with, so "." matches a CR.
        // Without Unicode properties \w, \d, \s and \b know ASCII characters only.
        QRegularExpression::PatternOptions options = QRegularExpression::NoPatternOption;
        if (ignoreCase_)
            options |= QRegularExpression::CaseInsensitiveOption;
        made->expression.setPattern(QStringLiteral("(*LF)") + TranslatePattern(pattern_));
        made->expression.setPatternOptions(options);
        if (!made->expression.isValid())
            throw vbrt::Error(SyntaxError, QStringLiteral("RegExp"),
                              QStringLiteral("正規表現の構文エラーです。 (%1)").arg(made->expression.errorString()));
        compiled_ = std::move(made);
    }
    return *compiled_;
}

bool RegExp::Test(const QString& source) const
{
    return compiled().expression.match(source).hasMatch();
}

std::vector<Match> RegExp::Execute(const QString& source) const
{
    const QRegularExpression& expression = compiled().expression;
    const int groups = expression.captureCount();
    std::vector<Match> matches;
    qsizetype offset = 0;
    while (offset <= source.size()) {
        const QRegularExpressionMatch found = expression.match(source, offset);
        if (!found.hasMatch())
            break;
        Match match;
        match.FirstIndex = static_cast<std::int32_t>(found.capturedStart(0));
        match.Length = static_cast<std::int32_t>(found.capturedLength(0));
        match.Value = found.captured(0);
        match.SubMatches.reserve(groups);
        for (int g = 1; g <= groups; ++g)
            match.SubMatches.append(found.captured(g));
        matches.push_back(std::move(match));
        if (!global_)
            break;
        offset = found.capturedEnd(0);
        if (found.capturedLength(0) == 0) {
            // One character on; a surrogate pair is one character to the engine.
            const bool pair = offset + 1 < source.size() && source.at(offset).isHighSurrogate() &&
                              source.at(offset + 1).isLowSurrogate();
            offset += pair ? 2 : 1;
        }
    }
    return matches;
}

QString RegExp::Replace(const QString& source, const QString& replacement) const
{
    const std::vector<Match> matches = Execute(source);
    QString out;
    qsizetype done = 0;
    for (const Match& match : matches) {
        out += QStringView(source).mid(done, match.FirstIndex - done);
        out += ExpandReplacement(replacement, match, source);
        done = match.FirstIndex + match.Length;
    }
    out += QStringView(source).mid(done);
    return out;
}

QString ExpandReplacement(const QString& replacement, const Match& match, const QString& source)
{
    QString out;
    const qsizetype size = replacement.size();
    const int groups = static_cast<int>(match.SubMatches.size());
    qsizetype i = 0;
    while (i < size) {
        const QChar c = replacement.at(i);
        if (c != u'$' || i + 1 >= size) {
            out += c;
            ++i;
            continue;
        }
        const QChar next = replacement.at(i + 1);
        if (next == u'$') {
            out += u'$';
            i += 2;
        } else if (next == u'&') {
            out += match.Value;
            i += 2;
        } else if (next == u'`') {
            out += QStringView(source).left(match.FirstIndex);
            i += 2;
        } else if (next == u'\'') {
            out += QStringView(source).mid(match.FirstIndex + match.Length);
            i += 2;
        } else if (IsAsciiDigit(next)) {
            const int one = next.unicode() - u'0';
            if (i + 2 < size && IsAsciiDigit(replacement.at(i + 2))) {
                const int two = one * 10 + (replacement.at(i + 2).unicode() - u'0');
                if (two >= 1 && two <= groups) {
                    out += match.SubMatches.at(two - 1);
                    i += 3;
                    continue;
                }
            }
            if (one >= 1 && one <= groups) {
                out += match.SubMatches.at(one - 1);
                i += 2;
            } else {
                out += u'$';
                ++i;
            }
        } else {
            out += u'$';
            ++i;
        }
    }
    return out;
}

} // namespace platform::regexp
