#pragma once
// One run of a window (a creation, an update), done the same way in every
// window that runs one: the hourglass, the window's other controls disabled,
// the run stopped by the window's cancel button, Esc or close box, one message
// at the end, then the window closes. A window runs once: clicks that arrive
// while its run goes on, or that were still queued when it ended, start
// nothing.
#include "controls/RunStopper.h"
#include "shared/basKovaData.h"

#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class QDialog;

namespace controls {

class RunScaffold {
public:
    // `inert` are disabled from the start of the run until the window closes.
    RunScaffold(QDialog* window, std::vector<QWidget*> inert);
    ~RunScaffold();
    RunScaffold(const RunScaffold&) = delete;
    RunScaffold& operator=(const RunScaffold&) = delete;

    // Begins the run; false when the window runs or has run already.
    bool begin();
    // The run's hook between rows.
    bool stopRequested();
    // For the window's reject(): true when a run goes on, which is then asked
    // to stop; false when the window may close.
    bool requestStop();
    // Ends the run: the pointer back, input that came meanwhile let through
    // (it finds the controls disabled), the message shown when there is one,
    // and the window closed.
    void finish(const QString& message, basKovaData::MessageIcon icon, const QString& details = QString());
    // Ends a run after which the window stays open for another: input that
    // came meanwhile is let through while the controls are still disabled,
    // then they are enabled again and the message is shown.
    void finishAndStay(const QString& message, basKovaData::MessageIcon icon);

private:
    QPointer<QDialog> m_window;
    std::vector<QWidget*> m_inert;
    std::unique_ptr<RunStopper> m_stopper;
    bool m_started = false;
    bool m_running = false;
};

}  // namespace controls
