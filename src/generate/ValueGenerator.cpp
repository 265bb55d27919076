#include "generate/ValueGenerator.h"

#include "generate/InsertRow.h"
#include "rules/ColumnRule.h"
#include "rules/RuleEditing.h"
#include "session/OraError.h"
#include "session/OraDatabase.h"
#include "shared/DateText.h"
#include "shared/NumberRead.h"
#include "shared/NumberText.h"
#include "shared/RandomSequence.h"
#include "shared/Rounding.h"
#include "shared/SqlName.h"
#include "shared/StatementShape.h"
#include "shared/ValueText.h"
#include "shared/basKovaData.h"

#include <QDateTime>
#include <QMetaType>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

using basKovaData::ColumnRule;

using basKovaData::Kind;
using basKovaData::TypeFamily;

QString RawNumber(double value)
{
    return basKovaData::SqlNumberText(value);
}

const QString RawNull = u"@NULL"_s;
const QString RawZero = u"@0"_s;

// "@TO_DATE('<text>','YYYYMMDD HH24MISS')" for a 15-character date text (or a
// list value standing in for one).
QString RawDate(const QString& dateText)
{
    QString raw;
    raw.reserve(dateText.size() + 41);
    raw += u"@TO_DATE(";
    basKovaData::AppendQuoted(raw, dateText);
    raw += u",'YYYYMMDD HH24MISS')";
    return raw;
}

// The date text of a day and a time of day, as they stand: no local
// daylight-saving gap can move the time of day a rule asked for.
QString DateTextOf(const QDate& day, const QTime& time)
{
    return basKovaData::DateText15(day, time);
}

// RawDate(DateTextOf(day, time)), written at once.
QString RawDateOf(const QDate& day, const QTime& time)
{
    return basKovaData::DateText15(day, time, u"@TO_DATE('", u"','YYYYMMDD HH24MISS')");
}

// A day offset as a whole number QDate can add without overflowing. Offsets
// beyond a hundred million days (far past any date the database accepts) are
// held there: the date is then out of range and the row's INSERT fails, which
// the run counts like any other failing row.
qint64 DayOffset(double days)
{
    constexpr double Limit = 1.0e8;
    if (std::isnan(days))
        return 0;
    return static_cast<qint64>(std::clamp(std::floor(days), -Limit, Limit));
}

}  // namespace

// A generated number as the text of a character column: right-aligned with
// zeros or blanks to the column's length, or left-aligned as it is.
QString FilledNumber(double value, const ColumnRule& rule)
{
    const bool leftAligned = rule.MultiOn[1];
    const bool blankFilled = rule.MultiOn[2];
    if (leftAligned && blankFilled)
        return basKovaData::NumberText(value).trimmed();
    if (blankFilled)
        return basKovaData::BlankFill(value, rule.Length);
    // Zero filling is also what the character editor shows for the left-aligned
    // flag without the blank flag, a pair it never stores itself; the column
    // gets the value the user would expect from the editor's display.
    return basKovaData::ZeroFill(value, rule.Length);
}

QString DataEntry(const QString& text)
{
    if (!text.startsWith(u'@'))
        return text;
    QString entry = basKovaData::SqlQuoted(text);
    entry.prepend(u'@');
    return entry;
}

std::optional<QString> LiteralEntry(QStringView entry)
{
    if (entry.size() < 3 || entry[0] != u'@' || entry[1] != u'\'')
        return std::nullopt;
    return basKovaData::LiteralText(entry.mid(1));
}

QString EntryText(const QString& entry)
{
    if (std::optional<QString> text = LiteralEntry(entry))
        return *text;
    return entry;
}

qint64 RandomDateDays(const QDateTime& from, const QDateTime& to)
{
    const qint64 days = from.date().daysTo(to.date());
    return from.time() > to.time() ? days - 1 : days;
}

QString ValueGenerator::ListText(const QVariant& value)
{
    if (basKovaData::IsNumberValue(value))
        return basKovaData::NumberText(value.toDouble()).trimmed();
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        return basKovaData::DateText15(value.toDateTime());
    case QMetaType::QDate:
        return DateTextOf(value.toDate(), QTime(0, 0, 0));
    default:
        return value.toString().trimmed();
    }
}

