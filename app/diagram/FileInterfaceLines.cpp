// Lines of tagged text: where a line ends, the form in which the reader takes a line and the one in
// which the writer puts it, side by side; and the forms the program's texts take from that rule.

#include "app/diagram/FileInterface.h"

#include "app/diagram/FileInterfaceFiles.h"
#include "app/diagram/FileInterfaceLines.h"
#include "platform/vbrt/Value.h"

#include <utility>

namespace vellumora {

namespace padfile {

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = 0;
        const qsizetype next = LineBreakFind(text, start, end);
        lines << text.mid(start, end - start);
        if (next < 0)
            break;
        start = next;
    }
    return lines;
}

// ---------------------------------------------------------------------------------------------
// Reading

bool IsComment(const QString& raw)
{
    return raw.startsWith(QLatin1Char('#'));
}

QString Normalize(const QString& line, bool keepTabs)
{
    return platform::vbrt::Trim(keepTabs ? line : QString(line).replace(QLatin1Char('\t'), QLatin1Char(' ')));
}

// The head escapes: only one, only at the head, in this order.
QString Unescape(const QString& line)
{
    static const std::pair<QString, QString> escapes[] = {
        {QStringLiteral("&amp;"), QStringLiteral("&")},
        {QStringLiteral("&nbsp;"), QStringLiteral(" ")},
        {QStringLiteral("&shap;"), QStringLiteral("#")},
    };
    for (const auto& [escaped, plain] : escapes) {
        if (line.startsWith(escaped))
            return plain + line.mid(escaped.size());
    }
    return line;
}

// ---------------------------------------------------------------------------------------------
// Writing

QString ContentLineWrite(const QString& line, bool keepTabs)
{
    const QString written = keepTabs ? line : QString(line).replace(QLatin1Char('\t'), QLatin1Char(' '));
    if (written.isEmpty())
        return written;
    switch (written[0].unicode()) {
    case '&': return QStringLiteral("&amp;") + written.mid(1);
    // Where TABs are kept, one at the head would hide a tag behind it from the escape, or, alone on
    // its line, leave a line the reader skips: the format has no escape of its own for it, so it
    // goes as the blank it is everywhere else.
    case ' ':
    case '\t': return QStringLiteral("&nbsp;") + written.mid(1);
    case '#': return QStringLiteral("&shap;") + written.mid(1);
    default: return written;
    }
}

QString TagLineName(const QString& name)
{
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    QString kept = colon < 0 ? name : name.left(colon);
    for (const char dropped : {' ', '\t', '\r', '\n'})
        kept.remove(QLatin1Char(dropped));
    return kept;
}

} // namespace padfile

// ---------------------------------------------------------------------------------------------
// The program's texts

QString LineBreaksReplace(const QString& text, const QString& separator)
{
    QString replaced = padfile::SplitLines(text).join(separator);
    // The lines leave out a break at the very end.
    if (text.endsWith(QLatin1Char('\r')) || text.endsWith(QLatin1Char('\n')))
        replaced += separator;
    return replaced;
}

QString OneLineText(const QString& text)
{
    return LineBreaksReplace(text, QStringLiteral(" ")).replace(QLatin1Char('\t'), QLatin1Char(' '));
}

QString PadTextForm(const QString& text)
{
    QStringList kept;
    for (const QString& line : padfile::SplitLines(text)) {
        const QString read =
            padfile::Unescape(padfile::Normalize(padfile::ContentLineWrite(line, false), false));
        if (!read.isEmpty())
            kept << read;
    }
    return kept.join(padfile::kCrLf);
}

} // namespace vellumora
