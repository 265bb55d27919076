#pragma once
// Oracle's internal byte forms, as its optimizer statistics show a column's
// smallest and largest values (USER_TAB_COL_STATISTICS.LOW_VALUE and
// HIGH_VALUE, RAW columns read as hexadecimal text): NUMBER, DATE, TIMESTAMP
// and the character types, decoded as Oracle's documentation describes them.
// Every reader gives nothing for bytes that are not such a form.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <optional>

namespace oraclebytes {

// The bytes of a RAW shown as hexadecimal digits ("C102"); none for any other
// text (odd length, another character).
std::optional<QByteArray> FromHex(QStringView hex);

// NUMBER: an exponent byte, then base-100 digits. 0 is the byte 80. A positive
// number's exponent byte is C1 plus its exponent (the power of 100 of its
// first digit) and each digit d is the byte d + 1; a negative number's
// exponent byte is 3E less its exponent, each digit d the byte 101 - d, and
// 66 ends it when it has fewer than 20 digits (C102 is 1, 3E6466 is -1).
// The infinities and malformed bytes give nothing.
std::optional<double> Number(const QByteArray& bytes);

// DATE (7 bytes: century + 100, year of the century + 100, month, day, hour
// + 1, minute + 1, second + 1) and TIMESTAMP (the same and, in 11 bytes, the
// nanoseconds, big-endian). Dates before the year 1 give nothing.
std::optional<QDateTime> Date(const QByteArray& bytes);

// VARCHAR2, CHAR and their national forms: the text in the database's
// character set, UTF-8 (a server's AL32UTF8) or code page 932.
QString Text(const QByteArray& bytes, bool utf8);

// The forms written, exact inverses of the readers above. A RAW as Oracle's
// tools show it: uppercase hexadecimal digits.
QString ToHex(const QByteArray& bytes);
// NUMBER of a finite double, from its shortest decimal digits that give it
// back (at most 17, so at most 20 base-100 digits); nothing (empty bytes)
// for the infinities, NaN, and numbers beyond NUMBER's range.
QByteArray NumberBytes(double value);
// DATE (7 bytes) of a date and time of the years 1 to 9999 in UTC; with
// milliseconds, the TIMESTAMP form (11 bytes). Empty bytes for any other.
QByteArray DateBytes(const QDateTime& value);
// VARCHAR2 and CHAR as the embedded engine keeps them: UTF-8.
QByteArray TextBytes(const QString& value);

}  // namespace oraclebytes
