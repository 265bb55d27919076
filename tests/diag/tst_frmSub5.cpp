// label: gui
// The SQL history window: opening, 実行, row clicks, ヘルプ and 閉じる.
#include "controls/FlexGrid.h"
#include "diag/frmSub5.h"
#include "help/frmHELP.h"
#include "session/OraAccess.h"
#include "support/ModalHelper.h"
#include "support/TestSupport.h"

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Caption = u"ログビュワー"_s;
const QString LongInsert = u"Insert into T Values( 1,'"_s + QString(90, u'z') + u"' ) "_s;

template <class T>
T* Child(QWidget& window, const QString& name)
{
    T* child = window.findChild<T*>(name);
    if (!child)
        qFatal("no control %s", qPrintable(name));
    return child;
}

void ClickRow(controls::FlexGrid* view, int row)
{
    if (row == 0) {
        QHeaderView* header = view->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionSize(0) / 2, header->height() / 2));
        return;
    }
    const QModelIndex index = view->model()->index(row - 1, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

}  // namespace

class tst_frmSub5 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void openingAndClicks();
    void runCondition_data();
    void runCondition();
    void helpAndClose();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<OraSession> m_session;
};

void tst_frmSub5::init()
{
    basKovaData::ResetForTests();
    m_dir = std::make_unique<QTemporaryDir>();
    const kovatest::TestDatabase db =
        kovatest::OpenTestDatabase(*m_dir, {u"CREATE TABLE T (ID NUMBER(6), NOTE VARCHAR2(300))"_s});
    m_session = db.session;
    basKovaData::OraDatabase = db.database;
    QCOMPARE(basKovaData::ExecuteSql(db.database.get(), LongInsert), 1);
}

void tst_frmSub5::cleanup()
{
    basKovaData::OraDatabase.reset();
    m_session.reset();
    m_dir.reset();
}

void tst_frmSub5::openingAndClicks()
{
    frmSub5 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), Caption);
    QCOMPARE(Child<QPlainTextEdit>(window, u"TxtWhere"_s)->toPlainText(), u"ORDER BY FIRST_LOAD_TIME DESC"_s);
    QCOMPARE(Child<QLabel>(window, u"LblMSG"_s)->text(), u"行をクリックするとＳＱＬ全文が表示されます。"_s);
    QCOMPARE(Child<QLabel>(window, u"Label1"_s)->text(), u"検索中"_s);
    auto* view = Child<controls::FlexGrid>(window, u"Grid"_s);
    const controls::GridModel* grid = view->gridModel();
    QCOMPARE(grid->Cols(), 3);
    QCOMPARE((QStringList{grid->TextMatrix(0, 0), grid->TextMatrix(0, 1), grid->TextMatrix(0, 2)}),
             (QStringList{u"HASH_VALUE"_s, u"FIRST_LOAD_TIME"_s, u"SQL_TEXT"_s}));
    QCOMPARE((QList<int>{grid->ColWidth(0), grid->ColWidth(1), grid->ColWidth(2)}), (QList<int>{1000, 1800, 8200}));
    int row = 1;
    while (row < grid->Rows() && grid->TextMatrix(row, 2) != LongInsert.trimmed())
        ++row;
    QVERIFY(row < grid->Rows());  // the statement this program ran

    auto* txtSQL = Child<QPlainTextEdit>(window, u"txtSQL"_s);
    ClickRow(view, row);
    QCOMPARE(txtSQL->toPlainText(), LongInsert.trimmed());
    txtSQL->setPlainText(u"kept"_s);
    ClickRow(view, 0);
    QCOMPARE(grid->Row(), 0);
    QCOMPARE(txtSQL->toPlainText(), u"kept"_s);
}

void tst_frmSub5::runCondition_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("line break") << u"SQL_TEXT LIKE 'Insert%'\r\nAND HASH_VALUE > 0"_s << 1 << QStringList{};
    QTest::newRow("wrong condition") << u"SQL_TEXT LIKE"_s << -1 << QStringList{u"ＳＱＬ文のエラーです。確認してください。440"_s};
}

void tst_frmSub5::runCondition()
{
    QFETCH(QString, condition);
    QFETCH(int, rows);
    kovatest::MessageRecorder messages;
    frmSub5 window;
    const int opened = Child<controls::FlexGrid>(window, u"Grid"_s)->gridModel()->Rows();
    Child<QPlainTextEdit>(window, u"TxtWhere"_s)->setPlainText(condition);
    Child<QPushButton>(window, u"Command2"_s)->click();
    QCOMPARE(Child<controls::FlexGrid>(window, u"Grid"_s)->gridModel()->Rows(), rows < 0 ? opened : rows + 1);
    QTEST(messages.texts(), "messages");
    for (const basKovaData::MessageRequest& request : messages.messages())
        QVERIFY(request.icon == basKovaData::MessageIcon::Information && request.title == Caption);
}

void tst_frmSub5::helpAndClose()
{
    frmSub5 window;
    bool helpShown = false;
    kovatest::WhenModal<frmHELP>([](frmHELP* help) { help->close(); }, &helpShown);
    Child<QPushButton>(window, u"Command1"_s)->click();
    QVERIFY(helpShown);
    QCOMPARE(basKovaData::HelpTopic, qint16(8));
    auto* close = Child<QPushButton>(window, u"frmSub5"_s);
    QCOMPARE(close->text(), u"閉じる"_s);
    close->click();
    QCOMPARE(window.result(), int(QDialog::Accepted));
}

QTEST_MAIN(tst_frmSub5)
#include "tst_frmSub5.moc"
