#include "shared/ValueText.h"

#include "shared/NumberText.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QMetaType>
#include <QTime>

#include <charconv>
#include <cmath>
#include <system_error>

namespace basKovaData {

namespace {

// "%.15G" of a number, with the zero before the point and without a sign for
// zero ("NAN", "INF" and "-INF" for the values that are no numbers);
// independent of the C locale. Whole numbers up to 2^53, which a double holds
// exactly, keep every digit: a 16-digit key shows as the preview wrote it.
QString DisplayNumber(double value)
{
    if (value == 0.0)
        return QStringLiteral("0");  // also for -0
    char buffer[64];
    if (std::fabs(value) <= MaxExactWhole && value == std::trunc(value)) {
        const std::to_chars_result whole =
            std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value));
        return QString::fromLatin1(buffer, whole.ptr - buffer);
    }
    const std::to_chars_result result = std::to_chars(
        buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (result.ec != std::errc())
        return QStringLiteral("0");
    return QString::fromLatin1(buffer, result.ptr - buffer).toUpper();
}

// A single-precision value is shown as the shortest decimal that reads back to
// it (0.1f as "0.1", not as the 15 digits of its binary value).
QString DisplayFloat(float value)
{
    char buffer[64];
    const std::to_chars_result shortest =
        std::to_chars(buffer, buffer + sizeof buffer, value);
    double decimal = static_cast<double>(value);
    if (shortest.ec == std::errc())
        std::from_chars(buffer, shortest.ptr, decimal);
    return DisplayNumber(decimal);
}

QString DisplayDateTime(const QDateTime& value)
{
    if (!value.isValid())
        return value.toString();
    if (value.time() == QTime(0, 0))
        return value.toString(QStringLiteral("yyyy/MM/dd"));
    return value.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

bool IsNull(const QVariant& value)
{
    return !value.isValid() || value.isNull();
}

}  // namespace

QString FlattenSql(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return result;
}

bool IsNumberValue(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

QString VariantText(const QVariant& value)
{
    if (IsNull(value))
        return {};
    switch (value.metaType().id()) {
    case QMetaType::Double:
        return DisplayNumber(value.toDouble());
    case QMetaType::Float:
        return DisplayFloat(value.toFloat());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return DisplayNumber(value.toDouble());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDateTime:
        return DisplayDateTime(value.toDateTime());
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy/MM/dd"));
    case QMetaType::QByteArray:
        return QString::fromLatin1(value.toByteArray().toHex().toUpper());
    default:  // texts and everything else
        return value.toString();
    }
}

QString NullToBlank(const QVariant& value)
{
    return IsNull(value) ? QString() : VariantText(value);
}

QString NullToMark(const QVariant& value)
{
    return IsNull(value) ? QStringLiteral("[NULL]") : VariantText(value);
}

QString WithCondition(const QString& sql, const QString& condition)
{
    const QString trimmed = condition.trimmed();
    if (trimmed.isEmpty())
        return sql;
    const QString flat = FlattenSql(trimmed);
    if (flat.left(8).toLower() == QLatin1String("order by"))
        return sql + QLatin1Char(' ') + flat;
    return sql + QStringLiteral(" WHERE ") + flat;
}

}  // namespace basKovaData
