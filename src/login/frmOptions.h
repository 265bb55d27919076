#pragma once
#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;

namespace controls {
class TabStrip;
}

// The options window "ｵﾌﾟｼｮﾝ": the most rows a result grid shows and the path
// of the SQL*Plus program. The main window opens it with exec(). OK checks
// the row count, applies both options at once and rewrites the options file
// (the dialog is accepted); ｷｬﾝｾﾙ closes it without changing anything.
class frmOptions : public QDialog {
    Q_OBJECT

public:
    explicit frmOptions(QWidget* parent = nullptr);

    // Page left positions in twips: the selected tab's page and the pages out
    // of sight.
    static constexpr int PageLeftTwips = 210;
    static constexpr int HiddenPageLeftTwips = -20000;
    // Twips per pixel on a screen of 96 dots per inch.
    static constexpr int TwipsPerPixel = 15;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void centreOnScreen();
    void tbsOptionsClick();
    void cmdOKClick();

    controls::TabStrip* tbsOptions = nullptr;
    QList<QWidget*> picOptions;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};
