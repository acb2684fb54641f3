#pragma once

// The whole print of a generated chart as the print dialog's PDF button runs it: the layout half
// under the progress dialog, the draw work files, the pages and the file.

#include "app/print/PrintCanvas.h"
#include "platform/commondialog/CommonDialog.h"
#include "support/ModalDialog.h"

#include <QElapsedTimer>
#include <QPushButton>

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
    testsupport::RunDialog(dialog, [&] {
        QElapsedTimer clock;
        clock.start();
        dialog.cmdPDF->click();
        ms = double(clock.nsecsElapsed()) / 1e6;
    });
    return ms;
}

} // namespace benchsupport
