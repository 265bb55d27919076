#include "browser/CheckConditions.h"

#include "engine/SqlLexer.h"
#include "generate/InsertRow.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace browser {

namespace {

using basKovaData::ColumnRule;
using basKovaData::Kind;
using Family = basKovaData::TypeFamily;

// ---- reading ------------------------------------------------------------------

constexpr int MaxNesting = 12;

struct Operand {
    enum class Kind { Column, Number, Text } kind = Kind::Text;
    int column = 0;
    double number = 0;
    QString text;  // a text, or a number as written
    bool isLiteral() const { return kind != Kind::Column; }
};

struct Predicate {
    enum class Kind { Compare, In, Between, NotNull, IsNull, Like } kind = Kind::Compare;
    Operand left;
    QString op;
    Operand right;  // Compare: the right side; Between: the low end
    Operand high;   // Between: the high end
    QList<Operand> values;  // In
};

// A condition: one predicate, or ANDs or ORs of conditions.
struct Node {
    enum class Kind { Predicate, And, Or } kind = Kind::Predicate;
    Predicate predicate;
    std::vector<Node> children;
};

bool IsNumericType(const std::string& type)
{
    static const char* const types[] = {"INTEGER", "INT",  "INT2",   "INT4",   "INT8",   "BIGINT", "SMALLINT",
                                        "NUMERIC", "DECIMAL", "NUMBER", "REAL", "DOUBLE", "FLOAT4", "FLOAT8"};
    return std::any_of(std::begin(types), std::end(types), [&type](const char* name) { return type == name; });
}

bool IsReserved(const std::string& word)
{
    static const char* const words[] = {"AND", "OR",   "NOT", "NULL", "IS",   "IN",   "BETWEEN", "LIKE", "ANY",
                                        "SOME", "ALL", "ARRAY", "CASE", "WHEN", "THEN", "ELSE", "END", "DATE"};
    return std::any_of(std::begin(words), std::end(words), [&word](const char* name) { return word == name; });
}

// The column a name stands for, 0 for none: a quoted name as written,
// else without regard to case.
int ColumnNamed(const SqlToken& t, const std::vector<ColumnRule>& rules, int count)
{
    const QString name = QString::fromStdString(t.text);
    for (const Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive})
        for (int j = 1; j <= count; ++j)
            if (rules[std::size_t(j)].ColumnName.trimmed().compare(name, cs) == 0)
                return j;
    return 0;
}

// A recursive descent over the tokens of one condition. Any form it does not
// know fails the whole condition.
class Parser {
public:
    Parser(std::vector<SqlToken> tokens, const std::vector<ColumnRule>& rules, int count)
        : m_tokens(std::move(tokens)), m_rules(rules), m_count(count)
    {
    }

    std::optional<Node> condition()
    {
        std::optional<Node> node = disjunction();
        if (!node || m_pos != m_tokens.size())
            return std::nullopt;
        return node;
    }

private:
    const SqlToken* token(std::size_t ahead = 0) const
    {
        return m_pos + ahead < m_tokens.size() ? &m_tokens[m_pos + ahead] : nullptr;
    }
    bool isSymbol(const char* text, std::size_t ahead = 0) const
    {
        const SqlToken* t = token(ahead);
        return t && t->kind == SqlToken::Kind::Symbol && t->text == text;
    }
    bool isWord(const char* text, std::size_t ahead = 0) const
    {
        const SqlToken* t = token(ahead);
        return t && t->kind == SqlToken::Kind::Word && t->text == text;
    }
    bool takeSymbol(const char* text)
    {
        if (!isSymbol(text))
            return false;
        ++m_pos;
        return true;
    }
    bool takeWord(const char* text)
    {
        if (!isWord(text))
            return false;
        ++m_pos;
        return true;
    }

    std::optional<Node> joined(Node::Kind kind, const char* word, std::optional<Node> (Parser::*part)())
    {
        std::optional<Node> first = (this->*part)();
        if (!first || !isWord(word))
            return first;
        Node node;
        node.kind = kind;
        node.children.push_back(std::move(*first));
        while (takeWord(word)) {
            std::optional<Node> next = (this->*part)();
            if (!next)
                return std::nullopt;
            node.children.push_back(std::move(*next));
        }
        return node;
    }
    std::optional<Node> disjunction() { return joined(Node::Kind::Or, "OR", &Parser::conjunction); }
    std::optional<Node> conjunction() { return joined(Node::Kind::And, "AND", &Parser::term); }

