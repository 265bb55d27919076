// label: core
// Profiles read from the optimizer's statistics (each histogram form of
// Oracle's dictionary, figures worked out by hand) and made safe to leave the
// source: values under k rows, personal columns, no source value at all.
#include "generate/ProfilePrivacy.h"
#include "generate/ProfileStatistics.h"
#include "session/OraDatabase.h"
#include "support/ServerSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;
using generate::ColumnProfile;
using generate::TableProfile;

namespace {

QString Figure(double value)
{
    return QString::number(std::round(value * 10000.0) / 10000.0, 'g', 12);
}

QString Bound(double value, ColumnProfile::Family family)
{
    return family == ColumnProfile::Family::Date ? generate::DateBoundText(value) : Figure(value);
}

// A profile's figures, rounded to four decimals: NULL share, distinct count,
// bounds, frequent values, buckets [low,high]share/distinct, shapes, classes,
// dictionary and pair.
QString Figures(const ColumnProfile& profile)
{
    QStringList parts{u"n="_s + Figure(profile.nulls), u"d="_s + Figure(profile.distinct)};
    if (profile.low && profile.high)
        parts << u"lh="_s + Bound(*profile.low, profile.family) + u".."_s + Bound(*profile.high, profile.family);
    QStringList list;
    for (const ColumnProfile::Frequent& value : profile.frequent)
        list << value.value + u':' + Figure(value.share);
    if (!list.isEmpty())
        parts << u"f="_s + list.join(u',');
    list.clear();
    for (const ColumnProfile::Bucket& bucket : profile.buckets)
        list << u"[%1,%2]%3/%4"_s.arg(Bound(bucket.low, profile.family), Bound(bucket.high, profile.family),
                                      Figure(bucket.share), Figure(bucket.distinct));
    if (!list.isEmpty())
        parts << u"b="_s + list.join(u',');
    list.clear();
    for (const ColumnProfile::Shape& shape : profile.shapes)
        list << shape.shape + u':' + Figure(shape.share);
    if (!list.isEmpty())
        parts << u"s="_s + list.join(u',');
    static const char16_t* names[] = {u"digit", u"latin", u"kana", u"kanji", u"blank", u"symbol"};
    list.clear();
    for (int c = 0; c < generate::CharacterClassCount; ++c)
        if (profile.classes[std::size_t(c)] > 0.0)
            list << QString::fromUtf16(names[c]) + Figure(profile.classes[std::size_t(c)]);
    if (!list.isEmpty())
        parts << u"c="_s + list.join(u',');
    if (!profile.dictionary.isEmpty())
        parts << u"dict="_s + profile.dictionary;
    if (profile.pair) {
        list.clear();
        for (const ColumnProfile::PairValue& value : profile.pair->values)
            list << value.mine + u'/' + value.theirs + u':' + Figure(value.share);
        parts << u"pair="_s + profile.pair->column + u'(' + list.join(u',') + u')';
    }
    if (!profile.follows.isEmpty())
        parts << u"follows="_s + profile.follows;
    return parts.join(u' ');
}

// "number;value;actual;repeat": an empty value is none, an actual of "~" NULL.
std::vector<generate::HistogramEndpoint> Endpoints(const QStringList& rows)
{
    std::vector<generate::HistogramEndpoint> endpoints;
    for (const QString& row : rows) {
        const QStringList part = row.split(u';');
        generate::HistogramEndpoint endpoint;
        endpoint.number = part[0].toDouble();
        if (!part[1].isEmpty())
            endpoint.value = part[1].toDouble();
        endpoint.actual = part[2] == u"~"_s ? QString() : part[2];
        endpoint.repeat = part[3].toDouble();
        endpoints.push_back(endpoint);
    }
    return endpoints;
}

// A table's profile of [[name, profile JSON], ...].
TableProfile Table(const QString& json, qint64 read, bool fromStatistics)
{
    TableProfile table;
    table.table = u"T"_s;
    table.read = fromStatistics ? 0 : read;
    table.rows = read;
    table.fromStatistics = fromStatistics;
    for (const QJsonValue& entry : QJsonDocument::fromJson(json.toUtf8()).array()) {
        QString problem;
        const std::optional<ColumnProfile> column =
            generate::ReadProfileJson(entry.toArray()[1].toObject(), std::nullopt, &problem);
        if (!column)
            qFatal("%s", qPrintable(problem));
        table.columnNames << entry.toArray()[0].toString();
        table.columns.push_back(*column);
    }
    table.seen.resize(table.columns.size());
    return table;
}

// Every text of a JSON value: keys and strings.
void Texts(const QJsonValue& value, QStringList& texts)
{
    if (value.isString())
        texts << value.toString();
    if (value.isArray())
        for (const QJsonValue& item : value.toArray())
            Texts(item, texts);
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            texts << it.key();
            Texts(it.value(), texts);
        }
    }
}

}  // namespace

