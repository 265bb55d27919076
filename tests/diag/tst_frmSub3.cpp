// label: gui
// The view definition window.
#include "diag/frmSub3.h"
#include "session/OraAccess.h"
#include "support/TestSupport.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_frmSub3 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void viewText_data();
    void viewText();
};

void tst_frmSub3::viewText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("several lines") << u"V_EMP"_s << u"SELECT ID,\n  NAME\nFROM EMP\nWHERE ID > 1"_s << QStringList{};
    QTest::newRow("a table") << u"EMP"_s << QString() << QStringList{};
    QTest::newRow("lower case") << u"v_emp"_s << QString() << QStringList{};
    QTest::newRow("failing query") << u"V'EMP"_s << QString() << QStringList{u"エラーコード 440"_s};
}

void tst_frmSub3::viewText()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    basKovaData::ResetForTests();
    QTemporaryDir dir;
    const kovatest::TestDatabase db = kovatest::OpenTestDatabase(
        dir, {u"CREATE TABLE EMP (ID NUMBER(4), NAME VARCHAR2(10))"_s,
              u"CREATE VIEW V_EMP AS SELECT ID,\n  NAME\nFROM EMP\nWHERE ID > 1"_s});
    basKovaData::OraDatabase = db.database;
    basKovaData::ChosenTable = name;
    kovatest::MessageRecorder messages;
    {
        frmSub3 window;
        QCOMPARE(window.windowTitle(), u"VIEW定義"_s);
        QCOMPARE(window.findChild<QPlainTextEdit*>(u"txtSQL"_s)->toPlainText(), text);
        QCOMPARE(window.findChild<QPushButton*>(u"Command3"_s)->text(), u"閉じる"_s);
        QTEST(messages.texts(), "messages");
        for (const basKovaData::MessageRequest& request : messages.messages())
            QVERIFY(request.icon == basKovaData::MessageIcon::Information && request.title == u"VIEW定義"_s);
    }
    basKovaData::OraDatabase.reset();
}

QTEST_MAIN(tst_frmSub3)
#include "tst_frmSub3.moc"
