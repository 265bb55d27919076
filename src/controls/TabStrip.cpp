#include "controls/TabStrip.h"

#include <QTabBar>
#include <QVBoxLayout>

namespace controls {

TabStrip::TabStrip(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bar);
    layout->addStretch(1);
    m_bar->setObjectName(QStringLiteral("tabBar"));
    m_bar->setDrawBase(true);
    m_bar->setExpanding(false);

    // A change of tab by the mouse or the keyboard; a selection set from the
    // program raises Click itself.
    connect(m_bar, &QTabBar::currentChanged, this, [this](int) {
        if (!m_settingIndex)
            Q_EMIT Click();
    });
    // Clicking the tab that is already selected changes nothing in the bar but
    // is still a click. The bar reports the press before it switches tabs, so
    // only a press on the current tab is passed on here.
    connect(m_bar, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index >= 0 && index == m_bar->currentIndex())
            Q_EMIT Click();
    });
}

int TabStrip::addTab(const QString& caption, const QString& key, const QString& toolTip)
{
    m_settingIndex = true;  // the first tab selects itself without a click
    const int position = m_bar->addTab(caption);
    m_settingIndex = false;
    m_bar->setTabToolTip(position, toolTip);
    m_keys.append(key);
    return position + 1;
}

int TabStrip::tabCount() const
{
    return m_bar->count();
}

QString TabStrip::caption(int index) const
{
    return validIndex(index) ? m_bar->tabText(index - 1) : QString();
}

QString TabStrip::key(int index) const
{
    return validIndex(index) ? m_keys.at(index - 1) : QString();
}

QString TabStrip::toolTip(int index) const
{
    return validIndex(index) ? m_bar->tabToolTip(index - 1) : QString();
}

int TabStrip::indexOfKey(const QString& key) const
{
    return static_cast<int>(m_keys.indexOf(key)) + 1;
}

int TabStrip::selectedIndex() const
{
    return m_bar->currentIndex() + 1;
}

void TabStrip::setSelectedIndex(int index)
{
    if (!validIndex(index))
        return;
    m_settingIndex = true;
    m_bar->setCurrentIndex(index - 1);
    m_settingIndex = false;
    Q_EMIT Click();
}

void TabStrip::selectNext()
{
    const int count = tabCount();
    if (count == 0)
        return;
    setSelectedIndex(selectedIndex() % count + 1);
}

}  // namespace controls
