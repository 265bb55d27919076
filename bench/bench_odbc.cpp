// The creation run over ODBC beside the embedded engine: the same table, rules
// and row count on a temporary database file and on a server, row by row and
// in batches, rows per second for each; the same kind of rows as literal
// 100-row INSERT statements (the reference for batches); and the server's
// bare round trip (a trivial statement sent and answered), which a run row
// by row pays per row.
//
//   bench_odbc [rows [service [user/password]]]     (default 100000 rows)
//
// Without a service the server of scripts/pg-cluster is used (KOVA_PG_DSN,
// KOVA_PG_USER, KOVA_PG_PASSWORD, KOVA_PG_PORT), and the runs are repeated
// with 0.5 ms added to every round trip (DelayProxy.h), e.g.
//   scripts/pg-cluster run -- build/release/bin/bench_odbc
#include "engine/OdbcEngine.h"
#include "session/OraAccess.h"
#include "engine/SqliteEngine.h"

#include "BenchCreation.h"
#include "DelayProxy.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>
#include <cstdio>
#include <cstdlib>

namespace {

bool Open(const QString& service, const QString& connect)
{
    if (basKovaData::OpenOracleDatabase(service, connect, QLatin1String(basKovaData::OraSessionProgId))) {
        std::fprintf(stderr, "cannot open %s: %s\n", qPrintable(service), qPrintable(basKovaData::LastOpenError));
        return false;
    }
    return true;
}

void Close()
{
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
}

// Seconds per statement that changes nothing (an UPDATE of no row), inside a
// transaction as a run is: the cost of sending a statement and hearing back.
// A query would cost more than one exchange (a driver may open a cursor,
// fetch and close it).
double RoundTrip(int count)
{
    basKovaData::OraSession->DbBeginTrans();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i)
        basKovaData::ExecuteSql(basKovaData::OraDatabase.get(),
                                QStringLiteral("UPDATE BENCH_SOURCE SET REMARK = REMARK WHERE 1 = 0"));
    const double seconds = timer.nsecsElapsed() / 1e9 / count;
    basKovaData::OraSession->DBRollBack();
    return seconds;
}

