#include "generate/InsertRow.h"

#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "shared/Cp932.h"
#include "shared/StatementShape.h"
#include "shared/basKovaData.h"

#include <QStringList>

#include <algorithm>

namespace basKovaData {

namespace {

constexpr int MaxSqlBytes = 999;

// The SQL text of an entry that begins with "@": at most 999 bytes of its
// code page 932 form, without blanks around it. Short texts cannot reach the
// limit (a character takes at most two bytes): they are seen where they
// stand, without a round trip through the byte form; `cut` holds a longer
// one.
QStringView RawSqlText(const QString& entry, QString& cut)
{
    if (entry.size() - 1 <= MaxSqlBytes / 2 || ToCp932(entry).size() - 1 <= MaxSqlBytes)
        return QStringView(entry).mid(1).trimmed();
    cut = MidBytes(entry, 2, MaxSqlBytes);
    return QStringView(cut).trimmed();
}

// One entry of RowValues as a value of the statement.
void AppendEntry(StatementShape& shape, const QString& entry)
{
    std::vector<SqlValue> values;
    QString sql;
    const InsertShaper::Piece piece = InsertShaper::PieceOf(entry, values, sql);
    InsertShaper::AppendPiece(shape, piece, values.empty() ? nullptr : values.data(), sql);
}

// Whether an entry is "@" alone, blanks around it aside.
bool LoneAt(QStringView entry)
{
    // Most entries tell by a character at either end that is neither a
    // blank nor "@".
    const auto other = [](QChar c) { return c != u'@' && c.unicode() < 128 && !c.isSpace(); };
    if (!entry.isEmpty() && (other(entry.front()) || other(entry.back())))
        return false;
    return entry.trimmed() == u"@";
}

// An entry of "@" alone is the number 0, and is itself changed to "@0".
QString& RowEntry(int column)
{
    QString& entry = RowValues[std::size_t(column)];
    if (LoneAt(entry))
        entry = QStringLiteral("@0");
    return entry;
}

}  // namespace

InsertShaper::Piece InsertShaper::PieceOf(const QString& entry, std::vector<SqlValue>& values, QString& sql)
{
    if (std::optional<QString> text = generate::LiteralEntry(entry)) {
        // A made value written as a literal is data of any length.
        values.push_back({SqlValue::Type::Text, std::move(*text)});
        return Piece::BlankValue;
    }
    if (entry.startsWith(QLatin1Char('@'))) {
        QString cut;
        const QStringView raw = RawSqlText(entry, cut);
        bool date = false;
        if (std::optional<SqlValue> value = StatementShape::ValueOfSql(raw, &date)) {
            values.push_back(std::move(*value));
            return date ? Piece::BlankDate : Piece::BlankValue;
        }
        sql = raw.toString();
        return Piece::Sql;
    }
    if (!entry.isEmpty())
        values.push_back({SqlValue::Type::Text, entry});
    else
        values.push_back({SqlValue::Type::Null, QStringLiteral("Null")});
    return Piece::Value;
}

void InsertShaper::AppendPiece(StatementShape& shape, Piece piece, SqlValue* value, const QString& sql)
{
    switch (piece) {
    case Piece::Value:
        shape.appendValue(std::move(*value));
        break;
    case Piece::BlankValue:
        shape.appendText(QLatin1Char(' '));
        shape.appendValue(std::move(*value));
        break;
    case Piece::BlankDate:
        shape.appendText(u" TO_DATE(");
        shape.appendValue(std::move(*value));
        shape.appendText(u",'YYYYMMDD HH24MISS')");
        break;
    case Piece::Sql:
        shape.appendText(QLatin1Char(' '));
        shape.appendText(sql);
        break;
    }
}

InsertShaper::InsertShaper(const QString& table, int count, const InsertColumns& columns)
{
    count = std::min(count, RowValueCapacity - 1);
    for (int i = 1; i <= count; ++i)
        if (!columns.leaves(i))
            m_columns.push_back(i);
    m_head = QStringLiteral("Insert into ") + ServerSql(table);
    if (!columns.isEmpty())
        m_head += QStringLiteral(" (") + columns.names + QLatin1Char(')');
    m_head += QStringLiteral(" Values( ");
    m_items.resize(m_columns.size());
}

void InsertShaper::Make(StatementShape& shape)
{
    m_values.clear();
    for (std::size_t k = 0; k < m_columns.size(); ++k) {
        Item& item = m_items[k];
        item.sql.clear();
        item.piece = PieceOf(RowEntry(m_columns[k]), m_values, item.sql);
    }
    if (!m_text.isEmpty() && m_items == m_lastItems) {
        shape.reuseText(m_text, m_markers, m_values);
        return;
    }
    shape.clear();
    shape.appendText(m_head);
    SqlValue* value = m_values.data();
    for (std::size_t k = 0; k < m_items.size(); ++k) {
        if (k > 0)
            shape.appendText(u" ,");
        const Piece piece = m_items[k].piece;
        AppendPiece(shape, piece, piece == Piece::Sql ? nullptr : value++, m_items[k].sql);
    }
    shape.appendText(u" ) ");
    m_text = shape.text();
    m_markers = shape.markers();
    m_lastItems = m_items;
}

QString SqlQuoted(const QString& text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    AppendQuoted(quoted, text);
    return quoted;
}

QString SqlDate(const QString& dateText)
{
    // Built in place: every generated date of a run passes through here.
    QString sql;
    sql.reserve(dateText.size() + 40);
    sql += QStringLiteral("TO_DATE(");
    AppendQuoted(sql, dateText);
    sql += QStringLiteral(",'YYYYMMDD HH24MISS')");
    return sql;
}

InsertColumns ColumnsOfInsert(const TableRules& rules)
{
    InsertColumns columns;
    const int count = rules.count();
    if (std::none_of(rules.columns.begin() + 1, rules.columns.end(), [](const ColumnRule& rule) { return rule.IsIdentity; }))
        return columns;
    columns.leftOut.assign(std::size_t(count) + 1, false);
    QStringList names;
    for (int j = 1; j <= count; ++j) {
        if (rules[j].IsIdentity)
            columns.leftOut[std::size_t(j)] = true;
        else
            names << ServerSql(rules.table, rules[j].ColumnName.trimmed());
    }
    if (names.isEmpty())
        return {};
    columns.names = names.join(QStringLiteral(", "));
    return columns;
}

void InsertShape(const QString& table, int count, StatementShape& shape, const InsertColumns& columns)
{
    InsertShaper(table, count, columns).Make(shape);
}

void UpdateShape(const QString& table, const std::vector<std::pair<QString, QString>>& sets,
                 const std::vector<std::pair<QString, QString>>& where, StatementShape& shape)
{
    shape.clear();
    shape.appendText(QStringLiteral("Update "));
    shape.appendText(ServerSql(table));
    const auto list = [&](const std::vector<std::pair<QString, QString>>& pairs, const QString& between) {
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            if (i > 0)
                shape.appendText(between);
            shape.appendText(u' ' + ServerSql(table, pairs[i].first) + QStringLiteral(" ="));
            // A NULL entry compares as IS NULL in no row: keys are never NULL.
            AppendEntry(shape, LoneAt(pairs[i].second) ? QStringLiteral("@0") : pairs[i].second);
        }
    };
    shape.appendText(QStringLiteral(" Set"));
    list(sets, QStringLiteral(","));
    shape.appendText(QStringLiteral(" Where"));
    list(where, QStringLiteral(" And"));
}

QString InsertText(const QString& table, int count, const InsertColumns& columns)
{
    StatementShape shape;
    InsertShape(table, count, shape, columns);
    return shape.Literal();
}

}  // namespace basKovaData
