#pragma once
// The PL/SQL of a row trigger that fills columns, read into a form the
// engine evaluates without PL/SQL: each column the body assigns becomes one
// SQL expression over the row. Assignments follow one another by
// substitution; IF ... ELSIF ... ELSE becomes CASE WHEN, which evaluates only
// the branch taken, so a sequence's NEXTVAL advances only when its branch
// runs. The body may declare variables and hold
//     :NEW.col := expression;       variable := expression;
//     SELECT expr [, ...] INTO :NEW.col [, ...] FROM DUAL | other tables ...;
//     IF condition THEN ... [ELSIF ...] [ELSE ...] END IF;   NULL;
// and nothing else; a body that holds anything else is refused by name.
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace TriggerBody {

// A piece of an expression: its own text, or a reference the row decides.
struct Piece {
    enum class Kind { Text, New, Old, Local, Inserting, Updating };
    Kind kind = Kind::Text;
    std::string text;  // Text: as written; New, Old: the column in capitals; Local: the variable
};
using Expr = std::vector<Piece>;

struct Step {
    enum class Kind { Assign, If };
    Kind kind = Kind::Assign;
    std::string target;  // Assign: "N:COLUMN" or "L:VARIABLE"
    Expr value;          // Assign
    std::vector<std::pair<Expr, std::vector<Step>>> branches;  // If: conditions and their steps
    std::vector<Step> otherwise;                               // If: ELSE
};

struct Body {
    std::vector<std::pair<std::string, Expr>> locals;  // declared variables with their first value
    std::vector<Step> steps;
};

// Reads a body (DECLARE ... BEGIN ... END;). `newName`, `oldName`: the
// correlation names (NEW, OLD unless REFERENCING renames them). Throws
// EngineError naming what it cannot keep.
Body Read(std::string_view body, const std::string& newName, const std::string& oldName);

// A condition as WHEN (...) writes it: NEW.col and OLD.col without colons.
Expr ReadCondition(std::string_view condition, const std::string& newName, const std::string& oldName);

// What a row is to the expressions: the SQL text of a column's value before
// the triggers and of its old value, and the statement's event.
struct Row {
    std::map<std::string, std::string> newValues;  // by column in capitals
    std::map<std::string, std::string> oldValues;
    bool inserting = false;
};

// The row's values as the triggers leave them, by key "N:COLUMN"; only the
// columns some trigger assigned are there.
using Values = std::map<std::string, std::string>;

// Runs `body` under `when` (empty for none) over `row` and `values` (the
// assignments of triggers that ran before).
void Apply(const Body& body, const Expr& when, const Row& row, Values* values);

// The SQL of an expression under the row and values.
std::string Render(const Expr& expr, const Row& row, const Values& values);

// Every column the body reads or assigns, in capitals.
std::vector<std::string> Columns(const Body& body, const Expr& when);

}  // namespace TriggerBody
