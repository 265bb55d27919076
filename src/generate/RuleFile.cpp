#include "generate/RuleFile.h"

#include "generate/ColumnProfile.h"
#include "generate/JsonChecks.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "rules/RuleEditing.h"
#include "rules/RuleShapes.h"
#include "session/AtomicFile.h"
#include "shared/NumberRead.h"
#include "shared/basKovaData.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <set>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

using basKovaData::ColumnRule;
using basKovaData::ColumnRules;
using basKovaData::TypeFamily;

// The file's kind names, by rule kind code 0 to 9.
const std::array<QString, 10> KindNames = {u"fixed"_s, u"list"_s,       u"random"_s,  u"sequence"_s,  u"select"_s,
                                           u"null"_s,  u"dictionary"_s, u"pattern"_s, u"expression"_s,
                                           u"distribution"_s};
// The keys each kind takes beside "column" and "kind"; the first ones are required.
struct KindKeys {
    QStringList required;
    QStringList optional;
};
const std::array<KindKeys, 10> Keys = {{
    {{u"value"_s}, {}},
    {{u"values"_s}, {u"order"_s, u"weights"_s, u"unique"_s}},
    {{u"min"_s, u"max"_s, u"unit"_s}, {u"pad"_s, u"unique"_s}},
    {{u"start"_s, u"step"_s}, {u"pad"_s}},
    {{u"sql"_s}, {u"parent"_s}},
    {{}, {}},
    {{u"name"_s}, {u"unique"_s}},
    {{u"pattern"_s}, {u"unique"_s}},
    {{u"expression"_s}, {}},
    {{u"distribution"_s}, {}},
}};
// Keys every kind but null takes.
const QStringList CommonKeys = {u"column"_s, u"kind"_s, u"null"_s};
const std::array<QString, 2> OrderNames = {u"turn"_s, u"random"_s};
constexpr int NullKind = 5;
constexpr int DistributionKind = 9;
const std::array<QString, 3> PadNames = {u"zero"_s, u"blank"_s, u"left"_s};
constexpr int MaxSelectColumns = 5;

// Why a file is not taken; thrown while reading it, so that nothing changes.
struct Refusal {
    QString text;
};

[[noreturn]] void Refuse(const QString& column, const QString& problem)
{
    throw Refusal{column.isEmpty() ? problem : column + u": "_s + problem};
}

std::optional<TypeFamily> FamilyOf(const ColumnRule& rule)
{
    const TypeFamily family = rule.family();
    if (family == TypeFamily::Other)
        return std::nullopt;
    return family;
}

// A text value within the rule record's width.
QString Text(const QString& column, const QJsonValue& value)
{
    const QString text = value.toString();
    if (text.size() > basKovaData::RuleTextWidth)
        Refuse(column, u"%1文字を超える値は使えません。"_s.arg(basKovaData::RuleTextWidth));
    return text;
}

// Whole numbers are exact in a double up to 2^53; beyond that two values of a
// file could become one (a key from 9007199254740993 would start at ...992).
constexpr qint64 ExactLimit = qint64(1) << 53;

// Refuses a number of the file that a rule cannot hold exactly.
void CheckExact(const QString& column, const QString& key, const QJsonValue& value)
{
    if (!value.isDouble())
        return;
    // A JSON integer is kept as qint64: toDouble() would round it to the limit.
    const qint64 whole = value.toInteger(0);
    if (std::abs(value.toDouble()) > double(ExactLimit) || whole > ExactLimit || whole < -ExactLimit)
        Refuse(column, key + u": "_s + basKovaData::RuleMessages::Inexact);
}

// A number of the file as the boxes of the editors take it, every digit of a
// whole number kept (toDouble() and a 15-digit text would round
// 1234567890123456 to ...460).
QString NumberBox(const QJsonValue& value)
{
    const double number = value.toDouble();
    if (number == 0)
        return u"0"_s;
    if (std::floor(number) == number && std::abs(number) <= double(ExactLimit))
        return QString::number(value.toInteger(qint64(number)));
    return QString::number(number, 'g', QLocale::FloatingPointShortest);
}

// A number of a rule as the file keeps it: whole numbers as integers.
QJsonValue NumberValue(double number)
{
    if (std::floor(number) == number && std::abs(number) <= double(ExactLimit))
        return QJsonValue(qint64(number));
    return QJsonValue(number);
}

