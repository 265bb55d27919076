// label: gui
#include "controls/TabStrip.h"

#include <QSignalSpy>
#include <QTabBar>
#include <QtTest>

class TestTabStrip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tabs();
    void selectNext_data();
    void selectNext();
    void setSelectedIndex_data();
    void setSelectedIndex();
    void mouseClick();
};

namespace {

void AddTabs(controls::TabStrip& strip, int count)
{
    for (int i = 1; i <= count; ++i)
        strip.addTab(QStringLiteral("Tab %1").arg(i), QStringLiteral("Group%1").arg(i),
                     QStringLiteral("tip %1").arg(i));
}

}  // namespace

void TestTabStrip::tabs()
{
    controls::TabStrip strip;
    QCOMPARE(strip.selectedIndex(), 0);
    QSignalSpy clicks(&strip, &controls::TabStrip::Click);
    QCOMPARE(strip.addTab(QStringLiteral("First"), QStringLiteral("A"), QStringLiteral("tip A")), 1);
    QCOMPARE(strip.addTab(QStringLiteral("Second"), QStringLiteral("B")), 2);
    QCOMPARE(clicks.count(), 0);  // adding tabs is no click
    QCOMPARE(strip.tabCount(), 2);
    QCOMPARE(strip.selectedIndex(), 1);
    QCOMPARE(strip.caption(2), QStringLiteral("Second"));
    QCOMPARE(strip.key(1), QStringLiteral("A"));
    QCOMPARE(strip.toolTip(1), QStringLiteral("tip A"));
    QCOMPARE(strip.tabBar()->tabToolTip(0), QStringLiteral("tip A"));
    QCOMPARE(strip.indexOfKey(QStringLiteral("B")), 2);
    QCOMPARE(strip.indexOfKey(QStringLiteral("C")), 0);
    QCOMPARE(strip.caption(0), QString());
    QCOMPARE(strip.key(3), QString());
}

void TestTabStrip::selectNext_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("next");

    QTest::newRow("one tab") << 1 << 1 << 1;
    QTest::newRow("first of three") << 3 << 1 << 2;
    QTest::newRow("second of three") << 3 << 2 << 3;
    QTest::newRow("last of three wraps") << 3 << 3 << 1;
}

void TestTabStrip::selectNext()
{
    QFETCH(int, count);
    QFETCH(int, selected);
    QFETCH(int, next);

    controls::TabStrip strip;
    AddTabs(strip, count);
    strip.setSelectedIndex(selected);
    QSignalSpy clicks(&strip, &controls::TabStrip::Click);
    int seen = 0;
    connect(&strip, &controls::TabStrip::Click, this, [&] { seen = strip.selectedIndex(); });
    strip.selectNext();
    QCOMPARE(strip.selectedIndex(), next);
    QCOMPARE(clicks.count(), 1);
    QCOMPARE(seen, next);  // the click reports the new selection
}

void TestTabStrip::setSelectedIndex_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("clicks");

    QTest::newRow("another tab") << 2 << 2 << 1;
    QTest::newRow("the selected tab") << 1 << 1 << 1;
    QTest::newRow("0 ignored") << 0 << 1 << 0;
    QTest::newRow("past the end ignored") << 4 << 1 << 0;
    QTest::newRow("negative ignored") << -1 << 1 << 0;
}

void TestTabStrip::setSelectedIndex()
{
    QFETCH(int, index);
    QFETCH(int, selected);
    QFETCH(int, clicks);

    controls::TabStrip strip;
    AddTabs(strip, 3);
    QSignalSpy spy(&strip, &controls::TabStrip::Click);
    strip.setSelectedIndex(index);
    QCOMPARE(strip.selectedIndex(), selected);
    QCOMPARE(spy.count(), clicks);
}

void TestTabStrip::mouseClick()
{
    controls::TabStrip strip;
    AddTabs(strip, 3);
    strip.resize(400, 60);
    strip.show();
    QVERIFY(QTest::qWaitForWindowExposed(&strip));
    QSignalSpy clicks(&strip, &controls::TabStrip::Click);
    QList<int> seen;
    connect(&strip, &controls::TabStrip::Click, this, [&] { seen.append(strip.selectedIndex()); });

    QTest::mouseClick(strip.tabBar(), Qt::LeftButton, {}, strip.tabBar()->tabRect(2).center());
    QTest::mouseClick(strip.tabBar(), Qt::LeftButton, {}, strip.tabBar()->tabRect(2).center());
    QCOMPARE(seen, (QList<int>{3, 3}));
}

QTEST_MAIN(TestTabStrip)
#include "tst_TabStrip.moc"
