#include "engine/oracle/DateFunctions.h"

#include "engine/oracle/OracleDateFormat.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

const char* const InvalidNumber = "ORA-01722: invalid number";
const char* const DateForNumber = "ORA-00932: inconsistent datatypes: expected NUMBER got DATE";

// Days from 0001-01-01 to the date (proleptic Gregorian, as Oracle's
// arithmetic counts after 1582).
long long DayNumber(int year, int month, int day)
{
    const long long y = month <= 2 ? year - 1 : year;
    const long long era = y / 400;
    const long long yoe = y - era * 400;
    const long long m = month;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

DateParts FromDayNumber(long long days)
{
    const long long era = days / 146097;
    const long long doe = days - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    DateParts d;
    d.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    d.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    d.year = static_cast<int>(yoe + era * 400 + (d.month <= 2 ? 1 : 0));
    return d;
}

long long Seconds(const DateParts& d)
{
    return DayNumber(d.year, d.month, d.day) * 86400 + d.hour * 3600 + d.minute * 60 + d.second;
}

enum class Type { Null, Date, Integer, Real, Invalid };

Type TypeOf(sqlite3_value* value, DateParts* date)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return Type::Null;
    case SQLITE_INTEGER:
        return Type::Integer;
    case SQLITE_FLOAT:
        return Type::Real;
    case SQLITE_TEXT: {
        const int bytes = sqlite3_value_bytes(value);
        if (bytes == 0)
            return Type::Null;  // Oracle's empty text is NULL
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        if (bytes == StoredDateLength && ParseStoredDate(std::string_view(text, StoredDateLength), date))
            return Type::Date;
        const int numeric = sqlite3_value_numeric_type(value);
        return numeric == SQLITE_INTEGER ? Type::Integer : numeric == SQLITE_FLOAT ? Type::Real : Type::Invalid;
    }
    default:
        return Type::Invalid;
    }
}

void ResultDate(sqlite3_context* context, long long seconds)
{
    const long long days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    const long long rest = seconds - days * 86400;
    DateParts d = FromDayNumber(days);
    d.hour = static_cast<int>(rest / 3600);
    d.minute = static_cast<int>(rest / 60 % 60);
    d.second = static_cast<int>(rest % 60);
    if (seconds < 0 || d.year > 9999) {
        sqlite3_result_error(context, "ORA-01841: (full) year must be between -4713 and +9999, and not be 0", -1);
        return;
    }
    char text[StoredDateLength];
    WriteStoredDate(d, text);
    sqlite3_result_text(context, text, StoredDateLength, SQLITE_TRANSIENT);
}

// A date moved by a number of days; Oracle keeps a DATE to the second.
void DatePlusDays(sqlite3_context* context, const DateParts& date, sqlite3_value* days, bool minus)
{
    const double seconds = std::round(sqlite3_value_double(days) * 86400.0);
    if (!std::isfinite(seconds) || std::fabs(seconds) > 1e12) {
        ResultDate(context, -1);
        return;
    }
    const auto shift = static_cast<long long>(seconds);
    ResultDate(context, Seconds(date) + (minus ? -shift : shift));
}

void ResultNumber(sqlite3_context* context, double value)
{
    if (std::fabs(value) < 9e15 && value == std::floor(value))
        sqlite3_result_int64(context, static_cast<sqlite3_int64>(value));
    else
        sqlite3_result_double(context, value);
}

// KOVA_ADD(a, b) and KOVA_SUB(a, b): a + b and a - b, NUMBER or DATE.
void AddOrSubtract(sqlite3_context* context, sqlite3_value** argv, bool minus)
{
    DateParts left;
    DateParts right;
    const Type a = TypeOf(argv[0], &left);
    const Type b = TypeOf(argv[1], &right);
    if (a == Type::Null || b == Type::Null) {
        sqlite3_result_null(context);
    } else if (a == Type::Invalid || b == Type::Invalid) {
        sqlite3_result_error(context, InvalidNumber, -1);
    } else if (a == Type::Date && b == Type::Date) {
        if (minus)
            ResultNumber(context, static_cast<double>(Seconds(left) - Seconds(right)) / 86400.0);
        else
            sqlite3_result_error(context, "ORA-00975: date + date not allowed", -1);
    } else if (a == Type::Date) {
        DatePlusDays(context, left, argv[1], minus);
    } else if (b == Type::Date) {
        if (minus)
            sqlite3_result_error(context, DateForNumber, -1);
        else
            DatePlusDays(context, right, argv[0], false);
    } else if (a == Type::Integer && b == Type::Integer) {
        sqlite3_int64 result = 0;
        const sqlite3_int64 x = sqlite3_value_int64(argv[0]);
        const sqlite3_int64 y = sqlite3_value_int64(argv[1]);
        if (minus ? __builtin_sub_overflow(x, y, &result) : __builtin_add_overflow(x, y, &result))
            sqlite3_result_double(context, minus ? double(x) - double(y) : double(x) + double(y));
        else
            sqlite3_result_int64(context, result);
    } else {
        const double x = sqlite3_value_double(argv[0]);
        const double y = sqlite3_value_double(argv[1]);
        sqlite3_result_double(context, minus ? x - y : x + y);
    }
}

