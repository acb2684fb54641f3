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
