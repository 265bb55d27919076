#pragma once
// The window the three rule editors share: the kind options, one frame per
// kind, the multiple-fixed slots, the statement frame of the 編集 kind, the
// controls of frmRuleShapes (NULL rate, order and weights, 重複なし, the パターン
// and 式 frames) and the 設定 / キャンセル / ヘルプ buttons. It shows and changes
// basKovaData::CurrentRule only; basKovaData::EditCancelled tells the caller
// how it was closed (exec() also returns Accepted after 設定). What differs
// between the editors is decided by the family, mostly in RuleEditing.
#include "rules/RuleEditing.h"

#include <QDialog>
#include <QList>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class frmRuleDistribution;
class frmRuleShapes;

class frmRuleEditor : public QDialog {
    Q_OBJECT

public:
    basKovaData::TypeFamily family() const { return m_family; }

    // False while the window fills its own boxes (opening, ShowRule); the
    // boxes write into CurrentRule only while it is true.
    bool G_bFormLoad = false;
    // True while TxtSQL has the focus: Enter stays in the statement box there.
    bool G_bFcCan = false;

    // Shows CurrentRule in the controls: the kind's option and frame and the
    // kept values of the slots that kind uses.
    void ShowRule();

    // Closing without 設定 (キャンセル, Esc, the title bar) sets EditCancelled,
    // so a closed editor never stores a half-typed rule.
    void reject() override;

    // The bulk setting's editor edits one rule for several columns: a NULL
    // rate is not refused for its record's NOT NULL mark (see CheckShapes).
    void SetSeveralColumns(bool several);

protected:
    frmRuleEditor(basKovaData::TypeFamily family, QWidget* parent);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QGroupBox* buildKindFrame();
    QGroupBox* buildSingleFrame();
    QGroupBox* buildMultipleFrame();
    QGroupBox* buildRandomFrame();
    QGroupBox* buildSequenceFrame();
    // A frame of labelled value boxes, with the padding options below them in
    // the character editor.
    QGroupBox* buildRangeFrame(const QString& caption, const QString& boxName, const QStringList& labels,
                               void (frmRuleEditor::*changed)(), QList<QLineEdit*>* boxes,
                               const QString& paddingName, const QStringList& paddingCaptions,
                               QList<QRadioButton*>* padding);
    QGroupBox* buildStatementFrame();
    // The character editor's 辞書 kind: the list of dictionaries.
    QGroupBox* buildDictionaryFrame();
    QLineEdit* newValueBox(QWidget* parent, const QString& name);
    QList<QRadioButton*> newPaddingOptions(QWidget* parent, const QString& name,
                                           const QStringList& captions);
    void formLoad();

    void optSETClick(int kind);
    void chkMultiClick(int slot);
    void paddingClick(int option);
    void focusFirstBox(int kind);
    void focusBox(basKovaData::RuleBox box, int index);
    void cmdSETClick();
    // 通常のルールにする: the 分布 rule as an ordinary one, shown to be kept with 設定.
    void cmdDSTClick();
    void showHelp(qint16 topic);
    void command1Click();

    void txtNUM01Change();
    void txtNUM02Change();
    void txtNUM03Change();
    void txtNUM04Change();
    void txtSQLChange();
    void cboDICChange();
    void selectOnFocus(QLineEdit* box);
    bool storing() const { return G_bFormLoad; }

    const basKovaData::TypeFamily m_family;

    QLineEdit* txtSET = nullptr;
    QList<QLabel*> LblSET;  // 0 項目名, 1 KEY, 2 NOT NULL, 3 the type
    QGroupBox* Frame1 = nullptr;
    QList<QRadioButton*> OptSET;  // by kind code; null for a kind the editor lacks
    QList<QGroupBox*> FrmSET;
    QLineEdit* TxtNUM01 = nullptr;
    QList<QCheckBox*> ChkMulti;
    QList<QLineEdit*> TxtNUM02;
    QList<QLineEdit*> TxtNUM03;
    QList<QLineEdit*> TxtNUM04;
    QList<QRadioButton*> optSET03;
    QList<QRadioButton*> optSET04;
    QPlainTextEdit* TxtSQL = nullptr;
    QGroupBox* FrmDIC = nullptr;  // the character editor only
    QComboBox* CboDIC = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* CmdSET = nullptr;
    QPushButton* CmdCancel = nullptr;
    QPushButton* Command4 = nullptr;
    QList<QLineEdit*> m_valueBoxes;
    frmRuleShapes* m_shapes = nullptr;
    frmRuleDistribution* m_distribution = nullptr;
    QGroupBox* FrmDST = nullptr;  // FrmSET_9
};
