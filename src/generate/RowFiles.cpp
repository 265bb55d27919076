#include "generate/RowFiles.h"

#include "generate/CreationRun.h"
#include "generate/InsertRow.h"
#include "generate/SqlScriptText.h"
#include "rules/ColumnRule.h"
#include "session/AtomicFile.h"
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "session/RowStatements.h"
#include "shared/DateText.h"
#include "shared/SqlName.h"
#include "shared/StatementShape.h"
#include "shared/basKovaData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

using basKovaData::TableRules;
using basKovaData::TypeFamily;

// Bytes gathered before they go to the file.
constexpr qsizetype FlushBytes = 1 << 20;

// `text` as UTF-8 at the end of `bytes`, with no array of its own in between.
void AppendUtf8(QByteArray& bytes, QStringView text)
{
    static thread_local QStringEncoder encoder(QStringConverter::Utf8);
    const qsizetype at = bytes.size();
    bytes.resize(at + text.size() * 3);
    char* end = encoder.appendToBuffer(bytes.data() + at, text);
    bytes.truncate(end - bytes.constData());
}

QString CannotWrite(const QString& path, const QString& reason)
{
    return u"Cannot write %1: %2"_s.arg(QDir::toNativeSeparators(path), reason);
}

QString SystemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

// A file written under its name + ".new": every write is checked, and the
// first that fails stops the run with the file's name and the system's reason.
class OutFile {
public:
    explicit OutFile(const QString& path) : m_path(path), m_file(path + u".new"_s) {}

    void open()
    {
        // A named pipe there is a loader's: the rows go straight into it.
        struct stat status {};
        if (::stat(QFile::encodeName(m_path).constData(), &status) == 0 && S_ISFIFO(status.st_mode)) {
            m_pipe = true;
            m_file.setFileName(m_path);
            if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                fail(m_file.errorString());
            return;
        }
        // A .new file left by a run that never finished goes; a link there is
        // removed, not followed. Unbuffered: a full disk shows at the write
        // that meets it.
        const QFileInfo stale(m_file.fileName());
        if (stale.isSymLink() || stale.isFile())
            QFile::remove(m_file.fileName());
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            fail(m_file.errorString());
    }
    void write(QStringView text)
    {
        AppendUtf8(m_buffer, text);
        if (m_buffer.size() >= FlushBytes)
            flush();
    }
    // The rest of the bytes written and on the disk, the file closed.
    void finish()
    {
        flush();
        if (m_pipe) {
            closePipe();
            return;
        }
        if (!m_file.flush())
            fail(m_file.errorString());
        if (::fsync(m_file.handle()) != 0)
            fail(SystemErrorText(errno));
        m_file.close();
        if (m_file.error() != QFileDevice::NoError)
            fail(m_file.errorString());
    }
    // A pipe's reader is told that the rows end; a file stays open.
    void closePipe()
    {
        if (!m_pipe || !m_file.isOpen())
            return;
        flush();
        m_file.close();
    }
    void setExecutable()
    {
        const auto all = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        if (!m_file.setPermissions(m_file.permissions() | all))
            fail(m_file.errorString());
    }
    // Takes the file's own name; false with *error set when it cannot.
    bool rename(QString* error)
    {
        if (m_pipe)
            return true;
        const QByteArray from = QFile::encodeName(m_file.fileName());
        const QByteArray to = QFile::encodeName(m_path);
        if (::rename(from.constData(), to.constData()) == 0)
            return true;
        *error = CannotWrite(m_path, SystemErrorText(errno));
        return false;
    }
    // Removes the .new file, if there is one.
    void discard()
    {
        if (m_file.isOpen())
            m_file.close();
        if (m_pipe)
            return;  // the loader's own
        const QFileInfo info(m_file.fileName());
        if (info.isFile() || info.isSymLink())
            QFile::remove(m_file.fileName());
    }
    const QString& path() const { return m_path; }

private:
    [[noreturn]] void fail(const QString& reason)
    {
        if (m_pipe)
            throw OraError(u"the loader reading %1 stopped reading (%2)"_s.arg(QDir::toNativeSeparators(m_path), reason));
        throw OraError(CannotWrite(m_path, reason));
    }
    void flush()
    {
        if (m_buffer.isEmpty())
            return;
        // A short write says nothing of why; the write of the rest does.
        for (qsizetype done = 0; done < m_buffer.size();) {
            const qint64 written = m_file.write(m_buffer.constData() + done, m_buffer.size() - done);
            if (written <= 0)
                fail(m_file.errorString());
            done += written;
        }
        m_buffer.resize(0);  // keeps its room
    }
    QString m_path;
    QFile m_file;
    QByteArray m_buffer;
    bool m_pipe = false;
};

