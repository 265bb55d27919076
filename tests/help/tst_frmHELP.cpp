// label: gui
#include "help/HelpTexts.h"
#include "help/frmHELP.h"
#include "shared/basKovaData.h"
#include "support/ModalHelper.h"
#include "support/WidgetSupport.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;
using kovatest::Find;

class tst_frmHELP : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { basKovaData::ResetForTests(); }
    void cleanup() { basKovaData::ResetForTests(); }

    // The title in dark blue on light yellow, whatever the topic.
    void title()
    {
        basKovaData::HelpTopic = 0;
        frmHELP window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), u"ＫＯＶＡ－ＯＲＡＣＬＥ  ヘルプ"_s);
        QCOMPARE(Find<QLabel>(&window, u"Label2"_s)->text(), u"ＫＯＶＡ－ＯＲＡＣＬＥ"_s);
        QCOMPARE(Find<QPushButton>(&window, u"Command1"_s)->text(), u"閉じる"_s);
        const QRect frame = Find<QWidget>(&window, u"Shape1"_s)->geometry();
        const QImage image = window.grab().toImage();
        QCOMPARE(image.pixelColor(frame.left() + 1, frame.center().y()), QColor(0, 0, 128));
        QCOMPARE(image.pixelColor(frame.left() + 6, frame.center().y()), QColor(255, 255, 224));
    }

    // Each opening shows its topic line by line in Label1_0 to Label1_9, as
    // plain text with its blanks, and the row limit of the moment; a number
    // that is no topic leaves every line empty. No line is cut, whatever the
    // font: each label is as wide as its text and lies in its frame, one under
    // the other, above 閉じる, which closes the window.
    void eachOpening()
    {
        basKovaData::MaxDisplayRows = 32767;  // the widest row limit
        for (qint16 topic = -1; topic <= 9; ++topic) {
            basKovaData::HelpTopic = topic;
            QStringList shown;
            kovatest::WhenModal<frmHELP>([&shown](frmHELP* window) {
                const QRect client(QPoint(0, 0), window->size());
                const QRect frame = Find<QWidget>(window, u"Shape2"_s)->geometry();
                auto* close = Find<QPushButton>(window, u"Command1"_s);
                int below = frame.top();
                for (int i = 0; i < basKovaData::HelpLineCount; ++i) {
                    const QLabel* line = Find<QLabel>(window, u"Label1_%1"_s.arg(i));
                    const QFontMetrics metrics(line->font());
                    QVERIFY(line->textFormat() == Qt::PlainText && line->isVisible() && (line->alignment() & Qt::AlignLeft));
                    QVERIFY2(line->width() >= metrics.horizontalAdvance(line->text()) && line->height() >= metrics.height(),
                             qPrintable(line->text()));
                    QVERIFY(line->y() >= below && client.contains(line->geometry()) && frame.contains(line->geometry()));
                    below = line->geometry().bottom();
                    shown.append(line->text());
                }
                QVERIFY(below < close->y() && client.contains(close->geometry()));
                QTest::mouseClick(close, Qt::LeftButton);
                shown.append(window->isVisible() ? u"open"_s : u"closed"_s);
            });
            frmHELP window;
            window.exec();
            QCOMPARE(shown, basKovaData::HelpLines(topic) << u"closed"_s);
        }
    }
};

QTEST_MAIN(tst_frmHELP)
#include "tst_frmHELP.moc"
