// kova-sqlplus: a line-mode SQL console for the embedded database files (and
// ODBC services) the program works with.
//
//   kova-sqlplus [--create] user/password@service [@script.sql [argument ...]]
//   kova-sqlplus --copy-schema user/password@service FILE.db [TABLE...] [--rows N]
//   kova-sqlplus --help | --version
//
// "user@service" takes the password from KOVA_PASSWORD, or asks for it on the
// terminal without echo.
// Runs the script if one is given, then reads statements from standard input
// until its end or EXIT. Exits with the code EXIT or WHENEVER SQLERROR EXIT
// names (the system keeps its last eight bits), else with 0 when no statement
// failed, 1 otherwise.
// --copy-schema makes a server's schema again in a new database file (see
// SchemaCopy), and exits with SchemaCopy's status.
#include "ConsoleHelp.h"
#include "SchemaCopy.h"
#include "SqlConsole.h"

#include "session/AppPaths.h"
#include "session/LoginArgument.h"
#include "session/OraError.h"
#include "session/OraSession.h"
#include "engine/SqliteEngine.h"
#include "shared/basKovaData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>

#include <unistd.h>

namespace {

struct Arguments {
    bool create = false;
    QString connect;  // user "/" password
    QString service;
    QString script;
    QStringList scriptArguments;  // &1, &2 ... in the script
};

bool ParseArguments(const QStringList& args, Arguments* parsed)
{
    QStringList rest;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--create"))
            parsed->create = true;
        else if (arg.startsWith(QLatin1String("--")))
            return false;
        else
            rest.append(arg);
    }
    if (rest.isEmpty())
        return false;
    const QString& login = rest[0];
    const qsizetype at = login.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || at == login.size() - 1)
        return false;
    parsed->connect = login.left(at);
    parsed->service = login.mid(at + 1);
    if (rest.size() >= 2) {
        if (!rest[1].startsWith(QLatin1Char('@')) || rest[1].size() < 2)
            return false;
        parsed->script = rest[1].mid(1);
        parsed->scriptArguments = rest.mid(2);
    }
    return true;
}

// Creates the database file the service names, with its folder, unless it
// exists already.
void CreateDatabaseFile(const QString& service)
{
    const auto path = OraSession::EmbeddedDatabasePath(service);
    if (!path)
        throw OraError(QStringLiteral("--create needs a database file (a name ending in .db): %1").arg(service));
    if (QFile::exists(*path))
        return;
    if (!QDir().mkpath(QFileInfo(*path).absolutePath()))
        throw OraError(QStringLiteral("cannot create the folder of %1").arg(*path));
    SqliteEngine::createFile(*path);
}

// The user of "user/password" as the database knows it: in capitals, unless
// written in double quotes.
QString UserName(const QString& connect)
{
    const QString user = connect.section(QLatin1Char('/'), 0, 0).trimmed();
    if (user.size() >= 2 && user.startsWith(QLatin1Char('"')) && user.endsWith(QLatin1Char('"')))
        return user.mid(1, user.size() - 2);
    return user.toUpper();
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);

    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString& usage = kovasqlplus::Usage;
    if (arguments.contains(QLatin1String("--help"))) {
        out << kovasqlplus::Help;
        return 0;
    }
    if (arguments.contains(QLatin1String("--version"))) {
        out << "kova-sqlplus " << KOVA_VERSION << '\n';
        return 0;
    }
    // Relative database names resolve where the program keeps its files:
    // beside it, or in the user's data folder.
    basKovaData::InitAppDirectory();
    // The password of "user@service", from the environment or the terminal.
    const auto withPassword = [&err](QString* connect, const QString& service) {
        if (connect->contains(QLatin1Char('/')))
            return true;
        QString problem;
        const auto login = basKovaData::ReadLoginArgument(*connect + QLatin1Char('@') + service, &problem);
        if (!login) {
            err << "ERROR: " << problem << '\n';
            return false;
        }
        *connect = login->connect();
        return true;
    };

    if (arguments.value(0) == QLatin1String("--copy-schema")) {
        QString problem;
        auto request = SchemaCopy::Parse(arguments.mid(1), &problem);
        if (!request) {
            err << "ERROR: " << problem << "\nusage: " << SchemaCopy::Usage << '\n';
            return SchemaCopy::Failed;
        }
        if (!withPassword(&request->connect, request->service))
            return SchemaCopy::Failed;
        return SchemaCopy(out, err).run(*request);
    }
    Arguments args;
    if (!ParseArguments(arguments, &args)) {
        err << usage;
        return 1;
    }
    if (!withPassword(&args.connect, args.service))
        return 1;

    auto session = std::make_shared<OraSession>();
    std::shared_ptr<OraDatabase> database;
    try {
        if (args.create)
            CreateDatabaseFile(args.service);
        database = session->DbOpenDatabase(args.service, args.connect);
    } catch (const OraError& error) {
        err << "ERROR:\n" << error.message() << '\n';
        return 1;
    }
    out << "Connected.\n";
    out.flush();

    // Errors go to standard output too, in order with the results around them.
    SqlConsole console(session, database, out, out);
    console.setUser(UserName(args.connect));
    console.setService(args.service);

    // Lines as they are: a carriage return before the line break may belong
    // to a literal that goes on (QTextStream would drop it).
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    const bool interactive = isatty(fileno(stdin)) != 0;
    // On a terminal, ACCEPT and substitution variables not defined ask for
    // their values; read from a file or a pipe, nothing asks.
    if (interactive) {
        console.setAsker([&in, &out](const QString& prompt, bool hide) -> std::optional<QString> {
            if (hide)
                return basKovaData::TerminalPassword(prompt);
            out << prompt;
            out.flush();
            QString answer = QString::fromUtf8(in.readLine());
            if (answer.isEmpty())
                return std::nullopt;
            while (answer.endsWith(QLatin1Char('\n')) || answer.endsWith(QLatin1Char('\r')))
                answer.chop(1);
            return answer;
        });
    }
    if (!args.script.isEmpty())
        console.runScript(args.script, args.scriptArguments);
    while (!console.finished()) {
        if (interactive) {
            if (console.continuing())
                out << "> ";
            else if (console.pendingLines() == 0)
                out << "SQL> ";
            else
                out << qSetFieldWidth(3) << console.pendingLines() + 1 << qSetFieldWidth(0) << "  ";
            out.flush();
        }
        const QByteArray bytes = in.readLine();
        if (bytes.isEmpty())
            break;
        QString line = QString::fromUtf8(bytes);
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        console.feedLine(line);
    }
    console.finish();
    out.flush();
    err.flush();
    return console.exitCode();
}
