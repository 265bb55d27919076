#pragma once
// The scanner under the lexer: the tokens of one SQL text (UTF-8) with their
// places, for SqlLexer.cpp and SqlTokens.cpp only.
#include "engine/SqlLexer.h"

#include <string>
#include <string_view>

namespace sqlscan {


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

inline void AssignUpper(std::string* out, std::string_view text)
{
    out->resize(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        (*out)[i] = AsciiUpper(text[i]);
}

inline std::string Upper(std::string_view text)
{
    std::string result;
    AssignUpper(&result, text);
    return result;
}

// `word` is upper case.
inline bool EqualsNoCase(std::string_view text, std::string_view word)
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
    // An alternative quote q'[...]' (also nq'...'): the bytes before its
    // value ("q'[") and after it ("]'"); 0 for any other token.
    unsigned char valueBegin = 0;
    unsigned char valueTrim = 0;
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
        } else if (((c | 0x20) == 'q' || (c | 0x20) == 'n') && alternativeQuote(&token)) {
            token.kind = RawToken::Kind::String;
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

    // q'<delimiter>...<closing delimiter>' at the position, also after N:
    // the value is everything between the delimiters, quotes included. The
    // closing delimiter of [, {, ( and < is ], }, ) and >; of any other
    // character (not a blank) the same character.
    bool alternativeQuote(RawToken* token)
    {
        size_t p = m_pos;
        if ((at(p) | 0x20) == 'n')
            ++p;
        if ((at(p) | 0x20) != 'q' || at(p + 1) != '\'')
            return false;
        const size_t open = p + 2;
        const unsigned char first = at(open);
        if (open >= m_text.size() || IsSpace(first))
            return false;
        // A delimiter outside ASCII is one whole UTF-8 character.
        const size_t width =
            std::min<size_t>(first < 0xC0 ? 1 : first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : 2, m_text.size() - open);
        std::string_view close = m_text.substr(open, width);
        static constexpr std::string_view Pairs = "[]{}()<>";
        if (const size_t pair = width == 1 ? Pairs.find(static_cast<char>(first)) : Pairs.npos;
            pair != Pairs.npos && pair % 2 == 0)
            close = Pairs.substr(pair + 1, 1);
        token->valueBegin = static_cast<unsigned char>(open + width - m_pos);
        token->valueTrim = static_cast<unsigned char>(width + 1);
        for (size_t i = open + width; i + width < m_text.size(); ++i) {
            if (m_text.compare(i, width, close) == 0 && m_text[i + width] == '\'') {
                m_pos = i + width + 1;
                return true;
            }
        }
        m_pos = m_text.size();
        token->unterminated = true;
        return true;
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

inline void AssignUnquoted(std::string* out, std::string_view quoted)
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

// The value of a string literal, an alternative quote's too.
inline void AssignString(std::string* out, const RawToken& token, std::string_view raw)
{
    if (token.valueBegin == 0) {
        AssignUnquoted(out, raw);
        return;
    }
    const size_t end = token.unterminated ? raw.size() : raw.size() - token.valueTrim;
    out->assign(raw.substr(token.valueBegin, end > token.valueBegin ? end - token.valueBegin : 0));
}

// A literal as written, an alternative quote as the plain literal of the
// same value.
inline void AppendLiteral(std::string* out, const RawToken& token, std::string_view raw)
{
    if (token.valueBegin == 0) {
        out->append(raw);
        return;
    }
    std::string value;
    AssignString(&value, token, raw);
    out->push_back('\'');
    for (const char c : value) {
        out->push_back(c);
        if (c == '\'')
            out->push_back('\'');
    }
    out->push_back('\'');
}

// A raw token's kind and text as the lexer's callers see them: words in
// capitals, quoted names and strings unquoted.
inline SqlToken::Kind ConvertToken(const RawToken& token, std::string_view raw, std::string* text)
{
    switch (token.kind) {
    case RawToken::Kind::Word:
        AssignUpper(text, raw);
        return SqlToken::Kind::Word;
    case RawToken::Kind::QuotedName:
        AssignUnquoted(text, raw);
        return SqlToken::Kind::QuotedName;
    case RawToken::Kind::String:
        AssignString(text, token, raw);
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

}  // namespace sqlscan
