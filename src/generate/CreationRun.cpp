#include "generate/CreationRun.h"

#include "engine/SqlLexer.h"
#include "generate/InsertRow.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "shared/NumberRead.h"
#include "shared/Rounding.h"
#include "shared/SqlName.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>

namespace generate {

std::optional<qint32> RowCountFromText(const QString& text)
{
    const double value = basKovaData::ReadNumber(text);
    if (!(value >= 1))
        return std::nullopt;
    return basKovaData::RoundToInt32(value);
}

std::optional<std::optional<std::uint64_t>> SeedFromText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::optional<std::uint64_t>();
    bool ok = false;
    const qulonglong seed = trimmed.toULongLong(&ok);
    if (!ok || seed > (qulonglong(1) << 53))
        return std::nullopt;
    return std::optional<std::uint64_t>(seed);
}

qint32 ProgressStep(qint32 rows)
{
    const qint32 step = basKovaData::RoundToInt32(rows / 10.0).value_or(100);
    return std::clamp(step, 1, 100);
}

int ProgressTwips(qint32 row, qint32 rows)
{
    if (rows <= 0)
        return 0;
    return int(qint64(row) * ProgressFullTwips / rows);
}

bool IsDefinitionStatement(const QString& sql)
{
    static const std::set<std::string> words{"CREATE", "ALTER",  "DROP",    "TRUNCATE", "RENAME",
                                             "COMMENT", "GRANT", "REVOKE",  "ANALYZE",  "AUDIT",
                                             "NOAUDIT", "PURGE", "FLASHBACK"};
    const LexedStatement lexed = LexStatement(sql.toStdString());
    if (!words.count(lexed.firstWord()))
        return false;
    // ALTER SESSION and ALTER SYSTEM change settings, not the schema.
    const SqlToken& second = lexed.head[1];
    return !(lexed.firstWord() == "ALTER" && lexed.headCount > 1 && second.kind == SqlToken::Kind::Word
             && (second.text == "SESSION" || second.text == "SYSTEM"));
}

namespace {

using basKovaData::RunStopped;

bool StopAsked(const CreationHooks& hooks)
{
    return hooks.stopRequested && hooks.stopRequested();
}

// The rows of table `t`, inside the run's transaction. Throws OraError or
// RunStopped.
void InsertRows(const basKovaData::TableRules& rules, RunRows& made, std::size_t t,
                basKovaData::RowStatements& statements, const CreationHooks& hooks, CreationResult& result)
{
    basKovaData::StatementShape shape;
    const qint64 failuresBefore = statements.Failures();
    const qint64 rows = made.Rows(t);
    result.rows = rows;
    const qint64 step = ProgressStep(qint32(std::min<qint64>(rows, INT32_MAX)));
    // The table's and columns' names, written once.
    basKovaData::InsertShaper shaper(rules.table, rules.count(), basKovaData::ColumnsOfInsert(rules));
    const qint64 first = statements.Added();
    for (qint64 i = 1; i <= rows; ++i) {
        if (StopAsked(hooks))
            throw RunStopped();
        if (i % step == 0 && hooks.progress)
            hooks.progress(int(i * ProgressFullTwips / rows));
        made.NextRow(t);
        shaper.Make(shape);
        statements.Add(shape);
    }
    statements.Flush();
    result.failures = statements.Failures() - failuresBefore;
    // The children of this table draw only the rows that are in.
    std::vector<qint64> refused = statements.TakeRefusedRows();
    for (qint64& row : refused)
        row -= first;
    made.Refused(t, refused);
}

}  // namespace

