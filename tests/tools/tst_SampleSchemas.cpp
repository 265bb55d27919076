// label: engine
// Oracle's published sample schemas, their install scripts unchanged, through
// the console on the embedded engine: HR and CO with no statement refused,
// the dictionary holding what the scripts declare, and 自動設定 filling every
// table, parents first; SH and OE with nothing refused but what the engine
// keeps outside (PL/SQL, object types, XMLType), each with its line, and what
// follows from those (a table of an object type missing later).
#include "GenerateTool.h"
#include "SqlConsole.h"

#include "support/EngineSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;
using namespace kovatest;

namespace {

const QString Samples = QStringLiteral(KOVA_SOURCE_DIR) + u"/tests/data/oracle-samples/"_s;

// Copies a sample folder to `to`, its __SUB__CWD__ (the folder that holds
// it, as Oracle's README asks) replaced.
bool CopySamples(const QString& folder, const QString& to)
{
    QDir().mkpath(to + u'/' + folder);
    QDirIterator files(Samples + folder, QDir::Files);
    while (files.hasNext()) {
        QFile in(files.next());
        if (!in.open(QIODevice::ReadOnly))
            return false;
        QByteArray text = in.readAll();
        text.replace("__SUB__CWD__", to.toUtf8());
        if (!WriteFile(to + u'/' + folder + u'/' + files.fileName(), text))
            return false;
    }
    return true;
}

// Three rows of every column of `table`, as SQLcl's LOAD reads them (dates
// as SH's SET LOAD DATE_FORMAT YYYY-MM-DD), keys 1 to 3.
QByteArray LoadFile(EngineDb& db, const QString& table)
{
    const QList<QStringList> columns = db.rows(u"SELECT COLUMN_NAME, DATA_TYPE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = '"_s
                                               + table + u"' ORDER BY COLUMN_ID"_s);
    QStringList names;
    for (const QStringList& column : columns)
        names << column[0];
    QByteArray text = names.join(u',').toUtf8() + '\n';
    for (int row = 1; row <= 3; ++row) {
        QStringList values;
        for (const QStringList& column : columns)
            values << (column[1] == u"DATE"_s ? u"2020-01-0%1"_s.arg(row)
                       : column[1] == u"NUMBER"_s ? QString::number(row) : u"\"%1\""_s.arg(QChar(u'A' + row)));
        text += values.join(u',').toUtf8() + '\n';
    }
    return text;
}

// The console's error lines (the line after each "ERROR: file, line n"),
// grouped: what the engine keeps outside, what follows from it, the rest.
QMap<QString, int> Refusals(const QString& output, QStringList* others)
{
    static const QRegularExpression outside(u"the embedded engine keeps no PL/SQL|^PL/SQL is not supported here"_s);
    static const QRegularExpression follows(u"^ORA-(00942|04043|04080|00902)"_s);
    QMap<QString, int> counts;
    const QStringList lines = output.split(u'\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (!lines[i].startsWith(u"ERROR: "_s))
            continue;
        const QString line = lines[i + 1];
        if (outside.match(line).hasMatch())
            ++counts[u"outside"_s];
        else if (follows.match(line).hasMatch())
            ++counts[u"follows"_s];
        else
            *others << lines[i] + u' ' + line;
    }
    return counts;
}

}  // namespace

class tst_SampleSchemas : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scriptsRunAndFill_data();
    void scriptsRunAndFill();
    void onlyTheOutsideRefused();
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

// SH: its tables, views, materialized views (views here) and dimensions,
// then its rows, the large tables by SQLcl's LOAD from CSV files beside the
// script. OE after HR in the same file, as oe_main.sql with its nine
// arguments runs it: its INSERTs (many joined by a trailing "-") land, and
// only object types, XMLType and PL/SQL are refused.
void tst_SampleSchemas::onlyTheOutsideRefused()
{
    QTemporaryDir dir;
    QVERIFY(CopySamples(u"sales_history"_s, dir.path()) && CopySamples(u"order_entry"_s, dir.path()));
    const QString sh = dir.path() + u"/sales_history/"_s;
    const QString oe = dir.path() + u"/order_entry/"_s;
    {
        EngineDb db;
        QString output;
        QTextStream out(&output);
        SqlConsole console(db.db.session, db.db.database, out, out);
        console.runScript(sh + u"sh_create.sql"_s);
        for (const QString& table : {u"COSTS"_s, u"CUSTOMERS"_s, u"PROMOTIONS"_s, u"SALES"_s, u"TIMES"_s,
                                    u"SUPPLEMENTARY_DEMOGRAPHICS"_s})
            QVERIFY(WriteFile(sh + table.toLower() + u".csv"_s, LoadFile(db, table)));
        console.runScript(sh + u"sh_populate.sql"_s);
        console.finish();
        out.flush();
        QStringList others;
        const QMap<QString, int> refused = Refusals(output, &others);
        QVERIFY2(others.isEmpty(), qPrintable(others.join(u'\n')));
        QCOMPARE(refused.value(u"outside"_s), 1);  // DBMS_STATS.GATHER_SCHEMA_STATS
        QCOMPARE(refused.value(u"follows"_s), 0);
        QCOMPARE(db.text(u"SELECT (SELECT count(*) FROM sales), (SELECT count(*) FROM countries), (SELECT count(*) "
                         "FROM USER_VIEWS), (SELECT count(*) FROM cal_month_sales_mv) FROM DUAL"_s),
                 u"3,35,3,3"_s);
    }
    EngineDb db;
    QString output;
    QTextStream out(&output);
    SqlConsole console(db.db.session, db.db.database, out, out);
    console.runScript(Samples + u"hr_create.sql"_s);
    console.runScript(Samples + u"hr_populate.sql"_s);
    QCOMPARE(console.failures(), 0);
    console.runScript(oe + u"oe_main.sql"_s, {u"oe"_s, u"users"_s, u"temp"_s, u"hr"_s, u"sys"_s, dir.path() + u'/',
                                               dir.path() + u'/', u"v3"_s, u"localhost"_s});
    console.finish();
    out.flush();
    QStringList others;
    const QMap<QString, int> refused = Refusals(output, &others);
    QVERIFY2(others.isEmpty(), qPrintable(others.join(u'\n')));
    QCOMPARE(refused.value(u"outside"_s), 75);
    QCOMPARE(refused.value(u"follows"_s), 704);
    QCOMPARE(db.text(u"SELECT (SELECT count(*) FROM product_information), (SELECT count(*) FROM "
                     "product_descriptions), (SELECT count(*) FROM orders), (SELECT count(*) FROM order_items), "
                     "(SELECT count(*) FROM inventories) FROM DUAL"_s),
             u"288,8640,105,665,1112"_s);
}

QTEST_GUILESS_MAIN(tst_SampleSchemas)
#include "tst_SampleSchemas.moc"
