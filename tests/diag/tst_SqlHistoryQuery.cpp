// label: engine
// The SQL history list and full texts against the embedded engine's own history.
#include "controls/GridModel.h"
#include "diag/SqlHistoryQuery.h"
#include "session/OraAccess.h"
#include "support/TestSupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString ListSql = u" SELECT HASH_VALUE,FIRST_LOAD_TIME,SQL_TEXT FROM V$SQL "_s;
const QString InsertLike = u"SQL_TEXT LIKE 'Insert into T%'"_s;

QStringList Column(const controls::GridModel& grid, int col)
{
    QStringList texts;
    for (int row = 1; row < grid.Rows(); ++row)
        texts.append(grid.TextMatrix(row, col));
    return texts;
}

}  // namespace

class tst_SqlHistoryQuery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void statement_data();
    void statement();
    void ownStatementListed();
    void fullText_data();
    void fullText();
    void rowCap_data();
    void rowCap();
    void failures();

private:
    void insertRows(int count);
    std::unique_ptr<QTemporaryDir> m_dir;
    kovatest::TestDatabase m_db;
    controls::GridModel m_grid;
};

void tst_SqlHistoryQuery::init()
{
    basKovaData::ResetForTests();
    m_dir = std::make_unique<QTemporaryDir>();
    m_db = kovatest::OpenTestDatabase(*m_dir, {u"CREATE TABLE T (ID NUMBER(6), NOTE VARCHAR2(300))"_s});
    diag::PrepareSqlHistoryGrid(m_grid);
}

void tst_SqlHistoryQuery::cleanup()
{
    m_db = {};
    m_dir.reset();
}

void tst_SqlHistoryQuery::insertRows(int count)
{
    for (int id = 1; id <= count; ++id)
        QCOMPARE(basKovaData::ExecuteSql(m_db.database.get(), u"Insert into T Values( %1,NULL ) "_s.arg(id)), 1);
}

void tst_SqlHistoryQuery::statement_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("expected");
    QTest::newRow("opening") << u"ORDER BY FIRST_LOAD_TIME DESC"_s << ListSql + u" ORDER BY FIRST_LOAD_TIME DESC"_s;
    QTest::newRow("order by in any case") << u"  Order By 1\r\n"_s << ListSql + u" Order By 1"_s;
    QTest::newRow("where, line breaks as blanks") << u"HASH_VALUE > 0\r\nAND\nPIECE = 0"_s
                                                  << ListSql + u" WHERE HASH_VALUE > 0  AND PIECE = 0"_s;
    QTest::newRow("empty") << u" \r\n "_s << ListSql;
}

void tst_SqlHistoryQuery::statement()
{
    QFETCH(QString, condition);
    QTEST(diag::SqlHistoryStatement(condition), "expected");
    QCOMPARE(diag::SqlTextStatement(u"42"_s), u" SELECT SQL_TEXT FROM V$SQLTEXT WHERE HASH_VALUE = 42  ORDER BY PIECE"_s);
}

void tst_SqlHistoryQuery::ownStatementListed()
{
    basKovaData::SetClock([] { return QDateTime(QDate(2001, 12, 10), QTime(12, 0, 5)); });
    insertRows(1);
    basKovaData::SetClock([] { return QDateTime(QDate(2001, 12, 10), QTime(12, 30, 0)); });
    insertRows(2);  // the first statement again, then a new one
    const diag::SqlHistoryResult result =
        diag::RunSqlHistoryQuery(m_db.database.get(), m_grid, u"ORDER BY FIRST_LOAD_TIME DESC"_s);
    QCOMPARE(result.errorNumber, 0);
    QCOMPARE(result.statement, ListSql + u" ORDER BY FIRST_LOAD_TIME DESC"_s);
    const QStringList texts = Column(m_grid, 2);
    const qsizetype first = texts.indexOf(u"Insert into T Values( 1,NULL )"_s);
    const qsizetype second = texts.indexOf(u"Insert into T Values( 2,NULL )"_s);
    QVERIFY(first >= 0 && second >= 0);
    QVERIFY(second < first);  // newest first
    QCOMPARE(m_grid.TextMatrix(int(first) + 1, 1), u"2001-12-10/12:00:05"_s);
    QVERIFY(QRegularExpression(u"^\\d+$"_s).match(m_grid.TextMatrix(int(first) + 1, 0)).hasMatch());
}

