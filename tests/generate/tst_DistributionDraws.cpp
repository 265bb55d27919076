// label: core
// The 分布 kind: a seeded run of 100,000 rows keeps its profiles' NULL shares,
// distinct counts, frequent values, shapes, the spread of numbers, dates and
// lengths and a pair's joint shares; the same seed gives the same rows, in
// slices and whichever of a pair's columns comes first; profiles with little
// in them still give values.
#include "generate/ColumnProfile.h"
#include "generate/ProfileStatistics.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "shared/RandomSequence.h"
#include "shared/basKovaData.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <algorithm>
#include <map>
#include <set>

using namespace Qt::StringLiterals;
using basKovaData::RowValues;
using generate::ColumnProfile;

namespace {

struct Column {
    QString name, type;
    int length = 0, scale = 0;
    const char* profile;
};

// A table of orders, its columns drawn from hand-made profiles: a status
// mostly one value, a note with a shape and 30 % NULLs, dates bunched at
// month ends, amounts in uneven buckets, a prefecture and city drawn
// together, a personal name from the dictionary.
const std::vector<Column> Orders = {
    {u"STATUS"_s, u"VARCHAR2(10)"_s, 10, 0,
     R"({"nulls": 0, "distinct": 3, "frequent": [["出荷済", 0.9], ["保留", 0.06], ["@取消", 0.04]]})"},
    {u"NOTE"_s, u"VARCHAR2(30)"_s, 30, 0,
     R"({"nulls": 0.3, "distinct": 4000, "low": 3, "high": 20,
         "buckets": [[3, 7, 0.2, 1000], [8, 8, 0.15, 1500], [9, 20, 0.35, 1500]],
         "shapes": [["999-9999", 0.1]],
         "classes": {"digit": 0.3, "latin": 0.3, "kana": 0.2, "kanji": 0.1, "blank": 0.05, "symbol": 0.05}})"},
    {u"DUE"_s, u"DATE"_s, 0, 0,
     R"({"nulls": 0.02, "distinct": 366, "low": "20240101 000000", "high": "20241231 000000",
         "buckets": [["20240131 000000", "20240131 000000", 0.1, 1], ["20240430 000000", "20240430 000000", 0.1, 1],
                     ["20240930 000000", "20240930 000000", 0.1, 1], ["20241231 000000", "20241231 000000", 0.2, 1],
                     ["20240101 000000", "20241231 000000", 0.48, 366]]})"},
    {u"AMOUNT"_s, u"NUMBER(10,2)"_s, 10, 2,
     R"({"nulls": 0.05, "distinct": 3401, "low": 0, "high": 100000, "frequent": [["0", 0.1]],
         "buckets": [[0.01, 10, 0.45, 500], [10, 1000, 0.25, 900], [1000, 100000, 0.15, 2000]]})"},
    {u"PREF"_s, u"VARCHAR2(10)"_s, 10, 0,
     R"({"nulls": 0.05, "distinct": 13, "low": 2, "high": 4,
         "frequent": [["東京都", 0.5], ["大阪府", 0.25], ["北海道", 0.15]], "buckets": [[2, 4, 0.05, 10]],
         "pair": {"column": "CITY", "values": [["東京都", "新宿区", 0.3], ["東京都", "渋谷区", 0.2],
                                                ["大阪府", "北区", 0.25], ["北海道", "札幌市", 0.15]]}})"},
    {u"CITY"_s, u"VARCHAR2(10)"_s, 10, 0,
     R"({"nulls": 0.1, "distinct": 4, "follows": "PREF",
         "frequent": [["新宿区", 0.3], ["渋谷区", 0.2], ["北区", 0.25], ["札幌市", 0.15]]})"},
    {u"NAME"_s, u"VARCHAR2(8)"_s, 8, 0, R"({"nulls": 0.1, "distinct": 50, "high": 5, "dictionary": "氏名"})"},
};

std::shared_ptr<const ColumnProfile> Profile(const QString& type, const char* json)
{
    basKovaData::ColumnRule rule;
    rule.TypeText = type;
    QString problem;
    const auto profile = generate::ReadProfileJson(QJsonDocument::fromJson(json).object(),
                                                   generate::ProfileFamily(rule.family()), &problem);
    if (!profile)
        qFatal("%s: %s", json, qPrintable(problem));
    return std::make_shared<const ColumnProfile>(*profile);
}

