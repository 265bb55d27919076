#pragma once
// The facts behind the dictionary kind: common Japanese surnames and given
// names with their readings and romaji, weighted by how common they are;
// prefectures with real municipalities, the first three digits of their
// postal codes and their telephone area codes; words for company names.
// Compiled from public statistics and official place names.
#include <QStringView>

#include <span>

namespace generate::dictionary {

struct Name {
    QStringView kanji;
    QStringView kana;
    QStringView romaji;
    int weight;  // relative frequency
};

struct Municipality {
    int prefecture;  // index into Prefectures()
    QStringView name;
    QStringView postalHead;  // the postal code's first three digits
    QStringView areaCode;    // the telephone area code, with its leading 0
};

std::span<const Name> Surnames();
std::span<const Name> GivenNames();
std::span<const QStringView> Prefectures();
std::span<const Municipality> Municipalities();
// Town names common all over the country (本町, 中央 ...), for addresses.
std::span<const QStringView> Towns();
// The words of company names, and what the company does.
std::span<const QStringView> CompanyStems();
std::span<const QStringView> CompanyTrades();

}  // namespace generate::dictionary