std::vector<CreationResult> GenerateTables(const std::vector<TableRun>& tables, const CreationHooks& hooks,
                                           const RunFrame& frame)
{
    std::vector<CreationResult> results(tables.size());
    ::OraSession* session = basKovaData::OraSession.get();
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    const auto abort = [&](auto&& mark) {
        for (CreationResult& result : results) {
            result.aborted = true;
            mark(result);
        }
    };
    if (!session || !database) {
        abort([](CreationResult& r) {
            r.errorNumber = OraError::ComponentError;
            r.errorText = QStringLiteral("not connected");
        });
        return results;
    }
    bool inTransaction = false;
    // What a commit point makes lasting: the tables emptied and filled so
    // far, and the frame's statements that ran.
    std::size_t emptiedDone = 0, tablesDone = 0;
    QStringList statementsDone, statementsKept;
    const auto begin = [&] {
        session->DbBeginTrans();
        inTransaction = true;
        if (frame.deferConstraints)
            database->DbExecuteSQL(QStringLiteral("SET CONSTRAINTS ALL DEFERRED"));
    };
    const auto frameStatement = [&](const QString& sql) {
        if (!IsDefinitionStatement(sql)) {
            database->DbExecuteSQL(sql);
            statementsDone << sql;
            return;
        }
        session->DbCommitTrans();
        inTransaction = false;
        statementsKept = statementsDone;
        for (std::size_t t = 0; t < tables.size(); ++t) {
            CreationResult& result = results[t];
            result.committed = true;
            result.emptiedKept = std::any_of(frame.emptied.begin(), frame.emptied.begin() + qsizetype(emptiedDone),
                                             [&](const QString& table) { return table == tables[t].rules->table; });
            result.rowsKept = t < tablesDone ? result.rows - result.failures : 0;
        }
        // Once it ran, the statement itself is lasting as well.
        database->DbExecuteSQL(sql);
        statementsDone << sql;
        statementsKept = statementsDone;
        begin();
    };
    try {
        // What the rules cannot give (values that may not repeat) is said
        // before anything is written.
        RunRows made(tables, database, {}, RunTarget::Database);
        if (const QString refusal = made.Prepare(); !refusal.isEmpty()) {
            abort([&](CreationResult& r) {
                r.refused = true;
                r.errorText = refusal;
            });
            return results;
        }
        begin();
        for (const QString& sql : frame.before)
            frameStatement(sql);
        for (const QString& table : frame.emptied) {
            database->DbExecuteSQL(QStringLiteral("DELETE FROM ") + database->SqlName(table));
            ++emptiedDone;
        }
        basKovaData::RowStatements statements(database, hooks.batchRows, hooks.stopRequested);
        for (std::size_t t = 0; t < tables.size(); ++t) {
            InsertRows(*tables[t].rules, made, t, statements, hooks, results[t]);
            results[t].refusals = statements.TakeRefusals();
            ++tablesDone;
        }
        // The keys a cycle of tables left NULL, now that their parents' rows are in.
        basKovaData::StatementShape update;
        for (std::size_t t = 0; t < tables.size(); ++t) {
            const qint64 before = statements.Failures();
            for (qint64 i = 0; i < made.LaterRows(t); ++i) {
                made.LaterUpdate(t, i, update);
                statements.Add(update);
            }
            statements.Flush();
            if (const qint64 refused = statements.Failures() - before; refused > 0) {
                results[t].failures += refused;
                for (const auto& error : statements.TakeRefusals().errors)
                    results[t].refusals.errors.push_back(error);
            }
        }
        for (const QString& sql : frame.after)
            frameStatement(sql);
        if (StopAsked(hooks))
            throw RunStopped();
        for (const CreationResult& result : results)
            if (result.failures > 0 && hooks.failuresFound)
                hooks.failuresFound(result.failures, result.refusals);
        session->DbCommitTrans();
        inTransaction = false;
    } catch (const RunStopped&) {
        abort([](CreationResult& r) { r.stopped = true; });
    } catch (const OraError& error) {
        const bool lost = database->ConnectionLost();
        const bool locked = !lost && database->LockedByOther();
        abort([&](CreationResult& r) {
            r.errorNumber = error.number();
            r.errorText = error.message();
            r.connectionLost = lost;
            r.lockedByOther = locked;
        });
    }
    for (CreationResult& result : results)
        result.statementsKept = statementsKept;
    if (inTransaction) {
        try {
            session->DBRollBack();
        } catch (const OraError&) {
            // The connection itself is gone; nothing is left to undo.
        }
    }
    if (!results.empty() && !results.front().aborted && hooks.progress)
        hooks.progress(ProgressFullTwips);
    return results;
}

CreationMessage CreationOutcomeMessage(const CreationResult& result)
{
    using basKovaData::MessageIcon;
    if (result.stopped)
        return {CreationStoppedMessage, MessageIcon::Information, {}};
    if (result.refused)
        return {result.errorText, MessageIcon::Exclamation, {}};
    if (result.lockedByOther)
        return {CreationLockedMessage, MessageIcon::Exclamation, {}};
    if (result.connectionLost)
        return {QStringLiteral("サーバーとの接続が切れたため、データ作成を中止しました。\n") + result.errorText,
                MessageIcon::Critical, {}};
    if (result.aborted)
        return {QStringLiteral("ＳＱＬ文のエラーです。確認してください。") + QString::number(result.errorNumber),
                MessageIcon::Information, result.errorText};
    if (result.failures > 0)
        return {QString::number(result.failures) + QStringLiteral("件の重複がありました。"), MessageIcon::Information,
                result.refusals.Details()};
    return {};
}

CreationResult GenerateRows(const basKovaData::TableRules& rules, qint64 rows, const CreationHooks& hooks)
{
    return GenerateTables({TableRun{&rules, rows, std::nullopt, {}, {}}}, hooks).front();
}

}  // namespace generate
