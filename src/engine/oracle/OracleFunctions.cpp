#include "engine/oracle/OracleFunctions.h"

#include "engine/oracle/CatalogFunctions.h"
#include "engine/oracle/DateFunctions.h"
#include "engine/oracle/OracleDateFormat.h"
#include "engine/oracle/OracleDdl.h"
#include "engine/oracle/OracleTypes.h"
#include "engine/SqlLexer.h"
#include "shared/NumberText.h"
#include "shared/basKovaData.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

std::string_view TextOf(sqlite3_value* value)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    if (!text)
        return {};
    return {text, static_cast<size_t>(sqlite3_value_bytes(value))};
}

bool IsNullish(sqlite3_value* value)
{
    // Oracle makes no difference between NULL and the empty string.
    const int type = sqlite3_value_type(value);
    return type == SQLITE_NULL || (type == SQLITE_TEXT && sqlite3_value_bytes(value) == 0);
}

void ResultText(sqlite3_context* context, const std::string& text)
{
    sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// The local wall-clock time, read once per call: the date and time as the
// clock shows them, no further time-zone work.
DateParts NowParts()
{
    const QDateTime now = basKovaData::Now();
    const QDate date = now.date();
    const QTime time = now.time();
    DateParts parts;
    parts.year = date.year();
    parts.month = date.month();
    parts.day = date.day();
    parts.hour = time.hour();
    parts.minute = time.minute();
    parts.second = time.second();
    return parts;
}

void ResultDate(sqlite3_context* context, const DateParts& date)
{
    if (!IsValidDate(date)) {
        ResultText(context, StoredDateText(date));
        return;
    }
    char text[StoredDateLength];
    WriteStoredDate(date, text);
    sqlite3_result_text(context, text, StoredDateLength, SQLITE_TRANSIENT);
}

bool IsNumeric(sqlite3_value* value)
{
    const int type = sqlite3_value_type(value);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

// Equality as DECODE compares: numbers numerically (a text that reads as a
// number compares as that number), everything else as text; NULL matches NULL.
bool DecodeEqual(sqlite3_value* a, sqlite3_value* b)
{
    const bool aNull = IsNullish(a);
    const bool bNull = IsNullish(b);
    if (aNull || bNull)
        return aNull && bNull;
    if (IsNumeric(a) || IsNumeric(b)) {
        const int aType = sqlite3_value_numeric_type(a);
        const int bType = sqlite3_value_numeric_type(b);
        if ((aType == SQLITE_INTEGER || aType == SQLITE_FLOAT)
            && (bType == SQLITE_INTEGER || bType == SQLITE_FLOAT))
            return sqlite3_value_double(a) == sqlite3_value_double(b);
    }
    return TextOf(a) == TextOf(b);
}

void Decode(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc < 3) {
        sqlite3_result_error(context, "ORA-00938: not enough arguments for function", -1);
        return;
    }
    int i = 1;
    for (; i + 1 < argc; i += 2) {
        if (DecodeEqual(argv[0], argv[i])) {
            sqlite3_result_value(context, argv[i + 1]);
            return;
        }
    }
    if (i < argc)
        sqlite3_result_value(context, argv[i]);
    else
        sqlite3_result_null(context);
}

void Nvl(sqlite3_context* context, int, sqlite3_value** argv)
{
    sqlite3_result_value(context, IsNullish(argv[0]) ? argv[1] : argv[0]);
}

void Nvl2(sqlite3_context* context, int, sqlite3_value** argv)
{
    sqlite3_result_value(context, IsNullish(argv[0]) ? argv[2] : argv[1]);
}

void Concat(sqlite3_context* context, int, sqlite3_value** argv)
{
    std::string text(TextOf(argv[0]));
    text += TextOf(argv[1]);
    if (text.empty())
        sqlite3_result_null(context);
    else
        ResultText(context, text);
}

// CHR(n): the character whose code in the database's character set (UTF-8)
// is n: below 128 the ASCII character, above it the bytes of n from the
// first that is not zero, as Oracle reads them.
void Chr(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto code = static_cast<std::uint32_t>(sqlite3_value_int64(argv[0]));
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto byte = static_cast<char>((code >> shift) & 0xFF);
        if (!text.empty() || byte != 0 || shift == 0)
            text.push_back(byte);
    }
    ResultText(context, text);
}

