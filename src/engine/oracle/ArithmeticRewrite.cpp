// Arithmetic as Oracle means it, in calls SQLite runs: a + b as
// KOVA_ADD(a, b), a - b as KOVA_SUB(a, b) (both know DATE values: a number of
// days, fractions for hours; DATE - DATE the days between), a / b as
// KOVA_DIV(a, b) (no integer division), a * b as KOVA_MUL(a, b), -a as
// KOVA_SUB(0, a) and SUM(a), AVG(a) as SUM(KOVA_NUMBER(a)) (a DATE is no
// number to them). Oracle's precedence holds: * and / before + and -, which
// share their level with ||, all from the left.
// DATE 'YYYY-MM-DD' and TIMESTAMP '...' literals become TO_DATE and
// TO_TIMESTAMP calls.
#include "engine/SqlLexer.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Kind = SqlToken::Kind;

// Words that never stand as an operand: before them a + or - is unary.
bool IsKeyword(const std::string& word)
{
    static constexpr std::string_view Words[] = {
        "ALL",      "AND",      "ANY",     "AS",        "ASC",       "BETWEEN", "BY",     "CURRENT", "DEFAULT",
        "DELETE",   "DESC",     "DISTINCT", "ELSE",     "END",       "ESCAPE",  "EXCEPT", "EXISTS",  "FOLLOWING",
        "FROM",     "GROUP",    "HAVING",  "IN",        "INSERT",    "INTERSECT", "INTO", "IS",      "JOIN",
        "LIKE",     "LIMIT",    "MINUS",   "NOT",       "NULLS",     "OFFSET",  "ON",     "OR",      "ORDER",
        "OVER",     "PARTITION", "PRECEDING", "PRIOR",  "RANGE",     "RETURN",  "ROWS",   "SELECT",  "SET",
        "SOME",     "THEN",     "UNBOUNDED", "UNION",   "UPDATE",    "USING",   "VALUES", "WHEN",    "WHERE",
        "WITH"};
    return std::find(std::begin(Words), std::end(Words), word) != std::end(Words);
}

struct Item {
    enum class Type { Operand, Operator, Other };
    Type type = Type::Other;
    std::string gap;   // blanks and comments before it, as written
    std::string text;
    bool number = false;  // a number literal, signed or not
};

class Renderer {
public:
    Renderer(std::string_view sql) : m_sql(sql), m_tokens(PlaceTokens(sql)) {}

    std::string render()
    {
        const std::size_t n = m_tokens.size();
        std::string out;
        std::size_t rest = 0;  // where the tokens after the select list begin
        if (n > 0 && m_tokens[0].kind == Kind::Word && m_tokens[0].text == "SELECT")
            out = selectList(&rest);
        return out + level(rest, n) + std::string(m_sql.substr(end(n)));
    }

private:
    std::size_t end(std::size_t i) const { return i == 0 ? 0 : m_tokens[i - 1].end; }
    std::string gap(std::size_t i) const
    {
        return std::string(m_sql.substr(end(i), m_tokens[i].begin - end(i)));
    }
    std::string raw(std::size_t i) const
    {
        return std::string(m_sql.substr(m_tokens[i].begin, m_tokens[i].end - m_tokens[i].begin));
    }
    bool symbol(std::size_t i, std::size_t to, std::string_view text) const
    {
        return i < to && m_tokens[i].kind == Kind::Symbol && m_tokens[i].text == text;
    }
    bool name(std::size_t i, std::size_t to) const
    {
        return i < to && (m_tokens[i].kind == Kind::QuotedName
                          || (m_tokens[i].kind == Kind::Word && !IsKeyword(m_tokens[i].text)));
    }

    // The select list of a query, each rewritten item without an alias
    // named by its text as written, as Oracle names it; `rest` is set to
    // the token after the list.
    std::string selectList(std::size_t* rest)
    {
        const std::size_t n = m_tokens.size();
        std::size_t first = 1;
        if (first < n && m_tokens[first].kind == Kind::Word
            && (m_tokens[first].text == "DISTINCT" || m_tokens[first].text == "UNIQUE" || m_tokens[first].text == "ALL"))
            ++first;
        std::string out = level(0, first);
        int depth = 0;
        std::size_t start = first;
        std::size_t i = first;
        for (; i < n; ++i) {
            const PlacedToken& t = m_tokens[i];
            if (t.kind == Kind::Symbol && t.text == "(") {
                ++depth;
            } else if (t.kind == Kind::Symbol && t.text == ")") {
                --depth;
            } else if (depth == 0 && t.kind == Kind::Symbol && t.text == ",") {
                out += item(start, i) + gap(i) + ",";
                start = i + 1;
            } else if (depth == 0 && t.kind == Kind::Word && (t.text == "FROM" || t.text == "INTO")) {
                break;
            }
        }
        *rest = i;
        return out + item(start, i);
    }

