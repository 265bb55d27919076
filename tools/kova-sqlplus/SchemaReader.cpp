#include "SchemaReader.h"

#include "SchemaDdl.h"

#include "engine/SqlLexer.h"
#include "generate/InsertRow.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"

#include <QHash>
#include <QRegularExpression>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using Kind = SqlToken::Kind;

bool IsWord(const std::vector<SqlToken>& t, std::size_t i, const char* word)
{
    return i < t.size() && t[i].kind == Kind::Word && t[i].text == word;
}

bool IsSymbol(const std::vector<SqlToken>& t, std::size_t i, const char* symbol)
{
    return i < t.size() && t[i].kind == Kind::Symbol && t[i].text == symbol;
}

SqlToken Word(const char* text)
{
    return {Kind::Word, text};
}

// The tokens without PostgreSQL's casts: "::" and the type after it, with
// its schema, its words (character varying, timestamp without time zone),
// its length and its brackets.
std::vector<SqlToken> WithoutCasts(const std::vector<SqlToken>& in)
{
    std::vector<SqlToken> out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (!IsSymbol(in, i, "::")) {
            out.push_back(in[i]);
            continue;
        }
        ++i;  // the type's name
        if (IsSymbol(in, i + 1, ".") && i + 2 < in.size())
            i += 2;
        while (IsWord(in, i + 1, "VARYING") || IsWord(in, i + 1, "PRECISION") || IsWord(in, i + 1, "WITHOUT")
               || IsWord(in, i + 1, "WITH") || IsWord(in, i + 1, "TIME") || IsWord(in, i + 1, "ZONE"))
            ++i;
        if (IsSymbol(in, i + 1, "(")) {
            while (i + 1 < in.size() && !IsSymbol(in, i + 1, ")"))
                ++i;
            ++i;
        }
        while (IsSymbol(in, i + 1, "[") && IsSymbol(in, i + 2, "]"))
            i += 2;
    }
    return out;
}

// "= ANY (ARRAY[...])" at `i` (the "=" or "<>"), its parentheses counted:
// the position after it, and the values' tokens; 0 when it is not one.
std::size_t ArrayList(const std::vector<SqlToken>& t, std::size_t i, std::vector<SqlToken>* values)
{
    const bool in = IsSymbol(t, i, "=") && IsWord(t, i + 1, "ANY");
    if (!in && !(IsSymbol(t, i, "<>") && IsWord(t, i + 1, "ALL")))
        return 0;
    std::size_t at = i + 2;
    int open = 0;
    while (IsSymbol(t, at, "(")) {
        ++open;
        ++at;
    }
    if (open == 0 || !IsWord(t, at, "ARRAY") || !IsSymbol(t, at + 1, "["))
        return 0;
    at += 2;
    int depth = 0;
    for (; at < t.size() && (depth > 0 || !IsSymbol(t, at, "]")); ++at) {
        depth += IsSymbol(t, at, "(") ? 1 : IsSymbol(t, at, ")") ? -1 : 0;
        values->push_back(t[at]);
    }
    ++at;
    for (; open > 0; --open, ++at)
        if (!IsSymbol(t, at, ")"))
            return 0;
    return at;
}

std::vector<SqlToken> InOracleWords(const std::vector<SqlToken>& t)
{
    std::vector<SqlToken> out;
    for (std::size_t i = 0; i < t.size(); ++i) {
        std::vector<SqlToken> values;
        if (const std::size_t after = ArrayList(t, i, &values)) {
            if (t[i].text == "<>")
                out.push_back(Word("NOT"));
            out.push_back(Word("IN"));
            out.push_back({Kind::Symbol, "("});
            out.insert(out.end(), values.begin(), values.end());
            out.push_back({Kind::Symbol, ")"});
            i = after - 1;
        } else if (IsSymbol(t, i, "!") && IsSymbol(t, i + 1, "~") && IsSymbol(t, i + 2, "~")) {
            out.push_back(Word("NOT"));
            out.push_back(Word("LIKE"));
            i += 2;
        } else if (IsSymbol(t, i, "~") && IsSymbol(t, i + 1, "~")) {
            out.push_back(Word("LIKE"));
            ++i;
        } else if (IsWord(t, i, "SYSDATE") && IsSymbol(t, i + 1, "(") && IsSymbol(t, i + 2, ")")) {
            out.push_back(t[i]);
            i += 2;
        } else {
            out.push_back(t[i]);
        }
    }
    return out;
}

