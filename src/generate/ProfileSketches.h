#pragma once
// The bounded counters one pass over a table's rows keeps per column, so that
// a profile of ten million rows takes the memory of one of a hundred thousand.
//
// - ValueCounts: each value's count, exact while at most ExactValues distinct
//   values have been seen. Past that the half of the entries counted least is
//   dropped each time the table fills up, and a value that comes (back) later
//   starts from nothing: a count is short of its true value by at most the
//   highest count ever dropped (Floor()), which is far below the share that
//   makes a value frequent. The distinct count is then the estimate of a
//   k-minimum-values sketch of the values' hashes (k = DistinctSketch, a
//   relative error of about 1/sqrt(k), 1.6 %).
// - A uniform sample (reservoir) of SampledValues values' measures (a number,
//   a date's seconds, a text's length) with their hashes: the buckets' source
//   when the counts are no longer exact.
#include "generate/ColumnProfile.h"

#include <QHash>
#include <QString>

#include <algorithm>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace generate {

inline constexpr int ExactValues = 65536;
inline constexpr int DistinctSketch = 4096;
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
    std::set<quint64> m_smallest;
};

template <typename Key>
class ValueCounts {
public:
    struct Entry {
        qint64 count = 0;
        quint64 hash = 0;
        int code = -1;   // the value's number among a column's few values (pairs), -1: none
        int shape = -1;  // texts: the index of the value's shape, -1: not kept
    };

    // The entry of `key`, counted once more; *added tells a new entry.
    Entry& Count(const Key& key, bool* added)
    {
        auto found = m_entries.find(key);
        if (found != m_entries.end()) {
            ++found->count;
            *added = false;
            return *found;
        }
        if (m_entries.size() >= ExactValues)
            Prune();
        const quint64 hash = ValueHash(key);
        m_distinct.Add(hash);
        Entry& entry = m_entries[key];
        entry.count = 1;
        entry.hash = hash;
        *added = true;
        return entry;
    }

    bool Exact() const { return m_floor == 0 && !m_pruned; }
    double Distinct() const { return Exact() ? double(m_entries.size()) : m_distinct.Count(); }
    qint64 Floor() const { return m_floor; }
    const QHash<Key, Entry>& Entries() const { return m_entries; }

private:
    void Prune()
    {
        std::vector<qint64> counts;
        counts.reserve(std::size_t(m_entries.size()));
        for (const Entry& entry : std::as_const(m_entries))
            counts.push_back(entry.count);
        auto middle = counts.begin() + std::ptrdiff_t(counts.size() / 2);
        std::nth_element(counts.begin(), middle, counts.end());
        const qint64 cut = *middle;
        m_entries.removeIf([cut](const auto& item) { return item.value().count <= cut; });
        m_floor = std::max(m_floor, cut);
        m_pruned = true;
    }

    QHash<Key, Entry> m_entries;
    DistinctEstimate m_distinct;
    qint64 m_floor = 0;
    bool m_pruned = false;
};

// A uniform sample of a column's non-NULL values: each value's measure and
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

// Height-balanced buckets of `rest`: at most MaxProfileBuckets, each of about
// the same number of rows, cut only between different measures (a measure
// never spans two buckets). The buckets' shares add up to `restShare`; each
// bucket's distinct count is its distinct ids times `distinctScale`.
std::vector<ColumnProfile::Bucket> HeightBalanced(std::vector<Measured> rest, double restShare,
                                                  double distinctScale);

// The ranges of children per parent: exact counts while there are at most
// MaxChildCounts of them, else about equal shares each (see ProfileRows.cpp).
// `parents` maps a number of children to the parent rows that have it.
std::vector<ChildCount> ChildRanges(const std::vector<std::pair<qint64, qint64>>& parents);

// Cramér's V of a contingency table given as its cells (row, column, count),
// without the bias correction: sqrt(chi2 / (n * (min(rows, columns) - 1))),
// where rows and columns are the categories seen. 0 when either side has a
// single category.
double CramersV(const std::vector<std::tuple<int, int, qint64>>& cells);

}  // namespace generate
