// label: engine
// Rows written to files by kova-generate come back as the database run made
// them: through the INSERT script run by the console, through CSV, and
// through psql's \copy. A run that cannot write its files keeps none, and the
// SQL*Loader shell script keeps the password off every command line.
#include "GenerateTool.h"
#include "SqlConsole.h"

#include "generate/ColumnLength.h"
#include "generate/RowFiles.h"
#include "generate/SqlScriptText.h"
#include "support/EngineSupport.h"
#include "support/ServerSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTextStream>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <signal.h>

using namespace Qt::StringLiterals;
using namespace kovatest;

namespace {

// Values that a script line, a CSV field or a loader could split, trim or lose.
const QList<std::pair<QString, QString>> Awkward{
    {u"comma"_s, u"a,b"_s},
    {u"quotes"_s, u"say \"hi\""_s},
    {u"apostrophe"_s, u"O'Brien's"_s},
    {u"ampersand"_s, u"R&D &x"_s},
    {u"tab"_s, u"a\tb"_s},
    {u"CR"_s, u"a\rb"_s},
    {u"LF"_s, u"a\nb"_s},
    {u"CR LF"_s, u"a\r\nb\r\n"_s},
    {u"lone slash line"_s, u"x\n/\ny"_s},
    {u"semicolon at a line end"_s, u"a;\nb -\nc"_s},
    {u"hash at a line start"_s, u"a\n#b"_s},
    {u"empty line"_s, u"a\n\nb"_s},
    {u"blanks at both ends"_s, u"   385  "_s},
    {u"4,000 characters"_s, QString(4000, u'x')},
    {u"Japanese text past 4,000 bytes"_s, u"日本語のテキスト、"_s.repeated(160)},
};

// The server's VARCHAR2 counts bytes; its VARCHAR counts characters.
const QString Table = u"CREATE TABLE T (ID NUMBER(4) PRIMARY KEY, V %1)"_s;

// Rules that give row n the nth awkward value, through an expression (the
// kind that passes a text on as it is).
QByteArray AwkwardRules()
{
    QJsonArray values;
    for (const auto& [name, value] : Awkward)
        values.append(value);
    const QJsonObject rules{
        {u"kova-rules"_s, 1}, {u"table"_s, u"T"_s}, {u"rows"_s, int(Awkward.size())}, {u"seed"_s, 1},
        {u"columns"_s, QJsonArray{QJsonObject{{u"column"_s, u"ID"_s}, {u"kind"_s, u"sequence"_s}, {u"start"_s, 1}, {u"step"_s, 1}},
                                  QJsonObject{{u"column"_s, u"V"_s}, {u"kind"_s, u"expression"_s},
                                              {u"expression"_s, QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Compact))
                                                                    + u"[row.ID - 1]"_s}}}}};
    return QJsonDocument(rules).toJson();
}

// Runs kova-generate; *err receives both of its streams.
int Generate(const QString& login, const QStringList& args, QString* err)
{
    QString error, out;
    const auto parsed = kovagenerate::ParseArguments(QStringList{login} + args, &error);
    if (!parsed) {
        *err = error;
        return -1;
    }
    QTextStream o(&out), e(err);
    const int status = kovagenerate::Run(*parsed, o, e, false);
    e.flush();
    *err += out;  // refused rows are told there
    return status;
}

// The records of an RFC 4180 file, its header left out.
QList<QStringList> CsvRecords(const QString& text)
{
    QList<QStringList> records{{}};
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            records.last() << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            records.last() << field;
            field.clear();
            records.append(QStringList());
            ++i;
        } else {
            field += c;
        }
    }
    records.removeLast();  // after the last line break
    return records.mid(1);
}

QString Psql()
{
    const QString psql = QStandardPaths::findExecutable(u"psql"_s);
    return psql.isEmpty() ? u"/usr/lib/postgresql/15/bin/psql"_s : psql;
}

