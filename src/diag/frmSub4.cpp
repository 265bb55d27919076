#include "diag/frmSub4.h"

#include "controls/FlexGrid.h"
#include "diag/TableInformation.h"
#include "session/OraAccess.h"
#include "shared/basKovaData.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

frmSub4::frmSub4(QWidget* parent) : QDialog(parent)
{
    setObjectName(u"frmSub4"_s);
    setWindowTitle(u"テーブル構造"_s);

    Grid = new controls::FlexGrid(this);
    Grid->setObjectName(u"Grid"_s);
    Grid->gridModel()->setRows(1);
    Grid->gridModel()->setCols(2);
    connect(Grid, &controls::FlexGrid::Click, this, &frmSub4::showFieldHelp);

    auto* Label1 = new QLabel(u"行をクリックするとヘルプが表示されます。"_s, this);
    Label1->setObjectName(u"Label1"_s);

    Command1 = new QPushButton(u"統計情報の更新"_s, this);
    Command1->setObjectName(u"Command1"_s);
    connect(Command1, &QPushButton::clicked, this, &frmSub4::refreshStatistics);

    auto* Command3 = new QPushButton(u"閉じる"_s, this);
    Command3->setObjectName(u"Command3"_s);
    connect(Command3, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label1, 1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Grid, 1);
    layout->addLayout(buttons);
    resize(Grid->twipsToPixels(2550 + 2400) + 60, 480);

    fill();
}

void frmSub4::fill()
{
    const int error = diag::FillTableInformation(basKovaData::OraDatabase.get(), basKovaData::ChosenTable,
                                                 *Grid->gridModel());
    if (error != 0)
        report(diag::ErrorCodeText(error));
}

void frmSub4::refreshStatistics()
{
    bool analyzed = diag::AnalyzeTable(basKovaData::OraDatabase.get(), basKovaData::ChosenTable);
    if (analyzed) {
        try {
            Grid->gridModel()->Clear();
        } catch (const controls::GridError&) {
            analyzed = false;
        }
    }
    if (!analyzed) {
        report(u"ANALYZE(統計情報の取得)が使えません。"_s);
        Command1->setEnabled(false);
        return;
    }
    fill();
}

void frmSub4::showFieldHelp()
{
    const controls::GridModel* model = Grid->gridModel();
    const int row = model->Row();
    if (row > 0)
        report(diag::FieldHelpText(model->TextMatrix(row, 0).trimmed()));
}

void frmSub4::report(const QString& text)
{
    basKovaData::ShowMessage(text, basKovaData::MessageIcon::Information, windowTitle(), this);
}
