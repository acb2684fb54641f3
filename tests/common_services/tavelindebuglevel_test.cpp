#include "TavelinDebugLevel.h"
#include "TavelinComObject.h"

#include "platform/msgbox/MsgBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using tavelin::TavelinDebugLevel;
namespace msgbox = platform::msgbox;

namespace {

class DebugLevelDialog : public ::testing::Test {
public:
    void SetUp() override
    {
        msgbox::ClearQueue();
        dialog.TrayDebugLevel = 5;
        dialog.TrayDebugFileFlash = true;
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog, 30000));
    }
    void TearDown() override
    {
        dialog.close();
        const QWidgetList windows = QApplication::topLevelWidgets();
        EXPECT_TRUE(std::none_of(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); }));
    }
    void clearBox()
    {
        dialog.txtDebugLevel->selectAll();
        QTest::keyClick(dialog.txtDebugLevel, Qt::Key_Backspace);
    }
    void paste(const QString& text)
    {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(dialog.txtDebugLevel, Qt::Key_V, Qt::ControlModifier);
    }

    TavelinDebugLevel dialog;
};

} // namespace

TEST_F(DebugLevelDialog, ShowsTheValuesAndTheLayout)
{
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ﾃﾞﾊﾞｯｸﾞ･ﾚﾍﾞﾙ設定"));
    EXPECT_EQ(dialog.txtDebugLevel->text(), "5");
    EXPECT_TRUE(dialog.chkFlash->isChecked());
    EXPECT_EQ(dialog.txtDebugLevel->selectedText(), "5");
    EXPECT_EQ(dialog.txtDebugLevel->maxLength(), 2);
    EXPECT_EQ(dialog.Label1->buddy(), dialog.txtDebugLevel);
    EXPECT_TRUE(dialog.cmdUpdate->isDefault());
    // 210 by 88 pixels as designed, larger only by what the captions need in this font (below).
    EXPECT_GE(dialog.width(), 210);
    EXPECT_EQ(dialog.height(), 88);
    EXPECT_EQ(dialog.cmdCancel->geometry(), QRect(dialog.width() - 50, 56, 40, 24));
    EXPECT_EQ(dialog.txtDebugLevel->nextInFocusChain(), dialog.chkFlash);
    EXPECT_EQ(dialog.chkFlash->nextInFocusChain(), dialog.cmdUpdate);
    EXPECT_EQ(dialog.cmdUpdate->nextInFocusChain(), dialog.cmdCancel);
}

TEST(DebugLevelDialogLayout, EveryCaptionHasTheRoomItsTextNeeds)
{
    const QFont font = QApplication::font();
    struct Row {
        const char* why;
        double points; // 0: the desktop's font as it is
    };
    const Row rows[] = {{"the desktop's font", 0}, {"a large font", 14}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        QFont f = font;
        if (row.points > 0)
            f.setPointSizeF(row.points);
        QApplication::setFont(f);
        TavelinDebugLevel d;
        for (QWidget* caption : {static_cast<QWidget*>(d.Label1), static_cast<QWidget*>(d.chkFlash)}) {
            SCOPED_TRACE(caption->metaObject()->className());
            EXPECT_GE(caption->width(), caption->sizeHint().width());
            EXPECT_GE(caption->height(), caption->sizeHint().height());
            EXPECT_TRUE(d.rect().contains(caption->geometry()));
        }
        EXPECT_LT(d.Label1->geometry().right(), d.txtDebugLevel->x()) << "the label stays left of its box";
        EXPECT_EQ(d.txtDebugLevel->x(), d.chkFlash->x());
        EXPECT_LT(d.chkFlash->geometry().bottom(), d.cmdUpdate->y());
        EXPECT_TRUE(d.rect().contains(d.cmdCancel->geometry()));
    }
    QApplication::setFont(font);
}

