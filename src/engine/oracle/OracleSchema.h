#pragma once
// Oracle DDL on the embedded engine: runs what OracleDdl reads, and keeps in
// the engine's catalogue tables of the user's file what SQLite cannot hold
// itself: sequences (and the sequence of each identity column), comments,
// constraints that are disabled, and the Oracle text of views SQLite cannot
// run. A constraint is added, dropped, disabled or enabled by rebuilding its
// table as SQLite documents it; like Oracle's DDL, that ends the open
// transaction.
#include <string>
#include <string_view>

class SqliteEngine;

namespace OracleSchema {

inline constexpr const char* SequencesTable = "KOVA$SEQUENCES";
inline constexpr const char* CommentsTable = "KOVA$COMMENTS";
inline constexpr const char* IdentityTable = "KOVA$IDENTITY";
inline constexpr const char* DisabledTable = "KOVA$DISABLED";
inline constexpr const char* ViewsTable = "KOVA$VIEWS";

// Runs `sql` when it is DDL the engine reads itself; returns false when
// SQLite is to run it as written. Throws EngineError.
bool Run(SqliteEngine& engine, std::string_view sql);

// After a DROP SQLite ran as written: what the catalogue keeps of tables and
// views that are gone goes with them.
void ForgetDropped(SqliteEngine& engine);

}  // namespace OracleSchema
