// The foreign keys of a run's rows: which parent rows each table draws from,
// and the UPDATEs that set the keys a cycle of tables left NULL.
#include "generate/RunRows.h"
#include "generate/RunRowsParts.h"

#include "generate/ForeignKeyDraws.h"
#include "generate/InsertRow.h"
#include "generate/ParentKeys.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "shared/StatementShape.h"
#include "shared/basKovaData.h"

#include <algorithm>
#include <tuple>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

// Whether `table` holds any row. Throws OraError.
bool HasRows(OraDatabase* database, const QString& table)
{
    if (!database)
        return false;
    return database->DBCreateDynaset(u"SELECT COUNT(*) FROM "_s + database->SqlName(table), 0)->Value(0).toDouble() > 0;
}

int ColumnOf(const basKovaData::TableRules& rules, const QString& column)
{
    for (int j = 1; j <= rules.count(); ++j)
        if (rules[j].ColumnName.trimmed().compare(column, Qt::CaseInsensitive) == 0)
            return j;
    return 0;
}

// The value the identity column gives next and its step, as the dictionary
// shows its sequence; none where it shows none.
std::optional<std::pair<double, double>> IdentityNext(OraDatabase* database, const QString& table, const QString& column)
{
    try {
        const std::unique_ptr<OraDynaset> row = database->DBCreateDynaset(
            u"SELECT s.LAST_NUMBER, s.INCREMENT_BY FROM USER_TAB_IDENTITY_COLS i, USER_SEQUENCES s WHERE "
            "i.TABLE_NAME = %1 AND i.COLUMN_NAME = %2 AND s.SEQUENCE_NAME = i.SEQUENCE_NAME"_s.arg(
                basKovaData::SqlQuoted(table), basKovaData::SqlQuoted(column)),
            0);
        if (row->IsEOF() || row->Value(0).isNull() || row->Value(1).isNull())
            return std::nullopt;
        return std::pair(row->Value(0).toDouble(), row->Value(1).toDouble());
    } catch (const OraError&) {
        return std::nullopt;
    }
}

QString NoKeyFits(const QString& where, const basKovaData::ColumnRule& child, const QString& parent, qint64 rows)
{
    return u"%1 %2: none of the keys of %3 fits the column; %4 rows are asked"_s.arg(where, child.TypeText.trimmed(),
                                                                                     parent, QString::number(rows));
}

bool Holds(const std::vector<int>& columns, int column)
{
    return std::find(columns.begin(), columns.end(), column) != columns.end();
}

}  // namespace

// The columns of one foreign key constraint, in the table's order.
struct RunRows::Link {
    QString table, constraint;
    bool distinct = false;
    std::vector<int> columns;
    QStringList parentColumns;
};


RunRows::RunRows(const std::vector<TableRun>& tables, OraDatabase* database, Shard shard, RunTarget target)
    : m_tables(tables), m_database(database), m_shard(shard), m_target(target)
{
}

RunRows::~RunRows() = default;

