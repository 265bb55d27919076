#pragma once
// The embedded engine: a SQLite database file behind Qt's QSQLITE driver, with
// the Oracle dialect installed on the native handle. Statements run on the
// native handle; DML texts that differ only in their literals share one
// compiled statement.
#include "engine/OraEngine.h"
#include "engine/oracle/OracleDialect.h"
#include "engine/SqlHistory.h"
#include "engine/SqlLexer.h"

#include <QSqlDatabase>

#include <list>
#include <set>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

class SqliteEngine : public OraEngine, public std::enable_shared_from_this<SqliteEngine> {
public:
    // Opens an existing database file; a missing file is an error, never a new
    // database. `user` is reported as the owner of the schema's objects.
    static std::shared_ptr<SqliteEngine> open(const QString& path, const QString& user);
    // Creates an empty database file (for the console's --create).
    static void createFile(const QString& path);

    ~SqliteEngine() override;
    SqliteEngine(const SqliteEngine&) = delete;
    SqliteEngine& operator=(const SqliteEngine&) = delete;

    std::unique_ptr<OraCursor> openCursor(const QString& sql) override;
    qint64 execute(const QString& sql) override;
    // Binds the shape's values to the statement compiled once for its text,
    // as the literal text's values would be bound; the history keeps the
    // shape and renders its literal text when read.
    qint64 executeShape(const basKovaData::StatementShape& shape) override;
    qint64 countRows(const QString& sql) override;
    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    bool lastErrorWasLock() const override { return m_lastErrorWasLock; }
    bool lastErrorWasStorage() const override { return m_lastErrorWasStorage; }

    sqlite3* handle() const { return m_handle; }

    // Turns the connection's last error into an EngineError with an Oracle number.
    [[noreturn]] void raise() const;
    // Steps a statement to its end; raises its error.
    void stepToDone(sqlite3_stmt* stmt) const;

private:
    SqliteEngine() = default;

    // Compiles `lexed`, from the statement cache where it can be shared, and
    // binds its literals. Returns true when the statement is cached (reset it
    // instead of finalizing it).
    bool prepare(const LexedStatement& lexed, sqlite3_stmt** stmt);
    // The cached statement of a shared text with `parameters` markers, compiled
    // when missing; none when the shared text does not compile as such.
    sqlite3_stmt* sharedStatement(const std::string& sharedText, std::size_t parameters);
    struct ShapePlan;
    ShapePlan& shapePlan(const QString& shapeText, const std::vector<qsizetype>& markers);
    // Whether the shape's bound row passes the row triggers untouched (see
    // InsertChecks), so that it may run without them.
    bool needsNoRowTriggers(ShapePlan& plan, const basKovaData::StatementShape& shape);
    // Drops the dialect's row triggers of `table` (TEMP objects, never in the
    // file) for the rows that need none; false when they stay.
    bool skipRowTriggers(const std::string& table);
    // Puts back what skipRowTriggers dropped: before any other statement
    // that may write and before the transaction ends.
    void restoreRowTriggers();
    bool bindShape(const ShapePlan& plan, const basKovaData::StatementShape& shape, sqlite3_stmt* stmt);
    sqlite3_stmt* prepareText(const std::string& text);
    void afterStatement(const LexedStatement& lexed);
    // Forgets the shape plans and reads the row triggers again, after a
    // statement that may have changed tables or triggers.
    void forgetPlans();
    // A MERGE, run as the statements that do its work; the rows merged.
    qint64 merge(const std::string& text);
    void exec(const char* sql);
    // SQLite's count of schema changes in the file.
    qint64 schemaVersion() const;

    QString m_connectionName;
    QSqlDatabase m_database;
    sqlite3* m_handle = nullptr;
    std::string m_owner;
    SqlHistory m_history;
    mutable bool m_lastErrorWasLock = false;
    mutable bool m_lastErrorWasStorage = false;

    // A shape text compiled with its values as parameters: the shared text,
    // and its parameters in order (literals of the text itself and the
    // shape's values, kind Value, whose `at` here is the value's number).
    struct ShapePlan {
        bool usable = false;
        std::string sharedText;
        std::vector<SqlLiteral> parameters;
        std::vector<qsizetype> markers;  // the shape's markers it was made for
        std::vector<bool> minusBefore;   // per value: the text has "-" just before it
        bool countsRows = false;
        bool triggered = false;  // its rows pass through row triggers
        bool checksRead = false;
        InsertChecks::Plan checks;  // read on first use
        int doubts = 0;             // rows that went through the triggers
    };
    // A plan whose rows went through the triggers this often keeps them on:
    // each change of course compiles the statement again.
    static constexpr int MaxDoubts = 16;
    std::set<std::string> m_skippingTables;
    std::vector<std::string> m_droppedTriggers;  // their CREATE statements

    struct CachedStatement {
        std::string text;
        sqlite3_stmt* stmt = nullptr;
    };
    static constexpr size_t CacheCapacity = 64;
    std::list<CachedStatement> m_cache;  // most recently used first
    std::unordered_map<std::string, std::list<CachedStatement>::iterator> m_cacheIndex;

    // The lexed form of the statement being executed; its buffers serve the
    // next statement, so that a run of INSERT texts allocates little.
    LexedStatement m_lexed;
    bool m_lexedInUse = false;

    // How each shape text runs, by shape text; the last one used at hand.
    std::unordered_map<QString, ShapePlan> m_shapePlans;
    const QString* m_lastShapeText = nullptr;
    ShapePlan* m_lastShapePlan = nullptr;
    std::vector<QByteArray> m_boundTexts;  // the UTF-8 of the bound text values
    std::vector<SqlLiteral> m_boundNumbers;  // the bound number values, without sign
    OracleTriggers::Kept m_triggers;  // the enabled row triggers of the schema
};
