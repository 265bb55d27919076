// label: gui
#include "help/HelpTexts.h"
#include "help/frmHELP.h"
#include "shared/basKovaData.h"
#include "support/ModalHelper.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <memory>

namespace {

const QString Caption = QStringLiteral("ＫＯＶＡ－ＯＲＡＣＬＥ  ヘルプ");
const QString Title = QStringLiteral("ＫＯＶＡ－ＯＲＡＣＬＥ");

QLabel* Line(const QWidget& window, int i)
{
    auto* label = window.findChild<QLabel*>(QStringLiteral("Label1_%1").arg(i));
    if (!label)
        qFatal("line %d not found", i);
    return label;
}

QStringList ShownLines(const QWidget& window)
{
    QStringList lines;
    for (int i = 0; i < basKovaData::HelpLineCount; ++i)
        lines.append(Line(window, i)->text());
    return lines;
}

QPushButton* CloseButton(const QWidget& window)
{
    auto* button = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    if (!button)
        qFatal("Command1 not found");
    return button;
}

// Opens the window as a help button does and returns what it showed, closing
// it with 閉じる.
QStringList ShowModal(qint16 topic, bool* closedByButton)
{
    basKovaData::HelpTopic = topic;
    QStringList shown;
    bool seen = false;
    *closedByButton = false;
    kovatest::WhenModal<frmHELP>(
        [&](frmHELP* window) {
            shown = ShownLines(*window);
            CloseButton(*window)->click();
            *closedByButton = !window->isVisible();
        },
        &seen);
    frmHELP window;
    window.exec();
    if (!seen)
        qWarning("the help window was not seen");
    return shown;
}

}  // namespace

class tst_frmHELP : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { basKovaData::ResetForTests(); }
    void cleanup() { basKovaData::ResetForTests(); }

    void caption();
    void linesOfTopic_data();
    void linesOfTopic();
    void notATopic_data();
    void notATopic();
    void nextOpeningStartsEmpty();
    void rowLimitAtEachOpening();
    void closeButtonCloses();
    void lineTops();
    void everyLineFits_data();
    void everyLineFits();
};

void tst_frmHELP::caption()
{
    basKovaData::HelpTopic = 1;
    frmHELP window;
    QCOMPARE(window.objectName(), QStringLiteral("frmHELP"));
    QCOMPARE(window.windowTitle(), Caption);
    auto* title = window.findChild<QLabel*>(QStringLiteral("Label2"));
    QVERIFY(title);
    QCOMPARE(title->text(), Title);
    QCOMPARE(CloseButton(window)->text(), QStringLiteral("閉じる"));
}

void tst_frmHELP::linesOfTopic_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");

    QTest::newRow("1 first") << 1 << 0 << QStringLiteral("任意のオラクルデータベーステーブルに対してテストデータを作成します。");
    QTest::newRow("1 last") << 1 << 9 << QStringLiteral("その他の機能に関しては、それぞれのＨＥＬＰを見て下さい。");
    QTest::newRow("2 indented") << 2 << 2 << QString(24, QLatin1Char(' ')) + QStringLiteral("複数固定の場合、順番に繰り返して入力されます。");
    QTest::newRow("3 date line") << 3 << 8 << QStringLiteral("日付は、2001年12月31日23時59分59秒 → 「20011231 235959」と１５桁で入力して下さい。");
    QTest::newRow("4 selection") << 4 << 5 << QStringLiteral("選択の仕方・・・");
    QTest::newRow("5 row limit") << 5 << 6 << QStringLiteral("現在の設定では、最初の300件しか表示できません。");
    QTest::newRow("6 example") << 6 << 1 << QStringLiteral("してください。例：「SELECT 商品名 FROM 商品マスタ ORDER BY カナ」");
    QTest::newRow("7 example as typed") << 7 << 6 << QStringLiteral("    会員番号<100 AND 性別=0");
    QTest::newRow("8 condition") << 8 << 5 << QStringLiteral("基本は、「SQL_TEXT Like '%発注%' AND FIRST_LOAD_TIME LIKE '2001-12-10/12%'」。");
}

// Each line i of the topic shows in Label1_i, as typed (plain text, blanks kept).
void tst_frmHELP::linesOfTopic()
{
    QFETCH(int, topic);
    QFETCH(int, index);
    QFETCH(QString, text);

    basKovaData::HelpTopic = qint16(topic);
    frmHELP window;
    window.show();
    QCOMPARE(Line(window, index)->text(), text);
    QCOMPARE(ShownLines(window), basKovaData::HelpLines(qint16(topic)));
    for (int i = 0; i < basKovaData::HelpLineCount; ++i) {
        QLabel* line = Line(window, i);
        QCOMPARE(line->textFormat(), Qt::PlainText);
        QVERIFY(line->isVisible());
        QVERIFY(line->alignment() & Qt::AlignLeft);
    }
}

