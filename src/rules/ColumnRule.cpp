#include "rules/ColumnRule.h"

#include "rules/RuleEditing.h"
#include "shared/NumberRead.h"

#include <algorithm>

namespace basKovaData {

std::vector<ColumnRule> ColumnRules(1);
ColumnRule CurrentRule;
std::optional<std::uint64_t> ChosenSeed;
bool EditCancelled = false;
qint16 ColumnCount = 0;

const QStringList& DictionaryNames()
{
    static const QStringList names = {
        QStringLiteral("姓"),       QStringLiteral("名"),       QStringLiteral("氏名"),
        QStringLiteral("姓カナ"),   QStringLiteral("名カナ"),   QStringLiteral("氏名カナ"),
        QStringLiteral("都道府県"), QStringLiteral("市区町村"), QStringLiteral("住所"),
        QStringLiteral("郵便番号"), QStringLiteral("電話番号"), QStringLiteral("携帯電話番号"),
        QStringLiteral("メールアドレス"), QStringLiteral("会社名"),
    };
    return names;
}

int ColumnRule::kindNumber() const
{
    // One character: a digit, or something that reads as 0. Every value of a
    // run asks, so a digit is taken as it stands.
    const QChar code = RuleKind.text().front();
    if (code >= u'0' && code <= u'9')
        return code.unicode() - u'0';
    return static_cast<int>(ReadNumber(RuleKind.text()));
}

QString KindCode(Kind kind)
{
    if (kind == Kind::None || kind == Kind::Unknown)
        return QString();
    return QString(QChar(u'0' + static_cast<int>(kind)));
}

namespace {

Kind KindOfNumber(int number)
{
    if (number < 0 || number > static_cast<int>(Kind::Distribution))
        return Kind::Unknown;
    return static_cast<Kind>(number);
}

}  // namespace

Kind ColumnRule::kind() const
{
    return KindOfNumber(kindNumber());
}

Kind ColumnRule::storedKind() const
{
    const QChar code = RuleKind.text().at(0);
    if (code == u' ')
        return Kind::None;
    if (code < u'0' || code > u'9')
        return Kind::Unknown;
    return KindOfNumber(code.unicode() - u'0');
}

void ColumnRule::clearRule()
{
    RuleKind = QString();
    MultiOn.fill(false);
    NumValue.fill(0.0);
    TextValue.fill(FixedField<RuleTextWidth>());
    NullRate = 0;
    RandomOrder = false;
    Weight = FilledWeights();
    Unique = false;
    Pattern.clear();
    Expression.clear();
    Parent.reset();
    Distribution.reset();
}

const ColumnRule::ParentLink* ColumnRule::parent() const
{
    if (!Parent || storedKind() != Kind::Select || JoinStatement(*this) != Parent->statement)
        return nullptr;
    return &*Parent;
}

TableRules TableRules::FromShared(const QString& table)
{
    TableRules rules;
    rules.table = table;
    rules.seed = ChosenSeed;
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(std::max<int>(ColumnCount, 0)) + 1, ColumnRules.size());
    rules.columns.assign(ColumnRules.begin(), ColumnRules.begin() + static_cast<std::ptrdiff_t>(count));
    if (rules.columns.empty())
        rules.columns.resize(1);
    return rules;
}

void ResetColumnRules()
{
    ColumnRules.assign(1, ColumnRule());
    CurrentRule = ColumnRule();
    ChosenSeed.reset();
    EditCancelled = false;
    ColumnCount = 0;
}

int CountSelectRules()
{
    int count = 0;
    for (std::size_t i = 1; i < ColumnRules.size(); ++i) {
        if (ColumnRules[i].kind() == Kind::Select)
            ++count;
    }
    return count;
}

int CountSetRules()
{
    int count = 0;
    for (std::size_t i = 1; i < ColumnRules.size(); ++i) {
        if (!ColumnRules[i].RuleKind.isBlank())
            ++count;
    }
    return count;
}

}  // namespace basKovaData
