#include "engine/oracle/TriggerBody.h"

#include "engine/EngineError.h"
#include "engine/oracle/OracleObjects.h"
#include "engine/SqlLexer.h"

#include <algorithm>
#include <set>

namespace TriggerBody {
namespace {

using Env = std::map<std::string, std::string>;

[[noreturn]] void Refuse(const std::string& what)
{
    throw EngineError(QString::fromStdString(OracleObjects::OutsideLine("a trigger body with " + what)));
}

bool IsSymbol(const PlacedToken& t, std::string_view text)
{
    return t.kind == SqlToken::Kind::Symbol && t.text == text;
}

bool IsWord(const PlacedToken& t, std::string_view word)
{
    return t.kind == SqlToken::Kind::Word && t.text == word;
}

bool IsName(const PlacedToken& t)
{
    return t.kind == SqlToken::Kind::Word || t.kind == SqlToken::Kind::QuotedName;
}

std::string UpperAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

class Reader {
public:
    Reader(std::string_view text, const std::string& newName, const std::string& oldName, bool condition)
        : m_text(text), m_tokens(PlaceTokens(text)), m_new(newName), m_old(oldName), m_condition(condition)
    {
        for (const PlacedToken& t : m_tokens) {
            if (t.unterminated)
                throw EngineError(QStringLiteral("ORA-01756: quoted string not properly terminated"));
        }
    }

    std::size_t size() const { return m_tokens.size(); }

    Body body()
    {
        Body body;
        if (m_at < size() && IsWord(m_tokens[m_at], "DECLARE")) {
            ++m_at;
            while (m_at < size() && !IsWord(m_tokens[m_at], "BEGIN"))
                body.locals.push_back(declaration());
        }
        for (const auto& local : body.locals)
            m_locals.insert(local.first);
        expectWord("BEGIN");
        body.steps = steps();
        expectWord("END");
        if (m_at < size() && IsName(m_tokens[m_at]))
            ++m_at;  // END trigger_name;
        expectSymbol(";");
        if (m_at < size())
            Refuse("text after its END");
        return body;
    }

    Expr expression(std::size_t from, std::size_t to)
    {
        Expr expr;
        std::size_t copied = from < size() ? m_tokens[from].begin : m_text.size();
        const auto text = [&](std::size_t upTo) {
            if (upTo > copied)
                expr.push_back({Piece::Kind::Text, std::string(m_text.substr(copied, upTo - copied))});
        };
        for (std::size_t i = from; i < to; ++i) {
            const PlacedToken& t = m_tokens[i];
            const bool column = i + 2 < to && IsSymbol(m_tokens[i + 1], ".")
                                && IsName(m_tokens[i + 2]);
            const std::string correlation = correlationOf(t);
            if (!correlation.empty() && column) {
                text(t.begin);
                const PlacedToken& name = m_tokens[i + 2];
                expr.push_back({correlation == m_new ? Piece::Kind::New : Piece::Kind::Old, UpperAscii(name.text)});
                copied = name.end;
                i += 2;
                continue;
            }
            if (t.kind == SqlToken::Kind::Symbol && t.text.size() > 1 && t.text[0] == ':')
                Refuse("the bind variable " + t.text);
            const bool afterDot = i > from && IsSymbol(m_tokens[i - 1], ".");
            const bool beforeDot = i + 1 < to && IsSymbol(m_tokens[i + 1], ".");
            const bool call = i + 1 < to && IsSymbol(m_tokens[i + 1], "(");
            if (t.kind != SqlToken::Kind::Word || afterDot || beforeDot)
                continue;
            if (t.text == "CURRENT_DATE") {
                // The session's date and time, as SYSDATE gives it here.
                text(t.begin);
                expr.push_back({Piece::Kind::Text, "SYSDATE"});
                copied = t.end;
            } else if (m_locals.count(t.text)) {
                text(t.begin);
                expr.push_back({Piece::Kind::Local, t.text});
                copied = t.end;
            } else if ((t.text == "INSERTING" || t.text == "UPDATING" || t.text == "DELETING") && !call) {
                text(t.begin);
                expr.push_back({t.text == "INSERTING"  ? Piece::Kind::Inserting
                                : t.text == "UPDATING" ? Piece::Kind::Updating
                                                       : Piece::Kind::Text,
                                t.text == "DELETING" ? "(1 = 0)" : ""});
                copied = t.end;
            }
        }
        text(to < size() ? m_tokens[to].begin : m_tokens.empty() ? m_text.size() : m_tokens.back().end);
        return expr;
    }

private:
    // ":NEW" in a body, NEW in a condition: the correlation name in capitals,
    // empty for anything else.
    std::string correlationOf(const PlacedToken& t) const
    {
        std::string name;
        if (m_condition && t.kind == SqlToken::Kind::Word)
            name = t.text;
        else if (!m_condition && t.kind == SqlToken::Kind::Symbol && t.text.size() > 1 && t.text[0] == ':')
            name = UpperAscii(t.text.substr(1));
        return name == m_new || name == m_old ? name : std::string();
    }

