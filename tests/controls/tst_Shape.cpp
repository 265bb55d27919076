// label: gui
#include "controls/Shape.h"

#include <QtTest>

class TestShape : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void frame_data();
    void frame();
};

void TestShape::frame_data()
{
    QTest::addColumn<QColor>("fill");
    QTest::addColumn<QColor>("inside");

    const QColor back(10, 20, 30);
    QTest::newRow("transparent") << QColor() << back;
    QTest::newRow("filled") << QColor(0, 200, 0) << QColor(0, 200, 0);
}

void TestShape::frame()
{
    QFETCH(QColor, fill);
    QFETCH(QColor, inside);

    QWidget window;
    window.resize(100, 100);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(10, 20, 30));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    auto* shape = new controls::Shape(&window);
    shape->setGeometry(10, 10, 50, 40);
    shape->setBorderColor(QColor(255, 0, 0));
    shape->setBorderWidth(2);
    shape->setFillColor(fill);

    const QImage image = window.grab().toImage();
    for (const QPoint& p : {QPoint(10, 10), QPoint(11, 30), QPoint(59, 49), QPoint(30, 48)})
        QCOMPARE(image.pixelColor(p), QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(12, 12), inside);
    QCOMPARE(image.pixelColor(35, 30), inside);
    QCOMPARE(image.pixelColor(5, 5), QColor(10, 20, 30));
    QCOMPARE(image.pixelColor(61, 30), QColor(10, 20, 30));

    // Mouse clicks reach what lies under the shape.
    QVERIFY(shape->testAttribute(Qt::WA_TransparentForMouseEvents));
    shape->hide();
    QCOMPARE(window.grab().toImage().pixelColor(10, 10), QColor(10, 20, 30));
}

QTEST_MAIN(TestShape)
#include "tst_Shape.moc"
