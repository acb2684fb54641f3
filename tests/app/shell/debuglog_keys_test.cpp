// The hidden key combination, the debug-class dialog and the version dialog.

#include "app/core/ApplicationGlobals.h"
#include "app/shell/DebugClassSet.h"
#include "app/core/DebugLog.h"
#include "app/shell/VersionInfo.h"
#include "support/ShellFakeServices.h"
#include "support/ShellProgram.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vellumora;

namespace {

class DebugKeys : public shell_test::ServicesFolder {
protected:
    void SetUp() override
    {
        ServicesFolder::SetUp();
        // The debug key reaches the shell's dialog through the program's own link.
        testsupport::ShellProgramInstall();
        ApplicationGlobals = ApplicationGlobalsRecord::Default;
        DebugInitialize();
        DebugLog.DebugKeyWindow = nullptr;
    }
    void TearDown() override
    {
        DebugLogClose();
        EXPECT_EQ(QApplication::topLevelWidgets().count(), 0);
        ServicesFolder::TearDown();
    }

    // Presses the keys in order; returns how many times the dialog opened and which keys came back
    // unconsumed.
    struct Press {
        QWidget* window;
        int key;
        int modifiers;
    };
    int pressAll(const std::vector<Press>& presses, std::vector<bool>* consumed = nullptr)
    {
        int opened = 0;
        for (const Press& press : presses) {
            bool open = false;
            QTimer::singleShot(0, [&] {
                if (auto* dialog = qobject_cast<DebugClassSet*>(QApplication::activeModalWidget())) {
                    open = true;
                    dialog->cmdCancel_Click();
                }
            });
            int key = press.key;
            DebugKeyCheck(key, press.modifiers, press.window);
            QApplication::processEvents();
            opened += open ? 1 : 0;
            if (consumed)
                consumed->push_back(key == 0);
        }
        return opened;
    }
};

constexpr int CtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

TEST_F(DebugKeys, OnlyTheTwoStepsInARowOnOneWindowOpenTheDialog)
{
    QWidget a;
    QWidget b;
    struct Row {
        const char* why;
        std::vector<Press> presses;
        int opened;
        std::vector<bool> consumed;
    };
    const Row rows[] = {
        {"both steps on one window", {{&a, DebugKeyFirst, CtrlShift}, {&a, DebugKeySecond, CtrlShift}}, 1, {true, true}},
        {"a keypad modifier is no part of it",
         {{&a, DebugKeyFirst, CtrlShift | Qt::KeypadModifier}, {&a, DebugKeySecond, CtrlShift}}, 1, {true, true}},
        {"second step on another window", {{&a, DebugKeyFirst, CtrlShift}, {&b, DebugKeySecond, CtrlShift}}, 0, {true, false}},
        {"another key between the steps",
         {{&a, DebugKeyFirst, CtrlShift}, {&a, Qt::Key_A, CtrlShift}, {&a, DebugKeySecond, CtrlShift}}, 0,
         {true, false, false}},
        {"a modifier key between the steps",
         {{&a, DebugKeyFirst, CtrlShift}, {&a, Qt::Key_Alt, CtrlShift | Qt::AltModifier}, {&a, DebugKeySecond, CtrlShift}},
         0, {true, false, false}},
        {"first step with other modifiers passes on", {{&a, DebugKeyFirst, Qt::ControlModifier}, {&a, DebugKeySecond, CtrlShift}},
         0, {false, false}},
        {"second step with other modifiers",
         {{&a, DebugKeyFirst, CtrlShift}, {&a, DebugKeySecond, CtrlShift | Qt::AltModifier}}, 0, {true, false}},
        {"second step alone", {{&a, DebugKeySecond, CtrlShift}}, 0, {false}},
        {"the first step repeated, then the second", {{&a, DebugKeyFirst, CtrlShift}, {&a, DebugKeyFirst, CtrlShift},
                                                      {&a, DebugKeySecond, CtrlShift}}, 1, {true, true, true}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        DebugLog.DebugKeyWindow = nullptr;
        std::vector<bool> consumed;
        EXPECT_EQ(pressAll(row.presses, &consumed), row.opened);
        EXPECT_EQ(consumed, row.consumed);
    }
}

TEST_F(DebugKeys, AWindowClosedAfterTheFirstStepLeavesNothingBehind)
{
    auto* a = new QWidget;
    int key = DebugKeyFirst;
    DebugKeyCheck(key, CtrlShift, a);
    delete a;
    EXPECT_TRUE(DebugLog.DebugKeyWindow.isNull());
}

TEST_F(DebugKeys, TheDialogShowsTheSwitchesAndUpdateTakesThemOver)
{
    ApplicationGlobals.DebugClass[3] = true;
    ApplicationGlobals.DebugClass[7] = true;
    ApplicationGlobals.DebugFlash = true;
    {
        DebugClassSet dialog;
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ﾃﾞﾊﾞｯｸﾞ･ﾚﾍﾞﾙ設定"));
        EXPECT_EQ(dialog.chkDebugClass[5]->text(), QStringLiteral("5:BOXﾃﾞｰﾀ(&5)"));
        for (std::size_t i = 1; i <= 9; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(dialog.chkDebugClass[i]->isChecked(), i == 3 || i == 7);
        }
        EXPECT_TRUE(dialog.chkDebugFlash->isChecked());

        // Reset clears the marks only; the switches stay until Update.
        dialog.cmdReset_Click();
        EXPECT_FALSE(dialog.chkDebugClass[3]->isChecked());
        EXPECT_TRUE(ApplicationGlobals.DebugClass[3]);

        dialog.chkDebugClass[1]->setChecked(true);
        dialog.chkDebugClass[9]->setChecked(true);
        dialog.cmdUpdate_Click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    std::array<bool, 10> expected{};
    expected[1] = expected[9] = true;
    EXPECT_EQ(ApplicationGlobals.DebugClass, expected);
    EXPECT_FALSE(ApplicationGlobals.DebugFlash);
}

TEST_F(DebugKeys, CancelAndEscKeepTheSwitches)
{
    ApplicationGlobals.DebugClass[2] = true;
    const auto before = ApplicationGlobals.DebugClass;
    for (const bool viaEsc : {false, true}) {
        SCOPED_TRACE(viaEsc);
        DebugClassSet dialog;
        dialog.chkDebugClass[2]->setChecked(false);
        dialog.chkDebugClass[4]->setChecked(true);
        if (viaEsc)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            dialog.cmdCancel_Click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(ApplicationGlobals.DebugClass, before);
    }
}

TEST_F(DebugKeys, TheVersionDialogClosesOnEscButNotOnAConsumedKey)
{
    VersionInfo dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Vellumora  ﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(dialog.lblPackageTitle->text(), QStringLiteral("Vellumora"));
    EXPECT_EQ(dialog.lblVersion->text(), QStringLiteral("Version 1.0"));
    EXPECT_TRUE(dialog.lblPackageTitle->font().bold() && dialog.lblPackageTitle->font().italic());
    EXPECT_FALSE(dialog.lblCopyright->text().isEmpty());
    EXPECT_TRUE(dialog.cmdOK->isDefault());

    dialog.show();
    int key = DebugKeyFirst;
    dialog.Form_KeyDown(key, CtrlShift);
    EXPECT_EQ(key, 0);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(DebugLog.DebugKeyWindow, &dialog);

    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    // Esc was a key between the steps: the first step is forgotten.
    EXPECT_TRUE(DebugLog.DebugKeyWindow.isNull());
}

TEST_F(DebugKeys, VersionInfoShowReturnsWhenOkIsPressed)
{
    // Looks for the modal dialog a few times; a dialog never found is closed anyway, so the test
    // fails instead of waiting for ever.
    bool clickedOk = false;
    int tries = 0;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<VersionInfo*>(QApplication::activeModalWidget())) {
            poll.stop();
            clickedOk = true;
            QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
        } else if (++tries == 200) {
            poll.stop();
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* dialog = qobject_cast<QDialog*>(top))
                    dialog->reject();
        }
    });
    poll.start();
    VersionInfoShow(nullptr);
    EXPECT_TRUE(clickedOk) << "the version dialog was shown modal and OK closed it";
}

} // namespace
