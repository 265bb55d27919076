#include "engine/OdbcEngine.h"

#include "engine/EngineError.h"
#include "engine/OdbcBatch.h"
#include "shared/ValueText.h"

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <atomic>

using namespace Qt::StringLiterals;

namespace {

std::atomic<int> g_connectionNumber{0};

[[noreturn]] void Raise(const QSqlError& error)
{
    QString message = error.databaseText().trimmed();
    if (message.isEmpty())
        message = error.text().trimmed();
    throw EngineError(message);
}

// Numbers as double, dates as the embedded engine gives them (the server's
// wall-clock time, tagged UTC), character and binary data as they come.
QVariant Normalise(const QVariant& value)
{
    if (value.isNull())
        return {};
    if (basKovaData::IsNumberValue(value))
        return value.toDouble();
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0), Qt::UTC);
    case QMetaType::QDateTime: {
        const QDateTime stamp = value.toDateTime();
        return QDateTime(stamp.date(), QTime(stamp.time().hour(), stamp.time().minute(), stamp.time().second()),
                         Qt::UTC);
    }
    case QMetaType::QByteArray:
    case QMetaType::QString:
        return value;
    default:
        return value.toString();
    }
}

QString BracedValue(const QString& value)
{
    if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{')) && !value.contains(QLatin1Char('}'))
        && value.trimmed() == value)
        return value;
    return u"{"_s + QString(value).replace(u"}"_s, u"}}"_s) + u"}"_s;
}

class OdbcCursor : public OraCursor {
public:
    OdbcCursor(QSqlQuery query, bool upperCaseNames) : m_query(std::move(query))
    {
        m_record = m_query.record();
        // PostgreSQL folds unquoted names to lower case where Oracle folds them
        // to upper case; a name with a capital in it was quoted and stays.
        if (upperCaseNames) {
            for (int i = 0; i < m_record.count(); ++i) {
                const QString name = m_record.fieldName(i);
                m_names.append(name == name.toLower() ? name.toUpper() : name);
            }
        }
        advance();
    }

    bool atEnd() const override { return m_atEnd; }
    void next() override
    {
        if (!m_atEnd)
            advance();
    }
    int columnCount() const override { return m_record.count(); }
    QString columnName(int column) const override
    {
        return column < m_names.size() ? m_names[column] : m_record.fieldName(column);
    }
    QVariant value(int column) const override
    {
        // The driver's null flag, not the value: a NULL number comes back as
        // a double whose text is "0".
        if (m_atEnd || m_query.isNull(column))
            return {};
        return Normalise(m_query.value(column));
    }

private:
    void advance()
    {
        m_atEnd = !m_query.next();
        if (m_atEnd && m_query.lastError().isValid())
            Raise(m_query.lastError());
    }

    QSqlQuery m_query;
    QSqlRecord m_record;
    QStringList m_names;
    bool m_atEnd = false;
};

// A name the catalogue spells `spelling`, shown as `shown`; `quoted` is how
// the server itself would write it (quote_ident). A name the server folds to
// its spelling is written as shown, so that statements read as the program's
// others do; any other between double quotes, in the server's spelling.
ServerName PostgresName(const QString& shown, const QString& spelling, const QString& quoted)
{
    if (quoted == spelling && basKovaData::SqlName(shown) == shown && shown.toLower() == spelling)
        return {spelling, shown};
    return {spelling, u"\""_s + QString(spelling).replace(u"\""_s, u"\"\""_s) + u"\""_s};
}

}  // namespace

QString OdbcEngine::ConnectionString(const QString& service, const QString& user, const QString& password)
{
    QString text = service.contains(QLatin1Char('=')) ? service.trimmed() : u"DSN="_s + BracedValue(service.trimmed());
    while (text.endsWith(QLatin1Char(';')))
        text.chop(1);
    if (!user.isEmpty())
        text += u";UID="_s + BracedValue(user);
    if (!password.isEmpty())
        text += u";PWD="_s + BracedValue(password);
    return text;
}

