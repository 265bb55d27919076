#include "SqlConsole.h"

#include "PlainBlock.h"
#include "ResultPrinter.h"

#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "session/OraSession.h"
#include "engine/SqlLexer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// The savepoint that a block's statements are undone to when one fails.
const QString BlockSavepoint = u"KOVA_BLOCK"_s;
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
        QStringLiteral("GLOBAL"), QStringLiteral("TEMPORARY"), QStringLiteral("PUBLIC"),
        QStringLiteral("EDITIONABLE"), QStringLiteral("NONEDITIONABLE"), QStringLiteral("EDITIONING")};
    static const QStringList Objects = {QStringLiteral("TABLE"),    QStringLiteral("VIEW"),
                                        QStringLiteral("INDEX"),    QStringLiteral("SEQUENCE"),
                                        QStringLiteral("SYNONYM"),  QStringLiteral("TRIGGER"),
                                        QStringLiteral("SESSION"),  QStringLiteral("DIMENSION"),
                                        QStringLiteral("USER"),     QStringLiteral("ROLE"),
                                        QStringLiteral("DIRECTORY")};
    for (qsizetype i = 1; i < tokens.size(); ++i) {
        if (Modifiers.contains(tokens[i]))
            continue;
        if (tokens[i] == "MATERIALIZED"_L1 && tokens.value(i + 1) == "VIEW"_L1) {
            const bool log = tokens.value(i + 2) == "LOG"_L1 && tokens.value(i + 3) == "ON"_L1;
            return QStringLiteral("Materialized view%1 %2.").arg(log ? " log"_L1 : ""_L1, QLatin1String(verb));
        }
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
    const int lineNumber = ++m_sources.last().line;
    echo(text);
    const std::optional<ScriptLines::Item> item = m_script.feed(text, lineNumber);
    if (!item)
        return;
    m_firstLine = item->line;
    switch (item->kind) {
    case ScriptLines::Item::Kind::Command:
        runCommand(*item->command, item->text);
        break;
    case ScriptLines::Item::Kind::Unknown:
        reportError(u"unknown command \"%1\"; the line is not run"_s.arg(item->text), item->line);
        break;
    case ScriptLines::Item::Kind::Statement:
        runStatement(item->text);
        break;
    case ScriptLines::Item::Kind::Again:
        if (!m_lastStatement.isEmpty())
            runStatement(m_lastStatement);
        break;
    case ScriptLines::Item::Kind::Kept:
        m_lastStatement = item->text;
        break;
    }
}

void SqlConsole::echo(const QString& text)
{
    // Lines of scripts only, each after the prompt it would have been typed at.
    if (!m_settings.echo() || m_sources.size() < 2)
        return;
    QString line = text;
    if (line.endsWith(u'\r'))
        line.chop(1);
    const int pending = m_script.pendingLines();
    const QString prompt = pending > 0 ? u"%1  "_s.arg(pending + 1, 3) : m_script.continuing() ? u"> "_s : u"SQL> "_s;
    m_out << WithoutTrailingBlanks(prompt + line) << '\n';
}

SubstitutionVariables::Result SqlConsole::substitute(const QString& text)
{
    SubstitutionVariables::Result result = m_variables.substitute(text, m_settings.definePrefix());
    QStringList once;  // answers for "&name", forgotten after this text
    while (m_ask && !result.undefined.isEmpty()) {
        const std::optional<QString> answer = m_ask(u"Enter value for %1: "_s.arg(result.undefined.toLower()), false);
        if (!answer)
            break;
        m_variables.define(result.undefined, *answer);
        if (!result.undefinedKept)
            once.append(result.undefined);
        result = m_variables.substitute(text, m_settings.definePrefix());
    }
    for (const QString& name : std::as_const(once))
        m_variables.undefine(name);
    return result;
}

bool SqlConsole::substituteCommand(QString* text)
{
    const SubstitutionVariables::Result result = substitute(*text);
    if (!result.undefined.isEmpty()) {
        reportError(UndefinedMessage(result.undefined) + u"; the command is not run"_s);
        return false;
    }
    *text = result.text;
    return true;
}

void SqlConsole::runScript(const QString& path, const QStringList& arguments, bool nested)
{
    if (m_sources.size() > MaxScriptDepth) {
        reportError(QStringLiteral("scripts nested more than %1 deep; \"%2\" is not run")
                        .arg(MaxScriptDepth)
                        .arg(path));
        return;
    }
    const QString& running = m_sources.last().path;
    const QDir base = !nested || running.isEmpty() ? QDir::current() : QFileInfo(running).absoluteDir();
    QString resolved = QDir::cleanPath(base.absoluteFilePath(path));
    if (!QFileInfo::exists(resolved) && QFileInfo(resolved).suffix().isEmpty())
        resolved += QStringLiteral(".sql");

    QFile file(resolved);
    if (!file.open(QIODevice::ReadOnly)) {
        reportError(QStringLiteral("cannot open the script file \"%1\": %2").arg(resolved, file.errorString()));
        return;
    }
    const QString text = ScriptLines::decode(file.readAll());
    file.close();
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();  // the line break that ends the last line

    for (qsizetype i = 0; i < arguments.size(); ++i)
        m_variables.define(QString::number(i + 1), arguments[i]);
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
    const SubstitutionVariables::Result substituted = substitute(written);
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
    const QStringList tokens = ScriptLines::leadingTokens(sql);
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
            printer.setQuery(sql);
            printer.print(*dynaset);
        } else {
            const qint64 rows = m_database->DbExecuteSQL(sql);
            if (m_settings.feedback() > 0)
                m_out << Feedback(tokens, rows) << '\n';
            noteSessionSettings(sql, tokens);
            noteDimension(tokens);
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

void SqlConsole::noteDimension(const QStringList& tokens)
{
    const qsizetype at = tokens.indexOf(u"DIMENSION"_s);
    if (tokens.value(0) != "CREATE"_L1 || at < 0 || at > 3)
        return;
    QString name = tokens.value(at + 1);
    if (tokens.value(at + 2) == "."_L1)
        name += u'.' + tokens.value(at + 3);
    m_dimensions.append(name);
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
    printNotes();
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
    const bool command = m_script.continuing();
    const int began = m_script.discard();
    if (began == 0)
        return;
    reportError(command ? u"the line beginning here goes on with \"-\" past the end of the input; it is not run"_s
                        : u"the statement beginning here does not end with \";\" or \"/\"; it is not run"_s,
                began);
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
