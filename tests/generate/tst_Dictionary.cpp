// label: core
// The dictionary kind's values: their shapes, one person and one place per
// row, cutting to the column as the database counts, the same rows from the
// same start.
#include "generate/ColumnLength.h"
#include "generate/DictionaryData.h"
#include "generate/JapaneseDictionary.h"
#include "rules/ColumnRule.h"
#include "shared/RandomSequence.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Every dictionary's value for `rows` rows, one map per row.
QList<QHash<QString, QString>> Rows(int rows)
{
    generate::DictionaryRow row;
    QList<QHash<QString, QString>> values;
    for (int i = 0; i < rows; ++i) {
        row.reset();
        QHash<QString, QString> one;
        for (const QString& name : basKovaData::DictionaryNames())
            one.insert(name, row.value(name));
        values << one;
    }
    return values;
}

}  // namespace

class tst_Dictionary : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { basKovaData::ResetRandom(); }

    void shapes_data()
    {
        QTest::addColumn<QString>("dictionary");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("姓カナ") << u"姓カナ"_s << u"^[ァ-ヶー]+$"_s;
        QTest::newRow("郵便番号") << u"郵便番号"_s << u"^\\d{3}-\\d{4}$"_s;
        QTest::newRow("電話番号") << u"電話番号"_s << u"^(?=(\\D*\\d){10}$)0\\d{0,3}-[2-9]\\d{0,3}-\\d{4}$"_s;
        QTest::newRow("携帯電話番号") << u"携帯電話番号"_s << u"^0[789]0-\\d{4}-\\d{4}$"_s;
        QTest::newRow("会社名") << u"会社名"_s << u"^(株式会社|合同会社).+|.+(株式会社|有限会社)$"_s;
        QTest::newRow("都道府県") << u"都道府県"_s << u"^.{2,3}[都道府県]$"_s;
    }
    void shapes()
    {
        QFETCH(QString, dictionary);
        QFETCH(QString, pattern);
        const QRegularExpression shape(pattern);
        QSet<QString> distinct;
        for (const auto& row : Rows(300)) {
            QVERIFY2(shape.match(row[dictionary]).hasMatch(), qPrintable(row[dictionary]));
            distinct.insert(row[dictionary]);
        }
        QVERIFY(distinct.size() > 20 || dictionary == u"都道府県"_s);
    }

    // Names, readings and the mail address belong to one person; the
    // address, prefecture, municipality, postal code and landline to one place.
    void oneRowOnePersonAndPlace()
    {
        using namespace generate::dictionary;
        for (const auto& row : Rows(300)) {
            QCOMPARE(row[u"氏名"_s], row[u"姓"_s] + u" "_s + row[u"名"_s]);
            QCOMPARE(row[u"氏名カナ"_s], row[u"姓カナ"_s] + u" "_s + row[u"名カナ"_s]);
            const auto surname = std::find_if(Surnames().begin(), Surnames().end(),
                                              [&row](const Name& n) { return n.kanji == row[u"姓"_s]; });
            const auto given = std::find_if(GivenNames().begin(), GivenNames().end(),
                                            [&row](const Name& n) { return n.kanji == row[u"名"_s]; });
            QVERIFY(surname != Surnames().end() && given != GivenNames().end());
            QCOMPARE(surname->kana, QStringView(row[u"姓カナ"_s]));
            QVERIFY2(row[u"メールアドレス"_s].startsWith(given->romaji.toString() + u"."_s + surname->romaji.toString()),
                     qPrintable(row[u"メールアドレス"_s]));
            QVERIFY(row[u"メールアドレス"_s].endsWith(u"@example.jp"_s) || row[u"メールアドレス"_s].endsWith(u"@example.com"_s));

            const auto city = std::find_if(Municipalities().begin(), Municipalities().end(),
                                           [&row](const Municipality& m) { return m.name == row[u"市区町村"_s]; });
            QVERIFY(city != Municipalities().end());
            QCOMPARE(Prefectures()[std::size_t(city->prefecture)], QStringView(row[u"都道府県"_s]));
            QVERIFY(row[u"住所"_s].startsWith(row[u"都道府県"_s] + row[u"市区町村"_s]));
            QVERIFY(row[u"郵便番号"_s].startsWith(city->postalHead.toString() + u"-"_s));
            QVERIFY(row[u"電話番号"_s].startsWith(city->areaCode.toString() + u"-"_s));
        }
    }

    void sameStartSameRows()
    {
        const auto first = Rows(50);
        basKovaData::ResetRandom();
        QCOMPARE(Rows(50), first);
    }

    // A value cut to the column's length as the database counts it: code
    // page 932 bytes (the embedded engine), UTF-8 bytes (a server), or
    // characters (a length in CHAR); never inside a character.
    void fit_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QString>("unit");  // cp932, utf8 or char
        QTest::addColumn<QString>("fitted");
        const QString name = u"山田 太郎"_s;
        QTest::newRow("fits") << name << 9 << u"cp932"_s << name;
        QTest::newRow("no length") << name << 0 << u"cp932"_s << name;
        QTest::newRow("cut between characters") << name << 7 << u"cp932"_s << u"山田 太"_s;
        QTest::newRow("never inside one") << name << 8 << u"cp932"_s << u"山田 太"_s;
        QTest::newRow("half-width kana one byte each") << u"ﾔﾏﾀﾞ"_s << 3 << u"cp932"_s << u"ﾔﾏﾀ"_s;
        QTest::newRow("UTF-8 fits") << name << 13 << u"utf8"_s << name;
        QTest::newRow("UTF-8 three bytes a kanji") << name << 12 << u"utf8"_s << u"山田 太"_s;
        QTest::newRow("UTF-8 never inside one, no blank left") << name << 9 << u"utf8"_s << u"山田"_s;
        QTest::newRow("UTF-8 half-width kana") << u"ﾔﾏﾀﾞ"_s << 7 << u"utf8"_s << u"ﾔﾏ"_s;
        QTest::newRow("characters") << name << 4 << u"char"_s << u"山田 太"_s;
        QTest::newRow("characters fit") << name << 5 << u"char"_s << name;
        QTest::newRow("outside the plane is one character") << u"😀😀x"_s << 2 << u"char"_s << u"😀😀"_s;
    }
    void fit()
    {
        QFETCH(QString, value);
        QFETCH(int, limit);
        QFETCH(QString, unit);
        QFETCH(QString, fitted);
        generate::LengthMeasure measure;
        measure.limit = limit;
        measure.characters = unit == u"char"_s;
        measure.utf8 = unit == u"utf8"_s;
        QCOMPARE(measure.Fit(value), fitted);
        QVERIFY(limit < 1 || measure.Of(fitted) <= limit);
    }
};

QTEST_GUILESS_MAIN(tst_Dictionary)
#include "tst_Dictionary.moc"
