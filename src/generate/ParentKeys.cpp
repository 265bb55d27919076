#include "generate/ParentKeys.h"

#include "generate/InsertRow.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "shared/NumberRead.h"
#include "shared/NumberText.h"
#include "shared/ValueText.h"
#include "shared/basKovaData.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

using basKovaData::ColumnRule;
using basKovaData::Kind;
using basKovaData::TypeFamily;

// The text a character column would hold of a key entry.
QString CharacterText(const QString& entry)
{
    if (std::optional<QString> literal = LiteralEntry(entry))
        return *literal;
    return entry.startsWith(u'@') ? entry.mid(1).trimmed() : entry;
}

std::vector<LengthMeasure> Measures(const std::vector<const ColumnRule*>& children, const OraDatabase* database)
{
    std::vector<LengthMeasure> measures;
    for (const ColumnRule* child : children)
        measures.push_back(MeasureOf(*child, database));
    return measures;
}

bool AllFit(const std::vector<const ColumnRule*>& children, const std::vector<LengthMeasure>& measures,
            const std::vector<QString>& entries)
{
    for (std::size_t k = 0; k < children.size() && k < entries.size(); ++k)
        if (!KeyFits(*children[k], measures[k], entries[k]))
            return false;
    return true;
}

// A fixed value the user wrote as SQL that is not a constant ("@SEQ.NEXTVAL").
bool SqlKey(const ColumnRule& rule)
{
    if (rule.storedKind() != Kind::Single)
        return false;
    const QString text = rule.TextValue[0].trimmed();
    if (!text.startsWith(u'@'))
        return false;
    const QString sql = text.mid(1).trimmed();
    return !sql.isEmpty() && !ConstantSql(sql) && !LiteralEntry(u'@' + sql);
}

class StoredKeys : public ParentKeys {
public:
    explicit StoredKeys(std::size_t columns) : m_columns(columns) {}
    qint64 Count() const override { return m_columns.empty() ? 0 : m_columns.front().Size(); }
    void KeyAt(qint64 rank, std::vector<QString>& entries) override
    {
        entries.resize(m_columns.size());
        for (std::size_t k = 0; k < m_columns.size(); ++k)
            entries[k] = m_columns[k].At(rank);
    }
    void Add(const std::vector<QString>& entries)
    {
        for (std::size_t k = 0; k < m_columns.size(); ++k)
            m_columns[k].Add(entries[k]);
    }

private:
    std::vector<PackedTexts> m_columns;
};

class MadeKeys : public ParentKeys {
public:
    MadeKeys(MadeKind kind, const basKovaData::TableRules& parent, qint64 rows, const std::vector<int>& columns,
             const std::vector<const ColumnRule*>& children, OraDatabase* database)
        : m_kind(kind), m_parent(parent), m_rows(rows), m_columns(columns), m_children(children),
          m_database(database), m_measures(Measures(children, database)), m_kept(columns.size())
    {
        if (m_kind != MadeKind::Computed)
            return;
        m_probe = std::make_unique<ValueGenerator>(parent, database);
        m_wholeRow = std::any_of(parent.columns.begin() + 1, parent.columns.end(),
                                 [](const ColumnRule& rule) { return rule.storedKind() == Kind::Expression; });
        if (!Narrower())
            return;
        // Keys the child cannot hold are not drawn: the rows whose keys fit.
        std::vector<qint64> fitting;
        std::vector<QString> entries;
        for (qint64 row = 0; row < m_rows; ++row) {
            Compute(row, entries);
            if (AllFit(m_children, m_measures, entries))
                fitting.push_back(row);
        }
        if (qint64(fitting.size()) < m_rows)
            m_rowsOf = std::move(fitting);
    }

    qint64 Count() const override
    {
        if (m_stored)
            return m_stored->Count();
        if (m_kind == MadeKind::Nothing)
            return 0;
        if (m_rowsOf)
            return qint64(m_rowsOf->size());
        return m_kind == MadeKind::Kept ? m_kept.front().Size() : m_rows;
    }

    qint64 Planned() const override
    {
        const bool made = m_kind == MadeKind::Computed || m_kind == MadeKind::Nothing || m_stored;
        return made ? Count() : m_rows;
    }

