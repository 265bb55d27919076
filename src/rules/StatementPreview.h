#pragma once
// The rule editors' statement preview without its window: runs the statement
// typed into an editor and fills the value list's grid with the first column
// of the result, numbered from 1.
#include <QString>

class OraDatabase;
namespace controls {
class GridModel;
}

namespace rules {

// Column widths and headings of the value list's grid ("No", "データ").
void SetUpPreviewGrid(controls::GridModel& grid);

struct PreviewResult {
    // Whether the value list is to be shown: the statement ran, or the grid
    // filled up (then it shows the rows put in).
    bool showList = false;
    // Value rows put into the grid.
    int rows = 0;
    // 0 when the statement ran through; else the error's number (440 for the
    // database, 30006 for a full grid, another number, -1 included, for any
    // other failure).
    int errorNumber = 0;
    // What to tell the user (information icon); empty for nothing.
    QString message;
};

// Runs `statementText` (trimmed, line breaks as blanks) on `database`. When it
// has rows, the grid is cleared, its headings written again, and row n gets n
// and the first column's value (trimmed, NULL as "[NULL]"). Never throws.
PreviewResult FillPreview(OraDatabase* database, controls::GridModel& grid, const QString& statementText);

}  // namespace rules
