#include "GenerateTool.h"

#include "browser/AutoRules.h"
#include "browser/ColumnGrid.h"
#include "browser/CommandChecks.h"
#include "controls/GridModel.h"
#include "generate/CreationRun.h"
#include "generate/InsertRow.h"
#include "generate/RuleFile.h"
#include "generate/ValueGenerator.h"
#include "rules/ColumnRule.h"
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "session/OraSession.h"

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

// A rule file read and checked against its table, whose columns and rules are
// then loaded as the main window would have them.
struct Prepared {
    QString table;
    int rows = generate::DefaultRuleFileRows;
};

// Reads `path`, loads its table's columns and applies its rules; none, with
// the reason on `err`, when any of that fails.
std::optional<Prepared> Prepare(const QString& path, QTextStream& err)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << path << ": cannot read the file: " << file.errorString() << '\n';
        return std::nullopt;
    }
    const QByteArray json = file.readAll();
    const QString table = QJsonDocument::fromJson(json).object().value(u"table"_s).toString().trimmed();
    // The table is read first, so that its columns are there to take the rules;
    // a file that is no rule file is refused below with the reason.
    controls::GridModel grid;
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    browser::ColumnGridResult columns;
    for (const QString& name : {table, table.toUpper()}) {
        columns = browser::FillColumnGrid(database, grid, name, true);
        if (columns.outcome == browser::ColumnGridResult::Outcome::Loaded) {
            Prepared prepared{name, generate::DefaultRuleFileRows};
            const generate::RuleFileLoad load = generate::ApplyRuleFile(json);
            if (load.refused) {
                err << path << ": " << load.message << '\n';
                return std::nullopt;
            }
            if (const QString leftOut = generate::LeftOutText(load); !leftOut.isEmpty())
                err << path << ": " << leftOut << '\n';
            const QString refusal = browser::CheckBeforeCreate(name);
            if (!refusal.isEmpty()) {
                err << path << ": " << refusal << '\n';
                return std::nullopt;
            }
            prepared.rows = load.rows;
            return prepared;
        }
    }
    const generate::RuleFileLoad load = generate::ApplyRuleFile(json);
    if (load.refused)
        err << path << ": " << load.message << '\n';
    else if (table.isEmpty())
        err << path << ": the file names no table (\"table\")\n";
    else
        err << path << ": table " << table << " cannot be read: " << columns.message << '\n';
    return std::nullopt;
}

void ShowProgress(QTextStream& err, int twips)
{
    constexpr int Width = 40;
    const int filled = twips * Width / generate::ProgressFullTwips;
    err << '\r' << '[' << QString(filled, u'#') << QString(Width - filled, u'.') << "] "
        << twips * 100 / generate::ProgressFullTwips << '%';
    err.flush();
}

// Prints the INSERT texts of the first `rows` rows; writes nothing.
int Preview(const Prepared& table, int rows, QTextStream& out, QTextStream& err)
{
    try {
        const basKovaData::TableRules rules = basKovaData::TableRules::FromShared(table.table);
        generate::ValueGenerator generator(rules, basKovaData::OraDatabase.get());
        for (int i = 0; i < rows; ++i) {
            generator.NextRow();
            out << basKovaData::InsertText(table.table, rules.count()) << '\n';
        }
    } catch (const OraError& error) {
        err << table.table << ": a SELECT of the rules failed: " << error.message() << '\n';
        return Stopped;
    }
    return AllCreated;
}

int Create(const Prepared& table, int rows, QTextStream& out, QTextStream& err, bool progress)
{
    generate::CreationHooks hooks;
    if (progress)
        hooks.progress = [&err](int twips) { ShowProgress(err, twips); };
    const generate::CreationResult result =
        generate::GenerateRows(basKovaData::TableRules::FromShared(table.table), rows, hooks);
    if (progress) {
        err << '\n';
        err.flush();
    }
    if (result.aborted) {
        err << table.table << ": stopped, nothing was kept: "
            << (result.lockedByOther ? u"the database is in use by another program"_s : result.errorText) << '\n';
        return Stopped;
    }
    out << table.table << ": " << (rows - result.failures) << " rows created, " << result.failures << " refused\n";
    out.flush();
    return result.failures > 0 ? SomeRefused : AllCreated;
}

// The files in an order where every table comes after the tables its foreign
// keys refer to; with a cycle among them, the order given.
QStringList ParentsFirst(const QStringList& files, const QStringList& tables, QTextStream& err)
{
    const qsizetype count = files.size();
    std::vector<QStringList> parents(static_cast<std::size_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        try {
            parents[std::size_t(i)] = browser::ParentTables(basKovaData::OraDatabase.get(), tables[i]);
        } catch (const OraError&) {
            // A dictionary without foreign keys orders nothing.
        }
    }
    QStringList ordered;
    std::vector<bool> placed(static_cast<std::size_t>(count), false);
    const auto ready = [&](qsizetype i) {
        return std::all_of(parents[std::size_t(i)].begin(), parents[std::size_t(i)].end(), [&](const QString& parent) {
            for (qsizetype j = 0; j < count; ++j)
                if (j != i && !placed[std::size_t(j)] && tables[j].compare(parent, Qt::CaseInsensitive) == 0)
                    return false;
            return true;
        });
    };
    while (ordered.size() < count) {
        qsizetype next = -1;
        for (qsizetype i = 0; i < count && next < 0; ++i)
            if (!placed[std::size_t(i)] && ready(i))
                next = i;
        if (next < 0) {
            QStringList cycle;
            for (qsizetype i = 0; i < count; ++i)
                if (!placed[std::size_t(i)])
                    cycle << tables[i];
            err << "the foreign keys of " << cycle.join(u", "_s)
                << " form a cycle; the files run in the order given\n";
            return files;
        }
        placed[std::size_t(next)] = true;
        ordered << files[next];
    }
    return ordered;
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
    // Every file is checked before the first row is written: a wrong file
    // stops the job with nothing changed.
    QStringList tables;
    for (const QString& path : args.files) {
        const std::optional<Prepared> table = Prepare(path, err);
        if (!table)
            return Stopped;
        tables << table->table;
    }
    int status = AllCreated;
    for (const QString& path : ParentsFirst(args.files, tables, err)) {
        // Loaded again for its run; what the check said is not said twice.
        QString again;
        QTextStream quiet(&again);
        const std::optional<Prepared> table = Prepare(path, quiet);
        if (!table) {
            err << again;
            return Stopped;
        }
        const int rows = args.preview ? *args.preview : args.rows.value_or(table->rows);
        try {
            if (const qint64 missing = browser::JunctionShortfall(basKovaData::OraDatabase.get(), table->table, rows);
                missing > 0 && !args.preview)
                err << table->table << ": the parents' keys give no new combination for " << missing << " of the "
                    << rows << " rows; they will be refused\n";
        } catch (const OraError&) {
            // Without the dictionary's answer the run goes on unwarned.
        }
        const int outcome =
            args.preview ? Preview(*table, rows, out, err) : Create(*table, rows, out, err, progress);
        status = std::max(status, outcome);
    }
    return status;
}

}  // namespace kovagenerate
