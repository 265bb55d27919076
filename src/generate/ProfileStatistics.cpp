#include "generate/ProfileStatistics.h"

#include "engine/OracleStatBytes.h"
#include "generate/DistributionDraws.h"
#include "generate/InsertRow.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "shared/NumberText.h"
#include "shared/TypeFamily.h"

#include <QHash>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

using Family = ColumnProfile::Family;

// Tables from this many rows on: their statistics come from samples.
constexpr double SampledRows = 10000.0;

// A value known from the statistics: its place on the column's scale (a
// number, seconds, a text's length) and its text as a frequent value.
struct Known {
    double key = 0.0;
    QString text;
};

// Rows from one known value to another (texts: between two lengths).
struct Range {
    double low = 0.0;
    double high = 0.0;
    double share = 0.0;
};

// Seconds of a date from the year 1 to 9999, as dates are written.
std::optional<double> DateSeconds(double seconds)
{
    if (!std::isfinite(seconds) || std::fabs(seconds) > 1e12)
        return std::nullopt;
    const int year = QDateTime::fromSecsSinceEpoch(qint64(seconds), Qt::UTC).date().year();
    if (year < 1 || year > 9999)
        return std::nullopt;
    return seconds;
}

QString NumberValue(double number)
{
    return basKovaData::NumberText(number).trimmed();
}

std::optional<Known> FromBytes(const QByteArray& bytes, Family family)
{
    if (bytes.isEmpty())
        return std::nullopt;
    switch (family) {
    case Family::Number:
        if (const std::optional<double> number = oraclebytes::Number(bytes))
            return Known{*number, NumberValue(*number)};
        return std::nullopt;
    case Family::Date:
        if (const std::optional<QDateTime> date = oraclebytes::Date(bytes))
            if (const std::optional<double> seconds = DateSeconds(double(date->toSecsSinceEpoch())))
                return Known{*seconds, DateBoundText(*seconds)};
        return std::nullopt;
    case Family::Text:
        break;
    }
    // The embedded engine keeps its texts in UTF-8, and so does a server's
    // AL32UTF8 (and PostgreSQL's UTF8) database.
    const QString text = oraclebytes::Text(bytes, true);
    return Known{double(text.size()), text};
}

std::optional<Known> FromEndpoint(const HistogramEndpoint& endpoint, Family family)
{
    switch (family) {
    case Family::Number: {
        std::optional<double> number = endpoint.value;
        if (!number && !endpoint.actual.isEmpty()) {
            bool ok = false;
            const double read = endpoint.actual.trimmed().toDouble(&ok);
            if (ok)
                number = read;
        }
        if (!number || !std::isfinite(*number))
            return std::nullopt;
        return Known{*number, NumberValue(*number)};
    }
    case Family::Date: {
        std::optional<double> seconds;
        if (endpoint.value && std::isfinite(*endpoint.value))
            seconds = JulianDaySeconds(*endpoint.value);
        else if (const QDateTime read = QDateTime::fromString(endpoint.actual.trimmed(), u"yyyy-MM-dd HH:mm:ss"_s);
                 read.isValid())
            seconds = double(QDateTime(read.date(), read.time(), Qt::UTC).toSecsSinceEpoch());
        if (seconds)
            seconds = DateSeconds(*seconds);
        if (!seconds)
            return std::nullopt;
        return Known{*seconds, DateBoundText(*seconds)};
    }
    case Family::Text:
        break;
    }
    // Oracle's ENDPOINT_VALUE of a text holds only its leading bytes: the
    // value is known when the actual value is kept.
    if (endpoint.actual.isNull())
        return std::nullopt;
    return Known{double(endpoint.actual.size()), endpoint.actual};
}

class Builder {
public:
    Builder(const ColumnStatistics& statistics, double rows)
    {
        m_profile.family = ProfileFamily(basKovaData::FamilyOfTypeText(statistics.dataType.trimmed().toUpper()));
        const double nulls = rows > 0.0 ? statistics.numNulls / rows : 0.0;
        m_profile.nulls = std::isfinite(nulls) ? std::clamp(nulls, 0.0, 1.0) : 0.0;
        m_profile.distinct = std::isfinite(statistics.numDistinct) ? std::max(statistics.numDistinct, 0.0) : 0.0;
        m_present = 1.0 - m_profile.nulls;
        m_rows = std::isfinite(rows) ? std::max(rows, 0.0) : 0.0;
        m_sample = std::isfinite(statistics.sampleSize) ? statistics.sampleSize : 0.0;
        m_low = FromBytes(statistics.low, m_profile.family);
        m_high = FromBytes(statistics.high, m_profile.family);
        for (const std::optional<Known>& bound : {m_low, m_high})
            if (bound)
                m_seen.push_back(*bound);
    }

