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
#include "shared/NumberRead.h"
#include "shared/RandomSequence.h"
#include "shared/SeededDraws.h"
#include "shared/basKovaData.h"


#include <algorithm>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

// The children of one parent row for a draw in [0, 1): evenly from min to
// max, or by the counts' shares, evenly inside the count range drawn.
qint64 ChildrenOf(const PerParent& per, double draw, qint64 span)
{
    if (per.counts.empty())
        return per.min + std::min<qint64>(qint64(draw * double(span)), span - 1);
    double below = 0.0;
    for (const ChildCount& count : per.counts) {
        if (count.share <= 0.0)
            continue;
        if (draw < below + count.share || &count == &per.counts.back()) {
            const double within = std::clamp((draw - below) / count.share, 0.0, 1.0);
            const qint64 width = count.high - count.low + 1;
            return count.low + std::min<qint64>(qint64(within * double(width)), width - 1);
        }
        below += count.share;
    }
    return per.counts.back().low;
}

// A parent's key given as SQL ("@SEQ.NEXTVAL", "@SYSDATE") is run once,
// here, and `value` becomes what it gave, as data of the column's type: the
// parent row is inserted with that value and its children take the same one,
// instead of each running the SQL again.
void EvaluateKey(OraDatabase* database, const basKovaData::ColumnRule& rule, QString& value)
{
    using basKovaData::TypeFamily;
    if (!database || !value.startsWith(u'@'))
        return;
    const QString sql = QStringView(value).mid(1).trimmed().toString();
    if (sql.isEmpty() || ConstantSql(sql))
        return;  // a value already
    const TypeFamily family = rule.family();
    const QString select = family == TypeFamily::Numeric ? u"SELECT TO_CHAR(%1) FROM DUAL"_s
                           : family == TypeFamily::Date  ? u"SELECT TO_CHAR(%1, 'YYYYMMDD HH24MISS') FROM DUAL"_s
                                                         : u"SELECT %1 FROM DUAL"_s;
    const std::unique_ptr<OraDynaset> row = database->DBCreateDynaset(select.arg(sql), 0);
    const QVariant given = row->IsEOF() ? QVariant() : row->Value(0);
    const QString text = given.isNull() ? QString() : given.toString().trimmed();
    if (text.isEmpty())
        value.clear();
    else if (family == TypeFamily::Numeric && !basKovaData::IsNumericText(text))
        throw OraError(u"%1: the key's SQL %2 gives no number: %3"_s.arg(rule.ColumnName.trimmed(), sql, text));
    else if (family == TypeFamily::Numeric)
        value = u'@' + text;
    else if (family == TypeFamily::Date)
        value = u'@' + basKovaData::SqlDate(text);
    else
        value = given.toString();
}


}  // namespace


qint64 RunRows::TotalRows(std::size_t t) const
{
    return t < m_total.size() ? m_total[t] : 0;
}

qint64 RunRows::Rows(std::size_t t) const
{
    const qint64 total = TotalRows(t);
    return m_shard.last(total) - m_shard.first(total);
}

std::unique_ptr<RunRows::Source> RunRows::MakeSource(std::size_t t, qint64 first) const
{
    const TableRun& run = m_tables[t];
    auto source = std::make_unique<Source>();
    source->generator = std::make_unique<ValueGenerator>(*run.rules, m_database);
    if (m_target == RunTarget::Files)
        source->generator->MeasureInUtf8();
    // The whole run's rows, the same in every slice.
    source->generator->PlanRows(TotalRows(t));
    for (const int column : run.later)
        source->generator->GiveValue(column, QString());  // NULL until the later table exists
    source->row = first;
    if (run.perParent) {
        const std::vector<qint64>& before = m_before[t];
        // The parent row of the first row: the last one with no more rows before it.
        const auto after = std::upper_bound(before.begin(), before.end(), first);
        source->parentRow = qint64(after - before.begin()) - 1;
        if (m_shard.count > 1)
            source->parent = MakeSource(run.perParent->parent, std::max<qint64>(source->parentRow, 0));
    }
    return source;
}

