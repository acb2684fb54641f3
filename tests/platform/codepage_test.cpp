#include "platform/codepage/CodePage.h"

#include "support/RaisedError.h"

using namespace platform::codepage;

TEST(CodePage, RoundTripsJapaneseAndHalfWidthText)
{
    struct Row { const char* why; QString text; QByteArray bytes; };
    const Row rows[] = {
        {"ascii", QStringLiteral("ABC 123"), QByteArray("ABC 123")},
        {"full-width", QStringLiteral("ＭＳ ゴシック"), QByteArray("\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e")},
        {"half-width kana", QStringLiteral("ﾌｫﾝﾄ"), QByteArray("\xcc\xab\xdd\xc4")},
        {"cp932 extension (NEC circled digit)", QStringLiteral("①"), QByteArray("\x87\x40")},
        {"wave dash maps to the cp932 full-width tilde", QStringLiteral("～"), QByteArray("\x81\x60")},
        {"empty", QString(), QByteArray()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(ToShiftJis(row.text), row.bytes);
        EXPECT_EQ(FromShiftJis(row.bytes), row.text);
        EXPECT_EQ(ByteWidth(row.text), row.bytes.size());
    }
}

TEST(CodePage, RefusesWhatShiftJisCannotHold)
{
    EXPECT_FALSE(CanEncode(QStringLiteral("é and 😀")));
    EXPECT_RAISES(ToShiftJis(QStringLiteral("Ω≠😀"), "Writer"), platform::vbrt::ErrorNumber::Application);
    EXPECT_EQ(ByteWidth(QStringLiteral("a😀")), 3);

    EXPECT_FALSE(IsValidShiftJis(QByteArray("\x82", 1)));      // lead byte without its trail
    EXPECT_FALSE(IsValidShiftJis(QByteArray("\xff\xff", 2)));
    EXPECT_RAISES(FromShiftJis(QByteArray("ab\x82", 3)), platform::vbrt::ErrorNumber::Application);
}

TEST(CodePage, EachConversionStandsAlone)
{
    // One text's failure, or a lead byte left at its end, must not reach the text after it.
    struct Step { const char* why; QByteArray bytes; bool valid; QString text; };
    const Step decodes[] = {
        {"lead byte without its trail", QByteArray("\x82", 1), false, QString()},
        {"a trail byte alone is a letter", QByteArray("\x6c"), true, QStringLiteral("l")},
        {"invalid pair", QByteArray("\xff\xff", 2), false, QString()},
        {"full-width after a failure", QByteArray("\x82\x6c"), true, QStringLiteral("Ｍ")},
        {"ascii", QByteArray("ok"), true, QStringLiteral("ok")},
    };
    for (const Step& step : decodes) {
        SCOPED_TRACE(step.why);
        EXPECT_EQ(IsValidShiftJis(step.bytes), step.valid);
        if (step.valid) {
            EXPECT_EQ(FromShiftJis(step.bytes), step.text);
        }
    }

    struct Out { const char* why; QString text; bool valid; QByteArray bytes; };
    const Out encodes[] = {
        {"emoji", QStringLiteral("😀"), false, {}},
        {"ascii after a failure", QStringLiteral("A"), true, QByteArray("A")},
        {"high surrogate left at the end", QString(QChar(0xD83D)), false, {}},
        {"its low half alone", QString(QChar(0xDE00)), false, {}},
        {"full-width", QStringLiteral("Ｍ"), true, QByteArray("\x82\x6c")},
    };
    for (const Out& step : encodes) {
        SCOPED_TRACE(step.why);
        EXPECT_EQ(CanEncode(step.text), step.valid);
        if (step.valid) {
            EXPECT_EQ(ToShiftJis(step.text), step.bytes);
        }
    }
}
