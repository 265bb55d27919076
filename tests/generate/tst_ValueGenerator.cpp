// label: engine
// The value texts a run writes for each kind of rule, row after row, including
// the lists read from the database.
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "support/TestSupport.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;
using basKovaData::RowValues;

namespace {

// Appends a column with the given rule; returns its index.
int AddColumn(const QString& type, const QString& kind, const QList<double>& numbers = {},
              const QStringList& texts = {}, const QList<int>& slotsOn = {}, int length = 0)
{
    basKovaData::ColumnRule rule;
    rule.TypeText = type;
    rule.Length = static_cast<qint16>(length);
    rule.RuleKind = kind;
    for (int i = 0; i < numbers.size(); ++i)
        rule.NumValue[static_cast<std::size_t>(i)] = numbers[i];
    for (int i = 0; i < texts.size(); ++i)
        rule.TextValue[static_cast<std::size_t>(i)] = texts[i];
    for (int slot : slotsOn)
        rule.MultiOn[static_cast<std::size_t>(slot)] = true;
    ColumnRules.push_back(rule);
    basKovaData::ColumnCount = static_cast<qint16>(ColumnRules.size() - 1);
    return basKovaData::ColumnCount;
}

QString Date(const QString& text)
{
    return u"@TO_DATE('"_s + text + u"','YYYYMMDD HH24MISS')"_s;
}

// Column 1's text in each of `rows` successive rows.
QStringList Rows(generate::ValueGenerator& generator, qsizetype rows)
{
    QStringList values;
    for (qsizetype i = 0; i < rows; ++i) {
        generator.NextRow();
        values.append(RowValues[1]);
    }
    return values;
}

const QStringList SourceTable = {
    u"CREATE TABLE SRC (ORD NUMBER, S VARCHAR2(20), N NUMBER, D DATE)"_s,
    u"INSERT INTO SRC VALUES (1, 'A', 12.5, TO_DATE('20011231 235959','YYYYMMDD HH24MISS'))"_s,
    u"INSERT INTO SRC VALUES (2, 'B', -3, TO_DATE('20020101','YYYYMMDD'))"_s,
    u"INSERT INTO SRC VALUES (3, 'C', 0.5, NULL)"_s,
    u"INSERT INTO SRC VALUES (4, NULL, NULL, NULL)"_s,
};

}  // namespace

