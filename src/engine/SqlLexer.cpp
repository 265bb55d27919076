#include "engine/SqlLexer.h"

#include "engine/EngineError.h"
#include "engine/SqlScanner.h"

#include <algorithm>

using namespace sqlscan;

namespace {

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

// Returns false when an alternative quote (q'[...]') is never closed: no
// database reads that text.
bool Lex(std::string_view sql, LexedStatement* out, bool valueMarkers)
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
    bool closed = true;

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
            AppendLiteral(&result.text, token, raw);
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
            if (token.unterminated) {
                sharable = false;
                closed = closed && token.valueBegin == 0;
            }
            if (sharable) {
                SqlLiteral& literal = nextLiteral();
                if (token.kind == RawToken::Kind::String) {
                    literal.kind = SqlLiteral::Kind::Text;
                    AssignString(&literal.text, token, raw);
                } else {
                    const bool real = raw.find_first_of(".eE") != std::string_view::npos;
                    literal.kind = real ? SqlLiteral::Kind::Real : SqlLiteral::Kind::Integer;
                    literal.text.assign(raw);
                }
            } else if (token.valueBegin != 0 && !token.unterminated) {
                // The database reads plain literals only.
                flushTo(token.begin);
                AppendLiteral(&result.text, token, raw);
                copied = token.end;
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
    return closed;
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
    if (!Lex(utf8, out, false))
        throw EngineError(QStringLiteral("ORA-01756: quoted string not properly terminated"));
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