QString OdbcEngine::QodbcDatabaseName(const QString& connectionString)
{
    // QODBC hands a name holding "DRIVER=" or "SERVER=" to the driver as it is
    // and puts "DSN=" in front of any other.
    if (connectionString.contains(u"DRIVER="_s, Qt::CaseInsensitive)
        || connectionString.contains(u"SERVER="_s, Qt::CaseInsensitive))
        return connectionString;
    if (connectionString.startsWith(u"DSN="_s, Qt::CaseInsensitive))
        return connectionString.mid(4);
    return connectionString;
}

std::shared_ptr<OdbcEngine> OdbcEngine::open(const QString& service, const QString& user,
                                             const QString& password)
{
    std::shared_ptr<OdbcEngine> engine(new OdbcEngine);
    engine->m_connectionName = u"kova-odbc-%1"_s.arg(++g_connectionNumber);
    engine->m_database = QSqlDatabase::addDatabase(u"QODBC"_s, engine->m_connectionName);
    if (!engine->m_database.isValid())
        throw EngineError(u"ORA-12154: the ODBC driver is not available"_s);
    // The whole connection string is ours, so that a ";" in a password stays
    // part of the password.
    engine->m_database.setDatabaseName(QodbcDatabaseName(ConnectionString(service, user, password)));
    if (!engine->m_database.open())
        Raise(engine->m_database.lastError());
    const QVariant handle = engine->m_database.driver()->handle();
    if (handle.isValid() && handle.metaType() == QMetaType::fromType<void*>())
        engine->m_connection = *static_cast<void* const*>(handle.constData());
    if (engine->m_connection) {
        char name[128] = {};
        SQLSMALLINT length = 0;
        if (SQL_SUCCEEDED(SQLGetInfo(engine->m_connection, SQL_DBMS_NAME, name, sizeof name, &length)))
            engine->m_server = ServerKindFromName(QString::fromUtf8(name));
        engine->m_arrays = OdbcBatch::DriverSupportsArrays(engine->m_connection);
    }
    return engine;
}

OdbcEngine::~OdbcEngine()
{
    if (m_database.isOpen())
        m_database.close();
    m_database = QSqlDatabase();
    if (!m_connectionName.isEmpty())
        QSqlDatabase::removeDatabase(m_connectionName);
}

bool OdbcEngine::connectionLost() const
{
    if (!m_connection)
        return !m_database.isOpen();
    SQLUINTEGER dead = SQL_CD_FALSE;
    if (!SQL_SUCCEEDED(SQLGetConnectAttr(m_connection, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr)))
        return false;
    return dead == SQL_CD_TRUE;
}

std::unique_ptr<OraBatch> OdbcEngine::prepareBatch(const QString& sql, int parameters)
{
    // ODBC numbers parameters from 1 to 65,535 (SQLUSMALLINT).
    if (!m_arrays || parameters < 1 || parameters > 65535)
        return nullptr;
    return OdbcBatch::prepare(m_connection, m_server, sql, parameters, [this] { return connectionLost(); });
}

std::unique_ptr<OraCursor> OdbcEngine::openCursor(const QString& sql)
{
    const QString text = ServerStatement(m_server, sql);
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    if (!query.exec(text))
        Raise(query.lastError());
    return std::make_unique<OdbcCursor>(std::move(query), m_server == ServerKind::PostgreSQL);
}

bool OdbcEngine::OutOfResources(const QString& message)
{
    // PostgreSQL's class 53 (insufficient resources) and Oracle's errors of
    // memory and space, by the words the servers write; and a PostgreSQL
    // transaction that an earlier error left unable to run anything (a data
    // source set to roll back whole transactions on an error).
    static const QStringList Signs{u"current transaction is aborted"_s,
                                   u"out of shared memory"_s,      u"out of memory"_s,
                                   u"could not extend file"_s,     u"No space left on device"_s,
                                   u"ORA-04031"_s,                 u"ORA-01653"_s,
                                   u"ORA-01654"_s,                 u"ORA-01688"_s,
                                   u"ORA-01536"_s,                 u"ORA-30036"_s};
    return std::any_of(Signs.begin(), Signs.end(),
                       [&](const QString& sign) { return message.contains(sign, Qt::CaseInsensitive); });
}