class tst_ValueGenerator : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        basKovaData::ResetForTests();
        basKovaData::ResetColumnRules();
    }

    void rowsFollowRule_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<double>>("numbers");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("slotsOn");
        QTest::addColumn<QStringList>("expected");
        const QString num = u"NUMBER(12,2)"_s;
        const QString chr = u"VARCHAR2(10)"_s;
        const QString date = u"DATE"_s;
        const QList<double> none;
        const QStringList noTexts;
        const QList<int> off;

        QTest::newRow("number fixed") << num << 12 << u"0"_s << QList<double>{12.5} << noTexts << off
                                      << QStringList{u"@ 12.5"_s, u"@ 12.5"_s};
        QTest::newRow("number slots 2 and 5") << num << 12 << u"1"_s << QList<double>{1, 2, 7, 3, 4, 9} << noTexts
                                              << QList<int>{2, 5}
                                              << QStringList{u"@ 7"_s, u"@ 9"_s, u"@ 7"_s, u"@ 9"_s};
        QTest::newRow("text slots 2 and 5") << chr << 10 << u"1"_s << none
                                            << QStringList{u"zero"_s, {}, u" x "_s, {}, {}, u"y"_s}
                                            << QList<int>{2, 5} << QStringList{u"x"_s, u"y"_s, u"x"_s, u"y"_s};
        QTest::newRow("date slots 2 and 5")
            << date << 0 << u"1"_s << none << QStringList{{}, {}, u"20010101"_s, {}, {}, u"20020202 101010"_s}
            << QList<int>{2, 5}
            << QStringList{Date(u"20010101 000000"_s), Date(u"20020202 101010"_s), Date(u"20010101 000000"_s)};
        QTest::newRow("slot 15 wraps to 0") << num << 12 << u"1"_s << QList<double>{4, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                                                 0, 0, 0, 0, 0, 8}
                                            << noTexts << QList<int>{15, 0}
                                            << QStringList{u"@ 4"_s, u"@ 8"_s, u"@ 4"_s};
        // Multiple kind without a slot in use: the value of an unknown kind.
        QTest::newRow("number no slot in use") << num << 12 << u"1"_s << QList<double>{5} << noTexts << off
                                               << QStringList{u"@0"_s, u"@0"_s};
        QTest::newRow("text no slot in use") << chr << 10 << u"1"_s << none << QStringList{u"a"_s} << off
                                             << QStringList{QString(), QString()};
        QTest::newRow("date no slot in use") << date << 0 << u"1"_s << none << QStringList{u"20010101"_s} << off
                                             << QStringList{u"@NULL"_s};

        QTest::newRow("sequence from 100") << num << 12 << u"3"_s << QList<double>{100, 1} << noTexts << off
                                           << QStringList{u"@ 100"_s, u"@ 101"_s, u"@ 102"_s};
        QTest::newRow("sequence step 1.5") << num << 12 << u"3"_s << QList<double>{0, 1.5} << noTexts << off
                                           << QStringList{u"@ 0"_s, u"@ 2"_s, u"@ 4"_s, u"@ 6"_s};
        QTest::newRow("sequence step 2.5") << num << 12 << u"3"_s << QList<double>{0, 2.5} << noTexts << off
                                           << QStringList{u"@ 0"_s, u"@ 2"_s, u"@ 4"_s, u"@ 6"_s};
        QTest::newRow("sequence step 0.5") << num << 12 << u"3"_s << QList<double>{7, 0.5} << noTexts << off
                                           << QStringList{u"@ 7"_s, u"@ 7"_s, u"@ 7"_s};
        QTest::newRow("sequence past 32 bits") << num << 12 << u"3"_s << QList<double>{0, 3e9} << noTexts << off
                                               << QStringList{u"@ 0"_s, u"@ 3000000000"_s, u"@ 6000000000"_s};

        const QString ch6 = u"CHAR(6)"_s;
        QTest::newRow("zero fill") << ch6 << 6 << u"3"_s << QList<double>{1, 1} << noTexts << off
                                   << QStringList{u"000001"_s, u"000002"_s};
        QTest::newRow("blank fill") << ch6 << 6 << u"3"_s << QList<double>{1, 1} << noTexts << QList<int>{2}
                                    << QStringList{u"     1"_s, u"     2"_s};
        QTest::newRow("left aligned") << ch6 << 6 << u"3"_s << QList<double>{1, 1} << noTexts << QList<int>{1, 2}
                                      << QStringList{u"1"_s, u"2"_s};
        // Left flag without the blank flag: shown as zero fill by the editor.
        QTest::newRow("unstored flag pair") << ch6 << 6 << u"3"_s << QList<double>{1, 1} << noTexts
                                            << QList<int>{1} << QStringList{u"000001"_s};
        QTest::newRow("zero fill cuts") << ch6 << 3 << u"3"_s << QList<double>{12345, 1} << noTexts << off
                                        << QStringList{u"123"_s, u"123"_s};
        QTest::newRow("blank fill cuts") << ch6 << 3 << u"3"_s << QList<double>{12345, 1} << noTexts
                                         << QList<int>{2} << QStringList{u"123"_s};
        QTest::newRow("zero fill negative") << ch6 << 5 << u"3"_s << QList<double>{-5, 0} << noTexts << off
                                            << QStringList{u"000-5"_s};
        QTest::newRow("zero fill fraction") << ch6 << 5 << u"3"_s << QList<double>{0.5, 0} << noTexts << off
                                            << QStringList{u"000.5"_s};

        QTest::newRow("text fixed trimmed") << chr << 10 << u"0"_s << none << QStringList{u"  abc  "_s} << off
                                            << QStringList{u"abc"_s};
        QTest::newRow("text blanks are NULL") << chr << 10 << u"0"_s << none << QStringList{u"    "_s} << off
                                              << QStringList{QString()};

        QTest::newRow("date fixed") << date << 0 << u"0"_s << none << QStringList{u"20011231 235959"_s} << off
                                    << QStringList{Date(u"20011231 235959"_s)};
        QTest::newRow("date fixed short") << date << 0 << u"0"_s << none << QStringList{u"20011231"_s} << off
                                          << QStringList{Date(u"20011231 000000"_s)};
        QTest::newRow("date of 10 characters") << date << 0 << u"0"_s << none << QStringList{u"2001123112"_s}
                                               << off << QStringList{Date(u"18991230 000000"_s)};
        QTest::newRow("date sequence") << date << 0 << u"3"_s << none << QStringList{u"20011231"_s, u"1"_s} << off
                                       << QStringList{Date(u"20011231 000000"_s), Date(u"20020101 000000"_s),
                                                      Date(u"20020102 000000"_s)};
        QTest::newRow("date sequence 1.5 days keeps time")
            << date << 0 << u"3"_s << none << QStringList{u"20011231 083000"_s, u"1.5"_s} << off
            << QStringList{Date(u"20011231 083000"_s), Date(u"20020102 083000"_s), Date(u"20020104 083000"_s)};

        // A blank kind reads as single fixed for numbers and texts (slot 0 kept
        // from a cleared rule), but the date branch compares the kind as text.
        QTest::newRow("number fresh") << num << 12 << QString() << none << noTexts << off << QStringList{u"@ 0"_s};
        QTest::newRow("number cleared rule") << num << 12 << QString() << QList<double>{3} << noTexts << off
                                             << QStringList{u"@ 3"_s};
        QTest::newRow("text cleared rule") << chr << 10 << QString() << none << QStringList{u"a"_s} << off
                                           << QStringList{u"a"_s};
        QTest::newRow("date cleared rule") << date << 0 << QString() << none << QStringList{u"20010101"_s} << off
                                      << QStringList{u"@NULL"_s};
        QTest::newRow("number null") << num << 12 << u"5"_s << QList<double>{3} << noTexts << off
                                     << QStringList{u"@NULL"_s};
        QTest::newRow("text null") << chr << 10 << u"5"_s << none << QStringList{u"a"_s} << off
                                   << QStringList{u"@NULL"_s};
        QTest::newRow("date null") << date << 0 << u"5"_s << none << QStringList{u"20010101"_s} << off
                                   << QStringList{u"@NULL"_s};
        QTest::newRow("number unknown kind") << num << 12 << u"7"_s << QList<double>{3} << noTexts << off
                                             << QStringList{u"@0"_s};
        QTest::newRow("text unknown kind") << chr << 10 << u"7"_s << none << QStringList{u"a"_s} << off
                                           << QStringList{QString()};

        // Types without a branch get NULL instead of an earlier row's text.
        for (const QString& type : {u"LONG"_s, u"RAW(16)"_s, u"FLOAT(126)"_s, u"NVARCHAR2(5)"_s})
            QTest::newRow(qPrintable(type)) << type << 5 << u"0"_s << QList<double>{1} << QStringList{u"1"_s}
                                            << off << QStringList{QString(), QString()};
    }

    void rowsFollowRule()
    {
        QFETCH(QString, type);
        QFETCH(int, length);
        QFETCH(QString, kind);
        QFETCH(QList<double>, numbers);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, slotsOn);
        QFETCH(QStringList, expected);
        AddColumn(type, kind, numbers, texts, slotsOn, length);
        RowValues[1] = u"stale"_s;
        generate::ValueGenerator generator(nullptr);
        QCOMPARE(Rows(generator, expected.size()), expected);
    }

    void randomStaysOnGrid_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QList<double>>("numbers");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("slotsOn");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("10 to 20 by 5") << u"NUMBER(4)"_s << QList<double>{10, 20, 5} << QStringList() << QList<int>()
                                       << QStringList{u"@ 10"_s, u"@ 15"_s, u"@ 20"_s};
        QTest::newRow("0 to 1 by .25") << u"NUMBER(4,2)"_s << QList<double>{0, 1, 0.25} << QStringList()
                                       << QList<int>()
                                       << QStringList{u"@ 0"_s, u"@ .25"_s, u"@ .5"_s, u"@ .75"_s, u"@ 1"_s};
        // 1 is no whole number of units: the last value lies above the maximum.
        QTest::newRow("0 to 1 by .4") << u"NUMBER(4,2)"_s << QList<double>{0, 1, 0.4} << QStringList()
                                      << QList<int>() << QStringList{u"@ 0"_s, u"@ .4"_s, u"@ .8"_s, u"@ 1.2"_s};
        QTest::newRow("text blank filled") << u"CHAR(3)"_s << QList<double>{1, 3, 1} << QStringList()
                                           << QList<int>{2} << QStringList{u"  1"_s, u"  2"_s, u"  3"_s};
        QTest::newRow("date by whole days")
            << u"DATE"_s << QList<double>() << QStringList{u"20010101 120000"_s, u"20010103"_s, u"5"_s}
            << QList<int>()
            << QStringList{Date(u"20010101 120000"_s), Date(u"20010102 120000"_s), Date(u"20010103 120000"_s)};
    }

    void randomStaysOnGrid()
    {
        QFETCH(QString, type);
        QFETCH(QList<double>, numbers);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, slotsOn);
        QFETCH(QStringList, values);
        AddColumn(type, u"2"_s, numbers, texts, slotsOn, 3);
        generate::ValueGenerator generator(nullptr);
        const QStringList drawn = Rows(generator, 400);
        const QSet<QString> allowed(values.cbegin(), values.cend());
        const QSet<QString> seen(drawn.cbegin(), drawn.cend());
        // Only the grid's values, and every one of them in 400 draws.
        QCOMPARE(seen, allowed);
    }

    void newRunStartsAgain()
    {
        AddColumn(u"NUMBER(5)"_s, u"3"_s, {100, 1});
        AddColumn(u"VARCHAR2(3)"_s, u"1"_s, {}, {u"a"_s, u"b"_s, u"c"_s}, {1, 2});
        const QStringList first{u"@ 100"_s, u"b"_s};
        for (int run = 0; run < 2; ++run) {
            generate::ValueGenerator generator(nullptr);
            generator.NextRow();
            QCOMPARE((QStringList{RowValues[1], RowValues[2]}), first);
            generator.NextRow();
            generator.NextRow();
            QCOMPARE((QStringList{RowValues[1], RowValues[2]}), (QStringList{u"@ 102"_s, u"b"_s}));
        }
    }

    void farDateSequenceStaysDefined()
    {
        AddColumn(u"DATE"_s, u"3"_s, {}, {u"20010101"_s, u"1e15"_s});
        generate::ValueGenerator generator(nullptr);
        const QStringList rows = Rows(generator, 3);
        QCOMPARE(rows[0], Date(u"20010101 000000"_s));
        // The date leaves what the database accepts (the INSERT fails), but the
        // text is still one TO_DATE call.
        QVERIFY(rows[1].startsWith(u"@TO_DATE('"_s));
        QVERIFY(rows[1] != rows[0]);
        QVERIFY(!rows[1].startsWith(u"@TO_DATE('1899"_s));
    }

    void wideTableFillsEveryColumn()
    {
        for (int j = 1; j <= 1200; ++j)
            AddColumn(u"NUMBER(5)"_s, u"0"_s, {double(j)});
        generate::ValueGenerator generator(nullptr);
        generator.NextRow();
        QCOMPARE(RowValues[999], u"@ 999"_s);
        QCOMPARE(RowValues[1000], u"@ 1000"_s);
        QCOMPARE(RowValues[1200], u"@ 1200"_s);
    }

    void listRule_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("query");
        QTest::addColumn<int>("maxRows");
        QTest::addColumn<QStringList>("expected");
        const QStringList letters{u"SELECT S FROM SRC WHERE ORD <= 3 ORDER BY ORD"_s};
        const QStringList numbers{u"SELECT N FROM SRC ORDER BY ORD"_s};
        const QStringList dates{u"SELECT D FROM SRC ORDER BY ORD"_s};
        const QStringList nothing{u"SELECT S FROM SRC WHERE ORD > 9"_s};
        const QString a = Date(u"20011231 235959"_s);
        const QString b = Date(u"20020101 000000"_s);

        QTest::newRow("cycles") << u"VARCHAR2(5)"_s << letters << 300
                                << QStringList{u"A"_s, u"B"_s, u"C"_s, u"A"_s, u"B"_s};
        QTest::newRow("cut to display rows") << u"VARCHAR2(5)"_s << letters << 2
                                             << QStringList{u"A"_s, u"B"_s, u"A"_s, u"B"_s};
        QTest::newRow("numbers, NULL in turn") << u"NUMBER(5,1)"_s << numbers << 300
                                               << QStringList{u"@12.5"_s, u"@-3"_s, u"@.5"_s, u"@NULL"_s, u"@12.5"_s};
        QTest::newRow("numbers as text") << u"CHAR(4)"_s << numbers << 300
                                         << QStringList{u"12.5"_s, u"-3"_s, u".5"_s, QString()};
        QTest::newRow("dates, NULL in turn") << u"DATE"_s << dates << 300
                                             << QStringList{a, b, u"@NULL"_s, u"@NULL"_s, a};
        QTest::newRow("dates as text") << u"VARCHAR2(20)"_s << dates << 2
                                       << QStringList{u"20011231 235959"_s, u"20020101 000000"_s};
        QTest::newRow("text NULL in turn") << u"VARCHAR2(5)"_s << QStringList{u"SELECT S FROM SRC ORDER BY ORD"_s}
                                           << 300 << QStringList{u"A"_s, u"B"_s, u"C"_s, QString(), u"A"_s};
        QTest::newRow("text trimmed") << u"VARCHAR2(5)"_s << QStringList{u"SELECT '  x  ' FROM DUAL"_s} << 300
                                      << QStringList{u"x"_s};
        // Pieces are trimmed and joined; line breaks become blanks.
        QTest::newRow("pieces and line breaks")
            << u"VARCHAR2(5)"_s << QStringList{u"SELECT S\r\nFROM SRC\nWHERE ORD <= (2)"_s, u"  ORDER BY ORD DESC"_s}
            << 300 << QStringList{u"B"_s, u"A"_s, u"B"_s};
        // An empty result gives NULL in every row.
        QTest::newRow("empty number") << u"NUMBER(5)"_s << nothing << 300 << QStringList{u"@NULL"_s, u"@NULL"_s};
        QTest::newRow("empty text") << u"VARCHAR2(5)"_s << nothing << 300 << QStringList{QString(), QString()};
        QTest::newRow("empty date") << u"DATE"_s << nothing << 300 << QStringList{u"@NULL"_s, u"@NULL"_s};
        // A quote in a value must not end the TO_DATE literal early.
        QTest::newRow("quote in date list") << u"DATE"_s << QStringList{u"SELECT 'O''Hara' FROM DUAL"_s} << 300
                                            << QStringList{Date(u"O''Hara"_s)};
        QTest::newRow("quote in text list") << u"VARCHAR2(9)"_s << QStringList{u"SELECT 'O''Hara' FROM DUAL"_s}
                                            << 300 << QStringList{u"O'Hara"_s};
    }

    void listRule()
    {
        QFETCH(QString, type);
        QFETCH(QStringList, query);
        QFETCH(int, maxRows);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const kovatest::TestDatabase db = kovatest::OpenTestDatabase(dir, SourceTable);
        basKovaData::MaxDisplayRows = static_cast<qint16>(maxRows);
        AddColumn(type, u"4"_s, {}, query);
        generate::ValueGenerator generator(db.database.get());
        QCOMPARE(Rows(generator, expected.size()), expected);
    }

    void listsReadOncePerRunAndPerColumn()
    {
        QTemporaryDir dir;
        const kovatest::TestDatabase db = kovatest::OpenTestDatabase(dir, SourceTable);
        AddColumn(u"VARCHAR2(5)"_s, u"4"_s, {}, {u"SELECT S FROM SRC WHERE ORD <= 2 ORDER BY ORD"_s});
        AddColumn(u"NUMBER(5,1)"_s, u"4"_s, {}, {u"SELECT N FROM SRC WHERE ORD <= 3 ORDER BY ORD"_s});
        const auto rows = [](generate::ValueGenerator& generator, int count) {
            QStringList values;
            for (int i = 0; i < count; ++i) {
                generator.NextRow();
                values.append(RowValues[1] + u'|' + RowValues[2]);
            }
            return values;
        };
        {
            generate::ValueGenerator generator(db.database.get());
            QCOMPARE(rows(generator, 1), QStringList{u"A|@12.5"_s});
            // Changes made during the run are not seen before the next run.
            db.database->DbExecuteSQL(u"UPDATE SRC SET ORD = 0 WHERE ORD = 3"_s);
            QCOMPARE(rows(generator, 3), (QStringList{u"B|@-3"_s, u"A|@.5"_s, u"B|@12.5"_s}));
        }
        generate::ValueGenerator next(db.database.get());
        QCOMPARE(rows(next, 3), (QStringList{u"C|@.5"_s, u"A|@12.5"_s, u"B|@-3"_s}));
    }

    void failingQueryThrows()
    {
        QTemporaryDir dir;
        const kovatest::TestDatabase db = kovatest::OpenTestDatabase(dir, SourceTable);
        AddColumn(u"VARCHAR2(5)"_s, u"4"_s, {}, {u"SELECT S FROM NO_SUCH_TABLE"_s});
        generate::ValueGenerator generator(db.database.get());
        QVERIFY_THROWS_EXCEPTION(OraError, generator.NextRow());
    }
};

QTEST_GUILESS_MAIN(tst_ValueGenerator)
#include "tst_ValueGenerator.moc"
