#include "generate/ProfilePrivacy.h"
#include "rules/ColumnRule.h"

#include "shared/DateText.h"
#include "shared/NumberRead.h"

#include <QDateTime>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <random>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

using Family = ColumnProfile::Family;

// A value's place on its column's scale: a number, seconds, a text's length.
std::optional<double> Key(const QString& value, Family family)
{
    switch (family) {
    case Family::Number:
        if (!basKovaData::IsNumericText(value))
            return std::nullopt;
        return basKovaData::ReadNumber(value);
    case Family::Date:
        return DateBoundSeconds(value);
    case Family::Text:
        break;
    }
    return double(value.size());
}

// Moves the rows of frequent values left behind into the buckets, spread by
// the buckets' shares, or into one bucket from the lowest to the highest
// value; each such value adds one distinct value to the buckets.
void IntoBuckets(ColumnProfile& column, const std::vector<ColumnProfile::Frequent>& dropped)
{
    double share = 0.0;
    std::optional<double> low = column.low, high = column.high;
    for (const ColumnProfile::Frequent& value : dropped) {
        share += value.share;
        if (const std::optional<double> key = Key(value.value, column.family)) {
            low = std::min(low.value_or(*key), *key);
            high = std::max(high.value_or(*key), *key);
        }
    }
    if (dropped.empty())
        return;
    const double values = double(dropped.size());
    double held = 0.0;
    for (const ColumnProfile::Bucket& bucket : column.buckets)
        held += bucket.share;
    if (column.buckets.empty() || !(held > 0.0)) {
        if (!low)
            return;  // nowhere to put them: their rows are no value's (a column of no known value)
        column.buckets = {{*low, *high, std::min(held + share, 1.0), std::max(values, 1.0)}};
        column.low = low;
        column.high = high;
        return;
    }
    for (ColumnProfile::Bucket& bucket : column.buckets) {
        const double part = bucket.share / held;
        bucket.share = std::min(bucket.share + share * part, 1.0);
        bucket.distinct += values * part;
    }
    // Texts: a value left behind may be shorter or longer than any other; the
    // shortest and the longest bucket reach its length.
    if (column.family == Family::Text && low) {
        const auto byLow = [](const auto& a, const auto& b) { return a.low < b.low; };
        const auto byHigh = [](const auto& a, const auto& b) { return a.high < b.high; };
        auto& shortest = *std::min_element(column.buckets.begin(), column.buckets.end(), byLow);
        shortest.low = std::min(shortest.low, *low);
        auto& longest = *std::max_element(column.buckets.begin(), column.buckets.end(), byHigh);
        longest.high = std::max(longest.high, *high);
        column.low = std::min(column.low.value_or(*low), *low);
        column.high = std::max(column.high.value_or(*high), *high);
    }
}

// Numbers and dates left behind by a column that had no buckets (every
// value was frequent): buckets of neighbouring values in value order, each
// holding at least `least` of the rows, so that their spread stays without
// any bucket telling one rare value.
bool GroupedIntoBuckets(ColumnProfile& column, std::vector<ColumnProfile::Frequent> dropped, double least)
{
    if (column.family == Family::Text || !column.buckets.empty() || dropped.size() < 2 || !(least > 0.0))
        return false;
    std::vector<std::pair<double, double>> keyed;  // value, share
    for (const ColumnProfile::Frequent& value : dropped)
        if (const std::optional<double> key = Key(value.value, column.family))
            keyed.emplace_back(*key, value.share);
    if (keyed.size() != dropped.size())
        return false;
    std::sort(keyed.begin(), keyed.end());
    // Wide enough groups that at most MaxProfileBuckets are made.
    double total = 0.0;
    for (const auto& value : keyed)
        total += value.second;
    least = std::max(least, total / double(MaxProfileBuckets));
    std::vector<ColumnProfile::Bucket> buckets;
    for (std::size_t i = 0; i < keyed.size();) {
        ColumnProfile::Bucket bucket{keyed[i].first, keyed[i].first, 0.0, 0.0};
        for (; i < keyed.size() && (bucket.share < least || bucket.distinct < 2); ++i) {
            bucket.high = keyed[i].first;
            bucket.share += keyed[i].second;
            bucket.distinct += 1.0;
        }
        buckets.push_back(bucket);
    }
    // A last group short of its rows joins the one before it.
    if (buckets.size() > 1 && (buckets.back().share < least || buckets.back().distinct < 2)) {
        buckets[buckets.size() - 2].high = buckets.back().high;
        buckets[buckets.size() - 2].share += buckets.back().share;
        buckets[buckets.size() - 2].distinct += buckets.back().distinct;
        buckets.pop_back();
    }
    column.buckets = buckets;
    column.low = std::min(column.low.value_or(keyed.front().first), keyed.front().first);
    column.high = std::max(column.high.value_or(keyed.back().first), keyed.back().first);
    return true;
}