// One column's entry of the file, checked for its keys and JSON types.
struct Entry {
    QString column;
    int kind = 0;
    QJsonObject object;
    bool numbers = false;  // the values are numbers (else texts)
};

Entry ReadEntry(const QJsonValue& value)
{
    if (!value.isObject())
        Refuse({}, u"columns の要素がオブジェクトではありません。"_s);
    Entry entry;
    entry.object = value.toObject();
    if (!entry.object.value(u"column"_s).isString() || entry.object.value(u"column"_s).toString().trimmed().isEmpty())
        Refuse({}, u"column（列名）のない要素があります。"_s);
    entry.column = entry.object.value(u"column"_s).toString().trimmed();
    const QJsonValue kind = entry.object.value(u"kind"_s);
    const auto found = std::find(KindNames.begin(), KindNames.end(), kind.toString());
    if (!kind.isString() || found == KindNames.end())
        Refuse(entry.column, u"kind は %1 のどれかです。"_s.arg(QStringList(KindNames.begin(), KindNames.end()).join(u", "_s)));
    entry.kind = int(found - KindNames.begin());
    const KindKeys& keys = Keys[std::size_t(entry.kind)];
    for (const QString& key : entry.object.keys()) {
        // A distribution keeps its own share of NULLs.
        const bool common = CommonKeys.contains(key) &&
                            (key != u"null"_s || (entry.kind != NullKind && entry.kind != DistributionKind));
        if (!common && !keys.required.contains(key) && !keys.optional.contains(key))
            Refuse(entry.column, u"%1 には %2 は使えません。"_s.arg(kind.toString(), key));
    }
    for (const QString& key : keys.required) {
        if (!entry.object.contains(key))
            Refuse(entry.column, u"%1 がありません。"_s.arg(key));
    }
    const auto numberOrText = [&entry](const QString& key) {
        const QJsonValue v = entry.object.value(key);
        if (!v.isDouble() && !v.isString())
            Refuse(entry.column, u"%1 は数値か文字列です。"_s.arg(key));
        if (v.isString())
            Text(entry.column, v);
        CheckExact(entry.column, key, v);
        return v.isDouble();
    };
    const auto number = [&entry](const QString& key) {
        if (!entry.object.value(key).isDouble())
            Refuse(entry.column, u"%1 は数値です。"_s.arg(key));
        CheckExact(entry.column, key, entry.object.value(key));
    };
    switch (entry.kind) {
    case 0:
        entry.numbers = numberOrText(u"value"_s);
        break;
    case 1: {
        const QJsonArray values = entry.object.value(u"values"_s).toArray();
        if (!entry.object.value(u"values"_s).isArray() || values.isEmpty() || values.size() > basKovaData::RuleSlots)
            Refuse(entry.column, u"values は1個から%1個の値の配列です。"_s.arg(basKovaData::RuleSlots));
        entry.numbers = values.first().isDouble();
        for (const QJsonValue& v : values) {
            if (entry.numbers ? !v.isDouble() : !v.isString())
                Refuse(entry.column, u"values は数値だけか文字列だけです。"_s);
            if (v.isString())
                Text(entry.column, v);
            CheckExact(entry.column, u"values"_s, v);
        }
        break;
    }
    case 2:
        entry.numbers = numberOrText(u"min"_s);
        if (numberOrText(u"max"_s) != entry.numbers)
            Refuse(entry.column, u"min と max は同じ型です。"_s);
        number(u"unit"_s);
        break;
    case 3:
        entry.numbers = numberOrText(u"start"_s);
        number(u"step"_s);
        break;
    case 4: {
        const QJsonValue sql = entry.object.value(u"sql"_s);
        if (!sql.isString() || sql.toString().size() > basKovaData::StatementWidth)
            Refuse(entry.column, u"sql は%1文字までの文字列です。"_s.arg(basKovaData::StatementWidth));
        // A foreign key: {"table": PARENT, "column": KEY, "constraint": NAME,
        // "distinct": true|false}; the names are checked against the schema
        // when a run draws from the parent.
        if (const QJsonValue parent = entry.object.value(u"parent"_s); !parent.isUndefined()) {
            const QJsonObject link = parent.toObject();
            const auto name = [&link](const QString& key) {
                const QJsonValue text = link.value(key);
                return text.isString() && !text.toString().trimmed().isEmpty() && text.toString().size() <= 128;
            };
            if (!parent.isObject() || !name(u"table"_s) || !name(u"column"_s)
                || !(link.value(u"constraint"_s).isUndefined() || link.value(u"constraint"_s).isString())
                || !(link.value(u"distinct"_s).isUndefined() || link.value(u"distinct"_s).isBool()))
                Refuse(entry.column, u"parent は {\"table\": 親テーブル, \"column\": 親の列} です。"_s);
        }
        break;
    }
    case 6:
        if (!basKovaData::DictionaryNames().contains(entry.object.value(u"name"_s).toString()))
            Refuse(entry.column, u"name は辞書の名前です（%1）。"_s.arg(basKovaData::DictionaryNames().join(u", "_s)));
        break;
    case 7:
    case 8: {
        const QString key = entry.kind == 7 ? u"pattern"_s : u"expression"_s;
        if (!entry.object.value(key).isString() || entry.object.value(key).toString().trimmed().isEmpty())
            Refuse(entry.column, u"%1 は空でない文字列です。"_s.arg(key));
        break;
    }
    case DistributionKind:
        if (!entry.object.value(u"distribution"_s).isObject())
            Refuse(entry.column, u"distribution はオブジェクトです。"_s);
        break;
    default:
        break;
    }
    if (entry.object.contains(u"null"_s)) {
        const QJsonValue rate = entry.object.value(u"null"_s);
        if (!rate.isDouble() || rate.toDouble() < 0 || rate.toDouble() > 100 || rate.toDouble() != std::floor(rate.toDouble()))
            Refuse(entry.column, u"null は0から100までの整数（％）です。"_s);
    }
    if (entry.object.contains(u"unique"_s) && !entry.object.value(u"unique"_s).isBool())
        Refuse(entry.column, u"unique は true か false です。"_s);
    if (entry.object.contains(u"order"_s)
        && std::find(OrderNames.begin(), OrderNames.end(), entry.object.value(u"order"_s).toString()) == OrderNames.end())
        Refuse(entry.column, u"order は turn か random です。"_s);
    if (entry.object.contains(u"weights"_s)) {
        const QJsonArray weights = entry.object.value(u"weights"_s).toArray();
        if (!entry.object.value(u"weights"_s).isArray()
            || weights.size() != entry.object.value(u"values"_s).toArray().size())
            Refuse(entry.column, u"weights は values と同じ数の重みの配列です。"_s);
        for (const QJsonValue& weight : weights) {
            const double w = weight.toDouble(-1);
            if (!weight.isDouble() || w < basKovaData::MinWeight || w > basKovaData::MaxWeight || w != std::floor(w))
                Refuse(entry.column, u"weights の重みは%1から%2までの整数です。"_s.arg(basKovaData::MinWeight).arg(basKovaData::MaxWeight));
        }
    }
    if (entry.object.contains(u"pad"_s)
        && std::find(PadNames.begin(), PadNames.end(), entry.object.value(u"pad"_s).toString()) == PadNames.end())
        Refuse(entry.column, u"pad は zero, blank, left のどれかです。"_s);
    return entry;
}

