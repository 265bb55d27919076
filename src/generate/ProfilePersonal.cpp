// Which columns identify a person: by their names and by their values.
#include "generate/DictionaryData.h"
#include "generate/ProfilePrivacy.h"
#include "rules/ColumnRule.h"

#include <QRegularExpression>
#include <QSet>

#include <array>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

// Katakana for hiragana, so that a reading matches either way.
QString Katakana(QStringView text)
{
    QString out = text.toString();
    for (QChar& c : out)
        if (c.unicode() >= 0x3041 && c.unicode() <= 0x3096)
            c = QChar(char16_t(c.unicode() + 0x60));
    return out;
}

struct NameSets {
    QSet<QString> surnames, given, surnameKana, givenKana;
};

const NameSets& Names()
{
    static const NameSets sets = [] {
        NameSets made;
        for (const dictionary::Name& name : dictionary::Surnames()) {
            made.surnames.insert(name.kanji.toString());
            made.surnameKana.insert(Katakana(name.kana));
        }
        for (const dictionary::Name& name : dictionary::GivenNames()) {
            made.given.insert(name.kanji.toString());
            made.givenKana.insert(Katakana(name.kana));
        }
        return made;
    }();
    return sets;
}

bool Blank(QChar c)
{
    return c.isSpace() || c == u'\u3000';
}

// A surname and a given name, apart or together.
bool FullName(const QString& text, const QSet<QString>& surnames, const QSet<QString>& given)
{
    const qsizetype blank = std::find_if(text.begin(), text.end(), Blank) - text.begin();
    if (blank < text.size()) {
        const QString first = text.left(blank);
        const QString rest = text.mid(blank).trimmed().remove(u'\u3000');
        return surnames.contains(first) && given.contains(rest);
    }
    for (qsizetype cut = 1; cut < text.size(); ++cut)
        if (surnames.contains(text.left(cut)) && given.contains(text.mid(cut)))
            return true;
    return false;
}

QString Dictionary(int index)
{
    return basKovaData::DictionaryNames().at(index);
}

// The dictionary a value would come from, or none.
std::optional<QString> ValueKind(const QString& raw)
{
    static const QRegularExpression mail(u"^[^@\\s]+@[^@\\s]+\\.[^@\\s]+$"_s);
    static const QRegularExpression phone(u"^(\\+81[- ]?|0)\\d{1,4}[- ]?\\d{1,4}[- ]?\\d{3,4}$"_s);
    static const QRegularExpression mobile(u"^0[789]0"_s);
    static const QRegularExpression address(
        u"([0-9０-９一二三四五六七八九十]+\\s*(丁目|番地|番|号))|(\\p{Han}\\s*[0-9０-９]+\\s*[-－‐ー−][0-9０-９]+)"_s);
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    if (mail.match(text).hasMatch())
        return Dictionary(12);
    if (phone.match(text).hasMatch()) {
        const qsizetype digits = std::count_if(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
        if (digits >= 10 && digits <= 12)
            return Dictionary(mobile.match(text).hasMatch() ? 11 : 10);
    }
    if (address.match(text).hasMatch())
        return Dictionary(8);
    const NameSets& names = Names();
    if (FullName(text, names.surnames, names.given))
        return Dictionary(2);
    const QString kana = Katakana(text);
    if (FullName(kana, names.surnameKana, names.givenKana))
        return Dictionary(5);
    if (names.surnames.contains(text))
        return Dictionary(0);
    if (names.given.contains(text))
        return Dictionary(1);
    if (names.surnameKana.contains(kana))
        return Dictionary(3);
    if (names.givenKana.contains(kana))
        return Dictionary(4);
    return std::nullopt;
}

}  // namespace