QString TokenText(const SqlToken& token)
{
    const QString text = QString::fromStdString(token.text);
    if (token.kind == Kind::QuotedName)
        return SchemaDdl::Quote(text);
    if (token.kind == Kind::String)
        return basKovaData::SqlQuoted(text);
    return text;
}

QString Joined(const std::vector<SqlToken>& tokens)
{
    static const QStringList Spaced = {u"AND"_s, u"OR"_s, u"NOT"_s, u"IN"_s, u"AS"_s, u"ON"_s, u"WHERE"_s,
                                       u"SELECT"_s, u"FROM"_s, u"JOIN"_s, u"EXISTS"_s, u"THEN"_s, u"ELSE"_s,
                                       u"WHEN"_s, u"LIKE"_s, u"UNION"_s, u"ALL"_s, u"BY"_s, u"HAVING"_s};
    QString out;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const SqlToken& token = tokens[i];
        if (i > 0) {
            const SqlToken& before = tokens[i - 1];
            const bool tight = (token.kind == Kind::Symbol
                                && (token.text == "," || token.text == ")" || token.text == "." || token.text == "]"))
                               || (before.kind == Kind::Symbol
                                   && (before.text == "(" || before.text == "." || before.text == "["))
                               || (token.kind == Kind::Symbol && token.text == "(" && before.kind == Kind::Word
                                   && !Spaced.contains(QString::fromStdString(before.text)));
            if (!tight)
                out += u' ';
        }
        out += TokenText(token);
    }
    return out;
}

// Runs `sql` on the server and hands each row to `row`; an error names `view`.
void EachRow(OraDatabase& server, const char* view, const QString& sql, const std::function<void(OraDynaset&)>& row)
{
    try {
        const auto rows = server.DBCreateDynaset(sql);
        for (; !rows->IsEOF(); rows->MoveNext())
            row(*rows);
    } catch (const OraError& error) {
        throw OraError(u"reading %1: %2"_s.arg(QLatin1String(view), error.message()), error.number());
    }
}

std::optional<int> Number(const QVariant& value)
{
    if (value.isNull())
        return std::nullopt;
    return int(value.toDouble());
}

QString Text(const OraDynaset& row, int column)
{
    return row.Value(column).toString();
}

}  // namespace

SchemaReader::SchemaReader(OraDatabase& server, bool postgres) : m_server(server), m_postgres(postgres) {}

QString SchemaReader::OracleText(const QString& postgresText)
{
    const std::vector<SqlToken> tokens = ExpressionTokens(postgresText.toStdString());
    if (tokens.empty())
        return postgresText.trimmed();
    return Joined(InOracleWords(WithoutCasts(tokens)));
}

QString SchemaReader::serverText(const QString& text) const
{
    return m_postgres ? OracleText(text) : text.trimmed();
}

SchemaDictionary SchemaReader::read()
{
    SchemaDictionary schema;
    // Tables of the user's own: no nested tables, overflow segments or tables
    // in the recycle bin.
    EachRow(m_server, "USER_TABLES",
            u"SELECT TABLE_NAME FROM USER_TABLES WHERE NESTED = 'NO' AND SECONDARY = 'N'"
            " AND (IOT_TYPE IS NULL OR IOT_TYPE = 'IOT') AND TABLE_NAME NOT LIKE 'BIN$%' ORDER BY TABLE_NAME"_s,
            [&](OraDynaset& row) { schema.tables.append({Text(row, 0), {}}); });
    readColumns(schema);
    readConstraints(schema);
    readOthers(schema);
    return schema;
}

void SchemaReader::readColumns(SchemaDictionary& schema)
{
    QHash<QString, qsizetype> index;
    for (qsizetype i = 0; i < schema.tables.size(); ++i)
        index.insert(schema.tables[i].name, i);
    EachRow(m_server, "USER_TAB_COLUMNS",
            u"SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, NULLABLE,"
            " DATA_DEFAULT, CHAR_LENGTH, CHAR_USED FROM USER_TAB_COLUMNS ORDER BY TABLE_NAME, COLUMN_ID"_s,
            [&](OraDynaset& row) {
                const auto found = index.constFind(Text(row, 0));
                if (found == index.constEnd())
                    return;  // a view's column
                SchemaDictionary::Column column;
                column.name = Text(row, 1);
                column.dataType = Text(row, 2);
                column.dataLength = Number(row.Value(3));
                column.precision = Number(row.Value(4));
                column.scale = Number(row.Value(5));
                column.nullable = Text(row, 6) != u"N"_s;
                column.defaultText = serverText(Text(row, 7));
                column.charLength = Number(row.Value(8));
                if (column.charLength == 0)
                    column.charLength.reset();
                column.charUsed = Text(row, 9);
                schema.tables[*found].columns.append(column);
            });
}

