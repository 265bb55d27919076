#include "engine/OdbcBatch.h"

#include "engine/EngineError.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>

using namespace Qt::StringLiterals;

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters must be UTF-16 code units");
static_assert(sizeof(SQLLEN) == sizeof(long) && sizeof(SQLULEN) == sizeof(unsigned long));
static_assert(sizeof(SQLUSMALLINT) == sizeof(unsigned short));

namespace {

const SQLWCHAR* Wide(const QString& text)
{
    return reinterpret_cast<const SQLWCHAR*>(text.utf16());
}

QString Diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    QString text;
    SQLWCHAR state[6] = {};
    SQLWCHAR message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT i = 1;
         SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, i, state, &native, message, SQLSMALLINT(std::size(message)), &length));
         ++i) {
        if (!text.isEmpty())
            text += u' ';
        text += QString::fromUtf16(reinterpret_cast<const char16_t*>(message),
                                   std::clamp<qsizetype>(length, 0, qsizetype(std::size(message)) - 1))
                    .trimmed();
    }
    return text;
}

// An INSERT's text before its one row of values, and that row: "INSERT INTO
// t (a, b) VALUES " and "(?, ?)"; false for any other statement, or when
// `parameters` markers are not all in that row.
bool SplitValues(const QString& text, int parameters, QString* head, QString* tuple)
{
    if (!text.trimmed().startsWith(u"INSERT"_s, Qt::CaseInsensitive))
        return false;
    qsizetype values = -1;
    qsizetype open = -1;
    qsizetype close = -1;
    int depth = 0;
    int markers = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\'' || c == u'"') {
            const qsizetype end = text.indexOf(c, i + 1);
            if (end < 0)
                return false;
            i = end;  // a doubled quote reads as two quoted texts
            continue;
        }
        if (close >= 0) {
            if (!c.isSpace())
                return false;  // anything after the row of values
            continue;
        }
        if (c == u'?')
            markers += open >= 0 ? 1 : 100000;
        if (values < 0 && depth == 0 && text.mid(i, 6).compare(u"VALUES"_s, Qt::CaseInsensitive) == 0
            && (i == 0 || !text[i - 1].isLetterOrNumber()) && (i + 6 >= text.size() || !text[i + 6].isLetterOrNumber())) {
            values = i;
            i += 5;
        } else if (c == u'(') {
            if (values >= 0 && open < 0) {
                if (!text.mid(values + 6, i - values - 6).trimmed().isEmpty())
                    return false;
                open = i;
            }
            ++depth;
        } else if (c == u')' && --depth == 0 && open >= 0) {
            close = i;
        }
    }
    if (close < 0 || markers != parameters)
        return false;
    *head = text.left(values + 6) + u' ';
    *tuple = text.mid(open, close - open + 1);
    return true;
}

bool RowTookEffect(SQLUSMALLINT status)
{
    return status == SQL_PARAM_SUCCESS || status == SQL_PARAM_SUCCESS_WITH_INFO;
}

}  // namespace

bool OdbcBatch::DriverSupportsArrays(void* connection)
{
    SQLUINTEGER counts = 0;
    return connection
        && SQL_SUCCEEDED(SQLGetInfo(connection, SQL_PARAM_ARRAY_ROW_COUNTS, &counts, sizeof counts, nullptr))
        && counts == SQL_PARC_BATCH;
}

std::unique_ptr<OdbcBatch> OdbcBatch::prepare(void* connection, ServerKind server, const QString& sql,
                                              int parameters, std::function<bool()> connectionLost)
{
    std::unique_ptr<OdbcBatch> batch(new OdbcBatch);
    batch->m_server = server;
    batch->m_parameters = parameters;
    batch->m_connectionLost = std::move(connectionLost);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &batch->m_statement))
        || !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, connection, &batch->m_control)))
        return nullptr;
    // An option the driver changed to a value of its own (01S02) means no
    // arrays either.
    if (SQLSetStmtAttr(batch->m_statement, SQL_ATTR_PARAM_BIND_TYPE, SQLPOINTER(SQL_PARAM_BIND_BY_COLUMN), 0)
            != SQL_SUCCESS
        || SQLSetStmtAttr(batch->m_statement, SQL_ATTR_PARAMS_PROCESSED_PTR, &batch->m_processed, 0) != SQL_SUCCESS)
        return nullptr;
    const QString text = ServerStatement(server, sql);
    if (!SQL_SUCCEEDED(SQLPrepareW(batch->m_statement, const_cast<SQLWCHAR*>(Wide(text)), SQL_NTS)))
        batch->raise(batch->m_statement);
    batch->m_connection = connection;
    if (server == ServerKind::PostgreSQL)
        SplitValues(text, parameters, &batch->m_head, &batch->m_tuple);
    return batch;
}

