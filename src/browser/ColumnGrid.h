#pragma once
// The main window's column grid: one row per column of the chosen table or
// view with its type, key and NOT NULL marks, and the rule table rebuilt with
// one empty rule per column.
#include "shared/basKovaData.h"

#include <QString>

class OraDatabase;
namespace controls {
class GridModel;
}

namespace browser {

enum ColumnGridColumn : int { ColName = 0, ColType = 1, ColKey = 2, ColNotNull = 3, ColRule = 4 };

// One heading row and the five columns with their widths and headings.
void SetUpColumnGrid(controls::GridModel& grid);

// The displayed type of a column from the dictionary's DATA_TYPE, DATA_PRECISION,
// DATA_SCALE and CHAR_COL_DECL_LENGTH texts (NULL as an empty text):
// "VARCHAR2(20)", "DATE()", "NUMBER(8)", "NUMBER(10.2)". `length` and `scale`
// receive the declared size and scale.
QString DataTypeText(const QString& dataType, const QString& precision, const QString& scale,
                     const QString& charLength, qint16* length, qint16* scaleValue);

struct ColumnGridResult {
    enum class Outcome { Loaded, TooManyColumns, NoColumns, Failed };
    Outcome outcome = Outcome::Failed;
    // What to tell the user (empty when loaded) and with which icon.
    QString message;
    basKovaData::MessageIcon icon = basKovaData::MessageIcon::Information;
};

// Fills the grid with the columns of `objectName` (at most MaxDisplayRows),
// marks the primary key, rebuilds ColumnRules and ColumnCount and forgets the
// seed (a newly chosen or reloaded table starts without one). Every failure
// is reported in the result; the grid keeps the rows filled so far.
ColumnGridResult FillColumnGrid(OraDatabase* database, controls::GridModel& grid,
                                const QString& objectName, bool isTable);

// The error message of the column grid and the row count.
QString ObjectErrorMessage(bool isTable);

// The row count of `objectName` as text; an empty text when the count query
// returns no row. Throws OraError.
QString CountRows(OraDatabase* database, const QString& objectName);

// "ORDER BY " and the key columns of ColumnRules in column order; empty
// without key columns.
QString KeyOrderCondition();

}  // namespace browser
