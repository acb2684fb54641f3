#include "platform/regexp/RegExp.h"

#include "support/RaisedError.h"

using platform::regexp::ExpandReplacement;
using platform::regexp::Match;
using platform::regexp::RegExp;

namespace {

// "first:length" per match, joined by spaces, so a row reads like the matches it expects.
QString Spans(const std::vector<Match>& matches)
{
    QStringList spans;
    for (const Match& match : matches)
        spans << QStringLiteral("%1:%2").arg(match.FirstIndex).arg(match.Length);
    return spans.join(u' ');
}

} // namespace

TEST(RegExp, ExecuteFindsTheOldEnginesMatches)
{
    struct Row {
        const char* why;
        QString pattern;
        bool ignoreCase;
        QString text;
        QString spans;
    };
    const Row rows[] = {
        {"literal", "ab", false, "xabyab", "1:2 4:2"},
        {"case counts", "AB", false, "ab AB", "3:2"},
        {"case ignored", "AB", true, "ab AB", "0:2 3:2"},
        {"case ignored for full-width letters", QStringLiteral("ＡＢ"), true, QStringLiteral("ａｂ"), "0:2"},
        {"dot matches CR but not LF", "a.b", false, "a\rb a\nb", "0:3"},
        {"$ is the end of the input only", "b$", false, "ab\nab\n", ""},
        {"$ at the very end", "b$", false, "ab\r\nab", "5:1"},
        {"$ inside a class is a dollar", "[$]", false, "a$", "1:1"},
        {"^ is the start of the input only", "^a", false, "a\r\na", "0:1"},
        {"\\uhhhh", "\\u3042", false, QStringLiteral("いあ"), "1:1"},
        {"\\uhhhh inside a class", "[\\u3041-\\u3093]+", false, QStringLiteral("abあいc"), "2:2"},
        {"\\u without digits is the letter u", "\\u1", false, "u1", "0:2"},
        {"\\xhh", "\\x41", false, "bA", "1:1"},
        {"\\v is the vertical tab", "\\v", false, "a\x0b", "1:1"},
        {"\\w is ASCII only", "\\w+", false, QStringLiteral("aéあ_1"), "0:1 3:2"},
        {"\\d is ASCII only", "\\d", false, QStringLiteral("１2"), "1:1"},
        {"\\s is ASCII only", "\\s", false, QStringLiteral("a\u3000b\tc"), "3:1"},
        {"\\b around ASCII words", "\\bab\\b", false, QStringLiteral("ab abc あab"), "0:2 8:2"},
        {"an unknown letter escape is the letter", "\\q\\e", false, "qe", "0:2"},
        {"[] matches nothing", "a[]", false, "a]", ""},
        {"[^] matches anything", "a[^]b", false, "a\nb", "0:3"},
        {"[ inside a class is plain", "[[:]+", false, "a[:]", "1:2"},
        {"groups", "(a)(b)?", false, "ab a", "0:2 3:1"},
        {"lookahead leaves its text unmatched", "a(?=b)", false, "ab ac ab", "0:1 6:1"},
        {"an empty match moves on one character", "x*", false, "axxb", "0:0 1:2 3:0 4:0"},
        {"a surrogate pair counts as two characters", "b", false, QStringLiteral("\U0001F600b"), "2:1"},
        {"empty matches step over a surrogate pair", "", false, QStringLiteral("\U0001F600"), "0:0 2:0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        RegExp expression;
        expression.SetPattern(row.pattern);
        expression.SetIgnoreCase(row.ignoreCase);
        expression.SetGlobal(true);
        EXPECT_EQ(Spans(expression.Execute(row.text)), row.spans);
        EXPECT_EQ(expression.Test(row.text), !row.spans.isEmpty());
    }
}

TEST(RegExp, ExecuteReportsGroupsAndStopsAfterOneUnlessGlobal)
{
    RegExp expression;
    expression.SetPattern(QStringLiteral("(\\d+)(x)?"));
    const std::vector<Match> first = expression.Execute(QStringLiteral("a12 34x"));
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0], (Match{1, 2, "12", {"12", ""}}));

    expression.SetGlobal(true);
    const std::vector<Match> all = expression.Execute(QStringLiteral("a12 34x"));
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1], (Match{4, 3, "34x", {"34", "x"}}));
}

