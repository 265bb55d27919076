#pragma once
// Functions of the embedded engine that keep state per connection or read the
// engine's catalogue: the session's NLS_DATE_FORMAT, sequences (NEXTVAL and
// CURRVAL), constraint names as the DDL wrote them, and the refusal of a view
// the engine keeps but cannot run.
#include <map>
#include <string>

struct sqlite3;

// What one connection's session has set.
struct SessionState {
    std::string dateFormat;  // NLS_DATE_FORMAT; empty for the engine's defaults
    std::map<std::string, long long> currentValues;  // CURRVAL per sequence
};

// Registers KOVA_SESSION, KOVA_NEXTVAL, KOVA_CURRVAL, KOVA_CONSNAME,
// KOVA_VIEW_REFUSED and TO_TIMESTAMP; the connection owns `state` from then on.
bool RegisterCatalogFunctions(sqlite3* db, SessionState* state);
