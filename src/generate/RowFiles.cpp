#include "generate/RowFiles.h"

#include "generate/CreationRun.h"
#include "generate/InsertRow.h"
#include "rules/ColumnRule.h"
#include "session/AtomicFile.h"
#include "session/OraAccess.h"
#include "session/OraError.h"
#include "session/RowStatements.h"
#include "shared/DateText.h"
#include "shared/basKovaData.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

using basKovaData::TableRules;
using basKovaData::TypeFamily;

// Bytes gathered before they go to the file.
constexpr qsizetype FlushBytes = 1 << 20;
// A script line grows to about this length before the next value starts a
// new one: SQL*Plus refuses lines of more than a few thousand bytes.
constexpr qsizetype ScriptLineLength = 1000;

// A file written under a temporary name, renamed to its own when committed.
class OutFile {
public:
    explicit OutFile(const QString& path) : m_file(path) {}

    bool open(QString* error)
    {
        if (m_file.open(QIODevice::WriteOnly))
            return true;
        *error = m_file.fileName() + u": "_s + m_file.errorString();
        return false;
    }
    void write(QStringView text)
    {
        m_buffer += text.toUtf8();
        if (m_buffer.size() >= FlushBytes)
            flush();
    }
    bool commit(QString* error)
    {
        flush();
        if (m_file.commit())
            return true;
        *error = m_file.fileName() + u": "_s + m_file.errorString();
        return false;
    }
    QString path() const { return m_file.fileName(); }

private:
    void flush()
    {
        m_file.write(m_buffer);
        m_buffer.clear();
    }
    QSaveFile m_file;
    QByteArray m_buffer;
};

// A name that is safe as a file's name: what a path cannot hold becomes "_".
QString FileName(const QString& table)
{
    QString name = table;
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || c == u'\0')
            c = u'_';
    return name.startsWith(u'.') ? u'_' + name.mid(1) : name;
}

// The statement text of the row in RowValues as a script line: the run's
// literal statement, with a line break before a value wherever the line
// has grown long, and ";".
void AppendStatement(QString& out, const TableRules& rules)
{
    const QString text = basKovaData::InsertText(rules.table, rules.count()).trimmed();
    qsizetype lineStart = out.size();
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && c == u' ' && i + 1 < text.size() && text[i + 1] == u','
                 && out.size() - lineStart > ScriptLineLength) {
            out += u'\n';
            lineStart = out.size();
        }
        out += c;
    }
    out += u";\n"_s;
}

// Appends `text` as one CSV field: between quotes, quotes doubled, when it
// holds a separator, a quote or a line break (RFC 4180).
void AppendField(QString& line, QStringView text)
{
    bool quote = false;
    for (const QChar c : text)
        if (c == u',' || c == u'"' || c == u'\n' || c == u'\r') {
            quote = true;
            break;
        }
    if (!quote) {
        line += text;
        return;
    }
    line += u'"';
    for (const QChar c : text) {
        if (c == u'"')
            line += u'"';
        line += c;
    }
    line += u'"';
}

void StopIfAsked(const RowFileJob& job)
{
    if (job.stopRequested && job.stopRequested())
        throw basKovaData::RunStopped();
}

// Makes the rows of table `t` and hands each, as RowValues, to `row`.
template <typename Row>
void EachRow(RunRows& made, std::size_t t, const RowFileJob& job, Row&& row)
{
    const qint64 rows = made.Rows(t);
    const qint64 step = ProgressStep(qint32(std::min<qint64>(rows, INT32_MAX)));
    for (qint64 i = 1; i <= rows; ++i) {
        if (i % step == 0) {
            StopIfAsked(job);
            if (job.progress)
                job.progress(int(i * ProgressFullTwips / rows));
        }
        made.NextRow(t);
        row();
    }
}

}  // namespace

QString ShardSuffix(const Shard& shard)
{
    return shard.count > 1 ? u".%1-of-%2"_s.arg(shard.index).arg(shard.count) : QString();
}

QString TableFileName(const QString& table, const Shard& shard, const QString& extension)
{
    return FileName(table) + ShardSuffix(shard) + extension;
}

QString ShardPath(const QString& path, const Shard& shard)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), qsizetype(0));
    const qsizetype dot = path.lastIndexOf(u'.');
    const qsizetype at = dot > slash ? dot : path.size();
    return path.left(at) + ShardSuffix(shard) + path.mid(at);
}

