#pragma once
// A small lexer over one SQL text (UTF-8), enough to
//  - refuse a second statement after ";",
//  - rewrite Oracle words the embedded engine spells differently
//    (SYSDATE -> (SYSDATE()), SYSTIMESTAMP and CURRENT_TIMESTAMP ->
//    (SYSTIMESTAMP()), MINUS -> EXCEPT, seq.NEXTVAL -> KOVA_NEXTVAL('SEQ'),
//    names SQLite keeps as keywords quoted: NOTHING -> "NOTHING"),
//  - note what the Oracle dialect rewrites further and the operators of
//    SQLite's that Oracle's SQL lacks,
//  - share one compiled statement between DML texts that differ only in their
//    literals: every string and number literal becomes "?" and its value is
//    kept for binding, as Oracle's cursor sharing does.
#include <QByteArray>

#include <array>
#include <string>
#include <string_view>
#include <vector>

struct SqlLiteral {
    // Value: a "?" of a statement shape, where one of its values goes.
    enum class Kind { Text, Integer, Real, Value };
    Kind kind = Kind::Text;
    std::string text;  // the unescaped string, or the number as written
    std::size_t at = 0;  // Value: the byte offset of its "?"
};

struct SqlToken {
    enum class Kind { Word, QuotedName, String, Number, Symbol };
    Kind kind = Kind::Symbol;
    std::string text;  // words upper-cased; quoted names and strings unescaped
};

struct LexedStatement {
    // The statement as the engine runs it: Oracle words rewritten, a trailing
    // ";" removed.
    std::string text;
    // The same statement with its literals replaced by "?" (empty when the
    // statement cannot be shared), and the literals in order.
    std::string sharedText;
    std::vector<SqlLiteral> literals;
    // The first few tokens, for recognising the statement kind.
    static constexpr int HeadSize = 12;
    std::array<SqlToken, HeadSize> head;
    int headCount = 0;
    // More text followed the first statement's ";".
    bool trailingStatement = false;
    // The statement may hold what the dialect rewrites for SQLite (see
    // OracleDialect::RewriteStatement): anything but an INSERT, or an INSERT
    // with a dotted name, ROWNUM or arithmetic.
    bool needsRewrite = false;
    // The error line for an operator of SQLite's that Oracle's SQL lacks
    // (==, >>, <<, ~, &, %, ! alone, a single |); null when there is none.
    const char* foreignOperator = nullptr;
    // Upper-cased first word ("INSERT", "SELECT", ...), empty when none.
    const std::string& firstWord() const;
    bool empty() const { return headCount == 0; }
};

LexedStatement LexStatement(std::string_view sql);
// The same into `out`, reusing the buffers it holds from an earlier statement.
void LexStatement(std::string_view sql, LexedStatement* out);

// The lexed form of a text that must hold exactly one statement: throws
// EngineError when it holds none or more than one.
LexedStatement LexOneStatement(const QByteArray& utf8);
// The same into `out`, reusing its buffers.
void LexOneStatement(std::string_view utf8, LexedStatement* out);

// The lexed form of a statement shape's text: each "?" stands for one of its
// values and is kept as a parameter (a literal of kind Value) in the shared
// form, beside the text's own literals.
void LexShapeStatement(std::string_view utf8, LexedStatement* out);

// The body of a CREATE VIEW statement: the text after "AS", as written.
std::string ViewQueryText(std::string_view createView);

// The tokens of an expression as Oracle or PostgreSQL writes it (a CHECK
// condition, also as PostgreSQL's dictionary gives it back): words
// upper-cased, quoted names and strings unquoted; "[" and "]" are symbols,
// and so is each operator of two characters (<=, >=, <>, !=, ^=, ||, ::).
// Empty when a quote is never closed.
std::vector<SqlToken> ExpressionTokens(std::string_view expression);

// A token with its place in the text: [begin, end) in bytes.
struct PlacedToken {
    SqlToken::Kind kind = SqlToken::Kind::Symbol;
    std::string text;  // as in SqlToken
    std::size_t begin = 0;
    std::size_t end = 0;
    bool unterminated = false;  // a quote the text never closes
};

// Every token of a statement text, blanks and comments skipped; "[" is a
// quote as in a statement.
std::vector<PlacedToken> PlaceTokens(std::string_view sql);

struct CheckClause {
    std::string name;       // as Oracle keeps it (an unquoted name in capitals); empty when unnamed
    std::string condition;  // the text inside CHECK ( ... ) as written, without surrounding blanks
};

// The CHECK constraints of a CREATE TABLE statement, of its columns and of
// the table, in the order they are written.
std::vector<CheckClause> CheckClauses(std::string_view createTable);
