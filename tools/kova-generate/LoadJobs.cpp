#include "LoadJobs.h"

#include "FileJobs.h"
#include "GenerateTool.h"
#include "JobTables.h"
#include "PgCopy.h"
#include "StopSignal.h"

#include "engine/OdbcEngine.h"
#include "generate/RowFiles.h"
#include "session/LoginArgument.h"
#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "session/RowStatements.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <memory>
#include <optional>

#include <signal.h>

using namespace Qt::StringLiterals;

namespace kovagenerate {

namespace {

// How libpq reaches the server the login's ODBC data source reached, asked of
// that session (--pg, given, has the last word), and the session's search
// path, by which the tables' names find the same tables.
using Settings = PgSettings;

std::optional<Settings> ServerOfLogin(const Arguments& args, QString* error)
{
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    const auto* odbc = dynamic_cast<const OdbcEngine*>(&database->engine());
    if (!odbc || odbc->serverKind() != ServerKind::PostgreSQL) {
        *error = u"--load fills a PostgreSQL server: log in through its ODBC data source "
                 "(for Oracle, write the files with --out and stream them with load-oracle.sh --stream)"_s;
        return std::nullopt;
    }
    std::optional<PgSettings> given;
    if (!args.pg.isEmpty() && !(given = ParsePgConnection(args.pg, error))) {
        *error = u"--pg: "_s + *error;
        return std::nullopt;
    }
    Settings connection{{"application_name", "kova-generate"}, {"client_encoding", "UTF8"}};
    try {
        const std::unique_ptr<OraDynaset> server = database->DBCreateDynaset(
            u"SELECT HOST(inet_server_addr()), current_setting('port'), current_database(), current_user, "
            "current_setting('search_path') FROM DUAL"_s,
            0);
        connection.emplace_back("port", server->Value(1).toString().toUtf8());
        if (!server->Value(0).isNull())
            connection.emplace_back("host", server->Value(0).toString().toUtf8());
        else if (!given) {
            *error = u"the ODBC data source reaches the server through a local socket: give --pg with how "
                     "libpq reaches it (\"host=/run/postgresql dbname=...\")"_s;
            return std::nullopt;
        }
        connection.emplace_back("dbname", server->Value(2).toString().toUtf8());
        connection.emplace_back("user", server->Value(3).toString().toUtf8());
        // As a startup option, which --pg's own "options" may replace:
        // blanks and backslashes escaped.
        QString path = server->Value(4).toString();
        path.replace(u"\\"_s, u"\\\\"_s).replace(u" "_s, u"\\ "_s);
        connection.emplace_back("options", (u"-c search_path="_s + path).toUtf8());
    } catch (const OraError& failure) {
        *error = u"the server's address cannot be read: "_s + failure.message();
        return std::nullopt;
    }
    connection.emplace_back("password", args.connect.section(u'/', 1).toUtf8());
    if (given)
        connection.insert(connection.end(), given->begin(), given->end());
    return connection;
}

// A session of the server as the login's session sees it; empty when
// connected, else why not.
QString Connect(PgCopy& server, const Settings& settings)
{
    const QString failure = server.connect(settings);
    if (failure.isEmpty()) {
        // A session whose program has gone ends within a second, even while
        // it waits for a lock (servers before 14 have no such check).
        try {
            server.run(u"SET client_connection_check_interval = '1s'"_s);
        } catch (const OraError&) {
        }
    }
    return failure;
}

QString CopyStatement(const basKovaData::TableRules& rules)
{
    return u"COPY "_s + basKovaData::ServerSql(rules.table) + u" ("_s + generate::ColumnList(rules)
        + u") FROM STDIN WITH (FORMAT csv, HEADER true)"_s;
}

// One session's COPYs, table after table.
class SessionSink : public generate::RowSink {
public:
    SessionSink(PgCopy& server, const std::vector<generate::TableRun>& runs) : m_server(server), m_runs(runs) {}
    void begin(std::size_t t) override { m_server.copyBegin(CopyStatement(*m_runs[t].rules)); }
    void write(const QByteArray& bytes) override { m_server.copyPut(bytes); }
    void end(std::size_t, qint64) override { m_server.copyEnd(); }
    void later(const QStringList& statements) override { m_server.run(statements.join(u";\n"_s)); }

protected:
    PgCopy& m_server;
    const std::vector<generate::TableRun>& m_runs;
};

// A slice of --jobs: each table in a transaction of its own, committed when
// the job says that every slice of it is in ("ready PHASE"; "check" on the
// standard input, "checked PHASE"; "commit", "committed PHASE ROWS"); it
// starts the next only
// on "go", once every slice has committed, so that children find their
// parents. Before its first row it waits for the job's emptying ("ready
// start", then "go"), so that every slice reads the tables as they were, as
// a run in one session does.
class SliceSink : public SessionSink {
public:
    SliceSink(PgCopy& server, const std::vector<generate::TableRun>& runs, QTextStream& out)
        : SessionSink(server, runs), m_out(out)
    {
        m_in.open(stdin, QIODevice::ReadOnly);
    }
    void begin(std::size_t t) override
    {
        if (t == 0) {
            m_out << "ready start\n";
            m_out.flush();
        }
        awaitGo();
        m_server.run(u"BEGIN"_s);
        SessionSink::begin(t);
    }
    void end(std::size_t t, qint64 rows) override
    {
        SessionSink::end(t, rows);
        commit(t, rows);
    }
    void later(const QStringList& statements) override
    {
        if (!m_laterBegun) {
            awaitGo();
            m_server.run(u"BEGIN"_s);
        }
        m_laterBegun = true;
        m_later += statements.size();
        SessionSink::later(statements);
    }
    void commitLater()
    {
        if (!m_laterBegun) {
            awaitGo();
            m_server.run(u"BEGIN"_s);
        }
        commit(m_runs.size(), m_later);
    }

private:
    void awaitGo()
    {
        if (m_in.readLine().trimmed() != "go")
            throw basKovaData::RunStopped();
    }
    void commit(std::size_t phase, qint64 rows)
    {
        m_out << "ready " << phase << '\n';
        m_out.flush();
        // Once every slice is ready, each shows that its session still holds
        // its rows ("check", "checked PHASE"): one that ended while it waited
        // stops them all before any commits.
        if (m_in.readLine().trimmed() != "check")
            throw basKovaData::RunStopped();
        m_server.run(u"SAVEPOINT kova_ready"_s);
        m_out << "checked " << phase << '\n';
        m_out.flush();
        if (m_in.readLine().trimmed() != "commit")
            throw basKovaData::RunStopped();
        m_server.run(u"COMMIT"_s);
        m_out << "committed " << phase << ' ' << rows << '\n';
        m_out.flush();
    }
    QTextStream& m_out;
    QFile m_in;
    bool m_laterBegun = false;
    qint64 m_later = 0;
};

QString StopReason(const generate::RowFileResult& result)
{
    return result.stopped ? u"the run was stopped"_s : result.error;
}

// The whole job in one session and one transaction.
int LoadInOneSession(const Job& job, const Settings& settings, QTextStream& out, QTextStream& err,
                     const std::function<void(int twips)>& progress, const generate::Shard& shard)
{
    PgCopy server;
    if (const QString failure = Connect(server, settings); !failure.isEmpty()) {
        err << "stopped, nothing was kept: cannot connect to the server: " << failure << '\n';
        return Stopped;
    }
    const std::vector<generate::TableRun> runs = TableRuns(job);
    generate::RowFileResult result;
    try {
        server.run(u"BEGIN"_s);
        if (!job.deferred.empty())
            server.run(u"SET CONSTRAINTS ALL DEFERRED"_s);
        for (const QString& table : EmptiedTables(job))
            server.run(u"DELETE FROM "_s + basKovaData::ServerSql(table));
        SessionSink sink(server, runs);
        result = generate::StreamRows(runs, {shard, progress, [] { return StopSignal() != 0; }}, sink);
        if (result.written)
            server.run(u"COMMIT"_s);
    } catch (const OraError& error) {
        result.written = false;
        result.error = error.message();
    }
    if (progress) {
        err << '\n';
        err.flush();
    }
    if (!result.written) {
        err << "stopped, nothing was kept: " << StopReason(result) << '\n';
        return Stopped;
    }
    for (std::size_t t = 0; t < runs.size(); ++t)
        out << job.tables[t].rules.table << ": " << result.rows[t] << " rows loaded\n";
    out.flush();
    return AllCreated;
}

// A slice that a --jobs run started: its tables one transaction each, as the
// run says.
int LoadSlice(const Job& job, const Settings& settings, QTextStream& out, QTextStream& err, const generate::Shard& shard)
{
    PgCopy server;
    if (const QString failure = Connect(server, settings); !failure.isEmpty()) {
        err << "cannot connect to the server: " << failure << '\n';
        return Stopped;
    }
    const std::vector<generate::TableRun> runs = TableRuns(job);
    generate::RowFileResult result;
    try {
        // Slices wait for no other's rows: a wait on one means that two
        // slices hold the same key, which the loads would refuse anyway.
        server.run(u"SET lock_timeout = '30s'"_s);
        SliceSink sink(server, runs, out);
        result = generate::StreamRows(runs, {shard, {}, [] { return StopSignal() != 0; }}, sink);
        if (result.written && generate::HasLaterColumns(runs))
            sink.commitLater();
    } catch (const basKovaData::RunStopped&) {
        return Stopped;
    } catch (const OraError& error) {
        result.written = false;
        result.error = error.message();
    }
    if (!result.written) {
        err << StopReason(result) << '\n';
        return Stopped;
    }
    return AllCreated;
}

// The slices of a --jobs load, each a process of this program, and what each
// said of the phase running.
class Slices {
public:
    explicit Slices(int count) : m_processes(std::size_t(count)) {}

