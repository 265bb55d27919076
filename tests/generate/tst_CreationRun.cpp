// label: engine
// The value texts of each kind of rule row after row, the INSERT text of a row,
// and whole creation runs against the embedded engine, read back from the table.
#include "generate/CreationRun.h"
#include "generate/InsertRow.h"
#include "generate/ValueGenerator.h"
#include "maintain/UpdateRun.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;
using basKovaData::RowValues;
using Numbers = QList<double>;
using Texts = QStringList;
using Slots = QList<int>;

Q_DECLARE_METATYPE(basKovaData::ColumnRule)

namespace {

// A rule of the given kind (slots from 0 on).
basKovaData::ColumnRule Rule(const QString& type, const QString& kind, const Numbers& numbers = {},
                             const Texts& texts = {}, const Slots& slotsOn = {}, int length = 0)
{
    basKovaData::ColumnRule rule;
    rule.TypeText = type;
    rule.Length = static_cast<qint16>(length);
    rule.RuleKind = kind;
    std::copy(numbers.cbegin(), numbers.cend(), rule.NumValue.begin());
    std::copy(texts.cbegin(), texts.cend(), rule.TextValue.begin());
    for (int slot : slotsOn)
        rule.MultiOn[std::size_t(slot)] = true;
    return rule;
}

void AddColumn(const basKovaData::ColumnRule& rule)
{
    ColumnRules.push_back(rule);
    basKovaData::ColumnCount = static_cast<qint16>(ColumnRules.size() - 1);
}

QString Date(const QString& text)
{
    return u"@TO_DATE('"_s + text + u"','YYYYMMDD HH24MISS')"_s;
}

// Sets or clears the immutable flag of a file; false when the file system or
// the user cannot.
bool SetImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

// The texts of `rows` successive rows, columns joined by "|".
QStringList Rows(generate::ValueGenerator& generator, qsizetype rows)
{
    QStringList values;
    for (qsizetype i = 0; i < rows; ++i) {
        generator.NextRow();
        QStringList row;
        for (int j = 1; j <= basKovaData::ColumnCount; ++j)
            row.append(RowValues[std::size_t(j)]);
        values.append(row.join(u'|'));
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

class tst_CreationRun : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_source = kovatest::OpenTestDatabase(m_sourceDir, SourceTable); }
    void init()
    {
        kovatest::ResetProgramState();
    }
    void cleanup()
    {
        kovatest::ReleaseSession();
    }

    void rowsFollowRule_data()
    {
        QTest::addColumn<basKovaData::ColumnRule>("rule");
        QTest::addColumn<Texts>("expected");
        const QString num = u"NUMBER(12,2)"_s;
        const QString chr = u"VARCHAR2(10)"_s;
        const QString ch6 = u"CHAR(6)"_s;
        const QString date = u"DATE"_s;

        QTest::newRow("number fixed") << Rule(num, u"0"_s, {12.5}) << Texts{u"@ 12.5"_s, u"@ 12.5"_s};
        QTest::newRow("number slots 2 and 3") << Rule(num, u"1"_s, {1, 2, 7, 9}, {}, {2, 3})
                                              << Texts{u"@ 7"_s, u"@ 9"_s, u"@ 7"_s};
        QTest::newRow("slot 15 wraps to 0") << Rule(num, u"1"_s, {4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8}, {},
                                                    {15, 0}) << Texts{u"@ 4"_s, u"@ 8"_s, u"@ 4"_s};
        // A multiple rule without a slot in use gives 0, like an unknown kind.
        QTest::newRow("number no slot in use") << Rule(num, u"1"_s, {5}) << Texts{u"@0"_s};
        // The offset is rounded half to even after every step.
        QTest::newRow("sequence step 2.5") << Rule(num, u"3"_s, {0, 2.5}) << Texts{u"@ 0"_s, u"@ 2"_s, u"@ 4"_s};
        QTest::newRow("sequence step 0.5") << Rule(num, u"3"_s, {7, 0.5}) << Texts{u"@ 7"_s, u"@ 7"_s, u"@ 7"_s};
        QTest::newRow("sequence past 32 bits") << Rule(num, u"3"_s, {0, 3e9})
                                               << Texts{u"@ 0"_s, u"@ 3000000000"_s, u"@ 6000000000"_s};
        QTest::newRow("16-digit key sequence, every digit") << Rule(num, u"3"_s, {1234567890123456, 1})
            << Texts{u"@ 1234567890123456"_s, u"@ 1234567890123457"_s};

        QTest::newRow("text fixed trimmed") << Rule(chr, u"0"_s, {}, {u"  abc  "_s}) << Texts{u"abc"_s};
        QTest::newRow("text slots 2 and 5") << Rule(chr, u"1"_s, {}, {u"zero"_s, {}, u" x "_s, {}, {}, u"y"_s}, {2, 5})
                                            << Texts{u"x"_s, u"y"_s, u"x"_s};
        QTest::newRow("text no slot in use") << Rule(chr, u"1"_s, {}, {u"a"_s}) << Texts{QString()};
        QTest::newRow("text null") << Rule(chr, u"5"_s, {}, {u"a"_s}) << Texts{u"@NULL"_s};
        // A blank kind reads as single fixed here, but not for dates (below).
        QTest::newRow("text cleared rule") << Rule(chr, QString(), {}, {u"a"_s}) << Texts{u"a"_s};
        QTest::newRow("zero fill") << Rule(ch6, u"3"_s, {1, 1}, {}, {}, 6) << Texts{u"000001"_s, u"000002"_s};
        QTest::newRow("blank fill") << Rule(ch6, u"3"_s, {1, 1}, {}, {2}, 6) << Texts{u"     1"_s, u"     2"_s};
        QTest::newRow("left aligned") << Rule(ch6, u"3"_s, {1, 1}, {}, {1, 2}, 6) << Texts{u"1"_s, u"2"_s};
        // Left flag without the blank flag: shown as zero fill by the editor.
        QTest::newRow("left flag alone") << Rule(ch6, u"3"_s, {1, 1}, {}, {1}, 6) << Texts{u"000001"_s};

        QTest::newRow("date fixed short") << Rule(date, u"0"_s, {}, {u"20011231"_s})
                                          << Texts{Date(u"20011231 000000"_s)};
        QTest::newRow("date slots 2 and 5")
            << Rule(date, u"1"_s, {}, {{}, {}, u"20010101"_s, {}, {}, u"20020202 101010"_s}, {2, 5})
            << Texts{Date(u"20010101 000000"_s), Date(u"20020202 101010"_s), Date(u"20010101 000000"_s)};
        QTest::newRow("date no slot in use") << Rule(date, u"1"_s, {}, {u"20010101"_s}) << Texts{u"@NULL"_s};
        QTest::newRow("date sequence 1.5 days keeps time")
            << Rule(date, u"3"_s, {}, {u"20011231 083000"_s, u"1.5"_s})
            << Texts{Date(u"20011231 083000"_s), Date(u"20020102 083000"_s), Date(u"20020104 083000"_s)};
        // A step far beyond any date is held at a hundred million days (the INSERT
        // then fails) instead of overflowing the date.
        QTest::newRow("date sequence held far out") << Rule(date, u"3"_s, {}, {u"20010101"_s, u"1e15"_s})
                                                    << Texts{Date(u"20010101 000000"_s), Date(u"2757910914 000000"_s)};
        QTest::newRow("date cleared rule") << Rule(date, QString(), {}, {u"20010101"_s}) << Texts{u"@NULL"_s};

        // Random rules from the known start of the random sequence: offsets of
        // 2, 1, 1 and 0 steps on a grid of three values.
        QTest::newRow("number random") << Rule(num, u"2"_s, {10, 20, 5}) << Texts{u"@ 20"_s, u"@ 15"_s, u"@ 15"_s};
        QTest::newRow("random blank filled") << Rule(ch6, u"2"_s, {1, 3, 1}, {}, {2}, 3)
                                             << Texts{u"  3"_s, u"  2"_s, u"  2"_s, u"  1"_s};
        // The third day at 12:00 would be past the maximum: two days are left.
        QTest::newRow("date random by whole days") << Rule(date, u"2"_s, {}, {u"20010101 120000"_s, u"20010103"_s})
                                                   << Texts{Date(u"20010102 120000"_s), Date(u"20010102 120000"_s),
                                                            Date(u"20010102 120000"_s), Date(u"20010101 120000"_s)};

        // Lists read from the database, at most MaxDisplayRows (4) values, in turn.
        const Texts numbers{u"SELECT N FROM SRC ORDER BY ORD"_s};
        const Texts nothing{u"SELECT S FROM SRC WHERE ORD > 9"_s};
        const Texts quote{u"SELECT 'O''Hara' FROM DUAL"_s};
        const QString a = Date(u"20011231 235959"_s);
        QTest::newRow("list cycles") << Rule(chr, u"4"_s, {}, {u"SELECT S FROM SRC WHERE ORD <= 3 ORDER BY ORD"_s})
                                     << Texts{u"A"_s, u"B"_s, u"C"_s, u"A"_s};
        QTest::newRow("list cut to display rows")
            << Rule(num, u"4"_s, {}, {u"SELECT ORD FROM SRC UNION ALL SELECT 9 FROM DUAL ORDER BY 1"_s})
            << Texts{u"@1"_s, u"@2"_s, u"@3"_s, u"@4"_s, u"@1"_s};
        QTest::newRow("numbers, NULL in turn") << Rule(num, u"4"_s, {}, numbers)
                                               << Texts{u"@12.5"_s, u"@-3"_s, u"@.5"_s, u"@NULL"_s, u"@12.5"_s};
        QTest::newRow("numbers as text") << Rule(ch6, u"4"_s, {}, numbers, {}, 6)
                                         << Texts{u"12.5"_s, u"-3"_s, u".5"_s, QString()};
        QTest::newRow("dates, NULL in turn") << Rule(date, u"4"_s, {}, {u"SELECT D FROM SRC ORDER BY ORD"_s})
                                             << Texts{a, Date(u"20020101 000000"_s), u"@NULL"_s, u"@NULL"_s, a};
        QTest::newRow("list text trimmed") << Rule(chr, u"4"_s, {}, {u"SELECT '  x  ' FROM DUAL"_s}) << Texts{u"x"_s};
        // Pieces are trimmed and joined; line breaks become blanks.
        QTest::newRow("pieces and line breaks")
            << Rule(chr, u"4"_s, {}, {u"SELECT S\r\nFROM SRC\nWHERE ORD <= (2)"_s, u"  ORDER BY ORD DESC"_s})
            << Texts{u"B"_s, u"A"_s, u"B"_s};
        // An empty result gives NULL in every row.
        QTest::newRow("empty list") << Rule(num, u"4"_s, {}, nothing) << Texts{u"@NULL"_s, u"@NULL"_s};
        // A quote in a value must not end the literal early.
        QTest::newRow("quote in date list") << Rule(date, u"4"_s, {}, quote) << Texts{Date(u"O''Hara"_s)};
        QTest::newRow("quote in text list") << Rule(chr, u"4"_s, {}, quote) << Texts{u"O'Hara"_s};

        // Every type of Oracle's but BFILE and ROWID takes a rule as a text or
        // a number; those get NULL instead of an earlier row's text.
        for (const char* type : {"LONG()", "RAW(16)", "NVARCHAR2(5 CHAR)", "NCHAR(2 CHAR)", "CLOB()", "BLOB()",
                                 "INTERVAL DAY(2) TO SECOND(6)"})
            QTest::newRow(type) << Rule(QString::fromLatin1(type), u"0"_s, {1}, {u"1"_s}) << Texts{u"1"_s, u"1"_s};
        for (const char* type : {"FLOAT(126)", "BINARY_FLOAT()", "BINARY_DOUBLE()"})
            QTest::newRow(type) << Rule(QString::fromLatin1(type), u"0"_s, {1}, {u"1"_s}) << Texts{u"@ 1"_s, u"@ 1"_s};
        for (const char* type : {"BFILE()", "ROWID()"})
            QTest::newRow(type) << Rule(QString::fromLatin1(type), u"0"_s, {1}, {u"1"_s}) << Texts{QString(), QString()};
    }
    void rowsFollowRule()
    {
        QFETCH(basKovaData::ColumnRule, rule);
        QFETCH(Texts, expected);
        basKovaData::MaxDisplayRows = 4;
        AddColumn(rule);
        RowValues[1] = u"stale"_s;
        const auto rules = basKovaData::TableRules::FromShared(QString());
        generate::ValueGenerator generator(rules, m_source.database.get());
        QCOMPARE(Rows(generator, expected.size()), expected);
    }

    void wideTableFillsEveryColumn()
    {
        for (int j = 1; j <= 1200; ++j)
            AddColumn(Rule(u"NUMBER(5)"_s, u"0"_s, {double(j)}));
        const auto rules = basKovaData::TableRules::FromShared(QString());
        generate::ValueGenerator generator(rules, nullptr);
        generator.NextRow();
        QCOMPARE((QStringList{RowValues[999], RowValues[1000], RowValues[1200]}),
                 (QStringList{u"@ 999"_s, u"@ 1000"_s, u"@ 1200"_s}));
    }

    void eachRunStartsAfresh()
    {
        QTemporaryDir dir;
        const kovatest::TestDatabase db = kovatest::OpenTestDatabase(dir, SourceTable);
        AddColumn(Rule(u"VARCHAR2(5)"_s, u"4"_s, {}, {u"SELECT S FROM SRC WHERE ORD <= 2 ORDER BY ORD"_s}));
        AddColumn(Rule(u"NUMBER(5,1)"_s, u"4"_s, {}, {u"SELECT N FROM SRC WHERE ORD <= 3 ORDER BY ORD"_s}));
        AddColumn(Rule(u"NUMBER(5)"_s, u"3"_s, {100, 1}));
        AddColumn(Rule(u"VARCHAR2(3)"_s, u"1"_s, {}, {u"a"_s, u"b"_s, u"c"_s}, {1, 2}));
        const auto rules = basKovaData::TableRules::FromShared(QString());
        {
            generate::ValueGenerator generator(rules, db.database.get());
            QCOMPARE(Rows(generator, 1), QStringList{u"A|@12.5|@ 100|b"_s});
            // The lists are read once per run: a change during the run is not seen.
            db.database->DbExecuteSQL(u"UPDATE SRC SET ORD = 0 WHERE ORD = 3"_s);
            QCOMPARE(Rows(generator, 2), (QStringList{u"B|@-3|@ 101|c"_s, u"A|@.5|@ 102|b"_s}));
        }
        // Every column keeps its own list and cursor, and the next run starts them again.
        generate::ValueGenerator next(rules, db.database.get());
        QCOMPARE(Rows(next, 2), (QStringList{u"C|@.5|@ 100|b"_s, u"A|@12.5|@ 101|c"_s}));
    }

    void insertText_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("sql");
        QTest::newRow("number, text, null") << QStringList{u"@ 12"_s, u"abc"_s, QString()}
                                            << u"Insert into T Values(  12 ,'abc' ,Null ) "_s;
        QTest::newRow("@ alone is 0") << QStringList{u" @ "_s, u"@"_s} << u"Insert into T Values(  0 , 0 ) "_s;
        QTest::newRow("SQL text") << QStringList{u"@TO_DATE('20011231 235959','YYYYMMDD HH24MISS')"_s}
                                  << u"Insert into T Values(  TO_DATE('20011231 235959','YYYYMMDD HH24MISS') ) "_s;
        QTest::newRow("quotes doubled") << QStringList{u"O'Brien"_s, u"'"_s}
                                        << u"Insert into T Values( 'O''Brien' ,'''' ) "_s;
        QTest::newRow("texts kept as they stand") << QStringList{u" @x"_s, u" 東京 "_s}
                                                  << u"Insert into T Values( ' @x' ,' 東京 ' ) "_s;
        // 1200 bytes of SQL text: 999 of them, the half character cut off.
        QTest::newRow("SQL text cut at 999 bytes") << QStringList{u"@"_s + QString(600, u'あ')}
                                                   << u"Insert into T Values(  "_s + QString(499, u'あ') + u" ) "_s;
        QTest::newRow("made text beyond 999 bytes") << QStringList{u"@'"_s + QString(600, u'あ') + u"'"_s}
                                                    << u"Insert into T Values(  '"_s + QString(600, u'あ') + u"' ) "_s;
    }
    void insertText()
    {
        QFETCH(QStringList, values);
        QFETCH(QString, sql);
        for (qsizetype i = 0; i < values.size(); ++i)
            RowValues[std::size_t(i) + 1] = values[i];
        QCOMPARE(basKovaData::InsertText(u"T"_s, int(values.size())), sql);
        // An entry of "@" alone is itself turned into "@0".
        QCOMPARE(RowValues[1], values[0].trimmed() == u"@"_s ? u"@0"_s : values[0]);
    }

