#pragma once
// The rows of a run over several tables, made in order into RowValues: each
// table's own count, or for a table filled per parent row a count drawn for
// every row the run makes in its parent, each such row taking its foreign
// key from that parent row. A run may be one slice (shard) of a larger one:
// it then makes exactly the rows that the whole run makes at those places.
#include "generate/ColumnProfile.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class OraDatabase;

namespace basKovaData {
class StatementShape;
struct TableRules;
}

namespace generate {

class ValueGenerator;
class ForeignKeyDraws;
class ParentKeys;

// Where a run's rows go: the database (whose refused rows are no parents,
// and which gives the keys it fills), or files.
enum class RunTarget { Database, Files };

// A table whose rows are made per row of a parent table in the same run.
struct PerParent {
    std::size_t parent = 0;          // index of the parent's run, before this one
    std::vector<int> columns;        // the foreign key columns (1-based) ...
    std::vector<int> parentColumns;  // ... and the parent's columns they take, in the same order
    qint64 min = 0;                  // rows per parent row, drawn evenly from min to max
    qint64 max = 0;
    std::vector<ChildCount> counts;  // or by these shares (adding up to 1)
};

// One table of a run over several tables.
struct TableRun {
    const basKovaData::TableRules* rules = nullptr;
    qint64 rows = 0;  // unless per parent
    std::optional<PerParent> perParent;
    // Foreign key columns (1-based) that refer to a table of a cycle made
    // after this one. `later` may be NULL: the rows are written with NULL
    // there, to be set once the later table's rows exist. `ahead` may not:
    // its values refer to rows the later table will have, and the run checks
    // the keys at the commit.
    std::vector<int> later;
    std::vector<int> ahead;
};

// The K-th of N slices of every table's rows (1 of 1: the whole run).
struct Shard {
    qint64 index = 1;
    qint64 count = 1;
    // The rows [first, last) of `rows` that this slice makes.
    qint64 first(qint64 rows) const { return rows / count * (index - 1) + rows % count * (index - 1) / count; }
    qint64 last(qint64 rows) const { return rows / count * index + rows % count * index / count; }
};

class RunRows {
public:
    // The tables must outlive this object; a per-parent run's parent comes
    // before it.
    RunRows(const std::vector<TableRun>& tables, OraDatabase* database, Shard shard = {},
            RunTarget target = RunTarget::Files);
    ~RunRows();
    RunRows(const RunRows&) = delete;
    RunRows& operator=(const RunRows&) = delete;

    // Draws the per-parent counts and checks that every table's rules can
    // give its rows. Empty when the run may start, else why not (naming the
    // table or the column). Throws OraError when reading a table fails.
    QString Prepare();

    // Rows of table `t` in the whole run, and in this slice.
    qint64 TotalRows(std::size_t t) const;
    qint64 Rows(std::size_t t) const;

    // The next row of table `t` into RowValues. The tables are taken in
    // order, each through its Rows(t). Throws OraError when a source query
    // or an expression fails.
    void NextRow(std::size_t t);

    // The database refused these rows of table `t` (their places among its
    // rows, in order): no child draws them. Then all its rows are in.
    void Refused(std::size_t t, const std::vector<qint64>& rows);

    // The rows of table `t` whose `later` columns are set once every table's
    // rows are in: one UPDATE each, by the row's key. None where the table
    // has no key of its own to find its rows by.
    qint64 LaterRows(std::size_t t) const;
    // The UPDATE of the `i`-th of them (from 0). Throws OraError when a
    // parent's keys cannot be read.
    void LaterUpdate(std::size_t t, qint64 i, basKovaData::StatementShape& shape);

private:
    struct Source;
    struct Later;
    struct Link;
    // The keys `link` of table `t` draws from: of a parent the run makes
    // (`later` may be one made after it) or the database holds; none with
    // `refusal` set when the run cannot start.
    std::unique_ptr<ParentKeys> KeysFor(std::size_t t, const Link& link, bool later,
                                        std::optional<std::size_t>& parent, QString& refusal);
    void KeepLaterKey(std::size_t t, qint64 row);
    // Makes the source of table `t` for rows from `first` on, with a source
    // of its parent when the parent's rows must be made again (a slice).
    std::unique_ptr<Source> MakeSource(std::size_t t, qint64 first) const;

    const std::vector<TableRun>& m_tables;
    OraDatabase* m_database;
    Shard m_shard;
    // Per table: for a per-parent table, the child rows before each parent
    // row (one more entry than the parent has rows); else empty.
    std::vector<std::vector<qint64>> m_before;
    std::vector<qint64> m_total;
    std::vector<std::unique_ptr<Source>> m_sources;
    // Per table: its foreign keys drawn from parent rows; and the parents'
    // keys they draw from, with the table in the run that makes them (none:
    // the database holds them).
    RunTarget m_target;
    std::vector<std::unique_ptr<ForeignKeyDraws>> m_draws;
    std::vector<std::pair<std::optional<std::size_t>, std::unique_ptr<ParentKeys>>> m_parentKeys;
    // Made keys of a parent that the database completes (SQL, evaluated as
    // each parent row is made), by table.
    std::vector<std::vector<int>> m_evaluated;
    std::vector<std::unique_ptr<Later>> m_later;
    QString PrepareDraws();
    // The whole run in one piece keeps the parents' key values as it made
    // them; a slice makes the parent rows again from the seed.
    std::vector<std::vector<QString>> m_keys;
};

}  // namespace generate
