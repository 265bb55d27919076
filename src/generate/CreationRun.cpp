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
        const qint32 step = ProgressStep(rows);
        for (qint32 i = 1; i <= rows; ++i) {
            if (i % step == 0 && hooks.progress)
                hooks.progress(ProgressTwips(i, rows));
            generator.NextRow();
            if (!basKovaData::InsertRow(table, columns)) {
                // A lost server fails every row from here on: that is not a
                // row the table refused, and nothing of the run can be kept.
                if (database->ConnectionLost())
                    throw OraError(QStringLiteral("the connection to the server was lost"));
                ++result.failures;
            }
        }
        if (result.failures > 0 && hooks.failuresFound)
            hooks.failuresFound(result.failures);
        session->DbCommitTrans();
        inTransaction = false;
    } catch (const OraError& error) {
        result.aborted = true;
        result.errorNumber = error.number();
        result.errorText = error.message();
        result.connectionLost = database->ConnectionLost();
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
