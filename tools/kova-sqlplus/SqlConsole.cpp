#include "SqlConsole.h"

#include "PlainBlock.h"
#include "ResultPrinter.h"

#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "session/OraSession.h"
#include "engine/SqlLexer.h"
#include "shared/Cp932.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextStream>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// The savepoint that a block's statements are undone to when one fails.
const QString BlockSavepoint = u"KOVA_BLOCK"_s;

// The first tokens of a statement, blanks and comments skipped: words in
// upper case, any other symbol on its own ("(SELECT" gives "(", "SELECT").
QStringList LeadingTokens(const QString& sql)
{
    const LexedStatement lexed = LexStatement(sql.toStdString());
    QStringList tokens;
    for (int i = 0; i < lexed.headCount; ++i)
        tokens.append(QString::fromStdString(lexed.head[static_cast<size_t>(i)].text));
    return tokens;
}

QString RowFeedback(qint64 rows, const char* verb)
{
    if (rows == 1)
        return QStringLiteral("1 row %1.").arg(QLatin1String(verb));
    return QStringLiteral("%1 rows %2.").arg(rows).arg(QLatin1String(verb));
}

// "Table created.", "View dropped." ... for the object the statement names
// after its verb (words such as OR REPLACE or UNIQUE in between are skipped).
QString ObjectFeedback(const QStringList& tokens, const char* verb)
{
    static const QStringList Modifiers = {
        QStringLiteral("OR"),     QStringLiteral("REPLACE"), QStringLiteral("FORCE"),
        QStringLiteral("NOFORCE"), QStringLiteral("UNIQUE"),  QStringLiteral("BITMAP"),
        QStringLiteral("GLOBAL"), QStringLiteral("TEMPORARY"), QStringLiteral("PUBLIC")};
    static const QStringList Objects = {QStringLiteral("TABLE"),    QStringLiteral("VIEW"),
                                        QStringLiteral("INDEX"),    QStringLiteral("SEQUENCE"),
                                        QStringLiteral("SYNONYM"),  QStringLiteral("TRIGGER"),
                                        QStringLiteral("SESSION"),  QStringLiteral("USER"),
                                        QStringLiteral("ROLE")};
    for (qsizetype i = 1; i < tokens.size(); ++i) {
        if (Modifiers.contains(tokens[i]))
            continue;
        if (!Objects.contains(tokens[i]))
            break;
        const QString object = tokens[i].left(1) + tokens[i].mid(1).toLower();
        return QStringLiteral("%1 %2.").arg(object, QLatin1String(verb));
    }
    return QStringLiteral("Statement processed.");
}

QString Feedback(const QStringList& tokens, qint64 rows)
{
    const QString verb = tokens.value(0);
    if (verb == QLatin1String("INSERT"))
        return RowFeedback(rows, "created");
    if (verb == QLatin1String("UPDATE"))
        return RowFeedback(rows, "updated");
    if (verb == QLatin1String("DELETE"))
        return RowFeedback(rows, "deleted");
    if (verb == QLatin1String("MERGE"))
        return RowFeedback(rows, "merged");
    if (verb == QLatin1String("CREATE"))
        return ObjectFeedback(tokens, "created");
    if (verb == QLatin1String("DROP"))
        return ObjectFeedback(tokens, "dropped");
    if (verb == QLatin1String("ALTER"))
        return ObjectFeedback(tokens, "altered");
    if (verb == QLatin1String("TRUNCATE"))
        return ObjectFeedback(tokens, "truncated");
    if (verb == QLatin1String("ANALYZE"))
        return ObjectFeedback(tokens, "analyzed");
    if (verb == QLatin1String("COMMENT"))
        return QStringLiteral("Comment created.");
    if (verb == QLatin1String("SAVEPOINT"))
        return QStringLiteral("Savepoint created.");
    if (verb == QLatin1String("GRANT") || verb == QLatin1String("REVOKE"))
        return verb.left(1) + verb.mid(1).toLower() + QStringLiteral(" succeeded.");
    if (verb == QLatin1String("SET") && tokens.value(1).startsWith(QLatin1String("CONSTRAINT")))
        return QStringLiteral("Constraint set.");
    return QStringLiteral("Statement processed.");
}

