// label: gui
// The main window driven by objectName over a real embedded database.
#include "browser/SqlPlusLauncher.h"
#include "browser/frmMain.h"
#include "controls/FlexGrid.h"
#include "diag/frmCompare.h"
#include "generate/ColumnProfile.h"
#include "rules/ColumnRule.h"
#include "rules/frmRuleEditor.h"
#include "session/OraAccess.h"
#include "shared/Questions.h"
#include "support/BrowserSupport.h"
#include "support/ModalHelper.h"
#include "support/WidgetSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QTableWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;
using basKovaData::MessageIcon;
using kovatest::Find;

class tst_frmMain : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        kovatest::ResetProgramState();
        browser::SetTerminalLookup([] { return QString(); });
        m_dir = std::make_unique<QTemporaryDir>();
        m_messages = std::make_unique<kovatest::MessageRecorder>();
    }

    void cleanup()
    {
        delete m_window;
        kovatest::ReleaseSession();
        m_messages.reset();
        m_dir.reset();
    }

    // Tables, then views; until one is chosen only the commands that need
    // none are open.
    void listsTablesThenViews()
    {
        open();
        auto* list = Find<QListWidget>(m_window, u"List"_s);
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown.append(list->item(i)->text());
        QCOMPARE(shown, (QStringList{u"ITEMS"_s, u"ORDERS"_s, u"EMPTYT"_s, u"ITEM_NAMES"_s, u"BROKEN"_s}));
        QCOMPARE(openCommands(), u"Command2 Command4 Command6 Command8 Command9"_s);
        QVERIFY(m_messages->messages().isEmpty());
    }

    void emptySchemaSaysSo()
    {
        open({});
        expectMessage(u"テーブルがひとつもないです。"_s, MessageIcon::Information);
    }

    void choosing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("view");
        QTest::addColumn<QStringList>("shown");  // grid rows, row count, the viewer's condition
        QTest::newRow("first view") << u"ITEM_NAMES"_s << true << QStringList{u"3"_s, u"2"_s, QString()};
        QTest::newRow("key of two columns") << u"ORDERS"_s << false << QStringList{u"4"_s, u"0"_s, u"ORDER BY NO,LINE"_s};
    }

    // A double-click in the list loads the grid, counts the rows and sets up
    // the commands for a table or a view.
    void choosing()
    {
        QFETCH(QString, name);
        QFETCH(bool, view);
        open();
        choose(name);
        auto* text1 = Find<QLineEdit>(m_window, u"Text1"_s);
        QCOMPARE(text1->text(), name);
        QCOMPARE(text1->palette().color(QPalette::Base), view ? QColor(0, 255, 255) : QColor(Qt::white));
        QCOMPARE(Find<QLabel>(m_window, u"LblTV"_s)->text(), view ? u"VIEW"_s : u"TABLE"_s);
        QCOMPARE(Find<QPushButton>(m_window, u"Command7"_s)->text(), view ? u"VIEW定義"_s : u"TABLE情報"_s);
        QCOMPARE(openCommands(), view ? u"Cmd Command2 Command4 Command6 Command7 Command8 Command9"_s
                                      : u"Cmd CmdAuto CmdComp CmdCreate CmdLoad CmdSave CmdStat Command1 Command2 Command3 Command4 Command5 "
                                        "Command6 Command7 Command8 Command9"_s);
        auto* lblCnt = Find<QLabel>(m_window, u"LblCnt"_s);
        QTEST((QStringList{QString::number(grid().Rows()), lblCnt->text(), basKovaData::ViewerCondition}), "shown");
        QCOMPARE(lblCnt->palette().color(QPalette::WindowText), QColor(128, 255, 128));
        QVERIFY(m_messages->messages().isEmpty());
    }

    // A name that fails to load says why, and the previous table's count does
    // not stay beside it.
    void loadFailures()
    {
        open();
        auto* lblCnt = Find<QLabel>(m_window, u"LblCnt"_s);
        basKovaData::MaxDisplayRows = 3;
        choose(u"ORDERS"_s);
        choose(u"ITEMS"_s);
        expectMessage(u"最大行を超えました"_s, MessageIcon::Exclamation);
        QCOMPARE(lblCnt->text(), QString());
        m_messages->clear();
        choose(u"BROKEN"_s);
        expectMessage(u"ビューにエラーがあります。確認してください。"_s, MessageIcon::Information);
        QCOMPARE(lblCnt->text(), u"ERROR"_s);
        QCOMPARE(lblCnt->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    }

    // A double-click on a 設定 cell opens the editor of the column's type or
    // says that the type is not supported; the right button clears the cell's
    // rule, and on the heading every rule.
    void ruleCells()
    {
        open();
        choose(u"ITEMS"_s);
        bool opened = false;
        kovatest::WhenModal<frmRuleEditor>([](frmRuleEditor* w) { kovatest::Click(w, u"CmdCancel"_s); }, &opened);
        kovatest::DoubleClick(gridView()->viewport(), cellCentre(5, 4));  // DATE
        QVERIFY(opened);
        kovatest::DoubleClick(gridView()->viewport(), cellCentre(6, 1));  // not the rule column: nothing
        QVERIFY(m_messages->messages().isEmpty());
        kovatest::DoubleClick(gridView()->viewport(), cellCentre(7, 4));  // RAW
        expectMessage(u"RAW型には対応していません。"_s, MessageIcon::Information);

        ColumnRules[1].RuleKind = u"1"_s;
        ColumnRules[2].RuleKind = u"2"_s;
        const QHeaderView* header = gridView()->horizontalHeader();
        const QPoint heading(header->sectionViewportPosition(4) + header->sectionSize(4) / 2, header->height() / 2);
        QList<int> rules;
        for (const auto& [area, at] : {std::pair(gridView()->viewport(), cellCentre(2, 3)),
                                        std::pair(gridView()->viewport(), cellCentre(2, 4)), std::pair(header->viewport(), heading)}) {
            QTest::mousePress(area, Qt::RightButton, {}, at);
            QTest::mouseRelease(area, Qt::RightButton, {}, at);
            rules << basKovaData::CountSetRules();
        }
        QCOMPARE(rules, (QList<int>{2, 1, 0}));
    }

    // ルール保存 writes the table's rules into the rules folder; ルール読込
    // replaces them and shows them in the grid, or refuses a wrong file and
    // changes nothing.
    void ruleFiles()
    {
        basKovaData::AppDirectory = m_dir->path() + u"/"_s;
        open();
        choose(u"ITEMS"_s);
        QList<basKovaData::FileRequest> asked;
        QString answer = m_dir->filePath(u"items.json"_s);
        basKovaData::SetFileChooser([&](const basKovaData::FileRequest& request) {
            asked << request;
            return answer;
        });
        ColumnRules[1].RuleKind = u"3"_s;
        ColumnRules[1].NumValue = {5, 1};
        ColumnRules[3].RuleKind = u"2"_s;
        ColumnRules[3].NumValue = {1, 9, 1};
        kovatest::Click(m_window, u"CmdSave"_s);
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].save && QFileInfo(asked[0].folder) == QFileInfo(m_dir->filePath(u"rules"_s)));
        QVERIFY(QFileInfo(asked[0].folder).isDir());
        QCOMPARE(asked[0].proposedName, u"ITEMS.json"_s);

        for (int row = 1; row < int(ColumnRules.size()); ++row)
            ColumnRules[std::size_t(row)].clearRule();
        ColumnRules[2].RuleKind = u"5"_s;
        kovatest::Click(m_window, u"CmdLoad"_s);
        QVERIFY(!asked[1].save);
        QCOMPARE(basKovaData::CountSetRules(), 2);
        QCOMPARE((QStringList{grid().TextMatrix(1, 4), grid().TextMatrix(2, 4), grid().TextMatrix(3, 4)}),
                 (QStringList{u"連番"_s, QString(), u"ランダム"_s}));
        QVERIFY(m_messages->messages().isEmpty());

        answer = m_dir->filePath(u"wrong.json"_s);
        kovatest::WriteFile(answer, "{\"kova-rules\": 1, \"columns\": [{\"column\": \"CODE\", \"kind\": \"null\", \"x\": 1}]}");
        kovatest::Click(m_window, u"CmdLoad"_s);
        expectMessage(u"ルールファイルを読み込めませんでした。\nCODE: null には x は使えません。"_s, MessageIcon::Exclamation);
        QCOMPARE(ColumnRules[1].RuleKind.text(), u"3"_s);

        // Another table's file is put on this one, by column name, only when
        // the user says so; いいえ changes nothing.
        answer = m_dir->filePath(u"orders.json"_s);
        kovatest::WriteFile(answer, "{\"kova-rules\": 1, \"table\": \"ORDERS\", \"seed\": 5, "
                                    "\"columns\": [{\"column\": \"CODE\", \"kind\": \"fixed\", \"value\": 7}]}");
        QStringList questions;
        QStringList shown;
        for (const bool yes : {false, true}) {
            basKovaData::SetYesNoHandler([&questions, yes](const basKovaData::MessageRequest& request) {
                questions << request.text;
                return yes;
            });
            kovatest::Click(m_window, u"CmdLoad"_s);
            shown << ColumnRules[1].RuleKind.text() + grid().TextMatrix(1, 4) + u" "_s
                         + QString::number(basKovaData::ChosenSeed.value_or(0)) + u" "_s
                         + QString::number(basKovaData::CountSetRules());
        }
        const QString question = u"このルールファイルはテーブル ORDERS のものです。\nテーブル ITEMS の同じ名前の列に読み込みますか？"_s;
        QCOMPARE(questions, (QStringList{question, question}));
        QCOMPARE(shown, (QStringList{u"3連番 0 2"_s, u"0単一固定 5 1"_s}));
        QCOMPARE(m_messages->messages().size(), 1);
    }

    // 自動設定 fills the 設定 cells, names a parent without rows and a CHECK
    // constraint it could not read; a creation run on its child asks first,
    // and キャンセル opens nothing.
    void autoRulesAndEmptyParents()
    {
        open({u"CREATE TABLE P (ID NUMBER(4) PRIMARY KEY)"_s,
              u"CREATE TABLE C (ID NUMBER(4) PRIMARY KEY, P_ID NUMBER(4) REFERENCES P (ID), NAME VARCHAR2(20) "
              "NOT NULL CONSTRAINT NAME_C CHECK (length(NAME)\n > 1), PHOTO RAW(4) NOT NULL, NOTE NVARCHAR2(10))"_s});
        choose(u"C"_s);
        kovatest::Click(m_window, u"CmdAuto"_s);
        QStringList cells;
        for (int row = 1; row <= 5; ++row)
            cells << grid().TextMatrix(row, 4);
        QCOMPARE(cells, (QStringList{u"連番"_s, u"編集"_s, u"辞書"_s, u"パターン"_s, u"ランダム"_s}));
        QCOMPARE(m_messages->texts(), (QStringList{u"親テーブル P にデータがありません。\n先に親テーブルのデータを作成して下さい。"_s,
                                                   u"次の検査制約は読めなかったため、規則に反映していません。作成する行は拒否されることがあります。\n"
                                                   "NAME_C: length(NAME) > 1"_s}));
        QCOMPARE(m_messages->messages().last().icon, MessageIcon::Information);
        QStringList asked;
        basKovaData::SetQuestionHandler([&asked](const basKovaData::MessageRequest& request) {
            asked << request.text;
            return false;
        });
        QString opened;
        QTimer::singleShot(100, m_window, [&opened] {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = modal->objectName();
                modal->reject();
            }
        });
        kovatest::Click(m_window, u"CmdCreate"_s);
        QTest::qWait(150);
        QCOMPARE(asked, QStringList{u"親テーブル P にデータがありません。\n参照する値がないため、行の登録に失敗します。このまま作成しますか？"_s});
        QCOMPARE(opened, QString());
    }

    void profileRules_data()
    {
        QTest::addColumn<bool>("fromRows");   // the answer to the question
        QTest::addColumn<bool>("analyzed");   // ANALYZE ran on the table
        QTest::addColumn<QString>("said");    // the message's start
        QTest::newRow("rows") << true << false << u"40 行のうち 40 行を読んで設定しました。"_s;
        QTest::newRow("statistics") << false << true << u"統計情報（40 行）から設定しました。"_s;
        QTest::newRow("no statistics") << false << false << u"テーブル S の統計情報を読めませんでした。"_s;
    }
    // 統計から設定 asks where to learn from, sets 分布 on the columns that are
    // no key and keeps 自動設定's rule on the key, saying which and why; a
    // table without statistics is sent to TABLE情報 and keeps no rule.
    void profileRules()
    {
        QFETCH(bool, fromRows);
        QFETCH(bool, analyzed);
        QFETCH(QString, said);
        QStringList statements{u"CREATE TABLE S (ID NUMBER(6) PRIMARY KEY, STATUS VARCHAR2(10), AMOUNT NUMBER(8), NOTE VARCHAR2(20))"_s};
        for (int i = 1; i <= 40; ++i)
            statements << u"INSERT INTO S VALUES (%1, '%2', %3, %4)"_s.arg(i).arg(i % 4 ? u"A"_s : u"B"_s).arg(i * 10).arg(
                i % 2 ? u"NULL"_s : u"'n%1'"_s.arg(i));
        if (analyzed)
            statements << u"ANALYZE TABLE S COMPUTE STATISTICS"_s;
        open(statements);
        choose(u"S"_s);
        QStringList asked;
        basKovaData::SetYesNoHandler([&](const basKovaData::MessageRequest& request) {
            asked << request.text;
            return fromRows;
        });
        kovatest::Click(m_window, u"CmdStat"_s);
        QCOMPARE(asked, QStringList{u"テーブル S の行を読んで分布を設定しますか？\n（いいえ：行を読まず、統計情報だけから設定します）"_s});
        const QString text = m_messages->texts().value(0);
        QVERIFY2(text.startsWith(said), qPrintable(text));
        QStringList cells;
        for (int row = 1; row <= 4; ++row)
            cells << grid().TextMatrix(row, 4);
        if (said.contains(u"読めません"_s)) {
            QVERIFY(text.endsWith(u"TABLE情報で統計情報を取得してから実行して下さい。"_s));
            QCOMPARE(m_messages->messages().first().icon, MessageIcon::Exclamation);
            QCOMPARE(cells, QStringList(4, QString()));
            return;
        }
        QCOMPARE(text.section(u'\n', 1), u"分布: STATUS, AMOUNT, NOTE\n自動設定のまま:\n  ID: キー（値は重複できません）"_s);
        QCOMPARE(cells, (QStringList{u"連番"_s, u"分布"_s, u"分布"_s, u"分布"_s}));
        QVERIFY(!ColumnRules[2].Distribution->frequent.empty());
        QCOMPARE(ColumnRules[2].Distribution->frequent.front().value, u"A"_s);
        QCOMPARE(ColumnRules[4].Distribution->nulls, 0.5);
        if (!fromRows)
            return;
        // 分布比較: the rules' profiles beside the rows' (the same rows here),
        // a chart per column; then a profile file's, and one that cannot be
        // read, which says so and leaves the comparison as it was.
        const QString project = m_dir->filePath(u"p.json"_s);
        QVERIFY(kovatest::WriteFile(project, R"({"kova-project": 1, "tables": [{"rules": "p.S.json", "rows": 40}]})"));
        QVERIFY(kovatest::WriteFile(m_dir->filePath(u"p.S.json"_s), R"({"kova-rules": 1, "table": "S", "columns": [
            {"column": "STATUS", "kind": "distribution", "distribution": {"family": "text", "nulls": 0.5, "distinct": 2,
             "frequent": [["A", 0.25], ["B", 0.25]]}}]})"));
        QStringList chosen{project, m_dir->filePath(u"missing.json"_s)};
        basKovaData::SetFileChooser([&chosen](const basKovaData::FileRequest&) { return chosen.takeFirst(); });
        QList<QStringList> lines;  // the grid's lines: the rules', the file's, after the missing file
        QList<int> charts;
        kovatest::WhenModal<frmCompare>([&](frmCompare* w) {
            for (int step = 0; step < 3; ++step) {
                if (step)
                    kovatest::Click(w, u"CmdFile"_s);
                auto* figures = Find<QTableWidget>(w, u"GrdCMP"_s);
                lines.append(QStringList());
                for (int row = 0; row < figures->rowCount(); ++row) {
                    QStringList line;
                    for (int col = 0; col < figures->columnCount(); ++col)
                        line << (figures->item(row, col) ? figures->item(row, col)->text() : QString());
                    lines.last() << line.join(u'|');
                }
                charts << int(w->findChildren<QWidget*>(QRegularExpression(u"^PicCMP_\\d+$"_s)).size());
            }
        });
        kovatest::Click(m_window, u"CmdComp"_s);
        QCOMPARE(charts, (QList<int>{3, 1, 1}));
        const QStringList& rules = lines.value(0);
        QVERIFY2(rules.contains(u"NOTE|NULL率|50.0 %|50.0 %|0.00 pt|1.00 pt|OK"_s), qPrintable(rules.join(u'\n')));
        QVERIFY(rules.contains(u"AMOUNT|値（KS）|||0.025|0.050|OK"_s));
        QVERIFY(rules.contains(u"STATUS|異なる値の数|2|2|0.0 %|10.0 %|OK"_s));
        // NOTE's values are under 10 rows each: the rules' profile keeps none of them, the rows' all.
        QVERIFY(rules.contains(u"NOTE|頻出値（TVD）|||1.000|0.050|超過"_s));
        QCOMPARE(rules.last(), u"ID|元のプロファイルにありません|||||"_s);
        QVERIFY2(lines.value(1).contains(u"STATUS|NULL率|50.0 %|0.0 %|50.00 pt|1.00 pt|超過"_s), qPrintable(lines.value(1).join(u'\n')));
        QCOMPARE(lines.value(2), lines.value(1));
        QCOMPARE(m_messages->messages().size(), 2);
        QVERIFY(m_messages->texts().last().contains(u"missing.json"_s));
        // Rules set: a second run asks before it replaces them, and キャンセル keeps them.
        ColumnRules[2].clearRule();
        ColumnRules[2].setKind(basKovaData::Kind::Null);
        QStringList confirmed;
        basKovaData::SetQuestionHandler([&](const basKovaData::MessageRequest& request) {
            confirmed << request.text;
            return false;
        });
        kovatest::Click(m_window, u"CmdStat"_s);
        QCOMPARE(confirmed, QStringList{u"設定済みの項目の規則は、キー項目を除いて分布に置き換わります。\nよろしいですか？"_s});
        QCOMPARE(ColumnRules[2].storedKind(), basKovaData::Kind::Null);
        QCOMPARE(asked.size(), 1);
    }

    // Each command refuses with its message, or opens its window for the
    // chosen table (closed again here).
    void commands()
    {
        open();
        // The object to choose first (none: as it is), the button, the rules of
        // kind 編集, and what follows: the window's class or the refusal.
        const QList<QStringList> steps{
            {{}, u"Command9"_s, u"0"_s, u"frmSub5"_s},
            {{}, u"Command6"_s, u"0"_s, u"frmOptions"_s},
            {{}, u"Command2"_s, u"0"_s, u"frmHELP"_s},
            {u"EMPTYT"_s, u"Cmd"_s, u"0"_s, u"表示するデータがありません。"_s},
            {{}, u"Command1"_s, u"0"_s, u"削除するデータがありません。"_s},
            {{}, u"CmdCreate"_s, u"0"_s, u"frmCreate"_s},
            {u"ITEMS"_s, u"Command5"_s, u"0"_s, u"項目設定を行って下さい。"_s},
            {{}, u"CmdCreate"_s, u"6"_s, u"項目設定の「編集」は一度に５項目までにして下さい。"_s},
            {{}, u"Command5"_s, u"5"_s, u"frmUpDate"_s},
            {{}, u"Cmd"_s, u"0"_s, u"frmSub"_s},
            {{}, u"Command3"_s, u"0"_s, u"frmSET99"_s},
            {{}, u"Command7"_s, u"0"_s, u"frmSub4"_s},
            {u"ITEM_NAMES"_s, u"Command7"_s, u"0"_s, u"frmSub3"_s}};
        for (const QStringList& step : steps) {
            if (!step[0].isEmpty())
                choose(step[0]);
            for (int row = 1; row < int(ColumnRules.size()); ++row)
                ColumnRules[std::size_t(row)].RuleKind = row <= step[2].toInt() ? u"4"_s : QString();
            basKovaData::ChosenTable.clear();
            m_messages->clear();
            QString opened;
            auto seen = [&opened](QWidget* w) { opened = QString::fromLatin1(w->metaObject()->className()); };
            if (step[3].startsWith(u"frm"_s))
                kovatest::WhenModal<QWidget>(seen);
            Find<QPushButton>(m_window, step[1])->click();
            if (!step[3].startsWith(u"frm"_s)) {
                expectMessage(step[3], MessageIcon::Information);
                QVERIFY(basKovaData::ChosenTable.isEmpty());
                continue;
            }
            QCOMPARE(opened, step[3]);
            QVERIFY(m_messages->messages().isEmpty());
            QCOMPARE(basKovaData::ChosenTable, Find<QLineEdit>(m_window, u"Text1"_s)->text());
        }
        QCOMPARE(int(basKovaData::HelpTopic), 1);
    }

    // SQL*Plus starts with the login, or the user hears that its path is wrong.
    void sqlPlus()
    {
        open();
        basKovaData::SqlPlusLogin = u"scott/tiger@demo.db"_s;
        basKovaData::SqlPlusPath = basKovaData::FixedText(m_dir->filePath(u"missing"_s), 100);
        Find<QPushButton>(m_window, u"Command8"_s)->click();
        expectMessage(u"SQL PLUSのパス設定が間違っています。オプションで設定してください。"_s, MessageIcon::Exclamation);
        m_messages->clear();
        QVERIFY(kovatest::WriteArgumentRecorder(m_dir->filePath(u"sqlplus"_s), m_dir->filePath(u"args"_s)));
        basKovaData::SqlPlusPath = basKovaData::FixedText(m_dir->filePath(u"sqlplus"_s), 100);
        Find<QPushButton>(m_window, u"Command8"_s)->click();
        QVERIFY(m_messages->messages().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_dir->filePath(u"args"_s)), 10000);
        QCOMPARE(kovatest::ReadFile(m_dir->filePath(u"args"_s)), "scott/tiger@demo.db|");
    }

    void closingReleasesTheSession()
    {
        open();
        std::weak_ptr<OraSession> session = basKovaData::OraSession;
        Find<QPushButton>(m_window, u"Command4"_s)->click();
        QTRY_VERIFY(m_window.isNull());  // closed and deleted
        QVERIFY(!basKovaData::OraDatabase && !basKovaData::OraSession && session.expired());
    }

    void answersWithoutDisplay_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("firstLine");
        QTest::newRow("version") << u"--version"_s << QStringLiteral("kova-oracle " KOVA_VERSION);
        QTest::newRow("help") << u"--help"_s << u"usage: kova-oracle [-h | --help | -v | --version] [Qt options]"_s;
        QTest::newRow("-v") << u"-v"_s << QStringLiteral("kova-oracle " KOVA_VERSION);
        QTest::newRow("-h") << u"-h"_s << u"usage: kova-oracle [-h | --help | -v | --version] [Qt options]"_s;
    }
    // The program answers -h/--help and -v/--version in a shell without a display.
    void answersWithoutDisplay()
    {
        QFETCH(QString, option);
        const QString program = QCoreApplication::applicationDirPath() + u"/kova-oracle"_s;
        QVERIFY2(QFileInfo(program).isExecutable(), "kova-oracle is built beside the tests");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, {option});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QTEST(QString::fromUtf8(process.readAllStandardOutput()).section(u'\n', 0, 0), "firstLine");
    }

