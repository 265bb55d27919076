#include "generate/ColumnLength.h"

#include "generate/PatternRecipe.h"
#include "rules/ColumnRule.h"
#include "session/OraDatabase.h"
#include "shared/Cp932.h"
#include "shared/Utf8Length.h"

using namespace Qt::StringLiterals;

namespace generate {

qsizetype LengthMeasure::Of(const QString& text) const
{
    if (characters) {
        qsizetype count = 0;
        for (qsizetype i = 0; i < text.size(); ++i)
            count += !text[i].isLowSurrogate() || i == 0 || !text[i - 1].isHighSurrogate();
        return count;
    }
    if (utf8)
        return text.toUtf8().size();
    return basKovaData::ToCp932(text).size();
}

QString LengthMeasure::Fit(const QString& text) const
{
    // A unit of a text is at most one character and three bytes: a short
    // text needs no measuring.
    if (limit < 1 || (characters ? text.size() <= limit : text.size() * 3 <= limit) || Of(text) <= limit)
        return text;
    if (!characters && !utf8)
        // LeftBytes pads with blanks and turns half a character into one.
        return basKovaData::LeftBytes(text, limit).trimmed();
    // Characters one by one until the next would not fit.
    QString cut;
    qsizetype used = 0;
    for (qsizetype i = 0; i < text.size();) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t code = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        used += characters ? 1 : basKovaData::Utf8Bytes(code);
        if (used > limit)
            break;
        cut += text.mid(i, pair ? 2 : 1);
        i += pair ? 2 : 1;
    }
    // As the byte cut above: no blank left at the end.
    return cut.trimmed();
}

int LengthMeasure::Longest(const PatternRecipe& recipe) const
{
    return characters ? recipe.MaxChars() : utf8 ? recipe.MaxUtf8Bytes() : recipe.MaxBytes();
}

QString LengthMeasure::Unit() const
{
    return characters ? u"文字"_s : u"バイト"_s;
}

QString PatternTooLong(int longest, const LengthMeasure& measure)
{
    return u"パターンの最も長い値は%1%3で、項目の長さ%2%3を超えます。"_s.arg(longest).arg(measure.limit).arg(measure.Unit());
}

bool LengthInCharacters(QStringView typeText)
{
    const QStringView type = typeText.trimmed();
    return type.endsWith(u" CHAR)", Qt::CaseInsensitive);
}

LengthMeasure MeasureOf(const basKovaData::ColumnRule& rule, const OraDatabase* database)
{
    LengthMeasure measure;
    measure.limit = rule.Length;
    measure.characters = LengthInCharacters(rule.TypeText.text());
    // A server's bytes are counted as UTF-8 has them. PostgreSQL's VARCHAR2
    // (orafce) counts bytes of the database's encoding, UTF-8 as a rule;
    // Oracle's BYTE columns count bytes of the database character set, and a
    // Shift-JIS or EUC database needs no more bytes for a character than
    // UTF-8 does, so a value measured here still fits there. Character
    // lengths (CHAR_USED 'C', on both servers) count characters.
    measure.utf8 = database && database->BytesInUtf8();
    return measure;
}

}  // namespace generate
