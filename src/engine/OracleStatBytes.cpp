#include "engine/OracleStatBytes.h"

#include "shared/Cp932.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace oraclebytes {

namespace {

// At most 20 base-100 digits follow the exponent byte.
constexpr int MaxDigits = 20;

int HexDigit(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    return -1;
}

}  // namespace

std::optional<QByteArray> FromHex(QStringView hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(hex.size() / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.append(char(high * 16 + low));
    }
    return bytes;
}

std::optional<double> Number(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return std::nullopt;
    const auto byte = [&bytes](qsizetype i) { return int(static_cast<unsigned char>(bytes[i])); };
    const int head = byte(0);
    if (head == 0x80)
        return bytes.size() == 1 ? std::optional(0.0) : std::nullopt;
    const bool positive = (head & 0x80) != 0;
    qsizetype end = bytes.size();
    if (!positive && end > 1 && byte(end - 1) == 0x66)
        --end;  // the end mark of a negative number
    const qsizetype digits = end - 1;
    if (digits < 1 || digits > MaxDigits)
        return std::nullopt;
    const int exponent = positive ? head - 0xC1 : 0x3E - head;
    double value = 0;
    for (qsizetype i = 1; i < end; ++i) {
        const int digit = positive ? byte(i) - 1 : 101 - byte(i);
        if (digit < 0 || digit > 99)
            return std::nullopt;
        value += digit * std::pow(100.0, double(exponent - (i - 1)));
    }
    // The first digit is never 0: a form that starts with one is no number.
    if ((positive ? byte(1) - 1 : 101 - byte(1)) == 0 || !std::isfinite(value))
        return std::nullopt;
    return positive ? value : -value;
}

std::optional<QDateTime> Date(const QByteArray& bytes)
{
    if (bytes.size() != 7 && bytes.size() != 11)
        return std::nullopt;
    const auto byte = [&bytes](qsizetype i) { return int(static_cast<unsigned char>(bytes[i])); };
    const int century = byte(0) - 100;
    const int year = byte(1) - 100;
    if (century < 0 || year < 0 || year > 99)
        return std::nullopt;
    const QDate date(century * 100 + year, byte(2), byte(3));
    int nanoseconds = 0;
    if (bytes.size() == 11)
        nanoseconds = int((unsigned(byte(7)) << 24) | (unsigned(byte(8)) << 16) | (unsigned(byte(9)) << 8)
                          | unsigned(byte(10)));
    if (nanoseconds < 0 || nanoseconds > 999999999)
        return std::nullopt;
    const QTime time(byte(4) - 1, byte(5) - 1, byte(6) - 1, nanoseconds / 1000000);
    if (century * 100 + year < 1 || !date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

QString Text(const QByteArray& bytes, bool utf8)
{
    return utf8 ? QString::fromUtf8(bytes) : basKovaData::FromCp932(bytes);
}

QString ToHex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QByteArray NumberBytes(double value)
{
    if (!std::isfinite(value))
        return {};
    if (value == 0)
        return QByteArray(1, char(0x80));
    // d.ddddde[+-]x: the shortest digits that read back as `value`.
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific);
    if (written.ec != std::errc())
        return {};
    const std::string scientific(text, written.ptr);
    const std::size_t e = scientific.find('e');
    std::string digits = scientific.substr(0, e);
    digits.erase(std::remove(digits.begin(), digits.end(), '.'), digits.end());
    const int first = std::atoi(scientific.c_str() + e + 1);  // power of ten of the first digit
    // The base-100 exponent, and the decimal places of its two digits.
    const int exponent = first >= 0 ? first / 2 : -((-first + 1) / 2);
    if (exponent < -65 || exponent > 62)
        return {};
    const bool positive = value > 0;
    QByteArray bytes(1, char(positive ? 0xC1 + exponent : 0x3E - exponent));
    const auto digitAt = [&](int place) {
        const int index = first - place;
        return index >= 0 && index < int(digits.size()) ? digits[std::size_t(index)] - '0' : 0;
    };
    const int last = first - int(digits.size()) + 1;
    for (int place = 2 * exponent + 1; place >= last - 1; place -= 2) {
        const int pair = digitAt(place) * 10 + digitAt(place - 1);
        bytes.append(char(positive ? pair + 1 : 101 - pair));
    }
    while (bytes.size() > 2 && static_cast<unsigned char>(bytes.back()) == (positive ? 1 : 101))
        bytes.chop(1);
    if (!positive && bytes.size() - 1 < MaxDigits)
        bytes.append(char(0x66));
    return bytes;
}

QByteArray DateBytes(const QDateTime& value)
{
    if (!value.isValid())
        return {};
    const QDateTime utc = value.toUTC();
    const QDate date = utc.date();
    const QTime time = utc.time();
    if (date.year() < 1 || date.year() > 9999)
        return {};
    QByteArray bytes;
    for (int part : {date.year() / 100 + 100, date.year() % 100 + 100, date.month(), date.day(), time.hour() + 1,
                     time.minute() + 1, time.second() + 1})
        bytes.append(char(part));
    if (const unsigned nanoseconds = unsigned(time.msec()) * 1000000u; nanoseconds != 0)
        for (int shift : {24, 16, 8, 0})
            bytes.append(char((nanoseconds >> shift) & 0xFF));
    return bytes;
}

QByteArray TextBytes(const QString& value)
{
    return value.toUtf8();
}

}  // namespace oraclebytes
