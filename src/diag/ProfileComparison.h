#pragma once
// What the comparison window (分布比較) shows: the profile a table's 分布
// rules hold, as the source, beside the profile of the table's rows now, as
// the target; the figures of CompareProfiles as grid lines.
#include "generate/ProfileCompare.h"
#include "rules/ColumnRule.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace diag {

// The profile the 分布 rules of `rules` hold: one column per rule of that
// kind, in the table's order; the row count is unknown (0).
generate::TableProfile ProfileOfRules(const basKovaData::TableRules& rules);

// 列, 指標, 元, 生成, 距離, 限度, 判定.
QStringList ComparisonHeadings();
// One line per figure, the columns first, then the foreign keys; a column or
// key that is not compared has one line with the reason under 指標.
std::vector<QStringList> ComparisonLines(const generate::TableComparison& comparison);

}  // namespace diag
