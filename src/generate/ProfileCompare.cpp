#include "generate/ProfileCompare.h"

#include "shared/NumberRead.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

// Room for the rounding of shares: a figure equal to its limit is within it.
constexpr double Slack = 1e-9;

using Family = ColumnProfile::Family;

// Where a frequent value lies on the axis of the KS distance: its value for
// numbers and dates, its length in characters for texts.
double Position(const QString& value, Family family)
{
    switch (family) {
    case Family::Number:
        return basKovaData::ReadNumber(value);
    case Family::Date:
        return DateBoundSeconds(value).value_or(0.0);
    case Family::Text:
        break;
    }
    return double(QStringView(value).toUcs4().size());
}

// A share spread evenly from low to high (a point mass when they are equal).
struct Mass {
    double low = 0.0;
    double high = 0.0;
    double share = 0.0;
};

std::vector<Mass> Masses(const ColumnProfile& profile)
{
    std::vector<Mass> masses;
    for (const ColumnProfile::Frequent& value : profile.frequent) {
        const double at = Position(value.value, profile.family);
        masses.push_back({at, at, value.share});
    }
    for (const ColumnProfile::Bucket& bucket : profile.buckets)
        masses.push_back({bucket.low, bucket.high, bucket.share});
    return masses;
}

double Total(const std::vector<Mass>& masses)
{
    double total = 0.0;
    for (const Mass& mass : masses)
        total += mass.share;
    return total;
}

// The share of the masses at or below x (below x when `before`).
double Cdf(const std::vector<Mass>& masses, double x, bool before)
{
    double sum = 0.0;
    for (const Mass& mass : masses) {
        if (mass.high <= mass.low)
            sum += (before ? mass.low < x : mass.low <= x) ? mass.share : 0.0;
        else
            sum += mass.share * std::clamp((x - mass.low) / (mass.high - mass.low), 0.0, 1.0);
    }
    return sum;
}

// The KS distance of two sets of masses, each taken as a distribution.
double KsDistance(const std::vector<Mass>& source, const std::vector<Mass>& target)
{
    const double sourceTotal = Total(source);
    const double targetTotal = Total(target);
    if (sourceTotal <= 0.0 || targetTotal <= 0.0)
        return (sourceTotal <= 0.0) == (targetTotal <= 0.0) ? 0.0 : 1.0;
    std::vector<double> points;
    for (const auto* side : {&source, &target})
        for (const Mass& mass : *side) {
            points.push_back(mass.low);
            points.push_back(mass.high);
        }
    double distance = 0.0;
    for (const double x : points)
        for (const bool before : {false, true})
            distance = std::max(distance, std::abs(Cdf(source, x, before) / sourceTotal
                                                   - Cdf(target, x, before) / targetTotal));
    return std::min(distance, 1.0);
}

// The key a value is matched by across the sides: numbers and dates by value.
QString ValueKey(const QString& value, Family family)
{
    if (family == Family::Text)
        return value;
    return QString::number(Position(value, family), 'g', 17);
}

// The share of all rows a side gives `value` (frequent there, or its part of
// every bucket that holds it: buckets may overlap, as a wide one of the rows
// the statistics could not place lies over the others).
double ShareOf(const ColumnProfile& profile, const QString& key)
{
    for (const ColumnProfile::Frequent& value : profile.frequent)
        if (ValueKey(value.value, profile.family) == key)
            return value.share;
    if (profile.family == Family::Text)
        return 0.0;
    const double at = key.toDouble();
    double share = 0.0;
    for (const ColumnProfile::Bucket& bucket : profile.buckets)
        if (bucket.low <= at && at <= bucket.high)
            share += bucket.share / std::max(bucket.distinct, 1.0);
    return share;
}

Figure MakeFigure(FigureKind kind, double distance, double limit, double source = 0.0, double target = 0.0)
{
    Figure figure;
    figure.kind = kind;
    figure.source = source;
    figure.target = target;
    figure.distance = distance;
    figure.limit = limit;
    return figure;
}

