#pragma once
// Prints a query result as aligned text columns, page by page, the way a
// line-mode console shows it:
//
//   (blank line)
//   商品コード 商品名     単価
//   ---------- ---------- ----
//   A00001     ボールペン  120
//
//   1 row selected.
//
// The count line is printed for results of feedbackRows rows or more ("no
// rows selected" for none), and not at all when feedbackRows is 0.
//
// The dynaset is read as it is printed: only one page of rows is held at a
// time, and the column widths are those of that page.
#include <QString>
#include <QVariant>

#include <QtGlobal>

class OraDynaset;
class QTextStream;

class ResultPrinter {
public:
    static constexpr int DefaultPageRows = 50;

    explicit ResultPrinter(QTextStream& out, int pageRows = DefaultPageRows);

    void setFeedbackRows(int rows) { m_feedbackRows = rows; }
    // The Oracle date format model dates are shown with; empty for
    // "YYYY-MM-DD HH24:MI:SS".
    void setDateFormat(const QString& format) { m_dateFormat = format; }
    // The query as the user wrote it: its expressions head their columns
    // (see SelectHeadings).
    void setQuery(const QString& query) { m_query = query; }

    // Prints every row from the dynaset's current position to its end, then
    // the row count line. Returns the number of rows printed. When moving to
    // the next row fails, the rows already read are printed and the OraError
    // is passed on (without the row count line).
    qint64 print(OraDynaset& dynaset);

    // Columns a text takes on a terminal: East Asian wide and fullwidth
    // characters, and characters outside the basic plane, take two.
    static int displayWidth(const QString& text);
    // A value as it is shown in a cell: NULL empty, dates by the format
    // model (as "YYYY-MM-DD HH:MM:SS" without one), numbers and texts as
    // everywhere else in the program; line breaks and tabs become blanks so
    // they keep the columns.
    static QString cellText(const QVariant& value, const QString& dateFormat = {});
    // True for the values that are right-aligned (numbers).
    static bool isNumber(const QVariant& value);

private:
    QTextStream& m_out;
    int m_pageRows;
    int m_feedbackRows = 1;
    QString m_dateFormat;
    QString m_query;
};
