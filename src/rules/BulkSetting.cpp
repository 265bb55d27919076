#include "rules/BulkSetting.h"

#include "controls/GridModel.h"
#include "rules/RuleLook.h"

#include <algorithm>

namespace rules {

using basKovaData::ColumnRule;
using basKovaData::ColumnRules;

std::optional<BulkFamily> BulkTarget::firstSettable() const
{
    for (int i = 0; i < BulkFamilyCount; ++i) {
        if (!lists[std::size_t(i)].isEmpty())
            return BulkFamily(i);
    }
    return std::nullopt;
}

std::optional<BulkFamily> FamilyOfType(const QString& typeText)
{
    if (typeText.startsWith(QLatin1String("NUMBER")))
        return BulkFamily::Numeric;
    if (typeText.startsWith(QLatin1String("CHAR")) || typeText.startsWith(QLatin1String("VARCHAR2")))
        return BulkFamily::Character;
    if (typeText.startsWith(QLatin1String("DATE")) || typeText.startsWith(QLatin1String("TIMESTAMP")))
        return BulkFamily::Date;
    return std::nullopt;
}

BulkTarget ComputeBulkTarget(const controls::GridModel& grid, int columnCount)
{
    BulkTarget target;
    target.firstRow = std::min(grid.Row(), grid.RowSel());
    target.lastRow = std::max(grid.Row(), grid.RowSel());
    const int selected = target.lastRow - target.firstRow + 1;
    if (selected == columnCount || selected < 2)
        target.label = QStringLiteral("対象 → 全項目");
    else
        target.label = QStringLiteral("対象 → ") + QString::number(selected) + QStringLiteral("項目");
    if (selected < 2) {
        target.firstRow = 1;
        target.lastRow = columnCount;
    }
    for (int row = target.firstRow; row <= target.lastRow; ++row) {
        if (const auto family = FamilyOfType(grid.TextMatrix(row, BulkTypeColumn)))
            target.lists[std::size_t(*family)].append(qint16(row));
    }
    return target;
}

QString NothingSettableMessage()
{
    return QStringLiteral("設定可能な項目がひとつも選択されていません。");
}

ColumnRule NeutralBulkRule(BulkFamily family)
{
    static const std::array<QString, BulkFamilyCount> typeTexts = {
        QStringLiteral("NUMBER"), QStringLiteral("文字列型"), QStringLiteral("DATE型")};
    ColumnRule rule;
    rule.ColumnName = QStringLiteral("一括設定");
    rule.TypeText = typeTexts[std::size_t(family)];
    rule.IsKey = false;
    rule.IsNotNull = true;
    rule.Length = 0;
    rule.Scale = 0;
    rule.clearRule();
    rule.setKind(basKovaData::Kind::Single);
    return rule;
}

bool ApplyBulkRule(controls::GridModel& grid, const QList<qint16>& rows)
{
    if (basKovaData::EditCancelled)
        return false;
    const ColumnRule& edited = basKovaData::CurrentRule;
    for (const qint16 row : rows) {
        if (row < 1 || std::size_t(row) >= ColumnRules.size())
            continue;
        ColumnRule& rule = ColumnRules[std::size_t(row)];
        rule.NumValue = edited.NumValue;
        rule.MultiOn = edited.MultiOn;
        rule.TextValue = edited.TextValue;
        rule.RuleKind = edited.RuleKind;
        rule.NullRate = rule.IsKey || rule.IsNotNull ? 0 : edited.NullRate;
        rule.RandomOrder = edited.RandomOrder;
        rule.Weight = edited.Weight;
        rule.Unique = edited.Unique;
        rule.Pattern = edited.Pattern;
        rule.Expression = edited.Expression;
        grid.setRow(row);
        grid.setCol(BulkRuleColumn);
        if (const auto look = basKovaData::StoredRuleLook(rule.kindNumber()))
            basKovaData::PaintRuleCell(grid, row, BulkRuleColumn, *look);
    }
    return true;
}

}  // namespace rules
