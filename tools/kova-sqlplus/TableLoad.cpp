#include "TableLoad.h"

#include "ScriptLines.h"
#include "ScriptSettings.h"

#include "session/OraDatabase.h"
#include "session/OraError.h"
#include "shared/StatementShape.h"

#include <QFile>

#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

bool IsOption(const QString& word, std::initializer_list<QLatin1StringView> names)
{
    for (QLatin1StringView name : names) {
        if (word.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

std::optional<bool> Switch(const QString& word)
{
    if (word.compare("ON"_L1, Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare("OFF"_L1, Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

QString Quoted(const QString& name)
{
    return u'"' + QString(name).replace(u'"', "\"\""_L1) + u'"';
}

// The records of a CSV text, one field list each, with the line each began at.
class CsvReader {
public:
    CsvReader(const QString& text, QChar delimiter, QChar enclosure)
        : m_text(text), m_delimiter(delimiter), m_enclosure(enclosure)
    {
    }

    // The next record's fields (a null string for an empty field, NULL);
    // false at the end. Blank lines are no records.
    bool next(QStringList* fields, int* line)
    {
        const qsizetype n = m_text.size();
        while (m_at < n && (m_text.at(m_at) == u'\n' || m_text.at(m_at) == u'\r')) {
            if (m_text.at(m_at) == u'\n')
                ++m_line;
            ++m_at;
        }
        if (m_at >= n)
            return false;
        fields->clear();
        *line = m_line;
        QString field;
        bool quoted = false;
        while (true) {
            const QChar c = m_at < n ? m_text.at(m_at) : QChar(u'\n');
            if (quoted) {
                if (m_at >= n) {
                    quoted = false;  // an enclosure the file does not close ends with it
                    continue;
                }
                ++m_at;
                if (c == m_enclosure) {
                    if (m_at < n && m_text.at(m_at) == m_enclosure) {
                        field += c;
                        ++m_at;
                    } else {
                        quoted = false;
                    }
                    continue;
                }
                if (c == u'\n')
                    ++m_line;
                field += c;
                continue;
            }
            if (c == m_delimiter || c == u'\n' || c == u'\r') {
                fields->append(field.isEmpty() ? QString() : field);
                field = QString();
                if (c == m_delimiter) {
                    ++m_at;
                    continue;
                }
                if (c == u'\r' && m_at + 1 < n && m_text.at(m_at + 1) == u'\n')
                    ++m_at;
                if (m_at < n) {
                    ++m_at;
                    ++m_line;
                }
                return true;
            }
            ++m_at;
            if (c == m_enclosure && field.isEmpty())
                quoted = true;
            else
                field += c;
        }
    }

private:
    const QString& m_text;
    QChar m_delimiter;
    QChar m_enclosure;
    qsizetype m_at = 0;
    int m_line = 1;
};
// The table's name as the dictionary holds it: a schema before it dropped,
// in capitals unless in double quotes.
QString DictionaryName(QString name)
{
    bool quoted = false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name.at(i) == u'"')
            quoted = !quoted;
        else if (name.at(i) == u'.' && !quoted)
            return DictionaryName(name.mid(i + 1));
    }
    if (name.size() >= 2 && name.startsWith(u'"') && name.endsWith(u'"'))
        return name.mid(1, name.size() - 2);
    return name.toUpper();
}

struct Column {
    QString name;
    QString type;
};

}  // namespace

QStringList TableLoad::setLoad(const QString& arguments)
{
    const QStringList words = ScriptLines::words(arguments);
    QStringList errors;
    const auto number = [&](qsizetype i, int least, int* into) {
        bool ok = false;
        const int value = words.value(i + 1).toInt(&ok);
        if (!ok || value < least)
            errors.append(u"SET LOAD %1 takes a number from %2, not \"%3\"; it stays as it was"_s.arg(
                words[i].toUpper(), QString::number(least), words.value(i + 1)));
        else
            *into = value;
    };
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (IsOption(word, {"DEFAULT"_L1})) {
            const TableLoad defaults;
            m_batchRows = defaults.m_batchRows;
            m_batchesPerCommit = defaults.m_batchesPerCommit;
            m_dateFormat.clear();
            m_errors = defaults.m_errors;
            m_truncate = defaults.m_truncate;
            continue;
        }
        if (IsOption(word, {"BATCH_ROWS"_L1, "BATCHROWS"_L1})) {
            number(i, 1, &m_batchRows);
        } else if (IsOption(word, {"BATCHES_PER_COMMIT"_L1, "BATCHESPERCOMMIT"_L1})) {
            number(i, 0, &m_batchesPerCommit);
        } else if (IsOption(word, {"DATE_FORMAT"_L1, "DATEFORMAT"_L1, "DATE"_L1})) {
            m_dateFormat = words.value(i + 1);
        } else if (IsOption(word, {"ERRORS"_L1})) {
            if (IsOption(words.value(i + 1), {"UNLIMITED"_L1}) || words.value(i + 1) == "-1"_L1)
                m_errors = -1;
            else
                number(i, 0, &m_errors);
        } else if (IsOption(word, {"TRUNCATE"_L1})) {
            const std::optional<bool> on = Switch(words.value(i + 1));
            if (on)
                m_truncate = *on;
            else
                errors.append(u"SET LOAD TRUNCATE takes ON or OFF, not \"%1\"; it stays as it was"_s.arg(words.value(i + 1)));
        } else {
            continue;  // an option that changes nothing here, and its value
        }
        ++i;
    }
    return errors;
}

QStringList TableLoad::setFormat(const QString& arguments)
{
    const QStringList words = ScriptLines::words(arguments);
    QStringList errors;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        const QString value = words.value(i + 1);
        if (IsOption(word, {"DEFAULT"_L1})) {
            m_delimiter = u',';
            m_enclosure = u'"';
            m_columnNames = true;
        } else if (IsOption(word, {"DELIMITER"_L1, "ENCLOSURES"_L1})) {
            if (value.size() != 1) {
                errors.append(u"SET LOADFORMAT %1 takes one character, not \"%2\"; it stays as it was"_s.arg(
                    word.toUpper(), value));
            } else {
                (IsOption(word, {"DELIMITER"_L1}) ? m_delimiter : m_enclosure) = value.at(0);
            }
            ++i;
        } else if (IsOption(word, {"COLUMN_NAMES"_L1, "COLUMNNAMES"_L1, "NAMES"_L1})) {
            const std::optional<bool> on = Switch(value);
            if (on)
                m_columnNames = *on;
            else
                errors.append(u"SET LOADFORMAT %1 takes ON or OFF, not \"%2\"; it stays as it was"_s.arg(
                    word.toUpper(), value));
            ++i;
        }
    }
    return errors;
}

TableLoad::Outcome TableLoad::run(OraDatabase& database, const std::function<void()>& commit, const QString& table,
                                  const QString& file, const QString& sessionDateFormat) const
{
    Outcome outcome;
    const QString name = DictionaryName(table);
    QString query = u"SELECT COLUMN_NAME, DATA_TYPE FROM USER_TAB_COLUMNS WHERE TABLE_NAME = "_s;
    basKovaData::AppendQuoted(query, name);
    query += u" ORDER BY COLUMN_ID"_s;
    std::vector<Column> columns;
    for (auto rows = database.DBCreateDynaset(query); !rows->IsEOF(); rows->MoveNext())
        columns.push_back({rows->Value(0).toString(), rows->Value(1).toString()});
    if (columns.empty()) {
        outcome.refusal = u"ORA-00942: table or view does not exist"_s;
        return outcome;
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        outcome.refusal = u"cannot open the file \"%1\": %2"_s.arg(file, in.errorString());
        return outcome;
    }
    const QString text = ScriptLines::decode(in.readAll());
    in.close();
    CsvReader reader(text, m_delimiter, m_enclosure);
    QStringList fields;
    int line = 0;

    // The table's column for each field of a record.
    std::vector<const Column*> order;
    if (m_columnNames && reader.next(&fields, &line)) {
        for (const QString& field : std::as_const(fields)) {
            const QString cleaned = field.trimmed().toUpper().replace(u' ', u'_').replace(u'-', u'_');
            const Column* found = nullptr;
            for (const Column& column : columns) {
                if (column.name == cleaned || column.name == field.trimmed())
                    found = &column;
            }
            if (!found) {
                outcome.refusal = u"\"%1\" in the first line of %2 names no column of %3; nothing is loaded"_s.arg(
                    field, file, name);
                return outcome;
            }
            order.push_back(found);
        }
    } else {
        for (const Column& column : columns)
            order.push_back(&column);
    }

    QString head = u"INSERT INTO "_s + Quoted(name) + u" ("_s;
    for (size_t i = 0; i < order.size(); ++i)
        head += (i ? u", "_s : QString()) + Quoted(order[i]->name);
    head += u") VALUES ("_s;
    const QString dateFormat = m_dateFormat.isEmpty() ? sessionDateFormat : m_dateFormat;
    const QString savepoint = u"SAVEPOINT KOVA_LOAD"_s;

    if (m_truncate)
        database.DbExecuteSQL(u"DELETE FROM "_s + Quoted(name));
    database.DbExecuteSQL(savepoint);
    const qint64 perCommit = qint64(m_batchRows) * m_batchesPerCommit;
    qint64 sinceCommit = 0;
    basKovaData::StatementShape shape;
    while (reader.next(&fields, &line)) {
        ++outcome.processed;
        const auto failed = [&](const QString& message) {
            outcome.errors.append(u"row %1 (line %2): %3"_s.arg(outcome.processed).arg(line).arg(message));
        };
        if (fields.size() != qsizetype(order.size())) {
            failed(fields.size() > qsizetype(order.size()) ? u"ORA-00913: too many values"_s
                                                           : u"ORA-00947: not enough values"_s);
        } else {
            shape.clear();
            shape.appendText(head);
            for (size_t i = 0; i < order.size(); ++i) {
                if (i)
                    shape.appendText(u", "_s);
                const QString& value = fields[qsizetype(i)];
                const QString& type = order[i]->type;
                if (value.isNull()) {
                    shape.appendNull(u"NULL"_s);
                } else if (type == "DATE"_L1 && !dateFormat.isEmpty()) {
                    shape.appendText(u"TO_DATE("_s);
                    shape.appendTextValue(value);
                    QString format = u", "_s;
                    basKovaData::AppendQuoted(format, dateFormat);
                    shape.appendText(format + u')');
                } else if ((type == "NUMBER"_L1 || type == "FLOAT"_L1 || type.startsWith("BINARY_"_L1))
                           && basKovaData::IsNumberLiteral(value.trimmed())) {
                    shape.appendNumber(value.trimmed());
                } else {
                    shape.appendTextValue(value);
                }
            }
            shape.appendText(u")"_s);
            try {
                database.DbExecuteShape(shape);
                ++outcome.loaded;
                ++sinceCommit;
            } catch (const OraError& error) {
                failed(error.message());
            }
        }
        if (m_errors >= 0 && outcome.errors.size() > m_errors) {
            database.DbExecuteSQL(u"ROLLBACK TO SAVEPOINT KOVA_LOAD"_s);
            outcome.loaded -= sinceCommit;
            outcome.stopped = true;
            return outcome;
        }
        if (perCommit > 0 && sinceCommit >= perCommit) {
            commit();
            database.DbExecuteSQL(savepoint);
            sinceCommit = 0;
        }
    }
    commit();
    return outcome;
}
