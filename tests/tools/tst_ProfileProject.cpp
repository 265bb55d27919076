// label: engine
// kova-generate --profile on the embedded engine: the project it writes makes
// as many rows as the source holds, foreign keys that may be NULL keep their
// NULL share and so do LOBs, whose values are not read, a table referring to itself keeps its rows, columns that one
// CHECK names together keep a rule that meets it, and a column that
// --personal names must be one of the tables'.
#include "GenerateTool.h"

#include "support/EngineSupport.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

const QStringList Schema = {
    u"CREATE TABLE P (ID NUMBER(6) PRIMARY KEY, V VARCHAR2(8))"_s,
    u"CREATE TABLE C (ID NUMBER(6) PRIMARY KEY, P_ID NUMBER(6) REFERENCES P (ID), W NUMBER(4), M CLOB, R RAW(4))"_s,
    u"CREATE TABLE TREE (ID NUMBER(6) PRIMARY KEY, UP NUMBER(6) REFERENCES TREE (ID), NAME VARCHAR2(10))"_s,
    u"CREATE TABLE SPAN (ID NUMBER(6) PRIMARY KEY, STARTS DATE NOT NULL, ENDS DATE NOT NULL, "
    "CONSTRAINT SPAN_ORDER CHECK (ENDS > STARTS))"_s,
};

}  // namespace

class tst_ProfileProject : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString err;

    QString out;

    int run(const QString& database, const QStringList& args)
    {
        QString error;
        out.clear();
        err.clear();
        const auto parsed = kovagenerate::ParseArguments(
            (database.isEmpty() ? QStringList() : QStringList{u"scott/tiger@"_s + database}) + args, &error);
        if (!parsed) {
            err = error;
            return -1;
        }
        QTextStream o(&out), e(&err);
        const int status = kovagenerate::Run(*parsed, o, e, false);
        e.flush();
        return status;
    }

private Q_SLOTS:
    void sourceRowsKept_data()
    {
        QTest::addColumn<bool>("statistics");
        QTest::newRow("from the rows") << false;
        QTest::newRow("from the statistics") << true;
    }
    void sourceRowsKept()
    {
        QFETCH(bool, statistics);
        QStringList fill = Schema;
        for (int i = 1; i <= 100; ++i)
            fill << u"INSERT INTO P VALUES (%1, 'p%1')"_s.arg(i);
        for (int i = 1; i <= 1000; ++i)
            fill << u"INSERT INTO C VALUES (%1, %2, %3, %4, %5)"_s.arg(i)
                        .arg(i % 10 < 3 ? u"NULL"_s : QString::number(1 + i % 37))
                        .arg(i % 50)
                        .arg(i % 4 == 0 ? u"NULL"_s : u"'memo'"_s)
                        .arg(i % 5 == 0 ? u"NULL"_s : u"'0A0B'"_s);
        for (int i = 1; i <= 200; ++i) {
            fill << u"INSERT INTO TREE VALUES (%1, %2, 'n%1')"_s.arg(i).arg(i == 1 ? u"NULL"_s : QString::number(i / 2));
            fill << u"INSERT INTO SPAN VALUES (%1, DATE '2020-01-01' + %2, DATE '2020-01-01' + %3)"_s.arg(i).arg(i % 90).arg(
                i % 90 + 1 + i % 7);
        }
        for (const QString& table : {u"P"_s, u"C"_s, u"TREE"_s, u"SPAN"_s})
            fill << u"ANALYZE TABLE %1 COMPUTE STATISTICS"_s.arg(table);
        const kovatest::EngineDb source(fill);
        const QString project = dir.filePath(u"made/look.json"_s);
        QStringList learn{u"--profile"_s, project, u"P"_s, u"C"_s, u"TREE"_s, u"SPAN"_s};
        if (statistics)
            learn << u"--statistics-only"_s;
        QCOMPARE(run(source.db.path, learn), kovagenerate::AllCreated);
        const kovatest::EngineDb target(Schema);
        QVERIFY2(run(target.db.path, {project, u"--seed"_s, u"3"_s}) == kovagenerate::AllCreated, qPrintable(err));
        QCOMPARE(target.text(u"SELECT COUNT(*) FROM P"_s), u"100"_s);
        QCOMPARE(target.text(u"SELECT COUNT(*) FROM C"_s), u"1000"_s);
        QCOMPARE(target.text(u"SELECT COUNT(*) FROM TREE"_s), u"200"_s);
        QCOMPARE(target.text(u"SELECT COUNT(*) FROM SPAN"_s), u"200"_s);
        const int nulls = target.text(u"SELECT COUNT(*) FROM C WHERE P_ID IS NULL"_s).toInt();
        QVERIFY2(nulls >= 250 && nulls <= 350, qPrintable(QString::number(nulls)));
        const QStringList lobs = target.text(u"SELECT COUNT(M), COUNT(R) FROM C"_s).split(u',');
        QVERIFY2(lobs.size() == 2 && lobs[0].toInt() >= 700 && lobs[0].toInt() <= 800 && lobs[1].toInt() >= 750
                     && lobs[1].toInt() <= 850,
                 qPrintable(lobs.join(u',')));
        // The project keeps the children per parent of C's key, which is not
        // made per parent (it may be NULL), for a comparison with it.
        run({}, {u"--compare"_s, project, u"scott/tiger@"_s + source.db.path, u"C"_s});
        QVERIFY2(out.contains(u"→ P (P_ID)"_s), qPrintable(out + err));
    }

    // A column --personal names that no table given has would leave the
    // column it was meant for unguarded: nothing is written.
    void personalColumnMustExist()
    {
        const kovatest::EngineDb source(Schema + QStringList{u"INSERT INTO P VALUES (1, 'a')"_s, u"INSERT INTO P VALUES (2, 'b')"_s});
        const QString project = dir.filePath(u"p.json"_s);
        QCOMPARE(run(source.db.path, {u"--profile"_s, project, u"P"_s, u"--personal"_s, u"P.VV"_s}),
                 kovagenerate::Stopped);
        QVERIFY2(err.contains(u"--personal: no table given has the column P.VV"_s), qPrintable(err));
        QVERIFY(!QFile::exists(project));
    }
};

QTEST_MAIN(tst_ProfileProject)
#include "tst_ProfileProject.moc"
