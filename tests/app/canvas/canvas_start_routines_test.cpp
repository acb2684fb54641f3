#include "app/canvas/CopyAndPaste.h"
#include "app/canvas/HistoryControl.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/Utilities.h"
#include "support/ShellFakeServices.h"

#include <QDir>
#include <QFileInfo>

using namespace vellumora;

namespace {

class StartRoutinesTest : public shell_test::ServicesFolder {
protected:
    void SetUp() override
    {
        ServicesFolder::SetUp();
        UtilitiesInitialize();
    }
    void TearDown() override
    {
        UtilitiesTerminate();
        ServicesFolder::TearDown();
    }

    QString Made(const FilePart& a, const FilePart& b = {}, const FilePart& c = {})
    {
        const QString name = TemporaryFileName(a, b, c);
        write(QDir(path()).relativeFilePath(name), "x");
        return name;
    }
};

TEST_F(StartRoutinesTest, ClipboardInitializeDropsTheCopyAndTheExchangeFiles)
{
    const QString copy = Made(QStringLiteral("copy"));
    const QString published = Made(QStringLiteral("clipboard"), QStringLiteral("copy"));
    const QString fetched = Made(QStringLiteral("clipboard"), QStringLiteral("paste"));
    const QString snapshot = Made(1, 0, QStringLiteral("history"));
    CopyAndPaste.ClipboardExistFlag = true;
    CopyAndPaste.ClipboardCanvasFlags = 0x8000;
    CopyAndPaste.ClipboardTaskFile = published;

    ClipboardInitialize();
    EXPECT_FALSE(ClipboardExist());
    EXPECT_EQ(CopyAndPaste.ClipboardCanvasFlags, 0);
    EXPECT_TRUE(CopyAndPaste.ClipboardTaskFile.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_FALSE(QFileInfo::exists(published));
    EXPECT_FALSE(QFileInfo::exists(fetched));
    EXPECT_TRUE(QFileInfo::exists(snapshot));
}

TEST_F(StartRoutinesTest, HistoryClearEmptiesTheRing)
{
    const QString snapshot = Made(1, QStringLiteral("ci"), QStringLiteral("history"));
    const QString other = Made(QStringLiteral("copy"));
    for (int s = 1; s <= 3; ++s)
        History.HistoryList[s % HistorySlots] = {QStringLiteral("編集"), s, 1, 1};
    History.HistoryIndex = 2;
    EXPECT_TRUE(HistoryCanUndo());
    EXPECT_FALSE(HistoryCanRedo()) << "no snapshot 4 yet";
    History.HistoryIndex = 1;
    EXPECT_TRUE(HistoryCanRedo()) << "snapshot 3 follows";

    HistoryClear();
    EXPECT_EQ(History.HistoryIndex, -1);
    for (const HistoryRecord& slot : History.HistoryList)
        EXPECT_EQ(slot, (HistoryRecord{QString(), -1, 0, 0}));
    EXPECT_FALSE(HistoryCanUndo());
    EXPECT_FALSE(HistoryCanRedo());
    EXPECT_FALSE(QFileInfo::exists(snapshot));
    EXPECT_TRUE(QFileInfo::exists(other));
    EXPECT_EQ(HistoryFileName(1, QStringLiteral("ci")), snapshot);
}

} // namespace
