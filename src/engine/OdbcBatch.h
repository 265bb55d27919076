#pragma once
// Parameter arrays on an ODBC connection: one prepared statement, many rows of
// values bound column by column and sent in one SQLExecute. The server's own
// savepoint around each batch keeps a refused row from leaving half a batch
// behind: the caller then runs those rows one by one and learns which failed.
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
    // Binds `rows` rows of `values`; false (and unsupported() says why) when
    // the driver refuses a parameter.
    bool bind(const std::vector<basKovaData::SqlValue>& values, int rows);

    void* m_statement = nullptr;  // the prepared statement
    void* m_control = nullptr;    // savepoints
    ServerKind m_server = ServerKind::Other;
    int m_parameters = 0;
    std::function<bool()> m_connectionLost;
    QString m_unsupported;  // why the statement runs no batches, once it is known
    QString m_controlRefused;

    std::vector<char16_t> m_text;        // every parameter's values, column after column
    std::vector<long> m_lengths;         // bytes of each value, or the NULL mark
    std::vector<unsigned short> m_status;
    unsigned long m_processed = 0;
};