void SchemaReader::readConstraints(SchemaDictionary& schema)
{
    QHash<QString, QStringList> columns;  // by table "." constraint
    EachRow(m_server, "USER_CONS_COLUMNS",
            u"SELECT TABLE_NAME, CONSTRAINT_NAME, COLUMN_NAME FROM USER_CONS_COLUMNS"
            " ORDER BY TABLE_NAME, CONSTRAINT_NAME, POSITION, COLUMN_NAME"_s,
            [&](OraDynaset& row) { columns[Text(row, 0) + u'.' + Text(row, 1)].append(Text(row, 2)); });
    QList<SchemaDictionary::Constraint> all;
    EachRow(m_server, "USER_CONSTRAINTS",
            u"SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE, TABLE_NAME, SEARCH_CONDITION, R_CONSTRAINT_NAME, DELETE_RULE"
            " FROM USER_CONSTRAINTS WHERE CONSTRAINT_TYPE IN ('P', 'U', 'R', 'C')"
            " ORDER BY TABLE_NAME, CONSTRAINT_NAME"_s,
            [&](OraDynaset& row) {
                SchemaDictionary::Constraint c;
                c.name = Text(row, 0);
                c.type = Text(row, 1).isEmpty() ? QChar() : Text(row, 1).front();
                c.table = Text(row, 2);
                c.columns = columns.value(c.table + u'.' + c.name);
                c.condition = c.type == u'C' ? serverText(Text(row, 3)) : QString();
                c.refConstraint = Text(row, 4);
                c.deleteRule = Text(row, 5);
                all.append(c);
            });
    static const QRegularExpression notNull(u"^\\s*\"?([^\"]+)\"?\\s+IS\\s+NOT\\s+NULL\\s*$"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    for (SchemaDictionary::Constraint& c : all) {
        const SchemaDictionary::Table* table = schema.table(c.table);
        if (!table)
            continue;  // a view's constraint
        if (c.type == u'C') {
            // Oracle lists NOT NULL as a check as well; the column says it already.
            const QRegularExpressionMatch m = notNull.match(c.condition);
            if (m.hasMatch() && c.columns == QStringList{m.captured(1)}
                && std::any_of(table->columns.begin(), table->columns.end(),
                               [&](const auto& col) { return col.name == m.captured(1) && !col.nullable; }))
                continue;
        }
        if (c.type == u'R') {
            for (const auto& key : all) {
                if (key.name == c.refConstraint && (key.type == u'P' || key.type == u'U')) {
                    c.refTable = key.table;
                    c.refColumns = key.columns;
                    break;
                }
            }
        }
        schema.constraints.append(c);
    }
}

void SchemaReader::readOthers(SchemaDictionary& schema)
{
    EachRow(m_server, "USER_SEQUENCES",
            u"SELECT SEQUENCE_NAME, TO_CHAR(MIN_VALUE), TO_CHAR(MAX_VALUE), TO_CHAR(INCREMENT_BY), CYCLE_FLAG,"
            " TO_CHAR(LAST_NUMBER) FROM USER_SEQUENCES ORDER BY SEQUENCE_NAME"_s,
            [&](OraDynaset& row) {
                schema.sequences.append(
                    {Text(row, 0), Text(row, 1), Text(row, 2), Text(row, 3), Text(row, 5), Text(row, 4) == u"Y"_s});
            });
    EachRow(m_server, "USER_VIEWS", u"SELECT VIEW_NAME, TEXT FROM USER_VIEWS ORDER BY VIEW_NAME"_s,
            [&](OraDynaset& row) { schema.views.append({Text(row, 0), serverText(Text(row, 1))}); });
    EachRow(m_server, "USER_TAB_COMMENTS",
            u"SELECT TABLE_NAME, COMMENTS FROM USER_TAB_COMMENTS WHERE COMMENTS IS NOT NULL"
            " ORDER BY TABLE_NAME"_s,
            [&](OraDynaset& row) { schema.comments.append({Text(row, 0), {}, Text(row, 1)}); });
    EachRow(m_server, "USER_COL_COMMENTS",
            u"SELECT TABLE_NAME, COLUMN_NAME, COMMENTS FROM USER_COL_COMMENTS WHERE COMMENTS IS NOT NULL"
            " ORDER BY TABLE_NAME, COLUMN_NAME"_s,
            [&](OraDynaset& row) { schema.comments.append({Text(row, 0), Text(row, 1), Text(row, 2)}); });
}
