#include "FuzzProgram.h"

#include "app/canvas/PageSetting.h"
#include "app/canvas/CanvasForm.h"
#include "app/diagram/BoxList.h"
#include "app/diagram/BoxMake.h"
#include "app/diagram/PadDraw.h"
#include "app/shell/AppMain.h"
#include "app/core/ApplicationGlobals.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/textmeasure/TextMeasure.h"
#include "platform/vbrt/Error.h"
#include "tests/support/PrivateFolders.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

namespace fuzzing {

namespace {

// Removed when the process ends normally: a replay run or a fuzzing session leaves nothing behind.
QTemporaryDir* Root()
{
    static QTemporaryDir root(QDir::tempPath() + QStringLiteral("/vellumora-fuzz-XXXXXX"));
    return &root;
}

// Whatever the run posted (repaints, layouts, deferred deletions) is handled before the next
// input: left alone it piles up from input to input and slows every later one.
void CanvasesDrop()
{
    vellumora::CanvasesRelease(1);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Paints the chart of the first open canvas, whole, once: every canvas is painted by the same
// code, and painting them all would cost more than reading the document. The picture is small;
// the painter still meets every record of the chart, it only fills fewer pixels.
void ChartPaint()
{
    using namespace vellumora;
    for (std::size_t c = 1; c < B.size(); ++c) {
        CanvasForm* form = CanvasWindowOf(B[c]);
        if (!form || B[c].header.state != CanvasState::Open)
            continue;
        form->Cls();
        BoxListDraw(static_cast<std::int16_t>(c), SubRecord::Default);
        QImage image(160, 120, QImage::Format_RGB32);
        QPainter painter(&image);
        form->Render(painter, QRect(QPoint(0, 0), form->size()));
        return;
    }
}

} // namespace

void DocumentRun(const QString& name, const std::uint8_t* data, std::size_t size)
{
    using namespace vellumora;
    const QString path = Root()->path() + QStringLiteral("/work/") + name;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    ApplicationGlobals.DocumentName = path;
    try {
        PadDrawGetData(QString());
        CanvasWindowsCreate();
        PadDrawRefresh(-1);
        ChartPaint();
    } catch (const platform::vbrt::Error&) {
        // A refusal: the document is not one the program reads.
    }
    CanvasesDrop();
    ApplicationGlobals.DocumentName.clear();
    ApplicationGlobals.ModifyFlag = false;
    platform::msgbox::ClearQueue();
    platform::msgbox::ShownBoxes().clear();
}

} // namespace fuzzing

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString base = fuzzing::Root()->path();
    testsupport::UsePrivateFolders(base);
    for (const char* name : {"work", "program"})
        QDir(base).mkpath(QString::fromLatin1(name));
    static QApplication* app = new QApplication(*argc, *argv);
    (void)app;
    QFile::copy(QStringLiteral(VELLUMORA_SOURCE_DIR "/config/Vellumora.ini"), base + "/program/vellumora.ini");
    vellumora::SetApplicationObject(base + "/program", QStringLiteral("vellumora"));
    platform::textmeasure::UseFakeTextMeasurer(true);
    vellumora::AppInitialize();
    return 0;
}
