#include "generate/DistributionDraws.h"

#include "generate/ColumnProfile.h"
#include "generate/InsertRow.h"
#include "generate/JapaneseDictionary.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "shared/DateText.h"
#include "shared/NumberRead.h"
#include "shared/NumberText.h"
#include "shared/RandomSequence.h"
#include "shared/SeededDraws.h"

#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

// A number's text within NUMBER(precision, scale): one with more whole
// digits than the column holds becomes the largest it holds, of its sign,
// digit for digit (doubles cannot tell 10^38 from 10^38 - 1). Texts of
// other forms, and columns of no precision, are left as they are.
QString FitPrecision(const QString& text, int precision, int scale)
{
    if (precision <= 0)
        return text;
    if (text.contains(u'E', Qt::CaseInsensitive)) {
        const double value = text.toDouble();
        if (std::isfinite(value) && value == std::floor(value) && std::abs(value) < 1e40)
            return FitPrecision(QString::asprintf("%.0f", value), precision, scale);
        return text;
    }
    const bool negative = text.startsWith(u'-');
    QStringView digits = QStringView(text).mid(negative || text.startsWith(u'+') ? 1 : 0).trimmed();
    const qsizetype point = digits.indexOf(u'.');
    QStringView whole = point < 0 ? digits : digits.left(point);
    while (whole.size() > 1 && whole.front() == u'0')
        whole = whole.mid(1);
    if (whole.isEmpty() || std::any_of(whole.begin(), whole.end(), [](QChar c) { return !c.isDigit(); })
        || whole.size() <= precision - scale)
        return text;
    QString largest = precision - scale > 0 ? QString(precision - scale, u'9') : u"0"_s;
    if (scale > 0)
        largest += u'.' + QString(scale, u'9');
    else if (scale < 0)
        largest = QString(precision, u'9') + QString(-scale, u'0');
    return (negative ? u"-"_s : QString()) + largest;
}

using Family = ColumnProfile::Family;
constexpr double Day = 86400.0;

// The characters a made text takes for each class, and for each shape letter.
const QString Digits = u"0123456789"_s;
const QString Capitals = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"_s;
const QString Smalls = u"abcdefghijklmnopqrstuvwxyz"_s;
const QString Latin = Capitals + Smalls;
const QString Hiragana = u"あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"_s;
const QString Katakana = u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン"_s;
const QString Kanji = u"山田川本中村小林高橋佐藤伊東京大阪木森花子一郎太次市区町村県都府道北南西上下新井石原"_s;
const QString Symbols = u"-_.,/()#&+"_s;

QChar Pick(const QString& pool, double r)
{
    return pool[std::min<qsizetype>(pool.size() - 1, qsizetype(r * double(pool.size())))];
}

// The index of the entry of running totals `totals` that `r` (0 to the last
// total) falls in.
std::size_t Among(const std::vector<double>& totals, double r)
{
    const auto at = std::upper_bound(totals.begin(), totals.end(), r);
    return std::min<std::size_t>(std::size_t(at - totals.begin()), totals.size() - 1);
}

// The draws of a text made from its index: a stream of 64-bit values keyed
// by the column, the bucket and the index. One value serves two picks.
class TextBits {
public:
    explicit TextBits(std::uint64_t key) : m_state(key) {}
    std::uint64_t Next()
    {
        std::uint64_t z = m_state += 0x9E3779B97F4A7C15ULL;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // The high and the low 32 bits of a value as draws in [0, 1).
    static double High(std::uint64_t bits) { return double(bits >> 32) * 0x1.0p-32; }
    static double Low(std::uint64_t bits) { return double(bits & 0xFFFFFFFFULL) * 0x1.0p-32; }
    double Unit() { return High(Next()); }

private:
    std::uint64_t m_state;
};

std::vector<double> Running(const std::vector<double>& weights)
{
    std::vector<double> totals;
    double sum = 0;
    for (const double w : weights)
        totals.push_back(sum += std::max(w, 0.0));
    return totals;
}

}  // namespace

struct DistributionDraws::Column {
    const ColumnProfile* profile = nullptr;
    Family family = Family::Text;
    LengthMeasure measure;
    int precision = 0;
    int scale = 0;
    bool days = false;  // dates: every bound at midnight
    std::uint64_t key = 0;