// TO_CLOB(text): the text itself; the engine keeps every length of text alike.
void ToClob(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (IsNullish(argv[0]))
        sqlite3_result_null(context);
    else
        ResultText(context, std::string(TextOf(argv[0])));
}

// The third argument of TO_DATE, TO_CHAR, TO_NUMBER and TO_TIMESTAMP:
// "NLS_DATE_LANGUAGE = AMERICAN" and the like. The engine speaks American
// English with "." for decimals only; false (the error set) for any other.
bool AcceptNlsArgument(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc < 3 || IsNullish(argv[2]))
        return true;
    std::string text;
    for (const char c : TextOf(argv[2])) {
        if (c != ' ' && c != '\t' && c != '\'' && c != '"')
            text.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    static constexpr std::string_view Accepted[] = {
        "NLS_DATE_LANGUAGE=AMERICAN", "NLS_DATE_LANGUAGE=ENGLISH", "NLS_LANGUAGE=AMERICAN",
        "NLS_LANGUAGE=ENGLISH", "NLS_NUMERIC_CHARACTERS=.,", "NLS_CURRENCY=$", "NLS_ISO_CURRENCY=AMERICA"};
    for (const std::string_view accepted : Accepted) {
        if (text == accepted)
            return true;
    }
    sqlite3_result_error(context, "ORA-12702: invalid NLS parameter string used in SQL function", -1);
    return false;
}

void ToDate(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (IsNullish(argv[0])) {
        sqlite3_result_null(context);
        return;
    }
    if (!AcceptNlsArgument(context, argc, argv))
        return;
    const std::string_view text = TextOf(argv[0]);
    DateParts date;
    const bool modelGiven = argc > 1 && !IsNullish(argv[1]);
    // Without a model: the engine's own "YYYY-MM-DD[ HH24:MI:SS]" (four
    // digits and a dash lead), else the session's NLS_DATE_FORMAT, DD-MON-RR
    // unless altered.
    std::size_t lead = 0;
    while (lead < text.size() && text[lead] == ' ')
        ++lead;
    const bool iso = text.size() > lead + 4 && text[lead + 4] == '-'
                     && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(lead),
                                    text.begin() + static_cast<std::ptrdiff_t>(lead + 4),
                                    [](char c) { return c >= '0' && c <= '9'; });
    if (!modelGiven && iso && ParseDateByFormat(text, DefaultDateFormat, &NowParts, &date).empty()) {
        ResultDate(context, date);
        return;
    }
    const std::string& session = static_cast<SessionState*>(sqlite3_user_data(context))->dateFormat;
    const std::string_view format = modelGiven        ? TextOf(argv[1])
                                    : session.empty() ? DefaultDisplayFormat
                                                      : std::string_view(session);
    // The clock is read only for a model that leaves out the year or month.
    const std::string error = ParseDateByFormat(text, format, &NowParts, &date);
    if (!error.empty()) {
        sqlite3_result_error(context, error.c_str(), -1);
        return;
    }
    ResultDate(context, date);
}

