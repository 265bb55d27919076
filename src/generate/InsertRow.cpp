#include "generate/InsertRow.h"

#include "session/OraAccess.h"
#include "shared/Cp932.h"
#include "shared/basKovaData.h"

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

// The text between single quotes, each quote inside doubled.
void AppendQuoted(QString& sql, const QString& text)
{
    sql += QLatin1Char('\'');
    if (text.contains(QLatin1Char('\''))) {
        QString doubled = text;
        sql += doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    } else {
        sql += text;
    }
    sql += QLatin1Char('\'');
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

QString InsertText(const QString& table, int count)
{
    count = std::min(count, RowValueCapacity - 1);
    QString sql;
    sql.reserve(table.size() + 24 + count * 24);
    sql += QStringLiteral("Insert into ");
    sql += table;
    sql += QStringLiteral(" Values( ");
    for (int i = 1; i <= count; ++i) {
        if (i > 1)
            sql += QStringLiteral(" ,");
        QString& entry = RowValues[std::size_t(i)];
        if (entry.trimmed() == QLatin1String("@"))
            entry = QStringLiteral("@0");
        if (entry.startsWith(QLatin1Char('@'))) {
            sql += QLatin1Char(' ');
            AppendRawSqlText(sql, entry);
        } else if (!entry.isEmpty()) {
            AppendQuoted(sql, entry);
        } else {
            sql += QStringLiteral("Null");
        }
    }
    sql += QStringLiteral(" ) ");
    return sql;
}

bool InsertRow(const QString& table, int count)
{
    return ExecuteSql(OraDatabase.get(), InsertText(table, count)) != -1;
}

}  // namespace basKovaData
