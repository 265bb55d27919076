#include "engine/TableStatistics.h"

#include "engine/ColumnStatistics.h"
#include "engine/EngineError.h"
#include "engine/oracle/OracleDialect.h"
#include "engine/SqlLexer.h"
#include "engine/SqliteEngine.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <cstdlib>

namespace TableStatistics {

namespace {

constexpr double BlockBytes = 8192;
constexpr double UsableBlockBytes = BlockBytes * 0.9;

struct Request {
    std::string table;
    enum class Action { Compute, Estimate, Delete } action = Action::Compute;
    long long sampleRows = 0;     // ESTIMATE ... SAMPLE n ROWS
    double samplePercent = 0;     // ESTIMATE ... SAMPLE n PERCENT
};

bool IsWord(const SqlToken& token, const char* word)
{
    return token.kind == SqlToken::Kind::Word && token.text == word;
}

bool ParseRequest(const LexedStatement& lexed, Request* request)
{
    if (lexed.headCount < 5 || !IsWord(lexed.head[0], "ANALYZE") || !IsWord(lexed.head[1], "TABLE"))
        return false;
    int i = 2;
    auto isName = [&](int at) {
        return at < lexed.headCount
               && (lexed.head[at].kind == SqlToken::Kind::Word
                   || lexed.head[at].kind == SqlToken::Kind::QuotedName);
    };
    if (!isName(i))
        return false;
    request->table = lexed.head[i++].text;
    // schema.table: the schema is the logged-in user's.
    if (i + 1 < lexed.headCount && lexed.head[i].text == "." && isName(i + 1)) {
        request->table = lexed.head[i + 1].text;
        i += 2;
    }
    if (i + 1 >= lexed.headCount || !IsWord(lexed.head[i + 1], "STATISTICS"))
        return false;
    if (IsWord(lexed.head[i], "COMPUTE"))
        request->action = Request::Action::Compute;
    else if (IsWord(lexed.head[i], "ESTIMATE"))
        request->action = Request::Action::Estimate;
    else if (IsWord(lexed.head[i], "DELETE"))
        request->action = Request::Action::Delete;
    else
        return false;
    i += 2;
    if (request->action == Request::Action::Estimate && i + 2 < lexed.headCount
        && IsWord(lexed.head[i], "SAMPLE") && lexed.head[i + 1].kind == SqlToken::Kind::Number) {
        const double n = std::strtod(lexed.head[i + 1].text.c_str(), nullptr);
        if (IsWord(lexed.head[i + 2], "PERCENT"))
            request->samplePercent = n;
        else  // a count beyond any table's means every row
            request->sampleRows = n >= 9e18 ? std::numeric_limits<long long>::max()
                                  : n > 0   ? static_cast<long long>(n)
                                            : 0;
    }
    return true;
}

}  // namespace

bool IsAnalyzeTable(const LexedStatement& lexed)
{
    Request request;
    return ParseRequest(lexed, &request);
}

namespace {

bool Run(sqlite3* db, const Request& request, const SqliteEngine& engine)
{
    std::string table;
    {
        Statement find(db, "SELECT name FROM main.sqlite_master WHERE type = 'table' AND "
                           "upper(name) = upper(" + OracleDialect::QuoteText(request.table) + ")", engine);
        if (!find.step())
            throw EngineError(QStringLiteral("ORA-00942: table or view does not exist"));
        table = reinterpret_cast<const char*>(sqlite3_column_text(find.get(), 0));
    }
    std::string key = table;
    for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    bool created = false;
    {
        Statement exists(db, "SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = "
                             "'KOVA$TABLE_STATISTICS'", engine);
        if (!exists.step()) {
            if (request.action == Request::Action::Delete)
                return false;
            Statement create(db, "CREATE TABLE main.\"KOVA$TABLE_STATISTICS\" (TABLE_NAME TEXT "
                                 "PRIMARY KEY, NUM_ROWS NUMBER, BLOCKS NUMBER, EMPTY_BLOCKS NUMBER, "
                                 "AVG_SPACE NUMBER, CHAIN_CNT NUMBER, AVG_ROW_LEN NUMBER, "
                                 "SAMPLE_SIZE NUMBER, LAST_ANALYZED DATE)", engine);
            create.step();
            created = true;
        }
    }
    created = CreateColumnTables(db, engine) || created;
    if (request.action == Request::Action::Delete) {
        DeleteColumns(db, key, engine);
        Statement remove(db, "DELETE FROM main.\"KOVA$TABLE_STATISTICS\" WHERE TABLE_NAME = "
                             + OracleDialect::QuoteText(key), engine);
        remove.step();
        return created;
    }

    std::string rowBytes = "3";
    {
        Statement columns(db, "SELECT name, type FROM pragma_table_info("
                                  + OracleDialect::QuoteText(table) + ", 'main')", engine);
        while (columns.step()) {
            const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(columns.get(), 0));
            const auto* declared = reinterpret_cast<const char*>(sqlite3_column_text(columns.get(), 1));
            rowBytes += " + 1 + " + StoredBytes(name, ParseDeclaredType(declared ? declared : ""));
        }
    }
    const std::string quoted = "main." + OracleDialect::QuoteName(table);
    long long rows = 0;
    {
        Statement count(db, "SELECT COUNT(*) FROM " + quoted, engine);
        count.step();
        rows = sqlite3_column_int64(count.get(), 0);
    }
    long long sample = rows;
    if (request.action == Request::Action::Estimate) {
        if (request.samplePercent > 0)
            sample = std::llround(static_cast<double>(rows) * std::min(request.samplePercent, 100.0) / 100.0);
        else
            sample = std::min(rows, request.sampleRows > 0 ? request.sampleRows : 1064LL);
    }
    double averageRow = 0;
    {
        Statement average(db, "SELECT AVG(" + rowBytes + ") FROM (SELECT * FROM " + quoted
                                  + " LIMIT " + std::to_string(sample) + ")", engine);
        average.step();
        averageRow = sqlite3_column_double(average.get(), 0);
    }
    const long long averageRowLength = std::llround(averageRow);
    const double totalBytes = static_cast<double>(rows) * static_cast<double>(averageRowLength);
    const long long blocks = rows == 0 ? 0 : static_cast<long long>(std::ceil(totalBytes / UsableBlockBytes));
    const long long emptyBlocks = (8 - blocks % 8) % 8;
    const long long averageSpace =
        blocks == 0 ? 0 : std::llround((static_cast<double>(blocks) * BlockBytes - totalBytes) / static_cast<double>(blocks));

