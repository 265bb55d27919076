#pragma once
// The statements of a run, one per row (an INSERT or an UPDATE each), sent to
// the database in batches where its engine allows that and one by one
// otherwise, with the same outcome either way: every row the database refuses
// counts as one failure and the others take effect.
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class OraBatch;
class OraDatabase;

namespace basKovaData {

// A row's statement split for a batch: its text with a "?" for each value,
// and the values (texts; an empty optional is NULL).
struct StatementShape {
    QString text;
    std::vector<std::optional<QString>> values;
    void clear()
    {
        text.clear();
        values.clear();
    }
};

class RowStatements {
public:
    // Rows of one batch, unless the caller asks for another size.
    static constexpr int DefaultBatchRows = 500;

    // Statements on `database`, at most `batchRows` rows per batch; 1 sends
    // every row on its own. Call it inside the run's transaction.
    RowStatements(::OraDatabase* database, int batchRows = DefaultBatchRows);
    ~RowStatements();
    RowStatements(const RowStatements&) = delete;
    RowStatements& operator=(const RowStatements&) = delete;

    // True when rows go in batches: the caller then passes each row's shape.
    bool Batched() const { return m_batchRows > 1; }

    // Runs one row's statement (`literal`, with its values written in), or
    // queues it with its shape for the next batch. Throws OraError when the
    // connection to the server is lost or another program holds the lock the
    // statement needs: the run cannot go on, and nothing of it may be kept.
    void Add(const QString& literal, StatementShape* shape = nullptr);
    // Sends what is queued.
    void Flush();

    // Rows the database refused so far.
    qint64 Failures() const { return m_failures; }

private:
    void RunOnItsOwn(const QString& literal);

    ::OraDatabase* m_database;
    int m_batchRows;
    qint64 m_failures = 0;

    QString m_shapeText;                  // the queued rows' shape
    std::unique_ptr<OraBatch> m_batch;    // ... prepared
    std::vector<QString> m_literals;      // the queued rows, each as it would run on its own
    std::vector<std::optional<QString>> m_values;
};

}  // namespace basKovaData
