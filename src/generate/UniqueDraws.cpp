// The values of columns that may not repeat (重複なし): the keyed order
// through a random rule's range, the values given and the table's own, and
// the check before a run that the rules can give the rows asked for.
#include "generate/ValueGenerator.h"

#include "rules/ColumnRule.h"
#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "shared/DateText.h"
#include "shared/NumberRead.h"
#include "shared/NumberText.h"
#include "shared/RandomSequence.h"
#include "shared/SqlName.h"

#include <QDateTime>

#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

using basKovaData::ColumnRule;
using basKovaData::Kind;
using basKovaData::TypeFamily;

// Grids larger than this are walked no further: doubles hold whole numbers
// exactly up to 2^53.
constexpr double MaxPlaces = 9007199254740992.0;

// The value of a multiple-fixed slot as a list text, to compare with values
// given and with the table's own.
QString SlotKey(const ColumnRule& rule, int slot)
{
    const std::size_t i = std::size_t(slot);
    switch (rule.family()) {
    case TypeFamily::Numeric:
        return basKovaData::NumberText(rule.NumValue[i]).trimmed();
    case TypeFamily::Date:
        return basKovaData::DateText15(basKovaData::DateFromText(rule.TextValue[i].text()));
    default:
        return rule.TextValue[i].trimmed();
    }
}

// The kinds that can keep from repeating a value.
bool UniqueApplies(const ColumnRule& rule)
{
    const Kind kind = rule.family() == TypeFamily::Date ? rule.storedKind() : rule.kind();
    switch (kind) {
    case Kind::Random:
        return rule.family() != TypeFamily::Other;
    case Kind::Multiple:
        return rule.RandomOrder;
    case Kind::Dictionary:
        return rule.family() == TypeFamily::Character;
    case Kind::Pattern:
        return rule.family() == TypeFamily::Character;
    default:
        return false;
    }
}

// The day count of a random date rule's range, less one (negative when the
// range is empty).
qint64 RandomDays(const ColumnRule& rule)
{
    const QDateTime lo = basKovaData::DateFromText(rule.TextValue[0].text());
    const QDateTime hi = basKovaData::DateFromText(rule.TextValue[1].text());
    return lo.date().daysTo(hi.date());
}

// How many of the table's values a random rule could give too.
qint64 ValuesOnGrid(const ColumnRule& rule, const QSet<QString>& existing)
{
    qint64 count = 0;
    if (rule.family() == TypeFamily::Date) {
        const QDateTime lo = basKovaData::DateFromText(rule.TextValue[0].text());
        const qint64 days = RandomDays(rule);
        for (const QString& key : existing) {
            const QDateTime date = basKovaData::DateFromText(key);
            const qint64 day = lo.date().daysTo(date.date());
            count += date.time() == lo.time() && day >= 0 && day <= days;
        }
        return count;
    }
    const auto& num = rule.NumValue;
    const double places = basKovaData::RandomStepCount(num[0], num[1], num[2]);
    for (const QString& key : existing) {
        const double place = (basKovaData::ReadNumber(key) - num[0]) / num[2];
        count += place >= 0 && place < places && std::abs(place - std::round(place)) < 1e-9;
    }
    return count;
}

}  // namespace

QString ValueGenerator::Exhausted(const ColumnRule& rule)
{
    return QStringLiteral("項目 %1 の規則では、重複しない値をこれ以上作れません。").arg(rule.ColumnName.trimmed());
}

double ValueGenerator::RandomOffset(int column, const ColumnRule& rule, const std::function<QString(double)>& keyOf)
{
    const auto& num = rule.NumValue;
    if (!rule.Unique)
        return basKovaData::RandomStepsOf(num[0], num[1], num[2], Draw(column));
    const double count = std::min(basKovaData::RandomStepCount(num[0], num[1], num[2]), MaxPlaces);
    const std::uint64_t place = RangePlace(column, std::uint64_t(count), [&](std::uint64_t k) {
        return keyOf(num[0] + double(k) * num[2]);
    });
    return double(place) * num[2];
}

std::uint64_t ValueGenerator::RangePlace(int column, std::uint64_t count,
                                         const std::function<QString(std::uint64_t)>& keyOf)
{
    ColumnState& state = State(column);
    if (!state.order) {
        // The order through the grid is drawn once per run: from the column's
        // stream with a seed, else from the program's sequence.
        const std::uint64_t high = std::uint64_t(Draw(column) * 16777216.0);
        const std::uint64_t low = std::uint64_t(Draw(column) * 16777216.0);
        state.order.emplace(count, m_rules.seed ? state.stream : (high << 24 | low));
    }
    // The keyed order never gives a place twice; only the table's own values
    // can be met again.
    while (state.taken < state.order->count()) {
        const std::uint64_t place = state.order->At(state.taken++);
        if (state.existing.isEmpty() || !state.existing.contains(keyOf(place)))
            return place;
    }
    throw OraError(Exhausted(m_rules[column]));
}

