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

// Appends a statement written by hand (a project's "before" and "after") and
// ";" as lines that SQL*Plus reads as one statement: a line longer than
// ScriptLineBytes is broken at a blank outside literals, quoted names and
// "--" comments. Returns why it cannot be so written, leaving `out` as it
// was: a line that is only "/" or ".", that starts with "#" or ends with ";"
// or " -" (which SQL*Plus reads as its own, whether in a literal or not), a
// long line with no blank to break it at, a quote that is not closed.
QString AppendScriptText(QString& out, QStringView statement);

}  // namespace generate
