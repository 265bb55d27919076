#pragma once
#include <QString>
#include <QStringList>
#include <QWidget>

class QTabBar;

namespace controls {

// A row of tabs above the pages of a window. Tabs are numbered from 1 in the
// order they were added; each has a caption, a key and a tool tip. The strip
// only reports which tab is selected: the window shows the page that goes
// with it when Click arrives.
class TabStrip : public QWidget {
    Q_OBJECT

public:
    explicit TabStrip(QWidget* parent = nullptr);

    // Adds a tab at the end; returns its number (1-based). The first tab
    // added becomes the selected one.
    int addTab(const QString& caption, const QString& key, const QString& toolTip = {});

    int tabCount() const;
    QString caption(int index) const;
    QString key(int index) const;
    QString toolTip(int index) const;
    // The number of the tab with this key, 0 when there is none.
    int indexOfKey(const QString& key) const;

    // The selected tab's number, 0 while there are no tabs.
    int selectedIndex() const;
    // Selects tab `index` (ignored outside 1..tabCount()) and raises Click,
    // also when it was already selected.
    void setSelectedIndex(int index);
    // Selects the tab after the selected one, after the last the first.
    void selectNext();

    // The tab bar inside the strip, for tests that click a tab.
    QTabBar* tabBar() const { return m_bar; }

Q_SIGNALS:
    // The selected tab was clicked or set; selectedIndex() tells which it is.
    void Click();

private:
    bool validIndex(int index) const { return index >= 1 && index <= tabCount(); }

    QTabBar* m_bar;
    QStringList m_keys;
    bool m_settingIndex = false;
};

}  // namespace controls
