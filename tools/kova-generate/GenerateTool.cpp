#include "GenerateTool.h"
#include "ProfileArguments.h"
#include "StopSignal.h"

#include "FileJobs.h"
#include "LoadJobs.h"
#include "JobTables.h"

#include "browser/AutoRules.h"
#include "browser/ColumnGrid.h"
#include "browser/CommandChecks.h"
#include "browser/ObjectList.h"
#include "controls/GridModel.h"
#include "generate/CreationRun.h"
#include "generate/InsertRow.h"
#include "generate/KeyCapacity.h"
#include "generate/RuleFile.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "rules/RuleEditing.h"
#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "session/OraSession.h"
#include "shared/ValueText.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace kovagenerate {

namespace {

constexpr int MaxJobs = 256;

// A whole number of at least `least`, or none.
std::optional<int> Count(const QString& text, int least)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= least ? std::optional<int>(value) : std::nullopt;
}

void ShowProgress(QTextStream& err, int twips)
{
    constexpr int Width = 40;
    const int filled = twips * Width / generate::ProgressFullTwips;
    err << '\r' << '[' << QString(filled, u'#') << QString(Width - filled, u'.') << "] "
        << twips * 100 / generate::ProgressFullTwips << '%';
    err.flush();
}

// Prints the INSERT texts of the first `rows` rows of each table, inside a
// transaction that is rolled back: nothing is written.
int Preview(const Job& job, int rows, QTextStream& out, QTextStream& err)
{
    ::OraSession* session = basKovaData::OraSession.get();
    try {
        session->DbBeginTrans();
    } catch (const OraError& error) {
        err << "stopped: " << error.message() << '\n';
        return Stopped;
    }
    const auto rollBack = qScopeGuard([session] {
        try {
            session->DBRollBack();
        } catch (const OraError&) {
            // A connection that is gone has nothing to undo.
        }
    });
    // The whole run's counts, so that the rows shown draw their foreign keys
    // from every parent row, as the run does.
    const std::vector<generate::TableRun> runs = TableRuns(job);
    generate::RunRows made(runs, basKovaData::OraDatabase.get());
    try {
        if (const QString refusal = made.Prepare(); !refusal.isEmpty()) {
            err << refusal << '\n';
            return Stopped;
        }
        for (std::size_t t = 0; t < runs.size(); ++t) {
            const basKovaData::InsertColumns named = basKovaData::ColumnsOfInsert(*runs[t].rules);
            for (qint64 i = 0; i < std::min<qint64>(made.Rows(t), rows); ++i) {
                made.NextRow(t);
                out << basKovaData::InsertText(runs[t].rules->table, runs[t].rules->count(), named) << '\n';
            }
        }
    } catch (const OraError& error) {
        err << "a SELECT of the rules failed: " << error.message() << '\n';
        return Stopped;
    }
    return AllCreated;
}

QString StopReason(const generate::CreationResult& result)
{
    if (result.lockedByOther)
        return u"the database is in use by another program"_s;
    if (result.connectionLost)
        return u"the connection to the server was lost: "_s + result.errorText;
    if (result.stopped)
        return u"the run was stopped"_s;
    return result.errorText;
}

// What stays committed of a run that a DDL statement of its frame committed
// part of before it stopped: the frame's statements, each table's DELETE and
// rows, and the constraints the database now reports disabled.
void ReportKept(const Job& job, const std::vector<generate::CreationResult>& results, QTextStream& err)
{
    err << "a DDL statement of the project committed what ran before it; this stays committed:\n";
    for (const QString& sql : results.front().statementsKept)
        err << "  " << sql << '\n';
    for (std::size_t t = 0; t < results.size(); ++t) {
        const generate::CreationResult& result = results[t];
        if (result.emptiedKept || result.rowsKept > 0)
            err << "  " << job.tables[t].rules.table << ": " << (result.emptiedKept ? "emptied, " : "")
                << result.rowsKept << " rows created\n";
    }
    try {
        const std::unique_ptr<OraDynaset> disabled = basKovaData::OraDatabase->DBCreateDynaset(
            u"SELECT TABLE_NAME, CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE STATUS = 'DISABLED' ORDER BY 1, 2"_s, 0);
        for (; !disabled->IsEOF(); disabled->MoveNext())
            err << "  constraint " << disabled->Value(1).toString() << " of " << disabled->Value(0).toString()
                << " is disabled\n";
    } catch (const OraError& error) {
        err << "  (which constraints are disabled cannot be read: " << error.message() << ")\n";
    }
}