QString RunRows::Prepare()
{
    const std::size_t count = m_tables.size();
    m_before.assign(count, {});
    m_total.assign(count, 0);
    m_keys.assign(count, {});
    m_sources.clear();
    if (m_shard.count > 1) {
        // A slice cannot know which values the other slices give.
        QStringList unique;
        for (const TableRun& run : m_tables)
            for (int j = 1; j <= run.rules->count(); ++j)
                if ((*run.rules)[j].Unique)
                    unique << run.rules->table + u'.' + (*run.rules)[j].ColumnName.trimmed();
        if (!unique.isEmpty())
            return u"shards cannot keep the values of 重複なし columns apart: "_s + unique.join(u", "_s);
    }
    // The database gives a GENERATED ALWAYS identity column its value and
    // refuses any other: a rule there could only fail every row.
    QStringList identity;
    for (const TableRun& run : m_tables)
        for (int j = 1; j <= run.rules->count(); ++j) {
            const basKovaData::ColumnRule& rule = (*run.rules)[j];
            const basKovaData::Kind kind = rule.storedKind();
            if (rule.IsIdentity && kind != basKovaData::Kind::None && kind != basKovaData::Kind::Null)
                identity << run.rules->table + u'.' + rule.ColumnName.trimmed();
        }
    if (!identity.isEmpty())
        return identity.join(u", "_s) + u": generated always as identity: no value can be given"_s;
    for (std::size_t t = 0; t < count; ++t) {
        const TableRun& run = m_tables[t];
        if (!run.perParent) {
            m_total[t] = std::max<qint64>(run.rows, 0);
            continue;
        }
        const PerParent& per = *run.perParent;
        const qint64 parents = per.parent < t ? m_total[per.parent] : 0;
        const qint64 span = std::max<qint64>(per.max - per.min, 0) + 1;
        const std::uint64_t stream =
            run.rules->seed ? basKovaData::StreamKey(*run.rules->seed, run.rules->table, u"\u0001parent"_s) : 0;
        std::vector<qint64>& before = m_before[t];
        before.reserve(std::size_t(parents) + 1);
        before.push_back(0);
        // Counts by shares are spread over the parents in strata, each parent
        // drawing inside its own 1/P of the shares in a keyed order: the
        // shares hold exactly, not only on average, and so does the total,
        // which a few parents with thousands of children would otherwise sway.
        std::optional<basKovaData::KeyedPermutation> strata;
        if (!per.counts.empty() && parents > 0)
            strata.emplace(std::uint64_t(parents), run.rules->seed ? stream + 1
                                                                   : std::uint64_t(basKovaData::NextRandom() * 4294967296.0));
        for (qint64 p = 0; p < parents; ++p) {
            double draw = run.rules->seed ? basKovaData::SeededDraw(stream, std::uint64_t(p), 0)
                                          : double(basKovaData::NextRandom());
            if (strata)
                draw = (double(strata->At(std::uint64_t(p))) + draw) / double(parents);
            before.push_back(before.back() + ChildrenOf(per, draw, span));
        }
        m_total[t] = before.back();
    }
    if (const QString refusal = PrepareDraws(); !refusal.isEmpty())
        return refusal;
    for (std::size_t t = 0; t < count; ++t) {
        const qint64 first = m_shard.first(m_total[t]);
        m_sources.push_back(MakeSource(t, first));
        for (Source* source = m_sources.back().get(); source; source = source->parent.get()) {
            if (const QString refusal = source->generator->Prepare(Rows(t)); !refusal.isEmpty())
                return refusal;
        }
        m_sources.back()->generator->SkipRows(first);
        // A parent source made again starts at the first parent row it needs.
        for (Source* source = m_sources.back().get(); source->parent; source = source->parent.get())
            source->parent->generator->SkipRows(source->parent->row);
    }
    return {};
}

void RunRows::NextRow(std::size_t t)
{
    // Made recursively for a slice whose parent rows are made again.
    const auto next = [this](auto&& self, std::size_t table, Source& source) -> void {
        const TableRun& run = m_tables[table];
        if (run.perParent) {
            const PerParent& per = *run.perParent;
            const std::vector<qint64>& before = m_before[table];
            while (source.parentRow + 1 < qint64(before.size()) && before[std::size_t(source.parentRow + 1)] <= source.row)
                ++source.parentRow;
            const std::size_t keys = per.columns.size();
            if (source.parent) {
                while (source.parentMade < source.parentRow) {
                    self(self, per.parent, *source.parent);
                    source.parentMade = source.parent->row - 1;
                    source.parentValues.clear();
                    for (const int column : per.parentColumns) {
                        const QString& value = basKovaData::RowValues[std::size_t(column)];
                        // Made again here, SQL would give another value than
                        // the parent row got in the slice that wrote it.
                        if (value.startsWith(u'@') && !ConstantSql(QStringView(value).mid(1).trimmed().toString()))
                            throw OraError(u"%1.%2: a parent key given as SQL (%3) cannot be made in slices; make the "
                                           "rows whole, without --shard or --jobs"_s
                                               .arg(m_tables[per.parent].rules->table,
                                                    (*m_tables[per.parent].rules)[column].ColumnName.trimmed(), value));
                        source.parentValues.push_back(value);
                    }
                }
                for (std::size_t k = 0; k < keys; ++k)
                    source.generator->GiveValue(per.columns[k], source.parentValues[k]);
            } else {
                const std::vector<QString>& values = m_keys[table];
                const std::size_t at = std::size_t(source.parentRow) * keys;
                for (std::size_t k = 0; k < keys && at + k < values.size(); ++k)
                    source.generator->GiveValue(per.columns[k], values[at + k]);
            }
        }
        source.generator->NextRow();
        ++source.row;
    };
    Source& source = *m_sources[t];
    if (m_draws[t])
        m_draws[t]->Give(*source.generator, source.row);
    next(next, t, source);
    if (m_shard.count > 1) {
        KeepLaterKey(t, source.row - 1);
        return;
    }
    for (const int column : m_evaluated[t])
        EvaluateKey(m_database, (*m_tables[t].rules)[column], basKovaData::RowValues[std::size_t(column)]);
    for (const auto& [parent, keys] : m_parentKeys)
        if (parent == t)
            keys->Made(source.row - 1);
    KeepLaterKey(t, source.row - 1);
    // The whole run keeps each parent row's key values for its children.
    for (std::size_t c = t + 1; c < m_tables.size(); ++c) {
        const std::optional<PerParent>& per = m_tables[c].perParent;
        if (per && per->parent == t)
            for (const int column : per->parentColumns) {
                QString& value = basKovaData::RowValues[std::size_t(column)];
                EvaluateKey(m_database, (*m_tables[t].rules)[column], value);
                m_keys[c].push_back(value);
            }
    }
}

}  // namespace generate