class tst_ProfileSources : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void histogramForms_data();
    void histogramForms();
    void fromEngineStatistics_data();
    void fromEngineStatistics();
    void personalNames_data();
    void personalNames();
    void privacy_data();
    void privacy();
    void noSourceValueLeaves();
};

void tst_ProfileSources::histogramForms_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("histogram");
    QTest::addColumn<double>("rows");
    QTest::addColumn<QStringList>("figures");  // NUM_DISTINCT, NUM_NULLS, LOW, HIGH, NUM_BUCKETS, SAMPLE_SIZE
    QTest::addColumn<QStringList>("endpoints");
    QTest::addColumn<QString>("expected");

    // 8 non-NULL rows: 5 once, 7 three times, 9 four times; of 10 rows.
    QTest::newRow("frequency: every value frequent")
        << u"NUMBER"_s << u"FREQUENCY"_s << 10.0 << QStringList{u"3"_s, u"2"_s, u"C106"_s, u"C10A"_s, u"3"_s, u"8"_s}
        << QStringList{u"1;5;~;0"_s, u"4;7;~;0"_s, u"8;9;~;0"_s}
        << u"n=0.2 d=3 lh=5..9 f=9:0.4,7:0.3,5:0.1"_s;
    // Counts that fall back (not cumulative) hold no rows.
    QTest::newRow("frequency: endpoints that fall back")
        << u"NUMBER"_s << u"FREQUENCY"_s << 8.0 << QStringList{u"3"_s, u"0"_s, u"C102"_s, u"C104"_s, u"3"_s, u"nan"_s}
        << QStringList{u"5;1;~;0"_s, u"3;2;~;0"_s, u"8;3;~;0"_s} << u"n=0 d=3 lh=1..3 f=1:0.625,3:0.375"_s;
    // 50 of 100 sampled rows are the two top values; the rest from LOW to
    // HIGH, by length (2 to 4 characters among the values known).
    QTest::newRow("top-frequency: the rest between low and high")
        << u"VARCHAR2"_s << u"TOP-FREQUENCY"_s << 100.0
        << QStringList{u"12"_s, u"0"_s, u"4142"_s, u"5A5A5A5A"_s, u"2"_s, u"100"_s}
        << QStringList{u"30;1;東京都;0"_s, u"50;2;大阪府;0"_s}
        << u"n=0 d=12 lh=2..4 f=東京都:0.3,大阪府:0.2 b=[2,4]0.5/10 c=latin0.5,kanji0.5"_s;
    // Four buckets of 25 rows: 10 ends buckets 1 and 2 (popular, half the
    // rows), then 10 to 20 and 20 to 40. Their 50 other values are more than
    // the 30 whole numbers there: they lie on tenths, 100 and 200 of them, of
    // which 25 rows find about 22.1 and 23.5: 24 and 26 of the 50.
    QTest::newRow("height balanced: popular values frequent")
        << u"NUMBER"_s << u"HEIGHT BALANCED"_s << 100.0
        << QStringList{u"51"_s, u"0"_s, u"C102"_s, u"C129"_s, u"4"_s, u"100"_s}
        << QStringList{u"0;1;~;0"_s, u"2;10;~;0"_s, u"3;20;~;0"_s, u"4;40;~;0"_s}
        << u"n=0 d=51 lh=1..40 f=10:0.5 b=[10.4,20]0.25/24,[20.8,40]0.25/26"_s;
    // The lowest value ends buckets 0 to 2 (compressed to number 2): popular,
    // 2 of 4 buckets.
    QTest::newRow("height balanced: a popular lowest value")
        << u"NUMBER"_s << u"HEIGHT BALANCED"_s << 10.0
        << QStringList{u"5"_s, u"2"_s, u"C102"_s, u"C10A"_s, u"4"_s, u"8"_s}
        << QStringList{u"2;1;~;0"_s, u"3;5;~;0"_s, u"4;9;~;0"_s}
        << u"n=0.2 d=5 lh=1..9 f=1:0.4 b=[1,5]0.2/2,[7,9]0.2/2"_s;
    // 16 non-NULL rows in 3 buckets (5.33 rows each): 1970-01-01 twice (not
    // popular: its own bucket), 8 rows up to 1970-02-01 of which 6 are it
    // (popular), 6 rows up to 1970-03-01 12:00.
    QTest::newRow("hybrid: repeated endpoints frequent, dates as Julian days")
        << u"DATE"_s << u"HYBRID"_s << 20.0
        << QStringList{u"6"_s, u"4"_s, u"77AA0101010101"_s, u"77AA03010D0101"_s, u"3"_s, u"16"_s}
        << QStringList{u"2;2440588;~;2"_s, u"10;2440619;~;6"_s, u"16;2440647.5;~;1"_s}
        << u"n=0.2 d=6 lh=19700101 000000..19700301 120000 f=19700201 000000:0.3 "
           "b=[19700101 000000,19700101 000000]0.1/1,[19700131 000000,19700131 000000]0.1/1,"
           "[19700210 120000,19700301 120000]0.3/3"_s;
    // 10 holds 5 rows: under a bucket's 50, over 1.25 times a value's 2.
    // The other 49 values lie on tenths (20 whole numbers are too few): 91
    // from 1 to 10 and 100 after it, of which 45 and 50 rows find about 35.6
    // and 39.3.
    QTest::newRow("hybrid: a value well above the average")
        << u"NUMBER"_s << u"HYBRID"_s << 100.0 << QStringList{u"50"_s, u"0"_s, u"C102"_s, u"C115"_s, u"2"_s, u"100"_s}
        << QStringList{u"50;10;~;5"_s, u"100;20;~;1"_s} << u"n=0 d=50 lh=1..20 f=10:0.05 b=[1,10]0.45/23,[10.4,20]0.5/26"_s;
    // 21 values estimated where the whole numbers 1 to 20 are known: an
    // estimate's error, not a finer grid; the counts are held to the 20.
    QTest::newRow("hybrid: a few more values than whole numbers")
        << u"NUMBER"_s << u"HYBRID"_s << 100.0 << QStringList{u"21"_s, u"0"_s, u"C102"_s, u"C115"_s, u"2"_s, u"100"_s}
        << QStringList{u"1;1;~;1"_s, u"100;20;~;1"_s} << u"n=0 d=21 lh=1..20 b=[1,1]0.01/1,[2,20]0.99/19"_s;
    QTest::newRow("hybrid texts: the buckets join as lengths")
        << u"VARCHAR2"_s << u"HYBRID"_s << 10.0
        << QStringList{u"7"_s, u"0"_s, u"61"_s, u"7A7A7A"_s, u"2"_s, u"10"_s}
        << QStringList{u"4;0;a;1"_s, u"10;0;zzz;5"_s}
        << u"n=0 d=7 lh=1..3 f=zzz:0.5 b=[1,3]0.5/6 c=latin1"_s;
    QTest::newRow("none: one bucket from low to high")
        << u"VARCHAR2"_s << u"NONE"_s << 10.0 << QStringList{u"3"_s, u"5"_s, u"61"_s, u"616263"_s, u"1"_s, u"5"_s}
        << QStringList{} << u"n=0.5 d=3 lh=1..3 b=[1,3]0.5/3 c=latin1"_s;
    // An endpoint whose text Oracle did not keep counts among the rest.
    QTest::newRow("frequency: a text not kept joins the rest")
        << u"CHAR"_s << u"FREQUENCY"_s << 4.0 << QStringList{u"2"_s, u"0"_s, u"58"_s, u"5959"_s, u"2"_s, u"4"_s}
        << QStringList{u"3;0;X;0"_s, u"4;0;~;0"_s} << u"n=0 d=2 lh=1..2 f=X:0.75 b=[1,2]0.25/1 c=latin1"_s;
}

