#include "browser/AutoRules.h"

#include "browser/CheckConditions.h"
#include "engine/SqlLexer.h"

#include "generate/InsertRow.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "rules/RuleEditing.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "shared/SqlName.h"
#include "shared/DateText.h"
#include "shared/ValueText.h"

#include <QDateTime>

#include <QRegularExpression>

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

// The columns of `table` that alone make its primary key or a unique constraint.
std::set<QString> SoleKeyColumns(OraDatabase* database, const QString& table)
{
    std::set<QString> columns;
    for (const QStringList& row :
         Rows(database, u"SELECT MIN(cc.COLUMN_NAME) FROM USER_CONSTRAINTS c, USER_CONS_COLUMNS cc "
                        "WHERE c.TABLE_NAME = %1 AND c.CONSTRAINT_TYPE IN ('P', 'U') "
                        "AND cc.TABLE_NAME = c.TABLE_NAME AND cc.CONSTRAINT_NAME = c.CONSTRAINT_NAME "
                        "GROUP BY c.CONSTRAINT_NAME HAVING COUNT(*) = 1"_s
                            .arg(basKovaData::SqlQuoted(table))))
        columns.insert(row.value(0).toUpper());
    return columns;
}

bool HasNoRows(OraDatabase* database, const QString& table)
{
    return database->engine().countRows(u"SELECT 1 FROM "_s + database->SqlName(table)) == 0;
}

// The foreign key that fills `column`, or none.
const ForeignKey* ForeignKeyOf(const QList<ForeignKey>& keys, const QString& column)
{
    const auto found = std::find_if(keys.begin(), keys.end(), [&column](const ForeignKey& key) {
        return key.column.compare(column, Qt::CaseInsensitive) == 0;
    });
    return found == keys.end() ? nullptr : &*found;
}

// The foreign keys of `table` by constraint, each with its columns in order.
QList<QList<ForeignKey>> ByConstraint(const QList<ForeignKey>& keys)
{
    QList<QList<ForeignKey>> groups;
    for (const ForeignKey& key : keys) {
        if (groups.isEmpty() || groups.last().first().constraint != key.constraint)
            groups.append(QList<ForeignKey>());
        groups.last().append(key);
    }
    return groups;
}

bool RefersToItself(const QList<ForeignKey>& group, const QString& table)
{
    return group.first().parentTable.compare(table, Qt::CaseInsensitive) == 0;
}

// The primary key columns of `table`.
QStringList KeyColumns(OraDatabase* database, const QString& table)
{
    QStringList columns;
    for (const QStringList& row :
         Rows(database, u"SELECT cc.COLUMN_NAME FROM USER_CONSTRAINTS c, USER_CONS_COLUMNS cc "
                        "WHERE c.TABLE_NAME = %1 AND c.CONSTRAINT_TYPE = 'P' "
                        "AND cc.TABLE_NAME = c.TABLE_NAME AND cc.CONSTRAINT_NAME = c.CONSTRAINT_NAME"_s
                            .arg(basKovaData::SqlQuoted(table))))
        columns << row.value(0);
    return columns;
}

// When every column of the primary key is filled by a foreign key to another
// table (a junction table), the foreign keys that fill them; else none.
QList<QList<ForeignKey>> JunctionKeys(const QStringList& keyColumns, const QList<QList<ForeignKey>>& groups,
                                      const QString& table)
{
    QList<QList<ForeignKey>> junction;
    for (const QList<ForeignKey>& group : groups) {
        const bool holdsKey = std::any_of(group.begin(), group.end(), [&keyColumns](const ForeignKey& key) {
            return keyColumns.contains(key.column, Qt::CaseInsensitive);
        });
        if (holdsKey && !RefersToItself(group, table))
            junction << group;
    }
    for (const QString& column : keyColumns) {
        const bool filled = std::any_of(junction.begin(), junction.end(), [&column](const QList<ForeignKey>& group) {
            return ForeignKeyOf(group, column) != nullptr;
        });
        if (!filled)
            return {};
    }
    return junction;
}

