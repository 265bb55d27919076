#pragma once
// INSERT statements written for SQL*Plus: every line short enough for it,
// and no value that its line reading can split or run. A character value
// goes as quoted pieces joined with "||", its line breaks as CHR(10) and
// CHR(13), so that no line of the script holds a line break, an empty line,
// a lone "/" or a ";" of a value; a value of more than 4,000 bytes goes as
// TO_CLOB pieces.
#include <QString>
#include <QStringView>

namespace basKovaData {
class StatementShape;
}

namespace generate {

// The longest line a script holds, in UTF-8 bytes (SQL*Plus takes 2,499).
inline constexpr qsizetype ScriptLineBytes = 2000;

// Appends the statement of `shape` and ";" as lines of a script.
void AppendScriptStatement(QString& out, const basKovaData::StatementShape& shape);

}  // namespace generate
