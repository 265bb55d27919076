#include "SelectHeadings.h"

#include "engine/SqlLexer.h"

#include <string_view>

namespace SelectHeadings {

namespace {

struct Item {
    QString heading;  // as Oracle heads the item without an alias
    QString last;     // its last token, as the database would name it
};

bool IsSymbol(const PlacedToken& token, const char* symbol)
{
    return token.kind == SqlToken::Kind::Symbol && token.text == symbol;
}

bool IsWord(const PlacedToken& token, const char* word)
{
    return token.kind == SqlToken::Kind::Word && token.text == word;
}

bool IsName(const PlacedToken& token)
{
    return token.kind == SqlToken::Kind::Word || token.kind == SqlToken::Kind::QuotedName;
}

// The item of tokens [from, to): empty heading when it cannot be told.
Item ReadItem(std::string_view sql, const std::vector<PlacedToken>& tokens, size_t from, size_t to)
{
    Item item;
    if (from >= to || IsSymbol(tokens[to - 1], "*"))
        return item;
    const PlacedToken& last = tokens[to - 1];
    item.last = QString::fromStdString(last.text);
    // A name, or names joined by dots: the last one.
    bool dotted = true;
    for (size_t i = from; i < to && dotted; ++i)
        dotted = (i - from) % 2 == 0 ? IsName(tokens[i]) : IsSymbol(tokens[i], ".");
    if (dotted && (to - from) % 2 == 1) {
        item.heading = item.last;
        return item;
    }
    QString written;
    for (size_t i = from; i < to; ++i)
        written += QString::fromUtf8(sql.substr(tokens[i].begin, tokens[i].end - tokens[i].begin));
    written.removeIf([](QChar c) { return c.isSpace(); });
    item.heading = written.toUpper();
    return item;
}

// The items of the query's own select list; none when it cannot be read.
QList<Item> Items(std::string_view sql)
{
    const std::vector<PlacedToken> tokens = PlaceTokens(sql);
    size_t i = 0;
    int base = 0;  // parentheses around the whole query
    while (i < tokens.size() && IsSymbol(tokens[i], "(")) {
        ++base;
        ++i;
    }
    int depth = base;
    for (; i < tokens.size() && !(depth == base && IsWord(tokens[i], "SELECT")); ++i) {
        if (tokens[i].unterminated)
            return {};
        depth += IsSymbol(tokens[i], "(") ? 1 : IsSymbol(tokens[i], ")") ? -1 : 0;
    }
    if (++i < tokens.size() && (IsWord(tokens[i], "DISTINCT") || IsWord(tokens[i], "UNIQUE") || IsWord(tokens[i], "ALL")))
        ++i;
    QList<Item> items;
    size_t from = i;
    for (; i < tokens.size(); ++i) {
        if (tokens[i].unterminated)
            return {};
        if (IsSymbol(tokens[i], "("))
            ++depth;
        else if (IsSymbol(tokens[i], ")"))
            --depth;
        if (depth != base)
            continue;
        const bool end = IsWord(tokens[i], "FROM");
        if (end || IsSymbol(tokens[i], ",")) {
            items.append(ReadItem(sql, tokens, from, i));
            if (items.last().heading.isEmpty())
                return {};
            if (end)
                return items;
            from = i + 1;
        }
    }
    return {};
}

}  // namespace

QStringList Headings(const QString& query, const QStringList& names)
{
    const QByteArray utf8 = query.toUtf8();
    const QList<Item> items = Items(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
    if (items.size() != names.size())
        return names;
    QStringList headings = names;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (names[i].compare(items[i].last, Qt::CaseInsensitive) != 0)
            headings[i] = items[i].heading;
    }
    return headings;
}

}  // namespace SelectHeadings