basKovaData::TableRules Rules(const std::vector<Column>& columns, std::optional<std::uint64_t> seed)
{
    basKovaData::TableRules rules;
    rules.table = u"ORDERS"_s;
    rules.seed = seed;
    for (const Column& column : columns) {
        basKovaData::ColumnRule rule;
        rule.ColumnName = column.name;
        rule.TypeText = column.type;
        rule.Length = qint16(column.length);
        rule.Scale = qint16(column.scale);
        rule.setKind(basKovaData::Kind::Distribution);
        rule.Distribution = Profile(column.type, column.profile);
        rules.columns.push_back(rule);
    }
    return rules;
}

// Rows `from` to `from + count - 1` of a run, each row's entries by column
// name; `start` stands the run there by SeekRow, else by SkipRows.
std::vector<std::map<QString, QString>> Made(const basKovaData::TableRules& rules, qint64 count, qint64 from = 0,
                                             bool seek = false)
{
    generate::ValueGenerator generator(rules, nullptr);
    if (seek)
        generator.SeekRow(from);
    else
        generator.SkipRows(from);
    std::vector<std::map<QString, QString>> made;
    for (qint64 i = 0; i < count; ++i) {
        generator.NextRow();
        std::map<QString, QString> row;
        for (int j = 1; j <= rules.count(); ++j)
            row[rules[j].ColumnName.trimmed()] = RowValues[std::size_t(j)];
        made.push_back(row);
    }
    return made;
}

// The value an entry stands for, as the profile writes it; none for NULL.
std::optional<QString> ValueOf(const QString& entry)
{
    if (entry.isEmpty() || entry == u"@NULL"_s)
        return std::nullopt;
    if (entry.startsWith(u"@TO_DATE('"_s))
        return entry.mid(10, 15);
    if (const std::optional<QString> text = generate::LiteralEntry(entry))
        return *text;
    return entry.startsWith(u'@') ? entry.mid(1).trimmed() : entry;
}

// Where a value lies on the profile's scale: a number, a date's seconds, a
// text's length.
double Position(ColumnProfile::Family family, const QString& value)
{
    switch (family) {
    case ColumnProfile::Family::Number:
        return value.toDouble();
    case ColumnProfile::Family::Date:
        return generate::DateBoundSeconds(value).value_or(-1);
    case ColumnProfile::Family::Text:
        break;
    }
    return double(value.size());
}

// The Kolmogorov–Smirnov distance of `sample` from the profile's values
// other than NULL: a frequent value at its place, a bucket spread evenly
// from its low to its high (texts: over whole lengths).
double KsDistance(std::vector<double> sample, const ColumnProfile& profile)
{
    std::vector<ColumnProfile::Bucket> parts = profile.buckets;
    for (const auto& value : profile.frequent) {
        const double at = Position(profile.family, value.value);
        parts.push_back({at, at, value.share, 1});
    }
    double total = 0;
    for (const auto& part : parts)
        total += part.share;
    const bool lengths = profile.family == ColumnProfile::Family::Text;
    const auto expected = [&](double x) {
        double sum = 0;
        for (const auto& part : parts) {
            if (lengths)
                sum += part.share * std::clamp((std::floor(x) - part.low + 1) / (part.high - part.low + 1), 0.0, 1.0);
            else if (part.high == part.low)
                sum += x >= part.low ? part.share : 0.0;
            else
                sum += part.share * std::clamp((x - part.low) / (part.high - part.low), 0.0, 1.0);
        }
        return sum / total;
    };
    std::sort(sample.begin(), sample.end());
    const double n = double(sample.size());
    double distance = 0;
    for (std::size_t i = 0; i < sample.size(); ++i) {
        if (i + 1 < sample.size() && sample[i + 1] == sample[i])
            continue;
        const double x = sample[i];
        const auto below = std::lower_bound(sample.begin(), sample.end(), x) - sample.begin();
        distance = std::max({distance, std::abs(double(i + 1) / n - expected(x)),
                             std::abs(double(below) / n - expected(x - 1e-9 * std::max(1.0, std::abs(x))))});
    }
    return distance;
}

}  // namespace

class tst_DistributionDraws : public QObject {
    Q_OBJECT

    std::vector<std::map<QString, QString>> m_run;  // the seeded run of the orders

private Q_SLOTS:
    void initTestCase() { m_run = Made(Rules(Orders, 42), 100000); }
    void init() { basKovaData::ResetRandom(); }

