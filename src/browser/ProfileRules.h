#pragma once
// 統計から設定: the rules of a table taken from its own profile. Keys, unique
// columns, foreign keys and the columns the database fills keep the rules
// 自動設定 proposes (they must fit the schema, not the source's values); every
// other column draws from its profile (the 分布 kind).
#include "browser/AutoRules.h"
#include "generate/TableProfile.h"

#include <QString>
#include <QStringList>

#include <vector>

class OraDatabase;

namespace browser {

// Why a column kept the rule 自動設定 proposed.
enum class KeptWhy { Type, Key, ForeignKey, Database, Trigger, UnreadCheck, SharedCheck, NotProfiled, NullShareOnly };

struct KeptColumn {
    QString column;
    KeptWhy why = KeptWhy::NotProfiled;
};

struct ProfileRulesResult {
    AutoRulesResult proposed;      // what 自動設定 said of the table
    QStringList distributed;       // columns given the 分布 kind
    std::vector<KeptColumn> kept;  // columns that kept the proposed rule
};

// "COLUMN: why", in the windows' Japanese or the console's English.
QString KeptText(const KeptColumn& kept, bool japanese);

// Gives the loaded columns of `table` (ColumnRules 1 to ColumnCount, with no
// rules yet) the rules 自動設定 proposes, then the 分布 kind from `profile`
// where it fits. A column that a CHECK names beside another (an end after a
// start) keeps 自動設定's rule, which that CHECK narrowed: two columns drawn
// each from its own profile would not keep it. With `keysFromProfile` (rules for another database than the
// profile's source), a NUMBER key's sequence starts at the source's smallest
// key instead of after the largest key present. Check `proposed.failed` first.
ProfileRulesResult ApplyProfileRules(OraDatabase* database, const QString& table,
                                     const generate::TableProfile& profile, bool keysFromProfile = false);

}  // namespace browser
