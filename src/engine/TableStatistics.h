#pragma once
// ANALYZE TABLE t COMPUTE STATISTICS | ESTIMATE STATISTICS [SAMPLE n ROWS|PERCENT]
// | DELETE STATISTICS on the embedded engine: the figures that USER_TABLES
// shows (NUM_ROWS, BLOCKS, EMPTY_BLOCKS, AVG_SPACE, CHAIN_CNT, AVG_ROW_LEN,
// SAMPLE_SIZE, LAST_ANALYZED) are kept in the statistics table of the file.
// Blocks are 8192 bytes, filled to 90%, allocated in extents of eight.
struct sqlite3;
struct LexedStatement;
class SqliteEngine;

namespace TableStatistics {

bool IsAnalyzeTable(const LexedStatement& lexed);

// Runs the statement; throws EngineError. Returns true when it created the
// statistics table (the dictionary views must then be built again).
bool Analyze(sqlite3* db, const LexedStatement& lexed, const SqliteEngine& engine);

}  // namespace TableStatistics