TEST_F(DebugLevelDialog, UpdateAcceptsLevelsFrom0To99Only)
{
    struct Row {
        const char* why;
        std::function<void(DebugLevelDialog&)> enter;
        const char* box; // what the box holds when Update is pressed
        bool accepted;
        std::int16_t level;
    };
    auto type = [](const char* keys) {
        return [keys](DebugLevelDialog& t) {
            t.clearBox();
            QTest::keyClicks(t.dialog.txtDebugLevel, keys);
        };
    };
    const Row rows[] = {
        {"0", type("0"), "0", true, 0},
        {"99", type("99"), "99", true, 99},
        {"letters and signs are dropped", type("a-1 .x2"), "12", true, 12},
        {"100 cannot be typed", type("100"), "10", true, 10},
        {"a pasted -1", [](DebugLevelDialog& t) { t.clearBox(); t.paste("-1"); }, "-1", false, 5},
        {"an emptied box", [](DebugLevelDialog& t) { t.clearBox(); }, "", false, 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        msgbox::ClearQueue();
        dialog.TrayDebugLevel = 5;
        dialog.TrayDebugFileFlash = true;
        dialog.setResult(-1);
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog, 30000));
        dialog.txtDebugLevel->setFocus();
        dialog.chkFlash->setChecked(false);
        row.enter(*this);
        EXPECT_EQ(dialog.txtDebugLevel->text(), row.box);
        QTest::mouseClick(dialog.cmdUpdate, Qt::LeftButton);
        if (row.accepted) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_FALSE(dialog.TrayDebugFileFlash);
            EXPECT_TRUE(msgbox::ShownBoxes().empty());
        } else {
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_TRUE(dialog.TrayDebugFileFlash);
            ASSERT_EQ(msgbox::ShownBoxes().size(), 1u);
            EXPECT_EQ(msgbox::ShownBoxes()[0].prompt, QStringLiteral("入力が不正です。"));
            EXPECT_EQ(msgbox::ShownBoxes()[0].buttons, msgbox::Style::Critical);
            EXPECT_EQ(msgbox::ShownBoxes()[0].title, dialog.windowTitle());
            EXPECT_EQ(QApplication::focusWidget(), dialog.txtDebugLevel);
        }
        EXPECT_EQ(dialog.TrayDebugLevel, row.level);
    }
}

TEST_F(DebugLevelDialog, EscapeAndCtrlF4CancelEnterUpdates)
{
    struct Row {
        const char* why;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool accepted;
    };
    const Row rows[] = {
        {"Esc", Qt::Key_Escape, Qt::NoModifier, false},
        {"Ctrl+F4", Qt::Key_F4, Qt::ControlModifier, false},
        {"Enter", Qt::Key_Return, Qt::NoModifier, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        dialog.TrayDebugLevel = 5;
        dialog.TrayDebugFileFlash = true;
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog, 30000));
        dialog.txtDebugLevel->setFocus();
        clearBox();
        QTest::keyClicks(dialog.txtDebugLevel, "42");
        dialog.chkFlash->setChecked(false);
        QTest::keyClick(dialog.txtDebugLevel, row.key, row.modifiers);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.TrayDebugLevel, row.accepted ? 42 : 5);
        EXPECT_EQ(dialog.TrayDebugFileFlash, !row.accepted);
    }
}

TEST_F(DebugLevelDialog, CtrlArrowsMoveTheDialogOtherKeysDoNot)
{
    const int step = qRound(100.0 / 15);
    struct Row {
        const char* why;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QPoint moved;
    };
    const Row rows[] = {
        {"Ctrl+Left", Qt::Key_Left, Qt::ControlModifier, {-step, 0}},
        {"Ctrl+Up", Qt::Key_Up, Qt::ControlModifier, {0, -step}},
        {"Ctrl+Right", Qt::Key_Right, Qt::ControlModifier, {step, 0}},
        {"Ctrl+Down", Qt::Key_Down, Qt::ControlModifier, {0, step}},
        {"plain Left", Qt::Key_Left, Qt::NoModifier, {0, 0}},
        {"Ctrl+Shift+Left", Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier, {0, 0}},
        {"Alt+F4 is not ours", Qt::Key_F4, Qt::AltModifier, {0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        const QPoint before = dialog.pos();
        QTest::keyClick(dialog.chkFlash, row.key, row.modifiers);
        EXPECT_EQ(dialog.pos() - before, row.moved);
        EXPECT_TRUE(dialog.isVisible());
    }
}

TEST_F(DebugLevelDialog, LeavingTheBoxRewritesANumberWithoutLeadingZeros)
{
    dialog.txtDebugLevel->setFocus();
    clearBox();
    QTest::keyClicks(dialog.txtDebugLevel, "07");
    dialog.chkFlash->setFocus();
    EXPECT_EQ(dialog.txtDebugLevel->text(), "7");
}

TEST(DebugLevelForm, TheDialogSetsTheObjectsLevelAndFlash)
{
    tavelin::TavelinComObject services;
    services.DebugLevelSet(7);
    auto drive = [](const QString& level, bool flash, bool update) {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<TavelinDebugLevel*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->txtDebugLevel->setText(level);
            dialog->chkFlash->setChecked(flash);
            QTest::mouseClick(update ? dialog->cmdUpdate : dialog->cmdCancel, Qt::LeftButton);
        });
    };
    drive("2", true, true);
    services.DebugLevelForm();
    EXPECT_EQ(services.DebugLevelSet(), 2); // the dialog may lower the level
    EXPECT_TRUE(services.State().DebugFlash);

    drive("50", false, false);
    services.DebugLevelForm();
    EXPECT_EQ(services.DebugLevelSet(), 2);
    EXPECT_TRUE(services.State().DebugFlash);
}
