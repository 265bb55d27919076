#pragma once
// The SQL*Plus and SQLcl commands the console knows: one closed table of the
// command's name, the shortest abbreviation SQL*Plus takes for it, and what
// the console does with it. A line is a command when its first word is one
// of them ("@" and "@@" need no blank after them, "!" and "$" neither);
// every other line begins a SQL statement. SET TRANSACTION, SET ROLE and SET
// CONSTRAINT(S) are SQL.
#include <QLatin1StringView>
#include <QString>

#include <span>

namespace SqlPlusCommands {

enum class Action {
    Comment,     // REMARK
    Prompt,
    Script,      // @, @@, START
    Set,
    Show,
    Define,
    Undefine,
    Whenever,
    Execute,     // refused: a PL/SQL call
    Exit,
    Accept,      // defines the variable to its DEFAULT; reads no input
    Connect,     // commits, and stays on the same database
    Disconnect,  // commits
    Run,         // runs the last statement again, as "/"
    Load,        // SQLcl: rows of a CSV file into a table
    Describe,    // a table's or view's columns
    PassOver,    // changes nothing here; named in the session's closing note
    Refuse,      // would change what a script leaves behind in ways not done here
};

struct Command {
    QLatin1StringView name;
    int least;        // characters of the name that must be written
    Action action;
    const char* why;  // Refuse: why it is not done here
};

// Every command, in the order of the table (for the help text).
std::span<const Command> All();

// The command `line` (trimmed, not empty) begins with, its arguments (the
// text after its name, trimmed) into `arguments`; nullptr for a line of SQL.
const Command* Find(const QString& line, QString* arguments);

// The names as a help text lists them: "ACC[EPT]", "CONN[ECT]" ...
QString Spelling(const Command& command);

}  // namespace SqlPlusCommands
