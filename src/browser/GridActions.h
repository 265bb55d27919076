#pragma once
// What the column grid's mouse actions do to the rule table: which editor a
// double-click on a 設定 cell opens, storing an edited rule, and clearing rules
// with the right button.
#include <QString>

namespace controls {
class GridModel;
}

namespace browser {

enum class RuleEditor { None, Numeric, Character, Date, Unsupported };

struct EditorChoice {
    RuleEditor editor = RuleEditor::None;
    QString message;  // for Unsupported: what to tell the user
};

// The editor for a column's type text, by its leading characters.
EditorChoice ChooseEditor(const QString& typeText);

// Whether a double-click on (row, col) concerns a column's rule: a column row
// that has an entry in the rule table, in the 設定 column.
bool IsRuleCell(int row, int col);

// Copies the rule of grid row `row` into CurrentRule before an editor opens.
void BeginRuleEdit(int row);

// After the editor closed: unless it was cancelled, copies CurrentRule back into
// the row's rule, selects just the row's 設定 cell and shows the rule's name in
// its colours. Returns whether the rule was stored.
bool FinishRuleEdit(controls::GridModel& grid, int row);

// Right-button press over the 設定 column at `row`: row 0 clears every rule,
// another row that row's rule (kind, values and every data-shape setting, as a
// freshly loaded column has it), and the cells return to their colours
// without a rule.
void ClearRules(controls::GridModel& grid, int row);

// Shows every column's rule in its 設定 cell (after the rules were loaded).
void ShowRules(controls::GridModel& grid);

}  // namespace browser
