#include "app/core/Utilities.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "app/core/RecordAccess.h"
#include "app/core/WorkFileNames.h"
#include "platform/filesystem/FileSystem.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/system/EndedCopies.h"
#include "platform/vbrt/Error.h"
#include "platform/vbrt/Value.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <array>
#include <optional>
#include <random>
#include <utility>

namespace vellumora {

namespace {

namespace fs = platform::filesystem;
namespace sys = platform::system;

struct UtilitiesState {
    // The run's own folder in the temporary folder, which only this user may enter: what the
    // work files hold (a document's text) is nobody else's to read, and nobody else can put a
    // link at a work file's name there.
    sys::MadeFolder RunFolder;
    QString TemporaryPrefix;
    // The prefix as the recorded names begin: made absolute like them.
    QString TemporaryPrefixAbsolute;
    // The prefix of the files the user's other running copies read, in the folder they share;
    // made at the first such name.
    QString SharedPrefix;
    std::vector<TemporaryFileEntry> TemporaryFiles;
    // Where each name stands in TemporaryFiles. A print of 100,000 boxes hands out a name per
    // block and page: a search of the list for each would grow with the square of the chart.
    QHash<QString, std::size_t> TemporaryIndex;
};
UtilitiesState utilities;

std::mt19937& RandomGenerator()
{
    static std::mt19937 generator;
    return generator;
}

// A number in [0, 1), as the runtime's Rnd gives it.
double Rnd()
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(RandomGenerator());
}

using Parts = std::array<QString, 6>;

// Every part becomes its text with surrounding blanks removed; an omitted part is empty.
Parts Normalise(const FilePart& p1, const FilePart& p2, const FilePart& p3, const FilePart& p4, const FilePart& p5,
                const FilePart& p6)
{
    return {platform::vbrt::Trim(p1.text()), platform::vbrt::Trim(p2.text()), platform::vbrt::Trim(p3.text()),
            platform::vbrt::Trim(p4.text()), platform::vbrt::Trim(p5.text()), platform::vbrt::Trim(p6.text())};
}

void DeleteEntry(TemporaryFileEntry& entry)
{
    CommonServices->DeleteFile(entry.fileName);
    entry.inUse = false;
    if (!utilities.SharedPrefix.isEmpty() && entry.fileName.startsWith(utilities.SharedPrefix))
        sys::SharedFileGone(entry.fileName);
}

// The part of a recorded name after this process's prefix. Matching only this part keeps a
// process id that equals a part (an undo slot, say) from selecting other files.
QString PartsOf(const QString& fileName)
{
    for (const QString* prefix :
         {&utilities.TemporaryPrefixAbsolute, &utilities.TemporaryPrefix, &utilities.SharedPrefix}) {
        if (!prefix->isEmpty() && fileName.startsWith(*prefix))
            return fileName.mid(prefix->size());
    }
    return fileName;
}

// The parts joined as a work file's name goes on after its prefix, up to ".tmp".
QString JoinedParts(const Parts& parts)
{
    QString name;
    for (const QString& part : parts) {
        if (part.isEmpty())
            break;
        name += QLatin1Char('.') + part;
    }
    if (name.isEmpty())
        name = QStringLiteral(".__") + QString::number(static_cast<std::int64_t>(Rnd() * 100000000.0)) +
               QStringLiteral("__");
    return name + WorkFileEnd;
}

// Records a name handed out: one issued before is the same entry again, in use again; a new one
// goes to the end.
QString Recorded(const QString& name)
{
    const auto at = utilities.TemporaryIndex.constFind(name);
    if (at != utilities.TemporaryIndex.cend()) {
        utilities.TemporaryFiles[*at].inUse = true;
        return name;
    }
    utilities.TemporaryIndex.insert(name, utilities.TemporaryFiles.size());
    utilities.TemporaryFiles.push_back({name, true});
    return name;
}

// The temporary folder as the messages name it: with the variable that named it, when one did.
QString TemporaryFolderNamed(const QString& folder)
{
    return qEnvironmentVariableIsEmpty("TMPDIR") ? folder : folder + QStringLiteral(" (環境変数 TMPDIR)");
}

// Says what about the temporary folder keeps the run from what it was about (consequence): the
// folder missing, something else than a folder at its name, or a folder the user may not write.
// A failure to make a folder in it (cause) that is none of these is passed on as it is.
[[noreturn]] void RaiseTemporaryFolderTrouble(const QString& source, const QString& folder, const QString& consequence,
                                              const platform::vbrt::Error* cause = nullptr)
{
    namespace E = platform::vbrt::ErrorNumber;
    const QFileInfo info(folder);
    QString trouble;
    if (!info.exists())
        trouble = QStringLiteral("が見つからない");
    else if (!info.isDir())
        trouble = QStringLiteral("がフォルダではない");
    else if (cause && cause->number() == E::PermissionDenied)
        trouble = QStringLiteral("に書き込めない");
    else if (cause)
        throw *cause;
    throw platform::vbrt::Error(cause ? cause->number() : E::Application, source,
                                QStringLiteral("一時フォルダ %1 %2ため%3")
                                    .arg(TemporaryFolderNamed(folder), trouble, consequence));
}

QString ProcessNamePrefix()
{
    return ApplicationObject().EXEName() + QLatin1Char('.') + QString::number(CommonServices->GetProcessID());
}

// The folder the user's running copies share their exchange files in.
QString SharedFolder()
{
    return fs::UserFolder(ApplicationObject().EXEName());
}

// Makes the run's folder in the temporary folder (mkdtemp: a new name, mode 0700, never through a
// link) and names the work files after it; every end removes it, and only it, by what was made.
// A folder that cannot be made leaves the names as they were, and the failure says what about
// the temporary folder stands in the way of what the run was about (consequence).
void RunFolderMake(const QString& source, const QString& consequence)
{
    const QString program = ProcessNamePrefix();
    const QString temporary = TemporaryFileFolders().constFirst();
    QString folder;
    try {
        folder = fs::CreatePrivateFolder(temporary, program + QLatin1Char('.'));
    } catch (const platform::vbrt::Error& e) {
        RaiseTemporaryFolderTrouble(source, temporary, consequence, &e);
    }
    const std::optional<sys::MadeFolder> made = sys::WorkFolderMade(folder);
    if (!made)
        platform::vbrt::RaiseNumber(platform::vbrt::ErrorNumber::PathNotFound, source, folder);
    utilities.RunFolder = *made;
    utilities.TemporaryPrefix = platform::vbrt::Trim(folder + QLatin1Char('/') + program);
    utilities.TemporaryPrefixAbsolute = CommonServices->GetAbsolutePathName(utilities.TemporaryPrefix);
}

// Whether the run folder is still the one made, a folder nobody else may enter. Once it is not
// (a temporary-folder cleaner removed it, someone changed its mode or put something else at its
// name), the names in it go out of use: none is ever deleted by name again, since whatever stands
// at such a name now is not the run's. A folder that is still the user's own goes at the end.
bool RunFolderStands()
{
    if (utilities.RunFolder.path.isEmpty() || sys::IsPrivateFolderAsMade(utilities.RunFolder))
        return true;
    const QString gone = utilities.TemporaryPrefixAbsolute + QLatin1Char('.');
    for (TemporaryFileEntry& entry : utilities.TemporaryFiles)
        if (entry.fileName.startsWith(gone))
            entry.inUse = false;
    return false;
}

// The prefix of the work files, in a run folder that stands. A temporary-folder cleaner or the user
// may remove the folder while the program runs: whoever names a work file then finds a new one made.
const QString& RunPrefix()
{
    if (!RunFolderStands())
        RunFolderMake(QStringLiteral("TemporaryFileName"), QStringLiteral("作業ファイルを作れません。"));
    return utilities.TemporaryPrefix;
}

QWidget* MessageBoxParent()
{
    return MainWindow() ? MainWindow()->window() : nullptr;
}

// Every message box: default pointer while it is open, paint hold-off timers stopped, and the
// hourglass afterwards because the wrappers run inside a command.
std::int16_t ShowMessageBox(const QString& text, std::int32_t style, const QString& title)
{
    if (MainWindow())
        MainWindow()->setBusyPointer(false);
    RefreshTimersStop();
    const std::int16_t answer = platform::msgbox::MsgBox(text, style, title.isEmpty() ? QStringLiteral("Vellumora") : title,
                                                         MessageBoxParent());
    if (MainWindow())
        MainWindow()->setBusyPointer(true);
    return answer;
}

} // namespace

