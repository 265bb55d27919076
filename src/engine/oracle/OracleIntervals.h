#pragma once
// INTERVAL YEAR TO MONTH and INTERVAL DAY TO SECOND values on the embedded
// engine: held as the text Oracle shows them, "+02-03" and
// "+01 02:03:04.000000", made by TO_YMINTERVAL and TO_DSINTERVAL.
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

namespace OracleIntervals {

// "[+|-]years-months" as Oracle shows it; nullopt when it is none.
std::optional<std::string> YearToMonth(std::string_view text);
// "[+|-]days hours:minutes:seconds[.fraction]" as Oracle shows it, the
// fraction to six digits; nullopt when it is none.
std::optional<std::string> DayToSecond(std::string_view text);

// Registers TO_YMINTERVAL and TO_DSINTERVAL.
bool Register(sqlite3* db);

}  // namespace OracleIntervals