// Every table in one transaction: refused rows are counted per table, with
// why under the table's line; anything else keeps nothing of any table, but
// what a DDL statement of the project committed before, which is listed.
int Create(const Job& job, QTextStream& out, QTextStream& err, bool progress)
{
    generate::CreationHooks hooks;
    hooks.stopRequested = [] { return StopSignal() != 0; };
    if (progress)
        hooks.progress = [&err](int twips) { ShowProgress(err, twips); };
    const std::vector<generate::TableRun> runs = TableRuns(job);
    const std::vector<generate::CreationResult> results =
        generate::GenerateTables(runs, hooks, {job.before, EmptiedTables(job), job.after, !job.deferred.empty()});
    if (progress) {
        err << '\n';
        err.flush();
    }
    if (!results.empty() && results.front().aborted) {
        if (!results.front().committed) {
            err << "stopped, nothing was kept: " << StopReason(results.front()) << '\n';
            return Stopped;
        }
        err << "stopped: " << StopReason(results.front()) << '\n';
        ReportKept(job, results, err);
        return Stopped;
    }
    int status = AllCreated;
    for (std::size_t t = 0; t < results.size(); ++t) {
        const generate::CreationResult& result = results[t];
        out << job.tables[t].rules.table << ": " << (result.rows - result.failures) << " rows created, "
            << result.failures << " refused\n";
        if (result.failures > 0) {
            status = SomeRefused;
            for (const QString& line : result.refusals.Details().split(u'\n'))
                out << "  " << line << '\n';
        }
    }
    out.flush();
    return status;
}

// Says before the run which junction tables will find too few new
// combinations of their parents' keys. A table whose parents this job fills
// as well is not judged: their new keys are not there yet.
void WarnShortfalls(const Job& job, QTextStream& err)
{
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    for (const JobTable& table : job.tables) {
        const qint64 count = table.rows;
        try {
            const QStringList parents = browser::ParentTables(database, table.rules.table);
            // Foreign keys drawn from their parents are counted by the run
            // itself, which stops before any row when too few are left.
            const bool drawn = std::any_of(table.rules.columns.begin() + 1, table.rules.columns.end(),
                                           [](const basKovaData::ColumnRule& rule) { return rule.parent() != nullptr; });
            if (drawn || table.parentLink || std::any_of(job.tables.begin(), job.tables.end(), [&](const JobTable& other) {
                    return &other != &table && parents.contains(other.rules.table, Qt::CaseInsensitive);
                }))
                continue;
            // The shortfall reads the table's rules where the main window keeps them.
            basKovaData::ColumnRules = table.rules.columns;
            basKovaData::ColumnCount = qint16(table.rules.count());
            if (const qint64 missing = browser::JunctionShortfall(database, table.rules.table, count); missing > 0)
                err << table.rules.table << ": the parents' keys give no new combination for " << missing
                    << " of the " << count << " rows; they will be refused\n";
        } catch (const OraError&) {
            // Without the dictionary's answer the run goes on unwarned.
        }
    }
}

// Tables whose SELECT rules read a table that this job writes only to files
// or loads in a session of its own: they see the rows that table holds now,
// not the ones the job makes.
void WarnFileSelects(const Job& job, QTextStream& err, const char* where)
{
    for (const JobTable& table : job.tables)
        for (int j = 1; j <= table.rules.count(); ++j) {
            const basKovaData::ColumnRule& rule = table.rules[j];
            if (rule.storedKind() != basKovaData::Kind::Select || rule.parent()
                || (table.parentLink && std::count(table.parentLink->columns.begin(), table.parentLink->columns.end(), j)))
                continue;
            const QString sql = basKovaData::JoinStatement(rule);
            for (const JobTable& other : job.tables)
                if (sql.contains(other.rules.table, Qt::CaseInsensitive))
                    err << table.rules.table << '.' << rule.ColumnName.trimmed() << ": its SELECT reads "
                        << other.rules.table << ", whose new rows " << where << "; use \"per-parent\" "
                        << "for keys of new parent rows\n";
        }
}