void tst_ProfileSources::histogramForms()
{
    QFETCH(QString, type);
    QFETCH(QString, histogram);
    QFETCH(double, rows);
    QFETCH(QStringList, figures);
    QFETCH(QStringList, endpoints);
    QFETCH(QString, expected);
    generate::ColumnStatistics statistics{u"C"_s, type, figures[0].toDouble(), figures[1].toDouble(),
                                          QByteArray::fromHex(figures[2].toLatin1()),
                                          QByteArray::fromHex(figures[3].toLatin1()), histogram,
                                          figures[4].toDouble(), figures[5].toDouble()};
    const ColumnProfile profile = generate::ColumnFromStatistics(statistics, Endpoints(endpoints), rows);
    QCOMPARE(Figures(profile), expected);
    // What a rule file would hold reads back the same.
    QString problem;
    const std::optional<ColumnProfile> read = generate::ReadProfileJson(generate::ProfileJson(profile), {}, &problem);
    QVERIFY2(read, qPrintable(problem));
}

void tst_ProfileSources::fromEngineStatistics_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("keys");  // the figures of ID, all distinct
    // The embedded engine keeps a FREQUENCY histogram of its 10 values;
    // PostgreSQL keeps no common value but bounds (HYBRID, repeated once):
    // each range after a bound holds its one value, the next bound.
    QTest::newRow("embedded") << u"embedded"_s
                              << u"n=0 d=10 lh=1..10 f=1:0.1,2:0.1,3:0.1,4:0.1,5:0.1,6:0.1,7:0.1,8:0.1,9:0.1,10:0.1"_s;
    QTest::newRow("postgres") << u"postgres"_s
                              << u"n=0 d=10 lh=1..10 b=[1,1]0.1/1,[2,2]0.1/1,[3,3]0.1/1,[4,4]0.1/1,[5,5]0.1/1,"
                                 "[6,6]0.1/1,[7,7]0.1/1,[8,8]0.1/1,[9,9]0.1/1,[10,10]0.1/1"_s;
}

