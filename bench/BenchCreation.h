#pragma once
// The creation run the insert benchmarks time: a six-column table, its rules
// and one whole run on the database of the program-wide session.
#include "BenchMemory.h"

#include "browser/ColumnGrid.h"
#include "controls/GridModel.h"
#include "generate/CreationRun.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"

#include <QElapsedTimer>

inline const char* const BenchCreateTable =
    "CREATE TABLE BENCH (ID NUMBER(8) PRIMARY KEY, NAME VARCHAR2(20), AMOUNT NUMBER(10,2), "
    "CODE CHAR(6), CREATED DATE, REMARK VARCHAR2(100))";

struct BenchResult {
    double seconds = 0;
    long rssHalfKiB = 0;
    long rssEndKiB = 0;
    int failures = 0;
};

// The table's rules: a sequence key, a random amount, several fixed names in
// turn, a zero-filled CHAR sequence, a date sequence and remarks read by a
// SELECT from another table.
inline void SetBenchRules()
{
    using basKovaData::ColumnRules;
    ColumnRules[1].RuleKind = QStringLiteral("3");
    ColumnRules[1].NumValue = {1, 1};
    ColumnRules[2].RuleKind = QStringLiteral("1");
    for (int slot = 0; slot < 4; ++slot) {
        ColumnRules[2].MultiOn[std::size_t(slot)] = true;
        ColumnRules[2].TextValue[std::size_t(slot)] = QStringLiteral("商品") + QString::number(slot);
    }
    ColumnRules[3].RuleKind = QStringLiteral("2");
    ColumnRules[3].NumValue = {0, 1000, 0.01};
    ColumnRules[4].RuleKind = QStringLiteral("3");
    ColumnRules[4].NumValue = {1, 1};
    ColumnRules[5].RuleKind = QStringLiteral("3");
    ColumnRules[5].TextValue[0] = QStringLiteral("20010101 090000");
    ColumnRules[5].TextValue[1] = QStringLiteral("1");
    ColumnRules[6].RuleKind = QStringLiteral("4");
    ColumnRules[6].TextValue[0] = QStringLiteral("SELECT REMARK FROM BENCH_SOURCE");
}

// Creates the tables on the open database (dropping what an earlier run
// left), loads the columns, sets the rules and times one creation run
// (`batchRows` rows per exchange with a server that takes batches).
inline BenchResult RunBenchCreation(int rows, const QString& createTable = QString::fromLatin1(BenchCreateTable),
                                    int batchRows = basKovaData::RowStatements::DefaultBatchRows)
{
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    basKovaData::ExecuteSql(database, QStringLiteral("DROP TABLE BENCH"));
    basKovaData::ExecuteSql(database, QStringLiteral("DROP TABLE BENCH_SOURCE"));
    basKovaData::ExecuteSql(database, createTable);
    basKovaData::ExecuteSql(database, QStringLiteral("CREATE TABLE BENCH_SOURCE (REMARK VARCHAR2(100))"));
    for (int i = 1; i <= 50; ++i)
        basKovaData::ExecuteSql(database, QStringLiteral("INSERT INTO BENCH_SOURCE VALUES ('テストデータ備考 %1')").arg(i));
    controls::GridModel grid;
    browser::FillColumnGrid(database, grid, QStringLiteral("BENCH"), true);
    SetBenchRules();

    BenchResult result;
    QElapsedTimer timer;
    timer.start();
    generate::CreationHooks hooks;
    hooks.batchRows = batchRows;
    hooks.progress = [&result, rows](int twips) {
        if (twips >= generate::ProgressFullTwips / 2 && result.rssHalfKiB == 0 && rows > 1)
            result.rssHalfKiB = CurrentRssKiB();
    };
    const generate::CreationResult run = generate::GenerateRows(basKovaData::TableRules::FromShared(QStringLiteral("BENCH")), rows, hooks);
    result.seconds = timer.nsecsElapsed() / 1e9;
    result.failures = run.aborted ? rows : run.failures;
    result.rssEndKiB = CurrentRssKiB();
    return result;
}
