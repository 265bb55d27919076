// label: engine
// One suite for both engines: the embedded engine and a PostgreSQL server
// reached over ODBC (with the compatibility script). The main window's
// dictionary statements, a creation run with every rule kind, the viewer, the
// delete and update runs, ANALYZE and the SQL history must behave alike.
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
#include "session/OraAccess.h"
#include "support/ServerSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;

namespace {

const QStringList Schema = {
    u"CREATE TABLE ITEM (CODE CHAR(6) PRIMARY KEY, NAME VARCHAR2(40) NOT NULL, PRICE NUMBER(10,2), ADDED DATE)"_s,
    u"CREATE TABLE ORDERS (ORDER_NO NUMBER(8), LINE_NO NUMBER(4), CODE CHAR(6), QTY NUMBER(5), ORDERED DATE,"
    " NOTE VARCHAR2(200), PRIMARY KEY (ORDER_NO, LINE_NO))"_s,
    u"CREATE VIEW ORDER_LIST AS SELECT O.ORDER_NO, I.NAME, O.QTY * I.PRICE AS AMOUNT"
    " FROM ORDERS O, ITEM I WHERE O.CODE = I.CODE"_s,
    u"INSERT INTO ITEM VALUES ('A00001', 'pen', 120, TO_DATE('20011201 085959','YYYYMMDD HH24MISS'))"_s,
    u"INSERT INTO ITEM VALUES ('A00002', 'ink', 98.5, NULL)"_s,
    u"INSERT INTO ITEM VALUES ('A00003', 'pad', NULL, TO_DATE('20011224','YYYYMMDD'))"_s,
};

void SetRule(int column, const QString& kind, const QList<double>& numbers, const QStringList& texts = {},
             const QList<int>& slotsOn = {})
{
    basKovaData::ColumnRule& rule = ColumnRules[std::size_t(column)];
    rule.RuleKind = kind;
    for (int i = 0; i < numbers.size(); ++i)
        rule.NumValue[std::size_t(i)] = numbers[i];
    for (int i = 0; i < texts.size(); ++i)
        rule.TextValue[std::size_t(i)] = texts[i];
    for (int slot : slotsOn)
        rule.MultiOn[std::size_t(slot)] = true;
}

QStringList GridColumn(const controls::GridModel& grid, int col, int from = 1)
{
    QStringList texts;
    for (int row = from; row < grid.Rows(); ++row)
        texts.append(grid.TextMatrix(row, col).trimmed());
    return texts;
}

}  // namespace

class tst_ServerEngines : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void dictionary_data() { engines(); }
    void dictionary();
    void creationRunWithEveryKind();
    void viewerDeleteAndUpdate_data() { engines(); }
    void viewerDeleteAndUpdate();
    void analyzeAndHistory_data() { engines(); }
    void analyzeAndHistory();

private:
    static void engines();
    // Opens `engine` with the schema and loads table ORDERS into the grid.
    bool open(const QString& engine, const QStringList& extra = {});
    // The creation run's rows on `engine`, read back in key order.
    QList<QStringList> createRows(const QString& engine);

    std::unique_ptr<QTemporaryDir> m_dir;
    kovatest::TestDatabase m_db;
    controls::GridModel m_grid;
};

void tst_ServerEngines::engines()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("embedded") << u"embedded"_s;
    QTest::newRow("postgres") << u"postgres"_s;
}

void tst_ServerEngines::init()
{
    basKovaData::ResetForTests();
    basKovaData::ResetColumnRules();
    m_dir = std::make_unique<QTemporaryDir>();
}

void tst_ServerEngines::cleanup()
{
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    m_db = {};
    m_dir.reset();
}

bool tst_ServerEngines::open(const QString& engine, const QStringList& extra)
{
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    m_db = {};
    m_dir = std::make_unique<QTemporaryDir>();
    m_db = kovatest::OpenEngineDatabase(engine, *m_dir, Schema + extra);
    basKovaData::OraSession = m_db.session;
    basKovaData::OraDatabase = m_db.database;
    basKovaData::ChosenTable = u"ORDERS"_s;
    return browser::FillColumnGrid(m_db.database.get(), m_grid, u"ORDERS"_s, true).outcome
           == browser::ColumnGridResult::Outcome::Loaded;
}

