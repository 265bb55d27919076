#pragma once
// Project files: a whole run over several tables as one JSON document.
//
//   {"kova-project": 1, "seed": 42, "empty-first": true,
//    "before": ["ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD'"], "after": [],
//    "tables": [
//      {"rules": "部署.json", "rows": 10},
//      {"rules": "社員.json", "per-parent": {"table": "部署", "min": 3, "max": 8}},
//      {"table": "取引先", "rules": "auto", "rows": 500}]}
//
// "rules" names a rule file relative to the project file, or "auto" for the
// rules that 自動設定 proposes (the entry then names its "table"). "rows" is
// the table's count (else the rule file's own); "per-parent" instead makes,
// for each row the run creates in the parent table, a count of rows drawn
// evenly from min to max, each taking its foreign key from that parent row;
// with "counts" instead of min and max, a count drawn by shares, as a
// profile learned it: [[low, high, share], ...] (a share of the parent's
// rows has from low to high children, drawn evenly between them; the shares
// add up to 1).
// "before" and "after" run inside the run's transaction; a DDL statement
// among them commits what ran before it, as DDL does (see RunFrame).
#include "generate/ColumnProfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace generate {

struct ProjectTable {
    QString rules;  // the rule file as written, or "auto"
    QString table;  // as written; may be empty beside a rule file
    std::optional<qint64> rows;
    struct PerParent {
        QString table;
        qint64 min = 0;
        qint64 max = 0;
        std::vector<ChildCount> counts;  // none: evenly from min to max
    };
    std::optional<PerParent> perParent;
    // The source's children per parent row of its other foreign keys, as
    // --profile learned them: read by --compare, not by a run.
    struct Children {
        QString table;
        QStringList columns;
        std::vector<ChildCount> counts;
    };
    std::vector<Children> children;

    bool automatic() const { return rules == QLatin1String("auto"); }
};

struct Project {
    std::optional<std::uint64_t> seed;
    bool emptyFirst = false;
    QStringList before;
    QStringList after;
    std::vector<ProjectTable> tables;
};

// Most rows per table and per parent row a project may ask for.
inline constexpr qint64 MaxProjectRows = 2147483647;

// The project of a document, or none with *problem saying what is wrong (in
// the words a console prints after the file's name). Only the document is
// checked here: files and tables are checked against the disk and the schema
// by whoever runs it.
std::optional<Project> ReadProject(const QByteArray& json, QString* problem);

// Whether a document is meant as a project (its top level names "kova-project").
bool IsProjectText(const QByteArray& json);

}  // namespace generate
