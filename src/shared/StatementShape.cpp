#include "shared/StatementShape.h"

#include <optional>

namespace basKovaData {

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

namespace {

constexpr QStringView DateHead = u"TO_DATE('";
constexpr QStringView DateTail = u"','YYYYMMDD HH24MISS')";

void AppendValue(QString& out, const SqlValue& value)
{
    if (value.type == SqlValue::Type::Text)
        AppendQuoted(out, value.text);
    else
        out += value.text;
}

}  // namespace

void AppendQuoted(QString& sql, QStringView text)
{
    sql += QLatin1Char('\'');
    if (text.contains(QLatin1Char('\''))) {
        for (const QChar c : text) {
            if (c == u'\'')
                sql += c;
            sql += c;
        }
    } else {
        sql += text;
    }
    sql += QLatin1Char('\'');
}

void StatementShape::clear()
{
    m_text.clear();
    m_markers.clear();
    m_values.clear();
}

void StatementShape::addMarker()
{
    m_markers.push_back(m_text.size());
    m_text += u'?';
}

void StatementShape::appendNumber(QStringView digits)
{
    addMarker();
    m_values.push_back({SqlValue::Type::Number, digits.toString()});
}

void StatementShape::appendTextValue(QString value)
{
    addMarker();
    m_values.push_back({SqlValue::Type::Text, std::move(value)});
}

void StatementShape::appendValue(SqlValue value)
{
    addMarker();
    m_values.push_back(std::move(value));
}

void StatementShape::appendNull(QStringView spelling)
{
    addMarker();
    m_values.push_back({SqlValue::Type::Null, spelling.toString()});
}

void StatementShape::appendDate(QString dateText)
{
    m_text += u"TO_DATE(";
    appendTextValue(std::move(dateText));
    m_text += u",'YYYYMMDD HH24MISS')";
}

std::optional<SqlValue> StatementShape::ValueOfSql(QStringView sql, bool* date)
{
    *date = false;
    if (IsNumberLiteral(sql))
        return SqlValue{SqlValue::Type::Number, sql.toString()};
    if (std::optional<QString> text = LiteralText(sql))
        return SqlValue{SqlValue::Type::Text, std::move(*text)};
    if (sql.compare(u"NULL", Qt::CaseInsensitive) == 0)
        return SqlValue{SqlValue::Type::Null, sql.toString()};
    if (sql.startsWith(DateHead) && sql.endsWith(DateTail)
        && !sql.mid(DateHead.size(), sql.size() - DateHead.size() - DateTail.size()).contains(u'\'')) {
        *date = true;
        return SqlValue{SqlValue::Type::Text,
                        sql.mid(DateHead.size(), sql.size() - DateHead.size() - DateTail.size()).toString()};
    }
    return std::nullopt;
}

void StatementShape::appendSql(QStringView sql)
{
    const QStringView value = sql.trimmed();
    const qsizetype lead = value.isEmpty() ? sql.size() : value.data() - sql.data();
    m_text += sql.left(lead);
    bool date = false;
    if (std::optional<SqlValue> given = ValueOfSql(value, &date)) {
        if (date)
            m_text += u"TO_DATE(";
        appendValue(std::move(*given));
        if (date)
            m_text += u",'YYYYMMDD HH24MISS')";
    } else {
        m_text += value;
    }
    if (!value.isEmpty())
        m_text += sql.mid(lead + value.size());
}

void StatementShape::reuseText(const QString& text, const std::vector<qsizetype>& markers,
                               std::vector<SqlValue>& values)
{
    m_text = text;
    m_markers = markers;
    m_values.clear();
    m_values.swap(values);
}

void StatementShape::AppendLiteral(QString& out, const QString& text, const std::vector<qsizetype>& markers,
                                   const SqlValue* values)
{
    qsizetype from = 0;
    for (std::size_t i = 0; i < markers.size(); ++i) {
        out += QStringView(text).mid(from, markers[i] - from);
        AppendValue(out, values[i]);
        from = markers[i] + 1;
    }
    out += QStringView(text).mid(from);
}

QString StatementShape::Literal() const
{
    QString out;
    qsizetype size = m_text.size();
    for (const SqlValue& value : m_values)
        size += value.text.size() + 2;
    out.reserve(size);
    AppendLiteral(out, m_text, m_markers, m_values.data());
    return out;
}

}  // namespace basKovaData
