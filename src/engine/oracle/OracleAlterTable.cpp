// ALTER TABLE's column clauses, TRUNCATE, and the statements of users,
// privileges and synonyms, read into the terms of the embedded engine; and
// the edits of a stored CREATE TABLE statement they lead to.
#include "engine/oracle/DdlReader.h"
#include "engine/oracle/OracleDdl.h"

namespace OracleDdl {
namespace {

using namespace detail;

bool IsConstraintStart(const Reader& r, std::size_t k)
{
    return r.word(k, "CONSTRAINT") || r.word(k, "PRIMARY") || r.word(k, "UNIQUE") || r.word(k, "FOREIGN")
           || r.word(k, "CHECK");
}

// Words after a column's type in the engine's own column definitions.
bool EndsType(const Reader& r, std::size_t k)
{
    return r.at(k).kind == Kind::Word
           && IsOneOf(r.at(k).text, {"CONSTRAINT", "NOT", "NULL", "PRIMARY", "UNIQUE", "CHECK", "REFERENCES",
                                     "DEFAULT", "COLLATE", "AS", "GENERATED"});
}

// The end of the tokens from `k` to the next word that begins an attribute.
std::size_t AttributeEnd(const Reader& r, std::size_t k, std::size_t to)
{
    int depth = 0;
    std::size_t e = k;
    while (e < to && (depth > 0 || e == k || !EndsType(r, e))) {
        depth += r.symbol(e, "(") ? 1 : r.symbol(e, ")") ? -1 : 0;
        ++e;
    }
    return e;
}

// The end of the attribute at `k`: NOT NULL, DEFAULT with its expression ...
std::size_t ClauseEnd(const Reader& r, std::size_t k, std::size_t to)
{
    if (r.word(k, "NOT") && r.word(k + 1, "NULL"))
        return k + 2;
    if (r.word(k, "DEFAULT"))
        return AttributeEnd(r, k + 1, to);
    return AttributeEnd(r, k, to);
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
        if (upper(a[i]) != upper(b[i]))
            return false;
    }
    return true;
}

// One column of MODIFY, from its clause [from, to).
bool ReadChange(std::string_view sql, const Reader& r, std::size_t from, std::size_t to, ColumnChange* change,
                std::string* refusal)
{
    const Element element = TranslateElement(sql, r, from, to);
    if (!element.refusal.empty())
        *refusal = element.refusal;
    if (!element.ok || element.isConstraint || element.identity)
        return false;
    for (std::size_t k = from + 1; k < to; ++k) {
        if (r.word(k, "NULL") && !r.word(k - 1, "NOT") && !r.word(k - 1, "DEFAULT"))
            change->null = ColumnChange::Null::Null;
    }
    const Reader e(element.text);
    std::size_t k = 0;
    change->column = e.name(&k);
    const std::size_t typeEnd = k < e.end() && !EndsType(e, k) ? AttributeEnd(e, k, e.end()) : k;
    change->type = std::string(e.text(k, typeEnd));
    k = typeEnd;
    while (k < e.end()) {
        if (e.word(k, "CONSTRAINT") && e.word(k + 2, "NOT") && e.word(k + 3, "NULL")) {
            change->notNullName = "CONSTRAINT " + std::string(e.text(k + 1, k + 2)) + " ";
            change->null = ColumnChange::Null::NotNull;
            k += 4;
        } else if (e.word(k, "NOT") && e.word(k + 1, "NULL")) {
            change->null = ColumnChange::Null::NotNull;
            k += 2;
        } else if (e.word(k, "COLLATE") && e.word(k + 1, "RTRIM") && k == typeEnd) {
            change->padded = true;  // the dialect's own, for CHAR
            k += 2;
        } else if (e.word(k, "DEFAULT")) {
            const std::size_t end = AttributeEnd(e, k + 1, e.end());
            change->setDefault = true;
            change->defaultText = " " + std::string(e.text(k, end));
            k = end;
        } else {
            return false;  // a constraint of its own: ADD CONSTRAINT says it
        }
    }
    return !change->type.empty() || change->null != ColumnChange::Null::Keep || change->setDefault;
}

}  // namespace

