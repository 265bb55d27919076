#pragma once
// The families of column types the program makes values for. A family decides
// which rule editor sets a column's rule and which branch of the generator
// makes its values; the embedded engine enforces its types by the same
// families.
#include <QStringView>

namespace basKovaData {

enum class TypeFamily { Numeric, Character, Date, Other };

// The family of a type as the column grid shows it ("NUMBER(8)",
// "VARCHAR2(20)", "CHAR(6)", "DATE()"), by the start of the text: NUMBER,
// VARCHAR2 or CHAR, DATE or TIMESTAMP (kept to the second, as a DATE);
// every other type (NCHAR, LONG, RAW, FLOAT...) is Other.
inline TypeFamily FamilyOfTypeText(QStringView typeText)
{
    const QStringView type = typeText.trimmed();
    if (type.startsWith(u"NUMBER"))
        return TypeFamily::Numeric;
    if (type.startsWith(u"VARCHAR2") || type.startsWith(u"CHAR"))
        return TypeFamily::Character;
    if (type.startsWith(u"DATE") || type.startsWith(u"TIMESTAMP"))
        return TypeFamily::Date;
    return TypeFamily::Other;
}

}  // namespace basKovaData
