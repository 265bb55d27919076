#pragma once
// The rows a creation run would insert, generated without inserting them.
#include <QString>
#include <QStringList>

#include <vector>

namespace basKovaData {
struct TableRules;
}

namespace generate {

struct RowPreview {
    QStringList headings;  // the column names
    std::vector<QStringList> rows;
    // A SELECT of the rules failed: the rows made before it are kept.
    bool failed = false;
    // The rules cannot give the rows (errorText says why): none was made.
    bool refused = false;
    int errorNumber = 0;
    QString errorText;
};

// The first `rows` rows that a creation run with `rules` would insert now,
// each value as PreviewText shows it. Reads SELECT sources but writes nothing
// (what they might change is rolled back), and leaves the random sequence
// where it was: a run afterwards makes the same rows as one without the
// preview.
RowPreview PreviewRows(const basKovaData::TableRules& rules, qint32 rows);

// A value in the form the INSERT builder takes, as a person reads it: NULL as
// an empty text, a generated date as "YYYY/MM/DD HH:NN:SS", a number without
// its "@" and blanks; other SQL text keeps its "@".
QString PreviewText(const QString& entry);

}  // namespace generate