    std::string item(std::size_t from, std::size_t to)
    {
        std::string text = level(from, to);
        if (from >= to)
            return text;
        const std::string_view written = m_sql.substr(m_tokens[from].begin, m_tokens[to - 1].end - m_tokens[from].begin);
        if (text == gap(from) + std::string(written))
            return text;
        // An alias: AS name, or a name right after an operand.
        if (to - from >= 2 && name(to - 1, to)) {
            const PlacedToken& before = m_tokens[to - 2];
            if (before.kind == Kind::Number || before.kind == Kind::String || before.kind == Kind::QuotedName
                || before.kind == Kind::Word || (before.kind == Kind::Symbol && before.text == ")"))
                return text;
        }
        std::string alias;
        for (const char c : written) {
            if (c == '"')
                alias.push_back('"');
            alias.push_back(c);
        }
        return text + " AS \"" + alias + "\"";
    }

    // The token that closes the "(" at `open`, or `to`.
    std::size_t close(std::size_t open, std::size_t to) const
    {
        int depth = 0;
        for (std::size_t i = open; i < to; ++i) {
            if (m_tokens[i].kind != Kind::Symbol)
                continue;
            if (m_tokens[i].text == "(")
                ++depth;
            else if (m_tokens[i].text == ")" && --depth == 0)
                return i;
        }
        return to;
    }

    // "(" ... ")" from `open`, its inside rendered (as written, nested
    // deeper than any statement SQLite runs); the token after it.
    std::size_t group(std::size_t open, std::size_t to, std::string* text)
    {
        const std::size_t last = close(open, to);
        if (m_depth >= MaxDepth) {
            const std::size_t end = last < to ? m_tokens[last].end : this->end(to);
            *text += m_sql.substr(m_tokens[open].begin, end - m_tokens[open].begin);
        } else {
            ++m_depth;
            *text += "(" + level(open + 1, last);
            --m_depth;
            if (last < to)
                *text += gap(last) + ")";
        }
        return std::min(last + 1, to);
    }

    // One operand from token `i`, with any unary sign; returns `i` when
    // none stands there.
    std::size_t operand(std::size_t i, std::size_t to, Item* item)
    {
        if (i >= to)
            return i;
        const PlacedToken& t = m_tokens[i];
        if (t.kind == Kind::Symbol && (t.text == "-" || t.text == "+")) {
            // Signs, then what they apply to.
            std::size_t first = i;
            while (first < to && m_tokens[first].kind == Kind::Symbol
                   && (m_tokens[first].text == "-" || m_tokens[first].text == "+"))
                ++first;
            Item inner;
            const std::size_t next = operand(first, to, &inner);
            if (next == first)
                return i;
            std::size_t minus = 0;
            for (std::size_t k = i; k < first; ++k)
                minus += m_tokens[k].text == "-" ? 1 : 0;
            // A negated column or call must be a number: KOVA_SUB says so.
            if (minus % 2 == 1 && !inner.number)
                item->text = "KOVA_SUB(0, " + inner.text + ")";
            else
                item->text = std::string(m_sql.substr(t.begin, m_tokens[first].begin - t.begin)) + inner.text;
            item->number = inner.number;
            return next;
        }
        if (t.kind == Kind::Number || t.kind == Kind::String
            || (t.kind == Kind::Symbol && (t.text[0] == '?' || (t.text[0] == ':' && t.text.size() > 1)))) {
            item->text = raw(i);
            item->number = t.kind == Kind::Number;
            return i + 1;
        }
        if (t.kind == Kind::Symbol && t.text == "(")
            return group(i, to, &item->text);
        if (t.kind == Kind::Word && t.text == "CASE") {
            int depth = 0;
            std::size_t last = i;
            for (; last < to; ++last) {
                if (m_tokens[last].kind == Kind::Word && m_tokens[last].text == "CASE")
                    ++depth;
                else if (m_tokens[last].kind == Kind::Word && m_tokens[last].text == "END" && --depth == 0)
                    break;
            }
            if (last >= to || m_depth >= MaxDepth)
                return i;
            ++m_depth;
            item->text = raw(i) + level(i + 1, last) + gap(last) + raw(last);
            --m_depth;
            return last + 1;
        }
        if (t.kind == Kind::Word && (t.text == "DATE" || t.text == "TIMESTAMP") && i + 1 < to
            && m_tokens[i + 1].kind == Kind::String) {
            item->text = (t.text == "DATE" ? "TO_DATE(" + raw(i + 1) + ", 'YYYY-MM-DD')" : "TO_TIMESTAMP(" + raw(i + 1) + ")");
            return i + 2;
        }
        if (!name(i, to))
            return i;
        // A name, dotted, maybe a call.
        std::size_t next = i + 1;
        item->text = raw(i);
        while (symbol(next, to, ".") && next + 1 < to
               && (m_tokens[next + 1].kind != Kind::Symbol || m_tokens[next + 1].text == "*")) {
            item->text += gap(next) + "." + gap(next + 1) + raw(next + 1);
            next += 2;
        }
        if (symbol(next, to, "(") && next == i + 1 && (t.text == "SUM" || t.text == "AVG")
            && m_depth < MaxDepth) {
            // What SUM and AVG add up must be numbers: KOVA_NUMBER says so.
            std::size_t inside = next + 1;
            const std::size_t last = close(next, to);
            std::string quantifier;
            if (inside < last && m_tokens[inside].kind == Kind::Word
                && (m_tokens[inside].text == "DISTINCT" || m_tokens[inside].text == "ALL")) {
                quantifier = gap(inside) + raw(inside) + " ";
                ++inside;
            }
            if (inside < last && last < to) {
                ++m_depth;
                item->text += gap(next) + "(" + quantifier + "KOVA_NUMBER(" + level(inside, last) + ")" + gap(last) + ")";
                --m_depth;
                return last + 1;
            }
        }
        if (symbol(next, to, "(")) {
            item->text += gap(next);
            next = group(next, to, &item->text);
        }
        return next;
    }

