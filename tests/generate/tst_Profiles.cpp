// label: core
// Profiles learned from a table's rows in the embedded engine, against
// figures worked out by hand: NULL shares, distinct counts, frequent values,
// height-balanced buckets, text shapes and classes, the evenly spread sample,
// the columns found to belong together (Cramér's V), the children per parent,
// and the bounded counters behind them.
#include "generate/ProfileSketches.h"
#include "generate/TableProfile.h"
#include "session/OraDatabase.h"
#include "support/ServerSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using generate::ColumnProfile;

namespace {

QString Figure(double value)
{
    return QString::number(value, 'g', 4);
}

// A column's profile as one line: what the tests compare.
QString Describe(const ColumnProfile& p)
{
    QStringList parts{u"nulls=%1 distinct=%2"_s.arg(Figure(p.nulls), Figure(p.distinct))};
    QStringList list;
    for (const auto& f : p.frequent)
        list << f.value + u':' + Figure(f.share);
    if (!list.isEmpty())
        parts << u"frequent="_s + list.join(u',');
    list.clear();
    for (const auto& b : p.buckets)
        list << u"%1-%2:%3:%4"_s.arg(Figure(b.low), Figure(b.high), Figure(b.share), Figure(b.distinct));
    if (list.size() > 4)
        parts << u"buckets=%1"_s.arg(list.size());
    else if (!list.isEmpty())
        parts << u"buckets="_s + list.join(u',');
    if (p.low)
        parts << u"low=%1 high=%2"_s.arg(Figure(*p.low), Figure(p.high.value_or(-1)));
    list.clear();
    for (const auto& s : p.shapes)
        list << s.shape + u':' + Figure(s.share);
    if (!list.isEmpty())
        parts << u"shapes="_s + list.join(u',');
    list.clear();
    for (const double c : p.classes)
        list << Figure(c);
    if (p.family == ColumnProfile::Family::Text && p.low)
        parts << u"classes="_s + list.join(u',');
    return parts.join(u' ');
}

QStringList Inserts(const QString& table, const QStringList& values)
{
    QStringList statements;
    for (const QString& value : values)
        statements << u"INSERT INTO %1 VALUES (%2)"_s.arg(table, value);
    return statements;
}

QStringList Repeated(const QString& value, int times)
{
    QStringList values;
    for (int i = 0; i < times; ++i)
        values << value;
    return values;
}

QStringList Range(int from, int to, const QString& format = u"%1"_s)
{
    QStringList values;
    for (int i = from; i <= to; ++i)
        values << format.arg(i);
    return values;
}

// The database of `engine` ("embedded" or "postgres") with `statements` run.
kovatest::TestDatabase Open(const QString& engine, const QTemporaryDir& dir, const QStringList& statements)
{
    return kovatest::OpenEngineDatabase(engine, dir, statements);
}

void AddEngines()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("embedded") << u"embedded"_s;
    QTest::newRow("postgres") << u"postgres"_s;
}

}  // namespace

class tst_Profiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void columns_data();
    void columns();
    void heightBalancedNumbers();
    void sample_data() { AddEngines(); }
    void sample();
    void pairs_data() { AddEngines(); }
    void pairs();
    void childrenPerParent_data() { AddEngines(); }
    void childrenPerParent();
    void refusedNames();
    void boundedCounters();
};

