// The zoom dialog driven offscreen: what comes back through each way out, the length limits,
// and the main window following its minimised state.
#include "app/dialogs/ZoomScreen.h"

#include "app/core/ApplicationGlobals.h"
#include "app/core/RecordAccess.h"
#include "app/diagram/TagTable.h"
#include "platform/msgbox/MsgBox.h"
#include "support/Workspace.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindowStateChangeEvent>

#include <gtest/gtest.h>

#include <functional>

using namespace vellumora;
namespace mb = platform::msgbox;

namespace {

const QString Original = QStringLiteral("first\r\nsecond");

class ZoomScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        mb::ClearQueue();
        mb::ShownBoxes().clear();
        dialog.TrayEditText = Original;
        dialog.TrayModifyCaption = QStringLiteral("検索:検索文字列(&S)");
        dialog.TrayTagType = 0;
        dialog.TrayMaxTextWidth = 50;
        dialog.TrayMaxTextHeight = 1;
    }

    // Runs the dialog; act runs once it is shown and must close it.
    void run(const std::function<void()>& act)
    {
        QTimer::singleShot(0, &dialog, [this, act] {
            shownText = dialog.txtZoomEditor->toPlainText();
            caption = dialog.windowTitle();
            act();
            if (dialog.isVisible()) {
                leftOpen = true;
                dialog.cmdCancel->click();
            }
        });
        dialog.exec();
    }

    ZoomScreen dialog;
    QString shownText;
    QString caption;
    bool leftOpen = false;
};

TEST_F(ZoomScreenTest, UpdateReturnsTheTextWithCrLfLineEnds)
{
    dialog.TrayMaxTextHeight = 3;
    run([this] {
        dialog.txtZoomEditor->setPlainText(QStringLiteral("one\ntwo\nthree"));
        dialog.cmdUpdate->click();
    });
    EXPECT_EQ(shownText, QStringLiteral("first\nsecond"));
    EXPECT_EQ(caption, QStringLiteral("ｽﾞｰﾑ [検索:検索文字列]"));
    EXPECT_FALSE(leftOpen);
    EXPECT_FALSE(dialog.TrayCancel);
    EXPECT_EQ(dialog.TrayEditText, QStringLiteral("one\r\ntwo\r\nthree"));
}