    void expectWord(std::string_view word)
    {
        if (m_at >= size() || !IsWord(m_tokens[m_at], word))
            Refuse(m_at < size() ? m_tokens[m_at].text + " where " + std::string(word) + " belongs"
                                 : "no " + std::string(word));
        ++m_at;
    }

    void expectSymbol(std::string_view symbol)
    {
        if (m_at >= size() || !IsSymbol(m_tokens[m_at], symbol))
            Refuse(m_at < size() ? m_tokens[m_at].text + " where " + std::string(symbol) + " belongs"
                                 : "no " + std::string(symbol));
        ++m_at;
    }

    // The first token from `from` on, outside parentheses and CASE ... END,
    // that is `symbol` or the word `word`; size() when none.
    std::size_t find(std::size_t from, std::string_view symbol, std::string_view word = {}) const
    {
        int depth = 0;
        int cases = 0;
        for (std::size_t i = from; i < size(); ++i) {
            const PlacedToken& t = m_tokens[i];
            if (IsSymbol(t, "("))
                ++depth;
            else if (IsSymbol(t, ")"))
                --depth;
            else if (IsWord(t, "CASE"))
                ++cases;
            else if (IsWord(t, "END") && cases > 0)
                --cases;
            else if (depth == 0 && cases == 0 && (IsSymbol(t, symbol) || (!word.empty() && IsWord(t, word))))
                return i;
            if (IsSymbol(t, ";") && !(depth == 0 && symbol == ";"))
                return size();
        }
        return size();
    }

    std::vector<std::pair<std::size_t, std::size_t>> split(std::size_t from, std::size_t to) const
    {
        std::vector<std::pair<std::size_t, std::size_t>> items;
        std::size_t start = from;
        int depth = 0;
        for (std::size_t i = from; i < to; ++i) {
            if (IsSymbol(m_tokens[i], "("))
                ++depth;
            else if (IsSymbol(m_tokens[i], ")"))
                --depth;
            else if (depth == 0 && IsSymbol(m_tokens[i], ",")) {
                items.emplace_back(start, i);
                start = i + 1;
            }
        }
        items.emplace_back(start, to);
        return items;
    }

    std::pair<std::string, Expr> declaration()
    {
        const PlacedToken& name = m_tokens[m_at];
        if (name.kind != SqlToken::Kind::Word || IsWord(name, "CURSOR") || IsWord(name, "TYPE")
            || IsWord(name, "PROCEDURE") || IsWord(name, "FUNCTION") || IsWord(name, "PRAGMA"))
            Refuse("the declaration " + name.text);
        const std::size_t end = find(m_at, ";");
        if (end >= size())
            Refuse("no ; after the declaration of " + name.text);
        Expr value{{Piece::Kind::Text, "NULL"}};
        for (std::size_t i = m_at + 1; i < end; ++i) {
            const bool assign = IsSymbol(m_tokens[i], ":") && i + 1 < end && IsSymbol(m_tokens[i + 1], "=");
            if (assign || IsWord(m_tokens[i], "DEFAULT")) {
                value = expression(i + (assign ? 2 : 1), end);
                break;
            }
        }
        m_at = end + 1;
        m_locals.insert(name.text);  // a later default may read it
        return {name.text, value};
    }

