// label: gui
// The creation window, alone and opened from the main window's データ作成.
#include "browser/frmMain.h"
#include "generate/CreationRun.h"
#include "controls/FlexGrid.h"
#include "generate/frmCreate.h"
#include "generate/frmPreview.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "support/ModalHelper.h"
#include "support/TestSupport.h"
#include "support/WidgetSupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;
using basKovaData::MessageIcon;

Q_DECLARE_METATYPE(basKovaData::MessageIcon)

namespace {

const QString Title = u"テストデータ作成"_s;

// Column 1 (the key) a sequence from 1.
void KeySequence()
{
    ColumnRules[1].RuleKind = u"3"_s;
    ColumnRules[1].NumValue = {1, 1};
}

QString RowCount()
{
    return kovatest::QueryRows(*basKovaData::OraDatabase, u"SELECT COUNT(*) FROM T"_s).first().first();
}

}  // namespace

class tst_frmCreate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        basKovaData::ResetForTests();
        m_dir.emplace();
        kovatest::TestDatabase db = kovatest::OpenTestDatabase(
            *m_dir, {u"CREATE TABLE T (ID NUMBER(4) PRIMARY KEY, NAME VARCHAR2(10))"_s});
        basKovaData::OraSession = db.session;
        basKovaData::OraDatabase = db.database;
        basKovaData::ChosenTable = u"T"_s;
        ColumnRules.assign(3, basKovaData::ColumnRule());
        ColumnRules[1].TypeText = u"NUMBER(4)"_s;
        ColumnRules[1].IsKey = true;
        ColumnRules[2].TypeText = u"VARCHAR2(10)"_s;  // no rule: NULL
        basKovaData::ColumnCount = 2;
        KeySequence();
        m_messages.emplace();
    }
    void cleanup()
    {
        m_messages.reset();
        kovatest::ReleaseSession();
    }

    void opensWithAHundredAndCancels()
    {
        frmCreate window;
        window.show();
        QCOMPARE(window.windowTitle(), Title);
        QCOMPARE(kovatest::Find<QLabel>(&window, u"Label1"_s)->text(), u"作成件数"_s);
        QCOMPARE(kovatest::Find<QLineEdit>(&window, u"txtKENSU"_s)->text(), u"100"_s);
        QCOMPARE(kovatest::Find<QPushButton>(&window, u"Command1_0"_s)->text(), u"作成"_s);
        QCOMPARE(kovatest::Find<QPushButton>(&window, u"Command1_1"_s)->text(), u"キャンセル"_s);
        kovatest::Click(&window, u"Command1_1"_s);
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QCOMPARE(window.progressTwips(), 0);
        QCOMPARE(RowCount(), u"0"_s);
    }

    void create_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("keyKind");  // 4: from a SELECT that fails
        QTest::addColumn<QString>("message");
        QTest::addColumn<MessageIcon>("icon");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("progress");
        QTest::addColumn<bool>("stays");
        QTest::addColumn<QString>("details");  // how the message's details begin
        QTest::addColumn<QString>("seed");
        QTest::newRow("refused") << u"0.9"_s << u"3"_s << u"件数を入力して下さい"_s << MessageIcon::Exclamation << u"0"_s << 0 << true << QString() << QString();
        QTest::newRow("rounded count, seeded") << u"2.5"_s << u"3"_s << QString() << MessageIcon::Information << u"2"_s << 2775 << false << QString() << u"42"_s;
        QTest::newRow("no seed") << u"2"_s << u"3"_s << generate::SeedMessage << MessageIcon::Exclamation << u"0"_s << 0 << true << QString() << u"-1"_s;
        QTest::newRow("too few values that never repeat") << u"10"_s << u"2u"_s << u"項目 T.ID の規則で作れる重複しない値は9件までのため、10件は作成できません。"_s
                                                          << MessageIcon::Exclamation << u"0"_s << 0 << false << QString() << QString();
        QTest::newRow("key past its digits") << u"1112"_s << u"3"_s
                                             << u"キー項目 T.ID の桁数では 1112件を作成できません。\nNUMBER(4) に入る連番は1から1111件までです。"_s
                                             << MessageIcon::Exclamation << u"0"_s << 0 << false << QString() << QString();
        QTest::newRow("same key in every row") << u"100"_s << u"0"_s << u"99件の重複がありました。"_s << MessageIcon::Information << u"1"_s
                                               << 2775 << false << u"ORA-00001: unique constraint violated"_s << QString();
        QTest::newRow("failing source query") << u"100"_s << u"4"_s << u"ＳＱＬ文のエラーです。確認してください。440"_s
                                              << MessageIcon::Information << u"0"_s << 0 << false << u"ORA-00942"_s << QString();
    }
    void create()
    {
        QFETCH(QString, count);
        QFETCH(QString, keyKind);
        QFETCH(QString, message);
        QFETCH(MessageIcon, icon);
        QFETCH(QString, rows);
        QFETCH(int, progress);
        QFETCH(bool, stays);
        QFETCH(QString, details);
        QFETCH(QString, seed);
        ColumnRules[1].RuleKind = keyKind.left(1);
        ColumnRules[1].ColumnName = u"ID"_s;
        ColumnRules[1].TextValue[0] = u"SELECT ID FROM NOWHERE"_s;
        ColumnRules[1].NumValue = {1, 9, 1};
        ColumnRules[1].Length = 4;
        ColumnRules[1].Unique = keyKind.endsWith(u'u');
        frmCreate window;
        window.show();
        kovatest::Find<QLineEdit>(&window, u"txtKENSU"_s)->setText(count);
        kovatest::Find<QLineEdit>(&window, u"TxtSEED"_s)->setText(seed);
        kovatest::Click(&window, u"Command1_0"_s);
        QCOMPARE(m_messages->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        for (const basKovaData::MessageRequest& shown : m_messages->messages()) {
            QCOMPARE(shown.icon, icon);
            QCOMPARE(shown.title, Title);
            QVERIFY2(shown.details.startsWith(details), qPrintable(shown.details));
        }
        QCOMPARE(RowCount(), rows);
        QCOMPARE(window.progressTwips(), progress);
        QCOMPARE(window.isVisible(), stays);
        if (message != generate::SeedMessage)
            QCOMPARE(basKovaData::ChosenSeed, seed.isEmpty() ? std::nullopt : std::optional<std::uint64_t>(seed.toULongLong()));
    }

    // A double click on 作成 runs once, and the window says nothing: a second
    // run would have met the first run's keys.
    void oneClickOneRun()
    {
        frmCreate window;
        window.show();
        kovatest::Find<QLineEdit>(&window, u"txtKENSU"_s)->setText(u"20"_s);
        kovatest::QueuedClicks(&window, u"Command1_0"_s, 3);
        QCOMPARE(RowCount(), u"20"_s);
        QCOMPARE(m_messages->texts(), QStringList());
        QVERIFY(!window.isVisible());
    }

    // A run of a million rows stops on キャンセル or Esc within a fraction of
    // a second, keeps nothing, and says so; meanwhile only the stop reacts.
    void stopsAndRollsBack_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("キャンセル") << false;
        QTest::newRow("Esc") << true;
    }
    void stopsAndRollsBack()
    {
        QFETCH(bool, escape);
        frmCreate window;
        window.show();
        kovatest::Find<QLineEdit>(&window, u"txtKENSU"_s)->setText(u"1000000"_s);
        QStringList inert;
        QElapsedTimer sinceStop;
        QTimer::singleShot(300, &window, [&] {
            for (const QString& name : {u"txtKENSU"_s, u"Command1_0"_s, u"CmdPreview"_s})
                if (!kovatest::Find<QWidget>(&window, name)->isEnabled())
                    inert << name;
            sinceStop.start();
            if (escape)
                QTest::keyClick(&window, Qt::Key_Escape);
            else
                kovatest::Click(&window, u"Command1_1"_s);
        });
        kovatest::Click(&window, u"Command1_0"_s);
        QVERIFY(sinceStop.isValid() && sinceStop.elapsed() < 1000);
        QCOMPARE(inert, (QStringList{u"txtKENSU"_s, u"Command1_0"_s, u"CmdPreview"_s}));
        QCOMPARE(m_messages->texts(), QStringList{u"データ作成を中止しました。"_s});
        QCOMPARE(m_messages->messages().first().icon, MessageIcon::Information);
        QCOMPARE(m_messages->messages().first().title, Title);
        QCOMPARE(RowCount(), u"0"_s);
        QVERIFY(!window.isVisible());
        QVERIFY(window.progressTwips() < generate::ProgressFullTwips);
    }

    // プレビュー shows at most the option's row count of the rows a run would
    // insert and inserts none; the run afterwards makes those very rows.
    void previewInsertsNothing()
    {
        ColumnRules[1].ColumnName = u"ID"_s;
        ColumnRules[2].ColumnName = u"NAME"_s;
        ColumnRules[2].RuleKind = u"2"_s;
        ColumnRules[2].NumValue = {1, 999, 1};
        ColumnRules[2].Length = 5;
        basKovaData::MaxDisplayRows = 2;
        frmCreate window;
        window.show();
        kovatest::Find<QLineEdit>(&window, u"txtKENSU"_s)->setText(u"3"_s);
        QStringList shown;
        kovatest::WhenModal<frmPreview>([&shown](frmPreview* preview) {
            const controls::GridModel& grid = *kovatest::Find<controls::FlexGrid>(preview, u"Grid"_s)->gridModel();
            for (int row = 0; row < grid.Rows(); ++row)
                shown << grid.TextMatrix(row, 0) + u","_s + grid.TextMatrix(row, 1);
            kovatest::Click(preview, u"Command1"_s);
        });
        kovatest::Click(&window, u"CmdPreview"_s);
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown.first(), u"ID,NAME"_s);
        QCOMPARE(RowCount(), u"0"_s);
        kovatest::Click(&window, u"Command1_0"_s);
        const auto rows = kovatest::QueryRows(*basKovaData::OraDatabase, u"SELECT ID, NAME FROM T ORDER BY ID"_s);
        QCOMPARE(rows.size(), 3);
        QCOMPARE((QStringList{rows[0].join(u','), rows[1].join(u',')}), shown.mid(1));
    }

    // スクリプト出力: the INSERTs of the count into the chosen file, nothing
    // inserted, and the window open for the next run.
    void writesTheScriptAndStaysOpen()
    {
        const QString path = m_dir->filePath(u"t.sql"_s);
        QList<basKovaData::FileRequest> asked;
        basKovaData::SetFileChooser([&](const basKovaData::FileRequest& request) {
            asked << request;
            return path;
        });
        frmCreate window;
        window.show();
        kovatest::Find<QLineEdit>(&window, u"txtKENSU"_s)->setText(u"3"_s);
        kovatest::Click(&window, u"CmdScript"_s);
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].save && asked[0].proposedName == u"T.sql"_s && asked[0].filter.contains(u"*.sql"_s));
        QCOMPARE(m_messages->texts(), QStringList{u"3件のINSERT文を出力しました。"_s});
        QCOMPARE(m_messages->messages().first().title, Title);
        QFile script(path);
        QVERIFY(script.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(script.readAll()),
                 u"SET DEFINE OFF\nSET SQLBLANKLINES ON\nInsert into T Values(  1 ,Null );\n"
                 "Insert into T Values(  2 ,Null );\nInsert into T Values(  3 ,Null );\nCOMMIT;\n"_s);
        QCOMPARE(RowCount(), u"0"_s);
        QVERIFY(window.isVisible() && kovatest::Find<QPushButton>(&window, u"Command1_0"_s)->isEnabled());
        kovatest::Click(&window, u"Command1_0"_s);
        QCOMPARE(RowCount(), u"3"_s);
    }

    // A script that cannot be written: a critical box that names the file and
    // why, and no file.
    void scriptThatCannotBeWritten()
    {
        const QString path = m_dir->filePath(u"t.sql"_s);
        QVERIFY(QDir().mkpath(path + u".new"_s));  // where the script is written first
        basKovaData::SetFileChooser([&](const basKovaData::FileRequest&) { return path; });
        frmCreate window;
        window.show();
        kovatest::Find<QLineEdit>(&window, u"txtKENSU"_s)->setText(u"3"_s);
        kovatest::Click(&window, u"CmdScript"_s);
        QCOMPARE(m_messages->messages().size(), 1);
        const basKovaData::MessageRequest& shown = m_messages->messages().first();
        QCOMPARE(shown.icon, basKovaData::MessageIcon::Critical);
        QVERIFY2(shown.text.startsWith(u"スクリプトを出力できませんでした。\nCannot write "_s + QDir::toNativeSeparators(path) + u": "_s),
                 qPrintable(shown.text));
        QVERIFY(!QFileInfo::exists(path));
    }

    void mainWindowCountsAgainAfterwards()
    {
        frmMain main;
        main.show();
        auto* list = kovatest::Find<QListWidget>(&main, u"List"_s);
        const QPoint centre = list->visualItemRect(list->item(0)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
        auto* rowCount = kovatest::Find<QLabel>(&main, u"LblCnt"_s);
        QCOMPARE(rowCount->text(), u"0"_s);
        // Loading the columns cleared every rule; the key gets its sequence again.
        QVERIFY(ColumnRules[1].RuleKind.isBlank());
        KeySequence();
        bool seen = false;
        kovatest::WhenModal<frmCreate>([](frmCreate* window) {
            kovatest::Find<QLineEdit>(window, u"txtKENSU"_s)->setText(u"7"_s);
            kovatest::Find<QLineEdit>(window, u"TxtSEED"_s)->setText(u"42"_s);
            kovatest::Click(window, u"Command1_0"_s);
        }, &seen);
        kovatest::Click(&main, u"CmdCreate"_s);
        QVERIFY(seen);
        QCOMPARE(rowCount->text(), u"7"_s);
        QVERIFY(m_messages->messages().isEmpty());
        // The seed belongs to the rules it was typed for: the table chosen
        // again starts without one.
        QCOMPARE(basKovaData::ChosenSeed, std::optional<std::uint64_t>(42));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
        QString seedShown = u"not opened"_s;
        kovatest::WhenModal<frmCreate>([&seedShown](frmCreate* window) {
            seedShown = kovatest::Find<QLineEdit>(window, u"TxtSEED"_s)->text();
        });
        kovatest::Click(&main, u"CmdCreate"_s);
        QCOMPARE(seedShown, QString());
    }

private:
    std::optional<QTemporaryDir> m_dir;
    std::optional<kovatest::MessageRecorder> m_messages;
};

QTEST_MAIN(tst_frmCreate)
#include "tst_frmCreate.moc"
