#pragma once
// A skewed source of our own on the PostgreSQL server, for the goals of
// look-alike data: a Zipf-like customer per order, seasonal dates bunched at
// month ends, a status that is 90 % one value, 30 % NULLs, a prefecture and
// city that belong together, and 0 to 20 coupons per customer. Shared by the
// tests on the throwaway server and by bench_lookalike.
#include <QString>
#include <QStringList>

namespace kovatest {

// The source's tables.
inline const QStringList LookAlikeTables = {QStringLiteral("CUSTOMERS"), QStringLiteral("ORDERS"),
                                            QStringLiteral("COUPONS")};

// The statements that make the source: ORDERS of `orders` rows, CUSTOMERS of
// a tenth of that, COUPONS by customer (in PostgreSQL's SQL; the tables'
// types in Oracle's, for the dictionary views).
QStringList LookAlikeSource(qint64 orders);

// Ten queries (joins, range filters on skewed values, a GROUP BY, an
// anti-join) whose plans look-alike data should not change.
QStringList LookAlikeQueries();

// What look-alike data of the source keeps, measured on the server: the
// source is made and analyzed, profiled (from its rows, or from pg_stats
// alone), written as a project with kova-generate --profile, generated at
// scale 1 into a second database, analyzed and profiled the same way.
struct LookAlikeResult {
    QString error;            // what stopped the measure, or empty
    QStringList figures;      // every figure, one line each
    QStringList past;         // "TABLE.COLUMN figure" past its threshold
    bool pairsKept = false;   // every generated PREF, CITY is a pair of the source
    int samePlans = 0;        // of the ten queries' plans
    QStringList otherPlans;   // "query: source shape <> target shape"
    double profileSeconds = 0.0;   // profiling the source
    double generateSeconds = 0.0;  // running the project
    qint64 sourceRows = 0;
};
LookAlikeResult MeasureLookAlike(qint64 orders, bool statisticsOnly);

// The shape of `query`'s plan on the server's database `database`: each node
// type with its relation, children in brackets, in the plan's order. Empty
// with *error set when EXPLAIN failed. Index-only scans are left out on both
// sides: they depend on the pages VACUUM marked, not on the data.
QString PlanShape(const QString& database, const QString& query, QString* error);

}  // namespace kovatest