    // The target of an assignment at m_at: "N:COLUMN" or "L:VARIABLE", and
    // how many tokens it takes; empty when m_at holds none.
    std::pair<std::string, std::size_t> target(std::size_t at) const
    {
        if (at >= size())
            return {};
        const PlacedToken& t = m_tokens[at];
        if (correlationOf(t) == m_new && !m_condition && at + 2 < size() && IsSymbol(m_tokens[at + 1], ".")
            && IsName(m_tokens[at + 2]))
            return {"N:" + UpperAscii(m_tokens[at + 2].text), 3};
        if (!correlationOf(t).empty())
            return {"O:", 3};
        if (t.kind == SqlToken::Kind::Word && m_locals.count(t.text))
            return {"L:" + t.text, 1};
        return {};
    }

    std::vector<Step> steps()
    {
        std::vector<Step> result;
        while (m_at < size()) {
            const PlacedToken& t = m_tokens[m_at];
            if (IsWord(t, "END") || IsWord(t, "ELSIF") || IsWord(t, "ELSE") || IsWord(t, "EXCEPTION")) {
                if (IsWord(t, "EXCEPTION"))
                    Refuse("an EXCEPTION section");
                return result;
            }
            if (IsWord(t, "NULL") && m_at + 1 < size() && IsSymbol(m_tokens[m_at + 1], ";")) {
                m_at += 2;
            } else if (IsWord(t, "IF")) {
                result.push_back(ifStep());
            } else if (IsWord(t, "BEGIN")) {
                ++m_at;
                for (Step& step : steps())
                    result.push_back(std::move(step));
                expectWord("END");
                expectSymbol(";");
            } else if (IsWord(t, "SELECT")) {
                selectInto(&result);
            } else if (const auto [name, length] = target(m_at);
                       !name.empty() && m_at + length + 1 < size() && IsSymbol(m_tokens[m_at + length], ":")
                       && IsSymbol(m_tokens[m_at + length + 1], "=")) {
                if (name == "O:")
                    Refuse("an assignment to :OLD");
                const std::size_t from = m_at + length + 2;
                const std::size_t end = find(from, ";");
                if (end >= size())
                    Refuse("no ; after an assignment");
                result.push_back({Step::Kind::Assign, name, expression(from, end), {}, {}});
                m_at = end + 1;
            } else {
                Refuse(t.text.empty() ? std::string("an empty statement") : "the statement " + t.text);
            }
        }
        return result;
    }

    Step ifStep()
    {
        Step step;
        step.kind = Step::Kind::If;
        do {
            const std::size_t from = m_at + 1;
            const std::size_t then = find(from, "", "THEN");
            if (then >= size())
                Refuse("IF without THEN");
            Expr condition = expression(from, then);
            m_at = then + 1;
            step.branches.emplace_back(std::move(condition), steps());
        } while (m_at < size() && IsWord(m_tokens[m_at], "ELSIF"));
        if (m_at < size() && IsWord(m_tokens[m_at], "ELSE")) {
            ++m_at;
            step.otherwise = steps();
        }
        expectWord("END");
        expectWord("IF");
        expectSymbol(";");
        return step;
    }