// The files of one run: none takes its name until every one is whole. What
// is left of a run that did not finish goes: its .new files, the files that
// took their names before a later one could not, the folders it made.
class FileSet {
public:
    FileSet() = default;
    FileSet(const FileSet&) = delete;
    FileSet& operator=(const FileSet&) = delete;
    ~FileSet()
    {
        if (m_committed)
            return;
        for (const auto& file : m_files)
            file->discard();
        basKovaData::RemoveFolders(m_folders);
    }

    // Makes `folder` and every missing folder above it, noting which were made.
    void makeFolder(const QString& folder)
    {
        QString error;
        if (!basKovaData::MakeFolders(folder, &m_folders, &error))
            throw OraError(error);
    }
    OutFile& open(const QString& path)
    {
        m_files.push_back(std::make_unique<OutFile>(path));
        m_files.back()->open();
        return *m_files.back();
    }
    // Every file whole, then each given its name; on failure none stays.
    QStringList commit()
    {
        for (const auto& file : m_files)
            file->finish();
        QString error;
        for (std::size_t i = 0; i < m_files.size(); ++i)
            if (!m_files[i]->rename(&error)) {
                for (std::size_t k = 0; k < i; ++k)
                    QFile::remove(m_files[k]->path());
                throw OraError(error);
            }
        m_committed = true;
        QStringList paths;
        for (const auto& file : m_files)
            paths << file->path();
        return paths;
    }

private:
    std::vector<std::unique_ptr<OutFile>> m_files;
    QStringList m_folders;  // deepest first
    bool m_committed = false;
};

// A name that is safe as a file's name: what a path cannot hold becomes "_".
QString FileName(const QString& table)
{
    QString name = table;
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || c == u'\0')
            c = u'_';
    return name.startsWith(u'.') ? u'_' + name.mid(1) : name;
}

QString RawSqlRefusal(const QString& table, const basKovaData::ColumnRule& rule, const QString& value)
{
    return u"%1.%2: \"%3\" is SQL text, which a CSV file cannot carry (after \"@\" a file takes a number, NULL, "
           "TO_DATE('YYYYMMDD HHNNSS','YYYYMMDD HH24MISS') or a quoted text)"_s
        .arg(table, rule.ColumnName.trimmed(), value);
}

// The value typed for a fixed or list rule of a character column that a
// CSV field cannot carry (SQL text such as "@SYSDATE"), as a refusal that
// names the table and the column; empty when there is none.
QString CsvRefusal(const TableRules& rules)
{
    for (int j = 1; j <= rules.count(); ++j) {
        const basKovaData::ColumnRule& rule = rules[j];
        const basKovaData::Kind kind = rule.kind();
        if (rule.family() != TypeFamily::Character
            || (kind != basKovaData::Kind::Single && kind != basKovaData::Kind::Multiple))
            continue;
        for (int slot = 0; slot < basKovaData::RuleSlots; ++slot) {
            if (kind == basKovaData::Kind::Single ? slot > 0 : !rule.MultiOn[std::size_t(slot)])
                continue;
            const QString value = rule.TextValue[std::size_t(slot)].trimmed();
            QString field;
            if (!AppendCsvField(field, value))
                return RawSqlRefusal(rules.table, rule, value);
        }
    }
    return {};
}

