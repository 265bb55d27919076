#include "engine/oracle/OracleIntervals.h"

#include <sqlite3.h>

#include <charconv>
#include <cstdio>
#include <vector>

namespace OracleIntervals {
namespace {

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// The sign of `text`, taken off it.
char Sign(std::string_view* text)
{
    if (!text->empty() && (text->front() == '+' || text->front() == '-')) {
        const char sign = text->front();
        text->remove_prefix(1);
        return sign;
    }
    return '+';
}

// The digits of [from, to) of `text` as a number: at most nine digits.
std::optional<long> Number(std::string_view text)
{
    long value = 0;
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string Padded(long value, int digits)
{
    std::string text = std::to_string(value);
    if (text.size() < static_cast<std::size_t>(digits))
        text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    return text;
}

void Convert(sqlite3_context* context, sqlite3_value** argv, std::optional<std::string> (*convert)(std::string_view))
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_bytes(argv[0]) == 0) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const auto value = convert(std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(argv[0]))));
    if (!value) {
        sqlite3_result_error(context, "ORA-01867: the interval is invalid", -1);
        return;
    }
    sqlite3_result_text(context, value->c_str(), static_cast<int>(value->size()), SQLITE_TRANSIENT);
}

}  // namespace

std::optional<std::string> YearToMonth(std::string_view text)
{
    text = Trimmed(text);
    const char sign = Sign(&text);
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos)
        return std::nullopt;
    const auto years = Number(text.substr(0, dash));
    const auto months = Number(text.substr(dash + 1));
    if (!years || !months || *months > 11)
        return std::nullopt;
    return std::string(1, sign) + Padded(*years, 2) + "-" + Padded(*months, 2);
}

std::optional<std::string> DayToSecond(std::string_view text)
{
    text = Trimmed(text);
    const char sign = Sign(&text);
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos)
        return std::nullopt;
    const auto days = Number(text.substr(0, blank));
    std::string_view time = Trimmed(text.substr(blank + 1));
    std::string fraction;
    if (const std::size_t point = time.find('.'); point != std::string_view::npos) {
        fraction = std::string(time.substr(point + 1));
        time = time.substr(0, point);
        if (fraction.empty() || fraction.size() > 9 || !Number(fraction))
            return std::nullopt;
    }
    fraction.resize(6, '0');
    std::vector<long> parts;
    for (std::size_t from = 0;;) {
        const std::size_t colon = time.find(':', from);
        const auto part = Number(time.substr(from, colon == std::string_view::npos ? std::string_view::npos : colon - from));
        if (!part)
            return std::nullopt;
        parts.push_back(*part);
        if (colon == std::string_view::npos)
            break;
        from = colon + 1;
    }
    if (!days || parts.size() != 3 || parts[0] > 23 || parts[1] > 59 || parts[2] > 59)
        return std::nullopt;
    return std::string(1, sign) + Padded(*days, 2) + " " + Padded(parts[0], 2) + ":" + Padded(parts[1], 2) + ":"
           + Padded(parts[2], 2) + "." + fraction;
}

bool Register(sqlite3* db)
{
    const auto ym = [](sqlite3_context* context, int, sqlite3_value** argv) { Convert(context, argv, YearToMonth); };
    const auto ds = [](sqlite3_context* context, int, sqlite3_value** argv) { Convert(context, argv, DayToSecond); };
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    return sqlite3_create_function(db, "TO_YMINTERVAL", 1, flags, nullptr, ym, nullptr, nullptr) == SQLITE_OK
           && sqlite3_create_function(db, "TO_DSINTERVAL", 1, flags, nullptr, ds, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace OracleIntervals
