#include "maintain/UpdateRun.h"

#include "generate/InsertRow.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "shared/DateText.h"
#include "shared/Rounding.h"
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
using Family = generate::ValueGenerator::TypeFamily;

const ColumnRule& RuleOf(int column)
{
    return basKovaData::ColumnRules[static_cast<std::size_t>(column)];
}

// A key number as the shortest text that reads back as the same value, so
// that the comparison finds the row again ("7", "12.5", "0.1").
QString KeyNumber(const QVariant& value)
{
    return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
}

// " WHERE K1 = ... AND K2 = ..." for the current row of the key query.
QString KeyClause(const UpdatePlan& plan, const OraDynaset& keys)
{
    QString clause;
    for (std::size_t i = 0; i < plan.keys.size(); ++i) {
        clause += i == 0 ? u" WHERE "_s : u" AND "_s;
        clause += KeyComparison(RuleOf(plan.keys[i]), keys.Value(static_cast<int>(i)));
    }
    return clause;
}

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
    if (basKovaData::ExecuteSql(database, sql) == -1) {
        result.rolledBack = true;
        session->DBRollBack();
    } else {
        session->DbCommitTrans();
    }
    return result;
}

// The row-by-row update. Throws OraError; the caller rolls back.
void RowByRowUpdate(::OraSession* session, ::OraDatabase* database, const QString& table, const UpdatePlan& plan,
                    const QString& condition, const UpdateHooks& hooks, UpdateResult& result)
{
    session->DbBeginTrans();
    // The rows to update are fixed before the first UPDATE runs, as a
    // read-consistent query fixes them: an UPDATE never moves a row back in
    // front of the reader (a condition on a column being set, read through
    // an index on it, would otherwise visit rows again or skip them). Only
    // the WHERE texts are kept.
    std::vector<QString> rowKeys;
    {
        const auto keys = database->DBCreateDynaset(KeySelectStatement(table, plan, condition), 0);
        while (!keys->IsEOF()) {
            rowKeys.push_back(KeyClause(plan, *keys));
            keys->MoveNext();
        }
        keys->Close();
    }

    generate::ValueGenerator generator(database);
    const qint64 total = static_cast<qint64>(rowKeys.size());
    const qint32 step = UpdateProgressStep(total);
    QString head = u"UPDATE "_s + table + u" SET "_s;
    QString sql;
    for (const QString& where : rowKeys) {
        ++result.rows;
        if (result.rows % step == 0 && hooks.progress)
            hooks.progress(UpdateProgressTwips(result.rows, total));
        sql = head;
        for (std::size_t i = 0; i < plan.sets.size(); ++i) {
            const int column = plan.sets[i];
            if (i > 0)
                sql += u',';
            sql += RuleOf(column).ColumnName.trimmed();
            sql += u" = "_s;
            sql += SetValueText(RuleOf(column), generator.NextValue(column));
        }
        sql += where;
        if (hooks.statement)
            hooks.statement(sql);
        if (basKovaData::ExecuteSql(database, sql) == -1) {
            // A lost server is not a row that failed: the run stops here.
            if (database->ConnectionLost())
                throw OraError(u"the connection to the server was lost"_s);
            ++result.errors;
        }
    }
    // Committed even when some rows failed: the others keep their new values.
    session->DbCommitTrans();
    if (hooks.progress)
        hooks.progress(UpdateProgressFullTwips);
}

}  // namespace

