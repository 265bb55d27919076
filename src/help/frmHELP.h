#pragma once
#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;

namespace controls {
class Shape;
}

// The help window "ＫＯＶＡ－ＯＲＡＣＬＥ  ヘルプ": a title and ten lines of text
// for the topic in basKovaData::HelpTopic. A help button stores its topic and
// then opens a new window modally:
//
//   basKovaData::HelpTopic = basKovaData::MainWindowHelp;
//   frmHELP help(this);
//   help.exec();
//
// The lines are filled when the window is built; a number that is not a topic
// leaves them empty. 閉じる closes the window, and the next opening builds a new
// one, so nothing of an earlier topic is left over.
class frmHELP : public QDialog {
    Q_OBJECT

public:
    explicit frmHELP(QWidget* parent = nullptr);

    // Top of line i in twips: FirstLineTopTwips + LineStepTwips * i.
    static constexpr int FirstLineTopTwips = 1100;
    static constexpr int LineStepTwips = 260;

private:
    void buildControls();
    void formLoad();
    int pixelsX(int twips) const;
    int pixelsY(int twips) const;

    controls::Shape* Shape1 = nullptr;
    controls::Shape* Shape2 = nullptr;
    QLabel* Label2 = nullptr;
    QList<QLabel*> Label1;
    QPushButton* Command1 = nullptr;
};
