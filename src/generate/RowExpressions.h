#pragma once
// Expression columns (式): a column whose value is computed from the other
// values of the same row by a JavaScript expression, run by Qt's JavaScript
// engine. An expression sees the row as `row` (`row.数量`, `row["開始日"]`,
// read-only) and these helpers; it reaches no file, network or database.
//   rand(min, max)     a real number in [min, max)
//   randInt(min, max)  a whole number, both ends included
//   addDays(date, n)   a new Date n days on, the time of day kept; a fraction
//                      adds hours (a day is 24 hours); NULL for a NULL date
//   pick(array)        one element (pick(a, b, ...) too); NULL for none
//   pad(n, width)      the whole number as text, zero-filled to width
//                      characters, a minus sign in front (pad(-42, 6) is
//                      "-00042"); NULL for NULL
// Math.random() draws from the same sequence as the helpers. An expression
// is one expression (`row.数量 * row.単価`) or statements that give the value
// with return.
//
// Dates carry no time zone, so that the same rules and seed give the same
// values on any machine: a date enters as a JavaScript Date whose fields are
// the QDateTime's, and a Date comes back as a QDateTime with its fields, held
// in UTC like every date of the program. Inside an expression Date's local
// methods are its UTC ones (getHours() is getUTCHours(), getTimezoneOffset()
// is 0, new Date(2024, 0, 31) takes the fields as they are), and a text
// becomes a date in ISO form (a time without a zone is UTC) or when it names
// its zone; any other text is an invalid date.
//
// Reading an expression column, in any form (row.X, row["X"], row[name],
// destructuring, a loop over Object.keys(row)), gives its value in this row:
// one not computed yet is computed then. Columns that read each other stop
// the evaluation with a message naming them, even if the expression catches
// it; reading every value (Object.values(row), JSON.stringify(row)) reads
// the column itself and is such a cycle.
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
    // How an expression column that another one reads before it ran gets
    // its value: by default it is evaluated over the same row. An owner that
    // makes the row itself (a NULL rate, a value given instead, the result
    // fitted to the column) makes the column here, through Evaluate, and
    // returns its value as the row will hold it. What the function throws
    // comes out of the Evaluate that read the column.
    void SetCompute(std::function<QVariant(int index)> compute);
    // A new row begins: every expression column is to be computed again. A
    // caller that does not call it starts a new row by evaluating a column
    // it evaluated before.
    void BeginRow();
    // Whether expression column `index` has its value in the current row:
    // evaluated, or computed because another one read it.
    bool Computed(int index) const;
    // Evaluates expression column `index` over the row so far: row[i] is
    // column i's value (double, QString, QDateTime; a null QVariant for NULL),
    // and the caller puts each result into it. The result comes back the
    // same way; a column computed already in this row gives the same result
    // again. A throw, a run past about a second, a cycle of reads or a
    // result that is no value (NaN, an invalid date, an object) gives false
    // with a message naming the column.
    bool Evaluate(int index, const std::vector<QVariant>& row, QVariant* result, QString* error);

private:
    class Engine;
    std::unique_ptr<Engine> m_engine;
    std::vector<int> m_order;
    bool m_prepared = false;
    std::function<double()> m_draw;
    std::function<QVariant(int)> m_compute;
};

}  // namespace generate