namespace detail {

// Whether the type that begins at `from` is one the engine holds: Oracle's
// built-in types and SQLite's own names; an object type (MDSYS.SDO_GEOMETRY,
// a user's TYPE) is not.
bool KnownType(const Reader& r, std::size_t from, std::size_t to)
{
    std::size_t k = from;
    while (k + 2 < to && r.isName(k) && r.symbol(k + 1, ".") && r.isName(k + 2)) {
        if (!r.word(k, "SYS") && !r.word(k, "PUBLIC"))
            return false;
        k += 2;
    }
    if (k >= to || r.at(k).kind == Kind::String)
        return true;  // a type the engine wrote itself
    return r.at(k).kind == Kind::Word
           && IsOneOf(r.at(k).text,
                      {"NUMBER", "NUMERIC", "DECIMAL", "DEC", "INTEGER", "INT", "SMALLINT", "BIGINT", "TINYINT",
                       "MEDIUMINT", "INT2", "INT8", "UNSIGNED", "BOOLEAN", "FLOAT", "REAL", "DOUBLE", "VARCHAR2",
                       "VARCHAR", "CHARACTER", "NATIONAL", "NVARCHAR2", "NVARCHAR", "CHAR", "NCHAR", "TEXT",
                       "BINARY_FLOAT", "BINARY_DOUBLE", "TIMESTAMP", "DATE", "DATETIME", "RAW", "LONG", "BLOB",
                       "CLOB", "NCLOB", "BFILE", "ROWID", "UROWID", "XMLTYPE", "JSON", "INTERVAL"});
}

std::string Deferral(const Reader& r, std::size_t k, std::size_t to)
{
    for (; k < to && r.at(k).kind == Kind::Word; ++k) {
        if (r.word(k, "INITIALLY") && r.word(k + 1, "DEFERRED"))
            return " DEFERRABLE INITIALLY DEFERRED";
        if (!IsOneOf(r.at(k).text, {"DEFERRABLE", "INITIALLY", "IMMEDIATE", "NOT", "ENABLE", "VALIDATE", "NOVALIDATE",
                                     "RELY", "NORELY"}))
            break;
    }
    return {};
}

bool BlankPadded(const Reader& r, std::size_t from, std::size_t to)
{
    return from < to && (r.word(from, "CHAR") || r.word(from, "NCHAR") || r.word(from, "CHARACTER"))
           && !r.word(from + 1, "VARYING") && !r.word(from + 1, "LARGE");
}

Statement AlterColumns(std::string_view sql, const Reader& r, std::size_t k, Statement s)
{
    const auto refused = [](std::string message) {
        Statement refusal;
        refusal.kind = Statement::Kind::Refused;
        refusal.message = std::move(message);
        return refusal;
    };
    const auto parts = [&](std::size_t at) {
        std::vector<std::pair<std::size_t, std::size_t>> list;
        if (!r.symbol(at, "("))
            return std::vector<std::pair<std::size_t, std::size_t>>{{at, r.end()}};
        const std::size_t closing = r.close(at);
        if (closing != None)
            list = r.elements(at + 1, closing);
        return list;
    };
    if (r.word(k, "MODIFY") && !r.word(k + 1, "CONSTRAINT") && !r.word(k + 1, "PRIMARY") && !r.word(k + 1, "UNIQUE")
        && !r.word(k + 1, "PARTITION") && !r.word(k + 1, "DEFAULT") && !r.word(k + 1, "LOB")) {
        for (const auto& [from, to] : parts(k + 1)) {
            ColumnChange change;
            std::string refusal;
            if (!ReadChange(sql, r, from, to, &change, &refusal))
                return refusal.empty() ? Statement() : refused(refusal);
            s.changes.push_back(std::move(change));
        }
        s.kind = s.changes.empty() ? Statement::Kind::AsWritten : Statement::Kind::ModifyColumns;
        return s;
    }
    const bool setUnused = r.word(k, "SET") && r.word(k + 1, "UNUSED");
    if ((r.word(k, "DROP") && r.word(k + 1, "UNUSED")) || (r.word(k, "DROP") && r.word(k + 1, "COLUMNS")
                                                             && r.word(k + 2, "CONTINUE"))) {
        s.kind = Statement::Kind::Nothing;  // unused columns are gone already
        return s;
    }
    if ((r.word(k, "DROP") || setUnused) && (r.word(k + 1 + setUnused, "COLUMN") || r.symbol(k + 1 + setUnused, "("))) {
        std::size_t j = k + 1 + setUnused;
        if (r.word(j, "COLUMN")) {
            ++j;
            const std::string column = r.name(&j);
            if (column.empty())
                return Statement();
            s.columns.push_back(column);
        } else {
            const std::size_t closing = r.close(j);
            if (closing == None)
                return Statement();
            for (const auto& [from, to] : r.elements(j + 1, closing)) {
                std::size_t n = from;
                const std::string column = r.name(&n);
                if (column.empty() || n != to)
                    return Statement();
                s.columns.push_back(column);
            }
            j = closing + 1;
        }
        for (; j < r.end(); ++j) {
            if (r.word(j, "CASCADE") && r.word(j + 1, "CONSTRAINTS")) {
                s.enable = true;
                ++j;
            } else if (!(r.word(j, "CHECKPOINT") || r.word(j, "ONLINE") || r.at(j).kind == Kind::Number)) {
                return Statement();
            }
        }
        s.kind = Statement::Kind::DropColumns;
        return s;
    }
    if (r.word(k, "RENAME") && r.word(k + 1, "COLUMN")) {
        std::size_t j = k + 2;
        s.column = r.name(&j);
        if (s.column.empty() || !r.word(j, "TO"))
            return Statement();
        ++j;
        s.name = r.name(&j);
        if (s.name.empty() || j != r.end())
            return Statement();
        s.kind = Statement::Kind::RenameColumn;
        return s;
    }
    return Statement();
}

Statement SessionStatement(const Reader& r)
{
    Statement s;
    std::size_t k = 1;
    if (r.word(0, "TRUNCATE") && r.word(1, "TABLE")) {
        k = 2;
        s.table = r.name(&k);
        // PRESERVE|PURGE MATERIALIZED VIEW LOG, DROP [ALL] STORAGE, REUSE STORAGE
        for (; k < r.end(); ++k) {
            if (!(r.word(k, "PRESERVE") || r.word(k, "PURGE") || r.word(k, "MATERIALIZED") || r.word(k, "VIEW")
                  || r.word(k, "LOG") || r.word(k, "DROP") || r.word(k, "ALL") || r.word(k, "REUSE")
                  || r.word(k, "STORAGE")))
                return Statement();
        }
        s.kind = s.table.empty() ? Statement::Kind::AsWritten : Statement::Kind::Truncate;
        return s;
    }
    if (r.word(0, "SET") && (r.word(1, "CONSTRAINTS") || r.word(1, "CONSTRAINT")) ) {
        const bool deferred = r.word(r.end() - 1, "DEFERRED");
        if (!deferred && !r.word(r.end() - 1, "IMMEDIATE"))
            return Statement();
        s.kind = Statement::Kind::SetConstraints;
        s.enable = deferred;
        if (!r.word(2, "ALL"))
            s.name = r.oracleName(2);
        return s;
    }
    // One user holds the file: privileges, users and roles have nothing to change.
    const bool create = r.word(0, "CREATE") || r.word(0, "ALTER") || r.word(0, "DROP");
    if (r.word(0, "GRANT") || r.word(0, "REVOKE") || (r.word(0, "SET") && r.word(1, "ROLE"))
        || (create && (r.word(1, "USER") || r.word(1, "ROLE")))) {
        s.kind = Statement::Kind::Nothing;
        return s;
    }
    k = 1;
    if (r.word(0, "CREATE") && r.word(k, "OR") && r.word(k + 1, "REPLACE")) {
        s.replace = true;
        k += 2;
    }
    if (r.word(0, "CREATE") || r.word(0, "DROP")) {
        if (r.word(k, "PUBLIC"))
            ++k;
        if (!r.word(k, "SYNONYM"))
            return Statement();
        ++k;
        s.name = r.name(&k);
        if (r.word(0, "CREATE")) {
            if (!r.word(k, "FOR"))
                return Statement();
            ++k;
            s.table = r.name(&k);
            if (r.symbol(k, "@") && r.isName(k + 1))
                k += 2;  // a database link: nothing here to reach
        }
        if (s.name.empty() || k != r.end() || (r.word(0, "CREATE") && s.table.empty()))
            return Statement();
        s.kind = Statement::Kind::Synonym;
    }
    return s;
}

}  // namespace detail

