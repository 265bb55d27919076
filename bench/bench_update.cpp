// A row-by-row update run (UpdateRows without its window) of N rows: a
// sequence on a non-key column of a table with a numeric key, one UPDATE text
// per row through ExecuteSql in one transaction. In the same run the same
// rows are updated in a plain SQLite file through one prepared statement with
// bound values, as the reference. Prints rows per second, the ratio and the
// memory.
//
//   bench_update [rows]        (default 100000)
#include "browser/ColumnGrid.h"
#include "controls/GridModel.h"
#include "maintain/UpdateRun.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "engine/SqliteEngine.h"

#include "BenchMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const CreateTable = "CREATE TABLE BENCH (ID NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20), QTY NUMBER(9))";

void Fail(const char* what)
{
    std::fprintf(stderr, "%s\n", what);
    std::exit(1);
}

void Exec(sqlite3* db, const char* sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(sqlite3_errmsg(db));
}

// The table with `rows` rows, written straight through SQLite.
void Fill(const QString& path, int rows)
{
    SqliteEngine::createFile(path);
    if (basKovaData::OpenOracleDatabase(path, QStringLiteral("bench/bench"),
                                        QLatin1String(basKovaData::OraSessionProgId)))
        Fail("cannot open the database");
    basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), QString::fromLatin1(CreateTable));
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        Fail("cannot open the file");
    Exec(db, "BEGIN");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO BENCH VALUES (?, ?, 0)", -1, &insert, nullptr);
    for (int i = 1; i <= rows; ++i) {
        const QByteArray name = "name " + QByteArray::number(i);
        sqlite3_bind_int(insert, 1, i);
        sqlite3_bind_text(insert, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(insert) != SQLITE_DONE)
            Fail(sqlite3_errmsg(db));
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

struct RunResult {
    double seconds = 0;
    qint64 rows = 0;
    qint64 errors = 0;
    long rssHalfKiB = 0;
    long rssEndKiB = 0;
};

RunResult RunUpdate(const QString& path, int rows)
{
    if (basKovaData::OpenOracleDatabase(path, QStringLiteral("bench/bench"),
                                        QLatin1String(basKovaData::OraSessionProgId)))
        Fail("cannot open the database");
    controls::GridModel grid;
    browser::FillColumnGrid(basKovaData::OraDatabase.get(), grid, QStringLiteral("BENCH"), true);
    basKovaData::ColumnRule& qty = basKovaData::ColumnRules[3];
    qty.RuleKind = QStringLiteral("3");
    qty.NumValue[0] = 1000;
    qty.NumValue[1] = 1;

    RunResult result;
    maintain::UpdateHooks hooks;
    hooks.progress = [&](int twips) {
        if (!result.rssHalfKiB && twips >= maintain::UpdateProgressFullTwips / 2 && rows > 1)
            result.rssHalfKiB = CurrentRssKiB();
    };
    QElapsedTimer timer;
    timer.start();
    const maintain::UpdateResult run = maintain::UpdateRows(basKovaData::TableRules::FromShared(QStringLiteral("BENCH")), QString(), hooks);
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    result.rssEndKiB = CurrentRssKiB();
    if (run.outcome != maintain::UpdateOutcome::Done)
        Fail(qPrintable(QStringLiteral("update failed: ") + run.errorText));
    result.rows = run.rows;
    result.errors = run.errors;
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    return result;
}

double RunReference(const QString& path, int rows)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        Fail("cannot open the file");
    QElapsedTimer timer;
    timer.start();
    Exec(db, "BEGIN");
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db, "UPDATE BENCH SET QTY = ? WHERE ID = ?", -1, &update, nullptr);
    for (int i = 1; i <= rows; ++i) {
        sqlite3_bind_int(update, 1, 2000 + i);
        sqlite3_bind_int(update, 2, i);
        if (sqlite3_step(update) != SQLITE_DONE)
            Fail(sqlite3_errmsg(db));
        sqlite3_reset(update);
    }
    sqlite3_finalize(update);
    Exec(db, "COMMIT");
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    sqlite3_close(db);
    return seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    Fill(path, rows);

    // Two alternating rounds, best of each.
    RunResult best;
    double reference = 0;
    for (int round = 0; round < 2; ++round) {
        const RunResult run = RunUpdate(path, rows);
        if (round == 0 || run.seconds < best.seconds)
            best = run;
        const double ref = RunReference(path, rows);
        reference = round == 0 ? ref : std::min(reference, ref);
    }
    std::printf("rows updated           %lld (errors %lld)\n", static_cast<long long>(best.rows),
                static_cast<long long>(best.errors));
    std::printf("update run             %.3f s  %.0f rows/s\n", best.seconds, double(best.rows) / best.seconds);
    std::printf("prepared reference     %.3f s  %.0f rows/s\n", reference, rows / reference);
    std::printf("ratio                  %.2f\n", best.seconds / reference);
    std::printf("memory at half / end   %ld KiB / %ld KiB\n", best.rssHalfKiB, best.rssEndKiB);
    return 0;
}
