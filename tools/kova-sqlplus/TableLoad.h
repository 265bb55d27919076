#pragma once
// SQLcl's LOAD [TABLE] [schema.]table file.csv: the rows of a CSV file into
// a table that exists, one INSERT per row bound by the table's columns.
//
// The file: UTF-8 (code page 932 when it is no UTF-8), a first line naming
// the columns (unless SET LOADFORMAT COLUMN_NAMES OFF, which takes the
// table's columns in order), fields separated by "," and optionally enclosed
// in double quotes, a quote doubled inside them, line breaks inside quotes
// kept; an empty field is NULL. That is how SQLcl and kova-generate write
// CSV. A name of the first line matches a column of the table in capitals,
// blanks and hyphens read as "_" (as SQLcl cleans names), or as written.
//
// SET LOAD options kept: BATCH_ROWS|BATCHROWS n (50), BATCHES_PER_COMMIT|
// BATCHESPERCOMMIT n (10; a commit after n batches, 0: at the end only),
// DATE_FORMAT|DATEFORMAT mask (DATE columns read by TO_DATE with it; without
// it, the session's NLS_DATE_FORMAT, else the text as the database takes
// it), ERRORS n|UNLIMITED (50: the load stops after more rows in error, and
// the rows since its last commit are undone), TRUNCATE ON|OFF (empties the
// table first), DEFAULT. SET LOADFORMAT: DEFAULT, CSV, DELIMITER c,
// ENCLOSURES c, COLUMN_NAMES|COLUMNNAMES|NAMES ON|OFF. Other options are
// accepted and change nothing.
//
// Like SQLcl, the load commits (what the session did before it too) after
// each BATCH_ROWS x BATCHES_PER_COMMIT rows and at its end. A row in error
// is reported and left out; the others go on.
#include <QChar>
#include <QString>
#include <QStringList>

#include <functional>

class OraDatabase;

class TableLoad {
public:
    // Takes the words after SET LOAD or SET LOADFORMAT; a message for each
    // option whose value is missing or wrong (it keeps its setting).
    QStringList setLoad(const QString& arguments);
    QStringList setFormat(const QString& arguments);

    struct Outcome {
        QString refusal;       // nothing was loaded: why (no table, no file, a column unknown)
        qint64 processed = 0;  // rows read from the file
        qint64 loaded = 0;
        QStringList errors;    // one per row in error: "row n (line m): message"
        bool stopped = false;  // the ERRORS limit was passed
    };
    // Loads `file` into `table` (as LOAD writes them). `commit` ends the
    // transaction with a commit and begins the next; it throws OraError.
    Outcome run(OraDatabase& database, const std::function<void()>& commit, const QString& table,
                const QString& file, const QString& sessionDateFormat) const;

private:
    int m_batchRows = 50;
    int m_batchesPerCommit = 10;
    QString m_dateFormat;
    int m_errors = 50;  // -1: no limit
    bool m_truncate = false;
    QChar m_delimiter = u',';
    QChar m_enclosure = u'"';
    bool m_columnNames = true;
};
