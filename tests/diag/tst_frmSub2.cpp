// label: gui
// The value list window, opened by the statement preview.
#include "controls/FlexGrid.h"
#include "diag/frmSub2.h"
#include "session/OraAccess.h"
#include "support/ModalHelper.h"
#include "support/TestSupport.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_frmSub2 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void preview_data();
    void preview();
};

void tst_frmSub2::preview_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("three values") << u"SELECT NAME\nFROM P ORDER BY ID"_s << true
                                  << QStringList{u"A"_s, u"[NULL]"_s, u"C"_s} << QStringList{};
    QTest::newRow("no row") << u"SELECT NAME FROM P WHERE ID = 0"_s << true << QStringList{} << QStringList{};
    QTest::newRow("wrong table") << u"SELECT NAME FROM Q"_s << false << QStringList{}
                                 << QStringList{u"ＳＱＬ文のエラーです。確認してください。440"_s};
}

void tst_frmSub2::preview()
{
    QFETCH(QString, statement);
    QFETCH(bool, shown);
    QFETCH(QStringList, values);
    basKovaData::ResetForTests();
    kovatest::MessageRecorder messages;
    QTemporaryDir dir;
    const kovatest::TestDatabase db = kovatest::OpenTestDatabase(
        dir, {u"CREATE TABLE P (ID NUMBER(4), NAME VARCHAR2(10))"_s, u"INSERT INTO P VALUES (1, 'A')"_s,
              u"INSERT INTO P VALUES (2, NULL)"_s, u"INSERT INTO P VALUES (3, 'C')"_s});
    basKovaData::OraDatabase = db.database;

    QStringList seen;
    bool opened = false;
    if (shown) {
        kovatest::WhenModal<frmSub2>(
            [&seen](frmSub2* window) {
                QCOMPARE(window->windowTitle(), u"SQL確認"_s);
                const controls::GridModel* grid = window->grid()->gridModel();
                QCOMPARE(window->grid()->objectName(), u"Grid"_s);
                QCOMPARE(QList<int>({grid->ColWidth(0), grid->ColWidth(1)}), QList<int>({600, 2800}));
                QCOMPARE(QStringList({grid->TextMatrix(0, 0), grid->TextMatrix(0, 1)}),
                         QStringList({u"No"_s, u"データ"_s}));
                for (int n = 1; n < grid->Rows(); ++n) {
                    QCOMPARE(grid->TextMatrix(n, 0), QString::number(n));
                    seen.append(grid->TextMatrix(n, 1));
                }
                auto* close = window->findChild<QPushButton*>(u"Command8"_s);
                QCOMPARE(close->text(), u"CLOSE"_s);
                close->click();
                QVERIFY(!window->isVisible());
            },
            &opened);
    }
    QWidget owner;
    QCOMPARE(frmSub2::Preview(&owner, u"数値型"_s, statement), shown);
    basKovaData::OraDatabase.reset();
    QCOMPARE(opened, shown);
    QCOMPARE(seen, values);
    QTEST(messages.texts(), "messages");
    for (const basKovaData::MessageRequest& request : messages.messages())
        QVERIFY(request.icon == basKovaData::MessageIcon::Information && request.title == u"数値型"_s);
}

QTEST_MAIN(tst_frmSub2)
#include "tst_frmSub2.moc"
