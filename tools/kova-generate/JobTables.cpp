#include "JobTables.h"

#include "GenerateTool.h"
#include "KeyOrder.h"

#include "browser/AutoRules.h"
#include "browser/ColumnGrid.h"
#include "browser/CommandChecks.h"
#include "browser/ObjectList.h"
#include "controls/GridModel.h"
#include "engine/OdbcEngine.h"
#include "generate/InsertRow.h"
#include "generate/RuleFile.h"
#include "rules/RuleEditing.h"
#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "session/OraSession.h"
#include "shared/ValueText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace kovagenerate {

namespace {

std::optional<QByteArray> ReadFile(const QString& path, const QString& label, QTextStream& err)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << label << ": cannot read the file" << (label == path ? QString() : u' ' + path) << ": "
            << file.errorString() << '\n';
        return std::nullopt;
    }
    return file.readAll();
}

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

// Reads one entry: finds its table among `tables`, loads the table's columns
// and gives them the file's rules or the proposed ones; none, with the
// reason on `err`, when any of that fails.
std::optional<JobTable> Prepare(const JobEntry& entry, const QStringList& tables, QTextStream& err)
{
    QByteArray json;
    QString named = entry.table;
    if (!entry.rulesPath.isEmpty()) {
        const std::optional<QByteArray> read = ReadFile(entry.rulesPath, entry.label, err);
        if (!read)
            return std::nullopt;
        json = *read;
        const QString fileTable = QJsonDocument::fromJson(json).object().value(u"table"_s).toString().trimmed();
        if (named.isEmpty())
            named = fileTable;
        else if (!fileTable.isEmpty() && fileTable.compare(named, Qt::CaseInsensitive) != 0) {
            err << entry.label << ": the rule file is for table " << fileTable << ", not " << named << '\n';
            return std::nullopt;
        }
    }
    const std::optional<QString> table = SchemaTable(tables, named);
    if (!table) {
        // A file that is no rule file is refused with its own reason first.
        basKovaData::ResetColumnRules();
        basKovaData::ColumnCount = 0;
        const generate::RuleFileLoad load = entry.rulesPath.isEmpty() ? generate::RuleFileLoad{}
                                                                      : generate::ApplyRuleFile(json);
        if (load.refused)
            err << entry.label << ": " << load.message << '\n';
        else if (named.isEmpty())
            err << entry.label << ": the file names no table (\"table\")\n";
        else
            err << entry.label << ": the schema has no table " << named << '\n';
        return std::nullopt;
    }
    // The table is read first, so that its columns are there to take the rules.
    controls::GridModel grid;
    const browser::ColumnGridResult columns =
        browser::FillColumnGrid(basKovaData::OraDatabase.get(), grid, *table, true);
    if (columns.outcome != browser::ColumnGridResult::Outcome::Loaded) {
        err << entry.label << ": table " << *table << " cannot be read: " << columns.message << '\n';
        return std::nullopt;
    }
    JobTable prepared{entry.label, {}, entry.rows.value_or(generate::DefaultRuleFileRows), entry.perParent, {},
                      entry.rulesPath.isEmpty(), {}, {}};
    std::optional<std::uint64_t> seed;
    if (entry.rulesPath.isEmpty()) {
        // Messages start with the table; a project's entry first says which.
        const QString about = entry.label == *table ? *table : entry.label + u": "_s + *table;
        const browser::AutoRulesResult proposed = browser::ProposeRules(basKovaData::OraDatabase.get(), *table);
        if (proposed.failed) {
            err << about << ": the rules cannot be proposed: " << proposed.errorText << '\n';
            return std::nullopt;
        }
        for (const QString& line : proposed.identityColumns + proposed.triggerFilled)
            err << about << ": " << line << '\n';
        for (const QString& line : proposed.nullForChecks)
            err << about << ": " << line.section(u": "_s, 0, 0) << ": NULL, as CHECK " << line.section(u": "_s, 1)
                << " is not read\n";
        for (const QString& line : proposed.unreadChecks)
            err << about << ": CHECK " << line << " is not read: rows may be refused\n";
    } else {
        const generate::RuleFileLoad load = generate::ApplyRuleFile(json);
        if (load.refused) {
            err << entry.label << ": " << load.message << '\n';
            return std::nullopt;
        }
        if (const QString leftOut = generate::LeftOutText(load); !leftOut.isEmpty())
            err << entry.label << ": " << leftOut << '\n';
        prepared.rows = entry.rows.value_or(load.rows);
        seed = load.seed;
    }
    QString refusal = browser::CheckBeforeCreate(*table);
    prepared.rules = basKovaData::TableRules::FromShared(*table);
    prepared.rules.seed = seed;
    if (refusal.isEmpty())
        refusal = CheckSelects(prepared.rules);
    if (!refusal.isEmpty()) {
        err << entry.label << ": " << refusal << '\n';
        return std::nullopt;
    }
    return prepared;
}

