#pragma once
#include "session/OraDynaset.h"
#include "engine/OraEngine.h"

#include <memory>

// The open database: queries and statements. Every error is thrown as OraError.
class OraDatabase {
public:
    explicit OraDatabase(std::shared_ptr<OraEngine> engine);

    // A dynaset on the query's first row. `options` is accepted for the
    // callers' sake; 0 is the only value they use.
    std::unique_ptr<OraDynaset> DBCreateDynaset(const QString& sql, int options = 0);
    // Rows processed by the statement.
    qint64 DbExecuteSQL(const QString& sql);
    // The same for the literal text of `shape`; see OraEngine::executeShape.
    qint64 DbExecuteShape(const basKovaData::StatementShape& shape) { return m_engine->executeShape(shape); }

    // The connection to the server is gone; see OraEngine::connectionLost.
    bool ConnectionLost() const { return m_engine->connectionLost(); }

    // Another program held the lock the last failed statement needed.
    bool LockedByOther() const { return m_engine->lastErrorWasLock(); }
    // The database could not be written (or read) at all when the last
    // statement failed; see OraEngine::lastErrorWasStorage.
    bool StorageFailed() const { return m_engine->lastErrorWasStorage(); }
    // The statement prepared for batches of rows; none when the engine runs
    // each statement on its own (see OraEngine::prepareBatch).
    std::unique_ptr<OraBatch> PrepareBatch(const QString& sql, int parameters)
    {
        return m_engine->prepareBatch(sql, parameters);
    }

    // The table (`column` empty) or its column, named as the dictionary shows
    // them, as statements on this database write it (see
    // OraEngine::serverName). Every statement, load script and control file
    // names tables and columns through here.
    ServerName Name(const QString& table, const QString& column = {}) const
    {
        return m_engine->serverName(table.trimmed(), column.trimmed());
    }
    QString SqlName(const QString& table, const QString& column = {}) const { return Name(table, column).sql; }

    // A server's byte lengths, measured in UTF-8 (a server's character set
    // never needs more bytes a character); false on the embedded engine,
    // which counts code page 932.
    bool BytesInUtf8() const;
    // What goes before the hexadecimal digits of bytes (RAW, BLOB): "\x" for
    // PostgreSQL's bytea; nothing for Oracle and the embedded engine, which
    // read the digits as they are.
    QString HexBytesPrefix() const;

    OraEngine& engine() const { return *m_engine; }

private:
    std::shared_ptr<OraEngine> m_engine;
};
