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

// The shape of `query`'s plan on the server's database `database`: each node
// type with its relation, children in brackets, in the plan's order. Empty
// with *error set when EXPLAIN failed.
QString PlanShape(const QString& database, const QString& query, QString* error);

}  // namespace kovatest
