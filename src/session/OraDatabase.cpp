#include "session/OraDatabase.h"

#include "engine/OdbcEngine.h"

OraDatabase::OraDatabase(std::shared_ptr<OraEngine> engine) : m_engine(std::move(engine)) {}

std::unique_ptr<OraDynaset> OraDatabase::DBCreateDynaset(const QString& sql, int options)
{
    Q_UNUSED(options);
    return std::make_unique<OraDynaset>(m_engine, m_engine->openCursor(sql), sql);
}

bool OraDatabase::BytesInUtf8() const
{
    return dynamic_cast<const OdbcEngine*>(m_engine.get()) != nullptr;
}

QString OraDatabase::HexBytesPrefix() const
{
    const auto* odbc = dynamic_cast<const OdbcEngine*>(m_engine.get());
    return odbc && odbc->serverKind() == ServerKind::PostgreSQL ? QStringLiteral("\\x") : QString();
}

qint64 OraDatabase::DbExecuteSQL(const QString& sql)
{
    return m_engine->execute(sql);
}
