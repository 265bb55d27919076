#include "rules/frmRuleEditor.h"

#include "diag/frmSub2.h"
#include "help/frmHELP.h"
#include "rules/DistributionRules.h"
#include "rules/frmRuleDistribution.h"
#include "rules/frmRuleShapes.h"
#include "shared/basKovaData.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

using basKovaData::CurrentRule;
using basKovaData::RuleBox;
using basKovaData::TypeFamily;

namespace {

constexpr std::size_t Slot(int i)
{
    return static_cast<std::size_t>(i);
}

QString Indexed(const QString& name, int i)
{
    return name + QLatin1Char('_') + QString::number(i);
}

QStringList Texts(const QList<QLineEdit*>& boxes)
{
    QStringList texts;
    for (const QLineEdit* box : boxes)
        texts.append(box->text());
    return texts;
}

void SetTexts(const QList<QLineEdit*>& boxes, const QStringList& texts)
{
    for (int i = 0; i < boxes.size() && i < texts.size(); ++i)
        boxes.at(i)->setText(texts.at(i));
}

QPushButton* NewButton(QWidget* parent, const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter moves the focus; it never presses a button of its own accord.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

frmRuleEditor::frmRuleEditor(TypeFamily family, QWidget* parent)
    : QDialog(parent), m_family(family)
{
    setWindowTitle(basKovaData::EditorCaption(family));
    buildControls();
    formLoad();
}

// ---- building ---------------------------------------------------------------

QLineEdit* frmRuleEditor::newValueBox(QWidget* parent, const QString& name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    if (m_family == TypeFamily::Date)
        box->setMaxLength(basKovaData::DateBoxWidth);
    m_valueBoxes.append(box);
    return box;
}

QList<QRadioButton*> frmRuleEditor::newPaddingOptions(QWidget* parent, const QString& name,
                                                       const QStringList& captions)
{
    QList<QRadioButton*> options;
    for (int i = 0; i < captions.size(); ++i) {
        auto* option = new QRadioButton(captions.at(i), parent);
        option->setObjectName(Indexed(name, i));
        connect(option, &QRadioButton::clicked, this, [this, i]() { paddingClick(i); });
        options.append(option);
    }
    options.first()->setChecked(true);
    return options;
}

void frmRuleEditor::buildControls()
{
    m_shapes = new frmRuleShapes(m_family, this, [this]() { return storing(); });
    m_distribution = new frmRuleDistribution(this);
    auto* top = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(Indexed(QStringLiteral("LblSET"), i));
        LblSET.append(label);
    }
    LblSET[0]->setText(QStringLiteral("項目名"));
    txtSET = new QLineEdit(this);
    txtSET->setObjectName(QStringLiteral("txtSET"));
    txtSET->setReadOnly(true);
    txtSET->setMinimumWidth(260);
    top->addWidget(LblSET[0], 0, 0);
    top->addWidget(txtSET, 0, 1);
    top->addWidget(LblSET[3], 0, 2);
    top->addWidget(LblSET[1], 0, 3);
    top->addWidget(LblSET[2], 0, 4);
    top->setColumnStretch(5, 1);

    Frame1 = buildKindFrame();
    auto* frames = new QGridLayout;
    FrmSET = {buildSingleFrame(), buildMultipleFrame(), buildRandomFrame(), buildSequenceFrame(),
              buildStatementFrame()};
    if (m_family == TypeFamily::Character)
        FrmDIC = buildDictionaryFrame();
    // The frames lie on one another; ShowRule shows at most one. Hidden ones
    // keep their room, so the window has one size whichever kind is shown.
    for (int i = 0; i < FrmSET.size(); ++i) {
        QGroupBox* frame = FrmSET.at(i);
        frame->setObjectName(Indexed(QStringLiteral("FrmSET"), i));
        QSizePolicy policy = frame->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        frame->setSizePolicy(policy);
        frames->addWidget(frame, 0, 0, Qt::AlignTop);
    }
    if (FrmDIC) {
        FrmDIC->setObjectName(Indexed(QStringLiteral("FrmSET"), 6));
        frames->addWidget(FrmDIC, 0, 0, Qt::AlignTop);
    }
    if (m_family == TypeFamily::Character) {
        QGroupBox* pattern = m_shapes->buildPatternFrame();
        pattern->setObjectName(Indexed(QStringLiteral("FrmSET"), 7));
        frames->addWidget(pattern, 0, 0, Qt::AlignTop);
    }
    QGroupBox* expression = m_shapes->buildExpressionFrame();
    expression->setObjectName(Indexed(QStringLiteral("FrmSET"), 8));
    frames->addWidget(expression, 0, 0, Qt::AlignTop);
    FrmDST = m_distribution->buildFrame();
    FrmDST->setObjectName(Indexed(QStringLiteral("FrmSET"), 9));
    frames->addWidget(FrmDST, 0, 0, Qt::AlignTop);
    auto* frameRoom = new QWidget(this);
    frameRoom->setLayout(frames);
    frames->setContentsMargins(0, 0, 0, 0);

    auto* middle = new QHBoxLayout;
    middle->addWidget(Frame1, 0, Qt::AlignTop);
    middle->addWidget(frameRoom, 1);
    QLayout* shapeRow = m_shapes->buildShapeRow();
    m_valueBoxes += m_shapes->selectingBoxes();

    Command4 = NewButton(this, QStringLiteral("Command4"), QStringLiteral("ヘルプ"));
    CmdSET = NewButton(this, QStringLiteral("CmdSET"), QStringLiteral("設定"));
    CmdCancel = NewButton(this, QStringLiteral("CmdCancel"), QStringLiteral("キャンセル"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command4);
    buttons->addStretch(1);
    buttons->addWidget(CmdSET);
    buttons->addWidget(CmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle, 1);
    layout->addLayout(shapeRow);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Tab order: kinds, the visible frame's boxes, then the buttons.
    setTabOrder(CmdSET, CmdCancel);
    setTabOrder(CmdCancel, Command4);

    connect(CmdSET, &QPushButton::clicked, this, &frmRuleEditor::cmdSETClick);
    connect(m_distribution->turnButton(), &QPushButton::clicked, this, &frmRuleEditor::cmdDSTClick);
    connect(CmdCancel, &QPushButton::clicked, this, &frmRuleEditor::reject);
    connect(Command4, &QPushButton::clicked, this,
            [this]() { showHelp(basKovaData::EditorHelpTopic(m_family)); });

    // The window sees every key and focus change before its controls do.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

QGroupBox* frmRuleEditor::buildKindFrame()
{
    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* layout = new QVBoxLayout(frame);
    // Option i is the kind of code i; the character editor alone has 辞書 and
    // パターン. 分布 is shown only for a rule that holds a profile: it is
    // learned from a table, never set here.
    const bool texts = m_family == TypeFamily::Character;
    const QStringList captions = {QStringLiteral("単一固定"), QStringLiteral("複数固定"),
                                  QStringLiteral("ランダム"), QStringLiteral("連番"),
                                  QStringLiteral("編集"),     QStringLiteral("Null"),
                                  texts ? QStringLiteral("辞書") : QString(),
                                  texts ? QStringLiteral("パターン") : QString(),
                                  QStringLiteral("式"),
                                  QStringLiteral("分布")};
    for (int i = 0; i < captions.size(); ++i) {
        if (captions.at(i).isEmpty()) {
            OptSET.append(nullptr);
            continue;
        }
        auto* option = new QRadioButton(captions.at(i), frame);
        option->setObjectName(Indexed(QStringLiteral("OptSET"), i));
        connect(option, &QRadioButton::clicked, this, [this, i]() { optSETClick(i); });
        layout->addWidget(option);
        OptSET.append(option);
    }
    layout->addStretch(1);
    OptSET.first()->setChecked(true);
    return frame;
}

QGroupBox* frmRuleEditor::buildDictionaryFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("辞書"), this);
    auto* layout = new QVBoxLayout(frame);
    CboDIC = new QComboBox(frame);
    CboDIC->setObjectName(QStringLiteral("CboDIC"));
    CboDIC->addItems(basKovaData::DictionaryNames());
    CboDIC->setMinimumWidth(180);
    layout->addWidget(CboDIC, 0, Qt::AlignLeft);
    connect(CboDIC, &QComboBox::currentIndexChanged, this, &frmRuleEditor::cboDICChange);
    QSizePolicy policy = frame->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    frame->setSizePolicy(policy);
    return frame;
}

void frmRuleEditor::cboDICChange()
{
    if (storing())
        CurrentRule.TextValue[0] = CboDIC->currentText();
}

QGroupBox* frmRuleEditor::buildSingleFrame()
{
    const QString caption = m_family == TypeFamily::Numeric ? QStringLiteral("固定数字")
                            : m_family == TypeFamily::Character ? QStringLiteral("固定文字列")
                                                           : QStringLiteral("固定日付");
    auto* frame = new QGroupBox(caption, this);
    auto* layout = new QVBoxLayout(frame);
    TxtNUM01 = newValueBox(frame, QStringLiteral("TxtNUM01"));
    TxtNUM01->setMinimumWidth(m_family == TypeFamily::Character ? 360 : 180);
    layout->addWidget(TxtNUM01, 0, Qt::AlignLeft);
    connect(TxtNUM01, &QLineEdit::textChanged, this, &frmRuleEditor::txtNUM01Change);
    return frame;
}

QGroupBox* frmRuleEditor::buildMultipleFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("複数固定オプション設定"), this);
    auto* layout = new QGridLayout(frame);
    // Slots 0 to 7 on the left, 8 to 15 on the right, each with its weight
    // under a heading; the order options below.
    for (int column = 0; column < 2; ++column)
        layout->addWidget(m_shapes->newWeightHeading(frame, column), 0, column * 3 + 2);
    for (int i = 0; i < basKovaData::RuleSlots; ++i) {
        auto* tick = new QCheckBox(frame);
        tick->setObjectName(Indexed(QStringLiteral("ChkMulti"), i));
        QLineEdit* box = newValueBox(frame, Indexed(QStringLiteral("TxtNUM02"), i));
        box->setMinimumWidth(m_family == TypeFamily::Character ? 200 : 150);
        layout->addWidget(tick, i % 8 + 1, (i / 8) * 3);
        layout->addWidget(box, i % 8 + 1, (i / 8) * 3 + 1);
        layout->addWidget(m_shapes->newWeightBox(frame, i), i % 8 + 1, (i / 8) * 3 + 2);
        connect(tick, &QCheckBox::clicked, this, [this, i]() { chkMultiClick(i); });
        connect(box, &QLineEdit::textChanged, this, &frmRuleEditor::txtNUM02Change);
        ChkMulti.append(tick);
        TxtNUM02.append(box);
    }
    layout->addWidget(m_shapes->newOrderRow(frame), 9, 0, 1, 6);
    return frame;
}

