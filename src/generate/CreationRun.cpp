#include "generate/CreationRun.h"

#include "generate/InsertRow.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "shared/NumberRead.h"
#include "shared/Rounding.h"

#include <algorithm>

namespace generate {

std::optional<qint32> RowCountFromText(const QString& text)
{
    const double value = basKovaData::ReadNumber(text);
    if (!(value >= 1))
        return std::nullopt;
    return basKovaData::RoundToInt32(value);
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

namespace {

// Thrown between rows when the user stops the run.
struct RunStopped {};

}  // namespace

CreationResult GenerateRows(const QString& table, qint32 rows, const CreationHooks& hooks)
{
    CreationResult result;
    ::OraSession* session = basKovaData::OraSession.get();
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    if (!session || !database) {
        result.aborted = true;
        result.errorNumber = OraError::ComponentError;
        result.errorText = QStringLiteral("not connected");
        return result;
    }
    const int columns = basKovaData::ColumnCount;
    bool inTransaction = false;
    try {
        ValueGenerator generator(database);
        session->DbBeginTrans();
        inTransaction = true;
        basKovaData::RowStatements statements(database, hooks.batchRows);
        basKovaData::StatementShape shape;
        const qint32 step = ProgressStep(rows);
        for (qint32 i = 1; i <= rows; ++i) {
            if (hooks.stopRequested && hooks.stopRequested())
                throw RunStopped();
            if (i % step == 0 && hooks.progress)
                hooks.progress(ProgressTwips(i, rows));
            generator.NextRow();
            const QString literal = basKovaData::InsertText(table, columns);
            if (statements.Batched()) {
                basKovaData::InsertShape(table, columns, shape);
                statements.Add(literal, &shape);
            } else {
                statements.Add(literal);
            }
        }
        statements.Flush();
        if (hooks.stopRequested && hooks.stopRequested())
            throw RunStopped();
        result.failures = qint32(statements.Failures());
        if (result.failures > 0 && hooks.failuresFound)
            hooks.failuresFound(result.failures);
        session->DbCommitTrans();
        inTransaction = false;
    } catch (const RunStopped&) {
        result.aborted = true;
        result.stopped = true;
    } catch (const OraError& error) {
        result.aborted = true;
        result.errorNumber = error.number();
        result.errorText = error.message();
        result.connectionLost = database->ConnectionLost();
        result.lockedByOther = !result.connectionLost && database->LockedByOther();
    }
    if (inTransaction) {
        try {
            session->DBRollBack();
        } catch (const OraError&) {
            // The connection itself is gone; nothing is left to undo.
        }
    }
    if (!result.aborted && hooks.progress)
        hooks.progress(ProgressFullTwips);
    return result;
}

}  // namespace generate