// TO_NUMBER(text[, model[, nls]]): the number a text reads as; the model's
// group separators and dollar sign may stand in the text.
void ToNumber(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (IsNullish(argv[0])) {
        sqlite3_result_null(context);
        return;
    }
    if (!AcceptNlsArgument(context, argc, argv))
        return;
    if (IsNumeric(argv[0])) {
        sqlite3_result_value(context, argv[0]);
        return;
    }
    const std::string_view model = argc > 1 && !IsNullish(argv[1]) ? TextOf(argv[1]) : std::string_view();
    const bool groups = model.find_first_of(",Gg") != std::string_view::npos;
    const bool dollar = model.find('$') != std::string_view::npos;
    std::string text;
    for (const char c : TextOf(argv[0])) {
        if (c == ' ' || (groups && c == ',') || (dollar && c == '$'))
            continue;
        text.push_back(c);
    }
    const bool negative = !text.empty() && text[0] == '-';
    const bool sign = negative || (!text.empty() && text[0] == '+');
    const std::string digits = text.substr(sign ? 1 : 0);
    const bool real = digits.find_first_of(".eE") != std::string::npos;
    const HeldNumber held = digits.empty() || digits[0] == '-' || digits[0] == '+'
                                ? HeldNumber()
                                : HoldNumber(digits, negative, !real);
    if (held.form == HeldNumber::Form::Integer)
        sqlite3_result_int64(context, held.integer);
    else if (held.form == HeldNumber::Form::Real)
        sqlite3_result_double(context, held.real);
    else
        sqlite3_result_error(context, "ORA-01722: invalid number", -1);
}

// UNISTR(text): the text with each \XXXX (four hexadecimal digits, UTF-16)
// as its character and \\ as one backslash.
void Unistr(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (IsNullish(argv[0])) {
        sqlite3_result_null(context);
        return;
    }
    const std::string_view text = TextOf(argv[0]);
    QString out;
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '\\') {
            ++i;
            continue;
        }
        out += QString::fromUtf8(text.data() + from, static_cast<qsizetype>(i - from));
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            out += QLatin1Char('\\');
            i += 2;
        } else {
            unsigned code = 0;
            const auto read = std::from_chars(text.data() + i + 1, text.data() + std::min(text.size(), i + 5), code, 16);
            if (read.ec != std::errc() || read.ptr != text.data() + i + 5) {
                sqlite3_result_error(context, "ORA-30186: '\\' must be followed by four hexadecimal characters or another '\\'", -1);
                return;
            }
            out += QChar(static_cast<char16_t>(code));
            i += 5;
        }
        from = i;
    }
    out += QString::fromUtf8(text.data() + from, static_cast<qsizetype>(text.size() - from));
    ResultText(context, out.toStdString());
}

// NCHR(n): the character of code point n (the national character set is
// Unicode).
void Nchr(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const sqlite3_int64 code = sqlite3_value_int64(argv[0]);
    if (code < 0 || code > 0x10FFFF) {
        sqlite3_result_error(context, "ORA-01722: invalid number", -1);
        return;
    }
    const char32_t point = static_cast<char32_t>(code);
    ResultText(context, QString::fromUcs4(&point, 1).toStdString());
}

void ToChar(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (IsNullish(argv[0])) {
        sqlite3_result_null(context);
        return;
    }
    if (!AcceptNlsArgument(context, argc, argv))
        return;
    // A whole number wider than a double's 15 digits keeps every digit.
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
        const sqlite3_int64 whole = sqlite3_value_int64(argv[0]);
        if (whole >= 1000000000000000LL || whole <= -1000000000000000LL) {
            ResultText(context, std::to_string(whole));
            return;
        }
    }
    if (IsNumeric(argv[0])) {
        const QString text = basKovaData::NumberText(sqlite3_value_double(argv[0])).trimmed();
        ResultText(context, text.toStdString());
        return;
    }
    const std::string_view text = TextOf(argv[0]);
    DateParts date;
    if (ParseStoredDate(text, &date)) {
        const std::string& session = static_cast<SessionState*>(sqlite3_user_data(context))->dateFormat;
        const std::string_view format = argc > 1 && !IsNullish(argv[1]) ? TextOf(argv[1])
                                        : session.empty()                 ? DefaultDisplayFormat
                                                                          : std::string_view(session);
        ResultText(context, FormatDateByModel(date, format));
        return;
    }
    sqlite3_result_value(context, argv[0]);
}

void SysDate(sqlite3_context* context, int, sqlite3_value**)
{
    ResultDate(context, NowParts());
}

