#pragma once
// The bounded counters one pass over a table's rows keeps per column, so that
// a profile of ten million rows takes the memory of one of a hundred thousand.
//
// - ValueCounts: each value's count, exact while at most ExactValues distinct
//   values have been seen. Past that the half of the entries counted least is
//   dropped each time the table fills up, and a value that comes (back) later
//   starts from nothing (taken in at one of its first rows, see Count): a
//   count is short of its true value by at most the highest count ever
//   dropped (Floor()) and those first rows, far below the share that makes a
//   value frequent. The distinct count is then the estimate of a
//   k-minimum-values sketch of the values' hashes (k = DistinctSketch, a
//   relative error of about 1/sqrt(k), 0.8 %).
// - A uniform sample (reservoir) of SampledValues values' measures (a number,
//   a date's seconds, a text's length) with their hashes: the buckets' source
//   when the counts are no longer exact.
#include "generate/ColumnProfile.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace generate {

inline constexpr int ExactValues = 65536;
inline constexpr int DistinctSketch = 16384;
inline constexpr int SampledValues = 65536;

// A 64-bit hash with well mixed bits: of a number's bits, of a text.
quint64 ValueHash(double value);
quint64 ValueHash(const QString& value);

// The k smallest hashes of the values seen: the number of distinct values.
class DistinctEstimate {
public:
    void Add(quint64 hash);
    // Exact while fewer than k hashes are kept; else (k - 1) / (k-th hash as a share of 2^64).
    double Count() const;

private:
    std::vector<quint64> m_smallest;  // a heap, the largest first
    QSet<quint64> m_kept;
};

// A column's values by their hashes (ValueHash), each with its count.
class ValueCounts {
public:
    struct Entry {
        qint64 count = 0;
        double number = 0.0;  // numbers and dates: the value
        QString text;         // texts: the value
        int code = -1;   // the value's number among a column's few values (pairs), -1: none
        int shape = -1;  // texts: the index of the value's shape, -1: none kept
    };

    // The entry of the value of `hash`, counted once more, with *added true
    // when new (the caller fills its value); none for a value left uncounted.
    // Once entries have been dropped, a value not counted yet is taken in
    // only one time in AdmitOneIn (drawn): a frequent value is taken in within
    // its first few rows, and the table of entries fills far less often.
    Entry* Count(quint64 hash, bool* added);

    bool Exact() const { return !m_pruned; }
    double Distinct() const { return Exact() ? double(m_entries.size()) : m_distinct.Count(); }
    // The highest count dropped: how far under its true value a count may be,
    // beside the rows before it was taken in.
    qint64 Floor() const { return m_floor; }
    const QHash<quint64, Entry>& Entries() const { return m_entries; }

    static constexpr int AdmitOneIn = 8;

private:
    void Prune();

    QHash<quint64, Entry> m_entries;
    DistinctEstimate m_distinct;
    qint64 m_floor = 0;
    bool m_pruned = false;
    quint64 m_draws = 0x2545F4914F6CDD1Dull;
};

// A uniform sample (reservoir) of a column's non-NULL values: each value's measure and
// hash. Deterministic: the same rows give the same sample.
class MeasureSample {
public:
    struct Item {
        double measure = 0.0;
        quint64 hash = 0;
    };
    void Add(double measure, quint64 hash);
    const std::vector<Item>& Items() const { return m_items; }

private:
    std::vector<Item> m_items;
    qint64 m_seen = 0;
    quint64 m_state = 0x9E3779B97F4A7C15ull;
};

// One value (or, from a sample, one sampled row) outside the frequent ones.
struct Measured {
    double measure = 0.0;
    quint64 id = 0;      // equal ids: the same value
    qint64 count = 1;
};

// Buckets of `rest`: one per measure when there are at most
// MaxProfileBuckets measures; else height-balanced, MaxProfileBuckets of them,
// each closing at the first measure that brings it to an equal part of the
// rows still to place (a measure never spans two buckets). The buckets' shares add up to `restShare`; each
// bucket's distinct count is its distinct ids times `distinctScale`.
std::vector<ColumnProfile::Bucket> HeightBalanced(std::vector<Measured> rest, double restShare,
                                                  double distinctScale);

// The ranges of children per parent: exact counts while there are at most
// MaxChildCounts of them, else MaxChildCounts ranges of about equal shares
// (each closing when it holds an equal part of the parents still to place).
// `parents`: numbers of children, rising, with the parent rows that have it.
std::vector<ChildCount> ChildRanges(const std::vector<std::pair<qint64, qint64>>& parents);

// Cramér's V of a contingency table given as its cells (row, column, count),
// without the bias correction: sqrt(chi2 / (n * (min(rows, columns) - 1))),
// where rows and columns are the categories seen. 0 when either side has a
// single category.
double CramersV(const std::vector<std::tuple<int, int, qint64>>& cells);

}  // namespace generate
