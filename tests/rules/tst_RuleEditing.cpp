// label: engine
// What the rule editors, the bulk setting and the statement preview decide
// without their windows.
#include "generate/ColumnProfile.h"
#include "rules/BulkSetting.h"
#include "rules/DistributionRules.h"
#include "rules/RuleEditing.h"
#include "rules/RuleShapes.h"
#include "rules/StatementPreview.h"
#include "support/MaintainSupport.h"

#include <QJsonDocument>
#include <QTest>

using namespace basKovaData;
using namespace Qt::StringLiterals;

namespace {

ColumnRule Rule(const QString& kind, const QList<int>& on, const QList<double>& nums, const QStringList& texts)
{
    ColumnRule rule;
    rule.RuleKind = kind;
    for (int i : on)
        rule.MultiOn[std::size_t(i)] = true;
    for (qsizetype i = 0; i < nums.size(); ++i)
        rule.NumValue[std::size_t(i)] = nums[i];
    for (qsizetype i = 0; i < texts.size(); ++i)
        rule.TextValue[std::size_t(i)] = texts[i];
    // A pattern or an expression is the first text.
    rule.Pattern = rule.Expression = texts.value(0);
    return rule;
}

// What an ordinary rule says, in short: kind, NULL rate, then the kind's own part.
QString RuleSummary(const ColumnRule& rule)
{
    QString text = rule.RuleKind.trimmed() + u' ' + QString::number(rule.NullRate) + u'%';
    switch (rule.storedKind()) {
    case Kind::Multiple:
        text += rule.RandomOrder ? u" random"_s : u" in turn"_s;
        for (std::size_t i = 0; i < std::size_t(RuleSlots); ++i)
            if (rule.MultiOn[i])
                text += u' ' + (rule.family() == TypeFamily::Numeric ? QString::number(rule.NumValue[i])
                                                                      : rule.TextValue[i].trimmed())
                        + u'*' + QString::number(rule.Weight[i]);
        break;
    case Kind::Random:
        if (rule.family() == TypeFamily::Numeric)
            text += u" %1..%2/%3"_s.arg(rule.NumValue[0]).arg(rule.NumValue[1]).arg(rule.NumValue[2]);
        else
            text += u" %1..%2/%3"_s.arg(rule.TextValue[0].trimmed(), rule.TextValue[1].trimmed(), rule.TextValue[2].trimmed());
        break;
    case Kind::Pattern:
        text += u' ' + rule.Pattern;
        break;
    case Kind::Dictionary:
        text += u' ' + rule.TextValue[0].trimmed();
        break;
    default:
        break;
    }
    return text;
}

// Grid rows 1..10 of these types, selected from `row` to `rowSel`.
void LoadColumns(controls::GridModel& grid, int row, int rowSel)
{
    const QStringList types = {u"VARCHAR2(10)"_s, u"NUMBER(4)"_s, u"NUMBER(8)"_s, u"VARCHAR2(20)"_s, u"NUMBER(10.2)"_s,
                               u"DATE()"_s, u"RAW(16)"_s, u"BLOB(4000)"_s, u"CHAR(1)"_s, u"NCHAR(2)"_s};
    grid.setCols(5);
    grid.setRows(11);
    for (int i = 1; i <= 10; ++i)
        grid.setTextMatrix(i, rules::BulkTypeColumn, types[i - 1]);
    grid.setRow(row);
    grid.setRowSel(rowSel);
}

}  // namespace