// Whether the entry's values suit a column of `family`.
bool Fits(const Entry& entry, TypeFamily family)
{
    if (entry.kind == 6 || entry.kind == 7)
        return family == TypeFamily::Character;
    if (entry.kind == DistributionKind)
        return family != TypeFamily::Other;
    if (entry.kind >= 4)
        return true;
    if (entry.object.contains(u"pad"_s) && family != TypeFamily::Character)
        return false;
    switch (family) {
    case TypeFamily::Numeric:
        return entry.numbers;
    case TypeFamily::Character:
        // Character columns take texts as such and numbers to count with.
        return entry.kind <= 1 ? !entry.numbers : entry.numbers;
    case TypeFamily::Date:
        return !entry.numbers;
    case TypeFamily::Other:
        break;
    }
    return false;
}

// The entry written into `rule` as the editors write it, then their checks.
void Fill(ColumnRule& rule, const Entry& entry, TypeFamily family)
{
    const QJsonObject& o = entry.object;
    rule.clearRule();
    rule.RuleKind = QString::number(entry.kind);
    const auto boxes = [&](const QStringList& keys) {
        QStringList texts;
        for (const QString& key : keys) {
            const QJsonValue v = o.value(key);
            texts << (v.isDouble() ? NumberBox(v) : v.toString());
        }
        return texts;
    };
    switch (entry.kind) {
    case 0:
        basKovaData::StoreSingleBox(rule, family, boxes({u"value"_s}).first());
        break;
    case 1: {
        QStringList texts;
        for (const QJsonValue& v : o.value(u"values"_s).toArray()) {
            texts << (v.isDouble() ? NumberBox(v) : v.toString());
            rule.MultiOn[std::size_t(texts.size() - 1)] = true;
        }
        basKovaData::StoreMultipleBoxes(rule, family, texts);
        break;
    }
    case 2:
        basKovaData::StoreRandomBoxes(rule, family, boxes({u"min"_s, u"max"_s, u"unit"_s}));
        break;
    case 3:
        basKovaData::StoreSequenceBoxes(rule, family, boxes({u"start"_s, u"step"_s}));
        break;
    case 4:
        basKovaData::StoreStatement(rule, o.value(u"sql"_s).toString());
        if (const QJsonObject link = o.value(u"parent"_s).toObject(); !link.isEmpty())
            rule.Parent = ColumnRule::ParentLink{link.value(u"table"_s).toString().trimmed(),
                                                 link.value(u"column"_s).toString().trimmed(),
                                                 link.value(u"constraint"_s).toString(),
                                                 link.value(u"distinct"_s).toBool(false),
                                                 basKovaData::JoinStatement(rule)};
        break;
    case 6:
        rule.TextValue[0] = o.value(u"name"_s).toString();
        break;
    case 7:
        rule.Pattern = o.value(u"pattern"_s).toString();
        break;
    case 8:
        rule.Expression = o.value(u"expression"_s).toString();
        break;
    case DistributionKind: {
        QString problem;
        std::optional<ColumnProfile> profile =
            ReadProfileJson(o.value(u"distribution"_s).toObject(), ProfileFamily(family), &problem);
        if (!profile)
            Refuse(entry.column, u"distribution: "_s + problem);
        rule.Distribution = std::make_shared<const ColumnProfile>(std::move(*profile));
        return;
    }
    default:
        break;
    }
    rule.NullRate = o.value(u"null"_s).toInt(0);
    rule.Unique = o.value(u"unique"_s).toBool(false);
    rule.RandomOrder = o.value(u"order"_s).toString() == OrderNames[1];
    const QJsonArray weights = o.value(u"weights"_s).toArray();
    for (qsizetype i = 0; i < weights.size() && i < basKovaData::RuleSlots; ++i)
        rule.Weight[std::size_t(i)] = weights[i].toInt(basKovaData::MinWeight);
    if (family == TypeFamily::Character && (entry.kind == 2 || entry.kind == 3)) {
        const auto pad = std::find(PadNames.begin(), PadNames.end(), o.value(u"pad"_s).toString(u"zero"_s));
        basKovaData::SetPadding(rule, basKovaData::Padding(pad - PadNames.begin()));
    }
    basKovaData::RuleVerdict verdict = basKovaData::CheckRule(rule, family);
    if (verdict.accepted)
        verdict = basKovaData::CheckShapes(rule, basKovaData::ShapeBoxesOf(rule));
    if (!verdict.accepted)
        Refuse(entry.column, verdict.message);
}

