#pragma once
// What 自動設定 learns from a table's CHECK constraints. The common forms of a
// condition, as written in Oracle's DDL or as PostgreSQL gives them back
// (casts, "= ANY (ARRAY[...])", parentheses everywhere), are read into facts
// about the columns they name:
//  - col IN (values)                       the values, picked at random;
//  - col LIKE '%a%' OR col LIKE 'b%' ...   a text each pattern of % alone
//    (OR col IS NULL)                      matches (a, b), picked at random;
//  - col > n, >=, <, <=, BETWEEN, ANDed    the range of a random or sequence rule;
//  - col2 > col1, col2 >= col1             col2 follows col1 (kind 式);
//  - a IS NOT NULL OR b IS NOT NULL        one of them always holds a value;
//  - col IS NOT NULL                       the column is NOT NULL.
// Every other condition is left alone and named.
#include "rules/ColumnRule.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class OraDatabase;

namespace browser {

struct CheckConstraint {
    QString name;
    QString condition;  // SEARCH_CONDITION
};

// The CHECK constraints of `table` in USER_CONSTRAINTS, by name. Throws OraError.
QList<CheckConstraint> CheckConstraints(OraDatabase* database, const QString& table);

// What one condition says of one column. Bounds are as written (open or
// closed); `values` are the IN list's texts (a number as written).
struct ColumnFacts {
    int column = 0;  // entry in the rules
    bool notNull = false;
    std::optional<QStringList> values;
    bool numericValues = false;  // every value is a number
    std::optional<double> low, high;
    bool lowOpen = false, highOpen = false;
    int after = 0;  // greater than (or equal to) this column; a step of 1 or more meets either
};

// A condition read into facts; `read` is false for one that could not be.
struct CheckReading {
    bool read = false;
    std::vector<ColumnFacts> columns;
    std::vector<int> oneNotNull;  // at least one of these holds a value
    std::vector<int> named;       // every column the condition names, read or not
};

// Reads `condition` over the columns 1 to `count` of `rules`, named as the
// dictionary names them (a quoted name exactly, an unquoted one in any case).
CheckReading ReadCheck(const QString& condition, const std::vector<basKovaData::ColumnRule>& rules, int count);

// A column a condition says is never NULL is marked NOT NULL, before rules
// are proposed.
void MarkNotNull(const CheckReading& reading, std::vector<basKovaData::ColumnRule>& rules);

enum class CheckUse { Used, PartlyUsed, Unread };

// Narrows the rules 自動設定 proposed (`proposed[j]` true) by what a reading
// says; other rules stay as they are. PartlyUsed: an IN list of more values
// than a rule has slots, whose first values were taken. Unread: the condition
// could not be read or does not fit the columns' types or ranges; no rule
// changed.
CheckUse ApplyCheck(const CheckReading& reading, std::vector<basKovaData::ColumnRule>& rules,
                    const std::vector<bool>& proposed);

// An unread condition over columns that may be NULL: those of them whose
// rule 自動設定 proposed get the NULL rule, as a condition that meets a NULL
// is unknown rather than false and lets the row in (`x IS NULL OR ...` is
// even true). Their names; empty when the condition names no such column.
QStringList NullForUnread(const CheckReading& reading, std::vector<basKovaData::ColumnRule>& rules,
                          const std::vector<bool>& proposed);

// What the main window says after 自動設定 of the conditions it did not or
// only partly use, one line per constraint ("name: condition"), and of those
// it did not read whose columns got the NULL rule ("COLUMN: name:
// condition"); empty for none.
QString CheckConditionsMessage(const QStringList& unread, const QStringList& partlyUsed,
                               const QStringList& nulled = {});

// The line a constraint takes in that message.
QString CheckLine(const CheckConstraint& check);

}  // namespace browser
