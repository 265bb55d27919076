// label: engine
// The access layer over the embedded engine: opening, statements, dynasets,
// transactions, and the routines every window calls.
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "engine/SqliteEngine.h"
#include "support/TestSupport.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kovatest;

class tst_EngineAccess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        basKovaData::ResetForTests();
        basKovaData::OraDatabase.reset();
        basKovaData::OraSession.reset();
    }

    void openFailsForMissingFile()
    {
        QTemporaryDir dir;
        basKovaData::AppDirectory = dir.path() + QLatin1Char('/');
        QVERIFY(basKovaData::OpenOracleDatabase(QStringLiteral("missing.db"), QStringLiteral("a/b"),
                                                QLatin1String(basKovaData::OraSessionProgId)));
        QVERIFY(!basKovaData::OraDatabase);
        // Failing to log in never creates a database file.
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("missing.db"))));
    }

    void openFailsForFileThatIsNoDatabase()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("notes.db"));
        QVERIFY(WriteFile(path, QByteArray(4096, 'x')));
        QVERIFY(basKovaData::OpenOracleDatabase(path, QStringLiteral("a/b"),
                                                QLatin1String(basKovaData::OraSessionProgId)));
        QVERIFY(!basKovaData::LastOpenError.isEmpty());
    }

    void openFailsForOtherProgId()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir);
        QVERIFY(basKovaData::OpenOracleDatabase(db.path, QStringLiteral("a/b"), QStringLiteral("Other.Session")));
    }

    void openResolvesRelativeNamesInAppDirectory()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir, {QStringLiteral("CREATE TABLE T (A NUMBER)")});
        basKovaData::AppDirectory = dir.path() + QLatin1Char('/');
        QVERIFY(!basKovaData::OpenOracleDatabase(QStringLiteral("test.db"), QStringLiteral("scott/tiger"),
                                                 QLatin1String(basKovaData::OraSessionProgId)));
        QCOMPARE(basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), QStringLiteral("INSERT INTO T VALUES (1)")), 1);
    }

    void executeSqlReturnsRowsOrMinusOne_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("insert") << QStringLiteral("INSERT INTO T VALUES (4, 'd')") << qint64(1);
        QTest::newRow("update all") << QStringLiteral("UPDATE T SET B = 'x'") << qint64(3);
        QTest::newRow("delete some") << QStringLiteral("DELETE FROM T WHERE A >= 2") << qint64(2);
        QTest::newRow("delete none") << QStringLiteral("DELETE FROM T WHERE A = 99") << qint64(0);
        QTest::newRow("trailing semicolon") << QStringLiteral("DELETE FROM T WHERE A = 1;") << qint64(1);
        QTest::newRow("syntax error") << QStringLiteral("DELETE FRM T") << qint64(-1);
        QTest::newRow("missing table") << QStringLiteral("DELETE FROM NOPE") << qint64(-1);
        QTest::newRow("duplicate key") << QStringLiteral("INSERT INTO T VALUES (1, 'z')") << qint64(-1);
        QTest::newRow("empty") << QStringLiteral("   ") << qint64(-1);
        QTest::newRow("comment only") << QStringLiteral("-- nothing") << qint64(-1);
    }

    void executeSqlReturnsRowsOrMinusOne()
    {
        QFETCH(QString, sql);
        QFETCH(qint64, expected);
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(
            dir, {QStringLiteral("CREATE TABLE T (A NUMBER(4) PRIMARY KEY, B VARCHAR2(10))"),
                  QStringLiteral("INSERT INTO T VALUES (1, 'a')"), QStringLiteral("INSERT INTO T VALUES (2, 'b')"),
                  QStringLiteral("INSERT INTO T VALUES (3, 'c')")});
        QCOMPARE(basKovaData::ExecuteSql(db.database.get(), sql), expected);
        QCOMPARE(basKovaData::ExecuteSql(nullptr, sql), qint64(-1));
    }

    void secondStatementIsNeverExecuted_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::newRow("drop after delete") << QStringLiteral("DELETE FROM T; DROP TABLE U");
        QTest::newRow("after comment") << QStringLiteral("DELETE FROM T /* x */ ; DROP TABLE U");
        QTest::newRow("after line comment") << QStringLiteral("DELETE FROM T -- ;\n; DROP TABLE U");
        QTest::newRow("shared insert") << QStringLiteral("INSERT INTO T VALUES (9, 'x'); DROP TABLE U");
        QTest::newRow("in a dynaset") << QStringLiteral("SELECT * FROM T; DROP TABLE U");
    }

    void secondStatementIsNeverExecuted()
    {
        QFETCH(QString, sql);
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(
            dir, {QStringLiteral("CREATE TABLE T (A NUMBER(4), B VARCHAR2(10))"), QStringLiteral("CREATE TABLE U (A NUMBER)"),
                  QStringLiteral("INSERT INTO T VALUES (1, 'a')")});
        QCOMPARE(basKovaData::ExecuteSql(db.database.get(), sql), qint64(-1));
        QVERIFY_THROWS_EXCEPTION(OraError, db.database->DBCreateDynaset(sql, 0));
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT COUNT(*) FROM U")), QList<QStringList>{{QStringLiteral("0")}});
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT COUNT(*) FROM T")), QList<QStringList>{{QStringLiteral("1")}});
    }

    void semicolonInsideLiteralIsText()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir, {QStringLiteral("CREATE TABLE T (B VARCHAR2(20))")});
        QCOMPARE(basKovaData::ExecuteSql(db.database.get(), QStringLiteral("INSERT INTO T VALUES ('a;b ''c''')")), 1);
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT B FROM T")), QList<QStringList>{{QStringLiteral("a;b 'c'")}});
    }

    void errorsCarryNumber440AndTheDatabaseText()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir);
        try {
            db.database->DBCreateDynaset(QStringLiteral("SELECT * FROM NOWHERE"), 0);
            QFAIL("no error");
        } catch (const OraError& error) {
            QCOMPARE(error.number(), 440);
            QVERIFY2(error.message().contains(QStringLiteral("ORA-00942")), qPrintable(error.message()));
            QVERIFY(error.message().contains(QStringLiteral("NOWHERE")));
        }
    }

    void dynasetReadsValuesByPositionAndName()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(
            dir, {QStringLiteral("CREATE TABLE T (N NUMBER(10,2), S VARCHAR2(10), D DATE, Z VARCHAR2(5))"),
                  QStringLiteral("INSERT INTO T VALUES (12.5, '日本', TO_DATE('20011231 235959','YYYYMMDD HH24MISS'), NULL)")});
        auto dynaset = db.database->DBCreateDynaset(QStringLiteral("select n, s, d, z from t"), 0);
        QVERIFY(!dynaset->IsEOF());
        QCOMPARE(dynaset->FieldCount(), 4);
        QCOMPARE(dynaset->FieldName(1), QStringLiteral("S"));
        QCOMPARE(dynaset->Value(0).metaType().id(), QMetaType::Double);
        QCOMPARE(dynaset->Value(0).toDouble(), 12.5);
        QCOMPARE(dynaset->Value(QStringLiteral("S")).toString(), QStringLiteral("日本"));
        QCOMPARE(dynaset->Value(QStringLiteral("d")).toDateTime(),
                 QDateTime(QDate(2001, 12, 31), QTime(23, 59, 59)));
        QVERIFY(dynaset->Value(3).isNull());
        QVERIFY(dynaset->Value(QStringLiteral("nosuch")).isNull());
        dynaset->MoveNext();
        QVERIFY(dynaset->IsEOF());
        dynaset->Close();
        QVERIFY(dynaset->IsEOF());
    }

    void emptyResultIsAtEofAtOnce()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir, {QStringLiteral("CREATE TABLE T (A NUMBER)")});
        auto dynaset = db.database->DBCreateDynaset(QStringLiteral("SELECT * FROM T"), 0);
        QVERIFY(dynaset->IsEOF());
        QCOMPARE(dynaset->FieldCount(), 1);
        QCOMPARE(dynaset->RecordCount(), qint64(0));
    }

    void recordCountCountsTheWholeResult()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(
            dir, {QStringLiteral("CREATE TABLE T (A NUMBER)"),
                  QStringLiteral("INSERT INTO T WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 25) SELECT x FROM c")});
        auto dynaset = db.database->DBCreateDynaset(QStringLiteral("SELECT A FROM T WHERE A > 5 ORDER BY A"), 0);
        QCOMPARE(dynaset->RecordCount(), qint64(20));
        QCOMPARE(dynaset->Value(0).toInt(), 6);
    }

    // Opening a dynaset on a large table and reading a few rows must not read
    // the rest: a function in the query counts the rows the engine produced.
    void dynasetStreams()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(
            dir, {QStringLiteral("CREATE TABLE BIG (N NUMBER)"),
                  QStringLiteral("INSERT INTO BIG WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000) SELECT x FROM c")});
        auto& engine = static_cast<SqliteEngine&>(db.database->engine());
        static int produced = 0;
        produced = 0;
        sqlite3_create_function_v2(
            engine.handle(), "COUNTED", 1, SQLITE_UTF8, nullptr,
            [](sqlite3_context* context, int, sqlite3_value** argv) {
                ++produced;
                sqlite3_result_value(context, argv[0]);
            },
            nullptr, nullptr, nullptr);
        auto dynaset = db.database->DBCreateDynaset(QStringLiteral("SELECT COUNTED(N) FROM BIG"), 0);
        for (int i = 0; i < 300; ++i) {
            QVERIFY(!dynaset->IsEOF());
            dynaset->MoveNext();
        }
        QVERIFY2(produced <= 301, qPrintable(QString::number(produced)));
        dynaset->Close();
    }

    void rollbackUndoesAndCommitKeeps()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir, {QStringLiteral("CREATE TABLE T (A NUMBER)")});
        db.session->DbBeginTrans();
        QCOMPARE(db.database->DbExecuteSQL(QStringLiteral("INSERT INTO T VALUES (1)")), 1);
        db.session->DBRollBack();
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT COUNT(*) FROM T")), QList<QStringList>{{QStringLiteral("0")}});
        db.session->DbBeginTrans();
        QCOMPARE(db.database->DbExecuteSQL(QStringLiteral("INSERT INTO T VALUES (1)")), 1);
        // A failing statement inside the transaction undoes itself only.
        QCOMPARE(basKovaData::ExecuteSql(db.database.get(), QStringLiteral("INSERT INTO T VALUES ('x')")), -1);
        db.session->DbCommitTrans();
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT COUNT(*) FROM T")), QList<QStringList>{{QStringLiteral("1")}});
        QVERIFY_THROWS_EXCEPTION(OraError, db.session->DbCommitTrans());
    }

    // Texts that share one compiled statement must store exactly what their
    // literals say.
    void sharedStatementsStoreTheirOwnLiterals()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir, {QStringLiteral("CREATE TABLE T (A NUMBER, B VARCHAR2(20), C NUMBER(10,2))")});
        const QStringList inserts = {
            QStringLiteral("Insert into T Values(  1 ,'x' , 1.5 ) "),
            QStringLiteral("Insert into T Values(  2 ,'it''s' , -2.25 ) "),
            QStringLiteral("Insert into T Values(  3 ,'@SYSDATE' ,Null ) "),
            QStringLiteral("Insert into T Values(  4 ,'12' , 1e3 ) "),
            QStringLiteral("Insert into T Values(  9223372036854775808 ,'' , .5 ) "),
        };
        for (const QString& insert : inserts)
            QCOMPARE(db.database->DbExecuteSQL(insert), 1);
        const QList<QStringList> expected = {
            {QStringLiteral("1"), QStringLiteral("x"), QStringLiteral("1.5")},
            {QStringLiteral("2"), QStringLiteral("it's"), QStringLiteral("-2.25")},
            {QStringLiteral("3"), QStringLiteral("@SYSDATE"), QStringLiteral("[NULL]")},
            {QStringLiteral("4"), QStringLiteral("12"), QStringLiteral("1000")},
            {QStringLiteral("9.22337203685478E+18"), QStringLiteral("[NULL]"), QStringLiteral("0.5")},
        };
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT A, B, C FROM T ORDER BY A")), expected);
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT TYPEOF(B) FROM T WHERE A = 4")),
                 QList<QStringList>{{QStringLiteral("text")}});
    }
};

QTEST_GUILESS_MAIN(tst_EngineAccess)
#include "tst_EngineAccess.moc"
