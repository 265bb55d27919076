#pragma once
// The rule editors' controls for how production data looks on top of a kind,
// and the frames of the パターン and 式 kinds: built and handled here for
// frmRuleEditor, which lays out the multiple-fixed frame's parts and the
// frames, and asks for the boxes at 設定. The NULL rate, the order, the
// weights and 重複なし are read at 設定 (RuleShapes); the pattern and the
// expression are written into CurrentRule as they are typed, like the other
// kinds' values.
#include "rules/RuleShapes.h"

#include <QList>
#include <QObject>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QWidget;

class frmRuleShapes : public QObject {
    Q_OBJECT

public:
    // `storing` tells whether typing is written into CurrentRule now.
    frmRuleShapes(basKovaData::TypeFamily family, QWidget* window, std::function<bool()> storing);

    // The multiple-fixed frame's parts: the weight box of one slot, the
    // heading over a column of weights and the order options in one row.
    QLineEdit* newWeightBox(QWidget* parent, int slot);
    QLabel* newWeightHeading(QWidget* parent, int column);
    QWidget* newOrderRow(QWidget* parent);
    // The frames of the パターン kind (the character editor's) and the 式 kind.
    QGroupBox* buildPatternFrame();
    QGroupBox* buildExpressionFrame();
    // TxtNULL with its label and ChkUNQ, in one row under the kinds' frames.
    QLayout* buildShapeRow();

    // The bulk setting's editor: the rate reaches only the columns that can
    // hold NULL, which the box tells.
    void setSeveralColumns(bool several);
    bool severalColumns() const { return m_severalColumns; }

    // Fills the boxes from the rule (when the window opens).
    void showBoxes(const basKovaData::ColumnRule& rule);
    // Follows the kind shown: its text for a pattern or an expression, and
    // which controls can be used.
    void showKind(const basKovaData::ColumnRule& rule, int kind);
    basKovaData::ShapeBoxes boxes() const;

    // The box a refusal or a kind's choice sends the focus to.
    QWidget* box(basKovaData::RuleBox which, int index) const;
    QWidget* firstBox(int kind) const;
    QGroupBox* frame(int kind) const;
    // The expression box takes Enter as a new line.
    bool takesEnter(const QObject* watched) const;
    // Boxes whose text is selected as they get the focus.
    QList<QLineEdit*> selectingBoxes() const;

private:
    void updateEnabling();
    void patternChange();
    void expressionChange();

    const basKovaData::TypeFamily m_family;
    QWidget* const m_window;
    const std::function<bool()> m_storing;
    bool m_severalColumns = false;
    int m_kind = 0;

    QList<QRadioButton*> OptORD;
    QList<QLineEdit*> TxtWGT;
    QGroupBox* FrmPAT = nullptr;  // FrmSET_7
    QLineEdit* TxtPAT = nullptr;
    QGroupBox* FrmEXP = nullptr;  // FrmSET_8
    QPlainTextEdit* TxtEXP = nullptr;
    QLabel* LblEXP = nullptr;
    QLabel* LblNULL = nullptr;
    QLineEdit* TxtNULL = nullptr;
    QCheckBox* ChkUNQ = nullptr;
};
