#pragma once
// The tables of one kova-generate job, read and checked whole before any row
// is made: from rule files, a project file or --auto, each table with its
// rules, its row count or its parent, ordered parents first.
#include "generate/CreationRun.h"
#include "generate/LoaderFiles.h"
#include "generate/ProjectFile.h"
#include "rules/ColumnRule.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QTextStream;

namespace kovagenerate {

struct Arguments;

// One table as the job names it, before it is read.
struct JobEntry {
    QString label;      // what messages about it start with: its file
    QString rulesPath;  // its rule file; empty for the rules 自動設定 proposes
    QString table;      // as named by the project or --auto; else the file's
    std::optional<qint64> rows;
    std::optional<generate::ProjectTable::PerParent> perParent;
};

// A table read and checked against the schema.
struct JobTable {
    QString label;
    basKovaData::TableRules rules;
    qint64 rows = 0;
    std::optional<generate::ProjectTable::PerParent> perParent;
    std::optional<generate::PerParent> parentLink;  // resolved against the order
    // Rules proposed by 自動設定 (--auto, a project's "rules": "auto"): the
    // rows asked are for the whole schema, and the table takes as many of
    // them as its keys hold.
    bool automatic = false;
    // Foreign key columns (1-based) that refer to a table made after this one,
    // in a cycle: written NULL first (`later`), or checked at the commit
    // (`ahead`); see generate::TableRun.
    std::vector<int> later;
    std::vector<int> ahead;
};

struct Job {
    QString label;  // the project file, or empty
    std::vector<JobEntry> entries;
    std::optional<std::uint64_t> seed;
    bool emptyFirst = false;
    QStringList before;
    QStringList after;
    std::vector<JobTable> tables;  // once read: parents first
    // The foreign keys that refer to rows made after theirs: the run checks
    // them at the commit (SET CONSTRAINTS ALL DEFERRED).
    std::vector<generate::KeyConstraint> deferred;
};

// The job the arguments describe, its files read; none with the reason on
// `err`.
std::optional<Job> ReadJob(const Arguments& args, QTextStream& err);

// The schema's tables as the dictionary spells them (the names a file or an
// argument may give reach SQL only once they are one of these); none, with
// the reason on `err`, when the dictionary cannot be read.
std::optional<QStringList> SchemaTableNames(QTextStream& err);

// Reads every entry's table and rules from the database and the files,
// checks them, and orders them parents first. False, with `FILE: problem`
// lines on `err`, when anything is wrong; nothing has been written then.
bool PrepareTables(Job& job, QTextStream& err);

// The tables the job empties first, children first: all of them with
// "empty-first", else none.
QStringList EmptiedTables(const Job& job);

// The tables as the creation run and the file writers take them.
std::vector<generate::TableRun> TableRuns(const Job& job);

}  // namespace kovagenerate
