#pragma once
// The INSERT statement of one generated row, built from RowValues.
#include <QString>

namespace basKovaData {

class StatementShape;

// The statement "Insert into " + table + " Values( " and the values of
// columns 1..count, then " ) ", as a shape: an entry beginning with "@" is SQL
// text written without quotes ("@" alone is the number 0; numbers, NULL and
// generated dates become values, other SQL text stays part of the
// statement), any other non-empty entry a character value, an empty entry
// Null. An entry that is "@" alone is itself changed to "@0"; one that is "@"
// and a single character literal (a made value, see generate::DataEntry) is
// that text, never cut.
void InsertShape(const QString& table, int count, StatementShape& shape);
// The same statement as literal text: character values between quotes, with
// single quotes inside doubled, so the value arrives as typed.
QString InsertText(const QString& table, int count);

// A text as an SQL character literal: between single quotes, quotes doubled.
QString SqlQuoted(const QString& text);
// TO_DATE of a date text "YYYYMMDD HHNNSS" (quoted as above).
QString SqlDate(const QString& dateText);

}  // namespace basKovaData
