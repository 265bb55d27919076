#pragma once
// The line-mode SQL console: takes input one line at a time, gathers the lines
// of a statement, runs it and prints the result or the feedback line.
//
// A statement ends with a line whose last character outside quotes and
// comments is ";" (the ";" is not sent), or with a line holding only "/"
// (which sends the buffer, or runs the last statement again when the buffer is
// empty). A PL/SQL block (BEGIN or DECLARE first, or CREATE PROCEDURE and the
// like) ends only with the "/" line; see PlainBlock for what runs of it.
// Console commands are recognised only between statements:
//   -- text, REM[ARK] text   comments
//   PRO[MPT] text            prints the text
//   @path, @@path            runs a script (relative to the running script's folder)
//   SET option value ...     see ScriptSettings (SET TRANSACTION, ROLE and
//                            CONSTRAINT(S) are SQL)
//   SHO[W] option            a setting, USER, or ALL of them
//   DEF[INE], UNDEF[INE]     substitution variables (see SubstitutionVariables)
//   WHENEVER SQLERROR ...    see SqlErrorAction; WHENEVER OSERROR is ignored
//   EXEC[UTE] call           refused: it needs PL/SQL
//   EXIT, QUIT [code] [COMMIT|ROLLBACK]   ends the session (committing unless
//                            ROLLBACK is asked for)
// The whole session is one transaction at a time: it begins at start, COMMIT
// and ROLLBACK typed as statements end it and begin the next one, and the end
// of the session commits.
#include "ScriptSettings.h"
#include "SqlErrorAction.h"
#include "SubstitutionVariables.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class OraDatabase;
class OraSession;
class QTextStream;

class SqlConsole {
public:
    static constexpr int MaxScriptDepth = 20;

    // Begins the first transaction; a failure to do so is reported and counted.
    SqlConsole(std::shared_ptr<OraSession> session, std::shared_ptr<OraDatabase> database,
               QTextStream& out, QTextStream& err);

    // Takes one line of input (without its line break). Ignored once the
    // session has finished.
    void feedLine(const QString& line);
    // Runs a script file as if its lines had been typed; a relative path is
    // taken from the folder of the script that is running (the current
    // directory at the top level).
    void runScript(const QString& path);
    // The end of input: an unfinished statement is reported and not run, and
    // the transaction is committed. Does nothing once the session has finished.
    void finish();

    // The user SHOW USER names (as the login gave it).
    void setUser(const QString& user) { m_user = user; }

    bool finished() const { return m_finished; }
    // Statements and commands that failed so far.
    int failures() const { return m_failures; }
    // The status the session ends with: the code EXIT or WHENEVER SQLERROR
    // EXIT gave, else 1 when a statement or command failed, else 0.
    int exitCode() const { return m_exitCode.value_or(m_failures == 0 ? 0 : 1); }
    // Lines gathered for a statement that has not ended yet (0 between
    // statements).
    int pendingLines() const { return m_lines.size(); }

private:
    // Where the lines being fed come from, for error messages and for the
    // folder of nested scripts.
    struct Source {
        QString path;  // empty for typed input
        int line = 0;
    };

    void echo(const QString& line);
    bool runCommand(const QString& line);
    void showCommand(const QString& arguments);
    void wheneverCommand(const QString& arguments);
    void exitCommand(const QString& arguments);
    // Replaces the substitution variables of a command's text; false (and
    // the error reported) when one is not defined.
    bool substituteCommand(QString* text);
    void runStatement(const QString& sql);
    void runBlock(const QString& sql);
    void noteSessionSettings(const QString& sql, const QStringList& tokens);
    // What WHENEVER SQLERROR asks for after a failed statement (its error
    // reported already).
    void sqlFailed(const QString& message);
    // `afterError`: asked for by WHENEVER SQLERROR CONTINUE, silently.
    void endTransaction(bool commit, bool afterError = false);
    void endSession(SqlErrorAction::Transaction transaction = SqlErrorAction::Transaction::Commit);
    void discardUnfinished();
    void clearBuffer();
    // Prints the error and counts it; in a script, with the file's name and
    // `line` (the current line when 0).
    void reportError(const QString& message, int line = 0);

    std::shared_ptr<OraSession> m_session;
    std::shared_ptr<OraDatabase> m_database;
    QTextStream& m_out;
    QTextStream& m_err;

    QStringList m_lines;    // the statement being gathered
    bool m_hasText = false;  // it holds more than blanks and comments
    bool m_inQuote = false;
    bool m_inIdentifier = false;
    bool m_inComment = false;
    int m_firstLine = 0;     // the source line its first line came from
    // It ends only with "/" (a PL/SQL block); nothing while its first lines
    // do not tell.
    std::optional<bool> m_slashOnly;
    QString m_lastStatement;

    ScriptSettings m_settings;
    SubstitutionVariables m_variables;
    SqlErrorAction m_onError;
    QString m_user;
    QString m_dateFormat;  // NLS_DATE_FORMAT as ALTER SESSION set it
    int m_sqlCode = 0;     // the ORA number of the last statement, 0 when it ran
    std::optional<int> m_exitCode;

    QList<Source> m_sources;
    bool m_finished = false;
    int m_failures = 0;
};
