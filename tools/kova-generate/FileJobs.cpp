#include "session/LoginArgument.h"
#include "FileJobs.h"

#include "GenerateTool.h"
#include "JobTables.h"
#include "StopSignal.h"

#include "generate/RowFiles.h"
#include "session/AtomicFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>

#include <memory>

#include <signal.h>

using namespace Qt::StringLiterals;

namespace kovagenerate {

namespace {


// The loader scripts of a CSV folder that `count` slices filled: every slice
// of a table before the next table. Both files or neither.
bool WriteLoaders(const Job& job, const QString& folder, qint64 count, QTextStream& err)
{
    QStringList tables, csvNames, columnLists, controls, updates;
    const bool later = generate::HasLaterColumns(TableRuns(job));
    for (qint64 k = 1; later && k <= count; ++k)
        updates << generate::LaterFileName({k, count});
    for (const JobTable& table : job.tables)
        for (qint64 k = 1; k <= count; ++k) {
            const generate::Shard shard{k, count};
            tables << table.rules.table;
            csvNames << generate::TableFileName(table.rules.table, shard, u".csv"_s);
            columnLists << generate::ColumnList(table.rules);
            controls << generate::TableFileName(table.rules.table, shard, u".ctl"_s);
        }
    const QDir dir(folder);
    QString error;
    const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    const std::vector<basKovaData::FileContent> files{
        {dir.filePath(u"load-postgresql.sql"_s),
         generate::PostgresLoadText(tables, csvNames, columnLists, EmptiedTables(job), !job.deferred.empty(), updates)
             .toUtf8(),
         permissions},
        {dir.filePath(u"load-oracle.sh"_s),
         generate::OracleLoadText(tables, controls, EmptiedTables(job), job.deferred, updates).toUtf8(),
         permissions | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther}};
    if (!basKovaData::WriteFilesAtomically(files, &error)) {
        err << error << '\n';
        return false;
    }
    return true;
}

// The files that slice `shard` of the job writes.
QStringList SliceFiles(const Job& job, const Arguments& args, const generate::Shard& shard)
{
    if (!args.csv)
        return {generate::ShardPath(args.out, shard)};
    const QDir dir(args.out);
    QStringList files;
    for (const JobTable& table : job.tables)
        for (const QString& extension : {u".csv"_s, u".ctl"_s})
            files << dir.filePath(generate::TableFileName(table.rules.table, shard, extension));
    if (generate::HasLaterColumns(TableRuns(job)))
        files << dir.filePath(generate::LaterFileName(shard));
    return files;
}

// Runs `jobs` slices at once, each in a process of this program, and then
// writes the loader scripts of all of them.
int RunJobs(const Job& job, const Arguments& args, QTextStream& out, QTextStream& err)
{
    // The loader scripts name every slice; the job writes them once, at the end.
    const auto [given, environment] = SliceLaunch(job, args, err);
    // The slices' folder is made here, not by each of them, so that a run
    // that does not finish removes it.
    QStringList folders;
    QString error;
    if (!basKovaData::MakeFolders(args.csv ? args.out : QFileInfo(args.out).absolutePath(), &folders, &error)) {
        basKovaData::RemoveFolders(folders);
        err << "stopped, no file was written: " << error << '\n';
        return Stopped;
    }
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int k = 1; k <= args.jobs; ++k) {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->start(args.program, given + QStringList{u"--shard"_s, u"%1/%2"_s.arg(k).arg(args.jobs)});
        processes.push_back(std::move(process));
    }
    int status = AllCreated;
    std::vector<bool> told(processes.size(), false);  // of the stop signal
    QHash<QString, qint64> written;
    QStringList made;  // the files of the slices that finished
    for (int k = 0; k < args.jobs; ++k) {
        QProcess& process = *processes[std::size_t(k)];
        // A stop signal goes on to every slice running; each discards its files.
        while (process.state() != QProcess::NotRunning && !process.waitForFinished(100)) {
            if (StopSignal() == 0)
                continue;
            for (std::size_t j = 0; j < processes.size(); ++j)
                if (!told[j] && processes[j]->state() == QProcess::Running && processes[j]->processId() > 0) {
                    ::kill(pid_t(processes[j]->processId()), StopSignal());
                    told[j] = true;
                }
        }
        const QString lines = QString::fromUtf8(process.readAllStandardOutput());
        for (const QString& line : lines.split(u'\n', Qt::SkipEmptyParts)) {
            const qsizetype colon = line.lastIndexOf(u": "_s);
            if (line.endsWith(u" rows written"_s) && colon > 0)
                written[line.left(colon)] += line.mid(colon + 2).section(u' ', 0, 0).toLongLong();
        }
        for (const QString& line : QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts))
            err << "job " << (k + 1) << '/' << args.jobs << ": " << line << '\n';
        // A slice whose tables were cut to what their keys hold (as here) made its rows.
        if (process.exitStatus() != QProcess::NormalExit
            || (process.exitCode() != AllCreated && process.exitCode() != SomeRefused)) {
            if (process.error() == QProcess::FailedToStart)
                err << "job " << (k + 1) << '/' << args.jobs << ": " << args.program << " cannot start\n";
            status = Stopped;
        } else {
            made << SliceFiles(job, args, {k + 1, args.jobs});
        }
    }
    // Files of one run: all or none.
    if (status != AllCreated || StopSignal() != 0 || (args.csv && !WriteLoaders(job, args.out, args.jobs, err))) {
        for (const QString& file : std::as_const(made))
            QFile::remove(file);
        basKovaData::RemoveFolders(folders);
        err << "stopped, no file was written\n";
        return Stopped;
    }
    for (const JobTable& table : job.tables)
        out << table.rules.table << ": " << written.value(table.rules.table) << " rows written\n";
    out.flush();
    return AllCreated;
}

}  // namespace

