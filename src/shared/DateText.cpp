#include "shared/DateText.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace basKovaData {

namespace {

constexpr qsizetype ShortLength = 8;   // YYYYMMDD
constexpr qsizetype LongLength = 15;   // YYYYMMDD HHNNSS
constexpr qsizetype SeparatorIndex = 8;

// The number written by `count` ASCII digits from `start`, or -1.
int DigitsValue(const QString& text, qsizetype start, qsizetype count)
{
    int value = 0;
    for (qsizetype i = start; i < start + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// The date and time of a trimmed date text, if it is one.
std::optional<QDateTime> ParseDateText(const QString& trimmed)
{
    const qsizetype length = trimmed.size();
    if (length != ShortLength && length != LongLength)
        return std::nullopt;
    const int year = DigitsValue(trimmed, 0, 4);
    const int month = DigitsValue(trimmed, 4, 2);
    const int day = DigitsValue(trimmed, 6, 2);
    if (year < 1 || month < 0 || day < 0 || !QDate::isValid(year, month, day))
        return std::nullopt;
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (length == LongLength) {
        // Character 9 separates date and time and may be anything.
        hour = DigitsValue(trimmed, SeparatorIndex + 1, 2);
        minute = DigitsValue(trimmed, SeparatorIndex + 3, 2);
        second = DigitsValue(trimmed, SeparatorIndex + 5, 2);
        if (hour < 0 || minute < 0 || second < 0 || !QTime::isValid(hour, minute, second))
            return std::nullopt;
    }
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}


}  // namespace

bool IsDateText(const QString& text)
{
    return ParseDateText(text.trimmed()).has_value();
}

QString PadDateText(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.size() == ShortLength)
        return trimmed + QStringLiteral(" 000000");
    return trimmed;
}

QDateTime DateFromText(const QString& text)
{
    return ParseDateText(text.trimmed()).value_or(ZeroDate());
}

QString DateText15(const QDateTime& value)
{
    if (!value.isValid())
        return DateText15(ZeroDate());
    return DateText15(value.date(), value.time());
}

QString DateText15(const QDate& date, const QTime& time)
{
    return DateText15(date, time, {}, {});
}

QString DateText15(const QDate& date, const QTime& time, QStringView before, QStringView after)
{
    if (!date.isValid() || !time.isValid()) {
        const QDateTime zero = ZeroDate();
        return DateText15(zero.date(), zero.time(), before, after);
    }
    int year = 0;
    int month = 0;
    int day = 0;
    date.getDate(&year, &month, &day);
    // Called for every generated date: the digits are written directly.
    if (year >= 0 && year <= 9999) {
        QString text(before.size() + 15 + after.size(), u' ');
        QChar* at = std::copy(before.begin(), before.end(), text.data());
        const auto put = [&at](int number, int digits) {
            for (int i = digits - 1; i >= 0; --i, number /= 10)
                at[i] = QChar(u'0' + number % 10);
            at += digits;
        };
        put(year, 4);
        put(month, 2);
        put(day, 2);
        ++at;
        put(time.hour(), 2);
        put(time.minute(), 2);
        put(time.second(), 2);
        std::copy(after.begin(), after.end(), at);
        return text;
    }
    char text[48];
    const int length = std::snprintf(text, sizeof text, "%04d%02d%02d %02d%02d%02d", year, month, day, time.hour(),
                                     time.minute(), time.second());
    QString out = before.toString();
    out += QLatin1String(text, length);
    out += after;
    return out;
}

QDateTime ZeroDate()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0, 0), Qt::UTC);
}

}  // namespace basKovaData
