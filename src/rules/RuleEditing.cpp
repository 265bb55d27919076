#include "rules/RuleEditing.h"

#include "shared/DateText.h"
#include "shared/NumberRead.h"

namespace basKovaData {

namespace {

constexpr std::size_t Slot(int i)
{
    return static_cast<std::size_t>(i);
}

RuleVerdict Refuse(const QString& message, RuleBox box, int index = 0)
{
    RuleVerdict verdict;
    verdict.accepted = false;
    verdict.message = message;
    verdict.box = box;
    verdict.index = index;
    return verdict;
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

RuleVerdict CheckUnitAndStep(const ColumnRule& rule, int kind)
{
    if (kind == 2) {
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
    } else if (kind == 3) {
        const double step = rule.NumValue[1];
        if (step < 0)
            return Refuse(RuleMessages::NegativeStep, RuleBox::Sequence, 1);
        if (step == 0)
            return Refuse(RuleMessages::ZeroStep, RuleBox::Sequence, 1);
    }
    return {};
}

RuleVerdict CheckDateRule(ColumnRule& rule, int kind)
{
    switch (kind) {
    case 0:
        if (!IsDateText(TrimSlot(rule, 0)))
            return Refuse(RuleMessages::BadDate, RuleBox::Single);
        return {};
    case 1:
        for (int i = 0; i < RuleSlots; ++i) {
            if (rule.MultiOn[Slot(i)] && !IsDateText(TrimSlot(rule, i)))
                return Refuse(RuleMessages::BadDate, RuleBox::Multiple, i);
        }
        return {};
    case 2: {
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
    case 3: {
        if (!IsDateText(TrimSlot(rule, 0)))
            return Refuse(RuleMessages::BadDate, RuleBox::Sequence, 0);
        const double step = ReadNumber(TrimSlot(rule, 1));
        if (step < 0)
            return Refuse(RuleMessages::NegativeStep, RuleBox::Sequence, 1);
        if (step == 0)
            return Refuse(RuleMessages::ZeroStep, RuleBox::Sequence, 1);
        return {};
    }
    default:
        return {};
    }
}

}  // namespace

QString EditorCaption(RuleFamily family)
{
    switch (family) {
    case RuleFamily::Number:
        return QStringLiteral("数字型項目設定");
    case RuleFamily::Text:
        return QStringLiteral("文字列型項目設定");
    case RuleFamily::Date:
        return QStringLiteral("日付型用項目設定");
    }
    return {};
}

qint16 EditorHelpTopic(RuleFamily family)
{
    return family == RuleFamily::Date ? DateEditorHelp : NumberEditorHelp;
}

RuleVerdict CheckRule(ColumnRule& rule, RuleFamily family)
{
    const int kind = rule.kindNumber();
    if (kind == 6) {
        // The dictionary kind is the character editor's; its name must be one
        // of the dictionaries.
        if (family != RuleFamily::Text || !DictionaryNames().contains(rule.TextValue[0].trimmed()))
            return Refuse(RuleMessages::NoDictionary, RuleBox::None, 0);
        return {};
    }
    if (kind == 1 && !AnySlotOn(rule)) {
        RuleVerdict verdict = Refuse(RuleMessages::NoMultiple, RuleBox::Multiple, 0);
        verdict.tickFirstSlot = true;
        return verdict;
    }
    const RuleVerdict verdict =
        family == RuleFamily::Date ? CheckDateRule(rule, kind) : CheckUnitAndStep(rule, kind);
    // A rule accepted without a kind is a single fixed one.
    if (verdict.accepted && kind == 0)
        rule.RuleKind = RuleKinds::Single;
    return verdict;
}

void StoreSingleBox(ColumnRule& rule, RuleFamily family, const QString& text)
{
    if (family == RuleFamily::Number)
        rule.NumValue[0] = ReadNumber(text);
    else
        rule.TextValue[0] = text;
}

void StoreMultipleBoxes(ColumnRule& rule, RuleFamily family, const QStringList& texts)
{
    for (int i = 0; i < RuleSlots && i < texts.size(); ++i) {
        if (family == RuleFamily::Number)
            rule.NumValue[Slot(i)] = ReadNumber(texts.at(i));
        else
            rule.TextValue[Slot(i)] = texts.at(i);
    }
}

namespace {

void StoreGroup(ColumnRule& rule, RuleFamily family, const QStringList& texts, int count)
{
    for (int i = 0; i < count && i < texts.size(); ++i) {
        if (family == RuleFamily::Date)
            rule.TextValue[Slot(i)] = texts.at(i).trimmed();
        else
            rule.NumValue[Slot(i)] = ReadNumber(texts.at(i));
    }
}

QStringList ShowGroup(const ColumnRule& rule, RuleFamily family, int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        texts.append(family == RuleFamily::Date ? rule.TextValue[Slot(i)].trimmed()
                                                : BoxNumberText(rule.NumValue[Slot(i)]));
    }
    return texts;
}

}  // namespace

void StoreRandomBoxes(ColumnRule& rule, RuleFamily family, const QStringList& texts)
{
    StoreGroup(rule, family, texts, 3);
}

void StoreSequenceBoxes(ColumnRule& rule, RuleFamily family, const QStringList& texts)
{
    StoreGroup(rule, family, texts, 2);
}

QString BoxNumberText(double value)
{
    if (value == 0)
        return QStringLiteral("0");  // also for -0
    return QString::number(value, 'g', 15);
}

QString SingleBoxText(const ColumnRule& rule, RuleFamily family)
{
    return MultipleBoxText(rule, family, 0);
}

QString MultipleBoxText(const ColumnRule& rule, RuleFamily family, int slot)
{
    switch (family) {
    case RuleFamily::Number:
        return BoxNumberText(rule.NumValue[Slot(slot)]);
    case RuleFamily::Text:
        return rule.TextValue[Slot(slot)].text();  // as stored, blank-padded
    case RuleFamily::Date:
        return rule.TextValue[Slot(slot)].trimmed();
    }
    return {};
}

QStringList RandomBoxTexts(const ColumnRule& rule, RuleFamily family)
{
    return ShowGroup(rule, family, 3);
}

QStringList SequenceBoxTexts(const ColumnRule& rule, RuleFamily family)
{
    return ShowGroup(rule, family, 2);
}

int FocusSelectionLength(RuleFamily family, const QString& text)
{
    return static_cast<int>(family == RuleFamily::Text ? text.trimmed().size() : text.size());
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
    QString text;
    for (const auto& piece : rule.TextValue)
        text += piece.trimmed();
    return text;
}

}  // namespace basKovaData
