#include "rules/RuleLook.h"

#include <array>

namespace basKovaData {

using controls::GridRgb;

std::optional<RuleCellLook> StoredRuleLook(int kindNumber)
{
    static const std::array<RuleCellLook, 10> looks = {{
        {QStringLiteral("単一固定"), GridRgb(0, 0, 255), controls::GridWhite},
        {QStringLiteral("複数固定"), GridRgb(0, 150, 150), controls::GridWhite},
        {QStringLiteral("ランダム"), GridRgb(150, 0, 150), controls::GridWhite},
        {QStringLiteral("連番"), GridRgb(0, 255, 0), controls::GridWhite},
        {QStringLiteral("編集"), GridRgb(150, 150, 0), controls::GridWhite},
        {QStringLiteral("NULL"), controls::GridWhite, controls::GridBlack},
        {QStringLiteral("辞書"), GridRgb(255, 128, 0), controls::GridWhite},
        {QStringLiteral("パターン"), GridRgb(128, 64, 0), controls::GridWhite},
        {QStringLiteral("式"), GridRgb(255, 255, 160), GridRgb(128, 0, 0)},
        {QStringLiteral("分布"), GridRgb(0, 90, 160), controls::GridWhite},
    }};
    if (kindNumber < 0 || kindNumber >= int(looks.size()))
        return std::nullopt;
    return looks[std::size_t(kindNumber)];
}

RuleCellLook EmptyRuleLook(bool isKey)
{
    return {QString(), isKey ? controls::GridCyan : controls::GridWhite, controls::GridBlack};
}

void PaintRuleCell(controls::GridModel& grid, int row, int col, const RuleCellLook& look)
{
    grid.setTextMatrix(row, col, look.text);
    grid.setCellBackColor(row, col, look.back);
    grid.setCellForeColor(row, col, look.fore);
}

}  // namespace basKovaData
