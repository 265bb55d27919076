#pragma once
// Deleting the chosen table's rows that match a condition.
#include <QString>

namespace maintain {

// "DELETE FROM " + table, and " WHERE " + the condition (trimmed, line breaks
// as blanks) unless the condition is blank: then every row goes.
QString DeleteStatement(const QString& table, const QString& condition);

// Runs the statement in a transaction of OraSession and commits it; false when
// the statement (or the transaction) failed, in which case nothing changed.
bool DeleteRows(const QString& table, const QString& condition);

}  // namespace maintain
