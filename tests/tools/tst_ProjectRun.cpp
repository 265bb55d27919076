// label: engine
// kova-generate with project files on the embedded engine: rows per parent
// row over a composite key, emptying first, statements around the rows; the
// same rows as an INSERT script, as CSV, in shards and in parallel jobs; and
// projects refused whole before anything is written.
#include "GenerateTool.h"
#include "SqlConsole.h"

#include "browser/ColumnGrid.h"
#include "controls/GridModel.h"
#include "diag/TableInformation.h"
#include "generate/RowFiles.h"
#include "maintain/DeleteRun.h"
#include "maintain/UpdateRun.h"
#include "maintain/ViewerQuery.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "session/OraSession.h"
#include "support/EngineSupport.h"
#include "support/ServerSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;
using namespace kovatest;

namespace {

const QStringList Schema{
    u"CREATE TABLE 部署 (部署番号 NUMBER(4) PRIMARY KEY, 部署名 VARCHAR2(20) NOT NULL)"_s,
    u"CREATE TABLE 課 (部署番号 NUMBER(4) NOT NULL REFERENCES 部署 (部署番号), 課番号 NUMBER(6) NOT NULL, "
    "課名 VARCHAR2(20), PRIMARY KEY (部署番号, 課番号))"_s,
    u"CREATE TABLE 課員 (番号 NUMBER(8) PRIMARY KEY, 部署番号 NUMBER(4), 課番号 NUMBER(6), 氏名 VARCHAR2(40), "
    "入社日 DATE, 備考 VARCHAR2(30), FOREIGN KEY (部署番号, 課番号) REFERENCES 課 (部署番号, 課番号))"_s,
    u"CREATE TABLE 品目 (コード CHAR(4) PRIMARY KEY, 名前 VARCHAR2(20))"_s,
    u"INSERT INTO 品目 VALUES ('A001', 'ねじ, 小')"_s, u"INSERT INTO 品目 VALUES ('A002', '板 \"厚\"')"_s,
    u"CREATE TABLE P (ID NUMBER(4) PRIMARY KEY)"_s,
    u"CREATE TABLE C (ID NUMBER(4) PRIMARY KEY, P_ID NUMBER(4), CONSTRAINT C_FK FOREIGN KEY (P_ID) REFERENCES P (ID))"_s,
    u"CREATE TABLE PK (CODE VARCHAR2(8) PRIMARY KEY)"_s,
    u"CREATE TABLE CK (ID NUMBER(4) PRIMARY KEY, CODE VARCHAR2(8) REFERENCES PK (CODE))"_s,
    u"CREATE SEQUENCE S_P START WITH 100"_s};

const QByteArray Departments = R"({"kova-rules": 1, "table": "部署", "rows": 8, "columns": [
  {"column": "部署番号", "kind": "sequence", "start": 10, "step": 10},
  {"column": "部署名", "kind": "list", "values": ["営業", "総務", "開発"]}]})";
const QByteArray Sections = R"({"kova-rules": 1, "table": "課", "columns": [
  {"column": "課番号", "kind": "sequence", "start": 1, "step": 1},
  {"column": "課名", "kind": "select", "sql": "SELECT 名前 FROM 品目 ORDER BY コード"}]})";
// Sequences and lists that NULL rows leave where they stood: a slice must
// find them where the whole run has them.
const QByteArray Members = R"({"kova-rules": 1, "table": "課員", "columns": [
  {"column": "番号", "kind": "sequence", "start": 1, "step": 1},
  {"column": "氏名", "kind": "list", "values": ["山田, 一郎", "O'Brien", "改行\nあり", "\"引用\""], "null": 30},
  {"column": "入社日", "kind": "sequence", "start": "20240101", "step": 1.5, "null": 20},
  {"column": "備考", "kind": "random", "min": 1, "max": 999, "unit": 1, "null": 50}]})";

// A parent whose key is SQL, and a child made per row of it.
const QByteArray KeyBySql = R"({"kova-rules": 1, "table": "PK", "rows": 3, "columns": [
  {"column": "CODE", "kind": "fixed", "value": "@'P' || S_P.NEXTVAL"}]})";
const QByteArray KeyChild = R"({"kova-rules": 1, "table": "CK", "columns": [
  {"column": "ID", "kind": "sequence", "start": 1, "step": 1}]})";

const QString Project = uR"({"kova-project": 1, "seed": 42, "empty-first": true,
  "before": ["UPDATE 品目 SET 名前 = 名前 || '' WHERE 1 = 0;"],
  "after": ["UPDATE 課員 SET 備考 = 'after' WHERE 備考 IS NULL"],
  "tables": [
    {"rules": "課員.json", "per-parent": {"table": "課", "min": 0, "max": 4}},
    {"rules": "部署.json"},
    {"rules": "課.json", "per-parent": {"table": "部署", "min": 1, "max": 3}}%1]})"_s;

const QString EveryTable = u"SELECT * FROM 部署 ORDER BY 1; SELECT * FROM 課 ORDER BY 1, 2; SELECT * FROM 課員 ORDER BY 1"_s;

struct Tool {
    Tool() : db(Schema)
    {
        file(u"部署.json"_s, Departments);
        file(u"課.json"_s, Sections);
        file(u"課員.json"_s, Members);
    }

    QString file(const QString& name, const QByteArray& json) const
    {
        const QString path = db.dir.filePath(name);
        WriteFile(path, json);
        return path;
    }
    QString project(const QString& more = {}) const { return file(u"p.json"_s, Project.arg(more).toUtf8()); }

    int run(const QStringList& args)
    {
        out.clear();
        err.clear();
        QString error;
        auto parsed = kovagenerate::ParseArguments(QStringList{u"scott/tiger@"_s + db.db.path} + args, &error);
        if (!parsed) {
            err = error;
            return -1;
        }
        parsed->program = QCoreApplication::applicationDirPath() + u"/kova-generate"_s;
        QTextStream o(&out), e(&err);
        return kovagenerate::Run(*parsed, o, e, false);
    }