// The notes of a comparison: the console's English, the windows' Japanese.
struct Notes {
    std::array<QString, 3> families;
    QString foreignKey, families2, notInTarget, notInSource, noTargetKey, noSourceKey, noCounts, source, target;
};
const Notes EnglishNotes{{u"number"_s, u"date"_s, u"text"_s},
                         u"a foreign key: its values are compared as children per parent"_s,
                         u"the source reads it as a %1, the target as a %2"_s,
                         u"not in the target's profile"_s,
                         u"not in the source's profile"_s,
                         u"the target has no children per parent for it"_s,
                         u"the source has no children per parent for it"_s,
                         u"no counts of children per parent on the %1 side"_s,
                         u"source"_s,
                         u"target"_s};
const Notes JapaneseNotes{{u"数値"_s, u"日付"_s, u"文字"_s},
                          u"外部キー：値は親ごとの子の数で比べます"_s,
                          u"元は%1、生成は%2として読みます"_s,
                          u"生成のプロファイルにありません"_s,
                          u"元のプロファイルにありません"_s,
                          u"生成にはこのキーの親ごとの子の数がありません"_s,
                          u"元にはこのキーの親ごとの子の数がありません"_s,
                          u"%1の側に親ごとの子の数がありません"_s,
                          u"元"_s,
                          u"生成"_s};

std::vector<Figure> ColumnFigures(const ColumnProfile& source, const ColumnProfile& target,
                                  const CompareLimits& limits)
{
    std::vector<Figure> figures;
    figures.push_back(MakeFigure(FigureKind::Nulls, NullPoints(source, target), limits.nullPoints, source.nulls,
                                 target.nulls));
    figures.push_back(MakeFigure(FigureKind::Distinct, DistinctDifference(source, target), limits.distinct,
                                 source.distinct, target.distinct));
    if (source.family != target.family)
        return figures;
    figures.push_back(MakeFigure(FigureKind::Frequent, FrequentDistance(source, target), limits.tvd));
    figures.push_back(MakeFigure(source.family == Family::Text ? FigureKind::Lengths : FigureKind::Values,
                                 ValueDistance(source, target), limits.ks));
    return figures;
}

// Whether `column` takes its values from a parent on either side: a run
// draws them from the parent's rows, so they are compared as children per
// parent, not by value.
bool ForeignKeyColumn(const QString& column, const TableProfile& source, const TableProfile& target)
{
    for (const TableProfile* side : {&source, &target})
        for (const ChildrenPerParent& key : side->parents)
            if (key.columns.contains(column, Qt::CaseInsensitive))
                return true;
    return false;
}

bool SameKey(const ChildrenPerParent& a, const ChildrenPerParent& b)
{
    if (a.parentTable.compare(b.parentTable, Qt::CaseInsensitive) != 0)
        return false;
    return a.columns.isEmpty() || b.columns.isEmpty()
           || a.columns.join(u',').compare(b.columns.join(u','), Qt::CaseInsensitive) == 0;
}

}  // namespace

bool Figure::past() const
{
    return distance > limit + Slack;
}

QString FigureName(FigureKind kind)
{
    switch (kind) {
    case FigureKind::Nulls:
        return u"NULL rate"_s;
    case FigureKind::Distinct:
        return u"distinct"_s;
    case FigureKind::Frequent:
        return u"frequent TVD"_s;
    case FigureKind::Values:
        return u"values KS"_s;
    case FigureKind::Lengths:
        return u"lengths KS"_s;
    case FigureKind::Children:
        break;
    }
    return u"children KS"_s;
}

double NullPoints(const ColumnProfile& source, const ColumnProfile& target)
{
    return std::abs(target.nulls - source.nulls) * 100.0;
}

double DistinctDifference(const ColumnProfile& source, const ColumnProfile& target)
{
    return std::abs(target.distinct - source.distinct) / std::max(source.distinct, 1.0);
}

double FrequentDistance(const ColumnProfile& source, const ColumnProfile& target)
{
    const double sourceRows = 1.0 - source.nulls;
    const double targetRows = 1.0 - target.nulls;
    if (sourceRows <= Slack || targetRows <= Slack)
        return (sourceRows <= Slack) == (targetRows <= Slack) ? 0.0 : 1.0;
    std::map<QString, bool> keys;
    for (const ColumnProfile* side : {&source, &target})
        for (const ColumnProfile::Frequent& value : side->frequent)
            keys[ValueKey(value.value, side->family)] = true;
    double sum = 0.0;
    double sourceOther = 1.0;
    double targetOther = 1.0;
    for (const auto& [key, unused] : keys) {
        const double p = ShareOf(source, key) / sourceRows;
        const double q = ShareOf(target, key) / targetRows;
        sum += std::abs(p - q);
        sourceOther -= p;
        targetOther -= q;
    }
    sum += std::abs(std::max(sourceOther, 0.0) - std::max(targetOther, 0.0));
    return std::min(sum / 2.0, 1.0);
}

