// label: core
// The column grid's rule actions, the commands' preconditions and starting
// SQL*Plus, without windows.
#include "browser/ColumnGrid.h"
#include "browser/CommandChecks.h"
#include "browser/GridActions.h"
#include "browser/SqlPlusLauncher.h"
#include "controls/GridModel.h"
#include "rules/ColumnRule.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using basKovaData::ColumnRules;
using browser::RuleEditor;
using controls::GridModel;
using controls::GridRgb;

namespace {

// A grid and rule table of `keys.size()` columns as a load leaves them.
void LoadColumns(GridModel& grid, const QList<bool>& keys)
{
    browser::SetUpColumnGrid(grid);
    grid.setRows(int(keys.size()) + 1);
    ColumnRules.assign(std::size_t(keys.size()) + 1, basKovaData::ColumnRule());
    for (int i = 1; i <= keys.size(); ++i) {
        ColumnRules[std::size_t(i)].IsKey = keys[i - 1];
        ColumnRules[std::size_t(i)].TypeText = QStringLiteral("NUMBER(8)");
        if (keys[i - 1]) {
            for (int col = 0; col < 5; ++col)
                grid.setCellBackColor(i, col, controls::GridCyan);
        }
    }
    basKovaData::ColumnCount = qint16(keys.size());
}

void SetKinds(const QStringList& kinds)
{
    ColumnRules.assign(std::size_t(kinds.size()) + 1, basKovaData::ColumnRule());
    for (int i = 0; i < kinds.size(); ++i)
        ColumnRules[std::size_t(i) + 1].RuleKind = kinds[i];
}

}  // namespace

class tst_GridActions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        basKovaData::ResetForTests();
        basKovaData::ResetColumnRules();
        browser::SetTerminalLookup({});
    }

    void chooseEditor_data();
    void chooseEditor();
    void onlyRuleCellsDispatch();
    void storedRuleShowsItsNameAndColours_data();
    void storedRuleShowsItsNameAndColours();
    void cancelledEditKeepsTheRule();
    void clearOneRule();
    void clearAllRulesFromTheHeading();
    void fixedFieldsPadAndCut();
    void checks_data();
    void checks();
    void consoleProgramDetection();
    void launchPlans();
    void sqlPlusWrongPath();
    void sqlPlusStartsWithTheLogin();
};

void tst_GridActions::chooseEditor_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<RuleEditor>("editor");
    QTest::addColumn<QString>("message");
    QTest::newRow("number") << u"NUMBER(10.2)"_s << RuleEditor::Numeric << u""_s;
    QTest::newRow("number without precision") << u"NUMBER()"_s << RuleEditor::Numeric << u""_s;
    QTest::newRow("varchar2") << u"VARCHAR2(20)"_s << RuleEditor::Character << u""_s;
    QTest::newRow("char") << u"CHAR(1)"_s << RuleEditor::Character << u""_s;
    QTest::newRow("date") << u"DATE()"_s << RuleEditor::Date << u""_s;
    QTest::newRow("raw") << u"RAW(16)"_s << RuleEditor::Unsupported << u"RAW型には対応していません。"_s;
    QTest::newRow("long raw") << u"LONG RAW()"_s << RuleEditor::Unsupported << u"LONG RAW型には対応していません。"_s;
    QTest::newRow("blob") << u"BLOB(4000)"_s << RuleEditor::Unsupported << u"BLOB型には対応していません。"_s;
    QTest::newRow("clob") << u"CLOB(4000)"_s << RuleEditor::Unsupported << u"CLOB型には対応していません。"_s;
    QTest::newRow("bfile") << u"BFILE()"_s << RuleEditor::Unsupported << u"BFILE型には対応していません。"_s;
    QTest::newRow("nvarchar2") << u"NVARCHAR2(10)"_s << RuleEditor::Unsupported << u"NVARCHAR2型には対応していません。"_s;
    QTest::newRow("nchar is not char") << u"NCHAR(2)"_s << RuleEditor::Unsupported << u"NCHAR型には対応していません。"_s;
    QTest::newRow("nclob") << u"NCLOB()"_s << RuleEditor::Unsupported << u"NCLOB型には対応していません。"_s;
    QTest::newRow("long") << u"LONG()"_s << RuleEditor::None << u""_s;
    QTest::newRow("float") << u"FLOAT(126)"_s << RuleEditor::None << u""_s;
    QTest::newRow("lower case") << u"number(8)"_s << RuleEditor::None << u""_s;
    QTest::newRow("empty") << u""_s << RuleEditor::None << u""_s;
}

