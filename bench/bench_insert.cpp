// Inserts N rows of a six-column table through ExecuteSql, one literal INSERT
// text per row in one transaction, as a creation run writes them; then a whole
// creation run (value generation included) of N rows into the same table; and,
// in the same run, N rows into a plain SQLite database through one prepared
// statement with bound values. Prints the times, their ratios and the memory.
//
//   bench_insert [rows [rounds]]   (default 100000 rows, 2 rounds)
#include "session/OraAccess.h"
#include "engine/SqliteEngine.h"
#include "shared/DateText.h"
#include "shared/NumberText.h"

#include "BenchCreation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// CPU time of the calling thread: on a machine shared with other programs it
// varies far less than the time on the clock.
double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

const char* const CreateTable = BenchCreateTable;

struct Row {
    int id = 0;
    QString name;
    double amount = 0;
    QString code;
    QDateTime created;
    QString remark;
};

Row MakeRow(int i)
{
    // UTC: the row values cost no time-zone lookups, which would otherwise
    // dominate the reference and flatter every ratio.
    static const QDateTime start(QDate(2001, 1, 1), QTime(9, 0, 0), Qt::UTC);
    Row row;
    row.id = i;
    row.name = QStringLiteral("商品") + QString::number(i);
    row.amount = (i % 100000) / 100.0;
    row.code = QString::number(i % 1000000).rightJustified(6, QLatin1Char('0'));
    row.created = start.addSecs(static_cast<qint64>(i) * 37);
    row.remark = QStringLiteral("テストデータ備考 row ") + QString::number(i);
    return row;
}


struct EngineResult : BenchResult {
    double cpuSeconds = 0;
};

struct Timing {
    double seconds = 0;
    double cpuSeconds = 0;
};

EngineResult RunEngine(const QString& path, int rows)
{
    SqliteEngine::createFile(path);
    if (basKovaData::OpenOracleDatabase(path, QStringLiteral("bench/bench"),
                                        QLatin1String(basKovaData::OraSessionProgId))) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(path), qPrintable(basKovaData::LastOpenError));
        std::exit(1);
    }
    basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), QString::fromLatin1(CreateTable));
    EngineResult result;
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = ThreadCpuSeconds();
    basKovaData::OraSession->DbBeginTrans();
    for (int i = 1; i <= rows; ++i) {
        const Row row = MakeRow(i);
        const QString sql = QStringLiteral("Insert into BENCH Values(  ") + QString::number(row.id)
                            + QStringLiteral(" ,'") + row.name + QStringLiteral("' ,")
                            + basKovaData::NumberText(row.amount) + QStringLiteral(" ,'") + row.code
                            + QStringLiteral("' , TO_DATE('") + basKovaData::DateText15(row.created)
                            + QStringLiteral("','YYYYMMDD HH24MISS') ,'") + row.remark + QStringLiteral("' ) ");
        if (basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), sql) == -1)
            ++result.failures;
        if (i == rows / 2)
            result.rssHalfKiB = CurrentRssKiB();
    }
    basKovaData::OraSession->DbCommitTrans();
    result.seconds = timer.nsecsElapsed() / 1e9;
    result.cpuSeconds = ThreadCpuSeconds() - cpuStart;
    result.rssEndKiB = CurrentRssKiB();
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    return result;
}

EngineResult RunCreation(const QString& path, int rows)
{
    SqliteEngine::createFile(path);
    if (basKovaData::OpenOracleDatabase(path, QStringLiteral("bench/bench"),
                                        QLatin1String(basKovaData::OraSessionProgId))) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(path), qPrintable(basKovaData::LastOpenError));
        std::exit(1);
    }
    // The CPU time includes making the tables and reading the columns, a few
    // milliseconds.
    const double cpuStart = ThreadCpuSeconds();
    EngineResult result;
    static_cast<BenchResult&>(result) = RunBenchCreation(rows);
    result.cpuSeconds = ThreadCpuSeconds() - cpuStart;
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    return result;
}

