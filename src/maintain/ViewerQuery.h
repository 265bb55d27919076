#pragma once
// The data viewer without its window: the statement built from the user's
// condition, the heading row and opening widths of the result grid, and the
// query run that fills the grid, sizes its columns and words the message line.
#include <QString>

#include <functional>
#include <optional>

class OraDatabase;
namespace controls {
class GridModel;
}

namespace maintain {

// Widths are in twips. A value counts two bytes per character, whatever it is.
// Headings, and the values of a column without a declared size, are measured
// in half-width cells instead (see ViewerDisplayCells), so that a Japanese
// heading is not cut and a date is not given twice the room it needs.
inline constexpr int ViewerCellTwipsPerByte = 90;
inline constexpr int ViewerCellPaddingTwips = 100;
inline constexpr int ViewerLengthCap = 50;
inline constexpr int ViewerOpeningWidthCap = 5000;

// Byte length as the viewer's widths count it: twice the characters.
qint64 ViewerByteLength(const QString& text);

// The text's width in half-width cells: one for ASCII and half-width kana, two
// for anything else (a pair of surrogates counts as one character).
qint64 ViewerDisplayCells(const QString& text);

// A heading's width: its trimmed text in half-width cells, plus the padding a
// value gets.
qint32 ViewerHeadingTwips(const QString& heading);

// " SELECT * FROM " + table, then the condition (trimmed, line breaks as
// blanks): after one blank when it begins with "order by" in any case, else
// after " WHERE ". An empty condition adds nothing.
QString ViewerStatement(const QString& table, const QString& condition);

// The name of column `col` (1-based) in the main window's column grid, as the
// grid holds it (untrimmed); empty without a grid or beyond its rows.
QString ViewerColumnName(const controls::GridModel* mainGrid, int col);

// Prepares the result grid when the viewer opens: ColumnCount columns, the
// heading row alone with the names from `mainGrid`, centred headings, numbers
// right-aligned and everything else left-aligned (by the column rule's type),
// and each column's opening width from its heading and declared length.
// A column without a declared size (DATE, NUMBER without precision) opens at
// its heading's width.
void PrepareViewerGrid(controls::GridModel& grid, const controls::GridModel* mainGrid);

struct ViewerRunResult {
    // 0 when the rows came through; else the error's number: 440 from the
    // database, 30006 for a full grid, -1 for anything else.
    int errorNumber = 0;
    // Rows the grid shows after the run (beyond the heading row).
    int rows = 0;
    // The new text of the message line; none when it keeps what it shows
    // (the statement failed before any row was read, or another error).
    std::optional<QString> messageLine;
    // A message box to show (information icon), empty for none.
    QString message;
    // The statement sent.
    QString statement;
};

// One query run over ChosenTable with the condition typed by the user. Once
// the statement has been accepted, and before the first row is read, the
// message line is to be emptied and `fetchStarting` is called (the window hides
// its grid and repaints there). The grid is then emptied down to its heading
// row, so that a run without rows leaves no rows of the previous run behind,
// and filled with at most MaxDisplayRows rows (NULL as "[NULL]", every value
// trimmed). Columns whose contents and heading are narrower than their current
// width shrink to fit; they never grow, except a column without a declared
// size, which takes the width of its heading or its widest value (capped at
// the opening cap). Never throws.
ViewerRunResult RunViewerQuery(OraDatabase* database, controls::GridModel& grid,
                               const controls::GridModel* mainGrid, const QString& condition,
                               const std::function<void()>& fetchStarting = {});

}  // namespace maintain
