#pragma once

// The regular-expression object: a pattern in the old engine's syntax, its options, and the
// matches of a text with their offsets and lengths counted in UTF-16 characters.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::regexp {

// One match of a text.
struct Match {
    std::int32_t FirstIndex = 0;  // offset in the text, from 0
    std::int32_t Length = 0;
    QString Value;
    QStringList SubMatches;       // one per group of the pattern; a group that took no part is ""

    friend bool operator==(const Match&, const Match&) = default;
};

// Error number raised for a pattern that cannot be used.
inline constexpr std::int32_t SyntaxError = 5017;

class RegExp {
public:
    RegExp();
    ~RegExp();
    RegExp(const RegExp&) = delete;
    RegExp& operator=(const RegExp&) = delete;

    QString Pattern() const { return pattern_; }
    void SetPattern(const QString& pattern);
    bool IgnoreCase() const { return ignoreCase_; }
    void SetIgnoreCase(bool on);
    // True: every match of a text; false: the first one alone.
    bool Global() const { return global_; }
    void SetGlobal(bool on);

    // Each raises SyntaxError when the pattern cannot be used; setting a pattern never does.
    bool Test(const QString& source) const;
    // The matches left to right, never overlapping; after an empty match the search goes on one
    // character further.
    std::vector<Match> Execute(const QString& source) const;
    // The source with every match (the first alone unless Global) replaced by the replacement,
    // expanded as ExpandReplacement says.
    QString Replace(const QString& source, const QString& replacement) const;

private:
    struct Compiled;
    const Compiled& compiled() const;

    QString pattern_;
    bool ignoreCase_ = false;
    bool global_ = false;
    mutable std::unique_ptr<Compiled> compiled_;
};

// The replacement text for one match of source: "$1".."$99" the group's text ("$nn" takes two
// digits only when the pattern has that many groups; a number beyond them stays as written),
// "$&" the match, "$`" the text before it, "$'" the text after it, "$$" one "$".
QString ExpandReplacement(const QString& replacement, const Match& match, const QString& source);

// The pattern in the matching engine's own syntax: "$" outside a class is the end of the input
// only, "\uhhhh" a UTF-16 character, "\v" the vertical tab, a backslash before a letter without
// a meaning of its own that letter, "[]" nothing and "[^]" anything.
QString TranslatePattern(const QString& pattern);

} // namespace platform::regexp
