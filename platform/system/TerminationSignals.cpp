#include "platform/system/System.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>

namespace platform::system {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP};

// A signal handler may do next to nothing: it writes the signal's number into a socket whose
// other end the event loop watches, and the handler proper runs from there.
int gWakeup[2] = {-1, -1};

void OnSignal(int signal)
{
    const int saved = errno;
    const char number = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(gWakeup[0], &number, 1);
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

void Dispatch()
{
    char number = 0;
    if (::read(gWakeup[1], &number, 1) != 1)
        return;
    Termination& state = State();
    if (state.running)
        return;
    state.running = true;
    // A copy runs: the handler may install another one while it runs.
    if (const TerminationHandler handler = state.handler)
        handler(number);
    else
        EndBySignal(number);
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

void SetTerminationHandler(TerminationHandler handler)
{
    Termination& state = State();
    state.handler = std::move(handler);
    if (!state.handler) {
        Install(SIG_DFL);
        return;
    }
    if (gWakeup[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gWakeup) != 0) {
        gWakeup[0] = gWakeup[1] = -1;
        return;
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

} // namespace platform::system
