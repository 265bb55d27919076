#include "engine/oracle/OracleTypes.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

std::string Normalise(std::string_view text)
{
    // Upper-case and fold runs of blanks into one.
    std::string result;
    bool blank = false;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isspace(c)) {
            blank = !result.empty();
            continue;
        }
        if (blank && c != '(' && c != ')' && c != ',' && result.back() != '(' && result.back() != ',')
            result.push_back(' ');
        blank = false;
        result.push_back(static_cast<char>(std::toupper(c)));
    }
    return result;
}

std::optional<int> ToInt(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace

OracleColumnType ParseDeclaredType(std::string_view declared)
{
    const std::string text = Normalise(declared);
    std::string name = text;
    std::string suffix;  // what follows the arguments: " WITH TIME ZONE"
    std::vector<std::optional<int>> args;
    char unit = 0;  // 'B' or 'C' when the length names its unit
    const size_t open = text.find('(');
    if (open != std::string::npos) {
        name = text.substr(0, open);
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        const size_t close = text.find(')', open);
        if (close != std::string::npos)
            suffix = text.substr(close + 1);
        const std::string inner =
            text.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
        size_t start = 0;
        for (;;) {
            const size_t comma = inner.find(',', start);
            std::string item = inner.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            for (const auto& [word, code] : {std::pair{" BYTE", 'B'}, std::pair{" CHAR", 'C'}}) {
                if (item.size() > 5 && item.compare(item.size() - 5, 5, word) == 0) {
                    item.resize(item.size() - 5);
                    unit = code;
                }
            }
            args.push_back(ToInt(item));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
    } else if (name.rfind("TIMESTAMP ", 0) == 0) {
        suffix = name.substr(9);
        name = "TIMESTAMP";
    }
    auto arg = [&](size_t i) -> std::optional<int> {
        return i < args.size() ? args[i] : std::nullopt;
    };

    OracleColumnType type;
    auto character = [&](const char* dataType, int defaultLength, bool padded, bool national) {
        type.dataType = dataType;
        type.family = OracleColumnType::Family::Character;
        type.charLength = arg(0).value_or(defaultLength);
        type.dataLength = *type.charLength;
        type.blankPadded = padded;
        type.charSemantics = national || unit == 'C';
        type.charUsed = type.charSemantics ? 'C' : 'B';
        // Two bytes per character at most, in code page 932 and in UTF-16.
        if (type.charSemantics)
            type.dataLength = 2 * *type.charLength;
    };
    auto number = [&](std::optional<int> precision, std::optional<int> scale) {
        type.dataType = "NUMBER";
        type.family = OracleColumnType::Family::Numeric;
        type.precision = precision;
        type.scale = scale;
        type.dataLength = 22;
    };
    auto floating = [&](int precision) {
        type.dataType = "FLOAT";
        type.family = OracleColumnType::Family::Numeric;
        type.precision = precision;
        type.dataLength = 22;
    };

    // INTERVAL YEAR[(p)] TO MONTH, INTERVAL DAY[(p)] TO SECOND[(s)]: held as text.
    if (text.rfind("INTERVAL ", 0) == 0) {
        const bool days = text.rfind("INTERVAL DAY", 0) == 0;
        const auto digits = [&](std::size_t after, int fallback) {
            const std::size_t left = text.find('(', after);
            const std::size_t word = text.find(' ', after + 1);
            if (left == std::string::npos || (word != std::string::npos && left > word))
                return fallback;
            return ToInt(text.substr(left + 1, text.find(')', left) - left - 1)).value_or(fallback);
        };
        type.precision = digits(9, 2);
        type.scale = days ? digits(text.find(" TO ") + 3, 6) : 0;
        type.dataType = days ? "INTERVAL DAY(" + std::to_string(*type.precision) + ") TO SECOND("
                                   + std::to_string(*type.scale) + ")"
                             : "INTERVAL YEAR(" + std::to_string(*type.precision) + ") TO MONTH";
        type.dataLength = days ? 11 : 5;
        return type;
    }
    if (name == "NUMBER" || name == "NUMERIC" || name == "DECIMAL" || name == "DEC") {
        if (args.empty())
            number(std::nullopt, std::nullopt);
        else  // NUMBER(*,s): the precision is left open
            number(arg(0), arg(1).value_or(0));
    } else if (name == "INTEGER" || name == "INT" || name == "SMALLINT" || name == "BIGINT"
               || name == "TINYINT" || name == "MEDIUMINT" || name == "INT2" || name == "INT8"
               || name == "UNSIGNED BIG INT") {
        number(std::nullopt, 0);
    } else if (name == "BOOLEAN") {
        number(1, 0);
    } else if (name == "FLOAT") {
        floating(arg(0).value_or(126));
    } else if (name == "REAL") {
        floating(63);
    } else if (name == "DOUBLE" || name == "DOUBLE PRECISION") {
        floating(126);
    } else if (name == "VARCHAR2" || name == "VARCHAR" || name == "CHARACTER VARYING") {
        character("VARCHAR2", 4000, false, false);
    } else if (name == "NVARCHAR2" || name == "NVARCHAR") {
        character("NVARCHAR2", 2000, false, true);
    } else if (name == "CHAR" || name == "CHARACTER") {
        character("CHAR", 1, true, false);
    } else if (name == "NCHAR") {
        character("NCHAR", 1, true, true);
    } else if (name.empty() || name == "TEXT") {
        character("VARCHAR2", 4000, false, false);
    } else if (name == "BINARY_FLOAT" || name == "BINARY_DOUBLE") {
        type.dataType = name;
        type.family = OracleColumnType::Family::Numeric;
        type.dataLength = name == "BINARY_FLOAT" ? 4 : 8;
    } else if (name == "TIMESTAMP" && (open != std::string::npos || !suffix.empty())) {
        const int digits = arg(0).value_or(6);
        type.dataType = "TIMESTAMP(" + std::to_string(digits) + ")" + suffix;
        type.family = OracleColumnType::Family::Date;
        type.scale = digits;
        type.dataLength = suffix == " WITH TIME ZONE" ? 13 : 11;
    } else if (name == "DATE" || name == "DATETIME" || name == "TIMESTAMP") {
        type.dataType = "DATE";
        type.family = OracleColumnType::Family::Date;
        type.dataLength = 7;
    } else if (name == "RAW") {
        type.dataType = "RAW";
        type.dataLength = arg(0).value_or(2000);
    } else if (name == "LONG RAW" || name == "LONG") {
        type.dataType = name;
    } else if (name == "BLOB" || name == "CLOB" || name == "NCLOB" || name == "BFILE") {
        type.dataType = name;
        type.dataLength = 4000;
    } else {
        type.dataType = name;
    }
    return type;
}

namespace {

// A decimal number as its significant digits (no leading or trailing zeros;
// empty for zero) times ten to `power`.
struct Decimal {
    std::string digits;
    long long power = 0;
};

std::optional<Decimal> ReadDecimal(std::string_view text)
{
    Decimal d;
    std::size_t at = 0;
    long long fraction = 0;
    bool any = false;
    for (bool point = false; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            any = true;
            if (!d.digits.empty() || c != '0')
                d.digits.push_back(c);
            fraction += point;
        } else {
            break;
        }
    }
    if (!any)
        return std::nullopt;
    long long exponent = 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        const bool minus = at < text.size() && text[at] == '-';
        at += at < text.size() && (text[at] == '-' || text[at] == '+');
        const std::size_t first = at;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
            exponent = std::min(exponent * 10 + (text[at] - '0'), 100000LL);
        if (at == first)
            return std::nullopt;
        exponent = minus ? -exponent : exponent;
    }
    if (at != text.size())
        return std::nullopt;
    d.power = exponent - fraction;
    while (!d.digits.empty() && d.digits.back() == '0') {
        d.digits.pop_back();
        ++d.power;
    }
    return d;
}

// The value of a double to `precision` significant digits, as ReadDecimal
// reads it (printf gives the exact decimal expansion, correctly rounded).
Decimal DoubleDigits(double value, int precision)
{
    std::vector<char> text(std::size_t(precision) + 32);
    std::snprintf(text.data(), text.size(), "%.*e", precision - 1, std::fabs(value));
    return ReadDecimal(text.data()).value_or(Decimal{});
}

}  // namespace