// The statements of a project's "before" or "after" as lines of a script;
// one that SQL*Plus could not read whole stops the run, named.
QString ScriptStatements(const QStringList& statements, QLatin1StringView key)
{
    QString text;
    for (qsizetype k = 0; k < statements.size(); ++k)
        if (const QString why = AppendScriptText(text, statements[k]); !why.isEmpty()) {
            QString start = statements[k].simplified();
            if (start.size() > 60)
                start = start.left(60) + u'\u2026';
            throw OraError(u"\"%1\" statement %2 (%3) cannot be written to the script: %4"_s.arg(key).arg(k + 1).arg(start, why));
        }
    return text;
}

// Makes the rows of table `t` and hands each, as RowValues, to `row`.
template <typename Row>
void EachRow(RunRows& made, std::size_t t, const std::function<bool()>& stopRequested,
             const std::function<void(int)>& progress, Row&& row)
{
    const qint64 rows = made.Rows(t);
    const qint64 step = ProgressStep(qint32(std::min<qint64>(rows, INT32_MAX)));
    for (qint64 i = 1; i <= rows; ++i) {
        if (i % step == 0) {
            if (stopRequested && stopRequested())
                throw basKovaData::RunStopped();
            if (progress)
                progress(int(i * ProgressFullTwips / rows));
        }
        made.NextRow(t);
        row();
    }
}

// The CSV header line of a table: its columns but those the database fills.
QString CsvHeader(const TableRules& rules, const basKovaData::InsertColumns& named)
{
    QString line;
    for (int j = 1; j <= rules.count(); ++j) {
        if (named.leaves(j))
            continue;
        if (!line.isEmpty())
            line += u',';
        AppendCsvField(line, rules[j].ColumnName.trimmed());
    }
    return line + u"\r\n"_s;
}

// RowValues as one CSV line into `line`; a value a file cannot carry stops
// the run, named.
void AppendCsvRow(QString& line, const TableRules& rules, const basKovaData::InsertColumns& named)
{
    line.resize(0);  // keeps its room for the next line
    bool first = true;
    for (int j = 1; j <= rules.count(); ++j) {
        if (named.leaves(j))  // no field
            continue;
        if (!first)
            line += u',';
        first = false;
        const QString& value = basKovaData::RowValues[std::size_t(j)];
        if (!AppendCsvField(line, value))
            throw OraError(RawSqlRefusal(rules.table, rules[j], value));
    }
    line += u"\r\n"_s;
}

// The rows of `tables` prepared and handed to `write`; a stop or a failure
// (a rule, a source query, a file, a loader) in the result.
template <typename Write>
RowFileResult MakeRows(const std::vector<TableRun>& tables, const Shard& shard, Write&& write)
{
    RowFileResult result;
    result.rows.assign(tables.size(), 0);
    RunRows made(tables, basKovaData::OraDatabase.get(), shard);
    try {
        if (const QString refusal = made.Prepare(); !refusal.isEmpty())
            throw OraError(refusal);
        write(made, result);
        result.written = true;
    } catch (const basKovaData::RunStopped&) {
        result.stopped = true;
        result.error = CreationStoppedMessage;
    } catch (const OraError& error) {
        result.error = error.message();
    }
    return result;
}

}  // namespace

QString ShardSuffix(const Shard& shard)
{
    return shard.count > 1 ? u".%1-of-%2"_s.arg(shard.index).arg(shard.count) : QString();
}

QString TableFileName(const QString& table, const Shard& shard, const QString& extension)
{
    return FileName(table) + ShardSuffix(shard) + extension;
}

QString LaterFileName(const Shard& shard)
{
    return u"keys-later"_s + ShardSuffix(shard) + u".sql"_s;
}

bool HasLaterColumns(const std::vector<TableRun>& tables)
{
    return std::any_of(tables.begin(), tables.end(), [](const TableRun& run) { return !run.later.empty(); });
}

