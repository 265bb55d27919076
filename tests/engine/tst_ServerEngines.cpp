// label: engine
// The windows' statements on both engines, the embedded one and a PostgreSQL
// server over ODBC; then a server that misbehaves: failed logins, a server
// stopped in a creation run, a second session reading, duplicate keys.
#include "browser/AutoRules.h"
#include "browser/ColumnGrid.h"
#include "browser/ObjectList.h"
#include "controls/GridModel.h"
#include "diag/SqlHistoryQuery.h"
#include "diag/TableInformation.h"
#include "diag/ViewDefinition.h"
#include "generate/CreationRun.h"
#include "maintain/DeleteRun.h"
#include "maintain/UpdateRun.h"
#include "maintain/ViewerQuery.h"
#include "rules/ColumnRule.h"
#include "rules/RuleEditing.h"
#include "session/LoginProcedure.h"
#include "session/OraAccess.h"
#include "shared/RandomSequence.h"
#include "support/EngineSupport.h"
#include "support/ServerSupport.h"

#include "../../bench/DelayProxy.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>

#include <dlfcn.h>
#include <sql.h>
#include <sqlext.h>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;
using namespace kovatest;

namespace {

// The parameter whose binding the driver manager refuses; 0 for none.
std::atomic<int> g_refusedBind{0};

}  // namespace

// Stands in front of the driver manager's SQLBindParameter (the program's
// calls resolve to the test's definition first). The refused parameter gets a
// C type that the driver manager rejects with its own diagnostics.
extern "C" SQLRETURN SQL_API SQLBindParameter(SQLHSTMT statement, SQLUSMALLINT number, SQLSMALLINT direction,
                                              SQLSMALLINT cType, SQLSMALLINT sqlType, SQLULEN size,
                                              SQLSMALLINT digits, SQLPOINTER value, SQLLEN bufferLength,
                                              SQLLEN* lengths)
{
    static const auto driverManager = reinterpret_cast<decltype(&SQLBindParameter)>(dlsym(RTLD_NEXT, "SQLBindParameter"));
    if (number == g_refusedBind)
        cType = -9999;
    return driverManager(statement, number, direction, cType, sqlType, size, digits, value, bufferLength, lengths);
}

namespace {

const QStringList Schema = {
    u"CREATE TABLE ITEM (CODE CHAR(6) PRIMARY KEY, NAME VARCHAR2(40) NOT NULL, PRICE NUMBER(10,2), ADDED DATE)"_s,
    u"CREATE TABLE ORDERS (ORDER_NO NUMBER(8), LINE_NO NUMBER(4), CODE CHAR(6) NOT NULL, QTY NUMBER(7,2), ORDERED DATE,"
    " NOTE VARCHAR2(200), PRIMARY KEY (ORDER_NO, LINE_NO))"_s,
    u"CREATE VIEW ORDER_LIST AS SELECT O.ORDER_NO, I.NAME, O.QTY * I.PRICE AS AMOUNT"
    " FROM ORDERS O, ITEM I WHERE O.CODE = I.CODE"_s,
    u"INSERT INTO ITEM VALUES ('A00001', 'pen', 120, TO_DATE('20011201 085959','YYYYMMDD HH24MISS'))"_s,
    u"INSERT INTO ITEM VALUES ('A00002', 'ink', 98.5, NULL)"_s,
    u"INSERT INTO ITEM VALUES ('A00003', 'pad', NULL, TO_DATE('20011224','YYYYMMDD'))"_s,
    u"CREATE TABLE SRC (V VARCHAR2(10))"_s, u"INSERT INTO SRC VALUES ('b')"_s, u"INSERT INTO SRC VALUES ('a')"_s};

void SetRule(int column, const QString& kind, const QList<double>& numbers, const QStringList& texts = {},
             const QList<int>& slotsOn = {})
{
    basKovaData::ColumnRule& rule = ColumnRules[std::size_t(column)];
    rule.clearRule();
    rule.RuleKind = kind;
    std::copy(numbers.begin(), numbers.end(), rule.NumValue.begin());
    std::copy(texts.begin(), texts.end(), rule.TextValue.begin());
    for (int slot : slotsOn)
        rule.MultiOn[std::size_t(slot)] = true;
}

// A grid column's texts below the heading, trimmed and joined by ",".
QString Column(const controls::GridModel& grid, int col)
{
    QStringList texts;
    for (int row = 1; row < grid.Rows(); ++row)
        texts.append(grid.TextMatrix(row, col).trimmed());
    return texts.join(u',');
}

// The text in column `col` of the first row whose column `key` holds `text`.
QString Lookup(const controls::GridModel& grid, int key, const QString& text, int col)
{
    for (int row = 1; row < grid.Rows(); ++row)
        if (grid.TextMatrix(row, key).contains(text))
            return grid.TextMatrix(row, col);
    return u"(none)"_s;
}

}  // namespace

