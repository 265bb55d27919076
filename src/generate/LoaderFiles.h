#pragma once
// The files a CSV folder holds besides the rows: a SQL*Loader control file
// per table, a psql script of \copy commands and a shell script of sqlldr
// calls; and one value of a row as a CSV field.
#include <QString>
#include <QStringList>

#include <vector>

namespace basKovaData {
struct TableRules;
}

namespace generate {

// A foreign key constraint by its table and name, as the dictionary shows them.
struct KeyConstraint {
    QString table;
    QString name;
};

// Appends one value of RowValues as a CSV field: numbers as written, dates
// as "YYYY-MM-DD HH24:MI:SS", NULL as nothing, a text as itself, between
// quotes (quotes doubled) when it holds a separator, a quote, a line break or
// blanks at either end. Returns false, appending nothing, for SQL text that a
// file cannot carry (a value typed as "@SYSDATE", say).
bool AppendCsvField(QString& line, const QString& value);

QString ControlFileText(const basKovaData::TableRules& rules, const QString& csvName);
// With `deferred`, the foreign keys are checked at the commit (SET
// CONSTRAINTS ALL DEFERRED), so that rows may refer to rows loaded after them.
// `updateFiles` hold the UPDATEs that set the keys a cycle of tables left
// NULL: run after the last load.
QString PostgresLoadText(const QStringList& tables, const QStringList& csvNames, const QStringList& columnLists,
                         const QStringList& emptied, bool deferred = false, const QStringList& updateFiles = {});
// `tables` names the table of each control file, in the same order. The
// `deferred` constraints refer to rows loaded after theirs: they are disabled
// before the first load and enabled after the last one.
QString OracleLoadText(const QStringList& tables, const QStringList& controlNames, const QStringList& emptied,
                       const std::vector<KeyConstraint>& deferred = {}, const QStringList& updateFiles = {});
// The columns of a table as its statements name them: "A, B, C".
QString ColumnList(const basKovaData::TableRules& rules);

}  // namespace generate
