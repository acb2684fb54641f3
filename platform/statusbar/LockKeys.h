#pragma once

// The keyboard's lock keys (Caps Lock, Num Lock, Kana) as the window system tells them: on X11
// through the keyboard extension's indicators, as they change. Where the window system does not
// tell them (the offscreen platform, Wayland) they are not known.

#include <QObject>

#include <functional>
#include <optional>

namespace platform::statusbar {

struct LockKeyStates {
    bool caps = false;
    bool num = false;
    bool kana = false;
    bool operator==(const LockKeyStates&) const = default;
};

// The states now; nullopt where the window system does not tell them. Needs the application object.
std::optional<LockKeyStates> LockKeyStatesNow();

// Calls changed whenever the states change, until context is destroyed. Needs the application object.
void LockKeysWatch(QObject* context, std::function<void()> changed);

// Test seam: states that stand in for the window system's, told to every watch as a change
// (nullopt: the window system's again).
void FeedLockKeyStates(std::optional<LockKeyStates> states);

} // namespace platform::statusbar
