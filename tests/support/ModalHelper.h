#pragma once
// Driving modal windows from window tests. A window that opens another one with
// exec() blocks the test until it closes; WhenModal arranges, before the call
// that opens it, what to do with the window once it is up:
//
//   kovatest::WhenModal<frmOptions>([](frmOptions* w) { ...; w->close(); });
//   mainWindow.findChild<QPushButton*>("Command6")->click();
//
// The action runs from the modal window's own event loop. Whatever the action
// leaves open (a failed check returned early) is closed, and a window of the
// wrong class or none at all within the time limit fails the test, so that no
// test hangs.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace kovatest {

namespace detail {

inline void CloseModal(QWidget* widget)
{
    if (auto* dialog = qobject_cast<QDialog*>(widget))
        dialog->reject();
    else
        widget->close();
}

}  // namespace detail

// Waits (from the event loop) for a modal window of class T, runs `action` on
// it, and closes it if it is still open afterwards. `seen`, when given, is set
// once the action has run.
template <class T>
void WhenModal(std::function<void(T*)> action, bool* seen = nullptr, int timeoutMs = 10000)
{
    if (seen)
        *seen = false;
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [=]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (clock->elapsed() > timeoutMs) {
                timer->deleteLater();
                timer->stop();
                QTest::qFail("no modal window opened", __FILE__, __LINE__);
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        T* window = qobject_cast<T*>(modal);
        if (!window) {
            detail::CloseModal(modal);
            QTest::qFail(qPrintable(QStringLiteral("unexpected modal window %1")
                                        .arg(QString::fromLatin1(modal->metaObject()->className()))),
                         __FILE__, __LINE__);
            return;
        }
        QPointer<QWidget> guard(modal);
        action(window);
        if (seen)
            *seen = true;
        if (guard && guard->isVisible() && QApplication::activeModalWidget() == guard)
            detail::CloseModal(guard);
    });
    timer->start();
}

}  // namespace kovatest
