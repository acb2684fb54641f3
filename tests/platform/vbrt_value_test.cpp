#include "platform/vbrt/Value.h"

#include "support/RaisedError.h"

#include <cmath>
#include <limits>

using namespace platform::vbrt;

TEST(VbValue, NumericTextAndItsValue)
{
    struct Row {
        const char* why;
        QString text;
        bool numeric;
        double value;
    };
    const Row rows[] = {
        {"whole", "3", true, 3},
        {"blanks around", "  3  ", true, 3},
        {"sign", "-2", true, -2},
        {"plus sign", "+7", true, 7},
        {"decimals", "2.5", true, 2.5},
        {"leading point", ".5", true, 0.5},
        {"trailing point", "5.", true, 5},
        {"exponent", "1e3", true, 1000},
        {"signed exponent", "2.5E-1", true, 0.25},
        {"tiny reads as zero", "1e-400", true, 0},
        {"empty", "", false, 0},
        {"blanks only", "   ", false, 0},
        {"lone sign", "-", false, 0},
        {"lone point", ".", false, 0},
        {"letters", "abc", false, 0},
        {"trailing letters", "3a", false, 0},
        {"exponent without digits", "1e", false, 0},
        {"two points", "1.2.3", false, 0},
        {"inner blank", "1 2", false, 0},
        {"tab is no blank", "\t3", false, 0},
        {"too large for a double", "1e400", false, 0},
        {"decimal comma", "2,5", false, 0},
        {"leading zeros", "-007", true, -7},
        {"sixteen digits", "9007199254740993", true, 9007199254740992.0},
        {"twenty digits", "12345678901234567890", true, 12345678901234567890.0},
        {"sign after digits", "12-", false, 0},
        {"full-width digits", QStringLiteral("３２"), false, 0},
        {"ideographic space around", QStringLiteral("\u30003"), false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(IsNumeric(row.text), row.numeric);
        EXPECT_EQ(Numeric(row.text).has_value(), row.numeric);
        // Work files are read as UTF-8 where they lie: the same text must read the same.
        const QByteArray utf8 = row.text.toUtf8();
        EXPECT_EQ(Numeric(QByteArrayView(utf8)), Numeric(row.text));
        if (row.numeric)
            EXPECT_DOUBLE_EQ(CDbl(row.text), row.value);
        else
            EXPECT_RAISES(CDbl(row.text), ErrorNumber::TypeMismatch);
    }
}

TEST(VbValue, IntegerConversionsRoundHalvesToEven)
{
    struct Row {
        const char* why;
        double value;
        std::int32_t expected; // -99999 marks overflow of the 16-bit conversion
    };
    const Row rows[] = {
        {"half down to even", 2.5, 2},
        {"half up to even", 3.5, 4},
        {"negative half to even", -2.5, -2},
        {"negative half up", -3.5, -4},
        {"below half", 2.49, 2},
        {"above half", 2.51, 3},
        {"zero half", 0.5, 0},
        {"largest", 32767.4, 32767},
        {"smallest", -32768.5, -32768},
        {"rounds over the top", 32767.5, -99999},
        {"below the bottom", -32769, -99999},
        {"not a number", std::nan(""), -99999},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        if (row.expected == -99999) {
            EXPECT_RAISES(CInt(row.value), ErrorNumber::Overflow);
        } else {
            EXPECT_EQ(CInt(row.value), row.expected);
            EXPECT_EQ(CLng(row.value), row.expected);
        }
    }
    EXPECT_EQ(CLng(2147483647.4), 2147483647);
    EXPECT_RAISES(CLng(2147483647.5), ErrorNumber::Overflow);
    EXPECT_RAISES(CLng(std::numeric_limits<double>::infinity()), ErrorNumber::Overflow);
}

TEST(VbValue, IntIsFloor)
{
    EXPECT_EQ(Int(2.7), 2);
    EXPECT_EQ(Int(-2.5), -3);
    EXPECT_EQ(Int(-2.0), -2);
}

TEST(VbValue, TrimRemovesBlanksOnly)
{
    const QString text = QStringLiteral("  \ta b\t \u3000 ");
    EXPECT_EQ(LTrim(text), QStringLiteral("\ta b\t \u3000 "));
    EXPECT_EQ(RTrim(text), QStringLiteral("  \ta b\t \u3000"));
    EXPECT_EQ(Trim(text), QStringLiteral("\ta b\t \u3000"));
    EXPECT_EQ(Trim(QStringLiteral("   ")), QString());
    EXPECT_EQ(TrimBlanksAndTabs(text), QStringLiteral("a b\t \u3000")) << "TABs at the ends go too";
}

TEST(VbValue, VariantCoercions)
{
    struct Row {
        const char* why;
        QVariant value;
        QString text;        // CStr; "!" marks a type mismatch
        std::int32_t number; // CLng; -99999 marks a type mismatch, -88888 an overflow
        int boolean;         // CBool: 0, 1, or -1 for a type mismatch
    };
    const Row rows[] = {
        {"empty value", QVariant(), "", 0, 0},
        {"numeric text", QStringLiteral(" 12 "), " 12 ", 12, 1},
        {"text true", QStringLiteral("tRUE"), "tRUE", -99999, 1},
        {"text false", QStringLiteral("False"), "False", -99999, 0},
        {"other text", QStringLiteral("yes"), "yes", -99999, -1},
        {"boolean true", true, "True", -1, 1},
        {"boolean false", false, "False", 0, 0},
        {"double half to even", 4.5, "4.5", 4, 1},
        {"large double", 1e20, "1E+20", -88888, 1},
        {"64-bit integer beyond Long", QVariant::fromValue(qlonglong(1) << 40), "1099511627776", -88888, 1},
        {"list", QStringList{QStringLiteral("a")}, "!", -99999, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        if (QString::fromUtf8("!") == row.text)
            EXPECT_RAISES(CStr(row.value), ErrorNumber::TypeMismatch);
        else
            EXPECT_EQ(CStr(row.value), row.text);
        if (row.number == -99999)
            EXPECT_RAISES(CLng(row.value), ErrorNumber::TypeMismatch);
        else if (row.number == -88888)
            EXPECT_RAISES(CLng(row.value), ErrorNumber::Overflow);
        else
            EXPECT_EQ(CLng(row.value), row.number);
        if (row.boolean < 0)
            EXPECT_RAISES(CBool(row.value), ErrorNumber::TypeMismatch);
        else
            EXPECT_EQ(CBool(row.value), row.boolean == 1);
    }
    EXPECT_RAISES(CInt(QVariant(40000)), ErrorNumber::Overflow);
    EXPECT_EQ(CInt(QVariant(QStringLiteral("2.5"))), 2);
}

TEST(VbValue, CentimetresAndTwips)
{
    struct Row {
        const char* why;
        float centimeters;
        std::int32_t twips;
    };
    const Row rows[] = {
        {"one centimetre", 1.0f, 566},
        {"ten centimetres", 10.0f, 5669},
        {"2.54 as a float lies just below", 2.54f, 1439},
        {"negative rounds down", -1.0f, -567},
        {"zero", 0.0f, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        EXPECT_EQ(TwipsFromCentimeters(row.centimeters), row.twips);
    }
    EXPECT_RAISES(TwipsFromCentimeters(1e7f), ErrorNumber::Overflow);
    EXPECT_EQ(CentimetersFromTwips(1440), 2.54f);
}