    // Each column of the seeded run against its profile.
    void matchesProfile_data()
    {
        QTest::addColumn<int>("column");
        for (std::size_t c = 0; c < Orders.size(); ++c)
            QTest::newRow(qPrintable(Orders[c].name)) << int(c);
    }
    void matchesProfile()
    {
        QFETCH(int, column);
        const basKovaData::TableRules rules = Rules(Orders, 42);
        const ColumnProfile& profile = *rules[column + 1].Distribution;
        const QString name = Orders[std::size_t(column)].name;
        const double rows = double(m_run.size());
        double nulls = 0;
        std::map<QString, double> counts;
        std::map<QString, double> shapes;
        std::vector<double> positions;
        for (const auto& row : m_run) {
            const std::optional<QString> value = ValueOf(row.at(name));
            if (!value) {
                ++nulls;
                continue;
            }
            ++counts[*value];
            ++shapes[generate::ShapeOf(*value)];
            positions.push_back(Position(profile.family, *value));
            if (profile.high && profile.family == ColumnProfile::Family::Text)
                QVERIFY2(value->size() <= *profile.high, qPrintable(*value));
        }
        const double distinct = double(counts.size());
        // The frequent values, NULL and the rest as categories.
        double variation = 0;
        if (!profile.frequent.empty()) {
            variation = std::abs(nulls / rows - profile.nulls);
            double rest = 1.0 - nulls / rows, restExpected = 1.0 - profile.nulls;
            for (const auto& value : profile.frequent) {
                variation += std::abs(counts[value.value] / rows - value.share);
                rest -= counts[value.value] / rows;
                restExpected -= value.share;
            }
            variation = (variation + std::abs(rest - restExpected)) / 2;
        }
        const double distance = profile.buckets.empty() ? 0.0 : KsDistance(positions, profile);
        qInfo("%s: NULL %.4f (profile %.4f), distinct %.0f (profile %.0f), frequent TVD %.4f, KS %.4f", qPrintable(name),
              nulls / rows, profile.nulls, distinct, profile.distinct, variation, distance);
        QVERIFY2(std::abs(nulls / rows - profile.nulls) <= 0.01, qPrintable(QString::number(nulls / rows)));
        QVERIFY2(std::abs(distinct - profile.distinct) <= 0.1 * profile.distinct, qPrintable(QString::number(distinct)));
        QVERIFY2(variation <= 0.05, qPrintable(QString::number(variation)));
        QVERIFY2(distance <= 0.05, qPrintable(QString::number(distance)));
        for (const auto& shape : profile.shapes)
            QVERIFY2(std::abs(shapes[shape.shape] / rows - shape.share) <= 0.01,
                     qPrintable(QString::number(shapes[shape.shape] / rows)));
    }

    // The pair's values keep their joint shares, the cities outside them stay
    // NULL, with or without a seed, and the columns draw the same rows
    // whichever comes first.
    void pairKept()
    {
        std::map<std::pair<QString, QString>, double> joint;
        for (const auto& row : m_run)
            ++joint[{ValueOf(row.at(u"PREF"_s)).value_or(u"-"_s), ValueOf(row.at(u"CITY"_s)).value_or(u"-"_s)}];
        const auto pref = Profile(u"VARCHAR2(10)"_s, Orders[4].profile);
        const ColumnProfile& profile = *pref;
        double paired = 0;
        for (const auto& value : profile.pair->values) {
            const double share = joint[{value.mine, value.theirs}] / double(m_run.size());
            qInfo("%s/%s: %.4f (profile %.4f)", qPrintable(value.mine), qPrintable(value.theirs), share, value.share);
            QVERIFY2(std::abs(share - value.share) <= 0.01, qPrintable(value.theirs + QString::number(share)));
            paired += joint[{value.mine, value.theirs}];
        }
        // A city outside the pair's values would pass its own NULL share.
        double cities = 0;
        for (const auto& [values, count] : joint)
            cities += values.second == u"-"_s ? 0.0 : count;
        QCOMPARE(cities, paired);

        // Without a seed, one joint draw a row as well.
        for (const auto& row : Made(Rules(Orders, std::nullopt), 2000)) {
            const std::optional<QString> city = ValueOf(row.at(u"CITY"_s));
            const QString prefecture = ValueOf(row.at(u"PREF"_s)).value_or(QString());
            QVERIFY(!city || std::any_of(profile.pair->values.begin(), profile.pair->values.end(), [&](const auto& v) {
                return v.mine == prefecture && v.theirs == *city;
            }));
        }

        std::vector<Column> reversed = Orders;
        std::swap(reversed[4], reversed[5]);
        const auto turned = Made(Rules(reversed, 42), 2000);
        for (std::size_t i = 0; i < turned.size(); ++i)
            QCOMPARE(turned[i], m_run[i]);
    }

