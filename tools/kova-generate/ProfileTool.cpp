// --profile: learns the tables' profiles and writes a project of 分布 rules
// that makes look-alike rows at the source's scale (or F times it).
#include "GenerateTool.h"
#include "JobTables.h"

#include "browser/ColumnGrid.h"
#include "browser/ProfileRules.h"
#include "controls/GridModel.h"
#include "generate/RuleFile.h"
#include "generate/TableProfile.h"
#include "session/AtomicFile.h"
#include "session/OraAccess.h"
#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "shared/basKovaData.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTextStream>

#include <cmath>

using namespace Qt::StringLiterals;

namespace kovagenerate {

namespace {

constexpr qint64 MostRows = 2147483647;

struct Learned {
    QString table;
    generate::TableProfile profile;
    QString fileName;
    QByteArray rules;
    qint64 rows = 0;
    std::optional<generate::ChildrenPerParent> perParent;
};

// A file name part of a table's name: characters a file system refuses
// become "_".
QString FilePart(const QString& table)
{
    QString part = table;
    for (QChar& c : part)
        if (c == u'/' || c == u'\\' || c == u':' || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>'
            || c == u'|' || c.unicode() < 0x20)
            c = u'_';
    return part;
}

// How far children per parent are from even: the spread of the counts
// against their mean (their coefficient of variation).
double Spread(const generate::ChildrenPerParent& children)
{
    double mean = 0.0;
    double square = 0.0;
    for (const generate::ChildCount& count : children.counts) {
        const double middle = (double(count.low) + double(count.high)) / 2.0;
        mean += count.share * middle;
        square += count.share * middle * middle;
    }
    return mean > 0.0 ? std::sqrt(std::max(square - mean * mean, 0.0)) / mean : 0.0;
}

// The columns --personal marks in `table`: "COLUMN" or "TABLE.COLUMN".
QStringList PersonalColumns(const QStringList& given, const QString& table)
{
    QStringList columns;
    for (const QString& name : given) {
        const qsizetype dot = name.lastIndexOf(u'.');
        if (dot < 0)
            columns << name;
        else if (name.left(dot).compare(table, Qt::CaseInsensitive) == 0)
            columns << name.mid(dot + 1);
    }
    return columns;
}

// Whether making `child` per row of `parent` closes a loop of per-parent tables.
bool Loops(const std::vector<Learned>& learned, const QString& child, QString parent)
{
    for (std::size_t guard = 0; guard <= learned.size(); ++guard) {
        if (parent.compare(child, Qt::CaseInsensitive) == 0)
            return true;
        const auto next = std::find_if(learned.begin(), learned.end(), [&](const Learned& l) {
            return l.table.compare(parent, Qt::CaseInsensitive) == 0 && l.perParent;
        });
        if (next == learned.end())
            return false;
        parent = next->perParent->parentTable;
    }
    return true;
}

}  // namespace

int WriteProfileProject(const Arguments& args, QTextStream& out, QTextStream& err)
{
    ::OraDatabase* database = basKovaData::OraDatabase.get();
    const std::optional<QStringList> schema = SchemaTableNames(err);
    if (!schema)
        return Stopped;
    const QStringList& names = *schema;
    const QFileInfo projectFile(args.profile);
    const QString base = projectFile.completeBaseName();
    std::vector<Learned> learned;
    for (const QString& given : args.tables) {
        QStringList alike;
        for (const QString& name : names)
            if (name == given || name.compare(given, Qt::CaseInsensitive) == 0)
                alike << name;
        if (alike.contains(given))
            alike = QStringList{given};
        if (alike.size() != 1) {
            err << "the schema has no table " << given << '\n';
            return Stopped;
        }
        const QString table = alike.first();
        if (std::any_of(learned.begin(), learned.end(), [&](const Learned& l) { return l.table == table; })) {
            err << "table " << table << " is given twice\n";
            return Stopped;
        }
        generate::ProfileOptions options;
        options.sample = args.sample.value_or(0);
        options.statisticsOnly = args.statisticsOnly;
        options.k = args.k;
        options.noValues = args.noValues;
        options.personal = PersonalColumns(args.personal, table);
        QString problem;
        std::optional<generate::TableProfile> profile =
            args.statisticsOnly ? generate::ProfileFromStatistics(*database, table, options, &problem)
                                : generate::ProfileFromRows(*database, table, options, &problem);
        if (!profile) {
            err << table << ": " << problem << '\n';
            return Stopped;
        }
        generate::ApplyPrivacy(*profile, options);
        if (profile->rows <= 0) {
            err << table << ": the source holds no row: left out of the project\n";
            continue;
        }
        learned.push_back({table, std::move(*profile), {}, {}, 0, std::nullopt});
    }
    // Every column --personal names must be one of the tables': a name
    // mistyped would let the column's values out.
    for (const QString& name : args.personal) {
        const qsizetype dot = name.lastIndexOf(u'.');
        const QString column = name.mid(dot + 1);
        const bool found = std::any_of(learned.begin(), learned.end(), [&](const Learned& table) {
            return (dot < 0 || name.left(dot).compare(table.table, Qt::CaseInsensitive) == 0)
                   && table.profile.column(column);
        });
        if (!found) {
            err << "--personal: no table given has the column " << name << '\n';
            return Stopped;
        }
    }
    if (learned.empty()) {
        err << "no table to write\n";
        return Stopped;
    }
    // A child learned from its rows is made per row of the parent it is
    // spread over most unevenly, so that the spread stays at any scale.
    // A key that is NULL in some rows is drawn with its NULL share instead:
    // rows made per parent row all have one.
    const auto someNull = [](const Learned& child, const generate::ChildrenPerParent& parent) {
        for (const QString& column : parent.columns)
            if (const generate::ColumnProfile* figures = child.profile.column(column); figures && figures->nulls > 0)
                return true;
        return false;
    };
    // A table in a cycle of foreign keys among the tables is made by count:
    // the run breaks a cycle by setting keys later, row by row.
    const auto inCycle = [&learned](const Learned& table) {
        QStringList reached{table.table}, next{table.table};
        while (!next.isEmpty()) {
            const QString at = next.takeFirst();
            for (const Learned& from : learned)
                if (from.table == at)
                    for (const generate::ChildrenPerParent& key : from.profile.parents) {
                        if (key.parentTable == table.table && at != table.table)
                            return true;
                        if (key.parentTable == table.table && from.table == table.table)
                            continue;  // a reference to its own rows
                        if (!reached.contains(key.parentTable)) {
                            reached << key.parentTable;
                            next << key.parentTable;
                        }
                    }
        }
        return false;
    };
    for (Learned& child : learned)
        for (const generate::ChildrenPerParent& parent : child.profile.parents) {
            if (parent.counts.empty() || someNull(child, parent) || parent.parentTable == child.table || inCycle(child)
                || Loops(learned, child.table, parent.parentTable)
                || std::none_of(learned.begin(), learned.end(),
                                [&](const Learned& l) { return l.table == parent.parentTable; }))
                continue;
            if (!child.perParent || Spread(parent) > Spread(*child.perParent))
                child.perParent = parent;
        }
    QJsonArray tables;
    std::vector<basKovaData::FileContent> files;
    const auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                             | QFileDevice::ReadOther;
    for (Learned& table : learned) {
        controls::GridModel grid;
        const browser::ColumnGridResult columns = browser::FillColumnGrid(database, grid, table.table, true);
        if (columns.outcome != browser::ColumnGridResult::Outcome::Loaded) {
            err << table.table << ": cannot be read: " << columns.message << '\n';
            return Stopped;
        }
        const browser::ProfileRulesResult set = browser::ApplyProfileRules(database, table.table, table.profile, true);
        if (set.proposed.failed) {
            err << table.table << ": the rules cannot be proposed: " << set.proposed.errorText << '\n';
            return Stopped;
        }
        const double scaled = std::round(double(table.profile.rows) * args.scale);
        table.rows = qint64(std::clamp(scaled, 1.0, double(MostRows)));
        if (scaled > double(MostRows))
            err << table.table << ": " << scaled << " rows are more than a project takes: " << MostRows
                << " are made\n";
        table.fileName = base + u'.' + FilePart(table.table) + u".json"_s;
        files.push_back({projectFile.dir().filePath(table.fileName),
                         generate::RuleFileText(table.table, int(std::min<qint64>(table.rows, MostRows))),
                         permissions});
        QJsonObject entry{{u"rules"_s, table.fileName}};
        if (table.perParent) {
            QJsonArray counts;
            for (const generate::ChildCount& count : table.perParent->counts)
                counts.append(QJsonArray{count.low, count.high, count.share});
            entry.insert(u"per-parent"_s,
                         QJsonObject{{u"table"_s, table.perParent->parentTable}, {u"counts"_s, counts}});
        } else {
            entry.insert(u"rows"_s, table.rows);
        }
        // The other foreign keys' children per parent, for --compare.
        QJsonArray children;
        for (const generate::ChildrenPerParent& parent : table.profile.parents) {
            if (parent.counts.empty() || (table.perParent && parent.parentTable == table.perParent->parentTable
                                          && parent.columns == table.perParent->columns))
                continue;
            QJsonArray counts;
            for (const generate::ChildCount& count : parent.counts)
                counts.append(QJsonArray{count.low, count.high, count.share});
            children.append(QJsonObject{{u"table"_s, parent.parentTable},
                                        {u"columns"_s, QJsonArray::fromStringList(parent.columns)},
                                        {u"counts"_s, counts}});
        }
        if (!children.isEmpty())
            entry.insert(u"children"_s, children);
        tables.append(entry);
        out << table.table << ": " << (table.profile.fromStatistics ? u"statistics"_s
                                                                     : u"%1 rows read"_s.arg(table.profile.read))
            << ", " << set.distributed.size() << " columns drawn from the profile";
        if (table.perParent)
            out << ", per row of " << table.perParent->parentTable << " (about "
                << QString::number(table.perParent->average, 'g', 4) << " each)";
        else
            out << ", " << table.rows << " rows";
        out << '\n';
        for (const browser::KeptColumn& kept : set.kept)
            out << "  " << browser::KeptText(kept, false) << '\n';
    }
    const std::uint64_t seed = QRandomGenerator::global()->bounded(quint64(1) << 53);
    const QJsonObject project{{u"kova-project"_s, 1}, {u"seed"_s, qint64(seed)}, {u"tables"_s, tables}};
    files.push_back({projectFile.absoluteFilePath(), QJsonDocument(project).toJson(QJsonDocument::Indented),
                     permissions});
    QString error;
    QStringList made;
    if (!basKovaData::MakeFolders(projectFile.absolutePath(), &made, &error)
        || !basKovaData::WriteFilesAtomically(files, &error)) {
        basKovaData::RemoveFolders(made);
        err << error << '\n';
        return Stopped;
    }
    out << "wrote " << projectFile.absoluteFilePath() << " with " << learned.size() << " rule files (seed " << seed
        << ")\n";
    return AllCreated;
}

}  // namespace kovagenerate
