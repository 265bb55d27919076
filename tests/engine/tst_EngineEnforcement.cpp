// label: engine
// Rows that Oracle refuses fail on the embedded engine too, as one failed
// statement; accepted values are stored as Oracle stores them.
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kovatest;

namespace {

const QStringList Schema = {
    QStringLiteral("CREATE TABLE T (K NUMBER(4) PRIMARY KEY, NM VARCHAR2(6) NOT NULL, AMT NUMBER(5,2), "
                   "CD CHAR(4), D DATE, F FLOAT, I INTEGER, NC NCHAR(3))"),
    QStringLiteral("INSERT INTO T (K, NM) VALUES (1, 'one')"),
};

}  // namespace

class tst_EngineEnforcement : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { basKovaData::ResetForTests(); }

    void refusedRows_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("error");
        auto row = [](const char* name, const char* sql, const char* error) {
            QTest::newRow(name) << QString::fromUtf8(sql) << QString::fromUtf8(error);
        };
        row("duplicate key", "INSERT INTO T (K, NM) VALUES (1, 'x')", "ORA-00001");
        row("null key", "INSERT INTO T (K, NM) VALUES (NULL, 'x')", "ORA-01400");
        row("not null", "INSERT INTO T (K, NM) VALUES (2, NULL)", "ORA-01400");
        row("empty string is null", "INSERT INTO T (K, NM) VALUES (2, '')", "ORA-01400");
        row("update to null", "UPDATE T SET NM = NULL", "ORA-01400");
        row("text too long", "INSERT INTO T (K, NM) VALUES (2, 'abcdefg')", "ORA-12899");
        row("double-byte too long", "INSERT INTO T (K, NM) VALUES (2, '日本語だ')", "ORA-12899");
        row("char too long", "INSERT INTO T (K, NM, CD) VALUES (2, 'x', 'abcde')", "ORA-12899");
        row("nchar counts characters", "INSERT INTO T (K, NM, NC) VALUES (2, 'x', '日本語は')", "ORA-12899");
        row("precision of key", "INSERT INTO T (K, NM) VALUES (10000, 'x')", "ORA-01438");
        row("precision with scale", "INSERT INTO T (K, NM, AMT) VALUES (2, 'x', 1000)", "ORA-01438");
        row("precision after rounding", "INSERT INTO T (K, NM, AMT) VALUES (2, 'x', 999.996)", "ORA-01438");
        row("negative precision", "INSERT INTO T (K, NM, AMT) VALUES (2, 'x', -1000)", "ORA-01438");
        row("update precision", "UPDATE T SET AMT = 123456", "ORA-01438");
        row("invalid number", "INSERT INTO T (K, NM, AMT) VALUES (2, 'x', 'abc')", "ORA-01722");
        row("invalid number in float", "INSERT INTO T (K, NM, F) VALUES (2, 'x', '1a')", "ORA-01722");
        row("invalid date text", "INSERT INTO T (K, NM, D) VALUES (2, 'x', '2001-02-30 00:00:00')", "ORA-01861");
        row("date not a date", "INSERT INTO T (K, NM, D) VALUES (2, 'x', 'tomorrow')", "ORA-01861");
        row("invalid TO_DATE", "INSERT INTO T (K, NM, D) VALUES (2, 'x', TO_DATE('20010230 000000','YYYYMMDD HH24MISS'))", "ORA-01839");
        row("quote inside value", "Insert into T Values(  2 ,'it's' ,Null ,Null ,Null ,Null ,Null ,Null ) ", "ORA-00900");
    }

    void refusedRows()
    {
        QFETCH(QString, sql);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir, Schema);
        try {
            db.database->DbExecuteSQL(sql);
            QFAIL("the statement was accepted");
        } catch (const OraError& e) {
            QVERIFY2(e.message().startsWith(error), qPrintable(e.message()));
        }
        // Nothing of the failed statement stays.
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT K, NM, AMT FROM T")),
                 (QList<QStringList>{{QStringLiteral("1"), QStringLiteral("one"), QStringLiteral("[NULL]")}}));
    }

    void storedValues_data()
    {
        QTest::addColumn<QString>("values");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* values, const char* column, const char* expected) {
            QTest::newRow(name) << QString::fromUtf8(values) << QString::fromUtf8(column) << QString::fromUtf8(expected);
        };
        row("scale rounds half away", "AMT = 1.235", "AMT", "1.24");
        row("scale rounds negative", "AMT = -1.235", "AMT", "-1.24");
        row("number text converts", "AMT = '12.5'", "AMT", "12.5");
        row("integer rounds", "I = 2.5", "I", "3");
        row("char is padded", "CD = 'ab'", "CD", "ab  ");
        row("char pads bytes", "CD = '日'", "CD", "日  ");
        row("nchar pads characters", "NC = '日'", "NC", "日  ");
        row("empty text is null", "CD = ''", "CD", "[NULL]");
        row("exact length kept", "NM = 'ｱｲｳｴｵｶ'", "NM", "ｱｲｳｴｵｶ");
        row("double-byte fits", "NM = '日本語'", "NM", "日本語");
        row("date", "D = TO_DATE('20011231 235959','YYYYMMDD HH24MISS')", "TO_CHAR(D, 'YYYYMMDD HH24MISS')", "20011231 235959");
        row("float keeps digits", "F = 1.23456789", "F", "1.23456789");
    }

    void storedValues()
    {
        QFETCH(QString, values);
        QFETCH(QString, column);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir, Schema);
        QCOMPARE(db.database->DbExecuteSQL(QStringLiteral("UPDATE T SET ") + values), 1);
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT ") + column + QStringLiteral(" FROM T")),
                 QList<QStringList>{{expected}});
        // The same through an INSERT.
        const QString insert = QStringLiteral("INSERT INTO T SELECT 2, NM, AMT, CD, D, F, I, NC FROM T WHERE K = 1");
        QCOMPARE(db.database->DbExecuteSQL(insert), 1);
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT ") + column + QStringLiteral(" FROM T WHERE K = 2")),
                 QList<QStringList>{{expected}});
    }

    void paddedCharKeysCollide()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir, {QStringLiteral("CREATE TABLE C (K CHAR(3) PRIMARY KEY)"),
                                                       QStringLiteral("INSERT INTO C VALUES ('a')")});
        QCOMPARE(basKovaData::ExecuteSql(db.database.get(), QStringLiteral("INSERT INTO C VALUES ('a  ')")), qint64(-1));
        QCOMPARE(basKovaData::ExecuteSql(db.database.get(), QStringLiteral("INSERT INTO C VALUES ('b')")), qint64(1));
    }

    void tablesCreatedLaterAreGuarded()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir);
        QCOMPARE(db.database->DbExecuteSQL(QStringLiteral("CREATE TABLE L (V VARCHAR2(2))")), 0);
        QCOMPARE(basKovaData::ExecuteSql(db.database.get(), QStringLiteral("INSERT INTO L VALUES ('abc')")), qint64(-1));
        QCOMPARE(db.database->DbExecuteSQL(QStringLiteral("DROP TABLE L")), 0);
        QCOMPARE(db.database->DbExecuteSQL(QStringLiteral("CREATE TABLE L (V VARCHAR2(4))")), 0);
        QCOMPARE(basKovaData::ExecuteSql(db.database.get(), QStringLiteral("INSERT INTO L VALUES ('abc')")), qint64(1));
    }

    // The dialect lives in the connection, not in the file: a plain SQLite
    // connection sees only the user's tables (and the statistics table).
    void nothingIsWrittenIntoTheFile()
    {
        QTemporaryDir dir;
        {
            const TestDatabase db = OpenTestDatabase(dir, Schema);
            QCOMPARE(db.database->DbExecuteSQL(QStringLiteral("ANALYZE TABLE T COMPUTE STATISTICS")), 0);
        }
        const TestDatabase plain = OpenTestDatabase(dir);
        QCOMPARE(QueryRows(*plain.database, QStringLiteral("SELECT type, name FROM main.sqlite_master ORDER BY name")),
                 (QList<QStringList>{{QStringLiteral("table"), QStringLiteral("KOVA$TABLE_STATISTICS")},
                                     {QStringLiteral("table"), QStringLiteral("T")},
                                     {QStringLiteral("index"), QStringLiteral("sqlite_autoindex_KOVA$TABLE_STATISTICS_1")},
                                     {QStringLiteral("index"), QStringLiteral("sqlite_autoindex_T_1")}}));
    }
};

QTEST_GUILESS_MAIN(tst_EngineEnforcement)
#include "tst_EngineEnforcement.moc"