bool IsQuery(const QStringList& tokens)
{
    for (const QString& token : tokens) {
        if (token == QLatin1String("("))
            continue;
        return token == QLatin1String("SELECT") || token == QLatin1String("WITH");
    }
    return false;
}

// COMMIT or ROLLBACK, alone or followed by WORK; 0 for any other statement.
int TransactionCommand(const QStringList& tokens)
{
    if (tokens.isEmpty() || tokens.size() > 2 || (tokens.size() == 2 && tokens[1] != QLatin1String("WORK")))
        return 0;
    if (tokens[0] == QLatin1String("COMMIT"))
        return 1;
    if (tokens[0] == QLatin1String("ROLLBACK"))
        return -1;
    return 0;
}

QString WithoutTrailingBlanks(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    text.truncate(end);
    return text;
}

QString UndefinedMessage(const QString& name)
{
    // Input may be no terminal, and a script's lines are not the place for
    // the value: nothing asks for it.
    return u"substitution variable &%1 is not defined (DEFINE %1 = value defines it)"_s.arg(name);
}

// A script file's text: UTF-8 (with or without a byte order mark), or code
// page 932 when the bytes are no UTF-8.
QString DecodeScript(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = basKovaData::FromCp932(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

}  // namespace

SqlConsole::SqlConsole(std::shared_ptr<OraSession> session, std::shared_ptr<OraDatabase> database,
                       QTextStream& out, QTextStream& err)
    : m_session(std::move(session)), m_database(std::move(database)), m_out(out), m_err(err)
{
    m_sources.append(Source{});
    try {
        m_session->DbBeginTrans();
    } catch (const OraError& error) {
        reportError(error.message());
    }
}

void SqlConsole::feedLine(const QString& text)
{
    if (m_finished)
        return;
    // A carriage return before the line break ends the line, unless the line
    // ends inside a literal that goes on: there it is part of the value.
    QString line = text;
    const bool carriageReturn = line.endsWith(QLatin1Char('\r'));
    if (carriageReturn)
        line.chop(1);
    const int lineNumber = ++m_sources.last().line;
    echo(line);
    const QString trimmed = line.trimmed();

    if (!m_inQuote && !m_inIdentifier && !m_inComment && trimmed == QLatin1String("/")) {
        if (m_lines.isEmpty()) {
            if (!m_lastStatement.isEmpty()) {
                m_firstLine = lineNumber;
                runStatement(m_lastStatement);
            }
        } else {
            const QString sql = m_lines.join(QLatin1Char('\n'));
            clearBuffer();
            runStatement(sql);
        }
        return;
    }
    if (m_lines.isEmpty()) {
        if (trimmed.isEmpty() || runCommand(trimmed))
            return;
        m_firstLine = lineNumber;
    }

    // Follow quotes and comments to the line's end, noting its last
    // character outside them.
    qsizetype last = -1;
    bool lastIsSemicolon = false;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line.at(i);
        const QChar next = i + 1 < n ? line.at(i + 1) : QChar();
        if (m_inComment) {
            if (c == QLatin1Char('*') && next == QLatin1Char('/')) {
                m_inComment = false;
                ++i;
            }
            continue;
        }
        if (m_inQuote || m_inIdentifier) {
            // A doubled quote inside a literal closes it and opens it again,
            // which leaves it open as it should.
            if (m_inQuote && c == QLatin1Char('\''))
                m_inQuote = false;
            else if (m_inIdentifier && c == QLatin1Char('"'))
                m_inIdentifier = false;
            last = i;
            lastIsSemicolon = false;
            continue;
        }
        if (c == QLatin1Char('-') && next == QLatin1Char('-'))
            break;
        if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            m_inComment = true;
            ++i;
            continue;
        }
        if (c.isSpace())
            continue;
        last = i;
        lastIsSemicolon = c == QLatin1Char(';');
        if (c == QLatin1Char('\''))
            m_inQuote = true;
        else if (c == QLatin1Char('"'))
            m_inIdentifier = true;
    }
    if (last >= 0)
        m_hasText = true;
    if (!m_slashOnly) {
        QStringList head = m_lines;
        head.append(line);
        m_slashOnly = PlainBlock::endsWithSlash(LeadingTokens(head.join(QLatin1Char('\n'))));
    }

    if (lastIsSemicolon && !m_inComment && !m_slashOnly.value_or(false)) {
        m_lines.append(line.left(last));
        const QString sql = m_lines.join(QLatin1Char('\n'));
        clearBuffer();
        runStatement(sql);
        return;
    }
    if (carriageReturn && (m_inQuote || m_inIdentifier))
        line += QLatin1Char('\r');
    m_lines.append(line);
    // Lines of nothing but comments are no statement.
    if (!m_hasText && !m_inComment)
        clearBuffer();
}

