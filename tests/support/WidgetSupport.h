#pragma once
// Finding and clicking a window's controls the way a user would.
#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

namespace kovatest {

// The control named `name` in `window`; ends the test program when there is
// none, since every later step would test nothing.
template <class T>
T* Find(const QWidget* window, const QString& name)
{
    T* widget = window->findChild<T*>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

// Clicks a button where a user would: a check box or option button on its
// indicator, whose place does not depend on the font or the button's width;
// any other button at its centre.
inline void ClickButton(QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    QPoint at = button->rect().center();
    if (qobject_cast<QRadioButton*>(button))
        at = button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button).center();
    else if (qobject_cast<QCheckBox*>(button))
        at = button->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, button).center();
    QTest::mouseClick(button, Qt::LeftButton, {}, at);
}

inline void Click(const QWidget* window, const QString& name)
{
    ClickButton(Find<QAbstractButton>(window, name));
}

// Leaves `count` clicks on a button in the event queue, as a quick double
// click does, and lets them through.
inline void QueuedClicks(const QWidget* window, const QString& name, int count)
{
    auto* button = Find<QAbstractButton>(window, name);
    const QPointF at = button->rect().center();
    for (int i = 0; i < 2 * count; ++i)
        QCoreApplication::postEvent(button, new QMouseEvent(i % 2 ? QEvent::MouseButtonRelease : QEvent::MouseButtonPress,
                                                            at, button->mapToGlobal(at), Qt::LeftButton,
                                                            i % 2 ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::processEvents();
}

}  // namespace kovatest
