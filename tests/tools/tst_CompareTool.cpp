// label: engine
// kova-generate --compare on profile files: the exit statuses, the figures
// named when some pass their thresholds, the HTML report, and the sides,
// tables and files it refuses; on logins to the embedded engine, profiled
// from their rows.
#include "GenerateTool.h"

#include "support/EngineSupport.h"
#include "support/TestSupport.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

// A profile project of 受注 (1000 rows) and 明細 (per 受注 row); the NULL
// share of 状態 and the children per parent are what the targets change.
void WriteProfile(const QString& folder, const QString& name, double nulls, const QString& counts)
{
    kovatest::WriteFile(folder + u'/' + name + u".json"_s,
                        uR"({"kova-project": 1, "tables": [{"rules": "%1.受注.json", "rows": 1000},
                            {"rules": "%1.明細.json", "per-parent": {"table": "受注", "counts": %2}}]})"_s.arg(name, counts)
                            .toUtf8());
    kovatest::WriteFile(folder + u'/' + name + u".受注.json"_s,
                        uR"({"kova-rules": 1, "table": "受注", "columns": [
        {"column": "番号", "kind": "sequence", "start": 1, "step": 1},
        {"column": "状態", "kind": "distribution", "distribution": {"family": "text", "nulls": %1, "distinct": 3,
            "frequent": [["出荷済", 0.5], ["未処理", 0.1]], "buckets": [[2, 4, %2, 1]]}},
        {"column": "金額", "kind": "distribution", "distribution": {"family": "number", "nulls": 0, "distinct": 100,
            "buckets": [[1, 1000, 1, 100]]}}]})"_s.arg(nulls).arg(0.4 - nulls)
                            .toUtf8());
    kovatest::WriteFile(folder + u'/' + name + u".明細.json"_s, R"({"kova-rules": 1, "table": "明細", "columns": [
        {"column": "数量", "kind": "distribution", "distribution": {"family": "number", "nulls": 0, "distinct": 5,
            "frequent": [["1", 0.5], ["2", 0.5]]}}]})");
}

// A table of ten rows whose S holds `a` times 'a', then 'b', then NULLs; analyzed.
QStringList TenRows(int a, int b)
{
    QStringList statements{u"CREATE TABLE T (ID NUMBER(4) PRIMARY KEY, S VARCHAR2(4))"_s};
    for (int i = 0; i < 10; ++i)
        statements << u"INSERT INTO T VALUES (%1, %2)"_s.arg(i).arg(i < a ? u"'a'"_s : i < a + b ? u"'b'"_s : u"NULL"_s);
    return statements << u"ANALYZE TABLE T COMPUTE STATISTICS"_s;
}

}  // namespace

class tst_CompareTool : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString out;
    QString err;

    QString path(const QString& name) const { return dir.filePath(name); }

    int run(const QStringList& args)
    {
        out.clear();
        err.clear();
        QString error;
        const auto parsed = kovagenerate::ParseArguments(QStringList{u"--compare"_s} + args, &error);
        if (!parsed)
            qFatal("%s", qPrintable(error));
        QTextStream o(&out);
        QTextStream e(&err);
        return kovagenerate::Run(*parsed, o, e, false);
    }

