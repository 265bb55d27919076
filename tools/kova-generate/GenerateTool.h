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
    QString program;             // this program, for the jobs
    QStringList given;           // the arguments as given
};

inline const QString Usage = QStringLiteral(
    "usage: kova-generate user/password@service FILE.json... [--rows N] [--preview K] [--seed N]\n"
    "       kova-generate user/password@service PROJECT.json [--seed N]\n"
    "       kova-generate user/password@service --auto TABLE... [--rows N] [--seed N]\n"
    "  with --out PATH [--format sql|csv] [--shard K/N | --jobs J]: write files, not the database\n"
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
    "  --jobs J          with --out: make J slices at once, in processes of this program\n"
    "  --help            print this text and exit\n"
    "  --version         print the version and exit\n"
    "exit status: 0 every row created; 1 some rows refused, the others committed;\n"
    "  2 stopped (the message says what, if anything, stays committed)");

// The arguments, or none with *error saying what is wrong.
std::optional<Arguments> ParseArguments(const QStringList& args, QString* error);

// Logs in, reads and checks every file against its table, then fills all the
// tables in one transaction, parents before children (or prints their
// previews and writes nothing). One line per table goes to `out`, with why
// rows were refused under it; messages to `err` (after a run that stopped,
// what stays committed of it); with `progress` a bar on
// `err` as well. Returns the exit status.
int Run(const Arguments& args, QTextStream& out, QTextStream& err, bool progress);

}  // namespace kovagenerate