// ANALYZE read back: a table never analyzed is refused; FREQUENCY (10 rows)
// and HYBRID (300 distinct values, 7 in 101 of 400 rows) read as above.
void tst_ProfileSources::fromEngineStatistics()
{
    QFETCH(QString, engine);
    QFETCH(QString, keys);
    if (engine == u"postgres"_s)
        KOVA_NEED_SERVER();
    QTemporaryDir dir;
    kovatest::TestDatabase test = kovatest::OpenEngineDatabase(
        engine, dir, {u"CREATE TABLE ORDERS (ID NUMBER(8), STATUS VARCHAR2(10), D DATE, WHO VARCHAR2(20))"_s,
              u"CREATE TABLE WIDE (N NUMBER(8))"_s, u"CREATE TABLE DIGITS (D NUMBER(1))"_s});
    for (int i = 1; i <= 10; ++i)
        test.database->DbExecuteSQL(
            u"INSERT INTO ORDERS VALUES (%1, %2, TO_DATE('%3', 'YYYY-MM-DD HH24:MI:SS'), '%4')"_s.arg(i)
                .arg(i <= 6 ? u"'A'"_s : i <= 8 ? u"'B'"_s : u"NULL"_s)
                .arg(i % 2 ? u"2024-01-01 00:00:00"_s : u"2024-01-02 10:30:00"_s)
                .arg(i % 2 ? u"佐藤 花子"_s : u"鈴木 一郎"_s));
    for (int i = 0; i <= 9; ++i)
        test.database->DbExecuteSQL(u"INSERT INTO DIGITS VALUES (%1)"_s.arg(i));
    test.database->DbExecuteSQL(u"INSERT INTO WIDE SELECT a.D * 100 + b.D * 10 + c.D + 1 FROM DIGITS a, DIGITS b, "
                                "DIGITS c WHERE a.D < 3"_s);
    test.database->DbExecuteSQL(u"INSERT INTO WIDE SELECT 7 FROM DIGITS a, DIGITS b"_s);
    QString problem;
    QVERIFY(!generate::ProfileFromStatistics(*test.database, u"ORDERS"_s, {}, &problem));
    QVERIFY2(problem.startsWith(u"ORDERS has no statistics: run ANALYZE TABLE ORDERS COMPUTE STATISTICS"_s),
             qPrintable(problem));
    QVERIFY(!generate::ProfileFromStatistics(*test.database, u"NO_SUCH' OR 'X'='X"_s, {}, &problem));
    QCOMPARE(problem, u"the schema has no table NO_SUCH' OR 'X'='X"_s);

    test.database->DbExecuteSQL(u"ANALYZE TABLE ORDERS COMPUTE STATISTICS"_s);
    test.database->DbExecuteSQL(u"ANALYZE TABLE WIDE COMPUTE STATISTICS"_s);
    std::optional<TableProfile> orders = generate::ProfileFromStatistics(*test.database, u"orders"_s, {}, &problem);
    QVERIFY2(orders, qPrintable(problem));
    QCOMPARE(orders->table + u' ' + QString::number(orders->rows), u"ORDERS 10"_s);
    QCOMPARE(orders->columnNames, (QStringList{u"ID"_s, u"STATUS"_s, u"D"_s, u"WHO"_s}));
    QCOMPARE(Figures(orders->columns[0]), keys);
    QCOMPARE(Figures(orders->columns[1]), u"n=0.2 d=2 lh=1..1 f=A:0.6,B:0.2 c=latin1"_s);
    QCOMPARE(Figures(orders->columns[2]),
             u"n=0 d=2 lh=20240101 000000..20240102 103000 f=20240101 000000:0.5,20240102 103000:0.5"_s);

    // The names the statistics hold make WHO personal; STATUS keeps its values.
    generate::ProfileOptions any;
    any.k = 1;
    generate::ApplyPrivacy(*orders, any);
    QCOMPARE(Figures(orders->columns[3]), u"n=0 d=2 lh=5..5 b=[5,5]1/2 dict=氏名"_s);
    QCOMPARE(Figures(orders->columns[1]), u"n=0.2 d=2 lh=1..1 f=A:0.6,B:0.2 c=latin1"_s);

    std::optional<TableProfile> wide = generate::ProfileFromStatistics(*test.database, u"WIDE"_s, {}, &problem);
    QVERIFY2(wide, qPrintable(problem));
    const ColumnProfile& n = wide->columns[0];
    QCOMPARE(Figures(n).section(u" b="_s, 0, 0), u"n=0 d=300 lh=1..300 f=7:0.2525"_s);
    double shares = n.nulls, distinct = 0.0;
    for (const ColumnProfile::Frequent& value : n.frequent)
        shares += value.share;
    for (const ColumnProfile::Bucket& bucket : n.buckets) {
        shares += bucket.share;
        distinct += bucket.distinct;
    }
    QCOMPARE(std::round(shares * 1e9), 1e9);
    QVERIFY2(std::abs(distinct - 299.0) <= 30.0, qPrintable(Figures(n)));
    QVERIFY(n.buckets.size() <= std::size_t(generate::MaxProfileBuckets));
}