    // The same seed gives the same rows; a slice of a seeded run, stood
    // where it starts by skipping or seeking, gives the rows of the whole.
    void sameRows_data()
    {
        QTest::addColumn<qint64>("from");
        QTest::addColumn<bool>("seek");
        QTest::newRow("again") << qint64(0) << false;
        QTest::newRow("skipped to 777") << qint64(777) << false;
        QTest::newRow("sought to 51,234") << qint64(51234) << true;
    }
    void sameRows()
    {
        QFETCH(qint64, from);
        QFETCH(bool, seek);
        const auto slice = Made(Rules(Orders, 42), 500, from, seek);
        for (std::size_t i = 0; i < slice.size(); ++i)
            QCOMPARE(slice[i], m_run[std::size_t(from) + i]);
    }

    // Statistics of 100,000 amounts in four even buckets from 0.50 to
    // 10000.25 that count 8,000 (or 60,000) distinct values. Counted on all the rows, the
    // run makes about that many; estimated from a sample of 5,000 rows, the
    // run's own sample of 5,000 estimates about that many, by the estimator
    // PostgreSQL's ANALYZE uses (Haas and Stokes: n d / (n - f1 + f1 n / N),
    // d the values the sample holds, f1 those it holds once).
    void sampledDistinctCount_data()
    {
        QTest::addColumn<double>("sample");
        QTest::addColumn<double>("distinct");
        QTest::newRow("counted on every row") << 100000.0 << 8000.0;
        QTest::newRow("estimated from a sample") << 5000.0 << 8000.0;
        QTest::newRow("mostly distinct, from a sample") << 5000.0 << 60000.0;
    }
    void sampledDistinctCount()
    {
        QFETCH(double, sample);
        QFETCH(double, distinct);
        constexpr qint64 Rows = 100000;
        const generate::ColumnStatistics statistics{u"AMOUNT"_s, u"NUMBER"_s, distinct, 0, {}, {}, u"HYBRID"_s, 5, sample};
        std::vector<generate::HistogramEndpoint> endpoints;
        for (const auto& [number, value] : std::vector<std::pair<double, double>>{
                 {1, 0.5}, {25000, 2500.25}, {50000, 5000.75}, {75000, 7500.5}, {100000, 10000.25}})
            endpoints.push_back({number, value, QString::number(value), 1});
        const ColumnProfile profile = generate::ColumnFromStatistics(statistics, endpoints, double(Rows));
        basKovaData::TableRules rules = Rules({{u"AMOUNT"_s, u"NUMBER(10,2)"_s, 10, 2, R"({"nulls": 0, "distinct": 1})"}}, 7);
        rules[1].Distribution = std::make_shared<const ColumnProfile>(profile);
        generate::ValueGenerator generator(rules, nullptr);
        generator.PlanRows(Rows);
        std::set<QString> all;
        std::map<QString, int> sampled;
        const qint64 every = Rows / qint64(sample);
        for (qint64 row = 0; row < Rows; ++row) {
            generator.NextRow();
            all.insert(RowValues[1]);
            if (row % every == 0)
                ++sampled[RowValues[1]];
        }
        const double n = double(sampled.size() > 0 ? Rows / every : 0);
        const double d = double(sampled.size());
        const double f1 = double(std::count_if(sampled.begin(), sampled.end(), [](const auto& v) { return v.second == 1; }));
        const double estimate = every == 1 ? double(all.size()) : n * d / (n - f1 + f1 * n / double(Rows));
        qInfo("distinct %zu, estimated %.0f", all.size(), estimate);
        QVERIFY2(std::abs(estimate - distinct) <= 0.1 * distinct, qPrintable(QString::number(estimate)));
    }

