#pragma once
// The delete window: deletes the chosen table's rows that match a condition.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class frmDEL : public QDialog {
    Q_OBJECT
public:
    explicit frmDEL(QWidget* parent = nullptr);

private:
    void deleteRows();

    QPlainTextEdit* txtSQL = nullptr;
    QPushButton* Command1_0 = nullptr;
    QPushButton* Command1_1 = nullptr;
};
