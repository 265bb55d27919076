// The values of columns that may not repeat (重複なし): the keyed order
// through a random rule's range, the values given and the table's own, and
// the check before a run that the rules can give the rows asked for.
#include "generate/ValueGenerator.h"
#include "generate/NumberGrid.h"

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
// Grids of a character column up to this size have their texts counted.
constexpr double MaxCountedTexts = 1000000.0;

}  // namespace

NumberGrid GridOf(const ColumnRule& rule)
{
    const auto& num = rule.NumValue;
    NumberGrid grid{num[0], num[2], basKovaData::RandomStepCount(num[0], num[1], num[2]), 0, false};
    // Only a NUMBER with a precision rounds; a plain NUMBER keeps every figure,
    // and so does a FLOAT(p), whose p counts binary digits.
    if (rule.family() != TypeFamily::Numeric || rule.Length <= 0 || grid.count < 1
        || basKovaData::DetailOfTypeText(rule.TypeText.text()) == basKovaData::TypeDetail::Floating)
        return grid;
    const double unit = std::pow(10.0, -double(rule.Scale));
    if (!(num[2] < unit * (1.0 - 1e-9)))
        return grid;
    const double last = num[0] + (grid.count - 1.0) * num[2];
    // Half away from zero, as the database rounds into the column.
    double low = std::round(num[0] / unit);
    double high = std::round(last / unit);
    NumberGrid kept{low, 1.0, 0.0, int(rule.Scale), true};
    // A hair of slack: 0.3 read as 0.30000000000000004 is still inside.
    const double slack = 1e-9 * std::max({1.0, std::abs(num[0]), std::abs(num[1])});
    if (kept.At(0.0) < num[0] - slack)
        low += 1.0;
    if (kept.At(high - kept.first) > num[1] + slack)
        high -= 1.0;
    kept.first = low;
    kept.count = std::max(0.0, high - low + 1.0);
    return kept;
}

namespace {

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
    return RandomDateDays(basKovaData::DateFromText(rule.TextValue[0].text()),
                          basKovaData::DateFromText(rule.TextValue[1].text()));
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
    const NumberGrid grid = GridOf(rule);
    for (const QString& key : existing) {
        const double value = basKovaData::ReadNumber(key);
        const double place = grid.kept ? value * std::pow(10.0, grid.scale) - grid.first : (value - grid.first) / grid.step;
        count += place >= 0 && place < grid.count && std::abs(place - std::round(place)) < 1e-6;
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
    std::optional<NumberGrid>& known = State(column).grid;
    if (!known)
        known = GridOf(rule);
    const NumberGrid grid = *known;
    if (!rule.Unique) {
        const double r = Draw(column);
        // A column without a value inside the range keeps the rule's own
        // grid: the database then rounds as it may.
        if (!grid.kept || grid.count < 1)
            return basKovaData::RandomStepsOf(num[0], num[1], num[2], r);
        return grid.At(std::min(std::floor(grid.count * r), grid.count - 1.0)) - num[0];
    }
    const double count = std::min(grid.count, MaxPlaces);
    const std::uint64_t place = RangePlace(column, std::uint64_t(count), [&](std::uint64_t k) {
        return keyOf(grid.At(double(k)));
    });
    return grid.At(double(place)) - num[0];
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
    // The keyed order never gives a place twice, and distinct places are
    // distinct numbers and days: only the table's own values can be met
    // again, and nothing is kept per value. A character column may store two
    // places alike (a number text cut to its length): its texts are kept.
    const bool texts = Family(column) == TypeFamily::Character;
    while (state.taken < state.order->count()) {
        const std::uint64_t place = state.order->At(state.taken++);
        if (texts ? TakeUnique(column, keyOf(place)) : state.existing.isEmpty() || !state.existing.contains(keyOf(place)))
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
        if (rule.family() == TypeFamily::Character && rule.Length > 0) {
            // A number cut to the column's length can meet another: the
            // texts the column keeps are counted, on grids small enough.
            const NumberGrid grid = GridOf(rule);
            if (grid.count <= MaxCountedTexts) {
                QSet<QString> texts;
                for (double k = 0; k < grid.count; ++k)
                    texts.insert(FilledNumber(grid.At(k), rule).trimmed());
                return double(texts.size());
            }
        }
        return GridOf(rule).count;
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
    if (const QString refusal = PatternTooLongInUtf8(); !refusal.isEmpty())
        return refusal;
    for (int j = 1; j <= m_rules.count(); ++j) {
        if (m_rules[j].kind() == Kind::Expression && m_rules[j].family() != TypeFamily::Other) {
            if (const QString refusal = PrepareExpressions(); !refusal.isEmpty())
                return refusal;
            break;
        }
    }
    const KeyRoom room = ReadKeyRoom();
    return room.Limits(rows) ? KeyRoomRefusal(room, rows) : QString();
}

KeyRoom ValueGenerator::ReadKeyRoom()
{
    KeyRoom room;
    room.table = m_rules.table;
    const auto fewer = [&room](const ColumnRule& rule, double open, qint64 taken, bool sequence) {
        const qint64 rows = qint64(std::clamp(open, 0.0, 9e18));
        if (room.rows >= 0 && rows >= room.rows)
            return;
        room = {room.table, rule.ColumnName.trimmed(), rule.TypeText.trimmed(), rows, taken, sequence, rule.IsKey,
                rule.NumValue[0]};
    };
    for (int j = 1; j <= m_rules.count(); ++j) {
        const ColumnRule& rule = m_rules[j];
        // Any column refuses a value past its digits, a key's or not.
        if (rule.storedKind() == Kind::Sequence) {
            if (const qint64 held = SequenceRoom(rule); held >= 0)
                fewer(rule, double(held), 0, true);
            continue;
        }
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
        fewer(rule, capacity - double(taken), taken, false);
    }
    return room;
}

}  // namespace generate
