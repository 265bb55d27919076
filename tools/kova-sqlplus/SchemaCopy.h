#pragma once
// kova-sqlplus --copy-schema: a server's schema (read through Oracle's
// dictionary views) made again, empty or with a few rows, in a new database
// file for the embedded engine.
//
// The file must not exist, or be empty: an existing database is never
// touched. Everything is read from the server before the file is made, so a
// wrong login or an unknown table leaves no file behind; so does a failure
// that stops the copy half-way. A statement the file's engine refuses (a
// view written in the server's own dialect, a default it cannot evaluate) is
// reported with its text and message, and the copy goes on without it.
#include "SchemaDictionary.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

class OraDatabase;

class SchemaCopy {
public:
    // Exit statuses: all copied; nothing copied (no file is left); a copy
    // was made but some statement or row was refused (reported).
    enum Status { Copied = 0, Failed = 1, Incomplete = 2 };

    struct Request {
        QString connect;  // user "/" password
        QString service;  // a data source name or an ODBC connection string
        QString target;   // the new database file
        QStringList tables;
        std::optional<qint64> rows;
    };

    static constexpr const char* Usage =
        "kova-sqlplus --copy-schema user/password@service FILE.db [TABLE...] [--rows N]";

    // The arguments after --copy-schema; none, with `error` set, when they
    // do not make a request.
    static std::optional<Request> Parse(const QStringList& args, QString* error);

    SchemaCopy(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}

    Status run(const Request& request);

private:
    // Makes the copy in the file at `path`, made empty just before. Throws
    // OraError on what stops the copy.
    Status copyInto(const Request& request, const QString& path, OraDatabase& server, bool postgres,
                    const SchemaDictionary& schema);

    QTextStream& m_out;
    QTextStream& m_err;
};
