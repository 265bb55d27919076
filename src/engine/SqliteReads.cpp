// What the embedded engine reads: the cursor over a query's rows (columns
// declared DATE read as dates) and the count of a query's rows.
#include "engine/SqliteEngine.h"

#include "engine/EngineError.h"
#include "engine/SqlLexer.h"
#include "engine/oracle/OracleDialect.h"

#include <QDateTime>
#include <QScopeGuard>

#include <sqlite3.h>

namespace {

QString Utf8(const char* text)
{
    return QString::fromUtf8(text ? text : "");
}

QVariant DateValue(const char* text, int bytes)
{
    DateParts d;
    if (!ParseStoredDate(std::string_view(text, static_cast<size_t>(bytes)), &d))
        return QString::fromUtf8(text, bytes);
    // Stored dates are naive: read as UTC, they cost no time-zone lookup.
    return QDateTime(QDate(d.year, d.month, d.day), QTime(d.hour, d.minute, d.second), Qt::UTC);
}

class SqliteCursor : public OraCursor {
public:
    enum class Kind { Plain, Date, Guess };

    SqliteCursor(const SqliteEngine& engine, sqlite3_stmt* stmt) : m_engine(engine), m_stmt(stmt)
    {
        const int count = sqlite3_column_count(stmt);
        for (int i = 0; i < count; ++i) {
            m_names.append(Utf8(sqlite3_column_name(stmt, i)));
            // Columns declared DATE read as dates; expressions (no declared
            // type) read as dates when they hold a stored date.
            const char* declared = sqlite3_column_decltype(stmt, i);
            if (!declared)
                m_kinds.append(Kind::Guess);
            else if (ParseDeclaredType(declared).family == OracleColumnType::Family::Date)
                m_kinds.append(Kind::Date);
            else
                m_kinds.append(Kind::Plain);
        }
        try {
            step();
        } catch (...) {
            sqlite3_finalize(m_stmt);
            throw;
        }
    }

    ~SqliteCursor() override { sqlite3_finalize(m_stmt); }
    SqliteCursor(const SqliteCursor&) = delete;
    SqliteCursor& operator=(const SqliteCursor&) = delete;

    bool atEnd() const override { return m_atEnd; }

    void next() override
    {
        if (!m_atEnd)
            step();
    }

    int columnCount() const override { return static_cast<int>(m_names.size()); }

    QString columnName(int column) const override { return m_names.value(column); }

    QVariant value(int column) const override
    {
        if (m_atEnd || column < 0 || column >= m_names.size())
            return {};
        switch (sqlite3_column_type(m_stmt, column)) {
        case SQLITE_INTEGER:
            return static_cast<double>(sqlite3_column_int64(m_stmt, column));
        case SQLITE_FLOAT:
            return sqlite3_column_double(m_stmt, column);
        case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
            const int bytes = sqlite3_column_bytes(m_stmt, column);
            const Kind kind = m_kinds[column];
            if (kind == Kind::Date || (kind == Kind::Guess && bytes == 19))
                return DateValue(text, bytes);
            return QString::fromUtf8(text, bytes);
        }
        case SQLITE_BLOB: {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
            return QByteArray(data, sqlite3_column_bytes(m_stmt, column));
        }
        default:
            return {};
        }
    }

private:
    void step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return;
        m_atEnd = true;
        if (rc != SQLITE_DONE)
            m_engine.raise();
    }

    const SqliteEngine& m_engine;
    sqlite3_stmt* m_stmt;
    QStringList m_names;
    QList<Kind> m_kinds;
    bool m_atEnd = false;
};

}  // namespace

std::unique_ptr<OraCursor> SqliteEngine::openCursor(const QString& sql)
{
    m_history.record(sql);
    LexedStatement lexed = LexOneStatement(sql.toUtf8());
    OracleDialect::Rewrite(&lexed);
    sqlite3_stmt* stmt = prepareText(lexed.text);
    // A dynaset only reads: a statement that would write (a DELETE handed
    // over as a query, say) is refused before it runs.
    if (!sqlite3_stmt_readonly(stmt)) {
        sqlite3_finalize(stmt);
        throw EngineError(QStringLiteral("ORA-01456: may not perform insert/delete/update operation inside a READ ONLY transaction"));
    }
    auto cursor = std::make_unique<SqliteCursor>(*this, stmt);  // finalizes stmt if its first step fails
    afterStatement(lexed);
    return cursor;
}

qint64 SqliteEngine::countRows(const QString& sql)
{
    LexedStatement lexed = LexOneStatement(sql.toUtf8());
    OracleDialect::Rewrite(&lexed);
    sqlite3_stmt* stmt = prepareText("SELECT COUNT(*) FROM (" + lexed.text + "\n)");
    const auto release = qScopeGuard([stmt] { sqlite3_finalize(stmt); });
    if (sqlite3_step(stmt) != SQLITE_ROW)
        raise();
    return sqlite3_column_int64(stmt, 0);
}
