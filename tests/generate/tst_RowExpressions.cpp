// label: core
// Expression columns: values, helpers and dates the same in every time zone,
// the order the columns run in, columns computed when first read however
// they are read, refusals naming the columns, the loop guard and what an
// expression cannot reach.
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
    std::vector<RowExpressions::Column> columns{{u"数量"_s, {}},   {u"単価"_s, {}}, {u"開始日"_s, {}}, {u"社員番号"_s, {}},
                                                {u"名前"_s, {}},   {u"空"_s, {}},   {u"日時"_s, {}}};
    for (int i = 0; i < expressions.size(); ++i)
        columns.push_back({i < names.size() ? names[i] : u"X%1"_s.arg(i + 1), expressions[i]});
    return columns;
}

// 開始日 is the day summer time starts in Europe, 日時 a time that the change
// to summer time skips in America/New_York.
const std::vector<QVariant> Row{3.0, 250.0, Wall(2024, 3, 31), 42.0, u"山田"_s, QVariant(), Wall(2024, 3, 10, 2, 30)};
constexpr int First = 7;  // the first expression column

// Zones with and without summer time, either side of UTC.
const char* const Zones[] = {"UTC", "America/New_York", "Asia/Tokyo", "Europe/Berlin", "Australia/Lord_Howe"};

void SetZone(const QByteArray& zone)
{
    qputenv("TZ", zone);
    tzset();
}

}  // namespace