QString ShardPath(const QString& path, const Shard& shard)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), qsizetype(0));
    const qsizetype dot = path.lastIndexOf(u'.');
    const qsizetype at = dot > slash ? dot : path.size();
    return path.left(at) + ShardSuffix(shard) + path.mid(at);
}

RowFileResult WriteRowFiles(const std::vector<TableRun>& tables, const RowFileJob& job)
{
    return MakeRows(tables, job.shard, [&](RunRows& made, RowFileResult& result) {
        if (job.format == RowFileFormat::Csv)
            for (const TableRun& table : tables)
                if (const QString refusal = CsvRefusal(*table.rules); !refusal.isEmpty())
                    throw OraError(refusal);
        FileSet files;
        if (job.format == RowFileFormat::Sql) {
            const QString before = ScriptStatements(job.before, "before"_L1);
            const QString after = ScriptStatements(job.after, "after"_L1);
            const QFileInfo info(ShardPath(job.path, job.shard));
            files.makeFolder(info.absolutePath());
            OutFile& script = files.open(info.filePath());
            // As in the database run, a failing statement of "before" or
            // "after", or a failing emptying, stops the script and keeps
            // nothing, while a refused row is counted and the others kept.
            const bool empties = job.shard.index == 1 && !job.emptied.isEmpty();
            const bool guarded = !before.isEmpty() || !after.isEmpty() || empties;
            const QString stopOnError = u"WHENEVER SQLERROR EXIT FAILURE ROLLBACK\n"_s;
            QString text = u"SET DEFINE OFF\nSET SQLBLANKLINES ON\n"_s;
            if (guarded)
                text += stopOnError;
            text += before;
            // Only the first slice empties the tables: the others add to it.
            if (empties)
                for (const QString& table : job.emptied)
                    text += u"DELETE FROM "_s + basKovaData::ServerSql(table) + u";\n"_s;
            if (guarded)
                text += u"WHENEVER SQLERROR CONTINUE\n"_s;
            if (!job.deferred.empty())
                text += u"SET CONSTRAINTS ALL DEFERRED;\n"_s;
            script.write(text);
            basKovaData::StatementShape shape;
            for (std::size_t t = 0; t < tables.size(); ++t) {
                const TableRules& rules = *tables[t].rules;
                basKovaData::InsertShaper shaper(rules.table, rules.count(), basKovaData::ColumnsOfInsert(rules));
                EachRow(made, t, job.stopRequested, job.progress, [&] {
                    text.clear();
                    shaper.Make(shape);
                    AppendScriptStatement(text, shape);
                    script.write(text);
                });
                result.rows[t] = made.Rows(t);
            }
            // The keys a cycle of tables left NULL, once every table's rows are in.
            for (std::size_t t = 0; t < tables.size(); ++t)
                for (qint64 i = 0; i < made.LaterRows(t); ++i) {
                    made.LaterUpdate(t, i, shape);
                    text.clear();
                    AppendScriptStatement(text, shape);
                    script.write(text);
                }
            script.write((after.isEmpty() ? QString() : stopOnError) + after + u"COMMIT;\n"_s);
        } else {
            const QDir folder(job.path);
            files.makeFolder(folder.absolutePath());
            for (std::size_t t = 0; t < tables.size(); ++t) {
                const TableRules& rules = *tables[t].rules;
                const QString csvName = TableFileName(rules.table, job.shard, u".csv"_s);
                OutFile& csv = files.open(folder.filePath(csvName));
                // A GENERATED ALWAYS identity column is left out: the
                // database gives its values.
                const basKovaData::InsertColumns named = basKovaData::ColumnsOfInsert(rules);
                QString line;
                csv.write(CsvHeader(rules, named));
                EachRow(made, t, job.stopRequested, job.progress, [&] {
                    AppendCsvRow(line, rules, named);
                    csv.write(line);
                });
                result.rows[t] = made.Rows(t);
                // A pipe's reader sees the end of its rows now, not at the end
                // of the run: the loader of the next table waits for it.
                csv.closePipe();
                const QString controlName = TableFileName(rules.table, job.shard, u".ctl"_s);
                files.open(folder.filePath(controlName)).write(ControlFileText(rules, csvName));
            }
            // The keys a cycle of tables left NULL: this slice's UPDATEs, which
            // the loaders run after the last load.
            const bool later = HasLaterColumns(tables);
            if (later) {
                OutFile& updates = files.open(folder.filePath(LaterFileName(job.shard)));
                basKovaData::StatementShape update;
                for (std::size_t t = 0; t < tables.size(); ++t)
                    for (qint64 i = 0; i < made.LaterRows(t); ++i) {
                        made.LaterUpdate(t, i, update);
                        updates.write(update.Literal() + u";\n"_s);
                    }
            }
            // Every slice writes the same loaders, which load all the slices
            // of each table, parents first: whichever slice is made last,
            // they are there.
            if (job.loaders) {
                QStringList updateFiles;
                for (qint64 k = 1; later && k <= job.shard.count; ++k)
                    updateFiles << LaterFileName({k, job.shard.count});
                QStringList tableNames, csvNames, columnLists, controlNames;
                for (std::size_t t = 0; t < tables.size(); ++t)
                    for (qint64 k = 1; k <= job.shard.count; ++k) {
                        const Shard slice{k, job.shard.count};
                        tableNames << tables[t].rules->table;
                        csvNames << TableFileName(tables[t].rules->table, slice, u".csv"_s);
                        columnLists << ColumnList(*tables[t].rules);
                        controlNames << TableFileName(tables[t].rules->table, slice, u".ctl"_s);
                    }
                files.open(folder.filePath(u"load-postgresql.sql"_s))
                    .write(PostgresLoadText(tableNames, csvNames, columnLists, job.emptied, !job.deferred.empty(),
                                            updateFiles));
                OutFile& loader = files.open(folder.filePath(u"load-oracle.sh"_s));
                loader.write(OracleLoadText(tableNames, controlNames, job.emptied, job.deferred, updateFiles));
                loader.setExecutable();
            }
        }
        result.files = files.commit();
    });
}

