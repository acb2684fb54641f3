#include "platform/system/System.h"

#include "support/TempFolder.h"

#include <QDir>

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
