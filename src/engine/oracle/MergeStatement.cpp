// MERGE as statements SQLite runs: the matched rows updated (UPDATE ...
// FROM the source; refused, as Oracle refuses it, when two source rows match
// one row), the source's unmatched rows inserted (INSERT ... SELECT ...
// WHERE NOT EXISTS). With DELETE WHERE, the rows to insert are put
// aside first, so that neither the deleted nor the inserted rows mislead
// the other step.
#include "engine/oracle/OracleDialect.h"

#include "engine/SqlLexer.h"

#include <string>
#include <string_view>
#include <vector>

namespace {

using Kind = SqlToken::Kind;

const char* const Unsupported =
    "ORA-03001: unimplemented feature (MERGE other than INTO table USING table, view or subquery ON (condition) "
    "WHEN MATCHED THEN UPDATE SET ... WHEN NOT MATCHED THEN INSERT ... VALUES (...))";
const char* const PutAside = "\"KOVA$MERGE_ROWS\"";  // a TEMP table: found before the file's

class MergeReader {
public:
    explicit MergeReader(std::string_view sql) : m_sql(sql), m_tokens(PlaceTokens(sql)) {}

    bool read(std::vector<OracleDialect::MergeStep>* steps);

private:
    bool word(std::string_view text) const
    {
        return m_at < m_tokens.size() && m_tokens[m_at].kind == Kind::Word && m_tokens[m_at].text == text;
    }
    bool symbol(std::string_view text) const
    {
        return m_at < m_tokens.size() && m_tokens[m_at].kind == Kind::Symbol && m_tokens[m_at].text == text;
    }
    bool take(std::string_view text)
    {
        if (!word(text))
            return false;
        ++m_at;
        return true;
    }
    bool isName() const
    {
        return m_at < m_tokens.size()
               && (m_tokens[m_at].kind == Kind::QuotedName || m_tokens[m_at].kind == Kind::Word);
    }
    std::string text(std::size_t from, std::size_t to) const
    {
        if (from >= to)
            return {};
        return std::string(m_sql.substr(m_tokens[from].begin, m_tokens[to - 1].end - m_tokens[from].begin));
    }
    // [owner.]name, or a parenthesized subquery when `subquery`.
    bool object(std::string* out, bool subquery)
    {
        const std::size_t from = m_at;
        if (subquery && symbol("(")) {
            if (!group(out))
                return false;
            *out = "(" + *out + ")";
            return true;
        }
        if (!isName())
            return false;
        ++m_at;
        while (symbol(".") && m_at + 1 < m_tokens.size()) {
            m_at += 2;
        }
        *out = text(from, m_at);
        return true;
    }
    // An alias, unless the next word is `next`.
    void alias(std::string* out, std::string_view next)
    {
        if (isName() && !word(next)) {
            *out = text(m_at, m_at + 1);
            ++m_at;
        }
    }
    // The inside of "( ... )" at the current token.
    bool group(std::string* out)
    {
        if (!symbol("("))
            return false;
        int depth = 0;
        const std::size_t open = m_at;
        for (; m_at < m_tokens.size(); ++m_at) {
            if (symbol("("))
                ++depth;
            else if (symbol(")") && --depth == 0)
                break;
        }
        if (m_at >= m_tokens.size())
            return false;
        *out = text(open + 1, m_at);
        ++m_at;
        return true;
    }
    // The text up to (not including) a word of `ends` at depth 0, or the end.
    std::string until(std::initializer_list<std::string_view> ends)
    {
        const std::size_t from = m_at;
        int depth = 0;
        for (; m_at < m_tokens.size(); ++m_at) {
            if (symbol("("))
                ++depth;
            else if (symbol(")"))
                --depth;
            else if (depth == 0) {
                for (const std::string_view end : ends) {
                    if (word(end))
                        return text(from, m_at);
                }
            }
        }
        return text(from, m_at);
    }

