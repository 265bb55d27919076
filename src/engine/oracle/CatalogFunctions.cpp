#include "engine/oracle/CatalogFunctions.h"

#include "engine/oracle/OracleDdl.h"

#include <sqlite3.h>

#include <string_view>

namespace {

std::string TextOf(sqlite3_value* value)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return text ? std::string(text, static_cast<size_t>(sqlite3_value_bytes(value))) : std::string();
}

SessionState& State(sqlite3_context* context)
{
    return *static_cast<SessionState*>(sqlite3_user_data(context));
}

// KOVA_SESSION(name, value): ALTER SESSION SET name = value.
void Session(sqlite3_context* context, int, sqlite3_value** argv)
{
    if (TextOf(argv[0]) == "NLS_DATE_FORMAT")
        State(context).dateFormat = TextOf(argv[1]);
    sqlite3_result_null(context);
}

void SequenceError(sqlite3_context* context, const std::string& name)
{
    const std::string message = "ORA-02289: sequence does not exist (" + name + ")";
    sqlite3_result_error(context, message.c_str(), -1);
}

// KOVA_NEXTVAL(name): the sequence's next number, kept in the catalogue.
void NextValue(sqlite3_context* context, int, sqlite3_value** argv)
{
    const std::string name = TextOf(argv[0]);
    sqlite3* db = sqlite3_context_db_handle(context);
    sqlite3_stmt* read = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT LAST_NUMBER, INCREMENT_BY, MIN_VALUE, MAX_VALUE, CYCLE_FLAG "
                           "FROM main.\"KOVA$SEQUENCES\" WHERE SEQUENCE_NAME = ?1",
                           -1, &read, nullptr)
        != SQLITE_OK) {
        sqlite3_finalize(read);
        SequenceError(context, name);
        return;
    }
    sqlite3_bind_text(read, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(read) != SQLITE_ROW) {
        sqlite3_finalize(read);
        SequenceError(context, name);
        return;
    }
    long long value = sqlite3_column_int64(read, 0);
    const long long increment = sqlite3_column_int64(read, 1);
    const bool hasMin = sqlite3_column_type(read, 2) != SQLITE_NULL;
    const bool hasMax = sqlite3_column_type(read, 3) != SQLITE_NULL;
    const long long minValue = sqlite3_column_int64(read, 2);
    const long long maxValue = sqlite3_column_int64(read, 3);
    const bool cycle = sqlite3_column_type(read, 4) == SQLITE_TEXT
                       && std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(read, 4))) == "Y";
    sqlite3_finalize(read);
    if ((increment > 0 && hasMax && value > maxValue) || (increment < 0 && hasMin && value < minValue)) {
        if (!cycle || (increment > 0 && !hasMin) || (increment < 0 && !hasMax)) {
            const std::string message = "ORA-08004: sequence " + name + ".NEXTVAL exceeds "
                                        + (increment > 0 ? "MAXVALUE" : "MINVALUE") + " and cannot be instantiated";
            sqlite3_result_error(context, message.c_str(), -1);
            return;
        }
        value = increment > 0 ? minValue : maxValue;
    }
    long long next = 0;
    if (__builtin_add_overflow(value, increment, &next)) {
        sqlite3_result_error(context, "ORA-08004: sequence exceeds its limit", -1);
        return;
    }
    sqlite3_stmt* write = nullptr;
    sqlite3_prepare_v2(db, "UPDATE main.\"KOVA$SEQUENCES\" SET LAST_NUMBER = ?1 WHERE SEQUENCE_NAME = ?2", -1,
                       &write, nullptr);
    sqlite3_bind_int64(write, 1, next);
    sqlite3_bind_text(write, 2, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    const int rc = sqlite3_step(write);
    sqlite3_finalize(write);
    if (rc != SQLITE_DONE) {
        sqlite3_result_error(context, sqlite3_errmsg(db), -1);
        return;
    }
    State(context).currentValues[name] = value;
    sqlite3_result_int64(context, value);
}

// KOVA_CURRVAL(name): the number NEXTVAL last gave in this session.
void CurrentValue(sqlite3_context* context, int, sqlite3_value** argv)
{
    const std::string name = TextOf(argv[0]);
    const auto& values = State(context).currentValues;
    const auto found = values.find(name);
    if (found == values.end()) {
        const std::string message = "ORA-08002: sequence " + name + ".CURRVAL is not yet defined in this session";
        sqlite3_result_error(context, message.c_str(), -1);
        return;
    }
    sqlite3_result_int64(context, found->second);
}

// KOVA_CONSNAME(sql, type, columns): the name the CREATE TABLE statement
// gives its constraint of `type` ('P', 'U' or 'R') over `columns` (names in
// capitals, separated by commas; any for 'P'); NULL when it names none.
void ConstraintName(sqlite3_context* context, int, sqlite3_value** argv)
{
    const std::string type = TextOf(argv[1]);
    const std::string columns = TextOf(argv[2]);
    for (const OracleDdl::Constraint& c : OracleDdl::TableConstraints(TextOf(argv[0]))) {
        if (c.name.empty() || type.size() != 1 || c.type != type[0])
            continue;
        std::string list;
        for (const std::string& column : c.columns)
            list += (list.empty() ? "" : ",") + column;
        if (c.type == 'P' || list == columns) {
            sqlite3_result_text(context, c.name.data(), static_cast<int>(c.name.size()), SQLITE_TRANSIENT);
            return;
        }
    }
    sqlite3_result_null(context);
}

// KOVA_VIEW_REFUSED(view, reason): raised by a view the engine cannot run.
void ViewRefused(sqlite3_context* context, int, sqlite3_value** argv)
{
    const std::string message = "ORA-00900: view " + TextOf(argv[0])
                                + " uses SQL that the embedded engine cannot run: " + TextOf(argv[1]);
    sqlite3_result_error(context, message.c_str(), -1);
}

}  // namespace

bool RegisterCatalogFunctions(sqlite3* db, SessionState* state)
{
    struct Spec {
        const char* name;
        int arguments;
        int flags;
        void (*function)(sqlite3_context*, int, sqlite3_value**);
    };
    static constexpr Spec Functions[] = {
        {"KOVA_SESSION", 2, 0, Session},
        {"KOVA_NEXTVAL", 1, 0, NextValue},
        {"KOVA_CURRVAL", 1, 0, CurrentValue},
        {"KOVA_CONSNAME", 3, SQLITE_DETERMINISTIC, ConstraintName},
        {"KOVA_VIEW_REFUSED", 2, 0, ViewRefused},
    };
    bool first = true;
    for (const Spec& spec : Functions) {
        // The first function owns the state: SQLite frees it with the connection.
        void (*destroy)(void*) = nullptr;
        if (first)
            destroy = [](void* p) { delete static_cast<SessionState*>(p); };
        if (sqlite3_create_function_v2(db, spec.name, spec.arguments, SQLITE_UTF8 | spec.flags, state, spec.function,
                                       nullptr, nullptr, destroy)
            != SQLITE_OK)
            return false;  // SQLite has called `destroy` if it was given
        first = false;
    }
    return true;
}
