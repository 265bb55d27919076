// label: gui
// The delete, update and data viewer windows over a real embedded database.
#include "browser/ColumnGrid.h"
#include "maintain/frmDEL.h"
#include "maintain/frmSub.h"
#include "maintain/frmUpDate.h"
#include "support/MaintainSupport.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;
using basKovaData::MessageIcon;
using kovatest::Click;
using kovatest::Find;

class tst_MaintainWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_db.emplace(QStringList{u"CREATE TABLE T (K NUMBER(4) PRIMARY KEY, N NUMBER(2), B VARCHAR2(10))"_s,
                                 u"INSERT INTO T VALUES (1, 0, 'x')"_s, u"INSERT INTO T VALUES (2, 0, NULL)"_s,
                                 u"INSERT INTO T VALUES (3, 0, 'y')"_s});
        browser::FillColumnGrid(m_db->database(), m_columns, u"T"_s, true);
        basKovaData::ChosenTable = u"T"_s;
    }
    void cleanup() { m_db.reset(); }

    void run_data()
    {
        QTest::addColumn<bool>("update");  // frmUpDate, else frmDEL
        QTest::addColumn<QString>("rules");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("after");  // K,N of the rows left
        const QString all = u"1,0|2,0|3,0"_s, run = u"Command1_0"_s, cancel = u"Command1_1"_s;
        const QStringList none;
        QTest::newRow("delete every row") << false << u""_s << u" \n"_s << run << none << u""_s;
        QTest::newRow("delete, wrong condition") << false << u""_s << u"NO_SUCH=1"_s << run << QStringList{u"削除に失敗しました。"_s} << all;
        QTest::newRow("delete cancelled") << false << u""_s << u""_s << cancel << none << all;
        QTest::newRow("update, fixed") << true << u"N=0:7"_s << u""_s << run << none << u"1,7|2,7|3,7"_s;
        QTest::newRow("update cancelled") << true << u"N=0:7"_s << u""_s << cancel << none << all;
        QTest::newRow("nothing set") << true << u"K=3:1,1"_s << u""_s << run << QStringList{u"設定がひとつもされていません。"_s} << all;
        QTest::newRow("key has a rule") << true << u"K=3:1,1;N=3:1,1"_s << u""_s << run << QStringList{u"キーが更新項目に設定されています。"_s} << all;
        QTest::newRow("errors counted") << true << u"N=3:99,1"_s << u""_s << run << QStringList{u"更新エラー数：2"_s} << u"1,99|2,0|3,0"_s;
        QTest::newRow("fixed value too long") << true << u"B=0:elevenchars"_s << u""_s << run << QStringList{u"ＳＱＬ文のエラーです。確認してください。440"_s} << all;
        QTest::newRow("wrong condition") << true << u"N=3:1,1"_s << u"K ==== 1"_s << run << QStringList{u"ＳＱＬ文のエラーです。確認してください。440"_s} << all;
    }
    void run()
    {
        QFETCH(bool, update);
        QFETCH(QString, rules);
        QFETCH(QString, condition);
        QFETCH(QString, button);
        for (const QString& rule : rules.split(u';', Qt::SkipEmptyParts))
            kovatest::SetRule(rule);
        kovatest::MessageRecorder messages;
        std::unique_ptr<QDialog> window(update ? static_cast<QDialog*>(new frmUpDate) : new frmDEL);
        window->show();
        const QString title = update ? u"データ更新"_s : u"データ削除"_s;
        const MessageIcon icon = update ? MessageIcon::Information : MessageIcon::Exclamation;
        if (update && button == u"Command1_1")  // ヘルプ first: it leaves the window open
            QCOMPARE(kovatest::HelpTopicShown(window.get(), u"Command1_2"_s), 7);
        Find<QPlainTextEdit>(window.get(), u"txtSQL"_s)->setPlainText(condition);
        Click(window.get(), button);
        QTEST(kovatest::Shown(messages, icon, title), "messages");
        QVERIFY(!window->isVisible());
        QTEST(kovatest::Rows(u"SELECT K, N FROM T ORDER BY K"_s), "after");
        // No transaction is left open: another statement commits on its own.
        QCOMPARE(basKovaData::ExecuteSql(m_db->database(), u"INSERT INTO T VALUES (9, 0, 'z')"_s), 1);
        // An update that went through leaves the bar full.
        if (update && button == u"Command1_0" && messages.messages().isEmpty())
            QCOMPARE(Find<QWidget>(window.get(), u"Shape1"_s)->width(),
                     Find<QWidget>(window.get(), u"Prgres"_s)->width() - 2);
    }
    void viewer()
    {
        kovatest::MessageRecorder messages;
        basKovaData::ViewerCondition = u"ORDER BY K DESC"_s;
        frmSub window(&m_columns);
        auto* txtSQL = Find<QPlainTextEdit>(&window, u"txtSQL"_s);
        auto* grid = Find<controls::FlexGrid>(&window, u"Grid"_s);
        auto* line = Find<QLabel>(&window, u"LblMSG"_s);
        QCOMPARE(txtSQL->toPlainText(), u"ORDER BY K DESC"_s);
        QCOMPARE(kovatest::GridColumn(*grid->gridModel(), 0), (QStringList{u"K"_s, u"3"_s, u"2"_s, u"1"_s}));
        QCOMPARE(line->text(), u"データ 3件"_s);
        QCOMPARE(kovatest::HelpTopicShown(&window, u"Command1"_s), 5);
        // A wrong condition is told.
        txtSQL->setPlainText(u"K ="_s);
        Click(&window, u"Command2"_s);
        QCOMPARE(kovatest::Shown(messages, MessageIcon::Information, u"内容確認"_s),
                 QStringList{u"ＳＱＬ文のエラーです。確認してください。440"_s});
        // The grid is hidden while rows arrive, and shown again afterwards.
        QList<bool> hiddenWhileFilling;
        connect(grid->gridModel(), &QAbstractItemModel::rowsInserted, this,
                [&]() { hiddenWhileFilling.append(grid->isHidden()); });
        txtSQL->setPlainText(u"B IS NULL"_s);
        Click(&window, u"Command2"_s);
        QCOMPARE(kovatest::GridColumn(*grid->gridModel(), 0), (QStringList{u"K"_s, u"2"_s}));
        QCOMPARE(line->text(), u"データ 1件"_s);
        QCOMPARE(hiddenWhileFilling, QList<bool>{true});
        QVERIFY(!grid->isHidden());
        // 閉じる keeps the condition, trimmed, for the next opening.
        txtSQL->setPlainText(u"  K >= 2\r\n"_s);
        Click(&window, u"Command3"_s);
        QVERIFY(!window.isVisible());
        QCOMPARE(basKovaData::ViewerCondition, u"K >= 2"_s);
        frmSub reopened(&m_columns);
        QCOMPARE(kovatest::GridColumn(kovatest::GridOf(&reopened), 0), (QStringList{u"K"_s, u"2"_s, u"3"_s}));
    }

private:
    std::optional<kovatest::Connected> m_db;
    controls::GridModel m_columns;  // the main window's column grid of T
};

QTEST_MAIN(tst_MaintainWindows)
#include "tst_MaintainWindows.moc"
