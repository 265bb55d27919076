// label: engine
// Data shaped like production: NULL rates and weighted lists by their shares,
// draws that reach both ends of their ranges, values that never repeat (also
// against the table's own), patterns and expressions through whole runs,
// made values that stay data, lengths as the column counts them, and seeds
// that give the same rows again.
#include "browser/ColumnGrid.h"
#include "generate/CreationRun.h"
#include "generate/RowPreview.h"
#include "generate/ValueGenerator.h"
#include "rules/RuleEditing.h"
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

// The column named `name` of rows made from `table` (columns as created).
QStringList ColumnNamed(const basKovaData::TableRules& rules, const QStringList& rows, const QString& name)
{
    for (int j = 1; j <= rules.count(); ++j)
        if (rules[j].ColumnName.trimmed() == name)
            return Column(rows, j - 1);
    return {u"no column "_s + name};
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

    // Every value a rule can give is given, none beyond its ends: random
    // numbers and dates, whole ranges that may not repeat (each value once),
    // weights, and NULL rates of 0 and 100.
    void edges_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("rules");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("values");  // every distinct value, sorted
        QTest::newRow("numbers 1 to 5") << u"NUMBER(4)"_s << QStringList{u"V=2:1,5,1"_s} << 300 << u"1,2,3,4,5"_s;
        QTest::newRow("step short of the maximum") << u"NUMBER(4,2)"_s << QStringList{u"V=2:0,1,0.3"_s} << 300
                                                   << u".3,.6,.9,0"_s;
        QTest::newRow("step not dividing the range") << u"NUMBER(4,2)"_s << QStringList{u"V=2:0,.2,0.07"_s} << 300
                                                     << u".07,.14,0"_s;
        QTest::newRow("negative range") << u"NUMBER(4)"_s << QStringList{u"V=2:-3,-1,1"_s} << 300 << u"-1,-2,-3"_s;
        QTest::newRow("days") << u"DATE"_s << QStringList{u"V=2:20240228,20240301,1"_s} << 300
                              << u"2024/02/28 00:00:00,2024/02/29 00:00:00,2024/03/01 00:00:00"_s;
        QTest::newRow("hundredths inside the column's tenths") << u"NUMBER(4,1)"_s << QStringList{u"V=2:0,.96,0.01"_s}
                                                               << 300 << u".1,.2,.3,.4,.5,.6,.7,.8,.9,0"_s;
        QTest::newRow("hundredths rounding to one tenth") << u"NUMBER(4,1)"_s << QStringList{u"V=2:.05,.15,0.01"_s} << 50
                                                          << u".1"_s;
        QTest::newRow("days, the last one past the maximum's time")
            << u"DATE"_s << QStringList{u"V=2:20240101 120000,20240104 000000,1"_s} << 300
            << u"2024/01/01 12:00:00,2024/01/02 12:00:00,2024/01/03 12:00:00"_s;
        QTest::newRow("no whole day: the minimum") << u"DATE"_s << QStringList{u"V=2:20240101 120000,20240101 060000,1"_s}
                                                   << 20 << u"2024/01/01 12:00:00"_s;
        QTest::newRow("whole range once") << u"NUMBER(4)"_s << QStringList{u"V=2:1,6,1"_s, u"V~unique"_s} << 6
                                          << u"1,2,3,4,5,6"_s;
        QTest::newRow("whole range of days once") << u"DATE"_s << QStringList{u"V=2:20241231,20250102,1"_s, u"V~unique"_s}
                                                  << 3 << u"2024/12/31 00:00:00,2025/01/01 00:00:00,2025/01/02 00:00:00"_s;
        QTest::newRow("scale's grid once") << u"NUMBER(4,1)"_s << QStringList{u"V=2:0,.3,0.01"_s, u"V~unique"_s} << 4
                                           << u".1,.2,.3,0"_s;
        QTest::newRow("weights 1 and 1000") << u"VARCHAR2(2)"_s << QStringList{u"V=1:A,B"_s, u"V~random=1,1000"_s} << 5000
                                            << u"A,B"_s;
        QTest::newRow("NULL rate 100") << u"NUMBER(4)"_s << QStringList{u"V=2:1,5,1"_s, u"V~null=100"_s} << 300 << u""_s;
        QTest::newRow("NULL rate 0") << u"NUMBER(4)"_s << QStringList{u"V=0:7"_s, u"V~null=0"_s} << 300 << u"7"_s;
    }
    void edges()
    {
        QFETCH(QStringList, rules);
        QFETCH(int, rows);
        QFETCH(QString, type);
        Table table({u"CREATE TABLE G (V "_s + type + u")"_s}, rules);
        table.rules.seed = 3;
        const QStringList made = Made(table.rules, rows);
        QSet<QString> distinct;
        for (const QString& value : made)
            distinct.insert(generate::PreviewText(value));
        QStringList values = distinct.values();
        values.sort();
        QTEST(values.join(u','), "values");
        if (table.rules[1].Unique)
            QCOMPARE(distinct.size(), rows);
    }

    // With a seed, each column keeps its values when another column is added
    // before it, the columns are reordered or one is removed, whatever its
    // kind. The dictionary columns of a row still speak of one person and
    // one place.
    void columnsKeepTheirValues_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("rules");
        const QString text = u"VARCHAR2(60)"_s;
        QTest::newRow("random number") << u"NUMBER(8)"_s << QStringList{u"V=2:1,1000000,1"_s};
        QTest::newRow("random date") << u"DATE"_s << QStringList{u"V=2:20240101,20241231,1"_s};
        QTest::newRow("pattern") << text << QStringList{u"V=7:[A-Z]{3}\\d{2}"_s};
        QTest::newRow("name") << text << QStringList{u"V=6:氏名"_s};
        QTest::newRow("name, never twice") << text << QStringList{u"V=6:氏名"_s, u"V~unique"_s};
        QTest::newRow("address") << text << QStringList{u"V=6:住所"_s};
        QTest::newRow("company") << text << QStringList{u"V=6:会社名"_s};
        QTest::newRow("mobile") << text << QStringList{u"V=6:携帯電話番号"_s};
        QTest::newRow("weighted list") << text << QStringList{u"V=1:A,B,C"_s, u"V~random=1,2,3"_s};
        QTest::newRow("list in turn") << text << QStringList{u"V=1:A,B,C"_s};
        QTest::newRow("range never twice") << u"NUMBER(8)"_s << QStringList{u"V=2:1,1000,1"_s, u"V~unique"_s};
        QTest::newRow("NULL rate") << u"NUMBER(8)"_s << QStringList{u"V=2:1,1000,1"_s, u"V~null=30"_s};
        QTest::newRow("expression") << u"NUMBER(8)"_s << QStringList{u"V=8:randInt(1, 1000)"_s};
        QTest::newRow("sequence") << u"NUMBER(8)"_s << QStringList{u"V=3:5,2"_s};
    }
    void columnsKeepTheirValues()
    {
        QFETCH(QString, type);
        QFETCH(QStringList, rules);
        constexpr int Rows = 30;
        const auto made = [&](const QString& columns, const QStringList& more) {
            Table table({u"CREATE TABLE K ("_s + columns + u")"_s}, rules + more);
            table.rules.seed = 11;
            const QStringList rows = Made(table.rules, Rows);
            return std::pair{ColumnNamed(table.rules, rows, u"V"_s), ColumnNamed(table.rules, rows, u"W"_s)};
        };
        const QString postal = u"W=6:郵便番号"_s;
        const auto [v, w] = made(u"V "_s + type + u", W VARCHAR2(10)"_s, {postal});
        const auto [v2, w2] = made(u"N VARCHAR2(40), W VARCHAR2(10), V "_s + type, {postal, u"N=6:氏名カナ"_s});
        const auto [v3, w3] = made(u"V "_s + type, {});
        QCOMPARE(v2, v);
        QCOMPARE(v3, v);
        QCOMPARE(w2, w);
        QVERIFY(QSet<QString>(v.begin(), v.end()).size() > 1 || rules.size() > 1);
    }

    // Values the program makes or reads are data, whatever they begin with;
    // only fixed values and lists keep "@" for SQL text. The preview shows
    // what the run stores.
    void madeValuesAreData_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("shape");  // every stored value matches
        QTest::addColumn<bool>("sql");       // SQL text, which the preview shows as typed
        QTest::newRow("pattern beginning with @") << u"V=7:@[0-9]{3}"_s << u"@\\d{3}"_s << false;
        QTest::newRow("pattern of any character") << u"V=7:.{2}"_s << u"[!-~]{2}"_s << false;
        QTest::newRow("expression") << u"V=8:'@' + row.ID"_s << u"@\\d+"_s << false;
        QTest::newRow("list read from a table") << u"V=4:SELECT S FROM SRC"_s
                                                << u"@'x'\\|\\|\\(SELECT sqlite_version\\(\\)\\)"_s << false;
        QTest::newRow("list value holding a NUL") << u"V=4:SELECT 'a' || CHR(0) || 'b' FROM SRC"_s << u"a\\x00b"_s
                                                  << false;
        QTest::newRow("fixed SQL text") << u"V=0:@'A'||'B'"_s << u"AB"_s << true;
        QTest::newRow("list SQL text in turn") << u"V=1:@'A'||'B',@'C'"_s << u"AB|C"_s << true;
    }
    void madeValuesAreData()
    {
        QFETCH(QString, rule);
        QFETCH(QString, shape);
        QFETCH(bool, sql);
        Table table({u"CREATE TABLE D (ID NUMBER(4), V VARCHAR2(40))"_s, u"CREATE TABLE SRC (S VARCHAR2(40))"_s,
                     u"INSERT INTO SRC VALUES ('@''x''||(SELECT sqlite_version())')"_s},
                    {u"ID=3:1,1"_s, rule});
        table.rules.seed = 5;
        constexpr int Rows = 300;
        const generate::RowPreview preview = generate::PreviewRows(table.rules, Rows);
        const generate::CreationResult result = generate::GenerateRows(table.rules, Rows);
        QVERIFY2(!result.aborted && result.failures == 0, qPrintable(result.errorText + result.refusals.Details()));
        const QRegularExpression expected(QRegularExpression::anchoredPattern(shape));
        const QList<QStringList> stored = kovatest::QueryRows(*basKovaData::OraDatabase, u"SELECT V FROM D ORDER BY ID"_s);
        QCOMPARE(stored.size(), Rows);
        for (int i = 0; i < Rows; ++i) {
            QVERIFY2(expected.match(stored[i][0]).hasMatch(), qPrintable(stored[i][0]));
            if (!sql)
                QCOMPARE(preview.rows[std::size_t(i)][1], stored[i][0]);
        }
    }

    // A length in CHAR counts characters, a length in bytes the bytes of code
    // page 932 (the embedded engine): the pattern check and the dictionary's
    // cut measure as the column does.
    void lengths_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("longest");  // MAX(LENGTH(V)) after a run
        QTest::newRow("kana in 4 characters") << u"VARCHAR2(4 CHAR)"_s << u"V=7:[ぁ-ん]{4}"_s << QString() << u"4"_s;
        QTest::newRow("kana in 3 characters") << u"VARCHAR2(3 CHAR)"_s << u"V=7:[ぁ-ん]{4}"_s
                                              << u"パターンの最も長い値は4文字で、項目の長さ3文字を超えます。"_s << QString();
        QTest::newRow("kana in 4 bytes") << u"VARCHAR2(4)"_s << u"V=7:[ぁ-ん]{4}"_s
                                         << u"パターンの最も長い値は8バイトで、項目の長さ4バイトを超えます。"_s << QString();
        QTest::newRow("names cut to 4 characters") << u"VARCHAR2(4 CHAR)"_s << u"V=6:氏名"_s << QString() << u"4"_s;
        QTest::newRow("names cut to 4 bytes") << u"VARCHAR2(4)"_s << u"V=6:氏名"_s << QString() << u"2"_s;
    }
    void lengths()
    {
        QFETCH(QString, type);
        QFETCH(QString, rule);
        QFETCH(QString, refusal);
        Table table({u"CREATE TABLE L (V "_s + type + u")"_s}, {rule});
        QCOMPARE(basKovaData::CheckRule(table.rules.columns[1], basKovaData::TypeFamily::Character).message, refusal);
        if (!refusal.isEmpty())
            return;
        const generate::CreationResult result = generate::GenerateRows(table.rules, 200);
        QVERIFY2(!result.aborted && result.failures == 0, qPrintable(result.errorText + result.refusals.Details()));
        QTEST(kovatest::Rows(u"SELECT MAX(LENGTH(V)) FROM L"_s), "longest");
    }

    // A row left NULL takes nothing from the rule: a sequence and a list in
    // turn go on where they stood.
    void nullRowsKeepTheSequence()
    {
        Table table({u"CREATE TABLE T (N NUMBER(6), L VARCHAR2(2))"_s},
                    {u"N=3:1,1"_s, u"N~null=50"_s, u"L=1:A,B,C"_s, u"L~null=50"_s});
        const QStringList rows = Made(table.rules, 200);
        const QStringList numbers = Column(rows, 0).filter(QRegularExpression(u"^@ \\d"_s));
        const QStringList letters = Column(rows, 1).filter(QRegularExpression(u"^[ABC]$"_s));
        QVERIFY(numbers.size() > 60 && numbers.size() < 140 && letters.size() > 60 && letters.size() < 140);
        for (qsizetype i = 0; i < numbers.size(); ++i)
            QCOMPARE(numbers[i], u"@ "_s + QString::number(i + 1));
        for (qsizetype i = 0; i < letters.size(); ++i)
            QCOMPARE(letters[i], QString(QChar(char16_t(u'A' + i % 3))));
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
        QTest::newRow("1 to 10, 11 rows, half NULL") << u"NUMBER(4)"_s << (range + QStringList{u"V~null=50"_s}) << 0 << 11
                                                    << true;
        QTest::newRow("around the table's 1 to 5") << u"NUMBER(4)"_s << range << 5 << 5 << false;
        QTest::newRow("table's 1 to 5 leave too few") << u"NUMBER(4)"_s << range << 5 << 6 << true;
        QTest::newRow("wide range") << u"NUMBER(9)"_s << QStringList{u"V=2:1,99999999,1"_s, u"V~unique"_s} << 0 << 3000
                                    << false;
        QTest::newRow("character key") << u"CHAR(4)"_s << QStringList{u"V=2:1,20,1"_s, u"V~unique"_s} << 3 << 17 << false;
        QTest::newRow("dates") << u"DATE"_s << QStringList{u"V=2:20240101,20240110,1"_s, u"V~unique"_s} << 0 << 10
                               << false;
        QTest::newRow("list") << u"NUMBER(4)"_s << QStringList{u"V=1:7,8,9"_s, u"V~random=1,5,1"_s, u"V~unique"_s} << 0
                              << 4 << true;
        const QStringList days{u"V=2:20240101 120000,20240103 000000,1"_s, u"V~unique"_s};
        QTest::newRow("days before the maximum's time") << u"DATE"_s << days << 0 << 2 << false;
        QTest::newRow("days before the maximum's time, 3 rows") << u"DATE"_s << days << 0 << 3 << true;
        QTest::newRow("pattern") << u"VARCHAR2(4)"_s << QStringList{u"V=7:[A-C]{2}"_s, u"V~unique"_s} << 0 << 9 << false;
        QTest::newRow("pattern too small") << u"VARCHAR2(4)"_s << QStringList{u"V=7:[A-C]{2}"_s, u"V~unique"_s} << 0
                                           << 10 << true;
        const QStringList digits{u"V=2:1,150,1"_s, u"V~unique"_s};  // 100 to 150 cut to 10 to 15
        QTest::newRow("numbers cut to the length") << u"CHAR(2)"_s << digits << 0 << 99 << false;
        QTest::newRow("numbers cut, 100 rows") << u"CHAR(2)"_s << digits << 0 << 100 << true;
        const QStringList hundredths{u"V=2:0,1,0.01"_s, u"V~unique"_s};
        QTest::newRow("hundredths kept to tenths") << u"NUMBER(4,1)"_s << hundredths << 0 << 11 << false;
        QTest::newRow("hundredths, 12 tenths") << u"NUMBER(4,1)"_s << hundredths << 0 << 12 << true;
        QTest::newRow("hundredths to .96, 11 tenths") << u"NUMBER(4,1)"_s << QStringList{u"V=2:0,.96,0.01"_s, u"V~unique"_s}
                                                      << 0 << 11 << true;
        QTest::newRow("tenths around the table's 1 to 5") << u"NUMBER(4,1)"_s << QStringList{u"V=2:0.5,5.04,0.01"_s, u"V~unique"_s}
                                                          << 5 << 41 << false;
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
