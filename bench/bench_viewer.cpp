// The data viewer's query run (no window): the same run over a table of
// 1,000,000 rows and over one of 10,000 rows, with MaxDisplayRows 300 and
// 32,767, without a condition and with the key order the main window presets.
// The cost must follow the rows shown, not the rows in the table: it prints each
// run's time, the ratio of the large table to the small one (in all and per row
// shown), and the resident memory with the filled grid.
//
//   bench_viewer [largeRows [smallRows]]      (default 1000000 and 10000)
#include "browser/ColumnGrid.h"
#include "controls/GridModel.h"
#include "maintain/ViewerQuery.h"
#include "session/OraAccess.h"
#include "engine/SqliteEngine.h"
#include "shared/basKovaData.h"

#include "BenchMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

void CreateTable(const QString& name, int rows)
{
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    basKovaData::ExecuteSql(database, QStringLiteral("CREATE TABLE %1 (ID NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20), "
                                                     "AMOUNT NUMBER(10,2), NOTE VARCHAR2(40), MADE DATE)")
                                          .arg(name));
    basKovaData::OraSession->DbBeginTrans();
    for (int id = 1; id <= rows; ++id) {
        const QString note = (id % 7 == 0) ? QStringLiteral("NULL") : QStringLiteral("'備考 %1'").arg(id % 1000);
        const QString sql = QStringLiteral("INSERT INTO %1 VALUES (%2, 'NAME %3', %4.25, %5, "
                                           "TO_DATE('20240101 120000', 'YYYYMMDD HH24MISS'))")
                                .arg(name)
                                .arg(id)
                                .arg(id % 5000)
                                .arg(id % 100000)
                                .arg(note);
        if (basKovaData::ExecuteSql(database, sql) != 1) {
            std::fprintf(stderr, "insert %d into %s failed\n", id, qPrintable(name));
            std::exit(1);
        }
    }
    basKovaData::OraSession->DbCommitTrans();
}

struct Run {
    double seconds = 1e300;
    int rows = 0;
    QString line;
    long rssKiB = 0;  // with the filled grid still alive

    double microsPerRow() const { return seconds * 1e6 / std::max(rows, 1); }
};

// One viewer opening on `table`: the main grid's columns, the prepared result
// grid and the query run. Best of `rounds` by wall time.
Run ViewTable(const QString& table, qint16 maxRows, const QString& condition, int rounds)
{
    basKovaData::MaxDisplayRows = maxRows;
    controls::GridModel mainGrid;
    browser::FillColumnGrid(basKovaData::OraDatabase.get(), mainGrid, table, true);
    basKovaData::ChosenTable = table;
    Run best;
    for (int round = 0; round < rounds; ++round) {
        controls::GridModel grid;
        QElapsedTimer timer;
        timer.start();
        maintain::PrepareViewerGrid(grid, &mainGrid);
        const maintain::ViewerRunResult result =
            maintain::RunViewerQuery(basKovaData::OraDatabase.get(), grid, &mainGrid, condition);
        const double seconds = timer.nsecsElapsed() / 1e9;
        const long rss = CurrentRssKiB();
        if (result.errorNumber != 0) {
            std::fprintf(stderr, "run on %s failed: %d\n", qPrintable(table), result.errorNumber);
            std::exit(1);
        }
        if (seconds < best.seconds)
            best = {seconds, result.rows, result.messageLine.value_or(QString()), rss};
    }
    return best;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int largeRows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;
    const int smallRows = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10000;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("viewer.db"));
    SqliteEngine::createFile(path);
    if (basKovaData::OpenOracleDatabase(path, QStringLiteral("bench/bench"),
                                        QLatin1String(basKovaData::OraSessionProgId))) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(path), qPrintable(basKovaData::LastOpenError));
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    CreateTable(QStringLiteral("SMALL_T"), smallRows);
    CreateTable(QStringLiteral("LARGE_T"), largeRows);
    std::printf("tables: %d and %d rows created in %.1f s\n", smallRows, largeRows, timer.nsecsElapsed() / 1e9);
    std::printf("resident memory before the runs: %ld KiB\n\n", CurrentRssKiB());
    std::fflush(stdout);

    // The small table cannot fill 32,767 rows, so the ratio that must stay near
    // 1 is the one per row shown; the plain time ratio follows the rows shown.
    std::printf("%-9s %-12s %13s %9s %9s %7s %9s %9s %7s %17s\n", "max rows", "condition", "shown s/l", "small ms",
                "large ms", "ratio", "small us", "large us", "per row", "RSS KiB s/l");
    const QString conditions[] = {QString(), QStringLiteral("ORDER BY ID")};  // the preset key order
    for (const qint16 maxRows : {qint16(300), qint16(32767)}) {
        for (const QString& condition : conditions) {
            // Alternate the tables so that neither gets a warmer cache.
            Run small;
            Run large;
            for (int pass = 0; pass < 2; ++pass) {
                const Run s = ViewTable(QStringLiteral("SMALL_T"), maxRows, condition, 2);
                const Run l = ViewTable(QStringLiteral("LARGE_T"), maxRows, condition, 2);
                if (s.seconds < small.seconds)
                    small = s;
                if (l.seconds < large.seconds)
                    large = l;
            }
            if (small.rows != large.rows && smallRows >= maxRows) {
                std::fprintf(stderr, "rows shown differ: %d and %d\n", small.rows, large.rows);
                return 1;
            }
            const QString shown = QString::number(small.rows) + QLatin1Char('/') + QString::number(large.rows);
            const QString rss = QString::number(small.rssKiB) + QLatin1Char('/') + QString::number(large.rssKiB);
            std::printf("%-9d %-12s %13s %9.2f %9.2f %7.2f %9.2f %9.2f %7.2f %17s\n", int(maxRows),
                        condition.isEmpty() ? "(none)" : qPrintable(condition), qPrintable(shown),
                        small.seconds * 1e3, large.seconds * 1e3, large.seconds / small.seconds,
                        small.microsPerRow(), large.microsPerRow(), large.microsPerRow() / small.microsPerRow(),
                        qPrintable(rss));
            std::printf("          %s / %s\n", qPrintable(small.line), qPrintable(large.line));
        }
    }
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    return 0;
}
