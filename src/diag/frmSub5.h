#pragma once
// The SQL history window: the statements the server ran, newest first.
#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace controls {
class FlexGrid;
}

class frmSub5 : public QDialog {
    Q_OBJECT
public:
    explicit frmSub5(QWidget* parent = nullptr);

private:
    void buildControls();
    void runQuery();
    void showFullText();
    void showHelp();
    void report(const QString& message);

    QPlainTextEdit* TxtWhere = nullptr;
    QPlainTextEdit* txtSQL = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* CloseButton = nullptr;  // objectName "frmSub5", as the window
    controls::FlexGrid* Grid = nullptr;
    QLabel* LblMSG = nullptr;
    QLabel* Label1 = nullptr;
};
