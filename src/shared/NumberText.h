#pragma once
#include <QString>

namespace basKovaData {

// The largest whole number below which a double holds every whole number
// exactly: 2^53, 9007199254740992.
inline constexpr double MaxExactWhole = 9007199254740992.0;

// The text form of every generated number: a leading blank for zero and
// positive numbers, "-" for negative ones, at most 15 significant digits, no
// "0" before the point (0.5 " .5", -0.25 "-.25", 12.5 " 12.5", 3 " 3"), and the
// exponent form for magnitudes of 1E15 and more and below 1E-4 ("1E+16",
// "1.5E-07"). Whole numbers up to MaxExactWhole are written in full
// (" 1234567890123456"). Not-a-number reads as 0; infinities as the largest
// double.
QString NumberText(double value);
// "@" and NumberText(value): the number as SQL text of a generated row.
QString SqlNumberText(double value);

// Trimmed NumberText(value) right-aligned to `width` characters with zeros
// (ZeroFill) or blanks (BlankFill) on the left; a longer text is cut to its
// first `width` characters ("000-5", "000.5", "123" for 12345 in width 3).
// A width below 1 gives an empty text.
QString ZeroFill(double value, int width);
QString BlankFill(double value, int width);

}  // namespace basKovaData
