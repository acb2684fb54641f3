#pragma once

// Shared by the tests of structural edits, undo and the clipboard: documents written in a short
// form, the chart of a canvas as the document writer writes it, boxes found by their text, and a
// check that every link of a canvas's box tree agrees with its neighbours.

#include "canvas_windows.h"

#include "app/canvas/StructuralEdits.h"
#include "app/canvas/CopyAndPaste.h"
#include "app/canvas/HistoryControl.h"
#include "app/diagram/FileInterface.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/Utilities.h"

#include <QRegularExpression>

#include <ostream>
#include <set>

// Texts in failure messages as text.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace edits_test {

using namespace vellumora;
using paddraw_test::DocumentBytes;

// A short form of tagged text: words separated by blanks; a word that is no tag is the text of
// the record before it ("&&block A" is "&&block", "&&text", "A").
inline QStringList Expand(const QString& shortForm)
{
    QStringList lines;
    for (const QString& word : shortForm.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        // The chart kind follows its section tag as it is.
        if (!word.startsWith(QLatin1String("&&")) && lines.value(lines.size() - 1) != QLatin1String("&&obstinate"))
            lines << QStringLiteral("&&text");
        lines << word;
    }
    return lines;
}

// The same short form of what a writer wrote: texts only, without the chart-kind, colour, font
// and name sections and without the loop's default "&&after".
inline QString Shorten(const QByteArray& bytes)
{
    const QStringList lines = platform::codepage::FromShiftJis(bytes, QStringLiteral("test"))
                                  .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    static const QSet<QString> sections = {QStringLiteral("&&obstinate"), QStringLiteral("&&color"),
                                           QStringLiteral("&&font"), QStringLiteral("&&name")};
    QStringList words;
    bool skipping = false;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("&&")))
            skipping = false;
        if (skipping || line == QLatin1String("&&text") || line == QLatin1String("&&after"))
            continue;
        if (sections.contains(line)) {
            skipping = true;
            continue;
        }
        words << line;
    }
    return words.join(QLatin1Char(' '));
}

inline QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The canvas as the document writer writes it, in the short form.
inline QString ChartText(std::int16_t canvas)
{
    const QString path = TemporaryFileName(QStringLiteral("charttext"));
    PadFileCreate(path);
    BoxListWrite(canvas, -1, true, false, true, false);
    PadFileFinish();
    return Shorten(ReadAll(path));
}

// The box in use whose text is the given one; -1 when none or several have it.
inline std::int16_t BoxOf(std::int16_t canvas, const QString& text)
{
    const CanvasRecord& c = B[static_cast<std::size_t>(canvas)];
    std::int16_t found = -1;
    for (std::size_t n = 1; n < c.BoxList.size(); ++n) {
        if (c.BoxList[n].garbage != -1 || c.BoxList[n].text.text != text)
            continue;
        if (found > 0)
            return -1;
        found = static_cast<std::int16_t>(n);
    }
    return found;
}

// The k-th sub line (from 1) of a box.
inline std::int16_t SubOf(std::int16_t canvas, std::int16_t box, int k)
{
    CanvasRecord& c = B[static_cast<std::size_t>(canvas)];
    std::int16_t sub = c.BoxList[static_cast<std::size_t>(box)].subIndex;
    for (int i = 1; i < k && sub > 0; ++i)
        sub = c.SubList[static_cast<std::size_t>(sub)].after;
    return sub;
}

namespace detail {
inline QString ChainCheck(CanvasRecord& c, std::int16_t first, std::int16_t owner, std::set<std::int16_t>& seen)
{
    std::int16_t previous = -1;
    for (std::int16_t n = first; n >= 1; n = c.BoxList[static_cast<std::size_t>(n)].after) {
        if (static_cast<std::size_t>(n) >= c.BoxList.size() || c.BoxList[static_cast<std::size_t>(n)].garbage != -1)
            return QStringLiteral("box %1 is not in use").arg(n);
        if (!seen.insert(n).second)
            return QStringLiteral("box %1 is reached twice").arg(n);
        const BoxRecord& b = c.BoxList[static_cast<std::size_t>(n)];
        if (b.before != previous)
            return QStringLiteral("box %1 has before %2, not %3").arg(n).arg(b.before).arg(previous);
        if ((owner < 1 && b.upper >= 1) || (owner >= 1 && b.upper != owner))
            return QStringLiteral("box %1 has upper %2, not %3").arg(n).arg(b.upper).arg(owner);
        for (std::int16_t s = b.subIndex; s >= 1; s = c.SubList[static_cast<std::size_t>(s)].after) {
            if (c.SubList[static_cast<std::size_t>(s)].upper != n)
                return QStringLiteral("sub line %1 is not owned by box %2").arg(s).arg(n);
            const QString fault = ChainCheck(c, c.SubList[static_cast<std::size_t>(s)].boxIndex, s, seen);
            if (!fault.isEmpty())
                return fault;
        }
        previous = n;
    }
    return {};
}
} // namespace detail

// "" when every chain's before, after and upper links agree and every box in use is reached
// exactly once from the canvas's first box; else the first disagreement.
inline QString LinkFault(std::int16_t canvas)
{
    CanvasRecord& c = B[static_cast<std::size_t>(canvas)];
    std::set<std::int16_t> seen;
    const QString fault = detail::ChainCheck(c, c.header.firstBox, -1, seen);
    if (!fault.isEmpty())
        return fault;
    for (std::size_t n = 1; n < c.BoxList.size(); ++n)
        if (c.BoxList[n].garbage == -1 && !seen.count(static_cast<std::int16_t>(n)))
            return QStringLiteral("box %1 (%2) is in use but unreachable").arg(n).arg(c.BoxList[n].text.text);
    return {};
}

// Starts every test with no document, no history, no copy and no message box.
class EditsTest : public paddraw_test::PadDrawTest {
protected:
    void SetUp() override
    {
        PadDrawTest::SetUp();
        HistoryClear();
        ClipboardReset();
    }
    void TearDown() override
    {
        HistoryClear();
        ClipboardReset();
        PadDrawTest::TearDown();
    }

    // Opens a document of one canvas per short form (each a whole routine, or a chain that the
    // writer frames) and lays every canvas out.
    void openCharts(const QStringList& charts)
    {
        QStringList body;
        for (const QString& chart : charts)
            body << Expand(chart);
        open(document(QStringLiteral("charts.txt"), paddraw_test::DocumentLines(body)));
        PadDrawRefresh(-1);
    }

    static QStringList Prompts()
    {
        QStringList prompts;
        for (const auto& shown : platform::msgbox::ShownBoxes())
            prompts << shown.prompt;
        return prompts;
    }
};

} // namespace edits_test