void AppendCsvField(QString& line, const QString& value)
{
    // A value of RowValues as the loaders read it: numbers as written, dates
    // as "YYYY-MM-DD HH24:MI:SS", NULL as nothing.
    if (!value.startsWith(u'@')) {
        AppendField(line, value);
        return;
    }
    const QStringView sql = QStringView(value).mid(1).trimmed();
    if (sql.isEmpty()) {
        line += u'0';
        return;
    }
    if (sql.size() == 4 && sql.compare(u"NULL", Qt::CaseInsensitive) == 0)
        return;
    constexpr QStringView DateHead = u"TO_DATE('";
    if (sql.front() == u'T' && sql.startsWith(DateHead)) {
        const qsizetype close = sql.indexOf(u'\'', DateHead.size());
        const QStringView date = sql.mid(DateHead.size(), close - DateHead.size());
        const auto digits = [&](qsizetype from, qsizetype count) {
            return std::all_of(date.begin() + from, date.begin() + from + count, [](QChar c) { return c.isDigit(); });
        };
        if (close < 0 || date.size() != 15 || date[8] != u' ' || !digits(0, 8) || !digits(9, 6)) {
            AppendField(line, date);
            return;
        }
        line += date.left(4);
        line += u'-';
        line += date.mid(4, 2);
        line += u'-';
        line += date.mid(6, 2);
        line += u' ';
        line += date.mid(9, 2);
        line += u':';
        line += date.mid(11, 2);
        line += u':';
        line += date.mid(13, 2);
        return;
    }
    if (sql.size() >= 2 && sql.startsWith(u'\'') && sql.endsWith(u'\'')) {
        AppendField(line, sql.mid(1, sql.size() - 2).toString().replace(u"''"_s, u"'"_s));
        return;
    }
    AppendField(line, sql);
}

QString ColumnList(const TableRules& rules)
{
    QStringList names;
    for (int j = 1; j <= rules.count(); ++j)
        names << basKovaData::ServerSql(rules.table, rules[j].ColumnName.trimmed());
    return names.join(u", "_s);
}

QString ControlFileText(const TableRules& rules, const QString& csvName)
{
    QString text = u"OPTIONS (DIRECT=TRUE, SKIP=1)\n"
                   "LOAD DATA\n"
                   "CHARACTERSET AL32UTF8\n"
                   "INFILE '%1' \"str X'0D0A'\"\n"
                   "APPEND\n"
                   "INTO TABLE \"%2\"\n"
                   "FIELDS TERMINATED BY ',' OPTIONALLY ENCLOSED BY '\"'\n"
                   "TRAILING NULLCOLS\n"
                   "(\n"_s.arg(csvName, basKovaData::ServerNameOf(rules.table).spelling);
    for (int j = 1; j <= rules.count(); ++j) {
        const basKovaData::ColumnRule& rule = rules[j];
        text += u"  \""_s + basKovaData::ServerNameOf(rules.table, rule.ColumnName.trimmed()).spelling + u"\" "_s;
        switch (rule.family()) {
        case TypeFamily::Date:
            text += u"DATE \"YYYY-MM-DD HH24:MI:SS\""_s;
            break;
        case TypeFamily::Character:
            // Bytes: a character of AL32UTF8 takes up to four.
            text += u"CHAR(%1)"_s.arg(std::max(255, rule.Length * 4));
            break;
        default:
            text += u"CHAR"_s;
        }
        text += j < rules.count() ? u",\n"_s : u"\n"_s;
    }
    return text + u")\n"_s;
}

QString PostgresLoadText(const QStringList& tables, const QStringList& csvNames, const QStringList& columnLists,
                         const QStringList& emptied)
{
    QString text = u"-- Loads the CSV files of this folder, parents first: psql -f load-postgresql.sql\n"
                   "\\set ON_ERROR_STOP on\n"
                   "BEGIN;\n"_s;
    for (const QString& table : emptied)
        text += u"DELETE FROM "_s + basKovaData::ServerSql(table) + u";\n"_s;
    for (qsizetype i = 0; i < tables.size(); ++i) {
        QString file = csvNames[i];
        file.replace(u'\'', u"''"_s);
        text += u"\\copy "_s + basKovaData::ServerSql(tables[i]) + u" ("_s + columnLists[i] + u") FROM '"_s + file
            + u"' WITH (FORMAT csv, HEADER true, ENCODING 'UTF8')\n"_s;
    }
    return text + u"COMMIT;\n"_s;
}

QString OracleLoadText(const QStringList& controlNames, const QStringList& emptied)
{
    QString text = u"#!/bin/sh\n"
                   "# Loads the CSV files of this folder with SQL*Loader, parents first.\n"
                   "# usage: ./load-oracle.sh user/password@service\n"
                   "set -e\n"
                   "cd \"$(dirname \"$0\")\"\n"_s;
    if (!emptied.isEmpty()) {
        text += u"sqlplus -S -L \"$1\" <<'EOF'\nWHENEVER SQLERROR EXIT FAILURE ROLLBACK\n"_s;
        for (const QString& table : emptied)
            text += u"DELETE FROM "_s + basKovaData::ServerSql(table) + u";\n"_s;
        text += u"COMMIT;\nEXIT\nEOF\n"_s;
    }
    for (QString control : controlNames) {
        const QString log = control.chopped(4) + u".log"_s;
        const auto quoted = [](QString name) { return u'\'' + name.replace(u'\'', u"'\\''"_s) + u'\''; };
        text += u"sqlldr userid=\"$1\" control="_s + quoted(control) + u" log="_s + quoted(log) + u'\n';
    }
    return text;
}

