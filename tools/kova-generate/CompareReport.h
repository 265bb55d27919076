#pragma once
// What kova-generate --compare prints: the figures of each table, aligned on
// the console, and the same as one self-contained HTML page with a chart per
// column (PNG in data: URIs, inline CSS, no script, no outside address).
#include "generate/ProfileCompare.h"
#include "generate/ProfileFile.h"

#include <QString>
#include <QStringList>

#include <vector>

class QTextStream;

namespace kovagenerate {

// One table's profiles on both sides and their figures.
struct ComparedTable {
    generate::ProfiledTable source;
    generate::ProfiledTable target;
    generate::TableComparison figures;
};

// Compares the sides' profiles of one table; columns whose rules are of
// another kind in a profile file say so.
ComparedTable CompareTable(generate::ProfiledTable source, generate::ProfiledTable target,
                           const generate::CompareLimits& limits);

// The figures of every table, then the last line.
void PrintComparison(const std::vector<ComparedTable>& tables, QTextStream& out);
// The last line: every figure within its threshold, or which passed it.
QString ComparisonSummary(const std::vector<ComparedTable>& tables);

// The HTML page of the comparison of `source` and `target` (as shown to the
// user: never a password). Needs a QGuiApplication for the charts' text.
QByteArray ComparisonPage(const std::vector<ComparedTable>& tables, const QString& source, const QString& target);

}  // namespace kovagenerate
