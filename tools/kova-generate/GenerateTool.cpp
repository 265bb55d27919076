#include "GenerateTool.h"

#include "browser/AutoRules.h"
#include "browser/ColumnGrid.h"
#include "browser/CommandChecks.h"
#include "browser/ObjectList.h"
#include "controls/GridModel.h"
#include "generate/CreationRun.h"
#include "generate/InsertRow.h"
#include "generate/RuleFile.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "rules/RuleEditing.h"
#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "session/OraSession.h"
#include "shared/ValueText.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace kovagenerate {

namespace {

// A whole number of at least `least`, or none.
std::optional<int> Count(const QString& text, int least)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= least ? std::optional<int>(value) : std::nullopt;
}

// A rule file read once and checked against its table: the table as the
// dictionary spells it, with its columns and the file's rules.
struct Prepared {
    QString path;
    basKovaData::TableRules rules;
    int rows = generate::DefaultRuleFileRows;
};

// The schema's table that a file names, as the dictionary spells it: the
// name itself, else the one table whose name differs only in case. None when
// there is no such table (or several differ only in case).
std::optional<QString> SchemaTable(const QStringList& tables, const QString& name)
{
    if (tables.contains(name))
        return name;
    QStringList alike;
    for (const QString& table : tables)
        if (table.compare(name, Qt::CaseInsensitive) == 0)
            alike << table;
    return alike.size() == 1 ? std::optional<QString>(alike.first()) : std::nullopt;
}

// Opens and closes each select rule's statement once, so that a statement the
// database cannot run stops the job before anything is written. Only queries
// are opened: a rule that would write was refused with the file and is never
// run. The column and the database's message, or empty.
QString CheckSelects(const basKovaData::TableRules& rules)
{
    for (int j = 1; j <= rules.count(); ++j) {
        const basKovaData::ColumnRule& rule = rules[j];
        if (rule.storedKind() != basKovaData::Kind::Select)
            continue;
        const QString column = rule.ColumnName.trimmed();
        const QString sql = basKovaData::FlattenSql(basKovaData::JoinStatement(rule).trimmed());
        if (!basKovaData::IsQueryText(sql))
            return column + u": "_s + basKovaData::RuleMessages::NotQuery;
        try {
            basKovaData::OraDatabase->DBCreateDynaset(sql, 0)->Close();
        } catch (const OraError& error) {
            return column + u": the SELECT fails: "_s + error.message();
        }
    }
    return {};
}

// Reads `path` once, finds its table among `tables`, loads the table's
// columns and applies the file's rules; none, with the reason on `err`, when
// any of that fails.
std::optional<Prepared> Prepare(const QString& path, const QStringList& tables, QTextStream& err)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << path << ": cannot read the file: " << file.errorString() << '\n';
        return std::nullopt;
    }
    const QByteArray json = file.readAll();
    const QString named = QJsonDocument::fromJson(json).object().value(u"table"_s).toString().trimmed();
    const std::optional<QString> table = SchemaTable(tables, named);
    if (!table) {
        // A file that is no rule file is refused with its own reason first.
        basKovaData::ResetColumnRules();
        basKovaData::ColumnCount = 0;
        const generate::RuleFileLoad load = generate::ApplyRuleFile(json);
        if (load.refused)
            err << path << ": " << load.message << '\n';
        else if (named.isEmpty())
            err << path << ": the file names no table (\"table\")\n";
        else
            err << path << ": the schema has no table " << named << '\n';
        return std::nullopt;
    }
    // The table is read first, so that its columns are there to take the rules.
    controls::GridModel grid;
    const browser::ColumnGridResult columns =
        browser::FillColumnGrid(basKovaData::OraDatabase.get(), grid, *table, true);
    if (columns.outcome != browser::ColumnGridResult::Outcome::Loaded) {
        err << path << ": table " << *table << " cannot be read: " << columns.message << '\n';
        return std::nullopt;
    }
    const generate::RuleFileLoad load = generate::ApplyRuleFile(json);
    if (load.refused) {
        err << path << ": " << load.message << '\n';
        return std::nullopt;
    }
    if (const QString leftOut = generate::LeftOutText(load); !leftOut.isEmpty())
        err << path << ": " << leftOut << '\n';
    QString refusal = browser::CheckBeforeCreate(*table);
    Prepared prepared{path, basKovaData::TableRules::FromShared(*table), load.rows};
    prepared.rules.seed = load.seed;
    if (refusal.isEmpty())
        refusal = CheckSelects(prepared.rules);
    if (!refusal.isEmpty()) {
        err << path << ": " << refusal << '\n';
        return std::nullopt;
    }
    return prepared;
}