TEST(RegExp, ReplaceExpandsEveryReference)
{
    struct Row {
        const char* why;
        QString pattern;
        QString replacement;
        QString text;
        QString result;
    };
    const Row rows[] = {
        {"plain", "b", "X", "abcb", "aXcX"},
        {"groups swapped", "(\\w)(\\d)", "$2$1", "a1 b2", "1a 2b"},
        {"$& the match", "b+", "[$&]", "abbc", "a[bb]c"},
        {"$` and $'", "c", "<$`|$'>", "abcde", "ab<ab|de>de"},
        {"$$ one dollar", "b", "$$", "abc", "a$c"},
        {"$0 stays as written", "b", "$0", "abc", "a$0c"},
        {"a group beyond the pattern's stays as written", "(b)", "$2", "abc", "a$2c"},
        {"$12 with one group is group 1 and a 2", "(b)", "$12", "abc", "ab2c"},
        {"$nn takes two digits when there are that many groups",
         "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)", "$11$10", "abcdefghijk", "kj"},
        {"a group that took no part is empty", "a(x)?", "[$1]", "ab", "[]b"},
        {"a lone dollar at the end", "b", "$", "abc", "a$c"},
        {"a dollar before another character", "b", "$z", "abc", "a$zc"},
        {"empty matches", "x*", "-", "ab", "-a-b-"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        RegExp expression;
        expression.SetPattern(row.pattern);
        expression.SetGlobal(true);
        EXPECT_EQ(expression.Replace(row.text, row.replacement), row.result);
    }
}

TEST(RegExp, ExpandsAgainstARecordedMatchInItsWholeText)
{
    // The group lies in a lookahead, outside the match itself.
    RegExp expression;
    expression.SetPattern(QStringLiteral("a(?=(\\d))"));
    expression.SetGlobal(true);
    const QString text = QStringLiteral("xa7");
    const std::vector<Match> matches = expression.Execute(text);
    ASSERT_EQ(matches.size(), 1u);
    EXPECT_EQ(ExpandReplacement(QStringLiteral("<$1|$`|$'>"), matches[0], text), QStringLiteral("<7|x|7>"));
}

TEST(RegExp, AnUnusablePatternRaisesWhenUsedOnly)
{
    const QString patterns[] = {"(a", "a)", "[a", "*a", "a{2,1}", "\\"};
    for (const QString& pattern : patterns) {
        SCOPED_TRACE(pattern.toStdString());
        RegExp expression;
        expression.SetPattern(pattern); // setting it raises nothing
        EXPECT_RAISES(expression.Execute(QStringLiteral("a")), platform::regexp::SyntaxError);
        EXPECT_RAISES(expression.Test(QStringLiteral("a")), platform::regexp::SyntaxError);
        EXPECT_RAISES(expression.Replace(QStringLiteral("a"), QStringLiteral("b")), platform::regexp::SyntaxError);
    }
}

TEST(RegExp, ChangingThePatternOrCaseTakesEffect)
{
    RegExp expression;
    expression.SetGlobal(true);
    expression.SetPattern(QStringLiteral("(a"));
    EXPECT_RAISES(expression.Test(QStringLiteral("a")), platform::regexp::SyntaxError);
    expression.SetPattern(QStringLiteral("A"));
    EXPECT_FALSE(expression.Test(QStringLiteral("a")));
    expression.SetIgnoreCase(true);
    EXPECT_TRUE(expression.Test(QStringLiteral("a")));
}
