// label: engine
// The line-mode console over the embedded engine: how lines make statements,
// the feedback and result text, errors, transactions and script files.
#include "ResultPrinter.h"
#include "SqlConsole.h"

#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraSession.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <memory>

using namespace kovatest;

namespace {

// A console on a new database file, writing into two strings.
class Console {
public:
    explicit Console(const QStringList& setup = {})
        : m_db(OpenTestDatabase(m_dir, setup)), m_out(&m_outText), m_err(&m_errText),
          m_console(m_db.session, m_db.database, m_out, m_err)
    {
    }

    // Feeds each line of `text`.
    void feed(const QString& text)
    {
        for (const QString& line : text.split(QLatin1Char('\n')))
            m_console.feedLine(line);
    }
    QString out() { m_out.flush(); return m_outText; }
    QString err() { m_err.flush(); return m_errText; }
    SqlConsole& console() { return m_console; }
    OraDatabase& database() { return *m_db.database; }
    const QTemporaryDir& dir() const { return m_dir; }
    // Rows of a query on a second connection to the file: what has been committed.
    QList<QStringList> committedRows(const QString& sql) const
    {
        OraSession other;
        const auto database = other.DbOpenDatabase(m_db.path, QStringLiteral("scott/tiger"));
        return QueryRows(*database, sql);
    }

private:
    QTemporaryDir m_dir;
    TestDatabase m_db;
    QString m_outText;
    QString m_errText;
    QTextStream m_out;
    QTextStream m_err;
    SqlConsole m_console;
};

const QStringList TableT = {QStringLiteral("CREATE TABLE T (A NUMBER(4) PRIMARY KEY, B VARCHAR2(20))")};

QList<QStringList> One(const QString& value)
{
    return {{value}};
}

}  // namespace

