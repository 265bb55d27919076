// label: engine
// Statements on their way to a database: the lexer, what a server over ODBC
// receives, and the access layer over the embedded engine, where rows Oracle
// refuses fail and values are stored as Oracle stores them; the engine's data
// dictionary, Oracle functions and statement history, read with the
// statements the windows send.
#include "engine/OdbcEngine.h"
#include "engine/ServerDialect.h"
#include "engine/SqlHistory.h"
#include "engine/SqlLexer.h"
#include "engine/SqliteEngine.h"
#include "session/OraDynaset.h"
#include "support/EngineSupport.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QFile>
#include <QTest>

#include <bit>

using namespace kovatest;
using namespace Qt::StringLiterals;

namespace {

const QStringList Schema = {
    u"CREATE TABLE T (K NUMBER(4) PRIMARY KEY, NM VARCHAR2(6) NOT NULL, AMT NUMBER(5,2), CD CHAR(4), D DATE,"
    " F FLOAT, I INTEGER, NC NCHAR(3))"_s,
    u"INSERT INTO T (K, NM) VALUES (1, 'one')"_s, u"INSERT INTO T (K, NM) VALUES (2, 'two')"_s,
    u"INSERT INTO T (K, NM) VALUES (3, 'three')"_s, u"CREATE TABLE U (A NUMBER CHECK (A > 0))"_s,
    u"CREATE TABLE C (K CHAR(3) PRIMARY KEY)"_s, u"INSERT INTO C VALUES ('a')"_s};

QString ColumnQuery(const QString& table)
{
    return u"select column_name,data_type,data_precision,char_col_decl_length,data_scale,"
           "DECODE(NULLABLE,'N','NOT NULL','Y','NULL') nn from user_tab_columns where table_name = '"_s
           + table + u"' ORDER BY COLUMN_ID "_s;
}

QString KeyQuery(const QString& table)
{
    return u"select table_name,column_name from user_cons_columns c where (table_name,constraint_name) in"
           " (select table_name,constraint_name from user_constraints where table_name = '"_s
           + table + u"' and constraint_type='P')"_s;
}

}  // namespace

