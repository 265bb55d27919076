// label: gui
// The update window: what it shows, the messages of a run, and its help.
#include "help/frmHELP.h"
#include "maintain/frmUpDate.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "support/ModalHelper.h"
#include "support/TestSupport.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;

class tst_frmUpDate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opensEmptyAndCancels();
    void runReportsAndCloses_data();
    void runReportsAndCloses();
    void helpShowsTopicSeven();

private:
    QString values();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<kovatest::MessageRecorder> m_messages;
};

void tst_frmUpDate::init()
{
    basKovaData::ResetForTests();
    basKovaData::ResetColumnRules();
    m_dir = std::make_unique<QTemporaryDir>();
    m_messages = std::make_unique<kovatest::MessageRecorder>();
    kovatest::TestDatabase db = kovatest::OpenTestDatabase(
        *m_dir, {u"CREATE TABLE T (K NUMBER(4) PRIMARY KEY, N NUMBER(2))"_s, u"INSERT INTO T VALUES (1,0)"_s,
                 u"INSERT INTO T VALUES (2,0)"_s, u"INSERT INTO T VALUES (3,0)"_s});
    basKovaData::OraSession = db.session;
    basKovaData::OraDatabase = db.database;
    basKovaData::ChosenTable = u"T"_s;
    ColumnRules.assign(3, basKovaData::ColumnRule());
    ColumnRules[1].ColumnName = u"K"_s;
    ColumnRules[1].TypeText = u"NUMBER(4)"_s;
    ColumnRules[1].IsKey = true;
    ColumnRules[2].ColumnName = u"N"_s;
    ColumnRules[2].TypeText = u"NUMBER(2)"_s;
    basKovaData::ColumnCount = 2;
}

void tst_frmUpDate::cleanup()
{
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    m_messages.reset();
    m_dir.reset();
}

QString tst_frmUpDate::values()
{
    QStringList column;
    for (const QStringList& row : kovatest::QueryRows(*basKovaData::OraDatabase, u"SELECT N FROM T ORDER BY K"_s))
        column << row.first();
    return column.join(u',');
}

void tst_frmUpDate::opensEmptyAndCancels()
{
    frmUpDate window;
    window.show();
    QCOMPARE(window.windowTitle(), u"データ更新"_s);
    QVERIFY(window.findChild<QPlainTextEdit*>(u"txtSQL"_s)->toPlainText().isEmpty());
    QCOMPARE(window.findChild<QPushButton*>(u"Command1_0"_s)->text(), u"更新"_s);
    QCOMPARE(window.findChild<QPushButton*>(u"Command1_1"_s)->text(), u"キャンセル"_s);
    QCOMPARE(window.findChild<QPushButton*>(u"Command1_2"_s)->text(), u"ヘルプ"_s);
    QVERIFY(window.findChild<QWidget*>(u"Prgres"_s)->width() > 0);
    QVERIFY(!window.findChild<QWidget*>(u"Shape1"_s)->isVisible());
    ColumnRules[2].RuleKind = u"0"_s;
    window.findChild<QPushButton*>(u"Command1_1"_s)->click();
    QCOMPARE(window.result(), int(QDialog::Rejected));
    QVERIFY(m_messages->messages().isEmpty());
    QCOMPARE(values(), u"0,0,0"_s);
}

void tst_frmUpDate::runReportsAndCloses_data()
{
    QTest::addColumn<QString>("keyKind");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("start");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("after");
    QTest::newRow("fixed") << QString() << u"0"_s << 7.0 << QString() << QString() << u"7,7,7"_s;
    QTest::newRow("sequence") << QString() << u"3"_s << 5.0 << u"K>1"_s << QString() << u"0,5,6"_s;
    QTest::newRow("nothing set") << u"3"_s << QString() << 1.0 << QString() << u"設定がひとつもされていません。"_s
                                 << u"0,0,0"_s;
    QTest::newRow("key has a rule") << u"3"_s << u"3"_s << 1.0 << QString() << u"キーが更新項目に設定されています。"_s
                                    << u"0,0,0"_s;
    QTest::newRow("errors counted") << QString() << u"3"_s << 99.0 << QString() << u"更新エラー数：2"_s
                                    << u"99,0,0"_s;
    QTest::newRow("wrong condition") << QString() << u"3"_s << 1.0 << u"K ==== 1"_s
                                     << u"ＳＱＬ文のエラーです。確認してください。440"_s << u"0,0,0"_s;
}

void tst_frmUpDate::runReportsAndCloses()
{
    QFETCH(QString, keyKind);
    QFETCH(QString, kind);
    QFETCH(double, start);
    QFETCH(QString, condition);
    QFETCH(QString, message);
    QFETCH(QString, after);
    ColumnRules[1].RuleKind = keyKind;
    ColumnRules[1].NumValue = {1, 1};
    ColumnRules[2].RuleKind = kind;
    ColumnRules[2].NumValue = {start, 1};

    frmUpDate window;
    window.show();
    window.findChild<QPlainTextEdit*>(u"txtSQL"_s)->setPlainText(condition);
    window.findChild<QPushButton*>(u"Command1_0"_s)->click();

    QCOMPARE(m_messages->texts(), message.isEmpty() ? QStringList() : QStringList{message});
    for (const auto& shown : m_messages->messages()) {
        QCOMPARE(shown.icon, basKovaData::MessageIcon::Information);
        QCOMPARE(shown.title, u"データ更新"_s);
    }
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(values(), after);
    if (message.isEmpty())
        QCOMPARE(window.findChild<QWidget*>(u"Shape1"_s)->width(),
                 window.findChild<QWidget*>(u"Prgres"_s)->width() - 2);
}

void tst_frmUpDate::helpShowsTopicSeven()
{
    frmUpDate window;
    window.show();
    qint16 topic = 0;
    bool seen = false;
    kovatest::WhenModal<frmHELP>([&topic](frmHELP*) { topic = basKovaData::HelpTopic; }, &seen);
    window.findChild<QPushButton*>(u"Command1_2"_s)->click();
    QVERIFY(seen);
    QCOMPARE(topic, qint16(7));
    QVERIFY(window.isVisible());
    QCOMPARE(values(), u"0,0,0"_s);
}

QTEST_MAIN(tst_frmUpDate)
#include "tst_frmUpDate.moc"