Timing RunReference(const QString& path, int rows)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, CreateTable, nullptr, nullptr, nullptr);
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = ThreadCpuSeconds();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO BENCH VALUES (?, ?, ?, ?, ?, ?)", -1, &stmt, nullptr);
    for (int i = 1; i <= rows; ++i) {
        const Row row = MakeRow(i);
        const QByteArray name = row.name.toUtf8();
        const QByteArray code = row.code.toUtf8();
        const QByteArray created = row.created.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
        const QByteArray remark = row.remark.toUtf8();
        sqlite3_bind_int(stmt, 1, row.id);
        sqlite3_bind_text(stmt, 2, name.constData(), static_cast<int>(name.size()), SQLITE_STATIC);
        sqlite3_bind_double(stmt, 3, row.amount);
        sqlite3_bind_text(stmt, 4, code.constData(), static_cast<int>(code.size()), SQLITE_STATIC);
        sqlite3_bind_text(stmt, 5, created.constData(), static_cast<int>(created.size()), SQLITE_STATIC);
        sqlite3_bind_text(stmt, 6, remark.constData(), static_cast<int>(remark.size()), SQLITE_STATIC);
        if (sqlite3_step(stmt) != SQLITE_DONE)
            std::fprintf(stderr, "reference insert %d failed: %s\n", i, sqlite3_errmsg(db));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const Timing timing{timer.nsecsElapsed() / 1e9, ThreadCpuSeconds() - cpuStart};
    sqlite3_close(db);
    return timing;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    QTemporaryDir dir;
    double best[3] = {1e300, 1e300, 1e300};
    double bestCpu[3] = {1e300, 1e300, 1e300};
    EngineResult engine;
    EngineResult creation;
    // Alternating rounds, best of each: the machine's noise hits all three.
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
    for (int round = 0; round < rounds; ++round) {
        const QString suffix = QString::number(round);
        const Timing reference = RunReference(dir.filePath(QStringLiteral("reference") + suffix + QStringLiteral(".db")), rows);
        best[0] = std::min(best[0], reference.seconds);
        bestCpu[0] = std::min(bestCpu[0], reference.cpuSeconds);
        const EngineResult result = RunEngine(dir.filePath(QStringLiteral("engine") + suffix + QStringLiteral(".db")), rows);
        if (result.seconds < best[1]) {
            best[1] = result.seconds;
            engine = result;
        }
        bestCpu[1] = std::min(bestCpu[1], result.cpuSeconds);
        const EngineResult run = RunCreation(dir.filePath(QStringLiteral("creation") + suffix + QStringLiteral(".db")), rows);
        if (run.seconds < best[2]) {
            best[2] = run.seconds;
            creation = run;
        }
        bestCpu[2] = std::min(bestCpu[2], run.cpuSeconds);
    }
    std::printf("rows                      %d (best of %d rounds; CPU: of the running thread)\n", rows, rounds);
    std::printf("prepared statement (ref)  %.3f s  (%.2f us/row)  CPU %.3f s\n", best[0], best[0] * 1e6 / rows, bestCpu[0]);
    std::printf("ExecuteSql literal texts  %.3f s  (%.2f us/row)  CPU %.3f s\n", best[1], best[1] * 1e6 / rows, bestCpu[1]);
    std::printf("ratio                     %.2f  (budget 3.00)  CPU %.2f\n", best[1] / best[0], bestCpu[1] / bestCpu[0]);
    std::printf("failed inserts            %d\n", engine.failures);
    std::printf("resident memory           %ld KiB at half, %ld KiB at end (growth %ld KiB)\n",
                engine.rssHalfKiB, engine.rssEndKiB, engine.rssEndKiB - engine.rssHalfKiB);
    std::printf("creation run (generated)  %.3f s  (%.0f rows/s)  CPU %.3f s\n", best[2], rows / best[2], bestCpu[2]);
    std::printf("ratio                     %.2f  (budget 2.50, goal 1.50)  CPU %.2f\n", best[2] / best[0],
                bestCpu[2] / bestCpu[0]);
    std::printf("failed inserts            %d\n", creation.failures);
    std::printf("resident memory           %ld KiB at half, %ld KiB at end (growth %ld KiB)\n",
                creation.rssHalfKiB, creation.rssEndKiB, creation.rssEndKiB - creation.rssHalfKiB);
    return engine.failures == 0 && creation.failures == 0 ? 0 : 1;
}
