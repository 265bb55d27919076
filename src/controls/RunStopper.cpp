#include "controls/RunStopper.h"

#include <QApplication>

namespace controls {

namespace {

// How long the run may keep the window without looking at its input.
constexpr qint64 EventIntervalMs = 40;

}  // namespace

RunStopper::RunStopper(std::vector<QWidget*> inert)
{
    for (QWidget* widget : inert) {
        if (widget && widget->isEnabled()) {
            widget->setEnabled(false);
            m_inert.emplace_back(widget);
        }
    }
    m_sinceEvents.start();
}

RunStopper::~RunStopper()
{
    for (const QPointer<QWidget>& widget : m_inert)
        if (widget)
            widget->setEnabled(true);
}

bool RunStopper::stopRequested()
{
    if (!m_stop && m_sinceEvents.elapsed() >= EventIntervalMs) {
        QApplication::processEvents();
        m_sinceEvents.restart();
    }
    return m_stop;
}

}  // namespace controls
