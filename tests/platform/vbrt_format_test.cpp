#include "platform/vbrt/Format.h"

#include "support/RaisedError.h"

#include <limits>

using namespace platform::vbrt;

TEST(VbFormat, Numbers)
{
    struct Row {
        const char* why;
        double value;
        const char* pattern;
        const char* expected;
    };
    const Row rows[] = {
        {"one decimal", 3.14159, "#0.0", "3.1"},
        {"zero keeps its digit", 0, "#0.0", "0.0"},
        {"half rounds away from zero", 0.25, "#0.0", "0.3"},
        {"decimal half, not binary", 1.15, "#0.0", "1.2"},
        {"carry into a new digit", 9.96, "#0.0", "10.0"},
        {"twips shown as centimetres", 566 * 25.4 / 14400, "#0.0", "1.0"},
        {"negative", -1.26, "#0.0", "-1.3"},
        {"negative rounding to zero has no sign", -0.04, "#0.0", "0.0"},
        {"whole number", 7.5, "0", "8"},
        {"whole number, half of even", 2.5, "0", "3"},
        {"two digits", 7, "00", "07"},
        {"more digits than places", 123, "00", "123"},
        {"four digits", 42, "0000", "0042"},
        {"no leading zeros", 7, "#0", "7"},
        {"only optional places show nothing for zero", 0, "#", ""},
        {"optional fraction drops trailing zeros", 2.5, "0.##", "2.5"},
        {"optional fraction keeps the point", 2, "0.##", "2."},
        {"thousands", 1234567.891, "#,##0.00", "1,234,567.89"},
        {"literals around", 5, "\"No.\"000\\!", "No.005!"},
        {"percent", 0.256, "0.0%", "25.6%"},
        {"negative section", -3, "0;(0)", "(3)"},
        {"zero section", 0, "0;(0);\"none\"", "none"},
        {"large value", 123456789012.0, "0", "123456789012"},
        {"no integer places", 0.5, ".00", ".50"},
        {"no integer places, digits still shown", 1.5, ".00", "1.50"},
        {"literal between integer places", 123, "0-00", "1-23"},
        {"literal between padded places", 7, "0-00", "0-07"},
        {"optional place right of a zero", 5, "0#", "05"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(Format(row.value, QString::fromUtf8(row.pattern)), QString::fromUtf8(row.expected));
    }
    EXPECT_RAISES(Format(std::numeric_limits<double>::infinity(), QStringLiteral("0")), ErrorNumber::Overflow);
}

TEST(VbFormat, DatesAndTimes)
{
    const QDateTime sample(QDate(2004, 4, 3), QTime(7, 4, 9));
    const QDateTime afternoon(QDate(2024, 12, 31), QTime(15, 30, 5));
    struct Row {
        const char* why;
        QDateTime value;
        const char* pattern;
        const char* expected;
    };
    const Row rows[] = {
        {"time stamp", sample, "yyyy/mm/dd hh:mm:ss", "2004/04/03 07:04:09"},
        {"short forms", sample, "yy/m/d h:n:s", "04/4/3 7:4:9"},
        {"m after an hour is minutes", sample, "h時m分", "7時4分"},
        {"month without an hour", sample, "m月d日", "4月3日"},
        {"letter case does not matter", sample, "YYYY/MM/DD HH:NN:SS", "2004/04/03 07:04:09"},
        {"weekday names", sample, "ddd dddd aaa", "土 土曜日 土"},
        {"long month", sample, "mmmm", "4月"},
        {"weekday and week numbers", afternoon, "w ww", "3 53"},
        {"week one holds 1 January", QDateTime(QDate(2004, 1, 3), QTime()), "ww", "1"},
        {"week two starts on Sunday", QDateTime(QDate(2004, 1, 4), QTime()), "ww", "2"},
        {"day of year and quarter", afternoon, "y q", "366 4"},
        {"twelve-hour clock", afternoon, "h:nn AM/PM", "3:30 PM"},
        {"twelve-hour clock, lower case", sample, "hh a/p", "07 a"},
        {"literal text", sample, "\"yyyy\"\\y yyyy", "yyyyy 2004"},
        {"short and long date", sample, "ddddd / dddddd", "2004/04/03 / 2004年4月3日"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(Format(row.value, QString::fromUtf8(row.pattern)), QString::fromUtf8(row.expected));
    }
    EXPECT_EQ(FormatTimeStamp(sample), QStringLiteral("2004/04/03 07:04:09"));
    EXPECT_EQ(Format(QDateTime(), QStringLiteral("yyyy")), QString());
}