    Statement store(db, "INSERT OR REPLACE INTO main.\"KOVA$TABLE_STATISTICS\" VALUES ("
                            + OracleDialect::QuoteText(key) + ", " + std::to_string(rows) + ", "
                            + std::to_string(blocks) + ", " + std::to_string(emptyBlocks) + ", "
                            + std::to_string(averageSpace) + ", 0, " + std::to_string(averageRowLength)
                            + ", " + std::to_string(sample) + ", SYSDATE())", engine);
    store.step();
    AnalyzeColumns(db, table, key, rows, sample, engine);
    return created;
}

}  // namespace

bool Analyze(sqlite3* db, const LexedStatement& lexed, const SqliteEngine& engine)
{
    Request request;
    if (!ParseRequest(lexed, &request))
        throw EngineError(QStringLiteral("ORA-01490: invalid ANALYZE command"));
    // All the figures of the table, or none.
    Statement(db, "SAVEPOINT KOVA_ANALYZE", engine).step();
    try {
        const bool created = Run(db, request, engine);
        Statement(db, "RELEASE KOVA_ANALYZE", engine).step();
        return created;
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK TO KOVA_ANALYZE; RELEASE KOVA_ANALYZE", nullptr, nullptr, nullptr);
        throw;
    }
}

}  // namespace TableStatistics
