#pragma once
// kova-generate --load: the rows of a job go into the server's COPY as they
// are made, through libpq, with no file between. One session loads the whole
// job in one transaction; with --jobs J, J processes each load their slice of
// one table at a time, and each table's slices commit together before the
// next table starts, so that children find their parents' rows.
#include <QTextStream>

#include <functional>

namespace kovagenerate {

struct Arguments;
struct Job;

// Loads the job's rows as the arguments ask; one line per table on `out`,
// messages on `err` (after a failure, what stays committed). Returns the exit
// status.
int LoadRows(const Job& job, const Arguments& args, QTextStream& out, QTextStream& err,
             const std::function<void(int twips)>& progress);

}  // namespace kovagenerate
