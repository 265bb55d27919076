// label: engine
// The program against a real server that misbehaves: logins that must fail,
// the server stopped in the middle of a creation run, a second session reading
// during a run, and a duplicate key in the middle of a run.
#include "browser/ColumnGrid.h"
#include "controls/GridModel.h"
#include "generate/CreationRun.h"
#include "rules/ColumnRule.h"
#include "session/LoginProcedure.h"
#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "session/OraSession.h"
#include "support/ServerSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;

class tst_ServerReliability : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void login_data();
    void login();
    void loginToAStoppedServer();
    void serverStoppedMidRun();
    void secondSessionSeesRowsOnlyAfterCommit();
    void duplicateKeyIsCountedAndTheRunGoesOn();

private:
    // A fresh server database with table T (ID key, NAME), loaded as the
    // chosen table with ID as a sequence from 1 and NAME fixed.
    void openTable(const QStringList& extra = {});
    QString count(OraDatabase& database) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    kovatest::TestDatabase m_db;
    controls::GridModel m_grid;
};

void tst_ServerReliability::init()
{
    KOVA_NEED_SERVER();
    basKovaData::ResetForTests();
    basKovaData::ResetColumnRules();
    m_dir = std::make_unique<QTemporaryDir>();
    basKovaData::AppDirectory = m_dir->path() + u"/"_s;
}

void tst_ServerReliability::cleanup()
{
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    m_db = {};
    m_dir.reset();
}

void tst_ServerReliability::openTable(const QStringList& extra)
{
    m_db = kovatest::OpenServerDatabase(QStringList{u"CREATE TABLE T (ID NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20))"_s}
                                        + extra);
    basKovaData::OraSession = m_db.session;
    basKovaData::OraDatabase = m_db.database;
    basKovaData::ChosenTable = u"T"_s;
    QCOMPARE(browser::FillColumnGrid(m_db.database.get(), m_grid, u"T"_s, true).outcome,
             browser::ColumnGridResult::Outcome::Loaded);
    ColumnRules[1].RuleKind = u"3"_s;
    ColumnRules[1].NumValue = {1, 1};
    ColumnRules[2].RuleKind = u"0"_s;
    ColumnRules[2].TextValue[0] = u"row"_s;
}

QString tst_ServerReliability::count(OraDatabase& database) const
{
    return kovatest::QueryRows(database, u"SELECT COUNT(*) FROM T"_s).value(0).value(0);
}

void tst_ServerReliability::login_data()
{
    const kovatest::ServerSettings server = kovatest::Server().value_or(kovatest::ServerSettings{});
    QTest::addColumn<QString>("service");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("connected");
    QTest::newRow("right password") << server.dsn << server.password << true;
    QTest::newRow("wrong password") << server.dsn << server.password + u"x"_s << false;
    QTest::newRow("unknown data source") << u"no_such_dsn"_s << server.password << false;
}

void tst_ServerReliability::login()
{
    QFETCH(QString, service);
    QFETCH(QString, password);
    QFETCH(bool, connected);
    LoginProcedure procedure;
    procedure.load();
    const LoginProcedure::Outcome outcome = procedure.connect(service, kovatest::Server()->user, password, true);
    QCOMPARE(outcome.connected, connected);
    QCOMPARE(basKovaData::OraDatabase != nullptr, connected);
    // Only a login that worked is written to the connection file.
    QCOMPARE(outcome.saved, connected);
}

void tst_ServerReliability::loginToAStoppedServer()
{
    QVERIFY(kovatest::ControlServer(u"stop"_s));
    const kovatest::ServerSettings server = *kovatest::Server();
    LoginProcedure procedure;
    procedure.load();
    const bool connected = procedure.connect(server.dsn, server.user, server.password, false).connected;
    QVERIFY(kovatest::ControlServer(u"start"_s));
    QVERIFY(!connected);
    QVERIFY(procedure.connect(server.dsn, server.user, server.password, false).connected);
}

void tst_ServerReliability::serverStoppedMidRun()
{
    openTable();
    const qint32 rows = 100000;
    bool stopped = false;
    generate::CreationHooks hooks;
    hooks.progress = [&stopped](int twips) {
        if (!stopped && twips >= generate::ProgressFullTwips / 4)
            stopped = kovatest::ControlServer(u"stop"_s);
    };
    const generate::CreationResult result = generate::GenerateRows(u"T"_s, rows, hooks);
    QVERIFY(kovatest::ControlServer(u"start"_s));
    QVERIFY(stopped);
    // Reported as a failure, not as 75,000 duplicates followed by a commit.
    QVERIFY(result.aborted);
    QVERIFY(result.connectionLost);
    QCOMPARE(result.failures, 0);
    QVERIFY(basKovaData::OraDatabase->ConnectionLost());

    OraSession again;
    const auto database = again.DbOpenDatabase(u"DSN="_s + kovatest::Server()->dsn + u";Database="_s + m_db.path,
                                               kovatest::Server()->user + u"/"_s + kovatest::Server()->password);
    QCOMPARE(count(*database), u"0"_s);
}

void tst_ServerReliability::secondSessionSeesRowsOnlyAfterCommit()
{
    openTable();
    OraSession reader;
    const auto database = reader.DbOpenDatabase(u"DSN="_s + kovatest::Server()->dsn + u";Database="_s + m_db.path,
                                                kovatest::Server()->user + u"/"_s + kovatest::Server()->password);
    QStringList seen;
    generate::CreationHooks hooks;
    hooks.progress = [&](int) { seen.append(count(*database)); };
    const generate::CreationResult result = generate::GenerateRows(u"T"_s, 500, hooks);
    QVERIFY(!result.aborted);
    QCOMPARE(seen.size(), 11);  // every 50 rows, and the full bar after the commit
    QCOMPARE(seen.mid(0, 10), QStringList(10, u"0"_s));
    QCOMPARE(seen.last(), u"500"_s);
}

void tst_ServerReliability::duplicateKeyIsCountedAndTheRunGoesOn()
{
    openTable({u"INSERT INTO T VALUES (5, 'old')"_s, u"INSERT INTO T VALUES (17, 'old')"_s,
               u"INSERT INTO T VALUES (30, 'old')"_s});
    qint32 reported = 0;
    generate::CreationHooks hooks;
    hooks.failuresFound = [&reported](qint32 failures) { reported = failures; };
    const generate::CreationResult result = generate::GenerateRows(u"T"_s, 30, hooks);
    QVERIFY(!result.aborted);
    QCOMPARE(result.failures, 3);
    QCOMPARE(reported, 3);
    // The rows around the failures are committed; the old rows stay as they were.
    QCOMPARE(count(*m_db.database), u"30"_s);
    QCOMPARE(kovatest::QueryRows(*m_db.database, u"SELECT COUNT(*) FROM T WHERE NAME = 'old'"_s),
             QList<QStringList>{{u"3"_s}});
}

QTEST_GUILESS_MAIN(tst_ServerReliability)
#include "tst_ServerReliability.moc"
