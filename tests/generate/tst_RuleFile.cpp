// label: engine
// Rule files: every kind in every type family written and read back, files
// refused with nothing changed, files that fit the table only in part.
#include "browser/ColumnGrid.h"
#include "generate/RowPreview.h"
#include "generate/RuleFile.h"
#include "rules/RuleEditing.h"
#include "support/MaintainSupport.h"

#include <QTest>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRules;
using basKovaData::TypeFamily;

namespace {

const QStringList Table{u"CREATE TABLE R (N NUMBER(8,2), C VARCHAR2(10), F CHAR(6), D DATE, E1 VARCHAR2(5), "
                        "E2 VARCHAR2(5), L BFILE)"_s,
                        u"CREATE TABLE SRC (V VARCHAR2(5))"_s, u"INSERT INTO SRC VALUES ('s1')"_s,
                        u"INSERT INTO SRC VALUES ('s2')"_s};
const TypeFamily Families[] = {TypeFamily::Numeric, TypeFamily::Character, TypeFamily::Character,
                               TypeFamily::Date,   TypeFamily::Character, TypeFamily::Character};

// What the editors show of each rule-able column's rule.
QStringList EditorView()
{
    QStringList view;
    for (int j = 1; j <= 6; ++j) {
        const basKovaData::ColumnRule& rule = ColumnRules[std::size_t(j)];
        const TypeFamily family = Families[j - 1];
        QStringList ticked;
        for (int slot = 0; slot < basKovaData::RuleSlots; ++slot)
            if (rule.MultiOn[std::size_t(slot)])
                ticked << basKovaData::MultipleBoxText(rule, family, slot).trimmed();
        const int kind = rule.RuleKind.isBlank() ? -1 : rule.kindNumber();
        QString shown = u"%1 %2"_s.arg(rule.ColumnName.trimmed()).arg(kind);
        if (kind == 0)
            shown += u" "_s + basKovaData::SingleBoxText(rule, family).trimmed();
        if (kind == 1)
            shown += u" "_s + ticked.join(u'/');
        if (kind == 2)
            shown += u" "_s + basKovaData::RandomBoxTexts(rule, family).join(u'/');
        if (kind == 3)
            shown += u" "_s + basKovaData::SequenceBoxTexts(rule, family).join(u'/');
        if ((kind == 2 || kind == 3) && family == TypeFamily::Character)
            shown += u" pad"_s + QString::number(int(basKovaData::PaddingOf(rule)));
        if (kind == 4)
            shown += u" "_s + basKovaData::JoinStatement(rule);
        if (kind == 6)
            shown += u" "_s + rule.TextValue[0].trimmed();
        if (kind == 7 || kind == 8)
            shown += u" "_s + rule.Pattern + rule.Expression;
        if (rule.RandomOrder)
            for (int slot = 0; slot < basKovaData::RuleSlots; ++slot)
                shown += rule.MultiOn[std::size_t(slot)] ? u" w"_s + QString::number(rule.Weight[std::size_t(slot)]) : QString();
        if (rule.NullRate > 0 || rule.Unique)
            shown += u" null%1 unique%2"_s.arg(rule.NullRate).arg(rule.Unique);
        view << shown;
    }
    return view;
}

struct Loaded {
    Loaded() : db(Table) { browser::FillColumnGrid(db.database(), grid, u"R"_s, true); }
    kovatest::Connected db;
    controls::GridModel grid;
};

// A rule file; its text writes ' for ".
QByteArray File(const QString& columns, const QString& top = u"'kova-rules': 1, 'table': 'R'"_s)
{
    return QString(u"{"_s + top + u", 'columns': ["_s + columns + u"]}"_s).replace(u'\'', u'"').toUtf8();
}

}  // namespace

