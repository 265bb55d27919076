#pragma once
// The creation run: one generated INSERT per row, all rows in one transaction.
#include "generate/RunRows.h"
#include "rules/ColumnRule.h"
#include "session/RowStatements.h"
#include "shared/basKovaData.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace generate {

// What the creation window says when the user stopped a run, and when another
// program held the database.
inline const QString CreationStoppedMessage = QStringLiteral("データ作成を中止しました。");
inline const QString CreationLockedMessage =
    QStringLiteral("データベースが他のプログラムで使用中のため、データ作成を中止しました。\nデータは変更されていません。");

// Full width of the creation window's progress bar, in twips.
inline constexpr int ProgressFullTwips = 2775;

// The row count typed into the creation window: its leading number, rounded
// to the nearest integer with halves to the even neighbour ("2.5" runs 2
// rows, "3.5" 4). Empty when the number is below 1, or too large for a count.
std::optional<qint32> RowCountFromText(const QString& text);

// The seed typed into the creation window: none for a blank box, else a
// whole number from 0 to 2^53; nothing at all for any other text.
std::optional<std::optional<std::uint64_t>> SeedFromText(const QString& text);
inline const QString SeedMessage = QStringLiteral("シードには0から9007199254740992までの整数を入力して下さい。");

// Rows between two repaints of the progress bar: a tenth of the run, rounded
// like the count, at least 1 and at most 100.
qint32 ProgressStep(qint32 rows);
// Width of the progress bar after `row` of `rows` rows.
int ProgressTwips(qint32 row, qint32 rows);

struct CreationResult {
    // Rows the run made for the table.
    qint64 rows = 0;
    // Rows whose INSERT failed; the rows that ran are committed.
    qint64 failures = 0;
    // Why they failed.
    basKovaData::Refusals refusals;
    // The run stopped outside the INSERTs (a source query, the transaction):
    // everything was rolled back.
    bool aborted = false;
    // The run stopped because the connection to the server was lost; the
    // server keeps none of the run's rows.
    bool connectionLost = false;
    // The run stopped because another program held the database's lock;
    // everything was rolled back.
    bool lockedByOther = false;
    // The user stopped the run; everything was rolled back.
    bool stopped = false;
    // The rules cannot give the rows asked for (errorText says why); the run
    // did not start.
    bool refused = false;
    // A DDL statement of the run's `before` or `after` committed what came
    // before it, as DDL does: of this table, whether its DELETE and how many
    // of its rows stay committed although the run stopped later.
    bool committed = false;
    bool emptiedKept = false;
    qint64 rowsKept = 0;
    // The statements of `before` and `after` that stay committed (the DDL
    // ones and those before them), the same in every table's result.
    QStringList statementsKept;
    int errorNumber = 0;
    QString errorText;
};

struct CreationHooks {
    // Called every ProgressStep rows with the bar's new width in twips.
    std::function<void(int twips)> progress;
    // Called after the last row, before the commit, when rows failed.
    std::function<void(qint64 failures, const basKovaData::Refusals& why)> failuresFound;
    // Asked between rows: true stops the run, which then rolls back. It is
    // also the place to let the user's clicks through.
    std::function<bool()> stopRequested;
    // Rows per exchange with a server that takes batches; 1 sends every row
    // on its own.
    int batchRows = basKovaData::RowStatements::DefaultBatchRows;
};

// Inserts `rows` generated rows into the table of `rules` on OraDatabase in
// one transaction of OraSession.
CreationResult GenerateRows(const basKovaData::TableRules& rules, qint64 rows, const CreationHooks& hooks = {});

// What the creation window says after a run: nothing after a run without
// refused rows; the count of refused rows, with each database error and the
// first refused row as details; or why the run stopped.
struct CreationMessage {
    QString text;
    basKovaData::MessageIcon icon = basKovaData::MessageIcon::Information;
    QString details;
};
CreationMessage CreationOutcomeMessage(const CreationResult& result);

// Statements of a run over several tables besides its rows, all inside its
// transaction: `before` first, then a DELETE of every table of `emptied` in
// that order (children first), the rows, and `after` last. A DDL statement
// among `before` and `after` (CREATE, ALTER, DROP, TRUNCATE ...) is a commit
// point, as on Oracle: the run commits what it did so far, runs the
// statement, and goes on in a new transaction.
// With `deferConstraints`, every transaction of the run starts with SET
// CONSTRAINTS ALL DEFERRED: foreign keys that may wait are checked at the
// commit, so that rows may refer to rows made after them.
struct RunFrame {
    QStringList before;
    QStringList emptied;
    QStringList after;
    bool deferConstraints = false;
};

// The tables in the order given, all in one transaction: refused rows are
// counted per table and the others kept; anything that stops the run (a
// stop, a lock, a failing query or statement, a lost connection) rolls back
// all that came after the last commit point (all of it when the frame holds
// no DDL). One result per table; an aborted run marks every one of them
// aborted, and says what stays committed. `progress` is called per table
// with the bar of that table's rows.
// Whether a statement is DDL, which ends the open transaction: it begins
// with CREATE, ALTER (but ALTER SESSION or SYSTEM), DROP, TRUNCATE, RENAME,
// COMMENT, GRANT, REVOKE, ANALYZE, AUDIT, NOAUDIT, PURGE or FLASHBACK.
bool IsDefinitionStatement(const QString& sql);

std::vector<CreationResult> GenerateTables(const std::vector<TableRun>& tables, const CreationHooks& hooks = {},
                                           const RunFrame& frame = {});

}  // namespace generate