void tst_Profiles::columns_data()
{
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<qint64>("sample");
    QTest::addColumn<qint64>("read");
    QTest::addColumn<QString>("expected");
    for (const char* e : {"embedded", "postgres"}) {
        const QString engine = QString::fromLatin1(e);

        QTest::addRow("%s: few numbers: all frequent, NULLs counted", e)
            << engine << u"NUMBER(4)"_s << QStringList{u"NULL"_s, u"NULL"_s} + Repeated(u"1"_s, 3) + Repeated(u"2"_s, 3)
                   + Repeated(u"3"_s, 2)
            << qint64(0) << qint64(10) << u"nulls=0.2 distinct=3 frequent=1:0.3,2:0.3,3:0.2 low=1 high=3"_s;
        // 299 distinct texts once each: none frequent; lengths 2, 3 and 4 are three
        // measures, so a bucket each, holding 9, 90 and 200 texts.
        QTest::addRow("%s: texts past the frequent limit: buckets by length", e)
            << engine << u"VARCHAR2(10)"_s << Range(1, 299, u"'a%1'"_s) << qint64(0) << qint64(299)
            << u"nulls=0 distinct=299 buckets=2-2:0.0301:9,3-3:0.301:90,4-4:0.6689:200 low=2 high=4 "
               "shapes=a999:0.6689,a99:0.301,a9:0.0301 classes=0,0,0,0,0,0"_s;
        // 349 texts: "X" 50 times (frequent: 50 >= 2 x 349 / 300 and >= 349 / 508),
        // "b1".."b299" once each (under twice the average).
        QTest::addRow("%s: a frequent value beside buckets", e)
            << engine << u"VARCHAR2(10)"_s << Repeated(u"'X'"_s, 50) + Range(1, 299, u"'b%1'"_s) << qint64(0) << qint64(349)
            << u"nulls=0 distinct=300 frequent=X:0.1433 buckets=2-2:0.02579:9,3-3:0.2579:90,4-4:0.5731:200 low=1 high=4 "
               "shapes=a999:0.5731,a99:0.2579,A:0.1433,a9:0.02579 classes=0,0,0,0,0,0"_s;
        // Shapes kept: 3 of 5 values share one; the other two values' 15
        // characters are 11 digits, 2 Latin letters and 2 symbols.
        QTest::addRow("%s: shapes and the classes outside them", e)
            << engine << u"VARCHAR2(20)"_s << QStringList{u"'03-1111-2222'"_s, u"'03-1111-2222'"_s, u"'03-1111-2222'"_s,
                                                u"'090-1234-5678'"_s, u"'ab'"_s, u"NULL"_s}
            << qint64(0) << qint64(6)
            << u"nulls=0.1667 distinct=3 frequent=03-1111-2222:0.5,090-1234-5678:0.1667,ab:0.1667 low=2 high=13 "
               "shapes=99-9999-9999:0.5 classes=0.7333,0.1333,0,0,0,0.1333"_s;
        QTest::addRow("%s: decimals", e)
            << engine << u"NUMBER(6,2)"_s << QStringList{u"0.5"_s, u"0.5"_s, u"-12.25"_s, u"NULL"_s} << qint64(0)
            << qint64(4) << u"nulls=0.25 distinct=2 frequent=.5:0.5,-12.25:0.25 low=-12.25 high=0.5"_s;
        // The engines hand numbers over as doubles: past 15 digits, the
        // nearest double's digits, written whole.
        QTest::addRow("%s: whole numbers past 15 digits", e)
            << engine << u"NUMBER(19)"_s << QStringList{u"1234567890123456789"_s, u"1234567890123456789"_s, u"-5"_s}
            << qint64(0) << qint64(3) << u"nulls=0 distinct=2 frequent=1234567890123456768:0.6667,-5:0.3333 low=-5 high=1.235e+18"_s;
        QTest::addRow("%s: dates by their seconds", e)
            << engine << u"DATE"_s << QStringList{u"DATE '2024-01-01'"_s, u"DATE '2024-01-01'"_s, u"DATE '2024-01-02'"_s}
            << qint64(0) << qint64(3)
            << u"nulls=0 distinct=2 frequent=20240101 000000:0.6667,20240102 000000:0.3333 low=1.704e+09 "
               "high=1.704e+09"_s;
        // The server has no CLOB type of that name.
        if (engine == u"embedded"_s)
            QTest::addRow("%s: a LOB: its NULL share only", e)
                << engine << u"CLOB"_s << QStringList{u"'long text'"_s, u"NULL"_s, u"'more'"_s, u"'more'"_s} << qint64(0) << qint64(4)
                << u"nulls=0.25 distinct=0"_s;
        QTest::addRow("%s: a sample larger than the table", e) << engine << u"NUMBER(4)"_s << Range(1, 3) << qint64(10) << qint64(3)
                                                        << u"nulls=0 distinct=3 frequent=1:0.3333,2:0.3333,3:0.3333 "
                                                           "low=1 high=3"_s;
    }
}

