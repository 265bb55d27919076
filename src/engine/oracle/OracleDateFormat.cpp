#include "engine/oracle/OracleDateFormat.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <vector>

namespace {

constexpr std::array<const char*, 12> MonthNames = {
    "JANUARY", "FEBRUARY", "MARCH",     "APRIL",   "MAY",      "JUNE",
    "JULY",    "AUGUST",   "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};
constexpr std::array<const char*, 7> DayNames = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                                 "THURSDAY", "FRIDAY", "SATURDAY"};

enum class Element {
    None, Year4, Year3, Year2, Year1, RoundYear2, RoundYear4, Month, MonthAbbrev, MonthName,
    Day, DayOfYear, DayOfWeek, DayAbbrev, DayName, Hour24, Hour12, Minute, Second, Meridian,
    MeridianDots, FillMode, Quoted, Punctuation
};

struct Piece {
    Element element = Element::None;
    std::string_view text;  // quoted text or punctuation; the element as written otherwise
};

// Texts and models are UTF-8: only ASCII letters have a case, only ASCII
// digits are digits, whatever the C locale says about single bytes.
constexpr char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr bool IsAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr bool IsAsciiAlnum(char c)
{
    return IsAsciiDigit(c) || (AsciiUpper(c) >= 'A' && AsciiUpper(c) <= 'Z');
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiUpper(text[i]) != AsciiUpper(prefix[i]))
            return false;
    }
    return true;
}

// Splits the format model into its elements, longest names first.
Piece NextPiece(std::string_view format, size_t* pos)
{
    static constexpr std::array<std::pair<std::string_view, Element>, 24> Names = {{
        {"HH24", Element::Hour24}, {"HH12", Element::Hour12}, {"YYYY", Element::Year4},
        {"RRRR", Element::RoundYear4}, {"MONTH", Element::MonthName}, {"A.M.", Element::MeridianDots},
        {"P.M.", Element::MeridianDots}, {"YYY", Element::Year3}, {"MON", Element::MonthAbbrev},
        {"DDD", Element::DayOfYear}, {"DAY", Element::DayName}, {"YY", Element::Year2},
        {"RR", Element::RoundYear2}, {"MM", Element::Month}, {"DD", Element::Day},
        {"DY", Element::DayAbbrev}, {"HH", Element::Hour12}, {"MI", Element::Minute},
        {"SS", Element::Second}, {"AM", Element::Meridian}, {"PM", Element::Meridian},
        {"FM", Element::FillMode}, {"Y", Element::Year1}, {"D", Element::DayOfWeek}}};
    const std::string_view rest = format.substr(*pos);
    if (rest.front() == '"') {
        const size_t close = rest.find('"', 1);
        const size_t end = close == std::string_view::npos ? rest.size() : close + 1;
        *pos += end;
        return {Element::Quoted, rest.substr(1, (close == std::string_view::npos ? rest.size() : close) - 1)};
    }
    for (const auto& [name, element] : Names) {
        if (StartsWithNoCase(rest, name)) {
            *pos += name.size();
            return {element, rest.substr(0, name.size())};
        }
    }
    *pos += 1;
    return {Element::Punctuation, rest.substr(0, 1)};
}

// A format model split into its pieces. A creation run converts every row's
// date by the same model, so the last model split is kept for the next call.
class SplitFormat {
public:
    const std::vector<Piece>& pieces(std::string_view format)
    {
        if (!m_valid || format != m_format) {
            m_format.assign(format);
            m_pieces.clear();
            const std::string_view own = m_format;
            size_t pos = 0;
            while (pos < own.size())
                m_pieces.push_back(NextPiece(own, &pos));
            m_valid = true;
        }
        return m_pieces;
    }

private:
    bool m_valid = false;
    std::string m_format;  // the pieces' texts point into it
    std::vector<Piece> m_pieces;
};

const std::vector<Piece>& FormatPieces(std::string_view format)
{
    thread_local SplitFormat split;
    return split.pieces(format);
}

// Reads up to `width` digits; returns false when there is none.
bool ReadDigits(std::string_view text, size_t* pos, size_t width, int* value)
{
    size_t p = *pos;
    int result = 0;
    size_t count = 0;
    while (p < text.size() && count < width && IsAsciiDigit(text[p])) {
        result = result * 10 + (text[p] - '0');
        ++p;
        ++count;
    }
    if (count == 0)
        return false;
    *pos = p;
    *value = result;
    return true;
}

