#include "generate/ProjectFile.h"

#include "generate/JsonChecks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

struct Refused {
    QString problem;
};

[[noreturn]] void Refuse(const QString& problem)
{
    throw Refused{problem};
}

void OnlyKeys(const QJsonObject& object, const QStringList& allowed, const QString& where)
{
    for (const QString& key : object.keys())
        if (!allowed.contains(key))
            Refuse(where + u"unknown key \""_s + key + u"\" (known: "_s + allowed.join(u", "_s) + u')');
}

// A whole number from `least` to `most`, or a refusal naming `what`.
qint64 Whole(const QJsonValue& value, qint64 least, qint64 most, const QString& what)
{
    const double number = value.toDouble(-1.5);
    if (!value.isDouble() || number < double(least) || number > double(most) || number != std::floor(number))
        Refuse(what + u" must be a whole number from %1 to %2"_s.arg(least).arg(most));
    return qint64(number);
}

// Children per parent row by shares: [[low, high, share], ...], the shares
// adding up to 1 (read to six places).
std::vector<ChildCount> Counts(const QJsonValue& value, const QString& what)
{
    const QJsonArray list = value.toArray();
    if (!value.isArray() || list.isEmpty() || list.size() > MaxChildCounts)
        Refuse(what + u" must list from 1 to %1 entries [low, high, share]"_s.arg(MaxChildCounts));
    std::vector<ChildCount> counts;
    double total = 0.0;
    for (const QJsonValue& entry : list) {
        const QJsonArray three = entry.toArray();
        if (!entry.isArray() || three.size() != 3)
            Refuse(what + u": each entry is [low, high, share]"_s);
        ChildCount count;
        count.low = Whole(three[0], 0, MaxProjectRows, what + u" low"_s);
        count.high = Whole(three[1], count.low, MaxProjectRows, what + u" high"_s);
        count.share = three[2].toDouble(-1.0);
        if (!three[2].isDouble() || !(count.share >= 0.0 && count.share <= 1.0))
            Refuse(what + u": a share is from 0 to 1"_s);
        total += count.share;
        counts.push_back(count);
    }
    if (std::abs(total - 1.0) > 1e-6)
        Refuse(what + u": the shares add up to %1, not 1"_s.arg(total));
    return counts;
}

QStringList Statements(const QJsonObject& top, const QString& key)
{
    QStringList statements;
    if (!top.contains(key))
        return statements;
    if (!top.value(key).isArray())
        Refuse(u"\"%1\" must be a list of SQL statements"_s.arg(key));
    for (const QJsonValue& value : top.value(key).toArray()) {
        QString sql = value.toString().trimmed();
        // A statement written as SQL*Plus takes it keeps working here.
        while (sql.endsWith(u';'))
            sql = sql.chopped(1).trimmed();
        if (!value.isString() || sql.isEmpty())
            Refuse(u"\"%1\" must be a list of SQL statements"_s.arg(key));
        statements << sql;
    }
    return statements;
}

