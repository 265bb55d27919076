#include "generate/ProfileSketches.h"

#include <cmath>
#include <cstring>
#include <map>

namespace generate {

namespace {

// The finalizer of SplitMix64: every input bit moves every output bit.
quint64 Mix(quint64 x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

}  // namespace

quint64 ValueHash(double value)
{
    if (value == 0.0)
        value = 0.0;  // -0 and 0 are one value
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return Mix(bits);
}

quint64 ValueHash(const QString& value)
{
    // FNV-1a over the UTF-16 units, then mixed: every bit counts, which
    // the sketch's estimate needs (a hash with weak low bits undercounts).
    quint64 hash = 0xCBF29CE484222325ull;
    for (const QChar c : value)
        hash = (hash ^ c.unicode()) * 0x100000001B3ull;
    return Mix(hash);
}

void DistinctEstimate::Add(quint64 hash)
{
    if (m_smallest.size() >= std::size_t(DistinctSketch) && hash >= m_smallest.front())
        return;
    if (m_kept.contains(hash))
        return;
    m_kept.insert(hash);
    m_smallest.push_back(hash);
    std::push_heap(m_smallest.begin(), m_smallest.end());
    if (m_smallest.size() > std::size_t(DistinctSketch)) {
        std::pop_heap(m_smallest.begin(), m_smallest.end());
        m_kept.remove(m_smallest.back());
        m_smallest.pop_back();
    }
}

double DistinctEstimate::Count() const
{
    if (m_smallest.size() < std::size_t(DistinctSketch))
        return double(m_smallest.size());
    const double kth = (double(m_smallest.front()) + 1.0) / 18446744073709551616.0;
    return std::round((DistinctSketch - 1) / kth);
}

ValueCounts::Entry* ValueCounts::Count(quint64 hash, bool* added)
{
    *added = false;
    auto found = m_entries.find(hash);
    if (found != m_entries.end()) {
        ++found->count;
        return &*found;
    }
    if (m_pruned) {
        // While exact, the entries are the distinct values: the sketch
        // takes them all at the first drop, and every value missed after.
        m_distinct.Add(hash);
        m_draws = Mix(m_draws);
        if (m_draws % AdmitOneIn != 0)
            return nullptr;
    }
    if (m_entries.size() >= ExactValues)
        Prune();
    Entry& entry = *m_entries.insert(hash, Entry{});
    entry.count = 1;
    *added = true;
    return &entry;
}

void ValueCounts::Prune()
{
    std::vector<qint64> counts;
    counts.reserve(std::size_t(m_entries.size()));
    for (const Entry& entry : std::as_const(m_entries))
        counts.push_back(entry.count);
    auto middle = counts.begin() + std::ptrdiff_t(counts.size() / 2);
    std::nth_element(counts.begin(), middle, counts.end());
    const qint64 cut = *middle;
    if (!m_pruned)
        for (auto it = m_entries.constBegin(); it != m_entries.constEnd(); ++it)
            m_distinct.Add(it.key());
    m_entries.removeIf([cut](const auto& item) { return item.value().count <= cut; });
    m_floor = std::max(m_floor, cut);
    m_pruned = true;
}

void MeasureSample::Add(double measure, quint64 hash)
{
    ++m_seen;
    if (m_items.size() < std::size_t(SampledValues)) {
        m_items.push_back({measure, hash});
        return;
    }
    // Algorithm R: the n-th value replaces a random item with probability k/n.
    m_state = Mix(m_state);
    const quint64 slot = m_state % quint64(m_seen);
    if (slot < quint64(SampledValues))
        m_items[std::size_t(slot)] = {measure, hash};
}

std::vector<ColumnProfile::Bucket> HeightBalanced(std::vector<Measured> rest, double restShare,
                                                  double distinctScale)
{
    std::vector<ColumnProfile::Bucket> buckets;
    std::sort(rest.begin(), rest.end(), [](const Measured& a, const Measured& b) {
        return a.measure < b.measure || (a.measure == b.measure && a.id < b.id);
    });
    qint64 total = 0;
    int measures = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        total += rest[i].count;
        if (i == 0 || rest[i].measure != rest[i - 1].measure)
            ++measures;
    }
    if (total <= 0 || restShare <= 0.0)
        return buckets;
    // Few measures: a bucket each. Else each bucket closes at the first
    // measure that brings it to an equal part of the rows still to place.
    const bool each = measures <= MaxProfileBuckets;
    qint64 placed = 0, inBucket = 0, ids = 0;
    double low = rest.front().measure;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const Measured& item = rest[i];
        if (inBucket == 0)
            low = item.measure, ids = 0;
        inBucket += item.count;
        if (inBucket == item.count || item.id != rest[i - 1].id || item.measure != rest[i - 1].measure)
            ++ids;
        const bool lastOfMeasure = i + 1 == rest.size() || rest[i + 1].measure != item.measure;
        if (!lastOfMeasure)
            continue;
        const double due = double(total - placed) / double(MaxProfileBuckets - int(buckets.size()));
        if (each || double(inBucket) >= due - 1e-9 || i + 1 == rest.size()) {
            buckets.push_back({low, item.measure, restShare * double(inBucket) / double(total),
                               std::max(1.0, std::round(double(ids) * distinctScale))});
            placed += inBucket;
            inBucket = 0;
        }
    }
    return buckets;
}

std::vector<ChildCount> ChildRanges(const std::vector<std::pair<qint64, qint64>>& parents)
{
    std::vector<ChildCount> counts;
    qint64 total = 0;
    for (const auto& [children, rows] : parents)
        total += rows;
    if (total <= 0)
        return counts;
    if (parents.size() <= std::size_t(MaxChildCounts)) {
        for (const auto& [children, rows] : parents)
            counts.push_back({children, children, double(rows) / double(total)});
        return counts;
    }
    // Too many different counts: ranges of about equal shares, each closing
    // when it holds an equal part of the parents still to place.
    qint64 placed = 0, inRange = 0, low = 0;
    for (std::size_t i = 0; i < parents.size(); ++i) {
        if (inRange == 0)
            low = parents[i].first;
        inRange += parents[i].second;
        const double due = double(total - placed) / double(MaxChildCounts - int(counts.size()));
        if (double(inRange) >= due - 1e-9 || i + 1 == parents.size()) {
            counts.push_back({low, parents[i].first, double(inRange) / double(total)});
            placed += inRange;
            inRange = 0;
        }
    }
    return counts;
}

double CramersV(const std::vector<std::tuple<int, int, qint64>>& cells)
{
    std::map<int, qint64> rows, columns;
    qint64 n = 0;
    for (const auto& [row, column, count] : cells) {
        rows[row] += count;
        columns[column] += count;
        n += count;
    }
    const std::size_t smaller = std::min(rows.size(), columns.size());
    if (n <= 0 || smaller < 2)
        return 0.0;
    // chi2 = n * (sum of O^2 / (row total * column total) - 1), over the cells seen.
    double sum = 0.0;
    for (const auto& [row, column, count] : cells)
        sum += double(count) * double(count) / (double(rows[row]) * double(columns[column]));
    const double chi2 = std::max(0.0, double(n) * (sum - 1.0));
    return std::sqrt(chi2 / (double(n) * double(smaller - 1)));
}

}  // namespace generate