OdbcBatch::~OdbcBatch()
{
    if (m_statement)
        SQLFreeHandle(SQL_HANDLE_STMT, m_statement);
    if (m_control)
        SQLFreeHandle(SQL_HANDLE_STMT, m_control);
    for (const auto& [rows, statement] : m_multiRow)
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
}

void* OdbcBatch::multiRowStatement(int rows)
{
    for (const auto& [count, statement] : m_multiRow) {
        if (count == rows)
            return statement;
    }
    // A run needs two: its batches and the last one.
    if (m_multiRow.size() >= 2) {
        SQLFreeHandle(SQL_HANDLE_STMT, m_multiRow.front().second);
        m_multiRow.erase(m_multiRow.begin());
    }
    SQLHSTMT statement = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_connection, &statement)))
        return nullptr;
    QString text = m_head;
    text.reserve(m_head.size() + rows * (m_tuple.size() + 2));
    for (int r = 0; r < rows; ++r) {
        if (r > 0)
            text += u", "_s;
        text += m_tuple;
    }
    if (!SQL_SUCCEEDED(SQLPrepareW(statement, const_cast<SQLWCHAR*>(Wide(text)), SQL_NTS))) {
        SQLFreeHandle(SQL_HANDLE_STMT, statement);
        return nullptr;
    }
    m_multiRow.emplace_back(rows, statement);
    return statement;
}

void OdbcBatch::raise(void* statement) const
{
    QString message = Diagnostics(SQL_HANDLE_STMT, statement);
    if (message.isEmpty())
        message = u"the ODBC driver reported an error without a message"_s;
    throw EngineError(message);
}

void OdbcBatch::raiseLost(const QString& diagnostics) const
{
    throw EngineError(u"the connection to the server was lost: "_s
                      + (diagnostics.isEmpty() ? u"the ODBC driver gave no reason"_s : diagnostics));
}

bool OdbcBatch::control(const QString& sql)
{
    const SQLRETURN rc = SQLExecDirectW(m_control, const_cast<SQLWCHAR*>(Wide(sql)), SQL_NTS);
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) {
        SQLFreeStmt(m_control, SQL_CLOSE);
        return true;
    }
    // Closing the statement clears its diagnostics.
    const QString diagnostics = Diagnostics(SQL_HANDLE_STMT, m_control);
    SQLFreeStmt(m_control, SQL_CLOSE);
    if (m_connectionLost())
        raiseLost(diagnostics);
    m_controlRefused = sql + u": "_s + diagnostics;
    return false;
}

void OdbcBatch::layOut(const std::vector<basKovaData::SqlValue>& values, int rows)
{
    // Every parameter gets a column of `rows` cells as wide as its longest
    // value (and its terminating zero).
    m_widths.assign(std::size_t(m_parameters), 1);
    for (int r = 0; r < rows; ++r)
        for (int p = 0; p < m_parameters; ++p)
            if (const auto& value = values[std::size_t(r * m_parameters + p)]; value.type != basKovaData::SqlValue::Type::Null)
                m_widths[std::size_t(p)] = std::max(m_widths[std::size_t(p)], value.text.size() + 1);
    qsizetype total = 0;
    for (const qsizetype width : m_widths)
        total += width * rows;
    m_text.assign(std::size_t(total), u'\0');
    m_lengths.assign(std::size_t(m_parameters) * std::size_t(rows), 0);

    char16_t* column = m_text.data();
    for (int p = 0; p < m_parameters; ++p) {
        const qsizetype width = m_widths[std::size_t(p)];
        SQLLEN* lengths = reinterpret_cast<SQLLEN*>(m_lengths.data()) + std::size_t(p) * std::size_t(rows);
        for (int r = 0; r < rows; ++r) {
            const auto& value = values[std::size_t(r * m_parameters + p)];
            if (value.type == basKovaData::SqlValue::Type::Null) {
                lengths[r] = SQL_NULL_DATA;
                continue;
            }
            std::copy_n(reinterpret_cast<const char16_t*>(value.text.utf16()), value.text.size(), column + r * width);
            lengths[r] = SQLLEN(value.text.size() * qsizetype(sizeof(SQLWCHAR)));
        }
        column += width * rows;
    }
}

