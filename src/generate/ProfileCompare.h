#pragma once
// How far two profiles of a table lie apart: the source's (production, or
// its profile file) and the target's (the generated data), column by column
// and per foreign key, each figure with its verdict against a threshold.
//
// The figures, per column that both sides profile:
//   - NULL rate: the share of NULL rows on each side; the difference in
//     percentage points, |target - source| × 100.
//   - distinct count: each side's; the difference relative to the source's,
//     |target - source| / max(source, 1).
//   - frequent values: the total variation distance, over the non-NULL rows,
//     of the values frequent on either side plus one class "any other value":
//     ½ Σ |p(v) - q(v)| + ½ |p(other) - q(other)|. A value frequent on one
//     side only takes on the other the share of its first bucket that holds
//     it, divided by that bucket's distinct values (numbers and dates), or 0
//     (texts, whose buckets count lengths). Shares are divided by the side's
//     non-NULL share; a side with no non-NULL row is at distance 1 from a
//     side with some, 0 from another without.
//   - values (numbers, dates) or lengths (texts): the Kolmogorov–Smirnov
//     distance, sup |F(x) - G(x)|, of the CDFs over the non-NULL rows, in
//     which a frequent value is a point mass at its value (texts: at its
//     length) and a bucket spreads its share evenly from its low to its high
//     (a point mass when they are equal). Both CDFs are piecewise linear
//     between the breakpoints of either side (every frequent value and every
//     bucket bound), so the supremum is taken exactly: at each breakpoint and
//     just before it.
// A foreign key column (one that either side names among its children per
// parent) gets only the first two: its values are the parent's keys, drawn
// by the run from the parent's rows, and are compared as children per parent.
// Per foreign key, matched by parent table and, when both sides name them,
// its columns: the Kolmogorov–Smirnov distance of the children per parent
// row, each count range [low, high] spreading its share evenly over the
// whole numbers from low to high.
// A figure passes its threshold when it is larger than it.
#include "generate/TableProfile.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace generate {

struct CompareLimits {
    double nullPoints = 1.0;   // NULL rate, percentage points
    double distinct = 0.10;    // distinct count, relative to the source's
    double tvd = 0.05;         // total variation distance of the frequent values
    double ks = 0.05;          // Kolmogorov–Smirnov distance
};

enum class FigureKind { Nulls, Distinct, Frequent, Values, Lengths, Children };

struct Figure {
    FigureKind kind = FigureKind::Nulls;
    // Each side's own figure (NULL rate as a share, distinct count); the
    // distances have none (0).
    double source = 0.0;
    double target = 0.0;
    double distance = 0.0;  // what is held against the limit
    double limit = 0.0;
    bool past() const;      // distance > limit
};

// The figure's name as the console and the report print it.
QString FigureName(FigureKind kind);

struct ColumnComparison {
    QString column;
    std::vector<Figure> figures;  // empty when `note` says why
    QString note;                 // why the column is not compared (or only in part), or empty
};

struct KeyComparison {
    QString parentTable;
    QStringList columns;          // as the side that names them has them
    std::vector<Figure> figures;  // one Children figure, or none with `note`
    QString note;
};

struct TableComparison {
    QString table;
    qint64 sourceRows = 0;
    qint64 targetRows = 0;
    std::vector<ColumnComparison> columns;  // the source's order, then the target's own
    std::vector<KeyComparison> keys;

    // "TABLE.COLUMN figure" of every figure past its threshold.
    QStringList past() const;
    int figureCount() const;
};

// The figures of two profiles of one table; the notes in Japanese for the
// windows, else in English.
TableComparison CompareProfiles(const TableProfile& source, const TableProfile& target,
                                const CompareLimits& limits, bool japanese = false);

// The single figures (see above), for two profiles of one column.
double NullPoints(const ColumnProfile& source, const ColumnProfile& target);
double DistinctDifference(const ColumnProfile& source, const ColumnProfile& target);
double FrequentDistance(const ColumnProfile& source, const ColumnProfile& target);
// Values for numbers and dates, lengths for texts; the profiles' families agree.
double ValueDistance(const ColumnProfile& source, const ColumnProfile& target);
double ChildrenDistance(const std::vector<ChildCount>& source, const std::vector<ChildCount>& target);

}  // namespace generate
