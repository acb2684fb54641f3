#include "platform/system/System.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include <sys/socket.h>
#include <unistd.h>

namespace platform::system {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP};

// A signal handler may do next to nothing: it writes the signal's number into a socket whose
// other end the event loop watches, and the handler proper runs from there. It writes it into a
// second socket too, watched by a thread of its own, which ends the process when the window
// thread is too busy to take the request up.
int gWakeup[2] = {-1, -1};
int gWatch[2] = {-1, -1};

void OnSignal(int signal)
{
    const int saved = errno;
    const char number = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(gWakeup[0], &number, 1);
    [[maybe_unused]] const ssize_t watched = ::write(gWatch[0], &number, 1);
    errno = saved;
}

struct Termination {
    TerminationHandler handler;
    QSocketNotifier* notifier = nullptr;
    bool running = false;
    ProcessEnd end;
};

Termination& State()
{
    static Termination state;
    return state;
}

// Which thread has taken a request up: the one that does the clean-up and ends the process. The
// other starts no clean-up of its own, for two removing the same files at once would each find
// the other's half done.
enum class Claim { None, WindowThread, WatchingThread };

// What the watching thread shares with the window thread.
struct Watch {
    std::mutex mutex;
    std::condition_variable changed;
    BusyEnd busyEnd;
    Claim claim = Claim::None;
    bool finished = false; // the window thread's handler returned
    int writes = 0;        // writes in progress (WriteInProgress)
    bool ending = false;   // the watching thread is ending the process
    std::uint64_t lastAbandoned = 0;
    std::map<std::uint64_t, std::string> abandoned; // files removed at the end (AbandonedOnEnd)
};

Watch& Watching()
{
    static Watch watch;
    return watch;
}

// The window thread's time to take a request up; past it the process ends from the watching
// thread, within about a second of the request as a logout expects. A window thread that takes
// requests up at all does so within a few tenths of a second; the rest of the second is for the
// clean-up, which for the thousands of work files of a long print takes some tenths too.
constexpr auto kGrace = std::chrono::milliseconds(500);
// A handler that has begun cleaning up is given this long to end the process itself.
constexpr auto kHandlerLimit = std::chrono::seconds(3);
// A write in progress is let finish for at most this long, so that it is found whole.
constexpr auto kWriteLimit = std::chrono::seconds(5);

void WatchRequests()
{
    Watch& watch = Watching();
    for (;;) {
        char number = 0;
        const ssize_t n = ::read(gWatch[1], &number, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n != 1)
            return;
        std::unique_lock lock(watch.mutex);
        const bool taken = watch.changed.wait_for(lock, kGrace, [&] { return watch.claim != Claim::None; });
        if (taken) {
            // The window thread cleans up and ends the process; one that has not done so within
            // the limit is cut off, and what its clean-up left goes at the next start.
            if (watch.changed.wait_for(lock, kHandlerLimit, [&] { return watch.finished; })) {
                watch.claim = Claim::None;
                watch.finished = false;
                continue;
            }
        } else {
            if (!watch.busyEnd)
                continue;
            watch.claim = Claim::WatchingThread;
        }
        watch.changed.wait_for(lock, kWriteLimit, [&] { return watch.writes == 0; });
        watch.ending = true;
        for (const auto& [id, path] : watch.abandoned)
            ::unlink(path.c_str());
        const BusyEnd busyEnd = taken ? BusyEnd{} : watch.busyEnd;
        lock.unlock();
        if (busyEnd)
            busyEnd(number);
        EndBySignal(number);
        // Only an ending replaced by a test returns here; the program goes on.
        lock.lock();
        watch.ending = false;
        watch.claim = Claim::None;
        watch.finished = false;
        lock.unlock();
        watch.changed.notify_all();
    }
}

void Dispatch()
{
    char number = 0;
    if (::read(gWakeup[1], &number, 1) != 1)
        return;
    Termination& state = State();
    if (state.running)
        return;
    Watch& watch = Watching();
    {
        std::unique_lock lock(watch.mutex);
        if (watch.claim == Claim::WatchingThread) {
            // The end is under way on the watching thread, clean-up and all: this thread starts
            // nothing more and waits for it, which in a program is for good.
            watch.changed.wait(lock, [&] { return watch.claim != Claim::WatchingThread; });
            return;
        }
        watch.claim = Claim::WindowThread;
    }
    state.running = true;
    watch.changed.notify_all();
    // A copy runs: the handler may install another one while it runs.
    if (const TerminationHandler handler = state.handler)
        handler(number);
    else
        EndBySignal(number);
    {
        const std::lock_guard lock(watch.mutex);
        watch.finished = true;
    }
    watch.changed.notify_all();
    state.running = false;
}

void Install(void (*action)(int))
{
    for (const int signal : kSignals) {
        struct sigaction sa = {};
        sa.sa_handler = action;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        ::sigaction(signal, &sa, nullptr);
    }
}

} // namespace

void SetTerminationHandler(TerminationHandler handler, BusyEnd busyEnd)
{
    Termination& state = State();
    state.handler = std::move(handler);
    {
        const std::lock_guard lock(Watching().mutex);
        Watching().busyEnd = state.handler ? std::move(busyEnd) : BusyEnd{};
    }
    if (!state.handler) {
        Install(SIG_DFL);
        return;
    }
    if (gWakeup[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gWakeup) != 0) {
        gWakeup[0] = gWakeup[1] = -1;
        return;
    }
    if (gWatch[0] < 0) {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gWatch) != 0) {
            gWatch[0] = gWatch[1] = -1;
        } else {
            // Left running until the process ends; it only waits for requests.
            std::thread(WatchRequests).detach();
        }
    }
    if (!state.notifier) {
        state.notifier = new QSocketNotifier(gWakeup[1], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(state.notifier, &QSocketNotifier::activated, state.notifier, [] { Dispatch(); });
        // The notifier goes with the application object; the handler must not outlive it.
        QObject::connect(state.notifier, &QObject::destroyed, [] {
            State().notifier = nullptr;
            Install(SIG_DFL);
        });
    }
    Install(OnSignal);
}

void EndBySignal(int signal)
{
    if (const ProcessEnd& end = State().end) {
        end(signal);
        return;
    }
    struct sigaction sa = {};
    sa.sa_handler = SIG_DFL;
    sigemptyset(&sa.sa_mask);
    ::sigaction(signal, &sa, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signal);
    ::sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    ::raise(signal);
    // A signal whose default action does not end the process still ends it.
    ::_exit(128 + signal);
}

void SetProcessEnd(ProcessEnd end)
{
    State().end = std::move(end);
}

WriteInProgress::WriteInProgress()
{
    Watch& watch = Watching();
    std::unique_lock lock(watch.mutex);
    // A write begun now would be cut by the end: it does not begin.
    watch.changed.wait(lock, [&] { return !watch.ending; });
    ++watch.writes;
}

WriteInProgress::~WriteInProgress()
{
    {
        const std::lock_guard lock(Watching().mutex);
        --Watching().writes;
    }
    Watching().changed.notify_all();
}

AbandonedOnEnd::AbandonedOnEnd(const QString& path)
{
    if (path.isEmpty())
        return;
    Watch& watch = Watching();
    const std::lock_guard lock(watch.mutex);
    id_ = ++watch.lastAbandoned;
    watch.abandoned.emplace(id_, QFile::encodeName(path).toStdString());
}

AbandonedOnEnd::~AbandonedOnEnd()
{
    if (id_ == 0)
        return;
    const std::lock_guard lock(Watching().mutex);
    Watching().abandoned.erase(id_);
}

} // namespace platform::system
