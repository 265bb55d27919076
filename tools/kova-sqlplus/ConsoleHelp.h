#pragma once
// What kova-sqlplus prints for --help, and after arguments it cannot use.
#include "SchemaCopy.h"

#include <QString>

namespace kovasqlplus {

inline const QString Usage = QStringLiteral("usage: kova-sqlplus [--create] user/password@service [@script.sql]\n"
                                            "       ")
                             + QLatin1String(SchemaCopy::Usage)
                             + QStringLiteral("\n       kova-sqlplus --help | --version\n"
                                              "  user@service instead of user/password@service: the password from "
                                              "KOVA_PASSWORD, or asked\n");

inline const QString Help = Usage + QStringLiteral(
    "\noptions:\n"
    "  --create       create the database file the service names (and its folder) when it does not exist\n"
    "  @script.sql    run the script first, then read statements from standard input\n"
    "  --copy-schema  make the server's schema (or the TABLEs named) again in the new database file FILE.db\n"
    "  --rows N       with --copy-schema: copy up to N rows of each table as well, parents first\n"
    "  --help         print this text and exit\n"
    "  --version      print the version and exit\n"
    "exit status: what EXIT or WHENEVER SQLERROR EXIT names, else 0 when no statement failed, 1 otherwise;\n"
    "  --copy-schema: 0 all copied, 1 nothing copied, 2 copied with something left out (reported)\n");

}  // namespace kovasqlplus
