// label: core
// Expression columns: values, helpers and dates in a zone with summer time,
// the order the columns run in, refusals naming the columns, the loop guard
// and what an expression cannot reach.
#include "generate/RowExpressions.h"

#include <QDateTime>
#include <QTest>

#include <ctime>

using namespace Qt::StringLiterals;
using generate::RowExpressions;

namespace {

QDateTime Wall(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}

// The ordinary columns every case has, then one column per expression (named X1, X2, ...).
std::vector<RowExpressions::Column> Columns(const QStringList& expressions, const QStringList& names = {})
{
    std::vector<RowExpressions::Column> columns{{u"数量"_s, {}}, {u"単価"_s, {}}, {u"開始日"_s, {}},
                                                {u"社員番号"_s, {}}, {u"名前"_s, {}}, {u"空"_s, {}}};
    for (int i = 0; i < expressions.size(); ++i)
        columns.push_back({i < names.size() ? names[i] : u"X%1"_s.arg(i + 1), expressions[i]});
    return columns;
}

const std::vector<QVariant> Row{3.0, 250.0, Wall(2024, 3, 31), 42.0, u"山田"_s, QVariant()};

}  // namespace

class tst_RowExpressions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Summer time starts on 2024-03-31 at 02:00: a date that crossed UTC or
    // counted days as 24 hours would come back moved.
    void initTestCase()
    {
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void evaluate_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<double>("draw");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("product") << u"row.数量 * row.単価"_s << 0.0 << QVariant(750.0);
        QTest::newRow("mail") << u"\"emp\" + pad(row.社員番号, 6) + \"@example.jp\""_s << 0.0 << QVariant(u"emp000042@example.jp"_s);
        QTest::newRow("addDays randInt") << u"addDays(row.開始日, randInt(1, 30))"_s << 0.5 << QVariant(Wall(2024, 4, 16));
        QTest::newRow("date round trip") << u"addDays(row.開始日, 0)"_s << 0.0 << QVariant(Wall(2024, 3, 31));
        QTest::newRow("date as given") << u"row.開始日"_s << 0.0 << QVariant(Wall(2024, 3, 31));
        QTest::newRow("addDays hours") << u"addDays(row.開始日, 1.5)"_s << 0.0 << QVariant(Wall(2024, 4, 1, 12));
        QTest::newRow("addDays back") << u"addDays(row.開始日, -31)"_s << 0.0 << QVariant(Wall(2024, 2, 29));
        QTest::newRow("addDays NULL") << u"addDays(row.空, 3)"_s << 0.0 << QVariant();
        QTest::newRow("local fields") << u"row.開始日.getDate() + \"/\" + row.開始日.getHours()"_s << 0.0 << QVariant(u"31/0"_s);
        QTest::newRow("new Date") << u"new Date(2024, 0, 31, 13, 45, 10)"_s << 0.0 << QVariant(Wall(2024, 1, 31, 13, 45, 10));
        QTest::newRow("brackets") << u"row[\"名前\"] + row['数量']"_s << 0.0 << QVariant(u"山田3"_s);
        QTest::newRow("NULL in") << u"row.空 === null"_s << 0.0 << QVariant(1.0);
        QTest::newRow("rand") << u"rand(10, 20)"_s << 0.25 << QVariant(12.5);
        QTest::newRow("randInt top") << u"randInt(1, 3)"_s << 0.9999 << QVariant(3.0);
        QTest::newRow("randInt bottom") << u"randInt(3, 1)"_s << 0.0 << QVariant(1.0);
        QTest::newRow("pick") << u"pick([\"a\", \"b\", \"c\"])"_s << 0.5 << QVariant(u"b"_s);
        QTest::newRow("pick empty") << u"pick([])"_s << 0.5 << QVariant();
        QTest::newRow("Math.random") << u"Math.random()"_s << 0.75 << QVariant(0.75);
        QTest::newRow("pad negative") << u"pad(-42, 6) + pad(123456, 3)"_s << 0.0 << QVariant(u"-00042123456"_s);
        QTest::newRow("statements") << u"var x = row.数量;\nreturn x * 2;"_s << 0.0 << QVariant(6.0);
        QTest::newRow("no XMLHttpRequest") << u"typeof XMLHttpRequest + typeof Qt + typeof console"_s << 0.0
                                           << QVariant(u"undefinedundefinedundefined"_s);
    }
    void evaluate()
    {
        QFETCH(QString, expression);
        QFETCH(double, draw);
        QFETCH(QVariant, expected);
        RowExpressions expressions;
        QString error;
        QVERIFY2(expressions.Prepare(Columns({expression}), &error), qPrintable(error));
        expressions.SetDraw([draw] { return draw; });
        QVariant result;
        QVERIFY2(expressions.Evaluate(6, Row, &result, &error), qPrintable(error));
        QCOMPARE(result, expected);
    }

    void refuse_data()
    {
        QTest::addColumn<QStringList>("expressions");
        QTest::addColumn<bool>("atPrepare");
        QTest::addColumn<QString>("message");
        QTest::newRow("syntax") << QStringList{u"row.数量 *"_s} << true << u"列 X1 の式を読めません: SyntaxError"_s;
        QTest::newRow("unknown") << QStringList{u"row.数料"_s} << true << u"X1 の式が、ない列 数料"_s;
        QTest::newRow("itself") << QStringList{u"row.X1 + 1"_s} << true << u"列 X1 の式が自分自身"_s;
        QTest::newRow("cycle") << QStringList{u"row.X2"_s, u"row.X3 + 1"_s, u"row['X2']"_s, u"row.X1"_s}
                               << true << u"読み合っています: X2 → X3 → X2"_s;
        QTest::newRow("throw") << QStringList{u"row.空.length"_s} << false << u"列 X1 の式でエラーが起きました: TypeError"_s;
        QTest::newRow("throw text") << QStringList{u"throw \"だめ\"; return 1;"_s} << false << u"X1 の式でエラーが起きました: だめ"_s;
        QTest::newRow("NaN") << QStringList{u"row.名前 * 2"_s} << false << u"X1 の式の結果が数になりません（NaN）"_s;
        QTest::newRow("object") << QStringList{u"({ toString: function () { for (;;) {} } })"_s} << false
                                << u"X1 の式の結果（オブジェクト）を列の値にできません"_s;
        QTest::newRow("bad date") << QStringList{u"new Date(NaN)"_s} << false << u"X1 の式の結果が正しい日付ではありません"_s;
        QTest::newRow("no return") << QStringList{u"var x = 1;"_s} << true << u"return で値を返して"_s;
        QTest::newRow("Qt.include") << QStringList{u"Qt.include(\"/etc/passwd\")"_s} << false << u"ReferenceError"_s;
        QTest::newRow("row read-only") << QStringList{u"row.数量 = 1; return 1;"_s} << false << u"TypeError"_s;
    }
    void refuse()
    {
        QFETCH(QStringList, expressions);
        QFETCH(bool, atPrepare);
        QFETCH(QString, message);
        RowExpressions rows;
        QString error;
        QVariant result;
        QCOMPARE(rows.Prepare(Columns(expressions), &error), !atPrepare);
        if (!atPrepare)
            QVERIFY(!rows.Evaluate(6, Row, &result, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    // A chain given in reverse runs from its start; an independent column keeps its place.
    void order()
    {
        RowExpressions rows;
        QString error;
        QVERIFY(rows.Prepare(Columns({u"row.B + 1"_s, u"row.数量 * 10"_s, u"row[\"A\"] * 2"_s, u"row.数量 + 1"_s},
                                     {u"C"_s, u"D"_s, u"B"_s, u"A"_s}), &error));
        QCOMPARE(rows.Order(), (std::vector<int>{7, 9, 8, 6}));
        std::vector<QVariant> row = Row;
        row.resize(10);
        for (int index : rows.Order())
            QVERIFY2(rows.Evaluate(index, row, &row[static_cast<std::size_t>(index)], &error), qPrintable(error));
        QCOMPARE(row[6], QVariant(9.0));
    }

    // An endless loop is stopped with a message naming its column; the engine runs on.
    void endlessLoop()
    {
        RowExpressions rows;
        QString error;
        QVERIFY(rows.Prepare(Columns({u"for (;;) {} return 1;"_s, u"row.数量"_s}), &error));
        QVariant result;
        QVERIFY(!rows.Evaluate(6, Row, &result, &error));
        QVERIFY2(error.contains(u"列 X1 の式が1秒たっても終わらない"_s), qPrintable(error));
        QVERIFY2(rows.Evaluate(7, Row, &result, &error), qPrintable(error));
        QCOMPARE(result, QVariant(3.0));
    }
};

QTEST_GUILESS_MAIN(tst_RowExpressions)
#include "tst_RowExpressions.moc"
