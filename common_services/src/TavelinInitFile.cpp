#include "TavelinInitFile.h"

#include "TavelinDebugTrace.h"

#include "platform/profile/Profile.h"
#include "platform/vbrt/Value.h"

#include <QDir>
#include <QHash>

#include <exception>

namespace tavelin {

namespace {

namespace profile = platform::profile;

// Carries an absent value between the levels of an include search; a value that is this
// text in the file counts as absent too.
const QString kNull = QStringLiteral("<null>");
const QString kIncludeSection = QStringLiteral("Include");
const QString kIncludeKey = QStringLiteral("IncludeFile");

// Include lists are followed this deep; [Include] entries themselves are read at kIncludeDepth.
constexpr int kMaxDepth = 10;
constexpr int kIncludeDepth = 99;
constexpr int kMaxIncludes = 99;

QString TrimBlanks(const QString& text) { return platform::vbrt::Trim(text); }

// One client read. Within it every file is read once and every (read, file, depth) answered
// once: the answers cannot change during the read, and without this a file that lists itself
// several times would be searched a number of times exponential in the depth.
struct ReadContext {
    TavelinComObject& self;
    QHash<QString, profile::ProfileFile> files;
    QHash<QString, QString> answers;

    TavelinComState& state() { return self.State(); }

    const profile::ProfileFile& File(const QString& path, bool isInclude)
    {
        auto it = files.find(path);
        if (it == files.end()) {
            it = files.insert(path, profile::ProfileFile::Load(path));
            if (isInclude)
                IncludeProblemLog(path, it->State());
        }
        return it.value();
    }

    // An include file that is skipped is named in the debug log, once for each way it failed.
    void IncludeProblemLog(const QString& path, profile::FileState fileState)
    {
        QString why;
        switch (fileState) {
        case profile::FileState::Read: return;
        case profile::FileState::Missing: why = QStringLiteral("がありません。"); break;
        case profile::FileState::NotAFile: why = QStringLiteral("は通常のファイルではないため読みません。"); break;
        case profile::FileState::TooLarge: why = QStringLiteral("は大きすぎるため読みません。"); break;
        case profile::FileState::Unreadable: why = QStringLiteral("を読めません。"); break;
        case profile::FileState::NotText: why = QStringLiteral("はテキストではないため読みません。"); break;
        }
        const QString line = QStringLiteral("インクルードファイル ") + path + why;
        if (state().IncludeProblemsLogged.contains(line))
            return;
        try {
            if (DebugLineWrite(self, line, 1))
                state().IncludeProblemsLogged.insert(line);
        } catch (const std::exception&) {
            // A log that cannot be written changes nothing of what is read.
        }
    }
};

// The empty name is the default ini file. Include names written for the old platform use "\"
// between folder and name; a name without a folder is looked for in the program's folder.
QString IniFilePath(const TavelinComState& state, const QString& file)
{
    if (file.isEmpty())
        return DefaultIniFile(state);
    QString path = file;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QDir::isRelativePath(path))
        path = QDir(AppObjectText(state, "Path")).filePath(path);
    return QDir::cleanPath(path);
}

QString AnswerKey(const QString& kind, const QString& section, const QString& key, const QString& path, int depth)
{
    return kind + QChar(0) + section + QChar(0) + key + QChar(0) + path + QChar(0) + QString::number(depth);
}

QString ValueRead(ReadContext& context, const QString& section, const QString& key, const QString& file, int depth);

// The name of include file i of the file, keywords substituted; empty ends the list.
QString IncludeName(ReadContext& context, const QString& path, int i)
{
    return ValueRead(context, kIncludeSection, kIncludeKey + QString::number(i), path, kIncludeDepth);
}

QString ValueRead(ReadContext& context, const QString& section, const QString& key, const QString& file, int depth)
{
    const QString path = IniFilePath(context.state(), file);
    const QString answerKey = AnswerKey(QStringLiteral("v"), section, key, path, depth);
    if (const auto it = context.answers.constFind(answerKey); it != context.answers.constEnd())
        return it.value();

    QString text = TrimBlanks(context.File(path, depth >= 1 && depth <= kMaxDepth).String(section, key, kNull));
    if (text == kNull && depth < kMaxDepth) {
        for (int i = 1; i <= kMaxIncludes && text == kNull; ++i) {
            const QString name = IncludeName(context, path, i);
            if (name.isEmpty())
                break;
            text = ValueRead(context, section, key, name, depth + 1);
        }
    }
    // Between the levels the sentinel goes back up, so the level above tries its next include file.
    if (text == kNull && (depth == 0 || depth == kIncludeDepth))
        text.clear();
    const QString result = KeyWordApply(context.state(), text);
    context.answers.insert(answerKey, result);
    return result;
}

// Below the client's level the lines stay separated by NUL.
QString SectionRead(ReadContext& context, const QString& section, const QString& file, int depth)
{
    const QString path = IniFilePath(context.state(), file);
    const QString answerKey = AnswerKey(QStringLiteral("s"), section, QString(), path, depth);
    if (const auto it = context.answers.constFind(answerKey); it != context.answers.constEnd())
        return it.value();

    QString text;
    const QStringList lines = context.File(path, depth >= 1 && depth <= kMaxDepth).Section(section);
    if (lines.isEmpty()) {
        if (depth < kMaxDepth) {
            for (int i = 1; i <= kMaxIncludes && text.isEmpty(); ++i) {
                const QString name = IncludeName(context, path, i);
                if (name.isEmpty())
                    break;
                text = SectionRead(context, section, name, depth + 1);
            }
        }
    } else {
        text = lines.join(QChar(0));
    }

    QString result = text;
    if (depth == 0) {
        QStringList kept;
        for (const QString& line : text.split(QChar(0))) {
            const QString trimmed = TrimBlanks(line);
            if (!trimmed.startsWith(QLatin1Char(';')))
                kept.append(trimmed);
        }
        result = kept.join(QStringLiteral("\r\n"));
    }
    result = KeyWordApply(context.state(), result);
    context.answers.insert(answerKey, result);
    return result;
}

} // namespace

