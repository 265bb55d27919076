// The console's commands: what each of SqlPlusCommands does here.
#include "SqlConsole.h"

#include "PlainBlock.h"

#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "session/OraSession.h"

#include "shared/StatementShape.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

using namespace Qt::StringLiterals;

using SqlPlusCommands::Action;

void SqlConsole::runCommand(const SqlPlusCommands::Command& command, QString arguments)
{
    if (command.action == Action::Comment)
        return;
    if (!substituteCommand(&arguments))
        return;
    // A ";" may end a command's line.
    const auto withoutSemicolon = [](QString text) {
        if (text.endsWith(u';'))
            text.chop(1);
        return text.trimmed();
    };
    switch (command.action) {
    case Action::Comment:
        break;
    case Action::Prompt:
        m_out << arguments << '\n';
        break;
    case Action::Script: {
        const ScriptLines::ScriptCall call = ScriptLines::readScriptCall(arguments);
        if (call.file.isEmpty())
            reportError(u"a script file name must follow %1"_s.arg(command.name));
        else
            runScript(call.file, call.arguments, command.name == "@@"_L1);
        break;
    }
    case Action::Set:
        setCommand(arguments);
        break;
    case Action::Show:
        showCommand(arguments);
        break;
    case Action::Define: {
        QString error;
        const QString shown = m_variables.defineCommand(arguments, &error);
        if (!error.isEmpty())
            reportError(error);
        else if (!shown.isEmpty())
            m_out << shown << '\n';
        break;
    }
    case Action::Undefine: {
        QString error;
        m_variables.undefineCommand(arguments, &error);
        if (!error.isEmpty())
            reportError(error);
        break;
    }
    case Action::Whenever:
        wheneverCommand(arguments);
        break;
    case Action::Execute: {
        // A failed call as far as the script is concerned.
        const QString message = PlainBlock::unsupported(u"EXECUTE (a PL/SQL call)"_s);
        reportError(message);
        sqlFailed(message);
        break;
    }
    case Action::Exit:
        exitCommand(arguments);
        break;
    case Action::Accept:
        acceptCommand(withoutSemicolon(arguments));
        break;
    case Action::Connect:
    case Action::Disconnect:
        connectCommand(command, withoutSemicolon(arguments));
        break;
    case Action::Run:
        if (!m_lastStatement.isEmpty())
            runStatement(m_lastStatement);
        break;
    case Action::Load:
        loadCommand(withoutSemicolon(arguments));
        break;
    case Action::Describe:
        describeCommand(withoutSemicolon(arguments));
        break;
    case Action::PassOver:
        passOver(command.name);
        break;
    case Action::Refuse:
        reportError(u"%1 is not run here: %2"_s.arg(command.name, QLatin1String(command.why)));
        break;
    }
    m_out.flush();
}

void SqlConsole::setCommand(const QString& arguments)
{
    const QString option = arguments.section(u' ', 0, 0, QString::SectionSkipEmpty).toUpper();
    const QString rest = arguments.section(u' ', 1, -1, QString::SectionSkipEmpty);
    QStringList errors;
    if (option == "LOAD"_L1)
        errors = m_load.setLoad(rest);
    else if (option == "LOADFORMAT"_L1)
        errors = m_load.setFormat(rest);
    else
        errors = m_settings.set(arguments);
    for (const QString& error : std::as_const(errors))
        reportError(error);
}

void SqlConsole::acceptCommand(const QString& arguments)
{
    const QStringList words = ScriptLines::words(arguments);
    const QString name = words.value(0);
    if (name.isEmpty() || !std::all_of(name.begin(), name.end(), SubstitutionVariables::isNameCharacter)) {
        reportError(u"ACCEPT takes the name of a substitution variable, not \"%1\""_s.arg(name));
        return;
    }
    std::optional<QString> fallback;
    QString prompt;
    bool hide = false;
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (ScriptSettings::abbreviates(words[i], "DEFAULT"_L1, 3) && i + 1 < words.size())
            fallback = words[++i];
        else if (words[i].compare("PROMPT"_L1, Qt::CaseInsensitive) == 0 && i + 1 < words.size())
            prompt = words[++i];
        else if (words[i].compare("HIDE"_L1, Qt::CaseInsensitive) == 0)
            hide = true;
    }
    if (m_ask) {
        if (const std::optional<QString> answer = m_ask(prompt, hide)) {
            m_variables.define(name, answer->isEmpty() && fallback ? *fallback : *answer);
            return;
        }
    }
    if (fallback) {
        m_variables.define(name, *fallback);
        return;
    }
    if (m_variables.value(name)) {
        passOver(u"ACCEPT"_s);
        return;
    }
    // Input may be no terminal, and a script's lines are not the place for
    // the value: nothing asks for it.
    reportError(u"ACCEPT %1 has no DEFAULT and %1 is not defined; nothing asks for a value here "
                "(DEFINE %1 = value before it, or give ACCEPT a DEFAULT)"_s.arg(name.toUpper()));
}