namespace {

bool IsNull(const QVariant& value)
{
    return !value.isValid() || value.isNull();
}

// A value text of a row as an expression sees it: a number, a text, a date
// or NULL.
QVariant TypedValue(TypeFamily family, const QString& text)
{
    if (text.isEmpty() || text == RawNull)
        return QVariant();
    if (std::optional<QString> literal = LiteralEntry(text))
        return family == TypeFamily::Numeric ? QVariant(basKovaData::ReadNumber(*literal))
               : family == TypeFamily::Date  ? QVariant()
                                             : QVariant(*literal);
    switch (family) {
    case TypeFamily::Numeric:
        return basKovaData::ReadNumber(text.startsWith(u'@') ? text.mid(1) : text);
    case TypeFamily::Date: {
        // "@TO_DATE('<date text>', ...)", or a list value standing in for one.
        const qsizetype open = text.indexOf(u'\'');
        const qsizetype close = open < 0 ? -1 : text.indexOf(u'\'', open + 1);
        const QString date = close < 0 ? text : text.mid(open + 1, close - open - 1);
        if (!basKovaData::IsDateText(date))
            return QVariant();
        return basKovaData::DateFromText(date);
    }
    default:
        return text;
    }
}

}  // namespace

QString TableEntry(TypeFamily family, const QVariant& value)
{
    if (IsNull(value))
        return QString();
    switch (family) {
    case TypeFamily::Numeric:
        if (basKovaData::IsNumberValue(value))
            return RawNumber(value.toDouble());
        break;
    case TypeFamily::Date:
        if (value.typeId() == QMetaType::QDate)
            return RawDate(DateTextOf(value.toDate(), QTime(0, 0, 0)));
        // A driver may hand a date over as ISO text.
        if (const QDateTime date = value.toDateTime(); date.isValid())
            return RawDate(basKovaData::DateText15(date));
        break;
    case TypeFamily::Character:
    case TypeFamily::Other:
        break;
    }
    return DataEntry(value.toString());
}

namespace {

// An expression's result as the value text of its column.
QString ValueOfResult(const ColumnRule& rule, const QVariant& result)
{
    if (!result.isValid() || result.isNull())
        return RawNull;
    const bool number = result.typeId() == QMetaType::Double;
    const bool date = result.typeId() == QMetaType::QDateTime;
    switch (rule.family()) {
    case TypeFamily::Numeric:
        // A text that is no number goes as text: the database says why.
        return number ? RawNumber(result.toDouble()) : DataEntry(result.toString());
    case TypeFamily::Date:
        return RawDate(date ? basKovaData::DateText15(result.toDateTime()) : result.toString());
    default:
        if (number)
            return basKovaData::NumberText(result.toDouble()).trimmed();
        if (date)
            return result.toDateTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
        return DataEntry(result.toString());
    }
}

}  // namespace

ValueGenerator::ValueGenerator(const basKovaData::TableRules& rules, OraDatabase* database)
    : m_rules(rules), m_database(database)
{
    m_columns.resize(static_cast<std::size_t>(std::max(rules.count(), 0)) + 1);
    m_families.assign(m_columns.size(), TypeFamily::Other);
    m_hex.assign(m_columns.size(), false);
    for (int j = 1; j <= rules.count(); ++j) {
        m_families[std::size_t(j)] = rules[j].family();
        m_hex[std::size_t(j)] = basKovaData::DetailOfTypeText(rules[j].TypeText.text()) == basKovaData::TypeDetail::Hex;
    }
    if (database)
        m_hexPrefix = database->HexBytesPrefix();
    if (rules.seed) {
        for (int j = 1; j <= rules.count(); ++j)
            m_columns[std::size_t(j)].stream = basKovaData::StreamKey(*rules.seed, rules.table, rules[j].ColumnName.trimmed());
        // The dictionary columns of a row share one person and one place,
        // drawn from the row's own streams of the table: whichever column
        // asks first, the row gets the same ones. What belongs to one column
        // alone comes from that column's stream.
        const std::uint64_t person = basKovaData::SharedStreamKey(*rules.seed, rules.table, 0);
        const std::uint64_t place = basKovaData::SharedStreamKey(*rules.seed, rules.table, 1);
        m_dictionary.draw = [this, person, place](DictionaryRow::Part part, int index) {
            if (part == DictionaryRow::Part::Own)
                return Draw(m_drawColumn);
            const std::uint64_t stream = part == DictionaryRow::Part::Person ? person : place;
            return basKovaData::SeededDraw(stream, std::uint64_t(std::max<qint64>(m_row, 0)), std::uint32_t(index));
        };
    }
}

