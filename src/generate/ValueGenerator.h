#pragma once
// Turns the column rules into the value texts of one row: RowValues[1] to
// RowValues[ColumnCount], in the forms the INSERT builder understands ("@"
// and SQL text, a character value, or an empty text for NULL). One generator
// is one run: cursors and fetched value lists start empty with it.
//
// Only what the user typed as a fixed value or list value may be SQL text
// after an "@". Every value the program makes or reads (patterns,
// expressions, dictionaries, SELECT-sourced lists) is data: a text that
// begins with "@" is given as "@" and its character literal ("@'@047'").
#include "generate/ColumnLength.h"
#include "generate/DistributionDraws.h"
#include "generate/JapaneseDictionary.h"
#include "generate/KeyCapacity.h"
#include "generate/NumberGrid.h"
#include "generate/PatternRecipe.h"
#include "generate/RowExpressions.h"

#include "shared/SeededDraws.h"
#include "shared/TypeFamily.h"

#include <QDateTime>
#include <QSet>
#include <QVariant>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class OraDatabase;

namespace basKovaData {
struct ColumnRule;
struct TableRules;
}

namespace generate {

// A generated number as the text of a character column of `rule`: right-
// aligned with zeros or blanks to the column's length, or left-aligned.
QString FilledNumber(double value, const basKovaData::ColumnRule& rule);
// A made or read text as a RowValues entry: as it is, or for a text that
// begins with "@", "@" and its character literal, so that it stays data.
QString DataEntry(const QString& text);
// The text of an entry that is "@" and one character literal ("@'a''b'"
// gives a'b); none for any other entry.
std::optional<QString> LiteralEntry(QStringView entry);
// The text an entry stands for when it is a literal entry, else the entry.
QString EntryText(const QString& entry);
// A value read from the table as a RowValues entry of a column of `family`:
// a number or date as its SQL text after "@", a text as data, NULL as an
// empty text.
QString TableEntry(basKovaData::TypeFamily family, const QVariant& value);

// The days a random date rule gives, less one: from the minimum's day on,
// each at the minimum's time of day, the last one not past the maximum.
// Negative when not even the minimum's day is left.
qint64 RandomDateDays(const QDateTime& from, const QDateTime& to);

class ValueGenerator {
public:
    // A run over the columns of `rules`, whose SELECT-sourced values are read
    // from `database`. The rules must outlive the generator.
    ValueGenerator(const basKovaData::TableRules& rules, OraDatabase* database);

    // Values for files, which a server loads: texts of byte lengths are cut
    // to their lengths in UTF-8, whatever database the rules come from.
    void MeasureInUtf8() { m_utf8 = true; }

    // The rows of the whole run (of every slice together): the 分布 kind
    // spreads its draws so that that many rows keep each bucket's distinct
    // count. Unset, a bucket draws among just its distinct values.
    void PlanRows(qint64 rows);

    // What must hold before the first of `rows` rows: a column that may not
    // repeat can give that many values, counting those the table already
    // holds (read here). Empty when the run may start, else the message that
    // names the column. Throws OraError when reading the table fails.
    QString Prepare(qint64 rows);

    // The key or 重複なし column that takes the fewest rows (see
    // KeyCapacity.h), the values the table holds read here. Throws OraError
    // when reading the table fails.
    KeyRoom ReadKeyRoom();

    // Fills RowValues[1] to RowValues[count] with the value texts of the next
    // row, one per column of the rules. Throws OraError when a source query
    // fails.
    void NextRow();
    // Starts a row for a caller that takes values one column at a time:
    // the dictionary columns of a row speak of one person and one place.
    void BeginRow();

    // The value text the next row gives column `column` (1 to the count),
    // in the same forms as RowValues, moving that column's cursor on exactly
    // as NextRow does. Lets a caller that writes its own statements (the
    // update run) take the values one column at a time. Empty for a column
    // outside the rules. Throws OraError when a source query fails.
    QString NextValue(int column);

