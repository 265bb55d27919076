// label: core
// CHECK conditions as Oracle's DDL and PostgreSQL's dictionary write them,
// and what they make of the rules 自動設定 proposed.
#include "browser/CheckConditions.h"

#include <QTest>

using namespace Qt::StringLiterals;
using basKovaData::ColumnRule;

namespace {

// The columns, with the rules 自動設定 gives them; CODE keeps a rule of the user.
std::vector<ColumnRule> Proposed()
{
    struct Column {
        const char16_t* name;
        const char16_t* type;
        int length, scale;
        const char16_t* kind;
        std::array<double, 3> numbers;
        int nullRate;
    };
    const Column columns[] = {
        {u"ID", u"NUMBER(6)", 6, 0, u"3", {1, 1, 0}, 0},
        {u"ORDER_STATUS", u"VARCHAR2(10)", 10, 0, u"2", {1, 999999999, 1}, 0},
        {u"QTY", u"NUMBER(5)", 5, 0, u"2", {0, 99999, 1}, 0},
        {u"PRICE", u"NUMBER(7.2)", 7, 2, u"2", {0, 99999.99, 0.01}, 0},
        {u"START_DATE", u"DATE()", 0, 0, u"2", {}, 0},
        {u"END_DATE", u"DATE()", 0, 0, u"2", {}, 0},
        {u"WEB", u"VARCHAR2(100)", 100, 0, u"2", {1, 9, 1}, 30},
        {u"ADDR", u"VARCHAR2(100)", 100, 0, u"6", {}, 30},
        {u"Odd", u"NUMBER(3)", 3, 0, u"2", {0, 999, 1}, 0},
        {u"CODE", u"CHAR(2)", 2, 0, u"0", {}, 0}};
    std::vector<ColumnRule> rules(1);
    for (const Column& c : columns) {
        ColumnRule& rule = rules.emplace_back();
        rule.ColumnName = QString::fromUtf16(c.name);
        rule.TypeText = QString::fromUtf16(c.type);
        rule.Length = qint16(c.length);
        rule.Scale = qint16(c.scale);
        rule.RuleKind = QString::fromUtf16(c.kind);
        std::copy(c.numbers.begin(), c.numbers.end(), rule.NumValue.begin());
        rule.NullRate = c.nullRate;
    }
    rules[1].IsKey = true;
    return rules;
}

QString Shown(const ColumnRule& rule)
{
    QString shown = rule.ColumnName.trimmed() + u' ' + rule.RuleKind.trimmed();
    const bool numeric = rule.family() == basKovaData::TypeFamily::Numeric;
    if (rule.storedKind() == basKovaData::Kind::Multiple) {
        QStringList values;
        for (int i = 0; i < basKovaData::RuleSlots && rule.MultiOn[std::size_t(i)]; ++i)
            values << (numeric ? QString::number(rule.NumValue[std::size_t(i)]) : rule.TextValue[std::size_t(i)].trimmed());
        shown += u' ' + values.join(u',') + (rule.RandomOrder ? u" random"_s : u""_s);
    } else if (rule.storedKind() == basKovaData::Kind::Expression) {
        shown += u' ' + rule.Expression;
    } else {
        shown += u' ' + QString::number(rule.NumValue[0], 'g', 10) + u'/' + QString::number(rule.NumValue[1], 'g', 10);
    }
    return shown + (rule.NullRate ? u" null%1"_s.arg(rule.NullRate) : u""_s) + (rule.IsNotNull ? u" NN"_s : u""_s);
}

}  // namespace

