#include "shared/NumberText.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <system_error>

namespace basKovaData {

namespace {

// "%.15G" of a finite value, independent of the C locale: std::to_chars with a
// precision formats exactly as printf's %g does in the "C" locale.
QString GeneralText(double value)
{
    char buffer[64];
    const std::to_chars_result result = std::to_chars(
        buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (result.ec != std::errc())
        return QStringLiteral("0");
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    return text.replace(QLatin1Char('e'), QLatin1Char('E'));
}

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

    QString text = GeneralText(value);
    // No zero before the point: "0.5" -> ".5", "-0.25" -> "-.25".
    if (text.startsWith(QLatin1String("0.")))
        text.remove(0, 1);
    else if (text.startsWith(QLatin1String("-0.")))
        text.remove(1, 1);
    if (!text.startsWith(QLatin1Char('-')))
        text.prepend(QLatin1Char(' '));
    return text;
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