QGroupBox* frmRuleEditor::buildRangeFrame(const QString& caption, const QString& boxName,
                                          const QStringList& labels, void (frmRuleEditor::*changed)(),
                                          QList<QLineEdit*>* boxes, const QString& paddingName,
                                          const QStringList& paddingCaptions, QList<QRadioButton*>* padding)
{
    auto* frame = new QGroupBox(caption, this);
    auto* layout = new QGridLayout(frame);
    const QString labelName = QString(boxName).replace(QStringLiteral("TxtNUM"), QStringLiteral("LblNUM"));
    for (int i = 0; i < labels.size(); ++i) {
        auto* label = new QLabel(labels.at(i), frame);
        label->setObjectName(Indexed(labelName, i));
        QLineEdit* box = newValueBox(frame, Indexed(boxName, i));
        box->setMinimumWidth(180);
        layout->addWidget(label, i, 0);
        layout->addWidget(box, i, 1);
        connect(box, &QLineEdit::textChanged, this, changed);
        boxes->append(box);
    }
    // The character editor's padding choice for the numbers it generates.
    if (m_family == TypeFamily::Character) {
        *padding = newPaddingOptions(frame, paddingName, paddingCaptions);
        for (int i = 0; i < padding->size(); ++i)
            layout->addWidget(padding->at(i), int(labels.size()) + i, 1);
    }
    layout->setColumnStretch(2, 1);
    return frame;
}

