#pragma once
// The statements of a run, one per row (an INSERT or an UPDATE each), sent to
// the database in batches where its engine allows that and one by one
// otherwise, with the same outcome either way: every row the database refuses
// counts as one failure and the others take effect.
#include "shared/StatementShape.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class EngineError;
class OraBatch;
class OraDatabase;

namespace basKovaData {

// Why rows were refused: each distinct database error with the rows it
// refused, in the order they first came, and the values of the first refused
// row.
struct Refusals {
    std::vector<std::pair<QString, qint64>> errors;
    QString firstRow;  // its values in SQL form, separated by ", "

    void add(const QString& error, const SqlValue* values, std::size_t count);
    // The errors one per line ("ORA-00001: ... (3件)"), then the first row.
    QString Details() const;
};

// Thrown when the user stops a run between two rows; the run then rolls back.
struct RunStopped {};

class RowStatements {
public:
    // Rows of one batch, unless the caller asks for another size.
    static constexpr int DefaultBatchRows = 500;

    // Statements on `database`, at most `batchRows` rows per batch; 1 sends
    // every row on its own. Call it inside the run's transaction.
    // `stopRequested` is asked between the rows of a refused batch as they
    // are sent again one by one: true stops the run (RunStopped).
    RowStatements(::OraDatabase* database, int batchRows = DefaultBatchRows,
                  std::function<bool()> stopRequested = {});
    ~RowStatements();
    RowStatements(const RowStatements&) = delete;
    RowStatements& operator=(const RowStatements&) = delete;

    // True when rows go in batches.
    bool Batched() const { return m_batchRows > 1; }

    // Runs one row's statement, or queues it for the next batch; the shape's
    // values are taken (it is left empty for the next row). Throws OraError
    // when the connection to the server is lost, another program holds the
    // lock the statement needs or the database cannot be written at all: the
    // run cannot go on, and nothing of it may be kept.
    void Add(StatementShape& shape);
    // Sends what is queued.
    void Flush();

    // Rows the database refused so far, and why.
    qint64 Failures() const { return m_failures; }
    // Rows added so far; the rows refused so far, by their place among them
    // (from 0), which start again empty.
    qint64 Added() const { return m_added; }
    std::vector<qint64> TakeRefusedRows() { return std::exchange(m_refusedRows, {}); }
    // The reasons gathered so far, which start again empty.
    Refusals TakeRefusals() { return std::exchange(m_refusals, Refusals()); }

private:
    void RunOnItsOwn(const StatementShape& shape);
    void RunOnItsOwn(const QString& literal, const SqlValue* values, std::size_t count);
    // Counts a row the database refused, or throws when the error is not the
    // row's own (see Add).
    void Refuse(const EngineError& error, const SqlValue* values, std::size_t count);
    // Runs the queued rows one by one.
    void Replay();

    ::OraDatabase* m_database;
    int m_batchRows;
    std::function<bool()> m_stopRequested;
    qint64 m_failures = 0;
    Refusals m_refusals;
    qint64 m_added = 0;                   // rows added so far
    qint64 m_current = 0;                 // ... the place of the row being run
    std::vector<qint64> m_refusedRows;

    QString m_shapeText;                  // the queued rows' statement, a "?" for each value
    std::vector<qsizetype> m_markers;     // ... where the "?" stand
    std::unique_ptr<OraBatch> m_batch;    // ... prepared
    int m_queued = 0;                     // rows queued
    std::vector<SqlValue> m_values;       // their values, row after row
};

}  // namespace basKovaData
