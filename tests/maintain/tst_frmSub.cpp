// label: gui
// The data viewer window: opening, 実行 with a wrong condition, 閉じる and ヘルプ.
#include "browser/ColumnGrid.h"
#include "controls/FlexGrid.h"
#include "help/frmHELP.h"
#include "maintain/frmSub.h"
#include "session/OraAccess.h"
#include "support/ModalHelper.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class tst_frmSub : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void openAndRun_data();
    void openAndRun();
    void closeKeepsCondition();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    controls::GridModel m_mainGrid;
    std::shared_ptr<OraSession> m_session;
};

namespace {

QStringList FirstColumn(const frmSub& window)
{
    const controls::GridModel* grid = window.findChild<controls::FlexGrid*>(u"Grid"_s)->gridModel();
    QStringList texts;
    for (int row = 0; row < grid->Rows(); ++row)
        texts.append(grid->TextMatrix(row, 0));
    return texts;
}

QString Text(const frmSub& window, const QString& name)
{
    return window.findChild<QLabel*>(name)->text();
}

}  // namespace

void tst_frmSub::init()
{
    basKovaData::ResetForTests();
    m_dir = std::make_unique<QTemporaryDir>();
    const kovatest::TestDatabase db = kovatest::OpenTestDatabase(
        *m_dir, {u"CREATE TABLE W (ID NUMBER(4) PRIMARY KEY, NAME VARCHAR2(10))"_s,
                u"INSERT INTO W VALUES (1, 'A')"_s, u"INSERT INTO W VALUES (2, NULL)"_s,
                u"INSERT INTO W VALUES (3, 'C')"_s});
    m_session = db.session;
    basKovaData::OraDatabase = db.database;
    browser::FillColumnGrid(db.database.get(), m_mainGrid, u"W"_s, true);
    basKovaData::ChosenTable = u"W"_s;
}

void tst_frmSub::cleanup()
{
    basKovaData::OraDatabase.reset();
    m_session.reset();
    m_dir.reset();
}

void tst_frmSub::openAndRun_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("messages");
    const QStringList opened{u"ID"_s, u"3"_s, u"2"_s, u"1"_s};
    QTest::newRow("where") << u"NAME IS NULL"_s << QStringList{u"ID"_s, u"2"_s} << u"データ 1件"_s << QStringList{};
    QTest::newRow("no rows") << u"ID > 5"_s << QStringList{u"ID"_s} << u"データ 0件"_s << QStringList{};
    QTest::newRow("wrong condition keeps the rows") << u"ID ="_s << opened << u"データ 3件"_s
                                                    << QStringList{u"ＳＱＬ文のエラーです。確認してください。440"_s};
}

void tst_frmSub::openAndRun()
{
    QFETCH(QString, condition);
    QFETCH(QStringList, rows);
    kovatest::MessageRecorder messages;
    basKovaData::ViewerCondition = u"ORDER BY ID DESC"_s;
    frmSub window(&m_mainGrid);
    QCOMPARE(window.windowTitle(), u"内容確認"_s);
    auto* txtSQL = window.findChild<QPlainTextEdit*>(u"txtSQL"_s);
    QCOMPARE(txtSQL->toPlainText(), u"ORDER BY ID DESC"_s);
    QCOMPARE(FirstColumn(window), (QStringList{u"ID"_s, u"3"_s, u"2"_s, u"1"_s}));
    QCOMPARE(Text(window, u"LblMSG"_s), u"データ 3件"_s);
    QCOMPARE(Text(window, u"Label1"_s), u"検索中"_s);

    // The grid is hidden while rows arrive, and shown again afterwards.
    auto* grid = window.findChild<controls::FlexGrid*>(u"Grid"_s);
    QList<bool> hiddenWhileFilling;
    connect(grid->gridModel(), &QAbstractItemModel::rowsInserted, this,
            [&]() { hiddenWhileFilling.append(grid->isHidden()); });
    txtSQL->setPlainText(condition);
    window.findChild<QPushButton*>(u"Command2"_s)->click();
    QTEST(FirstColumn(window), "rows");
    QTEST(Text(window, u"LblMSG"_s), "line");
    QTEST(messages.texts(), "messages");
    for (const basKovaData::MessageRequest& request : messages.messages())
        QVERIFY(request.icon == basKovaData::MessageIcon::Information && request.title == u"内容確認"_s);
    QCOMPARE(hiddenWhileFilling.size(), messages.texts().isEmpty() ? rows.size() - 1 : 0);
    QVERIFY(!hiddenWhileFilling.contains(false));
    QVERIFY(!grid->isHidden());
}

void tst_frmSub::closeKeepsCondition()
{
    bool helpShown = false;
    {
        frmSub window(&m_mainGrid);
        QCOMPARE(FirstColumn(window).size(), 4);
        kovatest::WhenModal<frmHELP>([](frmHELP*) {}, &helpShown);
        window.findChild<QPushButton*>(u"Command1"_s)->click();
        QVERIFY(helpShown);
        QCOMPARE(basKovaData::HelpTopic, qint16(5));
        window.findChild<QPlainTextEdit*>(u"txtSQL"_s)->setPlainText(u"  ID >= 2\r\n"_s);
        window.findChild<QPushButton*>(u"Command3"_s)->click();
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }
    QCOMPARE(basKovaData::ViewerCondition, u"ID >= 2"_s);
    frmSub reopened(&m_mainGrid);
    QCOMPARE(FirstColumn(reopened), (QStringList{u"ID"_s, u"2"_s, u"3"_s}));
    QCOMPARE(Text(reopened, u"LblMSG"_s), u"データ 2件"_s);
}

QTEST_MAIN(tst_frmSub)
#include "tst_frmSub.moc"
