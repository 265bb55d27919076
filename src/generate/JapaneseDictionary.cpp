#include "generate/JapaneseDictionary.h"

#include "generate/DictionaryData.h"
#include "rules/ColumnRule.h"
#include "shared/RandomSequence.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <vector>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

namespace data = generate::dictionary;

// `number` as `digits` decimal digits with leading zeros.
QString Digits(int number, int digits)
{
    return QString::number(number).rightJustified(digits, u'0');
}

QString Concat(std::initializer_list<QStringView> parts)
{
    QString text;
    for (const QStringView part : parts)
        text += part;
    return text;
}

int PowerOfTen(int exponent)
{
    int value = 1;
    for (int i = 0; i < exponent; ++i)
        value *= 10;
    return value;
}

}  // namespace

int DictionaryRow::Draw(Part part, int n)
{
    int index = 0;
    if (part == Part::Person)
        index = m_personDraws++;
    else if (part == Part::Place)
        index = m_placeDraws++;
    const double r = draw ? draw(part, index) : double(basKovaData::NextRandom());
    return std::min(n - 1, int(std::floor(r * n)));
}

template <typename Names>
int DictionaryRow::DrawWeighted(const Names& names)
{
    int total = 0;
    for (const data::Name& name : names)
        total += name.weight;
    int left = Draw(Part::Person, total);
    for (std::size_t i = 0; i < names.size(); ++i) {
        left -= names[i].weight;
        if (left < 0)
            return int(i);
    }
    return int(names.size()) - 1;
}

void DictionaryRow::redraw(int dictionary)
{
    if (dictionary <= 5 || dictionary == 12)
        m_person.reset();
    else if (dictionary <= 10)
        m_place.reset();
}

double DictionaryRow::DistinctCount(int dictionary)
{
    const double surnames = double(data::Surnames().size());
    const double given = double(data::GivenNames().size());
    const double cities = double(data::Municipalities().size());
    switch (dictionary) {
    case 0:
    case 3:
        return surnames;
    case 1:
    case 4:
        return given;
    case 2:
    case 5:
        return surnames * given;
    case 6:
        return double(data::Prefectures().size());
    case 7:
        return cities;
    case 8:
        return cities * double(data::Towns().size()) * 9 * 30 * 20;
    case 9:
    case 10:
        return cities * 10000.0 * (dictionary == 10 ? 10000.0 : 1.0);
    case 11:
        return 3 * 1.0e8;
    case 12:
        return surnames * given * 51;  // numbers 50 to 99, or none
    case 13:
        return double(data::CompanyStems().size()) * double(data::CompanyTrades().size()) * 4;
    default:
        return 0;
    }
}

const DictionaryRow::Person& DictionaryRow::person()
{
    if (!m_person) {
        // One after the other: the order of a braced list is the order drawn.
        const int surname = DrawWeighted(data::Surnames());
        const int given = DrawWeighted(data::GivenNames());
        m_person = Person{surname, given, Draw(Part::Person, 100)};
    }
    return *m_person;
}

const DictionaryRow::Place& DictionaryRow::place()
{
    if (!m_place) {
        Place drawn;
        constexpr Part At = Part::Place;
        drawn.municipality = Draw(At, int(data::Municipalities().size()));
        drawn.town = Draw(At, int(data::Towns().size()));
        drawn.block[0] = 1 + Draw(At, 9);
        drawn.block[1] = 1 + Draw(At, 30);
        drawn.block[2] = 1 + Draw(At, 20);
        drawn.postal = Draw(At, 10000);
        drawn.exchange = Draw(At, 10000);
        drawn.line = Draw(At, 10000);
        m_place = drawn;
    }
    return *m_place;
}

QString DictionaryRow::value(const QString& dictionary)
{
    return value(int(basKovaData::DictionaryNames().indexOf(dictionary)));
}

QString DictionaryRow::value(int index)
{
    if (index < 0 || index >= basKovaData::DictionaryNames().size())
        return QString();
    if (index <= 5) {
        const data::Name& surname = data::Surnames()[std::size_t(person().surname)];
        const data::Name& given = data::GivenNames()[std::size_t(person().given)];
        switch (index) {
        case 0:
            return surname.kanji.toString();
        case 1:
            return given.kanji.toString();
        case 2:
            return Concat({surname.kanji, u" ", given.kanji});
        case 3:
            return surname.kana.toString();
        case 4:
            return given.kana.toString();
        default:
            return Concat({surname.kana, u" ", given.kana});
        }
    }
    if (index <= 10) {
        const Place& at = place();
        const data::Municipality& city = data::Municipalities()[std::size_t(at.municipality)];
        const QStringView prefecture = data::Prefectures()[std::size_t(city.prefecture)];
        switch (index) {
        case 6:
            return prefecture.toString();
        case 7:
            return city.name.toString();
        case 8:
            return Concat({prefecture, city.name, data::Towns()[std::size_t(at.town)]}) + QString::number(at.block[0])
                   + u'-' + QString::number(at.block[1]) + u'-' + QString::number(at.block[2]);
        case 9:
            return Concat({city.postalHead, u"-"}) + Digits(at.postal, 4);
        default: {
            // Ten digits in all: the area code (with its 0), the exchange,
            // which starts with 2 to 9, and four more.
            const int unit = PowerOfTen(5 - int(city.areaCode.size()));
            const int exchange = 2 * unit + at.exchange % (8 * unit);
            return Concat({city.areaCode, u"-"}) + QString::number(exchange) + u"-"_s + Digits(at.line, 4);
        }
        }
    }
    switch (index) {
    case 11:
        // 070, 080 or 090, then eight digits.
    {
        const int kind = Draw(Part::Own, 3);
        const int exchange = Draw(Part::Own, 10000);
        const int line = Draw(Part::Own, 10000);
        return u"0"_s + QString::number(7 + kind) + u"0-"_s + Digits(exchange, 4) + u"-"_s + Digits(line, 4);
    }
    case 12: {
        const data::Name& surname = data::Surnames()[std::size_t(person().surname)];
        const data::Name& given = data::GivenNames()[std::size_t(person().given)];
        QString mail = Concat({given.romaji, u".", surname.romaji});
        if (person().mailNumber >= 50)
            mail += QString::number(person().mailNumber);
        return mail + (person().mailNumber % 2 == 0 ? u"@example.jp"_s : u"@example.com"_s);
    }
    default: {
        const int stem = Draw(Part::Own, int(data::CompanyStems().size()));
        const int trade = Draw(Part::Own, int(data::CompanyTrades().size()));
        const QString name = Concat({data::CompanyStems()[std::size_t(stem)], data::CompanyTrades()[std::size_t(trade)]});
        const int form = Draw(Part::Own, 20);
        if (form < 12)
            return u"株式会社"_s + name;
        if (form < 17)
            return name + u"株式会社"_s;
        return form < 19 ? name + u"有限会社"_s : u"合同会社"_s + name;
    }
    }
}

}  // namespace generate