int ColumnOf(const QString& name)
{
    const int count = std::min<int>(basKovaData::ColumnCount, int(ColumnRules.size()) - 1);
    for (int j = 1; j <= count; ++j) {
        if (ColumnRules[std::size_t(j)].ColumnName.trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return j;
    }
    return 0;
}

RuleFileLoad Read(const QByteArray& json)
{
    RuleFileLoad load;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        Refuse({}, u"JSON として読めません（%1 文字目: %2）。"_s.arg(error.offset).arg(error.errorString()));
    if (const RepeatedKey repeated = FindRepeatedKey(json); !repeated.key.isEmpty())
        Refuse(repeated.column, u"%1 が二度あります。"_s.arg(repeated.key));
    const QJsonObject top = document.object();
    if (!document.isObject() || top.value(u"kova-rules"_s).toDouble() != 1)
        Refuse({}, u"ルールファイル（\"kova-rules\": 1）ではありません。"_s);
    for (const QString& key : top.keys()) {
        if (!QStringList{u"kova-rules"_s, u"table"_s, u"rows"_s, u"seed"_s, u"columns"_s}.contains(key))
            Refuse({}, u"%1 は使えません。"_s.arg(key));
    }
    if (top.contains(u"table"_s) && !top.value(u"table"_s).isString())
        Refuse({}, u"table は文字列です。"_s);
    load.table = top.value(u"table"_s).toString().trimmed();
    if (top.contains(u"rows"_s)) {
        const double rows = top.value(u"rows"_s).toDouble(-1);
        if (!(rows >= 1 && rows <= 2147483647.0) || rows != std::floor(rows))
            Refuse({}, u"rows は1以上の整数です。"_s);
        load.rows = int(rows);
    }
    if (top.contains(u"seed"_s)) {
        const QJsonValue seed = top.value(u"seed"_s);
        const double number = seed.toDouble(-1);
        if (!seed.isDouble() || number < 0 || number > double(ExactLimit) || number != std::floor(number))
            Refuse({}, u"seed は0から%1までの整数です。"_s.arg(ExactLimit));
        load.seed = std::uint64_t(seed.toInteger());
    }
    if (!top.value(u"columns"_s).isArray())
        Refuse({}, u"columns（列のルールの配列）がありません。"_s);

    std::vector<ColumnRule> rules(ColumnRules.begin(), ColumnRules.end());
    for (std::size_t j = 1; j < rules.size(); ++j)
        rules[j].clearRule();
    std::set<QString> seen;
    int selects = 0;
    for (const QJsonValue& value : top.value(u"columns"_s).toArray()) {
        const Entry entry = ReadEntry(value);
        if (!seen.insert(entry.column.toUpper()).second)
            Refuse(entry.column, u"同じ列が二度あります。"_s);
        const int column = ColumnOf(entry.column);
        if (column == 0) {
            load.missingColumns << entry.column;
            continue;
        }
        ColumnRule& rule = rules[std::size_t(column)];
        const std::optional<TypeFamily> family = FamilyOf(rule);
        // A column of a type without rules (RAW, LOB ...) gets NULL anyway.
        if (!family && entry.kind == 5)
            continue;
        if (!family || !Fits(entry, *family)) {
            load.misfits << entry.column + u" ("_s + KindNames[std::size_t(entry.kind)] + u")"_s;
            continue;
        }
        Fill(rule, entry, *family);
        if (entry.kind == 4 && ++selects > MaxSelectColumns)
            Refuse(entry.column, u"select のルールは%1列までです。"_s.arg(MaxSelectColumns));
    }
    ColumnRules = std::move(rules);
    return load;
}

// The value of box `slot` of a rule: its number for a number (not through the
// box's text, which shows 15 digits), else the box's text.
QJsonValue BoxValue(const ColumnRule& rule, int slot, const QString& text, bool number)
{
    return number ? NumberValue(rule.NumValue[std::size_t(slot)]) : QJsonValue(text);
}

}  // namespace