void SqlConsole::echo(const QString& line)
{
    // Lines of scripts only, each after the prompt it would have been typed at.
    if (!m_settings.echo() || m_sources.size() < 2)
        return;
    const QString prompt = m_lines.isEmpty() ? u"SQL> "_s : u"%1  "_s.arg(m_lines.size() + 1, 3);
    m_out << WithoutTrailingBlanks(prompt + line) << '\n';
}

bool SqlConsole::runCommand(const QString& line)
{
    if (line.startsWith(QLatin1String("--")))
        return true;
    if (line.startsWith(QLatin1Char('@'))) {
        QString path = line.mid(line.startsWith(QLatin1String("@@")) ? 2 : 1).trimmed();
        if (path.isEmpty())
            reportError(QStringLiteral("a script file name must follow \"@\""));
        else if (substituteCommand(&path))
            runScript(path);
        return true;
    }
    qsizetype wordEnd = 0;
    while (wordEnd < line.size() && !line.at(wordEnd).isSpace() && line.at(wordEnd) != QLatin1Char(';'))
        ++wordEnd;
    const QString word = line.left(wordEnd).toUpper();
    const QString rest = line.mid(wordEnd).trimmed();
    if (ScriptSettings::abbreviates(word, "REMARK"_L1, 3))
        return true;
    if (word == QLatin1String("SET")) {
        if (ScriptSettings::isSqlStatement(rest))
            return false;
        for (const QString& error : m_settings.set(rest))
            reportError(error);
        return true;
    }
    if (ScriptSettings::abbreviates(word, "PROMPT"_L1, 3)) {
        QString text = rest;
        if (substituteCommand(&text)) {
            m_out << text << '\n';
            m_out.flush();
        }
        return true;
    }
    if (ScriptSettings::abbreviates(word, "SHOW"_L1, 3)) {
        showCommand(rest);
    } else if (ScriptSettings::abbreviates(word, "DEFINE"_L1, 3)) {
        QString error;
        const QString shown = m_variables.defineCommand(rest, &error);
        if (!error.isEmpty())
            reportError(error);
        else if (!shown.isEmpty())
            m_out << shown << '\n';
    } else if (ScriptSettings::abbreviates(word, "UNDEFINE"_L1, 5)) {
        QString error;
        m_variables.undefineCommand(rest, &error);
        if (!error.isEmpty())
            reportError(error);
    } else if (word == QLatin1String("WHENEVER")) {
        wheneverCommand(rest);
    } else if (ScriptSettings::abbreviates(word, "EXECUTE"_L1, 4)) {
        // A failed call as far as the script is concerned.
        const QString message = PlainBlock::unsupported(u"EXECUTE (a PL/SQL call)"_s);
        reportError(message);
        sqlFailed(message);
    } else if (word == QLatin1String("EXIT") || word == QLatin1String("QUIT")) {
        exitCommand(rest);
    } else {
        return false;
    }
    m_out.flush();
    return true;
}

