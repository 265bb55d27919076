// label: core
// Bulk setting without its window: the target lists, the neutral record and
// applying an edited rule to one family's columns.
#include "controls/GridModel.h"
#include "rules/BulkSetting.h"
#include "rules/RuleLook.h"

#include <QTest>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRule;
using basKovaData::ColumnRules;
using rules::BulkFamily;

namespace {

// Grid rows 1..10 and their rules, each with an earlier rule, selected from `row` to `rowSel`.
void LoadColumns(controls::GridModel& grid, int row, int rowSel)
{
    const QStringList types = {u"VARCHAR2(10)"_s, u"NUMBER(4)"_s, u"NUMBER(8)"_s, u"VARCHAR2(20)"_s,
                               u"NUMBER(10.2)"_s, u"DATE()"_s,    u"RAW(16)"_s,   u"BLOB(4000)"_s,
                               u"CHAR(1)"_s,      u"NCHAR(2)"_s};
    grid.setCols(5);
    grid.setRows(int(types.size()) + 1);
    ColumnRules.assign(std::size_t(types.size()) + 1, ColumnRule());
    for (int i = 1; i <= types.size(); ++i) {
        grid.setTextMatrix(i, rules::BulkTypeColumn, types[i - 1]);
        ColumnRule& rule = ColumnRules[std::size_t(i)];
        rule.ColumnName = u"C"_s + QString::number(i);
        rule.TypeText = types[i - 1];
        rule.Length = qint16(i * 2);
        rule.IsKey = i == 2;
        rule.RuleKind = u"2"_s;
        rule.NumValue[0] = -i;
        rule.TextValue[3] = u"old"_s;
    }
    basKovaData::ColumnCount = qint16(types.size());
    grid.setRow(row);
    grid.setRowSel(rowSel);
}

QString Join(const QList<qint16>& rows)
{
    QStringList parts;
    for (const qint16 row : rows)
        parts.append(QString::number(row));
    return parts.join(u',');
}

bool SameRule(const ColumnRule& a, const ColumnRule& b)
{
    return a.RuleKind == b.RuleKind && a.MultiOn == b.MultiOn && a.NumValue == b.NumValue && a.TextValue == b.TextValue;
}

}  // namespace

class tst_BulkSetting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void target_data();
    void target();
    void apply_data();
    void apply();
};

void tst_BulkSetting::target_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("rowSel");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QStringList>("lists");  // numeric, character, date
    QTest::addColumn<int>("first");          // first settable family, -1 for none
    const QStringList mixed = {u"3,5"_s, u"4"_s, u"6"_s};
    const QStringList all = {u"2,3,5"_s, u"1,4,9"_s, u"6"_s};
    QTest::newRow("rows 3 to 7") << 3 << 7 << u"対象 → 5項目"_s << mixed << 0;
    QTest::newRow("bottom to top") << 7 << 3 << u"対象 → 5項目"_s << mixed << 0;
    QTest::newRow("one row: every column") << 4 << 4 << u"対象 → 全項目"_s << all << 0;
    QTest::newRow("every row") << 10 << 1 << u"対象 → 全項目"_s << all << 0;
    QTest::newRow("raw and blob only") << 7 << 8 << u"対象 → 2項目"_s << QStringList{u""_s, u""_s, u""_s} << -1;
    QTest::newRow("nchar is not char") << 8 << 10 << u"対象 → 3項目"_s << QStringList{u""_s, u"9"_s, u""_s} << 1;
    QTest::newRow("date only") << 6 << 7 << u"対象 → 2項目"_s << QStringList{u""_s, u""_s, u"6"_s} << 2;
}

void tst_BulkSetting::target()
{
    QFETCH(int, row);
    QFETCH(int, rowSel);
    QFETCH(QStringList, lists);
    QFETCH(int, first);
    controls::GridModel grid;
    LoadColumns(grid, row, rowSel);
    const rules::BulkTarget target = rules::ComputeBulkTarget(grid, basKovaData::ColumnCount);
    QTEST(target.label, "label");
    for (int family = 0; family < rules::BulkFamilyCount; ++family)
        QCOMPARE(Join(target.rows(BulkFamily(family))), lists[family]);
    QCOMPARE(target.firstSettable() ? int(*target.firstSettable()) : -1, first);
}

void tst_BulkSetting::apply_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<BulkFamily>("family");
    QTest::addColumn<QString>("typeText");
    QTest::addColumn<bool>("cancelled");
    QTest::addColumn<QList<int>>("changed");
    QTest::newRow("rows 3 to 7, numbers") << 3 << BulkFamily::Numeric << u"NUMBER"_s << false << QList<int>{3, 5};
    QTest::newRow("one row, texts") << 2 << BulkFamily::Character << u"文字列型"_s << false << QList<int>{1, 4, 9};
    QTest::newRow("one row, dates") << 2 << BulkFamily::Date << u"DATE型"_s << false << QList<int>{6};
    QTest::newRow("cancelled") << 3 << BulkFamily::Numeric << u"NUMBER"_s << true << QList<int>{};
}

void tst_BulkSetting::apply()
{
    QFETCH(int, row);
    QFETCH(BulkFamily, family);
    QFETCH(bool, cancelled);
    QFETCH(QList<int>, changed);
    controls::GridModel grid;
    LoadColumns(grid, row, row == 3 ? 7 : row);
    const rules::BulkTarget target = rules::ComputeBulkTarget(grid, basKovaData::ColumnCount);
    const std::vector<ColumnRule> before = ColumnRules;

    ColumnRule& edited = basKovaData::CurrentRule;
    edited = rules::NeutralBulkRule(family);
    QTEST(edited.TypeText.trimmed(), "typeText");
    QCOMPARE(edited.ColumnName.trimmed(), u"一括設定"_s);
    QVERIFY(edited.IsNotNull && !edited.IsKey && edited.Length == 0 && edited.Scale == 0);
    ColumnRule single;
    single.RuleKind = u"0"_s;
    QVERIFY(SameRule(edited, single));

    // What an editor leaves behind: a sequence, with a long text kept in slot 0.
    edited.RuleKind = u"3"_s;
    edited.NumValue[1] = 2;
    edited.MultiOn[1] = true;
    edited.TextValue[0] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"_s;
    basKovaData::EditCancelled = cancelled;
    QCOMPARE(rules::ApplyBulkRule(grid, target.rows(family)), !cancelled);

    for (int i = 1; i <= basKovaData::ColumnCount; ++i) {
        const ColumnRule& rule = ColumnRules[std::size_t(i)];
        const ColumnRule& old = before[std::size_t(i)];
        const bool isChanged = changed.contains(i);
        QVERIFY(rule.ColumnName == old.ColumnName && rule.TypeText == old.TypeText && rule.Length == old.Length
                && rule.IsKey == old.IsKey && rule.IsNotNull == old.IsNotNull);
        QVERIFY(SameRule(rule, isChanged ? edited : old));
        QCOMPARE(grid.TextMatrix(i, rules::BulkRuleColumn), isChanged ? u"連番"_s : QString());
        QCOMPARE(grid.CellBackColor(i, rules::BulkRuleColumn),
                 isChanged ? basKovaData::StoredRuleLook(3)->back : controls::GridWhite);
    }
    // The last column set is the current cell, selected alone.
    if (!changed.isEmpty()) {
        QCOMPARE(QList<int>({grid.Row(), grid.RowSel(), grid.Col(), grid.ColSel()}),
                 QList<int>({changed.last(), changed.last(), 4, 4}));
    }
}

QTEST_GUILESS_MAIN(tst_BulkSetting)
#include "tst_BulkSetting.moc"
