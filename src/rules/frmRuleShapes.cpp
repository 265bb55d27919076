#include "rules/frmRuleShapes.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

using basKovaData::CurrentRule;
using basKovaData::Kind;
using basKovaData::RuleBox;

namespace {

QString Indexed(const QString& name, int i)
{
    return name + QLatin1Char('_') + QString::number(i);
}

// Hidden frames keep their room: the window has one size whichever kind is shown.
void KeepRoomWhenHidden(QWidget* widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

}  // namespace

frmRuleShapes::frmRuleShapes(basKovaData::TypeFamily family, QWidget* window, std::function<bool()> storing)
    : QObject(window), m_family(family), m_window(window), m_storing(std::move(storing))
{
}

// ---- building ---------------------------------------------------------------

QLineEdit* frmRuleShapes::newWeightBox(QWidget* parent, int slot)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(Indexed(QStringLiteral("TxtWGT"), slot));
    box->setFixedWidth(56);
    box->setAlignment(Qt::AlignRight);
    box->setToolTip(QStringLiteral("ランダムに選ぶときの重み（1～1000）"));
    TxtWGT.append(box);
    return box;
}

QLabel* frmRuleShapes::newWeightHeading(QWidget* parent, int column)
{
    auto* heading = new QLabel(QStringLiteral("重み"), parent);
    heading->setObjectName(Indexed(QStringLiteral("LblWGT"), column));
    return heading;
}

QWidget* frmRuleShapes::newOrderRow(QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("選び方"), row);
    label->setObjectName(QStringLiteral("LblORD"));
    layout->addWidget(label);
    const QStringList captions = {QStringLiteral("順番"), QStringLiteral("ランダム")};
    for (int i = 0; i < captions.size(); ++i) {
        auto* option = new QRadioButton(captions.at(i), row);
        option->setObjectName(Indexed(QStringLiteral("OptORD"), i));
        connect(option, &QRadioButton::clicked, this, &frmRuleShapes::updateEnabling);
        layout->addWidget(option);
        OptORD.append(option);
    }
    layout->addStretch(1);
    OptORD.first()->setChecked(true);
    return row;
}

QGroupBox* frmRuleShapes::buildPatternFrame()
{
    FrmPAT = new QGroupBox(QStringLiteral("パターンオプション設定"), m_window);
    auto* layout = new QVBoxLayout(FrmPAT);
    TxtPAT = new QLineEdit(FrmPAT);
    TxtPAT->setObjectName(QStringLiteral("TxtPAT"));
    TxtPAT->setMinimumWidth(360);
    auto* hint = new QLabel(QStringLiteral("正規表現の形で値の形を指定します。\n例: JP-\\d{4}-[A-Z] → JP-0042-A"), FrmPAT);
    hint->setObjectName(QStringLiteral("LblPAT"));
    layout->addWidget(TxtPAT);
    layout->addWidget(hint);
    connect(TxtPAT, &QLineEdit::textChanged, this, &frmRuleShapes::patternChange);
    KeepRoomWhenHidden(FrmPAT);
    return FrmPAT;
}

QGroupBox* frmRuleShapes::buildExpressionFrame()
{
    FrmEXP = new QGroupBox(QStringLiteral("式オプション設定"), m_window);
    auto* layout = new QVBoxLayout(FrmEXP);
    TxtEXP = new QPlainTextEdit(FrmEXP);
    TxtEXP->setObjectName(QStringLiteral("TxtEXP"));
    TxtEXP->setTabChangesFocus(true);
    TxtEXP->setMinimumSize(360, 120);
    LblEXP = new QLabel(FrmEXP);
    LblEXP->setObjectName(QStringLiteral("LblEXP"));
    LblEXP->setWordWrap(true);
    LblEXP->setMaximumWidth(420);
    layout->addWidget(TxtEXP);
    layout->addWidget(LblEXP);
    connect(TxtEXP, &QPlainTextEdit::textChanged, this, &frmRuleShapes::expressionChange);
    KeepRoomWhenHidden(FrmEXP);
    return FrmEXP;
}

