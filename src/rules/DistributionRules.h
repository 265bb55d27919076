#pragma once
// What the rule editors show of a 分布 rule, which they never edit in place,
// and the ordinary rule it can be turned into where one says the same:
//   - a personal column's dictionary: 辞書 with that dictionary;
//   - frequent values that cover every non-NULL row, at most 16 of them:
//     複数固定 in random order, weighted by their shares (1 to 1000);
//   - numbers and dates: ランダム from the smallest to the largest value;
//   - texts whose values nearly all (90 %) share one shape: パターン of that
//     shape;
// each with the profile's NULL share as its NULL rate (in whole percent;
// none on a key or NOT NULL column). Anything else cannot be said by an
// ordinary rule, and the reason is given.
#include "rules/ColumnRule.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace generate {
struct ColumnProfile;
}

namespace basKovaData {

// The share of the non-NULL rows the first shape must hold to become a
// パターン.
inline constexpr double DominantShapeShare = 0.9;
// The frequent values the editor lists, most frequent first.
inline constexpr int ShownFrequentValues = 8;

// The figures of a profile as the editors list them: a caption and its text.
std::vector<std::pair<QString, QString>> DistributionFigures(const generate::ColumnProfile& profile);

struct OrdinaryRule {
    std::optional<ColumnRule> rule;  // the column's record with the new rule
    QString reason;                  // why there is none
};

// The ordinary rule that says what `rule`'s 分布 says (see above); the
// column's own part of the record (name, type, keys) is kept.
OrdinaryRule OrdinaryRuleOf(const ColumnRule& rule);

// The regular expression of a text shape (see ColumnProfile::Shape): a
// class per shape character, a run of one class as a count.
QString PatternOfShape(const QString& shape);

}  // namespace basKovaData
