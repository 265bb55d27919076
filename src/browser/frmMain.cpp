#include "browser/frmMain.h"

#include "browser/AutoRules.h"
#include "browser/CheckConditions.h"
#include "browser/ColumnGrid.h"
#include "browser/ProfileCommand.h"
#include "browser/CommandChecks.h"
#include "browser/SqlPlusLauncher.h"
#include "controls/FlexGrid.h"
#include "controls/GridModel.h"
#include "diag/frmCompare.h"
#include "diag/frmSub3.h"
#include "diag/frmSub4.h"
#include "diag/frmSub5.h"
#include "generate/RuleFile.h"
#include "generate/frmCreate.h"
#include "help/HelpTexts.h"
#include "help/frmHELP.h"
#include "maintain/frmDEL.h"
#include "maintain/frmSub.h"
#include "maintain/frmUpDate.h"
#include "rules/frmSET01.h"
#include "rules/frmSET02.h"
#include "rules/frmSET03.h"
#include "rules/frmSET99.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "login/frmOptions.h"
#include "shared/Questions.h"
#include "shared/basKovaData.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using basKovaData::MessageIcon;

namespace {

const QString Caption = QStringLiteral("ＫＯＶＡ－ＯＲＡＣＬＥ version 1.00a");
const QString TableText = QStringLiteral("TABLE");
const QString ViewText = QStringLiteral("VIEW");

void SetBackground(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, color);
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
}

void SetTextColor(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

// What ルール読込 asks before it puts a file of another table on the chosen one.
QString OtherTableQuestion(const QString& fileTable, const QString& chosen)
{
    return QStringLiteral("このルールファイルはテーブル %1 のものです。\n"
                          "テーブル %2 の同じ名前の列に読み込みますか？")
        .arg(fileTable, chosen);
}

// Runs a modal window of class W and unloads it afterwards.
template <class W>
void ShowModal(QWidget* owner)
{
    W window(owner);
    window.exec();
}

}  // namespace

frmMain::frmMain(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Caption);
    buildControls();
    loadWindow();
}

frmMain::~frmMain() = default;

