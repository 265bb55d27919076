#pragma once
// What kova-sqlplus prints for --help, and after arguments it cannot use.
#include "SchemaCopy.h"
#include "SqlPlusCommands.h"

#include <QString>
#include <QStringList>

namespace kovasqlplus {

// The SQL*Plus and SQLcl commands, as SqlPlusCommands lists them.
inline QString CommandsHelp()
{
    QStringList names;
    for (const SqlPlusCommands::Command& command : SqlPlusCommands::All())
        names.append(SqlPlusCommands::Spelling(command));
    QString text = QStringLiteral("commands (a line beginning with none of them is a SQL statement; unknown words are refused):\n ");
    int width = 1;
    for (const QString& name : std::as_const(names)) {
        if (width + name.size() + 1 > 100) {
            text += QStringLiteral("\n ");
            width = 1;
        }
        text += QLatin1Char(' ') + name;
        width += int(name.size()) + 1;
    }
    return text + QLatin1Char('\n');
}

inline const QString Usage = QStringLiteral("usage: kova-sqlplus [--create] user/password@service [@script.sql [argument ...]]\n"
                                            "       ")
                             + QLatin1String(SchemaCopy::Usage)
                             + QStringLiteral("\n       kova-sqlplus --help | --version\n"
                                              "  user@service instead of user/password@service: the password from "
                                              "KOVA_PASSWORD, or asked\n");

inline const QString Help = Usage + QStringLiteral(
    "\noptions:\n"
    "  --create       create the database file the service names (and its folder) when it does not exist\n"
    "  @script.sql    run the script first (the arguments after it are &1, &2 ... in it), then read statements\n"
    "                 from standard input\n"
    "  --copy-schema  make the server's schema (or the TABLEs named) again in the new database file FILE.db\n"
    "  --rows N       with --copy-schema: copy up to N rows of each table as well, parents first\n"
    "  --help         print this text and exit\n"
    "  --version      print the version and exit\n"
    "exit status: what EXIT or WHENEVER SQLERROR EXIT names, else 0 when no statement failed, 1 otherwise;\n"
    "  --copy-schema: 0 all copied, 1 nothing copied, 2 copied with something left out (reported)\n")
    + CommandsHelp();

}  // namespace kovasqlplus