    // Rows of one value; an unknown value's rows join the rest.
    void frequent(const std::optional<Known>& value, double share)
    {
        if (!(share > 0.0))
            return;
        if (value) {
            m_seen.push_back(*value);
            m_frequent.push_back({value->text, share});
        } else {
            m_unknown += share;
        }
    }
    void range(const Known& low, const Known& high, double share)
    {
        m_seen.push_back(low);
        m_seen.push_back(high);
        if (share > 0.0)
            m_ranges.push_back({std::min(low.key, high.key), std::max(low.key, high.key), share});
    }
    // The rest from LOW_VALUE to HIGH_VALUE (or the values known).
    void rest(double share)
    {
        if (share > 0.0)
            m_unknown += share;
    }
    std::optional<Known> low() const { return m_low; }
    double present() const { return m_present; }

    ColumnProfile finish();

private:
    ColumnProfile m_profile;
    double m_present = 1.0;
    double m_rows = 0.0;
    double m_sample = 0.0;  // the non-NULL rows the distinct count was estimated on
    std::optional<Known> m_low, m_high;
    std::vector<Known> m_seen;
    std::vector<ColumnProfile::Frequent> m_frequent;
    std::vector<Range> m_ranges;
    double m_unknown = 0.0;  // rows somewhere from the lowest to the highest value

    // The step between the column's values, or 0 for none known: a day for
    // dates whose known values are all whole days; for numbers the finest
    // decimal their known values show, down to a millionth.
    double gridUnit() const
    {
        constexpr double Day = 86400.0;
        switch (m_profile.family) {
        case Family::Date:
            return std::all_of(m_ranges.begin(), m_ranges.end(), [](const Range& range) {
                       return std::fmod(range.low, Day) == 0.0 && std::fmod(range.high, Day) == 0.0;
                   }) ? Day : 0.0;
        case Family::Number: {
            int places = 0;
            for (const Known& value : m_seen) {
                int p = 0;
                while (p <= 6) {
                    const double scaled = value.key * std::pow(10.0, p);
                    if (std::abs(scaled - std::round(scaled)) <= 1e-9 * std::max(1.0, std::abs(scaled)))
                        break;
                    ++p;
                }
                if (p > 6)
                    return 0.0;
                places = std::max(places, p);
            }
            return m_seen.empty() ? 0.0 : std::pow(10.0, -places);
        }
        case Family::Text:
            break;
        }
        return 0.0;
    }
};

// A sample of `sample` of a column's `rows` non-NULL rows, drawn as the
// profile draws them with its buckets' counts times `factor`: the distinct
// count Haas and Stokes's estimator gives from the values the sample holds
// (d) and those it holds once (f1), n d / (n - f1 + f1 n / N), as
// PostgreSQL's ANALYZE estimates it. A value of r rows is in the sample
// about Poisson(r n / N) times.
// The distinct values a bucket can hold at most: one between equal bounds,
// the steps of the column's grid (`unit`, 0 for none) from low to high.
double BucketRoom(const ColumnProfile& profile, const ColumnProfile::Bucket& bucket, double unit)
{
    if (profile.family == ColumnProfile::Family::Text)
        return 1e15;
    if (bucket.low == bucket.high)
        return 1.0;
    return unit > 0.0 ? std::round((bucket.high - bucket.low) / unit) + 1.0 : 1e15;
}

double SampleEstimate(const ColumnProfile& profile, double factor, double rows, double sample, double unit)
{
    const double present = 1.0 - profile.nulls;
    double held = 0.0;
    double once = 0.0;
    const auto add = [&](double values, double each) {
        held += values * -std::expm1(-each);
        once += values * each * std::exp(-each);
    };
    for (const ColumnProfile::Frequent& value : profile.frequent)
        add(1.0, sample * value.share / present);
    for (const ColumnProfile::Bucket& bucket : profile.buckets) {
        const double bucketRows = rows * bucket.share / present;
        if (!(bucketRows > 0.0))
            continue;
        const double values = std::min(DrawSpread(std::min(bucket.distinct * factor, bucketRows), bucketRows),
                                       BucketRoom(profile, bucket, unit));
        add(values, sample * bucket.share / present / values);
    }
    return sample * held / (sample - once + once * sample / rows);
}

