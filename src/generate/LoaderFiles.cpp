#include "generate/LoaderFiles.h"

#include "generate/InsertRow.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "shared/SqlName.h"
#include "shared/StatementShape.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

using basKovaData::TypeFamily;

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Appends `text` as one CSV field: between quotes, quotes doubled, when it
// holds a separator, a quote or a line break (RFC 4180), or begins or ends
// with a blank, which a loader could otherwise trim.
void AppendField(QString& line, QStringView text)
{
    // "\." alone on a line ends the rows of a COPY.
    bool quote = !text.isEmpty() && (IsBlank(text.front()) || IsBlank(text.back()) || text == u"\\.");
    for (qsizetype i = 0; !quote && i < text.size(); ++i) {
        const QChar c = text[i];
        quote = c == u',' || c == u'"' || c == u'\n' || c == u'\r';
    }
    if (!quote) {
        line += text;
        return;
    }
    line += u'"';
    for (const QChar c : text) {
        if (c == u'"')
            line += u'"';
        line += c;
    }
    line += u'"';
}

// "YYYYMMDD HHNNSS" as "YYYY-MM-DD HH:MM:SS"; false for any other text.
bool AppendDate(QString& line, QStringView date)
{
    const auto digits = [&](qsizetype from, qsizetype count) {
        return std::all_of(date.begin() + from, date.begin() + from + count,
                           [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if (date.size() != 15 || date[8] != u' ' || !digits(0, 8) || !digits(9, 6))
        return false;
    line += date.left(4);
    line += u'-';
    line += date.mid(4, 2);
    line += u'-';
    line += date.mid(6, 2);
    line += u' ';
    line += date.mid(9, 2);
    line += u':';
    line += date.mid(11, 2);
    line += u':';
    line += date.mid(13, 2);
    return true;
}

constexpr QStringView DateHead = u"TO_DATE('";
constexpr QStringView DateTail = u"','YYYYMMDD HH24MISS')";

// A name between single quotes for the shell.
QString ShellQuoted(QString name)
{
    return u'\'' + name.replace(u'\'', u"'\\''"_s) + u'\'';
}

}  // namespace

bool AppendCsvField(QString& line, const QString& value)
{
    if (!value.startsWith(u'@')) {
        AppendField(line, value);
        return true;
    }
    // The forms the program writes after "@", read as the database run's
    // statement reads them: a number, NULL, a character literal, TO_DATE of
    // a date text; "@" alone is 0. Read here without building a statement:
    // every row of a CSV file passes through.
    const QStringView sql = QStringView(value).mid(1).trimmed();
    if (sql.isEmpty()) {
        line += u'0';
        return true;
    }
    if (basKovaData::IsNumberLiteral(sql)) {
        line += sql;
        return true;
    }
    if (sql.compare(u"NULL", Qt::CaseInsensitive) == 0)
        return true;
    if (sql.startsWith(DateHead) && sql.endsWith(DateTail))
        return AppendDate(line, sql.mid(DateHead.size(), sql.size() - DateHead.size() - DateTail.size()));
    if (sql.size() < 2 || sql.front() != u'\'' || sql.back() != u'\'')
        return false;
    static thread_local QString text;
    text.resize(0);
    const QStringView inner = sql.mid(1, sql.size() - 2);
    for (qsizetype i = 0; i < inner.size(); ++i) {
        // Inside the literal a quote is doubled; a lone one ends it early.
        if (inner[i] == u'\'' && (i + 1 == inner.size() || inner[++i] != u'\''))
            return false;
        text += inner[i];
    }
    AppendField(line, text);
    return true;
}

QString ColumnList(const basKovaData::TableRules& rules)
{
    const basKovaData::InsertColumns named = basKovaData::ColumnsOfInsert(rules);
    QStringList names;
    for (int j = 1; j <= rules.count(); ++j)
        if (!named.leaves(j))
            names << basKovaData::ServerSql(rules.table, rules[j].ColumnName.trimmed());
    return names.join(u", "_s);
}

QString ControlFileText(const basKovaData::TableRules& rules, const QString& csvName)
{
    // PRESERVE BLANKS: a value's blanks at either end are part of it, as in
    // the database run. A direct path load disables CHECK and foreign key
    // constraints; REENABLE enables them again once the rows are in.
    QString text = u"OPTIONS (DIRECT=TRUE, SKIP=1)\n"
                   "LOAD DATA\n"
                   "CHARACTERSET AL32UTF8\n"
                   "INFILE '%1' \"str X'0D0A'\"\n"
                   "APPEND\n"
                   "PRESERVE BLANKS\n"
                   "INTO TABLE \"%2\"\n"
                   "REENABLE DISABLED_CONSTRAINTS\n"
                   "FIELDS TERMINATED BY ',' OPTIONALLY ENCLOSED BY '\"'\n"
                   "TRAILING NULLCOLS\n"
                   "(\n"_s.arg(csvName, basKovaData::ServerNameOf(rules.table).spelling);
    const basKovaData::InsertColumns named = basKovaData::ColumnsOfInsert(rules);
    QStringList fields;
    for (int j = 1; j <= rules.count(); ++j) {
        const basKovaData::ColumnRule& rule = rules[j];
        if (named.leaves(j))
            continue;  // the database gives the value
        QString field = u"  \""_s + basKovaData::ServerNameOf(rules.table, rule.ColumnName.trimmed()).spelling + u"\" "_s;
        switch (rule.family()) {
        case TypeFamily::Date:
            field += u"DATE \"YYYY-MM-DD HH24:MI:SS\""_s;
            break;
        case TypeFamily::Character:
            if (const auto detail = basKovaData::DetailOfTypeText(rule.TypeText.text());
                detail == basKovaData::TypeDetail::YearToMonth || detail == basKovaData::TypeDetail::DayToSecond) {
                field += detail == basKovaData::TypeDetail::YearToMonth ? u"INTERVAL YEAR TO MONTH"_s
                                                                        : u"INTERVAL DAY TO SECOND"_s;
                break;
            }
            // Bytes: a character of AL32UTF8 takes up to four. A type without
            // a length (CLOB, NCLOB, LONG, BLOB) takes whatever its rule makes,
            // which a pattern of 32,767 characters keeps under a million.
            field += u"CHAR(%1)"_s.arg(rule.Length > 0 ? std::max(255, rule.Length * 4) : 1000000);
            break;
        default:
            field += u"CHAR"_s;
        }
        fields << field;
    }
    return text + fields.join(u",\n"_s) + u"\n)\n"_s;
}

QString PostgresLoadText(const QStringList& tables, const QStringList& csvNames, const QStringList& columnLists,
                         const QStringList& emptied, bool deferred, const QStringList& updateFiles)
{
    QString text = u"-- Loads the CSV files of this folder, parents first: psql -f load-postgresql.sql\n"
                   "\\set ON_ERROR_STOP on\n"
                   "BEGIN;\n"_s;
    if (deferred)
        text += u"SET CONSTRAINTS ALL DEFERRED;\n"_s;
    for (const QString& table : emptied)
        text += u"DELETE FROM "_s + basKovaData::ServerSql(table) + u";\n"_s;
    for (qsizetype i = 0; i < tables.size(); ++i) {
        QString file = csvNames[i];
        file.replace(u'\'', u"''"_s);
        text += u"\\copy "_s + basKovaData::ServerSql(tables[i]) + u" ("_s + columnLists[i] + u") FROM '"_s + file
            + u"' WITH (FORMAT csv, HEADER true, ENCODING 'UTF8')\n"_s;
    }
    // The keys a cycle of tables leaves NULL, set once every table is in.
    for (QString file : updateFiles)
        text += u"\\i '"_s + file.replace(u'\'', u"''"_s) + u"'\n"_s;
    return text + u"COMMIT;\n"_s;
}

namespace {

// The loads of load-oracle.sh --stream: a pipe per control file, the command
// that writes them started, then each table's slices at once. `tables`
// names each control file's table, `distinct` each table once, in order.
QString StreamedLoads(const QStringList& tables, const QStringList& distinct, const QStringList& controlNames)
{
    const qsizetype slices = distinct.isEmpty() ? 1 : controlNames.size() / distinct.size();
    QString text = u"  # Several slices of one table load at once on the conventional path: a\n"
                   "  # direct path load takes its table for itself.\n"
                   "  phase() {\n"
                   "    local pids=() rest=() p done status\n"
                   "    for control in \"$@\"; do\n"
                   "      setsid sqlldr parfile=\"$work/login.par\" control=\"$control\" data=\"$work/${control%.ctl}.csv\" \\\n"
                   "        log=\"${control%.ctl}.log\" bad=\"${control%.ctl}.bad\" errors=0%1 &\n"
                   "      pids+=(\"$!\")\n"
                   "      loaders+=(\"$!\")\n"
                   "    done\n"
                   "    while [ ${#pids[@]} -gt 0 ]; do\n"
                   "      done=\n"
                   "      if wait -n -p done \"${pids[@]}\" $gen; then status=0; else status=$?; fi\n"
                   "      if [ \"$done\" = \"$gen\" ]; then\n"
                   "        gen=\n"
                   "        # 1: fewer rows than asked, as the keys hold; made all the same.\n"
                   "        if [ \"$status\" -gt 1 ]; then\n"
                   "          stop_loads\n"
                   "          echo 'load-oracle.sh: kova-generate stopped (above)' >&2\n"
                   "          exit 1\n"
                   "        fi\n"
                   "        continue\n"
                   "      fi\n"
                   "      rest=()\n"
                   "      for p in \"${pids[@]}\"; do [ \"$p\" = \"$done\" ] || rest+=(\"$p\"); done\n"
                   "      pids=(\"${rest[@]}\")\n"
                   "      if [ \"$status\" -ne 0 ]; then\n"
                   "        # The other loads first: they would take the end of their pipe\n"
                   "        # for the end of their rows.\n"
                   "        stop_loads\n"
                   "        stop_generate\n"
                   "        echo 'load-oracle.sh: a load failed (its .log says why); the rows stopped being made, and the' >&2\n"
                   "        echo 'loads of this table that were running stopped with what they had saved (their .log)' >&2\n"
                   "        report_disabled || true\n"
                   "        exit 1\n"
                   "      fi\n"
                   "    done\n"
                   "  }\n"
                   "  for control in"_s.arg(slices > 1 ? u" direct=false"_s : QString());
    for (const QString& control : controlNames)
        text += u' ' + ShellQuoted(control);
    text += u"; do\n"
            "    mkfifo \"$work/${control%.ctl}.csv\"\n"
            "  done\n"
            "  (cd \"$here\" && exec setsid \"${generate[@]}\" --out \"$work\" --format csv"_s
        + (slices > 1 ? u" --jobs %1"_s.arg(slices) : QString()) + u") &\n  gen=$!\n"_s;
    for (const QString& table : distinct) {
        text += u"  phase"_s;
        for (qsizetype i = 0; i < controlNames.size(); ++i)
            if (tables.value(i) == table)
                text += u' ' + ShellQuoted(controlNames[i]);
        text += u'\n';
    }
    return text + u"  made=0\n"
                  "  if [ -n \"$gen\" ]; then wait \"$gen\" || made=$?; fi\n"
                  "  gen=\n"
                  "  if [ \"$made\" -gt 1 ]; then\n"
                  "    echo 'load-oracle.sh: kova-generate stopped (above) after the loads' >&2\n"
                  "    exit 1\n"
                  "  fi\n"_s;
}

}  // namespace

QString OracleLoadText(const QStringList& tables, const QStringList& controlNames, const QStringList& emptied,
                       const std::vector<KeyConstraint>& deferred, const QStringList& updateFiles)
{
    QString text = u"#!/bin/bash\n"
                   "# Loads the CSV files of this folder with SQL*Loader, parents first.\n"
                   "# usage: ./load-oracle.sh user@connect-identifier (a service name, an EZConnect\n"
                   "# //host:port/service, a TNS alias)\n"
                   "# The password comes from KOVA_PASSWORD, else it is asked for. It reaches\n"
                   "# sqlplus on its standard input and sqlldr in a parameter file of a private\n"
                   "# folder (mode 600, removed on exit), never on a command line.\n"
                   "#\n"
                   "# ./load-oracle.sh --stream user@connect-identifier -- kova-generate LOGIN PROJECT [--seed N]...\n"
                   "# loads no file of this folder: it makes a named pipe per table and slice in\n"
                   "# its private folder, starts sqlldr on each (its control file from here), and\n"
                   "# runs the kova-generate command given, which writes its rows into them. The\n"
                   "# slices of a table load at once, then the next table's. A load that fails\n"
                   "# (sqlldr stops at the first row refused) stops the rows being made.\n"_s;
    if (!emptied.isEmpty())
        text += u"# The tables are emptied, and the emptying committed, BEFORE the loads: a\n"
                "# load that fails leaves them empty or part loaded, not as they were.\n"_s;
    text += u"# Direct path loads disable CHECK and foreign key constraints; each load\n"
            "# enables them again. A constraint that rows of a load break stays disabled:\n"
            "# the script lists those (a query of USER_CONSTRAINTS after the loads; the\n"
            "# rows are in the .log files) and fails.\n"
            "set -eu\n"
            "here=$PWD\n"
            "cd \"$(dirname \"$0\")\"\n"
            "# The user is what comes before the first \"@\"; a \"/\" there would be a\n"
            "# password on the command line.\n"
            "stream=\n"
            "if [ \"${1-}\" = --stream ]; then\n"
            "  stream=1\n"
            "  shift\n"
            "fi\n"
            "user=${1-}\n"
            "user=${user%%@*}\n"
            "case \"$user\" in\n"
            "  ''|*/*) echo 'usage: ./load-oracle.sh user@connect-identifier (the password from KOVA_PASSWORD or asked)' >&2; exit 2 ;;\n"
            "esac\n"
            "at=\n"
            "case \"$1\" in *@*) at=@${1#*@} ;; esac\n"
            "generate=()\n"
            "if [ -n \"$stream\" ]; then\n"
            "  shift\n"
            "  if [ \"${1-}\" != -- ] || [ $# -lt 2 ]; then\n"
            "    echo 'usage: ./load-oracle.sh --stream user@connect-identifier -- kova-generate LOGIN PROJECT|RULES... [--seed N]' >&2\n"
            "    exit 2\n"
            "  fi\n"
            "  shift\n"
            "  for a in \"$@\"; do\n"
            "    case \"$a\" in\n"
            "      --out|--format|--jobs|--shard|--load|--preview)\n"
            "        echo \"load-oracle.sh: $a is the script's to give: the rows go into its pipes, one per control file\" >&2\n"
            "        exit 2 ;;\n"
            "    esac\n"
            "  done\n"
            "  generate=(\"$@\")\n"
            "fi\n"
            "if [ -n \"${KOVA_PASSWORD+set}\" ]; then\n"
            "  password=$KOVA_PASSWORD\n"
            "else\n"
            "  password=\n"
            "  if ! read -r -s -p \"password for $user: \" password && [ -z \"$password\" ]; then\n"
            "    echo >&2\n"
            "    echo 'load-oracle.sh: no password: it comes from KOVA_PASSWORD or is typed at a terminal' >&2\n"
            "    exit 2\n"
            "  fi\n"
            "  echo >&2\n"
            "fi\n"
            "umask 077\n"
            "work=$(mktemp -d)\n"
            "nothing_done=\n"
            "gen=\n"
            "loaders=()\n"
            "# The loads stop: every process of each.\n"
            "stop_loads() {\n"
            "  for p in \"${loaders[@]}\"; do kill -TERM -- \"-$p\" 2>/dev/null || kill -TERM \"$p\" 2>/dev/null || true; done\n"
            "  loaders=()\n"
            "}\n"
            "# The rows being made stop at once: every process of the command.\n"
            "stop_generate() {\n"
            "  if [ -n \"$gen\" ]; then\n"
            "    kill -KILL -- \"-$gen\" 2>/dev/null || kill -KILL \"$gen\" 2>/dev/null || true\n"
            "    wait \"$gen\" 2>/dev/null || true\n"
            "    gen=\n"
            "  fi\n"
            "}\n"
            "finish() {\n"
            "  status=$?\n"
            "  stop_loads\n"
            "  stop_generate\n"
            "  rm -rf \"$work\"\n"
            "  if [ \"$status\" -ne 0 ] && [ -z \"$nothing_done\" ]; then\n"
            "    echo \"load-oracle.sh: stopped; the loads that finished stay committed\"%1 >&2\n"
            "  fi\n"
            "}\n"
            "trap finish EXIT\n"
            "trap 'exit 130' INT\n"
            "trap 'exit 143' TERM\n"
            "# printf is built into the shell: the password is on no command line.\n"
            "printf 'userid=%s/\"%s\"%s\\n' \"$user\" \"$password\" \"$at\" > \"$work/login.par\"\n"
            "sql() {\n"
            "  { printf 'WHENEVER OSERROR EXIT FAILURE\\nWHENEVER SQLERROR EXIT FAILURE ROLLBACK\\n'\n"
            "    printf 'CONNECT %s/\"%s\"%s\\n' \"$user\" \"$password\" \"$at\"\n"
            "    cat; } | sqlplus -S -L /nolog\n"
            "}\n"
            "disabled() {\n"
            "  sql <<'KOVA_SQL'\n"
            "SET HEADING OFF FEEDBACK OFF PAGESIZE 0 LINESIZE 400 TRIMOUT ON\n"
            "SELECT TABLE_NAME || '.' || CONSTRAINT_NAME FROM USER_CONSTRAINTS\n"
            " WHERE STATUS = 'DISABLED' AND TABLE_NAME IN (%2) ORDER BY 1;\n"
            "EXIT\n"
            "KOVA_SQL\n"
            "}\n"
            "# The first call to sqlplus: a wrong login stops the script here, with\n"
            "# sqlplus's own message.\n"
            "if ! before=$(disabled); then\n"
            "  printf '%s\\n' \"$before\" >&2\n"
            "  echo 'load-oracle.sh: sqlplus failed (above); nothing was emptied or loaded' >&2\n"
            "  nothing_done=1\n"
            "  exit 1\n"
            "fi\n"
            "# The command reads its files and the schema, and checks that it makes the\n"
            "# tables of this folder in its order, before anything is emptied or loaded.\n"
            "if [ -n \"$stream\" ]; then\n"
            "  export KOVA_PASSWORD=\"$password\" KOVA_STREAM_TABLES=%3\n"
            "  if ! (cd \"$here\" && \"${generate[@]}\" --preview 1 > /dev/null); then\n"
            "    echo 'load-oracle.sh: kova-generate stopped (above); nothing was emptied or loaded' >&2\n"
            "    nothing_done=1\n"
            "    exit 1\n"
            "  fi\n"
            "fi\n"
            "# The constraints disabled now that were not before the loads.\n"
            "report_disabled() {\n"
            "  broken=$(disabled | grep -vxF -f <(printf '%s\\n' \"$before\") || true)\n"
            "  if [ -n \"$broken\" ]; then\n"
            "    echo 'rows of the loads break these constraints, which stay disabled (see the .log files):' >&2\n"
            "    echo \"$broken\" >&2\n"
            "    return 1\n"
            "  fi\n"
            "}\n"
            "load() {\n"
            "  if ! sqlldr parfile=\"$work/login.par\" control=\"$1\" log=\"$2\"; then\n"
            "    report_disabled || true\n"
            "    exit 1\n"
            "  fi\n"
            "}\n"_s;
    QStringList order;  // the tables as the loads take them
    for (const QString& table : tables)
        if (!order.contains(table))
            order << table;
    QStringList names;
    for (const QString& table : order)
        names << basKovaData::SqlQuoted(table);
    text = text.arg(emptied.isEmpty() ? QString() : u"\"; the emptied tables stay emptied\""_s,
                    names.isEmpty() ? u"NULL"_s : names.join(u", "_s), ShellQuoted(order.join(u'\n')));
    if (!emptied.isEmpty()) {
        text += u"sql <<'KOVA_SQL'\n"_s;
        for (const QString& table : emptied)
            text += u"DELETE FROM "_s + basKovaData::ServerSql(table) + u";\n"_s;
        text += u"COMMIT;\nEXIT\nKOVA_SQL\n"
                "echo 'emptied and committed: a load that fails from here leaves the tables emptied'\n"_s;
    }
    // Keys that refer to rows of a table loaded later wait until the last load;
    // one that the rows then break stays disabled and is listed.
    const auto constraints = [&](const char* state) {
        QString statements;
        for (const KeyConstraint& key : deferred)
            statements += u"ALTER TABLE "_s + basKovaData::ServerSql(key.table) + u' ' + QLatin1StringView(state)
                + u" CONSTRAINT "_s + basKovaData::SqlName(key.name) + u";\n"_s;
        return statements;
    };
    if (!deferred.empty())
        text += u"sql <<'KOVA_SQL'\n"_s + constraints("DISABLE") + u"EXIT\nKOVA_SQL\n"_s;
    text += u"later=.\n"
            "if [ -n \"$stream\" ]; then\n"_s
        + StreamedLoads(tables, order, controlNames)
        + u"  later=$work\n"
          "else\n"_s;
    for (const QString& control : controlNames) {
        const QString log = control.chopped(4) + u".log"_s;
        text += u"  load "_s + ShellQuoted(control) + u' ' + ShellQuoted(log) + u'\n';
    }
    text += u"fi\n"_s;
    // The keys a cycle of tables leaves NULL, set once every table is in.
    for (const QString& file : updateFiles)
        text += u"{ printf 'SET DEFINE OFF\\n'; cat \"$later\"/"_s + ShellQuoted(file)
            + u"; printf 'COMMIT;\\nEXIT\\n'; } | sql\n"_s;
    if (!deferred.empty())
        text += u"sql <<'KOVA_SQL' || true\n"_s + constraints("ENABLE") + u"EXIT\nKOVA_SQL\n"_s;
    return text + u"report_disabled\n"_s;
}

}  // namespace generate
