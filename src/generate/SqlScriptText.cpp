#include "generate/SqlScriptText.h"

#include "shared/StatementShape.h"
#include "shared/Utf8Length.h"

#include <QStringList>

#include <vector>

using namespace Qt::StringLiterals;

namespace generate {

namespace {

using basKovaData::SqlValue;

// A quoted piece of a character value, quotes included, in UTF-8 bytes.
constexpr qsizetype PieceBytes = 1000;
// Past this many bytes a character value no longer fits a VARCHAR2 literal
// expression and goes as TO_CLOB pieces.
constexpr qsizetype VarcharBytes = 4000;

using basKovaData::Utf8Bytes;

qsizetype Utf8Bytes(QStringView text)
{
    qsizetype bytes = 0;
    for (const QChar c : text)
        bytes += basKovaData::Utf8Bytes(c);
    return bytes;
}

// The lines of one statement: a token starts a new line when the line would
// grow past ScriptLineBytes with it. Tokens hold no line break.
class ScriptLines {
public:
    explicit ScriptLines(QString& out) : m_out(out) {}
    void add(QStringView token)
    {
        if (token.isEmpty())
            return;
        const qsizetype bytes = Utf8Bytes(token);
        if (m_bytes > 0 && m_bytes + bytes > ScriptLineBytes) {
            m_out += u'\n';
            m_bytes = 0;
        }
        m_out += token;
        m_bytes += bytes;
    }
    // Statement text between values, cut before each " ," outside quotes so
    // that a row of many columns spreads over lines.
    void addText(QStringView text)
    {
        bool quoted = false;
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == u'\'')
                quoted = !quoted;
            else if (!quoted && i > start && text[i] == u' ' && i + 1 < text.size() && text[i + 1] == u',') {
                add(text.mid(start, i - start));
                start = i;
            }
        }
        add(text.mid(start));
    }

private:
    QString& m_out;
    qsizetype m_bytes = 0;
};

// A character value as quoted pieces joined with "||": line breaks as
// CHR(10) and CHR(13), pieces of at most PieceBytes, each piece a token.
void AddTextValue(ScriptLines& lines, QStringView text)
{
    const bool clob = Utf8Bytes(text) > VarcharBytes;
    bool first = true;
    QString token;
    const auto push = [&](QStringView part) {
        token.clear();
        if (!first)
            token += u"||"_s;
        token += part;
        lines.add(token);
        first = false;
    };
    QString piece;
    qsizetype pieceBytes = 0;
    const auto flushPiece = [&] {
        if (pieceBytes == 0)
            return;
        push((clob ? u"TO_CLOB("_s : QString()) + u'\'' + piece + u'\'' + (clob ? u")"_s : QString()));
        piece.clear();
        pieceBytes = 0;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\n' || c == u'\r') {
            flushPiece();
            push(c == u'\n' ? u"CHR(10)" : u"CHR(13)");
            continue;
        }
        // A surrogate pair stays in one piece.
        const qsizetype units = c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QStringView unit = text.mid(i, units);
        const qsizetype bytes = (c == u'\'' ? 2 : 1) * Utf8Bytes(unit);
        if (pieceBytes + bytes + 2 > PieceBytes)
            flushPiece();
        if (c == u'\'')
            piece += c;
        piece += unit;
        pieceBytes += bytes;
        i += units - 1;
    }
    flushPiece();
    if (first)
        lines.add(u"''");
}

}  // namespace

void AppendScriptStatement(QString& out, const basKovaData::StatementShape& shape)
{
    ScriptLines lines(out);
    const QString& text = shape.text();
    qsizetype from = 0;
    for (std::size_t i = 0; i < shape.markers().size(); ++i) {
        const qsizetype marker = shape.markers()[i];
        lines.addText(QStringView(text).mid(from, marker - from));
        const SqlValue& value = shape.values()[i];
        if (value.type == SqlValue::Type::Text)
            AddTextValue(lines, value.text);
        else
            lines.add(value.text);
        from = marker + 1;
    }
    QStringView tail = QStringView(text).mid(from);
    while (!tail.isEmpty() && tail.back().isSpace())
        tail.chop(1);
    lines.addText(tail);
    out += u";\n"_s;
}

namespace {

// What the reading of a statement is in at a character.
enum class Lexed { Code, Literal, QuotedLiteral, Name, LineComment, BlockComment };

bool IsNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'#';
}

QChar Closer(QChar open)
{
    switch (open.unicode()) {
    case u'[':
        return u']';
    case u'(':
        return u')';
    case u'{':
        return u'}';
    case u'<':
        return u'>';
    default:
        return open;
    }
}

// Whether the "q" at `i` starts a q'…' literal (alone or after "N"), not a name's end.
bool QuoteStartsAt(const QString& text, qsizetype i)
{
    if (i == 0 || !IsNameChar(text[i - 1]))
        return true;
    return (text[i - 1] == u'n' || text[i - 1] == u'N') && (i == 1 || !IsNameChar(text[i - 2]));
}