    void rowCount()
    {
        // The leading number, rounded half to even; none below 1 or beyond 32 bits.
        QList<qint32> counts;
        for (const QString& text :
             {u"2.5"_s, u"3.5"_s, u"12abc"_s, u"0.9"_s, u"abc"_s, u"2147483647"_s, u"2147483647.5"_s})
            counts.append(generate::RowCountFromText(text).value_or(0));
        QCOMPARE(counts, (QList<qint32>{2, 4, 12, 0, 0, 2147483647, 0}));
    }

    void progressStep()
    {
        // A tenth of the rows, rounded half to even, from 1 to 100.
        QList<qint32> steps;
        for (const qint32 rows : {5, 25, 35, 2147483647})
            steps.append(generate::ProgressStep(rows));
        QCOMPARE(steps, (QList<qint32>{1, 2, 4, 100}));
        QCOMPARE(generate::ProgressTwips(2147483647, 2147483647), 2775);
        QCOMPARE(generate::ProgressTwips(1000000, 2000000), 1387);  // no overflow past 773,867 rows
    }

    void rowsReachTheTableAsTyped()
    {
        open(u"CREATE TABLE V (ID NUMBER(4), NAME VARCHAR2(20), CALC VARCHAR2(9), N NUMBER(4), C CHAR(9), D DATE)"_s);
        AddColumn(Rule(u"NUMBER(4)"_s, u"3"_s, {1, 1}));
        AddColumn(Rule(u"VARCHAR2(20)"_s, u"0"_s, {}, {u"O'Brien"_s}));
        AddColumn(Rule(u"VARCHAR2(9)"_s, u"0"_s, {}, {u"@6*7"_s}));
        // Columns without a rule yet.
        for (const QString& type : {u"NUMBER(4)"_s, u"CHAR(9)"_s, u"DATE"_s})
            AddColumn(Rule(type, QString()));
        QList<int> progress;
        generate::CreationHooks hooks;
        hooks.progress = [&progress](int twips) { progress.append(twips); };
        hooks.failuresFound = [](qint64, const basKovaData::Refusals&) { QFAIL("no row may fail"); };
        QCOMPARE(generate::GenerateRows(basKovaData::TableRules::FromShared(u"V"_s), 15, hooks).failures, 0);
        // Every second row, then the full bar.
        QCOMPARE(progress, (QList<int>{370, 740, 1110, 1480, 1850, 2220, 2590, 2775}));
        const QStringList row{u"O'Brien"_s, u"42"_s, u"0"_s, u"[NULL]"_s, u"[NULL]"_s};
        QCOMPARE(rows(u"SELECT NAME, CALC, N, C, D FROM V WHERE ID = 15"_s), QList<QStringList>{row});
        QCOMPARE(rows(u"SELECT COUNT(DISTINCT ID), MIN(ID), MAX(ID) FROM V"_s),
                 (QList<QStringList>{{u"15"_s, u"1"_s, u"15"_s}}));
    }

