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

    // Prints every row from the dynaset's current position to its end, then
    // the row count line. Returns the number of rows printed. When moving to
    // the next row fails, the rows already read are printed and the OraError
    // is passed on (without the row count line).
    qint64 print(OraDynaset& dynaset);

    // Columns a text takes on a terminal: East Asian wide and fullwidth
    // characters, and characters outside the basic plane, take two.
    static int displayWidth(const QString& text);
    // A value as it is shown in a cell: NULL empty, dates as
    // "YYYY-MM-DD HH:MM:SS", numbers and texts as everywhere else in the
    // program; line breaks and tabs become blanks so they keep the columns.
    static QString cellText(const QVariant& value);
    // True for the values that are right-aligned (numbers).
    static bool isNumber(const QVariant& value);

private:
    QTextStream& m_out;
    int m_pageRows;
};
