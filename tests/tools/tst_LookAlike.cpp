// label: engine
// Look-alike data on the server: a skewed source of our own, profiled from
// its rows or from pg_stats alone, generated at scale 1 by the project that
// kova-generate --profile writes, keeps the source's figures and the plans
// of ten queries (bench_lookalike measures the same at a million rows).
#include "support/LookAlike.h"
#include "support/ServerSupport.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace kovatest;

class tst_LookAlike : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keepsTheSourcesFigures_data()
    {
        QTest::addColumn<bool>("statisticsOnly");
        QTest::newRow("from the rows") << false;
        QTest::newRow("from the statistics alone") << true;
    }
    void keepsTheSourcesFigures()
    {
        KOVA_NEED_SERVER();
        QFETCH(bool, statisticsOnly);
        const LookAlikeResult result = MeasureLookAlike(50000, statisticsOnly);
        QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
        if (!result.past.isEmpty())
            for (const QString& figure : result.figures)
                qWarning("%s", qUtf8Printable(figure));
        QVERIFY2(result.past.isEmpty(), qPrintable(result.past.join(u", "_s)));
        QVERIFY(result.figures.size() > 20);
        // Statistics hold no pairs: only the rows give them.
        QCOMPARE(result.pairsKept, !statisticsOnly);
        QVERIFY2(result.samePlans >= 9, qPrintable(result.otherPlans.join(u'\n')));
    }
};

QTEST_MAIN(tst_LookAlike)
#include "tst_LookAlike.moc"
