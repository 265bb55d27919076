#pragma once
// 統計から設定 as the main window runs it: the chosen table's profile read from
// its rows (an evenly spread sample) or from the optimizer's statistics
// alone, made safe as any profile that leaves the source (ApplyPrivacy with
// its defaults), then ApplyProfileRules; and the one message that says what
// was done or why nothing was.
#include "browser/ProfileRules.h"

#include <QString>

class OraDatabase;

namespace browser {

// The rows a profile is learned from at most.
inline constexpr qint64 ProfileSampleRows = 100000;

struct StatisticsRulesRun {
    bool done = false;           // rules were set: refresh the grid
    ProfileRulesResult result;   // what ApplyProfileRules said, when done
    QString message;             // what the user is told
};

StatisticsRulesRun SetRulesFromProfile(OraDatabase* database, const QString& table, bool fromRows);

// The message of a run that set rules: where the profile came from, the
// columns given 分布 and those that kept 自動設定's rule with why.
QString ProfileRulesMessage(const ProfileRulesResult& result, const generate::TableProfile& profile);

}  // namespace browser