void tst_ServerEngines::dictionary()
{
    QFETCH(QString, engine);
    if (engine == u"postgres"_s)
        KOVA_NEED_SERVER();
    QVERIFY(open(engine));
    browser::ObjectList list;
    browser::LoadObjectList(*m_db.database, list);
    QStringList tables = list.names.mid(0, list.firstViewIndex - 1);
    tables.sort();
    QCOMPARE(tables, (QStringList{u"ITEM"_s, u"ORDERS"_s}));
    QCOMPARE(list.names.mid(list.firstViewIndex - 1), QStringList{u"ORDER_LIST"_s});

    QCOMPARE(GridColumn(m_grid, 0), (QStringList{u"ORDER_NO"_s, u"LINE_NO"_s, u"CODE"_s, u"QTY"_s, u"ORDERED"_s,
                                                 u"NOTE"_s}));
    QCOMPARE(GridColumn(m_grid, 1), (QStringList{u"NUMBER(8)"_s, u"NUMBER(4)"_s, u"CHAR(6)"_s, u"NUMBER(5)"_s,
                                                 u"DATE()"_s, u"VARCHAR2(200)"_s}));
    QCOMPARE(GridColumn(m_grid, 2), (QStringList{u"KEY"_s, u"KEY"_s, u""_s, u""_s, u""_s, u""_s}));
    QCOMPARE(GridColumn(m_grid, 3), (QStringList{u"NN"_s, u"NN"_s, u""_s, u""_s, u""_s, u""_s}));
    QCOMPARE(ColumnRules[1].Length, qint16(8));

    QVERIFY(browser::FillColumnGrid(m_db.database.get(), m_grid, u"ITEM"_s, true).outcome
            == browser::ColumnGridResult::Outcome::Loaded);
    QCOMPARE(GridColumn(m_grid, 1), (QStringList{u"CHAR(6)"_s, u"VARCHAR2(40)"_s, u"NUMBER(10.2)"_s, u"DATE()"_s}));
    QCOMPARE(GridColumn(m_grid, 3), (QStringList{u"NN"_s, u"NN"_s, u""_s, u""_s}));
    QCOMPARE(browser::CountRows(m_db.database.get(), u"ITEM"_s), u"3"_s);

    const diag::ViewText view = diag::LoadViewText(m_db.database.get(), u"ORDER_LIST"_s);
    QCOMPARE(view.error, 0);
    QVERIFY(view.found);
    QVERIFY2(view.text.contains(u"qty"_s, Qt::CaseInsensitive), qPrintable(view.text));
    QVERIFY(!diag::LoadViewText(m_db.database.get(), u"ITEM"_s).found);
}

QList<QStringList> tst_ServerEngines::createRows(const QString& engine)
{
    basKovaData::ResetForTests();
    if (!open(engine, {u"CREATE TABLE SRC (V VARCHAR2(10))"_s, u"INSERT INTO SRC VALUES ('b')"_s,
                       u"INSERT INTO SRC VALUES ('a')"_s}))
        return {};
    // ORDER_NO sequence, LINE_NO fixed, CODE a zero-filled sequence, QTY random
    // 1..9, ORDERED a date sequence, NOTE values of a SELECT in turn, then the
    // same run again with multiple fixed NOTE values and NULL dates.
    SetRule(1, u"3"_s, {1001, 2});
    SetRule(2, u"0"_s, {7});
    SetRule(3, u"3"_s, {1, 1});
    SetRule(4, u"2"_s, {1, 9, 1});
    SetRule(5, u"3"_s, {}, {u"20011231 235959"_s, u"1"_s});
    SetRule(6, u"4"_s, {}, {u"SELECT V FROM SRC ORDER BY V"_s});
    generate::CreationResult result = generate::GenerateRows(u"ORDERS"_s, 5);
    if (result.aborted || result.failures != 0)
        return {{u"first run failed: "_s + result.errorText}};
    ColumnRules[2].NumValue[0] = 8;
    ColumnRules[5].clearRule();
    SetRule(5, u"5"_s, {});
    ColumnRules[6].clearRule();
    SetRule(6, u"1"_s, {}, {u"it's"_s, u"x"_s, u"y"_s}, {0, 2});
    result = generate::GenerateRows(u"ORDERS"_s, 3);
    if (result.aborted || result.failures != 0)
        return {{u"second run failed: "_s + result.errorText}};
    return kovatest::QueryRows(*m_db.database,
                               u"SELECT ORDER_NO, LINE_NO, CODE, QTY, ORDERED, NOTE FROM ORDERS ORDER BY LINE_NO, ORDER_NO"_s);
}