QGroupBox* frmRuleEditor::buildRandomFrame()
{
    const bool dates = m_family == TypeFamily::Date;
    return buildRangeFrame(QStringLiteral("ランダムオプション設定"), QStringLiteral("TxtNUM03"),
                           {dates ? QStringLiteral("最小日付") : QStringLiteral("最小値"),
                            dates ? QStringLiteral("最大日付") : QStringLiteral("最大値"), QStringLiteral("単位")},
                           &frmRuleEditor::txtNUM03Change, &TxtNUM03, QStringLiteral("optSET03"),
                           {QStringLiteral("０埋め       000123"), QStringLiteral("空白埋め       123"),
                            QStringLiteral("左寄せ     123")},
                           &optSET03);
}

QGroupBox* frmRuleEditor::buildSequenceFrame()
{
    const bool dates = m_family == TypeFamily::Date;
    return buildRangeFrame(QStringLiteral("連番オプション設定"), QStringLiteral("TxtNUM04"),
                           {dates ? QStringLiteral("開始日付") : QStringLiteral("開始番号"), QStringLiteral("ステップ")},
                           &frmRuleEditor::txtNUM04Change, &TxtNUM04, QStringLiteral("optSET04"),
                           {QStringLiteral("０埋め      000001"), QStringLiteral("空白埋め         1"),
                            QStringLiteral("左寄せ     123")},
                           &optSET04);
}

