// A table's profile learned from its rows, in one pass.
//
// The sample: the rows are counted first (COUNT(*)); of N rows, at most S
// are read: the scan is cut in S strides, stride k holding rows floor(k N / S)
// to floor((k + 1) N / S) - 1 (from 0), and one row of each is taken, drawn
// at random (the same rows each time for the same table). That is exactly S
// rows spread evenly over the whole scan rather than its start, on every
// engine alike (the embedded engine and PostgreSQL have no SAMPLE clause of
// Oracle's form), and data that repeats with the stride's period is not
// seen at one phase only. The rows not taken are stepped over without
// reading their values. Distinct counts are the sample's.
//
// Per column, in bounded memory (ProfileSketches.h): the NULL share, each
// value's count (exact up to ExactValues distinct values, then the least
// counted dropped, the distinct count estimated), a uniform sample of the
// values' measures for the buckets, the smallest and largest value, and for
// texts the count of each shape. Columns of few values (at most FewValues)
// are counted in pairs as well, for the columns that belong together.
//
// Two columns belong together when Cramér's V of their non-NULL rows (the
// textbook formula, no bias correction) is at least PairStrength and those
// rows are at least as many as the cells of their table (r × c), so that
// values seen once each make no pair.
//
// A value is frequent when its rows are at least twice the average of a
// value (2 × non-NULL rows / distinct, which a draw evenly over the distinct
// values would miss) and at least half a bucket's height (non-NULL rows /
// (2 × MaxProfileBuckets), below which the buckets render it as well), and it
// is seen more than once. A column of at most MaxFrequentValues distinct
// values keeps them all, and has no buckets.
//
// Texts keep the shapes of at least ShapeShare of their non-NULL values (and
// two rows), the most common first, at most MaxTextShapes; the classes are
// the shares among the characters of the other values. The first SeenValues
// distinct texts of a character column go to TableProfile::seen. LOB, RAW and
// other columns are read as 1 or NULL: their profile is the NULL share alone.
#include "generate/TableProfile.h"

#include "generate/InsertRow.h"
#include "generate/ProfileSketches.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "shared/NumberText.h"
#include "shared/TypeFamily.h"
#include "shared/basKovaData.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <random>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

using Family = ColumnProfile::Family;
using basKovaData::SqlQuoted;

// A column of at most this many distinct values can lead or follow a pair.
constexpr int FewValues = 256;
// Pairs are counted among this many columns of a table at most (the first ones).
constexpr int MaxPairColumns = 32;
// A pair whose non-NULL rows take more combinations than this is dropped:
// they could not be kept (MaxPairValues), and the memory of a pass stays
// bounded however many few-valued columns a table has.
constexpr int MaxJointCells = 4 * MaxPairValues;
// Cramér's V from which two columns are drawn together.
constexpr double PairStrength = 0.5;
// The distinct texts kept per character column for the privacy pass.
constexpr int SeenValues = 200;
// Shapes are counted for this many different shapes per column; the
// characters of values of other shapes go to the classes directly.
constexpr int CountedShapes = 4096;
// A shape is kept when at least this share of the non-NULL values has it.
constexpr double ShapeShare = 0.01;

struct ColumnPass {
    QString name;
    Family family = Family::Text;
    bool profiled = true;  // false: a LOB, RAW or other column, NULL share only
    bool character = false;
    qint64 nulls = 0;
    ValueCounts values;
    MeasureSample sample;
    std::optional<double> low, high;
    QHash<quint64, int> shapeIndex;  // by the hash of the shape
    std::vector<QString> shapes;
    std::vector<qint64> shapeRows;
    std::array<qint64, CharacterClassCount> otherClasses{};
    QStringList seen;
    bool few = true;
    std::vector<QString> codeTexts;  // a few-valued column's values by code

    void Coded(ValueCounts::Entry& entry, const QString& text)
    {
        if (!few)
            return;
        if (int(codeTexts.size()) >= FewValues) {
            few = false;
            codeTexts.clear();
            return;
        }
        entry.code = int(codeTexts.size());
        codeTexts.push_back(text);
    }
};

struct PairPass {
    int first = 0, second = 0;
    QHash<quint32, qint64> joint;  // first code << 16 | second code
};

