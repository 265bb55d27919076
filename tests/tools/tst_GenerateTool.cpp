// label: engine
// kova-generate on the embedded engine: a file written by hand, a second run
// with duplicates, wrong files and arguments, the preview, and rules saved
// from the window making the rows the window's own run makes.
#include "GenerateTool.h"
#include "SqlConsole.h"

#include "browser/ColumnGrid.h"
#include "controls/GridModel.h"
#include "generate/CreationRun.h"
#include "generate/RuleFile.h"
#include "shared/RandomSequence.h"
#include "support/EngineSupport.h"
#include "support/MaintainSupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTextStream>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace kovatest;

namespace {

const QStringList Schema{
    u"CREATE TABLE 商品マスタ (商品コード NUMBER(4) PRIMARY KEY, 商品名 VARCHAR2(20))"_s,
    u"INSERT INTO 商品マスタ VALUES (2, 'みかん')"_s, u"INSERT INTO 商品マスタ VALUES (1, 'りんご')"_s,
    u"CREATE TABLE 会員 (会員番号 NUMBER(8) PRIMARY KEY, 支店 CHAR(3), 氏名 VARCHAR2(20), 性別 NUMBER(1), "
    "残高 NUMBER(8,2), 入会日 DATE, 備考 VARCHAR2(40), 写真 RAW(10))"_s,
    u"CREATE TABLE 日付 (T VARCHAR2(8))"_s, u"INSERT INTO 日付 VALUES ('20240101')"_s,
    u"INSERT INTO 日付 VALUES ('x')"_s, u"CREATE TABLE LOGT (番号 NUMBER(18) PRIMARY KEY)"_s};

// A rule file of one column.
QByteArray OneColumn(const QString& table, const QString& column, int rows = 20)
{
    return u"{\"kova-rules\": 1, \"table\": \"%1\", \"rows\": %2, \"columns\": [%3]}"_s.arg(table).arg(rows).arg(column).toUtf8();
}

const QByteArray Members = R"({
  "kova-rules": 1,
  "table": "会員",
  "rows": 20,
  "columns": [
    {"column": "会員番号", "kind": "sequence", "start": 1, "step": 1},
    {"column": "支店",     "kind": "list",     "values": ["A01", "B02", "C03"]},
    {"column": "氏名",     "kind": "fixed",    "value": "山田"},
    {"column": "性別",     "kind": "random",   "min": 1, "max": 2, "unit": 1},
    {"column": "残高",     "kind": "random",   "min": 0, "max": 9999.99, "unit": 0.01},
    {"column": "入会日",   "kind": "sequence", "start": "20240101", "step": 1},
    {"column": "備考",     "kind": "select",   "sql": "SELECT 商品名 FROM 商品マスタ ORDER BY 商品コード"},
    {"column": "写真",     "kind": "null"}
  ]
})";

struct Tool {
    explicit Tool(const QStringList& schema = Schema) : db(schema) {}

    // Writes `json` into the database's folder as `name`; its path.
    QString file(const QString& name, const QByteArray& json) const
    {
        const QString path = db.dir.filePath(name);
        WriteFile(path, json);
        return path;
    }

    int run(const QStringList& args)
    {
        out.clear();
        err.clear();
        QString error;
        const auto parsed = kovagenerate::ParseArguments(QStringList{u"scott/tiger@"_s + db.db.path} + args, &error);
        if (!parsed)
            return -1;
        QTextStream o(&out);
        QTextStream e(&err);
        return kovagenerate::Run(*parsed, o, e, false);
    }

    QString rows(const QString& sql) const { return db.text(sql); }

    EngineDb db;
    QString out;
    QString err;
};

}  // namespace

