#pragma once
// Copies rows of a server's tables into their copies in a database file, for
// kova-sqlplus --copy-schema --rows N.
//
// Up to N rows of each table are read (by primary key where there is one)
// and inserted in one transaction of the copy, parents before children,
// before any key exists in the copy. A child row whose parent row was not
// among the rows copied would break its foreign key once the key is added;
// such rows are deleted before the keys come, repeatedly, since deleting a
// parent row can leave children of its own (a self-reference, a chain), and
// each table's count is reported. A row the copy refuses is counted and its
// first refusal shown; the other rows go on.
#include "SchemaDictionary.h"

#include <QTextStream>

class OraDatabase;
class OraSession;

class RowCopy {
public:
    // `postgres`: the server is PostgreSQL, whose names are kept in lower case.
    RowCopy(OraDatabase& server, bool postgres, OraSession& copySession, OraDatabase& copy, QTextStream& out,
            QTextStream& err);

    // Copies the rows of the tables of `schema` (all of which exist in the
    // copy). Throws OraError when the server cannot be read or the copy not
    // written at all; then nothing is kept. False when some row was refused.
    bool run(const SchemaDictionary& schema, qint64 limit);

    qint64 rowsCopied() const { return m_copied; }

    // A name as the server must be given it: quoted, and for PostgreSQL in
    // the lower case that the dictionary shows in capitals.
    static QString ServerName(const QString& name, bool postgres);

private:
    // Returns the rows the copy refused.
    qint64 copyTable(const SchemaDictionary& schema, const SchemaDictionary::Table& table, qint64 limit);
    void deleteOrphans(const SchemaDictionary& schema);

    OraDatabase& m_server;
    bool m_postgres;
    OraSession& m_copySession;
    OraDatabase& m_copy;
    QTextStream& m_out;
    QTextStream& m_err;
    qint64 m_copied = 0;
};
