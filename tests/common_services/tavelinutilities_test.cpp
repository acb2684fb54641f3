#include "TavelinComObject.h"

#include "platform/msgbox/MsgBox.h"

#include "support/RaisedError.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace msgbox = platform::msgbox;

TEST(TavelinUtilities, ProcessIdIsThisProcess)
{
    tavelin::TavelinComObject services;
    EXPECT_EQ(services.GetProcessID(), static_cast<std::int32_t>(::getpid()));
}

TEST(TavelinUtilities, SmartTrimRemovesBlanksAndControlRunsAtBothEnds)
{
    tavelin::TavelinComObject services;
    struct Row {
        const char* why;
        QString in;
        QString out;
    };
    const Row rows[] = {
        {"tab, blank, LF in front and CR LF behind", "\t \nword\r\n", "word"},
        {"only trim characters", " \t\r\n\b\f\v ", ""},
        {"blanks and tabs inside stay", "  a b\tc  ", "a b\tc"},
        {"mixed runs in any order", "\v\f\b x\b\f\v", "x"},
        {"other whitespace is kept", QStringLiteral("\u3000x\u3000"), QStringLiteral("\u3000x\u3000")},
        {"empty", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(services.SmartTrim(row.in), row.out);
    }
}

TEST(TavelinUtilities, MessageBoxesCarryTheStyleAndTheCaption)
{
    tavelin::TavelinComObject services;
    msgbox::ClearQueue();
    services.SetCaption(QStringLiteral("見出し"));
    services.CriticalMessage("stop");
    services.InformationMessage("info");
    // Offscreen a box takes its default button: No with the default Button, Yes with 0.
    EXPECT_EQ(services.QuestionMessage("question"), msgbox::Answer::No);
    EXPECT_EQ(services.QuestionMessage("question", 0), msgbox::Answer::Yes);
    msgbox::QueueAnswer(msgbox::Answer::Yes);
    EXPECT_EQ(services.QuestionMessage("question"), msgbox::Answer::Yes);

    const auto& shown = msgbox::ShownBoxes();
    ASSERT_EQ(shown.size(), 5u);
    const std::int32_t styles[] = {16, 64, 292, 36, 292};
    for (std::size_t i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(shown[i].buttons, styles[i]);
        EXPECT_EQ(shown[i].title, QStringLiteral("見出し"));
    }
    EXPECT_EQ(shown[0].prompt, "stop");

    EXPECT_RAISES(services.QuestionMessage("x", 2147483647 - 35), platform::vbrt::ErrorNumber::Overflow);
    EXPECT_EQ(shown.size(), 5u);

    tavelin::TavelinComObject untitled;
    untitled.InformationMessage("no caption yet");
    EXPECT_FALSE(shown.back().title.isEmpty());
}