void tst_GridActions::chooseEditor()
{
    QFETCH(QString, type);
    QFETCH(RuleEditor, editor);
    QFETCH(QString, message);
    const browser::EditorChoice choice = browser::ChooseEditor(type);
    QCOMPARE(choice.editor, editor);
    QCOMPARE(choice.message, message);
}

void tst_GridActions::onlyRuleCellsDispatch()
{
    GridModel grid;
    LoadColumns(grid, {false, false});
    QVERIFY(browser::IsRuleCell(1, 4));
    QVERIFY(browser::IsRuleCell(2, 4));
    QVERIFY(!browser::IsRuleCell(0, 4));  // heading
    QVERIFY(!browser::IsRuleCell(1, 3));
    QVERIFY(!browser::IsRuleCell(1, 0));
    QVERIFY(!browser::IsRuleCell(3, 4));  // a row without a rule entry
}

void tst_GridActions::storedRuleShowsItsNameAndColours_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<uint>("back");
    QTest::addColumn<uint>("fore");
    QTest::newRow("0") << u"0"_s << u"単一固定"_s << uint(GridRgb(0, 0, 255)) << uint(controls::GridWhite);
    QTest::newRow("1") << u"1"_s << u"複数固定"_s << uint(GridRgb(0, 150, 150)) << uint(controls::GridWhite);
    QTest::newRow("2") << u"2"_s << u"ランダム"_s << uint(GridRgb(150, 0, 150)) << uint(controls::GridWhite);
    QTest::newRow("3") << u"3"_s << u"連番"_s << uint(GridRgb(0, 255, 0)) << uint(controls::GridWhite);
    QTest::newRow("4") << u"4"_s << u"編集"_s << uint(GridRgb(150, 150, 0)) << uint(controls::GridWhite);
    QTest::newRow("5") << u"5"_s << u"NULL"_s << uint(controls::GridWhite) << uint(controls::GridBlack);
    QTest::newRow("blank reads as 0") << u" "_s << u"単一固定"_s << uint(GridRgb(0, 0, 255)) << uint(controls::GridWhite);
}

void tst_GridActions::storedRuleShowsItsNameAndColours()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(uint, back);
    QFETCH(uint, fore);
    GridModel grid;
    LoadColumns(grid, {false, true, false});
    browser::BeginRuleEdit(2);
    QVERIFY(basKovaData::CurrentRule.IsKey);
    basKovaData::CurrentRule.RuleKind = kind;
    basKovaData::CurrentRule.NumValue[0] = 42;
    basKovaData::EditCancelled = false;
    QVERIFY(browser::FinishRuleEdit(grid, 2));
    QCOMPARE(ColumnRules[2].NumValue[0], 42.0);
    QCOMPARE(grid.TextMatrix(2, 4), text);
    QCOMPARE(uint(grid.CellBackColor(2, 4)), back);
    QCOMPARE(uint(grid.CellForeColor(2, 4)), fore);
    QCOMPARE(grid.Row(), 2);
    QCOMPARE(grid.Col(), 4);
    QCOMPARE(grid.RowSel(), 2);
    QCOMPARE(grid.ColSel(), 4);
}