    // The column's own values: NULL with `nullChance`, else the frequent
    // values (their entries) and then the buckets, by running weight.
    double nullChance = 0;
    std::vector<QString> frequent;
    std::vector<ColumnProfile::Bucket> buckets;
    std::vector<double> totals;
    // Texts: per bucket the shapes of each length they take, the chance that
    // a text of that length takes one of them and the shapes' running weights.
    struct LengthShapes {
        int length = 0;
        double chance = 0;
        std::vector<double> totals;
        std::vector<QString> shapes;
    };
    std::vector<std::vector<LengthShapes>> shapes;
    std::array<double, CharacterClassCount> classTotals{};
    // A personal column's dictionary (its place in DictionaryNames) and count.
    int dictionary = -1;
    double dictionaryCount = 0;
    // Per bucket, how many values its draws pick among (PlanRows); none:
    // the bucket's distinct count.
    std::vector<double> spread;

    // The leading column of a pair: the joint values' running shares and
    // entries of both columns; the row whose pair value was drawn last.
    std::vector<double> pairTotals;
    std::vector<QString> mine, theirs;
    qint64 pairRow = -1;
    int pairIndex = -1;
    // The other column of a pair: the leading column's number.
    int leader = 0;

    // The entry of a value text of the profile (a frequent or pair value).
    QString Entry(const QString& text) const
    {
        switch (family) {
        case Family::Number:
            return basKovaData::IsNumericText(text) ? u'@' + FitPrecision(text.trimmed(), precision, scale)
                                                    : DataEntry(text);
        case Family::Date:
            return u'@' + basKovaData::SqlDate(basKovaData::PadDateText(text));
        case Family::Text:
            break;
        }
        return DataEntry(measure.Fit(text));
    }
};