// TO_TIMESTAMP(text[, format]): a TIMESTAMP is kept to the second, as a
// DATE is; the fraction (FF in the model) is read and dropped.
void ToTimestamp(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (IsNullish(argv[0])) {
        sqlite3_result_null(context);
        return;
    }
    if (!AcceptNlsArgument(context, argc, argv))
        return;
    std::string text(TextOf(argv[0]));
    std::string format = argc > 1 && !IsNullish(argv[1]) ? std::string(TextOf(argv[1])) : std::string();
    const auto upper = [](std::string t) {
        for (char& c : t)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return t;
    };
    const size_t ff = upper(format).find("FF");
    if (ff != std::string::npos || format.empty()) {
        if (ff != std::string::npos) {
            size_t from = ff;
            if (from > 0 && (format[from - 1] == '.' || format[from - 1] == ',' || format[from - 1] == 'X'
                             || format[from - 1] == 'x'))
                --from;
            size_t to = ff + 2;
            if (to < format.size() && format[to] >= '1' && format[to] <= '9')
                ++to;
            format.erase(from, to - from);
        }
        // The last fraction of a second in the text: a point and digits after a digit.
        for (size_t i = text.size(); i-- > 1;) {
            if ((text[i] == '.' || text[i] == ',') && std::isdigit(static_cast<unsigned char>(text[i - 1]))
                && i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1]))) {
                size_t end = i + 1;
                while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
                    ++end;
                text.erase(i, end - i);
                break;
            }
        }
    }
    DateParts date;
    if (format.empty() && ParseStoredDate(text, &date)) {
        ResultDate(context, date);
        return;
    }
    const std::string error = ParseDateByFormat(text, format.empty() ? DefaultDateFormat : format, &NowParts, &date);
    if (!error.empty()) {
        sqlite3_result_error(context, error.c_str(), -1);
        return;
    }
    ResultDate(context, date);
}

void LengthB(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (IsNullish(argv[0])) {
        sqlite3_result_null(context);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_BLOB) {
        sqlite3_result_int64(context, sqlite3_value_bytes(argv[0]));
        return;
    }
    const std::string_view text = TextOf(argv[0]);
    sqlite3_result_int64(context, Cp932Length(text.data(), static_cast<int>(text.size())));
}

// `value` rounded to `scale` decimals (tens, hundreds... when negative) as a
// NUMBER column rounds it: the decimal digits the value is written with,
// halves away from zero. SQLite's round() prints and reads back in ways that
// move 665.641413 to 665.6414130000001.
double RoundDecimal(double value, int scale)
{
    if (!std::isfinite(value) || value == 0)
        return value;
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<size_t>(written.ptr - buffer));
    const std::size_t e = text.find('e');
    std::string digits;
    for (const char c : text.substr(0, e)) {
        if (c != '.')
            digits += c;
    }
    int exponent = 0;
    std::from_chars(text.data() + e + 1 + (text[e + 1] == '+'), text.data() + text.size(), exponent);
    // Digit i stands for 10^(exponent - i); those down to 10^-scale stay.
    const long long keep = static_cast<long long>(exponent) + scale + 1;
    if (keep >= static_cast<long long>(digits.size()))
        return value;
    if (keep < 0)
        return 0.0;
    const bool up = digits[static_cast<size_t>(keep)] >= '5';
    digits.resize(static_cast<size_t>(keep));
    if (up) {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9')
            digits[--i] = '0';
        if (i == 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i - 1];
    }
    if (digits.empty())
        return 0.0;
    const std::string rounded = digits + "e" + std::to_string(exponent - keep + 1);
    double result = 0;
    std::from_chars(rounded.data(), rounded.data() + rounded.size(), result);
    return value < 0 ? -result : result;
}

// KOVA_ROUND(x, scale): x as a NUMBER of that scale stores it; whole numbers
// stay whole numbers, with all their digits, for a scale of 0 or more.
void Round(sqlite3_context* context, int, sqlite3_value** argv)
{
    const int type = sqlite3_value_numeric_type(argv[0]);
    const int scale = sqlite3_value_int(argv[1]);
    if (type == SQLITE_NULL)
        sqlite3_result_null(context);
    else if (type == SQLITE_INTEGER && scale >= 0)
        sqlite3_result_int64(context, sqlite3_value_int64(argv[0]));
    else
        sqlite3_result_double(context, RoundDecimal(sqlite3_value_double(argv[0]), scale));
}