void ValueGenerator::BeginRow()
{
    ++m_row;
    m_dictionary.reset();
    if (m_expressions)
        m_expressions->BeginRow();
}

ValueGenerator::ColumnState& ValueGenerator::State(int column)
{
    if (m_columns.size() <= static_cast<std::size_t>(column))
        m_columns.resize(static_cast<std::size_t>(column) + 1);
    return m_columns[static_cast<std::size_t>(column)];
}

QString ValueGenerator::PatternTooLongInUtf8()
{
    for (int j = 1; m_utf8 && j <= m_rules.count(); ++j) {
        const ColumnRule& rule = m_rules[j];
        if (rule.kind() != Kind::Pattern || rule.family() != TypeFamily::Character || rule.Length < 1)
            continue;
        LengthMeasure measure = MeasureOf(rule, m_database);
        measure.utf8 = true;
        if (const int longest = measure.Longest(Recipe(j, rule)); longest > measure.limit)
            return m_rules.table + u'.' + rule.ColumnName.trimmed() + u": "_s + PatternTooLong(longest, measure);
    }
    return {};
}

QString ValueGenerator::PrepareExpressions()
{
    m_expressions = std::make_unique<RowExpressions>();
    m_expressionOrder.clear();
    std::vector<RowExpressions::Column> columns;
    for (int j = 1; j <= m_rules.count(); ++j) {
        const ColumnRule& rule = m_rules[j];
        const bool computed = rule.kind() == Kind::Expression && rule.family() != TypeFamily::Other;
        columns.push_back({rule.ColumnName.trimmed(), computed ? rule.Expression : QString()});
    }
    QString error;
    if (!m_expressions->Prepare(columns, &error))
        return error;
    m_expressions->SetDraw([this] { return Draw(m_drawColumn); });
    // An expression column read before it ran is made then, as the row makes it.
    m_expressions->SetCompute([this](int index) {
        if (!State(index + 1).given) {
            basKovaData::RowValues[std::size_t(index + 1)] = NextValue(index + 1);
            State(index + 1).madeRow = m_row;
        }
        return TypedValue(Family(index + 1), basKovaData::RowValues[std::size_t(index + 1)]);
    });
    for (const int index : m_expressions->Order())
        m_expressionOrder.push_back(index + 1);
    return QString();
}

QString ValueGenerator::ExpressionValue(int column, const ColumnRule& rule)
{
    if (!m_expressions) {
        if (const QString refusal = PrepareExpressions(); !refusal.isEmpty())
            throw OraError(refusal);
    }
    // The row as the expressions see it, typed once per row; each computed
    // column's value joins it for the expressions after it.
    const int count = m_rules.count();
    if (m_typedRow != m_row) {
        m_typed.assign(std::size_t(count), QVariant());
        for (int j = 1; j <= count; ++j)
            m_typed[std::size_t(j - 1)] = TypedValue(Family(j), basKovaData::RowValues[std::size_t(j)]);
        m_typedRow = m_row;
    }
    QVariant result;
    QString error;
    const int reader = std::exchange(m_drawColumn, column);
    const bool done = m_expressions->Evaluate(column - 1, m_typed, &result, &error);
    m_drawColumn = reader;
    if (!done)
        throw OraError(error);
    const QString text = ValueOfResult(rule, result);
    m_typed[std::size_t(column - 1)] = TypedValue(Family(column), text);
    return text;
}

double ValueGenerator::Draw(int column)
{
    if (!m_rules.seed)
        return static_cast<double>(basKovaData::NextRandom());
    ColumnState& state = State(column);
    if (state.drawRow != m_row) {
        state.drawRow = m_row;
        state.draws = 0;
    }
    return basKovaData::SeededDraw(state.stream, std::uint64_t(std::max<qint64>(m_row, 0)), state.draws++);
}