    void selectInto(std::vector<Step>* result)
    {
        const std::size_t into = find(m_at + 1, "", "INTO");
        const std::size_t from = into < size() ? find(into + 1, "", "FROM") : size();
        const std::size_t end = from < size() ? find(from, ";") : size();
        if (end >= size())
            Refuse("a SELECT that is not SELECT ... INTO ... FROM ...;");
        const auto values = split(m_at + 1, into);
        const auto targets = split(into + 1, from);
        if (values.size() != targets.size())
            throw EngineError(values.size() > targets.size() ? QStringLiteral("ORA-00913: too many values")
                                                             : QStringLiteral("ORA-00947: not enough values"));
        const bool dual = end == from + 2 && IsWord(m_tokens[from + 1], "DUAL");
        const Expr rest = expression(from, end);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const auto [name, length] = target(targets[i].first);
            if (name.empty() || name == "O:" || targets[i].second - targets[i].first != length)
                Refuse("INTO a target other than :NEW columns and variables");
            Expr value;
            if (dual) {
                value = expression(values[i].first, values[i].second);
            } else {
                // One row of another table: a scalar subquery.
                value.push_back({Piece::Kind::Text, "(SELECT "});
                for (Piece& piece : expression(values[i].first, values[i].second))
                    value.push_back(std::move(piece));
                value.push_back({Piece::Kind::Text, " "});
                value.insert(value.end(), rest.begin(), rest.end());
                value.push_back({Piece::Kind::Text, ")"});
            }
            result->push_back({Step::Kind::Assign, name, std::move(value), {}, {}});
        }
        m_at = end + 1;
    }

    std::string_view m_text;
    std::vector<PlacedToken> m_tokens;
    std::string m_new;
    std::string m_old;
    bool m_condition = false;
    std::set<std::string> m_locals;
    std::size_t m_at = 0;
};

std::string Current(const Env& env, const Row& row, const std::string& key)
{
    if (const auto found = env.find(key); found != env.end())
        return found->second;
    if (key.rfind("N:", 0) == 0) {
        if (const auto found = row.newValues.find(key.substr(2)); found != row.newValues.end())
            return found->second;
    }
    return "NULL";
}

std::string RenderIn(const Expr& expr, const Row& row, const Env& env)
{
    std::string sql;
    for (const Piece& piece : expr) {
        switch (piece.kind) {
        case Piece::Kind::Text:
            sql += piece.text;
            break;
        case Piece::Kind::New:
            sql += "(" + Current(env, row, "N:" + piece.text) + ")";
            break;
        case Piece::Kind::Old: {
            const auto found = row.oldValues.find(piece.text);
            sql += found != row.oldValues.end() ? "(" + found->second + ")" : std::string("NULL");
            break;
        }
        case Piece::Kind::Local:
            sql += "(" + Current(env, row, "L:" + piece.text) + ")";
            break;
        case Piece::Kind::Inserting:
            sql += row.inserting ? "(1 = 1)" : "(1 = 0)";
            break;
        case Piece::Kind::Updating:
            sql += row.inserting ? "(1 = 0)" : "(1 = 1)";
            break;
        }
    }
    return sql;
}

// A value with a sequence's NEXTVAL in it advances the sequence each time
// the row's SQL reads it: the body may read such a value once only. The
// count of its reads is kept beside it as "R:" + key.
bool Advances(const std::string& value)
{
    return QString::fromStdString(value).contains(QStringLiteral("NEXTVAL"), Qt::CaseInsensitive);
}

std::string ReadOnce(const Expr& expr, const Row& row, Env* env)
{
    for (const Piece& piece : expr) {
        if (piece.kind != Piece::Kind::New && piece.kind != Piece::Kind::Local)
            continue;
        const std::string key = (piece.kind == Piece::Kind::New ? "N:" : "L:") + piece.text;
        const auto found = env->find(key);
        if (found == env->end() || !Advances(found->second))
            continue;
        std::string& reads = (*env)["R:" + key];
        if (!reads.empty())
            Refuse("a sequence's NEXTVAL read back more than once");
        reads = "1";
    }
    return RenderIn(expr, row, *env);
}

// Each IF repeats the values before it in its branches: a body whose
// expressions outgrow this is refused rather than rendered.
constexpr std::size_t MaxExpression = 1 << 20;

void Keep(Env* env, const std::string& key, std::string value)
{
    if (value.size() > MaxExpression)
        Refuse("IF statements whose expressions grow past 1 MB");
    // A column's value is read once by the row itself.
    if (key.rfind("N:", 0) == 0 && Advances(value))
        (*env)["R:" + key] = "1";
    else
        env->erase("R:" + key);
    (*env)[key] = std::move(value);
}

void Run(const std::vector<Step>& steps, const Row& row, Env* env)
{
    for (const Step& step : steps) {
        if (step.kind == Step::Kind::Assign) {
            Keep(env, step.target, ReadOnce(step.value, row, env));
            continue;
        }
        std::vector<std::string> conditions;
        std::vector<Env> branches;
        for (const auto& [condition, inner] : step.branches) {
            conditions.push_back(ReadOnce(condition, row, env));
            Env branch = *env;
            Run(inner, row, &branch);
            branches.push_back(std::move(branch));
        }
        Env otherwise = *env;
        Run(step.otherwise, row, &otherwise);
        std::set<std::string> changed;
        for (const Env* e : [&] {
                 std::vector<const Env*> all{&otherwise};
                 for (const Env& b : branches)
                     all.push_back(&b);
                 return all;
             }()) {
            for (const auto& [key, value] : *e) {
                const auto before = env->find(key);
                if (key.rfind("R:", 0) == 0)
                    (*env)[key] = value;  // read in one of the branches
                else if (before == env->end() || before->second != value)
                    changed.insert(key);
            }
        }
        for (const std::string& key : changed) {
            std::string value = "CASE";
            for (std::size_t i = 0; i < branches.size(); ++i)
                value += " WHEN " + conditions[i] + " THEN " + Current(branches[i], row, key);
            value += " ELSE " + Current(otherwise, row, key) + " END";
            Keep(env, key, std::move(value));
        }
    }
}

}  // namespace

