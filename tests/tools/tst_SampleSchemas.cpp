// label: engine
// Oracle's published sample schemas, their install scripts unchanged, through
// the console on the embedded engine: no statement refused, the dictionary
// holding what the scripts declare, and 自動設定 filling every table, parents
// first.
#include "GenerateTool.h"
#include "SqlConsole.h"

#include "support/EngineSupport.h"

#include <QCoreApplication>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;
using namespace kovatest;

namespace {

const QString Samples = QStringLiteral(KOVA_SOURCE_DIR) + u"/tests/data/oracle-samples/"_s;

}  // namespace

class tst_SampleSchemas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scriptsRunAndFill_data();
    void scriptsRunAndFill();
};

void tst_SampleSchemas::scriptsRunAndFill_data()
{
    QTest::addColumn<QStringList>("scripts");
    QTest::addColumn<QString>("constraints");  // per type
    QTest::addColumn<QString>("declared");     // comments, sequences, views, identity columns
    QTest::addColumn<QString>("rows");         // per table after the scripts
    QTest::newRow("HR") << QStringList{u"hr_create.sql"_s, u"hr_populate.sql"_s} << u"C:15;P:7;R:10;U:1"_s
                        << u"42,3,1,0"_s
                        << u"COUNTRIES:25;DEPARTMENTS:27;EMPLOYEES:107;JOBS:19;JOB_HISTORY:10;LOCATIONS:23;"
                           "REGIONS:5"_s;
    QTest::newRow("CO") << QStringList{u"co_create.sql"_s} << u"C:4;P:7;R:9;U:4"_s << u"78,6,4,6"_s
                        << u"CUSTOMERS:0;INVENTORY:0;ORDERS:0;ORDER_ITEMS:0;PRODUCTS:0;SHIPMENTS:0;STORES:0"_s;
}

void tst_SampleSchemas::scriptsRunAndFill()
{
    QFETCH(QStringList, scripts);
    QFETCH(QString, constraints);
    QFETCH(QString, declared);
    QFETCH(QString, rows);
    EngineDb db;
    QString output;
    QTextStream out(&output);
    {
        SqlConsole console(db.db.session, db.db.database, out, out);
        for (const QString& script : scripts)
            console.runScript(Samples + script);
        console.finish();
        out.flush();
        QVERIFY2(console.failures() == 0, qPrintable(output));
    }
    QCOMPARE(db.text(u"SELECT CONSTRAINT_TYPE || ':' || count(*) FROM USER_CONSTRAINTS "
                     "WHERE STATUS = 'ENABLED' GROUP BY CONSTRAINT_TYPE ORDER BY 1"_s),
             constraints);
    QCOMPARE(db.text(u"SELECT (SELECT count(COMMENTS) FROM USER_TAB_COMMENTS) + (SELECT count(COMMENTS) FROM "
                     "USER_COL_COMMENTS), (SELECT count(*) FROM USER_SEQUENCES), (SELECT count(*) FROM USER_VIEWS), "
                     "(SELECT count(*) FROM USER_TAB_IDENTITY_COLS) FROM DUAL"_s),
             declared);
    const auto counts = [&] {
        QStringList all;
        for (const QStringList& table : db.rows(u"SELECT TABLE_NAME FROM USER_TABLES ORDER BY 1"_s))
            all << table[0] + u':' + db.text(u"SELECT count(*) FROM "_s + table[0]);
        return all;
    };
    QCOMPARE(counts().join(u';'), rows);

    // 自動設定 on every table, listed in any order: parents go first.
    QStringList tables;
    for (const QStringList& table : db.rows(u"SELECT TABLE_NAME FROM USER_TABLES ORDER BY TABLE_NAME DESC"_s))
        tables << table[0];
    QString error;
    const auto args = kovagenerate::ParseArguments(
        QStringList{u"hr/hr@"_s + db.db.path, u"--auto"_s} + tables + QStringList{u"--rows"_s, u"100"_s, u"--seed"_s, u"7"_s},
        &error);
    QVERIFY2(args, qPrintable(error));
    QString report;
    QTextStream reportStream(&report);
    const int status = kovagenerate::Run(*args, reportStream, reportStream, false);
    reportStream.flush();
    QVERIFY2(status == 0, qPrintable(report));
    QStringList expected;
    for (const QString& table : rows.split(u';')) {
        const qsizetype colon = table.indexOf(u':');
        expected << table.left(colon) + u':' + QString::number(table.mid(colon + 1).toInt() + 100);
    }
    QCOMPARE(counts(), expected);
}

QTEST_GUILESS_MAIN(tst_SampleSchemas)
#include "tst_SampleSchemas.moc"
