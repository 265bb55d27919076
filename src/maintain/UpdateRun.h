#pragma once
// The update run: rewrites existing rows of a table with values made by the
// column rules. Single fixed values on every column to set go into one
// set-based UPDATE; any other rule updates the rows one by one, identified by
// their keys, each with freshly generated values. An expression among them
// sees the row as it will be: the values set in it, and the row's own values
// of the columns the update leaves alone. One transaction per run.
#include "session/RowStatements.h"
#include "shared/basKovaData.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

namespace basKovaData {
struct ColumnRule;
struct TableRules;
class StatementShape;
}

namespace maintain {

// What the update window says when the user stopped a run, and when another
// program held the database.
inline const QString UpdateStoppedMessage = QStringLiteral("データ更新を中止しました。");
inline const QString UpdateLockedMessage =
    QStringLiteral("データベースが他のプログラムで使用中のため、データ更新を中止しました。\nデータは変更されていません。");

// Full width of the update window's progress bar, in twips.
inline constexpr int UpdateProgressFullTwips = 4440;

// What the rules ask of an update; column numbers index the table's rules.
struct UpdatePlan {
    std::vector<int> keys;    // key columns, in column order
    std::vector<int> sets;    // non-key columns with a rule, in column order
    bool keyHasRule = false;  // some key column carries a rule
    bool allFixed = false;    // every column to set has a single fixed value
};

// Builds the plan from a table's rules. A non-key
// column of a type no rule can produce values for (LONG, RAW, FLOAT, ...) is
// left out of the columns to set: its rows keep their values.
UpdatePlan PlanUpdate(const basKovaData::TableRules& rules);

// " WHERE " + the trimmed, flattened condition; empty for a blank condition.
QString ConditionPart(const QString& condition);

// "UPDATE table SET C1 =  5,C2 = 'x'" + the condition part: the single fixed
// values of the plan's columns.
QString SetBasedStatement(const basKovaData::TableRules& rules, const UpdatePlan& plan, const QString& condition);

// "SELECT K1,K2 From table" + the condition part; the columns `alsoRead`
// follow the keys ("SELECT K1,K2,C3 From table").
QString KeySelectStatement(const basKovaData::TableRules& rules, const UpdatePlan& plan, const QString& condition,
                           const std::vector<int>& alsoRead = {});

// How a value made by the generator (in its "@"-marked form) is written into
// an UPDATE for a column of `rule`'s type and kind.
QString SetValueText(const basKovaData::ColumnRule& rule, const QString& generated);

// Appends the comparison that finds a row by one key column's value: "K = 'a'"
// for character keys, "K = 7" for numbers, a date literal for DATE keys,
// "K IS NULL" for a NULL; the value as a value of the shape. `column` is the
// key column as statements write it (OraDatabase::SqlName).
void AppendKeyComparison(basKovaData::StatementShape& shape, const QString& column,
                         const basKovaData::ColumnRule& key, const QVariant& value);
// The same comparison as literal text (quotes doubled), on a database that
// spells the column as it is shown.
QString KeyComparison(const basKovaData::ColumnRule& key, const QVariant& value);

// Rows between two repaints of the progress bar: a tenth of the rows, halves
// to even, at least 1 and at most 100.
qint32 UpdateProgressStep(qint64 rows);
// Width of the bar after `done` of `rows` rows (64-bit arithmetic).
int UpdateProgressTwips(qint64 done, qint64 rows);

enum class UpdateOutcome {
    Done,          // the run ended with a commit
    NothingToSet,  // no non-key column carries a rule
    KeyHasRule,    // a key column carries a rule and the rows would go one by one
    Failed,        // the set-based UPDATE or a statement outside the row UPDATEs failed; everything was rolled back
    Locked,        // another program held the database's lock; everything was rolled back
    Stopped,       // the user stopped the run; everything was rolled back
};

struct UpdateResult {
    UpdateOutcome outcome = UpdateOutcome::Done;
    bool setBased = false;
    bool rolledBack = false;  // the set-based UPDATE failed and was undone
    qint64 rows = 0;          // rows selected by the row-by-row update
    qint64 errors = 0;        // row UPDATEs that failed (the others are committed)
    basKovaData::Refusals refusals;  // ... why
    int errorNumber = 0;      // Failed: the database error's number
    QString errorText;
};

struct UpdateHooks {
    // The progress bar's new width in twips.
    std::function<void(int twips)> progress;
    // Every UPDATE text, as it is handed to the database.
    std::function<void(const QString& sql)> statement;
    // Asked between rows: true stops the run, which then rolls back.
    std::function<bool()> stopRequested;
    // Rows per exchange with a server that takes batches; 1 sends every row
    // on its own.
    int batchRows = basKovaData::RowStatements::DefaultBatchRows;
};

// What the update window says after a run, if anything.
struct UpdateMessage {
    QString text;
    basKovaData::MessageIcon icon = basKovaData::MessageIcon::Information;
    QString details;
};
UpdateMessage UpdateOutcomeMessage(const UpdateResult& result);

// Updates the table of `rules` on OraDatabase within one transaction of
// OraSession; `condition` is the text typed after WHERE (may be blank).
UpdateResult UpdateRows(const basKovaData::TableRules& rules, const QString& condition,
                        const UpdateHooks& hooks = {});

}  // namespace maintain
