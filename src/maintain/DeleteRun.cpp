#include "maintain/DeleteRun.h"

#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "shared/ValueText.h"

namespace maintain {

QString DeleteStatement(const QString& table, const QString& condition)
{
    QString sql = QStringLiteral("DELETE FROM ") + basKovaData::ServerSql(table);
    const QString trimmed = condition.trimmed();
    if (!trimmed.isEmpty())
        sql += QStringLiteral(" WHERE ") + basKovaData::FlattenSql(trimmed);
    return sql;
}

DeleteOutcome DeleteRows(const QString& table, const QString& condition)
{
    ::OraSession* session = basKovaData::OraSession.get();
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    if (!session || !database)
        return DeleteOutcome::Failed;
    const auto failure = [database] {
        return database->LockedByOther() ? DeleteOutcome::Locked : DeleteOutcome::Failed;
    };
    try {
        session->DbBeginTrans();
    } catch (const OraError&) {
        return failure();
    }
    // A failed statement has changed nothing; the transaction is ended
    // either way.
    const bool deleted = basKovaData::ExecuteSql(database, DeleteStatement(table, condition)) != -1;
    const DeleteOutcome outcome = deleted ? DeleteOutcome::Deleted : failure();
    try {
        session->DbCommitTrans();
    } catch (const OraError&) {
        const DeleteOutcome commitOutcome = failure();
        try {
            session->DBRollBack();
        } catch (const OraError&) {
            // The connection itself is gone; nothing is left to undo.
        }
        return commitOutcome;
    }
    return outcome;
}

}  // namespace maintain