class tst_EngineAccess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { basKovaData::ResetForTests(); }

    // What the engine runs, its shared form and literals, and what PostgreSQL
    // receives; Oracle receives the text as written.
    void lexed_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("text");      // empty: as written
        QTest::addColumn<QString>("shared");    // empty: not shared
        QTest::addColumn<QString>("literals");  // joined by "|"
        QTest::addColumn<QString>("pg");        // empty: the text the engine runs
        auto row = [](const char* name, const char* sql, const char* text, const char* shared = "", const char* literals = "",
                      const char* pg = "") {
            QTest::newRow(name) << QString::fromUtf8(sql) << QString::fromUtf8(text) << QString::fromUtf8(shared)
                                << QString::fromUtf8(literals) << QString::fromUtf8(pg);
        };
        row("insert", "Insert into T Values(  12 ,'abc' ,Null, SYSDATE ) ", "Insert into T Values(  12 ,'abc' ,Null, (SYSDATE()) ) ",
            "Insert into T Values(  ? ,? ,Null, (SYSDATE()) ) ", "12|abc");
        row("doubled quote", "INSERT INTO 商品 VALUES ('it''s 日本')", "", "INSERT INTO 商品 VALUES (?)", "it's 日本");
        row("numbers", "UPDATE T2 SET A = -1.5e3, B = .5 WHERE K = 7", "", "UPDATE T2 SET A = -?, B = ? WHERE K = ?",
            "1.5e3|.5|7");
        row("query is not shared", "SELECT 1 FROM T ORDER BY 1", "");
        row("insert select not shared", "INSERT INTO T SELECT 1 FROM U", "");
        row("blob literal not shared", "INSERT INTO T VALUES (X'0A')", "");
        row("trailing semicolon", "DELETE FROM T WHERE A = 1 ; -- done", "DELETE FROM T WHERE A = 1 ", "DELETE FROM T WHERE A = ? ", "1");
        row("semicolons in quotes and comments", "DELETE FROM \"a;b\" /* ; */ WHERE A = 'x;y'", "",
            "DELETE FROM \"a;b\" /* ; */ WHERE A = ?", "x;y");
        row("oracle words", "SELECT SYSDATE, T.SYSDATE, sysdate() FROM T MINUS SELECT 1, 2, 3 FROM U",
            "SELECT (SYSDATE()), T.SYSDATE, sysdate() FROM T EXCEPT SELECT 1, 2, 3 FROM U");
        row("alternative quotes", "INSERT INTO T VALUES (q'[it's]', Nq'{a;b}', Q'!x!')",
            "INSERT INTO T VALUES ('it''s', 'a;b', 'x')", "INSERT INTO T VALUES (?, ?, ?)", "it's|a;b|x");
        row("alternative quote in a query", "SELECT q'<a>b>' FROM DUAL", "SELECT 'a>b' FROM DUAL");
        row("unterminated quote", "DELETE FROM T WHERE A = 'x", "");
        row("quote that closes at the end", "DELETE FROM T WHERE A = 'x''", "");
        row("analyze", "analyze table app.w estimate statistics sample 5 percent", "", "", "", "ANALYZE APP.W");
        row("analyze quoted name", "ANALYZE TABLE \"My\"\"T\" COMPUTE STATISTICS", "", "", "", "ANALYZE \"My\"\"T\"");
        row("analyze of another form", "ANALYZE TABLE W DELETE STATISTICS", "");
    }

    void lexed()
    {
        QFETCH(QString, sql);
        QFETCH(QString, text);
        QFETCH(QString, pg);
        const QByteArray utf8 = sql.toUtf8();
        const LexedStatement lexed = LexStatement(std::string_view(utf8.constData(), size_t(utf8.size())));
        const QString runs = text.isEmpty() ? sql : text;
        QCOMPARE(QString::fromStdString(lexed.text), runs);
        QTEST(QString::fromStdString(lexed.sharedText), "shared");
        QStringList literals;
        for (const SqlLiteral& literal : lexed.literals)
            literals.append(QString::fromStdString(literal.text));
        QTEST(literals.join(u'|'), "literals");
        QCOMPARE(ServerStatement(ServerKind::PostgreSQL, sql), pg.isEmpty() ? runs : pg);
        if (!sql.contains(u';'))
            QCOMPARE(ServerStatement(ServerKind::Oracle, sql + u" ;"_s), sql.trimmed());
        // Two statements never reach any server.
        QVERIFY_THROWS_EXCEPTION(OraError, ServerStatement(ServerKind::Oracle, u"SELECT 1 FROM DUAL; "_s + sql));
    }

    void connectionString_data()
    {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("text");
        QTest::newRow("dsn") << u"ORCL"_s << u"tiger"_s << u"DSN=ORCL;UID=scott;PWD=tiger"_s;
        QTest::newRow("connection string") << u"Driver=X;Server=h;"_s << u"p"_s << u"Driver=X;Server=h;UID=scott;PWD=p"_s;
        QTest::newRow("semicolon in password") << u"ORCL"_s << u"ti;ger"_s << u"DSN=ORCL;UID=scott;PWD={ti;ger}"_s;
        QTest::newRow("brace in password") << u"ORCL"_s << u"a}b"_s << u"DSN=ORCL;UID=scott;PWD={a}}b}"_s;
        QTest::newRow("no password") << u"ORCL"_s << u""_s << u"DSN=ORCL;UID=scott"_s;
    }

    void connectionString()
    {
        QFETCH(QString, service);
        QFETCH(QString, password);
        QFETCH(QString, text);
        QCOMPARE(OdbcEngine::ConnectionString(service, u"scott"_s, password), text);
        // QODBC puts "DSN=" back in front unless the text names a driver or server.
        const QString name = OdbcEngine::QodbcDatabaseName(text);
        QCOMPARE(service.contains(u'=') ? name : u"DSN="_s + name, text);
    }

    // Rows processed and the value of `check` on row K = 4, or -1 and how the
    // error starts: then every table is as it was, a second statement unrun.
    void statements_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<qint64>("rows");
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("expected");
        auto done = [](const char* name, const char* sql, qint64 rows, const char* check = "", const char* value = "") {
            QTest::newRow(name) << QString::fromUtf8(sql) << rows << QString::fromUtf8(check) << QString::fromUtf8(value);
        };
        auto refused = [&done](const char* name, const char* sql, const char* error) { done(name, sql, -1, "", error); };
        done("update all", "UPDATE T SET AMT = 1", 3);
        done("delete none", "DELETE FROM T WHERE K = 99", 0);
        done("trailing semicolon", "DELETE FROM T WHERE K = 1;", 1);
        done("scale rounds half away", "INSERT INTO T (K, NM, AMT) VALUES (4, 'x', -1.235)", 1, "AMT", "-1.24");
        done("text to number, integer rounds", "INSERT INTO T (K, NM, I) VALUES (4, 'x', '2.5')", 1, "I", "3");
        done("char pads bytes", "INSERT INTO T (K, NM, CD) VALUES (4, 'x', '日')", 1, "CD", "日  ");
        done("char pads on update", "UPDATE T SET K = 4, CD = 'ab' WHERE K = 1", 1, "CD", "ab  ");
        done("nchar pads characters", "INSERT INTO T (K, NM, NC) VALUES (4, 'x', '日')", 1, "NC", "日  ");
        done("empty text is null", "UPDATE T SET K = 4, CD = '' WHERE K = 1", 1, "CD", "[NULL]");
        done("exact length kept", "INSERT INTO T (K, NM) VALUES (4, 'ｱｲｳｴｵｶ')", 1, "NM", "ｱｲｳｴｵｶ");
        done("double-byte fits", "UPDATE T SET K = 4, NM = '日本語' WHERE K = 1", 1, "NM", "日本語");
        done("date", "INSERT INTO T (K, NM, D) VALUES (4, 'x', TO_DATE('20011231 235959','YYYYMMDD HH24MISS'))", 1,
             "TO_CHAR(D, 'YYYYMMDD HH24MISS')", "20011231 235959");
        done("float keeps digits", "INSERT INTO T (K, NM, F) VALUES (4, 'x', 1.23456789)", 1, "F", "1.23456789");
        refused("missing table", "DELETE FROM NOPE", "ORA-00942");
        refused("comment only", "-- nothing", "ORA-");
        refused("second statement", "INSERT INTO T (K, NM) VALUES (9, 'x'); DROP TABLE U", "ORA-00911");
        refused("duplicate key", "INSERT INTO T (K, NM) VALUES (1, 'x')", "ORA-00001");
        refused("padded char keys collide", "INSERT INTO C VALUES ('a  ')", "ORA-00001");
        refused("null key", "INSERT INTO T (K, NM) VALUES (NULL, 'x')", "ORA-01400");
        refused("empty string is null", "INSERT INTO T (K, NM) VALUES (4, '')", "ORA-01400");
        refused("update to null", "UPDATE T SET NM = NULL", "ORA-01400");
        refused("double-byte too long", "INSERT INTO T (K, NM) VALUES (4, '日本語だ')", "ORA-12899");
        refused("char too long", "UPDATE T SET CD = 'abcde'", "ORA-12899");
        refused("nchar counts characters", "INSERT INTO T (K, NM, NC) VALUES (4, 'x', '日本語は')", "ORA-12899");
        refused("precision of key", "INSERT INTO T (K, NM) VALUES (10000, 'x')", "ORA-01438");
        refused("precision after rounding", "INSERT INTO T (K, NM, AMT) VALUES (4, 'x', 999.996)", "ORA-01438");
        refused("negative precision", "UPDATE T SET AMT = -1000", "ORA-01438");
        refused("invalid number", "INSERT INTO T (K, NM, F) VALUES (4, 'x', '1a')", "ORA-01722");
        refused("check constraint", "INSERT INTO U VALUES (0)", "ORA-02290");
        refused("invalid date text", "INSERT INTO T (K, NM, D) VALUES (4, 'x', '2001-02-30 00:00:00')", "ORA-01861");
        refused("quote inside value", "Insert into T Values(  4 ,'it's' ,Null ,Null ,Null ,Null ,Null ,Null ) ", "ORA-00900");
    }

    void statements()
    {
        QFETCH(QString, sql);
        QFETCH(QString, check);
        QFETCH(QString, expected);
        EngineDb db(Schema);
        QTEST(basKovaData::ExecuteSql(db.db.database.get(), sql), "rows");
        QCOMPARE(basKovaData::ExecuteSql(nullptr, sql), qint64(-1));
        if (!check.isEmpty())
            QCOMPARE(db.text(u"SELECT "_s + check + u" FROM T WHERE K = 4"_s), expected);
        if (!check.isEmpty() || !expected.startsWith(u"ORA-"_s))
            return;
        const QString message = ErrorOf([&] { db->DbExecuteSQL(sql); });
        QVERIFY2(message.startsWith(expected), qPrintable(message));
        QCOMPARE(db.text(u"SELECT K, NM, AMT FROM T UNION ALL SELECT COUNT(*), 'U', NULL FROM U"_s),
                 u"1,one,[NULL];2,two,[NULL];3,three,[NULL];0,U,[NULL]"_s);
    }

    // A NUMBER keeps the decimal digits it is given, rounded at its scale
    // with halves away from zero, and whole numbers with all their digits.
    void numbersKeepTheirDigits_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QVariant>("stored");  // the value as read, exactly, or the error
        QTest::newRow("six decimals") << u"NUMBER(12,6)"_s << u"665.641413"_s << QVariant(665.641413);
        QTest::newRow("a written half") << u"NUMBER(5,2)"_s << u"1.005"_s << QVariant(1.01);
        QTest::newRow("negative half") << u"NUMBER(5,2)"_s << u"-0.125"_s << QVariant(-0.13);
        QTest::newRow("below the scale") << u"NUMBER(5,2)"_s << u"0.004"_s << QVariant(0.0);
        QTest::newRow("rounded past the precision") << u"NUMBER(4,2)"_s << u"99.995"_s << QVariant(u"ORA-01438"_s);
        QTest::newRow("hundreds") << u"NUMBER(5,-2)"_s << u"12350"_s << QVariant(12400.0);
        QTest::newRow("eighteen digits") << u"NUMBER(18)"_s << u"123456789012345678"_s << QVariant(123456789012345678LL);
        QTest::newRow("the widest") << u"NUMBER(18)"_s << u"-999999999999999999"_s << QVariant(-999999999999999999LL);
        QTest::newRow("one too wide") << u"NUMBER(18)"_s << u"1000000000000000000"_s << QVariant(u"ORA-01438"_s);
        // What neither a 64-bit integer nor a double holds is refused, not rounded.
        QTest::newRow("nineteen digits") << u"NUMBER(19)"_s << u"9223372036854775807"_s << QVariant(9223372036854775807LL);
        QTest::newRow("whole, with a point") << u"NUMBER(20,2)"_s << u"123456789012345678.00"_s
                                             << QVariant(123456789012345678LL);
        QTest::newRow("fifteen digits") << u"NUMBER"_s << u"0.123456789012345"_s << QVariant(0.123456789012345);
        QTest::newRow("held exactly") << u"NUMBER"_s << u"9223372036854775808"_s << QVariant(9223372036854775808.0);
        QTest::newRow("twenty digits") << u"NUMBER(20,2)"_s << u"123456789012345678.91"_s << QVariant(u"ORA-01426"_s);
        QTest::newRow("sixteen digits") << u"NUMBER"_s << u"0.1234567890123456"_s << QVariant(u"ORA-01426"_s);
        QTest::newRow("beyond 64 bits") << u"NUMBER(38)"_s << u"12345678901234567890123456789012345678"_s
                                        << QVariant(u"ORA-01426"_s);
    }

    void numbersKeepTheirDigits()
    {
        QFETCH(QString, type);
        QFETCH(QString, value);
        QFETCH(QVariant, stored);
        EngineDb db({u"CREATE TABLE R (X %1)"_s.arg(type)});
        const QString error = ErrorOf([&] { db->DbExecuteSQL(u"INSERT INTO R VALUES (%1)"_s.arg(value)); });
        if (stored.typeId() == QMetaType::QString) {
            QCOMPARE(error.left(9), stored.toString());
            return;
        }
        QCOMPARE(error, u"accepted"_s);
        // Whole numbers stay whole, with every digit; any other number is the
        // double its digits name.
        if (stored.typeId() == QMetaType::LongLong) {
            QCOMPARE(db.text(u"SELECT typeof(X), X || '' FROM R"_s), u"integer,"_s + QString::number(stored.toLongLong()));
            return;
        }
        const QVariant read = db->DBCreateDynaset(u"SELECT X FROM R"_s, 0)->Value(0);
        QCOMPARE(qint64(std::bit_cast<quint64>(read.toDouble())), qint64(std::bit_cast<quint64>(stored.toDouble())));
    }

    // A dynaset only reads: a statement handed over as a query that would
    // write is refused before it runs.
    void dynasetsOnlyRead()
    {
        EngineDb db(Schema);
        for (const QString& sql : {u"DELETE FROM T"_s, u"UPDATE T SET AMT = 1"_s}) {
            const QString message = ErrorOf([&] { db->DBCreateDynaset(sql, 0); });
            QVERIFY2(message.startsWith(u"ORA-01456"_s), qPrintable(message));
        }
        QCOMPARE(db.text(u"SELECT COUNT(*), COUNT(AMT) FROM T"_s), u"3,0"_s);
    }

    // A row's statement shape runs as its literal text runs, inside a
    // transaction as a creation run has it: the same rows stored (values and
    // their types) or the same error, and the literal text in the history.
    // Each value is written as SQL; "~" puts a "-" into the statement's text
    // before it, and "=" puts the value into the text itself. Rows that the table's checks let in untouched skip them, so
    // the edges of each check are here.
    void shapesRunAsTheirLiterals_data()
    {
        QTest::addColumn<QStringList>("values");  // K, NM, AMT, F, D, CD, I, NC
        const QStringList defaults = {u"TO_DATE('20011231 235959','YYYYMMDD HH24MISS')"_s, u"'abcd'"_s, u"7"_s,
                                      u"'日本語'"_s};
        auto row = [&defaults](const char* name, QStringList values) {
            for (qsizetype i = values.size() - 4; i < defaults.size(); ++i)
                values.append(defaults[i]);
            QTest::newRow(name) << values;
        };
        row("plain", {u"4"_s, u"'it''s'"_s, u"1.5"_s, u"2"_s});
        row("signs and exponents", {u"+4"_s, u"'x'"_s, u"-1.235"_s, u"-1e3"_s});
        row("negative, beyond 64 bits", {u"4"_s, u"'x'"_s, u"-7"_s, u"-9223372036854775808"_s});
        row("text into numbers", {u"'4'"_s, u"'x'"_s, u"'2.5'"_s, u"' 7 '"_s});
        row("null spelled", {u"4"_s, u"'x'"_s, u"Null"_s, u"NULL"_s, u"NULL"_s, u"null"_s, u"NULL"_s, u"NULL"_s});
        row("sql text stays", {u"4"_s, u"'x'"_s, u"6*7"_s, u".5"_s, u"SYSDATE"_s});
        row("minus before a number", {u"4"_s, u"'x'"_s, u"~3"_s, u"~-3"_s});
        row("empty text", {u"4"_s, u"''"_s, u"1"_s, u"1"_s});
        row("null where required", {u"4"_s, u"NULL"_s, u"1"_s, u"1"_s});
        row("null in the text", {u"4"_s, u"=NULL"_s, u"=NULL"_s, u"1"_s});
        row("too long", {u"4"_s, u"'日本語だ'"_s, u"1"_s, u"1"_s});
        row("precision", {u"10000"_s, u"'x'"_s, u"1"_s, u"1"_s});
        row("duplicate key", {u"1"_s, u"'x'"_s, u"1"_s, u"1"_s});
        row("invalid number", {u"4"_s, u"'x'"_s, u"1"_s, u"'1a'"_s});
        row("invalid date", {u"4"_s, u"'x'"_s, u"1"_s, u"1"_s, u"TO_DATE('20010230 000000','YYYYMMDD HH24MISS')"_s});
        row("empty date", {u"4"_s, u"'x'"_s, u"1"_s, u"1"_s, u"TO_DATE('','YYYYMMDD HH24MISS')"_s});
        row("widest values", {u"9999"_s, u"'日本語'"_s, u"999.99"_s, u"1"_s, u"TO_DATE('99991231 235959','YYYYMMDD HH24MISS')"_s,
                              u"'日本'"_s, u"999999999999999999"_s, u"'ｱｲｳ'"_s});
        row("beyond the scale", {u"4"_s, u"'x'"_s, u"1.005"_s, u"1"_s});
        row("rounded into precision", {u"4"_s, u"'x'"_s, u"999.995"_s, u"1"_s});
        row("trailing and leading zeros", {u"0004"_s, u"'x'"_s, u"12.300"_s, u"0.0"_s});
        row("whole number as a fraction", {u"4.0"_s, u"'x'"_s, u"1"_s, u"1"_s, u"NULL"_s, u"'abcd'"_s, u"7.5"_s});
        row("padded", {u"4"_s, u"'x'"_s, u"1"_s, u"1"_s, u"NULL"_s, u"'ab'"_s, u"1"_s, u"'a'"_s});
        row("characters, not bytes", {u"4"_s, u"'x'"_s, u"1"_s, u"1"_s, u"NULL"_s, u"'abcd'"_s, u"1"_s, u"'日本語だ'"_s});
        row("bytes of a CHAR", {u"4"_s, u"'x'"_s, u"1"_s, u"1"_s, u"NULL"_s, u"'日本語'"_s});
        row("four bytes in UTF-8", {u"4"_s, u"'𠮷'"_s, u"1"_s, u"1"_s, u"NULL"_s, u"'ab'"_s, u"1"_s, u"'𠮷'"_s});
        row("number into text", {u"4"_s, u"12"_s, u"1"_s, u"1"_s, u"NULL"_s, u"1234"_s});
        row("text into a date", {u"4"_s, u"'x'"_s, u"1"_s, u"1"_s, u"'2001-12-31 23:59:59'"_s});
        row("eighteen digits", {u"4"_s, u"'x'"_s, u"1"_s, u"123456789012345678"_s, u"NULL"_s, u"'abcd'"_s,
                                u"123456789012345678"_s});
        row("nineteen digits", {u"4"_s, u"'x'"_s, u"1"_s, u"1"_s, u"NULL"_s, u"'abcd'"_s, u"9999999999999999999"_s});
        row("many digits", {u"4"_s, u"'x'"_s, u"0.1234567890123456789"_s, u"3.14159265358979323846"_s});
    }

    void shapesRunAsTheirLiterals()
    {
        QFETCH(QStringList, values);
        basKovaData::StatementShape shape;
        shape.appendText(u"Insert into T (K, NM, AMT, F, D, CD, I, NC) Values( "_s);
        for (qsizetype i = 0; i < values.size(); ++i) {
            shape.appendText(i > 0 ? u" ," : u" ");
            QString value = values[i];
            if (value.startsWith(u'~')) {
                shape.appendText(u'-');
                value.remove(0, 1);
            }
            if (value.startsWith(u'='))
                shape.appendText(value.mid(1));
            else
                shape.appendSql(value);
        }
        shape.appendText(u" ) "_s);
        const QString literal = shape.Literal();
        QString read = u"SELECT K, NM, AMT, TYPEOF(AMT), F, TYPEOF(F), TO_CHAR(D, 'YYYYMMDD HH24MISS'), CD, I, "
                       "TYPEOF(I), NC FROM T WHERE K NOT IN (1, 2, 3) UNION ALL SELECT EXECUTIONS, SQL_TEXT, 0, 0, 0, "
                       "0, 0, 0, 0, 0, 0 FROM V$SQL WHERE HASH_VALUE = %1 AND SQL_TEXT = "_s.arg(SqlHistory::HashValue(literal));
        basKovaData::AppendQuoted(read, literal);
        basKovaData::SetClock([] { return QDateTime(QDate(2001, 12, 10), QTime(1, 2)); });
        QStringList outcomes;
        for (const bool asShape : {false, true}) {
            EngineDb db(Schema);
            db.db.session->DbBeginTrans();
            const QString outcome = ErrorOf([&] {
                if (asShape)
                    db->DbExecuteShape(shape);
                else
                    db->DbExecuteSQL(literal);
            });
            // The table's checks hold again after the row, whichever way it went.
            const QString after = ErrorOf([&] { db->DbExecuteSQL(u"UPDATE T SET NM = '' WHERE K = 1"_s); });
            db.db.session->DbCommitTrans();
            outcomes.append(outcome + u'|' + after + u'|' + db.text(read));
        }
        QCOMPARE(outcomes[1], outcomes[0]);
        QVERIFY2(outcomes[0].contains(u"1,"_s + literal), qPrintable(outcomes[0]));
        QVERIFY2(outcomes[0].contains(u"|ORA-01407"_s) || outcomes[0].contains(u"|ORA-01400"_s), qPrintable(outcomes[0]));
    }

    // A file that is no database, or none at all, does not open, and a failed
    // login makes no file. A table made again is guarded by its new
    // declaration, and the dialect lives in the connection: the file holds
    // only tables, the statistics too.
    void files()
    {
        QTemporaryDir dir;
        QVERIFY(WriteFile(dir.filePath(u"notes.db"_s), QByteArray(4096, 'x')));
        for (const QString& name : {u"notes.db"_s, u"missing.db"_s}) {
            QVERIFY(basKovaData::OpenOracleDatabase(dir.filePath(name), u"a/b"_s, QLatin1String(basKovaData::OraSessionProgId)));
            QVERIFY2(!basKovaData::LastOpenError.isEmpty() && !basKovaData::OraDatabase, qPrintable(name));
        }
        QVERIFY(!QFile::exists(dir.filePath(u"missing.db"_s)));
        {
            const TestDatabase db = OpenTestDatabase(dir, {u"CREATE TABLE L (V VARCHAR2(2))"_s});
            QCOMPARE(basKovaData::ExecuteSql(db.database.get(), u"INSERT INTO L VALUES ('abc')"_s), qint64(-1));
            db.database->DbExecuteSQL(u"DROP TABLE L"_s);
            db.database->DbExecuteSQL(u"CREATE TABLE L (V VARCHAR2(4) PRIMARY KEY)"_s);
            QCOMPARE(basKovaData::ExecuteSql(db.database.get(), u"INSERT INTO L VALUES ('abc')"_s), qint64(1));
            db.database->DbExecuteSQL(u"ANALYZE TABLE L COMPUTE STATISTICS"_s);
        }
        const TestDatabase again = OpenTestDatabase(dir);
        QCOMPARE(RowsText(QueryRows(*again.database, u"SELECT type || ' ' || name FROM main.sqlite_master ORDER BY name"_s)),
                 u"table KOVA$COLUMN_STATISTICS;table KOVA$HISTOGRAMS;table KOVA$TABLE_STATISTICS;table L;"
                 "index sqlite_autoindex_KOVA$COLUMN_STATISTICS_1;index sqlite_autoindex_KOVA$HISTOGRAMS_1;"
                 "index sqlite_autoindex_KOVA$TABLE_STATISTICS_1;index sqlite_autoindex_L_1"_s);
        // A relative name is the program's directory's; the password is not
        // checked, and the user owns the schema's objects.
        basKovaData::AppDirectory = dir.path() + u'/';
        QVERIFY(!basKovaData::OpenOracleDatabase(u"test.db"_s, u"hr/any"_s, QLatin1String(basKovaData::OraSessionProgId)));
        QCOMPARE(RowsText(QueryRows(*basKovaData::OraDatabase, u"SELECT DISTINCT OWNER FROM USER_CONSTRAINTS"_s)), u"HR"_s);
        basKovaData::AppDirectory.clear();
        ReleaseSession();
    }

    // Values by place and by name; errors carry number 440 and the database's
    // text. Reading a few rows of a large table must not read the rest: a
    // function in the query counts the rows the engine produced. Texts that
    // share one compiled statement store exactly what their literals say.
    void dynasetsAndSharedStatements()
    {
        EngineDb db({u"CREATE TABLE T (N NUMBER(10,2), S VARCHAR2(10), D DATE, Z VARCHAR2(5))"_s,
                     u"CREATE TABLE L (A NUMBER, B VARCHAR2(20), C NUMBER(10,2))"_s,
                     u"INSERT INTO T VALUES (12.5, '日本', TO_DATE('20011231 235959','YYYYMMDD HH24MISS'), NULL)"_s,
                     u"INSERT INTO T SELECT N + 1, S, D, Z FROM T"_s, u"CREATE TABLE BIG (N NUMBER)"_s,
                     u"INSERT INTO BIG WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000000)"
                     " SELECT x FROM c"_s});
        auto dynaset = db->DBCreateDynaset(u"select n, s, d, z from t order by n"_s, 0);
        QCOMPARE(dynaset->RecordCount(), qint64(2));
        QCOMPARE(dynaset->FieldName(1), u"S"_s);
        QCOMPARE((QVariantList{dynaset->Value(0), dynaset->Value(u"S"_s), dynaset->Value(u"d"_s), dynaset->Value(3),
                               dynaset->Value(u"nosuch"_s)}),
                 (QVariantList{12.5, u"日本"_s, QDateTime(QDate(2001, 12, 31), QTime(23, 59, 59)), QVariant(), QVariant()}));
        dynaset->MoveNext();
        QCOMPARE(dynaset->Value(0), QVariant(13.5));
        dynaset->MoveNext();
        QVERIFY(dynaset->IsEOF());
        auto empty = db->DBCreateDynaset(u"SELECT * FROM T WHERE N < 0"_s, 0);
        QVERIFY(empty->IsEOF() && empty->FieldCount() == 4 && empty->RecordCount() == 0);
        try {
            db->DBCreateDynaset(u"SELECT * FROM NOWHERE"_s, 0);
            QFAIL("no error");
        } catch (const OraError& error) {
            QCOMPARE(error.number(), 440);
            QVERIFY2(error.message().startsWith(u"ORA-00942"_s) && error.message().contains(u"NOWHERE"_s),
                     qPrintable(error.message()));
        }

        static int produced = 0;
        sqlite3_create_function_v2(
            static_cast<SqliteEngine&>(db->engine()).handle(), "COUNTED", 1, SQLITE_UTF8, nullptr,
            [](sqlite3_context* context, int, sqlite3_value** argv) {
                ++produced;
                sqlite3_result_value(context, argv[0]);
            },
            nullptr, nullptr, nullptr);
        auto big = db->DBCreateDynaset(u"SELECT COUNTED(N) FROM BIG"_s, 0);
        for (int i = 0; i < 300; ++i, big->MoveNext())
            QVERIFY(!big->IsEOF());
        QVERIFY2(produced <= 301, qPrintable(QString::number(produced)));
        big->Close();
        QVERIFY(big->IsEOF());

        for (const char* values : {"1 ,'x' , 1.5", "2 ,'it''s' , -2.25", "3 ,'@SYSDATE' ,Null", "4 ,'12' , 1e3",
                                   "9223372036854775808 ,'' , .5"})
            QCOMPARE(db->DbExecuteSQL(u"Insert into L Values(  %1 ) "_s.arg(QLatin1String(values))), 1);
        QCOMPARE(db.text(u"SELECT A, B, C, TYPEOF(B) FROM L ORDER BY A"_s),
                 u"1,x,1.5,text;2,it's,-2.25,text;3,@SYSDATE,[NULL],text;4,12,1000,text;9.22337203685478E+18,[NULL],0.5,null"_s);
    }

    void dictionary()
    {
        basKovaData::SetClock([] { return QDateTime(QDate(2001, 12, 10), QTime(12, 34)); });
        EngineDb db({u"CREATE TABLE t (c1 NUMBER, c2 NUMBER(9), c3 NUMBER(10, 2), c4 INTEGER, c5 varchar2(30) NOT NULL, "
                     "c6 CHAR, c7 NCHAR(4), c8 DATETIME, c9 FLOAT, c10 LONG RAW, c11 TEXT, c12 REAL)"_s,
                     u"CREATE TABLE 受注明細 (明細番号 NUMBER(4), 品名 VARCHAR2(40), 受注番号 NUMBER(8), "
                     "PRIMARY KEY (受注番号, 明細番号))"_s,
                     u"CREATE TABLE LOG (MSG VARCHAR2(10) UNIQUE, AT DATE)"_s, u"CREATE TABLE a (X NUMBER)"_s,
                     u"INSERT INTO a VALUES (1)"_s, u"INSERT INTO a VALUES (2)"_s,
                     u"CREATE VIEW V1 (Y) AS\nSELECT X AS Y FROM a"_s, u"CREATE TABLE GONE (X NUMBER)"_s,
                     u"CREATE VIEW V2 AS SELECT X FROM GONE"_s, u"DROP TABLE GONE"_s});
        // Declared types as the dictionary reports them: data_type, precision, char length, scale, nn.
        QCOMPARE(db.text(ColumnQuery(u"T"_s)).split(u';'),
                 (QStringList{u"C1,NUMBER,[NULL],[NULL],[NULL],NULL"_s, u"C2,NUMBER,9,[NULL],0,NULL"_s,
                              u"C3,NUMBER,10,[NULL],2,NULL"_s, u"C4,NUMBER,[NULL],[NULL],0,NULL"_s,
                              u"C5,VARCHAR2,[NULL],30,[NULL],NOT NULL"_s, u"C6,CHAR,[NULL],1,[NULL],NULL"_s,
                              u"C7,NCHAR,[NULL],4,[NULL],NULL"_s, u"C8,DATE,[NULL],[NULL],[NULL],NULL"_s,
                              u"C9,FLOAT,126,[NULL],[NULL],NULL"_s, u"C10,LONG RAW,[NULL],[NULL],[NULL],NULL"_s,
                              u"C11,VARCHAR2,[NULL],4000,[NULL],NULL"_s, u"C12,FLOAT,63,[NULL],[NULL],NULL"_s}));
        // Columns in declared order; key columns are NOT NULL whatever their place.
        QCOMPARE(db.text(u"SELECT COLUMN_NAME, NN FROM ("_s + ColumnQuery(u"受注明細"_s) + u")"_s),
                 u"明細番号,NOT NULL;品名,NULL;受注番号,NOT NULL"_s);
        QCOMPARE(db.text(KeyQuery(u"受注明細"_s) + u" ORDER BY COLUMN_NAME DESC"_s), u"受注明細,明細番号;受注明細,受注番号"_s);
        // A unique constraint is no key.
        QCOMPARE(db.rows(KeyQuery(u"LOG"_s)).size(), 0);
        QCOMPARE(db.text(u"SELECT CONSTRAINT_TYPE, COLUMN_NAME FROM USER_CONSTRAINTS K, USER_CONS_COLUMNS C "
                         "WHERE K.CONSTRAINT_NAME = C.CONSTRAINT_NAME AND K.TABLE_NAME = 'LOG'"_s),
                 u"U,MSG"_s);
        // Statistics come and go with ANALYZE; the engine's own statistics table
        // never shows, and unquoted names are upper-cased as Oracle keeps them.
        const QString statistics = u"SELECT TABLE_NAME, NUM_ROWS, SAMPLE_SIZE, BLOCKS, LAST_ANALYZED FROM USER_TABLES"_s;
        QCOMPARE(basKovaData::ExecuteSql(db.db.database.get(), u"ANALYZE TABLE A COMPUTE STATISTICS"_s), qint64(0));
        QCOMPARE(db.text(statistics), u"T,[NULL],[NULL],[NULL],[NULL];受注明細,[NULL],[NULL],[NULL],[NULL];"
                                      "LOG,[NULL],[NULL],[NULL],[NULL];A,2,2,1,2001/12/10 12:34:00"_s);
        QCOMPARE(basKovaData::ExecuteSql(db.db.database.get(), u"ANALYZE TABLE A DELETE STATISTICS"_s), qint64(0));
        QCOMPARE(db.text(u"SELECT NUM_ROWS FROM USER_TABLES WHERE TABLE_NAME = 'A'"_s), u"[NULL]"_s);
        // A view whose table is gone is listed but fails when read.
        QCOMPARE(db.text(u"select VIEW_NAME, TEXT from user_views"_s), u"V1,SELECT X AS Y FROM a;V2,SELECT X FROM GONE"_s);
        QCOMPARE(db.text(ColumnQuery(u"V1"_s)), u"Y,NUMBER,[NULL],[NULL],[NULL],NULL"_s);
        QVERIFY_THROWS_EXCEPTION(OraError, db.rows(u" SELECT COUNT(*) CNT FROM V2"_s));
        // V$SQL lists the first 1000 characters of a statement.
        const QString huge = u"SELECT '"_s + QString(1200, QChar(0x65E5)) + u"' FROM DUAL"_s;
        db.rows(huge);
        QCOMPARE(db.text(u"SELECT SQL_TEXT FROM V$SQL WHERE HASH_VALUE = %1"_s.arg(SqlHistory::HashValue(huge))), huge.left(1000));
        // CHECK constraints of columns and of the table, their conditions as
        // written; an unnamed one is named after the table and its place.
        QCOMPARE(basKovaData::ExecuteSql(
                     db.db.database.get(),
                     u"CREATE TABLE ORDERS (ORDER_STATUS VARCHAR2(10) CONSTRAINT orders_status_c CHECK ( order_status in\n"
                     "  ('OPEN', 'a)b', 'CHECK (x)') ), QTY NUMBER(3) check(QTY>0) NOT NULL, \"Q\" NUMBER CONSTRAINT "
                     "\"Mixed\" CHECK (\"Q\" >= (QTY)), CONSTRAINT Q_PK PRIMARY KEY (QTY), /* CHECK (no) */ "
                     "CHECK ( qty BETWEEN 1 AND 500 ))"_s),
                 qint64(0));
        QCOMPARE(db.text(u"SELECT CONSTRAINT_NAME, SEARCH_CONDITION FROM USER_CONSTRAINTS WHERE CONSTRAINT_TYPE = 'C'"_s)
                     .split(u';'),
                 (QStringList{u"ORDERS_STATUS_C,order_status in\n  ('OPEN', 'a)b', 'CHECK (x)')"_s, u"CK_ORDERS_2,QTY>0"_s,
                              u"Mixed,\"Q\" >= (QTY)"_s, u"CK_ORDERS_4,qty BETWEEN 1 AND 500"_s}));
    }

    // Column figures and histograms after ANALYZE, worked out by hand: S has
    // five rows (the first all NULL), H the numbers 1 to 300 and a hundred more
    // 150s, 400 rows in more distinct values than a frequency histogram holds:
    // its buckets close at 400 / 253 rows, at 1, 3 ... 149, 150, 152 ... 300.
    void columnStatistics_data()
    {
        QTest::addColumn<QString>("analyze");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected");
        const QString figures = u"SELECT NUM_DISTINCT, LOW_VALUE, HIGH_VALUE, DENSITY, NUM_NULLS, NUM_BUCKETS, SAMPLE_SIZE, "
                                "AVG_COL_LEN, HISTOGRAM FROM USER_TAB_COL_STATISTICS WHERE TABLE_NAME = '%1' AND COLUMN_NAME = '%2'"_s;
        const QString endpoints = u"SELECT ENDPOINT_NUMBER, round(ENDPOINT_VALUE, 6), ENDPOINT_ACTUAL_VALUE, "
                                  "ENDPOINT_REPEAT_COUNT FROM USER_HISTOGRAMS WHERE TABLE_NAME = '%1' AND COLUMN_NAME = '%2' %3"
                                  "ORDER BY ENDPOINT_NUMBER"_s;
        const QString compute = u"ANALYZE TABLE S COMPUTE STATISTICS"_s;
        const QString shown = u"SELECT (SELECT count(*) FROM USER_TAB_COL_STATISTICS WHERE TABLE_NAME = 'S') || ',' || "
                              "(SELECT count(*) FROM USER_HISTOGRAMS WHERE TABLE_NAME = 'S') || ',' || HISTOGRAM "
                              "FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'S' AND COLUMN_NAME = 'N'"_s;
        QTest::newRow("never analyzed") << QString() << shown << u"0,0,NONE"_s;
        QTest::newRow("numbers") << compute << figures.arg(u"S"_s, u"N"_s) << u"3,3E6366,C20B,0.125,1,3,4,4,FREQUENCY"_s;
        QTest::newRow("number endpoints") << compute << endpoints.arg(u"S"_s, u"N"_s, QString())
                                          << u"1,-2,-2,0;3,1.5,1.5,0;4,1000,1000,0"_s;
        QTest::newRow("dates") << compute << figures.arg(u"S"_s, u"D"_s)
                               << u"2,77C60C1F183C3C,787C010F0B151F,0.166666666666667,2,2,3,6,FREQUENCY"_s;
        QTest::newRow("date endpoints") << compute << endpoints.arg(u"S"_s, u"D"_s, QString())
                                        << u"1,2451179.999988,1998-12-31 23:59:59,0;3,2460325.430903,2024-01-15 10:20:30,0"_s;
        QTest::newRow("texts") << compute << figures.arg(u"S"_s, u"T"_s)
                               << u"3,414243,E69DB1E4BAAC,0.125,1,3,4,4,FREQUENCY"_s;
        QTest::newRow("text endpoints") << compute << endpoints.arg(u"S"_s, u"T"_s, QString())
                                        << u"2,1.83687290164347E+16,ABC,0;3,2.75845477176443E+16,b,0;4,6.49126320156621E+16,東京,0"_s;
        QTest::newRow("in the table's columns") << compute << u"SELECT NUM_DISTINCT, NUM_NULLS, LOW_VALUE, HIGH_VALUE, "
                                                               "HISTOGRAM FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'S' AND COLUMN_NAME = 'D'"_s
                                                << u"2,2,77C60C1F183C3C,787C010F0B151F,FREQUENCY"_s;
        // The first 2 rows: a NULL and 1.5, once. Of the 5 rows about 3 are
        // NULL; 1 value seen once in 1 row estimates 1 / (1 / 2) = 2 in all.
        QTest::newRow("sample") << u"ANALYZE TABLE S ESTIMATE STATISTICS SAMPLE 2 ROWS"_s << figures.arg(u"S"_s, u"N"_s)
                                << u"2,C10233,C10233,0.5,3,1,1,3,FREQUENCY"_s;
        QTest::newRow("deleted") << compute + u";ANALYZE TABLE S DELETE STATISTICS"_s << shown << u"0,0,NONE"_s;
        QTest::newRow("hybrid") << u"ANALYZE TABLE H COMPUTE STATISTICS"_s
                                << u"SELECT NUM_DISTINCT, LOW_VALUE, HIGH_VALUE, NUM_BUCKETS, SAMPLE_SIZE, HISTOGRAM, "
                                   "(SELECT sum(ENDPOINT_REPEAT_COUNT) FROM USER_HISTOGRAMS) FROM USER_TAB_COL_STATISTICS"_s
                                << u"300,C102,C204,151,400,HYBRID,251"_s;
        QTest::newRow("hybrid endpoints") << u"ANALYZE TABLE H COMPUTE STATISTICS"_s
                                          << endpoints.arg(u"H"_s, u"V"_s, u"AND ENDPOINT_NUMBER IN (1, 2, 3, 249, 250, 251, 252, 400) "_s)
                                          << u"1,1,1,1;3,3,3,1;250,150,150,101;252,152,152,1;400,300,300,1"_s;
    }
    void columnStatistics()
    {
        QFETCH(QString, analyze);
        QFETCH(QString, query);
        EngineDb db({u"CREATE TABLE S (N NUMBER, D DATE, T VARCHAR2(10))"_s, u"INSERT INTO S VALUES (NULL, NULL, NULL)"_s,
                     u"INSERT INTO S VALUES (1.5, TO_DATE('20240115 102030', 'YYYYMMDD HH24MISS'), 'ABC')"_s,
                     u"INSERT INTO S VALUES (1.5, TO_DATE('20240115 102030', 'YYYYMMDD HH24MISS'), '東京')"_s,
                     u"INSERT INTO S VALUES (-2, TO_DATE('19981231 235959', 'YYYYMMDD HH24MISS'), 'ABC')"_s,
                     u"INSERT INTO S VALUES (1000, NULL, 'b')"_s, u"CREATE TABLE H (V NUMBER)"_s,
                     u"INSERT INTO H WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 300) "
                     "SELECT x FROM c"_s,
                     u"INSERT INTO H WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 100) "
                     "SELECT 150 FROM c"_s});
        for (const QString& statement : analyze.split(u';', Qt::SkipEmptyParts))
            QCOMPARE(basKovaData::ExecuteSql(db.db.database.get(), statement), qint64(0));
        QTEST(db.text(query), "expected");
    }

    // The constraint a foreign key refers to: the parent's primary key or the
    // unique constraint over the columns it names, also in a parent without a
    // primary key; constraint names are unique.
    void foreignKeyTargets_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("referenced");
        QTest::newRow("self reference") << u"EMPLOYEES"_s << u"MANAGER_ID"_s << u"P,EMPLOYEES,EMPLOYEE_ID"_s;
        QTest::newRow("primary key") << u"EMPLOYEES"_s << u"DEPARTMENT_ID"_s << u"P,DEPARTMENTS,DEPARTMENT_ID"_s;
        QTest::newRow("unique column") << u"EMPLOYEES"_s << u"DEPARTMENT_NAME"_s << u"U,DEPARTMENTS,DEPARTMENT_NAME"_s;
        QTest::newRow("parent without key") << u"EMPLOYEES"_s << u"JOB_ID"_s << u"U,JOBS,JOB_ID"_s;
        QTest::newRow("composite key") << u"NOTES"_s << u"EMPLOYEE_ID"_s << u"P,JOB_HISTORY,EMPLOYEE_ID;P,JOB_HISTORY,START_DATE"_s;
        QTest::newRow("composite unique") << u"NOTES"_s << u"WAREHOUSE_ID"_s << u"U,INVENTORIES,WAREHOUSE_ID;U,INVENTORIES,PRODUCT_ID"_s;
    }
    void foreignKeyTargets()
    {
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QString, referenced);
        EngineDb db({u"CREATE TABLE DEPARTMENTS (DEPARTMENT_ID NUMBER(4) PRIMARY KEY, DEPARTMENT_NAME VARCHAR2(30) UNIQUE)"_s,
                     u"CREATE TABLE JOBS (JOB_ID VARCHAR2(10), JOB_TITLE VARCHAR2(35), UNIQUE (JOB_ID))"_s,
                     u"CREATE TABLE EMPLOYEES (EMPLOYEE_ID NUMBER(6) PRIMARY KEY, EMAIL VARCHAR2(25) UNIQUE, "
                     "MANAGER_ID NUMBER(6) REFERENCES EMPLOYEES, DEPARTMENT_NAME VARCHAR2(30) REFERENCES DEPARTMENTS "
                     "(DEPARTMENT_NAME), JOB_ID VARCHAR2(10) REFERENCES JOBS (JOB_ID), DEPARTMENT_ID NUMBER(4) "
                     "REFERENCES DEPARTMENTS)"_s,
                     u"CREATE TABLE JOB_HISTORY (EMPLOYEE_ID NUMBER(6), START_DATE DATE, PRIMARY KEY (EMPLOYEE_ID, START_DATE))"_s,
                     u"CREATE TABLE INVENTORIES (INVENTORY_ID NUMBER PRIMARY KEY, WAREHOUSE_ID NUMBER, PRODUCT_ID NUMBER, "
                     "CONSTRAINT INVENTORY_STORE_PRODUCT_U UNIQUE (WAREHOUSE_ID, PRODUCT_ID))"_s,
                     u"CREATE TABLE NOTES (EMPLOYEE_ID NUMBER(6), START_DATE DATE, WAREHOUSE_ID NUMBER, PRODUCT_ID NUMBER, "
                     "FOREIGN KEY (EMPLOYEE_ID, START_DATE) REFERENCES JOB_HISTORY, "
                     "FOREIGN KEY (WAREHOUSE_ID, PRODUCT_ID) REFERENCES INVENTORIES (WAREHOUSE_ID, PRODUCT_ID))"_s});
        QCOMPARE(db.text(u"SELECT p.CONSTRAINT_TYPE, p.TABLE_NAME, pc.COLUMN_NAME FROM USER_CONS_COLUMNS cc, "
                         "USER_CONSTRAINTS c, USER_CONSTRAINTS p, USER_CONS_COLUMNS pc WHERE cc.TABLE_NAME = '%1' "
                         "AND cc.COLUMN_NAME = '%2' AND c.CONSTRAINT_NAME = cc.CONSTRAINT_NAME AND c.CONSTRAINT_TYPE = 'R' "
                         "AND p.CONSTRAINT_NAME = c.R_CONSTRAINT_NAME AND pc.CONSTRAINT_NAME = p.CONSTRAINT_NAME "
                         "ORDER BY pc.POSITION"_s.arg(table, column)),
                 referenced);
        QCOMPARE(db.text(u"SELECT COUNT(*) - COUNT(DISTINCT CONSTRAINT_NAME) FROM USER_CONSTRAINTS"_s), u"0"_s);
    }

    // An expression's value, or how its error message starts.
    void oracleFunctions_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* expression, const char* expected) {
            QTest::newRow(name) << QString::fromUtf8(expression) << QString::fromUtf8(expected);
        };
        auto date = [&row](const char* name, const char* text, const char* expected) {
            row(name, (std::string("TO_CHAR(TO_DATE('") + text + "','YYYYMMDD HH24MISS'),'YYYYMMDD HH24MISS')").c_str(),
                expected);
        };
        row("decode", "DECODE('N','N','A','Y','B') || DECODE('Y','N','A','Y','B') || DECODE(3,1,'a',2,'b','z')"
                      " || NVL(DECODE(3,1,'a'),'-') || DECODE(NULL,NULL,'n','x') || DECODE(2,'2','t','x')", "ABz-nt");
        row("nvl, empty text is null", "NVL(NULL,'x') || NVL('','y') || NVL2('a','s','u') || NVL2('','s','u')", "xysu");
        row("like is case-sensitive", "CASE WHEN 'apple' LIKE 'A%' THEN 'y' ELSE 'n' END", "n");
        row("other functions", "TO_CHAR(0.5) || '|' || TO_CHAR(SYSDATE,'YYYYMMDD') || '|' || LENGTHB('aｱ漢字') || '|'"
                               " || CONCAT('a', NULL) || (SELECT DUMMY FROM DUAL) || TO_CHAR(-123456789012345678)",
            ".5|20011210|6|aX-123456789012345678");
        row("default models", "TO_CHAR(TO_DATE('20011231','YYYYMMDD')) || TO_CHAR(TO_DATE('2001-12-31'), ' YYYYMMDD HH24MISS')",
            "31-DEC-01 20011231 000000");
        row("month and day names", "TO_CHAR(TO_DATE('2001-02-03','YYYY-MM-DD'),'DD-MON-YYYY Dy')", "03-FEB-2001 Sat");
        row("12-hour clock", "TO_CHAR(TO_DATE('2001-02-03 13:05','YYYY-MM-DD HH24:MI'),'HH:MI PM')"
                             " || TO_CHAR(TO_DATE('2001-02-03 00:30','YYYY-MM-DD HH24:MI'),' HH12:MI AM')",
            "01:05 PM 12:30 AM");
        row("parts left out come from the clock",
            "TO_CHAR(TO_DATE('15','DD'),'YYYYMMDD') || TO_CHAR(TO_DATE('2005','YYYYMMDD'),' YYYYMMDD')", "20011215 20051201");
        row("two-digit years", "TO_CHAR(TO_DATE('070305','YYMMDD'),'YYYYMMDD') || TO_CHAR(TO_DATE('991231','RRMMDD'),' YYYY')"
                               " || TO_CHAR(TO_DATE('491231','RRMMDD'),' YYYY')", "20070305 1999 2049");
        row("models in turn, lower case too",
            "TO_CHAR(TO_DATE('2001/02/03 04','yyyy/mm/dd hh24'),'YYYYMMDD HH24') || TO_CHAR(TO_DATE('04-05-2006','DD-MM-YYYY'),"
            "'YYYYMMDD') || TO_CHAR(TO_DATE('2007/08/09 10','yyyy/mm/dd hh24'),'YYYYMMDD HH24')",
            "20010203 042006050420070809 10");
        date("day 30 of February", "20010230 000000", "ORA-01839");
        date("month 13", "20011301 000000", "ORA-01843");
        date("hour 24", "20011231 240000", "ORA-01850");
        date("letters", "2001123a 000000", "ORA-01858");
        date("too long", "20011231 2359599", "ORA-01830");
    }

    void oracleFunctions()
    {
        QFETCH(QString, expression);
        EngineDb db;
        basKovaData::SetClock([] { return QDateTime(QDate(2001, 12, 10), QTime(1, 2)); });
        QString value;
        const QString error = ErrorOf([&] { value = db.text(u"SELECT "_s + expression + u" FROM DUAL"_s); });
        QTEST(error == u"accepted"_s ? value : error.left(9), "expected");
    }

    // Against a plain list as the model: newest first, at most `capacity`
    // texts, the least recently used one dropped first; a shape is the text
    // it writes.
    void historyKeepsTheLeastRecentlyUsedOrder()
    {
        const int capacity = 37;
        SqlHistory history(capacity);
        QStringList model;
        QHash<QString, qint64> executions;
        for (quint32 i = 0, state = 12345; i < 3000; ++i) {
            state = state * 1103515245u + 12345u;
            const QString number = QString::number((state >> 16) % 90);
            const QString text = u"INSERT INTO T VALUES (%1, 'it''s')"_s.arg(number);
            if (i % 3 == 0) {
                basKovaData::StatementShape shape;
                shape.appendText(u"INSERT INTO T VALUES ("_s);
                shape.appendNumber(number);
                shape.appendText(u", "_s);
                shape.appendTextValue(u"it's"_s);
                shape.appendText(u")"_s);
                history.record(shape);
            } else {
                history.record(text);
            }
            if (!model.removeOne(text) && model.size() == capacity)
                executions.remove(model.takeLast());
            model.prepend(text);
            ++executions[text];
        }
        QStringList actual;
        QStringList expected;
        for (const SqlHistory::Entry& entry : history.snapshot())
            actual.append(u"%1 x%2 #%3"_s.arg(entry.text).arg(entry.executions).arg(entry.hashValue));
        for (const QString& text : std::as_const(model))
            expected.append(u"%1 x%2 #%3"_s.arg(text).arg(executions[text]).arg(SqlHistory::HashValue(text)));
        QCOMPARE(actual, expected);
    }
};

QTEST_GUILESS_MAIN(tst_EngineAccess)
#include "tst_EngineAccess.moc"
