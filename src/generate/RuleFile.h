#pragma once
// Rule files: the rules of one table as a JSON document (UTF-8) that people
// write by hand and tools produce, read back onto the loaded columns.
//
//   {"kova-rules": 1, "table": "T", "rows": 1000, "columns": [
//     {"column": "ID", "kind": "sequence", "start": 1, "step": 1}, ...]}
//
// Kinds: fixed ("value"), list ("values", at most 16, in the order they are
// used), random ("min", "max", "unit"), sequence ("start", "step"), select
// ("sql"), null, dictionary ("name", character columns), pattern ("pattern",
// a regular expression read as a recipe; character columns) and expression
// ("expression", JavaScript over the row) and distribution ("distribution",
// the figures of ColumnProfile.h, which hold their own NULL share). Every
// kind but null and distribution takes "null":
// a percentage of rows left NULL; list takes "order": "random" with
// "weights"; random, list, dictionary and pattern take "unique": true. The
// top level may carry "seed". NUMBER columns take numbers; character columns texts for
// fixed and list and numbers for random and sequence, with "pad": "zero",
// "blank" or "left"; DATE columns date texts ("YYYYMMDD" or "YYYYMMDD
// HHNNSS") with the unit and step as numbers. Whole numbers keep every digit
// up to 2^53 and are refused beyond it; a key written twice in one object
// refuses the file.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace generate {

inline constexpr int DefaultRuleFileRows = 100;

struct RuleFileLoad {
    // The file was not taken: `message` names the column (if any) and the
    // problem, and no rule was changed.
    bool refused = false;
    QString message;
    QString table;
    int rows = DefaultRuleFileRows;
    // The file's "seed": the same rows on every run.
    std::optional<std::uint64_t> seed;
    // Columns the file names that the table lacks, and "COLUMN (kind)" of
    // rules that do not fit their column's type; both were left out.
    QStringList missingColumns;
    QStringList misfits;
};

// Reads a rule file and, unless it is refused, replaces the rules of every
// loaded column (ColumnRules 1 to ColumnCount) with the file's.
RuleFileLoad ApplyRuleFile(const QByteArray& json);
// ApplyRuleFile of the file at `path`.
RuleFileLoad LoadRuleFile(const QString& path);

// The rules of the loaded columns as a rule file of `table`.
QByteArray RuleFileText(const QString& table, int rows, std::optional<std::uint64_t> seed = std::nullopt);
// Writes RuleFileText to `path` through a new file renamed over the old one;
// false with *error set when that failed (the old file is then untouched).
bool SaveRuleFile(const QString& path, const QString& table, int rows, QString* error,
                  std::optional<std::uint64_t> seed = std::nullopt);

// The folder the windows keep rule files in: "rules" beside the connection
// file, created when missing.
QString RuleFolder();

// What a window or a console says about a file taken with columns left out;
// empty when nothing was left out.
QString LeftOutText(const RuleFileLoad& load);

}  // namespace generate