class tst_ServerEngines : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    TestDatabase m_db;
    controls::GridModel m_grid;

    // Opens the server or the embedded engine with `statements` and loads
    // `table`, the chosen table, into the grid.
    bool open(bool server, const QStringList& statements, const QString& table)
    {
        cleanup();
        m_dir = std::make_unique<QTemporaryDir>();
        m_db = OpenEngineDatabase(server ? u"postgres"_s : u"embedded"_s, *m_dir, statements);
        basKovaData::OraSession = m_db.session;
        basKovaData::OraDatabase = m_db.database;
        basKovaData::ChosenTable = table;
        return browser::FillColumnGrid(m_db.database.get(), m_grid, table, true).outcome
               == browser::ColumnGridResult::Outcome::Loaded;
    }

    // The test's database in a second session; through `relay` when given.
    std::shared_ptr<OraDatabase> openAgain(OraSession& session, const DelayProxy* relay = nullptr) const
    {
        const ServerSettings server = *Server();
        const QString through = relay ? u";Servername=127.0.0.1;Port=%1"_s.arg(relay->port()) : QString();
        return session.DbOpenDatabase(u"DSN="_s + server.dsn + through + u";Database="_s + m_db.path,
                                      server.user + u"/"_s + server.password);
    }

    // Makes the program's session one through a relay that counts the
    // exchanges with the server.
    std::unique_ptr<DelayProxy> sessionThroughRelay()
    {
        auto relay = std::make_unique<DelayProxy>(qEnvironmentVariableIntValue("KOVA_PG_PORT"), std::chrono::microseconds(0));
        basKovaData::OraSession = std::make_shared<OraSession>();
        basKovaData::OraDatabase = openAgain(*basKovaData::OraSession, relay.get());
        return relay;
    }