// The foreign keys (by constraint) whose columns make, alone or together, the
// primary key or a unique constraint of `table`: their rows draw combinations
// of parent rows that do not repeat.
std::set<QString> DistinctForeignKeys(OraDatabase* database, const QString& table,
                                      const QList<QList<ForeignKey>>& groups)
{
    std::map<QString, QStringList> keys;
    for (const QStringList& row :
         Rows(database, u"SELECT c.CONSTRAINT_NAME, cc.COLUMN_NAME FROM USER_CONSTRAINTS c, USER_CONS_COLUMNS cc "
                        "WHERE c.TABLE_NAME = %1 AND c.CONSTRAINT_TYPE IN ('P', 'U') "
                        "AND cc.TABLE_NAME = c.TABLE_NAME AND cc.CONSTRAINT_NAME = c.CONSTRAINT_NAME"_s
                            .arg(basKovaData::SqlQuoted(table))))
        keys[row.value(0)] << row.value(1);
    std::set<QString> distinct;
    for (const auto& [name, columns] : keys) {
        std::set<QString> filling;
        for (const QString& column : columns) {
            const auto group = std::find_if(groups.begin(), groups.end(), [&](const QList<ForeignKey>& keysOf) {
                return ForeignKeyOf(keysOf, column) != nullptr && !RefersToItself(keysOf, table);
            });
            if (group == groups.end()) {
                filling.clear();
                break;
            }
            filling.insert(group->first().constraint);
        }
        distinct.insert(filling.begin(), filling.end());
    }
    return distinct;
}

// The parent rows the columns of `groups` take their values from: the FROM and
// WHERE clauses, and each column's parent column as selected, in order. Several
// groups join into every combination of their parents' rows; `newOnly` leaves
// out the combinations `table` holds already.
struct Source {
    QString from;
    QStringList refs;
    QString select(int column) const
    {
        return u"SELECT "_s + refs.value(column) + from + u" ORDER BY "_s + refs.join(u", "_s);
    }
};

Source SourceOf(OraDatabase* database, const QString& table, const QList<QList<ForeignKey>>& groups, bool newOnly)
{
    const bool aliased = groups.size() > 1 || newOnly;
    Source source;
    QStringList tables;
    QStringList conditions;
    QStringList held;
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const QString alias = u"P"_s + QString::number(g + 1);
        const QString parentTable = groups[g].first().parentTable;
        const QString parent = database->SqlName(parentTable);
        tables << (aliased ? parent + u' ' + alias : parent);
        for (const ForeignKey& key : groups[g]) {
            const QString column = database->SqlName(parentTable, key.parentColumn);
            const QString ref = aliased ? alias + u'.' + column : column;
            source.refs << ref;
            // A unique key may leave its columns NULL: such a row is no key.
            if (key.parentUnique)
                conditions << ref + u" IS NOT NULL"_s;
            held << u"KX."_s + database->SqlName(table, key.column) + u" = "_s + ref;
        }
    }
    if (newOnly)
        conditions << u"NOT EXISTS (SELECT 1 FROM %1 KX WHERE %2)"_s.arg(database->SqlName(table), held.join(u" AND "_s));
    source.from = u" FROM "_s + tables.join(u", "_s);
    if (!conditions.isEmpty())
        source.from += u" WHERE "_s + conditions.join(u" AND "_s);
    return source;
}

// The place of `column` among the columns of `groups`, as SourceOf lists them.
int ColumnIndex(const QList<QList<ForeignKey>>& groups, const QString& column)
{
    int index = 0;
    for (const QList<ForeignKey>& keys : groups)
        for (const ForeignKey& key : keys) {
            if (key.column.compare(column, Qt::CaseInsensitive) == 0)
                return index;
            ++index;
        }
    return -1;
}

// A rule's statement is kept in slots of RuleTextWidth characters that are
// read back trimmed and joined, so a blank beside a slot's edge would be lost
// and join two words. Blanks added before the word at an edge move it on until
// the edge falls inside a word.
QString EdgesInsideWords(QString text)
{
    for (qsizetype edge = basKovaData::RuleTextWidth; edge < text.size(); edge += basKovaData::RuleTextWidth) {
        while (edge < text.size() && (text[edge - 1] == u' ' || text[edge] == u' ')) {
            qsizetype start = edge - 1;
            while (start > 0 && text[start] == u' ')
                --start;
            while (start > 0 && text[start - 1] != u' ')
                --start;
            if (start <= edge - basKovaData::RuleTextWidth)
                break;
            text.insert(start, u' ');
        }
    }
    return text;
}

void SelectRule(ColumnRule& rule, const QString& sql)
{
    rule.setKind(basKovaData::Kind::Select);
    basKovaData::StoreStatement(rule, EdgesInsideWords(sql));
}

