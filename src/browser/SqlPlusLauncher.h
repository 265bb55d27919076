#pragma once
// Starting SQL*Plus (or the configured console) on the current login. The
// program runs on its own; the main window does not wait for it.
#include <QString>
#include <QStringList>

#include <functional>

namespace browser {

enum class SqlPlusStart { Started, WrongPath, Failed };

struct LaunchPlan {
    QString program;
    QStringList arguments;
};

// Whether a program needs a terminal to be seen: a script, or a program that
// links no windowing library. A file that cannot be read counts as a window
// program (it is started as it is).
bool IsConsoleProgram(const QString& path);

// The command that starts `path` with the logon text as its one argument;
// a console program is started inside `terminal` when one is given.
LaunchPlan PlanSqlPlusStart(const QString& path, const QString& login, bool console,
                            const QString& terminal);

// The terminal program of this desktop, or an empty text when there is none.
QString FindTerminal();
// Replaces the terminal lookup (an empty function restores FindTerminal).
void SetTerminalLookup(std::function<QString()> lookup);

// Checks the trimmed path and starts the program, detached, with `login`
// (user "/" password "@" service) as its argument.
SqlPlusStart StartSqlPlus(const QString& sqlPlusPath, const QString& login);

inline const QString WrongSqlPlusPath =
    QStringLiteral("SQL PLUSのパス設定が間違っています。オプションで設定してください。");

}  // namespace browser