// Keeps the frequent values `keep` says, moving the others into the buckets
// (into buckets of their own of at least `least` of the rows, above).
template <typename Keep>
void KeepFrequent(ColumnProfile& column, Keep keep, double least = 0.0)
{
    std::vector<ColumnProfile::Frequent> kept, dropped;
    for (const ColumnProfile::Frequent& value : column.frequent)
        (keep(value) ? kept : dropped).push_back(value);
    column.frequent = kept;
    if (!GroupedIntoBuckets(column, dropped, least))
        IntoBuckets(column, dropped);
}

// Another character of the same class (and width) as `c`, never `c` itself.
QChar OtherOfClass(QChar c, std::mt19937& random)
{
    static const QString hiragana = u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"_s;
    static const QString katakana = u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン"_s;
    static const QString halfKatakana = u"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝ"_s;
    static const QString kanji = u"山川田中本木林森石原村野上下大小高長東西南北春夏秋冬花竹松梅水火土金日月"_s;
    const auto pick = [&](QStringView from) {
        for (;;) {
            const QChar other = from[qsizetype(random() % std::uint32_t(from.size()))];
            if (other != c)
                return other;
        }
    };
    const auto range = [&](char16_t first, char16_t last) {
        for (;;) {
            const QChar other(char16_t(first + random() % std::uint32_t(last - first + 1)));
            if (other != c)
                return other;
        }
    };
    const char16_t u = c.unicode();
    switch (ClassOf(c)) {
    case CharacterClass::Digit:
        return u <= u'9' ? range(u'0', u'9') : range(u'０', u'９');
    case CharacterClass::Latin:
        if (u >= u'A' && u <= u'Z')
            return range(u'A', u'Z');
        if (u >= u'a' && u <= u'z')
            return range(u'a', u'z');
        return u >= u'Ａ' && u <= u'Ｚ' ? range(u'Ａ', u'Ｚ') : range(u'ａ', u'ｚ');
    case CharacterClass::Kana:
        if (u >= 0x3041 && u <= 0x309F)
            return pick(hiragana);
        return u >= 0xFF66 ? pick(halfKatakana) : pick(katakana);
    case CharacterClass::Kanji:
        return pick(kanji);
    case CharacterClass::Blank:
    case CharacterClass::Symbol:
        break;
    }
    return c;
}

// Values of the same shape as the source's, none of them a source value.
class Synthetic {
public:
    explicit Synthetic(QSet<QString> source) : m_source(std::move(source)), m_random(20240601u) {}

    // The synthetic value of `value` in the column named `column`; none when
    // no value of its shape is left.
    std::optional<QString> of(const QString& column, Family family, const QString& value)
    {
        const QString key = column.toUpper() + u'\x1f' + value;
        if (const auto found = m_made.constFind(key); found != m_made.constEnd())
            return *found;
        QSet<QString>& used = m_used[column.toUpper()];
        for (int attempt = 0; attempt < 64; ++attempt) {
            const std::optional<QString> made = make(family, value);
            if (made && !m_source.contains(*made) && !used.contains(*made)) {
                used.insert(*made);
                m_made.insert(key, *made);
                return made;
            }
        }
        return std::nullopt;
    }

private:
    std::optional<QString> make(Family family, const QString& value)
    {
        if (family == Family::Date) {
            const std::optional<double> seconds = DateBoundSeconds(value);
            if (!seconds)
                return std::nullopt;
            const QDateTime at = QDateTime::fromSecsSinceEpoch(qint64(*seconds), Qt::UTC);
            const int days = at.date().daysInMonth();
            const int day = 1 + int(m_random() % std::uint32_t(days));
            return DateBoundText(double(QDateTime(QDate(at.date().year(), at.date().month(), day), at.time(), Qt::UTC)
                                            .toSecsSinceEpoch()));
        }
        QString made = value;
        if (family == Family::Number) {
            // The digits before an exponent; the first and last keep being no 0.
            const qsizetype end = std::max<qsizetype>(made.indexOf(u'E', 0, Qt::CaseInsensitive), -1);
            const qsizetype stop = end < 0 ? made.size() : end;
            qsizetype first = -1, last = -1;
            for (qsizetype i = 0; i < stop; ++i)
                if (made[i].isDigit()) {
                    if (first < 0 && made[i] != u'0')
                        first = i;
                    last = i;
                }
            const bool fraction = made.left(stop).contains(u'.');
            for (qsizetype i = 0; i < stop; ++i) {
                if (!made[i].isDigit() || i < first || first < 0)
                    continue;
                QChar digit = QChar(char16_t(u'0' + m_random() % 10u));
                if ((i == first || (i == last && fraction)) && digit == u'0')
                    digit = QChar(char16_t(u'1' + m_random() % 9u));
                made[i] = digit;
            }
            return basKovaData::IsNumericText(made) ? std::optional<QString>(made) : std::nullopt;
        }
        for (QChar& c : made)
            c = OtherOfClass(c, m_random);
        return made;
    }

