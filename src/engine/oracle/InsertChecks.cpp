#include "engine/oracle/InsertChecks.h"

#include "engine/oracle/OracleFunctions.h"
#include "engine/SqlLexer.h"

#include <sqlite3.h>

#include <optional>

namespace InsertChecks {
namespace {

// SQLite's own matching of names: capitals and small letters of ASCII alike.
bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && sqlite3_strnicmp(a.data(), b.data(), static_cast<int>(a.size())) == 0;
}

std::vector<std::vector<std::string>> Rows(sqlite3* db, const char* sql, const std::string& name)
{
    std::vector<std::vector<std::string>> rows;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        return rows;
    sqlite3_bind_text(stmt, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::vector<std::string>& row = rows.emplace_back();
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            row.emplace_back(text ? text : "");
        }
    }
    sqlite3_finalize(stmt);
    return rows;
}

class Reader {
public:
    explicit Reader(const std::vector<SqlToken>& tokens) : m_tokens(tokens) {}

    bool Word(const char* word)
    {
        if (m_at < m_tokens.size() && m_tokens[m_at].kind == SqlToken::Kind::Word && m_tokens[m_at].text == word) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool Symbol(const char* symbol)
    {
        if (m_at < m_tokens.size() && m_tokens[m_at].kind == SqlToken::Kind::Symbol && m_tokens[m_at].text == symbol) {
            ++m_at;
            return true;
        }
        return false;
    }
    bool Mark()
    {
        if (Symbol("?")) {
            ++m_marks;
            return true;
        }
        return false;
    }
    std::optional<std::string> Name()
    {
        if (m_at < m_tokens.size()
            && (m_tokens[m_at].kind == SqlToken::Kind::Word || m_tokens[m_at].kind == SqlToken::Kind::QuotedName))
            return m_tokens[m_at++].text;
        return std::nullopt;
    }
    std::size_t marks() const { return m_marks; }
    bool atEnd() const { return m_at == m_tokens.size(); }

private:
    const std::vector<SqlToken>& m_tokens;
    std::size_t m_at = 0;
    std::size_t m_marks = 0;
};

// One item of a VALUES list.
std::optional<Item> ReadItem(Reader& in)
{
    Item item;
    const std::size_t mark = in.marks();
    if (in.Mark()) {
        item.parameter = mark;
        return item;
    }
    if (in.Word("NULL")) {
        item.form = Item::Form::Null;
        return item;
    }
    if (in.Word("TO_DATE") && in.Symbol("(") && in.Mark() && in.Symbol(",") && in.Mark() && in.Symbol(")")) {
        item.form = Item::Form::ToDate;
        item.parameter = mark;
        return item;
    }
    return std::nullopt;
}

// The length of a text as a column of the type counts it.
long long Length(const OracleColumnType& type, std::string_view utf8)
{
    if (!type.charSemantics)
        return Cp932Length(utf8.data(), static_cast<int>(utf8.size()));
    long long characters = 0;
    for (const char c : utf8)
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return characters;
}

// A number bound to a NUMBER column: within its precision and already at its
// scale, so that the triggers neither refuse nor round it.
bool NumberPasses(const OracleColumnType& type, Bound::Kind kind, std::string_view text)
{
    if (type.dataType != "NUMBER")
        return true;
    std::size_t at = 0;
    while (at < text.size() && text[at] == '0')
        ++at;
    int integerDigits = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        ++integerDigits;
    int fractionDigits = 0;
    if (at < text.size() && text[at] == '.') {
        const std::size_t point = at++;
        std::size_t last = point;  // the last digit but trailing zeros
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            if (text[at] != '0')
                last = at;
        }
        fractionDigits = static_cast<int>(last - point);
    }
    if (at != text.size())
        return false;  // an exponent
    // Whole numbers beyond 18 digits are bound as doubles, which the
    // triggers may round.
    if (kind == Bound::Kind::Integer && integerDigits > 18)
        return false;
    if (!type.scale)
        return !type.precision;
    if (*type.scale < 0 || fractionDigits > *type.scale)
        return false;
    return !type.precision || integerDigits <= *type.precision - *type.scale;
}

}  // namespace