// 10 to the power `digits`, at most 10^15 so that every step stays exact.
double PowerOfTen(int digits)
{
    return std::pow(10.0, std::clamp(digits, 0, 15));
}

// A character key too narrow for many numbers (CHAR(2) holds 99) takes
// distinct codes of digits and capitals of its full width instead, of a shape
// none of the values it holds has: a letter first when some are digits only, a
// digit first when some start with a letter.
bool NarrowKeyPattern(ColumnRule& rule, const QStringList& values, double largest)
{
    const int width = rule.Length;
    if (width < 1 || width > 4 || PowerOfTen(width) - largest > 10000)
        return false;
    const QString tail = width > 1 ? u"[0-9A-Z]{%1}"_s.arg(width - 1) : QString();
    for (const QString& pattern : {u"[0-9A-Z]"_s + tail, u"[A-Z]"_s + tail, u"[0-9]"_s + tail}) {
        const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern));
        const bool meets = std::any_of(values.begin(), values.end(),
                                       [&](const QString& value) { return whole.match(value.trimmed()).hasMatch(); });
        if (meets)
            continue;
        rule.setKind(basKovaData::Kind::Pattern);
        rule.Pattern = pattern;
        rule.Unique = true;
        return true;
    }
    return false;
}

// A sequence that starts after the largest value the column holds.
void KeySequence(OraDatabase* database, const QString& table, ColumnRule& rule, Family family)
{
    const QString column = database->SqlName(table, rule.ColumnName.trimmed());
    const QString from = database->SqlName(table);
    rule.setKind(basKovaData::Kind::Sequence);
    if (family == Family::Date) {
        const QVariant last = database->DBCreateDynaset(u"SELECT MAX(%1) FROM %2"_s.arg(column, from), 0)->Value(0);
        QDateTime start = last.toDateTime().isValid() ? last.toDateTime().addDays(1) : basKovaData::Now();
        start.setTime(QTime(0, 0));
        rule.TextValue[0] = basKovaData::DateText15(start);
        rule.TextValue[1] = u"1"_s;
        return;
    }
    double largest = 0;
    if (family == Family::Numeric) {
        const QVariant last = database->DBCreateDynaset(u"SELECT MAX(%1) FROM %2"_s.arg(column, from), 0)->Value(0);
        largest = std::floor(last.toDouble());
    } else {
        // Character keys count in their digits-only values ("000123"); others
        // ("A00001") cannot meet a zero-filled number.
        QStringList values;
        for (const QStringList& row : Rows(database, u"SELECT %1 FROM %2"_s.arg(column, from))) {
            const QString value = row.value(0);
            values << value;
            if (!value.isEmpty() && std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
                largest = std::max(largest, value.toDouble());
        }
        basKovaData::SetPadding(rule, basKovaData::Padding::Zeros);
        if (NarrowKeyPattern(rule, values, largest))
            return;
    }
    // A NUMBER of negative scale holds steps of 10^-scale (NUMBER(2,-1) 10, 20 ...).
    const double step = family == Family::Numeric && rule.Scale < 0 ? PowerOfTen(-rule.Scale) : 1.0;
    rule.NumValue[0] = (std::floor(std::max(largest, 0.0) / step) + 1) * step;
    rule.NumValue[1] = step;
}

// A pattern whose values a column of a hexadecimal or interval type takes as
// they are: whole bytes of RAW(n) up to its n (BLOB and LONG RAW 32), and
// intervals as Oracle shows them (the engine keeps that text, a server reads
// it), with one digit of years or days so that any leading precision holds
// them.
QString PatternOfType(const ColumnRule& rule, basKovaData::TypeDetail detail)
{
    using basKovaData::TypeDetail;
    switch (detail) {
    case TypeDetail::Hex: {
        const int bytes = rule.Length > 0 ? std::min(rule.Length / 2, 1000) : 32;
        return u"(?:[0-9A-F]{2}){%1}"_s.arg(std::max(bytes, 1));
    }
    case TypeDetail::YearToMonth:
        return uR"(\+0[0-9]-(?:0[0-9]|1[01]))"_s;
    case TypeDetail::DayToSecond:
        return uR"(\+0[0-9] (?:[01][0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]\.000000)"_s;
    case TypeDetail::Plain:
    case TypeDetail::Floating:
    case TypeDetail::LongText:
        break;
    }
    return QString();
}

// Bytes and long texts that a condition no rule can follow names (a BLOB
// that IS JSON) stay NULL where they may: what they would hold is anyone's
// guess, and a guess refuses every row.
void NullWhereUnread(const QString& condition, std::vector<ColumnRule>& rules, const std::vector<bool>& proposed,
                     int count)
{
    using basKovaData::TypeDetail;
    for (int j = 1; j <= count; ++j) {
        ColumnRule& rule = rules[std::size_t(j)];
        const TypeDetail detail = basKovaData::DetailOfTypeText(rule.TypeText.text());
        if (!proposed[std::size_t(j)] || rule.IsNotNull || rule.IsKey
            || (detail != TypeDetail::Hex && detail != TypeDetail::LongText))
            continue;
        const QRegularExpression word(u"\\b"_s + QRegularExpression::escape(rule.ColumnName.trimmed()) + u"\\b"_s,
                                      QRegularExpression::CaseInsensitiveOption
                                          | QRegularExpression::UseUnicodePropertiesOption);
        if (condition.contains(word)) {
            rule.clearRule();
            rule.setKind(basKovaData::Kind::Null);
        }
    }
}

void RandomWithinType(ColumnRule& rule, Family family)
{
    const basKovaData::TypeDetail detail = basKovaData::DetailOfTypeText(rule.TypeText.text());
    if (const QString pattern = PatternOfType(rule, detail); !pattern.isEmpty()) {
        rule.setKind(basKovaData::Kind::Pattern);
        rule.Pattern = pattern;
        return;
    }
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
        // NUMBER(p,s) holds p digits in steps of 10^-s, up to
        // (10^p - 1) / 10^s: NUMBER(5,2) 999.99, NUMBER(2,2) 0.99, NUMBER(2,3)
        // 0.099, NUMBER(2,-1) 990. A NUMBER without precision up to 99999.
        // At most 15 digits, so that every step stays exact.
        // FLOAT(p) counts p binary digits, p * log10(2) decimal ones; FLOAT,
        // BINARY_FLOAT and BINARY_DOUBLE get up to 99999.99 (seven digits,
        // as many as a BINARY_FLOAT's 24 bits tell apart).
        const bool floating = detail == basKovaData::TypeDetail::Floating;
        const int digits = floating ? std::clamp(rule.Length > 0 ? int(rule.Length * std::log10(2.0)) : 7, 1, 7) : 0;
        const int scale = floating ? (digits >= 4 ? 2 : 0) : rule.Scale;
        const int precision = floating ? digits
                                       : std::min(rule.Length > 0 ? int(rule.Length) : 5 + std::max(scale, 0), 15);
        const double nines = PowerOfTen(precision) - 1;
        rule.NumValue = {};
        rule.NumValue[0] = 0;
        rule.NumValue[1] = scale >= 0 ? nines / std::pow(10.0, scale) : nines * std::pow(10.0, -scale);
        rule.NumValue[2] = scale >= 0 ? 1.0 / std::pow(10.0, scale) : std::pow(10.0, -scale);
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
             database, u"SELECT cc.COLUMN_NAME, pc.TABLE_NAME, pc.COLUMN_NAME, c.CONSTRAINT_NAME, p.CONSTRAINT_TYPE "
                       "FROM USER_CONSTRAINTS c, USER_CONS_COLUMNS cc, USER_CONSTRAINTS p, USER_CONS_COLUMNS pc "
                       "WHERE c.TABLE_NAME = %1 AND c.CONSTRAINT_TYPE = 'R' "
                       "AND cc.TABLE_NAME = c.TABLE_NAME AND cc.CONSTRAINT_NAME = c.CONSTRAINT_NAME "
                       "AND p.CONSTRAINT_NAME = c.R_CONSTRAINT_NAME AND p.CONSTRAINT_TYPE IN ('P', 'U') "
                       "AND pc.TABLE_NAME = p.TABLE_NAME AND pc.CONSTRAINT_NAME = p.CONSTRAINT_NAME "
                       "AND pc.POSITION = cc.POSITION ORDER BY c.CONSTRAINT_NAME, cc.POSITION"_s
                           .arg(basKovaData::SqlQuoted(table))))
        keys.append({row.value(0), row.value(1), row.value(2), row.value(3), row.value(4) == u"U"_s});
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

