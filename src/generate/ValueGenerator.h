#pragma once
// Turns the column rules into the value texts of one row: RowValues[1] to
// RowValues[ColumnCount], in the forms the INSERT builder understands ("@"
// and SQL text, a character value, or an empty text for NULL). One generator
// is one run: cursors and fetched value lists start empty with it.
#include "generate/JapaneseDictionary.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class OraDatabase;

namespace basKovaData {
struct ColumnRule;
struct TableRules;
}

namespace generate {

class ValueGenerator {
public:
    // A run over the columns of `rules`, whose SELECT-sourced values are read
    // from `database`. The rules must outlive the generator.
    ValueGenerator(const basKovaData::TableRules& rules, OraDatabase* database);

    // Fills RowValues[1] to RowValues[count] with the value texts of the next
    // row, one per column of the rules. Throws OraError when a source query
    // fails.
    void NextRow();
    // Starts a row for a caller that takes values one column at a time:
    // the dictionary columns of a row speak of one person and one place.
    void BeginRow() { m_dictionary.reset(); }

    // The value text the next row gives column `column` (1 to the count),
    // in the same forms as RowValues, moving that column's cursor on exactly
    // as NextRow does. Lets a caller that writes its own statements (the
    // update run) take the values one column at a time. Empty for a column
    // outside the rules. Throws OraError when a source query fails.
    QString NextValue(int column);

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
    };

    QString NumericValue(int column, const basKovaData::ColumnRule& rule);
    QString CharacterValue(int column, const basKovaData::ColumnRule& rule);
    QString DateValue(int column, const basKovaData::ColumnRule& rule);

    // The slot a multiple-fixed rule gives this row, or -1 when none is in use.
    int NextSlot(int column, const basKovaData::ColumnRule& rule);
    // The sequence offset for this row; then moves it on by `step`.
    double NextOffset(int column, double step);
    // The list value for this row; reads the list on the column's first use.
    // Empty (NULL) when the list has no values.
    ListValue NextListValue(int column, const basKovaData::ColumnRule& rule);
    std::vector<ListValue> FetchList(const basKovaData::ColumnRule& rule) const;

    const basKovaData::TableRules& m_rules;
    OraDatabase* m_database;
    DictionaryRow m_dictionary;
    std::vector<ColumnState> m_columns;
    std::vector<std::vector<ListValue>> m_lists;
};

}  // namespace generate
