#pragma once
#include <QString>

// Loading and saving the options (most rows a result grid shows, path of the
// SQL*Plus program) between the options file and the program-wide variables.
namespace basKovaData {

// The SQL*Plus path used when there is no options file. There is no Windows
// directory to look in on this platform; the stand-in is the line-mode SQL
// console kova-sqlplus that ships beside the executable:
// AppDirectory + "kova-sqlplus".
QString DefaultSqlPlusPath();

// Sets MaxDisplayRows and SqlPlusPath from the options file. A stored row count
// below 1 gives 300, one above 32767 (the largest the variable holds) gives
// 32767. The stored path is taken as it is, even when blank. Without an options
// file the values are 300 and DefaultSqlPlusPath(); no file is written then.
void LoadOptions();

// Sets MaxDisplayRows and SqlPlusPath (the text trimmed, then blank-padded to
// 100 characters) and writes them to the options file. The variables are set
// even when the file cannot be written; the result tells whether it was.
// The caller has checked the row count.
bool SaveOptions(qint16 maxDisplayRows, const QString& sqlPlusPathText, QString* error);

}  // namespace basKovaData
