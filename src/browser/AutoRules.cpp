#include "browser/AutoRules.h"

#include "generate/InsertRow.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "rules/RuleEditing.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "shared/DateText.h"
#include "shared/ValueText.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <set>

using namespace Qt::StringLiterals;

namespace browser {

namespace {

using basKovaData::ColumnRule;
using basKovaData::ColumnRules;
using Family = basKovaData::TypeFamily;

// Every row of `sql`, its values as texts.
QList<QStringList> Rows(OraDatabase* database, const QString& sql)
{
    QList<QStringList> rows;
    const auto dynaset = database->DBCreateDynaset(sql, 0);
    while (!dynaset->IsEOF()) {
        QStringList row;
        for (int i = 0; i < dynaset->FieldCount(); ++i)
            row << dynaset->Value(i).toString().trimmed();
        rows << row;
        dynaset->MoveNext();
    }
    dynaset->Close();
    return rows;
}

// The columns of `table` in a key ("P") or unique ("U") constraint.
std::set<QString> ConstrainedColumns(OraDatabase* database, const QString& table)
{
    std::set<QString> columns;
    for (const QStringList& row :
         Rows(database, u"SELECT cc.COLUMN_NAME FROM USER_CONSTRAINTS c, USER_CONS_COLUMNS cc "
                        "WHERE c.TABLE_NAME = %1 AND c.CONSTRAINT_TYPE IN ('P', 'U') "
                        "AND cc.TABLE_NAME = c.TABLE_NAME AND cc.CONSTRAINT_NAME = c.CONSTRAINT_NAME"_s
                            .arg(basKovaData::SqlQuoted(table))))
        columns.insert(row.value(0).toUpper());
    return columns;
}

bool HasNoRows(OraDatabase* database, const QString& table)
{
    return database->engine().countRows(u"SELECT 1 FROM "_s + table) == 0;
}

// The foreign key that fills `column`, or none.
const ForeignKey* ForeignKeyOf(const QList<ForeignKey>& keys, const QString& column)
{
    const auto found = std::find_if(keys.begin(), keys.end(), [&column](const ForeignKey& key) {
        return key.column.compare(column, Qt::CaseInsensitive) == 0;
    });
    return found == keys.end() ? nullptr : &*found;
}

// 10 to the power `digits`, at most 10^15 so that every step stays exact.
double PowerOfTen(int digits)
{
    return std::pow(10.0, std::clamp(digits, 0, 15));
}

// A sequence that starts after the largest value the column holds.
void KeySequence(OraDatabase* database, const QString& table, ColumnRule& rule, Family family)
{
    const QString column = rule.ColumnName.trimmed();
    rule.setKind(basKovaData::Kind::Sequence);
    if (family == Family::Date) {
        const QVariant last = database->DBCreateDynaset(u"SELECT MAX(%1) FROM %2"_s.arg(column, table), 0)->Value(0);
        QDateTime start = last.toDateTime().isValid() ? last.toDateTime().addDays(1) : basKovaData::Now();
        start.setTime(QTime(0, 0));
        rule.TextValue[0] = basKovaData::DateText15(start);
        rule.TextValue[1] = u"1"_s;
        return;
    }
    double largest = 0;
    if (family == Family::Numeric) {
        const QVariant last = database->DBCreateDynaset(u"SELECT MAX(%1) FROM %2"_s.arg(column, table), 0)->Value(0);
        largest = std::floor(last.toDouble());
    } else {
        // Character keys count in their digits-only values ("000123"); others
        // ("A00001") cannot meet a zero-filled number.
        for (const QStringList& row : Rows(database, u"SELECT %1 FROM %2"_s.arg(column, table))) {
            const QString value = row.value(0);
            if (!value.isEmpty() && std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
                largest = std::max(largest, value.toDouble());
        }
        basKovaData::SetPadding(rule, basKovaData::Padding::Zeros);
    }
    rule.NumValue[0] = std::max(largest, 0.0) + 1;
    rule.NumValue[1] = 1;
}

void RandomWithinType(ColumnRule& rule, Family family)
{
    rule.setKind(basKovaData::Kind::Random);
    if (family == Family::Date) {
        // A day of the last year.
        QDateTime today = basKovaData::Now();
        today.setTime(QTime(0, 0));
        rule.TextValue[0] = basKovaData::DateText15(today.addDays(-365));
        rule.TextValue[1] = basKovaData::DateText15(today);
        rule.TextValue[2] = u"1"_s;
        return;
    }
    if (family == Family::Numeric) {
        // NUMBER(p,s): p - s digits before the point, steps of 10^-s; a
        // NUMBER without precision up to 99999.
        const int scale = std::max<int>(rule.Scale, 0);
        const double unit = 1.0 / PowerOfTen(scale);
        const int digits = rule.Length > 0 ? rule.Length - scale : 5;
        rule.NumValue = {};
        rule.NumValue[0] = 0;
        rule.NumValue[1] = digits > 0 ? PowerOfTen(digits) - unit : unit * 9;
        rule.NumValue[2] = unit;
        return;
    }
    // A number as long as the column allows, without padding.
    rule.NumValue[0] = 1;
    rule.NumValue[1] = PowerOfTen(std::min<int>(rule.Length > 0 ? rule.Length : 9, 9)) - 1;
    rule.NumValue[2] = 1;
    basKovaData::SetPadding(rule, basKovaData::Padding::Left);
}

}  // namespace

QList<ForeignKey> ForeignKeys(OraDatabase* database, const QString& table)
{
    QList<ForeignKey> keys;
    for (const QStringList& row : Rows(
             database, u"SELECT cc.COLUMN_NAME, pc.TABLE_NAME, pc.COLUMN_NAME "
                       "FROM USER_CONSTRAINTS c, USER_CONS_COLUMNS cc, USER_CONSTRAINTS p, USER_CONS_COLUMNS pc "
                       "WHERE c.TABLE_NAME = %1 AND c.CONSTRAINT_TYPE = 'R' "
                       "AND cc.TABLE_NAME = c.TABLE_NAME AND cc.CONSTRAINT_NAME = c.CONSTRAINT_NAME "
                       "AND p.CONSTRAINT_NAME = c.R_CONSTRAINT_NAME AND p.CONSTRAINT_TYPE IN ('P', 'U') "
                       "AND pc.TABLE_NAME = p.TABLE_NAME AND pc.CONSTRAINT_NAME = p.CONSTRAINT_NAME "
                       "AND pc.POSITION = cc.POSITION ORDER BY cc.POSITION"_s.arg(basKovaData::SqlQuoted(table))))
        keys.append({row.value(0), row.value(1), row.value(2)});
    return keys;
}

QStringList ParentTables(OraDatabase* database, const QString& table)
{
    QStringList parents;
    for (const ForeignKey& key : ForeignKeys(database, table))
        if (key.parentTable.compare(table, Qt::CaseInsensitive) != 0 && !parents.contains(key.parentTable))
            parents << key.parentTable;
    return parents;
}

QStringList EmptyParentTables(OraDatabase* database, const QString& table)
{
    QStringList empty;
    for (const QString& parent : ParentTables(database, table))
        if (HasNoRows(database, parent))
            empty << parent;
    return empty;
}

QString DictionaryForName(const QString& columnName)
{
    const QString name = columnName.trimmed().toUpper();
    const auto has = [&name](std::initializer_list<const char16_t*> words) {
        return std::any_of(words.begin(), words.end(), [&name](const char16_t* word) {
            return name.contains(QString::fromUtf16(word), Qt::CaseInsensitive);
        });
    };
    if (has({u"会社", u"COMPANY"}))
        return u"会社名"_s;
    if (has({u"メール", u"MAIL"}))
        return u"メールアドレス"_s;
    if (has({u"携帯", u"MOBILE"}))
        return u"携帯電話番号"_s;
    if (has({u"電話", u"TEL", u"PHONE"}))
        return u"電話番号"_s;
    if (has({u"郵便", u"ZIP"}))
        return u"郵便番号"_s;
    if (has({u"都道府県", u"PREF"}))
        return u"都道府県"_s;
    if (has({u"市区町村", u"CITY"}))
        return u"市区町村"_s;
    if (has({u"住所", u"ADDRESS"}))
        return u"住所"_s;
    const bool surname = has({u"姓", u"LAST_NAME"}) || name == u"SEI"_s;
    const bool given = name == u"名"_s || name == u"MEI"_s || name.endsWith(u"_名"_s) || has({u"FIRST_NAME"});
    if (has({u"カナ", u"ｶﾅ", u"ﾌﾘｶﾞﾅ", u"フリガナ", u"KANA"}))
        return surname ? u"姓カナ"_s : given ? u"名カナ"_s : u"氏名カナ"_s;
    if (surname)
        return u"姓"_s;
    if (given)
        return u"名"_s;
    // 氏名 and 名前, and the names of people: 顧客名, 会員名, 担当者名 ...
    if (has({u"氏名", u"名前", u"NAME", u"客名", u"員名", u"者名"}))
        return u"氏名"_s;
    return QString();
}

AutoRulesResult ProposeRules(OraDatabase* database, const QString& table)
{
    AutoRulesResult result;
    const int count = std::min<int>(basKovaData::ColumnCount, int(ColumnRules.size()) - 1);
    try {
        const std::set<QString> constrained = ConstrainedColumns(database, table);
        const QList<ForeignKey> foreignKeys = ForeignKeys(database, table);
        std::vector<ColumnRule> rules(ColumnRules.begin(), ColumnRules.end());
        // A key of several columns is new when one of its columns is: the
        // first of them that no foreign key fills counts on; the others get
        // values as any column does.
        int keySequence = 0;
        for (int j = 1; j <= count && keySequence == 0; ++j) {
            const ColumnRule& rule = rules[std::size_t(j)];
            if (rule.IsKey && !ForeignKeyOf(foreignKeys, rule.ColumnName.trimmed()))
                keySequence = j;
        }
        for (int j = 1; j <= count; ++j) {
            ColumnRule& rule = rules[std::size_t(j)];
            const Family family = rule.family();
            if (!rule.RuleKind.isBlank() || family == Family::Other)
                continue;
            const QString name = rule.ColumnName.trimmed();
            rule.clearRule();
            const ForeignKey* foreign = ForeignKeyOf(foreignKeys, name);
            const QString dictionary = family == Family::Character ? DictionaryForName(name) : QString();
            if (foreign) {
                rule.setKind(basKovaData::Kind::Select);
                basKovaData::StoreStatement(rule, u"SELECT %1 FROM %2 ORDER BY %1"_s.arg(foreign->parentColumn,
                                                                                        foreign->parentTable));
                if (!result.emptyParents.contains(foreign->parentTable) && HasNoRows(database, foreign->parentTable))
                    result.emptyParents << foreign->parentTable;
            } else if (j == keySequence || (!rule.IsKey && constrained.count(name.toUpper()) > 0)) {
                KeySequence(database, table, rule, family);
            } else if (!dictionary.isEmpty()) {
                rule.setKind(basKovaData::Kind::Dictionary);
                rule.TextValue[0] = dictionary;
            } else {
                RandomWithinType(rule, family);
            }
            basKovaData::CheckRule(rule, family);
            ++result.proposed;
        }
        ColumnRules = std::move(rules);
    } catch (const OraError& error) {
        result = {};
        result.failed = true;
        result.errorNumber = error.number();
        result.errorText = error.message();
    }
    return result;
}

QString EmptyParentsMessage(const QStringList& parents)
{
    if (parents.isEmpty())
        return QString();
    return u"親テーブル %1 にデータがありません。\n先に親テーブルのデータを作成して下さい。"_s.arg(parents.join(u"、"_s));
}

QString EmptyParentsWarning(const QStringList& parents)
{
    return u"親テーブル %1 にデータがありません。\n参照する値がないため、行の登録に失敗します。このまま作成しますか？"_s
        .arg(parents.join(u"、"_s));
}

}  // namespace browser
