#pragma once
// Set-up shared by the engine and console tests: an embedded database that
// lives as long as the test's object, rows as one text, a statement's error.
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "support/TestSupport.h"

namespace kovatest {

// Rows as one text: values joined by ",", rows by ";".
inline QString RowsText(const QList<QStringList>& rows)
{
    QStringList lines;
    for (const QStringList& row : rows)
        lines.append(row.join(QLatin1Char(',')));
    return lines.join(QLatin1Char(';'));
}

// A new embedded database file with `statements` run on it.
struct EngineDb {
    explicit EngineDb(const QStringList& statements = {}) : db(OpenTestDatabase(dir, statements)) {}
    OraDatabase* operator->() const { return db.database.get(); }
    QList<QStringList> rows(const QString& sql) const { return QueryRows(*db.database, sql); }
    QString text(const QString& sql) const { return RowsText(rows(sql)); }

    QTemporaryDir dir;
    TestDatabase db;
};

// The message of the OraError that `action` raises; "accepted" when none.
template <class Action>
QString ErrorOf(Action action)
{
    try {
        action();
    } catch (const OraError& error) {
        return error.message();
    }
    return QStringLiteral("accepted");
}

}  // namespace kovatest