    // A condition in parentheses, else a predicate (whose first operand may
    // stand in parentheses itself).
    std::optional<Node> term()
    {
        if (isSymbol("(")) {
            const std::size_t start = m_pos++;
            std::optional<Node> inner = disjunction();
            if (inner && takeSymbol(")"))
                return inner;
            m_pos = start;
        }
        std::optional<Predicate> predicate = this->predicate();
        if (!predicate)
            return std::nullopt;
        Node node;
        node.predicate = std::move(*predicate);
        return node;
    }

    std::optional<Predicate> predicate()
    {
        Predicate p;
        std::optional<Operand> left = operand();
        if (!left)
            return std::nullopt;
        p.left = *left;
        if (takeWord("IS")) {
            const bool negated = takeWord("NOT");
            if (!takeWord("NULL") || p.left.kind != Operand::Kind::Column)
                return std::nullopt;
            p.kind = negated ? Predicate::Kind::NotNull : Predicate::Kind::IsNull;
            return p;
        }
        if (takeWord("LIKE")) {
            p.kind = Predicate::Kind::Like;
            std::optional<Operand> pattern = operand();
            if (!pattern || pattern->kind != Operand::Kind::Text || p.left.kind != Operand::Kind::Column)
                return std::nullopt;
            p.right = *pattern;
            return p;
        }
        if (takeWord("IN")) {
            p.kind = Predicate::Kind::In;
            if (!takeSymbol("(") || !literals(&p.values) || !takeSymbol(")"))
                return std::nullopt;
            return p;
        }
        if (takeWord("BETWEEN")) {
            p.kind = Predicate::Kind::Between;
            std::optional<Operand> low = operand();
            if (!low || !takeWord("AND"))
                return std::nullopt;
            std::optional<Operand> high = operand();
            if (!high)
                return std::nullopt;
            p.right = *low;
            p.high = *high;
            return p;
        }
        static const char* const operators[] = {"=", "<>", "!=", "^=", "<", "<=", ">", ">="};
        const SqlToken* op = token();
        if (!op || op->kind != SqlToken::Kind::Symbol
            || std::none_of(std::begin(operators), std::end(operators), [op](const char* o) { return op->text == o; }))
            return std::nullopt;
        ++m_pos;
        p.op = QString::fromStdString(op->text);
        // PostgreSQL's IN: col = ANY (ARRAY[...]).
        if (p.op == u"="_s && (takeWord("ANY") || takeWord("SOME"))) {
            p.kind = Predicate::Kind::In;
            if (!takeSymbol("(") || !array(&p.values) || !takeSymbol(")"))
                return std::nullopt;
            return p;
        }
        std::optional<Operand> right = operand();
        if (!right)
            return std::nullopt;
        p.right = *right;
        return p;
    }

    // Literals separated by commas.
    bool literals(QList<Operand>* values)
    {
        do {
            std::optional<Operand> value = operand();
            if (!value || !value->isLiteral())
                return false;
            values->append(*value);
        } while (takeSymbol(","));
        return true;
    }

    // ARRAY[literals], perhaps in parentheses and cast.
    bool array(QList<Operand>* values)
    {
        if (takeSymbol("(")) {
            if (!array(values) || !takeSymbol(")"))
                return false;
        } else if (!takeWord("ARRAY") || !takeSymbol("[") || !literals(values) || !takeSymbol("]")) {
            return false;
        }
        Operand ignored;
        return casts(&ignored);
    }

