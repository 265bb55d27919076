#pragma once
// The pattern kind's values: a regular expression read as a recipe, e.g.
// "JP-\d{4}-[A-Z]" gives "JP-0042-A". What a pattern may say:
//   - literal characters and escaped ones (\. \- \\ \t \n \r \f, \xHH and
//     \x{HHHH}; any escaped character that is no letter or digit);
//   - classes [A-Z0-9_] with ranges of any characters ([０-９], [ぁ-ん]);
//     a negated class [^...] draws from the printable ASCII characters
//     "!" to "~" (0x21-0x7E) outside it;
//   - \d (0-9), \w (A-Z a-z 0-9 _), \s (the blank only), their negations
//     \D \W \S over the printable ASCII characters, and "." (any of "!" to
//     "~", no blank);
//   - \p{Hiragana} (ぁ to ん), \p{Katakana} (ァ to ヶ), \p{Han} (the JIS level-1
//     kanji), \P{...} over the printable ASCII characters;
//   - groups ( ), (?: ) and (?<name> ), alternatives a|b at any level, each
//     alternative equally likely;
//   - quantifiers ? * + {n} {n,} {n,m} (lazy forms alike): * is 0 to 8
//     times, + 1 to 8, {n,} n to n+8, every count up to 1000; each count of
//     a range equally likely;
//   - a leading ^ and a trailing $, which say nothing here.
// Everything else (back references, look-around, anchors and \b inside the
// pattern, possessive quantifiers, inline options, other properties) is
// refused with the position it starts at.
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace generate {

// Why a pattern was refused. `position` counts characters (UTF-16 units, as
// QString does) from 1; it is 0 when the pattern as a whole is at fault (an
// empty pattern, one that gives only the empty text).
struct PatternProblem {
    int position = 0;
    QString message;
};

class PatternRecipe {
public:
    // The longest value a recipe may give, in characters.
    static constexpr int MaxValueChars = 32767;
    // The most times one quantifier may repeat.
    static constexpr int MaxRepeat = 1000;

    // Reads `pattern`; on refusal returns nothing and fills *problem (when
    // given) with a message that names the position.
    static std::optional<PatternRecipe> Compile(const QString& pattern, PatternProblem* problem);

    // The longest value, in characters and in bytes as the embedded engine's
    // LENGTHB counts them (code page 932: one byte for ASCII and half-width
    // katakana, two for every other character).
    int MaxChars() const;
    int MaxBytes() const;
    // The longest value in bytes of UTF-8, as a server counts them.
    int MaxUtf8Bytes() const;
    // An upper bound of how many different values the recipe gives, at most
    // 1e18.
    double DistinctCount() const;

    // One value. `draw` gives uniform numbers in [0, 1), one per choice made
    // (a character of a class of more than one, an alternative, a count of a
    // quantifier whose range is more than one count).
    QString Generate(const std::function<double()>& draw) const;

private:
    struct Program;
    explicit PatternRecipe(std::shared_ptr<const Program> program) : m_program(std::move(program)) {}

    std::shared_ptr<const Program> m_program;
};

}  // namespace generate