    void KeyAt(qint64 rank, std::vector<QString>& entries) override
    {
        if (m_stored)
            return m_stored->KeyAt(rank, entries);
        const qint64 row = m_rowsOf ? (*m_rowsOf)[std::size_t(rank)] : rank;
        entries.resize(m_columns.size());
        switch (m_kind) {
        case MadeKind::Computed:
            Compute(row, entries);
            break;
        case MadeKind::Kept:
            for (std::size_t k = 0; k < m_columns.size(); ++k)
                entries[k] = m_kept[k].At(row);
            break;
        case MadeKind::Sequence: {
            // The number as an entry ("@120"), or as the text of a character column.
            const QString value = basKovaData::SqlNumberText(m_first + double(row) * m_step);
            for (std::size_t k = 0; k < m_columns.size(); ++k)
                entries[k] = m_children[k]->family() == TypeFamily::Numeric ? value : CharacterText(value);
            break;
        }
        case MadeKind::Nothing:
            break;
        case MadeKind::Database:
            throw OraError(u"%1: the keys the database gives are drawn only once its rows are in"_s.arg(m_parent.table));
        }
    }

    void SetSequence(double first, double step)
    {
        m_first = first;
        m_step = step;
    }

    void Made(qint64 row) override
    {
        if (m_kind != MadeKind::Kept)
            return;
        std::vector<QString> entries;
        for (std::size_t k = 0; k < m_columns.size(); ++k) {
            entries.push_back(basKovaData::RowValues[std::size_t(m_columns[k])]);
            m_kept[k].Add(entries.back());
        }
        const bool fits = AllFit(m_children, m_measures, entries);
        if (!fits && !m_rowsOf) {
            m_rowsOf.emplace();
            for (qint64 r = 0; r < row; ++r)
                m_rowsOf->push_back(r);
        }
        if (fits && m_rowsOf)
            m_rowsOf->push_back(row);
    }

    void Refused(const std::vector<qint64>& rows) override
    {
        if (rows.empty() || m_kind == MadeKind::Database)
            return;
        if (!m_rowsOf) {
            m_rowsOf.emplace();
            const qint64 made = m_kind == MadeKind::Kept ? m_kept.front().Size() : m_rows;
            for (qint64 r = 0; r < made; ++r)
                m_rowsOf->push_back(r);
        }
        std::vector<qint64> kept;
        kept.reserve(m_rowsOf->size());
        std::set_difference(m_rowsOf->begin(), m_rowsOf->end(), rows.begin(), rows.end(), std::back_inserter(kept));
        *m_rowsOf = std::move(kept);
    }

    void Filled() override
    {
        if (m_kind != MadeKind::Database)
            return;
        QStringList names;
        for (const int column : m_columns)
            names << m_parent[column].ColumnName.trimmed();
        m_stored = StoredParentKeys(m_database, m_parent.table, names, m_children);
    }

private:
    // Whether a child column may fail to hold a key of the parent's column.
    bool Narrower() const
    {
        for (std::size_t k = 0; k < m_columns.size(); ++k) {
            const ColumnRule& parent = m_parent[m_columns[k]];
            const ColumnRule& child = *m_children[k];
            if (child.family() != parent.family() || child.Scale != parent.Scale
                || (child.Length > 0 && (parent.Length <= 0 || child.Length < parent.Length))
                || m_measures[k].characters != MeasureOf(parent, m_database).characters)
                return true;
        }
        return false;
    }

    void Compute(qint64 row, std::vector<QString>& entries)
    {
        if (row != m_probeNext)
            m_probe->SeekRow(row);
        if (m_wholeRow)
            m_probe->NextRow();
        else
            m_probe->NextValues(m_columns);
        m_probeNext = row + 1;
        entries.resize(m_columns.size());
        for (std::size_t k = 0; k < m_columns.size(); ++k)
            entries[k] = basKovaData::RowValues[std::size_t(m_columns[k])];
    }

    MadeKind m_kind;
    const basKovaData::TableRules& m_parent;
    qint64 m_rows;
    std::vector<int> m_columns;
    std::vector<const ColumnRule*> m_children;
    OraDatabase* m_database;
    std::vector<LengthMeasure> m_measures;
    std::unique_ptr<ValueGenerator> m_probe;
    qint64 m_probeNext = 0;
    bool m_wholeRow = false;
    std::vector<PackedTexts> m_kept;
    // The rows that may be drawn, by rank, when not all of them may.
    std::optional<std::vector<qint64>> m_rowsOf;
    std::unique_ptr<ParentKeys> m_stored;
    double m_first = 1;  // the Sequence kind's first value and step
    double m_step = 1;
};

}  // namespace

bool ConstantSql(const QString& sql)
{
    static const QRegularExpression date(uR"(^TO_DATE\('\d{8} \d{6}','YYYYMMDD HH24MISS'\)$)"_s);
    return basKovaData::IsNumericText(sql) || date.match(sql).hasMatch();
}