private Q_SLOTS:
    void init()
    {
        kovatest::ResetProgramState();
    }

    void cleanup()
    {
        kovatest::ReleaseSession();
        m_db = {};
        m_dir.reset();
    }

    void windowsStatements_data()
    {
        QTest::addColumn<bool>("server");
        QTest::newRow("embedded") << false;
        QTest::newRow("postgres") << true;
    }
    void checkConstraints_data() { windowsStatements_data(); }
    void identityColumn_data()
    {
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("type");  // PostgreSQL numbers identities only in whole-number types
        QTest::newRow("embedded") << false << u"NUMBER(6)"_s;
        QTest::newRow("postgres") << true << u"INTEGER"_s;
    }

    void windowsStatements()
    {
        QFETCH(bool, server);
        if (server)
            KOVA_NEED_SERVER();
        QStringList rows;
        for (int i = 1; i <= 4; ++i)
            rows << u"INSERT INTO ORDERS VALUES (%1, 1, 'A0000%2', %3, TO_DATE('2001120%1 120000','YYYYMMDD HH24MISS'), %4)"_s
                        .arg(i).arg(i % 3 + 1).arg(i * 10).arg(i == 2 ? u"NULL"_s : u"'n%1'"_s.arg(i));
        QVERIFY(open(server, Schema + rows, u"ORDERS"_s));
        browser::ObjectList list;
        browser::LoadObjectList(*m_db.database, list);
        QStringList tables = list.names.mid(0, list.firstViewIndex - 1);
        tables.sort();
        QCOMPARE(tables + list.names.mid(list.firstViewIndex - 1), (QStringList{u"ITEM"_s, u"ORDERS"_s, u"SRC"_s, u"ORDER_LIST"_s}));
        QCOMPARE(Column(m_grid, 0), u"ORDER_NO,LINE_NO,CODE,QTY,ORDERED,NOTE"_s);
        // PostgreSQL's CHAR counts characters, its VARCHAR2 (orafce's) bytes.
        QCOMPARE(Column(m_grid, 1), u"NUMBER(8),NUMBER(4),CHAR(6%1),NUMBER(7.2),DATE(),VARCHAR2(200)"_s.arg(server ? u" CHAR"_s : QString()));
        QCOMPARE(Column(m_grid, 2) + u"|"_s + Column(m_grid, 3), u"KEY,KEY,,,,|NN,NN,NN,,,"_s);
        QCOMPARE(ColumnRules[1].Length, qint16(8));
        const diag::ViewText view = diag::LoadViewText(m_db.database.get(), u"ORDER_LIST"_s);
        QVERIFY2(view.error == 0 && view.found && view.text.contains(u"qty"_s, Qt::CaseInsensitive), qPrintable(view.text));

        // The viewer; an update set-based (every set column fixed) and row by
        // row (a sequence); deletes.
        controls::GridModel viewer;
        maintain::PrepareViewerGrid(viewer, &m_grid);
        maintain::ViewerRunResult shown = maintain::RunViewerQuery(m_db.database.get(), viewer, &m_grid, u"order by ORDER_NO desc"_s);
        QCOMPARE(shown.messageLine.value_or(QString()), u"データ 4件"_s);
        QCOMPARE(Column(viewer, 0) + u"|"_s + Column(viewer, 5), u"4,3,2,1|n4,n3,[NULL],n1"_s);
        QCOMPARE(viewer.TextMatrix(1, 4), u"2001/12/04 12:00:00"_s);
        QCOMPARE(maintain::RunViewerQuery(m_db.database.get(), viewer, &m_grid, u"QTY >"_s).errorNumber, 440);
        SetRule(4, u"0"_s, {99});
        maintain::UpdateResult updated = maintain::UpdateRows(basKovaData::TableRules::FromShared(u"ORDERS"_s), u"ORDER_NO > 2"_s);
        QVERIFY(updated.setBased && updated.errors == 0);
        ColumnRules[4].clearRule();
        SetRule(6, u"3"_s, {1, 1}, {}, {1, 2});  // left-aligned
        updated = maintain::UpdateRows(basKovaData::TableRules::FromShared(u"ORDERS"_s), u"ORDER_NO <= 3"_s);
        QVERIFY(updated.outcome == maintain::UpdateOutcome::Done && !updated.setBased && updated.rows == 3);
        QCOMPARE(RowsText(QueryRows(*m_db.database, u"SELECT QTY, NOTE FROM ORDERS ORDER BY ORDER_NO"_s)),
                 u"10,1;20,2;99,3;99,n4"_s);
        QCOMPARE(maintain::DeleteRows(u"ORDERS"_s, u"QTY = 99\r\nAND NOTE = 'n4'"_s), maintain::DeleteOutcome::Deleted);
        QCOMPARE(maintain::DeleteRows(u"ORDERS"_s, u"NO_SUCH_COLUMN = 1"_s), maintain::DeleteOutcome::Failed);
        QCOMPARE(browser::CountRows(m_db.database.get(), u"ORDERS"_s), u"3"_s);
        QCOMPARE(maintain::DeleteRows(u"ORDERS"_s, u""_s), maintain::DeleteOutcome::Deleted);
        QCOMPARE(browser::CountRows(m_db.database.get(), u"ORDERS"_s), u"0"_s);

        // A creation run with every rule kind: ORDER_NO a sequence, LINE_NO
        // fixed, CODE a zero-filled sequence, QTY random 1..9, ORDERED a date
        // sequence, NOTE the values of a SELECT in turn; then a second run with
        // multiple fixed NOTE values and NULL dates, whose slots start again.
        SetRule(1, u"3"_s, {1001, 2});
        SetRule(2, u"0"_s, {7});
        SetRule(3, u"3"_s, {1, 1});
        SetRule(4, u"2"_s, {1, 9, 1});
        SetRule(5, u"3"_s, {}, {u"20011231 235959"_s, u"1"_s});
        SetRule(6, u"4"_s, {}, {u"SELECT V FROM SRC ORDER BY V"_s});
        QCOMPARE(generate::GenerateRows(basKovaData::TableRules::FromShared(u"ORDERS"_s), 5).failures, 0);
        ColumnRules[2].NumValue[0] = 8;
        SetRule(5, u"5"_s, {});
        SetRule(6, u"1"_s, {}, {u"it's"_s, u"x"_s, u"y"_s}, {0, 2});
        QCOMPARE(generate::GenerateRows(basKovaData::TableRules::FromShared(u"ORDERS"_s), 3).failures, 0);
        QCOMPARE(RowsText(QueryRows(*m_db.database, u"SELECT ORDER_NO, LINE_NO, CODE, CASE WHEN QTY BETWEEN 1 AND 9 THEN 'q' "
                                                    "END, ORDERED, NOTE FROM ORDERS ORDER BY LINE_NO, ORDER_NO"_s))
                     .split(u';'),
                 (QStringList{u"1001,7,000001,q,2001/12/31 23:59:59,a"_s, u"1003,7,000002,q,2002/01/01 23:59:59,b"_s,
                              u"1005,7,000003,q,2002/01/02 23:59:59,a"_s, u"1007,7,000004,q,2002/01/03 23:59:59,b"_s,
                              u"1009,7,000005,q,2002/01/04 23:59:59,a"_s, u"1001,8,000001,q,[NULL],it's"_s,
                              u"1003,8,000002,q,[NULL],y"_s, u"1005,8,000003,q,[NULL],it's"_s}));

        // Table information before and after ANALYZE: the heading and every field of USER_TABLES.
        controls::GridModel info;
        QCOMPARE(diag::FillTableInformation(m_db.database.get(), u"ITEM"_s, info), 0);
        QCOMPARE(info.Rows(), 45);
        QCOMPARE(Lookup(info, 0, u"TABLE_NAME"_s, 1) + Lookup(info, 0, u"LAST_ANALYZED"_s, 1), u"ITEM[NULL]"_s);
        QVERIFY(diag::AnalyzeTable(m_db.database.get(), u"ITEM"_s));
        QCOMPARE(diag::FillTableInformation(m_db.database.get(), u"ITEM"_s, info), 0);
        QCOMPARE(Lookup(info, 0, u"NUM_ROWS"_s, 1), u"3"_s);
        QVERIFY(Lookup(info, 0, u"LAST_ANALYZED"_s, 1) != u"[NULL]"_s);

        // The history shows a statement the program just sent, and its full text.
        QCOMPARE(browser::CountRows(m_db.database.get(), u"ITEM"_s), u"3"_s);
        controls::GridModel history;
        diag::PrepareSqlHistoryGrid(history);
        QCOMPARE(diag::RunSqlHistoryQuery(m_db.database.get(), history, diag::SqlHistoryOpeningCondition()).errorNumber, 0);
        const diag::SqlTextResult full =
            diag::FetchSqlText(m_db.database.get(), Lookup(history, 2, u"COUNT(*) CNT FROM ITEM"_s, 0));
        QVERIFY2(full.errorNumber == 0 && full.text.contains(u"CNT FROM ITEM"_s), qPrintable(Column(history, 2)));
    }

    // 自動設定 reads the CHECK constraints as each dictionary gives them (the
    // server its own rewriting of the conditions); the rows meet them.
    void checkConstraints()
    {
        QFETCH(bool, server);
        if (server)
            KOVA_NEED_SERVER();
        QVERIFY(open(server, {u"CREATE TABLE SHIPMENTS (SHIPMENT_ID NUMBER(8) PRIMARY KEY, SHIPMENT_STATUS VARCHAR2(12) "
                              "NOT NULL CONSTRAINT SHIPMENT_STATUS_C CHECK (shipment_status in ('CREATED', 'SHIPPED', "
                              "'IN-TRANSIT')), WEIGHT NUMBER(7,2) CHECK (WEIGHT > 0 AND weight <= 500), SENT DATE, "
                              "ARRIVED DATE, CONSTRAINT ARRIVAL_C CHECK (ARRIVED >= SENT), "
                              "CONSTRAINT NOTE_C CHECK (length(SHIPMENT_STATUS) > 1))"_s},
                     u"SHIPMENTS"_s));
        const browser::AutoRulesResult result = browser::ProposeRules(m_db.database.get(), u"SHIPMENTS"_s);
        QCOMPARE(result.unreadChecks.size(), 1);
        QVERIFY2(result.unreadChecks[0].startsWith(u"NOTE_C: "_s), qPrintable(result.unreadChecks[0]));
        const basKovaData::ColumnRule& status = ColumnRules[2];
        QCOMPARE((QStringList{status.RuleKind.text(), status.TextValue[0].trimmed(), status.TextValue[2].trimmed(),
                              QString::number(ColumnRules[3].NumValue[0]), QString::number(ColumnRules[3].NumValue[1]),
                              ColumnRules[5].Expression}),
                 (QStringList{u"1"_s, u"CREATED"_s, u"IN-TRANSIT"_s, u"0.01"_s, u"500"_s, u"addDays(row.SENT, randInt(1, 30))"_s}));
        QCOMPARE(generate::GenerateRows(basKovaData::TableRules::FromShared(u"SHIPMENTS"_s), 30).failures, 0);
    }

    // Each dictionary tells a GENERATED ALWAYS identity column: 自動設定
    // leaves it to the database, which numbers the rows.
    void identityColumn()
    {
        QFETCH(bool, server);
        if (server)
            KOVA_NEED_SERVER();
        QFETCH(QString, type);
        QVERIFY(open(server, {u"CREATE TABLE T (ID %1 GENERATED ALWAYS AS IDENTITY PRIMARY KEY, NAME VARCHAR2(10) NOT NULL)"_s.arg(type)},
                     u"T"_s));
        QCOMPARE(browser::ProposeRules(m_db.database.get(), u"T"_s).identityColumns,
                 QStringList{u"ID: generated always as identity"_s});
        QCOMPARE(generate::GenerateRows(basKovaData::TableRules::FromShared(u"T"_s), 3).failures, 0);
        QCOMPARE(RowsText(QueryRows(*m_db.database, u"SELECT MIN(ID), MAX(ID), COUNT(*) FROM T"_s)), u"1,3,3"_s);
    }


    // stopped server fails, and works once it runs again.
    void login_data()
    {
        const ServerSettings server = Server().value_or(ServerSettings{});
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("stopped");
        QTest::newRow("right password") << server.dsn << server.password << false;
        QTest::newRow("wrong password") << server.dsn << server.password + u"x"_s << false;
        QTest::newRow("server stopped") << server.dsn << server.password << true;
    }

    void login()
    {
        KOVA_NEED_SERVER();
        QFETCH(QString, service);
        QFETCH(QString, password);
        QFETCH(bool, stopped);
        const bool works = !stopped && service == Server()->dsn && password == Server()->password;
        const QTemporaryDir appDir;
        basKovaData::AppDirectory = appDir.path() + u"/"_s;
        LoginProcedure procedure;
        procedure.load();
        QVERIFY(!stopped || ControlServer(u"stop"_s));
        const LoginProcedure::Outcome outcome = procedure.connect(service, Server()->user, password, true);
        QVERIFY(!stopped || ControlServer(u"start"_s));
        QCOMPARE(outcome.connected, works);
        QCOMPARE(outcome.saved, works);
        QVERIFY(!stopped || procedure.connect(service, Server()->user, password, false).connected);
    }

    // Creation runs into table T (ID key, NAME) on the server, ID a sequence
    // from 1 and NAME fixed, with three rows in the way; sent in batches and
    // row by row.
    // A length counts as the database that holds the column counts: the
    // server's VARCHAR2(4) (orafce's) holds four bytes of UTF-8, its
    // VARCHAR(4) four characters, the embedded engine's
    // VARCHAR2(4) four bytes of code page 932. The grid's type, the pattern
    // check (P takes [ぁ-ん]{4} where it fits) and the cut of a 氏名 (V)
    // follow.
    void lengthsAsTheDatabaseCounts_data()
    {
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("shown");    // in the column grid
        QTest::addColumn<int>("patternBytes");  // the pattern is refused; 0: taken
        QTest::addColumn<QString>("longest");   // of V and of P
        QTest::newRow("embedded") << false << u"VARCHAR2(4)"_s << u"VARCHAR2(4)"_s << 8 << u"2,[NULL]"_s;
        QTest::newRow("embedded, CHAR") << false << u"VARCHAR2(4 CHAR)"_s << u"VARCHAR2(4 CHAR)"_s << 0 << u"4,4"_s;
        QTest::newRow("postgres varchar2") << true << u"VARCHAR2(4)"_s << u"VARCHAR2(4)"_s << 12 << u"1,[NULL]"_s;
        QTest::newRow("postgres varchar") << true << u"VARCHAR(4)"_s << u"VARCHAR2(4 CHAR)"_s << 0 << u"4,4"_s;
    }
    void lengthsAsTheDatabaseCounts()
    {
        QFETCH(bool, server);
        QFETCH(QString, type);
        QFETCH(int, patternBytes);
        if (server)
            KOVA_NEED_SERVER();
        QVERIFY(open(server, {u"CREATE TABLE L (ID NUMBER(4), V %1, P %1)"_s.arg(type)}, u"L"_s));
        QTEST(m_grid.TextMatrix(2, browser::ColType), "shown");
        basKovaData::ColumnRule pattern = ColumnRules[3];
        pattern.RuleKind = u"7"_s;
        pattern.Pattern = u"[ぁ-ん]{4}"_s;
        QCOMPARE(basKovaData::CheckRule(pattern, basKovaData::TypeFamily::Character).message,
                 patternBytes ? u"パターンの最も長い値は%1バイトで、項目の長さ4バイトを超えます。"_s.arg(patternBytes) : QString());
        SetRule(1, u"3"_s, {1, 1});
        SetRule(2, u"6"_s, {}, {u"氏名"_s});
        if (patternBytes)
            SetRule(3, u"5"_s, {});
        else
            ColumnRules[3] = pattern;
        const generate::CreationResult result = generate::GenerateRows(basKovaData::TableRules::FromShared(u"L"_s), 50);
        QVERIFY2(!result.aborted && result.failures == 0, qPrintable(result.errorText + result.refusals.Details()));
        QTEST(RowsText(QueryRows(*m_db.database, u"SELECT MAX(LENGTH(V)), MAX(LENGTH(P)) FROM L"_s)), "longest");
    }

    void runs_data()
    {
        QTest::addColumn<bool>("stopServer");
        QTest::addColumn<int>("batchRows");
        QTest::newRow("all rows") << false << basKovaData::RowStatements::DefaultBatchRows;
        QTest::newRow("server stopped mid-run") << true << basKovaData::RowStatements::DefaultBatchRows;
        QTest::newRow("server stopped mid-run, row by row") << true << 1;
    }

    void runs()
    {
        KOVA_NEED_SERVER();
        QFETCH(bool, stopServer);
        QFETCH(int, batchRows);
        const QString count = u"SELECT COUNT(*) FROM T"_s;
        QVERIFY(open(true, {u"CREATE TABLE T (ID NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20))"_s, u"INSERT INTO T VALUES (5, 'old')"_s,
                      u"INSERT INTO T VALUES (17, 'old')"_s, u"INSERT INTO T VALUES (30, 'old')"_s}, u"T"_s));
        SetRule(1, u"3"_s, {1, 1});
        SetRule(2, u"0"_s, {}, {u"row"_s});
        OraSession reader;
        const auto database = stopServer ? nullptr : openAgain(reader);
        QStringList seen;
        generate::CreationHooks hooks;
        hooks.batchRows = batchRows;
        hooks.progress = [&](int twips) {
            if (stopServer && seen.isEmpty() && twips >= generate::ProgressFullTwips / 4)
                seen.append(ControlServer(u"stop"_s) ? u"stopped"_s : u"not stopped"_s);
            else if (!stopServer)
                seen.append(RowsText(QueryRows(*database, count)));
        };
        const generate::CreationResult result = generate::GenerateRows(basKovaData::TableRules::FromShared(u"T"_s), stopServer ? 100000 : 500, hooks);
        QVERIFY(!stopServer || ControlServer(u"start"_s));
        if (stopServer) {
            QCOMPARE(seen, QStringList{u"stopped"_s});
            // Reported as a failure, not as 75,000 duplicates followed by a commit.
            QVERIFY(result.aborted && result.connectionLost && basKovaData::OraDatabase->ConnectionLost());
            QCOMPARE(result.failures, 0);
            // The window says so in the words of the driver or the server (a
            // batch that is one statement meets the driver's own savepoint first).
            static const QRegularExpression serverWords(
                u"server closed the connection|communication|terminating connection|internal SAVEPOINT failed"_s,
                QRegularExpression::CaseInsensitiveOption);
            const QString shown = generate::CreationOutcomeMessage(result).text;
            QVERIFY2(shown.contains(serverWords), qPrintable(shown));
            OraSession again;
            QCOMPARE(RowsText(QueryRows(*openAgain(again), count)), u"3"_s);
            return;
        }
        QCOMPARE(result.failures, 3);  // the duplicates
        // The second session sees the rows after the commit only (every 50
        // rows, and the full bar after it); the run goes on past the
        // duplicates and the old rows stay as they were.
        QCOMPARE(seen, QStringList(10, u"3"_s) << u"500"_s);
        QVERIFY(!result.aborted);
        QCOMPARE(RowsText(QueryRows(*m_db.database, u"SELECT NAME, COUNT(*) FROM T GROUP BY NAME ORDER BY NAME"_s)),
                 u"old,3;row,497"_s);
    }

    // Runs into T through a relay that counts the exchanges: 1,000 rows in
    // batches of 500 take a handful, row by row at least one a row. A stop
    // asked while a refused batch (key 3) is sent again row by row takes
    // effect before the next row, in a batch of the middle of the run and in
    // the last one, and the server keeps nothing of the run.
    void relayedRuns_data()
    {
        QTest::addColumn<int>("batchRows");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<int>("least");
        QTest::addColumn<int>("most");
        const int batch = basKovaData::RowStatements::DefaultBatchRows;
        QTest::newRow("batches of 500") << batch << 1000 << false << 1 << 50;
        QTest::newRow("row by row") << 1 << 1000 << false << 1000 << 4000;
        QTest::newRow("stop in a batch of the run") << batch << 1000 << true << 0 << 9;
        QTest::newRow("stop in the last batch") << batch << 300 << true << 0 << 9;
    }

    void relayedRuns()
    {
        KOVA_NEED_SERVER();
        QFETCH(int, batchRows);
        QFETCH(int, rows);
        QFETCH(bool, stop);
        QFETCH(int, least);
        QFETCH(int, most);
        QStringList setup{u"CREATE TABLE T (ID NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20))"_s};
        QVERIFY(open(true, stop ? setup << u"INSERT INTO T VALUES (3, 'old')"_s : setup, u"T"_s));
        const auto relay = sessionThroughRelay();
        SetRule(1, u"3"_s, {1, 1});
        SetRule(2, u"0"_s, {}, {u"row"_s});
        generate::CreationHooks hooks;
        hooks.batchRows = batchRows;
        // The user asks for the stop once the server has seen 40 exchanges of
        // the run; then counted are the exchanges after it.
        const long before = relay->roundTrips() + (stop ? 40 : 0);
        QElapsedTimer sinceSeen;
        if (stop)
            hooks.stopRequested = [&] {
                if (relay->roundTrips() < before)
                    return false;
                if (!sinceSeen.isValid())
                    sinceSeen.start();
                return true;
            };
        const generate::CreationResult result = generate::GenerateRows(basKovaData::TableRules::FromShared(u"T"_s), rows, hooks);
        const qint64 elapsed = sinceSeen.isValid() ? sinceSeen.elapsed() : 0;
        const long trips = relay->roundTrips() - before;
        QVERIFY2(trips >= least && trips <= most, qPrintable(QString::number(trips)));
        QVERIFY2(elapsed < 1000, qPrintable(QString::number(elapsed)));
        QCOMPARE(result.stopped, stop);
        QVERIFY(stop || result.failures == 0);
        QCOMPARE(RowsText(QueryRows(*m_db.database, u"SELECT COUNT(*), MIN(NAME) FROM T"_s)), stop ? u"1,old"_s : u"1000,row"_s);
    }

    // On PostgreSQL a batch of inserts is one multi-row INSERT: a trigger
    // for each statement fires once a batch (500, 500 and 200 rows), not
    // once a row as parameter arrays make it.
    void batchesAreMultiRowInserts()
    {
        KOVA_NEED_SERVER();
        QVERIFY(open(true, {u"CREATE TABLE T (ID NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20))"_s,
                            u"CREATE SEQUENCE T_STATEMENTS"_s,
                            u"CREATE FUNCTION T_COUNT() RETURNS trigger LANGUAGE plpgsql"
                            " AS 'BEGIN PERFORM nextval(''T_STATEMENTS''); RETURN NULL; END'"_s,
                            u"CREATE TRIGGER T_EACH AFTER INSERT ON T FOR EACH STATEMENT EXECUTE FUNCTION T_COUNT()"_s},
                     u"T"_s));
        SetRule(1, u"3"_s, {1, 1});
        SetRule(2, u"0"_s, {}, {u"row"_s});
        generate::CreationHooks hooks;
        hooks.batchRows = 500;
        QCOMPARE(generate::GenerateRows(basKovaData::TableRules::FromShared(u"T"_s), 1200, hooks).failures, 0);
        QCOMPARE(RowsText(QueryRows(*m_db.database, u"SELECT (SELECT last_value FROM T_STATEMENTS), COUNT(*), "
                                                    "COUNT(DISTINCT ID) FROM T"_s)),
                 u"3,1200,1200"_s);
    }

    // A batch with more values than one PostgreSQL statement takes (65,535)
    // goes as several INSERTs in the same savepoint.
    void widestBatches()
    {
        KOVA_NEED_SERVER();
        QStringList columns;
        QStringList markers;
        for (int c = 0; c < 200; ++c) {
            columns << u"C%1 NUMBER(8)"_s.arg(c);
            markers << u"?"_s;
        }
        QVERIFY(open(true, {u"CREATE TABLE W (%1)"_s.arg(columns.join(u", "_s))}, u"W"_s));
        const auto batch = m_db.database->PrepareBatch(u"INSERT INTO W VALUES (%1)"_s.arg(markers.join(u", "_s)), 200);
        QVERIFY(batch);
        std::vector<basKovaData::SqlValue> values;
        for (int i = 0; i < 500 * 200; ++i)
            values.push_back({basKovaData::SqlValue::Type::Number, QString::number(i / 200)});
        m_db.session->DbBeginTrans();
        const OraBatch::Outcome outcome = batch->run(values, 500);
        m_db.session->DbCommitTrans();
        QCOMPARE(outcome, OraBatch::Outcome::Done);
        QCOMPARE(RowsText(QueryRows(*m_db.database, u"SELECT COUNT(*), SUM(C0), SUM(C199) FROM W"_s)),
                 u"500,124750,124750"_s);
    }

    // A parameter the driver refuses to bind turns the statement's batches
    // off, in the driver's words, and sends nothing.
    // USER_TAB_COL_STATISTICS and USER_HISTOGRAMS over pg_stats after ANALYZE,
    // which reads every row of a table this small: N holds 0 to 3 250 times
    // each and 200 NULLs (a frequency histogram), T two texts and D two dates
    // 500 times each and the same NULLs, H the numbers 1 to 1000 and 200 more 500s (101 bounds and one
    // most common value: a hybrid histogram of 102 endpoints). Of the 999 rows
    // outside the common value the first bound closes its own, one of the 999
    // values; the rest spread evenly over the 100 buckets between the bounds.
    // 500 lies 10/11 of the way from bound 49 (490) to bound 50 (501):
    // 201 + 1 + 998 * (49 + 10/11) / 100 rows are at most 500.
    void columnStatistics_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("expected");
        QTest::newRow("figures") << u"SELECT COLUMN_NAME, NUM_NULLS, NUM_DISTINCT, LOW_VALUE, HIGH_VALUE, NUM_BUCKETS, "
                                    "SAMPLE_SIZE, HISTOGRAM FROM USER_TAB_COL_STATISTICS WHERE TABLE_NAME = 'P' ORDER BY 1"_s
                                 << u"D,200,2,77C60C1F183C3C,787C010F0B151F,2,1000,FREQUENCY;H,0,1000,C102,C20B,102,1200,HYBRID;"
                                    "N,200,4,80,C104,4,1000,FREQUENCY;"
                                    "T,200,2,414243,E69DB1E4BAAC,2,1000,FREQUENCY"_s;
        QTest::newRow("frequency") << u"SELECT COLUMN_NAME, ENDPOINT_NUMBER, round(ENDPOINT_VALUE, 6), ENDPOINT_ACTUAL_VALUE, "
                                      "ENDPOINT_REPEAT_COUNT FROM USER_HISTOGRAMS WHERE COLUMN_NAME <> 'H' ORDER BY 1, 2"_s
                                   << u"D,500,2451179.999988,1998-12-31 23:59:59,0;D,1000,2460325.430903,2024-01-15 10:20:30,0;"
                                      "N,250,0,0,0;N,500,1,1,0;N,750,2,2,0;N,1000,3,3,0;"
                                      "T,500,1.83687290164347E+16,ABC,0;T,1000,6.49126320156621E+16,東京,0"_s;
        QTest::newRow("hybrid") << u"SELECT ENDPOINT_NUMBER, ENDPOINT_ACTUAL_VALUE, ENDPOINT_REPEAT_COUNT FROM USER_HISTOGRAMS "
                                   "WHERE COLUMN_NAME = 'H' AND (ENDPOINT_REPEAT_COUNT > 1 OR ENDPOINT_NUMBER IN (1, 1200)) "
                                   "ORDER BY 1"_s
                                << u"1,1,1;700,500,201;1200,1000,1"_s;
    }
    void columnStatistics()
    {
        KOVA_NEED_SERVER();
        QFETCH(QString, query);
        m_db = OpenServerDatabase({u"CREATE TABLE P (N NUMBER, T VARCHAR2(10), H NUMBER, D DATE)"_s});
        QCOMPARE(Psql(m_db.path, {u"-c"_s, u"INSERT INTO p SELECT x % 4, CASE x % 2 WHEN 0 THEN 'ABC' ELSE '東京' END, x, CASE x % 2 "
                                           "WHEN 0 THEN timestamp '2024-01-15 10:20:30' ELSE timestamp '1998-12-31 23:59:59' END FROM "
                                           "generate_series(1, 1000) x; INSERT INTO p SELECT NULL, NULL, 500, NULL "
                                           "FROM generate_series(1, 200)"_s}),
                 QString());
        m_db.database->DbExecuteSQL(u"ANALYZE TABLE P COMPUTE STATISTICS"_s);
        QTEST(RowsText(QueryRows(*m_db.database, query)), "expected");
    }

    void bindRefused()
    {
        KOVA_NEED_SERVER();
        QVERIFY(open(true, {u"CREATE TABLE T (ID NUMBER(8), NAME VARCHAR2(9))"_s}, u"T"_s));
        const auto batch = m_db.database->PrepareBatch(u"INSERT INTO T VALUES (?, ?)"_s, 2);
        QVERIFY(batch);
        const std::vector<basKovaData::SqlValue> values(4, {basKovaData::SqlValue::Type::Number, u"1"_s});
        m_db.session->DbBeginTrans();
        g_refusedBind = 2;
        const OraBatch::Outcome outcome = batch->run(values, 2);
        g_refusedBind = 0;
        m_db.session->DbCommitTrans();
        QCOMPARE(outcome, OraBatch::Outcome::Unsupported);
        QVERIFY2(batch->unsupported().contains(u"parameter 2: "_s) && batch->unsupported().contains(u"unixODBC"_s),
                 qPrintable(batch->unsupported()));
        QCOMPARE(RowsText(QueryRows(*m_db.database, u"SELECT COUNT(*) FROM T"_s)), u"0"_s);
    }

    // Rows reach the table in the order they were made, rows without
    // parameters (every value SQL text) among rows in batches: a trigger
    // numbers them as they arrive.
    void rowsInOrder()
    {
        KOVA_NEED_SERVER();
        QVERIFY(open(true, {u"CREATE TABLE O (SEQ VARCHAR2(9), NAME VARCHAR2(9))"_s, u"CREATE SEQUENCE O_SEQ"_s,
                            u"CREATE FUNCTION O_NUMBER() RETURNS trigger LANGUAGE plpgsql"
                            " AS 'BEGIN NEW.SEQ := lpad(nextval(''O_SEQ'')::text, 9, ''0''); RETURN NEW; END'"_s,
                            u"CREATE TRIGGER O_ORDER BEFORE INSERT ON O FOR EACH ROW EXECUTE FUNCTION O_NUMBER()"_s},
                     u"O"_s));
        SetRule(1, u"1"_s, {}, {u"@NULL||''"_s}, {0});
        SetRule(2, u"1"_s, {}, {u"a"_s, u"b"_s, u"@'c'||''"_s}, {0, 1, 2});
        QCOMPARE(generate::GenerateRows(basKovaData::TableRules::FromShared(u"O"_s), 7).failures, 0);
        QCOMPARE(RowsText(QueryRows(*m_db.database, u"SELECT NAME FROM O ORDER BY SEQ"_s)), u"a;b;c;a;b;c;a"_s);
    }

    // A server that runs out of a resource (here its lock table, as a long
    // run's savepoints exhaust it) refuses every row after: the run stops
    // with the server's words and keeps nothing, rather than counting every
    // later row as refused by the table.
    void serverOutOfResources()
    {
        KOVA_NEED_SERVER();
        QVERIFY(open(true, {u"CREATE TABLE R (ID NUMBER(8) PRIMARY KEY)"_s,
                            u"CREATE FUNCTION R_FULL() RETURNS trigger LANGUAGE plpgsql AS 'BEGIN IF NEW.ID >= 7 THEN "
                            "RAISE EXCEPTION ''out of shared memory'' USING ERRCODE = ''53200''; END IF; RETURN NEW; END'"_s,
                            u"CREATE TRIGGER R_LOCKS BEFORE INSERT ON R FOR EACH ROW EXECUTE FUNCTION R_FULL()"_s},
                     u"R"_s));
        SetRule(1, u"3"_s, {1, 1});
        for (const int batchRows : {1, 5}) {
            generate::CreationHooks hooks;
            hooks.batchRows = batchRows;
            const generate::CreationResult result = generate::GenerateRows(basKovaData::TableRules::FromShared(u"R"_s), 20, hooks);
            QVERIFY(result.aborted);
            QVERIFY2(result.errorText.contains(u"out of shared memory"_s), qPrintable(result.errorText));
            QCOMPARE(RowsText(QueryRows(*m_db.database, u"SELECT COUNT(*) FROM R"_s)), u"0"_s);
        }
    }

    // A run in batches leaves the rows a run row by row leaves, whatever the
    // batches meet: keys already taken, a value too long for its column. The
    // update after it likewise, rows refused by a NOT NULL column included.
    void batchesLikeRowByRow()
    {
        KOVA_NEED_SERVER();
        const QString table = u"CREATE TABLE B (ID NUMBER(8) PRIMARY KEY, NAME VARCHAR2(5), CODE CHAR(6), "
                              "AMOUNT NUMBER(7,2) NOT NULL, DAY DATE, NOTE VARCHAR2(30), GONE VARCHAR2(3))"_s;
        QStringList setup{table, u"CREATE TABLE SRC (V VARCHAR2(10))"_s, u"INSERT INTO SRC VALUES ('b''c')"_s,
                          u"INSERT INTO SRC VALUES (NULL)"_s, u"CREATE TABLE NUMS (N NUMBER(3))"_s,
                          u"INSERT INTO NUMS VALUES (NULL)"_s};
        // Refused rows now and then, so that some batches go through whole.
        QStringList names{u"u'1"_s};
        for (int n = 1; n <= 12; ++n) {
            setup << u"INSERT INTO NUMS VALUES (%1)"_s.arg(n);
            names << u"n%1"_s.arg(n);
        }
        names << u"a"_s << u"b"_s << u"toolong"_s;
        QVERIFY(open(true, setup, u"B"_s));
        const auto run = [this, &names, &table](int batchRows) {
            // A new table each time: the update takes its rows in the order
            // they lie in the table, which space freed before would change.
            basKovaData::ExecuteSql(m_db.database.get(), u"DROP TABLE B"_s);
            basKovaData::ExecuteSql(m_db.database.get(), ServerDdl(table));
            for (const int id : {4, 9, 10, 11, 40})
                basKovaData::ExecuteSql(m_db.database.get(), u"INSERT INTO B (ID, AMOUNT) VALUES (%1, 0)"_s.arg(id));
            basKovaData::ResetRandom();
            SetRule(1, u"3"_s, {1, 1});
            SetRule(2, u"1"_s, {}, {u"ab'c"_s, u"x"_s, u"@'Q'||'R'"_s, u"@NULL"_s, u"y"_s, u"z"_s, u"w"_s, u"toolong"_s},
                    {0, 1, 2, 3, 4, 5, 6, 7});
            SetRule(3, u"3"_s, {1, 3});
            SetRule(4, u"2"_s, {-50, 50, 0.25});
            SetRule(5, u"3"_s, {}, {u"20011231 235959"_s, u"1.5"_s});
            SetRule(6, u"4"_s, {}, {u"SELECT V FROM SRC ORDER BY V"_s});
            SetRule(7, u"5"_s, {});
            generate::CreationHooks hooks;
            hooks.batchRows = batchRows;
            const generate::CreationResult created = generate::GenerateRows(basKovaData::TableRules::FromShared(u"B"_s), 60, hooks);
            SetRule(1, u""_s, {});
            SetRule(2, u"1"_s, {}, names, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
            SetRule(4, u"4"_s, {}, {u"SELECT N FROM NUMS ORDER BY N"_s});
            maintain::UpdateHooks updateHooks;
            updateHooks.batchRows = batchRows;
            const maintain::UpdateResult updated = maintain::UpdateRows(basKovaData::TableRules::FromShared(u"B"_s), u"ID < 50"_s, updateHooks);
            return u"%1 failed, %2 of %3 not updated: "_s.arg(created.failures).arg(updated.errors).arg(updated.rows)
                   + RowsText(QueryRows(*m_db.database, u"SELECT * FROM B ORDER BY ID"_s));
        };
        const QString rowByRow = run(1);
        QVERIFY2(rowByRow.startsWith(u"11 failed, 5 of 44 not updated: "_s), qPrintable(rowByRow.left(80)));
        QCOMPARE(run(5), rowByRow);
        QCOMPARE(run(basKovaData::RowStatements::DefaultBatchRows), rowByRow);
    }
};

QTEST_GUILESS_MAIN(tst_ServerEngines)
#include "tst_ServerEngines.moc"
