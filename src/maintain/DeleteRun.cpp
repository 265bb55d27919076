#include "maintain/DeleteRun.h"

#include "session/OraAccess.h"
#include "session/OraError.h"
#include "shared/ValueText.h"

namespace maintain {

QString DeleteStatement(const QString& table, const QString& condition)
{
    QString sql = QStringLiteral("DELETE FROM ") + table;
    const QString trimmed = condition.trimmed();
    if (!trimmed.isEmpty())
        sql += QStringLiteral(" WHERE ") + basKovaData::FlattenSql(trimmed);
    return sql;
}

bool DeleteRows(const QString& table, const QString& condition)
{
    ::OraSession* session = basKovaData::OraSession.get();
    if (!session)
        return false;
    try {
        session->DbBeginTrans();
    } catch (const OraError&) {
        return false;
    }
    // A failed statement has changed nothing; the transaction is ended
    // either way.
    const bool deleted =
        basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), DeleteStatement(table, condition)) != -1;
    try {
        session->DbCommitTrans();
    } catch (const OraError&) {
        try {
            session->DBRollBack();
        } catch (const OraError&) {
            // The connection itself is gone; nothing is left to undo.
        }
        return false;
    }
    return deleted;
}

}  // namespace maintain