int ColumnIndex(const basKovaData::TableRules& rules, const QString& name)
{
    for (int j = 1; j <= rules.count(); ++j)
        if (rules[j].ColumnName.trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return j;
    return 0;
}

// The foreign key constraints of `table` that the database can check at
// the commit: on the embedded engine every one; on a server those declared
// DEFERRABLE (none where the dictionary does not say).
QStringList DeferrableKeys(::OraDatabase* database, const QString& table, const QList<browser::ForeignKey>& keys)
{
    QStringList names;
    if (!dynamic_cast<const OdbcEngine*>(&database->engine())) {
        for (const browser::ForeignKey& key : keys)
            names << key.constraint;
        return names;
    }
    try {
        // Every column, read by name: the statement itself does not name
        // DEFERRABLE, which some servers keep as a word of their own.
        const auto rows = database->DBCreateDynaset(
            u"SELECT * FROM USER_CONSTRAINTS WHERE TABLE_NAME = %1 AND CONSTRAINT_TYPE = 'R'"_s.arg(
                basKovaData::SqlQuoted(table)),
            0);
        for (; !rows->IsEOF(); rows->MoveNext())
            if (rows->Value(u"DEFERRABLE"_s).toString().trimmed() == u"DEFERRABLE"_s)
                names << rows->Value(u"CONSTRAINT_NAME"_s).toString().trimmed();
    } catch (const OraError&) {
        // A dictionary that cannot say defers nothing.
    }
    return names;
}

}  // namespace

std::optional<Job> ReadJob(const Arguments& args, QTextStream& err)
{
    Job job;
    job.seed = args.seed;
    if (!args.automatic.isEmpty()) {
        for (const QString& table : args.automatic)
            job.entries.push_back({table, {}, table, args.rows, std::nullopt});
        return job;
    }
    if (args.files.size() == 1) {
        const std::optional<QByteArray> json = ReadFile(args.files.first(), args.files.first(), err);
        if (!json)
            return std::nullopt;
        if (generate::IsProjectText(*json)) {
            job.label = args.files.first();
            QString problem;
            const std::optional<generate::Project> project = generate::ReadProject(*json, &problem);
            if (!project) {
                err << job.label << ": " << problem << '\n';
                return std::nullopt;
            }
            const QDir folder = QFileInfo(job.label).absoluteDir();
            for (std::size_t i = 0; i < project->tables.size(); ++i) {
                const generate::ProjectTable& table = project->tables[i];
                JobEntry entry{job.label + u": tables[%1]"_s.arg(i), {}, table.table, table.rows, table.perParent};
                if (!table.automatic()) {
                    entry.rulesPath = QDir::cleanPath(folder.filePath(table.rules));
                    if (!QFileInfo(entry.rulesPath).isFile()) {
                        err << entry.label << ": there is no rule file " << entry.rulesPath << '\n';
                        return std::nullopt;
                    }
                    entry.label = entry.rulesPath;
                }
                if (args.rows && !table.perParent)
                    entry.rows = args.rows;
                job.entries.push_back(entry);
            }
            if (!job.seed)
                job.seed = project->seed;
            job.emptyFirst = project->emptyFirst;
            job.before = project->before;
            job.after = project->after;
            return job;
        }
    }
    for (const QString& path : args.files)
        job.entries.push_back({path, path, {}, args.rows, std::nullopt});
    return job;
}

std::optional<QStringList> SchemaTableNames(QTextStream& err)
{
    try {
        browser::ObjectList list;
        browser::LoadObjectList(*basKovaData::OraDatabase, list);
        return list.names.mid(0, list.firstViewIndex - 1);
    } catch (const OraError& error) {
        err << "cannot read the schema's tables: " << error.message() << '\n';
        return std::nullopt;
    }
}

