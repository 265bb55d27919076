#pragma once
// The rows of an INSERT that need none of the dialect's row triggers. The
// triggers refuse what Oracle refuses and store values as Oracle stores them;
// most generated rows pass them untouched, and firing them costs more than
// the insert itself. For a plain INSERT ... VALUES of a table, this reads
// which column each value goes to, and tells for a row's bound values whether
// the triggers would certainly let them in as they are. Rows it is not sure
// of still go through the triggers, so outcomes and stored values do not
// change.
#include "engine/oracle/OracleTypes.h"

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace InsertChecks {

// One item of the VALUES list and the column it goes to.
struct Item {
    enum class Form { Parameter, Null, ToDate };
    Form form = Form::Parameter;
    std::size_t parameter = 0;  // Parameter, ToDate: the index of its "?" among the statement's
    OracleColumnType type;
    bool notNull = false;
};

struct Plan {
    bool usable = false;
    std::string table;  // as the schema spells it
    std::vector<Item> items;
};

// The plan of an INSERT in its shared form (literals and values as "?");
// not usable for anything but INSERT INTO table [(columns)] VALUES (items)
// naming every column of a table of `owner` that has no triggers of its own,
// each item a "?", NULL or TO_DATE(?, ?).
Plan Read(sqlite3* db, const std::string& owner, const std::string& sharedText);

// A value as it is bound.
struct Bound {
    enum class Kind { Null, Text, Integer, Real };
    Kind kind = Kind::Null;
    std::string_view text;  // Text: UTF-8; Integer, Real: the number as written, without sign
};

// Whether the row triggers would let `value` into the item's column and
// store it as bound.
bool Passes(const Item& item, const Bound& value);

}  // namespace InsertChecks
