#include "generate/ProfileFile.h"

#include "generate/ProjectFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

// Larger files are not profiles a person or the tool wrote.
constexpr qint64 MostFileBytes = 64 * 1024 * 1024;

std::optional<QByteArray> ReadAll(const QString& path, QString* problem)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        *problem = path + u": cannot be read"_s;
        return std::nullopt;
    }
    if (file.size() > MostFileBytes) {
        *problem = path + u": larger than 64 MB, not a profile"_s;
        return std::nullopt;
    }
    return file.readAll();
}

// The profile of one rule file, or none with *problem set.
std::optional<ProfiledTable> ReadRules(const QString& path, QString* problem)
{
    const std::optional<QByteArray> json = ReadAll(path, problem);
    if (!json)
        return std::nullopt;
    const auto fail = [&](const QString& text) -> std::optional<ProfiledTable> {
        *problem = path + u": "_s + text;
        return std::nullopt;
    };
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(*json, &error);
    if (error.error != QJsonParseError::NoError)
        return fail(u"not JSON (%1 at byte %2)"_s.arg(error.errorString()).arg(error.offset));
    const QJsonObject top = document.object();
    if (!document.isObject() || !top.value(u"table"_s).isString() || !top.value(u"columns"_s).isArray())
        return fail(u"not a rule file: it needs \"table\" and \"columns\""_s);
    ProfiledTable table;
    table.profile.table = top.value(u"table"_s).toString();
    table.profile.rows = qint64(top.value(u"rows"_s).toDouble(0.0));
    for (const QJsonValue& value : top.value(u"columns"_s).toArray()) {
        const QJsonObject entry = value.toObject();
        const QString column = entry.value(u"column"_s).toString();
        const QString kind = entry.value(u"kind"_s).toString();
        if (!value.isObject() || column.isEmpty() || kind.isEmpty())
            return fail(u"every column needs \"column\" and \"kind\""_s);
        if (kind != u"distribution"_s) {
            table.otherKinds.emplace_back(column, kind);
            continue;
        }
        QString why;
        const std::optional<ColumnProfile> profile =
            ReadProfileJson(entry.value(u"distribution"_s).toObject(), std::nullopt, &why);
        if (!entry.value(u"distribution"_s).isObject() || !profile)
            return fail(column + u": "_s + (why.isEmpty() ? u"\"distribution\" must be an object"_s : why));
        table.profile.columnNames << column;
        table.profile.columns.push_back(*profile);
    }
    return table;
}

double Average(const std::vector<ChildCount>& counts)
{
    double average = 0.0;
    for (const ChildCount& count : counts)
        average += count.share * double(count.low + count.high) / 2.0;
    return average;
}

}  // namespace

std::optional<std::vector<ProfiledTable>> ReadProfileFile(const QString& path, QString* problem)
{
    const std::optional<QByteArray> json = ReadAll(path, problem);
    if (!json)
        return std::nullopt;
    QString why;
    const std::optional<Project> project = ReadProject(*json, &why);
    if (!project) {
        *problem = path + u": "_s + why;
        return std::nullopt;
    }
    const QDir folder = QFileInfo(path).absoluteDir();
    std::vector<ProfiledTable> tables;
    for (const ProjectTable& entry : project->tables) {
        std::optional<ProfiledTable> table;
        if (entry.automatic()) {
            table = ProfiledTable{};
            table->profile.table = entry.table;
        } else {
            table = ReadRules(QDir::cleanPath(folder.absoluteFilePath(entry.rules)), problem);
            if (!table)
                return std::nullopt;
        }
        if (entry.rows)
            table->profile.rows = *entry.rows;
        if (entry.perParent) {
            ChildrenPerParent parent;
            parent.parentTable = entry.perParent->table;
            parent.counts = entry.perParent->counts;
            if (parent.counts.empty())
                parent.counts.push_back({entry.perParent->min, entry.perParent->max, 1.0});
            parent.average = Average(parent.counts);
            if (const ProfiledTable* above = FindProfiledTable(tables, parent.parentTable))
                table->profile.rows = qint64(std::llround(double(above->profile.rows) * parent.average));
            table->profile.parents.push_back(parent);
        }
        for (const ProjectTable::Children& key : entry.children) {
            ChildrenPerParent parent;
            parent.parentTable = key.table;
            parent.columns = key.columns;
            parent.counts = key.counts;
            parent.average = Average(parent.counts);
            table->profile.parents.push_back(parent);
        }
        if (FindProfiledTable(tables, table->profile.table)) {
            *problem = path + u": the table "_s + table->profile.table + u" comes twice"_s;
            return std::nullopt;
        }
        tables.push_back(std::move(*table));
    }
    return tables;
}

const ProfiledTable* FindProfiledTable(const std::vector<ProfiledTable>& tables, const QString& name)
{
    for (const ProfiledTable& table : tables)
        if (table.profile.table == name)
            return &table;
    for (const ProfiledTable& table : tables)
        if (table.profile.table.compare(name, Qt::CaseInsensitive) == 0)
            return &table;
    return nullptr;
}

}  // namespace generate
