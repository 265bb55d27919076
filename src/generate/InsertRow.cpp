#include "generate/InsertRow.h"

#include "session/OraAccess.h"
#include "shared/Cp932.h"
#include "shared/basKovaData.h"

#include <algorithm>

namespace basKovaData {

namespace {

// SQL text after the "@": at most 999 bytes of its code page 932 form. Short
// texts cannot reach the limit (a character takes at most two bytes), so they
// are taken as they are, without a round trip through the byte form.
QString RawSqlText(const QString& entry)
{
    constexpr int MaxBytes = 999;
    if (entry.size() - 1 <= MaxBytes / 2 || ToCp932(entry).size() - 1 <= MaxBytes)
        return entry.mid(1).trimmed();
    return MidBytes(entry, 2, MaxBytes).trimmed();
}

}  // namespace

QString SqlQuoted(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString InsertText(const QString& table, int count)
{
    QString sql = QStringLiteral("Insert into ") + table + QStringLiteral(" Values( ");
    count = std::min(count, RowValueCapacity - 1);
    for (int i = 1; i <= count; ++i) {
        if (i > 1)
            sql += QStringLiteral(" ,");
        QString& entry = RowValues[std::size_t(i)];
        if (entry.trimmed() == QLatin1String("@"))
            entry = QStringLiteral("@0");
        if (entry.startsWith(QLatin1Char('@')))
            sql += QLatin1Char(' ') + RawSqlText(entry);
        else if (!entry.isEmpty())
            sql += SqlQuoted(entry);
        else
            sql += QStringLiteral("Null");
    }
    sql += QStringLiteral(" ) ");
    return sql;
}

bool InsertRow(const QString& table, int count)
{
    return ExecuteSql(OraDatabase.get(), InsertText(table, count)) != -1;
}

}  // namespace basKovaData