std::vector<std::string> ColumnNames(std::string_view createTable)
{
    std::vector<std::string> names;
    const Reader r(createTable);
    const auto [open, closing] = r.firstParentheses();
    if (closing == None)
        return names;
    for (const auto& [from, to] : r.elements(open + 1, closing)) {
        std::size_t k = from;
        if (!IsConstraintStart(r, from))
            names.push_back(r.name(&k));
    }
    return names;
}

std::string WithChange(std::string_view createTable, const ColumnChange& change)
{
    const Reader r(createTable);
    const auto [open, closing] = r.firstParentheses();
    if (closing == None)
        return {};
    for (const auto& [from, to] : r.elements(open + 1, closing)) {
        std::size_t k = from;
        if (IsConstraintStart(r, from) || !SameName(r.name(&k), change.column))
            continue;
        const std::size_t typeEnd = k < to && !EndsType(r, k) ? AttributeEnd(r, k, to) : k;
        std::string column(r.text(from, from + 1));
        column += " " + (change.type.empty() ? std::string(r.text(k, typeEnd)) : change.type);
        std::string attributes;
        std::string defaultText;
        for (k = typeEnd; k < to;) {
            std::size_t end = ClauseEnd(r, k, to);
            const bool named = r.word(k, "CONSTRAINT");
            const std::size_t body = named ? k + 2 : k;
            const bool notNull = r.word(body, "NOT") && r.word(body + 1, "NULL");
            if (named && body >= end) {  // CONSTRAINT x: the name of what follows
                const std::size_t next = ClauseEnd(r, body, to);
                if (!(r.word(body, "NOT") && r.word(body + 1, "NULL") && change.null != ColumnChange::Null::Keep))
                    attributes += " " + std::string(r.text(k, next));
                k = next;
                continue;
            }
            if (r.word(k, "DEFAULT"))
                defaultText = " " + std::string(r.text(k, end));
            else if (r.word(k, "COLLATE") && !change.type.empty())
                end = k + 2;  // the new type says how its values compare
            else if (!(notNull && change.null != ColumnChange::Null::Keep))
                attributes += " " + std::string(r.text(k, end));
            k = end;
        }
        if (change.setDefault)
            defaultText = change.defaultText;
        if (change.null == ColumnChange::Null::NotNull)
            attributes = " " + change.notNullName + "NOT NULL" + attributes;
        if (change.padded)
            attributes = " COLLATE RTRIM" + attributes;
        return std::string(createTable.substr(0, r.at(from).begin)) + column + defaultText + attributes
               + std::string(createTable.substr(r.at(to - 1).end));
    }
    return {};
}

