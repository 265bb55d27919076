#pragma once
// 自動設定: a rule for every column without one, proposed from the data
// dictionary (keys, unique and foreign keys), the values already in the table
// and the column's name and type; and the foreign keys between tables that
// decide which tables must be filled first.
#include <QString>
#include <QStringList>

#include <map>

class OraDatabase;

namespace browser {

struct ForeignKey {
    QString column;
    QString parentTable;
    QString parentColumn;
    QString constraint;          // the columns of one constraint take one parent row
    bool parentUnique = false;   // refers to a unique key (whose columns may be NULL)
};

// The foreign key columns of `table` with the parent key column each refers
// to (the parent's primary key or a unique key), by constraint and position.
// Throws OraError.
QList<ForeignKey> ForeignKeys(OraDatabase* database, const QString& table);
// The tables `table` refers to, each once, itself left out. Throws OraError.
QStringList ParentTables(OraDatabase* database, const QString& table);
// The parents of `table` that hold no row yet. Throws OraError.
QStringList EmptyParentTables(OraDatabase* database, const QString& table);

// The dictionary a column's name asks for ("氏名" for NAME, "郵便番号" for
// 郵便番号 or ZIP_CODE ...); empty for none. Latin names match by whole words,
// split at "_", digits and case changes, without regard to case (HOTEL_NAME
// holds no TEL); Japanese words match wherever they stand in the name.
QString DictionaryForName(const QString& columnName);

struct AutoRulesResult {
    int proposed = 0;           // columns given a rule
    QStringList emptyParents;   // parent tables a foreign key reads from that hold no row
    // CHECK constraints ("name: condition") left out of the rules as unread,
    // and those of which only the first values were taken.
    QStringList unreadChecks;
    QStringList partlyUsedChecks;
    // Unread CHECK constraints whose columns that may be NULL got the NULL
    // rule: "COLUMN: name: condition" per column.
    QStringList nullForChecks;
    // Columns an enabled BEFORE INSERT row trigger fills (when NULL, or
    // always), given the NULL rule: "COLUMN: filled by trigger NAME".
    QStringList triggerFilled;
    // Columns the database fills (GENERATED ALWAYS AS IDENTITY), given the
    // NULL rule and left out of the INSERT: "COLUMN: generated always as identity".
    QStringList identityColumns;
    bool failed = false;        // reading the dictionary or the table failed
    int errorNumber = 0;
    QString errorText;
};

// Gives every loaded column of `table` (ColumnRules 1 to ColumnCount) that has
// no rule one that fits:
//  - key and unique columns a sequence that starts after the largest value
//    present (padded with zeros to the length of a character key);
//  - foreign key columns the parent's key values (編集 over the parent), the
//    columns of one foreign key from the same parent rows in one order; in a
//    junction table (a primary key made only of foreign key columns) the
//    combinations of the parents' keys that the table does not hold yet;
//  - a column referring to its own table NULL where it may, else the keys
//    present, else (an empty table) the row's own key;
//  - character columns whose name says what they hold a dictionary;
//  - other numbers a random value within precision and scale, other
//    characters a random number that fits the length, dates a random day of
//    the last year;
//  - a column that alone makes a unique constraint and whose name asks for
//    a dictionary that dictionary; such columns and keys of one column that
//    get a random or dictionary rule take no value twice (Unique).
// The table's CHECK constraints then narrow these rules (see
// CheckConditions.h); a column one of them says is never NULL counts as NOT
// NULL from the start.
// A column that a BEFORE INSERT row trigger of the table fills when it is
// NULL (IF :NEW.col IS NULL THEN ... :NEW.col := ... END IF) or always (an
// assignment outside any IF) gets the NULL rule and is left to the trigger.
// A GENERATED ALWAYS identity column gets the NULL rule: the database gives
// its value. Columns of other types (RAW, LOB ...) keep no rule.
AutoRulesResult ProposeRules(OraDatabase* database, const QString& table);

// How many of `rows` new rows of `table` find no combination of parent keys
// that is not in the table yet, when its primary key is made only of foreign
// key columns; 0 otherwise. Where a key column's rule is a SELECT, the list it
// reads is cut at MaxDisplayRows values. Throws OraError.
qint64 JunctionShortfall(OraDatabase* database, const QString& table, qint64 rows);
// What the creation window says of such a shortfall before the run; empty
// when there is none.
QString JunctionShortfallMessage(qint64 missing, qint64 rows);

// The columns of `table` its enabled BEFORE INSERT row triggers fill, as
// above: by column in capitals, the trigger's name. None where the
// dictionary has no USER_TRIGGERS.
std::map<QString, QString> TriggerFilledColumns(OraDatabase* database, const QString& table);
// What the main window says after 自動設定 about those columns; empty for none.
QString TriggerFilledMessage(const QStringList& lines);
// The same of the identity columns.
QString IdentityColumnsMessage(const QStringList& lines);

// What the main window says about parents without rows after 自動設定;
// empty for none.
QString EmptyParentsMessage(const QStringList& parents);
// What it asks before a creation run on a child of such parents.
QString EmptyParentsWarning(const QStringList& parents);

}  // namespace browser
