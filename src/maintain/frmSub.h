#pragma once
// The data viewer: the chosen table's rows under a condition the user types.
#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace controls {
class FlexGrid;
class GridModel;
}

class frmSub : public QDialog {
    Q_OBJECT
public:
    // `mainGrid` is the main window's column grid: its first column names the
    // table's columns.
    explicit frmSub(const controls::GridModel* mainGrid, QWidget* parent = nullptr);

private:
    void buildControls();
    void runQuery();
    void closeViewer();
    void showHelp();

    const controls::GridModel* m_mainGrid;
    bool m_running = false;
    QPlainTextEdit* txtSQL = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    controls::FlexGrid* Grid = nullptr;
    QLabel* LblMSG = nullptr;
    QLabel* Label1 = nullptr;
};