    QSet<QString> m_source;
    QHash<QString, QString> m_made;
    QHash<QString, QSet<QString>> m_used;
    std::mt19937 m_random;
};

// A number to two significant digits.
double TwoDigits(double value)
{
    if (value == 0.0 || !std::isfinite(value))
        return value;
    const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(value))) - 1.0);
    return std::round(value / unit) * unit;
}

// The next step of two significant digits above `value`.
double TwoDigitsStep(double value, double scale)
{
    const double of = value != 0.0 ? std::fabs(value) : std::max(std::fabs(scale), 1.0);
    return std::pow(10.0, std::floor(std::log10(of)) - 1.0);
}

// The first second of the month of `seconds`, and of the month after.
double MonthOf(double seconds, int after = 0)
{
    const QDate day = QDateTime::fromSecsSinceEpoch(qint64(std::floor(seconds)), Qt::UTC).date();
    return double(QDateTime(QDate(day.year(), day.month(), 1).addMonths(after), QTime(0, 0), Qt::UTC)
                      .toSecsSinceEpoch());
}

void RoundBounds(ColumnProfile& column)
{
    if (column.family == Family::Text)
        return;
    const bool date = column.family == Family::Date;
    // A bound that rounding leaves as it was (a value of two digits, the
    // first of a month) would still be a source value: it moves one step
    // out, down for a low bound and up for a high one.
    const auto rounded = [&](double value, int outward) {
        const double near = date ? MonthOf(value) : TwoDigits(value);
        if (near != value)
            return near;
        return date ? MonthOf(value, outward) : value + outward * TwoDigitsStep(value, value);
    };
    const auto round = [&](double value) { return rounded(value, -1); };
    const auto roundUp = [&](double value) { return rounded(value, 1); };
    for (ColumnProfile::Bucket& bucket : column.buckets) {
        const bool single = bucket.low == bucket.high;
        const double high = bucket.high;
        bucket.low = round(bucket.low);
        bucket.high = roundUp(bucket.high);
        // A range that rounding closed opens to the next step again.
        if (bucket.high <= bucket.low && !single)
            bucket.high = date ? MonthOf(bucket.low, 1) : bucket.low + TwoDigitsStep(bucket.low, high);
        if (single)
            bucket.distinct = 1.0;
    }
    if (column.low)
        column.low = round(*column.low);
    if (column.high)
        column.high = roundUp(*column.high);
    for (const ColumnProfile::Bucket& bucket : column.buckets) {
        column.low = std::min(column.low.value_or(bucket.low), bucket.low);
        column.high = std::max(column.high.value_or(bucket.high), bucket.high);
    }
    if (column.low && column.high && *column.low > *column.high)
        std::swap(*column.low, *column.high);
}

ColumnProfile* Named(TableProfile& profile, const QString& name)
{
    return const_cast<ColumnProfile*>(profile.column(name));
}

// Both columns of a pair lose it.
void DropPair(TableProfile& profile, ColumnProfile& column)
{
    if (column.pair)
        if (ColumnProfile* partner = Named(profile, column.pair->column))
            partner->follows.clear();
    if (!column.follows.isEmpty())
        if (ColumnProfile* leader = Named(profile, column.follows))
            leader->pair.reset();
    column.pair.reset();
    column.follows.clear();
}

}  // namespace