DistributionDraws::DistributionDraws(const basKovaData::TableRules& rules,
                                     const std::function<LengthMeasure(int)>& measureOf, ColumnDraw draw,
                                     ColumnDraw pairDraw, std::uint64_t key)
    : m_draw(std::move(draw)), m_pairDraw(std::move(pairDraw))
{
    m_columns.resize(std::size_t(std::max(rules.count(), 0)) + 1);
    for (int j = 1; j <= rules.count(); ++j) {
        const basKovaData::ColumnRule& rule = rules[j];
        const basKovaData::TypeFamily type = rule.family();
        const basKovaData::Kind kind = type == basKovaData::TypeFamily::Date ? rule.storedKind() : rule.kind();
        if (kind != basKovaData::Kind::Distribution || !rule.Distribution || type == basKovaData::TypeFamily::Other)
            continue;
        auto column = std::make_unique<Column>();
        const ColumnProfile& profile = *rule.Distribution;
        column->profile = &profile;
        column->family = ProfileFamily(type);
        if (column->family == Family::Text)
            column->measure = measureOf(j);
        column->precision = rule.Length;
        column->scale = rule.Scale;
        column->key = basKovaData::StreamKey(key, rules.table, rule.ColumnName.trimmed());
        for (const auto& value : profile.frequent)
            column->frequent.push_back(column->Entry(value.value));
        column->buckets = profile.buckets;
        if (!profile.dictionary.isEmpty()) {
            column->dictionary = int(basKovaData::DictionaryNames().indexOf(profile.dictionary));
            column->dictionaryCount = profile.distinct >= 1 ? std::floor(profile.distinct)
                                                            : DictionaryRow::DistinctCount(column->dictionary);
        }
        m_columns[std::size_t(j)] = std::move(column);
    }
    // Pairs: the leading column keeps the joint values, the other names it.
    for (int j = 1; j <= rules.count(); ++j) {
        Column* column = m_columns[std::size_t(j)].get();
        if (!column || column->profile->follows.isEmpty())
            continue;
        for (int l = 1; l <= rules.count(); ++l) {
            const Column* lead = m_columns[std::size_t(l)].get();
            if (l != j && lead && lead->profile->pair
                && rules[l].ColumnName.trimmed().compare(column->profile->follows, Qt::CaseInsensitive) == 0
                && lead->profile->pair->column.compare(rules[j].ColumnName.trimmed(), Qt::CaseInsensitive) == 0)
                column->leader = l;
        }
    }
    for (std::size_t j = 1; j < m_columns.size(); ++j) {
        Column* column = m_columns[j].get();
        if (!column)
            continue;
        const ColumnProfile& profile = *column->profile;
        Column* lead = column->leader ? m_columns[std::size_t(column->leader)].get() : column;
        const bool paired = lead->profile->pair.has_value();
        double pairShare = 0;
        std::vector<double> weights;
        for (const auto& value : profile.frequent)
            weights.push_back(value.share);
        if (paired) {
            // The pair's values take their share of the column's frequent values.
            for (const auto& value : lead->profile->pair->values) {
                pairShare += value.share;
                const QString& own = lead == column ? value.mine : value.theirs;
                for (std::size_t f = 0; f < profile.frequent.size(); ++f)
                    if (profile.frequent[f].value == own)
                        weights[f] -= value.share;
            }
            if (lead == column) {
                std::vector<double> shares;
                for (const auto& value : profile.pair->values) {
                    shares.push_back(value.share);
                    column->mine.push_back(column->Entry(value.mine));
                    column->theirs.push_back(value.theirs);
                }
                column->pairTotals = Running(shares);
            }
        }
        for (const auto& bucket : profile.buckets)
            weights.push_back(bucket.share);
        // No list at all: the values from the smallest to the largest.
        if (std::all_of(weights.begin(), weights.end(), [](double w) { return w <= 0; }) && profile.nulls < 1
            && profile.distinct >= 1 && column->dictionary < 0) {
            const double low = profile.low.value_or(column->family == Family::Text ? 1.0 : 0.0);
            const double high =
                profile.high.value_or(column->family == Family::Number ? low + profile.distinct - 1 : low);
            column->buckets.push_back({low, std::max(low, high), 1.0 - profile.nulls, profile.distinct});
            weights.push_back(1.0 - profile.nulls);
        }
        column->totals = Running(weights);
        const double rest = column->totals.empty() ? 0.0 : column->totals.back();
        if (paired) {
            const double others = 1.0 - pairShare;
            column->nullChance = others > 0 ? std::min(1.0, profile.nulls / others) : 1.0;
        } else {
            column->nullChance = profile.nulls + rest > 0 ? profile.nulls / (profile.nulls + rest) : 1.0;
        }
        if (column->dictionary >= 0)
            column->nullChance = std::min(1.0, profile.nulls);
        if (rest <= 0 && column->dictionary < 0)
            column->nullChance = 1.0;
        if (column->family == Family::Date) {
            bool midnight = true;
            const auto at = [&](double s) { midnight = midnight && std::fmod(s, Day) == 0; };
            for (const auto& bucket : column->buckets) {
                at(bucket.low);
                at(bucket.high);
            }
            column->days = midnight;
        }
        if (column->family == Family::Text) {
            // Each shape's share goes to the buckets that hold its length, by
            // their shares; within a bucket, to the texts of its length.
            const std::size_t count = column->buckets.size();
            column->shapes.assign(count, {});
            for (const auto& shape : profile.shapes) {
                const int length = int(shape.shape.size());
                const auto holds = [length](const ColumnProfile::Bucket& bucket) {
                    return bucket.share > 0 && std::round(bucket.low) <= length && length <= std::round(bucket.high);
                };
                double holding = 0;
                for (const auto& bucket : column->buckets)
                    holding += holds(bucket) ? bucket.share : 0.0;
                for (std::size_t b = 0; b < count; ++b) {
                    const auto& bucket = column->buckets[b];
                    if (!holds(bucket))
                        continue;
                    const double lengths = std::round(bucket.high) - std::max(1.0, std::round(bucket.low)) + 1;
                    const double share = shape.share * bucket.share / holding;
                    auto& byLength = column->shapes[b];
                    auto at = std::find_if(byLength.begin(), byLength.end(),
                                           [length](const auto& entry) { return entry.length == length; });
                    if (at == byLength.end())
                        at = byLength.insert(byLength.end(), Column::LengthShapes{length, 0.0, {}, {}});
                    at->chance = std::min(1.0, at->chance + share / (bucket.share / std::max(lengths, 1.0)));
                    at->totals.push_back((at->totals.empty() ? 0.0 : at->totals.back()) + share);
                    at->shapes.push_back(shape.shape);
                }
            }
            std::array<double, CharacterClassCount> classes = profile.classes;
            if (std::all_of(classes.begin(), classes.end(), [](double c) { return c <= 0; }))
                classes[std::size_t(CharacterClass::Latin)] = 1;
            double sum = 0;
            for (int c = 0; c < CharacterClassCount; ++c)
                column->classTotals[std::size_t(c)] = sum += std::max(classes[std::size_t(c)], 0.0);
        }
    }
}