// Why SQL*Plus would not read `line` as part of a statement; empty when it would.
// Whether `text` is a PL/SQL block, which SQL*Plus reads up to a line of only
// "/" and within which a ";" at a line end ends nothing: an anonymous block,
// or a trigger, procedure, function, package or type made with CREATE.
bool IsPlsqlBlock(const QString& text)
{
    QStringList words = text.simplified().section(u' ', 0, 4).toUpper().split(u' ');
    if (words.first() == u"BEGIN" || words.first() == u"DECLARE")
        return true;
    if (words.first() != u"CREATE")
        return false;
    words.removeFirst();
    if (words.size() >= 2 && words[0] == u"OR" && words[1] == u"REPLACE")
        words.remove(0, 2);
    if (!words.isEmpty() && (words.first() == u"EDITIONABLE" || words.first() == u"NONEDITIONABLE"))
        words.removeFirst();
    static const QStringList Blocks{u"TRIGGER"_s, u"PROCEDURE"_s, u"FUNCTION"_s, u"PACKAGE"_s, u"TYPE"_s};
    return !words.isEmpty() && Blocks.contains(words.first());
}

QString LineRefusal(QStringView line, bool last, bool block)
{
    const QStringView trimmed = line.trimmed();
    if (trimmed == u"/" || trimmed == u".")
        return u"a line of it is only \"%1\", which SQL*Plus takes as the end of the statement"_s.arg(trimmed);
    if (trimmed.startsWith(u'#'))
        return u"a line of it starts with \"#\", which SQL*Plus runs as a command of its own"_s;
    if (!last && !block && trimmed.endsWith(u';'))
        return u"a line of it ends with \";\", which SQL*Plus takes as the end of the statement"_s;
    if (!last && trimmed.endsWith(u" -"))
        return u"a line of it ends with \" -\", which SQL*Plus takes as a line continued"_s;
    return {};
}

}  // namespace

QString AppendScriptText(QString& out, QStringView statement)
{
    QString text = statement.toString();
    text.replace(u"\r\n"_s, u"\n"_s);
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    QStringList lines{QString()};
    qsizetype bytes = 0;
    std::vector<qsizetype> blanks;  // where the line may be broken
    Lexed state = Lexed::Code;
    QChar closer;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (c == u'\n') {
            if (state == Lexed::LineComment)
                state = Lexed::Code;
            lines << QString();
            bytes = 0;
            blanks.clear();
            continue;
        }
        QString& line = lines.last();
        qsizetype skip = 0;  // characters after c that go with it unread
        switch (state) {
        case Lexed::Code:
            if (c == u' ' || c == u'\t') {
                blanks.push_back(line.size());
            } else if (c == u'\'') {
                state = Lexed::Literal;
            } else if (c == u'"') {
                state = Lexed::Name;
            } else if (c == u'-' && next == u'-') {
                state = Lexed::LineComment;
            } else if (c == u'/' && next == u'*') {
                state = Lexed::BlockComment;
                skip = 1;
            } else if ((c == u'q' || c == u'Q') && next == u'\'' && i + 2 < text.size() && QuoteStartsAt(text, i)) {
                state = Lexed::QuotedLiteral;
                closer = Closer(text[i + 2]);
                skip = 2;
            }
            break;
        case Lexed::Literal:
            if (c == u'\'')
                state = Lexed::Code;
            break;
        case Lexed::QuotedLiteral:
            if (c == closer && next == u'\'') {
                state = Lexed::Code;
                skip = 1;
            }
            break;
        case Lexed::Name:
            if (c == u'"')
                state = Lexed::Code;
            break;
        case Lexed::LineComment:
            break;
        case Lexed::BlockComment:
            if (c == u'*' && next == u'/') {
                state = Lexed::Code;
                skip = 1;
            } else if (c == u' ' || c == u'\t') {
                blanks.push_back(line.size());
            }
            break;
        }
        for (qsizetype k = 0; k <= skip; ++k) {
            line += text[i + k];
            bytes += Utf8Bytes(text[i + k]);
        }
        i += skip;
        if (bytes > ScriptLineBytes) {
            if (blanks.empty())
                return u"a line of it is longer than %1 bytes and has no blank outside a literal, a quoted name "
                       "or a \"--\" comment to break it at"_s.arg(ScriptLineBytes);
            // The blank becomes the line break.
            const qsizetype at = blanks.back();
            QString rest = line.mid(at + 1);
            line.truncate(at);
            bytes = Utf8Bytes(rest);
            lines << rest;
            blanks.clear();
        }
    }
    if (state == Lexed::Literal || state == Lexed::QuotedLiteral || state == Lexed::Name)
        return u"a quote of it is not closed"_s;
    const bool block = IsPlsqlBlock(text);
    for (qsizetype k = 0; k < lines.size(); ++k)
        if (const QString refusal = LineRefusal(lines[k], k + 1 == lines.size(), block); !refusal.isEmpty())
            return refusal;
    if (block)
        out += lines.join(u'\n') + u"\n/\n"_s;
    else
        out += lines.join(u'\n') + (state == Lexed::LineComment ? u"\n;\n"_s : u";\n"_s);
    return {};
}

}  // namespace generate
