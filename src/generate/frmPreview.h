#pragma once
// The rows a creation run would insert, shown in a grid before any is.
#include "generate/RowPreview.h"

#include <QDialog>

class QPushButton;

namespace controls {
class FlexGrid;
}

class frmPreview : public QDialog {
    Q_OBJECT
public:
    frmPreview(const generate::RowPreview& preview, QWidget* parent = nullptr);

private:
    controls::FlexGrid* Grid = nullptr;
    QPushButton* Command1 = nullptr;
};
