// Oracle's DML and queries in the terms SQLite runs:
//  - owners before table names are dropped: the file holds one schema, and
//    a script that loads HR and then OE into it names HR.EMPLOYEES from OE,
//    as DDL already resolves any owner to the file's own objects;
//  - a table's alias in UPDATE and DELETE (UPDATE t x SET x.a = ...);
//  - ROWNUM: "ROWNUM <= n" as a condition of a plain query, and in the
//    select list;
//  - arithmetic: + and - through KOVA_ADD and KOVA_SUB, which know DATE
//    values (a number of days, fractions for hours), / through KOVA_DIV,
//    which divides as Oracle does; DATE '...' literals.
#include "engine/oracle/OracleDialect.h"

#include "engine/EngineError.h"
#include "engine/SqlLexer.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Kind = SqlToken::Kind;

const char* const Unimplemented = "ORA-03001: unimplemented feature (ROWNUM other than \"ROWNUM <= n\" of a plain query)";

struct Edit {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string text;
};

std::string ApplyEdits(std::string_view sql, std::vector<Edit> edits)
{
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
    std::string out;
    std::size_t copied = 0;
    for (const Edit& edit : edits) {
        if (edit.begin < copied)
            continue;
        out.append(sql.substr(copied, edit.begin - copied));
        out.append(edit.text);
        copied = edit.end;
    }
    out.append(sql.substr(copied));
    return out;
}

class Statement {
public:
    explicit Statement(std::string_view sql) : m_sql(sql), m_tokens(PlaceTokens(sql))
    {
    }

    // The edits of names, aliases and ROWNUM; false with `error` set for a
    // statement refused.
    bool plan(std::vector<Edit>* edits, std::string* error);

private:
    bool symbol(std::size_t i, std::string_view text) const
    {
        return i < m_tokens.size() && m_tokens[i].kind == Kind::Symbol && m_tokens[i].text == text;
    }
    bool word(std::size_t i, std::string_view text) const
    {
        return i < m_tokens.size() && m_tokens[i].kind == Kind::Word && m_tokens[i].text == text;
    }
    bool name(std::size_t i) const
    {
        return i < m_tokens.size() && (m_tokens[i].kind == Kind::Word || m_tokens[i].kind == Kind::QuotedName);
    }
    static bool ClauseWord(const std::string& word)
    {
        static constexpr std::string_view Words[] = {"WHERE", "GROUP", "ORDER", "HAVING", "CONNECT", "START",
                                                     "UNION", "INTERSECT", "EXCEPT", "MINUS", "SET",
                                                     "RETURNING", "LOG", "FOR", "WHEN", "VALUES",
                                                     "SELECT", "FETCH", "OFFSET", "LIMIT", "WINDOW"};
        return std::find(std::begin(Words), std::end(Words), word) != std::end(Words);
    }

    // A table named at token `i`: its owner, if any, is dropped.
    // Returns the token after the name.
    std::size_t table(std::size_t i, std::vector<Edit>* edits);
    bool rownum(std::size_t i, std::vector<Edit>* edits, std::string* error);
    // The token that ends the query block whose WHERE is at `where`.
    std::size_t blockEnd(std::size_t from, bool* plain) const;

    std::string_view m_sql;
    std::vector<PlacedToken> m_tokens;
};

std::size_t Statement::table(std::size_t i, std::vector<Edit>* edits)
{
    if (!name(i))
        return i;
    if (!symbol(i + 1, ".") || !name(i + 2) || symbol(i + 3, "."))
        return i + 1;
    const std::string& owner = m_tokens[i].text;
    // SQLite's own catalogue, as the engine's tools read it.
    if ((owner == "MAIN" || owner == "TEMP") && m_tokens[i + 2].text.rfind("SQLITE_", 0) == 0)
        return i + 3;
    edits->push_back({m_tokens[i].begin, m_tokens[i + 2].begin, {}});
    return i + 3;
}

std::size_t Statement::blockEnd(std::size_t from, bool* plain) const
{
    int depth = 0;
    std::size_t i = from;
    for (; i < m_tokens.size(); ++i) {
        const PlacedToken& t = m_tokens[i];
        if (t.kind == Kind::Symbol && t.text == "(") {
            ++depth;
        } else if (t.kind == Kind::Symbol && t.text == ")") {
            if (depth-- == 0)
                break;
        } else if (depth == 0 && t.kind == Kind::Word
                   && (t.text == "GROUP" || t.text == "HAVING" || t.text == "ORDER" || t.text == "UNION"
                       || t.text == "INTERSECT" || t.text == "EXCEPT" || t.text == "CONNECT" || t.text == "FOR")) {
            *plain = false;
        }
    }
    return i;
}

