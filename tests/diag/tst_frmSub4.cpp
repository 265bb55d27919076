// label: gui
// The table information window: the USER_TABLES row, field help and ANALYZE.
#include "controls/FlexGrid.h"
#include "diag/frmSub4.h"
#include "session/OraAccess.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

class tst_frmSub4 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void fieldHelp_data();
    void fieldHelp();
    void analyze();
    void analyzeRefused_data();
    void analyzeRefused();
    void failingQuery();

private:
    void open(const QStringList& statements = {});
    static controls::GridModel* grid(frmSub4& window);
    static QString value(frmSub4& window, const QString& field);

    std::unique_ptr<QTemporaryDir> m_dir;
    kovatest::TestDatabase m_db;
};

void tst_frmSub4::init()
{
    basKovaData::ResetForTests();
    m_dir = std::make_unique<QTemporaryDir>();
    basKovaData::ChosenTable = u"EMP"_s;
}

void tst_frmSub4::cleanup()
{
    basKovaData::OraDatabase.reset();
    m_db = {};
}

void tst_frmSub4::open(const QStringList& statements)
{
    m_db = kovatest::OpenTestDatabase(*m_dir, statements);
    basKovaData::OraDatabase = m_db.database;
}

controls::GridModel* tst_frmSub4::grid(frmSub4& window)
{
    return window.findChild<controls::FlexGrid*>(u"Grid"_s)->gridModel();
}

QString tst_frmSub4::value(frmSub4& window, const QString& field)
{
    const controls::GridModel* model = grid(window);
    for (int row = 1; row < model->Rows(); ++row)
        if (model->TextMatrix(row, 0) == field)
            return model->TextMatrix(row, 1);
    return u"(missing)"_s;
}

void tst_frmSub4::fieldHelp_data()
{
    QTest::addColumn<QString>("field");  // empty: the header row
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("header") << QString() << QStringList{};
    QTest::newRow("OWNER") << u"OWNER"_s << QStringList{u"OWNER・・・オブジェクトを所有しているユーザーID"_s};
    QTest::newRow("PCT_FREE") << u"PCT_FREE"_s
                              << QStringList{u"※ブロックに関する情報\r\nPCT_FREE・・・テーブルの作成・更新時の最小ブロック使用可能パーセント"_s};
    QTest::newRow("PARTITIONED") << u"PARTITIONED"_s
                                 << QStringList{u"\r\nPARTITIONED・・・パーティション表か否か"_s};
    QTest::newRow("TABLE_LOCK")
        << u"TABLE_LOCK"_s
        << QStringList{u"※チューニング関連\r\nTABLE_LOCK・・・テーブルの表ロックが可能か ENABLED/DISABLED\r\n"
                       u"                オラクルは行ロックが基本で、表ロックは普通は使用しない"_s};
    QTest::newRow("unknown") << u"NEWER_COLUMN"_s << QStringList{u"NEWER_COLUMN・・・NO DATA"_s};
}

void tst_frmSub4::fieldHelp()
{
    QFETCH(QString, field);
    open({u"CREATE TABLE EMP (ID NUMBER(4) PRIMARY KEY)"_s});
    kovatest::MessageRecorder messages;
    frmSub4 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(messages.texts(), QStringList{});
    auto* flex = window.findChild<controls::FlexGrid*>(u"Grid"_s);
    controls::GridModel* model = flex->gridModel();
    QCOMPARE(QStringList({model->TextMatrix(0, 0), model->TextMatrix(0, 1)}), QStringList({u"項目名"_s, u"データ"_s}));
    QCOMPARE(QList<int>({model->ColWidth(0), model->ColWidth(1)}), QList<int>({2550, 2400}));
    QCOMPARE(value(window, u"TABLE_NAME"_s), u"EMP"_s);
    QCOMPARE(value(window, u"CLUSTER_NAME"_s), u"[NULL]"_s);

    if (field.isEmpty()) {
        QHeaderView* header = flex->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    } else {
        int row = 1;
        // USER_TABLES has no OWNER (ALL_TABLES has), and a newer server may bring
        // columns this program has no help for: such names are put into a row.
        if (field == u"OWNER"_s || field == u"NEWER_COLUMN"_s)
            model->setTextMatrix(row, 0, field);
        while (row < model->Rows() && model->TextMatrix(row, 0) != field)
            ++row;
        QVERIFY(row < model->Rows());
        const QModelIndex cell = flex->model()->index(row - 1, 1);
        flex->scrollTo(cell);
        QTest::mouseClick(flex->viewport(), Qt::LeftButton, {}, flex->visualRect(cell).center());
        QCOMPARE(model->Row(), row);
    }
    QTEST(messages.texts(), "messages");
    for (const basKovaData::MessageRequest& request : messages.messages())
        QVERIFY(request.icon == basKovaData::MessageIcon::Information && request.title == u"テーブル構造"_s);
}

