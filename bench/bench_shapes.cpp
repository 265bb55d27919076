// Creation runs with the rules that shape data like production, each beside
// the same run with fixed values, on a temporary database file of the
// embedded engine: a NULL rate, a list picked at random by weight, a pattern,
// random values that never repeat, an expression over the row, and all of
// them at once; then every column of the random kind beside every column of
// the 分布 kind, drawn from profiles. Three alternating rounds, best of each.
//
//   bench_shapes [rows]        (default 100000)
#include "generate/ColumnProfile.h"
#include "generate/CreationRun.h"
#include "generate/InsertRow.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"

#include "BenchDatabase.h"
#include "BenchMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

using basKovaData::ColumnRule;
using basKovaData::Kind;

const char* const Table = "CREATE TABLE SHAPES (ID NUMBER(10) PRIMARY KEY, STATUS VARCHAR2(10), CODE VARCHAR2(12), "
                          "AMOUNT NUMBER(10), TOTAL NUMBER(12), PHONE VARCHAR2(20))";

// Every column fixed (the key a sequence), the base of each comparison.
void FixedRules()
{
    auto& rules = basKovaData::ColumnRules;
    for (int j = 1; j <= 6; ++j)
        rules[std::size_t(j)].clearRule();
    rules[1].setKind(Kind::Sequence);
    rules[1].NumValue = {1, 1};
    rules[2].setKind(Kind::Single);
    rules[2].TextValue[0] = QStringLiteral("出荷済");
    rules[3].setKind(Kind::Single);
    rules[3].TextValue[0] = QStringLiteral("JP-0042-A");
    rules[4].setKind(Kind::Single);
    rules[4].NumValue[0] = 4200;
    rules[5].setKind(Kind::Single);
    rules[5].NumValue[0] = 8400;
    rules[6].setKind(Kind::Single);
    rules[6].TextValue[0] = QStringLiteral("03-1234-5678");
}

void NullRate() { basKovaData::ColumnRules[6].NullRate = 30; }

void Weighted()
{
    ColumnRule& rule = basKovaData::ColumnRules[2];
    rule.setKind(Kind::Multiple);
    rule.RandomOrder = true;
    rule.TextValue[0] = QStringLiteral("出荷済");
    rule.TextValue[1] = QStringLiteral("保留");
    rule.MultiOn[0] = rule.MultiOn[1] = true;
    rule.Weight[0] = 8;
    rule.Weight[1] = 2;
}

void Pattern()
{
    ColumnRule& rule = basKovaData::ColumnRules[3];
    rule.setKind(Kind::Pattern);
    rule.Pattern = QStringLiteral("JP-\\d{4}-[A-Z]");
}

void Unique()
{
    ColumnRule& rule = basKovaData::ColumnRules[4];
    rule.setKind(Kind::Random);
    rule.NumValue = {1, 999999999, 1};
    rule.Unique = true;
}

void Expression()
{
    ColumnRule& rule = basKovaData::ColumnRules[5];
    rule.setKind(Kind::Expression);
    rule.Expression = QStringLiteral("row.AMOUNT * 2");
}

// Every column but the key of the random kind.
void RandomKind()
{
    for (int j = 2; j <= 6; ++j) {
        ColumnRule& rule = basKovaData::ColumnRules[std::size_t(j)];
        rule.setKind(Kind::Random);
        rule.NumValue = {1, 999999, 1};
    }
}

// Every column but the key of the 分布 kind: a skewed status, codes and
// telephone numbers of a shape, amounts in uneven buckets, NULLs.
void DistributionKind()
{
    const char* const profiles[] = {
        R"({"nulls": 0, "distinct": 3, "frequent": [["出荷済", 0.9], ["保留", 0.06], ["取消", 0.04]]})",
        R"({"nulls": 0, "distinct": 100000, "buckets": [[9, 9, 1, 100000]], "shapes": [["AA-9999-A", 0.6]],
            "classes": {"digit": 0.5, "latin": 0.5}})",
        R"({"nulls": 0.05, "distinct": 25100,
            "buckets": [[1, 100, 0.5, 100], [100, 10000, 0.3, 5000], [10000, 999999, 0.15, 20000]]})",
        R"({"nulls": 0.3, "distinct": 50000, "buckets": [[1, 1000000, 0.7, 50000]]})",
        R"({"nulls": 0, "distinct": 90000, "buckets": [[12, 13, 1, 90000]], "shapes": [["99-9999-9999", 0.8]],
            "classes": {"digit": 0.9, "symbol": 0.1}})",
    };
    for (int j = 2; j <= 6; ++j) {
        ColumnRule& rule = basKovaData::ColumnRules[std::size_t(j)];
        rule.setKind(Kind::Distribution);
        QString problem;
        const auto profile = generate::ReadProfileJson(QJsonDocument::fromJson(profiles[j - 2]).object(),
                                                       generate::ProfileFamily(rule.family()), &problem);
        if (!profile) {
            std::fprintf(stderr, "profile of column %d: %s\n", j, qPrintable(problem));
            std::exit(1);
        }
        rule.Distribution = std::make_shared<const generate::ColumnProfile>(*profile);
    }
}

struct Variant {
    const char* name;
    std::function<void()> set;
};