bool Statement::rownum(std::size_t i, std::vector<Edit>* edits, std::string* error)
{
    // "ROWNUM <= n", "ROWNUM < n", "ROWNUM = 1" as a whole conjunct of a
    // query's WHERE: the query's rows limited.
    const bool le = symbol(i + 1, "<") && symbol(i + 2, "=");
    const std::size_t number = le ? i + 3 : i + 2;
    const bool lt = !le && symbol(i + 1, "<");
    const bool eq = symbol(i + 1, "=") && number < m_tokens.size() && m_tokens[number].text == "1";
    const bool before = i > 0 && (word(i - 1, "WHERE") || word(i - 1, "AND"));
    if ((le || lt || eq) && before && number < m_tokens.size() && m_tokens[number].kind == Kind::Number
        && m_tokens[number].text.find_first_not_of("0123456789") == std::string::npos) {
        const std::size_t after = number + 1;
        const bool endsConjunct = after >= m_tokens.size() || word(after, "AND") || symbol(after, ")")
                                  || (m_tokens[after].kind == Kind::Word && ClauseWord(m_tokens[after].text));
        // The query block: its SELECT, a plain one (no DISTINCT, grouping,
        // ordering or aggregate) for a limit to mean the same.
        int depth = 0;
        std::size_t select = i;
        while (select-- > 0) {
            const PlacedToken& t = m_tokens[select];
            if (t.kind == Kind::Symbol && t.text == ")")
                ++depth;
            else if (t.kind == Kind::Symbol && t.text == "(" && depth-- == 0)
                break;
            else if (depth == 0 && t.kind == Kind::Word && t.text == "SELECT")
                break;
        }
        bool plain = select < m_tokens.size() && word(select, "SELECT") && !word(select + 1, "DISTINCT")
                     && !word(select + 1, "UNIQUE");
        for (std::size_t k = select + 1; plain && k < i; ++k) {
            const std::string& w = m_tokens[k].text;
            if (m_tokens[k].kind == Kind::Word && symbol(k + 1, "(")
                && (w == "COUNT" || w == "SUM" || w == "MIN" || w == "MAX" || w == "AVG" || w == "LISTAGG"))
                plain = false;
            if (m_tokens[k].kind == Kind::Word && w == "FROM")
                break;
        }
        // Conditions after ROWNUM's, in the same WHERE, are not limited.
        const std::size_t end = blockEnd(i, &plain);
        if (endsConjunct && plain) {
            long long limit = std::stoll(m_tokens[number].text.substr(0, 18));
            if (lt)
                --limit;
            // WHERE ROWNUM <= n AND c -> WHERE c; c AND ROWNUM <= n -> c.
            if (word(i - 1, "AND"))
                edits->push_back({m_tokens[i - 1].begin, m_tokens[number].end, {}});
            else if (after < m_tokens.size() && word(after, "AND"))
                edits->push_back({m_tokens[i].begin, m_tokens[after].end, {}});
            else
                edits->push_back({m_tokens[i - 1].begin, m_tokens[number].end, {}});
            const std::size_t at = end < m_tokens.size() ? m_tokens[end].begin : m_sql.size();
            edits->push_back({at, at, " LIMIT " + std::to_string(std::max(limit, 0LL)) + " "});
            return true;
        }
    }
    // ROWNUM in a select list: the row's number.
    int depth = 0;
    for (std::size_t k = i; k-- > 0;) {
        const PlacedToken& t = m_tokens[k];
        if (t.kind == Kind::Symbol && t.text == ")")
            ++depth;
        else if (t.kind == Kind::Symbol && t.text == "(")
            --depth;
        else if (depth <= 0 && t.kind == Kind::Word && t.text == "SELECT") {
            edits->push_back({m_tokens[i].begin, m_tokens[i].end, "row_number() OVER ()"});
            return true;
        } else if (depth <= 0 && t.kind == Kind::Word && (t.text == "FROM" || ClauseWord(t.text))) {
            break;
        }
    }
    *error = Unimplemented;
    return false;
}

