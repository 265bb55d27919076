#include "diag/frmSub5.h"

#include "controls/FlexGrid.h"
#include "diag/SqlHistoryQuery.h"
#include "help/HelpTexts.h"
#include "help/frmHELP.h"
#include "session/OraAccess.h"
#include "shared/basKovaData.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

frmSub5::frmSub5(QWidget* parent) : QDialog(parent)
{
    buildControls();
    LblMSG->clear();
    diag::PrepareSqlHistoryGrid(*Grid->gridModel());
    LblMSG->setText(diag::SqlHistoryHint());
    TxtWhere->setPlainText(diag::SqlHistoryOpeningCondition());
    runQuery();
}

void frmSub5::buildControls()
{
    setObjectName(u"frmSub5"_s);
    setWindowTitle(diag::SqlHistoryCaption());

    TxtWhere = new QPlainTextEdit(this);
    TxtWhere->setObjectName(u"TxtWhere"_s);
    TxtWhere->setFixedHeight(48);

    Command2 = new QPushButton(u"実行"_s, this);
    Command2->setObjectName(u"Command2"_s);
    Command1 = new QPushButton(u"ヘルプ"_s, this);
    Command1->setObjectName(u"Command1"_s);
    CloseButton = new QPushButton(u"閉じる"_s, this);
    CloseButton->setObjectName(u"frmSub5"_s);
    for (QPushButton* button : {Command2, Command1, CloseButton})
        button->setAutoDefault(false);
    connect(Command2, &QPushButton::clicked, this, &frmSub5::runQuery);
    connect(Command1, &QPushButton::clicked, this, &frmSub5::showHelp);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);

    // "検索中" lies beneath the grid, seen only while the grid is hidden.
    const controls::GridOverLabel searching = controls::MakeGridOverLabel(this, u"検索中"_s);
    Grid = searching.grid;
    Label1 = searching.label;
    connect(Grid, &controls::FlexGrid::Click, this, &frmSub5::showFullText);

    txtSQL = new QPlainTextEdit(this);
    txtSQL->setObjectName(u"txtSQL"_s);
    txtSQL->setFixedHeight(96);

    LblMSG = new QLabel(this);
    LblMSG->setObjectName(u"LblMSG"_s);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    buttons->addWidget(CloseButton);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(TxtWhere, 1);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(searching.area, 1);
    layout->addWidget(LblMSG);
    layout->addWidget(txtSQL);
    resize(820, 600);
}

void frmSub5::runQuery()
{
    const diag::SqlHistoryResult result =
        diag::RunSqlHistoryQuery(basKovaData::OraDatabase.get(), *Grid->gridModel(), TxtWhere->toPlainText());
    report(result.message);
}

void frmSub5::showFullText()
{
    const controls::GridModel* grid = Grid->gridModel();
    if (grid->Row() <= 0)
        return;
    txtSQL->clear();
    const diag::SqlTextResult result =
        diag::FetchSqlText(basKovaData::OraDatabase.get(), grid->TextMatrix(grid->Row(), 0));
    txtSQL->setPlainText(result.text);
    report(result.message);
}

void frmSub5::showHelp()
{
    basKovaData::HelpTopic = basKovaData::SqlHistoryHelp;
    frmHELP help(this);
    help.exec();
}

void frmSub5::report(const QString& message)
{
    if (!message.isEmpty())
        basKovaData::ShowMessage(message, basKovaData::MessageIcon::Information, windowTitle(), this);
}