UpdatePlan PlanUpdate()
{
    UpdatePlan plan;
    const int count = std::min<int>(basKovaData::ColumnCount, static_cast<int>(basKovaData::ColumnRules.size()) - 1);
    bool allFixed = true;
    for (int j = 1; j <= count; ++j) {
        const ColumnRule& rule = RuleOf(j);
        const bool hasRule = !rule.RuleKind.isBlank();
        if (rule.IsKey) {
            plan.keys.push_back(j);
            plan.keyHasRule = plan.keyHasRule || hasRule;
        } else if (hasRule && generate::ValueGenerator::ColumnFamily(rule) != Family::None) {
            plan.sets.push_back(j);
            allFixed = allFixed && rule.RuleKind.text() == basKovaData::RuleKinds::Single;
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

QString SetBasedStatement(const QString& table, const UpdatePlan& plan, const QString& condition)
{
    QString sql = u"UPDATE "_s + table + u" SET "_s;
    for (std::size_t i = 0; i < plan.sets.size(); ++i) {
        const ColumnRule& rule = RuleOf(plan.sets[i]);
        if (i > 0)
            sql += u',';
        sql += rule.ColumnName.trimmed() + u" = "_s;
        // The single fixed value, made exactly as the generator makes it: the
        // number keeps its leading blank ("C =  5").
        generate::ValueGenerator fixed(nullptr);
        sql += SetValueText(rule, fixed.NextValue(plan.sets[i]));
    }
    return sql + ConditionPart(condition);
}

QString KeySelectStatement(const QString& table, const UpdatePlan& plan, const QString& condition)
{
    QStringList names;
    for (const int column : plan.keys)
        names.append(RuleOf(column).ColumnName.trimmed());
    return u"SELECT "_s + names.join(u',') + u" From "_s + table + ConditionPart(condition);
}

QString SetValueText(const ColumnRule& rule, const QString& generated)
{
    if (generate::ValueGenerator::ColumnFamily(rule) == Family::Character) {
        // Character values are plain texts, whatever they begin with; only
        // the NULL kind is written as the keyword. A character value that is
        // empty (no text, no slot in use, an unknown kind) becomes ''.
        if (rule.kindNumber() == 5)
            return u"NULL"_s;
        return basKovaData::SqlQuoted(generated);
    }
    // Numbers and dates come as SQL text after the "@" mark, written as it
    // stands: a number keeps its leading blank (" 5"). "@" alone (an empty
    // list value) reads as 0 for a number, as in the INSERT of a creation
    // run, and as NULL for a date.
    const QString raw = generated.startsWith(u'@') ? generated.mid(1) : generated;
    if (raw.trimmed().isEmpty())
        return generate::ValueGenerator::ColumnFamily(rule) == Family::Date ? u"NULL"_s : u"0"_s;
    return raw;
}

QString KeyComparison(const ColumnRule& key, const QVariant& value)
{
    const QString name = key.ColumnName.trimmed();
    // A NULL key value would match nothing with "=": the row is found with
    // IS NULL instead, so that it is updated like the others.
    if (!value.isValid() || value.isNull())
        return name + u" IS NULL"_s;
    switch (generate::ValueGenerator::ColumnFamily(key)) {
    case Family::Character:
        return name + u" = "_s + basKovaData::SqlQuoted(value.toString());
    case Family::Date: {
        // A date literal in the one date form the rules use; the value's
        // plain text is no date the statement could compare with.
        const QDateTime date = value.toDateTime();
        if (date.isValid())
            return name + u" = "_s + basKovaData::SqlDate(basKovaData::DateText15(date));
        return name + u" = "_s + basKovaData::SqlQuoted(value.toString());
    }
    case Family::Numeric:
    case Family::None:
        break;
    }
    if (basKovaData::IsNumberValue(value))
        return name + u" = "_s + KeyNumber(value);
    if (value.typeId() == QMetaType::QDateTime)
        return name + u" = "_s + basKovaData::SqlDate(basKovaData::DateText15(value.toDateTime()));
    // Any other value (a text in a column of another type) as a literal, so
    // that no value can become part of the statement itself.
    return name + u" = "_s + basKovaData::SqlQuoted(value.toString());
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

UpdateResult UpdateRows(const QString& table, const QString& condition, const UpdateHooks& hooks)
{
    UpdateResult result;
    const UpdatePlan plan = PlanUpdate();
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
            return SetBasedUpdate(session, database, SetBasedStatement(table, plan, condition), hooks);
        } catch (const OraError& error) {
            // Beginning or ending the transaction failed.
            RollBack(session);
            result.outcome = UpdateOutcome::Failed;
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
        RowByRowUpdate(session, database, table, plan, condition, hooks, result);
    } catch (const OraError& error) {
        RollBack(session);
        result.outcome = UpdateOutcome::Failed;
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
