#pragma once
// The keys of a parent table's rows, for the foreign keys that draw a parent
// row: read once from the database, computed from the row number of a parent
// that the same run makes with a seed, or kept as the run makes the parent's
// rows. Only keys the child's columns can hold are drawn.
#include "generate/ColumnLength.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

class OraDatabase;

namespace basKovaData {
struct ColumnRule;
struct TableRules;
}

namespace generate {

class ValueGenerator;

// Texts packed one after another: a million keys in a few megabytes.
class PackedTexts {
public:
    void Add(const QString& text)
    {
        m_text += text;
        m_ends.push_back(m_text.size());
    }
    qint64 Size() const { return qint64(m_ends.size()); }
    QString At(qint64 i) const
    {
        const qsizetype start = i > 0 ? m_ends[std::size_t(i - 1)] : 0;
        return m_text.mid(start, m_ends[std::size_t(i)] - start);
    }

private:
    QString m_text;
    std::vector<qsizetype> m_ends;
};

// Whether SQL text after the "@" is a constant as the generator writes one:
// a number, or a date as TO_DATE('YYYYMMDD HH24MISS' text).
bool ConstantSql(const QString& sql);

// Whether the key `entry` (a RowValues entry) is a value the column of `rule`
// holds as it is: a number within its precision and scale, a text within its
// length. NULL fits nowhere.
bool KeyFits(const basKovaData::ColumnRule& rule, const LengthMeasure& measure, const QString& entry);

class ParentKeys {
public:
    virtual ~ParentKeys() = default;
    // Rows that may be drawn.
    virtual qint64 Count() const = 0;
    // Rows that may be drawn once the parent's rows are made (before the run:
    // a parent whose keys are kept or read back has none yet).
    virtual qint64 Planned() const { return Count(); }
    // The keys of drawn row `rank` (0 to Count - 1), one RowValues entry per
    // column of the link, in order.
    virtual void KeyAt(qint64 rank, std::vector<QString>& entries) = 0;
    // The parent's row `row` of the run was just made into RowValues.
    virtual void Made(qint64 /*row*/) {}
    // The database refused these rows of the parent (places in the run, in
    // order): they are drawn no more.
    virtual void Refused(const std::vector<qint64>& /*rows*/) {}
    // The parent's rows are all in the database now.
    virtual void Filled() {}
};

// Most parent rows whose keys are read from the database; of a larger table
// this many rows are taken, spread evenly over it.
inline constexpr qint64 MaxStoredKeys = 4'000'000;

// The keys the parent table holds, read once through one query of checked,
// quoted names: `parentColumns` of `table`, rows with a NULL among them left
// out. `children` are the child's columns the keys go to, in the same order.
// Throws OraError.
std::unique_ptr<ParentKeys> StoredParentKeys(OraDatabase* database, const QString& table,
                                             const QStringList& parentColumns,
                                             const std::vector<const basKovaData::ColumnRule*>& children);

// How a parent made by the same run gives the key of one of its rows.
enum class MadeKind {
    Computed,  // from the row number: a seed, and key kinds that remember nothing
    Kept,      // kept as each row is made
    Database,  // given by the database (identity, trigger, SQL): read back once the rows are in
    Sequence,  // an identity, in files: the values its sequence gives next
    Nothing    // no key at all: the parent's rows leave it NULL
};

// The kind the parent's key columns `parentColumns` (1-based) call for:
// `intoDatabase` tells a run into the database from one into files. None
// when the keys are given by the database as files are loaded (a trigger,
// SQL) and so cannot be known when the files are written.
std::optional<MadeKind> MadeKindOf(const basKovaData::TableRules& parent, const std::vector<int>& parentColumns,
                                   bool intoDatabase);

// The keys of the `rows` rows (of the whole run) that the run makes of the
// parent of `rules`; of the Sequence kind, `first` and `step` on. Throws
// OraError when a source query fails.
std::unique_ptr<ParentKeys> MadeParentKeys(MadeKind kind, const basKovaData::TableRules& parent, qint64 rows,
                                           const std::vector<int>& parentColumns,
                                           const std::vector<const basKovaData::ColumnRule*>& children,
                                           OraDatabase* database, double first = 1, double step = 1);

}  // namespace generate
