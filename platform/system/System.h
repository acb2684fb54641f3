#pragma once

// Process-wide services of the desktop: process id, current folder, the clock, double-click time,
// opening a file with the application the desktop associates with it, and requests from outside
// to end the program.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace platform::system {

std::int32_t ProcessId();

QString CurrentFolder();
// True when the folder is now the current one.
bool SetCurrentFolder(const QString& path);

// The local date and time now; tests set a clock of their own so stamps are fixed.
QDateTime Now();
// Test seam: the clock Now reads (empty function: the system clock again).
using Clock = std::function<QDateTime()>;
void SetClock(Clock clock);

// Milliseconds between two clicks that still make a double click.
std::int32_t DoubleClickTime();

// Result codes of OpenWithApplication, the old shell's: above 32 means the file was handed on.
namespace OpenResult {
constexpr std::int32_t Opened = 42;
constexpr std::int32_t FileNotFound = 2;
constexpr std::int32_t PathNotFound = 3;
constexpr std::int32_t AccessDenied = 5;
constexpr std::int32_t NoAssociation = 31;
} // namespace OpenResult

// Opens the file with its application; a relative file is taken against workingFolder.
// Offscreen, with no opener installed, nothing is launched and the file only counts as opened.
std::int32_t OpenWithApplication(const QString& file, const QString& workingFolder);

// Test seam: an opener that replaces the desktop's (empty function: the desktop's again); it gets
// the absolute path and answers whether it could open it. Every file handed on is listed.
using FileOpener = std::function<bool(const QString& absolutePath)>;
void SetFileOpener(FileOpener opener);
QStringList& OpenedFiles();

// Qt's own texts (file dialogs, standard buttons, edit menus) in Japanese, as the program's are,
// whatever the desktop's language; false when the translation is not installed. Needs the
// application object.
bool UseJapaneseToolkitTexts();

// Standard pictures (open, save, print, cut, ...) come from the desktop's icon theme; where the
// desktop names none (no desktop session, a bare window manager), from the Adwaita theme that the
// set-up installs. Needs the application object.
void UseDesktopIconTheme();

// Requests from outside to end the program (SIGTERM from kill or a shutdown, SIGHUP from a logout)
// reach the handler in the event loop of the window thread, where it is safe to clean up, with the
// signal's number; one request at a time, and no second one while the handler runs. An empty
// handler gives the signals their default action back. Needs the application object.
// When the window thread does not take a request up within a moment (a long command holds it),
// the process ends anyway, within about a second: busyEnd runs first on a thread of its own (it
// must touch nothing the window thread uses; it removes work files), once any write in progress
// has finished (a few seconds at most), and then the process ends as the signal would end it.
// The clean-up is one: busyEnd runs only when the window thread has not taken the request up,
// and a window thread that comes to it after busyEnd has begun waits for the end instead.
// Output that is abandoned on such an end (a PDF being made) is not waited for; its file is
// removed.
using TerminationHandler = std::function<void(int signal)>;
using BusyEnd = std::function<void(int signal)>;
void SetTerminationHandler(TerminationHandler handler, BusyEnd busyEnd = {});

// Held while a file is written to be put in place whole (a save, the commit of a PDF): an end
// forced from outside while the window thread is busy waits for it, so the file is found
// finished. Once such an end is under way no new write begins: the constructor waits for the end.
class WriteInProgress {
public:
    WriteInProgress();
    ~WriteInProgress();
    WriteInProgress(const WriteInProgress&) = delete;
    WriteInProgress& operator=(const WriteInProgress&) = delete;
};

// Held while a file is written that is worth nothing unfinished and can be made again (a PDF
// before its commit): an end forced from outside does not wait for it and removes the file at
// path before the process ends (an empty path: the file has no name and goes with the process).
class AbandonedOnEnd {
public:
    explicit AbandonedOnEnd(const QString& path);
    ~AbandonedOnEnd();
    AbandonedOnEnd(const AbandonedOnEnd&) = delete;
    AbandonedOnEnd& operator=(const AbandonedOnEnd&) = delete;

private:
    std::uint64_t id_ = 0;
};

// Ends the process as the signal itself would have, so that whoever started the program sees it
// ended by that signal. Returns only when a test replaced the ending (SetProcessEnd).
void EndBySignal(int signal);
// Test seam: what EndBySignal does instead of ending the process (empty function: end it again).
using ProcessEnd = std::function<void(int signal)>;
void SetProcessEnd(ProcessEnd end);

} // namespace platform::system