    void repeatingKeyCommitsTheFirstRow()
    {
        open(u"CREATE TABLE K (ID NUMBER(4) PRIMARY KEY, NAME VARCHAR2(10))"_s);
        AddColumn(Rule(u"NUMBER(4)"_s, u"0"_s, {7}));
        AddColumn(Rule(u"VARCHAR2(10)"_s, QString()));
        qint64 reported = 0;
        generate::CreationHooks hooks;
        hooks.failuresFound = [&reported](qint64 failures, const basKovaData::Refusals&) { reported = failures; };
        const generate::CreationResult result =
            generate::GenerateRows(basKovaData::TableRules::FromShared(u"K"_s), 100, hooks);
        QVERIFY(!result.aborted);
        QCOMPARE(result.failures, 99);
        QCOMPARE(reported, 99);
        // Why, for the message's details: the one error with its count, and the first refused row.
        QCOMPARE(result.refusals.errors.size(), std::size_t(1));
        QVERIFY(result.refusals.errors[0].first.startsWith(u"ORA-00001"_s));
        QCOMPARE(result.refusals.errors[0].second, 99);
        QCOMPARE(result.refusals.firstRow, u"7, Null"_s);
        QCOMPARE(rows(u"SELECT ID, NAME FROM K"_s), (QList<QStringList>{{u"7"_s, u"[NULL]"_s}}));
    }