QGroupBox* frmRuleEditor::buildStatementFrame()
{
    auto* frame = new QGroupBox(QStringLiteral("編集オプション"), this);
    auto* layout = new QGridLayout(frame);
    TxtSQL = new QPlainTextEdit(frame);
    TxtSQL->setObjectName(QStringLiteral("TxtSQL"));
    TxtSQL->setTabChangesFocus(true);
    TxtSQL->setMinimumSize(360, 160);
    Command1 = NewButton(frame, QStringLiteral("Command1"), QStringLiteral("構文チェック"));
    Command2 = NewButton(frame, QStringLiteral("Command2"), QStringLiteral("ヘルプ"));
    layout->addWidget(TxtSQL, 0, 0, 1, 3);
    layout->addWidget(Command1, 1, 1);
    layout->addWidget(Command2, 1, 2);
    layout->setColumnStretch(0, 1);
    connect(TxtSQL, &QPlainTextEdit::textChanged, this, &frmRuleEditor::txtSQLChange);
    connect(Command1, &QPushButton::clicked, this, &frmRuleEditor::command1Click);
    connect(Command2, &QPushButton::clicked, this,
            [this]() { showHelp(basKovaData::StatementHelp); });
    return frame;
}

// ---- opening and showing ----------------------------------------------------

void frmRuleEditor::formLoad()
{
    G_bFcCan = false;
    G_bFormLoad = false;
    // What the boxes hold before a rule is shown in them.
    const QString start = m_family == TypeFamily::Date ? QString() : QStringLiteral("0");
    const QString startText = m_family == TypeFamily::Numeric ? start : QString();
    TxtNUM01->setText(startText);
    for (QLineEdit* box : std::as_const(TxtNUM02))
        box->setText(startText);
    for (QLineEdit* box : TxtNUM03 + TxtNUM04)
        box->setText(start);

    const basKovaData::ColumnRule& rule = CurrentRule;
    txtSET->setText(rule.ColumnName.trimmed());
    LblSET[1]->setText(rule.IsKey ? QStringLiteral("KEY") : QString());
    LblSET[1]->setVisible(rule.IsKey);
    LblSET[2]->setText(rule.IsNotNull ? QStringLiteral("NOT NULL") : QString());
    LblSET[2]->setVisible(rule.IsNotNull);
    OptSET[5]->setEnabled(!rule.IsNotNull);
    OptSET[9]->setVisible(rule.Distribution != nullptr);
    LblSET[3]->setText(rule.TypeText.trimmed());
    m_shapes->showBoxes(rule);
    ShowRule();
    G_bFormLoad = true;
}