    // A binary operator at `i` (after an operand): its text and the token
    // after it; `i` when none.
    std::size_t binary(std::size_t i, std::size_t to, std::string* op) const
    {
        if (i >= to || m_tokens[i].kind != Kind::Symbol)
            return i;
        const std::string& s = m_tokens[i].text;
        if (s == "|" && symbol(i + 1, to, "|") && m_tokens[i + 1].begin == m_tokens[i].end) {
            *op = "||";
            return i + 2;
        }
        if (s == "+" || s == "-" || s == "*" || s == "/") {
            *op = s;
            return i + 1;
        }
        return i;
    }

    std::string level(std::size_t from, std::size_t to)
    {
        std::vector<Item> items;
        bool afterOperand = false;
        for (std::size_t i = from; i < to;) {
            Item item;
            item.gap = gap(i);
            std::string op;
            std::size_t next = afterOperand ? binary(i, to, &op) : i;
            if (next != i) {
                item.type = Item::Type::Operator;
                item.text = op;
                afterOperand = false;
            } else if ((next = operand(i, to, &item)) != i) {
                item.type = Item::Type::Operand;
                afterOperand = true;
            } else {
                item.text = raw(i);
                next = i + 1;
                afterOperand = false;
            }
            items.push_back(std::move(item));
            i = next;
        }
        std::string out;
        for (std::size_t i = 0; i < items.size();) {
            // A run: operand (operator operand)*.
            std::size_t last = i;
            if (items[i].type == Item::Type::Operand) {
                while (last + 2 < items.size() && items[last + 1].type == Item::Type::Operator
                       && items[last + 2].type == Item::Type::Operand)
                    last += 2;
            }
            if (last == i) {
                out += items[i].gap + items[i].text;
                ++i;
                continue;
            }
            out += run(items, i, last);
            i = last + 1;
        }
        return out;
    }

    // The operands and operators from `first` to `last`.
    static std::string run(const std::vector<Item>& items, std::size_t first, std::size_t last)
    {
        bool rewrite = false;
        bool numbers = true;
        for (std::size_t i = first; i <= last; i += 2) {
            numbers = numbers && items[i].number;
            if (i > first)
                rewrite = rewrite || items[i - 1].text == "/" || items[i - 1].text == "+" || items[i - 1].text == "-"
                          || items[i - 1].text == "*";
        }
        bool division = false;
        for (std::size_t i = first + 1; i < last; i += 2)
            division = division || items[i].text == "/";
        if (!rewrite || (numbers && !division)) {
            std::string out;
            for (std::size_t i = first; i <= last; ++i)
                out += items[i].gap + items[i].text;
            return out;
        }
        // Terms of * and /, joined by +, - and ||.
        std::string sum;
        std::string term = items[first].text;
        std::string pending;  // the operator before `term`
        const auto fold = [&] {
            if (pending.empty())
                sum = term;
            else if (pending == "+")
                sum = "KOVA_ADD(" + sum + ", " + term + ")";
            else if (pending == "-")
                sum = "KOVA_SUB(" + sum + ", " + term + ")";
            else
                sum = "(" + sum + " || " + term + ")";
        };
        for (std::size_t i = first + 1; i < last; i += 2) {
            const std::string& op = items[i].text;
            const std::string& next = items[i + 1].text;
            if (op == "*") {
                term = "KOVA_MUL(" + term + ", " + next + ")";
            } else if (op == "/") {
                term = "KOVA_DIV(" + term + ", " + next + ")";
            } else {
                fold();
                pending = op;
                term = next;
            }
        }
        fold();
        return items[first].gap + sum;
    }

    static constexpr int MaxDepth = 200;

    std::string_view m_sql;
    std::vector<PlacedToken> m_tokens;
    int m_depth = 0;
};

}  // namespace

namespace OracleDialect {

std::string DateArithmetic(std::string_view sql)
{
    return Renderer(sql).render();
}

}  // namespace OracleDialect