void ShowProgress(QTextStream& err, int twips)
{
    constexpr int Width = 40;
    const int filled = twips * Width / generate::ProgressFullTwips;
    err << '\r' << '[' << QString(filled, u'#') << QString(Width - filled, u'.') << "] "
        << twips * 100 / generate::ProgressFullTwips << '%';
    err.flush();
}

// Prints the INSERT texts of the first `rows` rows of each table, inside a
// transaction that is rolled back: nothing is written.
int Preview(const std::vector<Prepared>& tables, int rows, QTextStream& out, QTextStream& err)
{
    ::OraSession* session = basKovaData::OraSession.get();
    try {
        session->DbBeginTrans();
    } catch (const OraError& error) {
        err << "stopped: " << error.message() << '\n';
        return Stopped;
    }
    const auto rollBack = qScopeGuard([session] {
        try {
            session->DBRollBack();
        } catch (const OraError&) {
            // A connection that is gone has nothing to undo.
        }
    });
    for (const Prepared& table : tables) {
        try {
            generate::ValueGenerator generator(table.rules, basKovaData::OraDatabase.get());
            const QString refusal = generator.Prepare(rows);
            if (!refusal.isEmpty()) {
                err << table.rules.table << ": " << refusal << '\n';
                return Stopped;
            }
            for (int i = 0; i < rows; ++i) {
                generator.NextRow();
                out << basKovaData::InsertText(table.rules.table, table.rules.count()) << '\n';
            }
        } catch (const OraError& error) {
            err << table.rules.table << ": a SELECT of the rules failed: " << error.message() << '\n';
            return Stopped;
        }
    }
    return AllCreated;
}

QString StopReason(const generate::CreationResult& result)
{
    if (result.lockedByOther)
        return u"the database is in use by another program"_s;
    if (result.connectionLost)
        return u"the connection to the server was lost: "_s + result.errorText;
    if (result.stopped)
        return u"the run was stopped"_s;
    return result.errorText;
}

// Every table in one transaction: refused rows are counted per table, with
// why under the table's line; anything else keeps nothing of any table.
int Create(const std::vector<Prepared>& tables, std::optional<int> rows, QTextStream& out, QTextStream& err,
           bool progress)
{
    generate::CreationHooks hooks;
    if (progress)
        hooks.progress = [&err](int twips) { ShowProgress(err, twips); };
    std::vector<generate::TableRun> runs;
    for (const Prepared& table : tables)
        runs.push_back({&table.rules, rows.value_or(table.rows)});
    const std::vector<generate::CreationResult> results = generate::GenerateTables(runs, hooks);
    if (progress) {
        err << '\n';
        err.flush();
    }
    if (!results.empty() && results.front().aborted) {
        err << "stopped, nothing was kept: " << StopReason(results.front()) << '\n';
        return Stopped;
    }
    int status = AllCreated;
    for (std::size_t t = 0; t < results.size(); ++t) {
        const generate::CreationResult& result = results[t];
        out << tables[t].rules.table << ": " << (runs[t].rows - result.failures) << " rows created, "
            << result.failures << " refused\n";
        if (result.failures > 0) {
            status = SomeRefused;
            for (const QString& line : result.refusals.Details().split(u'\n'))
                out << "  " << line << '\n';
        }
    }
    out.flush();
    return status;
}

// The tables in an order where every table comes after the tables its
// foreign keys refer to; with a cycle among them, the order given.
std::vector<Prepared> ParentsFirst(std::vector<Prepared> prepared, QTextStream& err)
{
    const std::size_t count = prepared.size();
    std::vector<QStringList> parents(count);
    for (std::size_t i = 0; i < count; ++i) {
        try {
            parents[i] = browser::ParentTables(basKovaData::OraDatabase.get(), prepared[i].rules.table);
        } catch (const OraError&) {
            // A dictionary without foreign keys orders nothing.
        }
    }
    std::vector<Prepared> ordered;
    std::vector<bool> placed(count, false);
    const auto ready = [&](std::size_t i) {
        return std::all_of(parents[i].begin(), parents[i].end(), [&](const QString& parent) {
            for (std::size_t j = 0; j < count; ++j)
                if (j != i && !placed[j] && prepared[j].rules.table.compare(parent, Qt::CaseInsensitive) == 0)
                    return false;
            return true;
        });
    };
    std::vector<std::size_t> order;
    while (order.size() < count) {
        std::size_t next = count;
        for (std::size_t i = 0; i < count && next == count; ++i)
            if (!placed[i] && ready(i))
                next = i;
        if (next == count) {
            QStringList cycle;
            for (std::size_t i = 0; i < count; ++i)
                if (!placed[i])
                    cycle << prepared[i].rules.table;
            err << "the foreign keys of " << cycle.join(u", "_s)
                << " form a cycle; the files run in the order given\n";
            return prepared;
        }
        placed[next] = true;
        order.push_back(next);
    }
    for (std::size_t i : order)
        ordered.push_back(std::move(prepared[i]));
    return ordered;
}

