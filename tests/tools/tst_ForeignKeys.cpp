// label: engine
// Foreign keys as kova-generate fills them: a parent row drawn from every row
// of the parent (made by the same job or already there), keys the child's
// column can hold, junction tables over many parents, parent rows the
// database refused never drawn, the preview equal to the run, and files in
// slices that load into the server parents first.
#include "GenerateTool.h"

#include "support/EngineSupport.h"
#include "support/ServerSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;
using namespace kovatest;

namespace {

const QStringList Schema{
    u"CREATE TABLE PARENT (ID NUMBER(6) PRIMARY KEY, NAME VARCHAR2(10))"_s,
    u"CREATE TABLE CHILD (ID NUMBER(8) PRIMARY KEY, PARENT_ID NUMBER(6) NOT NULL REFERENCES PARENT)"_s,
    u"CREATE TABLE NARROW (ID NUMBER(8) PRIMARY KEY, PARENT_ID NUMBER(2) NOT NULL REFERENCES PARENT)"_s,
    u"CREATE TABLE PL (ID NUMBER(6) PRIMARY KEY)"_s,
    u"CREATE TABLE TR (ID NUMBER(6) PRIMARY KEY)"_s,
    u"CREATE TABLE PT (PL_ID NUMBER(6) REFERENCES PL, TR_ID NUMBER(6) REFERENCES TR, PRIMARY KEY (PL_ID, TR_ID))"_s,
    u"CREATE TABLE ONE_DIGIT (ID NUMBER(8) PRIMARY KEY, PARENT_ID NUMBER(1) NOT NULL REFERENCES PARENT)"_s,
    u"CREATE SEQUENCE SQ2 START WITH 500 INCREMENT BY 5"_s,
    u"CREATE TABLE PP (ID VARCHAR2(10) PRIMARY KEY, V VARCHAR2(10))"_s,
    u"CREATE TABLE PC (ID NUMBER(6) PRIMARY KEY, P VARCHAR2(10) NOT NULL REFERENCES PP (ID))"_s,
    u"CREATE TABLE TP (ID NUMBER(6) PRIMARY KEY, V VARCHAR2(10))"_s,
    u"CREATE OR REPLACE TRIGGER TP_BI BEFORE INSERT ON TP FOR EACH ROW BEGIN :NEW.ID := SQ2.NEXTVAL; END;"_s,
    u"CREATE TABLE TC (ID NUMBER(6) PRIMARY KEY, TP_ID NUMBER(6) NOT NULL REFERENCES TP (ID))"_s,
    u"CREATE TABLE UP (ID NUMBER(6) PRIMARY KEY, CODE NUMBER(6) UNIQUE, CONSTRAINT UP_CK CHECK (MOD(CODE, 2) = 0))"_s,
    u"CREATE TABLE UC (ID NUMBER(6) PRIMARY KEY, CODE NUMBER(6) NOT NULL REFERENCES UP (CODE))"_s,
    u"CREATE TABLE EMPTY_PARENT (ID NUMBER(6) PRIMARY KEY)"_s,
    u"CREATE TABLE OF_EMPTY (ID NUMBER(6) PRIMARY KEY, E_ID NUMBER(6) NOT NULL REFERENCES EMPTY_PARENT)"_s,
    u"CREATE TABLE S1 (ID NUMBER(2) PRIMARY KEY)"_s,
    u"CREATE TABLE S2 (ID NUMBER(2) PRIMARY KEY)"_s,
    u"CREATE TABLE SJ (S1_ID NUMBER(2) REFERENCES S1, S2_ID NUMBER(2) REFERENCES S2, PRIMARY KEY (S1_ID, S2_ID))"_s,
    u"CREATE TABLE NARROW_PER (ID NUMBER(8) PRIMARY KEY, PARENT_ID NUMBER(2) REFERENCES PARENT)"_s,
    u"CREATE TABLE IDP (ID NUMBER(6) GENERATED ALWAYS AS IDENTITY (START WITH 100 INCREMENT BY 5) PRIMARY KEY, "
    "NAME VARCHAR2(10))"_s,
    u"CREATE TABLE IDC (ID NUMBER(6) PRIMARY KEY, IDP_ID NUMBER(6) NOT NULL REFERENCES IDP)"_s,
    u"CREATE TABLE FEW (ID NUMBER(6) PRIMARY KEY, CODE VARCHAR2(1) NOT NULL UNIQUE)"_s,
    u"CREATE TABLE OF_FEW (ID NUMBER(6) PRIMARY KEY, FEW_ID NUMBER(6) NOT NULL REFERENCES FEW)"_s};

// A parent whose rows the database mostly refuses: two codes for many rows.
const QByteArray FewRules = R"({"kova-rules": 1, "table": "FEW", "columns": [
  {"column": "ID", "kind": "sequence", "start": 1, "step": 1},
  {"column": "CODE", "kind": "list", "values": ["a", "b"]}]})";