// The rows of `query` once the files kova-generate writes with `args` went
// into the emptied table: a script (out/t.sql) run by the console, or CSV
// files (csv/) read as records (csv) or loaded by psql's \copy (copy).
void WrittenBack(const QString& target, const QString& login, const TestDatabase& db, const QString& dir,
                 const QStringList& args, const QString& query, QList<QStringList>* back)
{
    QString err;
    db.database->DbExecuteSQL(u"DELETE FROM T"_s);
    if (target == u"script"_s) {
        const QString script = dir + u"/out/t.sql"_s;
        QVERIFY2(Generate(login, args + QStringList{u"--out"_s, script}, &err) == kovagenerate::AllCreated, qPrintable(err));
        for (const QByteArray& line : ReadFile(script).split('\n'))
            QVERIFY2(line.size() <= 2499 && !line.contains('\r'), line.left(80).constData());
        QString consoleOut, consoleErr;
        QTextStream o(&consoleOut), e(&consoleErr);
        SqlConsole console(db.session, db.database, o, e);
        console.runScript(script);
        console.finish();
        QCOMPARE(consoleErr, QString());
        *back = QueryRows(*db.database, query);
        return;
    }
    const QString folder = dir + u"/csv"_s;
    QVERIFY2(Generate(login, args + QStringList{u"--out"_s, folder, u"--format"_s, u"csv"_s}, &err) == kovagenerate::AllCreated,
             qPrintable(err));
    if (target != u"copy"_s) {
        *back = CsvRecords(QString::fromUtf8(ReadFile(folder + u"/T.csv"_s)));
        return;
    }
    QProcess load;
    load.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PGPASSWORD"_s, Server()->password);
    load.setProcessEnvironment(environment);
    load.start(Psql(), {u"-X"_s, u"-q"_s, u"-h"_s, u"127.0.0.1"_s, u"-p"_s, qEnvironmentVariable("KOVA_PG_PORT"), u"-U"_s,
                        Server()->user, u"-d"_s, db.path, u"-f"_s, u"load-postgresql.sql"_s});
    QVERIFY(load.waitForFinished(60000));
    QVERIFY2(load.exitCode() == 0, load.readAllStandardError().constData());
    *back = QueryRows(*db.database, query);
}

// A stand-in for sqlplus and sqlldr: logs its arguments, its input and the
// parameter file it was given, and fails when told to (sqlplus with the
// output it is given).
const QByteArray Stub = R"sh(#!/bin/sh
printf '%s %s\n' "$(basename "$0")" "$*" >> "$STUB/args.log"
for a; do
  case "$a" in parfile=*) f=${a#parfile=}; echo "$f" > "$STUB/parpath"; stat -c '%a' "$f" >> "$STUB/par.log"; cat "$f" >> "$STUB/par.log" ;; esac
done
if [ "$(basename "$0")" = sqlldr ]; then touch "$STUB/loaded"; exit "${STUB_SQLLDR_EXIT:-0}"; fi
cat >> "$STUB/stdin.log"
if [ -n "${STUB_SQLPLUS_FAILS-}" ]; then echo "$STUB_SQLPLUS_FAILS"; exit 1; fi
if [ -e "$STUB/loaded" ] && [ -n "${STUB_DISABLED-}" ]; then echo "$STUB_DISABLED"; fi
exit 0
)sh";

}  // namespace

