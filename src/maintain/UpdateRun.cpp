#include "maintain/UpdateRun.h"

#include "generate/InsertRow.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "shared/DateText.h"
#include "shared/Rounding.h"
#include "shared/SqlName.h"
#include "shared/StatementShape.h"
#include "shared/ValueText.h"

#include <QDateTime>
#include <QLocale>
#include <QMetaType>

#include <algorithm>
#include <exception>

using namespace Qt::StringLiterals;

namespace maintain {

namespace {

using basKovaData::ColumnRule;
using basKovaData::TableRules;
using Family = basKovaData::TypeFamily;

// A key number as the shortest text that reads back as the same value, so
// that the comparison finds the row again ("7", "12.5", "0.1").
QString KeyNumber(const QVariant& value)
{
    return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
}

using basKovaData::RunStopped;

// Rolls back what the run began, if the connection still allows it.
void RollBack(::OraSession* session)
{
    try {
        session->DBRollBack();
    } catch (const OraError&) {
        // The connection itself is gone; nothing is left to undo.
    }
}

UpdateResult SetBasedUpdate(::OraSession* session, ::OraDatabase* database, const QString& sql,
                            const UpdateHooks& hooks)
{
    UpdateResult result;
    result.setBased = true;
    session->DbBeginTrans();
    if (hooks.progress)
        hooks.progress(UpdateProgressFullTwips);
    if (hooks.statement)
        hooks.statement(sql);
    try {
        database->DbExecuteSQL(sql);
    } catch (const OraError& error) {
        // Undone, and said: a value too long for its column must not look
        // like an update that went through.
        result.rolledBack = true;
        result.outcome = database->LockedByOther() ? UpdateOutcome::Locked : UpdateOutcome::Failed;
        result.errorNumber = error.number();
        result.errorText = error.message();
        session->DBRollBack();
        return result;
    }
    session->DbCommitTrans();
    return result;
}

// The columns read with the keys for the expressions to see: when a column
// set is computed, every other column but the keys whose type a value can be
// read of (LONG, RAW and the like stay NULL).
std::vector<int> ColumnsToRead(const TableRules& rules, const UpdatePlan& plan)
{
    const bool computed = std::any_of(plan.sets.begin(), plan.sets.end(), [&rules](int column) {
        return rules[column].kind() == basKovaData::Kind::Expression;
    });
    std::vector<int> read;
    if (!computed)
        return read;
    const int count = std::min(rules.count(), basKovaData::RowValueCapacity - 1);
    for (int j = 1; j <= count; ++j)
        if (!rules[j].IsKey && rules[j].family() != Family::Other
            && std::find(plan.sets.begin(), plan.sets.end(), j) == plan.sets.end())
            read.push_back(j);
    return read;
}

// The row-by-row update. Throws OraError or RunStopped; the caller rolls back.
void RowByRowUpdate(::OraSession* session, ::OraDatabase* database, const TableRules& rules, const UpdatePlan& plan,
                    const QString& condition, const UpdateHooks& hooks, UpdateResult& result)
{
    session->DbBeginTrans();
    // An expression sees the row as the table holds it, but for the values
    // set: the columns the update leaves alone are read with the keys.
    const std::vector<int> read = ColumnsToRead(rules, plan);
    // The rows to update are fixed before the first UPDATE runs, as a
    // read-consistent query fixes them: an UPDATE never moves a row back in
    // front of the reader (a condition on a column being set, read through
    // an index on it, would otherwise visit rows again or skip them). Only
    // the key values (and those read for the expressions) are kept, row
    // after row.
    std::vector<QVariant> keyValues;
    const std::size_t keyCount = plan.keys.size();
    const std::size_t width = keyCount + read.size();
    {
        const auto keys = database->DBCreateDynaset(KeySelectStatement(rules, plan, condition, read), 0);
        while (!keys->IsEOF()) {
            for (std::size_t i = 0; i < width; ++i)
                keyValues.push_back(keys->Value(static_cast<int>(i)));
            keys->MoveNext();
        }
        keys->Close();
    }
    generate::ValueGenerator generator(rules, database);
    const qint64 total = static_cast<qint64>(keyValues.size() / width);
    const qint32 step = UpdateProgressStep(total);
    basKovaData::RowStatements statements(database, hooks.batchRows, hooks.stopRequested);
    basKovaData::StatementShape shape;
    const QString head = u"UPDATE "_s + database->SqlName(rules.table) + u" SET "_s;
    QStringList setNames;
    for (const int column : plan.sets)
        setNames << database->SqlName(rules.table, rules[column].ColumnName.trimmed());
    QStringList keyNames;
    for (const int column : plan.keys)
        keyNames << database->SqlName(rules.table, rules[column].ColumnName.trimmed());
    // The columns neither set nor read: NULL in every row, never another
    // run's values.
    std::vector<int> unset;
    for (int j = 1; j <= std::min(rules.count(), basKovaData::RowValueCapacity - 1); ++j)
        if (std::find(plan.sets.begin(), plan.sets.end(), j) == plan.sets.end()
            && std::find(plan.keys.begin(), plan.keys.end(), j) == plan.keys.end()
            && std::find(read.begin(), read.end(), j) == read.end())
            unset.push_back(j);
    for (qint64 row = 0; row < total; ++row) {
        if (hooks.stopRequested && hooks.stopRequested())
            throw RunStopped();
        ++result.rows;
        if (result.rows % step == 0 && hooks.progress)
            hooks.progress(UpdateProgressTwips(result.rows, total));
        // The row as the expressions see it: its own values where the update
        // leaves the column alone (NULL where they are not read), then the
        // values set.
        const QVariant* values = keyValues.data() + std::size_t(row) * width;
        for (const int column : unset)
            basKovaData::RowValues[std::size_t(column)].clear();
        for (std::size_t i = 0; i < keyCount; ++i)
            basKovaData::RowValues[std::size_t(plan.keys[i])] =
                generate::TableEntry(rules[plan.keys[i]].family(), values[i]);
        for (std::size_t i = 0; i < read.size(); ++i)
            basKovaData::RowValues[std::size_t(read[i])] =
                generate::TableEntry(rules[read[i]].family(), values[keyCount + i]);
        generator.NextValues(plan.sets);
        shape.clear();
        shape.appendText(head);
        for (std::size_t i = 0; i < plan.sets.size(); ++i) {
            const ColumnRule& rule = rules[plan.sets[i]];
            if (i > 0)
                shape.appendText(u',');
            shape.appendText(setNames[qsizetype(i)]);
            shape.appendText(u" = ");
            shape.appendSql(SetValueText(rule, basKovaData::RowValues[std::size_t(plan.sets[i])]));
        }
        for (std::size_t i = 0; i < keyCount; ++i) {
            shape.appendText(i == 0 ? u" WHERE " : u" AND ");
            AppendKeyComparison(shape, keyNames[i], rules[plan.keys[i]], values[i]);
        }
        if (hooks.statement)
            hooks.statement(shape.Literal());
        statements.Add(shape);
    }
    statements.Flush();
    if (hooks.stopRequested && hooks.stopRequested())
        throw RunStopped();
    result.errors = statements.Failures();
    result.refusals = statements.TakeRefusals();
    // Committed even when some rows failed: the others keep their new values.
    session->DbCommitTrans();
    if (hooks.progress)
        hooks.progress(UpdateProgressFullTwips);
}

}  // namespace

UpdatePlan PlanUpdate(const TableRules& rules)
{
    UpdatePlan plan;
    bool allFixed = true;
    for (int j = 1; j <= rules.count(); ++j) {
        const ColumnRule& rule = rules[j];
        const bool hasRule = !rule.RuleKind.isBlank();
        if (rule.IsKey) {
            plan.keys.push_back(j);
            plan.keyHasRule = plan.keyHasRule || hasRule;
        } else if (hasRule && rule.family() != Family::Other) {
            plan.sets.push_back(j);
            // A NULL rate gives each row its own value: row by row.
            allFixed = allFixed && rule.storedKind() == basKovaData::Kind::Single && rule.NullRate == 0;
        }
    }
    plan.allFixed = allFixed && !plan.sets.empty();
    return plan;
}

QString ConditionPart(const QString& condition)
{
    const QString trimmed = condition.trimmed();
    if (trimmed.isEmpty())
        return QString();
    return u" WHERE "_s + basKovaData::FlattenSql(trimmed);
}

QString SetBasedStatement(const TableRules& rules, const UpdatePlan& plan, const QString& condition)
{
    QString sql = u"UPDATE "_s + basKovaData::ServerSql(rules.table) + u" SET "_s;
    // The single fixed values, made exactly as the generator makes them: a
    // number keeps its leading blank ("C =  5").
    generate::ValueGenerator fixed(rules, nullptr);
    for (std::size_t i = 0; i < plan.sets.size(); ++i) {
        const ColumnRule& rule = rules[plan.sets[i]];
        if (i > 0)
            sql += u',';
        sql += basKovaData::ServerSql(rules.table, rule.ColumnName.trimmed()) + u" = "_s;
        sql += SetValueText(rule, fixed.NextValue(plan.sets[i]));
    }
    return sql + ConditionPart(condition);
}

QString KeySelectStatement(const TableRules& rules, const UpdatePlan& plan, const QString& condition,
                           const std::vector<int>& alsoRead)
{
    QStringList names;
    for (const int column : plan.keys)
        names.append(basKovaData::ServerSql(rules.table, rules[column].ColumnName.trimmed()));
    for (const int column : alsoRead)
        names.append(basKovaData::ServerSql(rules.table, rules[column].ColumnName.trimmed()));
    return u"SELECT "_s + names.join(u',') + u" From "_s + basKovaData::ServerSql(rules.table)
           + ConditionPart(condition);
}

QString SetValueText(const ColumnRule& rule, const QString& generated)
{
    if (rule.family() == Family::Character) {
        // Character values are plain texts, whatever they begin with; only
        // the NULL kind (and a row a NULL rate leaves NULL) is written as the
        // keyword. A character value that is empty (no text, no slot in use,
        // an unknown kind) becomes ''.
        if (rule.kind() == basKovaData::Kind::Null || (rule.NullRate > 0 && generated == u"@NULL"_s))
            return u"NULL"_s;
        return basKovaData::SqlQuoted(generate::EntryText(generated));
    }
    // Numbers and dates come as SQL text after the "@" mark, written as it
    // stands: a number keeps its leading blank (" 5"). "@" alone (an empty
    // list value) reads as 0 for a number, as in the INSERT of a creation
    // run, and as NULL for a date.
    const QString raw = generated.startsWith(u'@') ? generated.mid(1) : generated;
    if (raw.trimmed().isEmpty())
        return rule.family() == Family::Date ? u"NULL"_s : u"0"_s;
    return raw;
}

namespace {

// The SQL value a key comparison compares with; none for a NULL.
std::optional<QString> KeyValueSql(const ColumnRule& key, const QVariant& value)
{
    // A NULL key value would match nothing with "=": the row is found with
    // IS NULL instead, so that it is updated like the others.
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    switch (key.family()) {
    case Family::Character:
        return basKovaData::SqlQuoted(value.toString());
    case Family::Date: {
        // A date literal in the one date form the rules use; the value's
        // plain text is no date the statement could compare with.
        const QDateTime date = value.toDateTime();
        if (date.isValid())
            return basKovaData::SqlDate(basKovaData::DateText15(date));
        return basKovaData::SqlQuoted(value.toString());
    }
    case Family::Numeric:
    case Family::Other:
        break;
    }
    if (basKovaData::IsNumberValue(value))
        return KeyNumber(value);
    if (value.typeId() == QMetaType::QDateTime)
        return basKovaData::SqlDate(basKovaData::DateText15(value.toDateTime()));
    // Any other value (a text in a column of another type) as a literal, so
    // that no value can become part of the statement itself.
    return basKovaData::SqlQuoted(value.toString());
}

}  // namespace

void AppendKeyComparison(basKovaData::StatementShape& shape, const QString& column, const ColumnRule& key,
                         const QVariant& value)
{
    shape.appendText(column);
    const std::optional<QString> sql = KeyValueSql(key, value);
    if (!sql) {
        shape.appendText(u" IS NULL");
        return;
    }
    shape.appendText(u" = ");
    shape.appendSql(*sql);
}

QString KeyComparison(const ColumnRule& key, const QVariant& value)
{
    basKovaData::StatementShape shape;
    AppendKeyComparison(shape, basKovaData::SqlName(key.ColumnName.trimmed()), key, value);
    return shape.Literal();
}

qint32 UpdateProgressStep(qint64 rows)
{
    const qint32 step = basKovaData::RoundToInt32(static_cast<double>(rows) / 10.0).value_or(100);
    return std::clamp(step, 1, 100);
}

int UpdateProgressTwips(qint64 done, qint64 rows)
{
    if (rows <= 0)
        return 0;
    // 64 bits: done * 4440 outgrows 32 bits beyond 483,667 rows.
    return static_cast<int>(std::clamp<qint64>(done, 0, rows) * UpdateProgressFullTwips / rows);
}

UpdateMessage UpdateOutcomeMessage(const UpdateResult& result)
{
    using basKovaData::MessageIcon;
    switch (result.outcome) {
    case UpdateOutcome::NothingToSet:
        return {u"設定がひとつもされていません。"_s, MessageIcon::Information, {}};
    case UpdateOutcome::KeyHasRule:
        return {u"キーが更新項目に設定されています。"_s, MessageIcon::Information, {}};
    case UpdateOutcome::Failed:
        return {u"ＳＱＬ文のエラーです。確認してください。"_s + QString::number(result.errorNumber),
                MessageIcon::Information, result.errorText};
    case UpdateOutcome::Stopped:
        return {UpdateStoppedMessage, MessageIcon::Information, {}};
    case UpdateOutcome::Locked:
        return {UpdateLockedMessage, MessageIcon::Exclamation, {}};
    case UpdateOutcome::Done:
        if (result.errors > 0)
            return {u"更新エラー数："_s + QString::number(result.errors), MessageIcon::Information,
                    result.refusals.Details()};
        break;
    }
    return {};
}

UpdateResult UpdateRows(const TableRules& rules, const QString& condition, const UpdateHooks& hooks)
{
    UpdateResult result;
    const UpdatePlan plan = PlanUpdate(rules);
    if (plan.sets.empty()) {
        result.outcome = UpdateOutcome::NothingToSet;
        return result;
    }
    if (!plan.allFixed && plan.keyHasRule) {
        result.outcome = UpdateOutcome::KeyHasRule;
        return result;
    }
    ::OraSession* session = basKovaData::OraSession.get();
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    if (!session || !database) {
        result.outcome = UpdateOutcome::Failed;
        result.errorNumber = OraError::ComponentError;
        result.errorText = u"not connected"_s;
        return result;
    }
    if (plan.allFixed) {
        try {
            return SetBasedUpdate(session, database, SetBasedStatement(rules, plan, condition), hooks);
        } catch (const OraError& error) {
            // Beginning or ending the transaction failed.
            RollBack(session);
            result.outcome = database->LockedByOther() ? UpdateOutcome::Locked : UpdateOutcome::Failed;
            result.setBased = true;
            result.errorNumber = error.number();
            result.errorText = error.message();
            return result;
        }
    }
    if (plan.keys.empty()) {
        // Without key columns no row can be told apart (the key query would
        // have no column list): the same error as a failing query, and
        // nothing is sent to the database.
        result.outcome = UpdateOutcome::Failed;
        result.errorNumber = OraError::ComponentError;
        result.errorText = u"the table has no key columns"_s;
        return result;
    }
    // Whatever stops the run (the key query, a source list's query, the
    // commit, or any other failure) leaves no transaction open behind it.
    try {
        RowByRowUpdate(session, database, rules, plan, condition, hooks, result);
    } catch (const RunStopped&) {
        RollBack(session);
        result.outcome = UpdateOutcome::Stopped;
    } catch (const OraError& error) {
        RollBack(session);
        result.outcome = !database->ConnectionLost() && database->LockedByOther() ? UpdateOutcome::Locked
                                                                                   : UpdateOutcome::Failed;
        result.errorNumber = error.number();
        result.errorText = error.message();
    } catch (const std::exception& error) {
        RollBack(session);
        result.outcome = UpdateOutcome::Failed;
        result.errorNumber = 0;
        result.errorText = QString::fromLocal8Bit(error.what());
    }
    return result;
}

}  // namespace maintain
