// label: engine
// Rows that go to a loader as they are made: --load into PostgreSQL's COPY
// when the server refuses a row or its session dies part way, CSV written
// into named pipes that a loader reads, and load-oracle.sh --stream with
// sqlldr and sqlplus stood in for.
#include "GenerateTool.h"

#include "support/EngineSupport.h"
#include "support/ServerSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace kovatest;

namespace {

const QString Program = u"/kova-generate"_s;

// kova-generate in this process; its status, with what it printed.
int Generate(const QStringList& args, QString* said)
{
    QString error, out, err;
    auto parsed = kovagenerate::ParseArguments(args, &error);
    if (!parsed) {
        *said = error;
        return -1;
    }
    parsed->program = QCoreApplication::applicationDirPath() + Program;
    QTextStream o(&out), e(&err);
    const int status = kovagenerate::Run(*parsed, o, e, false);
    *said = out + err;
    return status;
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A parent and a child table on the test server, and its login.
TestDatabase ParentAndChild()
{
    return OpenServerDatabase(
        {u"CREATE TABLE P (ID NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20))"_s,
         u"CREATE TABLE C (ID NUMBER(8) PRIMARY KEY, P_ID NUMBER(8) NOT NULL REFERENCES P, NOTE VARCHAR2(20))"_s});
}

QString Login(const TestDatabase& db)
{
    const ServerSettings server = *Server();
    return server.user + u'/' + server.password + u"@DSN="_s + server.dsn + u";Database="_s + db.path;
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : "(missing " + path.toUtf8() + ')';
}

const QStringList Tables{u"CREATE TABLE DEPT (ID NUMBER(6) PRIMARY KEY, NAME VARCHAR2(20))"_s,
                         u"CREATE TABLE \"O'HARA\" (ID NUMBER(8) PRIMARY KEY, DEPT_ID NUMBER(6) NOT NULL REFERENCES DEPT, "
                         "NOTE VARCHAR2(30))"_s};

// sqlldr copies the pipe it is given to $STUB/got-CONTROL, or fails as
// STUB_SQLLDR_EXIT says; sqlplus takes its input.
const QByteArray Stub = R"sh(#!/bin/sh
if [ "$(basename "$0")" = sqlplus ]; then cat > /dev/null; exit 0; fi
for a; do case "$a" in data=*) d=${a#data=} ;; control=*) c=${a#control=} ;; esac; done
cat "$d" > "$STUB/got-$c"
exit "${STUB_SQLLDR_EXIT:-0}"
)sh";

}  // namespace

