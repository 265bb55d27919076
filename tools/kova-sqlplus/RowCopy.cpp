#include "RowCopy.h"

#include "SchemaDdl.h"

#include "engine/oracle/OracleTypes.h"
#include "session/OraDatabase.h"
#include "session/OraDynaset.h"
#include "session/OraError.h"
#include "session/OraSession.h"
#include "shared/NumberRead.h"
#include "shared/StatementShape.h"

#include <QMap>

using namespace Qt::StringLiterals;

namespace {

enum class Family { Number, Date, Binary, Text };

Family FamilyOf(const QString& dataType)
{
    const QString type = dataType.toUpper();
    if (type == u"NUMBER"_s || type == u"FLOAT"_s || type.startsWith(u"BINARY_"_s))
        return Family::Number;
    if (type == u"DATE"_s || type.startsWith(u"TIMESTAMP"_s))
        return Family::Date;
    if (type == u"BLOB"_s || type == u"RAW"_s || type == u"LONG RAW"_s || type == u"BFILE"_s)
        return Family::Binary;
    return Family::Text;
}

// Whether the copy holds a number, as the server wrote it, with every digit.
bool Held(const QString& text)
{
    QString digits = text.trimmed();
    const bool negative = digits.startsWith(u'-');
    if (negative || digits.startsWith(u'+'))
        digits.remove(0, 1);
    const std::string written = digits.toStdString();
    return HoldNumber(written, negative, written.find_first_of(".eE") == std::string::npos).form
           != HeldNumber::Form::None;
}

}  // namespace

RowCopy::RowCopy(OraDatabase& server, bool postgres, OraSession& copySession, OraDatabase& copy, QTextStream& out,
                 QTextStream& err)
    : m_server(server), m_postgres(postgres), m_copySession(copySession), m_copy(copy), m_out(out), m_err(err)
{
}

QString RowCopy::ServerName(const QString& name, bool postgres)
{
    if (!postgres)
        return SchemaDdl::Quote(name);
    // Only A-Z: the dictionary's capitals are PostgreSQL's a-z, nothing else.
    QString lower = name;
    for (QChar& c : lower)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    return SchemaDdl::Quote(lower);
}

bool RowCopy::run(const SchemaDictionary& schema, qint64 limit)
{
    qint64 refused = 0;
    m_copySession.DbBeginTrans();
    try {
        for (const QString& name : SchemaDdl::ParentsFirst(schema))
            refused += copyTable(schema, *schema.table(name), limit);
        deleteOrphans(schema);
        m_copySession.DbCommitTrans();
    } catch (const OraError&) {
        m_copySession.DBRollBack();
        m_copied = 0;
        throw;
    }
    return refused == 0;
}

