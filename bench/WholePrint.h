#pragma once

// The whole print of a generated chart as the print dialog's PDF button runs it: the layout half
// under the progress dialog, the draw work files, the pages and the file.

#include "app/print/PrintCanvas.h"
#include "platform/commondialog/CommonDialog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include "GeneratedChart.h"

namespace benchsupport {

// The PDF button of the print dialog, in milliseconds from the press to the file written; -1
// when the dialog did not run.
inline double PrintThroughDialog(const QString& pdf)
{
    platform::commondialog::QueueFileName(pdf);
    vellumora::PrintCanvas dialog;
    dialog.TrayCaption = QStringLiteral("印刷(&P)...");
    double ms = -1;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!dialog.isVisible())
            return;
        poll.stop();
        QElapsedTimer clock;
        clock.start();
        dialog.cmdPDF->click();
        ms = double(clock.nsecsElapsed()) / 1e6;
        if (dialog.isVisible())
            dialog.close();
    });
    poll.start();
    dialog.ShowModal();
    return ms;
}

} // namespace benchsupport