class tst_RuleEditing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checks_data()
    {
        QTest::addColumn<TypeFamily>("family");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<int>>("on");
        QTest::addColumn<QList<double>>("nums");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("message");
        QTest::addColumn<RuleBox>("box");
        QTest::addColumn<int>("index");
        const auto num = TypeFamily::Numeric, txt = TypeFamily::Character, date = TypeFamily::Date;
        const auto random = RuleBox::Random, sequence = RuleBox::Sequence, multiple = RuleBox::Multiple;
        const auto ok = RuleBox::None;
        const QList<int> none;
        const QStringList noTexts;
        const QList<double> noNums;
        using namespace RuleMessages;

        QTest::newRow("blank kind accepted unchecked") << num << QString() << none << QList<double>{-7} << noTexts << u""_s << ok << 0;
        QTest::newRow("multiple, nothing ticked") << txt << u"1"_s << none << noNums << noTexts << NoMultiple << multiple << 0;
        QTest::newRow("unit -1 before the range") << num << u"2"_s << none << QList<double>{9, 1, -1} << noTexts << NegativeUnit << random << 2;
        QTest::newRow("unit 0") << txt << u"2"_s << none << QList<double>{1, 9, 0} << noTexts << ZeroUnit << random << 2;
        QTest::newRow("range inverted, MultiOn 0 off") << num << u"2"_s << none << QList<double>{9, 1, 1} << noTexts << MinAboveMax << random << 0;
        QTest::newRow("range of one value") << txt << u"2"_s << none << QList<double>{5, 5, 0.5} << noTexts << u""_s << ok << 0;
        QTest::newRow("step -1") << num << u"3"_s << none << QList<double>{0, -1} << noTexts << NegativeStep << sequence << 1;
        QTest::newRow("step 0") << txt << u"3"_s << none << QList<double>{0, 0} << noTexts << ZeroStep << sequence << 1;
        // The offset is rounded to a whole number, halves to even, after each row: a step of a half or less never moves.
        QTest::newRow("step 0.5") << num << u"3"_s << none << QList<double>{0, 0.5} << noTexts << ZeroStep << sequence << 1;
        QTest::newRow("step 0.1") << txt << u"3"_s << none << QList<double>{1, 0.1} << noTexts << ZeroStep << sequence << 1;
        QTest::newRow("step -0.5") << num << u"3"_s << none << QList<double>{0, -0.5} << noTexts << ZeroStep << sequence << 1;
        QTest::newRow("step 0.51") << num << u"3"_s << none << QList<double>{0, 0.51} << noTexts << u""_s << ok << 0;
        QTest::newRow("step -0.51") << num << u"3"_s << none << QList<double>{0, -0.51} << noTexts << NegativeStep << sequence << 1;
        // Whole numbers up to 2^53 are held exactly; beyond, a neighbour would be taken without a word.
        QTest::newRow("16-digit single") << num << u"0"_s << none << QList<double>{9007199254740992.0} << noTexts << u""_s << ok << 0;
        QTest::newRow("single beyond 2^53") << num << u"0"_s << none << QList<double>{9007199254740994.0} << noTexts << Inexact << RuleBox::Single << 0;
        QTest::newRow("multiple, ticked slot beyond 2^53") << num << u"1"_s << QList<int>{0, 1} << QList<double>{1, -1e17} << noTexts << Inexact << multiple << 1;
        QTest::newRow("select that reads") << num << u"4"_s << none << noNums << QStringList{u" -- list\n with a as (select 1 x from dual) select x from a"_s} << u""_s << ok << 0;
        QTest::newRow("select for update") << txt << u"4"_s << none << noNums << QStringList{u"SELECT C FROM T FOR UPDATE"_s} << u""_s << ok << 0;
        QTest::newRow("select rule that deletes") << txt << u"4"_s << none << noNums << QStringList{u"DELETE FROM 商品マスタ"_s} << NotQuery << RuleBox::Statement << 0;
        QTest::newRow("select hiding an update") << date << u"4"_s << none << noNums << QStringList{u"WITH u AS (UPDATE T SET C=1 RETURNING C) SELECT C FROM u"_s} << NotQuery << RuleBox::Statement << 0;
        QTest::newRow("empty select") << num << u"4"_s << none << noNums << noTexts << NotQuery << RuleBox::Statement << 0;

        QTest::newRow("date single, 7 characters") << date << QString() << none << noNums << QStringList{u"2001123"_s} << BadDate << RuleBox::Single << 0;
        QTest::newRow("date single, character 9 not looked at") << date << u"0"_s << none << noNums << QStringList{u"20011231X235959"_s} << u""_s << ok << 0;
        QTest::newRow("date multiple, ticked slot 2 wrong") << date << u"1"_s << QList<int>{0, 2} << noNums << QStringList{u"20011231"_s, u"x"_s, u"20010230"_s} << BadDate << multiple << 2;
        QTest::newRow("date random, minimum month 13") << date << u"2"_s << none << noNums << QStringList{u"20011301"_s, u"x"_s, u"-1"_s} << BadDate << random << 0;
        QTest::newRow("date random, unit -1") << date << u"2"_s << none << noNums << QStringList{u"20011231"_s, u"x"_s, u"-1"_s} << NegativeUnit << random << 2;
        QTest::newRow("date random, unit abc") << date << u"2"_s << none << noNums << QStringList{u"20011231"_s, u"x"_s, u"abc"_s} << ZeroUnit << random << 2;
        QTest::newRow("date random, maximum wrong") << date << u"2"_s << none << noNums << QStringList{u"20011231"_s, u"x"_s, u"1"_s} << BadDate << random << 1;
        QTest::newRow("date random, compared after padding") << date << u"2"_s << none << noNums << QStringList{u"20020101"_s, u"20011231 235959"_s, u"1"_s} << MinAboveMax << random << 0;
        QTest::newRow("date random, same day") << date << u"2"_s << none << noNums << QStringList{u"20011231"_s, u"20011231 235959"_s, u"1"_s} << u""_s << ok << 0;
        QTest::newRow("date sequence, start wrong") << date << u"3"_s << none << noNums << QStringList{u"2001"_s, u"1"_s} << BadDate << sequence << 0;
        QTest::newRow("date sequence, step 0.5") << date << u"3"_s << none << noNums << QStringList{u"20240101"_s, u" 0.5"_s} << ZeroStep << sequence << 1;
        QTest::newRow("date sequence, step abc") << date << u"3"_s << none << noNums << QStringList{u"20011231"_s, u"abc"_s} << ZeroStep << sequence << 1;
        QTest::newRow("empty pattern") << txt << u"7"_s << none << noNums << noTexts << NoPattern << RuleBox::Pattern << 0;
        QTest::newRow("pattern") << txt << u"7"_s << none << noNums << QStringList{u"JP-\\d{4}"_s} << u""_s << ok << 0;
        QTest::newRow("pattern in the number editor") << num << u"7"_s << none << noNums << QStringList{u"x"_s} << NoPattern << ok << 0;
        QTest::newRow("blank expression") << date << u"8"_s << none << noNums << QStringList{u" \n "_s} << NoExpression << RuleBox::Expression << 0;
        QTest::newRow("expression") << num << u"8"_s << none << noNums << QStringList{u"row.A * 2"_s} << u""_s << ok << 0;
        QTest::newRow("date sequence, step -2") << date << u"3"_s << none << noNums << QStringList{u"20011231"_s, u"-2"_s} << NegativeStep << sequence << 1;
    }
    void checks()
    {
        QFETCH(TypeFamily, family);
        QFETCH(QString, kind);
        QFETCH(QList<int>, on);
        QFETCH(QList<double>, nums);
        QFETCH(QStringList, texts);
        QFETCH(QString, message);
        ColumnRule rule = Rule(kind, on, nums, texts);
        const RuleVerdict verdict = CheckRule(rule, family);
        QCOMPARE(verdict.message, message);
        QCOMPARE(verdict.accepted, message.isEmpty());
        QTEST(verdict.box, "box");
        QTEST(verdict.index, "index");
        QCOMPARE(verdict.tickFirstSlot, message == RuleMessages::NoMultiple);
        // An accepted rule without a kind is a single fixed one; a refused one keeps its kind.
        QCOMPARE(rule.RuleKind.trimmed(), verdict.accepted && kind.trimmed().isEmpty() ? u"0"_s : kind.trimmed());
    }
    // The shape boxes at 設定, after the kind's own checks.
    void shapes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("marks");  // 0 none, 1 NOT NULL, 2 key and NOT NULL, 3 NOT NULL in the bulk setting
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("order");  // "" in turn, else weight texts of slots 0.. at random
        QTest::addColumn<bool>("unique");
        QTest::addColumn<QString>("message");
        QTest::addColumn<RuleBox>("box");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("stored");  // NullRate RandomOrder Weight[2] Unique
        using namespace RuleMessages;
        const auto ok = RuleBox::None, rate = RuleBox::NullRate;
        QTest::newRow("random, rate and unique") << u"2"_s << 0 << u" 30 "_s << u""_s << true << u""_s << ok << 0 << u"30 0 1 1"_s;
        QTest::newRow("rate 100") << u"0"_s << 0 << u"100"_s << u""_s << true << u""_s << ok << 0 << u"100 0 1 0"_s;
        QTest::newRow("rate 101") << u"0"_s << 0 << u"101"_s << u""_s << false << BadNullRate << rate << 0 << u"0 0 1 0"_s;
        QTest::newRow("rate 2.5") << u"3"_s << 0 << u"2.5"_s << u""_s << false << BadNullRate << rate << 0 << u"0 0 1 0"_s;
        QTest::newRow("rate blank") << u"4"_s << 0 << u" "_s << u""_s << false << BadNullRate << rate << 0 << u"0 0 1 0"_s;
        QTest::newRow("rate on NOT NULL") << u"6"_s << 1 << u"5"_s << u""_s << false << NullRateOnNotNull << rate << 0 << u"0 0 1 0"_s;
        QTest::newRow("rate on key") << u"8"_s << 2 << u"5"_s << u""_s << false << NullRateOnKey << rate << 0 << u"0 0 1 0"_s;
        QTest::newRow("rate 0 on key") << u"7"_s << 2 << u"00"_s << u""_s << true << u""_s << ok << 0 << u"0 0 1 1"_s;
        QTest::newRow("bulk: rate on NOT NULL") << u"0"_s << 3 << u"50"_s << u""_s << false << u""_s << ok << 0 << u"50 0 1 0"_s;
        QTest::newRow("NULL kind: rate not read, 0") << u"5"_s << 0 << u"x"_s << u""_s << true << u""_s << ok << 0 << u"0 0 1 0"_s;
        QTest::newRow("in turn: weights not read, no unique") << u"1"_s << 0 << u"0"_s << u""_s << true << u""_s << ok << 0 << u"0 0 1 0"_s;
        QTest::newRow("at random: stored") << u"1"_s << 0 << u"9"_s << u"5,1,1000"_s << true << u""_s << ok << 0 << u"9 1 1000 1"_s;
        QTest::newRow("weight 0 before the rate") << u"1"_s << 0 << u"x"_s << u"1,1,1,0"_s << false << BadWeight << RuleBox::Weight << 3 << u"0 0 1 0"_s;
        QTest::newRow("weight 1001") << u"1"_s << 0 << u"1"_s << u"1001"_s << false << BadWeight << RuleBox::Weight << 0 << u"0 0 1 0"_s;
        QTest::newRow("order not read for random") << u"2"_s << 0 << u"1"_s << u"x"_s << false << u""_s << ok << 0 << u"1 0 1 0"_s;
    }
    void shapes()
    {
        QFETCH(QString, kind);
        QFETCH(int, marks);
        QFETCH(QString, order);
        QFETCH(QString, message);
        QFETCH(QString, rate);
        QFETCH(bool, unique);
        ColumnRule rule = Rule(kind, {}, {}, {});
        rule.IsNotNull = marks > 0;
        rule.IsKey = marks == 2;
        ShapeBoxes boxes{rate, !order.isEmpty(), order.split(u','), unique};
        while (boxes.weights.size() < RuleSlots)
            boxes.weights.append(u"1"_s);
        const RuleVerdict verdict = CheckShapes(rule, boxes, marks == 3);
        QCOMPARE(verdict.message, message);
        QCOMPARE(verdict.accepted, message.isEmpty());
        QTEST(verdict.box, "box");
        QTEST(verdict.index, "index");
        QTEST(u"%1 %2 %3 %4"_s.arg(rule.NullRate).arg(int(rule.RandomOrder)).arg(rule.Weight[2]).arg(int(rule.Unique)), "stored");
        // What a rule holds shows in the boxes again.
        if (rule.RandomOrder)
            QCOMPARE(ShapeBoxesOf(rule).weights, boxes.weights);
    }
    void statementPieces_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pieces");  // slots 0.. filled
        QTest::addColumn<QString>("joined");
        QTest::newRow("cut at 1,600") << QString(1700, u'z') << 16 << QString(1600, u'z');
        // The blank after FROM is the 100th character: it is lost on joining.
        QTest::newRow("blank at a piece end kept") << QString(95, u'a') + u"FROM T"_s << 2 << QString(95, u'a') + u"FROM T"_s;
        QTest::newRow("blank at a piece start kept") << QString(100, u'a') + u" B"_s << 2 << QString(100, u'a') + u" B"_s;
        QTest::newRow("line breaks kept") << u"SELECT A\nFROM T"_s << 1 << u"SELECT A\nFROM T"_s;
    }
    void statementPieces()
    {
        QFETCH(QString, text);
        QFETCH(int, pieces);
        // Storing again replaces every piece of an earlier, longer statement.
        ColumnRule rule;
        StoreStatement(rule, QString(1600, u'x'));
        StoreStatement(rule, text);
        for (int i = 0; i < RuleSlots; ++i)
            QCOMPARE(!rule.TextValue[std::size_t(i)].isBlank(), i < pieces);
        QTEST(JoinStatement(rule), "joined");
    }
    void boxTexts()
    {
        ColumnRule rule = Rule(u"2"_s, {}, {}, {u" 20011231 "_s, u"ABC"_s});
        QCOMPARE(SingleBoxText(rule, TypeFamily::Date), u"20011231"_s);
        QCOMPARE(MultipleBoxText(rule, TypeFamily::Character, 1), u"ABC"_s + QString(97, u' '));
        QCOMPARE(FocusSelectionLength(TypeFamily::Character, MultipleBoxText(rule, TypeFamily::Character, 1)), 3);
        StoreRandomBoxes(rule, TypeFamily::Date, {u" 20020101 "_s, u"x"_s, u"1"_s});
        QCOMPARE(rule.TextValue[0].text().left(9), u"20020101 "_s);
        // The leading number of a box is read; a box without one reads as 0.
        StoreSequenceBoxes(rule, TypeFamily::Character, {u"1,000"_s, u"abc"_s});
        QCOMPARE(rule.NumValue[0], 1.0);
        QCOMPARE(rule.NumValue[1], 0.0);
    }
    void bulkTarget_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("rowSel");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QList<QList<qint16>>>("lists");  // numeric, character, date
        QTest::addColumn<int>("first");  // first settable family, -1 for none
        using Lists = QList<QList<qint16>>;
        const Lists mixed{{3, 5}, {4}, {6}}, all{{2, 3, 5}, {1, 4, 9}, {6}};
        QTest::newRow("rows 3 to 7") << 3 << 7 << u"対象 → 5項目"_s << mixed << 0;
        QTest::newRow("one row: every column") << 4 << 4 << u"対象 → 全項目"_s << all << 0;
        QTest::newRow("every row, bottom to top") << 10 << 1 << u"対象 → 全項目"_s << all << 0;
        QTest::newRow("raw and blob only") << 7 << 8 << u"対象 → 2項目"_s << Lists{{}, {}, {}} << -1;
        QTest::newRow("nchar is not char") << 8 << 10 << u"対象 → 3項目"_s << Lists{{}, {9}, {}} << 1;
        QTest::newRow("date only") << 6 << 7 << u"対象 → 2項目"_s << Lists{{}, {}, {6}} << 2;
    }
    void bulkTarget()
    {
        QFETCH(int, row);
        QFETCH(int, rowSel);
        controls::GridModel grid;
        LoadColumns(grid, row, rowSel);
        const rules::BulkTarget target = rules::ComputeBulkTarget(grid, 10);
        QTEST(target.label, "label");
        QList<QList<qint16>> lists;
        for (int family = 0; family < rules::BulkFamilyCount; ++family)
            lists << target.rows(rules::BulkFamily(family));
        QTEST(lists, "lists");
        QTEST(target.firstSettable() ? int(*target.firstSettable()) : -1, "first");
    }

    void preview_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<int>("budget");          // cells the grid may hold, 0 for the default
        QTest::addColumn<QStringList>("values");  // the rows put in
        QTest::addColumn<int>("errorNumber");
        QTest::addColumn<QString>("message");
        const QStringList names = {u"A"_s, u"[NULL]"_s, u"C"_s};
        QTest::newRow("second column ignored") << u"SELECT NAME, CODE FROM P ORDER BY ID"_s << 0 << names << 0 << u""_s;
        QTest::newRow("line breaks") << u" \r\nSELECT NAME\r\nFROM P\nORDER BY ID\n"_s << 0 << names << 0 << u""_s;
        QTest::newRow("no row") << u"SELECT NAME FROM P WHERE ID > 9"_s << 0 << QStringList{} << 0 << u""_s;
        QTest::newRow("wrong table") << u"SELECT NAME FROM PP"_s << 0 << QStringList{} << 440 << u"ＳＱＬ文のエラーです。確認してください。440"_s;
        QTest::newRow("grid full after two") << u"SELECT NAME FROM P ORDER BY ID"_s << 6 << names.mid(0, 2) << 30006 << u"メモリオーバーのため、最初の2件を表示しています。"_s;
    }
    void preview()
    {
        QFETCH(QString, statement);
        QFETCH(int, budget);
        QFETCH(QStringList, values);
        QFETCH(int, errorNumber);
        kovatest::Connected db({u"CREATE TABLE P (ID NUMBER(4), NAME VARCHAR2(10), CODE VARCHAR2(5))"_s,
                                u"INSERT INTO P VALUES (1, '  A  ', 'x')"_s, u"INSERT INTO P VALUES (2, NULL, 'y')"_s,
                                u"INSERT INTO P VALUES (3, 'C', 'z')"_s});
        // A grid left over from an earlier fill: its rows go, its headings come back.
        controls::GridModel grid;
        grid.setRows(6);
        grid.setCols(2);
        rules::SetUpPreviewGrid(grid);
        QCOMPARE((QList<int>{grid.ColWidth(0), grid.ColWidth(1)}), (QList<int>{600, 2800}));
        grid.setTextMatrix(0, 1, u"stale"_s);
        if (budget)
            grid.setCellBudget(budget);
        const rules::PreviewResult result = rules::FillPreview(db.database(), grid, statement);
        QCOMPARE(result.errorNumber, errorNumber);
        QTEST(result.message, "message");
        QCOMPARE(result.showList, errorNumber != 440);
        QCOMPARE(result.rows, int(values.size()));
        if (values.isEmpty())
            return;
        QCOMPARE(kovatest::GridColumn(grid, 1), QStringList{u"データ"_s} + values);
        for (int n = 0; n < grid.Rows(); ++n)
            QCOMPARE(grid.TextMatrix(n, 0), n ? QString::number(n) : u"No"_s);
    }

    void ordinaryRuleOfDistribution_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("notNull");
        QTest::addColumn<QString>("profile");   // its JSON
        QTest::addColumn<QString>("expected");  // RuleSummary, or the reason
        const QString cannotText = u"頻出値（16件まで）が値のすべてを覆わず、9割の値が共有する形もないため、通常のルールにできません。"_s;
        QTest::newRow("values cover the rest")
            << u"VARCHAR2(10)"_s << false << uR"({"nulls": 0.3, "distinct": 3, "frequent": [["A", 0.6], ["B", 0.09], ["@C", 0.01]]})"_s
            << u"1 30% random A*1000 B*150 @'@C'*17"_s;
        QTest::newRow("numbers covered, NOT NULL")
            << u"NUMBER(4)"_s << true << uR"({"nulls": 0.2, "distinct": 2, "frequent": [["7", 0.4], ["-1.5", 0.4]]})"_s
            << u"1 0% random 7*1000 -1.5*1000"_s;
        QTest::newRow("dates covered")
            << u"DATE()"_s << false << uR"({"nulls": 0, "distinct": 1, "frequent": [["20240229 120000", 1]]})"_s
            << u"1 0% random 20240229 120000*1000"_s;
        QTest::newRow("numbers beyond the values")
            << u"NUMBER(8)"_s << false
            << uR"({"nulls": 0.126, "distinct": 500, "low": 3, "high": 9000, "frequent": [["5", 0.5]], "buckets": [[3, 9000, 0.374, 499]]})"_s
            << u"2 13% 3..9000/1"_s;
        QTest::newRow("decimals step by the scale")
            << u"NUMBER(10,2)"_s << false << uR"({"nulls": 0, "distinct": 90, "low": 0.5, "high": 99.25, "buckets": [[0.5, 99.25, 1, 90]]})"_s
            << u"2 0% 0.5..99.25/0.01"_s;
        QTest::newRow("dates beyond the values")
            << u"DATE()"_s << false
            << uR"({"nulls": 0.5, "distinct": 300, "low": "20230101 000000", "high": "20231231 000000", "buckets": [["20230101 000000", "20231231 000000", 0.5, 300]]})"_s
            << u"2 50% 20230101 000000..20231231 000000/1"_s;
        QTest::newRow("numbers without bounds")
            << u"NUMBER(8)"_s << false << uR"({"nulls": 0.1, "distinct": 500})"_s
            << u"最小値と最大値がないため、通常のルールにできません。"_s;
        QTest::newRow("one shape nearly everywhere")
            << u"VARCHAR2(10)"_s << false
            << uR"({"nulls": 0.5, "distinct": 900, "low": 8, "high": 8, "buckets": [[8, 8, 0.5, 900]], "shapes": [["999-9999", 0.45]]})"_s
            << u"7 50% \\d{3}-\\d{4}"_s;
        QTest::newRow("shape classes and marks")
            << u"VARCHAR2(40)"_s << false
            << u"{\"nulls\": 0, \"distinct\": 900, \"low\": 9, \"high\": 9, \"buckets\": [[9, 9, 1, 900]], \"shapes\": [[\"Aa9.あア漢 (\", 1]]}"_s
            << u"7 0% [A-Z][a-z]\\d\\.\\p{Hiragana}\\p{Katakana}\\p{Han} \\("_s;
        QTest::newRow("no shape holds 90 %")
            << u"VARCHAR2(10)"_s << false
            << uR"({"nulls": 0, "distinct": 900, "low": 8, "high": 8, "buckets": [[8, 8, 1, 900]], "shapes": [["999-9999", 0.85]]})"_s
            << cannotText;
        QTest::newRow("17 values")
            << u"VARCHAR2(10)"_s << false
            << uR"({"nulls": 0.15, "distinct": 17, "frequent": [["a", 0.05], ["b", 0.05], ["c", 0.05], ["d", 0.05], ["e", 0.05], ["f", 0.05], ["g", 0.05], ["h", 0.05], ["i", 0.05], ["j", 0.05], ["k", 0.05], ["l", 0.05], ["m", 0.05], ["n", 0.05], ["o", 0.05], ["p", 0.05], ["q", 0.05]]})"_s
            << cannotText;
        QTest::newRow("a personal column")
            << u"VARCHAR2(40)"_s << false << uR"({"nulls": 0.25, "distinct": 800, "low": 2, "high": 6, "dictionary": "氏名"})"_s
            << u"6 25% 氏名"_s;
        QTest::newRow("only NULL") << u"VARCHAR2(10)"_s << false << uR"({"nulls": 1, "distinct": 0})"_s << u"5 0%"_s;
    }
    // A 分布 rule becomes the ordinary rule that says the same where there is
    // one, which 設定 then accepts; else the reason.
    void ordinaryRuleOfDistribution()
    {
        QFETCH(QString, type);
        QFETCH(bool, notNull);
        QFETCH(QString, profile);
        QFETCH(QString, expected);
        ColumnRule rule;
        rule.ColumnName = u"COL"_s;
        rule.TypeText = type;
        rule.IsNotNull = notNull;
        rule.Length = qint16(type.section(u'(', 1).section(u',', 0, 0).section(u')', 0, 0).toInt());
        rule.Scale = qint16(type.section(u',', 1).section(u')', 0, 0).toInt());
        rule.setKind(Kind::Distribution);
        QString problem;
        const auto read = generate::ReadProfileJson(QJsonDocument::fromJson(profile.toUtf8()).object(),
                                                    generate::ProfileFamily(rule.family()), &problem);
        QVERIFY2(read, qPrintable(problem));
        rule.Distribution = std::make_shared<const generate::ColumnProfile>(*read);
        const OrdinaryRule made = OrdinaryRuleOf(rule);
        if (!made.rule) {
            QCOMPARE(made.reason, expected);
            return;
        }
        QCOMPARE(RuleSummary(*made.rule), expected);
        QVERIFY(!made.rule->Distribution);
        QCOMPARE(made.rule->ColumnName.trimmed(), u"COL"_s);
        ColumnRule kept = *made.rule;
        const RuleVerdict verdict = CheckRule(kept, rule.family());
        QVERIFY2(verdict.accepted, qPrintable(verdict.message));
    }
};

QTEST_GUILESS_MAIN(tst_RuleEditing)
#include "tst_RuleEditing.moc"
