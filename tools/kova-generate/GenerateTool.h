#pragma once
// kova-generate without its process: the arguments, and the runs of rule files
// on one login, reported on two streams.
#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

namespace kovagenerate {

// Exit statuses.
inline constexpr int AllCreated = 0;
inline constexpr int SomeRefused = 1;  // refused rows counted, the others committed
inline constexpr int Stopped = 2;      // a run kept nothing, or an argument, the login or a file was wrong

struct Arguments {
    QString connect;  // user "/" password
    QString service;
    QStringList files;
    std::optional<int> rows;     // --rows: instead of the files' own counts
    std::optional<int> preview;  // --preview: print this many rows, write nothing
};

inline const QString Usage =
    QStringLiteral("usage: kova-generate user/password@service FILE.json... [--rows N] [--preview K]");

// The arguments, or none with *error saying what is wrong.
std::optional<Arguments> ParseArguments(const QStringList& args, QString* error);

// Logs in, checks every file against its table, then fills the tables in the
// order given (or prints their previews). One line per table goes to `out`,
// messages to `err`; with `progress` a bar on `err` as well. Returns the exit
// status.
int Run(const Arguments& args, QTextStream& out, QTextStream& err, bool progress);

}  // namespace kovagenerate