QString DefaultIniFile(const TavelinComState& state)
{
    const QString folder = AppObjectText(state, "Path");
    const QString name = AppObjectText(state, "EXEName");
    return QDir(folder).filePath(name + QStringLiteral(".ini"));
}

QString IniValueRead(TavelinComObject& self, const QString& section, const QString& key, const QString& file, int depth)
{
    ReadContext context{self, {}, {}};
    return ValueRead(context, section, key, file, depth);
}

QString IniSectionRead(TavelinComObject& self, const QString& section, const QString& file, int depth)
{
    ReadContext context{self, {}, {}};
    return SectionRead(context, section, file, depth);
}

void KeyWordKeep(TavelinComState& state, const QString& name, const QString& value)
{
    const QString keyword = QLatin1Char('%') + name + QLatin1Char('%');
    for (qsizetype i = 0; i < state.KeyWordNames.size(); ++i) {
        if (state.KeyWordNames.at(i).compare(keyword, Qt::CaseInsensitive) == 0) {
            state.KeyWordValues[i] = value;
            return;
        }
    }
    state.KeyWordNames.append(keyword);
    state.KeyWordValues.append(value);
}

// Keywords are applied in order of registration: a value put in is not searched again for its
// own keyword, but the keywords registered after it do search it.
QString KeyWordApply(const TavelinComState& state, const QString& text)
{
    QString result = text;
    for (qsizetype k = 0; k < state.KeyWordNames.size(); ++k) {
        const QString& keyword = state.KeyWordNames.at(k);
        const QString& value = state.KeyWordValues.at(k);
        QString out;
        qsizetype from = 0;
        for (qsizetype at; (at = result.indexOf(keyword, from, Qt::CaseInsensitive)) >= 0; from = at + keyword.size()) {
            out += QStringView(result).mid(from, at - from);
            out += value;
        }
        out += QStringView(result).mid(from);
        result = out;
    }
    return result;
}

QString TavelinComObject::GetInitFileSection(const QString& sectionName)
{
    return IniSectionRead(*this, sectionName, QString(), 0);
}

QString TavelinComObject::GetInitFile(const QString& sectionName, const QString& keyName)
{
    return IniValueRead(*this, sectionName, keyName, QString(), 0);
}

void TavelinComObject::AlternateKeyWordKeep(const QString& keyWordName, const QString& keyWordValue)
{
    KeyWordKeep(state_, keyWordName, keyWordValue);
}

QString TavelinComObject::AlternateKeyWordApply(const QString& sufferString)
{
    return KeyWordApply(state_, sufferString);
}

} // namespace tavelin