void ValueGenerator::NextRow()
{
    using namespace basKovaData;
    // RowValues has room for every index a 16-bit column count can reach.
    static_assert(RowValueCapacity > std::numeric_limits<qint16>::max());
    const int count = std::min(m_rules.count(), RowValueCapacity - 1);
    if (count < 1)
        return;
    if (m_columns.size() < static_cast<std::size_t>(count) + 1)
        m_columns.resize(static_cast<std::size_t>(count) + 1);

    BeginRow();
    // Expression columns follow the others, each after those it reads.
    for (int j = 1; j <= count; ++j) {
        if (const std::optional<QString>& given = m_columns[std::size_t(j)].given)
            RowValues[static_cast<std::size_t>(j)] = *given;
        else if (m_rules[j].kind() != Kind::Expression || Family(j) == TypeFamily::Other)
            RowValues[static_cast<std::size_t>(j)] = NextValue(j);
        else
            RowValues[static_cast<std::size_t>(j)].clear();  // NULL until computed
    }
    if (m_expressionOrder.empty() && !m_expressions) {
        for (int j = 1; j <= count; ++j)
            if (m_rules[j].kind() == Kind::Expression && Family(j) != TypeFamily::Other) {
                if (const QString refusal = PrepareExpressions(); !refusal.isEmpty())
                    throw OraError(refusal);
                break;
            }
    }
    for (const int j : m_expressionOrder)
        if (j <= count && !m_columns[std::size_t(j)].given && !m_expressions->Computed(j - 1))
            RowValues[static_cast<std::size_t>(j)] = NextValue(j);
}

void ValueGenerator::NextValues(const std::vector<int>& columns)
{
    using namespace basKovaData;
    const int count = std::min(m_rules.count(), RowValueCapacity - 1);
    const auto computed = [this](int j) {
        return m_rules[j].kind() == Kind::Expression && Family(j) != TypeFamily::Other;
    };
    BeginRow();
    bool expressions = false;
    for (const int j : columns) {
        if (j < 1 || j > count)
            continue;
        if (computed(j)) {
            RowValues[std::size_t(j)].clear();  // NULL until computed
            expressions = true;
        } else {
            RowValues[std::size_t(j)] = NextValue(j);
        }
    }
    if (!expressions)
        return;
    if (!m_expressions) {
        if (const QString refusal = PrepareExpressions(); !refusal.isEmpty())
            throw OraError(refusal);
    }
    for (const int j : m_expressionOrder)
        if (j <= count && std::find(columns.begin(), columns.end(), j) != columns.end()
            && !m_expressions->Computed(j - 1))
            RowValues[std::size_t(j)] = NextValue(j);
}

QString ValueGenerator::NextValue(int column)
{
    if (column < 1 || column > m_rules.count())
        return QString();
    if (m_row >= 0 && State(column).madeRow == m_row)
        return basKovaData::RowValues[std::size_t(column)];
    const ColumnRule& rule = m_rules[column];
    // A row left NULL by the rate takes no value of the rule: a sequence or a
    // list in turn goes on where it stood.
    if (rule.NullRate > 0 && Family(column) != TypeFamily::Other && Draw(column) * 100.0 < rule.NullRate)
        return RawNull;
    return RuleValue(column, rule);
}

QString ValueGenerator::RuleValue(int column, const ColumnRule& rule)
{
    switch (Family(column)) {
    case TypeFamily::Numeric:
        return NumericValue(column, rule);
    case TypeFamily::Character: {
        QString value = CharacterValue(column, rule);
        // Hexadecimal digits of bytes as the database takes them.
        if (!m_hexPrefix.isEmpty() && m_hex[std::size_t(column)] && !value.isEmpty() && !value.startsWith(u'@')
            && !value.startsWith(m_hexPrefix))
            value.prepend(m_hexPrefix);
        return value;
    }
    case TypeFamily::Date:
        return DateValue(column, rule);
    case TypeFamily::Other:
        break;
    }
    // BFILE, ROWID and the like get no rule of their own. They receive
    // NULL rather than keeping an earlier row's or run's text, which could
    // belong to another table altogether.
    return QString();
}

