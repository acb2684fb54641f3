#include "platform/profile/Profile.h"

#include "platform/codepage/CodePage.h"

#include <QFile>
#include <QStringDecoder>

namespace platform::profile {

namespace {

struct Entry {
    QString key;    // the text before "=", trimmed; a line without "=" is all key
    QString value;  // the text after "=", trimmed
    bool hasValue = false;
};

struct SectionLines {
    QString name;
    QList<Entry> entries;
};

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

QString TrimBlanksAndTabs(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && IsBlank(text.at(start)))
        ++start;
    while (end > start && IsBlank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

// UTF-8 when the bytes are valid UTF-8 (a byte-order mark is dropped), else Shift_JIS. A file
// with NUL bytes, or valid as neither, is no profile file.
bool DecodeFile(const QByteArray& bytes, QString& text)
{
    if (bytes.contains('\0'))
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return true;
    }
    if (!codepage::IsValidShiftJis(bytes))
        return false;
    text = codepage::FromShiftJis(bytes);
    return true;
}

// The longest start of the text that takes at most limit Shift_JIS bytes, whole characters only.
QString CutToBytes(const QString& text, int limit)
{
    int used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype step = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const int width = codepage::ByteWidth(text.mid(i, step));
        if (used + width > limit)
            break;
        used += width;
        i += step;
    }
    return text.left(i);
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

} // namespace

struct ProfileFile::Data {
    bool readable = false;
    QList<SectionLines> sections;

    const SectionLines* Find(const QString& name) const
    {
        const QString wanted = TrimBlanksAndTabs(name);
        for (const SectionLines& s : sections)
            if (SameName(s.name, wanted))
                return &s;
        return nullptr;
    }
};

ProfileFile ProfileFile::Load(const QString& filePath)
{
    auto data = std::make_shared<Data>();
    ProfileFile result;
    result.data_ = data;
    QFile file(filePath);
    if (filePath.isEmpty() || !file.open(QIODevice::ReadOnly))
        return result;
    QString text;
    if (!DecodeFile(file.readAll(), text))
        return result;
    data->readable = true;

    SectionLines* current = nullptr;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = TrimBlanksAndTabs(raw);
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.lastIndexOf(QLatin1Char(']'));
            if (close > 0) {
                data->sections.append(SectionLines{TrimBlanksAndTabs(line.mid(1, close - 1)), {}});
                current = &data->sections.back();
                continue;
            }
        }
        if (!current)
            continue; // entries before the first section belong to none
        Entry entry;
        const qsizetype eq = line.startsWith(QLatin1Char(';')) ? -1 : line.indexOf(QLatin1Char('='));
        if (eq < 0) {
            entry.key = line;
        } else {
            entry.key = TrimBlanksAndTabs(line.left(eq));
            entry.value = TrimBlanksAndTabs(line.mid(eq + 1));
            entry.hasValue = true;
        }
        current->entries.append(entry);
    }
    return result;
}

ProfileFile::ProfileFile() : data_(std::make_shared<Data>()) {}
ProfileFile::~ProfileFile() = default;
ProfileFile::ProfileFile(const ProfileFile&) = default;
ProfileFile& ProfileFile::operator=(const ProfileFile&) = default;

bool ProfileFile::IsReadable() const { return data_->readable; }

QString ProfileFile::String(const QString& section, const QString& key, const QString& defaultText) const
{
    const SectionLines* s = data_->Find(section);
    if (!s)
        return defaultText;
    const QString wanted = TrimBlanksAndTabs(key);
    for (const Entry& e : s->entries) {
        if (!SameName(e.key, wanted))
            continue;
        QString value = e.value;
        // One pair of matching quotes around the whole value is not part of it.
        if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\''))
            && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return CutToBytes(value, ValueByteLimit);
    }
    return defaultText;
}

QStringList ProfileFile::Section(const QString& section) const
{
    QStringList lines;
    const SectionLines* s = data_->Find(section);
    if (!s)
        return lines;
    int room = SectionByteLimit;
    for (const Entry& e : s->entries) {
        const QString line = e.hasValue ? e.key + QLatin1Char('=') + e.value : e.key;
        const int width = codepage::ByteWidth(line);
        if (width + 1 <= room) {
            lines.append(line);
            room -= width + 1;
            continue;
        }
        // The line that does not fit is cut, and nothing follows it.
        const QString cut = CutToBytes(line, room - 1);
        if (!cut.isEmpty())
            lines.append(cut);
        break;
    }
    return lines;
}

QString GetProfileString(const QString& section, const QString& key, const QString& defaultText, const QString& filePath)
{
    return ProfileFile::Load(filePath).String(section, key, defaultText);
}

QStringList GetProfileSection(const QString& section, const QString& filePath)
{
    return ProfileFile::Load(filePath).Section(section);
}

} // namespace platform::profile
