#include "rules/RuleEditing.h"

#include "generate/ColumnLength.h"
#include "generate/PatternRecipe.h"
#include "session/OraAccess.h"

#include <QRegularExpression>

#include "shared/DateText.h"
#include "shared/NumberRead.h"
#include "shared/NumberText.h"
#include "shared/Rounding.h"

#include <cmath>
#include <optional>
#include <utility>

namespace basKovaData {

namespace {

constexpr std::size_t Slot(int i)
{
    return static_cast<std::size_t>(i);
}

RuleVerdict Refuse(const QString& message, RuleBox box, int index = 0)
{
    return Refused(message, box, index);
}

bool AnySlotOn(const ColumnRule& rule)
{
    for (bool on : rule.MultiOn) {
        if (on)
            return true;
    }
    return false;
}

// A date text, unit or step that a check is about to test is kept trimmed.
QString TrimSlot(ColumnRule& rule, int slot)
{
    const QString text = rule.TextValue[Slot(slot)].trimmed();
    rule.TextValue[Slot(slot)] = text;
    return text;
}

// The first number slot of the kind that a double cannot hold exactly, as
// (box, index); none when every number is exact. Only whole numbers beyond
// 2^53 are such: their neighbours would be taken for them without a word.
std::optional<std::pair<RuleBox, int>> InexactNumber(const ColumnRule& rule, Kind kind, TypeFamily family)
{
    const auto inexact = [&](int slot) { return std::fabs(rule.NumValue[Slot(slot)]) > MaxExactWhole; };
    switch (kind) {
    case Kind::Single:
        if (family == TypeFamily::Numeric && inexact(0))
            return std::pair{RuleBox::Single, 0};
        break;
    case Kind::Multiple:
        for (int i = 0; family == TypeFamily::Numeric && i < RuleSlots; ++i)
            if (rule.MultiOn[Slot(i)] && inexact(i))
                return std::pair{RuleBox::Multiple, i};
        break;
    case Kind::Random:
        for (int i = 0; family != TypeFamily::Date && i < 3; ++i)
            if (inexact(i))
                return std::pair{RuleBox::Random, i};
        break;
    case Kind::Sequence:
        for (int i = 0; family != TypeFamily::Date && i < 2; ++i)
            if (inexact(i))
                return std::pair{RuleBox::Sequence, i};
        break;
    default:
        break;
    }
    return std::nullopt;
}

// A sequence rounds its offset to a whole number after each row: a step that
// this rounding leaves at 0 (at most a half either way) never moves and is
// refused as the zero step it amounts to; a larger negative one as negative.
RuleVerdict CheckStep(double step)
{
    if (RoundHalfEven(step) == 0)
        return Refuse(RuleMessages::ZeroStep, RuleBox::Sequence, 1);
    if (step < 0)
        return Refuse(RuleMessages::NegativeStep, RuleBox::Sequence, 1);
    return {};
}

RuleVerdict CheckUnitAndStep(const ColumnRule& rule, Kind kind)
{
    if (kind == Kind::Random) {
        const double unit = rule.NumValue[2];
        if (unit < 0)
            return Refuse(RuleMessages::NegativeUnit, RuleBox::Random, 2);
        if (unit == 0)
            return Refuse(RuleMessages::ZeroUnit, RuleBox::Random, 2);
        // The range is compared whatever MultiOn 0 holds: that flag belongs to
        // the multiple-fixed kind and has no say over a random range, and
        // leaving the test out would let an inverted range through.
        if (rule.NumValue[0] > rule.NumValue[1])
            return Refuse(RuleMessages::MinAboveMax, RuleBox::Random, 0);
    } else if (kind == Kind::Sequence) {
        return CheckStep(rule.NumValue[1]);
    }
    return {};
}

RuleVerdict CheckDateRule(ColumnRule& rule, Kind kind)
{
    switch (kind) {
    case Kind::Single:
        if (!IsDateText(TrimSlot(rule, 0)))
            return Refuse(RuleMessages::BadDate, RuleBox::Single);
        return {};
    case Kind::Multiple:
        for (int i = 0; i < RuleSlots; ++i) {
            if (rule.MultiOn[Slot(i)] && !IsDateText(TrimSlot(rule, i)))
                return Refuse(RuleMessages::BadDate, RuleBox::Multiple, i);
        }
        return {};
    case Kind::Random: {
        if (!IsDateText(TrimSlot(rule, 0)))
            return Refuse(RuleMessages::BadDate, RuleBox::Random, 0);
        const double unit = ReadNumber(TrimSlot(rule, 2));
        if (unit < 0)
            return Refuse(RuleMessages::NegativeUnit, RuleBox::Random, 2);
        if (unit == 0)
            return Refuse(RuleMessages::ZeroUnit, RuleBox::Random, 2);
        // The maximum and the order of the range are tested always, as for
        // numbers: a maximum that is no date would reach the generator.
        if (!IsDateText(TrimSlot(rule, 1)))
            return Refuse(RuleMessages::BadDate, RuleBox::Random, 1);
        const QString low = PadDateText(rule.TextValue[0].text());
        const QString high = PadDateText(rule.TextValue[1].text());
        rule.TextValue[0] = low;
        rule.TextValue[1] = high;
        if (QString::compare(low, high, Qt::CaseSensitive) > 0)
            return Refuse(RuleMessages::MinAboveMax, RuleBox::Random, 0);
        return {};
    }
    case Kind::Sequence: {
        if (!IsDateText(TrimSlot(rule, 0)))
            return Refuse(RuleMessages::BadDate, RuleBox::Sequence, 0);
        return CheckStep(ReadNumber(TrimSlot(rule, 1)));
    }
    default:
        return {};
    }
}

}  // namespace

QString EditorCaption(TypeFamily family)
{
    switch (family) {
    case TypeFamily::Numeric:
        return QStringLiteral("数字型項目設定");
    case TypeFamily::Character:
        return QStringLiteral("文字列型項目設定");
    case TypeFamily::Date:
        return QStringLiteral("日付型用項目設定");
    case TypeFamily::Other:
        break;
    }
    return {};
}

qint16 EditorHelpTopic(TypeFamily family)
{
    return family == TypeFamily::Date ? DateEditorHelp : NumberEditorHelp;
}

RuleVerdict CheckRule(ColumnRule& rule, TypeFamily family)
{
    const Kind kind = rule.kind();
    if (kind == Kind::Dictionary) {
        // The dictionary kind is the character editor's; its name must be one
        // of the dictionaries.
        if (family != TypeFamily::Character || !DictionaryNames().contains(rule.TextValue[0].trimmed()))
            return Refuse(RuleMessages::NoDictionary, RuleBox::None, 0);
        return {};
    }
    // The pattern kind is the character editor's, like the dictionary.
    if (kind == Kind::Pattern)
        return family == TypeFamily::Character ? CheckPattern(rule) : Refuse(RuleMessages::NoPattern, RuleBox::None);
    if (kind == Kind::Expression)
        return CheckExpression(rule);
    // A SELECT-sourced rule only reads: its statement is run during a run,
    // inside the run's transaction, and by the preview, which writes nothing.
    if (kind == Kind::Select && !IsQueryText(JoinStatement(rule)))
        return Refuse(RuleMessages::NotQuery, RuleBox::Statement, 0);
    if (const auto box = InexactNumber(rule, kind, family))
        return Refuse(RuleMessages::Inexact, box->first, box->second);
    if (kind == Kind::Multiple && !AnySlotOn(rule)) {
        RuleVerdict verdict = Refuse(RuleMessages::NoMultiple, RuleBox::Multiple, 0);
        verdict.tickFirstSlot = true;
        return verdict;
    }
    const RuleVerdict verdict =
        family == TypeFamily::Date ? CheckDateRule(rule, kind) : CheckUnitAndStep(rule, kind);
    // A rule accepted without a kind is a single fixed one.
    if (verdict.accepted && kind == Kind::Single)
        rule.setKind(Kind::Single);
    return verdict;
}

RuleVerdict Refused(const QString& message, RuleBox box, int index)
{
    RuleVerdict verdict;
    verdict.accepted = false;
    verdict.message = message;
    verdict.box = box;
    verdict.index = index;
    return verdict;
}

RuleVerdict CheckPattern(const ColumnRule& rule)
{
    if (rule.Pattern.isEmpty())
        return Refuse(RuleMessages::NoPattern, RuleBox::Pattern);
    generate::PatternProblem problem;
    const auto recipe = generate::PatternRecipe::Compile(rule.Pattern, &problem);
    if (!recipe)
        return Refuse(problem.message, RuleBox::Pattern);
    // A rule for several columns at once (Length 0) is measured per column
    // when it runs. The length counts as the connected database counts it.
    const generate::LengthMeasure measure = generate::MeasureOf(rule, basKovaData::OraDatabase.get());
    if (const int longest = measure.Longest(*recipe); rule.Length > 0 && longest > rule.Length)
        return Refuse(generate::PatternTooLong(longest, measure), RuleBox::Pattern);
    return {};
}

RuleVerdict CheckExpression(const ColumnRule& rule)
{
    if (rule.Expression.trimmed().isEmpty())
        return Refuse(RuleMessages::NoExpression, RuleBox::Expression);
    return {};
}

void StoreSingleBox(ColumnRule& rule, TypeFamily family, const QString& text)
{
    if (family == TypeFamily::Numeric)
        rule.NumValue[0] = ReadNumber(text);
    else
        rule.TextValue[0] = text;
}

void StoreMultipleBoxes(ColumnRule& rule, TypeFamily family, const QStringList& texts)
{
    for (int i = 0; i < RuleSlots && i < texts.size(); ++i) {
        if (family == TypeFamily::Numeric)
            rule.NumValue[Slot(i)] = ReadNumber(texts.at(i));
        else
            rule.TextValue[Slot(i)] = texts.at(i);
    }
}

namespace {

void StoreGroup(ColumnRule& rule, TypeFamily family, const QStringList& texts, int count)
{
    for (int i = 0; i < count && i < texts.size(); ++i) {
        if (family == TypeFamily::Date)
            rule.TextValue[Slot(i)] = texts.at(i).trimmed();
        else
            rule.NumValue[Slot(i)] = ReadNumber(texts.at(i));
    }
}

QStringList ShowGroup(const ColumnRule& rule, TypeFamily family, int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        texts.append(family == TypeFamily::Date ? rule.TextValue[Slot(i)].trimmed()
                                                : BoxNumberText(rule.NumValue[Slot(i)]));
    }
    return texts;
}

}  // namespace

