#pragma once
// How many rows a table's keys can take: a key's sequence until its values
// pass what the column holds (precision and scale of a NUMBER, the length of
// a character column), the values a 重複なし rule can give that the table
// does not hold yet. A run that asks for more is refused before its first row.
#include <QString>

class OraDatabase;

namespace basKovaData {
struct ColumnRule;
struct TableRules;
}

namespace generate {

// The column of a table that takes the fewest rows.
struct KeyRoom {
    QString table;
    QString column;     // empty: no key limits the rows
    QString type;       // the column's type as the grid shows it
    qint64 rows = -1;   // rows the column can take; -1 for no limit
    qint64 taken = 0;   // values of the rule the table already holds
    bool sequence = false;
    bool key = false;   // the column is (part of) the primary key
    double start = 0;   // a sequence's first value

    bool Limits(qint64 asked) const { return rows >= 0 && asked > rows; }
    // TABLE.COLUMN.
    QString Name() const { return table + u'.' + column; }
};

// Values a sequence rule of `rule`'s column gives before one no longer fits
// the column (a NUMBER(2) from 41 on: 59); 1 for a step of 0; -1 when the
// column sets no limit (no precision, 16 digits or more, not a number or a
// text).
qint64 SequenceRoom(const basKovaData::ColumnRule& rule);

// Why `rows` rows cannot be made: names TABLE.COLUMN, what it holds and the rows.
QString KeyRoomRefusal(const KeyRoom& room, qint64 rows);

// The column of `rules` that takes the fewest rows, reading the values its
// table holds. Throws OraError when reading the table fails.
KeyRoom RowsTheKeysHold(const basKovaData::TableRules& rules, OraDatabase* database);

}  // namespace generate
