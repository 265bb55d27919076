#include "browser/CommandChecks.h"

#include "rules/ColumnRule.h"
#include "shared/NumberRead.h"

namespace browser {

namespace {

const int MaxSelectRules = 5;

QString CheckSelectRules()
{
    if (basKovaData::CountSelectRules() > MaxSelectRules)
        return QStringLiteral("項目設定の「編集」は一度に５項目までにして下さい。");
    return {};
}

}  // namespace

QString CheckName(const QString& nameText)
{
    if (nameText.trimmed().isEmpty())
        return QStringLiteral("まずテーブルをダブルクリックして選択して下さい。");
    return {};
}

QString CheckRows(const QString& countCaption, const QString& refusal)
{
    if (basKovaData::ReadNumber(countCaption) == 0)
        return refusal;
    return {};
}

QString CheckBeforeCreate(const QString& nameText)
{
    QString refusal = CheckName(nameText);
    if (refusal.isEmpty())
        refusal = CheckSelectRules();
    return refusal;
}

QString CheckBeforeUpdate(const QString& nameText, const QString& countCaption)
{
    QString refusal = CheckName(nameText);
    if (refusal.isEmpty())
        refusal = CheckRows(countCaption, NoDeleteRows);
    if (refusal.isEmpty() && basKovaData::CountSetRules() == 0)
        refusal = QStringLiteral("項目設定を行って下さい。");
    if (refusal.isEmpty())
        refusal = CheckSelectRules();
    return refusal;
}

}  // namespace browser
