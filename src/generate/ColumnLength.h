#pragma once
// How a character column's declared length counts a value, as the database
// that holds it counts: characters for a length declared in CHAR
// ("VARCHAR2(4 CHAR)"; the dictionary's CHAR_USED 'C'), else bytes, of code
// page 932 on the embedded engine and of UTF-8 on a server. A value measured
// here fits there.
#include <QString>
#include <QStringView>

class OraDatabase;

namespace basKovaData {
struct ColumnRule;
}

namespace generate {

class PatternRecipe;

struct LengthMeasure {
    int limit = 0;            // the declared length; below 1, none
    bool characters = false;  // the length counts characters
    bool utf8 = false;        // bytes are UTF-8 (a server), else code page 932

    // The length of `text` in the measure's unit.
    qsizetype Of(const QString& text) const;
    // `text` cut to the limit, never inside a character; as it is when it
    // fits or when there is no limit.
    QString Fit(const QString& text) const;
    // The longest value of `recipe` in the measure's unit.
    int Longest(const PatternRecipe& recipe) const;
    // "文字" or "バイト", for messages.
    QString Unit() const;
};

// Why a pattern whose longest value is `longest` does not fit the column.
QString PatternTooLong(int longest, const LengthMeasure& measure);

// Whether a type text declares its length in characters: "VARCHAR2(4 CHAR)".
bool LengthInCharacters(QStringView typeText);

// The measure of the column of `rule` in `database` (none: the embedded
// engine's).
LengthMeasure MeasureOf(const basKovaData::ColumnRule& rule, const OraDatabase* database);

}  // namespace generate