class tst_CheckConditions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A condition, the columns whose rule it changed as they are then, and
    // whether it was used.
    void conditions_data()
    {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("changed");
        QTest::addColumn<int>("use");
        const int used = int(browser::CheckUse::Used), partly = int(browser::CheckUse::PartlyUsed),
                  unread = int(browser::CheckUse::Unread);
        QStringList many;
        for (int i = 1; i <= 17; ++i)
            many << QString::number(i);
        const std::tuple<const char*, QString, QString, int> rows[] = {
            {"in", u"order_status in\n ( 'CANCELLED','COMPLETE','OPEN')"_s, u"ORDER_STATUS 1 CANCELLED,COMPLETE,OPEN random"_s, used},
            {"in, PostgreSQL", u"((order_status)::text = ANY ((ARRAY['CANCELLED'::varchar2, 'it''s'::character varying])::text[]))"_s,
             u"ORDER_STATUS 1 CANCELLED,it's random"_s, used},
            {"numbers, quoted name", u"\"Odd\" = ANY (ARRAY[(1)::numeric, (-2)::numeric])"_s, u"Odd 1 1,-2 random"_s, used},
            {"equal", u"QTY = 5"_s, u"QTY 1 5 random"_s, used},
            {"17 values", u"qty IN (%1)"_s.arg(many.join(u',')), u"QTY 1 %1 random"_s.arg(many.mid(0, 16).join(u',')), partly},
            {"values within bounds", u"qty in (0, 5, 9) and qty > 0"_s, u"QTY 1 5,9 random"_s, used},
            {"above", u"QTY > 0"_s, u"QTY 2 1/99999"_s, used},
            {"flipped, spaces, case", u"  ( ( 10<=qTy ) )  and(qty< 20)"_s, u"QTY 2 10/19"_s, used},
            {"PostgreSQL bounds", u"((qty >= (1)::numeric) AND (qty <= (500)::numeric))"_s, u"QTY 2 1/500"_s, used},
            {"between", u"price BETWEEN 0.5 AND 999.99"_s, u"PRICE 2 0.5/999.99"_s, used},
            {"strict on scale", u"price > 0.5 AND price < 1.5"_s, u"PRICE 2 0.51/1.49"_s, used},
            {"fraction on whole numbers", u"qty > 0.5 and qty <= 7.9"_s, u"QTY 2 1/7"_s, used},
            {"below zero", u"\"Odd\" <= ('-5'::integer)::numeric"_s, u"Odd 2 -999/-5"_s, used},
            {"above the range", u"qty BETWEEN -20 AND -10"_s, u"QTY 2 -20/-10"_s, used},
            {"sequence", u"ID > 100"_s, u"ID 3 101/1"_s, used},
            {"sequence past its end", u"id < 1"_s, QString(), unread},
            {"beyond precision", u"qty > 99999"_s, QString(), unread},
            {"dates", u"end_date >= start_date"_s, u"END_DATE 8 addDays(row.START_DATE, randInt(1, 30))"_s, used},
            {"dates, PostgreSQL", u"((start_date)::timestamp without time zone < (end_date)::timestamp without time zone)"_s,
             u"END_DATE 8 addDays(row.START_DATE, randInt(1, 30))"_s, used},
            {"numbers", u"price > qty"_s, u"QTY 2 0/99899;PRICE 8 row.QTY + randInt(1, 100)"_s, used},
            {"earlier than a key", u"\"Odd\" <= id"_s, u"Odd 8 row.ID - randInt(1, 99)"_s, used},
            {"one of two", u"web IS NOT NULL or (ADDR is not null)"_s, u"WEB 2 1/9"_s, used},
            {"not null", u"\"ORDER_STATUS\" IS NOT NULL"_s, u"ORDER_STATUS 2 1/999999999 NN"_s, used},
            {"like or null", u"web IS NULL OR web LIKE '%Trailers%' OR (web like 'Del%Scenes')"_s,
             u"WEB 1 Trailers,DelScenes random"_s, used},
            {"like", u"order_status LIKE 'A%'"_s, u"ORDER_STATUS 1 A random"_s, used},
            {"like any one character", u"order_status LIKE 'A_'"_s, QString(), unread},
            {"like or null of two columns", u"web IS NULL OR addr LIKE '%a%'"_s, QString(), unread},
            {"user's rule kept", u"code in ('A', 'B')"_s, QString(), used},
            {"dates in a list", u"start_date in ('x')"_s, QString(), unread},
            {"bound on characters", u"order_status > 5"_s, QString(), unread},
            {"date and number", u"end_date > qty"_s, QString(), unread},
            {"function", u"length(order_status) > 2"_s, QString(), unread},
            {"json", u"product_details is json"_s, QString(), unread},
            {"not equal", u"qty <> 5"_s, QString(), unread},
            {"or of bounds", u"qty > 0 OR qty < -5"_s, QString(), unread},
            {"date literal", u"start_date > DATE '2020-01-01'"_s, QString(), unread},
            {"not in", u"qty NOT IN (1, 2)"_s, QString(), unread},
            {"unclosed quote", u"order_status in ('A)"_s, QString(), unread},
            {"one bound unread", u"qty > 0 AND length(order_status) = 2"_s, QString(), unread},
            {"nested", QString(12, u'(') + u"qty > 0"_s + QString(12, u')'), u"QTY 2 1/99999"_s, used},
            {"nested too deep", QString(13, u'(') + u"qty > 0"_s + QString(13, u')'), QString(), unread}};
        for (const auto& [name, condition, changed, use] : rows)
            QTest::newRow(name) << condition << changed << use;
    }
    void conditions()
    {
        QFETCH(QString, condition);
        QFETCH(QString, changed);
        QFETCH(int, use);
        std::vector<ColumnRule> rules = Proposed();
        const int count = int(rules.size()) - 1;
        std::vector<bool> proposed(rules.size(), true);
        proposed.back() = false;
        QStringList before;
        for (int j = 1; j <= count; ++j)
            before << Shown(rules[std::size_t(j)]);
        const browser::CheckReading reading = browser::ReadCheck(condition, rules, count);
        browser::MarkNotNull(reading, rules);
        QCOMPARE(int(browser::ApplyCheck(reading, rules, proposed)), use);
        QStringList after;
        for (int j = 1; j <= count; ++j)
            if (Shown(rules[std::size_t(j)]) != before[j - 1])
                after << Shown(rules[std::size_t(j)]);
        QCOMPARE(after.join(u';'), changed);
    }

    void message()
    {
        QCOMPARE(browser::CheckConditionsMessage({}, {}), QString());
        const QString line = browser::CheckLine({u"PRODUCTS_JSON_C"_s, u"product_details\n   is json"_s});
        QCOMPARE(browser::CheckConditionsMessage({line}, {u"C2: x IN (...)"_s}),
                 u"次の検査制約は読めなかったため、規則に反映していません。作成する行は拒否されることがあります。\nPRODUCTS_JSON_C: product_details is json\n\n"
                 "次の検査制約は値が多いため、先頭の16件だけを規則に反映しました。\nC2: x IN (...)"_s);
    }
};

QTEST_GUILESS_MAIN(tst_CheckConditions)
#include "tst_CheckConditions.moc"