// A distinct count estimated from a sample falls short of the column's, and
// data drawn with it would give a sample that estimates fewer still: the
// buckets' counts are raised by one factor until the draws' sample would
// estimate the statistics' own count. The profile's count stays what the
// statistics say.
void RaiseSampledDistinct(ColumnProfile& profile, double rows, double sample, double unit)
{
    if (!(sample > 0.0) || !(rows > sample * 1.01) || !(profile.nulls < 1.0) || profile.buckets.empty())
        return;
    const double wanted = profile.distinct;
    const auto estimate = [&](double factor) { return SampleEstimate(profile, factor, rows, sample, unit); };
    if (!(estimate(1.0) < wanted))
        return;
    double low = 1.0;
    double high = 2.0;
    while (estimate(high) < wanted && high < rows)
        high *= 2.0;
    for (int i = 0; i < 40 && high / low > 1.001; ++i) {
        const double middle = std::sqrt(low * high);
        (estimate(middle) < wanted ? low : high) = middle;
    }
    const double present = 1.0 - profile.nulls;
    for (ColumnProfile::Bucket& bucket : profile.buckets)
        bucket.distinct = std::max(1.0, std::min({std::round(bucket.distinct * high),
                                                  std::round(rows * bucket.share / present),
                                                  BucketRoom(profile, bucket, unit)}));
}