void frmRuleEditor::ShowRule()
{
    // Filling the boxes is no typing: nothing is written back meanwhile.
    const bool loaded = G_bFormLoad;
    G_bFormLoad = false;
    for (QGroupBox* frame : std::as_const(FrmSET))
        frame->hide();
    if (FrmDIC)
        FrmDIC->hide();
    FrmDST->hide();

    basKovaData::ColumnRule& rule = CurrentRule;
    int kind = rule.kindNumber();
    const bool distribution = kind == static_cast<int>(basKovaData::Kind::Distribution);
    if (kind < 0 || kind >= OptSET.size() || !OptSET[kind] || (distribution && !rule.Distribution))
        kind = 0;
    OptSET[kind]->setChecked(true);
    if (kind < FrmSET.size())
        FrmSET[kind]->show();
    m_shapes->showKind(rule, kind);
    switch (kind) {
    case 1:
        for (int i = 0; i < basKovaData::RuleSlots; ++i) {
            const bool on = rule.MultiOn[Slot(i)];
            ChkMulti[i]->setChecked(on);
            TxtNUM02[i]->setEnabled(on);
            TxtNUM02[i]->setText(basKovaData::MultipleBoxText(rule, m_family, i));
        }
        break;
    case 2:
        SetTexts(TxtNUM03, basKovaData::RandomBoxTexts(rule, m_family));
        if (!optSET03.isEmpty())
            optSET03[static_cast<int>(basKovaData::PaddingOf(rule))]->setChecked(true);
        break;
    case 3:
        SetTexts(TxtNUM04, basKovaData::SequenceBoxTexts(rule, m_family));
        if (!optSET04.isEmpty())
            optSET04[static_cast<int>(basKovaData::PaddingOf(rule))]->setChecked(true);
        break;
    case 4:
        TxtSQL->setPlainText(basKovaData::JoinStatement(rule));
        break;
    case 5:
    case 7:  // the pattern and the expression are frmRuleShapes'
    case 8:
        break;
    case 9:
        m_distribution->showRule(rule);
        FrmDST->show();
        break;
    case 6: {
        // A dictionary rule always names one: the first when it has none yet.
        const qsizetype shown = basKovaData::DictionaryNames().indexOf(rule.TextValue[0].trimmed());
        rule.TextValue[0] = basKovaData::DictionaryNames().at(std::max<qsizetype>(shown, 0));
        CboDIC->setCurrentIndex(int(std::max<qsizetype>(shown, 0)));
        FrmDIC->show();
        break;
    }
    default:
        TxtNUM01->setText(basKovaData::SingleBoxText(rule, m_family));
        break;
    }
    G_bFormLoad = loaded;
}

// ---- choosing ---------------------------------------------------------------

void frmRuleEditor::optSETClick(int kind)
{
    CurrentRule.RuleKind = QString::number(kind);
    ShowRule();
    focusFirstBox(kind);
}

void frmRuleEditor::focusFirstBox(int kind)
{
    QWidget* first = nullptr;
    switch (kind) {
    case 0:
        first = TxtNUM01;
        break;
    case 1:
        first = TxtNUM02[0];
        break;
    case 2:
        first = TxtNUM03[0];
        break;
    case 3:
        first = TxtNUM04[0];
        break;
    case 4:
        first = TxtSQL;
        break;
    case 6:
        first = CboDIC;
        break;
    default:
        first = m_shapes->firstBox(kind);
        break;
    }
    if (first && first->isEnabled() && first->isVisible())
        first->setFocus(Qt::OtherFocusReason);
}

void frmRuleEditor::chkMultiClick(int slot)
{
    const bool on = ChkMulti[slot]->isChecked();
    CurrentRule.MultiOn[Slot(slot)] = on;
    TxtNUM02[slot]->setEnabled(on);
    if (on && TxtNUM02[slot]->isVisible())
        TxtNUM02[slot]->setFocus(Qt::OtherFocusReason);
}

void frmRuleEditor::paddingClick(int option)
{
    // The random and the sequence frame share the choice (MultiOn 1 and 2).
    basKovaData::SetPadding(CurrentRule, static_cast<basKovaData::Padding>(option));
}

// ---- typing -----------------------------------------------------------------

void frmRuleEditor::txtNUM01Change()
{
    if (storing())
        basKovaData::StoreSingleBox(CurrentRule, m_family, TxtNUM01->text());
}

void frmRuleEditor::txtNUM02Change()
{
    if (storing())
        basKovaData::StoreMultipleBoxes(CurrentRule, m_family, Texts(TxtNUM02));
}

void frmRuleEditor::txtNUM03Change()
{
    if (storing())
        basKovaData::StoreRandomBoxes(CurrentRule, m_family, Texts(TxtNUM03));
}

