// label: engine
// The main window's logic without windows: the column grid loaded from the
// dictionary of a real embedded database, the rule actions on it, the
// commands' preconditions and starting SQL*Plus.
#include "browser/ColumnGrid.h"
#include "browser/CommandChecks.h"
#include "browser/GridActions.h"
#include "browser/ObjectList.h"
#include "browser/SqlPlusLauncher.h"
#include "controls/GridModel.h"
#include "rules/ColumnRule.h"
#include "session/OraDatabase.h"
#include "support/BrowserSupport.h"

#include <QTemporaryDir>

#include <tuple>

using namespace Qt::StringLiterals;

using basKovaData::ColumnRules;
using basKovaData::MessageIcon;
using browser::ColumnGridResult;
using browser::RuleEditor;
using controls::GridModel;
using controls::GridRgb;
using Outcome = browser::ColumnGridResult::Outcome;

namespace {

// Every row of the grid, its cells joined by "|".
QStringList Rows(const GridModel& grid)
{
    QStringList rows;
    for (int row = 0; row < grid.Rows(); ++row) {
        QStringList cells;
        for (int col = 0; col < grid.Cols(); ++col)
            cells.append(grid.TextMatrix(row, col));
        rows.append(cells.join(u'|'));
    }
    return rows;
}

// Edits the rule of grid row `row` as an editor would, then closes the editor.
bool StoreRule(GridModel& grid, int row, const QString& kind, double value = 42, bool cancelled = false)
{
    browser::BeginRuleEdit(row);
    basKovaData::CurrentRule.RuleKind = kind;
    basKovaData::CurrentRule.NumValue[0] = value;
    basKovaData::CurrentRule.TextValue[0] = QString(120, u'x');
    basKovaData::EditCancelled = cancelled;
    return browser::FinishRuleEdit(grid, row);
}

}  // namespace

