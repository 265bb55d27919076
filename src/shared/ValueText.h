#pragma once
#include <QString>
#include <QVariant>

namespace basKovaData {

// Each carriage return and each line feed becomes one blank (CR LF gives two).
QString FlattenSql(const QString& text);

// `sql` with a user's condition added: nothing for a blank condition; else the
// condition trimmed and flattened, after one blank when it begins with
// "order by" (any case), otherwise after " WHERE ".
QString WithCondition(const QString& sql, const QString& condition);

// True for a value an engine hands over as a number (any integer or
// floating-point type), however it will be shown.
bool IsNumberValue(const QVariant& value);

// The display text of a database value: numbers in their shortest decimal form
// with at most 15 significant digits ("12.5", "0.5", "-3", "1.5E+16"), whole
// numbers up to 2^53 with every digit ("1234567890123456"), dates as
// "YYYY/MM/DD HH:MM:SS" ("YYYY/MM/DD" at midnight), True/False, raw bytes as
// upper-case hexadecimal ("0AFF"), texts as they are. NULL gives "".
QString VariantText(const QVariant& value);

// NULL is a variant that is invalid or for which QVariant::isNull() is true,
// which is what the SQL layer hands over for a NULL column. In Qt 6 a variant
// holding an empty QString (QVariant(QString())) is NOT null: it is an empty
// text and shows as one.

// An empty text for NULL, else the value's display text.
QString NullToBlank(const QVariant& value);
// "[NULL]" for NULL, else the value's display text.
QString NullToMark(const QVariant& value);

}  // namespace basKovaData