std::optional<QString> PersonalByName(const QString& column)
{
    const QString name = column.trimmed().toUpper();
    if (name.isEmpty())
        return std::nullopt;
    const QStringList words = name.split(QRegularExpression(u"[_\\s\\-\\.]+"_s), Qt::SkipEmptyParts);
    const auto word = [&](std::initializer_list<const char16_t*> any) {
        for (const char16_t* w : any)
            if (words.contains(QString::fromUtf16(w)))
                return true;
        return false;
    };
    const auto has = [&](std::initializer_list<const char16_t*> any) {
        for (const char16_t* w : any)
            if (name.contains(QString::fromUtf16(w)))
                return true;
        return false;
    };
    // Things and places many people share are not personal.
    if (has({u"会社", u"商品", u"製品", u"店", u"部署", u"部門", u"支店", u"都道府県", u"市区町村", u"県", u"市名",
             u"品名", u"件名", u"科目", u"銀行", u"学校", u"郵便"}) ||
        word({u"COMPANY", u"CORP", u"FIRM", u"PRODUCT", u"ITEM", u"GOODS", u"SHOP", u"STORE", u"BRANCH", u"DEPT",
              u"DEPARTMENT", u"CITY", u"PREF", u"PREFECTURE", u"TOWN", u"COUNTRY", u"TABLE", u"COLUMN", u"FILE",
              u"CATEGORY", u"TYPE", u"STATUS", u"BANK", u"SCHOOL", u"PLAN", u"PROJECT", u"SERVICE", u"HOST",
              u"DOMAIN", u"ZIP", u"POSTAL", u"POST", u"KBN", u"FLG", u"FLAG"}) ||
        (name.contains(u"名") && !has({u"氏名", u"名前", u"姓名"}) && !name.startsWith(u"名"_s) &&
         !QRegularExpression(u"(者|人|客|員|主|様)名"_s).match(name).hasMatch()))
        return std::nullopt;
    const bool kana = has({u"カナ", u"かな", u"フリガナ", u"ふりがな", u"ヨミ", u"よみ"}) ||
                      word({u"KANA", u"KN", u"FURIGANA", u"YOMI"});
    const bool surname =
        (has({u"姓", u"苗字", u"名字"}) && !has({u"姓名"})) || word({u"LAST", u"SURNAME", u"FAMILY", u"SEI"});
    const bool given = name == u"名"_s || name.startsWith(u"名カナ"_s) || name.startsWith(u"名フリガナ"_s) ||
                       word({u"FIRST", u"GIVEN", u"MEI", u"FORENAME"});
    const bool whole = has({u"氏名", u"名前", u"姓名", u"者名", u"人名", u"客名", u"員名", u"主名", u"様名"}) ||
                       word({u"SHIMEI", u"FULLNAME", u"NAMAE"}) ||
                       (word({u"NAME", u"FULL"}) && !surname && !given);
    if (kana)
        return Dictionary(surname && !whole ? 3 : given && !whole ? 4 : 5);
    if (surname)
        return Dictionary(0);
    if (given)
        return Dictionary(1);
    if (whole)
        return Dictionary(2);
    if (has({u"メール", u"めーる"}) || word({u"MAIL", u"EMAIL", u"MAILADDRESS", u"EMAILADDRESS"}))
        return Dictionary(12);
    if (has({u"携帯"}) || word({u"MOBILE", u"CELL", u"KEITAI"}))
        return Dictionary(11);
    if (has({u"電話", u"ＦＡＸ", u"ファクス", u"ファックス"}) || word({u"TEL", u"PHONE", u"FAX", u"TELEPHONE", u"DENWA"}))
        return Dictionary(10);
    if (has({u"住所", u"番地", u"所在地"}) || word({u"ADDRESS", u"ADDR", u"ADDRESS1", u"ADDRESS2", u"JUSHO", u"BANCHI",
                                                   u"STREET"}))
        return Dictionary(8);
    return std::nullopt;
}

std::optional<QString> PersonalByValues(const QStringList& values)
{
    std::array<int, 14> counts{};
    int present = 0;
    for (const QString& value : values) {
        if (value.trimmed().isEmpty())
            continue;
        ++present;
        if (const std::optional<QString> kind = ValueKind(value))
            ++counts[std::size_t(basKovaData::DictionaryNames().indexOf(*kind))];
    }
    // Surnames and given names alone read as names too: the most common wins.
    const auto best = std::max_element(counts.begin(), counts.end());
    int names = 0;
    for (int i = 0; i <= 5; ++i)
        names += counts[std::size_t(i)];
    if (present == 0)
        return std::nullopt;
    if (2 * *best >= present)
        return Dictionary(int(best - counts.begin()));
    // Names of several forms (a surname here, a full name there) together.
    if (2 * names >= present)
        return Dictionary(int(std::max_element(counts.begin(), counts.begin() + 6) - counts.begin()));
    return std::nullopt;
}

}  // namespace generate