ColumnProfile Builder::finish()
{
    const Family family = m_profile.family;
    std::stable_sort(m_frequent.begin(), m_frequent.end(),
                     [](const auto& a, const auto& b) { return a.share > b.share; });
    // More values than a profile keeps: the least frequent join the rest.
    while (m_frequent.size() > std::size_t(MaxFrequentValues)) {
        m_unknown += m_frequent.back().share;
        m_frequent.pop_back();
    }
    for (ColumnProfile::Frequent& value : m_frequent)
        value.share = std::min(value.share, 1.0);
    m_profile.frequent = m_frequent;
    if (!m_seen.empty()) {
        const auto [least, most] = std::minmax_element(m_seen.begin(), m_seen.end(),
                                                       [](const Known& a, const Known& b) { return a.key < b.key; });
        // Numbers and dates: LOW_VALUE and HIGH_VALUE when Oracle kept them.
        m_profile.low = family != Family::Text && m_low ? m_low->key : least->key;
        m_profile.high = family != Family::Text && m_high ? m_high->key : most->key;
        if (*m_profile.low > *m_profile.high)
            std::swap(*m_profile.low, *m_profile.high);
    }
    // Texts are known by value only: every range is one of lengths.
    if (family == Family::Text) {
        for (const Range& range : m_ranges)
            m_unknown += range.share;
        m_ranges.clear();
        std::array<double, CharacterClassCount> count{};
        double characters = 0.0;
        for (const Known& value : m_seen)
            for (const QChar c : value.text) {
                count[std::size_t(ClassOf(c))] += 1.0;
                characters += 1.0;
            }
        if (characters > 0.0)
            for (std::size_t c = 0; c < count.size(); ++c)
                m_profile.classes[c] = count[c] / characters;
    }
    if (m_unknown > 0.0 && m_profile.low)
        m_ranges.push_back({*m_profile.low, *m_profile.high, m_unknown});
    std::sort(m_ranges.begin(), m_ranges.end(),
              [](const Range& a, const Range& b) { return a.low < b.low || (a.low == b.low && a.high < b.high); });
    // Too many ranges: neighbours merge.
    while (m_ranges.size() > std::size_t(MaxProfileBuckets)) {
        std::vector<Range> merged;
        for (std::size_t i = 0; i < m_ranges.size(); i += 2) {
            Range range = m_ranges[i];
            if (i + 1 < m_ranges.size()) {
                range.high = std::max(range.high, m_ranges[i + 1].high);
                range.share += m_ranges[i + 1].share;
            }
            merged.push_back(range);
        }
        m_ranges = merged;
    }
    // The distinct values that are not frequent, spread by the ranges' rows.
    double total = 0.0;
    for (const Range& range : m_ranges)
        total += range.share;
    const double rest = std::max(m_profile.distinct - double(m_profile.frequent.size()), 0.0);
    // Values on a grid (dates between whole days, numbers whose known values
    // show no finer decimal): a range can hold only its steps, and rows
    // spread over them find about steps (1 - e^(-rows/steps)) of them; the
    // distinct values are spread by that, not by the rows alone, so that a
    // sparse stretch keeps its many values and a dense one its few.
    const auto firstOpen = [&](const Range& range) {
        return !(m_profile.low && range.low == *m_profile.low && &range == &m_ranges.front());
    };
    double unit = m_rows > 0.0 ? gridUnit() : 0.0;
    const auto steps = [&](const Range& range) {
        return std::max(1.0, std::round((range.high - range.low) / unit) + (firstOpen(range) ? 0.0 : 1.0));
    };
    // A grid with far fewer steps than the distinct values is not the
    // column's: numbers take a finer one, dates none. Up to a quarter more
    // values than steps is taken for the estimate's error: the counts are
    // held to the steps.
    const auto room = [&] {
        double all = 0.0;
        for (const Range& range : m_ranges)
            all += steps(range);
        return all;
    };
    while (unit > 0.0 && room() < rest / 1.25)
        unit = family == Family::Number && unit > 1.5e-6 ? unit / 10.0 : 0.0;
    std::vector<double> weight;
    double weights = 0.0;
    for (const Range& range : m_ranges) {
        const double rows = range.share * m_rows;
        weight.push_back(unit > 0.0 ? steps(range) * -std::expm1(-rows / steps(range)) : range.share);
        weights += weight.back();
    }
    for (const Range& range : m_ranges) {
        const std::size_t r = std::size_t(&range - m_ranges.data());
        double distinct = std::max(1.0, std::round(rest * (unit > 0.0 ? weight[r] / weights : range.share / total)));
        if (unit > 0.0)
            distinct = std::min(distinct, steps(range));
        if (range.low == range.high && family != Family::Text)
            distinct = 1.0;
        // A range between two endpoints holds the values after the lower
        // one, which its own bucket counts: its d values are taken to lie
        // evenly from one d-th of the way on (whole steps of the grid).
        double low = range.low;
        const bool opened = firstOpen(range);
        if (family != Family::Text && range.high > range.low && opened) {
            double step = (range.high - range.low) / distinct;
            if (unit > 0.0)
                step = std::max(unit, std::round(step / unit) * unit);
            low = std::min(range.high, range.low + step);
        }
        m_profile.buckets.push_back({low, range.high, std::min(range.share, 1.0), distinct});
    }
    // A count from a sample falls short. With SAMPLE_SIZE below the rows, the
    // buckets' counts are raised as that sample needs. With no SAMPLE_SIZE, a
    // large table whose statistics find most values distinct is drawn as if
    // each row's value were new, on the column's grid (its scale, its dates'
    // days), which then gives the repeats it gave the source.
    const bool sampled = m_sample > 0.0 && m_sample < m_rows * m_present * 0.99;
    if (m_sample <= 0.0 && m_rows >= SampledRows && m_profile.distinct >= 0.3 * m_rows * m_present) {
        for (ColumnProfile::Bucket& bucket : m_profile.buckets)
            if (bucket.low < bucket.high || family == Family::Text)
                bucket.distinct = std::max(bucket.distinct, std::min(std::round(bucket.share * m_rows),
                                                                     BucketRoom(m_profile, bucket, unit)));
    } else if (sampled) {
        RaiseSampledDistinct(m_profile, m_rows * m_present, m_sample, unit);
    }
    return m_profile;
}

bool IsWholeDay(double seconds)
{
    return std::fmod(seconds, 86400.0) == 0.0;
}

}  // namespace

double JulianDaySeconds(double julianDay)
{
    return std::round((julianDay - 2440588.0) * 86400.0);
}

