#pragma once
// The INSERT statement of one generated row, built from RowValues.
#include <QString>

namespace basKovaData {

struct StatementShape;

// "Insert into " + table + " Values( " and the values of columns 1..count,
// then " ) ". An entry beginning with "@" is SQL text written without quotes
// ("@" alone is the number 0), any other non-empty entry a character literal
// (single quotes inside doubled, so the value arrives as typed), an empty
// entry Null. An entry that is "@" alone is itself changed to "@0".
QString InsertText(const QString& table, int count);

// A text as an SQL character literal: between single quotes, quotes doubled,
// so that a value such as O'Brien arrives as typed.
QString SqlQuoted(const QString& text);
// TO_DATE of a date text "YYYYMMDD HHNNSS" (quoted as above).
QString SqlDate(const QString& dateText);

// InsertText(table, count) as a shape for a batch: character values, numbers,
// NULL and generated dates (TO_DATE of a date text) become parameters; any
// other SQL text after "@" stays in the statement's text, as in InsertText.
void InsertShape(const QString& table, int count, StatementShape& shape);

// Appends a value in SQL form to a shape: a number, a character literal,
// NULL or TO_DATE of a date text as a parameter, any other SQL text as text.
void AppendSqlValue(StatementShape& shape, QStringView sql);

}  // namespace basKovaData
