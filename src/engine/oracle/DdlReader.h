#pragma once
// The tokens of one DDL statement and the means to walk them, for the readers
// of Oracle DDL (OracleDdl.cpp, OracleConstraints.cpp); not for other users.
#include "engine/SqlLexer.h"
#include "engine/oracle/OracleDdl.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace OracleDdl::detail {

using Kind = SqlToken::Kind;
constexpr std::size_t None = std::string::npos;

inline std::string Quote(std::string_view name, char quote = '"')
{
    std::string quoted(1, quote);
    for (const char c : name) {
        quoted.push_back(c);
        if (c == quote)
            quoted.push_back(c);
    }
    quoted.push_back(quote);
    return quoted;
}

inline bool IsOneOf(const std::string& word, std::initializer_list<const char*> words)
{
    for (const char* w : words) {
        if (word == w)
            return true;
    }
    return false;
}

// The tokens of one statement and the means to walk them.
class Reader {
public:
    explicit Reader(std::string_view sql) : m_sql(sql), m_tokens(PlaceTokens(sql)), m_end(m_tokens.size())
    {
        if (m_end > 0 && symbol(m_end - 1, ";"))
            --m_end;
    }

    std::size_t end() const { return m_end; }
    const PlacedToken& at(std::size_t k) const { return m_tokens[k]; }
    bool word(std::size_t k, const char* w) const
    {
        return k < m_end && m_tokens[k].kind == Kind::Word && m_tokens[k].text == w;
    }
    bool symbol(std::size_t k, const char* s) const
    {
        return k < m_tokens.size() && m_tokens[k].kind == Kind::Symbol && m_tokens[k].text == s;
    }
    bool isName(std::size_t k) const
    {
        return k < m_end && (m_tokens[k].kind == Kind::Word || m_tokens[k].kind == Kind::QuotedName);
    }
    bool broken() const
    {
        for (const PlacedToken& token : m_tokens) {
            if (token.unterminated)
                return true;
        }
        return false;
    }
    // The ")" that closes the "(" at `open`; None when there is none.
    std::size_t close(std::size_t open, std::size_t limit = None) const
    {
        if (limit == None)
            limit = m_end;
        int depth = 0;
        for (std::size_t k = open; k < limit; ++k) {
            if (symbol(k, "("))
                ++depth;
            else if (symbol(k, ")") && --depth == 0)
                return k;
        }
        return None;
    }
    // The statement's first "(" and the ")" that closes it; `closing` is
    // None when it is never closed.
    std::pair<std::size_t, std::size_t> firstParentheses() const
    {
        std::size_t open = 0;
        while (open < m_end && !symbol(open, "("))
            ++open;
        return {open, close(open)};
    }
    // The text of tokens [from, to) as written.
    std::string_view text(std::size_t from, std::size_t to) const
    {
        if (from >= to)
            return {};
        return m_sql.substr(m_tokens[from].begin, m_tokens[to - 1].end - m_tokens[from].begin);
    }
    // [owner.]name: the name as SQLite names it (as written, unquoted); `k`
    // moves past it. Empty when no name stands there.
    std::string name(std::size_t* k, int parts = 1) const
    {
        std::vector<std::string> names;
        while (isName(*k)) {
            names.push_back(m_tokens[*k].kind == Kind::Word ? std::string(text(*k, *k + 1)) : m_tokens[*k].text);
            ++*k;
            if (!symbol(*k, ".") || !isName(*k + 1))
                break;
            ++*k;
        }
        if (names.size() < static_cast<std::size_t>(parts))
            return {};
        std::string result;
        for (std::size_t i = names.size() - static_cast<std::size_t>(parts); i < names.size(); ++i)
            result += (result.empty() ? "" : ".") + names[i];
        return result;
    }
    // A name as Oracle keeps it: an unquoted one in capitals.
    std::string oracleName(std::size_t k) const { return isName(k) ? m_tokens[k].text : std::string(); }
    // The depth-0 commas of [from, to) split it into elements.
    std::vector<std::pair<std::size_t, std::size_t>> elements(std::size_t from, std::size_t to) const
    {
        std::vector<std::pair<std::size_t, std::size_t>> parts;
        int depth = 0;
        std::size_t start = from;
        for (std::size_t k = from; k < to; ++k) {
            if (symbol(k, "("))
                ++depth;
            else if (symbol(k, ")"))
                --depth;
            else if (depth == 0 && symbol(k, ",")) {
                parts.emplace_back(start, k);
                start = k + 1;
            }
        }
        parts.emplace_back(start, to);
        return parts;
    }
    // The names of a parenthesised column list at `open`, in capitals.
    std::vector<std::string> columnList(std::size_t open, std::size_t* after) const
    {
        std::vector<std::string> columns;
        const std::size_t closing = close(open);
        *after = closing == None ? m_end : closing + 1;
        for (std::size_t k = open + 1; k < closing && closing != None; ++k) {
            if (isName(k))
                columns.push_back(m_tokens[k].text);
        }
        return columns;
    }

private:
    std::string_view m_sql;
    std::vector<PlacedToken> m_tokens;
    std::size_t m_end;
};

// A column definition or an out-of-line constraint of CREATE TABLE or ALTER
// TABLE ... ADD, as SQLite writes it.
struct Element {
    bool ok = false;
    std::string refusal;  // an Oracle error for the whole statement
    bool isConstraint = false;
    std::string text;
    std::optional<Identity> identity;
};
Element TranslateElement(std::string_view sql, const Reader& r, std::size_t from, std::size_t to);

// Whether the type [from, to) is one the engine holds: Oracle's built-in
// types and SQLite's own names; an object type (MDSYS.SDO_GEOMETRY) is not.
bool KnownType(const Reader& r, std::size_t from, std::size_t to);
// " DEFERRABLE INITIALLY DEFERRED" when the constraint states from `k` defer
// a foreign key to the end of the transaction (SQLite defers foreign keys
// only); empty otherwise.
std::string Deferral(const Reader& r, std::size_t k, std::size_t to);
// Whether it is CHAR or NCHAR, whose values compare blank-padded.
bool BlankPadded(const Reader& r, std::size_t from, std::size_t to);

// ALTER TABLE's column clauses (MODIFY, DROP, RENAME COLUMN) from `k`, past
// the table's name; AsWritten when none stands there.
Statement AlterColumns(std::string_view sql, const Reader& r, std::size_t k, Statement s);
// TRUNCATE, GRANT, REVOKE, users, roles, synonyms, SET CONSTRAINT(S).
Statement SessionStatement(const Reader& r);

}  // namespace OracleDdl::detail