QString ValueText(double value, Family family)
{
    if (family == Family::Date)
        return DateBoundText(value);
    // A whole number past 15 digits in whole digits, as the column holds it,
    // not in the exponent form of a floating-point number.
    if (std::abs(value) >= 1e15 && std::abs(value) < 1e40 && value == std::floor(value))
        return QString::asprintf("%.0f", value);
    return basKovaData::NumberText(value).trimmed();
}

void AddClasses(std::array<qint64, CharacterClassCount>& classes, QStringView text, qint64 times)
{
    for (const QChar c : text)
        classes[std::size_t(ClassOf(c))] += times;
}

// The character a shape has for `c` (see ShapeOf).
char16_t ShapeChar(QChar c)
{
    const char16_t u = c.unicode();
    switch (ClassOf(c)) {
    case CharacterClass::Digit:
        return u'9';
    case CharacterClass::Latin:
        return (u >= u'A' && u <= u'Z') || (u >= u'Ａ' && u <= u'Ｚ') ? u'A' : u'a';
    case CharacterClass::Kana:
        return u >= 0x3041 && u <= 0x309F ? u'あ' : u'ア';
    case CharacterClass::Kanji:
        return u'漢';
    case CharacterClass::Blank:
        return u' ';
    case CharacterClass::Symbol:
        break;
    }
    return u;
}

// The index of the shape of `text` among the column's counted shapes, found
// by a hash of its characters' shapes (no text made); -1 past CountedShapes.
int ShapeIndex(ColumnPass& pass, const QString& text)
{
    quint64 hash = 0xCBF29CE484222325ull;
    for (const QChar c : text)
        hash = (hash ^ ShapeChar(c)) * 0x100000001B3ull;
    const auto known = pass.shapeIndex.constFind(hash);
    if (known != pass.shapeIndex.constEnd())
        return *known;
    if (pass.shapes.size() >= std::size_t(CountedShapes))
        return -1;
    const int index = int(pass.shapes.size());
    pass.shapeIndex.insert(hash, index);
    pass.shapes.push_back(ShapeOf(text));
    pass.shapeRows.push_back(0);
    return index;
}

// One row's value of a column; *code is its pair code (-1: none).
void Take(ColumnPass& pass, const QVariant& value, int* code)
{
    *code = -1;
    if (value.isNull()) {
        ++pass.nulls;
        return;
    }
    if (!pass.profiled)
        return;
    bool added = false;
    double measure = 0.0;
    quint64 hash = 0;
    ValueCounts::Entry* entry = nullptr;
    if (pass.family == Family::Text) {
        const QString text = value.toString();
        hash = ValueHash(text);
        entry = pass.values.Count(hash, &added);
        const int shape = entry && !added ? entry->shape : ShapeIndex(pass, text);
        if (added) {
            entry->text = text;
            entry->shape = shape;
            if (pass.character && pass.seen.size() < SeenValues)
                pass.seen << text;
            pass.Coded(*entry, text);
        }
        if (shape >= 0)
            ++pass.shapeRows[std::size_t(shape)];
        else
            AddClasses(pass.otherClasses, text, 1);
        measure = double(text.size());
    } else {
        if (pass.family == Family::Date) {
            const QDateTime stamp = value.toDateTime();
            if (!stamp.isValid()) {
                ++pass.nulls;  // a date the engine could not read counts as none
                return;
            }
            measure = double(stamp.toSecsSinceEpoch());
        } else {
            measure = value.toDouble();
        }
        hash = ValueHash(measure);
        entry = pass.values.Count(hash, &added);
        if (added) {
            entry->number = measure;
            pass.Coded(*entry, ValueText(measure, pass.family));
        }
    }
    *code = pass.few && entry ? entry->code : -1;
    pass.sample.Add(measure, hash);
    if (!pass.low || measure < *pass.low)
        pass.low = measure;
    if (!pass.high || measure > *pass.high)
        pass.high = measure;
}

