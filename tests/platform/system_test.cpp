#include "platform/system/System.h"

#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QIcon>
#include <QTest>

#include <csignal>
#include <vector>

#include <unistd.h>

using namespace platform::system;

namespace {

class SystemServices : public testsupport::TempFolder {
protected:
    void TearDown() override
    {
        SetFileOpener({});
        OpenedFiles().clear();
    }
};

} // namespace

TEST_F(SystemServices, ProcessAndCurrentFolder)
{
    EXPECT_EQ(ProcessId(), static_cast<std::int32_t>(::getpid()));
    EXPECT_GT(DoubleClickTime(), 0);

    const QString before = CurrentFolder();
    EXPECT_TRUE(SetCurrentFolder(path()));
    EXPECT_EQ(QDir(CurrentFolder()).canonicalPath(), QDir(path()).canonicalPath());
    EXPECT_FALSE(SetCurrentFolder(path("none")));
    EXPECT_FALSE(SetCurrentFolder(QString()));
    EXPECT_EQ(QDir(CurrentFolder()).canonicalPath(), QDir(path()).canonicalPath());
    SetCurrentFolder(before);
}

TEST_F(SystemServices, OpeningAFileAnswersWithTheShellCodes)
{
    write("help/manual.pdf", "%PDF");
    bool openerAnswer = true;
    QString handedOn;
    SetFileOpener([&](const QString& p) {
        handedOn = p;
        return openerAnswer;
    });

    struct Row {
        const char* why;
        QString file;
        QString folder;
        bool opens;
        std::int32_t result;
        QString expectedPath;
    };
    const Row rows[] = {
        {"relative to the working folder", "help/manual.pdf", path(), true, OpenResult::Opened,
         path("help/manual.pdf")},
        {"absolute", path("help/manual.pdf"), "/", true, OpenResult::Opened, path("help/manual.pdf")},
        {"no application for it", "help/manual.pdf", path(), false, OpenResult::NoAssociation,
         path("help/manual.pdf")},
        {"missing file", "help/none.pdf", path(), true, OpenResult::FileNotFound, QString()},
        {"missing folder", "nohelp/none.pdf", path(), true, OpenResult::PathNotFound, QString()},
        {"empty name", QString(), path(), true, OpenResult::FileNotFound, QString()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        handedOn.clear();
        openerAnswer = row.opens;
        EXPECT_EQ(OpenWithApplication(row.file, row.folder), row.result);
        EXPECT_EQ(handedOn, row.expectedPath);
    }
    EXPECT_EQ(OpenedFiles().size(), 3);
}

TEST_F(SystemServices, OffscreenWithoutAnOpenerNothingIsLaunched)
{
    write("doc.pdf", "%PDF");
    EXPECT_EQ(OpenWithApplication("doc.pdf", path()), OpenResult::Opened);
    EXPECT_EQ(OpenedFiles(), QStringList({path("doc.pdf")}));
}

TEST(TerminationSignals, ReachTheHandlerInTheEventLoopOneAtATime)
{
    std::vector<int> handled;
    std::vector<int> ended;
    SetProcessEnd([&](int signal) { ended.push_back(signal); });
    SetTerminationHandler([&](int signal) {
        handled.push_back(signal);
        // A second request while the first is being handled is not handled again.
        ::raise(SIGTERM);
        QCoreApplication::processEvents();
    });
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        handled.clear();
        ::raise(signal);
        EXPECT_TRUE(handled.empty()) << "nothing runs inside the signal handler";
        ASSERT_TRUE(QTest::qWaitFor([&] { return !handled.empty(); }, 30000));
        ASSERT_EQ(handled.size(), 1u);
        EXPECT_EQ(handled.front(), signal);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(handled.size(), 1u);
    }

    // Without a handler of the program's the request ends the process as the signal would.
    SetTerminationHandler([](int signal) { EndBySignal(signal); });
    ::raise(SIGHUP);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ended.empty(); }, 30000));
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended.front(), SIGHUP);

    SetProcessEnd({});
    SetTerminationHandler({});
}

TEST(ToolkitTexts, QtsOwnTextsAreJapanese)
{
    ASSERT_TRUE(UseJapaneseToolkitTexts()) << "Qt's Japanese translation is installed by the set-up";
    EXPECT_TRUE(UseJapaneseToolkitTexts()) << "a second call keeps the one translation";
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("アドレス:"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
}

TEST(ToolkitTexts, StandardPicturesComeFromAnIconTheme)
{
    // A session without a desktop names only the base theme, which has no standard pictures.
    QIcon::setThemeName(QStringLiteral("hicolor"));
    QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
    UseDesktopIconTheme();
    for (const char* name : {"document-open", "document-save", "document-print", "document-print-preview", "edit-cut",
                             "edit-copy", "edit-paste", "edit-undo", "edit-redo", "edit-find"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(QIcon::fromTheme(QString::fromLatin1(name)).isNull());
    }
}
