#pragma once
// kova-generate without its process: the arguments, and the runs of rule files
// on one login, reported on two streams.
#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

namespace kovagenerate {

// Exit statuses, of the whole job.
inline constexpr int AllCreated = 0;   // every row of every table created
inline constexpr int SomeRefused = 1;  // rows refused in some table (counted), all the others committed
// Nothing kept: an argument, the login or a file was wrong, or the run stopped;
// or the run stopped after a DDL statement of a project's "before" or "after"
// committed part of it, which the message lists.
inline constexpr int Stopped = 2;
// --load with --jobs stopped after some tables' rows (or their emptying)
// were committed: the message lists them.
inline constexpr int PartLoaded = 3;

struct Arguments {
    QString connect;  // user "/" password
    QString service;
    QStringList files;   // rule files, or one project file
    QStringList automatic;  // --auto: tables given the rules 自動設定 proposes
    std::optional<int> rows;     // --rows: instead of the files' own counts
    std::optional<int> preview;  // --preview: print this many rows, write nothing
    std::optional<std::uint64_t> seed;  // --seed: instead of the files' own seeds
    QString out;                 // --out: write files here instead of the database
    bool csv = false;            // --format csv (else sql)
    std::optional<std::pair<int, int>> shard;  // --shard K/N
    int jobs = 0;                // --jobs J: J shards at once, in processes of `program`
    bool load = false;           // --load: into the server's COPY as they are made
    QString pg;                  // --pg CONNINFO: how libpq reaches that server
    QString program;             // this program, for the jobs
    QStringList given;           // the arguments as given

    // Profiles: --profile PATH writes a project of 分布 rules learned from
    // the tables named after the login (in `tables`).
    QString profile;
    std::optional<qint64> sample;  // --sample N: read at most N rows, spread evenly
    bool statisticsOnly = false;   // --statistics-only: read no row
    double scale = 1.0;            // --scale F: rows times F
    bool noValues = false;         // --no-values: copy no source value
    QStringList personal;          // --personal COLUMN,...: columns to treat as personal
    int k = 10;                    // --min-rows K: a value leaves the source only when K rows hold it
    // --compare SOURCE TARGET TABLE...: each a login or a profile (project) file.
    bool compare = false;
    QString source;
    QString target;
    QStringList tables;
    QString report;                // --report FILE.html
    // The thresholds past which --compare exits 1.
    struct Limits {
        double nullPoints = 1.0;   // --max-null-points: NULL rate, in percentage points
        double distinct = 0.10;    // --max-distinct: distinct count, relative
        double tvd = 0.05;         // --max-tvd: total variation distance of the frequent values
        double ks = 0.05;          // --max-ks: Kolmogorov-Smirnov distance (values, lengths, children per parent)
    } limits;
};

inline const QString Usage = QStringLiteral(
    "usage: kova-generate user/password@service FILE.json... [--rows N] [--preview K] [--seed N]\n"
    "       kova-generate user/password@service PROJECT.json [--seed N]\n"
    "       kova-generate user/password@service --auto TABLE... [--rows N] [--seed N]\n"
    "       kova-generate user/password@service --profile PROFILE.json TABLE... [--sample N] [--statistics-only]\n"
    "                     [--scale F] [--no-values] [--personal COLUMN,...] [--min-rows K]\n"
    "       kova-generate --compare SOURCE TARGET TABLE... [--report FILE.html] [--sample N] [--max-... X]\n"
    "  with --out PATH [--format sql|csv] [--shard K/N | --jobs J]: write files, not the database\n"
    "  with --load [--jobs J | --shard K/N] [--pg CONNINFO]: straight into PostgreSQL's COPY\n"
    "       kova-generate --help | --version\n"
    "  user@service instead of user/password@service: the password from KOVA_PASSWORD, or asked");

// What --help prints: the usage, then every option with what it does.
inline const QString Help = Usage + QStringLiteral(
    "\n\noptions:\n"
    "  --rows N          make N rows per table instead of the files' own counts\n"
    "  --preview K       print the first K rows of each table as INSERT statements; write nothing\n"
    "  --seed N          draw every column from its own stream keyed by N (0 to 9007199254740992)\n"
    "  --auto            the arguments after the login name tables, given the rules 自動設定 proposes\n"
    "  --out PATH        write the rows to files at PATH instead of the database\n"
    "  --format sql|csv  with --out: one INSERT script (sql, the default) or a folder of CSV files\n"
    "  --shard K/N       with --out: make only the K-th of N slices of every table's rows (needs a seed)\n"
    "  --jobs J          with --out or --load: make J slices at once (at most 256), in processes of this program\n"
    "  --load            put the rows into PostgreSQL's COPY as they are made, one transaction\n"
    "                    (with --jobs J: J streams per table, each table committed before the next)\n"
    "  --pg CONNINFO     with --load: how libpq reaches the server (else the login's own address)\n"
    "  --profile PATH    learn the tables' profiles and write a project of 分布 rules (and its rule files) to PATH\n"
    "  --sample N        read at most N rows of each table, spread evenly over it\n"
    "  --statistics-only learn from the optimizer's statistics alone, reading no row\n"
    "  --scale F         with --profile: F times the source's rows (children per parent keep their spread)\n"
    "  --no-values       with --profile: copy no source value; bounds rounded\n"
    "  --personal C,...  with --profile: columns (COLUMN or TABLE.COLUMN) to fill from dictionaries\n"
    "  --min-rows K      with --profile: a value leaves the source only when K rows hold it (default 10)\n"
    "  --compare         compare SOURCE and TARGET (each a login or a --profile file) per column\n"
    "  --report PATH     with --compare: also write an HTML page with a chart per column\n"
    "  --max-null-points X, --max-distinct X, --max-tvd X, --max-ks X\n"
    "                    with --compare: the thresholds past which it exits 1 (1, 0.1, 0.05, 0.05)\n"
    "  --help            print this text and exit\n"
    "  --version         print the version and exit\n"
    "exit status: 0 every row created; 1 some rows refused, the others committed;\n"
    "  2 stopped (the message says what, if anything, stays committed);\n"
    "  3 --load --jobs stopped after some tables were committed (the message lists them);\n"
    "  with --compare: 0 every figure within its threshold, 1 some past it, 2 stopped");

// The arguments, or none with *error saying what is wrong.
std::optional<Arguments> ParseArguments(const QStringList& args, QString* error);

// Logs in, reads and checks every file against its table, then fills all the
// tables in one transaction, parents before children (or prints their
// previews and writes nothing). One line per table goes to `out`, with why
// rows were refused under it; messages to `err` (after a run that stopped,
// what stays committed of it); with `progress` a bar on
// `err` as well. Returns the exit status.
int Run(const Arguments& args, QTextStream& out, QTextStream& err, bool progress);

// --profile, once logged in: learns the tables' profiles and writes the
// project. Returns the exit status.
int WriteProfileProject(const Arguments& args, QTextStream& out, QTextStream& err);

// --compare: profiles both sides (logging in where they are logins) and
// prints the figures. Returns the exit status.
int Compare(const Arguments& args, QTextStream& out, QTextStream& err);

}  // namespace kovagenerate
