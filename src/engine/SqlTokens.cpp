// The tokens of statement texts for the dialect: a view's query, the
// tokens of an expression, CHECK clauses, tokens with their places.
#include "engine/SqlLexer.h"

#include "engine/SqlScanner.h"

using namespace sqlscan;

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