AutoRulesResult ProposeRules(OraDatabase* database, const QString& table)
{
    AutoRulesResult result;
    const int count = std::min<int>(basKovaData::ColumnCount, int(ColumnRules.size()) - 1);
    try {
        const std::set<QString> constrained = ConstrainedColumns(database, table);
        const QList<ForeignKey> foreignKeys = ForeignKeys(database, table);
        const QList<QList<ForeignKey>> groups = ByConstraint(foreignKeys);
        const QList<QList<ForeignKey>> junction = JunctionKeys(KeyColumns(database, table), groups, table);
        const std::set<QString> distinct = DistinctForeignKeys(database, table, groups);
        const std::set<QString> sole = SoleKeyColumns(database, table);
        const QList<CheckConstraint> checks = CheckConstraints(database, table);
        const std::map<QString, QString> filled = TriggerFilledColumns(database, table);
        std::vector<ColumnRule> rules(ColumnRules.begin(), ColumnRules.end());
        std::vector<CheckReading> readings;
        for (const CheckConstraint& check : checks) {
            readings.push_back(ReadCheck(check.condition, rules, count));
            MarkNotNull(readings.back(), rules);
        }
        std::vector<bool> proposed(rules.size(), false);
        // A key of several columns is new when one of its columns is: the
        // first of them that no foreign key fills counts on; the others get
        // values as any column does.
        int keySequence = 0;
        for (int j = 1; j <= count && keySequence == 0; ++j) {
            const ColumnRule& rule = rules[std::size_t(j)];
            if (rule.IsKey && !ForeignKeyOf(foreignKeys, rule.ColumnName.trimmed()))
                keySequence = j;
        }
        // Columns referring to their own table in an empty table, filled
        // after the key they refer to.
        std::vector<std::pair<int, QString>> ownRow;
        for (int j = 1; j <= count; ++j) {
            ColumnRule& rule = rules[std::size_t(j)];
            const Family family = rule.family();
            if (!rule.RuleKind.isBlank() || family == Family::Other)
                continue;
            const QString name = rule.ColumnName.trimmed();
            rule.clearRule();
            if (rule.IsIdentity) {
                rule.setKind(basKovaData::Kind::Null);
                result.identityColumns << name + u": generated always as identity"_s;
                proposed[std::size_t(j)] = true;
                ++result.proposed;
                continue;
            }
            if (const auto trigger = filled.find(name.toUpper()); trigger != filled.end()) {
                rule.setKind(basKovaData::Kind::Null);
                result.triggerFilled << name + u": filled by trigger "_s + trigger->second;
                proposed[std::size_t(j)] = true;
                ++result.proposed;
                continue;
            }
            const auto group = std::find_if(groups.begin(), groups.end(), [&name](const QList<ForeignKey>& keys) {
                return ForeignKeyOf(keys, name) != nullptr;
            });
            // Names and addresses for texts, never for bytes or intervals.
            const basKovaData::TypeDetail detail = basKovaData::DetailOfTypeText(rule.TypeText.text());
            const bool text = family == Family::Character
                              && (detail == basKovaData::TypeDetail::Plain || detail == basKovaData::TypeDetail::LongText);
            const QString dictionary = text ? DictionaryForName(name) : QString();
            // A unique column of names or addresses gets them, none twice.
            const bool uniqueWords = !rule.IsKey && !dictionary.isEmpty() && sole.count(name.toUpper()) > 0;
            if (group != groups.end() && RefersToItself(*group, table)) {
                // A row refers to a row already there, or to none, or (the
                // table being empty) to itself.
                if (!rule.IsNotNull && !rule.IsKey)
                    rule.setKind(basKovaData::Kind::Null);
                else if (!HasNoRows(database, table))
                    SelectRule(rule, SourceOf(database, table, {*group}, false).select(ColumnIndex({*group}, name)));
                else {
                    ownRow.emplace_back(j, ForeignKeyOf(*group, name)->parentColumn);
                    continue;
                }
            } else if (group != groups.end()) {
                const bool inJunction = std::any_of(junction.begin(), junction.end(), [&name](const QList<ForeignKey>& keys) {
                    return ForeignKeyOf(keys, name) != nullptr;
                });
                const QList<QList<ForeignKey>> joined = inJunction ? junction : QList<QList<ForeignKey>>{*group};
                const Source source = SourceOf(database, table, joined, inJunction);
                SelectRule(rule, source.select(ColumnIndex(joined, name)));
                // The run draws from every parent row, not the SELECT's list.
                const ForeignKey* key = ForeignKeyOf(*group, name);
                rule.Parent = ColumnRule::ParentLink{key->parentTable, key->parentColumn, key->constraint,
                                                     distinct.count(key->constraint) > 0,
                                                     basKovaData::JoinStatement(rule)};
                const QString parent = group->first().parentTable;
                if (!result.emptyParents.contains(parent) && HasNoRows(database, parent))
                    result.emptyParents << parent;
            } else if ((j == keySequence || (!rule.IsKey && constrained.count(name.toUpper()) > 0)) && !uniqueWords) {
                KeySequence(database, table, rule, family);
            } else if (!dictionary.isEmpty()) {
                rule.setKind(basKovaData::Kind::Dictionary);
                rule.TextValue[0] = dictionary;
            } else {
                RandomWithinType(rule, family);
            }
            basKovaData::CheckRule(rule, family);
            proposed[std::size_t(j)] = true;
            ++result.proposed;
        }
        for (const auto& [j, parentColumn] : ownRow) {
            // The key's sequence, so that each row names itself; without one
            // the column keeps no rule.
            ColumnRule& rule = rules[std::size_t(j)];
            const auto key = std::find_if(rules.begin() + 1, rules.begin() + count + 1, [&](const ColumnRule& other) {
                return other.ColumnName.trimmed().compare(parentColumn, Qt::CaseInsensitive) == 0;
            });
            if (key == rules.begin() + count + 1 || key->storedKind() != basKovaData::Kind::Sequence)
                continue;
            const ColumnRule column = rule;
            rule = *key;
            rule.ColumnName = column.ColumnName;
            rule.TypeText = column.TypeText;
            rule.Length = column.Length;
            rule.Scale = column.Scale;
            rule.IsKey = column.IsKey;
            rule.IsNotNull = column.IsNotNull;
            proposed[std::size_t(j)] = true;
            ++result.proposed;
        }
        for (std::size_t i = 0; i < readings.size(); ++i) {
            const CheckUse use = ApplyCheck(readings[i], rules, proposed);
            const QStringList nulled =
                use == CheckUse::Unread ? NullForUnread(readings[i], rules, proposed) : QStringList();
            for (const QString& column : nulled)
                result.nullForChecks << column + u": "_s + CheckLine(checks[qsizetype(i)]);
            if (use == CheckUse::Unread) {
                if (nulled.isEmpty())
                    result.unreadChecks << CheckLine(checks[qsizetype(i)]);
                NullWhereUnread(checks[qsizetype(i)].condition, rules, proposed, count);
            } else if (use == CheckUse::PartlyUsed)
                result.partlyUsedChecks << CheckLine(checks[qsizetype(i)]);
        }
        for (int j = 1; j <= count; ++j) {
            ColumnRule& rule = rules[std::size_t(j)];
            const basKovaData::Kind kind = rule.storedKind();
            if (proposed[std::size_t(j)] && sole.count(rule.ColumnName.trimmed().toUpper()) > 0
                && (kind == basKovaData::Kind::Random || kind == basKovaData::Kind::Dictionary))
                rule.Unique = true;
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

std::map<QString, QString> TriggerFilledColumns(OraDatabase* database, const QString& table)
{
    QList<QStringList> triggers;
    try {
        triggers = Rows(database, u"SELECT TRIGGER_NAME, TRIGGER_BODY FROM USER_TRIGGERS WHERE TABLE_NAME = %1 "
                                  "AND STATUS = 'ENABLED' AND TRIGGER_TYPE = 'BEFORE EACH ROW' "
                                  "AND TRIGGERING_EVENT LIKE '%INSERT%' AND WHEN_CLAUSE IS NULL ORDER BY TRIGGER_NAME"_s
                                      .arg(basKovaData::SqlQuoted(table.toUpper())));
    } catch (const OraError&) {
        return {};  // a dictionary without triggers
    }
    std::map<QString, QString> filled;
    for (const QStringList& trigger : triggers) {
        const QByteArray utf8 = trigger.value(1).toUtf8();
        const std::vector<SqlToken> t = ExpressionTokens(std::string_view(utf8.constData(), std::size_t(utf8.size())));
        const auto word = [&t](std::size_t i, const char* text) {
            return i < t.size() && t[i].kind == SqlToken::Kind::Word && t[i].text == text;
        };
        const auto symbol = [&t](std::size_t i, const char* text) {
            return i < t.size() && t[i].kind == SqlToken::Kind::Symbol && t[i].text == text;
        };
        // :NEW.column at i: the column in capitals, else empty.
        const auto newColumn = [&](std::size_t i) {
            if (i + 2 < t.size() && t[i].kind == SqlToken::Kind::Symbol
                && QString::fromStdString(t[i].text).compare(u":NEW"_s, Qt::CaseInsensitive) == 0 && symbol(i + 1, ".")
                && (t[i + 2].kind == SqlToken::Kind::Word || t[i + 2].kind == SqlToken::Kind::QuotedName))
                return QString::fromStdString(t[i + 2].text).toUpper();
            return QString();
        };
        // Per open IF: the column its branch fills when NULL; "" where a
        // branch fills nothing for sure.
        QStringList open;
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (word(i, "IF") && !word(i - 1, "END")) {
                const QString column = newColumn(i + 1);
                open << (!column.isEmpty() && word(i + 4, "IS") && word(i + 5, "NULL") && word(i + 6, "THEN") ? column
                                                                                                              : QString());
            } else if ((word(i, "ELSIF") || word(i, "ELSE")) && !open.isEmpty()) {
                open.last().clear();
            } else if (word(i, "END") && word(i + 1, "IF") && !open.isEmpty()) {
                open.removeLast();
            } else if (const QString column = newColumn(i);
                       !column.isEmpty() && ((symbol(i + 3, ":") && symbol(i + 4, "=")) || word(i - 1, "INTO"))
                       && std::all_of(open.begin(), open.end(), [&](const QString& c) { return c == column; })) {
                filled.emplace(column, trigger.value(0));
            }
        }
    }
    return filled;
}

QString TriggerFilledMessage(const QStringList& lines)
{
    if (lines.isEmpty())
        return QString();
    return u"次の列は行トリガーが値を入れるため、NULLを設定しました。\n"_s + lines.join(u'\n');
}

QString IdentityColumnsMessage(const QStringList& lines)
{
    if (lines.isEmpty())
        return QString();
    return u"次の列はデータベースが値を入れる (GENERATED ALWAYS AS IDENTITY) ため、NULLを設定しました。"
           "登録の際は値を渡しません。\n"_s + lines.join(u'\n');
}

qint64 JunctionShortfall(OraDatabase* database, const QString& table, qint64 rows)
{
    const QStringList keyColumns = KeyColumns(database, table);
    const QList<QList<ForeignKey>> junction = JunctionKeys(keyColumns, ByConstraint(ForeignKeys(database, table)), table);
    if (junction.isEmpty())
        return 0;
    // Every combination of the parents' keys, less those the table holds.
    const auto count = [database](const QString& sql) {
        return qint64(database->DBCreateDynaset(sql, 0)->Value(0).toDouble());
    };
    double combinations = 1;
    QStringList held;
    for (const QList<ForeignKey>& group : junction) {
        QStringList present;
        for (const ForeignKey& key : group) {
            present << database->SqlName(group.first().parentTable, key.parentColumn) + u" IS NOT NULL"_s;
            held << database->SqlName(table, key.column) + u" IS NOT NULL"_s;
        }
        combinations *= double(count(u"SELECT COUNT(*) FROM %1 WHERE %2"_s.arg(
            database->SqlName(group.first().parentTable), present.join(u" AND "_s))));
    }
    qint64 available = qint64(std::min(combinations, 9.0e18))
                       - count(u"SELECT COUNT(*) FROM %1 WHERE %2"_s.arg(database->SqlName(table), held.join(u" AND "_s)));
    // A SELECT of the user's own reads no more than MaxDisplayRows values.
    const int columns = std::min<int>(basKovaData::ColumnCount, int(ColumnRules.size()) - 1);
    for (int j = 1; j <= columns; ++j) {
        const ColumnRule& rule = ColumnRules[std::size_t(j)];
        if (keyColumns.contains(rule.ColumnName.trimmed(), Qt::CaseInsensitive)
            && rule.storedKind() == basKovaData::Kind::Select && !rule.parent())
            available = std::min<qint64>(available, std::max<qint64>(basKovaData::MaxDisplayRows, 0));
    }
    return std::max<qint64>(rows - std::max<qint64>(available, 0), 0);
}

QString JunctionShortfallMessage(qint64 missing, qint64 rows)
{
    if (missing <= 0)
        return QString();
    return u"親テーブルのキーの組み合わせが足りないため、%1件のうち%2件は登録されません。"_s.arg(rows).arg(missing);
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