ServerName OdbcEngine::serverName(const QString& table, const QString& column)
{
    if (m_server == ServerKind::PostgreSQL) {
        if (const TableNames* names = tableNames(table)) {
            if (column.isEmpty())
                return names->table;
            if (const auto found = names->columns.constFind(column); found != names->columns.constEnd())
                return *found;
        }
    }
    return OraEngine::serverName(table, column);
}

const OdbcEngine::TableNames* OdbcEngine::tableNames(const QString& table)
{
    if (const auto found = m_names.constFind(table); found != m_names.constEnd())
        return &*found;
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (!m_hasNameView) {
        // A server prepared by an older dictionary script has no such view;
        // asking for it this way cannot spoil a transaction.
        m_hasNameView = query.exec(u"SELECT to_regclass('kova_oracle.kova_names') IS NOT NULL"_s) && query.next()
                        && query.value(0).toBool();
        query.finish();
    }
    if (!*m_hasNameView)
        return nullptr;
    query.prepare(u"SELECT table_spelling, table_sql, column_name, column_spelling, column_sql "
                  "FROM kova_oracle.kova_names WHERE table_name = ?"_s);
    query.addBindValue(table);
    // A server that cannot answer fails the statement that follows with its
    // own words.
    if (!query.exec())
        return nullptr;
    // Two tables shown alike ("mixedcase" and "MixedCase"): the first one.
    TableNames names;
    bool found = false;
    while (query.next()) {
        if (!found)
            names.table = PostgresName(table, query.value(0).toString(), query.value(1).toString());
        else if (query.value(0).toString() != names.table.spelling)
            continue;
        found = true;
        const QString shown = query.value(2).toString();
        if (!query.isNull(2) && !names.columns.contains(shown))
            names.columns.insert(shown, PostgresName(shown, query.value(3).toString(), query.value(4).toString()));
    }
    if (!found)
        return nullptr;
    return &*m_names.insert(table, std::move(names));
}

void OdbcEngine::forgetNamesAfter(const QString& sql)
{
    if (m_names.isEmpty())
        return;
    const QString head = sql.trimmed().section(QLatin1Char(' '), 0, 0).toUpper();
    if (head == u"CREATE"_s || head == u"ALTER"_s || head == u"DROP"_s || head == u"RENAME"_s)
        m_names.clear();
}

qint64 OdbcEngine::execute(const QString& sql)
{
    forgetNamesAfter(sql);
    const QString text = ServerStatement(m_server, sql);
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    m_outOfResources = false;
    if (!query.exec(text)) {
        m_outOfResources = OutOfResources(query.lastError().databaseText() + query.lastError().text());
        Raise(query.lastError());
    }
    const int affected = query.numRowsAffected();
    return query.isSelect() || affected < 0 ? 0 : affected;
}

qint64 OdbcEngine::countRows(const QString& sql)
{
    const QString text = ServerStatement(m_server, sql);
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (!query.exec(u"SELECT COUNT(*) FROM (%1) kova_count"_s.arg(text)))
        Raise(query.lastError());
    return query.next() ? query.value(0).toLongLong() : 0;
}

void OdbcEngine::beginTransaction()
{
    m_names.clear();  // another session may have changed the schema
    if (!m_database.transaction())
        Raise(m_database.lastError());
}

void OdbcEngine::commit()
{
    // A driver may report a commit on a dead connection as done; the server
    // has then thrown the transaction away.
    if (connectionLost())
        throw EngineError(u"the connection to the server was lost; nothing was committed"_s);
    if (!m_database.commit())
        Raise(m_database.lastError());
    if (connectionLost())
        throw EngineError(u"the connection to the server was lost during the commit"_s);
}

void OdbcEngine::rollback()
{
    if (!m_database.rollback())
        Raise(m_database.lastError());
}