// The same kind of rows as the creation run's, sent as literal 100-row
// INSERT ... VALUES statements through the same connection: what the server
// itself takes as INSERT statements, the reference for batches.
double MultiRowReference(int rows, const QString& createTable)
{
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    basKovaData::ExecuteSql(database, QStringLiteral("DROP TABLE BENCH"));
    basKovaData::ExecuteSql(database, createTable);
    QElapsedTimer timer;
    timer.start();
    basKovaData::OraSession->DbBeginTrans();
    QString sql;
    for (int first = 1; first <= rows; first += 100) {
        sql = QStringLiteral("INSERT INTO BENCH VALUES ");
        for (int id = first; id < first + 100 && id <= rows; ++id) {
            if (id > first)
                sql += QStringLiteral(", ");
            sql += QStringLiteral("(%1, '商品%2', %3, '%4', TO_DATE('20010101 090000','YYYYMMDD HH24MISS') + %5, "
                                  "'テストデータ備考 %6')")
                       .arg(id)
                       .arg(id % 4)
                       .arg(QString::number((id * 7919 % 100000) / 100.0, 'f', 2))
                       .arg(id % 1000000, 6, 10, QLatin1Char('0'))
                       .arg(id)
                       .arg(id % 50 + 1);
        }
        if (basKovaData::ExecuteSql(database, sql) == -1) {
            std::fprintf(stderr, "reference insert failed at row %d\n", first);
            break;
        }
    }
    basKovaData::OraSession->DbCommitTrans();
    return timer.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const QString service = argc > 2 ? QString::fromLocal8Bit(argv[2]) : qEnvironmentVariable("KOVA_PG_DSN");
    const QString connect = argc > 3 ? QString::fromLocal8Bit(argv[3])
                                     : qEnvironmentVariable("KOVA_PG_USER") + QStringLiteral("/")
                                           + qEnvironmentVariable("KOVA_PG_PASSWORD");
    if (service.isEmpty()) {
        std::fprintf(stderr, "usage: bench_odbc [rows [service [user/password]]]\n"
                             "(or run it through scripts/pg-cluster run --)\n");
        return 2;
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.db"));
    SqliteEngine::createFile(path);
    if (!Open(path, QStringLiteral("bench/bench")))
        return 1;
    const BenchResult embedded = RunBenchCreation(rows);
    const double embeddedTrip = RoundTrip(20000);
    Close();

    if (!Open(service, connect))
        return 1;
    QString createTable = QString::fromLatin1(BenchCreateTable);
    const auto* odbc = dynamic_cast<const OdbcEngine*>(&basKovaData::OraDatabase->engine());
    if (odbc && odbc->serverKind() == ServerKind::PostgreSQL)
        createTable.replace(QRegularExpression(QStringLiteral("\\bNUMBER\\b")), QStringLiteral("NUMERIC"));
    const BenchResult server = RunBenchCreation(rows, createTable, 1);
    const BenchResult batched = RunBenchCreation(rows, createTable);
    const double reference = MultiRowReference(rows, createTable);
    const double serverTrip = RoundTrip(5000);
    basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), QStringLiteral("DROP TABLE BENCH"));
    basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), QStringLiteral("DROP TABLE BENCH_SOURCE"));
    Close();

    // The same server further away: 0.5 ms more per round trip, through a
    // relay on the loopback device (the server of scripts/pg-cluster only,
    // whose port is known). A tenth of the rows: row by row is slow there.
    struct Delayed {
        BenchResult rowByRow, batched;
        double trip = 0;
        int rows = 0;
    };
    std::optional<Delayed> delayed;
    const int serverPort = qEnvironmentVariableIntValue("KOVA_PG_PORT");
    if (argc <= 2 && serverPort > 0) {
        const DelayProxy proxy(serverPort, std::chrono::microseconds(250));
        if (proxy.port() > 0
            && Open(QStringLiteral("DSN=%1;Servername=127.0.0.1;Port=%2").arg(service).arg(proxy.port()), connect)) {
            delayed.emplace();
            delayed->rows = std::max(1, rows / 10);
            delayed->rowByRow = RunBenchCreation(delayed->rows, createTable, 1);
            delayed->batched = RunBenchCreation(delayed->rows, createTable);
            delayed->trip = RoundTrip(500);
            basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), QStringLiteral("DROP TABLE BENCH"));
            basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), QStringLiteral("DROP TABLE BENCH_SOURCE"));
            Close();
        }
    }

    const auto perRow = [rows](const BenchResult& r) { return r.seconds * 1e6 / rows; };
    std::printf("rows                          %d\n", rows);
    std::printf("embedded engine               %.3f s  %8.0f rows/s  %7.1f us/row  round trip %.1f us\n",
                embedded.seconds, rows / embedded.seconds, perRow(embedded), embeddedTrip * 1e6);
    std::printf("server over ODBC              %.3f s  %8.0f rows/s  %7.1f us/row  round trip %.1f us\n",
                server.seconds, rows / server.seconds, perRow(server), serverTrip * 1e6);
    std::printf("server in batches             %.3f s  %8.0f rows/s  %7.1f us/row\n", batched.seconds,
                rows / batched.seconds, perRow(batched));
    std::printf("server / embedded             %.2f\n", server.seconds / embedded.seconds);
    std::printf("literal 100-row INSERTs      %.3f s  %8.0f rows/s  (the multi-row reference)\n", reference,
                rows / reference);
    std::printf("batched speedup %.2f\n", server.seconds / batched.seconds);
    std::printf("batched / multi-row reference %.2f  (rows/s of batches over the reference's)\n",
                reference / batched.seconds);
    std::printf("round trips' share of a row   %.0f %%\n", 100.0 * serverTrip * 1e6 / perRow(server));
    std::printf("failed inserts                %d embedded, %d server, %d batched\n", embedded.failures,
                server.failures, batched.failures);
    std::printf("resident memory (row by row)  %ld KiB at half, %ld KiB at end\n", server.rssHalfKiB,
                server.rssEndKiB);
    std::printf("resident memory (batched)     %ld KiB at half, %ld KiB at end\n", batched.rssHalfKiB,
                batched.rssEndKiB);
    if (delayed) {
        const int n = delayed->rows;
        std::printf("+0.5 ms per round trip       %d rows, round trip %.1f us\n", n, delayed->trip * 1e6);
        std::printf("  row by row                  %.3f s  %8.0f rows/s\n", delayed->rowByRow.seconds,
                    n / delayed->rowByRow.seconds);
        std::printf("  in batches                  %.3f s  %8.0f rows/s  (%.2f times row by row)\n",
                    delayed->batched.seconds, n / delayed->batched.seconds,
                    delayed->rowByRow.seconds / delayed->batched.seconds);
    }
    const bool delayedFailed = delayed && (delayed->rowByRow.failures != 0 || delayed->batched.failures != 0);
    return embedded.failures == 0 && server.failures == 0 && batched.failures == 0 && !delayedFailed ? 0 : 1;
}