class tst_RowFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Texts of a column of 24 bytes as the place they go counts: the
    // embedded engine in code page 932 (two bytes a kanji), files in UTF-8
    // (three), which the servers that load them count; a length in CHAR in
    // characters. Addresses are cut to it; a pattern whose longest value is
    // longer stops the run before any row.
    void textsFitWhereTheyGo_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("format");  // empty: into the database
        QTest::addColumn<QString>("rule");    // of V
        QTest::addColumn<QString>("unit");    // what stays within 24: cp932, utf8 or char; else the refusal
        const QString address = uR"({"column": "V", "kind": "dictionary", "name": "住所"})"_s;
        const QString kana = uR"({"column": "V", "kind": "pattern", "pattern": "[あ-ん]{12}"})"_s;
        QTest::newRow("database, bytes") << u"VARCHAR2(24)"_s << QString() << address << u"cp932"_s;
        QTest::newRow("csv, bytes") << u"VARCHAR2(24)"_s << u"csv"_s << address << u"utf8"_s;
        QTest::newRow("csv, characters") << u"VARCHAR2(24 CHAR)"_s << u"csv"_s << address << u"char"_s;
        QTest::newRow("database, pattern") << u"VARCHAR2(24)"_s << QString() << kana << u"cp932"_s;
        QTest::newRow("script, pattern") << u"VARCHAR2(24)"_s << u"sql"_s << kana
                                         << u"T.V: パターンの最も長い値は36バイトで、項目の長さ24バイトを超えます。"_s;
    }
    void textsFitWhereTheyGo()
    {
        QFETCH(QString, type);
        QFETCH(QString, format);
        QFETCH(QString, rule);
        QFETCH(QString, unit);
        QTemporaryDir dir;
        const TestDatabase db = OpenTestDatabase(dir, {Table.arg(type)});
        const QString rules = dir.filePath(u"t.json"_s);
        QVERIFY(WriteFile(rules, (uR"({"kova-rules": 1, "table": "T", "rows": 200, "seed": 3, "columns": [
            {"column": "ID", "kind": "sequence", "start": 1, "step": 1}, )"_s + rule + u"]}"_s).toUtf8()));
        QString err;
        const QString out = dir.filePath(format == u"sql"_s ? u"out/t.sql"_s : u"out"_s);
        QStringList args{rules};
        if (format == u"csv"_s)
            args << u"--out"_s << out << u"--format"_s << format;
        else if (!format.isEmpty())
            args << u"--out"_s << out;
        const int status = Generate(u"scott/tiger@"_s + db.path, args, &err);
        if (unit.size() > 5) {
            QCOMPARE(status, kovagenerate::Stopped);
            QVERIFY2(err.contains(unit), qPrintable(err));
            QVERIFY(!QFile::exists(out));
            return;
        }
        QVERIFY2(status == kovagenerate::AllCreated, qPrintable(err));
        QStringList values;
        if (format.isEmpty()) {
            for (const QStringList& row : QueryRows(*db.database, u"SELECT V FROM T"_s))
                values << row[0];
        } else {
            for (const QStringList& record : CsvRecords(QString::fromUtf8(ReadFile(out + u"/T.csv"_s))))
                values << record.value(1);
        }
        QCOMPARE(values.size(), 200);
        generate::LengthMeasure measure;
        measure.limit = 24;
        measure.characters = unit == u"char"_s;
        measure.utf8 = unit == u"utf8"_s;
        qsizetype longest = 0;
        for (const QString& value : values) {
            QVERIFY2(measure.Of(value) <= 24, qPrintable(value));
            longest = std::max(longest, measure.Of(value));
        }
        QVERIFY(longest > 20);  // cut to the limit, not far below it
    }

    void init() { ResetProgramState(); }

    // The same awkward values, one per row, through each kind of file.
    void awkwardValuesComeBack_data()
    {
        QTest::addColumn<QString>("target");
        for (const char* target : {"script", "csv", "copy"})
            QTest::newRow(target) << QString::fromLatin1(target);
    }
    void awkwardValuesComeBack()
    {
        QFETCH(QString, target);
        const bool server = target == u"copy"_s;
        if (server)
            KOVA_NEED_SERVER();
        QTemporaryDir dir;
        const TestDatabase db = server ? OpenServerDatabase({Table.arg(u"VARCHAR(4000)"_s)})
                                     : OpenTestDatabase(dir, {Table.arg(u"VARCHAR2(4000 CHAR)"_s)});
        const QString login = server ? Server()->user + u'/' + Server()->password + u"@DSN="_s + Server()->dsn
                                           + u";Database="_s + db.path
                                     : u"scott/tiger@"_s + db.path;
        const QString rules = dir.filePath(u"t.json"_s);
        QVERIFY(WriteFile(rules, AwkwardRules()));
        QString err;
        QVERIFY2(Generate(login, {rules}, &err) == kovagenerate::AllCreated, qPrintable(err));
        const QString query = u"SELECT ID, V FROM T ORDER BY ID"_s;
        const QList<QStringList> made = QueryRows(*db.database, query);
        QCOMPARE(made.size(), Awkward.size());
        QCOMPARE(made[6][1], Awkward[6].second);  // the database run keeps them as they are

        QList<QStringList> back;
        WrittenBack(target, login, db, dir.path(), {rules}, query, &back);
        if (QTest::currentTestFailed())
            return;
        if (target == u"script"_s)
            QVERIFY(ReadFile(dir.filePath(u"out/t.sql"_s)).contains("TO_CLOB('日本語"));  // past 4,000 bytes
        QCOMPARE(back.size(), made.size());
        for (qsizetype i = 0; i < made.size(); ++i)
            QVERIFY2(back[i] == made[i], qPrintable(Awkward[i].first));
    }

    // A column of every type, as 自動設定 fills it, through a script and
    // through psql's \copy: the rows come back as the database run kept
    // them, bytes as bytes and intervals as intervals.
    void everyTypeComesBack_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("odd");  // counts the values out of shape
        QTest::newRow("script") << u"script"_s
                                << u"CREATE TABLE T (ID NUMBER(4) PRIMARY KEY, NV NVARCHAR2(10) NOT NULL, NC NCHAR(4) NOT NULL, "
                                   "F FLOAT NOT NULL, BF BINARY_FLOAT NOT NULL, C CLOB NOT NULL, R RAW(8) NOT NULL, "
                                   "B BLOB NOT NULL, YM INTERVAL YEAR TO MONTH NOT NULL, I INTERVAL DAY TO SECOND NOT NULL, "
                                   "TZ TIMESTAMP WITH TIME ZONE NOT NULL)"_s
                                << u"SELECT COUNT(*) FROM T WHERE LENGTH(R) <> 16 OR LENGTH(B) <> 64 OR LENGTH(I) <> 19"_s;
        QTest::newRow("copy") << u"copy"_s
                              << u"CREATE TABLE T (ID NUMERIC(4) PRIMARY KEY, NV NVARCHAR2(10) NOT NULL, NC CHAR(4) NOT NULL, "
                                 "F FLOAT8 NOT NULL, BF REAL NOT NULL, C TEXT NOT NULL, B BYTEA NOT NULL, "
                                 "I INTERVAL NOT NULL, TZ TIMESTAMPTZ NOT NULL)"_s
                              << u"SELECT COUNT(*) FROM T WHERE LENGTH(B) <> 32 OR I >= INTERVAL '10 days'"_s;
    }
    void everyTypeComesBack()
    {
        QFETCH(QString, target);
        QFETCH(QString, table);
        const bool server = target == u"copy"_s;
        if (server)
            KOVA_NEED_SERVER();
        QTemporaryDir dir;
        const TestDatabase db = server ? OpenServerDatabase({table}) : OpenTestDatabase(dir, {table});
        const QString login = server ? Server()->user + u'/' + Server()->password + u"@DSN="_s + Server()->dsn
                                           + u";Database="_s + db.path
                                     : u"scott/tiger@"_s + db.path;
        const QStringList args{u"--auto"_s, u"T"_s, u"--rows"_s, u"50"_s, u"--seed"_s, u"7"_s};
        QString err;
        QVERIFY2(Generate(login, args, &err) == kovagenerate::AllCreated, qPrintable(err));
        const QString query = u"SELECT * FROM T ORDER BY ID"_s;
        const QList<QStringList> made = QueryRows(*db.database, query);
        QCOMPARE(made.size(), 50);
        QFETCH(QString, odd);
        QCOMPARE(RowsText(QueryRows(*db.database, odd)), u"0"_s);
        QList<QStringList> back;
        WrittenBack(target, login, db, dir.path(), args, query, &back);
        QCOMPARE(back, made);
    }

    // A project's own statements in a script: long lines broken at blanks
    // outside literals, names and "--" comments, so that SQL*Plus reads each
    // whole; what it would split or run is refused.
    void handWrittenStatements_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("kept");     // text the lines hold unbroken
        QTest::addColumn<QString>("refusal");  // empty: written
        QString ids;
        for (int i = 1; ids.size() < 3780; ++i)
            ids += QString::number(i) + u", "_s;
        const QString words = u"word "_s.repeated(300);
        QTest::newRow("3,812 characters") << u"UPDATE T SET V = 'x' WHERE ID IN ("_s + ids + u"0)"_s
                                          << u"UPDATE T SET V = 'x'"_s << QString();
        QTest::newRow("literal with blanks") << u"SELECT "_s + u"1 + "_s.repeated(300) + u"'"_s + words + u"' FROM DUAL"_s
                                             << u"'"_s + words + u"'"_s << QString();
        QTest::newRow("q-quoted literal") << u"SELECT "_s + u"1 + "_s.repeated(300) + u"q'[it's "_s + words + u"]' FROM DUAL"_s
                                          << u"q'[it's "_s + words + u"]'"_s << QString();
        QTest::newRow("quoted name") << u"SELECT "_s + u"1 + "_s.repeated(300) + u"\"A "_s + u"B "_s.repeated(400) + u"\" FROM DUAL"_s
                                     << u"\"A "_s + u"B "_s.repeated(400) + u'"' << QString();
        QTest::newRow("ends in a comment") << u"DELETE FROM T -- all of it"_s << u"-- all of it\n;\n"_s << QString();
        QTest::newRow("long comment") << u"SELECT 1 -- "_s + words.repeated(2) + u"\nFROM DUAL"_s << QString()
                                      << u"longer than 2000 bytes"_s;
        QTest::newRow("long literal") << u"SELECT '"_s + QString(2500, u'x') + u"' FROM DUAL"_s << QString()
                                      << u"longer than 2000 bytes"_s;
        QTest::newRow("lone slash in a literal") << u"UPDATE T SET V = 'x\n/\ny'"_s << QString() << u"only \"/\""_s;
        QTest::newRow("lone dot in a literal") << u"UPDATE T SET V = 'x\n .\ny'"_s << QString() << u"only \".\""_s;
        QTest::newRow("semicolon at a line end") << u"UPDATE T SET V = 'x;\ny'"_s << QString() << u"ends with \";\""_s;
        QTest::newRow("hash at a line start") << u"UPDATE T SET V = 'x\n#y'"_s << QString() << u"starts with \"#\""_s;
        QTest::newRow("quote not closed") << u"SELECT 'abc FROM DUAL"_s << QString() << u"not closed"_s;
        // PL/SQL ends at a line of only "/"; its ";" at line ends end nothing.
        QTest::newRow("anonymous block") << u"BEGIN\n  UPDATE T SET V = 1;\n  DELETE FROM U;\nEND;"_s << u"END;\n/\n"_s
                                         << QString();
        QTest::newRow("trigger") << u"create or replace editionable trigger TR before insert on T for each row\nbegin\n"
                                    "  :NEW.V := 1;\nend;"_s
                                 << u"end;\n/\n"_s << QString();
        QTest::newRow("lone slash in a block") << u"BEGIN\n  UPDATE T SET V = 'x\n/\ny';\nEND;"_s << QString()
                                               << u"only \"/\""_s;
    }
    void handWrittenStatements()
    {
        QFETCH(QString, statement);
        QFETCH(QString, kept);
        QFETCH(QString, refusal);
        QString out = u"before\n"_s;
        const QString why = generate::AppendScriptText(out, statement);
        if (!refusal.isEmpty()) {
            QVERIFY2(why.contains(refusal), qPrintable(why));
            QCOMPARE(out, u"before\n"_s);
            return;
        }
        QCOMPARE(why, QString());
        const bool block = out.endsWith(u"\n/\n"_s);
        QVERIFY(out.contains(kept) && (block ? kept.endsWith(u"\n/\n"_s) : out.endsWith(u";\n"_s)));
        const QString written = out.mid(7).chopped(block ? 3 : 2).trimmed();
        // The same text, but for blanks that became line breaks.
        QCOMPARE(written.size(), statement.size());
        for (qsizetype i = 0; i < written.size(); ++i)
            QVERIFY(written[i] == statement[i] || (written[i] == u'\n' && statement[i] == u' '));
        for (const QString& line : out.split(u'\n'))
            QVERIFY(line.toUtf8().size() <= generate::ScriptLineBytes);
    }

    // A file that cannot be written whole (a file-size limit stands in for a
    // full disk; a folder where a file goes for any other failure): exit 2,
    // the file and the system's reason named, and no file of the run left,
    // those written whole before it included.
    void unwritableFilesLeaveNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("blocked");  // made a folder first; "FILE:" + path: a file
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("reason");       // errno
        const QStringList csv{u"--out"_s, u"out/csv"_s, u"--format"_s, u"csv"_s};
        const QStringList twoJobs{u"--jobs"_s, u"2"_s, u"--rows"_s, u"10000"_s};
        QTest::newRow("script") << QStringList{u"--out"_s, u"out/sub/run.sql"_s} << QString() << u"run.sql"_s << EFBIG;
        QTest::newRow("csv, the second table") << csv << QString() << u"B.csv"_s << EFBIG;
        // The slices' files are whole; the loaders of them all cannot be written.
        QTest::newRow("csv in two jobs") << csv + QStringList{u"--jobs"_s, u"2"_s, u"--rows"_s, u"1000"_s}
                                         << u"out/csv/load-oracle.sh.new"_s << u"load-oracle.sh"_s << EISDIR;
        QTest::newRow("script in two jobs") << QStringList{u"--out"_s, u"out/sub/run.sql"_s} + twoJobs << QString()
                                            << u"run.1-of-2.sql"_s << EFBIG;
        QTest::newRow("csv in two jobs, the second table") << csv + twoJobs << QString() << u"B.1-of-2.csv"_s << EFBIG;
        QTest::newRow("folder under a file") << QStringList{u"--out"_s, u"out/plain/sub/run.sql"_s} << u"FILE:out/plain"_s
                                             << u"sub"_s << ENOTDIR;
        QTest::newRow("folder under a file, two jobs") << QStringList{u"--out"_s, u"out/plain/csv"_s, u"--format"_s, u"csv"_s} + twoJobs
                                                       << u"FILE:out/plain"_s << u"csv"_s << ENOTDIR;
    }
    void unwritableFilesLeaveNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, blocked);
        QFETCH(QString, file);
        QFETCH(int, reason);
        EngineDb db({u"CREATE TABLE A (ID NUMBER(8) PRIMARY KEY)"_s,
                     u"CREATE TABLE B (ID NUMBER(8) PRIMARY KEY, V VARCHAR2(60))"_s});
        const QDir dir(db.dir.path());
        QVERIFY(WriteFile(dir.filePath(u"a.json"_s), R"({"kova-rules": 1, "table": "A", "rows": 3, "columns": [
            {"column": "ID", "kind": "sequence", "start": 1, "step": 1}]})"));
        QVERIFY(WriteFile(dir.filePath(u"b.json"_s), R"({"kova-rules": 1, "table": "B", "rows": 5000, "columns": [
            {"column": "ID", "kind": "sequence", "start": 1, "step": 1},
            {"column": "V", "kind": "fixed", "value": "a value of fifty characters, more or less, to fill"}]})"));
        if (blocked.startsWith(u"FILE:"_s)) {
            blocked = blocked.mid(5);
            QVERIFY(dir.mkpath(QFileInfo(dir.filePath(blocked)).absolutePath()) && WriteFile(dir.filePath(blocked), "x"));
        } else if (!blocked.isEmpty()) {
            QVERIFY(dir.mkpath(blocked));
        }
        QProcess run;
        run.setWorkingDirectory(dir.path());
        // 200 blocks (of 512 or 1,024 bytes): A's file fits, B's and the script do not.
        run.start(u"/bin/sh"_s, QStringList{u"-c"_s, u"trap '' XFSZ; ulimit -f 200; exec \"$0\" \"$@\""_s,
                                            QCoreApplication::applicationDirPath() + u"/kova-generate"_s,
                                            u"scott/tiger@"_s + db.db.path, u"a.json"_s, u"b.json"_s}
                                + args);
        QVERIFY(run.waitForFinished(120000));
        const QString err = QString::fromUtf8(run.readAllStandardError());
        QCOMPARE(run.exitCode(), kovagenerate::Stopped);
        QVERIFY2(err.contains(u'/' + file + u": "_s + QString::fromLocal8Bit(std::strerror(reason))), qPrintable(err));
        QCOMPARE(run.readAllStandardOutput(), QByteArray());
        QStringList left;
        for (QDirIterator it(dir.filePath(u"out"_s), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
            left << dir.relativeFilePath(it.next());
        left.removeOne(blocked);
        QCOMPARE(left, QStringList());
        QCOMPARE(QFileInfo::exists(dir.filePath(u"out"_s)), !blocked.isEmpty());  // the folders it made are gone
    }

    // Ctrl-C or SIGTERM while kova-generate writes: it stops between rows,
    // exits 2 and leaves no file, no .new file and no folder it made; with
    // --jobs the signal, sent to the parent only, reaches every slice. A
    // database run rolls back.
    void stoppedRunLeavesNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("signal");
        const QStringList csv{u"--out"_s, u"out/csv"_s, u"--format"_s, u"csv"_s};
        const QStringList script{u"--out"_s, u"out/sub/run.sql"_s};
        const QStringList twoJobs{u"--jobs"_s, u"2"_s};
        QTest::newRow("csv, SIGINT") << csv << SIGINT;
        QTest::newRow("script, SIGTERM") << script << SIGTERM;
        QTest::newRow("csv in two jobs, SIGINT") << csv + twoJobs << SIGINT;
        QTest::newRow("script in two jobs, SIGTERM") << script + twoJobs << SIGTERM;
        QTest::newRow("csv, SIGHUP (a closed terminal)") << csv << SIGHUP;
        QTest::newRow("database, SIGINT") << QStringList() << SIGINT;
    }
    void stoppedRunLeavesNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(int, signal);
        EngineDb db({u"CREATE TABLE A (ID NUMBER(10) PRIMARY KEY)"_s});
        const QDir dir(db.dir.path());
        QVERIFY(WriteFile(dir.filePath(u"a.json"_s), R"({"kova-rules": 1, "table": "A", "rows": 100000000, "columns": [
            {"column": "ID", "kind": "sequence", "start": 1, "step": 1}]})"));
        QProcess run;
        run.setWorkingDirectory(dir.path());
        run.start(QCoreApplication::applicationDirPath() + u"/kova-generate"_s,
                  QStringList{u"scott/tiger@"_s + db.db.path, u"a.json"_s} + args);
        QVERIFY(run.waitForStarted());
        const auto writing = [&] {
            for (QDirIterator it(dir.filePath(u"out"_s), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
                if (it.next().endsWith(u".new"_s))
                    return true;
            return false;
        };
        if (args.isEmpty())
            QTest::qWait(3000);  // the rows are being inserted
        else
            QTRY_VERIFY_WITH_TIMEOUT(writing(), 60000);
        QVERIFY(run.state() == QProcess::Running);
        QCOMPARE(::kill(pid_t(run.processId()), signal), 0);
        QVERIFY(run.waitForFinished(60000));
        const QString err = QString::fromUtf8(run.readAllStandardError());
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QVERIFY2(run.exitCode() == kovagenerate::Stopped && err.contains(u"stopped"_s), qPrintable(err));
        QVERIFY2(!QFileInfo::exists(dir.filePath(u"out"_s)), qPrintable(err));
        QCOMPARE(db.text(u"SELECT COUNT(*) FROM A"_s), u"0"_s);
    }

    // load-oracle.sh with sqlplus and sqlldr stood in for: where the password
    // goes, what is emptied, and how a failed load or a constraint left
    // disabled ends it.
    void oracleLoadScript_data()
    {
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("password");  // KOVA_PASSWORD; null: unset, typed at the prompt
        QTest::addColumn<QString>("typed");     // standard input
        QTest::addColumn<QString>("sqlplusFails");  // its output when it fails
        QTest::addColumn<int>("sqlldrExit");
        QTest::addColumn<QString>("disabled");  // what the query after the loads finds
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString password = u"s3 cr'e\"t$x"_s;
        const QString typed = u"typed 'secret\n"_s;
        const QString wrong = u"ORA-01017: invalid username/password; logon denied"_s;
        QTest::newRow("password from the environment") << u"scott@orcl"_s << password << QString() << QString() << 0 << QString()
                                                       << 0 << QString();
        QTest::newRow("password typed") << u"scott@orcl"_s << QString() << typed << QString() << 0 << QString() << 0 << QString();
        QTest::newRow("no password") << u"scott@orcl"_s << QString() << QString() << QString() << 0 << QString() << 2
                                     << u"it comes from KOVA_PASSWORD or is typed at a terminal"_s;
        QTest::newRow("EZConnect") << u"scott@//dbhost:1521/pdb"_s << password << QString() << QString() << 0 << QString() << 0
                                   << QString();
        QTest::newRow("EZConnect without slashes") << u"scott@host:1521/ORCLPDB1"_s << password << QString() << QString() << 0
                                                   << QString() << 0 << QString();
        QTest::newRow("password on the command line") << u"scott/tiger@orcl"_s << password << QString() << QString() << 0
                                                      << QString() << 2 << u"usage: ./load-oracle.sh user@connect-identifier"_s;
        QTest::newRow("wrong password") << u"scott@orcl"_s << password << QString() << wrong << 0 << QString() << 1
                                        << wrong + u"\nload-oracle.sh: sqlplus failed (above); nothing was emptied or loaded\n"_s;
        QTest::newRow("load fails") << u"scott@orcl"_s << password << QString() << QString() << 1 << QString() << 1
                                    << u"the emptied tables stay emptied"_s;
        QTest::newRow("load fails, a constraint left disabled") << u"scott@orcl"_s << password << QString() << QString() << 2
                                                               << u"EMP.EMP_DEPT_FK"_s << 1 << u"EMP.EMP_DEPT_FK"_s;
        QTest::newRow("constraint left disabled") << u"scott@orcl"_s << password << QString() << QString() << 0
                                                  << u"EMP.EMP_DEPT_FK"_s << 1 << u"EMP.EMP_DEPT_FK"_s;
    }
    void oracleLoadScript()
    {
        QFETCH(QString, login);
        QFETCH(QString, password);
        QFETCH(QString, typed);
        QFETCH(QString, sqlplusFails);
        QFETCH(int, sqlldrExit);
        QFETCH(QString, disabled);
        QTemporaryDir dir;
        const QDir stub(dir.filePath(u"stub"_s));
        QVERIFY(QDir().mkpath(stub.path()));
        for (const QString& tool : {u"sqlplus"_s, u"sqlldr"_s}) {
            QVERIFY(WriteFile(stub.filePath(tool), Stub));
            QVERIFY(QFile::setPermissions(stub.filePath(tool), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        const QString script = dir.filePath(u"load-oracle.sh"_s);
        QVERIFY(WriteFile(script, generate::OracleLoadText({u"DEPT"_s, u"O'HARA"_s}, {u"DEPT.ctl"_s, u"O'HARA.ctl"_s},
                                                           {u"O'HARA"_s, u"DEPT"_s})
                                      .toUtf8()));
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"PATH"_s, stub.path() + u':' + environment.value(u"PATH"_s));
        environment.insert(u"STUB"_s, stub.path());
        environment.insert(u"STUB_SQLLDR_EXIT"_s, QString::number(sqlldrExit));
        environment.insert(u"STUB_DISABLED"_s, disabled);
        environment.insert(u"STUB_SQLPLUS_FAILS"_s, sqlplusFails);
        environment.remove(u"KOVA_PASSWORD"_s);
        if (!password.isNull())
            environment.insert(u"KOVA_PASSWORD"_s, password);
        run.setProcessEnvironment(environment);
        run.start(u"bash"_s, {script, login});
        QVERIFY(run.waitForStarted());
        run.write(typed.toUtf8());
        run.closeWriteChannel();
        QVERIFY(run.waitForFinished(60000));
        const QString err = QString::fromUtf8(run.readAllStandardError());
        QFETCH(int, status);
        QVERIFY2(run.exitCode() == status, qPrintable(err));
        QFETCH(QString, message);
        QVERIFY2(err.contains(message), qPrintable(err));
        const QString args = QString::fromUtf8(ReadFile(stub.filePath(u"args.log"_s)));
        const QString secret = password.isNull() ? typed.trimmed() : password;
        QVERIFY2((secret.isEmpty() || !args.contains(secret)) && !args.contains(u"tiger"_s), qPrintable(args));
        if (status == 2) {
            QCOMPARE(args, QString());  // refused before any tool ran
            return;
        }
        // The password reaches sqlplus on its input, sqlldr in a parameter file
        // of mode 600 that is gone afterwards.
        const QString input = QString::fromUtf8(ReadFile(stub.filePath(u"stdin.log"_s)));
        const QString at = login.mid(login.indexOf(u'@'));
        QVERIFY2(input.contains(u"CONNECT scott/\""_s + secret + u'"' + at + u'\n'), qPrintable(input));
        if (!sqlplusFails.isEmpty()) {
            QVERIFY2(!args.contains(u"sqlldr"_s) && !input.contains(u"DELETE"_s) && !err.contains(u"stopped"_s), qPrintable(err));
            return;  // nothing emptied or loaded
        }
        const QString par = QString::fromUtf8(ReadFile(stub.filePath(u"par.log"_s)));
        QVERIFY2(par.startsWith(u"600\nuserid=scott/\""_s + secret + u'"' + at + u'\n'), qPrintable(par));
        QVERIFY(!QFileInfo::exists(QString::fromUtf8(ReadFile(stub.filePath(u"parpath"_s))).trimmed()));
        // Names with a quote in them, as SQL and as the shell take them.
        QVERIFY2(input.contains(u"DELETE FROM \"O'HARA\";\nDELETE FROM DEPT;\nCOMMIT;"_s)
                     && input.contains(u"IN ('DEPT', 'O''HARA')"_s),
                 qPrintable(input));
        QVERIFY2(args.contains(u"control=O'HARA.ctl log=O'HARA.log"_s) || sqlldrExit != 0, qPrintable(args));
    }
};

QTEST_GUILESS_MAIN(tst_RowFiles)
#include "tst_RowFiles.moc"
