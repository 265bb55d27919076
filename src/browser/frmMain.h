#pragma once
// The main window: the schema's tables and views, the column grid of the chosen
// one with its rules, and the commands.
#include "browser/AutoRules.h"
#include "browser/GridActions.h"
#include "browser/ObjectList.h"
#include "shared/basKovaData.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace controls {
class FlexGrid;
}

class frmMain : public QWidget {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Fills the column grid of the object named in Text1.
    void LoadColumnGrid();
    // Counts the rows of the object named in Text1 into LblCnt.
    void ShowRowCount();

    // Tables, then views, as listed.
    const browser::ObjectList& objects() const { return m_objects; }
    // 1-based list index of the first view.
    int FirstViewIndex() const { return m_objects.firstViewIndex; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void loadWindow();
    void chooseObject(int position);
    void gridDoubleClicked();
    void gridMouseDown(int button, int shift, int x, int y);
    // Opens the rule editor of a column type modally; false for a type
    // without an editor.
    bool openRuleEditor(browser::RuleEditor editor);

    // Commands.
    void cmdViewer();
    void cmdCreate();
    void cmdDelete();
    void cmdHelp();
    void cmdExit();
    void cmdBulkSetting();
    void cmdUpdate();
    void cmdOptions();
    void cmdInformation();
    void cmdSqlPlus();
    void cmdLog();
    void cmdSaveRules();
    void cmdLoadRules();
    void cmdAutoRules();
    // 統計から設定: the rules from the table's own profile, rows or statistics.
    void cmdProfileRules();
    // 分布比較: the comparison window of the chosen table.
    void cmdCompare();
    // What 自動設定 says besides the rules it set.
    void showProposalMessages(const browser::AutoRulesResult& result);

    // Shows `refusal` when there is one; true when the command may go ahead.
    bool passes(const QString& refusal);
    void setCountCaption(const QString& caption, int red, int green, int blue);
    void message(const QString& text, basKovaData::MessageIcon icon);
    QString chosenName() const;
    bool chosenIsTable() const;

    QListWidget* List = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* LblTV = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* LblCnt = nullptr;
    controls::FlexGrid* Grid1 = nullptr;
    QPushButton* Cmd = nullptr;
    QPushButton* CmdCreate = nullptr;
    QPushButton* CmdSave = nullptr;
    QPushButton* CmdLoad = nullptr;
    QPushButton* CmdAuto = nullptr;
    QPushButton* CmdStat = nullptr;
    QPushButton* CmdComp = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr;

    browser::ObjectList m_objects;
    // The row count a saved rule file proposes: the loaded file's, else 100.
    int m_ruleFileRows = 100;
};
