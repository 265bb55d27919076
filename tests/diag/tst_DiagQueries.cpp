// label: engine
// The SQL history and its full texts from the embedded engine; the table information's field help.
#include "diag/SqlHistoryQuery.h"
#include "diag/TableInformation.h"
#include "support/MaintainSupport.h"

#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString ListSql = u" SELECT HASH_VALUE,FIRST_LOAD_TIME,SQL_TEXT FROM V$SQL "_s;
const QString InsertLike = u"SQL_TEXT LIKE 'Insert into T%'"_s;
const QString SqlError = u"ＳＱＬ文のエラーです。確認してください。440"_s;

}  // namespace

class tst_DiagQueries : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_db.emplace(QStringList{u"CREATE TABLE T (ID NUMBER(6), NOTE VARCHAR2(300))"_s});
        diag::PrepareSqlHistoryGrid(m_grid);
        QCOMPARE(kovatest::GridColumn(m_grid, 0) + kovatest::GridColumn(m_grid, 1) + kovatest::GridColumn(m_grid, 2),
                 (QStringList{u"HASH_VALUE"_s, u"FIRST_LOAD_TIME"_s, u"SQL_TEXT"_s}));
        QCOMPARE((QList<int>{m_grid.ColWidth(0), m_grid.ColWidth(1), m_grid.ColWidth(2)}),
                 (QList<int>{1000, 1800, 8200}));
    }
    void cleanup() { m_db.reset(); }
    // The full text from its pieces: piece 0 ends with a blank and piece 1
    // starts with one, and both are lost.
    void fullText()
    {
        const QString head = u"Insert into T Values( 7,'"_s + QString(38, u'a');
        QCOMPARE(basKovaData::ExecuteSql(m_db->database(), head + u"  b' ) "_s), 1);
        QCOMPARE(run(u"SQL_TEXT LIKE 'Insert into T Values( 7%'"_s).rows, 1);
        const QString hash = m_grid.TextMatrix(1, 0);
        const diag::SqlTextResult result = diag::FetchSqlText(m_db->database(), hash);
        QCOMPARE(result.statement,
                 u" SELECT SQL_TEXT FROM V$SQLTEXT WHERE HASH_VALUE = %1  ORDER BY PIECE"_s.arg(hash));
        QCOMPARE(result.errorNumber, 0);
        QCOMPARE(result.text, head + u"b' )"_s);
    }
    void listing()
    {
        basKovaData::SetClock([] { return QDateTime(QDate(2001, 12, 10), QTime(12, 0, 5)); });
        insertRows(1);
        basKovaData::SetClock([] { return QDateTime(QDate(2001, 12, 10), QTime(12, 30, 0)); });
        insertRows(3);  // the first statement again, then new ones
        diag::SqlHistoryResult result = run(diag::SqlHistoryOpeningCondition());
        QCOMPARE(result.statement, ListSql + u" ORDER BY FIRST_LOAD_TIME DESC"_s);
        QCOMPARE(result.errorNumber, 0);
        const QStringList texts = kovatest::GridColumn(m_grid, 2);
        const int first = int(texts.indexOf(u"Insert into T Values( 1,NULL )"_s));
        QVERIFY(first > 0 && texts.indexOf(u"Insert into T Values( 2,NULL )"_s) < first);  // newest first
        QCOMPARE(m_grid.TextMatrix(first, 1), u"2001-12-10/12:00:05"_s);
        // At most MaxDisplayRows rows.
        for (const int cap : {3, 2}) {
            basKovaData::MaxDisplayRows = qint16(cap);
            result = run(InsertLike);
            QCOMPARE(result.errorNumber, 0);
            QCOMPARE(m_grid.Rows(), cap + 1);
        }
        // A wrong condition: the message, and the rows of the previous run stay.
        result = run(u"SQL_TEXT =\r\n"_s);
        QCOMPARE(result.statement, ListSql + u" WHERE SQL_TEXT ="_s);
        QCOMPARE(result.errorNumber, 440);
        QCOMPARE(result.message, SqlError);
        QCOMPARE(m_grid.Rows(), 3);
        // An accepted statement without rows empties the grid down to its heading.
        QCOMPARE(run(u"HASH_VALUE < 0"_s).rows, 0);
        QCOMPARE(m_grid.TextMatrix(0, 2), u"SQL_TEXT"_s);
        // A full grid keeps the rows it could take.
        basKovaData::MaxDisplayRows = 300;
        m_grid.setCellBudget(3 * 3);
        result = run(InsertLike);
        QCOMPARE(result.errorNumber, 30006);
        QCOMPARE(result.message, u"メモリオーバーのため、最初の2件を表示しています。"_s);
        QCOMPARE(result.rows, 2);
        QVERIFY(!kovatest::GridColumn(m_grid, 2).contains(QString()));
        QCOMPARE(diag::FetchSqlText(m_db->database(), u"1 +"_s).message, SqlError);
    }

    void help_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("message");
        QTest::newRow("one line") << u"OWNER"_s << u"OWNER・・・オブジェクトを所有しているユーザーID"_s;
        QTest::newRow("alias, two lines") << u"MIN_EXTENT"_s << u"※ストレージに関する情報\r\nMIN_EXTENTS・・・最小エクステントのバイト数"_s;
        QTest::newRow("case-sensitive") << u"owner"_s << u"owner・・・NO DATA"_s;
        QTest::newRow("empty first line") << u"SKIP_CORRUPT"_s << u"\r\nSKIP_CORRUPT・・・コラップ処理をしてあるか、否か"_s;
    }
    void help()
    {
        QFETCH(QString, field);
        QTEST(diag::FieldHelpText(field), "message");
    }

private:
    void insertRows(int count)
    {
        for (int id = 1; id <= count; ++id)
            QCOMPARE(basKovaData::ExecuteSql(m_db->database(), u"Insert into T Values( %1,NULL ) "_s.arg(id)), 1);
    }
    diag::SqlHistoryResult run(const QString& condition)
    {
        return diag::RunSqlHistoryQuery(m_db->database(), m_grid, condition);
    }
    std::optional<kovatest::Connected> m_db;
    controls::GridModel m_grid;
};

QTEST_GUILESS_MAIN(tst_DiagQueries)
#include "tst_DiagQueries.moc"