private:
    // A main window over a new database made of `statements`, shown.
    void open(const QStringList& statements = DemoSchema())
    {
        kovatest::TestDatabase db = kovatest::OpenTestDatabase(*m_dir, statements);
        basKovaData::OraSession = db.session;
        basKovaData::OraDatabase = db.database;
        m_window = new frmMain;
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window))
            qFatal("main window not shown");
    }

    static QStringList DemoSchema()
    {
        return {u"CREATE TABLE ITEMS (CODE NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20) NOT NULL, PRICE NUMBER(10,2), "
                "KIND CHAR(1), ADDED DATE, LABEL NCHAR(2), PHOTO RAW(16), NOTE LONG)"_s,
                u"CREATE TABLE ORDERS (NO NUMBER(6), LINE NUMBER(3), QTY NUMBER(4), PRIMARY KEY (NO, LINE))"_s,
                u"CREATE TABLE EMPTYT (A NUMBER(4))"_s, u"INSERT INTO ITEMS (CODE, NAME) VALUES (1, 'pen')"_s,
                u"INSERT INTO ITEMS (CODE, NAME) VALUES (2, 'ink')"_s, u"CREATE VIEW ITEM_NAMES AS SELECT CODE, NAME FROM ITEMS"_s,
                u"CREATE TABLE GONE (A NUMBER)"_s, u"CREATE VIEW BROKEN AS SELECT A FROM GONE"_s, u"DROP TABLE GONE"_s};
    }

    void choose(const QString& name)
    {
        auto* list = Find<QListWidget>(m_window, u"List"_s);
        const QList<QListWidgetItem*> items = list->findItems(name, Qt::MatchExactly);
        QVERIFY2(items.size() == 1, qPrintable(name));
        kovatest::DoubleClick(list->viewport(), list->visualItemRect(items.first()).center());
    }

    // The one message shown, with the window's caption.
    void expectMessage(const QString& text, MessageIcon icon)
    {
        QCOMPARE(m_messages->texts(), QStringList{text});
        QCOMPARE(m_messages->messages().first().icon, icon);
        QCOMPARE(m_messages->messages().first().title, u"ＫＯＶＡ－ＯＲＡＣＬＥ version 1.00a"_s);
    }

    // The names of the enabled command buttons, in name order.
    QString openCommands() const
    {
        QStringList names;
        for (const QPushButton* button : m_window->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
            if (button->isEnabled())
                names.append(button->objectName());
        names.sort();
        return names.join(u' ');
    }

    controls::FlexGrid* gridView() const { return Find<controls::FlexGrid>(m_window, u"Grid1"_s); }
    controls::GridModel& grid() const { return *gridView()->gridModel(); }
    QPoint cellCentre(int row, int col) const { return gridView()->visualRect(grid().index(row - 1, col)).center(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<kovatest::MessageRecorder> m_messages;
    QPointer<frmMain> m_window;
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
