#pragma once
#include <QString>

namespace basKovaData {

// Reads a text as a number the way every value box does: blanks are skipped,
// the leading decimal number (sign, digits, point, exponent) is taken and the
// reading stops at the first character that cannot continue it. A text that
// does not begin with a number reads as 0 ("12abc" 12, "1,000" 1, "abc" 0,
// "" 0, "1e3" 1000). Magnitudes beyond the double range read as the largest
// finite double of that sign.
double ReadNumber(const QString& text);

// The numeric test of the options window: optional blanks and sign, digits,
// an optional decimal point and an optional exponent, optional blanks.
bool IsNumericText(const QString& text);

}  // namespace basKovaData