RowFileResult StreamRows(const std::vector<TableRun>& tables, const RowStreamJob& job, RowSink& sink)
{
    return MakeRows(tables, job.shard, [&](RunRows& made, RowFileResult& result) {
        for (const TableRun& table : tables)
            if (const QString refusal = CsvRefusal(*table.rules); !refusal.isEmpty())
                throw OraError(refusal);
        // Pieces of this size keep the loader busy while the next is made.
        constexpr qsizetype PieceBytes = 1 << 16;
        QByteArray piece;
        piece.reserve(2 * PieceBytes);
        QString line;
        for (std::size_t t = 0; t < tables.size(); ++t) {
            const TableRules& rules = *tables[t].rules;
            const basKovaData::InsertColumns named = basKovaData::ColumnsOfInsert(rules);
            sink.begin(t);
            AppendUtf8(piece, CsvHeader(rules, named));
            EachRow(made, t, job.stopRequested, job.progress, [&] {
                AppendCsvRow(line, rules, named);
                AppendUtf8(piece, line);
                if (piece.size() >= PieceBytes) {
                    sink.write(piece);
                    piece.resize(0);
                }
                ++result.rows[t];
            });
            if (!piece.isEmpty())
                sink.write(piece);
            piece.resize(0);
            sink.end(t, result.rows[t]);
        }
        QStringList statements;
        basKovaData::StatementShape update;
        for (std::size_t t = 0; t < tables.size(); ++t)
            for (qint64 i = 0; i < made.LaterRows(t); ++i) {
                made.LaterUpdate(t, i, update);
                statements << update.Literal();
                if (statements.size() == 1000) {
                    sink.later(statements);
                    statements.clear();
                }
            }
        if (!statements.isEmpty())
            sink.later(statements);
    });
}

}  // namespace generate