void UtilitiesInitialize()
{
    utilities.TemporaryFiles.clear();
    utilities.TemporaryIndex.clear();
    utilities.SharedPrefix.clear();
    const QStringList folders = TemporaryFileFolders();
    // Without its temporary folder no run can begin; the user must learn which folder that is.
    const QString cannotStart = QStringLiteral("起動できません。");
    if (!fs::FolderExists(folders.constFirst()))
        RaiseTemporaryFolderTrouble(QStringLiteral("UtilitiesInitialize"), folders.constFirst(), cannotStart);
    // Work files of copies that were killed or crashed: nothing else would ever remove them. The
    // shared folder is looked into only when it is the user's own.
    const platform::system::WorkFileShapes shapes = WorkFileShapesOf(ApplicationObject().EXEName());
    platform::system::RemoveWorkFilesOfEndedCopies(folders.constFirst(), shapes);
    if (fs::PrivateFolderReady(folders.at(1), false))
        platform::system::RemoveExchangeFilesOfEndedCopies(folders.at(1), shapes);

    // The run folder is named like the work files (program name, process id), so that the start of
    // a later copy finds it when this one was killed.
    const QString program = ProcessNamePrefix();
    // Started again in one process, the run keeps its folder while the temporary folder is the same.
    const QString& runFolder = utilities.RunFolder.path;
    const bool kept = !runFolder.isEmpty() && fs::GetParentFolderName(runFolder) == folders.constFirst() &&
                      fs::GetFileName(runFolder).startsWith(program + QLatin1Char('.')) &&
                      sys::IsPrivateFolderAsMade(utilities.RunFolder);
    if (!kept) {
        sys::RemoveWorkOfThisCopy();
        utilities.RunFolder = {};
        RunFolderMake(QStringLiteral("UtilitiesInitialize"), cannotStart);
    }
}