// The case of a word written by TO_CHAR follows the case of the element.
std::string CaseLike(std::string_view element, std::string_view upperWord)
{
    std::string word(upperWord);
    const bool firstUpper = !element.empty() && std::isupper(static_cast<unsigned char>(element[0]));
    const bool secondUpper = element.size() > 1 && std::isupper(static_cast<unsigned char>(element[1]));
    for (size_t i = 0; i < word.size(); ++i) {
        const bool upper = i == 0 ? firstUpper : (firstUpper && secondUpper);
        word[i] = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(word[i]))
                                          : std::tolower(static_cast<unsigned char>(word[i])));
    }
    return word;
}

int DayOfWeek(const DateParts& date)  // 0 = Sunday
{
    // Sakamoto's method on the proleptic Gregorian calendar.
    static constexpr std::array<int, 12> Offsets = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int year = date.year;
    if (date.month < 3)
        --year;
    return (year + year / 4 - year / 100 + year / 400 + Offsets[static_cast<size_t>(date.month - 1)] + date.day) % 7;
}

int DayOfYear(const DateParts& date)
{
    int days = date.day;
    for (int m = 1; m < date.month; ++m)
        days += DaysInMonth(date.year, m);
    return days;
}

std::string Padded(int value, int width)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
    return buffer;
}

}  // namespace

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> Days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : Days[static_cast<size_t>(month - 1)];
}

bool IsValidDate(const DateParts& d)
{
    return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1
           && d.day <= DaysInMonth(d.year, d.month) && d.hour >= 0 && d.hour <= 23
           && d.minute >= 0 && d.minute <= 59 && d.second >= 0 && d.second <= 59;
}

bool ParseStoredDate(std::string_view text, DateParts* date)
{
    // YYYY-MM-DD HH:MM:SS
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' '
        || text[13] != ':' || text[16] != ':')
        return false;
    auto number = [&](size_t at, size_t width, int* out) {
        int value = 0;
        for (size_t i = at; i < at + width; ++i) {
            if (!IsAsciiDigit(text[i]))
                return false;
            value = value * 10 + (text[i] - '0');
        }
        *out = value;
        return true;
    };
    DateParts parts;
    if (!number(0, 4, &parts.year) || !number(5, 2, &parts.month) || !number(8, 2, &parts.day)
        || !number(11, 2, &parts.hour) || !number(14, 2, &parts.minute)
        || !number(17, 2, &parts.second) || !IsValidDate(parts))
        return false;
    *date = parts;
    return true;
}

void WriteStoredDate(const DateParts& d, char* out)
{
    auto put = [&out](int value, int width) {
        for (int i = width - 1; i >= 0; --i) {
            out[i] = static_cast<char>('0' + value % 10);
            value /= 10;
        }
        out += width;
    };
    put(d.year, 4);
    *out++ = '-';
    put(d.month, 2);
    *out++ = '-';
    put(d.day, 2);
    *out++ = ' ';
    put(d.hour, 2);
    *out++ = ':';
    put(d.minute, 2);
    *out++ = ':';
    put(d.second, 2);
}

std::string StoredDateText(const DateParts& d)
{
    if (!IsValidDate(d)) {
        // Parts out of range are written as they are.
        char buffer[80];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day,
                      d.hour, d.minute, d.second);
        return buffer;
    }
    std::string text(StoredDateLength, ' ');
    WriteStoredDate(d, text.data());
    return text;
}

namespace {

// The current date, asked for once and only when a model needs it.
class LazyNow {
public:
    explicit LazyNow(const DateParts& now) : m_now(now), m_known(true) {}
    explicit LazyNow(NowFunction now) : m_function(now) {}

