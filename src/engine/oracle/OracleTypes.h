#pragma once
// What the data dictionary reports for a declared column type, and how the
// embedded engine enforces it.
//
// Oracle types map to themselves. Types of tables made with plain SQLite are
// mapped as follows: INT, INTEGER, BIGINT and the like -> NUMBER with scale 0;
// REAL -> FLOAT(63); DOUBLE, DOUBLE PRECISION -> FLOAT(126); NUMERIC and
// DECIMAL -> NUMBER; BOOLEAN -> NUMBER(1); VARCHAR -> VARCHAR2; TEXT or no type
// at all -> VARCHAR2(4000); DATETIME and TIMESTAMP -> DATE; BLOB stays BLOB.
// (Oracle DDL run through the engine writes TIMESTAMP as TIMESTAMP(6).)
// Character lengths may carry their unit, VARCHAR2(20 BYTE) or VARCHAR2(20
// CHAR); NUMBER(*,2) has no precision.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct OracleColumnType {
    enum class Family { Numeric, Character, Date, Other };

    std::string dataType;            // DATA_TYPE, e.g. "NUMBER", "VARCHAR2"
    std::optional<int> precision;    // DATA_PRECISION
    std::optional<int> scale;        // DATA_SCALE
    std::optional<int> charLength;   // CHAR_COL_DECL_LENGTH
    int dataLength = 0;              // DATA_LENGTH
    Family family = Family::Other;
    bool blankPadded = false;        // CHAR, NCHAR: values are padded to the length
    bool charSemantics = false;      // NCHAR, NVARCHAR2, VARCHAR2(n CHAR): the length counts
                                     // characters, other character types count bytes of code page 932
    char charUsed = 0;               // CHAR_USED: 'B' or 'C' for character types
};

OracleColumnType ParseDeclaredType(std::string_view declared);

// How the embedded engine holds a number written in decimal: whole numbers
// from -9223372036854775808 to 9223372036854775807 as 64-bit integers, every
// other number as a double when that gives back its digits: at most 15
// significant digits, or a number the double holds exactly (0.5, 2^63).
// Anything else cannot be held without rounding it, and is refused.
struct HeldNumber {
    enum class Form { Integer, Real, None };
    Form form = Form::None;
    std::int64_t integer = 0;
    double real = 0;
};

// `digits`: digits with an optional point and exponent, without a sign (the
// sign is `negative`). `whole`: written without point or exponent; such a
// number is an integer where it fits, any other one a double where that
// holds it.
HeldNumber HoldNumber(std::string_view digits, bool negative, bool whole);

// The error for a number HoldNumber cannot hold, naming it.
std::string NotHeldMessage(std::string_view digits, bool negative);