    // Makes the values of `columns` (1 to the count) for the next row into
    // RowValues, as NextRow makes a row: the other columns first, the
    // expressions after them, each after those it reads. The entries of the
    // other columns are the row as the expressions see it: the caller puts
    // them there before (the update run puts the row's own values).
    // Throws OraError when a source query or an expression fails.
    void NextValues(const std::vector<int>& columns);

    // Moves the run on by `rows` rows without making them, as if they had
    // been made: sequences, lists in turn and SELECT lists in turn stand
    // where those rows left them, and the seed's draws go on from the row
    // after. Lets a slice of a run start where it stands in the whole run.
    // Values that may not repeat are not followed (a slice with them is
    // refused before). Throws OraError when a source query fails.
    void SkipRows(qint64 rows);

    // Stands the run where it stood before row `row` (from 0) of the whole
    // run, as if it had made the rows before it: the rows that follow are
    // that row and those after it. Only for rules whose rows are a function
    // of their number (a seed, no values that may not repeat). Throws
    // OraError when a source query fails.
    void SeekRow(qint64 row);

    // Column `column` (1 to the count) takes `value` in the rows that follow
    // instead of its rule's (a parent row's key, say), until the column is
    // given another; an empty value is NULL.
    void GiveValue(int column, const QString& value);

private:
    // One value of a SELECT-sourced list; empty for a NULL.
    using ListValue = std::optional<QString>;

    // What a run remembers about one column.
    struct ColumnState {
        int nextSlot = 0;         // multiple fixed: where the next slot search starts
        double offset = 0.0;      // sequence: added to the start value (whole numbers)
        bool listFetched = false; // SELECT-sourced: the list has been read
        qsizetype list = -1;      // ... index into m_lists
        qsizetype position = -1;  // ... index of the value the last row took
        int dictionary = -2;      // dictionary kind: its index once looked up
        // With a seed: the column's own stream and the draws of this row.
        std::uint64_t stream = 0;
        qint64 drawRow = -1;
        std::uint32_t draws = 0;
        // Random order: the slots in use and their running weight totals.
        std::vector<int> slots;
        std::vector<qint64> totals;
        // 重複なし: the values given (and the table's own), and for a range
        // the keyed order through it with the next place to take.
        // Values given are kept as 64-bit hashes: a million of them stay in a
        // few megabytes, and two values that share a hash only cost a redraw.
        QSet<std::size_t> seen;
        QSet<QString> existing;
        std::optional<basKovaData::KeyedPermutation> order;
        std::uint64_t taken = 0;
        // Random numbers: the rule's grid, read on the column's first use.
        std::optional<NumberGrid> grid;
        // Dates: the rule's dates and step, read on the column's first use.
        std::optional<QDateTime> from;
        QDateTime to;
        double dateStep = 0.0;
        // パターン: the recipe, read on the column's first use.
        std::optional<PatternRecipe> pattern;
        // 辞書: how the column's length counts, read on the column's first use.
        std::optional<LengthMeasure> measure;
        // 複数固定 of a character column: the slots' texts, trimmed once.
        std::vector<QString> slotTexts;
        // A value given from outside the rules, which the column takes instead.
        std::optional<QString> given;
        // The row whose value another expression's read made early: asked
        // again in that row, the column gives the same value.
        qint64 madeRow = -1;
    };

    ColumnState& State(int column);
    // The type family of a column of the rules, read once.
    basKovaData::TypeFamily Family(int column) const { return m_families[std::size_t(column)]; }
    // The next draw in [0, 1) for `column`: the program's sequence, or the
    // column's own stream when the rules carry a seed.
    double Draw(int column);
    // The value a rule gives before its NULL rate is applied.
    QString RuleValue(int column, const basKovaData::ColumnRule& rule);
    QString NumericValue(int column, const basKovaData::ColumnRule& rule);
    QString CharacterValue(int column, const basKovaData::ColumnRule& rule);
    QString DateValue(int column, const basKovaData::ColumnRule& rule);
    // The 分布 kind: a value drawn from the column's profile.
    QString DistributionValue(int column);