class tst_RuleFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("rules");  // kovatest::SetRule texts; "C pad N" sets a padding
        QTest::newRow("fixed") << QStringList{u"N=0:12.5"_s, u"C=0:@UPPER('x')"_s, u"F=0:it's"_s, u"D=0:20240229 123456"_s};
        QTest::newRow("list") << QStringList{u"N=1:1,,-3"_s, u"C=1:a,b'c,@NULL"_s, u"F=1:x"_s, u"D=1:20240101,20241231 235959"_s};
        QTest::newRow("random") << QStringList{u"N=2:-5,5,0.25"_s, u"C=2:1,99,1"_s, u"C pad 1"_s, u"F=2:0,9,3"_s,
                                               u"D=2:20240101 000000,20240131 120000,1"_s};
        QTest::newRow("sequence") << QStringList{u"N=3:100,10"_s, u"C=3:1,1"_s, u"C pad 2"_s, u"F=3:5,2"_s,
                                                 u"D=3:20240101 090000,1.5"_s};
        QTest::newRow("select and null") << QStringList{u"N=5:"_s, u"C=4:SELECT V FROM SRC ORDER BY V"_s, u"F=5:"_s,
                                                        u"D=4:SELECT NULL FROM SRC"_s};
        QTest::newRow("dictionary") << QStringList{u"C=6:住所"_s, u"F=6:郵便番号"_s, u"E1=6:氏名"_s};
        QTest::newRow("shapes") << QStringList{u"N=1:1,2,3"_s, u"N~random=5,1,1000"_s, u"N~unique"_s, u"C=7:JP-\\d{4}"_s,
                                               u"C~null=30"_s, u"D=8:addDays(row.D, 1)"_s, u"E1=6:姓"_s, u"E1~unique"_s,
                                               u"F=2:1,9,1"_s, u"F~null=100"_s, u"F~unique"_s};
    }
    void roundTrip()
    {
        QFETCH(QStringList, rules);
        Loaded table;
        for (const QString& rule : rules) {
            if (rule.contains(u" pad "_s))
                basKovaData::SetPadding(ColumnRules[2], basKovaData::Padding(rule.right(1).toInt()));
            else
                kovatest::SetRule(rule);
        }
        const QStringList shown = EditorView();
        const generate::RowPreview rows = generate::PreviewRows(basKovaData::TableRules::FromShared(QString()), 6);
        QVERIFY(!rows.failed);
        const QByteArray json = generate::RuleFileText(u"R"_s, 7, 12345);
        for (basKovaData::ColumnRule& rule : ColumnRules)
            rule.clearRule();
        const generate::RuleFileLoad load = generate::ApplyRuleFile(json);
        QVERIFY2(!load.refused, qPrintable(load.message));
        QCOMPARE(load.table + QString::number(load.rows) + u" "_s + QString::number(load.seed.value_or(0)), u"R7 12345"_s);
        QCOMPARE(EditorView(), shown);
        QCOMPARE(generate::PreviewRows(basKovaData::TableRules::FromShared(QString()), 6).rows, rows.rows);
    }

    // A refused file changes no rule and says which column and what is wrong.
    void refused_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("message");
        const QString text101(101, u'x');
        const auto row = [](const char* name, const QString& columns, const QString& message) {
            QTest::newRow(name) << File(columns) << message;
        };
        QTest::newRow("not JSON") << QByteArray("{\"kova-rules\": 1,") << u"JSON として読めません"_s;
        QTest::newRow("no marker") << QByteArray("{\"columns\": []}") << u"ルールファイル（\"kova-rules\": 1）ではありません。"_s;
        QTest::newRow("unknown key") << File({}, u"'kova-rules': 1, 'tabel': 'R'"_s) << u"tabel は使えません。"_s;
        QTest::newRow("rows") << File({}, u"'kova-rules': 1, 'rows': 2.5"_s) << u"rows は1以上の整数です。"_s;
        row("unknown kind", u"{'column': 'N', 'kind': 'fixd'}"_s, u"N: kind は"_s);
        row("unknown dictionary", u"{'column': 'C', 'kind': 'dictionary', 'name': '県'}"_s, u"C: name は辞書の名前です"_s);
        row("key of another kind", u"{'column': 'N', 'kind': 'fixed', 'value': 1, 'step': 1}"_s, u"N: fixed には step は使えません。"_s);
        row("missing value", u"{'column': 'C', 'kind': 'sequence', 'start': 1}"_s, u"C: step がありません。"_s);
        row("wrong type", u"{'column': 'N', 'kind': 'random', 'min': 1, 'max': 2, 'unit': '1'}"_s, u"N: unit は数値です。"_s);
        row("mixed list", u"{'column': 'C', 'kind': 'list', 'values': ['a', 1]}"_s, u"C: values は数値だけか文字列だけです。"_s);
        row("17 values", u"{'column': 'N', 'kind': 'list', 'values': [1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17]}"_s,
            u"N: values は1個から16個の値の配列です。"_s);
        row("text too long", u"{'column': 'C', 'kind': 'fixed', 'value': '%1'}"_s.arg(text101), u"C: 100文字を超える値は使えません。"_s);
        row("statement too long", u"{'column': 'C', 'kind': 'select', 'sql': 'SELECT V FROM SRC WHERE 1 = 1%1'}"_s
                                      .arg(u" AND 1 = 1"_s.repeated(158)), u"C: sql は1600文字までの文字列です。"_s);
        row("select that is no query", u"{'column': 'C', 'kind': 'select', 'sql': 'DELETE FROM SRC'}"_s,
            u"C: "_s + basKovaData::RuleMessages::NotQuery);
        row("editor check", u"{'column': 'N', 'kind': 'random', 'min': 5, 'max': 1, 'unit': 1}"_s, u"N: 最小値＞最大値の大小エラーです。"_s);
        row("bad date", u"{'column': 'D', 'kind': 'fixed', 'value': '20240230'}"_s, u"D: 日付が正しく入力されていません。"_s);
        row("column twice", u"{'column': 'C', 'kind': 'null'}, {'column': 'c', 'kind': 'null'}"_s, u"c: 同じ列が二度あります。"_s);
        // QJsonDocument keeps the last of a repeated key; the file is refused.
        row("key twice", u"{'column': 'N', 'kind': 'fixed', 'value': 1, 'value': 2}"_s, u"N: value が二度あります。"_s);
        row("key twice, escaped, column after it", u"{'kind': 'fixed', 'value': 1, '\\u0076alue': 2, 'column': 'N'}"_s,
            u"N: value が二度あります。"_s);
        QTest::newRow("top key twice") << File({}, u"'kova-rules': 1, 'table': 'R', 'table': 'S'"_s) << u"table が二度あります。"_s;
        row("beyond 2^53", u"{'column': 'N', 'kind': 'sequence', 'start': 9007199254740993, 'step': 1}"_s,
            u"N: start: "_s + basKovaData::RuleMessages::Inexact);
        row("beyond 2^53 in a list", u"{'column': 'N', 'kind': 'list', 'values': [1, -1e300]}"_s,
            u"N: values: "_s + basKovaData::RuleMessages::Inexact);
        QStringList selects;
        for (const QString& column : {u"N"_s, u"C"_s, u"F"_s, u"D"_s, u"E1"_s, u"E2"_s})
            selects << u"{'column': '%1', 'kind': 'select', 'sql': 'SELECT V FROM SRC'}"_s.arg(column);
        row("six selects", selects.join(u','), u"E2: select のルールは5列までです。"_s);
        row("NULL rate", u"{'column': 'N', 'kind': 'fixed', 'value': 1, 'null': 101}"_s, u"N: null は0から100までの整数"_s);
        row("NULL rate of null", u"{'column': 'N', 'kind': 'null', 'null': 10}"_s, u"N: null には null は使えません。"_s);
        row("weights", u"{'column': 'N', 'kind': 'list', 'values': [1, 2], 'order': 'random', 'weights': [1]}"_s,
            u"N: weights は values と同じ数"_s);
        row("weight 0", u"{'column': 'N', 'kind': 'list', 'values': [1], 'weights': [0]}"_s, u"N: weights の重みは1から1000"_s);
        row("unique sequence", u"{'column': 'N', 'kind': 'sequence', 'start': 1, 'step': 1, 'unique': true}"_s,
            u"N: sequence には unique は使えません。"_s);
        row("step that never moves", u"{'column': 'D', 'kind': 'sequence', 'start': '20240101', 'step': 0.5}"_s,
            u"D: "_s + basKovaData::RuleMessages::ZeroStep);
        row("pattern", u"{'column': 'C', 'kind': 'pattern', 'pattern': 'a(?=b)'}"_s, u"C: パターンの2文字目"_s);
        row("pattern too long", u"{'column': 'E1', 'kind': 'pattern', 'pattern': '[A-Z]{6}'}"_s, u"E1: パターンの最も長い値は6バイト"_s);
        row("empty expression", u"{'column': 'N', 'kind': 'expression', 'expression': ' '}"_s, u"N: expression は空でない"_s);
        QTest::newRow("seed") << File({}, u"'kova-rules': 1, 'seed': -1"_s) << u"seed は0から"_s;
    }
    void refused()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, message);
        Loaded table;
        kovatest::SetRule(u"N=0:1"_s);
        const QStringList before = EditorView();
        const generate::RuleFileLoad load = generate::ApplyRuleFile(json);
        QVERIFY(load.refused);
        QVERIFY2(load.message.startsWith(message), qPrintable(load.message));
        QCOMPARE(EditorView(), before);
    }

    // Numbers keep every digit through a load and a save: whole ones up to
    // 2^53, the others as many as a double holds.
    void wholeNumbersInFull()
    {
        Loaded table;
        const QByteArray json = File(
            u"{'column': 'N', 'kind': 'list', 'values': [9007199254740992, -1234567890123457, 0.1234567890123456, 1e-7]},"
            " {'column': 'C', 'kind': 'sequence', 'start': 1234567890123456, 'step': 3}"_s);
        const auto numbers = [] {
            const basKovaData::ColumnRule& n = ColumnRules[1];
            return QList<double>{n.NumValue[0], n.NumValue[1], n.NumValue[2], n.NumValue[3], ColumnRules[2].NumValue[0]};
        };
        const QList<double> exact{9007199254740992.0, -1234567890123457.0, 0.1234567890123456, 1e-7, 1234567890123456.0};
        QVERIFY(!generate::ApplyRuleFile(json).refused);
        QCOMPARE(numbers(), exact);
        const QByteArray saved = generate::RuleFileText(u"R"_s, 1);
        QVERIFY2(saved.contains("\"start\": 1234567890123456,"), saved.constData());
        QVERIFY2(saved.contains("-1234567890123457,") && saved.contains("0.1234567890123456,"), saved.constData());
        for (basKovaData::ColumnRule& rule : ColumnRules)
            rule.clearRule();
        QVERIFY(!generate::ApplyRuleFile(saved).refused);
        QCOMPARE(numbers(), exact);
    }

    // The columns that fit take their rules; the others are listed and every
    // earlier rule is gone.
    void partlyFitting()
    {
        Loaded table;
        kovatest::SetRule(u"F=0:old"_s);
        const generate::RuleFileLoad load = generate::ApplyRuleFile(
            File(u"{'column': 'X', 'kind': 'null'}, {'column': 'n', 'kind': 'random', 'min': '20240101', 'max': '20240201',"
                 " 'unit': 1}, {'column': 'L', 'kind': 'list', 'values': ['a']}, {'column': 'D', 'kind': 'sequence', 'start': 1,"
                 " 'step': 1}, {'column': 'E1', 'kind': 'fixed', 'value': 5}, {'column': 'C', 'kind': 'list', 'values': ['y']},"
                 " {'column': 'E2', 'kind': 'sequence', 'start': 7, 'step': 1, 'pad': 'blank'}"_s));
        QVERIFY(!load.refused);
        QCOMPARE(load.rows, 100);  // the file names no row count
        QCOMPARE(load.missingColumns, QStringList{u"X"_s});
        QCOMPARE(load.misfits, (QStringList{u"n (random)"_s, u"L (list)"_s, u"D (sequence)"_s, u"E1 (fixed)"_s}));
        QCOMPARE(EditorView(), (QStringList{u"N -1"_s, u"C 1 y"_s, u"F -1"_s, u"D -1"_s, u"E1 -1"_s, u"E2 3 7/1 pad1"_s}));
        QCOMPARE(generate::LeftOutText(load),
                 u"テーブルにない列: X\n列の型に合わないルール: n (random), L (list), D (sequence), E1 (fixed)"_s);
    }
};

QTEST_GUILESS_MAIN(tst_RuleFile)
#include "tst_RuleFile.moc"
