#include "diag/frmSub2.h"

#include "controls/FlexGrid.h"
#include "rules/StatementPreview.h"
#include "session/OraAccess.h"
#include "shared/basKovaData.h"

#include <QPushButton>
#include <QVBoxLayout>

frmSub2::frmSub2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSub2"));
    setWindowTitle(QStringLiteral("SQL確認"));

    Grid = new controls::FlexGrid(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    controls::GridModel* model = Grid->gridModel();
    model->setRows(1);
    model->setCols(2);
    rules::SetUpPreviewGrid(*model);

    auto* Command8 = new QPushButton(QStringLiteral("CLOSE"), this);
    Command8->setObjectName(QStringLiteral("Command8"));
    connect(Command8, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Grid, 1);
    layout->addWidget(Command8, 0, Qt::AlignRight);
    resize(Grid->twipsToPixels(600 + 2800) + 60, 360);
}

bool frmSub2::Preview(QWidget* owner, const QString& caption, const QString& statementText)
{
    frmSub2 window(owner);
    const rules::PreviewResult result =
        rules::FillPreview(basKovaData::OraDatabase.get(), *window.grid()->gridModel(), statementText);
    if (!result.message.isEmpty())
        basKovaData::ShowMessage(result.message, basKovaData::MessageIcon::Information, caption, owner);
    if (!result.showList)
        return false;
    window.exec();
    return true;
}