// Seconds of one run of `rows` rows into an emptied table.
double Run(const std::function<void()>& set, int rows, long* rssHalf, long* rssEnd)
{
    basKovaData::ExecuteSql(basKovaData::OraDatabase.get(), QStringLiteral("DELETE FROM SHAPES"));
    FixedRules();
    if (set)
        set();
    generate::CreationHooks hooks;
    hooks.progress = [rssHalf](int twips) {
        if (twips >= generate::ProgressFullTwips / 2 && *rssHalf == 0)
            *rssHalf = CurrentRssKiB();
    };
    QElapsedTimer timer;
    timer.start();
    const generate::CreationResult result =
        generate::GenerateRows(basKovaData::TableRules::FromShared(QStringLiteral("SHAPES")), rows, hooks);
    const double seconds = timer.nsecsElapsed() / 1e9;
    *rssEnd = CurrentRssKiB();
    if (result.aborted || result.failures != 0) {
        std::fprintf(stderr, "the run failed: %s (%lld failures)\n", qPrintable(result.errorText),
                     static_cast<long long>(result.failures));
        std::exit(1);
    }
    return seconds;
}

// Seconds to make the values and statements of `rows` rows without running
// them: the rules' own cost, apart from the database.
double ValuesOnly(const std::function<void()>& set, int rows)
{
    FixedRules();
    if (set)
        set();
    const basKovaData::TableRules rules = basKovaData::TableRules::FromShared(QStringLiteral("SHAPES"));
    generate::ValueGenerator generator(rules, nullptr);
    basKovaData::StatementShape shape;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rows; ++i) {
        generator.NextRow();
        basKovaData::InsertShape(rules.table, rules.count(), shape);
    }
    return timer.nsecsElapsed() / 1e9;
}

// Microseconds per row of the values alone (no database) for the unique
// columns, over rows 1,000 to 2,000 and over the last 1,000 of a million:
// a draw that must not repeat may not slow down as the run goes on.
void UniqueOverTime()
{
    FixedRules();
    Unique();
    Pattern();
    basKovaData::ColumnRules[3].Pattern = QStringLiteral("[A-Z]{4}\\d{4}");
    basKovaData::ColumnRules[3].Unique = true;
    const basKovaData::TableRules rules = basKovaData::TableRules::FromShared(QStringLiteral("SHAPES"));
    generate::ValueGenerator generator(rules, nullptr);
    constexpr int Rows = 1000000;
    QElapsedTimer timer;
    double early = 0;
    for (int i = 1; i <= Rows; ++i) {
        if (i == 1000 || i == Rows - 1000)
            timer.start();
        generator.NextRow();
        if (i == 2000)
            early = timer.nsecsElapsed() / 1e3 / 1000;
    }
    const double late = timer.nsecsElapsed() / 1e3 / 1000;
    std::printf("unique number and pattern, values only: %.2f us/row at row 1,000, %.2f us/row at row 1,000,000\n",
                early, late);
    std::printf("resident memory after a million unique pattern values: %ld KiB\n", CurrentRssKiB());
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    QTemporaryDir dir;
    if (!OpenBenchTable(dir, Table, QStringLiteral("SHAPES")))
        return 1;

    const Variant variants[] = {
        {"fixed values", {}},
        {"NULL rate 30 %", NullRate},
        {"weighted list", Weighted},
        {"pattern", Pattern},
        {"random, may repeat", [] { Unique(); basKovaData::ColumnRules[4].Unique = false; }},
        {"unique random", Unique},
        {"expression", [] { Unique(); Expression(); }},
        {"all of them", [] { NullRate(); Weighted(); Pattern(); Unique(); Expression(); }},
        {"random kind, all", RandomKind},
        {"分布 kind, all", DistributionKind},
    };
    constexpr std::size_t Count = std::size(variants);
    double best[Count];
    double values[Count];
    std::fill(std::begin(best), std::end(best), 1e9);
    std::fill(std::begin(values), std::end(values), 1e9);
    long half = 0;
    long end = 0;
    for (int round = 0; round < 3; ++round) {
        for (std::size_t v = 0; v < Count; ++v) {
            values[v] = std::min(values[v], ValuesOnly(variants[v].set, rows));
            long rssHalf = 0;
            long rssEnd = 0;
            best[v] = std::min(best[v], Run(variants[v].set, rows, &rssHalf, &rssEnd));
            if (v == Count - 3) {
                half = rssHalf;
                end = rssEnd;
            }
        }
    }
    std::printf("rows %d, best of 3     whole run                     values and statements only\n", rows);
    const double base = best[0] * 1e6 / rows;
    const double valuesBase = values[0] * 1e6 / rows;
    for (std::size_t v = 0; v < Count; ++v) {
        const double us = best[v] * 1e6 / rows;
        const double own = values[v] * 1e6 / rows;
        std::printf("%-20s  %7.2f us/row %+6.2f x%.2f    %6.2f us/row %+6.2f\n", variants[v].name, us, us - base,
                    us / base, own, own - valuesBase);
    }
    std::printf("(the expression line also has the unique column it reads: its own cost is the difference)\n");
    std::printf("resident memory, all     %ld KiB at half, %ld KiB at end\n", half, end);
    // The 分布 kind against the random kind, per row, less the fixed run's cost.
    const double random = best[Count - 2] - best[0], drawn = best[Count - 1] - best[0];
    const double randomValues = values[Count - 2] - values[0], drawnValues = values[Count - 1] - values[0];
    std::printf("分布 kind / random kind per row: whole run x%.2f, values and statements x%.2f; "
                "beyond fixed values: whole run x%.2f, values x%.2f\n",
                best[Count - 1] / best[Count - 2], values[Count - 1] / values[Count - 2], drawn / random,
                drawnValues / randomValues);
    UniqueOverTime();
    basKovaData::OraDatabase.reset();
    basKovaData::OraSession.reset();
    return 0;
}
