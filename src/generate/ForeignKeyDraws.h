#pragma once
// The foreign keys of one table's rows: each constraint's columns take the
// key of one parent row, drawn evenly from all of the parent's rows; the
// constraints of a key made only of foreign keys (a junction table) draw
// combinations of parent rows, none twice. With a seed, row n's draws depend
// only on the seed, the table, the constraint and n.
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class OraDatabase;

namespace basKovaData {
class KeyedPermutation;
struct TableRules;
}

namespace generate {

class ParentKeys;
class ValueGenerator;

class ForeignKeyDraws {
public:
    // `skipHeld`: combinations the table already holds are left out (a run
    // into the database); files never leave any out, so that every slice of a
    // run draws what the whole run draws.
    ForeignKeyDraws(const basKovaData::TableRules& rules, bool skipHeld);
    ~ForeignKeyDraws();
    ForeignKeyDraws(const ForeignKeyDraws&) = delete;
    ForeignKeyDraws& operator=(const ForeignKeyDraws&) = delete;

    // The columns (1-based) of one constraint, the parent's keys they take
    // (owned elsewhere, outliving this), and whether the constraint is part of
    // a key made only of foreign keys.
    void AddGroup(const QString& constraint, const std::vector<int>& columns, ParentKeys* keys, bool distinct);
    bool Empty() const { return m_groups.empty(); }
    // Every column some constraint fills.
    std::vector<int> Columns() const;

    // The combinations of parent rows the junction key may take, less those
    // the table holds (`held`); -1 without such a key.
    qint64 Combinations(qint64 held) const;
    // Reads the combinations the table holds, for a run that leaves them out.
    // Throws OraError.
    qint64 ReadHeld(OraDatabase* database);

    // Gives the generator the keys of row `row` of the whole run (the columns
    // take them in the row it makes next). Throws OraError when a parent's
    // keys cannot be read.
    void Give(ValueGenerator& generator, qint64 row);
    // The same keys as (column, RowValues entry) pairs.
    void Draw(qint64 row, std::vector<std::pair<int, QString>>& values);

private:
    struct Group;
    void Start();
    // The combinations of the junction key's parent rows (their planned or
    // their drawn counts), held at a bound; none without such a key.
    std::optional<std::uint64_t> JunctionProduct(bool planned) const;
    double Draw(Group& group, qint64 row, std::uint32_t index);
    QString HeldKey(const std::vector<std::vector<QString>>& entries) const;

    const basKovaData::TableRules& m_rules;
    bool m_skipHeld;
    std::vector<Group> m_groups;
    bool m_started = false;
    // The junction key: its combinations' count, their keyed order, the next
    // place in it, and the combinations held.
    std::uint64_t m_combinations = 0;
    std::unique_ptr<basKovaData::KeyedPermutation> m_order;
    std::uint64_t m_taken = 0;
    QSet<QString> m_held;
    std::vector<QString> m_entries;
    std::vector<std::pair<int, QString>> m_drawn;
};

}  // namespace generate
