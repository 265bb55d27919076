#pragma once
// What the rule editors decide without any widget about how production data
// looks on top of a kind: the NULL rate, the order and weights of a
// multiple-fixed list and 重複なし. Their boxes are read once, at 設定: the
// checks below refuse what cannot be kept and otherwise store it all.
#include "rules/RuleEditing.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace basKovaData {

// The shape controls as the user left them.
struct ShapeBoxes {
    QString nullRate;          // TxtNULL
    bool randomOrder = false;  // OptORD 1 (ランダム) rather than 0 (順番)
    QStringList weights;       // TxtWGT 0 to 15
    bool unique = false;       // ChkUNQ
};

// The NULL rate applies to every kind but NULL.
bool NullRateApplies(Kind kind);
// The weights apply to a multiple-fixed list picked at random.
bool WeightsApply(Kind kind, bool randomOrder);
// 重複なし applies to random values (numbers, texts, dates), patterns,
// dictionaries and a multiple-fixed list picked at random.
bool UniqueApplies(Kind kind, bool randomOrder);

// The boxes showing a rule's fields.
ShapeBoxes ShapeBoxesOf(const ColumnRule& rule);

// A whole number from `low` to `high` written in plain digits (blanks around
// allowed); nothing for any other text.
std::optional<int> ReadWholeIn(const QString& text, int low, int high);

// The 設定 checks of the boxes for `rule` as its kind stands, after
// CheckRule: the weights (when they apply) in slot order, then the NULL rate,
// which a key or NOT NULL column refuses above 0. `severalColumns` is the
// bulk setting's editor: its rule goes to many columns and the rate reaches
// only those that can hold NULL, so its record's marks refuse nothing. An
// accepted check stores the boxes: a field that does not apply to the kind
// is stored as 0 or off, except the weights, which stay as they were.
RuleVerdict CheckShapes(ColumnRule& rule, const ShapeBoxes& boxes, bool severalColumns = false);

// The hint under the expression box: how the other columns are read, and
// their names (the columns of the column grid but `current`'s own).
QString ExpressionHint(const ColumnRule& current);

}  // namespace basKovaData
