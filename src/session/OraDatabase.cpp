#include "session/OraDatabase.h"

OraDatabase::OraDatabase(std::shared_ptr<OraEngine> engine) : m_engine(std::move(engine)) {}

std::unique_ptr<OraDynaset> OraDatabase::DBCreateDynaset(const QString& sql, int options)
{
    Q_UNUSED(options);
    return std::make_unique<OraDynaset>(m_engine, m_engine->openCursor(sql), sql);
}

qint64 OraDatabase::DbExecuteSQL(const QString& sql)
{
    return m_engine->execute(sql);
}
