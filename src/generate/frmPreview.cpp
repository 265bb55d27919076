#include "generate/frmPreview.h"

#include "controls/FlexGrid.h"
#include "controls/GridModel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

frmPreview::frmPreview(const generate::RowPreview& preview, QWidget* parent) : QDialog(parent)
{
    setObjectName(u"frmPreview"_s);
    setWindowTitle(u"プレビュー"_s);
    Grid = new controls::FlexGrid(this);
    Grid->setObjectName(u"Grid"_s);
    Command1 = new QPushButton(u"閉じる"_s, this);
    Command1->setObjectName(u"Command1"_s);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);

    controls::GridModel& grid = *Grid->gridModel();
    grid.setCols(int(preview.headings.size()));
    grid.setRows(int(preview.rows.size()) + 1);
    for (int col = 0; col < grid.Cols(); ++col) {
        grid.setTextMatrix(0, col, preview.headings[col]);
        grid.setColWidth(col, 1500);
        for (int row = 1; row < grid.Rows(); ++row)
            grid.setTextMatrix(row, col, preview.rows[std::size_t(row - 1)].value(col));
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Grid, 1);
    layout->addLayout(buttons);
    resize(760, 420);
}
