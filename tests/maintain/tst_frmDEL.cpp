// label: gui
// Deleting rows by a condition: the statement, and the window over a real
// embedded database, opened from the main window's データ削除.
#include "browser/frmMain.h"
#include "maintain/DeleteRun.h"
#include "maintain/frmDEL.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "support/ModalHelper.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_frmDEL : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void statement_data();
    void statement();
    void deletes_data();
    void deletes();
    void cancelSendsNothing();
    void mainWindowCountsAgain();

private:
    QString count() const
    {
        return kovatest::QueryRows(*basKovaData::OraDatabase, u"SELECT COUNT(*) FROM T"_s).first().first();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<kovatest::MessageRecorder> m_messages;
};

void tst_frmDEL::init()
{
    basKovaData::ResetForTests();
    basKovaData::ResetColumnRules();
    m_dir = std::make_unique<QTemporaryDir>();
    m_messages = std::make_unique<kovatest::MessageRecorder>();
    kovatest::TestDatabase db = kovatest::OpenTestDatabase(
        *m_dir, {u"CREATE TABLE T (A NUMBER(4), B VARCHAR2(10))"_s, u"INSERT INTO T VALUES (1, 'x')"_s,
                 u"INSERT INTO T VALUES (2, 'y')"_s, u"INSERT INTO T VALUES (3, 'y')"_s});
    basKovaData::OraSession = db.session;
    basKovaData::OraDatabase = db.database;
    basKovaData::ChosenTable = u"T"_s;
}

void tst_frmDEL::cleanup()
{
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    m_messages.reset();
    m_dir.reset();
}

void tst_frmDEL::statement_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("sql");
    QTest::newRow("empty") << QString() << u"DELETE FROM T"_s;
    QTest::newRow("blanks") << u"   "_s << u"DELETE FROM T"_s;
    QTest::newRow("condition") << u" A=4 "_s << u"DELETE FROM T WHERE A=4"_s;
    QTest::newRow("two lines") << u"A=4\r\nAND B='x'"_s << u"DELETE FROM T WHERE A=4  AND B='x'"_s;
}

void tst_frmDEL::statement()
{
    QFETCH(QString, condition);
    QFETCH(QString, sql);
    QCOMPARE(maintain::DeleteStatement(u"T"_s, condition), sql);
}

void tst_frmDEL::deletes_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("left");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("every row") << u" "_s << u"0"_s << QStringList();
    QTest::newRow("two lines") << u"B='y'\nAND A=2"_s << u"2"_s << QStringList();
    QTest::newRow("wrong condition") << u"NO_SUCH=1"_s << u"3"_s << QStringList{u"削除に失敗しました。"_s};
}

void tst_frmDEL::deletes()
{
    QFETCH(QString, condition);
    QFETCH(QString, left);
    QFETCH(QStringList, messages);
    frmDEL window;
    window.show();
    QCOMPARE(window.windowTitle(), u"データ削除"_s);
    auto* box = window.findChild<QPlainTextEdit*>(u"txtSQL"_s);
    QVERIFY(box->toPlainText().isEmpty());
    box->setPlainText(condition);
    window.findChild<QPushButton*>(u"Command1_0"_s)->click();
    QCOMPARE(m_messages->texts(), messages);
    if (!messages.isEmpty()) {
        QCOMPARE(m_messages->messages().first().icon, basKovaData::MessageIcon::Exclamation);
        QCOMPARE(m_messages->messages().first().title, u"データ削除"_s);
    }
    QVERIFY(!window.isVisible());
    QCOMPARE(count(), left);
    // The transaction was ended: another statement commits on its own.
    QVERIFY(basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), u"INSERT INTO T VALUES (9, 'z')"_s) == 1);
}

void tst_frmDEL::cancelSendsNothing()
{
    frmDEL window;
    window.show();
    window.findChild<QPlainTextEdit*>(u"txtSQL"_s)->setPlainText(QString());
    window.findChild<QPushButton*>(u"Command1_1"_s)->click();
    QVERIFY(!window.isVisible());
    QCOMPARE(count(), u"3"_s);
    QVERIFY(m_messages->messages().isEmpty());
}

void tst_frmDEL::mainWindowCountsAgain()
{
    frmMain main;
    main.show();
    auto* list = main.findChild<QListWidget*>(u"List"_s);
    const QPoint centre = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    auto* lblCnt = main.findChild<QLabel*>(u"LblCnt"_s);
    QCOMPARE(lblCnt->text(), u"3"_s);
    bool seen = false;
    kovatest::WhenModal<frmDEL>([](frmDEL* window) {
        window->findChild<QPlainTextEdit*>(u"txtSQL"_s)->setPlainText(u"A > 1"_s);
        window->findChild<QPushButton*>(u"Command1_0"_s)->click();
    }, &seen);
    main.findChild<QPushButton*>(u"Command1"_s)->click();
    QVERIFY(seen);
    QCOMPARE(lblCnt->text(), u"1"_s);
}

QTEST_MAIN(tst_frmDEL)
#include "tst_frmDEL.moc"
