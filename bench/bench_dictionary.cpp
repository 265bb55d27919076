// The creation run with the dictionary kind: a table whose character columns
// all draw from dictionaries (names, readings, address, postal code, mail,
// company), beside the same run with fixed values in those columns, on a
// temporary database file of the embedded engine. Two alternating rounds,
// best of each; the ratio of the time per row is the dictionary's cost.
//
//   bench_dictionary [rows]        (default 100000)
#include "generate/CreationRun.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"

#include "BenchDatabase.h"
#include "BenchMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const Table = "CREATE TABLE PEOPLE (ID NUMBER(8) PRIMARY KEY, NAME VARCHAR2(40), KANA VARCHAR2(40), "
                          "ADDRESS VARCHAR2(100), ZIP CHAR(8), MAIL VARCHAR2(60), COMPANY VARCHAR2(60))";

// Column 1 a sequence; columns 2 to 7 the dictionaries, or fixed texts of
// about the same length.
void SetRules(bool dictionary)
{
    using basKovaData::ColumnRules;
    const char16_t* dictionaries[] = {u"氏名", u"氏名カナ", u"住所", u"郵便番号", u"メールアドレス", u"会社名"};
    const char16_t* fixed[] = {u"佐藤 太郎", u"サトウ タロウ", u"東京都新宿区本町1-2-3", u"160-0022",
                               u"taro.sato@example.jp", u"株式会社日本商事"};
    ColumnRules[1].clearRule();
    ColumnRules[1].setKind(basKovaData::Kind::Sequence);
    ColumnRules[1].NumValue[0] = 1;
    ColumnRules[1].NumValue[1] = 1;
    for (int j = 2; j <= 7; ++j) {
        basKovaData::ColumnRule& rule = ColumnRules[std::size_t(j)];
        rule.clearRule();
        rule.setKind(dictionary ? basKovaData::Kind::Dictionary : basKovaData::Kind::Single);
        rule.TextValue[0] = QString::fromUtf16(dictionary ? dictionaries[j - 2] : fixed[j - 2]);
    }
}

// Seconds of one run of `rows` rows into an emptied table.
double Run(bool dictionary, int rows, long* rssHalf, long* rssEnd)
{
    basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), QStringLiteral("DELETE FROM PEOPLE"));
    SetRules(dictionary);
    generate::CreationHooks hooks;
    hooks.progress = [rssHalf](int twips) {
        if (twips >= generate::ProgressFullTwips / 2 && *rssHalf == 0)
            *rssHalf = CurrentRssKiB();
    };
    QElapsedTimer timer;
    timer.start();
    const generate::CreationResult result = generate::GenerateRows(basKovaData::TableRules::FromShared(QStringLiteral("PEOPLE")), rows, hooks);
    const double seconds = timer.nsecsElapsed() / 1e9;
    *rssEnd = CurrentRssKiB();
    if (result.aborted || result.failures != 0) {
        std::fprintf(stderr, "the run failed: %s (%lld failures)\n", qPrintable(result.errorText), static_cast<long long>(result.failures));
        std::exit(1);
    }
    return seconds;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    QTemporaryDir dir;
    if (!OpenBenchTable(dir, Table, QStringLiteral("PEOPLE")))
        return 1;

    double fixed = 1e9;
    double dictionary = 1e9;
    long half = 0;
    long end = 0;
    for (int round = 0; round < 2; ++round) {
        long ignored = 0;
        fixed = std::min(fixed, Run(false, rows, &ignored, &ignored));
        half = 0;
        dictionary = std::min(dictionary, Run(true, rows, &half, &end));
    }
    std::printf("rows                      %d\n", rows);
    std::printf("fixed values              %.3f s  %8.0f rows/s  %6.2f us/row\n", fixed, rows / fixed, fixed * 1e6 / rows);
    std::printf("dictionary kind           %.3f s  %8.0f rows/s  %6.2f us/row\n", dictionary, rows / dictionary,
                dictionary * 1e6 / rows);
    std::printf("dictionary / fixed        %.2f  (goal: below 1.30)\n", dictionary / fixed);
    std::printf("resident memory           %ld KiB at half, %ld KiB at end\n", half, end);
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    return 0;
}