std::unique_ptr<ParentKeys> RunRows::KeysFor(std::size_t t, const Link& link, bool later,
                                             std::optional<std::size_t>& parent, QString& refusal)
{
    const basKovaData::TableRules& rules = *m_tables[t].rules;
    const bool intoDatabase = m_target == RunTarget::Database;
    std::vector<const basKovaData::ColumnRule*> children;
    for (const int j : link.columns)
        children.push_back(&rules[j]);
    const QString where = rules.table + u'.' + rules[link.columns.front()].ColumnName.trimmed();
    parent.reset();
    for (std::size_t p = 0; p < m_tables.size() && !parent; ++p)
        if (p != t && m_tables[p].rules->table.compare(link.table, Qt::CaseInsensitive) == 0)
            parent = p;
    // A parent made after the table outside a cycle is drawn as the database
    // holds it now.
    const bool ahead = std::any_of(link.columns.begin(), link.columns.end(),
                                   [&](int j) { return Holds(m_tables[t].ahead, j); });
    if (parent && *parent > t && !later && !ahead)
        parent.reset();
    std::unique_ptr<ParentKeys> keys;
    if (parent) {
        const basKovaData::TableRules& parentRules = *m_tables[*parent].rules;
        std::vector<int> parentColumns;
        for (const QString& name : link.parentColumns) {
            parentColumns.push_back(ColumnOf(parentRules, name));
            if (parentColumns.back() == 0) {
                refusal = u"%1: the parent %2 has no column %3"_s.arg(where, parentRules.table, name);
                return nullptr;
            }
        }
        const std::optional<MadeKind> madeKind = MadeKindOf(parentRules, parentColumns, intoDatabase);
        if (!madeKind) {
            refusal = u"%1: the keys of %2 are given by the database as the files are loaded (a trigger or SQL), so "
                      "they cannot be known when the files are written; make the rows into the database"_s.arg(
                          where, parentRules.table);
            return nullptr;
        }
        const MadeKind kind = *madeKind;
        // In files, an identity gives what its sequence gives next, in a table
        // that holds no row.
        double first = 1, step = 1;
        if (kind == MadeKind::Sequence) {
            const std::optional<std::pair<double, double>> next =
                IdentityNext(m_database, parentRules.table, parentRules[parentColumns.front()].ColumnName.trimmed());
            if (!next || HasRows(m_database, parentRules.table)) {
                refusal = u"%1: the identity keys of %2 cannot be known when the files are written (the table holds "
                          "rows, or the dictionary shows no sequence of the identity); make the rows into the "
                          "database, or empty %2"_s.arg(where, parentRules.table);
                return nullptr;
            }
            std::tie(first, step) = *next;
        }
        const bool fromRowNumber = kind == MadeKind::Computed || kind == MadeKind::Sequence;
        if (m_shard.count > 1 && !fromRowNumber) {
            refusal = u"%1: the keys of %2 depend on the rows before them and cannot be drawn in slices; make "
                      "the rows whole, without --shard or --jobs"_s.arg(where, parentRules.table);
            return nullptr;
        }
        if (*parent > t && ahead && !fromRowNumber) {
            refusal = u"%1: its parent %2 is made after it, and its keys can be known before only with a seed "
                      "and keys that do not depend on the rows before them"_s.arg(where, parentRules.table);
            return nullptr;
        }
        if (kind == MadeKind::Kept && intoDatabase)
            for (const int column : parentColumns)
                if (!Holds(m_evaluated[*parent], column))
                    m_evaluated[*parent].push_back(column);
        const qint64 parentRows = m_total[*parent];
        keys = MadeParentKeys(kind, parentRules, parentRows, parentColumns, children, m_database, first, step);
        // When none of the new keys fits the child's column, the parent rows
        // already there may.
        if (keys->Count() == 0 && parentRows > 0 && kind == MadeKind::Computed && *parent < t) {
            keys = StoredParentKeys(m_database, link.table, link.parentColumns, children);
            parent.reset();
        }
        const bool known = kind == MadeKind::Computed || kind == MadeKind::Nothing;
        if (known && keys->Count() == 0 && m_total[t] > 0 && children.front()->IsNotNull) {
            refusal = parentRows > 0 && kind != MadeKind::Nothing
                          ? NoKeyFits(where, *children.front(), link.table, m_total[t])
                          : u"%1: its parent %2 gets no key (no row, or NULL keys); %3 rows are asked"_s.arg(
                                where, link.table, QString::number(m_total[t]));
            return nullptr;
        }
        return keys;
    }
    keys = StoredParentKeys(m_database, link.table, link.parentColumns, children);
    if (keys->Count() == 0 && m_total[t] > 0 && children.front()->IsNotNull) {
        refusal = HasRows(m_database, link.table)
                      ? NoKeyFits(where, *children.front(), link.table, m_total[t])
                      : u"%1: its parent %2 holds no row; %3 rows are asked"_s.arg(where, link.table,
                                                                                   QString::number(m_total[t]));
        return nullptr;
    }
    return keys;
}

