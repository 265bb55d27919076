#pragma once
// The preconditions of the main window's commands. Each check returns the
// message that refuses the command, or an empty text when it may go ahead.
#include <QString>

namespace browser {

// A table or view must be chosen (the trimmed name box not empty).
QString CheckName(const QString& nameText);
// The row count label must not read as 0 ("取得中" and "ERROR" do);
// `refusal` is the command's own message.
QString CheckRows(const QString& countCaption, const QString& refusal);
// Creation: a name, and at most five columns with values from a SELECT.
QString CheckBeforeCreate(const QString& nameText);
// Update: a name, rows, at least one rule, at most five SELECT rules.
QString CheckBeforeUpdate(const QString& nameText, const QString& countCaption);

inline const QString NoViewerRows = QStringLiteral("表示するデータがありません。");
inline const QString NoDeleteRows = QStringLiteral("削除するデータがありません。");

}  // namespace browser
