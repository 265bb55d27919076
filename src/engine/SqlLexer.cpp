#include "engine/SqlLexer.h"

#include "engine/EngineError.h"


namespace {

// The text is UTF-8: bytes from 0x80 are parts of characters, never blanks,
// digits or ASCII letters, whatever the C locale says about single bytes.
constexpr bool IsAsciiAlpha(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

constexpr bool IsHexDigit(unsigned char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

constexpr bool IsSpace(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool IsWordStart(unsigned char c)
{
    return IsAsciiAlpha(c) || c == '_' || c >= 0x80;
}

constexpr bool IsWordChar(unsigned char c)
{
    return IsAsciiAlpha(c) || IsDigit(c) || c == '_' || c == '$' || c == '#' || c >= 0x80;
}

void AssignUpper(std::string* out, std::string_view text)
{
    out->resize(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        (*out)[i] = AsciiUpper(text[i]);
}

std::string Upper(std::string_view text)
{
    std::string result;
    AssignUpper(&result, text);
    return result;
}

// `word` is upper case.
bool EqualsNoCase(std::string_view text, std::string_view word)
{
    if (text.size() != word.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (AsciiUpper(text[i]) != word[i])
            return false;
    }
    return true;
}

// One raw token with its place in the text.
struct RawToken {
    enum class Kind { End, Word, QuotedName, String, Number, HexNumber, Parameter, Symbol };
    Kind kind = Kind::End;
    size_t begin = 0;
    size_t end = 0;
    bool unterminated = false;  // a quote that the text never closes
};

class Scanner {
public:
    // In an expression, "[" and "]" are symbols (PostgreSQL's arrays) rather
    // than quotes, and the operators of two characters are one symbol each.
    explicit Scanner(std::string_view text, bool expression = false) : m_text(text), m_expression(expression) {}

    // Skips blanks and comments; returns the next token.
    RawToken next()
    {
        skipSpace();
        RawToken token;
        token.begin = m_pos;
        if (m_pos >= m_text.size()) {
            token.end = m_pos;
            return token;
        }
        const unsigned char c = at(m_pos);
        if (c == '\'') {
            token.kind = RawToken::Kind::String;
            token.unterminated = !skipQuoted('\'', '\'');
        } else if (c == '"') {
            token.kind = RawToken::Kind::QuotedName;
            token.unterminated = !skipQuoted('"', '"');
        } else if (m_expression && IsOperatorPair(c, at(m_pos + 1))) {
            token.kind = RawToken::Kind::Symbol;
            m_pos += 2;
        } else if (c == '[' && !m_expression) {
            token.kind = RawToken::Kind::QuotedName;
            token.unterminated = !skipQuoted('[', ']');
        } else if (c == '`') {
            token.kind = RawToken::Kind::QuotedName;
            token.unterminated = !skipQuoted('`', '`');
        } else if (c == '0' && (at(m_pos + 1) == 'x' || at(m_pos + 1) == 'X')
                   && IsHexDigit(at(m_pos + 2))) {
            token.kind = RawToken::Kind::HexNumber;
            m_pos += 2;
            while (IsHexDigit(at(m_pos)))
                ++m_pos;
        } else if (IsDigit(c) || (c == '.' && IsDigit(at(m_pos + 1)))) {
            token.kind = RawToken::Kind::Number;
            skipNumber();
        } else if (IsWordStart(c)) {
            token.kind = RawToken::Kind::Word;
            while (m_pos < m_text.size() && IsWordChar(at(m_pos)))
                ++m_pos;
        } else if (c == '?' || ((c == ':' || c == '@' || c == '$')
                                && (IsWordChar(at(m_pos + 1)) || IsDigit(at(m_pos + 1))))) {
            token.kind = RawToken::Kind::Parameter;
            ++m_pos;
            while (m_pos < m_text.size() && IsWordChar(at(m_pos)))
                ++m_pos;
        } else {
            token.kind = RawToken::Kind::Symbol;
            ++m_pos;
        }
        token.end = m_pos;
        return token;
    }

    size_t position() const { return m_pos; }

private:
    static bool IsOperatorPair(unsigned char first, unsigned char second)
    {
        return (first == '<' && (second == '=' || second == '>')) || ((first == '>' || first == '!' || first == '^') && second == '=')
               || (first == '|' && second == '|') || (first == ':' && second == ':');
    }

    unsigned char at(size_t i) const
    {
        return i < m_text.size() ? static_cast<unsigned char>(m_text[i]) : 0;
    }

    void skipSpace()
    {
        while (m_pos < m_text.size()) {
            const unsigned char c = at(m_pos);
            if (IsSpace(c)) {
                ++m_pos;
            } else if (c == '-' && at(m_pos + 1) == '-') {
                while (m_pos < m_text.size() && at(m_pos) != '\n')
                    ++m_pos;
            } else if (c == '/' && at(m_pos + 1) == '*') {
                const size_t close = m_text.find("*/", m_pos + 2);
                m_pos = close == std::string_view::npos ? m_text.size() : close + 2;
            } else {
                return;
            }
        }
    }

    // Returns false when the text ends before the closing quote.
    bool skipQuoted(char open, char close)
    {
        ++m_pos;
        while (m_pos < m_text.size()) {
            if (m_text[m_pos] == close) {
                // A doubled quote stands for one quote inside the literal.
                if (open == close && at(m_pos + 1) == static_cast<unsigned char>(close)) {
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                return true;
            }
            ++m_pos;
        }
        return false;
    }

    void skipNumber()
    {
        while (IsDigit(at(m_pos)))
            ++m_pos;
        if (at(m_pos) == '.') {
            ++m_pos;
            while (IsDigit(at(m_pos)))
                ++m_pos;
        }
        if (at(m_pos) == 'e' || at(m_pos) == 'E') {
            size_t p = m_pos + 1;
            if (at(p) == '+' || at(p) == '-')
                ++p;
            if (IsDigit(at(p))) {
                m_pos = p;
                while (IsDigit(at(m_pos)))
                    ++m_pos;
            }
        }
    }

    std::string_view m_text;
    bool m_expression = false;
    size_t m_pos = 0;
};

void AssignUnquoted(std::string* out, std::string_view quoted)
{
    out->clear();
    if (quoted.size() < 2)
        return;
    const char close = quoted.back();
    const std::string_view inner = quoted.substr(1, quoted.size() - 2);
    if (quoted.front() != close) {
        out->assign(inner);
        return;
    }
    // A doubled quote stands for one.
    size_t from = 0;
    for (;;) {
        const size_t quote = inner.find(close, from);
        if (quote == std::string_view::npos || quote + 1 >= inner.size()) {
            out->append(inner.substr(from));
            return;
        }
        out->append(inner.substr(from, quote + 1 - from));
        from = inner[quote + 1] == close ? quote + 2 : quote + 1;
    }
}

// A raw token's kind and text as the lexer's callers see them: words in
// capitals, quoted names and strings unquoted.
SqlToken::Kind ConvertToken(const RawToken& token, std::string_view raw, std::string* text)
{
    switch (token.kind) {
    case RawToken::Kind::Word:
        AssignUpper(text, raw);
        return SqlToken::Kind::Word;
    case RawToken::Kind::QuotedName:
        AssignUnquoted(text, raw);
        return SqlToken::Kind::QuotedName;
    case RawToken::Kind::String:
        AssignUnquoted(text, raw);
        return SqlToken::Kind::String;
    case RawToken::Kind::Number:
    case RawToken::Kind::HexNumber:
        text->assign(raw);
        return SqlToken::Kind::Number;
    default:
        text->assign(raw);
        return SqlToken::Kind::Symbol;
    }
}

bool IsSharableKind(const std::string& word)
{
    return word == "INSERT" || word == "UPDATE" || word == "DELETE";
}

// What a symbol tells of the statement: a dotted name or arithmetic that
// the dialect may rewrite, or an operator of SQLite's that Oracle lacks.
void NoteSymbol(std::string_view sql, const RawToken& token, const RawToken& previous, LexedStatement* result)
{
    const char c = sql[token.begin];
    const char next = token.end < sql.size() ? sql[token.end] : '\0';
    const char before = token.begin > 0 ? sql[token.begin - 1] : '\0';
    switch (c) {
    case '.':
    case '+':
    case '-':
    case '/':
    case '*':
        // After an operand: a binary operator or a name's dot; a minus
        // before anything but a number negates a value that may be a DATE.
        if (previous.kind == RawToken::Kind::Word || previous.kind == RawToken::Kind::QuotedName
            || previous.kind == RawToken::Kind::Number || previous.kind == RawToken::Kind::String
            || (previous.kind == RawToken::Kind::Symbol && sql[previous.begin] == ')')
            || (c == '-' && !(next >= '0' && next <= '9') && next != '.'))
            result->needsRewrite = true;
        break;
    case '=':
    case '<':
    case '>':
        if (next == c && before != c && !result->foreignOperator)
            result->foreignOperator = "ORA-00936: missing expression";
        break;
    case '|':
        if (next != '|' && before != '|' && !result->foreignOperator)
            result->foreignOperator = "ORA-00911: invalid character";
        break;
    case '!':
        if (next != '=' && !result->foreignOperator)
            result->foreignOperator = "ORA-00911: invalid character";
        break;
    case '~':
    case '&':
    case '%':
        if (!result->foreignOperator)
            result->foreignOperator = "ORA-00911: invalid character";
        break;
    default:
        break;
    }
}

// Words SQLite's grammar keeps for itself that Oracle's leaves free as
// names; in a query or DML statement they can only be names, and go quoted.
const char* SqliteOnlyKeyword(std::string_view word)
{
    switch (word.size()) {
    case 6:
        return EqualsNoCase(word, "ISNULL") ? "\"ISNULL\"" : nullptr;
    case 7:
        return EqualsNoCase(word, "NOTHING") ? "\"NOTHING\"" : EqualsNoCase(word, "NOTNULL") ? "\"NOTNULL\"" : nullptr;
    case 10:
        return EqualsNoCase(word, "DEFERRABLE") ? "\"DEFERRABLE\"" : nullptr;
    case 11:
        return EqualsNoCase(word, "TRANSACTION") ? "\"TRANSACTION\"" : nullptr;
    case 13:
        return EqualsNoCase(word, "AUTOINCREMENT") ? "\"AUTOINCREMENT\"" : nullptr;
    default:
        return nullptr;
    }
}

// UPDATE t alias SET ..., DELETE [FROM] t alias ...: the alias is the
// dialect's to rewrite, as is DELETE without FROM. (A dotted name has been
// noted already.)
void NoteAlias(LexedStatement* result)
{
    const std::string& first = result->firstWord();
    const bool update = first == "UPDATE";
    if (!update && first != "DELETE")
        return;
    const auto word = [result](int i, const char* text) {
        return i < result->headCount && result->head[static_cast<size_t>(i)].kind == SqlToken::Kind::Word
               && result->head[static_cast<size_t>(i)].text == text;
    };
    int after = 2;  // the token after the table's name
    if (!update && !word(1, "FROM"))
        result->needsRewrite = true;
    else if (!update)
        after = 3;
    if (after < result->headCount)
        result->needsRewrite = result->needsRewrite || (update ? !word(after, "SET") : !word(after, "WHERE"));
}

bool IsQueryOrDml(const std::string& word)
{
    return word == "SELECT" || word == "INSERT" || word == "UPDATE" || word == "DELETE" || word == "WITH"
           || word == "MERGE";
}

}  // namespace

const std::string& LexedStatement::firstWord() const
{
    static const std::string none;
    if (headCount == 0 || head[0].kind != SqlToken::Kind::Word)
        return none;
    return head[0].text;
}

namespace {

void Lex(std::string_view sql, LexedStatement* out, bool valueMarkers)
{
    // `out` may hold an earlier statement: its buffers are reused.
    LexedStatement& result = *out;
    result.text.clear();
    result.text.reserve(sql.size() + 8);
    result.sharedText.clear();
    for (int i = 0; i < result.headCount; ++i) {
        result.head[static_cast<size_t>(i)].kind = SqlToken::Kind::Symbol;
        result.head[static_cast<size_t>(i)].text.clear();
    }
    result.headCount = 0;
    result.trailingStatement = false;
    result.needsRewrite = false;
    result.foreignOperator = nullptr;
    size_t literalCount = 0;

    Scanner scanner(sql);
    size_t copied = 0;  // text before this offset is already in the output
    bool sharable = false;
    bool sawSemicolon = false;
    RawToken previous;
    RawToken twoBack;
    RawToken threeBack;
    RawToken beforeDot;  // the word before the last ".", while a word follows it
    size_t ownerBegin = std::string_view::npos;

    auto flushTo = [&](size_t offset) {
        result.text.append(sql.substr(copied, offset - copied));
        if (sharable)
            result.sharedText.append(sql.substr(copied, offset - copied));
        copied = offset;
    };

    for (;;) {
        const RawToken token = scanner.next();
        if (token.kind == RawToken::Kind::End)
            break;
        if (sawSemicolon) {
            result.trailingStatement = true;
            break;
        }
        const std::string_view raw = sql.substr(token.begin, token.end - token.begin);
        if (token.kind == RawToken::Kind::Symbol && raw == ";") {
            flushTo(token.begin);
            copied = token.end;
            sawSemicolon = true;
            continue;
        }

        if (result.headCount < LexedStatement::HeadSize) {
            SqlToken& head = result.head[static_cast<size_t>(result.headCount++)];
            head.kind = ConvertToken(token, raw, &head.text);
            if (result.headCount == 1) {
                result.needsRewrite = result.firstWord() == "SELECT" || result.firstWord() == "WITH";
                sharable = IsSharableKind(result.firstWord());
                if (sharable)
                    result.sharedText.reserve(sql.size());
            }
        }

        // The token becomes a parameter of the shared text: the next literal
        // slot, reused from an earlier statement where there is one.
        const auto nextLiteral = [&]() -> SqlLiteral& {
            flushTo(token.begin);
            result.text.append(raw);
            result.sharedText.push_back('?');
            copied = token.end;
            if (literalCount == result.literals.size())
                result.literals.emplace_back();
            return result.literals[literalCount++];
        };
        switch (token.kind) {
        case RawToken::Kind::Word: {
            const bool afterDot = previous.kind == RawToken::Kind::Symbol
                                  && sql.substr(previous.begin, 1) == ".";
            // Literals of a query may be column positions (ORDER BY 1) or name
            // result columns; only plain DML is shared.
            if (EqualsNoCase(raw, "SELECT") || EqualsNoCase(raw, "WITH"))
                sharable = false;
            const auto replace = [&](size_t from, std::string_view with) {
                flushTo(from);
                result.text.append(with);
                if (sharable)
                    result.sharedText.append(with);
                copied = token.end;
            };
            const bool clock = EqualsNoCase(raw, "SYSDATE") || EqualsNoCase(raw, "SYSTIMESTAMP")
                               || EqualsNoCase(raw, "CURRENT_TIMESTAMP") || EqualsNoCase(raw, "LOCALTIMESTAMP");
            if (!afterDot && clock) {
                size_t p = token.end;
                while (p < sql.size() && IsSpace(static_cast<unsigned char>(sql[p])))
                    ++p;
                if (p >= sql.size() || sql[p] != '(')
                    replace(token.begin, EqualsNoCase(raw, "SYSDATE") ? "(SYSDATE())" : "(SYSTIMESTAMP())");
            } else if (afterDot && (EqualsNoCase(raw, "NEXTVAL") || EqualsNoCase(raw, "CURRVAL"))
                       && (beforeDot.kind == RawToken::Kind::Word || beforeDot.kind == RawToken::Kind::QuotedName)
                       && beforeDot.begin >= copied) {
                // seq.NEXTVAL, "Seq".CURRVAL: the sequence's name as the
                // catalogue keeps it (an unquoted name in capitals).
                std::string name;
                const std::string_view written = sql.substr(beforeDot.begin, beforeDot.end - beforeDot.begin);
                if (beforeDot.kind == RawToken::Kind::Word)
                    AssignUpper(&name, written);
                else
                    AssignUnquoted(&name, written);
                std::string call = EqualsNoCase(raw, "NEXTVAL") ? "KOVA_NEXTVAL('" : "KOVA_CURRVAL('";
                for (const char c : name) {
                    call.push_back(c);
                    if (c == '\'')
                        call.push_back('\'');
                }
                call += "')";
                // A sequence named with its owner: the owner goes too.
                replace(ownerBegin != std::string_view::npos && ownerBegin >= copied ? ownerBegin : beforeDot.begin, call);
                sharable = false;
            } else if (!afterDot && EqualsNoCase(raw, "MINUS")) {
                replace(token.begin, "EXCEPT");
            } else if (!afterDot && (EqualsNoCase(raw, "ROWNUM") || EqualsNoCase(raw, "SUM") || EqualsNoCase(raw, "AVG"))) {
                result.needsRewrite = true;  // SUM and AVG add up numbers only
            } else if (const char* quoted = SqliteOnlyKeyword(raw); quoted && IsQueryOrDml(result.firstWord())) {
                replace(token.begin, quoted);
            } else if (EqualsNoCase(raw, "X") && token.end < sql.size() && sql[token.end] == '\'') {
                sharable = false;  // a blob literal X'..' stays as written
            }
            break;
        }
        case RawToken::Kind::String:
        case RawToken::Kind::Number:
            // DATE '...', TIMESTAMP '...'
            if (token.kind == RawToken::Kind::String && previous.kind == RawToken::Kind::Word) {
                const std::string_view word = sql.substr(previous.begin, previous.end - previous.begin);
                result.needsRewrite = result.needsRewrite || EqualsNoCase(word, "DATE") || EqualsNoCase(word, "TIMESTAMP");
            }
            // An unterminated literal is left for the database to refuse.
            if (token.unterminated)
                sharable = false;
            if (sharable) {
                SqlLiteral& literal = nextLiteral();
                if (token.kind == RawToken::Kind::String) {
                    literal.kind = SqlLiteral::Kind::Text;
                    AssignUnquoted(&literal.text, raw);
                } else {
                    const bool real = raw.find_first_of(".eE") != std::string_view::npos;
                    literal.kind = real ? SqlLiteral::Kind::Real : SqlLiteral::Kind::Integer;
                    literal.text.assign(raw);
                }
            }
            break;
        case RawToken::Kind::Parameter:
            if (valueMarkers && raw == "?" && sharable) {
                SqlLiteral& marker = nextLiteral();
                marker.kind = SqlLiteral::Kind::Value;
                marker.text.clear();
                marker.at = token.begin;
                break;
            }
            sharable = false;
            break;
        case RawToken::Kind::HexNumber:
            sharable = false;
            break;
        case RawToken::Kind::Symbol:
            NoteSymbol(sql, token, previous, &result);
            break;
        default:
            break;
        }
        // What stands before a dot: a sequence's name, and before that its owner.
        if (token.kind == RawToken::Kind::Symbol && raw == ".") {
            const bool ownerDot = twoBack.kind == RawToken::Kind::Symbol && sql.substr(twoBack.begin, 1) == "."
                                  && (threeBack.kind == RawToken::Kind::Word || threeBack.kind == RawToken::Kind::QuotedName);
            ownerBegin = ownerDot ? threeBack.begin : std::string_view::npos;
            beforeDot = previous;
        } else if (!(token.kind == RawToken::Kind::Word && (previous.kind == RawToken::Kind::Symbol
                                                            && sql.substr(previous.begin, 1) == "."))) {
            beforeDot = RawToken();
        }
        threeBack = twoBack;
        twoBack = previous;
        previous = token;
    }
    if (!sawSemicolon)
        flushTo(sql.size());
    if (!result.needsRewrite)
        NoteAlias(&result);

    if (!sharable || literalCount == 0) {
        result.sharedText.clear();
        result.literals.clear();
    } else {
        result.literals.resize(literalCount);
    }
}

}  // namespace

void LexStatement(std::string_view sql, LexedStatement* out)
{
    Lex(sql, out, false);
}

void LexShapeStatement(std::string_view utf8, LexedStatement* out)
{
    Lex(utf8, out, true);
}

LexedStatement LexStatement(std::string_view sql)
{
    LexedStatement result;
    LexStatement(sql, &result);
    return result;
}

void LexOneStatement(std::string_view utf8, LexedStatement* out)
{
    LexStatement(utf8, out);
    if (out->trailingStatement)
        throw EngineError(QStringLiteral("ORA-00911: invalid character (one statement at a time)"));
    if (out->empty())
        throw EngineError(QStringLiteral("ORA-00900: invalid SQL statement"));
    if (out->foreignOperator && IsQueryOrDml(out->firstWord()))
        throw EngineError(QString::fromLatin1(out->foreignOperator));
}

LexedStatement LexOneStatement(const QByteArray& utf8)
{
    LexedStatement lexed;
    LexOneStatement(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), &lexed);
    return lexed;
}

std::string ViewQueryText(std::string_view createView)
{
    Scanner scanner(createView);
    bool sawView = false;
    int depth = 0;
    for (;;) {
        const RawToken token = scanner.next();
        if (token.kind == RawToken::Kind::End)
            return {};
        const std::string_view raw = createView.substr(token.begin, token.end - token.begin);
        if (token.kind == RawToken::Kind::Symbol) {
            if (raw == "(")
                ++depth;
            else if (raw == ")")
                --depth;
            continue;
        }
        if (token.kind != RawToken::Kind::Word)
            continue;
        const std::string word = Upper(raw);
        if (!sawView) {
            sawView = word == "VIEW";
        } else if (depth == 0 && word == "AS") {
            size_t begin = token.end;
            while (begin < createView.size() && IsSpace(static_cast<unsigned char>(createView[begin])))
                ++begin;
            return std::string(createView.substr(begin));
        }
    }
}

std::vector<SqlToken> ExpressionTokens(std::string_view expression)
{
    std::vector<SqlToken> tokens;
    Scanner scanner(expression, true);
    for (;;) {
        const RawToken token = scanner.next();
        if (token.kind == RawToken::Kind::End)
            return tokens;
        if (token.unterminated && (token.kind == RawToken::Kind::String || token.kind == RawToken::Kind::QuotedName)) {
            // A quote the text never closes: no token can be trusted.
            tokens.clear();
            return tokens;
        }
        const std::string_view raw = expression.substr(token.begin, token.end - token.begin);
        SqlToken& out = tokens.emplace_back();
        out.kind = ConvertToken(token, raw, &out.text);
        if (token.kind == RawToken::Kind::HexNumber)
            out.kind = SqlToken::Kind::Symbol;  // no number of an expression
    }
}

std::vector<CheckClause> CheckClauses(std::string_view createTable)
{
    std::vector<CheckClause> checks;
    Scanner scanner(createTable);
    int depth = 0;
    std::string name;       // the name of the constraint being declared
    bool named = false;     // the last token was that name
    bool expectName = false;
    for (;;) {
        const RawToken token = scanner.next();
        if (token.kind == RawToken::Kind::End)
            return checks;
        const std::string_view raw = createTable.substr(token.begin, token.end - token.begin);
        const bool wasNamed = named;
        named = false;
        if (token.kind == RawToken::Kind::Symbol) {
            if (raw == "(")
                ++depth;
            else if (raw == ")")
                --depth;
            expectName = false;
            continue;
        }
        if (depth != 1)
            continue;
        if (expectName) {
            // CONSTRAINT name: kept as Oracle keeps it, an unquoted name in capitals.
            if (token.kind == RawToken::Kind::Word)
                AssignUpper(&name, raw);
            else
                AssignUnquoted(&name, raw);
            expectName = false;
            named = true;
            continue;
        }
        if (token.kind != RawToken::Kind::Word)
            continue;
        if (EqualsNoCase(raw, "CONSTRAINT")) {
            expectName = true;
            continue;
        }
        if (!EqualsNoCase(raw, "CHECK"))
            continue;
        const RawToken open = scanner.next();
        if (open.kind != RawToken::Kind::Symbol || createTable.substr(open.begin, 1) != "(")
            return checks;
        // The condition: everything up to the parenthesis that closes this one.
        int inner = 1;
        RawToken close;
        for (close = scanner.next(); close.kind != RawToken::Kind::End; close = scanner.next()) {
            const std::string_view symbol = createTable.substr(close.begin, close.end - close.begin);
            if (close.kind == RawToken::Kind::Symbol && symbol == "(")
                ++inner;
            else if (close.kind == RawToken::Kind::Symbol && symbol == ")" && --inner == 0)
                break;
        }
        if (close.kind == RawToken::Kind::End)
            return checks;
        size_t begin = open.end;
        size_t end = close.begin;
        while (begin < end && IsSpace(static_cast<unsigned char>(createTable[begin])))
            ++begin;
        while (end > begin && IsSpace(static_cast<unsigned char>(createTable[end - 1])))
            --end;
        checks.push_back({wasNamed ? name : std::string(), std::string(createTable.substr(begin, end - begin))});
    }
}

std::vector<PlacedToken> PlaceTokens(std::string_view sql)
{
    std::vector<PlacedToken> tokens;
    Scanner scanner(sql);
    for (;;) {
        const RawToken token = scanner.next();
        if (token.kind == RawToken::Kind::End)
            return tokens;
        const std::string_view raw = sql.substr(token.begin, token.end - token.begin);
        PlacedToken& out = tokens.emplace_back();
        out.begin = token.begin;
        out.end = token.end;
        out.unterminated = token.unterminated;
        out.kind = ConvertToken(token, raw, &out.text);
    }
}
