#pragma once
// Expression columns (式): a column whose value is computed from the other
// values of the same row by a JavaScript expression, run by Qt's JavaScript
// engine. An expression sees the row as `row` (`row.数量`, `row["開始日"]`,
// read-only) and these helpers; it reaches no file, network or database.
//   rand(min, max)     a real number in [min, max)
//   randInt(min, max)  a whole number, both ends included
//   addDays(date, n)   a new Date n days on, the time of day kept; a fraction
//                      adds hours; NULL for a NULL date
//   pick(array)        one element (pick(a, b, ...) too); NULL for none
//   pad(n, width)      the whole number as text, zero-filled to width
//                      characters, a minus sign in front (pad(-42, 6) is
//                      "-00042"); NULL for NULL
// Math.random() draws from the same sequence as the helpers. An expression
// is one expression (`row.数量 * row.単価`) or statements that give the value
// with return.
//
// Dates are wall-clock values: a date enters as a JavaScript Date whose local
// fields are the QDateTime's fields, and a Date comes back as a QDateTime with
// its local fields, held in UTC like every date of the program.
//
// An object is used on the thread that made it; Prepare starts a fresh
// engine, and the first evaluation starts one watchdog thread for it.
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace generate {

class RowExpressions {
public:
    struct Column {
        QString name;
        QString expression;  // empty: an ordinary column
    };

    RowExpressions();
    ~RowExpressions();
    RowExpressions(const RowExpressions&) = delete;
    RowExpressions& operator=(const RowExpressions&) = delete;

    // Compiles every expression and works out the order in which the
    // expression columns run, each after the expression columns it reads.
    // Refuses a syntax error, a column name it does not know after `row.`,
    // and columns that read each other (or themselves), with a message in
    // *error naming the columns.
    bool Prepare(const std::vector<Column>& columns, QString* error);
    // Indexes (into the Prepare vector) of the expression columns, in the
    // order they are evaluated.
    const std::vector<int>& Order() const;
    // Where rand(), randInt(), pick() and Math.random() draw uniform values in
    // [0, 1): the program-wide random sequence unless set.
    void SetDraw(std::function<double()> draw);
    // Evaluates expression column `index` over the row so far: row[i] is
    // column i's value (double, QString, QDateTime; a null QVariant for NULL).
    // The result comes back the same way. A throw, a run past about a
    // second, or a result that is no value (NaN, an invalid date, an object)
    // gives false with a message naming the column.
    bool Evaluate(int index, const std::vector<QVariant>& row, QVariant* result, QString* error);

private:
    class Engine;
    std::unique_ptr<Engine> m_engine;
    std::vector<int> m_order;
    bool m_prepared = false;
    std::function<double()> m_draw;
};

}  // namespace generate