void UtilitiesTerminate()
{
    // Whatever is in the run folders is this run's alone and goes with them: a long print leaves
    // thousands of work files there, and deleting them by name one by one would hold the end up.
    // The exchange files in the shared folder go by their names, the names handed out: exactly
    // what the end on a signal removes too.
    sys::RemoveWorkOfThisCopy();
    utilities.RunFolder = {};
    utilities.TemporaryFiles.clear();
    utilities.TemporaryIndex.clear();
    utilities.SharedPrefix.clear();
}

QStringList TemporaryFileFolders()
{
    QString folder = CommonServices->TemporaryFolder();
    while (folder.endsWith(QLatin1Char('/')) && folder.size() > 1)
        folder.chop(1);
    return {folder, SharedFolder()};
}

QString TemporaryFileName(const FilePart& p1, const FilePart& p2, const FilePart& p3, const FilePart& p4,
                          const FilePart& p5, const FilePart& p6)
{
    const Parts parts = Normalise(p1, p2, p3, p4, p5, p6);
    return Recorded(CommonServices->GetAbsolutePathName(RunPrefix() + JoinedParts(parts)));
}

QString TemporaryFileNameCurrent(const QString& issued)
{
    const bool issuedHere = utilities.TemporaryIndex.contains(issued) &&
                            (utilities.SharedPrefix.isEmpty() || !issued.startsWith(utilities.SharedPrefix));
    const QString program = ProcessNamePrefix();
    const QString file = fs::GetFileName(issued);
    if (!issuedHere || !file.startsWith(program + QLatin1Char('.')))
        return issued;
    return Recorded(CommonServices->GetAbsolutePathName(RunPrefix() + file.mid(program.size())));
}

QString SharedFileName(const FilePart& p1, const FilePart& p2, const FilePart& p3, const FilePart& p4,
                       const FilePart& p5, const FilePart& p6)
{
    // The folder is looked at for every name: in the temporary folder it may have been removed
    // meanwhile, and is then made again under its name.
    const QString folder =
        utilities.SharedPrefix.isEmpty() ? SharedFolder() : fs::GetParentFolderName(utilities.SharedPrefix);
    if (!fs::PrivateFolderReady(folder, true))
        throw platform::vbrt::Error(platform::vbrt::ErrorNumber::PermissionDenied, QStringLiteral("SharedFileName"),
                                    QStringLiteral("フォルダ %1 を自分だけが使えるフォルダとして用意できません。").arg(folder));
    if (utilities.SharedPrefix.isEmpty())
        utilities.SharedPrefix = folder + QLatin1Char('/') + ProcessNamePrefix();
    const QString name = Recorded(utilities.SharedPrefix + JoinedParts(Normalise(p1, p2, p3, p4, p5, p6)));
    sys::SharedFileNamed(name);
    return name;
}

bool IsTemporaryFileName(const QString& path)
{
    for (const QString& prefix : {utilities.TemporaryPrefixAbsolute, utilities.SharedPrefix})
        if (!prefix.isEmpty() && path.startsWith(prefix + QLatin1Char('.')))
            return true;
    return false;
}

void RaiseWorkFileFailure(const QString& path, const platform::vbrt::Error& failure)
{
    const QString folder = utilities.RunFolder.path;
    if (folder.isEmpty() || !path.startsWith(utilities.TemporaryPrefixAbsolute + QLatin1Char('.')) || RunFolderStands())
        throw failure;
    throw platform::vbrt::Error(failure.number(), failure.source(),
                                QStringLiteral("作業フォルダ %1 がなくなったため、作業ファイルを書き込めません。").arg(folder));
}