void tst_GridActions::cancelledEditKeepsTheRule()
{
    GridModel grid;
    LoadColumns(grid, {false});
    basKovaData::CurrentRule = ColumnRules[1];
    basKovaData::CurrentRule.RuleKind = QStringLiteral("2");
    basKovaData::EditCancelled = false;
    QVERIFY(browser::FinishRuleEdit(grid, 1));

    browser::BeginRuleEdit(1);
    basKovaData::CurrentRule.RuleKind = QStringLiteral("5");
    basKovaData::CurrentRule.NumValue[1] = 9;
    basKovaData::EditCancelled = true;
    QVERIFY(!browser::FinishRuleEdit(grid, 1));
    QCOMPARE(ColumnRules[1].RuleKind.text(), QStringLiteral("2"));
    QCOMPARE(ColumnRules[1].NumValue[1], 0.0);
    QCOMPARE(grid.TextMatrix(1, 4), QStringLiteral("ランダム"));
    QCOMPARE(grid.CellBackColor(1, 4), GridRgb(150, 0, 150));
}

void tst_GridActions::clearOneRule()
{
    GridModel grid;
    LoadColumns(grid, {true, false});
    for (int row : {1, 2}) {
        browser::BeginRuleEdit(row);
        basKovaData::CurrentRule.RuleKind = QStringLiteral("0");
        basKovaData::CurrentRule.NumValue[0] = 7;
        browser::FinishRuleEdit(grid, row);
    }
    browser::ClearRules(grid, 1);
    QVERIFY(ColumnRules[1].RuleKind.isBlank());
    QCOMPARE(ColumnRules[1].NumValue[0], 7.0);  // the values stay for the next edit
    QCOMPARE(grid.TextMatrix(1, 4), QString());
    QCOMPARE(grid.CellBackColor(1, 4), controls::GridCyan);
    QCOMPARE(grid.CellForeColor(1, 4), controls::GridBlack);
    // The other row keeps its rule.
    QCOMPARE(ColumnRules[2].RuleKind.text(), QStringLiteral("0"));
    QCOMPARE(grid.TextMatrix(2, 4), QStringLiteral("単一固定"));

    browser::ClearRules(grid, 2);
    QCOMPARE(grid.CellBackColor(2, 4), controls::GridWhite);
    QCOMPARE(grid.TextMatrix(2, 4), QString());
    browser::ClearRules(grid, 9);  // a row past the table changes nothing
    QCOMPARE(grid.Rows(), 3);
}

void tst_GridActions::clearAllRulesFromTheHeading()
{
    GridModel grid;
    LoadColumns(grid, {false, true, false, true});
    for (int row = 1; row <= 4; ++row) {
        browser::BeginRuleEdit(row);
        basKovaData::CurrentRule.RuleKind = QString::number(row);
        browser::FinishRuleEdit(grid, row);
    }
    browser::ClearRules(grid, 0);
    QCOMPARE(grid.TextMatrix(0, 4), QStringLiteral("設定"));
    for (int row = 1; row <= 4; ++row) {
        QVERIFY(ColumnRules[std::size_t(row)].RuleKind.isBlank());
        QCOMPARE(grid.TextMatrix(row, 4), QString());
        QCOMPARE(grid.CellBackColor(row, 4), row % 2 == 0 ? controls::GridCyan : controls::GridWhite);
        QCOMPARE(grid.CellForeColor(row, 4), controls::GridBlack);
    }
    QCOMPARE(basKovaData::CountSetRules(), 0);
}

void tst_GridActions::fixedFieldsPadAndCut()
{
    basKovaData::ColumnRule rule;
    rule.TextValue[0] = QString(120, QLatin1Char('x'));
    QCOMPARE(rule.TextValue[0].text(), QString(100, QLatin1Char('x')));
    rule.ColumnName = QStringLiteral("ID");
    QCOMPARE(rule.ColumnName.text().size(), 50);
    QCOMPARE(rule.ColumnName.trimmed(), QStringLiteral("ID"));
    rule.RuleKind = QStringLiteral("42");
    QCOMPARE(rule.RuleKind.text(), QStringLiteral("4"));
    QCOMPARE(rule.kindNumber(), 4);
    rule.RuleKind = QStringLiteral("x");
    QCOMPARE(rule.kindNumber(), 0);
    rule.clearRule();
    QVERIFY(rule.RuleKind.isBlank());
    QCOMPARE(rule.TextValue[0].text(), QString(100, QLatin1Char(' ')));
}

