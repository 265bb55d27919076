#pragma once
// The families of column types the program makes values for. A family decides
// which rule editor sets a column's rule and which branch of the generator
// makes its values; the embedded engine enforces its types by the same
// families.
#include <QStringView>

namespace basKovaData {

enum class TypeFamily { Numeric, Character, Date, Other };

// What a type of a family takes beyond its family's values, for the rules
// proposed for it and the files its values are written to.
enum class TypeDetail {
    Plain,        // NUMBER, VARCHAR2, CHAR, NVARCHAR2, NCHAR, DATE, TIMESTAMP [WITH [LOCAL] TIME ZONE]
    Floating,     // FLOAT(p) (p binary digits), BINARY_FLOAT, BINARY_DOUBLE
    LongText,     // CLOB, NCLOB, LONG: no declared length
    Hex,          // RAW(n), LONG RAW, BLOB: bytes written as hexadecimal digits
    YearToMonth,  // INTERVAL YEAR TO MONTH: "+01-02"
    DayToSecond,  // INTERVAL DAY TO SECOND (and a server's bare INTERVAL): "+01 02:03:04.000000"
};

// The detail of a type as the column grid shows it, by the start of the text.
inline TypeDetail DetailOfTypeText(QStringView typeText)
{
    const QStringView type = typeText.trimmed();
    if (type.startsWith(u"FLOAT") || type.startsWith(u"BINARY_FLOAT") || type.startsWith(u"BINARY_DOUBLE"))
        return TypeDetail::Floating;
    if (type.startsWith(u"RAW") || type.startsWith(u"LONG RAW") || type.startsWith(u"BLOB"))
        return TypeDetail::Hex;
    if (type.startsWith(u"CLOB") || type.startsWith(u"NCLOB") || type.startsWith(u"LONG"))
        return TypeDetail::LongText;
    if (type.startsWith(u"INTERVAL YEAR"))
        return TypeDetail::YearToMonth;
    if (type.startsWith(u"INTERVAL"))
        return TypeDetail::DayToSecond;
    return TypeDetail::Plain;
}

// The family of a type as the column grid shows it ("NUMBER(8)",
// "VARCHAR2(20)", "CHAR(6)", "DATE()"), by the start of the text: NUMBER,
// FLOAT, BINARY_FLOAT and BINARY_DOUBLE are numbers; VARCHAR2, CHAR, the
// national NVARCHAR2 and NCHAR, CLOB, NCLOB and LONG are texts, and so are
// RAW, LONG RAW and BLOB (hexadecimal digits) and the INTERVAL types (their
// text as Oracle shows it); DATE and TIMESTAMP are dates (kept to the
// second). Any other type (BFILE, ROWID...) is Other.
inline TypeFamily FamilyOfTypeText(QStringView typeText)
{
    const QStringView type = typeText.trimmed();
    if (type.startsWith(u"NUMBER"))
        return TypeFamily::Numeric;
    if (type.startsWith(u"VARCHAR2") || type.startsWith(u"CHAR") || type.startsWith(u"NVARCHAR2")
        || type.startsWith(u"NCHAR"))
        return TypeFamily::Character;
    if (type.startsWith(u"DATE") || type.startsWith(u"TIMESTAMP"))
        return TypeFamily::Date;
    switch (DetailOfTypeText(type)) {
    case TypeDetail::Floating:
        return TypeFamily::Numeric;
    case TypeDetail::LongText:
    case TypeDetail::Hex:
    case TypeDetail::YearToMonth:
    case TypeDetail::DayToSecond:
        return TypeFamily::Character;
    case TypeDetail::Plain:
        break;
    }
    return TypeFamily::Other;
}

}  // namespace basKovaData