QString ValueGenerator::NumericValue(int column, const ColumnRule& rule)
{
    const auto& num = rule.NumValue;
    switch (rule.kind()) {
    case Kind::Single:
        return RawNumber(num[0]);
    case Kind::Multiple: {
        const int slot = rule.RandomOrder ? DrawSlot(column, rule) : NextSlot(column, rule);
        // A multiple rule with no slot in use has no value: the column gets 0,
        // like a rule of an unknown kind.
        return slot < 0 ? RawZero : RawNumber(num[static_cast<std::size_t>(slot)]);
    }
    case Kind::Random:
        return RawNumber(num[0] + RandomOffset(column, rule, [&](double value) {
                             return basKovaData::NumberText(value).trimmed();
                         }));
    case Kind::Sequence:
        return RawNumber(num[0] + NextOffset(column, num[1]));
    case Kind::Select: {
        // A list value read from the database is data: a number goes as a
        // number, any other text as a character value the database converts.
        const ListValue value = NextListValue(column, rule);
        if (!value)
            return RawNull;
        return value->isEmpty() || basKovaData::IsNumericText(*value) ? u'@' + *value : DataEntry(*value);
    }
    case Kind::Null:
        return RawNull;
    case Kind::Expression:
        return ExpressionValue(column, rule);
    case Kind::Distribution:
        return DistributionValue(column);
    case Kind::Unknown:
    case Kind::None:
    case Kind::Dictionary:
    case Kind::Pattern:
        break;
    }
    return RawZero;
}

QString ValueGenerator::CharacterValue(int column, const ColumnRule& rule)
{
    const auto& num = rule.NumValue;
    switch (rule.kind()) {
    case Kind::Single:
        return rule.TextValue[0].trimmed();
    case Kind::Multiple: {
        const int slot = rule.RandomOrder ? DrawSlot(column, rule) : NextSlot(column, rule);
        // No slot in use: NULL, like a rule of an unknown kind.
        if (slot < 0)
            return QString();
        std::vector<QString>& texts = m_columns[static_cast<std::size_t>(column)].slotTexts;
        if (texts.empty())
            for (const auto& text : rule.TextValue)
                texts.push_back(text.trimmed());
        return texts[static_cast<std::size_t>(slot)];
    }
    case Kind::Random:
        return FilledNumber(num[0] + RandomOffset(column, rule, [&](double value) {
                                return FilledNumber(value, rule).trimmed();
                            }),
                            rule);
    case Kind::Sequence:
        return FilledNumber(num[0] + NextOffset(column, num[1]), rule);
    case Kind::Select:
        return DataEntry(NextListValue(column, rule).value_or(QString()));
    case Kind::Null:
        return RawNull;
    case Kind::Dictionary: {
        int& dictionary = m_columns[static_cast<std::size_t>(column)].dictionary;
        if (dictionary == -2)
            dictionary = int(basKovaData::DictionaryNames().indexOf(rule.TextValue[0].trimmed()));
        m_drawColumn = column;
        std::optional<LengthMeasure>& known = m_columns[static_cast<std::size_t>(column)].measure;
        if (!known) {
            known = MeasureOf(rule, m_database);
            known->utf8 = known->utf8 || m_utf8;
        }
        const LengthMeasure measure = *known;
        QString value = measure.Fit(m_dictionary.value(dictionary));
        // 重複なし: another person or place until the value is a new one.
        for (int attempt = 0; rule.Unique && !TakeUnique(column, value); ++attempt) {
            if (attempt == UniqueAttempts)
                throw OraError(Exhausted(rule));
            m_dictionary.redraw(dictionary);
            value = measure.Fit(m_dictionary.value(dictionary));
        }
        return DataEntry(value);
    }
    case Kind::Pattern: {
        const PatternRecipe& recipe = Recipe(column, rule);
        const auto draw = [this, column] { return Draw(column); };
        QString value = recipe.Generate(draw);
        for (int attempt = 0; rule.Unique && !TakeUnique(column, value); ++attempt) {
            if (attempt == UniqueAttempts)
                throw OraError(Exhausted(rule));
            value = recipe.Generate(draw);
        }
        return DataEntry(value);
    }
    case Kind::Expression:
        return ExpressionValue(column, rule);
    case Kind::Distribution:
        return DistributionValue(column);
    case Kind::Unknown:
    case Kind::None:
        break;
    }
    return QString();
}

