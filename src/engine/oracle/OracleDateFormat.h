#pragma once
// Oracle date format models for TO_DATE and TO_CHAR, over the engine's stored
// form of a DATE: the text "YYYY-MM-DD HH:MM:SS".
//
// Elements: YYYY RRRR YYY YY RR Y, MM MON MONTH, DD DDD D DY DAY, HH24 HH12 HH,
// MI, SS, AM PM A.M. P.M., FM (ignored), "quoted text", and punctuation.
#include <string>
#include <string_view>

struct DateParts {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDate(const DateParts& date);

// The stored form and back. ParseStoredDate accepts "YYYY-MM-DD HH:MM:SS" of a
// real date only.
bool ParseStoredDate(std::string_view text, DateParts* date);
std::string StoredDateText(const DateParts& date);

// Writes the stored form of a valid date (IsValidDate) into `out`: 19
// characters, no terminator.
void WriteStoredDate(const DateParts& date, char* out);
inline constexpr int StoredDateLength = 19;

// Reads `text` by the format model. `now` supplies the year and month that the
// model leaves out. Returns an empty string on success, else the Oracle error
// text ("ORA-01843: not a valid month", ...).
std::string ParseDateByFormat(std::string_view text, std::string_view format,
                              const DateParts& now, DateParts* date);
// The same, asking `now` for the current date only when the model leaves out
// the year or month or gives fewer than four digits of the year.
using NowFunction = DateParts (*)();
std::string ParseDateByFormat(std::string_view text, std::string_view format, NowFunction now,
                              DateParts* date);

// Writes the date by the format model.
std::string FormatDateByModel(const DateParts& date, std::string_view format);

// The model of TO_DATE without a format (it also reads "YYYY-MM-DD").
inline constexpr std::string_view DefaultDateFormat = "YYYY-MM-DD HH24:MI:SS";
// The model of TO_CHAR of a date without a format, Oracle's default.
inline constexpr std::string_view DefaultDisplayFormat = "DD-MON-RR";
