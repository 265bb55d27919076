#pragma once
// The order in which a job fills its tables, from their foreign keys: parents
// first, each cycle of keys as one block after its parents and before its
// children. Inside a cycle the tables are ordered so that a key whose rows
// must all have a value (NOT NULL or part of a key) points to an earlier
// table; a key that may be NULL and points to a later table is written NULL
// first, and one that may not is checked at the commit instead, where the
// database can defer it.
#include <QString>
#include <QStringList>

#include <cstddef>
#include <vector>

namespace kovagenerate {

// One foreign key column of a job's table referring to another of its tables.
struct KeyColumn {
    std::size_t table = 0;   // the child, as an index of the job's tables
    std::size_t parent = 0;  // the table it refers to (never the child itself)
    int column = 0;          // 1-based column of the child; 0 when unknown
    QString constraint;
    bool nullable = false;    // every row may leave it NULL
    bool deferrable = false;  // the database may check it at the commit
    bool required = false;    // a per-parent link: the parent comes first
};

struct KeyOrder {
    std::vector<std::size_t> order;       // the tables, parents first
    std::vector<std::vector<int>> later;  // per table: columns written NULL, set once the later table is made
    std::vector<std::vector<int>> ahead;  // per table: columns that refer to rows of a later table
    // The constraints of the `ahead` columns, checked at the commit, as
    // (table, constraint); empty when nothing is deferred.
    std::vector<std::pair<std::size_t, QString>> deferred;
    // A cycle that nothing breaks: its tables in the job's order and the
    // constraints that hold it ("NAME of TABLE" is for the message); the
    // order is then empty.
    std::vector<std::size_t> cycle;
    std::vector<std::pair<std::size_t, QString>> blocking;
};

// Orders `count` tables by `keys`.
KeyOrder OrderTables(std::size_t count, const std::vector<KeyColumn>& keys);

}  // namespace kovagenerate
