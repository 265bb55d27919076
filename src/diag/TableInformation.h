#pragma once
// The table information window's logic: the chosen table's USER_TABLES row as a
// two-column list, the help text of each USER_TABLES field, and ANALYZE.
#include <QString>

class OraDatabase;
namespace controls {
class GridModel;
}

namespace diag {

// "SELECT * from user_tables where TABLE_NAME='<table>'", the name as given.
QString TableInformationQuery(const QString& table);

// Sets the two columns up (widths, header) and, when the table has a row,
// writes one grid row per field: its name and its value ("[NULL]" for NULL).
// Returns 0, or the number of the error that stopped it (what was written so
// far stays in the grid). A table without a row leaves only the header.
int FillTableInformation(OraDatabase* database, const QString& table, controls::GridModel& grid);

// The message shown for a field of USER_TABLES; compared case-sensitively,
// an unknown name gives the name followed by the "no data" mark.
QString FieldHelpText(const QString& fieldName);

// Runs ANALYZE TABLE <table> COMPUTE STATISTICS; false when it failed.
bool AnalyzeTable(OraDatabase* database, const QString& table);

// How the diagnostics windows report an error number.
QString ErrorCodeText(int number);

}  // namespace diag