// The frequent values and buckets of a column.
template <typename Measure, typename Text>
void Finish(ColumnProfile& profile, const ValueCounts& counts, const MeasureSample& sample, qint64 read,
            qint64 nonNull, Measure measureOf, Text textOf)
{
    // An estimate past the rows read is held to them.
    profile.distinct = std::min(counts.Distinct(), double(std::max<qint64>(nonNull, 0)));
    if (nonNull <= 0)
        return;
    struct Candidate {
        const ValueCounts::Entry* entry;
        quint64 hash;
    };
    std::vector<Candidate> frequent;
    const bool all = counts.Exact() && profile.distinct <= MaxFrequentValues;
    const double least = std::max({2.0 * double(nonNull) / std::max(profile.distinct, 1.0),
                                   double(nonNull) / (2.0 * MaxProfileBuckets), 2.0});
    for (auto it = counts.Entries().constBegin(); it != counts.Entries().constEnd(); ++it)
        if (all || double(it->count) >= least)
            frequent.push_back({&*it, it.key()});
    std::sort(frequent.begin(), frequent.end(), [](const Candidate& a, const Candidate& b) {
        const ValueCounts::Entry &x = *a.entry, &y = *b.entry;
        return x.count > y.count || (x.count == y.count && (x.number < y.number || (x.number == y.number && x.text < y.text)));
    });
    if (frequent.size() > std::size_t(MaxFrequentValues))
        frequent.resize(std::size_t(MaxFrequentValues));
    QSet<quint64> chosen;
    qint64 frequentRows = 0;
    for (const Candidate& value : frequent) {
        profile.frequent.push_back({textOf(*value.entry), double(value.entry->count) / double(read)});
        chosen.insert(value.hash);
        frequentRows += value.entry->count;
    }
    const double restShare = std::max(0.0, double(nonNull - frequentRows) / double(read));
    std::vector<Measured> rest;
    double scale = 1.0;
    if (counts.Exact()) {
        for (auto it = counts.Entries().constBegin(); it != counts.Entries().constEnd(); ++it)
            if (!chosen.contains(it.key()))
                rest.push_back({measureOf(*it), it.key(), it->count});
    } else {
        QSet<quint64> ids;
        for (const MeasureSample::Item& item : sample.Items())
            if (!chosen.contains(item.hash)) {
                rest.push_back({item.measure, item.hash, 1});
                ids.insert(item.hash);
            }
        if (!ids.isEmpty())
            scale = std::max(0.0, profile.distinct - double(frequent.size())) / double(ids.size());
    }
    profile.buckets = HeightBalanced(std::move(rest), restShare, scale);
}

void FinishShapes(ColumnProfile& profile, const ColumnPass& pass, qint64 read, qint64 nonNull)
{
    std::vector<int> order(pass.shapes.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::sort(order.begin(), order.end(), [&pass](int a, int b) {
        const qint64 ra = pass.shapeRows[std::size_t(a)], rb = pass.shapeRows[std::size_t(b)];
        return ra > rb || (ra == rb && pass.shapes[std::size_t(a)] < pass.shapes[std::size_t(b)]);
    });
    std::array<qint64, CharacterClassCount> classes = pass.otherClasses;
    for (const int i : order) {
        const qint64 rows = pass.shapeRows[std::size_t(i)];
        if (profile.shapes.size() < std::size_t(MaxTextShapes) && rows >= 2
            && double(rows) >= ShapeShare * double(nonNull))
            profile.shapes.push_back({pass.shapes[std::size_t(i)], double(rows) / double(read)});
        else
            AddClasses(classes, pass.shapes[std::size_t(i)], rows);
    }
    qint64 characters = 0;
    for (const qint64 n : classes)
        characters += n;
    if (characters > 0)
        for (std::size_t c = 0; c < classes.size(); ++c)
            profile.classes[c] = double(classes[c]) / double(characters);
}

ColumnProfile Finish(ColumnPass& pass, qint64 read)
{
    ColumnProfile profile;
    profile.family = pass.family;
    if (read <= 0)
        return profile;
    profile.nulls = double(pass.nulls) / double(read);
    if (!pass.profiled)
        return profile;
    const qint64 nonNull = read - pass.nulls;
    using Entry = ValueCounts::Entry;
    const Family family = pass.family;
    if (family == Family::Text) {
        Finish(profile, pass.values, pass.sample, read, nonNull, [](const Entry& e) { return double(e.text.size()); },
               [](const Entry& e) { return e.text; });
        FinishShapes(profile, pass, read, nonNull);
    } else {
        Finish(profile, pass.values, pass.sample, read, nonNull, [](const Entry& e) { return e.number; },
               [family](const Entry& e) { return ValueText(e.number, family); });
    }
    profile.low = pass.low;
    profile.high = pass.high;
    return profile;
}

// The columns that belong together: strongest first, each column in one pair.
void FindPairs(TableProfile& profile, const std::vector<ColumnPass>& passes, const std::vector<PairPass>& pairs,
               qint64 read)
{
    struct Found {
        double strength;
        const PairPass* pair;
    };
    std::vector<Found> found;
    for (const PairPass& pair : pairs) {
        if (!passes[std::size_t(pair.first)].few || !passes[std::size_t(pair.second)].few)
            continue;
        std::vector<std::tuple<int, int, qint64>> cells;
        QSet<int> firsts, seconds;
        qint64 both = 0;
        for (auto it = pair.joint.constBegin(); it != pair.joint.constEnd(); ++it) {
            cells.emplace_back(int(it.key() >> 16), int(it.key() & 0xFFFF), it.value());
            firsts.insert(int(it.key() >> 16));
            seconds.insert(int(it.key() & 0xFFFF));
            both += it.value();
        }
        // Fewer rows than cells of the table: V says nothing (two columns of
        // values that never repeat would reach 1).
        if (both < qint64(firsts.size()) * qint64(seconds.size()))
            continue;
        const double v = CramersV(cells);
        if (v >= PairStrength)
            found.push_back({v, &pair});
    }
    std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.strength > b.strength; });
    std::vector<bool> taken(passes.size(), false);
    for (const Found& f : found) {
        const std::size_t a = std::size_t(f.pair->first), b = std::size_t(f.pair->second);
        if (taken[a] || taken[b])
            continue;
        taken[a] = taken[b] = true;
        std::vector<std::pair<quint32, qint64>> joint(f.pair->joint.constKeyValueBegin(),
                                                       f.pair->joint.constKeyValueEnd());
        std::sort(joint.begin(), joint.end(), [](const auto& x, const auto& y) {
            return x.second > y.second || (x.second == y.second && x.first < y.first);
        });
        if (joint.size() > std::size_t(MaxPairValues))
            joint.resize(std::size_t(MaxPairValues));
        ColumnProfile::Pair pair{passes[b].name, {}};
        for (const auto& [key, count] : joint)
            pair.values.push_back({passes[a].codeTexts[key >> 16], passes[b].codeTexts[key & 0xFFFF],
                                   double(count) / double(read)});
        profile.columns[a].pair = std::move(pair);
        profile.columns[b].follows = passes[a].name;
    }
}

