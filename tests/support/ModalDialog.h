#pragma once

// Driving a modal dialog from a test or a benchmark: the action runs once the dialog is on the
// screen, inside its own modal loop.

#include <QObject>
#include <QTimer>

#include <functional>

namespace testsupport {

// Shows the dialog modally, runs the action once it is on the screen and closes the dialog
// afterwards when the action left it open; true when the action closed it.
template <class Dialog>
bool RunDialog(Dialog& dialog, const std::function<void()>& action)
{
    bool closedByAction = false;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!dialog.isVisible())
            return;
        poll.stop();
        action();
        closedByAction = !dialog.isVisible();
        if (dialog.isVisible())
            dialog.close();
    });
    poll.start();
    dialog.ShowModal();
    return closedByAction;
}

} // namespace testsupport