class tst_ColumnGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_db = kovatest::OpenTestDatabase(
            m_dir, {u"CREATE TABLE T1 (A NUMBER(10,2), B NUMBER, C DATE, D VARCHAR2(20) NOT NULL, E CHAR(1), "
                    "PRIMARY KEY (D))"_s,
                    u"CREATE TABLE T2 (X VARCHAR2(5), K2 NUMBER(4), Y DATE, K1 NUMBER(8), PRIMARY KEY (K1, K2))"_s,
                    u"COMMENT ON COLUMN T2.Y IS '入社日'"_s,
                    u"CREATE TABLE P (A VARCHAR2(5))"_s, u"INSERT INTO P VALUES ('a')"_s, u"INSERT INTO P VALUES ('b')"_s,
                    u"CREATE TABLE B (A NUMBER)"_s, u"CREATE VIEW BV AS SELECT A FROM B"_s, u"DROP TABLE B"_s});
    }

    void init()
    {
        kovatest::ResetProgramState();
        browser::SetTerminalLookup({});
    }

    void dataTypeText_data()
    {
        QTest::addColumn<QString>("dictionary");  // type, precision, scale, character length
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QList<int>>("sizes");  // length, scale
        QTest::newRow("scale null") << u"NUMBER,8,,"_s << u"NUMBER(8)"_s << QList<int>{8, 0};
        QTest::newRow("negative scale") << u"NUMBER,5,-2,"_s << u"NUMBER(5.-2)"_s << QList<int>{5, -2};
        QTest::newRow("size beyond 16 bits held") << u"VARCHAR2,,,99999"_s << u"VARCHAR2(99999)"_s << QList<int>{32767, 0};
        QTest::newRow("figures in the type") << u"TIMESTAMP(6) WITH TIME ZONE,,6,"_s << u"TIMESTAMP(6) WITH TIME ZONE"_s
                                             << QList<int>{0, 0};
        QTest::newRow("figures and precision") << u"INTERVAL DAY(2) TO SECOND(6),2,6,"_s << u"INTERVAL DAY(2) TO SECOND(6)"_s
                                               << QList<int>{0, 0};
    }

    // The other types show in columnsOfATable.
    void dataTypeText()
    {
        QFETCH(QString, dictionary);
        const QStringList d = dictionary.split(u',');
        qint16 length = -1;
        qint16 scale = -1;
        QTEST(browser::DataTypeText(d[0], d[1], d[2], d[3], &length, &scale), "expected");
        QTEST(QList<int>({length, scale}), "sizes");
    }

    void columnsOfATable()
    {
        GridModel grid;
        QCOMPARE(browser::FillColumnGrid(m_db.database.get(), grid, u" T1 "_s, true).outcome, Outcome::Loaded);
        QCOMPARE(Rows(grid), (QStringList{u"項目名|データ型|KEY|NN|設定"_s, u"A|NUMBER(10.2)|||"_s, u"B|NUMBER()|||"_s,
                                          u"C|DATE()|||"_s, u"D|VARCHAR2(20)|KEY|NN|"_s, u"E|CHAR(1)|||"_s}));
        for (int cell = 5; cell < 30; ++cell)  // every cell of the key row in cyan
            QCOMPARE(grid.CellBackColor(cell / 5, cell % 5), cell / 5 == 4 ? controls::GridCyan : controls::GridWhite);
        QCOMPARE(QList<int>({grid.ColWidth(0), grid.ColWidth(1), grid.ColWidth(2), grid.ColWidth(3), grid.ColWidth(4)}),
                 QList<int>({2800, 1500, 450, 350, 960}));
        QCOMPARE(QList<int>({basKovaData::ColumnCount, int(ColumnRules.size())}), QList<int>({5, 6}));
        const basKovaData::ColumnRule& a = ColumnRules[1];
        QCOMPARE(a.ColumnName.trimmed() + a.TypeText.trimmed(), u"ANUMBER(10.2)"_s);
        QCOMPARE(QList<int>({a.Length, a.Scale, a.IsKey, a.IsNotNull}), QList<int>({10, 2, false, false}));
        const basKovaData::ColumnRule& d = ColumnRules[4];
        QCOMPARE(QList<int>({d.Length, d.Scale, d.IsKey, d.IsNotNull}), QList<int>({20, 0, true, true}));
        QCOMPARE(browser::KeyOrderCondition(), u"ORDER BY D"_s);

        // Key columns in column order, not in key order.
        QCOMPARE(browser::FillColumnGrid(m_db.database.get(), grid, u"T2"_s, true).outcome, Outcome::Loaded);
        QCOMPARE(Rows(grid).mid(1), (QStringList{u"X|VARCHAR2(5)|||"_s, u"K2|NUMBER(4)|KEY|NN|"_s, u"Y|DATE()|||"_s,
                                                 u"K1|NUMBER(8)|KEY|NN|"_s}));
        QCOMPARE(browser::KeyOrderCondition(), u"ORDER BY K2,K1"_s);
        // A column's comment is its name's tool tip; a name without one shows itself.
        QCOMPARE(grid.CellToolTip(3, 0) + u'|' + grid.CellToolTip(1, 0), u"入社日|X"_s);
    }

    // Every load starts the rules afresh, and one that does not finish leaves
    // no rule attached to the previous table's columns.
    void reloadAndFailedLoads()
    {
        GridModel grid;
        QCOMPARE(browser::FillColumnGrid(m_db.database.get(), grid, u"T2"_s, true).outcome, Outcome::Loaded);
        QVERIFY(StoreRule(grid, 1, u"3"_s));
        QCOMPARE(browser::FillColumnGrid(m_db.database.get(), grid, u"T2"_s, true).outcome, Outcome::Loaded);
        QVERIFY(ColumnRules[1].RuleKind.isBlank() && ColumnRules[1].NumValue[0] == 0.0);
        QCOMPARE(grid.CellBackColor(1, browser::ColRule), controls::GridWhite);  // no colour of the old rule

        basKovaData::MaxDisplayRows = 3;
        ColumnGridResult result = browser::FillColumnGrid(m_db.database.get(), grid, u"T2"_s, true);
        QCOMPARE(result.outcome, Outcome::TooManyColumns);  // the message shows in the main window's test
        QCOMPARE(Rows(grid).mid(1), (QStringList{u"X|VARCHAR2(5)|||"_s, u"K2|NUMBER(4)||NN|"_s, u"Y|DATE()|||"_s}));
        QCOMPARE(int(ColumnRules.size()), 1);

        basKovaData::MaxDisplayRows = 1;  // just enough
        QCOMPARE(browser::FillColumnGrid(m_db.database.get(), grid, u"P"_s, true).outcome, Outcome::Loaded);
        QCOMPARE(browser::KeyOrderCondition(), QString());

        result = browser::FillColumnGrid(m_db.database.get(), grid, u"NONE"_s, true);
        QCOMPARE(result.outcome, Outcome::NoColumns);
        QCOMPARE(result.message, u"データなし"_s);
        QCOMPARE(result.icon, MessageIcon::Exclamation);
        QCOMPARE(Rows(grid), QStringList{u"項目名|データ型|KEY|NN|設定"_s});
        // A name is only ever a name: no text in it widens the query.
        QCOMPARE(browser::FillColumnGrid(m_db.database.get(), grid, u"T2' OR 'a'='a"_s, true).outcome, Outcome::NoColumns);
        result = browser::FillColumnGrid(m_db.database.get(), grid, u"BV"_s, false);
        QCOMPARE(result.outcome, Outcome::Failed);
        QCOMPARE(int(ColumnRules.size()), 1);
        QCOMPARE(browser::ObjectErrorMessage(true), u"テーブルにエラーがあります。確認してください。"_s);
    }

    // The first view's place counts from 1: a schema of views only has no table.
    void countRowsAndViewsOnly()
    {
        QCOMPARE(browser::CountRows(m_db.database.get(), u" P "_s), u"2"_s);
        QVERIFY_THROWS_EXCEPTION(std::exception, browser::CountRows(m_db.database.get(), u"MISSING"_s));
        QVERIFY_THROWS_EXCEPTION(std::exception, browser::CountRows(m_db.database.get(), u"P WHERE 1 = 0"_s));
        QVERIFY_THROWS_EXCEPTION(std::exception, browser::CountRows(nullptr, u"P"_s));
        QTemporaryDir viewsOnly;
        auto views = kovatest::OpenTestDatabase(viewsOnly, {u"CREATE VIEW V1 AS SELECT 1 A FROM DUAL"_s});
        browser::ObjectList list;
        browser::LoadObjectList(*views.database, list);
        QCOMPARE(list.names, QStringList{u"V1"_s});
        QCOMPARE(list.firstViewIndex, 1);
        QVERIFY(list.isView(0));
    }

    // Only the leading characters of the type count; the national types take
    // character rules.
    void chooseEditor()
    {
        QList<RuleEditor> editors;
        for (const QString& type : {u"NUMBER()"_s, u"VARCHAR2(20)"_s, u"CHAR(1)"_s, u"DATE()"_s, u"NVARCHAR2(10 CHAR)"_s,
                                    u"NCHAR(2 CHAR)"_s, u"LONG()"_s, u"number(8)"_s, u""_s})
            editors.append(browser::ChooseEditor(type).editor);
        QCOMPARE(editors, (QList<RuleEditor>{RuleEditor::Numeric, RuleEditor::Character, RuleEditor::Character, RuleEditor::Date,
                                             RuleEditor::Character, RuleEditor::Character, RuleEditor::None, RuleEditor::None,
                                             RuleEditor::None}));
        for (const QString& type : {u"RAW"_s, u"LONG RAW"_s, u"BLOB"_s, u"CLOB"_s, u"BFILE"_s, u"NCLOB"_s}) {
            QCOMPARE(browser::ChooseEditor(type + u"(16)"_s).editor, RuleEditor::Unsupported);
            QCOMPARE(browser::ChooseEditor(type + u"(16)"_s).message, type + u"型には対応していません。"_s);
        }
    }

    void storedRuleShowsItsNameAndColours_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<uint>>("colours");  // background, text
        const uint white = controls::GridWhite;
        QTest::newRow("0") << u"0"_s << u"単一固定"_s << QList<uint>{GridRgb(0, 0, 255), white};
        QTest::newRow("1") << u"1"_s << u"複数固定"_s << QList<uint>{GridRgb(0, 150, 150), white};
        QTest::newRow("2") << u"2"_s << u"ランダム"_s << QList<uint>{GridRgb(150, 0, 150), white};
        QTest::newRow("3") << u"3"_s << u"連番"_s << QList<uint>{GridRgb(0, 255, 0), white};
        QTest::newRow("4") << u"4"_s << u"編集"_s << QList<uint>{GridRgb(150, 150, 0), white};
        QTest::newRow("5") << u"5"_s << u"NULL"_s << QList<uint>{white, controls::GridBlack};
        QTest::newRow("6") << u"6"_s << u"辞書"_s << QList<uint>{GridRgb(255, 128, 0), white};
        QTest::newRow("9") << u"9"_s << u"分布"_s << QList<uint>{GridRgb(0, 90, 160), white};
        QTest::newRow("blank reads as 0") << u" "_s << u"単一固定"_s << QList<uint>{GridRgb(0, 0, 255), white};
    }

    // A stored rule selects just its cell and shows its name in its colours; its
    // texts keep their first 100 characters. A cancelled edit changes nothing.
    void storedRuleShowsItsNameAndColours()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        GridModel grid;
        QCOMPARE(browser::FillColumnGrid(m_db.database.get(), grid, u"T2"_s, true).outcome, Outcome::Loaded);
        QVERIFY(StoreRule(grid, 2, kind));
        QVERIFY(!StoreRule(grid, 2, u"1"_s, 9, true));
        QVERIFY(ColumnRules[2].IsKey && ColumnRules[2].NumValue[0] == 42.0);
        QCOMPARE(ColumnRules[2].TextValue[0].text(), QString(100, u'x'));
        QCOMPARE(grid.TextMatrix(2, 4), text);
        QTEST(QList<uint>({grid.CellBackColor(2, 4), grid.CellForeColor(2, 4)}), "colours");
        QCOMPARE(QList<int>({grid.Row(), grid.Col(), grid.RowSel(), grid.ColSel()}), QList<int>({2, 4, 2, 4}));
    }

    // Row 0 clears every rule, another row its own; a cleared rule is gone
    // whole (values and data-shape settings too, which a blank kind would
    // still write), as the table's loading left it. The cells take the
    // colour of a key or not.
    void clearRules()
    {
        GridModel grid;
        QCOMPARE(browser::FillColumnGrid(m_db.database.get(), grid, u"T2"_s, true).outcome, Outcome::Loaded);
        // Rules belong to the 設定 cells of rows with a rule entry.
        QVERIFY(browser::IsRuleCell(4, 4) && !browser::IsRuleCell(0, 4) && !browser::IsRuleCell(5, 4)
                && !browser::IsRuleCell(4, 3));
        const std::vector<basKovaData::ColumnRule> loaded = ColumnRules;
        for (int row = 1; row <= 4; ++row) {
            StoreRule(grid, row, QString::number(row));
            basKovaData::ColumnRule& rule = ColumnRules[std::size_t(row)];
            rule.MultiOn[0] = rule.RandomOrder = rule.Unique = true;
            rule.NullRate = 5;
            rule.Weight[0] = 9;
            rule.Pattern = rule.Expression = u"1"_s;
        }
        // The columns whose entry is again as loaded.
        const auto asLoaded = [&loaded] {
            const auto part = [](const basKovaData::ColumnRule& r) {
                return std::tie(r.RuleKind, r.MultiOn, r.NumValue, r.TextValue, r.NullRate, r.RandomOrder, r.Weight,
                                r.Unique, r.Pattern, r.Expression);
            };
            QList<int> rows;
            for (int row = 1; row < int(loaded.size()); ++row)
                if (part(loaded[std::size_t(row)]) == part(ColumnRules[std::size_t(row)]))
                    rows << row;
            return rows;
        };
        browser::ClearRules(grid, 2);
        browser::ClearRules(grid, 9);  // a row past the table changes nothing
        QCOMPARE(asLoaded(), QList<int>{2});
        QCOMPARE(Rows(grid).mid(2, 2), (QStringList{u"K2|NUMBER(4)|KEY|NN|"_s, u"Y|DATE()|||連番"_s}));

        browser::ClearRules(grid, 0);
        QCOMPARE(asLoaded(), (QList<int>{1, 2, 3, 4}));
        QCOMPARE(Rows(grid).mid(0, 2), (QStringList{u"項目名|データ型|KEY|NN|設定"_s, u"X|VARCHAR2(5)|||"_s}));
        for (int row = 1; row <= 4; ++row)  // rows 2 and 4 are key columns
            QVERIFY(grid.CellBackColor(row, 4) == (row % 2 ? controls::GridWhite : controls::GridCyan)
                    && grid.CellForeColor(row, 4) == controls::GridBlack);
    }

    void checks_data()
    {
        QTest::addColumn<QStringList>("command");  // command, name box, count label
        QTest::addColumn<int>("selectRules");  // of six rules; -1: no rule at all
        QTest::addColumn<QString>("refusal");
        const QString noName = u"まずテーブルをダブルクリックして選択して下さい。"_s;
        const QString tooMany = u"項目設定の「編集」は一度に５項目までにして下さい。"_s;
        QTest::newRow("viewer without name") << QStringList{u"viewer"_s, u"  "_s, u"5"_s} << -1 << noName;
        QTest::newRow("viewer without rows") << QStringList{u"viewer"_s, u"T"_s, u"0"_s} << -1 << browser::NoViewerRows;
        QTest::newRow("viewer while counting") << QStringList{u"viewer"_s, u"T"_s, u"取得中"_s} << -1 << browser::NoViewerRows;
        QTest::newRow("create with five select rules") << QStringList{u"create"_s, u"T"_s, u"0"_s} << 5 << QString();
        QTest::newRow("create with six select rules") << QStringList{u"create"_s, u"T"_s, u"0"_s} << 6 << tooMany;
        QTest::newRow("update without name") << QStringList{u"update"_s, u""_s, u"3"_s} << 6 << noName;
        QTest::newRow("update without rows") << QStringList{u"update"_s, u"T"_s, u"0"_s} << 6 << browser::NoDeleteRows;
        QTest::newRow("update without rules") << QStringList{u"update"_s, u"T"_s, u"3"_s} << -1 << u"項目設定を行って下さい。"_s;
        QTest::newRow("update with six select rules") << QStringList{u"update"_s, u"T"_s, u"3"_s} << 6 << tooMany;
    }

    void checks()
    {
        QFETCH(QStringList, command);
        QFETCH(int, selectRules);
        QFETCH(QString, refusal);
        ColumnRules.assign(7, basKovaData::ColumnRule());
        for (int i = 1; i <= 6 && selectRules >= 0; ++i)
            ColumnRules[std::size_t(i)].RuleKind = i <= selectRules ? u"4"_s : u"0"_s;
        const QString& name = command[1];
        const QString& count = command[2];
        if (command[0] == u"viewer"_s)
            QCOMPARE(browser::CheckName(name) + browser::CheckRows(count, browser::NoViewerRows), refusal);
        else
            QCOMPARE(command[0] == u"create"_s ? browser::CheckBeforeCreate(name) : browser::CheckBeforeUpdate(name, count),
                     refusal);
    }

    // A script or a program that links no windowing library needs a terminal.
    // Only the libraries a program links count, not their names in its text.
    void consoleProgramDetection()
    {
        QTemporaryDir dir;
        QVERIFY(kovatest::WriteFile(dir.filePath(u"console.sh"_s), "#!/bin/sh\necho hi\n"));
        QVERIFY(kovatest::WriteFile(dir.filePath(u"notes.txt"_s), "plain text"));
        QVERIFY(kovatest::WriteFile(dir.filePath(u"broken"_s), QByteArray("\x7f" "ELF", 4) + QByteArray(100, '\0')));
        QList<bool> console;
        for (const QString& name : {u"console.sh"_s, u"notes.txt"_s, u"missing"_s, u"broken"_s})
            console.append(browser::IsConsoleProgram(dir.filePath(name)));
        QCOMPARE(console, (QList<bool>{true, false, false, false}));
        QVERIFY(browser::IsConsoleProgram(QCoreApplication::applicationFilePath()));  // links no window library
        QVERIFY(!browser::IsConsoleProgram(QCoreApplication::applicationDirPath() + u"/kova-oracle"_s));
    }

    // A console program runs in the terminal, each terminal asked in its own
    // way (without one, the main window's test starts the program itself).
    void startSqlPlus()
    {
        const browser::LaunchPlan plan =
            browser::PlanSqlPlusStart(u"/opt/sqlplus"_s, u"a/b@c"_s, true, u"/usr/bin/gnome-terminal"_s);
        QCOMPARE(QStringList{plan.program} + plan.arguments,
                 (QStringList{u"/usr/bin/gnome-terminal"_s, u"--"_s, u"/opt/sqlplus"_s, u"a/b@c"_s}));
        QTemporaryDir dir;
        for (const QString& wrong : {u"   "_s, dir.filePath(u"nothing"_s), dir.path()})
            QCOMPARE(browser::StartSqlPlus(wrong, u"a/b@c"_s), browser::SqlPlusStart::WrongPath);
        const QString standIn = dir.filePath(u"sqlplus"_s);
        const QString terminal = dir.filePath(u"term"_s);
        QVERIFY(kovatest::WriteArgumentRecorder(standIn, dir.filePath(u"args.txt"_s)));
        QVERIFY(kovatest::WriteArgumentRecorder(terminal, dir.filePath(u"terminal.txt"_s)));
        browser::SetTerminalLookup([terminal] { return terminal; });
        QCOMPARE(browser::StartSqlPlus(standIn + u"   "_s, u"a/b@c"_s), browser::SqlPlusStart::Started);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath(u"terminal.txt"_s)), 10000);
        QCOMPARE(kovatest::ReadFile(dir.filePath(u"terminal.txt"_s)), u"-e|%1|a/b@c|"_s.arg(standIn).toUtf8());
    }

private:
    QTemporaryDir m_dir;
    kovatest::TestDatabase m_db;
};

QTEST_GUILESS_MAIN(tst_ColumnGrid)
#include "tst_ColumnGrid.moc"
