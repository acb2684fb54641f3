#pragma once

// The whole print of a generated chart as the print dialog's PDF button runs it: the layout half
// under the progress dialog, the draw work files, the pages and the file.

#include "app/core/PrintRecords.h"
#include "app/core/Utilities.h"
#include "app/print/PrintCanvas.h"
#include "app/print/PrintJob.h"
#include "app/print/WaitScreen.h"
#include "platform/commondialog/CommonDialog.h"
#include "support/ModalDialog.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include "GeneratedChart.h"
#include "PdfWriterFloor.h"

namespace benchsupport {

// Where a row puts the program's work files: the benchmark's own temporary folder (made fresh for
// the run, like a test's), a folder on tmpfs, or the temporary folder the benchmark was started
// with, where a user's print puts them.
// A print creates a work file per block and per page. On ext4 without a journal (the disk of the
// build machines) every file created checks, one by one, the inodes of its folder's block group
// that were freed in the last minutes. A fresh folder goes to a group with many free inodes, which
// on a shared build machine is where every test run's fresh folders create and delete their
// files: there the 1,100 work files of a print cost about 0.3 s to create; in /tmp itself about
// 0.02 s on a quiet machine, and as much as in the fresh folder while others build. That is the
// file system's share and not the program's.
enum class WorkFolder { Private = 0, Tmpfs = 1, System = 2 };

// False when the row's folder cannot be had (no tmpfs).
inline bool WorkFolderUse(WorkFolder where)
{
    static const QByteArray given = qgetenv("TMPDIR");
    if (where == WorkFolder::Private) {
        qputenv("TMPDIR", given);
    } else if (where == WorkFolder::System) {
        qputenv("TMPDIR", QFile::encodeName(QFileInfo(Environment.root.path()).path()));
    } else {
        if (!QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            return false;
        static QTemporaryDir shm(QStringLiteral("/dev/shm/vellumora-bench-XXXXXX"));
        if (!shm.isValid())
            return false;
        qputenv("TMPDIR", QFile::encodeName(shm.path()));
    }
    vellumora::UtilitiesInitialize();
    return true;
}

inline void ShapesCount(const QString& path, PrintShapes& shapes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& line : file.readAll().split('\n')) {
        shapes.boxes += line.startsWith("BOX,") ? 1 : 0;
        shapes.lines += line.startsWith("LINE,") ? 1 : 0;
        shapes.texts += line.startsWith("TEXT,") ? 1 : 0;
    }
}

// What a print of the open chart shows: the layout half alone, its draw work files counted and
// the job dropped. No pages when the layout gave none.
inline PrintShapes JobShapes()
{
    using namespace vellumora;
    PrintShapes shapes;
    WaitScreen wait;
    if (wait.WaitScreenStart({1}))
        return shapes;
    shapes.pages = RW.pageCount;
    ShapesCount(RW.commonFileName, shapes);
    for (std::size_t p = 1; p < RW.PageList.size(); ++p)
        ShapesCount(RW.PageList[p].fileName, shapes);
    for (std::size_t b = 1; b < RW.BlockList.size(); ++b)
        ShapesCount(RW.BlockList[b].fileName, shapes);
    PrintJobAbandon();
    return shapes;
}

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