Plan Read(sqlite3* db, const std::string& owner, const std::string& sharedText)
{
    Plan plan;
    const std::vector<SqlToken> tokens = ExpressionTokens(sharedText);
    Reader in(tokens);
    if (!in.Word("INSERT") || !in.Word("INTO"))
        return plan;
    std::optional<std::string> table = in.Name();
    if (table && in.Symbol(".")) {
        if (!SameName(*table, owner) && !SameName(*table, "main"))
            return plan;
        table = in.Name();
    }
    if (!table)
        return plan;
    std::vector<std::string> names;
    if (in.Symbol("(")) {
        do {
            const std::optional<std::string> name = in.Name();
            if (!name)
                return plan;
            names.push_back(*name);
        } while (in.Symbol(","));
        if (!in.Symbol(")"))
            return plan;
    }
    if (!in.Word("VALUES") || !in.Symbol("("))
        return plan;
    std::vector<Item> items;
    do {
        std::optional<Item> item = ReadItem(in);
        if (!item)
            return plan;
        items.push_back(*item);
    } while (in.Symbol(","));
    if (!in.Symbol(")") || !in.atEnd())
        return plan;

    const auto tables = Rows(db, "SELECT name FROM main.sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE",
                             *table);
    if (tables.size() != 1)
        return plan;
    const std::string& found = tables[0][0];
    // Triggers of the user's own would not fire either.
    if (!Rows(db, "SELECT 1 FROM main.sqlite_master WHERE type = 'trigger' AND tbl_name = ?1 COLLATE NOCASE "
                  "UNION ALL SELECT 1 FROM temp.sqlite_master WHERE type = 'trigger' AND tbl_name = ?1 COLLATE NOCASE "
                  "AND name NOT LIKE 'kova\\_%' ESCAPE '\\'",
              found)
             .empty())
        return plan;
    const auto columns = Rows(db, "SELECT name, type, \"notnull\", pk FROM pragma_table_info(?1, 'main')", found);
    if (columns.empty() || items.size() != columns.size() || (!names.empty() && names.size() != columns.size()))
        return plan;
    std::vector<bool> named(columns.size(), false);
    for (std::size_t i = 0; i < items.size(); ++i) {
        std::size_t column = i;
        if (!names.empty()) {
            column = columns.size();
            for (std::size_t c = 0; c < columns.size(); ++c) {
                if (SameName(columns[c][0], names[i]))
                    column = c;
            }
            if (column == columns.size() || named[column])
                return plan;
            named[column] = true;
        }
        items[i].type = ParseDeclaredType(columns[column][1]);
        items[i].notNull = columns[column][2] != "0" || columns[column][3] != "0";
    }
    plan.items = std::move(items);
    plan.table = found;
    plan.usable = true;
    return plan;
}

bool Passes(const Item& item, const Bound& value)
{
    using Family = OracleColumnType::Family;
    const OracleColumnType& type = item.type;
    if (value.kind == Bound::Kind::Null)
        return item.form != Item::Form::ToDate && !item.notNull;
    if (item.form == Item::Form::Null)
        return !item.notNull;
    if (item.form == Item::Form::ToDate)
        return type.family == Family::Date && value.kind == Bound::Kind::Text && !value.text.empty();
    if (value.kind == Bound::Kind::Text) {
        if (value.text.empty())
            return false;
        if (type.family == Family::Other)
            return true;
        if (type.family != Family::Character)
            return false;
        const long long length = Length(type, value.text);
        const long long width = type.charLength.value_or(4000);
        return length <= width && (!type.blankPadded || length == width);
    }
    if (type.family == Family::Other)
        return true;
    return type.family == Family::Numeric && NumberPasses(type, value.kind, value.text);
}

}  // namespace InsertChecks
