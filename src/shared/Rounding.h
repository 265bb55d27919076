#pragma once
#include <QtGlobal>

#include <optional>

namespace basKovaData {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double value);

// The rounded value as a 16-bit or 32-bit integer; empty when it does not fit
// (or is not a number), so that callers never overflow silently.
std::optional<qint16> RoundToInt16(double value);
std::optional<qint32> RoundToInt32(double value);

}  // namespace basKovaData