    const DateParts& get()
    {
        if (!m_known) {
            m_now = m_function ? m_function() : DateParts();
            m_known = true;
        }
        return m_now;
    }

private:
    DateParts m_now;
    NowFunction m_function = nullptr;
    bool m_known = false;
};

// RR: two digits of a year, in the century that puts it nearest to this
// year: 00-49 this century and 50-99 the last while this year ends in 00-49;
// 00-49 the next century and 50-99 this one while it ends in 50-99.
int RoundYear(int twoDigits, int thisYear)
{
    const int century = thisYear / 100 * 100;
    if (thisYear % 100 < 50)
        return twoDigits < 50 ? century + twoDigits : century - 100 + twoDigits;
    return twoDigits < 50 ? century + 100 + twoDigits : century + twoDigits;
}

std::string ParseByPieces(std::string_view text, const std::vector<Piece>& pieces, LazyNow& now,
                          DateParts* date)
{
    DateParts result;
    bool yearRead = false;
    bool monthRead = false;
    int hour12 = -1;
    bool pm = false;
    size_t in = 0;
    auto skipBlanks = [&] {
        while (in < text.size() && IsAsciiSpace(text[in]))
            ++in;
    };
    for (const Piece& piece : pieces) {
        if (piece.element == Element::FillMode)
            continue;
        if (piece.element == Element::Punctuation || piece.element == Element::Quoted) {
            // Separators are matched leniently: any one punctuation or blank.
            if (piece.element == Element::Quoted && StartsWithNoCase(text.substr(in), piece.text))
                in += piece.text.size();
            else if (in < text.size() && !IsAsciiAlnum(text[in]))
                ++in;
            continue;
        }
        skipBlanks();
        if (in >= text.size())
            break;  // the elements the text leaves out keep their defaults
        int value = 0;
        auto digits = [&](size_t width) { return ReadDigits(text, &in, width, &value); };
        const char* const NonNumeric =
            "ORA-01858: a non-numeric character was found where a numeric was expected";
        switch (piece.element) {
        case Element::Year4:
        case Element::RoundYear4: {
            const size_t before = in;
            if (!digits(4))
                return NonNumeric;
            result.year = value;
            yearRead = true;
            // RRRR given two digits reads them as RR does.
            if (piece.element == Element::RoundYear4 && in - before <= 2)
                result.year = RoundYear(value, now.get().year);
            yearRead = true;
            break;
        }
        case Element::Year3:
            if (!digits(3))
                return NonNumeric;
            result.year = now.get().year / 1000 * 1000 + value;
            yearRead = true;
            break;
        case Element::Year2:
            if (!digits(2))
                return NonNumeric;
            result.year = now.get().year / 100 * 100 + value;
            yearRead = true;
            break;
        case Element::Year1:
            if (!digits(1))
                return NonNumeric;
            result.year = now.get().year / 10 * 10 + value;
            yearRead = true;
            break;
        case Element::RoundYear2:
            if (!digits(2))
                return NonNumeric;
            result.year = RoundYear(value, now.get().year);
            yearRead = true;
            break;
        case Element::Month:
            if (!digits(2))
                return NonNumeric;
            result.month = value;
            monthRead = true;
            break;
        case Element::MonthAbbrev:
        case Element::MonthName: {
            int found = 0;
            for (size_t m = 0; m < MonthNames.size() && !found; ++m) {
                const std::string_view full = MonthNames[m];
                if (StartsWithNoCase(text.substr(in), full)) {
                    in += full.size();
                    found = static_cast<int>(m) + 1;
                } else if (StartsWithNoCase(text.substr(in), full.substr(0, 3))) {
                    in += 3;
                    found = static_cast<int>(m) + 1;
                }
            }
            if (!found)
                return "ORA-01843: not a valid month";
            result.month = found;
            monthRead = true;
            break;
        }
        case Element::Day:
            if (!digits(2))
                return NonNumeric;
            result.day = value;
            break;
        case Element::Hour24:
            if (!digits(2))
                return NonNumeric;
            if (value > 23)
                return "ORA-01850: hour must be between 0 and 23";
            result.hour = value;
            break;
        case Element::Hour12:
            if (!digits(2))
                return NonNumeric;
            if (value < 1 || value > 12)
                return "ORA-01849: hour must be between 1 and 12";
            hour12 = value;
            break;
        case Element::Minute:
            if (!digits(2))
                return NonNumeric;
            if (value > 59)
                return "ORA-01851: minutes must be between 0 and 59";
            result.minute = value;
            break;
        case Element::Second:
            if (!digits(2))
                return NonNumeric;
            if (value > 59)
                return "ORA-01852: seconds must be between 0 and 59";
            result.second = value;
            break;
        case Element::Meridian:
        case Element::MeridianDots: {
            const std::string_view rest = text.substr(in);
            if (StartsWithNoCase(rest, "A.M.") || StartsWithNoCase(rest, "P.M.")) {
                pm = AsciiUpper(rest[0]) == 'P';
                in += 4;
            } else if (StartsWithNoCase(rest, "AM") || StartsWithNoCase(rest, "PM")) {
                pm = AsciiUpper(rest[0]) == 'P';
                in += 2;
            } else {
                return "ORA-01855: AM/A.M. or PM/P.M. required";
            }
            break;
        }
        case Element::DayAbbrev:
        case Element::DayName:
            for (const char* name : DayNames) {
                const std::string_view full = name;
                if (StartsWithNoCase(text.substr(in), full)) {
                    in += full.size();
                    break;
                }
                if (StartsWithNoCase(text.substr(in), full.substr(0, 3))) {
                    in += 3;
                    break;
                }
            }
            break;
        case Element::DayOfWeek:
        case Element::DayOfYear:
            if (!digits(piece.element == Element::DayOfYear ? 3 : 1))
                return NonNumeric;
            break;
        default:
            break;
        }
    }
    skipBlanks();
    if (in < text.size())
        return "ORA-01830: date format picture ends before converting entire input string";
    // The parts the text leaves out are the current year and month.
    if (!yearRead)
        result.year = now.get().year;
    if (!monthRead)
        result.month = now.get().month;
    if (hour12 >= 0)
        result.hour = hour12 % 12 + (pm ? 12 : 0);
    if (result.month < 1 || result.month > 12)
        return "ORA-01843: not a valid month";
    if (result.year < 1 || result.year > 9999)
        return "ORA-01841: (full) year must be between -4713 and +9999, and not be 0";
    if (result.day < 1 || result.day > DaysInMonth(result.year, result.month))
        return "ORA-01839: date not valid for month specified";
    *date = result;
    return {};
}

}  // namespace

