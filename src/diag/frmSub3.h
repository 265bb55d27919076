#pragma once
// The view definition window: the chosen view's SELECT text.
#include <QDialog>

class QPlainTextEdit;

class frmSub3 : public QDialog {
    Q_OBJECT
public:
    explicit frmSub3(QWidget* parent = nullptr);

private:
    QPlainTextEdit* txtSQL = nullptr;
};