void tst_frmSub4::analyze()
{
    open({u"CREATE TABLE EMP (ID NUMBER(4))"_s, u"INSERT INTO EMP VALUES (1)"_s, u"INSERT INTO EMP VALUES (2)"_s});
    kovatest::MessageRecorder messages;
    frmSub4 window;
    QCOMPARE(value(window, u"NUM_ROWS"_s), u"[NULL]"_s);
    QCOMPARE(value(window, u"LAST_ANALYZED"_s), u"[NULL]"_s);
    m_db.database->DbExecuteSQL(u"INSERT INTO EMP VALUES (3)"_s);
    auto* refresh = window.findChild<QPushButton*>(u"Command1"_s);
    QCOMPARE(refresh->text(), u"統計情報の更新"_s);
    refresh->click();
    QCOMPARE(messages.texts(), QStringList{});
    QCOMPARE(value(window, u"NUM_ROWS"_s), u"3"_s);
    QVERIFY(value(window, u"LAST_ANALYZED"_s).startsWith(QString::number(QDate::currentDate().year())));
    QCOMPARE(grid(window)->TextMatrix(0, 1), u"データ"_s);
    QVERIFY(refresh->isEnabled());
}

void tst_frmSub4::analyzeRefused_data()
{
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("table dropped") << false;
    QTest::newRow("read-only file") << true;
}

void tst_frmSub4::analyzeRefused()
{
    QFETCH(bool, readOnly);
    open({u"CREATE TABLE EMP (ID NUMBER(4))"_s});
    if (readOnly) {
        if (::geteuid() == 0)
            QSKIP("file permissions do not stop the superuser");
        m_db = {};
        QVERIFY(QFile::setPermissions(m_dir->filePath(u"test.db"_s),
                                      QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        open();
    }
    kovatest::MessageRecorder messages;
    frmSub4 window;
    QCOMPARE(value(window, u"TABLE_NAME"_s), u"EMP"_s);
    if (!readOnly)
        m_db.database->DbExecuteSQL(u"DROP TABLE EMP"_s);
    auto* refresh = window.findChild<QPushButton*>(u"Command1"_s);
    for (int attempt = 0; attempt < 2 && refresh->isEnabled(); ++attempt)
        refresh->click();
    QCOMPARE(messages.texts(), QStringList{u"ANALYZE(統計情報の取得)が使えません。"_s});
    QCOMPARE(messages.messages().constFirst().title, u"テーブル構造"_s);
    QVERIFY(!refresh->isEnabled());
    QCOMPARE(value(window, u"TABLE_NAME"_s), u"EMP"_s);  // the grid is left as it was
    QCOMPARE(value(window, u"NUM_ROWS"_s), u"[NULL]"_s);
}

void tst_frmSub4::failingQuery()
{
    open({u"CREATE TABLE EMP (ID NUMBER(4))"_s});
    basKovaData::ChosenTable = u"E'MP"_s;
    kovatest::MessageRecorder messages;
    frmSub4 window;
    QCOMPARE(messages.texts(), QStringList{u"エラーコード 440"_s});
    QCOMPARE(messages.messages().constFirst().title, u"テーブル構造"_s);
    QCOMPARE(grid(window)->Rows(), 1);
    QCOMPARE(grid(window)->TextMatrix(0, 0), u"項目名"_s);
    messages.clear();
    basKovaData::ChosenTable = u"MISSING"_s;  // no row: only the header, no message
    frmSub4 missing;
    QCOMPARE(messages.texts(), QStringList{});
    QCOMPARE(grid(missing)->Rows(), 1);
}

QTEST_MAIN(tst_frmSub4)
#include "tst_frmSub4.moc"
