#pragma once
// Oracle DDL as Oracle's tools write it (install scripts, an IDE's export,
// DBMS_METADATA) read into the terms of the embedded engine: the statement
// SQLite runs, and what the engine's catalogue keeps beside it. Owners before
// names ("HR"."REGIONS") are dropped; physical clauses (TABLESPACE, STORAGE,
// PCTFREE, LOGGING, ORGANIZATION INDEX, USING INDEX ...) are read and
// dropped; constraint states (ENABLE, VALIDATE, RELY ...) are dropped.
// Types SQLite cannot spell keep their Oracle text as a quoted type name:
// 'VARCHAR2(20 CHAR)', 'TIMESTAMP(6) WITH TIME ZONE'.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace OracleDdl {

struct Identity {
    std::string column;  // as SQLite names it
    bool always = false;  // GENERATED ALWAYS: a value of the user's own is refused
    long long start = 1;
    long long increment = 1;
};

struct Sequence {
    std::string name;  // as Oracle keeps it: an unquoted name in capitals
    long long start = 1;
    long long increment = 1;
    std::optional<long long> minValue;
    std::optional<long long> maxValue;
    bool cycle = false;
    long long cache = 20;
    bool order = false;
};

// A constraint declared in a CREATE TABLE statement.
struct Constraint {
    char type = 0;  // 'P', 'U', 'R', or 'C' (a CHECK, or a named NOT NULL)
    std::string name;  // as Oracle keeps it; empty when unnamed
    std::vector<std::string> columns;  // in capitals, in key order
    std::string refTable;  // 'R': the parent, in capitals
    std::vector<std::string> refColumns;  // 'R': empty for the parent's primary key
    std::string condition;  // 'C'
    std::string deleteRule;  // 'R': CASCADE, SET NULL or NO ACTION
    // The clause in the statement's text, from CONSTRAINT (or its keyword) to
    // its end, and the comma that separates it from the element before it
    // (out-of-line clauses only; npos for a column's own constraint).
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t comma = std::string::npos;
};

// One column of ALTER TABLE ... MODIFY: what is written changes, the rest stays.
struct ColumnChange {
    std::string column;  // as SQLite names it
    std::string type;    // the new type as SQLite writes it; empty to keep it
    enum class Null { Keep, Null, NotNull } null = Null::Keep;
    std::string notNullName;  // CONSTRAINT name NOT NULL: "CONSTRAINT x "
    bool setDefault = false;
    std::string defaultText;  // " DEFAULT ..." as SQLite writes it
    bool padded = false;      // the new type is CHAR: values compare blank-padded
};

struct Statement {
    enum class Kind {
        AsWritten,        // not one of ours: SQLite runs the text as it is
        Run,              // SQLite runs `sql`
        Nothing,          // a physical statement: accepted, nothing to do
        CreateTable,      // `sql`, `table`, `identities`
        AlterTableAdd,    // `table`, `clauses` (elements to append), `identities`
        DropConstraint,   // `table`, `name`
        ConstraintState,  // `table`, `name`, `enable`
        CreateSequence,   // `sequence`
        DropSequence,     // `sequence.name`
        Comment,          // `table`, `column` (empty for the table itself), `comment`
        CreateView,       // `sql` (without OR REPLACE), `table` (the view), `replace`, `query`
        AlterSession,     // `settings`
        ModifyColumns,    // `table`, `changes`
        DropColumns,      // `table`, `columns`, `enable` (CASCADE CONSTRAINTS)
        RenameColumn,     // `table`, `column`, `name` (the new name as SQLite names it)
        Truncate,         // `table`
        Synonym,          // `name` (as SQLite names it), `table` (the object), `replace`
        SetConstraints,   // `name` (empty: ALL), `enable` (DEFERRED)
        Refused,          // `message`
    };
    Kind kind = Kind::AsWritten;
    std::string sql;
    std::string table;  // a name as SQLite names it: as written, unquoted
    std::string column;
    std::string name;   // a constraint's name as Oracle keeps it
    std::string comment;
    std::string query;  // a view's query as written
    std::vector<std::string> columns;  // a view's column list, as Oracle keeps the names
    bool enable = false;
    bool novalidate = false;  // ENABLE NOVALIDATE: the rows there are not checked
    bool replace = false;
    std::vector<std::string> clauses;
    std::vector<Identity> identities;
    std::vector<ColumnChange> changes;
    Sequence sequence;
    std::vector<std::pair<std::string, std::string>> settings;  // name in capitals, value
    std::string message;
};

Statement Translate(std::string_view sql);

// The constraints of a CREATE TABLE statement, in the order written.
std::vector<Constraint> TableConstraints(std::string_view createTable);

// A constraint as an out-of-line clause of CREATE TABLE, its names quoted.
std::string ClauseText(const Constraint& constraint);
// A CREATE TABLE statement with `clauses` added after its last element, or
// without the clause of `constraint`.
std::string WithClauses(std::string_view createTable, const std::vector<std::string>& clauses);
std::string WithoutClause(std::string_view createTable, const Constraint& constraint);

// The columns of a CREATE TABLE statement, as SQLite names them.
std::vector<std::string> ColumnNames(std::string_view createTable);
// A CREATE TABLE statement with one column changed; empty when the column
// is not there.
std::string WithChange(std::string_view createTable, const ColumnChange& change);
// A CREATE TABLE statement without `column` and the constraints on it alone;
// empty when the column is not there, or when it cannot go (`error` says why:
// a constraint on it and other columns without `cascade`, or the last column).
std::string WithoutColumn(std::string_view createTable, const std::string& column, bool cascade, std::string* error);

// The select list's names of a query (a column's name, or its alias), for a
// view the engine cannot run; empty where an item has no name of its own.
std::vector<std::string> SelectListNames(std::string_view query);

}  // namespace OracleDdl