ColumnProfile ColumnFromStatistics(const ColumnStatistics& statistics, const std::vector<HistogramEndpoint>& given,
                                   double rows)
{
    // Endpoint numbers only grow: one that falls back (or is no number)
    // counts no rows.
    std::vector<HistogramEndpoint> endpoints = given;
    double floor = 0.0;
    for (HistogramEndpoint& endpoint : endpoints) {
        if (!std::isfinite(endpoint.number) || endpoint.number < floor)
            endpoint.number = floor;
        floor = endpoint.number;
        if (!std::isfinite(endpoint.repeat))
            endpoint.repeat = 0.0;
    }
    const double last = floor;
    Builder built(statistics, rows);
    const Family family = ProfileFamily(basKovaData::FamilyOfTypeText(statistics.dataType.trimmed().toUpper()));
    const QString form = statistics.histogram.trimmed().toUpper();
    const double present = built.present();
    if (endpoints.empty() || last <= 0.0 || form.isEmpty() || form == u"NONE"_s) {
        built.rest(present);
        return built.finish();
    }
    if (form == u"FREQUENCY"_s || form == u"TOP-FREQUENCY"_s) {
        // A top-frequency histogram counts only the most frequent values of
        // SAMPLE_SIZE rows.
        const double of =
            form == u"FREQUENCY"_s || !std::isfinite(statistics.sampleSize) ? last : std::max(last, statistics.sampleSize);
        double before = 0.0;
        for (const HistogramEndpoint& endpoint : endpoints) {
            built.frequent(FromEndpoint(endpoint, family), (endpoint.number - before) / of * present);
            before = endpoint.number;
        }
        built.rest((of - last) / of * present);
        return built.finish();
    }
    if (form == u"HEIGHT BALANCED"_s) {
        double before = 0.0;
        std::optional<Known> previous;
        for (std::size_t i = 0; i < endpoints.size(); ++i) {
            const std::optional<Known> value = FromEndpoint(endpoints[i], family);
            const double buckets = endpoints[i].number - before;
            // Bucket 0 holds the lowest value alone; a value that ends two
            // buckets or more is popular.
            const bool popular = i == 0 ? buckets >= 1.0 : buckets >= 2.0;
            if (popular)
                built.frequent(value, buckets / last * present);
            else if (buckets > 0.0 && previous && value)
                built.range(*previous, *value, buckets / last * present);
            else
                built.rest(buckets / last * present);
            before = endpoints[i].number;
            previous = value;
        }
        return built.finish();
    }
    if (form == u"HYBRID"_s) {
        const double perBucket = last / std::max(statistics.numBuckets > 0.0 ? statistics.numBuckets
                                                                             : double(endpoints.size()),
                                                 1.0);
        // Also a value well above the average value's rows (as PostgreSQL
        // picks its most common values, offered as HYBRID endpoints).
        const double perValue = 1.25 * last / std::max(statistics.numDistinct, 1.0);
        double before = 0.0;
        double carried = 0.0;
        std::optional<Known> previous = built.low();
        for (const HistogramEndpoint& endpoint : endpoints) {
            const std::optional<Known> value = FromEndpoint(endpoint, family);
            const double bucket = std::max(endpoint.number - before, 0.0);
            const double repeat = std::clamp(endpoint.repeat, 0.0, bucket);
            const bool popular = repeat > 1.0 && (repeat >= perBucket || repeat >= perValue);
            if (popular)
                built.frequent(value, repeat / last * present);
            const double between = (bucket - (popular ? repeat : 0.0)) / last * present + carried;
            carried = 0.0;
            if (previous && value) {
                // Between whole days up to a popular day, the days before it:
                // none at all between two days in a row, whose rows go on to
                // the next range.
                Known high = *value;
                if (popular && family == Family::Date && IsWholeDay(previous->key) && IsWholeDay(value->key))
                    high.key -= 86400.0;
                if (high.key < previous->key + (popular && family == Family::Date ? 86400.0 : 0.0))
                    carried = between;
                else
                    built.range(*previous, high, between);
            } else {
                built.rest(between);
            }
            before = endpoint.number;
            previous = value;
        }
        built.rest(carried);
        return built.finish();
    }
    // A form this reader does not know: the rows lie from the lowest to the
    // highest value.
    built.rest(present);
    return built.finish();
}

