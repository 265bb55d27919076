#include "engine/oracle/OracleDdl.h"

#include "engine/oracle/DdlReader.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>

namespace OracleDdl {
namespace {

using namespace detail;

// Words that begin a column's attribute, ending its type or its DEFAULT.
bool IsAttributeWord(const std::string& word)
{
    return IsOneOf(word, {"CONSTRAINT", "NOT", "NULL", "PRIMARY", "UNIQUE", "CHECK", "REFERENCES", "GENERATED",
                          "ENABLE", "DISABLE", "COLLATE", "VISIBLE", "INVISIBLE", "DEFAULT", "AS", "SORT",
                          "USING", "VALIDATE", "NOVALIDATE", "RELY", "NORELY", "DEFERRABLE", "INITIALLY"});
}

// Words of a constraint's state and index, read and dropped.
bool IsStateWord(const std::string& word)
{
    return IsOneOf(word, {"ENABLE", "DISABLE", "VALIDATE", "NOVALIDATE", "RELY", "NORELY", "DEFERRABLE", "INITIALLY",
                          "IMMEDIATE", "DEFERRED", "USING", "EXCEPTIONS", "VISIBLE", "INVISIBLE", "SORT", "NOSORT"});
}

std::optional<long long> ReadInteger(const Reader& r, std::size_t* k)
{
    bool negative = false;
    if (r.symbol(*k, "-") || r.symbol(*k, "+")) {
        negative = r.symbol(*k, "-");
        ++*k;
    }
    if (*k >= r.end() || r.at(*k).kind != Kind::Number)
        return std::nullopt;
    const std::string& digits = r.at(*k).text;
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    ++*k;
    return negative ? -value : value;
}

// A condition as SQLite runs it: "x IS [NOT] JSON" becomes json_valid.
std::string Condition(std::string_view sql, const Reader& r, std::size_t from, std::size_t to)
{
    std::string out;
    std::size_t copied = from < to ? r.at(from).begin : 0;
    for (std::size_t k = from; k < to; ++k) {
        if (!r.isName(k) || !r.word(k + 1, "IS"))
            continue;
        std::size_t j = k + 2;
        const bool negated = r.word(j, "NOT");
        if (negated)
            ++j;
        if (!r.word(j, "JSON") || j >= to)
            continue;
        ++j;
        while (j < to && (r.word(j, "STRICT") || r.word(j, "LAX")))
            ++j;
        out.append(sql.substr(copied, r.at(k).begin - copied));
        // NULL is neither JSON nor not JSON: the row passes, as on Oracle.
        const std::string operand(r.text(k, k + 1));
        out += "(" + operand + " IS NULL OR " + (negated ? "NOT " : "") + "json_valid(CAST(" + operand + " AS TEXT)))";
        copied = r.at(j - 1).end;
        k = j - 1;
    }
    if (from < to)
        out.append(sql.substr(copied, r.at(to - 1).end - copied));
    return out;
}

// Skips a constraint's state and USING INDEX clause from `k` within [k, to).
std::size_t SkipStates(const Reader& r, std::size_t k, std::size_t to)
{
    while (k < to && r.at(k).kind == Kind::Word) {
        const std::string& w = r.at(k).text;
        if (w == "USING" && r.word(k + 1, "INDEX")) {
            k += 2;
            // USING INDEX (CREATE INDEX ...), USING INDEX name, or physical words.
            while (k < to && !(r.at(k).kind == Kind::Word && IsStateWord(r.at(k).text) && r.at(k).text != "USING")
                   && !(r.at(k).kind == Kind::Word && IsAttributeWord(r.at(k).text))) {
                if (r.symbol(k, "(")) {
                    const std::size_t c = r.close(k, to);
                    k = c == None ? to : c + 1;
                } else {
                    ++k;
                }
            }
        } else if (w == "EXCEPTIONS" && r.word(k + 1, "INTO")) {
            k += 2;
            r.name(&k);
        } else if (w == "NOT" && r.word(k + 1, "DEFERRABLE")) {
            k += 2;
        } else if (IsStateWord(w) && w != "USING") {
            ++k;
        } else {
            break;
        }
    }
    return k;
}

// "REFERENCES [owner.]t [(cols)] [ON DELETE CASCADE|SET NULL]" from `k`.
bool References(const Reader& r, std::size_t* k, std::size_t to, std::string* out)
{
    ++*k;
    const std::string parent = r.name(k);
    if (parent.empty())
        return false;
    *out += "REFERENCES " + Quote(parent);
    if (r.symbol(*k, "(")) {
        const std::size_t c = r.close(*k, to);
        if (c == None)
            return false;
        *out += " " + std::string(r.text(*k, c + 1));
        *k = c + 1;
    }
    if (r.word(*k, "ON") && r.word(*k + 1, "DELETE")) {
        if (r.word(*k + 2, "CASCADE")) {
            *out += " ON DELETE CASCADE";
            *k += 3;
        } else if (r.word(*k + 2, "SET") && r.word(*k + 3, "NULL")) {
            *out += " ON DELETE SET NULL";
            *k += 4;
        } else {
            return false;
        }
    }
    return *k <= to;
}

// A constraint's body (PRIMARY KEY ..., UNIQUE ..., CHECK (...), FOREIGN KEY
// ... REFERENCES ..., NOT NULL, REFERENCES ...) at `k`, as SQLite writes it.
bool ConstraintBody(std::string_view sql, const Reader& r, std::size_t* k, std::size_t to, bool inlineColumn,
                    std::string* out)
{
    const auto list = [&](std::size_t open) {
        if (!r.symbol(open, "("))
            return false;
        const std::size_t c = r.close(open, to);
        if (c == None)
            return false;
        *out += " " + std::string(r.text(open, c + 1));
        *k = c + 1;
        return true;
    };
    if (r.word(*k, "PRIMARY") && r.word(*k + 1, "KEY")) {
        *out += "PRIMARY KEY";
        *k += 2;
        return inlineColumn || list(*k);
    }
    if (r.word(*k, "UNIQUE")) {
        *out += "UNIQUE";
        *k += 1;
        return inlineColumn || list(*k);
    }
    if (r.word(*k, "CHECK") && r.symbol(*k + 1, "(")) {
        const std::size_t c = r.close(*k + 1, to);
        if (c == None)
            return false;
        *out += "CHECK (" + Condition(sql, r, *k + 2, c) + ")";
        *k = c + 1;
        return true;
    }
    if (!inlineColumn && r.word(*k, "FOREIGN") && r.word(*k + 1, "KEY")) {
        *out += "FOREIGN KEY";
        if (!list(*k + 2) || !r.word(*k, "REFERENCES"))
            return false;
        *out += " ";
        return References(r, k, to, out);
    }
    if (inlineColumn && r.word(*k, "REFERENCES"))
        return References(r, k, to, out);
    if (inlineColumn && r.word(*k, "NOT") && r.word(*k + 1, "NULL")) {
        *out += "NOT NULL";
        *k += 2;
        return true;
    }
    return false;
}

// Whether SQLite reads `type` as a type name: words, then at most "(n)" or
// "(n,m)".
bool SqliteSpells(const std::string& type)
{
    const std::size_t open = type.find('(');
    if (type.find(" TO ") != None)
        return false;  // INTERVAL DAY TO SECOND: TO is SQLite's keyword
    for (std::size_t i = 0; i < std::min(open, type.size()); ++i) {
        const char c = type[i];
        if (!(c == ' ' || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    if (open == None)
        return true;
    if (type.back() != ')')
        return false;
    int commas = 0;
    for (std::size_t i = open + 1; i + 1 < type.size(); ++i) {
        const char c = type[i];
        if (c == ',')
            ++commas;
        else if (!((c >= '0' && c <= '9') || c == '-' || c == '+'))
            return false;
    }
    return commas <= 1 && type.size() > open + 2;
}

// Canonical type text from the tokens [from, to): "VARCHAR2(20 BYTE)" loses
// its default unit, TIMESTAMP gets its default precision, and a type SQLite
// cannot spell is quoted.
std::string TypeText(const Reader& r, std::size_t from, std::size_t to)
{
    for (std::size_t k = from; k < to; ++k) {
        if (r.at(k).kind == Kind::String || r.at(k).kind == Kind::QuotedName)
            return std::string(r.text(from, to));  // written by the engine itself
    }
    std::string type;
    int depth = 0;
    for (std::size_t k = from; k < to; ++k) {
        const PlacedToken& token = r.at(k);
        if (r.word(k, "BYTE") && depth > 0)
            continue;
        const bool wordLike = token.kind == Kind::Word || token.kind == Kind::Number;
        if (wordLike && !type.empty() && type.back() != '(' && type.back() != ',' && type.back() != '-'
            && type.back() != '+')
            type.push_back(' ');
        if (r.symbol(k, "("))
            ++depth;
        else if (r.symbol(k, ")"))
            --depth;
        type += token.kind == Kind::Word ? token.text : std::string(r.text(k, k + 1));
    }
    if (type == "TIMESTAMP" || type.rfind("TIMESTAMP WITH", 0) == 0)
        type.insert(9, "(6)");
    return SqliteSpells(type) ? type : Quote(type, '\'');
}

}  // namespace

namespace detail {

Element TranslateElement(std::string_view sql, const Reader& r, std::size_t from, std::size_t to)
{
    Element element;
    std::size_t k = from;
    std::string pendingName;
    if (r.word(k, "CONSTRAINT") || r.word(k, "PRIMARY") || r.word(k, "UNIQUE") || r.word(k, "FOREIGN")
        || r.word(k, "CHECK")) {
        element.isConstraint = true;
        if (r.word(k, "CONSTRAINT")) {
            if (!r.isName(k + 1))
                return element;
            element.text = "CONSTRAINT " + std::string(r.text(k + 1, k + 2)) + " ";
            k += 2;
        }
        if (!ConstraintBody(sql, r, &k, to, false, &element.text))
            return element;
        if (element.text.find("FOREIGN KEY") != std::string::npos)
            element.text += Deferral(r, k, to);
        element.ok = SkipStates(r, k, to) == to;
        return element;
    }
    if (!r.isName(k))
        return element;
    const std::string column = r.at(k).kind == Kind::Word ? std::string(r.text(k, k + 1)) : r.at(k).text;
    element.text = std::string(r.text(k, k + 1));
    ++k;
    std::size_t typeEnd = k;
    int depth = 0;
    while (typeEnd < to && (depth > 0 || r.at(typeEnd).kind != Kind::Word || !IsAttributeWord(r.at(typeEnd).text))) {
        if (r.symbol(typeEnd, "("))
            ++depth;
        else if (r.symbol(typeEnd, ")"))
            --depth;
        ++typeEnd;
    }
    if (typeEnd > k && !KnownType(r, k, typeEnd)) {
        element.refusal = "ORA-00902: invalid datatype (" + std::string(r.text(k, typeEnd)) + ")";
        return element;
    }
    const std::string typeText = typeEnd > k ? TypeText(r, k, typeEnd) : std::string();
    if (typeEnd > k)
        element.text += " " + typeText;
    // CHAR values compare blank-padded, as Oracle compares them.
    std::string attributes = BlankPadded(r, k, typeEnd) ? " COLLATE RTRIM" : "";
    k = typeEnd;
    bool identity = false;
    while (k < to) {
        if (r.word(k, "CONSTRAINT") && r.isName(k + 1)) {
            pendingName = "CONSTRAINT " + std::string(r.text(k + 1, k + 2)) + " ";
            k += 2;
            continue;
        }
        if (r.word(k, "DEFAULT")) {
            ++k;
            if (r.word(k, "ON") && r.word(k + 1, "NULL"))
                k += 2;
            std::size_t e = k;
            int level = 0;
            while (e < to && (level > 0 || e == k || r.at(e).kind != Kind::Word || !IsAttributeWord(r.at(e).text))) {
                if (r.symbol(e, "("))
                    ++level;
                else if (r.symbol(e, ")"))
                    --level;
                ++e;
            }
            if (e == k)
                return element;
            const bool literal = e == k + 1 && r.at(k).kind != Kind::Word && r.at(k).kind != Kind::QuotedName;
            const std::string expression(r.text(k, e));
            attributes += literal || expression == "NULL" ? " DEFAULT " + expression : " DEFAULT (" + expression + ")";
            k = e;
            continue;
        }
        if (r.word(k, "GENERATED") || (r.word(k, "AS") && r.symbol(k + 1, "("))) {
            std::size_t j = k;
            Identity id;
            id.column = column;
            if (r.word(j, "GENERATED")) {
                ++j;
                // GENERATED AS IDENTITY is GENERATED ALWAYS AS IDENTITY.
                id.always = true;
                if (r.word(j, "ALWAYS")) {
                    ++j;
                } else if (r.word(j, "BY") && r.word(j + 1, "DEFAULT")) {
                    id.always = false;
                    j += 2;
                    if (r.word(j, "ON") && r.word(j + 1, "NULL"))
                        j += 2;
                }
            }
            if (!r.word(j, "AS"))
                return element;
            ++j;
            if (r.word(j, "IDENTITY")) {
                ++j;
                if (r.symbol(j, "(")) {
                    const std::size_t c = r.close(j, to);
                    if (c == None)
                        return element;
                    for (std::size_t o = j + 1; o < c; ++o) {
                        std::size_t n = o + 2;
                        if (r.word(o, "START") && r.word(o + 1, "WITH")) {
                            if (const auto v = ReadInteger(r, &n))
                                id.start = *v;
                        } else if (r.word(o, "INCREMENT") && r.word(o + 1, "BY")) {
                            if (const auto v = ReadInteger(r, &n); v && *v != 0)
                                id.increment = *v;
                        }
                    }
                    j = c + 1;
                }
                element.identity = id;
                identity = true;
                k = j;
                continue;
            }
            // A virtual column: AS (expression) [VIRTUAL].
            if (!r.symbol(j, "("))
                return element;
            const std::size_t c = r.close(j, to);
            if (c == None)
                return element;
            attributes += " AS " + std::string(r.text(j, c + 1));
            k = c + 1;
            if (r.word(k, "VIRTUAL"))
                ++k;
            continue;
        }
        if (r.word(k, "NULL")) {
            ++k;
            continue;
        }
        if (r.word(k, "COLLATE") && r.isName(k + 1)) {
            const std::string& collation = r.at(k + 1).text;
            if (IsOneOf(collation, {"BINARY", "NOCASE", "RTRIM"}) && attributes.find(" COLLATE RTRIM") == 0)
                attributes.replace(0, 14, " COLLATE " + collation);
            else if (IsOneOf(collation, {"BINARY", "NOCASE", "RTRIM"}))
                attributes += " COLLATE " + collation;
            k += 2;
            continue;
        }
        if (r.at(k).kind == Kind::Word && (IsStateWord(r.at(k).text) || (r.word(k, "NOT") && r.word(k + 1, "DEFERRABLE")))) {
            const std::size_t next = SkipStates(r, k, to);
            if (next == k)
                return element;
            k = next;
            continue;
        }
        std::string body;
        const bool notNull = r.word(k, "NOT") && r.word(k + 1, "NULL");
        if (!ConstraintBody(sql, r, &k, to, true, &body))
            return element;
        // An identity column is filled, never NULL: the engine enforces it.
        if (!(notNull && identity))
            attributes += " " + pendingName + body + (body.rfind("REFERENCES", 0) == 0 ? Deferral(r, k, to) : "");
        pendingName.clear();
    }
    // An INTEGER key would be SQLite's rowid, numbered before the identity's
    // triggers see the row: INT reads the same to the dictionary.
    if (identity && typeText == "INTEGER")
        element.text.replace(element.text.size() - typeText.size(), typeText.size(), "INT");
    element.text += attributes;
    element.ok = true;
    return element;
}

}  // namespace detail

namespace {

Statement AsWritten()
{
    return {};
}

Statement Refused(std::string message)
{
    Statement s;
    s.kind = Statement::Kind::Refused;
    s.message = std::move(message);
    return s;
}

Statement CreateTable(std::string_view sql, const Reader& r, std::size_t k)
{
    if (r.word(k, "GLOBAL") || r.word(k, "PRIVATE")) {
        if (!r.word(k + 1, "TEMPORARY"))
            return AsWritten();
        k += 2;
    }
    if (!r.word(k, "TABLE"))
        return AsWritten();
    ++k;
    Statement s;
    s.table = r.name(&k);
    if (s.table.empty() || !r.symbol(k, "("))
        return AsWritten();
    const std::size_t closing = r.close(k);
    if (closing == None)
        return AsWritten();
    std::string elements;
    for (const auto& [from, to] : r.elements(k + 1, closing)) {
        Element element = TranslateElement(sql, r, from, to);
        if (!element.refusal.empty())
            return Refused(element.refusal);
        if (!element.ok)
            return AsWritten();
        elements += (elements.empty() ? "" : ", ") + element.text;
        if (element.identity)
            s.identities.push_back(*element.identity);
    }
    // What follows the columns is physical, but for SQLite's own options; a
    // query after them is SQLite's to refuse.
    std::string options;
    int depth = 0;
    for (std::size_t j = closing + 1; j < r.end(); ++j) {
        depth += r.symbol(j, "(") ? 1 : r.symbol(j, ")") ? -1 : 0;
        if (depth < 0)
            return AsWritten();
        if (r.word(j, "AS"))
            return AsWritten();
        if (r.word(j, "WITHOUT") && r.word(j + 1, "ROWID"))
            options += " WITHOUT ROWID";
        else if (r.word(j, "STRICT") && j + 1 == r.end())
            options += " STRICT";
    }
    if (depth != 0)
        return AsWritten();
    s.kind = Statement::Kind::CreateTable;
    s.sql = "CREATE TABLE " + Quote(s.table) + " (" + elements + ")" + options;
    return s;
}

bool IsPhysicalWord(const std::string& word)
{
    return IsOneOf(word, {"LOGGING", "NOLOGGING", "PCTFREE", "PCTUSED", "INITRANS", "MAXTRANS", "STORAGE", "TABLESPACE",
                          "MOVE", "COMPRESS", "NOCOMPRESS", "PARALLEL", "NOPARALLEL", "CACHE", "NOCACHE", "MONITORING",
                          "NOMONITORING", "ALLOCATE", "DEALLOCATE", "SHRINK", "ROW", "FLASHBACK", "NO", "INMEMORY"});
}

Statement AlterTable(std::string_view sql, const Reader& r)
{
    std::size_t k = 2;
    Statement s;
    s.table = r.name(&k);
    if (s.table.empty())
        return AsWritten();
    if (r.word(k, "ADD") && !r.word(k + 1, "COLUMN")) {
        ++k;
        std::vector<std::pair<std::size_t, std::size_t>> parts;
        if (r.symbol(k, "(")) {
            const std::size_t closing = r.close(k);
            if (closing == None)
                return AsWritten();
            parts = r.elements(k + 1, closing);
        } else {
            parts.emplace_back(k, r.end());
        }
        for (const auto& [from, to] : parts) {
            Element element = TranslateElement(sql, r, from, to);
            if (!element.refusal.empty())
                return Refused(element.refusal);
            if (!element.ok)
                return AsWritten();
            s.clauses.push_back(element.text);
            if (element.identity)
                s.identities.push_back(*element.identity);
        }
        s.kind = Statement::Kind::AlterTableAdd;
        return s;
    }
    if (r.word(k, "DROP") && r.word(k + 1, "CONSTRAINT") && r.isName(k + 2)) {
        s.kind = Statement::Kind::DropConstraint;
        s.name = r.oracleName(k + 2);
        return s;
    }
    if (r.word(k, "MODIFY") && r.word(k + 1, "CONSTRAINT") && r.isName(k + 2)) {
        s.name = r.oracleName(k + 2);
        for (std::size_t j = k + 3; j < r.end(); ++j) {
            if (r.word(j, "ENABLE") || r.word(j, "DISABLE")) {
                s.kind = Statement::Kind::ConstraintState;
                s.enable = r.word(j, "ENABLE");
                s.novalidate = r.word(j + 1, "NOVALIDATE");
                return s;
            }
        }
        return AsWritten();
    }
    if (r.word(k, "ENABLE") || r.word(k, "DISABLE")) {
        s.enable = r.word(k, "ENABLE");
        std::size_t j = k + 1;
        s.novalidate = r.word(j, "NOVALIDATE");
        if (r.word(j, "VALIDATE") || r.word(j, "NOVALIDATE"))
            ++j;
        if (r.word(j, "CONSTRAINT") && r.isName(j + 1)) {
            s.kind = Statement::Kind::ConstraintState;
            s.name = r.oracleName(j + 1);
            return s;
        }
        // ENABLE ROW MOVEMENT, DISABLE TABLE LOCK, ENABLE ALL TRIGGERS ...
        s.kind = Statement::Kind::Nothing;
        return s;
    }
    if (k < r.end() && r.at(k).kind == Kind::Word && IsPhysicalWord(r.at(k).text)) {
        s.kind = Statement::Kind::Nothing;
        return s;
    }
    return AlterColumns(sql, r, k, s);
}

Statement CreateIndex(const Reader& r, std::size_t k)
{
    const bool unique = r.word(k, "UNIQUE");
    if (unique || r.word(k, "BITMAP"))
        ++k;
    if (!r.word(k, "INDEX"))
        return AsWritten();
    ++k;
    Statement s;
    const std::string index = r.name(&k);
    if (index.empty() || !r.word(k, "ON"))
        return AsWritten();
    ++k;
    s.table = r.name(&k);
    if (s.table.empty() || !r.symbol(k, "("))
        return AsWritten();
    const std::size_t closing = r.close(k);
    if (closing == None)
        return AsWritten();
    s.kind = Statement::Kind::Run;
    s.sql = std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " + Quote(index) + " ON " + Quote(s.table)
            + " " + std::string(r.text(k, closing + 1));
    return s;
}

Statement CreateSequence(const Reader& r, std::size_t k)
{
    Statement s;
    if (!r.isName(k))
        return AsWritten();
    std::size_t n = k;
    r.name(&n);
    s.sequence.name = r.oracleName(n - 1);
    k = n;
    Sequence& q = s.sequence;
    std::optional<long long> start;
    while (k < r.end()) {
        // The number after the option's `words` words, moving past both.
        const auto number = [&](std::size_t words) -> std::optional<long long> {
            std::size_t p = k + words;
            const auto value = ReadInteger(r, &p);
            if (value)
                k = p;
            return value;
        };
        std::optional<long long> value;
        if (r.word(k, "START") && r.word(k + 1, "WITH") && (value = number(2))) {
            start = value;
        } else if (r.word(k, "INCREMENT") && r.word(k + 1, "BY") && (value = number(2)) && *value != 0) {
            q.increment = *value;
        } else if (r.word(k, "MAXVALUE") && (value = number(1))) {
            q.maxValue = value;
        } else if (r.word(k, "MINVALUE") && (value = number(1))) {
            q.minValue = value;
        } else if (r.word(k, "CACHE") && (value = number(1))) {
            q.cache = *value;
        } else if (r.word(k, "NOCACHE")) {
            q.cache = 0;
            ++k;
        } else if (r.word(k, "CYCLE") || r.word(k, "NOCYCLE")) {
            q.cycle = r.word(k, "CYCLE");
            ++k;
        } else if (r.word(k, "ORDER") || r.word(k, "NOORDER")) {
            q.order = r.word(k, "ORDER");
            ++k;
        } else if (r.word(k, "NOMAXVALUE") || r.word(k, "NOMINVALUE") || r.word(k, "KEEP") || r.word(k, "NOKEEP")
                   || r.word(k, "NOSCALE") || r.word(k, "GLOBAL") || r.word(k, "SESSION") || r.word(k, "NOSHARD")) {
            ++k;
        } else {
            return Refused("ORA-00933: SQL command not properly ended (CREATE SEQUENCE does not take "
                           + std::string(r.text(k, k + 1)) + " here)");
        }
    }
    // An ascending sequence starts at its least value, a descending one at its greatest.
    q.start = start ? *start
                    : q.increment > 0 ? q.minValue.value_or(1) : q.maxValue.value_or(-1);
    if (!q.minValue)
        q.minValue = q.increment > 0 ? 1 : std::optional<long long>();
    if (!q.maxValue && q.increment < 0)
        q.maxValue = -1;
    if ((q.minValue && q.start < *q.minValue) || (q.maxValue && q.start > *q.maxValue))
        return Refused("ORA-04006: START WITH cannot be less than MINVALUE (or more than MAXVALUE)");
    s.kind = Statement::Kind::CreateSequence;
    return s;
}

Statement CreateView(const Reader& r, std::size_t k)
{
    Statement s;
    if (r.word(k, "OR") && r.word(k + 1, "REPLACE")) {
        s.replace = true;
        k += 2;
    }
    while (r.word(k, "FORCE") || r.word(k, "NOFORCE") || r.word(k, "EDITIONABLE") || r.word(k, "NONEDITIONABLE")
           || r.word(k, "EDITIONING") || (r.word(k, "NO") && r.word(k + 1, "FORCE")))
        k += r.word(k, "NO") ? 2 : 1;
    if (!r.word(k, "VIEW"))
        return AsWritten();
    ++k;
    s.table = r.name(&k);
    if (s.table.empty())
        return AsWritten();
    std::string columns;
    if (r.symbol(k, "(")) {
        const std::size_t closing = r.close(k);
        if (closing == None)
            return AsWritten();
        columns = " " + std::string(r.text(k, closing + 1));
        std::size_t after = 0;
        s.columns = r.columnList(k, &after);
        k = closing + 1;
    }
    if (!r.word(k, "AS") || k + 1 >= r.end())
        return AsWritten();
    ++k;
    std::size_t end = r.end();
    // WITH READ ONLY, WITH CHECK OPTION [CONSTRAINT name] at the end.
    for (std::size_t j = k; j < r.end(); ++j) {
        if (!r.word(j, "WITH"))
            continue;
        const bool readOnly = r.word(j + 1, "READ") && r.word(j + 2, "ONLY") && j + 3 == r.end();
        const bool check = r.word(j + 1, "CHECK") && r.word(j + 2, "OPTION")
                           && (j + 3 == r.end() || (r.word(j + 3, "CONSTRAINT") && j + 5 == r.end()));
        if (readOnly || check) {
            end = j;
            break;
        }
    }
    s.query = std::string(r.text(k, end));
    s.sql = "CREATE VIEW " + Quote(s.table) + columns + " AS " + s.query;
    s.kind = Statement::Kind::CreateView;
    return s;
}

Statement Comment(const Reader& r)
{
    Statement s;
    std::size_t k = 3;
    const bool column = r.word(2, "COLUMN");
    if (!column && !r.word(2, "TABLE"))
        return AsWritten();
    const std::string name = r.name(&k, column ? 2 : 1);
    if (name.empty() || !r.word(k, "IS") || k + 2 != r.end() || r.at(k + 1).kind != Kind::String)
        return AsWritten();
    if (column) {
        const std::size_t dot = name.rfind('.');
        s.table = name.substr(0, dot);
        s.column = name.substr(dot + 1);
    } else {
        s.table = name;
    }
    s.comment = r.at(k + 1).text;
    s.kind = Statement::Kind::Comment;
    return s;
}

Statement Drop(const Reader& r)
{
    Statement s;
    std::size_t k = 2;
    if (r.word(1, "SEQUENCE") && r.isName(k)) {
        r.name(&k);
        s.sequence.name = r.oracleName(k - 1);
        s.kind = Statement::Kind::DropSequence;
        return s;
    }
    const bool table = r.word(1, "TABLE");
    if (!table && !r.word(1, "VIEW") && !r.word(1, "INDEX"))
        return AsWritten();
    if (r.word(k, "IF"))
        return AsWritten();  // SQLite's own
    const std::string name = r.name(&k);
    if (name.empty())
        return AsWritten();
    // CASCADE CONSTRAINTS, PURGE, FORCE, ONLINE: dropped with the object.
    for (std::size_t j = k; j < r.end(); ++j) {
        if (!(r.word(j, "CASCADE") || r.word(j, "CONSTRAINTS") || r.word(j, "PURGE") || r.word(j, "FORCE")
              || r.word(j, "ONLINE")))
            return AsWritten();
    }
    s.kind = Statement::Kind::Run;
    s.sql = "DROP " + r.at(1).text + " " + Quote(name);
    return s;
}

Statement AlterSession(const Reader& r)
{
    Statement s;
    if (!r.word(2, "SET"))
        return AsWritten();
    for (std::size_t k = 3; k < r.end();) {
        if (!r.isName(k) || !r.symbol(k + 1, "=") || k + 2 >= r.end())
            return Refused("ORA-00922: missing or invalid option");
        s.settings.emplace_back(r.at(k).text, r.at(k + 2).text);
        k += 3;
    }
    s.kind = Statement::Kind::AlterSession;
    return s;
}

}  // namespace

Statement Translate(std::string_view sql)
{
    const Reader r(sql);
    if (r.end() < 2 || r.broken())
        return AsWritten();
    if (Statement s = SessionStatement(r); s.kind != Statement::Kind::AsWritten)
        return s;
    if (r.word(0, "CREATE")) {
        std::size_t k = 1;
        if (r.word(k, "OR") || r.word(k, "FORCE") || r.word(k, "NOFORCE") || r.word(k, "VIEW")
            || r.word(k, "EDITIONABLE") || r.word(k, "NONEDITIONABLE"))
            return CreateView(r, k);
        if (r.word(k, "SEQUENCE"))
            return CreateSequence(r, k + 1);
        if (r.word(k, "UNIQUE") || r.word(k, "BITMAP") || r.word(k, "INDEX"))
            return CreateIndex(r, k);
        return CreateTable(sql, r, k);
    }
    if (r.word(0, "ALTER") && r.word(1, "TABLE"))
        return AlterTable(sql, r);
    if (r.word(0, "ALTER") && r.word(1, "SESSION"))
        return AlterSession(r);
    if (r.word(0, "COMMENT") && r.word(1, "ON"))
        return Comment(r);
    if (r.word(0, "DROP"))
        return Drop(r);
    return AsWritten();
}

}  // namespace OracleDdl
