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
