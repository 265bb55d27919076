#pragma once
// The creation window: asks for a row count and runs the creation on the
// chosen table.
#include <QDialog>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace controls {
class RunScaffold;
class Shape;
}

class frmCreate : public QDialog {
    Q_OBJECT
public:
    explicit frmCreate(QWidget* parent = nullptr);
    ~frmCreate() override;

    // During a run: stops it (キャンセル, Esc and the close box come here).
    void reject() override;

    // A check of the row count before a run: a non-empty text is shown (with
    // the exclamation icon) and the run then goes on.
    void setRowCheck(std::function<QString(qint64 rows)> check) { m_rowCheck = std::move(check); }

    // Width of the progress bar in twips.
    int progressTwips() const { return m_progressTwips; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void create();
    void preview();
    // スクリプト出力: the INSERT statements of the row count into a script
    // file the user chooses; nothing is inserted.
    void writeScript();
    // The row count of 作成件数 and the seed, or none after saying what is wrong.
    std::optional<qint32> takeCountAndSeed();
    // Reads シード into ChosenSeed; false, after saying so, for a text that is
    // no seed.
    bool takeSeed();
    void setProgress(int twips);

    QLabel* Label1 = nullptr;
    QLabel* LblSEED = nullptr;
    QLineEdit* TxtSEED = nullptr;
    QLineEdit* txtKENSU = nullptr;
    QPushButton* Command1_0 = nullptr;
    QPushButton* Command1_1 = nullptr;
    QPushButton* CmdPreview = nullptr;
    QPushButton* CmdScript = nullptr;
    controls::Shape* Prgres = nullptr;
    controls::Shape* Shape1 = nullptr;
    int m_progressTwips = 0;
    std::function<QString(qint64)> m_rowCheck;
    std::unique_ptr<controls::RunScaffold> m_run;
};