RowFileResult WriteRowFiles(const std::vector<TableRun>& tables, const RowFileJob& job)
{
    RowFileResult result;
    result.rows.assign(tables.size(), 0);
    RunRows made(tables, basKovaData::OraDatabase.get(), job.shard);
    // Every file stays under its temporary name until all are whole.
    std::vector<std::unique_ptr<OutFile>> files;
    const auto openFile = [&](const QString& path) -> OutFile& {
        files.push_back(std::make_unique<OutFile>(path));
        if (!files.back()->open(&result.error))
            throw OraError(result.error);
        return *files.back();
    };
    try {
        if (const QString refusal = made.Prepare(); !refusal.isEmpty())
            throw OraError(refusal);
        if (job.format == RowFileFormat::Sql) {
            const QFileInfo info(ShardPath(job.path, job.shard));
            if (!QDir().mkpath(info.absolutePath()))
                throw OraError(info.absolutePath() + u": cannot make the folder"_s);
            OutFile& script = openFile(info.filePath());
            QString text = u"SET DEFINE OFF\nSET SQLBLANKLINES ON\n"_s;
            for (const QString& sql : job.before)
                text += sql + u";\n"_s;
            // Only the first slice empties the tables: the others add to it.
            if (job.shard.index == 1)
                for (const QString& table : job.emptied)
                    text += u"DELETE FROM "_s + basKovaData::ServerSql(table) + u";\n"_s;
            script.write(text);
            for (std::size_t t = 0; t < tables.size(); ++t) {
                EachRow(made, t, job, [&] {
                    text.clear();
                    AppendStatement(text, *tables[t].rules);
                    script.write(text);
                });
                result.rows[t] = made.Rows(t);
            }
            text.clear();
            for (const QString& sql : job.after)
                text += sql + u";\n"_s;
            script.write(text + u"COMMIT;\n"_s);
        } else {
            const QDir folder(job.path);
            if (!QDir().mkpath(folder.absolutePath()))
                throw OraError(folder.absolutePath() + u": cannot make the folder"_s);
            const QString suffix = ShardSuffix(job.shard);
            QStringList names, csvNames, columnLists, controlNames;
            for (std::size_t t = 0; t < tables.size(); ++t) {
                const TableRules& rules = *tables[t].rules;
                const QString csvName = TableFileName(rules.table, job.shard, u".csv"_s);
                OutFile& csv = openFile(folder.filePath(csvName));
                QString line;
                for (int j = 1; j <= rules.count(); ++j) {
                    if (j > 1)
                        line += u',';
                    AppendCsvField(line, rules[j].ColumnName.trimmed());
                }
                csv.write(line + u"\r\n"_s);
                EachRow(made, t, job, [&] {
                    line.resize(0);  // keeps its room for the next line
                    for (int j = 1; j <= rules.count(); ++j) {
                        if (j > 1)
                            line += u',';
                        AppendCsvField(line, basKovaData::RowValues[std::size_t(j)]);
                    }
                    line += u"\r\n"_s;
                    csv.write(line);
                });
                result.rows[t] = made.Rows(t);
                const QString controlName = TableFileName(rules.table, job.shard, u".ctl"_s);
                openFile(folder.filePath(controlName)).write(ControlFileText(rules, csvName));
                names << rules.table;
                csvNames << csvName;
                columnLists << ColumnList(rules);
                controlNames << controlName;
            }
            // Only the first slice empties the tables.
            const QStringList emptied = job.shard.index == 1 ? job.emptied : QStringList();
            openFile(folder.filePath(u"load-postgresql"_s + suffix + u".sql"_s))
                .write(PostgresLoadText(names, csvNames, columnLists, emptied));
            openFile(folder.filePath(u"load-oracle"_s + suffix + u".sh"_s)).write(OracleLoadText(controlNames, emptied));
        }
        for (const auto& file : files) {
            if (!file->commit(&result.error))
                return result;
            result.files << file->path();
        }
        if (job.format == RowFileFormat::Csv)
            QFile::setPermissions(result.files.last(), QFile::permissions(result.files.last()) | QFile::ExeOwner
                                                           | QFile::ExeGroup | QFile::ExeOther);
        result.written = true;
    } catch (const basKovaData::RunStopped&) {
        result.stopped = true;
        result.error = CreationStoppedMessage;
    } catch (const OraError& error) {
        result.error = error.message();
    }
    return result;
}

}  // namespace generate