void SqlConsole::showCommand(const QString& arguments)
{
    QString name = arguments;
    if (name.endsWith(QLatin1Char(';')))
        name.chop(1);
    name = name.trimmed();
    if (name.compare("USER"_L1, Qt::CaseInsensitive) == 0) {
        m_out << "USER is \"" << m_user << "\"\n";
    } else if (const std::optional<QString> shown = m_settings.show(name)) {
        m_out << *shown << '\n';
    } else {
        reportError(u"SHOW takes ALL, DEFINE, ECHO, FEEDBACK, USER or VERIFY; this console keeps no setting \"%1\""_s
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

bool SqlConsole::substituteCommand(QString* text)
{
    const SubstitutionVariables::Result result = m_variables.substitute(*text, m_settings.definePrefix());
    if (!result.undefined.isEmpty()) {
        reportError(UndefinedMessage(result.undefined) + u"; the command is not run"_s);
        return false;
    }
    *text = result.text;
    return true;
}

void SqlConsole::runScript(const QString& path)
{
    if (m_sources.size() > MaxScriptDepth) {
        reportError(QStringLiteral("scripts nested more than %1 deep; \"%2\" is not run")
                        .arg(MaxScriptDepth)
                        .arg(path));
        return;
    }
    const QString& running = m_sources.last().path;
    const QDir base = running.isEmpty() ? QDir::current() : QFileInfo(running).absoluteDir();
    QString resolved = QDir::cleanPath(base.absoluteFilePath(path));
    if (!QFileInfo::exists(resolved) && QFileInfo(resolved).suffix().isEmpty())
        resolved += QStringLiteral(".sql");

    QFile file(resolved);
    if (!file.open(QIODevice::ReadOnly)) {
        reportError(QStringLiteral("cannot open the script file \"%1\": %2").arg(resolved, file.errorString()));
        return;
    }
    const QString text = DecodeScript(file.readAll());
    file.close();
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();  // the line break that ends the last line

    m_sources.append(Source{resolved, 0});
    for (const QString& line : std::as_const(lines)) {
        if (m_finished)
            break;
        feedLine(line);
    }
    if (!m_finished)
        discardUnfinished();
    m_sources.removeLast();
}

void SqlConsole::finish()
{
    if (m_finished)
        return;
    discardUnfinished();
    endSession();
}

void SqlConsole::runStatement(const QString& written)
{
    m_lastStatement = written;
    const SubstitutionVariables::Result substituted = m_variables.substitute(written, m_settings.definePrefix());
    if (!substituted.undefined.isEmpty()) {
        // The statement cannot run as written, which is its failure.
        const QString message = UndefinedMessage(substituted.undefined) + u"; the statement is not run"_s;
        reportError(message, m_firstLine);
        sqlFailed(message);
        return;
    }
    if (m_settings.verify()) {
        for (const QString& line : substituted.verify)
            m_out << line << '\n';
    }
    const QString& sql = substituted.text;
    const QStringList tokens = LeadingTokens(sql);
    if (const int transaction = TransactionCommand(tokens)) {
        endTransaction(transaction > 0);
        return;
    }
    if (PlainBlock::isAnonymous(tokens)) {
        runBlock(sql);
        m_out.flush();
        return;
    }
    try {
        if (IsQuery(tokens)) {
            auto dynaset = m_database->DBCreateDynaset(sql);
            ResultPrinter printer(m_out);
            printer.setFeedbackRows(m_settings.feedback());
            printer.setDateFormat(m_dateFormat);
            printer.print(*dynaset);
        } else {
            const qint64 rows = m_database->DbExecuteSQL(sql);
            if (m_settings.feedback() > 0)
                m_out << Feedback(tokens, rows) << '\n';
            noteSessionSettings(sql, tokens);
        }
        m_sqlCode = 0;
    } catch (const OraError& error) {
        reportError(error.message(), m_firstLine);
        sqlFailed(error.message());
    }
    m_out.flush();
}

void SqlConsole::runBlock(const QString& sql)
{
    const PlainBlock block(sql);
    if (!block.refusal().isEmpty()) {
        reportError(block.refusal(), m_firstLine + block.refusalLine());
        sqlFailed(block.refusal());
        return;
    }
    // A block that fails is undone as a whole, as the database undoes it: the
    // statements run after a savepoint (set again after a COMMIT or ROLLBACK
    // of the block), and a failure rolls back to it. A database that sets no
    // savepoint could not undo the block: it is then not run.
    const QString savepoint = u"SAVEPOINT "_s + BlockSavepoint;
    try {
        m_database->DbExecuteSQL(savepoint);
    } catch (const OraError& error) {
        const QString message = u"The block is not run: the database sets no savepoint to undo it by "
                                "should one of its statements fail.\n"_s + error.message();
        reportError(message, m_firstLine);
        sqlFailed(error.message());
        return;
    }
    for (const PlainBlock::Statement& statement : block.statements()) {
        try {
            switch (statement.kind) {
            case PlainBlock::Kind::Change:
                m_database->DbExecuteSQL(statement.sql);
                break;
            case PlainBlock::Kind::Commit:
            case PlainBlock::Kind::Rollback:
                if (statement.kind == PlainBlock::Kind::Commit)
                    m_session->DbCommitTrans();
                else
                    m_session->DBRollBack();
                m_session->DbBeginTrans();
                m_database->DbExecuteSQL(savepoint);
                break;
            case PlainBlock::Kind::Nothing:
                break;
            }
        } catch (const OraError& error) {
            QString message = error.message();
            try {
                m_database->DbExecuteSQL(u"ROLLBACK TO SAVEPOINT "_s + BlockSavepoint);
                message += u"\nThe block stops here; what it did before is undone."_s;
            } catch (const OraError& undo) {
                message += u"\nThe block stops here; what it did before could not be undone: "_s + undo.message();
            }
            reportError(message, m_firstLine + statement.line);
            sqlFailed(error.message());
            return;
        }
    }
    m_sqlCode = 0;
    if (m_settings.feedback() > 0)
        m_out << "PL/SQL procedure successfully completed.\n";
}

void SqlConsole::noteSessionSettings(const QString& sql, const QStringList& tokens)
{
    // The database took the date format: the console shows dates by it.
    if (tokens.value(0) != QLatin1String("ALTER") || tokens.value(1) != QLatin1String("SESSION"))
        return;
    const std::vector<SqlToken> all = ExpressionTokens(sql.toStdString());
    for (size_t i = 0; i + 2 < all.size(); ++i) {
        if (all[i].kind == SqlToken::Kind::Word && all[i].text == "NLS_DATE_FORMAT" && all[i + 1].text == "="
            && all[i + 2].kind == SqlToken::Kind::String)
            m_dateFormat = QString::fromStdString(all[i + 2].text);
    }
}

void SqlConsole::sqlFailed(const QString& message)
{
    // The error's ORA number; 1 for a failure that has none, which must not
    // read as success either.
    static const QRegularExpression OraNumber(u"ORA-(\\d+)"_s);
    const QRegularExpressionMatch match = OraNumber.match(message);
    m_sqlCode = match.hasMatch() ? match.captured(1).toInt() : 1;
    if (m_onError.exits()) {
        const SqlErrorAction::Exit& exit = m_onError.exit();
        if (const std::optional<int> status = exit.status(m_sqlCode))
            m_exitCode = status;
        endSession(exit.transaction);
        return;
    }
    switch (m_onError.onContinue()) {
    case SqlErrorAction::Transaction::Commit:
        endTransaction(true, true);
        break;
    case SqlErrorAction::Transaction::Rollback:
        endTransaction(false, true);
        break;
    case SqlErrorAction::Transaction::None:
        break;
    }
}

void SqlConsole::endTransaction(bool commit, bool afterError)
{
    try {
        if (commit)
            m_session->DbCommitTrans();
        else
            m_session->DBRollBack();
    } catch (const OraError& error) {
        reportError(error.message());
        if (!afterError)
            sqlFailed(error.message());
        return;
    }
    if (!afterError && m_settings.feedback() > 0)
        m_out << (commit ? "Commit complete." : "Rollback complete.") << '\n';
    m_out.flush();
    try {
        m_session->DbBeginTrans();
    } catch (const OraError& error) {
        reportError(error.message());
    }
}

void SqlConsole::endSession(SqlErrorAction::Transaction transaction)
{
    m_finished = true;
    try {
        if (transaction == SqlErrorAction::Transaction::Commit)
            m_session->DbCommitTrans();
        else if (transaction == SqlErrorAction::Transaction::Rollback)
            m_session->DBRollBack();
    } catch (const OraError& error) {
        reportError(error.message());
    }
}

void SqlConsole::discardUnfinished()
{
    if (m_lines.isEmpty())
        return;
    clearBuffer();
    reportError(QStringLiteral("the statement beginning here does not end with \";\" or \"/\"; it is not run"),
                m_firstLine);
}

void SqlConsole::clearBuffer()
{
    m_lines.clear();
    m_hasText = false;
    m_inQuote = false;
    m_inIdentifier = false;
    m_inComment = false;
    m_slashOnly.reset();
}

void SqlConsole::reportError(const QString& message, int line)
{
    ++m_failures;
    m_out.flush();  // what came before the error is shown before it
    m_err << "ERROR:";
    const Source& source = m_sources.last();
    if (!source.path.isEmpty())
        m_err << ' ' << QFileInfo(source.path).fileName() << ", line " << (line > 0 ? line : source.line);
    m_err << '\n' << message << '\n';
    m_err.flush();
}
