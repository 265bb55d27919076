#include "generate/InsertRow.h"

#include "session/RowStatements.h"
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

// A number as SQL writes it: digits with an optional sign, point and exponent.
bool IsNumberLiteral(QStringView text)
{
    qsizetype i = 0;
    const auto digits = [&] {
        const qsizetype start = i;
        while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
            ++i;
        return i - start;
    };
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype mantissa = digits();
    if (i < text.size() && text[i] == u'.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < text.size() && (text[i] == u'E' || text[i] == u'e')) {
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == text.size();
}

// The text of a character literal ('a''b' gives a'b); none when `sql` is not
// one literal.
std::optional<QString> LiteralText(QStringView sql)
{
    if (sql.size() < 2 || !sql.startsWith(u'\'') || !sql.endsWith(u'\''))
        return std::nullopt;
    const QStringView inner = sql.mid(1, sql.size() - 2);
    QString text;
    text.reserve(inner.size());
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == u'\'') {
            if (i + 1 >= inner.size() || inner[i + 1] != u'\'')
                return std::nullopt;
            ++i;
        }
        text += inner[i];
    }
    return text;
}

constexpr QStringView DateHead = u"TO_DATE('";
constexpr QStringView DateTail = u"','YYYYMMDD HH24MISS')";

}  // namespace

void AppendSqlValue(StatementShape& shape, QStringView sql)
{
    sql = sql.trimmed();
    if (IsNumberLiteral(sql)) {
        shape.text += u'?';
        shape.values.emplace_back(sql.toString());
    } else if (std::optional<QString> text = LiteralText(sql)) {
        shape.text += u'?';
        shape.values.emplace_back(std::move(text));
    } else if (sql.compare(u"NULL", Qt::CaseInsensitive) == 0) {
        shape.text += u'?';
        shape.values.emplace_back(std::nullopt);
    } else if (sql.startsWith(DateHead) && sql.endsWith(DateTail)
               && !sql.mid(DateHead.size(), sql.size() - DateHead.size() - DateTail.size()).contains(u'\'')) {
        shape.text += u"TO_DATE(?,'YYYYMMDD HH24MISS')";
        shape.values.emplace_back(sql.mid(DateHead.size(), sql.size() - DateHead.size() - DateTail.size()).toString());
    } else {
        shape.text += sql;
    }
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

void InsertShape(const QString& table, int count, StatementShape& shape)
{
    count = std::min(count, RowValueCapacity - 1);
    shape.clear();
    shape.text.reserve(table.size() + 24 + count * 4);
    shape.text += QStringLiteral("Insert into ");
    shape.text += table;
    shape.text += QStringLiteral(" Values( ");
    for (int i = 1; i <= count; ++i) {
        if (i > 1)
            shape.text += QStringLiteral(" ,");
        QString& entry = RowValues[std::size_t(i)];
        if (entry.trimmed() == QLatin1String("@"))
            entry = QStringLiteral("@0");
        if (entry.startsWith(QLatin1Char('@'))) {
            shape.text += QLatin1Char(' ');
            // Long SQL text is cut as InsertText cuts it.
            QString raw;
            AppendRawSqlText(raw, entry);
            AppendSqlValue(shape, raw);
        } else {
            shape.text += QLatin1Char('?');
            if (entry.isEmpty())
                shape.values.emplace_back(std::nullopt);
            else
                shape.values.emplace_back(entry);
        }
    }
    shape.text += QStringLiteral(" ) ");
}

}  // namespace basKovaData