void tst_ServerEngines::creationRunWithEveryKind()
{
    const QList<QStringList> embedded = createRows(u"embedded"_s);
    QCOMPARE(embedded.size(), 8);
    QCOMPARE(embedded[0].mid(0, 3), (QStringList{u"1001"_s, u"7"_s, u"000001"_s}));
    QCOMPARE(embedded[1][4], u"2002/01/01 23:59:59"_s);
    QCOMPARE((QStringList{embedded[0][5], embedded[1][5], embedded[2][5]}), (QStringList{u"a"_s, u"b"_s, u"a"_s}));
    QCOMPARE(embedded[5].mid(1), (QStringList{u"8"_s, u"000001"_s, embedded[5][3], u"[NULL]"_s, u"it's"_s}));
    QCOMPARE(embedded[6][5], u"y"_s);  // a new run starts the slots again
    for (const QStringList& row : embedded)
        QVERIFY(row[3].toInt() >= 1 && row[3].toInt() <= 9);

    KOVA_NEED_SERVER();
    // The same rules give the same rows on the server.
    QCOMPARE(createRows(u"postgres"_s), embedded);
}

void tst_ServerEngines::viewerDeleteAndUpdate()
{
    QFETCH(QString, engine);
    if (engine == u"postgres"_s)
        KOVA_NEED_SERVER();
    QStringList rows;
    for (int i = 1; i <= 4; ++i)
        rows << u"INSERT INTO ORDERS VALUES (%1, 1, 'A0000%2', %3, TO_DATE('2001120%1 120000','YYYYMMDD HH24MISS'), %4)"_s
                    .arg(i).arg(i % 3 + 1).arg(i * 10).arg(i == 2 ? u"NULL"_s : u"'n%1'"_s.arg(i));
    QVERIFY(open(engine, rows));

    controls::GridModel viewer;
    maintain::PrepareViewerGrid(viewer, &m_grid);
    maintain::ViewerRunResult shown = maintain::RunViewerQuery(m_db.database.get(), viewer, &m_grid, u"order by ORDER_NO desc"_s);
    QCOMPARE(shown.errorNumber, 0);
    QCOMPARE(shown.messageLine.value_or(QString()), u"データ 4件"_s);
    QCOMPARE(GridColumn(viewer, 0), (QStringList{u"4"_s, u"3"_s, u"2"_s, u"1"_s}));
    QCOMPARE(GridColumn(viewer, 4)[0], u"2001/12/04 12:00:00"_s);
    QCOMPARE(GridColumn(viewer, 5), (QStringList{u"n4"_s, u"n3"_s, u"[NULL]"_s, u"n1"_s}));
    shown = maintain::RunViewerQuery(m_db.database.get(), viewer, &m_grid, u"QTY >"_s);
    QCOMPARE(shown.errorNumber, 440);
    QCOMPARE(viewer.Rows(), 5);  // the previous rows stay

    // Set-based (every set column fixed), then row by row (a sequence).
    SetRule(4, u"0"_s, {99});
    maintain::UpdateResult updated = maintain::UpdateRows(u"ORDERS"_s, u"ORDER_NO > 2"_s);
    QVERIFY(updated.setBased);
    QCOMPARE(updated.errors, 0);
    ColumnRules[4].clearRule();
    SetRule(6, u"3"_s, {1, 1}, {}, {1, 2});  // left-aligned
    updated = maintain::UpdateRows(u"ORDERS"_s, u"ORDER_NO <= 3"_s);
    QCOMPARE(updated.outcome, maintain::UpdateOutcome::Done);
    QVERIFY(!updated.setBased);
    QCOMPARE(updated.rows, qint64(3));
    QCOMPARE(kovatest::QueryRows(*m_db.database, u"SELECT QTY, NOTE FROM ORDERS ORDER BY ORDER_NO"_s),
             (QList<QStringList>{{u"10"_s, u"1"_s}, {u"20"_s, u"2"_s}, {u"99"_s, u"3"_s}, {u"99"_s, u"n4"_s}}));

    QVERIFY(maintain::DeleteRows(u"ORDERS"_s, u"QTY = 99\r\nAND NOTE = 'n4'"_s));
    QVERIFY(!maintain::DeleteRows(u"ORDERS"_s, u"NO_SUCH_COLUMN = 1"_s));
    QCOMPARE(browser::CountRows(m_db.database.get(), u"ORDERS"_s), u"3"_s);
    QVERIFY(maintain::DeleteRows(u"ORDERS"_s, u""_s));
    QCOMPARE(browser::CountRows(m_db.database.get(), u"ORDERS"_s), u"0"_s);
}

