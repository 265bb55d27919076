#pragma once
// Row triggers that fill columns, as Oracle schemas write them:
//     CREATE [OR REPLACE] [EDITIONABLE] TRIGGER name
//       BEFORE INSERT [OR UPDATE [OF col, ...]] ON table
//       [REFERENCING NEW AS n OLD AS o] FOR EACH ROW [WHEN (condition)]
//     [DECLARE ...] BEGIN ... END;
// with a body TriggerBody reads. Their text is kept in the catalogue table
// KOVA$TRIGGERS of the user's file and shown by USER_TRIGGERS; ALTER TRIGGER
// ... ENABLE/DISABLE, ALTER TABLE ... ENABLE/DISABLE ALL TRIGGERS and DROP
// TRIGGER change it. They run where the row is made: an INSERT of a table
// with enabled triggers runs as an INSERT whose rows pass through the
// triggers' expressions before SQLite sees them, and an UPDATE sets the
// columns the triggers assign as well. Tables without enabled triggers run
// as they are.
#include "engine/oracle/TriggerBody.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

class SqliteEngine;
struct sqlite3;
struct LexedStatement;

namespace OracleTriggers {

inline constexpr const char* TriggersTable = "KOVA$TRIGGERS";

struct Trigger {
    std::string name;   // as Oracle keeps it
    std::string table;  // as written, unquoted
    bool replace = false;
    bool onInsert = false;
    bool onUpdate = false;
    std::vector<std::string> updateColumns;  // UPDATE OF: in capitals
    std::string newName = "NEW";
    std::string oldName = "OLD";
    std::string when;  // the condition as written, without its parentheses
    std::string body;  // from DECLARE or BEGIN to the end, as written
    bool enabled = true;
    std::string event() const;  // "INSERT", "UPDATE" or "INSERT OR UPDATE"
};

// Reads a CREATE TRIGGER statement; throws EngineError with the line a
// trigger of another kind gets.
Trigger Read(std::string_view createTrigger);

// CREATE TRIGGER, ALTER TRIGGER, DROP TRIGGER and ALTER TABLE ...
// ENABLE/DISABLE ALL TRIGGERS; false for any other statement.
bool Run(SqliteEngine& engine, std::string_view sql);

// After DROP TABLE: the triggers of tables that are gone go with them.
void ForgetDropped(SqliteEngine& engine);

// The enabled triggers of a schema, read from its catalogue.
class Kept {
public:
    void load(sqlite3* db);
    bool empty() const { return m_tables.empty(); }
    // Whether `lexed` is an INSERT or UPDATE of a table with enabled triggers.
    bool fires(const LexedStatement& lexed) const;
    // The statement as it runs with the triggers, in the engine's words and
    // (when `lexed` has one) its shared form with the same literals; false
    // when none of them fires for it.
    bool rewrite(const LexedStatement& lexed, LexedStatement* out) const;

private:
    struct Column {
        std::string name;   // as SQLite names it
        std::string upper;
        std::string defaultValue;  // SQL text; empty for none
    };
    struct Compiled {
        Trigger trigger;
        TriggerBody::Body body;
        TriggerBody::Expr when;
    };
    struct Table {
        std::string name;
        std::vector<Column> columns;
        std::vector<Compiled> triggers;
        // Triggers naming a column the table no longer has: a statement
        // that would fire one is refused.
        std::vector<Trigger> invalid;
        // GENERATED ALWAYS identity columns, in capitals: an INSERT that
        // gives one a value, NULL too, is refused.
        std::vector<std::string> always;
    };
    const Trigger* invalidFor(const Table& table, bool inserting) const;
    static const std::string* givenAlways(const std::string& insert, const Table& table);
    Table* tableNamed(sqlite3* db, const std::string& name);
    const Table* tableOf(const LexedStatement& lexed) const;
    bool rewriteInsert(std::string_view sql, const Table& table, std::string* out) const;
    bool rewriteUpdate(std::string_view sql, const Table& table, std::string* out) const;
    std::map<std::string, Table> m_tables;  // by name in capitals
    sqlite3* m_db = nullptr;
};

}  // namespace OracleTriggers
