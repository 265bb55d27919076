#pragma once
// Questions the dialect's readers ask of a statement's placed tokens: a word,
// a symbol or a name at an index, false past the end.
#include "engine/SqlLexer.h"

#include <string_view>
#include <vector>

namespace PlacedTokens {

using Tokens = std::vector<PlacedToken>;

inline bool IsWord(const Tokens& t, std::size_t i, std::string_view word)
{
    return i < t.size() && t[i].kind == SqlToken::Kind::Word && t[i].text == word;
}

inline bool IsSymbol(const Tokens& t, std::size_t i, std::string_view symbol)
{
    return i < t.size() && t[i].kind == SqlToken::Kind::Symbol && t[i].text == symbol;
}

inline bool IsName(const Tokens& t, std::size_t i)
{
    return i < t.size() && (t[i].kind == SqlToken::Kind::Word || t[i].kind == SqlToken::Kind::QuotedName);
}

}  // namespace PlacedTokens
