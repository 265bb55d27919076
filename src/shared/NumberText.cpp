#include "shared/NumberText.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>
#include <system_error>

namespace basKovaData {

namespace {

// "%.15G" of the double nearest to n / 100, for a whole n below 10^15 that
// 100 does not divide (amounts, prices): that quotient's digits, trailing
// zero dropped, which is what the general conversion gives, only faster.
char* WriteHundredths(double hundredths, char* out)
{
    long long n = static_cast<long long>(hundredths);
    if (n < 0) {
        *out++ = '-';
        n = -n;
    }
    out = std::to_chars(out, out + 24, n / 100).ptr;
    *out++ = '.';
    const int cents = static_cast<int>(n % 100);
    *out++ = static_cast<char>('0' + cents / 10);
    if (cents % 10 != 0)
        *out++ = static_cast<char>('0' + cents % 10);
    return out;
}

// NumberText written into `buffer` (64 characters) from `buffer + 1` on, so
// that a caller may put one character before it; the text's first and
// one-past-last places.
std::pair<char*, char*> WriteNumberText(double value, char* buffer)
{
    if (std::isnan(value) || value == 0.0)
        value = 0.0;  // also turns -0 into +0
    else if (std::isinf(value))
        value = value > 0 ? DBL_MAX : -DBL_MAX;
    char* begin = buffer + 1;
    char* const limit = buffer + 64;

    // Whole numbers up to 2^53, every one of which a double holds exactly,
    // keep every digit: a 16-digit key must not come out as 15 digits and
    // an exponent, which would repeat it. Below 10^15 they read as "%.15G"
    // writes them, only faster, which every key of a run is glad of.
    if (std::fabs(value) <= MaxExactWhole && value == std::trunc(value)) {
        const auto written = std::to_chars(begin, limit, static_cast<long long>(value));
        if (value >= 0)
            *--begin = ' ';
        return {begin, written.ptr};
    }
    // "%.15G", independent of the C locale: std::to_chars with a precision
    // formats exactly as printf's %g does in the "C" locale.
    const double hundredths = std::fabs(value) < 1e13 ? std::round(value * 100.0) : 0.0;
    const std::to_chars_result result =
        hundredths != 0.0 && hundredths / 100.0 == value
            ? std::to_chars_result{WriteHundredths(hundredths, begin), std::errc()}
            : std::to_chars(begin, limit, value, std::chars_format::general, 15);
    if (result.ec != std::errc()) {
        std::memcpy(begin, " 0", 2);
        return {begin, begin + 2};
    }
    char* const end = result.ptr;
    std::replace(begin, end, 'e', 'E');
    // No zero before the point: "0.5" -> ".5", "-0.25" -> "-.25".
    if (end - begin > 1 && begin[0] == '0' && begin[1] == '.') {
        ++begin;
    } else if (end - begin > 2 && begin[0] == '-' && begin[1] == '0' && begin[2] == '.') {
        begin[1] = '-';
        ++begin;
    }
    if (*begin != '-')
        *--begin = ' ';
    return {begin, end};
}

// The number without its leading blank, right-aligned with `fill` to `width`
// characters or cut to them.
QString FillLeft(double value, int width, QLatin1Char fill)
{
    if (width < 1)
        return {};
    char buffer[64];
    auto [begin, end] = WriteNumberText(value, buffer);
    if (*begin == ' ')
        ++begin;
    const qsizetype size = end - begin;
    if (size >= width)
        return QString::fromLatin1(begin, width);
    QString text(width, fill);
    QChar* digits = text.data() + (width - size);
    for (const char* at = begin; at != end; ++at)
        *digits++ = QLatin1Char(*at);
    return text;
}

}  // namespace

QString NumberText(double value)
{
    char buffer[64];
    const auto [begin, end] = WriteNumberText(value, buffer);
    return QString::fromLatin1(begin, end - begin);
}

QString SqlNumberText(double value)
{
    char buffer[65];
    auto [begin, end] = WriteNumberText(value, buffer + 1);
    *--begin = '@';
    return QString::fromLatin1(begin, end - begin);
}

QString ZeroFill(double value, int width)
{
    return FillLeft(value, width, QLatin1Char('0'));
}

QString BlankFill(double value, int width)
{
    return FillLeft(value, width, QLatin1Char(' '));
}

}  // namespace basKovaData
