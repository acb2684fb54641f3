// Another running copy of the program for the clipboard exchange test: it starts up as the
// program does, then follows commands on its standard input, one a line, and answers each with
// one line on its standard output.
//   open PATH           opens the document           -> "opened"
//   copy CANVAS N       gives the first box below the top routine of the canvas the text "aN"
//                       and, for odd N, the box after it (a loop) "lN" and its body "bN"; then
//                       copies the first box (even N) or the loop (odd N) for other copies
//                                                    -> "copied"
//   burst CANVAS COUNT  copies COUNT times in a row as copy does, N running from
//                       CANVAS * 100000 + 1, so every text names the canvas it came from
//                                                    -> "copied"
//   reset               drops its copies             -> "reset"
//   quit                ends                         -> (none)
// A command that fails answers "error: " and the description.
#include "app/canvas/PageSetting.h"
#include "app/canvas/CopyAndPaste.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/PadDraw.h"
#include "app/shell/AppMain.h"
#include "app/core/ApplicationGlobals.h"
#include "platform/textmeasure/TextMeasure.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>

using namespace vellumora;

namespace {

BoxRecord& Box(std::int16_t canvas, std::int16_t box)
{
    return B.at(static_cast<std::size_t>(canvas)).BoxList.at(static_cast<std::size_t>(box));
}

void CopyForOthers(std::int16_t canvas, int n)
{
    CanvasRecord& c = B.at(static_cast<std::size_t>(canvas));
    const std::int16_t routine = c.header.firstBox;
    const std::int16_t first = c.SubList.at(static_cast<std::size_t>(Box(canvas, routine).subIndex)).boxIndex;
    Box(canvas, first).text = TextInfoMake(QStringLiteral("a%1").arg(n));
    std::int16_t copied = first;
    if (n % 2 == 1) {
        const std::int16_t loop = Box(canvas, first).after;
        Box(canvas, loop).text = TextInfoMake(QStringLiteral("l%1").arg(n));
        const std::int16_t body = c.SubList.at(static_cast<std::size_t>(Box(canvas, loop).subIndex)).boxIndex;
        Box(canvas, body).text = TextInfoMake(QStringLiteral("b%1").arg(n));
        copied = loop;
    }
    ClipboardTaskCopyOpen();
    ClipboardCopyPart(canvas, copied, -1);
    ClipboardTaskCopyClose();
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    QFile::copy(QStringLiteral(VELLUMORA_SOURCE_DIR "/config/Vellumora.ini"),
                QDir(folder.path()).filePath(QStringLiteral("vellumora.ini")));
    SetApplicationObject(folder.path(), QStringLiteral("vellumora"));
    platform::textmeasure::UseFakeTextMeasurer(true);
    AppInitialize();

    std::string line;
    while (std::getline(std::cin, line)) {
        const QString command = QString::fromStdString(line);
        const QString verb = command.section(QLatin1Char(' '), 0, 0);
        if (verb == QLatin1String("quit"))
            break;
        QString answer;
        try {
            if (verb == QLatin1String("open")) {
                ApplicationGlobals.DocumentName = command.section(QLatin1Char(' '), 1);
                PadDrawGetData(QString());
                CanvasWindowsCreate();
                answer = QStringLiteral("opened");
            } else if (verb == QLatin1String("copy")) {
                CopyForOthers(static_cast<std::int16_t>(command.section(QLatin1Char(' '), 1, 1).toInt()),
                              command.section(QLatin1Char(' '), 2, 2).toInt());
                answer = QStringLiteral("copied");
            } else if (verb == QLatin1String("burst")) {
                const int canvas = command.section(QLatin1Char(' '), 1, 1).toInt();
                const int count = command.section(QLatin1Char(' '), 2, 2).toInt();
                for (int n = 1; n <= count; ++n)
                    CopyForOthers(static_cast<std::int16_t>(canvas), canvas * 100000 + n);
                answer = QStringLiteral("copied");
            } else if (verb == QLatin1String("reset")) {
                ClipboardReset();
                answer = QStringLiteral("reset");
            } else {
                answer = QStringLiteral("error: unknown command ") + verb;
            }
        } catch (const std::exception& e) {
            answer = QStringLiteral("error: ") + QString::fromUtf8(e.what());
        }
        std::cout << answer.toStdString() << std::endl;
    }

    CanvasesRelease(1);
    AppTerminate();
    return 0;
}