bool KeyFits(const ColumnRule& rule, const LengthMeasure& measure, const QString& entry)
{
    if (entry.isEmpty() || entry.compare(u"@NULL"_s, Qt::CaseInsensitive) == 0)
        return false;
    switch (rule.family()) {
    case TypeFamily::Numeric: {
        const QString number = CharacterText(entry);
        if (rule.Length <= 0 || !basKovaData::IsNumericText(number))
            return true;  // no precision, or SQL the database evaluates
        const double scaled = basKovaData::ReadNumber(number) * std::pow(10.0, rule.Scale);
        const double whole = std::round(scaled);
        return std::abs(scaled - whole) <= 1e-9 * std::max(1.0, std::abs(scaled))
               && std::abs(whole) < std::pow(10.0, rule.Length);
    }
    case TypeFamily::Character:
        return rule.Length <= 0 || measure.Of(CharacterText(entry)) <= rule.Length;
    case TypeFamily::Date:
    case TypeFamily::Other:
        break;
    }
    return true;
}

std::unique_ptr<ParentKeys> StoredParentKeys(OraDatabase* database, const QString& table,
                                             const QStringList& parentColumns,
                                             const std::vector<const ColumnRule*>& children)
{
    auto keys = std::make_unique<StoredKeys>(std::size_t(parentColumns.size()));
    if (!database || parentColumns.isEmpty())
        return keys;
    // The names come from the dictionary or a file: each must be one of the
    // parent's columns before it reaches SQL, quoted.
    QStringList names, present;
    for (const QString& column : parentColumns) {
        const std::unique_ptr<OraDynaset> known = database->DBCreateDynaset(
            u"SELECT COUNT(*) FROM USER_TAB_COLUMNS WHERE TABLE_NAME = %1 AND COLUMN_NAME = %2"_s.arg(
                basKovaData::SqlQuoted(table), basKovaData::SqlQuoted(column)),
            0);
        if (known->Value(0).toDouble() < 1)
            throw OraError(u"the schema has no column %1.%2 for a foreign key to draw from"_s.arg(table, column));
        names << database->SqlName(table, column);
        present << names.back() + u" IS NOT NULL"_s;
    }
    const QString from = u" FROM "_s + database->SqlName(table) + u" WHERE "_s + present.join(u" AND "_s);
    const qint64 count = qint64(database->DBCreateDynaset(u"SELECT COUNT(*)"_s + from, 0)->Value(0).toDouble());
    const std::vector<LengthMeasure> measures = Measures(children, database);
    std::unique_ptr<OraDynaset> rows =
        database->DBCreateDynaset(u"SELECT "_s + names.join(u", "_s) + from + u" ORDER BY "_s + names.join(u", "_s), 0);
    std::vector<QString> entries(std::size_t(names.size()));
    // Of more rows than are kept, row i is taken when it starts a new share.
    const qint64 kept = std::min(count, MaxStoredKeys);
    for (qint64 i = 0; !rows->IsEOF(); ++i, rows->MoveNext()) {
        if (count > kept && (i + 1) * kept / count == i * kept / count)
            continue;
        for (std::size_t k = 0; k < entries.size(); ++k)
            entries[k] = TableEntry(k < children.size() ? children[k]->family() : TypeFamily::Character,
                                    rows->Value(int(k)));
        if (AllFit(children, measures, entries))
            keys->Add(entries);
    }
    return keys;
}

std::optional<MadeKind> MadeKindOf(const basKovaData::TableRules& parent, const std::vector<int>& parentColumns,
                                   bool intoDatabase)
{
    bool remembers = !parent.seed;
    for (const int column : parentColumns) {
        const ColumnRule& rule = parent[column];
        const Kind kind = rule.storedKind();
        if (rule.IsIdentity)
            return intoDatabase ? MadeKind::Database : MadeKind::Sequence;
        if (kind == Kind::None || kind == Kind::Null || kind == Kind::Unknown) {
            // A column that may be NULL and gets NULL holds no key; one that
            // may not is filled by the database (a trigger).
            if (!rule.IsNotNull && !rule.IsKey)
                return MadeKind::Nothing;
            return intoDatabase ? std::optional(MadeKind::Database) : std::nullopt;
        }
        if (SqlKey(rule))
            return intoDatabase ? std::optional(MadeKind::Kept) : std::nullopt;
        // A key that is itself drawn, or that takes no value twice, depends on
        // the rows before it.
        if (rule.Unique || rule.parent())
            remembers = true;
    }
    return remembers ? MadeKind::Kept : MadeKind::Computed;
}

std::unique_ptr<ParentKeys> MadeParentKeys(MadeKind kind, const basKovaData::TableRules& parent, qint64 rows,
                                           const std::vector<int>& parentColumns,
                                           const std::vector<const ColumnRule*>& children, OraDatabase* database,
                                           double first, double step)
{
    auto keys = std::make_unique<MadeKeys>(kind, parent, rows, parentColumns, children, database);
    keys->SetSequence(first, step);
    return keys;
}

}  // namespace generate
