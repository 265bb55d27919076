// label: core
// Oracle's internal byte forms of statistics' smallest and largest values,
// written by hand from Oracle's description of them; every form read is
// written back byte for byte.
#include "engine/OracleStatBytes.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_OracleStatBytes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // "none" where the bytes are no NUMBER.
    void numbers_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("value");
        QTest::newRow("zero") << u"80"_s << u"0"_s;
        QTest::newRow("one") << u"C102"_s << u"1"_s;
        QTest::newRow("a thousand") << u"C20B"_s << u"1000"_s;
        QTest::newRow("one and a half") << u"C10233"_s << u"1.5"_s;
        QTest::newRow("six digits") << u"C30D2339"_s << u"123456"_s;
        QTest::newRow("a hundredth") << u"C002"_s << u"0.01"_s;
        QTest::newRow("minus one") << u"3E6466"_s << u"-1"_s;
        QTest::newRow("minus one and a half") << u"3E643366"_s << u"-1.5"_s;
        QTest::newRow("minus six digits") << u"3C59432D66"_s << u"-123456"_s;
        QTest::newRow("lower-case digits") << u"c102"_s << u"1"_s;
        QTest::newRow("nothing") << QString() << u"none"_s;
        QTest::newRow("no digit") << u"C1"_s << u"none"_s;
        QTest::newRow("digit past 99") << u"C165"_s << u"none"_s;
        QTest::newRow("digit below 0") << u"C100"_s << u"none"_s;
        QTest::newRow("first digit 0") << u"C10102"_s << u"none"_s;
        QTest::newRow("zero with more") << u"8001"_s << u"none"_s;
        QTest::newRow("minus infinity") << u"00"_s << u"none"_s;
        QTest::newRow("plus infinity") << u"FF65"_s << u"none"_s;
        QTest::newRow("odd hex") << u"C10"_s << u"none"_s;
        QTest::newRow("not hex") << u"ZZ"_s << u"none"_s;
    }
    void numbers()
    {
        QFETCH(QString, hex);
        const std::optional<QByteArray> bytes = oraclebytes::FromHex(hex);
        const std::optional<double> value = bytes ? oraclebytes::Number(*bytes) : std::nullopt;
        QTEST(value ? QString::number(*value, 'g', 17) : u"none"_s, "value");
        if (value)
            QCOMPARE(oraclebytes::ToHex(oraclebytes::NumberBytes(*value)), hex.toUpper());
    }

    void dates_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("value");
        QTest::newRow("DATE") << u"787C010F0B151F"_s << u"2024-01-15 10:20:30.000"_s;
        QTest::newRow("last second of 1998") << u"77C60C1F183C3C"_s << u"1998-12-31 23:59:59.000"_s;
        QTest::newRow("TIMESTAMP with its nanoseconds") << u"787C010F0B151F1DCD6500"_s << u"2024-01-15 10:20:30.500"_s;
        QTest::newRow("month 13") << u"787C0D01010101"_s << u"none"_s;
        QTest::newRow("hour 24") << u"787C01011901 01"_s.remove(u' ') << u"none"_s;
        QTest::newRow("year 0") << u"64640101010101"_s << u"none"_s;
        QTest::newRow("before Christ") << u"63640101010101"_s << u"none"_s;
        QTest::newRow("too short") << u"787C010F0B15"_s << u"none"_s;
        QTest::newRow("nanoseconds past a second") << u"787C010F0B151FFFFFFFFF"_s << u"none"_s;
    }
    void dates()
    {
        QFETCH(QString, hex);
        const std::optional<QByteArray> bytes = oraclebytes::FromHex(hex);
        const std::optional<QDateTime> value = bytes ? oraclebytes::Date(*bytes) : std::nullopt;
        QTEST(value ? value->toString(u"yyyy-MM-dd HH:mm:ss.zzz"_s) : u"none"_s, "value");
        if (value)
            QCOMPARE(oraclebytes::ToHex(oraclebytes::DateBytes(*value)), hex);
    }

    void texts_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<bool>("utf8");
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII") << u"414243"_s << true << u"ABC"_s;
        QTest::newRow("UTF-8") << u"E69DB1E4BAAC"_s << true << u"東京"_s;
        QTest::newRow("code page 932") << u"938C8B9E"_s << false << u"東京"_s;
    }
    void texts()
    {
        QFETCH(QString, hex);
        QFETCH(bool, utf8);
        QFETCH(QString, text);
        QCOMPARE(oraclebytes::Text(oraclebytes::FromHex(hex).value_or(QByteArray()), utf8), text);
        if (utf8)
            QCOMPARE(oraclebytes::ToHex(oraclebytes::TextBytes(text)), hex);
    }
};

QTEST_GUILESS_MAIN(tst_OracleStatBytes)
#include "tst_OracleStatBytes.moc"
