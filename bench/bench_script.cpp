// Writes N rows of a six-column table (a sequence, two texts, a date, a name
// from the dictionary, a random number) as a CSV folder for the loaders, the
// way `kova-generate --out DIR --format csv` does; nothing goes to the
// database. Prints rows/s and the resident memory at half way and at the end.
//
//   bench_script [rows [folder]]   (default 10000000 rows, a temporary folder)
//   bench_script keys [children]   (default 1000000; see BenchKeys.h)
#include "BenchDatabase.h"
#include "BenchKeys.h"
#include "BenchMemory.h"

#include "generate/CreationRun.h"
#include "generate/RowFiles.h"
#include "rules/ColumnRule.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const CreateTable =
    "CREATE TABLE SALES (ID NUMBER(10) PRIMARY KEY, KIND VARCHAR2(10), SLIP CHAR(8), SOLD_ON DATE, "
    "STAFF VARCHAR2(40), AMOUNT NUMBER(9,2))";

void SetRules()
{
    using basKovaData::ColumnRules;
    using basKovaData::Kind;
    ColumnRules[1].setKind(Kind::Sequence);
    ColumnRules[1].NumValue = {1, 1};
    ColumnRules[2].setKind(Kind::Multiple);
    for (int slot = 0; slot < 4; ++slot) {
        ColumnRules[2].MultiOn[std::size_t(slot)] = true;
        ColumnRules[2].TextValue[std::size_t(slot)] = QStringList{QStringLiteral("店頭"), QStringLiteral("通販"),
                                                                  QStringLiteral("卸"), QStringLiteral("法人")}[slot];
    }
    ColumnRules[3].setKind(Kind::Random);
    ColumnRules[3].NumValue = {0, 99999999, 1};
    ColumnRules[4].setKind(Kind::Random);
    ColumnRules[4].TextValue[0] = QStringLiteral("20200101");
    ColumnRules[4].TextValue[1] = QStringLiteral("20241231");
    ColumnRules[5].setKind(Kind::Dictionary);
    ColumnRules[5].TextValue[0] = QStringLiteral("氏名");
    ColumnRules[6].setKind(Kind::Random);
    ColumnRules[6].NumValue = {0, 9999999.99, 0.01};
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "keys") == 0)
        return BenchKeys(argc > 2 ? std::atoll(argv[2]) : 1000000);
    const qint64 rows = argc > 1 ? std::atoll(argv[1]) : 10000000;
    QTemporaryDir dir;
    if (!OpenBenchTable(dir, CreateTable, QStringLiteral("SALES")))
        return 1;
    SetRules();
    basKovaData::TableRules rules = basKovaData::TableRules::FromShared(QStringLiteral("SALES"));
    rules.seed = 1;
    generate::RowFileJob job;
    job.format = generate::RowFileFormat::Csv;
    job.path = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("csv"));
    const long startKiB = CurrentRssKiB();
    long halfKiB = 0;
    job.progress = [&halfKiB](int twips) {
        if (halfKiB == 0 && twips >= generate::ProgressFullTwips / 2)
            halfKiB = CurrentRssKiB();
    };
    QElapsedTimer clock;
    clock.start();
    const generate::RowFileResult result = generate::WriteRowFiles({generate::TableRun{&rules, rows, std::nullopt, {}, {}}}, job);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (!result.written) {
        std::fprintf(stderr, "not written: %s\n", qPrintable(result.error));
        basKovaData::OraDatabase.reset();
        basKovaData::OraSession.reset();
        return 1;
    }
    const qint64 bytes = QFileInfo(job.path + QStringLiteral("/SALES.csv")).size();
    std::printf("rows              %lld\n", static_cast<long long>(rows));
    std::printf("seconds           %.2f\n", seconds);
    std::printf("rows/s            %.0f\n", double(rows) / seconds);
    std::printf("CSV bytes         %lld (%.1f MB/s)\n", static_cast<long long>(bytes), double(bytes) / seconds / 1e6);
    std::printf("memory KiB        start %ld, half way %ld, end %ld\n", startKiB, halfKiB, CurrentRssKiB());
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    return 0;
}