    // Every row of the three tables, each query's rows as one text.
    QString rows() const
    {
        QStringList all;
        for (const QString& sql : EveryTable.split(u"; "_s))
            all << db.text(sql);
        return all.join(u"\n"_s);
    }
    void empty() const
    {
        for (const QString& table : {u"課員"_s, u"課"_s, u"部署"_s})
            db->DbExecuteSQL(u"DELETE FROM "_s + table);
    }

    EngineDb db;
    QString out;
    QString err;
};

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

}  // namespace

class tst_ProjectRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ResetProgramState(); }
    void cleanup() { ReleaseSession(); }

    void runsAProjectParentsFirst()
    {
        Tool tool;
        const QString project = tool.project();
        QCOMPARE(tool.run({project}), kovagenerate::AllCreated);
        const QStringList lines = tool.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], u"部署: 8 rows created, 0 refused"_s);
        QVERIFY2(lines[1].startsWith(u"課: "_s) && lines[2].startsWith(u"課員: "_s), qPrintable(tool.out));
        // One to three sections per department, none to four members per section
        // (both ends occur), each member with both key columns of its own section.
        QCOMPARE(tool.db.text(u"SELECT COUNT(*), MIN(n), MAX(n) FROM "
                              "(SELECT 部署番号, COUNT(*) n FROM 課 GROUP BY 部署番号)"_s),
                 u"8,1,3"_s);
        QCOMPARE(tool.db.text(u"SELECT COUNT(*) > 0 FROM 課 s WHERE NOT EXISTS (SELECT 1 FROM 課員 m "
                              "WHERE m.部署番号 = s.部署番号 AND m.課番号 = s.課番号)"_s),
                 u"1"_s);
        QCOMPARE(tool.db.text(u"SELECT COUNT(*) FROM 課員 m WHERE NOT EXISTS (SELECT 1 FROM 課 s WHERE s.部署番号 = m.部署番号 "
                              "AND s.課番号 = m.課番号)"_s),
                 u"0"_s);
        QCOMPARE(tool.db.text(u"SELECT MAX(n) FROM (SELECT COUNT(*) n FROM 課員 GROUP BY 部署番号, 課番号)"_s), u"4"_s);
        QCOMPARE(tool.db.text(u"SELECT COUNT(*) FROM 課員 WHERE 備考 IS NULL"_s), u"0"_s);  // after the rows
        // Emptied first and made again from the seed: the same rows.
        const QString first = tool.rows();
        QCOMPARE(tool.run({project}), kovagenerate::AllCreated);
        QCOMPARE(tool.rows(), first);

        // --auto: the rules 自動設定 proposes, keys after those present.
        QCOMPARE(tool.run({u"--auto"_s, u"品目"_s, u"--rows"_s, u"3"_s}), kovagenerate::AllCreated);
        QCOMPARE(tool.out, u"品目: 3 rows created, 0 refused\n"_s);
        QCOMPARE(tool.db.text(u"SELECT COUNT(*) FROM 品目"_s), u"5"_s);
    }

    void writesTheRunsRowsToFiles()
    {
        Tool tool;
        const QString project = tool.project();
        QCOMPARE(tool.run({project}), kovagenerate::AllCreated);
        const QString inserted = tool.rows();
        tool.empty();

        // The script holds the run's statements; the console runs it as it is.
        const QString script = tool.db.dir.filePath(u"out/all.sql"_s);
        QCOMPARE(tool.run({project, u"--out"_s, script}), kovagenerate::AllCreated);
        QCOMPARE(tool.rows(), u"\n\n"_s);  // nothing was written to the database
        const QString text = QString::fromUtf8(Read(script));
        QVERIFY2(text.startsWith(u"SET DEFINE OFF\n"_s) && text.endsWith(u"UPDATE 課員 SET 備考 = 'after' WHERE 備考 IS NULL;\nCOMMIT;\n"_s),
                 qPrintable(text.left(200)));
        QString consoleOut, consoleErr;
        QTextStream o(&consoleOut), e(&consoleErr);
        SqlConsole console(tool.db.db.session, tool.db.db.database, o, e);
        console.runScript(script);
        console.finish();
        QCOMPARE(consoleErr, QString());
        QCOMPARE(tool.rows(), inserted);
        // A failing "after" stops the script and keeps nothing, as it stops the run.
        const QString failing = tool.file(u"fails.json"_s, R"({"kova-project": 1, "after": ["DELETE FROM NOPE"],
            "tables": [{"rules": "部署.json"}]})");
        const QString failingScript = tool.db.dir.filePath(u"out/fails.sql"_s);
        QCOMPARE(tool.run({failing, u"--out"_s, failingScript}), kovagenerate::AllCreated);
        tool.empty();
        SqlConsole again(tool.db.db.session, tool.db.db.database, o, e);
        again.runScript(failingScript);
        QVERIFY2(again.exitCode() != 0 && consoleErr.contains(u"NOPE"_s), qPrintable(consoleErr));
        QCOMPARE(tool.rows(), u"\n\n"_s);
        // A later slice of the script adds to the first: it empties nothing.
        QCOMPARE(tool.run({project, u"--out"_s, script, u"--shard"_s, u"2/2"_s}), kovagenerate::AllCreated);
        const QString second = QString::fromUtf8(Read(tool.db.dir.filePath(u"out/all.2-of-2.sql"_s)));
        QVERIFY2(second.contains(u"Insert into 課員"_s) && !second.contains(u"DELETE"_s), qPrintable(second.left(300)));

        // CSV: the whole run, then three shards and two jobs that together hold the same rows.
        const QString csv = tool.db.dir.filePath(u"csv"_s);
        QCOMPARE(tool.run({project, u"--out"_s, csv, u"--format"_s, u"csv"_s}), kovagenerate::AllCreated);
        for (int k = 1; k <= 3; ++k)
            QCOMPARE(tool.run({project, u"--out"_s, csv, u"--format"_s, u"csv"_s, u"--shard"_s, u"%1/3"_s.arg(k)}),
                     kovagenerate::AllCreated);
        QCOMPARE(tool.run({project, u"--out"_s, csv + u"/jobs"_s, u"--format"_s, u"csv"_s, u"--jobs"_s, u"2"_s}),
                 kovagenerate::AllCreated);
        for (const QString& table : {u"部署"_s, u"課"_s, u"課員"_s}) {
            const QByteArray whole = Read(csv + u'/' + table + u".csv"_s);
            QVERIFY(whole.count("\r\n") > 2);
            const QByteArray header = whole.left(whole.indexOf("\r\n") + 2);
            QByteArray shards = header, jobs = header;
            for (int k = 1; k <= 3; ++k)
                shards += Read(csv + u'/' + table + u".%1-of-3.csv"_s.arg(k)).mid(header.size());
            for (int k = 1; k <= 2; ++k)
                jobs += Read(csv + u"/jobs/"_s + table + u".%1-of-2.csv"_s.arg(k)).mid(header.size());
            QCOMPARE(shards, whole);
            QCOMPARE(jobs, whole);
        }
        QVERIFY(Read(csv + u"/課員.csv"_s).contains("\"山田, 一郎\","));
        QVERIFY(Read(csv + u"/課員.csv"_s).contains("\"改行\nあり\""));
        QVERIFY(Read(csv + u"/課員.csv"_s).contains("\"\"\"引用\"\"\""));
        const QByteArray loader = Read(csv + u"/jobs/load-postgresql.sql"_s);
        QVERIFY2(loader.indexOf("DELETE FROM 課員;\nDELETE FROM 課;\nDELETE FROM 部署;") > 0
                     && loader.indexOf("FROM '部署.2-of-2.csv'") < loader.indexOf("FROM '課.1-of-2.csv'"),
                 loader.constData());
        QVERIFY(QFile::permissions(csv + u"/load-oracle.sh"_s) & QFile::ExeOwner);
        QVERIFY(!QDir(csv).entryList(QDir::Files).join(u' ').contains(u".new"_s));
    }

    void refusesAProjectWhole_data()
    {
        QTest::addColumn<QString>("more");       // project entries added after the three tables
        QTest::addColumn<QByteArray>("json");    // else the whole project file
        QTest::addColumn<QStringList>("args");   // after the project
        QTest::addColumn<QString>("message");
        const QStringList none;
        QTest::newRow("unknown key") << QString() << QByteArray(R"({"kova-project": 1, "seeds": 1, "tables": [{"rules": "auto", "table": "品目"}]})")
                                     << none << u"p.json: unknown key \"seeds\""_s;
        QTest::newRow("auto without a table") << QString() << QByteArray(R"({"kova-project": 1, "tables": [{"rules": "auto"}]})")
                                              << none << u"\"auto\" needs the \"table\""_s;
        QTest::newRow("rows and per-parent") << u", {\"rules\": \"auto\", \"table\": \"品目\", \"rows\": 1, \"per-parent\": {\"table\": \"課\", \"min\": 1, \"max\": 2}}"_s
                                             << QByteArray() << none << u"not both"_s;
        QTest::newRow("max below min") << u", {\"rules\": \"auto\", \"table\": \"品目\", \"per-parent\": {\"table\": \"課\", \"min\": 3, \"max\": 2}}"_s
                                       << QByteArray() << none << u"per-parent \"max\" must be a whole number from 3"_s;
        QTest::newRow("counts and min") << u", {\"rules\": \"auto\", \"table\": \"品目\", \"per-parent\": {\"table\": \"課\", \"min\": 1, \"counts\": [[1, 1, 1]]}}"_s
                                        << QByteArray() << none << u"takes \"counts\" or \"min\" and \"max\", not both"_s;
        QTest::newRow("counts short of 1") << u", {\"rules\": \"auto\", \"table\": \"品目\", \"per-parent\": {\"table\": \"課\", \"counts\": [[1, 2, 0.5], [3, 3, 0.4]]}}"_s
                                           << QByteArray() << none << u"the shares add up to 0.9, not 1"_s;
        QTest::newRow("missing file") << u", {\"rules\": \"nothing.json\"}"_s << QByteArray() << none
                                      << u"p.json: tables[3]: there is no rule file "_s;
        QTest::newRow("unknown table") << u", {\"rules\": \"auto\", \"table\": \"顧客\"}"_s << QByteArray() << none
                                       << u"the schema has no table 顧客"_s;
        QTest::newRow("listed twice") << u", {\"rules\": \"auto\", \"table\": \"部署\"}"_s << QByteArray() << none
                                      << u"table 部署 is given twice"_s;
        QTest::newRow("per-parent of no parent") << u", {\"rules\": \"auto\", \"table\": \"品目\", \"per-parent\": {\"table\": \"部署\", \"min\": 1, \"max\": 2}}"_s
                                                 << QByteArray() << none << u"品目 has no foreign key to 部署"_s;
        QTest::newRow("parent not in the project") << QString() << QByteArray(R"({"kova-project": 1, "tables": [{"rules": "課.json", "per-parent": {"table": "部署", "min": 1, "max": 2}}]})")
                                                   << none << u"per-parent table 部署 of 課 is not another table"_s;
        QTest::newRow("statement after fails") << QString() << QByteArray(R"({"kova-project": 1, "after": ["DELETE FROM NOPE"], "tables": [{"rules": "部署.json"}]})")
                                               << none << u"stopped, nothing was kept: "_s;
        QTest::newRow("shard without a seed") << QString() << QByteArray(R"({"kova-project": 1, "tables": [{"rules": "部署.json"}]})")
                                              << QStringList{u"--out"_s, u"o"_s, u"--shard"_s, u"1/2"_s} << u"only with a seed"_s;
        QTest::newRow("shard of values that may not repeat") << u", {\"rules\": \"u.json\", \"rows\": 2}"_s << QByteArray()
                                                             << QStringList{u"--out"_s, u"o"_s, u"--shard"_s, u"2/2"_s}
                                                             << u"重複なし columns apart: 品目.名前"_s;
        QTest::newRow("step that never moves") << u", {\"rules\": \"s.json\", \"rows\": 2}"_s << QByteArray() << none
                                               << u"コード: ステップに０は入力できません。"_s;
        QTest::newRow("SQL text a CSV file cannot carry") << u", {\"rules\": \"raw.json\"}"_s << QByteArray()
                                                          << QStringList{u"--out"_s, u"o"_s, u"--format"_s, u"csv"_s}
                                                          << u"品目.名前: \"@USER\" is SQL text"_s;
        QTest::newRow("key given as SQL, in slices")
            << QString()
            << QByteArray(R"({"kova-project": 1, "seed": 1, "tables": [{"rules": "pk.json"},
                {"rules": "ck.json", "per-parent": {"table": "PK", "min": 1, "max": 1}}]})")
            << QStringList{u"--out"_s, u"o"_s, u"--shard"_s, u"2/2"_s}
            << u"PK.CODE: a parent key given as SQL (@'P' || S_P.NEXTVAL) cannot be made in slices"_s;
        QTest::newRow("statement SQL*Plus would split") << QString()
            << QByteArray(R"({"kova-project": 1, "before": ["UPDATE 品目 SET 名前 = 'a\n/\nb' WHERE 1 = 0"], "tables": [{"rules": "部署.json"}]})")
            << QStringList{u"--out"_s, u"o/run.sql"_s}
            << u"\"before\" statement 1 (UPDATE 品目 SET 名前 = 'a / b' WHERE 1 = 0) cannot be written to the script: "
               "a line of it is only \"/\""_s;
        QTest::newRow("key given twice") << QString() << QByteArray(R"({"kova-project": 1, "seed": 1, "seed": 2, "tables": []})")
                                         << none << u"the key \"seed\" is given twice in one object"_s;
    }
    void refusesAProjectWhole()
    {
        QFETCH(QString, more);
        QFETCH(QByteArray, json);
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        Tool tool;
        tool.file(u"u.json"_s, R"({"kova-rules": 1, "table": "品目", "columns": [
            {"column": "コード", "kind": "sequence", "start": 100, "step": 1},
            {"column": "名前", "kind": "pattern", "pattern": "[a-z]{8}", "unique": true}]})");
        tool.file(u"s.json"_s, R"({"kova-rules": 1, "table": "品目", "columns": [
            {"column": "コード", "kind": "sequence", "start": 1, "step": 0.1}]})");
        tool.file(u"raw.json"_s, R"({"kova-rules": 1, "table": "品目", "rows": 2, "columns": [
            {"column": "コード", "kind": "sequence", "start": 100, "step": 1},
            {"column": "名前", "kind": "fixed", "value": "@USER"}]})");
        tool.file(u"pk.json"_s, KeyBySql);
        tool.file(u"ck.json"_s, KeyChild);
        const QString project = json.isEmpty() ? tool.project(more) : tool.file(u"p.json"_s, json);
        for (QString& arg : args)
            if (arg == u"o"_s || arg.startsWith(u"o/"_s))
                arg = tool.db.dir.filePath(arg);
        QCOMPARE(tool.run(QStringList{project} + args), kovagenerate::Stopped);
        QVERIFY2(tool.err.contains(message), qPrintable(tool.err));
        QCOMPARE(tool.rows(), u"\n\n"_s);
        QCOMPARE(tool.db.text(u"SELECT COUNT(*) FROM 品目"_s), u"2"_s);
        QVERIFY(!QFileInfo::exists(tool.db.dir.filePath(u"o"_s)));
    }

    // A parent's key given as SQL runs once per parent row, and the rows
    // made for that parent take the value it gave.
    // Children per parent row drawn by shares: each parent draws inside its
    // own third of the shares, so the counts hold exactly whatever the seed.
    void childrenTakeTheKeyTheirParentGot_data()
    {
        QTest::addColumn<QString>("perParent");
        QTest::addColumn<QString>("children");
        QTest::newRow("min and max") << u"\"min\": 2, \"max\": 2"_s << u"2,3"_s;
        QTest::newRow("counts by share")
            << u"\"counts\": [[0, 1, 0], [3, 3, 0.3333333333333333], [5, 5, 0.6666666666666667]]"_s << u"3,1;5,2"_s;
    }
    void childrenTakeTheKeyTheirParentGot()
    {
        QFETCH(QString, perParent);
        QFETCH(QString, children);
        Tool tool;
        tool.file(u"pk.json"_s, KeyBySql);
        tool.file(u"ck.json"_s, KeyChild);
        const QString project = tool.file(u"keys.json"_s, uR"({"kova-project": 1, "seed": 7, "tables": [{"rules": "pk.json"},
            {"rules": "ck.json", "per-parent": {"table": "PK", %1}}]})"_s.arg(perParent).toUtf8());
        QVERIFY2(tool.run({project}) == kovagenerate::AllCreated, qPrintable(tool.out + tool.err));
        QCOMPARE(tool.db.text(u"SELECT N, COUNT(*) FROM (SELECT CODE, COUNT(*) N FROM CK GROUP BY CODE) GROUP BY N ORDER BY 1"_s),
                 children);
        QCOMPARE(tool.db.text(u"SELECT MIN(CODE), MAX(CODE) FROM CK"_s), u"P100,P102"_s);
        QCOMPARE(tool.db.text(u"SELECT COUNT(*) FROM PK"_s), u"3"_s);
    }

    // A project's tables with "rules": "auto" take as many rows as their keys
    // hold, in the database and in files of several jobs; a table made per
    // row of such a table sees its rows, and the end is 1.
    void autoTablesTakeWhatTheirKeysHold_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("out");
        QTest::newRow("into the table") << QStringList() << u"NP: 9 rows created, 0 refused\nNC: 18 rows created, 0 refused\n"_s;
        QTest::newRow("files of two jobs") << QStringList{u"--out"_s, u"o.sql"_s, u"--jobs"_s, u"2"_s}
                                           << u"NP: 9 rows written\nNC: 18 rows written\n"_s;
    }
    void autoTablesTakeWhatTheirKeysHold()
    {
        QFETCH(QStringList, args);
        Tool tool;
        tool.db->DbExecuteSQL(u"CREATE TABLE NP (ID NUMBER(1) PRIMARY KEY)"_s);
        tool.db->DbExecuteSQL(u"CREATE TABLE NC (ID NUMBER(4) PRIMARY KEY, NP_ID NUMBER(1) NOT NULL REFERENCES NP (ID))"_s);
        const QString project = tool.file(u"np.json"_s, R"({"kova-project": 1, "tables": [
            {"rules": "auto", "table": "NC", "per-parent": {"table": "NP", "min": 2, "max": 2}},
            {"rules": "auto", "table": "NP", "rows": 20}]})");
        if (!args.isEmpty())
            args[1] = tool.db.dir.filePath(args[1]);
        QCOMPARE(tool.run(QStringList{project} + args), kovagenerate::SomeRefused);
        QTEST(tool.out, "out");
        QVERIFY2(tool.err.contains(u"NP: ID (NUMBER(1)) holds the keys 1 on: 9 of the 20 rows asked are made\n"_s),
                 qPrintable(tool.err));
    }

    // DDL in "before" and "after" is a commit point: a run that stops after
    // one says what stays committed, and the database holds just that.
    void saysWhatDdlCommitted_data()
    {
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("rows");     // of C once the run stopped
        QTest::addColumn<QString>("message");  // what the run says stays committed
        // Enabling the key fails on the orphans: the rows before it stay.
        QTest::newRow("failing DDL after the rows")
            << u"ALTER TABLE C ENABLE CONSTRAINT C_FK"_s << u"5"_s
            << u"stopped: ORA-02298: cannot validate (C_FK) - parent keys not found\na DDL statement of the project "
               "committed what ran before it; this stays committed:\n  ALTER TABLE C DISABLE CONSTRAINT C_FK\n"
               "  C: 5 rows created\n  constraint C_FK of C is disabled\n"_s;
        // A statement after the rows fails: they are rolled back, the DDL before them stays.
        QTest::newRow("failing DML after the rows")
            << u"DELETE FROM NOPE"_s << u"0"_s
            << u"this stays committed:\n  ALTER TABLE C DISABLE CONSTRAINT C_FK\n  constraint C_FK of C is disabled\n"_s;
    }
    void saysWhatDdlCommitted()
    {
        QFETCH(QString, after);
        QFETCH(QString, rows);
        QFETCH(QString, message);
        Tool tool;
        tool.file(u"c.json"_s, R"({"kova-rules": 1, "table": "C", "rows": 5, "columns": [
            {"column": "ID", "kind": "sequence", "start": 1, "step": 1},
            {"column": "P_ID", "kind": "sequence", "start": 1, "step": 1}]})");
        const QString project = tool.file(u"p.json"_s, uR"({"kova-project": 1,
            "before": ["ALTER TABLE C DISABLE CONSTRAINT C_FK"], "after": ["%1"], "tables": [{"rules": "c.json"}]})"_s
                                                           .arg(after).toUtf8());
        QCOMPARE(tool.run({project}), kovagenerate::Stopped);
        QVERIFY2(!tool.err.contains(u"nothing was kept"_s) && tool.err.endsWith(message), qPrintable(tool.err));
        QCOMPARE(tool.db.text(u"SELECT COUNT(*) FROM C"_s), rows);
        const auto again = OraSession().DbOpenDatabase(tool.db.db.path, u"scott/tiger"_s);
        QCOMPARE(RowsText(QueryRows(*again, u"SELECT STATUS FROM USER_CONSTRAINTS WHERE CONSTRAINT_NAME = 'C_FK'"_s)),
                 u"DISABLED"_s);
    }

    // --seed stands for the project's seed; --auto makes 100 rows unless told;
    // a cycle of foreign keys is broken where a key may be NULL; parallel jobs
    // get a seed that is named, and the password by the environment only.
    void seedsRowsCyclesAndJobs()
    {
        Tool tool;
        const QString project = tool.project();
        QCOMPARE(tool.run({project}), kovagenerate::AllCreated);
        const QString seeded = tool.rows();
        QCOMPARE(tool.run({project, u"--seed"_s, u"7"_s}), kovagenerate::AllCreated);
        QVERIFY(tool.rows() != seeded);
        QCOMPARE(tool.run({u"--auto"_s, u"品目"_s}), kovagenerate::AllCreated);
        QCOMPARE(tool.out, u"品目: 100 rows created, 0 refused\n"_s);

        tool.db->DbExecuteSQL(u"CREATE TABLE CP (ID NUMBER(4) PRIMARY KEY, CQ_ID NUMBER(4))"_s);
        tool.db->DbExecuteSQL(u"CREATE TABLE CQ (ID NUMBER(4) PRIMARY KEY, CP_ID NUMBER(4) NOT NULL REFERENCES CP (ID))"_s);
        tool.db->DbExecuteSQL(u"ALTER TABLE CP ADD FOREIGN KEY (CQ_ID) REFERENCES CQ (ID)"_s);
        const QString cycle = tool.file(u"cycle.json"_s, R"({"kova-project": 1, "tables": [{"rules": "auto", "table": "CQ", "rows": 2},
            {"rules": "auto", "table": "CP", "rows": 2}]})");
        QCOMPARE(tool.run({cycle}), kovagenerate::AllCreated);
        QCOMPARE(tool.out, u"CP: 2 rows created, 0 refused\nCQ: 2 rows created, 0 refused\n"_s);

        const QString log = tool.db.dir.filePath(u"jobs.log"_s);
        const QString fake = tool.file(u"fake-generate"_s, (u"#!/bin/sh\necho \"$* | $KOVA_PASSWORD\" >> '"_s + log + u"'\n"_s).toUtf8());
        QFile(fake).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        const QString login = u"scott@"_s + tool.db.db.path;
        const QString files = tool.db.dir.filePath(u"o"_s);
        auto parsed = kovagenerate::ParseArguments({login, cycle, u"--out"_s, files, u"--jobs"_s, u"2"_s}, &tool.err);
        QVERIFY(parsed);
        parsed->connect = u"scott/s3cret"_s;
        parsed->program = fake;
        QString out, err;
        QTextStream o(&out), e(&err);
        kovagenerate::Run(*parsed, o, e, false);
        e.flush();
        const QString seed = err.section(u"the jobs use --seed "_s, 1).section(u'\n', 0, 0);
        QVERIFY2(seed.toULongLong() > 0, qPrintable(err));
        QStringList jobs = QString::fromUtf8(Read(log)).split(u'\n', Qt::SkipEmptyParts);
        jobs.sort();
        const QString given = login + u' ' + cycle + u" --out "_s + files + u" --seed "_s + seed + u" --shard %1/2 | s3cret"_s;
        QCOMPARE(jobs, (QStringList{given.arg(1), given.arg(2)}));
    }

    // On the server: the project's rows loaded from CSV with psql's \\copy, and
    // streamed into COPY by --load in one session and in two jobs, are the
    // rows that the same project with the same seed inserts over ODBC.
    void csvLoadedWithCopyEqualsTheRun()
    {
        KOVA_NEED_SERVER();
        const ServerSettings server = *Server();
        const TestDatabase db = OpenServerDatabase(
            {u"CREATE TABLE DEPT (DEPT_NO NUMBER(4) PRIMARY KEY, NAME VARCHAR2(20) NOT NULL)"_s,
             u"CREATE TABLE TEAM (DEPT_NO NUMBER(4) NOT NULL REFERENCES DEPT (DEPT_NO), TEAM_NO NUMBER(6) NOT NULL, "
             "NAME VARCHAR2(20), PRIMARY KEY (DEPT_NO, TEAM_NO))"_s,
             u"CREATE TABLE STAFF (ID NUMBER(8) PRIMARY KEY, DEPT_NO NUMBER(4), TEAM_NO NUMBER(6), NAME VARCHAR2(40), "
             "JOINED DATE, PAY NUMBER(9,2), FOREIGN KEY (DEPT_NO, TEAM_NO) REFERENCES TEAM (DEPT_NO, TEAM_NO))"_s});
        QTemporaryDir dir;
        const auto write = [&dir](const QString& name, const QByteArray& json) {
            WriteFile(dir.filePath(name), json);
            return dir.filePath(name);
        };
        write(u"dept.json"_s, R"({"kova-rules": 1, "table": "DEPT", "rows": 6, "columns": [
            {"column": "DEPT_NO", "kind": "sequence", "start": 10, "step": 10},
            {"column": "NAME", "kind": "list", "values": ["営業, 東", "O\u0027Brien \u0022Q\u0022", "改行\nあり"]}]})");
        write(u"team.json"_s, R"({"kova-rules": 1, "table": "TEAM", "columns": [
            {"column": "TEAM_NO", "kind": "sequence", "start": 1, "step": 1},
            {"column": "NAME", "kind": "pattern", "pattern": "[A-Z]{3}-[0-9]{2}"}]})");
        write(u"staff.json"_s, R"({"kova-rules": 1, "table": "STAFF", "columns": [
            {"column": "ID", "kind": "sequence", "start": 1, "step": 1},
            {"column": "NAME", "kind": "dictionary", "name": "氏名", "null": 10},
            {"column": "JOINED", "kind": "random", "min": "20200101 093000", "max": "20241231", "unit": 1},
            {"column": "PAY", "kind": "random", "min": 0, "max": 9999999.99, "unit": 0.01, "null": 20}]})");
        const QString project = write(u"p.json"_s, R"({"kova-project": 1, "seed": 11, "tables": [
            {"rules": "staff.json", "per-parent": {"table": "TEAM", "min": 0, "max": 5}},
            {"rules": "team.json", "per-parent": {"table": "DEPT", "min": 1, "max": 4}},
            {"rules": "dept.json"}]})");
        const QString login = server.user + u'/' + server.password + u"@DSN="_s + server.dsn + u";Database="_s + db.path;
        const auto run = [&](const QStringList& more) {
            QString error, out, err;
            auto args = kovagenerate::ParseArguments(QStringList{login, project} + more, &error);
            args->program = QCoreApplication::applicationDirPath() + u"/kova-generate"_s;
            QTextStream o(&out), e(&err);
            const int status = kovagenerate::Run(*args, o, e, false);
            if (status != kovagenerate::AllCreated)
                qWarning("%s", qPrintable(err));
            return status;
        };
        const QStringList queries{u"SELECT * FROM DEPT ORDER BY 1"_s, u"SELECT * FROM TEAM ORDER BY 1, 2"_s,
                                  u"SELECT * FROM STAFF ORDER BY 1"_s};
        const auto rows = [&] {
            QStringList all;
            for (const QString& sql : queries)
                all << RowsText(QueryRows(*db.database, sql));
            return all;
        };
        QCOMPARE(run({}), kovagenerate::AllCreated);
        const QStringList inserted = rows();
        QVERIFY(inserted[2].count(u';') > 6);
        for (const QString& table : {u"STAFF"_s, u"TEAM"_s, u"DEPT"_s})
            db.database->DbExecuteSQL(u"DELETE FROM "_s + table);

        const QString csv = dir.filePath(u"csv"_s);
        QCOMPARE(run({u"--out"_s, csv, u"--format"_s, u"csv"_s}), kovagenerate::AllCreated);
        QCOMPARE(RowsText(QueryRows(*db.database, u"SELECT COUNT(*) FROM STAFF"_s)), u"0"_s);
        QCOMPARE(Psql(db.path, {u"-f"_s, u"load-postgresql.sql"_s}, csv), QString());
        QCOMPARE(rows(), inserted);
        for (const QStringList& load : {QStringList{u"--load"_s}, QStringList{u"--load"_s, u"--jobs"_s, u"2"_s}}) {
            for (const QString& table : {u"STAFF"_s, u"TEAM"_s, u"DEPT"_s})
                db.database->DbExecuteSQL(u"DELETE FROM "_s + table);
            QCOMPARE(run(load), kovagenerate::AllCreated);
            QCOMPARE(rows(), inserted);
        }
    }

    // A table whose name or columns' names PostgreSQL spells otherwise than
    // the dictionary shows them (LEVEL, COMMENT, MIXEDCASE), named on the
    // command line in any case: 自動設定, a run with a unique rule, the
    // viewer, an update row by row, table information, ANALYZE, a delete
    // after another session renamed the table, and CSV loaded by psql all
    // reach it.
    void namesAsTheServerSpellsThem_data()
    {
        QTest::addColumn<QString>("created");  // as CREATE TABLE names it
        QTest::addColumn<QString>("typed");    // on the command line and in the rule file
        QTest::newRow("plain name") << u"t_level"_s << u"T_Level"_s;
        QTest::newRow("reserved word") << u"comment"_s << u"COMMENT"_s;
        QTest::newRow("quoted mixed case") << u"\"MixedCase\""_s << u"mixedcase"_s;
    }

    void namesAsTheServerSpellsThem()
    {
        KOVA_NEED_SERVER();
        QFETCH(QString, created);
        QFETCH(QString, typed);
        const ServerSettings server = *Server();
        const TestDatabase db = OpenServerDatabase({u"CREATE TABLE "_s + created
                                                    + u" (id int PRIMARY KEY, level int UNIQUE, comment varchar(20), "
                                                      "\"MixedCase\" numeric(9))"_s});
        QString count = u"SELECT COUNT(*) FROM "_s + created;
        QTemporaryDir dir;
        const QString rules = dir.filePath(u"rules.json"_s);
        WriteFile(rules, uR"({"kova-rules": 1, "table": "%1", "rows": 10, "columns": [
            {"column": "ID", "kind": "sequence", "start": 100, "step": 1},
            {"column": "Level", "kind": "random", "min": 1, "max": 40, "unit": 1, "unique": true},
            {"column": "comment", "kind": "list", "values": ["kept"]},
            {"column": "MIXEDCASE", "kind": "sequence", "start": 1, "step": 1}]})"_s.arg(typed).toUtf8());
        const QString login = server.user + u'/' + server.password + u"@DSN="_s + server.dsn + u";Database="_s + db.path;
        const auto run = [&](const QStringList& args) {
            QString error, out, err;
            const auto parsed = kovagenerate::ParseArguments(QStringList{login} + args, &error);
            QTextStream o(&out), e(&err);
            if (!parsed)
                return error;
            const int status = kovagenerate::Run(*parsed, o, e, false);
            return status == kovagenerate::AllCreated ? u"0"_s : QString::number(status) + err + out;
        };
        QCOMPARE(run({u"--auto"_s, typed, u"--rows"_s, u"5"_s}), u"0"_s);
        QCOMPARE(run({rules}), u"0"_s);
        QCOMPARE(RowsText(QueryRows(*db.database, count + u" WHERE id >= 100 AND comment = 'kept'"_s)), u"10"_s);
        QCOMPARE(RowsText(QueryRows(*db.database, u"SELECT COUNT(DISTINCT level) FROM "_s + created)), u"15"_s);

        basKovaData::OraSession = db.session;
        basKovaData::OraDatabase = db.database;
        const QString shown = RowsText(QueryRows(*db.database, u"SELECT TABLE_NAME FROM USER_TABLES"_s));
        QCOMPARE(shown, typed.toUpper());
        basKovaData::ChosenTable = shown;
        controls::GridModel grid;
        QVERIFY(browser::FillColumnGrid(db.database.get(), grid, shown, true).outcome
                == browser::ColumnGridResult::Outcome::Loaded);
        controls::GridModel viewer;
        maintain::PrepareViewerGrid(viewer, &grid);
        QCOMPARE(maintain::RunViewerQuery(db.database.get(), viewer, &grid, u"id >= 100"_s).messageLine.value_or(QString()),
                 u"データ 10件"_s);
        basKovaData::ColumnRules[4].clearRule();
        basKovaData::ColumnRules[4].setKind(basKovaData::Kind::Sequence);
        basKovaData::ColumnRules[4].NumValue[0] = 500;
        basKovaData::ColumnRules[4].NumValue[1] = 1;
        const maintain::UpdateResult updated =
            maintain::UpdateRows(basKovaData::TableRules::FromShared(shown), u"id >= 100"_s);
        QVERIFY2(updated.outcome == maintain::UpdateOutcome::Done && updated.rows == 10, qPrintable(updated.errorText));
        QCOMPARE(RowsText(QueryRows(*db.database, count + u" WHERE \"MixedCase\" BETWEEN 500 AND 509"_s)), u"10"_s);
        QVERIFY(diag::AnalyzeTable(db.database.get(), shown));
        controls::GridModel info;
        QCOMPARE(diag::FillTableInformation(db.database.get(), shown, info), 0);
        QCOMPARE(info.TextMatrix(1, 1), shown);
        // Another session gives the table another spelling shown alike.
        QCOMPARE(Psql(db.path, {u"-c"_s, u"ALTER TABLE %1 RENAME TO \"%2\""_s.arg(created, shown)}), QString());
        count = u"SELECT COUNT(*) FROM \""_s + shown + u'"';
        QCOMPARE(maintain::DeleteRows(shown, u"id >= 100"_s), maintain::DeleteOutcome::Deleted);
        QCOMPARE(RowsText(QueryRows(*db.database, count)), u"5"_s);
        ReleaseSession();

        const QString csv = dir.filePath(u"csv"_s);
        QCOMPARE(run({rules, u"--out"_s, csv, u"--format"_s, u"csv"_s}), u"0"_s);
        QCOMPARE(Psql(db.path, {u"-f"_s, u"load-postgresql.sql"_s}, csv), QString());
        QCOMPARE(RowsText(QueryRows(*db.database, count + u" WHERE comment = 'kept'"_s)), u"10"_s);
    }

    // The loaders' files for a table with a column of every kind.
    void loaderFiles()
    {
        basKovaData::TableRules rules;
        rules.table = u"注文"_s;
        const QList<std::pair<QString, QString>> columns{
            {u"ID"_s, u"NUMBER(8)"_s}, {u"名前"_s, u"VARCHAR2(100)"_s}, {u"区分"_s, u"CHAR(2)"_s},
            {u"注文日"_s, u"DATE()"_s}, {u"画像"_s, u"RAW(16)"_s}, {u"メモ"_s, u"CLOB()"_s},
            {u"期間"_s, u"INTERVAL YEAR(2) TO MONTH"_s}, {u"時間"_s, u"INTERVAL DAY(2) TO SECOND(6)"_s}};
        for (const auto& [name, type] : columns) {
            basKovaData::ColumnRule rule;
            rule.ColumnName = name;
            rule.TypeText = type;
            rule.Length = qint16(type.section(u'(', 1).section(u')', 0, 0).toInt());
            rules.columns.push_back(rule);
        }
        QCOMPARE(generate::ControlFileText(rules, u"注文.2-of-4.csv"_s),
                 u"OPTIONS (DIRECT=TRUE, SKIP=1)\nLOAD DATA\nCHARACTERSET AL32UTF8\n"
                 "INFILE '注文.2-of-4.csv' \"str X'0D0A'\"\nAPPEND\nPRESERVE BLANKS\nINTO TABLE \"注文\"\n"
                 "REENABLE DISABLED_CONSTRAINTS\n"
                 "FIELDS TERMINATED BY ',' OPTIONALLY ENCLOSED BY '\"'\nTRAILING NULLCOLS\n(\n"
                 "  \"ID\" CHAR,\n  \"名前\" CHAR(400),\n  \"区分\" CHAR(255),\n"
                 "  \"注文日\" DATE \"YYYY-MM-DD HH24:MI:SS\",\n  \"画像\" CHAR(255),\n  \"メモ\" CHAR(1000000),\n"
                 "  \"期間\" INTERVAL YEAR TO MONTH,\n  \"時間\" INTERVAL DAY TO SECOND\n)\n"_s);
        QCOMPARE(generate::ColumnList(rules), u"ID, 名前, 区分, 注文日, 画像, メモ, 期間, 時間"_s);
        QCOMPARE(generate::ShardPath(u"/a.b/out.sql"_s, {2, 4}), u"/a.b/out.2-of-4.sql"_s);
        QCOMPARE(generate::ShardPath(u"/a.b/out"_s, {2, 4}), u"/a.b/out.2-of-4"_s);
        // RowValues as CSV fields: the program's "@" forms read as data, SQL
        // text a file cannot carry refused; blanks at either end quoted, and
        // "\\." (alone on a line, the end of a COPY's rows).
        QString line;
        for (const QString& value : {u"@ 12.5"_s, u"@NULL"_s, QString(), u"@TO_DATE('20240229 235959','YYYYMMDD HH24MISS')"_s,
                                     u"a,b"_s, u"say \"hi\""_s, u"@'it''s'"_s, u"@"_s, u"@'@047'"_s, u"   385"_s, u"a\t"_s,
                                     u"\\."_s})
            QVERIFY(generate::AppendCsvField(line += u'|', value));
        QCOMPARE(line, u"|12.5|||2024-02-29 23:59:59|\"a,b\"|\"say \"\"hi\"\"\"|it's|0|@047|\"   385\"|\"a\t\"|\"\\.\""_s);
        for (const QString& value : {u"@USER"_s, u"@SYSDATE"_s, u"@'a'||'b'"_s, u"@'it's'"_s, u"@TO_DATE('2024','YYYY')"_s,
                                     u"@TO_DATE('2024022x 000000','YYYYMMDD HH24MISS')"_s}) {
            line.clear();
            QVERIFY2(!generate::AppendCsvField(line, value) && line.isEmpty(), qPrintable(value));
        }
    }
};

QTEST_GUILESS_MAIN(tst_ProjectRun)
#include "tst_ProjectRun.moc"