void Add(sqlite3_context* context, int, sqlite3_value** argv)
{
    AddOrSubtract(context, argv, false);
}

void Subtract(sqlite3_context* context, int, sqlite3_value** argv)
{
    AddOrSubtract(context, argv, true);
}

// KOVA_DIV(a, b): a / b as Oracle divides, never as whole numbers do.
void Divide(sqlite3_context* context, int, sqlite3_value** argv)
{
    DateParts unused;
    const Type a = TypeOf(argv[0], &unused);
    const Type b = TypeOf(argv[1], &unused);
    if (a == Type::Null || b == Type::Null) {
        sqlite3_result_null(context);
    } else if (a == Type::Date || b == Type::Date) {
        sqlite3_result_error(context, DateForNumber, -1);
    } else if (a == Type::Invalid || b == Type::Invalid) {
        sqlite3_result_error(context, InvalidNumber, -1);
    } else if (sqlite3_value_double(argv[1]) == 0) {
        sqlite3_result_error(context, "ORA-01476: divisor is equal to zero", -1);
    } else if (a == Type::Integer && b == Type::Integer && sqlite3_value_int64(argv[1]) != -1
               && sqlite3_value_int64(argv[0]) % sqlite3_value_int64(argv[1]) == 0) {
        sqlite3_result_int64(context, sqlite3_value_int64(argv[0]) / sqlite3_value_int64(argv[1]));
    } else {
        sqlite3_result_double(context, sqlite3_value_double(argv[0]) / sqlite3_value_double(argv[1]));
    }
}

// KOVA_MUL(a, b): a * b of two numbers.
void Multiply(sqlite3_context* context, int, sqlite3_value** argv)
{
    DateParts unused;
    const Type a = TypeOf(argv[0], &unused);
    const Type b = TypeOf(argv[1], &unused);
    sqlite3_int64 product = 0;
    if (a == Type::Null || b == Type::Null)
        sqlite3_result_null(context);
    else if (a == Type::Date || b == Type::Date)
        sqlite3_result_error(context, DateForNumber, -1);
    else if (a == Type::Invalid || b == Type::Invalid)
        sqlite3_result_error(context, InvalidNumber, -1);
    else if (a == Type::Integer && b == Type::Integer
             && !__builtin_mul_overflow(sqlite3_value_int64(argv[0]), sqlite3_value_int64(argv[1]), &product))
        sqlite3_result_int64(context, product);
    else
        sqlite3_result_double(context, sqlite3_value_double(argv[0]) * sqlite3_value_double(argv[1]));
}

// KOVA_NUMBER(a): a itself when it is a number (what SUM and AVG add up).
void Number(sqlite3_context* context, int, sqlite3_value** argv)
{
    DateParts unused;
    switch (TypeOf(argv[0], &unused)) {
    case Type::Null:
        sqlite3_result_null(context);
        break;
    case Type::Date:
        sqlite3_result_error(context, DateForNumber, -1);
        break;
    case Type::Invalid:
        sqlite3_result_error(context, InvalidNumber, -1);
        break;
    default:
        sqlite3_result_value(context, argv[0]);
    }
}

bool DateArgument(sqlite3_context* context, sqlite3_value* value, DateParts* date)
{
    const Type type = TypeOf(value, date);
    if (type == Type::Null) {
        sqlite3_result_null(context);
        return false;
    }
    if (type != Type::Date) {
        sqlite3_result_error(context, "ORA-00932: inconsistent datatypes: expected DATE got NUMBER", -1);
        return false;
    }
    return true;
}

// ADD_MONTHS(d, n): the same day n months on; the last day of a month, or a
// day the new month lacks, gives the new month's last day.
void AddMonths(sqlite3_context* context, int, sqlite3_value** argv)
{
    DateParts d;
    if (!DateArgument(context, argv[0], &d))
        return;
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const long long months = static_cast<long long>(std::trunc(sqlite3_value_double(argv[1])));
    const bool lastDay = d.day == DaysInMonth(d.year, d.month);
    const long long index = static_cast<long long>(d.year) * 12 + (d.month - 1) + months;
    if (index < 12 || index >= 10000 * 12) {
        ResultDate(context, -1);
        return;
    }
    d.year = static_cast<int>(index / 12);
    d.month = static_cast<int>(index % 12) + 1;
    const int days = DaysInMonth(d.year, d.month);
    if (lastDay || d.day > days)
        d.day = days;
    ResultDate(context, Seconds(d));
}

void LastDay(sqlite3_context* context, int, sqlite3_value** argv)
{
    DateParts d;
    if (!DateArgument(context, argv[0], &d))
        return;
    d.day = DaysInMonth(d.year, d.month);
    ResultDate(context, Seconds(d));
}