    std::optional<Operand> operand()
    {
        const SqlToken* t = token();
        if (!t)
            return std::nullopt;
        Operand o;
        if (t->kind == SqlToken::Kind::Symbol && (t->text == "-" || t->text == "+")) {
            ++m_pos;
            std::optional<Operand> number = operand();
            if (!number || number->kind != Operand::Kind::Number)
                return std::nullopt;
            if (t->text == "-") {
                number->number = -number->number;
                number->text.prepend(u'-');
            }
            return number;
        }
        if (t->kind == SqlToken::Kind::Symbol && t->text == "(") {
            ++m_pos;
            std::optional<Operand> inner = operand();
            if (!inner || !takeSymbol(")"))
                return std::nullopt;
            o = *inner;
        } else if (t->kind == SqlToken::Kind::Number) {
            ++m_pos;
            bool ok = false;
            o.kind = Operand::Kind::Number;
            o.text = QString::fromStdString(t->text);
            o.number = o.text.toDouble(&ok);
            if (!ok)
                return std::nullopt;
        } else if (t->kind == SqlToken::Kind::String) {
            ++m_pos;
            o.text = QString::fromStdString(t->text);
        } else if (t->kind == SqlToken::Kind::Word || t->kind == SqlToken::Kind::QuotedName) {
            // A bare name: no keyword, function call or qualified name.
            if (t->kind == SqlToken::Kind::Word && IsReserved(t->text))
                return std::nullopt;
            if (isSymbol("(", 1) || isSymbol(".", 1))
                return std::nullopt;
            o.kind = Operand::Kind::Column;
            o.column = columnNamed(*t);
            ++m_pos;
            if (o.column == 0)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
        if (!casts(&o))
            return std::nullopt;
        return o;
    }

    // PostgreSQL's casts ("::numeric", "::character varying(10)",
    // "::timestamp without time zone", "::text[]"); a text cast to a number
    // becomes that number.
    bool casts(Operand* o)
    {
        while (takeSymbol("::")) {
            const SqlToken* type = token();
            if (!type || (type->kind != SqlToken::Kind::Word && type->kind != SqlToken::Kind::QuotedName))
                return false;
            const std::string name = type->text;
            ++m_pos;
            if (isSymbol(".") && token(1) && token(1)->kind == SqlToken::Kind::Word)
                m_pos += 2;
            while (isWord("VARYING") || isWord("PRECISION") || isWord("WITHOUT") || isWord("WITH") || isWord("TIME")
                   || isWord("ZONE"))
                ++m_pos;
            if (takeSymbol("(")) {
                while (token() && !isSymbol(")"))
                    ++m_pos;
                if (!takeSymbol(")"))
                    return false;
            }
            while (isSymbol("[") && isSymbol("]", 1))
                m_pos += 2;
            if (IsNumericType(name) && o->kind == Operand::Kind::Text) {
                bool ok = false;
                const double number = o->text.trimmed().toDouble(&ok);
                if (!ok)
                    return false;
                o->kind = Operand::Kind::Number;
                o->number = number;
                o->text = o->text.trimmed();
            }
        }
        return true;
    }

    int columnNamed(const SqlToken& t) const { return ColumnNamed(t, m_rules, m_count); }

    std::vector<SqlToken> m_tokens;
    const std::vector<ColumnRule>& m_rules;
    int m_count;
    std::size_t m_pos = 0;
};

void Flatten(const Node& node, Node::Kind kind, std::vector<const Node*>* out)
{
    if (node.kind == kind) {
        for (const Node& child : node.children)
            Flatten(child, kind, out);
    } else {
        out->push_back(&node);
    }
}

ColumnFacts& FactsOf(CheckReading& reading, int column)
{
    for (ColumnFacts& facts : reading.columns)
        if (facts.column == column)
            return facts;
    reading.columns.push_back(ColumnFacts{});
    reading.columns.back().column = column;
    return reading.columns.back();
}

void Above(ColumnFacts& facts, double value, bool open)
{
    if (!facts.low || value > *facts.low || (value == *facts.low && open)) {
        facts.low = value;
        facts.lowOpen = open;
    }
}

void Below(ColumnFacts& facts, double value, bool open)
{
    if (!facts.high || value < *facts.high || (value == *facts.high && open)) {
        facts.high = value;
        facts.highOpen = open;
    }
}

// A text that a LIKE pattern of `%` wildcards alone matches: the pattern
// without them ('%Trailers%' gives Trailers); none for a pattern with `_` or
// of `%` alone (the empty text is NULL).
std::optional<QString> LikeValue(QString pattern)
{
    pattern.remove(u'%');
    if (pattern.isEmpty() || pattern.contains(u'_'))
        return std::nullopt;
    return pattern;
}

// One predicate of an AND into the reading; false for a form that says
// nothing usable.
bool Take(const Predicate& p, CheckReading& reading)
{
    using OK = Operand::Kind;
    switch (p.kind) {
    case Predicate::Kind::NotNull:
        FactsOf(reading, p.left.column).notNull = true;
        return true;
    case Predicate::Kind::In: {
        if (p.left.kind != OK::Column)
            return false;
        ColumnFacts& facts = FactsOf(reading, p.left.column);
        if (facts.values)
            return false;
        facts.values = QStringList();
        facts.numericValues = true;
        for (const Operand& value : p.values) {
            facts.values->append(value.text);
            facts.numericValues = facts.numericValues && value.kind == OK::Number;
        }
        return true;
    }
    case Predicate::Kind::Between: {
        if (p.left.kind != OK::Column || p.right.kind != OK::Number || p.high.kind != OK::Number)
            return false;
        ColumnFacts& facts = FactsOf(reading, p.left.column);
        Above(facts, p.right.number, false);
        Below(facts, p.high.number, false);
        return true;
    }
    case Predicate::Kind::IsNull:
        return false;
    case Predicate::Kind::Like: {
        ColumnFacts& facts = FactsOf(reading, p.left.column);
        const std::optional<QString> value = LikeValue(p.right.text);
        if (facts.values || !value)
            return false;
        facts.values = QStringList{*value};
        return true;
    }
    case Predicate::Kind::Compare:
        break;
    }
    Operand left = p.left;
    Operand right = p.right;
    QString op = p.op;
    if (left.kind != OK::Column) {
        // 0 < qty reads as qty > 0.
        std::swap(left, right);
        op = op == u"<"_s ? u">"_s : op == u">"_s ? u"<"_s : op == u"<="_s ? u">="_s : op == u">="_s ? u"<="_s : op;
    }
    if (left.kind != OK::Column)
        return false;
    if (op == u"="_s && right.isLiteral()) {
        ColumnFacts& facts = FactsOf(reading, left.column);
        if (facts.values)
            return false;
        facts.values = QStringList{right.text};
        facts.numericValues = right.kind == OK::Number;
        return true;
    }
    if (op != u"<"_s && op != u"<="_s && op != u">"_s && op != u">="_s)
        return false;
    const bool open = op.size() == 1;
    if (right.kind == OK::Number) {
        ColumnFacts& facts = FactsOf(reading, left.column);
        if (op.startsWith(u'>'))
            Above(facts, right.number, open);
        else
            Below(facts, right.number, open);
        return true;
    }
    if (right.kind != OK::Column || right.column == left.column)
        return false;
    const bool greaterLeft = op.startsWith(u'>');
    ColumnFacts& facts = FactsOf(reading, greaterLeft ? left.column : right.column);
    if (facts.after != 0)
        return false;
    facts.after = greaterLeft ? right.column : left.column;
    return true;
}

// ---- applying -----------------------------------------------------------------

double PowerOfTen(int digits)
{
    return std::pow(10.0, std::clamp(digits, 0, 15));
}

// The largest value a NUMBER column holds, and its scale.
struct NumberRange {
    double largest;
    int scale;
};

NumberRange RangeOf(const ColumnRule& rule)
{
    const int scale = std::max<int>(rule.Scale, 0);
    const double unit = 1.0 / PowerOfTen(scale);
    if (rule.Length <= 0)
        return {1e15, scale};
    const int digits = rule.Length - scale;
    return {digits > 0 ? PowerOfTen(digits) - unit : unit * 9, scale};
}

// The first multiple of the unit above (or at, unless open) `value`; the
// last below with `upward` false. Counted in units, so that 0.57 stays 0.57.
double OnUnit(double value, bool open, bool upward, int scale)
{
    const double units = value * PowerOfTen(scale);
    const double whole = std::round(units);
    const bool exact = std::fabs(units - whole) < 1e-7;
    double k = 0;
    if (upward)
        k = exact ? whole + (open ? 1 : 0) : std::ceil(units);
    else
        k = exact ? whole - (open ? 1 : 0) : std::floor(units);
    return k / PowerOfTen(scale);
}

// A random rule's range narrowed to the bounds, within the type; a range
// the bounds leave no value of moves to them, as wide as it was. False when
// no value is left.
bool NarrowRandom(ColumnRule& rule, const ColumnFacts& facts)
{
    const NumberRange range = RangeOf(rule);
    const double span = rule.NumValue[1] - rule.NumValue[0];
    const std::optional<double> low =
        facts.low ? std::optional(OnUnit(*facts.low, facts.lowOpen, true, range.scale)) : std::nullopt;
    const std::optional<double> high =
        facts.high ? std::optional(OnUnit(*facts.high, facts.highOpen, false, range.scale)) : std::nullopt;
    double lo = std::max(rule.NumValue[0], low.value_or(rule.NumValue[0]));
    double hi = std::min(rule.NumValue[1], high.value_or(rule.NumValue[1]));
    if (lo > hi) {
        lo = low ? *low : *high - span;
        hi = high ? *high : *low + span;
    }
    lo = std::max(lo, -range.largest);
    hi = std::min(hi, range.largest);
    if (lo > hi)
        return false;
    rule.NumValue[0] = lo;
    rule.NumValue[1] = hi;
    return true;
}

// A sequence starts at the lower bound at the earliest; false when it starts
// above the upper one.
bool NarrowSequence(ColumnRule& rule, const ColumnFacts& facts)
{
    const NumberRange range = RangeOf(rule);
    double start = rule.NumValue[0];
    if (facts.low)
        start = std::max(start, OnUnit(*facts.low, facts.lowOpen, true, range.scale));
    if (facts.high && start > OnUnit(*facts.high, facts.highOpen, false, range.scale))
        return false;
    rule.NumValue[0] = start;
    return true;
}

void SetValues(ColumnRule& rule, const QStringList& values)
{
    const bool numeric = rule.family() == Family::Numeric;
    rule.clearRule();
    rule.setKind(Kind::Multiple);
    rule.RandomOrder = true;
    for (int i = 0; i < std::min<int>(int(values.size()), basKovaData::RuleSlots); ++i) {
        rule.MultiOn[std::size_t(i)] = true;
        if (numeric)
            rule.NumValue[std::size_t(i)] = values[i].toDouble();
        else
            rule.TextValue[std::size_t(i)] = values[i];
    }
}

// How an expression names a column of the row: row.NAME, or row["NAME"]
// for a name that is no identifier.
QString RowReference(const QString& name)
{
    static const QRegularExpression identifier(u"^[\\p{L}_$][\\p{L}\\p{N}_$]*$"_s);
    if (identifier.match(name).hasMatch())
        return u"row."_s + name;
    QString quoted = name;
    quoted.replace(u'\\', u"\\\\"_s).replace(u'"', u"\\\""_s);
    return u"row[\""_s + quoted + u"\"]"_s;
}

// `rule` follows `other` (later or larger when `later`, else earlier or
// smaller) by a small random step; a random `other` keeps room for the step.
void Follow(ColumnRule& rule, ColumnRule& other, bool otherOurs, bool later)
{
    const QString sign = later ? u""_s : u"-"_s;
    const QString from = RowReference(other.ColumnName.trimmed());
    QString expression;
    if (rule.family() == Family::Date) {
        expression = u"addDays(%1, %2randInt(1, 30))"_s.arg(from, sign);
    } else {
        const double largest = RangeOf(rule).largest;
        const double step = std::clamp(std::floor(largest / 10), 1.0, 100.0);
        expression = u"%1 %2 randInt(1, %3)"_s.arg(from, later ? u"+"_s : u"-"_s).arg(step);
        const int scale = RangeOf(other).scale;
        const double lo = std::max(other.NumValue[0], OnUnit(step - largest, false, true, scale));
        const double hi = std::min(other.NumValue[1], OnUnit(largest - step, false, false, scale));
        if (otherOurs && other.storedKind() == Kind::Random && lo <= hi) {
            other.NumValue[0] = lo;
            other.NumValue[1] = hi;
        }
    }
    rule.clearRule();
    rule.setKind(Kind::Expression);
    rule.Expression = expression;
}

bool Narrowable(const ColumnRule& rule)
{
    const Kind kind = rule.storedKind();
    return kind == Kind::Random || kind == Kind::Sequence || kind == Kind::Dictionary;
}

// Whether a column's rule gives every row a value.
bool GivesValue(const ColumnRule& rule)
{
    const Kind kind = rule.storedKind();
    return kind != Kind::None && kind != Kind::Unknown && kind != Kind::Null && rule.NullRate == 0;
}

}  // namespace

