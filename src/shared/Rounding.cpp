#include "shared/Rounding.h"

#include <cmath>
#include <limits>

namespace basKovaData {

namespace {

template <typename Int>
std::optional<Int> RoundToInteger(double value)
{
    const double rounded = RoundHalfEven(value);
    // NaN fails both comparisons and so lands here too.
    if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min())
          && rounded <= static_cast<double>(std::numeric_limits<Int>::max())))
        return std::nullopt;
    return static_cast<Int>(rounded);
}

}  // namespace

double RoundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double lower = std::floor(value);
    const double fraction = value - lower;  // exact for every finite double
    double result = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0))
        result = lower + 1.0;
    // Keep the sign of the input on a zero result (-0.4 gives -0, like rint).
    return result == 0.0 ? std::copysign(0.0, value) : result;
}

std::optional<qint16> RoundToInt16(double value)
{
    return RoundToInteger<qint16>(value);
}

std::optional<qint32> RoundToInt32(double value)
{
    return RoundToInteger<qint32>(value);
}

}  // namespace basKovaData
