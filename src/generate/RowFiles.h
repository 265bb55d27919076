#pragma once
// The rows of a run written to files instead of the database: an INSERT
// script that SQL*Plus runs as it is, or a folder of CSV files with what the
// bulk loaders need to load them (SQL*Loader control files, a psql script, a
// shell script of sqlldr calls). The files are whole or absent: each is
// written under its name + ".new", every write checked, and only once all
// are whole and on the disk do they take their own names.
#include "generate/LoaderFiles.h"
#include "generate/RunRows.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace basKovaData {
struct TableRules;
}

namespace generate {

enum class RowFileFormat { Sql, Csv };

struct RowFileJob {
    RowFileFormat format = RowFileFormat::Sql;
    // The script's path (sql), or the folder (csv), created when missing.
    QString path;
    // Statements the script runs first and last, and the tables it empties
    // before the rows, children first. The CSV loaders take the emptying
    // only: the other statements belong to a session of the run.
    QStringList before;
    QStringList emptied;
    QStringList after;
    Shard shard;
    // Called per table with the bar's width in twips, as a creation run does.
    std::function<void(int twips)> progress;
    // Asked between rows: true stops the writing, which then keeps no file.
    std::function<bool()> stopRequested;
    // Foreign keys that refer to rows written after theirs: the script and the
    // loaders check them at the commit (or enable them after the last load).
    std::vector<KeyConstraint> deferred;
    // CSV: whether to write the loader scripts (load-postgresql.sql and
    // load-oracle.sh, which load every slice of the run).
    bool loaders = true;
};

struct RowFileResult {
    bool written = false;
    QString error;               // why not (a file and the system's reason, a source query, a stop)
    bool stopped = false;
    std::vector<qint64> rows;    // rows written per table
    QStringList files;           // the files made, in the order written
};

// Makes the rows of `tables` (parents first, as given) and writes them as
// `job` says. Reads the database (select rules, the values that may not
// repeat) and writes nothing to it.
RowFileResult WriteRowFiles(const std::vector<TableRun>& tables, const RowFileJob& job);

// Where a streamed load's rows go: per table, parents first, a CSV header
// line and then the rows, as bytes of UTF-8. A sink that cannot take them
// throws OraError with its reason, which stops the run at once.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void begin(std::size_t t) = 0;
    virtual void write(const QByteArray& bytes) = 0;
    virtual void end(std::size_t t, qint64 rows) = 0;
    // UPDATEs of the keys a cycle of tables left NULL, once every table is in
    // (in batches).
    virtual void later(const QStringList& statements) = 0;
};

struct RowStreamJob {
    Shard shard;
    std::function<void(int twips)> progress;
    std::function<bool()> stopRequested;
};

// Makes the rows of `tables` and hands them to `sink`. `written` is false
// with the reason when a rule, a source query or the sink failed or the run
// was stopped; `rows` counts what reached the sink.
RowFileResult StreamRows(const std::vector<TableRun>& tables, const RowStreamJob& job, RowSink& sink);

// What a shard adds to a file's name: ".K-of-N" for a slice, else nothing.
QString ShardSuffix(const Shard& shard);
// The name of a table's file in a CSV folder: "TABLE.K-of-N.csv".
QString TableFileName(const QString& table, const Shard& shard, const QString& extension);
// The file of a CSV folder that holds a slice's UPDATEs of the keys a cycle
// of tables left NULL ("keys-later.K-of-N.sql"), which the loaders run after
// the last load; there when some table has such keys.
QString LaterFileName(const Shard& shard);
bool HasLaterColumns(const std::vector<TableRun>& tables);
// A path with the shard's suffix before its extension ("out.sql" to "out.2-of-4.sql").
QString ShardPath(const QString& path, const Shard& shard);

}  // namespace generate
