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

// SQL text after the "@": at most 999 bytes of its code page 932 form. Short
// texts cannot reach the limit (a character takes at most two bytes), so they
// are appended as they are, without a round trip through the byte form.
void AppendRawSqlText(QString& sql, const QString& entry)
{
    constexpr int MaxBytes = 999;
    if (entry.size() - 1 <= MaxBytes / 2 || ToCp932(entry).size() - 1 <= MaxBytes)
        sql += QStringView(entry).mid(1).trimmed();
    else
        sql += MidBytes(entry, 2, MaxBytes).trimmed();
}

// One entry of RowValues as a value of the statement.
void AppendEntry(StatementShape& shape, const QString& entry, QString& raw)
{
    if (const std::optional<QString> text = generate::LiteralEntry(entry)) {
        // A made value written as a literal is data of any length.
        shape.appendText(QLatin1Char(' '));
        shape.appendTextValue(*text);
    } else if (entry.startsWith(QLatin1Char('@'))) {
        shape.appendText(QLatin1Char(' '));
        raw.clear();
        AppendRawSqlText(raw, entry);
        shape.appendSql(raw);
    } else if (!entry.isEmpty()) {
        shape.appendTextValue(entry);
    } else {
        shape.appendNull(QStringLiteral("Null"));
    }
}

}  // namespace

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
    count = std::min(count, RowValueCapacity - 1);
    shape.clear();
    shape.appendText(QStringLiteral("Insert into "));
    shape.appendText(ServerSql(table));
    if (!columns.isEmpty())
        shape.appendText(QStringLiteral(" (") + columns.names + QLatin1Char(')'));
    shape.appendText(QStringLiteral(" Values( "));
    QString raw;
    bool first = true;
    for (int i = 1; i <= count; ++i) {
        if (columns.leaves(i))
            continue;
        if (!first)
            shape.appendText(QStringLiteral(" ,"));
        first = false;
        QString& entry = RowValues[std::size_t(i)];
        if (entry.trimmed() == QLatin1String("@"))
            entry = QStringLiteral("@0");
        AppendEntry(shape, entry, raw);
    }
    shape.appendText(QStringLiteral(" ) "));
}

void UpdateShape(const QString& table, const std::vector<std::pair<QString, QString>>& sets,
                 const std::vector<std::pair<QString, QString>>& where, StatementShape& shape)
{
    shape.clear();
    shape.appendText(QStringLiteral("Update "));
    shape.appendText(ServerSql(table));
    QString raw;
    const auto list = [&](const std::vector<std::pair<QString, QString>>& pairs, const QString& between) {
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            if (i > 0)
                shape.appendText(between);
            shape.appendText(u' ' + ServerSql(table, pairs[i].first) + QStringLiteral(" ="));
            // A NULL entry compares as IS NULL in no row: keys are never NULL.
            AppendEntry(shape, pairs[i].second.trimmed() == QLatin1String("@") ? QStringLiteral("@0") : pairs[i].second,
                        raw);
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
