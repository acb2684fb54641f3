#include "platform/system/System.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QStyleHints>
#include <QTranslator>
#include <QUrl>

#include <unistd.h>

namespace platform::system {

namespace {

FileOpener& InstalledOpener()
{
    static FileOpener opener;
    return opener;
}

Clock& InstalledClock()
{
    static Clock clock;
    return clock;
}

} // namespace

QDateTime Now()
{
    if (const Clock& clock = InstalledClock())
        return clock();
    return QDateTime::currentDateTime();
}

void SetClock(Clock clock) { InstalledClock() = std::move(clock); }

bool UseJapaneseToolkitTexts()
{
    static QTranslator* translator = nullptr;
    if (translator)
        return true;
    auto* loaded = new QTranslator(QCoreApplication::instance());
    if (!loaded->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete loaded;
        return false;
    }
    QCoreApplication::installTranslator(loaded);
    translator = loaded;
    return true;
}

void UseDesktopIconTheme()
{
    const QString installed = QStringLiteral("Adwaita");
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& folder :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"), QStandardPaths::LocateDirectory))
        if (!paths.contains(folder))
            paths << folder;
    QIcon::setThemeSearchPaths(paths);
    // "hicolor" is what a session without a desktop names: the base every theme falls back to,
    // which holds no standard pictures of its own.
    const auto unnamed = [](const QString& theme) { return theme.isEmpty() || theme == QLatin1String("hicolor"); };
    if (unnamed(QIcon::themeName()))
        QIcon::setThemeName(installed);
    if (unnamed(QIcon::fallbackThemeName()))
        QIcon::setFallbackThemeName(installed);
}

std::int32_t ProcessId() { return static_cast<std::int32_t>(::getpid()); }

QString CurrentFolder() { return QDir::currentPath(); }

bool SetCurrentFolder(const QString& path) { return !path.isEmpty() && QDir::setCurrent(path); }

std::int32_t DoubleClickTime()
{
    if (qGuiApp)
        return QGuiApplication::styleHints()->mouseDoubleClickInterval();
    return 400; // without a desktop session: the usual desktop default
}

std::int32_t OpenWithApplication(const QString& file, const QString& workingFolder)
{
    if (file.isEmpty())
        return OpenResult::FileNotFound;
    const QString absolute =
        QDir::cleanPath(QFileInfo(file).isAbsolute() ? file : QDir(workingFolder).absoluteFilePath(file));
    const QFileInfo info(absolute);
    if (!info.exists())
        return QFileInfo(info.absolutePath()).isDir() ? OpenResult::FileNotFound : OpenResult::PathNotFound;
    if (!info.isReadable())
        return OpenResult::AccessDenied;

    OpenedFiles().append(absolute);
    if (const FileOpener& opener = InstalledOpener())
        return opener(absolute) ? OpenResult::Opened : OpenResult::NoAssociation;
    // Offscreen there is no desktop to hand the file to, and tests must not launch anything.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return OpenResult::Opened;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(absolute)) ? OpenResult::Opened : OpenResult::NoAssociation;
}

void SetFileOpener(FileOpener opener) { InstalledOpener() = std::move(opener); }

QStringList& OpenedFiles()
{
    static QStringList opened;
    return opened;
}

} // namespace platform::system
