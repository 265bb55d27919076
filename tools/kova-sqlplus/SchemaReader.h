#pragma once
// Reads a schema from a server through Oracle's dictionary views, so that the
// same queries read a real Oracle server and a PostgreSQL server prepared by
// data/postgresql-oracle.sql.
#include "SchemaDictionary.h"

class OraDatabase;

class SchemaReader {
public:
    // `postgres`: the server is PostgreSQL, whose dictionary gives conditions,
    // defaults and view texts back in its own words (see OracleText).
    SchemaReader(OraDatabase& server, bool postgres);

    // The user's tables, views, sequences, their constraints and comments.
    // Throws OraError naming the dictionary view that could not be read.
    SchemaDictionary read();

    // An expression or query as PostgreSQL gives it back, in Oracle's words
    // where they differ: casts ("::numeric", "::character varying[]") left
    // out, "x = ANY (ARRAY[a, b])" as "x IN (a, b)" ("<> ALL" as NOT IN),
    // "~~" as LIKE, "sysdate()" as SYSDATE. Unquoted words come out in
    // capitals, as Oracle folds them. A text it cannot read stays as it is.
    static QString OracleText(const QString& postgresText);

private:
    void readColumns(SchemaDictionary& schema);
    void readConstraints(SchemaDictionary& schema);
    void readOthers(SchemaDictionary& schema);
    QString serverText(const QString& text) const;

    OraDatabase& m_server;
    bool m_postgres;
};
