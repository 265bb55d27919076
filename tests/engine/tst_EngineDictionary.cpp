// label: engine
// The data dictionary of the embedded engine, read with the statements the
// windows send.
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kovatest;

namespace {

QString ColumnQuery(const QString& table)
{
    return QStringLiteral("select column_name,data_type,data_precision,char_col_decl_length,data_scale,"
                          "DECODE(NULLABLE,'N','NOT NULL','Y','NULL') nn")
           + QStringLiteral(" from user_tab_columns where table_name = '") + table + QStringLiteral("'")
           + QStringLiteral(" ORDER BY COLUMN_ID ");
}

QString KeyQuery(const QString& table)
{
    return QStringLiteral("select table_name,column_name from user_cons_columns c")
           + QStringLiteral(" where (table_name,constraint_name) in")
           + QStringLiteral(" (select table_name,constraint_name from user_constraints")
           + QStringLiteral(" where table_name = '") + table + QStringLiteral("' and constraint_type='P')");
}

const QString N = QStringLiteral("[NULL]");

}  // namespace

class tst_EngineDictionary : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { basKovaData::ResetForTests(); }

    void columnTypes_data()
    {
        QTest::addColumn<QString>("declared");
        QTest::addColumn<QStringList>("expected");  // data_type, precision, char length, scale, nn
        auto row = [](const char* name, const char* declared, QStringList expected) {
            QTest::newRow(name) << QString::fromUtf8(declared) << expected;
        };
        row("NUMBER", "NUMBER", {QStringLiteral("NUMBER"), N, N, N, QStringLiteral("NULL")});
        row("NUMBER(9)", "NUMBER(9)", {QStringLiteral("NUMBER"), QStringLiteral("9"), N, QStringLiteral("0"), QStringLiteral("NULL")});
        row("NUMBER(10,2)", "NUMBER(10, 2)", {QStringLiteral("NUMBER"), QStringLiteral("10"), N, QStringLiteral("2"), QStringLiteral("NULL")});
        row("INTEGER", "INTEGER", {QStringLiteral("NUMBER"), N, N, QStringLiteral("0"), QStringLiteral("NULL")});
        row("VARCHAR2", "VARCHAR2(20)", {QStringLiteral("VARCHAR2"), N, QStringLiteral("20"), N, QStringLiteral("NULL")});
        row("lower case", "varchar2(30)", {QStringLiteral("VARCHAR2"), N, QStringLiteral("30"), N, QStringLiteral("NULL")});
        row("CHAR", "CHAR(6)", {QStringLiteral("CHAR"), N, QStringLiteral("6"), N, QStringLiteral("NULL")});
        row("CHAR alone", "CHAR", {QStringLiteral("CHAR"), N, QStringLiteral("1"), N, QStringLiteral("NULL")});
        row("NCHAR", "NCHAR(4)", {QStringLiteral("NCHAR"), N, QStringLiteral("4"), N, QStringLiteral("NULL")});
        row("DATE", "DATE", {QStringLiteral("DATE"), N, N, N, QStringLiteral("NULL")});
        row("FLOAT", "FLOAT", {QStringLiteral("FLOAT"), QStringLiteral("126"), N, N, QStringLiteral("NULL")});
        row("RAW", "RAW(16)", {QStringLiteral("RAW"), N, N, N, QStringLiteral("NULL")});
        row("BLOB", "BLOB", {QStringLiteral("BLOB"), N, N, N, QStringLiteral("NULL")});
        row("LONG RAW", "LONG RAW", {QStringLiteral("LONG RAW"), N, N, N, QStringLiteral("NULL")});
        row("sqlite TEXT", "TEXT", {QStringLiteral("VARCHAR2"), N, QStringLiteral("4000"), N, QStringLiteral("NULL")});
        row("sqlite REAL", "REAL", {QStringLiteral("FLOAT"), QStringLiteral("63"), N, N, QStringLiteral("NULL")});
        row("not null", "VARCHAR2(5) NOT NULL", {QStringLiteral("VARCHAR2"), N, QStringLiteral("5"), N, QStringLiteral("NOT NULL")});
    }

    void columnTypes()
    {
        QFETCH(QString, declared);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir, {QStringLiteral("CREATE TABLE t (c ") + declared + QStringLiteral(")")});
        const QList<QStringList> rows = QueryRows(*db.database, ColumnQuery(QStringLiteral("T")));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].mid(1), expected);
        QCOMPARE(rows[0][0], QStringLiteral("C"));
    }

    void columnsComeInDeclaredOrderAndKeysAreNotNull()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(
            dir, {QStringLiteral("CREATE TABLE 受注明細 (明細番号 NUMBER(4), 品名 VARCHAR2(40), 受注番号 NUMBER(8), "
                                 "備考 VARCHAR2(100), PRIMARY KEY (受注番号, 明細番号))")});
        const QList<QStringList> rows = QueryRows(*db.database, ColumnQuery(QStringLiteral("受注明細")));
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[0][0], QStringLiteral("明細番号"));
        QCOMPARE(rows[0][5], QStringLiteral("NOT NULL"));
        QCOMPARE(rows[1][5], QStringLiteral("NULL"));
        QCOMPARE(rows[2][5], QStringLiteral("NOT NULL"));
        QCOMPARE(rows[3][0], QStringLiteral("備考"));
        // Both key columns, whatever their place in the table.
        QList<QStringList> keys = QueryRows(*db.database, KeyQuery(QStringLiteral("受注明細")));
        std::sort(keys.begin(), keys.end());
        QCOMPARE(keys, (QList<QStringList>{{QStringLiteral("受注明細"), QStringLiteral("受注番号")},
                                           {QStringLiteral("受注明細"), QStringLiteral("明細番号")}}));
    }

    void tableWithoutKeyHasNoKeyRows()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(
            dir, {QStringLiteral("CREATE TABLE LOG (MSG VARCHAR2(10) UNIQUE, AT DATE)")});
        QCOMPARE(QueryRows(*db.database, KeyQuery(QStringLiteral("LOG"))).size(), 0);
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT CONSTRAINT_TYPE, COLUMN_NAME FROM USER_CONSTRAINTS K, "
                                                        "USER_CONS_COLUMNS C WHERE K.CONSTRAINT_NAME = C.CONSTRAINT_NAME")),
                 (QList<QStringList>{{QStringLiteral("U"), QStringLiteral("MSG")}}));
    }

    void objectListsTablesThenViews()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(
            dir, {QStringLiteral("CREATE TABLE B (X NUMBER)"), QStringLiteral("CREATE TABLE a (X NUMBER)"),
                  QStringLiteral("CREATE VIEW V1 AS SELECT X FROM B")});
        // Names come upper-cased as Oracle keeps unquoted names; the
        // engine's own statistics table never shows.
        QVERIFY(basKovaData::ExecuteSql(db.database.get(), QStringLiteral("ANALYZE TABLE B COMPUTE STATISTICS")) == 0);
        QCOMPARE(QueryRows(*db.database, QStringLiteral("select TABLE_NAME from USER_TABLES")),
                 (QList<QStringList>{{QStringLiteral("B")}, {QStringLiteral("A")}}));
        QCOMPARE(QueryRows(*db.database, QStringLiteral("select VIEW_NAME from user_views")),
                 (QList<QStringList>{{QStringLiteral("V1")}}));
        // A view's columns are in the column dictionary too.
        QCOMPARE(QueryRows(*db.database, ColumnQuery(QStringLiteral("V1"))).size(), 1);
    }

    void viewTextIsTheQuery()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(
            dir, {QStringLiteral("CREATE TABLE T (X NUMBER, Y VARCHAR2(5))"),
                  QStringLiteral("CREATE VIEW V (A, B) AS\nSELECT X,\n       Y FROM T WHERE Y = 'AS'")});
        QCOMPARE(QueryRows(*db.database, QStringLiteral("select TEXT from user_views where VIEW_NAME = 'V'")),
                 (QList<QStringList>{{QStringLiteral("SELECT X,\n       Y FROM T WHERE Y = 'AS'")}}));
    }

    void brokenViewFailsItsColumnQueryAndCount()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(
            dir, {QStringLiteral("CREATE TABLE T (X NUMBER)"), QStringLiteral("CREATE VIEW V AS SELECT X FROM T"),
                  QStringLiteral("DROP TABLE T")});
        QVERIFY_THROWS_EXCEPTION(OraError, QueryRows(*db.database, QStringLiteral(" SELECT COUNT(*) CNT FROM V")));
        QCOMPARE(QueryRows(*db.database, QStringLiteral("select VIEW_NAME from user_views")).size(), 1);
    }

    void countQueryAndUserCondition()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(
            dir, {QStringLiteral("CREATE TABLE T (K NUMBER(3) PRIMARY KEY, NAME VARCHAR2(10))"),
                  QStringLiteral("INSERT INTO T VALUES (1, 'Apple')"), QStringLiteral("INSERT INTO T VALUES (2, 'apple')"),
                  QStringLiteral("INSERT INTO T VALUES (3, 'Banana')")});
        auto count = db.database->DBCreateDynaset(QStringLiteral(" SELECT COUNT(*) CNT FROM T"), 0);
        QCOMPARE(count->Value(QStringLiteral("CNT")).toInt(), 3);
        // LIKE is case-sensitive, as on Oracle.
        QCOMPARE(QueryRows(*db.database, QStringLiteral(" SELECT * FROM T WHERE NAME LIKE 'A%'")),
                 (QList<QStringList>{{QStringLiteral("1"), QStringLiteral("Apple")}}));
        QCOMPARE(QueryRows(*db.database, QStringLiteral(" SELECT * FROM T ORDER BY K DESC")).first().first(),
                 QStringLiteral("3"));
    }

    void userTablesHasTheClassicColumnsAndStatistics()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(
            dir, {QStringLiteral("CREATE TABLE T (K NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20), D DATE)"),
                  QStringLiteral("INSERT INTO T VALUES (1, 'abc', SYSDATE)"), QStringLiteral("INSERT INTO T VALUES (2, 'abcdef', NULL)")});
        const QString query = QStringLiteral("SELECT * from user_tables where TABLE_NAME='T'");
        auto before = db.database->DBCreateDynaset(query, 0);
        QStringList names;
        for (int i = 0; i < before->FieldCount(); ++i)
            names.append(before->FieldName(i));
        for (const char* column : {"TABLE_NAME", "TABLESPACE_NAME", "CLUSTER_NAME", "PCT_FREE", "NUM_ROWS", "BLOCKS",
                                   "AVG_ROW_LEN", "SAMPLE_SIZE", "LAST_ANALYZED", "CACHE", "TABLE_LOCK", "BACKED_UP"})
            QVERIFY2(names.contains(QLatin1String(column)), column);
        QVERIFY(before->Value(QStringLiteral("NUM_ROWS")).isNull());
        QVERIFY(before->Value(QStringLiteral("LAST_ANALYZED")).isNull());
        QVERIFY(before->Value(QStringLiteral("CLUSTER_NAME")).isNull());
        before->Close();

        basKovaData::SetClock([] { return QDateTime(QDate(2001, 12, 10), QTime(12, 34, 56)); });
        QCOMPARE(basKovaData::ExecuteSql(db.database.get(), QStringLiteral("ANALYZE TABLE T COMPUTE STATISTICS")), qint64(0));
        auto after = db.database->DBCreateDynaset(query, 0);
        QCOMPARE(after->Value(QStringLiteral("NUM_ROWS")).toInt(), 2);
        QCOMPARE(after->Value(QStringLiteral("SAMPLE_SIZE")).toInt(), 2);
        QCOMPARE(after->Value(QStringLiteral("BLOCKS")).toInt(), 1);
        QVERIFY(after->Value(QStringLiteral("AVG_ROW_LEN")).toInt() > 10);
        QCOMPARE(after->Value(QStringLiteral("LAST_ANALYZED")).toDateTime(),
                 QDateTime(QDate(2001, 12, 10), QTime(12, 34, 56)));
        after->Close();

        QCOMPARE(basKovaData::ExecuteSql(db.database.get(), QStringLiteral("ANALYZE TABLE T DELETE STATISTICS")), qint64(0));
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT NUM_ROWS FROM USER_TABLES WHERE TABLE_NAME='T'")),
                 QList<QStringList>{{N}});
        QCOMPARE(basKovaData::ExecuteSql(db.database.get(), QStringLiteral("ANALYZE TABLE NOPE COMPUTE STATISTICS")), qint64(-1));
    }

    void oracleFunctions_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* expression, const char* expected) {
            QTest::newRow(name) << QString::fromUtf8(expression) << QString::fromUtf8(expected);
        };
        row("decode match", "DECODE('N','N','NOT NULL','Y','NULL')", "NOT NULL");
        row("decode second", "DECODE('Y','N','NOT NULL','Y','NULL')", "NULL");
        row("decode default", "DECODE(3,1,'a',2,'b','z')", "z");
        row("decode no default", "DECODE(3,1,'a')", "[NULL]");
        row("decode null matches null", "DECODE(NULL,NULL,'n','x')", "n");
        row("decode number text", "DECODE(2,'2','two','x')", "two");
        row("nvl", "NVL(NULL,'x')", "x");
        row("nvl empty is null", "NVL('','x')", "x");
        row("nvl2", "NVL2('a','set','unset')", "set");
        row("to_date", "TO_CHAR(TO_DATE('20011231 235959','YYYYMMDD HH24MISS'),'YYYY/MM/DD HH24:MI:SS')", "2001/12/31 23:59:59");
        row("to_date short", "TO_CHAR(TO_DATE('20011231','YYYYMMDD'))", "31-DEC-01");
        row("to_date default", "TO_CHAR(TO_DATE('2001-12-31'), 'YYYYMMDD HH24MISS')", "20011231 000000");
        row("to_char month", "TO_CHAR(TO_DATE('2001-02-03','YYYY-MM-DD'),'DD-MON-YYYY Dy')", "03-FEB-2001 Sat");
        row("to_char 12h", "TO_CHAR(TO_DATE('2001-02-03 13:05','YYYY-MM-DD HH24:MI'),'HH:MI PM')", "01:05 PM");
        row("to_date day only", "TO_CHAR(TO_DATE('15','DD'),'YYYYMMDD')", "20011215");
        row("to_date text ends early", "TO_CHAR(TO_DATE('2005','YYYYMMDD'),'YYYYMMDD')", "20051201");
        row("to_date two-digit year", "TO_CHAR(TO_DATE('070305','YYMMDD'),'YYYYMMDD')", "20070305");
        row("to_date lower-case model", "TO_CHAR(TO_DATE('20020304 050607','yyyymmdd hh24miss'),'YYYYMMDD HH24MISS')",
            "20020304 050607");
        row("to_date models in turn",
            "TO_CHAR(TO_DATE('2001/02/03','YYYY/MM/DD'),'YYYYMMDD') || TO_CHAR(TO_DATE('04-05-2006','DD-MM-YYYY'),'YYYYMMDD')"
            " || TO_CHAR(TO_DATE('2007/08/09','YYYY/MM/DD'),'YYYYMMDD')",
            "200102032006050420070809");
        row("to_char number", "TO_CHAR(0.5)", ".5");
        row("sysdate", "TO_CHAR(SYSDATE,'YYYYMMDD')", "20011210");
        row("lengthb", "LENGTHB('aｱ漢字')", "6");
        row("concat", "CONCAT('a', NULL)", "a");
        row("dual", "(SELECT DUMMY FROM DUAL)", "X");
    }

    void oracleFunctions()
    {
        QFETCH(QString, expression);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir);
        basKovaData::SetClock([] { return QDateTime(QDate(2001, 12, 10), QTime(1, 2, 3)); });
        QCOMPARE(QueryRows(*db.database, QStringLiteral("SELECT ") + expression + QStringLiteral(" FROM DUAL")),
                 QList<QStringList>{{expected}});
    }

    void badDatesFail_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::newRow("day 30 of February") << QStringLiteral("20010230 000000") << QStringLiteral("ORA-01839");
        QTest::newRow("month 13") << QStringLiteral("20011301 000000") << QStringLiteral("ORA-01843");
        QTest::newRow("hour 24") << QStringLiteral("20011231 240000") << QStringLiteral("ORA-01850");
        QTest::newRow("letters") << QStringLiteral("2001123a 000000") << QStringLiteral("ORA-01858");
        QTest::newRow("too long") << QStringLiteral("20011231 2359599") << QStringLiteral("ORA-01830");
    }

    void badDatesFail()
    {
        QFETCH(QString, text);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir);
        try {
            QueryRows(*db.database, QStringLiteral("SELECT TO_DATE('") + text + QStringLiteral("','YYYYMMDD HH24MISS') FROM DUAL"));
            QFAIL("no error");
        } catch (const OraError& e) {
            QVERIFY2(e.message().startsWith(error), qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(tst_EngineDictionary)
#include "tst_EngineDictionary.moc"