    void failingSourceQueryRollsBack()
    {
        open(u"CREATE TABLE S (A VARCHAR2(10))"_s);
        AddColumn(Rule(u"VARCHAR2(10)"_s, u"4"_s, {}, {u"SELECT NAME FROM NO_SUCH_TABLE"_s}));
        const generate::CreationResult result = generate::GenerateRows(basKovaData::TableRules::FromShared(u"S"_s), 5);
        QVERIFY(result.aborted);
        QCOMPARE(result.errorNumber, 440);
        QCOMPARE(rows(u"SELECT COUNT(*) FROM S"_s), QList<QStringList>{{u"0"_s}});
        // The transaction is closed: the next run commits normally.
        ColumnRules[1] = Rule(u"VARCHAR2(10)"_s, u"0"_s, {}, {u"x"_s});
        QCOMPARE(generate::GenerateRows(basKovaData::TableRules::FromShared(u"S"_s), 2).failures, 0);
        QCOMPARE(rows(u"SELECT COUNT(*) FROM S"_s), QList<QStringList>{{u"2"_s}});
    }

    // A database that cannot be written stops a creation run and an update
    // run as a full disk does: nothing kept, the database's reason said, no
    // row counted as refused. The tests run as root, whom file modes do not
    // stop: the file is made immutable (the engine then opens it read-only),
    // or the journal's name is a link into a folder that does not exist.
    void unwritableDatabaseStopsTheRuns_data()
    {
        QTest::addColumn<bool>("immutable");
        QTest::addColumn<QString>("reason");
        QTest::newRow("read-only file") << true << u"attempt to write a readonly database"_s;
        QTest::newRow("journal cannot be made") << false << u"unable to open database file"_s;
    }
    void unwritableDatabaseStopsTheRuns()
    {
        QFETCH(bool, immutable);
        QFETCH(QString, reason);
        m_dir.emplace();
        const QString path = kovatest::OpenTestDatabase(*m_dir, {u"CREATE TABLE W (ID NUMBER(4) PRIMARY KEY, N NUMBER(4))"_s,
                                                                 u"INSERT INTO W VALUES (1, 0)"_s}).path;
        const QString journal = path + u"-journal"_s;
        const auto restore = qScopeGuard([&] {
            SetImmutable(path, false);
            QFile::remove(journal);
        });
        if (immutable && !SetImmutable(path, true))
            QSKIP("this file system or user cannot make a file immutable");
        if (!immutable)
            QVERIFY(QFile::link(m_dir->filePath(u"no-such-folder/journal"_s), journal));
        const kovatest::TestDatabase db = kovatest::OpenTestDatabase(*m_dir);
        basKovaData::OraSession = db.session;
        basKovaData::OraDatabase = db.database;
        AddColumn(Rule(u"NUMBER(4)"_s, u"3"_s, {10, 1}));
        AddColumn(Rule(u"NUMBER(4)"_s, u"3"_s, {5, 1}));
        ColumnRules[1].ColumnName = u"ID"_s;
        ColumnRules[1].IsKey = true;
        ColumnRules[2].ColumnName = u"N"_s;
        const auto rules = basKovaData::TableRules::FromShared(u"W"_s);
        const generate::CreationResult created = generate::GenerateRows(rules, 5);
        QCOMPARE(QList<qint64>({created.aborted, created.failures}), QList<qint64>({true, 0}));
        const generate::CreationMessage message = generate::CreationOutcomeMessage(created);
        QCOMPARE(message.text, u"ＳＱＬ文のエラーです。確認してください。440"_s);
        QVERIFY2(message.details.contains(reason), qPrintable(message.details));
        ColumnRules[1].RuleKind = QString();
        const maintain::UpdateResult updated = maintain::UpdateRows(basKovaData::TableRules::FromShared(u"W"_s), QString());
        QCOMPARE(QList<qint64>({int(updated.outcome), updated.errors}), QList<qint64>({int(maintain::UpdateOutcome::Failed), 0}));
        QVERIFY2(updated.errorText.contains(reason), qPrintable(updated.errorText));
        QCOMPARE(rows(u"SELECT ID, N FROM W"_s), (QList<QStringList>{{u"1"_s, u"0"_s}}));
    }

private:
    // Opens a database with the table `create` makes as the program's own.
    void open(const QString& create)
    {
        m_dir.emplace();
        kovatest::TestDatabase db = kovatest::OpenTestDatabase(*m_dir, {create});
        basKovaData::OraSession = db.session;
        basKovaData::OraDatabase = db.database;
    }
    static QList<QStringList> rows(const QString& sql) { return kovatest::QueryRows(*basKovaData::OraDatabase, sql); }

    QTemporaryDir m_sourceDir;
    kovatest::TestDatabase m_source;  // the list rules' source table, never changed
    std::optional<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(tst_CreationRun)
#include "tst_CreationRun.moc"
