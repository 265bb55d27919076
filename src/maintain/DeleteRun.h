#pragma once
// Deleting the chosen table's rows that match a condition.
#include <QString>

namespace maintain {

// "DELETE FROM " + table, and " WHERE " + the condition (trimmed, line breaks
// as blanks) unless the condition is blank: then every row goes.
QString DeleteStatement(const QString& table, const QString& condition);

// What the delete window says when another program held the database.
inline const QString DeleteLockedMessage =
    QStringLiteral("データベースが他のプログラムで使用中のため、削除できませんでした。\nデータは変更されていません。");

enum class DeleteOutcome {
    Deleted,  // committed
    Failed,   // the statement (or the transaction) failed: nothing changed
    Locked,   // another program held the database's lock: nothing changed
};

// Runs the statement in a transaction of OraSession and commits it.
DeleteOutcome DeleteRows(const QString& table, const QString& condition);

}  // namespace maintain
