#include "SchemaDdl.h"

#include "generate/InsertRow.h"

#include <QSet>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

using Constraint = SchemaDictionary::Constraint;

QString QuotedList(const QStringList& names)
{
    QStringList quoted;
    for (const QString& name : names)
        quoted.append(SchemaDdl::Quote(name));
    return quoted.join(u", "_s);
}

// A bound of a sequence that stands for "no limit": as large as a 64-bit
// integer or larger (PostgreSQL's default bounds, and Oracle's 28 nines).
bool Unlimited(const QString& bound)
{
    QString digits = bound.trimmed();
    if (digits.startsWith(u'-'))
        digits.remove(0, 1);
    return digits.size() > 19 || (digits.size() == 19 && digits >= u"9223372036854775807"_s);
}

QString Lengthed(const QString& type, std::optional<int> length, const QString& unit = {})
{
    if (!length)
        return type;
    return u"%1(%2%3)"_s.arg(type).arg(*length).arg(unit.isEmpty() ? QString() : u" "_s + unit);
}

QString ConstraintHead(const Constraint& c)
{
    return u"ALTER TABLE %1 ADD CONSTRAINT %2 "_s.arg(SchemaDdl::Quote(c.table), SchemaDdl::Quote(c.name));
}

// The one name of `candidates` that `name` stands for: itself, or the only
// one that differs from it in case alone.
std::optional<QString> Lookup(const QString& name, const QStringList& candidates, QString* error)
{
    if (candidates.contains(name))
        return name;
    QStringList found;
    for (const QString& candidate : candidates)
        if (candidate.compare(name, Qt::CaseInsensitive) == 0)
            found.append(candidate);
    if (found.size() == 1)
        return found.first();
    *error = found.isEmpty() ? u"%1 is not a table or view of the server (USER_TABLES, USER_VIEWS)"_s.arg(name)
                             : u"%1 is ambiguous: the server has %2"_s.arg(name, found.join(u", "_s));
    return std::nullopt;
}

}  // namespace

QString SchemaDdl::Quote(const QString& name)
{
    return u"\""_s + QString(name).replace(u"\""_s, u"\"\""_s) + u"\""_s;
}

std::optional<SchemaDictionary> SchemaDdl::Selected(const SchemaDictionary& all, const QStringList& names,
                                                     QStringList* warnings, QString* error)
{
    SchemaDictionary chosen;
    chosen.sequences = all.sequences;
    if (names.isEmpty()) {
        chosen.tables = all.tables;
        chosen.views = all.views;
    } else {
        QStringList known;
        for (const auto& t : all.tables)
            known.append(t.name);
        for (const auto& v : all.views)
            known.append(v.name);
        QSet<QString> wanted;
        for (const QString& name : names) {
            const std::optional<QString> found = Lookup(name, known, error);
            if (!found)
                return std::nullopt;
            wanted.insert(*found);
        }
        for (const auto& t : all.tables)
            if (wanted.contains(t.name))
                chosen.tables.append(t);
        for (const auto& v : all.views)
            if (wanted.contains(v.name))
                chosen.views.append(v);
    }
    QSet<QString> copied;
    for (const auto& t : chosen.tables)
        copied.insert(t.name);
    for (Constraint c : all.constraints) {
        if (!copied.contains(c.table))
            continue;
        if (c.type == u'R') {
            if (c.refTable.isEmpty() || !copied.contains(c.refTable)) {
                warnings->append(u"foreign key %1 of %2 left out: it refers to %3, which is not copied"_s.arg(
                    c.name, c.table, c.refTable.isEmpty() ? u"a key of another user"_s : c.refTable));
                continue;
            }
            if (c.deleteRule != u"CASCADE"_s && c.deleteRule != u"SET NULL"_s && c.deleteRule != u"NO ACTION"_s
                && !c.deleteRule.isEmpty()) {
                warnings->append(u"foreign key %1 of %2: ON DELETE %3 left out (Oracle has no such rule)"_s.arg(
                    c.name, c.table, c.deleteRule));
                c.deleteRule.clear();
            }
        }
        chosen.constraints.append(c);
    }
    for (const auto& v : chosen.views)
        copied.insert(v.name);
    for (const auto& c : all.comments)
        if (copied.contains(c.table))
            chosen.comments.append(c);
    return chosen;
}

QString SchemaDdl::ColumnType(const SchemaDictionary::Column& column)
{
    const QString type = column.dataType.trimmed().toUpper();
    if (type == u"NUMBER"_s) {
        if (!column.precision)
            return !column.scale ? type : *column.scale == 0 ? u"INTEGER"_s : u"NUMBER(38,%1)"_s.arg(*column.scale);
        if (!column.scale || *column.scale == 0)
            return Lengthed(type, column.precision);
        return u"NUMBER(%1,%2)"_s.arg(*column.precision).arg(*column.scale);
    }
    if (type == u"FLOAT"_s)
        return Lengthed(type, column.precision);
    if (type == u"VARCHAR2"_s || type == u"VARCHAR"_s || type == u"CHAR"_s) {
        if (column.charUsed == u"C"_s)
            return Lengthed(type, column.charLength ? column.charLength : column.dataLength, u"CHAR"_s);
        return Lengthed(type, column.dataLength, column.charUsed == u"B"_s ? u"BYTE"_s : QString());
    }
    if (type == u"NVARCHAR2"_s || type == u"NCHAR"_s)
        return Lengthed(type, column.charLength ? column.charLength : column.dataLength);
    if (type == u"RAW"_s)
        return Lengthed(type, column.dataLength);
    return type;
}

