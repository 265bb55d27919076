#include "session/RowStatements.h"

#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "session/OraError.h"

#include <QStringList>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace basKovaData {

RowStatements::RowStatements(::OraDatabase* database, int batchRows, std::function<bool()> stopRequested)
    : m_database(database), m_batchRows(std::max(batchRows, 1)), m_stopRequested(std::move(stopRequested))
{
}

RowStatements::~RowStatements() = default;

void Refusals::add(const QString& error, const SqlValue* values, std::size_t count)
{
    if (errors.empty()) {
        QStringList texts;
        for (std::size_t i = 0; i < count; ++i) {
            QString text;
            StatementShape::AppendLiteral(text, u"?"_s, {0}, values + i);
            texts << text;
        }
        firstRow = texts.join(u", "_s);
    }
    auto known = std::find_if(errors.begin(), errors.end(), [&](const auto& e) { return e.first == error; });
    if (known != errors.end())
        ++known->second;
    else
        errors.emplace_back(error, 1);
}

QString Refusals::Details() const
{
    QStringList lines;
    for (const auto& [error, rows] : errors)
        lines << u"%1 (%2件)"_s.arg(error).arg(rows);
    if (!errors.empty())
        lines << u"最初に登録できなかった行の値: "_s + firstRow;
    return lines.join(u'\n');
}

void RowStatements::RunOnItsOwn(const StatementShape& shape)
{
    try {
        m_database->DbExecuteShape(shape);
    } catch (const OraError& e) {
        Refuse(e, shape.values().data(), shape.values().size());
    }
}

void RowStatements::RunOnItsOwn(const QString& literal, const SqlValue* values, std::size_t count)
{
    try {
        m_database->DbExecuteSQL(literal);
    } catch (const OraError& e) {
        Refuse(e, values, count);
    }
}

void RowStatements::Refuse(const OraError& error, const SqlValue* values, std::size_t count)
{
    // A lost server fails every row from here on, and a lock held by another
    // program would be waited for again by every row: neither is a row that
    // the table refused.
    if (m_database->ConnectionLost())
        throw OraError(u"the connection to the server was lost: "_s + error.message());
    if (m_database->LockedByOther())
        throw OraError(u"the database is locked by another program"_s);
    // Nor is a database that cannot be written at all; its own words say why.
    if (m_database->StorageFailed())
        throw error;
    ++m_failures;
    m_refusedRows.push_back(m_current);
    m_refusals.add(error.message(), values, count);
}

void RowStatements::Add(StatementShape& shape)
{
    const qint64 ordinal = m_added++;
    if (!Batched() || shape.values().empty()) {
        // A row queued earlier goes first: the rows reach the table in the
        // order they were made.
        Flush();
        m_current = ordinal;
        RunOnItsOwn(shape);
        shape.clear();
        return;
    }
    if (!SameText(shape.text(), m_shapeText)) {
        Flush();
        m_shapeText = shape.text();
        m_markers = shape.markers();
        m_batch.reset();
        try {
            m_batch = m_database->PrepareBatch(m_shapeText, int(shape.values().size()));
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
        m_current = ordinal;
        RunOnItsOwn(shape);
        shape.clear();
        return;
    }
    m_values.insert(m_values.end(), shape.values().begin(), shape.values().end());
    ++m_queued;
    shape.clear();
    if (m_queued >= m_batchRows)
        Flush();
}

void RowStatements::Replay()
{
    const std::size_t width = m_markers.size();
    QString literal;
    for (int row = 0; row < m_queued; ++row) {
        if (m_stopRequested && m_stopRequested())
            throw RunStopped();
        literal.clear();
        const SqlValue* values = m_values.data() + std::size_t(row) * width;
        m_current = m_added - m_queued + row;
        StatementShape::AppendLiteral(literal, m_shapeText, m_markers, values);
        RunOnItsOwn(literal, values, width);
    }
}

void RowStatements::Flush()
{
    if (m_queued == 0)
        return;
    const OraBatch::Outcome outcome = m_batch->run(m_values, m_queued);
    if (outcome == OraBatch::Outcome::Unsupported)
        m_batchRows = 1;
    // A refused batch left nothing behind: its rows run one by one, which
    // tells the refused ones from the others exactly as a run without batches
    // does.
    if (outcome != OraBatch::Outcome::Done)
        Replay();
    m_values.clear();
    m_queued = 0;
}

}  // namespace basKovaData
