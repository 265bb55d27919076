// label: engine
// The line-mode console over the embedded engine: how lines make statements,
// the feedback and result text, errors, transactions and script files, the
// settings and substitution variables, blocks, and how a session ends.
#include "ResultPrinter.h"
#include "SqlConsole.h"

#include "session/OraDynaset.h"
#include "support/EngineSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTest>
#include <QTextStream>

using namespace kovatest;
using namespace Qt::StringLiterals;

namespace {

const QStringList Tables = {
    u"CREATE TABLE T (A NUMBER(4) PRIMARY KEY, B VARCHAR2(20))"_s, u"INSERT INTO T VALUES (1, 'a')"_s,
    u"INSERT INTO T VALUES (2, 'b')"_s, u"INSERT INTO T VALUES (3, 'c')"_s, u"CREATE TABLE U (X NUMBER)"_s,
    u"CREATE TABLE P (CODE CHAR(4), NAME VARCHAR2(20), PRICE NUMBER(8,2), DAY DATE)"_s,
    u"INSERT INTO P VALUES ('A1', 'ボールペン', 120, TO_DATE('20011231 235959','YYYYMMDD HH24MISS'))"_s,
    u"INSERT INTO P VALUES ('B22', 'notebook', 98.5, NULL)"_s,
    u"INSERT INTO P VALUES ('C3', NULL, -0.25, TO_DATE('20020101 000000','YYYYMMDD HH24MISS'))"_s};

// A console on a new database file, writing into two strings.
struct Console {
    explicit Console(const QStringList& setup = Tables) : db(setup), console(db.db.session, db.db.database, out, err)
    {
        console.setUser(u"SCOTT"_s);
        console.setService(db.db.path);
    }

    void feed(const QString& input)
    {
        for (const QString& line : input.split(u'\n'))
            console.feedLine(line);
    }

    // What a second connection to the file sees: what has been committed.
    QString committed(const QString& sql) const
    {
        OraSession other;
        return RowsText(QueryRows(*other.DbOpenDatabase(db.db.path, u"scott/tiger"_s), sql));
    }

    EngineDb db;
    QString outText;
    QString errText;
    QTextStream out{&outText};
    QTextStream err{&errText};
    SqlConsole console;
};

}  // namespace