void SqlConsole::connectCommand(const SqlPlusCommands::Command& command, const QString& arguments)
{
    // The old session ends, committing, as SQL*Plus ends it; the new one is
    // on the same database.
    endTransaction(true, true);
    if (command.action == Action::Connect) {
        const QString login = arguments.section(u' ', 0, 0, QString::SectionSkipEmpty);
        const QString user = login.section(u'@', 0, 0).section(u'/', 0, 0);
        if (!user.isEmpty())
            setUser(user.startsWith(u'"') && user.endsWith(u'"') && user.size() >= 2 ? user.mid(1, user.size() - 2)
                                                                                    : user.toUpper());
        const qsizetype at = login.lastIndexOf(u'@');
        if (at >= 0)
            warnOtherDatabase(user, login.mid(at + 1));
    }
    passOver(command.name);
}

void SqlConsole::warnOtherDatabase(const QString& user, const QString& service)
{
    if (m_service.isEmpty() || service.isEmpty() || m_otherServices.contains(service))
        return;
    // The session's file, and the file the service names (none when it names
    // no file).
    const std::optional<QString> file = OraSession::EmbeddedDatabasePath(m_service);
    const std::optional<QString> named = OraSession::EmbeddedDatabasePath(service);
    if (file ? named == file : service.compare(m_service.trimmed(), Qt::CaseInsensitive) == 0)
        return;
    m_otherServices.append(service);
    m_out.flush();
    m_err << "warning: CONNECT " << user << '@' << service << ": the session stays on " << file.value_or(m_service)
          << '\n';
    m_err.flush();
}

void SqlConsole::loadCommand(const QString& arguments)
{
    QStringList words = ScriptLines::words(arguments);
    if (!words.isEmpty() && words[0].compare("TABLE"_L1, Qt::CaseInsensitive) == 0)
        words.removeFirst();
    if (words.size() < 2) {
        reportError(u"LOAD takes a table and a CSV file: LOAD [TABLE] [schema.]table file.csv"_s);
        return;
    }
    if (words.size() > 2) {
        reportError(u"LOAD %1: \"%2\" is not done here (LOAD loads rows into a table that exists)"_s.arg(words[0], words[2]));
        return;
    }
    // The file from the current directory; failing that, beside the script
    // that loads it.
    QString file = QDir::current().absoluteFilePath(words[1]);
    const QString& running = m_sources.last().path;
    if (!QFileInfo::exists(file) && !running.isEmpty())
        file = QFileInfo(running).absoluteDir().absoluteFilePath(words[1]);
    TableLoad::Outcome outcome;
    try {
        outcome = m_load.run(*m_database, [this] {
            m_session->DbCommitTrans();
            m_session->DbBeginTrans();
        }, words[0], QDir::cleanPath(file), m_dateFormat);
    } catch (const OraError& error) {
        outcome.refusal = error.message();
    }
    if (!outcome.refusal.isEmpty()) {
        reportError(u"LOAD %1: %2"_s.arg(words[0], outcome.refusal));
        sqlFailed(outcome.refusal);
        return;
    }
    m_out << "#INFO Number of rows processed: " << outcome.processed << '\n'
          << "#INFO Number of rows in error: " << outcome.errors.size() << '\n';
    if (outcome.errors.isEmpty()) {
        m_out << "SUCCESS: Processed without errors\n";
        m_sqlCode = 0;
        return;
    }
    QString message = outcome.errors.join(u'\n');
    message += outcome.stopped ? u"\nThe load stops after more rows in error than SET LOAD ERRORS allows; the rows "
                                 "since its last commit are undone, %1 rows stay loaded."_s.arg(outcome.loaded)
                               : u"\n%1 rows loaded, %2 rows in error."_s.arg(outcome.loaded).arg(outcome.errors.size());
    reportError(u"LOAD %1 from %2:\n"_s.arg(words[0], words[1]) + message);
    sqlFailed(outcome.errors.first());
}