HeldNumber HoldNumber(std::string_view digits, bool negative, bool whole)
{
    HeldNumber held;
    const std::optional<Decimal> d = ReadDecimal(digits);
    if (!d)
        return held;
    const std::size_t count = d->digits.size();
    const auto asInteger = [&] {
        if (count == 0) {
            held.form = HeldNumber::Form::Integer;
            return true;
        }
        if (d->power < 0 || count + std::size_t(d->power) > 19)
            return false;
        std::uint64_t magnitude = 0;
        std::from_chars(d->digits.data(), d->digits.data() + count, magnitude);
        for (long long i = 0; i < d->power; ++i)
            magnitude *= 10;
        const std::uint64_t limit = std::uint64_t(INT64_MAX) + (negative ? 1 : 0);
        if (magnitude > limit)
            return false;
        held.form = HeldNumber::Form::Integer;
        held.integer = negative ? std::int64_t(0 - magnitude) : std::int64_t(magnitude);
        return true;
    };
    const auto asReal = [&] {
        double value = 0.0;
        const char* const end = digits.data() + digits.size();
        if (const auto read = std::from_chars(digits.data(), end, value); read.ec != std::errc() || read.ptr != end) {
            const std::string text(digits);
            value = std::strtod(text.c_str(), nullptr);
        }
        if (!std::isfinite(value) || (count > 0 && value == 0))
            return false;
        // Up to 15 significant digits a normal double gives back the digits
        // it was read from; with more (or below the normal range) it must be
        // seen to hold the number exactly.
        if (count > 15 || std::abs(value) < std::numeric_limits<double>::min()) {
            const int precision = count <= 15 ? int(count) : 800;
            const Decimal back = DoubleDigits(value, precision);
            if (back.digits != d->digits || back.power != d->power)
                return false;
        }
        held.form = HeldNumber::Form::Real;
        held.real = negative ? -value : value;
        return true;
    };
    if (whole ? !asInteger() && !asReal() : !asReal() && !asInteger())
        held.form = HeldNumber::Form::None;
    return held;
}

std::string NotHeldMessage(std::string_view digits, bool negative)
{
    return "ORA-01426: numeric overflow: " + std::string(negative ? "-" : "") + std::string(digits)
           + " cannot be stored without rounding; the embedded engine keeps at most 15 significant digits of a "
             "number with a fraction and 19 digits of a whole number (-9223372036854775808 to "
             "9223372036854775807)";
}