void tst_frmHELP::notATopic_data()
{
    QTest::addColumn<int>("topic");

    QTest::newRow("0, never set") << 0;
    QTest::newRow("9") << 9;
    QTest::newRow("-1") << -1;
}

void tst_frmHELP::notATopic()
{
    QFETCH(int, topic);
    basKovaData::HelpTopic = qint16(topic);
    frmHELP window;
    window.show();
    QCOMPARE(ShownLines(window), QStringList(basKovaData::HelpLineCount, QString()));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label2"))->text(), Title);
}

// Topic 1 fills all ten lines but 8; topic 2 only the first seven. Opened one
// after the other, the second shows nothing of the first.
void tst_frmHELP::nextOpeningStartsEmpty()
{
    bool closed = false;
    const QStringList first = ShowModal(1, &closed);
    QVERIFY(closed);
    QCOMPARE(first.at(9), QStringLiteral("その他の機能に関しては、それぞれのＨＥＬＰを見て下さい。"));

    const QStringList second = ShowModal(2, &closed);
    QVERIFY(closed);
    QCOMPARE(second.at(0), QStringLiteral("生成するテストデータの内容の設定を行います。"));
    QCOMPARE(second.at(7), QString());
    QCOMPARE(second.at(8), QString());
    QCOMPARE(second.at(9), QString());

    const QStringList none = ShowModal(0, &closed);
    QCOMPARE(none, QStringList(basKovaData::HelpLineCount, QString()));
}

void tst_frmHELP::rowLimitAtEachOpening()
{
    bool closed = false;
    QCOMPARE(ShowModal(5, &closed).at(6), QStringLiteral("現在の設定では、最初の300件しか表示できません。"));
    basKovaData::MaxDisplayRows = 50;
    QCOMPARE(ShowModal(5, &closed).at(6), QStringLiteral("現在の設定では、最初の50件しか表示できません。"));
}

void tst_frmHELP::closeButtonCloses()
{
    basKovaData::HelpTopic = 4;
    frmHELP window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QPushButton* button = CloseButton(window);
    QVERIFY(button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
    QTRY_VERIFY(!window.isVisible());
}

// Line i lies 1100 + 260 × i twips from the top.
void tst_frmHELP::lineTops()
{
    basKovaData::HelpTopic = 1;
    frmHELP window;
    const double pixelsPerTwip = window.logicalDpiY() / 1440.0;
    int previous = -1;
    for (int i = 0; i < basKovaData::HelpLineCount; ++i) {
        const int top = Line(window, i)->y();
        QCOMPARE(top, qRound((1100 + 260 * i) * pixelsPerTwip));
        QVERIFY(top > previous);
        previous = top;
    }
}

void tst_frmHELP::everyLineFits_data()
{
    QTest::addColumn<int>("topic");
    QTest::addColumn<int>("rows");

    for (int topic = basKovaData::FirstHelpTopic; topic <= basKovaData::LastHelpTopic; ++topic)
        QTest::addRow("topic %d", topic) << topic << 300;
    QTest::newRow("topic 5, largest row limit") << 5 << 32767;
}

// No line is cut: each label is as wide as its text, and lies inside the window
// and its frame, above the close button.
void tst_frmHELP::everyLineFits()
{
    QFETCH(int, topic);
    QFETCH(int, rows);
    basKovaData::MaxDisplayRows = qint16(rows);
    basKovaData::HelpTopic = qint16(topic);
    frmHELP window;
    window.show();

    const QWidget* frame = window.findChild<QWidget*>(QStringLiteral("Shape2"));
    QVERIFY(frame);
    const QRect client(QPoint(0, 0), window.size());
    const int buttonTop = CloseButton(window)->geometry().top();
    for (int i = 0; i < basKovaData::HelpLineCount; ++i) {
        const QLabel* line = Line(window, i);
        const QFontMetrics metrics(line->font());
        QVERIFY2(line->width() >= metrics.horizontalAdvance(line->text()), qPrintable(line->text()));
        QVERIFY(line->height() >= metrics.height());
        QVERIFY(client.contains(line->geometry()));
        QVERIFY(frame->geometry().contains(line->geometry()));
        QVERIFY(line->geometry().bottom() < buttonTop);
    }
    QVERIFY(client.contains(CloseButton(window)->geometry()));
}

QTEST_MAIN(tst_frmHELP)
#include "tst_frmHELP.moc"