    // The slot a multiple-fixed rule gives this row, or -1 when none is in use.
    int NextSlot(int column, const basKovaData::ColumnRule& rule);
    // Random order: a slot in use by weight (one not yet given, for 重複なし).
    int DrawSlot(int column, const basKovaData::ColumnRule& rule);
    // A random number rule's offset from its minimum: a fresh draw, or for
    // 重複なし the next value of the keyed order through the grid that the
    // table does not hold (`keyOf` gives a value's text as the table has it).
    double RandomOffset(int column, const basKovaData::ColumnRule& rule, const std::function<QString(double)>& keyOf);
    // A random rule's place on its grid of `count` values: a fresh draw, or
    // for 重複なし the next place of the keyed order whose value `keyOf`
    // (the value's text) has not been given.
    std::uint64_t RangePlace(int column, std::uint64_t count, const std::function<QString(std::uint64_t)>& keyOf);
    // The 式 kind: the column's expression over the row's other values.
    // Throws OraError when the expression fails.
    QString ExpressionValue(int column, const basKovaData::ColumnRule& rule);
    // Reads the rules' expressions once; the refusal (a cycle, a syntax
    // error) when they cannot run.
    QString PrepareExpressions();
    // With MeasureInUtf8: why a pattern's longest value is longer in UTF-8
    // than its column's length in bytes, naming TABLE.COLUMN; empty when none
    // is. (The rule was checked against the database's own count.)
    QString PatternTooLongInUtf8();
    // Tries for a value not given before, for the kinds that draw freely.
    static constexpr int UniqueAttempts = 1000;
    // Why a column that may not repeat has no new value left.
    static QString Exhausted(const basKovaData::ColumnRule& rule);
    // The list text of a database value: numbers without their leading
    // blank, dates as date texts, everything else as trimmed text.
    static QString ListText(const QVariant& value);
    // The pattern kind's recipe of `column`. Throws OraError when the pattern
    // is refused.
    const PatternRecipe& Recipe(int column, const basKovaData::ColumnRule& rule);
    // Remembers a 重複なし column's value; false when it was given before.
    bool TakeUnique(int column, const QString& key);
    // Values a rule can give at most (an upper bound); -1 for no limit known.
    double DistinctValues(int column, const basKovaData::ColumnRule& rule);
    // The sequence offset for this row; then moves it on by `step`.
    double NextOffset(int column, double step);
    // The list value for this row; reads the list on the column's first use.
    // Empty (NULL) when the list has no values.
    ListValue NextListValue(int column, const basKovaData::ColumnRule& rule);
    std::vector<ListValue> FetchList(const basKovaData::ColumnRule& rule) const;
    // The list of a SELECT-sourced column, read on its first use.
    const std::vector<ListValue>& List(int column, const basKovaData::ColumnRule& rule);
    // The rows among the next `rows` in which `column` takes a value of its
    // rule (those its NULL rate leaves alone).
    qint64 RowsTaking(int column, const basKovaData::ColumnRule& rule, qint64 rows);

    const basKovaData::TableRules& m_rules;
    OraDatabase* m_database;
    bool m_utf8 = false;
    DictionaryRow m_dictionary;
    qint64 m_row = -1;              // the row being made, from 0
    // Expression columns: the engine, the order they run in (column numbers)
    // and the row's values as the expressions see them.
    std::unique_ptr<RowExpressions> m_expressions;
    std::vector<int> m_expressionOrder;
    std::vector<QVariant> m_typed;
    qint64 m_typedRow = -1;
    int m_drawColumn = 0;  // the column whose expression or dictionary draws
    std::vector<ColumnState> m_columns;
    std::vector<basKovaData::TypeFamily> m_families;
    // The columns of bytes written as hexadecimal digits, and what the
    // database wants before the digits.
    std::vector<bool> m_hex;
    QString m_hexPrefix;
    std::vector<std::vector<ListValue>> m_lists;
    // The 分布 columns' profiles, read on the first such value.
    std::unique_ptr<DistributionDraws> m_distribution;
    qint64 m_plannedRows = 0;
};

}  // namespace generate