void tst_GridActions::checks_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("kinds");
    QTest::addColumn<QString>("refusal");
    const QString noName = QStringLiteral("まずテーブルをダブルクリックして選択して下さい。");
    const QString tooMany = QStringLiteral("項目設定の「編集」は一度に５項目までにして下さい。");
    const QString noRule = QStringLiteral("項目設定を行って下さい。");
    const QStringList five{u"4"_s, u"4"_s, u"4"_s, u"4"_s, u"4"_s, u"0"_s};
    const QStringList six{u"4"_s, u"4"_s, u"4"_s, u"4"_s, u"4"_s, u"4"_s};
    QTest::newRow("viewer without name") << u"viewer"_s << u"  "_s << u"5"_s << QStringList{} << noName;
    QTest::newRow("viewer without rows") << u"viewer"_s << u"T"_s << u"0"_s << QStringList{} << browser::NoViewerRows;
    QTest::newRow("viewer while counting") << u"viewer"_s << u"T"_s << u"取得中"_s << QStringList{} << browser::NoViewerRows;
    QTest::newRow("viewer after an error") << u"viewer"_s << u"T"_s << u"ERROR"_s << QStringList{} << browser::NoViewerRows;
    QTest::newRow("viewer with rows") << u"viewer"_s << u"T"_s << u"12"_s << QStringList{} << u""_s;
    QTest::newRow("delete without rows") << u"delete"_s << u"T"_s << u"0"_s << QStringList{} << browser::NoDeleteRows;
    QTest::newRow("create without name") << u"create"_s << u""_s << u"0"_s << QStringList{} << noName;
    QTest::newRow("create without rules") << u"create"_s << u"T"_s << u"0"_s << QStringList{u" "_s, u" "_s} << u""_s;
    QTest::newRow("create with five select rules") << u"create"_s << u"T"_s << u"0"_s << five << u""_s;
    QTest::newRow("create with six select rules") << u"create"_s << u"T"_s << u"0"_s << six << tooMany;
    QTest::newRow("update without name") << u"update"_s << u""_s << u"3"_s << six << noName;
    QTest::newRow("update without rows") << u"update"_s << u"T"_s << u"0"_s << six << browser::NoDeleteRows;
    QTest::newRow("update without rules") << u"update"_s << u"T"_s << u"3"_s << QStringList{u" "_s, u" "_s} << noRule;
    QTest::newRow("update with five select rules") << u"update"_s << u"T"_s << u"3"_s << five << u""_s;
    QTest::newRow("update with six select rules") << u"update"_s << u"T"_s << u"3"_s << six << tooMany;
}

void tst_GridActions::checks()
{
    QFETCH(QString, command);
    QFETCH(QString, name);
    QFETCH(QString, count);
    QFETCH(QStringList, kinds);
    QFETCH(QString, refusal);
    SetKinds(kinds);
    QString result;
    if (command == QLatin1String("viewer"))
        result = browser::CheckName(name).isEmpty() ? browser::CheckRows(count, browser::NoViewerRows)
                                                    : browser::CheckName(name);
    else if (command == QLatin1String("delete"))
        result = browser::CheckRows(count, browser::NoDeleteRows);
    else if (command == QLatin1String("create"))
        result = browser::CheckBeforeCreate(name);
    else
        result = browser::CheckBeforeUpdate(name, count);
    QCOMPARE(result, refusal);
}

void tst_GridActions::consoleProgramDetection()
{
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("console.sh"));
    QVERIFY(kovatest::WriteFile(script, "#!/bin/sh\necho hi\n"));
    QVERIFY(browser::IsConsoleProgram(script));
    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QVERIFY(kovatest::WriteFile(text, "plain text"));
    QVERIFY(!browser::IsConsoleProgram(text));
    QVERIFY(!browser::IsConsoleProgram(dir.filePath(QStringLiteral("missing"))));
    // This test program links no windowing library.
    QVERIFY(browser::IsConsoleProgram(QCoreApplication::applicationFilePath()));
    // The program itself names the window libraries only as text.
    QVERIFY(!browser::IsConsoleProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/kova-oracle")));
    const QString broken = dir.filePath(QStringLiteral("broken"));
    QVERIFY(kovatest::WriteFile(broken, QByteArray("\x7f" "ELF", 4) + QByteArray(100, '\0')));
    QVERIFY(!browser::IsConsoleProgram(broken));
}