QLayout* frmRuleShapes::buildShapeRow()
{
    auto* row = new QHBoxLayout;
    LblNULL = new QLabel(QStringLiteral("NULL率(%)"), m_window);
    LblNULL->setObjectName(QStringLiteral("LblNULL"));
    TxtNULL = new QLineEdit(m_window);
    TxtNULL->setObjectName(QStringLiteral("TxtNULL"));
    TxtNULL->setFixedWidth(56);
    TxtNULL->setAlignment(Qt::AlignRight);
    LblNULL->setBuddy(TxtNULL);
    ChkUNQ = new QCheckBox(QStringLiteral("重複なし"), m_window);
    ChkUNQ->setObjectName(QStringLiteral("ChkUNQ"));
    row->addWidget(LblNULL);
    row->addWidget(TxtNULL);
    row->addSpacing(24);
    row->addWidget(ChkUNQ);
    row->addStretch(1);
    return row;
}

void frmRuleShapes::setSeveralColumns(bool several)
{
    m_severalColumns = several;
    TxtNULL->setToolTip(several ? QStringLiteral("NOT NULL項目とキー項目には設定されません。") : QString());
}

// ---- showing ----------------------------------------------------------------

void frmRuleShapes::showBoxes(const basKovaData::ColumnRule& rule)
{
    const basKovaData::ShapeBoxes shown = basKovaData::ShapeBoxesOf(rule);
    TxtNULL->setText(shown.nullRate);
    OptORD[shown.randomOrder ? 1 : 0]->setChecked(true);
    for (int i = 0; i < TxtWGT.size(); ++i)
        TxtWGT[i]->setText(shown.weights.value(i));
    ChkUNQ->setChecked(shown.unique);
    LblEXP->setText(basKovaData::ExpressionHint(rule));
}

void frmRuleShapes::showKind(const basKovaData::ColumnRule& rule, int kind)
{
    m_kind = kind;
    if (FrmPAT)
        FrmPAT->setVisible(kind == static_cast<int>(Kind::Pattern));
    FrmEXP->setVisible(kind == static_cast<int>(Kind::Expression));
    if (kind == static_cast<int>(Kind::Pattern) && TxtPAT)
        TxtPAT->setText(rule.Pattern);
    if (kind == static_cast<int>(Kind::Expression))
        TxtEXP->setPlainText(rule.Expression);
    updateEnabling();
}

void frmRuleShapes::updateEnabling()
{
    const auto kind = static_cast<Kind>(m_kind);
    const bool random = OptORD[1]->isChecked();
    // A 分布 rule holds its NULL share in its profile, which is not edited here.
    const bool nullRate = basKovaData::NullRateApplies(kind) && kind != Kind::Distribution;
    LblNULL->setEnabled(nullRate);
    TxtNULL->setEnabled(nullRate);
    for (QLineEdit* weight : std::as_const(TxtWGT))
        weight->setEnabled(random);
    ChkUNQ->setEnabled(basKovaData::UniqueApplies(kind, random));
}

basKovaData::ShapeBoxes frmRuleShapes::boxes() const
{
    basKovaData::ShapeBoxes typed;
    typed.nullRate = TxtNULL->text();
    typed.randomOrder = OptORD[1]->isChecked();
    for (const QLineEdit* weight : TxtWGT)
        typed.weights.append(weight->text());
    typed.unique = ChkUNQ->isChecked();
    return typed;
}

// ---- typing and focus -------------------------------------------------------

void frmRuleShapes::patternChange()
{
    if (m_storing())
        CurrentRule.Pattern = TxtPAT->text();
}

void frmRuleShapes::expressionChange()
{
    if (m_storing())
        CurrentRule.Expression = TxtEXP->toPlainText();
}

QWidget* frmRuleShapes::box(RuleBox which, int index) const
{
    switch (which) {
    case RuleBox::Pattern:
        return TxtPAT;
    case RuleBox::Expression:
        return TxtEXP;
    case RuleBox::Weight:
        return TxtWGT.value(index);
    case RuleBox::NullRate:
        return TxtNULL;
    default:
        return nullptr;
    }
}

QWidget* frmRuleShapes::firstBox(int kind) const
{
    if (kind == static_cast<int>(Kind::Pattern))
        return TxtPAT;
    if (kind == static_cast<int>(Kind::Expression))
        return TxtEXP;
    return nullptr;
}

QGroupBox* frmRuleShapes::frame(int kind) const
{
    if (kind == static_cast<int>(Kind::Pattern))
        return FrmPAT;
    if (kind == static_cast<int>(Kind::Expression))
        return FrmEXP;
    return nullptr;
}

bool frmRuleShapes::takesEnter(const QObject* watched) const
{
    return watched == TxtEXP;
}

QList<QLineEdit*> frmRuleShapes::selectingBoxes() const
{
    return TxtWGT + QList<QLineEdit*>{TxtNULL};
}