void tst_Profiles::columns()
{
    QFETCH(QString, engine);
    QFETCH(QString, type);
    QFETCH(QStringList, values);
    QFETCH(qint64, sample);
    QFETCH(qint64, read);
    QFETCH(QString, expected);
    if (engine == u"postgres"_s)
        KOVA_NEED_SERVER();
    QTemporaryDir dir;
    const auto db = Open(engine, dir, QStringList{u"CREATE TABLE T (C %1)"_s.arg(type)} + Inserts(u"T"_s, values));
    generate::ProfileOptions options;
    options.sample = sample;
    QString problem;
    const auto profile = generate::ProfileFromRows(*db.database, u"t"_s, options, &problem);
    QVERIFY2(profile, qPrintable(problem));
    QCOMPARE(profile->table, u"T"_s);
    QCOMPARE(profile->rows, qint64(values.size()));
    QCOMPARE(profile->read, read);
    QCOMPARE(profile->columnNames, QStringList{u"C"_s});
    QCOMPARE(Describe(profile->columns.at(0)), expected);
    // What a rule file would hold of it reads back: the shares add up, the values read as the family's.
    const std::optional<ColumnProfile> back =
        generate::ReadProfileJson(generate::ProfileJson(profile->columns[0]), profile->columns[0].family, &problem);
    QVERIFY2(back, qPrintable(problem));
    if (type.startsWith(u"VARCHAR2"_s))
        QCOMPARE(profile->seen.at(0).size(), std::min<qsizetype>(200, qsizetype(profile->columns[0].distinct)));
}

// 1,000 rows numbered 1 to 1,000 in the order of the scan, whose P repeats
// 0 to 9: a sample of 100 takes one row of each ten, and not at one place
// of the ten, which would see one value of P alone.
void tst_Profiles::sample()
{
    QFETCH(QString, engine);
    if (engine == u"postgres"_s)
        KOVA_NEED_SERVER();
    QStringList rows;
    for (int i = 1; i <= 1000; ++i)
        rows << u"%1, %2"_s.arg(i).arg(i % 10);
    QTemporaryDir dir;
    const auto db = Open(engine, dir, QStringList{u"CREATE TABLE T (I NUMBER(4), P NUMBER(1))"_s} + Inserts(u"T"_s, rows));
    generate::ProfileOptions options;
    options.sample = 100;
    QString problem;
    const auto profile = generate::ProfileFromRows(*db.database, u"T"_s, options, &problem);
    QVERIFY2(profile, qPrintable(problem));
    QCOMPARE(profile->read, qint64(100));
    // The rows taken: the numbers, every one frequent (100 values of a sample of 100).
    std::vector<double> taken;
    for (const auto& value : profile->columns.at(0).frequent)
        taken.push_back(value.value.toDouble());
    std::sort(taken.begin(), taken.end());
    QCOMPARE(taken.size(), std::size_t(100));
    for (std::size_t k = 0; k < taken.size(); ++k)
        QVERIFY2(taken[k] > double(k * 10) && taken[k] <= double(k * 10 + 10), qPrintable(QString::number(taken[k])));
    const ColumnProfile& phases = profile->columns.at(1);
    QCOMPARE(phases.distinct, 10.0);
    for (const auto& value : phases.frequent)
        QVERIFY2(value.share < 0.25, qPrintable(value.value));
}

