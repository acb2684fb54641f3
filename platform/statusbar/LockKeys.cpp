#include "platform/statusbar/LockKeys.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QtGui/qguiapplication_platform.h>

#include <vector>

// Last: the X11 headers define macros (None, True, Bool, ...) that Qt's headers use as names.
#include <X11/XKBlib.h>

namespace platform::statusbar {

namespace {

struct Watch {
    QPointer<QObject> context;
    std::function<void()> changed;
};

std::vector<Watch>& Watches()
{
    static std::vector<Watch> watches;
    return watches;
}

std::optional<LockKeyStates>& Fed()
{
    static std::optional<LockKeyStates> fed;
    return fed;
}

void TellWatches()
{
    std::vector<Watch>& watches = Watches();
    std::erase_if(watches, [](const Watch& w) { return !w.context; });
    // A watch may add another while it is told.
    const std::vector<Watch> told = watches;
    for (const Watch& w : told)
        if (w.context)
            w.changed();
}

// The X server's keyboard indicators, on a connection of their own whose events are read beside
// Qt's: a lock key pressed in any window of the desktop changes them.
class XkbIndicators : public QObject {
public:
    // Null where the program does not run on X11 or the server has no keyboard extension.
    static XkbIndicators* Instance()
    {
        static QPointer<XkbIndicators> instance;
        static QPointer<QCoreApplication> triedFor;
        if (instance || !qGuiApp || triedFor == QCoreApplication::instance())
            return instance;
        triedFor = QCoreApplication::instance();
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            return nullptr;
        // The display Qt took, whether from DISPLAY or from its -display argument.
        QByteArray name;
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>(); x11 && x11->display())
            name = DisplayString(x11->display());
        int eventBase = 0;
        int errorBase = 0;
        int major = XkbMajorVersion;
        int minor = XkbMinorVersion;
        int reason = 0;
        Display* display = XkbOpenDisplay(name.isEmpty() ? nullptr : name.data(), &eventBase, &errorBase, &major,
                                          &minor, &reason);
        if (!display)
            return nullptr;
        instance = new XkbIndicators(display, eventBase);
        return instance;
    }

    ~XkbIndicators() override
    {
        delete notifier_;
        XCloseDisplay(display_);
    }

    const LockKeyStates& States() const { return states_; }

private:
    XkbIndicators(Display* display, int eventBase)
        : QObject(QCoreApplication::instance()), display_(display), eventBase_(eventBase)
    {
        // A keyboard without an indicator of that name (no Kana lamp on most) shows it off.
        capsBit_ = IndicatorBit("Caps Lock");
        numBit_ = IndicatorBit("Num Lock");
        kanaBit_ = IndicatorBit("Kana");
        // Changes are asked for before the state is read, so none falls between the two.
        XkbSelectEventDetails(display_, XkbUseCoreKbd, XkbIndicatorStateNotify, XkbAllIndicatorsMask,
                              XkbAllIndicatorsMask);
        unsigned int state = 0;
        XkbGetIndicatorState(display_, XkbUseCoreKbd, &state);
        states_ = StatesOf(state);
        notifier_ = new QSocketNotifier(ConnectionNumber(display_), QSocketNotifier::Read);
        QObject::connect(notifier_, &QSocketNotifier::activated, this, [this] { EventsRead(); });
        EventsRead();
    }

    unsigned int IndicatorBit(const char* name)
    {
        const Atom atom = XInternAtom(display_, name, True);
        int index = -1;
        if (atom == None || !XkbGetNamedIndicator(display_, atom, &index, nullptr, nullptr, nullptr) || index < 0 ||
            index >= XkbNumIndicators)
            return 0;
        return 1u << index;
    }

    LockKeyStates StatesOf(unsigned int state) const
    {
        return {(state & capsBit_) != 0, (state & numBit_) != 0, (state & kanaBit_) != 0};
    }

    void EventsRead()
    {
        const LockKeyStates before = states_;
        // Xlib may have read events already while it waited for a reply: its queue is read to
        // the end, not only what the socket has now.
        while (XPending(display_) > 0) {
            XkbEvent event;
            XNextEvent(display_, &event.core);
            if (event.type == eventBase_ && event.any.xkb_type == XkbIndicatorStateNotify)
                states_ = StatesOf(event.indicators.state);
        }
        if (states_ != before)
            TellWatches();
    }

    Display* display_;
    int eventBase_;
    unsigned int capsBit_ = 0;
    unsigned int numBit_ = 0;
    unsigned int kanaBit_ = 0;
    LockKeyStates states_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace

std::optional<LockKeyStates> LockKeyStatesNow()
{
    if (Fed())
        return Fed();
    if (XkbIndicators* host = XkbIndicators::Instance())
        return host->States();
    return std::nullopt;
}

void LockKeysWatch(QObject* context, std::function<void()> changed)
{
    XkbIndicators::Instance();
    Watches().push_back({context, std::move(changed)});
}

void FeedLockKeyStates(std::optional<LockKeyStates> states)
{
    Fed() = states;
    TellWatches();
}

} // namespace platform::statusbar