bool PrepareTables(Job& job, QTextStream& err)
{
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    // The names a file may give: the schema's tables as the dictionary
    // spells them. A name reaches SQL only once it is one of these.
    const std::optional<QStringList> schema = SchemaTableNames(err);
    if (!schema)
        return false;
    const QStringList& names = *schema;
    std::vector<JobTable> read;
    for (const JobEntry& entry : job.entries) {
        std::optional<JobTable> table = Prepare(entry, names, err);
        if (!table)
            return false;
        if (job.seed)
            table->rules.seed = job.seed;
        for (const JobTable& other : read)
            if (other.rules.table == table->rules.table) {
                err << entry.label << ": table " << table->rules.table << " is given twice\n";
                return false;
            }
        read.push_back(std::move(*table));
    }
    const std::size_t count = read.size();
    const auto indexOf = [&](const QString& name) {
        for (std::size_t i = 0; i < count; ++i)
            if (read[i].rules.table.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return count;
    };
    std::vector<KeyColumn> columns;
    std::vector<QList<browser::ForeignKey>> keys(count);
    for (std::size_t i = 0; i < count; ++i) {
        try {
            keys[i] = browser::ForeignKeys(database, read[i].rules.table);
        } catch (const OraError&) {
            // A dictionary without foreign keys orders nothing.
        }
        for (const browser::ForeignKey& key : keys[i]) {
            const std::size_t parent = indexOf(key.parentTable);
            if (parent == count || parent == i)
                continue;
            const int column = ColumnIndex(read[i].rules, key.column);
            const bool nullable = column > 0 && !read[i].rules[column].IsNotNull && !read[i].rules[column].IsKey;
            columns.push_back({i, parent, column, key.constraint, nullable, false, false});
        }
    }
    // A table made per parent row takes every foreign key column it has to that parent.
    for (std::size_t i = 0; i < count; ++i) {
        if (!read[i].perParent)
            continue;
        const QString& label = job.entries[i].label;
        const std::size_t parent = indexOf(read[i].perParent->table);
        if (parent == count || parent == i) {
            err << job.label << ": per-parent table " << read[i].perParent->table << " of "
                << read[i].rules.table << " is not another table of the project\n";
            return false;
        }
        generate::PerParent link{parent, {}, {}, read[i].perParent->min, read[i].perParent->max,
                                 read[i].perParent->counts};
        for (const browser::ForeignKey& key : keys[i]) {
            if (key.parentTable.compare(read[parent].rules.table, Qt::CaseInsensitive) != 0)
                continue;
            const int column = ColumnIndex(read[i].rules, key.column);
            const int parentColumn = ColumnIndex(read[parent].rules, key.parentColumn);
            if (column > 0 && parentColumn > 0 && !std::count(link.columns.begin(), link.columns.end(), column)) {
                link.columns.push_back(column);
                link.parentColumns.push_back(parentColumn);
            }
        }
        if (link.columns.empty()) {
            err << label << ": " << read[i].rules.table << " has no foreign key to " << read[parent].rules.table
                << ", so it cannot be made per row of it\n";
            return false;
        }
        for (KeyColumn& key : columns)
            key.required = key.required || (key.table == i && key.parent == parent);
        read[i].parentLink = link;
    }
    // Only the keys of tables in a cycle are asked whether they can wait for the commit.
    KeyOrder order = OrderTables(count, columns);
    std::vector<bool> asked(count, false);
    while (!order.cycle.empty() && !asked[order.cycle.front()]) {
        for (const std::size_t i : order.cycle) {
            asked[i] = true;
            const QStringList deferrable = DeferrableKeys(database, read[i].rules.table, keys[i]);
            for (KeyColumn& key : columns)
                key.deferrable = key.deferrable || (key.table == i && deferrable.contains(key.constraint));
        }
        order = OrderTables(count, columns);
    }
    if (!order.cycle.empty()) {
        QStringList cycle, constraints;
        for (const std::size_t i : order.cycle)
            cycle << read[i].rules.table;
        for (const auto& [i, constraint] : order.blocking)
            constraints << constraint + u" of "_s + read[i].rules.table;
        err << (job.label.isEmpty() ? QString() : job.label + u": "_s) << "the foreign keys of " << cycle.join(u", "_s)
            << " form a cycle that no column left NULL breaks, and the database cannot defer "
            << constraints.join(u", "_s) << " to the commit (declare them DEFERRABLE)\n";
        return false;
    }
    job.deferred.clear();
    for (const auto& [i, constraint] : order.deferred)
        job.deferred.push_back({read[i].rules.table, constraint});
    for (std::size_t i = 0; i < count; ++i) {
        read[i].later = order.later[i];
        read[i].ahead = order.ahead[i];
    }
    // Keys drawn from rows a later table will have are known before only
    // from a seed: without one, the job chooses it and says which.
    const bool ahead = std::any_of(read.begin(), read.end(), [](const JobTable& table) { return !table.ahead.empty(); });
    const bool unseeded = std::any_of(read.begin(), read.end(), [](const JobTable& table) { return !table.rules.seed; });
    if (ahead && unseeded) {
        const std::uint64_t seed = job.seed.value_or(QRandomGenerator::global()->bounded(quint64(1) << 53));
        err << "the keys of a cycle are drawn from rows made after theirs; no seed was given, the job uses --seed "
            << seed << '\n';
        job.seed = seed;
        for (JobTable& table : read)
            if (!table.rules.seed)
                table.rules.seed = seed;
    }
    std::vector<std::size_t> place(count);
    for (std::size_t k = 0; k < count; ++k)
        place[order.order[k]] = k;
    job.tables.clear();
    for (const std::size_t i : order.order) {
        job.tables.push_back(std::move(read[i]));
        if (job.tables.back().parentLink)
            job.tables.back().parentLink->parent = place[job.tables.back().parentLink->parent];
    }
    return true;
}

QStringList EmptiedTables(const Job& job)
{
    QStringList tables;
    if (job.emptyFirst)
        for (auto table = job.tables.rbegin(); table != job.tables.rend(); ++table)
            tables << table->rules.table;
    return tables;
}

std::vector<generate::TableRun> TableRuns(const Job& job)
{
    std::vector<generate::TableRun> runs;
    for (const JobTable& table : job.tables)
        runs.push_back({&table.rules, table.rows, table.parentLink, table.later, table.ahead});
    return runs;
}

}  // namespace kovagenerate
