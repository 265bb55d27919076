// label: engine
// kova-generate on tables whose foreign keys form cycles: the tables outside
// a cycle ordered parents first, a cycle placed as one block, broken where a
// key may be NULL, else checked at the commit where the database can defer
// it, and refused naming only the cycle where it cannot.
#include "GenerateTool.h"
#include "JobTables.h"
#include "SqlConsole.h"

#include "generate/LoaderFiles.h"
#include "session/OraAccess.h"
#include "session/OraSession.h"
#include "support/EngineSupport.h"
#include "support/ServerSupport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;
using namespace kovatest;

namespace {

// A chain (ADDRESS -> CITY -> COUNTRY), a cycle that STAFF.STORE_ID (NULL
// allowed) breaks, a child of the cycle, and a cycle of NOT NULL keys (X, Y).
QStringList Schema(const QString& deferrable = {})
{
    return {u"CREATE TABLE COUNTRY (ID NUMBER(4) PRIMARY KEY, NAME VARCHAR2(20))"_s,
            u"CREATE TABLE CITY (ID NUMBER(6) PRIMARY KEY, COUNTRY_ID NUMBER(4) NOT NULL REFERENCES COUNTRY (ID))"_s,
            u"CREATE TABLE ADDRESS (ID NUMBER(8) PRIMARY KEY, CITY_ID NUMBER(6) NOT NULL REFERENCES CITY (ID))"_s,
            u"CREATE TABLE STAFF (ID NUMBER(6) PRIMARY KEY, STORE_ID NUMBER(4), "
            "ADDRESS_ID NUMBER(8) NOT NULL REFERENCES ADDRESS (ID))"_s,
            u"CREATE TABLE STORE (ID NUMBER(4) PRIMARY KEY, MANAGER_STAFF_ID NUMBER(6) NOT NULL REFERENCES STAFF (ID), "
            "ADDRESS_ID NUMBER(8) NOT NULL REFERENCES ADDRESS (ID))"_s,
            u"ALTER TABLE STAFF ADD CONSTRAINT STAFF_STORE_FK FOREIGN KEY (STORE_ID) REFERENCES STORE (ID)"_s,
            u"CREATE TABLE PAYMENT (ID NUMBER(8) PRIMARY KEY, STAFF_ID NUMBER(6) NOT NULL REFERENCES STAFF (ID))"_s,
            u"CREATE TABLE X (ID NUMBER(4) PRIMARY KEY, Y_ID NUMBER(4) NOT NULL)"_s,
            u"CREATE TABLE Y (ID NUMBER(4) PRIMARY KEY, X_ID NUMBER(4) NOT NULL, "
            "CONSTRAINT Y_X_FK FOREIGN KEY (X_ID) REFERENCES X (ID)"_s + deferrable + u")"_s,
            u"ALTER TABLE X ADD CONSTRAINT X_Y_FK FOREIGN KEY (Y_ID) REFERENCES Y (ID)"_s + deferrable};
}

// Rule files of the NOT NULL cycle: three rows each, Y's rows referring to
// X's rows from `firstX` on; one of STAFF whose STORE_ID refers to no store;
// a project of them among the other tables (p.json), and one of X and Y
// alone (xy.json).
void WriteCycleFiles(const QString& folder, int firstX)
{
    const auto write = [&](const QString& name, const QString& text) {
        QFile file(folder + u'/' + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    };
    write(u"x.json"_s, uR"({"kova-rules": 1, "table": "X", "rows": 3, "columns": [
        {"column": "ID", "kind": "sequence", "start": 1, "step": 1},
        {"column": "Y_ID", "kind": "sequence", "start": 1, "step": 1}]})"_s);
    write(u"y.json"_s, uR"({"kova-rules": 1, "table": "Y", "rows": 3, "columns": [
        {"column": "ID", "kind": "sequence", "start": 1, "step": 1},
        {"column": "X_ID", "kind": "sequence", "start": %1, "step": 1}]})"_s.arg(firstX));
    write(u"staff.json"_s, uR"({"kova-rules": 1, "table": "STAFF", "rows": 2, "columns": [
        {"column": "ID", "kind": "sequence", "start": 1, "step": 1},
        {"column": "STORE_ID", "kind": "sequence", "start": 50, "step": 1},
        {"column": "ADDRESS_ID", "kind": "select", "sql": "SELECT ID FROM ADDRESS"}]})"_s);
    write(u"p.json"_s, uR"({"kova-project": 1, "tables": [{"rules": "auto", "table": "CITY", "rows": 2},
        {"rules": "auto", "table": "COUNTRY", "rows": 2}, {"rules": "auto", "table": "STORE", "rows": 2},
        {"rules": "staff.json"}, {"rules": "auto", "table": "ADDRESS", "rows": 2},
        {"rules": "y.json"}, {"rules": "x.json"}]})"_s);
    write(u"xy.json"_s, uR"({"kova-project": 1, "tables": [{"rules": "y.json"}, {"rules": "x.json"}]})"_s);
}