// A table whose rules 自動設定 proposed takes as many of the rows asked as
// its keys hold, and says so; true when any table was cut. Other tables keep
// their count: a run that cannot make it is refused before its first row.
bool FitAutomaticTables(Job& job, QTextStream& err)
{
    bool cut = false;
    for (JobTable& table : job.tables) {
        if (!table.automatic || table.parentLink)
            continue;
        generate::KeyRoom room;
        try {
            room = generate::RowsTheKeysHold(table.rules, basKovaData::OraDatabase.get());
        } catch (const OraError&) {
            continue;  // the run reads the table again and says why it fails
        }
        if (!room.Limits(table.rows))
            continue;
        // Patterns and dictionaries draw at random and draw again on a repeat,
        // up to a thousand times a row: with r of n values left a row finds
        // none with odds of about e^(-1000 r / n), so such a column keeps
        // 2.5 % of its values unused (e^-25).
        qint64 made = room.rows;
        for (int j = 1; j <= table.rules.count(); ++j) {
            const basKovaData::Kind kind = table.rules[j].storedKind();
            if (!room.sequence && table.rules[j].ColumnName.trimmed() == room.column
                && (kind == basKovaData::Kind::Pattern || kind == basKovaData::Kind::Dictionary))
                made = room.rows - room.rows * 25 / 1000;
        }
        err << room.table << ": " << room.column << " (" << room.type << ") holds "
            << (room.sequence ? u"the keys %1 on: "_s.arg(QString::number(room.start, 'g', 16))
                              : u"values that never repeat: "_s)
            << made << " of the " << table.rows << " rows asked are made\n";
        table.rows = made;
        cut = true;
    }
    return cut;
}

}  // namespace

std::optional<Arguments> ParseArguments(const QStringList& args, QString* error)
{
    Arguments parsed;
    parsed.given = args;
    QStringList rest;
    bool automatic = false;
    const auto value = [&](qsizetype& i) { return i + 1 < args.size() ? args[++i] : QString(); };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--rows"_s || arg == u"--preview"_s || arg == u"--jobs"_s) {
            const std::optional<int> count = Count(value(i), 1);
            if (!count) {
                *error = arg + u" needs a whole number of at least 1"_s;
                return std::nullopt;
            }
            if (arg == u"--rows"_s)
                parsed.rows = count;
            else if (arg == u"--preview"_s)
                parsed.preview = count;
            else if (*count > MaxJobs) {
                *error = u"--jobs takes at most %1 processes"_s.arg(MaxJobs);
                return std::nullopt;
            } else
                parsed.jobs = *count;
        } else if (arg == u"--seed"_s) {
            bool ok = false;
            const qulonglong seed = value(i).toULongLong(&ok);
            if (!ok || seed > (qulonglong(1) << 53)) {
                *error = u"--seed needs a whole number from 0 to 9007199254740992"_s;
                return std::nullopt;
            }
            parsed.seed = seed;
        } else if (arg == u"--out"_s) {
            parsed.out = value(i);
            if (parsed.out.isEmpty()) {
                *error = u"--out needs a path"_s;
                return std::nullopt;
            }
        } else if (arg == u"--format"_s) {
            const QString format = value(i);
            if (format != u"sql"_s && format != u"csv"_s) {
                *error = u"--format is sql or csv"_s;
                return std::nullopt;
            }
            parsed.csv = format == u"csv"_s;
        } else if (arg == u"--shard"_s) {
            const QStringList parts = value(i).split(u'/');
            const std::optional<int> k = parts.size() == 2 ? Count(parts[0], 1) : std::nullopt;
            const std::optional<int> n = parts.size() == 2 ? Count(parts[1], 1) : std::nullopt;
            if (!k || !n || *k > *n) {
                *error = u"--shard needs K/N with 1 <= K <= N"_s;
                return std::nullopt;
            }
            parsed.shard = std::pair(*k, *n);
        } else if (arg == u"--auto"_s) {
            automatic = true;
        } else if (arg == u"--load"_s) {
            parsed.load = true;
        } else if (arg == u"--pg"_s) {
            parsed.pg = value(i);
            if (parsed.pg.isEmpty()) {
                *error = u"--pg needs a connection string (\"host=... port=... dbname=...\")"_s;
                return std::nullopt;
            }
        } else if (const OptionRead read = ReadProfileOption(args, i, parsed, error); read == OptionRead::Failed) {
            return std::nullopt;
        } else if (read == OptionRead::Taken) {
            continue;
        } else if (arg.startsWith(u"--"_s)) {
            *error = u"unknown option "_s + arg;
            return std::nullopt;
        } else {
            rest << arg;
        }
    }
    if (parsed.compare || parsed.k != 10 || parsed.noValues || !parsed.personal.isEmpty() || parsed.scale != 1.0
        || parsed.sample || parsed.statisticsOnly || !parsed.report.isEmpty() || !parsed.profile.isEmpty())
        return CheckProfileArguments(std::move(parsed), rest, automatic, error);
    const qsizetype at = rest.isEmpty() ? -1 : rest.first().lastIndexOf(u'@');
    if (at <= 0 || at == rest.first().size() - 1) {
        *error = u"the first argument must be user/password@service or user@service"_s;
        return std::nullopt;
    }
    parsed.connect = rest.first().left(at);
    parsed.service = rest.first().mid(at + 1);
    (automatic ? parsed.automatic : parsed.files) = rest.mid(1);
    if (rest.size() < 2) {
        *error = automatic ? u"--auto needs the tables to fill"_s : u"no rule file given"_s;
        return std::nullopt;
    }
    if (parsed.load && (!parsed.out.isEmpty() || parsed.preview)) {
        *error = u"--load puts the rows into the server: give it without --out and --preview"_s;
        return std::nullopt;
    }
    if (!parsed.pg.isEmpty() && !parsed.load) {
        *error = u"--pg is for --load"_s;
        return std::nullopt;
    }
    if (args.contains(u"--format"_s) && parsed.out.isEmpty()) {
        *error = u"--format is for files: give --out"_s;
        return std::nullopt;
    }
    if ((parsed.shard || parsed.jobs > 0) && parsed.out.isEmpty() && !parsed.load) {
        *error = u"--shard and --jobs are for files or loads: give --out or --load"_s;
        return std::nullopt;
    }
    if (parsed.shard && parsed.jobs > 0) {
        *error = u"give --shard or --jobs, not both"_s;
        return std::nullopt;
    }
    if (!parsed.out.isEmpty() && parsed.preview) {
        *error = u"give --out or --preview, not both"_s;
        return std::nullopt;
    }
    return parsed;
}

