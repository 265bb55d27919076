// label: core
// The comparison's figures against values worked out by hand on small
// profiles, their verdicts, and profile files read back or refused.
#include "generate/ProfileCompare.h"
#include "generate/ProfileFile.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using generate::ColumnProfile;

namespace {

ColumnProfile Profile(const QString& json)
{
    QString problem;
    const auto profile = generate::ReadProfileJson(QJsonDocument::fromJson(json.toUtf8()).object(), std::nullopt, &problem);
    if (!profile)
        qFatal("%s: %s", qPrintable(json), qPrintable(problem));
    return *profile;
}

std::vector<generate::ChildCount> Counts(const QString& json)
{
    std::vector<generate::ChildCount> counts;
    for (const QJsonValue& row : QJsonDocument::fromJson(json.toUtf8()).array())
        counts.push_back({row[0].toInteger(), row[1].toInteger(), row[2].toDouble()});
    return counts;
}

enum Which { Nulls, Distinct, Tvd, Ks, Children };

}  // namespace

class tst_ProfileCompare : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void figures_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<double>("expected");
        const auto row = [](const char* name, Which which, const QString& source, const QString& target, double expected) {
            QTest::newRow(name) << int(which) << source << target << expected;
        };
        row("NULL rate: 0.3 against 0.32 is 2 points", Nulls, uR"({"family":"text","nulls":0.3,"distinct":1})"_s,
            uR"({"family":"text","nulls":0.32,"distinct":1})"_s, 2.0);
        row("distinct: 100 against 90 is 10 %", Distinct, uR"({"family":"number","nulls":0,"distinct":100})"_s,
            uR"({"family":"number","nulls":0,"distinct":90})"_s, 0.1);
        row("distinct: none against 3 is taken against 1", Distinct, uR"({"family":"number","nulls":1,"distinct":0})"_s,
            uR"({"family":"number","nulls":0,"distinct":3})"_s, 3.0);
        // Over non-NULL rows: A .5/.5, B .3/0, C 0/.3, other .2/.2.
        row("TVD of texts, conditioned on non-NULL rows", Tvd,
            uR"({"family":"text","nulls":0,"distinct":12,"frequent":[["A",0.5],["B",0.3]],"buckets":[[1,5,0.2,10]]})"_s,
            uR"({"family":"text","nulls":0.5,"distinct":12,"frequent":[["A",0.25],["C",0.15]],"buckets":[[1,5,0.1,10]]})"_s,
            0.3);
        // The source's 7 takes .6/6 = .1 of its bucket: 5 .4/.4, 7 .1/.3, other .5/.3.
        row("TVD of numbers: a value frequent on one side only", Tvd,
            uR"({"family":"number","nulls":0,"distinct":7,"frequent":[["5",0.4]],"buckets":[[1,10,0.6,6]]})"_s,
            uR"({"family":"number","nulls":0,"distinct":7,"frequent":[["5",0.4],["7",0.3]],"buckets":[[1,10,0.3,5]]})"_s,
            0.2);
        // The source's 7 lies in both buckets: .5/5 + .1/1 = .2 against .3; 5 .4/.4, other .4/.3.
        row("TVD of numbers: a value in overlapping buckets", Tvd,
            uR"({"family":"number","nulls":0,"distinct":7,"frequent":[["5",0.4]],"buckets":[[6,10,0.5,5],[7,7,0.1,1]]})"_s,
            uR"({"family":"number","nulls":0,"distinct":7,"frequent":[["5",0.4],["7",0.3]],"buckets":[[1,10,0.3,5]]})"_s,
            0.1);
        row("TVD: numbers matched by value", Tvd,
            uR"({"family":"number","nulls":0,"distinct":1,"frequent":[["5.0",1]]})"_s,
            uR"({"family":"number","nulls":0,"distinct":1,"frequent":[["5",1]]})"_s, 0.0);
        row("TVD: a target of NULLs only", Tvd,
            uR"({"family":"text","nulls":0,"distinct":1,"frequent":[["A",1]]})"_s,
            uR"({"family":"text","nulls":1,"distinct":0})"_s, 1.0);
        row("KS: even spread against its middle", Ks, uR"({"family":"number","nulls":0,"distinct":10,"buckets":[[0,10,1,10]]})"_s,
            uR"({"family":"number","nulls":0,"distinct":1,"frequent":[["5",1]]})"_s, 0.5);
        row("KS: [0,10] against [2,10], largest at 2", Ks,
            uR"({"family":"number","nulls":0,"distinct":10,"buckets":[[0,10,1,10]]})"_s,
            uR"({"family":"number","nulls":0,"distinct":8,"buckets":[[2,10,1,8]]})"_s, 0.2);
        row("KS: a point at a spread's end, just before it", Ks,
            uR"({"family":"number","nulls":0,"distinct":10,"buckets":[[0,10,1,10]]})"_s,
            uR"({"family":"number","nulls":0,"distinct":1,"frequent":[["10",1]]})"_s, 1.0);
        row("KS: over non-NULL rows", Ks, uR"({"family":"number","nulls":0.5,"distinct":10,"buckets":[[0,10,0.5,10]]})"_s,
            uR"({"family":"number","nulls":0,"distinct":10,"buckets":[[0,10,1,10]]})"_s, 0.0);
        row("KS of dates: a day's point in a two days' spread", Ks,
            uR"({"family":"date","nulls":0,"distinct":1,"frequent":[["20240102 000000",1]]})"_s,
            uR"({"family":"date","nulls":0,"distinct":2,"buckets":[["20240101 000000","20240103 000000",1,2]]})"_s, 0.5);
        row("KS of lengths: 2 and 3 against 2", Ks,
            uR"({"family":"text","nulls":0,"distinct":2,"frequent":[["ab",0.5],["あいう",0.5]]})"_s,
            uR"({"family":"text","nulls":0,"distinct":1,"frequent":[["xy",1]]})"_s, 0.5);
        row("KS of lengths in characters, not UTF-16 units", Ks,
            uR"({"family":"text","nulls":0,"distinct":1,"frequent":[["𠮷",1]]})"_s,
            uR"({"family":"text","nulls":0,"distinct":1,"frequent":[["a",1]]})"_s, 0.0);
        // Source: 0 half, 1 to 3 a sixth each; target: 0 and 1 half each.
        row("children per parent, whole numbers", Children, u"[[0,0,0.5],[1,3,0.5]]"_s, u"[[0,1,1]]"_s, 1.0 / 3.0);
        row("children per parent, the same spread", Children, u"[[2,5,1]]"_s, u"[[2,3,0.5],[4,5,0.5]]"_s, 0.0);
    }

    void figures()
    {
        QFETCH(int, which);
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(double, expected);
        double got = 0.0;
        if (which == Children) {
            got = generate::ChildrenDistance(Counts(source), Counts(target));
        } else {
            const ColumnProfile a = Profile(source);
            const ColumnProfile b = Profile(target);
            got = which == Nulls      ? generate::NullPoints(a, b)
                  : which == Distinct ? generate::DistinctDifference(a, b)
                  : which == Tvd      ? generate::FrequentDistance(a, b)
                                      : generate::ValueDistance(a, b);
        }
        QVERIFY2(std::abs(got - expected) < 1e-9, qPrintable(u"%1, not %2"_s.arg(got).arg(expected)));
    }

    // The verdicts of a table: a figure at its limit is within it; columns
    // and foreign keys of one side only are named, not compared.
    void verdicts()
    {
        generate::TableProfile source;
        source.table = u"T"_s;
        source.columnNames = {u"A"_s, u"B"_s};
        source.columns = {Profile(uR"({"family":"text","nulls":0.3,"distinct":100})"_s),
                          Profile(uR"({"family":"text","nulls":0,"distinct":2,"frequent":[["x",0.5],["y",0.5]]})"_s)};
        source.parents = {{u"P"_s, u"FK"_s, {u"P_ID"_s}, {{0, 0, 0.5}, {1, 3, 0.5}}, 1.0}};
        generate::TableProfile target = source;
        target.columnNames = {u"a"_s, u"B"_s, u"C"_s};
        target.columns[0].nulls = 0.31;
        target.columns[0].distinct = 110;
        target.columns[1].frequent[1].value = u"z"_s;
        target.columns.push_back(target.columns[0]);
        target.parents[0].columns.clear();
        target.parents[0].counts = {{0, 1, 1.0}};
        target.parents.push_back({u"Q"_s, u"FK2"_s, {}, {{1, 1, 1.0}}, 1.0});
        const generate::TableComparison result = generate::CompareProfiles(source, target, {});
        QCOMPARE(result.past(), (QStringList{u"T.B frequent TVD"_s, u"T → P children KS"_s}));
        QCOMPARE(result.figureCount(), 4 + 4 + 1);
        QCOMPARE(result.columns.size(), std::size_t(3));
        QCOMPARE(result.columns[2].note, u"not in the source's profile"_s);
        QCOMPARE(result.keys.size(), std::size_t(2));
        QCOMPARE(result.keys[1].note, u"the source has no children per parent for it"_s);
    }

    void profileFile()
    {
        QTemporaryDir dir;
        const QString project = dir.filePath(u"p.json"_s);
        kovatest::WriteFile(project, R"({"kova-project": 1, "seed": 7, "tables": [
            {"rules": "p.受注.json", "rows": 40},
            {"rules": "sub/p.明細.json", "per-parent": {"table": "受注", "counts": [[0, 2, 0.5], [3, 5, 0.5]]}}]})");
        kovatest::WriteFile(dir.filePath(u"p.受注.json"_s), R"({"kova-rules": 1, "table": "受注", "rows": 10, "columns": [
            {"column": "ID", "kind": "sequence", "start": 1, "step": 1},
            {"column": "状態", "kind": "distribution", "distribution": {"family": "text", "nulls": 0.1, "distinct": 2,
                "frequent": [["済", 0.6], ["未", 0.3]]}}]})");
        QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
        kovatest::WriteFile(dir.filePath(u"sub/p.明細.json"_s), R"({"kova-rules": 1, "table": "明細", "columns": []})");
        QString problem;
        const auto tables = generate::ReadProfileFile(project, &problem);
        QVERIFY2(tables, qPrintable(problem));
        QCOMPARE(tables->size(), std::size_t(2));
        const generate::TableProfile& orders = tables->at(0).profile;
        QCOMPARE(orders.rows, 40);
        QCOMPARE(orders.columnNames, QStringList{u"状態"_s});
        QCOMPARE(orders.columns[0].frequent.size(), std::size_t(2));
        QCOMPARE(tables->at(0).otherKinds, (std::vector<std::pair<QString, QString>>{{u"ID"_s, u"sequence"_s}}));
        // 40 parents with 2.5 children each on average.
        const generate::TableProfile& lines = generate::FindProfiledTable(*tables, u"明細"_s)->profile;
        QCOMPARE(lines.rows, 100);
        QCOMPARE(lines.parents.size(), std::size_t(1));
        QCOMPARE(lines.parents[0].parentTable, u"受注"_s);
        QCOMPARE(lines.parents[0].counts.size(), std::size_t(2));
    }

    void brokenFiles_data()
    {
        QTest::addColumn<QByteArray>("project");
        QTest::addColumn<QByteArray>("rules");
        QTest::addColumn<QString>("problem");
        const QByteArray good = R"({"kova-project": 1, "tables": [{"rules": "r.json", "rows": 5}]})";
        const QByteArray column = R"({"kova-rules": 1, "table": "T", "columns": [{"column": "C", "kind": "distribution", )";
        QTest::newRow("project not JSON") << QByteArray("{\"kova-project\": 1,") << QByteArray() << u"p.json: "_s;
        QTest::newRow("rule file missing") << QByteArray(R"({"kova-project": 1, "tables": [{"rules": "none.json"}]})")
                                           << QByteArray() << u"none.json: cannot be read"_s;
        QTest::newRow("rule file not JSON") << good << QByteArray("{") << u"r.json: not JSON"_s;
        QTest::newRow("rule file without columns") << good << QByteArray(R"({"table": "T"})") << u"not a rule file"_s;
        QTest::newRow("distribution not an object") << good << column + R"("distribution": 3}]})" << u"C: "_s;
        QTest::newRow("distribution without family") << good << column + R"("distribution": {"nulls": 0, "distinct": 1}}]})"
                                                     << u"r.json: C: "_s;
        QTest::newRow("share past 1") << good
                                      << column + R"("distribution": {"family": "text", "nulls": 2, "distinct": 1}}]})"
                                      << u"r.json: C: "_s;
        QTest::newRow("a table twice")
            << QByteArray(R"({"kova-project": 1, "tables": [{"rules": "r.json"}, {"rules": "r.json"}]})")
            << QByteArray(R"({"table": "T", "columns": []})") << u"the table T comes twice"_s;
    }

    void brokenFiles()
    {
        QFETCH(QByteArray, project);
        QFETCH(QByteArray, rules);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        kovatest::WriteFile(dir.filePath(u"p.json"_s), project);
        if (!rules.isEmpty())
            kovatest::WriteFile(dir.filePath(u"r.json"_s), rules);
        QString got;
        QVERIFY(!generate::ReadProfileFile(dir.filePath(u"p.json"_s), &got));
        QVERIFY2(got.contains(problem), qPrintable(got));
    }
};

QTEST_GUILESS_MAIN(tst_ProfileCompare)
#include "tst_ProfileCompare.moc"
