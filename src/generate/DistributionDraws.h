#pragma once
// The 分布 kind's values: drawn from a column's profile (ColumnProfile.h).
// A row is NULL with the profile's NULL share, a frequent value with its
// share, else a bucket by its share and one of the bucket's distinct values:
// a bucket of d values gives one of d values evenly spread from its low to
// its high (numbers on the column's scale, dates to the second or to the day),
// a text bucket one of d texts made from an index, so that the column keeps
// the profile's distinct count. A personal column takes values of its
// dictionary instead, as many distinct ones as the profile counts.
//
// Two columns of a pair draw one joint value per row: the pair's values by
// their shares; in the rest of the rows each column on its own, NULL with
// the chance its NULL share leaves there, else its own values without the
// share the pair already gave them.
#include "generate/ColumnLength.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace basKovaData {
struct TableRules;
}

namespace generate {

class DistributionDraws {
public:
    // A draw in [0, 1) of column `column` (1 to the count) for the row being made.
    using ColumnDraw = std::function<double(int column)>;

    // The 分布 columns of `rules`. `measureOf` gives a character column's
    // length measure; `draw` a column's own next draw of the row; `pairDraw`
    // the one draw of a row that picks the joint value of the pair led by
    // column `leader`. `key` keys the texts made from an index.
    DistributionDraws(const basKovaData::TableRules& rules, const std::function<LengthMeasure(int)>& measureOf,
                      ColumnDraw draw, ColumnDraw pairDraw, std::uint64_t key);
    ~DistributionDraws();
    DistributionDraws(const DistributionDraws&) = delete;
    DistributionDraws& operator=(const DistributionDraws&) = delete;

    // Spreads each bucket's draws over more values than its distinct count
    // where `rows` rows drawn among just those would repeat some and leave
    // others out: n draws among m values give m (1 - e^(-n/m)) distinct ones
    // on average, so m is chosen to give the bucket's count (every value new
    // when the bucket has as many distinct values as rows).
    void PlanRows(qint64 rows);

    // The entry of `column` for row `row` (from 0) as RowValues holds it:
    // "@NULL", a number or a date after "@", or a text as data. Empty for a
    // column that is no 分布 column.
    QString Value(int column, qint64 row);

private:
    struct Column;
    // The pair value row `row` takes in the pair led by `leader`, or -1 for
    // the rest of the rows.
    int PairIndex(Column& leader, int column, qint64 row);
    // A value of the column outside its pair's values (or any value, for a
    // column of no pair).
    QString OwnValue(Column& column, int number);
    QString BucketValue(Column& column, int number, std::size_t bucket);

    std::vector<std::unique_ptr<Column>> m_columns;  // by column number; null for other kinds
    ColumnDraw m_draw;
    ColumnDraw m_pairDraw;
};

// How many values n draws must pick among to find `distinct` different ones
// on average: m with m (1 - e^(-n/m)) = distinct, or a count past any
// column's values (1e15) when `distinct` is close to n itself.
double DrawSpread(double distinct, double n);

}  // namespace generate