    // Profiles with little in them, and the forms values take: every
    // distinct entry of 400 rows, sorted.
    void values_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("scale");
        QTest::addColumn<QString>("profile");
        QTest::addColumn<QString>("values");
        QTest::newRow("only NULLs") << u"NUMBER(5)"_s << 5 << 0 << u"{\"nulls\": 1, \"distinct\": 0}"_s << u"@NULL"_s;
        QTest::newRow("no lists: low to high") << u"NUMBER(5)"_s << 5 << 0
                                               << u"{\"nulls\": 0, \"distinct\": 3, \"low\": 10, \"high\": 20}"_s
                                               << u"@ 10,@ 15,@ 20"_s;
        QTest::newRow("rounded to the scale, within the precision")
            << u"NUMBER(3,1)"_s << 3 << 1 << u"{\"nulls\": 0, \"distinct\": 3, \"buckets\": [[0, 99.99, 1, 3]]}"_s
            << u"@ 0,@ 50,@ 99.9"_s;
        // 10^38 (as a double reads 38 nines) is past NUMBER(38): its largest;
        // the double nearest -1E+38 is within it.
        QTest::newRow("past the precision: the largest of its sign")
            << u"NUMBER(38)"_s << 38 << 0
            << u"{\"nulls\": 0, \"distinct\": 2, \"frequent\": [[\"100000000000000000000000000000000000000\", 0.5], "
               "[\"-1E+38\", 0.5]]}"_s
            << u"@-99999999999999997748809823456034029568,@99999999999999999999999999999999999999"_s;
        QTest::newRow("no precision: no binary fractions")
            << u"NUMBER"_s << 0 << 0 << u"{\"nulls\": 0, \"distinct\": 5, \"buckets\": [[-0.0009, -0.0005, 1, 5]]}"_s
            << u"@-.0005,@-.0006,@-.0007,@-.0008,@-.0009"_s;
        // Doubles there lie 256 apart; the values between them are kept.
        QTest::newRow("whole numbers past 15 digits: every digit")
            << u"NUMBER(19)"_s << 19 << 0
            << u"{\"nulls\": 0, \"distinct\": 5, \"buckets\": [[1234567890123456000, 1234567890123456512, 1, 5]]}"_s
            << u"@ 1234567890123456000,@ 1234567890123456128,@ 1234567890123456256,@ 1234567890123456384,"
               "@ 1234567890123456512"_s;
        QTest::newRow("dates at midnight: whole days")
            << u"DATE"_s << 0 << 0
            << u"{\"nulls\": 0, \"distinct\": 3, \"buckets\": [[\"20240101 000000\", \"20240104 000000\", 1, 3]]}"_s
            << u"@TO_DATE('20240101 000000','YYYYMMDD HH24MISS'),@TO_DATE('20240103 000000','YYYYMMDD HH24MISS'),"
               "@TO_DATE('20240104 000000','YYYYMMDD HH24MISS')"_s;
        QTest::newRow("dates to the second")
            << u"DATE"_s << 0 << 0
            << u"{\"nulls\": 0, \"distinct\": 2, \"buckets\": [[\"20240101 000001\", \"20240101 000004\", 1, 2]]}"_s
            << u"@TO_DATE('20240101 000001','YYYYMMDD HH24MISS'),@TO_DATE('20240101 000004','YYYYMMDD HH24MISS')"_s;
        QTest::newRow("frequent texts are data, cut to the column's bytes")
            << u"VARCHAR2(4)"_s << 4 << 0
            << u"{\"nulls\": 0, \"distinct\": 3, \"frequent\": [[\"@x\", 0.3], [\"abcdef\", 0.3], [\"東京都庁\", 0.4]]}"_s
            << u"@'@x',abcd,東京"_s;
        QTest::newRow("a shape of one length") << u"VARCHAR2(4)"_s << 4 << 0
                                               << u"{\"nulls\": 0, \"distinct\": 1, \"buckets\": [[2, 2, 1, 1]], "
                                                  "\"shapes\": [[\"9-\", 1]]}"_s
                                               << u"shape 9-"_s;
        QTest::newRow("dictionary: as many as counted, as long as the longest")
            << u"VARCHAR2(20)"_s << 20 << 0 << u"{\"nulls\": 0, \"distinct\": 4, \"high\": 2, \"dictionary\": \"都道府県\"}"_s
            << u"4 of length 2"_s;
    }
    void values()
    {
        QFETCH(QString, type);
        QFETCH(int, length);
        QFETCH(int, scale);
        QFETCH(QString, profile);
        QFETCH(QString, values);
        const QByteArray json = profile.toUtf8();
        const auto rules = Rules({{u"V"_s, type, length, scale, json.constData()}}, std::nullopt);
        std::set<QString> made;
        for (const auto& row : Made(rules, 400))
            made.insert(row.at(u"V"_s));
        const QStringList sorted(made.begin(), made.end());
        if (values.startsWith(u"shape "_s)) {
            QCOMPARE(made.size(), std::size_t(1));
            QCOMPARE(generate::ShapeOf(sorted.first()), values.mid(6));
        } else if (values.endsWith(u"of length 2"_s)) {
            QCOMPARE(made.size(), std::size_t(4));
            for (const QString& value : sorted)
                QCOMPARE(value.size(), 2);
        } else {
            QCOMPARE(sorted.join(u','), values);
        }
    }
};

QTEST_GUILESS_MAIN(tst_DistributionDraws)
#include "tst_DistributionDraws.moc"