bool Seeded(const Job& job)
{
    return std::all_of(job.tables.begin(), job.tables.end(), [](const JobTable& t) { return t.rules.seed.has_value(); });
}

std::pair<QStringList, QProcessEnvironment> SliceLaunch(const Job& job, const Arguments& args, QTextStream& err)
{
    QStringList given = args.given;
    given.remove(given.indexOf(u"--jobs"_s), 2);
    // Every slice must make its part of one run: without a seed, one is chosen.
    if (!Seeded(job)) {
        const std::uint64_t seed = QRandomGenerator::global()->bounded(quint64(1) << 53);
        err << "no seed was given; the jobs use --seed " << seed << '\n';
        given << u"--seed"_s << QString::number(seed);
    }
    // A password typed at the prompt reaches the slices by the environment,
    // never by their command lines.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(basKovaData::PasswordVariable), args.connect.section(u'/', 1));
    environment.insert(QLatin1String(JobSliceVariable), u"1"_s);
    return {given, environment};
}

int WriteFiles(const Job& job, const Arguments& args, QTextStream& out, QTextStream& err,
               const std::function<void(int twips)>& progress)
{
    if (args.jobs > 1)
        return RunJobs(job, args, out, err);
    generate::Shard shard;
    if (args.shard)
        shard = {args.shard->first, args.shard->second};
    if (shard.count > 1 && !Seeded(job)) {
        err << "a shard makes its part of one run only with a seed: give --seed N or \"seed\"\n";
        return Stopped;
    }
    generate::RowFileJob fileJob{args.csv ? generate::RowFileFormat::Csv : generate::RowFileFormat::Sql,
                                 args.out, job.before, EmptiedTables(job), job.after, shard, progress, nullptr,
                                 job.deferred};
    fileJob.stopRequested = [] { return StopSignal() != 0; };
    fileJob.loaders = qEnvironmentVariableIsEmpty(JobSliceVariable);
    const generate::RowFileResult result = generate::WriteRowFiles(TableRuns(job), fileJob);
    if (progress) {
        err << '\n';
        err.flush();
    }
    if (!result.written) {
        err << "stopped, no file was written: " << result.error << '\n';
        return Stopped;
    }
    for (std::size_t t = 0; t < job.tables.size(); ++t)
        out << job.tables[t].rules.table << ": " << result.rows[t] << " rows written\n";
    out.flush();
    return AllCreated;
}

}  // namespace kovagenerate