Body Read(std::string_view body, const std::string& newName, const std::string& oldName)
{
    return Reader(body, newName, oldName, false).body();
}

Expr ReadCondition(std::string_view condition, const std::string& newName, const std::string& oldName)
{
    Reader reader(condition, newName, oldName, true);
    return reader.expression(0, reader.size());
}

void Apply(const Body& body, const Expr& when, const Row& row, Values* values)
{
    Env env = *values;
    for (const auto& [name, value] : body.locals)
        env["L:" + name] = RenderIn(value, row, env);
    const Env before = env;
    Run(body.steps, row, &env);
    for (const auto& [key, value] : env) {
        if (key.rfind("N:", 0) != 0)
            continue;
        const auto old = before.find(key);
        if (old != before.end() && old->second == value)
            continue;
        (*values)[key] = when.empty() ? value
                                      : "CASE WHEN " + RenderIn(when, row, before) + " THEN " + value + " ELSE "
                                            + Current(before, row, key) + " END";
    }
}

std::string Render(const Expr& expr, const Row& row, const Values& values)
{
    return RenderIn(expr, row, values);
}

std::vector<std::string> Columns(const Body& body, const Expr& when)
{
    std::set<std::string> columns;
    const auto read = [&](const Expr& expr) {
        for (const Piece& piece : expr) {
            if (piece.kind == Piece::Kind::New || piece.kind == Piece::Kind::Old)
                columns.insert(piece.text);
        }
    };
    const auto walk = [&](const auto& self, const std::vector<Step>& steps) -> void {
        for (const Step& step : steps) {
            if (step.target.rfind("N:", 0) == 0)
                columns.insert(step.target.substr(2));
            read(step.value);
            for (const auto& [condition, inner] : step.branches) {
                read(condition);
                self(self, inner);
            }
            self(self, step.otherwise);
        }
    };
    for (const auto& local : body.locals)
        read(local.second);
    read(when);
    walk(walk, body.steps);
    return {columns.begin(), columns.end()};
}

}  // namespace TriggerBody