// Column names that say a person, and names of things many share.
void tst_ProfileSources::personalNames_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("dictionary");  // empty: not personal
    const char16_t* rows[][2] = {
        {u"氏名", u"氏名"},         {u"顧客名", u"氏名"},       {u"NAME", u"氏名"},          {u"FIRST_NAME", u"名"},
        {u"姓", u"姓"},             {u"名", u"名"},             {u"フリガナ", u"氏名カナ"},  {u"名カナ", u"名カナ"},
        {u"KANA_SEI", u"姓カナ"},   {u"E_MAIL", u"メールアドレス"}, {u"TEL_NO", u"電話番号"}, {u"携帯番号", u"携帯電話番号"},
        {u"FAX", u"電話番号"},      {u"住所2", u"住所"},        {u"ADDRESS", u"住所"},       {u"会社名", u""},
        {u"COMPANY_NAME", u""},     {u"CITY_NAME", u""},        {u"都道府県", u""},          {u"市区町村", u""},
        {u"商品名", u""},           {u"名称", u""},             {u"MAIL_FLG", u""},          {u"STATUS", u""},
    };
    for (const auto& row : rows)
        QTest::newRow(QString::fromUtf16(row[0]).toUtf8().constData())
            << QString::fromUtf16(row[0]) << QString::fromUtf16(row[1]);
}

void tst_ProfileSources::personalNames()
{
    QFETCH(QString, column);
    QFETCH(QString, dictionary);
    QCOMPARE(generate::PersonalByName(column).value_or(QString()), dictionary);
}