void frmRuleEditor::txtNUM04Change()
{
    if (storing())
        basKovaData::StoreSequenceBoxes(CurrentRule, m_family, Texts(TxtNUM04));
}

void frmRuleEditor::txtSQLChange()
{
    if (storing())
        basKovaData::StoreStatement(CurrentRule, TxtSQL->toPlainText());
}

// ---- buttons ----------------------------------------------------------------

void frmRuleEditor::focusBox(RuleBox box, int index)
{
    QWidget* target = nullptr;
    switch (box) {
    case RuleBox::Single:
        target = TxtNUM01;
        break;
    case RuleBox::Multiple:
        target = TxtNUM02.value(index);
        break;
    case RuleBox::Random:
        target = TxtNUM03.value(index);
        break;
    case RuleBox::Sequence:
        target = TxtNUM04.value(index);
        break;
    case RuleBox::Statement:
        target = TxtSQL;
        break;
    case RuleBox::None:
        break;
    default:
        target = m_shapes->box(box, index);
        break;
    }
    if (target)
        target->setFocus(Qt::OtherFocusReason);
}

void frmRuleEditor::cmdSETClick()
{
    basKovaData::RuleVerdict verdict = basKovaData::CheckRule(CurrentRule, m_family);
    if (verdict.accepted)
        verdict = basKovaData::CheckShapes(CurrentRule, m_shapes->boxes(), m_shapes->severalColumns());
    if (!verdict.accepted) {
        basKovaData::ShowMessage(verdict.message, basKovaData::MessageIcon::Exclamation,
                                 windowTitle(), this);
        if (verdict.tickFirstSlot) {
            ChkMulti[0]->setChecked(true);
            chkMultiClick(0);
        } else {
            focusBox(verdict.box, verdict.index);
        }
        return;
    }
    basKovaData::EditCancelled = false;
    accept();
}

void frmRuleEditor::cmdDSTClick()
{
    const basKovaData::OrdinaryRule made = basKovaData::OrdinaryRuleOf(CurrentRule);
    if (!made.rule) {
        basKovaData::ShowMessage(made.reason, basKovaData::MessageIcon::Exclamation, windowTitle(), this);
        return;
    }
    // The new rule is shown as if it had been typed; 設定 keeps it.
    const bool loaded = G_bFormLoad;
    G_bFormLoad = false;
    CurrentRule = *made.rule;
    m_shapes->showBoxes(CurrentRule);
    OptSET[9]->setVisible(false);  // the rule holds no profile any more
    G_bFormLoad = loaded;
    ShowRule();
    focusFirstBox(CurrentRule.kindNumber());
}

void frmRuleEditor::SetSeveralColumns(bool several)
{
    m_shapes->setSeveralColumns(several);
}

void frmRuleEditor::reject()
{
    basKovaData::EditCancelled = true;
    QDialog::reject();
}

void frmRuleEditor::showHelp(qint16 topic)
{
    basKovaData::HelpTopic = topic;
    frmHELP help(this);
    help.exec();
}

void frmRuleEditor::command1Click()
{
    // The preview reads the box, not the stored pieces, and reports its own
    // errors; after a failure the cursor goes back to the statement.
    if (!frmSub2::Preview(this, windowTitle(), TxtSQL->toPlainText()))
        TxtSQL->setFocus(Qt::OtherFocusReason);
}

// ---- keys and focus ---------------------------------------------------------

void frmRuleEditor::selectOnFocus(QLineEdit* box)
{
    if (box->hasFocus())
        box->setSelection(0, basKovaData::FocusSelectionLength(m_family, box->text()));
}

bool frmRuleEditor::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (enter && plain && !G_bFcCan && watched != TxtSQL && !m_shapes->takesEnter(watched)) {
            focusNextChild();
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        if (watched == TxtSQL) {
            G_bFcCan = true;
        } else if (auto* box = qobject_cast<QLineEdit*>(watched); box && m_valueBoxes.contains(box)) {
            selectOnFocus(box);
            // A click places the cursor after the focus has come; select
            // again once the click is through.
            if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason)
                QTimer::singleShot(0, box, [this, box]() { selectOnFocus(box); });
        }
        break;
    case QEvent::FocusOut:
        if (watched == TxtSQL)
            G_bFcCan = false;
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}
