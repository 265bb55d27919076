#include "generate/ForeignKeyDraws.h"

#include "generate/ParentKeys.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "shared/RandomSequence.h"
#include "shared/SeededDraws.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

// Combinations beyond this many are as good as endless for any run.
constexpr std::uint64_t MaxCombinations = std::uint64_t(1) << 62;

}  // namespace

struct ForeignKeyDraws::Group {
    QString constraint;
    std::vector<int> columns;
    ParentKeys* keys = nullptr;
    bool distinct = false;
    int nullRate = 0;
    std::uint64_t stream = 0;
    qint64 count = 0;
};

ForeignKeyDraws::ForeignKeyDraws(const basKovaData::TableRules& rules, bool skipHeld)
    : m_rules(rules), m_skipHeld(skipHeld)
{
}

ForeignKeyDraws::~ForeignKeyDraws() = default;

void ForeignKeyDraws::AddGroup(const QString& constraint, const std::vector<int>& columns, ParentKeys* keys,
                               bool distinct)
{
    Group group{constraint, columns, keys, distinct, 0, 0, 0};
    if (!columns.empty())
        group.nullRate = distinct ? 0 : m_rules[columns.front()].NullRate;
    if (m_rules.seed)
        group.stream = basKovaData::StreamKey(*m_rules.seed, m_rules.table, u"\u0001key "_s + constraint);
    m_groups.push_back(std::move(group));
}

std::vector<int> ForeignKeyDraws::Columns() const
{
    std::vector<int> columns;
    for (const Group& group : m_groups)
        columns.insert(columns.end(), group.columns.begin(), group.columns.end());
    return columns;
}

std::optional<std::uint64_t> ForeignKeyDraws::JunctionProduct(bool planned) const
{
    std::optional<std::uint64_t> product;
    for (const Group& group : m_groups) {
        if (!group.distinct)
            continue;
        const auto count = std::uint64_t(std::max<qint64>(planned ? group.keys->Planned() : group.count, 0));
        const std::uint64_t before = product.value_or(1);
        product = count == 0 ? 0 : before > MaxCombinations / count ? MaxCombinations : before * count;
    }
    return product;
}

qint64 ForeignKeyDraws::Combinations(qint64 held) const
{
    const std::optional<std::uint64_t> product = JunctionProduct(true);
    return product ? std::max<qint64>(qint64(*product) - held, 0) : -1;
}

QString ForeignKeyDraws::HeldKey(const std::vector<std::vector<QString>>& entries) const
{
    QString key;
    for (const std::vector<QString>& group : entries)
        for (const QString& entry : group) {
            key += EntryText(entry);
            key += u'\x1f';
        }
    return key;
}

qint64 ForeignKeyDraws::ReadHeld(OraDatabase* database)
{
    m_held.clear();
    QStringList names, present;
    std::vector<basKovaData::TypeFamily> families;
    for (const Group& group : m_groups)
        if (group.distinct)
            for (const int column : group.columns) {
                names << database->SqlName(m_rules.table, m_rules[column].ColumnName.trimmed());
                present << names.back() + u" IS NOT NULL"_s;
                families.push_back(m_rules[column].family());
            }
    if (names.isEmpty() || !database)
        return 0;
    std::unique_ptr<OraDynaset> rows = database->DBCreateDynaset(
        u"SELECT "_s + names.join(u", "_s) + u" FROM "_s + database->SqlName(m_rules.table) + u" WHERE "_s
            + present.join(u" AND "_s),
        0);
    for (; !rows->IsEOF(); rows->MoveNext()) {
        std::vector<QString> entries;
        for (std::size_t k = 0; k < families.size(); ++k)
            entries.push_back(TableEntry(families[k], rows->Value(int(k))));
        m_held.insert(HeldKey({entries}));
    }
    return qint64(m_held.size());
}

void ForeignKeyDraws::Start()
{
    m_started = true;
    for (Group& group : m_groups)
        group.count = std::max<qint64>(group.keys->Count(), 0);
    const std::optional<std::uint64_t> product = JunctionProduct(false);
    if (!product)
        return;
    m_combinations = *product;
    std::uint64_t key = 0;
    if (m_rules.seed)
        key = basKovaData::StreamKey(*m_rules.seed, m_rules.table, u"\u0001combinations"_s);
    else
        for (int i = 0; i < 3; ++i)
            key = (key << 21) ^ std::uint64_t(double(basKovaData::NextRandom()) * double(1 << 24));
    m_order = std::make_unique<basKovaData::KeyedPermutation>(*product, key);
}

double ForeignKeyDraws::Draw(Group& group, qint64 row, std::uint32_t index)
{
    if (m_rules.seed)
        return basKovaData::SeededDraw(group.stream, std::uint64_t(std::max<qint64>(row, 0)), index);
    return double(basKovaData::NextRandom());
}

void ForeignKeyDraws::Give(ValueGenerator& generator, qint64 row)
{
    Draw(row, m_drawn);
    for (const auto& [column, value] : m_drawn)
        generator.GiveValue(column, value);
}

void ForeignKeyDraws::Draw(qint64 row, std::vector<std::pair<int, QString>>& values)
{
    if (!m_started)
        Start();
    values.clear();
    const auto give = [&](const Group& group, std::optional<qint64> rank) {
        if (rank)
            group.keys->KeyAt(*rank, m_entries);
        for (std::size_t k = 0; k < group.columns.size(); ++k)
            values.emplace_back(group.columns[k], rank && k < m_entries.size() ? m_entries[k] : QString());
    };
    // The junction key's combination: its place in the keyed order, read as
    // one rank per constraint.
    std::vector<qint64> ranks(m_groups.size(), -1);
    if (m_combinations > 0) {
        const auto decompose = [&](std::uint64_t index) {
            for (std::size_t g = 0; g < m_groups.size(); ++g)
                if (m_groups[g].distinct) {
                    const auto count = std::uint64_t(m_groups[g].count);
                    ranks[g] = qint64(index % count);
                    index /= count;
                }
        };
        if (!m_skipHeld || m_held.isEmpty()) {
            decompose(m_order->At((m_skipHeld ? m_taken++ : std::uint64_t(row)) % m_combinations));
        } else {
            // The first combination in the order that the table does not hold.
            for (std::uint64_t tries = 0; tries < m_combinations; ++tries) {
                decompose(m_order->At(m_taken++ % m_combinations));
                std::vector<std::vector<QString>> entries;
                for (std::size_t g = 0; g < m_groups.size(); ++g)
                    if (m_groups[g].distinct) {
                        m_groups[g].keys->KeyAt(ranks[g], m_entries);
                        entries.push_back(m_entries);
                    }
                if (!m_held.contains(HeldKey(entries)))
                    break;
            }
        }
    }
    for (std::size_t g = 0; g < m_groups.size(); ++g) {
        Group& group = m_groups[g];
        if (group.count == 0) {
            give(group, std::nullopt);
            continue;
        }
        if (!group.distinct) {
            if (group.nullRate > 0 && Draw(group, row, 0) * 100.0 < group.nullRate) {
                give(group, std::nullopt);
                continue;
            }
            ranks[g] = std::min<qint64>(qint64(Draw(group, row, 1) * double(group.count)), group.count - 1);
        }
        give(group, ranks[g]);
    }
}

}  // namespace generate
