#include "PgCopy.h"

#include "session/OraError.h"

#include <libpq-fe.h>

using namespace Qt::StringLiterals;

namespace kovagenerate {

namespace {

// The message of a failed result, or of the connection.
QString Message(PGconn* connection, const PGresult* result)
{
    const char* text = result ? PQresultErrorMessage(result) : nullptr;
    if (!text || !*text)
        text = PQerrorMessage(connection);
    const QString message = QString::fromUtf8(text).trimmed();
    // Whether the server said why before it went, or not.
    const char* severity = result ? PQresultErrorField(result, PG_DIAG_SEVERITY_NONLOCALIZED) : nullptr;
    const bool ended = PQstatus(connection) == CONNECTION_BAD || (severity && qstrcmp(severity, "ERROR") != 0);
    return ended ? u"the connection to the server was lost: "_s + message : message;
}

}  // namespace

PgCopy::~PgCopy()
{
    // A transaction still open ends with the session: the server rolls it back.
    if (m_connection)
        PQfinish(m_connection);
}

std::optional<PgSettings> ParsePgConnection(const QString& text, QString* error)
{
    char* why = nullptr;
    PQconninfoOption* options = PQconninfoParse(text.toUtf8().constData(), &why);
    if (!options) {
        *error = why ? QString::fromUtf8(why).trimmed() : u"out of memory"_s;
        PQfreemem(why);
        return std::nullopt;
    }
    PgSettings settings;
    for (const PQconninfoOption* option = options; option->keyword; ++option)
        if (option->val)
            settings.emplace_back(option->keyword, option->val);
    PQconninfoFree(options);
    return settings;
}

QString PgCopy::connect(const PgSettings& settings)
{
    std::vector<const char*> keywords, values;
    for (const auto& [keyword, value] : settings) {
        keywords.push_back(keyword.constData());
        values.push_back(value.constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    m_connection = PQconnectdbParams(keywords.data(), values.data(), 0);
    if (PQstatus(m_connection) == CONNECTION_OK)
        return {};
    return QString::fromUtf8(PQerrorMessage(m_connection)).trimmed();
}

namespace {

// Runs `sql` on `connection`; OraError with the server's message unless the
// result is `expected`.
void Execute(PGconn* connection, const QString& sql, ExecStatusType expected)
{
    PGresult* result = PQexec(connection, sql.toUtf8().constData());
    const bool ok = PQresultStatus(result) == expected;
    const QString message = ok ? QString() : Message(connection, result);
    PQclear(result);
    if (!ok)
        throw OraError(message);
}

}  // namespace

void PgCopy::run(const QString& sql)
{
    Execute(m_connection, sql, PGRES_COMMAND_OK);
}

void PgCopy::copyBegin(const QString& sql)
{
    Execute(m_connection, sql, PGRES_COPY_IN);
}

void PgCopy::copyPut(const QByteArray& bytes)
{
    // A row the server refused ends the COPY on its side: libpq sees its
    // message when it next reads, and the call after that fails.
    if (PQputCopyData(m_connection, bytes.constData(), int(bytes.size())) != 1) {
        // The server's own reason, when it gave one.
        PGresult* result = PQgetResult(m_connection);
        const QString message = Message(m_connection, result);
        PQclear(result);
        throw OraError(message);
    }
    // What the server said so far: its refusal stops the run at once, not
    // at the end of the rows.
    if (!PQconsumeInput(m_connection))
        throw OraError(Message(m_connection, nullptr));
    if (!PQisBusy(m_connection)) {
        PGresult* result = PQgetResult(m_connection);
        if (result && PQresultStatus(result) != PGRES_COPY_IN) {
            const QString message = Message(m_connection, result);
            PQclear(result);
            throw OraError(message);
        }
        PQclear(result);
    }
}

void PgCopy::copyEnd()
{
    if (PQputCopyEnd(m_connection, nullptr) != 1)
        throw OraError(Message(m_connection, nullptr));
    QString message;
    while (PGresult* result = PQgetResult(m_connection)) {
        if (PQresultStatus(result) != PGRES_COMMAND_OK && message.isEmpty())
            message = Message(m_connection, result);
        PQclear(result);
    }
    if (!message.isEmpty())
        throw OraError(message);
}

}  // namespace kovagenerate