DistributionDraws::~DistributionDraws() = default;

int DistributionDraws::PairIndex(Column& leader, int column, qint64 row)
{
    if (leader.pairTotals.empty())
        return -1;
    if (leader.pairRow != row) {
        leader.pairRow = row;
        const double r = m_pairDraw(column);
        leader.pairIndex = r < leader.pairTotals.back() ? int(Among(leader.pairTotals, r)) : -1;
    }
    return leader.pairIndex;
}

QString DistributionDraws::Value(int column, qint64 row)
{
    if (column < 1 || std::size_t(column) >= m_columns.size() || !m_columns[std::size_t(column)])
        return QString();
    Column& own = *m_columns[std::size_t(column)];
    const int lead = own.leader ? own.leader : column;
    Column& leader = *m_columns[std::size_t(lead)];
    if (const int pair = PairIndex(leader, lead, row); pair >= 0)
        return &leader == &own ? own.mine[std::size_t(pair)] : own.Entry(leader.theirs[std::size_t(pair)]);
    return OwnValue(own, column);
}

QString DistributionDraws::OwnValue(Column& column, int number)
{
    const double r = m_draw(number);
    if (r < column.nullChance)
        return u"@NULL"_s;
    if (column.dictionary >= 0) {
        // One of as many dictionary values as the profile counts: the value
        // of index k is made from k's own draws.
        const double k = std::floor(m_draw(number) * column.dictionaryCount);
        DictionaryRow dictionary;
        int own = 0;
        dictionary.draw = [&](DictionaryRow::Part part, int index) {
            const int at = part == DictionaryRow::Part::Own ? own++ : index;
            return basKovaData::SeededDraw(column.key, std::uint64_t(k), std::uint32_t(at * 3 + int(part)));
        };
        QString value = dictionary.value(column.dictionary);
        if (column.profile->high && *column.profile->high >= 1)
            value = value.left(qsizetype(*column.profile->high));
        return DataEntry(column.measure.Fit(value));
    }
    // The rest of the draw picks among the values.
    const double pick = (r - column.nullChance) / (1.0 - column.nullChance) * column.totals.back();
    const std::size_t at = Among(column.totals, pick);
    if (at < column.frequent.size())
        return column.frequent[at];
    return BucketValue(column, number, at - column.frequent.size());
}

double DrawSpread(double distinct, double n)
{
    const double wanted = std::max(1.0, std::round(distinct));
    if (n <= wanted * 1.02)
        return 1e15;
    double low = wanted;
    double high = 1e15;
    for (int i = 0; i < 200 && high - low > 0.5; ++i) {
        const double m = low < 1e7 ? (low + high) / 2 : std::sqrt(low * high);
        (m * -std::expm1(-n / m) < wanted ? low : high) = m;
    }
    return std::round(high);
}

