#pragma once
// kova-generate's rows written to files: one run, one slice of a run, or
// several slices at once in processes of their own.
#include <QProcessEnvironment>
#include <QStringList>
#include <QTextStream>

#include <functional>

namespace kovagenerate {

// Set for the slices that --jobs starts.
inline constexpr char JobSliceVariable[] = "KOVA_JOB_SLICE";

struct Arguments;
struct Job;

// Whether every table of the job has a seed, which slices of one run need.
bool Seeded(const Job& job);

// The arguments and the environment of the slices that --jobs starts: the
// arguments given without --jobs, with a seed when the job has none (said on
// `err`); the password and JobSliceVariable in the environment.
std::pair<QStringList, QProcessEnvironment> SliceLaunch(const Job& job, const Arguments& args, QTextStream& err);

// Writes the job's rows as the arguments ask (--out, --format, --shard,
// --jobs); one line per table on `out`, messages on `err`. Returns the exit
// status: nothing is kept of a run that did not finish.
int WriteFiles(const Job& job, const Arguments& args, QTextStream& out, QTextStream& err,
               const std::function<void(int twips)>& progress);

}  // namespace kovagenerate
