#include "session/OraAccess.h"

#include "session/OraError.h"

namespace basKovaData {

std::shared_ptr<::OraSession> OraSession;
std::shared_ptr<::OraDatabase> OraDatabase;
QString LastOpenError;

bool OpenOracleDatabase(const QString& service, const QString& connect, const QString& progId)
{
    try {
        if (progId != QLatin1String(OraSessionProgId))
            throw OraError(QStringLiteral("Cannot create object %1").arg(progId));
        OraSession = std::make_shared<::OraSession>();
        OraDatabase = OraSession->DbOpenDatabase(service, connect, 1);
        LastOpenError.clear();
        return false;
    } catch (const OraError& error) {
        LastOpenError = error.message();
    } catch (const std::exception& error) {
        LastOpenError = QString::fromLocal8Bit(error.what());
    }
    OraDatabase.reset();
    return true;
}

ServerName ServerNameOf(const QString& table, const QString& column)
{
    if (OraDatabase)
        return OraDatabase->Name(table, column);
    const QString shown = (column.isEmpty() ? table : column).trimmed();
    return {shown, SqlName(shown)};
}

qint64 ExecuteSql(::OraDatabase* database, const QString& sql)
{
    if (!database)
        return -1;
    try {
        return database->DbExecuteSQL(sql);
    } catch (const std::exception&) {
        return -1;
    }
}

}  // namespace basKovaData
