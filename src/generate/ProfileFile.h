#pragma once
// A profile written by kova-generate --profile, read back without any
// database: the project file and the rule files beside it, whose columns of
// kind "distribution" carry their figures.
//
//   {"kova-project": 1, "seed": 42, "tables": [
//     {"rules": "NAME.受注.json", "rows": 1000},
//     {"rules": "NAME.明細.json", "per-parent": {"table": "受注", "counts": [[0, 2, 0.5], [3, 20, 0.5]]}}]}
//
// A table's row count is its entry's "rows" (else its rule file's); a table
// filled per parent row has the parent's rows times the average children, and
// one ChildrenPerParent whose columns are unknown (matched by parent table).
#include "generate/TableProfile.h"

#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace generate {

struct ProfiledTable {
    TableProfile profile;
    // The columns whose rules are of another kind, which the profile lacks:
    // (column, kind).
    std::vector<std::pair<QString, QString>> otherKinds;
};

// The tables of the project at `path`, or none with *problem naming the file
// and what is wrong with it.
std::optional<std::vector<ProfiledTable>> ReadProfileFile(const QString& path, QString* problem);

// The table of that name (as written, or the same letters in another case), or none.
const ProfiledTable* FindProfiledTable(const std::vector<ProfiledTable>& tables, const QString& name);

}  // namespace generate
