// The default-font command: the font dialog asks, and only a changed choice takes an undo
// snapshot of the document settings, becomes the document's font and redraws the canvases.
#include "app/diagram/FontAndColor.h"

#include "../diagram/fileinterface_support.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/EditState.h"
#include "app/diagram/CanvasOrder.h"
#include "app/diagram/HistorySnapshots.h"
#include "app/dialogs/FontSetting.h"
#include "platform/filesystem/FileSystem.h"
#include "support/TestProgramLink.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace vellumora;

namespace {

class DefaultFontSettingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        link.fontSetting = FontSettingTrayShow;
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        ApplicationGlobals.FontNameList = {QStringLiteral("標準"), QStringLiteral("IPAGothic"),
                                           QStringLiteral("IPAMincho")};
        ApplicationGlobals.FontSizeList = {QStringLiteral("標準"), QStringLiteral("9"), QStringLiteral("10.5")};
        ApplicationGlobals.ColorTable = {{QStringLiteral("Default"), QStringLiteral("標準"), 0, 0, 0, -1},
                                         {QStringLiteral("Black"), QStringLiteral("黒"), 0, 0, 0, 0}};
        ApplicationGlobals.DocumentFontName = QStringLiteral("IPAGothic");
        ApplicationGlobals.DocumentFontSize = QStringLiteral("9");
        ApplicationGlobals.DocumentColorName = QStringLiteral("黒");
        B.assign(1, CanvasRecord{});
        HistoryClear();
        // The snapshot's document header is written once, as the command stands at that moment.
        platform::filesystem::SetAtomicWriteHook([this](const QString& target, qint64) {
            if (!steps.empty() || !target.endsWith(QStringLiteral(".0.history.tmp")))
                return;
            steps.push_back(QStringLiteral("snapshot of %1 modified %2")
                                .arg(ApplicationGlobals.DocumentFontSize)
                                .arg(GetModifyFlag()));
        });
    }
    void TearDown() override { B.clear(); }

    // Runs the command; act gets the dialog once it is up. The windows' stacking order is saved
    // (the order table filled) and restored (the stamps counted afresh) around the redraw.
    bool run(const std::function<void(FontSetting&)>& act)
    {
        QTimer::singleShot(0, [act] {
            if (auto* dialog = qobject_cast<FontSetting*>(QApplication::activeModalWidget()))
                act(*dialog);
        });
        CanvasOrder.clear();
        CanvasActivateCount = 7;
        const bool changed = DefaultFontSetting(QStringLiteral("ﾃﾞﾌｫﾙﾄ･ﾌｫﾝﾄ(&D)"));
        if (!CanvasOrder.empty())
            steps.push_back(QStringLiteral("order saved"));
        if (CanvasActivateCount == 0)
            steps.push_back(QStringLiteral("order restored"));
        return changed;
    }

    testsupport::TestProgramLink link;
    std::vector<QString> steps;
};

TEST_F(DefaultFontSettingTest, OnlyAChangedChoiceIsTakenWithASnapshotFirst)
{
    struct Row {
        const char* why;
        std::function<void(FontSetting&)> act;
        bool changed;
        QString size;
    };
    const Row rows[] = {
        {"closed with the close box",
         [](FontSetting& d) {
             d.cmbFontSize->setCurrentIndex(1);
             d.close();
         },
         false, QStringLiteral("9")},
        {"updated unchanged", [](FontSetting& d) { d.cmdUpdate->click(); }, false, QStringLiteral("9")},
        {"a new size",
         [](FontSetting& d) {
             d.cmbFontSize->setCurrentText(QStringLiteral("10.5"));
             d.cmdUpdate->click();
         },
         true, QStringLiteral("10.5")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        steps.clear();
        HistoryClear();
        SetModifyFlag(false);
        ApplicationGlobals.DocumentFontSize = QStringLiteral("9");
        EXPECT_EQ(run(row.act), row.changed);
        EXPECT_EQ(ApplicationGlobals.DocumentFontSize, row.size);
        EXPECT_EQ(ApplicationGlobals.DocumentFontName, QStringLiteral("IPAGothic"));
        EXPECT_EQ(GetModifyFlag(), row.changed);
        if (row.changed) {
            EXPECT_EQ(steps, (std::vector<QString>{QStringLiteral("snapshot of 9 modified 1"),
                                                   QStringLiteral("order saved"), QStringLiteral("order restored")}));
            ASSERT_TRUE(HistoryCanUndo());
            EXPECT_EQ(HistorySlotOf(History.HistoryIndex).caption, QStringLiteral("ﾃﾞﾌｫﾙﾄ･ﾌｫﾝﾄ"));
            EXPECT_EQ(HistorySlotOf(History.HistoryIndex).canvas, 0) << "the step names no canvas";
        } else {
            EXPECT_TRUE(steps.empty());
        }
    }
}

} // namespace
