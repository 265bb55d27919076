#pragma once
// What RunRows keeps per table, shared by the files that make its rows and
// draw their foreign keys.
#include "generate/ForeignKeyDraws.h"
#include "generate/ParentKeys.h"
#include "generate/RunRows.h"
#include "generate/ValueGenerator.h"

#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace generate {

// The rows of one table from some row on: its generator, and for a
// per-parent table where it stands among the parent's rows.
struct RunRows::Source {
    std::unique_ptr<ValueGenerator> generator;
    qint64 row = 0;          // the next row's place in the whole run
    qint64 parentRow = -1;   // the parent row the current row belongs to
    // A slice makes the parent's rows again: their source and the last row
    // it made, with that row's key values.
    std::unique_ptr<Source> parent;
    qint64 parentMade = -1;
    std::vector<QString> parentValues;
};

struct RunRows::Later {
    std::unique_ptr<ForeignKeyDraws> draws;
    std::vector<int> keyColumns;
    std::vector<qint64> rows;
    std::vector<PackedTexts> keys;
    std::vector<std::pair<int, QString>> drawn;
};

}  // namespace generate
