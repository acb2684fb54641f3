#include "platform/commondialog/CommonDialog.h"

#include "support/RaisedError.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace platform::commondialog;

namespace {

class FileDialogs : public testsupport::TempFolder {
protected:
    void TearDown() override { ClearQueue(); }
};

TEST_F(FileDialogs, AChosenFileComesBackWithItsFolderAndTheDefaultExtension)
{
    write(QStringLiteral("a.txt"), "x");
    write(QStringLiteral("README"), "x");
    struct Row {
        const char* why;
        bool save;
        const char* defaultExt;
        const char* answer;   // relative to the test folder
        const char* fileName; // expected, relative to the test folder
    };
    const Row rows[] = {
        {"an existing file", false, ".txt", "a.txt", "a.txt"},
        {"an existing file without extension opens as it is", false, ".txt", "README", "README"},
        {"a name typed without extension finds the file with the default", false, ".txt", "a", "a.txt"},
        {"a name without extension gets the default", true, ".pad", "sub/chart", "sub/chart.pad"},
        {"the default may come without its dot", true, "pad", "chart", "chart.pad"},
        {"a name with an extension keeps it", true, ".pad", "chart.txt", "chart.txt"},
        {"no default extension", true, "", "chart", "chart"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        CommonDialog dialog;
        dialog.DefaultExt = QString::fromLatin1(row.defaultExt);
        dialog.Flags = Flags::FileMustExist;
        QueueFileName(path(QString::fromLatin1(row.answer)));
        row.save ? dialog.ShowSave() : dialog.ShowOpen();
        const QString expected = path(QString::fromLatin1(row.fileName));
        EXPECT_EQ(dialog.FileName, expected);
        EXPECT_EQ(dialog.InitDir, QFileInfo(expected).absolutePath());
    }
}

TEST_F(FileDialogs, ASavedNameWithoutExtensionTakesTheFileTypeChosen)
{
    struct Row {
        const char* why;
        bool save;
        std::int16_t type; // the entry chosen; 0: the one shown first
        const char* answer;
        const char* fileName;
        std::int16_t filterIndex; // after the dialog
    };
    const Row rows[] = {
        {"the type shown first", true, 0, "chart", "chart.pad", 1},
        {"another type chosen", true, 2, "chart", "chart.txt", 2},
        {"a type of many extensions: the default", true, 3, "chart", "chart.pad", 3},
        {"a type of no single extension: the default", true, 4, "chart", "chart.pad", 4},
        {"an extension typed is kept", true, 2, "chart.pad", "chart.pad", 2},
        {"opening keeps the default extension", false, 1, "a", "a.txt", 1},
    };
    write(QStringLiteral("a.txt"), "x");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        CommonDialog dialog;
        dialog.DefaultExt = row.save ? QStringLiteral(".pad") : QStringLiteral(".txt");
        dialog.Filter = QStringLiteral("PAD(*.pad)|*.pad|TEXT(*.txt)|*.txt|BOTH|*.pad;*.txt|ALL(*.*)|*.*");
        dialog.FilterIndex = 1;
        QueueFileName(path(QString::fromLatin1(row.answer)), row.type);
        row.save ? dialog.ShowSave() : dialog.ShowOpen();
        EXPECT_EQ(dialog.FileName, path(QString::fromLatin1(row.fileName)));
        EXPECT_EQ(dialog.FilterIndex, row.filterIndex);
    }
}

TEST_F(FileDialogs, ACancelRaisesOnlyWhenAskedTo)
{
    CommonDialog dialog;
    dialog.FileName = QStringLiteral("proposed");
    dialog.InitDir = path();
    QueueCancel();
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileName, QStringLiteral("proposed"));

    dialog.CancelError = true;
    QueueCancel();
    EXPECT_RAISES(dialog.ShowSave(), CancelErrorNumber);
    // Offscreen with nothing queued, a dialog is cancelled rather than left waiting.
    EXPECT_RAISES(dialog.ShowOpen(), CancelErrorNumber);
    // The open dialog offers only existing files when it must.
    dialog.Flags = Flags::FileMustExist;
    QueueFileName(path(QStringLiteral("missing.txt")));
    EXPECT_RAISES(dialog.ShowOpen(), CancelErrorNumber);
    EXPECT_EQ(dialog.FileName, QStringLiteral("proposed"));
    EXPECT_EQ(dialog.InitDir, path());
}

TEST_F(FileDialogs, EachDialogIsRecordedWithWhatItWasShown)
{
    CommonDialog dialog;
    dialog.InitDir = QStringLiteral("/start");
    dialog.FileName = QStringLiteral("name");
    dialog.Flags = 0x280006;
    dialog.DefaultExt = QStringLiteral(".pad");
    dialog.Filter = QStringLiteral("PADﾌｧｲﾙ(*.pad)|*.pad|ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt");
    dialog.FilterIndex = 2;
    QueueCancel();
    dialog.ShowSave();
    ASSERT_EQ(ShownDialogs().size(), 1u);
    const Shown& shown = ShownDialogs()[0];
    EXPECT_TRUE(shown.save);
    EXPECT_EQ(shown.initDir, QStringLiteral("/start"));
    EXPECT_EQ(shown.fileName, QStringLiteral("name"));
    EXPECT_EQ(shown.flags, 0x280006);
    EXPECT_EQ(shown.defaultExt, QStringLiteral(".pad"));
    EXPECT_EQ(shown.filter, dialog.Filter);
    EXPECT_EQ(shown.filterIndex, 2);
}

} // namespace