std::string ParseDateByFormat(std::string_view text, std::string_view format,
                              const DateParts& now, DateParts* date)
{
    LazyNow lazy(now);
    return ParseByPieces(text, FormatPieces(format), lazy, date);
}

std::string ParseDateByFormat(std::string_view text, std::string_view format, NowFunction now,
                              DateParts* date)
{
    LazyNow lazy(now);
    return ParseByPieces(text, FormatPieces(format), lazy, date);
}

std::string FormatDateByModel(const DateParts& d, std::string_view format)
{
    std::string out;
    size_t pos = 0;
    while (pos < format.size()) {
        const Piece piece = NextPiece(format, &pos);
        switch (piece.element) {
        case Element::Year4:
        case Element::RoundYear4:
            out += Padded(d.year, 4);
            break;
        case Element::Year3:
            out += Padded(d.year % 1000, 3);
            break;
        case Element::Year2:
        case Element::RoundYear2:
            out += Padded(d.year % 100, 2);
            break;
        case Element::Year1:
            out += Padded(d.year % 10, 1);
            break;
        case Element::Month:
            out += Padded(d.month, 2);
            break;
        case Element::MonthAbbrev:
            out += CaseLike(piece.text, std::string_view(MonthNames[static_cast<size_t>(d.month - 1)]).substr(0, 3));
            break;
        case Element::MonthName: {
            std::string name = CaseLike(piece.text, MonthNames[static_cast<size_t>(d.month - 1)]);
            name.resize(9, ' ');
            out += name;
            break;
        }
        case Element::Day:
            out += Padded(d.day, 2);
            break;
        case Element::DayOfYear:
            out += Padded(DayOfYear(d), 3);
            break;
        case Element::DayOfWeek:
            out += Padded(DayOfWeek(d) + 1, 1);
            break;
        case Element::DayAbbrev:
            out += CaseLike(piece.text, std::string_view(DayNames[static_cast<size_t>(DayOfWeek(d))]).substr(0, 3));
            break;
        case Element::DayName: {
            std::string name = CaseLike(piece.text, DayNames[static_cast<size_t>(DayOfWeek(d))]);
            name.resize(9, ' ');
            out += name;
            break;
        }
        case Element::Hour24:
            out += Padded(d.hour, 2);
            break;
        case Element::Hour12:
            out += Padded(d.hour % 12 == 0 ? 12 : d.hour % 12, 2);
            break;
        case Element::Minute:
            out += Padded(d.minute, 2);
            break;
        case Element::Second:
            out += Padded(d.second, 2);
            break;
        case Element::Meridian:
            out += CaseLike(piece.text, d.hour < 12 ? "AM" : "PM");
            break;
        case Element::MeridianDots:
            out += CaseLike(piece.text, d.hour < 12 ? "A.M." : "P.M.");
            break;
        case Element::Quoted:
        case Element::Punctuation:
            out += piece.text;
            break;
        case Element::FillMode:
        case Element::None:
            break;
        }
    }
    return out;
}
