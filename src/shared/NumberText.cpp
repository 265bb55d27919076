#include "shared/NumberText.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <system_error>

namespace basKovaData {

namespace {

QString TrimmedNumberText(double value)
{
    QString text = NumberText(value);
    if (text.startsWith(QLatin1Char(' ')))
        text.remove(0, 1);
    return text;
}

QString FillLeft(double value, int width, QLatin1Char fill)
{
    if (width < 1)
        return {};
    const QString text = TrimmedNumberText(value);
    if (text.size() < width)
        return QString(width - text.size(), fill) + text;
    return text.left(width);
}

}  // namespace

QString NumberText(double value)
{
    if (std::isnan(value) || value == 0.0)
        value = 0.0;  // also turns -0 into +0
    else if (std::isinf(value))
        value = value > 0 ? DBL_MAX : -DBL_MAX;

    // Whole numbers up to 2^53, every one of which a double holds exactly,
    // keep every digit: a 16-digit key must not come out as 15 digits and
    // an exponent, which would repeat it.
    if (std::fabs(value) >= 1e15 && std::fabs(value) <= MaxExactWhole && value == std::trunc(value)) {
        char whole[32];
        whole[0] = ' ';
        const auto written = std::to_chars(whole + 1, whole + sizeof whole, static_cast<long long>(value));
        const char* first = value < 0 ? whole + 1 : whole;
        return QString::fromLatin1(first, written.ptr - first);
    }
    // "%.15G", independent of the C locale: std::to_chars with a precision
    // formats exactly as printf's %g does in the "C" locale. The text is put
    // in shape in the buffer, one character before it kept for the blank.
    char buffer[64];
    char* begin = buffer + 1;
    const std::to_chars_result result =
        std::to_chars(begin, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (result.ec != std::errc())
        return QStringLiteral(" 0");
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