void frmMain::buildControls()
{
    auto button = [this](QPushButton*& target, const char* name, const QString& caption,
                         void (frmMain::*handler)()) {
        target = new QPushButton(caption, this);
        target->setObjectName(QString::fromLatin1(name));
        target->setAutoDefault(false);
        connect(target, &QPushButton::clicked, this, handler);
    };

    List = new QListWidget(this);
    List->setObjectName(QStringLiteral("List"));
    List->setMinimumWidth(220);
    connect(List, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { chooseObject(List->row(item)); });

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->installEventFilter(this);
    LblTV = new QLabel(TableText, this);
    LblTV->setObjectName(QStringLiteral("LblTV"));
    LblTV->setMinimumWidth(50);
    Label1 = new QLabel(QStringLiteral("件数"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    LblCnt = new QLabel(this);
    LblCnt->setObjectName(QStringLiteral("LblCnt"));
    LblCnt->setAutoFillBackground(true);
    LblCnt->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LblCnt->setMinimumWidth(110);
    LblCnt->setContentsMargins(4, 2, 4, 2);
    SetBackground(LblCnt, Qt::black);
    SetTextColor(LblCnt, QColor(0, 255, 0));

    Grid1 = new controls::FlexGrid(this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    connect(Grid1, &controls::FlexGrid::DblClick, this, &frmMain::gridDoubleClicked);
    connect(Grid1, &controls::FlexGrid::MouseDown, this, &frmMain::gridMouseDown);

    button(Cmd, "Cmd", QStringLiteral("内容確認"), &frmMain::cmdViewer);
    button(CmdCreate, "CmdCreate", QStringLiteral("データ作成"), &frmMain::cmdCreate);
    button(Command1, "Command1", QStringLiteral("データ削除"), &frmMain::cmdDelete);
    button(Command2, "Command2", QStringLiteral("ヘルプ"), &frmMain::cmdHelp);
    button(Command3, "Command3", QStringLiteral("一括設定"), &frmMain::cmdBulkSetting);
    button(Command4, "Command4", QStringLiteral("終了"), &frmMain::cmdExit);
    button(Command5, "Command5", QStringLiteral("データ更新"), &frmMain::cmdUpdate);
    button(Command6, "Command6", QStringLiteral("オプション"), &frmMain::cmdOptions);
    button(Command7, "Command7", QStringLiteral("TABLE情報"), &frmMain::cmdInformation);
    button(Command8, "Command8", QStringLiteral("SQL-PLUS"), &frmMain::cmdSqlPlus);
    button(Command9, "Command9", QStringLiteral("LOG"), &frmMain::cmdLog);
    button(CmdSave, "CmdSave", QStringLiteral("ルール保存"), &frmMain::cmdSaveRules);
    button(CmdLoad, "CmdLoad", QStringLiteral("ルール読込"), &frmMain::cmdLoadRules);
    button(CmdAuto, "CmdAuto", QStringLiteral("自動設定"), &frmMain::cmdAutoRules);
    button(CmdStat, "CmdStat", QStringLiteral("統計から設定"), &frmMain::cmdProfileRules);
    button(CmdComp, "CmdComp", QStringLiteral("分布比較"), &frmMain::cmdCompare);
    for (QPushButton* needsObject :
         {Cmd, CmdCreate, Command1, Command3, Command5, Command7, CmdSave, CmdLoad, CmdAuto, CmdStat, CmdComp})
        needsObject->setEnabled(false);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(Text1, 1);
    nameRow->addWidget(LblTV);
    nameRow->addSpacing(12);
    nameRow->addWidget(Label1);
    nameRow->addWidget(LblCnt);

    auto* right = new QVBoxLayout;
    right->addLayout(nameRow);
    right->addWidget(Grid1, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(List);
    top->addLayout(right, 1);

    auto* tableCommands = new QHBoxLayout;
    for (QPushButton* b : {Cmd, CmdCreate, Command1, Command3, Command5, Command7, CmdAuto, CmdStat, CmdComp, CmdSave,
                           CmdLoad})
        tableCommands->addWidget(b);
    tableCommands->addStretch(1);
    auto* generalCommands = new QHBoxLayout;
    for (QPushButton* b : {Command9, Command8, Command6, Command2})
        generalCommands->addWidget(b);
    generalCommands->addStretch(1);
    generalCommands->addWidget(Command4);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(tableCommands);
    layout->addLayout(generalCommands);
    resize(980, 600);
}

// ---- load -----------------------------------------------------------------------

void frmMain::loadWindow()
{
    basKovaData::ResetColumnRules();
    controls::GridModel& grid = *Grid1->gridModel();
    browser::SetUpColumnGrid(grid);
    Text1->clear();
    LblCnt->clear();

    try {
        if (!basKovaData::OraDatabase)
            throw OraError(QStringLiteral("not connected"));
        browser::LoadObjectList(*basKovaData::OraDatabase, m_objects);
    } catch (const OraError& error) {
        // The list keeps what was read; the user sees why it is short.
        message(QStringLiteral("ＳＱＬ文のエラーです。確認してください。") + QString::number(error.number()),
                MessageIcon::Information);
    }
    List->addItems(m_objects.listTexts);
    if (List->count() > 0)
        Text1->clear();
    else
        message(QStringLiteral("テーブルがひとつもないです。"), MessageIcon::Information);
}

void frmMain::chooseObject(int position)
{
    if (position < 0 || position >= m_objects.names.size())
        return;
    Text1->setText(m_objects.names[position]);
    const bool view = m_objects.isView(position);
    SetBackground(Text1, view ? QColor(0, 255, 255) : QColor(Qt::white));
    LblTV->setText(view ? ViewText : TableText);
    for (QPushButton* tableOnly : {CmdCreate, Command1, Command3, Command5, CmdSave, CmdLoad, CmdAuto, CmdStat, CmdComp})
        tableOnly->setEnabled(!view);
    Command7->setText(view ? QStringLiteral("VIEW定義") : QStringLiteral("TABLE情報"));
    Command7->setEnabled(true);
    Cmd->setEnabled(true);
    m_ruleFileRows = generate::DefaultRuleFileRows;
    LoadColumnGrid();
}

void frmMain::LoadColumnGrid()
{
    const browser::ColumnGridResult result =
        browser::FillColumnGrid(basKovaData::OraDatabase.get(), *Grid1->gridModel(), chosenName(),
                                chosenIsTable());
    switch (result.outcome) {
    case browser::ColumnGridResult::Outcome::Loaded:
        ShowRowCount();
        basKovaData::ViewerCondition = browser::KeyOrderCondition();
        return;
    case browser::ColumnGridResult::Outcome::Failed:
        setCountCaption(QStringLiteral("ERROR"), 255, 0, 0);
        break;
    case browser::ColumnGridResult::Outcome::TooManyColumns:
    case browser::ColumnGridResult::Outcome::NoColumns:
        // The previous object's count must not stand beside this name.
        LblCnt->clear();
        break;
    }
    message(result.message, result.icon);
}

void frmMain::ShowRowCount()
{
    setCountCaption(QStringLiteral("取得中"), 128, 255, 128);
    LblCnt->repaint();
    try {
        const QString count = browser::CountRows(basKovaData::OraDatabase.get(), chosenName());
        if (!count.isEmpty())
            LblCnt->setText(count);
    } catch (const OraError&) {
        setCountCaption(QStringLiteral("ERROR"), 255, 0, 0);
        message(browser::ObjectErrorMessage(chosenIsTable()), MessageIcon::Information);
    }
}

// ---- grid -----------------------------------------------------------------------

void frmMain::gridDoubleClicked()
{
    controls::GridModel& grid = *Grid1->gridModel();
    const int row = grid.Row();
    if (!browser::IsRuleCell(row, grid.Col()))
        return;
    browser::BeginRuleEdit(row);
    const browser::EditorChoice choice =
        browser::ChooseEditor(basKovaData::CurrentRule.TypeText.text());
    if (choice.editor == browser::RuleEditor::Unsupported) {
        message(choice.message, MessageIcon::Information);
        return;
    }
    if (choice.editor == browser::RuleEditor::None || !openRuleEditor(choice.editor))
        return;
    browser::FinishRuleEdit(grid, row);
}

bool frmMain::openRuleEditor(browser::RuleEditor editor)
{
    switch (editor) {
    case browser::RuleEditor::Numeric:
        ShowModal<frmSET01>(this);
        return true;
    case browser::RuleEditor::Character:
        ShowModal<frmSET02>(this);
        return true;
    case browser::RuleEditor::Date:
        ShowModal<frmSET03>(this);
        return true;
    case browser::RuleEditor::None:
    case browser::RuleEditor::Unsupported:
        break;
    }
    return false;
}

void frmMain::gridMouseDown(int button, int shift, int x, int y)
{
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
    controls::GridModel& grid = *Grid1->gridModel();
    if (button != 2 || grid.MouseCol() != browser::ColRule)
        return;
    grid.setRow(grid.MouseRow());
    grid.setCol(grid.MouseCol());
    browser::ClearRules(grid, grid.MouseRow());
}

// ---- commands ---------------------------------------------------------------------

bool frmMain::passes(const QString& refusal)
{
    if (refusal.isEmpty())
        return true;
    message(refusal, MessageIcon::Information);
    return false;
}

void frmMain::cmdViewer()
{
    if (!passes(browser::CheckName(Text1->text()))
        || !passes(browser::CheckRows(LblCnt->text(), browser::NoViewerRows)))
        return;
    basKovaData::ChosenTable = chosenName();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    frmSub viewer(Grid1->gridModel(), this);
    QApplication::restoreOverrideCursor();
    viewer.exec();
}

void frmMain::cmdCreate()
{
    if (!passes(browser::CheckBeforeCreate(Text1->text())))
        return;
    basKovaData::ChosenTable = chosenName();
    // Rows of a child whose parents have none can only fail their foreign keys.
    QStringList emptyParents;
    try {
        emptyParents = browser::EmptyParentTables(basKovaData::OraDatabase.get(), chosenName());
    } catch (const OraError&) {
        // Without the dictionary's answer the run goes on as it always did.
    }
    if (!emptyParents.isEmpty()
        && !basKovaData::AskOkCancel(browser::EmptyParentsWarning(emptyParents), windowTitle(), this))
        return;
    frmCreate window(this);
    // A junction table's rows can only be new combinations of its parents' keys.
    window.setRowCheck([table = chosenName()](qint64 rows) {
        try {
            return browser::JunctionShortfallMessage(
                browser::JunctionShortfall(basKovaData::OraDatabase.get(), table, rows), rows);
        } catch (const OraError&) {
            return QString();  // without the dictionary's answer the run goes on unwarned
        }
    });
    window.exec();
    ShowRowCount();
}

void frmMain::cmdDelete()
{
    if (!passes(browser::CheckName(Text1->text()))
        || !passes(browser::CheckRows(LblCnt->text(), browser::NoDeleteRows)))
        return;
    basKovaData::ChosenTable = chosenName();
    ShowModal<frmDEL>(this);
    ShowRowCount();
}

void frmMain::cmdHelp()
{
    basKovaData::HelpTopic = basKovaData::MainWindowHelp;
    ShowModal<frmHELP>(this);
}

void frmMain::cmdExit()
{
    close();
}

void frmMain::cmdBulkSetting()
{
    if (!passes(browser::CheckName(Text1->text())))
        return;
    basKovaData::ChosenTable = chosenName();
    frmSET99 bulk(Grid1->gridModel(), this);
    bulk.exec();
}

void frmMain::cmdUpdate()
{
    if (!passes(browser::CheckBeforeUpdate(Text1->text(), LblCnt->text())))
        return;
    basKovaData::ChosenTable = chosenName();
    ShowModal<frmUpDate>(this);
    // A stopped update has rolled back; the count is read again either way.
    ShowRowCount();
}

void frmMain::cmdOptions()
{
    ShowModal<frmOptions>(this);
}

void frmMain::cmdInformation()
{
    basKovaData::ChosenTable = chosenName();
    if (chosenIsTable())
        ShowModal<frmSub4>(this);
    else
        ShowModal<frmSub3>(this);
}

void frmMain::cmdSqlPlus()
{
    if (browser::StartSqlPlus(basKovaData::SqlPlusPath, basKovaData::SqlPlusLogin)
        == browser::SqlPlusStart::WrongPath)
        message(browser::WrongSqlPlusPath, MessageIcon::Exclamation);
}

void frmMain::cmdLog()
{
    ShowModal<frmSub5>(this);
}

void frmMain::cmdSaveRules()
{
    if (!passes(browser::CheckName(Text1->text())))
        return;
    const QString path = basKovaData::ChooseFile(
        {true, QStringLiteral("ルール保存"), generate::RuleFolder(), chosenName() + QStringLiteral(".json"), this});
    if (path.isEmpty())
        return;
    QString error;
    if (!generate::SaveRuleFile(path, chosenName(), m_ruleFileRows, &error, basKovaData::ChosenSeed))
        message(QStringLiteral("ルールファイルを保存できませんでした。\n") + error, MessageIcon::Exclamation);
}

void frmMain::cmdLoadRules()
{
    if (!passes(browser::CheckName(Text1->text())))
        return;
    const QString path = basKovaData::ChooseFile(
        {false, QStringLiteral("ルール読込"), generate::RuleFolder(), chosenName() + QStringLiteral(".json"), this});
    if (path.isEmpty())
        return;
    // The file is read onto the columns at once; a file of another table is
    // kept only when the user wants its rules on this one, by column name.
    const std::vector<basKovaData::ColumnRule> before = basKovaData::ColumnRules;
    const generate::RuleFileLoad load = generate::LoadRuleFile(path);
    if (load.refused) {
        message(QStringLiteral("ルールファイルを読み込めませんでした。\n") + load.message, MessageIcon::Exclamation);
        return;
    }
    if (!load.table.isEmpty() && load.table.compare(chosenName(), Qt::CaseInsensitive) != 0
        && !basKovaData::AskYesNo(OtherTableQuestion(load.table, chosenName()), windowTitle(), this)) {
        basKovaData::ColumnRules = before;
        return;
    }
    m_ruleFileRows = load.rows;
    basKovaData::ChosenSeed = load.seed;
    browser::ShowRules(*Grid1->gridModel());
    if (const QString leftOut = generate::LeftOutText(load); !leftOut.isEmpty())
        message(QStringLiteral("次のルールは読み込みませんでした。\n") + leftOut, MessageIcon::Information);
}

void frmMain::cmdAutoRules()
{
    if (!passes(browser::CheckName(Text1->text())))
        return;
    const browser::AutoRulesResult result = browser::ProposeRules(basKovaData::OraDatabase.get(), chosenName());
    if (result.failed) {
        message(QStringLiteral("ＳＱＬ文のエラーです。確認してください。") + QString::number(result.errorNumber),
                MessageIcon::Information);
        return;
    }
    browser::ShowRules(*Grid1->gridModel());
    showProposalMessages(result);
}

void frmMain::showProposalMessages(const browser::AutoRulesResult& result)
{
    if (const QString parents = browser::EmptyParentsMessage(result.emptyParents); !parents.isEmpty())
        message(parents, MessageIcon::Information);
    if (const QString checks = browser::CheckConditionsMessage(result.unreadChecks, result.partlyUsedChecks,
                                                                      result.nullForChecks);
        !checks.isEmpty())
        message(checks, MessageIcon::Information);
    if (const QString triggers = browser::TriggerFilledMessage(result.triggerFilled); !triggers.isEmpty())
        message(triggers, MessageIcon::Information);
    if (const QString identity = browser::IdentityColumnsMessage(result.identityColumns); !identity.isEmpty())
        message(identity, MessageIcon::Information);
}

void frmMain::cmdProfileRules()
{
    if (!passes(browser::CheckName(Text1->text())))
        return;
    // The 分布 rules take the place of the rules set so far on every column
    // that is no key: nothing is replaced that the user did not agree to.
    if (basKovaData::CountSetRules() > 0
        && !basKovaData::AskOkCancel(QStringLiteral("設定済みの項目の規則は、キー項目を除いて分布に置き換わります。\n"
                                                    "よろしいですか？"),
                                     windowTitle(), this))
        return;
    const bool fromRows = basKovaData::AskYesNo(
        QStringLiteral("テーブル %1 の行を読んで分布を設定しますか？\n"
                       "（いいえ：行を読まず、統計情報だけから設定します）")
            .arg(chosenName()),
        windowTitle(), this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const browser::StatisticsRulesRun run =
        browser::SetRulesFromProfile(basKovaData::OraDatabase.get(), chosenName(), fromRows);
    QApplication::restoreOverrideCursor();
    if (run.done) {
        browser::ShowRules(*Grid1->gridModel());
        showProposalMessages(run.result.proposed);
    }
    message(run.message, run.done ? MessageIcon::Information : MessageIcon::Exclamation);
}

void frmMain::cmdCompare()
{
    if (!passes(browser::CheckName(Text1->text())))
        return;
    frmCompare window(chosenName(), this);
    window.exec();
}

// ---- helpers ----------------------------------------------------------------------

void frmMain::setCountCaption(const QString& caption, int red, int green, int blue)
{
    SetTextColor(LblCnt, QColor(red, green, blue));
    LblCnt->setText(caption);
}

void frmMain::message(const QString& text, MessageIcon icon)
{
    basKovaData::ShowMessage(text, icon, windowTitle(), this);
}

QString frmMain::chosenName() const
{
    return Text1->text().trimmed();
}

bool frmMain::chosenIsTable() const
{
    return LblTV->text() == TableText;
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Text1 && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, Text1, [line = Text1] { line->selectAll(); });
    return QWidget::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    QWidget::closeEvent(event);
}
