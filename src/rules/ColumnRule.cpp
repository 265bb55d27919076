#include "rules/ColumnRule.h"

#include "shared/NumberRead.h"

namespace basKovaData {

std::vector<ColumnRule> ColumnRules(1);
ColumnRule CurrentRule;
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
    // One character: a digit, or something that reads as 0.
    return static_cast<int>(ReadNumber(RuleKind.text()));
}

void ColumnRule::clearRule()
{
    RuleKind = QString();
    MultiOn.fill(false);
    NumValue.fill(0.0);
    TextValue.fill(FixedField<RuleTextWidth>());
}

void ResetColumnRules()
{
    ColumnRules.assign(1, ColumnRule());
    CurrentRule = ColumnRule();
    EditCancelled = false;
    ColumnCount = 0;
}

int CountSelectRules()
{
    int count = 0;
    for (std::size_t i = 1; i < ColumnRules.size(); ++i) {
        if (ColumnRules[i].kindNumber() == 4)
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
