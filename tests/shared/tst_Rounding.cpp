// label: core
#include "shared/Rounding.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace basKovaData;

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();
}  // namespace

class tst_Rounding : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundHalfEven_data();
    void roundHalfEven();
    void roundHalfEvenNonFinite();
    void roundToInt16_data();
    void roundToInt16();
    void roundToInt32_data();
    void roundToInt32();
};

void tst_Rounding::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");

    QTest::newRow("2.5 down to even") << 2.5 << 2.0;
    QTest::newRow("3.5 up to even") << 3.5 << 4.0;
    QTest::newRow("1.5 up to even") << 1.5 << 2.0;
    QTest::newRow("0.5 down to zero") << 0.5 << 0.0;
    QTest::newRow("-0.5 to zero") << -0.5 << 0.0;
    QTest::newRow("-1.5 to -2") << -1.5 << -2.0;
    QTest::newRow("-2.5 to -2") << -2.5 << -2.0;
    QTest::newRow("-3.5 to -4") << -3.5 << -4.0;
    QTest::newRow("1234.5") << 1234.5 << 1234.0;
    QTest::newRow("1235.5") << 1235.5 << 1236.0;
    QTest::newRow("below half") << 2.4 << 2.0;
    QTest::newRow("above half") << 2.6 << 3.0;
    QTest::newRow("negative below half") << -2.4 << -2.0;
    QTest::newRow("negative above half") << -2.6 << -3.0;
    // The largest double below 0.5: adding 0.5 and flooring would give 1.
    QTest::newRow("just below half") << 0.49999999999999994 << 0.0;
    QTest::newRow("just above half") << 0.5000000000000001 << 1.0;
    QTest::newRow("zero") << 0.0 << 0.0;
    QTest::newRow("whole number") << 7.0 << 7.0;
    // From 2^52 on every double is whole; 2^52 + 1 must not move.
    QTest::newRow("2^52 + 1") << 4503599627370497.0 << 4503599627370497.0;
    QTest::newRow("2^52 - 0.5") << 4503599627370495.5 << 4503599627370496.0;
    QTest::newRow("huge") << 1e300 << 1e300;
}

void tst_Rounding::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(double, expected);
    QCOMPARE(RoundHalfEven(value), expected);
}

void tst_Rounding::roundHalfEvenNonFinite()
{
    QVERIFY(std::isnan(RoundHalfEven(NaN)));
    QCOMPARE(RoundHalfEven(Inf), Inf);
    QCOMPARE(RoundHalfEven(-Inf), -Inf);
}

void tst_Rounding::roundToInt16_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<int>("expected");

    QTest::newRow("zero") << 0.0 << true << 0;
    QTest::newRow("half to even zero") << 0.5 << true << 0;
    QTest::newRow("half to even two") << 1.5 << true << 2;
    QTest::newRow("top minus a bit") << 32767.4 << true << 32767;
    QTest::newRow("top exact") << 32767.0 << true << 32767;
    QTest::newRow("half below top to even") << 32766.5 << true << 32766;
    QTest::newRow("half above top") << 32767.5 << false << 0;
    QTest::newRow("just over") << 32768.0 << false << 0;
    QTest::newRow("bottom exact") << -32768.0 << true << -32768;
    QTest::newRow("half below bottom to even") << -32768.5 << true << -32768;
    QTest::newRow("rounds below bottom") << -32768.6 << false << 0;
    QTest::newRow("below bottom") << -32769.0 << false << 0;
    QTest::newRow("far out") << 1e10 << false << 0;
    QTest::newRow("not a number") << NaN << false << 0;
    QTest::newRow("infinity") << Inf << false << 0;
    QTest::newRow("minus infinity") << -Inf << false << 0;
}

void tst_Rounding::roundToInt16()
{
    QFETCH(double, value);
    QFETCH(bool, fits);
    QFETCH(int, expected);
    const std::optional<qint16> result = RoundToInt16(value);
    QCOMPARE(result.has_value(), fits);
    if (fits)
        QCOMPARE(static_cast<int>(*result), expected);
}

void tst_Rounding::roundToInt32_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<qint64>("expected");

    QTest::newRow("negative half to even") << -2.5 << true << qint64(-2);
    QTest::newRow("beyond int16") << 40000.5 << true << qint64(40000);
    QTest::newRow("top minus a bit") << 2147483647.4 << true << qint64(2147483647);
    QTest::newRow("half below top to even") << 2147483646.5 << true << qint64(2147483646);
    QTest::newRow("half above top") << 2147483647.5 << false << qint64(0);
    QTest::newRow("just over") << 2147483648.0 << false << qint64(0);
    QTest::newRow("bottom exact") << -2147483648.0 << true << qint64(-2147483648LL);
    QTest::newRow("half below bottom to even") << -2147483648.5 << true << qint64(-2147483648LL);
    QTest::newRow("rounds below bottom") << -2147483648.6 << false << qint64(0);
    QTest::newRow("not a number") << NaN << false << qint64(0);
    QTest::newRow("infinity") << Inf << false << qint64(0);
    QTest::newRow("minus infinity") << -Inf << false << qint64(0);
}

void tst_Rounding::roundToInt32()
{
    QFETCH(double, value);
    QFETCH(bool, fits);
    QFETCH(qint64, expected);
    const std::optional<qint32> result = RoundToInt32(value);
    QCOMPARE(result.has_value(), fits);
    if (fits)
        QCOMPARE(static_cast<qint64>(*result), expected);
}

QTEST_GUILESS_MAIN(tst_Rounding)
#include "tst_Rounding.moc"
