// Reads the profile of a six-column table (a key, a Japanese name, a decimal,
// a six-digit code, a date, a sentence) from its rows in a temporary file of
// the embedded engine, and prints the rows read per second (budget: 500,000
// or more) and the resident memory after each pass (it must not grow with
// the row count). Two rounds, best of each.
//
//   bench_profile [rows [sample]]   (default 1000000 rows, every row)
#include "generate/TableProfile.h"
#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "session/OraSession.h"
#include "shared/DateText.h"
#include "shared/NumberText.h"
#include "shared/StatementShape.h"

#include "BenchDatabase.h"
#include "BenchMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

const char* const Table = "CREATE TABLE PROFILED (ID NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20), AMOUNT NUMBER(10,2), "
                          "CODE CHAR(6), CREATED DATE, REMARK VARCHAR2(100))";

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Rows as a creation run writes them: one statement shape, values bound.
void Fill(int rows)
{
    static const char16_t* const family[] = {u"佐藤", u"鈴木", u"高橋", u"田中", u"伊藤", u"渡辺", u"山本", u"中村",
                                             u"小林", u"加藤", u"吉田", u"山田", u"佐々木", u"山口", u"松本", u"井上"};
    static const char16_t* const given[] = {u"太郎", u"花子", u"一郎", u"美咲", u"翔太", u"陽菜", u"大輔", u"さくら",
                                            u"健", u"愛", u"拓也", u"結衣", u"直樹", u"七海", u"悠斗", u"葵"};
    static const char16_t* const words[] = {u"出荷", u"確認", u"済み", u"の", u"商品", u"を", u"翌日", u"返品",
                                            u"お客様", u"より", u"連絡", u"あり", u" ", u"対応", u"予定", u"です"};
    const QDateTime start(QDate(2020, 1, 1), QTime(9, 0, 0), Qt::UTC);
    basKovaData::StatementShape shape;
    basKovaData::OraSession->DbBeginTrans();
    quint32 state = 12345;
    for (int i = 1; i <= rows; ++i) {
        state = state * 1103515245u + 12345u;
        const quint32 r = state >> 8;
        QString sentence;
        for (int w = 0; w < 4 + int(r % 5); ++w)
            sentence += QStringView(words[(r >> (2 * w)) % 16]);
        shape.clear();
        shape.appendText(u"INSERT INTO PROFILED VALUES (");
        shape.appendNumber(QString::number(i));
        shape.appendText(u", ");
        shape.appendTextValue(QString::fromUtf16(family[r % 16]) + QString::fromUtf16(given[(r >> 4) % 16]));
        shape.appendText(u", ");
        shape.appendNumber(basKovaData::NumberText(double(r % 1000000) / 100.0).trimmed());
        shape.appendText(u", ");
        shape.appendTextValue(QString::number((qint64(i) * 7919) % 1000000).rightJustified(6, u'0'));
        shape.appendText(u", ");
        shape.appendDate(basKovaData::DateText15(start.addSecs(qint64(r % 100000000))));
        shape.appendText(u", ");
        shape.appendTextValue(sentence);
        shape.appendText(u")");
        basKovaData::OraDatabase->DbExecuteShape(shape);
    }
    basKovaData::OraSession->DbCommitTrans();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;
    generate::ProfileOptions options;
    options.sample = argc > 2 ? std::max(0, std::atoi(argv[2])) : 0;
    QTemporaryDir dir;
    if (!OpenBenchTable(dir, Table, QStringLiteral("PROFILED")))
        return 1;
    QElapsedTimer timer;
    timer.start();
    Fill(rows);
    std::printf("filled %d rows in %.1f s\n", rows, double(timer.nsecsElapsed()) / 1e9);
    // The reading alone, every value fetched and dropped: the floor under the profile's time.
    {
        timer.restart();
        const double cpuStart = ThreadCpuSeconds();
        qint64 scanned = 0;
        for (auto scan = basKovaData::OraDatabase->DBCreateDynaset(QStringLiteral("SELECT * FROM PROFILED"));
             !scan->IsEOF(); scan->MoveNext(), ++scanned)
            for (int j = 0; j < 6; ++j)
                (void)scan->Value(j);
        std::printf("reading alone: %.0f rows/s (CPU %.0f rows/s)\n", double(scanned) * 1e9 / double(timer.nsecsElapsed()),
                    double(scanned) / (ThreadCpuSeconds() - cpuStart));
    }
    double best = 0, bestCpu = 0;
    qint64 read = 0;
    for (int round = 0; round < 2; ++round) {
        timer.restart();
        const double cpuStart = ThreadCpuSeconds();
        QString problem;
        const std::optional<generate::TableProfile> profile =
            generate::ProfileFromRows(*basKovaData::OraDatabase, QStringLiteral("PROFILED"), options, &problem);
        const double seconds = double(timer.nsecsElapsed()) / 1e9, cpu = ThreadCpuSeconds() - cpuStart;
        if (!profile) {
            std::fprintf(stderr, "profile failed: %s\n", qPrintable(problem));
            return 1;
        }
        read = profile->read;
        if (round == 0)
            for (std::size_t j = 0; j < profile->columns.size(); ++j) {
                const generate::ColumnProfile& c = profile->columns[j];
                const QString name = profile->columnNames.value(qsizetype(j));
                const double exact = basKovaData::OraDatabase
                                         ->DBCreateDynaset(QStringLiteral("SELECT COUNT(DISTINCT %1) FROM PROFILED").arg(name))
                                         ->Value(0)
                                         .toDouble();
                std::printf("  %-8s distinct %.0f (exact %.0f), %zu frequent, %zu buckets, %zu shapes, low %.0f high %.0f\n",
                            qPrintable(name), c.distinct, exact, c.frequent.size(), c.buckets.size(), c.shapes.size(),
                            c.low.value_or(0), c.high.value_or(0));
            }
        std::printf("round %d: %lld rows read in %.2f s (CPU %.2f s), resident %ld KiB\n", round + 1,
                    static_cast<long long>(read), seconds, cpu, CurrentRssKiB());
        best = round == 0 ? seconds : std::min(best, seconds);
        bestCpu = round == 0 ? cpu : std::min(bestCpu, cpu);
    }
    std::printf("profile: %.0f rows/s (CPU %.0f rows/s), budget 500000\n", double(read) / best,
                double(read) / bestCpu);
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    return 0;
}
