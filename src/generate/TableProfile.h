#pragma once
// A table's profile: its row count, a ColumnProfile per column and, per
// foreign key, how many children the parent's rows have. Read from the
// table's rows or from the optimizer's statistics alone, then made safe to
// leave the source (ProfilePrivacy.h) before anything is written.
#include "generate/ColumnProfile.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class OraDatabase;

namespace generate {

// The children per parent row of one foreign key of the table.
struct ChildrenPerParent {
    QString parentTable;    // as the dictionary spells it
    QString constraint;     // the foreign key's name
    QStringList columns;    // the child's columns, in the key's order
    std::vector<ChildCount> counts;  // shares of the parent's rows
    double average = 0.0;   // children per parent row
    bool operator==(const ChildrenPerParent&) const = default;
};

struct TableProfile {
    QString table;
    qint64 rows = 0;        // the table's rows (statistics: NUM_ROWS)
    qint64 read = 0;        // rows read to learn it; 0 from statistics alone
    bool fromStatistics = false;
    QStringList columnNames;              // the table's columns in order
    std::vector<ColumnProfile> columns;   // one per name
    std::vector<ChildrenPerParent> parents;
    // Up to a few hundred distinct values per character column, seen while
    // reading rows: what tells a personal column by its values. Never written.
    std::vector<QStringList> seen;

    const ColumnProfile* column(const QString& name) const;
};

struct ProfileOptions {
    qint64 sample = 0;            // at most this many rows, spread evenly; 0: all
    bool statisticsOnly = false;  // read no row: the optimizer's statistics only
    int k = 10;                   // a text leaves the source only when this many rows hold it
    bool noValues = false;        // copy no source value at all
    QStringList personal;         // columns the user marks personal
};

// Reads the profile of `table` from its rows: in one pass over at most
// `options.sample` rows, spread evenly (see ProfileRows.cpp), with pairs of
// columns that belong together and the children per parent row of each
// foreign key. The table's and columns' names are checked against the
// dictionary. None with *problem set when the table cannot be read.
std::optional<TableProfile> ProfileFromRows(OraDatabase& database, const QString& table,
                                            const ProfileOptions& options, QString* problem);

// Reads the profile of `table` from the optimizer's statistics alone
// (USER_TABLES, USER_TAB_COL_STATISTICS, USER_HISTOGRAMS), reading no row.
// None with *problem set when the table has no statistics.
std::optional<TableProfile> ProfileFromStatistics(OraDatabase& database, const QString& table,
                                                  const ProfileOptions& options, QString* problem);

// The foreign keys of `table` with, when `count`, the children per parent
// row counted by the server (every parent row, those with no child as 0);
// else what the statistics give: the average (the tables' NUM_ROWS) and, for
// a key of one column, its NUM_DISTINCT parents with children drawn evenly
// around their own average, the others with none. Throws OraError when the
// dictionary cannot be read.
std::vector<ChildrenPerParent> ChildrenPerParentOf(OraDatabase& database, const QString& table, bool count);

// Makes a profile safe to leave the source (see ProfilePrivacy.cpp): values
// under k rows dropped, personal columns turned to dictionaries, with
// `options.noValues` every value synthetic and bounds rounded; `seen` emptied.
void ApplyPrivacy(TableProfile& profile, const ProfileOptions& options);

}  // namespace generate
