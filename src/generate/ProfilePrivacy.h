#pragma once
// What of a profile may leave the source (ApplyPrivacy, TableProfile.h):
//
// - A frequent value (of numbers, dates and texts alike), a text shape and a
//   pair's joint value leave only when at least k rows hold them (a share of
//   the rows read, or of NUM_ROWS from statistics). The rows of a value left
//   behind join the buckets, spread by their shares (or one bucket from the
//   lowest to the highest value), so that the shares still add up to 1.
// - A personal column (PersonalByName, PersonalByValues, or marked by the
//   user) keeps its NULL share, its buckets (texts: lengths), bounds and
//   distinct count and loses its frequent values, shapes, character classes
//   and pair (its partner loses the pair too); a character column gets the
//   dictionary its values are drawn from instead.
// - With noValues no value of the source leaves at all: each frequent or pair
//   value becomes a synthetic one of the same shape (texts: every character
//   another of its class; numbers: as many digits, the same sign and point;
//   dates: another day of the same month, same time), one for one in the
//   whole profile; number bounds are rounded to two significant digits and
//   date bounds to the month.
// - The values seen while reading rows are dropped.
#include "generate/TableProfile.h"

#include <optional>

namespace generate {

// The dictionary (one of basKovaData::DictionaryNames) of a column whose name
// says it holds people's names, readings, e-mail addresses, telephone numbers
// or addresses (Japanese or English: 氏名, 名前, フリガナ, NAME, LAST_NAME,
// MAIL, TEL, 住所, ADDRESS ...); none for any other name. A NAME of a thing
// that is no person (COMPANY_NAME, 会社名, 商品名, CITY_NAME) is not
// personal, nor are prefectures, municipalities and postal codes, which many
// people share.
std::optional<QString> PersonalByName(const QString& column);

// The dictionary of a column most of whose values (at least half) are
// personal names or their readings as the Japanese dictionaries know them,
// e-mail addresses, telephone numbers or addresses below the municipality
// (丁目, 番地, 番, 号, or digits joined by a dash after a place name); none
// otherwise.
std::optional<QString> PersonalByValues(const QStringList& values);

}  // namespace generate
