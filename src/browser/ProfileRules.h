#pragma once
// 統計から設定: the rules of a table taken from its own profile. Keys, unique
// columns, foreign keys and the columns the database fills keep the rules
// 自動設定 proposes (they must fit the schema, not the source's values); every
// other column draws from its profile (the 分布 kind).
#include "browser/AutoRules.h"
#include "generate/TableProfile.h"

#include <QString>
#include <QStringList>

class OraDatabase;

namespace browser {

struct ProfileRulesResult {
    AutoRulesResult proposed;  // what 自動設定 said of the table
    QStringList distributed;   // columns given the 分布 kind
    QStringList kept;          // "COLUMN: why" for columns that kept the proposed rule
};

// Gives the loaded columns of `table` (ColumnRules 1 to ColumnCount, with no
// rules yet) the rules 自動設定 proposes, then the 分布 kind from `profile`
// where it fits. With `keysFromProfile` (rules for another database than the
// profile's source), a NUMBER key's sequence starts at the source's smallest
// key instead of after the largest key present. Check `proposed.failed` first.
ProfileRulesResult ApplyProfileRules(OraDatabase* database, const QString& table,
                                     const generate::TableProfile& profile, bool keysFromProfile = false);

}  // namespace browser
