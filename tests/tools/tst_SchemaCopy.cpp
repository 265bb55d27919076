// label: engine
// kova-sqlplus --copy-schema: the DDL made from dictionary rows, PostgreSQL's
// texts in Oracle's words, and copies of a PostgreSQL schema (with rows, a
// choice of tables, refusals) checked through the copy's own dictionary.
#include "SchemaCopy.h"
#include "SchemaDdl.h"
#include "SchemaReader.h"

#include "session/OraSession.h"
#include "support/EngineSupport.h"
#include "support/ServerSupport.h"

#include <QFile>
#include <QTest>

using namespace kovatest;
using namespace Qt::StringLiterals;

namespace {

const QStringList Schema = {
    u"CREATE TABLE ITEM (CODE CHAR(6) PRIMARY KEY, NAME VARCHAR2(40) NOT NULL UNIQUE,"
    " PRICE NUMBER(10,2) CHECK (PRICE >= 0), ADDED DATE DEFAULT SYSDATE(), BIG NUMBER(18))"_s,
    u"CREATE TABLE ORDERS (ORDER_NO NUMBER(8), LINE_NO NUMBER(4), CODE CHAR(6) NOT NULL REFERENCES ITEM"
    " ON DELETE CASCADE, QTY NUMBER(7,2), ST VARCHAR2(1) DEFAULT 'A' CHECK (ST IN ('A', 'B')), STAMP TIMESTAMP,"
    " PRIMARY KEY (ORDER_NO, LINE_NO))"_s,
    u"CREATE TABLE SHIP (ID NUMBER(8) PRIMARY KEY, ORDER_NO NUMBER(8), LINE_NO NUMBER(4), BOSS NUMBER(8)"
    " REFERENCES SHIP, NOTE VARCHAR2(100), CONSTRAINT SHIP_ORDER FOREIGN KEY (ORDER_NO, LINE_NO)"
    " REFERENCES ORDERS ON DELETE SET NULL)"_s,
    u"CREATE SEQUENCE ORDER_SEQ START WITH 100 INCREMENT BY 5 MAXVALUE 100000 CYCLE"_s,
    u"CREATE VIEW ORDER_LIST AS SELECT O.ORDER_NO, I.NAME FROM ORDERS O JOIN ITEM I ON O.CODE = I.CODE"
    " WHERE O.ST = 'A'"_s,
    u"CREATE VIEW A_ITEMS AS SELECT CODE FROM ITEM WHERE NAME ~ '^a'"_s,  // PostgreSQL's own: not copied
    u"COMMENT ON TABLE ITEM IS '商品 ''マスタ'''"_s, u"COMMENT ON COLUMN ITEM.PRICE IS 'price in yen'"_s,
    u"INSERT INTO ITEM VALUES ('A1', 'ペン ''赤''', 120.5, TO_DATE('20011201 085959', 'YYYYMMDD HH24MISS'),"
    " 123456789012345678)"_s,
    u"INSERT INTO ITEM VALUES ('B2', 'ink', NULL, NULL, -987654321098765432)"_s,
    u"INSERT INTO ITEM VALUES ('C3', 'pad', 1, NULL, NULL)"_s,
    // With two rows a table, C3 stays behind: its order, that order's
    // shipment and the shipment whose BOSS that one is go too.
    u"INSERT INTO ORDERS VALUES (1, 1, 'C3', 2, 'A', NULL)"_s,
    u"INSERT INTO ORDERS VALUES (1, 2, 'A1', 1.5, 'A', TO_DATE('20200102 030405', 'YYYYMMDD HH24MISS'))"_s,
    u"INSERT INTO SHIP VALUES (1, 1, 1, NULL, 'x')"_s, u"INSERT INTO SHIP VALUES (2, 1, 2, 1, NULL)"_s};

// A copy of the server database `server` made by SchemaCopy with `args`
// (the login, the file and the data source as %1, %2 and %3); what it wrote,
// and how it ended.
struct Run {
    int status = -1;
    QString out, err;
};

Run CopySchema(const TestDatabase& server, const QString& file, const QStringList& args)
{
    const ServerSettings settings = *Server();
    const QString login =
        u"%1/%2@DSN=%3;Database=%4"_s.arg(settings.user, settings.password, settings.dsn, server.path);
    QStringList filled;
    for (const QString& arg : args)
        filled.append(QString(arg).replace(u"%1"_s, login).replace(u"%2"_s, file).replace(u"%3"_s, settings.dsn));
    Run run;
    QTextStream out(&run.out), err(&run.err);
    QString problem;
    const auto request = SchemaCopy::Parse(filled, &problem);
    if (!request) {
        run.status = SchemaCopy::Failed;
        run.err = problem;
        return run;
    }
    run.status = SchemaCopy(out, err).run(*request);
    return run;
}

QString FileText(OraDatabase& db, const QString& sql)
{
    return RowsText(QueryRows(db, sql));
}

}  // namespace