ProjectTable ReadTable(const QJsonValue& value, qsizetype index)
{
    const QString where = u"tables[%1]: "_s.arg(index);
    if (!value.isObject())
        Refuse(where + u"each table is an object"_s);
    const QJsonObject object = value.toObject();
    OnlyKeys(object, {u"rules"_s, u"table"_s, u"rows"_s, u"per-parent"_s, u"children"_s}, where);
    ProjectTable table;
    if (!object.value(u"rules"_s).isString() || object.value(u"rules"_s).toString().trimmed().isEmpty())
        Refuse(where + u"\"rules\" must name a rule file or be \"auto\""_s);
    table.rules = object.value(u"rules"_s).toString().trimmed();
    if (object.contains(u"table"_s)) {
        if (!object.value(u"table"_s).isString() || object.value(u"table"_s).toString().trimmed().isEmpty())
            Refuse(where + u"\"table\" must be a table's name"_s);
        table.table = object.value(u"table"_s).toString().trimmed();
    }
    if (table.automatic() && table.table.isEmpty())
        Refuse(where + u"\"rules\": \"auto\" needs the \"table\" it is for"_s);
    if (object.contains(u"rows"_s) && object.contains(u"per-parent"_s))
        Refuse(where + u"give \"rows\" or \"per-parent\", not both"_s);
    if (object.contains(u"rows"_s))
        table.rows = Whole(object.value(u"rows"_s), 1, MaxProjectRows, where + u"\"rows\""_s);
    if (object.contains(u"per-parent"_s)) {
        const QJsonValue per = object.value(u"per-parent"_s);
        if (!per.isObject())
            Refuse(where + u"\"per-parent\" must be an object with \"table\", \"min\" and \"max\""_s);
        const QJsonObject perObject = per.toObject();
        OnlyKeys(perObject, {u"table"_s, u"min"_s, u"max"_s, u"counts"_s}, where + u"per-parent: "_s);
        ProjectTable::PerParent parent;
        if (!perObject.value(u"table"_s).isString() || perObject.value(u"table"_s).toString().trimmed().isEmpty())
            Refuse(where + u"\"per-parent\" must name its parent \"table\""_s);
        parent.table = perObject.value(u"table"_s).toString().trimmed();
        if (perObject.contains(u"counts"_s)) {
            if (perObject.contains(u"min"_s) || perObject.contains(u"max"_s))
                Refuse(where + u"\"per-parent\" takes \"counts\" or \"min\" and \"max\", not both"_s);
            parent.counts = Counts(perObject.value(u"counts"_s), where + u"per-parent \"counts\""_s);
        } else {
            if (!perObject.contains(u"min"_s) || !perObject.contains(u"max"_s))
                Refuse(where + u"\"per-parent\" needs \"min\" and \"max\", or \"counts\""_s);
            parent.min = Whole(perObject.value(u"min"_s), 0, MaxProjectRows, where + u"per-parent \"min\""_s);
            parent.max = Whole(perObject.value(u"max"_s), parent.min, MaxProjectRows,
                               where + u"per-parent \"max\""_s);
        }
        table.perParent = parent;
    }
    if (object.contains(u"children"_s)) {
        const QString what = where + u"\"children\" must be a list of objects with \"table\", \"columns\" and \"counts\""_s;
        if (!object.value(u"children"_s).isArray())
            Refuse(what);
        for (const QJsonValue& item : object.value(u"children"_s).toArray()) {
            if (!item.isObject())
                Refuse(what);
            const QJsonObject key = item.toObject();
            OnlyKeys(key, {u"table"_s, u"columns"_s, u"counts"_s}, where + u"children: "_s);
            ProjectTable::Children children;
            children.table = key.value(u"table"_s).toString().trimmed();
            if (children.table.isEmpty() || !key.value(u"columns"_s).isArray())
                Refuse(what);
            for (const QJsonValue& column : key.value(u"columns"_s).toArray()) {
                if (!column.isString() || column.toString().trimmed().isEmpty())
                    Refuse(what);
                children.columns << column.toString().trimmed();
            }
            children.counts = Counts(key.value(u"counts"_s), where + u"children \"counts\""_s);
            table.children.push_back(children);
        }
    }
    return table;
}

Project Read(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        Refuse(u"not JSON (at character %1: %2)"_s.arg(error.offset).arg(error.errorString()));
    if (const RepeatedKey repeated = FindRepeatedKey(json); !repeated.key.isEmpty())
        Refuse(u"the key \"%1\" is given twice in one object"_s.arg(repeated.key));
    const QJsonObject top = document.object();
    if (!document.isObject() || top.value(u"kova-project"_s) != QJsonValue(1))
        Refuse(u"not a project file (\"kova-project\": 1)"_s);
    OnlyKeys(top, {u"kova-project"_s, u"seed"_s, u"empty-first"_s, u"before"_s, u"after"_s, u"tables"_s}, {});
    Project project;
    if (top.contains(u"seed"_s))
        project.seed = std::uint64_t(Whole(top.value(u"seed"_s), 0, qint64(1) << 53, u"\"seed\""_s));
    if (top.contains(u"empty-first"_s)) {
        if (!top.value(u"empty-first"_s).isBool())
            Refuse(u"\"empty-first\" must be true or false"_s);
        project.emptyFirst = top.value(u"empty-first"_s).toBool();
    }
    project.before = Statements(top, u"before"_s);
    project.after = Statements(top, u"after"_s);
    if (!top.value(u"tables"_s).isArray() || top.value(u"tables"_s).toArray().isEmpty())
        Refuse(u"\"tables\" must list the tables to fill"_s);
    const QJsonArray tables = top.value(u"tables"_s).toArray();
    for (qsizetype i = 0; i < tables.size(); ++i)
        project.tables.push_back(ReadTable(tables[i], i));
    return project;
}

}  // namespace

std::optional<Project> ReadProject(const QByteArray& json, QString* problem)
{
    try {
        return Read(json);
    } catch (const Refused& refused) {
        *problem = refused.problem;
        return std::nullopt;
    }
}

bool IsProjectText(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).object().contains(u"kova-project"_s);
}

}  // namespace generate
