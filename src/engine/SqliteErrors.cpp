// The embedded engine's errors as Oracle words them: SQLite's own texts
// ("no such column", "UNIQUE constraint failed", "syntax error") never reach
// the user; a message the dialect raised (ORA-...) passes as it is.
#include "engine/SqliteEngine.h"

#include "engine/EngineError.h"

#include <QRegularExpression>

#include <utility>

#include <sqlite3.h>

namespace {

QString Utf8(const char* text)
{
    return QString::fromUtf8(text ? text : "");
}

}  // namespace

void SqliteEngine::raise() const
{
    const int extended = sqlite3_extended_errcode(m_handle);
    const int primary = extended & 0xff;
    m_lastErrorWasLock = primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
    m_lastErrorWasStorage = primary == SQLITE_READONLY || primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR
                            || primary == SQLITE_FULL || primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB
                            || primary == SQLITE_PERM || primary == SQLITE_NOMEM;
    const QString message = Utf8(sqlite3_errmsg(m_handle));
    if (message.startsWith(QStringLiteral("ORA-")))
        throw EngineError(message);
    // SQLite names the columns of a failing constraint after the colon.
    const QString columns = message.mid(message.indexOf(QLatin1Char(':')) + 1).trimmed();
    QString oracle;
    switch (extended) {
    case SQLITE_CONSTRAINT_PRIMARYKEY:
    case SQLITE_CONSTRAINT_UNIQUE:
        throw EngineError(QStringLiteral("ORA-00001: unique constraint violated (%1)").arg(columns));
    case SQLITE_CONSTRAINT_NOTNULL: {
        QStringList parts = columns.split(QLatin1Char('.'));
        for (QString& part : parts)
            part = QLatin1Char('"') + part.toUpper() + QLatin1Char('"');
        throw EngineError(QStringLiteral("ORA-01400: cannot insert NULL into (\"%1\".%2)")
                              .arg(QString::fromStdString(m_owner), parts.join(QLatin1Char('.'))));
    }
    case SQLITE_CONSTRAINT_FOREIGNKEY:
        throw EngineError(QStringLiteral("ORA-02291: integrity constraint violated - parent key not found"));
    case SQLITE_CONSTRAINT_CHECK:
        throw EngineError(QStringLiteral("ORA-02290: check constraint violated (%1)").arg(columns));
    default:
        if (message.startsWith(QStringLiteral("no such table: "))) {
            QString name = message.mid(15);
            if (name.startsWith(QStringLiteral("main.")))
                name = name.mid(5);
            throw EngineError(QStringLiteral("ORA-00942: table or view does not exist (%1)").arg(name.toUpper()));
        }
        if (message.startsWith(QStringLiteral("no such column: ")) || message.startsWith(QStringLiteral("no such function: "))) {
            // As Oracle shows the name: "E"."MISSING".
            QStringList parts = message.mid(message.indexOf(QLatin1Char(':')) + 2).split(QLatin1Char('.'));
            for (QString& part : parts)
                part = QLatin1Char('"') + part.toUpper() + QLatin1Char('"');
            throw EngineError(QStringLiteral("ORA-00904: %1: invalid identifier").arg(parts.join(QLatin1Char('.'))));
        }
        // SQLite's words for what Oracle has numbers of its own.
        static const std::pair<const char*, const char*> Plain[] = {
            {"ambiguous column name", "ORA-00918: column ambiguously defined"},
            {"duplicate column name", "ORA-00957: duplicate column name"},
            {"no such index", "ORA-01418: specified index does not exist"},
            {"wrong number of arguments to function", "ORA-00909: invalid number of arguments"},
            {"ORDER BY term out of range", "ORA-01785: ORDER BY item must be the number of a SELECT-list expression"},
            {"do not have the same number of result columns", "ORA-01789: query block has incorrect number of result columns"},
            {"misuse of aggregate", "ORA-00934: group function is not allowed here"},
        };
        for (const auto& [words, line] : Plain) {
            if (message.contains(QLatin1String(words)))
                throw EngineError(QLatin1String(line));
        }
        if (message.startsWith(QStringLiteral("foreign key mismatch")))
            throw EngineError(QStringLiteral("ORA-02270: no matching unique or primary key for this column-list"));
        static const QRegularExpression counts(QStringLiteral("has (\\d+) columns but (\\d+) values|(\\d+) values for (\\d+) columns"));
        if (const QRegularExpressionMatch m = counts.match(message); m.hasMatch()) {
            const bool tooMany = m.captured(1).isEmpty() ? m.captured(3).toInt() > m.captured(4).toInt()
                                                          : m.captured(2).toInt() > m.captured(1).toInt();
            throw EngineError(tooMany ? QStringLiteral("ORA-00913: too many values")
                                      : QStringLiteral("ORA-00947: not enough values"));
        }
        if (message.startsWith(QStringLiteral("incomplete input")))
            throw EngineError(QStringLiteral("ORA-00900: invalid SQL statement (incomplete)"));
        if (message.endsWith(QStringLiteral(": syntax error")))
            throw EngineError(QStringLiteral("ORA-00900: invalid SQL statement (%1)").arg(message.chopped(14)));
        if (message.contains(QStringLiteral("syntax error")))
            oracle = QStringLiteral("ORA-00900: invalid SQL statement");
        else if (message.contains(QStringLiteral("already exists")))
            throw EngineError(QStringLiteral("ORA-00955: name is already used by an existing object"));
        break;
    }
    throw EngineError(oracle.isEmpty() ? message : oracle + QStringLiteral(" (") + message + QLatin1Char(')'));
}

void SqliteEngine::stepToDone(sqlite3_stmt* stmt) const
{
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE)
        raise();
}