private Q_SLOTS:
    void initTestCase()
    {
        WriteProfile(dir.path(), u"src"_s, 0.2, u"[[0, 0, 0.5], [1, 3, 0.5]]"_s);
        WriteProfile(dir.path(), u"same"_s, 0.205, u"[[0, 0, 0.5], [1, 3, 0.5]]"_s);
        WriteProfile(dir.path(), u"far"_s, 0.3, u"[[0, 1, 1]]"_s);
        kovatest::WriteFile(path(u"broken.json"_s), R"({"kova-project": 1, "tables": [{"rules": "gone.json"}]})");
    }

    void statuses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("last");  // the start of the last line of `out`, or of `err`; {dir} the folder
        QTest::newRow("within") << QStringList{u"src.json"_s, u"same.json"_s, u"受注"_s, u"明細"_s} << 0
                                << u"all 13 figures within their thresholds"_s;
        QTest::newRow("past, named")
            << QStringList{u"src.json"_s, u"far.json"_s, u"受注"_s, u"明細"_s} << 1
            << u"4 of 13 figures past their thresholds: 受注.状態 NULL rate, 受注.状態 frequent TVD, 受注.状態 lengths KS, "
               "明細 → 受注 children KS"_s;
        QTest::newRow("thresholds raised")
            << QStringList{u"src.json"_s, u"far.json"_s, u"受注"_s, u"明細"_s, u"--max-null-points"_s, u"15"_s,
                           u"--max-tvd"_s, u"0.2"_s, u"--max-ks"_s, u"0.4"_s}
            << 0 << u"all 13 figures within"_s;
        QTest::newRow("table missing")
            << QStringList{u"src.json"_s, u"same.json"_s, u"受注"_s, u"顧客"_s} << 2
            << u"the source {dir}/src.json has no table 顧客 (it holds 受注, 明細)"_s;
        QTest::newRow("broken target file") << QStringList{u"src.json"_s, u"broken.json"_s, u"受注"_s} << 2
                                            << u"the target: {dir}/gone.json: cannot be read"_s;
        QTest::newRow("no such file") << QStringList{u"src.json"_s, u"none.json"_s, u"受注"_s} << 2
                                      << u"the target {dir}/none.json is no file"_s;
        QTest::newRow("neither login nor file") << QStringList{u"src.json"_s, u"target"_s, u"受注"_s} << 2
                                                << u"the target target is neither a login"_s;
        QTest::newRow("login to a database that is not there")
            << QStringList{u"scott/tiger@/nowhere/kova.db"_s, u"src.json"_s, u"受注"_s} << 2
            << u"cannot log in to the source /nowhere/kova.db"_s;
    }

    void statuses()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, last);
        for (QString& arg : args)
            if (arg.endsWith(u".json"_s) && !arg.contains(u'@'))
                arg = path(arg);
        QCOMPARE(run(args), status);
        last.replace(u"{dir}"_s, dir.path());
        const QString& text = status == 2 ? err : out;
        QVERIFY2(text.trimmed().section(u'\n', -1).startsWith(last), qPrintable(text));
        QCOMPARE(out.isEmpty(), status == 2);
    }

    // The report: a chart per column profiled on either side, no script, no
    // outside address; a login's password never shown.
    void report()
    {
        const QString page = path(u"report.html"_s);
        QCOMPARE(run({path(u"src.json"_s), path(u"far.json"_s), u"受注"_s, u"明細"_s, u"--report"_s, page}), 1);
        const QString html = QString::fromUtf8(kovatest::ReadFile(page));
        QCOMPARE(html.count(u"<img "_s), 3);
        QCOMPARE(html.count(u"src=\"data:image/png;base64,"_s), 3);
        QString rest = html;
        rest.remove(QRegularExpression(u"data:image/png;base64,[A-Za-z0-9+/=]+"_s));
        QVERIFY(!rest.contains(u"<script"_s, Qt::CaseInsensitive));
        QVERIFY(!rest.contains(u"http"_s, Qt::CaseInsensitive));
        QVERIFY(rest.contains(u"<tr class=\"past\"><td>NULL rate</td><td class=\"n\">20.00%</td>"_s));
        QVERIFY(rest.contains(u"in neither profile: its rule is of kind sequence"_s));

        // A report that cannot be written stops the run.
        QCOMPARE(run({path(u"src.json"_s), path(u"far.json"_s), u"受注"_s, u"--report"_s, path(u"no/such/r.html"_s)}), 2);
        QVERIFY2(err.startsWith(u"cannot write the report"_s), qPrintable(err));
    }

    // Logins are profiled from their rows or statistics (no privacy pass: a value held by
    // a single row still counts), their tables checked.
    void logins()
    {
        const kovatest::EngineDb source(TenRows(8, 1));
        const kovatest::EngineDb target(TenRows(5, 4));
        const QString one = u"scott/tiger@"_s + source.db.path;
        QCOMPARE(run({one, one, u"T"_s}), 0);
        QVERIFY2(out.endsWith(u"all 8 figures within their thresholds\n"_s), qPrintable(out));
        QCOMPARE(run({one, u"scott/tiger@"_s + target.db.path, u"T"_s}), 1);
        QVERIFY2(out.contains(u"T.S frequent TVD"_s) && !out.contains(u"T.ID"_s), qPrintable(out));
        QCOMPARE(run({one, u"scott/tiger@"_s + target.db.path, u"T"_s, u"--statistics-only"_s}), 1);
        QVERIFY2(out.contains(u"past their thresholds: T.S frequent TVD\n"_s), qPrintable(out));
        QCOMPARE(run({one, one, u"T"_s, u"NOSUCH"_s}), 2);
        QVERIFY2(err.startsWith(u"the source scott@"_s + source.db.path + u": NOSUCH: "_s), qPrintable(err));
    }
};

QTEST_MAIN(tst_CompareTool)
#include "tst_CompareTool.moc"
