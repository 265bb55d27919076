#pragma once
// The INSERT statement of one generated row, built from RowValues.
#include "shared/StatementShape.h"

#include <QString>

#include <utility>
#include <vector>

namespace basKovaData {

struct TableRules;

// The columns an INSERT of a table gives values. Empty (the statement names
// no column, every column 1..count takes one in order) unless a column is
// GENERATED ALWAYS AS IDENTITY: then the names of the others and, by column
// index, which are left out. A table of identity columns alone names none
// (no INSERT could name no column) and gives them NULL, which the embedded
// engine takes as no value. Loader files leave out the same columns.
struct InsertColumns {
    QString names;              // "A, B, C"
    std::vector<bool> leftOut;  // entry i for column i
    bool isEmpty() const { return leftOut.empty(); }
    bool leaves(int column) const { return std::size_t(column) < leftOut.size() && leftOut[std::size_t(column)]; }
};
InsertColumns ColumnsOfInsert(const TableRules& rules);

// The statement "Insert into " + table + " Values( " and the values of
// columns 1..count, then " ) ", as a shape: an entry beginning with "@" is SQL
// text written without quotes ("@" alone is the number 0; numbers, NULL and
// generated dates become values, other SQL text stays part of the
// statement), any other non-empty entry a character value, an empty entry
// Null. An entry that is "@" alone is itself changed to "@0"; one that is "@"
// and a single character literal (a made value, see generate::DataEntry) is
// that text, never cut. With `columns` not empty, the statement is
// "Insert into " + table + " (" + names + ") Values( " and the columns left
// out take no value.
void InsertShape(const QString& table, int count, StatementShape& shape, const InsertColumns& columns = {});
// The statements of InsertShape for one table's rows, one per row made into
// RowValues. The names are written once, and a row whose values stand where
// the last row's did (numbers where numbers stood, dates where dates stood,
// the same SQL text) takes that row's text with its own values.
class InsertShaper {
public:
    InsertShaper(const QString& table, int count, const InsertColumns& columns = {});
    void Make(StatementShape& shape);

    // How an entry of RowValues stands in a statement (after the " ,"
    // between two): its value ("?"), a blank and its value, a blank and its
    // date value in TO_DATE(?,'YYYYMMDD HH24MISS'), or a blank and SQL text.
    enum class Piece : unsigned char { Value, BlankValue, BlankDate, Sql };
    // The piece of `entry`, its value added to `values` or its SQL text put
    // into `sql`.
    static Piece PieceOf(const QString& entry, std::vector<SqlValue>& values, QString& sql);
    // Appends a piece: `value` (taken) where it has one, else `sql`.
    static void AppendPiece(StatementShape& shape, Piece piece, SqlValue* value, const QString& sql);

private:
    struct Item {
        Piece piece = Piece::Value;
        QString sql;  // of Piece::Sql
        bool operator==(const Item& other) const { return piece == other.piece && sql == other.sql; }
    };

    std::vector<int> m_columns;  // the columns that take a value, in order
    QString m_head;              // "Insert into T Values( "
    std::vector<Item> m_items;   // the row's
    std::vector<SqlValue> m_values;
    std::vector<Item> m_lastItems;  // those of the text below
    QString m_text;
    std::vector<qsizetype> m_markers;
};

// The same statement as literal text: character values between quotes, with
// single quotes inside doubled, so the value arrives as typed.
QString InsertText(const QString& table, int count, const InsertColumns& columns = {});

// "Update " + table + " Set A = v, ... Where K = k And ...": the columns by
// name, the values as entries of RowValues are written in an INSERT.
void UpdateShape(const QString& table, const std::vector<std::pair<QString, QString>>& sets,
                 const std::vector<std::pair<QString, QString>>& where, StatementShape& shape);

// A text as an SQL character literal: between single quotes, quotes doubled.
QString SqlQuoted(const QString& text);
// TO_DATE of a date text "YYYYMMDD HHNNSS" (quoted as above).
QString SqlDate(const QString& dateText);

}  // namespace basKovaData