RuleFileLoad ApplyRuleFile(const QByteArray& json)
{
    try {
        return Read(json);
    } catch (const Refusal& refusal) {
        RuleFileLoad load;
        load.refused = true;
        load.message = refusal.text;
        return load;
    }
}

RuleFileLoad LoadRuleFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        RuleFileLoad load;
        load.refused = true;
        load.message = u"%1 を読めません: %2"_s.arg(path, file.errorString());
        return load;
    }
    return ApplyRuleFile(file.readAll());
}

QByteArray RuleFileText(const QString& table, int rows, std::optional<std::uint64_t> seed)
{
    QJsonArray columns;
    const int count = std::min<int>(basKovaData::ColumnCount, int(ColumnRules.size()) - 1);
    for (int j = 1; j <= count; ++j) {
        const ColumnRule& rule = ColumnRules[std::size_t(j)];
        const std::optional<TypeFamily> family = FamilyOf(rule);
        const basKovaData::Kind kind = rule.kind();
        if (rule.RuleKind.isBlank() || !family || std::size_t(kind) >= KindNames.size())
            continue;
        QJsonObject o{{u"column"_s, rule.ColumnName.trimmed()}, {u"kind"_s, KindNames[std::size_t(kind)]}};
        const bool numbers = *family == TypeFamily::Numeric;
        const bool counting = *family != TypeFamily::Date;  // random and sequence values are numbers
        switch (kind) {
        case basKovaData::Kind::Single:
            o.insert(u"value"_s, BoxValue(rule, 0, basKovaData::SingleBoxText(rule, *family).trimmed(), numbers));
            break;
        case basKovaData::Kind::Multiple: {
            QJsonArray values;
            QJsonArray weights;
            for (int slot = 0; slot < basKovaData::RuleSlots; ++slot) {
                if (!rule.MultiOn[std::size_t(slot)])
                    continue;
                values.append(BoxValue(rule, slot, basKovaData::MultipleBoxText(rule, *family, slot).trimmed(), numbers));
                weights.append(rule.Weight[std::size_t(slot)]);
            }
            o.insert(u"values"_s, values);
            if (rule.RandomOrder) {
                o.insert(u"order"_s, OrderNames[1]);
                o.insert(u"weights"_s, weights);
            }
            break;
        }
        case basKovaData::Kind::Random:
        case basKovaData::Kind::Sequence: {
            const QStringList boxes = kind == basKovaData::Kind::Random ? basKovaData::RandomBoxTexts(rule, *family)
                                                : basKovaData::SequenceBoxTexts(rule, *family);
            const QStringList keys = kind == basKovaData::Kind::Random ? QStringList{u"min"_s, u"max"_s, u"unit"_s}
                                               : QStringList{u"start"_s, u"step"_s};
            // A date rule keeps its unit or step as a text in the last box.
            for (qsizetype i = 0; i < keys.size(); ++i)
                o.insert(keys[i], counting ? BoxValue(rule, int(i), boxes[i], true)
                                  : i == keys.size() - 1 ? NumberValue(basKovaData::ReadNumber(boxes[i]))
                                                         : QJsonValue(boxes[i]));
            if (*family == TypeFamily::Character)
                o.insert(u"pad"_s, PadNames[std::size_t(basKovaData::PaddingOf(rule))]);
            break;
        }
        case basKovaData::Kind::Select:
            o.insert(u"sql"_s, basKovaData::JoinStatement(rule));
            if (const ColumnRule::ParentLink* link = rule.parent()) {
                QJsonObject parent{{u"table"_s, link->table}, {u"column"_s, link->column}};
                if (!link->constraint.isEmpty())
                    parent.insert(u"constraint"_s, link->constraint);
                if (link->distinct)
                    parent.insert(u"distinct"_s, true);
                o.insert(u"parent"_s, parent);
            }
            break;
        case basKovaData::Kind::Dictionary:
            o.insert(u"name"_s, rule.TextValue[0].trimmed());
            break;
        case basKovaData::Kind::Pattern:
            o.insert(u"pattern"_s, rule.Pattern);
            break;
        case basKovaData::Kind::Expression:
            o.insert(u"expression"_s, rule.Expression);
            break;
        case basKovaData::Kind::Distribution:
            if (!rule.Distribution)
                continue;
            o.insert(u"distribution"_s, ProfileJson(*rule.Distribution));
            break;
        default:
            break;
        }
        if (rule.NullRate > 0 && kind != basKovaData::Kind::Null)
            o.insert(u"null"_s, rule.NullRate);
        if (rule.Unique && Keys[std::size_t(kind)].optional.contains(u"unique"_s))
            o.insert(u"unique"_s, true);
        columns.append(o);
    }
    QJsonObject top{{u"kova-rules"_s, 1}, {u"table"_s, table}, {u"rows"_s, rows}, {u"columns"_s, columns}};
    if (seed)
        top.insert(u"seed"_s, qint64(*seed));
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

bool SaveRuleFile(const QString& path, const QString& table, int rows, QString* error,
                  std::optional<std::uint64_t> seed)
{
    return basKovaData::WriteFileAtomically(path, RuleFileText(table, rows, seed),
                                            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                                | QFileDevice::ReadOther,
                                            error);
}

QString RuleFolder()
{
    const QString folder = basKovaData::AppDirectory + u"rules"_s;
    QDir().mkpath(folder);
    return folder;
}

QString LeftOutText(const RuleFileLoad& load)
{
    QStringList lines;
    if (!load.missingColumns.isEmpty())
        lines << u"テーブルにない列: "_s + load.missingColumns.join(u", "_s);
    if (!load.misfits.isEmpty())
        lines << u"列の型に合わないルール: "_s + load.misfits.join(u", "_s);
    return lines.join(u'\n');
}

}  // namespace generate
