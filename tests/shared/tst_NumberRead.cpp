// label: core
#include "shared/NumberRead.h"

#include <QtTest>

#include <cfloat>

using namespace basKovaData;

class tst_NumberRead : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readNumber_data();
    void readNumber();
    void isNumericText_data();
    void isNumericText();
};

void tst_NumberRead::readNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");

    // whole texts
    QTest::newRow("integer") << QStringLiteral("12") << 12.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("letters") << QStringLiteral("abc") << 0.0;
    QTest::newRow("negative fraction without zero") << QStringLiteral("-.5") << -0.5;
    QTest::newRow("plus sign") << QStringLiteral("+7") << 7.0;
    QTest::newRow("point after digits") << QStringLiteral("1.") << 1.0;
    QTest::newRow("long fraction") << QStringLiteral("3.14159") << 3.14159;
    QTest::newRow("leading zeros") << QStringLiteral("007.50") << 7.5;

    // the number stops at the first character that cannot continue it
    QTest::newRow("trailing letters") << QStringLiteral("12abc") << 12.0;
    QTest::newRow("thousands comma") << QStringLiteral("1,000") << 1.0;
    QTest::newRow("second point") << QStringLiteral("12.34.5") << 12.34;
    QTest::newRow("minus inside") << QStringLiteral("5-3") << 5.0;
    QTest::newRow("double sign") << QStringLiteral("--5") << 0.0;
    QTest::newRow("hex prefix") << QStringLiteral("0x10") << 0.0;
    QTest::newRow("second exponent") << QStringLiteral("1e3e4") << 1000.0;

    // no digits at all
    QTest::newRow("point only") << QStringLiteral(".") << 0.0;
    QTest::newRow("minus only") << QStringLiteral("-") << 0.0;
    QTest::newRow("sign and point") << QStringLiteral("-.") << 0.0;
    QTest::newRow("exponent without mantissa") << QStringLiteral("e5") << 0.0;
    QTest::newRow("point and exponent") << QStringLiteral(".e5") << 0.0;

    // exponents
    QTest::newRow("exponent") << QStringLiteral("1e3") << 1000.0;
    QTest::newRow("capital exponent") << QStringLiteral("2.5E2") << 250.0;
    QTest::newRow("plus exponent") << QStringLiteral("1e+3") << 1000.0;
    QTest::newRow("minus exponent") << QStringLiteral("1.5e-2") << 0.015;
    QTest::newRow("exponent after point") << QStringLiteral("1.e2") << 100.0;
    QTest::newRow("exponent after fraction only") << QStringLiteral(".5e1") << 5.0;
    QTest::newRow("bare e") << QStringLiteral("1e") << 1.0;
    QTest::newRow("e and sign") << QStringLiteral("1e+") << 1.0;
    QTest::newRow("e and letter") << QStringLiteral("4ex") << 4.0;
    QTest::newRow("e and minus and letter") << QStringLiteral("4e-x") << 4.0;

    // blanks are left out wherever they stand
    QTest::newRow("blanks around") << QStringLiteral("  42  ") << 42.0;
    QTest::newRow("blank between digits") << QStringLiteral(" 1 2") << 12.0;
    QTest::newRow("blank after sign") << QStringLiteral("-  5") << -5.0;
    QTest::newRow("tab cr lf") << QStringLiteral("\t1\r\n2") << 12.0;
    QTest::newRow("blanks in exponent") << QStringLiteral("1 e 3") << 1000.0;
    QTest::newRow("blank before point") << QStringLiteral("1 .5") << 1.5;

    // only ASCII digits count
    QTest::newRow("full-width digits") << QStringLiteral("\uFF11\uFF12") << 0.0;
    QTest::newRow("full-width digit after") << QStringLiteral("3\uFF14") << 3.0;
    QTest::newRow("ideographic space") << QStringLiteral("\u30001") << 0.0;

    // range
    QTest::newRow("many digits") << QStringLiteral("123456789012345678901")
        << 1.23456789012345678901e20;
    QTest::newRow("largest exponent") << QStringLiteral("1e308") << 1e308;
    QTest::newRow("overflow") << QStringLiteral("1e999") << DBL_MAX;
    QTest::newRow("negative overflow") << QStringLiteral("-1e999") << -DBL_MAX;
    QTest::newRow("overflow by digits") << (QString(400, QLatin1Char('9'))) << DBL_MAX;
    QTest::newRow("huge exponent") << QStringLiteral("1e99999999999999999999") << DBL_MAX;
    QTest::newRow("underflow") << QStringLiteral("1e-999") << 0.0;
    QTest::newRow("zero with huge exponent") << QStringLiteral("0e999") << 0.0;
    QTest::newRow("small fraction big exponent") << QStringLiteral("0.0001e4") << 1.0;
}

void tst_NumberRead::readNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    const double actual = ReadNumber(text);
    QVERIFY2(std::isfinite(actual), qPrintable(QString::number(actual)));
    QCOMPARE(actual, expected);
}

void tst_NumberRead::isNumericText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    QTest::newRow("integer") << QStringLiteral("12") << true;
    QTest::newRow("blanks and sign") << QStringLiteral(" -5 ") << true;
    QTest::newRow("blank after sign") << QStringLiteral("- 5") << true;
    QTest::newRow("plus") << QStringLiteral("+5") << true;
    QTest::newRow("fraction") << QStringLiteral("0.4") << true;
    QTest::newRow("trailing point") << QStringLiteral("1.") << true;
    QTest::newRow("leading point") << QStringLiteral(".5") << true;
    QTest::newRow("exponent") << QStringLiteral("1e3") << true;
    QTest::newRow("signed exponent") << QStringLiteral("1.5E-07") << true;
    QTest::newRow("tab and newline") << QStringLiteral("\t7\r\n") << true;

    QTest::newRow("letters") << QStringLiteral("abc") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blanks only") << QStringLiteral("   ") << false;
    QTest::newRow("comma") << QStringLiteral("1,000") << false;
    QTest::newRow("point only") << QStringLiteral(".") << false;
    QTest::newRow("sign only") << QStringLiteral("-") << false;
    QTest::newRow("bare e") << QStringLiteral("1e") << false;
    QTest::newRow("e and sign") << QStringLiteral("1e+") << false;
    QTest::newRow("trailing letter") << QStringLiteral("12a") << false;
    QTest::newRow("blank inside digits") << QStringLiteral("1 2") << false;
    QTest::newRow("two points") << QStringLiteral("1.2.3") << false;
    QTest::newRow("two signs") << QStringLiteral("+-1") << false;
    QTest::newRow("sign after number") << QStringLiteral("5-") << false;
    QTest::newRow("exponent only") << QStringLiteral("e3") << false;
    QTest::newRow("point exponent") << QStringLiteral(".e3") << false;
    QTest::newRow("fractional exponent") << QStringLiteral("1e2.5") << false;
    QTest::newRow("full-width digits") << QStringLiteral("\uFF11\uFF12") << false;
}

void tst_NumberRead::isNumericText()
{
    QFETCH(QString, text);
    QFETCH(bool, expected);
    QCOMPARE(IsNumericText(text), expected);
}

QTEST_GUILESS_MAIN(tst_NumberRead)
#include "tst_NumberRead.moc"
