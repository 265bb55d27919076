#pragma once
// Bulk setting without its window: which columns of the column grid's
// selection each type family offers, the neutral record the family's editor
// starts from, and copying the edited rule into the family's columns.
#include "rules/ColumnRule.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace controls {
class GridModel;
}

namespace rules {

// The type families, in the order of the window's options.
enum class BulkFamily : int { Numeric = 0, Character = 1, Date = 2 };
inline constexpr int BulkFamilyCount = 3;

// Column grid columns read and written here: the type text and the 設定 cell.
inline constexpr int BulkTypeColumn = 1;
inline constexpr int BulkRuleColumn = 4;

struct BulkTarget {
    // The grid rows looked at, first <= last.
    int firstRow = 0;
    int lastRow = 0;
    // "対象 → 全項目" or "対象 → N項目".
    QString label;
    // Grid rows of each family, ascending.
    std::array<QList<qint16>, BulkFamilyCount> lists;

    const QList<qint16>& rows(BulkFamily family) const { return lists[std::size_t(family)]; }
    bool settable(BulkFamily family) const { return !rows(family).isEmpty(); }
    // The first family with columns, in option order; nothing when none has any.
    std::optional<BulkFamily> firstSettable() const;
};

// The family a column's type text belongs to, by its leading characters;
// nothing for every other type (RAW, BLOB, NCHAR, ...).
std::optional<BulkFamily> FamilyOfType(const QString& typeText);

// The target from the grid's current row and selection end row, in either
// order. A single row (or the count of every column) reads as all columns;
// a single row also widens the rows looked at to 1..columnCount.
BulkTarget ComputeBulkTarget(const controls::GridModel& grid, int columnCount);

// Shown when the selection holds no column of any family.
QString NothingSettableMessage();

// The record a family's editor opens on: column 一括設定, NOT NULL, no key, no
// size, single fixed, every slot empty, and the family's type text.
basKovaData::ColumnRule NeutralBulkRule(BulkFamily family);

// After the editor closed: unless EditCancelled, copies the rule fields of
// CurrentRule (value slots, the kind, the order and weights, 重複なし, the
// pattern and the expression) into the rule of every row of `rows` and shows
// its name in the row's 設定 cell, which becomes the current cell. The NULL
// rate goes only to columns that can hold NULL (neither key nor NOT NULL);
// the others get 0. The column fields of the records stay. Returns whether
// it applied.
bool ApplyBulkRule(controls::GridModel& grid, const QList<qint16>& rows);

}  // namespace rules
