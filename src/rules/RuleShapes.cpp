#include "rules/RuleShapes.h"

#include <algorithm>
#include <array>

namespace basKovaData {

bool NullRateApplies(Kind kind)
{
    return kind != Kind::Null;
}

bool WeightsApply(Kind kind, bool randomOrder)
{
    return kind == Kind::Multiple && randomOrder;
}

bool UniqueApplies(Kind kind, bool randomOrder)
{
    switch (kind) {
    case Kind::Random:
    case Kind::Pattern:
    case Kind::Dictionary:
        return true;
    case Kind::Multiple:
        return randomOrder;
    default:
        return false;
    }
}

ShapeBoxes ShapeBoxesOf(const ColumnRule& rule)
{
    ShapeBoxes boxes;
    boxes.nullRate = QString::number(rule.NullRate);
    boxes.randomOrder = rule.RandomOrder;
    for (int weight : rule.Weight)
        boxes.weights.append(QString::number(weight));
    boxes.unique = rule.Unique;
    return boxes;
}

std::optional<int> ReadWholeIn(const QString& text, int low, int high)
{
    const QString digits = text.trimmed();
    // Plain digits only: no sign, point or separator. Five digits are more
    // than any range here needs, and keep the number far from overflowing.
    if (digits.isEmpty() || digits.size() > 5)
        return std::nullopt;
    int value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

RuleVerdict CheckShapes(ColumnRule& rule, const ShapeBoxes& boxes, bool severalColumns)
{
    const Kind kind = rule.kind();
    std::array<int, RuleSlots> weights = rule.Weight;
    if (WeightsApply(kind, boxes.randomOrder)) {
        for (int i = 0; i < RuleSlots; ++i) {
            const auto weight = ReadWholeIn(boxes.weights.value(i), MinWeight, MaxWeight);
            if (!weight)
                return Refused(RuleMessages::BadWeight, RuleBox::Weight, i);
            weights[std::size_t(i)] = *weight;
        }
    }
    int nullRate = 0;
    if (NullRateApplies(kind)) {
        const auto rate = ReadWholeIn(boxes.nullRate, 0, 100);
        if (!rate)
            return Refused(RuleMessages::BadNullRate, RuleBox::NullRate);
        if (*rate > 0 && !severalColumns && rule.IsKey)
            return Refused(RuleMessages::NullRateOnKey, RuleBox::NullRate);
        if (*rate > 0 && !severalColumns && rule.IsNotNull)
            return Refused(RuleMessages::NullRateOnNotNull, RuleBox::NullRate);
        nullRate = *rate;
    }
    rule.NullRate = nullRate;
    rule.RandomOrder = kind == Kind::Multiple && boxes.randomOrder;
    rule.Weight = weights;
    rule.Unique = boxes.unique && UniqueApplies(kind, boxes.randomOrder);
    return {};
}

QString ExpressionHint(const ColumnRule& current)
{
    QStringList names;
    const std::size_t count = std::min(ColumnRules.size(), std::size_t(std::max<int>(ColumnCount, 0)) + 1);
    for (std::size_t i = 1; i < count; ++i) {
        const QString name = ColumnRules[i].ColumnName.trimmed();
        if (!name.isEmpty() && name != current.ColumnName.trimmed())
            names.append(name);
    }
    QString hint = QStringLiteral("他の項目の値は row.項目名 で参照できます。");
    if (!names.isEmpty())
        hint += QStringLiteral("\n項目: ") + names.join(QStringLiteral(", "));
    return hint;
}

}  // namespace basKovaData
