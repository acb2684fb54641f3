#pragma once

// The main window under test: the program started on its own ini file (with extra lines a test
// adds), a fresh main window per test, and at the end the proof that no window outlived it.

#include "app/canvas/BoxEditing.h"
#include "app/canvas/CanvasForm.h"
#include "app/shell/AppMain.h"
#include "app/core/ApplicationGlobals.h"
#include "app/shell/BaseForm.h"
#include "app/core/MainWindowLink.h"
#include "app/core/Processing.h"
#include "platform/codepage/CodePage.h"
#include "platform/commondialog/CommonDialog.h"
#include "platform/msgbox/MsgBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace baseform_test {

using namespace vellumora;
namespace mb = platform::msgbox;
namespace cd = platform::commondialog;

// A file's bytes; empty when it cannot be read.
inline QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A sample document, copied into this test program's temporary folder so that no command under
// test can ever write into the source tree.
inline QString SamplePath(const QString& name)
{
    const QString folder = QDir::tempPath() + QStringLiteral("/samples");
    const QString copy = folder + QLatin1Char('/') + name;
    if (!QFileInfo::exists(copy)) {
        QDir().mkpath(folder);
        QFile::copy(QStringLiteral(VELLUMORA_SOURCE_DIR "/samples/") + name, copy);
        QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    return copy;
}

// A small document of the given tagged-text lines, written as Shift_JIS with CR LF.
inline QString WriteDocument(const QString& path, const QStringList& lines)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        ADD_FAILURE() << "cannot write " << path.toStdString();
    f.write(platform::codepage::ToShiftJis(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    return path;
}

class BaseFormTest : public ::testing::Test {
protected:
    // Lines added to the [Help] section of the shipped ini file.
    virtual QByteArray helpLines() const { return {}; }

    void SetUp() override
    {
        QFile source(QStringLiteral(VELLUMORA_SOURCE_DIR "/config/Vellumora.ini"));
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        QFile ini(QDir(program_.path()).filePath(QStringLiteral("vellumora.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        QByteArray text = source.readAll();
        text.replace("[Help]\n", "[Help]\n" + helpLines());
        ini.write(text);
        ini.close();
        SetApplicationObject(program_.path(), QStringLiteral("vellumora"));
        SetServicesFactory({});
        AppInitialize();
        ApplicationGlobals.CommandArguments = QStringList{QString()};
        mb::ClearQueue();
        mb::ShownBoxes().clear();
        cd::ClearQueue();
        cd::ShownDialogs().clear();
        ToolbarFontState = {};
    }

    void TearDown() override
    {
        form_.reset();
        AppTerminate();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QStringList left;
        for (QWidget* w : QApplication::topLevelWidgets())
            left << QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName();
        EXPECT_TRUE(left.isEmpty()) << "windows that outlived the test: " << left.join(QStringLiteral(", ")).toStdString();
        EXPECT_EQ(MainWindow(), nullptr);
    }

    // The main window, made on first use; shown and active when asked.
    BaseForm& form()
    {
        if (!form_)
            form_ = std::make_unique<BaseForm>();
        return *form_;
    }

    void showActive()
    {
        form().show();
        QApplication::setActiveWindow(&form());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form(), 30000));
    }

    // The canvas windows shown in the workspace, in slot order.
    std::vector<CanvasForm*> shownCanvases()
    {
        std::vector<CanvasForm*> shown;
        for (std::size_t c = 1; c < B.size(); ++c) {
            CanvasForm* canvas = CanvasWindowOf(B[c]);
            if (canvas && qobject_cast<QMdiSubWindow*>(canvas->parentWidget()) &&
                canvas->parentWidget()->parentWidget() && canvas->Visible())
                shown.push_back(canvas);
        }
        return shown;
    }

    std::vector<QString> prompts() const
    {
        std::vector<QString> out;
        for (const mb::Shown& box : mb::ShownBoxes())
            out.push_back(box.prompt);
        return out;
    }

    QTemporaryDir program_;
    QTemporaryDir files_;
    std::unique_ptr<BaseForm> form_;
};

} // namespace baseform_test
