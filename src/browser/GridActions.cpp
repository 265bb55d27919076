#include "browser/GridActions.h"

#include "browser/ColumnGrid.h"
#include "controls/GridModel.h"
#include "rules/ColumnRule.h"
#include "rules/RuleLook.h"

#include <array>

namespace browser {

using basKovaData::ColumnRules;

EditorChoice ChooseEditor(const QString& typeText)
{
    struct Test {
        const char* prefix;
        RuleEditor editor;
    };
    // Tested in this order; only leading characters count. The national
    // types take character rules, their lengths counted in characters.
    static const std::array<Test, 13> tests = {{
        {"NUMBER", RuleEditor::Numeric},
        {"VARCHAR2", RuleEditor::Character},
        {"CHAR", RuleEditor::Character},
        {"DATE", RuleEditor::Date},
        {"TIMESTAMP", RuleEditor::Date},
        {"RAW", RuleEditor::Unsupported},
        {"LONG RAW", RuleEditor::Unsupported},
        {"BLOB", RuleEditor::Unsupported},
        {"CLOB", RuleEditor::Unsupported},
        {"BFILE", RuleEditor::Unsupported},
        {"NVARCHAR2", RuleEditor::Character},
        {"NCHAR", RuleEditor::Character},
        {"NCLOB", RuleEditor::Unsupported},
    }};
    for (const Test& test : tests) {
        const QString prefix = QString::fromLatin1(test.prefix);
        if (!typeText.startsWith(prefix))
            continue;
        EditorChoice choice{test.editor, {}};
        if (test.editor == RuleEditor::Unsupported)
            choice.message = prefix + QStringLiteral("型には対応していません。");
        return choice;
    }
    return {};
}

bool IsRuleCell(int row, int col)
{
    return col == ColRule && row >= 1 && row < int(ColumnRules.size());
}

void BeginRuleEdit(int row)
{
    if (row >= 1 && row < int(ColumnRules.size()))
        basKovaData::CurrentRule = ColumnRules[std::size_t(row)];
}

bool FinishRuleEdit(controls::GridModel& grid, int row)
{
    if (basKovaData::EditCancelled || row < 1 || row >= int(ColumnRules.size()))
        return false;
    ColumnRules[std::size_t(row)] = basKovaData::CurrentRule;
    grid.setRow(row);
    grid.setCol(ColRule);
    const auto look = basKovaData::StoredRuleLook(ColumnRules[std::size_t(row)].kindNumber());
    if (look)
        basKovaData::PaintRuleCell(grid, row, ColRule, *look);
    return true;
}

void ShowRules(controls::GridModel& grid)
{
    for (int row = 1; row < int(ColumnRules.size()); ++row) {
        const basKovaData::ColumnRule& rule = ColumnRules[std::size_t(row)];
        const auto look = rule.RuleKind.isBlank() ? std::nullopt : basKovaData::StoredRuleLook(rule.kindNumber());
        basKovaData::PaintRuleCell(grid, row, ColRule, look.value_or(basKovaData::EmptyRuleLook(rule.IsKey)));
    }
}

void ClearRules(controls::GridModel& grid, int row)
{
    const int last = int(ColumnRules.size()) - 1;
    const int first = row == 0 ? 1 : row;
    const int end = row == 0 ? last : row;
    if (row < 0 || row > last)
        return;
    for (int i = first; i <= end; ++i) {
        basKovaData::ColumnRule& rule = ColumnRules[std::size_t(i)];
        basKovaData::PaintRuleCell(grid, i, ColRule, basKovaData::EmptyRuleLook(rule.IsKey));
        // The whole rule goes, as when the table is loaded: a blank kind
        // over old values would still write them (it reads as 単一固定).
        rule.clearRule();
    }
}

}  // namespace browser
