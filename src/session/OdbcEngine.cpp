#include "session/OdbcEngine.h"

#include "session/OraError.h"
#include "session/SqlLexer.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>

namespace {

std::atomic<int> g_connectionNumber{0};

[[noreturn]] void Raise(const QSqlError& error)
{
    QString message = error.databaseText().trimmed();
    if (message.isEmpty())
        message = error.text().trimmed();
    throw OraError(message);
}

// Only one statement per call, as with the embedded engine.
void CheckSingleStatement(const QString& sql)
{
    LexOneStatement(sql.toUtf8());
}

// The statement without a trailing ";", which Oracle refuses.
QString WithoutTerminator(const QString& sql)
{
    QString text = sql.trimmed();
    while (text.endsWith(QLatin1Char(';')))
        text.chop(1);
    return text;
}

QVariant Normalise(const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
        return value.toDouble();
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0));
    case QMetaType::QDateTime:
    case QMetaType::QByteArray:
    case QMetaType::QString:
        return value;
    default:
        return value.toString();
    }
}

class OdbcCursor : public OraCursor {
public:
    explicit OdbcCursor(QSqlQuery query) : m_query(std::move(query))
    {
        m_record = m_query.record();
        m_atEnd = !m_query.next();
        if (m_atEnd && m_query.lastError().isValid())
            Raise(m_query.lastError());
    }

    bool atEnd() const override { return m_atEnd; }
    void next() override
    {
        if (m_atEnd)
            return;
        m_atEnd = !m_query.next();
        if (m_atEnd && m_query.lastError().isValid())
            Raise(m_query.lastError());
    }
    int columnCount() const override { return m_record.count(); }
    QString columnName(int column) const override { return m_record.fieldName(column); }
    QVariant value(int column) const override
    {
        return m_atEnd ? QVariant() : Normalise(m_query.value(column));
    }

private:
    QSqlQuery m_query;
    QSqlRecord m_record;
    bool m_atEnd = false;
};

}  // namespace

std::shared_ptr<OdbcEngine> OdbcEngine::open(const QString& service, const QString& user,
                                             const QString& password)
{
    std::shared_ptr<OdbcEngine> engine(new OdbcEngine);
    engine->m_connectionName = QStringLiteral("kova-odbc-%1").arg(++g_connectionNumber);
    engine->m_database = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), engine->m_connectionName);
    if (!engine->m_database.isValid())
        throw OraError(QStringLiteral("ORA-12154: the ODBC driver is not available"));
    engine->m_database.setDatabaseName(service);
    engine->m_database.setUserName(user);
    engine->m_database.setPassword(password);
    if (!engine->m_database.open())
        Raise(engine->m_database.lastError());
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

std::unique_ptr<OraCursor> OdbcEngine::openCursor(const QString& sql)
{
    CheckSingleStatement(sql);
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (!query.exec(WithoutTerminator(sql)))
        Raise(query.lastError());
    return std::make_unique<OdbcCursor>(std::move(query));
}

qint64 OdbcEngine::execute(const QString& sql)
{
    CheckSingleStatement(sql);
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (!query.exec(WithoutTerminator(sql)))
        Raise(query.lastError());
    const int affected = query.numRowsAffected();
    return query.isSelect() || affected < 0 ? 0 : affected;
}

qint64 OdbcEngine::countRows(const QString& sql)
{
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM (%1) kova_count").arg(WithoutTerminator(sql))))
        Raise(query.lastError());
    return query.next() ? query.value(0).toLongLong() : 0;
}

void OdbcEngine::beginTransaction()
{
    if (!m_database.transaction())
        Raise(m_database.lastError());
}

void OdbcEngine::commit()
{
    if (!m_database.commit())
        Raise(m_database.lastError());
}

void OdbcEngine::rollback()
{
    if (!m_database.rollback())
        Raise(m_database.lastError());
}