void TemporaryFileDelete(const FilePart& p1, const FilePart& p2, const FilePart& p3, const FilePart& p4,
                         const FilePart& p5, const FilePart& p6)
{
    const Parts parts = Normalise(p1, p2, p3, p4, p5, p6);
    // Names in a run folder that is no longer the one made are never deleted.
    RunFolderStands();

    // The names handed out are absolute; a temporary folder given relative to the current one
    // makes the prefix differ from how they begin.
    const bool ownName = parts[0].startsWith(utilities.TemporaryPrefix) ||
                         (!utilities.TemporaryPrefixAbsolute.isEmpty() &&
                          parts[0].startsWith(utilities.TemporaryPrefixAbsolute)) ||
                         (!utilities.SharedPrefix.isEmpty() && parts[0].startsWith(utilities.SharedPrefix));
    if (ownName && parts[0].endsWith(QStringLiteral("tmp")) && parts[1].isEmpty()) {
        // Names are unique in the list, so the one entry the index gives is the only candidate.
        const auto at = utilities.TemporaryIndex.constFind(parts[0]);
        if (at != utilities.TemporaryIndex.cend() && utilities.TemporaryFiles[*at].inUse)
            DeleteEntry(utilities.TemporaryFiles[*at]);
        return;
    }

    QString pattern;
    for (const QString& part : parts) {
        if (part.isEmpty())
            break;
        pattern += part == QLatin1String("*") ? QStringLiteral("\\..*")
                                               : QStringLiteral("\\.") + QRegularExpression::escape(part);
    }
    pattern += QStringLiteral("\\.tmp$");
    const QRegularExpression expression(pattern, QRegularExpression::CaseInsensitiveOption);

    for (TemporaryFileEntry& entry : utilities.TemporaryFiles) {
        if (entry.inUse && expression.match(PartsOf(entry.fileName)).hasMatch())
            DeleteEntry(entry);
    }
}

QString TemporaryFilePrefix()
{
    return utilities.TemporaryPrefix;
}

const std::vector<TemporaryFileEntry>& TemporaryFiles()
{
    return utilities.TemporaryFiles;
}

void RandomSeed()
{
    RandomGenerator().seed(static_cast<std::mt19937::result_type>(QDateTime::currentMSecsSinceEpoch()));
}

void ErrorMessageBox(const QString& text, const QString& title)
{
    ShowMessageBox(text, platform::msgbox::Style::Critical, title);
}

std::int16_t YesNoMessageBox(const QString& text, std::int16_t extraStyle, const QString& title)
{
    return ShowMessageBox(text, platform::msgbox::Style::Question + platform::msgbox::Style::YesNo + extraStyle, title);
}

std::int16_t YesNoCancelMessageBox(const QString& text, std::int16_t extraStyle, const QString& title)
{
    return ShowMessageBox(text, platform::msgbox::Style::Question + platform::msgbox::Style::YesNoCancel + extraStyle,
                          title);
}

void InformationMessageBox(const QString& text)
{
    ShowMessageBox(text, platform::msgbox::Style::Information, {});
}

std::int32_t CentimeterToTwip(float centimeters)
{
    return platform::vbrt::TwipsFromCentimeters(centimeters);
}

float TwipToCentimeter(std::int32_t twips)
{
    return platform::vbrt::CentimetersFromTwips(twips);
}

std::uint8_t BoolToByte(bool value)
{
    return value ? 1 : 0;
}

bool ByteToBool(std::uint8_t value)
{
    return value != 0;
}

std::int32_t MaxValue(std::int32_t a, std::int32_t b)
{
    return a > b ? a : b;
}

std::int32_t MinValue(std::int32_t a, std::int32_t b)
{
    return a < b ? a : b;
}

QString StringDefault(const QString& text, const QString& defaultText)
{
    return text.isEmpty() ? defaultText : text;
}

Point PointMake(std::int32_t x, std::int32_t y)
{
    Point point = Point::Default;
    point.xw = x;
    point.yh = y;
    return point;
}

Point PointAdd(const Point& a, const Point& b)
{
    return PointMake(Twips(std::int64_t(a.xw) + b.xw, "PointAdd"), Twips(std::int64_t(a.yh) + b.yh, "PointAdd"));
}

Point PointMax(const Point& a, const Point& b)
{
    return PointMake(MaxValue(a.xw, b.xw), MaxValue(a.yh, b.yh));
}

} // namespace vellumora
