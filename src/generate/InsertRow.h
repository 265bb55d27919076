#pragma once
// The INSERT statement of one generated row, built from RowValues.
#include <QString>

namespace basKovaData {

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

// Runs InsertText(table, count) on OraDatabase; false when it failed.
bool InsertRow(const QString& table, int count);

}  // namespace basKovaData