bool OdbcBatch::bindArrays(int rows)
{
    if (m_status.size() < std::size_t(rows)) {
        m_status.resize(std::size_t(rows));
        if (SQLSetStmtAttr(m_statement, SQL_ATTR_PARAM_STATUS_PTR, m_status.data(), 0) != SQL_SUCCESS) {
            m_unsupported = u"no status per row: "_s + Diagnostics(SQL_HANDLE_STMT, m_statement);
            return false;
        }
    }
    if (SQLSetStmtAttr(m_statement, SQL_ATTR_PARAMSET_SIZE, SQLPOINTER(SQLULEN(rows)), 0) != SQL_SUCCESS) {
        m_unsupported = u"no arrays of %1 rows: "_s.arg(rows) + Diagnostics(SQL_HANDLE_STMT, m_statement);
        return false;
    }
    char16_t* column = m_text.data();
    for (int p = 0; p < m_parameters; ++p) {
        const qsizetype width = m_widths[std::size_t(p)];
        SQLLEN* lengths = reinterpret_cast<SQLLEN*>(m_lengths.data()) + std::size_t(p) * std::size_t(rows);
        const SQLRETURN rc = SQLBindParameter(m_statement, SQLUSMALLINT(p + 1), SQL_PARAM_INPUT, SQL_C_WCHAR,
                                              SQL_WVARCHAR, SQLULEN(std::max<qsizetype>(width - 1, 1)), 0, column,
                                              SQLLEN(width * qsizetype(sizeof(SQLWCHAR))), lengths);
        if (!SQL_SUCCEEDED(rc)) {
            m_unsupported = u"parameter %1: "_s.arg(p + 1) + Diagnostics(SQL_HANDLE_STMT, m_statement);
            return false;
        }
        column += width * rows;
    }
    return true;
}

int OdbcBatch::rowsPerStatement(int rows) const
{
    // PostgreSQL takes at most 65,535 parameters in one statement, but
    // psqlODBC fails well before: with 8,000 it loses track of the server's
    // description of them ("lost synchronization with server"), beyond
    // 32,767 it writes past its own memory. 4,000 leave 500-row batches
    // whole up to eight columns.
    return std::max(1, std::min(rows, 4000 / std::max(1, m_parameters)));
}

bool OdbcBatch::bindRows(void* statement, int first, int count, int rows, QString* problem)
{
    char16_t* column = m_text.data();
    for (int p = 0; p < m_parameters; ++p) {
        const qsizetype width = m_widths[std::size_t(p)];
        SQLLEN* lengths = reinterpret_cast<SQLLEN*>(m_lengths.data()) + std::size_t(p) * std::size_t(rows);
        for (int r = first; r < first + count; ++r) {
            const int number = (r - first) * m_parameters + p + 1;
            const SQLRETURN rc = SQLBindParameter(statement, SQLUSMALLINT(number), SQL_PARAM_INPUT, SQL_C_WCHAR,
                                                  SQL_WVARCHAR, SQLULEN(std::max<qsizetype>(width - 1, 1)), 0,
                                                  column + r * width, SQLLEN(width * qsizetype(sizeof(SQLWCHAR))),
                                                  lengths + r);
            if (!SQL_SUCCEEDED(rc)) {
                *problem = u"parameter %1: "_s.arg(number) + Diagnostics(SQL_HANDLE_STMT, statement);
                return false;
            }
        }
        column += width * rows;
    }
    return true;
}