void DistributionDraws::PlanRows(qint64 rows)
{
    for (const std::unique_ptr<Column>& column : m_columns) {
        if (!column)
            continue;
        column->spread.clear();
        // A bucket holds no more values than the column's grid gives it
        // between its bounds (its scale; days or seconds): what it cannot
        // hold of its distinct count goes to the buckets that have room, by
        // their own counts, so that the column keeps its count.
        std::vector<double> wanted, room;
        for (const ColumnProfile::Bucket& bucket : column->buckets) {
            wanted.push_back(std::max(1.0, std::round(bucket.distinct)));
            double grid = 1e15;
            if (column->family == Family::Number && column->precision > 0)
                grid = std::floor((bucket.high - bucket.low) * std::pow(10.0, column->scale) + 1e-6) + 1.0;
            else if (column->family == Family::Date)
                grid = std::floor((bucket.high - bucket.low) / (column->days ? Day : 1.0) + 1e-6) + 1.0;
            room.push_back(std::max(grid, 1.0));
        }
        for (int pass = 0; pass < 3; ++pass) {
            double excess = 0.0, open = 0.0;
            for (std::size_t b = 0; b < wanted.size(); ++b) {
                if (wanted[b] > room[b]) {
                    excess += wanted[b] - room[b];
                    wanted[b] = room[b];
                } else if (wanted[b] < room[b]) {
                    open += wanted[b];
                }
            }
            if (excess < 1.0 || open <= 0.0)
                break;
            for (std::size_t b = 0; b < wanted.size(); ++b)
                if (wanted[b] < room[b])
                    wanted[b] += excess * wanted[b] / open;
        }
        for (std::size_t b = 0; b < column->buckets.size(); ++b)
            column->spread.push_back(DrawSpread(wanted[b], double(rows) * column->buckets[b].share));
        if (column->dictionary >= 0 && column->profile->distinct >= 1)
            column->dictionaryCount = DrawSpread(column->profile->distinct, double(rows) * (1.0 - column->profile->nulls));
    }
}

