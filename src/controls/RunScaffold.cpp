#include "controls/RunScaffold.h"

#include <QApplication>
#include <QDialog>

namespace controls {

RunScaffold::RunScaffold(QDialog* window, std::vector<QWidget*> inert) : m_window(window), m_inert(std::move(inert))
{
}

RunScaffold::~RunScaffold()
{
    if (m_running)
        QApplication::restoreOverrideCursor();
}

bool RunScaffold::begin()
{
    if (m_started)
        return false;
    m_started = true;
    m_running = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_stopper = std::make_unique<RunStopper>(m_inert);
    return true;
}

bool RunScaffold::stopRequested()
{
    return m_stopper && m_stopper->stopRequested();
}

bool RunScaffold::requestStop()
{
    if (!m_running)
        return false;
    m_stopper->requestStop();
    return true;
}

void RunScaffold::finish(const QString& message, basKovaData::MessageIcon icon, const QString& details)
{
    // The controls stay disabled until the window is gone: a click queued
    // behind the run lands on a disabled button.
    QApplication::processEvents();
    QApplication::restoreOverrideCursor();
    m_running = false;
    if (!m_window)
        return;
    if (!message.isEmpty())
        basKovaData::ShowMessage(message, icon, m_window->windowTitle(), m_window, details);
    m_window->accept();
}

void RunScaffold::finishAndStay(const QString& message, basKovaData::MessageIcon icon)
{
    QApplication::processEvents();
    QApplication::restoreOverrideCursor();
    m_running = false;
    m_started = false;
    m_stopper.reset();
    if (m_window && !message.isEmpty())
        basKovaData::ShowMessage(message, icon, m_window->windowTitle(), m_window);
}

}  // namespace controls