bool Statement::plan(std::vector<Edit>* edits, std::string* error)
{
    if (m_tokens.empty())
        return true;
    const std::string& first = m_tokens[0].text;
    std::size_t i = 1;
    if (first == "UPDATE" || first == "DELETE") {
        if (first == "DELETE" && !word(1, "FROM") && name(1))
            edits->push_back({m_tokens[1].begin, m_tokens[1].begin, "FROM "});
        else if (first == "DELETE")
            i = 2;
        i = table(i, edits);
        // An alias: SQLite wants AS before it, and columns to set unqualified.
        if (i < m_tokens.size() && name(i) && !(m_tokens[i].kind == Kind::Word && ClauseWord(m_tokens[i].text))) {
            const PlacedToken& alias = m_tokens[i];
            edits->push_back({alias.begin, alias.begin, "AS "});
            if (first == "UPDATE" && word(i + 1, "SET")) {
                int depth = 0;
                bool tuple = false;   // in "(a, b) = (SELECT ...)"'s list of columns
                bool target = true;   // a column to set stands next
                for (std::size_t k = i + 2; k < m_tokens.size(); ++k) {
                    const PlacedToken& t = m_tokens[k];
                    const bool top = depth == 0 || (tuple && depth == 1);
                    if (t.kind == Kind::Symbol && t.text == "(") {
                        tuple = depth == 0 ? target : tuple;
                        ++depth;
                    } else if (t.kind == Kind::Symbol && t.text == ")") {
                        if (--depth == 0)
                            tuple = false;
                        target = false;
                    } else if (depth == 0 && t.kind == Kind::Word && (t.text == "WHERE" || t.text == "RETURNING")) {
                        break;
                    } else if (t.kind == Kind::Symbol && t.text == ",") {
                        target = target || top;
                    } else if (top && target && t.kind == alias.kind && t.text == alias.text && symbol(k + 1, ".")
                               && name(k + 2)) {
                        edits->push_back({t.begin, m_tokens[k + 2].begin, {}});
                        k += 2;
                        target = false;
                    } else {
                        target = false;
                    }
                }
            }
        }
    }
    // Tables after FROM, JOIN, INTO, USING and the commas of a FROM list.
    std::vector<bool> fromList(1, false);
    for (std::size_t k = 0; k < m_tokens.size(); ++k) {
        const PlacedToken& t = m_tokens[k];
        if (t.kind == Kind::Symbol && t.text == "(") {
            fromList.push_back(false);
            continue;
        }
        if (t.kind == Kind::Symbol && t.text == ")") {
            if (fromList.size() > 1)
                fromList.pop_back();
            continue;
        }
        const bool tablePlace = (t.kind == Kind::Word
                                 && (t.text == "FROM" || t.text == "JOIN" || t.text == "INTO"
                                     || (t.text == "USING" && !symbol(k + 1, "(")) || (t.text == "UPDATE" && k == 0)))
                                || (t.kind == Kind::Symbol && t.text == "," && fromList.back());
        if (t.kind == Kind::Word && t.text == "FROM")
            fromList.back() = true;
        else if (t.kind == Kind::Word && ClauseWord(t.text))
            fromList.back() = false;
        if (tablePlace && !(k == 0 || (first == "DELETE" && k == 1)))
            table(k + 1, edits);
        if (t.kind == Kind::Word && t.text == "ROWNUM" && !(k > 0 && symbol(k - 1, "."))) {
            if (first != "SELECT" && first != "WITH" && first != "INSERT") {
                *error = Unimplemented;
                return false;
            }
            if (!rownum(k, edits, error))
                return false;
        }
    }
    return true;
}

}  // namespace

namespace OracleDialect {

std::string DateArithmetic(std::string_view sql);

void Rewrite(LexedStatement* lexed)
{
    if (!lexed->needsRewrite)
        return;
    const std::string& word = lexed->firstWord();
    if (word != "SELECT" && word != "WITH" && word != "INSERT" && word != "UPDATE" && word != "DELETE")
        return;
    std::string error;
    std::vector<Edit> edits;
    Statement statement(lexed->text);
    if (!statement.plan(&edits, &error))
        throw EngineError(QString::fromStdString(error));
    const std::string named = edits.empty() ? lexed->text : ApplyEdits(lexed->text, std::move(edits));
    std::string result = DateArithmetic(named);
    if (result == lexed->text)
        return;
    // A rewritten text runs as written, unshared.
    lexed->text = std::move(result);
    lexed->sharedText.clear();
    lexed->literals.clear();
}

}  // namespace OracleDialect
