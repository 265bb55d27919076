// label: core
#include "rules/RuleEditing.h"

#include <QtTest>

using namespace basKovaData;
using namespace Qt::StringLiterals;

namespace {

ColumnRule Rule(const QString& kind, const QList<int>& on, const QList<double>& nums,
                const QStringList& texts)
{
    ColumnRule rule;
    rule.RuleKind = kind;
    for (int i : on)
        rule.MultiOn[static_cast<std::size_t>(i)] = true;
    for (int i = 0; i < nums.size(); ++i)
        rule.NumValue[static_cast<std::size_t>(i)] = nums.at(i);
    for (int i = 0; i < texts.size(); ++i)
        rule.TextValue[static_cast<std::size_t>(i)] = texts.at(i);
    return rule;
}

}  // namespace

class TestRuleEditing : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checks_data();
    void checks();
    void checkedDatesAreKeptTrimmedAndPadded();
    void statementPieces_data();
    void statementPieces();
    void padding_data();
    void padding();
    void boxTexts();
};

void TestRuleEditing::checks_data()
{
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<int>>("on");
    QTest::addColumn<QList<double>>("nums");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("index");

    const int num = static_cast<int>(RuleFamily::Number);
    const int txt = static_cast<int>(RuleFamily::Text);
    const int date = static_cast<int>(RuleFamily::Date);
    const int random = static_cast<int>(RuleBox::Random);
    const int sequence = static_cast<int>(RuleBox::Sequence);
    const int multiple = static_cast<int>(RuleBox::Multiple);
    const QString ok;
    const QList<int> none;
    const QStringList noTexts;
    const QList<double> noNums;
    using namespace RuleMessages;

    QTest::newRow("blank kind accepted unchecked") << num << QString() << none << QList<double>{-7} << noTexts << ok << 0 << 0;
    QTest::newRow("multiple, nothing ticked") << txt << u"1"_s << none << noNums << noTexts << NoMultiple << multiple << 0;
    QTest::newRow("multiple, slots 3 and 9") << num << u"1"_s << QList<int>{3, 9} << noNums << noTexts << ok << 0 << 0;
    QTest::newRow("unit -1 before the range") << num << u"2"_s << none << QList<double>{9, 1, -1} << noTexts << NegativeUnit << random << 2;
    QTest::newRow("unit 0") << txt << u"2"_s << none << QList<double>{1, 9, 0} << noTexts << ZeroUnit << random << 2;
    QTest::newRow("range inverted, MultiOn 0 off") << num << u"2"_s << none << QList<double>{9, 1, 1} << noTexts << MinAboveMax << random << 0;
    QTest::newRow("range of one value") << txt << u"2"_s << none << QList<double>{5, 5, 0.5} << noTexts << ok << 0 << 0;
    QTest::newRow("step -1") << num << u"3"_s << none << QList<double>{0, -1} << noTexts << NegativeStep << sequence << 1;
    QTest::newRow("step 0") << txt << u"3"_s << none << QList<double>{0, 0} << noTexts << ZeroStep << sequence << 1;
    QTest::newRow("statement unchecked") << num << u"4"_s << none << noNums << noTexts << ok << 0 << 0;

    QTest::newRow("date single, 7 characters") << date << QString() << none << noNums << QStringList{u"2001123"_s} << BadDate << static_cast<int>(RuleBox::Single) << 0;
    QTest::newRow("date single, blanks before") << date << u"0"_s << none << noNums << QStringList{u"  20011231"_s} << ok << 0 << 0;
    QTest::newRow("date single, character 9 not looked at") << date << u"0"_s << none << noNums << QStringList{u"20011231X235959"_s} << ok << 0 << 0;
    QTest::newRow("date multiple, ticked slot 2 wrong") << date << u"1"_s << QList<int>{0, 2} << noNums << QStringList{u"20011231"_s, u"x"_s, u"20010230"_s} << BadDate << multiple << 2;
    QTest::newRow("date multiple, unticked slot wrong") << date << u"1"_s << QList<int>{0} << noNums << QStringList{u"20011231"_s, u"x"_s} << ok << 0 << 0;
    QTest::newRow("date random, minimum month 13") << date << u"2"_s << none << noNums << QStringList{u"20011301"_s, u"x"_s, u"-1"_s} << BadDate << random << 0;
    QTest::newRow("date random, unit -1") << date << u"2"_s << none << noNums << QStringList{u"20011231"_s, u"x"_s, u"-1"_s} << NegativeUnit << random << 2;
    QTest::newRow("date random, unit abc") << date << u"2"_s << none << noNums << QStringList{u"20011231"_s, u"x"_s, u"abc"_s} << ZeroUnit << random << 2;
    QTest::newRow("date random, maximum wrong") << date << u"2"_s << none << noNums << QStringList{u"20011231"_s, u"x"_s, u"1"_s} << BadDate << random << 1;
    QTest::newRow("date random, compared after padding") << date << u"2"_s << none << noNums << QStringList{u"20020101"_s, u"20011231 235959"_s, u"1"_s} << MinAboveMax << random << 0;
    QTest::newRow("date random, same day") << date << u"2"_s << none << noNums << QStringList{u"20011231"_s, u"20011231 235959"_s, u"1"_s} << ok << 0 << 0;
    QTest::newRow("date sequence, start wrong") << date << u"3"_s << none << noNums << QStringList{u"2001"_s, u"1"_s} << BadDate << sequence << 0;
    QTest::newRow("date sequence, step abc") << date << u"3"_s << none << noNums << QStringList{u"20011231"_s, u"abc"_s} << ZeroStep << sequence << 1;
    QTest::newRow("date sequence, step -2") << date << u"3"_s << none << noNums << QStringList{u"20011231"_s, u"-2"_s} << NegativeStep << sequence << 1;
}