void StoreRandomBoxes(ColumnRule& rule, TypeFamily family, const QStringList& texts)
{
    StoreGroup(rule, family, texts, 3);
}

void StoreSequenceBoxes(ColumnRule& rule, TypeFamily family, const QStringList& texts)
{
    StoreGroup(rule, family, texts, 2);
}

QString BoxNumberText(double value)
{
    if (value == 0)
        return QStringLiteral("0");  // also for -0
    // A whole number the record holds exactly shows every digit.
    if (std::fabs(value) <= MaxExactWhole && value == std::trunc(value))
        return QString::number(value, 'f', 0);
    return QString::number(value, 'g', 15);
}

QString SingleBoxText(const ColumnRule& rule, TypeFamily family)
{
    return MultipleBoxText(rule, family, 0);
}

QString MultipleBoxText(const ColumnRule& rule, TypeFamily family, int slot)
{
    switch (family) {
    case TypeFamily::Numeric:
        return BoxNumberText(rule.NumValue[Slot(slot)]);
    case TypeFamily::Character:
        return rule.TextValue[Slot(slot)].text();  // as stored, blank-padded
    case TypeFamily::Date:
        return rule.TextValue[Slot(slot)].trimmed();
    case TypeFamily::Other:
        break;
    }
    return {};
}