void tst_ProfileSources::privacy_data()
{
    QTest::addColumn<QString>("columns");  // [[name, profile JSON], ...]
    QTest::addColumn<qint64>("rows");
    QTest::addColumn<bool>("fromStatistics");
    QTest::addColumn<QStringList>("seen");  // of the first column
    QTest::addColumn<QStringList>("personal");
    QTest::addColumn<QStringList>("expected");

    // 100 rows read: B is held by 9 (under k = 10) and joins the buckets by
    // their shares (0.03 and 0.06 of its 0.09; one value split 1:2); C by 10.
    QTest::newRow("k: a value under k rows joins the buckets")
        << uR"([["STATUS", {"family": "text", "nulls": 0.1, "distinct": 9, "low": 1, "high": 4,
             "frequent": [["A", 0.5], ["C", 0.1], ["B", 0.09]],
             "buckets": [[1, 2, 0.07, 2], [3, 4, 0.14, 4]],
             "shapes": [["A", 0.69], ["99", 0.09]], "classes": {"latin": 0.8, "digit": 0.2}}]])"_s
        << qint64(100) << false << QStringList{} << QStringList{}
        << QStringList{u"n=0.1 d=9 lh=1..4 f=A:0.5,C:0.1 b=[1,2]0.1/2.3333,[3,4]0.2/4.6667 s=A:0.69 "
                       "c=digit0.2,latin0.8"_s};
    // From statistics, k counts of NUM_ROWS; with no bucket, one from the
    // lowest to the highest value.
    QTest::newRow("k of NUM_ROWS, no bucket: the values left behind make one")
        << uR"([["N", {"family": "number", "nulls": 0, "distinct": 3, "low": 1, "high": 300,
             "frequent": [["1", 0.9], ["300", 0.06], ["20", 0.04]]}]])"_s
        << qint64(50) << true << QStringList{} << QStringList{}
        << QStringList{u"n=0 d=3 lh=1..300 f=1:0.9 b=[20,300]0.1/2"_s};
    // Rare values of a column with no bucket: buckets of neighbours that hold
    // k rows each, not one bucket over all of them.
    QTest::newRow("k: rare values left behind in buckets of k rows")
        << uR"([["N", {"family": "number", "nulls": 0, "distinct": 7, "low": 1, "high": 7,
             "frequent": [["1", 0.4], ["2", 0.1], ["3", 0.1], ["4", 0.1], ["5", 0.1], ["6", 0.1], ["7", 0.1]]}]])"_s
        << qint64(50) << true << QStringList{} << QStringList{}
        << QStringList{u"n=0 d=7 lh=1..7 f=1:0.4 b=[2,3]0.2/2,[4,5]0.2/2,[6,7]0.2/2"_s};
    // A pair's value under k goes; the pair keeps the rest.
    QTest::newRow("k: a pair's value")
        << uR"([["PREF", {"family": "text", "nulls": 0, "distinct": 2, "frequent": [["東京都", 0.6], ["大阪府", 0.4]],
             "pair": {"column": "CITY", "values": [["東京都", "新宿区", 0.55], ["東京都", "港区", 0.05],
                                                    ["大阪府", "北区", 0.4]]}}],
             ["CITY", {"family": "text", "nulls": 0, "distinct": 3, "follows": "PREF",
             "frequent": [["新宿区", 0.55], ["北区", 0.4], ["港区", 0.05]], "low": 2, "high": 3}]])"_s
        << qint64(100) << false << QStringList{} << QStringList{}
        << QStringList{u"n=0 d=2 f=東京都:0.6,大阪府:0.4 pair=CITY(東京都/新宿区:0.55,大阪府/北区:0.4)"_s,
                       u"n=0 d=3 lh=2..3 f=新宿区:0.55,北区:0.4 b=[2,3]0.05/1 follows=PREF"_s};
    // A column named for people's names: the values go, however many hold
    // them, and so does the pair with its partner.
    QTest::newRow("personal by name (氏名), and its partner")
        << uR"([["氏名", {"family": "text", "nulls": 0.2, "distinct": 40, "low": 4, "high": 6,
             "frequent": [["佐藤 花子", 0.3]], "buckets": [[4, 6, 0.5, 39]], "shapes": [["漢漢 漢漢", 0.3]],
             "classes": {"kanji": 1}, "pair": {"column": "KBN", "values": [["佐藤 花子", "1", 0.3]]}}],
             ["KBN", {"family": "text", "nulls": 0, "distinct": 1, "frequent": [["1", 1]], "follows": "氏名"}]])"_s
        << qint64(1000) << false << QStringList{} << QStringList{}
        << QStringList{u"n=0.2 d=40 lh=4..6 b=[4,6]0.8/40 dict=氏名"_s, u"n=0 d=1 f=1:1"_s};
    QTest::newRow("personal by name: English, a reading")
        << uR"([["LAST_NAME_KANA", {"family": "text", "nulls": 0, "distinct": 1, "frequent": [["サトウ", 1]]}]])"_s
        << qint64(1000) << false << QStringList{} << QStringList{} << QStringList{u"n=0 d=1 lh=3..3 b=[3,3]1/1 dict=姓カナ"_s};
    QTest::newRow("a company's name is no person's")
        << uR"([["COMPANY_NAME", {"family": "text", "nulls": 0, "distinct": 1, "frequent": [["山田商事", 1]]}]])"_s
        << qint64(1000) << false << QStringList{} << QStringList{} << QStringList{u"n=0 d=1 f=山田商事:1"_s};
    // Seen values: most are full names of the dictionaries (one is not).
    QTest::newRow("personal by values: names")
        << uR"([["C1", {"family": "text", "nulls": 0, "distinct": 3, "frequent": [["佐藤 一郎", 0.5], ["鈴木花子", 0.3],
             ["abc", 0.2]]}]])"_s
        << qint64(1000) << false << QStringList{u"佐藤 一郎"_s, u"鈴木花子"_s, u"abc"_s} << QStringList{}
        << QStringList{u"n=0 d=3 lh=3..5 b=[3,5]1/3 dict=氏名"_s};
    QTest::newRow("personal by values: e-mail addresses")
        << uR"([["C1", {"family": "text", "nulls": 0, "distinct": 2, "frequent": [["a@example.jp", 0.5],
             ["b.c@example.com", 0.5]]}]])"_s
        << qint64(1000) << false << QStringList{u"a@example.jp"_s, u"b.c@example.com"_s} << QStringList{}
        << QStringList{u"n=0 d=2 lh=12..15 b=[12,15]1/2 dict=メールアドレス"_s};
    QTest::newRow("personal by values: telephone numbers")
        << uR"([["C1", {"family": "text", "nulls": 0.5, "distinct": 3, "low": 10, "high": 13,
             "buckets": [[10, 13, 0.5, 3]]}]])"_s
        << qint64(1000) << false << QStringList{u"03-1234-5678"_s, u"090-1234-5678"_s, u"0312345678"_s} << QStringList{}
        << QStringList{u"n=0.5 d=3 lh=10..13 b=[10,13]0.5/3 dict=電話番号"_s};
    QTest::newRow("personal by values: addresses below the city")
        << uR"([["C1", {"family": "text", "nulls": 0, "distinct": 2, "frequent": [["新宿区西新宿2-8-1", 0.5],
             ["港区芝公園4丁目2番8号", 0.5]]}]])"_s
        << qint64(1000) << false << QStringList{u"新宿区西新宿2-8-1"_s, u"港区芝公園4丁目2番8号"_s} << QStringList{}
        << QStringList{u"n=0 d=2 lh=11..12 b=[11,12]1/2 dict=住所"_s};
    QTest::newRow("places many share are not personal")
        << uR"([["C1", {"family": "text", "nulls": 0, "distinct": 2, "frequent": [["東京都", 0.5], ["新宿区", 0.5]]}]])"_s
        << qint64(1000) << false << QStringList{u"東京都"_s, u"新宿区"_s} << QStringList{}
        << QStringList{u"n=0 d=2 f=東京都:0.5,新宿区:0.5"_s};
    QTest::newRow("marked by the user, a number too")
        << uR"([["NOTE", {"family": "text", "nulls": 0, "distinct": 1, "frequent": [["x", 1]]}],
             ["AMOUNT", {"family": "number", "nulls": 0, "distinct": 2, "frequent": [["5", 0.5], ["7", 0.5]]}]])"_s
        << qint64(1000) << false << QStringList{} << QStringList{u"note"_s, u"AMOUNT"_s}
        << QStringList{u"n=0 d=1 lh=1..1 b=[1,1]1/1 dict=氏名"_s, u"n=0 d=2 lh=5..7 b=[5,7]1/2"_s};
}