void tst_GridActions::launchPlans()
{
    const QString login = QStringLiteral("scott/tiger@demo.db");
    browser::LaunchPlan plan = browser::PlanSqlPlusStart(QStringLiteral("/opt/sqlplus"), login, false,
                                                         QStringLiteral("/usr/bin/xterm"));
    QCOMPARE(plan.program, QStringLiteral("/opt/sqlplus"));
    QCOMPARE(plan.arguments, QStringList{login});
    plan = browser::PlanSqlPlusStart(QStringLiteral("/opt/sqlplus"), login, true, QStringLiteral("/usr/bin/xterm"));
    QCOMPARE(plan.program, QStringLiteral("/usr/bin/xterm"));
    QCOMPARE(plan.arguments, (QStringList{u"-e"_s, u"/opt/sqlplus"_s, login}));
    plan = browser::PlanSqlPlusStart(QStringLiteral("/opt/sqlplus"), login, true,
                                     QStringLiteral("/usr/bin/gnome-terminal"));
    QCOMPARE(plan.arguments, (QStringList{u"--"_s, u"/opt/sqlplus"_s, login}));
    plan = browser::PlanSqlPlusStart(QStringLiteral("/opt/sqlplus"), login, true, QString());
    QCOMPARE(plan.program, QStringLiteral("/opt/sqlplus"));
}

void tst_GridActions::sqlPlusWrongPath()
{
    QTemporaryDir dir;
    QCOMPARE(browser::StartSqlPlus(QStringLiteral("   "), QStringLiteral("a/b@c")), browser::SqlPlusStart::WrongPath);
    QCOMPARE(browser::StartSqlPlus(dir.filePath(QStringLiteral("nothing")), QStringLiteral("a/b@c")),
             browser::SqlPlusStart::WrongPath);
    QCOMPARE(browser::StartSqlPlus(dir.path(), QStringLiteral("a/b@c")), browser::SqlPlusStart::WrongPath);
}

void tst_GridActions::sqlPlusStartsWithTheLogin()
{
    QTemporaryDir dir;
    const QString record = dir.filePath(QStringLiteral("args.txt"));
    const QString standIn = dir.filePath(QStringLiteral("sqlplus"));
    QVERIFY(kovatest::WriteFile(standIn, QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" > '%1.tmp'\nmv '%1.tmp' '%1'\n")
                                             .arg(record)
                                             .toUtf8()));
    QVERIFY(QFile::setPermissions(standIn, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    // A terminal stand-in that records how it was asked to run the console.
    const QString terminalRecord = dir.filePath(QStringLiteral("terminal.txt"));
    const QString terminal = dir.filePath(QStringLiteral("term"));
    QVERIFY(kovatest::WriteFile(terminal, QStringLiteral("#!/bin/sh\nprintf '%s|' \"$@\" > '%1.tmp'\nmv '%1.tmp' '%1'\n")
                                              .arg(terminalRecord)
                                              .toUtf8()));
    QVERIFY(QFile::setPermissions(terminal, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    const QString login = QStringLiteral("scott/tiger@demo.db");
    const QString padded = standIn + QString(100 - standIn.size(), QLatin1Char(' '));
    browser::SetTerminalLookup([] { return QString(); });
    QCOMPARE(browser::StartSqlPlus(padded, login), browser::SqlPlusStart::Started);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 10000);
    QCOMPARE(kovatest::ReadFile(record), (login + QLatin1Char('|')).toUtf8());

    browser::SetTerminalLookup([terminal] { return terminal; });
    QCOMPARE(browser::StartSqlPlus(padded, login), browser::SqlPlusStart::Started);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(terminalRecord), 10000);
    QCOMPARE(kovatest::ReadFile(terminalRecord), QStringLiteral("-e|%1|%2|").arg(standIn, login).toUtf8());
}

QTEST_GUILESS_MAIN(tst_GridActions)
#include "tst_GridActions.moc"
