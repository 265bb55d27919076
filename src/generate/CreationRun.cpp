#include "generate/CreationRun.h"

#include "generate/InsertRow.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "shared/NumberRead.h"
#include "shared/Rounding.h"

#include <algorithm>
#include <cmath>

namespace generate {

std::optional<qint32> RowCountFromText(const QString& text)
{
    const double value = basKovaData::ReadNumber(text);
    if (!(value >= 1))
        return std::nullopt;
    return basKovaData::RoundToInt32(value);
}

qint32 ProgressStep(qint32 rows)
{
    const qint32 step = basKovaData::RoundToInt32(rows / 10.0).value_or(100);
    return std::clamp(step, 1, 100);
}

int ProgressTwips(qint32 row, qint32 rows)
{
    if (rows <= 0)
        return 0;
    return int(qint64(row) * ProgressFullTwips / rows);
}

QStringList NarrowKeyColumns(qint32 rows)
{
    QStringList narrow;
    const int count = std::min<int>(basKovaData::ColumnCount, int(basKovaData::ColumnRules.size()) - 1);
    for (int j = 1; j <= count; ++j) {
        const basKovaData::ColumnRule& rule = basKovaData::ColumnRules[std::size_t(j)];
        const auto family = ValueGenerator::ColumnFamily(rule);
        if (!rule.IsKey || rule.RuleKind.text() != basKovaData::RuleKinds::Sequence || rule.Length <= 0
            || (family != ValueGenerator::TypeFamily::Numeric && family != ValueGenerator::TypeFamily::Character))
            continue;
        const bool number = family == ValueGenerator::TypeFamily::Numeric;
        const int digits = number ? rule.Length - std::max<int>(rule.Scale, 0) : rule.Length;
        const double last = rule.NumValue[0] + rule.NumValue[1] * (rows - 1);
        if (digits < 16 && last >= std::pow(10.0, digits))
            narrow << rule.ColumnName.trimmed();
    }
    return narrow;
}

QString NarrowKeysMessage(const QStringList& columns, qint32 rows)
{
    return QStringLiteral("キー項目 %1 の桁数では %2件を作成できません。\n桁を超える行は登録されません。")
        .arg(columns.join(QStringLiteral("、")))
        .arg(rows);
}

namespace {

// Thrown between rows when the user stops the run.
struct RunStopped {};

}  // namespace

CreationResult GenerateRows(const QString& table, qint32 rows, const CreationHooks& hooks)
{
    CreationResult result;
    ::OraSession* session = basKovaData::OraSession.get();
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    if (!session || !database) {
        result.aborted = true;
        result.errorNumber = OraError::ComponentError;
        result.errorText = QStringLiteral("not connected");
        return result;
    }
    const int columns = basKovaData::ColumnCount;
    bool inTransaction = false;
    try {
        ValueGenerator generator(database);
        session->DbBeginTrans();
        inTransaction = true;
        basKovaData::RowStatements statements(database, hooks.batchRows);
        basKovaData::StatementShape shape;
        const qint32 step = ProgressStep(rows);
        for (qint32 i = 1; i <= rows; ++i) {
            if (hooks.stopRequested && hooks.stopRequested())
                throw RunStopped();
            if (i % step == 0 && hooks.progress)
                hooks.progress(ProgressTwips(i, rows));
            generator.NextRow();
            const QString literal = basKovaData::InsertText(table, columns);
            if (statements.Batched()) {
                basKovaData::InsertShape(table, columns, shape);
                statements.Add(literal, &shape);
            } else {
                statements.Add(literal);
            }
        }
        statements.Flush();
        if (hooks.stopRequested && hooks.stopRequested())
            throw RunStopped();
        result.failures = qint32(statements.Failures());
        if (result.failures > 0 && hooks.failuresFound)
            hooks.failuresFound(result.failures);
        session->DbCommitTrans();
        inTransaction = false;
    } catch (const RunStopped&) {
        result.aborted = true;
        result.stopped = true;
    } catch (const OraError& error) {
        result.aborted = true;
        result.errorNumber = error.number();
        result.errorText = error.message();
        result.connectionLost = database->ConnectionLost();
        result.lockedByOther = !result.connectionLost && database->LockedByOther();
    }
    if (inTransaction) {
        try {
            session->DBRollBack();
        } catch (const OraError&) {
            // The connection itself is gone; nothing is left to undo.
        }
    }
    if (!result.aborted && hooks.progress)
        hooks.progress(ProgressFullTwips);
    return result;
}

}  // namespace generate
