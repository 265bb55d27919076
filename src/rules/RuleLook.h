#pragma once
// How a column's 設定 cell shows its rule: the kind's name and colours. The
// main window and the bulk setting window show rules alike through this.
#include "controls/GridModel.h"
#include "rules/ColumnRule.h"

#include <QString>

#include <optional>

namespace basKovaData {

struct RuleCellLook {
    QString text;
    controls::GridColor back = controls::GridWhite;
    controls::GridColor fore = controls::GridBlack;
};

// The look of a stored rule by its kind read as a number (a blank reads as 0,
// 単一固定); nothing for a number of no kind.
std::optional<RuleCellLook> StoredRuleLook(int kindNumber);
// The look of a cell without a rule: empty, cyan on a key column, else white.
RuleCellLook EmptyRuleLook(bool isKey);

// Writes a look into one grid cell.
void PaintRuleCell(controls::GridModel& grid, int row, int col, const RuleCellLook& look);

}  // namespace basKovaData
