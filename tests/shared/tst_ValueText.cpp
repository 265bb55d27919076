// label: core
#include "shared/ValueText.h"

#include <QtTest>

#include <limits>

using namespace basKovaData;

class tst_ValueText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void flattenSql_data();
    void flattenSql();
    void variantText_data();
    void variantText();
    void nullTexts_data();
    void nullTexts();
};

void tst_ValueText::flattenSql_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("one line") << QStringLiteral("SELECT 1 FROM DUAL")
        << QStringLiteral("SELECT 1 FROM DUAL");
    QTest::newRow("CR LF gives two blanks") << QStringLiteral("a\r\nb") << QStringLiteral("a  b");
    QTest::newRow("LF") << QStringLiteral("a\nb") << QStringLiteral("a b");
    QTest::newRow("CR") << QStringLiteral("a\rb") << QStringLiteral("a b");
    QTest::newRow("only breaks") << QStringLiteral("\r\n\r\n") << QStringLiteral("    ");
    QTest::newRow("tab stays") << QStringLiteral("a\tb\n") << QStringLiteral("a\tb ");
    QTest::newRow("Japanese text kept") << QStringLiteral("表\r\n名") << QStringLiteral("表  名");
}

void tst_ValueText::flattenSql()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(FlattenSql(text), expected);
}

void tst_ValueText::variantText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");

    // NULL
    QTest::newRow("invalid") << QVariant() << QString();
    QTest::newRow("null double") << QVariant(QMetaType::fromType<double>()) << QString();
    QTest::newRow("null text") << QVariant(QMetaType::fromType<QString>()) << QString();

    // double
    QTest::newRow("half") << QVariant(0.5) << QStringLiteral("0.5");
    QTest::newRow("minus quarter") << QVariant(-0.25) << QStringLiteral("-0.25");
    QTest::newRow("12.5") << QVariant(12.5) << QStringLiteral("12.5");
    QTest::newRow("whole") << QVariant(3.0) << QStringLiteral("3");
    QTest::newRow("negative whole") << QVariant(-3.0) << QStringLiteral("-3");
    QTest::newRow("zero") << QVariant(0.0) << QStringLiteral("0");
    QTest::newRow("negative zero") << QVariant(-0.0) << QStringLiteral("0");
    QTest::newRow("15 digits") << QVariant(0.1 + 0.2) << QStringLiteral("0.3");
    QTest::newRow("two thirds") << QVariant(2.0 / 3.0) << QStringLiteral("0.666666666666667");
    QTest::newRow("1E-4 plain") << QVariant(0.0001) << QStringLiteral("0.0001");
    QTest::newRow("1E-5") << QVariant(0.00001) << QStringLiteral("1E-05");
    QTest::newRow("1.5E-7") << QVariant(1.5e-7) << QStringLiteral("1.5E-07");
    QTest::newRow("15 digit integer") << QVariant(123456789012345.0)
        << QStringLiteral("123456789012345");
    QTest::newRow("1E15") << QVariant(1e15) << QStringLiteral("1E+15");
    QTest::newRow("minus 1E15") << QVariant(-1e15) << QStringLiteral("-1E+15");
    QTest::newRow("infinity") << QVariant(std::numeric_limits<double>::infinity())
                              << QStringLiteral("INF");

    // other number types
    QTest::newRow("int") << QVariant(42) << QStringLiteral("42");
    QTest::newRow("negative int") << QVariant(-7) << QStringLiteral("-7");
    QTest::newRow("uint") << QVariant(4000000000U) << QStringLiteral("4000000000");
    QTest::newRow("longlong") << QVariant(qlonglong(123456789012LL))
        << QStringLiteral("123456789012");
    QTest::newRow("longlong beyond 15 digits") << QVariant(qlonglong(1234567890123456LL))
                                               << QStringLiteral("1.23456789012346E+15");
    QTest::newRow("float tenth") << QVariant(0.1f) << QStringLiteral("0.1");
    QTest::newRow("float half") << QVariant(-2.5f) << QStringLiteral("-2.5");

    // bool
    QTest::newRow("true") << QVariant(true) << QStringLiteral("True");
    QTest::newRow("false") << QVariant(false) << QStringLiteral("False");

    // dates
    QTest::newRow("date and time")
        << QVariant(QDateTime(QDate(2001, 12, 31), QTime(23, 59, 59)))
        << QStringLiteral("2001/12/31 23:59:59");
    QTest::newRow("midnight shows the date only")
        << QVariant(QDateTime(QDate(2001, 2, 3), QTime(0, 0, 0))) << QStringLiteral("2001/02/03");
    QTest::newRow("one second after midnight")
        << QVariant(QDateTime(QDate(2001, 2, 3), QTime(0, 0, 1)))
        << QStringLiteral("2001/02/03 00:00:01");
    QTest::newRow("date") << QVariant(QDate(2001, 2, 3)) << QStringLiteral("2001/02/03");

    // raw bytes
    QTest::newRow("bytes") << QVariant(QByteArray::fromHex("0aff")) << QStringLiteral("0AFF");
    QTest::newRow("bytes with zero") << QVariant(QByteArray::fromHex("00107f"))
        << QStringLiteral("00107F");
    QTest::newRow("no bytes") << QVariant(QByteArray()) << QString();

    // texts
    QTest::newRow("text") << QVariant(QStringLiteral("abc")) << QStringLiteral("abc");
    QTest::newRow("text with blanks") << QVariant(QStringLiteral(" x ")) << QStringLiteral(" x ");
    QTest::newRow("number as text kept") << QVariant(QStringLiteral("0.50"))
        << QStringLiteral("0.50");
    QTest::newRow("Japanese text") << QVariant(QStringLiteral("漢字")) << QStringLiteral("漢字");
}

void tst_ValueText::variantText()
{
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(VariantText(value), expected);
}

void tst_ValueText::nullTexts_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("blank");
    QTest::addColumn<QString>("mark");

    const QString null = QStringLiteral("[NULL]");
    QTest::newRow("invalid") << QVariant() << QString() << null;
    // What the SQL layer hands over for a NULL column.
    QTest::newRow("typed null text") << QVariant(QMetaType::fromType<QString>()) << QString()
        << null;
    QTest::newRow("typed null number") << QVariant(QMetaType::fromType<double>()) << QString()
        << null;
    QTest::newRow("typed null date") << QVariant(QMetaType::fromType<QDateTime>()) << QString()
        << null;
    // An empty text is a value, not NULL.
    QTest::newRow("empty text") << QVariant(QString()) << QString() << QString();
    QTest::newRow("blank text") << QVariant(QStringLiteral(" ")) << QStringLiteral(" ")
        << QStringLiteral(" ");
    QTest::newRow("zero") << QVariant(0.0) << QStringLiteral("0") << QStringLiteral("0");
    QTest::newRow("text") << QVariant(QStringLiteral("x")) << QStringLiteral("x")
        << QStringLiteral("x");
    QTest::newRow("date") << QVariant(QDate(2001, 2, 3)) << QStringLiteral("2001/02/03")
                          << QStringLiteral("2001/02/03");
}

void tst_ValueText::nullTexts()
{
    QFETCH(QVariant, value);
    QFETCH(QString, blank);
    QFETCH(QString, mark);
    QCOMPARE(NullToBlank(value), blank);
    QCOMPARE(NullToMark(value), mark);
}

QTEST_GUILESS_MAIN(tst_ValueText)
#include "tst_ValueText.moc"
