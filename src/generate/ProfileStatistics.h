#pragma once
// A column's profile read from the optimizer's statistics alone, as Oracle's
// dictionary shows them: a USER_TAB_COL_STATISTICS row and the column's
// USER_HISTOGRAMS rows. The rows are read by ProfileFromStatistics
// (TableProfile.h); what they mean is worked out here, from the rows alone.
// ProfileFromStatistics hands the texts the statistics know (frequent values,
// LOW_VALUE, HIGH_VALUE) over as TableProfile::seen, for the privacy pass.
#include "generate/TableProfile.h"

#include <QByteArray>

#include <optional>
#include <vector>

namespace generate {

// One column's USER_TAB_COLUMNS and USER_TAB_COL_STATISTICS figures.
struct ColumnStatistics {
    QString name;
    QString dataType;          // USER_TAB_COLUMNS.DATA_TYPE ("NUMBER", "VARCHAR2", "DATE" ...)
    double numDistinct = 0.0;  // NUM_DISTINCT
    double numNulls = 0.0;     // NUM_NULLS
    QByteArray low;            // LOW_VALUE and HIGH_VALUE: Oracle's byte forms
    QByteArray high;
    QString histogram;         // NONE, FREQUENCY, TOP-FREQUENCY, HEIGHT BALANCED or HYBRID
    double numBuckets = 0.0;   // NUM_BUCKETS
    double sampleSize = 0.0;   // SAMPLE_SIZE: the non-NULL rows the figures were counted on
};

// One USER_HISTOGRAMS row.
struct HistogramEndpoint {
    double number = 0.0;            // ENDPOINT_NUMBER
    std::optional<double> value;    // ENDPOINT_VALUE (DATE: the Julian day with the day's fraction)
    QString actual;                 // ENDPOINT_ACTUAL_VALUE; empty when not kept
    double repeat = 0.0;            // ENDPOINT_REPEAT_COUNT (HYBRID)
};

// The profile of a column of a table of `rows` rows (NUM_ROWS) from its
// statistics and its histogram's endpoints in ENDPOINT_NUMBER order:
// - FREQUENCY: ENDPOINT_NUMBER counts the rows up to and including each value,
//   so each value holds its difference from the one before, of the last
//   endpoint's count of non-NULL rows: every value is a frequent value.
// - TOP-FREQUENCY: the same for the most frequent values only, of SAMPLE_SIZE
//   rows; the rest lies from LOW_VALUE to HIGH_VALUE.
// - HEIGHT BALANCED: ENDPOINT_NUMBER numbers the buckets of equal rows; a
//   value that ends several buckets (a popular value, kept once with the last
//   bucket's number) is a frequent value of as many buckets; every other bucket
//   runs from the value before to its endpoint.
// - HYBRID: ENDPOINT_NUMBER counts rows as FREQUENCY does and
//   ENDPOINT_REPEAT_COUNT the rows of the endpoint value itself; an endpoint
//   repeated at least as often as an average bucket holds rows (Oracle's
//   popular value), or 1.25 times as often as an average value, is a frequent
//   value; the rows between endpoints are buckets.
// - NONE (or no endpoint): one bucket from LOW_VALUE to HIGH_VALUE.
// Texts are known from statistics only by value: their buckets are by length,
// from the shortest to the longest value known (LOW_VALUE, HIGH_VALUE, the
// endpoints' actual values), their classes those of these values' characters.
ColumnProfile ColumnFromStatistics(const ColumnStatistics& statistics, const std::vector<HistogramEndpoint>& endpoints,
                                   double rows);

// A DATE's ENDPOINT_VALUE (a Julian day number with the day's fraction,
// 1970-01-01 being 2440588) as seconds since 1970 UTC, to the second.
double JulianDaySeconds(double julianDay);

}  // namespace generate