// 300 numbers once each: 254 buckets of equal parts of the rows still to
// place, so the first 46 hold two numbers and the other 208 one.
void tst_Profiles::heightBalancedNumbers()
{
    QTemporaryDir dir;
    const auto db = kovatest::OpenTestDatabase(dir, QStringList{u"CREATE TABLE T (N NUMBER(4))"_s} + Inserts(u"T"_s, Range(1, 300)));
    QString problem;
    const auto profile = generate::ProfileFromRows(*db.database, u"T"_s, {}, &problem);
    QVERIFY2(profile, qPrintable(problem));
    const auto& buckets = profile->columns.at(0).buckets;
    QCOMPARE(buckets.size(), std::size_t(generate::MaxProfileBuckets));
    using Bucket = ColumnProfile::Bucket;
    QCOMPARE(buckets[0], (Bucket{1, 2, 2.0 / 300, 2}));
    QCOMPARE(buckets[45], (Bucket{91, 92, 2.0 / 300, 2}));
    QCOMPARE(buckets[46], (Bucket{93, 93, 1.0 / 300, 1}));
    QCOMPARE(buckets.back(), (Bucket{300, 300, 1.0 / 300, 1}));
}

// A and B depend on each other: the cells (x,1) 4, (y,2) 4, (x,2) 1, (y,1) 1
// give chi2 = 10 (4·4 - 1·1)^2 / 5^4 = 3.6 and V = sqrt(3.6 / 10) = 0.6. C
// against A: cells 3, 2, 2, 3, chi2 = 0.4, V = 0.2, no pair. D never repeats:
// against A its V is 1, but 10 rows fill no 10 x 2 table: no pair.
void tst_Profiles::pairs()
{
    QFETCH(QString, engine);
    if (engine == u"postgres"_s)
        KOVA_NEED_SERVER();
    QTemporaryDir dir;
    const auto db = Open(
        engine, dir, QStringList{u"CREATE TABLE P (A VARCHAR2(1), B NUMBER(1), C CHAR(1), D NUMBER(4))"_s}
                 + Inserts(u"P"_s, {u"'x', 1, 'p', 1"_s, u"'x', 1, 'q', 2"_s, u"'x', 1, 'p', 3"_s, u"'x', 1, 'q', 4"_s,
                                    u"'x', 2, 'p', 5"_s, u"'y', 2, 'q', 6"_s, u"'y', 2, 'p', 7"_s, u"'y', 2, 'q', 8"_s,
                                    u"'y', 2, 'p', 9"_s, u"'y', 1, 'q', 10"_s, u"NULL, 1, 'p', 11"_s}));
    QCOMPARE(generate::CramersV({{0, 0, 4}, {1, 1, 4}, {0, 1, 1}, {1, 0, 1}}), 0.6);
    QString problem;
    const auto profile = generate::ProfileFromRows(*db.database, u"P"_s, {}, &problem);
    QVERIFY2(profile, qPrintable(problem));
    const ColumnProfile& a = profile->columns.at(0);
    QVERIFY(a.pair);
    QCOMPARE(a.pair->column, u"B"_s);
    using Value = ColumnProfile::PairValue;
    const std::vector<Value> joint{{u"x"_s, u"1"_s, 4.0 / 11}, {u"y"_s, u"2"_s, 4.0 / 11},
                                   {u"x"_s, u"2"_s, 1.0 / 11}, {u"y"_s, u"1"_s, 1.0 / 11}};
    QCOMPARE(a.pair->values, joint);
    QCOMPARE(profile->columns.at(1).follows, u"A"_s);
    for (std::size_t j : {std::size_t(2), std::size_t(3)}) {
        QVERIFY(!profile->columns.at(j).pair);
        QVERIFY(profile->columns.at(j).follows.isEmpty());
    }
}

