#pragma once
// The seam between the access objects (OraSession, OraDatabase, OraDynaset)
// and the database engines behind them: the embedded engine for database
// files, and ODBC for servers.
#include "shared/SqlName.h"
#include "shared/StatementShape.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

// A query result read row by row; it reads from the engine only what the
// caller consumes.
class OraCursor {
public:
    virtual ~OraCursor() = default;
    // True past the last row (at once for an empty result).
    virtual bool atEnd() const = 0;
    // Moves to the next row; throws EngineError.
    virtual void next() = 0;
    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    // The current row's value: numbers as double, character data as QString,
    // dates as QDateTime, binary data as QByteArray, NULL as a null QVariant.
    virtual QVariant value(int column) const = 0;
};

// One statement with parameter markers ("?") run for many rows in one exchange
// with the server. Values are texts (the server converts them as it converts a
// character literal) or NULL.
class OraBatch {
public:
    enum class Outcome {
        Done,        // the server took every row
        Refused,     // the server refused a row; none of the rows took effect
        Unsupported, // nothing was sent: run these rows, and the next, one by one
    };
    virtual ~OraBatch() = default;
    // Runs the statement once per row; `values` holds `rows` rows of the
    // statement's parameters, row after row. Throws EngineError when the
    // exchange itself fails (a lost connection).
    virtual Outcome run(const std::vector<basKovaData::SqlValue>& values, int rows) = 0;
    // Why run() answers Unsupported (the driver's own words where it gave
    // any); empty while batches run.
    virtual QString unsupported() const = 0;
};

// A table's or column's name as the server's catalogue spells it, and as a
// statement must write it.
struct ServerName {
    QString spelling;  // as the catalogue holds it (what a control file quotes)
    QString sql;       // as statements write it: quoted where it must be
};

class OraEngine {
public:
    virtual ~OraEngine() = default;
    // Every call takes exactly one statement and throws EngineError on any error.
    virtual std::unique_ptr<OraCursor> openCursor(const QString& sql) = 0;
    // Rows processed by an INSERT, UPDATE or DELETE; 0 for other statements.
    virtual qint64 execute(const QString& sql) = 0;
    // The same for the literal text of `shape` (an INSERT or UPDATE of one
    // row): same outcome, same statement history. An engine may bind the
    // shape's values instead of reading them back from the literal text.
    virtual qint64 executeShape(const basKovaData::StatementShape& shape) { return execute(shape.Literal()); }
    // The number of rows the query returns.
    virtual qint64 countRows(const QString& sql) = 0;
    virtual void beginTransaction() = 0;
    virtual void commit() = 0;
    virtual void rollback() = 0;
    // True once the connection to the server is gone (a server stopped or a
    // network broken): nothing sent from then on can succeed or be committed.
    virtual bool connectionLost() const { return false; }
    // True when the last statement that failed did so because another
    // program holds the lock it needed, and did not let go of it in time.
    virtual bool lastErrorWasLock() const { return false; }
    // True when the last statement that failed did so because the database
    // cannot be written or read at all (a read-only file, a folder where its
    // journal cannot be made, a full disk, an I/O error, a damaged file):
    // no row can succeed, whatever its values.
    virtual bool lastErrorWasStorage() const { return false; }
    // The table `table` (`column` empty) or its column `column`, both named
    // as the dictionary views show them, as this database spells it. Here
    // the shown name is the database's own; a server whose dictionary shows
    // names in another case maps them back.
    virtual ServerName serverName(const QString& table, const QString& column)
    {
        const QString& shown = column.isEmpty() ? table : column;
        return {shown, basKovaData::SqlName(shown)};
    }
    // `sql` (with `parameters` markers) prepared for runs of many rows, or
    // none when this engine runs every statement on its own. Call it inside
    // a transaction.
    virtual std::unique_ptr<OraBatch> prepareBatch(const QString& sql, int parameters)
    {
        Q_UNUSED(sql);
        Q_UNUSED(parameters);
        return nullptr;
    }
};