class tst_GenerateTool : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ResetProgramState(); }

    void fillsFromAHandWrittenFile()
    {
        Tool tool;
        const QString members = tool.file(u"会員.json"_s, Members);
        QCOMPARE(tool.run({members}), kovagenerate::AllCreated);
        QCOMPARE(tool.out, u"会員: 20 rows created, 0 refused\n"_s);
        QCOMPARE(tool.rows(u"SELECT 会員番号, 支店, 氏名, 入会日, 備考, 写真 FROM 会員 WHERE 会員番号 <= 4 ORDER BY 1"_s),
                 u"1,A01,山田,2024/01/01,りんご,[NULL];2,B02,山田,2024/01/02,みかん,[NULL];"
                 "3,C03,山田,2024/01/03,りんご,[NULL];4,A01,山田,2024/01/04,みかん,[NULL]"_s);
        QCOMPARE(tool.rows(u"SELECT COUNT(*) FROM 会員 WHERE 性別 IN (1, 2) AND 残高 BETWEEN 0 AND 9999.99"_s), u"20"_s);

        // Again with more rows: the first twenty keys are taken.
        QCOMPARE(tool.run({members, u"--rows"_s, u"25"_s}), kovagenerate::SomeRefused);
        // Why, under the table's line: each error with its count, and the first refused row.
        const QStringList refused = tool.out.split(u'\n');
        QCOMPARE(refused.size(), 4);
        QCOMPARE(refused[0], u"会員: 5 rows created, 20 refused"_s);
        QVERIFY2(refused[1].startsWith(u"  ORA-00001: "_s) && refused[1].endsWith(u" (20件)"_s), qPrintable(refused[1]));
        QVERIFY2(refused[2].startsWith(u"  最初に登録できなかった行の値: 1, 'A01', '山田', "_s), qPrintable(refused[2]));

        // A wrong second file stops the job before the first one runs.
        const QString wrong = tool.file(u"wrong.json"_s, R"({"kova-rules": 1, "table": "会員", "columns": [{"column": "氏名"}]})");
        QCOMPARE(tool.run({members, wrong, u"--rows"_s, u"30"_s}), kovagenerate::Stopped);
        QCOMPARE(tool.out, QString());
        QVERIFY2(tool.err.startsWith(wrong + u": 氏名: kind は"_s), qPrintable(tool.err));
        QCOMPARE(tool.rows(u"SELECT COUNT(*) FROM 会員"_s), u"25"_s);

        // The preview prints what a run would send and writes nothing.
        QCOMPARE(tool.run({members, u"--preview"_s, u"2"_s}), kovagenerate::AllCreated);
        const QStringList lines = tool.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[1].startsWith(u"Insert into 会員 Values(  2 ,'B02' ,'山田' ,"_s), qPrintable(lines[1]));
        QVERIFY2(lines[1].endsWith(u"TO_DATE('20240102 000000','YYYYMMDD HH24MISS') ,'みかん' , NULL ) "_s), qPrintable(lines[1]));
        QCOMPARE(tool.rows(u"SELECT COUNT(*) FROM 会員"_s), u"25"_s);
    }

    void stopsOnWrongInput_data()
    {
        QTest::addColumn<QStringList>("args");  // after the login
        QTest::addColumn<int>("status");         // -1: the arguments are refused
        QTest::addColumn<QString>("message");
        QTest::newRow("no file") << QStringList{} << -1 << QString();
        QTest::newRow("rows 0") << QStringList{u"f.json"_s, u"--rows"_s, u"0"_s} << -1 << QString();
        QTest::newRow("unknown option") << QStringList{u"f.json"_s, u"--fast"_s} << -1 << QString();
        QTest::newRow("format without out") << QStringList{u"f.json"_s, u"--format"_s, u"csv"_s} << -1 << QString();
        QTest::newRow("shard without out") << QStringList{u"f.json"_s, u"--shard"_s, u"1/2"_s} << -1 << QString();
        QTest::newRow("shard past its count") << QStringList{u"f.json"_s, u"--out"_s, u"o"_s, u"--shard"_s, u"3/2"_s} << -1 << QString();
        QTest::newRow("no such file") << QStringList{u"none.json"_s} << 2 << u"none.json: cannot read the file"_s;
        QTest::newRow("not JSON") << QStringList{u"garbage"_s} << 2 << u": JSON として読めません"_s;
        QTest::newRow("no such table") << QStringList{u"other"_s} << 2 << u"other: the schema has no table 顧客\n"_s;
        QTest::newRow("SQL in the table name") << QStringList{u"injected"_s} << 2
                                               << u"injected: the schema has no table 商品マスタ' OR 'a'='a\n"_s;
        QTest::newRow("failing select") << QStringList{u"会員.json"_s, u"no column"_s} << 2
                                        << u"no column: 備考: the SELECT fails: "_s;
        // A select rule only reads: the preview does not run it, nor does a run.
        QTest::newRow("select that writes, preview") << QStringList{u"writes"_s, u"--preview"_s, u"3"_s} << 2
                                                     << u"writes: 備考: 編集にはデータを読むSELECT文だけを指定できます。"_s;
        QTest::newRow("select that writes") << QStringList{u"writes"_s} << 2 << u"writes: 備考: 編集には"_s;
        QTest::newRow("load into files") << QStringList{u"会員.json"_s, u"--load"_s, u"--out"_s, u"o"_s} << -1 << QString();
        QTest::newRow("jobs past 256") << QStringList{u"会員.json"_s, u"--load"_s, u"--jobs"_s, u"257"_s} << -1 << QString();
        QTest::newRow("pg without load") << QStringList{u"会員.json"_s, u"--pg"_s, u"port=1"_s} << -1 << QString();
        QTest::newRow("load into the embedded engine") << QStringList{u"会員.json"_s, u"--load"_s} << 2
                                                      << u"--load fills a PostgreSQL server"_s;
        QTest::newRow("load of a project with before") << QStringList{u"before"_s, u"--load"_s} << 2
                                                       << u"--load does not run a project's \"before\""_s;
    }
    void stopsOnWrongInput()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, message);
        Tool tool;
        tool.file(u"garbage"_s, "\x89PNG\r\n");
        tool.file(u"other"_s, R"({"kova-rules": 1, "table": "顧客", "columns": []})");
        tool.file(u"injected"_s, OneColumn(u"商品マスタ' OR 'a'='a"_s, {}));
        tool.file(u"会員.json"_s, Members);
        const auto select = [](const QString& sql) {
            return OneColumn(u"会員"_s, u"{\"column\": \"備考\", \"kind\": \"select\", \"sql\": \"%1\"}"_s.arg(sql));
        };
        tool.file(u"no column"_s, select(u"SELECT NOPE FROM 商品マスタ"_s));
        tool.file(u"writes"_s, select(u"DELETE FROM 商品マスタ"_s));
        tool.file(u"before"_s, R"({"kova-project": 1, "before": ["DELETE FROM 商品マスタ"], "tables": [{"rules": "会員.json"}]})");
        for (QString& arg : args)
            if (!arg.startsWith(u"--"_s) && !arg.front().isDigit())
                arg = tool.db.dir.filePath(arg);
        QCOMPARE(tool.run(args), status);
        QVERIFY2(tool.err.contains(message), qPrintable(tool.err));
        QCOMPARE(tool.out, QString());
        QCOMPARE(tool.rows(u"SELECT COUNT(*) FROM 商品マスタ UNION ALL SELECT COUNT(*) FROM 会員"_s), u"2;0"_s);
    }

    // All files run in one transaction: refused rows are counted per table
    // and the exit status is the whole job's; anything that stops the run
    // keeps nothing of any table.
    void oneTransaction()
    {
        Tool tool;
        const QString members = tool.file(u"会員.json"_s, Members);
        const QString goods = tool.file(u"goods"_s, OneColumn(u"商品マスタ"_s, u"{\"column\": \"商品コード\", \"kind\": "
                                                                          "\"sequence\", \"start\": 1, \"step\": 1}"_s, 3));
        // A table named in another case is the dictionary's; a key of 16 digits.
        const QString keys = tool.file(u"keys"_s, OneColumn(u"logt"_s, u"{\"column\": \"番号\", \"kind\": \"sequence\", "
                                                                     "\"start\": 1234567890123456, \"step\": 1}"_s));
        QCOMPARE(tool.run({goods, members, keys}), kovagenerate::SomeRefused);
        QVERIFY2(tool.out.startsWith(u"商品マスタ: 1 rows created, 2 refused\n  ORA-00001"_s), qPrintable(tool.out));
        QVERIFY2(tool.out.endsWith(u"\n会員: 20 rows created, 0 refused\nLOGT: 20 rows created, 0 refused\n"_s),
                 qPrintable(tool.out));
        QCOMPARE(tool.rows(u"SELECT COUNT(DISTINCT 番号), MIN(番号) || '', MAX(番号) || '' FROM LOGT"_s),
                 u"20,1234567890123456,1234567890123475"_s);

        // The date query fails on its second row, after the check has opened
        // it and after the first table's rows went in.
        const QString broken = tool.file(u"broken"_s, OneColumn(u"会員"_s, u"{\"column\": \"備考\", \"kind\": \"select\", "
                                                                         "\"sql\": \"SELECT TO_DATE(T, 'YYYYMMDD') FROM 日付\"}"_s));
        QCOMPARE(tool.run({goods, broken, u"--rows"_s, u"10"_s}), kovagenerate::Stopped);
        QCOMPARE(tool.out, QString());
        QVERIFY2(tool.err.startsWith(u"stopped, nothing was kept: "_s), qPrintable(tool.err));
        QCOMPARE(tool.rows(u"SELECT COUNT(*) FROM 商品マスタ UNION ALL SELECT COUNT(*) FROM 会員"_s), u"3;20"_s);
    }

    // A GENERATED ALWAYS identity column takes no value: the statements and
    // the loader files leave it out, and the database numbers the rows. A
    // rule set on it stops the job before anything is written.
    void identityColumn_data()
    {
        QTest::addColumn<QString>("columns");  // of the rule file; none: --auto
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("made");     // MIN(ID), MAX(ID), COUNT(*) after the run (and its script)
        QTest::addColumn<QString>("written");  // "file:text it holds", no ID in it
        const QString name = u"{\"column\": \"NAME\", \"kind\": \"fixed\", \"value\": \"n\"}"_s;
        const int created = kovagenerate::AllCreated;
        QTest::newRow("rule file") << name << QStringList() << created << QString() << u"1,3,3"_s << QString();
        QTest::newRow("auto") << QString() << QStringList{u"--auto"_s, u"T"_s} << created
                              << u"T: ID: generated always as identity\n"_s << u"1,3,3"_s << QString();
        QTest::newRow("script") << name << QStringList{u"--out"_s, u"t.sql"_s} << created << QString() << u"1,3,3"_s
                                << u"t.sql:\nInsert into T (NAME, QTY) Values( 'n' , 0 );\n"_s;
        QTest::newRow("csv") << name << QStringList{u"--out"_s, u"csv"_s, u"--format"_s, u"csv"_s} << created << QString()
                             << u"[NULL],[NULL],0"_s << u"csv/T.csv:NAME,QTY\r\nn,0\r\nn,0\r\n"_s;
        QTest::newRow("control file") << name << QStringList{u"--out"_s, u"csv"_s, u"--format"_s, u"csv"_s} << created
                                      << QString() << u"[NULL],[NULL],0"_s << u"csv/T.ctl:  \"NAME\" CHAR(255)"_s;
        QTest::newRow("rule on it") << name + u", {\"column\": \"ID\", \"kind\": \"sequence\", \"start\": 1, \"step\": 1}"_s
                                    << QStringList() << int(kovagenerate::Stopped)
                                    << u"T.ID: generated always as identity: no value can be given\n"_s
                                    << u"[NULL],[NULL],0"_s << QString();
    }
    void identityColumn()
    {
        QFETCH(QString, columns);
        QFETCH(QStringList, args);
        Tool tool({u"CREATE TABLE T (ID NUMBER(6) GENERATED AS IDENTITY PRIMARY KEY, NAME VARCHAR2(10) NOT NULL, "
                   "QTY NUMBER(3))"_s});
        if (const qsizetype out = args.indexOf(u"--out"_s) + 1; out > 0)
            args[out] = tool.db.dir.filePath(args[out]);
        if (!columns.isEmpty())
            args.prepend(tool.file(u"t.json"_s, OneColumn(u"T"_s, columns, 3)));
        else
            args << u"--rows"_s << u"3"_s;
        QTEST(tool.run(args), "outcome");
        QFETCH(QString, said);
        QVERIFY2(tool.err.endsWith(said), qPrintable(tool.err));
        QFETCH(QString, written);
        if (!written.isEmpty()) {
            const QString path = written.section(u':', 0, 0);
            const QString text = QString::fromUtf8(ReadFile(tool.db.dir.filePath(path)));
            QVERIFY2(text.contains(written.section(u':', 1)) && !text.contains(QRegularExpression(u"\\bID\\b"_s)),
                     qPrintable(text));
            if (path == u"t.sql"_s) {
                QString out, err;
                QTextStream o(&out), e(&err);
                SqlConsole console(tool.db.db.session, tool.db.db.database, o, e);
                console.runScript(tool.db.dir.filePath(path));
                console.finish();
                QCOMPARE(err, QString());
            }
        }
        QTEST(tool.rows(u"SELECT MIN(ID), MAX(ID), COUNT(*) FROM T"_s), "made");
    }

    // Each program's --help lists every option it takes, each on its own
    // line with what it does.
    void helpExplainsEveryOption_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("option");
        for (const char* option : {"--rows N", "--preview K", "--seed N", "--auto", "--out PATH", "--format sql|csv",
                                   "--shard K/N", "--jobs J", "--load", "--pg CONNINFO", "--help", "--version"})
            QTest::addRow("kova-generate %s", option) << u"kova-generate"_s << QString::fromLatin1(option);
        for (const char* option : {"--create", "@script.sql", "--copy-schema", "--rows N", "--help", "--version"})
            QTest::addRow("kova-sqlplus %s", option) << u"kova-sqlplus"_s << QString::fromLatin1(option);
    }
    void helpExplainsEveryOption()
    {
        QFETCH(QString, program);
        QFETCH(QString, option);
        QProcess process;
        process.start(QCoreApplication::applicationDirPath() + u'/' + program, {u"--help"_s});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        const QString help = QString::fromUtf8(process.readAllStandardOutput());
        const QStringList lines = help.split(u'\n');
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const QString& l) {
            return l.startsWith(u"  "_s + option + u"  "_s);
        });
        QVERIFY2(line != lines.end(), qPrintable(help));
        QVERIFY2(line->mid(option.size() + 2).trimmed().count(u' ') >= 3, qPrintable(*line));
    }

    void loginRefused()
    {
        QString error;
        const auto args = kovagenerate::ParseArguments({u"a/b@/nowhere/x.db"_s, u"f.json"_s}, &error);
        QVERIFY(args);
        QString out, err;
        QTextStream o(&out), e(&err);
        QCOMPARE(kovagenerate::Run(*args, o, e, false), kovagenerate::Stopped);
        QVERIFY2(err.startsWith(u"cannot log in to /nowhere/x.db: "_s), qPrintable(err));
    }

    // Rules set in the window and saved: the tool makes the rows the
    // window's own run makes.
    void savedRulesLikeTheWindow()
    {
        Tool tool;
        Connected window(Schema);
        controls::GridModel grid;
        browser::FillColumnGrid(window.database(), grid, u"会員"_s, true);
        for (const QString& rule : {u"会員番号=3:10,5"_s, u"支店=1:X1,,Y2"_s, u"残高=2:1,500,0.5"_s, u"入会日=2:20240101 083000,20241231 083000,1"_s,
                                    u"備考=4:SELECT 商品名 FROM 商品マスタ"_s, u"氏名=0:O'Hara"_s})
            SetRule(rule);
        const QString saved = tool.db.dir.filePath(u"saved.json"_s);
        QString error;
        QVERIFY2(generate::SaveRuleFile(saved, u"会員"_s, 12, &error), qPrintable(error));
        basKovaData::ResetRandom();
        QCOMPARE(generate::GenerateRows(basKovaData::TableRules::FromShared(u"会員"_s), 12).failures, 0);
        const QString sql = u"SELECT * FROM 会員 ORDER BY 会員番号"_s;
        const QString windowRows = RowsText(QueryRows(*window.database(), sql));

        basKovaData::ResetRandom();
        QCOMPARE(tool.run({saved}), kovagenerate::AllCreated);
        QCOMPARE(tool.rows(sql), windowRows);
    }
};

QTEST_GUILESS_MAIN(tst_GenerateTool)
#include "tst_GenerateTool.moc"
