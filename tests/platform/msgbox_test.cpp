#include "platform/msgbox/MsgBox.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace platform::msgbox;

TEST(MsgBox, QueuedAnswersComeFirstThenTheDefaultButton)
{
    ClearQueue();
    QueueAnswer(Answer::No);
    EXPECT_EQ(MsgBox("保存しますか？", Style::YesNoCancel | Style::Question, "Vellumora"), Answer::No);

    struct Row { const char* why; std::int32_t style; std::int16_t answer; };
    const Row rows[] = {
        {"ok only", Style::OKOnly | Style::Critical, Answer::OK},
        {"yes/no, first button", Style::YesNo, Answer::Yes},
        {"yes/no, second button default", Style::YesNo | Style::DefaultButton2, Answer::No},
        {"yes/no/cancel, third button default", Style::YesNoCancel | Style::DefaultButton3, Answer::Cancel},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(MsgBox("x", row.style, "t"), row.answer);
    }
    ASSERT_EQ(ShownBoxes().size(), 5u);
    EXPECT_EQ(ShownBoxes()[0].prompt, QStringLiteral("保存しますか？"));
    EXPECT_EQ(ShownBoxes()[0].title, QStringLiteral("Vellumora"));
}

TEST(MsgBox, ABoxIsCentredOnTheWindowThatRaisedIt)
{
    ClearQueue();
    QWidget main;
    QWidget child(&main);
    main.show();
    MsgBox("x", Style::OKOnly, "t", &child);
    ASSERT_EQ(ShownBoxes().size(), 1u);
    EXPECT_EQ(ShownBoxes().back().owner, &main) << "the parent's window";

    // While a dialog is in front, its boxes belong to it, whatever parent the caller named.
    QDialog dialog(&main);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    MsgBox("x", Style::OKOnly, "t", &main);
    EXPECT_EQ(ShownBoxes().back().owner, &dialog);
    MsgBox("x", Style::OKOnly, "t");
    EXPECT_EQ(ShownBoxes().back().owner, &dialog) << "also a box raised without a parent";
    dialog.hide();

    // So does a modeless dialog the user works in: the box closes back into it.
    QDialog modeless(&main);
    modeless.show();
    QApplication::setActiveWindow(&modeless);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&modeless, 30000));
    MsgBox("x", Style::OKOnly, "t", &main);
    EXPECT_EQ(ShownBoxes().back().owner, &modeless);
    QApplication::setActiveWindow(&main);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main, 30000));
    MsgBox("x", Style::OKOnly, "t", &child);
    EXPECT_EQ(ShownBoxes().back().owner, &main) << "a dialog behind the active window owns nothing";
    modeless.hide();
    ClearQueue();
}
