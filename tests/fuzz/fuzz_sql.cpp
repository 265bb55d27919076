// Any text as a statement: the lexer with its Oracle rewrites and literal
// sharing, the view body reader, and the embedded engine's whole statement
// path (ANALYZE, the dictionary views, V$SQL, the dialect's functions and
// triggers) on a small schema, each statement inside a transaction that is
// rolled back.
#include "FuzzCheck.h"
#include "engine/EngineError.h"
#include "engine/oracle/OracleDdl.h"
#include "engine/SqlLexer.h"
#include "engine/SqliteEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <memory>

namespace {

const char* const Schema[] = {
    "CREATE TABLE DEPT (DEPTNO NUMBER(2) PRIMARY KEY, DNAME VARCHAR2(14) NOT NULL, LOC CHAR(13))",
    ("CREATE TABLE EMP (EMPNO NUMBER(4) PRIMARY KEY, ENAME VARCHAR2(10) NOT NULL, SAL NUMBER(7,2), "
     "HIREDATE DATE, PHOTO RAW(16), DEPTNO NUMBER(2) REFERENCES DEPT (DEPTNO), UNIQUE (ENAME, DEPTNO))"),
    "CREATE VIEW EMP_DEPT AS SELECT E.ENAME, D.DNAME FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO",
    "INSERT INTO DEPT VALUES (10, 'ACCOUNTING', 'NEW YORK')",
    "INSERT INTO DEPT VALUES (20, '研究', NULL)",
    "INSERT INTO EMP VALUES (7369, 'SMITH', 800, TO_DATE('19801217', 'YYYYMMDD'), NULL, 20)",
    "INSERT INTO EMP VALUES (7499, 'ALLEN', 1600.5, SYSDATE, NULL, 10)",
    "ANALYZE TABLE DEPT COMPUTE STATISTICS",
    // INSERT and UPDATE of EMP run through a row trigger.
    ("CREATE TRIGGER EMP_TRG BEFORE INSERT OR UPDATE ON EMP FOR EACH ROW BEGIN IF :NEW.SAL IS NULL THEN "
     ":NEW.SAL := 0; ELSE :NEW.SAL := :NEW.SAL + 0; END IF; END;"),
};

// Statements that reach past the transaction (other files, connection
// settings) would make one input change the next one's database.
const char* const OutsideWords[] = {"ATTACH", "DETACH", "VACUUM", "PRAGMA"};

// A statement's budget of virtual machine steps, in thousands.
constexpr int StepBudget = 20000;
int g_steps = 0;

int CountSteps(void*)
{
    return ++g_steps > StepBudget ? 1 : 0;
}

struct Database {
    QTemporaryDir dir;
    std::shared_ptr<SqliteEngine> engine;
    long long schemaVersion = 0;

    long long currentSchemaVersion() const
    {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(engine->handle(), "PRAGMA schema_version", -1, &stmt, nullptr);
        const long long version = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
        sqlite3_finalize(stmt);
        return version;
    }

    void open()
    {
        engine.reset();
        const QString path = dir.filePath(QStringLiteral("fuzz.db"));
        QFile::remove(path);
        SqliteEngine::createFile(path);
        engine = SqliteEngine::open(path, QStringLiteral("scott"));
        for (const char* statement : Schema)
            engine->execute(QString::fromUtf8(statement));
        sqlite3_limit(engine->handle(), SQLITE_LIMIT_LENGTH, 1 << 20);
        sqlite3_progress_handler(engine->handle(), 1000, CountSteps, nullptr);
        schemaVersion = currentSchemaVersion();
    }
};

Database* g_database = nullptr;

bool ReachesOutside(std::string_view text)
{
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    return std::any_of(std::begin(OutsideWords), std::end(OutsideWords),
                       [&upper](const char* word) { return upper.find(word) != std::string::npos; });
}

void Lex(std::string_view text)
{
    const LexedStatement fresh = LexStatement(text);
    // The engine lexes every statement into the buffers of the one before.
    static LexedStatement reused;
    LexStatement(text, &reused);
    FuzzExpect(reused.text == fresh.text && reused.sharedText == fresh.sharedText
                   && reused.headCount == fresh.headCount && reused.trailingStatement == fresh.trailingStatement
                   && reused.literals.size() == fresh.literals.size(),
               "a statement lexes alike into used buffers");
    for (std::size_t i = 0; i < fresh.literals.size(); ++i)
        FuzzExpect(reused.literals[i].text == fresh.literals[i].text && reused.literals[i].kind == fresh.literals[i].kind,
                   "literals lex alike into used buffers");
    for (int i = 0; i < fresh.headCount; ++i)
        FuzzExpect(reused.head[std::size_t(i)].text == fresh.head[std::size_t(i)].text, "heads lex alike");
    FuzzExpect(fresh.sharedText.empty() == fresh.literals.empty(), "a shared text has its literals");
    (void)ViewQueryText(text);
    for (const CheckClause& check : CheckClauses(text))
        FuzzExpect(text.find(check.condition) != std::string_view::npos, "a CHECK condition is text of the statement");
    (void)ExpressionTokens(text);
    (void)OracleDdl::Translate(text);
    for (const OracleDdl::Constraint& c : OracleDdl::TableConstraints(text)) {
        FuzzExpect(c.begin <= c.end && c.end <= text.size() && (c.comma == std::string::npos || c.comma < c.begin),
                   "a constraint's clause is text of the statement");
        (void)OracleDdl::WithoutClause(text, c);
    }
    (void)OracleDdl::SelectListNames(text);
}

void Run(SqliteEngine& engine, const QString& sql, const std::string& firstWord)
{
    try {
        engine.execute(sql);
    } catch (const EngineError&) {
    }
    if (firstWord != "SELECT" && firstWord != "WITH")
        return;
    try {
        (void)engine.countRows(sql);
    } catch (const EngineError&) {
    }
    try {
        const std::unique_ptr<OraCursor> cursor = engine.openCursor(sql);
        for (int row = 0; row < 100 && !cursor->atEnd(); ++row) {
            for (int column = 0; column < cursor->columnCount(); ++column)
                (void)cursor->value(column).toString();
            cursor->next();
        }
    } catch (const EngineError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication application(*argc, *argv);
    static Database database;
    g_database = &database;
    FuzzExpect(g_database->dir.isValid(), "a temporary folder");
    g_database->open();
    // The engine goes before Qt's table of connections, made after it.
    std::atexit([] { g_database->engine.reset(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Lex(text);
    if (ReachesOutside(text))
        return -1;

    SqliteEngine& engine = *g_database->engine;
    g_steps = 0;
    engine.beginTransaction();
    Run(engine, QString::fromUtf8(text.data(), qsizetype(size)), LexStatement(text).firstWord());
    if (sqlite3_get_autocommit(engine.handle())) {
        // The statement ended the transaction (COMMIT, END, ROLLBACK): start afresh.
        g_database->open();
        return 0;
    }
    try {
        engine.rollback();
    } catch (const EngineError&) {
        g_database->open();
        return 0;
    }
    // DDL that rebuilds a table commits as it goes, as on Oracle.
    if (g_database->currentSchemaVersion() != g_database->schemaVersion)
        g_database->open();
    return 0;
}
