// label: engine
// Data shaped like production: NULL rates and weighted lists by their shares,
// values that never repeat (also against the table's own), patterns and
// expressions through whole runs, and seeds that give the same rows again.
#include "browser/ColumnGrid.h"
#include "generate/CreationRun.h"
#include "generate/RowPreview.h"
#include "generate/ValueGenerator.h"
#include "shared/RandomSequence.h"
#include "support/MaintainSupport.h"

#include <QSet>
#include <QTest>

#include <map>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;
using basKovaData::RowValues;
using Shares = std::map<QString, double>;

namespace {

// The table `create` makes, its columns loaded as the main window loads them,
// with `rules` (kovatest::SetRule texts) set.
struct Table {
    Table(const QStringList& create, const QStringList& texts) : db(create)
    {
        const QString name = create.first().section(u' ', 2, 2);
        browser::FillColumnGrid(db.database(), grid, name, true);
        for (const QString& rule : texts)
            kovatest::SetRule(rule);
        rules = basKovaData::TableRules::FromShared(name);
    }
    kovatest::Connected db;
    controls::GridModel grid;
    basKovaData::TableRules rules;
};

// `rows` rows of the generator, each row's values joined by "|".
QStringList Made(const basKovaData::TableRules& rules, int rows)
{
    generate::ValueGenerator generator(rules, basKovaData::OraDatabase.get());
    QStringList made;
    for (int i = 0; i < rows; ++i) {
        generator.NextRow();
        QStringList row;
        for (int j = 1; j <= rules.count(); ++j)
            row << RowValues[std::size_t(j)];
        made << row.join(u'|');
    }
    return made;
}

// One column of those rows.
QStringList Column(const QStringList& rows, int column)
{
    QStringList values;
    for (const QString& row : rows)
        values << row.section(u'|', column, column);
    return values;
}

}  // namespace