qint64 Number(OraDatabase& database, const QString& sql)
{
    return qint64(database.DBCreateDynaset(sql)->Value(0).toDouble());
}

}  // namespace

std::vector<ChildrenPerParent> ChildrenPerParentOf(OraDatabase& database, const QString& table, bool count)
{
    std::map<QString, ChildrenPerParent> keys;
    std::map<QString, QStringList> parentColumns;
    const std::unique_ptr<OraDynaset> rows = database.DBCreateDynaset(
        u"SELECT c.CONSTRAINT_NAME, pc.TABLE_NAME, cc.COLUMN_NAME, pc.COLUMN_NAME "
        "FROM USER_CONSTRAINTS c, USER_CONS_COLUMNS cc, USER_CONSTRAINTS p, USER_CONS_COLUMNS pc "
        "WHERE c.TABLE_NAME = %1 AND c.CONSTRAINT_TYPE = 'R' "
        "AND cc.TABLE_NAME = c.TABLE_NAME AND cc.CONSTRAINT_NAME = c.CONSTRAINT_NAME "
        "AND p.CONSTRAINT_NAME = c.R_CONSTRAINT_NAME AND p.CONSTRAINT_TYPE IN ('P', 'U') "
        "AND pc.TABLE_NAME = p.TABLE_NAME AND pc.CONSTRAINT_NAME = p.CONSTRAINT_NAME "
        "AND pc.POSITION = cc.POSITION ORDER BY c.CONSTRAINT_NAME, cc.POSITION"_s.arg(SqlQuoted(table)));
    for (; !rows->IsEOF(); rows->MoveNext()) {
        const QString name = rows->Value(0).toString();
        ChildrenPerParent& key = keys[name];
        key.constraint = name;
        key.parentTable = rows->Value(1).toString();
        key.columns << rows->Value(2).toString();
        parentColumns[name] << rows->Value(3).toString();
    }
    std::vector<ChildrenPerParent> found;
    std::optional<double> childRows;  // the child table's NUM_ROWS, read once
    for (auto& [name, key] : keys) {
        QStringList chosen, present, grouped, joined;
        for (qsizetype i = 0; i < key.columns.size(); ++i) {
            const QString child = database.SqlName(table, key.columns[i]);
            chosen << child + u" AS K%1"_s.arg(i + 1);
            present << child + u" IS NOT NULL"_s;
            grouped << child;
            joined << u"k.K%1 = p.%2"_s.arg(i + 1).arg(database.SqlName(key.parentTable, parentColumns[name][i]));
        }
        if (!count) {
            // From the statistics: of P parent rows, the key's D distinct
            // values have children, C of them all together; the children of
            // those are drawn evenly around C / D, the other parents have none.
            const auto figure = [&](const QString& sql) {
                const std::unique_ptr<OraDynaset> row = database.DBCreateDynaset(sql);
                return row->IsEOF() || row->Value(0).isNull() ? -1.0 : row->Value(0).toDouble();
            };
            const double parents = figure(u"SELECT NUM_ROWS FROM USER_TABLES WHERE TABLE_NAME = %1"_s.arg(
                SqlQuoted(key.parentTable)));
            if (!childRows)
                childRows = figure(u"SELECT NUM_ROWS FROM USER_TABLES WHERE TABLE_NAME = %1"_s.arg(SqlQuoted(table)));
            double distinct = -1.0, nulls = 0.0;
            if (key.columns.size() == 1) {
                const QString where = u" FROM USER_TAB_COL_STATISTICS WHERE TABLE_NAME = %1 AND COLUMN_NAME = %2"_s.arg(
                    SqlQuoted(table), SqlQuoted(key.columns.first()));
                distinct = figure(u"SELECT NUM_DISTINCT"_s + where);
                nulls = std::max(figure(u"SELECT NUM_NULLS"_s + where), 0.0);
            }
            if (parents > 0 && *childRows >= 0) {
                key.average = *childRows / parents;
                if (distinct > 0) {
                    const double having = std::min(distinct, parents);
                    const double each = std::max(*childRows - nulls, 0.0) / having;
                    const qint64 low = std::max<qint64>(1, qint64(std::floor(each / 2)));
                    const qint64 high = std::max(low, qint64(std::llround(2 * each)) - low);
                    if (having < parents)
                        key.counts.push_back({0, 0, 1.0 - having / parents});
                    key.counts.push_back({low, high, having / parents});
                }
            }
            found.push_back(std::move(key));
            continue;
        }
        const QString sql =
            u"SELECT COALESCE(k.CHILDREN, 0), COUNT(*) FROM %1 p LEFT JOIN (SELECT %2, COUNT(*) AS CHILDREN "
            "FROM %3 WHERE %4 GROUP BY %5) k ON %6 GROUP BY COALESCE(k.CHILDREN, 0) ORDER BY 1"_s.arg(
                database.SqlName(key.parentTable), chosen.join(u", "_s), database.SqlName(table),
                present.join(u" AND "_s), grouped.join(u", "_s), joined.join(u" AND "_s));
        std::vector<std::pair<qint64, qint64>> parents;
        qint64 children = 0, total = 0;
        for (const std::unique_ptr<OraDynaset> counts = database.DBCreateDynaset(sql); !counts->IsEOF();
             counts->MoveNext()) {
            parents.emplace_back(qint64(counts->Value(0).toDouble()), qint64(counts->Value(1).toDouble()));
            children += parents.back().first * parents.back().second;
            total += parents.back().second;
        }
        key.counts = ChildRanges(parents);
        key.average = total > 0 ? double(children) / double(total) : 0.0;
        found.push_back(std::move(key));
    }
    return found;
}