QString ValueGenerator::DateValue(int column, const ColumnRule& rule)
{
    // The date rules take the kind as stored: a blank kind is no rule here.
    const Kind kind = rule.storedKind();
    const auto& text = rule.TextValue;
    if (kind == Kind::Single)
        return RawDate(basKovaData::DateText15(basKovaData::DateFromText(text[0].text())));
    if (kind == Kind::Multiple) {
        const int slot = rule.RandomOrder ? DrawSlot(column, rule) : NextSlot(column, rule);
        if (slot < 0)
            return RawNull;  // no slot in use
        const QDateTime date = basKovaData::DateFromText(text[static_cast<std::size_t>(slot)].text());
        return RawDate(basKovaData::DateText15(date));
    }
    ColumnState& state = State(column);
    if ((kind == Kind::Random || kind == Kind::Sequence) && !state.from) {
        state.from = basKovaData::DateFromText(text[0].text());
        state.to = basKovaData::DateFromText(text[1].text());
        state.dateStep = basKovaData::ReadNumber(text[1].text());
    }
    if (kind == Kind::Random) {
        // Whole calendar days from lo's day on, lo's time of day kept, up to
        // the last day whose date is not past hi. A range without such a
        // day gives lo itself.
        const QDateTime& lo = *state.from;
        const qint64 days = RandomDateDays(lo, state.to);
        const auto dayText = [&](qint64 k) { return DateTextOf(lo.date().addDays(k), lo.time()); };
        if (rule.Unique && days >= 0) {
            const std::uint64_t place = RangePlace(column, std::uint64_t(days) + 1,
                                                   [&](std::uint64_t k) { return dayText(qint64(k)); });
            return RawDate(dayText(qint64(place)));
        }
        const double r = Draw(column);
        return RawDateOf(lo.date().addDays(DayOffset(std::floor(r * static_cast<double>(std::max<qint64>(days, 0) + 1)))),
                         lo.time());
    }
    if (kind == Kind::Sequence) {
        const QDateTime& start = *state.from;
        const double offset = NextOffset(column, state.dateStep);
        return RawDateOf(start.date().addDays(DayOffset(offset)), start.time());
    }
    if (kind == Kind::Expression)
        return ExpressionValue(column, rule);
    if (kind == Kind::Distribution)
        return DistributionValue(column);
    if (kind == Kind::Select) {
        const ListValue value = NextListValue(column, rule);
        if (!value)
            return RawNull;
        // A list value is whatever the query returned; quoted, it stays
        // inside the one literal (a value that is no date text then fails in
        // TO_DATE instead of changing the statement).
        return RawDate(*value);
    }
    return RawNull;
}

const PatternRecipe& ValueGenerator::Recipe(int column, const ColumnRule& rule)
{
    ColumnState& state = State(column);
    if (!state.pattern) {
        PatternProblem problem;
        state.pattern = PatternRecipe::Compile(rule.Pattern, &problem);
        if (!state.pattern)
            throw OraError(rule.ColumnName.trimmed() + u": "_s + problem.message);
    }
    return *state.pattern;
}

int ValueGenerator::NextSlot(int column, const ColumnRule& rule)
{
    ColumnState& state = m_columns[static_cast<std::size_t>(column)];
    // At most one pass over the slots: a rule with none in use must not hang.
    for (int step = 0; step < basKovaData::RuleSlots; ++step) {
        const int slot = (state.nextSlot + step) % basKovaData::RuleSlots;
        if (rule.MultiOn[static_cast<std::size_t>(slot)]) {
            state.nextSlot = (slot + 1) % basKovaData::RuleSlots;
            return slot;
        }
    }
    return -1;
}

double ValueGenerator::NextOffset(int column, double step)
{
    ColumnState& state = m_columns[static_cast<std::size_t>(column)];
    const double current = state.offset;
    // The offset moves in whole numbers, halves going to the even neighbour,
    // so a fractional step accumulates through the rounding (1.5 gives 0, 2,
    // 4, 6). It is kept as a double rather than a 32-bit integer: a long run
    // with a large step goes on counting instead of overflowing (whole numbers
    // stay exact up to 2^53).
    state.offset = basKovaData::RoundHalfEven(current + step);
    return current;
}

void ValueGenerator::GiveValue(int column, const QString& value)
{
    if (column >= 1 && column <= m_rules.count())
        State(column).given = value;
}

qint64 ValueGenerator::RowsTaking(int column, const ColumnRule& rule, qint64 rows)
{
    if (rule.NullRate <= 0 || Family(column) == TypeFamily::Other || !m_rules.seed)
        return rows;
    // Whether a row is left NULL is the row's first draw of the column.
    const std::uint64_t stream = State(column).stream;
    qint64 taking = 0;
    for (qint64 r = m_row + 1; r <= m_row + rows; ++r)
        taking += basKovaData::SeededDraw(stream, std::uint64_t(r), 0) * 100.0 < rule.NullRate ? 0 : 1;
    return taking;
}