TEST_F(ZoomScreenTest, EveryWayOutButUpdateIsACancelAndKeepsTheCallersText)
{
    struct Row {
        const char* why;
        std::function<void(ZoomScreen&)> leave;
    };
    const Row rows[] = {
        {"取消", [](ZoomScreen& d) { d.cmdCancel->click(); }},
        {"the close box", [](ZoomScreen& d) { d.close(); }},
        {"Esc", [](ZoomScreen& d) { QTest::keyClick(d.cmdUpdate, Qt::Key_Escape); }},
        {"Ctrl+F4", [](ZoomScreen& d) { QTest::keyClick(d.cmdUpdate, Qt::Key_F4, Qt::ControlModifier); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ZoomScreen d;
        d.TrayEditText = Original;
        d.TrayCancel = false;
        bool stayed = false;
        QTimer::singleShot(0, &d, [&] {
            d.txtZoomEditor->setPlainText(QStringLiteral("edited"));
            row.leave(d);
            if (d.isVisible()) {
                stayed = true;
                d.cmdCancel->click();
            }
        });
        d.exec();
        EXPECT_FALSE(stayed);
        EXPECT_TRUE(d.TrayCancel);
        EXPECT_EQ(d.TrayEditText, Original);
    }
}

TEST_F(ZoomScreenTest, TooLongTextsAreRefusedAndTheDialogStaysOpen)
{
    PR.TagTable = {{QStringLiteral("&&case"), 24, TagAttribute::SmallText, QStringLiteral("ｹｰｽ")}};
    struct Row {
        const char* why;
        std::int32_t tag, maxWidth, maxHeight;
        QString text;
        QString message; // empty: accepted
    };
    const QString refusal = QStringLiteral("入力ﾃｷｽﾄは 1行以内、1行の文字数は 50文字以内として下さい。");
    const Row rows[] = {
        {"50 characters on one line", 0, 50, 1, QString(50, QLatin1Char('a')), {}},
        {"51 characters", 0, 50, 1, QString(51, QLatin1Char('a')), refusal},
        {"two lines", 0, 50, 1, QStringLiteral("a\nb"), refusal},
        {"an empty text", 0, 50, 1, QString(), {}},
        {"a case text: three lines", 24, -1, -1, QStringLiteral("a\nb\nc"), {}},
        {"a case text: four lines", 24, -1, -1, QStringLiteral("a\nb\nc\nd"),
         QStringLiteral("ｹｰｽの入力ﾃｷｽﾄは 3行以内、1行の文字数は 50文字以内として下さい。")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        mb::ShownBoxes().clear();
        ZoomScreen d;
        d.TrayEditText = Original;
        d.TrayTagType = row.tag;
        d.TrayMaxTextWidth = row.maxWidth;
        d.TrayMaxTextHeight = row.maxHeight;
        bool stayed = false;
        bool enabledAfterRefusal = false;
        QTimer::singleShot(0, &d, [&] {
            d.txtZoomEditor->setPlainText(row.text);
            d.cmdUpdate->click();
            if (d.isVisible()) {
                stayed = true;
                enabledAfterRefusal = d.focusWidget() == d.txtZoomEditor;
                d.cmdCancel->click();
            }
        });
        d.exec();
        EXPECT_EQ(stayed, !row.message.isEmpty());
        if (row.message.isEmpty()) {
            EXPECT_TRUE(mb::ShownBoxes().empty());
            EXPECT_FALSE(d.TrayCancel);
            EXPECT_EQ(d.TrayEditText, QString(row.text).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
        } else {
            ASSERT_EQ(mb::ShownBoxes().size(), 1u);
            EXPECT_EQ(mb::ShownBoxes()[0].prompt, row.message);
            EXPECT_TRUE(enabledAfterRefusal) << "the focus goes back to the text";
            EXPECT_EQ(d.TrayEditText, Original);
        }
    }
    PR.TagTable.clear();
}

TEST_F(ZoomScreenTest, TheTextGrowsWithTheWindowAndTheButtonsKeepToTheCorner)
{
    run([this] {
        const QSize before = dialog.size();
        const int textWidth = dialog.txtZoomEditor->width();
        const int rightGap = before.width() - dialog.cmdCancel->x();
        dialog.resize(before.width() + 100, before.height() + 50);
        EXPECT_EQ(dialog.txtZoomEditor->width(), textWidth + 100);
        EXPECT_EQ(dialog.width() - dialog.cmdCancel->x(), rightGap);
        dialog.resize(10, 10);
        EXPECT_GE(dialog.txtZoomEditor->width() * 15, 3000) << "never smaller than the smallest room";
        dialog.cmdCancel->click();
    });
}

// The window manager's way of minimising and restoring: the zoom's state changes, and more of them
// (a second state change, a resize) while it is minimised, then one of the two windows comes back.
TEST(ZoomScreenMinimised, TheMainWindowFollowsAndComesBackInItsFormerState)
{
    struct Row {
        const char* why;
        Qt::WindowStates former;
        bool mainComesBack; // else the zoom does
    };
    const Row rows[] = {
        {"a normal main window, the zoom restored", Qt::WindowNoState, false},
        {"a maximised main window, the zoom restored", Qt::WindowMaximized, false},
        {"a normal main window, itself restored", Qt::WindowNoState, true},
        {"a maximised main window, itself restored", Qt::WindowMaximized, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        testsupport::Workspace main;
        main.setWindowState(row.former);
        main.show();
        ZoomScreen zoom(&main);
        bool mainMinimised = false;
        Qt::WindowStates mainAfter;
        bool zoomMinimisedAfter = true;
        QTimer::singleShot(0, &zoom, [&] {
            zoom.setWindowState(zoom.windowState() | Qt::WindowMinimized);
            mainMinimised = main.isMinimized();
            QWindowStateChangeEvent again(zoom.windowState());
            QCoreApplication::sendEvent(&zoom, &again);
            zoom.resize(zoom.width() + 10, zoom.height());
            if (row.mainComesBack) {
                main.setWindowState(main.windowState() & ~Qt::WindowMinimized);
                EXPECT_TRUE(QTest::qWaitFor([&] { return !zoom.isMinimized(); }, 5000));
            } else {
                zoom.setWindowState(zoom.windowState() & ~Qt::WindowMinimized);
            }
            mainAfter = main.windowState();
            zoomMinimisedAfter = zoom.isMinimized();
            zoom.cmdCancel->click();
        });
        zoom.exec();
        EXPECT_TRUE(mainMinimised) << "minimising the zoom minimises the main window";
        EXPECT_EQ(mainAfter, row.former);
        EXPECT_FALSE(zoomMinimisedAfter) << "the modal zoom comes back with the main window";
    }
}

} // namespace