QStringList RandomBoxTexts(const ColumnRule& rule, TypeFamily family)
{
    return ShowGroup(rule, family, 3);
}

QStringList SequenceBoxTexts(const ColumnRule& rule, TypeFamily family)
{
    return ShowGroup(rule, family, 2);
}

int FocusSelectionLength(TypeFamily family, const QString& text)
{
    return static_cast<int>(family == TypeFamily::Character ? text.trimmed().size() : text.size());
}

void SetPadding(ColumnRule& rule, Padding padding)
{
    rule.MultiOn[1] = padding == Padding::Left;
    rule.MultiOn[2] = padding != Padding::Zeros;
}

Padding PaddingOf(const ColumnRule& rule)
{
    if (!rule.MultiOn[2])
        return Padding::Zeros;
    return rule.MultiOn[1] ? Padding::Left : Padding::Blanks;
}

void StoreStatement(ColumnRule& rule, const QString& text)
{
    for (int i = 0; i < RuleSlots; ++i) {
        const qsizetype start = qsizetype{i} * RuleTextWidth;
        rule.TextValue[Slot(i)] = text.size() > start ? text.mid(start, RuleTextWidth) : QString();
    }
}

QString JoinStatement(const ColumnRule& rule)
{
    // Each piece holds exactly its 100 characters of the statement, blanks
    // included: joined whole, a blank that fell at the end or the start of a
    // piece stays where the user typed it. Only the padding after the last
    // character goes.
    QString text;
    text.reserve(RuleSlots * RuleTextWidth);
    for (const auto& piece : rule.TextValue)
        text += piece.text();
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u' ')
        --end;
    text.truncate(end);
    return text;
}

bool IsQueryText(const QString& statement)
{
    const auto options = QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption;
    // Literals, quoted names and comments say nothing of what the statement
    // does; a FOR UPDATE clause locks rows but writes none.
    static const QRegularExpression quiet(
        QStringLiteral(R"('(?:[^']|'')*'?|"(?:[^"]|"")*"?|--[^\n]*|/\*.*?(?:\*/|$)|\bFOR\s+UPDATE\b)"), options);
    static const QRegularExpression lead(QStringLiteral(R"(^[\s(]*(SELECT|WITH)\b)"), options);
    static const QRegularExpression writes(QStringLiteral(R"(\b(INSERT|UPDATE|DELETE|MERGE)\b)"), options);
    QString words = statement;
    words.replace(quiet, QStringLiteral(" "));
    return lead.match(words).hasMatch() && !writes.match(words).hasMatch();
}

}  // namespace basKovaData
