#pragma once
// The texts of the help window: ten hand-wrapped lines per topic. Every help
// button stores its topic in basKovaData::HelpTopic before it opens the window.
#include <QStringList>
#include <QtGlobal>

namespace basKovaData {

// Lines the help window shows, whatever the topic.
inline constexpr int HelpLineCount = 10;
// Topics that have texts; any other number shows empty lines.
inline constexpr qint16 FirstHelpTopic = 1;
inline constexpr qint16 LastHelpTopic = 8;

// Topics by the window whose help button sets them.
enum HelpTopicNumber : qint16 {
    MainWindowHelp = 1,     // main window
    RuleEditorHelp = 2,     // numeric and character rule editors
    DateRuleHelp = 3,       // date rule editor
    BulkSettingHelp = 4,    // bulk setting
    DataViewerHelp = 5,     // data viewer
    SqlSourcedHelp = 6,     // the SQL statement frame of the rule editors
    UpdateRowsHelp = 7,     // update window
    SqlHistoryHelp = 8,     // SQL history viewer
};

bool IsHelpTopic(qint16 topic);

// The HelpLineCount lines of a topic, top to bottom; a line the topic leaves
// out is empty, and every line is empty for a number that is not a topic. The
// data viewer's topic quotes the current MaxDisplayRows, read at the call.
QStringList HelpLines(qint16 topic);

}  // namespace basKovaData