    std::string_view m_sql;
    std::vector<PlacedToken> m_tokens;
    std::size_t m_at = 0;
};

bool MergeReader::read(std::vector<OracleDialect::MergeStep>* steps)
{
    std::string target, targetAlias, source, sourceAlias, condition;
    if (!take("MERGE") || !take("INTO") || !object(&target, false))
        return false;
    alias(&targetAlias, "USING");
    if (!take("USING") || !object(&source, true))
        return false;
    alias(&sourceAlias, "ON");
    if (!take("ON") || !group(&condition))
        return false;
    std::string set, updateWhere, deleteWhere, columns, values, insertWhere;
    bool matched = false;
    bool notMatched = false;
    while (take("WHEN")) {
        if (take("NOT")) {
            if (notMatched || !take("MATCHED") || !take("THEN") || !take("INSERT"))
                return false;
            notMatched = true;
            if (symbol("(") && !group(&columns))
                return false;
            if (!take("VALUES") || !group(&values))
                return false;
            if (take("WHERE"))
                insertWhere = until({"WHEN"});
        } else {
            if (matched || !take("MATCHED") || !take("THEN") || !take("UPDATE") || !take("SET"))
                return false;
            matched = true;
            set = until({"WHERE", "DELETE", "WHEN"});
            if (take("WHERE"))
                updateWhere = until({"DELETE", "WHEN"});
            if (take("DELETE")) {
                if (!take("WHERE"))
                    return false;
                deleteWhere = until({"WHEN"});
            }
        }
    }
    if (m_at != m_tokens.size() || (!matched && !notMatched) || (matched && set.empty()))
        return false;
    const std::string targetRef = targetAlias.empty() ? target : target + " " + targetAlias;
    const std::string sourceRef = sourceAlias.empty() ? source : source + " " + sourceAlias;
    const std::string matchedRows = "(" + condition + ")" + (updateWhere.empty() ? "" : " AND (" + updateWhere + ")");
    std::string newRows;
    if (notMatched) {
        newRows = "SELECT " + values + " FROM " + sourceRef + " WHERE NOT EXISTS (SELECT 1 FROM " + targetRef
                  + " WHERE " + condition + ")" + (insertWhere.empty() ? "" : " AND (" + insertWhere + ")");
    }
    const std::string into = "INSERT INTO " + target + (columns.empty() ? "" : " (" + columns + ")");
    const bool aside = notMatched && !deleteWhere.empty();
    if (aside)
        steps->push_back({"CREATE TEMP TABLE " + std::string(PutAside) + " AS ", newRows, false});
    if (matched) {
        // Oracle refuses to update a row twice from two source rows.
        steps->push_back({{}, "SELECT KOVA_RAISE('ORA-30926: unable to get a stable set of rows in the source tables')"
                              " FROM " + targetRef + " WHERE (SELECT COUNT(*) FROM " + sourceRef + " WHERE "
                              + matchedRows + ") > 1",
                          false});
    }
    if (matched)
        steps->push_back({{}, "UPDATE " + targetRef + " SET " + set + " FROM " + sourceRef + " WHERE " + matchedRows, true});
    if (!deleteWhere.empty()) {
        steps->push_back({{}, "DELETE FROM " + targetRef + " WHERE EXISTS (SELECT 1 FROM " + sourceRef + " WHERE "
                              + matchedRows + " AND (" + deleteWhere + "))",
                          false});
    }
    if (aside) {
        steps->push_back({{}, into + " SELECT * FROM " + PutAside, true});
        steps->push_back({"DROP TABLE " + std::string(PutAside), {}, false});
    } else if (notMatched) {
        steps->push_back({{}, into + " " + newRows, true});
    }
    return true;
}

}  // namespace

namespace OracleDialect {

bool TranslateMerge(std::string_view sql, std::vector<MergeStep>* steps, std::string* error)
{
    steps->clear();
    MergeReader reader(sql);
    if (reader.read(steps))
        return true;
    steps->clear();
    *error = Unsupported;
    return false;
}

}  // namespace OracleDialect
