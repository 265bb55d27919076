#include "session/RowStatements.h"

#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "session/OraError.h"

using namespace Qt::StringLiterals;

namespace basKovaData {

RowStatements::RowStatements(::OraDatabase* database, int batchRows)
    : m_database(database), m_batchRows(std::max(batchRows, 1))
{
}

RowStatements::~RowStatements() = default;

void RowStatements::RunOnItsOwn(const QString& literal)
{
    if (ExecuteSql(m_database, literal) != -1)
        return;
    // A lost server fails every row from here on, and a lock held by another
    // program would be waited for again by every row: neither is a row that
    // the table refused.
    if (m_database->ConnectionLost())
        throw OraError(u"the connection to the server was lost"_s);
    if (m_database->LockedByOther())
        throw OraError(u"the database is locked by another program"_s);
    ++m_failures;
}

void RowStatements::Add(const QString& literal, StatementShape* shape)
{
    if (!Batched() || !shape || shape->values.empty()) {
        RunOnItsOwn(literal);
        return;
    }
    if (shape->text != m_shapeText) {
        Flush();
        m_shapeText = shape->text;
        m_batch.reset();
        try {
            m_batch = m_database->PrepareBatch(m_shapeText, int(shape->values.size()));
            // No parameter arrays here: every row from now on runs on its own.
            if (!m_batch)
                m_batchRows = 1;
        } catch (const OraError&) {
            // A statement the server cannot prepare fails in every row that
            // has this shape; each of them runs on its own and counts.
            if (m_database->ConnectionLost())
                throw;
        }
    }
    if (!m_batch) {
        RunOnItsOwn(literal);
        return;
    }
    m_literals.push_back(literal);
    m_values.insert(m_values.end(), std::make_move_iterator(shape->values.begin()),
                    std::make_move_iterator(shape->values.end()));
    shape->clear();
    if (int(m_literals.size()) >= m_batchRows)
        Flush();
}

void RowStatements::Flush()
{
    if (m_literals.empty())
        return;
    std::vector<QString> literals;
    literals.swap(m_literals);
    const OraBatch::Outcome outcome = m_batch->run(m_values, int(literals.size()));
    m_values.clear();
    if (outcome == OraBatch::Outcome::Done)
        return;
    if (outcome == OraBatch::Outcome::Unsupported)
        m_batchRows = 1;
    // The batch left nothing behind: its rows run one by one, which tells the
    // refused ones from the others exactly as a run without batches does.
    for (const QString& literal : literals)
        RunOnItsOwn(literal);
}

}  // namespace basKovaData