// Parents 1 to 4; children of 1: three, of 2: one, of 3 and 4 none, and a
// child with no parent: shares 0.5 of 0, 0.25 of 1, 0.25 of 3, 1 on average.
void tst_Profiles::childrenPerParent()
{
    QFETCH(QString, engine);
    if (engine == u"postgres"_s)
        KOVA_NEED_SERVER();
    QTemporaryDir dir;
    const auto db = Open(
        engine, dir, QStringList{u"CREATE TABLE D (ID NUMBER(4) PRIMARY KEY)"_s,
                         u"CREATE TABLE E (ID NUMBER(4) PRIMARY KEY, D_ID NUMBER(4), "
                         "CONSTRAINT E_D FOREIGN KEY (D_ID) REFERENCES D (ID))"_s}
                 + Inserts(u"D"_s, Range(1, 4))
                 + Inserts(u"E"_s, {u"1, 1"_s, u"2, 1"_s, u"3, 1"_s, u"4, 2"_s, u"5, NULL"_s}));
    QString problem;
    const auto profile = generate::ProfileFromRows(*db.database, u"E"_s, {}, &problem);
    QVERIFY2(profile, qPrintable(problem));
    QCOMPARE(profile->parents.size(), std::size_t(1));
    const generate::ChildrenPerParent& key = profile->parents.front();
    QCOMPARE(key.parentTable, u"D"_s);
    QCOMPARE(key.constraint, u"E_D"_s);
    QCOMPARE(key.columns, QStringList{u"D_ID"_s});
    const std::vector<generate::ChildCount> counts{{0, 0, 0.5}, {1, 1, 0.25}, {3, 3, 0.25}};
    QCOMPARE(key.counts, counts);
    QCOMPARE(key.average, 1.0);
    // More different counts than are kept: ranges of about equal shares.
    std::vector<std::pair<qint64, qint64>> many;
    for (qint64 n = 0; n < 300; ++n)
        many.emplace_back(n, 1);
    const auto ranges = generate::ChildRanges(many);
    QCOMPARE(ranges.size(), std::size_t(generate::MaxChildCounts));
    QCOMPARE(ranges.front(), (generate::ChildCount{0, 1, 2.0 / 300}));
    QCOMPARE(ranges.back(), (generate::ChildCount{299, 299, 1.0 / 300}));
}

void tst_Profiles::refusedNames()
{
    QTemporaryDir dir;
    const auto db = kovatest::OpenTestDatabase(dir, {u"CREATE TABLE T (C NUMBER(4))"_s, u"INSERT INTO T VALUES (1)"_s});
    for (const QString& name : {u"NONE"_s, u"T; DROP TABLE T"_s, u"T' OR 'X' = 'X"_s}) {
        QString problem;
        QVERIFY(!generate::ProfileFromRows(*db.database, name, {}, &problem));
        QVERIFY2(problem.contains(name), qPrintable(problem));
    }
    QCOMPARE(kovatest::QueryRows(*db.database, u"SELECT COUNT(*) FROM T"_s), QList<QStringList>{{u"1"_s}});
}

// Past the exact counts: a value of 10 % of 200,000 rows stays counted within
// the dropped floor and its first rows, and the distinct count is estimated
// within 5 %.
void tst_Profiles::boundedCounters()
{
    generate::ValueCounts counts;
    bool added = false;
    for (int i = 0; i < 200000; ++i)
        counts.Count(generate::ValueHash(i % 10 == 0 ? -1.0 : double(i)), &added);
    QVERIFY(!counts.Exact());
    QVERIFY(counts.Entries().size() <= generate::ExactValues);
    const qint64 heavy = counts.Entries().value(generate::ValueHash(-1.0)).count;
    QVERIFY2(heavy <= 20000 && heavy >= 20000 - counts.Floor() - 10 * generate::ValueCounts::AdmitOneIn,
             qPrintable(QString::number(heavy)));
    QVERIFY2(std::abs(counts.Distinct() - 180001) < 0.05 * 180001, qPrintable(QString::number(counts.Distinct())));
}

QTEST_GUILESS_MAIN(tst_Profiles)
#include "tst_Profiles.moc"
