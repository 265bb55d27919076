#include "ScriptLines.h"

#include "PlainBlock.h"

#include "engine/SqlLexer.h"
#include "shared/Cp932.h"

#include <QStringDecoder>

#include <array>

using namespace Qt::StringLiterals;

namespace {

// The words a SQL statement (or a PL/SQL block) begins with.
constexpr std::array SqlVerbs{
    "ADMINISTER"_L1, "ALTER"_L1,  "ANALYZE"_L1, "ASSOCIATE"_L1, "AUDIT"_L1,     "BEGIN"_L1,  "CALL"_L1,
    "COMMENT"_L1,    "COMMIT"_L1, "CREATE"_L1,  "DECLARE"_L1,   "DELETE"_L1,    "DISASSOCIATE"_L1,
    "DROP"_L1,       "EXPLAIN"_L1, "FLASHBACK"_L1, "GRANT"_L1,  "INSERT"_L1,    "LOCK"_L1,   "MERGE"_L1,
    "NOAUDIT"_L1,    "PURGE"_L1,  "RENAME"_L1,  "REVOKE"_L1,    "ROLLBACK"_L1,  "SAVEPOINT"_L1,
    "SELECT"_L1,     "SET"_L1,    "TRUNCATE"_L1, "UPDATE"_L1,   "WITH"_L1};
bool IsComment(const QString& trimmed)
{
    if (trimmed.startsWith("--"_L1))
        return true;
    QString arguments;
    const SqlPlusCommands::Command* command = SqlPlusCommands::Find(trimmed, &arguments);
    return command && command->action == SqlPlusCommands::Action::Comment;
}

// Where the "-" that continues `line` stands, or -1 when it does not go on.
qsizetype ContinuationHyphen(const QString& line)
{
    qsizetype end = line.size();
    while (end > 0 && line.at(end - 1).isSpace())
        --end;
    if (end == 0 || line.at(end - 1) != u'-' || (end > 1 && line.at(end - 2) == u'-'))
        return -1;
    return end - 1;
}

bool IsNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'#';
}

// The closing delimiter of the alternative quote q'[ (also Q'!, nq'{ ...)
// whose quote stands at `quote`; null when that quote opens a plain literal.
QChar AlternativeQuoteClose(const QString& line, qsizetype quote)
{
    if (quote < 1 || quote + 1 >= line.size() || (line.at(quote - 1) != u'q' && line.at(quote - 1) != u'Q'))
        return {};
    qsizetype word = quote - 1;  // where the word before the quote begins
    if (word > 0 && (line.at(word - 1) == u'n' || line.at(word - 1) == u'N'))
        --word;
    if (word > 0 && IsNameCharacter(line.at(word - 1)))
        return {};
    const QChar open = line.at(quote + 1);
    if (open.isSpace())
        return {};
    switch (open.unicode()) {
    case u'[':
        return u']';
    case u'{':
        return u'}';
    case u'(':
        return u')';
    case u'<':
        return u'>';
    default:
        return open;
    }
}

// True when the first word of a line that is no command begins a statement.
bool BeginsStatement(const QString& line)
{
    qsizetype end = 0;
    while (end < line.size() && (line.at(end).isLetterOrNumber() || line.at(end) == u'_'))
        ++end;
    if (end == 0 || !line.at(0).isLetter())
        return true;  // a comment, "(SELECT", "<<label>>" ...
    const QString word = line.left(end).toUpper();
    return std::find(SqlVerbs.begin(), SqlVerbs.end(), word) != SqlVerbs.end();
}

}  // namespace

std::optional<ScriptLines::Item> ScriptLines::feed(const QString& text, int number)
{
    QString line = text;
    const bool carriageReturn = line.endsWith(u'\r');
    if (carriageReturn)
        line.chop(1);
    if (m_lines.isEmpty())
        return firstLine(line, number, carriageReturn);
    return statementLine(line, carriageReturn);
}

std::optional<ScriptLines::Item> ScriptLines::firstLine(const QString& text, int number, bool carriageReturn)
{
    QString line = text;
    if (m_continued >= 0) {
        line = m_first + u' ' + text.trimmed();
        number = m_continued;
    }
    const QString trimmed = line.trimmed();
    const qsizetype hyphen = ContinuationHyphen(line);
    if (hyphen >= 0 && !IsComment(trimmed)) {
        m_first = line.left(hyphen);
        while (!m_first.isEmpty() && m_first.back().isSpace())
            m_first.chop(1);
        m_continued = number;
        return std::nullopt;
    }
    m_first.clear();
    m_continued = -1;

    if (trimmed.isEmpty() || trimmed.startsWith("--"_L1) || trimmed == "."_L1)
        return std::nullopt;
    if (trimmed == "/"_L1)
        return Item{Item::Kind::Again, nullptr, {}, number};
    Item item;
    item.line = number;
    if ((item.command = SqlPlusCommands::Find(trimmed, &item.text))) {
        item.kind = Item::Kind::Command;
        return item;
    }
    if (!BeginsStatement(trimmed)) {
        item.kind = Item::Kind::Unknown;
        item.text = trimmed;
        return item;
    }
    m_firstLine = number;
    return statementLine(line, carriageReturn);
}