// Says before the run which junction tables will find too few new
// combinations of their parents' keys. A table whose parents this job fills
// as well is not judged: their new keys are not there yet.
void WarnShortfalls(const std::vector<Prepared>& tables, std::optional<int> rows, QTextStream& err)
{
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    for (const Prepared& table : tables) {
        const qint64 count = rows.value_or(table.rows);
        try {
            const QStringList parents = browser::ParentTables(database, table.rules.table);
            if (std::any_of(tables.begin(), tables.end(), [&](const Prepared& other) {
                    return &other != &table && parents.contains(other.rules.table, Qt::CaseInsensitive);
                }))
                continue;
            // The shortfall reads the table's rules where the main window keeps them.
            basKovaData::ColumnRules = table.rules.columns;
            basKovaData::ColumnCount = qint16(table.rules.count());
            if (const qint64 missing = browser::JunctionShortfall(database, table.rules.table, count); missing > 0)
                err << table.rules.table << ": the parents' keys give no new combination for " << missing
                    << " of the " << count << " rows; they will be refused\n";
        } catch (const OraError&) {
            // Without the dictionary's answer the run goes on unwarned.
        }
    }
}

}  // namespace

std::optional<Arguments> ParseArguments(const QStringList& args, QString* error)
{
    Arguments parsed;
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--rows"_s || arg == u"--preview"_s) {
            const std::optional<int> count = i + 1 < args.size() ? Count(args[i + 1], 1) : std::nullopt;
            if (!count) {
                *error = arg + u" needs a whole number of at least 1"_s;
                return std::nullopt;
            }
            (arg == u"--rows"_s ? parsed.rows : parsed.preview) = count;
            ++i;
        } else if (arg == u"--seed"_s) {
            bool ok = false;
            const qulonglong seed = i + 1 < args.size() ? args[i + 1].toULongLong(&ok) : 0;
            if (!ok || seed > (qulonglong(1) << 53)) {
                *error = u"--seed needs a whole number from 0 to 9007199254740992"_s;
                return std::nullopt;
            }
            parsed.seed = seed;
            ++i;
        } else if (arg.startsWith(u"--"_s)) {
            *error = u"unknown option "_s + arg;
            return std::nullopt;
        } else {
            rest << arg;
        }
    }
    const qsizetype at = rest.isEmpty() ? -1 : rest.first().lastIndexOf(u'@');
    if (at <= 0 || at == rest.first().size() - 1) {
        *error = u"the first argument must be user/password@service"_s;
        return std::nullopt;
    }
    parsed.connect = rest.first().left(at);
    parsed.service = rest.first().mid(at + 1);
    parsed.files = rest.mid(1);
    if (parsed.files.isEmpty()) {
        *error = u"no rule file given"_s;
        return std::nullopt;
    }
    return parsed;
}

int Run(const Arguments& args, QTextStream& out, QTextStream& err, bool progress)
{
    auto session = std::make_shared<OraSession>();
    try {
        basKovaData::OraDatabase = session->DbOpenDatabase(args.service, args.connect);
    } catch (const OraError& error) {
        err << "cannot log in to " << args.service << ": " << error.message() << '\n';
        return Stopped;
    }
    basKovaData::OraSession = session;
    const auto logout = qScopeGuard([] {
        basKovaData::OraDatabase.reset();
        basKovaData::OraSession.reset();
    });
    // The names a file may give: the schema's tables as the dictionary
    // spells them. A file's name reaches SQL only once it is one of these.
    QStringList tables;
    try {
        browser::ObjectList list;
        browser::LoadObjectList(*basKovaData::OraDatabase, list);
        tables = list.names.mid(0, list.firstViewIndex - 1);
    } catch (const OraError& error) {
        err << "cannot read the schema's tables: " << error.message() << '\n';
        return Stopped;
    }
    // Every file is read once and checked before the first row is written: a
    // wrong file stops the job with nothing changed.
    std::vector<Prepared> prepared;
    for (const QString& path : args.files) {
        std::optional<Prepared> table = Prepare(path, tables, err);
        if (!table)
            return Stopped;
        if (args.seed)
            table->rules.seed = args.seed;
        prepared.push_back(std::move(*table));
    }
    prepared = ParentsFirst(std::move(prepared), err);
    if (args.preview)
        return Preview(prepared, *args.preview, out, err);
    WarnShortfalls(prepared, args.rows, err);
    return Create(prepared, args.rows, out, err, progress);
}

}  // namespace kovagenerate
