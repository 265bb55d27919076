#pragma once
#include "session/OraDatabase.h"
#include "engine/OraEngine.h"

#include <QString>

#include <memory>
#include <optional>

// The session: opens the database and owns its transaction.
class OraSession {
public:
    OraSession() = default;

    // Opens the database named by `service` with the connect text
    // user "/" password. A service that names a database file (an existing
    // file, or a name ending in .db, .sqlite or .sqlite3; relative names are
    // taken in AppDirectory) is opened by the embedded engine, any other goes
    // to ODBC. Throws OraError; a missing database file is an error.
    std::shared_ptr<OraDatabase> DbOpenDatabase(const QString& service, const QString& connect,
                                                int options = 1);

    void DbBeginTrans();
    void DbCommitTrans();
    void DBRollBack();

    // The database file a service name stands for, if it names one.
    static std::optional<QString> EmbeddedDatabasePath(const QString& service);

private:
    std::shared_ptr<OraEngine> requireEngine() const;

    std::shared_ptr<OraEngine> m_engine;
};