std::optional<ScriptLines::Item> ScriptLines::statementLine(QString line, bool carriageReturn)
{
    if (!m_inQuote && !m_inIdentifier && !m_inComment) {
        const QString trimmed = line.trimmed();
        if (trimmed == "/"_L1 || trimmed == "."_L1) {
            Item item{trimmed == "/"_L1 ? Item::Kind::Statement : Item::Kind::Kept, nullptr,
                      m_lines.join(u'\n'), m_firstLine};
            clear();
            return item;
        }
    }
    // Follow quotes and comments to the line's end, noting its last
    // character outside them.
    qsizetype last = -1;
    bool lastIsSemicolon = false;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line.at(i);
        const QChar next = i + 1 < n ? line.at(i + 1) : QChar();
        if (m_inComment) {
            if (c == u'*' && next == u'/') {
                m_inComment = false;
                ++i;
            }
            continue;
        }
        if (m_inQuote || m_inIdentifier) {
            // A doubled quote inside a literal closes it and opens it again,
            // which leaves it open as it should. An alternative quote ends
            // at its closing delimiter followed by a quote.
            if (m_inQuote && !m_quoteClose.isNull()) {
                if (c == m_quoteClose && next == u'\'') {
                    m_inQuote = false;
                    m_quoteClose = QChar();
                    ++i;
                }
            } else if (m_inQuote && c == u'\'') {
                m_inQuote = false;
            } else if (m_inIdentifier && c == u'"') {
                m_inIdentifier = false;
            }
            last = i;
            lastIsSemicolon = false;
            continue;
        }
        if (c == u'-' && next == u'-')
            break;
        if (c == u'/' && next == u'*') {
            m_inComment = true;
            ++i;
            continue;
        }
        if (c.isSpace())
            continue;
        last = i;
        lastIsSemicolon = c == u';';
        if (c == u'\'') {
            m_inQuote = true;
            m_quoteClose = AlternativeQuoteClose(line, i);
            if (!m_quoteClose.isNull())
                last = ++i;  // the opening delimiter
        } else if (c == u'"')
            m_inIdentifier = true;
    }
    if (last >= 0)
        m_hasText = true;
    if (!m_slashOnly) {
        QStringList head = m_lines;
        head.append(line);
        m_slashOnly = PlainBlock::endsWithSlash(leadingTokens(head.join(u'\n')));
    }
    if (lastIsSemicolon && !m_inComment && !m_slashOnly.value_or(false)) {
        m_lines.append(line.left(last));
        Item item{Item::Kind::Statement, nullptr, m_lines.join(u'\n'), m_firstLine};
        clear();
        return item;
    }
    if (carriageReturn && (m_inQuote || m_inIdentifier))
        line += u'\r';
    m_lines.append(line);
    // Lines of nothing but comments are no statement.
    if (!m_hasText && !m_inComment)
        clear();
    return std::nullopt;
}

int ScriptLines::discard()
{
    const int began = m_continued >= 0 ? m_continued : (m_lines.isEmpty() ? 0 : m_firstLine);
    m_first.clear();
    m_continued = -1;
    clear();
    return began;
}

void ScriptLines::clear()
{
    m_lines.clear();
    m_hasText = false;
    m_inQuote = false;
    m_quoteClose = QChar();
    m_inIdentifier = false;
    m_inComment = false;
    m_slashOnly.reset();
}

QStringList ScriptLines::words(const QString& text)
{
    QStringList words;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        if (text.at(i).isSpace()) {
            ++i;
            continue;
        }
        QString word;
        const QChar quote = text.at(i);
        if (quote == u'\'' || quote == u'"') {
            for (++i; i < n; ++i) {
                if (text.at(i) == quote) {
                    if (i + 1 < n && text.at(i + 1) == quote) {
                        word += quote;
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                word += text.at(i);
            }
        } else {
            while (i < n && !text.at(i).isSpace())
                word += text.at(i++);
        }
        words.append(word);
    }
    return words;
}

ScriptLines::ScriptCall ScriptLines::readScriptCall(const QString& text)
{
    ScriptCall call;
    const QStringList words = ScriptLines::words(text);
    call.file = words.value(0);
    // A ";" ends the command, not the file's name.
    if (words.size() == 1 && call.file.endsWith(u';'))
        call.file.chop(1);
    call.arguments = words.mid(1);
    return call;
}

QStringList ScriptLines::leadingTokens(const QString& sql)
{
    const LexedStatement lexed = LexStatement(sql.toStdString());
    QStringList tokens;
    for (int i = 0; i < lexed.headCount; ++i)
        tokens.append(QString::fromStdString(lexed.head[static_cast<size_t>(i)].text));
    return tokens;
}

QString ScriptLines::decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = basKovaData::FromCp932(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}