qint64 RowCopy::copyTable(const SchemaDictionary& schema, const SchemaDictionary::Table& table, qint64 limit)
{
    QStringList select, insert, binary;
    QList<Family> families;
    for (const auto& column : table.columns) {
        const QString name = ServerName(column.name, m_postgres);
        const Family family = FamilyOf(column.dataType);
        families.append(family);
        insert.append(SchemaDdl::Quote(column.name));
        // Numbers as their text, so that 18 digits stay 18 digits; dates to
        // the second.
        if (family == Family::Number) {
            select.append(u"TO_CHAR(%1)"_s.arg(name));
        } else if (family == Family::Date) {
            select.append(u"TO_CHAR(%1, 'YYYYMMDD HH24MISS')"_s.arg(name));
        } else if (family == Family::Binary) {
            select.append(u"NULL"_s);
            binary.append(column.name);
        } else {
            select.append(name);
        }
    }
    if (!binary.isEmpty())
        m_err << "WARNING: " << table.name << ": the values of " << binary.join(u", "_s)
              << " (binary) are not copied; they are left NULL\n";
    QString sql = u"SELECT %1 FROM %2"_s.arg(select.join(u", "_s), ServerName(table.name, m_postgres));
    QList<int> keyColumns;  // what names a refused row
    for (const auto& c : schema.constraints) {
        if (c.type == u'P' && c.table == table.name) {
            QStringList keys;
            for (const QString& column : c.columns) {
                keys.append(ServerName(column, m_postgres));
                for (int i = 0; i < table.columns.size(); ++i)
                    if (table.columns[i].name == column)
                        keyColumns.append(i);
            }
            sql += u" ORDER BY "_s + keys.join(u", "_s);
        }
    }
    const QString head = u"INSERT INTO %1 (%2) VALUES ("_s.arg(SchemaDdl::Quote(table.name), insert.join(u", "_s));
    std::unique_ptr<OraDynaset> rows;
    try {
        rows = m_server.DBCreateDynaset(sql);
    } catch (const OraError& error) {
        throw OraError(u"reading the rows of %1: %2"_s.arg(table.name, error.message()), error.number());
    }
    basKovaData::StatementShape shape;
    qint64 copied = 0, refused = 0;
    QString firstRefusal;
    for (qint64 n = 0; n < limit && !rows->IsEOF(); ++n, rows->MoveNext()) {
        shape.clear();
        shape.appendText(head);
        int rounded = -1;  // a number column whose value the copy cannot hold
        for (int i = 0; i < families.size(); ++i) {
            if (i > 0)
                shape.appendText(u", ");
            const QVariant value = rows->Value(i);
            QString text = value.toString();
            if (value.isNull())
                shape.appendNull(u"NULL");
            else if (families[i] == Family::Date)
                shape.appendDate(std::move(text));
            else if (families[i] == Family::Number && basKovaData::IsNumericText(text)) {
                if (rounded < 0 && !Held(text))
                    rounded = i;
                shape.appendNumber(text.trimmed());
            } else
                shape.appendTextValue(std::move(text));
        }
        shape.appendText(u')');
        // Such a row is refused, never stored with the number rounded.
        if (rounded >= 0) {
            QStringList key;
            for (const int k : keyColumns)
                key.append(table.columns[k].name + u'=' + rows->Value(k).toString());
            const QString why = table.columns[rounded].name + u": "_s
                                + QString::fromStdString(NotHeldMessage(
                                    rows->Value(rounded).toString().trimmed().toStdString(), false));
            m_err << "ERROR: " << table.name << ": the row "
                  << (key.isEmpty() ? u"%1 (no primary key)"_s.arg(n + 1) : key.join(u", "_s)) << " was refused: "
                  << why << '\n';
            if (refused++ == 0)
                firstRefusal = why;
            continue;
        }
        try {
            m_copy.DbExecuteShape(shape);
            ++copied;
        } catch (const OraError& error) {
            if (m_copy.StorageFailed())
                throw;
            if (refused++ == 0)
                firstRefusal = error.message();
        }
    }
    m_copied += copied;
    m_out << table.name << ": " << copied << (copied == 1 ? " row" : " rows") << " copied\n";
    if (refused > 0)
        m_err << "ERROR: " << table.name << ": " << refused << (refused == 1 ? " row" : " rows")
              << " refused by the copy; the first: " << firstRefusal << '\n';
    return refused;
}

void RowCopy::deleteOrphans(const SchemaDictionary& schema)
{
    QMap<QString, qint64> deleted;
    bool again = true;
    while (again) {
        again = false;
        for (const auto& key : schema.constraints) {
            if (key.type != u'R')
                continue;
            // A key with a NULL column refers to nothing, as in Oracle.
            QStringList set, match;
            const QString child = SchemaDdl::Quote(key.table);
            for (qsizetype i = 0; i < key.columns.size(); ++i) {
                const QString column = child + u'.' + SchemaDdl::Quote(key.columns[i]);
                set.append(column + u" IS NOT NULL"_s);
                match.append(u"KOVA_PARENT.%1 = %2"_s.arg(SchemaDdl::Quote(key.refColumns.value(i)), column));
            }
            const qint64 n = m_copy.DbExecuteSQL(
                u"DELETE FROM %1 WHERE %2 AND NOT EXISTS (SELECT 1 FROM %3 KOVA_PARENT WHERE %4)"_s.arg(
                    child, set.join(u" AND "_s), SchemaDdl::Quote(key.refTable), match.join(u" AND "_s)));
            if (n > 0) {
                deleted[key.table + u'\n' + key.name] += n;
                m_copied -= n;
                again = true;
            }
        }
    }
    for (auto it = deleted.constBegin(); it != deleted.constEnd(); ++it) {
        const QStringList where = it.key().split(u'\n');
        m_err << "WARNING: " << where[0] << ": " << it.value() << (it.value() == 1 ? " row" : " rows")
              << " deleted again: their parent rows were not copied (foreign key " << where[1] << ")\n";
    }
}
