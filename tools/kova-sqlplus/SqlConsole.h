#pragma once
// The line-mode SQL console: takes input one line at a time, gathers the lines
// of a statement, runs it and prints the result or the feedback line.
//
// How lines make commands and statements is ScriptLines' part (a trailing
// "-", the commands of SqlPlusCommands, ";", "/" and "."). What the console
// does with the commands:
//   -- text, REM[ARK] text   comments
//   PRO[MPT] text            prints the text
//   @path [arg ...]          runs a script, relative to the current directory;
//   @@path [arg ...]         relative to the running script's folder; START
//                            is @. The arguments are &1, &2 ... in it.
//   SET option value ...     see ScriptSettings (SET TRANSACTION, ROLE and
//                            CONSTRAINT(S) are SQL); SET LOAD and SET
//                            LOADFORMAT see TableLoad
//   SHO[W] option            a setting, USER, or ALL of them; ERR[ORS]
//                            shows "No errors." (nothing is compiled here)
//   DEF[INE], UNDEF[INE]     substitution variables (see SubstitutionVariables)
//   WHENEVER SQLERROR ...    see SqlErrorAction; WHENEVER OSERROR is ignored
//   EXEC[UTE] call           refused: it needs PL/SQL
//   ACC[EPT] name ...        asks when there is someone to ask (setAsker;
//                            an empty answer takes DEF[AULT] text); else
//                            defines name as the DEFAULT, or keeps a value
//                            defined already, or is an error
//   CONN[ECT], DISC[ONNECT]  commit; the session stays on its database (a
//                            CONNECT naming another is warned of), and
//                            SHOW USER names the user CONNECT names
//   R[UN]                    as "/"
//   DESC[RIBE] table         its columns: name, NOT NULL, type
//   LOAD table file.csv      see TableLoad
//   EXIT, QUIT [code] [COMMIT|ROLLBACK]   ends the session (committing unless
//                            ROLLBACK is asked for)
// The commands that change nothing here (SPOOL, COLUMN, BREAK ...) are
// taken, and the session ends with a note naming each once with its count
// ("note: ignored SQL*Plus commands: SPOOL (3), COLUMN (12)"), and one for
// each CREATE DIMENSION the database took ("note: CREATE DIMENSION TIMES_DIM
// kept as metadata, no effect");
// those that would change what a script leaves (CHANGE, GET, COPY ...) are
// errors. Substitution variables are replaced in every command but REMARK.
// The whole session is one transaction at a time: it begins at start, COMMIT
// and ROLLBACK typed as statements end it and begin the next one, and the end
// of the session commits.
#include "ScriptLines.h"
#include "ScriptSettings.h"
#include "SqlErrorAction.h"
#include "SubstitutionVariables.h"
#include "TableLoad.h"

#include <QString>
#include <QStringList>

#include <functional>
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
    // Runs a script file as if its lines had been typed, its `arguments`
    // defined as the variables 1, 2 ...; a relative path is taken from the
    // current directory, or with `nested` from the folder of the script that
    // is running.
    void runScript(const QString& path, const QStringList& arguments = {}, bool nested = false);
    // The end of input: an unfinished statement is reported and not run, and
    // the transaction is committed. Does nothing once the session has finished.
    void finish();

    // Asks the user for a value (`hide`: without echo); none when there is
    // no answer. With it, ACCEPT and a substitution variable that is not
    // defined ask (a value given for "&&name" or to ACCEPT is kept, one for
    // "&name" serves that line only); without it nothing asks.
    using Asker = std::function<std::optional<QString>(const QString& prompt, bool hide)>;
    void setAsker(Asker asker) { m_ask = std::move(asker); }

    // The user SHOW USER names (as the login gave it).
    void setUser(const QString& user) { m_user = user; }
    // The service (a database file's name) the session is on: a CONNECT
    // naming another one is warned of, once per service.
    void setService(const QString& service) { m_service = service; }

    bool finished() const { return m_finished; }
    // Statements and commands that failed so far.
    int failures() const { return m_failures; }
    // The status the session ends with: the code EXIT or WHENEVER SQLERROR
    // EXIT gave, else 1 when a statement or command failed, else 0.
    int exitCode() const { return m_exitCode.value_or(m_failures == 0 ? 0 : 1); }
    // Lines gathered for a statement that has not ended yet (0 between
    // statements).
    int pendingLines() const { return m_script.pendingLines(); }
    // The first line of a command or statement goes on after a "-".
    bool continuing() const { return m_script.continuing(); }

private:
    // Where the lines being fed come from, for error messages and for the
    // folder of nested scripts.
    struct Source {
        QString path;  // empty for typed input
        int line = 0;
    };

    void echo(const QString& line);
    void runCommand(const SqlPlusCommands::Command& command, QString arguments);
    void setCommand(const QString& arguments);
    void acceptCommand(const QString& arguments);
    void connectCommand(const SqlPlusCommands::Command& command, const QString& arguments);
    void warnOtherDatabase(const QString& user, const QString& service);
    void loadCommand(const QString& arguments);
    void describeCommand(const QString& arguments);
    void passOver(const QString& command);
    void printNotes();
    void showCommand(const QString& arguments);
    void wheneverCommand(const QString& arguments);
    void exitCommand(const QString& arguments);
    // Replaces the substitution variables of a command's text; false (and
    // the error reported) when one is not defined.
    bool substituteCommand(QString* text);
    // The text with its variables replaced, asking for those not defined
    // when there is someone to ask.
    SubstitutionVariables::Result substitute(const QString& text);
    void runStatement(const QString& sql);
    void runBlock(const QString& sql);
    void noteSessionSettings(const QString& sql, const QStringList& tokens);
    // A CREATE DIMENSION the database took: named in the closing notes.
    void noteDimension(const QStringList& tokens);
    // What WHENEVER SQLERROR asks for after a failed statement (its error
    // reported already).
    void sqlFailed(const QString& message);
    // `afterError`: asked for by WHENEVER SQLERROR CONTINUE, silently.
    void endTransaction(bool commit, bool afterError = false);
    void endSession(SqlErrorAction::Transaction transaction = SqlErrorAction::Transaction::Commit);
    void discardUnfinished();
    // Prints the error and counts it; in a script, with the file's name and
    // `line` (the current line when 0).
    void reportError(const QString& message, int line = 0);

    std::shared_ptr<OraSession> m_session;
    std::shared_ptr<OraDatabase> m_database;
    QTextStream& m_out;
    QTextStream& m_err;

    ScriptLines m_script;
    int m_firstLine = 0;     // the source line the statement or command began at
    QString m_lastStatement;
    // Commands passed over, in the order first met, with their counts; the
    // dimensions the database keeps with no effect.
    QList<std::pair<QString, int>> m_passedOver;
    QStringList m_dimensions;
    TableLoad m_load;

    ScriptSettings m_settings;
    SubstitutionVariables m_variables;
    SqlErrorAction m_onError;
    QString m_user;
    QString m_service;
    QStringList m_otherServices;  // named by a CONNECT and warned of
    Asker m_ask;
    QString m_dateFormat;  // NLS_DATE_FORMAT as ALTER SESSION set it
    int m_sqlCode = 0;     // the ORA number of the last statement, 0 when it ran
    std::optional<int> m_exitCode;

    QList<Source> m_sources;
    bool m_finished = false;
    int m_failures = 0;
};
