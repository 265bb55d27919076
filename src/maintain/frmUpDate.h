#pragma once
// The update window: rewrites existing rows of the chosen table from the
// column rules.
#include <QDialog>

#include <memory>

class QPlainTextEdit;
class QPushButton;

namespace controls {
class RunScaffold;
class Shape;
}

class frmUpDate : public QDialog {
    Q_OBJECT
public:
    explicit frmUpDate(QWidget* parent = nullptr);
    ~frmUpDate() override;

    // During a run: stops it (キャンセル, Esc and the close box come here).
    void reject() override;

private:
    void updateRows();
    void showHelp();
    void setProgress(int twips);

    QPlainTextEdit* txtSQL = nullptr;
    QPushButton* Command1_0 = nullptr;
    QPushButton* Command1_1 = nullptr;
    QPushButton* Command1_2 = nullptr;
    controls::Shape* Prgres = nullptr;
    controls::Shape* Shape1 = nullptr;
    std::unique_ptr<controls::RunScaffold> m_run;
};
