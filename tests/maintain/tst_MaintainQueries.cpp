// label: engine
// The update run and the data viewer's query against the embedded engine.
#include "browser/ColumnGrid.h"
#include "generate/CreationRun.h"
#include "generate/InsertRow.h"
#include "maintain/DeleteRun.h"
#include "maintain/UpdateRun.h"
#include "maintain/ViewerQuery.h"
#include "support/MaintainSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <sqlite3.h>

using namespace Qt::StringLiterals;
using maintain::UpdateOutcome;

namespace {

// The viewer's grid prepared over `table`, which the statements create.
struct Viewer {
    Viewer(const QString& table, const QStringList& statements) : db(statements)
    {
        browser::FillColumnGrid(db.database(), mainGrid, table, true);
        basKovaData::ChosenTable = table;
        maintain::PrepareViewerGrid(grid, &mainGrid);
    }
    maintain::ViewerRunResult run(const QString& condition, const std::function<void()>& started = {})
    {
        return maintain::RunViewerQuery(db.database(), grid, &mainGrid, condition, started);
    }
    QList<int> widths() const
    {
        QList<int> widths;
        for (int col = 0; col < grid.Cols(); ++col)
            widths << grid.ColWidth(col);
        return widths;
    }

    kovatest::Connected db;
    controls::GridModel mainGrid, grid;
};

// W: NAME NULL for ID 2, else 13 characters with blanks around; NOTE 40 characters.
const QStringList TableW{
    u"CREATE TABLE W (ID NUMBER(4) PRIMARY KEY, NAME VARCHAR2(30), NOTE VARCHAR2(100), AMOUNT NUMBER(20))"_s,
    u"INSERT INTO W VALUES (1, ' Name number 1 ', '%1', 5)"_s.arg(QString(40, u'x')),
    u"INSERT INTO W VALUES (2, NULL, '%1', 5)"_s.arg(QString(40, u'x')),
    u"INSERT INTO W VALUES (3, ' Name number 3 ', '%1', 5)"_s.arg(QString(40, u'x'))};

}  // namespace

