#pragma once
#include <QDateTime>
#include <QString>

namespace basKovaData {

// Date texts: "YYYYMMDD HHNNSS" (15 characters) or "YYYYMMDD" (midnight),
// blanks around the text not counting; character 9 of the long form is not
// looked at. Dates are plain calendar dates and times: they carry the UTC
// time spec only so that no time-zone rule (a daylight-saving gap) can move
// them and no time-zone lookup is paid for them.

// True when the trimmed text is a date text of a real calendar date and time.
bool IsDateText(const QString& text);
// The trimmed text, with " 000000" appended when it has 8 characters.
QString PadDateText(const QString& text);
// The date of a date text; the zero date 1899-12-30 00:00:00 for a text of
// another length or one that is no real date.
QDateTime DateFromText(const QString& text);
// The 15-character date text "YYYYMMDD HHNNSS" of a date.
QString DateText15(const QDateTime& value);
// The same of a day and a time of day, as they stand (no time zone).
QString DateText15(const QDate& date, const QTime& time);
// The same between `before` and `after`, as one text.
QString DateText15(const QDate& date, const QTime& time, QStringView before, QStringView after);
// 1899-12-30 00:00:00.
QDateTime ZeroDate();

}  // namespace basKovaData
