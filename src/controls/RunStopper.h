#pragma once
// A long run (a creation, an update) works in its window's own thread. While
// it does, the window lets the user's input through every few hundredths of a
// second, so that the window repaints and its cancel button, Esc and the close
// box can stop the run; every other control of the window is disabled, and
// the windows below it stay blocked by its modality.
#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace controls {

class RunStopper {
public:
    // Disables `inert` until the run ends.
    explicit RunStopper(std::vector<QWidget*> inert);
    ~RunStopper();
    RunStopper(const RunStopper&) = delete;
    RunStopper& operator=(const RunStopper&) = delete;

    // The run's hook between rows: lets input through when it is time, and
    // tells whether the user asked the run to stop.
    bool stopRequested();
    void requestStop() { m_stop = true; }

private:
    std::vector<QPointer<QWidget>> m_inert;
    QElapsedTimer m_sinceEvents;
    bool m_stop = false;
};

}  // namespace controls