bool ValueGenerator::TakeUnique(int column, const QString& key)
{
    ColumnState& state = State(column);
    if (state.existing.contains(key))
        return false;
    const qsizetype before = state.seen.size();
    state.seen.insert(qHash(key, std::size_t(0)));
    return state.seen.size() != before;
}

int ValueGenerator::DrawSlot(int column, const ColumnRule& rule)
{
    ColumnState& state = State(column);
    if (state.slots.empty()) {
        for (int slot = 0; slot < basKovaData::RuleSlots; ++slot)
            if (rule.MultiOn[std::size_t(slot)])
                state.slots.push_back(slot);
        if (state.slots.empty())
            return -1;
    }
    // The weights of the slots still open: all of them, or for 重複なし those
    // whose value has not been given.
    std::array<qint64, basKovaData::RuleSlots> weights{};
    qint64 total = 0;
    for (std::size_t i = 0; i < state.slots.size(); ++i) {
        const int slot = state.slots[i];
        const QString key = rule.Unique ? SlotKey(rule, slot) : QString();
        if (rule.Unique && (state.seen.contains(qHash(key, std::size_t(0))) || state.existing.contains(key)))
            continue;
        weights[i] = std::clamp(rule.Weight[std::size_t(slot)], basKovaData::MinWeight, basKovaData::MaxWeight);
        total += weights[i];
    }
    if (total == 0)
        throw OraError(Exhausted(rule));
    qint64 left = std::min(total - 1, qint64(std::floor(Draw(column) * double(total))));
    for (std::size_t i = 0; i < state.slots.size(); ++i) {
        left -= weights[i];
        if (left < 0) {
            const int slot = state.slots[i];
            if (rule.Unique)
                state.seen.insert(qHash(SlotKey(rule, slot), std::size_t(0)));
            return slot;
        }
    }
    return state.slots.back();
}

double ValueGenerator::DistinctValues(int column, const ColumnRule& rule)
{
    switch (rule.family() == TypeFamily::Date ? rule.storedKind() : rule.kind()) {
    case Kind::Random:
        if (rule.family() == TypeFamily::Date)
            return double(std::max<qint64>(RandomDays(rule) + 1, 0));
        return basKovaData::RandomStepCount(rule.NumValue[0], rule.NumValue[1], rule.NumValue[2]);
    case Kind::Multiple: {
        QSet<QString> values;
        for (int slot = 0; slot < basKovaData::RuleSlots; ++slot)
            if (rule.MultiOn[std::size_t(slot)])
                values.insert(SlotKey(rule, slot));
        return double(values.size());
    }
    case Kind::Dictionary:
        return DictionaryRow::DistinctCount(int(basKovaData::DictionaryNames().indexOf(rule.TextValue[0].trimmed())));
    case Kind::Pattern:
        return Recipe(column, rule).DistinctCount();
    default:
        return -1;
    }
}

QString ValueGenerator::Prepare(qint64 rows)
{
    for (int j = 1; j <= m_rules.count(); ++j) {
        if (m_rules[j].kind() == Kind::Expression && m_rules[j].family() != TypeFamily::Other) {
            if (const QString refusal = PrepareExpressions(); !refusal.isEmpty())
                return refusal;
            break;
        }
    }
    for (int j = 1; j <= m_rules.count(); ++j) {
        const ColumnRule& rule = m_rules[j];
        if (!rule.Unique || !UniqueApplies(rule))
            continue;
        ColumnState& state = State(j);
        state.existing.clear();
        if (m_database) {
            const auto dynaset = m_database->DBCreateDynaset(
                u"SELECT "_s + m_database->SqlName(m_rules.table, rule.ColumnName.trimmed()) + u" FROM "_s
                    + m_database->SqlName(m_rules.table),
                0);
            for (; !dynaset->IsEOF(); dynaset->MoveNext()) {
                const QVariant value = dynaset->Value(0);
                if (value.isValid() && !value.isNull())
                    state.existing.insert(ListText(value));
            }
            dynaset->Close();
        }
        const double capacity = DistinctValues(j, rule);
        if (capacity < 0)
            continue;
        qint64 taken = 0;
        if (rule.kind() == Kind::Multiple) {
            for (int slot = 0; slot < basKovaData::RuleSlots; ++slot)
                taken += rule.MultiOn[std::size_t(slot)] && state.existing.contains(SlotKey(rule, slot));
        } else if (rule.kind() == Kind::Random || rule.storedKind() == Kind::Random) {
            taken = ValuesOnGrid(rule, state.existing);
        }
        const double open = capacity - double(taken);
        if (double(rows) > open) {
            QString message = QStringLiteral("項目 %1 の規則で作れる重複しない値は%2件までのため、%3件は作成できません。")
                                  .arg(rule.ColumnName.trimmed())
                                  .arg(qint64(std::max(open, 0.0)))
                                  .arg(rows);
            if (taken > 0)
                message += QStringLiteral("\n（テーブルにある%1件の値は使えません。）").arg(taken);
            return message;
        }
    }
    return QString();
}

}  // namespace generate