void tst_SqlHistoryQuery::fullText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    // Piece 0 ends with a blank and piece 1 starts with one: both are lost.
    const QString head = u"Insert into T Values( 7,'"_s + QString(38, u'a');
    QTest::newRow("one piece") << u"Insert into T Values( 7,'x' ) "_s << u"Insert into T Values( 7,'x' )"_s;
    QTest::newRow("blanks at piece edges are lost") << head + u"  b' ) "_s << head + u"b' )"_s;
    const QString middle = QString(100, u'b');
    QTest::newRow("three pieces") << u"Insert into T Values( 8,'"_s + middle + u"' ) "_s
                                  << u"Insert into T Values( 8,'"_s + middle + u"' )"_s;
}

void tst_SqlHistoryQuery::fullText()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(basKovaData::ExecuteSql(m_db.database.get(), text), 1);
    const QString condition = u"SQL_TEXT LIKE 'Insert into T Values( %1%'"_s.arg(text.mid(22, 1));
    QCOMPARE(diag::RunSqlHistoryQuery(m_db.database.get(), m_grid, condition).rows, 1);
    const diag::SqlTextResult result = diag::FetchSqlText(m_db.database.get(), m_grid.TextMatrix(1, 0));
    QCOMPARE(result.errorNumber, 0);
    QCOMPARE(result.text, expected);
}

void tst_SqlHistoryQuery::rowCap_data()
{
    QTest::addColumn<int>("statements");
    QTest::addColumn<int>("maxRows");
    QTest::addColumn<int>("shown");
    QTest::newRow("default 300") << 320 << 300 << 300;
    QTest::newRow("small cap") << 12 << 5 << 5;
    QTest::newRow("fewer than the cap") << 12 << 300 << 12;
    QTest::newRow("exactly the cap") << 5 << 5 << 5;
}

void tst_SqlHistoryQuery::rowCap()
{
    QFETCH(int, statements);
    QFETCH(int, maxRows);
    insertRows(statements);
    basKovaData::MaxDisplayRows = qint16(maxRows);
    const diag::SqlHistoryResult result = diag::RunSqlHistoryQuery(m_db.database.get(), m_grid, InsertLike);
    QCOMPARE(result.errorNumber, 0);
    QVERIFY(result.message.isEmpty());
    QTEST(result.rows, "shown");
    QTEST(m_grid.Rows() - 1, "shown");
}

void tst_SqlHistoryQuery::failures()
{
    insertRows(10);
    // A wrong condition: the message, and the rows of the previous run stay.
    QCOMPARE(diag::RunSqlHistoryQuery(m_db.database.get(), m_grid, InsertLike).rows, 10);
    diag::SqlHistoryResult result = diag::RunSqlHistoryQuery(m_db.database.get(), m_grid, u"SQL_TEXT ="_s);
    QCOMPARE(result.errorNumber, 440);
    QCOMPARE(result.message, u"ＳＱＬ文のエラーです。確認してください。440"_s);
    QCOMPARE(m_grid.Rows(), 11);
    // An accepted statement without rows empties the grid down to its heading.
    QCOMPARE(diag::RunSqlHistoryQuery(m_db.database.get(), m_grid, u"HASH_VALUE < 0"_s).rows, 0);
    QCOMPARE(m_grid.TextMatrix(0, 2), u"SQL_TEXT"_s);
    // A full grid keeps the rows it could take.
    m_grid.setCellBudget(3 * 5);
    result = diag::RunSqlHistoryQuery(m_db.database.get(), m_grid, InsertLike);
    QCOMPARE(result.errorNumber, 30006);
    QCOMPARE(result.message, u"メモリオーバーのため、最初の4件を表示しています。"_s);
    QCOMPARE(result.rows, 4);
    QVERIFY(!Column(m_grid, 2).contains(QString()));
    QCOMPARE(diag::FetchSqlText(m_db.database.get(), u"1 +"_s).message, u"ＳＱＬ文のエラーです。確認してください。440"_s);
}

QTEST_MAIN(tst_SqlHistoryQuery)
#include "tst_SqlHistoryQuery.moc"
