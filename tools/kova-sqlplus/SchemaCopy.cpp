#include "SchemaCopy.h"

#include "RowCopy.h"
#include "SchemaDdl.h"
#include "SchemaReader.h"

#include "engine/OdbcEngine.h"
#include "engine/SqliteEngine.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "session/OraSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <map>

using namespace Qt::StringLiterals;

namespace {

using Statement = SchemaDdl::Statement;

QString Counted(qsizetype n, const char* one, const char* many)
{
    return u"%1 %2"_s.arg(n).arg(QLatin1String(n == 1 ? one : many));
}

}  // namespace

std::optional<SchemaCopy::Request> SchemaCopy::Parse(const QStringList& args, QString* error)
{
    Request request;
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == u"--rows"_s) {
            bool ok = false;
            const qint64 n = args.value(i + 1).toLongLong(&ok);
            if (!ok || n < 0 || request.rows) {
                *error = u"--rows takes one whole number of rows, 0 or more"_s;
                return std::nullopt;
            }
            request.rows = n;
            ++i;
        } else if (args[i].startsWith(u"--"_s)) {
            *error = u"unknown option %1"_s.arg(args[i]);
            return std::nullopt;
        } else {
            rest.append(args[i]);
        }
    }
    if (rest.size() < 2) {
        *error = u"--copy-schema needs a login and a database file"_s;
        return std::nullopt;
    }
    const qsizetype at = rest[0].lastIndexOf(u'@');
    if (at <= 0 || at == rest[0].size() - 1) {
        *error = u"the login must be user/password@service: %1"_s.arg(rest[0]);
        return std::nullopt;
    }
    request.connect = rest[0].left(at);
    request.service = rest[0].mid(at + 1);
    request.target = rest[1];
    request.tables = rest.mid(2);
    return request;
}

SchemaCopy::Status SchemaCopy::run(const Request& request)
{
    const std::optional<QString> path = OraSession::EmbeddedDatabasePath(request.target);
    if (!path) {
        m_err << "ERROR: " << request.target << " is no database file name (it must end in .db, .sqlite or .sqlite3)\n";
        return Failed;
    }
    if (OraSession::EmbeddedDatabasePath(request.service)) {
        m_err << "ERROR: --copy-schema reads a server over ODBC; " << request.service << " is a database file\n";
        return Failed;
    }
    const QFileInfo target(*path);
    const bool existed = target.exists();
    if (existed && (!target.isFile() || target.size() > 0)) {
        m_err << "ERROR: " << *path << " exists; --copy-schema writes only a new (or empty) file\n";
        return Failed;
    }

    OraSession serverSession;
    std::shared_ptr<OraDatabase> server;
    try {
        server = serverSession.DbOpenDatabase(request.service, request.connect);
    } catch (const OraError& error) {
        m_err << "ERROR: cannot log in to " << request.service << ":\n" << error.message() << '\n';
        return Failed;
    }
    const auto* odbc = dynamic_cast<const OdbcEngine*>(&server->engine());
    const bool postgres = odbc && odbc->serverKind() == ServerKind::PostgreSQL;
    std::optional<SchemaDictionary> schema;
    try {
        QStringList warnings;
        QString error;
        schema = SchemaDdl::Selected(SchemaReader(*server, postgres).read(), request.tables, &warnings, &error);
        if (!schema) {
            m_err << "ERROR: " << error << "; nothing was copied\n";
            return Failed;
        }
        for (const QString& warning : warnings)
            m_err << "WARNING: " << warning << '\n';
    } catch (const OraError& error) {
        m_err << "ERROR: cannot read the schema of " << request.service << ":\n" << error.message() << '\n';
        return Failed;
    }

    try {
        if (!QDir().mkpath(target.absolutePath()))
            throw OraError(u"cannot make the folder %1"_s.arg(target.absolutePath()));
        if (!existed && QFileInfo::exists(*path))
            throw OraError(u"%1 appeared while the schema was read; it is left alone"_s.arg(*path));
        SqliteEngine::createFile(*path);
        return copyInto(request, *path, *server, postgres, *schema);
    } catch (const OraError& error) {
        // What this run made goes again; an empty file given is left empty.
        if (existed)
            QFile::resize(*path, 0);
        else
            QFile::remove(*path);
        m_err << "ERROR: the copy stopped, and " << *path << (existed ? " is empty again" : " was removed")
              << ":\n" << error.message() << '\n';
        return Failed;
    }
}

