#include "session/SqlLexer.h"

#include "session/OraError.h"

#include <cctype>

namespace {

bool IsWordStart(unsigned char c)
{
    return std::isalpha(c) || c == '_' || c >= 0x80;
}

bool IsWordChar(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c == '$' || c == '#' || c >= 0x80;
}

bool IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

std::string Upper(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
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
    explicit Scanner(std::string_view text) : m_text(text) {}

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
        } else if (c == '[') {
            token.kind = RawToken::Kind::QuotedName;
            token.unterminated = !skipQuoted('[', ']');
        } else if (c == '`') {
            token.kind = RawToken::Kind::QuotedName;
            token.unterminated = !skipQuoted('`', '`');
        } else if (c == '0' && (at(m_pos + 1) == 'x' || at(m_pos + 1) == 'X')
                   && std::isxdigit(at(m_pos + 2))) {
            token.kind = RawToken::Kind::HexNumber;
            m_pos += 2;
            while (std::isxdigit(at(m_pos)))
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
    unsigned char at(size_t i) const
    {
        return i < m_text.size() ? static_cast<unsigned char>(m_text[i]) : 0;
    }

    void skipSpace()
    {
        while (m_pos < m_text.size()) {
            const unsigned char c = at(m_pos);
            if (std::isspace(c)) {
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
    size_t m_pos = 0;
};

std::string Unquote(std::string_view quoted)
{
    if (quoted.size() < 2)
        return {};
    const char close = quoted.back();
    std::string result;
    result.reserve(quoted.size() - 2);
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        result.push_back(quoted[i]);
        if (quoted[i] == close && quoted[i + 1] == close && quoted.front() == close)
            ++i;
    }
    return result;
}

bool IsSharableKind(const std::string& word)
{
    return word == "INSERT" || word == "UPDATE" || word == "DELETE";
}

}  // namespace

const std::string& LexedStatement::firstWord() const
{
    static const std::string none;
    if (headCount == 0 || head[0].kind != SqlToken::Kind::Word)
        return none;
    return head[0].text;
}

LexedStatement LexStatement(std::string_view sql)
{
    LexedStatement result;
    result.text.reserve(sql.size() + 8);
    Scanner scanner(sql);
    size_t copied = 0;  // text before this offset is already in the output
    bool sharable = false;
    bool sawSemicolon = false;
    RawToken previous;

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
            switch (token.kind) {
            case RawToken::Kind::Word:
                head.kind = SqlToken::Kind::Word;
                head.text = Upper(raw);
                break;
            case RawToken::Kind::QuotedName:
                head.kind = SqlToken::Kind::QuotedName;
                head.text = Unquote(raw);
                break;
            case RawToken::Kind::String:
                head.kind = SqlToken::Kind::String;
                head.text = Unquote(raw);
                break;
            case RawToken::Kind::Number:
            case RawToken::Kind::HexNumber:
                head.kind = SqlToken::Kind::Number;
                head.text = std::string(raw);
                break;
            default:
                head.kind = SqlToken::Kind::Symbol;
                head.text = std::string(raw);
                break;
            }
            if (result.headCount == 1) {
                sharable = IsSharableKind(result.firstWord());
                if (sharable)
                    result.sharedText.reserve(sql.size());
            }
        }

        switch (token.kind) {
        case RawToken::Kind::Word: {
            const std::string word = raw.size() <= 8 ? Upper(raw) : std::string();
            const bool afterDot = previous.kind == RawToken::Kind::Symbol
                                  && sql.substr(previous.begin, 1) == ".";
            // Literals of a query may be column positions (ORDER BY 1) or name
            // result columns; only plain DML is shared.
            if (word == "SELECT" || word == "WITH")
                sharable = false;
            if (!afterDot && word == "SYSDATE") {
                size_t p = token.end;
                while (p < sql.size() && std::isspace(static_cast<unsigned char>(sql[p])))
                    ++p;
                if (p >= sql.size() || sql[p] != '(') {
                    flushTo(token.begin);
                    result.text.append("(SYSDATE())");
                    if (sharable)
                        result.sharedText.append("(SYSDATE())");
                    copied = token.end;
                }
            } else if (!afterDot && word == "MINUS") {
                flushTo(token.begin);
                result.text.append("EXCEPT");
                if (sharable)
                    result.sharedText.append("EXCEPT");
                copied = token.end;
            } else if ((word == "X") && token.end < sql.size() && sql[token.end] == '\'') {
                sharable = false;  // a blob literal X'..' stays as written
            }
            break;
        }
        case RawToken::Kind::String:
        case RawToken::Kind::Number:
            // An unterminated literal is left for the database to refuse.
            if (token.unterminated)
                sharable = false;
            if (sharable) {
                flushTo(token.begin);
                result.text.append(raw);
                result.sharedText.push_back('?');
                copied = token.end;
                SqlLiteral literal;
                if (token.kind == RawToken::Kind::String) {
                    literal.kind = SqlLiteral::Kind::Text;
                    literal.text = Unquote(raw);
                } else {
                    const bool real = raw.find_first_of(".eE") != std::string_view::npos;
                    literal.kind = real ? SqlLiteral::Kind::Real : SqlLiteral::Kind::Integer;
                    literal.text = std::string(raw);
                }
                result.literals.push_back(std::move(literal));
            }
            break;
        case RawToken::Kind::HexNumber:
        case RawToken::Kind::Parameter:
            sharable = false;
            break;
        default:
            break;
        }
        previous = token;
    }
    if (!sawSemicolon)
        flushTo(sql.size());

    if (!sharable || result.literals.empty()) {
        result.sharedText.clear();
        result.literals.clear();
    }
    return result;
}

LexedStatement LexOneStatement(const QByteArray& utf8)
{
    LexedStatement lexed = LexStatement(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    if (lexed.trailingStatement)
        throw OraError(QStringLiteral("ORA-00911: invalid character (one statement at a time)"));
    if (lexed.empty())
        throw OraError(QStringLiteral("ORA-00900: invalid SQL statement"));
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
            while (begin < createView.size()
                   && std::isspace(static_cast<unsigned char>(createView[begin])))
                ++begin;
            return std::string(createView.substr(begin));
        }
    }
}
