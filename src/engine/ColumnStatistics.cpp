#include "engine/ColumnStatistics.h"

#include "engine/EngineError.h"
#include "engine/OracleStatBytes.h"
#include "engine/oracle/OracleDialect.h"
#include "engine/SqliteEngine.h"

#include <sqlite3.h>

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace TableStatistics {

Statement::Statement(sqlite3* db, const std::string& sql, const SqliteEngine& engine) : m_engine(engine)
{
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &m_stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        engine.raise();
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        m_engine.raise();
    return rc == SQLITE_ROW;
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

std::string StoredBytes(const std::string& column, const OracleColumnType& type)
{
    const std::string c = OracleDialect::QuoteName(column);
    switch (type.family) {
    case OracleColumnType::Family::Date:
        return "(CASE WHEN " + c + " IS NULL THEN 0 ELSE 7 END)";
    case OracleColumnType::Family::Numeric:
        return "(CASE WHEN " + c + " IS NULL THEN 0 ELSE (length(CAST(" + c
               + " AS TEXT)) + 1) / 2 + 1 END)";
    default:
        return "ifnull(LENGTHB(" + c + "), 0)";
    }
}

namespace {

// Oracle keeps at most 32 bytes of a text's smallest and largest value; a
// character is never cut.
constexpr qsizetype MaxTextBytes = 32;

// One value read, with its rows.
struct Value {
    double number = 0;
    QString text;
    long long rows = 0;
};

struct Endpoint {
    std::size_t value = 0;  // in the values, in order
    long long cumulative = 0;
};

QByteArray TextPrefix(const QString& text)
{
    QByteArray bytes = oraclebytes::TextBytes(text);
    if (bytes.size() > MaxTextBytes) {
        qsizetype end = MaxTextBytes;
        while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
            --end;  // the next byte continues a character
        bytes.truncate(end);
    }
    return bytes;
}

QDateTime StoredDate(const QString& text)
{
    const QDateTime local = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return local.isValid() ? QDateTime(local.date(), local.time(), Qt::UTC) : QDateTime();
}

std::optional<double> EndpointValue(const Value& value, OracleColumnType::Family family)
{
    switch (family) {
    case OracleColumnType::Family::Numeric:
        return value.number;
    case OracleColumnType::Family::Date: {
        const QDateTime date = StoredDate(value.text);
        if (!date.isValid())
            return std::nullopt;
        return double(date.toSecsSinceEpoch()) / 86400.0 + 2440588.0;  // 1970-01-01 is day 2440588
    }
    default: {
        // The first seven bytes, big-endian: exact in a double, and in the
        // order of the texts.
        const QByteArray bytes = oraclebytes::TextBytes(value.text);
        double number = 0;
        for (qsizetype i = 0; i < 7; ++i)
            number = number * 256 + (i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0);
        return number;
    }
    }
}

QString ActualValue(const Value& value, OracleColumnType::Family family)
{
    if (family != OracleColumnType::Family::Numeric)
        return value.text;
    return QString::number(value.number, 'g', QLocale::FloatingPointShortest);
}

QString Bound(const Value& value, OracleColumnType::Family family)
{
    switch (family) {
    case OracleColumnType::Family::Numeric:
        return oraclebytes::ToHex(oraclebytes::NumberBytes(value.number));
    case OracleColumnType::Family::Date:
        return oraclebytes::ToHex(oraclebytes::DateBytes(StoredDate(value.text)));
    default:
        return oraclebytes::ToHex(TextPrefix(value.text));
    }
}

// The endpoints of a hybrid histogram over `values` (ordered, `total` rows):
// the smallest value alone, then buckets closed at the first value that
// brings them to total / (MaxEndpoints - 1) rows, the largest value last. A
// bucket other than the last takes at least that many of the rows after the
// first value and before the last, so at most MaxEndpoints - 2 of them fit.
std::vector<Endpoint> HybridEndpoints(const std::vector<Value>& values, long long total)
{
    std::vector<Endpoint> endpoints;
    const double bucketRows = double(total) / double(MaxEndpoints - 1);
    long long cumulative = 0;
    long long closed = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        cumulative += values[i].rows;
        if (i == 0 || i + 1 == values.size() || double(cumulative - closed) >= bucketRows) {
            endpoints.push_back({i, cumulative});
            closed = cumulative;
        }
    }
    return endpoints;
}

// Names in capitals as SQLite's upper() makes them: a-z only.
QString AsciiUpper(const std::string& name)
{
    std::string upper = name;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return QString::fromStdString(upper);
}

void Bind(sqlite3_stmt* stmt, int index, const QString& text)
{
    if (text.isNull()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

}  // namespace

bool CreateColumnTables(sqlite3* db, const SqliteEngine& engine)
{
    bool created = false;
    const auto create = [&](const char* name, const std::string& columns) {
        Statement exists(db, std::string("SELECT 1 FROM main.sqlite_master WHERE type = 'table' AND name = '") + name
                                 + "'", engine);
        if (exists.step())
            return;
        Statement make(db, std::string("CREATE TABLE main.\"") + name + "\" (" + columns + ")", engine);
        make.step();
        created = true;
    };
    create("KOVA$COLUMN_STATISTICS",
           "TABLE_NAME TEXT, COLUMN_NAME TEXT, NUM_DISTINCT NUMBER, LOW_VALUE TEXT, HIGH_VALUE TEXT, "
           "DENSITY NUMBER, NUM_NULLS NUMBER, NUM_BUCKETS NUMBER, LAST_ANALYZED DATE, SAMPLE_SIZE NUMBER, "
           "AVG_COL_LEN NUMBER, HISTOGRAM TEXT, PRIMARY KEY (TABLE_NAME, COLUMN_NAME)");
    create("KOVA$HISTOGRAMS",
           "TABLE_NAME TEXT, COLUMN_NAME TEXT, ENDPOINT_NUMBER NUMBER, ENDPOINT_VALUE NUMBER, "
           "ENDPOINT_ACTUAL_VALUE TEXT, ENDPOINT_REPEAT_COUNT NUMBER, "
           "PRIMARY KEY (TABLE_NAME, COLUMN_NAME, ENDPOINT_NUMBER)");
    return created;
}

void DeleteColumns(sqlite3* db, const std::string& key, const SqliteEngine& engine)
{
    for (const char* table : {"KOVA$COLUMN_STATISTICS", "KOVA$HISTOGRAMS"}) {
        Statement remove(db, std::string("DELETE FROM main.\"") + table + "\" WHERE TABLE_NAME = "
                                 + OracleDialect::QuoteText(key), engine);
        remove.step();
    }
}

void AnalyzeColumns(sqlite3* db, const std::string& table, const std::string& key, long long rows,
                    long long sample, const SqliteEngine& engine)
{
    DeleteColumns(db, key, engine);
    struct Column {
        std::string name;
        OracleColumnType type;
    };
    std::vector<Column> columns;
    {
        Statement read(db, "SELECT name, type FROM pragma_table_info(" + OracleDialect::QuoteText(table)
                               + ", 'main')", engine);
        while (read.step()) {
            const auto* declared = reinterpret_cast<const char*>(sqlite3_column_text(read.get(), 1));
            columns.push_back({reinterpret_cast<const char*>(sqlite3_column_text(read.get(), 0)),
                               ParseDeclaredType(declared ? declared : "")});
        }
    }
    Statement figures(db, "INSERT INTO main.\"KOVA$COLUMN_STATISTICS\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, "
                          "SYSDATE(), ?9, ?10, ?11)", engine);
    Statement endpoint(db, "INSERT INTO main.\"KOVA$HISTOGRAMS\" VALUES (?1, ?2, ?3, ?4, ?5, ?6)", engine);
    const QString tableKey = QString::fromStdString(key);
    const std::string source = "main." + OracleDialect::QuoteName(table);
    for (const Column& column : columns) {
        const std::string c = OracleDialect::QuoteName(column.name);
        const OracleColumnType::Family family = column.type.family;
        const bool ordered = family == OracleColumnType::Family::Numeric || family == OracleColumnType::Family::Date
                             || family == OracleColumnType::Family::Character;
        // One pass: the values read, in order, with their rows and bytes.
        Statement read(db, "SELECT " + c + ", count(*), " + StoredBytes(column.name, column.type) + " FROM (SELECT "
                               + c + " FROM " + source + " LIMIT " + std::to_string(sample) + ") GROUP BY 1 ORDER BY 1",
                       engine);
        std::vector<Value> values;
        long long nulls = 0;
        long long valueRows = 0;
        double bytes = 0;
        while (read.step()) {
            const long long count = sqlite3_column_int64(read.get(), 1);
            bytes += double(count) * sqlite3_column_double(read.get(), 2);
            if (sqlite3_column_type(read.get(), 0) == SQLITE_NULL) {
                nulls += count;
                continue;
            }
            Value value;
            value.rows = count;
            if (family == OracleColumnType::Family::Numeric)
                value.number = sqlite3_column_double(read.get(), 0);
            else if (ordered)
                value.text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(read.get(), 0)),
                                               sqlite3_column_bytes(read.get(), 0));
            valueRows += count;
            values.push_back(std::move(value));
        }
        const long long scaledNulls =
            sample > 0 && sample < rows ? std::llround(double(nulls) * double(rows) / double(sample)) : nulls;
        const auto distinct = static_cast<long long>(values.size());
        // A sample's count of values stands for the table's as Haas and
        // Stokes estimate it, n d / (n - f1 + f1 n / N): d values in the
        // sample's n rows, f1 of them once, of N rows in all.
        long long numDistinct = distinct;
        if (sample > 0 && sample < rows && valueRows > 0) {
            const double n = double(valueRows);
            const double all = std::max(n, double(rows - scaledNulls));
            const double once = double(std::count_if(values.begin(), values.end(),
                                                     [](const Value& value) { return value.rows == 1; }));
            const double estimate = n * double(distinct) / (n - once + once * n / all);
            numDistinct = std::clamp(std::llround(estimate), distinct, std::llround(all));
        }
        QString histogram = QStringLiteral("NONE");
        std::vector<Endpoint> endpoints;
        if (ordered && distinct > 0 && distinct <= MaxEndpoints) {
            histogram = QStringLiteral("FREQUENCY");
            long long cumulative = 0;
            for (std::size_t i = 0; i < values.size(); ++i)
                endpoints.push_back({i, cumulative += values[i].rows});
        } else if (ordered && distinct > 0) {
            histogram = QStringLiteral("HYBRID");
            endpoints = HybridEndpoints(values, valueRows);
        }
        const double density = distinct == 0            ? 0
                               : histogram == u"FREQUENCY" ? 0.5 / double(valueRows)
                                                           : 1.0 / double(numDistinct);
        sqlite3_stmt* f = figures.get();
        Bind(f, 1, tableKey);
        Bind(f, 2, AsciiUpper(column.name));
        sqlite3_bind_int64(f, 3, numDistinct);
        if (ordered && distinct > 0) {
            Bind(f, 4, Bound(values.front(), family));
            Bind(f, 5, Bound(values.back(), family));
        }
        sqlite3_bind_double(f, 6, density);
        sqlite3_bind_int64(f, 7, scaledNulls);
        sqlite3_bind_int64(f, 8, static_cast<long long>(endpoints.size()));
        sqlite3_bind_int64(f, 9, valueRows);
        sqlite3_bind_int64(f, 10, sample > 0 && valueRows > 0 ? std::llround(std::ceil(bytes / double(sample))) + 1 : 0);
        Bind(f, 11, histogram);
        figures.step();
        figures.reset();
        for (const Endpoint& point : endpoints) {
            const Value& value = values[point.value];
            sqlite3_stmt* e = endpoint.get();
            Bind(e, 1, tableKey);
            Bind(e, 2, AsciiUpper(column.name));
            sqlite3_bind_int64(e, 3, point.cumulative);
            if (const std::optional<double> number = EndpointValue(value, family))
                sqlite3_bind_double(e, 4, *number);
            Bind(e, 5, ActualValue(value, family));
            sqlite3_bind_int64(e, 6, histogram == u"HYBRID" ? value.rows : 0);
            endpoint.step();
            endpoint.reset();
        }
    }
}

}  // namespace TableStatistics