void ApplyPrivacy(TableProfile& profile, const ProfileOptions& options)
{
    const double rows = double(profile.fromStatistics || profile.read <= 0 ? profile.rows : profile.read);
    // A share of at least k rows; a little room for shares written as decimals.
    const auto enough = [&](double share) { return share * rows + 1e-6 >= double(std::max(options.k, 1)); };
    const qsizetype count = std::min<qsizetype>(profile.columnNames.size(), qsizetype(profile.columns.size()));
    // Every value of the source the profile holds (those about to be left
    // behind too), so that no synthetic value is one of them.
    QSet<QString> source;
    if (options.noValues) {
        for (const ColumnProfile& column : profile.columns) {
            for (const ColumnProfile::Frequent& value : column.frequent)
                source.insert(value.value);
            if (column.pair)
                for (const ColumnProfile::PairValue& value : column.pair->values)
                    source << value.mine << value.theirs;
        }
        for (const QStringList& seen : profile.seen)
            for (const QString& value : seen)
                source.insert(value);
    }
    for (qsizetype i = 0; i < count; ++i) {
        ColumnProfile& column = profile.columns[std::size_t(i)];
        const QString& name = profile.columnNames[i];
        const bool marked = std::any_of(options.personal.begin(), options.personal.end(), [&](const QString& p) {
            return p.trimmed().compare(name, Qt::CaseInsensitive) == 0;
        });
        // The values say more than the name where they match a dictionary:
        // a TEL column of mobile numbers takes mobile numbers.
        std::optional<QString> dictionary = PersonalByName(name);
        if (column.family == Family::Text && std::size_t(i) < profile.seen.size())
            if (const std::optional<QString> byValues = PersonalByValues(profile.seen[std::size_t(i)]))
                dictionary = byValues;
        if (marked || dictionary || !column.dictionary.isEmpty()) {
            KeepFrequent(column, [](const ColumnProfile::Frequent&) { return false; });
            column.shapes.clear();
            column.classes = {};
            DropPair(profile, column);
            if (column.family == Family::Text && column.dictionary.isEmpty())
                column.dictionary = dictionary.value_or(basKovaData::DictionaryNames().at(2));
            if (column.family != Family::Text)
                column.dictionary.clear();
            continue;
        }
        KeepFrequent(
            column, [&](const ColumnProfile::Frequent& value) { return enough(value.share); },
            // With no values to copy, the bounds of such buckets would be values.
            rows > 0 && !options.noValues ? double(std::max(options.k, 1)) / rows : 0.0);
        std::erase_if(column.shapes, [&](const ColumnProfile::Shape& shape) { return !enough(shape.share); });
        if (column.pair)
            std::erase_if(column.pair->values,
                          [&](const ColumnProfile::PairValue& value) { return !enough(value.share); });
    }
    for (ColumnProfile& column : profile.columns)
        if (column.pair && column.pair->values.empty())
            DropPair(profile, column);
    if (options.noValues) {
        Synthetic synthetic(source);
        for (qsizetype i = 0; i < count; ++i) {
            ColumnProfile& column = profile.columns[std::size_t(i)];
            const QString& name = profile.columnNames[i];
            std::vector<ColumnProfile::Frequent> kept, dropped;
            for (ColumnProfile::Frequent value : column.frequent) {
                const std::optional<QString> made = synthetic.of(name, column.family, value.value);
                if (made) {
                    value.value = *made;
                    kept.push_back(value);
                } else {
                    dropped.push_back(value);
                }
            }
            column.frequent = kept;
            IntoBuckets(column, dropped);
            if (column.pair) {
                const ColumnProfile* partner = profile.column(column.pair->column);
                const Family theirs = partner ? partner->family : Family::Text;
                std::vector<ColumnProfile::PairValue> values;
                for (ColumnProfile::PairValue value : column.pair->values) {
                    const std::optional<QString> mine = synthetic.of(name, column.family, value.mine);
                    const std::optional<QString> other = synthetic.of(column.pair->column, theirs, value.theirs);
                    if (mine && other)
                        values.push_back({*mine, *other, value.share});
                }
                column.pair->values = values;
            }
            RoundBounds(column);
        }
        for (ColumnProfile& column : profile.columns)
            if (column.pair && column.pair->values.empty())
                DropPair(profile, column);
        // Shapes keep their symbols, which may be a value's own characters
        // in a text of no letters or digits: such a shape is a value.
        for (ColumnProfile& column : profile.columns)
            std::erase_if(column.shapes, [&](const ColumnProfile::Shape& shape) { return source.contains(shape.shape); });
    }
    for (QStringList& seen : profile.seen)
        seen.clear();
    profile.seen.clear();
}

}  // namespace generate
