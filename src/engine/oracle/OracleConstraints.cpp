#include "engine/oracle/DdlReader.h"
#include "engine/oracle/OracleDdl.h"

namespace OracleDdl {

using namespace detail;

std::vector<Constraint> TableConstraints(std::string_view createTable)
{
    std::vector<Constraint> constraints;
    const Reader r(createTable);
    const auto [k, closing] = r.firstParentheses();
    if (closing == None)
        return constraints;
    // The body of one constraint from `j`; false when it is none.
    const auto body = [&](std::size_t* j, std::size_t to, Constraint* c, const std::string& column) {
        std::size_t after = 0;
        if (r.word(*j, "PRIMARY") || r.word(*j, "UNIQUE")) {
            c->type = r.word(*j, "PRIMARY") ? 'P' : 'U';
            *j += c->type == 'P' ? 2 : 1;
            if (r.symbol(*j, "(")) {
                c->columns = r.columnList(*j, &after);
                *j = after;
            } else {
                c->columns = {column};
            }
        } else if (r.word(*j, "CHECK") && r.symbol(*j + 1, "(")) {
            c->type = 'C';
            const std::size_t e = r.close(*j + 1, to);
            if (e == None)
                return false;
            c->condition = std::string(r.text(*j + 2, e));
            *j = e + 1;
        } else if (r.word(*j, "NOT") && r.word(*j + 1, "NULL")) {
            c->type = 'N';
            c->columns = {column};
            c->condition = Quote(column) + " IS NOT NULL";
            *j += 2;
        } else if (r.word(*j, "FOREIGN") || r.word(*j, "REFERENCES")) {
            c->type = 'R';
            if (r.word(*j, "FOREIGN")) {
                c->columns = r.columnList(*j + 2, &after);
                *j = after;
            } else {
                c->columns = {column};
            }
            if (!r.word(*j, "REFERENCES"))
                return false;
            ++*j;
            std::size_t n = *j;
            r.name(&n);
            c->refTable = r.oracleName(n - 1);
            *j = n;
            if (r.symbol(*j, "(")) {
                c->refColumns = r.columnList(*j, &after);
                *j = after;
            }
            c->deleteRule = "NO ACTION";
            if (r.word(*j, "ON") && r.word(*j + 1, "DELETE"))
                c->deleteRule = r.word(*j + 2, "CASCADE") ? "CASCADE" : "SET NULL";
        } else {
            return false;
        }
        return true;
    };
    std::size_t previousEnd = k;
    for (const auto& [from, to] : r.elements(k + 1, closing)) {
        const std::size_t comma = previousEnd == k ? None : r.at(previousEnd).begin;
        previousEnd = to;
        std::size_t j = from;
        const bool outOfLine = r.word(j, "CONSTRAINT") || r.word(j, "PRIMARY") || r.word(j, "UNIQUE")
                               || r.word(j, "FOREIGN") || r.word(j, "CHECK");
        const std::string column = outOfLine ? std::string() : r.oracleName(j);
        if (!outOfLine)
            ++j;
        while (j < to) {
            Constraint c;
            std::size_t start = j;
            if (r.word(j, "CONSTRAINT") && r.isName(j + 1)) {
                c.name = r.oracleName(j + 1);
                j += 2;
            }
            if (!body(&j, to, &c, column)) {
                j = start + 1;
                continue;
            }
            // An unnamed NOT NULL is the column's property, not a constraint here.
            if (c.type == 'N' && c.name.empty())
                continue;
            if (c.type == 'N')
                c.type = 'C';
            c.begin = r.at(start).begin;
            c.end = r.at(j - 1).end;
            if (outOfLine) {
                c.begin = r.at(from).begin;
                c.end = r.at(to - 1).end;
                c.comma = comma;
            }
            constraints.push_back(std::move(c));
        }
    }
    return constraints;
}

std::string ClauseText(const Constraint& c)
{
    const auto list = [](const std::vector<std::string>& names) {
        std::string text = "(";
        for (const std::string& name : names)
            text += (text.size() > 1 ? ", " : "") + Quote(name);
        return text + ")";
    };
    std::string text = "CONSTRAINT " + Quote(c.name) + " ";
    switch (c.type) {
    case 'P':
        return text + "PRIMARY KEY " + list(c.columns);
    case 'U':
        return text + "UNIQUE " + list(c.columns);
    case 'R':
        text += "FOREIGN KEY " + list(c.columns) + " REFERENCES " + Quote(c.refTable);
        if (!c.refColumns.empty())
            text += " " + list(c.refColumns);
        if (c.deleteRule != "NO ACTION")
            text += " ON DELETE " + c.deleteRule;
        return text;
    default:
        return text + "CHECK (" + c.condition + ")";
    }
}

std::string WithClauses(std::string_view createTable, const std::vector<std::string>& clauses)
{
    const Reader r(createTable);
    const std::size_t closing = r.firstParentheses().second;
    if (closing == None)
        return std::string(createTable);
    // Columns go before the first out-of-line constraint, constraints last.
    std::size_t columnsEnd = closing;
    for (const auto& [from, to] : r.elements(r.firstParentheses().first + 1, closing)) {
        if (r.word(from, "CONSTRAINT") || r.word(from, "PRIMARY") || r.word(from, "UNIQUE") || r.word(from, "FOREIGN")
            || r.word(from, "CHECK")) {
            columnsEnd = from - 1;  // the comma before it
            break;
        }
    }
    std::string columns;
    std::string constraints;
    for (const std::string& clause : clauses) {
        const Reader c(clause);
        const bool constraint = c.word(0, "CONSTRAINT") || c.word(0, "PRIMARY") || c.word(0, "UNIQUE")
                                || c.word(0, "FOREIGN") || c.word(0, "CHECK");
        (constraint ? constraints : columns) += ", " + clause;
    }
    std::string head(createTable.substr(0, r.at(columnsEnd).begin));
    while (!head.empty() && (head.back() == ' ' || head.back() == '\n'))
        head.pop_back();
    std::string middle(createTable.substr(r.at(columnsEnd).begin, r.at(closing).begin - r.at(columnsEnd).begin));
    while (!middle.empty() && (middle.back() == ' ' || middle.back() == '\n'))
        middle.pop_back();
    if (columnsEnd == closing)
        return head + columns + constraints + std::string(createTable.substr(r.at(closing).begin));
    return head + columns + middle + constraints + std::string(createTable.substr(r.at(closing).begin));
}

std::string WithoutClause(std::string_view createTable, const Constraint& c)
{
    const std::size_t from = c.comma != None ? c.comma : c.begin;
    return std::string(createTable.substr(0, from)) + std::string(createTable.substr(c.end));
}

std::vector<std::string> SelectListNames(std::string_view query)
{
    std::vector<std::string> names;
    const Reader r(query);
    std::size_t k = 0;
    if (!r.word(k, "SELECT"))
        return names;
    ++k;
    if (r.word(k, "DISTINCT") || r.word(k, "ALL") || r.word(k, "UNIQUE"))
        ++k;
    std::size_t from = k;
    int depth = 0;
    for (; k <= r.end(); ++k) {
        const bool stop = k == r.end() || (depth == 0 && r.word(k, "FROM"));
        if (stop || (depth == 0 && r.symbol(k, ","))) {
            const std::size_t last = k - 1;
            names.push_back(k > from && r.isName(last) && !r.word(last, "END") ? r.oracleName(last) : std::string());
            from = k + 1;
            if (stop)
                break;
        } else if (r.symbol(k, "(")) {
            ++depth;
        } else if (r.symbol(k, ")")) {
            --depth;
        }
    }
    return names;
}

}  // namespace OracleDdl
