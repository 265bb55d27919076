// bench_load: rows streamed into PostgreSQL's COPY as kova-generate --load
// makes them, against COPY of the same rows from a ready file, on the server
// of scripts/pg-cluster. A six-column table (a key, a name from the
// dictionary, an amount, a 6-digit code, a date, a sentence); the file is the
// CSV that --out writes for the same project and seed. Alternating rounds,
// best of each; the streamed loads with one job and with two. It prints rows
// per second of each, the ratio `streamed / copy reference` (goal: 0.8 or
// more), the time to write the CSV alone, and the resident memory of the
// one-job load at half its time and at its end.
//
//   scripts/pg-cluster run -- build/release/bin/bench_load [rows [rounds]]   # default 1000000, 2
#include "BenchMemory.h"
#include "GenerateTool.h"
#include "PgCopy.h"
#include "support/ServerSupport.h"

#include "session/OraError.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <atomic>
#include <cstdio>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Rules = R"({"kova-rules": 1, "table": "LOAD6", "columns": [
  {"column": "ID", "kind": "sequence", "start": 1, "step": 1},
  {"column": "NAME", "kind": "dictionary", "name": "氏名"},
  {"column": "AMOUNT", "kind": "random", "min": 0, "max": 9999999.99, "unit": 0.01},
  {"column": "CODE", "kind": "pattern", "pattern": "[0-9]{6}"},
  {"column": "ISSUED", "kind": "random", "min": "20200101", "max": "20251231", "unit": 1},
  {"column": "REMARKS", "kind": "list", "values": ["本日は晴天なり、明日も晴れるでしょう。",
     "納品は来週の月曜日を予定しております。", "ご注文ありがとうございました。", "在庫を確認のうえ折り返しご連絡します。"]}]})";

struct Timed {
    double seconds = 0;
    int status = -1;
    long rssHalfKiB = 0;
    long rssEndKiB = 0;
};

// One kova-generate run in this process, its memory sampled as it goes.
Timed RunTool(const QStringList& args)
{
    QString error, out, err;
    std::optional<kovagenerate::Arguments> parsed = kovagenerate::ParseArguments(args, &error);
    Timed timed;
    if (!parsed) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return timed;
    }
    parsed->program = QCoreApplication::applicationDirPath() + u"/kova-generate"_s;
    std::atomic<bool> done = false;
    std::vector<std::pair<qint64, long>> samples;  // ms, KiB
    QElapsedTimer clock;
    clock.start();
    std::thread sampler([&] {
        while (!done) {
            samples.emplace_back(clock.elapsed(), CurrentRssKiB());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    QTextStream o(&out), e(&err);
    timed.status = kovagenerate::Run(*parsed, o, e, false);
    timed.seconds = double(clock.nsecsElapsed()) / 1e9;
    done = true;
    sampler.join();
    if (timed.status != kovagenerate::AllCreated)
        std::fprintf(stderr, "%s%s\n", qPrintable(out), qPrintable(err));
    for (const auto& [ms, kib] : samples)
        if (ms <= qint64(timed.seconds * 500))
            timed.rssHalfKiB = kib;
    timed.rssEndKiB = CurrentRssKiB();
    return timed;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLongLong() : 1000000;
    const int rounds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 2;
    const std::optional<kovatest::ServerSettings> server = kovatest::Server();
    if (!server || rows < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: scripts/pg-cluster run -- bench_load [rows [rounds]]\n");
        return 2;
    }
    const kovatest::TestDatabase db = kovatest::OpenServerDatabase(
        {u"CREATE TABLE LOAD6 (ID NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20), AMOUNT NUMBER(10,2), CODE CHAR(6), "
         "ISSUED DATE, REMARKS VARCHAR2(100))"_s});
    QTemporaryDir dir;
    const QString rules = dir.filePath(u"load6.json"_s);
    QFile file(rules);
    if (!file.open(QIODevice::WriteOnly) || file.write(Rules) != Rules.size())
        return 2;
    file.close();
    const QString login = server->user + u'/' + server->password + u"@DSN="_s + server->dsn + u";Database="_s + db.path;
    const QStringList run{login, rules, u"--rows"_s, QString::number(rows), u"--seed"_s, u"7"_s};
    kovagenerate::PgCopy pg;
    const QString failure = pg.connect({{"host", "127.0.0.1"},
                                        {"port", qgetenv("KOVA_PG_PORT")},
                                        {"dbname", db.path.toUtf8()},
                                        {"user", server->user.toUtf8()},
                                        {"password", server->password.toUtf8()}});
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 2;
    }
    // The rows as the CSV that --out writes, then COPY of that file.
    const Timed written = RunTool(run + QStringList{u"--out"_s, dir.filePath(u"csv"_s), u"--format"_s, u"csv"_s});
    const auto copyFromFile = [&] {
        QFile csv(dir.filePath(u"csv/LOAD6.csv"_s));
        Timed timed;
        QElapsedTimer clock;
        clock.start();
        try {
            if (!csv.open(QIODevice::ReadOnly))
                throw OraError(csv.errorString());
            pg.copyBegin(u"COPY load6 (id, name, amount, code, issued, remarks) FROM STDIN WITH (FORMAT csv, HEADER true)"_s);
            for (QByteArray piece = csv.read(1 << 16); !piece.isEmpty(); piece = csv.read(1 << 16))
                pg.copyPut(piece);
            pg.copyEnd();
            timed.status = kovagenerate::AllCreated;
        } catch (const OraError& error) {
            std::fprintf(stderr, "COPY: %s\n", qPrintable(error.message()));
        }
        timed.seconds = double(clock.nsecsElapsed()) / 1e9;
        return timed;
    };
    std::vector<Timed> best(3);
    const char* names[] = {"COPY of the ready file", "streamed, 1 job", "streamed, 2 jobs"};
    int failed = written.status == kovagenerate::AllCreated ? 0 : 1;
    for (int round = 0; round < rounds; ++round)
        for (std::size_t mode = 0; mode < best.size(); ++mode) {
            pg.run(u"TRUNCATE load6"_s);
            const Timed timed = mode == 0 ? copyFromFile()
                                          : RunTool(run + QStringList{u"--load"_s, u"--jobs"_s, QString::number(mode)});
            failed += timed.status == kovagenerate::AllCreated ? 0 : 1;
            if (best[mode].seconds == 0 || timed.seconds < best[mode].seconds)
                best[mode] = timed;
        }
    std::printf("rows                       %lld, best of %d rounds\n", rows, rounds);
    std::printf("writing the CSV alone      %.3f s  (%.0f rows/s)\n", written.seconds, rows / written.seconds);
    for (std::size_t mode = 0; mode < best.size(); ++mode)
        std::printf("%-26s %.3f s  (%.0f rows/s)\n", names[mode], best[mode].seconds, rows / best[mode].seconds);
    for (std::size_t mode = 1; mode < best.size(); ++mode)
        std::printf("streamed / copy reference  %.2f with %zu job%s  (goal 0.80 or more)\n",
                    best[0].seconds / best[mode].seconds, mode, mode > 1 ? "s" : "");
    std::printf("memory of the 1-job load   %ld KiB at half its time, %ld KiB at its end\n", best[1].rssHalfKiB,
                best[1].rssEndKiB);
    std::printf("failed runs                %d\n", failed);
    return failed == 0 ? 0 : 1;
}