class tst_RowExpressions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_zone = qgetenv("TZ");
        m_hadZone = qEnvironmentVariableIsSet("TZ");
    }
    void cleanupTestCase()
    {
        if (m_hadZone) {
            SetZone(m_zone);
        } else {
            qunsetenv("TZ");
            tzset();
        }
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
        QTest::newRow("addDays over a skipped hour") << u"addDays(row.日時, 1)"_s << 0.0 << QVariant(Wall(2024, 3, 11, 2, 30));
        QTest::newRow("addDays back over it") << u"addDays(row.日時, -0.25)"_s << 0.0 << QVariant(Wall(2024, 3, 9, 20, 30));
        QTest::newRow("fields of a skipped hour") << u"[row.日時.getDate(), row.日時.getHours(), row.日時.getMinutes(), row.日時.getDay(), row.日時.getTimezoneOffset()].join()"_s
                                                  << 0.0 << QVariant(u"10,2,30,0,0"_s);
        QTest::newRow("setHours") << u"var d = new Date(row.日時); d.setHours(26); return d;"_s << 0.0 << QVariant(Wall(2024, 3, 11, 2, 30));
        QTest::newRow("as text") << u"row.日時 + \"|\" + row.日時.toLocaleDateString()"_s << 0.0
                                 << QVariant(u"Sun Mar 10 2024 02:30:00 GMT+0000|Sun Mar 10 2024"_s);
        QTest::newRow("ISO text without a zone") << u"new Date(\"2024-03-10T02:30\")"_s << 0.0 << QVariant(Wall(2024, 3, 10, 2, 30));
        QTest::newRow("text with its zone") << u"new Date(Date.parse(\"2024-03-10T11:30:00+09:00\"))"_s << 0.0 << QVariant(Wall(2024, 3, 10, 2, 30));
        QTest::newRow("no XMLHttpRequest") << u"typeof XMLHttpRequest + typeof Qt + typeof console"_s << 0.0
                                           << QVariant(u"undefinedundefinedundefined"_s);
    }
    // Each case in every zone: the machine's zone changes nothing.
    void evaluate()
    {
        QFETCH(QString, expression);
        QFETCH(double, draw);
        QFETCH(QVariant, expected);
        for (const char* zone : Zones) {
            SetZone(zone);
            RowExpressions expressions;
            QString error;
            QVERIFY2(expressions.Prepare(Columns({expression}), &error), qPrintable(error));
            expressions.SetDraw([draw] { return draw; });
            QVariant result;
            QVERIFY2(expressions.Evaluate(First, Row, &result, &error), qPrintable(QString::fromLatin1(zone) + u": "_s + error));
            QVERIFY2(result == expected, qPrintable(u"%1: %2"_s.arg(QString::fromLatin1(zone), result.toString())));
        }
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
        QTest::newRow("text without a zone") << QStringList{u"new Date(\"March 10, 2024 02:30\")"_s} << false << u"X1 の式の結果が正しい日付ではありません"_s;
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
            QVERIFY(!rows.Evaluate(First, Row, &result, &error));
        QVERIFY2(error.contains(message), qPrintable(error));
    }

    // The expression columns run in the order given, each result put into the
    // row: one read before it ran, in whatever form, is computed then, once.
    // Draws count up, so that a column computed twice would show it.
    void readBeforeRun_data()
    {
        QTest::addColumn<QStringList>("expressions");  // X1, X2, ...
        QTest::addColumn<QVariantList>("expected");     // their values; a text for a failure of X1
        QTest::newRow("destructuring") << QStringList{u"const {X2} = row; return 'n=' + X2;"_s, u"row.数量 * 2"_s}
                                       << QVariantList{u"n=6"_s, 6.0};
        QTest::newRow("computed name") << QStringList{u"var c = 'X' + 2; return row[c] + 1;"_s, u"row.数量"_s}
                                       << QVariantList{4.0, 3.0};
        QTest::newRow("loop and keys") << QStringList{u"var s = ''; for (var k in row) if (/^X[^1]/.test(k)) s += row[k]; return s + Object.keys(row).length;"_s,
                                                      u"row.数量"_s, u"randInt(1, 10)"_s}
                                       << QVariantList{u"3110"_s, 3.0, 1.0};
        QTest::newRow("hidden chain, drawn once") << QStringList{u"const {X2} = row; return X2;"_s, u"var k = 'X3'; return row[k] * 10;"_s, u"randInt(1, 10)"_s}
                                                  << QVariantList{10.0, 10.0, 1.0};
        QTest::newRow("hidden cycle") << QStringList{u"const {X2} = row; return X2;"_s, u"const {X3} = row; return X3;"_s, u"var k = 'X2'; return row[k];"_s}
                                      << QVariantList{u"読み合っています: X2 → X3 → X2"_s};
        QTest::newRow("cycle caught") << QStringList{u"try { const {X2} = row; return X2; } catch (e) { return 0; }"_s, u"var k = 'X1'; return row[k];"_s}
                                      << QVariantList{u"読み合っています: X1 → X2 → X1"_s};
        QTest::newRow("itself among the values") << QStringList{u"Object.values(row).length"_s} << QVariantList{u"列 X1 の式が自分自身"_s};
        QTest::newRow("failure of the one read") << QStringList{u"const {X2} = row; return X2;"_s, u"null.x"_s}
                                                 << QVariantList{u"列 X2 の式でエラーが起きました: TypeError"_s};
    }
    void readBeforeRun()
    {
        QFETCH(QStringList, expressions);
        QFETCH(QVariantList, expected);
        RowExpressions rows;
        QString error;
        QVERIFY2(rows.Prepare(Columns(expressions), &error), qPrintable(error));
        int draws = 0;
        rows.SetDraw([&draws] { return draws++ / 10.0; });
        std::vector<QVariant> row = Row;
        row.resize(std::size_t(First + expressions.size()));
        for (int pass = 0; pass < 2; ++pass) {  // the second pass is the next row
            draws = 0;
            QVariantList values;
            for (int i = First; i < int(row.size()); ++i) {
                const bool done = rows.Evaluate(i, row, &row[std::size_t(i)], &error);
                if (i == First && expected.size() == 1 && !done) {
                    QVERIFY2(error.contains(expected[0].toString()), qPrintable(error));
                    break;
                }
                QVERIFY2(done, qPrintable(error));
                QVERIFY(rows.Computed(i));
                values << row[std::size_t(i)];
            }
            if (!values.isEmpty())
                QCOMPARE(values, expected);
        }
    }

    // A chain given in reverse runs from its start; an independent column keeps its place.
    void order()
    {
        RowExpressions rows;
        QString error;
        QVERIFY(rows.Prepare(Columns({u"row.B + 1"_s, u"row.数量 * 10"_s, u"row[\"A\"] * 2"_s, u"row.数量 + 1"_s},
                                     {u"C"_s, u"D"_s, u"B"_s, u"A"_s}), &error));
        QCOMPARE(rows.Order(), (std::vector<int>{8, 10, 9, 7}));
        std::vector<QVariant> row = Row;
        row.resize(11);
        for (int index : rows.Order())
            QVERIFY2(rows.Evaluate(index, row, &row[static_cast<std::size_t>(index)], &error), qPrintable(error));
        QCOMPARE(row[7], QVariant(9.0));
    }

    // An endless loop is stopped with a message naming its column; the engine runs on.
    void endlessLoop()
    {
        RowExpressions rows;
        QString error;
        QVERIFY(rows.Prepare(Columns({u"for (;;) {} return 1;"_s, u"row.数量"_s}), &error));
        QVariant result;
        QVERIFY(!rows.Evaluate(First, Row, &result, &error));
        QVERIFY2(error.contains(u"列 X1 の式が1秒たっても終わらない"_s), qPrintable(error));
        QVERIFY2(rows.Evaluate(First + 1, Row, &result, &error), qPrintable(error));
        QCOMPARE(result, QVariant(3.0));
    }

private:
    QByteArray m_zone;
    bool m_hadZone = false;
};

QTEST_GUILESS_MAIN(tst_RowExpressions)
#include "tst_RowExpressions.moc"