QString RunRows::PrepareDraws()
{
    const std::size_t count = m_tables.size();
    const bool intoDatabase = m_target == RunTarget::Database;
    m_draws.clear();
    m_draws.resize(count);
    m_later.clear();
    m_later.resize(count);
    m_parentKeys.clear();
    m_evaluated.assign(count, {});
    for (std::size_t t = 0; t < count; ++t) {
        const TableRun& run = m_tables[t];
        const basKovaData::TableRules& rules = *run.rules;
        // A table made per parent row takes that row's key: each must fit.
        if (run.perParent && !run.perParent->columns.empty()) {
            const PerParent& per = *run.perParent;
            const basKovaData::TableRules& parentRules = *m_tables[per.parent].rules;
            std::vector<const basKovaData::ColumnRule*> children;
            for (const int j : per.columns)
                children.push_back(&rules[j]);
            if (MadeKindOf(parentRules, per.parentColumns, intoDatabase) == MadeKind::Computed) {
                const qint64 parentRows = m_total[per.parent];
                const auto keys =
                    MadeParentKeys(MadeKind::Computed, parentRules, parentRows, per.parentColumns, children, m_database);
                if (keys->Count() < parentRows)
                    return u"%1.%2 %3: %4 of the %5 keys of %6 do not fit the column"_s.arg(
                        rules.table, children.front()->ColumnName.trimmed(), children.front()->TypeText.trimmed(),
                        QString::number(parentRows - keys->Count()), QString::number(parentRows), parentRules.table);
            }
        }
        // The constraints drawn with the row, and those set later.
        std::vector<Link> links, laterLinks;
        for (int j = 1; j <= rules.count(); ++j) {
            const basKovaData::ColumnRule::ParentLink* link = rules[j].parent();
            if (!link || link->table.compare(rules.table, Qt::CaseInsensitive) == 0)
                continue;
            if (run.perParent && Holds(run.perParent->columns, j))
                continue;
            std::vector<Link>& into = Holds(run.later, j) ? laterLinks : links;
            auto same = std::find_if(into.begin(), into.end(), [&](const Link& other) {
                return other.table.compare(link->table, Qt::CaseInsensitive) == 0 && other.constraint == link->constraint;
            });
            if (same == into.end())
                same = into.insert(into.end(), Link{link->table, link->constraint, false, {}, {}});
            same->distinct = same->distinct || link->distinct;
            same->columns.push_back(j);
            same->parentColumns << link->column;
        }
        for (const bool later : {false, true}) {
            const std::vector<Link>& group = later ? laterLinks : links;
            if (group.empty())
                continue;
            // A whole run leaves out the combinations the table holds; slices
            // cannot, each not knowing what the others draw.
            const bool skipHeld = intoDatabase || m_shard.count == 1;
            auto draws = std::make_unique<ForeignKeyDraws>(rules, skipHeld && !later);
            for (const Link& link : group) {
                std::optional<std::size_t> parent;
                QString refusal;
                std::unique_ptr<ParentKeys> keys = KeysFor(t, link, later, parent, refusal);
                if (!keys)
                    return refusal;
                draws->AddGroup(link.constraint, link.columns, keys.get(), link.distinct);
                m_parentKeys.emplace_back(parent, std::move(keys));
            }
            if (later) {
                // The rows are found again by their key, which the run knows as
                // it makes them (not one the database gives).
                std::vector<int> keyColumns;
                for (int j = 1; j <= rules.count(); ++j)
                    if (rules[j].IsKey)
                        keyColumns.push_back(j);
                const std::optional<MadeKind> kind = keyColumns.empty() ? std::optional(MadeKind::Database)
                                                                        : MadeKindOf(rules, keyColumns, intoDatabase);
                if (kind == MadeKind::Computed || kind == MadeKind::Kept) {
                    m_later[t] = std::make_unique<Later>();
                    m_later[t]->draws = std::move(draws);
                    m_later[t]->keyColumns = keyColumns;
                    m_later[t]->keys.resize(keyColumns.size());
                }
                continue;
            }
            const qint64 held = m_database ? draws->ReadHeld(m_database) : 0;
            const qint64 combinations = draws->Combinations(held);
            if (combinations >= 0 && held > 0 && !skipHeld)
                return u"%1 holds %2 combinations of parent rows already, which slices cannot leave out; make the "
                       "rows whole, without --shard or --jobs"_s.arg(rules.table)
                    .arg(held);
            // A table made per parent row takes part of its key from that row.
            if (combinations >= 0 && !run.perParent && m_total[t] > combinations)
                return u"%1: its key of foreign keys has %2 combinations of parent rows left, and %3 rows are asked"_s
                    .arg(rules.table)
                    .arg(combinations)
                    .arg(m_total[t]);
            m_draws[t] = std::move(draws);
        }
    }
    return {};
}

void RunRows::KeepLaterKey(std::size_t t, qint64 row)
{
    Later* later = t < m_later.size() ? m_later[t].get() : nullptr;
    if (!later)
        return;
    later->rows.push_back(row);
    for (std::size_t k = 0; k < later->keyColumns.size(); ++k)
        later->keys[k].Add(basKovaData::RowValues[std::size_t(later->keyColumns[k])]);
}

void RunRows::Refused(std::size_t t, const std::vector<qint64>& rows)
{
    for (const auto& [parent, keys] : m_parentKeys)
        if (parent == t) {
            keys->Refused(rows);
            keys->Filled();
        }
    Later* later = t < m_later.size() ? m_later[t].get() : nullptr;
    if (!later || rows.empty())
        return;
    // A refused row has nothing to set.
    Later kept;
    kept.keys.resize(later->keys.size());
    for (std::size_t i = 0; i < later->rows.size(); ++i) {
        if (std::binary_search(rows.begin(), rows.end(), later->rows[i]))
            continue;
        kept.rows.push_back(later->rows[i]);
        for (std::size_t k = 0; k < later->keys.size(); ++k)
            kept.keys[k].Add(later->keys[k].At(qint64(i)));
    }
    later->rows = std::move(kept.rows);
    later->keys = std::move(kept.keys);
}

qint64 RunRows::LaterRows(std::size_t t) const
{
    return t < m_later.size() && m_later[t] ? qint64(m_later[t]->rows.size()) : 0;
}

void RunRows::LaterUpdate(std::size_t t, qint64 i, basKovaData::StatementShape& shape)
{
    Later& later = *m_later[t];
    const basKovaData::TableRules& rules = *m_tables[t].rules;
    later.draws->Draw(later.rows[std::size_t(i)], later.drawn);
    std::vector<std::pair<QString, QString>> sets, where;
    for (const auto& [column, value] : later.drawn)
        sets.emplace_back(rules[column].ColumnName.trimmed(), value);
    for (std::size_t k = 0; k < later.keyColumns.size(); ++k)
        where.emplace_back(rules[later.keyColumns[k]].ColumnName.trimmed(), later.keys[k].At(i));
    basKovaData::UpdateShape(rules.table, sets, where, shape);
}

}  // namespace generate