int Run(const Arguments& args, QTextStream& out, QTextStream& err, bool progress)
{
    if (args.compare)
        return Compare(args, out, err);
    auto session = std::make_shared<OraSession>();
    try {
        basKovaData::OraDatabase = session->DbOpenDatabase(args.service, args.connect);
    } catch (const OraError& error) {
        err << "cannot log in to " << args.service << ": " << error.message() << '\n';
        return Stopped;
    }
    basKovaData::OraSession = session;
    const auto logout = qScopeGuard([] {
        basKovaData::OraDatabase.reset();
        basKovaData::OraSession.reset();
    });
    if (!args.profile.isEmpty())
        return WriteProfileProject(args, out, err);
    // Every table is read and checked before the first row is made: a wrong
    // file stops the job with nothing changed.
    std::optional<Job> job = ReadJob(args, err);
    if (!job || !PrepareTables(*job, err))
        return Stopped;
    // load-oracle.sh --stream reads its pipes table by table, in the order of
    // the folder its control files came from.
    if (const QStringList order = qEnvironmentVariable("KOVA_STREAM_TABLES").split(u'\n', Qt::SkipEmptyParts);
        !order.isEmpty()) {
        QStringList made;
        for (const JobTable& table : job->tables)
            made << table.rules.table;
        if (made != order) {
            err << "stopped: load-oracle.sh --stream loads " << order.join(u", "_s) << " in this order, but this run makes "
                << made.join(u", "_s) << ": write the folder again with the same tables\n";
            return Stopped;
        }
    }
    const bool cut = FitAutomaticTables(*job, err);
    // Rows made, but fewer than asked, are rows refused.
    const auto status = [cut](int made) { return cut && made == AllCreated ? SomeRefused : made; };
    if (args.preview)
        return Preview(*job, *args.preview, out, err);
    if (!args.out.isEmpty()) {
        WarnFileSelects(*job, err, "go to the files only");
        const auto bar = [&err](int twips) { ShowProgress(err, twips); };
        return status(WriteFiles(*job, args, out, err, progress ? std::function<void(int)>(bar) : nullptr));
    }
    if (args.load) {
        WarnFileSelects(*job, err, "it cannot see before the load commits");
        const auto bar = [&err](int twips) { ShowProgress(err, twips); };
        return status(LoadRows(*job, args, out, err, progress ? std::function<void(int)>(bar) : nullptr));
    }
    WarnShortfalls(*job, err);
    return status(Create(*job, out, err, progress));
}

}  // namespace kovagenerate