SchemaCopy::Status SchemaCopy::copyInto(const Request& request, const QString& path, OraDatabase& server,
                                        bool postgres, const SchemaDictionary& schema)
{
    OraSession session;
    const std::shared_ptr<OraDatabase> copy = session.DbOpenDatabase(path, request.connect);
    int refused = 0;
    QSet<QString> made;
    const auto execute = [&](const QString& object, const QString& sql, bool report = true) {
        try {
            copy->DbExecuteSQL(sql);
            return true;
        } catch (const OraError& error) {
            if (copy->StorageFailed())
                throw;
            if (report) {
                ++refused;
                m_err << "ERROR: " << object << " was refused:\n  " << sql << "\n  " << error.message() << '\n';
            }
            return false;
        }
    };

    SchemaDictionary copied;
    for (const auto& table : schema.tables) {
        bool done = execute(u"table "_s + table.name, SchemaDdl::CreateTable(table));
        const bool defaults = std::any_of(table.columns.begin(), table.columns.end(),
                                          [](const auto& c) { return !c.defaultText.isEmpty(); });
        if (!done && defaults && execute(u"table "_s + table.name, SchemaDdl::CreateTable(table, false), false)) {
            m_err << "WARNING: table " << table.name << " was made without its columns' defaults\n";
            done = true;
        }
        if (done) {
            made.insert(table.name);
            copied.tables.append(table);
        }
    }
    for (const auto& c : schema.constraints)
        if (made.contains(c.table) && (c.type != u'R' || made.contains(c.refTable)))
            copied.constraints.append(c);

    qint64 rows = 0;
    if (request.rows && *request.rows > 0) {
        RowCopy rowCopy(server, postgres, session, *copy, m_out, m_err);
        if (!rowCopy.run(copied, *request.rows))
            ++refused;
        rows = rowCopy.rowsCopied();
    }

    const QList<Statement> statements = SchemaDdl::AfterTables(schema);
    const auto ready = [&](const Statement& s) {
        for (const QString& name : s.needs) {
            if (!made.contains(name)) {
                ++refused;
                m_err << "ERROR: " << s.object << " was left out: " << name << " was not made\n";
                return false;
            }
        }
        return true;
    };
    std::map<Statement::Kind, int> done;
    for (const Statement& s : statements)
        if (s.kind != Statement::Kind::View && s.kind != Statement::Kind::Comment && ready(s) && execute(s.object, s.sql))
            ++done[s.kind];
    // A view may read another view: the refused ones are tried again while
    // another one gets made.
    QList<Statement> views;
    for (const Statement& s : statements)
        if (s.kind == Statement::Kind::View)
            views.append(s);
    // The file's engine takes a view over a table it does not have, and keeps
    // one in SQL it cannot run, and finds out when the view is read: each
    // view is read up to its first row once, and dropped again when that
    // fails.
    const auto makeView = [&](const Statement& s, bool report) {
        if (!execute(s.object, s.sql, report))
            return false;
        try {
            copy->DBCreateDynaset(u"SELECT * FROM %1"_s.arg(SchemaDdl::Quote(s.view)));
            return true;
        } catch (const OraError& error) {
            copy->DbExecuteSQL(u"DROP VIEW "_s + SchemaDdl::Quote(s.view));
            if (report) {
                ++refused;
                m_err << "ERROR: " << s.object << " cannot be read in the copy:\n  " << s.sql << "\n  "
                      << error.message() << '\n';
            }
            return false;
        }
    };
    for (qsizetype before = -1; before != views.size();) {
        before = views.size();
        for (qsizetype i = 0; i < views.size();) {
            if (makeView(views[i], false)) {
                made.insert(views[i].view);
                ++done[Statement::Kind::View];
                views.removeAt(i);
            } else {
                ++i;
            }
        }
    }
    for (const Statement& s : views)
        makeView(s, true);
    for (const Statement& s : statements)
        if (s.kind == Statement::Kind::Comment && ready(s) && execute(s.object, s.sql))
            ++done[s.kind];

    m_out << "Copied " << Counted(copied.tables.size(), "table", "tables");
    if (request.rows)
        m_out << " (" << Counted(rows, "row", "rows") << ")";
    m_out << ", " << Counted(done[Statement::Kind::Constraint], "constraint", "constraints") << ", "
          << Counted(done[Statement::Kind::Sequence], "sequence", "sequences") << ", "
          << Counted(done[Statement::Kind::View], "view", "views") << " and "
          << Counted(done[Statement::Kind::Comment], "comment", "comments") << " into " << path << ".\n";
    if (refused > 0)
        m_err << "The copy is incomplete: " << Counted(refused, "problem", "problems") << " reported above.\n";
    return refused > 0 ? Incomplete : Copied;
}