double ValueDistance(const ColumnProfile& source, const ColumnProfile& target)
{
    return KsDistance(Masses(source), Masses(target));
}

double ChildrenDistance(const std::vector<ChildCount>& source, const std::vector<ChildCount>& target)
{
    // Whole numbers of children: a range [low, high] is the continuous spread
    // over [low - 1, high], whose CDF at each whole number is the discrete one's.
    const auto masses = [](const std::vector<ChildCount>& counts) {
        std::vector<Mass> list;
        for (const ChildCount& count : counts)
            list.push_back({double(count.low) - 1.0, double(count.high), count.share});
        return list;
    };
    return KsDistance(masses(source), masses(target));
}

QStringList TableComparison::past() const
{
    QStringList names;
    for (const ColumnComparison& column : columns)
        for (const Figure& figure : column.figures)
            if (figure.past())
                names << table + u'.' + column.column + u' ' + FigureName(figure.kind);
    for (const KeyComparison& key : keys)
        for (const Figure& figure : key.figures)
            if (figure.past())
                names << table + u" → "_s + key.parentTable + u' ' + FigureName(figure.kind);
    return names;
}

int TableComparison::figureCount() const
{
    int count = 0;
    for (const ColumnComparison& column : columns)
        count += int(column.figures.size());
    for (const KeyComparison& key : keys)
        count += int(key.figures.size());
    return count;
}

TableComparison CompareProfiles(const TableProfile& source, const TableProfile& target, const CompareLimits& limits,
                                bool japanese)
{
    const Notes& notes = japanese ? JapaneseNotes : EnglishNotes;
    TableComparison result;
    result.table = source.table;
    result.sourceRows = source.rows;
    result.targetRows = target.rows;
    for (qsizetype i = 0; i < source.columnNames.size() && std::size_t(i) < source.columns.size(); ++i) {
        ColumnComparison column;
        column.column = source.columnNames[i];
        const ColumnProfile& mine = source.columns[std::size_t(i)];
        if (const ColumnProfile* theirs = target.column(column.column)) {
            column.figures = ColumnFigures(mine, *theirs, limits);
            if (ForeignKeyColumn(column.column, source, target)) {
                column.figures.resize(std::min<std::size_t>(column.figures.size(), 2));
                column.note = notes.foreignKey;
            } else if (mine.family != theirs->family)
                column.note = notes.families2.arg(notes.families[std::size_t(mine.family)],
                                                  notes.families[std::size_t(theirs->family)]);
        } else {
            column.note = notes.notInTarget;
        }
        result.columns.push_back(column);
    }
    for (const QString& name : target.columnNames)
        if (!source.column(name) && target.column(name))
            result.columns.push_back({name, {}, notes.notInSource});

    std::vector<bool> matched(target.parents.size(), false);
    for (const ChildrenPerParent& mine : source.parents) {
        KeyComparison key;
        key.parentTable = mine.parentTable;
        key.columns = mine.columns;
        std::size_t t = 0;
        while (t < target.parents.size() && (matched[t] || !SameKey(mine, target.parents[t])))
            ++t;
        if (t == target.parents.size()) {
            key.note = notes.noTargetKey;
        } else {
            matched[t] = true;
            const ChildrenPerParent& theirs = target.parents[t];
            if (key.columns.isEmpty())
                key.columns = theirs.columns;
            if (mine.counts.empty() || theirs.counts.empty())
                key.note = notes.noCounts.arg(mine.counts.empty() ? notes.source : notes.target);
            else
                key.figures.push_back(
                    MakeFigure(FigureKind::Children, ChildrenDistance(mine.counts, theirs.counts), limits.ks));
        }
        result.keys.push_back(key);
    }
    for (std::size_t t = 0; t < target.parents.size(); ++t)
        if (!matched[t])
            result.keys.push_back({target.parents[t].parentTable, target.parents[t].columns, {},
                                   notes.noSourceKey});
    return result;
}

}  // namespace generate