// Parents whose keys have two digits.
const QByteArray TwoDigitParents = R"({"kova-rules": 1, "table": "PARENT", "columns": [
  {"column": "ID", "kind": "sequence", "start": 10, "step": 1}]})";
// A foreign key a rule file names, over a parent already filled.
const QByteArray ChildRules = R"({"kova-rules": 1, "table": "CHILD", "columns": [
  {"column": "ID", "kind": "sequence", "start": 1, "step": 1},
  {"column": "PARENT_ID", "kind": "select", "sql": "SELECT ID FROM PARENT ORDER BY ID",
   "parent": {"table": "PARENT", "column": "ID"}}]})";

struct Tool {
    explicit Tool(const QStringList& statements = Schema) : db(statements) {}

    QString file(const QString& name, const QByteArray& json) const
    {
        const QString path = db.dir.filePath(name);
        WriteFile(path, json);
        return path;
    }

    int run(const QStringList& args, const QString& login = {})
    {
        out.clear();
        err.clear();
        QString error;
        auto parsed = kovagenerate::ParseArguments(
            QStringList{login.isEmpty() ? u"scott/tiger@"_s + db.db.path : login} + args, &error);
        if (!parsed) {
            err = error;
            return -1;
        }
        parsed->program = QCoreApplication::applicationDirPath() + u"/kova-generate"_s;
        QTextStream o(&out), e(&err);
        return kovagenerate::Run(*parsed, o, e, false);
    }

    EngineDb db;
    QString out;
    QString err;
};

// The data lines of a CSV file (its heading left out).
QByteArray DataLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "(missing " + path.toUtf8() + ')';
    QByteArray text = file.readAll();
    return text.mid(text.indexOf('\n') + 1);
}

}  // namespace