void TestRuleEditing::checks()
{
    QFETCH(int, family);
    QFETCH(QString, kind);
    QFETCH(QList<int>, on);
    QFETCH(QList<double>, nums);
    QFETCH(QStringList, texts);
    QFETCH(QString, message);
    QFETCH(int, box);
    QFETCH(int, index);

    ColumnRule rule = Rule(kind, on, nums, texts);
    const RuleVerdict verdict = CheckRule(rule, static_cast<RuleFamily>(family));
    QCOMPARE(verdict.message, message);
    QCOMPARE(verdict.accepted, message.isEmpty());
    QCOMPARE(static_cast<int>(verdict.box), box);
    QCOMPARE(verdict.index, index);
    QCOMPARE(verdict.tickFirstSlot, message == RuleMessages::NoMultiple);
    // An accepted rule without a kind is a single fixed one; a refused one keeps its kind.
    QCOMPARE(rule.RuleKind.trimmed(), verdict.accepted && kind.trimmed().isEmpty() ? u"0"_s : kind.trimmed());
}

void TestRuleEditing::checkedDatesAreKeptTrimmedAndPadded()
{
    ColumnRule random = Rule(u"2"_s, {}, {}, {u" 20011231 "_s, u"20011231 235959"_s, u" 2 "_s});
    QVERIFY(CheckRule(random, RuleFamily::Date).accepted);
    QCOMPARE(random.TextValue[0].trimmed(), u"20011231 000000"_s);
    QCOMPARE(random.TextValue[2].trimmed(), u"2"_s);
    QVERIFY(random.TextValue[2].text().startsWith(u"2 "_s));

    ColumnRule single = Rule(u"0"_s, {}, {}, {u"  20011231"_s});
    QVERIFY(CheckRule(single, RuleFamily::Date).accepted);
    QVERIFY(single.TextValue[0].text().startsWith(u"20011231 "_s));
}

void TestRuleEditing::statementPieces_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QList<int>>("filled");
    QTest::addColumn<QString>("joined");

    const QString x250(250, u'x');
    QTest::newRow("250 then 50 characters") << x250 << QString(50, u'y') << QList<int>{0} << QString(50, u'y');
    const QString x1700(1700, u'z');
    QList<int> all;
    for (int i = 0; i < RuleSlots; ++i)
        all.append(i);
    QTest::newRow("cut at 1,600") << QString() << x1700 << all << QString(1600, u'z');
    // The blank after FROM is the 100th character: it is lost on joining.
    const QString head = QString(95, u'a') + u"FROM T"_s;
    QTest::newRow("blank at a piece end") << QString() << head << QList<int>{0, 1} << QString(95, u'a') + u"FROMT"_s;
    QTest::newRow("line breaks kept") << QString() << u"SELECT A\nFROM T"_s << QList<int>{0} << u"SELECT A\nFROM T"_s;
}

void TestRuleEditing::statementPieces()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QList<int>, filled);
    QFETCH(QString, joined);

    ColumnRule rule;
    if (!first.isEmpty())
        StoreStatement(rule, first);
    StoreStatement(rule, second);
    for (int i = 0; i < RuleSlots; ++i)
        QCOMPARE(!rule.TextValue[static_cast<std::size_t>(i)].isBlank(), filled.contains(i));
    QCOMPARE(JoinStatement(rule), joined);
}

void TestRuleEditing::padding_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<bool>("slot1");
    QTest::addColumn<bool>("slot2");
    QTest::newRow("zeros") << 0 << false << false;
    QTest::newRow("blanks") << 1 << false << true;
    QTest::newRow("left") << 2 << true << true;
}

void TestRuleEditing::padding()
{
    QFETCH(int, option);
    QFETCH(bool, slot1);
    QFETCH(bool, slot2);
    ColumnRule rule;
    rule.MultiOn.fill(true);
    SetPadding(rule, static_cast<Padding>(option));
    QCOMPARE(rule.MultiOn[1], slot1);
    QCOMPARE(rule.MultiOn[2], slot2);
    QVERIFY(rule.MultiOn[0]);  // the slot flags of the multiple kind stay
    QCOMPARE(static_cast<int>(PaddingOf(rule)), option);
    // The pair never produced shows as zeros.
    rule.MultiOn[1] = true;
    rule.MultiOn[2] = false;
    QCOMPARE(PaddingOf(rule), Padding::Zeros);
}

void TestRuleEditing::boxTexts()
{
    ColumnRule rule = Rule(u"2"_s, {}, {12.5, 3, -0.25}, {u" 20011231 "_s, u"ABC"_s});
    QCOMPARE(RandomBoxTexts(rule, RuleFamily::Number), QStringList({u"12.5"_s, u"3"_s, u"-0.25"_s}));
    QCOMPARE(SingleBoxText(rule, RuleFamily::Date), u"20011231"_s);
    QCOMPARE(MultipleBoxText(rule, RuleFamily::Text, 1), u"ABC"_s + QString(97, u' '));
    QCOMPARE(FocusSelectionLength(RuleFamily::Text, MultipleBoxText(rule, RuleFamily::Text, 1)), 3);

    StoreRandomBoxes(rule, RuleFamily::Date, {u" 20020101 "_s, u"x"_s, u"1"_s});
    QCOMPARE(rule.TextValue[0].text().left(9), u"20020101 "_s);
    StoreSequenceBoxes(rule, RuleFamily::Text, {u"1,000"_s, u"abc"_s});
    QCOMPARE(rule.NumValue[0], 1.0);
    QCOMPARE(rule.NumValue[1], 0.0);
}

QTEST_GUILESS_MAIN(TestRuleEditing)
#include "tst_RuleEditing.moc"
