#pragma once

// Shared by the document load and redraw tests: the program started up (as far as the test's
// floors reach) on its own ini file with the fake text measurer, documents written as Shift_JIS
// files, and a fixture that starts every test with no document and no canvas.

#include "app/diagram/FileInterface.h"
#include "app/diagram/PadDraw.h"
#include "app/core/ApplicationGlobals.h"
#include "app/diagram/BoxList.h"
#include "platform/codepage/CodePage.h"
#include "platform/msgbox/MsgBox.h"
#include "platform/textmeasure/TextMeasure.h"
#include "support/FloorsStart.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace paddraw_test {

using namespace vellumora;

// Runs the start-up once per test program, in a folder holding a copy of its ini file.
class Program : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELLUMORA_SOURCE_DIR "/config/Vellumora.ini"),
                                QDir(folder_.path()).filePath(QStringLiteral("vellumora.ini"))));
        SetApplicationObject(folder_.path(), QStringLiteral("vellumora"));
        platform::textmeasure::UseFakeTextMeasurer(true);
        testsupport::FloorsStart();
    }
    void TearDown() override
    {
        testsupport::FloorsEnd();
        platform::textmeasure::UseFakeTextMeasurer(false);
    }

private:
    QTemporaryDir folder_;
};

inline ::testing::Environment* const kProgram = ::testing::AddGlobalTestEnvironment(new Program);

// Pixels (every second one) of a window's picture that differ from its bottom-right corner, which
// shows the background.
inline int PaintedPixels(QWidget& window)
{
    const QImage image = window.grab().toImage();
    const QColor background = image.pixelColor(image.width() - 1, image.height() - 1);
    int painted = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            painted += image.pixelColor(x, y) != background;
    return painted;
}

// Drops every canvas and its window.
inline void CanvasesDrop()
{
    CanvasesRelease(1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Tagged text: the lines joined with CR LF, as Shift_JIS.
inline QByteArray DocumentBytes(const QStringList& lines)
{
    return platform::codepage::ToShiftJis(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

// A routine canvas holding one block.
inline QStringList RoutineLines(const QString& routine, const QString& block)
{
    return {QStringLiteral("&&routine"), QStringLiteral("&&text"), routine, QStringLiteral("&&block"),
            QStringLiteral("&&text"),    block,                     QStringLiteral("&&end-routine")};
}

inline QStringList DocumentLines(const QStringList& body, const QStringList& header = {})
{
    return QStringList{QStringLiteral("&&document")} + header + body + QStringList{QStringLiteral("&&end-document")};
}

// Makes the canvas windows after a read, as the canvas floor does; tests that link it set it
// (tests/app/canvas/canvas_windows.h), the others read documents without windows.
inline void (*WindowsAfterRead)() = nullptr;

class PadDrawTest : public testsupport::TempFolder {
protected:
    void SetUp() override
    {
        CanvasesDrop();
        ApplicationGlobals.DocumentName.clear();
        ApplicationGlobals.ModifyFlag = false;
        platform::msgbox::ClearQueue();
        platform::msgbox::ShownBoxes().clear();
    }
    void TearDown() override { CanvasesDrop(); }

    QString document(const QString& name, const QStringList& lines) { return write(name, DocumentBytes(lines)); }

    // Opens a document as the main window's Open command does, as far as the test's floors reach.
    void open(const QString& path)
    {
        ApplicationGlobals.DocumentName = path;
        PadDrawGetData(QString());
        if (WindowsAfterRead)
            WindowsAfterRead();
    }

    static CanvasRecord& Canvas(std::int16_t c) { return B[static_cast<std::size_t>(c)]; }
    static QString FirstText(std::int16_t c)
    {
        const CanvasRecord& canvas = Canvas(c);
        return canvas.BoxList[static_cast<std::size_t>(canvas.header.firstBox)].text.text;
    }
};

} // namespace paddraw_test