void tst_ProfileSources::privacy()
{
    QFETCH(QString, columns);
    QFETCH(qint64, rows);
    QFETCH(bool, fromStatistics);
    QFETCH(QStringList, seen);
    QFETCH(QStringList, personal);
    QFETCH(QStringList, expected);
    TableProfile table = Table(columns, rows, fromStatistics);
    table.seen[0] = seen;
    generate::ProfileOptions options;
    options.personal = personal;
    generate::ApplyPrivacy(table, options);
    QStringList figures;
    for (const ColumnProfile& column : table.columns) {
        figures << Figures(column);
        QString problem;
        QVERIFY2(generate::ReadProfileJson(generate::ProfileJson(column), {}, &problem), qPrintable(problem));
    }
    QCOMPARE(figures, expected);
    QVERIFY(table.seen.empty());
}

// With noValues: no text of the written profile is a value of the source;
// each value became one of its shape and share, the same one in the pair;
// numbers and dates bounds rounded.
void tst_ProfileSources::noSourceValueLeaves()
{
    TableProfile table = Table(uR"([
        ["CODE", {"family": "text", "nulls": 0, "distinct": 3, "frequent": [["AB-12", 0.5], ["ｶﾅ漢 x", 0.3],
         ["９", 0.2]], "pair": {"column": "N", "values": [["AB-12", "-1.25", 0.5], ["９", "300", 0.2]]}}],
        ["N", {"family": "number", "nulls": 0.1, "distinct": 40, "low": -1234.5, "high": 98765,
         "frequent": [["-1.25", 0.5], ["300", 0.2]], "buckets": [[-1234.5, 101, 0.1, 20], [101, 104, 0.1, 18]],
         "follows": "CODE"}],
        ["D", {"family": "date", "nulls": 0, "distinct": 9, "low": "20240317 101500", "high": "20240402 000000",
         "frequent": [["20240320 083000", 0.6]],
         "buckets": [["20240317 101500", "20240322 000000", 0.2, 4], ["20240322 000000", "20240402 000000", 0.2, 4]]}],
        ["S", {"family": "number", "nulls": 0.46, "distinct": 9, "frequent": [["5", 0.5], ["1", 0.005], ["2", 0.005],
         ["3", 0.005], ["4", 0.005], ["6", 0.005], ["7", 0.005], ["8", 0.005], ["9", 0.005]]}]
        ])"_s,
                               1000, false);
    table.seen[0] = QStringList{u"AB-12"_s, u"XY-99"_s};
    const TableProfile source = table;
    generate::ProfileOptions options;
    options.noValues = true;
    generate::ApplyPrivacy(table, options);

    QStringList sourceValues = source.seen[0];
    for (const ColumnProfile& column : source.columns)
        for (const ColumnProfile::Frequent& value : column.frequent)
            sourceValues << value.value;
    QStringList texts;
    for (const ColumnProfile& column : table.columns)
        Texts(generate::ProfileJson(column), texts);
    for (const QString& text : texts)
        QVERIFY2(!sourceValues.contains(text), qPrintable(text));

    // S: every digit but 0 is a source value (those under k too), so 5 has
    // no synthetic value of one digit and joins the buckets; the bounds 1 and 9
    // are source values and move one step out.
    QCOMPARE(Figures(table.columns[3]), u"n=0.46 d=9 lh=0.9..9.1 b=[0.9,9.1]0.54/9"_s);
    for (std::size_t c = 0; c < 3; ++c) {
        const ColumnProfile& made = table.columns[c];
        const ColumnProfile& was = source.columns[c];
        QCOMPARE(made.frequent.size(), was.frequent.size());
        for (std::size_t i = 0; i < was.frequent.size(); ++i) {
            const QString& value = made.frequent[i].value;
            QCOMPARE(made.frequent[i].share, was.frequent[i].share);
            if (made.family == ColumnProfile::Family::Date)
                QCOMPARE(value.left(6), was.frequent[i].value.left(6));
            else
                QCOMPARE(generate::ShapeOf(value), generate::ShapeOf(was.frequent[i].value));
        }
    }
    // The pair speaks of the same synthetic values as the columns' own.
    const ColumnProfile& code = table.columns[0];
    const ColumnProfile& number = table.columns[1];
    QVERIFY(code.pair);
    QCOMPARE(code.pair->values.size(), std::size_t(2));
    QCOMPARE(code.pair->values[0].mine, code.frequent[0].value);
    QCOMPARE(code.pair->values[0].theirs, number.frequent[0].value);
    QCOMPARE(code.pair->values[1].mine, code.frequent[2].value);
    QCOMPARE(code.pair->values[1].theirs, number.frequent[1].value);
    QCOMPARE(Figures(number).section(u' ', 0, 2), u"n=0.1 d=40 lh=-1200..99000"_s);
    QCOMPARE(Figures(number).section(u" b="_s, 1), u"[-1200,100]0.1/20,[100,110]0.1/18 follows=CODE"_s);
    QCOMPARE(Figures(table.columns[2]).section(u" f="_s, 0, 0),
             u"n=0 d=9 lh=20240301 000000..20240401 000000"_s);
    QCOMPARE(Figures(table.columns[2]).section(u" b="_s, 1),
             u"[20240301 000000,20240401 000000]0.2/4,[20240301 000000,20240401 000000]0.2/4"_s);
}

QTEST_GUILESS_MAIN(tst_ProfileSources)
#include "tst_ProfileSources.moc"