class tst_DataShapes : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { basKovaData::ResetRandom(); }

    // Over 10,000 rows each value's share is within 2 points of what was asked.
    void shares_data()
    {
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<bool>("seeded");
        QTest::addColumn<Shares>("expected");
        const QStringList list{u"S=1:A,B,C"_s, u"S~random=1,1,2"_s};
        QTest::newRow("NULL rate") << QStringList{u"S=0:A"_s, u"S~null=30"_s} << false
                                   << Shares{{u"@NULL"_s, 0.3}, {u"A"_s, 0.7}};
        QTest::newRow("weights 8:2") << QStringList{u"S=1:A,B"_s, u"S~random=8,2"_s} << false
                                     << Shares{{u"A"_s, 0.8}, {u"B"_s, 0.2}};
        QTest::newRow("weights and NULL, seeded") << (list + QStringList{u"S~null=20"_s}) << true
                                                  << Shares{{u"A"_s, 0.2}, {u"B"_s, 0.2}, {u"C"_s, 0.4}, {u"@NULL"_s, 0.2}};
        QTest::newRow("pattern alternatives") << QStringList{u"S=7:(東京|大阪)"_s} << true
                                              << Shares{{u"東京"_s, 0.5}, {u"大阪"_s, 0.5}};
    }
    void shares()
    {
        QFETCH(QStringList, rules);
        QFETCH(bool, seeded);
        QFETCH(Shares, expected);
        Table table({u"CREATE TABLE T (S VARCHAR2(10))"_s}, rules);
        if (seeded)
            table.rules.seed = 7;
        constexpr int Rows = 10000;
        std::map<QString, int> counts;
        for (const QString& value : Made(table.rules, Rows))
            ++counts[value];
        QCOMPARE(counts.size(), expected.size());
        for (const auto& [value, share] : expected)
            QVERIFY2(std::abs(counts[value] / double(Rows) - share) <= 0.02,
                     qPrintable(u"%1: %2 of %3"_s.arg(value).arg(counts[value]).arg(Rows)));
    }

    // A row left NULL takes nothing from the rule: the sequence goes on.
    void nullRowsKeepTheSequence()
    {
        Table table({u"CREATE TABLE T (N NUMBER(6))"_s}, {u"N=3:1,1"_s, u"N~null=50"_s});
        QStringList numbers = Made(table.rules, 200).filter(QRegularExpression(u"^@ \\d"_s));
        QVERIFY(numbers.size() > 60 && numbers.size() < 140);
        for (qsizetype i = 0; i < numbers.size(); ++i)
            QCOMPARE(numbers[i], u"@ "_s + QString::number(i + 1));
    }

    // 重複なし: every value once, none the table holds; a rule that cannot
    // give the rows is refused before anything is written.
    void unique_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<int>("existing");  // rows 1 .. existing already in the table
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("refused");
        const QStringList range{u"V=2:1,10,1"_s, u"V~unique"_s};
        QTest::newRow("1 to 10, 10 rows") << u"NUMBER(4)"_s << range << 0 << 10 << false;
        QTest::newRow("1 to 10, 11 rows") << u"NUMBER(4)"_s << range << 0 << 11 << true;
        QTest::newRow("around the table's 1 to 5") << u"NUMBER(4)"_s << range << 5 << 5 << false;
        QTest::newRow("table's 1 to 5 leave too few") << u"NUMBER(4)"_s << range << 5 << 6 << true;
        QTest::newRow("wide range") << u"NUMBER(9)"_s << QStringList{u"V=2:1,99999999,1"_s, u"V~unique"_s} << 0 << 3000
                                    << false;
        QTest::newRow("character key") << u"CHAR(4)"_s << QStringList{u"V=2:1,20,1"_s, u"V~unique"_s} << 3 << 17 << false;
        QTest::newRow("dates") << u"DATE"_s << QStringList{u"V=2:20240101,20240110,1"_s, u"V~unique"_s} << 0 << 10
                               << false;
        QTest::newRow("list") << u"NUMBER(4)"_s << QStringList{u"V=1:7,8,9"_s, u"V~random=1,5,1"_s, u"V~unique"_s} << 0
                              << 4 << true;
        QTest::newRow("pattern") << u"VARCHAR2(4)"_s << QStringList{u"V=7:[A-C]{2}"_s, u"V~unique"_s} << 0 << 9 << false;
        QTest::newRow("pattern too small") << u"VARCHAR2(4)"_s << QStringList{u"V=7:[A-C]{2}"_s, u"V~unique"_s} << 0
                                           << 10 << true;
        QTest::newRow("prefectures") << u"VARCHAR2(10)"_s << QStringList{u"V=6:都道府県"_s, u"V~unique"_s} << 0 << 47
                                     << false;
        QTest::newRow("48 prefectures") << u"VARCHAR2(10)"_s << QStringList{u"V=6:都道府県"_s, u"V~unique"_s} << 0
                                        << 48 << true;
    }
    void unique()
    {
        QFETCH(QString, type);
        QFETCH(QStringList, rules);
        QFETCH(int, existing);
        QFETCH(int, rows);
        QFETCH(bool, refused);
        QStringList create{u"CREATE TABLE U (V "_s + type + u")"_s};
        for (int i = 1; i <= existing; ++i)
            create << u"INSERT INTO U VALUES (%1)"_s.arg(type == u"CHAR(4)"_s ? u"'%1'"_s.arg(i, 4, 10, QChar(u'0')) : QString::number(i));
        Table table(create, rules);
        const generate::CreationResult result = generate::GenerateRows(table.rules, rows);
        QCOMPARE(result.refused, refused);
        const QString counts = kovatest::Rows(u"SELECT COUNT(*), COUNT(DISTINCT V), COUNT(V) FROM U"_s);
        if (refused) {
            QVERIFY2(result.errorText.contains(u"V"_s) && result.errorText.contains(QString::number(rows)),
                     qPrintable(result.errorText));
            QCOMPARE(counts, u"%1,%1,%1"_s.arg(existing));
        } else {
            QVERIFY2(!result.aborted && result.failures == 0, qPrintable(result.errorText + result.refusals.Details()));
            QCOMPARE(counts, u"%1,%1,%1"_s.arg(existing + rows));
        }
    }

    // With a seed a column's values depend on the seed, the table, the column
    // and the row: not on the draws made before, nor on the other columns.
    void seeds()
    {
        const QStringList rules{u"A=2:1,1000000,1"_s, u"B=6:氏名"_s, u"C=7:JP-\\d{4}"_s, u"D=2:20240101,20241231,1"_s};
        Table table({u"CREATE TABLE S (A NUMBER(8), B VARCHAR2(20), C VARCHAR2(8), D DATE)"_s}, rules);
        table.rules.seed = 42;
        const QStringList first = Made(table.rules, 20);
        basKovaData::NextRandom();
        QCOMPARE(Made(table.rules, 20), first);
        // The preview shows the rows the run then inserts.
        const generate::RowPreview preview = generate::PreviewRows(table.rules, 5);
        QVERIFY(!generate::GenerateRows(table.rules, 5).aborted);
        QStringList previewed;
        for (const QStringList& row : preview.rows)
            previewed << row.mid(0, 3).join(u',');
        QCOMPARE(kovatest::Rows(u"SELECT A, B, C FROM S"_s).split(u'|'), previewed);
        table.rules.seed = 43;
        QVERIFY(Column(Made(table.rules, 20), 0) != Column(first, 0));

        Table reordered({u"CREATE TABLE S (D DATE, X NUMBER(3), C VARCHAR2(8), A NUMBER(8))"_s},
                        {rules[0], rules[2], rules[3], u"X=2:1,100,1"_s});
        reordered.rules.seed = 42;
        const QStringList again = Made(reordered.rules, 20);
        QCOMPARE(Column(again, 3), Column(first, 0));
        QCOMPARE(Column(again, 2), Column(first, 2));
        QCOMPARE(Column(again, 0), Column(first, 3));

    }

    // Expressions run after the columns they read, wherever they stand, and
    // a failing one rolls the run back naming its column.
    void expressions_data()
    {
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<QString>("error");  // empty: the run succeeds
        const QStringList good{u"KINGAKU=8:row.SURYO * row.TANKA"_s, u"SURYO=2:1,9,1"_s, u"TANKA=2:100,900,100"_s,
                               u"KAISHI=2:20240101,20241231,1"_s, u"SHURYO=8:addDays(row.KAISHI, randInt(1, 30))"_s};
        QTest::newRow("computed") << good << QString();
        QTest::newRow("throws") << QStringList{good[1], u"KINGAKU=8:row.SURYO.x.y"_s} << u"KINGAKU"_s;
        QTest::newRow("cycle") << QStringList{u"SURYO=8:row.KINGAKU"_s, u"KINGAKU=8:row.SURYO + 1"_s} << u"SURYO"_s;
        QTest::newRow("hidden cycle") << QStringList{u"SURYO=8:const {KINGAKU} = row; return KINGAKU;"_s, u"KINGAKU=8:var k = 'SURYO'; return row[k];"_s}
                                      << u"KINGAKU → SURYO → KINGAKU"_s;
        QTest::newRow("too long for the column") << QStringList{u"SURYO=8:123456"_s} << QString();
        QTest::newRow("read before it ran") << QStringList{u"KINGAKU=8:const {SURYO, TANKA} = row; return SURYO === null ? null : SURYO * TANKA;"_s,
                                                           u"SURYO=8:randInt(1, 9)"_s, u"SURYO~null=30"_s, good[2], good[3], good[4]}
                                            << QString();
    }
    void expressions()
    {
        QFETCH(QStringList, rules);
        QFETCH(QString, error);
        Table table({u"CREATE TABLE E (KINGAKU NUMBER(8), SURYO NUMBER(2), TANKA NUMBER(4), KAISHI DATE, SHURYO DATE)"_s},
                    rules);
        const generate::CreationResult result = generate::GenerateRows(table.rules, 50);
        if (!error.isEmpty()) {
            QVERIFY(result.aborted);
            QVERIFY2(result.errorText.contains(error), qPrintable(result.errorText));
            QCOMPARE(kovatest::Rows(u"SELECT COUNT(*) FROM E"_s), u"0"_s);
            return;
        }
        QVERIFY2(!result.aborted, qPrintable(result.errorText));
        // A value the column cannot hold is refused by the database like any other.
        QCOMPARE(result.failures, rules.size() == 1 ? 50 : 0);
        QCOMPARE(kovatest::Rows(u"SELECT COUNT(*) FROM E WHERE KINGAKU <> SURYO * TANKA"_s), u"0"_s);
        QCOMPARE(kovatest::Rows(u"SELECT COUNT(*) FROM E WHERE (KINGAKU IS NULL AND SURYO IS NOT NULL) OR (SURYO IS NULL AND KINGAKU IS NOT NULL)"_s), u"0"_s);
        QVERIFY(kovatest::Rows(u"SELECT COUNT(*) FROM E WHERE SURYO IS NULL"_s).toInt() < 30);  // a NULL rate of 30 % at most
        for (const QStringList& row : kovatest::QueryRows(*basKovaData::OraDatabase, u"SELECT KAISHI, SHURYO FROM E"_s)) {
            const qint64 days = QDate::fromString(row[0], u"yyyy/MM/dd"_s).daysTo(QDate::fromString(row[1], u"yyyy/MM/dd"_s));
            QVERIFY2(days >= 1 && days <= 30, qPrintable(row.join(u' ')));
        }
    }
};

QTEST_GUILESS_MAIN(tst_DataShapes)
#include "tst_DataShapes.moc"