bool OdbcBatch::runMultiRow(int rows, QString* diagnostics)
{
    const int perStatement = rowsPerStatement(rows);
    for (int first = 0; first < rows; first += perStatement) {
        const int count = std::min(perStatement, rows - first);
        void* statement = multiRowStatement(count);
        if (!statement) {
            *diagnostics = u"the driver did not prepare an INSERT of %1 rows"_s.arg(count);
            return false;
        }
        // The first rows were bound before the savepoint.
        if (first > 0 && !bindRows(statement, first, count, rows, diagnostics))
            return false;
        const SQLRETURN rc = SQLExecute(statement);
        const bool failed = !SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA;
        // Closing the statement clears its diagnostics.
        if (failed)
            *diagnostics = Diagnostics(SQL_HANDLE_STMT, statement);
        SQLFreeStmt(statement, SQL_CLOSE);
        if (failed)
            return false;
    }
    return true;
}

OraBatch::Outcome OdbcBatch::run(const std::vector<basKovaData::SqlValue>& values, int rows)
{
    if (rows <= 0)
        return Outcome::Done;
    if (!m_unsupported.isEmpty())
        return Outcome::Unsupported;
    if (values.size() < std::size_t(rows) * std::size_t(m_parameters)) {
        m_unsupported = u"fewer values than parameters"_s;
        return Outcome::Unsupported;
    }
    // Bound before the savepoint: a value the driver cannot take leaves
    // nothing on the server to undo.
    layOut(values, rows);
    const int firstRows = rowsPerStatement(rows);
    void* first = m_tuple.isEmpty() ? nullptr : multiRowStatement(firstRows);
    const bool multiRow = first != nullptr;
    if (multiRow ? !bindRows(first, 0, firstRows, rows, &m_unsupported) : !bindArrays(rows))
        return Outcome::Unsupported;
    // A batch that is one multi-row INSERT is undone by psqlODBC's own
    // savepoint around every statement when the server refuses it; a
    // savepoint of ours would cost two more exchanges, and the server a lock
    // until the end of the run for each.
    const bool ownSavepoint = !(multiRow && firstRows >= rows);
    // psqlODBC answers a refused batch in a transaction that has run nothing
    // but a savepoint by rolling the whole transaction back, savepoint and
    // all; a statement first makes it undo just the batch.
    if (ownSavepoint
        && (!control(m_server == ServerKind::Oracle ? u"SELECT 1 FROM DUAL"_s : u"SELECT 1"_s)
            || !control(u"SAVEPOINT kova_batch"_s))) {
        m_unsupported = m_controlRefused;
        return Outcome::Unsupported;
    }
    bool done = false;
    QString diagnostics;
    if (multiRow) {
        done = runMultiRow(rows, &diagnostics);
    } else {
        std::fill_n(m_status.begin(), rows, SQLUSMALLINT(SQL_PARAM_UNUSED));
        m_processed = 0;
        const SQLRETURN rc = SQLExecute(m_statement);
        // Closing the statement clears its diagnostics.
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
            diagnostics = Diagnostics(SQL_HANDLE_STMT, m_statement);
        SQLFreeStmt(m_statement, SQL_CLOSE);
        // A searched UPDATE that finds no row gives SQL_NO_DATA, as one
        // statement that changes nothing does.
        done = (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) && m_processed == SQLULEN(rows)
               && std::all_of(m_status.begin(), m_status.begin() + rows, RowTookEffect);
    }
    if (!done && m_connectionLost())
        raiseLost(diagnostics);
    const bool oracle = m_server == ServerKind::Oracle;
    if (!ownSavepoint)
        return done ? Outcome::Done : Outcome::Refused;
    if (done) {
        // Oracle keeps one savepoint per name and has no RELEASE.
        if (!oracle && !control(u"RELEASE SAVEPOINT kova_batch"_s))
            throw EngineError(u"the server did not release its savepoint"_s);
        return Outcome::Done;
    }
    if (!control(u"ROLLBACK TO SAVEPOINT kova_batch"_s))
        throw EngineError(u"the server could not undo a refused batch"_s);
    if (!oracle)
        control(u"RELEASE SAVEPOINT kova_batch"_s);
    return Outcome::Refused;
}
