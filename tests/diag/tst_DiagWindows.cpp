// label: gui
// The diagnostics windows over a real embedded database.
#include "diag/frmSub2.h"
#include "diag/frmSub3.h"
#include "diag/frmSub4.h"
#include "diag/frmSub5.h"
#include "support/MaintainSupport.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using basKovaData::MessageIcon;
using kovatest::Find;

namespace {

const QString SqlError = u"ＳＱＬ文のエラーです。確認してください。440"_s;

void ClickRow(controls::FlexGrid* view, int row)
{
    const QModelIndex index = view->model()->index(row - 1, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

// The value of `field` in the table information window's grid.
QString Value(const frmSub4& window, const QString& field)
{
    const controls::GridModel& grid = kovatest::GridOf(&window);
    const int row = int(kovatest::GridColumn(grid, 0).indexOf(field));
    return row > 0 ? grid.TextMatrix(row, 1) : u"(missing)"_s;
}

}  // namespace

class tst_DiagWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void valueList()
    {
        kovatest::Connected db({u"CREATE TABLE P (ID NUMBER(4), NAME VARCHAR2(10))"_s,
                                u"INSERT INTO P VALUES (1, 'A')"_s, u"INSERT INTO P VALUES (2, NULL)"_s,
                                u"INSERT INTO P VALUES (3, 'C')"_s});
        kovatest::MessageRecorder messages;
        QStringList seen;
        kovatest::WhenModal<frmSub2>([&seen](frmSub2* window) {
            QCOMPARE(window->windowTitle(), u"SQL確認"_s);
            seen = kovatest::GridColumn(kovatest::GridOf(window), 1, 1);
            kovatest::Click(window, u"Command8"_s);
        });
        QWidget owner;
        QVERIFY(frmSub2::Preview(&owner, u"数値型"_s, u"SELECT NAME\nFROM P ORDER BY ID"_s));
        QCOMPARE(seen, (QStringList{u"A"_s, u"[NULL]"_s, u"C"_s}));
        // A failing statement is told with the editor's caption; no list opens.
        QVERIFY(!frmSub2::Preview(&owner, u"数値型"_s, u"SELECT NAME FROM Q"_s));
        QCOMPARE(kovatest::Shown(messages, MessageIcon::Information, u"数値型"_s), QStringList{SqlError});
    }
    void viewDefinition()
    {
        kovatest::Connected db({u"CREATE TABLE EMP (ID NUMBER(4), NAME VARCHAR2(10))"_s,
                                u"CREATE VIEW V_EMP AS SELECT ID,\n  NAME\nFROM EMP\nWHERE ID > 1"_s});
        kovatest::MessageRecorder messages;
        QStringList texts;
        // The name as chosen: a view's text, nothing for another case, an error number.
        for (const QString& name : {u"V_EMP"_s, u"v_emp"_s, u"V'EMP"_s}) {
            basKovaData::ChosenTable = name;
            frmSub3 window;
            texts << Find<QPlainTextEdit>(&window, u"txtSQL"_s)->toPlainText();
        }
        QCOMPARE(texts, (QStringList{u"SELECT ID,\n  NAME\nFROM EMP\nWHERE ID > 1"_s, u""_s, u""_s}));
        QCOMPARE(kovatest::Shown(messages, MessageIcon::Information, u"VIEW定義"_s),
                 QStringList{u"エラーコード 440"_s});
    }
    void tableInformation()
    {
        kovatest::Connected db({u"CREATE TABLE EMP (ID NUMBER(4) PRIMARY KEY)"_s, u"INSERT INTO EMP VALUES (1)"_s});
        basKovaData::ChosenTable = u"EMP"_s;
        kovatest::MessageRecorder messages;
        frmSub4 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        controls::GridModel& grid = kovatest::GridOf(&window);
        QCOMPARE(grid.TextMatrix(0, 0) + u'|' + grid.TextMatrix(0, 1), u"項目名|データ"_s);
        QCOMPARE((QList<int>{grid.ColWidth(0), grid.ColWidth(1)}), (QList<int>{2550, 2400}));
        QCOMPARE(Value(window, u"TABLE_NAME"_s), u"EMP"_s);
        QCOMPARE(Value(window, u"NUM_ROWS"_s), u"[NULL]"_s);

        // A click on a field's row tells what it holds.
        auto* view = Find<controls::FlexGrid>(&window, u"Grid"_s);
        ClickRow(view, int(kovatest::GridColumn(grid, 0).indexOf(u"PCT_FREE"_s)));
        QCOMPARE(kovatest::Shown(messages, MessageIcon::Information, u"テーブル構造"_s),
                 QStringList{u"※ブロックに関する情報\r\nPCT_FREE・・・テーブルの作成・更新時の最小ブロック使用可能パーセント"_s});

        // 統計情報の更新 fills the statistics in.
        db.database()->DbExecuteSQL(u"INSERT INTO EMP VALUES (2)"_s);
        kovatest::Click(&window, u"Command1"_s);
        QCOMPARE(Value(window, u"NUM_ROWS"_s), u"2"_s);
        QVERIFY(Value(window, u"LAST_ANALYZED"_s).startsWith(QString::number(QDate::currentDate().year())));

        // Once ANALYZE fails, the button says so and gives up; the grid stays.
        db.database()->DbExecuteSQL(u"DROP TABLE EMP"_s);
        auto* refresh = Find<QPushButton>(&window, u"Command1"_s);
        for (int attempt = 0; attempt < 2 && refresh->isEnabled(); ++attempt)
            refresh->click();
        QCOMPARE(messages.texts().mid(1), QStringList{u"ANALYZE(統計情報の取得)が使えません。"_s});
        QVERIFY(!refresh->isEnabled());
        QCOMPARE(Value(window, u"NUM_ROWS"_s), u"2"_s);
    }
    void sqlHistory()
    {
        const QString insert = u"Insert into T Values( 1,'"_s + QString(90, u'z') + u"' )"_s;
        kovatest::Connected db({u"CREATE TABLE T (ID NUMBER(6), NOTE VARCHAR2(300))"_s, insert + u" "_s});
        kovatest::MessageRecorder messages;
        frmSub5 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(Find<QPlainTextEdit>(&window, u"TxtWhere"_s)->toPlainText(), u"ORDER BY FIRST_LOAD_TIME DESC"_s);
        QCOMPARE(kovatest::HelpTopicShown(&window, u"Command1"_s), 8);

        // A row click shows the statement's full text.
        const controls::GridModel& grid = kovatest::GridOf(&window);
        auto* view = Find<controls::FlexGrid>(&window, u"Grid"_s);
        auto* txtSQL = Find<QPlainTextEdit>(&window, u"txtSQL"_s);
        const int row = int(kovatest::GridColumn(grid, 2).indexOf(insert));
        QVERIFY(row > 0);
        ClickRow(view, row);
        QCOMPARE(txtSQL->toPlainText(), insert);

        // 実行 with the condition typed; a wrong one keeps the rows.
        auto* where = Find<QPlainTextEdit>(&window, u"TxtWhere"_s);
        where->setPlainText(u"SQL_TEXT LIKE 'Insert%'"_s);
        kovatest::Click(&window, u"Command2"_s);
        QCOMPARE(grid.Rows(), 2);
        where->setPlainText(u"SQL_TEXT LIKE"_s);
        kovatest::Click(&window, u"Command2"_s);
        QCOMPARE(grid.Rows(), 2);
        QCOMPARE(kovatest::Shown(messages, MessageIcon::Information, u"ログビュワー"_s), QStringList{SqlError});
        kovatest::Click(&window, u"frmSub5"_s);  // 閉じる
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(tst_DiagWindows)
#include "tst_DiagWindows.moc"