// A number rounded as SQLite's own round(x[, decimals]) rounds it, whole
// when it is whole, as Oracle shows it.
void RoundNumber(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    const long long decimals = argc > 1 ? std::clamp<long long>(sqlite3_value_int64(argv[1]), 0, 30) : 0;
    double r = sqlite3_value_double(argv[0]);
    if (r < -4503599627370496.0 || r > 4503599627370496.0) {
        // whole already
    } else if (decimals == 0) {
        r = static_cast<double>(static_cast<sqlite3_int64>(r + (r < 0 ? -0.5 : 0.5)));
    } else {
        char* text = sqlite3_mprintf("%!.*f", static_cast<int>(decimals), r);
        if (text == nullptr) {
            sqlite3_result_error_nomem(context);
            return;
        }
        const std::string_view digits(text);
        std::from_chars(digits.data(), digits.data() + digits.size(), r);
        sqlite3_free(text);
    }
    ResultNumber(context, r);
}

// TRUNC(date[, model]) to the day (DD, the default), month (MM, MON, MONTH),
// year (YYYY, YEAR, YY, RR...), hour (HH, HH24) or minute (MI);
// TRUNC(number[, decimals]). ROUND(date[, model]) takes the nearer of the
// truncated date and the next one: from noon, the 16th, July, :30.
void TruncOrRound(sqlite3_context* context, int argc, sqlite3_value** argv, bool round)
{
    DateParts d;
    const Type type = TypeOf(argv[0], &d);
    if (type == Type::Null || (argc > 1 && sqlite3_value_type(argv[1]) == SQLITE_NULL)) {
        sqlite3_result_null(context);
        return;
    }
    if (type == Type::Invalid) {
        sqlite3_result_error(context, InvalidNumber, -1);
        return;
    }
    if (type != Type::Date && round) {
        RoundNumber(context, argc, argv);
        return;
    }
    if (type != Type::Date) {
        const int decimals = argc > 1 ? sqlite3_value_int(argv[1]) : 0;
        if (type == Type::Integer && decimals >= 0) {
            sqlite3_result_int64(context, sqlite3_value_int64(argv[0]));
            return;
        }
        const double scale = std::pow(10.0, decimals);
        ResultNumber(context, std::trunc(sqlite3_value_double(argv[0]) * scale) / scale);
        return;
    }
    std::string model = "DD";
    if (argc > 1) {
        model.clear();
        for (const char c : std::string_view(reinterpret_cast<const char*>(sqlite3_value_text(argv[1])),
                                             static_cast<size_t>(sqlite3_value_bytes(argv[1]))))
            model.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    long long up = 0;  // seconds to the next unit, when rounding goes up
    if (model == "MI") {
        up = round && d.second >= 30 ? 60 : 0;
        d.second = 0;
    } else if (model == "HH" || model == "HH24" || model == "HH12") {
        up = round && d.minute >= 30 ? 3600 : 0;
        d.second = d.minute = 0;
    } else if (model == "DD" || model == "DDD" || model == "J") {
        up = round && d.hour >= 12 ? 86400 : 0;
        d.second = d.minute = d.hour = 0;
    } else if (model == "MM" || model == "MON" || model == "MONTH" || model == "RM") {
        up = round && d.day >= 16 ? 86400LL * DaysInMonth(d.year, d.month) : 0;
        d.second = d.minute = d.hour = 0;
        d.day = 1;
    } else if (model == "YYYY" || model == "YEAR" || model == "YYY" || model == "YY" || model == "Y"
               || model == "SYYYY" || model == "RR" || model == "RRRR") {
        up = round && d.month >= 7 ? 86400 * (DayNumber(d.year + 1, 1, 1) - DayNumber(d.year, 1, 1)) : 0;
        d.second = d.minute = d.hour = 0;
        d.day = d.month = 1;
    } else {
        sqlite3_result_error(context, "ORA-01899: bad precision specifier", -1);
        return;
    }
    ResultDate(context, Seconds(d) + up);
}

void Trunc(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    TruncOrRound(context, argc, argv, false);
}

void Round(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    TruncOrRound(context, argc, argv, true);
}

struct Spec {
    const char* name;
    int arguments;
    void (*function)(sqlite3_context*, int, sqlite3_value**);
};

}  // namespace

bool RegisterDateFunctions(sqlite3* db)
{
    static constexpr Spec Functions[] = {
        {"KOVA_ADD", 2, Add},         {"KOVA_SUB", 2, Subtract}, {"KOVA_DIV", 2, Divide},
        {"ADD_MONTHS", 2, AddMonths}, {"LAST_DAY", 1, LastDay},  {"TRUNC", 1, Trunc},
        {"TRUNC", 2, Trunc},          {"ROUND", 1, Round},       {"ROUND", 2, Round},
        {"KOVA_MUL", 2, Multiply},    {"KOVA_NUMBER", 1, Number},
    };
    for (const Spec& spec : Functions) {
        if (sqlite3_create_function_v2(db, spec.name, spec.arguments, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                       spec.function, nullptr, nullptr, nullptr)
            != SQLITE_OK)
            return false;
    }
    return true;
}
