#include "shared/SqlName.h"

#include <QSet>

namespace basKovaData {

namespace {

bool IsReserved(const QString& name)
{
    static const QSet<QString> reserved = [] {
        QSet<QString> words;
        for (const char* word :
             {"ACCESS",  "ADD",       "ALL",        "ALTER",      "AND",       "ANY",      "AS",       "ASC",
              "AUDIT",   "BETWEEN",   "BY",         "CHAR",       "CHECK",     "CLUSTER",  "COLUMN",   "COMMENT",
              "COMPRESS", "CONNECT",  "CREATE",     "CURRENT",    "DATE",      "DECIMAL",  "DEFAULT",  "DELETE",
              "DESC",    "DISTINCT",  "DROP",       "ELSE",       "EXCLUSIVE", "EXISTS",   "FILE",     "FLOAT",
              "FOR",     "FROM",      "GRANT",      "GROUP",      "HAVING",    "IDENTIFIED", "IMMEDIATE", "IN",
              "INCREMENT", "INDEX",   "INITIAL",    "INSERT",     "INTEGER",   "INTERSECT", "INTO",    "IS",
              "LEVEL",   "LIKE",      "LOCK",       "LONG",       "MAXEXTENTS", "MINUS",  "MLSLABEL", "MODE",
              "MODIFY",  "NOAUDIT",   "NOCOMPRESS", "NOT",        "NOWAIT",    "NULL",     "NUMBER",   "OF",
              "OFFLINE", "ON",        "ONLINE",     "OPTION",     "OR",        "ORDER",    "PCTFREE",  "PRIOR",
              "PUBLIC",  "RAW",       "RENAME",     "RESOURCE",   "REVOKE",    "ROW",      "ROWID",    "ROWNUM",
              "ROWS",    "SELECT",    "SESSION",    "SET",        "SHARE",     "SIZE",     "SMALLINT", "START",
              "SUCCESSFUL", "SYNONYM", "SYSDATE",   "TABLE",      "THEN",      "TO",       "TRIGGER",  "UID",
              "UNION",   "UNIQUE",    "UPDATE",     "USER",       "VALIDATE",  "VALUES",   "VARCHAR",  "VARCHAR2",
              "VIEW",    "WHENEVER",  "WHERE",      "WITH"})
            words.insert(QString::fromLatin1(word));
        return words;
    }();
    return reserved.contains(name);
}

bool NeedsNoQuotes(const QString& name)
{
    if (name.isEmpty() || !name.front().isLetter())
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 128) {
            const bool plain = (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' || c == u'$'
                               || c == u'#';
            if (!plain)
                return false;
        } else if (!c.isLetterOrNumber() && c != u'ー') {
            return false;
        }
    }
    return !IsReserved(name);
}

}  // namespace

QString SqlName(const QString& name)
{
    if (NeedsNoQuotes(name))
        return name;
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

}  // namespace basKovaData