class tst_SqlConsole : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { basKovaData::ResetForTests(); }

    void statementEnds_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("stored");
        QTest::newRow("semicolon") << QStringLiteral("INSERT INTO T VALUES (1, 'a');") << QStringLiteral("a");
        QTest::newRow("slash line") << QStringLiteral("INSERT INTO T VALUES (1, 'a')\n  /  ") << QStringLiteral("a");
        QTest::newRow("several lines") << QStringLiteral("INSERT INTO T\nVALUES (1,\n'a')\n;") << QStringLiteral("a");
        QTest::newRow("semicolon at line end inside quotes")
            << QStringLiteral("INSERT INTO T VALUES (1, 'a;\nb');") << QStringLiteral("a;\nb");
        QTest::newRow("doubled quote") << QStringLiteral("INSERT INTO T VALUES (1, 'it''s;');") << QStringLiteral("it's;");
        QTest::newRow("slash line inside quotes") << QStringLiteral("INSERT INTO T VALUES (1, 'x\n/\ny');")
                                                  << QStringLiteral("x\n/\ny");
        QTest::newRow("semicolon in line comment")
            << QStringLiteral("INSERT INTO T -- not the end;\nVALUES (1, 'a');") << QStringLiteral("a");
        QTest::newRow("semicolon in block comment")
            << QStringLiteral("INSERT INTO T /* not the end;\n;\n*/ VALUES (1, 'a');") << QStringLiteral("a");
        QTest::newRow("comment after the semicolon")
            << QStringLiteral("INSERT INTO T VALUES (1, 'a'); -- done") << QStringLiteral("a");
        QTest::newRow("blank line inside") << QStringLiteral("INSERT INTO T\n\nVALUES (1, 'a');") << QStringLiteral("a");
        QTest::newRow("comments and blanks before")
            << QStringLiteral("-- note;\n\nREM remark;\n/* block\n; */\nINSERT INTO T VALUES (1, 'a');")
            << QStringLiteral("a");
    }

    void statementEnds()
    {
        QFETCH(QString, input);
        QFETCH(QString, stored);
        Console c(TableT);
        c.feed(input);
        QCOMPARE(c.err(), QString());
        QCOMPARE(c.out(), QStringLiteral("1 row created.\n"));
        QCOMPARE(c.console().pendingLines(), 0);
        QCOMPARE(QueryRows(c.database(), QStringLiteral("SELECT B FROM T")), One(stored));
    }

    void slashRepeatsLastStatement()
    {
        Console c({QStringLiteral("CREATE TABLE L (X NUMBER)")});
        c.feed(QStringLiteral("/"));  // nothing to repeat yet
        QCOMPARE(c.out(), QString());
        c.feed(QStringLiteral("INSERT INTO L VALUES (7);\n/\n/"));
        QCOMPARE(c.out(), QStringLiteral("1 row created.\n1 row created.\n1 row created.\n"));
        QCOMPARE(QueryRows(c.database(), QStringLiteral("SELECT COUNT(*) FROM L")), One(QStringLiteral("3")));
        QCOMPARE(c.console().failures(), 0);
    }

    void feedback_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("expected");
        QTest::newRow("insert one") << QStringLiteral("INSERT INTO T VALUES (4, 'd')") << QStringLiteral("1 row created.");
        QTest::newRow("insert several") << QStringLiteral("INSERT INTO T SELECT A + 10, B FROM T")
                                        << QStringLiteral("3 rows created.");
        QTest::newRow("lower case") << QStringLiteral("insert into t values (5, 'e')") << QStringLiteral("1 row created.");
        QTest::newRow("update all") << QStringLiteral("UPDATE T SET B = 'x'") << QStringLiteral("3 rows updated.");
        QTest::newRow("update one after comment") << QStringLiteral("/* fix */ UPDATE T SET B = 'x' WHERE A = 1")
                                                  << QStringLiteral("1 row updated.");
        QTest::newRow("delete none") << QStringLiteral("DELETE FROM T WHERE A = 99") << QStringLiteral("0 rows deleted.");
        QTest::newRow("delete one") << QStringLiteral("DELETE FROM T WHERE A = 2") << QStringLiteral("1 row deleted.");
        QTest::newRow("create table") << QStringLiteral("CREATE TABLE N (X NUMBER)") << QStringLiteral("Table created.");
        QTest::newRow("create view") << QStringLiteral("CREATE VIEW W AS SELECT A FROM T") << QStringLiteral("View created.");
        QTest::newRow("create index") << QStringLiteral("CREATE INDEX TB ON T (B)") << QStringLiteral("Index created.");
        QTest::newRow("create unique index") << QStringLiteral("CREATE UNIQUE INDEX TB ON T (B)")
                                             << QStringLiteral("Index created.");
        QTest::newRow("drop table") << QStringLiteral("DROP TABLE U") << QStringLiteral("Table dropped.");
        QTest::newRow("drop view") << QStringLiteral("DROP VIEW V") << QStringLiteral("View dropped.");
        QTest::newRow("alter table") << QStringLiteral("ALTER TABLE T ADD C NUMBER") << QStringLiteral("Table altered.");
        QTest::newRow("analyze") << QStringLiteral("ANALYZE TABLE T COMPUTE STATISTICS") << QStringLiteral("Table analyzed.");
        QTest::newRow("other") << QStringLiteral("SAVEPOINT S1") << QStringLiteral("Statement processed.");
    }

    void feedback()
    {
        QFETCH(QString, statement);
        QFETCH(QString, expected);
        Console c({TableT.first(), QStringLiteral("INSERT INTO T VALUES (1, 'a')"),
                   QStringLiteral("INSERT INTO T VALUES (2, 'b')"), QStringLiteral("INSERT INTO T VALUES (3, 'c')"),
                   QStringLiteral("CREATE TABLE U (X NUMBER)"), QStringLiteral("CREATE VIEW V AS SELECT B FROM T")});
        c.feed(statement + QLatin1Char(';'));
        QCOMPARE(c.err(), QString());
        QCOMPARE(c.out(), expected + QLatin1Char('\n'));
    }

    void queryOutput_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("expected");
        // ボールペン is five characters but ten columns wide: it sets the width of NAME.
        QTest::newRow("types, nulls and wide text")
            << QStringLiteral("SELECT CODE, NAME, PRICE, DAY FROM P ORDER BY CODE")
            << QStringList{QString(),
                           QStringLiteral("CODE NAME       PRICE DAY"),
                           QStringLiteral("---- ---------- ----- -------------------"),
                           QStringLiteral("A1   ボールペン   120 2001-12-31 23:59:59"),
                           QStringLiteral("B22  notebook    98.5"),
                           QStringLiteral("C3              -0.25 2002-01-01 00:00:00"),
                           QString(),
                           QStringLiteral("3 rows selected.")};
        QTest::newRow("wide heading") << QStringLiteral("SELECT CODE AS 商品コード FROM P WHERE PRICE = 98.5")
                                      << QStringList{QString(), QStringLiteral("商品コード"),
                                                     QStringLiteral("----------"), QStringLiteral("B22"), QString(),
                                                     QStringLiteral("1 row selected.")};
        QTest::newRow("number under a long heading")
            << QStringLiteral("SELECT COUNT(*) AS ROW_COUNT FROM P")
            << QStringList{QString(), QStringLiteral("ROW_COUNT"), QStringLiteral("---------"),
                           QStringLiteral("        3"), QString(), QStringLiteral("1 row selected.")};
        QTest::newRow("with") << QStringLiteral("WITH Q AS (SELECT NAME FROM P WHERE PRICE = 120) SELECT NAME FROM Q")
                              << QStringList{QString(), QStringLiteral("NAME"), QStringLiteral("----------"),
                                             QStringLiteral("ボールペン"), QString(), QStringLiteral("1 row selected.")};
        QTest::newRow("no rows") << QStringLiteral("SELECT * FROM P WHERE 1 = 0")
                                 << QStringList{QString(), QStringLiteral("no rows selected")};
    }

    void queryOutput()
    {
        QFETCH(QString, sql);
        QFETCH(QStringList, expected);
        Console c({QStringLiteral("CREATE TABLE P (CODE CHAR(4), NAME VARCHAR2(20), PRICE NUMBER(8,2), DAY DATE)"),
                   QStringLiteral("INSERT INTO P VALUES ('A1', 'ボールペン', 120, "
                                  "TO_DATE('20011231 235959','YYYYMMDD HH24MISS'))"),
                   QStringLiteral("INSERT INTO P VALUES ('B22', 'notebook', 98.5, NULL)"),
                   QStringLiteral("INSERT INTO P VALUES ('C3', NULL, -0.25, "
                                  "TO_DATE('20020101 000000','YYYYMMDD HH24MISS'))")});
        c.feed(sql + QLatin1Char(';'));
        QCOMPARE(c.err(), QString());
        QCOMPARE(c.out(), expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }

    void pagesRepeatHeadingsWithTheirOwnWidths()
    {
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(
            dir, {QStringLiteral("CREATE TABLE L (X NUMBER)"), QStringLiteral("INSERT INTO L VALUES (1)"),
                  QStringLiteral("INSERT INTO L VALUES (22)"), QStringLiteral("INSERT INTO L VALUES (333)")});
        QString text;
        QTextStream out(&text);
        auto dynaset = db.database->DBCreateDynaset(QStringLiteral("SELECT X FROM L ORDER BY X"));
        QCOMPARE(ResultPrinter(out, 2).print(*dynaset), qint64(3));
        out.flush();
        QCOMPARE(text, QStringLiteral("\nX\n--\n 1\n22\n\nX\n---\n333\n\n3 rows selected.\n"));
    }

    void consolePagesAreFiftyRows()
    {
        Console c({QStringLiteral("CREATE TABLE L (X NUMBER)")});
        for (int i = 1; i <= 51; ++i)
            c.database().DbExecuteSQL(QStringLiteral("INSERT INTO L VALUES (%1)").arg(i));
        c.feed(QStringLiteral("SELECT X FROM L ORDER BY X;"));
        const QStringList lines = c.out().split(QLatin1Char('\n'));
        QCOMPARE(lines.count(QStringLiteral("X")), 2);
        // The second page holds row 51 alone, two columns wide like its heading's dashes.
        QCOMPARE(lines.mid(lines.size() - 7),
                 (QStringList{QString(), QStringLiteral("X"), QStringLiteral("--"), QStringLiteral("51"), QString(),
                              QStringLiteral("51 rows selected."), QString()}));
    }

    void displayWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("ascii") << QStringLiteral("abc") << 3;
        QTest::newRow("kanji and kana") << QStringLiteral("漢字カナ") << 8;
        QTest::newRow("halfwidth kana") << QStringLiteral("ｶﾅ") << 2;
        QTest::newRow("fullwidth latin") << QStringLiteral("ＡＢ") << 4;
        QTest::newRow("ideographic space") << QString(QChar(0x3000)) << 2;
        QTest::newRow("hangul") << QStringLiteral("한글") << 4;
        QTest::newRow("hangul jamo edge") << (QString(QChar(0x115F)) + QChar(0x1160)) << 3;
        QTest::newRow("fullwidth sign edge") << (QString(QChar(0xFFE6)) + QChar(0xFFE8)) << 3;
        QTest::newRow("outside the basic plane") << QString::fromUcs4(U"\U0001F600x") << 3;
        QTest::newRow("mixed") << QStringLiteral("A4 ノート") << 9;
    }

    void displayWidth()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QCOMPARE(ResultPrinter::displayWidth(text), width);
    }

    void errors_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing table") << QStringLiteral("SELECT * FROM NOPE") << QStringLiteral("ORA-00942");
        QTest::newRow("duplicate key") << QStringLiteral("INSERT INTO T VALUES (1, 'x')") << QStringLiteral("ORA-00001");
        QTest::newRow("too long") << QStringLiteral("INSERT INTO T VALUES (2, 'ああああああああああああ')")
                                  << QStringLiteral("ORA-12899");
        QTest::newRow("not sql") << QStringLiteral("SELEC 1 FROM DUAL") << QStringLiteral("ORA-00900");
        QTest::newRow("two statements") << QStringLiteral("DELETE FROM T; DELETE FROM T") << QStringLiteral("ORA-00911");
    }

    void errors()
    {
        QFETCH(QString, statement);
        QFETCH(QString, message);
        Console c({TableT.first(), QStringLiteral("INSERT INTO T VALUES (1, 'a')")});
        c.feed(statement + QLatin1Char(';'));
        QVERIFY2(c.err().startsWith(QStringLiteral("ERROR:\n") + message), qPrintable(c.err()));
        QCOMPARE(c.out(), QString());
        QCOMPARE(c.console().failures(), 1);
        // The session goes on, and the table is as it was.
        c.feed(QStringLiteral("DELETE FROM T;"));
        QCOMPARE(c.out(), QStringLiteral("1 row deleted.\n"));
        QCOMPARE(c.console().failures(), 1);
    }

    void rollbackAndCommit()
    {
        Console c(TableT);
        c.feed(QStringLiteral("INSERT INTO T VALUES (1, 'a');\nrollback;"));
        QCOMPARE(QueryRows(c.database(), QStringLiteral("SELECT COUNT(*) FROM T")), One(QStringLiteral("0")));
        c.feed(QStringLiteral("INSERT INTO T VALUES (2, 'b');"));
        QCOMPARE(c.committedRows(QStringLiteral("SELECT COUNT(*) FROM T")), One(QStringLiteral("0")));
        c.feed(QStringLiteral("COMMIT WORK;\nINSERT INTO T VALUES (3, 'c');\nROLLBACK\n/"));
        QCOMPARE(c.committedRows(QStringLiteral("SELECT A FROM T")), One(QStringLiteral("2")));
        QCOMPARE(c.out(), QStringLiteral("1 row created.\nRollback complete.\n1 row created.\nCommit complete.\n"
                                         "1 row created.\nRollback complete.\n"));
        QCOMPARE(c.console().failures(), 0);
    }

    void exitCommitsAndEnds_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("exit") << QStringLiteral("exit");
        QTest::newRow("EXIT;") << QStringLiteral("EXIT;");
        QTest::newRow("quit with blanks") << QStringLiteral("  Quit ; ");
    }

    void exitCommitsAndEnds()
    {
        QFETCH(QString, command);
        Console c(TableT);
        c.feed(QStringLiteral("INSERT INTO T VALUES (1, 'a');"));
        QVERIFY(!c.console().finished());
        c.feed(command);
        QVERIFY(c.console().finished());
        c.feed(QStringLiteral("INSERT INTO T VALUES (2, 'b');"));  // after the end: ignored
        QCOMPARE(c.committedRows(QStringLiteral("SELECT A FROM T")), One(QStringLiteral("1")));
        QCOMPARE(c.out(), QStringLiteral("1 row created.\n"));
    }

    void endOfInputCommitsButDropsUnfinishedStatement()
    {
        Console c(TableT);
        c.feed(QStringLiteral("INSERT INTO T VALUES (1, 'a');\nINSERT INTO T VALUES (2, 'b')"));
        c.console().finish();
        QVERIFY(c.console().finished());
        QCOMPARE(c.committedRows(QStringLiteral("SELECT A FROM T")), One(QStringLiteral("1")));
        QVERIFY(c.err().startsWith(QStringLiteral("ERROR:\n")));
        QCOMPARE(c.console().failures(), 1);
    }

    void promptAndComments()
    {
        Console c;
        // A block comment alone is no statement: the command after it still counts.
        c.feed(QStringLiteral("PROMPT 商品 一覧\nprompt\nREM x;\nremark y;\n-- z;\n\n   \n/* a\n; */\nPrompt  done"));
        QCOMPARE(c.out(), QStringLiteral("商品 一覧\n\ndone\n"));
        QCOMPARE(c.err(), QString());
        QCOMPARE(c.console().pendingLines(), 0);
    }

    void scriptsRunNestedFromTheirFolder()
    {
        Console c(TableT);
        const QDir dir(c.dir().path());
        QVERIFY(dir.mkpath(QStringLiteral("sub")));
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("main.sql")),
                          "PROMPT main\r\n@sub/child.sql\r\nINSERT INTO T VALUES (3, 'main');\r\n"));
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("sub/child.sql")),
                          "INSERT INTO T VALUES (1, 'child');\n@@grand\nINSERT INTO T\nVALUES (1, 'again');\n"));
        QVERIFY(WriteFile(dir.filePath(QStringLiteral("sub/grand.sql")),
                          "INSERT INTO T\nVALUES (2, 'grand')\n/\n"));
        c.feed(QStringLiteral("@") + dir.filePath(QStringLiteral("main.sql")));
        QCOMPARE(QueryRows(c.database(), QStringLiteral("SELECT B FROM T ORDER BY A")),
                 (QList<QStringList>{{QStringLiteral("child")}, {QStringLiteral("grand")}, {QStringLiteral("main")}}));
        QCOMPARE(c.out(), QStringLiteral("main\n1 row created.\n1 row created.\n1 row created.\n"));
        // The failing statement is named by its script and first line.
        QCOMPARE(c.err().section(QLatin1Char('\n'), 0, 0), QStringLiteral("ERROR: child.sql, line 3"));
        QCOMPARE(c.console().failures(), 1);
    }

    void scriptProblems_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("failures");
        QTest::newRow("includes itself") << QByteArray("INSERT INTO L VALUES (1);\n@self.sql\n")
                                         << SqlConsole::MaxScriptDepth << 1;
        QTest::newRow("missing script") << QByteArray("@nowhere.sql\nINSERT INTO L VALUES (1);\n") << 1 << 1;
        QTest::newRow("unfinished last statement") << QByteArray("INSERT INTO L VALUES (1);\nINSERT INTO L VALUES (2)")
                                                   << 1 << 1;
        QTest::newRow("exit inside") << QByteArray("INSERT INTO L VALUES (1);\nEXIT\nINSERT INTO L VALUES (2);\n") << 1
                                     << 0;
    }

    void scriptProblems()
    {
        QFETCH(QByteArray, script);
        QFETCH(int, rows);
        QFETCH(int, failures);
        Console c({QStringLiteral("CREATE TABLE L (X NUMBER)")});
        const QString path = QDir(c.dir().path()).filePath(QStringLiteral("self.sql"));
        QVERIFY(WriteFile(path, script));
        c.console().runScript(path);
        QCOMPARE(c.console().failures(), failures);
        QCOMPARE(c.console().pendingLines(), 0);
        QCOMPARE(QueryRows(c.database(), QStringLiteral("SELECT COUNT(*) FROM L")), One(QString::number(rows)));
    }

    void demoScript_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("expected");
        QTest::newRow("商品マスタ") << QStringLiteral("SELECT COUNT(*) FROM 商品マスタ") << QStringLiteral("10");
        QTest::newRow("顧客") << QStringLiteral("SELECT COUNT(*) FROM 顧客") << QStringLiteral("4");
        QTest::newRow("受注") << QStringLiteral("SELECT COUNT(*) FROM 受注") << QStringLiteral("7");
        QTest::newRow("操作ログ") << QStringLiteral("SELECT COUNT(*) FROM 操作ログ") << QStringLiteral("3");
        QTest::newRow("受注一覧 joins every order") << QStringLiteral("SELECT COUNT(*) FROM 受注一覧") << QStringLiteral("7");
        QTest::newRow("view in dictionary")
            << QStringLiteral("SELECT COUNT(*) FROM USER_VIEWS WHERE VIEW_NAME = '受注一覧'") << QStringLiteral("1");
        QTest::newRow("key of 受注 has two columns")
            << QStringLiteral("SELECT COUNT(*) FROM USER_TAB_COLUMNS WHERE TABLE_NAME = '受注' AND NULLABLE = 'N'")
            << QStringLiteral("2");
        QTest::newRow("plain NUMBER") << QStringLiteral("SELECT DATA_PRECISION FROM USER_TAB_COLUMNS "
                                                        "WHERE TABLE_NAME = '操作ログ' AND COLUMN_NAME = '重要度'")
                                      << QStringLiteral("[NULL]");
        QTest::newRow("semicolon kept in text")
            << QStringLiteral("SELECT 備考 FROM 受注 WHERE 受注番号 = 1002 AND 明細番号 = 3")
            << QStringLiteral("請求書は本社宛て; 担当: 佐藤");
    }

    void demoScript()
    {
        QFETCH(QString, sql);
        QFETCH(QString, expected);
        Console c;
        c.console().runScript(QStringLiteral(KOVA_SOURCE_DIR "/data/demo.sql"));
        QCOMPARE(c.err(), QString());
        QCOMPARE(c.console().failures(), 0);
        QVERIFY(c.console().finished());
        QCOMPARE(c.committedRows(sql), One(expected));
    }
};

QTEST_GUILESS_MAIN(tst_SqlConsole)
#include "tst_SqlConsole.moc"
