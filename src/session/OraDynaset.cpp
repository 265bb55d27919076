#include "session/OraDynaset.h"

OraDynaset::OraDynaset(std::shared_ptr<OraEngine> engine, std::unique_ptr<OraCursor> cursor, QString sql)
    : m_engine(std::move(engine)), m_cursor(std::move(cursor)), m_sql(std::move(sql))
{
}

OraDynaset::~OraDynaset() = default;

bool OraDynaset::IsEOF() const
{
    return !m_cursor || m_cursor->atEnd();
}

void OraDynaset::MoveNext()
{
    if (m_cursor)
        m_cursor->next();
}

void OraDynaset::Close()
{
    m_cursor.reset();
}

int OraDynaset::FieldCount() const
{
    return m_cursor ? m_cursor->columnCount() : 0;
}

QString OraDynaset::FieldName(int index) const
{
    return m_cursor ? m_cursor->columnName(index) : QString();
}

QVariant OraDynaset::Value(int index) const
{
    return m_cursor ? m_cursor->value(index) : QVariant();
}

QVariant OraDynaset::Value(const QString& name) const
{
    if (!m_cursor)
        return {};
    if (m_nameIndex.isEmpty()) {
        // The first of equal names wins, as with a lookup by position.
        for (int i = m_cursor->columnCount() - 1; i >= 0; --i)
            m_nameIndex.insert(m_cursor->columnName(i).toUpper(), i);
    }
    const auto found = m_nameIndex.constFind(name.toUpper());
    return found == m_nameIndex.constEnd() ? QVariant() : m_cursor->value(found.value());
}

qint64 OraDynaset::RecordCount()
{
    if (!m_recordCount)
        m_recordCount = m_engine->countRows(m_sql);
    return *m_recordCount;
}