void ValueGenerator::SeekRow(qint64 row)
{
    for (ColumnState& state : m_columns) {
        state.nextSlot = 0;
        state.offset = 0.0;
        state.position = -1;
        state.drawRow = -1;
        state.draws = 0;
        state.madeRow = -1;
    }
    m_row = -1;
    m_typedRow = -1;
    SkipRows(row);
}

void ValueGenerator::SkipRows(qint64 rows)
{
    if (rows <= 0)
        return;
    for (int j = 1; j <= m_rules.count(); ++j) {
        const ColumnRule& rule = m_rules[j];
        ColumnState& state = State(j);
        const TypeFamily family = Family(j);
        if (state.given || family == TypeFamily::Other)
            continue;
        const Kind kind = family == TypeFamily::Date ? rule.storedKind() : rule.kind();
        if (kind == Kind::Sequence) {
            const double step = family == TypeFamily::Date ? basKovaData::ReadNumber(rule.TextValue[1].text())
                                                           : rule.NumValue[1];
            const qint64 taking = RowsTaking(j, rule, rows);
            if (basKovaData::RoundHalfEven(step) == step && std::isfinite(step))
                state.offset += step * double(taking);
            else
                for (qint64 k = 0; k < taking; ++k)
                    NextOffset(j, step);
        } else if (kind == Kind::Multiple && !rule.RandomOrder) {
            const int inUse = int(std::count(rule.MultiOn.begin(), rule.MultiOn.end(), true));
            const qint64 taking = inUse > 0 ? RowsTaking(j, rule, rows) % inUse : 0;
            for (qint64 k = 0; k < taking; ++k)
                NextSlot(j, rule);
        } else if (kind == Kind::Select) {
            const qsizetype size = qsizetype(List(j, rule).size());
            if (size > 0)
                state.position = qsizetype((state.position + RowsTaking(j, rule, rows) % size + size) % size);
        }
    }
    m_row += rows;
}

const std::vector<ValueGenerator::ListValue>& ValueGenerator::List(int column, const ColumnRule& rule)
{
    ColumnState& state = m_columns[static_cast<std::size_t>(column)];
    if (!state.listFetched) {
        // Read once per run, on the column's first row; also when the query
        // returns nothing, so an empty result is not asked for again each row.
        // The lists live in a vector, so the number of SELECT-sourced columns
        // is limited only by the check the main window makes before a run.
        m_lists.push_back(FetchList(rule));
        state.listFetched = true;
        state.list = static_cast<qsizetype>(m_lists.size()) - 1;
    }
    return m_lists[static_cast<std::size_t>(state.list)];
}

ValueGenerator::ListValue ValueGenerator::NextListValue(int column, const ColumnRule& rule)
{
    ColumnState& state = m_columns[static_cast<std::size_t>(column)];
    const std::vector<ListValue>& list = List(column, rule);
    // A query that returned no rows gives the column NULL in every row.
    if (list.empty())
        return std::nullopt;
    state.position = state.position + 1 < static_cast<qsizetype>(list.size()) ? state.position + 1 : 0;
    return list[static_cast<std::size_t>(state.position)];
}

std::vector<ValueGenerator::ListValue> ValueGenerator::FetchList(const ColumnRule& rule) const
{
    std::vector<ListValue> values;
    // Without a database there is nothing to read: the list stays empty.
    if (!m_database)
        return values;
    const QString sql = basKovaData::FlattenSql(basKovaData::JoinStatement(rule).trimmed());
    // Values are only read: a statement that would write is never run.
    if (!basKovaData::IsQueryText(sql))
        throw OraError(basKovaData::RuleMessages::NotQuery);

    const auto dynaset = m_database->DBCreateDynaset(sql, 0);
    // As many values as a result grid may show; a NULL stays a NULL entry
    // and gives the column NULL in its turn.
    const qsizetype limit = std::max<qsizetype>(0, basKovaData::MaxDisplayRows);
    while (!dynaset->IsEOF() && static_cast<qsizetype>(values.size()) < limit) {
        const QVariant value = dynaset->Value(0);
        if (IsNull(value))
            values.emplace_back(std::nullopt);
        else
            values.emplace_back(ListText(value));
        dynaset->MoveNext();
    }
    dynaset->Close();
    return values;
}

}  // namespace generate