// Runs kova-generate with `args` after the login; the exit status, what it
// printed on both streams after it.
QString Generate(const QString& login, const QStringList& args)
{
    QString error, out, err;
    const auto parsed = kovagenerate::ParseArguments(QStringList{login} + args, &error);
    if (!parsed)
        return error;
    QTextStream o(&out), e(&err);
    const int status = kovagenerate::Run(*parsed, o, e, false);
    o.flush();
    e.flush();
    return QString::number(status) + u'\n' + err + out;
}

}  // namespace

class tst_KeyCycles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ResetProgramState(); }
    void cleanup() { ReleaseSession(); }

    // The order of the tables named by --auto, with the foreign key columns
    // of each that refer to a later table: "later" written NULL first,
    // "ahead" checked at the commit; and the keys checked there.
    void ordersTablesParentsFirst_data()
    {
        QTest::addColumn<QStringList>("tables");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("deferred");
        QTest::newRow("chain given backwards")
            << QStringList{u"ADDRESS"_s, u"CITY"_s, u"COUNTRY"_s} << u"COUNTRY CITY ADDRESS"_s << QString();
        QTest::newRow("cycle broken by a key left NULL, amid a chain")
            << QStringList{u"PAYMENT"_s, u"CITY"_s, u"COUNTRY"_s, u"STORE"_s, u"STAFF"_s, u"ADDRESS"_s}
            << u"COUNTRY CITY ADDRESS STAFF(later 2) STORE PAYMENT"_s << QString();
        QTest::newRow("both cycles amid a chain")
            << QStringList{u"Y"_s, u"PAYMENT"_s, u"CITY"_s, u"COUNTRY"_s, u"STORE"_s, u"X"_s, u"STAFF"_s, u"ADDRESS"_s}
            << u"Y(ahead 2) X COUNTRY CITY ADDRESS STAFF(later 2) STORE PAYMENT"_s << u"Y_X_FK of Y"_s;
    }
    void ordersTablesParentsFirst()
    {
        QFETCH(QStringList, tables);
        QFETCH(QString, order);
        QFETCH(QString, deferred);
        const EngineDb db(Schema());
        basKovaData::OraSession = db.db.session;
        basKovaData::OraDatabase = db.db.database;
        kovagenerate::Arguments args;
        args.automatic = tables;
        QString messages;
        QTextStream err(&messages);
        std::optional<kovagenerate::Job> job = kovagenerate::ReadJob(args, err);
        QVERIFY(job);
        QVERIFY(kovagenerate::PrepareTables(*job, err));
        QStringList made, keys;
        const auto columns = [](const char* what, const std::vector<int>& list) {
            QStringList numbers;
            for (const int column : list)
                numbers << QString::number(column);
            return list.empty() ? QString() : u"("_s + QLatin1StringView(what) + u' ' + numbers.join(u',') + u')';
        };
        for (const generate::TableRun& run : kovagenerate::TableRuns(*job))
            made << run.rules->table + columns("later", run.later) + columns("ahead", run.ahead);
        for (const generate::KeyConstraint& key : job->deferred)
            keys << key.name + u" of "_s + key.table;
        QCOMPARE(made.join(u' '), order);
        QCOMPARE(keys.join(u", "_s), deferred);
    }

    // On the embedded engine: the rows of a cycle broken by a NULL key, and
    // the rows of a NOT NULL cycle inserted before the rows they refer to,
    // checked at the commit; the same rows through the INSERT script.
    void fillsCyclesOnTheEmbeddedEngine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("firstX");  // of Y's references to X
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("rows");
        // COUNTRY, CITY; STAFF's STORE_ID set, all; STORE; Y's rows with the X row referring back.
        const QString counts = u"SELECT COUNT(*) FROM COUNTRY; SELECT COUNT(*) FROM CITY; "
                               "SELECT COUNT(STORE_ID), COUNT(*) FROM STAFF; SELECT COUNT(*) FROM STORE; "
                               "SELECT COUNT(*) FROM Y y JOIN X x ON x.ID = y.X_ID AND x.Y_ID = y.ID"_s;
        QTest::newRow("NULL key left for later, NOT NULL keys deferred")
            << QStringList{u"p.json"_s} << 1 << u"0\nSTAFF: 2 rows created"_s << counts + u"|2|2|0,2|2|3"_s;
        QTest::newRow("a key left dangling at the commit")
            << QStringList{u"p.json"_s} << 100 << u"2\nstopped, nothing was kept: ORA-02091: transaction rolled back"_s
            << counts + u"|0|0|0,0|0|0"_s;
        QTest::newRow("the script defers the keys") << QStringList{u"xy.json"_s, u"--out"_s, u"run.sql"_s} << 1
                                                    << u"0\n"_s << counts + u"|0|0|0,0|0|3"_s;
    }
    void fillsCyclesOnTheEmbeddedEngine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, firstX);
        QFETCH(QString, outcome);
        QFETCH(QString, rows);
        const EngineDb db(Schema());
        WriteCycleFiles(db.dir.path(), firstX);
        for (QString& arg : args)
            if (arg.endsWith(u".json"_s) || arg.endsWith(u".sql"_s))
                arg = db.dir.filePath(arg);
        const QString result = Generate(u"scott/tiger@"_s + db.db.path, args);
        QVERIFY2(result.startsWith(outcome.section(u'\n', 0, 0) + u'\n') && result.contains(outcome.section(u'\n', 1)),
                 qPrintable(result));
        if (args.contains(u"--out"_s)) {
            QFile script(args.last());
            QVERIFY(script.open(QIODevice::ReadOnly));
            QString consoleOut, consoleErr;
            QTextStream o(&consoleOut), e(&consoleErr);
            SqlConsole console(db.db.session, db.db.database, o, e);
            console.runScript(args.last());
            console.finish();
            QCOMPARE(consoleErr, QString());
        }
        QStringList counts;
        for (const QString& sql : rows.section(u'|', 0, 0).split(u"; "_s))
            counts << db.text(sql);
        QCOMPARE(counts.join(u'|'), rows.section(u'|', 1));
    }

    // SQL*Loader's direct loads enable each table's keys after its load: the
    // keys of a cycle are disabled before the first load and enabled after
    // the last one, before the script lists what stays disabled.
    void oracleLoaderWaitsForTheLastLoad()
    {
        const QString text = generate::OracleLoadText({u"Y"_s, u"X"_s}, {u"Y.ctl"_s, u"X.ctl"_s}, {}, {{u"Y"_s, u"Y_X_FK"_s}});
        const qsizetype disable = text.indexOf(u"ALTER TABLE Y DISABLE CONSTRAINT Y_X_FK;\n"_s);
        const qsizetype enable = text.indexOf(u"ALTER TABLE Y ENABLE CONSTRAINT Y_X_FK;\n"_s);
        // From files and streamed (--stream) alike.
        for (const QString& load : {u"\n  load '"_s, u"\n  phase '"_s}) {
            QVERIFY2(disable > 0 && disable < text.indexOf(load + u"Y.ctl'"_s), qPrintable(text));
            QVERIFY2(enable > text.indexOf(load + u"X.ctl'"_s) && enable < text.lastIndexOf(u"\nreport_disabled\n"_s),
                     qPrintable(text));
        }
        QTemporaryDir dir;
        QFile script(dir.filePath(u"load-oracle.sh"_s));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(text.toUtf8());
        script.close();
        QCOMPARE(QProcess::execute(u"bash"_s, {u"-n"_s, script.fileName()}), 0);
    }

    // On the server only keys declared DEFERRABLE wait for the commit: a
    // cycle of others stops the run before any row, naming only the cycle.
    // The CSV loader for psql defers the keys as the run does.
    void defersOnTheServerWhatMayWait_data()
    {
        QTest::addColumn<QString>("deferrable");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("not deferrable")
            << QString()
            << u"2\np.json: the foreign keys of Y, X form a cycle that no column left NULL breaks, and the database "
               "cannot defer Y_X_FK of Y, X_Y_FK of X to the commit (declare them DEFERRABLE)\n"_s;
        QTest::newRow("deferrable") << u" DEFERRABLE"_s << u"0\n"_s;
    }
    void defersOnTheServerWhatMayWait()
    {
        KOVA_NEED_SERVER();
        QFETCH(QString, deferrable);
        QFETCH(QString, outcome);
        const ServerSettings server = *Server();
        const TestDatabase db = OpenServerDatabase(Schema(deferrable));
        QTemporaryDir dir;
        WriteCycleFiles(dir.path(), 1);
        const QString login = server.user + u'/' + server.password + u"@DSN="_s + server.dsn + u";Database="_s + db.path;
        const QString project = dir.filePath(u"p.json"_s);
        QString result = Generate(login, {project});
        result.replace(project, u"p.json"_s);
        QVERIFY2(result.startsWith(outcome), qPrintable(result));
        const QString joined = u"SELECT COUNT(*) FROM Y y JOIN X x ON x.ID = y.X_ID AND x.Y_ID = y.ID"_s;
        const QString count = deferrable.isEmpty() ? u"0"_s : u"3"_s;
        QCOMPARE(RowsText(QueryRows(*db.database, u"SELECT COUNT(*) FROM COUNTRY"_s)), deferrable.isEmpty() ? u"0"_s : u"2"_s);
        QCOMPARE(RowsText(QueryRows(*db.database, joined)), count);
        if (deferrable.isEmpty())
            return;
        // The cycle's rows from CSV files, loaded by psql.
        QCOMPARE(Psql(db.path, {u"-c"_s, u"TRUNCATE x, y, city, country CASCADE"_s}), QString());
        const QString csv = dir.filePath(u"csv"_s);
        QVERIFY(Generate(login, {dir.filePath(u"xy.json"_s), u"--out"_s, csv, u"--format"_s, u"csv"_s}).startsWith(u"0\n"_s));
        QCOMPARE(Psql(db.path, {u"-f"_s, u"load-postgresql.sql"_s}, csv), QString());
        QCOMPARE(RowsText(QueryRows(*db.database, joined)), count);
    }
};

QTEST_GUILESS_MAIN(tst_KeyCycles)
#include "tst_KeyCycles.moc"