// KOVA_ISDATE(x): 1 when x is NULL (or empty) or a stored date, else 0.
void IsDate(sqlite3_context* context, int, sqlite3_value** argv)
{
    DateParts date;
    sqlite3_result_int(context, IsNullish(argv[0])
                                    || (sqlite3_value_type(argv[0]) == SQLITE_TEXT
                                        && ParseStoredDate(TextOf(argv[0]), &date)));
}

// KOVA_ISNUMBER(x): 1 when x is a number or a text that a numeric column turns
// into one, else 0.
void IsNumber(sqlite3_context* context, int, sqlite3_value** argv)
{
    const int type = sqlite3_value_numeric_type(argv[0]);
    sqlite3_result_int(context, type == SQLITE_INTEGER || type == SQLITE_FLOAT || IsNullish(argv[0]));
}

// KOVA_PADCHAR(x, n, chars): x padded with blanks to n bytes, or to n
// characters when `chars` is 1 (CHAR and NCHAR columns); NULL for NULL and the
// empty string.
void PadChar(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (IsNullish(argv[0])) {
        sqlite3_result_null(context);
        return;
    }
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
        sqlite3_result_value(context, argv[0]);
        return;
    }
    const std::string_view text = TextOf(argv[0]);
    const long long width = sqlite3_value_int64(argv[1]);
    const long long length = sqlite3_value_int(argv[2]) != 0
                                 ? QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).size()
                                 : Cp932Length(text.data(), static_cast<int>(text.size()));
    std::string padded(text);
    if (length < width)
        padded.append(static_cast<size_t>(width - length), ' ');
    ResultText(context, padded);
}

// KOVA_RAISE(message): fails the statement with the message.
void Raise(sqlite3_context* context, int, sqlite3_value** argv)
{
    sqlite3_result_error(context, std::string(TextOf(argv[0])).c_str(), -1);
}

// KOVA_VIEW_TEXT(sql): the query of a CREATE VIEW statement.
void ViewText(sqlite3_context* context, int, sqlite3_value** argv)
{
    ResultText(context, ViewQueryText(TextOf(argv[0])));
}

// A JSON string of UTF-8 text.
void AppendJsonString(std::string* json, std::string_view text)
{
    json->push_back('"');
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            json->push_back('\\');
            json->push_back(c);
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            json->append(escaped);
        } else {
            json->push_back(c);
        }
    }
    json->push_back('"');
}

// KOVA_CHECKS(sql): the CHECK constraints of a CREATE TABLE statement as a
// JSON array of [name, condition] pairs (an empty name for an unnamed one;
// a named NOT NULL is one, "COL" IS NOT NULL),
// for json_each in the dictionary views.
void Checks(sqlite3_context* context, int, sqlite3_value** argv)
{
    std::string json = "[";
    for (const OracleDdl::Constraint& check : OracleDdl::TableConstraints(TextOf(argv[0]))) {
        if (check.type != 'C')
            continue;
        if (json.size() > 1)
            json.push_back(',');
        json.push_back('[');
        AppendJsonString(&json, check.name);
        json.push_back(',');
        AppendJsonString(&json, check.condition);
        json.push_back(']');
    }
    json.push_back(']');
    ResultText(context, json);
}