QString SchemaDdl::CreateTable(const SchemaDictionary::Table& table, bool defaults)
{
    QStringList columns;
    for (const auto& column : table.columns) {
        QString text = Quote(column.name) + u' ' + ColumnType(column);
        if (defaults && !column.defaultText.isEmpty())
            text += u" DEFAULT "_s + column.defaultText;
        if (!column.nullable)
            text += u" NOT NULL"_s;
        columns.append(text);
    }
    return u"CREATE TABLE %1 (%2)"_s.arg(Quote(table.name), columns.join(u", "_s));
}

QString SchemaDdl::ForeignKey(const Constraint& key)
{
    QString sql = ConstraintHead(key)
                  + u"FOREIGN KEY (%1) REFERENCES %2 (%3)"_s.arg(QuotedList(key.columns), Quote(key.refTable),
                                                                 QuotedList(key.refColumns));
    if (key.deleteRule == u"CASCADE"_s || key.deleteRule == u"SET NULL"_s)
        sql += u" ON DELETE "_s + key.deleteRule;
    return sql;
}

QString SchemaDdl::CreateSequence(const SchemaDictionary::Sequence& s)
{
    const bool descending = s.increment.trimmed().startsWith(u'-');
    QString sql = u"CREATE SEQUENCE %1 START WITH %2 INCREMENT BY %3"_s.arg(Quote(s.name), s.lastNumber, s.increment);
    // Oracle's defaults (1 and no limit upward, -1 and no limit downward)
    // are left unsaid.
    if (!Unlimited(s.minValue) && (descending || s.minValue != u"1"_s))
        sql += u" MINVALUE "_s + s.minValue;
    if (!Unlimited(s.maxValue) && (!descending || s.maxValue != u"-1"_s))
        sql += u" MAXVALUE "_s + s.maxValue;
    if (s.cycle)
        sql += u" CYCLE"_s;
    return sql;
}

QList<SchemaDdl::Statement> SchemaDdl::AfterTables(const SchemaDictionary& schema)
{
    QList<Statement> out;
    using Kind = Statement::Kind;
    Kind kind = Kind::Constraint;
    auto add = [&](const QString& object, const QString& sql, const QStringList& needs, const QString& view = {}) {
        out.append({kind, object, sql, needs, view});
    };
    for (const QChar type : {u'P', u'U', u'C', u'R'}) {
        for (const Constraint& c : schema.constraints) {
            if (c.type != type)
                continue;
            const QString of = u" %1 of %2"_s.arg(c.name, c.table);
            if (type == u'P')
                add(u"primary key"_s + of, ConstraintHead(c) + u"PRIMARY KEY (%1)"_s.arg(QuotedList(c.columns)),
                    {c.table});
            else if (type == u'U')
                add(u"unique key"_s + of, ConstraintHead(c) + u"UNIQUE (%1)"_s.arg(QuotedList(c.columns)), {c.table});
            else if (type == u'C')
                add(u"check"_s + of, ConstraintHead(c) + u"CHECK (%1)"_s.arg(c.condition), {c.table});
            else
                add(u"foreign key"_s + of, ForeignKey(c), {c.table, c.refTable});
        }
    }
    kind = Kind::Sequence;
    for (const auto& s : schema.sequences)
        add(u"sequence "_s + s.name, CreateSequence(s), {});
    kind = Kind::View;
    for (const auto& v : schema.views)
        add(u"view "_s + v.name, u"CREATE VIEW %1 AS %2"_s.arg(Quote(v.name), v.text), {}, v.name);
    kind = Kind::Comment;
    for (const auto& c : schema.comments) {
        if (c.column.isEmpty())
            add(u"comment on "_s + c.table, u"COMMENT ON TABLE %1 IS %2"_s.arg(Quote(c.table), basKovaData::SqlQuoted(c.text)),
                {c.table});
        else
            add(u"comment on %1.%2"_s.arg(c.table, c.column),
                u"COMMENT ON COLUMN %1.%2 IS %3"_s.arg(Quote(c.table), Quote(c.column), basKovaData::SqlQuoted(c.text)), {c.table});
    }
    return out;
}

QStringList SchemaDdl::ParentsFirst(const SchemaDictionary& schema)
{
    QStringList order;
    QSet<QString> placed;
    QList<const SchemaDictionary::Table*> left;
    for (const auto& t : schema.tables)
        left.append(&t);
    // Each round places the tables whose parents are all placed; a round that
    // places none has only cycles left, which keep the dictionary's order.
    while (!left.isEmpty()) {
        QList<const SchemaDictionary::Table*> waiting;
        for (const auto* t : left) {
            const bool ready = std::all_of(schema.constraints.begin(), schema.constraints.end(), [&](const Constraint& c) {
                return c.type != u'R' || c.table != t->name || c.refTable == t->name || placed.contains(c.refTable)
                       || !schema.table(c.refTable);
            });
            if (ready)
                order.append(t->name);
            else
                waiting.append(t);
        }
        if (waiting.size() == left.size()) {
            for (const auto* t : waiting)
                order.append(t->name);
            break;
        }
        for (const QString& name : order)
            placed.insert(name);
        left = waiting;
    }
    return order;
}
