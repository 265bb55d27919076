// Which dictionary a column's name asks for.
#include "browser/AutoRules.h"

#include <QStringList>

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace browser {

namespace {

// The Latin words of a column name, upper-cased: split at anything that is no
// Latin letter ("_", digits, Japanese) and where case changes (phoneNo,
// HTTPServer).
QStringList LatinWords(const QString& name)
{
    const auto latin = [](QChar c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); };
    QStringList words;
    QString word;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        const bool startsWord =
            !word.isEmpty() && c.isUpper()
            && (word.back().isLower() || (i + 1 < name.size() && name[i + 1].isLower() && latin(name[i + 1])));
        if (!latin(c) || startsWord) {
            if (!word.isEmpty())
                words << word.toUpper();
            word.clear();
        }
        if (latin(c))
            word += c;
    }
    if (!word.isEmpty())
        words << word.toUpper();
    return words;
}

}  // namespace

QString DictionaryForName(const QString& columnName)
{
    const QString name = columnName.trimmed();
    const QStringList words = LatinWords(name);
    // Japanese words anywhere in the name, Latin ones as whole words.
    const auto has = [&name, &words](std::initializer_list<const char16_t*> japanese,
                                     std::initializer_list<const char*> latin = {}) {
        return std::any_of(japanese.begin(), japanese.end(),
                           [&name](const char16_t* word) { return name.contains(QString::fromUtf16(word)); })
               || std::any_of(latin.begin(), latin.end(),
                              [&words](const char* word) { return words.contains(QLatin1String(word)); });
    };
    // Two Latin words one after the other (LAST_NAME, lastName).
    const auto pair = [&words](const char* first, const char* second) {
        for (qsizetype i = 0; i + 1 < words.size(); ++i)
            if (words[i] == QLatin1String(first) && words[i + 1] == QLatin1String(second))
                return true;
        return false;
    };
    if (has({u"会社"}, {"COMPANY"}))
        return u"会社名"_s;
    if (has({u"メール"}, {"MAIL", "EMAIL"}))
        return u"メールアドレス"_s;
    if (has({u"携帯"}, {"MOBILE", "CELLPHONE", "KEITAI"}))
        return u"携帯電話番号"_s;
    if (has({u"電話"}, {"TEL", "PHONE", "TELEPHONE", "TELNO"}))
        return u"電話番号"_s;
    if (has({u"郵便"}, {"ZIP", "ZIPCODE", "POSTCODE", "POSTAL"}))
        return u"郵便番号"_s;
    if (has({u"都道府県"}, {"PREF", "PREFECTURE"}))
        return u"都道府県"_s;
    if (has({u"市区町村"}, {"CITY"}))
        return u"市区町村"_s;
    if (has({u"住所"}, {"ADDRESS", "ADDR"}))
        return u"住所"_s;
    const bool surname = has({u"姓"}, {"SEI", "SURNAME", "LASTNAME"}) || pair("LAST", "NAME") || pair("FAMILY", "NAME");
    const bool given = name == u"名"_s || name.endsWith(u"_名"_s) || has({}, {"MEI", "FIRSTNAME"})
                       || pair("FIRST", "NAME") || pair("GIVEN", "NAME");
    if (has({u"カナ", u"ｶﾅ", u"ﾌﾘｶﾞﾅ", u"フリガナ"}, {"KANA", "FURIGANA"}))
        return surname ? u"姓カナ"_s : given ? u"名カナ"_s : u"氏名カナ"_s;
    if (surname)
        return u"姓"_s;
    if (given)
        return u"名"_s;
    // 氏名 and 名前, and the names of people: 顧客名, 会員名, 担当者名,
    // NAME, FULL_NAME, CUSTOMER_NAME ...; not the names of things (HOTEL_NAME).
    static const char* const people[] = {"FULL", "CUSTOMER", "USER", "MEMBER", "EMPLOYEE", "EMP", "STAFF",
                                         "CONTACT", "PERSON", "CLIENT", "PATIENT", "STUDENT", "GUEST", "OWNER"};
    const bool personName = words == QStringList{u"NAME"_s} || words.contains(u"FULLNAME"_s)
                            || std::any_of(std::begin(people), std::end(people),
                                           [&pair](const char* person) { return pair(person, "NAME"); });
    if (has({u"氏名", u"名前", u"客名", u"員名", u"者名"}) || personName)
        return u"氏名"_s;
    return QString();
}

}  // namespace browser