std::string WithoutColumn(std::string_view createTable, const std::string& column, bool cascade, std::string* error)
{
    const Reader r(createTable);
    const auto [open, closing] = r.firstParentheses();
    if (closing == None)
        return {};
    const std::vector<std::string> names = ColumnNames(createTable);
    std::string kept;
    bool found = false;
    for (const auto& [from, to] : r.elements(open + 1, closing)) {
        std::size_t k = from;
        if (!IsConstraintStart(r, from)) {
            if (SameName(r.name(&k), column))
                found = true;
            else
                kept += (kept.empty() ? "" : ", ") + std::string(r.text(from, to));
            continue;
        }
        // A constraint on the column alone goes with it; one on more columns
        // stops the drop, or goes too with CASCADE CONSTRAINTS.
        bool mentions = false;
        int others = 0;
        std::size_t body = r.word(from, "CONSTRAINT") ? from + 2 : from;
        std::size_t stop = to;
        if (r.word(body, "FOREIGN")) {
            for (stop = body; stop < to && !r.word(stop, "REFERENCES"); ++stop) {}
        }
        for (std::size_t j = body; j < stop; ++j) {
            if (!r.isName(j) || r.symbol(j + 1, "("))
                continue;
            std::string word = r.at(j).kind == Kind::Word ? std::string(r.text(j, j + 1)) : r.at(j).text;
            if (SameName(word, column))
                mentions = true;
            else
                for (const std::string& name : names)
                    others += SameName(word, name) ? 1 : 0;
        }
        if (mentions && others > 0 && !cascade) {
            *error = "ORA-12991: column is referenced in a multi-column constraint";
            return {};
        }
        if (!mentions)
            kept += (kept.empty() ? "" : ", ") + std::string(r.text(from, to));
    }
    if (!found)
        return {};
    if (kept.empty() || IsConstraintStart(Reader(kept), 0)) {
        *error = "ORA-12983: cannot drop all columns in a table";
        return {};
    }
    return std::string(createTable.substr(0, r.at(open).end)) + kept + std::string(createTable.substr(r.at(closing).begin));
}

}  // namespace OracleDdl
