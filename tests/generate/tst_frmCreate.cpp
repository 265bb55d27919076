// label: gui
// The creation window, alone and opened from the main window's データ作成.
#include "browser/frmMain.h"
#include "generate/frmCreate.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "support/ModalHelper.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;
using basKovaData::MessageIcon;

class tst_frmCreate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opensWithAHundred();
    void refusesCountsBelowOne_data();
    void refusesCountsBelowOne();
    void runsTheRoundedCount_data();
    void runsTheRoundedCount();
    void reportsFailedRows();
    void failingSourceQueryEndsTheRun();
    void mainWindowCountsAgainAfterwards();

private:
    void openDatabase();
    QString count(const QString& table);
    // Types `count` into a new window over table T and presses 作成.
    void run(const QString& count);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<kovatest::MessageRecorder> m_messages;
};

void tst_frmCreate::init()
{
    basKovaData::ResetForTests();
    basKovaData::ResetColumnRules();
    m_dir = std::make_unique<QTemporaryDir>();
    m_messages = std::make_unique<kovatest::MessageRecorder>();
}

void tst_frmCreate::cleanup()
{
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    m_messages.reset();
    m_dir.reset();
}

void tst_frmCreate::openDatabase()
{
    kovatest::TestDatabase db = kovatest::OpenTestDatabase(
        *m_dir, {u"CREATE TABLE T (ID NUMBER(4) PRIMARY KEY, NAME VARCHAR2(10))"_s});
    basKovaData::OraSession = db.session;
    basKovaData::OraDatabase = db.database;
    basKovaData::ChosenTable = u"T"_s;
    // Column 1 a sequence from 1, column 2 without a rule.
    ColumnRules.assign(3, basKovaData::ColumnRule());
    ColumnRules[1].TypeText = u"NUMBER(4)"_s;
    ColumnRules[1].RuleKind = u"3"_s;
    ColumnRules[1].NumValue[0] = 1;
    ColumnRules[1].NumValue[1] = 1;
    ColumnRules[2].TypeText = u"VARCHAR2(10)"_s;
    basKovaData::ColumnCount = 2;
}

QString tst_frmCreate::count(const QString& table)
{
    return kovatest::QueryRows(*basKovaData::OraDatabase, u"SELECT COUNT(*) FROM "_s + table).first().first();
}

void tst_frmCreate::run(const QString& text)
{
    frmCreate window;
    window.show();
    window.findChild<QLineEdit*>(u"txtKENSU"_s)->setText(text);
    window.findChild<QPushButton*>(u"Command1_0"_s)->click();
}

void tst_frmCreate::opensWithAHundred()
{
    openDatabase();
    frmCreate window;
    QCOMPARE(window.windowTitle(), u"テストデータ作成"_s);
    QCOMPARE(window.findChild<QLineEdit*>(u"txtKENSU"_s)->text(), u"100"_s);
    QCOMPARE(window.findChild<QLabel*>(u"Label1"_s)->text(), u"作成件数"_s);
    QCOMPARE(window.findChild<QPushButton*>(u"Command1_0"_s)->text(), u"作成"_s);
    QCOMPARE(window.findChild<QPushButton*>(u"Command1_1"_s)->text(), u"キャンセル"_s);
    QCOMPARE(window.progressTwips(), 0);
    window.findChild<QPushButton*>(u"Command1_1"_s)->click();
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QCOMPARE(count(u"T"_s), u"0"_s);
}

void tst_frmCreate::refusesCountsBelowOne_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << u"0"_s;
    QTest::newRow("abc") << u"abc"_s;
    QTest::newRow("empty") << QString();
}

