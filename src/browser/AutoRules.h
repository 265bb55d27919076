#pragma once
// 自動設定: a rule for every column without one, proposed from the data
// dictionary (keys, unique and foreign keys), the values already in the table
// and the column's name and type; and the foreign keys between tables that
// decide which tables must be filled first.
#include <QString>
#include <QStringList>

class OraDatabase;

namespace browser {

struct ForeignKey {
    QString column;
    QString parentTable;
    QString parentColumn;
};

// The foreign key columns of `table` with the parent key column each refers
// to. Throws OraError.
QList<ForeignKey> ForeignKeys(OraDatabase* database, const QString& table);
// The tables `table` refers to, each once, itself left out. Throws OraError.
QStringList ParentTables(OraDatabase* database, const QString& table);
// The parents of `table` that hold no row yet. Throws OraError.
QStringList EmptyParentTables(OraDatabase* database, const QString& table);

// The dictionary a column's name asks for ("氏名" for NAME, "郵便番号" for
// 郵便番号 or ZIP ...), matched without regard to case; empty for none.
QString DictionaryForName(const QString& columnName);

struct AutoRulesResult {
    int proposed = 0;           // columns given a rule
    QStringList emptyParents;   // parent tables a foreign key reads from that hold no row
    bool failed = false;        // reading the dictionary or the table failed
    int errorNumber = 0;
    QString errorText;
};

// Gives every loaded column of `table` (ColumnRules 1 to ColumnCount) that has
// no rule one that fits:
//  - key and unique columns a sequence that starts after the largest value
//    present (padded with zeros to the length of a character key);
//  - foreign key columns the parent's key values (編集 over the parent);
//  - character columns whose name says what they hold a dictionary;
//  - other numbers a random value within precision and scale, other
//    characters a random number that fits the length, dates a random day of
//    the last year.
// Columns of other types (RAW, LOB ...) keep no rule.
AutoRulesResult ProposeRules(OraDatabase* database, const QString& table);

// What the main window says about parents without rows after 自動設定;
// empty for none.
QString EmptyParentsMessage(const QStringList& parents);
// What it asks before a creation run on a child of such parents.
QString EmptyParentsWarning(const QStringList& parents);

}  // namespace browser
