#include "generate/RowPreview.h"

#include "generate/RunRows.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "shared/DateText.h"
#include "shared/RandomSequence.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

namespace generate {

QString PreviewText(const QString& entry)
{
    if (!entry.startsWith(u'@'))
        return entry;
    if (std::optional<QString> text = LiteralEntry(entry))
        return *text;
    const QString sql = entry.mid(1).trimmed();
    if (sql.isEmpty() || sql.compare(u"NULL"_s, Qt::CaseInsensitive) == 0)
        return sql.isEmpty() ? u"0"_s : QString();
    bool number = false;
    sql.toDouble(&number);
    if (number)
        return sql;
    static const QString head = u"TO_DATE('"_s;
    static const QString tail = u"','YYYYMMDD HH24MISS')"_s;
    if (sql.startsWith(head) && sql.endsWith(tail)) {
        const QString text = sql.mid(head.size(), sql.size() - head.size() - tail.size());
        if (basKovaData::IsDateText(text))
            return basKovaData::DateFromText(text).toString(u"yyyy/MM/dd HH:mm:ss"_s);
    }
    return entry;
}

RowPreview PreviewRows(const basKovaData::TableRules& rules, qint32 rows)
{
    RowPreview preview;
    for (int j = 1; j <= rules.count(); ++j)
        preview.headings << rules[j].ColumnName.trimmed();
    const unsigned random = basKovaData::RandomPosition();
    ::OraSession* session = basKovaData::OraSession.get();
    bool inTransaction = false;
    try {
        // Whatever a SELECT of the rules might change on a server is undone:
        // the preview writes nothing.
        if (session) {
            session->DbBeginTrans();
            inTransaction = true;
        }
        // The rows the run would make, foreign keys drawn as it draws them.
        const std::vector<TableRun> tables{TableRun{&rules, rows, std::nullopt, {}, {}}};
        RunRows made(tables, basKovaData::OraDatabase.get(), {}, RunTarget::Database);
        preview.errorText = made.Prepare();
        preview.refused = !preview.errorText.isEmpty();
        if (preview.refused)
            rows = 0;
        for (qint32 i = 0; i < rows; ++i) {
            QStringList row;
            made.NextRow(0);
            for (int j = 1; j <= rules.count(); ++j)
                row << PreviewText(basKovaData::RowValues[std::size_t(j)]);
            preview.rows.push_back(row);
        }
    } catch (const OraError& error) {
        preview.failed = true;
        preview.errorNumber = error.number();
        preview.errorText = error.message();
    }
    if (inTransaction) {
        try {
            session->DBRollBack();
        } catch (const OraError&) {
            // The connection is gone: nothing is left to undo.
        }
    }
    basKovaData::SetRandomPosition(random);
    return preview;
}

}  // namespace generate