namespace {

// The table's columns as the dictionary holds them (the name as given, else
// in capitals); none when it has none.
QList<std::pair<QString, QString>> ColumnsOf(OraDatabase& database, QString* table)
{
    QList<std::pair<QString, QString>> columns;
    for (const QString& name : {*table, table->toUpper()}) {
        const std::unique_ptr<OraDynaset> rows = database.DBCreateDynaset(
            u"SELECT COLUMN_NAME, DATA_TYPE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = %1 ORDER BY COLUMN_ID"_s.arg(
                SqlQuoted(name)));
        for (; !rows->IsEOF(); rows->MoveNext())
            columns.append({rows->Value(0).toString(), rows->Value(1).toString()});
        if (!columns.isEmpty()) {
            *table = name;
            break;
        }
    }
    return columns;
}

}  // namespace

std::optional<TableProfile> ProfileFromRows(OraDatabase& database, const QString& table,
                                            const ProfileOptions& options, QString* problem)
{
    try {
        TableProfile profile;
        profile.table = table.trimmed();
        const QList<std::pair<QString, QString>> columns = ColumnsOf(database, &profile.table);
        if (columns.isEmpty()) {
            if (problem)
                *problem = u"the schema has no table %1"_s.arg(table.trimmed());
            return std::nullopt;
        }
        std::vector<ColumnPass> passes(std::size_t(columns.size()));
        QStringList selected;
        std::vector<PairPass> pairs;
        std::vector<int> pairable;
        for (qsizetype j = 0; j < columns.size(); ++j) {
            ColumnPass& pass = passes[std::size_t(j)];
            pass.name = columns[j].first;
            const basKovaData::TypeFamily family = basKovaData::FamilyOfTypeText(columns[j].second);
            const basKovaData::TypeDetail detail = basKovaData::DetailOfTypeText(columns[j].second);
            pass.family = ProfileFamily(family);
            pass.profiled = family != basKovaData::TypeFamily::Other && detail != basKovaData::TypeDetail::LongText
                && detail != basKovaData::TypeDetail::Hex;
            pass.character = pass.profiled && family == basKovaData::TypeFamily::Character;
            const QString name = database.SqlName(profile.table, pass.name);
            // A column read for its NULL share only hands over 1 or NULL, not its bytes.
            selected << (pass.profiled ? name : u"CASE WHEN %1 IS NULL THEN NULL ELSE 1 END"_s.arg(name));
            if (pass.profiled && pairable.size() < std::size_t(MaxPairColumns)) {
                for (const int earlier : pairable)
                    pairs.push_back({earlier, int(j), {}});
                pairable.push_back(int(j));
            }
            profile.columnNames << pass.name;
        }
        const QString from = u" FROM "_s + database.SqlName(profile.table);
        profile.rows = Number(database, u"SELECT COUNT(*)"_s + from);
        const qint64 wanted = options.sample > 0 ? std::min(options.sample, profile.rows) : profile.rows;
        const bool spread = options.sample > 0 && options.sample < profile.rows;
        std::vector<int> codes(passes.size(), -1);
        const std::unique_ptr<OraDynaset> rows = database.DBCreateDynaset(u"SELECT "_s + selected.join(u", "_s) + from);
        qint64 read = 0;
        std::mt19937_64 draw(qHash(profile.table));
        const auto pick = [&](qint64 stride) {
            const qint64 first = stride * profile.rows / wanted;
            const qint64 width = (stride + 1) * profile.rows / wanted - first;
            return first + qint64(draw() % quint64(std::max<qint64>(width, 1)));
        };
        qint64 next = spread ? pick(0) : 0;
        for (qint64 i = 0; !rows->IsEOF() && (!spread || read < wanted); ++i, rows->MoveNext()) {
            if (spread && i != next)
                continue;
            if (spread)
                next = pick(read + 1);
            ++read;
            bool fewer = false;
            for (std::size_t j = 0; j < passes.size(); ++j) {
                const bool few = passes[j].few;
                Take(passes[j], rows->Value(int(j)), &codes[j]);
                fewer = fewer || (few && !passes[j].few);
            }
            if (fewer)
                pairs.erase(std::remove_if(pairs.begin(), pairs.end(),
                                           [&passes](const PairPass& p) {
                                               return !passes[std::size_t(p.first)].few
                                                   || !passes[std::size_t(p.second)].few;
                                           }),
                            pairs.end());
            bool scattered = false;
            for (PairPass& pair : pairs) {
                const int a = codes[std::size_t(pair.first)], b = codes[std::size_t(pair.second)];
                if (a >= 0 && b >= 0)
                    ++pair.joint[quint32(a) << 16 | quint32(b)];
                scattered = scattered || pair.joint.size() > MaxJointCells;
            }
            if (scattered)
                pairs.erase(std::remove_if(pairs.begin(), pairs.end(),
                                           [](const PairPass& p) { return p.joint.size() > MaxJointCells; }),
                            pairs.end());
        }
        profile.read = read;
        for (ColumnPass& pass : passes) {
            profile.columns.push_back(Finish(pass, read));
            profile.seen.push_back(pass.seen);
        }
        if (read > 0)
            FindPairs(profile, passes, pairs, read);
        profile.parents = ChildrenPerParentOf(database, profile.table, true);
        return profile;
    } catch (const OraError& error) {
        if (problem)
            *problem = error.message();
        return std::nullopt;
    }
}

}  // namespace generate