class tst_SqlConsole : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { basKovaData::ResetForTests(); }

    // Lines typed ("%1" the folder of the scripts below) up to the end of
    // input: what they print, how standard error starts (one failure is then
    // counted), and what a second connection sees afterwards.
    void session_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("value");
        auto row = [](const char* name, const QString& input, const QString& out, const QString& err = {},
                      const QString& check = {}, const QString& value = {}) {
            QTest::newRow(name) << input << out << err << check << value;
        };
        auto shows = [&row](const char* name, const QString& query, const QStringList& lines) {
            row(name, query + u";"_s, lines.join(u'\n') + u"\n"_s);
        };
        const QString units = u"SELECT COUNT(*) FROM U"_s;
        const QString added = u"SELECT A FROM T WHERE A > 3"_s;
        // A ";" ends a statement at the end of a line, outside quotes and comments; so does a line of "/".
        row("statement ends", u"INSERT INTO T VALUES (4, 'a');\nINSERT INTO T\n\nVALUES (5,\n'b')\n  /  \n"
                              "INSERT INTO T VALUES (6, 'c;\n/\nit''s;');\n-- note;\n\nREM remark;\n/* block\n; */\n"
                              "INSERT INTO T -- not the end;\nVALUES /* no;\n;\n*/ (7, 'd'); -- done"_s,
            u"1 row created.\n"_s.repeated(4), {}, u"SELECT B FROM T WHERE A > 3 ORDER BY A"_s, u"a;b;c;\n/\nit's;;d"_s);
        // A carriage return ends a line outside quotes and belongs to a literal that goes on.
        row("carriage returns", u"INSERT INTO T VALUES (4, 'a\r\nb\r');\r\nINSERT INTO T VALUES (5, 'c')\r\n/\r"_s,
            u"1 row created.\n"_s.repeated(2), {}, u"SELECT B FROM T WHERE A > 3 ORDER BY A"_s, u"a\r\nb\r;c"_s);
        // An alternative quote holds quotes and ";" (its value: the text between its delimiters).
        row("alternative quotes", u"INSERT INTO T VALUES (4, q'[it's; x]');\nINSERT INTO T VALUES (5, Nq'!a;\n';!');\n"
                                  "INSERT INTO T VALUES (6, q'{b}' || Q'<>c>');"_s,
            u"1 row created.\n"_s.repeated(3), {}, u"SELECT B FROM T WHERE A > 3 ORDER BY A"_s, u"it's; x;a;\n';;b>c"_s);
        shows("alternative quote in a query", u"SELECT q'(it's)' AS V FROM DUAL"_s, {{}, u"V"_s, u"----"_s, u"it's"_s, {},
                                                                                   u"1 row selected."_s});
        row("slash repeats the last statement", u"/\nINSERT INTO T SELECT MAX(A) + 1, 'n' FROM T;\n/\n/"_s,
            u"1 row created.\n"_s.repeated(3), {}, u"SELECT COUNT(*) FROM T"_s, u"6"_s);
        row("prompt and comments", u"PROMPT 商品 一覧\nprompt\nREM x;\nremark y;\n-- z;\n\n   \n/* a\n; */\nPrompt  done"_s,
            u"商品 一覧\n\ndone\n"_s);
        row("feedback", u"INSERT INTO T SELECT A + 10, B FROM T;\n/* fix */ UPDATE T SET B = 'x' WHERE A = 1;\n"
                        "DELETE FROM T WHERE A = 99;\nCREATE VIEW W AS SELECT A FROM T;\nCREATE UNIQUE INDEX TA ON T (A);\nDROP TABLE U;\n"
                        "ALTER TABLE T ADD C NUMBER;\nANALYZE TABLE T COMPUTE STATISTICS;\nSAVEPOINT S1;\nGRANT SELECT ON T TO PUBLIC;\n"
                        "REVOKE SELECT ON T FROM PUBLIC;\nCREATE USER X IDENTIFIED BY Y;\nDROP ROLE R;\n"
                        "SET CONSTRAINTS ALL DEFERRED;\nCREATE MATERIALIZED VIEW M AS SELECT A FROM T;\n"
                        "CREATE MATERIALIZED VIEW LOG ON T;\nALTER MATERIALIZED VIEW M COMPILE;\nDROP MATERIALIZED VIEW LOG ON T;\n"
                        "DROP MATERIALIZED VIEW M;\nCREATE DIRECTORY D AS '/tmp';\nALTER VIEW W COMPILE;"_s,
            u"3 rows created.\n1 row updated.\n0 rows deleted.\nView created.\nIndex created.\nTable dropped.\n"
            "Table altered.\nTable analyzed.\nSavepoint created.\nGrant succeeded.\nRevoke succeeded.\n"
            "User created.\nRole dropped.\nConstraint set.\nMaterialized view created.\nMaterialized view log created.\n"
            "Materialized view altered.\nMaterialized view log dropped.\nMaterialized view dropped.\nDirectory created.\n"
            "View altered.\n"_s);
        // ボールペン is five characters but ten columns wide: it sets the width of NAME.
        shows("types, nulls and wide text", u"SELECT CODE, NAME, PRICE, DAY FROM P ORDER BY CODE"_s,
              {{}, u"CODE NAME       PRICE DAY"_s, u"---- ---------- ----- -------------------"_s,
               u"A1   ボールペン   120 2001-12-31 23:59:59"_s, u"B22  notebook    98.5"_s,
               u"C3              -0.25 2002-01-01 00:00:00"_s, {}, u"3 rows selected."_s});
        shows("wide heading", u"SELECT CODE AS 商品コード FROM P WHERE PRICE = 98.5"_s,
              {{}, u"商品コード"_s, u"----------"_s, u"B22"_s, {}, u"1 row selected."_s});
        shows("with, a number under a long heading", u"WITH Q AS (SELECT COUNT(*) AS ROW_COUNT FROM P) SELECT * FROM Q"_s,
              {{}, u"ROW_COUNT"_s, u"---------"_s, u"        3"_s, {}, u"1 row selected."_s});
        // An expression without an alias is headed as written, in capitals without blanks.
        shows("expression headings", u"SELECT A + 1, 'x: ' || b, TRUNC(SYSDATE) - TRUNC(sysdate), A \"Mixed\", B FROM T WHERE A = 1"_s,
              {{}, u"A+1 'X:'||B TRUNC(SYSDATE)-TRUNC(SYSDATE) Mixed B"_s, u"--- ------- ----------------------------- ----- -"_s,
               u"  2 x: a                                0     1 a"_s, {}, u"1 row selected."_s});
        shows("no rows", u"SELECT * FROM P WHERE 1 = 0"_s, {{}, u"no rows selected"_s});
        row("error, then the session goes on", u"SELECT * FROM NOPE;\nDELETE FROM T WHERE A = 1;"_s,
            u"1 row deleted.\n"_s, u"ERROR:\nORA-00942"_s, u"SELECT COUNT(*) FROM T"_s, u"2"_s);
        row("rollback and commit", u"INSERT INTO T VALUES (4, 'a');\nrollback;\nINSERT INTO T VALUES (5, 'b');\nCOMMIT WORK;\n"
                                   "INSERT INTO T VALUES (6, 'c');\nROLLBACK\n/"_s,
            u"1 row created.\nRollback complete.\n1 row created.\nCommit complete.\n1 row created.\nRollback complete.\n"_s, {},
            added, u"5"_s);
        for (const char* command : {"exit", "EXIT;", "  Quit ; "})  // commits; what follows is ignored
            row(command, u"INSERT INTO T VALUES (4, 'a');\n"_s + QLatin1String(command) + u"\nINSERT INTO T VALUES (5, 'b');"_s,
                u"1 row created.\n"_s, {}, added, u"4"_s);
        row("unfinished statement at the end", u"INSERT INTO T VALUES (4, 'a');\nINSERT INTO T VALUES (5, 'b')"_s,
            u"1 row created.\n"_s, u"ERROR:\n"_s, added, u"4"_s);
        row("nested scripts", u"@%1/main.sql"_s, u"main\n1 row created.\n1 row created.\n1 row created.\n"_s,
            u"ERROR: child.sql, line 3\n"_s, u"SELECT B FROM T WHERE A > 3 ORDER BY A"_s, u"child;grand;main"_s);
        row("script includes itself", u"@%1/self"_s, u"1 row created.\n"_s.repeated(SqlConsole::MaxScriptDepth),
            u"ERROR: self.sql, line 2\n"_s, units, QString::number(SqlConsole::MaxScriptDepth));
        row("missing script", u"@nowhere.sql\nINSERT INTO U VALUES (1);"_s, u"1 row created.\n"_s,
            u"ERROR:\ncannot open the script file"_s, units, u"1"_s);
        row("unfinished statement in a script, then exit in one", u"@%1/unfinished.sql\n@%1/exit.sql\nINSERT INTO U VALUES (3);"_s,
            u"1 row created.\n1 row created.\n"_s, u"ERROR: unfinished.sql, line 2\n"_s, units, u"2"_s);

        // FEEDBACK OFF silences confirmations and row counts; n counts from n rows.
        const QString twoRows = u"\nA\n-\n1\n2\n\n"_s;
        row("feedback off", u"SET FEEDBACK OFF\nINSERT INTO U VALUES (1);\nSELECT A FROM T WHERE A < 3;\n"
                            "SELECT A FROM T WHERE A > 9;\nCOMMIT;\nBEGIN\nNULL;\nEND;\n/"_s,
            twoRows, {}, units, u"1"_s);
        row("feedback from n rows", u"SET FEED 3\nSELECT A FROM T WHERE A < 3;\nSELECT A FROM T;\nDELETE FROM U;"_s,
            twoRows + u"\nA\n-\n1\n2\n3\n\n3 rows selected.\n0 rows deleted.\n"_s);
        // Typed lines are not echoed; the lines of scripts are.
        row("settings shown", u"SHOW FEEDBACK\nset feedback 6 echo on\nSHO FEED\nSET FEEDBACK 0\nshow echo;\nSET DEFINE ^\n"
                              "SHOW DEF\nSET DEFINE OFF VERIFY OFF\nSHOW ALL\nSET DEFINE ON\nSHOW DEFINE\nSHOW USER\nSHOW ERRORS\n"
                              "sho err package body p;"_s,
            u"feedback ON for 1 or more rows\nfeedback ON for 6 or more rows\necho ON\ndefine \"^\" (hex 5e)\ndefine OFF\n"
            "echo ON\nfeedback OFF\nverify OFF\ndefine \"&\" (hex 26)\nUSER is \"SCOTT\"\nNo errors.\nNo errors.\n"_s);
        row("settings taken and ignored", u"SET LINESIZE 80\nSET PAGESIZE 100 NUMWIDTH 10\nSET TRIMSPOOL ON\nSET TAB OFF\n"
                                          "SET SERVEROUTPUT ON SIZE UNLIMITED FORMAT WRAPPED\nSET TERMOUT OFF\nSET SQLPROMPT 'a b> '\n"
                                          "INSERT INTO U VALUES (1);"_s,
            u"1 row created.\n"_s, {}, units, u"1"_s);
        row("wrong setting", u"SET FEEDBACK LOTS\nSHOW FEEDBACK"_s, u"feedback ON for 1 or more rows\n"_s,
            u"ERROR:\nFEEDBACK takes ON, OFF or a number of rows, not \"LOTS\""_s);
        row("unknown show", u"SHOW LINESIZE"_s, {}, u"ERROR:\nSHOW takes ALL"_s);
        row("echo", u"@%1/echo.sql\nINSERT INTO U VALUES (2);"_s,
            u"SQL> PROMPT hi\nhi\nSQL>\nSQL> INSERT INTO U\n  2  VALUES (1);\n1 row created.\nSQL> BEGIN\n  2    NULL;\n"
            "  3  END;\n  4  /\nPL/SQL procedure successfully completed.\nSQL> SET ECHO OFF\nquiet\n1 row created.\n"_s,
            {}, units, u"2"_s);

        // &name and &&name, ended by a "."; VERIFY prints the lines that changed.
        row("substitution", u"DEFINE v = 4\nDEFINE w = 'x y'\nINSERT INTO T VALUES (&v,\n'&&w.z&');\nDEFINE W\nPROMPT &v.&w"_s,
            u"old   1: INSERT INTO T VALUES (&v,\nnew   1: INSERT INTO T VALUES (4,\nold   2: '&&w.z&')\nnew   2: 'x yz&')\n"
            "1 row created.\nDEFINE W               = \"x y\" (CHAR)\n4x y\n"_s,
            {}, added, u"4"_s);
        row("verify off, define off, another prefix", u"SET VERIFY OFF\nDEFINE v = 5\nINSERT INTO T VALUES (&v, 'v');\n"
                                                      "SET DEFINE OFF\nINSERT INTO T VALUES (6, '&v');\nSET DEFINE ^\n"
                                                      "INSERT INTO T VALUES (^v.1, 'R&D');"_s,
            u"1 row created.\n"_s.repeated(3), {}, u"SELECT B FROM T WHERE A > 3 ORDER BY A"_s, u"v;&v;R&D"_s);
        row("undefined variable", u"INSERT INTO T VALUES (&n, 'x');\nINSERT INTO U VALUES (1);"_s, u"1 row created.\n"_s,
            u"ERROR:\nsubstitution variable &N is not defined"_s, u"SELECT COUNT(*) FROM T UNION ALL "_s + units, u"3;1"_s);
        row("define and undefine", u"DEFINE\nDEFINE b=2\nDEF a = 1\nDEFINE\nUNDEFINE a b\nDEFINE\nDEFINE a"_s,
            u"DEFINE A               = \"1\" (CHAR)\nDEFINE B               = \"2\" (CHAR)\n"_s, u"ERROR:\nsymbol a is UNDEFINED"_s);

        // A block of SQL statements runs them one by one; ";" inside quotes and comments splits nothing.
        row("block", u"BEGIN\n  INSERT INTO T VALUES (4, 'a;b');  -- first;\n  /* x; */ INSERT INTO \"T\" (A, B)\n"
                     "  VALUES (5, 'it''s');\n  UPDATE T SET B = 'c' WHERE A = 1;\nEND;\n/"_s,
            u"PL/SQL procedure successfully completed.\n"_s, {}, u"SELECT B FROM T WHERE A IN (1, 4, 5) ORDER BY A"_s,
            u"c;a;b;it's"_s);
        // The failed block keeps what its COMMIT committed and nothing after; its error names the statement's line.
        row("block fails", u"@%1/block.sql"_s, u"1 row created.\n1 row created.\n"_s,
            u"ERROR: block.sql, line 6\nORA-00001"_s, units + u" UNION ALL SELECT B FROM T WHERE A > 3"_s, u"1;a;c"_s);
        row("create procedure ends with the slash", u"CREATE OR REPLACE\nPROCEDURE P AS\nBEGIN\n  NULL;\nEND;\n/\n"
                                                    "INSERT INTO U VALUES (1);"_s,
            u"1 row created.\n"_s, u"ERROR:\nORA-"_s, units, u"1"_s);
    }

    void session()
    {
        QFETCH(QString, input);
        QFETCH(QString, err);
        QFETCH(QString, check);
        Console c;
        const QDir dir(c.db.dir.path());
        QVERIFY(dir.mkpath(u"sub"_s));
        QVERIFY(WriteFile(dir.filePath(u"main.sql"_s), "PROMPT main\r\n@@sub/child.sql\r\nINSERT INTO T VALUES (6, 'main');\r\n"));
        QVERIFY(WriteFile(dir.filePath(u"sub/child.sql"_s),
                          "INSERT INTO T VALUES (4, 'child');\n@@grand\nINSERT INTO T\nVALUES (4, 'again');\n"));
        QVERIFY(WriteFile(dir.filePath(u"sub/grand.sql"_s), "INSERT INTO T\nVALUES (5, 'grand')\n/\n"));
        QVERIFY(WriteFile(dir.filePath(u"self.sql"_s), "INSERT INTO U VALUES (1);\n@@self.sql\n"));
        QVERIFY(WriteFile(dir.filePath(u"unfinished.sql"_s), "INSERT INTO U VALUES (1);\nINSERT INTO U VALUES (2)"));
        QVERIFY(WriteFile(dir.filePath(u"exit.sql"_s), "INSERT INTO U VALUES (1);\nEXIT\nINSERT INTO U VALUES (2);\n"));
        QVERIFY(WriteFile(dir.filePath(u"echo.sql"_s), "SET ECHO ON\nPROMPT hi\n\nINSERT INTO U\nVALUES (1);\nBEGIN\n  NULL;\n"
                                                        "END;\n/\nSET ECHO OFF\nPROMPT quiet\n"));
        QVERIFY(WriteFile(dir.filePath(u"block.sql"_s), "INSERT INTO U VALUES (1);\nBEGIN\n INSERT INTO T VALUES (4, 'a');\n COMMIT;\n"
                                                         " INSERT INTO T VALUES (5, 'b');\n INSERT INTO T\n VALUES (5, 'dup');\n"
                                                         "END;\n/\nINSERT INTO T VALUES (6, 'c');\n"));
        c.feed(QString(input).replace(u"%1"_s, dir.path()));
        c.console.finish();
        QVERIFY(c.console.finished());
        QCOMPARE(c.console.pendingLines(), 0);
        QTEST(c.outText, "out");
        QVERIFY2(err.isEmpty() ? c.errText.isEmpty() : c.errText.startsWith(err), qPrintable(c.errText));
        QCOMPARE(c.console.failures(), err.isEmpty() ? 0 : 1);
        if (!check.isEmpty())
            QTEST(c.committed(check), "value");
    }

    // SQL*Plus's habits in scripts, run from the folder of the files below:
    // what they print, what standard error says in full (notes included),
    // the failures counted, and what a second connection sees.
    void sqlPlusHabits_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<int>("failures");
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("value");
        auto row = [](const char* name, const QString& input, const QString& out, const QString& err, int failures,
                      const QString& check, const QString& value) {
            QTest::newRow(name) << input << out << err << failures << check << value;
        };
        const QString one = u"1 row created.\n"_s;
        const QString units = u"SELECT COUNT(*), SUM(X) FROM U"_s;
        const QString added = u"SELECT B FROM T WHERE A > 3 ORDER BY A"_s;
        // Commands it has no use for are taken on their own line, and named once at the end; a CONNECT
        // to another database ("%db" the session's file) is warned of once.
        row("passed over", u"CONNECT scott/tiger\nINSERT INTO U VALUES (1);\nconn scott/tiger@x\nSPOOL out.log\n"
                           "INSERT INTO U VALUES (2);\nCONN hr/hr@x\nCOLUMN a FORMAT a10\ncol b NOPRINT\nSPO OFF\n"
                           "INSERT INTO U VALUES (3);\nconnect scott/tiger@%db\nSHOW USER"_s,
            one.repeated(3) + u"USER is \"SCOTT\"\n"_s,
            u"warning: CONNECT scott@x: the session stays on %db\n"
            "note: ignored SQL*Plus commands: CONNECT (4), SPOOL (2), COLUMN (2)\n"_s, 0, units, u"3,6"_s);
        row("unknown and refused commands", u"ti on\nINSERT INTO U VALUES (1);\nCHANGE /1/2/\nINSERT INTO U VALUES (2);"_s,
            one.repeated(2),
            u"ERROR:\nunknown command \"ti on\"; the line is not run\nERROR:\nCHANGE is not run here: it edits the "
            "statement buffer, which this console keeps for \"/\" only\n"_s, 2, units, u"2,3"_s);
        // A trailing "-" joins the first lines of a command or statement.
        row("prompt goes on", u"PROMPT a -\nb\nINSERT INTO U VALUES (1);"_s, u"a b\n"_s + one, {}, 0, units, u"1,1"_s);
        row("insert goes on", u"INSERT INTO T VALUES (4-\n, 'virtually-flat,-\nhigh')\n;"_s, one, {}, 0, added,
            u"virtually-flat, high"_s);
        // Substitution inside DEFINE, &1 &2 from @, @ from the current directory and @@ beside the script.
        row("define substitutes", u"SET VERIFY OFF\nDEFINE x = 5\nDEFINE y = 1&x\nINSERT INTO U VALUES (&y);\nDEFINE Y"_s,
            one + u"DEFINE Y               = \"15\" (CHAR)\n"_s, {}, 0, units, u"1,15"_s);
        row("script arguments", u"SET VERIFY OFF\n@args.sql 3 4\n@ \"args.sql\" 10 '20'"_s, one.repeated(2), {}, 0, units,
            u"2,37"_s);
        row("at and double at", u"SET VERIFY OFF\n@sub/outer.sql"_s, one.repeated(2), {}, 0, units, u"2,103"_s);
        row("accept", u"SET VERIFY OFF\nACCEPT v NUMBER DEFAULT 7 PROMPT 'How many? '\nINSERT INTO U VALUES (&v);\n"
                      "DEFINE w = 2\nACC w\nINSERT INTO U VALUES (&w);\nACCEPT z PROMPT 'z: ' HIDE"_s,
            one.repeated(2),
            u"ERROR:\nACCEPT Z has no DEFAULT and Z is not defined; nothing asks for a value here (DEFINE Z = value before "
            "it, or give ACCEPT a DEFAULT)\nnote: ignored SQL*Plus commands: ACCEPT (1)\n"_s, 1, units, u"2,9"_s);
        // DESCRIBE as SQL*Plus lays it out.
        row("describe", u"DESC t\nDESCRIBE scott.p;\ndesc nope"_s,
            u" Name                                      Null?    Type\n"
            u" ----------------------------------------- -------- ----------------------------\n"
            u" A                                         NOT NULL NUMBER(4)\n"
            u" B                                                  VARCHAR2(20)\n"
            u" Name                                      Null?    Type\n"
            u" ----------------------------------------- -------- ----------------------------\n"
            u" CODE                                               CHAR(4)\n"
            u" NAME                                               VARCHAR2(20)\n"
            u" PRICE                                              NUMBER(8,2)\n"
            u" DAY                                                DATE\n"_s,
            u"ERROR:\nORA-04043: object nope does not exist\n"_s, 1, {}, {});
        // LOAD: a header line, quotes, "" and empty fields; dates by SET LOAD DATE_FORMAT.
        row("load", u"LOAD T t.csv\nSET LOAD DATE_FORMAT YYYY-MM-DD BATCH_ROWS 1 BATCHES_PER_COMMIT 1\nLOAD TABLE scott.p p.csv"_s,
            u"#INFO Number of rows processed: 2\n#INFO Number of rows in error: 0\nSUCCESS: Processed without errors\n"_s
                .repeated(2), {}, 0,
            u"SELECT NVL(B, '-') FROM T WHERE A > 3 UNION ALL SELECT TO_CHAR(DAY, 'YYYYMMDD') || NVL(NAME, '-') FROM P "
            "WHERE CODE LIKE 'Z%' ORDER BY 1"_s, u"-;20200229-;20200301é;x, \"y\"\nz"_s);
        row("load refused", u"LOAD nope t.csv\nLOAD T bad.csv\nLOAD T missing.csv"_s, {},
            u"ERROR:\nLOAD nope: ORA-00942: table or view does not exist\nERROR:\nLOAD T: \"C\" in the first line of "_s, 3,
            added, {});
        row("load errors", u"LOAD T rows.csv"_s,
            u"#INFO Number of rows processed: 3\n#INFO Number of rows in error: 2\n"_s,
            u"ERROR:\nLOAD T from rows.csv:\nrow 2 (line 3): ORA-00913: too many values\nrow 3 (line 4): ORA-"_s, 1, added,
            u"ok"_s);
    }

    void sqlPlusHabits()
    {
        QFETCH(QString, input);
        QFETCH(QString, err);
        QFETCH(QString, check);
        Console c;
        const QDir dir(c.db.dir.path());
        QVERIFY(dir.mkpath(u"sub"_s));
        QVERIFY(WriteFile(dir.filePath(u"args.sql"_s), "DEFINE z = &1\nINSERT INTO U VALUES (&z + &2);\n"));
        QVERIFY(WriteFile(dir.filePath(u"inner.sql"_s), "INSERT INTO U VALUES (&1);\n"));
        QVERIFY(WriteFile(dir.filePath(u"sub/inner.sql"_s), "INSERT INTO U VALUES (&1 + 100);\n"));
        QVERIFY(WriteFile(dir.filePath(u"sub/outer.sql"_s), "@inner.sql 1\n@@inner.sql 2\n"));
        QVERIFY(WriteFile(dir.filePath(u"t.csv"_s), "A,\"B\"\r\n4,\"x, \"\"y\"\"\nz\"\r\n5,\r\n"));
        QVERIFY(WriteFile(dir.filePath(u"p.csv"_s), "code,Day,name\nZ1,2020-02-29,\nZ2,2020-03-01,\xc3\xa9\n"));
        QVERIFY(WriteFile(dir.filePath(u"bad.csv"_s), "A,C\n4,x\n"));
        QVERIFY(WriteFile(dir.filePath(u"rows.csv"_s), "A,B\n4,ok\n5,a,b\n1,dup\n"));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        c.feed(QString(input).replace(u"%db"_s, c.db.db.path));
        c.console.finish();
        QDir::setCurrent(before);
        QTEST(c.outText, "out");
        err.replace(u"%db"_s, c.db.db.path);
        QVERIFY2(c.errText.startsWith(err) && (err.endsWith(u'\n') ? c.errText == err : true), qPrintable(c.errText));
        QTEST(c.console.failures(), "failures");
        if (!check.isEmpty())
            QTEST(c.committed(check), "value");
    }

    // A block that needs PL/SQL, and EXECUTE, run nothing and name what they need.
    void plsqlRefused_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("construct");
        auto row = [](const char* name, const QString& input, const QString& construct) {
            QTest::newRow(name) << input << construct;
        };
        row("declare", u"DECLARE\n  n NUMBER;\nBEGIN\n  INSERT INTO U VALUES (9);\nEND;\n/"_s, u"DECLARE (line 1 "_s);
        row("assignment", u"BEGIN\n  INSERT INTO U VALUES (9);\n  n := 1;\nEND;\n/"_s, u"an assignment (:=) (line 3 "_s);
        row("if", u"BEGIN INSERT INTO U VALUES (9);\n IF 1 = 1 THEN NULL; END IF;\nEND;\n/"_s, u"IF (line 2 "_s);
        row("loop", u"BEGIN\n FOR r IN (SELECT * FROM T) LOOP NULL; END LOOP;\nEND;\n/"_s, u"FOR (line 2 "_s);
        row("exception", u"BEGIN\n INSERT INTO U VALUES (9);\nEXCEPTION\n WHEN OTHERS THEN NULL;\nEND;\n/"_s, u"EXCEPTION"_s);
        row("execute immediate", u"BEGIN\n EXECUTE IMMEDIATE 'DROP TABLE U';\nEND;\n/"_s, u"EXECUTE IMMEDIATE"_s);
        row("call", u"BEGIN\n INSERT INTO U VALUES (9);\n DBMS_OUTPUT.PUT_LINE('x');\nEND;\n/"_s,
            u"a procedure call (DBMS_OUTPUT.PUT_LINE)"_s);
        row("nested", u"BEGIN\n BEGIN INSERT INTO U VALUES (9); END;\nEND;\n/"_s, u"a block inside the block (BEGIN)"_s);
        row("select into", u"BEGIN\n SELECT A INTO n FROM T WHERE A = 1;\nEND;\n/"_s, u"SELECT INTO"_s);
        row("returning into", u"BEGIN\n INSERT INTO U VALUES (9) RETURNING X INTO n;\nEND;\n/"_s, u"RETURNING INTO"_s);
        row("bind variable", u"BEGIN\n INSERT INTO U VALUES (:x);\nEND;\n/"_s, u"a bind variable (:x)"_s);
        row("execute", u"EXEC DBMS_STATS.GATHER_SCHEMA_STATS('SCOTT');"_s, u"EXECUTE (a PL/SQL call)"_s);
        row("text after end", u"BEGIN\n INSERT INTO U VALUES (9);\nEND;\nINSERT INTO U VALUES (8);\n/"_s, u"text follows its END"_s);
        row("no end", u"BEGIN\n INSERT INTO U VALUES (9);\n/"_s, u"it does not end with \"END;\""_s);
    }

    void plsqlRefused()
    {
        QFETCH(QString, input);
        QFETCH(QString, construct);
        Console c;
        c.feed(input);
        c.console.finish();
        QVERIFY2(c.errText.contains(construct), qPrintable(c.errText));
        QCOMPARE(c.console.failures(), 1);
        QCOMPARE(c.committed(u"SELECT COUNT(*) FROM U"_s), u"0"_s);
    }

    // How a failed SQL statement ends the session or goes on: the exit code
    // and the rows of U committed in the end.
    void whenever_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("units");
        const QString failing = u"\nINSERT INTO U VALUES (1);\nINSERT INTO NOPE VALUES (1);\nINSERT INTO U VALUES (2);"_s;
        auto row = [](const char* name, const QString& input, int code, const char* units) {
            QTest::newRow(name) << input << code << QString::fromLatin1(units);
        };
        row("exit failure commits", u"WHENEVER SQLERROR EXIT FAILURE"_s + failing, 1, "1");
        row("exit n rollback", u"WHENEVER SQLERROR EXIT 7 ROLLBACK"_s + failing, 7, "0");
        row("exit sql.sqlcode", u"whenever sqlerror exit sql.sqlcode;"_s + failing, 942, "1");
        row("exit without a code", u"WHENEVER SQLERROR EXIT"_s + failing, 1, "1");
        row("exit success", u"WHENEVER SQLERROR EXIT SUCCESS"_s + failing, 0, "1");
        row("continue rollback", u"WHENEVER SQLERROR CONTINUE ROLLBACK"_s + failing, 1, "1");
        row("continue commit", u"WHENEVER SQLERROR CONTINUE COMMIT"_s + failing + u"\nROLLBACK;"_s, 1, "1");
        row("continue after exit", u"WHENEVER SQLERROR EXIT 5\nWHENEVER SQLERROR CONTINUE"_s + failing, 1, "2");
        row("oserror ignored", u"WHENEVER OSERROR EXIT 9"_s + failing, 1, "2");
        row("wrong whenever keeps the last", u"WHENEVER SQLERROR EXIT 5\nWHENEVER SQLERROR EXIT LATER"_s + failing, 5, "1");
        row("command errors go on", u"WHENEVER SQLERROR EXIT 5\nSET FEEDBACK LOTS\nINSERT INTO U VALUES (1);"_s, 1, "1");
        row("refused block", u"WHENEVER SQLERROR EXIT 3\nBEGIN\n x := 1;\nEND;\n/\nINSERT INTO U VALUES (1);"_s, 3, "0");
        row("failed block", u"WHENEVER SQLERROR EXIT 6\nBEGIN\n INSERT INTO U VALUES (1);\n INSERT INTO NOPE VALUES (1);\nEND;\n/"_s,
            6, "0");
        row("undefined variable", u"WHENEVER SQLERROR EXIT 4\nINSERT INTO U VALUES (&n);\nINSERT INTO U VALUES (1);"_s, 4, "0");
        row("exit with a code", u"INSERT INTO U VALUES (1);\nEXIT 3 ROLLBACK\nINSERT INTO U VALUES (2);"_s, 3, "0");
        row("exit warning", u"INSERT INTO U VALUES (1);\nquit warning;"_s, 2, "1");
        row("unreadable exit", u"INSERT INTO U VALUES (1);\nEXIT NOW"_s, 1, "1");
    }

    void whenever()
    {
        QFETCH(QString, input);
        Console c;
        c.feed(input);
        c.console.finish();
        QTEST(c.console.exitCode(), "code");
        QTEST(c.committed(u"SELECT COUNT(*) FROM U"_s), "units");
    }

    // ALTER SESSION goes to the database; the console then shows dates by
    // the NLS_DATE_FORMAT the database took.
    void alterSession_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("day");
        QTest::newRow("date format") << u"ALTER SESSION SET NLS_DATE_FORMAT = 'DD.MM.YYYY HH24:MI';"_s << u"31.12.2001 23:59"_s;
        QTest::newRow("other parameter") << u"ALTER SESSION SET NLS_LANGUAGE = American;"_s << u"2001-12-31 23:59:59"_s;
    }

    void alterSession()
    {
        QFETCH(QString, statement);
        QFETCH(QString, day);
        Console c;
        c.feed(statement + u"\nSELECT DAY FROM P WHERE CODE LIKE 'A1%';"_s);
        QCOMPARE(c.errText, QString());
        QCOMPARE(c.outText, u"Session altered.\n\nDAY\n%1\n%2\n\n1 row selected.\n"_s.arg(QString(day.size(), u'-'), day));
    }

    void dateCells_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("text");
        const QDateTime last(QDate(2001, 12, 31), QTime(23, 59, 59), Qt::UTC);
        QTest::newRow("no format") << QVariant(last) << QString() << u"2001-12-31 23:59:59"_s;
        QTest::newRow("format") << QVariant(last) << u"DD-MON-RR HH12:MI PM"_s << u"31-DEC-01 11:59 PM"_s;
        QTest::newRow("date alone") << QVariant(QDate(2002, 1, 1)) << u"YYYY/MM/DD HH24"_s << u"2002/01/01 00"_s;
    }

    void dateCells()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, format);
        QTEST(ResultPrinter::cellText(value, format), "text");
    }

    void pagesRepeatHeadingsWithTheirOwnWidths()
    {
        EngineDb db({u"CREATE TABLE L (X NUMBER)"_s, u"INSERT INTO L VALUES (1)"_s, u"INSERT INTO L VALUES (22)"_s,
                     u"INSERT INTO L VALUES (333)"_s});
        QString text;
        QTextStream out(&text);
        auto dynaset = db->DBCreateDynaset(u"SELECT X FROM L ORDER BY X"_s);
        QCOMPARE(ResultPrinter(out, 2).print(*dynaset), qint64(3));
        out.flush();
        QCOMPARE(text, u"\nX\n--\n 1\n22\n\nX\n---\n333\n\n3 rows selected.\n"_s);
    }

    void displayWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("kana, kanji, fullwidth, hangul") << u"A ｶﾅカナ漢字ＡＢ\u3000한글"_s << 22;
        QTest::newRow("hangul jamo edge") << (QString(QChar(0x115F)) + QChar(0x1160)) << 3;
        QTest::newRow("fullwidth sign edge") << (QString(QChar(0xFFE6)) + QChar(0xFFE8)) << 3;
        QTest::newRow("outside the basic plane") << QString::fromUcs4(U"\U0001F600x") << 3;
    }

    void displayWidth()
    {
        QFETCH(QString, text);
        QTEST(ResultPrinter::displayWidth(text), "width");
    }

    // The demo schema loads whole.
    void demoScript()
    {
        Console c(QStringList{});
        c.console.runScript(QStringLiteral(KOVA_SOURCE_DIR "/data/demo.sql"));
        QCOMPARE(c.errText, QString());
        QCOMPARE(c.committed(u"SELECT COUNT(*) FROM 受注 UNION ALL SELECT COUNT(*) FROM 受注一覧"_s), u"7;7"_s);
    }

    // kova-sqlplus reading its standard input keeps a carriage return that
    // belongs to a literal.
    void standardInputKeepsCarriageReturns()
    {
        Console c;
        QProcess sqlplus;
        sqlplus.start(QCoreApplication::applicationDirPath() + u"/kova-sqlplus"_s, {u"scott/tiger@"_s + c.db.db.path});
        QVERIFY(sqlplus.waitForStarted());
        sqlplus.write("INSERT INTO T VALUES (4, 'a\r\nb');\r\nEXIT\r\n");
        sqlplus.closeWriteChannel();
        QVERIFY(sqlplus.waitForFinished(60000));
        QCOMPARE(sqlplus.exitCode(), 0);
        QCOMPARE(c.committed(u"SELECT B FROM T WHERE A = 4"_s), u"a\r\nb"_s);
    }

    // With someone to ask (a terminal), ACCEPT and variables not defined ask;
    // "&&n" and ACCEPT keep the answer, "&m" serves its line only.
    void asksOnATerminal()
    {
        Console c;
        QStringList asked;
        QStringList answers{u"2"_s, u"10"_s, u"5"_s, u""_s, u"1"_s};
        c.console.setAsker([&](const QString& prompt, bool hide) -> std::optional<QString> {
            asked.append(prompt + (hide ? u" (hidden)"_s : QString()));
            if (answers.isEmpty())
                return std::nullopt;
            return answers.takeFirst();
        });
        c.feed(u"SET VERIFY OFF\nACCEPT v PROMPT 'How many? '\nINSERT INTO U VALUES (&v);\n"
               "INSERT INTO U VALUES (&&n + &v);\nINSERT INTO U VALUES (&n + &m);\nACCEPT w DEFAULT 7 HIDE\n"
               "INSERT INTO U VALUES (&w + &m);"_s);
        c.console.finish();
        QCOMPARE(c.errText, QString());
        QCOMPARE(asked, (QStringList{u"How many? "_s, u"Enter value for n: "_s, u"Enter value for m: "_s,
                                     u" (hidden)"_s, u"Enter value for m: "_s}));
        QCOMPARE(c.committed(u"SELECT SUM(X) FROM U"_s), u"37"_s);
    }

    // The words after the script on kova-sqlplus's command line are its &1, &2 ...
    void scriptArgumentsFromTheCommandLine()
    {
        Console c;
        const QString script = QDir(c.db.dir.path()).filePath(u"args.sql"_s);
        QVERIFY(WriteFile(script, "INSERT INTO U VALUES (&1 + &2);\nEXIT\n"));
        QProcess sqlplus;
        sqlplus.start(QCoreApplication::applicationDirPath() + u"/kova-sqlplus"_s,
                      {u"scott/tiger@"_s + c.db.db.path, u"@"_s + script, u"3"_s, u"4"_s});
        QVERIFY(sqlplus.waitForFinished(60000));
        QCOMPARE(sqlplus.exitCode(), 0);
        QCOMPARE(c.committed(u"SELECT SUM(X) FROM U"_s), u"7"_s);
    }

    // A relative database name is the program's folder's, wherever it runs;
    // --create makes a missing file, and without it nothing is created.
    void createsAMissingFileBesideTheProgram()
    {
        QTemporaryDir elsewhere;
        const QString name = u"created-%1.db"_s.arg(QCoreApplication::applicationPid());
        const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
        const auto run = [&](const QStringList& args) {
            QProcess sqlplus;
            sqlplus.setWorkingDirectory(elsewhere.path());
            sqlplus.start(QCoreApplication::applicationDirPath() + u"/kova-sqlplus"_s, args);
            sqlplus.write("CREATE TABLE N (A NUMBER);\nexit\n");
            sqlplus.closeWriteChannel();
            return sqlplus.waitForFinished(60000) ? sqlplus.exitCode() : -1;
        };
        QVERIFY(run({u"scott/tiger@"_s + name}) != 0);
        QVERIFY(!QFile::exists(beside));
        QCOMPARE(run({u"--create"_s, u"scott/tiger@"_s + name}), 0);
        QVERIFY(QFile::exists(beside) && QDir(elsewhere.path()).isEmpty());
        OraSession other;
        QCOMPARE(RowsText(QueryRows(*other.DbOpenDatabase(beside, u"scott/tiger"_s), u"SELECT COUNT(*) FROM N"_s)), u"0"_s);
        QFile::remove(beside);
    }
};

QTEST_GUILESS_MAIN(tst_SqlConsole)
#include "tst_SqlConsole.moc"
