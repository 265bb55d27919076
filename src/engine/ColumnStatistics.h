#pragma once
// The column figures and histograms that ANALYZE TABLE keeps beside the
// table's own (TableStatistics), shown as Oracle shows them in
// USER_TAB_COL_STATISTICS and USER_HISTOGRAMS:
// - NUM_DISTINCT, NUM_NULLS (scaled to the table when a sample was read),
//   LOW_VALUE and HIGH_VALUE (Oracle's byte forms in hexadecimal: NUMBER,
//   DATE, the text's UTF-8 bytes, at most 32 of them), DENSITY, NUM_BUCKETS,
//   SAMPLE_SIZE (the non-NULL values read), AVG_COL_LEN, HISTOGRAM;
// - FREQUENCY when the values read hold at most 254 distinct ones: a row per
//   value, ENDPOINT_NUMBER counting the values up to and including it;
// - else HYBRID: at most 254 endpoints, the smallest value first, each the
//   largest value of a bucket of about equal rows, a value never split, with
//   ENDPOINT_REPEAT_COUNT the rows of the endpoint's own value;
// - ENDPOINT_VALUE: the number; a DATE's Julian day with the day's fraction;
//   a text's first seven UTF-8 bytes as a number. ENDPOINT_ACTUAL_VALUE: the
//   value as text (dates "YYYY-MM-DD HH24:MI:SS").
// NUMBER columns are read as doubles; columns of other types get only
// NUM_DISTINCT, NUM_NULLS and AVG_COL_LEN.
#include <string>

struct sqlite3;
struct sqlite3_stmt;
class SqliteEngine;
struct OracleColumnType;

namespace TableStatistics {

class Statement {
public:
    Statement(sqlite3* db, const std::string& sql, const SqliteEngine& engine);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return m_stmt; }
    // A row to read (true) or the end; throws EngineError on an error.
    bool step();
    // Ready to bind and step again.
    void reset();

private:
    const SqliteEngine& m_engine;
    sqlite3_stmt* m_stmt = nullptr;
};

// Bytes a column's value takes in an Oracle row (SQL over the column).
std::string StoredBytes(const std::string& column, const OracleColumnType& type);

// Creates the engine's tables of column figures and histograms where missing:
// true when it created one.
bool CreateColumnTables(sqlite3* db, const SqliteEngine& engine);
// Forgets the figures of the table `key` (its name in capitals).
void DeleteColumns(sqlite3* db, const std::string& key, const SqliteEngine& engine);
// Reads the first `sample` rows of `table` (of `rows`) and keeps its columns'
// figures under `key`.
void AnalyzeColumns(sqlite3* db, const std::string& table, const std::string& key, long long rows,
                    long long sample, const SqliteEngine& engine);

// The greatest number of histogram endpoints (Oracle's default).
inline constexpr int MaxEndpoints = 254;

}  // namespace TableStatistics