QList<CheckConstraint> CheckConstraints(OraDatabase* database, const QString& table)
{
    QList<CheckConstraint> checks;
    const auto dynaset = database->DBCreateDynaset(
        u"SELECT CONSTRAINT_NAME, SEARCH_CONDITION FROM USER_CONSTRAINTS WHERE TABLE_NAME = %1 "
        "AND CONSTRAINT_TYPE = 'C' ORDER BY CONSTRAINT_NAME"_s.arg(basKovaData::SqlQuoted(table)),
        0);
    for (; !dynaset->IsEOF(); dynaset->MoveNext())
        checks.append(CheckConstraint{dynaset->Value(0).toString(), dynaset->Value(1).toString().trimmed()});
    dynaset->Close();
    return checks;
}

CheckReading ReadCheck(const QString& condition, const std::vector<ColumnRule>& rules, int count)
{
    CheckReading reading;
    const QByteArray utf8 = condition.toUtf8();
    std::vector<SqlToken> tokens = ExpressionTokens(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    // Parentheses are tried as a condition first, then as an operand: deeper
    // nesting than anyone writes is left unread rather than tried both ways.
    int depth = 0, deepest = 0;
    for (const SqlToken& token : tokens)
        if (token.kind == SqlToken::Kind::Symbol && (token.text == "(" || token.text == ")"))
            deepest = std::max(deepest, depth += token.text == "(" ? 1 : -1);
    for (const SqlToken& token : tokens)
        if (token.kind == SqlToken::Kind::Word || token.kind == SqlToken::Kind::QuotedName)
            if (const int column = ColumnNamed(token, rules, count);
                column > 0 && std::find(reading.named.begin(), reading.named.end(), column) == reading.named.end())
                reading.named.push_back(column);
    if (tokens.empty() || deepest > MaxNesting)
        return reading;
    const std::optional<Node> node = Parser(std::move(tokens), rules, count).condition();
    if (!node)
        return reading;
    if (node->kind == Node::Kind::Or) {
        std::vector<const Node*> alternatives;
        Flatten(*node, Node::Kind::Or, &alternatives);
        // col IS NULL OR col LIKE '%a%' OR col LIKE 'b%': a value of the patterns.
        const auto likeOrNull = [&alternatives](const Node* alternative) {
            const Predicate& p = alternative->predicate;
            return alternative->kind == Node::Kind::Predicate && p.left.column == alternatives.front()->predicate.left.column
                   && (p.kind == Predicate::Kind::Like || p.kind == Predicate::Kind::IsNull);
        };
        if (std::all_of(alternatives.begin(), alternatives.end(), likeOrNull)) {
            QStringList values;
            for (const Node* alternative : alternatives) {
                const std::optional<QString> value = LikeValue(alternative->predicate.right.text);
                if (alternative->predicate.kind == Predicate::Kind::Like && !value)
                    return reading;
                if (value && !values.contains(*value))
                    values << *value;
            }
            if (values.isEmpty())
                return reading;
            FactsOf(reading, alternatives.front()->predicate.left.column).values = values;
            reading.read = true;
            return reading;
        }
        for (const Node* alternative : alternatives) {
            if (alternative->kind != Node::Kind::Predicate || alternative->predicate.kind != Predicate::Kind::NotNull)
                return reading;
            reading.oneNotNull.push_back(alternative->predicate.left.column);
        }
        reading.read = true;
        return reading;
    }
    std::vector<const Node*> terms;
    Flatten(*node, Node::Kind::And, &terms);
    for (const Node* term : terms)
        if (term->kind != Node::Kind::Predicate || !Take(term->predicate, reading))
            return CheckReading{false, {}, {}, reading.named};
    reading.read = true;
    return reading;
}

void MarkNotNull(const CheckReading& reading, std::vector<ColumnRule>& rules)
{
    for (const ColumnFacts& facts : reading.columns)
        if (facts.notNull)
            rules[std::size_t(facts.column)].IsNotNull = true;
}

CheckUse ApplyCheck(const CheckReading& reading, std::vector<ColumnRule>& rules, const std::vector<bool>& proposed)
{
    if (!reading.read)
        return CheckUse::Unread;
    const auto ours = [&proposed](int column) { return proposed[std::size_t(column)]; };
    // Changed on a copy: an unread condition changes nothing.
    std::vector<ColumnRule> changed = rules;
    bool partly = false;
    for (const ColumnFacts& facts : reading.columns) {
        ColumnRule& rule = changed[std::size_t(facts.column)];
        const Family family = rule.family();
        if (facts.notNull && ours(facts.column))
            rule.NullRate = 0;
        if (facts.values) {
            if (family == Family::Date || family == Family::Other || (family == Family::Numeric && !facts.numericValues))
                return CheckUse::Unread;
            QStringList values = *facts.values;
            if (family == Family::Numeric)
                values.removeIf([&facts](const QString& value) {
                    const double number = value.toDouble();
                    return (facts.low && (number < *facts.low || (facts.lowOpen && number == *facts.low)))
                           || (facts.high && (number > *facts.high || (facts.highOpen && number == *facts.high)));
                });
            if (values.isEmpty())
                return CheckUse::Unread;
            partly = partly || values.size() > basKovaData::RuleSlots;
            if (ours(facts.column) && Narrowable(rule))
                SetValues(rule, values);
        } else if (facts.low || facts.high) {
            if (family != Family::Numeric)
                return CheckUse::Unread;
            if (ours(facts.column) && rule.storedKind() == Kind::Random && !NarrowRandom(rule, facts))
                return CheckUse::Unread;
            if (ours(facts.column) && rule.storedKind() == Kind::Sequence && !NarrowSequence(rule, facts))
                return CheckUse::Unread;
        }
        if (facts.after != 0) {
            ColumnRule& other = changed[std::size_t(facts.after)];
            if (family != other.family() || (family != Family::Date && family != Family::Numeric))
                return CheckUse::Unread;
            if (ours(facts.column) && rule.storedKind() == Kind::Random)
                Follow(rule, other, ours(facts.after), true);
            else if (ours(facts.after) && other.storedKind() == Kind::Random)
                Follow(other, rule, ours(facts.column), false);
        }
    }
    if (!reading.oneNotNull.empty()) {
        const bool held = std::any_of(reading.oneNotNull.begin(), reading.oneNotNull.end(),
                                      [&changed](int column) { return GivesValue(changed[std::size_t(column)]); });
        const auto first = std::find_if(reading.oneNotNull.begin(), reading.oneNotNull.end(), [&](int column) {
            const Kind kind = changed[std::size_t(column)].storedKind();
            return ours(column) && kind != Kind::None && kind != Kind::Unknown && kind != Kind::Null;
        });
        if (!held && first != reading.oneNotNull.end())
            changed[std::size_t(*first)].NullRate = 0;
    }
    rules = std::move(changed);
    return partly ? CheckUse::PartlyUsed : CheckUse::Used;
}

QStringList NullForUnread(const CheckReading& reading, std::vector<ColumnRule>& rules, const std::vector<bool>& proposed)
{
    QStringList nulled;
    for (const int column : reading.named) {
        ColumnRule& rule = rules[std::size_t(column)];
        if (!proposed[std::size_t(column)] || rule.IsNotNull || rule.IsKey)
            continue;
        rule.clearRule();
        rule.setKind(Kind::Null);
        nulled << rule.ColumnName.trimmed();
    }
    return nulled;
}

QString CheckLine(const CheckConstraint& check)
{
    return check.name + u": "_s + check.condition.simplified();
}

QString CheckConditionsMessage(const QStringList& unread, const QStringList& partlyUsed, const QStringList& nulled)
{
    QStringList parts;
    if (!unread.isEmpty())
        parts << u"次の検査制約は読めなかったため、規則に反映していません。作成する行は拒否されることがあります。\n"_s
                     + unread.join(u'\n');
    if (!nulled.isEmpty())
        parts << u"次の検査制約は読めなかったため、NULLを許す項目にNULLを設定しました。\n"_s + nulled.join(u'\n');
    if (!partlyUsed.isEmpty())
        parts << u"次の検査制約は値が多いため、先頭の%1件だけを規則に反映しました。\n"_s.arg(basKovaData::RuleSlots)
                     + partlyUsed.join(u'\n');
    return parts.join(u"\n\n"_s);
}

}  // namespace browser
