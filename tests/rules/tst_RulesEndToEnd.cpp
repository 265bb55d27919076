// label: gui
// Rules set through the editors from the main window's grid, then a creation
// run, read back from the database: one column of every type family.
#include "browser/frmMain.h"
#include "controls/FlexGrid.h"
#include "generate/frmCreate.h"
#include "rules/ColumnRule.h"
#include "rules/frmSET01.h"
#include "rules/frmSET02.h"
#include "rules/frmSET03.h"
#include "session/OraAccess.h"
#include "support/ModalHelper.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// What the system delivers for a double-click: press, release, double-click, release.
void DoubleClick(QWidget* widget, const QPoint& pos)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

void Type(QWidget& window, const QString& box, const QString& text)
{
    auto* edit = window.findChild<QLineEdit*>(box);
    QVERIFY2(edit, qPrintable(box));
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void Click(QWidget& window, const QString& name)
{
    auto* button = window.findChild<QAbstractButton*>(name);
    QVERIFY2(button, qPrintable(name));
    button->click();
}

}  // namespace

class tst_RulesEndToEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        basKovaData::ResetForTests();
        basKovaData::ResetColumnRules();
    }
    void cleanup()
    {
        basKovaData::OraDatabase.reset();
        basKovaData::OraSession.reset();
    }

    void everyFamilyFromItsEditor();

private:
    // Double-clicks the 設定 cell of `row` and lets `edit` fill the editor of class T.
    template <class T>
    void editRule(frmMain& main, int row, const std::function<void(T*)>& edit)
    {
        auto* grid = main.findChild<controls::FlexGrid*>(u"Grid1"_s);
        const QModelIndex index = grid->model()->index(row - 1, 4);
        bool seen = false;
        kovatest::WhenModal<T>(edit, &seen);
        DoubleClick(grid->viewport(), grid->visualRect(index).center());
        QVERIFY(seen);
    }
};

void tst_RulesEndToEnd::everyFamilyFromItsEditor()
{
    QTemporaryDir dir;
    kovatest::TestDatabase db = kovatest::OpenTestDatabase(
        dir, {u"CREATE TABLE E2E (N NUMBER(6) PRIMARY KEY, C CHAR(6), D DATE NOT NULL, V VARCHAR2(10))"_s});
    basKovaData::OraSession = db.session;
    basKovaData::OraDatabase = db.database;
    kovatest::MessageRecorder messages;

    frmMain main;
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    auto* list = main.findChild<QListWidget*>(u"List"_s);
    DoubleClick(list->viewport(), list->visualItemRect(list->item(0)).center());
    auto* grid = main.findChild<controls::FlexGrid*>(u"Grid1"_s)->gridModel();
    QCOMPARE(grid->Rows(), 5);

    editRule<frmSET01>(main, 1, [](frmSET01* w) {
        Click(*w, u"OptSET_3"_s);
        Type(*w, u"TxtNUM04_0"_s, u"10"_s);
        Type(*w, u"TxtNUM04_1"_s, u"5"_s);
        Click(*w, u"CmdSET"_s);
    });
    editRule<frmSET02>(main, 2, [](frmSET02* w) {
        Click(*w, u"OptSET_3"_s);
        Type(*w, u"TxtNUM04_0"_s, u"1"_s);
        Type(*w, u"TxtNUM04_1"_s, u"1"_s);
        Click(*w, u"CmdSET"_s);
    });
    editRule<frmSET03>(main, 3, [](frmSET03* w) {
        QVERIFY(!w->findChild<QAbstractButton*>(u"OptSET_5"_s)->isEnabled());  // NOT NULL
        Click(*w, u"OptSET_3"_s);
        Type(*w, u"TxtNUM04_0"_s, u"20011231"_s);
        Type(*w, u"TxtNUM04_1"_s, u"1"_s);
        Click(*w, u"CmdSET"_s);
    });
    editRule<frmSET02>(main, 4, [](frmSET02* w) {
        Click(*w, u"OptSET_1"_s);
        Click(*w, u"ChkMulti_0"_s);
        Type(*w, u"TxtNUM02_0"_s, u"A"_s);
        Click(*w, u"ChkMulti_1"_s);
        Type(*w, u"TxtNUM02_1"_s, u"B'C"_s);
        Click(*w, u"CmdSET"_s);
    });
    QCOMPARE(messages.texts(), QStringList());
    QCOMPARE(grid->TextMatrix(1, 4), u"連番"_s);
    QCOMPARE(grid->TextMatrix(3, 4), u"連番"_s);
    QCOMPARE(grid->TextMatrix(4, 4), u"複数固定"_s);
    QCOMPARE(grid->CellBackColor(4, 4), controls::GridRgb(0, 150, 150));

    bool created = false;
    kovatest::WhenModal<frmCreate>([](frmCreate* w) {
        Type(*w, u"txtKENSU"_s, u"3"_s);
        Click(*w, u"Command1_0"_s);
    }, &created);
    main.findChild<QPushButton*>(u"CmdCreate"_s)->click();
    QVERIFY(created);
    QCOMPARE(messages.texts(), QStringList());
    QCOMPARE(main.findChild<QLabel*>(u"LblCnt"_s)->text(), u"3"_s);
    QCOMPARE(kovatest::QueryRows(*db.database, u"SELECT N, C, TO_CHAR(D, 'YYYYMMDD'), V FROM E2E ORDER BY N"_s),
             (QList<QStringList>{{u"10"_s, u"000001"_s, u"20011231"_s, u"A"_s},
                                 {u"15"_s, u"000002"_s, u"20020101"_s, u"B'C"_s},
                                 {u"20"_s, u"000003"_s, u"20020102"_s, u"A"_s}}));
}

QTEST_MAIN(tst_RulesEndToEnd)
#include "tst_RulesEndToEnd.moc"