QString DistributionDraws::BucketValue(Column& column, int number, std::size_t b)
{
    const ColumnProfile::Bucket& bucket = column.buckets[b];
    const double count = b < column.spread.size() ? column.spread[b] : std::max(1.0, std::round(bucket.distinct));
    const double k = std::min(count - 1, std::floor(m_draw(number) * count));
    const double step = count > 1 ? (bucket.high - bucket.low) / (count - 1) : 0.0;
    switch (column.family) {
    case Family::Number: {
        double value = bucket.low + step * k;
        bool whole = false;
        bool stepped = true;  // whole numbers step by 1: no coarser scale, no bound reached
        if (column.precision > 0) {
            const double unit = std::pow(10.0, -column.scale);
            value = std::round(value / unit) * unit;
            const double largest = std::pow(10.0, column.precision - column.scale) - unit;
            stepped = column.scale == 0 && std::abs(value) < largest;
            value = std::clamp(value, -largest, largest);
            whole = column.scale <= 0;
        } else if (bucket.low == std::floor(bucket.low) && bucket.high == std::floor(bucket.high)) {
            value = std::round(value);
            whole = true;
        }
        // A whole number past a double's 15 exact digits is written with
        // every digit, not in the exponent form; within 64 bits it is made
        // as a whole number, so that steps finer than a double's keep apart.
        if (whole && std::abs(value) >= 1e15) {
            constexpr double Bits63 = 9.2e18;
            if (stepped && std::abs(bucket.low) < Bits63 && std::abs(value) < Bits63 && std::abs(step * k) < 9e15)
                return u"@ "_s.left(value < 0 ? 1 : 2)
                       + QString::number(std::llround(bucket.low) + std::llround(step * k));
            return u'@' + FitPrecision(QString::asprintf("% .0f", value), column.precision, column.scale);
        }
        // Made without a precision: 12 significant digits, so that the steps
        // between values leave no trace of binary fractions (0.0007, not
        // 0.000699999999999999).
        if (column.precision <= 0 && value != 0.0 && std::isfinite(value)) {
            const double digits = std::pow(10.0, 11.0 - std::floor(std::log10(std::abs(value))));
            if (std::isfinite(digits) && std::isfinite(value * digits))
                value = std::round(value * digits) / digits;
        }
        return basKovaData::SqlNumberText(value);
    }
    case Family::Date: {
        double seconds = column.days ? bucket.low + std::round(step * k / Day) * Day : std::round(bucket.low + step * k);
        return u'@' + basKovaData::SqlDate(DateBoundText(seconds));
    }
    case Family::Text:
        break;
    }
    // A text made from its index alone: its length, shape and characters.
    TextBits bits(column.key ^ (std::uint64_t(b) * 0xD1B54A32D192ED03ULL) ^ (std::uint64_t(k) * 0x632BE59BD9B4E019ULL));
    bits.Next();
    // No text longer than the column takes is made (a hand-written bucket may
    // ask for millions of characters).
    const double longest = column.precision > 0 ? double(column.precision) : 4000.0;
    const double low = std::clamp(std::round(bucket.low), 1.0, longest);
    const double high = std::clamp(std::round(bucket.high), low, longest);
    const qsizetype length = qsizetype(low + std::min(high - low, std::floor(bits.Unit() * (high - low + 1))));
    QString text;
    text.reserve(length);
    const auto& byLength = column.shapes[b];
    const auto shapes = std::find_if(byLength.begin(), byLength.end(),
                                     [length](const auto& entry) { return entry.length == length; });
    if (shapes != byLength.end() && bits.Unit() < shapes->chance) {
        const QString& shape = shapes->shapes[Among(shapes->totals, bits.Unit() * shapes->totals.back())];
        for (const QChar c : shape) {
            const double r = bits.Unit();
            text += c == u'9' ? Pick(Digits, r)
                    : c == u'A' ? Pick(Capitals, r)
                    : c == u'a' ? Pick(Smalls, r)
                    : c == u'あ' ? Pick(Hiragana, r)
                    : c == u'ア' ? Pick(Katakana, r)
                    : c == u'漢' ? Pick(Kanji, r)
                                 : c;
        }
    } else {
        const auto& totals = column.classTotals;
        for (qsizetype i = 0; i < length; ++i) {
            const std::uint64_t draw = bits.Next();
            auto cls = CharacterClass(std::min<std::size_t>(
                std::size_t(std::upper_bound(totals.begin(), totals.end(), TextBits::High(draw) * totals.back())
                            - totals.begin()),
                CharacterClassCount - 1));
            // A blank neither starts nor ends a text: it would be trimmed away.
            if (cls == CharacterClass::Blank && (i == 0 || i == length - 1))
                cls = CharacterClass::Latin;
            const double r = TextBits::Low(draw);
            switch (cls) {
            case CharacterClass::Digit: text += Pick(Digits, r); break;
            case CharacterClass::Latin: text += Pick(Latin, r); break;
            case CharacterClass::Kana: text += Pick(r < 0.5 ? Hiragana : Katakana, r * 2 - std::floor(r * 2)); break;
            case CharacterClass::Kanji: text += Pick(Kanji, r); break;
            case CharacterClass::Blank: text += u' '; break;
            case CharacterClass::Symbol: text += Pick(Symbols, r); break;
            }
        }
    }
    return DataEntry(column.measure.Fit(text));
}

}  // namespace generate

namespace generate {

QString ValueGenerator::DistributionValue(int column)
{
    if (!m_distribution) {
        const std::optional<std::uint64_t> seed = m_rules.seed;
        const auto measureOf = [this](int j) {
            LengthMeasure measure = MeasureOf(m_rules[j], m_database);
            measure.utf8 = measure.utf8 || m_utf8;
            return measure;
        };
        // A pair's joint value comes from a stream of the pair's own, so
        // that whichever of its columns asks first, the row gets the same one.
        const auto pairDraw = [this, seed](int leader) {
            if (!seed)
                return double(basKovaData::NextRandom());
            const QString name = m_rules[leader].ColumnName.trimmed() + u"\x1fpair"_s;
            const std::uint64_t stream = basKovaData::StreamKey(*seed, m_rules.table, name);
            return basKovaData::SeededDraw(stream, std::uint64_t(std::max<qint64>(m_row, 0)), 0);
        };
        m_distribution = std::make_unique<DistributionDraws>(
            m_rules, measureOf, [this](int j) { return Draw(j); }, pairDraw, seed.value_or(0));
        if (m_plannedRows > 0)
            m_distribution->PlanRows(m_plannedRows);
    }
    return m_distribution->Value(column, m_row);
}

void ValueGenerator::PlanRows(qint64 rows)
{
    m_plannedRows = rows;
    if (m_distribution)
        m_distribution->PlanRows(rows);
}

}  // namespace generate