class tst_MaintainQueries : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Another program holds the database's write lock: reading still works;
    // a creation run, an update and a delete each wait for it once, stop, and
    // leave the rows as they were, reported as the lock and not as failures.
    void lockedByAnotherProgram()
    {
        kovatest::Connected db({u"CREATE TABLE T (ID NUMBER(4) PRIMARY KEY, N NUMBER(4))"_s,
                                u"INSERT INTO T VALUES (1, 1)"_s, u"INSERT INTO T VALUES (2, 2)"_s});
        controls::GridModel grid;
        browser::FillColumnGrid(db.database(), grid, u"T"_s, true);
        kovatest::SetRule(u"ID=3:10,1"_s);
        kovatest::SetRule(u"N=2:0,9,1"_s);
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(db.db.path).constData(), &other), SQLITE_OK);
        const auto closeOther = qScopeGuard([other] { sqlite3_close(other); });
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

        QCOMPARE(kovatest::Rows(u"SELECT COUNT(*) FROM T"_s), u"2"_s);
        QElapsedTimer timer;
        timer.start();
        const generate::CreationResult created = generate::GenerateRows(basKovaData::TableRules::FromShared(u"T"_s), 1000);
        QVERIFY(timer.elapsed() < 10000);
        QVERIFY(created.aborted && created.lockedByOther && !created.connectionLost);
        QCOMPARE(created.failures, 0);
        kovatest::SetRule(u"ID="_s);
        QCOMPARE(maintain::UpdateRows(basKovaData::TableRules::FromShared(u"T"_s), QString()).outcome, UpdateOutcome::Locked);
        QCOMPARE(maintain::DeleteRows(u"T"_s, QString()), maintain::DeleteOutcome::Locked);

        QCOMPARE(sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
        QCOMPARE(kovatest::Rows(u"SELECT ID, N FROM T ORDER BY ID"_s), u"1,1|2,2"_s);
        QCOMPARE(maintain::DeleteRows(u"T"_s, u"ID = 2"_s), maintain::DeleteOutcome::Deleted);
    }

    // An expression that reads a column set after it sees the value that
    // column is then given, NULL rate included.
    void updateReadsTheRowItSets()
    {
        QStringList setup{u"CREATE TABLE T (ID NUMBER(4) PRIMARY KEY, C VARCHAR2(9), N NUMBER(4))"_s};
        for (int id = 1; id <= 40; ++id)
            setup << u"INSERT INTO T VALUES (%1, 'x', 0)"_s.arg(id);
        kovatest::Connected db(setup);
        controls::GridModel grid;
        browser::FillColumnGrid(db.database(), grid, u"T"_s, true);
        kovatest::SetRule(u"C=8:const {N} = row; return N === null ? 'none' : 'n' + N;"_s);
        kovatest::SetRule(u"N=8:randInt(1, 9)"_s);
        kovatest::SetRule(u"N~null=50"_s);
        const maintain::UpdateResult result = maintain::UpdateRows(basKovaData::TableRules::FromShared(u"T"_s), QString(), {});
        QCOMPARE(result.outcome, UpdateOutcome::Done);
        QCOMPARE(kovatest::Rows(u"SELECT COUNT(*) FROM T WHERE C = 'x'"_s), u"0"_s);
        QCOMPARE(kovatest::Rows(u"SELECT COUNT(*) FROM T WHERE (N IS NULL AND C <> 'none') OR (N IS NOT NULL AND C <> 'n' || N)"_s), u"0"_s);
        QVERIFY(kovatest::Rows(u"SELECT COUNT(*) FROM T WHERE N IS NULL"_s).toInt() > 0);
    }

    // A stop between rows undoes the rows already updated.
    void updateStops()
    {
        kovatest::Connected db({u"CREATE TABLE T (ID NUMBER(4) PRIMARY KEY, N NUMBER(4))"_s, u"INSERT INTO T VALUES (1, 1)"_s,
                                u"INSERT INTO T VALUES (2, 2)"_s, u"INSERT INTO T VALUES (3, 3)"_s});
        controls::GridModel grid;
        browser::FillColumnGrid(db.database(), grid, u"T"_s, true);
        kovatest::SetRule(u"N=3:10,1"_s);
        int asked = 0;
        maintain::UpdateHooks hooks;
        hooks.stopRequested = [&asked] { return ++asked == 3; };
        QCOMPARE(maintain::UpdateRows(basKovaData::TableRules::FromShared(u"T"_s), QString(), hooks).outcome, UpdateOutcome::Stopped);
        QCOMPARE(kovatest::Rows(u"SELECT N FROM T ORDER BY ID"_s), u"1|2|3"_s);
    }

    void update_data()
    {
        // Statements and rules are separated by ";", the rows of T after the run by "|".
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<UpdateOutcome>("outcome");
        QTest::addColumn<int>("errors");
        QTest::addColumn<QString>("statements");
        QTest::addColumn<QString>("after");
        const auto done = UpdateOutcome::Done;
        const QString two = u"CREATE TABLE T (A NUMBER(4) PRIMARY KEY, C VARCHAR2(6), N NUMBER(4));"
                            u"INSERT INTO T VALUES (3,'a',0);INSERT INTO T VALUES (4,'b',0)"_s;
        const QString untouched = u"3,a,0|4,b,0"_s;
        QTest::newRow("fixed: number keeps its blank, quote doubled, key rule ignored")
            << u"CREATE TABLE T (A NUMBER(4) PRIMARY KEY, C1 NUMBER(4), C2 VARCHAR2(5));"
               u"INSERT INTO T VALUES (3,0,'a');INSERT INTO T VALUES (4,0,'b')"_s
            << u"A=3:1,1;C1=0:5;C2=0:it's"_s << u"  A=4\n"_s << done << 0
            << u"UPDATE T SET C1 =  5,C2 = 'it''s' WHERE A=4"_s << u"3,0,a|4,5,it's"_s;
        QTest::newRow("failing fixed update rolled back and said") << two << u"C=0:toolong;N=0:1"_s << u""_s << UpdateOutcome::Failed << 0 << u"UPDATE T SET C = 'toolong',N =  1"_s << untouched;
        QTest::newRow("sequence by numeric key, in SELECT order")
            << two + u";INSERT INTO T VALUES (5,'c',0)"_s << u"C=3:1,1"_s << u"A > 3 ORDER BY A DESC"_s << done << 0
            << u"UPDATE T SET C = '000001' WHERE A = 5;UPDATE T SET C = '000002' WHERE A = 4"_s
            << u"3,a,0|4,000002,0|5,000001,0"_s;
        QTest::newRow("quote in key and value, two keys")
            << u"CREATE TABLE T (K VARCHAR2(9), B NUMBER(2), C VARCHAR2(5), PRIMARY KEY (K, B));"
               u"INSERT INTO T VALUES ('O''Brien',1,'a')"_s
            << u"C=1:it's"_s << u""_s << done << 0 << u"UPDATE T SET C = 'it''s' WHERE K = 'O''Brien' AND B = 1"_s
            << u"O'Brien,1,it's"_s;
        QTest::newRow("date key")
            << u"CREATE TABLE T (D DATE PRIMARY KEY, N NUMBER(4));"
               u"INSERT INTO T VALUES (TO_DATE('20011231 235959','YYYYMMDD HH24MISS'),0)"_s
            << u"N=2:7,7,1"_s << u""_s << done << 0
            << u"UPDATE T SET N =  7 WHERE D = TO_DATE('20011231 235959','YYYYMMDD HH24MISS')"_s
            << u"2001/12/31 23:59:59,7"_s;
        QTest::newRow("multiple fixed, slots in turn")
            << two << u"C=1:,x,y"_s << u""_s << done << 0
            << u"UPDATE T SET C = 'x' WHERE A = 3;UPDATE T SET C = 'y' WHERE A = 4"_s << u"3,x,0|4,y,0"_s;
        QTest::newRow("made text beginning with @ stays text")
            << two << u"C=7:@x"_s << u""_s << done << 0
            << u"UPDATE T SET C = '@x' WHERE A = 3;UPDATE T SET C = '@x' WHERE A = 4"_s << u"3,@x,0|4,@x,0"_s;
        QTest::newRow("NULL rule on a character column") << two << u"C=5"_s << u"A=3"_s << done << 0 << u"UPDATE T SET C = NULL WHERE A = 3"_s << u"3,[NULL],0|4,b,0"_s;
        QTest::newRow("NULL rate: row by row, NULL as the keyword")
            << two << u"C=0:x;C~null=100"_s << u""_s << done << 0
            << u"UPDATE T SET C = NULL WHERE A = 3;UPDATE T SET C = NULL WHERE A = 4"_s << u"3,[NULL],0|4,[NULL],0"_s;
        QTest::newRow("condition on the column being set, indexed")
            << two + u";CREATE INDEX TN ON T (N)"_s << u"N=3:10,10"_s << u"N >= 0"_s << done << 0
            << u"UPDATE T SET N =  10 WHERE A = 3;UPDATE T SET N =  20 WHERE A = 4"_s << u"3,a,10|4,b,20"_s;
        // An expression sees the values this row is given, also those of
        // columns after it, and the table's own values of the key and of
        // columns without a rule.
        QTest::newRow("expression over a value set after it")
            << u"CREATE TABLE T (A NUMBER(4) PRIMARY KEY, N NUMBER(4), C VARCHAR2(6));"
               u"INSERT INTO T VALUES (3,0,'a');INSERT INTO T VALUES (4,0,'b')"_s
            << u"N=8:row.C.length;C=1:abc,de"_s << u""_s << done << 0
            << u"UPDATE T SET N =  3,C = 'abc' WHERE A = 3;UPDATE T SET N =  2,C = 'de' WHERE A = 4"_s
            << u"3,3,abc|4,2,de"_s;
        QTest::newRow("expression over the key and a column without a rule")
            << u"CREATE TABLE T (A NUMBER(4) PRIMARY KEY, C VARCHAR2(6), N NUMBER(4));"
               u"INSERT INTO T VALUES (3,'a',0);INSERT INTO T VALUES (4,NULL,0);INSERT INTO T VALUES (5,'bcd',0)"_s
            << u"N=8:row.A * 10 + (row.C === null ? 0 : row.C.length)"_s << u""_s << done << 0
            << u"UPDATE T SET N =  31 WHERE A = 3;UPDATE T SET N =  40 WHERE A = 4;UPDATE T SET N =  53 WHERE A = 5"_s
            << u"3,a,31|4,[NULL],40|5,bcd,53"_s;
        QTest::newRow("expression over a date without a rule")
            << u"CREATE TABLE T (A NUMBER(4) PRIMARY KEY, D DATE, N NUMBER(4));"
               u"INSERT INTO T VALUES (3,TO_DATE('20240315 063000','YYYYMMDD HH24MISS'),0)"_s
            << u"N=8:row.D.getDate() * 100 + row.D.getHours()"_s << u""_s << done << 0
            << u"UPDATE T SET N =  1506 WHERE A = 3"_s << u"3,2024/03/15 06:30:00,1506"_s;
        QTest::newRow("one of three failing, the others kept")
            << u"CREATE TABLE T (A NUMBER(4) PRIMARY KEY, N NUMBER(2));INSERT INTO T VALUES (1,0);"
               u"INSERT INTO T VALUES (2,0);INSERT INTO T VALUES (3,0)"_s
            << u"N=3:98,1"_s << u""_s << done << 1
            << u"UPDATE T SET N =  98 WHERE A = 1;UPDATE T SET N =  99 WHERE A = 2;UPDATE T SET N =  100 WHERE A = 3"_s
            << u"1,98|2,99|3,0"_s;
        QTest::newRow("wrong condition") << two << u"N=3:1,1"_s << u"A = = 3"_s << UpdateOutcome::Failed << 0 << u""_s << untouched;
        QTest::newRow("no key columns") << u"CREATE TABLE T (C VARCHAR2(3));INSERT INTO T VALUES ('a')"_s << u"C=1:x"_s << u""_s << UpdateOutcome::Failed << 0 << u""_s << u"a"_s;
        QTest::newRow("rule on the key and a random rule") << two << u"A=0:1;N=2:1,5,1"_s << u""_s << UpdateOutcome::KeyHasRule << 0 << u""_s << untouched;
        QTest::newRow("rule only on the key") << two << u"A=3:1,1"_s << u""_s << UpdateOutcome::NothingToSet << 0 << u""_s << untouched;
    }
    void update()
    {
        QFETCH(QString, setup);
        QFETCH(QString, rules);
        QFETCH(QString, condition);
        QFETCH(QString, statements);
        kovatest::Connected db(setup.split(u';'));
        controls::GridModel grid;
        browser::FillColumnGrid(db.database(), grid, u"T"_s, true);
        for (const QString& rule : rules.split(u';'))
            kovatest::SetRule(rule);
        QStringList sent;
        int width = -1;  // the progress bar's last width
        maintain::UpdateHooks hooks;
        hooks.statement = [&sent](const QString& sql) { sent << sql; };
        hooks.progress = [&width](int twips) { width = twips; };
        const maintain::UpdateResult result = maintain::UpdateRows(basKovaData::TableRules::FromShared(u"T"_s), condition, hooks);
        QTEST(result.outcome, "outcome");
        QTEST(int(result.errors), "errors");
        QCOMPARE(result.errorNumber, result.outcome == UpdateOutcome::Failed ? 440 : 0);
        QCOMPARE(sent.join(u';'), statements);
        QCOMPARE(width, sent.isEmpty() ? -1 : maintain::UpdateProgressFullTwips);
        QTEST(kovatest::Rows(u"SELECT * FROM T ORDER BY 1"_s), "after");
        // The run left no transaction open: a new one can begin and end.
        db.db.session->DbBeginTrans();
        db.db.session->DBRollBack();
    }
    void keyComparison_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("NULL") << u"VARCHAR2(5)"_s << QVariant() << u"K IS NULL"_s;
        QTest::newRow("every digit kept") << u"NUMBER(12.3)"_s << QVariant(1234567.125) << u"K = 1234567.125"_s;
        QTest::newRow("other type, text") << u"RAW(4)"_s << QVariant(u"x' OR 1=1"_s) << u"K = 'x'' OR 1=1'"_s;
    }
    void keyComparison()
    {
        QFETCH(QString, type);
        QFETCH(QVariant, value);
        basKovaData::ColumnRule key;
        key.ColumnName = u"K"_s;
        key.TypeText = type;
        QTEST(maintain::KeyComparison(key, value), "text");
    }
    void progress_data()
    {
        QTest::addColumn<qint64>("done");
        QTest::addColumn<qint64>("rows");
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("step");
        QTest::newRow("none") << qint64(0) << qint64(0) << 0 << 1;
        QTest::newRow("15 of 25, step 2 (2.5 to even)") << qint64(15) << qint64(25) << 2664 << 2;
        QTest::newRow("past 483667 rows") << qint64(500000) << qint64(1000000) << 2220 << 100;
    }
    void progress()
    {
        QFETCH(qint64, done);
        QFETCH(qint64, rows);
        QTEST(maintain::UpdateProgressTwips(done, rows), "twips");
        QTEST(maintain::UpdateProgressStep(rows), "step");
    }

    void viewer_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<int>("cap");     // rows shown at most, 0 for the default
        QTest::addColumn<int>("budget");  // cells the grid may hold, 0 for the default
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("errorNumber");
        QTest::addColumn<QStringList>("ids");  // after a first run that showed ID 3
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        const QString select = u" SELECT * FROM W"_s, three = u"データ 3件"_s;
        const QString capped = u"最初の2件を表示しています。"_s;
        const QStringList all{u"1"_s, u"2"_s, u"3"_s}, down{u"3"_s, u"2"_s, u"1"_s}, kept{u"3"_s};
        const QString sqlError = u"ＳＱＬ文のエラーです。確認してください。440"_s;
        QTest::newRow("blanks only") << u" \r\n "_s << 0 << 0 << select << 0 << all << three << u""_s;
        QTest::newRow("where") << u"  ID > 1 "_s << 0 << 0 << select + u" WHERE ID > 1"_s << 0 << QStringList{u"2"_s, u"3"_s} << u"データ 2件"_s << u""_s;
        QTest::newRow("order by mixed case") << u" Order By ID DESC"_s << 0 << 0 << select + u" Order By ID DESC"_s << 0 << down << three << u""_s;
        QTest::newRow("two lines") << u"ID > 1\r\nAND ID < 3"_s << 0 << 0 << select + u" WHERE ID > 1  AND ID < 3"_s << 0 << QStringList{u"2"_s} << u"データ 1件"_s << u""_s;
        // An empty result clears the previous run's rows down to the heading row.
        QTest::newRow("no rows") << u"ID > 9"_s << 0 << 0 << select + u" WHERE ID > 9"_s << 0 << QStringList{} << u"データ 0件"_s << u""_s;
        QTest::newRow("at the cap") << u"ID < 3"_s << 2 << 0 << select + u" WHERE ID < 3"_s << 0 << QStringList{u"1"_s, u"2"_s} << capped << u""_s;
        QTest::newRow("over the cap") << u""_s << 2 << 0 << select << 0 << QStringList{u"1"_s, u"2"_s} << capped << u""_s;
        QTest::newRow("nothing after =") << u"ID ="_s << 0 << 0 << select + u" WHERE ID ="_s << 440 << kept << u"(kept)"_s << sqlError;
        QTest::newRow("order by alone") << u"order by"_s << 0 << 0 << select + u" order by"_s << 440 << kept << u"(kept)"_s << sqlError;
        QTest::newRow("grid full") << u""_s << 0 << 12 << select << 30006 << QStringList{u"1"_s, u"2"_s} << u"メモリオーバーのため、最初の2件を表示しています。"_s << u""_s;
    }
    void viewer()
    {
        QFETCH(QString, condition);
        QFETCH(int, cap);
        QFETCH(int, budget);
        QFETCH(QString, sql);
        QFETCH(int, errorNumber);
        Viewer viewer(u"W"_s, TableW);
        QCOMPARE(viewer.run(u"ID = 3"_s).rows, 1);
        if (cap)
            basKovaData::MaxDisplayRows = qint16(cap);
        if (budget)
            viewer.grid.setCellBudget(budget);
        int started = 0;
        const maintain::ViewerRunResult result = viewer.run(condition, [&started]() { ++started; });
        QCOMPARE(result.statement, sql);
        QCOMPARE(result.errorNumber, errorNumber);
        QCOMPARE(started, errorNumber == 440 ? 0 : 1);
        QTEST(kovatest::GridColumn(viewer.grid, 0, 1), "ids");
        QTEST(result.messageLine.value_or(u"(kept)"_s), "line");
        QTEST(result.message, "message");
        // The very text reached the engine.
        if (errorNumber == 0)
            QCOMPARE(kovatest::Rows(u"SELECT COUNT(*) FROM V$SQL WHERE SQL_TEXT = "_s + basKovaData::SqlQuoted(sql)),
                     u"1"_s);
    }
    void openingAndWidths()
    {
        Viewer viewer(u"W"_s, TableW);
        const controls::GridModel& grid = viewer.grid;
        QCOMPARE(grid.TextMatrix(0, 0) + grid.TextMatrix(0, 1) + grid.TextMatrix(0, 2) + grid.TextMatrix(0, 3),
                 u"IDNAMENOTEAMOUNT"_s);
        // From the declared length (NOTE capped at 50 characters), at least the heading.
        QCOMPARE(viewer.widths(), (QList<int>{460, 2800, 4600, 1900}));
        QCOMPARE((QList<int>{grid.ColAlignment(0), grid.ColAlignment(1), grid.ColAlignment(3)}), (QList<int>{7, 1, 7}));
        QCOMPARE(grid.CellAlignment(0, 2), 4);
        // Row 2 alone: "[NULL]" counts six characters; AMOUNT "5" is narrower than its heading.
        viewer.run(u"ID = 2"_s);
        QCOMPARE(kovatest::GridColumn(grid, 1), (QStringList{u"NAME"_s, u"[NULL]"_s}));
        QCOMPARE(viewer.widths(), (QList<int>{280, 1180, 4600, 640}));
        // Wider values later do not widen the columns again; values are trimmed.
        viewer.run(u"ID <> 2"_s);
        QCOMPARE(kovatest::GridColumn(grid, 1), (QStringList{u"NAME"_s, u"Name number 1"_s, u"Name number 3"_s}));
        QCOMPARE(viewer.widths(), (QList<int>{280, 1180, 4600, 640}));
    }
};

QTEST_GUILESS_MAIN(tst_MaintainQueries)
#include "tst_MaintainQueries.moc"
