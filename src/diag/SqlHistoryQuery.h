#pragma once
// The SQL history viewer without its window: the statements sent for the
// statement list (V$SQL) and for one statement's full text (V$SQLTEXT), the
// list run that fills the grid, and the assembly of the full text.
#include <QString>

class OraDatabase;
namespace controls {
class GridModel;
}

namespace diag {

// The window's caption, which also titles its messages.
QString SqlHistoryCaption();
// The hint line shown under the grid.
QString SqlHistoryHint();
// The condition the window opens with: newest statements first.
QString SqlHistoryOpeningCondition();

// The list statement with the user's condition (trimmed, line breaks as
// blanks): after one blank when it begins with "order by" in any case, else
// after " WHERE ". An empty condition adds nothing.
QString SqlHistoryStatement(const QString& condition);
// The statement reading the pieces of one statement, `hashValue` as the grid
// shows it.
QString SqlTextStatement(const QString& hashValue);

// Three columns and the heading row alone, with the opening widths and
// left-centred headings.
void PrepareSqlHistoryGrid(controls::GridModel& grid);

struct SqlHistoryResult {
    // 0 when everything went through; else the error's number: 440 from the
    // database, 30006 for a full grid, -1 for anything else.
    int errorNumber = 0;
    // Rows the grid shows after the run (beyond the heading row).
    int rows = 0;
    // A message box to show (information icon), empty for none.
    QString message;
    QString statement;
};

// One run of the statement list. Once the database has accepted the
// statement the grid is emptied down to its heading row, so that a run
// without rows leaves nothing of the previous one, and then receives at most
// MaxDisplayRows rows (NULL as "[NULL]", every value trimmed). A statement the
// database refuses leaves the grid as it was; a full grid keeps the rows
// received before. Never throws.
SqlHistoryResult RunSqlHistoryQuery(OraDatabase* database, controls::GridModel& grid, const QString& condition);

struct SqlTextResult {
    int errorNumber = 0;  // as above, without 30006
    // The pieces in PIECE order, each trimmed, joined without separator; on
    // an error the pieces read before it.
    QString text;
    QString message;
    QString statement;
};

// The full text of the statement whose hash value is `hashValue`. Never throws.
SqlTextResult FetchSqlText(OraDatabase* database, const QString& hashValue);

}  // namespace diag