class tst_SchemaCopy : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TestDatabase m_server;
    std::shared_ptr<OraDatabase> m_copy;
    Run m_run;

private Q_SLOTS:
    void cleanupTestCase()
    {
        m_copy.reset();
        m_server = {};
    }

    // A column's type as the DDL writes it, from its dictionary row.
    void columnType_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QList<int>>("sizes");  // DATA_LENGTH, DATA_PRECISION, DATA_SCALE, CHAR_LENGTH; -1 NULL
        QTest::addColumn<QString>("charUsed");
        QTest::addColumn<QString>("ddl");
        QTest::newRow("characters") << u"VARCHAR2"_s << QList<int>{60, -1, -1, 20} << u"C"_s << u"VARCHAR2(20 CHAR)"_s;
        QTest::newRow("bytes") << u"CHAR"_s << QList<int>{6, -1, -1, 6} << u"B"_s << u"CHAR(6 BYTE)"_s;
        QTest::newRow("national") << u"NVARCHAR2"_s << QList<int>{40, -1, -1, 20} << u"C"_s << u"NVARCHAR2(20)"_s;
        QTest::newRow("number(p,s)") << u"NUMBER"_s << QList<int>{22, 10, 2, 0} << QString() << u"NUMBER(10,2)"_s;
        QTest::newRow("number(p)") << u"NUMBER"_s << QList<int>{22, 18, 0, 0} << QString() << u"NUMBER(18)"_s;
        QTest::newRow("integer") << u"NUMBER"_s << QList<int>{22, -1, 0, 0} << QString() << u"INTEGER"_s;
        QTest::newRow("number") << u"NUMBER"_s << QList<int>{22, -1, -1, 0} << QString() << u"NUMBER"_s;
        QTest::newRow("float") << u"FLOAT"_s << QList<int>{22, 126, -1, 0} << QString() << u"FLOAT(126)"_s;
        QTest::newRow("raw") << u"RAW"_s << QList<int>{16, -1, -1, 0} << QString() << u"RAW(16)"_s;
        QTest::newRow("timestamp") << u"TIMESTAMP(6)"_s << QList<int>{11, -1, 6, 0} << QString() << u"TIMESTAMP(6)"_s;
    }
    void columnType()
    {
        QFETCH(QString, type);
        QFETCH(QList<int>, sizes);
        QFETCH(QString, charUsed);
        const auto size = [&](int i) { return sizes[i] < 0 ? std::nullopt : std::optional<int>(sizes[i]); };
        SchemaDictionary::Column column{u"C"_s, type, size(0), size(1), size(2), size(3), charUsed, true, {}};
        if (column.charLength == 0)
            column.charLength.reset();
        QTEST(SchemaDdl::ColumnType(column), "ddl");
    }

    void createSequence_data()
    {
        QTest::addColumn<QStringList>("values");  // MIN_VALUE, MAX_VALUE, INCREMENT_BY, LAST_NUMBER
        QTest::addColumn<bool>("cycle");
        QTest::addColumn<QString>("ddl");
        QTest::newRow("no limits") << QStringList{u"1"_s, u"9223372036854775807"_s, u"1"_s, u"1"_s} << false
                                   << u"CREATE SEQUENCE \"S\" START WITH 1 INCREMENT BY 1"_s;
        QTest::newRow("bounded, cycling")
            << QStringList{u"10"_s, u"100000"_s, u"5"_s, u"215"_s} << true
            << u"CREATE SEQUENCE \"S\" START WITH 215 INCREMENT BY 5 MINVALUE 10 MAXVALUE 100000 CYCLE"_s;
        QTest::newRow("downward") << QStringList{u"-1000"_s, u"-1"_s, u"-1"_s, u"-7"_s} << false
                                  << u"CREATE SEQUENCE \"S\" START WITH -7 INCREMENT BY -1 MINVALUE -1000"_s;
        QTest::newRow("oracle's default")
            << QStringList{u"1"_s, u"9999999999999999999999999999"_s, u"1"_s, u"21"_s} << false
            << u"CREATE SEQUENCE \"S\" START WITH 21 INCREMENT BY 1"_s;
    }
    void createSequence()
    {
        QFETCH(QStringList, values);
        QFETCH(bool, cycle);
        QTEST(SchemaDdl::CreateSequence({u"S"_s, values[0], values[1], values[2], values[3], cycle}), "ddl");
    }

    void oracleText_data()
    {
        QTest::addColumn<QString>("postgres");
        QTest::addColumn<QString>("oracle");
        QTest::newRow("casts") << u"(qty > (0)::numeric)"_s << u"(QTY > (0))"_s;
        QTest::newRow("any array")
            << u"((st)::text = ANY ((ARRAY['A'::character varying, 'B'::character varying])::text[]))"_s
            << u"((ST) IN ('A', 'B'))"_s;
        QTest::newRow("all array") << u"(n <> ALL (ARRAY[(1)::numeric, (2)::numeric]))"_s << u"(N NOT IN ((1), (2)))"_s;
        QTest::newRow("like") << u"((name)::text ~~ 'a::b%'::text)"_s << u"((NAME) LIKE 'a::b%')"_s;
        QTest::newRow("sysdate") << u"sysdate()"_s << u"SYSDATE"_s;
        QTest::newRow("quoted") << u"SELECT t.\"Mixed\", 'it''s' AS q FROM t"_s
                                << u"SELECT T.\"Mixed\", 'it''s' AS Q FROM T"_s;
    }
    void oracleText()
    {
        QFETCH(QString, postgres);
        QTEST(SchemaReader::OracleText(postgres), "oracle");
    }

    // The copy's dictionary says what the server's says.
    void dictionary_data()
    {
        QTest::addColumn<QString>("query");
        const QString tables = u" WHERE TABLE_NAME IN ('ITEM', 'ORDERS', 'SHIP')"_s;
        // DATA_LENGTH of characters counts bytes in the file (and in Oracle),
        // characters in PostgreSQL; CHAR_LENGTH and CHAR_USED say it for both.
        QTest::newRow("columns") << u"SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE, DATA_PRECISION, DATA_SCALE,"
                                    " NULLABLE, CHAR_USED, CHAR_LENGTH FROM USER_TAB_COLUMNS"_s
                                        + tables + u" ORDER BY TABLE_NAME, COLUMN_ID"_s;
        QTest::newRow("constraints") << u"SELECT TABLE_NAME, CONSTRAINT_NAME, CONSTRAINT_TYPE, R_CONSTRAINT_NAME,"
                                        " DELETE_RULE FROM USER_CONSTRAINTS"_s
                                            + tables + u" ORDER BY TABLE_NAME, CONSTRAINT_NAME"_s;
        // The file lists no columns for a CHECK constraint.
        QTest::newRow("key columns")
            << u"SELECT TABLE_NAME, CONSTRAINT_NAME, COLUMN_NAME, POSITION FROM USER_CONS_COLUMNS"_s + tables
                   + u" AND POSITION IS NOT NULL ORDER BY TABLE_NAME, CONSTRAINT_NAME, POSITION, COLUMN_NAME"_s;
        QTest::newRow("sequences") << u"SELECT SEQUENCE_NAME, MIN_VALUE, MAX_VALUE, INCREMENT_BY, CYCLE_FLAG"
                                      " FROM USER_SEQUENCES"_s;
        QTest::newRow("table comments") << u"SELECT TABLE_NAME, COMMENTS FROM USER_TAB_COMMENTS"
                                           " WHERE COMMENTS IS NOT NULL"_s;
        QTest::newRow("column comments") << u"SELECT TABLE_NAME, COLUMN_NAME, COMMENTS FROM USER_COL_COMMENTS"
                                            " WHERE COMMENTS IS NOT NULL"_s;
        QTest::newRow("views") << u"SELECT VIEW_NAME FROM USER_VIEWS WHERE VIEW_NAME <> 'A_ITEMS'"_s;
    }
    void dictionary()
    {
        KOVA_NEED_SERVER();
        QFETCH(QString, query);
        if (!m_copy) {
            m_server = OpenServerDatabase(Schema);
            const QString file = m_dir.filePath(u"copy.db"_s);
            m_run = CopySchema(m_server, file, {u"%1"_s, u"%2"_s});
            QVERIFY2(m_run.status != SchemaCopy::Failed, qPrintable(m_run.err));
            m_copy = OraSession().DbOpenDatabase(file, u"scott/tiger"_s);
        }
        // The view in PostgreSQL's own words is the one thing left out.
        QCOMPARE(m_run.status, int(SchemaCopy::Incomplete));
        QVERIFY2(m_run.err.contains(u"view A_ITEMS"_s) && m_run.err.count(u"ERROR"_s) == 1, qPrintable(m_run.err));
        QCOMPARE(FileText(*m_copy, query), FileText(*m_server.database, query));
    }

    // Two rows a table: values kept as they were, orphans deleted again.
    void rows()
    {
        KOVA_NEED_SERVER();
        const TestDatabase server = OpenServerDatabase(Schema);
        const QString file = m_dir.filePath(u"rows.db"_s);
        const Run run = CopySchema(server, file, {u"%1"_s, u"%2"_s, u"--rows"_s, u"2"_s});
        QVERIFY2(run.status != SchemaCopy::Failed, qPrintable(run.err));
        QVERIFY2(run.out.contains(u"Copied 3 tables (3 rows)"_s), qPrintable(run.out));
        for (const QString& orphan : {u"ORDERS: 1 row deleted again: their parent rows were not copied (foreign key ORDERS_CODE_FKEY)"_s,
                                      u"SHIP: 1 row deleted again: their parent rows were not copied (foreign key SHIP_ORDER)"_s,
                                      u"SHIP: 1 row deleted again: their parent rows were not copied (foreign key SHIP_BOSS_FKEY)"_s})
            QVERIFY2(run.err.contains(orphan), qPrintable(run.err));
        const auto copy = OraSession().DbOpenDatabase(file, u"scott/tiger"_s);
        QCOMPARE(FileText(*copy, u"SELECT TRIM(CODE), NAME, PRICE, TO_CHAR(ADDED, 'YYYYMMDD HH24MISS'),"
                                  " CASE WHEN BIG > 0 THEN BIG - 123456789012345600 ELSE BIG + 987654321098765400 END"
                                  " FROM ITEM ORDER BY CODE"_s),
                 u"A1,ペン '赤',120.5,20011201 085959,78;B2,ink,[NULL],[NULL],-32"_s);
        QCOMPARE(FileText(*copy, u"SELECT ORDER_NO, LINE_NO, QTY, TO_CHAR(STAMP, 'YYYYMMDD HH24MISS') FROM ORDERS"_s),
                 u"1,2,1.5,20200102 030405"_s);
        QCOMPARE(FileText(*copy, u"SELECT COUNT(*) FROM SHIP"_s), u"0"_s);
        QCOMPARE(FileText(*copy, u"SELECT * FROM ORDER_LIST"_s), u"1,ペン '赤'"_s);
    }

    // Numbers arrive with every digit, or their row is refused with its key
    // and the copy ends incomplete: never stored rounded.
    void numbersKeepEveryDigit()
    {
        KOVA_NEED_SERVER();
        const TestDatabase server = OpenServerDatabase(
            {u"CREATE TABLE AMOUNT (ID NUMBER(4) PRIMARY KEY, EXACT NUMBER(20,2), WIDE NUMBER(38))"_s,
             u"INSERT INTO AMOUNT VALUES (1, 123456789012345678, 1234567890123456789)"_s,
             u"INSERT INTO AMOUNT VALUES (2, 123456789012345678.91, 1)"_s,
             u"INSERT INTO AMOUNT VALUES (3, 1, 12345678901234567890123456789012345678)"_s,
             u"INSERT INTO AMOUNT VALUES (4, 0.1, -9223372036854775808)"_s});
        const QString file = m_dir.filePath(u"amounts.db"_s);
        const Run run = CopySchema(server, file, {u"%1"_s, u"%2"_s, u"--rows"_s, u"9"_s});
        QCOMPARE(run.status, int(SchemaCopy::Incomplete));
        for (const QString& refused : {u"AMOUNT: the row ID=2 was refused: EXACT: ORA-01426: "_s,
                                       u"AMOUNT: the row ID=3 was refused: WIDE: ORA-01426: "_s})
            QVERIFY2(run.err.contains(refused), qPrintable(run.err));
        const auto copy = OraSession().DbOpenDatabase(file, u"scott/tiger"_s);
        QCOMPARE(FileText(*copy, u"SELECT ID, TO_CHAR(EXACT), TO_CHAR(WIDE) FROM AMOUNT ORDER BY ID"_s),
                 u"1,123456789012345678,1234567890123456789;4,.1,-9223372036854775808"_s);
    }

    // Runs that copy a part, or nothing: the status, what standard error
    // says, and the file afterwards ("none", "kept" as it was, or the copy's
    // tables).
    void runs_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("before");  // the file's content before; none when null
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("after");
        const QString none;
        QTest::newRow("one table, in any case")
            << QStringList{u"%1"_s, u"%2"_s, u"orders"_s} << none << 0
            << u"foreign key ORDERS_CODE_FKEY of ORDERS left out: it refers to ITEM, which is not copied"_s
            << u"ORDERS"_s;
        QTest::newRow("empty file") << QStringList{u"%1"_s, u"%2"_s, u"SHIP"_s} << u""_s << 0 << u""_s << u"SHIP"_s;
        QTest::newRow("unknown table") << QStringList{u"%1"_s, u"%2"_s, u"ITEM"_s, u"NOPE"_s} << none << 1
                                       << u"NOPE is not a table or view of the server"_s << u"none"_s;
        QTest::newRow("existing file") << QStringList{u"%1"_s, u"%2"_s} << u"SQLite format 3"_s << 1
                                       << u"exists; --copy-schema writes only a new (or empty) file"_s << u"kept"_s;
        QTest::newRow("bad login") << QStringList{u"kova/wrong@%3"_s, u"%2"_s} << none << 1
                                   << u"cannot log in to "_s << u"none"_s;
        QTest::newRow("rows not a number") << QStringList{u"%1"_s, u"%2"_s, u"--rows"_s, u"ten"_s} << none << 1
                                           << u"--rows takes one whole number"_s << u"none"_s;
    }
    void runs()
    {
        KOVA_NEED_SERVER();
        QFETCH(QStringList, args);
        QFETCH(QString, before);
        QFETCH(QString, after);
        if (!m_server.database)
            m_server = OpenServerDatabase(Schema);
        const QString file = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()) + u".db"_s);
        if (!before.isNull())
            QVERIFY(WriteFile(file, before.toUtf8()));
        const Run run = CopySchema(m_server, file, args);
        QTEST(run.status, "status");
        QFETCH(QString, err);
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
        if (after == u"none"_s) {
            QVERIFY(!QFile::exists(file));
        } else if (after == u"kept"_s) {
            QCOMPARE(ReadFile(file), before.toUtf8());
        } else {
            const auto copy = OraSession().DbOpenDatabase(file, u"scott/tiger"_s);
            QCOMPARE(FileText(*copy, u"SELECT TABLE_NAME FROM USER_TABLES"_s), after);
        }
    }
};

QTEST_GUILESS_MAIN(tst_SchemaCopy)
#include "tst_SchemaCopy.moc"