class tst_StreamedLoads : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The server refuses a row of the second table, or the session loading
    // it ends: one session keeps nothing; two jobs keep the first table,
    // committed before the second began. What the message lists as kept is
    // what the tables hold.
    void loadThatFails_data()
    {
        QTest::addColumn<QString>("failure");  // run with psql on the database
        QTest::addColumn<QStringList>("more");  // options of the run
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString check = u"ALTER TABLE c ADD CONSTRAINT c_not_700 CHECK (id <> 700)"_s;
        const QString dies = u"CREATE FUNCTION die() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF NEW.id = 700 THEN "
                             "PERFORM pg_terminate_backend(pg_backend_pid()); END IF; RETURN NEW; END $$; "
                             "CREATE TRIGGER c_dies BEFORE INSERT ON c FOR EACH ROW EXECUTE FUNCTION die()"_s;
        const QString refused = u"violates check constraint \"c_not_700\""_s;
        const QStringList one{u"--jobs"_s, u"1"_s}, two{u"--jobs"_s, u"2"_s};
        QTest::newRow("row refused, one session") << check << one << int(kovagenerate::Stopped) << refused;
        QTest::newRow("row refused, two jobs") << check << two << int(kovagenerate::PartLoaded) << refused;
        QTest::newRow("session ends, one session") << dies << one << int(kovagenerate::Stopped)
                                                   << u"the connection to the server was lost"_s;
        QTest::newRow("session ends, two jobs") << dies << two << int(kovagenerate::PartLoaded)
                                                << u"the connection to the server was lost"_s;
        // --pg has the last word on where libpq connects.
        QTest::newRow("--pg") << u"SELECT 1"_s << QStringList{u"--pg"_s, u"dbname=elsewhere"_s} << int(kovagenerate::Stopped)
                              << u"database \"elsewhere\" does not exist"_s;
    }
    void loadThatFails()
    {
        KOVA_NEED_SERVER();
        QFETCH(QString, failure);
        QFETCH(QStringList, more);
        const TestDatabase db = ParentAndChild();
        QCOMPARE(Psql(db.path, {u"-c"_s, failure}), QString());
        QString said;
        const int ended = Generate(QStringList{Login(db),
                                     u"--auto"_s, u"C"_s, u"P"_s, u"--rows"_s, u"1000"_s, u"--seed"_s, u"5"_s, u"--load"_s}
                                        + more,
                                    &said);
        QFETCH(int, status);
        QFETCH(QString, message);
        QVERIFY2(ended == status && said.contains(message), qPrintable(said));
        // "  P: 1000 rows loaded" under "this stays committed:", for each table kept.
        const QString kept = said.section(u"this stays committed:\n"_s, 1);
        for (const QString& table : {u"P"_s, u"C"_s}) {
            const QString line = u"  "_s + table + u": "_s;
            const QString rows = kept.contains(line) ? kept.section(line, 1).section(u' ', 0, 0) : u"0"_s;
            QCOMPARE(RowsText(QueryRows(*db.database, u"SELECT COUNT(*) FROM "_s + table)), rows);
        }
        QCOMPARE(kept.contains(u"  P: 1000 rows loaded"_s), more.contains(u"2"_s));
    }

    // Two jobs of tables of ten rows, whose slices race: each table's rows
    // are committed by all before any slice starts the next, whose keys
    // point at them. And a session whose search path finds a table of
    // another schema than libpq's own would: the load finds the same one.
    void jobsAndSessionsFindTheirTables()
    {
        KOVA_NEED_SERVER();
        const TestDatabase db = ParentAndChild();
        QString said;
        for (int seed = 1; seed <= 6; ++seed) {
            QCOMPARE(Psql(db.path, {u"-c"_s, u"TRUNCATE c, p"_s}), QString());
            QVERIFY2(Generate({Login(db), u"--auto"_s, u"C"_s, u"P"_s, u"--rows"_s, u"10"_s, u"--seed"_s, QString::number(seed),
                               u"--load"_s, u"--jobs"_s, u"3"_s},
                              &said) == kovagenerate::AllCreated,
                     qPrintable(said));
        }
        QCOMPARE(Psql(db.path, {u"-c"_s, u"CREATE SCHEMA app; CREATE TABLE app.p (id numeric(8) PRIMARY KEY, name varchar(20))"_s}),
                 QString());
        QVERIFY2(Generate({Login(db) + u";ConnSettings={SET search_path TO app, public, kova_oracle, oracle, pg_catalog}"_s,
                           u"--auto"_s, u"P"_s, u"--rows"_s, u"7"_s, u"--load"_s},
                          &said) == kovagenerate::AllCreated,
                 qPrintable(said));
        QCOMPARE(RowsText(QueryRows(*db.database, u"SELECT (SELECT COUNT(*) FROM app.p), (SELECT COUNT(*) FROM public.p)"_s)),
                 u"7,10"_s);
    }

    // Slices streamed by runs of their own, as on several machines: the
    // parents' slices first, then the children's, whose keys are read from
    // the parents' rows; together the whole run.
    void shardsInWaves()
    {
        KOVA_NEED_SERVER();
        const TestDatabase db = ParentAndChild();
        const QString login = Login(db);
        // Sequences with a start of their own: one of 自動設定 starts after
        // the rows the table holds, which the slices loaded first change.
        QTemporaryDir dir;
        const QByteArray rules[] = {
            R"({"kova-rules": 1, "table": "P", "columns": [{"column": "ID", "kind": "sequence", "start": 1, "step": 1}]})",
            R"({"kova-rules": 1, "table": "C", "columns": [{"column": "ID", "kind": "sequence", "start": 1, "step": 1},
                {"column": "P_ID", "kind": "select", "sql": "SELECT ID FROM P", "parent": {"table": "P", "column": "ID"}}]})"};
        QString said;
        for (const QByteArray& json : rules) {
            const QString file = dir.filePath(u"t.json"_s);
            QVERIFY(Write(file, json));
            for (const QString& shard : {u"2/2"_s, u"1/2"_s})
                QVERIFY2(Generate({login, file, u"--rows"_s, u"999"_s, u"--seed"_s, u"4"_s, u"--load"_s,
                                   u"--shard"_s, shard},
                                  &said) == kovagenerate::AllCreated,
                         qPrintable(said));
        }
        QCOMPARE(RowsText(QueryRows(*db.database, u"SELECT COUNT(*), COUNT(DISTINCT ID), MIN(ID), MAX(ID) FROM C"_s)),
                 u"999,999,1,999"_s);
        QCOMPARE(RowsText(QueryRows(*db.database, u"SELECT COUNT(*) FROM P"_s)), u"999"_s);
    }

    // An emptying project of 自動設定's rules, whose sequences start after
    // the rows the tables hold: two jobs read the tables before they are
    // emptied, as the database run does, and load the rows it inserts.
    void emptyingJobsReadFirst()
    {
        KOVA_NEED_SERVER();
        const TestDatabase db = ParentAndChild();
        const QString login = Login(db);
        QTemporaryDir dir;
        const QString project = dir.filePath(u"p.json"_s);
        const QByteArray json = R"({"kova-project": 1, "seed": 8, "empty-first": true, "tables": [
            {"table": "C", "rules": "auto", "rows": 300}, {"table": "P", "rules": "auto", "rows": 200}]})";
        QVERIFY(Write(project, json));
        QString said;
        QStringList loaded;
        for (const QStringList& second : {QStringList{}, QStringList{u"--load"_s, u"--jobs"_s, u"2"_s}}) {
            QCOMPARE(Psql(db.path, {u"-c"_s, u"TRUNCATE c, p"_s}), QString());
            for (const QStringList& run : {QStringList{}, second})
                QVERIFY2(Generate(QStringList{login, project} + run, &said) == kovagenerate::AllCreated,
                         qPrintable(said));
            loaded << RowsText(QueryRows(*db.database, u"SELECT * FROM P ORDER BY 1"_s))
                          + RowsText(QueryRows(*db.database, u"SELECT * FROM C ORDER BY 1"_s));
        }
        QVERIFY(loaded[0].startsWith(u"201,"_s));
        QCOMPARE(loaded[1], loaded[0]);
    }

    // A CSV run whose folder holds a named pipe for a table writes the rows
    // into it, as into a file; a reader that stops stops the run.
    void pipesInTheFolder_data()
    {
        QTest::addColumn<bool>("readerStops");
        QTest::newRow("read whole") << false;
        QTest::newRow("reader stops") << true;
    }
    void pipesInTheFolder()
    {
        QFETCH(bool, readerStops);
        EngineDb db(Tables);
        const QString login = u"scott/tiger@"_s + db.db.path;
        const QStringList run{login, u"--auto"_s, u"DEPT"_s, u"O'HARA"_s, u"--rows"_s, u"50000"_s, u"--seed"_s, u"2"_s,
                              u"--format"_s, u"csv"_s, u"--out"_s};
        const QDir dir(db.dir.path());
        QString said;
        QCOMPARE(Generate(run + QStringList{dir.filePath(u"files"_s)}, &said), kovagenerate::AllCreated);
        QVERIFY(dir.mkdir(u"pipes"_s));
        std::vector<std::unique_ptr<QProcess>> readers;
        // The run stops at the first table's pipe when its reader stops.
        const QStringList pipes = readerStops ? QStringList{u"DEPT.csv"_s} : QStringList{u"DEPT.csv"_s, u"O'HARA.csv"_s};
        for (const QString& name : pipes) {
            QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(u"pipes/"_s + name)).constData(), 0600), 0);
            readers.push_back(std::make_unique<QProcess>());
            // A reader that stops opens the pipe and closes it unread.
            readers.back()->start(u"sh"_s, {u"-c"_s, readerStops ? u"exec < \"$1\""_s : u"cat \"$1\" > \"$1.got\""_s, u"sh"_s,
                                            dir.filePath(u"pipes/"_s + name)});
        }
        const int status = Generate(run + QStringList{dir.filePath(u"pipes"_s)}, &said);
        for (const auto& reader : readers)
            QVERIFY(reader->waitForFinished(30000));
        if (readerStops) {
            QVERIFY2(status == kovagenerate::Stopped && said.contains(u"stopped reading"_s), qPrintable(said));
            return;
        }
        QVERIFY2(status == kovagenerate::AllCreated, qPrintable(said));
        for (const QString& name : {u"DEPT.csv"_s, u"O'HARA.csv"_s})
            QCOMPARE(Read(dir.filePath(u"pipes/"_s + name + u".got"_s)), Read(dir.filePath(u"files/"_s + name)));
        // The pipes are the loader's: still there, never replaced by files.
        struct stat pipe {};
        QVERIFY(::stat(QFile::encodeName(dir.filePath(u"pipes/DEPT.csv"_s)).constData(), &pipe) == 0 && S_ISFIFO(pipe.st_mode));
    }

    // load-oracle.sh --stream of a folder of two slices: a pipe per control
    // file, a table with a quote in its name, kova-generate writing into the
    // pipes; a load that fails, a command that fails, an option that is the
    // script's.
    void oracleStream_data()
    {
        QTest::addColumn<QStringList>("command");  // after the embedded login
        QTest::addColumn<int>("sqlldrExit");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        // The project's path is relative to where the script is run.
        const QStringList tables{u"p.json"_s, u"--seed"_s, u"3"_s};
        QTest::newRow("every slice streamed") << tables << 0 << 0 << QString();
        QTest::newRow("a load fails") << tables << 1 << 1 << u"a load failed"_s;
        QTest::newRow("kova-generate fails") << QStringList{u"--auto"_s, u"NOPE"_s, u"--seed"_s, u"3"_s} << 0 << 1
                                             << u"nothing was emptied or loaded"_s;
        QTest::newRow("fewer tables than the folder") << QStringList{u"--auto"_s, u"DEPT"_s, u"--seed"_s, u"3"_s} << 0 << 1
                                                      << u"write the folder again with the same tables"_s;
        QTest::newRow("an option of the script's") << tables + QStringList{u"--jobs"_s, u"2"_s} << 0 << 2
                                                   << u"--jobs is the script's to give"_s;
    }
    void oracleStream()
    {
        QFETCH(QStringList, command);
        QFETCH(int, sqlldrExit);
        EngineDb db(Tables);
        const QString login = u"scott/tiger@"_s + db.db.path;
        const QDir dir(db.dir.path());
        QString said;
        // The folder: control files and the script of a small run in two slices;
        // the rows the stream must carry: the files of the same run in full.
        QCOMPARE(Generate({login, u"--auto"_s, u"DEPT"_s, u"O'HARA"_s, u"--rows"_s, u"1"_s, u"--seed"_s, u"3"_s, u"--jobs"_s,
                           u"2"_s, u"--format"_s, u"csv"_s, u"--out"_s, dir.filePath(u"load"_s)},
                          &said),
                 kovagenerate::AllCreated);
        const QByteArray project = R"({"kova-project": 1, "tables": [
            {"table": "DEPT", "rules": "auto", "rows": 3000}, {"table": "O\u0027HARA", "rules": "auto", "rows": 3000}]})";
        QVERIFY(Write(dir.filePath(u"p.json"_s), project));
        QCOMPARE(Generate({login, dir.filePath(u"p.json"_s), u"--seed"_s, u"3"_s, u"--jobs"_s, u"2"_s, u"--format"_s, u"csv"_s,
                           u"--out"_s, dir.filePath(u"full"_s)},
                          &said),
                 kovagenerate::AllCreated);
        QVERIFY(dir.mkdir(u"stub"_s));
        for (const QString& tool : {u"sqlplus"_s, u"sqlldr"_s}) {
            QVERIFY(Write(dir.filePath(u"stub/"_s + tool), Stub));
            QVERIFY(QFile::setPermissions(dir.filePath(u"stub/"_s + tool), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        }
        QProcess script;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"PATH"_s, dir.filePath(u"stub"_s) + u':' + environment.value(u"PATH"_s));
        environment.insert(u"STUB"_s, dir.filePath(u"stub"_s));
        environment.insert(u"STUB_SQLLDR_EXIT"_s, QString::number(sqlldrExit));
        environment.insert(u"KOVA_PASSWORD"_s, u"tiger"_s);
        script.setProcessEnvironment(environment);
        script.setWorkingDirectory(dir.path());
        script.start(u"bash"_s, QStringList{dir.filePath(u"load/load-oracle.sh"_s), u"--stream"_s, u"scott@orcl"_s, u"--"_s,
                                            QCoreApplication::applicationDirPath() + Program, u"scott@"_s + db.db.path}
                                    + command);
        QVERIFY(script.waitForFinished(60000));
        const QString err = QString::fromUtf8(script.readAllStandardError());
        QFETCH(int, status);
        QFETCH(QString, message);
        QVERIFY2(script.exitCode() == status && err.contains(message), qPrintable(err));
        const QStringList got = QDir(dir.filePath(u"stub"_s)).entryList({u"got-*"_s});
        if (status == 0) {
            QCOMPARE(got.size(), 4);
            for (const QString& name : got)
                QCOMPARE(Read(dir.filePath(u"stub/"_s + name)),
                         Read(dir.filePath(u"full/"_s + name.mid(4).replace(u".ctl"_s, u".csv"_s))));
        } else {
            // A failure stops before the next table's loads; the rows are not
            // all made.
            QVERIFY2(got.filter(u"O'HARA"_s).isEmpty(), qPrintable(got.join(u' ')));
        }
        // Nothing of it runs on: no loader, no kova-generate (each names this folder).
        for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs))
            QVERIFY2(!Read(u"/proc/"_s + pid + u"/cmdline"_s).contains(dir.path().toUtf8()), qPrintable(pid));
    }
};

QTEST_GUILESS_MAIN(tst_StreamedLoads)
#include "tst_StreamedLoads.moc"
