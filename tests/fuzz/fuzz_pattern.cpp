// Patterns of the pattern kind: any text is read as a recipe; what is taken
// gives values that fit the pattern as a regular expression and the longest
// value the recipe announces, whatever the draws.
#include "FuzzCheck.h"
#include "engine/oracle/OracleFunctions.h"
#include "generate/PatternRecipe.h"

#include <QRegularExpression>

#include <cstdint>
#include <vector>

namespace {

// Whether a group that holds a quantifier, or an empty alternative, is itself
// quantified: the matcher backtracks through every way of filling such a
// group ("(|||ab){500}") and may give up. Escapes and classes are stepped
// over; a rough reading is enough here.
bool NestedRepetition(const QString& pattern)
{
    std::vector<bool> groups{false};  // per open group: it holds a quantifier
    const auto quantifier = [](QChar c) { return c == u'*' || c == u'+' || c == u'?' || c == u'{'; };
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'\\') {
            ++i;
        } else if (c == u'[') {
            for (++i; i < pattern.size() && pattern[i] != u']'; ++i)
                i += pattern[i] == u'\\' ? 1 : 0;
        } else if (c == u'(') {
            groups.push_back(false);
        } else if (c == u'|' && i > 0 && (pattern[i - 1] == u'(' || pattern[i - 1] == u'|')) {
            groups.back() = true;  // an empty alternative before this bar
        } else if (c == u')' && groups.size() > 1) {
            if (pattern[i - 1] == u'|')
                groups.back() = true;  // an empty last alternative
            const bool held = groups.back();
            groups.pop_back();
            const bool quantified = i + 1 < pattern.size() && quantifier(pattern[i + 1]);
            if (held && quantified)
                return true;
            groups.back() = groups.back() || held || quantified;
        } else if (quantifier(c)) {
            groups.back() = true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString pattern = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    generate::PatternProblem problem;
    const std::optional<generate::PatternRecipe> recipe = generate::PatternRecipe::Compile(pattern, &problem);
    if (!recipe) {
        FuzzExpect(problem.position >= 0 && problem.position <= pattern.size(), "a refusal points into the pattern");
        FuzzExpect(problem.position == 0
                       || problem.message.contains(QString::number(problem.position) + QStringLiteral("文字目")),
                   "a refusal names its position");
        return 0;
    }
    FuzzExpect(recipe->MaxChars() > 0 && recipe->MaxChars() <= generate::PatternRecipe::MaxValueChars,
               "the longest value is within bounds");
    FuzzExpect(recipe->DistinctCount() >= 1 && recipe->DistinctCount() <= 1e18, "the count of values is within bounds");

    FuzzExpect(QRegularExpression(pattern).isValid(), "a pattern taken is a regular expression");
    // Anchoring wraps the pattern in a group, which can take a pattern near
    // the matcher's size limit past it; such a pattern is not held to its shape.
    const QRegularExpression shape(QRegularExpression::anchoredPattern(pattern));
    const bool checkShape = shape.isValid() && !NestedRepetition(pattern);
    // The lowest and highest draws, then a sequence that wanders between them.
    std::uint32_t state = static_cast<std::uint32_t>(size) * 2654435761u;
    for (int round = 0; round < 4; ++round) {
        const QString value = recipe->Generate([&] {
            if (round < 2)
                return round == 0 ? 0.0 : 0.9999999999;
            state = state * 1664525u + 1013904223u;
            return (state >> 8) / 16777216.0;
        });
        const QByteArray utf8 = value.toUtf8();
        FuzzExpect(value.size() <= recipe->MaxChars(), "a value fits MaxChars");
        FuzzExpect(Cp932Length(utf8.data(), static_cast<int>(utf8.size())) <= recipe->MaxBytes(), "a value fits MaxBytes");
        // The matcher backtracks: with repetition inside repetition it may
        // answer "no match" for a value that fits (seen with "((d|e)?)*"
        // nested three deep, and values a linear-time matcher accepts). Such
        // patterns are not held to it. Overlapping alternatives repeated
        // many times ("(\D|]|c){500}") take it to its match limit, which it
        // reports as an error rather than an answer: no verdict then.
        const QRegularExpressionMatch match = checkShape && value.size() <= 1000
                                                  ? shape.match(value)
                                                  : QRegularExpressionMatch();
        if (checkShape && value.size() <= 1000 && match.isValid() && !match.hasMatch()) {
            std::fprintf(stderr, "fuzz: pattern %s gave %s\n", pattern.toUtf8().toPercentEncoding().constData(),
                         utf8.toPercentEncoding().constData());
            FuzzExpect(false, "a value fits its pattern");
        }
    }
    return 0;
}