    void start(const QString& program, const QStringList& given, const QProcessEnvironment& environment)
    {
        for (std::size_t k = 0; k < m_processes.size(); ++k) {
            m_processes[k] = std::make_unique<QProcess>();
            m_processes[k]->setProcessEnvironment(environment);
            m_processes[k]->start(program, given + QStringList{u"--shard"_s, u"%1/%2"_s.arg(k + 1).arg(m_processes.size())});
        }
    }
    // Waits until every slice has said "WORD PHASE ...", their lines in
    // `said`; false when one ended without (or a stop signal came), with what
    // the others said by then.
    bool await(const char* word, const QString& phase, std::vector<QStringList>& said)
    {
        const QString head = QLatin1StringView(word) + u' ' + phase;
        said.assign(m_processes.size(), {});
        for (;;) {
            std::size_t done = 0;
            for (std::size_t k = 0; k < m_processes.size(); ++k) {
                QProcess& process = *m_processes[k];
                while (said[k].isEmpty() && process.canReadLine()) {
                    const QStringList line = QString::fromUtf8(process.readLine()).trimmed().split(u' ');
                    if (line.mid(0, 2).join(u' ') == head)
                        said[k] = line;
                }
                if (!said[k].isEmpty()) {
                    ++done;
                    continue;
                }
                if (process.state() == QProcess::NotRunning || StopSignal() != 0) {
                    m_failed = int(k);
                    return false;
                }
                process.waitForReadyRead(10);
            }
            if (done == m_processes.size())
                return true;
        }
    }
    void tell(const char* word)
    {
        for (const auto& process : m_processes) {
            process->write(word);
            process->write("\n");
        }
    }
    // Every slice still running stops (its transaction rolled back); their
    // messages on `err`, the one that failed first. `said` gains the lines
    // "WORD PHASE ..." that came meanwhile.
    void stop(QTextStream& err, const char* word, const QString& phase, std::vector<QStringList>& said)
    {
        const QString head = QLatin1StringView(word) + u' ' + phase;
        said.resize(m_processes.size());
        for (const auto& process : m_processes) {
            process->closeWriteChannel();
            if (process->state() == QProcess::Running && process->processId() > 0)
                ::kill(pid_t(process->processId()), SIGTERM);
        }
        const int count = int(m_processes.size());
        for (int k = 0; k < count; ++k) {
            QProcess& process = *m_processes[std::size_t(k)];
            if (!process.waitForFinished(10000))
                process.kill(), process.waitForFinished();
            for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split(u'\n'))
                if (line.section(u' ', 0, 1) == head && said[std::size_t(k)].isEmpty())
                    said[std::size_t(k)] = line.split(u' ');
            if (process.error() == QProcess::FailedToStart)
                err << "job " << (k + 1) << '/' << count << ": " << process.program() << " cannot start\n";
            // The others stopped because it did, and repeat the warnings
            // this run has printed.
            const QByteArray messages = process.readAllStandardError();
            for (const QString& line : QString::fromUtf8(messages).split(u'\n', Qt::SkipEmptyParts))
                if (k == m_failed)
                    err << "job " << (k + 1) << '/' << count << ": " << line << '\n';
        }
    }
    void finish()
    {
        for (const auto& process : m_processes) {
            process->closeWriteChannel();
            process->waitForFinished();
        }
    }

private:
    std::vector<std::unique_ptr<QProcess>> m_processes;
    int m_failed = -1;
};

// --jobs J: once every slice has read the tables, the emptying, committed;
// then per table its J slices at once, committed together; then the keys a
// cycle of tables left NULL.
int LoadInSlices(const Job& job, const Arguments& args, const Settings& settings, QTextStream& out, QTextStream& err)
{
    if (!job.deferred.empty()) {
        err << "stopped, nothing was kept: foreign keys that refer to rows made after theirs are checked at the "
               "commit of one transaction: load with one job\n";
        return Stopped;
    }
    const auto [given, environment] = SliceLaunch(job, args, err);
    Slices slices(args.jobs);
    slices.start(args.program, given, environment);
    std::vector<QStringList> said;  // of the phase running
    if (!slices.await("ready", u"start"_s, said)) {
        slices.stop(err, "", {}, said);
        err << "stopped, nothing was kept\n";
        return Stopped;
    }
    const QStringList emptied = EmptiedTables(job);
    if (!emptied.isEmpty()) {
        PgCopy server;
        QString failure = Connect(server, settings);
        try {
            if (failure.isEmpty()) {
                QString sql = u"BEGIN"_s;
                for (const QString& table : emptied)
                    sql += u";\nDELETE FROM "_s + basKovaData::ServerSql(table);
                server.run(sql + u";\nCOMMIT"_s);
            }
        } catch (const OraError& error) {
            failure = error.message();
        }
        if (!failure.isEmpty()) {
            slices.stop(err, "", {}, said);
            err << "stopped, nothing was kept: the tables cannot be emptied: " << failure << '\n';
            return Stopped;
        }
    }
    slices.tell("go");
    const std::vector<generate::TableRun> runs = TableRuns(job);
    const std::size_t phases = runs.size() + (generate::HasLaterColumns(runs) ? 1 : 0);
    std::vector<qint64> loaded(runs.size(), 0);
    std::size_t phase = 0;
    const char* word = "ready";
    for (; phase < phases; ++phase) {
        word = "ready";
        if (!slices.await(word, QString::number(phase), said))
            break;
        slices.tell("check");
        word = "checked";
        if (!slices.await(word, QString::number(phase), said))
            break;
        slices.tell("commit");
        word = "committed";
        if (!slices.await(word, QString::number(phase), said))
            break;
        for (const QStringList& line : said)
            if (phase < runs.size())
                loaded[phase] += line.value(2).toLongLong();
        if (phase + 1 < phases)
            slices.tell("go");
    }
    if (phase == phases) {
        slices.finish();
        for (std::size_t t = 0; t < runs.size(); ++t)
            out << job.tables[t].rules.table << ": " << loaded[t] << " rows loaded\n";
        out.flush();
        return AllCreated;
    }
    slices.stop(err, word, QString::number(phase), said);
    // Slices of the table that failed whose commit went through before.
    qint64 partRows = 0, partSlices = 0;
    for (const QStringList& line : said)
        if (line.value(0) == u"committed"_s) {
            partRows += line.value(2).toLongLong();
            ++partSlices;
        }
    if (partSlices == qint64(said.size()) && phase < runs.size()) {
        loaded[phase] = partRows;  // all of them, after all
        partSlices = 0;
        ++phase;
    }
    const bool partCommitted = partSlices > 0;
    if (phase == 0 && emptied.isEmpty() && !partCommitted) {
        err << "stopped, nothing was kept\n";
        return Stopped;
    }
    err << "stopped; this stays committed:\n";
    for (const QString& table : emptied)
        err << "  " << table << ": emptied\n";
    for (std::size_t t = 0; t < phase; ++t)
        err << "  " << job.tables[t].rules.table << ": " << loaded[t] << " rows loaded\n";
    if (partCommitted && phase < runs.size())
        err << "  " << job.tables[phase].rules.table << ": " << partRows << " rows loaded, by " << partSlices << " of its "
            << said.size() << " slices (the others rolled back)\n";
    else if (partCommitted)
        err << "  the keys a cycle of tables left NULL: those of " << partSlices << " of the " << said.size()
            << " slices\n";
    else if (phase == runs.size())
        err << "  the keys a cycle of tables left NULL stay NULL\n";
    return PartLoaded;
}

}  // namespace

int LoadRows(const Job& job, const Arguments& args, QTextStream& out, QTextStream& err,
             const std::function<void(int twips)>& progress)
{
    if (!job.before.isEmpty() || !job.after.isEmpty()) {
        err << "stopped, nothing was kept: --load does not run a project's \"before\" and \"after\" statements; "
               "run them apart, or fill the tables without --load\n";
        return Stopped;
    }
    QString error;
    const std::optional<Settings> settings = ServerOfLogin(args, &error);
    if (!settings) {
        err << "stopped, nothing was kept: " << error << '\n';
        return Stopped;
    }
    generate::Shard shard;
    if (args.shard)
        shard = {args.shard->first, args.shard->second};
    if (args.jobs > 1)
        return LoadInSlices(job, args, *settings, out, err);
    if (shard.count > 1 && !Seeded(job)) {
        err << "a shard makes its part of one run only with a seed: give --seed N or \"seed\"\n";
        return Stopped;
    }
    if (!qEnvironmentVariableIsEmpty(JobSliceVariable))
        return LoadSlice(job, *settings, out, err, shard);
    return LoadInOneSession(job, *settings, out, err, progress, shard);
}

}  // namespace kovagenerate
