#include "help/frmHELP.h"

#include "controls/Shape.h"
#include "help/HelpTexts.h"
#include "shared/basKovaData.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int TwipsPerInch = 1440;

// The lines are written for a fixed-pitch face in which a full-width character
// is exactly two half-width ones wide (the blanks of an indented line count on
// it); the first faces are the ones they were laid out with.
QFont LineFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                      QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("IPAGothic"),
                      QStringLiteral("VL Gothic"), QStringLiteral("Monospace")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(9);
    return font;
}

QFont TitleFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ 明朝"), QStringLiteral("MS Mincho"),
                      QStringLiteral("Noto Serif CJK JP"), QStringLiteral("IPAMincho"),
                      QStringLiteral("IPAexMincho"), QStringLiteral("Serif")});
    font.setStyleHint(QFont::Serif);
    font.setPointSize(22);
    font.setBold(true);
    return font;
}

// The widest line of any topic in `font`, so that the window keeps one size
// whatever it shows and no line is ever cut.
int WidestLine(const QFont& font)
{
    const QFontMetrics metrics(font);
    int widest = 0;
    for (qint16 topic = basKovaData::FirstHelpTopic; topic <= basKovaData::LastHelpTopic; ++topic) {
        for (const QString& line : basKovaData::HelpLines(topic))
            widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    return widest;
}

}  // namespace

frmHELP::frmHELP(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmHELP"));
    setWindowTitle(QStringLiteral("ＫＯＶＡ－ＯＲＡＣＬＥ  ヘルプ"));
    buildControls();
    formLoad();
}

int frmHELP::pixelsX(int twips) const
{
    return (twips * logicalDpiX() + TwipsPerInch / 2) / TwipsPerInch;
}

int frmHELP::pixelsY(int twips) const
{
    return (twips * logicalDpiY() + TwipsPerInch / 2) / TwipsPerInch;
}

void frmHELP::buildControls()
{
    const int margin = pixelsX(180);
    const int textLeft = margin + pixelsX(240);

    const QFont lineFont = LineFont();
    const QFontMetrics lineMetrics(lineFont);
    const int lineWidth = WidestLine(lineFont) + lineMetrics.averageCharWidth();
    const int lineHeight = std::max(lineMetrics.height(), pixelsY(LineStepTwips));
    const int windowWidth = std::max(textLeft + lineWidth + (textLeft - margin) + margin,
                                     pixelsX(7200));

    // The title in its frame across the top.
    const int titleTop = pixelsY(120);
    const int titleBottom = pixelsY(FirstLineTopTwips) - pixelsY(180);
    Shape1 = new controls::Shape(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setBorderColor(QColor(0, 0, 128));
    Shape1->setBorderWidth(2);
    Shape1->setFillColor(QColor(255, 255, 224));
    Shape1->setGeometry(margin, titleTop, windowWidth - 2 * margin, titleBottom - titleTop);

    Label2 = new QLabel(QStringLiteral("ＫＯＶＡ－ＯＲＡＣＬＥ"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(TitleFont());
    Label2->setTextFormat(Qt::PlainText);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setStyleSheet(QStringLiteral("color: #000080;"));
    Label2->setGeometry(Shape1->geometry().adjusted(2, 2, -2, -2));

    // The lines in a frame of their own.
    const int linesTop = pixelsY(FirstLineTopTwips);
    const int linesBottom = pixelsY(FirstLineTopTwips + LineStepTwips * (basKovaData::HelpLineCount - 1))
                            + lineHeight;
    Shape2 = new controls::Shape(this);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setBorderColor(QColor(128, 128, 128));
    Shape2->setBorderWidth(1);
    Shape2->setGeometry(margin, linesTop - pixelsY(90), windowWidth - 2 * margin,
                        linesBottom - linesTop + 2 * pixelsY(90));

    for (int i = 0; i < basKovaData::HelpLineCount; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        label->setFont(lineFont);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setGeometry(textLeft, 0, lineWidth, lineHeight);
        Label1.append(label);
    }

    Command1 = new QPushButton(QStringLiteral("閉じる"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    const QSize buttonSize(std::max(pixelsX(1215), Command1->sizeHint().width()),
                           std::max(pixelsY(375), Command1->sizeHint().height()));
    const int buttonTop = Shape2->geometry().bottom() + 1 + pixelsY(150);
    Command1->setGeometry(windowWidth - margin - buttonSize.width(), buttonTop, buttonSize.width(),
                          buttonSize.height());
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::close);

    setFixedSize(windowWidth, buttonTop + buttonSize.height() + pixelsY(180));
    Command1->setFocus();
}

void frmHELP::formLoad()
{
    for (int i = 0; i < Label1.size(); ++i)
        Label1.at(i)->move(Label1.at(i)->x(), pixelsY(FirstLineTopTwips + LineStepTwips * i));

    const qint16 topic = basKovaData::HelpTopic;
    if (!basKovaData::IsHelpTopic(topic))
        return;
    // Every line is left-aligned; line 6 carries the indented example of the
    // update topic and is set so whatever its design says.
    Label1.at(6)->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const QStringList lines = basKovaData::HelpLines(topic);
    for (int i = 0; i < Label1.size(); ++i)
        Label1.at(i)->setText(lines.at(i));
}
