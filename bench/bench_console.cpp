// Runs a script of N INSERT statements (the size of Oracle's OE sample, one
// statement per line as Oracle's scripts write them) through kova-sqlplus's
// console into a new embedded database file, a COMMIT at its end. Rounds
// alternate with a fresh file each; prints the best time, rows/s and the
// CPU time of the thread.
//
//   bench_console [rows [rounds]]   (default 100000 rows, 3 rounds)
#include "SqlConsole.h"

#include "engine/SqliteEngine.h"
#include "session/OraAccess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

double ThreadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const long rows = argc > 1 ? std::atol(argv[1]) : 100000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    if (rows <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_console [rows [rounds]]\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("rows.sql"));
    {
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(script));
            return 2;
        }
        QByteArray text;
        for (long i = 1; i <= rows; ++i) {
            text += "INSERT INTO product_descriptions VALUES (" + QByteArray::number(i) + ", 'US', 'Product "
                    + QByteArray::number(i) + "', 'A description of product " + QByteArray::number(i)
                    + ", with a comma', " + QByteArray::number(i % 1000) + ".25, TO_DATE('2020-01-"
                    + QByteArray::number(i % 28 + 1) + "', 'YYYY-MM-DD'));\n";
            if (text.size() > (1 << 20)) {
                file.write(text);
                text.clear();
            }
        }
        file.write(text + "COMMIT;\n");
    }
    QFile sink(QStringLiteral("/dev/null"));
    if (!sink.open(QIODevice::WriteOnly))
        return 2;
    QTextStream out(&sink);
    double best = 0;
    double bestCpu = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString path = dir.filePath(QStringLiteral("round%1.db").arg(round));
        SqliteEngine::createFile(path);
        auto session = std::make_shared<OraSession>();
        auto database = session->DbOpenDatabase(path, QStringLiteral("oe/oe"));
        database->DbExecuteSQL(QStringLiteral(
            "CREATE TABLE product_descriptions (product_id NUMBER(6), language_id VARCHAR2(3), translated_name "
            "VARCHAR2(50) NOT NULL, translated_description VARCHAR2(2000), list_price NUMBER(8,2), added DATE, "
            "CONSTRAINT product_descriptions_pk PRIMARY KEY (product_id, language_id))"));
        SqlConsole console(session, database, out, out);
        QElapsedTimer clock;
        const double cpu = ThreadSeconds();
        clock.start();
        console.runScript(script);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        const double cpuSeconds = ThreadSeconds() - cpu;
        console.finish();
        if (console.failures() != 0) {
            std::fprintf(stderr, "%d statements failed\n", console.failures());
            return 1;
        }
        if (round == 0 || seconds < best) {
            best = seconds;
            bestCpu = cpuSeconds;
        }
    }
    std::printf("%ld INSERT statements through the console: best of %d %.3f s (%.0f rows/s), thread CPU %.3f s\n",
                rows, rounds, best, static_cast<double>(rows) / best, bestCpu);
    return 0;
}