void SqlConsole::describeCommand(const QString& arguments)
{
    QString name = arguments.section(u'.', -1).trimmed();
    name = name.size() >= 2 && name.startsWith(u'"') && name.endsWith(u'"') ? name.mid(1, name.size() - 2)
                                                                             : name.toUpper();
    QString sql = u"SELECT COLUMN_NAME, NULLABLE, DATA_TYPE, DATA_PRECISION, DATA_SCALE, CHAR_LENGTH, CHAR_USED, "
                  "DATA_LENGTH FROM USER_TAB_COLUMNS WHERE TABLE_NAME = "_s;
    basKovaData::AppendQuoted(sql, name);
    sql += u" ORDER BY COLUMN_ID"_s;
    QStringList lines;
    try {
        for (auto rows = m_database->DBCreateDynaset(sql); !rows->IsEOF(); rows->MoveNext()) {
            const QString type = rows->Value(2).toString();
            QString shown = type;
            if (type.endsWith("CHAR"_L1) || type.endsWith("CHAR2"_L1)) {
                shown += u'(' + rows->Value(5).toString()
                         + (rows->Value(6).toString() == "C"_L1 && !type.startsWith(u'N') ? u" CHAR)"_s : u")"_s);
            } else if ((type == "NUMBER"_L1 || type == "FLOAT"_L1) && !rows->Value(3).isNull()) {
                const QString scale = rows->Value(4).toString();
                shown += u'(' + rows->Value(3).toString()
                         + (type == "NUMBER"_L1 && !scale.isEmpty() && scale != "0"_L1 ? u',' + scale : QString()) + u')';
            } else if (type == "RAW"_L1) {
                shown += u'(' + rows->Value(7).toString() + u')';
            }
            lines.append(u' ' + rows->Value(0).toString().leftJustified(41) + u' '
                         + (rows->Value(1).toString() == "N"_L1 ? u"NOT NULL"_s : QString()).leftJustified(8) + u' '
                         + shown);
        }
    } catch (const OraError& error) {
        reportError(error.message());
        return;
    }
    if (lines.isEmpty()) {
        reportError(u"ORA-04043: object %1 does not exist"_s.arg(arguments));
        return;
    }
    m_out << u" Name"_s.leftJustified(42) << " Null?    Type\n"
          << u' ' << QString(41, u'-') << u' ' << QString(8, u'-') << u' ' << QString(28, u'-') << '\n'
          << lines.join(u'\n') << '\n';
}

void SqlConsole::passOver(const QString& command)
{
    for (auto& [name, count] : m_passedOver) {
        if (name == command) {
            ++count;
            return;
        }
    }
    m_passedOver.append({command, 1});
}

void SqlConsole::printNotes()
{
    m_out.flush();
    if (!m_passedOver.isEmpty()) {
        QStringList named;
        for (const auto& [name, count] : std::as_const(m_passedOver))
            named.append(u"%1 (%2)"_s.arg(name).arg(count));
        m_err << "note: ignored SQL*Plus commands: " << named.join(", "_L1) << '\n';
    }
    for (const QString& dimension : std::as_const(m_dimensions))
        m_err << "note: CREATE DIMENSION " << dimension << " kept as metadata, no effect\n";
    m_err.flush();
}

void SqlConsole::showCommand(const QString& arguments)
{
    QString name = arguments;
    if (name.endsWith(QLatin1Char(';')))
        name.chop(1);
    name = name.trimmed();
    if (name.compare("USER"_L1, Qt::CaseInsensitive) == 0) {
        m_out << "USER is \"" << m_user << "\"\n";
    } else if (ScriptSettings::abbreviates(name.section(u' ', 0, 0), "ERRORS"_L1, 3)) {
        // Nothing is compiled here, so nothing has errors to show.
        m_out << "No errors.\n";
    } else if (const std::optional<QString> shown = m_settings.show(name)) {
        m_out << *shown << '\n';
    } else {
        reportError(u"SHOW takes ALL, DEFINE, ECHO, ERRORS, FEEDBACK, USER or VERIFY; this console keeps no setting \"%1\""_s
                        .arg(name));
    }
}

void SqlConsole::wheneverCommand(const QString& arguments)
{
    const QString words = arguments.simplified();
    const QString condition = words.section(QLatin1Char(' '), 0, 0).toUpper();
    if (condition == QLatin1String("SQLERROR")) {
        const QString error = m_onError.set(words.section(QLatin1Char(' '), 1));
        if (!error.isEmpty())
            reportError(error);
    } else if (condition != QLatin1String("OSERROR")) {
        // OSERROR is taken and changes nothing: no command here fails on the
        // system's side in a way a script could go on from.
        reportError(u"WHENEVER takes SQLERROR or OSERROR, not \"%1\""_s.arg(arguments));
    }
}

void SqlConsole::exitCommand(const QString& arguments)
{
    QString error;
    std::optional<SqlErrorAction::Exit> exit =
        SqlErrorAction::readExit(arguments.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts), &error);
    if (!exit) {
        // As SQL*Plus does with an EXIT it cannot read: FAILURE, committing.
        reportError(error + u"; the session ends with FAILURE"_s);
        exit = SqlErrorAction::Exit{SqlErrorAction::Exit::Code::Fixed, 1, SqlErrorAction::Transaction::Commit};
    }
    if (const std::optional<int> status = exit->status(m_sqlCode))
        m_exitCode = status;
    endSession(exit->transaction);
}

