#pragma once

// The line rule of tagged text, one for the reader and the writer: where a line ends, the form in
// which the reader takes a line, and the form in which the writer puts a line so that the reader
// takes it back as it was. Only the tagged-text files include this.

#include <QString>
#include <QStringList>

namespace vellumora::padfile {

// A line ends at CR LF, at CR alone or at LF alone, wherever it stands: the program writes CR
// LF, and a line added by a tool that writes LF (or by one that writes CR) must neither swallow
// the next line, often a tag line, nor leave it to be dropped by the next save. The one rule for
// the bytes of a file (CR and LF are never part of a Shift_JIS character), for its decoded text,
// and for the texts the writer splits into lines.
//
// The line that begins at `start` ends before `end`, and the result is where the next line
// begins; -1 when no line end follows, so the line runs to the end of what is there (and may not
// be whole yet).
template <typename Text>
qsizetype LineBreakFind(const Text& text, qsizetype start, qsizetype& end)
{
    const qsizetype size = text.size();
    for (end = start; end < size; ++end) {
        if (text.at(end) == '\r' || text.at(end) == '\n')
            break;
    }
    if (end == size)
        return -1;
    qsizetype next = end + 1;
    if (text.at(end) == '\r' && next < size && text.at(next) == '\n')
        ++next;
    return next;
}

// The lines of a text; a line break at its very end starts no further line.
QStringList SplitLines(const QString& text);

// Reading. A line is first tested for a comment as it stands; then its TABs become blanks
// (keepTabs: they stay) and the blanks at both ends go; a line that then begins with "&&" is a
// tag, an empty one is skipped, and any other has its head escape undone.
bool IsComment(const QString& raw);
QString Normalize(const QString& line, bool keepTabs);
QString Unescape(const QString& line);

// Writing. A line of a text as the writer puts it: its TABs as the blanks the reader would make of
// them (keepTabs: they stay), and a head that the reader would take for a comment, a tag or blanks
// to trim escaped. No written text line can start a comment or a tag.
QString ContentLineWrite(const QString& line, bool keepTabs);

// The settings text of the document header keeps its TABs: they stand for the line breaks of its
// values.
inline bool TabsKept(bool documentHeader, bool textSection)
{
    return documentHeader && textSection;
}

// The name on a tag line as the reader takes it from there: fields are cut at ":" and the name's
// blanks, and the TABs that became blanks, are removed. The writer writes it so; a line break,
// which would end the tag line, goes with them.
QString TagLineName(const QString& name);

} // namespace vellumora::padfile
