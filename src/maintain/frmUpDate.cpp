#include "maintain/frmUpDate.h"

#include "controls/RunScaffold.h"
#include "rules/ColumnRule.h"
#include "controls/Shape.h"
#include "controls/Twips.h"
#include "help/HelpTexts.h"
#include "help/frmHELP.h"
#include "maintain/UpdateRun.h"
#include "shared/basKovaData.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace {

constexpr int Left = 16;
constexpr int BarHeight = 18;

}  // namespace

frmUpDate::frmUpDate(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmUpDate"));
    setWindowTitle(QStringLiteral("データ更新"));
    const int barWidth = controls::TwipsToPixels(this, maintain::UpdateProgressFullTwips);

    txtSQL = new QPlainTextEdit(this);
    txtSQL->setObjectName(QStringLiteral("txtSQL"));
    txtSQL->setGeometry(Left, 16, barWidth, 80);
    txtSQL->setTabChangesFocus(true);

    const int barTop = 108;
    Prgres = new controls::Shape(this);
    Prgres->setObjectName(QStringLiteral("Prgres"));
    Prgres->setGeometry(Left - 1, barTop - 1, barWidth + 2, BarHeight + 2);
    Shape1 = new controls::Shape(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setBorderWidth(0);
    Shape1->setFillColor(QColor(0, 0, 192));
    Shape1->move(Left, barTop);
    setProgress(0);

    const QString captions[] = {QStringLiteral("更新"), QStringLiteral("キャンセル"), QStringLiteral("ヘルプ")};
    QPushButton** buttons[] = {&Command1_0, &Command1_1, &Command1_2};
    const int buttonTop = barTop + BarHeight + 16;
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(captions[i], this);
        button->setObjectName(QStringLiteral("Command1_%1").arg(i));
        button->setAutoDefault(false);
        button->setGeometry(Left + barWidth - 90 * (3 - i) - 6 * (2 - i), buttonTop, 90, 28);
        *buttons[i] = button;
    }
    connect(Command1_0, &QPushButton::clicked, this, &frmUpDate::updateRows);
    connect(Command1_1, &QPushButton::clicked, this, &QDialog::reject);
    connect(Command1_2, &QPushButton::clicked, this, &frmUpDate::showHelp);

    setFixedSize(Left * 2 + barWidth, buttonTop + 28 + 14);
    txtSQL->setFocus();
    m_run = std::make_unique<controls::RunScaffold>(this, std::vector<QWidget*>{txtSQL, Command1_0, Command1_2});
}

frmUpDate::~frmUpDate() = default;

void frmUpDate::reject()
{
    if (!m_run->requestStop())
        QDialog::reject();
}

void frmUpDate::setProgress(int twips)
{
    Shape1->resize(controls::TwipsToPixels(this, twips), BarHeight);
    Shape1->setVisible(twips > 0);
    Shape1->repaint();
}

void frmUpDate::updateRows()
{
    if (!m_run->begin())
        return;
    maintain::UpdateHooks hooks;
    hooks.progress = [this](int twips) { setProgress(twips); };
    hooks.stopRequested = [this] { return m_run->stopRequested(); };
    const maintain::UpdateResult result = maintain::UpdateRows(
        basKovaData::TableRules::FromShared(basKovaData::ChosenTable), txtSQL->toPlainText(), hooks);
    const maintain::UpdateMessage said = maintain::UpdateOutcomeMessage(result);
    m_run->finish(said.text, said.icon, said.details);
}

void frmUpDate::showHelp()
{
    basKovaData::HelpTopic = basKovaData::UpdateRowsHelp;
    frmHELP help(this);
    help.exec();
}
