#pragma once
// Batches on an ODBC connection: one prepared statement, many rows of values
// sent in one SQLExecute. Oracle gets parameter arrays (its own array DML);
// an INSERT for PostgreSQL, whose driver runs an array one row at a time on
// the server, becomes one INSERT ... VALUES (...), (...) of the batch's rows.
// The server's own savepoint around each batch keeps a refused row from
// leaving half a batch behind: the caller then runs those rows one by one and
// learns which failed.
#include "engine/OraEngine.h"
#include "engine/ServerDialect.h"

#include <functional>

class OdbcBatch : public OraBatch {
public:
    // True when the driver runs parameter arrays and reports an outcome per
    // row (SQLGetInfo SQL_PARAM_ARRAY_ROW_COUNTS gives SQL_PARC_BATCH).
    static bool DriverSupportsArrays(void* connection);

    // `sql` prepared on `connection` (an ODBC connection handle); none when
    // the driver refuses the statement handle or parameter arrays.
    // `connectionLost` tells a lost server from a refused row.
    static std::unique_ptr<OdbcBatch> prepare(void* connection, ServerKind server, const QString& sql,
                                              int parameters, std::function<bool()> connectionLost);
    ~OdbcBatch() override;
    OdbcBatch(const OdbcBatch&) = delete;
    OdbcBatch& operator=(const OdbcBatch&) = delete;

    Outcome run(const std::vector<basKovaData::SqlValue>& values, int rows) override;
    QString unsupported() const override { return m_unsupported; }

private:
    OdbcBatch() = default;
    // Runs a statement without parameters on the second handle; false when
    // the server refused it (m_controlRefused then says why).
    bool control(const QString& sql);
    [[noreturn]] void raise(void* statement) const;
    // Throws the lost connection with the driver's `diagnostics`.
    [[noreturn]] void raiseLost(const QString& diagnostics) const;
    // Lays out `rows` rows of `values` in m_text and m_lengths, a column of
    // cells per parameter.
    void layOut(const std::vector<basKovaData::SqlValue>& values, int rows);
    // Binds the laid-out rows as parameter arrays; false (and unsupported()
    // says why) when the driver refuses them.
    bool bindArrays(int rows);
    // Rows of one multi-row INSERT: as many as keep it within the server's
    // parameters.
    int rowsPerStatement(int rows) const;
    // Binds `count` laid-out rows from `first` to a multi-row INSERT; false
    // (and `problem` says why) when the driver refuses a parameter.
    bool bindRows(void* statement, int first, int count, int rows, QString* problem);
    // Runs the laid-out rows as multi-row INSERTs, the first ones bound;
    // false when the server refused one.
    bool runMultiRow(int rows, QString* diagnostics);
    // The prepared INSERT of `rows` rows; none when the driver refuses it.
    void* multiRowStatement(int rows);

    void* m_statement = nullptr;  // the prepared statement
    void* m_connection = nullptr;
    QString m_head;   // a multi-row INSERT: the text before its row of values,
    QString m_tuple;  // and that row, "(?, ...)"; empty for parameter arrays
    std::vector<std::pair<int, void*>> m_multiRow;  // prepared per row count
    void* m_control = nullptr;    // savepoints
    ServerKind m_server = ServerKind::Other;
    int m_parameters = 0;
    std::function<bool()> m_connectionLost;
    QString m_unsupported;  // why the statement runs no batches, once it is known
    QString m_controlRefused;

    std::vector<char16_t> m_text;        // every parameter's values, column after column
    std::vector<long> m_lengths;         // bytes of each value, or the NULL mark
    std::vector<qsizetype> m_widths;     // cells of each parameter's column
    std::vector<unsigned short> m_status;
    unsigned long m_processed = 0;
};