// KOVA_COLTYPE(declared, item): one dictionary figure of a declared type;
// item is DATA_TYPE, DATA_PRECISION, DATA_SCALE, CHAR_COL_DECL_LENGTH or
// DATA_LENGTH.
void ColumnType(sqlite3_context* context, int, sqlite3_value** argv)
{
    const OracleColumnType type = ParseDeclaredType(TextOf(argv[0]));
    const std::string_view item = TextOf(argv[1]);
    auto optional = [&](const std::optional<int>& value) {
        if (value)
            sqlite3_result_int(context, *value);
        else
            sqlite3_result_null(context);
    };
    if (item == "DATA_TYPE")
        ResultText(context, type.dataType);
    else if (item == "DATA_PRECISION")
        optional(type.precision);
    else if (item == "DATA_SCALE")
        optional(type.scale);
    else if (item == "CHAR_COL_DECL_LENGTH")
        optional(type.charLength);
    else if (item == "DATA_LENGTH")
        sqlite3_result_int(context, type.dataLength);
    else if (item == "CHAR_USED" && type.charUsed)
        ResultText(context, std::string(1, type.charUsed));
    else if (item == "CHAR_LENGTH")
        sqlite3_result_int(context, type.charLength.value_or(0));
    else
        sqlite3_result_null(context);
}

struct FunctionSpec {
    const char* name;
    int arguments;
    bool deterministic;
    void (*function)(sqlite3_context*, int, sqlite3_value**);
};

}  // namespace

long long Cp932Length(const char* utf8, int bytes)
{
    long long length = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    const auto* end = p + bytes;
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++length;
            ++p;
            continue;
        }
        int size = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
        if (end - p < size)
            size = static_cast<int>(end - p);
        // Half-width katakana U+FF61..U+FF9F take one byte: EF BD A1..EF BE 9F.
        const bool halfWidth = size == 3 && c == 0xEF
                               && ((p[1] == 0xBD && p[2] >= 0xA1) || (p[1] == 0xBE && p[2] <= 0x9F));
        length += halfWidth ? 1 : 2;
        p += size;
    }
    return length;
}

bool RegisterOracleFunctions(sqlite3* db)
{
    static constexpr FunctionSpec Functions[] = {
        {"DECODE", -1, true, Decode},
        {"NVL", 2, true, Nvl},
        {"NVL2", 3, true, Nvl2},
        {"CONCAT", 2, true, Concat},
        {"CHR", 1, true, Chr},
        {"TO_CLOB", 1, true, ToClob},
        {"TO_DATE", 1, false, ToDate},
        {"TO_DATE", 2, false, ToDate},
        {"TO_DATE", 3, false, ToDate},
        {"TO_CHAR", 1, true, ToChar},
        {"TO_CHAR", 2, true, ToChar},
        {"TO_CHAR", 3, true, ToChar},
        {"TO_NUMBER", 1, true, ToNumber},
        {"TO_NUMBER", 2, true, ToNumber},
        {"TO_NUMBER", 3, true, ToNumber},
        {"UNISTR", 1, true, Unistr},
        {"NCHR", 1, true, Nchr},
        {"SYSDATE", 0, false, SysDate},
        {"SYSTIMESTAMP", 0, false, SysDate},
        {"TO_TIMESTAMP", 1, false, ToTimestamp},
        {"TO_TIMESTAMP", 2, false, ToTimestamp},
        {"TO_TIMESTAMP", 3, false, ToTimestamp},
        {"LENGTHB", 1, true, LengthB},
        {"KOVA_ISDATE", 1, true, IsDate},
        {"KOVA_ISNUMBER", 1, true, IsNumber},
        {"KOVA_ROUND", 2, true, Round},
        {"KOVA_PADCHAR", 3, true, PadChar},
        {"KOVA_VIEW_TEXT", 1, true, ViewText},
        {"KOVA_RAISE", 1, false, Raise},
        {"KOVA_COLTYPE", 2, true, ColumnType},
        {"KOVA_CHECKS", 1, true, Checks},
    };
    auto* session = new SessionState;
    if (!RegisterCatalogFunctions(db, session) || !RegisterDateFunctions(db))
        return false;
    for (const FunctionSpec& spec : Functions) {
        const int flags = SQLITE_UTF8 | (spec.deterministic ? SQLITE_DETERMINISTIC : 0);
        if (sqlite3_create_function_v2(db, spec.name, spec.arguments, flags, session, spec.function,
                                       nullptr, nullptr, nullptr)
            != SQLITE_OK)
            return false;
    }
    return true;
}
