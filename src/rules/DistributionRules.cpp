#include "rules/DistributionRules.h"

#include "generate/ColumnProfile.h"
#include "generate/InsertRow.h"
#include "rules/RuleEditing.h"
#include "shared/DateText.h"

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace basKovaData {

namespace {

using generate::ColumnProfile;

// What is left of a share after rounding: frequent values "cover every
// non-NULL row" when less than this is left.
constexpr double ShareSlack = 1e-6;

QString Percent(double share)
{
    return QString::number(share * 100.0, 'f', 1) + u" %"_s;
}

// A value or shape as the figures list it: long ones cut, so that the list keeps its width.
QString Shown(const QString& text)
{
    constexpr int Longest = 40;
    return text.size() > Longest ? text.left(Longest - 1) + u'…' : text;
}

QString Count(double value)
{
    return QString::number(value, 'f', 0);
}

QString BoundText(const ColumnProfile& profile, double bound)
{
    switch (profile.family) {
    case ColumnProfile::Family::Date:
        return generate::DateBoundText(bound);
    case ColumnProfile::Family::Number:
        return BoxNumberText(bound);
    case ColumnProfile::Family::Text:
        break;
    }
    return Count(bound);
}

// The multiple-fixed slot text of a value: a text that begins with "@" is
// data, not SQL typed by the user, so it goes in as a quoted literal.
QString SlotText(const QString& value)
{
    return value.startsWith(u'@') ? u"@"_s + SqlQuoted(value) : value;
}

bool FitsSlots(const ColumnProfile& profile, TypeFamily family)
{
    if (profile.frequent.empty() || profile.frequent.size() > std::size_t(RuleSlots)
        || profile.restShare() > ShareSlack)
        return false;
    for (const ColumnProfile::Frequent& value : profile.frequent) {
        const QString text = SlotText(value.value);
        if (text.size() > RuleTextWidth || (family == TypeFamily::Date && !IsDateText(text)))
            return false;
    }
    return true;
}

void SetMultiple(ColumnRule& rule, const ColumnProfile& profile, TypeFamily family)
{
    rule.setKind(Kind::Multiple);
    rule.RandomOrder = true;
    double most = 0.0;
    for (const ColumnProfile::Frequent& value : profile.frequent)
        most = std::max(most, value.share);
    QStringList texts;
    for (std::size_t i = 0; i < profile.frequent.size(); ++i) {
        const ColumnProfile::Frequent& value = profile.frequent[i];
        texts << SlotText(value.value);
        rule.MultiOn[i] = true;
        const long weight = most > 0 ? std::lround(double(MaxWeight) * value.share / most) : MinWeight;
        rule.Weight[i] = int(std::clamp<long>(weight, MinWeight, MaxWeight));
    }
    StoreMultipleBoxes(rule, family, texts);
}

// A whole-number column steps by 1, a column with decimals by its scale.
double RandomUnit(const ColumnRule& rule, const ColumnProfile& profile)
{
    if (rule.Scale > 0)
        return std::pow(10.0, -rule.Scale);
    const bool whole = std::floor(*profile.low) == *profile.low && std::floor(*profile.high) == *profile.high;
    return whole || rule.Length > 0 ? 1.0 : 0.01;
}

QString ShapeClass(QChar c)
{
    switch (c.unicode()) {
    case u'9':
        return u"\\d"_s;
    case u'A':
        return u"[A-Z]"_s;
    case u'a':
        return u"[a-z]"_s;
    case u'あ':
        return u"\\p{Hiragana}"_s;
    case u'ア':
        return u"\\p{Katakana}"_s;
    case u'漢':
        return u"\\p{Han}"_s;
    default:
        break;
    }
    if (u"\\^$.|?*+()[]{}"_s.contains(c))
        return u"\\"_s + c;
    return QString(c);
}

}  // namespace

std::vector<std::pair<QString, QString>> DistributionFigures(const ColumnProfile& profile)
{
    std::vector<std::pair<QString, QString>> figures;
    figures.emplace_back(u"NULL率"_s, Percent(profile.nulls));
    figures.emplace_back(u"異なる値"_s, Count(profile.distinct));
    QStringList frequent;
    for (std::size_t i = 0; i < profile.frequent.size() && i < std::size_t(ShownFrequentValues); ++i)
        frequent << Shown(profile.frequent[i].value) + u"  "_s + Percent(profile.frequent[i].share);
    if (profile.frequent.size() > std::size_t(ShownFrequentValues))
        frequent << u"ほか %1 件"_s.arg(profile.frequent.size() - std::size_t(ShownFrequentValues));
    figures.emplace_back(u"頻出値"_s, frequent.isEmpty() ? u"なし"_s : frequent.join(u'\n'));
    figures.emplace_back(u"ヒストグラム"_s, u"%1 区間（頻出値以外 %2）"_s.arg(profile.buckets.size()).arg(Percent(profile.restShare())));
    if (profile.low && profile.high) {
        const QString range = BoundText(profile, *profile.low) + u" ～ "_s + BoundText(profile, *profile.high);
        figures.emplace_back(profile.family == ColumnProfile::Family::Text ? u"長さ"_s : u"最小～最大"_s, range);
    }
    if (!profile.shapes.empty())
        figures.emplace_back(u"形"_s, Shown(profile.shapes.front().shape) + u"  "_s + Percent(profile.shapes.front().share));
    if (!profile.dictionary.isEmpty())
        figures.emplace_back(u"辞書"_s, profile.dictionary);
    if (profile.pair)
        figures.emplace_back(u"組"_s, u"%1 と組（%2 組）"_s.arg(profile.pair->column).arg(profile.pair->values.size()));
    else if (!profile.follows.isEmpty())
        figures.emplace_back(u"組"_s, u"%1 に従う"_s.arg(profile.follows));
    return figures;
}

OrdinaryRule OrdinaryRuleOf(const ColumnRule& rule)
{
    OrdinaryRule result;
    if (!rule.Distribution) {
        result.reason = u"分布の数値がありません。"_s;
        return result;
    }
    const ColumnProfile& profile = *rule.Distribution;
    const TypeFamily family = rule.family();
    const bool nullable = !rule.IsKey && !rule.IsNotNull;
    ColumnRule made = rule;
    made.clearRule();
    made.NullRate = nullable ? std::clamp(int(std::lround(profile.nulls * 100.0)), 0, 100) : 0;

    if (nullable && profile.nulls >= 1.0 - ShareSlack) {
        made.NullRate = 0;
        made.setKind(Kind::Null);
    } else if (family == TypeFamily::Character && DictionaryNames().contains(profile.dictionary)) {
        made.setKind(Kind::Dictionary);
        made.TextValue[0] = profile.dictionary;
    } else if (family != TypeFamily::Other && FitsSlots(profile, family)) {
        SetMultiple(made, profile, family);
    } else if ((family == TypeFamily::Numeric || family == TypeFamily::Date) && profile.low && profile.high) {
        made.setKind(Kind::Random);
        if (family == TypeFamily::Numeric) {
            made.NumValue[0] = *profile.low;
            made.NumValue[1] = *profile.high;
            made.NumValue[2] = RandomUnit(rule, profile);
        } else {
            made.TextValue[0] = generate::DateBoundText(*profile.low);
            made.TextValue[1] = generate::DateBoundText(*profile.high);
            made.TextValue[2] = u"1"_s;
        }
    } else if (family == TypeFamily::Character && !profile.shapes.empty() && profile.nulls < 1.0
               && profile.shapes.front().share / (1.0 - profile.nulls) >= DominantShapeShare - ShareSlack) {
        made.setKind(Kind::Pattern);
        made.Pattern = PatternOfShape(profile.shapes.front().shape);
    } else {
        result.reason = family == TypeFamily::Character
                            ? u"頻出値（16件まで）が値のすべてを覆わず、9割の値が共有する形もないため、"
                              u"通常のルールにできません。"_s
                        : family == TypeFamily::Other ? u"この型の列には通常のルールがありません。"_s
                                                      : u"最小値と最大値がないため、通常のルールにできません。"_s;
        return result;
    }
    result.rule = std::move(made);
    return result;
}

QString PatternOfShape(const QString& shape)
{
    QString pattern;
    for (qsizetype i = 0; i < shape.size();) {
        qsizetype run = 1;
        while (i + run < shape.size() && shape[i + run] == shape[i])
            ++run;
        pattern += ShapeClass(shape[i]);
        if (run > 1)
            pattern += u'{' + QString::number(run) + u'}';
        i += run;
    }
    return pattern;
}

}  // namespace basKovaData
