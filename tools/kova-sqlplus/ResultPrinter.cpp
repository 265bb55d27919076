#include "ResultPrinter.h"

#include "SelectHeadings.h"

#include "engine/oracle/OracleDateFormat.h"
#include "session/OraDynaset.h"
#include "shared/ValueText.h"

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QStringList>
#include <QTextStream>

#include <exception>

namespace {

struct Cell {
    QString text;
    bool right = false;
};

using Row = QList<Cell>;

bool IsWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60)
        || (c >= 0xFFE0 && c <= 0xFFE6);
}

// `text` followed (left-aligned) or preceded (right-aligned) by the blanks
// that fill it to `width` terminal columns.
QString Pad(const QString& text, int width, bool right)
{
    const int fill = width - ResultPrinter::displayWidth(text);
    if (fill <= 0)
        return text;
    const QString blanks(fill, QLatin1Char(' '));
    return right ? blanks + text : text + blanks;
}

void WriteLine(QTextStream& out, QString line)
{
    // The padding of the last column is of no use at the end of a line.
    qsizetype end = line.size();
    while (end > 0 && line.at(end - 1) == QLatin1Char(' '))
        --end;
    line.truncate(end);
    out << line << '\n';
}

void WritePage(QTextStream& out, const QStringList& headings, const QList<Row>& rows)
{
    QList<int> widths;
    widths.reserve(headings.size());
    for (const QString& heading : headings)
        widths.append(ResultPrinter::displayWidth(heading));
    for (const Row& row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[i] = qMax(widths[i], ResultPrinter::displayWidth(row[i].text));
    }

    QString headingLine;
    QString dashLine;
    for (qsizetype i = 0; i < headings.size(); ++i) {
        if (i > 0) {
            headingLine += QLatin1Char(' ');
            dashLine += QLatin1Char(' ');
        }
        headingLine += Pad(headings[i], widths[i], false);
        dashLine += QString(widths[i], QLatin1Char('-'));
    }
    WriteLine(out, headingLine);
    WriteLine(out, dashLine);

    for (const Row& row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i) {
            if (i > 0)
                line += QLatin1Char(' ');
            line += Pad(row[i].text, widths[i], row[i].right);
        }
        WriteLine(out, line);
    }
}

}  // namespace

ResultPrinter::ResultPrinter(QTextStream& out, int pageRows)
    : m_out(out), m_pageRows(qMax(1, pageRows))
{
}

int ResultPrinter::displayWidth(const QString& text)
{
    int width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            width += 2;
            ++i;
        } else {
            width += IsWide(c.unicode()) ? 2 : 1;
        }
    }
    return width;
}

bool ResultPrinter::isNumber(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return false;
    switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

QString ResultPrinter::cellText(const QVariant& value, const QString& dateFormat)
{
    if (!value.isValid() || value.isNull())
        return {};
    QString text;
    const int type = value.metaType().id();
    if (type == QMetaType::QDateTime || type == QMetaType::QDate) {
        const QDateTime when = value.toDateTime();
        const DateParts date{when.date().year(), when.date().month(), when.date().day(),
                             when.time().hour(), when.time().minute(), when.time().second()};
        if (dateFormat.isEmpty() || !IsValidDate(date))
            text = when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        else
            text = QString::fromStdString(FormatDateByModel(date, dateFormat.toStdString()));
    } else {
        text = basKovaData::VariantText(value);
    }
    for (QChar& c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    }
    return text;
}

qint64 ResultPrinter::print(OraDynaset& dynaset)
{
    const int columns = dynaset.FieldCount();
    QStringList headings;
    for (int i = 0; i < columns; ++i)
        headings.append(cellText(dynaset.FieldName(i)));
    if (!m_query.isEmpty())
        headings = SelectHeadings::Headings(m_query, headings);

    qint64 total = 0;
    std::exception_ptr failure;
    while (!failure && !dynaset.IsEOF()) {
        QList<Row> page;
        while (page.size() < m_pageRows && !dynaset.IsEOF()) {
            Row row;
            row.reserve(columns);
            for (int i = 0; i < columns; ++i) {
                const QVariant value = dynaset.Value(i);
                row.append({cellText(value, m_dateFormat), isNumber(value)});
            }
            page.append(row);
            try {
                dynaset.MoveNext();
            } catch (...) {
                failure = std::current_exception();
                break;
            }
        }
        m_out << '\n';  // every page begins with a blank line and the headings
        WritePage(m_out, headings, page);
        total += page.size();
        m_out.flush();
    }
    if (failure)
        std::rethrow_exception(failure);

    if (total == 0) {
        if (m_feedbackRows > 0)
            m_out << "\nno rows selected\n";
    } else {
        m_out << '\n';
        if (m_feedbackRows > 0 && total >= m_feedbackRows) {
            if (total == 1)
                m_out << "1 row selected.\n";
            else
                m_out << total << " rows selected.\n";
        }
    }
    m_out.flush();
    return total;
}
