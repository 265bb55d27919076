#pragma once
// Bulk setting: one rule for every selected column of one type family.
#include <QDialog>

namespace controls {
class GridModel;
}

class frmSET99 : public QDialog {
    Q_OBJECT
public:
    // `grid` is the main window's column grid: its selection names the
    // columns, and the rules applied are shown in its 設定 cells.
    explicit frmSET99(controls::GridModel* grid, QWidget* parent = nullptr);
};