class tst_ForeignKeys : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { ResetProgramState(); }
    void cleanup() { ReleaseSession(); }

    // Each run's status, then what the query says of the rows it made.
    void drawsFromEveryParentRow_data()
    {
        QTest::addColumn<QStringList>("first");  // a run before, to fill parents; empty for none
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("said");  // on the error stream
        const QString spread = u"SELECT COUNT(*), CASE WHEN COUNT(DISTINCT PARENT_ID) > 500 THEN 'spread' END FROM CHILD"_s;
        QTest::newRow("parents made by the same job")
            << QStringList() << QStringList{u"--auto"_s, u"CHILD"_s, u"PARENT"_s, u"--rows"_s, u"1000"_s}
            << kovagenerate::AllCreated << spread << u"1000,spread"_s << QString();
        QTest::newRow("parents already in the table")
            << QStringList{u"--auto"_s, u"PARENT"_s, u"--rows"_s, u"1000"_s}
            << QStringList{u"--auto"_s, u"CHILD"_s, u"--rows"_s, u"1000"_s} << kovagenerate::AllCreated << spread
            << u"1000,spread"_s << QString();
        QTest::newRow("unseeded, parents made by the same job")
            << QStringList() << QStringList{u"--auto"_s, u"CHILD"_s, u"PARENT"_s, u"--rows"_s, u"1000"_s}
            << kovagenerate::AllCreated << spread << u"1000,spread"_s << QString();
        QTest::newRow("a rule file's foreign key")
            << QStringList{u"--auto"_s, u"PARENT"_s, u"--rows"_s, u"1000"_s}
            << QStringList{u"child.json"_s, u"--rows"_s, u"1000"_s} << kovagenerate::AllCreated << spread
            << u"1000,spread"_s << QString();
        QTest::newRow("a narrower foreign key")
            << QStringList() << QStringList{u"--auto"_s, u"PARENT"_s, u"NARROW"_s, u"--rows"_s, u"300"_s}
            << kovagenerate::AllCreated << u"SELECT COUNT(*), MAX(PARENT_ID) < 100 FROM NARROW"_s << u"300,1"_s << QString();
        QTest::newRow("a junction table over many parents")
            << QStringList() << QStringList{u"--auto"_s, u"PT"_s, u"PL"_s, u"TR"_s, u"--rows"_s, u"1000"_s}
            << kovagenerate::AllCreated
            << u"SELECT COUNT(*), COUNT(DISTINCT PL_ID) > 500, COUNT(DISTINCT TR_ID) > 500 FROM PT"_s << u"1000,1,1"_s << QString();
        QTest::newRow("refused parent rows are not drawn")
            << QStringList() << QStringList{u"--seed"_s, u"3"_s, u"few.json"_s, u"of_few.json"_s, u"--rows"_s, u"40"_s}
            << kovagenerate::SomeRefused
            << u"SELECT (SELECT COUNT(*) FROM FEW), COUNT(*), COUNT(DISTINCT FEW_ID) FROM OF_FEW"_s << u"2,40,2"_s << QString();
        QTest::newRow("no parent key fits")
            << QStringList{u"parents.json"_s, u"--rows"_s, u"20"_s}
            << QStringList{u"--auto"_s, u"ONE_DIGIT"_s, u"--rows"_s, u"5"_s} << kovagenerate::Stopped
            << u"SELECT COUNT(*) FROM ONE_DIGIT"_s << u"0"_s
            << u"ONE_DIGIT.PARENT_ID NUMBER(1): none of the keys of PARENT fits the column; 5 rows are asked"_s;
        QTest::newRow("a parent key given as SQL")
            << QStringList() << QStringList{u"sql_key.json"_s} << kovagenerate::AllCreated
            << u"SELECT COUNT(*), COUNT(DISTINCT P) FROM PC WHERE P IN (SELECT ID FROM PP)"_s << u"100,20"_s << QString();
        QTest::newRow("keys a trigger gives, in files")
            << QStringList() << QStringList{u"--auto"_s, u"TP"_s, u"TC"_s, u"--rows"_s, u"5"_s, u"--out"_s, u"tc.sql"_s}
            << kovagenerate::Stopped << u"SELECT COUNT(*) FROM TC"_s << u"0"_s
            << u"TC.TP_ID: the keys of TP are given by the database as the files are loaded"_s;
        QTest::newRow("a parent whose keys are left NULL")
            << QStringList() << QStringList{u"--auto"_s, u"UP"_s, u"UC"_s, u"--rows"_s, u"10"_s} << kovagenerate::Stopped
            << u"SELECT COUNT(*) FROM UC"_s << u"0"_s << u"UC.CODE: its parent UP gets no key"_s;
        QTest::newRow("a parent without rows")
            << QStringList() << QStringList{u"--auto"_s, u"OF_EMPTY"_s, u"--rows"_s, u"10"_s} << kovagenerate::Stopped
            << u"SELECT COUNT(*) FROM OF_EMPTY"_s << u"0"_s << u"OF_EMPTY.E_ID: its parent EMPTY_PARENT holds no row"_s;
        QTest::newRow("files count the combinations the table holds")
            << QStringList{u"--auto"_s, u"S1"_s, u"S2"_s, u"SJ"_s, u"--rows"_s, u"5"_s}
            << QStringList{u"--auto"_s, u"SJ"_s, u"--rows"_s, u"21"_s, u"--out"_s, u"sj.sql"_s} << kovagenerate::Stopped
            << u"SELECT COUNT(*) FROM SJ"_s << u"5"_s << u"SJ: its key of foreign keys has 20 combinations"_s;
        QTest::newRow("rows per parent row whose keys do not fit")
            << QStringList() << QStringList{u"narrow_per.json"_s} << kovagenerate::Stopped
            << u"SELECT COUNT(*) FROM NARROW_PER"_s << u"0"_s
            << u"NARROW_PER.PARENT_ID NUMBER(2): 201 of the 300 keys of PARENT do not fit the column"_s;
    }
    void drawsFromEveryParentRow()
    {
        QFETCH(QStringList, first);
        QFETCH(QStringList, args);
        Tool tool;
        tool.file(u"child.json"_s, ChildRules);
        tool.file(u"few.json"_s, FewRules);
        tool.file(u"parents.json"_s, TwoDigitParents);
        tool.file(u"pp.json"_s, R"({"kova-rules": 1, "table": "PP", "rows": 20, "columns": [
            {"column": "ID", "kind": "fixed", "value": "@'P' || SQ2.NEXTVAL"}]})");
        tool.file(u"sql_key.json"_s, R"({"kova-project": 1, "seed": 3, "tables": [{"rules": "pp.json", "rows": 20},
            {"table": "PC", "rules": "auto", "rows": 100}]})");
        tool.file(u"narrow_per.json"_s, R"({"kova-project": 1, "seed": 3, "tables": [
            {"table": "PARENT", "rules": "auto", "rows": 300},
            {"table": "NARROW_PER", "rules": "auto", "per-parent": {"table": "PARENT", "min": 0, "max": 3}}]})");
        tool.file(u"of_few.json"_s,
                  R"({"kova-rules": 1, "table": "OF_FEW", "columns": [
                      {"column": "ID", "kind": "sequence", "start": 1, "step": 1},
                      {"column": "FEW_ID", "kind": "select", "sql": "SELECT ID FROM FEW",
                       "parent": {"table": "FEW", "column": "ID"}}]})");
        QDir::setCurrent(tool.db.dir.path());
        if (!first.isEmpty())
            QCOMPARE(tool.run(first), kovagenerate::AllCreated);
        // (A run without a seed keeps the parent's keys as they are made.)
        const bool seeded = !QByteArray(QTest::currentDataTag()).startsWith("unseeded");
        QTEST(tool.run(seeded ? args + QStringList{u"--seed"_s, u"5"_s} : args), "status");
        // No table refuses a row but the parent made to be refused.
        static const QRegularExpression refusing(u"^(?!FEW:).*created, [1-9]"_s, QRegularExpression::MultilineOption);
        QVERIFY2(!refusing.match(tool.out).hasMatch(), qPrintable(tool.out + tool.err));
        QFETCH(QString, query);
        QTEST(tool.db.text(query), "expected");
        QFETCH(QString, said);
        QVERIFY2(tool.err.contains(said), qPrintable(tool.err));
    }

    // What --preview prints is what the run then writes, foreign keys of
    // parents made by the same job included: drawn from all the parent's
    // rows, not the few the preview shows.
    void previewShowsTheRunsKeys()
    {
        Tool tool;
        const QStringList job{u"--auto"_s, u"PARENT"_s, u"CHILD"_s, u"--rows"_s, u"200"_s, u"--seed"_s, u"8"_s};
        QCOMPARE(tool.run(job + QStringList{u"--preview"_s, u"5"_s}), kovagenerate::AllCreated);
        const QStringList preview = tool.out.split(u'\n').filter(u"Insert into CHILD"_s);
        QCOMPARE(preview.size(), 5);
        QVERIFY2(!tool.out.contains(u"NULL"_s), qPrintable(tool.out));
        QCOMPARE(tool.run(job), kovagenerate::AllCreated);
        QStringList written;
        for (const QStringList& row : tool.db.rows(u"SELECT ID, PARENT_ID FROM CHILD WHERE ID <= 5 ORDER BY ID"_s))
            written << u"Insert into CHILD Values(  %1 , %2 ) "_s.arg(row[0], row[1]);
        QCOMPARE(preview, written);
    }

    // A cycle broken by a key that may be NULL (STAFF.STORE_ID), set by an
    // UPDATE once the stores exist, and a cycle of NOT NULL keys drawn from
    // rows made after theirs, checked at the commit: every key refers to a
    // row, into the engine and through CSV into the server.
    void cyclesGetTheirKeys()
    {
        const QStringList cycles{
            u"CREATE TABLE STAFF (ID NUMBER(6) PRIMARY KEY, STORE_ID NUMBER(4))"_s,
            u"CREATE TABLE STORE (ID NUMBER(4) PRIMARY KEY, MANAGER_ID NUMBER(6) NOT NULL REFERENCES STAFF (ID))"_s,
            u"ALTER TABLE STAFF ADD CONSTRAINT STAFF_STORE_FK FOREIGN KEY (STORE_ID) REFERENCES STORE (ID)"_s,
            u"CREATE TABLE X (ID NUMBER(4) PRIMARY KEY, Y_ID NUMBER(4) NOT NULL)"_s,
            u"CREATE TABLE Y (ID NUMBER(4) PRIMARY KEY, X_ID NUMBER(4) NOT NULL, "
            "CONSTRAINT Y_X_FK FOREIGN KEY (X_ID) REFERENCES X (ID) DEFERRABLE)"_s,
            u"ALTER TABLE X ADD CONSTRAINT X_Y_FK FOREIGN KEY (Y_ID) REFERENCES Y (ID) DEFERRABLE"_s};
        const QString joined = u"SELECT COUNT(*), COUNT(STORE_ID), (SELECT COUNT(*) FROM STAFF s JOIN STORE t ON "
                               "t.ID = s.STORE_ID), (SELECT COUNT(*) FROM X JOIN Y ON Y.ID = X.Y_ID), (SELECT "
                               "COUNT(*) FROM Y JOIN X ON X.ID = Y.X_ID) FROM STAFF"_s;
        Tool tool(cycles);
        const QStringList job{u"--auto"_s, u"X"_s, u"STORE"_s, u"Y"_s, u"STAFF"_s, u"--rows"_s, u"50"_s};
        QCOMPARE(tool.run(job), kovagenerate::AllCreated);
        QVERIFY2(tool.err.contains(u"the job uses --seed"_s), qPrintable(tool.err));
        QCOMPARE(tool.db.text(joined), u"50,50,50,50,50"_s);
        if (!Server())
            return;
        const TestDatabase server = OpenServerDatabase(cycles);
        const ServerSettings settings = *Server();
        const QString csv = tool.db.dir.filePath(u"csv"_s);
        QCOMPARE(tool.run(job + QStringList{u"--seed"_s, u"2"_s, u"--format"_s, u"csv"_s, u"--out"_s, csv},
                          settings.user + u'/' + settings.password + u"@DSN="_s + settings.dsn + u";Database="_s
                              + server.path),
                 kovagenerate::AllCreated);
        QCOMPARE(Psql(server.path, {u"-f"_s, u"load-postgresql.sql"_s}, csv), QString());
        QCOMPARE(RowsText(QueryRows(*server.database, joined)), u"50,50,50,50,50"_s);
        // Streamed: in one session with the keys checked at the commit; in two
        // jobs, which commit table by table, keys set later but none deferred.
        const QString login = settings.user + u'/' + settings.password + u"@DSN="_s + settings.dsn + u";Database="_s + server.path;
        const QString empty = u"TRUNCATE x, y, staff, store CASCADE"_s;
        QCOMPARE(Psql(server.path, {u"-c"_s, empty}), QString());
        QCOMPARE(tool.run(job + QStringList{u"--seed"_s, u"2"_s, u"--load"_s}, login), kovagenerate::AllCreated);
        QCOMPARE(RowsText(QueryRows(*server.database, joined)), u"50,50,50,50,50"_s);
        QCOMPARE(Psql(server.path, {u"-c"_s, empty}), QString());
        QCOMPARE(tool.run(job + QStringList{u"--load"_s, u"--jobs"_s, u"2"_s}, login), kovagenerate::Stopped);
        QVERIFY2(tool.err.contains(u"load with one job"_s), qPrintable(tool.err));
        QCOMPARE(tool.run({u"--auto"_s, u"STORE"_s, u"STAFF"_s, u"--rows"_s, u"50"_s, u"--load"_s, u"--jobs"_s, u"2"_s}, login),
                 kovagenerate::AllCreated);
        QCOMPARE(RowsText(QueryRows(*server.database, u"SELECT COUNT(*), COUNT(STORE_ID) FROM STAFF"_s)), u"50,50"_s);
    }

    // Files of a child of an identity take the keys the identity's sequence
    // gives next, as the database gives them when the files are loaded.
    void identityKeysInFiles()
    {
        Tool tool;
        const QString script = tool.db.dir.filePath(u"idc.sql"_s);
        QCOMPARE(tool.run({u"--auto"_s, u"IDP"_s, u"IDC"_s, u"--rows"_s, u"5"_s, u"--seed"_s, u"1"_s, u"--out"_s, script}),
                 kovagenerate::AllCreated);
        QFile file(script);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        static const QRegularExpression child(u"Insert into IDC Values\\(  \\d+ , (\\d+) \\)"_s);
        QStringList keys;
        for (auto match = child.globalMatch(text); match.hasNext();)
            keys << match.next().captured(1);
        QCOMPARE(keys.size(), 5);
        for (const QString& key : keys)
            QVERIFY2(QStringList({u"100"_s, u"105"_s, u"110"_s, u"115"_s, u"120"_s}).contains(key), qPrintable(text));
    }

    // A chain of three tables written as CSV in three slices: each slice's
    // data lines follow the whole run's, and the one loader every slice
    // writes loads them all into the server, parents first.
    void slicesLoadIntoTheServer()
    {
        KOVA_NEED_SERVER();
        const QStringList chain{u"CREATE TABLE A (ID NUMBER(6) PRIMARY KEY, NAME VARCHAR2(10))"_s,
                                u"CREATE TABLE B (ID NUMBER(8) PRIMARY KEY, A_ID NUMBER(6) NOT NULL REFERENCES A)"_s,
                                u"CREATE TABLE C (ID NUMBER(8) PRIMARY KEY, B_ID NUMBER(8) NOT NULL REFERENCES B, "
                                "A_ID NUMBER(6) REFERENCES A)"_s};
        const TestDatabase server = OpenServerDatabase(chain);
        const ServerSettings settings = *Server();
        const QString login =
            settings.user + u'/' + settings.password + u"@DSN="_s + settings.dsn + u";Database="_s + server.path;
        Tool tool;
        const QString whole = tool.db.dir.filePath(u"whole"_s);
        const QString slices = tool.db.dir.filePath(u"slices"_s);
        const QStringList job{u"--auto"_s, u"C"_s, u"B"_s, u"A"_s, u"--rows"_s, u"700"_s, u"--seed"_s, u"4"_s,
                              u"--format"_s, u"csv"_s, u"--out"_s};
        QCOMPARE(tool.run(job + QStringList{whole}, login), kovagenerate::AllCreated);
        for (int k = 1; k <= 3; ++k)
            QCOMPARE(tool.run(job + QStringList{slices, u"--shard"_s, u"%1/3"_s.arg(k)}, login),
                     kovagenerate::AllCreated);
        for (const QString& table : {u"A"_s, u"B"_s, u"C"_s}) {
            QByteArray joined;
            for (int k = 1; k <= 3; ++k)
                joined += DataLines(slices + u"/%1.%2-of-3.csv"_s.arg(table).arg(k));
            QCOMPARE(joined, DataLines(whole + u'/' + table + u".csv"_s));
        }
        QCOMPARE(Psql(server.path, {u"-f"_s, u"load-postgresql.sql"_s}, slices), QString());
        QCOMPARE(RowsText(QueryRows(*server.database,
                                    u"SELECT (SELECT COUNT(*) FROM A), (SELECT COUNT(*) FROM B), COUNT(*), "
                                    "COUNT(A_ID) FROM C"_s)),
                 u"700,700,700,700"_s);
    }
};

QTEST_GUILESS_MAIN(tst_ForeignKeys)
#include "tst_ForeignKeys.moc"