void tst_frmCreate::refusesCountsBelowOne()
{
    QFETCH(QString, text);
    openDatabase();
    frmCreate window;
    window.show();
    window.findChild<QLineEdit*>(u"txtKENSU"_s)->setText(text);
    window.findChild<QPushButton*>(u"Command1_0"_s)->click();
    QCOMPARE(m_messages->texts(), QStringList{u"件数を入力して下さい"_s});
    QCOMPARE(m_messages->messages().first().icon, MessageIcon::Exclamation);
    QCOMPARE(m_messages->messages().first().title, u"テストデータ作成"_s);
    QVERIFY(window.isVisible());
    QCOMPARE(count(u"T"_s), u"0"_s);
}

void tst_frmCreate::runsTheRoundedCount_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("rows");
    QTest::newRow("2.5") << u"2.5"_s << u"2"_s;
    QTest::newRow("3.5") << u"3.5"_s << u"4"_s;
    QTest::newRow("100") << u"100"_s << u"100"_s;
}

void tst_frmCreate::runsTheRoundedCount()
{
    QFETCH(QString, text);
    QFETCH(QString, rows);
    openDatabase();
    frmCreate window;
    window.show();
    window.findChild<QLineEdit*>(u"txtKENSU"_s)->setText(text);
    window.findChild<QPushButton*>(u"Command1_0"_s)->click();
    QVERIFY(m_messages->messages().isEmpty());
    QCOMPARE(count(u"T"_s), rows);
    QCOMPARE(window.progressTwips(), 2775);
    QVERIFY(!window.isVisible());
}

void tst_frmCreate::reportsFailedRows()
{
    openDatabase();
    ColumnRules[1].RuleKind = u"0"_s;  // the same key in every row
    run(u"100"_s);
    QCOMPARE(m_messages->texts(), QStringList{u"99件の重複がありました。"_s});
    QCOMPARE(m_messages->messages().first().icon, MessageIcon::Information);
    QCOMPARE(m_messages->messages().first().title, u"テストデータ作成"_s);
    QCOMPARE(count(u"T"_s), u"1"_s);
}

void tst_frmCreate::failingSourceQueryEndsTheRun()
{
    openDatabase();
    ColumnRules[2].RuleKind = u"4"_s;
    ColumnRules[2].TextValue[0] = u"SELECT NAME FROM NOWHERE"_s;
    frmCreate window;
    window.show();
    window.findChild<QPushButton*>(u"Command1_0"_s)->click();
    QCOMPARE(m_messages->texts(), QStringList{u"ＳＱＬ文のエラーです。確認してください。440"_s});
    QCOMPARE(m_messages->messages().first().icon, MessageIcon::Information);
    QVERIFY(!window.isVisible());
    QCOMPARE(count(u"T"_s), u"0"_s);
}

void tst_frmCreate::mainWindowCountsAgainAfterwards()
{
    openDatabase();
    frmMain main;
    main.show();
    auto* list = main.findChild<QListWidget*>(u"List"_s);
    const QPoint centre = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    auto* lblCnt = main.findChild<QLabel*>(u"LblCnt"_s);
    QCOMPARE(lblCnt->text(), u"0"_s);
    // The load started every column without a rule; the key gets a sequence.
    QVERIFY(ColumnRules[1].RuleKind.isBlank());
    ColumnRules[1].RuleKind = u"3"_s;
    ColumnRules[1].NumValue[0] = 1;
    ColumnRules[1].NumValue[1] = 1;

    bool seen = false;
    kovatest::WhenModal<frmCreate>([](frmCreate* window) {
        window->findChild<QLineEdit*>(u"txtKENSU"_s)->setText(u"7"_s);
        window->findChild<QPushButton*>(u"Command1_0"_s)->click();
    }, &seen);
    main.findChild<QPushButton*>(u"CmdCreate"_s)->click();
    QVERIFY(seen);
    QCOMPARE(basKovaData::ChosenTable, u"T"_s);
    QCOMPARE(lblCnt->text(), u"7"_s);
    QVERIFY(m_messages->messages().isEmpty());
}

QTEST_MAIN(tst_frmCreate)
#include "tst_frmCreate.moc"
