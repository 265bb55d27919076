#pragma once
// The table information window: the chosen table's USER_TABLES row, with ANALYZE.
#include <QDialog>

class QPushButton;
namespace controls {
class FlexGrid;
}

class frmSub4 : public QDialog {
    Q_OBJECT
public:
    explicit frmSub4(QWidget* parent = nullptr);

private:
    void fill();
    void refreshStatistics();
    void showFieldHelp();
    void report(const QString& text);

    controls::FlexGrid* Grid = nullptr;
    QPushButton* Command1 = nullptr;
};