namespace {

double Number(const QVariant& value)
{
    return value.isNull() ? 0.0 : value.toDouble();
}

// A RAW as the dictionary shows it: hexadecimal digits, or the bytes.
QByteArray Raw(const QVariant& value)
{
    if (value.isNull())
        return {};
    if (const std::optional<QByteArray> bytes = oraclebytes::FromHex(value.toString().trimmed()))
        return *bytes;
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

}  // namespace

std::optional<TableProfile> ProfileFromStatistics(OraDatabase& database, const QString& table,
                                                  const ProfileOptions& options, QString* problem)
{
    Q_UNUSED(options);
    const auto refuse = [&](const QString& why) {
        if (problem)
            *problem = why;
        return std::optional<TableProfile>();
    };
    QString name = table.trimmed();
    QString quoted = basKovaData::SqlQuoted(name);
    const auto advice = [&] {
        return u"%1 has no statistics: run ANALYZE TABLE %1 COMPUTE STATISTICS (TABLE情報 runs it)"_s.arg(name);
    };
    TableProfile profile;
    profile.fromStatistics = true;
    std::vector<ColumnStatistics> columns;
    QHash<QString, std::vector<HistogramEndpoint>> endpoints;
    try {
        const auto numRows = [&] {
            return database.DBCreateDynaset(u"SELECT NUM_ROWS FROM USER_TABLES WHERE TABLE_NAME = "_s + quoted, 0);
        };
        std::unique_ptr<OraDynaset> tables = numRows();
        // A name written as Oracle reads it unquoted: in capitals.
        if (tables->IsEOF() && name != name.toUpper()) {
            name = name.toUpper();
            quoted = basKovaData::SqlQuoted(name);
            tables = numRows();
        }
        if (tables->IsEOF())
            return refuse(u"the schema has no table %1"_s.arg(table.trimmed()));
        profile.table = name;
        if (tables->Value(0).isNull())
            return refuse(advice());
        profile.rows = qint64(std::llround(Number(tables->Value(0))));
        for (std::unique_ptr<OraDynaset> rows = database.DBCreateDynaset(
                 u"SELECT COLUMN_NAME, DATA_TYPE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = "_s + quoted +
                     u" ORDER BY COLUMN_ID"_s,
                 0);
             !rows->IsEOF(); rows->MoveNext()) {
            profile.columnNames << rows->Value(0).toString();
            columns.push_back({rows->Value(0).toString(), rows->Value(1).toString(), 0, 0, {}, {}, {}, 0, 0});
        }
        bool analyzed = false;
        for (std::unique_ptr<OraDynaset> rows = database.DBCreateDynaset(
                 u"SELECT COLUMN_NAME, NUM_DISTINCT, NUM_NULLS, LOW_VALUE, HIGH_VALUE, HISTOGRAM, NUM_BUCKETS, "
                 u"SAMPLE_SIZE FROM USER_TAB_COL_STATISTICS WHERE TABLE_NAME = "_s + quoted,
                 0);
             !rows->IsEOF(); rows->MoveNext()) {
            const auto column = std::find_if(columns.begin(), columns.end(), [&](const ColumnStatistics& c) {
                return c.name == rows->Value(0).toString();
            });
            if (column == columns.end())
                continue;
            analyzed = true;
            column->numDistinct = Number(rows->Value(1));
            column->numNulls = Number(rows->Value(2));
            column->low = Raw(rows->Value(3));
            column->high = Raw(rows->Value(4));
            column->histogram = rows->Value(5).toString();
            column->numBuckets = Number(rows->Value(6));
            column->sampleSize = Number(rows->Value(7));
        }
        if (!analyzed && !columns.empty())
            return refuse(advice());
        for (std::unique_ptr<OraDynaset> rows = database.DBCreateDynaset(
                 u"SELECT COLUMN_NAME, ENDPOINT_NUMBER, ENDPOINT_VALUE, ENDPOINT_ACTUAL_VALUE, "
                 u"ENDPOINT_REPEAT_COUNT FROM USER_HISTOGRAMS WHERE TABLE_NAME = "_s + quoted +
                     u" ORDER BY COLUMN_NAME, ENDPOINT_NUMBER"_s,
                 0);
             !rows->IsEOF(); rows->MoveNext()) {
            HistogramEndpoint endpoint;
            endpoint.number = Number(rows->Value(1));
            if (!rows->Value(2).isNull())
                endpoint.value = rows->Value(2).toDouble();
            endpoint.actual = rows->Value(3).isNull() ? QString() : rows->Value(3).toString();
            endpoint.repeat = Number(rows->Value(4));
            endpoints[rows->Value(0).toString()].push_back(endpoint);
        }
        // The foreign keys, with the children per parent the statistics give:
        // an average only, around which a run draws them evenly.
        profile.parents = ChildrenPerParentOf(database, name, false);
    } catch (const OraError& error) {
        return refuse(advice() + u" ("_s + error.message() + u')');
    }
    // The texts the statistics know (the endpoints' and the bounds' values)
    // tell a personal column by its values, as the rows read would.
    for (const ColumnStatistics& column : columns) {
        profile.columns.push_back(ColumnFromStatistics(column, endpoints.value(column.name), double(profile.rows)));
        QStringList seen;
        if (profile.columns.back().family == ColumnProfile::Family::Text) {
            for (const ColumnProfile::Frequent& value : profile.columns.back().frequent)
                seen << value.value;
            for (const QByteArray& bound : {column.low, column.high})
                if (!bound.isEmpty())
                    seen << oraclebytes::Text(bound, true);
        }
        profile.seen.push_back(seen);
    }
    return profile;
}

}  // namespace generate
