#include "maintain/frmSub.h"

#include "controls/FlexGrid.h"
#include "help/HelpTexts.h"
#include "help/frmHELP.h"
#include "maintain/ViewerQuery.h"
#include "session/OraAccess.h"
#include "shared/basKovaData.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

frmSub::frmSub(const controls::GridModel* mainGrid, QWidget* parent) : QDialog(parent), m_mainGrid(mainGrid)
{
    buildControls();
    LblMSG->clear();
    maintain::PrepareViewerGrid(*Grid->gridModel(), m_mainGrid);
    txtSQL->setPlainText(basKovaData::ViewerCondition);
    runQuery();
}

void frmSub::buildControls()
{
    setObjectName(u"frmSub"_s);
    setWindowTitle(u"内容確認"_s);

    txtSQL = new QPlainTextEdit(this);
    txtSQL->setObjectName(u"txtSQL"_s);
    txtSQL->setFixedHeight(64);

    Command2 = new QPushButton(u"実行"_s, this);
    Command2->setObjectName(u"Command2"_s);
    Command3 = new QPushButton(u"閉じる"_s, this);
    Command3->setObjectName(u"Command3"_s);
    Command1 = new QPushButton(u"ヘルプ"_s, this);
    Command1->setObjectName(u"Command1"_s);
    for (QPushButton* button : {Command2, Command3, Command1})
        button->setAutoDefault(false);
    connect(Command2, &QPushButton::clicked, this, &frmSub::runQuery);
    connect(Command3, &QPushButton::clicked, this, &frmSub::closeViewer);
    connect(Command1, &QPushButton::clicked, this, &frmSub::showHelp);

    // "検索中" lies beneath the grid, seen only while the grid is hidden.
    const controls::GridOverLabel searching = controls::MakeGridOverLabel(this, u"検索中"_s);
    Grid = searching.grid;
    Label1 = searching.label;

    LblMSG = new QLabel(this);
    LblMSG->setObjectName(u"LblMSG"_s);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    buttons->addWidget(Command1);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(txtSQL, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(searching.area, 1);
    layout->addWidget(LblMSG);
    resize(760, 520);
}

void frmSub::runQuery()
{
    // Repainting during a run must not start another one from a queued click.
    if (m_running)
        return;
    m_running = true;
    const maintain::ViewerRunResult result = maintain::RunViewerQuery(
        basKovaData::OraDatabase.get(), *Grid->gridModel(), m_mainGrid, txtSQL->toPlainText(), [this]() {
            LblMSG->clear();
            Grid->setVisible(false);
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    if (result.messageLine)
        LblMSG->setText(*result.messageLine);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    Grid->setVisible(true);
    m_running = false;
    if (!result.message.isEmpty())
        basKovaData::ShowMessage(result.message, basKovaData::MessageIcon::Information, windowTitle(), this);
}

void frmSub::closeViewer()
{
    basKovaData::ViewerCondition = txtSQL->toPlainText().trimmed();
    accept();
}

void frmSub::showHelp()
{
    basKovaData::HelpTopic = basKovaData::DataViewerHelp;
    frmHELP help(this);
    help.exec();
}
