// label: core
#include "shared/RandomSequence.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <set>

using namespace basKovaData;

// The generator's first five values from its start state, worked out by hand
// from state 0x50000, state = (state * 1140671485 + 12820163) mod 2^24:
// 11837123, 8949370, 9722709, 4858052, 5065847 (each divided by 2^24).
static const double KnownValues[] = {0.7055475, 0.5334240, 0.5795186, 0.2895625, 0.3019480};

class tst_RandomSequence : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ResetRandom(); }

    void firstValues_data();
    void firstValues();
    void resetRestartsMidSequence();
    void fullPeriodStaysBelowOne();
    void stepsFromKnownDraws_data();
    void stepsFromKnownDraws();
    void stepsStayOnGrid_data();
    void stepsStayOnGrid();
    void zeroStepStillDraws();
};

void tst_RandomSequence::firstValues_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < 5; ++i)
        QTest::addRow("value %d", i + 1) << i;
}

void tst_RandomSequence::firstValues()
{
    QFETCH(int, index);
    float value = 0;
    for (int i = 0; i <= index; ++i)
        value = NextRandom();
    QVERIFY2(std::abs(static_cast<double>(value) - KnownValues[index]) < 1e-6,
             qPrintable(QString::number(static_cast<double>(value), 'g', 10)));
}

void tst_RandomSequence::resetRestartsMidSequence()
{
    for (int i = 0; i < 17; ++i)
        NextRandom();
    ResetRandom();
    for (const double expected : KnownValues)
        QVERIFY(std::abs(static_cast<double>(NextRandom()) - expected) < 1e-6);
}

void tst_RandomSequence::fullPeriodStaysBelowOne()
{
    // The generator runs through all 2^24 states before it repeats: the least
    // value is 0, the greatest (2^24 - 1) / 2^24, and draw 2^24 + 1 equals draw 1.
    const float first = NextRandom();
    float least = first;
    float greatest = first;
    for (int i = 1; i < (1 << 24); ++i) {
        const float value = NextRandom();
        least = std::min(least, value);
        greatest = std::max(greatest, value);
    }
    QCOMPARE(least, 0.0f);
    QVERIFY(greatest < 1.0f);
    QCOMPARE(static_cast<double>(greatest), 16777215.0 / 16777216.0);
    QCOMPARE(NextRandom(), first);
}

void tst_RandomSequence::stepsFromKnownDraws_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("unit");
    QTest::addColumn<QList<double>>("expected");

    // floor(((max - min) + unit) / unit * r) * unit for the five known draws.
    // 0..9 step 1: floor(10 r) of .7055, .5334, .5795, .2896, .3019.
    QTest::newRow("digit") << 0.0 << 9.0 << 1.0 << QList<double>{7, 5, 5, 2, 3};
    // -5..5 step 1: floor(11 r) of 7.761, 5.868, 6.375, 3.185, 3.321.
    QTest::newRow("around zero") << -5.0 << 5.0 << 1.0 << QList<double>{7, 5, 6, 3, 3};
    // 10..20 step 5: three steps, floor(3 r) of 2.117, 1.600, 1.739, .869, .906.
    QTest::newRow("step 5") << 10.0 << 20.0 << 5.0 << QList<double>{10, 5, 5, 0, 0};
    // 0..1 step .25: five steps, floor(5 r) of 3.528, 2.667, 2.898, 1.448, 1.510.
    QTest::newRow("quarters") << 0.0 << 1.0 << 0.25 << QList<double>{0.75, 0.5, 0.5, 0.25, 0.25};
    // 0..99: floor(100 r) of 70.55, 53.34, 57.95, 28.96, 30.19.
    QTest::newRow("percent") << 0.0 << 99.0 << 1.0 << QList<double>{70, 53, 57, 28, 30};
}

void tst_RandomSequence::stepsFromKnownDraws()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, unit);
    QFETCH(QList<double>, expected);
    QList<double> actual;
    for (qsizetype i = 0; i < expected.size(); ++i)
        actual.append(RandomSteps(min, max, unit));
    QCOMPARE(actual, expected);
}

void tst_RandomSequence::stepsStayOnGrid_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("unit");
    QTest::addColumn<QList<double>>("grid");

    QTest::newRow("10 to 20 by 5") << 10.0 << 20.0 << 5.0 << QList<double>{10, 15, 20};
    QTest::newRow("0 to 1 by quarters") << 0.0 << 1.0 << 0.25
                                        << QList<double>{0, 0.25, 0.5, 0.75, 1};
    QTest::newRow("dice") << 1.0 << 6.0 << 1.0 << QList<double>{1, 2, 3, 4, 5, 6};
    QTest::newRow("negative range") << -3.0 << -1.0 << 1.0 << QList<double>{-3, -2, -1};
    QTest::newRow("single value") << 4.0 << 4.0 << 1.0 << QList<double>{4};
}

void tst_RandomSequence::stepsStayOnGrid()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(double, unit);
    QFETCH(QList<double>, grid);
    std::set<double> seen;
    for (int i = 0; i < 3000; ++i) {
        const double value = min + RandomSteps(min, max, unit);
        QVERIFY2(grid.contains(value), qPrintable(QString::number(value)));
        seen.insert(value);
    }
    // 3000 draws reach every point of so small a grid.
    QCOMPARE(seen.size(), static_cast<size_t>(grid.size()));
}

void tst_RandomSequence::zeroStepStillDraws()
{
    // A zero step gives no offset, but the draw is used up like any other.
    QCOMPARE(RandomSteps(1.0, 5.0, 0.0), 0.0);
    QVERIFY(std::abs(static_cast<double>(NextRandom()) - KnownValues[1]) < 1e-6);
}

QTEST_GUILESS_MAIN(tst_RandomSequence)
#include "tst_RandomSequence.moc"
