// label: core
#include "shared/NumberText.h"

#include <QtTest>

#include <cfloat>
#include <clocale>
#include <limits>

using namespace basKovaData;

class tst_NumberText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void numberText_data();
    void numberText();
    void numberTextIgnoresCommaLocale();
    void fill_data();
    void fill();
};

void tst_NumberText::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << 0.0 << QStringLiteral(" 0");
    QTest::newRow("negative zero") << -0.0 << QStringLiteral(" 0");
    QTest::newRow("three") << 3.0 << QStringLiteral(" 3");
    QTest::newRow("minus three") << -3.0 << QStringLiteral("-3");
    QTest::newRow("hundred") << 100.0 << QStringLiteral(" 100");
    QTest::newRow("12.5") << 12.5 << QStringLiteral(" 12.5");
    QTest::newRow("zero inside kept") << 10.5 << QStringLiteral(" 10.5");
    QTest::newRow("zeros after point kept") << 100.05 << QStringLiteral(" 100.05");

    // no zero before the point
    QTest::newRow("half") << 0.5 << QStringLiteral(" .5");
    QTest::newRow("minus quarter") << -0.25 << QStringLiteral("-.25");
    QTest::newRow("0.1 + 0.2 at 15 digits") << (0.1 + 0.2) << QStringLiteral(" .3");
    QTest::newRow("two thirds") << (2.0 / 3.0) << QStringLiteral(" .666666666666667");
    QTest::newRow("minus two thirds") << (-2.0 / 3.0) << QStringLiteral("-.666666666666667");
    QTest::newRow("1E-4 still plain") << 0.0001 << QStringLiteral(" .0001");
    QTest::newRow("plain with digits") << 0.00012345 << QStringLiteral(" .00012345");

    // exponent form below 1E-4 and from 1E15 on
    QTest::newRow("1E-5") << 0.00001 << QStringLiteral(" 1E-05");
    QTest::newRow("minus 1E-5") << -0.00001 << QStringLiteral("-1E-05");
    QTest::newRow("1.5E-7") << 1.5e-7 << QStringLiteral(" 1.5E-07");
    QTest::newRow("1E-300") << 1e-300 << QStringLiteral(" 1E-300");
    QTest::newRow("15 digits plain") << 123456789012345.0 << QStringLiteral(" 123456789012345");
    QTest::newRow("largest 15 nines") << 999999999999999.0 << QStringLiteral(" 999999999999999");
    QTest::newRow("1E14 plain") << 1e14 << QStringLiteral(" 100000000000000");
    QTest::newRow("1E15") << 1e15 << QStringLiteral(" 1E+15");
    QTest::newRow("minus 1E15") << -1e15 << QStringLiteral("-1E+15");
    QTest::newRow("16 digits rounded") << 1234567890123456.0
        << QStringLiteral(" 1.23456789012346E+15");
    QTest::newRow("rounds up into exponent") << 999999999999999.9 << QStringLiteral(" 1E+15");
    QTest::newRow("1E100") << 1e100 << QStringLiteral(" 1E+100");
    QTest::newRow("smallest denormal") << std::numeric_limits<double>::denorm_min()
                                        << QStringLiteral(" 4.94065645841247E-324");

    // values that are no numbers
    QTest::newRow("largest") << DBL_MAX << QStringLiteral(" 1.79769313486232E+308");
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity()
                              << QStringLiteral(" 1.79769313486232E+308");
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity()
                                    << QStringLiteral("-1.79769313486232E+308");
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN()
        << QStringLiteral(" 0");
}

void tst_NumberText::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(NumberText(value), expected);
}

void tst_NumberText::numberTextIgnoresCommaLocale()
{
    // A desktop session may run with a decimal comma; generated numbers must
    // still use the point.
    const char* const candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"};
    const QByteArray previous = std::setlocale(LC_NUMERIC, nullptr);
    const char* chosen = nullptr;
    for (const char* name : candidates) {
        if (std::setlocale(LC_NUMERIC, name)) {
            chosen = name;
            break;
        }
    }
    if (!chosen)
        QSKIP("no locale with a decimal comma is installed");
    const QString text = NumberText(12.5);
    const QString small = NumberText(1.5e-7);
    std::setlocale(LC_NUMERIC, previous.constData());
    QCOMPARE(text, QStringLiteral(" 12.5"));
    QCOMPARE(small, QStringLiteral(" 1.5E-07"));
}

void tst_NumberText::fill_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("zeros");
    QTest::addColumn<QString>("blanks");

    QTest::newRow("one in 6") << 1.0 << 6 << QStringLiteral("000001") << QStringLiteral("     1");
    QTest::newRow("42 in 6") << 42.0 << 6 << QStringLiteral("000042") << QStringLiteral("    42");
    QTest::newRow("negative") << -5.0 << 5 << QStringLiteral("000-5") << QStringLiteral("   -5");
    QTest::newRow("fraction") << 0.5 << 5 << QStringLiteral("000.5") << QStringLiteral("   .5");
    QTest::newRow("zero") << 0.0 << 3 << QStringLiteral("000") << QStringLiteral("  0");
    QTest::newRow("exact width") << 12345.0 << 5 << QStringLiteral("12345")
        << QStringLiteral("12345");
    QTest::newRow("cut to width") << 12345.0 << 3 << QStringLiteral("123") << QStringLiteral("123");
    QTest::newRow("negative cut") << -0.25 << 3 << QStringLiteral("-.2") << QStringLiteral("-.2");
    QTest::newRow("exponent cut") << 1e15 << 4 << QStringLiteral("1E+1") << QStringLiteral("1E+1");
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 2
                                  << QStringLiteral("00") << QStringLiteral(" 0");
    QTest::newRow("width 1") << 7.0 << 1 << QStringLiteral("7") << QStringLiteral("7");
    QTest::newRow("width 0") << 7.0 << 0 << QString() << QString();
    QTest::newRow("negative width") << 7.0 << -3 << QString() << QString();
}

void tst_NumberText::fill()
{
    QFETCH(double, value);
    QFETCH(int, width);
    QFETCH(QString, zeros);
    QFETCH(QString, blanks);
    QCOMPARE(ZeroFill(value, width), zeros);
    QCOMPARE(BlankFill(value, width), blanks);
}

QTEST_GUILESS_MAIN(tst_NumberText)
#include "tst_NumberText.moc"