void tst_ServerEngines::analyzeAndHistory()
{
    QFETCH(QString, engine);
    if (engine == u"postgres"_s)
        KOVA_NEED_SERVER();
    QVERIFY(open(engine));
    controls::GridModel info;
    const auto field = [&info](const QString& name) {
        for (int row = 1; row < info.Rows(); ++row)
            if (info.TextMatrix(row, 0) == name)
                return info.TextMatrix(row, 1);
        return u"(missing)"_s;
    };
    QCOMPARE(diag::FillTableInformation(m_db.database.get(), u"ITEM"_s, info), 0);
    QCOMPARE(info.Rows(), 45);  // the heading and every field of USER_TABLES
    QCOMPARE(field(u"TABLE_NAME"_s), u"ITEM"_s);
    QCOMPARE(field(u"LAST_ANALYZED"_s), u"[NULL]"_s);
    QVERIFY(diag::AnalyzeTable(m_db.database.get(), u"ITEM"_s));
    QCOMPARE(diag::FillTableInformation(m_db.database.get(), u"ITEM"_s, info), 0);
    QCOMPARE(field(u"NUM_ROWS"_s), u"3"_s);
    QVERIFY(field(u"LAST_ANALYZED"_s) != u"[NULL]"_s);

    // The history shows a statement the program just sent.
    QCOMPARE(browser::CountRows(m_db.database.get(), u"ITEM"_s), u"3"_s);
    controls::GridModel history;
    diag::PrepareSqlHistoryGrid(history);
    const diag::SqlHistoryResult listed = diag::RunSqlHistoryQuery(m_db.database.get(), history,
                                                                   diag::SqlHistoryOpeningCondition());
    QCOMPARE(listed.errorNumber, 0);
    const QStringList texts = GridColumn(history, 2);
    const qsizetype at = texts.indexOf(QRegularExpression(u".*COUNT\\(\\*\\) CNT FROM ITEM.*"_s));
    QVERIFY2(at >= 0, qPrintable(texts.join(u'\n')));
    const diag::SqlTextResult full = diag::FetchSqlText(m_db.database.get(), history.TextMatrix(int(at) + 1, 0));
    QCOMPARE(full.errorNumber, 0);
    QVERIFY2(full.text.contains(u"CNT FROM ITEM"_s), qPrintable(full.text));
}

QTEST_GUILESS_MAIN(tst_ServerEngines)
#include "tst_ServerEngines.moc"
