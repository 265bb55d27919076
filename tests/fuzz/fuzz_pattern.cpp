// Patterns of the pattern kind: any text is read as a recipe; what is taken
// gives values that fit the pattern as a regular expression and the longest
// value the recipe announces, whatever the draws.
#include "FuzzCheck.h"
#include "engine/OracleFunctions.h"
#include "generate/PatternRecipe.h"

#include <QRegularExpression>

#include <cstdint>

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

    const QRegularExpression shape(QRegularExpression::anchoredPattern(pattern));
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
        // Long values may run into the matcher's own limits.
        if (value.size() <= 1000 && !shape.match(value).hasMatch()) {
            std::fprintf(stderr, "pattern %s gave %s\n", qPrintable(pattern), qPrintable(value));
            FuzzExpect(false, "a value fits its pattern");
        }
    }
    return 0;
}
